// Listing generated code files of 1 MB (16 segments of 1,000 procedures) and of 64 KB, with a
// mix of instructions like compiled Pascal's: locals and globals, literals, calls, jumps.

#include <benchmark/benchmark.h>

#include "psystem/CodeFileListing.h"
#include "tests/support/CodeFileBuilder.h"

#include <random>

namespace korvid {
namespace {

using test::BuildCodeFile;
using test::TCodeFile;
using test::TCodeSegment;

std::string Procedure(std::mt19937& Random, std::size_t Size) {
    // One-byte forms dominate; the rest carry operands, calls and branches.
    static const std::string Forms[] = {
        "\x21",     "\x31",         "\x05",     "\x6a",         "\xa2",         "\xb0",
        "\x80\x64", "\x81\x10\x27", "\x87\x20", "\x85\x81\x02", "\xa4\x11",     "\x8a\x04",
        "\xd4\x06", "\x94\x03\x04", "\x90\x02", "\x9a\x03\x18", "\xc5\x00\x05", "\xff\x24",
        "\xff\x50", "\x99\x01",     "\x78",     "\xe6\x0a"};
    std::string Code;
    while (Code.size() + 3 < Size)
        Code += Forms[Random() % std::size(Forms)];
    return Code + "\xad\x01\xfd";
}

std::string CodeFile(int Segments, int Procedures, std::size_t ProcedureSize) {
    std::mt19937 Random(7);
    TCodeFile File;
    File.Comment = "benchmark";
    for (int S = 0; S < Segments; ++S) {
        TCodeSegment Segment;
        Segment.Name = "SEG" + std::to_string(S);
        Segment.References = {{"HEAPOPS", 3}, {"SCREENOP", 4}};
        Segment.Pool = std::string(200, 'p');
        for (int P = 0; P < Procedures; ++P)
            Segment.Procedures.push_back({Procedure(Random, ProcedureSize), 4, -1});
        File.Segments.push_back(std::move(Segment));
    }
    return BuildCodeFile(File).Bytes;
}

void List(benchmark::State& State, const std::string& Bytes) {
    for (auto _ : State) {
        std::vector<std::string> Lines;
        DisassembleCodeFile("BENCH:X.CODE", Lines, [&Bytes](std::string& Buffer) {
            Buffer = Bytes;
            return true;
        });
        benchmark::DoNotOptimize(Lines.data());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(Bytes.size()));
    State.counters["KB"] = double(Bytes.size()) / 1024;
}

// Goal: under 1 s.
void BM_ListOneMegabyte(benchmark::State& State) {
    static const std::string Bytes = CodeFile(16, 1000, 60);
    List(State, Bytes);
}
BENCHMARK(BM_ListOneMegabyte)->Unit(benchmark::kMillisecond);

// Goal: under 100 ms.
void BM_List64Kilobytes(benchmark::State& State) {
    static const std::string Bytes = CodeFile(1, 1000, 60);
    List(State, Bytes);
}
BENCHMARK(BM_List64Kilobytes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid
