#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace korvid {

// How many bytes of memory the system can still give without swapping; nullopt when it cannot
// tell.
using TAvailableMemory = std::function<std::optional<std::uint64_t>()>;

// MemAvailable of a /proc/meminfo text, in bytes.
std::optional<std::uint64_t> ParseMemAvailable(std::string_view MemInfo);
// MemAvailable of this system now.
std::optional<std::uint64_t> SystemAvailableMemory();

// Asks the system to back the untouched buffer at Start with large pages where it can: a file
// of tens of megabytes then costs a few dozen page faults instead of tens of thousands.
void AdviseLargePages(void* Start, std::size_t Bytes);

} // namespace korvid
