#include "workspace/OrganizeFilesForm.h"

#include "tests/support/TempDir.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

class TOrganizeFilesTest : public ::testing::Test {
protected:
    TTempDir Dir;
    bool ReplaceMessage = true;
    TOrganizeFilesForm Form{ReplaceMessage};

    // Items of caption and file name; the main one by index.
    void Fill(std::vector<std::pair<std::string, std::string>> Items, int Main = -1) {
        for (int Index = 0; Index < int(Items.size()); ++Index)
            Form.AddItem({Items[Index].first, Items[Index].second, nullptr}, Index == Main);
    }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> Names;
        for (const TOrganizeItem& Item : Form.Items())
            Names.push_back(Item.FileName);
        return Names;
    }
};

TEST_F(TOrganizeFilesTest, ButtonsFollowTheSelection) {
    Fill({{"a", "/t/a"}, {"b", "/t/b"}, {"c", "/t/c"}});
    struct TCase {
        int Selected;
        bool Up, Down, Recaption;
    } Cases[] = {
        {-1, false, false, false},
        {0, false, true, true},
        {1, true, true, true},
        {2, true, false, true},
    };
    for (const TCase& Case : Cases) {
        Form.List()->clearSelection();
        Form.Select(Case.Selected);
        EXPECT_EQ(Form.UpButton()->isEnabled(), Case.Up) << Case.Selected;
        EXPECT_EQ(Form.DownButton()->isEnabled(), Case.Down) << Case.Selected;
        EXPECT_EQ(Form.RecaptionButton()->isEnabled(), Case.Recaption) << Case.Selected;
    }
}

TEST_F(TOrganizeFilesTest, ShowingSelectsTheFirstItemWithTheListFocused) {
    Fill({{"a", "/t/a"}, {"b", "/t/b"}});
    Form.show();
    EXPECT_EQ(Form.SelectedIndex(), 0);
    EXPECT_FALSE(Form.UpButton()->isEnabled());
    EXPECT_TRUE(Form.DownButton()->isEnabled());
}

TEST_F(TOrganizeFilesTest, MovingAnItemTakesItsMainMarkAlong) {
    Fill({{"a", "/t/a"}, {"b", "/t/b"}, {"c", "/t/c"}}, 0);
    Form.Select(0);
    Form.MoveSelected(1);
    Form.MoveSelected(1);
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"/t/b", "/t/c", "/t/a"}));
    EXPECT_EQ(Form.MainIndex(), 2);
    EXPECT_EQ(Form.SelectedIndex(), 2);
    Form.MoveSelected(-1);
    EXPECT_EQ(Form.MainIndex(), 1);
    EXPECT_EQ(Form.Items()[1].Caption, "a");
    EXPECT_FALSE(Form.IsCut(1));
    EXPECT_TRUE(Form.IsCut(0));
}

TEST_F(TOrganizeFilesTest, MarkingTheMainItemAgainClearsTheMark) {
    Fill({{"a", "/t/a"}, {"b", "/t/b"}});
    Form.Select(1);
    Form.MarkAsMain();
    EXPECT_EQ(Form.MainIndex(), 1);
    EXPECT_TRUE(Form.IsCut(0));
    Form.MarkAsMain();
    EXPECT_EQ(Form.MainIndex(), -1);
    EXPECT_TRUE(Form.IsCut(0) && Form.IsCut(1)) << "without a main item every item is cut";
}

TEST_F(TOrganizeFilesTest, AColumnHeaderSortsByUpperCasedText) {
    Fill({{"beta", "/t/Z"}, {"Alpha", "/t/y"}, {"_x", "/t/X"}}, 1);
    Form.Select(0);
    struct TCase {
        int Column;
        std::vector<std::string> Order;
    } Cases[] = {
        {0, {"/t/y", "/t/Z", "/t/X"}}, // "ALPHA" < "BETA" < "_X" byte by byte
        {1, {"/t/X", "/t/y", "/t/Z"}},
    };
    for (const TCase& Case : Cases) {
        Form.SortByColumn(Case.Column);
        EXPECT_EQ(FileNames(), Case.Order) << "column " << Case.Column;
    }
    EXPECT_EQ(Form.Items()[Form.MainIndex()].Caption, "Alpha");
    EXPECT_EQ(Form.Items()[Form.SelectedIndex()].Caption, "beta");
    EXPECT_TRUE(Form.DownButton()->isEnabled() == (Form.SelectedIndex() < 2));
}

TEST_F(TOrganizeFilesTest, SaveAsWritesTheFilesInTheListsOrderWithTheMainMarked) {
    Fill({{"a.txt", "/t/a.txt"}, {"b.txt", "/t/b.txt"}}, 0);
    Form.Select(0);
    Form.MoveSelected(1);
    const fs::path Set = Dir / "set.korvidtabs";
    TScriptedModals Script;
    Script.Then(ChooseFiles({Set}));
    Form.SaveAs();
    EXPECT_EQ(ReadFileBytes(Set), "/t/b.txt\r\n*/t/a.txt\r\n");
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Save Project");
}

// File names (the second column) are shown as UTF-8 and written back as the bytes they are.
TEST_F(TOrganizeFilesTest, FileNamesShowAsUtf8AndKeepTheirBytes) {
    Fill({{"c", "/t/caf\xC3\xA9.txt"}, {"d", "/t/caf\xE9.txt"}});
    const QTreeWidgetItem* First = Form.List()->topLevelItem(0);
    EXPECT_EQ(First->text(1), QString::fromUtf8("/t/caf\xC3\xA9.txt"));
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"/t/caf\xC3\xA9.txt", "/t/caf\xE9.txt"}));
    const fs::path Set = Dir / "set.korvidtabs";
    TScriptedModals Script;
    Script.Then(ChooseFiles({Set}));
    Form.SaveAs();
    EXPECT_EQ(ReadFileBytes(Set), "/t/caf\xC3\xA9.txt\r\n/t/caf\xE9.txt\r\n");
}

TEST_F(TOrganizeFilesTest, ReplacingAnExistingSetNeedsAYes) {
    Fill({{"a.txt", "/t/a.txt"}});
    const fs::path Set = Dir / "set.korvidtabs";
    WriteFileBytes(Set, "old");
    {
        TScriptedModals Script;
        Script.Then(ChooseFiles({Set})).Press("&No");
        Form.SaveAs();
        ASSERT_EQ(Script.Shown().size(), 2u);
        EXPECT_EQ(Script.Last().Message->Text,
                  "Do you want to replace the existing file \"" + Set.string() + "\"?");
        EXPECT_EQ(ReadFileBytes(Set), "old");
    }
    {
        TScriptedModals Script;
        Script.Then(ChooseFiles({Set})).Press("&Yes");
        Form.SaveAs();
        EXPECT_EQ(ReadFileBytes(Set), "/t/a.txt\r\n");
    }
}

TEST_F(TOrganizeFilesTest, AFailedWriteIsReportedAndKeepsTheDialog) {
    Fill({{"a.txt", "/t/a.txt"}});
    // A folder where no file can be made, whoever asks.
    const fs::path Set = "/proc/set.korvidtabs";
    TScriptedModals Script;
    Script.Then(ChooseFiles({Set})).Press("OK");
    Form.SaveAs();
    ASSERT_EQ(Script.Shown().size(), 2u);
    EXPECT_EQ(Script.Last().Message->Text.rfind("Korvid was unable to save the file.", 0), 0u);
    EXPECT_FALSE(fs::exists(Set));
}

} // namespace
} // namespace korvid::test
