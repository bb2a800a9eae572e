#include "app/BackupUnit.h"
#include "app/StartUpUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/EncryptionEngine.h"
#include "foundation/UtilitiesUnit.h"
#include "tests/app/FormFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "workspace/ToolIndexes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QTimer>
#include <limits>
#include <map>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public TFormTest {
protected:
    TStartUpState State;

    TKorvidForm& MakeStartedForm() {
        TKorvidForm& Window = MakeForm();
        State.BackupFolder = Dir / "Backup";
        InstallStartUpHooks(Window, State);
        return Window;
    }

    TDocumentEditor& OpenNamed(const std::string& Name, const std::string& Bytes) {
        Form->OpenFile(File(Name, Bytes), false, {});
        return *Form->ActiveEditor();
    }
};

TEST_F(StartUpTest, FileChangesOnlyCountAfterTwoSecondsAndNoIsRemembered) {
    MakeStartedForm();
    TDocumentEditor& Editor = OpenNamed("changed.txt", "old");
    const std::int64_t Disk = FileDateTime(Editor.FileName);
    Editor.FileTime = Disk - 1900;
    CheckFileUpdated(*Form, Editor); // no question: the unexpected-dialog guard would fail
    Editor.FileTime = Disk - 2100;
    {
        TScriptedModals Script;
        Script.Press("&No");
        CheckFileUpdated(*Form, Editor);
        ASSERT_EQ(Script.Shown().size(), 1u);
        EXPECT_EQ(Script.Last().Caption, "File Updated");
    }
    EXPECT_GE(Editor.FileTime, Disk);
    CheckFileUpdated(*Form, Editor); // the same change is not asked again
    EXPECT_EQ(ActiveText(), "old");
}

TEST_F(StartUpTest, TheDocumentsOwnSaveIsNotAChangeOnDisk) {
    MakeStartedForm();
    TDocumentEditor& Editor = OpenNamed("own.txt", "old");
    Editor.FileTime -= 60000; // read a minute ago
    Type(&Editor, "new ");
    ASSERT_TRUE(Form->SaveActiveFile());
    Type(&Editor, "unsaved ");
    CheckFileUpdated(*Form, Editor); // no question: the unexpected-dialog guard would fail
    EXPECT_EQ(ActiveText(), "new unsaved old");

    // A change made after the save is still reported.
    fs::last_write_time(Dir / "own.txt",
                        fs::file_time_type::clock::now() + std::chrono::seconds(10));
    TScriptedModals Script;
    Script.Press("&No");
    CheckFileUpdated(*Form, Editor);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "File Updated");
}

TEST_F(StartUpTest, ChangingTabsChecksOnlyTheNewlyActiveDocument) {
    MakeStartedForm();
    ASSERT_TRUE(Form->Options().FileUpdates);
    TDocumentEditor& Changed = OpenNamed("changed.txt", "old");
    OpenNamed("other.txt", "same");
    Changed.FileTime -= 5000;
    Form->FileNew(); // the unexpected-dialog guard fails on a question here
    Form->Tabs()->setCurrentIndex(1);
    EXPECT_EQ(ActiveText(), "same");
    TScriptedModals Script;
    Script.Press("&No");
    Form->Tabs()->setCurrentIndex(0);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "File Updated");
}

TEST_F(StartUpTest, YesReloadsAModifiedDocumentWithoutAskingToSaveIt) {
    MakeStartedForm();
    TDocumentEditor& Editor = OpenNamed("reload.txt", "old");
    Type(&Editor, "typed ");
    ASSERT_TRUE(Editor.Modified());
    WriteFileBytes(Dir / "reload.txt", "new on disk");
    Editor.FileTime -= 5000;
    TScriptedModals Script;
    Script.Press("&Yes");
    Form->Options().FileUpdates = true;
    CheckFilesUpdated(*Form, State);
    EXPECT_EQ(Script.Shown().size(), 1u); // only "File Updated", no save question
    EXPECT_EQ(ActiveText(), "new on disk");
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
}

TEST_F(StartUpTest, VolumeAndUntitledDocumentsAreNeverChecked) {
    MakeStartedForm();
    Form->FileNew();
    TDocumentEditor& Untitled = *Form->ActiveEditor();
    Untitled.FileTime = 1;
    CheckFileUpdated(*Form, Untitled);
    Untitled.FileName = (Dir / "work.vol").string() + ">NOTES.TEXT";
    File("work.vol", "x");
    CheckFileUpdated(*Form, Untitled);
}

TEST_F(StartUpTest, ABackupTickCopiesEveryDocumentAndLeavesItsStateAlone) {
    MakeStartedForm();
    Form->Options().BackupMinutes = 5;
    TDocumentEditor& Named = OpenNamed("named.txt", "saved");
    Type(&Named, "more ");
    const std::int64_t FileTime = Named.FileTime;
    const std::int64_t SaveTime = Named.SaveTime;
    Form->FileNew();
    Type(Form->ActiveEditor(), "draft");
    Form->ActiveEditor()->SetModified(false);
    TDocumentEditor& Secret = OpenNamed("secret.txt", "hidden words");
    Secret.Password = "Wiki";

    BackupTimerTimer(*Form, State);

    const fs::path Set = CurrentBackupSet(State.BackupFolder);
    ASSERT_FALSE(Set.empty());
    EXPECT_EQ(ReadFileBytes(Set / "0.txt"), "more saved");
    EXPECT_EQ(ReadFileBytes(Set / "1.txt"), "draft\n"); // written as a save would write it
    const std::string Encrypted = ReadFileBytes(Set / "2.txt");
    EXPECT_TRUE(StartsWithEncryptedMarker(Encrypted));
    EXPECT_EQ(Encrypted.find("hidden"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(Set / "Index.txt"),
              (Dir / "named.txt").string() + "\r\n\r\n" + (Dir / "secret.txt").string() + "\r\n");
    EXPECT_TRUE(Named.Modified());
    EXPECT_FALSE(Form->EditorOfTab(Form->Tabs()->widget(1))->Modified());
    EXPECT_EQ(Named.FileTime, FileTime);
    EXPECT_EQ(Named.SaveTime, SaveTime);
    EXPECT_EQ(ReadFileBytes(Dir / "named.txt"), "saved");
}

// Each backup copy of a set with its bytes, by file name.
std::map<std::string, std::string> SetFiles(const fs::path& Set) {
    std::map<std::string, std::string> Files;
    for (const auto& Entry : fs::directory_iterator(Set))
        Files[Entry.path().filename().string()] = ReadFileBytes(Entry.path());
    return Files;
}

TEST_F(StartUpTest, AFailedTickKeepsTheLastBackupsSaysSoOnceAndARestartRecoversThem) {
    MakeStartedForm();
    Form->Options().BackupMinutes = 5;
    TDocumentEditor& Named = OpenNamed("named.txt", "saved");
    Form->FileNew();
    Type(Form->ActiveEditor(), "draft");
    const QString Huge = QString("a line of the document\n").repeated(3000);
    // While the disk is full: told once, naming the folder, however many ticks fail.
    const auto FailingTicks = [&](int Ticks) {
        const TFileSizeLimit Limit(4096);
        TScriptedModals Script;
        Script.Press("OK");
        for (int Tick = 0; Tick < Ticks; ++Tick)
            BackupTimerTimer(*Form, State);
        ASSERT_EQ(Script.Shown().size(), 1u);
        EXPECT_EQ(Script.Last().Caption, "Backup Files");
        const std::string Text = Script.Last().Message->Text;
        EXPECT_NE(Text.find(State.BackupFolder.string()), std::string::npos) << Text;
        EXPECT_EQ(Text.find("unable to save the file"), std::string::npos) << Text;
    };

    Type(&Named, "first ");
    BackupTimerTimer(*Form, State);
    Type(&Named, Huge);
    const std::int64_t SaveTime = Named.SaveTime;
    FailingTicks(3);
    EXPECT_TRUE(Named.Modified());
    EXPECT_EQ(Named.SaveTime, SaveTime);
    // Once a tick works again, a later failure is told again.
    Type(&Named, "\n");
    BackupTimerTimer(*Form, State);
    const fs::path Good = CurrentBackupSet(State.BackupFolder);
    const std::map<std::string, std::string> GoodFiles = SetFiles(Good);
    ASSERT_EQ(GoodFiles.size(), 3u);
    Type(&Named, Huge);
    FailingTicks(2);
    EXPECT_EQ(CurrentBackupSet(State.BackupFolder), Good);
    EXPECT_EQ(SetFiles(Good), GoodFiles);

    // The program ends without closing its tabs; the next start reopens the last good set.
    const std::string NamedBefore = "first " + Huge.toStdString() + "\nsaved";
    Form.reset();
    TStartUpState Restarted;
    Restarted.BackupFolder = State.BackupFolder;
    InstallStartUpHooks(MakeForm(), Restarted);
    Form->Options().BackupMinutes = 5;
    TScriptedModals Script;
    Script.Press("&Yes");
    RecoverBackups(*Form, Restarted);
    ASSERT_EQ(Form->TabCount(), 2);
    std::map<std::string, std::string> Texts;
    for (int Index = 0; Index < 2; ++Index) {
        Form->Tabs()->setCurrentIndex(Index);
        Texts[Form->ActiveEditor()->FileName] = ActiveText();
    }
    EXPECT_EQ(Texts[""], "draft");
    // Compared as a whole: a difference would print every line.
    EXPECT_TRUE(Texts[(Dir / "named.txt").string()] == NamedBefore);
    EXPECT_EQ(Texts.size(), 2u);
}

TEST_F(StartUpTest, RecoveryReopensNamedDocumentsUnderTheirNamesAndOthersUntitled) {
    fs::path Folder = Dir / "Backup";
    fs::create_directories(Folder);
    WriteFileBytes(Folder / "0.txt", "recovered text");
    WriteFileBytes(Folder / "1.txt", "untitled text");
    const std::string Named = (Dir / "project.pas").string();
    WriteFileBytes(Folder / "Index.txt", Named + "\r\n\r\n");
    MakeStartedForm();
    Form->Options().BackupMinutes = 5;
    TScriptedModals Script;
    Script.Press("&Yes");
    RecoverBackups(*Form, State);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Backup Files Exist");
    ASSERT_EQ(Form->TabCount(), 2);
    std::map<std::string, TDocumentEditor*> ByText;
    for (int Index = 0; Index < 2; ++Index) {
        Form->Tabs()->setCurrentIndex(Index);
        ByText[ActiveText()] = Form->ActiveEditor();
    }
    ASSERT_TRUE(ByText.count("recovered text"));
    EXPECT_EQ(ByText["recovered text"]->FileName, Named);
    EXPECT_TRUE(ByText["recovered text"]->Modified());
    ASSERT_TRUE(ByText.count("untitled text"));
    EXPECT_TRUE(ByText["untitled text"]->FileName.empty());
    EXPECT_TRUE(ByText["untitled text"]->Modified());
}

// A copy of a document cut at a NUL carries no file name, so a recovery never brings the cut
// text back under the whole file's name.
TEST_F(StartUpTest, ACutDocumentIsBackedUpAndRecoveredUntitled) {
    MakeStartedForm();
    Form->Options().BackupMinutes = 5;
    const std::string Bytes = std::string("MZ\0", 3) + std::string(40, '\1');
    const std::string Name = File("tool.exe", Bytes);
    {
        TScriptedModals Modals;
        Modals.Press("&Yes");
        Form->OpenFile(Name, false, {});
    }
    ASSERT_TRUE(Form->ActiveEditor()->TextWasCut);

    BackupTimerTimer(*Form, State);
    const fs::path Set = CurrentBackupSet(State.BackupFolder);
    ASSERT_FALSE(Set.empty());
    EXPECT_EQ(ReadFileBytes(Set / "Index.txt"), "\r\n");

    Form->ActiveEditor()->SetModified(false);
    ASSERT_TRUE(Form->CloseTab());
    TScriptedModals Script;
    Script.Press("&Yes");
    RecoverBackups(*Form, State);
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_TRUE(Form->ActiveEditor()->FileName.empty());
    EXPECT_EQ(ReadFileBytes(Name), Bytes);
}

TEST_F(StartUpTest, NoBackupsWrittenWithoutMinutesOrWhenAnotherInstanceRuns) {
    fs::create_directories(Dir / "Backup");
    WriteFileBytes(Dir / "Backup" / "0.txt", "old");
    WriteFileBytes(Dir / "Backup" / "Index.txt", "\r\n");
    MakeStartedForm();
    Form->FileNew();
    for (const auto& [Minutes, Other] : {std::pair{0, false}, std::pair{5, true}}) {
        Form->Options().BackupMinutes = Minutes;
        State.OtherInstanceFound = Other;
        StartBackupTimer(*Form, State);
        EXPECT_FALSE(Form->BackupTimer()->isActive());
        Form->OnBackupTimer(*Form);
        EXPECT_EQ(ReadFileBytes(Dir / "Backup" / "0.txt"), "old");
    }
}

// A set left by a run that crashed is offered whatever the option says now (it may have been
// turned on in that run), never by a second instance, whose folder holds the running one's live
// set; a normal close empties the folder only when it is this instance's.
TEST_F(StartUpTest, RecoveryFollowsTheInstanceNotTheOption) {
    struct TCase {
        int Minutes;
        bool Other;
        const char* Answer;
        bool Offered;
        bool EmptiedAtClose;
    };
    const TCase Cases[] = {
        {0, false, "&Yes", true, true}, {0, false, "&No", true, true},
        {5, false, "&No", true, true},  {0, true, "", false, false},
        {5, true, "", false, false},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::to_string(Case.Minutes) + (Case.Other ? " second" : " first") +
                     " instance");
        fs::remove_all(Dir / "Backup");
        fs::create_directories(Dir / "Backup" / "Set-3");
        WriteFileBytes(Dir / "Backup" / "Set-3" / "0.txt", "typed before the crash");
        WriteFileBytes(Dir / "Backup" / "Set-3" / "Index.txt", "\r\n");
        State = TStartUpState{};
        State.OtherInstanceFound = Case.Other;
        MakeStartedForm();
        Form->Options().BackupMinutes = Case.Minutes;
        {
            TScriptedModals Script;
            if (Case.Offered)
                Script.Press(Case.Answer);
            RecoverBackups(*Form, State);
            ASSERT_EQ(Script.Shown().size(), Case.Offered ? 1u : 0u);
        }
        const bool Recovered = std::string(Case.Answer) == "&Yes";
        EXPECT_EQ(Form->TabCount(), Recovered ? 1 : 0);
        if (Recovered) {
            EXPECT_EQ(ActiveText(), "typed before the crash");
            Form->ActiveEditor()->SetModified(false);
        }
        EXPECT_TRUE(fs::exists(Dir / "Backup" / "Set-3" / "Index.txt"));
        ASSERT_TRUE(Form->FormCloseQuery());
        EXPECT_EQ(CurrentBackupSet(Dir / "Backup").empty(), Case.EmptiedAtClose);
        Form.reset();
    }
}

TEST_F(StartUpTest, AnyBackupPeriodGivesARunningTimer) {
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
    Reg.WriteInteger("Backup Minutes", 50000);
    Reg.CloseKey();
    MakeStartedForm();
    EXPECT_EQ(Form->Options().BackupMinutes, 50000);
    struct TCase {
        int Minutes;
        int Interval;
    };
    const TCase Cases[] = {{1, 60000},
                           {5, 300000},
                           {35791, 35791 * 60000},
                           {35792, std::numeric_limits<int>::max()},
                           {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()}};
    for (const TCase& Case : Cases) {
        Form->Options().BackupMinutes = Case.Minutes;
        StartBackupTimer(*Form, State);
        EXPECT_TRUE(Form->BackupTimer()->isActive()) << Case.Minutes;
        EXPECT_EQ(Form->BackupTimer()->interval(), Case.Interval) << Case.Minutes;
    }
}

TEST_F(StartUpTest, ShortcutsRunTheirToolUnlessItIsHidden) {
    MakeStartedForm();
    TDocumentEditor& Editor = OpenNamed("keys.txt", "text");
    Type(&Editor, "x");
    EXPECT_EQ(ToolList().Items(ToolIndex::FileSave)->ShortCut(), 0x4053);
    ToolList().Items(ToolIndex::FileSave)->SetHidden(true);
    int Key = Qt::Key_S;
    Form->EditorKeyDown(Editor, Key, Qt::ControlModifier);
    EXPECT_NE(Key, 0);
    EXPECT_EQ(ReadFileBytes(Dir / "keys.txt"), "text");
    ToolList().Items(ToolIndex::FileSave)->SetHidden(false);
    Form->EditorKeyDown(Editor, Key, Qt::ControlModifier);
    EXPECT_EQ(Key, 0);
    EXPECT_EQ(ReadFileBytes(Dir / "keys.txt"), "xtext");
}

TEST_F(StartUpTest, KeysReachingTheWindowRunTheirTool) {
    MakeStartedForm();
    ASSERT_EQ(Form->TabCount(), 0);
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier, "\x0E");
    QCoreApplication::sendEvent(Form.get(), &Press);
    EXPECT_TRUE(Press.isAccepted());
    EXPECT_EQ(Form->TabCount(), 1);
}

TEST_F(StartUpTest, APendingEscIsSwallowedOnce) {
    MakeStartedForm();
    Form->FileNew();
    Form->PendingEsc = true;
    int Key = Qt::Key_Escape;
    Form->EditorKeyDown(*Form->ActiveEditor(), Key, Qt::NoModifier);
    EXPECT_EQ(Key, 0);
    EXPECT_FALSE(Form->PendingEsc);
    Key = Qt::Key_Escape;
    Form->EditorKeyDown(*Form->ActiveEditor(), Key, Qt::NoModifier);
    EXPECT_EQ(Key, Qt::Key_Escape);
}

TEST_F(StartUpTest, MinimizeOnCloseMinimizesUntilTheProgramIsExited) {
    MakeStartedForm();
    Form->Options().MinimizeOnClose = true;
    Form->show();
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isMinimized());
    Form->RestoreMainWindow();
    EXPECT_FALSE(Form->isMinimized());
    Form->FileExit();
    EXPECT_FALSE(Form->isVisible());
}

// Files named at start bring the window to the front as it was left: maximized stays so, and a
// maximized window minimized comes back maximized.
TEST_F(StartUpTest, BringingTheWindowBackKeepsItMaximized) {
    MakeStartedForm();
    Form->setWindowState(Qt::WindowMaximized);
    Form->show();
    Form->RestoreMainWindow();
    EXPECT_TRUE(Form->isMaximized());
    Form->setWindowState(Form->windowState() | Qt::WindowMinimized);
    Form->RestoreMainWindow();
    EXPECT_FALSE(Form->isMinimized());
    EXPECT_TRUE(Form->isMaximized());
}

TEST_F(StartUpTest, TheFirstShowReadsTheCommandLine) {
    MakeStartedForm();
    const std::string Spaced = File("my file.txt", "content");
    const std::string Other = File("other.txt", "more");
    State.Parameters =
        BuildParameterList({QString::fromStdString(Spaced), QString::fromStdString(Other)});
    FormFirstShow(*Form, State);
    ASSERT_EQ(Form->TabCount(), 2);
    EXPECT_EQ(Form->EditorOfTab(Form->Tabs()->widget(0))->FileName, Spaced);
    EXPECT_EQ(Form->ActiveEditor()->FileName, Other);

    TStartUpState Empty;
    Empty.Parameters = BuildParameterList({":ignored"});
    Empty.BackupFolder = Dir / "Backup";
    FormFirstShow(*Form, Empty);
    EXPECT_EQ(Form->TabCount(), 2); // only dropped parameters: no new tab
}

// The second start waits for the answer only: the files open (and ask their questions) after it.
TEST_F(StartUpTest, AHandOverIsAnsweredBeforeItsFilesOpenInOrder) {
    MakeStartedForm();
    const std::string First = File("first.txt", "1");
    const std::string Second = File("second.txt", "2");
    const std::string Missing = (Dir / "missing.txt").string();
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(InternalKey), true));
        Reg.WriteString("FN77", First);
        Reg.WriteString("FN77.2", Missing);
        Reg.WriteString("FN77.3", Second);
    }
    Form->show(); // the running window, with its own empty document
    QCoreApplication::processEvents();
    ASSERT_EQ(TabCaptions(), std::vector<std::string>{"File 1"});
    TScriptedModals Modals;
    Modals.Press("OK");
    EXPECT_EQ(Form->HandOverMessage(77), HandOverAnswer);
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_TRUE(Modals.Shown().empty());
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(InternalKey), false));
        EXPECT_TRUE(Reg.GetValueNames().empty());
    }

    QCoreApplication::processEvents();
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"File 1", "first.txt", "second.txt"}));
    ASSERT_EQ(Modals.Shown().size(), 1u);
    ASSERT_TRUE(Modals.Last().Message);
    EXPECT_NE(Modals.Last().Message->Text.find("missing.txt"), std::string::npos);
}

} // namespace
} // namespace korvid::test
