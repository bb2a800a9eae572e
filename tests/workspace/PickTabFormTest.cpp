#include "workspace/PickTabForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid::test {
namespace {

std::vector<std::string> Column(const TPickTabForm& Form, int Index) {
    std::vector<std::string> Texts;
    for (int Row = 0; Row < Form.List()->topLevelItemCount(); ++Row)
        Texts.push_back(Form.List()->topLevelItem(Row)->text(Index).toStdString());
    return Texts;
}

class TPickTabFormTest : public ::testing::Test {
protected:
    TPickTabForm Form;
    void SetUp() override {
        Form.AddTab("beta", "/b/Zeta.txt", 1);
        Form.AddTab("Alpha", "/b/apple.txt", 2);
        Form.AddTab("gamma", "/A/more.txt", 3);
    }
};

TEST_F(TPickTabFormTest, OkWaitsForASelectedRow) {
    Form.List()->clearSelection();
    EXPECT_FALSE(Form.OkButton()->isEnabled());
    EXPECT_EQ(Form.SelectedTag(), -1);
    Form.List()->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(Form.OkButton()->isEnabled());
    EXPECT_EQ(Form.SelectedTag(), 3);
    Form.List()->clearSelection();
    EXPECT_FALSE(Form.OkButton()->isEnabled());
}

// Upper-cased, so "Alpha" sorts before "beta" and "/A/" before "/b/"; the tags follow the rows.
TEST_F(TPickTabFormTest, AHeaderClickSortsByItsColumnIgnoringCase) {
    emit Form.List()->header()->sectionClicked(0);
    EXPECT_EQ(Column(Form, 0), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    emit Form.List()->header()->sectionClicked(1);
    EXPECT_EQ(Column(Form, 1),
              (std::vector<std::string>{"/A/more.txt", "/b/apple.txt", "/b/Zeta.txt"}));
    Form.List()->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(Form.SelectedTag(), 3);
}

TEST_F(TPickTabFormTest, ADoubleClickIsOk) {
    QTreeWidgetItem* Item = Form.List()->topLevelItem(1);
    Item->setSelected(true);
    emit Form.List()->itemDoubleClicked(Item, 0);
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_EQ(Form.SelectedTag(), 2);
}

// The keys go to the open dialog as the keyboard sends them: no click comes first.
TEST_F(TPickTabFormTest, TheOpenPickerAnswersKeysAtOnce) {
    const struct {
        const char* Name;
        std::vector<Qt::Key> Keys;
        int Tag;
    } Cases[] = {
        {"Return", {Qt::Key_Return}, 1},
        {"End, Return", {Qt::Key_End, Qt::Key_Return}, 3},
        {"End, Home, Enter", {Qt::Key_End, Qt::Key_Home, Qt::Key_Enter}, 1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TPickTabForm Picker;
        Picker.AddTab("beta", "/b/Zeta.txt", 1);
        Picker.AddTab("Alpha", "/b/apple.txt", 2);
        Picker.AddTab("gamma", "/A/more.txt", 3);
        Picker.open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Picker));
        EXPECT_TRUE(Picker.OkButton()->isEnabled());
        ASSERT_TRUE(QApplication::focusWidget());
        for (const Qt::Key Key : Case.Keys)
            QTest::keyClick(QApplication::focusWidget(), Key);
        EXPECT_EQ(Picker.result(), QDialog::Accepted);
        EXPECT_FALSE(Picker.isVisible());
        EXPECT_EQ(Picker.SelectedTag(), Case.Tag);
    }
}

// Nothing to pick: OK stays off.
TEST(TPickTabFormEmpty, AnEmptyPickerKeepsOkDisabled) {
    TPickTabForm Picker;
    Picker.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Picker));
    EXPECT_FALSE(Picker.OkButton()->isEnabled());
    QTest::keyClick(&Picker, Qt::Key_Return);
    EXPECT_TRUE(Picker.isVisible());
    Picker.reject();
}

} // namespace
} // namespace korvid::test
