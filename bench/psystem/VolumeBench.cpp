// Krunching a fragmented volume of the largest size the program creates, and expanding a
// subvolume that has 16 MB of files behind it.

#include <benchmark/benchmark.h>

#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace korvid {
namespace {

class TScratchFolder {
public:
    TScratchFolder() {
        std::string Pattern =
            (std::filesystem::temp_directory_path() / "korvid-bench-XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        FPath = Pattern;
    }
    ~TScratchFolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(FPath, Ignored);
    }
    std::filesystem::path operator/(const std::string& Name) const { return FPath / Name; }

private:
    std::filesystem::path FPath;
};

std::string ReadAll(const std::filesystem::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), {}};
}

void WriteAll(const std::filesystem::path& Path, const std::string& Data) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(Data.data(), std::streamsize(Data.size()));
}

void SaveBlocks(TVolume& V, const std::string& Name, int Blocks, int Seed) {
    std::string Data(std::size_t(Blocks) * BlockSize, '\0');
    for (std::size_t I = 0; I < Data.size(); ++I)
        Data[I] = static_cast<char>((I * 7 + std::size_t(Seed)) % 251);
    if (!V.SaveBytes(Name, Data.data(), fkData, std::ssize(Data)))
        throw std::runtime_error("no room for " + Name);
}

// 77 files of 200 blocks, each followed by a 200-block gap, in a 32,767-block volume.
void BM_KrunchFragmentedVolume(benchmark::State& State) {
    TScratchFolder Folder;
    const auto Path = Folder / "big.vol";
    CreateVolumeFile(Path, "BIG", MaxVolumeBlocks);
    {
        TMajorVolume V(Path, true);
        for (int I = 1; I <= MaxFiles; ++I)
            SaveBlocks(V, "F" + std::to_string(I), 200, I);
        for (int I = MaxFiles; I >= 1; --I) {
            TFileInfo Info = V.FileInfo(I, {});
            Info.FirstBlock = FirstDataBlock + (I - 1) * 400;
            V.SetFileEntry(I, {}, Info);
        }
    }
    const std::string Template = ReadAll(Path);
    for (auto _ : State) {
        State.PauseTiming();
        WriteAll(Path, Template);
        State.ResumeTiming();
        TMajorVolume V(Path, true);
        benchmark::DoNotOptimize(V.Krunch());
    }
    State.counters["last_file_block"] = TMajorVolume(Path, false).FileInfo(MaxFiles, {}).FirstBlock;
}
BENCHMARK(BM_KrunchFragmentedVolume)->Unit(benchmark::kMillisecond);

// A 20-block subvolume followed by 64 files of 500 blocks (16 MB) grows by 10 blocks.
void BM_ExpandSubvolumeMoving16MB(benchmark::State& State) {
    TScratchFolder Folder;
    const auto Path = Folder / "big.vol";
    CreateVolumeFile(Path, "BIG", MaxVolumeBlocks - 10);
    {
        TMajorVolume V(Path, true);
        V.CopyFileTo(0, "SUB", 20, V);
        for (int I = 1; I <= 64; ++I)
            SaveBlocks(V, "F" + std::to_string(I), 500, I);
    }
    const std::string Template = ReadAll(Path);
    for (auto _ : State) {
        State.PauseTiming();
        WriteAll(Path, Template);
        State.ResumeTiming();
        TSubvolume Sub(Path, true, "SUB.SVOL");
        Sub.Expand(10);
    }
    State.counters["last_file_block"] = TMajorVolume(Path, false).FileInfo(65, {}).FirstBlock;
}
BENCHMARK(BM_ExpandSubvolumeMoving16MB)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid

BENCHMARK_MAIN();
