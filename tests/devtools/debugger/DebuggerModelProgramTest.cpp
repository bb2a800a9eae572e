// The debugger's model: the map, the module's commands and the texts of the views show no window of
// their own: this program holds all of that code and nothing else, so what it loads is what that
// code needs.

#include "tests/devtools/support/ProgramLibraries.h"

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

TEST(TDebuggerModelProgram, LoadsNoQtWidgets) {
    // Qt Core is there (the test main needs it), so the list read is the real one.
    EXPECT_TRUE(ProgramNeeds("libQt6Core."));
    EXPECT_FALSE(ProgramNeeds("libQt6Widgets."));
}

} // namespace
} // namespace korvid::test
