#include "FormFixture.h"

#include "app/EditorDocument.h"
#include "editor/Editor.h"
#include "views/View.h"
#include "views/ViewList.h"
#include "workspace/PickTabForm.h"
#include "workspace/ToolIndexes.h"

#include "ui/HackedDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTreeWidget>

namespace korvid::test {
namespace {

// The window with the program's own editor control in every tab.
class TEditorDocumentTest : public TProgramFormTest {
protected:
    TEditor& Control() { return static_cast<TEditorDocument*>(Form->ActiveEditor())->Control(); }
};

TEST_F(TEditorDocumentTest, OpensEditsAndSavesThroughTheEditorControl) {
    MakeProgramForm();
    const auto Name = File("a.txt", "alpha\r\nbeta\r\n");
    Form->OpenFile(Name, false, {});
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs(), (std::vector<std::string>{"alpha", "beta", ""}));
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
    EXPECT_EQ(Control().View(), &Views->List().GetDefaultView());

    Form->ActiveEditor()->MoveCaretTo(2, 1);
    Form->ActiveEditor()->InsertTextAtCaret("B");
    EXPECT_TRUE(Form->ActiveEditor()->Modified());
    EXPECT_EQ(Form->StatusPanelText(3), "Modified");
    ASSERT_TRUE(Form->SaveActiveFile());
    EXPECT_EQ(ReadFileBytes(Name), "alpha\r\nBbeta\r\n"); // its final line end is kept
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
}

TEST_F(TEditorDocumentTest, SaveAsTakesTheViewOfTheNewExtension) {
    MakeProgramForm();
    auto Pascal = std::make_unique<TView>();
    Pascal->SetName("Pascal");
    Pascal->Wildcards = "*.pas";
    TView& PascalView = Views->List().Add(std::move(Pascal));
    Form->NewTab("File 1");
    Form->ActiveEditor()->InsertTextAtCaret("program p;");
    TScriptedModals Modals;
    Modals.Then(ChooseFiles({Dir / "p.pas"}));
    ASSERT_TRUE(Form->SaveEditorAs(Form->ActiveEditor()));
    EXPECT_EQ(Control().View(), &PascalView);
    EXPECT_EQ(ReadFileBytes(Dir / "p.pas").substr(0, 10), "program p;");
}

TEST_F(TEditorDocumentTest, CtrlKeysRunTheirToolsFromTheEditor) {
    MakeProgramForm();
    const auto Name = File("k.txt", "k");
    Form->OpenFile(Name, false, {});
    Form->ActiveEditor()->InsertTextAtCaret("x");
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
    QApplication::sendEvent(&Control(), &Press);
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
    EXPECT_EQ(ReadFileBytes(Name), "xk");
}

// Ctrl+Tab and Ctrl+Shift+Tab pressed in a document go round the tabs instead of typing a tab,
// and the keyboard follows into the new tab's text.
TEST_F(TEditorDocumentTest, CtrlTabAndCtrlShiftTabGoRoundTheTabs) {
    MakeProgramForm();
    for (const char* Name : {"a.txt", "b.txt", "c.txt"})
        Form->OpenFile(File(Name, Name), false, {});
    ASSERT_EQ(Form->TabCount(), 3);
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Form->Tabs()->setCurrentIndex(0);
    ASSERT_EQ(QApplication::focusWidget(), &Control());
    struct TStep {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Tab;
    };
    const Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const TStep Steps[] = {
        {Qt::Key_Tab, Qt::ControlModifier, 1},
        {Qt::Key_Tab, Qt::ControlModifier, 2},
        {Qt::Key_Tab, Qt::ControlModifier, 0}, // from the last round to the first
        {Qt::Key_Backtab, CtrlShift, 2},       // and back again
        {Qt::Key_Backtab, CtrlShift, 1},
        {Qt::Key_Tab, CtrlShift, 0}, // Shift+Tab as a plain Tab with Shift
    };
    for (const TStep& Step : Steps) {
        QTest::keyClick(QApplication::focusWidget(), Step.Key, Step.Modifiers);
        EXPECT_EQ(Form->ActiveTabIndex(), Step.Tab);
        EXPECT_EQ(QApplication::focusWidget(), &Control()) << "in tab " << Step.Tab;
    }
    for (int Index = 0; Index < Form->TabCount(); ++Index) {
        EXPECT_FALSE(Form->EditorAt(Index)->Modified()) << Index;
        EXPECT_EQ(Form->EditorAt(Index)->Paragraphs().front().size(), 5u) << Index;
    }
    // Ctrl+PageUp and Ctrl+PageDown still move in the document.
    for (const Qt::Key Key : {Qt::Key_PageUp, Qt::Key_PageDown}) {
        QTest::keyClick(&Control(), Key, Qt::ControlModifier);
        EXPECT_EQ(Form->ActiveTabIndex(), 0);
    }
}

// The tab's "*" says whether the text differs from the file: undo back to what was saved clears
// it, redo past that sets it again.
TEST_F(TEditorDocumentTest, TheModifiedMarkFollowsUndoAndRedoAcrossASave) {
    MakeProgramForm();
    Form->Options().MarkModifiedTabs = true;
    const auto Name = File("m.txt", "base");
    Form->OpenFile(Name, false, {});
    QTest::keyClicks(&Control(), "a");
    QApplication::processEvents();
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"m.txt *"}));
    ASSERT_TRUE(Form->SaveActiveFile());
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"m.txt"}));
    QTest::keyClicks(&Control(), "b");
    struct TStep {
        void (TKorvidForm::*Command)();
        const char* Text;
        const char* Caption;
    };
    const TStep Steps[] = {
        {nullptr, "abbase", "m.txt *"},
        {&TKorvidForm::EditUndo, "abase", "m.txt"},
        {&TKorvidForm::EditUndo, "base", "m.txt *"},
        {&TKorvidForm::EditRedo, "abase", "m.txt"},
        {&TKorvidForm::EditRedo, "abbase", "m.txt *"},
        {&TKorvidForm::EditUndo, "abase", "m.txt"},
    };
    for (const TStep& Step : Steps) {
        if (Step.Command)
            (Form.get()->*Step.Command)();
        QApplication::processEvents(); // the editor reports its state once the step is done
        EXPECT_EQ(ActiveText(), Step.Text);
        EXPECT_EQ(TabCaptions(), (std::vector<std::string>{Step.Caption})) << Step.Text;
        EXPECT_EQ(Form->StatusPanelText(3),
                  std::string(Step.Caption).back() == '*' ? "Modified" : "")
            << Step.Text;
    }
    EXPECT_EQ(ReadFileBytes(Name), "abase");
}

// What a search found stays as found until the user frees the tab with the Read Only tool,
// as Apply Changes needs.
TEST_F(TEditorDocumentTest, SearchResultsOpenReadOnlyUntilTheReadOnlyToolFreesThem) {
    MakeProgramForm();
    std::filesystem::create_directories(Dir / "T");
    const auto Target = File("T/a.txt", "one\r\nfoo\r\n");
    Form->SearchResults().FindInFiles({}, {}, 0, 0, false, false, false, false, "foo", "txt",
                                      (Dir / "T").string());
    TDocumentEditor& Results = *Form->ActiveEditor();
    ASSERT_TRUE(Results.SearchResults);
    const std::vector<std::string> Found = Results.Paragraphs();
    ASSERT_EQ(Found.back(), "     2 foo");
    EXPECT_TRUE(Results.ReadOnly());
    EXPECT_TRUE(ToolDown(ToolIndex::FileReadOnly));
    QTest::keyClicks(&Control(), "x");
    EXPECT_EQ(Results.Paragraphs(), Found);
    EXPECT_FALSE(Results.Modified());

    ToolList().Items(ToolIndex::FileReadOnly)->Execute();
    EXPECT_FALSE(Results.ReadOnly());
    Results.MoveCaretTo(static_cast<int>(Found.size()), 11);
    QTest::keyClicks(&Control(), "d");
    EXPECT_EQ(Results.Paragraphs().back(), "     2 food");

    Form->OpenFile(Target, false, {});
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TPickTabForm>(
        [](TPickTabForm& Picker) { Picker.List()->topLevelItem(0)->setSelected(true); }));
    Dialogs.Press("OK");
    ToolList().Items(ToolIndex::EditApplyChanges)->Execute();
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs(), (std::vector<std::string>{"one", "food", ""}));
}

// Alt and a menu's letter opens that menu from the text, unless a tool has the key.
TEST_F(TEditorDocumentTest, AltAndAMenusLetterOpensItsMenu) {
    MakeProgramForm();
    Form->OpenFile(File("m.txt", "m"), false, {});
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QMenuBar* Bar = Form->menuBar();
    for (QAction* Menu : Bar->actions()) {
        const QKeySequence Mnemonic = QKeySequence::mnemonic(Menu->text());
        if (Mnemonic.isEmpty())
            continue;
        SCOPED_TRACE(Menu->text().toStdString());
        const auto Key = static_cast<Qt::Key>(Mnemonic[0].key());
        QTest::keyClick(&Control(), Key, Qt::AltModifier);
        ASSERT_NE(Menu->menu(), nullptr);
        EXPECT_TRUE(Menu->menu()->isVisible());
        Menu->menu()->close();
        Bar->setActiveAction(nullptr);
    }
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs(), (std::vector<std::string>{"m"}));
}

// The debugger names source lines: the control keeps its marks by display line, so a wrapped
// paragraph above moves them down.
TEST_F(TEditorDocumentTest, TheDebuggersMarksAndMovesFollowParagraphs) {
    MakeProgramForm();
    TView& View = Views->List().GetDefaultView();
    View.SetWrapColumn(10);
    View.SetWrapType(vwAtColumn);
    Form->OpenFile(File("Demo.vp", "alpha beta gamma delta\r\nx := 1;\r\nend;\r\n"), false, {});
    TDocumentEditor& Editor = *Form->ActiveEditor();
    Control().ApplyView();
    const int Line2 = Editor.ParaToLine(2);
    ASSERT_GT(Line2, 2);

    Editor.AddLineMarker(2, false);
    Editor.AddLineMarker(3, true);
    EXPECT_EQ(Control().LineMarkers, (std::vector<int>{Line2, -(Line2 + 1)}));
    EXPECT_EQ(Editor.LineMarkers(), (std::vector<int>{2, -3}));
    Editor.ClearExecutionPoint(true);
    EXPECT_EQ(Editor.LineMarkers(), (std::vector<int>{2, 3}));
    Editor.ClearLineMarkers();
    EXPECT_TRUE(Control().LineMarkers.empty());

    Editor.MoveCaretToLine(2);
    EXPECT_EQ(Editor.CaretLine(), 2);
    Editor.MoveCaretToLine(40); // to the last paragraph, the empty one after the final line end
    EXPECT_EQ(Editor.CaretLine(), 4);

    // The window finds the document whatever the case of the map's name for it.
    Form->NewTab("File 1");
    EXPECT_TRUE(Form->DebuggerWindow().ActivateTabOfSource((Dir / "DEMO.VP").string()));
    EXPECT_EQ(Form->ActiveEditor(), &Editor);
    EXPECT_EQ(Form->DebuggerWindow().SourceEditors().size(), 2u);
}

} // namespace
} // namespace korvid::test
