// Find in files over a generated tree shaped like a source tree (22,000 files of 200 B to 2 MB in
// nested folders, about 370 MB, half with CR LF ends), warm cache, against LC_ALL=C grep -rFn and
// ripgrep (rg -nF) on the same tree in the same run: a needle with many hits (Arg 0), one with
// none (1), and the first ignoring case (2). Each case runs 7 times, the runs of all programs
// interleaved; compare the medians. Goals: at least 2x grep's throughput and 0.8x ripgrep's in
// each case. OursStopping gives the longest time a stop takes (goal: 100 ms). Run it pinned to the
// cores it may use (taskset); our search sizes its pool to them and so do the peers, which inherit
// them. grep and rg write their lines to a file: sent to /dev/null grep stops at each file's first
// match. The tree is removed at the end, unless KORVID_FIND_TREE names the folder to make it in
// (or to take it from, when made there before).

#include <benchmark/benchmark.h>

#include "workspace/FindInFiles.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvid {
namespace {

namespace fs = std::filesystem;

constexpr int FileCount = 22000;

// Most files are small, a few large: about 17 KB on average.
std::size_t FileSize(std::mt19937& Random) {
    if (Random() % 200 == 0)
        return 256 * 1024 + Random() % (1792 * 1024);
    const double U = std::uniform_real_distribution<double>(0, 1)(Random);
    return std::size_t(200 * std::exp(U * std::log(64.0 * 1024 / 200)));
}

// A folder of up to four levels, so that folders hold from a few to a few hundred files.
fs::path FolderOf(int File) {
    fs::path Folder = "src";
    Folder /= "m" + std::to_string(File % 12);
    if (File % 5 != 0)
        Folder /= "p" + std::to_string((File / 12) % 9);
    if (File % 3 == 0)
        Folder /= "q" + std::to_string((File / 108) % 7);
    return Folder;
}

class TTree {
public:
    TTree() {
        if (const char* Kept = std::getenv("KORVID_FIND_TREE")) {
            FPath = Kept;
            FKeep = true;
        } else {
            std::string Pattern = (fs::temp_directory_path() / "korvid-find-XXXXXX").string();
            if (::mkdtemp(Pattern.data()) == nullptr)
                throw std::runtime_error("cannot create a temporary folder");
            FPath = Pattern;
        }
        if (FKeep && fs::exists(FPath / "src")) {
            for (const auto& Entry : fs::recursive_directory_iterator(FPath))
                if (Entry.is_regular_file())
                    FBytes += std::int64_t(Entry.file_size());
            return;
        }
        std::mt19937 Random(28);
        std::vector<std::string> Words = {"begin",
                                          "end;",
                                          "if",
                                          "then",
                                          "else",
                                          "Result",
                                          ":=",
                                          "procedure",
                                          "function",
                                          "var",
                                          "Count",
                                          "Index",
                                          "while",
                                          "do",
                                          "for",
                                          "to",
                                          "writeln('text');",
                                          "FindFirst",
                                          "Inc(I);",
                                          "{ comment }",
                                          "Value",
                                          "record",
                                          "const",
                                          "type",
                                          "integer",
                                          "string",
                                          "nil",
                                          "and",
                                          "or",
                                          "not",
                                          "(",
                                          ")",
                                          "[",
                                          "]",
                                          "+",
                                          "-",
                                          "0",
                                          "1",
                                          "Length(S)",
                                          "Copy(S,",
                                          "Pos(",
                                          "Exit;",
                                          "raise",
                                          "try",
                                          "finally",
                                          "except",
                                          "Self",
                                          "inherited",
                                          "Create;",
                                          "Free;",
                                          "private",
                                          "public",
                                          "property",
                                          "read",
                                          "write",
                                          "FList",
                                          "Items[I]",
                                          "Add(",
                                          "Delete(",
                                          "Insert(",
                                          "Clear;",
                                          "Assigned(P)",
                                          "Handle",
                                          "Buffer",
                                          "return",
                                          "static",
                                          "int",
                                          "char",
                                          "*p",
                                          "->",
                                          "++i",
                                          "size_t",
                                          "#include",
                                          "//",
                                          "/*",
                                          "*/",
                                          "void",
                                          "struct",
                                          "case",
                                          "break;",
                                          "default:",
                                          "switch",
                                          "unsigned",
                                          "NULL",
                                          "malloc(",
                                          "free(",
                                          "memcpy(",
                                          "strlen(",
                                          "printf(\"%d\\n\",",
                                          "sizeof"};
        for (int F = 0; F < FileCount; ++F) {
            const fs::path Folder = FPath / FolderOf(F);
            fs::create_directories(Folder);
            const std::size_t Size = FileSize(Random);
            const char* End = F % 2 ? "\r\n" : "\n";
            std::string Text;
            Text.reserve(Size + 200);
            while (Text.size() < Size) {
                Text.append(std::size_t(Random() % 5) * 2, ' ');
                for (int W = int(Random() % 9) + 1; W > 0; --W) {
                    Text += Words[Random() % Words.size()];
                    Text += ' ';
                }
                Text += End;
            }
            const fs::path Name = Folder / ("unit" + std::to_string(F) + (F % 4 ? ".pas" : ".c"));
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> File(std::fopen(Name.c_str(), "wb"),
                                                                 std::fclose);
            if (!File || std::fwrite(Text.data(), 1, Text.size(), File.get()) != Text.size())
                throw std::runtime_error("cannot write " + Name.string());
            FBytes += std::int64_t(Text.size());
        }
    }
    ~TTree() {
        std::error_code Ignored;
        if (!FKeep)
            fs::remove_all(FPath, Ignored);
    }
    const fs::path& Path() const { return FPath; }
    std::int64_t Bytes() const { return FBytes; }

private:
    fs::path FPath;
    std::int64_t FBytes = 0;
    bool FKeep = false;
};

const TTree& Tree() {
    static const TTree Instance;
    return Instance;
}

struct TNeedle {
    const char* Text;
    bool IgnoreCase;
};
constexpr TNeedle Needles[] = {{"FindFirst", false}, {"NoSuchName", false}, {"findfirst", true}};

void Ours(benchmark::State& State) {
    const TNeedle& Needle = Needles[State.range(0)];
    TFindSettings Settings;
    Settings.Text = Needle.Text;
    Settings.MatchCase = !Needle.IgnoreCase;
    Settings.Folder = Tree().Path().string();
    TFindHooks Hooks;
    // The program's path: events are let run at most every 50 ms.
    Hooks.Pump = [](int, int) { QCoreApplication::processEvents(); };
    Hooks.KeepGoing = [] { return true; };
    int Count = 0;
    for (auto _ : State)
        Count = FindInFiles({}, {}, Settings, Hooks).Count;
    State.counters["matches"] = Count;
    State.SetBytesProcessed(State.iterations() * Tree().Bytes());
}

// Escape 25 ms into a search of the many-hit needle (early enough that eight cores have not
// finished it): the time from the stop until the search has returned, its threads joined (goal:
// within 100 ms).
void OursStopping(benchmark::State& State) {
    TFindSettings Settings;
    Settings.Text = Needles[0].Text;
    Settings.MatchCase = true;
    Settings.Folder = Tree().Path().string();
    using TClock = std::chrono::steady_clock;
    double Longest = 0;
    for (auto _ : State) {
        const TClock::time_point Start = TClock::now();
        std::optional<TClock::time_point> Stopped;
        TFindHooks Hooks;
        Hooks.Pump = [](int, int) { QCoreApplication::processEvents(); };
        Hooks.KeepGoing = [&] {
            if (!Stopped && TClock::now() - Start >= std::chrono::milliseconds(25))
                Stopped = TClock::now();
            return !Stopped;
        };
        const bool Aborted = FindInFiles({}, {}, Settings, Hooks).Aborted;
        if (!Aborted || !Stopped) {
            State.SkipWithError("the search ended before it was stopped");
            break;
        }
        const std::chrono::duration<double, std::milli> Taken = TClock::now() - *Stopped;
        Longest = std::max(Longest, Taken.count());
    }
    State.counters["stop_ms"] = Longest;
}

void Peer(benchmark::State& State, const std::string& Program) {
    const TNeedle& Needle = Needles[State.range(0)];
    const std::string Command = Program + (Needle.IgnoreCase ? " -i" : "") + " -e " + Needle.Text +
                                " '" + Tree().Path().string() + "' > '" +
                                (fs::temp_directory_path() / "korvid-find-peer.txt").string() + "'";
    for (auto _ : State)
        if (std::system(Command.c_str()) < 0)
            State.SkipWithError("the peer did not run");
    State.SetBytesProcessed(State.iterations() * Tree().Bytes());
}

void Grep(benchmark::State& State) {
    Peer(State, "LC_ALL=C grep -rFn");
}

void Ripgrep(benchmark::State& State) {
    // Every file, as our walk and grep take them: no ignore files, no hidden-file rule.
    Peer(State, "rg -nF --no-config -uu");
}

void Cases(benchmark::internal::Benchmark* B) {
    B->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    B->Repetitions(7)->ReportAggregatesOnly(true);
}

BENCHMARK(Ours)->Apply(Cases);
BENCHMARK(OursStopping)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(Grep)->Apply(Cases);
BENCHMARK(Ripgrep)->Apply(Cases);

} // namespace
} // namespace korvid

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    // The repetitions of all cases are interleaved, so that a change of the machine's load
    // falls on every program alike.
    std::vector<char*> Arguments(argv, argv + argc);
    std::string Interleave = "--benchmark_enable_random_interleaving=true";
    Arguments.insert(Arguments.begin() + 1, Interleave.data());
    int Count = int(Arguments.size());
    benchmark::Initialize(&Count, Arguments.data());
    if (std::system("rg --version > /dev/null 2>&1") != 0)
        std::fprintf(stderr, "ripgrep (rg) is missing: scripts/setup.sh installs it\n");
    std::printf("Tree: %d files, %.0f MB\n", korvid::FileCount,
                double(korvid::Tree().Bytes()) / 1e6);
    // Warm the cache before any timing.
    std::system(
        ("find '" + korvid::Tree().Path().string() + "' -type f -exec cat {} + > /dev/null 2>&1")
            .c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
