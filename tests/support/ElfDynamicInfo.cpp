#include "tests/support/ElfDynamicInfo.h"

#include <elf.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace korvid::test {
namespace {

template <typename T> T ReadAt(const std::string& Bytes, std::size_t Offset) {
    T Value{};
    if (Offset + sizeof(T) > Bytes.size())
        throw std::runtime_error("ELF structure beyond the end of the file");
    std::memcpy(&Value, Bytes.data() + Offset, sizeof(T));
    return Value;
}

std::string StringAt(const std::string& Bytes, const Elf64_Shdr& Table, std::size_t Offset) {
    return std::string(Bytes.c_str() + Table.sh_offset + Offset);
}

} // namespace

TDynamicInfo ReadDynamicInfo(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    const std::string Bytes{std::istreambuf_iterator<char>(File), {}};
    const auto Header = ReadAt<Elf64_Ehdr>(Bytes, 0);
    if (std::memcmp(Header.e_ident, ELFMAG, SELFMAG) != 0 || Header.e_ident[EI_CLASS] != ELFCLASS64)
        throw std::runtime_error("not a 64-bit ELF file");
    std::vector<Elf64_Shdr> Sections;
    for (std::size_t I = 0; I < Header.e_shnum; ++I)
        Sections.push_back(ReadAt<Elf64_Shdr>(Bytes, Header.e_shoff + I * Header.e_shentsize));

    TDynamicInfo Info;
    for (const Elf64_Shdr& Section : Sections) {
        if (Section.sh_type == SHT_DYNSYM) {
            const Elf64_Shdr& Strings = Sections.at(Section.sh_link);
            for (std::size_t Offset = 0; Offset < Section.sh_size; Offset += sizeof(Elf64_Sym)) {
                const auto Symbol = ReadAt<Elf64_Sym>(Bytes, Section.sh_offset + Offset);
                if (Symbol.st_shndx == SHN_UNDEF || ELF64_ST_BIND(Symbol.st_info) == STB_LOCAL)
                    continue;
                const std::string Name = StringAt(Bytes, Strings, Symbol.st_name);
                Info.DefinedSymbols.insert(Name);
                if (ELF64_ST_TYPE(Symbol.st_info) == STT_FUNC)
                    Info.FunctionSymbols.insert(Name);
            }
        } else if (Section.sh_type == SHT_DYNAMIC) {
            const Elf64_Shdr& Strings = Sections.at(Section.sh_link);
            for (std::size_t Offset = 0; Offset < Section.sh_size; Offset += sizeof(Elf64_Dyn)) {
                const auto Entry = ReadAt<Elf64_Dyn>(Bytes, Section.sh_offset + Offset);
                if (Entry.d_tag == DT_NULL)
                    break;
                if (Entry.d_tag == DT_NEEDED)
                    Info.Needed.push_back(StringAt(Bytes, Strings, Entry.d_un.d_val));
            }
        }
    }
    return Info;
}

} // namespace korvid::test
