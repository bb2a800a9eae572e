#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvid {

// A Windows-style name from a script as a file on disk: "\" separates folders too.
std::filesystem::path VBatDiskPath(std::string_view Name);
// Name with "\" turned into "/" (Windows-1252 kept).
std::string VBatSlashes(std::string_view Name);
// The folder of Name, with a final "/".
std::string VBatFolderOf(std::string_view Name);
// Name as a script in Folder means it: a relative name is taken from Folder (when given).
std::string VBatFromFolder(std::string_view Folder, std::string_view Name);

} // namespace korvid
