#include "platform/MemoryInfo.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

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

void PrefaultPages(void* Start, std::size_t Bytes) {
    // Kernels before 5.14 refuse it; the pages then fault in one at a time as they are written.
    const auto Page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto Begin = (reinterpret_cast<std::uintptr_t>(Start) + Page - 1) & ~(Page - 1);
    const auto End = (reinterpret_cast<std::uintptr_t>(Start) + Bytes) & ~(Page - 1);
    if (End > Begin)
        ::madvise(reinterpret_cast<void*>(Begin), End - Begin, MADV_POPULATE_WRITE);
}

} // namespace korvid
