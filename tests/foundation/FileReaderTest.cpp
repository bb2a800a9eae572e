#include "foundation/FileReader.h"
#include "foundation/BinaryStrings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvid::test {
namespace {

using TSteps = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

TEST(FileReader, ReadsTheWholeFileIntoOneBufferAndReportsEachStep) {
    TTempDir Dir;
    const struct {
        std::string Bytes;
        TSteps Steps;
    } Cases[] = {
        {"", {}},
        {"abc", {{3, 3}}},
        {"0123456789", {{4, 10}, {8, 10}, {10, 10}}},
        {"01234567", {{4, 8}, {8, 8}}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Bytes);
        WriteFileBytes(Dir / "f.txt", Case.Bytes);
        TSteps Steps;
        const auto Data = ReadWholeFile(
            Dir / "f.txt",
            [&Steps](std::uint64_t Done, std::uint64_t Total) {
                Steps.emplace_back(Done, Total);
                return true;
            },
            4);
        ASSERT_TRUE(Data);
        EXPECT_EQ(*Data, Case.Bytes);
        EXPECT_EQ(Steps, Case.Steps);
    }
}

TEST(FileReader, AStepThatAnswersNoStopsTheReadAndKeepsNothing) {
    TTempDir Dir;
    WriteFileBytes(Dir / "f.txt", std::string(100, 'x'));
    int Steps = 0;
    const auto Data = ReadWholeFile(
        Dir / "f.txt", [&Steps](std::uint64_t, std::uint64_t) { return ++Steps < 2; }, 10);
    EXPECT_FALSE(Data);
    EXPECT_EQ(Steps, 2);
}

TEST(FileReader, MissingFilesAndFoldersRaise) {
    TTempDir Dir;
    EXPECT_THROW(ReadWholeFile(Dir / "missing.txt"), EFileOpenError);
    EXPECT_THROW(ReadWholeFile(Dir.Path()), EFileOpenError);
}

TEST(FileReader, TheLoaderReadsThroughItsReaderAndStopsWithIt) {
    TTempDir Dir;
    WriteFileBytes(Dir / "f.txt", "one\r\ntwo\r\n");
    TBinaryStrings Lines;
    int Calls = 0;
    Lines.OnReadStep = [&Calls](std::uint64_t, std::uint64_t) {
        ++Calls;
        return true;
    };
    bool Asterisks = true;
    std::string Password;
    ASSERT_EQ(Lines.LoadFromFile(Dir / "f.txt", Asterisks, Password), TLoadResult::Loaded);
    EXPECT_EQ(Lines.Lines(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(Calls, 1); // the ordinary reader tells the step hook

    Lines.Reader = [](const std::filesystem::path&, const TReadStep&) {
        return std::optional<std::string>();
    };
    EXPECT_EQ(Lines.LoadFromFile(Dir / "f.txt", Asterisks, Password), TLoadResult::Cancelled);
    EXPECT_EQ(Lines.Count(), 0u);
}

} // namespace
} // namespace korvid::test
