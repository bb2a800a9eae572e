#pragma once

#include "devtools/debugger/MapModel.h"
#include "devtools/debugger/ModuleCommands.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// ---- The memory dump ----
// The column head line.
std::string MemoryDumpHeader(bool Hex, bool Grouped);
// The head and one row per 16 words, joined by line breaks.
std::string MemoryDumpText(const std::vector<std::uint16_t>& Words, bool Hex, bool Grouped);

// ---- The call stack and the heap ----
// "SEG 2:14": the frame's list text.
std::string CallStackItemText(const TStackLine& Frame);
std::string HeapStackLabelText(const std::string& Heap, const std::string& Stack);
// The three lines a located list item is drawn with, in drawing order.
struct TDebugItemLines {
    std::string Source;  // the location's source text
    std::string Routine; // "in PROC = SEG 2:14"
    std::string Place;   // "FILE.TEXT (line 12)"
};
TDebugItemLines DebugItemLines(const TProcOffset& Location);
// The Call Stack list as the clipboard gets it: each item's object is a TProcOffset or null.
std::string CallStackClipboardText(const std::vector<std::string>& Texts,
                                   const std::vector<const TProcOffset*>& Locations);

// ---- Entities ----
// Kinds 2 to 14, 17 and 18 have a value of their own.
bool IsValueKind(int Kind);
std::string TypeDescription(const TEntity& Entity, bool Prefix, int MapKind);
struct TLocationDescription {
    std::string ClassWord;
    std::string Detail;
};
TLocationDescription LocationDescription(const TEntity& Entity);
bool CanRunUntilChanged(const TEntity& Entity);
// Whether a word can be an identifier: it begins with a letter or "_".
bool BeginsIdentifier(char First);
// Lower case, cut to the length the map kind keeps of a name.
std::string NormaliseIdentifier(std::string_view Text, int MapKind);
// The VariablesImages index of an entity node and of a watch's icon.
int EntityImage(const TEntity& Entity);

} // namespace korvid
