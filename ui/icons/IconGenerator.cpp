// Draws the fixed small icons of the file trees and writes them, with a resource collection
// file that lists them, into the folder named on the command line.
#include "ui/glyphs/GlyphCanvas.h"

#include <QDir>
#include <functional>
#include <string>
#include <vector>

using namespace korvid::glyphs;

namespace {

struct TIcon {
    std::string Name;
    std::function<void(TCanvas&)> Draw;
};

// In the order of the list's fixed indexes.
std::vector<TIcon> Icons() {
    return {
        {"X_FOLDERICON", [](TCanvas& C) { C.Folder(1, 3, false); }},
        {"X_REFILLFOLDERICON",
         [](TCanvas& C) {
             C.Folder(1, 3, false);
             // A round arrow: the folder is read again whenever it opens.
             C.Bits(8, 7,
                    {"..###...", ".#...#..", "#...###.", "#....#..", "#.......", ".#...#..",
                     "..###..."},
                    Green);
         }},
        {"X_VOLUMEICON",
         [](TCanvas& C) {
             C.Floppy(1, 1);
             C.Text("P", 12, 10, Red);
         }},
        {"X_TEXTICON", [](TCanvas& C) { C.Page(3, 1, 12, 14); }},
        {"X_UNTYPEDICON", [](TCanvas& C) { C.Page(3, 1, 12, 14, false); }},
        {"X_NOSUCHICON",
         [](TCanvas& C) {
             C.Page(3, 1, 12, 14, false);
             C.Cross(8, 9, 5, Red);
         }},
    };
}

} // namespace

int main(int argc, char** argv) {
    return RunPictureGenerator(argc, argv, "icons", [](const QDir& Folder, auto& Names) {
        for (const TIcon& Icon : Icons()) {
            TCanvas Canvas;
            Icon.Draw(Canvas);
            if (!SaveWithClearBackground(Canvas, Folder, Icon.Name))
                return false;
            Names.push_back(Icon.Name);
        }
        return true;
    });
}
