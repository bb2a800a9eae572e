#include "app/BackupUnit.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TBackupDocument Document(std::string Name, std::string Text) {
    return {std::move(Name),
            [Text](const std::filesystem::path& Target) { WriteFileBytes(Target, Text); }};
}

TEST(Backups, ATickReplacesTheFolderWithCopiesAndAnIndex) {
    TTempDir Dir;
    const auto Folder = Dir / "Backup";
    std::filesystem::create_directories(Folder);
    WriteFileBytes(Folder / "7.txt", "stale");
    WriteBackups(Folder, {Document("/home/me/a.pas", "one\r\n"), Document("", "two")});
    EXPECT_EQ(ReadFileBytes(Folder / "0.txt"), "one\r\n");
    EXPECT_EQ(ReadFileBytes(Folder / "1.txt"), "two");
    EXPECT_EQ(ReadFileBytes(Folder / "Index.txt"), "/home/me/a.pas\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(Folder / "7.txt"));
}

TEST(Backups, NoDocumentsLeaveTheFolderAlone) {
    TTempDir Dir;
    WriteFileBytes(Dir / "0.txt", "keep");
    WriteBackups(Dir.Path(), {});
    EXPECT_EQ(ReadFileBytes(Dir / "0.txt"), "keep");
}

TEST(Backups, RecoveryNamesEachCopyFromTheIndex) {
    TTempDir Dir;
    WriteBackups(Dir.Path(), {Document("/home/me/a.pas", "a"), Document("", "b")});
    WriteFileBytes(Dir / "5.txt", "not in the index");
    WriteFileBytes(Dir / "notes.txt", "not a copy");
    std::vector<TRecoveredBackup> Found = FindBackupsToRecover(Dir.Path());
    std::sort(Found.begin(), Found.end(),
              [](const auto& A, const auto& B) { return A.Backup < B.Backup; });
    ASSERT_EQ(Found.size(), 3u);
    EXPECT_EQ(Found[0].Backup, Dir / "0.txt");
    EXPECT_EQ(Found[0].FileName, "/home/me/a.pas");
    EXPECT_EQ(Found[1].FileName, ""); // untitled: reopens untitled
    EXPECT_EQ(Found[2].Backup, Dir / "5.txt");
    EXPECT_EQ(Found[2].FileName, "");
}

TEST(Backups, WithoutAnIndexNothingIsOffered) {
    TTempDir Dir;
    WriteFileBytes(Dir / "0.txt", "a");
    EXPECT_TRUE(FindBackupsToRecover(Dir.Path()).empty());
    EXPECT_TRUE(FindBackupsToRecover(Dir / "missing").empty());
}

TEST(Backups, ClearingCreatesOnlyWhenAsked) {
    TTempDir Dir;
    ClearBackupFolder(Dir / "new", false);
    EXPECT_FALSE(std::filesystem::exists(Dir / "new"));
    ClearBackupFolder(Dir / "new", true);
    EXPECT_TRUE(std::filesystem::is_directory(Dir / "new"));
}

} // namespace
} // namespace korvid
