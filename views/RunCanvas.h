#pragma once

#include "platform/Colors.h"

#include <QFont>

#include <string_view>

class QPainter;

namespace korvid {

struct TRunRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRunRect&, const TRunRect&) = default;
};

// What coloured runs are drawn on: the editor's own painting, a printer, or a test's recorder.
class TRunCanvas {
public:
    virtual ~TRunCanvas() = default;
    virtual TColor BrushColour() const = 0;
    virtual void SetBrushColour(TColor Colour) = 0;
    virtual void SetFontColour(TColor Colour) = 0;
    virtual bool Bold() const = 0;
    virtual bool Italic() const = 0;
    virtual void SetFontStyle(bool Bold, bool Italic) = 0;
    // Fills with the brush.
    virtual void FillRect(const TRunRect& Rect) = 0;
    // Opaque: fills Clip with the brush, then writes Text at (X, Y) clipped to Clip.
    virtual void TextRect(const TRunRect& Clip, int X, int Y, std::string_view Text) = 0;
    // As TextRect, but each character in its own cell of CellWidth pixels from X, whatever the
    // font's own advance.
    virtual void TextCells(const TRunRect& Clip, int X, int Y, int CellWidth,
                           std::string_view Text) = 0;
    virtual int TextWidth(std::string_view Text) = 0;
};

// Runs drawn through a QPainter in the painter's font.
class TPainterRunCanvas : public TRunCanvas {
public:
    TPainterRunCanvas(QPainter& Painter, TColor Brush, TColor FontColour);

    TColor BrushColour() const override { return FBrush; }
    void SetBrushColour(TColor Colour) override { FBrush = Colour; }
    void SetFontColour(TColor Colour) override { FFontColour = Colour; }
    bool Bold() const override;
    bool Italic() const override;
    void SetFontStyle(bool Bold, bool Italic) override;
    void FillRect(const TRunRect& Rect) override;
    void TextRect(const TRunRect& Clip, int X, int Y, std::string_view Text) override;
    void TextCells(const TRunRect& Clip, int X, int Y, int CellWidth,
                   std::string_view Text) override;
    int TextWidth(std::string_view Text) override;

private:
    QPainter& FPainter;
    TColor FBrush;
    TColor FFontColour;
    int FAscent; // of the painter's font; the same for every style of a fixed font
};

} // namespace korvid
