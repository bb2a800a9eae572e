#pragma once

#include <filesystem>
#include <string>

class QString;

namespace korvid {

// Where the program keeps the files it writes (history, favourites, command lines, keystrokes,
// backups): the user's application data folder, created on demand.
std::filesystem::path ApplicationDataFolder();

// The folder of the executable, where read-only companions such as help files sit.
std::filesystem::path ProgramFolder();

// File names are bytes; Qt holds UTF-16. Valid UTF-8 decodes as itself and every byte of an
// invalid sequence becomes the lone surrogate U+DC00 + byte, so a name that went through a
// QString (an edit, a list, the command line) comes back as the very bytes it was. Qt draws the
// lone surrogates as replacement characters.
QString PathToQString(const std::filesystem::path& Path);
std::filesystem::path PathFromQString(const QString& Text);

// A file name as the program's text (Windows-1252, see Cp1252.h), for captions and messages:
// UTF-8 reads as itself, bytes that are not UTF-8 as replacement characters.
std::string PathDisplayText(const std::filesystem::path& Path);

// A name as Qt's own file classes give it (a folder listing, a file dialog), where bytes that
// are not UTF-8 stand as U+FFFD: the entry on disk it stands for, when exactly one does; else
// as PathFromQString.
std::filesystem::path DiskPathFromQtName(const QString& Name);

} // namespace korvid
