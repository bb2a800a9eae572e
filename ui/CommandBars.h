#pragma once

// Docks along a form's edges and the bars that sit in them or float over the form. The
// numbers come from ui/BarGeometry.h; these widgets feed it and apply its results.

#include "ui/BarGeometry.h"
#include "ui/CommandBarHost.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
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
    int ClientLength() const { return Vertical() ? height() : width(); }

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    TDockPosition FPosition = dpTop;
    bool FAllowDrag = true;
    bool FFixAlign = false;
    int FUpdateCount = 0;
    std::vector<TCustomBar*> FBars; // sorted by row then position after each arrangement
    std::vector<int> FRowSizes;
    void ApplyThickness(int Thickness);
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

    std::function<void(TCustomBar*)> OnClose, OnDockChanged, OnDockChanging, OnRecreated,
        OnRecreating, OnResize, OnVisibleChanged;

    QWidget* OwnerForm() const { return FOwner; }
    TDock* DockedTo() const { return FDockedTo; }
    void SetDockedTo(TDock* Dock);
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool Value);
    bool HideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool Value) { FHideWhenInactive = Value; }
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

    // The client size the bar would have; subclasses lay their children out.
    virtual int MeasureThickness(int DockKind) const = 0;
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
    TBarSession* StartResize(QPoint GlobalPress, Qt::Edge Edge);
    TBarSession* StartClosePress();
    void EndSession();
    bool ClosePressed() const { return FClosePressed; }
    void SetClosePressed(bool Value);

    // Floating resize hooks.
    virtual void ResizeStart(Qt::Edge) {}
    virtual void ResizeStep(Qt::Edge, TBarRect&) {}
    virtual void ResizeEnd(bool) {}

protected:
    int FArranging = 0;
    friend class TDock;
    bool event(QEvent* Event) override;
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
    int FFloatLeft = 0;
    int FFloatTop = 0;
    std::unique_ptr<TBarSession> FSession;
    void ApplyVisibility();
    void Float();
    std::optional<Qt::Edge> FrameEdgeAt(QPoint Pos) const;
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
    const std::vector<TLineBreak>& LineBreaks() const { return FLineBreaks; }
    // Floating outer sizes the bar snaps to while resized, widest first.
    std::vector<TBarSize> FloatingOuterSizes() const;

    void ResizeStart(Qt::Edge Edge) override;
    void ResizeStep(Qt::Edge Edge, TBarRect& Rect) override;
    void ResizeEnd(bool Accepted) override;

protected:
    void PaintClient(QPainter& Painter) override;

private:
    std::vector<TLineBreak> FLineBreaks;
    std::vector<TBarSize> FSizing;
    int FSizingWrap = 0;
    std::vector<TBarItem> Items(std::vector<QWidget*>* Widgets) const;
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
