#include "foundation/DateTimeUnit.h"

#include "platform/Cp1252.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <vector>

namespace korvid {

const std::array<TDateTimeToken, DateTimeTokenCount> DateTimeTokens = {{
    {"d", "day:1", "Day Number\t1"},
    {"dd", "day:01", "Day Number\t01"},
    {"ddd", "day:Mon", "Day Name\tMon"},
    {"dddd", "day:Monday", "Day Name\tMonday"},
    {"m", "month:1", "Month Number\t1"},
    {"mm", "month:01", "Month Number\t01"},
    {"mmm", "month:Jan", "Month Name\tJan"},
    {"mmmm", "month:January", "Month Name\tJanuary"},
    {"yy", "year:01", "Year Number\t01"},
    {"yyyy", "year:2001", "Year Number\t2001"},
    {"h", "hour:1", "Hour Number\t1"},
    {"hh", "hour:01", "Hour Number\t01"},
    {"n", "min:1", "Minute Number\t1"},
    {"nn", "min:01", "Minute Number\t01"},
    {"s", "sec:1", "Second Number\t1"},
    {"ss", "sec:01", "Second Number\t01"},
    {"am/pm", "am:pm", "am/pm"},
    {"ddddd", "date:short", "Short Date"},
    {"dddddd", "date:long", "Long Date"},
    {"t", "time:short", "Short Time"},
    {"tt", "time:long", "Long Time"},
    {"/", "sep:date", "Date Separator"},
    {":", "sep:time", "Time Separator"},
    {"", "", ""},
}};

namespace {

constexpr std::string_view InvalidFormat = "<Invalid format>";
constexpr char EscapedOpen = 0x1E;
constexpr char EscapedClose = 0x1F;

std::string Number(int Value, int Width) {
    std::string Text = std::to_string(Value);
    if (static_cast<int>(Text.size()) < Width)
        Text.insert(0, static_cast<std::size_t>(Width - static_cast<int>(Text.size())), '0');
    return Text;
}

bool StartsWithText(std::string_view Text, std::size_t Pos, std::string_view Prefix) {
    return Text.size() - Pos >= Prefix.size() &&
           SameText1252(Text.substr(Pos, Prefix.size()), Prefix);
}

std::size_t RunOf(std::string_view Text, std::size_t Pos) {
    const char Lower = static_cast<char>(LowCase1252(static_cast<unsigned char>(Text[Pos])));
    std::size_t End = Pos;
    while (End < Text.size() &&
           static_cast<char>(LowCase1252(static_cast<unsigned char>(Text[End]))) == Lower)
        ++End;
    return End - Pos;
}

bool HasAmPm(std::string_view Format) {
    const std::string Lower = LowerCase1252(Format);
    return Lower.find("am/pm") != std::string::npos || Lower.find("a/p") != std::string::npos ||
           Lower.find("ampm") != std::string::npos;
}

int DisplayHour(int Hour, bool TwelveHour) {
    if (!TwelveHour)
        return Hour;
    const int H = Hour % 12;
    return H == 0 ? 12 : H;
}

// Formats one specifier run (or one character) at Pos and returns the characters it used.
class TFormatter {
public:
    TFormatter(const TDateTimeValue& DateTime, const TFormatSettings& Settings, bool TwelveHour)
        : FDateTime(DateTime), FSettings(Settings), FTwelveHour(TwelveHour) {}

    void Run(std::string_view Format, std::string& Out, int Depth = 0) {
        bool AfterHour = false;
        std::size_t Pos = 0;
        while (Pos < Format.size()) {
            const char C = static_cast<char>(LowCase1252(static_cast<unsigned char>(Format[Pos])));
            if (C == '\'' || C == '"') {
                const std::size_t Close = Format.find(Format[Pos], Pos + 1);
                const std::size_t End = Close == std::string_view::npos ? Format.size() : Close;
                Out.append(Format.substr(Pos + 1, End - Pos - 1));
                Pos = End == Format.size() ? End : End + 1;
                continue;
            }
            if (StartsWithText(Format, Pos, "am/pm")) {
                const bool Upper = Format[Pos] == 'A';
                Out += FDateTime.Hour < 12 ? (Upper ? "AM" : "am") : (Upper ? "PM" : "pm");
                Pos += 5;
                continue;
            }
            if (StartsWithText(Format, Pos, "a/p")) {
                const bool Upper = Format[Pos] == 'A';
                Out += FDateTime.Hour < 12 ? (Upper ? "A" : "a") : (Upper ? "P" : "p");
                Pos += 3;
                continue;
            }
            if (StartsWithText(Format, Pos, "ampm")) {
                Out += FDateTime.Hour < 12 ? FSettings.TimeAMString : FSettings.TimePMString;
                Pos += 4;
                continue;
            }
            const std::size_t N = RunOf(Format, Pos);
            bool WasHour = false;
            switch (C) {
            case 'd':
                Day(N, Out, Depth);
                break;
            case 'm':
                // Right after an hour, m counts minutes.
                if (AfterHour)
                    Out += Number(FDateTime.Minute, N >= 2 ? 2 : 1);
                else
                    Month(N, Out);
                break;
            case 'y':
                Out += N <= 2 ? Number(FDateTime.Year % 100, 2) : Number(FDateTime.Year, 4);
                break;
            case 'h':
                Out += Number(DisplayHour(FDateTime.Hour, FTwelveHour), N >= 2 ? 2 : 1);
                WasHour = true;
                break;
            case 'n':
                Out += Number(FDateTime.Minute, N >= 2 ? 2 : 1);
                break;
            case 's':
                Out += Number(FDateTime.Second, N >= 2 ? 2 : 1);
                break;
            case 'z':
                Out += Number(FDateTime.Millisecond, N >= 3 ? 3 : 1);
                break;
            case 't':
                if (Depth < 2)
                    Nested(N >= 2 ? FSettings.LongTimeFormat : FSettings.ShortTimeFormat, Out,
                           Depth);
                break;
            case '/':
                AppendRepeated(FSettings.DateSeparator, N, Out);
                break;
            case ':':
                AppendRepeated(FSettings.TimeSeparator, N, Out);
                break;
            default:
                Out.append(Format.substr(Pos, N));
                break;
            }
            if (C != ' ')
                AfterHour = WasHour;
            Pos += N;
        }
    }

private:
    static void AppendRepeated(const std::string& Text, std::size_t N, std::string& Out) {
        for (std::size_t I = 0; I < N; ++I)
            Out += Text;
    }

    void Nested(const std::string& Format, std::string& Out, int Depth) {
        TFormatter Inner(FDateTime, FSettings, HasAmPm(Format));
        Inner.Run(Format, Out, Depth + 1);
    }

    void Day(std::size_t N, std::string& Out, int Depth) {
        const int Weekday = DayOfWeek(FDateTime) - 1;
        switch (N) {
        case 1:
            Out += Number(FDateTime.Day, 1);
            break;
        case 2:
            Out += Number(FDateTime.Day, 2);
            break;
        case 3:
            Out += FSettings.ShortDayNames[static_cast<std::size_t>(Weekday)];
            break;
        case 4:
            Out += FSettings.LongDayNames[static_cast<std::size_t>(Weekday)];
            break;
        case 5:
            if (Depth < 2)
                Nested(FSettings.ShortDateFormat, Out, Depth);
            break;
        default:
            if (Depth < 2)
                Nested(FSettings.LongDateFormat, Out, Depth);
            break;
        }
    }

    void Month(std::size_t N, std::string& Out) {
        const auto Index = static_cast<std::size_t>(FDateTime.Month - 1);
        if (N == 1)
            Out += Number(FDateTime.Month, 1);
        else if (N == 2)
            Out += Number(FDateTime.Month, 2);
        else if (N == 3)
            Out += FSettings.ShortMonthNames[Index];
        else
            Out += FSettings.LongMonthNames[Index];
    }

    const TDateTimeValue& FDateTime;
    const TFormatSettings& FSettings;
    bool FTwelveHour;
};

// Qt's pattern letters turned into the standard specifiers.
std::string FromQtFormat(const QString& Pattern) {
    std::string Result;
    const std::string Text = FromQString(Pattern);
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const char C = Text[I];
        if (C == '\'') {
            const std::size_t Close = Text.find('\'', I + 1);
            const std::size_t End = Close == std::string::npos ? Text.size() : Close;
            Result += '"' + Text.substr(I + 1, End - I - 1) + '"';
            I = End;
            continue;
        }
        switch (C) {
        case 'M':
            Result += 'm';
            break;
        case 'm':
            Result += 'n';
            break;
        case 'H':
            Result += 'h';
            break;
        case 't':
            break; // time zones are not part of these texts
        case 'A':
        case 'a':
            Result += "ampm";
            if (I + 1 < Text.size() && (Text[I + 1] == 'P' || Text[I + 1] == 'p'))
                ++I;
            break;
        default:
            Result += C;
            break;
        }
    }
    return Result;
}

} // namespace

TFormatSettings EnglishFormatSettings() {
    return {{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
            {"January", "February", "March", "April", "May", "June", "July", "August", "September",
             "October", "November", "December"},
            {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
            {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
            "dd/mm/yyyy",
            "dddd, d mmmm yyyy",
            "hh:nn",
            "hh:nn:ss",
            "/",
            ":",
            "AM",
            "PM"};
}

TFormatSettings SystemFormatSettings() {
    const QLocale Locale = QLocale::system();
    TFormatSettings Settings;
    for (int I = 0; I < 12; ++I) {
        Settings.ShortMonthNames[static_cast<std::size_t>(I)] =
            FromQString(Locale.monthName(I + 1, QLocale::ShortFormat));
        Settings.LongMonthNames[static_cast<std::size_t>(I)] =
            FromQString(Locale.monthName(I + 1, QLocale::LongFormat));
    }
    for (int I = 0; I < 7; ++I) {
        const int QtDay = I == 0 ? 7 : I; // Qt counts Monday as 1 and Sunday as 7
        Settings.ShortDayNames[static_cast<std::size_t>(I)] =
            FromQString(Locale.dayName(QtDay, QLocale::ShortFormat));
        Settings.LongDayNames[static_cast<std::size_t>(I)] =
            FromQString(Locale.dayName(QtDay, QLocale::LongFormat));
    }
    Settings.ShortDateFormat = FromQtFormat(Locale.dateFormat(QLocale::ShortFormat));
    Settings.LongDateFormat = FromQtFormat(Locale.dateFormat(QLocale::LongFormat));
    Settings.ShortTimeFormat = FromQtFormat(Locale.timeFormat(QLocale::ShortFormat));
    Settings.LongTimeFormat = FromQtFormat(Locale.timeFormat(QLocale::LongFormat));
    Settings.DateSeparator = "/";
    for (const QChar Ch : Locale.dateFormat(QLocale::ShortFormat))
        if (!Ch.isLetter()) {
            Settings.DateSeparator = FromQString(QString(Ch));
            break;
        }
    Settings.TimeSeparator = ":";
    for (const QChar Ch : Locale.timeFormat(QLocale::ShortFormat))
        if (!Ch.isLetter()) {
            Settings.TimeSeparator = FromQString(QString(Ch));
            break;
        }
    Settings.TimeAMString = FromQString(Locale.amText());
    Settings.TimePMString = FromQString(Locale.pmText());
    return Settings;
}

TDateTimeValue CurrentDateTime() {
    const QDateTime Now = QDateTime::currentDateTime();
    const QDate D = Now.date();
    const QTime T = Now.time();
    return {D.year(), D.month(), D.day(), T.hour(), T.minute(), T.second(), T.msec()};
}

int DayOfWeek(const TDateTimeValue& DateTime) {
    // Sakamoto's method; 0 = Sunday.
    static constexpr int Offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int Y = DateTime.Year;
    if (DateTime.Month < 3)
        --Y;
    const int Day =
        (Y + Y / 4 - Y / 100 + Y / 400 + Offsets[(DateTime.Month - 1) % 12] + DateTime.Day) % 7;
    return Day + 1;
}

std::string FormatDateTime(std::string_view Format, const TDateTimeValue& DateTime,
                           const TFormatSettings& Settings) {
    std::string Out;
    TFormatter(DateTime, Settings, HasAmPm(Format)).Run(Format, Out);
    return Out;
}

int FindDateTimeToken(std::string_view Token) {
    for (int Row = 0; Row < LiteralDateTimeToken; ++Row)
        if (SameText1252(DateTimeTokens[static_cast<std::size_t>(Row)].Token, Token))
            return Row;
    return LiteralDateTimeToken;
}

std::string ExpandDateTimeTemplate(std::string_view Template, const TDateTimeValue& DateTime,
                                   const TFormatSettings& Settings) {
    std::string Work(Template);
    for (std::size_t At; (At = Work.find("\\{")) != std::string::npos;)
        Work.replace(At, 2, 1, EscapedOpen);
    for (std::size_t At; (At = Work.find("\\}")) != std::string::npos;)
        Work.replace(At, 2, 1, EscapedClose);

    // Each piece is expanded on its own, so neighbouring tokens never merge into another
    // specifier and literal text is never read as one.
    std::vector<int> Rows;
    std::vector<std::string> Literals;
    std::size_t Pos = 0;
    while (Pos < Work.size()) {
        if (Work[Pos] != '{') {
            const std::size_t Next = std::min(Work.find('{', Pos), Work.size());
            Literals.push_back(Work.substr(Pos, Next - Pos));
            Rows.push_back(LiteralDateTimeToken);
            Pos = Next;
            continue;
        }
        const std::size_t Close = Work.find('}', Pos);
        if (Close == std::string::npos)
            return std::string(InvalidFormat);
        const int Row = FindDateTimeToken(std::string_view(Work).substr(Pos + 1, Close - Pos - 1));
        if (Row == LiteralDateTimeToken)
            return std::string(InvalidFormat);
        Rows.push_back(Row);
        Literals.emplace_back();
        Pos = Close + 1;
    }

    const bool TwelveHour = std::find(Rows.begin(), Rows.end(), 16) != Rows.end();
    std::string Result;
    for (std::size_t I = 0; I < Rows.size(); ++I) {
        if (Rows[I] == LiteralDateTimeToken) {
            Result += Literals[I];
            continue;
        }
        const TDateTimeToken& Row = DateTimeTokens[static_cast<std::size_t>(Rows[I])];
        TFormatter(DateTime, Settings, TwelveHour).Run(Row.Format, Result);
    }
    for (char& C : Result)
        if (C == EscapedOpen)
            C = '{';
        else if (C == EscapedClose)
            C = '}';
    return Result;
}

std::string ExpandDateTimeTemplate(std::string_view Template, const TDateTimeValue& DateTime) {
    return ExpandDateTimeTemplate(Template, DateTime, SystemFormatSettings());
}

} // namespace korvid
