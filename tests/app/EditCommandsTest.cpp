#include "FormFixture.h"

#include "app/EditorDocument.h"
#include "editor/Editor.h"
#include "foundation/DateTimeUnit.h"
#include "platform/Cp1252.h"
#include "ui/HackedDialogs.h"
#include "views/View.h"
#include "views/ViewList.h"
#include "workspace/PickTabForm.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

namespace korvid::test {
namespace {

namespace T = ToolIndex;
using TLines = std::vector<std::string>;

// Tool n of a group whose tools run 1 ... 9, 0.
int Numbered(int First, int Number) {
    return First + (Number == 0 ? 9 : Number - 1);
}

void RunTool(int Tool) {
    ToolList().Items(Tool)->Execute();
}

// Where the caret and the selection stand: selection ends (display line, position), whether
// the caret is at its end, and the caret.
struct TSelectionState {
    int StartLine = 0, StartCol = 0, EndLine = 0, EndCol = 0;
    bool CaretAtEnd = false;
    int CaretLine = 0, CaretPos = 0;
    friend bool operator==(const TSelectionState&, const TSelectionState&) = default;
};

TSelectionState SelectionOf(const TDocumentEditor& Editor) {
    TSelectionState S;
    Editor.GetSelectionAndCaretEnd(S.StartLine, S.StartCol, S.EndLine, S.EndCol, S.CaretAtEnd);
    S.CaretLine = Editor.GetCaretLine();
    S.CaretPos = Editor.CaretPosInLine();
    return S;
}

// The window with the program's editor control, as the commands meet it.
class TEditCommandsTest : public TProgramFormTest {
protected:
    void SetUp() override {
        TProgramFormTest::SetUp();
        MakeProgramForm();
    }

    TView& DefaultView() { return Views->List().GetDefaultView(); }
    TDocumentEditor& Doc() const { return *Form->ActiveEditor(); }
    TEditor& Control() const { return static_cast<TEditorDocument&>(Doc()).Control(); }
    TLines Text() const { return Doc().Paragraphs(); }

    TDocumentEditor& Open(std::string_view Name, std::string_view Bytes) {
        Form->OpenFile(File(Name, Bytes), false, {});
        return Doc();
    }
    void Activate(TDocumentEditor& Editor) {
        Form->Tabs()->setCurrentWidget(Form->TabOfEditor(&Editor));
    }
};

// ---- Case change --------------------------------------------------------------------------------

TEST_F(TEditCommandsTest, CaseChangeWalksWordByWord) {
    TDocumentEditor& E = Open("words.txt", "hello world");
    E.MoveCaretTo(1, 3);
    RunTool(T::FormatUpperCase);
    EXPECT_EQ(Text(), TLines{"Hello world"});
    EXPECT_FALSE(E.HasSelection());
    EXPECT_EQ(E.CaretPosInLine(), 7); // at "w"
    RunTool(T::FormatUpperCase);
    EXPECT_EQ(Text(), TLines{"Hello World"});
    E.Undo();
    EXPECT_EQ(Text(), TLines{"Hello world"});
    E.Undo();
    EXPECT_EQ(Text(), TLines{"hello world"});
}

TEST_F(TEditCommandsTest, CaseChangeKeepsASelectionAndItsCaretEnd) {
    TDocumentEditor& E = Open("two.txt", "abc\r\ndef");
    for (const bool CaretAtEnd : {false, true}) {
        SCOPED_TRACE(CaretAtEnd);
        E.SetSelection(1, 2, 2, 3, CaretAtEnd);
        const TSelectionState Before = SelectionOf(E);
        RunTool(T::FormatUpperCase);
        EXPECT_EQ(Text(), (TLines{"aBC", "DEf"}));
        EXPECT_EQ(SelectionOf(E), Before);
        E.Undo();
        EXPECT_EQ(Text(), (TLines{"abc", "def"}));
    }
}

TEST_F(TEditCommandsTest, OppositeCaseSwapsAsciiLettersOnly) {
    TDocumentEditor& E = Open("mixed.txt", "aB1\xE9_");
    E.SelectAll();
    RunTool(T::FormatOppositeCase);
    EXPECT_EQ(Text(), TLines{"Ab1\xE9_"});
    RunTool(T::FormatLowerCase);
    EXPECT_EQ(Text(), TLines{"ab1\xE9_"});
}

TEST_F(TEditCommandsTest, CaseChangeLeavesAnEmptyDocumentAlone) {
    Form->NewTab("File 1");
    for (const int Tool : {T::FormatUpperCase, T::FormatLowerCase, T::FormatOppositeCase})
        RunTool(Tool);
    EXPECT_EQ(Text(), TLines{""});
    EXPECT_FALSE(Doc().CanUndo());
}

// ---- Clipboards ---------------------------------------------------------------------------------

TEST_F(TEditCommandsTest, ClipboardTextIsUnicodeWithCrLfParagraphEnds) {
    const std::string Smile = MakeEscape(u'\u263A');
    TDocumentEditor& E = Open("smile.txt", "a" + Smile + "\r\nb");
    E.SelectAll();
    RunTool(T::EditCopy);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a\u263A\r\nb"));

    QApplication::clipboard()->setText(QString::fromUtf8("\u263A!"));
    E.MoveCaretTo(2, 2);
    RunTool(T::EditPaste);
    EXPECT_EQ(Text(), (TLines{"a" + Smile, "b" + Smile + "!"}));
}

TEST_F(TEditCommandsTest, AppendPutsTheSelectionAfterTheClipboardText) {
    TDocumentEditor& E = Open("append.txt", "one two");
    QApplication::clipboard()->setText("start ");
    E.SetSelection(1, 1, 1, 4, true);
    RunTool(T::EditCopyAppend);
    EXPECT_EQ(QApplication::clipboard()->text(), "start one");
    E.SetSelection(1, 4, 1, 8, true);
    RunTool(T::EditCutAppend);
    EXPECT_EQ(QApplication::clipboard()->text(), "start one two");
    EXPECT_EQ(Text(), TLines{"one"});
    // No text on the clipboard counts as empty.
    QApplication::clipboard()->clear();
    E.SelectAll();
    RunTool(T::EditCopyAppend);
    EXPECT_EQ(QApplication::clipboard()->text(), "one");
}

TEST_F(TEditCommandsTest, AReadOnlyDocumentIsOnlyCopiedFrom) {
    TDocumentEditor& E = Open("ro.txt", "fixed");
    E.SetReadOnly(true);
    QApplication::clipboard()->setText("clip");
    E.SelectAll();
    for (const int Tool : {T::EditPaste, T::EditCut, T::EditCutAppend})
        RunTool(Tool);
    EXPECT_EQ(Text(), TLines{"fixed"});
    EXPECT_EQ(QApplication::clipboard()->text(), "clip");
    RunTool(T::EditCopyAppend);
    EXPECT_EQ(QApplication::clipboard()->text(), "clipfixed");
}

TEST_F(TEditCommandsTest, ExtraClipboardsTakeTheLowestFreeNumber) {
    Form->NewTab("File 1");
    auto Tabs = [this] { return Form->Clipboards().Tabs(); };
    for (int Count = 0; Count < 3; ++Count)
        RunTool(T::EditNewClipboard);
    // Closing Clipboard 2 frees its number for the next one.
    Form->Tabs()->setCurrentWidget(Tabs()[2]);
    ASSERT_TRUE(Form->CloseTab());
    EXPECT_EQ(Tabs()[2], nullptr);
    RunTool(T::EditNewClipboard);
    ASSERT_NE(Tabs()[2], nullptr);
    EXPECT_EQ(Form->Tabs()->tabText(Form->Tabs()->indexOf(Tabs()[2])), "Clipboard 2");
    // After 9 comes 0, and then there is no room.
    for (int Count = 0; Count < 6; ++Count)
        RunTool(T::EditNewClipboard);
    EXPECT_EQ(Tabs()[0], nullptr);
    RunTool(T::EditNewClipboard);
    ASSERT_NE(Tabs()[0], nullptr);
    EXPECT_EQ(Form->Tabs()->tabText(Form->Tabs()->indexOf(Tabs()[0])), "Clipboard 0");
    EXPECT_FALSE(ToolEnabled(T::EditNewClipboard));
    const int Count = Form->TabCount();
    RunTool(T::EditNewClipboard);
    EXPECT_EQ(Form->TabCount(), Count);
}

TEST_F(TEditCommandsTest, PastingAClipboardInsertsItsWholeText) {
    TDocumentEditor& Target = Open("target.txt", "keep [old] keep");
    RunTool(T::EditNewClipboard);
    Doc().InsertTextAtCaret("first\r\nsecond");
    Activate(Target);
    Target.SetSelection(1, 6, 1, 11, true);
    RunTool(T::EditPasteClipboard1);
    EXPECT_EQ(Text(), (TLines{"keep first", "second keep"}));
    Target.Undo();
    EXPECT_EQ(Text(), TLines{"keep [old] keep"});
    RunTool(T::EditPasteClipboard2); // no such clipboard
    EXPECT_EQ(Text(), TLines{"keep [old] keep"});
}

// ---- Bookmarks ----------------------------------------------------------------------------------

TEST_F(TEditCommandsTest, ABookmarkSetInAnotherTabMovesOnlyWhenTheUserAgrees) {
    TDocumentEditor& A = Open("a.txt", "a1\r\na2\r\na3");
    TDocumentEditor& B = Open("b.txt", "b1\r\nb2");
    Activate(A);
    A.MoveCaretTo(2, 1);
    RunTool(T::EditToggleBookmark3);
    EXPECT_TRUE(A.IsBookmarkSet(3));
    Activate(B);
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&No");
        RunTool(T::EditToggleBookmark3);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, "Toggle Bookmark");
        EXPECT_TRUE(A.IsBookmarkSet(3));
        EXPECT_FALSE(B.IsBookmarkSet(3));
    }
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&Yes");
        RunTool(T::EditToggleBookmark3);
        EXPECT_FALSE(A.IsBookmarkSet(3));
        EXPECT_TRUE(B.IsBookmarkSet(3));
    }
    // Going to it from the other tab brings its tab forward.
    Activate(A);
    RunTool(T::EditGoToBookmark3);
    EXPECT_EQ(Form->ActiveEditor(), &B);
    // On its own line it is cleared without a question.
    RunTool(T::EditToggleBookmark3);
    EXPECT_FALSE(B.IsBookmarkSet(3));
}

TEST_F(TEditCommandsTest, TheAutomatedBookmarkTakesTheFirstFreeNumber) {
    Form->Options().BookmarkZero = true;
    TDocumentEditor& Other = Open("other.txt", "o");
    RunTool(T::EditToggleBookmark1);
    TDocumentEditor& E = Open("auto.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10");
    E.MoveCaretTo(4, 1);
    RunTool(T::EditToggleBookmark0);
    EXPECT_FALSE(E.IsBookmarkSet(0));
    EXPECT_FALSE(E.IsBookmarkSet(1)); // taken in the other document
    int Col = 0;
    EXPECT_EQ(E.GetMarkerPosition(2, Col), 4);
    RunTool(T::EditToggleBookmark0);
    EXPECT_FALSE(E.IsBookmarkSet(2));
    EXPECT_TRUE(Other.IsBookmarkSet(1));

    for (int Number = 2; Number <= 9; ++Number) {
        E.MoveCaretTo(Number, 1);
        RunTool(Numbered(T::EditToggleBookmark1, Number));
    }
    E.MoveCaretTo(10, 1);
    TScriptedModals Dialogs;
    RunTool(T::EditToggleBookmark0);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "Add Automated Bookmark");
    EXPECT_EQ(Dialogs.Last().Message->Text, "All nine bookmarks are already in use.");
}

TEST_F(TEditCommandsTest, WithoutTheOptionBookmarkZeroIsAnOrdinaryBookmark) {
    TDocumentEditor& E = Open("zero.txt", "z1\r\nz2");
    E.MoveCaretTo(2, 1);
    RunTool(T::EditToggleBookmark0);
    EXPECT_TRUE(E.IsBookmarkSet(0));
    EXPECT_FALSE(E.IsBookmarkSet(1));
    E.MoveCaretTo(1, 1);
    RunTool(T::EditGoToBookmark0);
    EXPECT_EQ(E.GetCaretLine(), 2);
}

// ---- Applying changes ---------------------------------------------------------------------------

TEST_F(TEditCommandsTest, ChangeLinesNameTheParagraphTheyReplace) {
    const TLines Twelve = {"l1", "l2", "l3", "l4",  "l5",  "l6",
                           "l7", "l8", "l9", "l10", "l11", "l12"};
    struct TCase {
        std::string Line;
        int Para; // 0: nothing changes
        std::string Text;
    };
    const TCase Cases[] = {
        {"000012 new text", 12, "new text"},
        {"    12 new text", 12, "new text"},
        {"000003\tx", 3, "x"},
        {"000004", 4, ""},
        {"abc123 new text", 0, ""},
        {"000000 zero", 0, ""},
        {"000013 beyond", 0, ""},
        {"-00001 minus", 0, ""},
        {"", 0, ""},
    };
    TDocumentEditor& E = Open("twelve.txt", "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6\r\nl7\r\nl8\r\nl9\r\n"
                                            "l10\r\nl11\r\nl12");
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        E.SetParagraphs(Twelve);
        Form->SearchResults().ApplyChangeLines(E, {Case.Line});
        TLines Expected = Twelve;
        if (Case.Para)
            Expected[Case.Para - 1] = Case.Text;
        EXPECT_EQ(Text(), Expected);
    }
}

TEST_F(TEditCommandsTest, ApplyChangesTakesTheListingFromAPickedTab) {
    TDocumentEditor& Listing = Open("changes.txt", "000001 first\r\n000003 last");
    TDocumentEditor& E = Open("target.txt", "one\r\ntwo\r\nthree");
    Open("unrelated.txt", "x");
    Activate(E);
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TPickTabForm>([](TPickTabForm& Picker) {
        QTreeWidget& List = *Picker.List();
        ASSERT_EQ(List.topLevelItemCount(), 2); // every tab but the target
        EXPECT_EQ(Picker.findChild<QLabel*>()->text().toStdString(),
                  "&Tab listing the changes to be applied:");
        for (int Row = 0; Row < List.topLevelItemCount(); ++Row)
            if (List.topLevelItem(Row)->text(0) == "changes.txt")
                List.topLevelItem(Row)->setSelected(true);
    }));
    Dialogs.Press("OK");
    RunTool(T::EditApplyChanges);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "Apply Changes to Current File");
    // The last paragraph is replaced without gaining a line end.
    EXPECT_EQ(Text(), (TLines{"first", "two", "last"}));
    EXPECT_EQ(E.ParaCount(), 3);
    E.Undo();
    EXPECT_EQ(Text(), (TLines{"one", "two", "three"}));
    EXPECT_EQ(Listing.Paragraphs(), (TLines{"000001 first", "000003 last"}));
}

// ---- Format -------------------------------------------------------------------------------------

TEST_F(TEditCommandsTest, CommentingNeedsTheViewsMarker) {
    Open("plain.txt", "code");
    TScriptedModals Dialogs;
    RunTool(T::FormatAsComment);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "Format As Comment");
    EXPECT_EQ(Dialogs.Last().Message->Text,
              "First set up the comment marker character(s) in the current view.");
    EXPECT_EQ(Text(), TLines{"code"});

    DefaultView().CommentMarker = "// ";
    Open("marked.txt", "code");
    RunTool(T::FormatAsComment);
    EXPECT_EQ(Text(), TLines{"// code"});
}

// Each command does to the document what its editor call does to the same document.
TEST_F(TEditCommandsTest, CommandsActAsTheirEditorCalls) {
    DefaultView().OpeningDelimiter = "(";
    DefaultView().ClosingDelimiter = ")";
    struct TCase {
        int Tool;
        std::function<void(TEditor&)> Call;
    };
    const TCase Cases[] = {
        {T::FormatIndent, [](TEditor& C) { C.FormatIndent(); }},
        {T::FormatUnindent, [](TEditor& C) { C.FormatUnindent(); }},
        {T::FormatCentre, [](TEditor& C) { C.FormatCentre(); }},
        {T::FormatAsOneParagraph, [](TEditor& C) { C.FormatAsOneParagraph(); }},
        {T::FormatAsSeparateParagraphs, [](TEditor& C) { C.FormatAsSeparateParagraphs(); }},
        {T::EditSelectAll, [](TEditor& C) { C.Editor().SelectAll(true); }},
        {T::EditSelectDelimitedText, [](TEditor& C) { C.SelectDelimitedText(); }},
        {T::EditGoToLastEdit, [](TEditor& C) { C.GoToLastEdit(); }},
        {T::EditDeleteWord, [](TEditor& C) { C.DeleteWordLeft(); }},
    };
    // Each document has had an edit, then gets a selection or only a caret.
    auto Prepare = [](TDocumentEditor& E, bool Selected) {
        E.SetParagraphs({"  alpha (beta gamma) delta", "  epsilon", "zeta"});
        E.MoveCaretTo(3, 5);
        E.InsertTextAtCaret("!");
        if (Selected)
            E.SetSelection(1, 5, 2, 4, false);
        else
            E.MoveCaretTo(1, 14);
    };
    for (const TCase& Case : Cases)
        for (const bool Selected : {true, false}) {
            SCOPED_TRACE(ToolList().Items(Case.Tool)->Name() + (Selected ? " selected" : ""));
            Form->NewTab("by tool");
            Prepare(Doc(), Selected);
            RunTool(Case.Tool);
            const TLines ByTool = Text();
            const TSelectionState ToolSelection = SelectionOf(Doc());
            Form->NewTab("by call");
            Prepare(Doc(), Selected);
            Case.Call(Control());
            EXPECT_EQ(ByTool, Text());
            EXPECT_EQ(ToolSelection, SelectionOf(Doc()));
        }
}

TEST_F(TEditCommandsTest, AnchorSelectionSelectsFromTheAnchorToTheCaret) {
    TDocumentEditor& E = Open("anchor.txt", "first\r\nsecond");
    E.MoveCaretTo(1, 3);
    RunTool(T::EditAnchorSelection);
    EXPECT_FALSE(E.HasSelection());
    E.MoveCaretTo(2, 2);
    RunTool(T::EditAnchorSelection);
    EXPECT_EQ(E.SelectedText(), "rst\r\ns");
}

TEST_F(TEditCommandsTest, DeleteWordTakesTheWordBeforeTheCaret) {
    TDocumentEditor& E = Open("delete.txt", "one two three");
    E.MoveCaretTo(1, 9);
    RunTool(T::EditDeleteWord);
    EXPECT_EQ(Text(), TLines{"one three"});
    E.SetReadOnly(true);
    RunTool(T::EditDeleteWord);
    EXPECT_EQ(Text(), TLines{"one three"});
}

TEST_F(TEditCommandsTest, AutoTextExpandsAKnownAbbreviationOnly) {
    DefaultView().AutoText.Add({"beg", '|', "Begin block", "begin|end", 0});
    DefaultView().AutoText.Add({"beg", 0, "Second", "never", 0});
    struct TCase {
        std::string Line;
        std::string Expected;
    };
    const TCase Cases[] = {
        {"x beg", "x beginend"},
        {"x.beg", "x.beginend"}, // a view delimiter ends the word
        {"beg", "beginend"},
        {"x Beg", "x Beg"},   // case matters
        {"x abeg", "x abeg"}, // the whole word must match
        {"x ", "x "},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        Form->NewTab("auto");
        Doc().SetParagraphs({Case.Line});
        Doc().MoveCaretTo(1, int(Case.Line.size()) + 1);
        RunTool(T::FormatAutoText);
        EXPECT_EQ(Text(), TLines{Case.Expected});
        if (Case.Expected != Case.Line) {
            EXPECT_EQ(Doc().CaretPosInLine(), int(Case.Line.size()) + 3); // at the "|"
            Doc().Undo();
            EXPECT_EQ(Text(), TLines{Case.Line});
        }
    }
}

// ---- Insert -------------------------------------------------------------------------------------

TEST_F(TEditCommandsTest, DateAndTimeFollowTheirTemplates) {
    Form->Options().DateFormat = "{date:long}";
    Form->Options().TimeFormat = "{time:long}";
    const TDateTimeValue At{2024, 3, 5, 14, 7, 9, 0};
    Form->NewTab("File 1");
    RunTool(T::InsertDate);
    EXPECT_EQ(Text(), TLines{ExpandDateTimeTemplate("{date:long}", At)});
    Form->NewTab("File 2");
    RunTool(T::InsertTime);
    EXPECT_EQ(Text(), TLines{ExpandDateTimeTemplate("{time:long}", At)});
}

TEST_F(TEditCommandsTest, FileNamesInsertWithAndWithoutTheirFolder) {
    Form->NewTab("File 1");
    RunTool(T::InsertFilename);
    RunTool(T::InsertPathname);
    EXPECT_EQ(Text(), TLines{""});

    std::filesystem::create_directory(Dir / "dir");
    const std::string Name = File("dir/name.txt", "");
    Form->OpenFile(Name, false, {});
    RunTool(T::InsertFilename);
    EXPECT_EQ(Text(), TLines{"name.txt"});
    Doc().SetParagraphs({""});
    RunTool(T::InsertPathname);
    EXPECT_EQ(Text(), TLines{Doc().FileName});

    for (const std::string Volume : {"/v/DISK.VOL>NAME.TEXT", "/v/DISK.VOL>SUB:NAME.TEXT"}) {
        SCOPED_TRACE(Volume);
        Doc().FileName = Volume;
        Doc().SetParagraphs({""});
        RunTool(T::InsertFilename);
        EXPECT_EQ(Text(), TLines{"NAME.TEXT"});
    }
}

TEST_F(TEditCommandsTest, InsertFileInsertsTheChosenFilesText) {
    const std::string Inserted = File("inserted.txt", "new\r\nlines");
    TDocumentEditor& E = Open("host.txt", "ab");
    E.MoveCaretTo(1, 2);
    {
        TScriptedModals Dialogs;
        Dialogs.Then(ChooseFiles({Inserted}));
        RunTool(T::InsertFile);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, "Insert File");
    }
    EXPECT_EQ(Text(), (TLines{"anew", "linesb"}));
    {
        TScriptedModals Dialogs;
        Dialogs.Then(ChooseFiles({Dir / "missing.txt"})).Press("OK");
        RunTool(T::InsertFile);
        ASSERT_EQ(Dialogs.Shown().size(), 2u);
        EXPECT_NE(Dialogs.Last().Message->Text.find("missing.txt"), std::string::npos);
    }
    EXPECT_EQ(Text(), (TLines{"anew", "linesb"}));
}

// ---- Help ---------------------------------------------------------------------------------------

class THelpCommandsTest : public TFormTest {};

// The manual is looked for beside the program, then where an installed prefix keeps it.
TEST_F(THelpCommandsTest, ProgramHelpOpensTheManualsIndex) {
    HelpFolder = Dir / "bin";
    MakeForm();
    const auto Beside = Dir / "bin" / "manual" / "index.html";
    const auto Installed = Dir / "share" / "korvid" / "manual" / "index.html";
    {
        TScriptedModals Dialogs;
        RunTool(T::HelpKorvidHelp);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, "Korvid Help");
        EXPECT_EQ(Dialogs.Last().Message->Text,
                  "The Korvid manual could not be found: looked for " + Beside.string() + " and " +
                      Installed.string() + ".");
        EXPECT_TRUE(Opened.empty());
    }
    for (const auto& Page : {Installed, Beside}) {
        std::filesystem::create_directories(Page.parent_path());
        WriteFileBytes(Page, "<html></html>");
        Opened.clear();
        RunTool(T::HelpKorvidHelp);
        EXPECT_EQ(Opened, (std::vector<std::string>{Page.string()}));
    }
    EXPECT_TRUE(HelpShown.empty());
}

TEST_F(THelpCommandsTest, ProgramHelpSaysWhenNoProgramShowsTheManual) {
    Services.Opener = std::make_unique<TRecordingOpener>(Opened, false);
    MakeForm();
    const auto Index = Dir / "manual" / "index.html";
    std::filesystem::create_directories(Index.parent_path());
    WriteFileBytes(Index, "<html></html>");
    TScriptedModals Dialogs;
    RunTool(T::HelpKorvidHelp);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Message->Text,
              "Korvid could not find a program to show the help file \"" + Index.string() + "\".");
}

// The built manual, as the program finds it beside itself.
class TManualHelpTest : public TFormTest {
protected:
    const std::filesystem::path Manual = std::filesystem::path(KORVID_PROGRAM_FOLDER) / "manual";
    void SetUp() override {
        TFormTest::SetUp();
        HelpFolder = KORVID_PROGRAM_FOLDER;
        MakeForm();
    }
};

TEST_F(TManualHelpTest, F1OpensTheIndexPage) {
    RunTool(T::HelpKorvidHelp);
    EXPECT_EQ(Opened, (std::vector<std::string>{(Manual / "index.html").string()}));
}

// The word at the caret opens the page its index entry names, whatever its case; a word the
// index does not name opens the index itself.
TEST_F(TManualHelpTest, HelpOnTheCurrentWordOpensItsPage) {
    const struct {
        const char* Text;
        std::string Expected;
    } Cases[] = {
        {"x := default;", (Manual / "vbat.html").string() + "#default"},
        {"x := DEFAULT;", (Manual / "vbat.html").string() + "#default"},
        {"x := FileCompareFiles;", (Manual / "started.html").string() + "#FileCompareFiles"},
        {"x := zwirbelquast;", (Manual / "index.html").string()},
    };
    int Number = 0;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        Form->OpenFile(File("w" + std::to_string(++Number) + ".txt", Case.Text), false, {});
        Form->ActiveEditor()->MoveCaretTo(1, 7);
        Opened.clear();
        RunTool(T::HelpOnCurrentWord);
        EXPECT_EQ(Opened, (std::vector<std::string>{Case.Expected}));
    }
}

// A compiled help file opens whole; another kind is asked for the word at the caret.
TEST_F(THelpCommandsTest, HelpOnTheCurrentWordUsesTheViewsHelpFile) {
    struct TCase {
        std::string HelpFile;
        std::optional<std::string> Keyword;
    };
    const TCase Cases[] = {{"x.chm", std::nullopt}, {"x.CHM", std::nullopt}, {"x.hlp", "beta"}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.HelpFile);
        const std::string HelpFile = File(Case.HelpFile, "help");
        TDocumentView View;
        View.HelpFile = HelpFile;
        Form.reset();
        MakeForm({View});
        Form->OpenFile(File("w.txt", "alpha beta"), false, {});
        Form->ActiveEditor()->MoveCaretTo(1, 8);
        HelpShown.clear();
        RunTool(T::HelpOnCurrentWord);
        EXPECT_EQ(HelpShown, (std::vector<THelpShown>{{HelpFile, Case.Keyword}}));
        std::filesystem::remove(HelpFile);
    }
    // A help file that is gone leaves the word to the manual, missing here.
    HelpShown.clear();
    TScriptedModals Dialogs;
    RunTool(T::HelpOnCurrentWord);
    EXPECT_TRUE(HelpShown.empty());
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_NE(Dialogs.Last().Message->Text.find("manual could not be found"), std::string::npos);
}

} // namespace
} // namespace korvid::test
