#include "platform/Colors.h"
#include "ui/ButtonGlyph.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvid {
namespace {

// The picture at Origin must be Expected laid over the button face.
void ExpectPictureAt(const QImage& Shot, QPoint Origin, const QImage& Expected, QRgb Face) {
    QImage Composed(Expected.size(), QImage::Format_RGB32);
    Composed.fill(QColor::fromRgb(Face));
    QPainter(&Composed).drawImage(0, 0, Expected);
    for (int Y = 0; Y < Composed.height(); ++Y)
        for (int X = 0; X < Composed.width(); ++X)
            ASSERT_EQ(Shot.pixel(Origin.x() + X, Origin.y() + Y) & 0xFFFFFF,
                      Composed.pixel(X, Y) & 0xFFFFFF)
                << "at " << X << "," << Y;
}

// Renders a row of ten toolbar buttons as the main window shows them, and writes the picture
// beside the test program so that a reader can look at the glyphs.
TEST(ToolButtonsPicture, ARowOfTenButtonsShowsTheirGlyphs) {
    BuildTools();
    const int Row[] = {
        ToolIndex::FileNew,          ToolIndex::FileOpen, ToolIndex::FileSave,
        ToolIndex::EditCut,          ToolIndex::EditCopy, ToolIndex::EditPaste,
        ToolIndex::EditFind,         ToolIndex::EditUndo, ToolIndex::EditToggleBookmark1,
        ToolIndex::ViewFavouritesBar};
    QWidget Bar;
    Bar.resize(10 * TCommandBarButton::DefaultWidth, TCommandBarButton::DefaultHeight);
    std::vector<TToolButton*> Buttons;
    for (int I = 0; I < 10; ++I) {
        auto* Button = new TToolButton(&Bar, true, ToolList().Items(Row[I]));
        Button->move(I * TCommandBarButton::DefaultWidth, 0);
        Buttons.push_back(Button);
    }
    ToolList().Items(ToolIndex::FileSave)->SetEnabled(false);
    ToolList().Items(ToolIndex::EditToggleBookmark1)->SetUseSecondGlyph(true);
    ToolList().Items(ToolIndex::ViewFavouritesBar)->SetDown(true);

    const QImage Shot = Bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Shot.size(), Bar.size());
    const QString File = QDir(QCoreApplication::applicationDirPath()).filePath("tool-buttons.png");
    EXPECT_TRUE(Shot.save(File));

    const QRgb Face = ColorToQColor(clBtnFace).rgb();
    for (int I = 0; I < 10; ++I) {
        SCOPED_TRACE(ToolList().Items(Row[I])->Name());
        TKorvidTool* Tool = ToolList().Items(Row[I]);
        const QImage& Glyph = Tool->UseSecondGlyph() ? Tool->SecondGlyph() : Tool->Glyph();
        const QRgb Transparent = Glyph.pixel(0, 15) & 0xFFFFFF;
        const QPoint Origin(I * TCommandBarButton::DefaultWidth + 4, 3);
        if (!Tool->Enabled()) {
            ExpectPictureAt(Shot, Origin,
                            EmbossedGlyph(Glyph, Transparent, SystemGlyphColors(), false), Face);
        } else if (Tool->Down()) {
            // Pressed in its group: sunk by a pixel over the halftone.
            const QImage Picture = MakeTransparent(Glyph, Transparent);
            for (int Y = 0; Y < 16; ++Y)
                for (int X = 0; X < 16; ++X) {
                    if (qAlpha(Picture.pixel(X, Y)) != 0) {
                        ASSERT_EQ(Shot.pixel(Origin.x() + 1 + X, Origin.y() + 1 + Y),
                                  Picture.pixel(X, Y));
                    }
                }
        } else {
            ExpectPictureAt(Shot, Origin, MakeTransparent(Glyph, Transparent), Face);
        }
    }
    ToolList().Items(ToolIndex::FileSave)->SetEnabled(true);
    ToolList().Items(ToolIndex::EditToggleBookmark1)->SetUseSecondGlyph(false);
    ToolList().Items(ToolIndex::ViewFavouritesBar)->SetDown(false);
}

} // namespace
} // namespace korvid
