// The editor's search, replace and save on large documents.
//   replace_all       100,000 replacements in one undo group (target: under 1 s)
//   search_lines      a case-insensitive search for an absent word over 100,000 lines,
//                     forwards and backwards (target: under 50 ms)
//   search_paragraph  the same in one 32,000-character paragraph of near matches (target: under
//                     50 ms)
//   find_each         every match in turn from the top, as the open-documents listing and
//                     Find Next walk: 100,000 finds (target: under 0.3 s, so that each find
//                     costs the distance to its match, not the document's length)
//   save              SaveToFile of a 6 MB document (target: under 0.3 s)
#include "editor/engine/EngTextFileEditor.h"
#include "tests/editor/engine/FakeEditorHost.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace korvid {
namespace {

constexpr int LineCount = 100'000;

// 100,000 lines of 60 characters, each holding the word "cat" once.
std::string LinesText(bool WithCats) {
    std::string Text;
    Text.reserve(LineCount * 62);
    for (int I = 0; I < LineCount; ++I) {
        std::string Line = "procedure begin end var integer writeln if then else do ";
        Line += WithCats ? "cat" : "dog";
        Text += Line;
        Text += "\r\n";
    }
    return Text;
}

struct TFixture {
    test::TFakeEditorHost Host;
    TEngTextFileEditor E{Host};
    TFixture() {
        E.WindowCreated();
        E.SetUndoBufferSize(65535);
    }
};

void BM_ReplaceAll(benchmark::State& State) {
    const std::string Text = LinesText(true);
    for (auto _ : State) {
        State.PauseTiming();
        TFixture F;
        F.E.SetEditorText(Text);
        State.ResumeTiming();
        // One undo group, though a group this large outgrows any undo buffer and is purged.
        const TSearchResult R = F.E.SearchReplace("CAT", "bird", soReplaceAll | soWholeDocument);
        if (R.Replacements != LineCount) {
            State.SkipWithError("wrong count");
            break;
        }
    }
}
BENCHMARK(BM_ReplaceAll)->Name("replace_all")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SearchLines(benchmark::State& State) {
    TFixture F;
    F.E.SetEditorText(LinesText(false));
    const bool Backwards = State.range(0) != 0;
    for (auto _ : State) {
        if (Backwards)
            F.E.MoveCaretToPara(F.E.ParaCount(), 1);
        else
            F.E.MoveCaretToPara(1, 1);
        const bool Found = F.E.FindText("wombat", Backwards ? soBackwards : 0);
        benchmark::DoNotOptimize(Found);
    }
}
BENCHMARK(BM_SearchLines)
    ->Name("search_lines")
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"backwards"})
    ->Unit(benchmark::kMillisecond);

void BM_SearchParagraph(benchmark::State& State) {
    TFixture F;
    F.E.SetParaLengthLimit(32767);
    // Near matches of the pattern: all but its last character agree.
    std::string Para;
    while (Para.size() < 32000)
        Para += "abcdefghijklmnoX ";
    Para.resize(32000);
    F.E.SetEditorText(Para);
    const bool Backwards = State.range(0) != 0;
    for (auto _ : State) {
        F.E.MoveCaretToPara(1, Backwards ? 32001 : 1);
        const bool Found = F.E.FindText("ABCDEFGHIJKLMNOP", Backwards ? soBackwards : 0);
        benchmark::DoNotOptimize(Found);
    }
}
BENCHMARK(BM_SearchParagraph)
    ->Name("search_paragraph")
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"backwards"})
    ->Unit(benchmark::kMillisecond);

void BM_FindEach(benchmark::State& State) {
    const std::string Text = LinesText(true);
    for (auto _ : State) {
        State.PauseTiming();
        TFixture F;
        F.E.SetEditorText(Text);
        F.E.SetCaretPosition(1, 1);
        State.ResumeTiming();
        int Found = 0;
        while (F.E.SearchReplace("cat", {}, 0).Found)
            ++Found;
        if (Found != LineCount) {
            State.SkipWithError("wrong count");
            break;
        }
    }
}
BENCHMARK(BM_FindEach)->Name("find_each")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Save(benchmark::State& State) {
    TFixture F;
    F.E.SetEditorText(LinesText(true)); // 6.2 MB
    const std::filesystem::path File =
        std::filesystem::temp_directory_path() / ("korvid-save-bench-" + std::to_string(getpid()));
    for (auto _ : State)
        F.E.SaveToFile(File.string(), {true, false, TLineBreak::CrLf, false, false});
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(F.E.GetTextLength()));
    std::filesystem::remove(File);
}
BENCHMARK(BM_Save)->Name("save")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid

BENCHMARK_MAIN();
