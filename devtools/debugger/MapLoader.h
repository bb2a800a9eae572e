#pragma once

#include "devtools/debugger/MapModel.h"

#include <string>
#include <vector>

namespace korvid {

class TDebuggerHost;

// Fills an empty model from the lines of a map file; the status and title tell how it went.
// The host names sources inside volumes and gives a compiler listing its Pascal source.
void ParseMapLines(TMapModel& Map, const std::vector<std::string>& Lines, TDebuggerHost& Host);

// The part of a line from column First (1-based) to Last, empty past the line's end.
std::string_view Columns(std::string_view Line, std::size_t First, std::size_t Last);
// A number, or 0 when the text is none.
int NumberOr0(std::string_view Text);

} // namespace korvid
