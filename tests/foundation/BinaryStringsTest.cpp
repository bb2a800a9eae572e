#include "foundation/BinaryStrings.h"
#include "foundation/EncryptionEngine.h"
#include "platform/Cp1252.h"
#include "tests/support/HangGuard.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include <sys/stat.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
using test::THangGuard;
using test::TTempDir;
using test::WriteFileBytes;

using TLines = std::vector<std::string>;

std::string Esc(char16_t Unit) {
    return MakeEscape(Unit);
}

// Writes files into a fresh folder and loads them with a scripted password prompt.
class TextFile : public testing::Test {
protected:
    std::filesystem::path Write(std::string_view Bytes) {
        const auto File = Dir / "doc.txt";
        WriteFileBytes(File, Bytes);
        return File;
    }

    TLoadResult Load(const std::filesystem::path& File) {
        Strings.PasswordPrompt = [this](TPasswordRequest& Request) {
            Requests.push_back(Request);
            if (Requests.size() > Answers.size())
                return false;
            const std::string Answer = Answers[Requests.size() - 1];
            if (Answer.empty())
                return false;
            Request.Password = Answer;
            Request.ShowAsterisks = !Request.ShowAsterisks;
            return true;
        };
        return Strings.LoadFromFile(File, ShowAsterisks, Password);
    }

    TLoadResult LoadBytes(std::string_view Bytes) { return Load(Write(Bytes)); }

    TTempDir Dir;
    TBinaryStrings Strings;
    bool ShowAsterisks = true;
    std::string Password = "stale";
    TLines Answers; // one per prompt; an empty answer cancels
    std::vector<TPasswordRequest> Requests;
};

struct TSplitCase {
    const char* Name;
    std::string Text;
    TLines Lines;
    bool EndsWithLineBreak;
    std::optional<TLineBreak> LineBreak; // the first line end's kind
};

void PrintTo(const TSplitCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class Splitting : public testing::TestWithParam<TSplitCase> {};

TEST_P(Splitting, AcceptsEveryLineEnd) {
    TBinaryStrings Strings;
    Strings.SetText(GetParam().Text);
    EXPECT_EQ(Strings.Lines(), GetParam().Lines);
    EXPECT_EQ(Strings.EndsWithLineBreak, GetParam().EndsWithLineBreak);
    EXPECT_EQ(Strings.LineBreak, GetParam().LineBreak);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Splitting,
    testing::Values(
        TSplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}, true, TLineBreak::CrLf},
        TSplitCase{"Lf", "a\nb", {"a", "b"}, false, TLineBreak::Lf},
        TSplitCase{"Cr", "a\rb\r", {"a", "b"}, true, TLineBreak::Cr},
        TSplitCase{"LfCrIsTwoLineEnds", "a\n\rb", {"a", "", "b"}, false, TLineBreak::Lf},
        TSplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}, false, TLineBreak::Cr},
        TSplitCase{"MixedTakesTheFirst", "a\nb\r\nc\r\n", {"a", "b", "c"}, true, TLineBreak::Lf},
        TSplitCase{"LineEndsOnly", "\r\n\r\n", {"", ""}, true, TLineBreak::CrLf},
        TSplitCase{"NoLineEnd", "abc", {"abc"}, false, std::nullopt},
        TSplitCase{"Empty", "", {}, false, std::nullopt},
        TSplitCase{
            "EndsAtNul", std::string("a\r\nb\0c\r\n", 8), {"a", "b"}, false, TLineBreak::CrLf}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(BinaryStrings, JoiningWritesAFinalLineEndOnlyWhenThereWasOne) {
    TBinaryStrings Strings;
    for (const std::string Text : {"a\r\nb\r\n", "a\r\nb", "", "\r\n"}) {
        Strings.SetText(Text);
        EXPECT_EQ(Strings.Text(), Text);
    }
}

TEST_F(TextFile, ByteOrderMarkMeansUtf8) {
    ASSERT_EQ(LoadBytes("\xEF\xBB\xBF"
                        "abc"),
              TLoadResult::Loaded);
    EXPECT_EQ(Strings.Lines(), TLines{"abc"});
    EXPECT_TRUE(Strings.WasUtf8);
    EXPECT_FALSE(Strings.EndsWithLineBreak);
    EXPECT_FALSE(Strings.ContainsBinary);
    EXPECT_EQ(Password, "");
}

struct TEncodingCase {
    const char* Name;
    std::string Bytes;
    TLines Lines;
    bool WasUtf8;
    bool HadByteOrderMark;
};

void PrintTo(const TEncodingCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class Encoding : public testing::TestWithParam<TEncodingCase> {};

// Read and written back unchanged, every file keeps its bytes.
TEST_P(Encoding, IsFoundAndKeptByteForByte) {
    TTempDir Dir;
    WriteFileBytes(Dir / "in.txt", GetParam().Bytes);
    TBinaryStrings Strings;
    bool ShowAsterisks = true;
    std::string Password;
    ASSERT_EQ(Strings.LoadFromFile(Dir / "in.txt", ShowAsterisks, Password), TLoadResult::Loaded);
    EXPECT_EQ(Strings.Lines(), GetParam().Lines);
    EXPECT_EQ(Strings.WasUtf8, GetParam().WasUtf8);
    EXPECT_EQ(Strings.HadByteOrderMark, GetParam().HadByteOrderMark);
    Strings.SaveToFile(Dir / "out.txt");
    EXPECT_EQ(ReadFileBytes(Dir / "out.txt"), GetParam().Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Encoding,
    testing::Values(
        TEncodingCase{"Utf8WithoutAMark",
                      "caf\xC3\xA9 \xE4\xB8\xAD\n\xF0\x9F\x98\x80\n",
                      {"caf\xE9 " + Esc(0x4E2D), Esc(0xD83D) + Esc(0xDE00)},
                      true,
                      false},
        TEncodingCase{"Utf8WithAMark",
                      "\xEF\xBB\xBF"
                      "caf\xC3\xA9\r\nx",
                      {"caf\xE9", "x"},
                      true,
                      true},
        TEncodingCase{"MarkAlone", "\xEF\xBB\xBF", {}, true, true},
        TEncodingCase{"Windows1252", "caf\xE9\r\n\x80\r\n", {"caf\xE9", "\x80"}, false, false},
        TEncodingCase{
            "Utf8ThenNotUtf8", "caf\xC3\xA9\ncaf\xE9\n", {"caf\xC3\xA9", "caf\xE9"}, false, false},
        TEncodingCase{"AsciiIsLeftAsItIs", "abc\rdef\r", {"abc", "def"}, false, false},
        TEncodingCase{"Empty", "", {}, false, false}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TextFile, BinaryContentIsNotDecodedAsUtf8) {
    const std::string Bytes = std::string(32, '\x01') + "caf\xC3\xA9";
    ASSERT_EQ(LoadBytes(Bytes), TLoadResult::Loaded);
    EXPECT_TRUE(Strings.ContainsBinary);
    EXPECT_FALSE(Strings.WasUtf8);
    EXPECT_EQ(Strings.Lines(), TLines{Bytes});
}

TEST_F(TextFile, ForcedUtf8DecodesWhatIsNotValidUtf8Too) {
    // Windows-1252 "café" and a stray continuation byte: not UTF-8 unless a view says so.
    const auto File = Write("caf\xE9 \x80\r\n");
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    EXPECT_EQ(Strings.Lines(), TLines{"caf\xE9 \x80"});
    EXPECT_FALSE(Strings.WasUtf8);

    Strings.ForceUtf8 = true;
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    EXPECT_EQ(Strings.Lines(), TLines{"caf\xE9 \x80"});
    EXPECT_TRUE(Strings.WasUtf8);
    EXPECT_FALSE(Strings.HadByteOrderMark);
    EXPECT_TRUE(Strings.EndsWithLineBreak);
}

TEST_F(TextFile, MissingFileRaises) {
    EXPECT_THROW(Load(Dir / "missing.txt"), EFileOpenError);
    EXPECT_THROW(Load(Dir.Path()), EFileOpenError);
}

struct TBinaryCase {
    const char* Name;
    std::string Bytes;
    bool Binary;
};

void PrintTo(const TBinaryCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

std::string Controls(std::size_t Count) {
    return std::string(Count, '\x01');
}
std::string Text(std::size_t Count) {
    return std::string(Count, 'x');
}

class BinaryTest : public TextFile, public testing::WithParamInterface<TBinaryCase> {};

TEST_P(BinaryTest, FlagsBinaryContent) {
    ASSERT_EQ(LoadBytes(GetParam().Bytes), TLoadResult::Loaded);
    EXPECT_EQ(Strings.ContainsBinary, GetParam().Binary);
    EXPECT_EQ(Strings.TextWasCut, GetParam().Bytes.find('\0') != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BinaryTest,
    testing::Values(TBinaryCase{"ThirtyOneControlBytes", Text(10) + Controls(31) + Text(10), false},
                    TBinaryCase{"ThirtyTwoControlBytes", Text(10) + Controls(32) + Text(10), true},
                    TBinaryCase{"AllCountingKinds",
                                "\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F\x10\x11\x12\x13\x14"
                                "\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F\x01\x01\x01\x01\x01",
                                true},
                    TBinaryCase{"TabsAndLineEndsDoNotCount", std::string(200, '\t') + "\r\n\n\r",
                                false},
                    TBinaryCase{"ControlBytesAfterTheProbe", Text(4096) + Controls(100), false},
                    TBinaryCase{"ControlBytesEndingAtTheProbe", Text(4064) + Controls(32), true},
                    TBinaryCase{"NulAfterTheProbe", Text(5000) + '\0' + Text(10), true},
                    TBinaryCase{"OneNulAmongText", "abc" + std::string(1, '\0') + "def", true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TextFile, TextEndsAtANulButTheLossIsFlagged) {
    ASSERT_EQ(LoadBytes(std::string("one\r\ntwo\0three\r\n", 16)), TLoadResult::Loaded);
    EXPECT_EQ(Strings.Lines(), (TLines{"one", "two"}));
    EXPECT_TRUE(Strings.ContainsBinary);
    EXPECT_TRUE(Strings.TextWasCut);
    EXPECT_EQ(Strings.DamagedLine, 0u);

    ASSERT_EQ(LoadBytes("one\r\ntwo\r\n"), TLoadResult::Loaded);
    EXPECT_FALSE(Strings.TextWasCut) << "each load starts afresh";
}

TEST_F(TextFile, EncryptedFileAsksForThePasswordAndDeciphers) {
    const auto File = Dir / "secret.txt";
    WriteEncryptedFile(File, "Wiki", {"a", "b", ""});
    Answers = {"Wiki"};
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    EXPECT_EQ(Strings.Lines(), (TLines{"a", "b"}));
    EXPECT_TRUE(Strings.EndsWithLineBreak);
    EXPECT_EQ(Strings.Text(), "a\r\nb\r\n");
    EXPECT_EQ(Password, "Wiki");
    ASSERT_EQ(Requests.size(), 1u);
    EXPECT_TRUE(Requests[0].ShowAsterisks);
    EXPECT_FALSE(Requests[0].PasswordWasWrong);
    EXPECT_EQ(Requests[0].FileName, File);
    EXPECT_FALSE(ShowAsterisks) << "the check box state comes back";
}

TEST_F(TextFile, MarkerAloneIsAnEmptyDocument) {
    Answers = {"Wiki"};
    ASSERT_EQ(LoadBytes(EncryptedTextMarker()), TLoadResult::Loaded);
    EXPECT_EQ(Requests.size(), 1u);
    EXPECT_EQ(Strings.Count(), 0u);
    EXPECT_FALSE(Strings.EndsWithLineBreak);
    EXPECT_EQ(Password, "Wiki");
}

TEST_F(TextFile, CancelledPromptOpensNothing) {
    const auto File = Dir / "secret.txt";
    WriteEncryptedFile(File, "Wiki", {"text"});
    Answers = {""};
    EXPECT_EQ(Load(File), TLoadResult::Cancelled);
    EXPECT_EQ(Strings.Count(), 0u);
    EXPECT_EQ(Password, "");
    EXPECT_TRUE(ShowAsterisks);
}

TEST_F(TextFile, EncryptedFileWithoutAPromptOpensNothing) {
    const auto File = Dir / "secret.txt";
    WriteEncryptedFile(File, "Wiki", {"text"});
    TBinaryStrings Plain;
    EXPECT_EQ(Plain.LoadFromFile(File, ShowAsterisks, Password), TLoadResult::Cancelled);
    EXPECT_EQ(Plain.Count(), 0u);
}

TEST_F(TextFile, WrongPasswordAsksAgain) {
    const auto File = Dir / "secret.txt";
    WriteEncryptedFile(File, "Wiki", TLines(40, std::string(100, 'x')));
    Answers = {"wiki", "Wiki"};
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    ASSERT_EQ(Requests.size(), 2u);
    EXPECT_FALSE(Requests[0].PasswordWasWrong);
    EXPECT_TRUE(Requests[1].PasswordWasWrong);
    EXPECT_FALSE(Requests[1].ShowAsterisks) << "the second prompt keeps the first one's choice";
    EXPECT_EQ(Strings.Count(), 40u);
    EXPECT_EQ(Password, "Wiki");

    Answers = {"wiki", ""};
    Requests.clear();
    EXPECT_EQ(Load(File), TLoadResult::Cancelled);
    EXPECT_EQ(Requests.size(), 2u);
    EXPECT_EQ(Strings.Count(), 0u);
    EXPECT_EQ(Password, "");
}

// Enciphers Lines under "Wiki" and damages record Record (1-based) so that its first byte
// deciphers to a NUL.
std::filesystem::path DamagedEncryptedFile(const std::filesystem::path& File, const TLines& Lines,
                                           std::size_t Record) {
    WriteEncryptedFile(File, "Wiki", Lines);
    std::string Bytes = ReadFileBytes(File);
    std::size_t At = EncryptedMarkerLength;
    for (std::size_t Index = 1; Index < Record; ++Index)
        At += 4 + Lines[Index - 1].size();
    Bytes[At + 4] = static_cast<char>(Bytes[At + 4] ^ Lines[Record - 1][0]);
    WriteFileBytes(File, Bytes);
    return File;
}

TEST_F(TextFile, DamageAfterIntactLinesOpensThemAndSaysWhere) {
    DamagedEncryptedFile(Dir / "secret.txt", {"one", "two", "three", "four"}, 3);
    Answers = {"Wiki"};
    ASSERT_EQ(Load(Dir / "secret.txt"), TLoadResult::Loaded);
    EXPECT_EQ(Requests.size(), 1u);
    EXPECT_EQ(Strings.Lines(), (TLines{"one", "two"}));
    EXPECT_TRUE(Strings.TextWasCut);
    EXPECT_EQ(Strings.DamagedLine, 3u);
    EXPECT_EQ(Password, "Wiki");
}

TEST_F(TextFile, DamageInTheFirstLineAsksAgainAsForAWrongPassword) {
    DamagedEncryptedFile(Dir / "secret.txt", {"one", "two"}, 1);
    Answers = {"Wiki", "Wiki"};
    EXPECT_EQ(Load(Dir / "secret.txt"), TLoadResult::Cancelled);
    ASSERT_EQ(Requests.size(), 3u);
    EXPECT_FALSE(Requests[0].PasswordWasWrong);
    EXPECT_TRUE(Requests[1].PasswordWasWrong);
    EXPECT_TRUE(Requests[2].PasswordWasWrong);
    EXPECT_EQ(Strings.Count(), 0u);
}

TEST_F(TextFile, OnlyRegularFilesAreRead) {
    const auto Fifo = Dir / "fifo";
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    for (const std::filesystem::path& Special : {Fifo, std::filesystem::path("/dev/zero")}) {
        const THangGuard Guard("loading " + Special.string());
        EXPECT_THROW(Load(Special), EFileOpenError) << Special;
        EXPECT_EQ(Strings.Count(), 0u);
    }
}

TEST_F(TextFile, DecipheredTextIsNeverDecodedAsUtf8) {
    const auto File = Dir / "secret.txt";
    for (const std::string Line : {"\xEF\xBB\xBF"
                                   "caf\xC3\xA9",
                                   "caf\xC3\xA9"}) {
        WriteEncryptedFile(File, "Wiki", {Line});
        for (const bool Forced : {true, false}) {
            Strings.ForceUtf8 = Forced;
            Answers = {"Wiki"};
            Requests.clear();
            ASSERT_EQ(Load(File), TLoadResult::Loaded);
            EXPECT_EQ(Strings.Lines(), TLines{Line});
            EXPECT_FALSE(Strings.WasUtf8);
        }
    }
}

TEST(BinaryStrings, SplitLongLinesCutsIntoPiecesOfTheMaximum) {
    TBinaryStrings Strings;
    Strings.Lines() = {"short", std::string(10000, 'a'), "after"};
    EXPECT_FALSE(Strings.SplitLongLines(4096));
    ASSERT_EQ(Strings.Count(), 5u);
    EXPECT_EQ(Strings[0], "short");
    EXPECT_EQ(Strings[1].size(), 4096u);
    EXPECT_EQ(Strings[2].size(), 4096u);
    EXPECT_EQ(Strings[3].size(), 1808u);
    EXPECT_EQ(Strings[4], "after");
    EXPECT_TRUE(Strings.SplitLongLines(4096));
}

struct TCutCase {
    const char* Name;
    std::string Line;
    std::size_t MaxLength;
    TLines Pieces;
};

void PrintTo(const TCutCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class SplitLongLines : public testing::TestWithParam<TCutCase> {};

TEST_P(SplitLongLines, NeverCutsAnEscape) {
    TBinaryStrings Strings;
    Strings.Lines() = {GetParam().Line};
    EXPECT_FALSE(Strings.SplitLongLines(GetParam().MaxLength));
    EXPECT_EQ(Strings.Lines(), GetParam().Pieces);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitLongLines,
                         testing::Values(TCutCase{"EscapeAcrossTheCut",
                                                  "abcdefg" + Esc(0x4E2D) + "xyz",
                                                  10,
                                                  {"abcdefg", Esc(0x4E2D) + "xy", "z"}},
                                         TCutCase{"EscapeEndingAtTheCut",
                                                  "ab" + Esc(0x4E2D) + "xyz",
                                                  10,
                                                  {"ab" + Esc(0x4E2D), "xyz"}},
                                         TCutCase{"SurrogatePairAcrossTheCut",
                                                  "ab" + Esc(0xD83D) + Esc(0xDE00),
                                                  16,
                                                  {"ab", Esc(0xD83D) + Esc(0xDE00)}},
                                         TCutCase{"EscapeLongerThanThePiece",
                                                  Esc(0x4E2D) + "abcdef",
                                                  4,
                                                  {Esc(0x4E2D), "abcd", "ef"}}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TextFile, LargeUtf8FileRoundTripsByteForByte) {
    // 17 bytes per line, so the sequences fall across every read-buffer boundary.
    const std::string Line = "\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\xF0\x9F\x98\x80\xC2\x81x\r\n";
    std::string Bytes = "\xEF\xBB\xBF";
    while (Bytes.size() < 3 * TBinaryStrings::ReadBufferSize + 100)
        Bytes += Line;
    const auto File = Write(Bytes);
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    ASSERT_GT(Strings.Count(), 10000u);
    EXPECT_EQ(Strings[0], "\xE9\x80" + Esc(0x4E2D) + Esc(0xD83D) + Esc(0xDE00) + Esc(0x0081) + "x");
    EXPECT_EQ(Strings[0], Strings.Lines().back());

    const auto Copy = Dir / "copy.txt";
    Strings.SaveToFile(Copy);
    EXPECT_EQ(ReadFileBytes(Copy), Bytes);
}

TEST_F(TextFile, PlainFileRoundTripsByteForByte) {
    std::string Bytes;
    for (int B = 1; B < 256; ++B)
        if (B != '\r' && B != '\n')
            Bytes += static_cast<char>(B);
    Bytes += "\r\nlast";
    const auto File = Write(Bytes);
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    const auto Copy = Dir / "copy.txt";
    Strings.SaveToFile(Copy);
    EXPECT_EQ(ReadFileBytes(Copy), Bytes);
}

} // namespace
} // namespace korvid

namespace korvid {
namespace {

// What the window hands a document for each kind of input, and the flags and message that come
// with it; the values are those of the loader that made a string of every line first.
struct TDocumentCase {
    const char* Name;
    std::string Bytes{}; // empty with Encrypted: the encrypted lines below
    TLines Encrypted{};
    TLines Paras{}; // the lines the document is given
    bool ContainsBinary = false;
    bool WasUtf8 = false;
    bool EndsWithLineBreak = false;
    std::optional<TLineBreak> LineBreak{};
    bool HadByteOrderMark = false;
    bool TextWasCut = false;
    bool LinesSplit = false; // the message that lines were split
};

std::vector<TDocumentCase> DocumentCases() {
    const std::string Cjk = "\xE4\xB8\xAD";
    const std::string Controls(32, '\x01');
    std::string ManyCjk;
    for (int I = 0; I < 1000; ++I)
        ManyCjk += Cjk;
    std::string Escapes;
    for (int I = 0; I < 512; ++I)
        Escapes += Esc(0x4E2D);
    return {
        {.Name = "empty", .Bytes = ""},
        {.Name = "marker only", .Bytes = std::string(EncryptedTextMarker())},
        {.Name = "binary",
         .Bytes = Controls + "\r\nabc",
         .Paras = {Controls, "abc"},
         .ContainsBinary = true,
         .LineBreak = TLineBreak::CrLf},
        {.Name = "NUL",
         .Bytes = std::string("one\r\ntwo\0three\r\n", 16),
         .Paras = {"one", "two"},
         .ContainsBinary = true,
         .LineBreak = TLineBreak::CrLf,
         .TextWasCut = true},
        {.Name = "NUL after a line end",
         .Bytes = std::string("one\n\0x", 6),
         .Paras = {"one"},
         .ContainsBinary = true,
         .EndsWithLineBreak = true,
         .LineBreak = TLineBreak::Lf,
         .TextWasCut = true},
        {.Name = "BOM",
         .Bytes = "\xEF\xBB\xBF"
                  "abc\r\n\xC3\xA9" +
                  Cjk,
         .Paras = {"abc", "\xE9" + Esc(0x4E2D)},
         .WasUtf8 = true,
         .LineBreak = TLineBreak::CrLf,
         .HadByteOrderMark = true},
        {.Name = "UTF-8 without a mark",
         .Bytes = "caf\xC3\xA9\n",
         .Paras = {"caf\xE9", ""},
         .WasUtf8 = true,
         .EndsWithLineBreak = true,
         .LineBreak = TLineBreak::Lf},
        {.Name = "no final line end",
         .Bytes = "a\r\nb",
         .Paras = {"a", "b"},
         .LineBreak = TLineBreak::CrLf},
        {.Name = "lone CR",
         .Bytes = "a\rb\r",
         .Paras = {"a", "b", ""},
         .EndsWithLineBreak = true,
         .LineBreak = TLineBreak::Cr},
        {.Name = "LF CR", .Bytes = "a\n\rb", .Paras = {"a", "", "b"}, .LineBreak = TLineBreak::Lf},
        {.Name = "long line",
         .Bytes = "ab\r\n" + std::string(10000, 'x') + "\r\n",
         .Paras = {"ab", std::string(4096, 'x'), std::string(4096, 'x'), std::string(1808, 'x'),
                   ""},
         .EndsWithLineBreak = true,
         .LineBreak = TLineBreak::CrLf,
         .LinesSplit = true},
        {.Name = "long only once decoded",
         .Bytes = ManyCjk,
         .Paras = {Escapes, Escapes.substr(0, 488 * EscapeLength)},
         .WasUtf8 = true,
         .LinesSplit = true},
        {.Name = "encrypted",
         .Encrypted = {"a", "b", ""},
         .Paras = {"a", "b", ""},
         .EndsWithLineBreak = true,
         .LineBreak = TLineBreak::CrLf},
    };
}

class DocumentInput : public TextFile, public testing::WithParamInterface<TDocumentCase> {};

// As the window opens a file: lines over 4096 characters are cut, and a final line end gives an
// empty last line unless the text was cut short.
TEST_P(DocumentInput, ReachesTheDocumentAsBefore) {
    const TDocumentCase& C = GetParam();
    Answers = {"Wiki"};
    auto File = Dir / "doc.txt";
    if (C.Encrypted.empty())
        File = Write(C.Bytes);
    else
        WriteEncryptedFile(File, "Wiki", C.Encrypted);
    ASSERT_EQ(Load(File), TLoadResult::Loaded);
    EXPECT_EQ(Strings.ContainsBinary, C.ContainsBinary);
    EXPECT_EQ(Strings.WasUtf8, C.WasUtf8);
    EXPECT_EQ(Strings.EndsWithLineBreak, C.EndsWithLineBreak);
    EXPECT_EQ(Strings.LineBreak, C.LineBreak);
    EXPECT_EQ(Strings.HadByteOrderMark, C.HadByteOrderMark);
    EXPECT_EQ(Strings.TextWasCut, C.TextWasCut);
    EXPECT_EQ(!Strings.SplitLongLines(4096), C.LinesSplit);
    if (Strings.EndsWithLineBreak && !Strings.TextWasCut)
        Strings.Add({});

    TLines Given;
    TLineCursor Cursor = Strings.Cursor();
    for (std::string_view Line; Cursor.Next(Line);)
        Given.emplace_back(Line);
    EXPECT_EQ(Given, C.Paras);
    EXPECT_GE(Strings.CountEstimate(), C.Paras.size());
    EXPECT_EQ(Strings.Lines(), C.Paras) << "the lines as strings";
}

INSTANTIATE_TEST_SUITE_P(Kinds, DocumentInput, testing::ValuesIn(DocumentCases()),
                         [](const testing::TestParamInfo<TDocumentCase>& Info) {
                             std::string Name = Info.param.Name;
                             std::replace_if(
                                 Name.begin(), Name.end(), [](char C) { return !std::isalnum(C); },
                                 '_');
                             return Name;
                         });

} // namespace
} // namespace korvid
