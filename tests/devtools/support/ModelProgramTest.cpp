// The test program of a model library: it holds every object of that library and nothing else
// of devtools, so what it loads is what the model code needs. Model code shows no window.

#include "tests/support/ElfDynamicInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace korvid::test {
namespace {

bool ProgramNeeds(std::string_view Part) {
    const TDynamicInfo Info = ReadDynamicInfo("/proc/self/exe");
    return std::ranges::any_of(Info.Needed, [Part](const std::string& Library) {
        return Library.find(Part) != std::string::npos;
    });
}

TEST(TModelProgram, LoadsNoQtWidgets) {
    // Qt Core is there (the test main needs it), so the list read is the real one.
    EXPECT_TRUE(ProgramNeeds("libQt6Core."));
    EXPECT_FALSE(ProgramNeeds("libQt6Widgets."));
}

} // namespace
} // namespace korvid::test
