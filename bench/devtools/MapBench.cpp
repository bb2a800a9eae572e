// Loading a large map (500 sources of 400 code lines, with their procedures as entities and a
// name list per segment) and the two lookups over it: code position to source line, as the
// disassembler asks it for every procedure it lists, and source line to code position.

#include <benchmark/benchmark.h>

#include "devtools/debugger/Debugger.h"
#include "devtools/debugger/DebuggerHost.h"

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvid {
namespace {

constexpr int SourceCount = 500;
constexpr int LinesPerSource = 400;
constexpr int SourcesPerSegment = 10;
constexpr int LinesPerProc = 20;
constexpr int ProcsPerSource = LinesPerSource / LinesPerProc;
constexpr int OffsetStep = 7;

std::string SegmentName(int Source) {
    return "SEG" + std::to_string(Source / SourcesPerSegment);
}
std::string SourceName(int Source) {
    return "/work/src/unit" + std::to_string(Source) + ".vp";
}
int ProcNumber(int Source, int Line) {
    return (Source % SourcesPerSegment) * ProcsPerSource + Line / LinesPerProc + 1;
}

std::string Padded(std::string Text, std::size_t Width) {
    Text.resize(std::max(Width, Text.size()), ' ');
    return Text;
}

std::vector<std::string> GenerateMap() {
    std::vector<std::string> Lines{"|L3| \"C:\\work\\Big.vp\""};
    for (int Source = 0; Source < SourceCount; ++Source) {
        Lines.push_back("#   " + Padded(SegmentName(Source), 8) + " " + SourceName(Source));
        for (int Line = 0; Line < LinesPerSource; ++Line)
            Lines.push_back(Padded(std::to_string(Line + 1), 6) +
                            std::to_string(ProcNumber(Source, Line)) + ":" +
                            std::to_string((Line % LinesPerProc) * OffsetStep) +
                            "   total := total + " + std::to_string(Line) + ";");
    }
    Lines.emplace_back("-");
    for (int Segment = 0; Segment < SourceCount / SourcesPerSegment; ++Segment) {
        Lines.push_back("SEG" + std::to_string(Segment) + " # " + std::to_string(Segment + 1));
        Lines.push_back(" count i 1");
        Lines.push_back(" title s20 2");
        for (int Proc = 1; Proc <= SourcesPerSegment * ProcsPerSource; ++Proc) {
            Lines.push_back(" Proc" + std::to_string(Proc) + " P " + std::to_string(Proc));
            Lines.push_back("  index i 1");
        }
    }
    Lines.emplace_back("-");
    for (int Segment = 0; Segment < SourceCount / SourcesPerSegment; ++Segment)
        Lines.push_back(std::to_string(Segment) + " alpha beta*gamma delta");
    Lines.emplace_back("-");
    return Lines;
}

// A window that hands out the generated map and has nothing open.
class TBenchHost : public TDebuggerHost {
public:
    std::vector<std::string> MapLines = GenerateMap();

    void LoadFileIntoEditor(const std::string&, std::vector<std::string>& Target) override {
        Target = MapLines;
    }
    std::string FindOpenVolumeFile(const std::string&) const override { return {}; }
    std::optional<TEditorText> ActiveEditorText() const override { return std::nullopt; }
    void OpenTextInNewTab(const std::string&, const std::string&) override {}
    bool IsFileOpenInTab(const std::string&) const override { return true; }
    void OpenSourceFile(const std::string&) override {}
    bool OpenSourceOnLoad() const override { return false; }
};

TBenchHost& Host() {
    static TBenchHost Shared;
    return Shared;
}

const TDebugger& LoadedDebugger() {
    static const std::unique_ptr<TDebugger> Shared = [] {
        auto Debugger = std::make_unique<TDebugger>(Host());
        Debugger->LoadMapFile("Big.map");
        return Debugger;
    }();
    return *Shared;
}

void BM_LoadMap(benchmark::State& State) {
    TDebugger Debugger(Host());
    for (auto _ : State) {
        Debugger.ReloadMapFile("Big.map");
        if (!Debugger.MapLoaded())
            throw std::runtime_error(Debugger.MapStatus());
    }
    State.counters["map_lines"] = double(Host().MapLines.size());
    State.counters["segments"] = double(Debugger.Map().Segments.size());
}
BENCHMARK(BM_LoadMap)->Unit(benchmark::kMillisecond);

struct TQuery {
    std::string Segment;
    int Proc;
    int Offset;
};

// Positions spread over every segment and procedure, a few of them between two lines' code.
std::vector<TQuery> Queries() {
    std::mt19937 Random(37);
    std::vector<TQuery> Result;
    for (int Index = 0; Index < 4096; ++Index) {
        const int Source = int(Random() % SourceCount);
        const int Line = int(Random() % LinesPerSource);
        Result.push_back({SegmentName(Source), ProcNumber(Source, Line),
                          (Line % LinesPerProc) * OffsetStep + int(Random() % 3)});
    }
    return Result;
}

void BM_FindProcOffset(benchmark::State& State) {
    const TDebugger& Debugger = LoadedDebugger();
    const std::vector<TQuery> Asked = Queries();
    std::size_t Found = 0;
    std::size_t Next = 0;
    for (auto _ : State) {
        const TQuery& Query = Asked[Next++ % Asked.size()];
        const TProcOffset* Result =
            Debugger.FindProcOffset(Query.Segment, Query.Proc, Query.Offset);
        Found += Result != nullptr;
        benchmark::DoNotOptimize(Result);
    }
    State.SetItemsProcessed(State.iterations());
    State.counters["found"] = double(Found) / double(State.iterations());
}
BENCHMARK(BM_FindProcOffset);

void BM_LocateProcOffset(benchmark::State& State) {
    const TDebugger& Debugger = LoadedDebugger();
    std::mt19937 Random(43);
    std::vector<std::pair<std::string, int>> Asked;
    for (int Index = 0; Index < 4096; ++Index)
        Asked.emplace_back(SourceName(int(Random() % SourceCount)),
                           int(Random() % LinesPerSource) + 1);
    std::size_t Next = 0;
    for (auto _ : State) {
        const auto& [File, Line] = Asked[Next++ % Asked.size()];
        benchmark::DoNotOptimize(Debugger.LocateProcOffset(File, Line));
    }
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(BM_LocateProcOffset);

} // namespace
} // namespace korvid

BENCHMARK_MAIN();
