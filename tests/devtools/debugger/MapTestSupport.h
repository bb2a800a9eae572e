#pragma once

#include "devtools/debugger/MapModel.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>

namespace korvid {

// A section-1 line entry: the line number in columns 1 to 6, then "proc:offset text".
inline std::string Entry(int Line, const std::string& Rest) {
    std::string Number = std::to_string(Line);
    Number.resize(6, ' ');
    return Number + Rest;
}

// A section-1 segment line: the segment name in columns 5 to 12, the source from 14.
inline std::string Segment(std::string Name, const std::string& Source) {
    Name.resize(8, ' ');
    return "#   " + Name + " " + Source;
}

// The entity at Path ("A/acct/total") below Root.
inline TEntity& EntityAt(const TEntity& Root, const std::string& Path) {
    const TEntity* Entity = &Root;
    std::istringstream Steps(Path);
    for (std::string Name; std::getline(Steps, Name, '/');) {
        const auto Found = std::find_if(Entity->Children.begin(), Entity->Children.end(),
                                        [&Name](const auto& Child) { return Child->Name == Name; });
        if (Found == Entity->Children.end())
            throw std::runtime_error("no " + Path);
        Entity = Found->get();
    }
    return const_cast<TEntity&>(*Entity);
}

} // namespace korvid
