#include "ui/MessagesUnit.h"

#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include "tests/support/TempDir.h"

#include <QFileDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <functional>

namespace korvid {
namespace {

constexpr int NotPressed = -1000; // a button the table does not press by itself

// One catalogue function as the user meets it.
struct TCatalogueCase {
    std::string Name;
    std::function<int(bool& Show)> Call; // the answer as an integer (void gives 0)
    std::string Caption;
    std::string Text;
    TMessageIcon Icon;
    std::vector<std::string> Buttons;
    int Default;
    int Cancel;
    int Focus;
    std::string CheckBox;     // empty without a check box
    std::vector<int> Answers; // by button
    int Dismissed;            // the answer to Esc and to the close box
    bool Suppressible;
    int WhenSuppressed; // the answer while the show flag is off
};

// Test names show the case's name, not its bytes.
void PrintTo(const TCatalogueCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

const std::vector<std::string> Ok = {"OK"};
const std::vector<std::string> YesNo = {"&Yes", "&No"};
const std::string Next = "&Show this next time";

int Void(const std::function<void()>& F) {
    F();
    return 0;
}

std::vector<TCatalogueCase> CatalogueCases() {
    using I = TMessageIcon;
    return {
        {"CantAddBreakpoint",
         [](bool&) {
             return int(
                 ShowCantAddBreakpointMessage("no code at this line", "C:\\a.pas", 12, "WORK:MAP"));
         },
         "Add Breakpoint",
         "Can't add breakpoint:\rno code at this line.\r\rCurrent file: C:\\a.pas\rCurrent line "
         "number: 12\rMap file: WORK:MAP",
         I::Information,
         {"OK", "E&xamine"},
         0,
         0,
         0,
         "",
         {0, 1},
         0,
         false,
         0},
        {"NoMatchesFind",
         [](bool& S) { return Void([&] { ShowNoMatchesMessage(0, true, S); }); },
         "Find",
         "No matches found.",
         I::Information,
         Ok,
         0,
         0,
         0,
         Next,
         {0},
         0,
         true,
         0},
        {"NoMoreMatchesReplace",
         [](bool& S) { return Void([&] { ShowNoMatchesMessage(1, false, S); }); },
         "Replace",
         "No more matches found.",
         I::Information,
         Ok,
         0,
         0,
         0,
         Next,
         {0},
         0,
         true,
         0},
        {"SendMailFailed",
         [](bool&) { return Void([] { ShowSendMailFailedMessage(); }); },
         "Send Mail",
         "Korvid was unable to send the mail message.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"ChangeComplete",
         [](bool& S) { return Void([&] { ShowChangeCompleteMessage(7, S); }); },
         "Replace",
         "Change complete: 7 replacements made.",
         I::Information,
         Ok,
         0,
         0,
         0,
         Next,
         {0},
         0,
         true,
         0},
        {"BinaryFileOpen",
         [](bool& S) { return int(ConfirmBinaryFile("x.bin", 0, S)); },
         "Open",
         "\"x.bin\" contains binary data. Do you still want to open it?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"BinaryFileInsert",
         [](bool& S) { return int(ConfirmBinaryFile("x.bin", 1, S)); },
         "Insert File",
         "\"x.bin\" contains binary data. Do you still want to insert it?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"DeleteView",
         [](bool&) { return int(ConfirmDeleteView("Pascal")); },
         "Delete View",
         "Do you want to delete the view \"Pascal\"?\r\rWarning: This action can't be undone.",
         I::Question,
         YesNo,
         0,
         1,
         0,
         "",
         {1, 0},
         0,
         false,
         0},
        {"MoveBookmark",
         [](bool& S) { return int(ConfirmMoveBookmark(3, S)); },
         "Toggle Bookmark",
         "Bookmark 3 already exists. Do you want to move it to your current location?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"Refresh",
         [](bool& S) { return int(ConfirmRefresh("a.txt", S)); },
         "Refresh",
         "Do you want to discard your changes to \"a.txt\" and reopen it?\r\rWarning: This "
         "action can't be undone.",
         I::Question,
         YesNo,
         0,
         1,
         0,
         "&Show this next time for this file",
         {1, 0},
         0,
         false,
         0},
        {"RemoveFavouriteFile",
         [](bool& S) { return int(ConfirmRemoveFavourite("Notes", false, S)); },
         "Remove Favourite",
         "Do you want to remove \"Notes\" from your Favourites list?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"RemoveFavouriteFolder",
         [](bool& S) { return int(ConfirmRemoveFavourite("Work", true, S)); },
         "Remove Favourite",
         "Do you want to remove folder \"Work\" and all the files it contains from your "
         "Favourites list?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"RemoveHistoryFile",
         [](bool& S) { return int(ConfirmRemoveHistoryFile("h.txt", S)); },
         "Remove History File",
         "Do you want to remove \"h.txt\" from your History list?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"ReopenOpenFile",
         [](bool&) { return int(ConfirmReopenOpenFile("o.txt")); },
         "Open",
         "\"o.txt\" is already open. Do you want to discard your changes to it and reopen it?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         "",
         {1, 0},
         0,
         false,
         0},
        {"ReopenBackupFiles",
         [](bool&) { return int(ConfirmReopenBackupFiles()); },
         "Backup Files Exist",
         "Korvid has found backup files from a previous session.  Do you want to reopen these "
         "files?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         "",
         {1, 0},
         0,
         false,
         0},
        {"BackupsNotWritten",
         [](bool&) { return Void([] { ShowBackupsNotWrittenMessage("/home/me/Backup"); }); },
         "Backup Files",
         "Korvid was unable to write the backup copies of your files to the folder "
         "\"/home/me/Backup\".\r\rThe backup copies written before are kept.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"UnableToReadHistory",
         [](bool&) { return Void([] { ShowUnableToReadHistoryMessage("/home/me/History.txt"); }); },
         "History",
         "Korvid was unable to read your History list from file \"/home/me/History.txt\". The "
         "file will be left as it is.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"UnableToSaveFile",
         [](bool&) { return Void([] { ShowUnableToSaveFileMessage("No space left on device"); }); },
         "Korvid",
         "Korvid was unable to save the file.\r\rNo space left on device",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"ReplaceFile",
         [](bool& S) { return int(ConfirmReplaceFile("r.txt", S)); },
         "Save",
         "Do you want to replace the existing file \"r.txt\"?",
         I::Question,
         YesNo,
         0,
         1,
         1,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"ReplaceOccurrence",
         [](bool&) { return AskReplaceOccurrence(100, 100, 20); },
         "Replace",
         "Do you want to replace this occurrence?",
         I::Question,
         {"&Yes", "&No", "Yes To &All", "Cancel"},
         0,
         3,
         0,
         "",
         {raYes, raNo, raYesToAll, raCancel},
         raCancel,
         false,
         0},
        {"SaveChanges",
         [](bool&) { return AskSaveChanges("s.txt"); },
         "Close",
         "Do you want to save changes to \"s.txt\"?",
         I::Question,
         {"&Yes", "&No", "Cancel"},
         0,
         2,
         0,
         "",
         {saYes, saNo, saCancel},
         saCancel,
         false,
         0},
        {"SavePSystemFile",
         [](bool& S) { return int(ConfirmSavePSystemFile(S)); },
         "Save",
         "Do you want to save this p-System file?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         Next,
         {1, 0},
         0,
         true,
         1},
        {"LinesSplit",
         [](bool&) { return Void([] { ShowLinesSplitMessage(4096); }); },
         "Open",
         "This file contains paragraphs longer than the maximum of 4096 characters. These "
         "paragraphs have been split.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"KrunchSucceeded",
         [](bool&) { return Void([] { ShowKrunchSucceededMessage(12); }); },
         "Krunch Succeeded",
         "12 blocks now available.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"UnableToOpen",
         [](bool& S) { return Void([&] { ShowUnableToOpenMessage("u.txt", S); }); },
         "Open",
         "Korvid was unable to open \"u.txt\".",
         I::Warning,
         Ok,
         0,
         0,
         0,
         Next,
         {0},
         0,
         true,
         0},
        {"RunCommandLineBlank",
         [](bool&) { return Void([] { ShowRunCommandLineError("", -1); }); },
         "Run Command Line",
         "The currently selected command line is blank.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"RunCommandLineOther",
         [](bool&) { return Void([] { ShowRunCommandLineError("make all", 5); }); },
         "Run Command Line",
         "make all\r\rKorvid was unable to run this command line.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"UnableToSaveHistory",
         [](bool&) {
             std::string Name = "h.txt";
             return int(ShowUnableToSaveMessage(lkHistoryList, Name));
         },
         "Korvid",
         "Korvid was unable to save your History list to file \"h.txt\".\r\rYou can pick a "
         "different filename or simply discard the changes to your History list.",
         I::Warning,
         {"&Save As...", "&Discard"},
         0,
         1,
         0,
         "",
         {NotPressed, 0},
         0,
         false,
         0},
        {"UnableToSaveDefaultToolbars",
         [](bool&) {
             std::string Name = "t.txt";
             return int(ShowUnableToSaveMessage(lkDefaultToolbars, Name));
         },
         "Korvid",
         "Korvid was unable to save your default toolbars to file \"t.txt\".",
         I::Warning,
         {"&Save As..."},
         0,
         -1,
         0,
         "",
         {NotPressed},
         0,
         false,
         0},
        {"LinesTruncated",
         [](bool&) { return Void([] { ShowLinesTruncatedMessage(); }); },
         "Save p-System File",
         "One or more lines contain more than 255 characters, and will be truncated.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"AllBookmarksInUse",
         [](bool&) { return Void([] { ShowAllBookmarksInUseMessage(); }); },
         "Add Automated Bookmark",
         "All nine bookmarks are already in use.",
         I::Information,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"NoCommentMarker",
         [](bool&) { return Void([] { ShowNoCommentMarkerMessage(); }); },
         "Format As Comment",
         "First set up the comment marker character(s) in the current view.",
         I::Information,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"HelpFileNotFound",
         [](bool&) { return Void([] { ShowHelpFileNotFoundMessage("/opt/k/Korvid.chm"); }); },
         "Korvid Help",
         "The file /opt/k/Korvid.chm could not be found.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"ManualNotFound",
         [](bool&) {
             return Void([] {
                 ShowManualNotFoundMessage("/opt/k/manual/index.html",
                                           "/opt/share/korvid/manual/index.html");
             });
         },
         "Korvid Help",
         "The Korvid manual could not be found: looked for /opt/k/manual/index.html and "
         "/opt/share/korvid/manual/index.html.",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"NoHelpViewer",
         [](bool&) { return Void([] { ShowNoHelpViewerMessage("/opt/k/Korvid.chm"); }); },
         "Korvid Help",
         "Korvid could not find a program to show the help file \"/opt/k/Korvid.chm\".",
         I::Warning,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"AskYesNo",
         [](bool&) { return int(AskYesNo("Defs Editor", "Chain?")); },
         "Defs Editor",
         "Chain?",
         I::Question,
         YesNo,
         0,
         1,
         0,
         "",
         {1, 0},
         0,
         false,
         0},
        {"AskWithButtons",
         [](bool&) { return int(AskWithButtons("Pick", "Which?", "&Left", "&Right")); },
         "Pick",
         "Which?",
         I::Question,
         {"&Left", "&Right"},
         0,
         1,
         0,
         "",
         {1, 0},
         0,
         false,
         0},
        {"ShowOkMessage",
         [](bool&) { return Void([] { ShowOkMessage("Defs", "Defs saved."); }); },
         "Defs",
         "Defs saved.",
         I::Information,
         Ok,
         0,
         0,
         0,
         "",
         {0},
         0,
         false,
         0},
        {"AskOkCancel",
         [](bool&) { return int(AskOkCancel("Unpack", "Overwrite it?")); },
         "Unpack",
         "Overwrite it?",
         I::Information,
         {"OK", "Cancel"},
         0,
         1,
         0,
         "",
         {1, 0},
         0,
         false,
         0},
    };
}

class CatalogueTest : public ::testing::TestWithParam<TCatalogueCase> {};

void ExpectShown(const TCatalogueCase& Case, const TScriptedModals& Script) {
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().ClassName, "korvid::TMessageForm");
    ASSERT_TRUE(Script.Last().Message.has_value());
    const TMessageFormState& S = *Script.Last().Message;
    EXPECT_EQ(S.Caption, Case.Caption);
    EXPECT_EQ(S.Text, Case.Text);
    EXPECT_EQ(S.Icon, Case.Icon);
    EXPECT_EQ(S.Buttons, Case.Buttons);
    EXPECT_EQ(S.DefaultButton, Case.Default);
    EXPECT_EQ(S.CancelButton, Case.Cancel);
    EXPECT_EQ(S.FocusButton, Case.Focus);
    EXPECT_EQ(S.CheckBoxVisible, !Case.CheckBox.empty());
    if (!Case.CheckBox.empty()) {
        EXPECT_EQ(S.CheckBoxCaption, Case.CheckBox);
        EXPECT_TRUE(S.CheckBoxChecked);
    }
}

TEST_P(CatalogueTest, ShowsItsWordingAndAnswersEachButton) {
    const TCatalogueCase& Case = GetParam();
    for (std::size_t B = 0; B < Case.Buttons.size(); ++B) {
        if (Case.Answers[B] == NotPressed)
            continue;
        SCOPED_TRACE(Case.Buttons[B]);
        TScriptedModals Script;
        Script.Press(Case.Buttons[B]);
        bool Show = true;
        EXPECT_EQ(Case.Call(Show), Case.Answers[B]);
        ExpectShown(Case, Script);
        EXPECT_EQ(Script.Unanswered(), 0);
        EXPECT_TRUE(Show);
    }
}

TEST_P(CatalogueTest, EscAndCloseBoxGiveTheDismissalAnswer) {
    const TCatalogueCase& Case = GetParam();
    for (const bool UseEsc : {true, false}) {
        SCOPED_TRACE(UseEsc ? "Esc" : "close box");
        TScriptedModals Script;
        Script.Then(UseEsc ? PressEscape() : CloseBox());
        bool Show = true;
        EXPECT_EQ(Case.Call(Show), Case.Dismissed);
        EXPECT_EQ(Script.Shown().size(), 1u);
        EXPECT_EQ(Script.Unanswered(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, CatalogueTest, ::testing::ValuesIn(CatalogueCases()),
                         [](const auto& Info) { return Info.param.Name; });

TEST(CatalogueTest, WritesTheCheckBoxBackAndStaysQuietWhenSuppressed) {
    for (const TCatalogueCase& Case : CatalogueCases()) {
        if (Case.CheckBox.empty())
            continue;
        SCOPED_TRACE(Case.Name);
        {
            TScriptedModals Script;
            Script.Then(TickCheckBox(false)).Press(Case.Buttons.back());
            bool Show = true;
            EXPECT_EQ(Case.Call(Show), Case.Answers.back());
            EXPECT_FALSE(Show);
        }
        if (Case.Suppressible) {
            TScriptedModals Script;
            bool Show = false;
            EXPECT_EQ(Case.Call(Show), Case.WhenSuppressed);
            EXPECT_TRUE(Script.Shown().empty());
            EXPECT_FALSE(Show);
        }
    }
}

TEST(CatalogueTest, RefreshIsShownEvenWhenItsFlagIsOff) {
    TScriptedModals Script;
    Script.Press("&Yes");
    bool ShowForThisFile = false;
    EXPECT_TRUE(ConfirmRefresh("a.txt", ShowForThisFile));
    EXPECT_EQ(Script.Shown().size(), 1u);
    EXPECT_TRUE(ShowForThisFile);
}

TEST(CatalogueTest, EnterOnReplaceFilePressesNoWhereTheFocusStarts) {
    TScriptedModals Script;
    Script.Then(PressEnter());
    bool Show = true;
    EXPECT_FALSE(ConfirmReplaceFile("r.txt", Show));
}

TEST(CatalogueTest, EnterPressesTheDefaultButton) {
    TScriptedModals Script;
    Script.Then(PressEnter());
    EXPECT_TRUE(ConfirmReopenBackupFiles());
}

TEST(CatalogueTest, FileNamesAreNeverReadAsPlaceholders) {
    TScriptedModals Script;
    Script.Press("&Yes");
    EXPECT_TRUE(ConfirmReopenOpenFile("100%1 %d %s.txt"));
    EXPECT_EQ(Script.Last().Message->Text,
              "\"100%1 %d %s.txt\" is already open. Do you want to discard your changes to it "
              "and reopen it?");
    EXPECT_EQ(FormatMessageText("%1-%2-%3", {"%2", "b"}), "%2-b-%3");
}

TEST(CatalogueTest, ShowingAMessageSetsTheShownFlag) {
    MessageBoxShown = false;
    TScriptedModals Script;
    Script.Press("OK");
    ShowOkMessage("Caption", "Text");
    EXPECT_TRUE(MessageBoxShown);
}

// ---- Unable to save --------------------------------------------------------------------------

TEST(UnableToSaveTest, CancelledSaveAsKeepsTheBoxOpenAndDiscardGivesUp) {
    TScriptedModals Script;
    Script.Press("&Save As...").Then(CloseBox()).Press("&Discard");
    std::filesystem::path Name = "h.txt";
    EXPECT_FALSE(ShowUnableToSaveMessage(lkHistoryList, Name));
    EXPECT_EQ(Name, "h.txt");
    ASSERT_EQ(Script.Shown().size(), 2u);
    EXPECT_EQ(Script.Shown()[1].ClassName, "QFileDialog");
    EXPECT_EQ(Script.Unanswered(), 0);
    EXPECT_EQ(Script.StepsLeft(), 0);
}

TEST(UnableToSaveTest, SaveAsHandsBackThePickedNameAsItsBytes) {
    test::TTempDir Dir;
    for (const char* File : {"elsewhere.txt", "caf\xC3\xA9.txt", "caf\xE9.txt"}) {
        const std::filesystem::path Picked = Dir.Path() / File;
        TScriptedModals Script;
        Script.Press("&Save As...").Then(ChooseFiles({Picked}));
        std::string Name = "f.txt";
        EXPECT_TRUE(ShowUnableToSaveMessage(lkFavouritesList, Name));
        EXPECT_EQ(Name, Picked.string());
        EXPECT_EQ(Script.Unanswered(), 0);
    }
}

TEST(UnableToSaveTest, DismissingTheDefaultToolbarsMessageGivesUp) {
    for (const bool UseEsc : {true, false}) {
        TScriptedModals Script;
        Script.Then(UseEsc ? PressEscape() : CloseBox());
        std::filesystem::path Name = "t.txt";
        EXPECT_FALSE(ShowUnableToSaveMessage(lkDefaultToolbars, Name));
        EXPECT_EQ(Name, "t.txt");
    }
}

// ---- Placement and plain messages ------------------------------------------------------------

TEST(ReplaceOccurrenceTest, StaysInsideTheWorkAreaOfTheMonitorHoldingThePoint) {
    // A second monitor to the right of a 1920-wide first one.
    const TRect Second{1920, 0, 3200, 1024};
    struct TCase {
        int Left, Top, Offset, Width, Height;
        TPoint Expected;
    };
    const TCase Cases[] = {
        {2000, 100, 20, 300, 120, {2000, 120}}, // room below and to the right
        {3100, 100, 20, 300, 120, {2900, 120}}, // pulled back from the right edge
        {2000, 950, 20, 300, 120, {2000, 830}}, // no room below: above the point
        {2900, 100, 20, 300, 120, {2900, 120}}, // right edge exactly reached
    };
    for (const TCase& C : Cases) {
        const TPoint P = PlaceBelowPoint(C.Left, C.Top, C.Offset, C.Width, C.Height, Second);
        EXPECT_EQ(P, C.Expected) << C.Left << "," << C.Top;
    }
}

TEST(ReplaceOccurrenceTest, TheBoxOpensBelowThePoint) {
    QPoint Where;
    TScriptedModals Script;
    Script.Then(ActOn<TMessageForm>([&Where](TMessageForm& Form) {
        Where = Form.pos();
        EXPECT_TRUE(Form.LaidOut());
    }));
    Script.Press("&No");
    EXPECT_EQ(AskReplaceOccurrence(40, 50, 16), raNo);
    EXPECT_EQ(Where, QPoint(40, 66));
}

TEST(PlainMessageTest, UsesASystemBoxCaptionedKorvid) {
    TScriptedModals Script;
    Script.Then(ActOn<QMessageBox>([](QMessageBox& Box) { Box.accept(); }));
    ShowPlainMessage("Started twice");
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "Korvid");
    EXPECT_FALSE(Script.Last().Message.has_value());
}

TEST(PlainMessageTest, LastErrorTextJoinsPrefixAndSystemText) {
    errno = ENOENT;
    const std::string Text = LastErrorText("Opening");
    EXPECT_EQ(Text.rfind("Opening:\r", 0), 0u);
    EXPECT_GT(Text.size(), std::string("Opening:\r").size());
}

} // namespace
} // namespace korvid
