#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvid {

// A change on disk counts only when the file is more than two seconds newer than the time the
// document was read or saved (file systems round their times).
inline constexpr std::int64_t FileTimeToleranceMs = 2000;

// Documents inside volumes, untitled ones and those without a stored time are never checked.
bool ShouldCheckFile(std::string_view FileName, std::int64_t StoredTimeMs);
bool IsFileUpdated(std::int64_t StoredTimeMs, std::int64_t DiskTimeMs);

// "File Updated": True when the user wants the latest version loaded.
bool AskLoadUpdatedFile(std::string_view FileName);

} // namespace korvid
