#pragma once

#include <QSize>
#include <QString>

#include <memory>

class QFont;
class QPainter;
class QPrinter;

namespace korvid {

class TDocumentEditor;

// What a document is printed on: the printer, or a test's recorder.
class TPrintCanvas {
public:
    virtual ~TPrintCanvas() = default;
    // In device pixels.
    virtual QSize PageSize() const = 0;
    // Pixels per inch, horizontally and vertically.
    virtual QSize Resolution() const = 0;
    virtual QPainter& Painter() = 0;
    // False when the print job could not begin (an unwritable file, a printer that refused).
    virtual bool Started() const { return true; }
    virtual void NewPage() = 0;
    // Writes Text in the painter's font with its top-left corner at (X, Y).
    virtual void TextOut(int X, int Y, const QString& Text) = 0;
};

// Draws on a printer that the caller has set up; the print job ends with the canvas.
class TPrinterCanvas : public TPrintCanvas {
public:
    explicit TPrinterCanvas(QPrinter& Printer);
    ~TPrinterCanvas() override;

    QSize PageSize() const override;
    QSize Resolution() const override;
    QPainter& Painter() override { return *FPainter; }
    bool Started() const override;
    void NewPage() override;
    void TextOut(int X, int Y, const QString& Text) override;

private:
    QPrinter& FPrinter;
    std::unique_ptr<QPainter> FPainter;
};

// Prints the document's paragraphs, each cut to MaximumLength characters, with half-inch
// margins at the left and the top. A document of more than one page gets "[pN]" centred at
// the foot of each page.
void PrintDocument(TDocumentEditor& Editor, TPrintCanvas& Canvas, int MaximumLength);

// Font, unless the painter's device lacks its face: then the fixed-pitch fallback in its size.
QFont PrintingFont(const QFont& Font);

} // namespace korvid
