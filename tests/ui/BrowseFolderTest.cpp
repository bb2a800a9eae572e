#include "ui/BrowseFolder.h"

#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::TTempDir;

TEST(ShortenStatusPath, KeepsTheFirstPartAndAsManyLastPartsAsFit) {
    struct TCase {
        const char* Path;
        char Separator;
        const char* Shown;
    };
    const TCase Cases[] = {
        {"C:\\Projects\\Alpha\\Beta\\Gamma\\Delta\\readme-long-name.txt", '\\',
         "C:\\...\\Delta\\readme-long-name.txt"},
        {"C:\\a\\b\\c\\d\\e\\a-very-long-file-name-that-is-too-long.txt", '\\',
         "C:\\...\\a-very-long-file-name-that-is-too-long.txt"},
        {"/home/alice/projects/korvid/source/editor/widget.cpp", '/',
         "/.../source/editor/widget.cpp"},
        {"/home/alice/projects/korvid/x.cpp", '/', "/home/alice/projects/korvid/x.cpp"},
        {"C:\\a-file-name-that-is-long-enough-to-cut.txt", '\\',
         "C:\\a-file-name-that-is-long-enough-to-cut.txt"}, // too few parts to cut
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ShortenStatusPath(Case.Path, Case.Separator), Case.Shown) << Case.Path;
}

TEST(BrowseFolder, SitsCentredAcrossTheActiveWindowAQuarterDown) {
    EXPECT_EQ(BrowseDialogPosition(QRect(100, 200, 800, 600), QSize(300, 400)), QPoint(350, 350));
}

TEST(BrowseFolder, ZeroCustomButtonWidthGivesTheDefault) {
    TBrowseFolder Picker;
    Picker.SetCustomButtonWidth(120);
    EXPECT_EQ(Picker.CustomButtonWidth(), 120);
    Picker.SetCustomButtonWidth(0);
    EXPECT_EQ(Picker.CustomButtonWidth(), 75);
}

class TBrowseFolderFixture : public ::testing::Test {
protected:
    TBrowseFolderFixture() {
        std::filesystem::create_directories(Folder / "alpha" / "beta");
        std::filesystem::create_directories(Folder / "gamma");
        Picker.Title = "Browse for Target Folder";
        Picker.Directory = Folder / "alpha" / "beta";
    }

    TTempDir Folder;
    TBrowseFolder Picker;
};

TEST_F(TBrowseFolderFixture, OkChoosesTheCurrentFolder) {
    std::filesystem::path Preselected;
    TScriptedModals Script;
    Script.Then(ActOn<TBrowseFolderDialog>([&](TBrowseFolderDialog& Dialog) {
        Preselected = Dialog.CurrentPath();
        EXPECT_TRUE(Dialog.OkButton()->isEnabled());
        EXPECT_TRUE(Dialog.Tree()->isExpanded(Dialog.Tree()->currentIndex()));
        Dialog.SelectPath(Folder / "gamma");
        Dialog.OkButton()->click();
    }));
    ASSERT_TRUE(Picker.Execute());
    EXPECT_EQ(Script.Last().Caption, "Browse for Target Folder");
    EXPECT_EQ(Preselected, Folder / "alpha" / "beta");
    EXPECT_EQ(Picker.Directory, Folder / "gamma");
}

// The folders above it are listed only after the dialog opens, and push it down as they come.
TEST_F(TBrowseFolderFixture, ThePresetFolderIsScrolledIntoView) {
    for (int Number = 10; Number < 70; ++Number)
        std::filesystem::create_directories(Folder / ("folder" + std::to_string(Number)));
    Picker.Directory = Folder / "folder65";
    bool Seen = false;
    TScriptedModals Script;
    Script.Then(ActOn<TBrowseFolderDialog>([&](TBrowseFolderDialog& Dialog) {
        QTreeView* Tree = Dialog.Tree();
        const auto InView = [Tree] {
            const QRect Item = Tree->visualRect(Tree->currentIndex());
            return Item.isValid() && Tree->viewport()->rect().contains(Item);
        };
        // Shown as the user sees it, and long enough for every listing to arrive.
        Dialog.show();
        QTest::qWait(300);
        Seen = QTest::qWaitFor(InView, 3000);
        EXPECT_EQ(Dialog.CurrentPath(), Folder / "folder65");
        Dialog.CancelButton()->click();
    }));
    EXPECT_FALSE(Picker.Execute());
    EXPECT_TRUE(Seen);
}

TEST_F(TBrowseFolderFixture, CancelLeavesDirectory) {
    TScriptedModals Script;
    Script.Then(ActOn<TBrowseFolderDialog>([&](TBrowseFolderDialog& Dialog) {
        Dialog.SelectPath(Folder / "gamma");
        Dialog.CancelButton()->click();
    }));
    EXPECT_FALSE(Picker.Execute());
    EXPECT_EQ(Picker.Directory, Folder / "alpha" / "beta");
}

TEST_F(TBrowseFolderFixture, TheCheckBoxStateCountsOnOk) {
    Picker.CustomButtonVisible = true;
    Picker.CustomButtonType = btCheckBox;
    Picker.SetCustomButtonCaption("Add &subfolders too");
    TScriptedModals Script;
    Script.Then(ActOn<TBrowseFolderDialog>([](TBrowseFolderDialog& Dialog) {
        ASSERT_NE(Dialog.CustomButton(), nullptr);
        EXPECT_EQ(Dialog.CustomButton()->width(), 75);
        Dialog.CustomButton()->click();
        Dialog.OkButton()->click();
    }));
    ASSERT_TRUE(Picker.Execute());
    EXPECT_TRUE(Picker.CustomButtonChecked);

    Script.Then(ActOn<TBrowseFolderDialog>([](TBrowseFolderDialog& Dialog) {
        Dialog.CustomButton()->click();
        Dialog.CancelButton()->click();
    }));
    EXPECT_FALSE(Picker.Execute());
    EXPECT_TRUE(Picker.CustomButtonChecked) << "Cancel keeps the old state";
}

TEST_F(TBrowseFolderFixture, WithoutACurrentItemOkAndTheSyncedButtonAreDisabled) {
    Picker.CustomButtonVisible = true;
    Picker.SyncCustomButton = true;
    Picker.ShowPathInStatusArea = true;
    int Clicks = 0;
    Picker.OnCustomButtonClick = [&](TBrowseFolderDialog&) { ++Clicks; };
    TScriptedModals Script;
    Script.Then(ActOn<TBrowseFolderDialog>([&](TBrowseFolderDialog& Dialog) {
        EXPECT_TRUE(Dialog.CustomButton()->isEnabled());
        Dialog.CustomButton()->click();
        EXPECT_EQ(Dialog.StatusLine()->text().toStdString(),
                  ShortenStatusPath((Folder / "alpha" / "beta").string(), '/'));
        Dialog.Tree()->setCurrentIndex({});
        EXPECT_FALSE(Dialog.OkButton()->isEnabled());
        EXPECT_FALSE(Dialog.CustomButton()->isEnabled());
        Dialog.adjustSize();
        Dialog.show();
        Dialog.SelectPath(Folder / "alpha");
        EXPECT_TRUE(Dialog.grab().save(
            QDir(QCoreApplication::applicationDirPath()).filePath("folder-picker.png")));
        Dialog.CancelButton()->click();
    }));
    EXPECT_FALSE(Picker.Execute());
    EXPECT_EQ(Clicks, 1);
}

} // namespace
} // namespace korvid
