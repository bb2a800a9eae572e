#pragma once

namespace korvid {

// Letter case of the ASCII letters of a buffer; accented letters and every other byte stay as
// they are. A Count of 0 or less does nothing.
void UpperCaseBuffer(char* Buffer, int Count);
void LowerCaseBuffer(char* Buffer, int Count);
void SwapCaseBuffer(char* Buffer, int Count);

using TCaseRoutine = void (*)(char* Buffer, int Count);

} // namespace korvid
