#pragma once

#include <filesystem>
#include <system_error>

namespace korvid::test {

// How many of this process's file descriptors are open on File.
inline int OpenHandlesOf(const std::filesystem::path& File) {
    std::error_code Error;
    const std::filesystem::path Wanted = std::filesystem::canonical(File, Error);
    int Count = 0;
    for (const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd", Error)) {
        std::error_code LinkError;
        if (std::filesystem::read_symlink(Entry.path(), LinkError) == Wanted && !LinkError)
            ++Count;
    }
    return Count;
}

} // namespace korvid::test
