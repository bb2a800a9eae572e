#include "tests/app/FormFixture.h"
#include "tests/app/ProgramProcess.h"

#include "psystem/MajorVolume.h"
#include "psystem/VolumeDialogs.h"
#include "workspace/FavouritesTree.h"
#include "workspace/ToolIndexes.h"

#include "ui/HackedDialogs.h"
#include "workspace/LocateFileForm.h"
#include "workspace/SearchFolderForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;
namespace T = ToolIndex;

class TFavouritesBarTest : public TFormTest {
protected:
    fs::path FavouritesFile() const { return Dir / "favourites.txt"; }
    TFavouritesTreeView& Tree() const { return *Form->FavouritesTree().Tree(); }
    void Run(int Tool) { ToolList().Items(Tool)->Execute(); }
};

TEST_F(TFavouritesBarTest, TheTreeIsReadAtStartAndSavedAtTheEnd) {
    WriteFileBytes(FavouritesFile(), "S Docs\r\nF a>/a.txt\r\n/\r\n");
    MakeForm();
    ASSERT_EQ(Tree().NodeCount(), 2);
    Tree().AddFolder(nullptr, "Added");
    ASSERT_TRUE(Form->FormCloseQuery());
    EXPECT_EQ(ReadFileBytes(FavouritesFile()), "S Added\r\n/\r\nS Docs\r\nF a>/a.txt\r\n/\r\n");
}

TEST_F(TFavouritesBarTest, AFileThatCannotBeReadIsSaidOnceAndLeftAsItIs) {
    // A folder where the file should be exists but cannot be read as one.
    fs::create_directory(FavouritesFile());
    TScriptedModals Script;
    Script.Press("OK");
    MakeForm();
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Favourites");
    EXPECT_EQ(Script.Last().Message->Text,
              "Korvid was unable to read your Favourites list from file \"" +
                  FavouritesFile().string() + "\". The file will be left as it is.");
    Tree().AddFolder(nullptr, "New");
    ASSERT_TRUE(Form->FormCloseQuery());
    // No attempt to write over it, so no unable-to-save message either.
    EXPECT_EQ(Script.Shown().size(), 1u);
    EXPECT_TRUE(fs::is_directory(FavouritesFile()));
}

TEST_F(TFavouritesBarTest, TheBarShowsBesideTheTabsAndItsToolFollows) {
    MakeForm();
    QWidget* Panel = Form->Favourites().Panel();
    EXPECT_TRUE(Panel->isHidden());
    EXPECT_FALSE(ToolDown(T::ViewFavouritesBar));
    Run(T::ViewFavouritesBar);
    EXPECT_FALSE(Panel->isHidden());
    EXPECT_TRUE(ToolDown(T::ViewFavouritesBar));
    auto* Splitter = qobject_cast<QSplitter*>(Panel->parentWidget());
    ASSERT_NE(Splitter, nullptr);
    EXPECT_EQ(Splitter->indexOf(Panel), 0) << "on the left by default";
    Panel->findChild<QToolButton*>("FavouritesClose")->click();
    EXPECT_TRUE(Panel->isHidden());
    EXPECT_FALSE(ToolDown(T::ViewFavouritesBar));
    // A key the tree has no use for runs its tool.
    QTest::keyClick(&Tree(), Qt::Key_F6);
    EXPECT_FALSE(Panel->isHidden());
    QTest::keyClick(&Tree(), Qt::Key_F6);
    EXPECT_TRUE(Panel->isHidden());

    Form->Options().FavouritesOnLeft = false;
    Form->WindowSettings().ViewFavourites = true;
    Form->Favourites().ApplyOptions();
    EXPECT_EQ(Splitter->indexOf(Panel), 1);
    EXPECT_FALSE(Panel->isHidden());
}

TEST_F(TFavouritesBarTest, AddFileGoesToTheSelectedNodesFolder) {
    WriteFileBytes(FavouritesFile(), "S Docs\r\nF a>/a.txt\r\n/\r\n");
    const std::string Name = File("notes.txt", "text");
    MakeForm();
    Form->OpenFile(Name, false, {});
    Tree().SetSelected(Tree().FirstNode()->Child(0));
    Run(T::FavouritesAddFile);
    const TTreeNode* Added = Tree().Selected();
    ASSERT_NE(Added, nullptr);
    EXPECT_EQ(Added->Caption(), "notes.txt");
    EXPECT_EQ(Added->Parent(), Tree().FirstNode());
    EXPECT_EQ(Form->FavouritesTree().SelectedPath(), Name);
    EXPECT_EQ(Form->FavouritesTree().SelectedNodeKind(), fvFile);
}

TEST_F(TFavouritesBarTest, OpenAndRemoveActOnTheSelection) {
    const std::string Name = File("notes.txt", "hello");
    WriteFileBytes(FavouritesFile(), "F notes>" + Name + "\r\nS Empty\r\n/\r\n");
    MakeForm();
    // Folders sort first once anything sorts; as read, the file's order stands.
    Tree().SetSelected(Tree().FirstNode());
    Run(T::FavouritesOpen);
    EXPECT_EQ(ActiveText(), "hello");

    Form->Options().RemoveFavouriteMessage = true;
    TScriptedModals Script;
    Script.Press("&Yes");
    Tree().SetSelected(static_cast<TTreeNode*>(Tree().topLevelItem(1)));
    Run(T::FavouritesRemove);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Remove Favourite");
    EXPECT_EQ(Tree().NodeCount(), 1);
}

TEST_F(TFavouritesBarTest, OpenExternallyAndExploreGoToTheDesktop) {
    WriteFileBytes(FavouritesFile(), "F notes>/w/notes.txt\r\n");
    MakeForm();
    Tree().SetSelected(Tree().FirstNode());
    Run(T::FavouritesOpenExternally);
    TScriptedModals Script;
    Script.Then(ActOn<TSearchFolderForm>([](TSearchFolderForm& Search) {
        for (QPushButton* Button : Search.findChildren<QPushButton*>())
            if (Button->text() == "Explo&re")
                Button->click();
        Search.reject();
    }));
    Form->ShowSearchFolderDialog(Dir.Path().string());
    EXPECT_EQ(Opened, (std::vector<std::string>{"/w/notes.txt", Dir.Path().string()}));
}

TEST_F(TFavouritesBarTest, AVolumeIsPickedInItsOwnOpenDialog) {
    MakeForm();
    TScriptedModals Script;
    Script.Then(ChooseFiles({Dir / "disk.vol"}));
    WriteFileBytes(Dir / "disk.vol", "");
    Run(T::FavouritesAddVolume);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Browse for p-System Volume");
    EXPECT_EQ(Tree().FavouritesLines(),
              (std::vector<std::string>{"V disk.vol>" + (Dir / "disk.vol").string()}));
}

TEST_F(TFavouritesBarTest, NewPSystemTextFileCreatesOpensAndSelectsIt) {
    const std::string Volume = (Dir / "w.vol").string();
    ASSERT_TRUE(CreateVolumeFile(Volume, "WORK", 100));
    {
        TMajorVolume V(Volume, true);
        ASSERT_TRUE(V.CopyFileTo(0, "SUB", 30, V));
    }
    WriteFileBytes(FavouritesFile(), "V w.vol>" + Volume + "\r\n");
    const std::string TooLong = "A p-System filename cannot contain more than 15 characters";
    const std::string Letters = "A p-System filename can contain only letters, digits\r"
                                "and the characters '-', '/', '\\', '_' and '.'.";
    const struct {
        bool InSubvolume;
        const char* Typed; // null: Cancel
        std::string Error;
        const char* Made;
    } Cases[] = {
        {false, "notes", "", "NOTES.TEXT"},
        {true, "notes", "", "NOTES.TEXT"},
        {false, "abcdefghijk", TooLong, nullptr},
        {false, "my notes", Letters, nullptr},
        {true, nullptr, "", nullptr},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Typed ? Case.Typed : "(cancel)") +
                     (Case.InSubvolume ? " in SUB" : ""));
        Form.reset();
        MakeForm();
        TTreeNode* Node = Tree().FirstNode();
        if (Case.InSubvolume) {
            Tree().TextFilesOnly = false;
            Node->setExpanded(true);
            for (int I = 0; I < Node->childCount(); ++I)
                if (TFavouritesTreeView::NodeKind(Node->Child(I)) == fvSubvolume)
                    Node = Node->Child(I);
        }
        Tree().SetSelected(Node);
        const auto Before = ReadFileBytes(Volume);
        TScriptedModals Script;
        Script.Then(ActOn<TNewPSystemFileForm>([&Case](TNewPSystemFileForm& F) {
            EXPECT_EQ(F.windowTitle(), "New p-System Text File");
            EXPECT_EQ(F.NameEdit->maxLength(), 15);
            if (!Case.Typed)
                return F.reject();
            F.NameEdit->setText(Case.Typed);
            F.accept();
        }));
        std::string Error;
        try {
            Run(T::FavouritesNewPSystemTextFile);
        } catch (const EKorvidError& E) {
            Error = E.what();
        }
        EXPECT_EQ(Error, Case.Error);
        if (!Case.Made) {
            EXPECT_EQ(ReadFileBytes(Volume), Before);
            continue;
        }
        const std::string Path = Volume + ">" + (Case.InSubvolume ? "SUB.SVOL:" : "") + Case.Made;
        ASSERT_NE(Form->ActiveEditor(), nullptr);
        EXPECT_EQ(Form->ActiveEditor()->FileName, Path);
        EXPECT_EQ(Tree().SelectedPath(), Path);
        Form.reset();
        WriteFileBytes(Volume, Before);
    }
}

TEST_F(TFavouritesBarTest, LocateRunsFromTheTreeAndFromFindInFolder) {
    fs::create_directories(Dir / "src");
    WriteFileBytes(Dir / "src" / "x.txt", "");
    WriteFileBytes(FavouritesFile(), "R Src>" + (Dir / "src").string() + "\r\n");
    MakeForm();
    TScriptedModals Script;
    Script.Then(ActOn<TLocateFileForm>([](TLocateFileForm& Locate) {
        Locate.NameEdit()->setText("x");
        Locate.OkButton()->click();
    }));
    Tree().SetSelected(Tree().FirstNode());
    Tree().CtrlEnterPressed();
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Locate File");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"x.txt"}));

    Script.Press("L&ocate...").Press("Cancel");
    Form->ShowSearchFolderDialog((Dir / "src").string());
    ASSERT_EQ(Script.Shown().size(), 3u);
    EXPECT_EQ(Script.Last().Caption, "Locate File");
}

// The built program: Ctrl+Alt+A adds a refilled disk folder to the favourites file.
using TFavouritesProgram = TProgramTest;

TEST_F(TFavouritesProgram, ANewDiskFolderTakesItsSortedPlaceInTheFile) {
    fs::create_directories(Dir / "Proj");
    WriteFileBytes(Dir / "Proj" / "a.txt", "");
    fs::create_directories(Dir / "data" / "Korvid");
    const fs::path Favourites = Dir / "data" / "Korvid" / "Favourites.txt";
    const std::string Before = "R Alpha>/alpha\r\n"
                               "S Docs\r\n"
                               "F readme>/r.txt\r\n"
                               "/\r\n";
    const std::string After = "F zed>/z.txt\r\n";
    WriteFileBytes(Favourites, Before + After);
    Run("key Ctrl+Alt+A\n"
        "set Fill the new folder with files from a disk folder => on\n"
        "set Disk folder => " +
        (Dir / "Proj").string() +
        "/\n"
        "click OK\n"
        "key Return\n"
        "close\n");
    EXPECT_EQ(ReadFileBytes(Favourites),
              Before + "R Proj>" + (Dir / "Proj").string() + "\r\n" + After);
}

} // namespace
} // namespace korvid::test
