#include "foundation/TextFileWriter.h"
#include "foundation/EncryptionEngine.h"
#include "platform/Cp1252.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

using TLines = std::vector<std::string>;

struct TWriteCase {
    const char* Name;
    TLines Lines;
    TTextFileOptions Options;
    std::string Bytes;
};

void PrintTo(const TWriteCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class TextWriting : public testing::TestWithParam<TWriteCase> {};

TEST_P(TextWriting, WritesTheLinesWithTheChosenLineEnds) {
    TTempDir Dir;
    const auto File = Dir / "doc.txt";
    WriteTextFile(File, GetParam().Lines, GetParam().Options);
    EXPECT_EQ(ReadFileBytes(File), GetParam().Bytes);
}

constexpr TTextFileOptions Default{};
constexpr TTextFileOptions NoFinal{.FinalLineEnd = false};
constexpr TTextFileOptions Unix{.LineBreak = TLineBreak::Lf};
constexpr TTextFileOptions Utf8{.Utf8 = true};
constexpr TTextFileOptions Utf8NoFinal{.FinalLineEnd = false, .Utf8 = true};
constexpr TTextFileOptions Cr{.LineBreak = TLineBreak::Cr};
constexpr TTextFileOptions Utf8NoMark{
    .Utf8 = true, .LineBreak = TLineBreak::Lf, .ByteOrderMark = false};

INSTANTIATE_TEST_SUITE_P(
    Documents, TextWriting,
    testing::Values(TWriteCase{"CrLf", {"a", "b"}, Default, "a\r\nb\r\n"},
                    TWriteCase{"NoFinalLineEnd", {"a", "b"}, NoFinal, "a\r\nb"},
                    TWriteCase{"Unix", {"a", "b"}, Unix, "a\nb\n"},
                    TWriteCase{"Cr", {"a", "b"}, Cr, "a\rb\r"},
                    TWriteCase{"Utf8WithoutAMark", {"caf\xE9"}, Utf8NoMark, "caf\xC3\xA9\n"},
                    TWriteCase{
                        "MarkIsForUtf8Only", {"caf\xE9"}, {.ByteOrderMark = true}, "caf\xE9\r\n"},
                    TWriteCase{"EmptyDocument", {""}, NoFinal, ""},
                    TWriteCase{"EmptyDocumentWithFinalLineEnd", {""}, Default, "\r\n"},
                    TWriteCase{"LastParagraphEmpty", {"a", ""}, NoFinal, "a\r\n"},
                    TWriteCase{"Utf8EmptyIsTheMarkAlone", {""}, Utf8NoFinal, "\xEF\xBB\xBF"},
                    TWriteCase{"Utf8",
                               {"caf\xE9", MakeEscape(0x4E2D)},
                               Utf8,
                               "\xEF\xBB\xBF"
                               "caf\xC3\xA9\r\n\xE4\xB8\xAD\r\n"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(TextWriting, LongDocumentIsWrittenWhole) {
    TTempDir Dir;
    const auto File = Dir / "doc.txt";
    const TLines Lines(20000, std::string(30, 'x'));
    WriteTextFile(File, Lines, Default);
    EXPECT_EQ(ReadFileBytes(File).size(), 20000u * 32);
}

// Each way of writing a document, so that every one of them is shown to keep the old file.
struct TWriter {
    const char* Name;
    std::function<void(const std::filesystem::path&, const TLines&)> Write;
};

void PrintTo(const TWriter& Writer, std::ostream* Out) {
    *Out << Writer.Name;
}

class FailedSave : public testing::TestWithParam<TWriter> {
protected:
    void ExpectFailureKeepsOldFile(const std::filesystem::path& File) {
        try {
            GetParam().Write(File, Document);
            ADD_FAILURE() << "the save did not fail";
        } catch (const EFileSaveError& Error) {
            EXPECT_STREQ(Error.what(), "Korvid was unable to save the file.");
            EXPECT_EQ(Error.FileName(), File);
            EXPECT_FALSE(Error.Reason().empty());
        }
    }

    static std::size_t FilesIn(const std::filesystem::path& Folder) {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(Folder), {}));
    }

    TTempDir Dir;
    const TLines Document = TLines(2000, std::string(60, 'n'));
    const std::string OldBytes = "old\r\ncontent\r\n";
};

TEST_P(FailedSave, ReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const auto Folder = Dir / "locked";
    std::filesystem::create_directory(Folder);
    const auto File = Folder / "doc.txt";
    WriteFileBytes(File, OldBytes);
    ::chmod(Folder.c_str(), 0555);
    ExpectFailureKeepsOldFile(File);
    ::chmod(Folder.c_str(), 0755);
    EXPECT_EQ(ReadFileBytes(File), OldBytes);
}

using test::TFileSizeLimit;

TEST_P(FailedSave, WriteErrorKeepsTheOldFile) {
    const auto File = Dir / "doc.txt";
    WriteFileBytes(File, OldBytes);
    {
        const TFileSizeLimit Limit(4096);
        ExpectFailureKeepsOldFile(File);
    }
    EXPECT_EQ(ReadFileBytes(File), OldBytes);
    EXPECT_EQ(FilesIn(Dir.Path()), 1u) << "the temporary file is removed";
}

TEST_P(FailedSave, FolderInTheWayIsLeftAlone) {
    const auto Taken = Dir / "doc.txt";
    std::filesystem::create_directory(Taken);
    WriteFileBytes(Taken / "inside", OldBytes);
    ExpectFailureKeepsOldFile(Taken);
    EXPECT_EQ(ReadFileBytes(Taken / "inside"), OldBytes);
    EXPECT_EQ(FilesIn(Dir.Path()), 1u);
}

TEST_P(FailedSave, FileInPlaceOfTheFolderIsLeftAlone) {
    const auto File = Dir / "notes";
    WriteFileBytes(File, OldBytes);
    ExpectFailureKeepsOldFile(File / "doc.txt");
    EXPECT_EQ(ReadFileBytes(File), OldBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FailedSave,
    testing::Values(
        TWriter{"Plain", [](const std::filesystem::path& File,
                            const TLines& Lines) { WriteTextFile(File, Lines, Default); }},
        TWriter{"Utf8", [](const std::filesystem::path& File,
                           const TLines& Lines) { WriteTextFile(File, Lines, Utf8); }},
        TWriter{"Encrypted", [](const std::filesystem::path& File,
                                const TLines& Lines) { WriteEncryptedFile(File, "Wiki", Lines); }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
} // namespace korvid
