#include "workspace/FavouritesTree.h"
#include "workspace/LocateFileForm.h"
#include "workspace/NewFavouritesFolderForm.h"

#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

class TFavouritesDialogs : public ::testing::Test {
protected:
    TTempDir Dir;
    TFavouritesTreeView Tree;
    TNewFavouritesFolderForm Form;

    void Put(std::string_view Name) {
        fs::create_directories((Dir / Name).parent_path());
        WriteFileBytes(Dir / Name, "");
    }
    static std::vector<std::string> Captions(const QTreeWidgetItem* Level) {
        std::vector<std::string> Result;
        for (int Index = 0; Index < Level->childCount(); ++Index)
            Result.push_back(Level->child(Index)->text(0).toStdString());
        return Result;
    }
};

TEST_F(TFavouritesDialogs, TheNewFolderPlacesAreWordedForTheSelection) {
    TTreeNode* Src = Tree.AddFolder(nullptr, "Src");
    TTreeNode* Inner = Tree.AddFolder(Src, "Inner");
    TTreeNode* File = Tree.AddFile(Src, "f", "/f");
    TTreeNode* Top = Tree.AddFile(nullptr, "t", "/t");
    const struct {
        const char* Name;
        TTreeNode* Selected;
        QString First;
        QString Second;
        bool SecondEnabled;
    } Cases[] = {
        {"nothing", nullptr, "At the &top level of the Favourites bar",
         "In the currently selected folder", false},
        {"a top-level file", Top, "At the &top level of the Favourites bar",
         "In the currently selected folder", false},
        {"a top-level folder", Src, "At the &top level of the Favourites bar", "In folder \"Src\"",
         true},
        {"a file in a folder", File, "In folder \"Src\"", "In the currently selected folder",
         false},
        {"a folder in a folder", Inner, "In folder \"Src\"", "In folder \"Inner\"", true},
    };
    for (const auto& Case : Cases) {
        Form.Prepare(Case.Selected);
        EXPECT_EQ(Form.SameFolderRadio()->text(), Case.First) << Case.Name;
        EXPECT_EQ(Form.SelectedFolderRadio()->text(), Case.Second) << Case.Name;
        EXPECT_EQ(Form.SelectedFolderRadio()->isEnabled(), Case.SecondEnabled) << Case.Name;
        EXPECT_EQ(Form.SelectedFolderRadio()->isChecked(), Case.SecondEnabled) << Case.Name;
    }
}

TEST_F(TFavouritesDialogs, FillEnablesTheDiskFolderAndRefillTheSubfolders) {
    const auto States = [this] {
        return std::vector<bool>{Form.DiskGroup()->isEnabled(), Form.FolderEdit()->isEnabled(),
                                 Form.BrowseButton()->isEnabled(), Form.RefillBox()->isEnabled(),
                                 Form.SubfoldersBox()->isEnabled()};
    };
    EXPECT_EQ(States(), (std::vector<bool>{false, false, false, false, false}));
    Form.FillBox()->setChecked(true);
    EXPECT_EQ(States(), (std::vector<bool>{true, true, true, true, false}));
    Form.RefillBox()->setChecked(false);
    EXPECT_EQ(States(), (std::vector<bool>{true, true, true, true, true}));
    Form.FillBox()->setChecked(false);
    EXPECT_EQ(States(), (std::vector<bool>{false, false, false, false, false}));
}

TEST_F(TFavouritesDialogs, EachChoiceMakesItsNode) {
    Put("Work/a.txt");
    Put("Work/sub/b.txt");
    const std::string Folder = (Dir / "Work").string() + "/";
    const struct {
        const char* Name;
        bool Fill;
        std::string Folder;
        bool Refill;
        bool Subfolders;
        int Kind;
        std::string Caption;
        std::vector<std::string> Children;
    } Cases[] = {
        {"no fill", false, Folder, true, true, fvFolder, "New Folder", {}},
        {"refilled", true, Folder, true, true, fvDiskFolder, "Work", {"Dummy"}},
        {"filled whole", true, Folder, false, true, fvFolder, "Work", {"sub", "a.txt"}},
        {"filled with files", true, Folder, false, false, fvFolder, "Work", {"a.txt"}},
        {"a missing folder",
         true,
         (Dir / "gone").string(),
         false,
         true,
         fvFolder,
         "New Folder",
         {}},
    };
    Tree.show();
    for (const auto& Case : Cases) {
        Tree.Clear();
        TTreeNode* Src = Tree.AddFolder(nullptr, "Src");
        Form.Prepare(Src);
        Form.FillBox()->setChecked(Case.Fill);
        Form.FolderEdit()->setText(QString::fromStdString(Case.Folder));
        Form.RefillBox()->setChecked(Case.Refill);
        Form.SubfoldersBox()->setChecked(Case.Subfolders);
        TTreeNode* Node = AddNewFavouritesFolder(Tree, Src, Form);
        EXPECT_EQ(Node->Parent(), Src) << Case.Name;
        EXPECT_EQ(TFavouritesTreeView::NodeKind(Node), Case.Kind) << Case.Name;
        EXPECT_EQ(Node->Caption().toStdString(), Case.Caption) << Case.Name;
        EXPECT_EQ(Captions(Node), Case.Children) << Case.Name;
        EXPECT_EQ(Tree.Selected(), Node) << Case.Name;
        EXPECT_TRUE(Tree.IsEditing()) << Case.Name;
        Tree.EndEdit(false);
    }
    // The first place puts it beside the selection.
    Tree.Clear();
    TTreeNode* Src = Tree.AddFolder(nullptr, "Src");
    Form.Prepare(Src);
    Form.SameFolderRadio()->setChecked(true);
    Form.FillBox()->setChecked(true);
    Form.FolderEdit()->setText(QString::fromStdString(Folder));
    Form.RefillBox()->setChecked(true);
    EXPECT_EQ(TFavouritesTreeView::NodePath(AddNewFavouritesFolder(Tree, Src, Form)),
              (Dir / "Work").string());
    EXPECT_EQ(Captions(Tree.invisibleRootItem()), (std::vector<std::string>{"Src", "Work"}));
    Tree.EndEdit(false);
}

TEST_F(TFavouritesDialogs, LocateFindsNamesInTreeOrderIgnoringCase) {
    Put("f/Alpha.txt");
    Put("f/sub/alphabet.txt");
    Put("f/sub/beta.txt");
    Put("f/zeta.ALPHA");
    TLocateFileForm Locate((Dir / "f").string());
    const auto Selected = [&Locate] {
        const TTreeNode* Node = Locate.Tree()->Selected();
        return Node && Node->isSelected() ? Node->Caption().toStdString() : std::string();
    };
    Locate.NameEdit()->setText("ALPHA");
    EXPECT_EQ(Selected(), "alphabet.txt");
    Locate.NextButton()->click();
    EXPECT_EQ(Selected(), "Alpha.txt");
    Locate.NextButton()->click();
    EXPECT_EQ(Selected(), "zeta.ALPHA");
    Locate.NextButton()->click();
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(Locate.SelectedFile(), "");
    Locate.NameEdit()->setText("bet");
    EXPECT_EQ(Selected(), "alphabet.txt");
    Locate.NameEdit()->setText("eta");
    EXPECT_EQ(Selected(), "beta.txt");

    std::vector<std::string> Opened;
    Locate.OnOpenFile = [&Opened](const std::string& Path) { Opened.push_back(Path); };
    Locate.StayOpenBox()->setChecked(true);
    Locate.show();
    Locate.OkButton()->click();
    EXPECT_EQ(Opened, (std::vector<std::string>{(Dir / "f" / "sub" / "beta.txt").string()}));
    EXPECT_TRUE(Locate.isVisible());
    Locate.StayOpenBox()->setChecked(false);
    Locate.OkButton()->click();
    EXPECT_EQ(Locate.result(), QDialog::Accepted);
    EXPECT_EQ(Opened.size(), 1u);
}

} // namespace
} // namespace korvid::test
