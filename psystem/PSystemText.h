#pragma once

#include "psystem/CustomFileHelper.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// A p-System text file: a 1024-byte header page the program keeps as it finds it, then pages
// of 1024 bytes holding whole lines, each page ending in NULs. A line is an optional DLE and
// indent byte (32 + leading blanks), the rest of its characters and a CR.
inline constexpr int TextHeaderSize = 1024;
inline constexpr int TextPageSize = 1024;
inline constexpr int MaxPSystemLineLength = 255;
inline constexpr char TextDLE = 0x10;
inline constexpr char TextCR = 0x0D;
// The most blanks an indent byte can stand for; further blanks are written as they are.
inline constexpr int MaxIndent = 255 - 32;

using TPSystemHeaderPage = std::array<char, TextHeaderSize>;

struct TEncodedPSystemText {
    std::string Data;         // whole pages, header first: a multiple of 512 bytes
    int BytesInLastBlock = 0; // as the file's entry records it
    bool Truncated = false;   // some line was longer than 255 characters and was cut
};

// Encodes Lines behind HeaderPage (zeros when there is none).
TEncodedPSystemText EncodePSystemText(const std::vector<std::string>& Lines,
                                      const TPSystemHeaderPage* HeaderPage);

// Decodes the text pages of Source from StartOffset up to EndOffset and adds their lines to
// Lines. Nothing is read at or past EndOffset; a short last page reads as if NUL-filled. With
// HalfLastPage, a last page of 512 bytes or less is read as half a page. A failed read raises
// "Can't open file '<FileName>'".
void DecodePSystemText(TCustomFileHelper& Source, std::int64_t EndOffset, std::int64_t StartOffset,
                       std::string_view FileName, std::vector<std::string>& Lines,
                       bool HalfLastPage);

// Whether the first 10 lines hold 32 or more control characters other than tab, line feed and
// carriage return.
bool LooksBinary(const std::vector<std::string>& Lines);

} // namespace korvid
