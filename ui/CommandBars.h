#pragma once

// Docks along a form's edges and the bars that sit in them or float over the form. The
// numbers come from ui/BarGeometry.h; these widgets feed it and apply its results.

#include "ui/BarGeometry.h"
#include "ui/CommandBarHost.h"

#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace korvid {

class TCustomBar;
class TBarSession;

// Frame thickness and caption height of floating bars; style defaults, tests fix them.
TBarMetrics& BarMetrics();
TBarRect ToBarRect(const QRect& Rect);
QRect ToQRect(const TBarRect& Rect);
// The work area of the screen that shows Widget (the primary screen without one).
TBarRect WorkAreaOf(const QWidget* Widget);

using TDockPositions = std::vector<TDockPosition>;

// The layout code stores extra integer values per bar, named by the bar and the value; a read
// gives Default when nothing is stored. Closures carry whatever the store needs.
using TLayoutReadInt =
    std::function<int(const QString& BarName, const QString& ValueName, int Default)>;
using TLayoutWriteInt =
    std::function<void(const QString& BarName, const QString& ValueName, int Value)>;

enum TDockBoundLine { blTop, blBottom, blLeft, blRight };
using TDockBoundLines = std::set<TDockBoundLine>;

class TDock : public QWidget {
public:
    // Owner must be a form (a top-level widget).
    explicit TDock(QWidget* Owner, TDockPosition Position = dpTop);
    ~TDock() override;

    TDockPosition Position() const { return FPosition; }
    void SetPosition(TDockPosition Value);
    bool Vertical() const { return IsVertical(FPosition); }
    bool AllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool Value);
    bool FixAlign() const { return FFixAlign; }
    void SetFixAlign(bool Value);
    bool LimitToOneRow = false;
    QColor Color() const { return palette().color(QPalette::Window); }
    void SetColor(const QColor& Value);

    // A tiled picture behind the dock's rows, aligned with the form so that neighbouring docks
    // and the bars that show it too (BackgroundOnToolbars) join up. With BackgroundTransparent
    // the colour of its bottom-left pixel shows the dock's colour instead.
    const QPixmap& Background() const { return FBackground; }
    void SetBackground(const QPixmap& Value);
    bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
    void SetBackgroundOnToolbars(bool Value);
    bool BackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool Value);
    bool HasBackground() const { return !FBackground.isNull() && FBackground.width() > 0; }
    // Tiles the background from DrawRect's top-left over DrawRect, inside Clip less Exclude.
    void PaintBackground(QPainter& Painter, const QRect& Clip, const std::optional<QRect>& Exclude,
                         const QRect& DrawRect);
    // The draw rectangle that aligns the tiling with the form, in Widget's coordinates.
    QRect BackgroundRect(const QWidget* Widget) const;

    // One-pixel lines along the named edges, outside the rows.
    TDockBoundLines BoundLines() const { return FBoundLines; }
    void SetBoundLines(const TDockBoundLines& Value);
    // The room the bound lines take at an outer size (none while it is a pixel thin).
    QMargins BoundMargins(QSize Outer) const;

    // Shown on a right click on the dock, and on its bars that have no menu of their own.
    QPointer<QMenu> PopupMenu;

    std::function<void(TDock*, bool Inserting, TCustomBar*)> OnInsertRemoveBar;
    std::function<void(TDock*, TCustomBar*, bool& Accept)> OnRequestDock;
    std::function<void(TDock*)> OnResize;

    // Checked reparenting: a dock never sits inside a bar or another dock.
    void SetParent(QWidget* Parent);
    void setVisible(bool Visible) override;

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int BarCount() const { return static_cast<int>(FBars.size()); }
    const std::vector<TCustomBar*>& Bars() const { return FBars; }
    void LayOutBars();
    void AddOrRemoveBar(bool Inserting, TCustomBar* Bar, bool AddAlways);

    int LastRow() const;
    int RowThickness(int Row, const TCustomBar* Bar) const;
    TRowDrop RowForDrop(int Pos) const { return korvid::RowForDrop(FRowSizes, Pos); }
    int RowAt(int Pos) const { return korvid::RowAt(FRowSizes, Pos); }
    int BarsOnRow(int Row, const TCustomBar* Except) const;
    void OpenRow(int Row);
    // The length along the dock inside the bound lines.
    int ClientLength() const;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    TDockPosition FPosition = dpTop;
    bool FAllowDrag = true;
    bool FFixAlign = false;
    QPixmap FBackground;
    QPixmap FTransparentCache; // built on demand
    bool FBackgroundOnToolbars = true;
    bool FBackgroundTransparent = false;
    TDockBoundLines FBoundLines;
    void BackgroundChanged();
    void RepaintBars();
    int FUpdateCount = 0;
    std::vector<TCustomBar*> FBars; // sorted by row then position after each arrangement
    std::vector<int> FRowSizes;
    void ApplyThickness(int Thickness);
    QSize OuterSizeFor(int Thickness) const;
};

// How a bar sizes and lays itself out; command bars turn all three off.
struct TBarBehaviour {
    bool AlignChildren = true; // the bar's own QLayout runs before each re-measure
    bool CornerSizing = true;  // a floating bar's corners size it both ways
    bool ConfineCursor = true; // the cursor stays in the work area while sizing
};

class TCustomBar : public QWidget, public TCommandBarHost {
public:
    // Owner must be a form; the bar starts floating over it (hidden until shown).
    explicit TCustomBar(QWidget* Owner);
    ~TCustomBar() override;

    int DockPos = -1;
    int DockRow = 0;
    TDock* DefaultDock = nullptr;
    bool ActivateParent = true;
    bool CloseButton = true;
    bool DragHandle = true;
    TDockPositions DockableTo{dpTop, dpBottom, dpLeft, dpRight};
    // Shown on a right click; without one a docked bar shows its dock's.
    QPointer<QMenu> PopupMenu;

    std::function<void(TCustomBar*)> OnClose, OnDockChanged, OnDockChanging, OnRecreated,
        OnRecreating, OnResize, OnVisibleChanged;

    QWidget* OwnerForm() const { return FOwner; }
    TDock* DockedTo() const { return FDockedTo; }
    void SetDockedTo(TDock* Dock);
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool Value);
    bool HideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool Value) { FHideWhenInactive = Value; }
    QColor Color() const { return palette().color(QPalette::Button); }
    void SetColor(const QColor& Value);
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& Value);

    // Visible is the user's choice; Hidden is the form's or application's state (floating only).
    bool Visible() const { return FVisible; }
    void setVisible(bool Visible) override;
    bool Hidden() const { return FHidden; }
    void SetHidden(bool Value);
    bool InactiveCaption() const { return FInactiveCaption; }
    void SetInactiveCaption(bool Value);

    // Checked reparenting: none, a dock, or the owner form (which floats the bar).
    void SetParent(QWidget* Parent);

    void Remeasure();
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void KeepOnScreen(bool OnlyIfFullyOffscreen);
    TBarPoint FloatingPlace() const { return {FFloatLeft, FFloatTop}; }
    void SetFloatingPlace(TBarPoint Place);
    // The outer size a floating resize ends with, before the bar re-measures.
    void ApplyFloatingSize(TBarSize Size);

    // The client size the bar would have; subclasses lay their children out.
    virtual int MeasureThickness(int DockKind) const = 0;
    // The smallest client a floating resize may leave.
    virtual TBarSize MinimumClientSize() const { return {}; }
    const TBarBehaviour& Behaviour() const { return FBehaviour; }
    virtual TBarSize LayOutChildren(bool CanMoveControls, int WasDockKind, TDock* DockingTo) = 0;
    // Outer size at a dock (none: floating), measured without moving children.
    TBarSize OuterSizeAt(TDock* Dock);
    // The margins the bar keeps for its frame in its present state.
    QMargins FrameMargins() const;
    QRect CloseButtonRect() const;
    QRect CaptionRect() const;

    std::optional<TDockPosition> DockedPosition() const override;

    // Sessions for dragging, resizing and the close button; their API is open for tests.
    TBarSession* Session() const { return FSession.get(); }
    TBarSession* StartDrag(QPoint GlobalPress, bool Ctrl);
    // Edges: one edge, or two for a corner.
    TBarSession* StartResize(QPoint GlobalPress, Qt::Edges Edges);
    // The edges a press on the floating frame at Pos (bar coordinates) sizes; none elsewhere.
    std::optional<Qt::Edges> FrameEdgesAt(QPoint Pos) const;
    TBarSession* StartClosePress();
    void EndSession();
    bool ClosePressed() const { return FClosePressed; }
    void SetClosePressed(bool Value);

    // Runs once a bar's children and layout values are all in place.
    virtual void AfterLoading() { Remeasure(); }
    // Extra layout values a subclass keeps, under the bar's objectName.
    virtual void ReadLayoutValues(const TLayoutReadInt&) {}
    virtual void WriteLayoutValues(const TLayoutWriteInt&) const {}

    // Floating resize hooks.
    virtual void ResizeStart(Qt::Edges) {}
    virtual void ResizeStep(Qt::Edges, TBarRect&) {}
    virtual void ResizeEnd(bool) {}

protected:
    int FArranging = 0;
    TBarBehaviour FBehaviour; // subclasses set it in their constructors
    friend class TDock;
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    virtual void PaintClient(QPainter&) {}

private:
    QPointer<QWidget> FOwner;
    TDock* FDockedTo = nullptr;
    bool FFullSize = false;
    bool FHideWhenInactive = true;
    bool FVisible = true;
    bool FHidden = true;
    bool FInactiveCaption = false;
    bool FClosePressed = false;
    int FUpdateCount = 0;
    bool FPendingRemeasure = false;
    int FDockChanging = 0;
    int FReparenting = 0;
    int FFloatLeft = 0;
    int FFloatTop = 0;
    std::unique_ptr<TBarSession> FSession;
    bool FHadGrab = false;
    TBarSession* BeginSession(std::unique_ptr<TBarSession> Session);
    bool GrabLostBy(const QObject* Watched, const QEvent* Event) const;
    void ApplyVisibility();
    // The form's focus goes back to its last focused control, else its first tab stop.
    void RestoreFormFocus();
    void Float();
    void PaintDockedFrame(QPainter& Painter);
    void PaintFloatingFrame(QPainter& Painter);
};

class TCommandBarSeparator;

class TCustomCommandBar : public TCustomBar {
public:
    explicit TCustomCommandBar(QWidget* Owner);
    int FloatRightX = 0;
    int MeasureThickness(int DockKind) const override;
    TBarSize LayOutChildren(bool CanMoveControls, int WasDockKind, TDock* DockingTo) override;
    const std::vector<TBarLineBreak>& LineBreaks() const { return FLineBreaks; }
    // Of the two children, Horizontal shows in horizontal and floating layouts, Vertical in
    // vertical ones; the other is hidden.
    void AddReplacement(QWidget* Horizontal, QWidget* Vertical);
    // Puts the children in the order of their places (by top in a vertical dock, else by left).
    void AfterLoading() override;
    // Keeps FloatRightX (0 when none is stored).
    void ReadLayoutValues(const TLayoutReadInt& Read) override;
    void WriteLayoutValues(const TLayoutWriteInt& Write) const override;
    // Floating outer sizes the bar snaps to while resized, widest first.
    std::vector<TBarSize> FloatingOuterSizes() const;

    void ResizeStart(Qt::Edges Edges) override;
    void ResizeStep(Qt::Edges Edges, TBarRect& Rect) override;
    void ResizeEnd(bool Accepted) override;

protected:
    void PaintClient(QPainter& Painter) override;
    void childEvent(QChildEvent* Event) override;

private:
    std::vector<TBarLineBreak> FLineBreaks;
    // Children in layout order: the order they came in, which raising one does not change.
    std::vector<QObject*> FChildOrder;
    struct TReplacement {
        QPointer<QWidget> Horizontal;
        QPointer<QWidget> Vertical;
    };
    std::vector<TReplacement> FReplacements;
    std::vector<TBarSize> FSizing;
    int FSizingWrap = 0;
    int FSizingDirection = 0;
    std::vector<TBarItem> Items(std::vector<QWidget*>* Widgets, int DockKind) const;
    std::optional<bool> ShownFor(const QWidget* W, int DockKind) const;
};

class TCommandBar : public TCustomCommandBar {
public:
    using TCustomCommandBar::TCustomCommandBar;
};

class TCommandBarSeparator : public QWidget {
public:
    // Parent must be a command bar.
    explicit TCommandBarSeparator(QWidget* Parent);
    bool Blank() const { return FBlank; }
    void SetBlank(bool Value);
    int SizeHorz() const { return FSizeHorz; }
    int SizeVert() const { return FSizeVert; }
    void SetSizeHorz(int Value);
    void SetSizeVert(int Value);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    bool FBlank = false;
    int FSizeHorz = 6;
    int FSizeVert = 6;
};

// A drag, resize or close-button press in progress. It holds the mouse and keyboard and is fed
// by the bar's events; no nested event loop runs.
class TBarSession {
public:
    virtual ~TBarSession() = default;
    virtual void Move(QPoint Global, bool Ctrl) = 0;
    virtual void Release(QPoint Global, bool Ctrl) = 0;
    virtual void Cancel() = 0;
    virtual void CtrlChanged(bool Ctrl) = 0;
};

} // namespace korvid
