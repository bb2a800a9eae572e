#include "foundation/UtilitiesUnit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(Utilities, PathTests) {
    struct TCase {
        const char* Path;
        bool Relative;
    };
    const TCase Cases[] = {
        {"", true},       {"\\single", true}, {"name.txt", true}, {"\\\\server\\share", false},
        {"C:\\x", false}, {"/x", false},      {"dir/x", true}};
    for (const TCase& Case : Cases)
        EXPECT_EQ(IsRelativePath(Case.Path), Case.Relative) << Case.Path;

    std::string Path;
    IncludeTrailingBackslash(Path);
    EXPECT_EQ(Path, "/");
    Path = "/a";
    IncludeTrailingBackslash(Path);
    IncludeTrailingBackslash(Path);
    EXPECT_EQ(Path, "/a/");
}

TEST(Utilities, ReadOnlyFilesAndDates) {
    test::TTempDir Dir;
    const auto File = Dir / "vol.vol";
    test::WriteFileBytes(File, "x");
    EXPECT_FALSE(IsReadOnlyFile(File.string()));
    EXPECT_GT(FileDateTime(File.string()), 0);
    std::filesystem::permissions(File, std::filesystem::perms::owner_read);
    EXPECT_TRUE(IsReadOnlyFile(File.string()));
    EXPECT_TRUE(IsReadOnlyFile(File.string() + ">SUB.SVOL:FILE.TEXT"));
    EXPECT_FALSE(IsReadOnlyFile((Dir / "absent").string()));
    EXPECT_EQ(FileDateTime((Dir / "absent").string()), 0);
}

TEST(Utilities, TrueCaseFileNameGivesStoredSpelling) {
    test::TTempDir Dir;
    std::filesystem::create_directory(Dir / "Source");
    test::WriteFileBytes(Dir / "Source" / "README.TXT", "x");
    test::WriteFileBytes(Dir / "Source" / "Main.pas", "x");
    const std::string Base = Dir.Path().string();
    struct TCase {
        std::string Typed;
        std::string Expected;
    };
    const TCase Cases[] = {
        {Base + "/source/readme.txt", Base + "/Source/README.TXT"},
        {Base + "/SOURCE/MAIN.PAS", Base + "/Source/Main.pas"},
        {Base + "/Source/new.txt", Base + "/Source/new.txt"}, // not there: kept as typed
        {Base + "/Source/./README.TXT", Base + "/Source/README.TXT"},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(TrueCaseFileName(Case.Typed, true), Case.Expected);
        // Never re-cased where the file system tells case apart.
        EXPECT_EQ(TrueCaseFileName(Case.Typed, false), Case.Expected);
    }
    // Two entries that differ only in case: the typed name is kept.
    test::WriteFileBytes(Dir / "Source" / "main.PAS", "y");
    EXPECT_EQ(TrueCaseFileName(Base + "/Source/MAIN.pas", true), Base + "/Source/MAIN.pas");
}

TEST(Utilities, ReCaseComponentRule) {
    EXPECT_EQ(ReCaseFileNameComponent("README.TXT"), "Readme.txt");
    EXPECT_EQ(ReCaseFileNameComponent("Main.PAS"), "Main.pas");
    EXPECT_EQ(ReCaseFileNameComponent("SRC"), "Src");
    EXPECT_EQ(ReCaseFileNameComponent("a.B.C"), "a.B.c");
}

TEST(Utilities, Padding) {
    EXPECT_EQ(PadLeft("ab", 4), "  ab");
    EXPECT_EQ(PadRight("ab", 4), "ab  ");
    EXPECT_EQ(PadLeft("abcde", 4), "abcde");
    EXPECT_EQ(ZeroPad("7", 3), "007");
    EXPECT_EQ(StringOfSpaces(0), "");
    EXPECT_EQ(StringOfSpaces(-2), "");
    EXPECT_EQ(CountLeadingSpaces("   x "), 3);
    EXPECT_EQ(CountLeadingSpaces("  "), 2);
}

TEST(Utilities, ReplacingNeverLoops) {
    struct TCase {
        const char* S;
        const char* Old;
        const char* New;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"aaa", "a", "aa", "aaaaaa"}, // the replacement holds the searched text
        {"abab", "ab", "ab", "abab"}, // Old equals New
        {"a.b.c", ".", "", "abc"},    {"xyz", "", "q", "xyz"}, {"a--b", "-", "--", "a----b"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ReplaceAll(Case.S, Case.Old, Case.New), Case.Expected) << Case.S;
    EXPECT_EQ(ReplaceChar("a/b/c", '/', '\\'), "a\\b\\c");
    EXPECT_EQ(ReplaceChar("aaa", 'a', 'a'), "aaa");
}

TEST(Utilities, CharacterRoutines) {
    std::string S = "a-b-c";
    RemoveChar('-', S);
    EXPECT_EQ(S, "abc");
    EXPECT_EQ(DoubleChar('&', "Save & Exit"), "Save && Exit");
    EXPECT_EQ(PosOrPastEnd("lo", "hello"), 4);
    EXPECT_EQ(PosOrPastEnd("x", "hello"), 6);
    EXPECT_EQ(StripQuotes("\"a b\""), "a b");
    EXPECT_EQ(StripQuotes("\"a"), "a");
    EXPECT_EQ(StripQuotes("\""), "");
    EXPECT_EQ(UpCaseFirst("file"), "File");
    EXPECT_EQ(UpCaseFirst("\xE9t\xE9"), "\xE9t\xE9");
    EXPECT_EQ(IdentifierToCaption("file_new item"), "fileNewItem");
    EXPECT_EQ(IdentifierToCaption("a__b"), "aB");
}

TEST(Utilities, SplitToStrings) {
    struct TCase {
        const char* S;
        const char* Delimiter;
        std::vector<std::string> Expected;
    };
    const TCase Cases[] = {
        {"a;b;", ";", {"a", "b"}},     {";a", ";", {"", "a"}},
        {"a;;b", ";", {"a", "", "b"}}, {"", ";", {}},
        {"a<>b", "<>", {"a", "b"}},    {"a;b", "", {"a;b"}}, // an empty delimiter ends at once
    };
    for (const TCase& Case : Cases) {
        std::vector<std::string> List{"kept"};
        SplitToStrings(Case.S, Case.Delimiter, List);
        std::vector<std::string> Expected{"kept"};
        Expected.insert(Expected.end(), Case.Expected.begin(), Case.Expected.end());
        EXPECT_EQ(List, Expected) << Case.S;
    }
}

TEST(Utilities, QuotedPascalString) {
    struct TCase {
        std::string S;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"", "''"},         {"it's", "'it''s'"}, {"a\tb", "'a'#9'b'"},
        {"\r\n", "#13#10"}, {"\xE9", "#233"},    {"x\x01", "'x'#1"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(QuotedPascalString(Case.S), Case.Expected);
}

TEST(Utilities, WordWrapLine) {
    // Ten pixels a character.
    const TMeasureText Measure = [](std::string_view S) { return static_cast<int>(S.size()) * 10; };
    struct TCase {
        const char* Text;
        int MaxWidth;
        const char* Line;
        int Width;
        std::size_t Next;
    };
    const TCase Cases[] = {
        {"hello world", 200, "hello world", 110, 11},
        {"hello world", 100, "hello", 50, 6},
        {"hello world", 50, "hello", 50, 6},
        {"abcdefghij klm", 40, "abcd", 40, 4}, // too wide alone: cut where it still fits
        {"a", 5, "a", 10, 1},                  // always at least one character
        {"one two  three", 90, "one two", 70, 9},
        {"", 50, "", 0, 0},
    };
    for (const TCase& Case : Cases) {
        std::string Line;
        int Width = -1;
        std::size_t Next = 99;
        WordWrapLine(Case.Text, Case.MaxWidth, Measure, " ", Line, Width, Next);
        EXPECT_EQ(Line, Case.Line) << Case.Text << " @" << Case.MaxWidth;
        EXPECT_EQ(Width, Case.Width) << Case.Text << " @" << Case.MaxWidth;
        EXPECT_EQ(Next, Case.Next) << Case.Text << " @" << Case.MaxWidth;
    }
}

TEST(Utilities, PlacementKeepsAHundredPixels) {
    const TRect Screen{0, 0, 1920, 1080};
    struct TCase {
        int Left;
        int Top;
        bool Kept;
    };
    const int W = 400;
    const int H = 300;
    const TCase Cases[] = {
        {100, 100, true}, {-300, 0, true}, // 100 pixels left on the screen
        {-301, 0, false},                  // only 99
        {1820, 0, true},                   // 100 pixels on the right edge
        {1821, 0, false}, {0, -200, true}, {0, -201, false}, {0, 980, true}, {0, 981, false},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(KeepsSavedPosition(Case.Left, Case.Top, W, H, Screen), Case.Kept)
            << Case.Left << "," << Case.Top;
    EXPECT_EQ(CentredPosition(401, 300, {10, 20, 1010, 720}), (TPoint{309, 220}));
    EXPECT_EQ(CentredPosition(1200, 300, {0, 0, 1000, 700}), (TPoint{-100, 200}));
}

TEST(Utilities, FontNamesNameRealFonts) {
    for (const std::string& Name : {GetDialogFontName(), GetMonospacedFontName()})
        EXPECT_FALSE(Name.empty());
}

struct TCounted {
    explicit TCounted(int& Freed, int Id, std::vector<int>* Order = nullptr)
        : FFreed(Freed), FId(Id), FOrder(Order) {}
    ~TCounted() {
        ++FFreed;
        if (FOrder)
            FOrder->push_back(FId);
    }
    int& FFreed;
    int FId;
    std::vector<int>* FOrder;
};

TEST(Utilities, OwningListsFreeEachItemOnce) {
    int Freed = 0;
    std::vector<int> Order;
    {
        TDeepStringList<TCounted> List;
        for (int I = 0; I < 3; ++I)
            List.Add("s" + std::to_string(I), std::make_unique<TCounted>(Freed, I, &Order));
        List.Add("no object");
        List.Delete(1);
        EXPECT_EQ(Freed, 1);
    }
    EXPECT_EQ(Freed, 3);
    EXPECT_EQ(Order, (std::vector<int>{1, 0, 2}));

    Freed = 0;
    {
        TDeepList<TCounted> List;
        List.Add(std::make_unique<TCounted>(Freed, 0));
        List.Add(std::make_unique<TCounted>(Freed, 1));
        List.Clear();
        EXPECT_EQ(Freed, 2);
        EXPECT_EQ(List.Count(), 0);
        List.Add(std::make_unique<TCounted>(Freed, 2));
    }
    EXPECT_EQ(Freed, 3);
}

TEST(Utilities, AsciiSortOrdersByByteValue) {
    TAsciiSortStringList<int> List;
    int Announced = 0;
    List.OnChanging = [&] { ++Announced; };
    List.OnChange = [&] { ++Announced; };
    List.Add("b", 1);
    List.Add("B", 2);
    List.Add("a", 3);
    List.Add("\xE9", 4);
    List.Sort();
    EXPECT_EQ(Announced, 2);
    std::vector<std::pair<std::string, int>> Sorted;
    for (const auto& Item : List)
        Sorted.emplace_back(Item.String, Item.Object);
    EXPECT_EQ(Sorted, (std::vector<std::pair<std::string, int>>{
                          {"B", 2}, {"a", 3}, {"b", 1}, {"\xE9", 4}}));
    TAsciiSortStringList<int> One;
    One.OnChanging = [&] { ++Announced; };
    One.Add("x");
    One.Sort();
    EXPECT_EQ(Announced, 2); // nothing to sort, nothing announced
}

TEST(Utilities, AsciiSortHandlesManyEqualAndOrderedKeys) {
    TAsciiSortStringList<int> List;
    for (int I = 0; I < 2000; ++I)
        List.Add(std::to_string(I % 7) + std::to_string(2000 - I), I);
    List.Sort();
    for (int I = 1; I < List.Count(); ++I)
        EXPECT_LE(List.Strings(I - 1), List.Strings(I));
}

} // namespace
} // namespace korvid
