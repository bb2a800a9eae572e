#include "FormFixture.h"

#include "devtools/debugger/DebuggingBar.h"
#include "workspace/SearchFolderForm.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCursor>

#include <string>
#include <vector>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

// What a user could see change after a command.
struct TWindowState {
    std::vector<std::string> Text;
    int SelectionLength = 0;
    bool Modified = false;
    bool ReadOnly = false;
    int Tabs = 0;
    int ActiveTab = -1;
    std::string Title;
    bool StatusBarVisible = false;
    std::string Clipboard;
    std::vector<bool> ToolStates;
    // Messages, programs and folders handed to the desktop, and files marked for comparison.
    std::size_t OutsideCalls = 0;
    std::array<std::string, 2> ComparisonSlots;
    bool DebuggingBarVisible = false;
    int DebuggingTab = 0;
    bool operator==(const TWindowState&) const = default;
};

// Tools that may find nothing to do in the busy document: nothing is indented, the first use
// only anchors, the stand-in editor's lines are its paragraphs and it knows no delimiters, the
// caret already is at the last edit, no word is an auto-text abbreviation, the stand-in editor
// does not scroll, the toolbars already are the defaults, and nothing is selected in the
// Favourites bar.
bool MayFindNothingToDo(int Tool) {
    return Tool == T::FormatUnindent || Tool == T::EditAnchorSelection ||
           Tool == T::FormatAsSeparateParagraphs || Tool == T::EditSelectDelimitedText ||
           Tool == T::EditGoToLastEdit || Tool == T::FormatAutoText ||
           Tool == T::EditGoToLastError || Tool == T::ViewBringLineToMiddle ||
           Tool == T::ViewResetToolbars || Tool == T::SubversionDiff || Tool == T::SubversionLog ||
           // Without a volume in the favourites or the document the filer does not show.
           Tool == T::ViewPSystemFiler ||
           // Without a map there is no declaration to find or to go back from, and no source
           // to search.
           Tool == T::DebugFindDeclaration || Tool == T::DebugUndoFindDeclaration ||
           Tool == T::DebugFindInCurrentSources ||
           // The bar that ViewDebuggingBar left shown already shows its first page.
           Tool == T::DebugGoToBreakpointsTab;
}

class TToolsTest : public TFormTest {
protected:
    QPlainTextEdit* Edit() const {
        return static_cast<TPlainTextEditor*>(Form->ActiveEditor())->TextEdit();
    }

    void Select(int From, int To) {
        QTextCursor Cursor = Edit()->textCursor();
        Cursor.setPosition(From);
        Cursor.setPosition(To, QTextCursor::KeepAnchor);
        Edit()->setTextCursor(Cursor);
    }

    // A named, modified document with a selection, an undo and a redo step, and text on the
    // clipboard: a state in which every built command has something to do.
    void OpenBusyDocument() {
        Form->OpenFile(File("doc.txt", "alpha beta\r\ngamma"), false, {});
        TDocumentEditor* Editor = Form->ActiveEditor();
        Editor->MoveCaretTo(1, 1);
        Editor->InsertTextAtCaret("1");
        Editor->MoveCaretTo(2, 1);
        Editor->InsertTextAtCaret("2");
        Editor->Undo();
        Select(1, 6);
        QApplication::clipboard()->setText("clip");
        Form->UpdateCommandStates();
    }

    TWindowState State() const {
        TWindowState S;
        if (TDocumentEditor* Editor = Form->ActiveEditor()) {
            S.Text = Editor->Paragraphs();
            S.SelectionLength = Editor->HasSelection() ? Editor->GetSelTextLen() : 0;
            S.Modified = Editor->Modified();
            S.ReadOnly = Editor->ReadOnly();
        }
        S.Tabs = Form->TabCount();
        S.ActiveTab = Form->Tabs()->currentIndex();
        S.Title = Form->windowTitle().toStdString();
        S.StatusBarVisible = !Form->statusBar()->isHidden();
        S.Clipboard = QApplication::clipboard()->text().toStdString();
        for (int Index = 0; Index < ToolList().Count(); ++Index) {
            const TKorvidTool* Tool = ToolList().Items(Index);
            S.ToolStates.push_back(Tool->Enabled());
            S.ToolStates.push_back(Tool->Down());
            S.ToolStates.push_back(Tool->Hidden());
        }
        S.OutsideCalls = MailSent.size() + Opened.size();
        S.ComparisonSlots = Form->FileTools().ComparisonSlots();
        S.DebuggingBarVisible = Form->DebuggerWindow().IsDebuggingBarVisible();
        S.DebuggingTab = static_cast<int>(Form->DebuggerWindow().DebuggingBar().ActiveTab());
        return S;
    }
};

// Every built-in tool, run on a document, does something a user can see; none does nothing at
// all, and none says it is not there.
TEST_F(TToolsTest, EveryToolActs) {
    for (int Index = 0; Index < ToolList().Count(); ++Index) {
        // Its button only opens the auto-text drop-down; the tool itself runs nothing.
        if (Index == T::FormatAutoTextDropDown)
            continue;
        // It edits the program's own views, which this window's stand-in catalogue has none
        // of; the views dialog's tests run it on the program's.
        if (Index == T::ViewDefineViews)
            continue;
        MakeForm();
        OpenBusyDocument();
        TKorvidTool* Tool = ToolList().Items(Index);
        SCOPED_TRACE(Tool->Name());
        const TWindowState Before = State();
        // A tool its state disables (a search-result tool without results) may do nothing.
        const bool Enabled = ToolEnabled(Index) && !MayFindNothingToDo(Index);
        TScriptedModals Dialogs; // every dialog is recorded and closed unanswered
        Tool->Execute();
        const auto& Shown = Dialogs.Shown();
        if (Enabled) {
            EXPECT_TRUE(!Shown.empty() || !(State() == Before)) << "did nothing";
        }
        for (const auto& Dialog : Shown)
            if (Dialog.Message) {
                EXPECT_EQ(Dialog.Message->Text.find("not supported"), std::string::npos)
                    << Dialog.Message->Text;
            }
        Form.reset();
    }
}

// Opening a folder waits for the folder search, and says so.
TEST_F(TToolsTest, OpeningAFolderShowsTheFindInFolderDialog) {
    TKorvidFormSetup Setup;
    Setup.WorkArea = QRect(0, 0, 1920, 1040);
    Form = std::make_unique<TKorvidForm>(std::move(Setup));
    std::filesystem::create_directory(Dir / "src");
    TScriptedModals Dialogs;
    Dialogs.Press("Cancel");
    Form->OpenFile((Dir / "src").string(), false, {});
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "Find in Folder");
    EXPECT_EQ(Form->SearchResults().SearchFolderForm().Folder(), (Dir / "src").string());
    EXPECT_EQ(Form->TabCount(), 0);
}

// The clipboard commands work on the active document; a read-only one is only copied from.
TEST_F(TToolsTest, ClipboardCommandsFollowTheDocument) {
    MakeForm();
    Form->OpenFile(File("doc.txt", "alpha beta"), false, {});
    Select(0, 5);
    ToolList().Items(T::EditCopy)->Execute();
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha");
    Select(6, 10);
    ToolList().Items(T::EditPaste)->Execute();
    EXPECT_EQ(ActiveText(), "alpha alpha");
    Select(0, 6);
    ToolList().Items(T::EditCut)->Execute();
    EXPECT_EQ(ActiveText(), "alpha");
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha ");
    ToolList().Items(T::EditSelectAll)->Execute();
    EXPECT_EQ(Form->ActiveEditor()->GetSelTextLen(), 5);
    EXPECT_TRUE(ToolEnabled(T::EditCut));

    Form->ActiveEditor()->SetReadOnly(true);
    Form->UpdateCommandStates();
    EXPECT_FALSE(ToolEnabled(T::EditCut));
    EXPECT_FALSE(ToolEnabled(T::EditPaste));
    EXPECT_TRUE(ToolEnabled(T::EditCopy));
    ToolList().Items(T::EditCut)->Execute();
    ToolList().Items(T::EditPaste)->Execute();
    EXPECT_EQ(ActiveText(), "alpha");
    QApplication::clipboard()->clear();
    ToolList().Items(T::EditCopy)->Execute();
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha");
}

} // namespace
} // namespace korvid::test
