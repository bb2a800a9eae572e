#include "foundation/DateTimeUnit.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(DateTimeUnit, FindTokenIgnoresCase) {
    EXPECT_EQ(FindDateTimeToken("DAY:MONDAY"), 3);
    EXPECT_EQ(FindDateTimeToken("sep:time"), 22);
    EXPECT_EQ(FindDateTimeToken("nonsense"), LiteralDateTimeToken);
    EXPECT_EQ(FindDateTimeToken(""), LiteralDateTimeToken);
}

TEST(DateTimeUnit, ExpandTemplates) {
    const TFormatSettings English = EnglishFormatSettings();
    const TDateTimeValue NewYear{2001, 1, 1, 0, 0, 0};
    const TDateTimeValue Afternoon{2026, 12, 10, 15, 4, 9}; // a Thursday
    struct TCase {
        const char* Template;
        TDateTimeValue When;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"", NewYear, ""},
        {"{DAY:MONDAY}", NewYear, "Monday"},
        {"Today is {day:Monday}", Afternoon, "Today is Thursday"},
        {"{day:Mon}, {day:1} {month:January} {year:2001}", Afternoon, "Thu, 10 December 2026"},
        {"\\{x\\}", NewYear, "{x}"},
        {"{day:1", NewYear, "<Invalid format>"},
        {"{word}", NewYear, "<Invalid format>"},
        // Neighbouring tokens stay apart.
        {"{day:1}{day:1}", NewYear, "11"},
        {"{hour:1}{month:1}", Afternoon, "1512"},
        {"{year:01}{month:01}{day:01}", Afternoon, "261210"},
        // Literal text is never read as specifiers, quotes included.
        {"it's {min:01} past", Afternoon, "it's 04 past"},
        {"dmy hn", Afternoon, "dmy hn"},
        {"{hour:01}{sep:time}{min:01}{sep:time}{sec:01}", Afternoon, "15:04:09"},
        {"{hour:1}{sep:time}{min:01} {am:pm}", Afternoon, "3:04 pm"},
        {"{hour:01} {am:pm}", NewYear, "12 am"},
        {"{date:short}", Afternoon, "10/12/2026"},
        {"{date:long}", Afternoon, "Thursday, 10 December 2026"},
        {"{time:short} / {time:long}", Afternoon, "15:04 / 15:04:09"},
        {"{sep:date}", Afternoon, "/"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ExpandDateTimeTemplate(Case.Template, Case.When, English), Case.Expected)
            << Case.Template;
}

TEST(DateTimeUnit, TokenTableShape) {
    EXPECT_EQ(DateTimeTokens[16].Format, "am/pm");
    EXPECT_EQ(DateTimeTokens[0].Caption, "Day Number\t1");
    EXPECT_TRUE(DateTimeTokens[LiteralDateTimeToken].Token.empty());
}

TEST(DateTimeUnit, DayOfWeek) {
    EXPECT_EQ(DayOfWeek({2001, 1, 1}), 2);   // Monday
    EXPECT_EQ(DayOfWeek({2000, 2, 29}), 3);  // Tuesday
    EXPECT_EQ(DayOfWeek({2026, 12, 13}), 1); // Sunday
}

} // namespace
} // namespace korvid
