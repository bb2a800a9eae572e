#include "psystem/CodeFileListing.h"

#include "psystem/SourceLineProvider.h"
#include "psystem/StandardNames.h"
#include "psystem/Volume.h"
#include "tests/support/CodeFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvid::test {
namespace {

using TLines = std::vector<std::string>;

// Five past nine on 8 December 2026, for every listing's header.
class TCodeListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOldClock = SetVolumeClock([] { return TVolumeStamp{2026, 12, 8, 9, 5}; });
    }
    void TearDown() override { SetVolumeClock(FOldClock); }

    static TLines List(const std::string& Bytes, const TSourceLineProvider* Provider = nullptr,
                       const std::string& Title = "WORK:X.CODE") {
        TLines Lines;
        DisassembleCodeFile(
            Title, Lines,
            [&Bytes](std::string& Buffer) {
                Buffer = Bytes;
                return true;
            },
            Provider);
        return Lines;
    }
    static TLines List(const TCodeFile& File, const TSourceLineProvider* Provider = nullptr) {
        return List(BuildCodeFile(File).Bytes, Provider);
    }

private:
    TVolumeClock FOldClock;
};

TEST_F(TCodeListingTest, Dump) {
    TCodeFile File;
    File.Comment = "A\tB";
    TCodeSegment S;
    S.Name = "MYUNIT";
    S.Procedures = {{std::string("\x05\x8a\xfc\x81\xff\xff\x94\x03\x04\xfd", 10), 3, -1}};
    S.Pool = std::string("ABCD\0\xff", 6);
    S.References = {{"HEAPOPS", 3}};
    S.TypeReferences = {{3, "TNode"}};
    S.Interface = {"unit MyUnit;", "interface"};
    File.Segments = {S};
    for (const auto& L : List(File))
        std::printf("|%s|\n", L.c_str());
}

} // namespace
} // namespace korvid::test
