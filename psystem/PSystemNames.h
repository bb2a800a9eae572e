#pragma once

#include <string>
#include <string_view>

namespace korvid {

// The Windows spelling of a p-System name: lower case, with a capital first letter and after
// every "." or ":" that comes before the last "." (the extension stays lower case).
// MY.UNIT.TEXT gives My.Unit.text; WORK: gives Work:.
std::string PSystemNameToWindowsName(std::string_view Name);

} // namespace korvid
