#include "app/BackupUnit.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

namespace korvid {
namespace {

namespace fs = std::filesystem;

using test::ReadFileBytes;
using test::TFileSizeLimit;
using test::TTempDir;
using test::WriteFileBytes;
using namespace std::string_literals;

TBackupDocument Document(std::string Name, std::string Text) {
    return {std::move(Name), [Text](const fs::path& Target) { WriteFileBytes(Target, Text); }};
}

// What a restart would reopen: each copy's document name and bytes, in tab order.
std::vector<std::pair<std::string, std::string>> Recovered(const fs::path& Folder) {
    std::vector<TRecoveredBackup> Found = FindBackupsToRecover(Folder);
    std::sort(Found.begin(), Found.end(),
              [](const auto& A, const auto& B) { return A.Backup < B.Backup; });
    std::vector<std::pair<std::string, std::string>> Result;
    for (const TRecoveredBackup& Backup : Found)
        Result.emplace_back(Backup.FileName, ReadFileBytes(Backup.Backup));
    return Result;
}

std::vector<std::string> Entries(const fs::path& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Folder))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

TEST(Backups, ATickWritesCopiesAndAnIndexAsOneSet) {
    TTempDir Dir;
    const auto Folder = Dir / "Backup";
    ASSERT_TRUE(WriteBackups(Folder, {Document("/home/me/a.pas", "one\r\n"), Document("", "two")}));
    const fs::path Set = CurrentBackupSet(Folder);
    ASSERT_FALSE(Set.empty());
    EXPECT_EQ(Set.parent_path(), Folder);
    EXPECT_EQ(Entries(Set), (std::vector<std::string>{"0.txt", "1.txt", "Index.txt"}));
    EXPECT_EQ(ReadFileBytes(Set / "0.txt"), "one\r\n");
    EXPECT_EQ(ReadFileBytes(Set / "1.txt"), "two");
    EXPECT_EQ(ReadFileBytes(Set / "Index.txt"), "/home/me/a.pas\r\n\r\n");

    // The next tick replaces the set: one set is left, with no copy of a closed tab.
    ASSERT_TRUE(WriteBackups(Folder, {Document("/home/me/b.pas", "three")}));
    EXPECT_EQ(Entries(Folder).size(), 1u);
    EXPECT_EQ(Recovered(Folder),
              (std::vector<std::pair<std::string, std::string>>{{"/home/me/b.pas", "three"}}));
}

TEST(Backups, NoDocumentsLeaveTheFolderAlone) {
    TTempDir Dir;
    ASSERT_TRUE(WriteBackups(Dir.Path(), {Document("a", "keep")}));
    const fs::path Set = CurrentBackupSet(Dir.Path());
    EXPECT_TRUE(WriteBackups(Dir.Path(), {}));
    EXPECT_EQ(CurrentBackupSet(Dir.Path()), Set);
    EXPECT_EQ(ReadFileBytes(Set / "0.txt"), "keep");
}

// A tick that fails anywhere leaves the set before it as it was, and no half set behind.
TEST(Backups, AFailedTickKeepsTheLastCompleteSet) {
    const std::string Big(64 * 1024, 'x');
    const std::string LongName = "/home/me/" + std::string(8 * 1024, 'n') + ".pas";
    struct TCase {
        const char* Name;
        std::vector<TBackupDocument> Documents;
    };
    const std::vector<TCase> Cases = {
        {"a copy cannot be written",
         {Document("/home/me/a.pas", "new a"),
          {"/home/me/b.pas", [](const fs::path&) { throw std::runtime_error("no room"); }}}},
        {"the disk fills during a copy",
         {Document("/home/me/a.pas", "new a"), Document("/home/me/b.pas", Big)}},
        {"the disk fills during the index", {Document(LongName, "new a")}},
    };
    for (const TCase& Case : Cases) {
        TTempDir Dir;
        const auto Folder = Dir / "Backup";
        ASSERT_TRUE(WriteBackups(
            Folder, {Document("/home/me/a.pas", "old a\r\n"), Document("", "old\0b"s)}));
        const auto Before = Recovered(Folder);
        const auto FolderBefore = Entries(Folder);
        {
            const TFileSizeLimit Limit(4096);
            EXPECT_FALSE(WriteBackups(Folder, Case.Documents)) << Case.Name;
        }
        EXPECT_EQ(Recovered(Folder), Before) << Case.Name;
        EXPECT_EQ(Entries(Folder), FolderBefore) << Case.Name;
    }
}

TEST(Backups, ASetWithoutItsIndexIsNeverRecovered) {
    TTempDir Dir;
    ASSERT_TRUE(WriteBackups(Dir.Path(), {Document("/home/me/a.pas", "complete")}));
    // A later run stopped while writing its copies: a newer set, without an index.
    const fs::path Half = Dir / "Set-99";
    fs::create_directories(Half);
    WriteFileBytes(Half / "0.txt", "half");
    EXPECT_EQ(Recovered(Dir.Path()),
              (std::vector<std::pair<std::string, std::string>>{{"/home/me/a.pas", "complete"}}));
    // The next tick goes above it and clears it away.
    ASSERT_TRUE(WriteBackups(Dir.Path(), {Document("/home/me/a.pas", "next")}));
    EXPECT_FALSE(fs::exists(Half));
    EXPECT_EQ(Recovered(Dir.Path()),
              (std::vector<std::pair<std::string, std::string>>{{"/home/me/a.pas", "next"}}));
}

TEST(Backups, RecoveryNamesEachCopyFromTheIndex) {
    TTempDir Dir;
    ASSERT_TRUE(WriteBackups(Dir.Path(), {Document("/home/me/a.pas", "a"), Document("", "b")}));
    const fs::path Set = CurrentBackupSet(Dir.Path());
    WriteFileBytes(Set / "5.txt", "not in the index");
    WriteFileBytes(Set / "notes.txt", "not a copy");
    std::vector<TRecoveredBackup> Found = FindBackupsToRecover(Dir.Path());
    std::sort(Found.begin(), Found.end(),
              [](const auto& A, const auto& B) { return A.Backup < B.Backup; });
    ASSERT_EQ(Found.size(), 3u);
    EXPECT_EQ(Found[0].Backup, Set / "0.txt");
    EXPECT_EQ(Found[0].FileName, "/home/me/a.pas");
    EXPECT_EQ(Found[1].FileName, ""); // untitled: reopens untitled
    EXPECT_EQ(Found[2].Backup, Set / "5.txt");
    EXPECT_EQ(Found[2].FileName, "");
}

TEST(Backups, CopiesAnOlderRunLeftInTheFolderItselfAreRecoveredUntilATickReplacesThem) {
    TTempDir Dir;
    WriteFileBytes(Dir / "0.txt", "from an older run");
    WriteFileBytes(Dir / "Index.txt", "/home/me/old.pas\r\n");
    EXPECT_EQ(CurrentBackupSet(Dir.Path()), Dir.Path());
    EXPECT_EQ(Recovered(Dir.Path()), (std::vector<std::pair<std::string, std::string>>{
                                         {"/home/me/old.pas", "from an older run"}}));
    ASSERT_TRUE(WriteBackups(Dir.Path(), {Document("/home/me/new.pas", "new")}));
    EXPECT_FALSE(fs::exists(Dir / "0.txt"));
    EXPECT_FALSE(fs::exists(Dir / "Index.txt"));
    EXPECT_EQ(Recovered(Dir.Path()),
              (std::vector<std::pair<std::string, std::string>>{{"/home/me/new.pas", "new"}}));
}

TEST(Backups, WithoutAnIndexNothingIsOffered) {
    TTempDir Dir;
    WriteFileBytes(Dir / "0.txt", "a");
    EXPECT_TRUE(FindBackupsToRecover(Dir.Path()).empty());
    EXPECT_TRUE(FindBackupsToRecover(Dir / "missing").empty());
}

TEST(Backups, ClearingRemovesEverySetAndCreatesOnlyWhenAsked) {
    TTempDir Dir;
    ClearBackupFolder(Dir / "new", false);
    EXPECT_FALSE(fs::exists(Dir / "new"));
    ClearBackupFolder(Dir / "new", true);
    EXPECT_TRUE(fs::is_directory(Dir / "new"));

    ASSERT_TRUE(WriteBackups(Dir / "new", {Document("a", "a")}));
    fs::create_directories(Dir / "new" / "Set-99");
    WriteFileBytes(Dir / "new" / "Index.txt", "\r\n");
    ClearBackupFolder(Dir / "new", false);
    EXPECT_TRUE(Entries(Dir / "new").empty());
    EXPECT_TRUE(FindBackupsToRecover(Dir / "new").empty());
}

} // namespace
} // namespace korvid
