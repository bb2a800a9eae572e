#pragma once

#include <string>
#include <string_view>

namespace korvid {

// The Windows spelling of a p-System name: lower case, with a capital first letter and after
// every "." or ":" that comes before the last "." (the extension stays lower case).
// MY.UNIT.TEXT gives My.Unit.text; WORK: gives Work:.
std::string PSystemNameToWindowsName(std::string_view Name);

// Why Name (upper case) cannot name a file in a volume: too long, or a character other than a
// letter, a digit, "-", "/", "\", "_" or "."; empty when it can.
std::string PSystemFileNameError(std::string_view Name);

// A typed name for a new text file: upper case, ".TEXT" added unless it ends so. Raises
// EKorvidError with PSystemFileNameError's text when the result cannot name a file.
std::string NewPSystemTextFileName(std::string_view Typed);

} // namespace korvid
