#include "app/DocumentPrint.h"

#include "app/DocumentEditor.h"
#include "platform/Cp1252.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace korvid {

TPrinterCanvas::TPrinterCanvas(QPrinter& Printer)
    : FPrinter(Printer), FPainter(std::make_unique<QPainter>(&Printer)) {}

TPrinterCanvas::~TPrinterCanvas() {
    if (FPainter->isActive())
        FPainter->end();
}

bool TPrinterCanvas::Started() const {
    return FPainter->isActive();
}

QSize TPrinterCanvas::PageSize() const {
    return {FPrinter.width(), FPrinter.height()};
}

QSize TPrinterCanvas::Resolution() const {
    return {FPrinter.logicalDpiX(), FPrinter.logicalDpiY()};
}

void TPrinterCanvas::NewPage() {
    FPrinter.newPage();
}

void TPrinterCanvas::TextOut(int X, int Y, const QString& Text) {
    FPainter->drawText(X, Y + QFontMetrics(FPainter->font()).ascent(), Text);
}

QFont PrintingFont(const QFont& Font) {
    if (QFontDatabase::hasFamily(Font.family()))
        return Font;
    QFont Fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (Font.pointSize() > 0)
        Fallback.setPointSize(Font.pointSize());
    return Fallback;
}

void PrintDocument(TDocumentEditor& Editor, TPrintCanvas& Canvas, int MaximumLength) {
    QPainter& Painter = Canvas.Painter();
    Painter.setFont(PrintingFont(Editor.PrintFont()));
    const QFontMetrics Metrics(Painter.font());
    const int Left = Canvas.Resolution().width() / 2;
    const int Top = Canvas.Resolution().height() / 2;
    const QSize Page = Canvas.PageSize();
    const int LineHeight = Metrics.boundingRect(QStringLiteral("Xy")).height();
    int Y = Top;
    int PageNumber = 1;
    const auto Footer = [&] {
        const QString Text = QStringLiteral("[p%1]").arg(PageNumber);
        Canvas.TextOut((Page.width() - Metrics.horizontalAdvance(Text)) / 2,
                       Page.height() - Top / 2, Text);
    };
    const std::vector<std::string> Lines = Editor.Paragraphs();
    for (std::size_t Index = 0; Index < Lines.size(); ++Index) {
        if (Y + LineHeight > Page.height() - Top) {
            Footer();
            Canvas.NewPage();
            ++PageNumber;
            Y = Top;
        }
        const std::string_view Line =
            std::string_view(Lines[Index]).substr(0, static_cast<std::size_t>(MaximumLength));
        const QRect Row(Left, Y, Page.width() - Left, LineHeight);
        if (!Line.empty() &&
            !Editor.PrintColouredLine(Painter, static_cast<int>(Index) + 1, Line, Row))
            Canvas.TextOut(Left, Y, ToQString(Line));
        Y += LineHeight;
    }
    if (PageNumber > 1)
        Footer();
}

} // namespace korvid
