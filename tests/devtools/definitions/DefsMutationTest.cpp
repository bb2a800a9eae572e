#include "tests/devtools/definitions/DefsTestSupport.h"

#include "devtools/definitions/DefsMessages.h"
#include "psystem/VolumeMessages.h"

#include <cstdlib>
#include <iostream>
#include <random>

namespace korvid::test {
namespace {

constexpr int LongestImage = 26100;

// Damaged definitions and name files must list without a crash or a read outside a buffer
// (the sanitizer build checks the reads). KORVID_DEFS_SEED repeats a run.
class TDefsMutation : public TDefsTest {
protected:
    void SetUp() override {
        TDefsTest::SetUp();
        const char* Fixed = std::getenv("KORVID_DEFS_SEED");
        Seed = Fixed ? unsigned(std::strtoul(Fixed, nullptr, 10)) : std::random_device{}();
        std::cout << "KORVID_DEFS_SEED=" << Seed << "\n";
        Random.seed(Seed);
        FOldHandler =
            SetDefsMessageHandler([this](std::string_view, std::string_view) { ++MessagesShown; });
        FOldWarnings = SetVolumeWarningHandler([](std::string_view, std::string_view) {});
    }
    void TearDown() override {
        SetDefsMessageHandler(FOldHandler);
        SetVolumeWarningHandler(FOldWarnings);
    }

    int Pick(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(Random); }

    std::string RandomBytes(std::size_t Size) {
        std::string Bytes(Size, '\0');
        for (char& Byte : Bytes)
            Byte = char(Pick(0, 255));
        return Bytes;
    }

    // The fixture's records, then random ones, cut to Length and with some bits flipped.
    std::string MutatedImage(int Length, int Flips) {
        TDefsList List;
        BuildAppDefs(List);
        std::string Image = SerialisedImage(List);
        Image += RandomBytes(std::size_t(LongestImage) - Image.size());
        for (int I = 0; I < Flips; ++I)
            Image[std::size_t(Pick(0, LongestImage - 1))] ^= char(1 << Pick(0, 7));
        return Image.substr(0, std::size_t(Length));
    }

    unsigned Seed = 0;
    std::mt19937 Random;
    int MessagesShown = 0;

private:
    TDefsMessageHandler FOldHandler;
    TVolumeWarningHandler FOldWarnings;
};

TEST_F(TDefsMutation, EveryLengthOfADamagedImage) {
    SCOPED_TRACE("KORVID_DEFS_SEED=" + std::to_string(Seed));
    Store("M.DEFS", MutatedImage(LongestImage, 3000));
    Store("M.NAME", RandomBytes(std::size_t(Pick(0, 3 * DefsNamesRecordSize + 50))));
    TMajorVolume V(Volume, false);
    const TFileInfo Info = V.FileInfo(0, "M.DEFS");
    const std::int64_t Start = V.Base() + std::int64_t(Info.FirstBlock) * BlockSize;
    std::vector<std::string> Names;
    ReadDefsNames(V, "M.NAME", Names);
    const std::string Image = V.ReadFileData(0, "M.DEFS");
    std::vector<std::string> Lines;
    for (int Length = 0; Length <= LongestImage; ++Length) {
        // Every length is decoded; only whole records count, so the listings run near each
        // record boundary and at random lengths between.
        const std::vector<TDefsRecord> Records =
            DecodeDefsImage(std::string_view(Image).substr(0, std::size_t(Length)));
        ASSERT_EQ(int(Records.size()), std::min(Length / DefsRecordSize, DefsFileCount));
        const int Offset = Length % DefsRecordSize;
        if (Offset > 2 && Offset < DefsRecordSize - 2 && Pick(0, 99) != 0)
            continue;
        TDefsList List;
        ReadDefsFileText(V, Lines, {nullptr, Length % 2 ? &List : nullptr}, "M", Length % 3, Start,
                         Length, Names);
        ASSERT_EQ(Lines.empty(), Length < DefsRecordSize && Length % 3 == 0) << Length;
    }
}

TEST_F(TDefsMutation, DamagedFilesThroughTheVolumeReader) {
    SCOPED_TRACE("KORVID_DEFS_SEED=" + std::to_string(Seed));
    for (int Round = 0; Round < 40; ++Round) {
        const int Length =
            Round < 22 ? Round * DefsRecordSize + Pick(-2, 2) : Pick(0, LongestImage);
        Store("M.DEFS", MutatedImage(std::max(Length, 0), Pick(0, 5000)));
        if (Pick(0, 3) > 0)
            Store("M.NAME", RandomBytes(std::size_t(Pick(0, 4 * DefsNamesRecordSize + 100))));
        TMajorVolume V(Volume, false);
        std::vector<std::string> Lines;
        std::string Name;
        bool IsBinary = false;
        TDefsList Filled;
        V.ReadFileText(0, "M.DEFS", Name, TDefsArguments{nullptr, &Filled}, IsBinary, nullptr,
                       Lines);
        const TFileInfo Info = V.FileInfo(0, "M.DEFS");
        std::vector<std::string> Names;
        VolumeFileListings().DefsNames(V, "M.NAME", Names);
        for (int Mode = 1; Mode <= 2; ++Mode)
            VolumeFileListings().Defs(V, Lines, {}, "M", Mode,
                                      V.Base() + std::int64_t(Info.FirstBlock) * BlockSize,
                                      Info.Size(), Names);
        TDefsList Loaded;
        ASSERT_TRUE(LoadDefsFromVolume(Loaded, VolumePath("M.DEFS")));
        EXPECT_EQ(Loaded.Count(), DefsFileCount);
    }
}

} // namespace
} // namespace korvid::test
