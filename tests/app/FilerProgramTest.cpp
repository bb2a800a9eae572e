#include "tests/app/ProgramProcess.h"

#include "psystem/MajorVolume.h"

#include <map>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> Files(const fs::path& Volume) {
    TMajorVolume V(Volume, false);
    std::map<std::string, std::string> Result;
    V.Enumerate(false, [&](const TFileInfo& Info) {
        Result[Info.Name] = V.ReadFileData(Info.Index, {});
        return true;
    });
    return Result;
}

// F2 opens the filer on the document's volume; Krunch and Unpack All go through its questions
// and the folder picker, and Esc closes it.
TEST_F(TProgramTest, TheFilerKrunchesAndUnpacksTheDocumentsVolume) {
    const fs::path Volume = Dir / "w.vol";
    ASSERT_TRUE(CreateVolumeFile(Volume, "WORK", 100));
    {
        TMajorVolume V(Volume, true);
        const auto Text = [&V](const std::string& Name, const std::string& Line) {
            ASSERT_TRUE(V.SaveTextFile(Name, {Line}, false));
        };
        Text("A.TEXT", "alpha");
        Text("GAP.TEXT", "gap");
        Text("B.TEXT", "beta");
        V.RemoveFile(0, "GAP.TEXT");
    }
    const auto Before = Files(Volume);
    const fs::path Out = Dir / "out";
    fs::create_directory(Out);
    Run(Volume.string() + ">A.TEXT", "key F2\n"
                                     "key Ctrl+K\n"
                                     "click Yes\n"
                                     "click OK\n"
                                     "key Ctrl+W\n"
                                     "choose " +
                                         Out.string() +
                                         "\n"
                                         "key Esc\n"
                                         "close\n");
    EXPECT_EQ(Files(Volume), Before);
    TMajorVolume V(Volume, false);
    EXPECT_EQ(V.FreeBlocks(), V.EndOfVolume() - V.LastFileEnd()); // no gap left
    EXPECT_TRUE(fs::exists(Out / "A.txt"));
    EXPECT_TRUE(fs::exists(Out / "B.txt"));
}

} // namespace
} // namespace korvid::test
