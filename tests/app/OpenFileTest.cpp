#include "FormFixture.h"
#include "workspace/SearchFolderForm.h"

#include "app/FileHelper.h"
#include "foundation/BinaryStrings.h"
#include "foundation/EncryptionEngine.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "tests/support/HangGuard.h"
#include "ui/HackedDialogs.h"
#include "ui/PasswordUnit.h"
#include "workspace/ToolIndexes.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <filesystem>

#include <sys/stat.h>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

class TOpenFileTest : public TFormTest {
protected:
    // WORK.vol holding HELLO.TEXT, PROG.CODE and SUB.SVOL with INNER.TEXT.
    std::string MakeVolume() {
        const auto Path = Dir / "work.vol";
        EXPECT_TRUE(CreateVolumeFile(Path, "WORK", 120));
        TMajorVolume Volume(Path, true);
        EXPECT_TRUE(Volume.SaveTextFile("HELLO.TEXT", {"hello", "volume"}, false));
        EXPECT_TRUE(Volume.SaveBytes("PROG.DATA", "abcd", fkData, 4));
        EXPECT_TRUE(Volume.CopyFileTo(0, "SUB", 30, Volume));
        TSubvolume Sub(Volume, "SUB.SVOL");
        EXPECT_TRUE(Sub.SaveTextFile("INNER.TEXT", {"inside"}, false));
        return Path.string();
    }
};

TEST_F(TOpenFileTest, PlainFileOpensIntoANewTab) {
    MakeForm();
    const auto Name = File("notes.txt", "one\r\ntwo\r\n");
    Form->OpenFile(Name, false, {});
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"notes.txt"}));
    EXPECT_EQ(ActiveText(), "one\ntwo\n"); // the final line end is an empty last line
    auto* Editor = Form->ActiveEditor();
    EXPECT_EQ(Editor->FileName, Name);
    EXPECT_FALSE(Editor->Modified());
    EXPECT_FALSE(Editor->ReadOnly());
    EXPECT_FALSE(Editor->CanUndo());
    EXPECT_EQ(Form->windowTitle().toStdString(), "Korvid - " + Name);
    EXPECT_EQ(Form->History().PathOfRank(0), Name);
}

// The tab, the window and the History menu show a name as UTF-8, with replacement characters for
// bytes that are not; the document keeps the bytes.
TEST_F(TOpenFileTest, NamesShowAsUtf8AndKeepTheirBytes) {
    MakeForm();
    struct TCase {
        const char* File;
        QString Shown;
    };
    const TCase Cases[] = {
        {"caf\xC3\xA9.txt", QString::fromUtf8("caf\xC3\xA9.txt")},
        {"caf\xE9.txt", QStringLiteral("caf") + QChar(QChar::ReplacementCharacter) + ".txt"},
    };
    for (const TCase& Case : Cases) {
        const auto Name = File(Case.File, "x\r\n");
        Form->OpenFile(Name, false, {});
        EXPECT_EQ(Form->Tabs()->tabText(Form->Tabs()->currentIndex()), Case.Shown);
        EXPECT_TRUE(Form->windowTitle().endsWith("/" + Case.Shown)) << Case.File;
        EXPECT_TRUE(Form->ReopenMenu()->actions()[0]->text().endsWith("/" + Case.Shown))
            << Case.File;
        EXPECT_EQ(Form->ActiveEditor()->FileName, Name);
    }
}

TEST_F(TOpenFileTest, Utf8FileIsDecodedAndSavedBackAsUtf8) {
    MakeForm();
    const auto Name = File("u.txt", "\xEF\xBB\xBF"
                                    "caf\xC3\xA9\r\n");
    Form->OpenFile(Name, false, {});
    EXPECT_EQ(ActiveText(), "caf\xE9\n");
    EXPECT_TRUE(Form->ActiveEditor()->SaveAsUtf8);
    Type(Form->ActiveEditor(), "!");
    ASSERT_TRUE(Form->SaveActiveFile());
    EXPECT_EQ(ReadFileBytes(Name).substr(0, 3), "\xEF\xBB\xBF");
}

TEST_F(TOpenFileTest, EncryptedFileAsksForThePasswordAndKeepsIt) {
    MakeForm();
    const auto Name = (Dir / "secret.txt").string();
    WriteEncryptedFile(Name, "pw", {"hidden", "text"});
    int Asked = 0;
    InstallPasswordPrompt([&Asked](TPasswordRequest& Request) {
        ++Asked;
        Request.Password = "pw";
        return true;
    });
    Form->OpenFile(Name, false, {});
    InstallPasswordPrompt(nullptr);
    EXPECT_EQ(Asked, 1);
    EXPECT_EQ(ActiveText(), "hidden\ntext");
    EXPECT_EQ(Form->ActiveEditor()->Password, "pw");
}

TEST_F(TOpenFileTest, CancelledPasswordOpensNothing) {
    MakeForm();
    const auto Name = (Dir / "secret.txt").string();
    WriteEncryptedFile(Name, "pw", {"hidden"});
    InstallPasswordPrompt([](TPasswordRequest&) { return false; });
    TScriptedModals Modals;
    Form->OpenFile(Name, false, {});
    InstallPasswordPrompt(nullptr);
    EXPECT_EQ(Form->TabCount(), 0);
    EXPECT_TRUE(Modals.Shown().empty());
    EXPECT_EQ(Form->History().Count(), 0);
}

TEST_F(TOpenFileTest, BinaryFileAsksFirst) {
    MakeForm();
    const auto Name = File("data.bin", std::string("ab\0cd\x01\x02", 7));
    {
        TScriptedModals Modals;
        Modals.Press("&No");
        Form->OpenFile(Name, false, {});
        ASSERT_EQ(Modals.Shown().size(), 1u);
        EXPECT_NE(Modals.Last().Message->Text.find("contains binary data"), std::string::npos);
        EXPECT_EQ(Form->TabCount(), 0);
    }
    TScriptedModals Modals;
    Modals.Press("&Yes");
    Form->OpenFile(Name, false, {});
    EXPECT_EQ(Form->TabCount(), 1);
}

TEST_F(TOpenFileTest, LongLinesAreSplitWithAMessage) {
    MakeForm();
    const auto Name = File("long.txt", std::string(5000, 'x') + "\r\nshort\r\n");
    TScriptedModals Modals;
    Modals.Press("OK");
    Form->OpenFile(Name, false, {});
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_NE(Modals.Last().Message->Text.find("4096"), std::string::npos);
    const auto Lines = Form->ActiveEditor()->Paragraphs();
    ASSERT_EQ(Lines.size(), 4u);
    EXPECT_EQ(Lines[0].size(), 4096u);
    EXPECT_EQ(Lines[1].size(), 904u);
}

TEST_F(TOpenFileTest, MissingFileShowsTheMessageAndOpensNothing) {
    MakeForm();
    TScriptedModals Modals;
    Modals.Press("OK");
    Form->OpenFile((Dir / "gone.txt").string(), false, {});
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_NE(Modals.Last().Message->Text.find("unable to open"), std::string::npos);
    EXPECT_EQ(Form->TabCount(), 0);
}

TEST_F(TOpenFileTest, AFolderGoesToTheFolderSearch) {
    MakeForm();
    fs::create_directory(Dir / "src");
    std::string Asked;
    TScriptedModals Modals;
    Modals.Then(ActOn<TSearchFolderForm>([&Asked](TSearchFolderForm& D) { Asked = D.Folder(); }))
        .Press("Cancel");
    Form->OpenFile((Dir / "src").string(), false, {});
    EXPECT_EQ(Form->TabCount(), 0);
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Asked, (Dir / "src").string());
}

TEST_F(TOpenFileTest, FilesInAFolderOpenByExtensionWithoutFollowingLinks) {
    MakeForm();
    fs::create_directories(Dir / "tree/sub");
    fs::create_directories(Dir / "tree/.svn");
    File("tree/a.pas", "a");
    File("tree/b.txt", "b");
    File("tree/sub/c.PAS", "c");
    File("tree/.svn/d.pas", "d");
    // A link back to the top would recurse for ever if it were followed.
    fs::create_directory_symlink(Dir / "tree", Dir / "tree/sub/loop");
    Form->OpenFilesInFolder((Dir / "tree").string(), "pas; inc");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"a.pas", "c.PAS"}));
}

TEST_F(TOpenFileTest, TabSetOpensItsFilesAndMarksTheStarredOne) {
    MakeForm();
    Form->Options().KorvidTabs = true;
    fs::create_directory(Dir / "src");
    const auto First = File("src/first.txt", "1");
    File("src/second.txt", "2");
    const auto Set =
        File("work.korvidtabs", "  " + First + "\r\n\r\n*  src/second.txt | Main \r\n");
    Form->OpenFile(Set, false, {});
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"first.txt", "Main"}));
    EXPECT_EQ(Form->CurrentTab(), Form->Compiling().MainCompileTab());
    EXPECT_EQ(Form->ActiveEditor()->FileName, (Dir / "src/second.txt").string());
    EXPECT_FALSE(Form->Options().SingleTab);
    // Opening the set again only activates what is open.
    Form->OpenFile(Set, false, {});
    EXPECT_EQ(Form->TabCount(), 2);
}

TEST_F(TOpenFileTest, VolumeFilesOpenReadOnlyUnlessText) {
    MakeForm();
    const auto Volume = MakeVolume();
    Form->OpenFile(Volume + ">HELLO.TEXT", false, {});
    EXPECT_EQ(TabCaptions().back(), "Hello.text");
    EXPECT_EQ(ActiveText(), "hello\nvolume");
    EXPECT_FALSE(Form->ActiveEditor()->ReadOnly());
    EXPECT_TRUE(ToolEnabled(ToolIndex::FileBrowseVolume));
    EXPECT_EQ(Form->FindOpenVolumeFile("hello.text"), Volume + ">HELLO.TEXT");

    TScriptedModals Modals;
    Modals.Press("&Yes"); // it looks binary
    Form->OpenFile(Volume + ">PROG.DATA", false, {});
    EXPECT_TRUE(Form->ActiveEditor()->ReadOnly());
    EXPECT_TRUE(ToolDown(ToolIndex::FileReadOnly));
}

TEST_F(TOpenFileTest, FileInsideASubvolumeOpens) {
    MakeForm();
    const auto Volume = MakeVolume();
    Form->OpenFile(Volume + ">SUB.SVOL:INNER.TEXT", false, {});
    EXPECT_EQ(TabCaptions().back(), "Inner.text");
    EXPECT_EQ(ActiveText(), "inside");
    EXPECT_FALSE(Form->ActiveEditor()->ReadOnly());
}

TEST_F(TOpenFileTest, TheStartupTabIsReplacedByTheFirstFileOnly) {
    MakeForm({}, true);
    Form->FileNew();
    Form->SetStartingUp(false);
    ASSERT_NE(Form->StartupTab(), nullptr);
    Form->OpenFile(File("a.txt", "a"), false, {});
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(Form->StartupTab(), nullptr);
    Form->OpenFile(File("b.txt", "b"), false, {});
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(TOpenFileTest, AStartupTabTypedIntoIsKept) {
    MakeForm({}, true);
    Form->FileNew();
    Form->SetStartingUp(false);
    Type(Form->ActiveEditor(), "draft");
    Form->OpenFile(File("a.txt", "a"), false, {});
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"File 1 *", "a.txt"}));
}

TEST_F(TOpenFileTest, ReopeningAnOpenFile) {
    MakeForm();
    const auto Name = File("a.txt", "a");
    Form->OpenFile(Name, false, {});
    QWidget* First = Form->CurrentTab();
    Form->OpenFile(Name, false, {});
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_NE(Form->CurrentTab(), First);

    Type(Form->ActiveEditor(), "changed ");
    TScriptedModals Modals;
    Modals.Press("&No");
    Form->OpenFile(Name, false, {});
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(ActiveText(), "changed a");
    EXPECT_TRUE(Form->ActiveEditor()->Modified());
}

TEST_F(TOpenFileTest, ReopeningADeletedFileKeepsTheModifiedTab) {
    MakeForm();
    const auto Name = File("a.txt", "a");
    Form->OpenFile(Name, false, {});
    Type(Form->ActiveEditor(), "work ");
    fs::remove(Name);
    TScriptedModals Modals;
    Modals.Press("OK");
    Form->OpenFile(Name, false, {});
    ASSERT_EQ(Modals.Shown().size(), 1u); // no question about discarding the changes
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(ActiveText(), "work a");
}

TEST_F(TOpenFileTest, SingleTabKeepsTheDocumentWhenTheNewFileIsMissing) {
    MakeForm();
    Form->Options().SingleTab = true;
    const auto Name = File("a.txt", "original");
    Form->OpenFile(Name, false, {});
    TScriptedModals Modals;
    Modals.Press("OK");
    Form->OpenFile((Dir / "missing.txt").string(), false, {});
    EXPECT_EQ(ActiveText(), "original");
    EXPECT_EQ(Form->ActiveEditor()->FileName, Name);
    Form->OpenFile(File("b.txt", "bee"), false, {});
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(ActiveText(), "bee");
}

TEST_F(TOpenFileTest, SingleTabLeavesTheDocumentUntitledWhenReadingFails) {
    MakeForm();
    Form->Options().SingleTab = true;
    const auto Name = File("a.txt", "original");
    Form->OpenFile(Name, false, {});
    const auto Secret = (Dir / "secret.txt").string();
    WriteEncryptedFile(Secret, "pw", {"hidden"});
    InstallPasswordPrompt([](TPasswordRequest&) { return false; });
    Form->OpenFile(Secret, false, {});
    InstallPasswordPrompt(nullptr);
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_FALSE(Form->ActiveEditor()->HasFileName());
    Form->ActiveEditor()->SetModified(true);
    TScriptedModals Modals; // a save now asks for a name instead of emptying a.txt
    Form->FileSave();
    EXPECT_EQ(ReadFileBytes(Name), "original");
}

TEST_F(TOpenFileTest, NamesDifferingInCaseAreDifferentDocuments) {
    MakeForm();
    const auto Lower = File("case.txt", "lower");
    const auto Upper = File("CASE.txt", "upper");
    Form->OpenFile(Lower, false, {});
    Form->OpenFile(Upper, false, {});
    EXPECT_EQ(Form->TabCount(), 2);
    EXPECT_EQ(Form->FindTabOfFile(Lower), Form->Tabs()->widget(0));
}

TEST_F(TOpenFileTest, LoadFileIntoEditorFillsTheListOnly) {
    MakeForm();
    std::vector<std::string> Target{"old"};
    Form->LoadFileIntoEditor(File("a.txt", "x\r\ny\r\n"), Target);
    EXPECT_EQ(Target, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(Form->TabCount(), 0);
    EXPECT_EQ(Form->History().Count(), 0);

    TScriptedModals Modals;
    Form->LoadFileIntoEditor((Dir / "none.txt").string(), Target);
    EXPECT_TRUE(Modals.Shown().empty());
    EXPECT_EQ(Target, (std::vector<std::string>{"x", "y"}));

    Form->LoadFileIntoEditor(MakeVolume() + ">HELLO.TEXT", Target);
    EXPECT_EQ(Target, (std::vector<std::string>{"hello", "volume"}));
}

TEST_F(TOpenFileTest, DroppedFilesOpenSortedOrInsertAtTheCaretWithCtrl) {
    MakeForm();
    const auto B = File("b.txt", "bee");
    const auto A = File("a.txt", "ay");
    Form->OpenDroppedFiles({B, A}, false);
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"a.txt", "b.txt"}));
    Form->ActiveEditor()->MoveCaretTo(1, 2);
    Form->OpenDroppedFiles({A}, true);
    EXPECT_EQ(Form->TabCount(), 2);
    EXPECT_EQ(ActiveText(), "bayee");
}

TEST_F(TOpenFileTest, InsertingAFileAtTheCaret) {
    MakeForm();
    Form->NewTab("Doc");
    Type(Form->ActiveEditor(), "[]");
    Form->ActiveEditor()->MoveCaretTo(1, 2);
    Form->InsertFileAtCaret(File("part.txt", "one\r\ntwo"));
    EXPECT_EQ(ActiveText(), "[one\ntwo]");
    TScriptedModals Modals;
    Modals.Press("OK");
    Form->InsertFileAtCaret((Dir / "none.txt").string());
    EXPECT_EQ(Modals.Shown().size(), 1u);
}

} // namespace
} // namespace korvid::test

namespace korvid::test {
namespace {

TEST_F(TOpenFileTest, ABackupCopyOpensUnderItsDocumentsNameAsModified) {
    MakeForm();
    const auto Copy = File("backup-1.txt", "saved work");
    Form->OpenFile(Copy, false, (Dir / "report.txt").string());
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"report.txt *"}));
    EXPECT_EQ(Form->ActiveEditor()->FileName, (Dir / "report.txt").string());
    EXPECT_TRUE(Form->ActiveEditor()->Modified());
    EXPECT_EQ(ActiveText(), "saved work");
}

TEST_F(TOpenFileTest, TheHistoryMenuListsRecentFilesAndReopensThem) {
    MakeForm();
    ASSERT_NE(Form->ReopenMenu(), nullptr);
    ASSERT_EQ(Form->ReopenMenu()->actions().size(), 1);
    EXPECT_FALSE(Form->ReopenMenu()->actions()[0]->isEnabled());
    const auto A = File("a&b.txt", "a");
    Form->OpenFile(A, false, {});
    Form->OpenFile(File("c.txt", "c"), false, {});
    const auto Items = Form->ReopenMenu()->actions();
    ASSERT_EQ(Items.size(), 2);
    EXPECT_EQ(Items[1]->text().toStdString(), "&2  " + (Dir / "a&&b.txt").string());
    Form->ActiveEditor()->SetModified(false);
    Form->CloseTab();
    Form->CloseTab();
    Items[1]->trigger();
    EXPECT_EQ(Form->ActiveEditor()->FileName, A);
}

TEST_F(TOpenFileTest, FileHelperReadsBytesOfADiskFile) {
    const auto Name = File("code.bin", "0123456789");
    TFileHelper Helper(Name);
    EXPECT_EQ(Helper.GetSize(), 10);
    char Buffer[4] = {};
    EXPECT_TRUE(Helper.Read(3, 4, Buffer));
    EXPECT_EQ(std::string(Buffer, 4), "3456");
    EXPECT_FALSE(Helper.Read(8, 4, Buffer));
    try {
        TFileHelper Missing((Dir / "none").string());
        ADD_FAILURE() << "no exception";
    } catch (const EKorvidError& Error) {
        EXPECT_EQ(std::string(Error.what()), "Unable to open file " + (Dir / "none").string());
    }
}

} // namespace
} // namespace korvid::test

namespace korvid::test {
namespace {

TEST_F(TOpenFileTest, CodeFilesShowTheirListingReadOnlyWhenPSystemAware) {
    MakeForm();
    const auto Name = File("prog.code", std::string("\x01\x02\x00\x03", 4));
    Form->Options().PSystemAware = true;
    Form->OpenFile(Name, false, {});
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_TRUE(Form->ActiveEditor()->ReadOnly());
    const auto Lines = Form->ActiveEditor()->Paragraphs();
    EXPECT_TRUE(Lines.front().starts_with("; Disassembly of " + Name + " at ")) << Lines.front();
    // Four bytes hold no dictionary: the listing says so rather than reading past them.
    EXPECT_NE(std::ranges::find(Lines, "** Listing stopped: dictionary block 0 runs past the "
                                       "file's end at byte 4"),
              Lines.end());
}

// ---- Files a document cannot hold whole ------------------------------------------------------

TEST_F(TOpenFileTest, AFileCutAtANulOpensReadOnlyAndIsNeverSavedOverIt) {
    MakeForm();
    std::string Bytes = "MZ header";
    for (int Index = 0; Index < 3000; ++Index)
        Bytes += static_cast<char>(Index % 256);
    const auto Name = File("tool.exe", Bytes);
    {
        TScriptedModals Modals;
        Modals.Press("&Yes");
        Form->OpenFile(Name, false, {});
        ASSERT_EQ(Modals.Shown().size(), 1u);
    }
    TDocumentEditor* Editor = Form->ActiveEditor();
    ASSERT_NE(Editor, nullptr);
    EXPECT_EQ(ActiveText(), "MZ header");
    EXPECT_TRUE(Editor->ReadOnly());
    EXPECT_TRUE(ToolDown(ToolIndex::FileReadOnly));

    // The user lifts read-only, types a key and saves: the file must survive.
    Form->FileReadOnly();
    ASSERT_FALSE(Editor->ReadOnly());
    Type(Editor, "x");
    {
        TScriptedModals Modals;
        Modals.Press("OK");
        EXPECT_FALSE(Form->SaveActiveFile());
        ASSERT_EQ(Modals.Shown().size(), 1u);
        EXPECT_EQ(Modals.Last().Caption, "Save");
        EXPECT_NE(Modals.Last().Message->Text.find("only part of \"" + Name + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(ReadFileBytes(Name), Bytes);
    EXPECT_TRUE(Editor->Modified());

    // Save As onto the file itself is the same save.
    {
        TScriptedModals Modals;
        Modals.Then(ChooseFiles({Name})).Press("&Yes").Press("OK");
        EXPECT_FALSE(Form->SaveEditorAs(Editor));
        EXPECT_EQ(Modals.Shown().size(), 3u);
    }
    EXPECT_EQ(ReadFileBytes(Name), Bytes);
    EXPECT_EQ(Editor->FileName, Name);

    // Another name takes the text, and from then on the document is that file's.
    const auto Copy = (Dir / "header.txt").string();
    {
        TScriptedModals Modals;
        Modals.Then(ChooseFiles({Copy}));
        EXPECT_TRUE(Form->SaveEditorAs(Editor));
    }
    EXPECT_EQ(ReadFileBytes(Copy), "xMZ header");
    Type(Editor, "y");
    EXPECT_TRUE(Form->SaveActiveFile());
    EXPECT_EQ(ReadFileBytes(Copy), "xyMZ header");
    EXPECT_EQ(ReadFileBytes(Name), Bytes);
}

// What the user sees when opening an encrypted file, by what is wrong with it.
struct TEncryptedOpenCase {
    const char* Name;
    int DamagedRecord;              // its first byte deciphers to a NUL; 0 for none
    std::vector<QString> Passwords; // typed into the dialog in turn; then it is cancelled
    std::vector<bool> WrongNotes;   // per password dialog shown: it said the password was wrong
    std::vector<std::string> Lines; // of the opened document; empty when nothing opens
    bool ReadOnly;
    std::string Message; // shown after opening; empty for none
};

// Under "wiki" its long first line deciphers to a NUL, which shows the password wrong.
const std::string LongLine(4000, 'x');

TEST_F(TOpenFileTest, EncryptedFilesByWhatIsWrongWithThem) {
    const std::vector<std::string> Document = {LongLine, "two", "three", "four", "five"};
    const TEncryptedOpenCase Cases[] = {
        {"right password", 0, {"Wiki"}, {false}, Document, false, ""},
        {"wrong password, then the right one",
         0,
         {"wiki", "Wiki"},
         {false, true},
         Document,
         false,
         ""},
        {"wrong password, then cancelled", 0, {"wiki"}, {false, true}, {}, false, ""},
        {"damage at the first record", 1, {"Wiki", "Wiki"}, {false, true, true}, {}, false, ""},
        {"damage at record four",
         4,
         {"Wiki"},
         {false},
         {LongLine, "two", "three"},
         true,
         "is damaged from line 4 on"},
    };
    InstallPasswordDialog();
    for (const TEncryptedOpenCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        MakeForm();
        const auto Name = (Dir / "secret.txt").string();
        WriteEncryptedFile(Name, "Wiki", Document);
        if (Case.DamagedRecord > 0) {
            std::string Bytes = ReadFileBytes(Name);
            std::size_t At = EncryptedMarkerLength;
            for (int Record = 1; Record < Case.DamagedRecord; ++Record)
                At += 4 + Document[Record - 1].size();
            Bytes[At + 4] = static_cast<char>(Bytes[At + 4] ^ Document[Case.DamagedRecord - 1][0]);
            WriteFileBytes(Name, Bytes);
        }

        std::vector<bool> WrongNotes;
        const auto Answer = [&WrongNotes](QString Password) {
            return ActOn<TPasswordForm>([&WrongNotes, Password](TPasswordForm& Dialog) {
                WrongNotes.push_back(!Dialog.WrongPasswordLabel->isHidden());
                if (Password.isEmpty()) {
                    Dialog.CancelButton->click();
                    return;
                }
                Dialog.PasswordEdit->setText(Password);
                Dialog.OKButton->click();
            });
        };
        TScriptedModals Modals;
        for (const QString& Password : Case.Passwords)
            Modals.Then(Answer(Password));
        if (Case.Lines.empty())
            Modals.Then(Answer({}));
        if (!Case.Message.empty())
            Modals.Press("OK");
        Form->OpenFile(Name, false, {});

        EXPECT_EQ(WrongNotes, Case.WrongNotes);
        EXPECT_EQ(Modals.Unanswered(), 0);
        if (Case.Lines.empty()) {
            EXPECT_EQ(Form->TabCount(), 0);
            continue;
        }
        ASSERT_EQ(Form->TabCount(), 1);
        TDocumentEditor* Editor = Form->ActiveEditor();
        EXPECT_EQ(Editor->Paragraphs(), Case.Lines);
        EXPECT_EQ(Editor->ReadOnly(), Case.ReadOnly);
        EXPECT_EQ(Editor->Password, "Wiki");
        if (Case.Message.empty()) {
            EXPECT_EQ(Modals.Last().ClassName, "korvid::TPasswordForm");
            continue;
        }
        ASSERT_TRUE(Modals.Last().Message);
        EXPECT_NE(Modals.Last().Message->Text.find(Case.Message), std::string::npos)
            << Modals.Last().Message->Text;
        // The intact lines are kept: they can go to another file, never over the damaged one.
        Type(Editor, "!");
        const std::string Before = ReadFileBytes(Name);
        {
            TScriptedModals Refused;
            Refused.Press("OK");
            EXPECT_FALSE(Form->SaveActiveFile());
        }
        EXPECT_EQ(ReadFileBytes(Name), Before);
    }
    InstallPasswordPrompt(nullptr);
}

TEST_F(TOpenFileTest, OnlyRegularFilesOpen) {
    MakeForm();
    Form->Options().KorvidTabs = true;
    const auto Fifo = Dir / "pipe.txt";
    const auto FifoTabs = Dir / "pipe.korvidtabs";
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(FifoTabs.c_str(), 0600), 0);
    for (const fs::path& Special : {Fifo, FifoTabs, fs::path("/dev/zero")}) {
        SCOPED_TRACE(Special.string());
        const THangGuard Guard("opening " + Special.string());
        TScriptedModals Modals;
        Modals.Press("OK");
        Form->OpenFile(Special.string(), false, {});
        ASSERT_EQ(Modals.Shown().size(), 1u);
        EXPECT_EQ(Modals.Last().Message->Text,
                  "Korvid was unable to open \"" + Special.string() + "\".");
        EXPECT_EQ(Form->TabCount(), 0);
    }
}

} // namespace
} // namespace korvid::test
