#include "tests/devtools/definitions/DefsTestSupport.h"

#include "devtools/definitions/ScreenListing.h"
#include "psystem/VolumeMessages.h"

#include <cstdlib>
#include <iostream>
#include <random>

namespace korvid::test {
namespace {

constexpr std::uint16_t NoUsersLimit = 0xFFFF;

// One screen record, written field by field at its stored offsets.
class TScreenBytes {
public:
    TScreenBytes() : FBytes(ScreenRecordSize, '\0') {
        EditChild(-1);
        Next(-1);
        Users(NoUsersLimit);
    }

    TScreenBytes& Kind(int Code) {
        FBytes[0] = char(Code);
        return *this;
    }
    TScreenBytes& File(int Number) { return Word(6, Number); }
    TScreenBytes& Title(std::string_view Text) { return String(8, Text); }
    TScreenBytes& EditChild(int Value) { return Word(42, Value); }
    TScreenBytes& ParentWord(int Value) { return Word(44, Value); }
    TScreenBytes& Next(int Value) { return Word(46, Value); }
    TScreenBytes& Users(int Mask) { return Word(1728, Mask); }
    TScreenBytes& Counts(int Marks, int Texts) { return Word(2, Marks).Word(4, Texts); }

    struct TMark {
        int Part = 1;
        int Column = 1;
        int Row = 0;
        std::string Code;
        int File = 0;
        int Field = 0;
        int AttachField = 0;
        int AttachKey = 0;
        int Elements = 0;
        int LinkScreen = 0;
    };
    TScreenBytes& Mark(int N, const TMark& M) {
        const std::size_t At = 36 + 12 * std::size_t(N);
        Word(At, M.Part | M.Column << 3 | M.Row << 10);
        String(At + 2, M.Code);
        Word(At + 6, M.File | M.Field << 8);
        Word(At + 8, M.AttachField | M.AttachKey << 6 | M.Elements << 9);
        return Word(At + 10, M.LinkScreen);
    }
    TScreenBytes& Text(int N, int Column, int Row, int OnMark, std::string_view Text) {
        const std::size_t At = 612 + 36 * std::size_t(N);
        Word(At, (Column - 1) | Row << 8);
        Word(At + 2, OnMark);
        return String(At + 4, Text);
    }

    TScreenBytes& Word(std::size_t At, int Value) {
        FBytes[At] = char(Value & 0xFF);
        FBytes[At + 1] = char((Value >> 8) & 0xFF);
        return *this;
    }
    TScreenBytes& String(std::size_t At, std::string_view Text) {
        FBytes[At] = char(Text.size());
        FBytes.replace(At + 1, Text.size(), Text);
        return *this;
    }
    const std::string& Bytes() const { return FBytes; }

private:
    std::string FBytes;
};

std::string Row(std::string_view Text = {}) {
    std::string Line(ScreenColumns, ' ');
    Line.replace(0, Text.size(), Text);
    return "|" + Line + "|";
}

// The fixture's screen: a customer edit screen with one mark showing the name.
TScreenBytes CustomerScreen() {
    TScreenBytes Screen;
    Screen.Kind(1).File(1).Title("Customer").ParentWord(21).Counts(1, 1);
    Screen.Mark(1, {.Part = 1, .Column = 10, .Row = 2, .Code = "NM", .File = 1, .Field = 1});
    Screen.Text(1, 3, 2, 1, "Name:");
    return Screen;
}

class TScreenListingTest : public TDefsTest {
protected:
    std::vector<std::string> ReadScreens(const std::vector<TScreenBytes>& Screens,
                                         std::string Tail = {}) {
        std::string Image;
        for (const TScreenBytes& Screen : Screens)
            Image += Screen.Bytes();
        Store("APP.SCRN", Image + Tail);
        return ReadFile("APP.SCRN");
    }

    std::vector<std::string> ReadFile(const std::string& Name) {
        TMajorVolume V(Volume, false);
        std::string VolumeName;
        bool IsBinary = false;
        std::vector<std::string> Lines;
        V.ReadFileText(0, Name, VolumeName, {}, IsBinary, nullptr, Lines);
        return Lines;
    }

    // The listing of one screen, without the summary.
    std::vector<std::string> ScreenLines(const TScreenBytes& Screen) {
        TDefsList Defs;
        BuildAppDefs(Defs);
        std::vector<std::string> Lines;
        ListScreens("WORK", "APP.SCRN", {Screen.Bytes()}, Defs, Lines);
        return {Lines.begin() + 4, Lines.end()};
    }
};

TEST_F(TScreenListingTest, AnUnusedScreenListsItsSummaryAndName) {
    EXPECT_EQ(ReadScreens({TScreenBytes{}}),
              (std::vector<std::string>{"screens 'WORK:APP.SCRN'", "", "; 0    unused     ", "",
                                        "screen 0 unused"}));
}

TEST_F(TScreenListingTest, TheFixtureScreenListsExactly) {
    EXPECT_EQ(ReadScreens({CustomerScreen()}),
              (std::vector<std::string>{
                  "screens 'WORK:APP.SCRN'", "", "; 0    edit       1   'Customer'", "",
                  "screen 0 edit customer 'Customer'", "(deny edit:delete) (editParent 2)", Row(),
                  Row(), Row("  Name:  <01>"), "<01> 'NM'  customer.name"}));
}

TEST_F(TScreenListingTest, ProgramShowsTheListing) {
    const std::vector<std::string> Lines = ReadScreens({CustomerScreen()});
    std::string Expected;
    for (const std::string& Line : Lines)
        Expected += (Expected.empty() ? "" : "\r\n") + Line;
    EXPECT_EQ(ListingShownByProgram("APP.SCRN"), Expected);
}

TEST_F(TScreenListingTest, TwoScreensAreSeparatedAndTitlesQuoted) {
    TScreenBytes Second;
    Second.Kind(2).File(0).Title("it's");
    const std::vector<std::string> Lines = ReadScreens({CustomerScreen(), Second}, "short tail");
    ASSERT_GE(Lines.size(), 7u);
    EXPECT_EQ(Lines[2], "; 0    edit       1   'Customer'");
    EXPECT_EQ(Lines[3], "; 1    menu       0   'it''s'");
    EXPECT_EQ(Lines[4], "");
    const std::size_t SecondHead = IndexOfLine(Lines, "screen 1 menu system 'it''s'");
    ASSERT_LT(SecondHead, Lines.size());
    EXPECT_EQ(Lines[SecondHead - 1], "");
    EXPECT_EQ(Lines[SecondHead - 2], "<01> 'NM'  customer.name");
    EXPECT_EQ(Lines[SecondHead + 1], "");
    EXPECT_EQ(SecondHead + 2, Lines.size());
}

TEST_F(TScreenListingTest, AScreenFileWithoutItsDefinitionsIsNotListed) {
    Store("OTHER.SCRN", CustomerScreen().Bytes());
    try {
        ReadFile("OTHER.SCRN");
        FAIL() << "listed without its definitions";
    } catch (const EVolumeError& Error) {
        EXPECT_STREQ(Error.what(), "File 'OTHER.DEFS' not found");
    }
}

struct TAttributeCase {
    int Kind;
    int EditChild;
    int ParentWord;
    int Next;
    int Users;
    std::string Line;
};

TEST_F(TScreenListingTest, AttributeLines) {
    const TAttributeCase Cases[] = {
        {1, -1, 21, -1, NoUsersLimit, "(deny edit:delete) (editParent 2)"},
        {1, -1, 20, -1, NoUsersLimit, "(editParent 2)"},
        {1, -1, 22, -1, NoUsersLimit, "(deny edit:new) (editParent 2)"},
        {2, -1, 1, -1, NoUsersLimit, "(deny enquire:new) (editParent 0)"},
        {9, -1, -3, -1, NoUsersLimit, "(key 3)"},
        {9, -1, 3, -1, NoUsersLimit, "(key 3 forced)"},
        {1, -1, 0, -1, 0x0009, "(users 0,3)"},
        {1, -1, 0, -1, 0, "(users )"},
        {1, -1, 0, -1, NoUsersLimit, ""},
        {1, 4, 0, -1, NoUsersLimit, "(editChild 4)"},
        {1, -5, 23, 7, 0x8000,
         "(deny select:new edit:delete edit:new) (editChild 5) (editParent 2) (next 7) "
         "(users 15)"},
        {1, -1, 0, -2, NoUsersLimit, "(next -2)"},
    };
    for (const TAttributeCase& Case : Cases) {
        TScreenBytes Screen;
        Screen.Kind(Case.Kind)
            .File(1)
            .EditChild(Case.EditChild)
            .ParentWord(Case.ParentWord)
            .Next(Case.Next)
            .Users(Case.Users);
        const std::vector<std::string> Lines = ScreenLines(Screen);
        ASSERT_EQ(Lines.size(), 2u) << Case.Line;
        EXPECT_EQ(Lines[1], Case.Line);
    }
}

TEST_F(TScreenListingTest, KindNamesAndBitLists) {
    EXPECT_EQ(ScreenKindName(0), "unused");
    EXPECT_EQ(ScreenKindName(9), "parameter");
    EXPECT_EQ(ScreenKindName(20), "flowView");
    EXPECT_EQ(ScreenKindName(25), "?25");
    TScreenBytes Screen;
    Screen.Kind(25).File(1).Title("X");
    EXPECT_EQ(ScreenLines(Screen)[0], "screen 0 ?25 customer 'X'");
    EXPECT_EQ(BitNumberList(0), "");
    EXPECT_EQ(BitNumberList(0x1009), "0,3,12");
    EXPECT_EQ(BitNumberList(0xFFFF), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15");
}

struct TDrawCase {
    std::string Name;
    TScreenBytes Screen;
    std::vector<std::string> Lines; // after the head and attribute lines
};

std::vector<TDrawCase> DrawCases() {
    std::vector<TDrawCase> Cases;
    const auto Screen = [] {
        TScreenBytes S;
        S.Kind(1).File(1).Users(NoUsersLimit);
        return S;
    };
    {
        TScreenBytes S = Screen();
        S.Counts(6, 5);
        for (int Part = 2; Part <= 6; ++Part) {
            S.Mark(Part - 1, {.Part = Part, .Column = 5, .Row = 0, .Code = "A"});
            S.Text(Part - 1, 1, 0, Part - 1, std::to_string(Part));
        }
        S.Mark(6, {.Part = 1, .Column = 1, .Row = 0, .Code = "B"}); // no text of its own
        Cases.push_back(
            {"part names",
             S,
             {"head", Row("2   <01>"), "body", Row("3   <02>"), "more", Row("4   <03>"), "tail",
              Row("5   <04>"), "link", Row("6   <05>"), "<01> 'A'   -", "<02> 'A'   -",
              "<03> 'A'   -", "<04> 'A'   -", "<05> 'A'   to screen 0", "<06> 'B'   -"}});
    }
    {
        TScreenBytes S = Screen();
        S.Counts(1, 2).Mark(1, {.Part = 1, .Column = 1, .Row = 0, .Code = "C"});
        S.Text(1, 79, 3, 1, "abc"); // would end at column 81
        S.Text(2, 1, 1, 0, "no mark");
        Cases.push_back({"a text too long still counts its row",
                         S,
                         {Row("<01>"), Row(), Row(), Row(), "<01> 'C'   -"}});
    }
    {
        TScreenBytes S = Screen();
        S.Counts(1, 3).Mark(1, {.Part = 1, .Column = 70, .Row = 9, .Code = "D"});
        S.Text(1, 2, 0, 1, "\x02\x05");  // "]" at column 6
        S.Text(2, 60, 1, 1, "\x02\x15"); // "]" at column 80: not drawn
        S.Text(3, 10, 0, 1, "\x02");     // a bracket alone
        Cases.push_back(
            {"brackets", S, {Row(" [   ]   ["), Row(std::string(59, ' ') + "["), "<01> 'D'   -"}});
    }
    {
        TScreenBytes S = Screen();
        S.Counts(1, 2).Mark(1, {.Part = 1, .Column = 70, .Row = 0, .Code = "E"});
        S.Text(1, 2, 1, 1, "\x03\x09\x03");  // "}" at row 3, column 10
        S.Text(2, 20, 0, 1, "\x03\x09\x1E"); // "}" on row 30: not drawn, but every row prints
        std::vector<std::string> Rows(ScreenRows, Row());
        Rows[0] = Row(std::string(19, ' ') + "{" + std::string(49, ' ') + "<01>");
        Rows[1] = Row(" {");
        Rows[3] = Row(std::string(9, ' ') + "}");
        Rows.push_back("<01> 'E'   -");
        Cases.push_back({"braces", S, Rows});
    }
    return Cases;
}

TEST_F(TScreenListingTest, DrawingRules) {
    for (const TDrawCase& Case : DrawCases()) {
        const std::vector<std::string> Lines = ScreenLines(Case.Screen);
        ASSERT_GE(Lines.size(), 2u) << Case.Name;
        EXPECT_EQ(std::vector<std::string>(Lines.begin() + 2, Lines.end()), Case.Lines)
            << Case.Name;
    }
}

struct TMarkCase {
    TScreenBytes::TMark Mark;
    std::string Line;
};

TEST_F(TScreenListingTest, MarkLines) {
    const TMarkCase Cases[] = {
        {{.Code = "AB"}, "<01> 'AB'  -"},
        {{.Code = "X", .File = 1}, "<01> 'X'   customer"},
        {{.Code = "", .File = 0, .Field = 2}, "<01> ''    system.year"},
        {{.Code = "M", .File = 0, .Field = 1, .Elements = 3}, "<01> 'M'   system.months[3]"},
        {{.Code = "C", .File = 2, .Field = 1, .AttachField = 1, .AttachKey = 2},
         "<01> 'C'   orders.cust.name key 2"},
        {{.Code = "C", .File = 2, .Field = 1, .AttachField = 62},
         "<01> 'C'   orders.cust.(field62)"},
        {{.Part = 6, .Code = "L", .File = 1, .LinkScreen = 7}, "<01> 'L'   to screen 7"},
        {{.Part = 6, .Code = "L", .LinkScreen = -2}, "<01> 'L'   to screen -2"},
        {{.Code = "F", .File = 1, .Field = 61}, "<01> 'F'   customer.(field61)"},
        {{.Code = "F", .File = 25, .Field = 1}, "<01> 'F'   (file25).(field1)"},
        {{.Code = "F", .File = 31}, "<01> 'F'   (file31)"},
        {{.Part = 7, .Code = "P", .File = 1}, "<01> 'P'   customer"},
    };
    for (const TMarkCase& Case : Cases) {
        TScreenBytes Screen;
        Screen.Kind(1).File(1).Counts(1, 0).Mark(1, Case.Mark);
        EXPECT_EQ(ScreenLines(Screen).back(), Case.Line);
    }
}

TEST_F(TScreenListingTest, DamagedNumbersAreClampedOrShownAsPlaceholders) {
    TScreenBytes Screen;
    Screen.Kind(1).File(30).Title("Far").Counts(65535, 65535);
    for (int N = 1; N <= ScreenMarkCount; ++N)
        Screen.Mark(N, {.Part = 7, .Code = "Z"});
    const std::vector<std::string> Lines = ReadScreens({Screen});
    EXPECT_EQ(Lines[2], "; 0    edit       30  'Far'");
    EXPECT_EQ(Lines[4], "screen 0 edit (file30) 'Far'");
    EXPECT_EQ(std::count_if(Lines.begin(), Lines.end(),
                            [](const std::string& Line) { return Line.starts_with("<"); }),
              ScreenMarkCount);
    EXPECT_EQ(Lines.back(), "<50> 'Z'   -");
}

// Damaged screen files must list without a crash or a read outside a buffer (the sanitizer
// build checks the reads). KORVID_SCREEN_SEED repeats a run.
TEST_F(TScreenListingTest, DamagedRecordsListSafely) {
    const char* Fixed = std::getenv("KORVID_SCREEN_SEED");
    const unsigned Seed =
        Fixed ? unsigned(std::strtoul(Fixed, nullptr, 10)) : std::random_device{}();
    std::cout << "KORVID_SCREEN_SEED=" << Seed << "\n";
    std::mt19937 Random(Seed);
    const auto Pick = [&Random](int Low, int High) {
        return std::uniform_int_distribution<int>(Low, High)(Random);
    };
    const int Limits[] = {0, 1, 20, 21, 24, 25, 30, 31, 50, 51, 63, 79, 80, 81, 127, 255, 65535};
    const auto Edge = [&] { return Limits[Pick(0, int(std::size(Limits)) - 1)]; };
    for (int Run = 0; Run < 60; ++Run) {
        std::string Image;
        const int Records = Pick(0, 10);
        for (int R = 0; R < Records; ++R) {
            TScreenBytes Screen = CustomerScreen();
            Screen.Kind(Pick(0, 30)).File(Edge()).Counts(Edge(), Edge());
            for (int N = 1; N <= 50; ++N)
                Screen.Mark(N, {.Part = Pick(0, 7),
                                .Column = Edge() & 0x7F,
                                .Row = Edge() & 0x3F,
                                .Code = "",
                                .File = Edge() & 0x1F,
                                .Field = Edge() & 0x3F,
                                .AttachField = Edge() & 0x3F,
                                .AttachKey = Pick(0, 7),
                                .Elements = Edge() & 0x7F});
            for (int N = 1; N <= 30; ++N) {
                std::string Text(std::size_t(Pick(0, 31)), '\0');
                for (char& C : Text)
                    C = char(Pick(0, 255));
                if (!Text.empty() && Pick(0, 1) == 0)
                    Text[0] = char(Pick(2, 3));
                Screen.Text(N, (Edge() & 0x7F) + 1, Edge() & 0x3F, Edge() & 0xFF, Text);
            }
            std::string Bytes = Screen.Bytes();
            for (int Flip = Pick(0, 40); Flip > 0; --Flip)
                Bytes[std::size_t(Pick(0, ScreenRecordSize - 1))] ^= char(1 << Pick(0, 7));
            // Length bytes of 255 at the three kinds of string.
            if (Pick(0, 3) == 0)
                Bytes[8] = Bytes[48 + 2] = Bytes[648 + 4] = char(255);
            Image += Pick(0, 5) == 0 ? std::string(ScreenRecordSize, char(Pick(0, 255))) : Bytes;
        }
        Image += std::string(std::size_t(Pick(0, ScreenRecordSize - 1)), '\x5A');
        Store("APP.SCRN", Image);
        const std::vector<std::string> Lines = ReadFile("APP.SCRN");
        ASSERT_GE(Lines.size(), 3u) << "seed " << Seed;
        for (const std::string& Line : Lines)
            ASSERT_TRUE(!Line.starts_with("|") || Line.size() == 82u) << Line << ", seed " << Seed;
    }
}

} // namespace
} // namespace korvid::test
