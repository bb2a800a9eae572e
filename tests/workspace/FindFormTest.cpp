#include "workspace/FindForm.h"

#include "tests/workspace/DialogChildren.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

QCheckBox* Box(QDialog& D, const char* Caption) {
    QCheckBox* Found = ChildCaptioned<QCheckBox>(D, Caption);
    EXPECT_NE(Found, nullptr) << Caption;
    return Found;
}

std::vector<std::string> Items(const QComboBox* Combo) {
    std::vector<std::string> Texts;
    for (int I = 0; I < Combo->count(); ++I)
        Texts.push_back(Combo->itemText(I).toStdString());
    return Texts;
}

TEST(FindForm, OptionBitsFollowTheControls) {
    struct TCase {
        TFindControls Controls;
        std::uint16_t Bits;
    } Cases[] = {
        {{}, 0x0001},
        {{.Backwards = true}, 0x0003},
        {{.MatchCase = true}, 0x0005},
        {{.WholeWords = true}, 0x0041},
        {{.Location = 1}, 0x0201},
        {{.Location = 2}, 0x0801},
        {{.Location = 3}, 0x0401},
        {{.Location = 4}, 0x1001},
        {{.Location = 5}, 0x2001},
        {{.Location = 6}, 0x4001},
        // Within the selection the find bit gives way to selection and replace-all.
        {{.ReplaceTab = true, .WithinSelection = true}, 0x00A0},
        {{.ReplaceTab = false, .WithinSelection = true}, 0x0001},
        {{.ReplaceTab = true, .PreserveCase = true}, 0x0101},
        {{.ReplaceTab = false, .PreserveCase = true}, 0x0001},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(FindOptionBits(C.Controls), C.Bits) << std::hex << C.Bits;
}

TEST(FindForm, OkNeedsASearchableText) {
    struct TCase {
        bool Empty;
        int Location;
        bool Replace;
        bool Enabled;
    } Cases[] = {
        {false, 0, false, true}, {false, 0, true, true}, {true, 0, false, false},
        {true, 0, true, false},  {true, 5, false, true}, {true, 5, true, false},
        {true, 6, false, true},  {true, 6, true, true},  {true, 3, false, false},
    };
    TFindForm Form;
    for (const TCase& C : Cases) {
        EXPECT_EQ(FindOkEnabled(C.Empty, C.Location, C.Replace), C.Enabled)
            << C.Empty << " " << C.Location << " " << C.Replace;
        Form.SetFindText(C.Empty ? "" : "x");
        Form.LocationCombo()->setCurrentIndex(C.Location);
        Form.SetTab(C.Replace);
        EXPECT_EQ(Form.OkButton()->isEnabled(), C.Enabled);
    }
}

TEST(FindForm, TheDialogsBoxesReachTheOptions) {
    TFindForm Form;
    Form.SetTab(true);
    Box(Form, "Match &case")->setChecked(true);
    Form.SetSelectionEnabled(true);
    Box(Form, "&Preserve case")->setChecked(true);
    Form.LocationCombo()->setCurrentIndex(2);
    EXPECT_EQ(Form.GetOptions(), 0x0004 | 0x0080 | 0x0020 | 0x0100 | 0x0800);
    // The Find tab drops what belongs to replacing.
    Form.SetTab(false);
    EXPECT_EQ(Form.GetOptions(), 0x0001 | 0x0004 | 0x0800);
    Form.SetSelectionEnabled(false);
    EXPECT_FALSE(Box(Form, "Replace &all occurrences within selected text")->isEnabled());
}

TEST(FindForm, LockReplaceCopiesTheFindText) {
    TFindForm Form;
    Form.SetTab(true);
    Form.ReplaceCombo()->setEditText("other");
    Form.SetFindText("alpha");
    Form.LockReplaceBox()->setChecked(true);
    EXPECT_EQ(Form.GetReplaceText(), "alpha");
    EXPECT_FALSE(Form.ReplaceCombo()->isEnabled());
    Form.FindCombo()->setEditText("beta");
    EXPECT_EQ(Form.GetReplaceText(), "beta");
    Form.LockReplaceBox()->setChecked(false);
    EXPECT_TRUE(Form.ReplaceCombo()->isEnabled());
    Form.FindCombo()->setEditText("gamma");
    EXPECT_EQ(Form.GetReplaceText(), "beta");
}

TEST(FindForm, ListAllAndAllOpenDocumentsAreLinked) {
    TFindForm Form;
    Form.SetAllOpenDocuments(true);
    EXPECT_TRUE(Form.ListAll());
    Form.SetListAll(false);
    EXPECT_FALSE(Form.AllOpenDocuments());
    Form.SetListAll(true);
    EXPECT_FALSE(Form.AllOpenDocuments()) << "listing alone does not search every document";
}

TEST(FindForm, CtrlTabSwitchesTabs) {
    TFindForm Form;
    Form.show();
    Form.FindCombo()->setFocus();
    QTest::keyClick(Form.FindCombo()->lineEdit(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(Form.IsReplaceTab());
    EXPECT_TRUE(Form.ReplaceCombo()->isVisible());
    EXPECT_FALSE(Box(Form, "&Jump to start of file first")->isVisible());
    QTest::keyClick(Form.FindCombo()->lineEdit(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(Form.IsReplaceTab());
    EXPECT_FALSE(Form.ReplaceCombo()->isVisible());
}

TEST(FindForm, OkPutsEachTextFirstInItsListOnce) {
    TFindForm Form;
    Form.SetTab(true);
    for (const char* Text : {"one", "two", "one"}) {
        Form.SetFindText(Text);
        Form.ReplaceCombo()->setEditText(QString("r-") + Text);
        Form.OkButton()->click();
    }
    EXPECT_EQ(Items(Form.FindCombo()), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(Items(Form.ReplaceCombo()), (std::vector<std::string>{"r-one", "r-two"}));
    EXPECT_EQ(Form.GetFindText(), "one");
}

TEST(FindForm, TextsAreCutToTheEditorsLimit) {
    TFindForm Form;
    Form.SetFindText(std::string(300, 'x'));
    EXPECT_EQ(Form.GetFindText().size(), 255u);
}

} // namespace
} // namespace korvid::test
