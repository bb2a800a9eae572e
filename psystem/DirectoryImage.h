#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvid {

inline constexpr int BlockSize = 512;
inline constexpr int DirectoryOffset = 1024;
inline constexpr int DirectorySize = 2028;
inline constexpr int EntrySize = 26;
inline constexpr int MaxFiles = 77;
inline constexpr int VolumeNameLength = 7;
inline constexpr int FileNameLength = 15;
// The first block after the directory in every volume this program creates.
inline constexpr int FirstDataBlock = 6;
// Volumes are created and resized only up to this many blocks.
inline constexpr int MaxVolumeBlocks = 32767;
// Block words are unsigned 16-bit.
inline constexpr int MaxBlockNumber = 65535;

// Header fields (entry 0).
inline constexpr int HeaderFirstBlock = 0;
inline constexpr int HeaderNextBlock = 2;
inline constexpr int HeaderKind = 4;
inline constexpr int HeaderName = 6;
inline constexpr int HeaderEndOfVolume = 14;
inline constexpr int HeaderFileCount = 16;
// File entry fields (entries 1 to 77).
inline constexpr int EntryFirstBlock = 0;
inline constexpr int EntryEndBlock = 2;
inline constexpr int EntryKindWord = 4;
inline constexpr int EntryName = 6;
inline constexpr int EntryLastBytes = 22;
inline constexpr int EntryDateWord = 24;

// The 2028-byte directory as it lies on disk: the volume header, then 77 file entries.
// Unknown bytes are kept as they are, so rewriting a volume made elsewhere changes only what
// the program means to change.
class TDirectoryImage {
public:
    using TBytes = std::array<std::uint8_t, DirectorySize>;

    TBytes& Bytes() { return FBytes; }
    const TBytes& Bytes() const { return FBytes; }

    int Word(int Entry, int Offset) const;
    void SetWord(int Entry, int Offset, int Value);

    // The length byte is cut to MaxLength, so a damaged length never reads past the field.
    std::string Name(int Entry, int Offset, int MaxLength) const;
    void SetName(int Entry, int Offset, std::string_view Name, int MaxLength);

    // The stored file count, cut to 77.
    int FileCount() const;
    void SetFileCount(int Count) { SetWord(0, HeaderFileCount, Count); }
    int NextBlock() const { return Word(0, HeaderNextBlock); }
    int EndOfVolume() const { return Word(0, HeaderEndOfVolume); }
    std::string VolumeName() const { return Name(0, HeaderName, VolumeNameLength); }

    int FirstBlock(int Index) const { return Word(Index, EntryFirstBlock); }
    int EndBlock(int Index) const { return Word(Index, EntryEndBlock); }
    // Never negative, even for an entry that ends before it begins.
    int Blocks(int Index) const;
    std::string FileName(int Index) const { return Name(Index, EntryName, FileNameLength); }

    // Entries Index..count move up one place; the new entry at Index is all zero.
    void InsertEntry(int Index);
    // Later entries move down one place; the count drops by one.
    void DeleteEntry(int Index);

    bool operator==(const TDirectoryImage&) const = default;

private:
    static std::size_t At(int Entry, int Offset);
    TBytes FBytes{};
};

} // namespace korvid
