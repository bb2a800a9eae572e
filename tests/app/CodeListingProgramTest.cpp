#include "psystem/CodeFileListing.h"
#include "psystem/MajorVolume.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/CodeFileBuilder.h"

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(const std::string& Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    for (std::size_t End; (End = Text.find("\r\n", Start)) != std::string::npos; Start = End + 2)
        Lines.push_back(Text.substr(Start, End - Start));
    Lines.push_back(Text.substr(Start));
    return Lines;
}

// The built program lists a code file on disk and the same file in a volume, as the listing
// itself does but for the header's title and time.
TEST_F(TProgramTest, ListsCodeFilesOnDiskAndInVolumes) {
    TCodeFile File;
    File.Comment = "Test unit";
    TCodeSegment S;
    S.Name = "MYUNIT";
    S.Procedures = {{std::string("\x05\x81\xff\xff\x94\x03\x04\x8a\xfc\xfd\xfd", 11), 3, -1}};
    S.Pool = "ABCD";
    S.References = {{"HEAPOPS", 3}};
    File.Segments = {S};
    const std::string Bytes = BuildCodeFile(File).Bytes;
    WriteFileBytes(Dir / "x.code", Bytes);
    ASSERT_TRUE(CreateVolumeFile(Dir / "w.vol", "WORK", 40));
    {
        TMajorVolume Volume(Dir / "w.vol", true);
        ASSERT_TRUE(Volume.SaveBytes("X.CODE", Bytes.data(), fkCode, std::ssize(Bytes)));
    }
    std::vector<std::string> Golden;
    DisassembleCodeFile("X", Golden, [&Bytes](std::string& Buffer) {
        Buffer = Bytes;
        return true;
    });
    ASSERT_GT(Golden.size(), 30u);

    const struct {
        fs::path Open;
        std::string Title;
    } Cases[] = {{Dir / "x.code", (Dir / "x.code").string()},
                 {fs::path((Dir / "w.vol").string() + ">X.CODE"), "WORK:X.CODE"}};
    int Count = 0;
    for (const auto& Case : Cases) {
        const fs::path Out = Dir / ("listing" + std::to_string(++Count) + ".txt");
        TProgramTest::Run(Case.Open, "write " + Out.string() + "\nclose\n");
        ASSERT_TRUE(fs::exists(Out)) << Case.Title;
        std::vector<std::string> Lines = SplitLines(ReadFileBytes(Out));
        ASSERT_FALSE(Lines.empty());
        EXPECT_TRUE(Lines.front().starts_with("; Disassembly of " + Case.Title + " at "))
            << Lines.front();
        Lines.erase(Lines.begin());
        EXPECT_EQ(Lines, std::vector<std::string>(Golden.begin() + 1, Golden.end())) << Case.Title;
    }
}

} // namespace
} // namespace korvid::test
