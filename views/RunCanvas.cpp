#include "views/RunCanvas.h"

#include "platform/Cp1252.h"

#include <QFontMetrics>
#include <QPainter>

namespace korvid {

namespace {

QRect ToQRect(const TRunRect& Rect) {
    return QRect(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

} // namespace

TPainterRunCanvas::TPainterRunCanvas(QPainter& Painter, TColor Brush, TColor FontColour)
    : FPainter(Painter), FBrush(Brush), FFontColour(FontColour),
      FAscent(QFontMetrics(Painter.font()).ascent()) {}

bool TPainterRunCanvas::Bold() const {
    return FPainter.font().bold();
}

bool TPainterRunCanvas::Italic() const {
    return FPainter.font().italic();
}

void TPainterRunCanvas::SetFontStyle(bool Bold, bool Italic) {
    QFont Font = FPainter.font();
    if (Font.bold() == Bold && Font.italic() == Italic)
        return;
    Font.setBold(Bold);
    Font.setItalic(Italic);
    FPainter.setFont(Font);
}

void TPainterRunCanvas::FillRect(const TRunRect& Rect) {
    FPainter.fillRect(ToQRect(Rect), ColorToQColor(FBrush));
}

void TPainterRunCanvas::TextRect(const TRunRect& Clip, int X, int Y, std::string_view Text) {
    const QRect ClipRect = ToQRect(Clip);
    if (ClipRect.isEmpty())
        return;
    FPainter.save();
    FPainter.setClipRect(ClipRect, Qt::IntersectClip);
    FPainter.fillRect(ClipRect, ColorToQColor(FBrush));
    FPainter.setPen(ColorToQColor(FFontColour));
    FPainter.drawText(X, Y + FAscent, ToQString(Text));
    FPainter.restore();
}

int TPainterRunCanvas::TextWidth(std::string_view Text) {
    return QFontMetrics(FPainter.font()).horizontalAdvance(ToQString(Text));
}

} // namespace korvid
