// The load of a large file into an editable document, as the window's open does it, without the
// window: read and decode (TBinaryStrings), cut long lines, fill the editor's paragraphs. Then a
// character typed at the end and a save. Each kind of file runs in a fresh child process so that
// its resident memory is measured above the same empty start.
//   kinds: crlf, lf, utf8 (multi-byte characters), long (1 % of lines over 4096 characters)
//   goals: the whole load in a few hundred ms for 1,000,000 lines of 60 characters, at most 2.0
//   resident bytes per byte of text, typing well under 2 ms, saving under 0.5 s.
// Usage: bench_editor_load [kind ...] [--lines N]
#include "editor/engine/EngTextFileEditor.h"
#include "foundation/BinaryStrings.h"
#include "tests/editor/engine/FakeEditorHost.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace korvid {
namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr std::size_t LongLineLength = 5000;

double Seconds(TClock::time_point Since) {
    return std::chrono::duration<double>(TClock::now() - Since).count();
}

std::size_t ResidentBytes() {
    std::ifstream Statm("/proc/self/statm");
    std::size_t Pages = 0;
    std::size_t Resident = 0;
    Statm >> Pages >> Resident;
    return Resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// 60 characters of source-like text, different on every line.
std::string MakeLine(std::size_t I, const std::string& Kind) {
    std::string Line = "    Result := Compute(" + std::to_string(I) + ", Value)";
    // Accented letters, the euro sign and a character that only an escape holds.
    Line += Kind == "utf8" ? " { \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD }" : " + Offset;";
    Line.resize(60, ' ');
    if (Kind == "long" && I % 100 == 7)
        Line.resize(LongLineLength, 'x');
    return Line;
}

fs::path MakeFile(const std::string& Kind, std::size_t Lines) {
    const fs::path Name =
        fs::temp_directory_path() / ("korvid_load_" + Kind + "_" + std::to_string(Lines) + ".txt");
    if (fs::exists(Name))
        return Name;
    std::string Text;
    const std::string_view End = Kind == "lf" ? "\n" : "\r\n";
    for (std::size_t I = 0; I < Lines; ++I) {
        Text += MakeLine(I, Kind);
        Text += End;
    }
    std::ofstream(Name, std::ios::binary) << Text;
    return Name;
}

struct TPhases {
    double Read = 0; // read and decode: TBinaryStrings::LoadFromFile
    double Cut = 0;  // SplitLongLines
    double Fill = 0; // the paragraphs
};

// The window's open path, from file name to paragraphs.
void Load(TEngTextFileEditor& E, const fs::path& Name, TPhases& Phases) {
    auto Start = TClock::now();
    TBinaryStrings Lines;
    bool Asterisks = true;
    std::string Password;
    if (Lines.LoadFromFile(Name, Asterisks, Password) != TLoadResult::Loaded)
        std::abort();
    Phases.Read = Seconds(Start);
    Start = TClock::now();
    Lines.SplitLongLines(4096);
    Phases.Cut = Seconds(Start);
    Start = TClock::now();
    if (Lines.EndsWithLineBreak && !Lines.TextWasCut)
        Lines.Add({});
    TLineCursor Cursor = Lines.Cursor();
    E.SetEditorLines(Lines.CountEstimate(), Lines.TextBytesEstimate(),
                     [&Cursor](std::string_view& Line) { return Cursor.Next(Line); });
    E.Lines().UndoBuffer().Clear();
    Phases.Fill = Seconds(Start);
}

int RunKind(const std::string& Kind, std::size_t LineCount) {
    const fs::path Name = MakeFile(Kind, LineCount);
    const auto FileBytes = static_cast<double>(fs::file_size(Name));
    test::TFakeEditorHost Host;
    TEngTextFileEditor E(Host);
    E.WindowCreated();
    const std::size_t EmptyRss = ResidentBytes();

    const auto ReadStart = TClock::now();
    {
        std::ifstream In(Name, std::ios::binary);
        std::string Bytes(static_cast<std::size_t>(FileBytes), '\0');
        In.read(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    }
    const double ReadTime = Seconds(ReadStart);

    const auto LoadStart = TClock::now();
    TPhases Phases;
    Load(E, Name, Phases);
    const double LoadTime = Seconds(LoadStart);
    const std::size_t LoadedRss = ResidentBytes();

    E.SetCaretPosition(E.LineCount(), 1);
    const auto TypeStart = TClock::now();
    E.TypeChar('x');
    const double TypeTime = Seconds(TypeStart);

    const fs::path Saved = fs::path(Name).replace_extension(".saved");
    const auto SaveStart = TClock::now();
    E.SaveToFile(Saved.string(), TTextSaveOptions{});
    const double SaveTime = Seconds(SaveStart);
    fs::remove(Saved);

    std::printf("%-5s %8.1f MB  read %6.3f s  load %6.3f s (%6.0f MB/s, %5.1f x read)  "
                "%4.2f B/B  paras %d  type %6.3f ms  save %6.3f s  [read+decode %5.3f, cut %5.3f, "
                "fill %5.3f]\n",
                Kind.c_str(), FileBytes / 1e6, ReadTime, LoadTime, FileBytes / 1e6 / LoadTime,
                LoadTime / ReadTime, static_cast<double>(LoadedRss - EmptyRss) / FileBytes,
                E.Lines().ParaCount(), TypeTime * 1e3, SaveTime, Phases.Read, Phases.Cut,
                Phases.Fill);
    return 0;
}

} // namespace
} // namespace korvid

int main(int argc, char** argv) {
    std::vector<std::string> Kinds;
    std::size_t Lines = 1'000'000;
    for (int I = 1; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (Arg == "--lines" && I + 1 < argc)
            Lines = std::stoul(argv[++I]);
        else
            Kinds.push_back(Arg);
    }
    if (Kinds.empty())
        Kinds = {"crlf", "lf", "utf8", "long"};
    for (const std::string& Kind : Kinds) {
        std::fflush(stdout);
        const pid_t Child = ::fork();
        if (Child == 0) {
            const int Result = korvid::RunKind(Kind, Lines);
            std::fflush(stdout);
            std::_Exit(Result);
        }
        int Status = 0;
        ::waitpid(Child, &Status, 0);
    }
    return 0;
}
