#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvid {

inline constexpr std::string_view DefsEditorCaption = "Defs Editor";
inline constexpr std::string_view JsonDefsCaption = "JSON defs";

// Where the definitions' messages go; empty (the default) shows them in a message box.
using TDefsMessageHandler = std::function<void(std::string_view Caption, std::string_view Text)>;
// Installs Handler and answers the one it replaces.
TDefsMessageHandler SetDefsMessageHandler(TDefsMessageHandler Handler);

// "The file "<Path>" is not part of a p-System volume.", titled "Defs Editor".
void ShowNotInVolumeMessage(std::string_view Path);
// A failed load or save, titled "Defs Editor".
void ShowDefsEditorError(std::string_view Text);
// "The records of file <name> need <n> words; at most 32767 fit."
std::string DefsLayoutTooLargeText(std::string_view FileName, int Words);
// "Calculated field <name> has unsupported mode <n>", titled "JSON defs".
void ShowUnsupportedCalculationMessage(std::string_view FieldName, int Mode);
// "Can't read file '<NAME>' at byte <offset>"
std::string CantReadDefsText(std::string_view FileName, std::int64_t Offset);

} // namespace korvid
