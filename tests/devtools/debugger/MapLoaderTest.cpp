#include "devtools/debugger/MapLoader.h"
#include "FakeDebuggerHost.h"
#include "MapTestSupport.h"
#include "devtools/debugger/Debugger.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

class MapLoader : public ::testing::Test {
protected:
    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};

    void Load(std::vector<std::string> Lines) {
        Host.Files["/m/MAP"] = std::move(Lines);
        Debugger.ReloadMapFile("/m/MAP");
    }

    // One source with one procedure at offsets 0, 10, 20 on lines 5, 9, 14.
    void LoadDemo() {
        Load({"|L3| \"C:\\x\\Demo.vp\"", Segment("DEMO", "C:\\x\\Demo.vp"), Entry(5, "1:0 begin"),
              Entry(9, "1:10 x := 1;"), Entry(14, "1:20 end."), "-", "-", "-"});
    }
};

TEST_F(MapLoader, TakesTheTitleFromTheProgramPath) {
    const std::pair<std::string, std::string> Cases[] = {
        {"|L3| \"C:\\x\\Demo.vp\"", "Demo"},
        {"|L2| /home/me/work/Ledger.text", "Ledger"},
        {"|RW| PLAIN", "PLAIN"},
        {"|L3| \"C:\\dir.v2\\Noext\"", "Noext"},
        {"|L3|", ""},
    };
    for (const auto& [First, Title] : Cases) {
        Load({First, Segment("S", "a.vp"), Entry(1, "1:0 x")});
        EXPECT_EQ(Debugger.MapTitle(), Title) << First;
        EXPECT_EQ(Debugger.MapStatus(), "Map file is loaded") << First;
    }
}

TEST_F(MapLoader, ReadsALineEntryByItsColumns) {
    Load({"|L3| x", Segment("MAIN", "m.vp"), Entry(12, "3:40 x := 1;  ")});
    const TLine* Line = Debugger.LocateProcOffset("m.vp", 12);
    ASSERT_NE(Line, nullptr);
    EXPECT_EQ(Line->LineNumber, 12);
    EXPECT_EQ(Line->ProcNumber, 3);
    EXPECT_EQ(Line->Offset, 40);
    EXPECT_EQ(Line->SegmentName, "MAIN");
    const TProcOffset* Code = Debugger.FindProcOffset("MAIN", 3, 40);
    ASSERT_NE(Code, nullptr);
    EXPECT_EQ(Code->Text, "x := 1;");
    EXPECT_EQ(Code->LineNumber, 12);
    EXPECT_EQ(Code->SourceName, "m.vp");
    EXPECT_EQ(Debugger.MapKind(), 3);
}

TEST_F(MapLoader, FindsTheSourceLineOfACodePosition) {
    LoadDemo();
    struct TCase {
        std::string Segment;
        int Proc, Offset, Line; // 0: none
    };
    const TCase Cases[] = {
        {"DEMO", 1, 15, 9}, {"DEMO", 1, 20, 14}, {"DEMO", 1, 25, 0},     {"DEMO", 1, 0, 5},
        {"DEMO", 1, -1, 5}, {"DEMO", 1, 10, 9},  {"NOPE", 1, 0, 0},      {"DEMO", 0, 0, 0},
        {"DEMO", 2, 0, 0},  {"DEMO", -3, 0, 0},  {"DEMO    ", 1, 15, 9}, {"demo", 1, 20, 14},
    };
    for (const TCase& Case : Cases) {
        const TProcOffset* Found = Debugger.FindProcOffset(Case.Segment, Case.Proc, Case.Offset);
        EXPECT_EQ(Found ? Found->LineNumber : 0, Case.Line)
            << Case.Segment << " " << Case.Proc << ":" << Case.Offset;
    }
}

TEST_F(MapLoader, FindsTheCodeOfASourceLine) {
    LoadDemo();
    const std::tuple<std::string, int, int> Cases[] = {
        {"C:\\x\\Demo.vp", 7, 5},  {"C:\\x\\Demo.vp", 9, 9},   {"C:\\x\\Demo.vp", 2, 5},
        {"C:\\x\\Demo.vp", 20, 0}, {"c:\\X\\DEMO.VP", 14, 14}, {"Other.vp", 5, 0},
    };
    for (const auto& [File, Asked, Expected] : Cases) {
        const TLine* Found = Debugger.LocateProcOffset(File, Asked);
        EXPECT_EQ(Found ? Found->LineNumber : 0, Expected) << File << " " << Asked;
    }
    EXPECT_TRUE(Debugger.IsCurrentSource("c:\\x\\demo.vp"));
    EXPECT_EQ(Debugger.CurrentSources(), std::vector<std::string>{"C:\\x\\Demo.vp"});
}

TEST_F(MapLoader, SaysWhyAMapDidNotLoad) {
    const struct {
        std::vector<std::string> Lines;
        std::string Status, Title;
    } Cases[] = {
        {{}, "The map file could not be opened", "** No such map **"},
        {{"hello", "world"}, "The map file has an unknown format", "** Bad map **"},
        {{"\f", "Pascal"}, "The map file has an unknown format", "** Bad map **"},
        {{"|L3| Demo", "    blank first", "", "-", "x i 1"},
         "The first section of the map file could not be parsed",
         "Demo"},
    };
    for (const auto& Case : Cases) {
        if (Case.Lines.empty())
            Debugger.ReloadMapFile("/m/none");
        else
            Load(Case.Lines);
        EXPECT_EQ(Debugger.MapStatus(), Case.Status);
        EXPECT_EQ(Debugger.MapTitle(), Case.Title);
        EXPECT_FALSE(Debugger.MapLoaded());
        EXPECT_EQ(Debugger.FindProcOffset("DEMO", 1, 0), nullptr);
        EXPECT_EQ(Host.Busy, 0);
    }
}

TEST_F(MapLoader, ShowsTheHourglassWhileReading) {
    LoadDemo();
    EXPECT_TRUE(Host.ReadWhileBusy);
    EXPECT_EQ(Host.Busy, 0);
    EXPECT_TRUE(Debugger.MapLoaded());
}

TEST_F(MapLoader, SkipsProcedureAndNameListNumbersOutOfRange) {
    Load({"|L3| x",
          Segment("S", "a.vp"),
          Entry(1, "0:0 zero"),
          Entry(2, "-5:0 below"),
          Entry(3, "40000:0 huge"),
          Entry(4, "2147483647:0 top"),
          Entry(5, "99999999999:0 over"),
          Entry(6, "32767:4 last"),
          Entry(7, "2:8 kept"),
          "-",
          "-",
          "99999",
          "   lost",
          "40000 x y",
          "7",
          "   seven",
          "   eleven",
          "z not a number",
          "   dropped",
          "2 one two*three four"});
    EXPECT_NE(Debugger.FindProcOffset("S", 2, 8), nullptr);
    EXPECT_NE(Debugger.FindProcOffset("S", 32767, 4), nullptr);
    EXPECT_EQ(Debugger.Map().Sources.at("a.vp").size(), 2u);
    const auto& Names = Debugger.Map().Names;
    ASSERT_EQ(Names.size(), 8u);
    EXPECT_EQ(Names[7], (std::vector<std::string>{"seven", "eleven"}));
    EXPECT_EQ(Names[2], (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST_F(MapLoader, NamesSourcesOfARwMapInsideTheirVolume) {
    Host.OpenTabs = {"/v/Work.vol>DATA.SVOL:UNIT.TEXT"};
    Load({"|RW| PROG", Segment("UNIT", "DATA:UNIT.TEXT"), Entry(1, "1:0 a"),
          Segment("MAIN", "WORK:X.TEXT"), Entry(2, "1:0 b"), Segment("Q", "\"C:\\q src.text\""),
          Entry(3, "1:0 c")});
    EXPECT_EQ(Debugger.CurrentSources(),
              (std::vector<std::string>{"/v/Work.vol>DATA.SVOL:UNIT.TEXT", "/v/Work.vol>X.TEXT",
                                        "C:\\q src.text"}));
    EXPECT_EQ(Debugger.MapKind(), 1);
}

TEST_F(MapLoader, ReadsTheMapThroughTheHostsReader) {
    Host.Files["/v/Work.vol>WORK:MAP"] = {"|L2| P", Segment("P", "p.text"), Entry(4, "1:0 x")};
    Host.OpenSource = true;
    Host.OpenTabs = {};
    Debugger.LoadMapFile("/v/Work.vol>WORK:MAP");
    EXPECT_TRUE(Debugger.MapLoaded());
    EXPECT_EQ(Debugger.MapKind(), 2);
    EXPECT_EQ(Host.OpenedSources, std::vector<std::string>{"p.text"});
    EXPECT_EQ(Host.Refreshes, 1);
    Host.OpenTabs = {"p.text"};
    Debugger.ReloadMapFile("/v/Work.vol>WORK:MAP");
    EXPECT_EQ(Host.OpenedSources.size(), 1u);
    Debugger.ForgetMap();
    EXPECT_FALSE(Debugger.MapLoaded());
}

TEST_F(MapLoader, AnswersTheDisassemblerWithTheProceduresName) {
    Load({"|L3| x", Segment("DEMO", "d.vp"), Entry(5, "1:0 begin"), Entry(6, "2:0 other"), "-",
          "DEMO # 1", " run P 1", "-"});
    const TSourceLineProvider& Provider = Debugger;
    const TMapSourceLine* First = Provider.FindProcOffset("DEMO", 1, 0);
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(First->SourceText(), "begin");
    EXPECT_EQ(First->ProcedureName(), "run");
    ASSERT_NE(Provider.FindProcOffset("DEMO", 2, 0), nullptr);
    EXPECT_EQ(Provider.FindProcOffset("DEMO", 2, 0)->ProcedureName(), "");
    EXPECT_EQ(First, Provider.FindProcOffset("DEMO", 1, -1));
}

TEST_F(MapLoader, WritesTheParsedMapOut) {
    // Offsets out of order leave the one at 4 unfound.
    Load({"|L3| x", Segment("B", "b.vp"), Entry(1, "1:0 begin"), Entry(3, "1:4 y := 2;"),
          Entry(4, "1:2 z"), Segment("A", "a.vp"), Entry(7, "2:0 go"), "-"});
    const std::string Expected = "# Source: a.vp\n"
                                 "7 A 2:0\ngo\n\n"
                                 "# Source: b.vp\n"
                                 "1 B 1:0\nbegin\n\n"
                                 "3 B 1:4\n[??? ProcOffset not found]\n\n"
                                 "4 B 1:2\nbegin\n\n";
    EXPECT_EQ(Debugger.ParsedMapText(), Expected);
    Debugger.ShowParsedMap();
    ASSERT_EQ(Host.NewTabs.size(), 1u);
    EXPECT_EQ(Host.NewTabs[0], std::make_pair(std::string("Parsed Map File"), Expected));
}

TEST_F(MapLoader, SlicesColumnsWithinTheLine) {
    EXPECT_EQ(Columns("abcdef", 2, 4), "bcd");
    EXPECT_EQ(Columns("abc", 2, 9), "bc");
    EXPECT_EQ(Columns("abc", 5, 9), "");
    EXPECT_EQ(NumberOr0(" 4"), 0);
    EXPECT_EQ(NumberOr0("-7"), -7);
    EXPECT_EQ(NumberOr0("3x"), 0);
}

TEST_F(MapLoader, LoadsDamagedMapsWithoutACrash) {
    const std::vector<std::string> Damaged[] = {
        {"|L3|"},
        {"|L3| x", "#", "#x", "12", "12    ", "12    :", "12    1:", "12    1:x y", "-"},
        {"|L3| x", Segment("S", "a"), Entry(-4, "1:-8 neg"), Entry(2, "1:99999999999 big"), "-",
         "  deep i 1", "x", "a a999999999*99999999 3", " 1 i 1", "-", "-2"},
        {"|RW|", Segment("", ""), Entry(1, "1:0"), "-", "", "   ", "-", "", "    ", "-"},
        {"|L2| y", Segment("S", "a"), Entry(1, "1:0 x"), "-", "F F 1", " t t 2", "  T T 3", "q"},
    };
    for (const auto& Lines : Damaged) {
        Load(Lines);
        Debugger.ParsedMapText();
        Debugger.FindProcOffset("S", 1, 0);
    }
    SUCCEED();
}

TEST_F(MapLoader, LoadsAMapCutAtEveryByte) {
    const std::vector<std::string> Whole = {"|L3| \"C:\\x\\Demo.vp\"",
                                            Segment("DEMO", "C:\\x\\Demo.vp"),
                                            Entry(5, "1:0 begin"),
                                            Entry(9, "2:10 x := 1;"),
                                            "-",
                                            "DEMO # 1",
                                            " main P 1",
                                            "  acct r 4",
                                            "   totals a12*1 2 @",
                                            "    3 i 3",
                                            " cust F 2 m=Data",
                                            "  name s9 1",
                                            "-",
                                            "3 a b*c d",
                                            "4",
                                            " e",
                                            "-"};
    std::string Text;
    for (const std::string& Line : Whole)
        Text += Line + "\n";
    for (std::size_t Length = 0; Length <= Text.size(); ++Length) {
        std::vector<std::string> Lines;
        std::string Cut = Text.substr(0, Length);
        for (std::size_t Start = 0; Start < Cut.size();) {
            const auto End = std::min(Cut.find('\n', Start), Cut.size());
            Lines.push_back(Cut.substr(Start, End - Start));
            Start = End + 1;
        }
        Load(Lines);
        Debugger.ParsedMapText();
        Debugger.FindProcOffset("DEMO", 1, 0);
        Debugger.LocateProcOffset("C:\\x\\Demo.vp", 9);
    }
    EXPECT_TRUE(Debugger.MapLoaded());
    EXPECT_NE(Debugger.FindProcOffset("DEMO", 2, 10), nullptr);
}

} // namespace
} // namespace korvid
