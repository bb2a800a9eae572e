#include "FormFixture.h"

#include "editor/Editor.h"
#include "editor/EditorHooks.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/support/StandInProcess.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTabWidget>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

// Two sources of one map, in the order the debugger lists them.
class TFindInCurrentSourcesTest : public TProgramFormTest {
protected:
    std::string SourceA, SourceB;

    void LoadTwoSourceMap() {
        SourceA = File("a.vp", "program Alpha;\r\nvar total: integer;\r\nbegin\r\n"
                               "  Total := totals + 1;\r\nend.\r\n");
        SourceB = File("b.vp", "unit Beta;\r\n  TOTAL := 0;\r\n");
        LoadMap({"|L2| P", Segment("A", SourceA), Entry(2, "1:0 x"), Segment("B", SourceB),
                 Entry(2, "1:0 y")});
    }
    void LoadMap(const std::vector<std::string>& Lines) {
        std::string Text;
        for (const std::string& Line : Lines)
            Text += Line + "\r\n";
        Form->Debugger().LoadMapFile(File("MAP.txt", Text));
        ASSERT_TRUE(Form->Debugger().MapLoaded());
    }
    std::string ActiveCaption() const {
        return Form->Tabs()->tabText(Form->Tabs()->currentIndex()).toStdString();
    }
    // What a search for the word "total" over the two sources lists.
    std::vector<std::string> TotalResults(const std::string& Term) const {
        return {"3 matches for \"" + Term + "\"",
                "",
                "",
                "",
                SourceA + "  (2 matches)",
                "     2 var total: integer;",
                "     4   Total := totals + 1;",
                "",
                SourceB + "  (1 match)",
                "     2   TOTAL := 0;"};
    }
    TEditor& Control() { return static_cast<TEditorDocument*>(Form->ActiveEditor())->Control(); }
    // A left click at the middle of the character at (Line, Column) of the active document.
    void Click(Qt::KeyboardModifiers Modifiers, int Line, int Column) {
        TEditor& Editor = Control();
        TEngCustomEditor& E = Editor.Editor();
        const QPoint At(E.LeftMargin() + (Column - 1) * E.CharWidth() + E.CharWidth() / 2,
                        (Line - E.TopLine()) * E.LineHeight() + E.LineHeight() / 2);
        QWidget* Viewport = Editor.viewport();
        QCursor::setPos(Viewport->mapToGlobal(At));
        QMouseEvent Press(QEvent::MouseButtonPress, At, Viewport->mapToGlobal(At), Qt::LeftButton,
                          Qt::LeftButton, Modifiers);
        QApplication::sendEvent(Viewport, &Press);
        QMouseEvent Release(QEvent::MouseButtonRelease, At, Viewport->mapToGlobal(At),
                            Qt::LeftButton, Qt::NoButton, Modifiers);
        QApplication::sendEvent(Viewport, &Release);
    }
};

// Alt+F6 lists the identifier at the caret in every source of the map, case ignored and as a
// whole word, in the find-in-files results form.
TEST_F(TFindInCurrentSourcesTest, TheToolListsTheIdentifierAtTheCaretInTheSources) {
    MakeForm();
    LoadTwoSourceMap();
    Form->OpenFile(SourceA, false, {});
    Form->ActiveEditor()->MoveCaretTo(2, 7);
    ToolList().Items(T::DebugFindInCurrentSources)->Execute();

    EXPECT_EQ(ActiveCaption(), "Find: total");
    TDocumentEditor& Results = *Form->ActiveEditor();
    EXPECT_EQ(Results.Paragraphs(), TotalResults("total"));
    EXPECT_TRUE(Results.SearchResults);
    EXPECT_EQ(Results.GetSectionNameForLine(6), SourceA);
    EXPECT_EQ(Results.GetSectionNameForLine(10), SourceB);
}

// Without a map, or without an identifier at the caret, nothing is searched and nothing said.
TEST_F(TFindInCurrentSourcesTest, NothingHappensWithoutAMapOrAnIdentifier) {
    MakeForm();
    const std::string Source = File("a.vp", "var total: integer;\r\n  := 1;\r\n");
    Form->OpenFile(Source, false, {});
    Form->ActiveEditor()->MoveCaretTo(1, 7);
    ToolList().Items(T::DebugFindInCurrentSources)->Execute();
    Form->DebuggerWindow().FindInCurrentSources("total");
    EXPECT_EQ(Form->TabCount(), 1);

    LoadMap({"|L2| P", Segment("A", Source), Entry(1, "1:0 x")});
    Form->ActiveEditor()->MoveCaretTo(2, 1);
    ToolList().Items(T::DebugFindInCurrentSources)->Execute();
    EXPECT_EQ(Form->TabCount(), 1);
}

// A name beyond the length a dialect tells names apart by is also found inside longer words.
TEST_F(TFindInCurrentSourcesTest, LongNamesOfTheCuttingDialectsAreFoundInsideWords) {
    MakeForm();
    Form->Options().OpenSourceOnConnect = false;
    struct TCase {
        const char* Header;
        std::string Name;
        int Matches;
    };
    const TCase Cases[] = {
        {"|RW| PROG", "abcdefgh", 1},
        {"|RW| PROG", "abcdefghi", 2},
        {"|L2| P", "abcdefghijklmnopqrst", 1},
        {"|L2| P", "abcdefghijklmnopqrstu", 2},
        {"|L3| P", "abcdefghijklmnopqrstuvwxy", 1},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Header + (" " + Case.Name));
        std::string Upper = Case.Name;
        for (char& C : Upper)
            C = char(C - 'a' + 'A');
        const std::string Source = File("s.vp", Upper + " := 1;\r\n" + Case.Name + "z := 2;\r\n");
        const std::string Name =
            std::string(Case.Header).starts_with("|RW|") ? "\"" + Source + "\"" : Source;
        LoadMap({Case.Header, Segment("S", Name), Entry(1, "1:0 x")});
        Form->DebuggerWindow().FindInCurrentSources(Case.Name);
        ASSERT_EQ(Form->TabCount(), 1);
        EXPECT_EQ(Form->ActiveEditor()->Paragraphs().front(),
                  std::to_string(Case.Matches) + (Case.Matches == 1 ? " match" : " matches") +
                      " for \"" + Case.Name + "\"");
        Form->CloseTab();
    }
}

// The identifier is the word the caret is in or just after, by the view's delimiters, in the
// program's editor control and in the tests' stand-in alike.
TEST_F(TFindInCurrentSourcesTest, TheIdentifierAtTheCaret) {
    struct TCase {
        int Line, Column;
        std::string Identifier;
    };
    const TCase Cases[] = {
        {1, 1, ""},        // a blank with nothing before it
        {1, 3, "alpha"},   // the first letter
        {1, 6, "alpha"},   // inside
        {1, 8, "alpha"},   // on the dot just after
        {1, 9, "beta_2"},  // underscores and digits belong to it
        {1, 15, "beta_2"}, // on the blank just after
        {1, 16, ""},       // a delimiter after a blank
        {1, 24, "gamma"},  // on the semicolon just after
        {1, 25, ""},       // the line's end after a delimiter
        {2, 1, ""},        // an empty line
        {3, 4, "omega"},   // the line's end just after
    };
    for (const bool Program : {false, true}) {
        SCOPED_TRACE(Program ? "editor control" : "stand-in");
        if (Program)
            MakeProgramForm();
        else
            MakeForm();
        Form->NewTab("File 1");
        TDocumentEditor& Editor = *Form->ActiveEditor();
        Editor.SetParagraphs({"  alpha.beta_2 := gamma;", "", "  omega"});
        for (const TCase& Case : Cases) {
            SCOPED_TRACE(Case.Column);
            Editor.MoveCaretTo(Case.Line, Case.Column);
            EXPECT_EQ(Editor.IdentifierAtCaret(), Case.Identifier);
        }
        Form.reset();
    }
}

// Alt-click on a word of a document searches the sources for it.
TEST_F(TFindInCurrentSourcesTest, AltClickOnAWordSearchesTheSources) {
    MakeProgramForm();
    LoadTwoSourceMap();
    Form->OpenFile(SourceB, false, {});
    Form->show();
    Click(Qt::AltModifier, 2, 4);
    EXPECT_EQ(ActiveCaption(), "Find: TOTAL");
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs(), TotalResults("TOTAL"));
}

// Records what the editors hand the debugger, then passes it on to the window's own hooks.
class TRecordingHooks : public TEditorDebugger {
public:
    explicit TRecordingHooks(TEditorDebugger& Window) : FWindow(Window) { SetEditorDebugger(this); }
    ~TRecordingHooks() override { SetEditorDebugger(&FWindow); }
    bool EvaluationHintsOn() const override { return FWindow.EvaluationHintsOn(); }
    void ShowEvaluationHint(const std::string& Word, TEditor& Editor) override {
        FWindow.ShowEvaluationHint(Word, Editor);
    }
    void FindDeclaration(const std::string& Name, bool Back) override {
        Declarations.emplace_back(Name, Back);
        FWindow.FindDeclaration(Name, Back);
    }
    std::vector<std::pair<std::string, bool>> Declarations;

private:
    TEditorDebugger& FWindow;
};

// The window gives its editors the debugger's hooks for as long as it lives: Ctrl-click finds
// the declaration of the word; hints wait for a paused module.
TEST_F(TFindInCurrentSourcesTest, TheWindowHooksItsEditorsToTheDebugger) {
    EXPECT_EQ(EditorDebugger(), nullptr);
    MakeProgramForm();
    ASSERT_NE(EditorDebugger(), nullptr);
    EXPECT_FALSE(EditorDebugger()->EvaluationHintsOn());
    LoadTwoSourceMap();
    Form->OpenFile(SourceA, false, {});
    Form->show();
    {
        TRecordingHooks Hooks(*EditorDebugger());
        Click(Qt::ControlModifier, 1, 10);
        EXPECT_EQ(Hooks.Declarations,
                  (std::vector<std::pair<std::string, bool>>{{"Alpha", false}}));
    }
    EXPECT_EQ(Form->TabCount(), 1);
    Form.reset();
    EXPECT_EQ(EditorDebugger(), nullptr);
}

// A value is there to hint only while the module is paused.
TEST_F(TFindInCurrentSourcesTest, HintsAreOnWhileTheModuleIsPaused) {
    MakeForm();
    TStandInProcess Module(Dir.Path(), "Demo", {"stack-lines=A        1.0"});
    ASSERT_TRUE(Module.Started());
    TDebugger& Debugger = Form->Debugger();
    Debugger.Connect(Module.Handle());
    ASSERT_TRUE(Debugger.IsConnected());
    EXPECT_FALSE(EditorDebugger()->EvaluationHintsOn());
    Debugger.Pause();
    ASSERT_TRUE(Debugger.IsPaused());
    EXPECT_TRUE(EditorDebugger()->EvaluationHintsOn());
    Debugger.Disconnect();
    EXPECT_FALSE(EditorDebugger()->EvaluationHintsOn());
    EXPECT_EQ(Module.Quit(), 0);
}

} // namespace
} // namespace korvid::test
