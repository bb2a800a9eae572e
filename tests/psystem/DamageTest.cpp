#include "tests/psystem/VolumeTestSupport.h"

#include <functional>

namespace korvid::test {
namespace {

// A good volume: WORK (60 blocks) with A.TEXT [6,8), B.TEXT [8,11), SUB.SVOL [11,31) holding
// S.TEXT, then free space to the end of the volume at 54.
class TDamagedVolumes : public TVolumeTest {
protected:
    void SetUp() override {
        TVolumeTest::SetUp();
        Path = NewVolume("work.vol", "WORK", 60);
        TMajorVolume V(Path, true);
        Save(V, "A.TEXT", 1000, 1);
        Save(V, "B.TEXT", 1300, 2);
        ASSERT_TRUE(V.CopyFileTo(0, "SUB", 20, V));
        TSubvolume Sub(V, "SUB.SVOL");
        Save(Sub, "S.TEXT", 900, 3);
    }
    std::filesystem::path Path;
};

struct TDamage {
    std::string What;
    std::function<void(const std::filesystem::path&)> Patch;
    bool Refused; // not taken for a p-System volume at all
};

const std::int64_t SubBase = 11 * 512;

std::vector<TDamage> Damages() {
    const auto Word = [](int Entry, int Field, int Value, std::int64_t Base = 0) {
        return [=](const std::filesystem::path& P) {
            PatchWord(P, EntryField(Entry, Field, Base), Value);
        };
    };
    const auto Byte = [](int Entry, int Field, int Value, std::int64_t Base = 0) {
        return [=](const std::filesystem::path& P) {
            PatchByte(P, EntryField(Entry, Field, Base), Value);
        };
    };
    return {
        {"count above 77", Word(0, HeaderFileCount, 78), false},
        {"count far above 77", Word(0, HeaderFileCount, 0xFFFF), false},
        {"volume name too long", Byte(0, HeaderName, 200), false},
        {"file name too long", Byte(1, EntryName, 16), false},
        {"file name of 255", Byte(2, EntryName, 255), false},
        {"empty file name", Byte(2, EntryName, 0), false},
        {"unsorted extents", Word(3, EntryFirstBlock, 6), false},
        {"overlapping extents", Word(2, EntryFirstBlock, 7), false},
        {"end before first", Word(2, EntryEndBlock, 5), false},
        {"file inside the directory", Word(1, EntryFirstBlock, 2), false},
        {"file beyond the end of volume", Word(3, EntryEndBlock, 58), false},
        {"end of volume beyond the file", Word(0, HeaderEndOfVolume, 61), false},
        {"end of volume at 65535", Word(0, HeaderEndOfVolume, 0xFFFF), false},
        {"last block over 512", Word(1, EntryLastBytes, 513), false},
        {"subvolume end beyond its extent", Word(0, HeaderEndOfVolume, 21, SubBase), false},
        {"subvolume count above 77", Word(0, HeaderFileCount, 100, SubBase), false},
        {"subvolume file beyond", Word(1, EntryEndBlock, 40, SubBase), false},
        {"byte-swapped header",
         [](const std::filesystem::path& P) {
             for (const int Field : {HeaderNextBlock, HeaderEndOfVolume, HeaderFileCount}) {
                 const int V = FileWord(P, EntryField(0, Field));
                 PatchWord(P, EntryField(0, Field), (V >> 8) | (V & 0xFF) << 8);
             }
         },
         true},
        {"header first block not 0", Word(0, HeaderFirstBlock, 1), true},
        {"next block 0", Word(0, HeaderNextBlock, 0), true},
        {"subvolume byte-swapped", Word(0, HeaderNextBlock, 0x0600, SubBase), true},
        {"file cut short",
         [](const std::filesystem::path& P) { std::filesystem::resize_file(P, 2000); }, true},
    };
}

// Every operation that writes, each expected to refuse.
void TryEveryWrite(TVolume& V) {
    const std::function<void()> Writes[] = {
        [&] { V.SaveBytes("NEW", "data", fkText, 4); },
        [&] { V.RemoveFile(0, "A.TEXT"); },
        [&] { V.RenameFile(1, {}, "Z"); },
        [&] { V.Rename("X"); },
        [&] { V.Flush(); },
        [&] { V.Krunch(); },
        [&] { V.Expand(4); },
        [&] { V.Shrink(-1); },
        [&] { V.ShrinkTree(); },
    };
    for (const auto& Write : Writes) {
        try {
            Write();
            ADD_FAILURE() << "a write went through";
        } catch (const EVolumeError& E) {
            const std::string Text = E.what();
            EXPECT_TRUE(Text.find("damaged") != std::string::npos ||
                        Text.find("Can't write") != std::string::npos)
                << Text;
        }
    }
}

// Reads everything a caller could read; failures must be exceptions, nothing else.
void ReadEverything(TVolume& V) {
    std::vector<std::string> Lines;
    try {
        V.GrabListing(Lines);
    } catch (const EVolumeError&) {
    }
    V.Enumerate(true, [](const TFileInfo&) { return true; });
    for (int I = 1; I <= V.FileCount(); ++I) {
        try {
            V.ReadFileData(I, {});
        } catch (const EVolumeError&) {
        }
    }
    EXPECT_LE(V.FileCount(), MaxFiles);
    for (int I = 1; I <= V.FileCount(); ++I)
        EXPECT_LE(V.FileInfo(I, {}).Name.size(), std::size_t(FileNameLength));
    EXPECT_LE(V.VolumeName().size(), std::size_t(VolumeNameLength));
}

TEST_F(TDamagedVolumes, GoodVolumeIsValid) {
    EXPECT_EQ(ValidateVolume(Path), "");
}

TEST_F(TDamagedVolumes, EachDamageOpensReadOnlyOrIsRefused) {
    const std::string Good = ReadFileBytes(Path);
    for (const TDamage& Damage : Damages()) {
        SCOPED_TRACE(Damage.What);
        WriteFileBytes(Path, Good);
        Damage.Patch(Path);
        const std::string Damaged = ReadFileBytes(Path);
        bool Refused = false;
        try {
            TMajorVolume V(Path, true);
            std::unique_ptr<TSubvolume> Sub;
            if (!V.IsDamaged())
                Sub = std::make_unique<TSubvolume>(V, "SUB.SVOL");
            TVolume& Broken = Sub ? static_cast<TVolume&>(*Sub) : V;
            EXPECT_TRUE(Broken.IsDamaged());
            EXPECT_FALSE(Broken.IsWritable());
            ReadEverything(V);
            ReadEverything(Broken);
            TryEveryWrite(Broken);
        } catch (const EVolumeError& E) {
            Refused = true;
            const std::string Text = E.what();
            EXPECT_TRUE(Text.find("is not a p-System volume") != std::string::npos ||
                        Text == "Can't read volume directory")
                << Text;
        }
        EXPECT_EQ(Refused, Damage.Refused);
        EXPECT_EQ(ReadFileBytes(Path), Damaged); // never repaired behind the user's back
    }
}

} // namespace
} // namespace korvid::test
