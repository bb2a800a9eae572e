#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvid {

// Told after each step of a read how many bytes are in and how many the file has; answers
// false to stop the read.
using TReadStep = std::function<bool(std::uint64_t Done, std::uint64_t Total)>;

// Reads a whole file into one buffer: nullopt when Step stopped it, and then nothing is kept.
using TFileReader = std::function<std::optional<std::string>(const std::filesystem::path& FileName,
                                                             const TReadStep& Step)>;

// Steps small enough for Esc to answer at once and the progress to move, large enough that
// telling the caller costs nothing beside the read.
inline constexpr std::size_t DefaultReadStep = 4 * 1024 * 1024;

// The ordinary reader: one buffer sized from the file, filled StepSize bytes at a time. Only a
// regular file is read: a FIFO would block until a writer came, and a device such as /dev/zero
// never ends. A file that cannot be opened or read raises EFileOpenError.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& FileName,
                                         const TReadStep& Step = {},
                                         std::size_t StepSize = DefaultReadStep);

} // namespace korvid
