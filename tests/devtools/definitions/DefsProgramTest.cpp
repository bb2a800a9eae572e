#include "tests/devtools/definitions/DefsTestSupport.h"

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

// Alt+F2 edits the open definitions; a saved rename changes nothing but the name's bytes.
TEST_F(TDefsTest, ProgramEditsAndSavesTheDefinitions) {
    const std::string Before = ReadVolumeData("APP.DEFS");
    RunProgram("APP.DEFS", "key Alt+F2\n"
                           "key F6\n"
                           "key Down\n"
                           "key Right\n"
                           "key Down\n"
                           "key Down\n"
                           "key Down\n"
                           "set &Name: => fullname\n"
                           "key Alt+.\n"
                           "click &Save\n"
                           "click OK\n"
                           "click Cancel\n"
                           "close\n");
    const std::string After = ReadVolumeData("APP.DEFS");
    TDefsList Expected;
    BuildAppDefs(Expected);
    Expected.File(1).Field(1).Name = "fullname";
    EXPECT_TRUE(After == SerialisedImage(Expected));
    ASSERT_EQ(After.size(), Before.size());
    const std::size_t Name =
        DefsRecordSize + DefsFieldsOffset + DefsFieldSize + DefsFieldNameOffset;
    for (std::size_t I = 0; I < After.size(); ++I) {
        if (After[I] != Before[I]) {
            EXPECT_TRUE(I >= Name && I < Name + 1 + DefsNameLength) << "byte " << I;
        }
    }
    EXPECT_FALSE(After == Before);
}

} // namespace
} // namespace korvid::test
