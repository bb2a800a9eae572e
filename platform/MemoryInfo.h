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

// Maps the pages of the untouched buffer at Start in one request, instead of one fault per page
// as they are first written. Large pages are not asked for: where the system defragments memory
// to find them, one request can stall for a tenth of a second.
void PrefaultPages(void* Start, std::size_t Bytes);

} // namespace korvid
