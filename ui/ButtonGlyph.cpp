#include "ui/ButtonGlyph.h"

#include "platform/Colors.h"
#include "ui/InvalidOperation.h"

#include <QFontMetrics>
#include <QPainter>
#include <optional>

namespace korvid {

namespace {

constexpr QRgb Rgb(QRgb Color) {
    return Color & 0x00FFFFFFu;
}

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Silver = 0xC0C0C0;
constexpr QRgb Black = 0x000000;
constexpr QRgb MidGrey = 0x808080;
constexpr int NoIndex = -1;
constexpr QSize ArrowSize{9, 3};

std::unique_ptr<TGlyphCache> GCache;

struct TSharedPattern {
    QImage Image;
    QRgb Face = 0;
    QRgb Highlight = 0;
};
std::optional<TSharedPattern> GPattern;

QRgb PixelRgb(const QImage& Image, int X, int Y) {
    return Rgb(Image.pixel(X, Y));
}

QImage FilledImage(int Width, int Height, QRgb Color) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    Image.fill(QColor::fromRgb(Color));
    return Image;
}

// Paints Color at every pixel of Target, moved by Offset, where the mask bit equals Where.
void PaintThroughMask(QImage& Target, const TMonoMask& Mask, QPoint Offset, QRgb Color,
                      bool Where) {
    for (int Y = 0; Y < Mask.Height(); ++Y)
        for (int X = 0; X < Mask.Width(); ++X)
            if (Mask.At(X, Y) == Where && Target.valid(X + Offset.x(), Y + Offset.y()))
                Target.setPixel(X + Offset.x(), Y + Offset.y(), 0xFF000000u | Color);
}

TMonoMask OrMasks(const TMonoMask& A, const TMonoMask& B) {
    TMonoMask Result(A.Width(), A.Height());
    for (int Y = 0; Y < A.Height(); ++Y)
        for (int X = 0; X < A.Width(); ++X)
            Result.Set(X, Y, A.At(X, Y) || B.At(X, Y));
    return Result;
}

int FirstSet(int A, int B, int Fallback) {
    if (A != -1)
        return A;
    if (B != -1)
        return B;
    return Fallback;
}

} // namespace

TGlyphColors SystemGlyphColors() {
    return {Rgb(ColorToQColor(clBtnFace).rgb()), Rgb(ColorToQColor(clBtnHighlight).rgb()),
            Rgb(ColorToQColor(clBtnShadow).rgb())};
}

bool TMonoMask::At(int X, int Y) const {
    return X >= 0 && Y >= 0 && X < FWidth && Y < FHeight && FBits[Y * FWidth + X];
}

void TMonoMask::Set(int X, int Y, bool Value) {
    if (X >= 0 && Y >= 0 && X < FWidth && Y < FHeight)
        FBits[Y * FWidth + X] = Value;
}

TMonoMask ColorMask(const QImage& Image, const std::vector<QRgb>& Colors) {
    TMonoMask Mask(Image.width(), Image.height());
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            for (QRgb Color : Colors)
                if (PixelRgb(Image, X, Y) == Rgb(Color))
                    Mask.Set(X, Y, true);
    return Mask;
}

TMonoMask WhiteMask(const QImage& MaskBitmap) {
    return ColorMask(MaskBitmap, {White});
}

QImage ApplyMask(const QImage& Image, const TMonoMask& Mask) {
    QImage Result = Image.convertToFormat(QImage::Format_ARGB32);
    for (int Y = 0; Y < Result.height(); ++Y)
        for (int X = 0; X < Result.width(); ++X)
            if (Mask.At(X, Y))
                Result.setPixel(X, Y, 0u);
    return Result;
}

QImage MakeTransparent(const QImage& Image, QRgb TransparentColor) {
    return ApplyMask(Image, ColorMask(Image, {TransparentColor}));
}

QImage EmbossedGlyph(const QImage& UpCell, QRgb TransparentColor, const TGlyphColors& Colors,
                     bool OldDisabledStyle, const QImage* SourceMask) {
    TMonoMask Mask;
    if (!OldDisabledStyle) {
        // Light pixels and the background stay flat; everything darker is embossed.
        Mask = SourceMask ? OrMasks(ColorMask(UpCell, {White, Silver}), WhiteMask(*SourceMask))
                          : ColorMask(UpCell, {White, Silver, TransparentColor});
    } else {
        Mask = ColorMask(UpCell, {Black});
        if (SourceMask) {
            const TMonoMask Transparent = WhiteMask(*SourceMask);
            for (int Y = 0; Y < Mask.Height(); ++Y)
                for (int X = 0; X < Mask.Width(); ++X)
                    Mask.Set(X, Y, Mask.At(X, Y) && !Transparent.At(X, Y));
        }
    }
    const bool PaintWhere = OldDisabledStyle;
    QImage Picture = FilledImage(UpCell.width() + 1, UpCell.height() + 1, Colors.Face);
    PaintThroughMask(Picture, Mask, {1, 1}, Colors.Highlight, PaintWhere);
    PaintThroughMask(Picture, Mask, {0, 0}, Colors.Shadow, PaintWhere);
    return MakeTransparent(Picture, Colors.Face);
}

QImage RecolouredDisabledGlyph(const QImage& DisabledCell, QRgb TransparentColor,
                               const TGlyphColors& Colors, const QImage* SourceMask) {
    const int Width = DisabledCell.width();
    const int Height = DisabledCell.height();
    const TMonoMask CellMask =
        SourceMask ? WhiteMask(*SourceMask) : ColorMask(DisabledCell, {TransparentColor});
    QImage Picture = FilledImage(Width + 1, Height + 1, Colors.Face);
    TMonoMask Mask(Width + 1, Height + 1);
    for (int Y = 0; Y <= Height; ++Y)
        for (int X = 0; X <= Width; ++X) {
            if (X == Width || Y == Height) {
                Mask.Set(X, Y, true);
                continue;
            }
            QRgb Color = PixelRgb(DisabledCell, X, Y);
            if (Color == White)
                Color = Colors.Highlight;
            else if (Color == MidGrey)
                Color = Colors.Shadow;
            Picture.setPixel(X, Y, 0xFF000000u | Color);
            Mask.Set(X, Y, CellMask.At(X, Y));
        }
    return ApplyMask(Picture, Mask);
}

QImage PatternImage(QRgb Face, QRgb Highlight) {
    QImage Pattern(8, 8, QImage::Format_RGB32);
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 0; X < 8; ++X)
            Pattern.setPixel(X, Y, 0xFF000000u | ((X % 2 == Y % 2) ? Highlight : Face));
    return Pattern;
}

const QImage& SharedPattern() {
    if (!GPattern) {
        const TGlyphColors Colors = SystemGlyphColors();
        GPattern = TSharedPattern{PatternImage(Colors.Face, Colors.Highlight), Colors.Face,
                                  Colors.Highlight};
    }
    return GPattern->Image;
}

void ReleaseSharedPattern(bool Force) {
    if (!GPattern)
        return;
    const TGlyphColors Colors = SystemGlyphColors();
    if (Force || GPattern->Face != Colors.Face || GPattern->Highlight != Colors.Highlight)
        GPattern.reset();
}

// ---- TGlyphList ---------------------------------------------------------------------------

int TGlyphList::AllocateIndex() {
    for (std::size_t I = 0; I < FUsed.size(); ++I)
        if (!FUsed[I]) {
            FUsed[I] = true;
            return int(I);
        }
    FImages.emplace_back();
    FUsed.push_back(true);
    return int(FUsed.size()) - 1;
}

void TGlyphList::Replace(int Index, const QImage& Image) {
    if (Image.width() < FWidth || Image.height() < FHeight)
        throw EInvalidOperation("Invalid image size");
    FImages[Index] = Image.copy(0, 0, FWidth, FHeight);
}

int TGlyphList::Add(const QImage& Image, const TMonoMask& Mask) {
    const int Index = AllocateIndex();
    try {
        Replace(Index, ApplyMask(Image, Mask));
    } catch (...) {
        FUsed[Index] = false;
        throw;
    }
    ++FCount;
    return Index;
}

int TGlyphList::AddMasked(const QImage& Image, QRgb TransparentColor) {
    return Add(Image, ColorMask(Image, {TransparentColor}));
}

void TGlyphList::Delete(int Index) {
    if (Index < 0 || Index >= int(FUsed.size()) || !FUsed[Index])
        return;
    FUsed[Index] = false;
    --FCount;
}

// ---- TGlyphCache --------------------------------------------------------------------------

TGlyphList* TGlyphCache::GetList(int Width, int Height) {
    for (auto It = FLists.rbegin(); It != FLists.rend(); ++It)
        if ((*It)->Width() == Width && (*It)->Height() == Height)
            return It->get();
    FLists.push_back(std::make_unique<TGlyphList>(Width, Height));
    return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* List) {
    if (!List || List->Count() != 0)
        return;
    std::erase_if(FLists, [List](const auto& Owned) { return Owned.get() == List; });
}

TGlyphCache* GlyphCache() {
    return GCache.get();
}

// ---- Layout -------------------------------------------------------------------------------

TButtonLayoutResult CalcButtonLayout(const TButtonLayoutInput& Input) {
    const int W = Input.Client.width();
    const int H = Input.Client.height();
    const QSize GlyphSize = Input.Glyph.isEmpty() ? QSize(0, 0) : Input.Glyph;
    const QSize Arrow = Input.DrawArrow ? ArrowSize : QSize(0, 0);
    TButtonLayout Layout = Input.Layout;
    bool Horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    if (!Horizontal && GlyphSize.isEmpty()) {
        Layout = blGlyphLeft;
        Horizontal = true;
    }
    int Margin = Input.Margin;
    int Spacing = Input.Spacing;

    QSize CaptionSize(0, 0);
    if (!Input.Caption.isEmpty()) {
        int TextWidth = W;
        if (Horizontal)
            TextWidth -= Arrow.width();
        int Flags = Qt::TextShowMnemonic;
        if (Input.WordWrap) {
            if (Horizontal && !GlyphSize.isEmpty())
                TextWidth -= GlyphSize.width() + (Spacing == -1 ? 4 : Spacing);
            TextWidth -= 2 * (Horizontal ? FirstSet(Margin, Spacing, 4) : 4);
            Flags |= Qt::TextWordWrap;
        } else {
            Flags |= Qt::TextSingleLine;
        }
        const QRect Bounds =
            QFontMetrics(Input.Font)
                .boundingRect(QRect(0, 0, std::max(TextWidth, 0), 0), Flags, Input.Caption);
        CaptionSize = Bounds.size();
    }

    TButtonLayoutResult Result;
    QPoint GlyphPos;
    QPoint TextPos;
    QPoint ArrowPos;
    if (Horizontal) {
        GlyphPos.setY((H - GlyphSize.height() + 1) / 2);
        TextPos.setY((H - CaptionSize.height() + 1) / 2);
    } else {
        GlyphPos.setX((W - GlyphSize.width() - Arrow.width() + 1) / 2);
        TextPos.setX((W - CaptionSize.width() + 1) / 2);
        ArrowPos.setX(GlyphSize.isEmpty() ? TextPos.x() + CaptionSize.width()
                                          : GlyphPos.x() + GlyphSize.width());
    }

    if (CaptionSize.width() == 0 || GlyphSize.width() == 0)
        Spacing = 0;

    const int Extent = Horizontal ? W : H;
    const int GlyphExtent = Horizontal ? GlyphSize.width() : GlyphSize.height();
    const int CaptionExtent = Horizontal ? CaptionSize.width() : CaptionSize.height();
    const int ArrowExtent = Horizontal ? Arrow.width() : 0;
    if (Margin != -1 && Spacing == -1) {
        const int Free = Extent - (Margin + GlyphExtent + ArrowExtent);
        Spacing = (Free - CaptionExtent) / 2;
    } else if (Margin == -1 && Spacing != -1) {
        const int Total = GlyphExtent + Spacing + CaptionExtent + ArrowExtent;
        Margin = (Extent - Total + 1) / 2;
    } else if (Margin == -1 && Spacing == -1) {
        const int Total = GlyphExtent + CaptionExtent + ArrowExtent;
        Margin = (Extent - Total) / 3;
        Spacing = Margin;
    }

    switch (Layout) {
    case blGlyphLeft:
        GlyphPos.setX(Margin);
        TextPos.setX(GlyphPos.x() + GlyphSize.width() + Spacing);
        ArrowPos.setX(TextPos.x() + CaptionSize.width());
        break;
    case blGlyphRight:
        ArrowPos.setX(W - Margin - Arrow.width());
        GlyphPos.setX(ArrowPos.x() - GlyphSize.width());
        TextPos.setX(GlyphPos.x() - Spacing - CaptionSize.width());
        break;
    case blGlyphTop:
        GlyphPos.setY(Margin);
        TextPos.setY(GlyphPos.y() + GlyphSize.height() + Spacing);
        break;
    case blGlyphBottom:
        GlyphPos.setY(H - Margin - GlyphSize.height());
        TextPos.setY(GlyphPos.y() - Spacing - CaptionSize.height());
        break;
    }

    ArrowPos.setY(GlyphSize.isEmpty() ? TextPos.y() + (CaptionSize.height() - 3) / 2
                                      : GlyphPos.y() + (GlyphSize.height() - 3) / 2);

    const QPoint Shift = Input.Client.topLeft() + Input.Offset;
    Result.GlyphPos = GlyphPos + Shift;
    Result.ArrowPos = ArrowPos + Shift;
    Result.TextBounds = QRect(TextPos + Shift, CaptionSize);
    return Result;
}

void DrawDropdownArrow(QPainter& Painter, QPoint At, bool Disabled, const TGlyphColors& Colors,
                       const QColor& TextColor) {
    auto Triangle = [&Painter](QPoint Corner, const QColor& Color) {
        for (int Row = 0; Row < 3; ++Row)
            Painter.fillRect(Corner.x() + 4 + Row, Corner.y() + Row, 5 - 2 * Row, 1, Color);
    };
    if (Disabled) {
        Triangle(At + QPoint(1, 1), QColor::fromRgb(Colors.Highlight));
        Triangle(At, QColor::fromRgb(Colors.Shadow));
    } else {
        Triangle(At, TextColor);
    }
}

// ---- TButtonGlyph -------------------------------------------------------------------------

TButtonGlyph::TButtonGlyph() {
    for (auto& List : FIndexes)
        List.fill(NoIndex);
    if (!GCache)
        GCache = std::make_unique<TGlyphCache>();
}

TButtonGlyph::~TButtonGlyph() {
    Invalidate();
    if (GCache && GCache->Empty())
        GCache.reset();
}

void TButtonGlyph::Invalidate() {
    for (std::size_t L = 0; L < FIndexes.size(); ++L) {
        for (int& Index : FIndexes[L])
            if (Index != NoIndex) {
                FGlyphLists[L]->Delete(Index);
                Index = NoIndex;
            }
        if (FGlyphLists[L] && GCache)
            GCache->ReturnList(FGlyphLists[L]);
        FGlyphLists[L] = nullptr;
    }
}

void TButtonGlyph::GlyphChanged() {
    if (FSourceGlyph.width() > 0 && FSourceGlyph.height() > 0)
        FTransparentColor = PixelRgb(FSourceGlyph, 0, FSourceGlyph.height() - 1);
    Invalidate();
    if (OnChange)
        OnChange();
}

void TButtonGlyph::SetGlyph(const QImage& Bitmap) {
    Invalidate();
    FSourceGlyph = Bitmap.isNull() ? QImage() : Bitmap.convertToFormat(QImage::Format_RGB32);
    if (!Bitmap.isNull() && Bitmap.height() > 0 && Bitmap.width() % Bitmap.height() == 0) {
        const int Count = Bitmap.width() / Bitmap.height();
        FNumGlyphs = Count > 5 ? 1 : Count;
    }
    GlyphChanged();
}

void TButtonGlyph::SetGlyphMask(const QImage& Bitmap) {
    Invalidate();
    FSourceMask = Bitmap.isNull() ? QImage() : Bitmap.convertToFormat(QImage::Format_RGB32);
    GlyphChanged();
}

void TButtonGlyph::SetNumGlyphs(int Value) {
    Invalidate();
    FNumGlyphs = std::clamp(Value, 1, 5);
    GlyphChanged();
}

void TButtonGlyph::SetOldDisabledStyle(bool Value) {
    if (Value == FOldDisabledStyle)
        return;
    FOldDisabledStyle = Value;
    Invalidate();
}

void TButtonGlyph::SetColors(const TGlyphColors& Value) {
    FColors = Value;
    FOwnColors = true;
    Invalidate();
}

QSize TButtonGlyph::CellSize() const {
    if (FSourceGlyph.isNull())
        return {};
    const int Width = FSourceGlyph.width() / FNumGlyphs;
    if (Width == 0 || FSourceGlyph.height() == 0)
        return {};
    return {Width, FSourceGlyph.height()};
}

QImage TButtonGlyph::Cell(int Column) const {
    const QSize Size = CellSize();
    return FSourceGlyph.copy(Column * Size.width(), 0, Size.width(), Size.height());
}

QImage TButtonGlyph::MaskCell(int Column) const {
    const QSize Size = CellSize();
    return FSourceMask.copy(Column * Size.width(), 0, Size.width(), Size.height());
}

TButtonGlyph::TGlyphIndex TButtonGlyph::CreateButtonGlyph(TCommandButtonState State) {
    if (State != cbsDisabled && State >= FNumGlyphs)
        State = cbsUp;
    if (FIndexes[1][State] != NoIndex)
        return {1, FIndexes[1][State]};
    if (FIndexes[0][State] != NoIndex)
        return {0, FIndexes[0][State]};
    const QSize Size = CellSize();
    if (Size.isEmpty())
        return {};

    const bool Disabled = State == cbsDisabled;
    const int ListEntry = Disabled ? 0 : 1;
    const QSize PictureSize = Disabled ? Size + QSize(1, 1) : Size;
    // Another glyph may have freed the cache while it held no list.
    if (!GCache)
        GCache = std::make_unique<TGlyphCache>();
    if (!FGlyphLists[ListEntry])
        FGlyphLists[ListEntry] = GCache->GetList(PictureSize.width(), PictureSize.height());
    TGlyphList* List = FGlyphLists[ListEntry];
    const TGlyphColors Colors = FOwnColors ? FColors : SystemGlyphColors();
    const bool HasMask = !FSourceMask.isNull();
    const int Column = State < FNumGlyphs ? State : 0;

    int Index = NoIndex;
    if (!Disabled) {
        const QImage Picture = Cell(Column);
        Index = HasMask ? List->Add(Picture, WhiteMask(MaskCell(Column)))
                        : List->AddMasked(Picture, FTransparentColor);
    } else if (FNumGlyphs >= 2) {
        const QImage Mask = HasMask ? MaskCell(cbsDisabled) : QImage();
        const QImage Picture = RecolouredDisabledGlyph(Cell(cbsDisabled), FTransparentColor, Colors,
                                                       HasMask ? &Mask : nullptr);
        Index = List->Add(Picture, ColorMask(Picture, {}));
    } else {
        const QImage Mask = HasMask ? MaskCell(cbsUp) : QImage();
        const QImage Picture = EmbossedGlyph(Cell(cbsUp), FTransparentColor, Colors,
                                             FOldDisabledStyle, HasMask ? &Mask : nullptr);
        Index = List->Add(Picture, ColorMask(Picture, {}));
    }
    FIndexes[ListEntry][State] = Index;
    return {ListEntry, Index};
}

QImage TButtonGlyph::Picture(TCommandButtonState State) {
    const TGlyphIndex Found = CreateButtonGlyph(State);
    if (Found.List < 0)
        return {};
    return FGlyphLists[Found.List]->Image(Found.Index);
}

QRect TButtonGlyph::Draw(QPainter& Painter, const QRect& Client, TCommandButtonState State,
                         bool DrawArrow, int Spacing, int Margin, TButtonLayout Layout,
                         bool WordWrap, const QString& Caption, bool DrawCaption, bool DrawGlyph,
                         const QPoint& Offset, const QFont& Font, const QColor& TextColor) {
    TButtonLayoutInput Input;
    Input.Client = Client;
    Input.Offset = Offset;
    Input.Glyph = DrawGlyph ? CellSize() : QSize();
    Input.DrawArrow = DrawArrow;
    Input.Caption = DrawCaption ? Caption : QString();
    Input.Font = Font;
    Input.Layout = Layout;
    Input.Margin = Margin;
    Input.Spacing = Spacing;
    Input.WordWrap = WordWrap;
    const TButtonLayoutResult Parts = CalcButtonLayout(Input);
    const TGlyphColors Colors = FOwnColors ? FColors : SystemGlyphColors();
    const bool Disabled = State == cbsDisabled;

    if (DrawGlyph) {
        const QImage Image = Picture(State);
        if (!Image.isNull())
            Painter.drawImage(Parts.GlyphPos, Image);
    }
    if (DrawCaption && !Caption.isEmpty()) {
        const int Flags = Qt::AlignCenter | Qt::TextShowMnemonic |
                          (WordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
        Painter.setFont(Font);
        if (Disabled) {
            Painter.setPen(QColor::fromRgb(Colors.Highlight));
            Painter.drawText(Parts.TextBounds.translated(1, 1), Flags, Caption);
            Painter.setPen(QColor::fromRgb(Colors.Shadow));
        } else {
            Painter.setPen(TextColor);
        }
        Painter.drawText(Parts.TextBounds, Flags, Caption);
    }
    if (DrawArrow)
        DrawDropdownArrow(Painter, Parts.ArrowPos, Disabled, Colors, TextColor);
    return Parts.TextBounds;
}

} // namespace korvid
