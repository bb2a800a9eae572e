#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvid {

// The places the manual's index page is looked for, in order: beside the program in a build,
// under share/ in an installed prefix.
std::vector<std::filesystem::path> ManualIndexPlaces(const std::filesystem::path& ProgramFolder);

// The target ("page.html#anchor") the index page's list of words gives Word, whatever its case;
// empty when the list does not name it.
std::string ManualTargetOfWord(const std::string& IndexPage, const std::string& Word);

} // namespace korvid
