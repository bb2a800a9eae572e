#include "devtools/vbat/VBatPaths.h"

#include "platform/Cp1252.h"

#include <QString>

#include <algorithm>

namespace korvid {

std::string VBatSlashes(std::string_view Name) {
    std::string Result(Name);
    std::replace(Result.begin(), Result.end(), '\\', '/');
    return Result;
}

std::filesystem::path VBatDiskPath(std::string_view Name) {
    return std::filesystem::path(ToQString(VBatSlashes(Name)).toStdString());
}

std::string VBatFolderOf(std::string_view Name) {
    const std::string Slashed = VBatSlashes(Name);
    const auto Separator = Slashed.rfind('/');
    return Separator == std::string::npos ? std::string("./") : Slashed.substr(0, Separator + 1);
}

std::string VBatFromFolder(std::string_view Folder, std::string_view Name) {
    if (Folder.empty() || Name.empty() || !VBatDiskPath(Name).is_relative())
        return std::string(Name);
    return VBatSlashes(Folder) + VBatSlashes(Name);
}

} // namespace korvid
