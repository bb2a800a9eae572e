// The editor engine on a large document: 1,000,000 paragraphs of 60 bytes.
//   append     the whole document, paragraph by paragraph (target: under 1 s), with the heap it
//              takes per byte of text (target: under 3)
//   rewrap80   a full re-wrap at width 80 (target: under 0.3 s)
//   type/join/split  single edits in the middle of the document (target: each under 50 us)
//   search     a case-insensitive search for an absent string over all of it (target: 0.3 s)
#include "editor/engine/EngText.h"
#include "editor/engine/ParaList.h"
#include "platform/Cp1252.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvid {
namespace {

constexpr int ParaCount = 1'000'000;
constexpr int ParaBytes = 60;
constexpr int Middle = ParaCount / 2;

std::unique_ptr<TParaList> Document;

// 1,000 different paragraphs of words and blanks, each exactly 60 bytes.
const std::vector<std::string>& Paragraphs() {
    static const std::vector<std::string> Paras = [] {
        static const char* Words[] = {"procedure", "begin", "end",  "var",  "integer", "x",
                                      "writeln",   "if",    "then", "else", "while",   "do"};
        std::vector<std::string> Result;
        unsigned Seed = 12345;
        for (int I = 0; I < 1000; ++I) {
            std::string S;
            while (S.size() < ParaBytes) {
                Seed = Seed * 1103515245 + 12345;
                S += Words[(Seed >> 16) % 12];
                S += ' ';
            }
            S.resize(ParaBytes);
            Result.push_back(S);
        }
        return Result;
    }();
    return Paras;
}

std::size_t HeapInUse() {
    const struct mallinfo2 Info = mallinfo2();
    return Info.uordblks + Info.hblkhd;
}

std::size_t ResidentBytes() {
    std::ifstream Statm("/proc/self/statm");
    std::size_t Size = 0;
    std::size_t Resident = 0;
    Statm >> Size >> Resident;
    return Resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

void BM_Append(benchmark::State& State) {
    const auto& Paras = Paragraphs();
    double HeapPerByte = 0;
    double ResidentPerByte = 0;
    for (auto _ : State) {
        State.PauseTiming();
        Document.reset();
        malloc_trim(0);
        const std::size_t Heap = HeapInUse();
        const std::size_t Resident = ResidentBytes();
        State.ResumeTiming();
        auto List = std::make_unique<TParaList>(nullptr, TUndoBuffer::DefaultSize, false);
        for (int I = 0; I < ParaCount; ++I)
            List->AppendPara(Paras[I % Paras.size()], false);
        State.PauseTiming();
        const double Text = static_cast<double>(ParaCount) * ParaBytes;
        HeapPerByte = static_cast<double>(HeapInUse() - Heap) / Text;
        ResidentPerByte = static_cast<double>(ResidentBytes() - Resident) / Text;
        Document = std::move(List);
        State.ResumeTiming();
    }
    State.counters["heap_bytes_per_text_byte"] = HeapPerByte;
    State.counters["rss_bytes_per_text_byte"] = ResidentPerByte;
    State.counters["paragraphs"] = Document->ParaCount();
}
BENCHMARK(BM_Append)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

void BM_Rewrap80(benchmark::State& State) {
    Document->SetWrapColumn(80);
    Document->SetWordWrap(true);
    for (auto _ : State)
        Document->RewrapAll();
    State.counters["lines"] = Document->LineCount();
    const std::size_t Heap = HeapInUse();
    State.counters["heap_bytes_per_text_byte"] =
        static_cast<double>(Heap) / (static_cast<double>(ParaCount) * ParaBytes);
}
BENCHMARK(BM_Rewrap80)->Iterations(5)->Unit(benchmark::kMillisecond);

// The first edit far from the cached paragraph walks there.
void BM_FirstEditInTheMiddle(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        Document->NodeOfPara(1); // the cache goes back to the head
        State.ResumeTiming();
        Document->InsertText(nullptr, Middle, 5, "y");
        State.PauseTiming();
        Document->DeleteText(nullptr, Middle, 5, 1);
        State.ResumeTiming();
    }
}
BENCHMARK(BM_FirstEditInTheMiddle)->Iterations(20)->Unit(benchmark::kMicrosecond);

// Typing: runs of 20 characters, each run in the next paragraph, as a user types there.
void BM_TypeCharacter(benchmark::State& State) {
    long long I = 0;
    int Errors = 0;
    for (auto _ : State) {
        const int Para = Middle + static_cast<int>((I / 20) % 2000);
        const int Pos = 31 + static_cast<int>(I % 20);
        Errors += Document->InsertText(nullptr, Para, Pos, "x") != eeNone;
        ++I;
    }
    State.counters["errors"] = Errors;
}
BENCHMARK(BM_TypeCharacter)->Iterations(100000)->Unit(benchmark::kMicrosecond);

void BM_Join(benchmark::State& State) {
    int Errors = 0;
    for (auto _ : State) {
        const int Length = Document->ParaLength(Middle);
        const auto Start = std::chrono::steady_clock::now();
        Errors += Document->JoinParas(nullptr, Middle, Length + 1) != eeNone;
        const auto Stop = std::chrono::steady_clock::now();
        State.SetIterationTime(std::chrono::duration<double>(Stop - Start).count());
        Document->SplitPara(nullptr, Middle, Length + 1, false, 0, 8);
    }
    State.counters["errors"] = Errors;
}
BENCHMARK(BM_Join)->Iterations(20000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Split(benchmark::State& State) {
    int Errors = 0;
    for (auto _ : State) {
        const int Length = Document->ParaLength(Middle);
        const auto Start = std::chrono::steady_clock::now();
        Errors += Document->SplitPara(nullptr, Middle, 30, false, 4, 8) != eeNone;
        const auto Stop = std::chrono::steady_clock::now();
        State.SetIterationTime(std::chrono::duration<double>(Stop - Start).count());
        // Put the text back as it was: the indent goes, the halves join.
        Document->DeleteText(nullptr, Middle + 1, 1, 1);
        Document->JoinParas(nullptr, Middle, Document->ParaLength(Middle) + 1);
        benchmark::DoNotOptimize(Length);
    }
    State.counters["errors"] = Errors;
}
BENCHMARK(BM_Split)->Iterations(20000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_UndoRedo(benchmark::State& State) {
    for (auto _ : State) {
        benchmark::DoNotOptimize(Document->Undo(nullptr));
        benchmark::DoNotOptimize(Document->Redo(nullptr));
    }
}
BENCHMARK(BM_UndoRedo)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_SearchIgnoreCase(benchmark::State& State) {
    const std::string Pattern = UpperCase1252("begin procedure qq");
    TSkipTable Table;
    BuildSkipTable(Pattern, Table);
    int Found = 0;
    for (auto _ : State) {
        for (int P = 1; P <= Document->ParaCount(); ++P) {
            std::size_t Position = 0;
            Found += SearchBytesIgnoreCase(Document->ParaText(P), Table, Pattern, Position);
        }
    }
    State.counters["found"] = Found;
}
BENCHMARK(BM_SearchIgnoreCase)->Iterations(5)->Unit(benchmark::kMillisecond);

// For comparison: a re-wrap where every paragraph breaks into three lines.
void BM_Rewrap20(benchmark::State& State) {
    Document->SetWrapColumn(20);
    for (auto _ : State)
        Document->RewrapAll();
    State.counters["lines"] = Document->LineCount();
}
BENCHMARK(BM_Rewrap20)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid

BENCHMARK_MAIN();
