#include "platform/Cp1252.h"

#include <QString>
#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUnicode) {
    for (int B = 0; B < 256; ++B) {
        const auto Byte = static_cast<unsigned char>(B);
        const auto Back = UnicodeToCp1252(Cp1252ToUnicode(Byte));
        ASSERT_TRUE(Back.has_value()) << B;
        EXPECT_EQ(*Back, Byte);
    }
}

TEST(Cp1252, ScreenConversion) {
    struct TCase {
        QString Screen;
        std::string Bytes;
    };
    const TCase Cases[] = {
        {QStringLiteral("abc"), "abc"},
        {QString(QChar(0x20AC)), "\x80"},
        {QString(QChar(0xE9)), "\xE9"},
        {QString(QChar(0x4E2D)), "\xAB\x87"
                                 "4E2D\x87\xBB"},
        // A character beyond U+FFFF becomes two escapes, one per surrogate.
        {QString::fromUcs4(U"\U0001F600", 1), "\xAB\x87"
                                              "D83D\x87\xBB\xAB\x87"
                                              "DE00\x87\xBB"},
        // U+0080 has no byte of its own in Windows-1252.
        {QString(QChar(0x80)), "\xAB\x87"
                               "0080\x87\xBB"},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(FromQString(Case.Screen), Case.Bytes);
        EXPECT_EQ(ToQString(Case.Bytes), Case.Screen);
    }
}

TEST(Cp1252, MalformedEscapesStayAsBytes) {
    const std::string Cases[] = {
        "\xAB\x87"
        "4E2\x87\xBB", // too short
        "\xAB\x87"
        "4E2D\x87", // cut off
        "\xAB\x87"
        "0000\x87\xBB", // a NUL is never produced
    };
    for (const std::string& Bytes : Cases) {
        const QString Screen = ToQString(Bytes);
        EXPECT_EQ(Screen.size(), static_cast<qsizetype>(Bytes.size()));
        EXPECT_FALSE(Screen.contains(QChar(0)));
    }
}

TEST(Cp1252, LetterCase) {
    EXPECT_EQ(UpperCase1252("abc\xE9\xFF\x9A\xF7\xDF"), "ABC\xC9\x9F\x8A\xF7\xDF");
    EXPECT_EQ(LowerCase1252("ABC\xC9\x9F\x8A\xD7"), "abc\xE9\xFF\x9A\xD7");
    EXPECT_TRUE(SameText1252("Views", "VIEWS"));
    EXPECT_FALSE(SameText1252("View", "Views"));
    EXPECT_LT(CompareText1252("abc", "ABD"), 0);
}

} // namespace
} // namespace korvid
