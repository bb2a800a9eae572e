// Opening a major volume of 20 subvolumes of 77 files each into the volume browser's tree.

#include <benchmark/benchmark.h>

#include "psystem/BrowseVolumeForm.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace korvid {
namespace {

constexpr int Subvolumes = 20;
constexpr int SubvolumeBlocks = 90; // the directory and 77 one-block files

class TNoHost : public TFilerHost {
public:
    void OpenFilerFile(const std::string&, bool) override {}
    void OpenTextInNewTab(const std::string&, const std::string&) override {}
    void ForEachFavouriteVolume(const std::function<void(const std::string&)>&) override {}
    bool IsReadOnlyVolumeFile(const std::string&) override { return false; }
};

std::filesystem::path BuildVolume(const std::filesystem::path& Folder) {
    const auto Path = Folder / "browse.vol";
    if (!CreateVolumeFile(Path, "BIG", Subvolumes * SubvolumeBlocks + 20))
        throw std::runtime_error("cannot create the volume");
    TMajorVolume V(Path, true);
    const std::string Block(BlockSize, 'x');
    for (int S = 0; S < Subvolumes; ++S) {
        const std::string Name = "S" + std::to_string(S);
        if (!V.CopyFileTo(0, Name, SubvolumeBlocks, V))
            throw std::runtime_error("no room for " + Name);
        TSubvolume Sub(V, Name + ".SVOL");
        for (int F = 0; F < MaxFiles; ++F)
            if (!Sub.SaveBytes("F" + std::to_string(F) + ".TEXT", Block.data(), fkText,
                               std::ssize(Block)))
                throw std::runtime_error("no room in " + Name);
    }
    return Path;
}

void BM_OpenVolumeOfTwentySubvolumes(benchmark::State& State) {
    const auto Folder = std::filesystem::temp_directory_path() /
                        ("korvid-bench-browse-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder);
    const std::string Path = BuildVolume(Folder).string();
    TNoHost Host;
    TBrowseVolumeForm Form(Host);
    for (auto _ : State) {
        Form.OpenVolume(Path);
        State.PauseTiming();
        Form.CloseVolume();
        State.ResumeTiming();
    }
    State.counters["nodes"] = double(1 + Subvolumes * (1 + MaxFiles));
    std::filesystem::remove_all(Folder);
}
BENCHMARK(BM_OpenVolumeOfTwentySubvolumes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
