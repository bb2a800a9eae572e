#include "workspace/GoToSortForms.h"

#include "tests/workspace/DialogChildren.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

TKorvidSortOptions Defaults() {
    TKorvidSortOptions O;
    ResetSortOptions(O);
    return O;
}

TEST(GoToForm, AsksForALineWhenTheDocumentIsNotInParagraphs) {
    TGoToForm Form;
    EXPECT_EQ(Form.NumberLabel()->text(), "&Paragraph:");
    Form.SetParagraphMode(false);
    EXPECT_EQ(Form.NumberLabel()->text(), "&Line:");
    Form.SetParagraphMode(true);
    EXPECT_EQ(Form.NumberLabel()->text(), "&Paragraph:");
    EXPECT_EQ(Form.NumberEdit()->minimum(), 0);
}

TEST(SortForm, ControlsAreEnabledByTheirChoice) {
    struct TCase {
        bool Single;
        bool FromColumn;
        std::string Of;
        bool Step, Column, Occurrence, Ok;
    } Cases[] = {
        {true, true, "", false, true, false, true},   {false, true, "", true, true, false, true},
        {true, false, "", false, false, true, false}, {true, false, ",", false, false, true, true},
        {false, false, ",", true, false, true, true},
    };
    TSortForm Form;
    for (const TCase& C : Cases) {
        TKorvidSortOptions O = Defaults();
        O.SingleParagraphs = C.Single;
        O.FromColumn = C.FromColumn;
        O.FromOccurrenceText = C.Of;
        Form.SetSortOptions(O);
        SCOPED_TRACE(std::to_string(C.Single) + " " + std::to_string(C.FromColumn) + " " + C.Of);
        EXPECT_EQ(Form.BlocksEdit()->isEnabled(), C.Step);
        EXPECT_EQ(Form.BlocksLabel()->isEnabled(), C.Step);
        EXPECT_EQ(Form.ColumnEdit()->isEnabled(), C.Column);
        EXPECT_EQ(Form.OccurrenceEdit()->isEnabled(), C.Occurrence);
        EXPECT_EQ(Form.OfLabel()->isEnabled(), C.Occurrence);
        EXPECT_EQ(Form.OfEdit()->isEnabled(), C.Occurrence);
        EXPECT_EQ(Form.OkButton()->isEnabled(), C.Ok);
    }
    // Typing the text enables OK at once.
    Form.OfEdit()->setText("x");
    EXPECT_TRUE(Form.OkButton()->isEnabled());
    Form.OfEdit()->clear();
    EXPECT_FALSE(Form.OkButton()->isEnabled());
}

TEST(SortForm, StoredNumbersOutsideTheBoxesShowClamped) {
    TKorvidSortOptions O = Defaults();
    O.ParagraphStep = 40;
    O.FromColumnNumber = 0;
    O.FromOccurrenceNumber = 500;
    TSortForm Form;
    Form.SetSortOptions(O);
    TKorvidSortOptions Read;
    Form.GetSortOptions(Read);
    EXPECT_EQ(Read.ParagraphStep, 25);
    EXPECT_EQ(Read.FromColumnNumber, 1);
    EXPECT_EQ(Read.FromOccurrenceNumber, 80);
}

TEST(SortForm, ResetRestoresTheDefaults) {
    TKorvidSortOptions O;
    O.SingleParagraphs = false;
    O.ParagraphStep = 3;
    O.Ascending = false;
    O.Numerical = true;
    O.CaseSensitive = true;
    O.FromColumn = false;
    O.FromColumnNumber = 7;
    O.FromOccurrenceNumber = 2;
    O.FromOccurrenceText = ";";
    TSortForm Form;
    Form.SetSortOptions(O);
    TKorvidSortOptions Read;
    Form.GetSortOptions(Read);
    EXPECT_EQ(Read, O);
    ChildCaptioned<QPushButton>(Form, "&Reset")->click();
    EXPECT_FALSE(Form.NumericalBox()->isChecked());
    Form.GetSortOptions(Read);
    EXPECT_EQ(Read, Defaults());
}

TEST(SortForm, LineModeSpeaksOfLines) {
    TSortForm Form;
    Form.SetParagraphMode(false);
    EXPECT_EQ(Form.SingleButton()->text(), "&Single lines");
    EXPECT_EQ(Form.BlocksLabel()->text(), "lines by their first line");
    Form.SetParagraphMode(true);
    EXPECT_EQ(Form.SingleButton()->text(), "&Single paragraphs");
    EXPECT_EQ(Form.BlocksLabel()->text(), "paragraphs by their first paragraph");
}

} // namespace
} // namespace korvid::test
