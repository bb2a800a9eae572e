#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace korvid {

// Drawing state of a command-bar button; also the column of its picture in a glyph bitmap.
enum TCommandButtonState { cbsUp, cbsDisabled, cbsDown, cbsExclusive, cbsMouseIn };

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The three button colours that derived pictures are painted in.
struct TGlyphColors {
    QRgb Face;
    QRgb Highlight;
    QRgb Shadow;
};

// The button-face, button-highlight and button-shadow colours of the application's palette.
TGlyphColors SystemGlyphColors();

// A monochrome mask; a set bit marks a matched pixel.
class TMonoMask {
public:
    TMonoMask() = default;
    TMonoMask(int Width, int Height) : FWidth(Width), FHeight(Height), FBits(Width * Height) {}
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool At(int X, int Y) const;
    void Set(int X, int Y, bool Value);

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<bool> FBits;
};

// Marks the pixels of Image whose RGB value is one of Colors.
TMonoMask ColorMask(const QImage& Image, const std::vector<QRgb>& Colors);
// Marks the white pixels of a mask bitmap.
TMonoMask WhiteMask(const QImage& MaskBitmap);
// Opaque copy of Image with every masked pixel transparent.
QImage ApplyMask(const QImage& Image, const TMonoMask& Mask);
// Opaque copy of Image with every pixel of the colour transparent.
QImage MakeTransparent(const QImage& Image, QRgb TransparentColor);

// The embossed picture of a glyph cell that has no disabled picture of its own: one pixel wider
// and higher than the cell, transparent where nothing was painted. SourceMask, when given, is
// the cell of the glyph's mask bitmap.
QImage EmbossedGlyph(const QImage& UpCell, QRgb TransparentColor, const TGlyphColors& Colors,
                     bool OldDisabledStyle, const QImage* SourceMask = nullptr);
// The disabled picture from the glyph's own disabled cell: white becomes the highlight, mid-grey
// the shadow colour; one pixel wider and higher than the cell.
QImage RecolouredDisabledGlyph(const QImage& DisabledCell, QRgb TransparentColor,
                               const TGlyphColors& Colors, const QImage* SourceMask = nullptr);

// The 8 by 8 halftone that fills a button that is down in its group.
QImage PatternImage(QRgb Face, QRgb Highlight);
// The shared halftone for the current colours, made on first use.
const QImage& SharedPattern();
// Forgets the shared halftone when the colours it was made with changed; Force always does.
void ReleaseSharedPattern(bool Force);

// Pictures of one size, slots reused through a used-slot set.
class TGlyphList {
public:
    TGlyphList(int Width, int Height) : FWidth(Width), FHeight(Height) {}
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return FCount; }
    int AllocateIndex();
    // Mask: a set bit marks a transparent pixel.
    int Add(const QImage& Image, const TMonoMask& Mask);
    int AddMasked(const QImage& Image, QRgb TransparentColor);
    void Delete(int Index);
    const QImage& Image(int Index) const { return FImages.at(Index); }

private:
    void Replace(int Index, const QImage& Image);

    int FWidth;
    int FHeight;
    int FCount = 0;
    std::vector<QImage> FImages;
    std::vector<bool> FUsed;
};

// The picture lists shared by all buttons, one per picture size.
class TGlyphCache {
public:
    TGlyphList* GetList(int Width, int Height);
    void ReturnList(TGlyphList* List);
    bool Empty() const { return FLists.empty(); }

private:
    std::vector<std::unique_ptr<TGlyphList>> FLists;
};

// The global cache; null while no glyph object exists.
TGlyphCache* GlyphCache();

// Where Draw puts the parts of a button's face.
struct TButtonLayoutResult {
    QPoint GlyphPos;
    QRect TextBounds;
    QPoint ArrowPos;
};

struct TButtonLayoutInput {
    QRect Client;
    QPoint Offset;
    QSize Glyph; // empty when no glyph is drawn
    bool DrawArrow = false;
    QString Caption; // empty when no caption is drawn
    QFont Font;
    TButtonLayout Layout = blGlyphLeft;
    int Margin = -1;
    int Spacing = 4;
    bool WordWrap = false;
};

TButtonLayoutResult CalcButtonLayout(const TButtonLayoutInput& Input);

// The small drop-down triangle whose box starts at At; a disabled one is embossed.
void DrawDropdownArrow(QPainter& Painter, QPoint At, bool Disabled, const TGlyphColors& Colors,
                       const QColor& TextColor);

// The glyph bitmap of a button: up to five state pictures side by side and an optional mask,
// with the pictures the bitmap lacks derived from it.
class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    void SetGlyph(const QImage& Bitmap);
    void SetGlyphMask(const QImage& Bitmap);
    void SetNumGlyphs(int Value);
    void SetOldDisabledStyle(bool Value);
    void SetColors(const TGlyphColors& Value);
    const QImage& Glyph() const { return FSourceGlyph; }
    const QImage& GlyphMask() const { return FSourceMask; }
    int NumGlyphs() const { return FNumGlyphs; }
    bool OldDisabledStyle() const { return FOldDisabledStyle; }
    QRgb TransparentColor() const { return FTransparentColor; }
    // The size of one picture; empty when there is none.
    QSize CellSize() const;

    // The picture of a state, made on first use; null when the glyph is empty.
    QImage Picture(TCommandButtonState State);
    // Drops every picture made so far.
    void Invalidate();

    // Draws glyph, caption and drop-down arrow; answers the caption rectangle.
    QRect Draw(QPainter& Painter, const QRect& Client, TCommandButtonState State, bool DrawArrow,
               int Spacing, int Margin, TButtonLayout Layout, bool WordWrap, const QString& Caption,
               bool DrawCaption, bool DrawGlyph, const QPoint& Offset, const QFont& Font,
               const QColor& TextColor);

    std::function<void()> OnChange;

private:
    struct TGlyphIndex {
        int List = -1;
        int Index = -1;
    };
    TGlyphIndex CreateButtonGlyph(TCommandButtonState State);
    void GlyphChanged();
    QImage Cell(int Column) const;
    QImage MaskCell(int Column) const;

    QImage FSourceGlyph;
    QImage FSourceMask;
    std::array<TGlyphList*, 2> FGlyphLists{};
    std::array<std::array<int, 5>, 2> FIndexes{};
    QRgb FTransparentColor = 0;
    int FNumGlyphs = 1;
    bool FOldDisabledStyle = false;
    bool FOwnColors = false;
    TGlyphColors FColors{};
};

} // namespace korvid
