#include "workspace/PickKeystrokesForm.h"

#include "tests/support/TempDir.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid::test {
namespace {

std::vector<std::string> Shown(const TPickKeystrokesForm& Form) {
    std::vector<std::string> Entries;
    for (int Row = 0; Row < Form.List()->count(); ++Row)
        Entries.push_back(Form.List()->item(Row)->text().toStdString());
    return Entries;
}

TEST(PickKeystrokesForm, FillAndSelectPicksFirstThenSecondThenTheTop) {
    const struct {
        std::vector<std::string> Entries;
        std::string First, Second, Selected;
    } Cases[] = {
        {{"a", "b", "c"}, "c", "b", "c"},
        {{"a", "b", "c"}, "x", "b", "b"},
        {{"a", "b", "c"}, "x", "y", "a"},
        {{"a", "b", "c"}, "", "", "a"},
        {{}, "a", "b", ""},
    };
    for (const auto& C : Cases) {
        TPickKeystrokesForm Form;
        Form.BaseEntries = C.Entries;
        Form.FillAndSelect(C.First, C.Second);
        EXPECT_EQ(Shown(Form), C.Entries);
        EXPECT_EQ(Form.Selected(), C.Selected) << C.First << "/" << C.Second;
        EXPECT_EQ(Form.OkButton()->isEnabled(), !C.Selected.empty());
    }
}

TEST(PickKeystrokesForm, TheSubfolderBoxShowsOrHidesSubfolderEntries) {
    TPickKeystrokesForm Form;
    Form.ShowSubfolderBox(true);
    Form.BaseEntries = {"top.json", "sub --> inner.json", "other.json"};
    // The second choice lies in a subfolder, so the box is checked to show it.
    Form.FillAndSelect("missing", "sub --> inner.json");
    EXPECT_TRUE(Form.SubfolderBox()->isChecked());
    EXPECT_EQ(Form.Selected(), "sub --> inner.json");

    Form.List()->setCurrentRow(2);
    Form.SubfolderBox()->click();
    EXPECT_EQ(Shown(Form), (std::vector<std::string>{"top.json", "other.json"}));
    EXPECT_EQ(Form.Selected(), "other.json");
    EXPECT_TRUE(Form.OkButton()->isEnabled());

    Form.SubfolderBox()->click();
    EXPECT_EQ(Shown(Form), Form.BaseEntries);
    EXPECT_EQ(Form.Selected(), "other.json");

    Form.FillAndSelect("missing", "top.json");
    EXPECT_FALSE(Form.SubfolderBox()->isChecked());
    EXPECT_EQ(Shown(Form), (std::vector<std::string>{"top.json", "other.json"}));
}

TEST(PickKeystrokesForm, AddPutsAChosenFileInOnce) {
    TTempDir Dir;
    WriteFileBytes(Dir / "extra.json", "{}");
    std::vector<std::string> Added = {"kept.json"};
    TPickKeystrokesForm Form;
    Form.ShowAddButton(true);
    Form.BaseEntries = {"base.json"};
    Form.AddedEntries = &Added;
    Form.FillAndSelect("", "");
    EXPECT_EQ(Shown(Form), (std::vector<std::string>{"base.json", "kept.json"}));
    EXPECT_EQ(Form.OpenDialog().Title, "Browse for JSON File");
    for (int Time = 0; Time < 2; ++Time) {
        TScriptedModals Dialogs;
        Dialogs.Then(ChooseFiles({Dir / "extra.json"}));
        Form.AddClick();
        EXPECT_EQ(Form.Selected(), (Dir / "extra.json").string());
    }
    EXPECT_EQ(Added, (std::vector<std::string>{"kept.json", (Dir / "extra.json").string()}));
    EXPECT_EQ(Shown(Form),
              (std::vector<std::string>{"base.json", "kept.json", (Dir / "extra.json").string()}));
}

} // namespace
} // namespace korvid::test
