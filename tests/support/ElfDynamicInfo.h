#pragma once

#include <set>
#include <string>
#include <vector>

namespace korvid::test {

// What the dynamic section of a 64-bit ELF file says about its exports and dependencies.
struct TDynamicInfo {
    std::set<std::string> DefinedSymbols;
    std::set<std::string> FunctionSymbols;
    std::vector<std::string> Needed;
};

// Throws std::runtime_error when the file is no 64-bit ELF file or is cut short.
TDynamicInfo ReadDynamicInfo(const std::string& Path);

} // namespace korvid::test
