#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvid {

// Small byte-string routines of the editor engine. Text is Windows-1252; byte 9 is a tab.

inline constexpr char TabChar = '\t';

inline bool IsBlank(char C) {
    return C == ' ' || C == TabChar;
}

// True when a tab occurs in Text.
bool HasTabs(std::string_view Text);

// The display column reached after the characters of Text (0 for none), tabs moving to the
// next multiple of TabSize. Stops early at a NUL.
int ColumnOfOffset(std::string_view Text, int TabSize);

// How many characters from the start of Text fill Columns display columns; the character that
// reaches or passes the column is included. Stops at the end of Text or at a NUL.
int OffsetOfColumn(std::string_view Text, int Columns, int TabSize);

// Pads Text with Fill up to Length characters; never shortens.
void PadString(std::string& Text, std::size_t Length, char Fill = ' ');

// Scanning back from the 1-based position P, the position of the last blank at or before it,
// or P when there is none.
int LastBlankBefore(std::string_view Text, int P);

// The offset just past the first LF in Text, or its length when there is none.
std::size_t FirstLineEnd(std::string_view Text);

// Text with each tab replaced by spaces up to the next multiple of TabSize (columns counted
// from 0); empty for a tab size of 0. At most MaxLength characters are produced.
std::string ExpandTabs(std::string_view Text, int TabSize,
                       std::size_t MaxLength = std::string::npos);

// Count copies of a character.
inline std::string Fill(std::size_t Count, char C) {
    return std::string(Count, C);
}

// Boyer-Moore-Horspool search. Patterns are limited to 255 characters (the skip entries are
// bytes); longer ones are refused.
inline constexpr std::size_t MaxPatternLength = 255;
using TSkipTable = std::array<std::uint8_t, 256>;

// Builds the skip table of Pattern; false (and a table of no use) for a refused pattern.
bool BuildSkipTable(std::string_view Pattern, TSkipTable& Table);

// The first occurrence of Pattern in Buffer: true with its 0-based offset in Position.
// An empty or over-long pattern never matches.
bool SearchBytes(std::string_view Buffer, const TSkipTable& Table, std::string_view Pattern,
                 std::size_t& Position);

// The same, upper-casing every buffer character first; the caller passes Pattern already upper
// case and a table built from it.
bool SearchBytesIgnoreCase(std::string_view Buffer, const TSkipTable& Table,
                           std::string_view Pattern, std::size_t& Position);

// Modifier bits as the key-to-command tables use them.
inline constexpr int ShiftBit = 2;
inline constexpr int CtrlBit = 4;
inline constexpr int AltBit = 8;

// The key code of the primary mouse button: 1 (left). The GUI layer already reports the
// primary button as the left one when the user swapped the buttons.
int PrimaryButtonKey();

} // namespace korvid
