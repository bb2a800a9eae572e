#pragma once

#include "platform/Colors.h"
#include "ui/ButtonGlyph.h"
#include "ui/ButtonTimer.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

class TCommandBarHost;

enum TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };

// Where a button's drop-down menu opens, in the button's own coordinates.
struct TDropdownAnchor {
    QPoint Point;
    bool RightAligned = false;
};
TDropdownAnchor DropdownAnchor(QSize ButtonSize, const TCommandBarHost* Host);

// Keeps track of the drop-down menus of all buttons and turns the hovered item of any of them
// into the application hint.
class TDropdownList : public QObject {
    Q_OBJECT
public:
    void Add(QMenu* Menu);
    bool Contains(const QMenu* Menu) const;
    int Count() const { return int(FMenus.size()); }

    std::function<void(const QString& Hint)> OnHint;

private:
    std::vector<const QMenu*> FMenus;
};

// The one list shared by all buttons; null while no button exists.
TDropdownList* DropdownList();

// A flat push button painted entirely by the program: glyph, caption or both, toggle groups,
// auto-repeat and a drop-down menu, optionally from a separate arrow part.
class TCommandBarButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 23;
    static constexpr int DefaultHeight = 22;
    static constexpr int ComboPartWidth = 11;

    explicit TCommandBarButton(QWidget* Parent = nullptr);
    ~TCommandBarButton() override;

    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    TButtonDisplayMode DisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TButtonDisplayMode Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool DropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool Value);
    bool DropdownCombo() const { return FDropdownCombo; }
    void SetDropdownCombo(bool Value);
    QMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(QMenu* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    const QImage& Glyph() const { return FGlyph.Glyph(); }
    void SetGlyph(const QImage& Value);
    const QImage& GlyphMask() const { return FGlyph.GlyphMask(); }
    void SetGlyphMask(const QImage& Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    bool NoBorder() const { return FNoBorder; }
    void SetNoBorder(bool Value);
    int NumGlyphs() const { return FGlyph.NumGlyphs(); }
    void SetNumGlyphs(int Value);
    bool OldDisabledStyle() const { return FGlyph.OldDisabledStyle(); }
    void SetOldDisabledStyle(bool Value);
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool Value);
    bool Repeating() const { return FRepeating; }
    void SetRepeating(bool Value) { FRepeating = Value; }
    int RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(int Value) { FRepeatDelay = Value; }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int Value) { FRepeatInterval = Value; }
    bool ShowBorderWhenInactive() const { return FShowBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool Value) { FShowBorderWhenInactive = Value; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // Windows-1252 text; "&" marks the accelerator.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    // "tooltip|status-bar text"; without "|" the whole text serves as both.
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    // Colours for derived pictures and the halftone; the system's unless set.
    void SetGlyphColors(const TGlyphColors& Value);

    // While loading, DropdownCombo leaves the width alone.
    void SetLoading(bool Value);
    // Prepares the picture of the current state once loading is done.
    void Loaded();

    TCommandButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }
    bool Dragging() const { return FDragging; }
    // The button is counted as opaque unless it is flat and not Opaque.
    bool IsOpaque() const { return !FFlat || FOpaque; }
    bool HasDropdown() const { return FDropdownMenu != nullptr; }
    bool RepeatTimerRunning() const { return FRepeatTimer && FRepeatTimer->Enabled(); }

    // Presses the button as a click does: opens the menu or fires OnClick.
    virtual void Click();
    // A dialog character: clicks the button when it is its enabled, shown accelerator.
    bool DialogChar(QChar Char);
    // Ends a press that lost the mouse, as when a modal window takes over.
    void CancelMode();
    // Another button of Group went down or changed AllowAllUp.
    void ButtonPressed(int Group, TCommandBarButton* Sender);

    // Paints the whole face; paint events come here.
    void PaintButton(QPainter& Painter);

    std::function<void(TCommandBarButton& Sender)> OnClick;
    std::function<void(TCommandBarButton& Sender)> OnDblClick;
    std::function<void(TCommandBarButton& Sender)> OnMouseEnter;
    std::function<void(TCommandBarButton& Sender)> OnMouseExit;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    friend void ApplicationDeactivated();
    friend void SharedMouseTimerTick();

    void Repaint();
    void GroupBroadcast();
    bool ComboPart() const { return FDropdownCombo && HasDropdown(); }
    bool InBody(QPoint Pos) const;
    void LeftMouseDown(QPoint Pos);
    void RepeatTimerTick();
    void FireEvent(const std::function<void(TCommandBarButton&)>& Handler);
    void OpenDropdownMenu();
    void MouseEnter();
    void MouseLeave();
    void UpdateTracking();
    TGlyphColors Colors() const;

    TButtonGlyph FGlyph;
    TCommandButtonState FState = cbsUp;
    bool FAllowAllUp = false;
    int FGroupIndex = 0;
    TButtonDisplayMode FDisplayMode = dmBoth;
    bool FDown = false;
    bool FDropdownArrow = true;
    bool FDropdownCombo = false;
    QPointer<QMenu> FDropdownMenu;
    bool FFlat = true;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FModalResult = 0;
    bool FNoBorder = false;
    bool FOpaque = true;
    bool FRepeating = false;
    int FRepeatDelay = 400;
    int FRepeatInterval = 100;
    bool FShowBorderWhenInactive = false;
    int FSpacing = 4;
    bool FWordWrap = false;
    std::string FCaption;
    std::string FHint;
    TColor FColor = clBtnFace;
    std::optional<TGlyphColors> FGlyphColors;

    bool FLoading = false;
    bool FMouseInControl = false;
    bool FDragging = false;
    bool FMenuPartPressed = false;
    bool FInClick = false;
    bool FDestroying = false;
    QPoint FLastMousePos{-1, -1};
    std::unique_ptr<TButtonTimer> FRepeatTimer;
};

} // namespace korvid
