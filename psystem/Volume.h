#pragma once

#include "platform/KorvidError.h"
#include "psystem/DirectoryImage.h"
#include "psystem/PSystemText.h"
#include "psystem/VolumeFile.h"
#include "psystem/VolumeFileListings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// A broken or unwritable volume, an unknown file, a failed transfer.
class EVolumeError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

enum TFileKind : int {
    fkUnknown = 0,
    fkCorrupt = 1,
    fkCode = 2,
    fkText = 3,
    fkInfo = 4,
    fkData = 5,
    fkGraphic = 6,
    fkPhoto = 7,
    fkSafe = 8,
    fkSubvolume = 9,
};

inline constexpr std::string_view SubvolumeExtension = ".SVOL";

class TVolume;

// A file that an unpack run wrote under another name than its own, because that name was
// taken by another file of the run.
struct TRenamedFile {
    std::string Name; // in the volume
    std::filesystem::path Path;
    friend bool operator==(const TRenamedFile&, const TRenamedFile&) = default;
};

// One file (or, with Index 0, one gap) of a volume's directory.
struct TFileInfo {
    TVolume* Volume = nullptr;
    int Index = 0; // 1-based; 0 for a gap
    std::string Name;
    int FirstBlock = 0;
    int Blocks = 0;
    int BytesInLastBlock = 0;
    int Kind = 0;
    int Day = 0;
    int Month = 0;
    int Year = 0;    // the raw 0-127 value
    int Hour = -1;   // -1 when the entry has no time
    int Minute = -1; // likewise
    std::uint16_t DateWord = 0;
    std::uint16_t KindWord = 0;

    // (blocks - 1) x 512 + bytes in the last block, never negative.
    std::int64_t Size() const;
};

// ---- Dates and names -------------------------------------------------------------------------

// Below 71 is 20xx, otherwise 19xx.
int FourDigitYear(int RawYear);
std::uint16_t EncodeDateWord(int Day, int Month, int Year);
// The kind in bits 0-3; with a time, hour + 1 in bits 4-8 and the minute in bits 9-14.
std::uint16_t EncodeKindWord(int Kind, int Hour, int Minute);
void DecodeDateWord(std::uint16_t Word, int& Day, int& Month, int& Year);
void DecodeKindWord(std::uint16_t Word, int& Kind, int& Hour, int& Minute);

std::string FileKindName(int Kind);

// The moment stamped on entries the program writes.
struct TVolumeStamp {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
};
using TVolumeClock = std::function<TVolumeStamp()>;
// Installs Clock and answers the one it replaces; an empty Clock restores local time.
TVolumeClock SetVolumeClock(TVolumeClock Clock);
TVolumeStamp VolumeNow();

// ---- Creating volumes ------------------------------------------------------------------------

// Writes Blocks blocks of zeros from Offset, then an empty directory named Name (cut to 7,
// upper case) whose end-of-volume block is Blocks - 6. True when every byte was written.
bool CreateVolumeHeader(TVolumeFile& File, std::string_view Name, std::int64_t Offset, int Blocks);
// Builds a new volume file of Blocks blocks (6 to 32767) beside Path and renames it into
// place; answers whether that worked. A failure leaves no partial file behind and an existing
// file at Path untouched.
bool CreateVolumeFile(const std::filesystem::path& Path, std::string_view Name, int Blocks);

// ---- Volumes ---------------------------------------------------------------------------------

// An open p-System volume: 512-byte blocks and a directory of at most 77 files, held in a
// Windows file at a byte base. Every changing operation re-reads the directory first (other
// objects may have the same file open) and commits with one directory write after its data
// is on disk.
class TVolume {
public:
    virtual ~TVolume();
    TVolume(const TVolume&) = delete;
    TVolume& operator=(const TVolume&) = delete;

    virtual std::string GetVersion() = 0;
    virtual bool IsWritable() const;
    virtual void SetVersion(const std::string& Text) = 0;
    virtual void Expand(int Blocks);
    virtual void Shrink(int Delta);

    // Absolute positions in the Windows file.
    bool ReadBytes(void* Buffer, std::int64_t Position, std::int64_t Count) const;
    bool WriteBytes(const void* Buffer, std::int64_t Position, std::int64_t Count);

    // Reads and checks the directory. A volume that is not a p-System volume at all raises;
    // a damaged directory leaves the volume readable but not writable (Damage tells why).
    void ReadDirectory();
    void WriteDirectory();

    int FindFile(std::string_view Name) const;
    int FileIndexOf(int Index, std::string_view Name) const;
    void GetFileInfo(int Index, std::string_view Name, TFileInfo& Info) const;
    TFileInfo FileInfo(int Index, std::string_view Name) const;
    // The file's bytes ((blocks - 1) x 512 + bytes in the last block).
    std::string ReadFileData(int Index, std::string_view Name) const;

    using TEnumerateCallback = std::function<bool(const TFileInfo& Info)>;
    void Enumerate(bool WithGaps, const TEnumerateCallback& Callback) const;
    // The names of the files, in name order.
    std::vector<std::string> SortedFileNames() const;

    void RemoveFile(int Index, std::string_view Name);
    void RenameFile(int Index, std::string_view Name, std::string_view NewName);
    void SetFileEntry(int Index, std::string_view Name, const TFileInfo& Info);
    void Rename(std::string_view NewName);
    void Flush();
    // Moves every file down to close the gaps; answers the free blocks after the last file.
    int Krunch();

    // Stores Size bytes of Buffer as a file of Kind, replacing one of the same name. False
    // (after a message) when the directory is full or no gap is large enough.
    bool SaveBytes(std::string_view Name, const void* Buffer, int Kind, std::int64_t Size);
    // The core of every save: Data is whole blocks; Caption heads the refusal messages. With
    // a BackupName, an existing file of that name is replaced by the old file Name instead of
    // the old file being removed (no backup when the directory is full and none existed).
    bool SaveFileData(std::string_view Name, std::string_view Data, int BytesInLastBlock, int Kind,
                      std::string_view Caption, std::string_view BackupName = {});
    // Copies a file into Target, or with SubvolumeSize > 0 creates an empty subvolume
    // "<Name>.SVOL" of that many blocks there. False (after a message) when Target is full.
    bool CopyFileTo(int Index, std::string_view Name, int SubvolumeSize, TVolume& Target);
    // Copies a file into Target over one of the same name there, which stays until the copy
    // is committed. False (after a message) when Target has no room; the target is unchanged.
    bool ReplaceFileIn(int Index, std::string_view Name, TVolume& Target);
    // Both name the same directory of the same file (same device and inode, same base).
    bool IsSameVolumeAs(const TVolume& Other) const;
    // Lays down an empty subvolume at FirstBlock and inserts its entry at EntryIndex.
    void CreateSubvolume(std::string_view Name, int EntryIndex, int Blocks, int FirstBlock);

    // Called on the parent: moves the files after the subvolume Blocks up (the parent has
    // grown first) or down, and changes the subvolume's extent.
    void GrowSubvolume(std::string_view Name, int Blocks);
    void ShrinkSubvolume(std::string_view Name, int Blocks);
    void ShrinkToFit();
    void ShrinkTree();

    // One line per file, subvolumes included, sorted without regard to case.
    void GrabListing(std::vector<std::string>& Lines);

    // ---- Text files ----
    // Reads one file into Lines (cleared first) by its name: ".CODE", ".DEFS" and ".SCRN"
    // files go to their listings, any other file is decoded as p-System text, its header page
    // going to HeaderPage when given and IsBinary telling whether it looks like binary data.
    // VolumeName receives the volume's name.
    void ReadFileText(int Index, std::string_view Name, std::string& VolumeName,
                      const TDefsArguments& Defs, bool& IsBinary, TPSystemHeaderPage* HeaderPage,
                      std::vector<std::string>& Lines);
    // The lines of a file as ReadFileText gives them.
    std::vector<std::string> ReadFileLines(int Index, std::string_view Name);
    // Stores Lines as the p-System text file Name, replacing one of that name (with
    // MakeBackup, a ".TEXT" file's old version becomes its ".BACK" file). False after a
    // message when the name is of a kind only listed, the directory is full or no gap is
    // large enough; the volume is then as it was.
    bool SaveTextFile(std::string_view Name, const std::vector<std::string>& Lines, bool MakeBackup,
                      const TPSystemHeaderPage* HeaderPage = nullptr);

    // Writes the volume's files, and those of its subvolumes, into Folder (a TUnpackMode);
    // answers the files written under another name than their own.
    std::vector<TRenamedFile> Unpack(const std::filesystem::path& Folder, int Mode);

    // ---- Directory facts ----
    const TDirectoryImage& Directory() const { return FDirectory; }
    std::string VolumeName() const { return FDirectory.VolumeName(); }
    int FileCount() const { return FDirectory.FileCount(); }
    int NextBlock() const { return FDirectory.NextBlock(); }
    int EndOfVolume() const { return FDirectory.EndOfVolume(); }
    // The end block of the last file, or the next block when there is none.
    int LastFileEnd() const;
    // Blocks free for files; 0 for a volume too small to hold any.
    int FreeBlocks() const;
    const std::filesystem::path& VolumeFilePath() const { return FPath; }
    std::int64_t Base() const { return FBase; }
    bool IsDamaged() const { return !FDamage.empty(); }
    const std::string& Damage() const { return FDamage; }
    // What a damaged directory means to the user, in a sentence; empty when it is sound.
    std::string DamageText() const;
    // 0 for a major volume, one more for each subvolume level.
    virtual int NestingDepth() const = 0;
    virtual bool IsSubvolume() const { return false; }

    std::shared_ptr<TVolumeFile> FileHandle() const { return FFile; }

    // Re-reads the directory (a subvolume also re-reads its parent and follows its entry).
    virtual void Reread();
    // Raises when the volume is damaged or not open for writing.
    virtual void RequireWritable() const;
    // Reread, then RequireWritable: the start of every changing operation.
    void PrepareChange();

protected:
    TVolume() = default;

    // The blocks this volume may use at its base, to check its directory against.
    virtual std::int64_t AvailableBlocks() const = 0;
    // The volume as messages name it.
    virtual std::string Describe() const;
    // Writes the directory with a new end-of-volume block; on failure nothing changes.
    void CommitEndOfVolume(int NewEnd);

    std::shared_ptr<TVolumeFile> FFile;
    std::filesystem::path FPath;
    std::int64_t FBase = 0;

private:
    std::int64_t BlockPosition(int Block) const;
    // Writes the directory; on failure puts Before back (in memory and, as far as possible,
    // on disk) and raises.
    void CommitDirectory(const TDirectoryImage& Before);
    // The gap for Blocks and the entry index a new file there takes; false when none fits.
    bool FindFirstFit(int Blocks, int& FirstBlock, int& EntryIndex) const;
    // SaveFileData's core: removes (or backs up) an old file of FileName in memory, writes
    // Data by first fit keeping what it overwrites, lets Stamp fill the new entry (name, last
    // bytes, date and kind) and commits once.
    bool StoreFileData(const std::string& FileName, std::string_view Data, std::string_view Caption,
                       std::string_view BackupName, const std::function<void(int Index)>& Stamp);
    void StampEntry(int Index, std::string_view Name, int FirstBlock, int Blocks, int Kind);
    // Moves file Index to NewFirst and commits its entry; on a failure the file is put back
    // where it was and the exception names the block and the activity.
    void MoveFile(int Index, int NewFirst, std::string_view Activity);
    std::string CheckDirectory() const;

    TDirectoryImage FDirectory;
    std::string FDamage;
};

} // namespace korvid
