#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvid::test {

// A fresh folder removed with everything in it when the object goes.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(std::string_view Name) const { return FPath / Name; }

private:
    std::filesystem::path FPath;
};

std::string ReadFileBytes(const std::filesystem::path& Name);
void WriteFileBytes(const std::filesystem::path& Name, std::string_view Data);

} // namespace korvid::test
