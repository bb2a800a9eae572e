#include "platform/AtomicFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TEST(AtomicFile, ReplacesTheFileAndKeepsItsPermissions) {
    TTempDir Dir;
    const auto File = Dir / "doc.txt";
    WriteFileBytes(File, "old");
    ::chmod(File.c_str(), 0640);
    WriteFileAtomically(File, "new text");
    EXPECT_EQ(ReadFileBytes(File), "new text");
    struct stat Info {};
    ASSERT_EQ(::stat(File.c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

TEST(AtomicFile, UncommittedWriterLeavesTheOldFile) {
    TTempDir Dir;
    const auto File = Dir / "doc.txt";
    WriteFileBytes(File, "old");
    {
        TAtomicFileWriter Writer(File);
        Writer.Write("half");
    }
    EXPECT_EQ(ReadFileBytes(File), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

TEST(AtomicFile, FailuresRaiseAndLoseNothing) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TTempDir Dir;
    const auto Folder = Dir / "locked";
    std::filesystem::create_directory(Folder);
    const auto File = Folder / "doc.txt";
    WriteFileBytes(File, "old");
    ::chmod(Folder.c_str(), 0555);
    EXPECT_THROW(WriteFileAtomically(File, "new"), EFileWriteError);
    ::chmod(Folder.c_str(), 0755);
    EXPECT_EQ(ReadFileBytes(File), "old");
}

TEST(AtomicFile, AFolderInTheWayRaises) {
    TTempDir Dir;
    const auto Target = Dir / "taken";
    std::filesystem::create_directory(Target);
    WriteFileBytes(Target / "inside", "keep");
    EXPECT_THROW(WriteFileAtomically(Target, "new"), EFileWriteError);
    EXPECT_EQ(ReadFileBytes(Target / "inside"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

} // namespace
} // namespace korvid
