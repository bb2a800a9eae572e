#include "FormFixture.h"

#include "editor/Editor.h"
#include "ui/CommandBars.h"
#include "workspace/DefaultMenus.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"
#include "workspace/ToolbarList.h"
#include "workspace/ToolbarSettings.h"

#include <QCoreApplication>
#include <QTest>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

void RunTool(int Tool) {
    ToolList().Items(Tool)->Execute();
}

TEST_F(TProgramFormTest, ParagraphMarksToggleWithTheToolsDownState) {
    MakeProgramForm();
    Form->OpenFile(File("doc.txt", "text"), false, {});
    TDocumentEditor& Editor = *Form->ActiveEditor();
    for (const bool Shown : {true, false}) {
        RunTool(T::ViewParagraphMarks);
        EXPECT_EQ(Editor.ShowsParagraphMarks(), Shown);
        EXPECT_EQ(ToolDown(T::ViewParagraphMarks), Shown);
    }
}

TEST_F(TProgramFormTest, BringLineToMiddlePutsTheCaretLineJustAboveTheMiddle) {
    MakeProgramForm();
    Form->resize(800, 600);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    std::string Text;
    for (int Line = 1; Line <= 300; ++Line)
        Text += "line " + std::to_string(Line) + "\r\n";
    Form->OpenFile(File("doc.txt", Text), false, {});
    QCoreApplication::processEvents();
    TEngCustomEditor& Engine =
        static_cast<TEditorDocument*>(Form->ActiveEditor())->Control().Editor();
    Form->ActiveEditor()->MoveCaretTo(200, 1);
    RunTool(T::ViewBringLineToMiddle);
    const int Visible = Engine.GetVisibleLines();
    ASSERT_GT(Visible, 4);
    const int Row = 200 - Engine.GetTopLine(); // 0-based row of the caret line on the screen
    EXPECT_LT(Row, Visible / 2);
    EXPECT_GE(Row, Visible / 4);
}

// The stored and the shown toolbars, by name: visible, docked and which dock.
struct TBarState {
    std::string Name;
    bool Visible;
    bool Docked;
    int Dock;
    friend bool operator==(const TBarState&, const TBarState&) = default;
};

class TResetToolbarsTest : public TFormTest {
protected:
    std::vector<TBarState> Shown() const {
        std::vector<TBarState> States;
        for (int Index = 0; Index < Form->BarsAndMenus().Toolbars().Count(); ++Index) {
            const TCommandBar& Bar = *Form->BarsAndMenus().Toolbars().Items(Index);
            States.push_back({Bar.Caption().toStdString(), !Bar.isHidden(),
                              Bar.DockedTo() != nullptr,
                              Form->BarsAndMenus().DockIndex(Bar.DockedTo())});
        }
        return States;
    }
    static std::vector<TBarState> Defaults() {
        std::vector<TBarState> States;
        for (const TDefaultToolbar& Bar : CreateDefaultMenus().Toolbars)
            States.push_back({Bar.Name, Bar.Visible, Bar.Docked, Bar.Docked ? Bar.Dock : 0});
        return States;
    }
    // Moves the second bar to the left dock and hides the first.
    void Disarrange() {
        Form->BarsAndMenus().Toolbars().Items(1)->SetDockedTo(Form->BarsAndMenus().LeftDock());
        Form->BarsAndMenus().Toolbars().Items(0)->setVisible(false);
        Form->BarsAndMenus().SaveToolbars();
        ASSERT_NE(Shown(), Defaults());
    }
    void CheckDefaults() {
        EXPECT_EQ(Shown(), Defaults());
        const std::vector<TToolbarLayout> Stored = LoadToolbarLayouts();
        ASSERT_EQ(Stored.size(), Defaults().size());
        for (std::size_t Index = 0; Index < Stored.size(); ++Index)
            EXPECT_EQ(Stored[Index].Name, Defaults()[Index].Name);
    }
};

TEST_F(TResetToolbarsTest, ResetRestoresTheFiveDefaults) {
    MakeForm();
    Disarrange();
    RunTool(T::ViewResetToolbars);
    QCoreApplication::processEvents();
    CheckDefaults();
    EXPECT_EQ(Form->BarsAndMenus().Toolbars().Count(), 5);
}

// The bar holding the clicked button is freed by the reset; the click must return first.
TEST_F(TResetToolbarsTest, ResetFromAToolbarButton) {
    MakeForm();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    Disarrange();
    TCommandBar& Bar = *Form->BarsAndMenus().Toolbars().Items(1);
    Form->BarsAndMenus().BuildToolbar(Bar, {"ViewResetToolbars"});
    TToolButton* Button = nullptr;
    for (QObject* Child : Bar.children())
        if (auto* Candidate = dynamic_cast<TToolButton*>(Child);
            Candidate && Candidate->Tool()->Index() == T::ViewResetToolbars)
            Button = Candidate;
    ASSERT_NE(Button, nullptr);
    QTest::mouseClick(Button, Qt::LeftButton, {}, Button->rect().center());
    QCoreApplication::processEvents();
    CheckDefaults();
}

} // namespace
} // namespace korvid::test
