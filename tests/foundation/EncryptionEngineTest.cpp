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
    EXPECT_EQ(Engine.DecryptRecords(Records, Text, "\r\n").Status, TDecryptResult::Whole);
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

// ---- Damage and wrong passwords ----------------------------------------------------------------

// Where each record of an encrypted file starts, counted in the bytes after the marker.
std::vector<std::size_t> RecordStarts(std::string_view Records) {
    std::vector<std::size_t> Starts;
    for (std::size_t Pos = 0; Pos + 4 <= Records.size();) {
        Starts.push_back(Pos);
        const auto Length = static_cast<unsigned char>(Records[Pos]) |
                            static_cast<unsigned char>(Records[Pos + 1]) << 8 |
                            static_cast<unsigned char>(Records[Pos + 2]) << 16;
        Pos += 4 + Length;
    }
    return Starts;
}

// Makes record Index (1-based) claim far more bytes than the file holds.
std::string LengthPastTheEnd(std::string Records, std::size_t Index) {
    const std::size_t At = RecordStarts(Records).at(Index - 1);
    Records.replace(At, 4, Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
    return Records;
}

// Changes the first enciphered byte of record Index (1-based) so that it deciphers to a NUL.
std::string NulIn(std::string Records, std::size_t Index, char Plain) {
    const std::size_t At = RecordStarts(Records).at(Index - 1) + 4;
    Records[At] = static_cast<char>(Records[At] ^ Plain);
    return Records;
}

// Clears the line-end flag of record Index (1-based).
std::string WithoutLineEnd(std::string Records, std::size_t Index) {
    const std::size_t At = RecordStarts(Records).at(Index - 1) + 3;
    Records[At] = static_cast<char>(Records[At] & 0x7F);
    return Records;
}

std::string Encrypted(const std::vector<std::string>& Paragraphs) {
    TTempDir Dir;
    WriteEncryptedFile(Dir / "secret.txt", Password, Paragraphs);
    return ReadFileBytes(Dir / "secret.txt").substr(EncryptedMarkerLength);
}

const std::vector<std::string> FiveLines = {"alpha", "bravo", "charlie", "delta", "echo"};

struct TDamageCase {
    const char* Name;
    std::string Records;
    std::string_view Key;
    TDecryptResult::TStatus Status;
    std::size_t DamagedLine;
    std::string Text; // what is read
};

void PrintTo(const TDamageCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class DamagedRecords : public testing::TestWithParam<TDamageCase> {};

TEST_P(DamagedRecords, AreTheWrongPasswordAtFirstAndDamageLater) {
    const TDamageCase& Case = GetParam();
    TEncryptionEngine Engine(Case.Key);
    std::string Text = "stale";
    const TDecryptResult Result = Engine.DecryptRecords(Case.Records, Text, "\r\n");
    EXPECT_EQ(Result.Status, Case.Status);
    EXPECT_EQ(Result.DamagedLine, Case.DamagedLine);
    EXPECT_EQ(Text, Case.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Wiki, DamagedRecords,
    testing::Values(
        TDamageCase{"Whole", Encrypted(FiveLines), Password, TDecryptResult::Whole, 0,
                    "alpha\r\nbravo\r\ncharlie\r\ndelta\r\necho"},
        // The first line of 4000 characters deciphers to at least one NUL under this key.
        TDamageCase{"WrongPassword", Encrypted({std::string(4000, 'x'), "y"}), "wiki",
                    TDecryptResult::WrongPassword, 0, ""},
        TDamageCase{"NulInTheFirstRecord", NulIn(Encrypted(FiveLines), 1, 'a'), Password,
                    TDecryptResult::WrongPassword, 0, ""},
        TDamageCase{"LengthPastTheEndInTheFirstRecord", LengthPastTheEnd(Encrypted(FiveLines), 1),
                    Password, TDecryptResult::WrongPassword, 0, ""},
        // Empty lines give nothing to judge the password by.
        TDamageCase{"NulAfterEmptyLinesOnly", NulIn(Encrypted({"", "", "text"}), 3, 't'), Password,
                    TDecryptResult::WrongPassword, 0, ""},
        TDamageCase{"NulInRecordFour", NulIn(Encrypted(FiveLines), 4, 'd'), Password,
                    TDecryptResult::Damaged, 4, "alpha\r\nbravo\r\ncharlie\r\n"},
        TDamageCase{"LengthPastTheEndInRecordTwo", LengthPastTheEnd(Encrypted(FiveLines), 2),
                    Password, TDecryptResult::Damaged, 2, "alpha\r\n"},
        TDamageCase{"FileCutInsideTheLastRecord", Encrypted(FiveLines).substr(0, 44), Password,
                    TDecryptResult::Damaged, 5, "alpha\r\nbravo\r\ncharlie\r\ndelta\r\n"},
        TDamageCase{"DamageRunsIntoALineWithoutItsEnd",
                    LengthPastTheEnd(WithoutLineEnd(Encrypted({"one", "two", "three"}), 1), 2),
                    Password, TDecryptResult::Damaged, 1, "one"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

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
