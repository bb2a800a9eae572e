#pragma once

#include <QImage>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>

class QPainter;
class QWidget;

namespace korvid {

enum TEngCaretShape { csBlock, csHalfBlock, csVertLine, csHorzLine, csCustom, csBitmap };
enum TEngCaretAlign { caLeft, caTop, caRight, caBottom, caCenter };

// The look of a caret. Editors may share one (through shared_ptr); the caret that shows it
// hears of every change.
class TEngCaret {
public:
    TEngCaret() = default;
    TEngCaret(const TEngCaret&) = delete;
    TEngCaret& operator=(const TEngCaret&) = delete;

    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& Value);
    int BitmapHotSpotX() const { return FHotSpotX; }
    void SetBitmapHotSpotX(int Value);
    int BitmapHotSpotY() const { return FHotSpotY; }
    void SetBitmapHotSpotY(int Value);
    TEngCaretShape Shape() const { return FShape; }
    void SetShape(TEngCaretShape Value);
    TEngCaretAlign Align() const { return FAlign; }
    void SetAlign(TEngCaretAlign Value);
    // Milliseconds between blinks of a caret showing this look; 0 takes the desktop's rate.
    int BlinkTime() const { return FBlinkTime; }
    void SetBlinkTime(int Value);
    int CaretHeight() const { return FHeight; }
    void SetCaretHeight(int Value);
    int CaretWidth() const { return FWidth; }
    void SetCaretWidth(int Value);
    bool IsGray() const { return FIsGray; }
    void SetIsGray(bool Value);

    std::function<void()> OnChange;

private:
    template <typename T> void Set(T& Field, T Value);
    void Changed();

    QImage FBitmap;
    int FHotSpotX = 0;
    int FHotSpotY = 0;
    TEngCaretShape FShape = csVertLine;
    TEngCaretAlign FAlign = caLeft;
    int FBlinkTime = 0;
    int FHeight = 10;
    int FWidth = 2;
    bool FIsGray = false;
};

// Size of the caret and its offset inside a character cell.
struct TCaretGeometry {
    int Width = 0;
    int Height = 0;
    int OffsetX = 0;
    int OffsetY = 0;
    friend bool operator==(const TCaretGeometry&, const TCaretGeometry&) = default;
};
TCaretGeometry CaretGeometry(const TEngCaret& Caret, int CellWidth, int CellHeight);

// The caret of one widget: the window has no system caret, so the widget draws this one and
// it blinks on its own timer, touching nothing outside the widget.
class TEngSingleCaret {
public:
    static constexpr int NoPosition = 0x7FFFFFFF;

    // Control may be null: a caret without a window never shows.
    explicit TEngSingleCaret(QWidget* Control);
    virtual ~TEngSingleCaret();
    TEngSingleCaret(const TEngSingleCaret&) = delete;
    TEngSingleCaret& operator=(const TEngSingleCaret&) = delete;

    const std::shared_ptr<TEngCaret>& Caret() const { return FCaret; }
    void LinkCaret(std::shared_ptr<TEngCaret> Caret);

    int CellWidth() const { return FCellWidth; }
    void SetCellWidth(int Value);
    int CellHeight() const { return FCellHeight; }
    void SetCellHeight(int Value);
    const TCaretGeometry& Geometry() const { return FGeometry; }

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Shown() const { return FShown; }
    void SetShown(bool Value);
    int X() const { return FX; }
    int Y() const { return FY; }
    void SetPosition(int X, int Y);
    // The left edge a line caret takes for a cell at X: one pixel left of the cell, so that it
    // sits between the characters; block-like carets and wide ones start at the cell.
    int PlacementX(int X) const;

    // The pixels the caret covers now; empty when it does not show.
    QRect Rect() const;
    bool BlinkPhaseOn() const { return FPhaseOn; }
    int BlinkInterval() const;
    // Draws the caret when it shows and its blink phase is on.
    void Paint(QPainter& Painter) const;

private:
    void Recompute();
    void RestartBlink();
    void Blink();
    void UpdateArea(const QRect& Old);

    QWidget* FControl;
    std::shared_ptr<TEngCaret> FCaret;
    int FCellHeight = 10;
    int FCellWidth = 10;
    bool FVisible = false;
    bool FShown = false;
    int FX = NoPosition;
    int FY = NoPosition;
    TCaretGeometry FGeometry;
    bool FPhaseOn = true;
    QTimer FBlinkTimer;
};

// The insert and the overwrite caret of a widget; the one of the current mode is linked.
class TEngCaretPair : public TEngSingleCaret {
public:
    explicit TEngCaretPair(QWidget* Control);

    const std::shared_ptr<TEngCaret>& InsertCaret() const { return FInsert; }
    const std::shared_ptr<TEngCaret>& OverwriteCaret() const { return FOverwrite; }
    void SetInsertCaret(std::shared_ptr<TEngCaret> Value);
    void SetOverwriteCaret(std::shared_ptr<TEngCaret> Value);
    bool InsertMode() const { return FInsertMode; }
    void SetInsertMode(bool Value);

private:
    std::shared_ptr<TEngCaret> FInsert;
    std::shared_ptr<TEngCaret> FOverwrite;
    bool FInsertMode = true;
};

} // namespace korvid
