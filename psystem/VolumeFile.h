#pragma once

#include <cstdint>
#include <filesystem>

namespace korvid {

// The Windows file that holds a volume: every byte a volume reads or writes passes here, so
// that a test can make any single write or size change fail.
class TVolumeFile {
public:
    enum class TMode { Read, ReadWrite, CreateNew };

    // Opens (or, with CreateNew, creates a file that must not exist yet); IsOpen tells.
    TVolumeFile(const std::filesystem::path& Path, TMode Mode);
    ~TVolumeFile();
    TVolumeFile(const TVolumeFile&) = delete;
    TVolumeFile& operator=(const TVolumeFile&) = delete;

    bool IsOpen() const { return FHandle >= 0; }
    bool IsWritable() const { return FWritable; }
    // True only when all Count bytes moved.
    bool ReadAt(std::int64_t Position, void* Buffer, std::int64_t Count) const;
    bool WriteAt(std::int64_t Position, const void* Buffer, std::int64_t Count);
    // The size in bytes, or -1 when it cannot be found.
    std::int64_t Size() const;
    // Grows (with reserved, zero-filled space) or truncates the file.
    bool SetSize(std::int64_t NewSize);
    // Flushes what was written to the disk.
    bool Sync();
    // Closes the handle, answering whether everything written reached the file system.
    bool Close();

private:
    int FHandle = -1;
    bool FWritable = false;
};

// For tests: the K-th write or size change from now on fails (0 fails nothing). Counting
// goes on either way, so a first clean run tells how many there are.
void InjectVolumeFileFault(int K);
int VolumeFileMutationCount();

} // namespace korvid
