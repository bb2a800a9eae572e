#include "views/RunCanvas.h"

#include "platform/Cp1252.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

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

void TPainterRunCanvas::TextCells(const TRunRect& Clip, int X, int Y, int CellWidth,
                                  std::string_view Text) {
    const QRect ClipRect = ToQRect(Clip);
    if (ClipRect.isEmpty())
        return;
    const QString Characters = ToQString(Text);
    // Resolved for the device drawn on, which may be a printer.
    const QRawFont Font = QRawFont::fromFont(QFont(FPainter.font(), FPainter.device()));
    const QList<quint32> Glyphs = Font.glyphIndexesForString(Characters);
    FPainter.save();
    FPainter.setClipRect(ClipRect, Qt::IntersectClip);
    FPainter.fillRect(ClipRect, ColorToQColor(FBrush));
    FPainter.setPen(ColorToQColor(FFontColour));
    if (Glyphs.size() == Characters.size()) {
        // One run with a position per glyph: one call however long the run.
        QList<QPointF> Positions;
        Positions.reserve(Glyphs.size());
        for (qsizetype I = 0; I < Glyphs.size(); ++I)
            Positions.push_back(QPointF(static_cast<double>(I * CellWidth), 0));
        QGlyphRun Run;
        Run.setRawFont(Font);
        Run.setGlyphIndexes(Glyphs);
        Run.setPositions(Positions);
        FPainter.drawGlyphRun(QPointF(X, Y + FAscent), Run);
    } else {
        for (qsizetype I = 0; I < Characters.size(); ++I)
            FPainter.drawText(X + static_cast<int>(I) * CellWidth, Y + FAscent,
                              QString(Characters[I]));
    }
    FPainter.restore();
}

int TPainterRunCanvas::TextWidth(std::string_view Text) {
    return QFontMetrics(FPainter.font()).horizontalAdvance(ToQString(Text));
}

} // namespace korvid
