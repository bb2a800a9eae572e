#pragma once

#include "devtools/definitions/DefsFile.h"

#include <string>
#include <vector>

namespace korvid {

// One open definitions document: its path and the definitions loaded from it.
struct TDefsHelpDocument {
    std::string Path;
    const TDefsList* List = nullptr;
};

// The help generator's source for the open definitions documents.
std::vector<std::string> DefsHelpSource(const std::vector<TDefsHelpDocument>& Documents);

} // namespace korvid
