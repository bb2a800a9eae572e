#pragma once

#include "devtools/definitions/DefsFile.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// What the definitions editor shows and allows, without widgets.

// The definitions become a Pascal unit, so its reserved words cannot name files or fields.
bool IsPascalReservedWord(std::string_view Name);
// A name as stored: its first 9 characters, lower-cased.
std::string StoredDefsName(std::string_view Text);
// A number box's text as a decimal number; -1 when it is not one.
int NumberBoxValue(std::string_view Text);

// The type combo's caption of each field type code, and the codes in the combo's order.
std::string_view FieldTypeCaption(int FieldType);
std::array<int, 16> FieldTypesByCaption();

inline constexpr int KeyKindCount = 10; // the kinds a user may pick
// "0 = none" to "12 = calculated".
std::string KeyKindCaption(int Kind);

inline constexpr std::string_view UnusedLabel = "Unused:";
inline constexpr int FuncCalculation = 6;
inline constexpr int CalculationCount = 7;
std::string_view CalculationCaption(int Mode);

// The labels of the four reference boxes, the flag suffix and the help of one field type.
struct TFieldTypeLayout {
    std::array<std::string_view, 4> Labels{UnusedLabel, UnusedLabel, UnusedLabel, UnusedLabel};
    std::string_view FlagSuffix;
    std::string_view Help;
};
const TFieldTypeLayout& FieldTypeLayout(int FieldType);
inline constexpr std::string_view KeyHelpText =
    "Where part of a key uses a field that is an array of integers or choices, the part's length "
    "can be set greater than 2 to represent a multi-element key value. For example, given an "
    "array of 2 integers, the length would be set to 4.";

// Tree pictures from the shared list.
inline constexpr int FileImage = 19;
inline constexpr int KeyImage = 36;
int FieldImage(int FieldType);

std::string FileNodeText(const TDefsFile& File);
std::string FieldNodeText(const TDefsField& Field);
std::string KeyNodeText(int Number);
// The files the tree shows, and the last field it shows of one.
bool ShowsFile(const TDefsFile& File, bool ShowVoids);
bool ShowsKey(const TDefsKey& Key, bool ShowVoids);
int LastShownField(const TDefsFile& File, bool ShowVoids);

// One item of a file or field combo: its text and the index it stands for.
struct TComboEntry {
    std::string Text;
    int Value = 0;
    bool operator==(const TComboEntry&) const = default;
};
// Named files sorted, then with ShowVoids the placeholder-named ones in index order.
std::vector<TComboEntry> FileComboEntries(const TDefsList& List, bool ShowVoids);
// "-" first, then the file's named fields sorted, then the placeholders likewise.
std::vector<TComboEntry> FieldComboEntries(const TDefsFile& File, bool ShowVoids);
// The file that a total field's chain field leads to; none when the chain is not there.
std::optional<int> ChainedFile(const TDefsList& List, int FileRef, int FieldRef);

// Cuts names, refuses reserved words, clamps every value to its field's width and asks about
// links whose target is of the wrong kind. False, after saying why, stops the save.
using TAskQuestion =
    std::function<bool(std::string_view FileName, std::string_view FieldName, bool WantsChain)>;
bool PrepareDefsForSave(TDefsList& List, const TAskQuestion& AskAboutTarget);

} // namespace korvid
