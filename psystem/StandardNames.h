#pragma once

#include <string>
#include <string_view>

namespace korvid {

// The p-System's own units, 1 to 21, whose routines and globals the code listing names.

// The name of procedure Proc of unit Unit; empty when the table has none.
std::string StandardProcName(int Unit, int Proc);
// The name of the global at word Offset of unit Unit; empty when the table has none.
std::string KernelGlobalName(int Unit, int Offset);

// " (<name>)" for a call of procedure Proc in the segment named SegmentName (8 characters,
// blank-padded) when that segment is a standard unit with a name for it; else empty.
std::string StandardProcSuffix(std::string_view SegmentName, int Proc);
// The same for the global at word Offset.
std::string StandardGlobalSuffix(std::string_view SegmentName, int Offset);

} // namespace korvid
