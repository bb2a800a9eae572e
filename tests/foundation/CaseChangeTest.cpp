#include "foundation/CaseChange.h"

#include <gtest/gtest.h>

#include <string>

namespace korvid {
namespace {

// Only ASCII letters change: digits, punctuation, accented letters (0xE9, 0xC9) and the
// bytes just outside the letter ranges ("@", "[", "`", "{") keep their values.
TEST(CaseChange, RoutinesTouchAsciiLettersOnly) {
    struct TCase {
        TCaseRoutine Routine;
        const char* Name;
        std::string Expected;
    };
    const std::string Input = "aB1\xE9\xC9_@[`{zZ";
    const TCase Cases[] = {
        {UpperCaseBuffer, "upper", "AB1\xE9\xC9_@[`{ZZ"},
        {LowerCaseBuffer, "lower", "ab1\xE9\xC9_@[`{zz"},
        {SwapCaseBuffer, "swap", "Ab1\xE9\xC9_@[`{Zz"},
    };
    for (const TCase& Case : Cases) {
        std::string Text = Input;
        Case.Routine(Text.data(), int(Text.size()));
        EXPECT_EQ(Text, Case.Expected) << Case.Name;
        // A count stops the routine; none or a negative one changes nothing.
        Text = Input;
        Case.Routine(Text.data(), 1);
        EXPECT_EQ(Text.substr(1), Input.substr(1)) << Case.Name;
        for (int Count : {0, -5}) {
            Text = Input;
            Case.Routine(Text.data(), Count);
            EXPECT_EQ(Text, Input) << Case.Name;
        }
    }
}

} // namespace
} // namespace korvid
