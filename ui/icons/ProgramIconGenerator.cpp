// Draws the program's own icon for the desktop's menus and writes it in the icon theme's sizes,
// "<size>x<size>/korvid.png", into the folder named on the command line.
#include "ui/glyphs/GlyphCanvas.h"

#include <QDir>
#include <QGuiApplication>

using namespace korvid::glyphs;

int main(int argc, char** argv) {
    QGuiApplication App(argc, argv);
    if (argc != 2)
        return 2;
    const QDir Folder(QString::fromLocal8Bit(argv[1]));
    TCanvas Canvas;
    Canvas.Page(2, 1, 13, 14, false);
    Canvas.Bits(5, 3, {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}, Navy);
    Canvas.HLine(5, 10, 12, Red);
    if (!Folder.mkpath("16x16") ||
        !SaveWithClearBackground(Canvas, QDir(Folder.filePath("16x16")), "korvid"))
        return 1;
    const QImage Small(Folder.filePath("16x16/korvid.png"));
    // Scaled by whole pixels, so the larger sizes stay as sharp as the drawing.
    for (const int Size : {32, 48}) {
        const QString Name = QString("%1x%1").arg(Size);
        if (!Folder.mkpath(Name) ||
            !Small.scaled(Size, Size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                 .save(Folder.filePath(Name + "/korvid.png")))
            return 1;
    }
    return 0;
}
