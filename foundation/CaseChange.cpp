#include "foundation/CaseChange.h"

namespace korvid {
namespace {

constexpr char CaseBit = 0x20;

bool IsAsciiUpper(char C) {
    return C >= 'A' && C <= 'Z';
}

bool IsAsciiLower(char C) {
    return C >= 'a' && C <= 'z';
}

} // namespace

void UpperCaseBuffer(char* Buffer, int Count) {
    for (int I = 0; I < Count; ++I)
        if (IsAsciiLower(Buffer[I]))
            Buffer[I] = char(Buffer[I] & ~CaseBit);
}

void LowerCaseBuffer(char* Buffer, int Count) {
    for (int I = 0; I < Count; ++I)
        if (IsAsciiUpper(Buffer[I]))
            Buffer[I] = char(Buffer[I] | CaseBit);
}

void SwapCaseBuffer(char* Buffer, int Count) {
    for (int I = 0; I < Count; ++I) {
        if (IsAsciiUpper(Buffer[I]))
            Buffer[I] = char(Buffer[I] | CaseBit);
        else if (IsAsciiLower(Buffer[I]))
            Buffer[I] = char(Buffer[I] & ~CaseBit);
    }
}

} // namespace korvid
