// Lines of Lorvanta source as a host sees them coloured, with the earlier lines they depend on.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Tokeniser.h"
#include "tests/plugin/FakeHost.h"

namespace korvid::test {
namespace {

struct TLineCase {
    const char* Title;
    std::vector<std::string> Lines; // the last one is coloured
    std::vector<TTextChunk> Expected;
};

const TLineCase LineCases[] = {
    {"empty line", {""}, {}},
    {"blanks and tabs are one chunk",
     {" \tfetch\t customer"},
     {{" \t", Blanks}, {"fetch", Command}, {"\t ", Blanks}, {"customer", Name}}},
    {"dotted number", {"12.5.3 x"}, {{"12.5.3", Number}, {" ", Blanks}, {"x", Name}}},
    {"pipe inside a name", {"x2|y +"}, {{"x2|y", Name}, {" ", Blanks}, {"+", Symbol}}},
    {"strings, closed and unterminated",
     {"s = 'a;b' 'open ; x"},
     {{"s", Name},
      {" ", Blanks},
      {"=", Symbol},
      {" ", Blanks},
      {"'a;b'", String},
      {" ", Blanks},
      {"'open ; x", String}}},
    {"pipe mode after the first pipe",
     {"|Total: {count} items|"},
     {{"|", Pipe},
      {"Total: ", String},
      {"{", Pipe},
      {"count", Function},
      {"}", Pipe},
      {" items|", String}}},
    {"directive as the first token", {"?define DEBUG 1"}, {{"?define DEBUG 1", Directive}}},
    {"question mark later is a symbol",
     {"x ?y"},
     {{"x", Name}, {" ", Blanks}, {"?", Symbol}, {"y", Name}}},
    {"assert takes the rest of the line",
     {"  assert x > 0 ; why"},
     {{"  ", Blanks}, {"assert x > 0 ; why", Assertion}}},
    {"assert after another token",
     {"x assert y"},
     {{"x", Name}, {" ", Blanks}, {"assert y", Assertion}}},
    {"exclamation comment", {"x ! y"}, {{"x", Name}, {" ", Blanks}, {"! y", HashComment}}},
    {"hash comment", {"x #y"}, {{"x", Name}, {" ", Blanks}, {"#y", HashComment}}},
    {"semicolon comment",
     {"if x ; y"},
     {{"if", Block}, {" ", Blanks}, {"x", Name}, {" ", Blanks}, {"; y", SemiComment}}},
    {"closing bracket and hash",
     {"a )# b)"},
     {{"a", Name}, {" ", Blanks}, {")#", HashComment}, {" ", Blanks}, {"b", Name}, {")", Symbol}}},
    {"backslash and other characters",
     {"_a\\\"\xe9"},
     {{"_", Symbol}, {"a", Name}, {"\\", Backslash}, {"\"", Symbol}, {"\xe9", Symbol}}},
    {"name after a single dot is not classified",
     {"rec.count"},
     {{"rec", Name}, {".", Symbol}, {"count", Name}}},
    {"name after a double dot is classified",
     {"x..count"},
     {{"x", Name}, {"..", Symbol}, {"count", Function}}},
    {"procedure names after func and after dots",
     {"func total.sub..more x"},
     {{"func", Block},
      {" ", Blanks},
      {"total", Procedure},
      {".", Symbol},
      {"sub", Procedure},
      {"..", Symbol},
      {"more", Procedure},
      {" ", Blanks},
      {"x", Name}}},
    {"keywords by position: case first", {"case x"}, {{"case", Block}, {" ", Blanks}, {"x", Name}}},
    {"keywords by position: case later",
     {"x case"},
     {{"x", Name}, {" ", Blanks}, {"case", Operator}}},
    {"keywords by first keyword", {"end if"}, {{"end", End}, {" ", Blanks}, {"if", Block}}},
    {"clause after its keyword",
     {"display at"},
     {{"display", Command}, {" ", Blanks}, {"at", Clause}}},
    {"clause without its keyword", {"at x"}, {{"at", Name}, {" ", Blanks}, {"x", Name}}},
    {"capitals are names", {"If x"}, {{"If", Name}, {" ", Blanks}, {"x", Name}}},

    // Statements continued over lines ending with a comma or a backslash.
    {"comma continues the statement", {"x = a,", "case"}, {{"case", Operator}}},
    {"comma and blank do not", {"x = a, ", "case"}, {{"case", Block}}},
    {"backslash continues",
     {"fetch customer \\", "where x"},
     {{"where", Clause}, {" ", Blanks}, {"x", Name}}},
    {"no continuation, no context",
     {"fetch customer", "where x"},
     {{"where", Name}, {" ", Blanks}, {"x", Name}}},
    {"continued from the first line", {"fetch a,", "b,", "where"}, {{"where", Clause}}},
    {"continuation stops at an earlier statement",
     {"x = 1", "fetch a,", "b,", "where"},
     {{"where", Clause}}},
    {"pipe seen on a continued line",
     {"|a {b} c,", "d} e {f}"},
     {{"d", Name}, {"}", Pipe}, {" e ", String}, {"{", Pipe}, {"f", Name}, {"}", Pipe}}},

    // Block comments found by looking back.
    {"opener line itself", {"  ;( start"}, {{"  ", Blanks}, {";( start", SemiComment}}},
    {"inside a semicolon block", {"  ;( start", "x", "if y"}, {{"if y", SemiComment}}},
    {"inside a hash block", {"#( start", "if y"}, {{"if y", HashComment}}},
    {"closing line is still inside", {";(", "x", ");"}, {{");", SemiComment}}},
    {"closed by semicolon bracket", {";(", " );", "x"}, {{"x", Name}}},
    {"closed by bracket hash", {"#(", ")# end", "x"}, {{"x", Name}}},
    {"tabs do not lead to an opener", {"\t;(", "x"}, {{"x", Name}}},
    {"stale bytes after a short line", {" ;", "x"}, {{"x", Name}}},
    {"opener inside a continued statement", {"x = 1, ;( note,", "if y"}, {{"if y", SemiComment}}},
    {"empty line inside a block", {";(", ""}, {}},
};

void PrintTo(const TLineCase& Case, std::ostream* Out) {
    *Out << Case.Title;
}

class TLineCaseTest : public ::testing::TestWithParam<TLineCase> {};

TEST_P(TLineCaseTest, ChunksOfTheLastLine) {
    const TLineCase& Case = GetParam();
    TFakeHost Host(Case.Lines);
    EXPECT_EQ(Host.ColourAsText(static_cast<std::int32_t>(Case.Lines.size()), &EnumLineChunks),
              Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(Tokeniser, TLineCaseTest, ::testing::ValuesIn(LineCases),
                         [](const ::testing::TestParamInfo<TLineCase>& Info) {
                             std::string Title = Info.param.Title;
                             for (char& C : Title)
                                 if (!std::isalnum(static_cast<unsigned char>(C)))
                                     C = '_';
                             return Title;
                         });

TEST(Tokeniser, RestOfLineChunksCarryTheWholeLineLength) {
    TFakeHost Host({"abcd ;23456789012345", ";( x", "if y"});
    EXPECT_EQ(Host.Colour(1, &EnumLineChunks),
              (std::vector<TChunk>{{Name, 0, 4}, {Blanks, 4, 1}, {SemiComment, 5, 20}}));
    EXPECT_EQ(Host.Colour(3, &EnumLineChunks), (std::vector<TChunk>{{SemiComment, 0, 4}}));
}

std::vector<std::string> OpenerThenNames(int NamesAfter) {
    std::vector<std::string> Lines{";( opened here"};
    Lines.insert(Lines.end(), static_cast<std::size_t>(NamesAfter), "x");
    return Lines;
}

TEST(Tokeniser, BlockCommentIsSeenFrom200LinesAboveButNot201) {
    TFakeHost Host(OpenerThenNames(201));
    EXPECT_EQ(Host.Colour(201, &EnumLineChunks), (std::vector<TChunk>{{SemiComment, 0, 1}}));
    EXPECT_EQ(Host.Requested().back(), 1);
    EXPECT_EQ(Host.Colour(202, &EnumLineChunks), (std::vector<TChunk>{{Name, 0, 1}}));
    for (const std::int32_t L : Host.Requested())
        EXPECT_GE(L, 2);
}

TEST(Tokeniser, AsksOnlyForEarlierLines) {
    std::vector<std::string> Lines(300, "fetch a,");
    Lines[0] = "x";
    TFakeHost Host(Lines);
    Host.Colour(1, &EnumLineChunks);
    EXPECT_TRUE(Host.Requested().empty());
    Host.Colour(2, &EnumLineChunks);
    EXPECT_EQ(Host.Requested(), (std::vector<std::int32_t>{1, 1}));
    // Every line of a long continued statement is read, but never the line itself or later ones.
    Host.Colour(300, &EnumLineChunks);
    EXPECT_EQ(*std::min_element(Host.Requested().begin(), Host.Requested().end()), 1);
    EXPECT_EQ(*std::max_element(Host.Requested().begin(), Host.Requested().end()), 299);
}

// Answers "a," a number of times and an empty string after that.
struct TFadingHost {
    int Answers;
    int Reported = 0;
    static void Chunk(void* Data, std::uint8_t, std::int32_t, std::int32_t) {
        ++static_cast<TFadingHost*>(Data)->Reported;
    }
    static void GetLine(void* Data, std::int32_t, char* Buffer) {
        std::strcpy(Buffer, --static_cast<TFadingHost*>(Data)->Answers >= 0 ? "a," : "");
    }
};

TEST(Tokeniser, EmptyLineOfTheStatementEndsTheCall) {
    // Line 3 reads lines 2 and 1 looking for comments, again looking for the statement start,
    // and a fifth time to tokenise line 1.
    TFadingHost Fading{4};
    EnumLineChunks(&Fading, "x", 1, 3, &TFadingHost::Chunk, &TFadingHost::GetLine);
    EXPECT_EQ(Fading.Reported, 0);
    TFadingHost Steady{100};
    EnumLineChunks(&Steady, "x", 1, 3, &TFadingHost::Chunk, &TFadingHost::GetLine);
    EXPECT_EQ(Steady.Reported, 1);
}

TEST(Tokeniser, OddArgumentsStayWithinTheGivenLine) {
    struct THost {
        std::vector<TChunk> Chunks;
        int Fetches = 0;
        static void Chunk(void* Data, std::uint8_t Kind, std::int32_t Start, std::int32_t Length) {
            static_cast<THost*>(Data)->Chunks.push_back({Kind, Start, Length});
        }
        static void GetLine(void* Data, std::int32_t, char* Buffer) {
            ++static_cast<THost*>(Data)->Fetches;
            Buffer[0] = '\0';
        }
    };
    const auto Colour = [](const char* Line, std::int32_t LineLength, std::int32_t LineNo) {
        THost Host;
        EnumLineChunks(&Host, Line, LineLength, LineNo, &THost::Chunk, &THost::GetLine);
        return std::pair{Host.Chunks, Host.Fetches};
    };
    // The given length bounds the line, whatever follows in memory.
    EXPECT_EQ(Colour("x;(", 1, 1), std::pair(std::vector<TChunk>{{Name, 0, 1}}, 0));
    // Line numbers that name no line of a document read no other line.
    EXPECT_EQ(Colour("x", 1, 0), std::pair(std::vector<TChunk>{{Name, 0, 1}}, 0));
    EXPECT_EQ(Colour("x", 1, std::numeric_limits<std::int32_t>::min()),
              std::pair(std::vector<TChunk>{{Name, 0, 1}}, 0));
    EXPECT_EQ(Colour("x", 1, std::numeric_limits<std::int32_t>::max()),
              std::pair(std::vector<TChunk>{{Name, 0, 1}}, CommentLookBackLines + 1));
    EXPECT_EQ(Colour(nullptr, 5, 1), std::pair(std::vector<TChunk>{}, 0));
    EXPECT_EQ(Colour("x", -1, 1), std::pair(std::vector<TChunk>{}, 0));
}

} // namespace
} // namespace korvid::test
