#include "views/ViewsForm.h"

#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "views/DefineViewForm.h"
#include "views/ViewList.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace korvid {
namespace {

class TViewsFormTest : public ::testing::Test {
protected:
    TViewList Views;
    TViewsForm Form;
    // What the window was told, with the view's name read while it still existed.
    std::vector<std::pair<std::string, int>> Told;
    TScriptedModals Unexpected;

    void SetUp() override {
        Views.GetDefaultView();
        Form.OnViewChanged = [this](TView& View, int Kind) {
            Told.emplace_back(View.Name(), Kind);
        };
    }
    void TearDown() override {
        for (const auto& Shown : Unexpected.Shown())
            ADD_FAILURE() << "unexpected dialog: " << Shown.Caption;
    }

    TView& AddView(std::string_view Name) {
        auto View = std::make_unique<TView>();
        View->SetName(Name);
        return Views.Add(std::move(View));
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> Result;
        for (int Row = 0; Row < Form.ViewsList()->count(); ++Row)
            Result.push_back(Form.ViewsList()->item(Row)->text().toStdString());
        return Result;
    }

    std::string Selected() const {
        const TView* View = Form.GetSelectedView();
        return View ? View->Name() : "(none)";
    }

    static TModalStep Rename(std::string Name) {
        return ActOn<TDefineViewForm>([Name](TDefineViewForm& Define) {
            Define.NameEdit()->setText(QString::fromStdString(Name));
            Define.accept();
        });
    }
};

TEST_F(TViewsFormTest, TheDefaultViewCanBeModifiedAndAppliedButNotDeleted) {
    Form.SetViews(Views);
    EXPECT_EQ(Selected(), "Plain Text");
    EXPECT_TRUE(Form.ModifyButton()->isEnabled());
    EXPECT_TRUE(Form.ApplyButton()->isEnabled());
    EXPECT_FALSE(Form.DeleteButton()->isEnabled());
    Form.SelectView(nullptr);
    EXPECT_FALSE(Form.ModifyButton()->isEnabled());
    EXPECT_FALSE(Form.ApplyButton()->isEnabled());
    EXPECT_EQ(Form.windowTitle(), "Define Views");
    EXPECT_TRUE(Form.ApplyButton()->isDefault());
}

TEST_F(TViewsFormTest, TheListIsSortedIgnoringCase) {
    AddView("beta");
    AddView("Alpha");
    AddView("gamma");
    Form.SetViews(Views);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Alpha", "beta", "gamma", "Plain Text"}));
    Form.SelectView(&Views.GetView(3));
    EXPECT_EQ(Selected(), "gamma");
    EXPECT_TRUE(Form.DeleteButton()->isEnabled());
}

// A new view cannot be taken back: the cancel button becomes Close and the view stays.
TEST_F(TViewsFormTest, ANewViewIsAddedAndSelected) {
    Form.SetViews(Views);
    TScriptedModals Steps;
    Steps.Press("Cancel").Press("OK").Press("Close");
    Form.NewButton()->click(); // cancelled
    EXPECT_EQ(Views.Count(), 1);
    EXPECT_EQ(Form.CloseButton()->text(), "Cancel");
    Form.NewButton()->click();
    ASSERT_EQ(Views.Count(), 2);
    EXPECT_EQ(Views.GetView(1).Name(), "New View");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"New View", "Plain Text"}));
    EXPECT_EQ(Selected(), "New View");
    EXPECT_EQ(Form.CloseButton()->text(), "Close");
    EXPECT_EQ(RunModal(Form), TViewsForm::CloseResult);
    EXPECT_EQ(Views.Count(), 2);
    EXPECT_TRUE(Told.empty());
    EXPECT_EQ(Steps.Unanswered(), 0);
}

TEST_F(TViewsFormTest, DeletingSelectsTheItemAtTheSamePlaceOrTheNewLast) {
    AddView("Alpha");
    AddView("Zulu");
    Form.SetViews(Views);
    TScriptedModals Steps;
    Steps.Press("&Yes").Press("&Yes");
    Form.SelectView(&Views.GetView(2)); // Zulu, the last item
    Form.DeleteButton()->click();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Alpha", "Plain Text"}));
    EXPECT_EQ(Selected(), "Plain Text");
    Form.SelectView(&Views.GetView(1)); // Alpha, the only other view
    Form.DeleteButton()->click();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Plain Text"}));
    EXPECT_EQ(Selected(), "Plain Text");
    EXPECT_EQ(Views.Count(), 1);
    EXPECT_FALSE(Form.DeleteButton()->isEnabled());
    EXPECT_EQ(Told, (std::vector<std::pair<std::string, int>>{{"Zulu", 1}, {"Alpha", 1}}));
    EXPECT_EQ(Form.CloseButton()->text(), "Close");
    ASSERT_EQ(Steps.Shown().size(), 2u);
    EXPECT_EQ(Steps.Shown()[0].Message->Text.rfind("Do you want to delete the view \"Zulu\"?", 0),
              0u);
}

TEST_F(TViewsFormTest, AnsweringNoKeepsTheView) {
    TView& Alpha = AddView("Alpha");
    Form.SetViews(Views);
    Form.SelectView(&Alpha);
    TScriptedModals Steps;
    Steps.Press("&No");
    Form.DeleteButton()->click();
    EXPECT_EQ(Views.Count(), 2);
    EXPECT_EQ(Selected(), "Alpha");
    EXPECT_TRUE(Told.empty());
    EXPECT_EQ(Form.CloseButton()->text(), "Cancel");
    EXPECT_EQ(Steps.Unanswered(), 0);
}

TEST_F(TViewsFormTest, ARenamedViewIsRecaptionedAndTheListStaysSorted) {
    TView& Alpha = AddView("Alpha");
    AddView("Mike");
    Form.SetViews(Views);
    Form.SelectView(&Alpha);
    TScriptedModals Steps;
    Steps.Then(Rename("Zulu"));
    Form.ModifyButton()->click();
    EXPECT_EQ(Alpha.Name(), "Zulu");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Mike", "Plain Text", "Zulu"}));
    EXPECT_EQ(Selected(), "Zulu");
    EXPECT_EQ(Told, (std::vector<std::pair<std::string, int>>{{"Zulu", 0}}));
    EXPECT_EQ(Form.CloseButton()->text(), "Close");
}

// Cancel in the define-view dialog leaves the view and the window alone.
TEST_F(TViewsFormTest, ACancelledModifyChangesNothing) {
    TView& Alpha = AddView("Alpha");
    Alpha.SetTabStops(3);
    Form.SetViews(Views);
    Form.SelectView(&Alpha);
    TScriptedModals Steps;
    Steps.Then(ActOn<TDefineViewForm>([](TDefineViewForm& Define) {
        Define.NameEdit()->setText("Renamed");
        Define.TabStopsEdit()->setValue(6);
        Define.reject();
    }));
    Form.ModifyButton()->click();
    EXPECT_EQ(Alpha.Name(), "Alpha");
    EXPECT_EQ(Alpha.TabStops(), 3);
    EXPECT_TRUE(Told.empty());
    EXPECT_EQ(Form.CloseButton()->text(), "Cancel");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Alpha", "Plain Text"}));
}

TEST_F(TViewsFormTest, ApplyAndCancelAnswerTheirResults) {
    Form.SetViews(Views);
    for (const auto& [Caption, Result] :
         {std::pair{"Apply", TViewsForm::ApplyResult}, {"Cancel", TViewsForm::CloseResult}}) {
        TScriptedModals Steps;
        Steps.Press(Caption);
        EXPECT_EQ(RunModal(Form), Result) << Caption;
    }
    TScriptedModals Steps;
    Steps.Then(PressEscape());
    EXPECT_EQ(RunModal(Form), TViewsForm::CloseResult);
}

} // namespace
} // namespace korvid
