#include "tests/psystem/VolumeTestSupport.h"

#include "psystem/VolumePacking.h"

#include <functional>

namespace korvid::test {
namespace {

// Every writing operation is run once to count its writes and size changes, then again on a
// fresh copy of the volume for each k with the k-th of them failing. Whatever fails, the
// volume must still validate and every file it held must be byte-identical.
class TFaultSweep : public TVolumeTest {
protected:
    // SWEEP (200 blocks): A.TEXT, gap, B.CODE, SUB.SVOL (S1.TEXT, gap, S2.DATA), gap, C.DATA,
    // gap, D.TEXT.
    void SetUp() override {
        TVolumeTest::SetUp();
        Path = NewVolume("sweep.vol", "SWEEP", 200);
        {
            TMajorVolume V(Path, true);
            Save(V, "A.TEXT", 1500, 1);
            Save(V, "GAP1", 1024, 0);
            Save(V, "B.CODE", 2600, 2, fkCode);
            ASSERT_TRUE(V.CopyFileTo(0, "SUB", 40, V));
            Save(V, "GAP2", 3000, 0);
            Save(V, "C.DATA", 5000, 3, fkData);
            Save(V, "GAP3", 600, 0);
            Save(V, "D.TEXT", 7000, 4);
            TSubvolume Sub(V, "SUB.SVOL");
            Save(Sub, "S1.TEXT", 2000, 5);
            Save(Sub, "SGAP", 1500, 0);
            Save(Sub, "S2.DATA", 3000, 6, fkData);
            Sub.RemoveFile(0, "SGAP");
            V.RemoveFile(0, "GAP1");
            V.RemoveFile(0, "GAP2");
            V.RemoveFile(0, "GAP3");
        }
        Template = ReadFileBytes(Path);
        Before = Snapshot(Path);
        ASSERT_EQ(ValidateVolume(Path), "");
    }

    void Sweep(const std::function<void(const std::filesystem::path&)>& Operation) {
        WriteFileBytes(Path, Template);
        InjectVolumeFileFault(0);
        Operation(Path);
        const int Count = VolumeFileMutationCount();
        ASSERT_GT(Count, 0);
        EXPECT_EQ(ValidateVolume(Path), "");
        for (int K = 1; K <= Count; ++K) {
            SCOPED_TRACE("failing mutation " + std::to_string(K) + " of " + std::to_string(Count));
            WriteFileBytes(Path, Template);
            InjectVolumeFileFault(K);
            bool Failed = false;
            try {
                Operation(Path);
            } catch (const EVolumeError&) {
                Failed = true;
            }
            InjectVolumeFileFault(0);
            EXPECT_TRUE(Failed);
            EXPECT_EQ(ValidateVolume(Path), "");
            EXPECT_EQ(Snapshot(Path), Before);
        }
    }

    std::filesystem::path Path;
    std::string Template;
    std::map<std::string, std::string> Before;
};

void Saving(const std::filesystem::path& P, const std::string& Name, std::size_t Size) {
    TMajorVolume V(P, true);
    const std::string Data = Pattern(Size, 42);
    V.SaveBytes(Name, Data.data(), fkText, std::int64_t(Size));
}

TEST_F(TFaultSweep, Save) {
    Sweep([](const auto& P) { Saving(P, "NEW.TEXT", 9000); });
}

TEST_F(TFaultSweep, ReplaceOverItsOwnBlocks) {
    // A.TEXT [6,9) is followed by a 2-block gap: the new 5 blocks reuse the old ones.
    Sweep([](const auto& P) { Saving(P, "A.TEXT", 2500); });
}

TEST_F(TFaultSweep, ReplaceKeepingABackup) {
    // D.TEXT becomes the backup C.DATA; the new data fills the gap before the old C.DATA and
    // runs on into its freed blocks.
    Sweep([](const auto& P) {
        TMajorVolume V(P, true);
        V.SaveFileData("D.TEXT", Pattern(10 * 512, 9), 512, fkText, UnableToSaveFileCaption,
                       "C.DATA");
    });
}

TEST_F(TFaultSweep, SaveTextFile) {
    const std::vector<std::string> Lines(300, "      a line of text");
    Sweep([&](const auto& P) { TMajorVolume(P, true).SaveTextFile("NEW.TEXT", Lines, true); });
    // A.TEXT becomes A.BACK; D.TEXT is replaced in place of its old blocks.
    Sweep([&](const auto& P) { TMajorVolume(P, true).SaveTextFile("A.TEXT", Lines, true); });
    Sweep([&](const auto& P) { TMajorVolume(P, true).SaveTextFile("D.TEXT", Lines, false); });
    Sweep([&](const auto& P) {
        TSubvolume(P, true, "SUB.SVOL").SaveTextFile("S1.TEXT", Lines, false);
    });
}

// Whatever write fails while packing, an existing volume file stays as it was and nothing is
// left beside it.
TEST_F(TFaultSweep, Pack) {
    const std::filesystem::path Folder = Temp / "folder";
    std::filesystem::create_directories(Folder / "sub");
    WriteFileBytes(Folder / "one.vp", "unit one;\r\n   x\r\n");
    WriteFileBytes(Folder / "two.vp", std::string(3000, 'y') + "\r\n");
    WriteFileBytes(Folder / "sub" / "three.vp", "three\r\n");
    const auto Files = [&] {
        std::vector<std::filesystem::path> Names;
        for (const auto& Item : std::filesystem::directory_iterator(Temp.Path()))
            Names.push_back(Item.path().filename());
        std::sort(Names.begin(), Names.end());
        return Names;
    };
    const auto Listing = Files();
    InjectVolumeFileFault(0);
    ASSERT_TRUE(PackFiles(Folder, Temp / "packed.vol"));
    const int Count = VolumeFileMutationCount();
    ASSERT_EQ(ValidateVolume(Temp / "packed.vol"), "");
    ASSERT_EQ(Snapshot(Temp / "packed.vol").size(), 3u);
    std::filesystem::remove(Temp / "packed.vol");
    ASSERT_GT(Count, 3);
    for (int K = 1; K <= Count; ++K) {
        SCOPED_TRACE("failing mutation " + std::to_string(K) + " of " + std::to_string(Count));
        WriteFileBytes(Path, Template);
        InjectVolumeFileFault(K);
        bool Packs = true;
        try {
            Packs = PackFiles(Folder, Path);
        } catch (const EVolumeError&) {
            Packs = false;
        }
        InjectVolumeFileFault(0);
        EXPECT_FALSE(Packs);
        EXPECT_EQ(ReadFileBytes(Path), Template);
        EXPECT_EQ(Files(), Listing);
    }
}

TEST_F(TFaultSweep, Copy) {
    Sweep([](const auto& P) {
        TMajorVolume V(P, true);
        TSubvolume Sub(P, true, "SUB.SVOL"); // another object on the same file
        V.CopyFileTo(0, "B.CODE", 0, Sub);
    });
}

TEST_F(TFaultSweep, ReplacingCopy) {
    const auto Source = NewVolume("source.vol", "SOURCE", 100);
    {
        TMajorVolume V(Source, true);
        Save(V, "D.TEXT", 9000, 7); // larger than the file it replaces
        Save(V, "S1.TEXT", 1000, 8);
    }
    Sweep([&Source](const auto& P) {
        TMajorVolume From(Source, false);
        TMajorVolume To(P, true);
        From.ReplaceFileIn(0, "D.TEXT", To);
    });
    Sweep([&Source](const auto& P) {
        TMajorVolume From(Source, false);
        TSubvolume To(P, true, "SUB.SVOL");
        From.ReplaceFileIn(0, "S1.TEXT", To);
    });
}

TEST_F(TFaultSweep, RemoveRenameFlush) {
    Sweep([](const auto& P) { TMajorVolume(P, true).RemoveFile(0, "C.DATA"); });
    Sweep([](const auto& P) { TMajorVolume(P, true).RenameFile(0, "C.DATA", "E.DATA"); });
    Sweep([](const auto& P) { TSubvolume(P, true, "SUB.SVOL").Flush(); });
}

TEST_F(TFaultSweep, Krunch) {
    Sweep([](const auto& P) { TMajorVolume(P, true).Krunch(); });
    Sweep([](const auto& P) { TSubvolume(P, true, "SUB.SVOL").Krunch(); });
}

TEST_F(TFaultSweep, ResizeMajorVolume) {
    Sweep([](const auto& P) { TMajorVolume(P, true).Expand(30); });
    Sweep([](const auto& P) { TMajorVolume(P, true).Shrink(-30); });
}

TEST_F(TFaultSweep, SubvolumeExpandAndShrink) {
    Sweep([](const auto& P) { TSubvolume(P, true, "SUB.SVOL").Expand(10); });
    Sweep([](const auto& P) { TSubvolume(P, true, "SUB.SVOL").Shrink(-10); });
}

TEST_F(TFaultSweep, ShrinkTree) {
    Sweep([](const auto& P) { TMajorVolume(P, true).ShrinkTree(); });
}

TEST_F(TFaultSweep, CreateSubvolume) {
    Sweep([](const auto& P) {
        TMajorVolume V(P, true);
        V.CopyFileTo(0, "NEWSUB", 20, V);
    });
}

} // namespace
} // namespace korvid::test
