#include "psystem/DirectoryImage.h"

#include <algorithm>
#include <cstring>

namespace korvid {

std::size_t TDirectoryImage::At(int Entry, int Offset) {
    return static_cast<std::size_t>(Entry * EntrySize + Offset);
}

int TDirectoryImage::Word(int Entry, int Offset) const {
    const std::size_t P = At(Entry, Offset);
    return FBytes[P] | (FBytes[P + 1] << 8);
}

void TDirectoryImage::SetWord(int Entry, int Offset, int Value) {
    const std::size_t P = At(Entry, Offset);
    FBytes[P] = static_cast<std::uint8_t>(Value & 0xFF);
    FBytes[P + 1] = static_cast<std::uint8_t>((Value >> 8) & 0xFF);
}

std::string TDirectoryImage::Name(int Entry, int Offset, int MaxLength) const {
    const std::size_t P = At(Entry, Offset);
    const int Length = std::min<int>(FBytes[P], MaxLength);
    return std::string(reinterpret_cast<const char*>(&FBytes[P + 1]),
                       static_cast<std::size_t>(Length));
}

void TDirectoryImage::SetName(int Entry, int Offset, std::string_view Name, int MaxLength) {
    const std::size_t P = At(Entry, Offset);
    const std::size_t Length = std::min<std::size_t>(Name.size(), MaxLength);
    std::memset(&FBytes[P], 0, static_cast<std::size_t>(MaxLength) + 1);
    FBytes[P] = static_cast<std::uint8_t>(Length);
    std::memcpy(&FBytes[P + 1], Name.data(), Length);
}

int TDirectoryImage::FileCount() const {
    return std::min(Word(0, HeaderFileCount), MaxFiles);
}

int TDirectoryImage::Blocks(int Index) const {
    return std::max(0, EndBlock(Index) - FirstBlock(Index));
}

void TDirectoryImage::InsertEntry(int Index) {
    const int Count = FileCount();
    // With 77 files the last entry has nowhere to go; callers refuse that case first.
    const int Last = std::min(Count, MaxFiles - 1);
    if (Index <= Last)
        std::memmove(&FBytes[At(Index + 1, 0)], &FBytes[At(Index, 0)],
                     static_cast<std::size_t>((Last - Index + 1) * EntrySize));
    std::memset(&FBytes[At(Index, 0)], 0, EntrySize);
    SetFileCount(std::min(Count + 1, MaxFiles));
}

void TDirectoryImage::DeleteEntry(int Index) {
    const int Count = FileCount();
    if (Index < Count)
        std::memmove(&FBytes[At(Index, 0)], &FBytes[At(Index + 1, 0)],
                     static_cast<std::size_t>((Count - Index) * EntrySize));
    std::memset(&FBytes[At(Count, 0)], 0, EntrySize);
    SetFileCount(Count - 1);
}

} // namespace korvid
