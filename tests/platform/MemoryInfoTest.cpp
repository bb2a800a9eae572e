#include "platform/MemoryInfo.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvid {
namespace {

TEST(MemoryInfo, ReadsMemAvailableInBytes) {
    const struct {
        std::string Text;
        std::optional<std::uint64_t> Expected;
    } Cases[] = {
        {"MemTotal:       24729976 kB\nMemFree:        12673904 kB\n"
         "MemAvailable:   23561992 kB\nBuffers:  1 kB\n",
         23561992ull * 1024},
        {"MemAvailable: 7 kB", 7 * 1024},
        {"MemTotal:       24729976 kB\n", std::nullopt}, // kernels before 3.14 have no such line
        {"MemAvailable:   lots kB\n", std::nullopt},
        {"MemAvailable:   12 MB\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        EXPECT_EQ(ParseMemAvailable(Case.Text), Case.Expected);
    }
}

TEST(MemoryInfo, ThisSystemTellsItsAvailableMemory) {
    const auto Available = SystemAvailableMemory();
    ASSERT_TRUE(Available);
    EXPECT_GT(*Available, 0u);
}

} // namespace
} // namespace korvid
