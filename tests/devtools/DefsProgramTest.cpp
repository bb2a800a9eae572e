#include "tests/devtools/DefsTestSupport.h"

namespace korvid::test {
namespace {

// The built program opens a .DEFS file of a volume as its listing.
TEST_F(TDefsTest, ProgramShowsTheListing) {
    // The script writes the lines joined by CR LF.
    std::string Expected;
    for (const std::string& Line : Read("APP.DEFS", 0))
        Expected += (Expected.empty() ? "" : "\r\n") + Line;
    EXPECT_EQ(ListingShownByProgram("APP.DEFS"), Expected);
}

} // namespace
} // namespace korvid::test
