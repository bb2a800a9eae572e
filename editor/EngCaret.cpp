#include "editor/EngCaret.h"

#include <QGuiApplication>
#include <QPainter>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>

namespace korvid {

// ---- TEngCaret ----

template <typename T> void TEngCaret::Set(T& Field, T Value) {
    if (Field == Value)
        return;
    Field = Value;
    Changed();
}

void TEngCaret::Changed() {
    if (OnChange)
        OnChange();
}

void TEngCaret::SetBitmap(const QImage& Value) {
    FBitmap = Value;
    if (FShape == csBitmap) {
        FHeight = FBitmap.height();
        FWidth = FBitmap.width();
    }
    Changed();
}

void TEngCaret::SetBitmapHotSpotX(int Value) {
    Set(FHotSpotX, Value);
}

void TEngCaret::SetBitmapHotSpotY(int Value) {
    Set(FHotSpotY, Value);
}

void TEngCaret::SetShape(TEngCaretShape Value) {
    if (Value == FShape)
        return;
    FShape = Value;
    switch (Value) {
    case csBlock:
        FAlign = caLeft;
        break;
    case csHalfBlock:
        FAlign = caBottom;
        break;
    case csVertLine:
        FAlign = caLeft;
        FWidth = 2;
        break;
    case csHorzLine:
        FAlign = caBottom;
        FHeight = 2;
        break;
    case csBitmap:
        FHeight = FBitmap.height();
        FWidth = FBitmap.width();
        break;
    case csCustom:
        break;
    }
    Changed();
}

void TEngCaret::SetAlign(TEngCaretAlign Value) {
    Set(FAlign, Value);
}

void TEngCaret::SetBlinkTime(int Value) {
    Set(FBlinkTime, Value);
}

void TEngCaret::SetCaretHeight(int Value) {
    Set(FHeight, Value);
}

void TEngCaret::SetCaretWidth(int Value) {
    Set(FWidth, Value);
}

void TEngCaret::SetIsGray(bool Value) {
    Set(FIsGray, Value);
}

TCaretGeometry CaretGeometry(const TEngCaret& Caret, int CellWidth, int CellHeight) {
    TCaretGeometry G{Caret.CaretWidth(), Caret.CaretHeight(), 0, 0};
    switch (Caret.Shape()) {
    case csBlock:
        G.Width = CellWidth;
        G.Height = CellHeight;
        break;
    case csHalfBlock:
        G.Width = CellWidth;
        G.Height = CellHeight / 2;
        break;
    case csVertLine:
        G.Height = CellHeight;
        break;
    case csHorzLine:
        G.Width = CellWidth;
        break;
    case csCustom:
    case csBitmap:
        break;
    }
    const int CentreX = (CellWidth - G.Width) / 2;
    const int CentreY = (CellHeight - G.Height) / 2;
    switch (Caret.Align()) {
    case caLeft:
        G.OffsetY = CentreY;
        break;
    case caTop:
        G.OffsetX = CentreX;
        break;
    case caRight:
        G.OffsetX = CellWidth - G.Width;
        G.OffsetY = CentreY;
        break;
    case caBottom:
        G.OffsetX = CentreX;
        G.OffsetY = CellHeight - G.Height;
        break;
    case caCenter:
        G.OffsetX = CentreX;
        G.OffsetY = CentreY;
        break;
    }
    if (Caret.Shape() == csBitmap) {
        G.OffsetX -= Caret.BitmapHotSpotX();
        G.OffsetY -= Caret.BitmapHotSpotY();
    }
    return G;
}

// ---- TEngSingleCaret ----

TEngSingleCaret::TEngSingleCaret(QWidget* Control) : FControl(Control) {
    QObject::connect(&FBlinkTimer, &QTimer::timeout, [this] { Blink(); });
    LinkCaret(std::make_shared<TEngCaret>());
}

TEngSingleCaret::~TEngSingleCaret() {
    if (FCaret && FCaret->OnChange)
        FCaret->OnChange = nullptr;
}

void TEngSingleCaret::LinkCaret(std::shared_ptr<TEngCaret> Caret) {
    if (FCaret)
        FCaret->OnChange = nullptr;
    FCaret = std::move(Caret);
    FCaret->OnChange = [this] { Recompute(); };
    Recompute();
}

void TEngSingleCaret::SetCellWidth(int Value) {
    if (Value < 1)
        return;
    FCellWidth = Value;
    Recompute();
}

void TEngSingleCaret::SetCellHeight(int Value) {
    FCellHeight = Value;
    Recompute();
}

void TEngSingleCaret::Recompute() {
    const QRect Old = Rect();
    FGeometry = CaretGeometry(*FCaret, FCellWidth, FCellHeight);
    if (FVisible)
        RestartBlink();
    UpdateArea(Old);
}

void TEngSingleCaret::SetVisible(bool Value) {
    const QRect Old = Rect();
    FVisible = Value && FControl != nullptr;
    if (FVisible)
        RestartBlink();
    else
        FBlinkTimer.stop();
    UpdateArea(Old);
}

void TEngSingleCaret::SetShown(bool Value) {
    if (Value == FShown)
        return;
    const QRect Old = Rect();
    FShown = Value;
    if (FVisible)
        RestartBlink();
    UpdateArea(Old);
}

void TEngSingleCaret::SetPosition(int X, int Y) {
    X = X < 0 ? NoPosition : X;
    Y = Y < 0 ? NoPosition : Y;
    if (X == FX && Y == FY)
        return;
    const QRect Old = Rect();
    FX = X;
    FY = Y;
    if (FVisible)
        RestartBlink();
    UpdateArea(Old);
}

int TEngSingleCaret::PlacementX(int X) const {
    const TEngCaretShape S = FCaret->Shape();
    if (S == csBlock || S == csHalfBlock || S == csHorzLine || FGeometry.Width >= 5)
        return X;
    return X - 1;
}

QRect TEngSingleCaret::Rect() const {
    if (!FVisible || !FShown || FX == NoPosition || FY == NoPosition)
        return {};
    return {FX + FGeometry.OffsetX, FY + FGeometry.OffsetY, FGeometry.Width, FGeometry.Height};
}

int TEngSingleCaret::BlinkInterval() const {
    if (FCaret->BlinkTime() > 0)
        return FCaret->BlinkTime();
    // The desktop's figure is a whole on-off cycle.
    return std::max(QGuiApplication::styleHints()->cursorFlashTime() / 2, 0);
}

void TEngSingleCaret::RestartBlink() {
    // A caret that has just moved shows at once, as typing expects.
    FPhaseOn = true;
    const int Interval = BlinkInterval();
    if (FVisible && FShown && Interval > 0)
        FBlinkTimer.start(Interval);
    else
        FBlinkTimer.stop();
}

void TEngSingleCaret::Blink() {
    FPhaseOn = !FPhaseOn;
    UpdateArea(QRect());
}

void TEngSingleCaret::UpdateArea(const QRect& Old) {
    if (FControl == nullptr)
        return;
    const QRect New = Rect();
    if (!Old.isEmpty())
        FControl->update(Old);
    if (!New.isEmpty() && New != Old)
        FControl->update(New);
}

void TEngSingleCaret::Paint(QPainter& Painter) const {
    const QRect R = Rect();
    if (R.isEmpty() || !FPhaseOn)
        return;
    Painter.save();
    if (FCaret->Shape() == csBitmap && !FCaret->Bitmap().isNull()) {
        Painter.setCompositionMode(QPainter::CompositionMode_Difference);
        Painter.drawImage(R.topLeft(), FCaret->Bitmap());
    } else {
        // Inverting, as a caret does, keeps the character under a block caret readable.
        Painter.setCompositionMode(QPainter::CompositionMode_Difference);
        Painter.fillRect(R, FCaret->IsGray() ? QBrush(Qt::white, Qt::Dense4Pattern)
                                             : QBrush(Qt::white));
    }
    Painter.restore();
}

// ---- TEngCaretPair ----

TEngCaretPair::TEngCaretPair(QWidget* Control)
    : TEngSingleCaret(Control), FInsert(std::make_shared<TEngCaret>()),
      FOverwrite(std::make_shared<TEngCaret>()) {
    FOverwrite->SetShape(csBlock);
    LinkCaret(FInsert);
}

void TEngCaretPair::SetInsertCaret(std::shared_ptr<TEngCaret> Value) {
    FInsert = std::move(Value);
    if (FInsertMode)
        LinkCaret(FInsert);
}

void TEngCaretPair::SetOverwriteCaret(std::shared_ptr<TEngCaret> Value) {
    FOverwrite = std::move(Value);
    if (!FInsertMode)
        LinkCaret(FOverwrite);
}

void TEngCaretPair::SetInsertMode(bool Value) {
    if (Value == FInsertMode)
        return;
    FInsertMode = Value;
    LinkCaret(FInsertMode ? FInsert : FOverwrite);
}

} // namespace korvid
