#include "platform/VirtualKeyCodes.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(VirtualKeyCodes, ModifierEncodingsConvertBothWays) {
    struct TCase {
        TModifiers Mods;
        int Eng;
        std::uint16_t ShortCutBits;
        std::uint8_t Step;
    } Cases[] = {
        {{}, 0, 0, 0},
        {{true, false, false}, 2, 0x2000, 1},
        {{false, true, false}, 4, 0x4000, 4},
        {{false, false, true}, 8, 0x8000, 2},
        {{true, true, true}, 14, 0xE000, 7},
    };
    for (const auto& C : Cases) {
        EXPECT_EQ(EngShiftOf(C.Mods), C.Eng);
        EXPECT_EQ(ModifiersOfEngShift(C.Eng), C.Mods);
        const std::uint16_t Code = ShortCutOf(VK_F2, C.Mods);
        EXPECT_EQ(Code, VK_F2 | C.ShortCutBits);
        EXPECT_EQ(KeyOfShortCut(Code), VK_F2);
        EXPECT_EQ(ModifiersOfShortCut(Code), C.Mods);
        EXPECT_EQ(StepShiftOf(C.Mods), C.Step);
        EXPECT_EQ(ModifiersOfStepShift(C.Step), C.Mods);
    }
    EXPECT_EQ(VkOfChar('z'), 0x5A);
    EXPECT_EQ(VkOfChar('Q'), 0x51);
    EXPECT_EQ(VkOfChar('7'), 0x37);
}

} // namespace
} // namespace korvid
