#include "tests/devtools/support/ProgramLibraries.h"

#include "tests/support/ElfDynamicInfo.h"

#include <algorithm>
#include <string>

namespace korvid::test {

bool ProgramNeeds(std::string_view Part) {
    const TDynamicInfo Info = ReadDynamicInfo("/proc/self/exe");
    return std::ranges::any_of(Info.Needed, [Part](const std::string& Library) {
        return Library.find(Part) != std::string::npos;
    });
}

} // namespace korvid::test
