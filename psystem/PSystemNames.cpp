#include "psystem/PSystemNames.h"

#include "platform/Cp1252.h"

namespace korvid {

std::string PSystemNameToWindowsName(std::string_view Name) {
    std::string Result = LowerCase1252(Name);
    const std::size_t LastDot = Result.rfind('.');
    const std::size_t Limit = LastDot == std::string::npos ? Result.size() : LastDot;
    for (std::size_t I = 0; I < Limit; ++I) {
        if (I == 0 || Result[I - 1] == '.' || Result[I - 1] == ':')
            Result[I] = static_cast<char>(UpCase1252(static_cast<unsigned char>(Result[I])));
    }
    return Result;
}

} // namespace korvid
