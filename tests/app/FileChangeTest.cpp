#include "app/FileChangeUnit.h"
#include "ui/ModalRunner.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(FileChange, OnlyNamedDiskFilesWithATimeAreChecked) {
    EXPECT_TRUE(ShouldCheckFile("/home/me/a.txt", 1));
    EXPECT_FALSE(ShouldCheckFile("", 1));
    EXPECT_FALSE(ShouldCheckFile("/home/me/work.vol>A.TEXT", 1));
    EXPECT_FALSE(ShouldCheckFile("/home/me/work.vol>SUB.SVOL:A.TEXT", 1));
    EXPECT_FALSE(ShouldCheckFile("/home/me/a.txt", 0));
}

TEST(FileChange, ChangesWithinTwoSecondsAreNotReported) {
    const std::int64_t Stored = 1'000'000;
    struct TCase {
        std::int64_t Disk;
        bool Updated;
    };
    const TCase Cases[] = {{Stored, false},       {Stored + 1900, false}, {Stored + 2000, false},
                           {Stored + 2001, true}, {Stored + 2100, true},  {Stored - 5000, false}};
    for (const TCase& Case : Cases)
        EXPECT_EQ(IsFileUpdated(Stored, Case.Disk), Case.Updated) << Case.Disk - Stored;
}

TEST(FileChange, TheQuestionNamesTheFile) {
    TScriptedModals Script;
    Script.Press("&Yes");
    EXPECT_TRUE(AskLoadUpdatedFile("/tmp/100% done.txt"));
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "File Updated");
    ASSERT_TRUE(Script.Last().Message.has_value());
    EXPECT_EQ(Script.Last().Message->Text, "The file \"/tmp/100% done.txt\" has been updated "
                                           "outside Korvid. Do you want to load the latest "
                                           "version?");
}

} // namespace
} // namespace korvid
