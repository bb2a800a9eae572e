#pragma once

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

} // namespace korvid
