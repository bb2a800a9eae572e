#pragma once

#include <QImage>
#include <QPainter>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QDir;

namespace korvid::glyphs {

// The sixteen colours of a toolbar picture; Back is the transparent background.
enum TInk : QRgb {
    Back = 0xFF00FF,
    Black = 0x000000,
    Maroon = 0x800000,
    Green = 0x008000,
    Olive = 0x808000,
    Navy = 0x000080,
    Purple = 0x800080,
    Teal = 0x008080,
    Gray = 0x808080,
    Silver = 0xC0C0C0,
    Red = 0xFF0000,
    Lime = 0x00FF00,
    Yellow = 0xFFFF00,
    Blue = 0x0000FF,
    Aqua = 0x00FFFF,
    White = 0xFFFFFF,
};

enum TDirection { Left, Right, Up, Down };

// A 16 by 16 picture drawn pixel by pixel with a small set of shapes; coordinates are
// inclusive.
class TCanvas {
public:
    TCanvas();
    const QImage& Image() const { return FImage; }

    void Pixel(int X, int Y, TInk Ink);
    void HLine(int X1, int X2, int Y, TInk Ink);
    void VLine(int X, int Y1, int Y2, TInk Ink);
    void Line(int X1, int Y1, int X2, int Y2, TInk Ink);
    void Frame(int X1, int Y1, int X2, int Y2, TInk Ink);
    void Fill(int X1, int Y1, int X2, int Y2, TInk Ink);
    void Box(int X1, int Y1, int X2, int Y2, TInk Outline, TInk Inside);
    void Disc(int CX, int CY, int R, TInk Outline, TInk Inside);
    void Ring(int CX, int CY, int R, TInk Ink);
    // A pattern of rows, "#" drawn in Ink, anything else left alone.
    void Bits(int X, int Y, std::initializer_list<std::string_view> Rows, TInk Ink);
    // A character of the 3 by 5 pixel font (digits, letters, a few signs).
    void Char(char C, int X, int Y, TInk Ink);
    void Text(std::string_view S, int X, int Y, TInk Ink);

    // Composite shapes.
    void Page(int X1, int Y1, int X2, int Y2, bool Lines = true);
    void TextLines(int X1, int X2, int Y1, int Count, int Step, TInk Ink);
    void Folder(int X, int Y, bool Open);
    void Floppy(int X, int Y);
    void Magnifier(int X, int Y);
    void Arrow(TDirection Direction, int X, int Y, int Length, TInk Ink);
    void CurvedArrow(bool Clockwise, int X, int Y, TInk Ink);
    void Cross(int X, int Y, int Size, TInk Ink);
    void Plus(int X, int Y, TInk Ink);
    void Minus(int X, int Y, TInk Ink);
    void Star(int X, int Y, TInk Ink);
    void Clipboard(int X1, int Y1, int X2, int Y2);
    void Clock(int CX, int CY, int R);
    void Cylinder(int X1, int Y1, int X2, int Y2, TInk Body);
    void Play(int X, int Y, int Height, TInk Ink);
    void Flag(int X, int Y, TInk Ink, bool Filled);
    void Tab(int X1, int Y1, int X2, int Y2);
    void Check(int X, int Y, TInk Ink);
    void Window(int X1, int Y1, int X2, int Y2);

private:
    QImage FImage;
};

// Writes the picture as "<Name>.png" into Folder with the background colour made
// transparent, for pictures that sit on any list or tree background.
bool SaveWithClearBackground(const TCanvas& Canvas, const QDir& Folder, const std::string& Name);

// The body of a picture generator: with the output folder as its one argument, Draw writes the
// pictures into it and names them, then "<Prefix>.qrc" lists them under the resource prefix
// "/" + Prefix. The process's exit code: 0, 1 when something could not be written, 2 for a
// wrong argument list.
int RunPictureGenerator(int argc, char** argv, const std::string& Prefix,
                        const std::function<bool(const QDir&, std::vector<std::string>&)>& Draw);

} // namespace korvid::glyphs
