#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace korvid::test {

TTempDir::TTempDir() {
    std::string Pattern = (std::filesystem::temp_directory_path() / "korvid-test-XXXXXX").string();
    if (::mkdtemp(Pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    FPath = Pattern;
}

TTempDir::~TTempDir() {
    std::error_code Ignored;
    // Tests may leave read-only folders behind; make them writable so removal succeeds.
    for (auto It = std::filesystem::recursive_directory_iterator(FPath, Ignored);
         It != std::filesystem::recursive_directory_iterator(); It.increment(Ignored))
        std::filesystem::permissions(It->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, Ignored);
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, Ignored);
    std::filesystem::remove_all(FPath, Ignored);
}

std::string ReadFileBytes(const std::filesystem::path& Name) {
    std::ifstream In(Name, std::ios::binary);
    if (!In)
        throw std::runtime_error("cannot read " + Name.string());
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& Name, std::string_view Data) {
    std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
    Out.write(Data.data(), static_cast<std::streamsize>(Data.size()));
    if (!Out)
        throw std::runtime_error("cannot write " + Name.string());
}

} // namespace korvid::test
