#pragma once

#include <array>
#include <string>
#include <string_view>

namespace korvid {

// One row of the template token table: the standard format specifier, the token written in
// braces, and the caption shown in pickers.
struct TDateTimeToken {
    std::string_view Format;
    std::string_view Token;
    std::string_view Caption;
};

inline constexpr int DateTimeTokenCount = 24;
// The last row is empty and stands for literal text.
inline constexpr int LiteralDateTimeToken = 23;

extern const std::array<TDateTimeToken, DateTimeTokenCount> DateTimeTokens;

// Names, separators and formats of the regional settings. Composite formats use the standard
// specifiers (d, m, y, h, n, s, am/pm, ampm, t, tt, ddddd, dddddd, '/', ':' and quoted text).
struct TFormatSettings {
    std::array<std::string, 12> ShortMonthNames;
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 7> ShortDayNames; // Sunday first
    std::array<std::string, 7> LongDayNames;
    std::string ShortDateFormat;
    std::string LongDateFormat;
    std::string ShortTimeFormat;
    std::string LongTimeFormat;
    std::string DateSeparator;
    std::string TimeSeparator;
    std::string TimeAMString;
    std::string TimePMString;
};

// A fixed English locale (day/month/year order).
TFormatSettings EnglishFormatSettings();
// The user's regional settings.
TFormatSettings SystemFormatSettings();

struct TDateTimeValue {
    int Year = 2001;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

TDateTimeValue CurrentDateTime();
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(const TDateTimeValue& DateTime);

// Standard date-time formatting of DateTime with Format.
std::string FormatDateTime(std::string_view Format, const TDateTimeValue& DateTime,
                           const TFormatSettings& Settings);

// The row whose token equals Token ignoring letter case, or LiteralDateTimeToken.
int FindDateTimeToken(std::string_view Token);

// The template's text for DateTime, or "<Invalid format>".
std::string ExpandDateTimeTemplate(std::string_view Template, const TDateTimeValue& DateTime,
                                   const TFormatSettings& Settings);
std::string ExpandDateTimeTemplate(std::string_view Template, const TDateTimeValue& DateTime);

} // namespace korvid
