#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvid {

// UTF-8 to the program's 8-bit text: characters with a Windows-1252 byte become that byte,
// others become escapes (two escapes, high and low surrogate, beyond U+FFFF). Malformed
// sequences pass through as their bytes. The text ends at its first NUL byte.
std::string Utf8ToAnsiText(std::string_view S);
// The same for one line among many: text that decoding leaves as it is (ASCII) is given back
// as it stands; other text is decoded into Buffer, which keeps its room for the next line.
std::string_view Utf8ToAnsiView(std::string_view S, std::string& Buffer);

// The program's 8-bit text to UTF-8, without a byte-order mark. An escape is written as its
// code point (a surrogate pair of escapes as one four-byte sequence); an escape of 0000 is
// kept as its eight characters so that it never becomes a NUL. The text ends at its first NUL.
std::string AnsiToUtf8Text(std::string_view S);
// The same for one line among many, as Utf8ToAnsiView: ASCII text is given back as it stands.
std::string_view AnsiToUtf8View(std::string_view S, std::string& Buffer);

// True when S is well-formed UTF-8 holding at least one multi-byte sequence: bytes that only
// UTF-8 explains. Over-long forms, surrogates and code points beyond U+10FFFF are not
// well-formed; text of ASCII alone is not counted, since Windows-1252 reads it the same.
bool IsMultiByteUtf8(std::string_view S);

// Output sizes that each codec reserves for an input of Length bytes.
std::size_t WorstCaseDecodedSize(std::size_t Length);
std::size_t WorstCaseEncodedSize(std::size_t Length);

} // namespace korvid
