#include "tests/psystem/VolumeTestSupport.h"

#include "psystem/FilerForm.h"
#include "psystem/VolumeDialogs.h"
#include "psystem/VolumePacking.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <set>

namespace korvid::test {
namespace {

class TFakeFilerHost : public TFilerHost {
public:
    void OpenFilerFile(const std::string& Name, bool ReadOnly) override {
        Opened.push_back(Name + (ReadOnly ? " (read-only)" : ""));
    }
    void OpenTextInNewTab(const std::string& Caption, const std::string& Text) override {
        Tabs.emplace_back(Caption, Text);
    }
    void ForEachFavouriteVolume(const std::function<void(const std::string&)>& Callback) override {
        for (const std::string& Path : Volumes)
            Callback(Path);
    }
    bool IsReadOnlyVolumeFile(const std::string& Path) override {
        return ReadOnlyFiles.count(Path) != 0;
    }

    std::vector<std::string> Volumes;
    std::set<std::string> ReadOnlyFiles;
    std::vector<std::string> Opened;
    std::vector<std::pair<std::string, std::string>> Tabs;
};

class TFilerFormTest : public TVolumeTest {
protected:
    void SetUp() override {
        TVolumeTest::SetUp();
        Work = (Temp.Path() / "w.vol").string();
        BuildWorkVolume(Work);
    }

    // WORK with SUB.SVOL (B.TEXT in it) after B.CODE.
    void AddSubvolume() {
        TMajorVolume V(Work, true);
        ASSERT_TRUE(V.CopyFileTo(0, "SUB", 20, V));
        TSubvolume Sub(V, "SUB.SVOL");
        SubText = Save(Sub, "B.TEXT", 700, 9);
    }

    // Shows the filer on these volumes and closes it; the panes stay loaded.
    TFilerForm& Show(std::vector<std::string> Volumes, const std::string& Path = {}) {
        Host.Volumes = std::move(Volumes);
        if (!Form)
            Form = std::make_unique<TFilerForm>(Host);
        TScriptedModals Closing;
        Closing.Then(PressEscape());
        Form->Execute(Path);
        return *Form;
    }

    std::vector<std::string> Captions(int Side) {
        std::vector<std::string> Result;
        for (const TFilerItem& Item : Form->ShownItems(Side))
            Result.push_back(Item.Caption);
        return Result;
    }

    int RowOf(int Side, const std::string& Caption) {
        const auto Items = Form->ShownItems(Side);
        for (std::size_t Row = 0; Row < Items.size(); ++Row)
            if (Items[Row].Caption == Caption)
                return int(Row);
        return -1;
    }

    void Select(int Side, const std::vector<std::string>& Names) {
        std::vector<int> Rows;
        for (const std::string& Name : Names)
            Rows.push_back(RowOf(Side, Name));
        Form->SetActiveSide(Side);
        Form->SelectRows(Side, Rows);
    }

    void Run(int Command) { Form->RunCommand(Command); }

    std::string Work;
    std::string SubText;
    TFakeFilerHost Host;
    std::unique_ptr<TFilerForm> Form;
};

// The filer does not open without a volume, and says why.
TEST_F(TFilerFormTest, ExecuteWithoutVolumesSaysWhatTheFilerNeeds) {
    TFilerForm Filer(Host);
    TScriptedModals Dialogs;
    Dialogs.Press("OK");
    Filer.Execute({});
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "p-System Filer");
    ASSERT_TRUE(Dialogs.Last().Message);
    EXPECT_EQ(Dialogs.Last().Message->Text,
              "Open a p-System volume, or add one to Favourites, to use the filer.");
    EXPECT_FALSE(Filer.isVisible());
}

// Unplaced, the filer is centred on the screen at its own size; a wide screen gets 911 x 750.
TEST_F(TFilerFormTest, AnUnplacedFilerIsCentredAtItsOwnSize) {
    TFilerForm Filer(Host);
    const QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (QGuiApplication::primaryScreen()->geometry().width() > 1000) {
        EXPECT_EQ(Filer.size(), QSize(911, 750));
    }
    Host.Volumes = {Work};
    QRect Shown;
    TScriptedModals Dialogs;
    Dialogs.Then([&Shown](QDialog& Dialog) {
        Shown = Dialog.frameGeometry();
        Dialog.reject();
    });
    Filer.Execute({});
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_LE(std::abs(Shown.center().x() - Screen.center().x()), 1) << Shown.x();
    EXPECT_LE(std::abs(Shown.center().y() - Screen.center().y()), 1) << Shown.y();
}

// The three view modes are one group of radio items: choosing one unchecks the others.
TEST_F(TFilerFormTest, TheViewModesAreOneExclusiveGroup) {
    Show({Work});
    const std::array<int, 3> Modes{fcmFullDetails, fcmDiskLayout, fcmSimpleList};
    for (const int Mode : Modes) {
        QAction* Item = Form->Action(Mode);
        ASSERT_TRUE(Item->actionGroup());
        EXPECT_TRUE(Item->actionGroup()->isExclusive());
        EXPECT_EQ(Item->actionGroup(), Form->Action(fcmFullDetails)->actionGroup());
        Item->trigger();
        for (const int Other : Modes)
            EXPECT_EQ(Form->Action(Other)->isChecked(), Other == Mode);
    }
}

TEST_F(TFilerFormTest, CombosTakeTheFavouritesInOrderAndKeepTheirChoice) {
    const std::string Other = NewVolume("o.vol", "OTHER", 40).string();
    Show({Work, Other});
    ASSERT_EQ(Form->Combo(fsLeft)->count(), 2);
    EXPECT_EQ(Form->Combo(fsLeft)->itemText(0).toStdString(), Work);
    EXPECT_EQ(Form->Combo(fsRight)->itemText(1).toStdString(), Other);
    Form->Combo(fsRight)->setCurrentIndex(1);
    Form->ComboChanged(fsRight);
    Show({Work, Other});
    EXPECT_EQ(Form->Combo(fsRight)->currentIndex(), 1);
    EXPECT_EQ(Form->Pane(fsRight).VolumePath, Other);
}

TEST_F(TFilerFormTest, ExecuteOpensTheGivenVolumeLeftInFullDetails) {
    Show({}, Work);
    // A volume without VERSION.TEXT names itself unversioned.
    EXPECT_EQ(Form->windowTitle().toStdString(), "(left)     " + Work + "     unversioned");
    EXPECT_EQ(Form->Pane(fsLeft).ViewMode, vmFullDetails);
    EXPECT_EQ(Captions(fsLeft), (std::vector<std::string>{"A.text", "B.code"}));
}

TEST_F(TFilerFormTest, ViewKeysSwitchTheActivePane) {
    Show({Work});
    const struct {
        int Command;
        Qt::Key Key;
        int Mode;
        std::size_t Rows;
    } Cases[] = {{fcmDiskLayout, Qt::Key_F7, vmDiskLayout, 4},
                 {fcmSimpleList, Qt::Key_F8, vmSimpleList, 2},
                 {fcmFullDetails, Qt::Key_F6, vmFullDetails, 2}};
    for (const auto& Case : Cases) {
        EXPECT_EQ(Form->Action(Case.Command)->shortcut(), QKeySequence(Case.Key));
        Run(Case.Command);
        EXPECT_EQ(Form->Pane(fsLeft).ViewMode, Case.Mode);
        EXPECT_EQ(Form->ShownItems(fsLeft).size(), Case.Rows);
        EXPECT_TRUE(Form->Action(Case.Command)->isChecked());
    }
}

TEST_F(TFilerFormTest, SortingByModifiedPutsUntimedFirstAndTogglesDirection) {
    {
        TMajorVolume V(Work, true);
        Save(V, "C.TEXT", 100, 3); // stamped 5 March 2026 14:07
    }
    Show({}, Work);
    Run(fcmDiskLayout);
    Form->ColumnClick(fsLeft, fcModified); // leaves Disk Layout: no gaps
    EXPECT_EQ(Form->Pane(fsLeft).ViewMode, vmFullDetails);
    EXPECT_EQ(Captions(fsLeft), (std::vector<std::string>{"B.code", "A.text", "C.text"}));
    Form->ColumnClick(fsLeft, fcModified);
    EXPECT_EQ(Captions(fsLeft), (std::vector<std::string>{"C.text", "A.text", "B.code"}));
    Form->ColumnClick(fsLeft, fcModified);
    EXPECT_EQ(Captions(fsLeft), (std::vector<std::string>{"B.code", "A.text", "C.text"}));
}

TEST_F(TFilerFormTest, DeleteAsksOnceAndNamesWhatGoes) {
    {
        TMajorVolume V(Work, true);
        Save(V, "C.TEXT", 100, 3);
    }
    Show({}, Work);
    const struct {
        std::vector<std::string> Selected;
        const char* Answer;
        const char* Text;
        int FilesLeft;
    } Cases[] = {
        {{"A.text"}, "&No", "Are you sure you want to delete 'A.text'?", 3},
        {{"A.text", "B.code", "C.text"}, "&No", "Are you sure you want to delete these files?", 3},
        {{"A.text"}, "&Yes", "Are you sure you want to delete 'A.text'?", 2},
        {{"B.code", "C.text"}, "&Yes", "Are you sure you want to delete these files?", 0},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        Select(fsLeft, Case.Selected);
        TScriptedModals Dialogs;
        Dialogs.Press(Case.Answer);
        Run(fcmDelete);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, "Delete File");
        EXPECT_EQ(Dialogs.Last().Message->Text, Case.Text);
        EXPECT_EQ(TMajorVolume(Work, false).FileCount(), Case.FilesLeft);
    }
}

TEST_F(TFilerFormTest, CommandsReachTheStoredNameWhateverItsCase) {
    {
        TMajorVolume V(Work, true);
        Save(V, "C.TEXT", 100, 3);
    }
    // C.TEXT becomes "a.text", beside "A.TEXT".
    for (int I = 0; I < 6; ++I)
        PatchByte(Work, EntryField(3, EntryName) + 1 + I, "a.text"[I]);
    const std::string Upper = TMajorVolume(Work, false).ReadFileData(0, "A.TEXT");
    Show({}, Work);
    Form->SetActiveSide(fsLeft);
    const auto Items = Form->ShownItems(fsLeft);
    const auto Lower = std::find_if(Items.begin(), Items.end(),
                                    [](const TFilerItem& I) { return I.StoredName == "a.text"; });
    ASSERT_NE(Lower, Items.end());
    Form->SelectRows(fsLeft, {int(Lower - Items.begin())});
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes");
    Run(fcmDelete);
    TMajorVolume V(Work, false);
    ASSERT_EQ(V.FileCount(), 2);
    EXPECT_EQ(V.ReadFileData(0, "A.TEXT"), Upper);
}

TEST_F(TFilerFormTest, QuestionsOfTheVolumeCommands) {
    const std::string Bytes = ReadFileBytes(Work);
    Show({}, Work);
    const struct {
        int Command;
        const char* Caption;
        const char* Text;
    } Cases[] = {
        {fcmFlush, "Flush Volume", "Are you sure want to delete all files in \"WORK\"?"},
        {fcmKrunch, "Krunch Volume", "Are you sure you want to krunch volume 'WORK'?"},
        {fcmShrink, "Shrink Volume", "Are you sure you want to shrink volume 'WORK'?"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Caption);
        TScriptedModals Dialogs;
        Dialogs.Press("&No");
        Run(Case.Command);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, Case.Caption);
        EXPECT_EQ(Dialogs.Last().Message->Text, Case.Text);
    }
    EXPECT_EQ(ReadFileBytes(Work), Bytes);
}

TEST_F(TFilerFormTest, KrunchAndShrinkReportWhatTheyDid) {
    Show({}, Work);
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&Yes").Press("OK");
        Run(fcmKrunch);
        ASSERT_EQ(Dialogs.Shown().size(), 2u);
        EXPECT_EQ(Dialogs.Last().Caption, "Krunch Succeeded");
    }
    EXPECT_EQ(TMajorVolume(Work, false).FileInfo(0, "B.CODE").FirstBlock, 10);
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes").Press("OK");
    Run(fcmShrink);
    ASSERT_EQ(Dialogs.Shown().size(), 2u);
    EXPECT_EQ(Dialogs.Last().Caption, "Shrink Volume");
    EXPECT_EQ(Dialogs.Last().Message->Text,
              "The volume has been shrunk to the smallest possible size.");
    EXPECT_EQ(TMajorVolume(Work, false).EndOfVolume(), 12);
}

TEST_F(TFilerFormTest, CopyAsksBeforeOverwritingAndLosesNothing) {
    const auto Small = NewVolume("small.vol", "SMALL", 16); // room for 4 blocks
    {
        TMajorVolume V(Small, true);
        Save(V, "B.CODE", 300, 5);
    }
    const std::string Before = ReadFileBytes(Small);
    Show({Work, Small.string()});
    Form->Combo(fsRight)->setCurrentIndex(1);
    Form->ComboChanged(fsRight);
    Select(fsLeft, {"B.code"});
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&No");
        Run(fcmCopy);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, "Copy B.CODE");
        EXPECT_EQ(Dialogs.Last().Message->Text, "Do you want to overwrite the existing file?");
    }
    EXPECT_EQ(ReadFileBytes(Small), Before);
    {
        // Grow the source past the target's room: Yes then changes nothing.
        TMajorVolume V(Work, true);
        Save(V, "B.CODE", 3000, 6);
    }
    Form->RefreshPane(fsLeft);
    Select(fsLeft, {"B.code"});
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes");
    Run(fcmCopy);
    EXPECT_EQ(Warnings, std::vector<std::string>{
                            "Unable to copy file|There is not enough room in volume SMALL."});
    EXPECT_EQ(ReadFileBytes(Small), Before);
}

TEST_F(TFilerFormTest, BothPanesOnOneFileStayTrue) {
    AddSubvolume();
    Show({Work, Work}, Work);
    Form->Pane(fsRight).SubvolumeName = "SUB.SVOL";
    Form->RefreshPane(fsRight);
    // A copy onto the very same directory is refused before anything is asked.
    Form->Pane(fsRight).SubvolumeName.clear();
    Form->RefreshPane(fsRight);
    Select(fsLeft, {"A.text"});
    EXPECT_THROW(Run(fcmCopy), EVolumeError);
    Form->Pane(fsRight).SubvolumeName = "SUB.SVOL";
    Form->RefreshPane(fsRight);

    const auto Before = Snapshot(Work);
    Form->SetActiveSide(fsLeft);
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&Yes").Press("OK");
        Run(fcmKrunch);
    }
    Select(fsRight, {"B.text"});
    Run(fcmCopy); // into the major volume, which has no B.TEXT
    Select(fsLeft, {"B.code"});
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&Yes");
        Run(fcmDelete);
    }
    EXPECT_EQ(ValidateVolume(Work), "");
    auto Expected = Before;
    Expected.erase("B.CODE");
    Expected["B.TEXT"] = SubText;
    const auto After = Snapshot(Work);
    for (const auto& [Name, Bytes] : Expected) {
        ASSERT_TRUE(After.count(Name)) << Name;
        EXPECT_EQ(After.at(Name), Bytes) << Name;
    }
    EXPECT_EQ(After.size(), Expected.size());
    EXPECT_EQ(Captions(fsLeft), (std::vector<std::string>{"A.text", "B.text", "Sub.svol"}));
    EXPECT_EQ(Captions(fsRight), (std::vector<std::string>{"..", "B.text"}));
}

TEST_F(TFilerFormTest, ReadOnlyVolumeAllowsNoChange) {
    Host.ReadOnlyFiles = {Work};
    const std::string Writable = NewVolume("rw.vol", "RW", 40).string();
    const std::string Bytes = ReadFileBytes(Work);
    Show({Writable, Work});
    Form->Combo(fsRight)->setCurrentIndex(1);
    Form->ComboChanged(fsRight);
    Select(fsRight, {"A.text"});
    for (int Command : {fcmRename, fcmDelete, fcmResize})
        EXPECT_FALSE(Form->Action(Command)->isEnabled()) << Command;
    TScriptedModals Dialogs;
    Run(fcmKrunch);
    Run(fcmShrink);
    EXPECT_TRUE(Dialogs.Shown().empty());
    EXPECT_EQ(ReadFileBytes(Work), Bytes);
    {
        TMajorVolume V(Writable, true);
        Save(V, "X.TEXT", 100, 1);
    }
    Form->RefreshPane(fsLeft);
    Select(fsLeft, {"X.text"});
    EXPECT_FALSE(Form->Action(fcmCopy)->isEnabled());
}

TEST_F(TFilerFormTest, OpenEntersLeavesAndOpensFiles) {
    AddSubvolume();
    Show({}, Work);
    EXPECT_EQ(Form->Action(fcmUpOneLevel)->shortcut(), QKeySequence(Qt::Key_Backspace));
    Select(fsLeft, {"A.text"});
    Run(fcmOpen);
    Select(fsLeft, {"Sub.svol"});
    Run(fcmOpen);
    EXPECT_EQ(Form->windowTitle().toStdString(),
              "(left)     SUB (in " + Work + ")     unversioned");
    EXPECT_EQ(Captions(fsLeft), (std::vector<std::string>{"..", "B.text"}));
    Select(fsLeft, {"B.text"});
    Run(fcmOpen);
    Run(fcmUpOneLevel);
    EXPECT_EQ(Form->SelectedRows(fsLeft), std::vector<int>{RowOf(fsLeft, "Sub.svol")});
    Host.ReadOnlyFiles = {Work};
    Select(fsLeft, {"A.text"});
    Run(fcmOpen);
    EXPECT_EQ(Host.Opened, (std::vector<std::string>{Work + ">A.TEXT", Work + ">SUB.SVOL:B.TEXT",
                                                     Work + ">A.TEXT (read-only)"}));
}

TEST_F(TFilerFormTest, CreateSubvolumeIsRefusedInASubvolume) {
    AddSubvolume();
    Show({}, Work);
    Select(fsLeft, {"Sub.svol"});
    Run(fcmOpen);
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TCreateSubvolumeForm>([](TCreateSubvolumeForm& F) {
        F.NameEdit->setText("INNER");
        F.OKButton->click();
    }));
    EXPECT_THROW(Run(fcmCreateSubvolume), EVolumeError);
    EXPECT_EQ(TSubvolume(Work, false, "SUB.SVOL").FileCount(), 1);
}

TEST_F(TFilerFormTest, GrabListingOpensTheDiskLayoutInATab) {
    Show({}, Work);
    Run(fcmGrabListing);
    ASSERT_EQ(Host.Tabs.size(), 1u);
    EXPECT_EQ(Host.Tabs[0].first, "w.vol");
    EXPECT_EQ(Host.Tabs[0].second.substr(0, 7), "w.vol\r\n");
    EXPECT_EQ(Form->Pane(fsLeft).ViewMode, vmDiskLayout);
}

TEST_F(TFilerFormTest, ResizeAndRenameVolume) {
    const std::string Original = ReadFileBytes(Work);
    Show({}, Work);
    const struct {
        int To;
        int Change;
    } Cases[] = {{120, 26}, {50, -44}};
    for (const auto& Case : Cases) {
        WriteFileBytes(Work, Original);
        Form->RefreshPane(fsLeft);
        TScriptedModals Dialogs;
        int Change = 0;
        Dialogs.Then(ActOn<TExpandForm>([&Case, &Change](TExpandForm& F) {
            EXPECT_EQ(F.windowTitle(), "Resize Major Volume");
            EXPECT_EQ(F.ExpandLabel->text(), "Resi&ze volume WORK from:");
            F.ExpandEdit->setText(QString::number(Case.To));
            F.OKButton->click();
            Change = F.Change();
        }));
        Run(fcmResize);
        EXPECT_EQ(Change, Case.Change);
        EXPECT_EQ(TMajorVolume(Work, false).EndOfVolume(), Case.To);
    }
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TRenameVolumeForm>([](TRenameVolumeForm& F) {
        EXPECT_EQ(F.NewNameLabel->text(), "&Rename WORK to be:");
        F.NewNameEdit->setText("NEWNAME");
        F.accept();
    }));
    Run(fcmRenameVolume);
    EXPECT_EQ(TMajorVolume(Work, false).VolumeName(), "NEWNAME");
}

TEST_F(TFilerFormTest, ResizeOfASubvolumeNamesIt) {
    AddSubvolume();
    Show({}, Work);
    Select(fsLeft, {"Sub.svol"});
    Run(fcmOpen);
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TExpandForm>([](TExpandForm& F) {
        EXPECT_EQ(F.windowTitle(), "Resize Subvolume");
        EXPECT_EQ(F.ExpandLabel->text(), "Resi&ze subvolume SUB from:");
        F.ExpandEdit->setText("30");
        F.OKButton->click();
    }));
    Run(fcmResize);
    EXPECT_EQ(TSubvolume(Work, false, "SUB.SVOL").EndOfVolume(), 30);
}

TEST_F(TFilerFormTest, RenameInPlaceRefusesNamesTheDirectoryCannotCarry) {
    AddSubvolume();
    Show({}, Work);
    const struct {
        const char* Item;
        const char* Typed;
    } Refused[] = {{"A.text", "ABCDEFGHIJKL.TEXT"},
                   {"A.text", "A:B.TEXT"},
                   {"A.text", "A>B"},
                   {"A.text", "A.SVOL"},
                   {"Sub.svol", "SUB.TEXT"},
                   {"A.text", "B.CODE"}};
    for (const auto& Case : Refused) {
        SCOPED_TRACE(Case.Typed);
        const int Row = RowOf(fsLeft, Case.Item);
        EXPECT_THROW(Form->FinishRename(fsLeft, Row, Case.Typed), EKorvidError);
        EXPECT_EQ(Form->Model(fsLeft)->item(Row, 0)->text().toStdString(), Case.Item);
    }
    const int Row = RowOf(fsLeft, "A.text");
    Form->FinishRename(fsLeft, Row, "New.text");
    EXPECT_NE(TMajorVolume(Work, false).FindFile("NEW.TEXT"), 0);
    EXPECT_EQ(Form->ShownItems(fsLeft)[std::size_t(Row)].StoredName, "NEW.TEXT");
}

TEST_F(TFilerFormTest, AnInPlaceEditKeepsBackspaceAndRenamesOnReturn) {
    Show({}, Work);
    Form->show();
    Select(fsLeft, {"A.text"});
    Run(fcmRename);
    auto* Edit = Form->Details(fsLeft)->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(Edit, nullptr);
    EXPECT_TRUE(Form->Action(fcmUpOneLevel)->shortcut().isEmpty());
    EXPECT_TRUE(Form->Action(fcmOpen)->shortcut().isEmpty());
    Edit->setText("Renamed.text");
    QTest::keyClick(Edit, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits an edit on its next turn
    EXPECT_EQ(Form->Action(fcmUpOneLevel)->shortcut(), QKeySequence(Qt::Key_Backspace));
    EXPECT_NE(TMajorVolume(Work, false).FindFile("RENAMED.TEXT"), 0);
    EXPECT_EQ(Form->Model(fsLeft)->item(RowOf(fsLeft, "Renamed.text"), 0)->text(), "Renamed.text");
    Form->hide();
}

TEST_F(TFilerFormTest, DropsLoadAVolumeWhereTheyFall) {
    const std::string Other = NewVolume("drop.vol", "DROP", 40).string();
    const std::string Text = (Temp.Path() / "t.txt").string();
    WriteFileBytes(Text, "x");
    Show({Work});
    Form->resize(900, 600);
    Form->show();
    const QPoint Right = Form->Panel(fsRight)->mapTo(Form.get(), QPoint(10, 40));
    Form->DropFiles({QUrl::fromLocalFile(QString::fromStdString(Text))}, Right);
    EXPECT_EQ(Form->Pane(fsRight).VolumePath, Work);
    Form->DropFiles({QUrl::fromLocalFile(QString::fromStdString(Other)),
                     QUrl::fromLocalFile(QString::fromStdString(Work))},
                    Right);
    EXPECT_EQ(Form->Pane(fsRight).VolumePath, Other);
    EXPECT_EQ(Form->Pane(fsLeft).VolumePath, Work);
    Form->hide();
}

TEST_F(TFilerFormTest, PackOverTheShownFileIsFollowed) {
    const auto Folder = Temp.Path() / "src";
    std::filesystem::create_directories(Folder);
    WriteFileBytes(Folder / "ONE.vp", "one\r\n");
    Show({}, Work);
    TScriptedModals Dialogs;
    Dialogs
        .Then(ActOn<TBrowseFolderDialog>([&Folder](TBrowseFolderDialog& D) {
            EXPECT_EQ(D.windowTitle(), "Browse for Source Folder");
            D.SelectPath(Folder);
            D.accept();
        }))
        .Then(ChooseFiles({Work}))
        .Press("OK");
    Run(fcmPack);
    EXPECT_EQ(Dialogs.Shown().at(1).Caption, "Save Volume As");
    Run(fcmRefresh);
    EXPECT_EQ(Captions(fsLeft), std::vector<std::string>{"One.text"});
}

TEST_F(TFilerFormTest, UnpackListsTheRenamedFiles) {
    // Either order in the directory: X.txt holds the current text.
    for (const bool BackFirst : {true, false}) {
        SCOPED_TRACE(BackFirst ? "X.BACK first" : "X.TEXT first");
        BuildWorkVolume(Work);
        {
            TMajorVolume V(Work, true);
            for (const char* Name :
                 BackFirst ? std::vector{"X.BACK", "X.TEXT"} : std::vector{"X.TEXT", "X.BACK"})
                V.SaveTextFile(Name, {std::string(Name) == "X.TEXT" ? "new" : "old"}, false);
        }
        const auto Folder = Temp.Path() / (BackFirst ? "out1" : "out2");
        std::filesystem::create_directories(Folder);
        Show({}, Work);
        TScriptedModals Dialogs;
        Dialogs
            .Then(ActOn<TBrowseFolderDialog>([&Folder](TBrowseFolderDialog& D) {
                EXPECT_EQ(D.windowTitle(), "Browse for Target Folder");
                D.SelectPath(Folder);
                D.accept();
            }))
            .Press("OK");
        Run(fcmUnpackAll);
        ASSERT_EQ(Dialogs.Shown().size(), 2u);
        EXPECT_EQ(Dialogs.Last().Caption, "Unpack");
        EXPECT_NE(Dialogs.Last().Message->Text.find("X.BACK -> X.back.txt"), std::string::npos)
            << Dialogs.Last().Message->Text;
        EXPECT_EQ(ReadFileBytes(Folder / "X.txt").substr(0, 3), "new");
    }
}

// ---- The dialogs --------------------------------------------------------------------------

TEST(TExpandFormTest, TypedSizesAreCheckedBeforeTheyAreClamped) {
    const struct {
        TResizeBounds Bounds;
        const char* Typed;
        const char* Message; // empty: accepted
    } Cases[] = {
        {{6, 32767, 94}, "40000", "This volume can't be expanded to more than 32767 blocks."},
        {{300, 32767, 400}, "299", "This volume can't be shrunk to less than 300 blocks."},
        {{300, 32767, 400}, "300", ""},
        {{6, 37, 30}, "38", "This volume can't be expanded to more than 37 blocks."},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Typed);
        TExpandForm Form;
        Form.SetBounds(Case.Bounds);
        Form.ExpandEdit->setText(Case.Typed);
        TScriptedModals Dialogs;
        Dialogs.Press("OK");
        Form.OKButton->click();
        if (*Case.Message) {
            ASSERT_EQ(Dialogs.Shown().size(), 1u);
            EXPECT_EQ(Dialogs.Last().Caption, "Unable to expand");
            EXPECT_EQ(Dialogs.Last().Message->Text, Case.Message);
            EXPECT_EQ(Form.result(), 0);
        } else {
            EXPECT_TRUE(Dialogs.Shown().empty());
            EXPECT_EQ(Form.result(), QDialog::Accepted);
            EXPECT_EQ(Form.Change(), std::atoi(Case.Typed) - Case.Bounds.End);
        }
    }
}

// The dialog opens with the keyboard in the "to" field, its number ready to be typed over.
TEST(TExpandFormTest, ASizeTypedAtOnceAndReturnResize) {
    TExpandForm Form;
    Form.SetBounds({6, 32767, 94});
    Form.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    QWidget* Focused = QApplication::focusWidget();
    ASSERT_TRUE(Focused);
    QTest::keyClicks(Focused, "120");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_EQ(Form.Change(), 120 - 94);
}

TEST(TExpandFormTest, MinAndMaxSetTheLimits) {
    TExpandForm Form;
    Form.SetBounds({300, 32767, 400});
    EXPECT_EQ(Form.FromEdit->text(), "400");
    Form.MinButton->click();
    EXPECT_EQ(Form.ExpandEdit->text(), "300");
    Form.MaxButton->click();
    EXPECT_EQ(Form.ExpandEdit->text(), "32767");
}

TEST(TCreateSubvolumeFormTest, OkWantsTenBlocksAndNamesStopAtSeven) {
    TCreateSubvolumeForm Form;
    EXPECT_FALSE(Form.OKButton->isEnabled());
    Form.NameEdit->setText("sub");
    Form.SizeEdit->setText("9");
    EXPECT_FALSE(Form.OKButton->isEnabled());
    Form.SizeEdit->setText("10");
    EXPECT_TRUE(Form.OKButton->isEnabled());
    Form.NameEdit->setFocus();
    Form.NameEdit->clear();
    for (char Letter : std::string("ABCDEFGH"))
        Form.NameEdit->insert(QString(QChar(Letter)));
    EXPECT_EQ(Form.Name(), "ABCDEFG");
}

} // namespace
} // namespace korvid::test
