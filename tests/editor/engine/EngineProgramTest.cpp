// The engine stays free of the window system: this program links the engine alone, so what it
// needs at load time is what the engine needs.

#include "tests/support/ElfDynamicInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace korvid::test {
namespace {

bool Mentions(const std::string& Library, std::string_view Part) {
    return Library.find(Part) != std::string::npos;
}

TEST(TEngineProgram, LoadsNeitherQtGuiNorQtWidgets) {
    const TDynamicInfo Info = ReadDynamicInfo("/proc/self/exe");
    // Qt Core is there (the test main needs it), so the list read is the real one.
    EXPECT_TRUE(std::ranges::any_of(
        Info.Needed, [](const std::string& Library) { return Mentions(Library, "libQt6Core."); }));
    for (const std::string& Library : Info.Needed) {
        EXPECT_FALSE(Mentions(Library, "libQt6Gui.")) << Library;
        EXPECT_FALSE(Mentions(Library, "libQt6Widgets.")) << Library;
    }
}

} // namespace
} // namespace korvid::test
