#include "foundation/EncryptionEngine.h"
#include "foundation/TextFileWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

constexpr std::string_view Password = "Wiki";

std::string Bytes(std::initializer_list<unsigned char> List) {
    return std::string(List.begin(), List.end());
}

std::string Decrypt(std::string_view Records, std::string_view Key = Password) {
    TEncryptionEngine Engine(Key);
    std::string Text;
    EXPECT_TRUE(Engine.DecryptRecords(Records, Text, "\r\n"));
    return Text;
}

TEST(EncryptionEngine, MarkerIsTheFixedThirtyTwoBytes) {
    const std::string Expected =
        Bytes({1, 2, 3, 4, 5, 6, 7}) + "ENCRYPTED_BY_KORVID" + Bytes({6, 5, 4, 3, 2, 1});
    EXPECT_EQ(EncryptedTextMarker(), Expected);
    EXPECT_TRUE(StartsWithEncryptedMarker(Expected + "more"));
    EXPECT_FALSE(StartsWithEncryptedMarker(Expected.substr(0, 31)));
}

struct TFormatCase {
    const char* Name;
    std::vector<std::string> Paragraphs;
    std::string Records; // the file after the marker
    std::string TextReadBack;
};

void PrintTo(const TFormatCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class EncryptedFormat : public testing::TestWithParam<TFormatCase> {};

TEST_P(EncryptedFormat, IsWrittenByteForByteAndReadsBack) {
    TTempDir Dir;
    const auto File = Dir / "secret.txt";
    WriteEncryptedFile(File, Password, GetParam().Paragraphs);
    const std::string Written = ReadFileBytes(File);
    ASSERT_TRUE(StartsWithEncryptedMarker(Written));
    EXPECT_EQ(Written.substr(EncryptedMarkerLength), GetParam().Records);
    EXPECT_EQ(Decrypt(GetParam().Records), GetParam().TextReadBack);
}

INSTANTIATE_TEST_SUITE_P(
    Wiki, EncryptedFormat,
    testing::Values(TFormatCase{"OneLine",
                                {"pedia"},
                                Bytes({5, 0, 0, 0, 0x10, 0x21, 0xBF, 0x04, 0x20}),
                                "pedia"},
                    TFormatCase{"SameLineTwiceDiffers",
                                {"pedia", "pedia"},
                                Bytes({5, 0, 0, 0x80, 0x10, 0x21, 0xBF, 0x04, 0x20, 5, 0, 0, 0,
                                       0x19, 0xAB, 0x93, 0x19, 0xEF}),
                                "pedia\r\npedia"},
                    TFormatCase{"TrailingEmptyParagraphHasNoRecord",
                                {"a", "b", ""},
                                Bytes({1, 0, 0, 0x80, 0x01, 1, 0, 0, 0x80, 0x0B}),
                                "a\r\nb\r\n"},
                    TFormatCase{"EmptyParagraphInTheMiddle",
                                {"a", "", "b"},
                                Bytes({1, 0, 0, 0x80, 0x01, 0, 0, 0, 0x80, 1, 0, 0, 0, 0x0B}),
                                "a\r\n\r\nb"},
                    TFormatCase{"EmptyDocumentIsTheMarkerAlone", {""}, "", ""},
                    TFormatCase{"NoParagraphsIsTheMarkerAlone", {}, "", ""},
                    TFormatCase{"ParagraphEndsAtNul",
                                {std::string("ab\0cd", 5)},
                                Bytes({2, 0, 0, 0, 0x10 ^ 'p' ^ 'a', 0x21 ^ 'e' ^ 'b'}),
                                "ab"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(EncryptionEngine, StrayBytesAfterTheLastRecordAreIgnored) {
    const std::string Record = Bytes({5, 0, 0, 0, 0x10, 0x21, 0xBF, 0x04, 0x20});
    for (std::size_t Stray = 1; Stray <= 3; ++Stray)
        EXPECT_EQ(Decrypt(Record + std::string(Stray, '\x7F')), "pedia") << Stray;
}

TEST(EncryptionEngine, DamagedLengthKeepsWhatIsThereAndStops) {
    // Claims two gigabytes, holds three bytes: reading must neither allocate that nor fail.
    EXPECT_EQ(Decrypt(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0x10, 0x21, 0xBF})), "ped");
    EXPECT_EQ(Decrypt(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x21, 0xBF})), "ped");
}

TEST(EncryptionEngine, WrongPasswordIsDetectedByTheNulItProduces) {
    TTempDir Dir;
    const auto File = Dir / "secret.txt";
    const std::vector<std::string> Document(40, std::string(100, 'x'));
    WriteEncryptedFile(File, Password, Document);
    const std::string Records = ReadFileBytes(File).substr(EncryptedMarkerLength);

    TEncryptionEngine Wrong("wiki");
    std::string Text;
    EXPECT_FALSE(Wrong.DecryptRecords(Records, Text, "\r\n"));
    EXPECT_EQ(Decrypt(Records).size(), 40 * 100 + 39 * 2);
}

TEST(EncryptionEngine, EmptyPasswordIsRefused) {
    EXPECT_THROW(TEncryptionEngine(""), EEncryptionError);

    TTempDir Dir;
    const auto File = Dir / "secret.txt";
    WriteFileBytes(File, "old");
    EXPECT_THROW(WriteEncryptedFile(File, "", {"text"}), EEncryptionError);
    EXPECT_EQ(ReadFileBytes(File), "old");
}

} // namespace
} // namespace korvid
