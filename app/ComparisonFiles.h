#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvid {

// The file of the same relative name under the other of two namesake folders, each of its
// components matched against the folder's entries ignoring case (as typed when none matches);
// none when File lies under neither folder.
std::optional<std::filesystem::path> NamesakeCounterpart(const std::filesystem::path& File,
                                                         const std::filesystem::path& Folder1,
                                                         const std::filesystem::path& Folder2);

// The copy of a document inside a volume that the comparison utility reads: "Compare0.txt" for
// the earlier-marked file, "Compare1.txt" for the later one, in the per-user data folder.
std::filesystem::path ComparisonCopy(int Slot);

// The text of Lines as a comparison copy holds it: each line ended by CR LF.
std::string ComparisonText(const std::vector<std::string>& Lines);

} // namespace korvid
