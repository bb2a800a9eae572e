#include "tests/psystem/VolumeTestSupport.h"

namespace korvid::test {
namespace {

class TSubvolumes : public TVolumeTest {
protected:
    // WORK (200 blocks): A.TEXT, SUB.SVOL (40 blocks, with S1 and S2), C.DATA, D.TEXT.
    void SetUp() override {
        TVolumeTest::SetUp();
        Path = NewVolume("work.vol", "WORK", 200);
        TMajorVolume V(Path, true);
        Save(V, "A.TEXT", 1500, 1);
        ASSERT_TRUE(V.CopyFileTo(0, "sub", 40, V));
        Save(V, "C.DATA", 5000, 2, fkData);
        Save(V, "D.TEXT", 700, 3);
        TSubvolume Sub(V, "SUB.SVOL");
        Save(Sub, "S1.TEXT", 2000, 4);
        Save(Sub, "S2.TEXT", 3000, 5);
    }
    std::filesystem::path Path;
};

TEST_F(TSubvolumes, CreatedSubvolumeIsAnEmptyVolume) {
    TMajorVolume V(Path, false);
    const TFileInfo Info = V.FileInfo(0, "SUB.SVOL");
    EXPECT_EQ(Info.Kind, fkSubvolume);
    EXPECT_EQ(Info.FirstBlock, 9);
    EXPECT_EQ(Info.Blocks, 40);
    EXPECT_EQ(FileWord(Path, EntryField(0, HeaderEndOfVolume, 9 * 512)), 34);
    EXPECT_EQ(FileWord(Path, EntryField(0, HeaderNextBlock, 9 * 512)), 6);
    TSubvolume Sub(Path, false, "sub.svol");
    EXPECT_EQ(Sub.VolumeName(), "SUB");
    EXPECT_EQ(Sub.Base(), 9 * 512);
    EXPECT_EQ(Sub.SubvolumeName(), "SUB.SVOL");
    EXPECT_FALSE(Sub.IsWritable());
    EXPECT_EQ(Sub.FileCount(), 2);
    EXPECT_EQ(Sub.ReadFileData(0, "S2.TEXT"), Pattern(3000, 5));
}

TEST_F(TSubvolumes, ExpandBy10GrowsTheFileAndMovesLaterFilesIntact) {
    const auto Before = Snapshot(Path);
    const auto Size = std::filesystem::file_size(Path);
    {
        TSubvolume Sub(Path, true, "SUB.SVOL");
        Sub.Expand(10);
        EXPECT_EQ(Sub.EndOfVolume(), 44);
    }
    EXPECT_EQ(std::filesystem::file_size(Path), Size + 5120);
    TMajorVolume V(Path, false);
    EXPECT_EQ(V.EndOfVolume(), 204);
    EXPECT_EQ(V.FileInfo(0, "SUB.SVOL").Blocks, 50);
    EXPECT_EQ(V.FileInfo(0, "C.DATA").FirstBlock, 59);
    EXPECT_EQ(V.FileInfo(0, "D.TEXT").FirstBlock, 69);
    EXPECT_EQ(Snapshot(Path), Before);
    EXPECT_EQ(ValidateVolume(Path), "");
    TSubvolume Sub(Path, true, "SUB.SVOL");
    EXPECT_EQ(Sub.EndOfVolume(), 44);
    EXPECT_EQ(Sub.FreeBlocks(), 44 - 6 - 4 - 6);
}

TEST_F(TSubvolumes, ShrinkMovesLaterFilesDownAndKeepsTheFileLength) {
    const auto Before = Snapshot(Path);
    const auto Size = std::filesystem::file_size(Path);
    {
        TSubvolume Sub(Path, true, "SUB.SVOL");
        EXPECT_THROW(Sub.Shrink(-20), EVolumeError); // would cut S2 (ends at 16; eov 34)
        Sub.Shrink(-10);
    }
    EXPECT_EQ(std::filesystem::file_size(Path), Size);
    TMajorVolume V(Path, false);
    EXPECT_EQ(V.FileInfo(0, "SUB.SVOL").Blocks, 30);
    EXPECT_EQ(V.FileInfo(0, "C.DATA").FirstBlock, 39);
    EXPECT_EQ(V.EndOfVolume(), 194);
    EXPECT_EQ(Snapshot(Path), Before);
    EXPECT_EQ(ValidateVolume(Path), "");
}

TEST_F(TSubvolumes, ShrinkingTheLastFileMovesNothing) {
    {
        TMajorVolume V(Path, true);
        V.RemoveFile(0, "C.DATA");
        V.RemoveFile(0, "D.TEXT");
    }
    const auto Size = std::filesystem::file_size(Path);
    TSubvolume Sub(Path, true, "SUB.SVOL");
    Sub.Shrink(-5);
    EXPECT_EQ(std::filesystem::file_size(Path), Size);
    EXPECT_EQ(TMajorVolume(Path, false).FileInfo(0, "SUB.SVOL").Blocks, 35);
    EXPECT_EQ(ValidateVolume(Path), "");
}

TEST_F(TSubvolumes, ShrinkToFitAndShrinkTree) {
    const auto Before = Snapshot(Path);
    {
        TMajorVolume V(Path, true);
        V.RemoveFile(0, "A.TEXT"); // a gap before the subvolume
        V.ShrinkTree();
    }
    auto Expected = Before;
    Expected.erase("A.TEXT");
    EXPECT_EQ(Snapshot(Path), Expected);
    EXPECT_EQ(ValidateVolume(Path), "");
    TMajorVolume V(Path, false);
    const TFileInfo Sub = V.FileInfo(0, "SUB.SVOL");
    EXPECT_EQ(Sub.FirstBlock, 6);
    EXPECT_EQ(Sub.Blocks, 16 + 6); // its files end at block 16; 6 blocks stay outside
    EXPECT_EQ(V.EndOfVolume(), V.LastFileEnd());
    // The major volume keeps its 6 outside blocks too.
    EXPECT_EQ(std::filesystem::file_size(Path), std::uintmax_t(V.EndOfVolume() + 6) * 512);
}

TEST_F(TSubvolumes, ShrinkToFitOfAnEmptyVolume) {
    const auto Empty = NewVolume("e.vol", "EMPTY", 50);
    TMajorVolume V(Empty, true);
    V.ShrinkToFit();
    EXPECT_EQ(V.EndOfVolume(), 6);
    EXPECT_EQ(std::filesystem::file_size(Empty), 12u * 512);
}

TEST_F(TSubvolumes, ResizeMajorVolume) {
    TMajorVolume V(Path, true);
    const auto Size = std::filesystem::file_size(Path);
    V.Expand(100);
    EXPECT_EQ(std::filesystem::file_size(Path), Size + 100 * 512);
    EXPECT_EQ(TMajorVolume(Path, false).EndOfVolume(), 294);
    V.Shrink(-50);
    EXPECT_EQ(TMajorVolume(Path, false).EndOfVolume(), 244);
    try {
        V.Shrink(-244 + V.LastFileEnd() - 1);
        FAIL();
    } catch (const EVolumeError& E) {
        EXPECT_EQ(E.what(), "Unable to shrink major volume '" + Path.string() + "'");
    }
    EXPECT_THROW(V.Expand(MaxVolumeBlocks), EVolumeError);
    EXPECT_EQ(ValidateVolume(Path), "");
}

TEST_F(TSubvolumes, NoSubvolumeInsideASubvolume) {
    TMajorVolume V(Path, true);
    TSubvolume Sub(V, "SUB.SVOL");
    EXPECT_THROW(Sub.CopyFileTo(0, "INNER", 12, Sub), EVolumeError);
    EXPECT_THROW(V.CopyFileTo(0, "INNER", 12, Sub), EVolumeError);
    EXPECT_THROW(V.CopyFileTo(0, "SUB.SVOL", 0, Sub), EVolumeError);
    EXPECT_THROW(Sub.CreateSubvolume("INNER", 3, 12, 16), EVolumeError);
    EXPECT_EQ(Sub.FileCount(), 2);
    // Copying a plain file from the major volume into its subvolume works.
    EXPECT_TRUE(V.CopyFileTo(0, "D.TEXT", 0, Sub));
    EXPECT_EQ(Sub.ReadFileData(0, "D.TEXT"), Pattern(700, 3));
    EXPECT_EQ(ValidateVolume(Path), "");
}

TEST_F(TSubvolumes, TinySubvolumesHaveNoRoom) {
    TMajorVolume V(Path, true);
    for (const int Blocks : {10, 11, 12}) {
        const std::string Name = "T" + std::to_string(Blocks);
        ASSERT_TRUE(V.CopyFileTo(0, Name, Blocks, V));
        TSubvolume Sub(V, Name + ".SVOL");
        EXPECT_FALSE(Sub.IsDamaged()) << Sub.Damage();
        EXPECT_EQ(Sub.FreeBlocks(), 0);
        int Gaps = 0;
        Sub.Enumerate(true, [&](const TFileInfo&) { return ++Gaps, true; });
        EXPECT_EQ(Gaps, 0);
        EXPECT_FALSE(Sub.SaveBytes("X", "x", fkText, 1));
        EXPECT_EQ(Sub.Krunch(), 0);
    }
    EXPECT_THROW(V.CopyFileTo(0, "T9", 9, V), EVolumeError);
    EXPECT_THROW(V.CopyFileTo(0, "BAD", -1, V), EVolumeError);
}

TEST_F(TSubvolumes, OpeningErrors) {
    try {
        TSubvolume Sub(Path, false, "NONE.SVOL");
        FAIL();
    } catch (const EVolumeError& E) {
        EXPECT_STREQ(E.what(), "File 'NONE.SVOL' not found");
    }
    const auto Missing = Temp / "missing.vol";
    try {
        TMajorVolume V(Missing, false);
        FAIL();
    } catch (const EVolumeError& E) {
        EXPECT_EQ(E.what(), "Can't open major volume '" + Missing.string() + "'");
    }
}

TEST_F(TSubvolumes, ReadOnlyVolumesRefuseWrites) {
    const std::string Before = ReadFileBytes(Path);
    TMajorVolume V(Path, false);
    TSubvolume Sub(V, "SUB.SVOL");
    for (TVolume* Volume : {static_cast<TVolume*>(&V), static_cast<TVolume*>(&Sub)}) {
        EXPECT_THROW(Volume->SaveBytes("N", "n", fkText, 1), EVolumeError);
        EXPECT_THROW(Volume->RemoveFile(1, {}), EVolumeError);
        EXPECT_THROW(Volume->Krunch(), EVolumeError);
        EXPECT_THROW(Volume->Expand(5), EVolumeError);
    }
    EXPECT_EQ(ReadFileBytes(Path), Before);
}

TEST_F(TSubvolumes, StaleObjectsRereadBeforeChanging) {
    TMajorVolume Stale(Path, true);
    TSubvolume StaleSub(Stale, "SUB.SVOL");
    {
        TMajorVolume Other(Path, true);
        Other.RemoveFile(0, "A.TEXT");
        Other.Krunch(); // moves SUB.SVOL down
    }
    Save(StaleSub, "S3.TEXT", 100, 6);
    Save(Stale, "E.TEXT", 100, 7);
    EXPECT_EQ(ValidateVolume(Path), "");
    const auto Files = Snapshot(Path);
    EXPECT_EQ(Files.at("SUB.SVOL:S3.TEXT"), Pattern(100, 6));
    EXPECT_EQ(Files.at("SUB.SVOL:S1.TEXT"), Pattern(2000, 4));
    EXPECT_EQ(Files.at("C.DATA"), Pattern(5000, 2));
    EXPECT_EQ(Files.count("A.TEXT"), 0u);
}

void SaveText(TVolume& V, const std::string& Name, const std::string& Text) {
    std::string Data(1024, '\0');
    Data += Text;
    ASSERT_TRUE(V.SaveBytes(Name, Data.data(), fkText, std::ssize(Data)));
}

TEST_F(TSubvolumes, VersionText) {
    EXPECT_EQ(TMajorVolume(Path, false).GetVersion(), "unversioned");
    {
        TMajorVolume V(Path, true);
        TSubvolume Sub(V, "SUB.SVOL");
        SaveText(Sub, "VERSION.TEXT", "2.1 beta\r");
    }
    TMajorVolume V(Path, false);
    EXPECT_EQ(V.GetVersion(), "2.1");
    TSubvolume Sub(V, "SUB.SVOL");
    EXPECT_EQ(Sub.GetVersion(), "2.1");
    Sub.SetVersion("9");
    EXPECT_EQ(V.GetVersion(), "9");
    {
        TMajorVolume W(Path, true);
        SaveText(W, "VERSION.TEXT", "nothing\r");
    }
    EXPECT_EQ(TMajorVolume(Path, false).GetVersion(), "2.1"); // no blank: nothing from that one
}

} // namespace
} // namespace korvid::test
