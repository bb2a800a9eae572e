#include "foundation/BinaryStrings.h"
#include "foundation/EncryptionEngine.h"
#include "foundation/TextFileWriter.h"
#include "foundation/Utf8Codec.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvid {
namespace {

// A source-like document: mostly ASCII, some accented letters, a few characters beyond the
// 8-bit range.
std::string Utf8Document(std::size_t Bytes) {
    const std::string Line =
        "    WriteLn('caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80');\r\n";
    std::string Text;
    while (Text.size() < Bytes)
        Text += Line;
    return Text;
}

void BM_Utf8ToAnsiText(benchmark::State& State) {
    const std::string Input = Utf8Document(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(Utf8ToAnsiText(Input));
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Input.size()));
}
BENCHMARK(BM_Utf8ToAnsiText)->Arg(1 << 20);

void BM_AnsiToUtf8Text(benchmark::State& State) {
    const std::string Input =
        Utf8ToAnsiText(Utf8Document(static_cast<std::size_t>(State.range(0))));
    for (auto _ : State)
        benchmark::DoNotOptimize(AnsiToUtf8Text(Input));
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Input.size()));
}
BENCHMARK(BM_AnsiToUtf8Text)->Arg(1 << 20);

class TScratchFile {
public:
    TScratchFile()
        : FName(std::filesystem::temp_directory_path() /
                ("korvid-bench-" + std::to_string(::getpid()) + ".txt")) {}
    ~TScratchFile() {
        std::error_code Ignored;
        std::filesystem::remove(FName, Ignored);
    }
    const std::filesystem::path& Name() const { return FName; }

private:
    std::filesystem::path FName;
};

// Loads a file of the given bytes over and over.
void LoadRepeatedly(benchmark::State& State, const std::string& Bytes) {
    TScratchFile File;
    WriteTextFile(File.Name(), {Bytes}, TTextFileOptions{.FinalLineEnd = false});
    for (auto _ : State) {
        TBinaryStrings Strings;
        bool ShowAsterisks = true;
        std::string Password;
        benchmark::DoNotOptimize(Strings.LoadFromFile(File.Name(), ShowAsterisks, Password));
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * State.range(0)));
}

void BM_LoadUtf8File(benchmark::State& State) {
    LoadRepeatedly(State, "\xEF\xBB\xBF" + Utf8Document(static_cast<std::size_t>(State.range(0))));
}
BENCHMARK(BM_LoadUtf8File)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Without a mark the whole file is validated before it is decoded.
void BM_LoadUtf8FileWithoutMark(benchmark::State& State) {
    LoadRepeatedly(State, Utf8Document(static_cast<std::size_t>(State.range(0))));
}
BENCHMARK(BM_LoadUtf8FileWithoutMark)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// ASCII is validated and then read as it is.
void BM_LoadAsciiFile(benchmark::State& State) {
    const std::string Line = "    WriteLn('plain ASCII source text, as most files are');\r\n";
    std::string Bytes;
    while (Bytes.size() < static_cast<std::size_t>(State.range(0)))
        Bytes += Line;
    LoadRepeatedly(State, Bytes);
}
BENCHMARK(BM_LoadAsciiFile)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_DecryptRecords(benchmark::State& State) {
    TScratchFile File;
    const std::vector<std::string> Lines(static_cast<std::size_t>(State.range(0)) / 64,
                                         std::string(62, 'x'));
    WriteEncryptedFile(File.Name(), "Wiki", Lines);
    TBinaryStrings Reader;
    Reader.PasswordPrompt = [](TPasswordRequest& Request) {
        Request.Password = "Wiki";
        return true;
    };
    for (auto _ : State) {
        bool ShowAsterisks = true;
        std::string Password;
        benchmark::DoNotOptimize(Reader.LoadFromFile(File.Name(), ShowAsterisks, Password));
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * State.range(0)));
}
BENCHMARK(BM_DecryptRecords)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid

BENCHMARK_MAIN();
