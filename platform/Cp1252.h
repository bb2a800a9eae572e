#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QString;

namespace korvid {

// Text in memory is Windows-1252 bytes. A UTF-16 code unit without an 8-bit form is held as an
// eight-byte escape: 0xAB 0x87, four upper-case hex digits, 0x87 0xBB. A code point beyond
// U+FFFF becomes two escapes (high and low surrogate).
inline constexpr std::size_t EscapeLength = 8;
inline constexpr unsigned char EscapeLead1 = 0xAB;
inline constexpr unsigned char EscapeLead2 = 0x87;
inline constexpr unsigned char EscapeTail1 = 0x87;
inline constexpr unsigned char EscapeTail2 = 0xBB;

// The Unicode code point of a Windows-1252 byte (the five unassigned bytes map to the
// C1 control of the same value, as Windows does, so every byte round-trips).
char16_t Cp1252ToUnicode(unsigned char Byte);

// The Windows-1252 byte of a code unit, if it has one.
std::optional<unsigned char> UnicodeToCp1252(char32_t CodePoint);

// The eight-byte escape of a code unit.
std::string MakeEscape(char16_t Unit);

// When Text holds a well-formed escape at Pos, its code unit. Escapes are written with
// upper-case digits but read in either case.
std::optional<char16_t> ParseEscape(std::string_view Text, std::size_t Pos);

// Where text meets the screen, the clipboard or a dialog.
QString ToQString(std::string_view Text);
std::string FromQString(const QString& Text);

// Windows-1252 letter case (accented letters included); other bytes are unchanged.
unsigned char UpCase1252(unsigned char Byte);
unsigned char LowCase1252(unsigned char Byte);
std::string UpperCase1252(std::string_view Text);
std::string LowerCase1252(std::string_view Text);
// Compares ignoring Windows-1252 letter case: <0, 0 or >0.
int CompareText1252(std::string_view A, std::string_view B);
bool SameText1252(std::string_view A, std::string_view B);

} // namespace korvid
