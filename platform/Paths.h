#pragma once

#include <filesystem>

namespace korvid {

// Where the program keeps the files it writes (history, favourites, command lines, keystrokes,
// backups): the user's application data folder, created on demand.
std::filesystem::path ApplicationDataFolder();

// The folder of the executable, where read-only companions such as help files sit.
std::filesystem::path ProgramFolder();

} // namespace korvid
