#include "platform/MemoryInfo.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/mman.h>

namespace korvid {

std::optional<std::uint64_t> ParseMemAvailable(std::string_view MemInfo) {
    constexpr std::string_view Key = "MemAvailable:";
    std::size_t Pos = 0;
    while (Pos < MemInfo.size()) {
        const std::size_t End = std::min(MemInfo.find('\n', Pos), MemInfo.size());
        std::string_view Line = MemInfo.substr(Pos, End - Pos);
        Pos = End + 1;
        if (!Line.starts_with(Key))
            continue;
        Line.remove_prefix(Key.size());
        Line.remove_prefix(std::min(Line.find_first_not_of(' '), Line.size()));
        std::uint64_t Kilobytes = 0;
        const auto [Rest, Error] =
            std::from_chars(Line.data(), Line.data() + Line.size(), Kilobytes);
        if (Error != std::errc() || std::string_view(Rest, Line.data() + Line.size()) != " kB")
            return std::nullopt;
        return Kilobytes * 1024;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> SystemAvailableMemory() {
    std::ifstream File("/proc/meminfo");
    const std::string Text{std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
    return ParseMemAvailable(Text);
}

void AdviseLargePages(void* Start, std::size_t Bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t LargePage = 2u << 20;
    if (Bytes < 2 * LargePage)
        return;
    const auto Begin = (reinterpret_cast<std::uintptr_t>(Start) + LargePage - 1) & ~(LargePage - 1);
    const auto End = (reinterpret_cast<std::uintptr_t>(Start) + Bytes) & ~(LargePage - 1);
    if (End > Begin)
        ::madvise(reinterpret_cast<void*>(Begin), End - Begin, MADV_HUGEPAGE);
#else
    (void)Start;
    (void)Bytes;
#endif
}

} // namespace korvid
