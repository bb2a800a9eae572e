#include "ui/CommandBars.h"

#include "ui/BarRegistry.h"
#include "ui/InvalidOperation.h"

#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace korvid {

TBarMetrics& BarMetrics() {
    static TBarMetrics Metrics;
    return Metrics;
}

TBarRect ToBarRect(const QRect& R) {
    return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
}
QRect ToQRect(const TBarRect& R) {
    return QRect(R.Left, R.Top, R.Width(), R.Height());
}

TBarRect WorkAreaOf(const QWidget* Widget) {
    QScreen* Screen = Widget ? Widget->screen() : nullptr;
    if (!Screen)
        Screen = QGuiApplication::primaryScreen();
    return Screen ? ToBarRect(Screen->availableGeometry()) : TBarRect{0, 0, 1024, 768};
}

namespace {

TBarPoint ToBarPoint(QPoint P) {
    return {P.x(), P.y()};
}

void DrawRaisedEdge(QPainter& Painter, const QRect& R, const QPalette& Palette, bool Fill = true) {
    if (Fill)
        Painter.fillRect(R, Palette.color(QPalette::Button));
    Painter.setPen(Palette.color(QPalette::Light));
    Painter.drawLine(R.topLeft(), R.topRight());
    Painter.drawLine(R.topLeft(), R.bottomLeft());
    Painter.setPen(Palette.color(QPalette::Dark));
    Painter.drawLine(R.bottomLeft(), R.bottomRight());
    Painter.drawLine(R.topRight(), R.bottomRight());
}

// The outline of a drag or resize: four thin frameless windows with a dithered brush that
// let the mouse through.
class TDragOutline {
public:
    TDragOutline() {
        for (auto& Side : FSides) {
            Side = std::make_unique<QWidget>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
            Side->setAttribute(Qt::WA_TransparentForMouseEvents);
            Side->setAttribute(Qt::WA_ShowWithoutActivating);
            QPalette Palette = Side->palette();
            Palette.setBrush(QPalette::Window, QBrush(Qt::black, Qt::Dense4Pattern));
            Side->setPalette(Palette);
            Side->setAutoFillBackground(true);
        }
    }
    void Show(const TBarRect& R, int Thickness) {
        const QRect Q = ToQRect(R);
        const int T = std::max(1, Thickness);
        FSides[0]->setGeometry(Q.left(), Q.top(), Q.width(), T);
        FSides[1]->setGeometry(Q.left(), Q.bottom() - T + 1, Q.width(), T);
        FSides[2]->setGeometry(Q.left(), Q.top(), T, Q.height());
        FSides[3]->setGeometry(Q.right() - T + 1, Q.top(), T, Q.height());
        for (auto& Side : FSides)
            Side->show();
    }

private:
    std::unique_ptr<QWidget> FSides[4];
};

class TDragSession : public TBarSession {
public:
    TDragSession(TCustomBar* Bar, QPoint GlobalPress, bool Ctrl) : FBar(Bar), FPress(GlobalPress) {
        const QPoint Origin = Bar->mapToGlobal(QPoint(0, 0));
        FStart = {ToBarPoint(GlobalPress - Origin), {Bar->width(), Bar->height()}};
        // The dock classes carry no meta-object, so a typed findChildren would match any widget.
        for (QWidget* Child : Bar->OwnerForm()->findChildren<QWidget*>()) {
            auto* Dock = dynamic_cast<TDock*>(Child);
            if (!Dock)
                continue;
            FDocks.push_back(Dock);
            FTargets.push_back({Dock->Position(), Dock->AllowDrag(),
                                ToBarRect(QRect(Dock->mapToGlobal(QPoint(0, 0)), Dock->size())),
                                Bar->OuterSizeAt(Dock)});
        }
        FFloatingSize = Bar->OuterSizeAt(nullptr);
        Choose(GlobalPress, Ctrl);
    }
    void Move(QPoint Global, bool Ctrl) override {
        FMoved = FMoved || Global != FPress;
        Choose(Global, Ctrl);
    }
    void CtrlChanged(bool Ctrl) override {
        if (Ctrl != FCtrl)
            Choose(FCursor, Ctrl);
    }
    void Cancel() override { FBar->EndSession(); }
    void Release(QPoint Global, bool Ctrl) override {
        Move(Global, Ctrl);
        const QPointer<TCustomBar> Bar = FBar;
        const bool Moved = FMoved;
        const TDragChoice Choice = FChoice;
        const QPointer<TDock> Dock =
            Choice.Dock ? FDocks[static_cast<std::size_t>(*Choice.Dock)] : nullptr;
        Bar->EndSession(); // this session is gone from here on
        if (Moved && Bar)
            Drop(Bar, Dock, Choice);
    }

private:
    QPointer<TCustomBar> FBar;
    QPoint FPress;
    QPoint FCursor;
    bool FCtrl = false;
    bool FMoved = false;
    TDragStart FStart;
    std::vector<QPointer<TDock>> FDocks;
    std::vector<TDockTarget> FTargets;
    TBarSize FFloatingSize;
    TDragChoice FChoice;
    TDragOutline FOutline;

    void Choose(QPoint Global, bool Ctrl) {
        FCursor = Global;
        FCtrl = Ctrl;
        TDragInput Input;
        Input.Cursor = ToBarPoint(Global);
        Input.Ctrl = Ctrl;
        Input.DockableTo = FBar->DockableTo;
        Input.FloatingSize = FFloatingSize;
        Input.WorkArea = WorkAreaOf(FBar);
        Input.Metrics = BarMetrics();
        FChoice = ChooseDragTarget(Input, FStart, FTargets, [this](int Index) {
            TDock* Dock = FDocks[static_cast<std::size_t>(Index)];
            bool Accept = Dock != nullptr;
            if (Accept && Dock->OnRequestDock)
                Dock->OnRequestDock(Dock, FBar, Accept);
            return Accept;
        });
        FOutline.Show(FChoice.Rect, FChoice.Dock ? 1 : BarMetrics().FrameThickness);
    }

    static void Drop(TCustomBar* Bar, TDock* Dock, const TDragChoice& Choice) {
        if (Dock) {
            const QPoint TopLeft = Dock->mapFromGlobal(QPoint(Choice.Rect.Left, Choice.Rect.Top));
            const TBarRect R =
                TBarRect::At(ToBarPoint(TopLeft), {Choice.Rect.Width(), Choice.Rect.Height()});
            const bool Vertical = Dock->Vertical();
            const int Centre = Vertical ? (R.Left + R.Right) / 2 : (R.Top + R.Bottom) / 2;
            auto [Row, NewRow] = Dock->RowForDrop(Centre);
            if (NewRow) {
                Dock->OpenRow(Row);
            } else if (Bar->FullSize() && Dock->BarsOnRow(Row, Bar) > 0) {
                ++Row;
                Dock->OpenRow(Row);
            }
            Bar->DockRow = Row;
            Bar->DockPos = Vertical ? R.Top : R.Left;
        } else {
            Bar->SetFloatingPlace({Choice.Rect.Left, Choice.Rect.Top});
        }
        Bar->SetDockedTo(Dock);
        Bar->KeepOnScreen(true);
    }
};

class TResizeSession : public TBarSession {
public:
    TResizeSession(TCustomBar* Bar, QPoint GlobalPress, Qt::Edges Edges)
        : FBar(Bar), FPress(GlobalPress), FCursor(GlobalPress), FEdges(Edges),
          FStartRect(ToBarRect(Bar->geometry())), FRect(FStartRect) {
        Bar->ResizeStart(Edges);
        FOutline.Show(FRect, BarMetrics().FrameThickness);
    }
    void Move(QPoint Global, bool) override {
        if (FBar->Behaviour().ConfineCursor)
            Global = Confined(Global);
        // The size choice remembers its direction, so only a real move is a step.
        if (Global == FCursor)
            return;
        FCursor = Global;
        const QPoint D = Global - FPress;
        const TBarSize Least = FloatingOuterSize(FBar->MinimumClientSize(), BarMetrics());
        const int MinWidth = std::max(1, Least.Width);
        const int MinHeight = std::max(1, Least.Height);
        TBarRect R = FStartRect;
        if (FEdges.testFlag(Qt::LeftEdge))
            R.Left = std::min(R.Left + D.x(), R.Right - MinWidth);
        if (FEdges.testFlag(Qt::RightEdge))
            R.Right = std::max(R.Right + D.x(), R.Left + MinWidth);
        if (FEdges.testFlag(Qt::TopEdge))
            R.Top = std::min(R.Top + D.y(), R.Bottom - MinHeight);
        if (FEdges.testFlag(Qt::BottomEdge))
            R.Bottom = std::max(R.Bottom + D.y(), R.Top + MinHeight);
        FBar->ResizeStep(FEdges, R);
        FRect = R;
        FOutline.Show(FRect, BarMetrics().FrameThickness);
    }
    void CtrlChanged(bool) override {}
    void Cancel() override {
        const QPointer<TCustomBar> Bar = FBar;
        Bar->EndSession();
        if (Bar)
            Bar->ResizeEnd(false);
    }
    void Release(QPoint Global, bool Ctrl) override {
        Move(Global, Ctrl);
        const QPointer<TCustomBar> Bar = FBar;
        const TBarRect R = FRect;
        Bar->EndSession();
        if (!Bar)
            return;
        Bar->SetFloatingPlace({R.Left, R.Top});
        Bar->ApplyFloatingSize({R.Width(), R.Height()});
        Bar->ResizeEnd(true);
        Bar->Remeasure();
        Bar->KeepOnScreen(false);
    }
    TBarRect Rect() const { return FRect; }

private:
    QPointer<TCustomBar> FBar;
    QPoint FPress;
    QPoint FCursor;
    Qt::Edges FEdges;
    TBarRect FStartRect;
    TBarRect FRect;
    TDragOutline FOutline;

    // Keeps the cursor inside the work area, as if it were clipped there.
    QPoint Confined(QPoint Global) const {
        const TBarRect Work = WorkAreaOf(FBar);
        const QPoint Inside(std::clamp(Global.x(), Work.Left, std::max(Work.Left, Work.Right - 1)),
                            std::clamp(Global.y(), Work.Top, std::max(Work.Top, Work.Bottom - 1)));
        if (Inside != Global)
            QCursor::setPos(FBar->screen(), Inside);
        return Inside;
    }
};

class TCloseSession : public TBarSession {
public:
    explicit TCloseSession(TCustomBar* Bar) : FBar(Bar) { Bar->SetClosePressed(true); }
    void Move(QPoint Global, bool) override {
        FBar->SetClosePressed(FBar->CloseButtonRect().contains(FBar->mapFromGlobal(Global)));
    }
    void CtrlChanged(bool) override {}
    void Cancel() override {
        FBar->SetClosePressed(false);
        FBar->EndSession();
    }
    void Release(QPoint Global, bool Ctrl) override {
        Move(Global, Ctrl);
        const QPointer<TCustomBar> Bar = FBar;
        const bool Close = Bar->ClosePressed();
        Bar->SetClosePressed(false);
        Bar->EndSession();
        if (!Bar || !Close)
            return;
        Bar->setVisible(false);
        if (Bar && Bar->OnClose)
            Bar->OnClose(Bar);
    }

private:
    QPointer<TCustomBar> FBar;
};

bool InsideBar(const QWidget* W) {
    for (; W; W = W->parentWidget())
        if (dynamic_cast<const TCustomBar*>(W))
            return true;
    return false;
}

// A control of Form that Tab reaches, outside the bars.
bool IsTabStopOf(const QWidget* Form, const QWidget* W) {
    return W->window() == Form && (W->focusPolicy() & Qt::TabFocus) && W->isEnabled() &&
           W->isVisibleTo(Form) && !InsideBar(W);
}

bool IsForm(const QWidget* W) {
    return W && W->isWindow() && !dynamic_cast<const TCustomBar*>(W);
}

// Without a menu the request goes on to the parent, so a docked bar shows its dock's.
void ShowPopupMenu(QMenu* Menu, QContextMenuEvent* Event) {
    if (!Menu) {
        Event->ignore();
        return;
    }
    Event->accept();
    Menu->popup(Event->globalPos());
}

} // namespace

// ---- TDock ------------------------------------------------------------------------------

TDock::TDock(QWidget* Owner, TDockPosition Position) : QWidget(nullptr) {
    if (!IsForm(Owner))
        throw EInvalidOperation("TDock must be owned by a form");
    setParent(Owner);
    FPosition = Position;
    setAutoFillBackground(true);
    LayOutBars();
}

TDock::~TDock() {
    // Hidden bars are out of the rows but still name this dock, and go with it as its children.
    for (TCustomBar* Bar : findChildren<TCustomBar*>(Qt::FindDirectChildrenOnly))
        if (Bar->FDockedTo == this)
            Bar->FDockedTo = nullptr;
}

void TDock::SetPosition(TDockPosition Value) {
    if (Value == FPosition)
        return;
    if (!findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty())
        throw EInvalidOperation(
            "Cannot change Position of a TDock if it already contains controls");
    FPosition = Value;
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    LayOutBars();
}

void TDock::SetAllowDrag(bool Value) {
    FAllowDrag = Value;
    for (TCustomBar* Bar : FBars)
        Bar->Remeasure();
    LayOutBars();
}

void TDock::SetColor(const QColor& Value) {
    QPalette Palette = palette();
    Palette.setColor(QPalette::Window, Value);
    setPalette(Palette); // the palette change drops the transparent cache
}

void TDock::SetBackground(const QPixmap& Value) {
    FBackground = Value;
    BackgroundChanged();
}

void TDock::SetBackgroundOnToolbars(bool Value) {
    FBackgroundOnToolbars = Value;
    RepaintBars();
}

void TDock::SetBackgroundTransparent(bool Value) {
    FBackgroundTransparent = Value;
    if (HasBackground())
        BackgroundChanged();
}

void TDock::BackgroundChanged() {
    FTransparentCache = QPixmap();
    update();
    RepaintBars();
}

void TDock::RepaintBars() {
    for (TCustomBar* Bar : FBars)
        Bar->update();
}

void TDock::PaintBackground(QPainter& Painter, const QRect& Clip,
                            const std::optional<QRect>& Exclude, const QRect& DrawRect) {
    if (!HasBackground())
        return;
    const QPixmap* Tile = &FBackground;
    if (FBackgroundTransparent) {
        if (FTransparentCache.isNull()) {
            QImage Image = FBackground.toImage().convertToFormat(QImage::Format_RGB32);
            const QRgb Key = Image.pixel(0, Image.height() - 1);
            const QRgb Fill = Color().rgb();
            for (int Y = 0; Y < Image.height(); ++Y)
                for (int X = 0; X < Image.width(); ++X)
                    if (Image.pixel(X, Y) == Key)
                        Image.setPixel(X, Y, Fill);
            FTransparentCache = QPixmap::fromImage(Image);
        }
        Tile = &FTransparentCache;
    }
    Painter.save();
    QRegion Region(Clip);
    if (Exclude)
        Region -= *Exclude;
    Painter.setClipRegion(Region);
    Painter.drawTiledPixmap(DrawRect, *Tile);
    Painter.restore();
}

QRect TDock::BackgroundRect(const QWidget* Widget) const {
    const QPoint InParent =
        parentWidget() ? Widget->mapTo(parentWidget(), QPoint(0, 0)) : Widget->pos();
    return QRect(-InParent, QPoint(Widget->width() - 1, Widget->height() - 1));
}

void TDock::SetBoundLines(const TDockBoundLines& Value) {
    FBoundLines = Value;
    LayOutBars();
    update();
}

QMargins TDock::BoundMargins(QSize Outer) const {
    if (Outer.width() <= 1 || Outer.height() <= 1)
        return {};
    const auto Has = [this](TDockBoundLine Line) { return FBoundLines.contains(Line) ? 1 : 0; };
    return QMargins(Has(blLeft), Has(blTop), Has(blRight), Has(blBottom));
}

int TDock::ClientLength() const {
    const int Length = Vertical() ? height() : width();
    // The lines across the ends count once the dock has a length at all.
    const QMargins M = BoundMargins(QSize(2, 2));
    const int Ends = Vertical() ? M.top() + M.bottom() : M.left() + M.right();
    return Length > 1 ? std::max(0, Length - Ends) : Length;
}

void TDock::SetFixAlign(bool Value) {
    FFixAlign = Value;
    LayOutBars();
}

void TDock::SetParent(QWidget* Parent) {
    for (QWidget* W = Parent; W; W = W->parentWidget())
        if (dynamic_cast<TCustomBar*>(W) || dynamic_cast<TDock*>(W))
            throw EInvalidOperation(
                "A TDock control cannot be placed inside a tool window or another TDock");
    setParent(Parent);
}

void TDock::setVisible(bool Visible) {
    if (!Visible && isVisible())
        throw EInvalidOperation("Cannot hide a TDock");
    QWidget::setVisible(Visible);
}

void TDock::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        LayOutBars();
}

void TDock::LayOutBars() {
    if (FUpdateCount > 0)
        return;
    raise();
    std::vector<TDockSlot> Slots;
    const int Kind = Vertical() ? 2 : 1;
    for (std::size_t I = 0; I < FBars.size(); ++I) {
        TCustomBar* Bar = FBars[I];
        TDockSlot S;
        S.Id = static_cast<int>(I);
        S.DockRow = Bar->DockRow;
        S.DockPos = Bar->DockPos;
        S.FullSize = Bar->FullSize();
        S.Length = Vertical() ? Bar->height() : Bar->width();
        S.BaseSize = Bar->MeasureThickness(Kind);
        Slots.push_back(S);
    }
    const TDockArrangement Result =
        ArrangeDock(Slots, {Vertical(), FFixAlign, LimitToOneRow, ClientLength()});
    FRowSizes = Result.RowSizes;
    const QMargins Lines = BoundMargins(OuterSizeFor(Result.Thickness));
    std::vector<TCustomBar*> Sorted;
    for (const auto& S : Slots) {
        TCustomBar* Bar = FBars[static_cast<std::size_t>(S.Id)];
        Bar->DockRow = S.DockRow;
        Bar->DockPos = S.DockPos;
        ++Bar->FArranging;
        Bar->setGeometry(ToQRect(S.Bounds).translated(Lines.left(), Lines.top()));
        --Bar->FArranging;
        Sorted.push_back(Bar);
    }
    FBars = std::move(Sorted);
    ApplyThickness(Result.Thickness);
}

QSize TDock::OuterSizeFor(int Thickness) const {
    // The lines across count only when the dock with them is more than a pixel thick.
    const QMargins M = BoundMargins(QSize(2, 2));
    const int WithLines = Thickness + (Vertical() ? M.left() + M.right() : M.top() + M.bottom());
    const int Length = Vertical() ? height() : width();
    const QSize Outer = Vertical() ? QSize(WithLines, Length) : QSize(Length, WithLines);
    const QSize Bare = Vertical() ? QSize(Thickness, Length) : QSize(Length, Thickness);
    return BoundMargins(Outer).isNull() ? Bare : Outer;
}

void TDock::ApplyThickness(int Thickness) {
    // The window's layout keeps a bottom dock's bottom edge and a right dock's right edge.
    const QSize Outer = OuterSizeFor(Thickness);
    if (Vertical())
        setFixedWidth(Outer.width());
    else
        setFixedHeight(Outer.height());
}

void TDock::AddOrRemoveBar(bool Inserting, TCustomBar* Bar, bool AddAlways) {
    const auto Found = std::find(FBars.begin(), FBars.end(), Bar);
    bool Changed = false;
    if (Found != FBars.end()) {
        FBars.erase(Found);
        Changed = true;
    }
    if (Inserting && AddAlways) {
        FBars.push_back(Bar);
        Changed = true;
    }
    if (!Changed)
        return;
    LayOutBars();
    if (Inserting)
        Bar->Remeasure();
    if (OnInsertRemoveBar)
        OnInsertRemoveBar(this, Inserting, Bar);
}

int TDock::LastRow() const {
    int Last = -1;
    for (const TCustomBar* Bar : FBars)
        Last = std::max(Last, Bar->DockRow);
    return Last;
}

int TDock::RowThickness(int Row, const TCustomBar* Bar) const {
    if (Row >= 0 && Row < static_cast<int>(FRowSizes.size()))
        return FRowSizes[static_cast<std::size_t>(Row)];
    return Bar ? Bar->MeasureThickness(Vertical() ? 2 : 1) : 0;
}

int TDock::BarsOnRow(int Row, const TCustomBar* Except) const {
    return static_cast<int>(std::count_if(FBars.begin(), FBars.end(), [&](const TCustomBar* B) {
        return B != Except && B->DockRow == Row;
    }));
}

void TDock::OpenRow(int Row) {
    for (TCustomBar* Bar : FBars)
        if (Bar->DockRow >= Row)
            ++Bar->DockRow;
}

void TDock::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    // The tiling follows the form, so it shifts under a dock that moves.
    if (HasBackground()) {
        update();
        RepaintBars();
    }
}

void TDock::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange && HasBackground())
        BackgroundChanged();
}

void TDock::paintEvent(QPaintEvent* Event) {
    QPainter Painter(this);
    if (HasBackground())
        PaintBackground(Painter, Event->rect(), std::nullopt, BackgroundRect(this));
    const QMargins M = BoundMargins(size());
    const int W = width();
    const int H = height();
    Painter.setPen(palette().color(QPalette::Dark));
    if (M.top())
        Painter.drawLine(0, 0, W - 1, 0);
    if (M.left())
        Painter.drawLine(0, 0, 0, H - 1);
    Painter.setPen(palette().color(QPalette::Light));
    if (M.bottom())
        Painter.drawLine(0, H - 1, W - 1, H - 1);
    if (M.right())
        Painter.drawLine(W - 1, 0, W - 1, H - 1);
}

void TDock::contextMenuEvent(QContextMenuEvent* Event) {
    ShowPopupMenu(PopupMenu, Event);
}

void TDock::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    LayOutBars();
    if (OnResize)
        OnResize(this);
}

// ---- TCustomBar -------------------------------------------------------------------------

TCustomBar::TCustomBar(QWidget* Owner) : QWidget(nullptr) {
    if (!IsForm(Owner))
        throw EInvalidOperation("Tool windows must be owned by a form");
    FOwner = Owner;
    FInactiveCaption = !TBarRegistry::ApplicationActive();
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    Float();
    TBarRegistry::Instance().RegisterBar(this);
}

TCustomBar::~TCustomBar() {
    if (FSession)
        EndSession();
    TBarRegistry::Instance().UnregisterBar(this);
    if (FDockedTo)
        FDockedTo->AddOrRemoveBar(false, this, false);
}

void TCustomBar::Float() {
    setParent(FOwner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    move(FFloatLeft, FFloatTop);
}

void TCustomBar::SetParent(QWidget* Parent) {
    TDock* Dock = dynamic_cast<TDock*>(Parent);
    if (Parent && !Dock && Parent != FOwner)
        throw EInvalidOperation(
            "A tool window can only be placed on a TDock or directly on the form");
    if (OnRecreating)
        OnRecreating(this);
    TBarRegistry::Instance().ForgetFocusInside(this);
    if (FDockedTo)
        FDockedTo->AddOrRemoveBar(false, this, false);
    FDockedTo = Dock;
    {
        // Qt hides a widget it reparents; that is no choice of the user's.
        ++FReparenting;
        if (Dock)
            setParent(Dock, Qt::Widget);
        else if (Parent)
            Float();
        else
            setParent(nullptr);
        --FReparenting;
    }
    if (Dock)
        Dock->AddOrRemoveBar(true, this, FVisible || FDockChanging > 0);
    FHidden = FDockedTo ? false : FHidden;
    ApplyVisibility();
    if (OnRecreated)
        OnRecreated(this);
}

void TCustomBar::SetDockedTo(TDock* Dock) {
    TDock* Old = FDockedTo;
    if (Dock == Old) {
        if (Dock)
            Dock->LayOutBars();
        return;
    }
    if (OnDockChanging)
        OnDockChanging(this);
    ++FDockChanging;
    const TBarSize Size = OuterSizeAt(Dock);
    ++FArranging;
    resize(Size.Width, Size.Height);
    --FArranging;
    SetParent(Dock ? static_cast<QWidget*>(Dock) : FOwner.data());
    Remeasure();
    if (!Dock) {
        KeepOnScreen(true);
        TBarRegistry::Instance().UpdateVisibility(FOwner, TBarRegistry::ApplicationActive());
    }
    if (Old)
        Old->LayOutBars();
    --FDockChanging;
    if (OnDockChanged)
        OnDockChanged(this);
}

void TCustomBar::SetFullSize(bool Value) {
    FFullSize = Value;
    if (FDockedTo)
        FDockedTo->LayOutBars();
}

void TCustomBar::SetColor(const QColor& Value) {
    QPalette Palette = palette();
    Palette.setColor(QPalette::Button, Value);
    Palette.setColor(QPalette::Window, Value);
    setPalette(Palette); // repaints the frame
}

void TCustomBar::SetCaption(const QString& Value) {
    setWindowTitle(Value);
    update();
}

void TCustomBar::setVisible(bool Visible) {
    if (FReparenting > 0)
        return QWidget::setVisible(Visible);
    const bool Changed = Visible != FVisible;
    FVisible = Visible;
    ApplyVisibility();
    if (!Changed || FDockChanging > 0)
        return;
    if (FDockedTo)
        FDockedTo->AddOrRemoveBar(Visible, this, true);
    if (OnVisibleChanged)
        OnVisibleChanged(this);
}

void TCustomBar::ApplyVisibility() {
    const bool Show = FVisible && !(FHidden && !FDockedTo);
    // Not hidden is not shown: a bar re-parented under a hidden dock is left unhidden, and the
    // show Qt gives it with the form comes through here, so it must reach QWidget.
    if (Show ? !isVisible() : !isHidden())
        QWidget::setVisible(Show);
}

void TCustomBar::SetHidden(bool Value) {
    if (Value == FHidden)
        return;
    FHidden = Value;
    ApplyVisibility();
}

void TCustomBar::SetInactiveCaption(bool Value) {
    if (Value == FInactiveCaption)
        return;
    FInactiveCaption = Value;
    update(); // one repaint, however many requests
}

void TCustomBar::SetClosePressed(bool Value) {
    if (Value == FClosePressed)
        return;
    FClosePressed = Value;
    update();
}

QMargins TCustomBar::FrameMargins() const {
    if (FDockedTo) {
        const int Handle = (DragHandle && FDockedTo->AllowDrag()) ? BarMetrics().DragHandle : 0;
        const int B = BarMetrics().DockedBorder;
        return FDockedTo->Vertical() ? QMargins(B, B + Handle, B, B)
                                     : QMargins(B + Handle, B, B, B);
    }
    const int F = BarMetrics().FrameThickness;
    return QMargins(F, F + BarMetrics().CaptionHeight, F, F);
}

QRect TCustomBar::CaptionRect() const {
    const int F = BarMetrics().FrameThickness;
    return QRect(F, F, width() - 2 * F, BarMetrics().CaptionHeight - 1);
}

QRect TCustomBar::CloseButtonRect() const {
    if (FDockedTo || !CloseButton)
        return {};
    const QRect Caption = CaptionRect();
    const int Side = Caption.height();
    return QRect(Caption.right() - Side + 1, Caption.top(), Side, Side);
}

TBarSize TCustomBar::OuterSizeAt(TDock* Dock) {
    const TBarSize Client = LayOutChildren(false, DockKindOf(this), Dock);
    if (!Dock)
        return FloatingOuterSize(Client, BarMetrics());
    TBarSize Docked = DockedOuterSize(Client, Dock->Vertical(), DragHandle && Dock->AllowDrag());
    if (FFullSize)
        (Dock->Vertical() ? Docked.Height : Docked.Width) = Dock->ClientLength();
    return Docked;
}

void TCustomBar::Remeasure() {
    if (FUpdateCount > 0 || !parentWidget()) {
        FPendingRemeasure = true;
        return;
    }
    if (FBehaviour.AlignChildren && layout()) {
        setContentsMargins(FrameMargins());
        layout()->activate();
    }
    TBarSize Client = LayOutChildren(true, DockKindOf(this), FDockedTo);
    const QMargins M = FrameMargins();
    if (FDockedTo) {
        const bool Vertical = FDockedTo->Vertical();
        int& Across = Vertical ? Client.Width : Client.Height;
        Across = std::max(Across, FDockedTo->RowThickness(DockRow, this));
        if (FFullSize)
            (Vertical ? Client.Height : Client.Width) =
                FDockedTo->ClientLength() -
                (Vertical ? M.top() + M.bottom() : M.left() + M.right());
    }
    const QSize Outer(Client.Width + M.left() + M.right(), Client.Height + M.top() + M.bottom());
    if (Outer != size()) {
        ++FArranging;
        resize(Outer);
        --FArranging;
    }
}

void TCustomBar::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FPendingRemeasure) {
        FPendingRemeasure = false;
        Remeasure();
    }
}

void TCustomBar::SetFloatingPlace(TBarPoint Place) {
    FFloatLeft = Place.X;
    FFloatTop = Place.Y;
    if (!FDockedTo && isWindow()) {
        ++FArranging;
        move(FFloatLeft, FFloatTop);
        --FArranging;
    }
}

void TCustomBar::ApplyFloatingSize(TBarSize Size) {
    ++FArranging;
    resize(Size.Width, Size.Height);
    --FArranging;
}

void TCustomBar::KeepOnScreen(bool OnlyIfFullyOffscreen) {
    if (FDockedTo)
        return;
    const TBarRect R =
        korvid::KeepOnScreen(ToBarRect(geometry()), WorkAreaOf(this), OnlyIfFullyOffscreen);
    SetFloatingPlace({R.Left, R.Top});
}

std::optional<TDockPosition> TCustomBar::DockedPosition() const {
    if (!FDockedTo)
        return std::nullopt;
    return FDockedTo->Position();
}

TBarSession* TCustomBar::StartDrag(QPoint GlobalPress, bool Ctrl) {
    return BeginSession(std::make_unique<TDragSession>(this, GlobalPress, Ctrl));
}

TBarSession* TCustomBar::StartResize(QPoint GlobalPress, Qt::Edges Edges) {
    return BeginSession(std::make_unique<TResizeSession>(this, GlobalPress, Edges));
}

TBarSession* TCustomBar::StartClosePress() {
    return BeginSession(std::make_unique<TCloseSession>(this));
}

TBarSession* TCustomBar::BeginSession(std::unique_ptr<TBarSession> Session) {
    FSession = std::move(Session);
    grabMouse();
    grabKeyboard();
    FHadGrab = QWidget::mouseGrabber() == this;
    // Qt tells a widget little about losing the grab, so the session watches for the causes.
    qApp->installEventFilter(this);
    return FSession.get();
}

void TCustomBar::EndSession() {
    qApp->removeEventFilter(this);
    releaseKeyboard();
    releaseMouse();
    FSession.reset();
}

bool TCustomBar::GrabLostBy(const QObject* Watched, const QEvent* Event) const {
    switch (Event->type()) {
    case QEvent::Hide:
        return Watched == this;
    case QEvent::Show: {
        const auto* Window = qobject_cast<const QWidget*>(Watched);
        return Window && Window->isWindow() && Window->windowType() == Qt::Popup;
    }
    case QEvent::ApplicationDeactivate:
        return true;
    case QEvent::ApplicationStateChange:
        return static_cast<const QApplicationStateChangeEvent*>(Event)->applicationState() !=
               Qt::ApplicationActive;
    default:
        break;
    }
    const QWidget* Grabber = QWidget::mouseGrabber();
    return FHadGrab && Grabber && Grabber != this;
}

bool TCustomBar::eventFilter(QObject* Watched, QEvent* Event) {
    if (FSession && GrabLostBy(Watched, Event))
        FSession->Cancel();
    return QWidget::eventFilter(Watched, Event);
}

std::optional<Qt::Edges> TCustomBar::FrameEdgesAt(QPoint P) const {
    if (FDockedTo || !rect().contains(P))
        return std::nullopt;
    const int F = BarMetrics().FrameThickness;
    const auto Side = [](int Pos, int Length, int Zone, Qt::Edge Low, Qt::Edge High) {
        return Pos < Zone ? Qt::Edges(Low) : Pos >= Length - Zone ? Qt::Edges(High) : Qt::Edges();
    };
    const Qt::Edges Across = Side(P.x(), width(), F, Qt::LeftEdge, Qt::RightEdge);
    const Qt::Edges Down = Side(P.y(), height(), F, Qt::TopEdge, Qt::BottomEdge);
    if (!Across && !Down)
        return std::nullopt;
    if (!FBehaviour.CornerSizing)
        return Across ? Across : Down;
    // A corner reaches along each edge as far as the caption band is high.
    const int Zone = F + BarMetrics().CaptionHeight - 1;
    return Across ? Across | Side(P.y(), height(), Zone, Qt::TopEdge, Qt::BottomEdge)
                  : Down | Side(P.x(), width(), Zone, Qt::LeftEdge, Qt::RightEdge);
}

bool TCustomBar::event(QEvent* Event) {
    if (Event->type() == QEvent::UngrabMouse && FSession)
        FSession->Cancel();
    return QWidget::event(Event);
}

void TCustomBar::mousePressEvent(QMouseEvent* Event) {
    const QPoint Global = Event->globalPosition().toPoint();
    const bool Ctrl = Event->modifiers() & Qt::ControlModifier;
    if (FSession) {
        // Another button, or a left press during a session, ends it without a drop.
        FSession->Cancel();
        return;
    }
    if (Event->button() != Qt::LeftButton)
        return;
    if (!FDockedTo) {
        raise();
        if (ActivateParent && FOwner && !FOwner->isActiveWindow())
            FOwner->activateWindow();
        RestoreFormFocus();
        if (CloseButtonRect().contains(Event->position().toPoint())) {
            StartClosePress();
            return;
        }
        if (const auto Edges = FrameEdgesAt(Event->position().toPoint())) {
            StartResize(Global, *Edges);
            return;
        }
    } else if (!FDockedTo->AllowDrag()) {
        return;
    }
    StartDrag(Global, Ctrl);
}

void TCustomBar::RestoreFormFocus() {
    if (!FOwner)
        return;
    QWidget* Target = TBarRegistry::Instance().LastFocused(FOwner);
    if (Target && (Target->window() != FOwner || !Target->isEnabled()))
        Target = nullptr;
    for (QWidget* W = FOwner->nextInFocusChain(); !Target && W && W != FOwner;
         W = W->nextInFocusChain())
        if (IsTabStopOf(FOwner, W))
            Target = W;
    if (Target)
        Target->setFocus(Qt::ActiveWindowFocusReason);
}

void TCustomBar::mouseMoveEvent(QMouseEvent* Event) {
    if (FSession)
        FSession->Move(Event->globalPosition().toPoint(), Event->modifiers() & Qt::ControlModifier);
}

void TCustomBar::mouseReleaseEvent(QMouseEvent* Event) {
    if (FSession && Event->button() == Qt::LeftButton)
        FSession->Release(Event->globalPosition().toPoint(),
                          Event->modifiers() & Qt::ControlModifier);
}

void TCustomBar::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (FSession)
        FSession->Cancel();
    if (Event->button() != Qt::LeftButton)
        return;
    if (FDockedTo) {
        if (FDockedTo->AllowDrag())
            SetDockedTo(nullptr);
        return;
    }
    const QPoint P = Event->position().toPoint();
    if (CloseButtonRect().contains(P) || FrameEdgesAt(P) || !DefaultDock)
        return;
    DockRow = 0;
    DockPos = -8; // sorts before every bar of the row
    SetDockedTo(DefaultDock);
}

void TCustomBar::keyPressEvent(QKeyEvent* Event) {
    if (!FSession)
        return QWidget::keyPressEvent(Event);
    if (Event->key() == Qt::Key_Escape)
        FSession->Cancel();
    else if (Event->key() == Qt::Key_Control)
        FSession->CtrlChanged(true);
}

void TCustomBar::keyReleaseEvent(QKeyEvent* Event) {
    if (FSession && Event->key() == Qt::Key_Control)
        FSession->CtrlChanged(false);
}

void TCustomBar::closeEvent(QCloseEvent* Event) {
    // A close request to a floating bar is meant for its form.
    Event->ignore();
    if (FOwner)
        FOwner->close();
}

void TCustomBar::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    if (!FDockedTo && isWindow()) {
        FFloatLeft = x();
        FFloatTop = y();
    }
}

void TCustomBar::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (OnResize)
        OnResize(this);
}

void TCustomBar::contextMenuEvent(QContextMenuEvent* Event) {
    ShowPopupMenu(PopupMenu, Event);
}

void TCustomBar::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    if (FDockedTo)
        PaintDockedFrame(Painter);
    else
        PaintFloatingFrame(Painter);
    PaintClient(Painter);
}

void TCustomBar::PaintDockedFrame(QPainter& Painter) {
    const QPalette& P = palette();
    const QColor Face = P.color(QPalette::Button);
    // A bar may show its dock's picture, aligned with the dock, inside a ring of its colour.
    const bool Shared = FDockedTo->HasBackground() && FDockedTo->BackgroundOnToolbars();
    if (Shared) {
        FDockedTo->PaintBackground(Painter, rect(), std::nullopt, FDockedTo->BackgroundRect(this));
        DrawRaisedEdge(Painter, rect(), P, false);
        Painter.setPen(Face);
        Painter.drawRect(rect().adjusted(1, 1, -2, -2));
    } else {
        DrawRaisedEdge(Painter, rect(), P);
    }
    const QMargins M = FrameMargins();
    if (M.left() + M.top() <= 4)
        return;
    const bool Vertical = FDockedTo->Vertical();
    const int W = width() - 4;
    const int H = height() - 4;
    if (Shared) {
        Painter.fillRect(Vertical ? QRect(2, 2, W, 2) : QRect(2, 2, 2, H), Face);
        Painter.fillRect(Vertical ? QRect(2, 10, W, 1) : QRect(10, 2, 1, H), Face);
    }
    // Two raised ridges make the drag handle.
    for (const int Offset : {4, 7}) {
        const QRect Ridge = Vertical ? QRect(2, Offset, W, 3) : QRect(Offset, 2, 3, H);
        DrawRaisedEdge(Painter, Ridge, P);
        Painter.setPen(P.color(QPalette::Light));
        Painter.drawPoint(Vertical ? QPoint(W + 1, Offset) : QPoint(Offset, H + 1));
    }
}

void TCustomBar::PaintFloatingFrame(QPainter& Painter) {
    const QPalette& P = palette();
    DrawRaisedEdge(Painter, rect(), P);
    const QRect Caption = CaptionRect();
    const bool Active = !FInactiveCaption;
    Painter.fillRect(Caption, Active ? P.color(QPalette::Active, QPalette::Highlight)
                                     : P.color(QPalette::Inactive, QPalette::Dark));
    QFont Font = font();
    Font.setPixelSize(11);
    Font.setWeight(QFont::Normal);
    Painter.setFont(Font);
    const QFontMetrics Metrics(Font);
    QRect TextRect = Caption.adjusted(1, 0, -1, 0);
    const QRect Close = CloseButtonRect();
    if (!Close.isEmpty())
        TextRect.setRight(Close.left() - 2);
    const std::string Shown = ShortenCaption(
        windowTitle().toStdString(), TextRect.width(), [&Metrics](const std::string& S) {
            return Metrics.horizontalAdvance(QString::fromStdString(S));
        });
    Painter.setPen(Active ? P.color(QPalette::Active, QPalette::HighlightedText)
                          : P.color(QPalette::Inactive, QPalette::Light));
    Painter.drawText(TextRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     QString::fromStdString(Shown));
    if (!Close.isEmpty()) {
        if (FClosePressed) {
            Painter.fillRect(Close, P.color(QPalette::Button));
            Painter.setPen(P.color(QPalette::Dark));
            Painter.drawRect(Close.adjusted(0, 0, -1, -1));
        } else {
            DrawRaisedEdge(Painter, Close, P);
        }
        Painter.setPen(P.color(QPalette::ButtonText));
        const QRect Cross =
            Close.adjusted(3, 3, -4, -4).translated(FClosePressed ? 1 : 0, FClosePressed ? 1 : 0);
        Painter.drawLine(Cross.topLeft(), Cross.bottomRight());
        Painter.drawLine(Cross.topRight(), Cross.bottomLeft());
    }
}

// ---- TCustomCommandBar ------------------------------------------------------------------

TCustomCommandBar::TCustomCommandBar(QWidget* Owner) : TCustomBar(Owner) {
    // Command bars place their children themselves and size by whole layouts, by edges only.
    FBehaviour = {false, false, false};
    Remeasure();
}

std::optional<bool> TCustomCommandBar::ShownFor(const QWidget* W, int DockKind) const {
    for (const auto& Pair : FReplacements) {
        if (Pair.Horizontal == W)
            return DockKind != 2;
        if (Pair.Vertical == W)
            return DockKind == 2;
    }
    return std::nullopt;
}

std::vector<TBarItem> TCustomCommandBar::Items(std::vector<QWidget*>* Widgets, int DockKind) const {
    std::vector<TBarItem> Result;
    for (QObject* Object : FChildOrder) {
        auto* W = static_cast<QWidget*>(Object);
        // A replacement member counts by the orientation measured, shown or not yet.
        if (W->isWindow() || !ShownFor(W, DockKind).value_or(!W->isHidden()))
            continue;
        TBarItem Item;
        if (const auto* Sep = dynamic_cast<const TCommandBarSeparator*>(W)) {
            Item.Separator = true;
            Item.SizeHorz = Sep->SizeHorz();
            Item.SizeVert = Sep->SizeVert();
            Item.Blank = Sep->Blank();
        } else {
            Item.Size = {W->width(), W->height()};
        }
        Result.push_back(Item);
        if (Widgets)
            Widgets->push_back(W);
    }
    return Result;
}

void TCustomCommandBar::childEvent(QChildEvent* Event) {
    TCustomBar::childEvent(Event);
    QObject* Child = Event->child();
    if (Event->type() == QEvent::ChildAdded || Event->type() == QEvent::ChildRemoved)
        std::erase(FChildOrder, Child);
    if (Event->type() == QEvent::ChildAdded && Child->isWidgetType())
        FChildOrder.push_back(Child);
}

void TCustomCommandBar::AfterLoading() {
    const bool Vertical = DockKindOf(this) == 2;
    std::stable_sort(FChildOrder.begin(), FChildOrder.end(), [Vertical](QObject* A, QObject* B) {
        const QPoint PA = static_cast<QWidget*>(A)->pos();
        const QPoint PB = static_cast<QWidget*>(B)->pos();
        return Vertical ? PA.y() < PB.y() : PA.x() < PB.x();
    });
    TCustomBar::AfterLoading();
}

int TCustomCommandBar::MeasureThickness(int DockKind) const {
    return korvid::MeasureThickness(Items(nullptr, DockKind), DockKind);
}

void TCustomCommandBar::AddReplacement(QWidget* Horizontal, QWidget* Vertical) {
    FReplacements.push_back({Horizontal, Vertical});
    Remeasure();
}

TBarSize TCustomCommandBar::LayOutChildren(bool CanMoveControls, int, TDock* DockingTo) {
    if (CanMoveControls) {
        const bool Vertical = DockingTo && DockingTo->Vertical();
        for (const auto& Pair : FReplacements) {
            if (Pair.Horizontal)
                Pair.Horizontal->setVisible(!Vertical);
            if (Pair.Vertical)
                Pair.Vertical->setVisible(Vertical);
        }
    }
    std::vector<QWidget*> Widgets;
    const int Kind = DockingTo ? (DockingTo->Vertical() ? 2 : 1) : 0;
    const auto List = Items(&Widgets, Kind);
    int Cross = korvid::MeasureThickness(List, Kind);
    if (DockingTo && DockingTo == DockedTo())
        Cross = DockingTo->RowThickness(DockRow, this);
    const TBarLayout Layout = LayOutBar(List, Kind, DockingTo != nullptr, Cross, FloatRightX);
    if (CanMoveControls) {
        FLineBreaks = Layout.LineBreaks;
        const QMargins M = FrameMargins();
        for (std::size_t I = 0; I < Widgets.size(); ++I)
            Widgets[I]->setGeometry(ToQRect(Layout.Places[I]).translated(M.left(), M.top()));
        update();
    }
    return Layout.ClientSize;
}

namespace {
const QString FloatRightXValue = QStringLiteral("FloatRightX");
}

void TCustomCommandBar::ReadLayoutValues(const TLayoutReadInt& Read) {
    FloatRightX = Read(objectName(), FloatRightXValue, 0);
    Remeasure();
}

void TCustomCommandBar::WriteLayoutValues(const TLayoutWriteInt& Write) const {
    Write(objectName(), FloatRightXValue, FloatRightX);
}

std::vector<TBarSize> TCustomCommandBar::FloatingOuterSizes() const {
    std::vector<TBarSize> Sizes = FloatingSizes(Items(nullptr, 0));
    for (auto& S : Sizes)
        S = FloatingOuterSize(S, BarMetrics());
    return Sizes;
}

void TCustomCommandBar::ResizeStart(Qt::Edges) {
    FSizing = FloatingOuterSizes();
    FSizingWrap = FloatRightX;
    FSizingDirection = 0;
}

void TCustomCommandBar::ResizeStep(Qt::Edges Edges, TBarRect& Rect) {
    if (FSizing.empty())
        return;
    const bool Horizontal = Edges.testAnyFlags(Qt::LeftEdge | Qt::RightEdge);
    const std::size_t Chosen =
        TrackFloatingSize(FSizing, Horizontal, Horizontal ? Rect.Width() : Rect.Height(),
                          Horizontal ? width() : height(), FSizingDirection);
    const TBarSize S = FSizing[Chosen];
    if (Edges.testFlag(Qt::LeftEdge))
        Rect.Left = Rect.Right - S.Width;
    else
        Rect.Right = Rect.Left + S.Width;
    if (Edges.testFlag(Qt::TopEdge))
        Rect.Top = Rect.Bottom - S.Height;
    else
        Rect.Bottom = Rect.Top + S.Height;
    FSizingWrap = Chosen == 0 ? 0 : S.Width - 2 * BarMetrics().FrameThickness;
}

void TCustomCommandBar::ResizeEnd(bool Accepted) {
    if (Accepted)
        FloatRightX = FSizingWrap;
    FSizing.clear();
    Remeasure();
}

void TCustomCommandBar::PaintClient(QPainter& Painter) {
    if (DockedTo())
        return;
    const QMargins M = FrameMargins();
    for (const auto& Break : FLineBreaks) {
        if (Break.Blank)
            continue;
        const int Y = M.top() + Break.Top;
        const int X0 = M.left() + 1;
        const int X1 = width() - M.right() - 1;
        Painter.setPen(palette().color(QPalette::Dark));
        Painter.drawLine(X0, Y - 4, X1, Y - 4);
        Painter.setPen(palette().color(QPalette::Light));
        Painter.drawLine(X0, Y - 3, X1, Y - 3);
    }
}

// ---- TCommandBarSeparator ---------------------------------------------------------------

TCommandBarSeparator::TCommandBarSeparator(QWidget* Parent) : QWidget(nullptr) {
    if (!dynamic_cast<TCustomCommandBar*>(Parent))
        throw EInvalidOperation("TCommandBarSeparator can only be placed on a TCommandBar");
    // Presses fall through to the bar, so bars can be dragged by their separators.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setParent(Parent);
    show();
    static_cast<TCustomCommandBar*>(Parent)->Remeasure();
}

void TCommandBarSeparator::SetBlank(bool Value) {
    FBlank = Value;
    update();
}

void TCommandBarSeparator::SetSizeHorz(int Value) {
    FSizeHorz = std::max(1, Value);
    static_cast<TCustomBar*>(parentWidget())->Remeasure();
}

void TCommandBarSeparator::SetSizeVert(int Value) {
    FSizeVert = std::max(1, Value);
    static_cast<TCustomBar*>(parentWidget())->Remeasure();
}

void TCommandBarSeparator::paintEvent(QPaintEvent*) {
    auto* Bar = dynamic_cast<TCustomCommandBar*>(parentWidget());
    if (!Bar || FBlank)
        return;
    QPainter Painter(this);
    const bool Vertical = DockKindOf(Bar) == 2;
    if (Vertical) {
        const int Mid = height() / 2;
        Painter.setPen(palette().color(QPalette::Dark));
        Painter.drawLine(0, Mid - 1, width() - 1, Mid - 1);
        Painter.setPen(palette().color(QPalette::Light));
        Painter.drawLine(0, Mid, width() - 1, Mid);
    } else {
        const int Mid = width() / 2;
        Painter.setPen(palette().color(QPalette::Dark));
        Painter.drawLine(Mid - 1, 0, Mid - 1, height() - 1);
        Painter.setPen(palette().color(QPalette::Light));
        Painter.drawLine(Mid, 0, Mid, height() - 1);
    }
}

} // namespace korvid
