#include "psystem/PSystemNames.h"

#include "platform/Cp1252.h"
#include "platform/KorvidError.h"

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

std::string PSystemFileNameError(std::string_view Name) {
    constexpr std::size_t MaximumLength = 15;
    if (Name.size() > MaximumLength)
        return "A p-System filename cannot contain more than 15 characters";
    for (const char C : Name) {
        const auto Byte = static_cast<unsigned char>(C);
        const bool Plain = (Byte >= 'A' && Byte <= 'Z') || (Byte >= 'a' && Byte <= 'z') ||
                           (Byte >= '0' && Byte <= '9');
        if (!Plain && std::string_view("-/\\_.").find(C) == std::string_view::npos)
            return "A p-System filename can contain only letters, digits\r"
                   "and the characters '-', '/', '\\', '_' and '.'.";
    }
    return {};
}

std::string NewPSystemTextFileName(std::string_view Typed) {
    constexpr std::string_view TextExtension = ".TEXT";
    std::string Name = UpperCase1252(Typed);
    if (!Name.ends_with(TextExtension))
        Name += TextExtension;
    if (std::string Error = PSystemFileNameError(Name); !Error.empty())
        throw EKorvidError(Error);
    return Name;
}

} // namespace korvid
