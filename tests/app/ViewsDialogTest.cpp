#include "FormFixture.h"

#include "editor/Editor.h"
#include "ui/HackedDialogs.h"
#include "views/DefineViewForm.h"
#include "views/ViewList.h"
#include "views/ViewsForm.h"
#include "workspace/ToolIndexes.h"

#include <QCheckBox>
#include <QMenu>
#include <QSpinBox>

#include <functional>
#include <string>
#include <vector>

namespace korvid::test {
namespace {

// The Define Views command on the window with the program's own editor control and views.
class TViewsDialogTest : public TProgramFormTest {
protected:
    TView* Pascal = nullptr;

    void SetUp() override {
        TProgramFormTest::SetUp();
        MakeProgramForm();
        auto View = std::make_unique<TView>();
        View->SetName("Pascal");
        View->Wildcards = "*.pas";
        Pascal = &Views->List().Add(std::move(View));
        Form->BuildViewsMenu();
    }

    TEditor& Control(int Tab) const {
        return static_cast<TEditorDocument*>(Form->EditorOfTab(Form->Tabs()->widget(Tab)))
            ->Control();
    }
    const TDocumentView* ShownView(int Tab) const {
        return Form->EditorOfTab(Form->Tabs()->widget(Tab))->View();
    }

    struct TMenuItem {
        std::string Text;
        bool Checked;
        bool operator==(const TMenuItem&) const = default;
    };
    std::vector<TMenuItem> ViewsMenu() const {
        std::vector<TMenuItem> Items;
        for (QAction* Action : Form->BarsAndMenus().ViewsMenu()->actions())
            Items.push_back({Action->text().toStdString(), Action->isChecked()});
        return Items;
    }

    static TModalStep OnViewsForm(std::function<void(TViewsForm&)> Action) {
        return ActOn<TViewsForm>(std::move(Action));
    }

    // Runs the command with the steps queued; the dialog must have been the views dialog.
    void DefineViews(TScriptedModals& Modals) {
        ToolList().Items(ToolIndex::ViewDefineViews)->Execute();
        ASSERT_FALSE(Modals.Shown().empty());
        EXPECT_EQ(Modals.Shown().front().Caption, "Define Views");
        EXPECT_EQ(Modals.Unanswered(), 0);
        EXPECT_EQ(Modals.StepsLeft(), 0);
    }
};

// Both tabs lose the view before it is freed; the sanitizers catch any pointer left to it.
TEST_F(TViewsDialogTest, DeletingAViewShownInTwoTabsSwitchesBothToTheDefaultView) {
    Form->OpenFile(File("a.pas", "begin"), false, {});
    Form->OpenFile(File("b.pas", "end."), false, {});
    ASSERT_EQ(Form->TabCount(), 2);
    ASSERT_EQ(Control(0).View(), Pascal);
    ASSERT_EQ(Control(1).View(), Pascal);
    TView& Default = Views->List().GetDefaultView();

    TScriptedModals Modals;
    Modals
        .Then(OnViewsForm([this](TViewsForm& Dialog) {
            EXPECT_EQ(Dialog.GetSelectedView(), Pascal); // the active editor's view
            Dialog.DeleteButton()->click();
        }))
        .Press("&Yes")
        .Press("Close");
    DefineViews(Modals);
    Pascal = nullptr;
    for (int Tab = 0; Tab < 2; ++Tab) {
        SCOPED_TRACE(Tab);
        EXPECT_EQ(Control(Tab).View(), &Default);
        ASSERT_NE(ShownView(Tab), nullptr);
        EXPECT_EQ(ShownView(Tab)->Source, &Default);
        EXPECT_EQ(ShownView(Tab)->Name, "Plain Text");
    }
    EXPECT_EQ(Views->List().Count(), 1);
    EXPECT_EQ(ViewsMenu(), (std::vector<TMenuItem>{{"Plain Text", true}}));
    // A file named for the deleted view now opens in the default one.
    Form->OpenFile(File("c.pas", ""), false, {});
    EXPECT_EQ(Control(2).View(), &Default);
}

TEST_F(TViewsDialogTest, ChangingAShownViewChangesItsEditorsAtOnce) {
    Form->OpenFile(File("a.pas", "begin"), false, {});
    Form->OpenFile(File("b.pas", "end."), false, {});
    Form->OpenFile(File("c.txt", "text"), false, {});
    const int PlainSize = Control(2).FixedFont().Size();
    const int PlainTabs = Control(2).Editor().TabSize();
    TScriptedModals Modals;
    Modals
        .Then(OnViewsForm([this](TViewsForm& Dialog) {
            Dialog.SelectView(Pascal);
            Dialog.ModifyButton()->click();
        }))
        .Then(ActOn<TDefineViewForm>([](TDefineViewForm& Define) {
            Define.TabStopsEdit()->setValue(3);
            Define.FontSizeEdit()->setValue(17);
            Define.SaveAsUnixCheck()->setChecked(true);
            Define.accept();
        }))
        .Press("Close");
    DefineViews(Modals);
    for (int Tab = 0; Tab < 2; ++Tab) {
        SCOPED_TRACE(Tab);
        EXPECT_EQ(Control(Tab).Editor().TabSize(), 3);
        EXPECT_EQ(Control(Tab).FixedFont().Size(), 17);
        // The window saves by what it sees of the view.
        EXPECT_TRUE(ShownView(Tab)->SaveAsUnix);
    }
    EXPECT_EQ(Control(2).Editor().TabSize(), PlainTabs);
    EXPECT_EQ(Control(2).FixedFont().Size(), PlainSize);
}

// The chosen view stays the document's: a later Save As under another extension keeps it.
TEST_F(TViewsDialogTest, ApplyShowsTheChosenViewInTheActiveDocument) {
    Form->OpenFile(File("notes.txt", "text"), false, {});
    ASSERT_EQ(ShownView(0)->Name, "Plain Text");
    TScriptedModals Modals;
    Modals.Then(OnViewsForm([this](TViewsForm& Dialog) {
        EXPECT_EQ(Dialog.GetSelectedView()->Name(), "Plain Text");
        Dialog.SelectView(Pascal);
        Dialog.ApplyButton()->click();
    }));
    DefineViews(Modals);
    EXPECT_EQ(Control(0).View(), Pascal);
    EXPECT_EQ(ShownView(0)->Source, Pascal);
    EXPECT_TRUE(Form->ActiveEditor()->ViewChosenByUser);
    EXPECT_EQ(ViewsMenu(), (std::vector<TMenuItem>{{"Pascal", true}, {"Plain Text", false}}));

    TScriptedModals SaveAs;
    SaveAs.Then(ChooseFiles({Dir / "notes.txt2"}));
    ASSERT_TRUE(Form->SaveEditorAs(Form->ActiveEditor()));
    EXPECT_EQ(Control(0).View(), Pascal);
    EXPECT_EQ(ShownView(0)->Source, Pascal);
}

// Close keeps what was changed and applies nothing.
TEST_F(TViewsDialogTest, ANewViewIsKeptButNotApplied) {
    Form->OpenFile(File("notes.txt", "text"), false, {});
    TScriptedModals Modals;
    Modals.Then(OnViewsForm([](TViewsForm& Dialog) { Dialog.NewButton()->click(); }))
        .Press("OK")
        .Press("Close");
    DefineViews(Modals);
    EXPECT_EQ(Views->List().Count(), 3);
    EXPECT_EQ(ShownView(0)->Name, "Plain Text");
    EXPECT_FALSE(Form->ActiveEditor()->ViewChosenByUser);
    EXPECT_EQ(ViewsMenu(), (std::vector<TMenuItem>{
                               {"New View", false}, {"Pascal", false}, {"Plain Text", true}}));
}

} // namespace
} // namespace korvid::test
