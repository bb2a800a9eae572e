#include "FakeDebuggerHost.h"
#include "devtools/debugger/Debugger.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

std::string Padded(const std::string& Text, std::size_t Width) {
    return std::string(Width > Text.size() ? Width - Text.size() : 0, ' ') + Text;
}

// A listing line: segment column 7-9, procedure 12-14, code mark 16, offset 17-21, text from 24.
std::string Listed(int Segment, int Proc, char Mark, int Offset, const std::string& Text) {
    return std::string(6, ' ') + Padded(std::to_string(Segment), 3) + "  " +
           Padded(std::to_string(Proc), 3) + " " + Mark + Padded(std::to_string(Offset), 5) + "  " +
           Text;
}

const std::vector<std::string> Header = {"\f Page 1", "", "Pascal compiler"};

std::vector<std::string> Listing(std::vector<std::string> Body) {
    std::vector<std::string> Lines = Header;
    Lines.insert(Lines.end(), Body.begin(), Body.end());
    return Lines;
}

class CompilerListing : public ::testing::Test {
protected:
    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};

    void Load(std::vector<std::string> Lines) {
        Host.Files["LIST"] = std::move(Lines);
        Debugger.ReloadMapFile("LIST");
    }
};

TEST_F(CompilerListing, MatchesAListingOfTwoPagesAgainstItsSource) {
    Host.Active = TEditorText{"/s/Demo.text",
                              {"PROGRAM Demo;", "{$I defs.inc}", "VAR x: INTEGER;", "{$L-}",
                               "hidden;", "{$L^}", "SEGMENT PROCEDURE Work;", "BEGIN", "  x := 1;",
                               "END;", "BEGIN", "  Work;", "END."}};
    Load(Listing({Listed(2, 1, 'd', 0, "PROGRAM Demo;"),
                  Listed(2, 1, 'd', 0, "Using LIB"),
                  Listed(2, 1, ' ', 0, "VAR x: INTEGER;"),
                  Listed(2, 1, ' ', 0, "junk"),
                  Listed(2, 1, ' ', 0, "junk"),
                  Listed(2, 1, ' ', 0, "junk"),
                  Listed(2, 1, ' ', 0, "junk"),
                  Listed(2, 1, 'd', 0, "VAR x: INTEGER;"),
                  Listed(2, 1, 'd', 0, "{$L-}"),
                  Listed(2, 1, 'd', 0, "{$L^}"),
                  "\f Page 2",
                  Listed(3, 1, ' ', 0, "SEGMENT PROCEDURE Work;"),
                  Listed(3, 1, ' ', 0, "SEGMENT PROCEDURE Work;"),
                  "",
                  "Pascal compiler",
                  Listed(3, 1, 'd', 0, "SEGMENT PROCEDURE Work;"),
                  Listed(3, 1, ' ', 0, "BEGIN"),
                  Listed(3, 1, ' ', 3, "x := 1;"),
                  Listed(3, 1, ' ', 8, "END;"),
                  Listed(2, 1, ' ', 0, "BEGIN"),
                  Listed(2, 0, ' ', 4, "Work;"),
                  Listed(2, 1, '0', 9, "END.")}));
    EXPECT_EQ(Debugger.MapKind(), 4);
    EXPECT_EQ(Debugger.MapStatus(), "Map file is loaded");
    EXPECT_EQ(Debugger.MapTitle(), "DEMO");
    const std::tuple<std::string, int, int, int> Cases[] = {
        {"WORK", 1, 0, 8},  {"WORK", 1, 3, 9}, {"WORK", 1, 8, 10},
        {"DEMO", 1, 0, 11}, {"DEMO", 1, 4, 0}, {"DEMO", 0, 4, 0},
    };
    for (const auto& [Segment, Proc, Offset, Line] : Cases) {
        const TProcOffset* Found = Debugger.FindProcOffset(Segment, Proc, Offset);
        EXPECT_EQ(Found ? Found->LineNumber : 0, Line) << Segment << " " << Proc << ":" << Offset;
    }
    std::vector<int> Lines;
    for (const TLine& Line : Debugger.Map().Sources.at("/s/Demo.text"))
        Lines.push_back(Line.LineNumber);
    EXPECT_EQ(Lines, (std::vector<int>{8, 9, 10, 11}));
    EXPECT_EQ(Debugger.CurrentSources(), std::vector<std::string>{"/s/Demo.text"});
}

TEST_F(CompilerListing, SaysWhyAListingDidNotLoad) {
    const struct {
        std::optional<TEditorText> Source;
        std::vector<std::string> Lines;
        std::string Status, Title;
    } Cases[] = {
        {std::nullopt, Listing({Listed(2, 1, ' ', 0, "BEGIN")}), "The Pascal source is not open",
         "** No source **"},
        {TEditorText{"w.text", {"nothing alike"}}, Listing({Listed(2, 1, ' ', 0, "BEGIN")}),
         "The map file could not be parsed", "** Wrong source **"},
        {TEditorText{"w.text", {"BEGIN", "END."}},
         Listing({Listed(2, 1, ' ', 0, "BEGIN"), Listed(2, 1, ' ', 2, "END.")}),
         "The map file could not be parsed", "(Pascal)"},
        {TEditorText{"w.text", {"BEGIN"}},
         {"\f", "Pascal"},
         "The map file has an unknown format",
         "** Bad map **"},
    };
    for (const auto& Case : Cases) {
        Host.Active = Case.Source;
        Load(Case.Lines);
        EXPECT_EQ(Debugger.MapStatus(), Case.Status);
        EXPECT_EQ(Debugger.MapTitle(), Case.Title);
        EXPECT_FALSE(Debugger.MapLoaded());
    }
}

TEST_F(CompilerListing, LoadsDamagedListingsWithoutACrash) {
    Host.Active = TEditorText{"w.text", {"UNIT A;", "BEGIN", "{$I x}"}};
    const std::vector<std::string> Damaged[] = {
        Listing({"\f"}),
        Listing({"UNIT", "x", "     2  99999 x99999  UNIT", std::string(200, 'x')}),
        Listing({Listed(2, -1, ' ', -4, "UNIT A;"), Listed(2, 40000, ' ', 1, "BEGIN"),
                 Listed(2, 1, ' ', 1, "{$L^}")}),
    };
    for (const auto& Lines : Damaged)
        Load(Lines);
    SUCCEED();
}

} // namespace
} // namespace korvid
