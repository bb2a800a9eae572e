#pragma once

#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumeMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace korvid::test {

// Bytes that differ from file to file and block to block, so a misplaced block shows.
std::string Pattern(std::size_t Size, int Seed);

// Every file of the volume at Path, subvolume files as "SUB.SVOL:NAME", with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& Path);
// Empty when the volume and all its subvolumes open without damage, else what is wrong.
std::string ValidateVolume(const std::filesystem::path& Path);

// Reads and writes single 16-bit words of a file, for building odd volumes.
int FileWord(const std::filesystem::path& Path, std::int64_t Offset);
void PatchWord(const std::filesystem::path& Path, std::int64_t Offset, int Value);
void PatchByte(const std::filesystem::path& Path, std::int64_t Offset, int Value);
// The byte offset of a field of directory entry Entry of the volume at Base.
std::int64_t EntryField(int Entry, int Field, std::int64_t Base = 0);

// "WORK" (100 blocks, end 94): A.TEXT at block 6 (2,048 bytes, 2 May 1977 13:07), a 2-block
// gap, B.CODE at block 12 (1,024 bytes, 2 May 1977 without a time).
void BuildWorkVolume(const std::filesystem::path& Path);

// A temporary folder, a fixed clock (5 March 2026, 14:07) and recorded warnings.
class TVolumeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path NewVolume(const std::string& FileName, const std::string& Name,
                                    int Blocks);
    // Saves Size pattern bytes as Name and answers them.
    std::string Save(TVolume& V, const std::string& Name, std::size_t Size, int Seed,
                     int Kind = fkText);

    TTempDir Temp;
    std::vector<std::string> Warnings; // "caption|text"

private:
    TVolumeClock FOldClock;
    TVolumeWarningHandler FOldHandler;
};

} // namespace korvid::test
