#include "platform/Paths.h"

#include "platform/Cp1252.h"

#include "tests/support/TempDir.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <random>

namespace korvid {
namespace {

QString Units(std::initializer_list<char16_t> Codes) {
    QString Text;
    for (const char16_t Code : Codes)
        Text += QChar(Code);
    return Text;
}

// Names as they come from disk, a Windows-1252 tool or a cut at any byte.
TEST(PathText, NamesRoundTripTheirBytesAndShowUtf8AsItIs) {
    struct TCase {
        std::string Bytes;
        QString Shown;
    };
    const TCase Cases[] = {
        {"/tmp/plain.txt", QStringLiteral("/tmp/plain.txt")},
        {"caf\xC3\xA9.txt", QString::fromUtf8("caf\xC3\xA9.txt")},
        {"\xF0\x9F\x98\x80", QString::fromUcs4(U"\U0001F600", 1)},
        // Not UTF-8: each byte of the bad sequence stands alone.
        {"caf\xE9.txt", QStringLiteral("caf") + Units({0xDCE9}) + QStringLiteral(".txt")},
        {"\x86", Units({0xDC86})},
        {"\xC3", Units({0xDCC3})},
        // Overlong, surrogate and beyond-U+10FFFF forms are not UTF-8 either.
        {"\xC0\xAF", Units({0xDCC0, 0xDCAF})},
        {"\xED\xB3\xA9", Units({0xDCED, 0xDCB3, 0xDCA9})},
        {"\xF4\x90\x80\x80", Units({0xDCF4, 0xDC90, 0xDC80, 0xDC80})},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(PathToQString(Case.Bytes), Case.Shown) << Case.Bytes;
        EXPECT_EQ(PathFromQString(Case.Shown).native(), Case.Bytes) << Case.Bytes;
    }
}

TEST(PathText, EveryByteStringRoundTrips) {
    std::mt19937 Random(54);
    std::uniform_int_distribution<int> Byte(1, 255), Length(0, 12);
    for (int Round = 0; Round < 20000; ++Round) {
        std::string Bytes(static_cast<std::size_t>(Length(Random)), ' ');
        for (char& C : Bytes)
            C = static_cast<char>(Byte(Random));
        ASSERT_EQ(PathFromQString(PathToQString(Bytes)).native(), Bytes);
    }
}

TEST(PathText, TextThatNoNameDecodesToStillGivesBytes) {
    // A lone surrogate typed or pasted by hand is no escaped byte; it must not fail.
    EXPECT_EQ(PathFromQString(Units({u'a', 0xD800, u'b'})).native(), "a\xED\xA0\x80"
                                                                     "b");
    EXPECT_EQ(PathFromQString(Units({0xDC41})).native(), "\xED\xB1\x81");
}

TEST(PathText, ShownAsTheProgramsTextWithReplacementCharacters) {
    EXPECT_EQ(PathDisplayText("caf\xC3\xA9.txt"), "caf\xE9.txt");
    EXPECT_EQ(PathDisplayText("caf\xE9.txt"), "caf" + MakeEscape(0xFFFD) + ".txt");
}

// Qt's own listings spell bytes that are not UTF-8 as U+FFFD; such a name finds its entry.
TEST(PathText, AQtListingNameFindsTheEntryItStandsFor) {
    test::TTempDir Dir;
    const std::filesystem::path Folder = Dir / "f\xF6lder", File = Folder / "caf\xE9.txt";
    std::filesystem::create_directory(Folder);
    test::WriteFileBytes(File, "x");
    const auto QtSpelling = [](const std::filesystem::path& Path) {
        return QFile::decodeName(QByteArray::fromStdString(Path.native()));
    };
    struct TCase {
        QString Name;
        std::filesystem::path Expected;
    };
    const TCase Cases[] = {
        {QtSpelling(File), File},
        {QtSpelling(Folder), Folder},
        {PathToQString(File), File},
        // Nothing there, or two entries spelled alike: the name stays as it reads.
        {QtSpelling(Folder / "gone\xE9"), PathFromQString(QtSpelling(Folder / "gone\xE9"))},
        {QtSpelling(Dir / "x\xE9"), Dir / "x\xEF\xBF\xBD"},
    };
    test::WriteFileBytes(Dir / "x\xE9", "1");
    test::WriteFileBytes(Dir / "x\xE8", "2");
    for (const TCase& Case : Cases)
        EXPECT_EQ(DiskPathFromQtName(Case.Name), Case.Expected) << Case.Name.toStdString();
}

} // namespace
} // namespace korvid
