#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace korvid {

// The folder's "*.json" files as "name --> folder", then those of its immediate subfolders as
// "name --> subfolder", each group sorted.
std::vector<std::string> JsonPickEntries(const std::string& Folder);
// The file an entry stands for, relative to Folder (an added entry is a whole path).
std::string JsonEntryName(const std::string& Entry, const std::string& Folder);
// The entry standing for a file named as JsonEntryName answers it.
std::string JsonEntryFor(const std::string& Name, const std::string& Folder);

// The "Pick JSON File" list; Added keeps the files the user added for the session. Answers the
// picked file relative to Folder, nothing when cancelled.
std::optional<std::string> PickJsonFile(QWidget* Parent, const std::string& Folder,
                                        const std::string& Current,
                                        std::vector<std::string>& Added);

} // namespace korvid
