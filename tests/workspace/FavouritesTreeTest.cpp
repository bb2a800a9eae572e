#include "workspace/FavouritesTree.h"

#include "psystem/MajorVolume.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"
#include "tests/support/TempDir.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

class TFavouritesTree : public ::testing::Test {
protected:
    TTempDir Dir;
    // A dialog no step expected is closed and shows up here.
    TScriptedModals Modals;
    TFavouritesTreeView Tree;

    void TearDown() override { EXPECT_EQ(Modals.Unanswered(), 0); }

    std::string Put(std::string_view Name, std::string_view Bytes = {}) {
        fs::create_directories((Dir / Name).parent_path());
        WriteFileBytes(Dir / Name, Bytes);
        return (Dir / Name).string();
    }

    static std::vector<std::string> Captions(const QTreeWidgetItem* Level) {
        std::vector<std::string> Result;
        for (int Index = 0; Index < Level->childCount(); ++Index)
            Result.push_back(Level->child(Index)->text(0).toStdString());
        return Result;
    }
    std::vector<std::string> TopCaptions() const { return Captions(Tree.invisibleRootItem()); }

    static TTreeNode* Child(const QTreeWidgetItem* Level, const QString& Caption) {
        for (int Index = 0; Index < Level->childCount(); ++Index)
            if (Level->child(Index)->text(0) == Caption)
                return static_cast<TTreeNode*>(Level->child(Index));
        return nullptr;
    }
    TTreeNode* Top(const QString& Caption) const {
        return Child(Tree.invisibleRootItem(), Caption);
    }

    // A node of any kind with the given data, placed without sorting.
    TTreeNode* Make(TTreeNode* Parent, const QString& Caption, int Kind, std::string Path = {},
                    std::string Host = {}, std::string Sub = {}) {
        return Tree.AddNode(Parent, Caption,
                            std::make_unique<TFavouritesData>(Kind, std::move(Path),
                                                              std::move(Host), std::move(Sub)));
    }
};

// ---- The favourites file ----------------------------------------------------------------------

TEST_F(TFavouritesTree, AFileLoadsAndSavesBackToTheSameBytes) {
    const std::string Text = "S Work\r\n"
                             "S Deep\r\n"
                             "F Notes>/v.vol>NOTES.TEXT\r\n"
                             "/\r\n"
                             "R Src>/src/\r\n"
                             "V Disk>/d.vol\r\n"
                             "F Caf\xC3\xA9>/caf\xC3\xA9.txt\r\n"
                             "/\r\n"
                             "F top>/top.txt\r\n";
    std::string Name = Put("fav.txt", Text);
    EXPECT_EQ(Tree.LoadFavourites(Name), TFavouritesLoad::Loaded);
    EXPECT_EQ(TopCaptions(), (std::vector<std::string>{"Work", "top"}));
    const TTreeNode* Notes = Top("Work")->Child(0)->Child(0);
    EXPECT_EQ(Notes->Caption(), "Notes");
    EXPECT_EQ(TFavouritesTreeView::NodePath(Notes), "/v.vol>NOTES.TEXT");
    EXPECT_EQ(TFavouritesTreeView::NodeKind(Notes), fvFile);

    std::string Saved = (Dir / "saved.txt").string();
    Tree.SaveFavourites(Saved);
    EXPECT_EQ(ReadFileBytes(Saved), Text);
}

TEST_F(TFavouritesTree, AFileThatIsNotUtf8IsReadAsWindows1252) {
    Tree.LoadFavourites(Put("fav.txt", "F Caf\xE9>/x\r\n"));
    EXPECT_EQ(TopCaptions(), (std::vector<std::string>{"Caf\xC3\xA9"}));
}

// A name that is not UTF-8, from the disk or the file, is kept as its bytes; the captions of the
// other entries stay UTF-8.
TEST_F(TFavouritesTree, NamesThatAreNotUtf8KeepTheirBytesAndTheOthersTheirText) {
    const std::string Folder = (Dir / "names").string();
    fs::create_directory(Folder);
    WriteFileBytes(Folder + "/caf\xE9.txt", "x");
    TTreeNode* Files = Tree.AddFolder(nullptr, "files");
    Tree.FillFolderNode(Files, Folder, fmFilesOnly);
    ASSERT_EQ(Files->childCount(), 1);
    EXPECT_EQ(TFavouritesTreeView::NodePath(Files->Child(0)), Folder + "/caf\xE9.txt");
    Tree.AddFile(nullptr, "Caf\xC3\xA9", "/caf\xC3\xA9.txt");
    std::string Saved = (Dir / "saved.txt").string();
    Tree.SaveFavourites(Saved);

    Tree.LoadFavourites(Put("fav.txt", ReadFileBytes(Saved) + "F old>/old\x86\r\n"));
    EXPECT_EQ(TopCaptions(), (std::vector<std::string>{"files", "Caf\xC3\xA9", "old"}));
    EXPECT_EQ(TFavouritesTreeView::NodePath(Top("files")->Child(0)), Folder + "/caf\xE9.txt");
    EXPECT_EQ(TFavouritesTreeView::NodePath(Top("old")), "/old\x86");
}

TEST_F(TFavouritesTree, BadLinesAreSkipped) {
    Tree.LoadFavourites(Put("fav.txt", "X junk\r\n"
                                       "R no separator\r\n"
                                       "V neither\r\n"
                                       "/\r\n"
                                       "\r\n"
                                       "F ok>/ok\n"));
    EXPECT_EQ(TopCaptions(), (std::vector<std::string>{"ok"}));
    EXPECT_EQ(Tree.FavouritesLines(), (std::vector<std::string>{"F ok>/ok"}));
}

TEST_F(TFavouritesTree, AMissingFileGivesAnEmptyTreeAndAFolderInItsPlaceIsUnreadable) {
    Tree.LoadFavourites(Put("fav.txt", "F a>/a\r\n"));
    EXPECT_EQ(Tree.LoadFavourites((Dir / "missing.txt").string()), TFavouritesLoad::Missing);
    EXPECT_EQ(Tree.NodeCount(), 0);
    fs::create_directory(Dir / "folder.txt");
    EXPECT_EQ(Tree.LoadFavourites((Dir / "folder.txt").string()), TFavouritesLoad::Unreadable);
}

TEST_F(TFavouritesTree, ChildrenOfDiskFoldersAndVolumesAreNotWritten) {
    Put("src/a.txt");
    Put("src/b.txt");
    Tree.LoadFavourites(Put("fav.txt", "R Src>" + (Dir / "src").string() + "\r\n"));
    Top("Src")->setExpanded(true);
    EXPECT_EQ(Captions(Top("Src")), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(Tree.FavouritesLines(),
              (std::vector<std::string>{"R Src>" + (Dir / "src").string()}));
}

TEST_F(TFavouritesTree, AFailedSaveOffersSaveAsOrDiscard) {
    Tree.AddFile(nullptr, "a", "/a");
    const std::string Blocked = (Dir / "no" / "such" / "fav.txt").string();
    const fs::path Elsewhere = Dir / "elsewhere.txt";
    Modals.Press("&Save As...").Then(ChooseFiles({Elsewhere}));
    std::string Name = Blocked;
    Tree.SaveFavourites(Name);
    EXPECT_EQ(Name, Elsewhere.string());
    EXPECT_EQ(ReadFileBytes(Elsewhere), "F a>/a\r\n");

    Modals.Press("&Discard");
    Name = Blocked;
    Tree.SaveFavourites(Name);
    EXPECT_EQ(Name, Blocked);
    EXPECT_FALSE(fs::exists(Blocked));
    EXPECT_EQ(Modals.Unanswered(), 0);
}

TEST_F(TFavouritesTree, CaptionsTheFileCannotCarryAreMadeSafe) {
    Tree.AddFile(nullptr, "a>b\nc", "/p");
    Tree.AddDiskFolder(nullptr, "d>e\r", "/d");
    Tree.AddFolder(nullptr, "f>g\nh");
    EXPECT_EQ(Tree.FavouritesLines(),
              (std::vector<std::string>{"R d_e_>/d", "S f>g_h", "/", "F a_b_c>/p"}));
    EXPECT_EQ(FolderCaption("/home/u/Work/"), "Work");
    EXPECT_EQ(FolderCaption("/home/u/Work"), "Work");
}

// ---- Paths and order --------------------------------------------------------------------------

TEST_F(TFavouritesTree, NodePathOfEveryKind) {
    TTreeNode* Folder = Make(nullptr, "F", fvFolder);
    TTreeNode* Volume = Make(nullptr, "V", fvVolume, "/v.vol");
    const struct {
        const char* Name;
        TTreeNode* Node;
        std::string Path;
    } Cases[] = {
        {"folder", Folder, ""},
        {"placeholder", Tree.AddNode(Folder, "Dummy"), ""},
        {"disk folder", Make(Folder, "R", fvDiskFolder, "/r/"), "/r/"},
        {"volume", Volume, "/v.vol"},
        {"file", Make(Folder, "f", fvFile, "/f.txt"), "/f.txt"},
        {"subvolume in a volume", Make(Volume, "S", fvSubvolume, "SUB.SVOL", "/v.vol"),
         "/v.vol>SUB.SVOL"},
        {"subvolume under a folder", Make(Folder, "S", fvSubvolume, "SUB.SVOL", "/v.vol"), ""},
        {"file in a volume", Make(Volume, "A", fvVolumeFile, "A.TEXT", "/v.vol"), "/v.vol>A.TEXT"},
        {"file in a subvolume", Make(Volume, "B", fvVolumeFile, "B.TEXT", "/v.vol", "SUB.SVOL"),
         "/v.vol>SUB.SVOL:B.TEXT"},
        {"nothing", nullptr, ""},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TFavouritesTreeView::NodePath(Case.Node), Case.Path) << Case.Name;
}

TEST_F(TFavouritesTree, SortingPutsFoldersFirstAndLeavesPlaceholdersWhereTheyAre) {
    struct TItem {
        int Kind;
        const char* Caption;
    };
    const struct {
        std::vector<TItem> Before;
        std::vector<std::string> After;
    } Cases[] = {
        {{{fvFile, "A"}, {fvFolder, "b"}}, {"b", "A"}},
        {{{fvFolder, "B"}, {fvDiskFolder, "a"}}, {"a", "B"}},
        {{{fvFile, "c"}, {fvVolume, "z"}, {fvDiskFolder, "y"}, {fvFile, "B"}},
         {"y", "z", "B", "c"}},
        {{{fvFile, "B"}, {fvNone, "Dummy"}, {fvFile, "A"}}, {"B", "Dummy", "A"}},
    };
    for (const auto& Case : Cases) {
        Tree.Clear();
        for (const TItem& Item : Case.Before) {
            if (Item.Kind == fvNone)
                Tree.AddNode(nullptr, Item.Caption);
            else
                Make(nullptr, Item.Caption, Item.Kind, "/x");
        }
        Tree.SortChildren(nullptr);
        EXPECT_EQ(TopCaptions(), Case.After);
    }
}

// ---- Dragging, dropping and renaming ----------------------------------------------------------

class TFavouritesLayout : public TFavouritesTree {
protected:
    // A { a1, A2 { a21 } }, B, t, R (listing r1), V
    TTreeNode *A, *A1, *A2, *A21, *B, *T, *R, *R1, *V;

    void SetUp() override {
        Put("r/r1.txt");
        A = Tree.AddFolder(nullptr, "A");
        A1 = Tree.AddFile(A, "a1", "/a1");
        A2 = Tree.AddFolder(A, "A2");
        A21 = Tree.AddFile(A2, "a21", "/a21");
        B = Tree.AddFolder(nullptr, "B");
        T = Tree.AddFile(nullptr, "t", "/t");
        R = Tree.AddDiskFolder(nullptr, "R", (Dir / "r").string());
        V = Tree.AddVolume(nullptr, "V", "/v.vol");
        R->setExpanded(true);
        R1 = R->Child(0);
        ASSERT_EQ(R1->Caption(), "r1.txt");
    }
};

TEST_F(TFavouritesLayout, DragAndDropCases) {
    const struct {
        const char* Name;
        TTreeNode* Source;
        TTreeNode* Target;
        bool Allowed;
    } Cases[] = {
        {"into a folder", A1, B, true},
        {"onto its own parent", A1, A, false},
        {"nested, onto empty space", A1, nullptr, true},
        {"top level, onto empty space", T, nullptr, false},
        {"beside a node in another folder", T, A1, true},
        {"beside a sibling", T, V, false},
        {"beside a disk folder elsewhere", A1, R, true},
        {"onto a placeholder", T, V->Child(0), false},
        {"a folder into its own subfolder", A, A2, false},
        {"a folder beside its own descendant", A, A21, false},
        {"onto itself", A2, A2, false},
        {"out of a listing", R1, B, false},
        {"out of a listing onto empty space", R1, nullptr, false},
        {"into a listing", T, R1, false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Tree.CanDrop(*Case.Source, Case.Target), Case.Allowed) << Case.Name;
}

TEST_F(TFavouritesLayout, DropsMoveTheNodeAndSortItsNewLevel) {
    Tree.Drop(*A1, B);
    EXPECT_EQ(A1->Parent(), B);
    Tree.Drop(*T, A21);
    EXPECT_EQ(T->Parent(), A2);
    EXPECT_EQ(Captions(A2), (std::vector<std::string>{"a21", "t"}));
    Tree.Drop(*A2, nullptr);
    EXPECT_EQ(TopCaptions(), (std::vector<std::string>{"A", "A2", "B", "R", "V"}));
    EXPECT_EQ(Captions(A2), (std::vector<std::string>{"a21", "t"}));
    // Refused drops change nothing.
    Tree.Drop(*A, A);
    Tree.Drop(*R1, B);
    EXPECT_EQ(R1->Parent(), R);
    EXPECT_EQ(Captions(B), (std::vector<std::string>{"a1"}));
}

TEST_F(TFavouritesLayout, WhichNodesMayBeRenamed) {
    TTreeNode* Sub = Make(V, "S", fvSubvolume, "S.SVOL", "/v.vol");
    TTreeNode* Inside = Make(V, "A", fvVolumeFile, "A.TEXT", "/v.vol");
    TTreeNode* InSub = Make(Sub, "B", fvFile, "/b");
    const struct {
        const char* Name;
        TTreeNode* Node;
        bool Editable;
    } Cases[] = {
        {"folder", A, true},
        {"disk folder", R, true},
        {"volume", V, true},
        {"file", T, true},
        {"subvolume", Sub, false},
        {"file in a volume", Inside, true},
        {"file in a listing", R1, false},
        {"node in a subvolume listing", InSub, false},
        {"placeholder", V->Child(0), false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Tree.CanEdit(*Case.Node), Case.Editable) << Case.Name;
}

TEST_F(TFavouritesLayout, ATypedCaptionIsMadeSafeAndItsLevelSorted) {
    Tree.show();
    Tree.EditCaption(T);
    ASSERT_TRUE(Tree.IsEditing());
    auto* Editor = Tree.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(Editor, nullptr);
    Editor->setText("0>first");
    Tree.EndEdit(true);
    QApplication::processEvents();
    EXPECT_EQ(T->Caption(), "0_first");
    EXPECT_EQ(Tree.FavouritesLines().back(), "F 0_first>/t");
}

// ---- Filling from disk ------------------------------------------------------------------------

TEST_F(TFavouritesTree, FillFolderNodeModes) {
    Put("d/b.txt");
    Put("d/set.korvidtabs");
    Put("d/disk.vol");
    Put("d/sub/inner.txt");
    Put("d/sub/deeper/x.txt");
    Put("d/_sgbak/skipped.txt");
    Put("d/.svn/skipped.txt");
    fs::create_directory_symlink(Dir / "d", Dir / "d" / "loop");
    const std::string Folder = (Dir / "d").string();

    TTreeNode* Files = Tree.AddFolder(nullptr, "files");
    Tree.FillFolderNode(Files, Folder, fmFilesOnly);
    EXPECT_EQ(Captions(Files), (std::vector<std::string>{"b.txt", "disk.vol", "set"}));
    EXPECT_EQ(TFavouritesTreeView::NodeKind(Child(Files, "disk.vol")), fvFile);
    EXPECT_EQ(TFavouritesTreeView::NodePath(Child(Files, "set")), Folder + "/set.korvidtabs");

    Tree.PSystemAware = true;
    TTreeNode* Refilled = Tree.AddFolder(nullptr, "refilled");
    Tree.FillFolderNode(Refilled, Folder, fmRefilledFolders);
    EXPECT_EQ(Captions(Refilled),
              (std::vector<std::string>{"loop", "sub", "b.txt", "disk.vol", "set"}));
    EXPECT_EQ(TFavouritesTreeView::NodeKind(Child(Refilled, "disk.vol")), fvVolume);
    EXPECT_EQ(TFavouritesTreeView::NodeKind(Child(Refilled, "sub")), fvDiskFolder);
    EXPECT_EQ(TFavouritesTreeView::NodePath(Child(Refilled, "sub")), Folder + "/sub/");

    TTreeNode* Whole = Tree.AddFolder(nullptr, "whole");
    Tree.FillFolderNode(Whole, Folder + "/", fmWholeTree);
    TTreeNode* Sub = Child(Whole, "sub");
    EXPECT_EQ(TFavouritesTreeView::NodeKind(Sub), fvFolder);
    EXPECT_EQ(Captions(Sub), (std::vector<std::string>{"deeper", "inner.txt"}));
    EXPECT_EQ(Captions(Child(Sub, "deeper")), (std::vector<std::string>{"x.txt"}));
    // The link leads back up; it is listed but never entered.
    EXPECT_EQ(Child(Whole, "loop")->childCount(), 0);
    EXPECT_FALSE(Tree.Loading);
}

// ---- Volumes ----------------------------------------------------------------------------------

class TFavouriteVolumes : public TFavouritesTree {
protected:
    std::string Volume;

    // WORK: A.TEXT, B.DATA, EMPTY.SVOL, SUB.SVOL { S1.TEXT }
    void SetUp() override {
        Volume = (Dir / "work.vol").string();
        ASSERT_TRUE(CreateVolumeFile(Volume, "WORK", 200));
        TMajorVolume V(Volume, true);
        ASSERT_TRUE(V.SaveTextFile("A.TEXT", {"a"}, false));
        ASSERT_TRUE(V.SaveBytes("B.DATA", "data", fkData, 4));
        ASSERT_TRUE(V.CopyFileTo(0, "sub", 20, V));
        ASSERT_TRUE(V.CopyFileTo(0, "empty", 10, V));
        TSubvolume Sub(V, "SUB.SVOL");
        ASSERT_TRUE(Sub.SaveTextFile("S1.TEXT", {"s"}, false));
    }

    static bool HasFile(const std::string& Path, const std::string& Sub, const std::string& Name) {
        if (Sub.empty())
            return TMajorVolume(Path, false).FindFile(Name) != 0;
        return TSubvolume(Path, false, Sub).FindFile(Name) != 0;
    }
};

TEST_F(TFavouriteVolumes, AVolumeListsItsFilesWhenItOpens) {
    TTreeNode* Node = Tree.AddVolume(nullptr, "work", Volume);
    EXPECT_EQ(Captions(Node), (std::vector<std::string>{"Dummy"}));
    Node->setExpanded(true);
    EXPECT_EQ(Captions(Node),
              (std::vector<std::string>{"A.text", "B.data", "Empty.svol", "Sub.svol"}));
    TTreeNode* Sub = Child(Node, "Sub.svol");
    EXPECT_EQ(TFavouritesTreeView::NodeKind(Sub), fvSubvolume);
    EXPECT_EQ(Captions(Sub), (std::vector<std::string>{"(empty)"}));
    Sub->setExpanded(true);
    EXPECT_EQ(Captions(Sub), (std::vector<std::string>{"S1.text"}));
    EXPECT_EQ(TFavouritesTreeView::NodePath(Sub->Child(0)), Volume + ">SUB.SVOL:S1.TEXT");
    TTreeNode* Empty = Child(Node, "Empty.svol");
    Empty->setExpanded(true);
    EXPECT_EQ(Captions(Empty), (std::vector<std::string>{"(empty)"}));
    EXPECT_EQ(TFavouritesTreeView::DataOf(Empty->Child(0)), nullptr);

    Tree.TextFilesOnly = true;
    Node->setExpanded(false);
    {
        TMajorVolume V(Volume, true);
        ASSERT_TRUE(V.SaveTextFile("C.TEXT", {"c"}, false));
    }
    Node->setExpanded(true);
    EXPECT_EQ(Captions(Node),
              (std::vector<std::string>{"A.text", "C.text", "Empty.svol", "Sub.svol"}));
}

TEST_F(TFavouriteVolumes, AutoCollapseClosesTheOtherNodesOfTheLevel) {
    TTreeNode* First = Tree.AddVolume(nullptr, "first", Volume);
    TTreeNode* Second = Tree.AddVolume(nullptr, "second", Volume);
    First->setExpanded(true);
    Second->setExpanded(true);
    EXPECT_TRUE(First->isExpanded());
    Tree.AutoCollapse = true;
    First->setExpanded(false);
    First->setExpanded(true);
    EXPECT_FALSE(Second->isExpanded());
    EXPECT_TRUE(First->isExpanded());
}

TEST_F(TFavouriteVolumes, RenamingAFileRenamesItInTheVolumeOrChangesNothing) {
    TTreeNode* Node = Tree.AddVolume(nullptr, "work", Volume);
    Node->setExpanded(true);
    Tree.show();
    const auto Rename = [this](TTreeNode* File, const QString& Typed) {
        Tree.EditCaption(File);
        auto* Editor = Tree.viewport()->findChild<QLineEdit*>();
        ASSERT_NE(Editor, nullptr);
        Editor->setText(Typed);
        Tree.EndEdit(true);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    TTreeNode* A = Child(Node, "A.text");
    Rename(A, "zed.text");
    EXPECT_EQ(A->Caption(), "Zed.text");
    EXPECT_EQ(TFavouritesTreeView::NodePath(A), Volume + ">ZED.TEXT");
    EXPECT_TRUE(HasFile(Volume, "", "ZED.TEXT"));
    EXPECT_FALSE(HasFile(Volume, "", "A.TEXT"));
    EXPECT_EQ(Captions(Node).back(), "Zed.text");

    for (const char* Refused : {"b.data", "bad name", "much.too.long.name"}) {
        Modals.Press("OK");
        Rename(A, Refused);
        EXPECT_EQ(A->Caption(), "Zed.text") << Refused;
        EXPECT_EQ(TFavouritesTreeView::NodePath(A), Volume + ">ZED.TEXT") << Refused;
        EXPECT_TRUE(HasFile(Volume, "", "ZED.TEXT")) << Refused;
        EXPECT_TRUE(HasFile(Volume, "", "B.DATA")) << Refused;
    }
    EXPECT_EQ(Modals.Shown().size(), 3u);
    EXPECT_EQ(Modals.StepsLeft(), 0);
}

// A refused rename is told once the edit has ended: the view is out of its editing state when
// the box shows and afterwards, the old name stays, and the tree goes on answering clicks and
// keys on other nodes.
TEST_F(TFavouriteVolumes, ARefusedRenameIsToldAfterTheEditHasEnded) {
    static QStringList Warnings;
    Warnings.clear();
    const QtMessageHandler Previous =
        qInstallMessageHandler([](QtMsgType Type, const QMessageLogContext&, const QString& Text) {
            if (Type != QtDebugMsg)
                Warnings << Text;
        });
    TTreeNode* Node = Tree.AddVolume(nullptr, "work", Volume);
    Node->setExpanded(true);
    Tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Tree));
    TTreeNode* A = Child(Node, "A.text");
    TTreeNode* B = Child(Node, "B.data");
    Tree.SetSelected(A);
    QTest::keyClick(&Tree, Qt::Key_F2);
    ASSERT_TRUE(Tree.IsEditing());
    auto* Editor = Tree.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(Editor, nullptr);
    Editor->setText("b.data");
    bool EditingWhenShown = true;
    Modals.Then([&](QDialog&) { EditingWhenShown = Tree.IsEditing(); }).Press("OK");
    QTest::keyClick(Editor, Qt::Key_Return);
    // The editor ends the edit from the event loop, and the message comes after that.
    for (int Pass = 0; Pass < 3; ++Pass) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Message->Text, "Volume already contains a file called 'B.DATA'");
    EXPECT_FALSE(EditingWhenShown);
    EXPECT_FALSE(Tree.IsEditing());
    EXPECT_TRUE(Tree.viewport()->findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(A->Caption(), "A.text");
    EXPECT_EQ(TFavouritesTreeView::NodePath(A), Volume + ">A.TEXT");

    // Other nodes: a click selects, F2 edits, Escape drops the edit, Down moves on.
    QTest::mouseClick(Tree.viewport(), Qt::LeftButton, {}, Tree.LabelRect(B).center());
    EXPECT_EQ(Tree.Selected(), B);
    QTest::keyClick(&Tree, Qt::Key_F2);
    EXPECT_TRUE(Tree.IsEditing());
    QTest::keyClick(Tree.viewport()->findChild<QLineEdit*>(), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Tree.IsEditing());
    EXPECT_EQ(B->Caption(), "B.data");
    QTest::keyClick(&Tree, Qt::Key_Down);
    EXPECT_NE(Tree.Selected(), B);
    QTest::mouseClick(Tree.viewport(), Qt::LeftButton, {}, Tree.LabelRect(A).center());
    EXPECT_EQ(Tree.Selected(), A);

    EXPECT_TRUE(HasFile(Volume, "", "A.TEXT"));
    EXPECT_TRUE(HasFile(Volume, "", "B.DATA"));
    EXPECT_EQ(Modals.Shown().size(), 1u);
    qInstallMessageHandler(Previous);
    EXPECT_TRUE(Warnings.isEmpty()) << Warnings.join("\n").toStdString();
}

TEST_F(TFavouriteVolumes, NewTextFilesGoIntoTheVolumeOrItsSubvolume) {
    TTreeNode* Node = Tree.AddVolume(nullptr, "work", Volume);
    TTreeNode* Made = Tree.NewPSystemTextFile(Node, "NOTES.TEXT", false);
    ASSERT_NE(Made, nullptr);
    EXPECT_EQ(Made->Caption(), "Notes.text");
    EXPECT_EQ(Made->Parent(), Node);
    EXPECT_TRUE(HasFile(Volume, "", "NOTES.TEXT"));
    EXPECT_TRUE(TMajorVolume(Volume, false).ReadFileLines(0, "NOTES.TEXT").empty());

    TTreeNode* Sub = Child(Node, "Sub.svol");
    Sub->setExpanded(true);
    // A file of the subvolume stands for it.
    TTreeNode* InSub = Tree.NewPSystemTextFile(Sub->Child(0), "NOTES.TEXT", false);
    ASSERT_NE(InSub, nullptr);
    EXPECT_EQ(InSub->Parent(), Sub);
    EXPECT_TRUE(HasFile(Volume, "SUB.SVOL", "NOTES.TEXT"));

    Modals.Press("OK");
    Tree.NewPSystemTextFile(Node, "NOTES.TEXT", false);
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "Add p-System File");
    EXPECT_EQ(Modals.Last().Message->Text, "There is already a file called NOTES.TEXT.");
    EXPECT_EQ(Tree.NewPSystemTextFile(Tree.AddFolder(nullptr, "f"), "X.TEXT", false), nullptr);
}

TEST(PSystemFileNames, NewTextFileNamesAreCheckedAfterTheExtensionIsAdded) {
    EXPECT_EQ(NewPSystemTextFileName("notes"), "NOTES.TEXT");
    EXPECT_EQ(NewPSystemTextFileName("a.text"), "A.TEXT");
    const struct {
        const char* Typed;
        const char* Message;
    } Refused[] = {
        {"abcdefghijk", "A p-System filename cannot contain more than 15 characters"},
        {"my notes", "A p-System filename can contain only letters, digits\r"
                     "and the characters '-', '/', '\\', '_' and '.'."},
    };
    for (const auto& Case : Refused) {
        try {
            NewPSystemTextFileName(Case.Typed);
            ADD_FAILURE() << Case.Typed;
        } catch (const EKorvidError& Error) {
            EXPECT_STREQ(Error.what(), Case.Message);
        }
    }
}

// ---- Keys and the mouse -----------------------------------------------------------------------

TEST_F(TFavouritesLayout, KeysAndClicksReachTheirEvents) {
    std::vector<std::string> Events;
    Tree.OnRemove = [&] { Events.push_back("remove"); };
    Tree.OnOpen = [&](const std::string& Path) { Events.push_back("open " + Path); };
    Tree.OnLocate = [&](const std::string& Path) { Events.push_back("locate " + Path); };
    Tree.OnShortCut = [&](int Key, std::uint8_t) {
        constexpr int ControlKey = 17;
        if (Key != ControlKey)
            Events.push_back("shortcut " + std::to_string(Key));
        return true;
    };
    Tree.show();
    Tree.SetSelected(T);
    QTest::keyClick(&Tree, Qt::Key_Return);
    QTest::keyClick(&Tree, Qt::Key_Delete);
    QTest::keyClick(&Tree, Qt::Key_Q, Qt::ControlModifier);
    Tree.SetSelected(R);
    QTest::keyClick(&Tree, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(&Tree, Qt::Key_Return);
    Tree.SetSelected(A);
    QTest::keyClick(&Tree, Qt::Key_Return);
    const std::string RPath = (Dir / "r").string();
    EXPECT_EQ(Events, (std::vector<std::string>{"open /t", "remove", "shortcut 81",
                                                "locate " + RPath, "open " + RPath}));

    Events.clear();
    QTest::keyClick(&Tree, Qt::Key_F2);
    EXPECT_TRUE(Tree.IsEditing());
    // While a caption is edited, Delete edits it.
    auto* Editor = Tree.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(Editor, nullptr);
    QTest::keyClick(Editor, Qt::Key_Delete);
    Tree.OpenSelected({});
    EXPECT_FALSE(Tree.IsEditing());
    EXPECT_TRUE(Events.empty());

    Tree.OpenOnSelect = true;
    Tree.SetSelected(B);
    Tree.SetSelected(A1);
    EXPECT_EQ(Events, (std::vector<std::string>{"open /a1"}));
}

// F2, Delete and Enter are the tree's own only without modifiers: with them they are tool keys,
// whether a menu item holds them or the tool list answers them.
TEST_F(TFavouritesLayout, OnlyUnmodifiedKeysAreTheTreesOwn) {
    std::vector<std::string> Events;
    Tree.OnRemove = [&] { Events.push_back("remove"); };
    Tree.OnOpen = [&](const std::string& Path) { Events.push_back("open " + Path); };
    Tree.OnShortCut = [&](int Key, std::uint8_t) {
        constexpr int ShiftKey = 16, ControlKey = 17, AltKey = 18;
        if (Key != ShiftKey && Key != ControlKey && Key != AltKey)
            Events.push_back("tool key " + std::to_string(Key));
        return true;
    };
    // The window's menu items, as the main window has them.
    for (const char* Keys : {"F2", "Ctrl+F2", "Alt+F2", "Ctrl+Alt+F2", "Del", "Shift+Del", "Return",
                             "Ctrl+Return", "Shift+Ctrl+Return"}) {
        auto* Item = new QAction(Keys, &Tree);
        Item->setShortcut(QKeySequence(Keys));
        QObject::connect(Item, &QAction::triggered, &Tree,
                         [&Events, Keys] { Events.push_back(std::string("menu ") + Keys); });
        Tree.addAction(Item);
    }
    Tree.show();
    Tree.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Tree));
    const struct {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        std::string Event;
    } Cases[] = {
        {Qt::Key_F2, Qt::NoModifier, "edit"},
        {Qt::Key_F2, Qt::ControlModifier, "menu Ctrl+F2"},
        {Qt::Key_F2, Qt::AltModifier, "menu Alt+F2"},
        {Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier, "menu Ctrl+Alt+F2"},
        {Qt::Key_F2, Qt::ShiftModifier, "tool key 113"},
        {Qt::Key_Delete, Qt::NoModifier, "remove"},
        {Qt::Key_Delete, Qt::ShiftModifier, "menu Shift+Del"},
        {Qt::Key_Delete, Qt::ControlModifier, "tool key 46"},
        {Qt::Key_Return, Qt::NoModifier, "open /t"},
        {Qt::Key_Return, Qt::ControlModifier, "menu Ctrl+Return"},
        {Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier, "menu Shift+Ctrl+Return"},
    };
    for (const auto& Case : Cases) {
        Events.clear();
        Tree.SetSelected(T);
        QTest::keyClick(&Tree, Case.Key, Case.Modifiers);
        if (Tree.IsEditing()) {
            Events.push_back("edit");
            Tree.EndEdit(false);
        }
        EXPECT_EQ(Events, std::vector<std::string>{Case.Event})
            << QKeySequence(Case.Key | Case.Modifiers).toString().toStdString();
    }
}

TEST_F(TFavouritesLayout, DoubleClicksOpenOnlyFilesAndARightClickSelectsFirst) {
    std::vector<std::string> Events;
    Tree.OnOpen = [&](const std::string& Path) { Events.push_back("open " + Path); };
    Tree.OnPopup = [&](const QPoint&) {
        Events.push_back("popup over " + Tree.Selected()->Caption().toStdString());
    };
    Tree.resize(300, 400);
    Tree.show();
    const auto Centre = [this](TTreeNode* Node) { return Tree.LabelRect(Node).center(); };
    Tree.SetSelected(T);
    QTest::mouseDClick(Tree.viewport(), Qt::LeftButton, {}, Centre(T));
    Tree.SetSelected(B);
    QTest::mouseDClick(Tree.viewport(), Qt::LeftButton, {}, Centre(B));
    EXPECT_EQ(Events, (std::vector<std::string>{"open /t"}));

    Events.clear();
    QTest::mousePress(Tree.viewport(), Qt::RightButton, {}, Centre(V));
    EXPECT_EQ(Tree.Selected(), B);
    QTest::mouseRelease(Tree.viewport(), Qt::RightButton, {}, Centre(V));
    EXPECT_EQ(Tree.Selected(), V);
    QContextMenuEvent Menu(QContextMenuEvent::Mouse, Centre(T),
                           Tree.viewport()->mapToGlobal(Centre(T)));
    QApplication::sendEvent(Tree.viewport(), &Menu);
    EXPECT_EQ(Events, (std::vector<std::string>{"popup over t"}));
}

} // namespace
} // namespace korvid::test
