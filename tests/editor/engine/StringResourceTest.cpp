#include "editor/engine/StringResource.h"
#include "editor/engine/EngException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

// A string table as bytes: records of id, text and NUL.
std::vector<std::byte> Table(std::initializer_list<std::pair<std::uint16_t, std::string>> Records,
                             bool Terminate = true) {
    std::vector<std::byte> Data;
    for (const auto& [Id, Text] : Records) {
        Data.push_back(std::byte(Id & 0xFF));
        Data.push_back(std::byte(Id >> 8));
        for (char C : Text)
            Data.push_back(std::byte(static_cast<unsigned char>(C)));
        Data.push_back(std::byte{0});
    }
    if (!Terminate)
        Data.pop_back();
    return Data;
}

TEST(StringResource, LooksUpRecords) {
    const auto Data = Table({{1, "one"}, {7, "seven"}, {300, "three hundred"}});
    TStringResource Strings{std::span<const std::byte>(Data)};
    EXPECT_EQ(Strings.GetString(7), "seven");
    EXPECT_EQ(Strings.GetString(300), "three hundred");
    EXPECT_EQ(Strings.GetString(1), "one");
    EXPECT_EQ(Strings.GetString(2), ""); // missing: empty unless reporting is on
    Strings.ReportMissingStrings = true;
    try {
        Strings.GetString(2);
        FAIL() << "no error for a missing string";
    } catch (const EStringResourceError& E) {
        EXPECT_STREQ(E.what(), "String not found: 2");
    }
}

TEST(StringResource, EmptyRecordEndsTheTable) {
    const auto Empty = Table({{1, ""}, {2, "after"}});
    EXPECT_EQ(TStringResource(std::span<const std::byte>(Empty)).GetString(2), "");
    const auto Middle = Table({{1, "a"}, {2, ""}, {3, "c"}});
    EXPECT_EQ(TStringResource(std::span<const std::byte>(Middle)).GetString(3), "");
}

TEST(StringResource, WalkStaysInsideTheData) {
    const auto Data = Table({{1, "a"}, {2, "last"}}, false); // no NUL after the last text
    TStringResource Strings{std::span<const std::byte>(Data)};
    EXPECT_EQ(Strings.GetString(2), "last");
    EXPECT_EQ(Strings.GetString(9), "");
    const std::vector<std::byte> Odd{std::byte{1}}; // half an id
    EXPECT_EQ(TStringResource(std::span<const std::byte>(Odd)).GetString(1), "");
}

TEST(StringResource, CacheKeeps45After51LookUps) {
    std::vector<std::byte> Data;
    for (std::uint16_t Id = 1; Id <= 60; ++Id) {
        const auto Record = Table({{Id, "text " + std::to_string(Id)}}, false);
        Data.insert(Data.end(), Record.begin(), Record.end());
        Data.push_back(std::byte{0});
    }
    TStringResource Strings{std::span<const std::byte>(Data)};
    for (std::uint16_t Id = 1; Id <= 50; ++Id)
        ASSERT_EQ(Strings.GetString(Id), "text " + std::to_string(Id));
    EXPECT_EQ(Strings.CacheCount(), 50);
    EXPECT_EQ(Strings.GetString(51), "text 51");
    EXPECT_EQ(Strings.CacheCount(), 45);
    EXPECT_FALSE(Strings.IsCached(6)); // the oldest went first
    EXPECT_TRUE(Strings.IsCached(7));
    EXPECT_TRUE(Strings.IsCached(51));
}

TEST(StringResource, BuiltInTables) {
    EXPECT_EQ(GetEngineString(EngineStringId::OutOfMemory),
              "insufficient memory for requested operation");
    EXPECT_EQ(GetEngineString(EngineStringId::DefaultTableName), "Default");
    EXPECT_EQ(GetEngineString(EngineStringId::WordStarTableName), "WordStar");
    EXPECT_EQ(GetEngineString(EngineStringId::GridTableName), "Grid");
    EXPECT_EQ(GetEngineString(EngineStringId::FirstCommandName), "None");
    for (std::uint16_t Code = 0; Code <= 75; ++Code)
        EXPECT_FALSE(GetEngineString(EngineStringId::FirstCommandName + Code).empty()) << Code;
    EXPECT_EQ(GetStrResString(3), "String resource not found: %s");
    EXPECT_NO_THROW(TStringResource("ENGINE_STRINGS", "_ENGLISH"));
    EXPECT_NO_THROW(TStringResource("STRRES_STRINGS", "_GERMAN")); // falls back to the base name
    try {
        TStringResource Missing("NO_SUCH_TABLE", "");
        FAIL() << "no error for a missing table";
    } catch (const EStringResourceError& E) {
        EXPECT_STREQ(E.what(), "String resource not found: NO_SUCH_TABLE");
    }
}

TEST(EngException, MessagesAndCodes) {
    const std::pair<int, const char*> Cases[] = {
        {eeOutOfMemory, "insufficient memory for requested operation"},
        {eeRegionTooLarge, "Region is too large (> 64K)"},
        {eeTooManyParas, "Current operation will exceed the maximum number of allowed paragraphs"},
        {eeCannotJoin, "Cannot join paragraphs. New paragraph size exceeds maximum paragraph size"},
        {eeTextTooLarge, "Current operation will exceed the maximum editor text size"},
        {eeParaTooLong, "Current operation will exceed the maximum paragraph size"},
        {999, "Unknown Error condition"},
    };
    for (const auto& [Code, Text] : Cases)
        EXPECT_EQ(EngineErrorMessage(Code), Text) << Code;

    const EInvalidLineOrPara E(42);
    EXPECT_EQ(E.ErrorCode(), 42);
    EXPECT_STREQ(E.what(), "Invalid line or paragraph index");
    const EKorvidError& Base = E; // every engine error is a program error
    EXPECT_STREQ(Base.what(), "Invalid line or paragraph index");
    EXPECT_STREQ(EDuplicateCommand().what(),
                 "Duplicate command found while adding a new command to the table");
    EXPECT_THROW(RaiseOutOfMemory(), EEngException);
}

} // namespace
} // namespace korvid
