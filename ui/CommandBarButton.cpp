#include "ui/CommandBarButton.h"

#include "platform/Cp1252.h"
#include "ui/CommandBarHost.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace korvid {

namespace {

constexpr int SharedTimerInterval = 125;

struct TButtonGlobals {
    int ButtonCount = 0;
    QPointer<TCommandBarButton> Tracked;
    std::unique_ptr<TButtonTimer> MouseTimer;
    std::unique_ptr<TDropdownList> Dropdowns;
    QMetaObject::Connection ApplicationHook;
};

TButtonGlobals& Globals() {
    static TButtonGlobals Instance;
    return Instance;
}

bool ApplicationActive() {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

QWidget* ControlUnderCursor() {
    return QApplication::widgetAt(QCursor::pos());
}

QColor SystemQColor(TSystemColorIndex Index) {
    return ColorToQColor(SystemColor(Index));
}

// The two-tone frame of a button: raised or sunken, one ring when flat, two when not.
void DrawEdge(QPainter& Painter, const QRect& R, bool Sunken, bool Flat) {
    const QColor Highlight = SystemQColor(COLOR_BTNHIGHLIGHT);
    const QColor Shadow = SystemQColor(COLOR_BTNSHADOW);
    const QColor Dark = SystemQColor(COLOR_3DDKSHADOW);
    const QColor Light = SystemQColor(COLOR_3DLIGHT);
    auto Ring = [&Painter](const QRect& Box, const QColor& TopLeft, const QColor& BottomRight) {
        Painter.fillRect(Box.left(), Box.top(), Box.width(), 1, TopLeft);
        Painter.fillRect(Box.left(), Box.top(), 1, Box.height(), TopLeft);
        Painter.fillRect(Box.left(), Box.bottom(), Box.width(), 1, BottomRight);
        Painter.fillRect(Box.right(), Box.top(), 1, Box.height(), BottomRight);
    };
    if (Flat) {
        if (Sunken)
            Ring(R, Shadow, Highlight);
        else
            Ring(R, Highlight, Shadow);
        return;
    }
    Painter.fillRect(R.adjusted(2, 2, -2, -2), SystemQColor(COLOR_BTNFACE));
    if (Sunken) {
        Ring(R, Shadow, Highlight);
        Ring(R.adjusted(1, 1, -1, -1), Dark, Light);
    } else {
        Ring(R, Light, Dark);
        Ring(R.adjusted(1, 1, -1, -1), Highlight, Shadow);
    }
}

std::string ShortHint(const std::string& Hint) {
    const auto Bar = Hint.find('|');
    return Bar == std::string::npos ? Hint : Hint.substr(0, Bar);
}

std::string LongHint(const std::string& Hint) {
    const auto Bar = Hint.find('|');
    return Bar == std::string::npos ? Hint : Hint.substr(Bar + 1);
}

// The accelerator character of a caption ("&&" is a plain "&"); 0 when there is none.
char Accelerator(const std::string& Caption) {
    for (std::size_t I = 0; I + 1 < Caption.size(); ++I)
        if (Caption[I] == '&') {
            if (Caption[I + 1] != '&')
                return Caption[I + 1];
            ++I;
        }
    return 0;
}

} // namespace

void ApplicationDeactivated() {
    TCommandBarButton* Tracked = Globals().Tracked;
    if (Tracked && !Tracked->FShowBorderWhenInactive)
        Tracked->MouseLeave();
}

void SharedMouseTimerTick() {
    TCommandBarButton* Tracked = Globals().Tracked;
    if (Tracked && ControlUnderCursor() != Tracked)
        Tracked->MouseLeave();
}

// ---- TDropdownList ------------------------------------------------------------------------

void TDropdownList::Add(QMenu* Menu) {
    if (!Menu || Contains(Menu))
        return;
    FMenus.push_back(Menu);
    connect(Menu, &QObject::destroyed, this, [this, Menu] { std::erase(FMenus, Menu); });
    connect(Menu, &QMenu::hovered, this, [this](QAction* Action) {
        if (OnHint)
            OnHint(Action ? Action->statusTip() : QString());
    });
}

bool TDropdownList::Contains(const QMenu* Menu) const {
    return std::find(FMenus.begin(), FMenus.end(), Menu) != FMenus.end();
}

TDropdownList* DropdownList() {
    return Globals().Dropdowns.get();
}

TDropdownAnchor DropdownAnchor(QSize ButtonSize, const TCommandBarHost* Host) {
    if (DockKindOf(Host) == 2) {
        if (*Host->DockedPosition() == dpLeft)
            return {QPoint(ButtonSize.width(), 0), false};
        return {QPoint(0, 0), true};
    }
    return {QPoint(0, ButtonSize.height()), false};
}

// ---- TCommandBarButton --------------------------------------------------------------------

TCommandBarButton::TCommandBarButton(QWidget* Parent) : QWidget(Parent) {
    resize(DefaultWidth, DefaultHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, IsOpaque());
    FGlyph.OnChange = [this] { Repaint(); };

    TButtonGlobals& G = Globals();
    if (G.ButtonCount++ == 0) {
        G.Dropdowns = std::make_unique<TDropdownList>();
        G.MouseTimer = MakeButtonTimer();
        G.MouseTimer->SetInterval(SharedTimerInterval);
        G.MouseTimer->OnTimer = SharedMouseTimerTick;
        G.ApplicationHook = QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged,
                                             [](Qt::ApplicationState State) {
                                                 if (State != Qt::ApplicationActive)
                                                     ApplicationDeactivated();
                                             });
    }
}

TCommandBarButton::~TCommandBarButton() {
    FDestroying = true;
    TButtonGlobals& G = Globals();
    if (G.Tracked == this) {
        G.MouseTimer->SetEnabled(false);
        G.Tracked = nullptr;
    }
    if (--G.ButtonCount == 0) {
        QObject::disconnect(G.ApplicationHook);
        G.MouseTimer.reset();
        G.Dropdowns.reset();
        ReleaseSharedPattern(true);
    }
}

void TCommandBarButton::Repaint() {
    if (!FDestroying)
        update();
}

TGlyphColors TCommandBarButton::Colors() const {
    return FGlyphColors ? *FGlyphColors : SystemGlyphColors();
}

void TCommandBarButton::GroupBroadcast() {
    if (FGroupIndex == 0 || !parentWidget())
        return;
    for (QObject* Child : parentWidget()->children())
        if (auto* Button = qobject_cast<TCommandBarButton*>(Child))
            Button->ButtonPressed(FGroupIndex, this);
}

void TCommandBarButton::ButtonPressed(int Group, TCommandBarButton* Sender) {
    if (Sender == this || Group != FGroupIndex)
        return;
    if (Sender->FDown && FDown) {
        FDown = false;
        FState = cbsUp;
        Repaint();
    }
    FAllowAllUp = Sender->FAllowAllUp;
}

void TCommandBarButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp)
        return;
    FAllowAllUp = Value;
    GroupBroadcast();
}

void TCommandBarButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex)
        return;
    FGroupIndex = Value;
    GroupBroadcast();
}

void TCommandBarButton::SetDisplayMode(TButtonDisplayMode Value) {
    if (Value == FDisplayMode)
        return;
    FDisplayMode = Value;
    Repaint();
}

void TCommandBarButton::SetDown(bool Value) {
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = Value;
    FState = Value ? cbsExclusive : cbsUp;
    if (!isEnabled())
        FState = cbsDisabled;
    Repaint();
    if (Value)
        GroupBroadcast();
}

void TCommandBarButton::SetDropdownArrow(bool Value) {
    if (Value == FDropdownArrow)
        return;
    FDropdownArrow = Value;
    Repaint();
}

void TCommandBarButton::SetDropdownCombo(bool Value) {
    if (Value == FDropdownCombo)
        return;
    FDropdownCombo = Value;
    if (!FLoading)
        resize(Value ? width() + ComboPartWidth : std::max(width() - ComboPartWidth, 1), height());
    Repaint();
}

void TCommandBarButton::SetDropdownMenu(QMenu* Value) {
    if (Value == FDropdownMenu)
        return;
    FDropdownMenu = Value;
    if (Value && Globals().Dropdowns)
        Globals().Dropdowns->Add(Value);
    if (FDropdownArrow)
        Repaint();
}

void TCommandBarButton::SetFlat(bool Value) {
    if (Value == FFlat)
        return;
    FFlat = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, IsOpaque());
    Repaint();
}

void TCommandBarButton::SetGlyph(const QImage& Value) {
    if (Value == FGlyph.Glyph())
        return;
    FGlyph.SetGlyph(Value);
}

void TCommandBarButton::SetGlyphMask(const QImage& Value) {
    if (Value == FGlyph.GlyphMask())
        return;
    FGlyph.SetGlyphMask(Value);
}

void TCommandBarButton::SetLayout(TButtonLayout Value) {
    if (Value == FLayout)
        return;
    FLayout = Value;
    Repaint();
}

void TCommandBarButton::SetMargin(int Value) {
    if (Value == FMargin || Value < -1)
        return;
    FMargin = Value;
    Repaint();
}

void TCommandBarButton::SetNoBorder(bool Value) {
    if (Value == FNoBorder)
        return;
    FNoBorder = Value;
    Repaint();
}

void TCommandBarButton::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 5);
    if (Value == FGlyph.NumGlyphs())
        return;
    FGlyph.SetNumGlyphs(Value);
}

void TCommandBarButton::SetOldDisabledStyle(bool Value) {
    if (Value == FGlyph.OldDisabledStyle())
        return;
    FGlyph.SetOldDisabledStyle(Value);
    Repaint();
}

void TCommandBarButton::SetOpaque(bool Value) {
    if (Value == FOpaque)
        return;
    FOpaque = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, IsOpaque());
    Repaint();
}

void TCommandBarButton::SetSpacing(int Value) {
    if (Value == FSpacing)
        return;
    FSpacing = Value;
    Repaint();
}

void TCommandBarButton::SetWordWrap(bool Value) {
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    Repaint();
}

void TCommandBarButton::SetCaption(const std::string& Value) {
    if (Value == FCaption)
        return;
    FCaption = Value;
    Repaint();
}

void TCommandBarButton::SetHint(const std::string& Value) {
    if (Value == FHint)
        return;
    FHint = Value;
    setToolTip(ToQString(ShortHint(Value)));
    setStatusTip(ToQString(LongHint(Value)));
}

void TCommandBarButton::SetColor(TColor Value) {
    if (Value == FColor)
        return;
    FColor = Value;
    Repaint();
}

void TCommandBarButton::SetGlyphColors(const TGlyphColors& Value) {
    FGlyphColors = Value;
    FGlyph.SetColors(Value);
    Repaint();
}

void TCommandBarButton::SetLoading(bool Value) {
    FLoading = Value;
}

void TCommandBarButton::Loaded() {
    FLoading = false;
    FGlyph.Picture(isEnabled() ? cbsUp : cbsDisabled);
}

bool TCommandBarButton::InBody(QPoint Pos) const {
    const int BodyWidth = ComboPart() ? width() - ComboPartWidth : width();
    return Pos.x() >= 0 && Pos.x() < BodyWidth && Pos.y() >= 0 && Pos.y() < height();
}

void TCommandBarButton::FireEvent(const std::function<void(TCommandBarButton&)>& Handler) {
    // A copy, because the handler may destroy this button and with it the member.
    if (const auto Call = Handler)
        Call(*this);
}

// ---- Painting -----------------------------------------------------------------------------

void TCommandBarButton::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    PaintButton(Painter);
}

void TCommandBarButton::PaintButton(QPainter& Painter) {
    if (IsOpaque())
        Painter.fillRect(rect(), ColorToQColor(FColor));

    if (!isEnabled()) {
        FState = cbsDisabled;
        FDragging = false;
    } else if (FState == cbsDisabled) {
        FState = (FDown && FGroupIndex != 0) ? cbsExclusive : cbsUp;
    }

    QRect R = rect();
    const bool Pressed = FState == cbsDown || FState == cbsExclusive;
    const bool Combo = ComboPart();
    const bool Border = !(FNoBorder || (FFlat && !Pressed && (!FMouseInControl || !isEnabled())));
    if (!Border && Combo)
        R.setRight(R.right() - ComboPartWidth);
    if (Border) {
        bool BodySunken = Pressed;
        if (Combo) {
            QRect ArrowPart = R;
            ArrowPart.setLeft(R.right() + 1 - ComboPartWidth);
            ArrowPart.setRight(R.right() - 2);
            DrawEdge(Painter, ArrowPart, Pressed && FMenuPartPressed, FFlat);
            R.setRight(R.right() - ComboPartWidth);
            BodySunken = Pressed && !FMenuPartPressed;
        }
        DrawEdge(Painter, R, BodySunken, FFlat);
    }
    if (!FNoBorder) {
        const int Inset = FFlat ? 1 : 2;
        R.adjust(Inset, Inset, -Inset, -Inset);
    }

    QPoint Offset(0, 0);
    if (Pressed && !(Combo && FMenuPartPressed))
        Offset = QPoint(1, 1);
    if (FState == cbsExclusive && !(FFlat && FMouseInControl))
        Painter.fillRect(R, QBrush(SharedPattern()));

    const QColor TextColor = palette().color(QPalette::ButtonText);
    const bool Arrow = FDropdownArrow && !Combo && HasDropdown();
    FGlyph.Draw(Painter, R, FState, Arrow, FSpacing, FMargin, FLayout, FWordWrap,
                ToQString(FCaption), FDisplayMode != dmGlyphOnly, FDisplayMode != dmTextOnly,
                Offset, font(), TextColor);
    if (Combo)
        DrawDropdownArrow(Painter, QPoint(width() - 13, height() / 2 - 1), !isEnabled(), Colors(),
                          TextColor);
}

// ---- Mouse --------------------------------------------------------------------------------

void TCommandBarButton::mousePressEvent(QMouseEvent* Event) {
    if (!isEnabled()) {
        QWidget::mousePressEvent(Event);
        return;
    }
    if (Event->button() != Qt::LeftButton) {
        MouseEnter();
        QWidget::mousePressEvent(Event);
        return;
    }
    // Accepted before any handler runs: a handler may destroy the button, and the event must
    // then not travel on through it.
    Event->accept();
    LeftMouseDown(Event->position().toPoint());
}

void TCommandBarButton::LeftMouseDown(QPoint Pos) {
    const QPointer<TCommandBarButton> Self(this);
    FLastMousePos = Pos;
    if (!FMouseInControl) {
        FMouseInControl = true;
        FireEvent(OnMouseEnter);
        if (!Self)
            return;
    }
    FMenuPartPressed = HasDropdown() && (!ComboPart() || Pos.x() >= width() - ComboPartWidth);
    if (!FDown) {
        FState = cbsDown;
        Repaint();
    } else if (FAllowAllUp) {
        Repaint();
    }
    if (!FMenuPartPressed)
        FDragging = true;
    if (FMenuPartPressed) {
        Click();
    } else if (FRepeating) {
        FireEvent(OnClick);
        if (!Self)
            return;
        if (!FRepeatTimer) {
            FRepeatTimer = MakeButtonTimer();
            FRepeatTimer->OnTimer = [this] { RepeatTimerTick(); };
        }
        FRepeatTimer->SetInterval(FRepeatDelay);
        FRepeatTimer->SetEnabled(true);
    }
    if (Self)
        FMenuPartPressed = false;
}

void TCommandBarButton::RepeatTimerTick() {
    FRepeatTimer->SetInterval(FRepeatInterval);
    if (FRepeating && FDragging && InBody(FLastMousePos))
        FireEvent(OnClick); // may destroy the button: nothing follows
    else
        FRepeatTimer->SetEnabled(false);
}

void TCommandBarButton::mouseMoveEvent(QMouseEvent* Event) {
    QWidget::mouseMoveEvent(Event);
    const QPoint Pos = Event->position().toPoint();
    FLastMousePos = Pos;
    TButtonGlobals& G = Globals();
    if (G.Tracked != this && rect().contains(Pos)) {
        if (G.Tracked)
            G.Tracked->MouseLeave();
        if (FShowBorderWhenInactive || ApplicationActive()) {
            G.Tracked = this;
            G.MouseTimer->SetEnabled(true);
            MouseEnter();
        }
    }
    if (!FDragging)
        return;
    const bool Inside = InBody(Pos);
    if (Inside && FRepeatTimer && !FRepeatTimer->Enabled())
        FRepeatTimer->SetEnabled(true);
    const TCommandButtonState NewState = FDown ? cbsExclusive : Inside ? cbsDown : cbsUp;
    if (NewState != FState) {
        FState = NewState;
        Repaint();
    }
}

void TCommandBarButton::mouseReleaseEvent(QMouseEvent* Event) {
    FRepeatTimer.reset();
    if (Event->button() == Qt::RightButton && isEnabled()) {
        FDragging = false;
        MouseLeave();
    }
    QWidget::mouseReleaseEvent(Event);
    if (Event->button() != Qt::LeftButton || !FDragging)
        return;
    Event->accept();
    FDragging = false;
    const bool Inside = InBody(Event->position().toPoint());
    if (FGroupIndex != 0) {
        if (Inside)
            SetDown(!FDown);
        else if (FDown)
            FState = cbsExclusive;
    }
    if (Inside && !FRepeating) {
        Click();
        return;
    }
    if (FState == cbsDown)
        FState = cbsUp;
    Repaint();
    UpdateTracking();
}

void TCommandBarButton::mouseDoubleClickEvent(QMouseEvent* Event) {
    // The second press of a double click presses the button like the first one did.
    const QPointer<TCommandBarButton> Self(this);
    Event->accept();
    if (isEnabled() && Event->button() == Qt::LeftButton)
        LeftMouseDown(Event->position().toPoint());
    if (Self && FDown)
        FireEvent(OnDblClick);
}

void TCommandBarButton::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    MouseLeave();
}

void TCommandBarButton::CancelMode() {
    FRepeatTimer.reset();
    if (FDragging) {
        FDragging = false;
        if (FDown && FGroupIndex != 0)
            FState = cbsExclusive;
        MouseLeave();
    }
}

void TCommandBarButton::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    switch (Event->type()) {
    case QEvent::EnabledChange:
        FGlyph.Picture(isEnabled() ? cbsUp : cbsDisabled);
        UpdateTracking();
        Repaint();
        break;
    case QEvent::PaletteChange:
        ReleaseSharedPattern(false);
        FGlyph.Invalidate();
        FGlyph.Picture(FState);
        Repaint();
        break;
    case QEvent::FontChange:
        Repaint();
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow() && FDragging)
            CancelMode();
        break;
    default:
        break;
    }
}

void TCommandBarButton::MouseEnter() {
    if (!isEnabled() || FMouseInControl)
        return;
    FMouseInControl = true;
    if (FState == cbsUp)
        FState = cbsMouseIn;
    Repaint();
    FireEvent(OnMouseEnter);
}

void TCommandBarButton::MouseLeave() {
    if (!isEnabled() || !FMouseInControl || FDragging)
        return;
    if (FState == cbsMouseIn || (FState == cbsDown && !FInClick))
        FState = cbsUp;
    FMouseInControl = false;
    Repaint();
    TButtonGlobals& G = Globals();
    if (G.Tracked == this) {
        G.MouseTimer->SetEnabled(false);
        G.Tracked = nullptr;
    }
    FireEvent(OnMouseExit);
}

void TCommandBarButton::UpdateTracking() {
    if (!isEnabled())
        return;
    if (ControlUnderCursor() != this)
        MouseLeave();
    else
        MouseEnter();
}

// ---- Click --------------------------------------------------------------------------------

void TCommandBarButton::Click() {
    const QPointer<TCommandBarButton> Self(this);
    FInClick = true;
    if (FState == cbsUp || FState == cbsMouseIn) {
        FState = cbsDown;
        Repaint();
    }
    MouseLeave();
    if (!Self)
        return;
    if (HasDropdown() && (!ComboPart() || FMenuPartPressed)) {
        OpenDropdownMenu();
    } else {
        if (auto* Dialog = qobject_cast<QDialog*>(window()); Dialog && FModalResult != 0)
            Dialog->done(FModalResult);
        FireEvent(OnClick);
    }
    if (!Self)
        return;
    FInClick = false;
    if (FState == cbsDown)
        FState = cbsUp;
    if (!FDestroying) {
        Repaint();
        UpdateTracking();
    }
}

void TCommandBarButton::OpenDropdownMenu() {
    QMenu* Menu = FDropdownMenu;
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    const TDropdownAnchor Anchor =
        DropdownAnchor(size(), dynamic_cast<const TCommandBarHost*>(parentWidget()));
    QPoint Global = mapToGlobal(Anchor.Point);
    if (Anchor.RightAligned)
        Global.rx() -= Menu->sizeHint().width();
    Menu->exec(Global);
}

bool TCommandBarButton::DialogChar(QChar Char) {
    const char Key = Accelerator(FCaption);
    if (Key == 0 || !isEnabled() || isHidden())
        return false;
    if (ToQString(std::string(1, Key)).at(0).toUpper() != Char.toUpper())
        return false;
    Click();
    return true;
}

} // namespace korvid
