// Find in files over a generated tree of about 10,000 source-like files (about 100 MB), warm
// cache, against LC_ALL=C grep -F -r -n on the same tree: plain and ignoring case. The figure
// is our throughput divided by grep's (goal: at least 0.8 for both). grep writes its lines to a
// file: sent to /dev/null it would stop at each file's first match.

#include <benchmark/benchmark.h>

#include "workspace/FindInFiles.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace korvid {
namespace {

namespace fs = std::filesystem;

constexpr int FileCount = 10000;
constexpr std::size_t FileSize = 10 * 1024;

class TTree {
public:
    TTree() {
        std::string Pattern = (fs::temp_directory_path() / "korvid-find-XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        FPath = Pattern;
        std::mt19937 Random(28);
        const char* Words[] = {"begin",
                               "end;",
                               "if",
                               "then",
                               "Result",
                               ":=",
                               "procedure",
                               "var",
                               "Count",
                               "Index",
                               "while",
                               "do",
                               "writeln('text');",
                               "FindFirst",
                               "Inc(I);",
                               "{ comment }",
                               "Value",
                               "record"};
        for (int F = 0; F < FileCount; ++F) {
            const fs::path Folder = FPath / ("d" + std::to_string(F / 100));
            fs::create_directories(Folder);
            std::string Text;
            while (Text.size() < FileSize) {
                Text.append(std::size_t(Random() % 4) * 2, ' ');
                for (int W = int(Random() % 8) + 1; W > 0; --W) {
                    Text += Words[Random() % std::size(Words)];
                    Text += ' ';
                }
                Text += "\r\n";
            }
            std::ofstream(Folder / ("unit" + std::to_string(F) + ".pas"), std::ios::binary) << Text;
        }
    }
    ~TTree() {
        std::error_code Ignored;
        fs::remove_all(FPath, Ignored);
    }
    const fs::path& Path() const { return FPath; }

private:
    fs::path FPath;
};

const TTree& Tree() {
    static const TTree Instance;
    return Instance;
}

std::int64_t TreeBytes() {
    static const std::int64_t Bytes = [] {
        std::int64_t Sum = 0;
        for (const auto& Entry : fs::recursive_directory_iterator(Tree().Path()))
            if (Entry.is_regular_file())
                Sum += std::int64_t(Entry.file_size());
        return Sum;
    }();
    return Bytes;
}

constexpr const char* Term = "FindFirst";

void Ours(benchmark::State& State) {
    TFindSettings Settings;
    Settings.Text = Term;
    Settings.MatchCase = State.range(0) == 0;
    Settings.Folder = Tree().Path().string();
    TFindHooks Hooks;
    // The program's path: events are let run at most every 50 ms.
    Hooks.Pump = [](int, int) { QCoreApplication::processEvents(); };
    Hooks.KeepGoing = [] { return true; };
    int Count = 0;
    for (auto _ : State)
        Count = FindInFiles({}, {}, Settings, Hooks).Count;
    State.counters["matches"] = Count;
    State.SetBytesProcessed(State.iterations() * TreeBytes());
}

void Grep(benchmark::State& State) {
    const std::string Command = std::string("LC_ALL=C grep -F -r -n ") +
                                (State.range(0) ? "-i " : "") + Term + " '" +
                                Tree().Path().string() + "' > '" +
                                (fs::temp_directory_path() / "korvid-find-grep.txt").string() + "'";
    for (auto _ : State)
        if (std::system(Command.c_str()) < 0)
            State.SkipWithError("grep did not run");
    State.SetBytesProcessed(State.iterations() * TreeBytes());
}

BENCHMARK(Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(Grep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace
} // namespace korvid

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Warm the cache before any timing.
    std::system(("cat -- $(find '" + korvid::Tree().Path().string() + "' -type f) > /dev/null 2>&1")
                    .c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
