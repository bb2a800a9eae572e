#pragma once

#include <string>

namespace korvid {

// One stretch of code's source line as a compiler map gives it; the record stays put until the
// map is loaded again, so answers can be compared by address.
class TMapSourceLine {
public:
    virtual ~TMapSourceLine() = default;
    // The source line's text, trimmed.
    virtual const std::string& SourceText() const = 0;
    // The name of the procedure the code belongs to; empty when the map names none.
    virtual const std::string& ProcedureName() const = 0;
};

// Where the disassembler finds the source lines of the code it lists.
class TSourceLineProvider {
public:
    virtual ~TSourceLineProvider() = default;
    // Offset is the byte offset from the procedure's first code byte; null when no map is
    // loaded or the map does not hold the place.
    virtual const TMapSourceLine* FindProcOffset(const std::string& SegmentName, int ProcNumber,
                                                 int Offset) const = 0;
};

} // namespace korvid
