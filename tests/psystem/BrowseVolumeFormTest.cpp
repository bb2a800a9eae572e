#include "tests/psystem/VolumeTestSupport.h"

#include "foundation/BinaryStrings.h"
#include "psystem/BrowseVolumeForm.h"
#include "tests/support/OpenFiles.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"
#include "ui/SafeTreeView.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <fstream>

namespace korvid::test {
namespace {

class TRecordingHost : public TFilerHost {
public:
    void OpenFilerFile(const std::string&, bool) override {}
    void OpenTextInNewTab(const std::string& Caption, const std::string& Text) override {
        Tabs.emplace_back(Caption, Text);
    }
    void ForEachFavouriteVolume(const std::function<void(const std::string&)>&) override {}
    bool IsReadOnlyVolumeFile(const std::string&) override { return false; }

    std::vector<std::pair<std::string, std::string>> Tabs;
};

class TBrowseVolumeFormTest : public TVolumeTest {
protected:
    // WORK: A.TEXT, SUB.SVOL (B.TEXT, C.TEXT) and Z.DATA.
    void SetUp() override {
        TVolumeTest::SetUp();
        Work = NewVolume("w.vol", "WORK", 120).string();
        TMajorVolume V(Work, true);
        Save(V, "Z.DATA", 600, 1, fkData);
        ASSERT_TRUE(V.CopyFileTo(0, "SUB", 30, V));
        Save(V, "A.TEXT", 1100, 2);
        TSubvolume Sub(V, "SUB.SVOL");
        Save(Sub, "C.TEXT", 700, 3);
        Save(Sub, "B.TEXT", 800, 4);
    }

    TBrowseVolumeForm& Open(const std::string& Preselect = {}) {
        Form.PreselectName = Preselect;
        Form.OpenVolume(Work);
        return Form;
    }

    std::string SelectedCaption() const {
        const TTreeNode* Node = Form.Tree()->Selected();
        return Node ? Node->Caption().toStdString() : std::string();
    }

    // The node at a path of captions below the root.
    TTreeNode* Node(const std::vector<const char*>& Captions) const {
        TTreeNode* At = Form.Tree()->FirstNode();
        for (const char* Caption : Captions) {
            TTreeNode* Found = nullptr;
            for (int I = 0; At && I < At->childCount(); ++I)
                if (At->Child(I)->Caption() == Caption)
                    Found = At->Child(I);
            At = Found;
        }
        return At;
    }

    std::vector<std::string> ChildCaptions(const TTreeNode* Parent) const {
        std::vector<std::string> Result;
        for (int I = 0; I < Parent->childCount(); ++I)
            Result.push_back(Parent->Child(I)->Caption().toStdString());
        return Result;
    }

    std::string Work;
    TRecordingHost Host;
    TBrowseVolumeForm Form{Host};
};

TEST_F(TBrowseVolumeFormTest, TreeShowsTheVolumeWithItsSubvolumesInNameOrder) {
    Open();
    TTreeNode* Root = Form.Tree()->FirstNode();
    ASSERT_TRUE(Root);
    EXPECT_EQ(Form.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(Root->Caption().toStdString(), "WORK");
    EXPECT_EQ(TBrowseVolumeForm::ImageOf(*Root), biVolume);
    EXPECT_EQ(ChildCaptions(Root), (std::vector<std::string>{"A.text", "Sub.svol", "Z.data"}));
    EXPECT_EQ(ChildCaptions(Node({"Sub.svol"})), (std::vector<std::string>{"B.text", "C.text"}));
    EXPECT_EQ(TBrowseVolumeForm::ImageOf(*Node({"Sub.svol"})), biVolume);
    EXPECT_EQ(TBrowseVolumeForm::ImageOf(*Node({"Sub.svol", "B.text"})), biFile);
    EXPECT_EQ(TBrowseVolumeForm::ImageOf(*Node({"Z.data"})), biFile);
    EXPECT_TRUE(Root->isExpanded());
    EXPECT_FALSE(Node({"Sub.svol"})->isExpanded());
    EXPECT_EQ(Form.Tree()->Selected(), Root);
    EXPECT_EQ(Form.windowTitle().toStdString(), Work + "     unversioned");
}

TEST_F(TBrowseVolumeFormTest, PreselectedSubvolumeIsSelectedAndExpandedOnce) {
    Open("SUB.SVOL");
    EXPECT_EQ(SelectedCaption(), "Sub.svol");
    EXPECT_TRUE(Node({"Sub.svol"})->isExpanded());
    EXPECT_TRUE(Form.PreselectName.empty());
    Form.OpenVolume(Work);
    EXPECT_EQ(SelectedCaption(), "WORK");
}

TEST_F(TBrowseVolumeFormTest, CaptionCarriesTheVersionText) {
    {
        TMajorVolume V(Work, true);
        ASSERT_TRUE(V.SaveTextFile("VERSION.TEXT", {"V4.2 of today"}, false));
    }
    Open();
    EXPECT_EQ(Form.windowTitle().toStdString(), Work + "     V4.2");
}

TEST_F(TBrowseVolumeFormTest, LocateVisitsMatchesInTreeOrderAndRestartsOnEdit) {
    Open();
    EXPECT_FALSE(Form.GoButton()->isEnabled());
    Form.FindFileEdit()->setText("text");
    EXPECT_TRUE(Form.GoButton()->isEnabled());
    std::vector<std::string> Visited;
    for (int I = 0; I < 4; ++I) {
        Form.GoButton()->click();
        Visited.push_back(SelectedCaption());
    }
    EXPECT_EQ(Visited, (std::vector<std::string>{"A.text", "B.text", "C.text", "A.text"}));
    Form.GoButton()->click();
    EXPECT_EQ(SelectedCaption(), "B.text");
    Form.FindFileEdit()->setText("TEX");
    Form.GoButton()->click();
    EXPECT_EQ(SelectedCaption(), "A.text");
    Form.FindFileEdit()->clear();
    EXPECT_FALSE(Form.GoButton()->isEnabled());
}

TEST_F(TBrowseVolumeFormTest, LocatePrefixIsTheSubvolumesOwnVolumeName) {
    {
        TMajorVolume V(Work, true);
        TSubvolume Sub(V, "SUB.SVOL");
        Sub.Rename("OTHER");
    }
    Open();
    Form.FindFileEdit()->setText("OTHER:B");
    Form.GoButton()->click();
    EXPECT_EQ(SelectedCaption(), "B.text");
    Form.FindFileEdit()->setText("SUB:B");
    Form.GoButton()->click();
    EXPECT_EQ(SelectedCaption(), "B.text") << "no match leaves the selection";
    Form.FindFileEdit()->setText("WORK:A");
    Form.GoButton()->click();
    EXPECT_EQ(SelectedCaption(), "B.text") << "files of the volume itself have no prefix";
}

TEST_F(TBrowseVolumeFormTest, SelectionGivesNamesVolumeAndOpenState) {
    Open();
    TVolume* Major = Form.GetSelectedVolume();
    ASSERT_TRUE(Major);
    EXPECT_FALSE(Major->IsSubvolume());
    struct TCase {
        std::vector<const char*> Path;
        bool OpenEnabled;
        std::string File, Subvolume;
        bool SelectsSubvolume;
    };
    const TCase Cases[] = {
        {{}, false, "WORK", "", false},
        {{"A.text"}, true, "A.TEXT", "", false},
        {{"Sub.svol"}, false, "SUB.SVOL", "", true},
        {{"Sub.svol", "B.text"}, true, "B.TEXT", "SUB.SVOL", false},
        {{"Z.data"}, true, "Z.DATA", "", false},
    };
    for (const TCase& Case : Cases) {
        TTreeNode* Wanted = Node(Case.Path);
        ASSERT_TRUE(Wanted) << Case.File;
        Form.Tree()->SetSelected(Wanted);
        EXPECT_EQ(Form.OpenButton()->isEnabled(), Case.OpenEnabled) << Case.File;
        EXPECT_EQ(Form.GetSelectedFileName(), Case.File);
        EXPECT_EQ(Form.GetSelectedSubvolumeName(), Case.Subvolume) << Case.File;
        TVolume* Volume = Form.GetSelectedVolume();
        if (Case.SelectsSubvolume) {
            ASSERT_TRUE(Volume->IsSubvolume());
            EXPECT_EQ(Volume->VolumeName(), "SUB");
        } else {
            EXPECT_EQ(Volume, Major) << Case.File;
        }
    }
}

TEST_F(TBrowseVolumeFormTest, DoubleClickOpensOnlyAFile) {
    Open();
    const std::vector<std::pair<std::vector<const char*>, int>> Cases = {
        {{"Sub.svol"}, -1}, {{"Sub.svol", "C.text"}, brOk}};
    for (const auto& [Path, Result] : Cases) {
        Form.setResult(-1);
        Form.Tree()->SetSelected(Node(Path));
        emit Form.Tree()->itemDoubleClicked(Node(Path), 0);
        EXPECT_EQ(Form.result(), Result);
    }
    EXPECT_EQ(Form.GetSelectedFileName(), "C.TEXT");
}

TEST_F(TBrowseVolumeFormTest, SearchAndMultipleVolumeControlsFollowTheirInputs) {
    Open();
    struct TCase {
        const char* Text;
        bool Multiple;
        bool SearchEnabled;
    };
    for (const TCase& Case : {TCase{"", false, false}, TCase{"x", false, true},
                              TCase{"", true, true}, TCase{"x", true, true}}) {
        Form.FindTextEdit()->setText(Case.Text);
        Form.MultiVolumeCheckBox()->setChecked(Case.Multiple);
        EXPECT_EQ(Form.SearchButton()->isEnabled(), Case.SearchEnabled)
            << Case.Text << Case.Multiple;
        EXPECT_EQ(Form.MultiVolumeEdit()->isEnabled(), Case.Multiple);
        EXPECT_EQ(Form.MultiVolumeBrowseButton()->isEnabled(), Case.Multiple);
    }
}

TEST_F(TBrowseVolumeFormTest, BrowseButtonPutsTheChosenListInTheEdit) {
    EXPECT_FALSE(Form.MultiVolumeEdit()->isEnabled()) << "disabled from the start";
    EXPECT_EQ(Form.MultiVolumeOpenDialog().Title, "Multiple Volumes");
    EXPECT_EQ(Form.MultiVolumeOpenDialog().Filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    const auto List = Temp / "volumes.txt";
    std::ofstream(List) << "w.vol\n";
    Form.MultiVolumeCheckBox()->setChecked(true);
    Form.MultiVolumeEdit()->setText("start.txt");
    {
        TScriptedModals Dialogs;
        Dialogs.Then(ChooseFiles({List}));
        Form.MultiVolumeBrowseButton()->click();
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
    }
    EXPECT_EQ(Form.MultiVolumeEdit()->text().toStdString(), List.string());
    EXPECT_EQ(Form.MultiVolumeOpenDialog().FileName, List);
    {
        TScriptedModals Dialogs;
        Dialogs.Then(PressEscape());
        Form.MultiVolumeBrowseButton()->click();
    }
    EXPECT_EQ(Form.MultiVolumeEdit()->text().toStdString(), List.string()) << "kept on cancel";
}

TEST_F(TBrowseVolumeFormTest, FunctionKeysCloseOrSelectTheVolume) {
    Open();
    struct TCase {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Result;
    };
    for (const TCase& Case : {TCase{Qt::Key_F2, Qt::NoModifier, brIgnore},
                              TCase{Qt::Key_F2, Qt::AltModifier, brRetry}}) {
        for (QWidget* Target : std::initializer_list<QWidget*>{
                 Form.Tree(), Form.FindFileEdit(), Form.FindTextEdit(), Form.OpenButton()}) {
            Form.setResult(-1);
            QTest::keyClick(Target, Case.Key, Case.Modifiers);
            EXPECT_EQ(Form.result(), Case.Result) << Target->metaObject()->className();
        }
    }
    Form.setResult(-1);
    Form.Tree()->SetSelected(Node({"Sub.svol", "B.text"}));
    QTest::keyClick(Form.FindTextEdit(), Qt::Key_F6);
    EXPECT_EQ(SelectedCaption(), "WORK");
    EXPECT_EQ(Form.result(), -1);
}

TEST_F(TBrowseVolumeFormTest, DefaultButtonFollowsTheFocus) {
    Open();
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    EXPECT_TRUE(Form.OpenButton()->isDefault());
    struct TCase {
        QWidget* Focus;
        QPushButton* Default;
    };
    for (const TCase& Case :
         {TCase{Form.FindFileEdit(), Form.GoButton()}, TCase{Form.Tree(), Form.OpenButton()},
          TCase{Form.FindTextEdit(), Form.SearchButton()},
          TCase{Form.FindFileEdit(), Form.GoButton()},
          TCase{Form.ContextSpin(), Form.OpenButton()}}) {
        Case.Focus->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(Case.Default->isDefault()) << Case.Default->text().toStdString();
        for (QPushButton* Other : {Form.GoButton(), Form.OpenButton(), Form.SearchButton()}) {
            if (Other != Case.Default) {
                EXPECT_FALSE(Other->isDefault()) << Other->text().toStdString();
            }
        }
    }
    Form.hide();
}

TEST_F(TBrowseVolumeFormTest, InitialFocusGoesToFindTextOrTreeUnlessLocating) {
    Open();
    Form.FindTextEdit()->setText("needle");
    Form.SetInitialFocus(false);
    EXPECT_EQ(Form.focusWidget(), Form.Tree());
    Form.SetInitialFocus(true);
    EXPECT_EQ(Form.focusWidget(), Form.FindTextEdit());
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    EXPECT_EQ(Form.FindTextEdit()->selectedText().toStdString(), "needle");
    Form.FindFileEdit()->setFocus();
    Form.hide();
    Form.SetInitialFocus(true);
    EXPECT_EQ(Form.focusWidget(), Form.FindFileEdit());
}

TEST_F(TBrowseVolumeFormTest, GrabListingOpensATabAndKeepsTheDialogOpen) {
    {
        TMajorVolume V(Work, true);
        ASSERT_TRUE(V.CopyFileTo(0, "EMPTY", 12, V));
    }
    Open();
    Form.setResult(-1);
    QPushButton* Grab = nullptr;
    for (QPushButton* Button : Form.findChildren<QPushButton*>())
        if (Button->text() == "Gra&b Listing")
            Grab = Button;
    ASSERT_TRUE(Grab);
    Grab->click();
    ASSERT_EQ(Host.Tabs.size(), 1u);
    EXPECT_EQ(Host.Tabs[0].first, "Listing");
    EXPECT_EQ(Host.Tabs[0].second, "WORK:A.TEXT\r\nWORK:EMPTY.SVOL\r\nSUB:B.TEXT\r\nSUB:C.TEXT\r\n"
                                   "WORK:Z.DATA\r\n");
    EXPECT_EQ(Form.result(), -1);
    EXPECT_TRUE(Form.Tree()->FirstNode()) << "the volume stays open";
}

TEST_F(TBrowseVolumeFormTest, SearchOptionsRoundTripAndContextIsBounded) {
    TBrowseSearchOptions Options;
    Options.Text = "needle";
    Options.MatchCase = true;
    Options.WholeWords = true;
    Options.IgnoreUnderscores = false;
    Options.QuotedOnly = true;
    Options.ContextLines = 5;
    Options.MultipleVolumes = true;
    Options.VolumeList = "list.txt";
    Form.SetSearchOptions(Options);
    EXPECT_EQ(Form.SearchOptions(), Options);
    Form.ContextSpin()->setValue(9);
    EXPECT_EQ(Form.SearchOptions().ContextLines, 5);
    EXPECT_TRUE(TBrowseSearchOptions().IgnoreUnderscores);
}

TEST_F(TBrowseVolumeFormTest, CloseVolumeLeavesNoHandleOpen) {
    const int Before = OpenHandlesOf(Work);
    Open();
    EXPECT_GT(OpenHandlesOf(Work), Before);
    Form.CloseVolume();
    EXPECT_EQ(OpenHandlesOf(Work), Before);
    EXPECT_EQ(Form.Tree()->FirstNode(), nullptr);
    EXPECT_EQ(Form.GetSelectedVolume(), nullptr);
}

TEST_F(TBrowseVolumeFormTest, VolumesThatDoNotOpenRaiseTheirMessageAndKeepNothing) {
    const auto Missing = Temp / "missing.vol";
    const auto NotVolume = Temp / "zeros.vol";
    std::ofstream(NotVolume, std::ios::binary) << std::string(4096, '\0');
    const auto Broken = Temp / "broken.vol";
    std::filesystem::copy_file(Work, Broken);
    {
        TMajorVolume V(Broken, false);
        PatchWord(Broken,
                  EntryField(0, HeaderFirstBlock, V.FileInfo(0, "SUB.SVOL").FirstBlock * 512), 7);
    }
    struct TCase {
        std::filesystem::path Path;
        std::string Message;
    };
    for (const TCase& Case :
         {TCase{Missing, "Can't open major volume '" + Missing.string() + "'"},
          TCase{NotVolume, "'" + NotVolume.string() + "' is not a p-System volume"},
          TCase{Broken, "'" + Broken.string() + ">SUB.SVOL' is not a p-System volume"}}) {
        Open();
        try {
            Form.OpenVolume(Case.Path.string());
            ADD_FAILURE() << Case.Path;
        } catch (const EVolumeError& Error) {
            EXPECT_NE(std::string(Error.what()).find(Case.Message), std::string::npos)
                << Error.what();
        }
        EXPECT_EQ(Form.Tree()->FirstNode(), nullptr);
        EXPECT_EQ(Form.GetSelectedVolume(), nullptr);
        if (std::filesystem::exists(Case.Path)) {
            EXPECT_EQ(OpenHandlesOf(Case.Path), 0) << Case.Path;
        }
        EXPECT_EQ(OpenHandlesOf(Work), 0);
    }
}

TEST_F(TBrowseVolumeFormTest, VolumeListTakesOnePathALineAgainstItsFolder) {
    const auto Folder = Temp / "lists";
    std::filesystem::create_directories(Folder);
    const auto List = Folder / "volumes.txt";
    std::ofstream(List, std::ios::binary) << "one.vol\r\n\r\n  \n/abs/two.vol\nsub/three.vol";
    EXPECT_EQ(ReadVolumeList(List),
              (std::vector<std::string>{(Folder / "one.vol").string(), "/abs/two.vol",
                                        (Folder / "sub/three.vol").string()}));
    EXPECT_THROW(ReadVolumeList(Folder / "none.txt"), EFileOpenError);
    EXPECT_THROW(ReadVolumeList(Folder), EFileOpenError);
}

} // namespace
} // namespace korvid::test
