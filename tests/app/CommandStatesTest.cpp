#include "FormFixture.h"

#include "workspace/ToolIndexes.h"
#include "workspace/ToolMenuItem.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCursor>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

class TCommandStatesTest : public TFormTest {
protected:
    void SetUp() override {
        TFormTest::SetUp();
        QApplication::clipboard()->setText("clip");
    }

    void Select(int From, int To) {
        auto* Edit = static_cast<TPlainTextEditor*>(Form->ActiveEditor())->TextEdit();
        QTextCursor Cursor = Edit->textCursor();
        Cursor.setPosition(From);
        Cursor.setPosition(To, QTextCursor::KeepAnchor);
        Edit->setTextCursor(Cursor);
    }
};

// Which tools are enabled in each document state.
TEST_F(TCommandStatesTest, ToolsFollowTheActiveDocument) {
    struct TRow {
        int Tool;
        bool NoTab, ReadOnlySelection, Untitled, InVolume;
    };
    const TRow Rows[] = {
        {T::FileSave, false, true, true, true},
        {T::FileClose, false, true, true, true},
        {T::FileRefresh, false, true, false, true},
        {T::FileMarkForComparison, false, true, false, true},
        {T::FileBrowseVolume, false, false, false, true},
        {T::FileExploreFolder, false, true, false, true},
        {T::InsertFilename, false, false, false, true},
        {T::InsertPathname, false, false, false, true},
        {T::InsertFile, false, false, true, true},
        {T::EditCopy, false, true, true, true},
        {T::EditCopyAppend, false, true, true, true},
        {T::EditCut, false, false, false, false},
        {T::EditCutAppend, false, false, false, false},
        {T::EditPaste, false, false, true, true},
        {T::EditUndo, false, false, true, false},
        {T::EditReplace, false, false, true, true},
        {T::FormatUpperCase, false, false, true, true},
        {T::FormatAsOneParagraph, false, false, false, false},
        {T::FormatCentre, false, false, false, false},
        {T::EditNewClipboard, true, true, true, true},
        {T::EditFindNext, false, false, false, false},
        {T::EditGoBack, false, false, false, false},
        {T::EditGoToBookmark1, false, false, false, false},
        {T::HistoryOpen, false, false, false, false},
        {T::FavouritesOpen, false, false, false, false},
        {T::ViewRunCommandLine, false, false, false, false},
    };
    MakeForm();
    const auto Check = [&](bool TRow::*State, const char* Name) {
        for (const auto& Row : Rows)
            EXPECT_EQ(ToolEnabled(Row.Tool), Row.*State)
                << Name << ": " << ToolList().Items(Row.Tool)->Name();
    };
    Form->UpdateCommandStates();
    Check(&TRow::NoTab, "no tab");
    EXPECT_FALSE(ToolDown(T::FileReadOnly));

    Form->OpenFile(File("ro.txt", "two\r\nlines\r\n"), true, {});
    Select(0, 9);
    Form->UpdateCommandStates();
    Check(&TRow::ReadOnlySelection, "read-only with selection");
    EXPECT_TRUE(ToolDown(T::FileReadOnly));
    Form->CloseTab();

    Form->NewTab("File 1");
    Type(Form->ActiveEditor(), "typed");
    Form->UpdateCommandStates();
    Check(&TRow::Untitled, "untitled");
    Form->ActiveEditor()->SetModified(false);
    Form->CloseTab();

    Form->NewTab("V");
    Form->ActiveEditor()->FileName = (Dir / "w.vol").string() + ">A.TEXT";
    Form->UpdateCommandStates();
    Check(&TRow::InVolume, "volume name");
}

TEST_F(TCommandStatesTest, BookmarksAndClipboardTabsEnableTheirTools) {
    MakeForm();
    Form->NewTab("A");
    static_cast<TPlainTextEditor*>(Form->ActiveEditor())->Bookmarks[3] = true;
    Form->Clipboards().Tabs()[0] = Form->CurrentTab();
    Form->UpdateCommandStates();
    EXPECT_TRUE(ToolEnabled(T::EditGoToBookmark3));
    EXPECT_TRUE(ToolList().Items(T::EditToggleBookmark3)->UseSecondGlyph());
    EXPECT_FALSE(ToolList().Items(T::EditToggleBookmark4)->UseSecondGlyph());
    EXPECT_TRUE(ToolEnabled(T::EditPasteClipboard0));
    EXPECT_FALSE(ToolEnabled(T::EditPasteClipboard1));
    for (auto& Slot : Form->Clipboards().Tabs())
        Slot = Form->CurrentTab();
    Form->UpdateCommandStates();
    EXPECT_FALSE(ToolEnabled(T::EditNewClipboard));
    // Closing the tab frees every slot it held.
    Form->CloseTab();
    EXPECT_TRUE(ToolEnabled(T::EditNewClipboard));
}

TEST_F(TCommandStatesTest, APassThatChangesNothingTouchesNoMenuItem) {
    MakeForm();
    Form->NewTab("A");
    Type(Form->ActiveEditor(), "text");
    Form->UpdateCommandStates();
    int Changes = 0;
    for (QAction* Action : Form->findChildren<QAction*>())
        QObject::connect(Action, &QAction::changed, [&Changes] { ++Changes; });
    Form->UpdateCommandStates();
    EXPECT_EQ(Changes, 0);
    Form->ActiveEditor()->SetModified(false);
    Form->CloseTab();
    EXPECT_GT(Changes, 0);
}

TEST_F(TCommandStatesTest, StatusPanelsDescribeTheDocument) {
    MakeForm();
    Form->Options().BackupMinutes = 5;
    Form->NewTab("A");
    Type(Form->ActiveEditor(), "ab\ncd\nef");
    const auto Panels = [this] {
        std::vector<std::string> Texts;
        for (int Index = 0; Index < TKorvidForm::StatusPanelCount; ++Index)
            Texts.push_back(Form->StatusPanelText(Index));
        return Texts;
    };
    Form->ActiveEditor()->MoveCaretTo(2, 2);
    EXPECT_EQ(Panels(), (std::vector<std::string>{"Line 2/3", "Col 2", "", "Modified", "", "", "",
                                                  "Backups", "", ""}));
    // Two whole lines selected: each paragraph end counts two.
    Select(0, 6);
    EXPECT_EQ(Form->StatusPanelText(1), "Len 8");
    Form->ActiveEditor()->SetModified(false);
    Form->ActiveEditor()->SetReadOnly(true);
    static_cast<TPlainTextEditor*>(Form->ActiveEditor())->TextEdit()->setOverwriteMode(true);
    Form->UpdateStatusBar(Form->ActiveEditor(), 1, 1);
    EXPECT_EQ(Form->StatusPanelText(3), "");
    EXPECT_EQ(Form->StatusPanelText(4), "Read-only");
    EXPECT_EQ(Form->StatusPanelText(5), "Overtype");
    // A line outside the document leaves the panels alone.
    Form->UpdateStatusBar(Form->ActiveEditor(), 9, 1);
    EXPECT_EQ(Form->StatusPanelText(4), "Read-only");
}

// On a window too narrow for every panel's room, each text still shows whole in its own panel.
TEST_F(TCommandStatesTest, OnANarrowWindowThePanelsNeverOverlap) {
    MakeForm();
    Form->Options().BackupMinutes = 5;
    Form->NewTab("A");
    Type(Form->ActiveEditor(), "ab\ncd");
    Form->ActiveEditor()->MoveCaretTo(1, 1);
    Form->resize(300, 400);
    Form->show();
    QApplication::processEvents();
    std::vector<QLabel*> Panels;
    for (QLabel* Label : Form->statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        Panels.push_back(Label);
    ASSERT_EQ(Panels.size(), std::size_t(TKorvidForm::StatusPanelCount));
    ASSERT_EQ(Panels[0]->text().toStdString(), "Line 1/2");
    int Room = 0;
    for (const QLabel* Panel : Panels)
        Room += Panel->sizeHint().width();
    ASSERT_LT(Form->statusBar()->width(), Room); // the narrow case itself
    for (std::size_t Index = 0; Index < Panels.size(); ++Index) {
        const QLabel* Panel = Panels[Index];
        SCOPED_TRACE(Panel->text().toStdString());
        if (!Panel->text().isEmpty()) {
            EXPECT_GE(Panel->width(), Panel->fontMetrics().horizontalAdvance(Panel->text()));
        }
        if (Index + 1 < Panels.size()) {
            EXPECT_LE(Panel->geometry().right(), Panels[Index + 1]->x());
        }
    }
}

TEST_F(TCommandStatesTest, StatusBarVisibilityFollowsItsCommand) {
    MakeForm();
    EXPECT_FALSE(Form->statusBar()->isHidden());
    EXPECT_TRUE(ToolDown(T::ViewStatusBar));
    Form->ViewStatusBar();
    EXPECT_TRUE(Form->statusBar()->isHidden());
    EXPECT_FALSE(ToolDown(T::ViewStatusBar));
}

TEST_F(TCommandStatesTest, PSystemAwareEnablesTheFiler) {
    MakeForm();
    for (const bool Aware : {true, false}) {
        Form->Options().PSystemAware = Aware;
        Form->ApplyPSystemAware();
        EXPECT_EQ(ToolEnabled(T::ViewPSystemFiler), Aware);
    }
}

} // namespace
} // namespace korvid::test
