#include "foundation/Utf8Codec.h"
#include "platform/Cp1252.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace korvid {
namespace {

std::string Esc(char16_t Unit) {
    return MakeEscape(Unit);
}

struct TCodecCase {
    const char* Name;
    std::string Input;
    std::string Expected;
};

void PrintTo(const TCodecCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class Utf8Decoding : public testing::TestWithParam<TCodecCase> {};

TEST_P(Utf8Decoding, GivesTheProgramsText) {
    EXPECT_EQ(Utf8ToAnsiText(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Utf8Decoding,
    testing::Values(TCodecCase{"Ascii", "abc\r\n", "abc\r\n"},
                    TCodecCase{"CjkBecomesAnEscape", "\xE4\xB8\xAD", Esc(0x4E2D)},
                    TCodecCase{"EuroBecomesItsByte", "\xE2\x82\xAC", "\x80"},
                    TCodecCase{"LatinLetter", "caf\xC3\xA9", "caf\xE9"},
                    TCodecCase{"LoneLeadAtTheEndStays", "x\xC3", "x\xC3"},
                    TCodecCase{"LeadWithoutItsContinuationsStays", "\xE4\xB8x", "\xE4\xB8x"},
                    TCodecCase{"StrayContinuationStays", "\x80\xBF", "\x80\xBF"},
                    TCodecCase{"C1ControlIsAnEscape", "\xC2\x81", Esc(0x0081)},
                    TCodecCase{"OverlongAsciiIsAnEscape", "\xC1\x81", Esc(0x0041)},
                    TCodecCase{"FourBytesBecomeASurrogatePair", "\xF0\x9F\x98\x80",
                               Esc(0xD83D) + Esc(0xDE00)},
                    TCodecCase{"HighestCodePoint", "\xF4\x8F\xBF\xBF", Esc(0xDBFF) + Esc(0xDFFF)},
                    TCodecCase{"TruncatedFourBytesStay", "\xF0\x9F\x98", "\xF0\x9F\x98"},
                    TCodecCase{"BeyondUnicodeStays", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
                    TCodecCase{"EndsAtNul", std::string("ab\0\xC3\xA9", 5), "ab"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

class Utf8Encoding : public testing::TestWithParam<TCodecCase> {};

TEST_P(Utf8Encoding, GivesUtf8) {
    EXPECT_EQ(AnsiToUtf8Text(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Utf8Encoding,
    testing::Values(TCodecCase{"Ascii", "abc\r\n", "abc\r\n"},
                    TCodecCase{"EscapeOfCjk", Esc(0x4E2D), "\xE4\xB8\xAD"},
                    TCodecCase{"EscapeWithLowerCaseDigits",
                               "\xAB\x87"
                               "4e2d\x87\xBB",
                               "\xE4\xB8\xAD"},
                    TCodecCase{"EuroByte", "\x80", "\xE2\x82\xAC"},
                    TCodecCase{"UnassignedByteIsItsControl", "\x81", "\xC2\x81"},
                    TCodecCase{"LatinLetter", "\xE9", "\xC3\xA9"},
                    TCodecCase{"GuillemetThatStartsNoEscape", "\xAB\x87x", "\xC2\xAB\xE2\x80\xA1x"},
                    TCodecCase{"IncompleteEscapeAtTheEnd",
                               "\xAB\x87"
                               "4E2D\x87",
                               "\xC2\xAB\xE2\x80\xA1"
                               "4E2D\xE2\x80\xA1"},
                    TCodecCase{"SurrogatePairJoins", Esc(0xD83D) + Esc(0xDE00), "\xF0\x9F\x98\x80"},
                    TCodecCase{"LoneHighSurrogateKeepsItsValue", Esc(0xD83D) + "x",
                               "\xED\xA0\xBD"
                               "x"},
                    TCodecCase{"LowBeforeHighDoesNotJoin", Esc(0xDE00) + Esc(0xD83D),
                               "\xED\xB8\x80\xED\xA0\xBD"},
                    TCodecCase{"EscapeOfC1ControlIsThatControl", Esc(0x0085), "\xC2\x85"},
                    TCodecCase{"EscapeOfUnassignedC1Control", Esc(0x0081), "\xC2\x81"},
                    TCodecCase{"EscapeBelowSpaceIsThatByte", Esc(0x0001), "\x01"},
                    TCodecCase{"EscapeOfAsciiIsThatByte", Esc(0x0041), "A"},
                    TCodecCase{"EscapeOfNulStaysVisible", Esc(0x0000),
                               "\xC2\xAB\xE2\x80\xA1"
                               "0000\xE2\x80\xA1\xC2\xBB"},
                    TCodecCase{"EndsAtNul", std::string("ab\0\xE9", 4), "ab"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TDetectionCase {
    const char* Name;
    std::string Bytes;
    bool Utf8;
};

void PrintTo(const TDetectionCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class Utf8Detection : public testing::TestWithParam<TDetectionCase> {};

TEST_P(Utf8Detection, TakesOnlyWellFormedMultiByteText) {
    EXPECT_EQ(IsMultiByteUtf8(GetParam().Bytes), GetParam().Utf8);
}

const std::string LongAscii(37, 'x');

INSTANTIATE_TEST_SUITE_P(
    Vectors, Utf8Detection,
    testing::Values(TDetectionCase{"Empty", "", false},
                    TDetectionCase{"AsciiAlone", "abc\r\n" + LongAscii, false},
                    TDetectionCase{"TwoBytes", "caf\xC3\xA9", true},
                    TDetectionCase{"ThreeBytes", "\xE4\xB8\xAD", true},
                    TDetectionCase{"FourBytes", "\xF0\x9F\x98\x80", true},
                    TDetectionCase{"LastCodePoint", "\xF4\x8F\xBF\xBF", true},
                    TDetectionCase{"BelowTheSurrogates", "\xED\x9F\xBF", true},
                    TDetectionCase{"AfterALongAsciiRun", LongAscii + "\xC3\xA9" + LongAscii, true},
                    TDetectionCase{"ARunOfCharacters", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80",
                                   true},
                    TDetectionCase{"ABadByteEndingARun", "\xC3\xA9\xE4\xB8\xAD\xE9", false},
                    TDetectionCase{"Windows1252", "caf\xE9", false},
                    TDetectionCase{"BadByteAfterGoodOnes", "\xC3\xA9" + LongAscii + "\xE9", false},
                    TDetectionCase{"StrayContinuation", "a\x80", false},
                    TDetectionCase{"CutAtTheEnd", "\xC3\xA9x\xE4\xB8", false},
                    TDetectionCase{"OverlongTwoBytes", "\xC1\x81", false},
                    TDetectionCase{"OverlongThreeBytes", "\xE0\x80\xAF", false},
                    TDetectionCase{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", false},
                    TDetectionCase{"Surrogate", "\xED\xA0\x80", false},
                    TDetectionCase{"BeyondTheLastCodePoint", "\xF4\x90\x80\x80", false},
                    TDetectionCase{"NoSuchLeadByte", "\xF5\x80\x80\x80", false}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Utf8Codec, EveryCharacterRoundTrips) {
    std::string Text;
    for (int B = 1; B < 256; ++B)
        if (!(B == 0x81 || B == 0x8D || B == 0x8F || B == 0x90 || B == 0x9D))
            Text += static_cast<char>(B);
    Text += Esc(0x4E2D) + Esc(0x0081) + Esc(0xD83D) + Esc(0xDE00) + Esc(0xFFFD);
    EXPECT_EQ(Utf8ToAnsiText(AnsiToUtf8Text(Text)), Text);
}

TEST(Utf8Codec, BufferSizesDoNotWrapAtFourGigabytes) {
    const std::size_t Large = (std::size_t{1} << 30) + 1;
    EXPECT_EQ(WorstCaseDecodedSize(Large), (std::size_t{1} << 32) + 4);
    EXPECT_EQ(WorstCaseEncodedSize(Large), 3 * (std::size_t{1} << 30) + 3);
    EXPECT_THROW(WorstCaseDecodedSize(std::numeric_limits<std::size_t>::max() / 2),
                 std::length_error);
}

} // namespace
} // namespace korvid
