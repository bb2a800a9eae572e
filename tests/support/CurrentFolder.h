#pragma once

#include <filesystem>

namespace korvid::test {

// Makes Folder the current folder while it lives.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::filesystem::path& Folder)
        : FOld(std::filesystem::current_path()) {
        std::filesystem::current_path(Folder);
    }
    ~TCurrentFolder() { std::filesystem::current_path(FOld); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::filesystem::path FOld;
};

} // namespace korvid::test
