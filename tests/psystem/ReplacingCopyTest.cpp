#include "tests/psystem/VolumeTestSupport.h"

namespace korvid::test {
namespace {

class TReplacingCopy : public TVolumeTest {
protected:
    void SetUp() override {
        TVolumeTest::SetUp();
        SourcePath = NewVolume("src.vol", "SRC", 40);
        TargetPath = NewVolume("dst.vol", "DST", 30);
        TMajorVolume Source(SourcePath, true);
        NewText = Save(Source, "A.TEXT", 4000, 1);
        TMajorVolume Target(TargetPath, true);
        OldText = Save(Target, "A.TEXT", 1000, 2);
        Save(Target, "B.TEXT", 1000, 3);
    }

    std::filesystem::path SourcePath;
    std::filesystem::path TargetPath;
    std::string NewText;
    std::string OldText;
};

TEST_F(TReplacingCopy, ReplacesTheFileWithTheSourceAndItsStamp) {
    TMajorVolume Source(SourcePath, false);
    TMajorVolume Target(TargetPath, true);
    ASSERT_TRUE(Source.ReplaceFileIn(0, "A.TEXT", Target));
    EXPECT_EQ(Target.ReadFileData(0, "A.TEXT"), NewText);
    EXPECT_EQ(Target.FileInfo(0, "A.TEXT").DateWord, Source.FileInfo(0, "A.TEXT").DateWord);
    EXPECT_EQ(Target.FileCount(), 2);
    EXPECT_EQ(ValidateVolume(TargetPath), "");
}

TEST_F(TReplacingCopy, WithoutRoomTheTargetKeepsItsFile) {
    const std::string Bytes = ReadFileBytes(TargetPath);
    {
        TMajorVolume Source(SourcePath, true);
        Save(Source, "A.TEXT", 8000, 4); // larger than the whole target
        TMajorVolume Target(TargetPath, true);
        EXPECT_FALSE(Source.ReplaceFileIn(0, "A.TEXT", Target));
    }
    EXPECT_EQ(Warnings, std::vector<std::string>{
                            "Unable to copy file|There is not enough room in volume DST."});
    EXPECT_EQ(ReadFileBytes(TargetPath), Bytes);
}

TEST_F(TReplacingCopy, ACopyOntoItselfIsRefused) {
    const std::string Bytes = ReadFileBytes(SourcePath);
    TMajorVolume One(SourcePath, true);
    TMajorVolume Two(SourcePath, true); // both panes on one directory
    EXPECT_THROW(One.ReplaceFileIn(0, "A.TEXT", Two), EVolumeError);
    EXPECT_THROW(One.ReplaceFileIn(0, "A.TEXT", One), EVolumeError);
    EXPECT_EQ(ReadFileBytes(SourcePath), Bytes);
    try {
        One.ReplaceFileIn(0, "A.TEXT", Two);
    } catch (const EVolumeError& Error) {
        EXPECT_STREQ(Error.what(), "A file cannot be copied onto itself.");
    }
}

TEST_F(TVolumeTest, FindFilePrefersTheExactName) {
    const auto Path = NewVolume("case.vol", "CASE", 40);
    std::string Lower;
    std::string Upper;
    {
        TMajorVolume V(Path, true);
        Upper = Save(V, "A.TEXT", 900, 2);
        Lower = Save(V, "B.TEXT", 600, 1);
    }
    // Another tool may store lower case: entry 2 becomes "a.text".
    for (int I = 0; I < 6; ++I)
        PatchByte(Path, EntryField(2, EntryName) + 1 + I, "a.text"[I]);
    TMajorVolume V(Path, true);
    ASSERT_EQ(V.FileCount(), 2);
    EXPECT_EQ(V.ReadFileData(0, "a.text"), Lower);
    EXPECT_EQ(V.ReadFileData(0, "A.TEXT"), Upper);
    EXPECT_NE(V.FindFile("a.TEXT"), 0); // no exact match: any case still finds one
}

} // namespace
} // namespace korvid::test
