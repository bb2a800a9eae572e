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

// The definitions editor's messages and questions, all titled "Defs Editor".
// "\"<Name>\" is a reserved word in Pascal."
void ShowReservedWordMessage(std::string_view Name);
// "<What> must be between <Low> and <High>"
void ShowDefsOutOfRangeMessage(std::string_view What, int Low, int High);
void ShowDefsSavedMessage();
bool AskDiscardDefsChanges();
bool AskClearBlankDefsFile(int Index);
bool AskVoidBlankDefsField();
// An attach field's target ought to be a chain, a chain field's an attach.
bool AskSaveDespiteDefsTarget(std::string_view FileName, std::string_view FieldName,
                              bool WantsChain);

} // namespace korvid
