#include "psystem/Volume.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumeMessages.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unistd.h>
#include <utility>

namespace korvid {

namespace {

// Subvolumes lie directly in a major volume; deeper ones are not descended into.
constexpr int MaxListedDepth = 1;
constexpr int MinSubvolumeBlocks = 10;
constexpr int HourBits = 4;
constexpr int MinuteBits = 9;

TVolumeClock& Clock() {
    static TVolumeClock Instance;
    return Instance;
}

std::string Cut(std::string_view Text, std::size_t Length) {
    return std::string(Text.substr(0, Length));
}

std::string StoredFileName(std::string_view Name) {
    return UpperCase1252(Cut(Name, FileNameLength));
}

bool EndsWith(std::string_view Text, std::string_view Tail) {
    return Text.size() >= Tail.size() && SameText1252(Text.substr(Text.size() - Tail.size()), Tail);
}

std::string Quoted(std::string_view Text) {
    return "'" + std::string(Text) + "'";
}

std::string TwoDigits(int Value) {
    return ZeroPad(std::to_string(Value), 2);
}

} // namespace

// ---- Dates and names -------------------------------------------------------------------------

std::int64_t TFileInfo::Size() const {
    return std::max<std::int64_t>(0, std::int64_t(Blocks - 1) * BlockSize + BytesInLastBlock);
}

int FourDigitYear(int RawYear) {
    return RawYear < 71 ? 2000 + RawYear : 1900 + RawYear;
}

std::uint16_t EncodeDateWord(int Day, int Month, int Year) {
    return static_cast<std::uint16_t>(((Year % 100) & 0x7F) << 9 | (Day & 0x1F) << 4 |
                                      (Month & 0x0F));
}

std::uint16_t EncodeKindWord(int Kind, int Hour, int Minute) {
    int Word = Kind & 0x0F;
    if (Hour >= 0 && Minute >= 0)
        Word |= (Minute & 0x3F) << MinuteBits | ((Hour + 1) & 0x1F) << HourBits;
    return static_cast<std::uint16_t>(Word);
}

void DecodeDateWord(std::uint16_t Word, int& Day, int& Month, int& Year) {
    Month = Word & 0x0F;
    Day = (Word >> 4) & 0x1F;
    Year = Word >> 9;
}

void DecodeKindWord(std::uint16_t Word, int& Kind, int& Hour, int& Minute) {
    Kind = Word & 0x0F;
    const int HourPlusOne = (Word >> HourBits) & 0x1F;
    if (HourPlusOne == 0) {
        Hour = -1;
        Minute = -1;
    } else {
        Hour = HourPlusOne - 1;
        Minute = (Word >> MinuteBits) & 0x3F;
    }
}

std::string FileKindName(int Kind) {
    static constexpr std::string_view Names[] = {"Unknown", "Corrupt",  "Code",    "Text",
                                                 "Info",    "Data",     "Graphic", "Photo",
                                                 "Safe",    "Subvolume"};
    if (Kind < 0 || Kind >= static_cast<int>(std::size(Names)))
        return std::string(Names[0]);
    return std::string(Names[Kind]);
}

TVolumeClock SetVolumeClock(TVolumeClock NewClock) {
    return std::exchange(Clock(), std::move(NewClock));
}

TVolumeStamp VolumeNow() {
    if (Clock())
        return Clock()();
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    return {Local.tm_year + 1900, Local.tm_mon + 1, Local.tm_mday, Local.tm_hour, Local.tm_min};
}

// ---- Creating volumes ------------------------------------------------------------------------

bool CreateVolumeHeader(TVolumeFile& File, std::string_view Name, std::int64_t Offset, int Blocks) {
    if (Blocks < FirstDataBlock || Blocks > MaxBlockNumber)
        return false;
    const std::string Zeros(64 * 1024, '\0');
    std::int64_t Left = std::int64_t(Blocks) * BlockSize;
    std::int64_t Position = Offset;
    while (Left > 0) {
        const std::int64_t Count = std::min<std::int64_t>(Left, std::ssize(Zeros));
        if (!File.WriteAt(Position, Zeros.data(), Count))
            return false;
        Position += Count;
        Left -= Count;
    }
    TDirectoryImage Directory;
    Directory.SetWord(0, HeaderNextBlock, FirstDataBlock);
    Directory.SetName(0, HeaderName, UpperCase1252(Name), VolumeNameLength);
    Directory.SetWord(0, HeaderEndOfVolume, Blocks - FirstDataBlock);
    return File.WriteAt(Offset + DirectoryOffset, Directory.Bytes().data(), DirectorySize);
}

bool CreateVolumeFile(const std::filesystem::path& Path, std::string_view Name, int Blocks) {
    if (Blocks < FirstDataBlock || Blocks > MaxVolumeBlocks)
        return false;
    const std::filesystem::path Folder = Path.has_parent_path() ? Path.parent_path() : ".";
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        const std::filesystem::path Temp =
            Folder / ("." + Path.filename().string() + "." + std::to_string(::getpid()) + "." +
                      std::to_string(Attempt) + ".tmp");
        TVolumeFile File(Temp, TVolumeFile::TMode::CreateNew);
        if (!File.IsOpen()) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        bool Ok = CreateVolumeHeader(File, Name, 0, Blocks) && File.Sync();
        Ok = File.Close() && Ok;
        std::error_code Error;
        if (Ok) {
            std::filesystem::rename(Temp, Path, Error);
            Ok = !Error;
        }
        if (!Ok)
            std::filesystem::remove(Temp, Error);
        return Ok;
    }
    return false;
}

// ---- Volumes ---------------------------------------------------------------------------------

TVolume::~TVolume() = default;

bool TVolume::IsWritable() const {
    return false;
}

void TVolume::Expand(int) {}

void TVolume::Shrink(int) {}

std::string TVolume::Describe() const {
    return FPath.string();
}

std::int64_t TVolume::BlockPosition(int Block) const {
    return FBase + std::int64_t(Block) * BlockSize;
}

bool TVolume::ReadBytes(void* Buffer, std::int64_t Position, std::int64_t Count) const {
    return FFile && FFile->ReadAt(Position, Buffer, Count);
}

bool TVolume::WriteBytes(const void* Buffer, std::int64_t Position, std::int64_t Count) {
    return FFile && FFile->WriteAt(Position, Buffer, Count);
}

void TVolume::ReadDirectory() {
    TDirectoryImage Image;
    if (!ReadBytes(Image.Bytes().data(), FBase + DirectoryOffset, DirectorySize))
        throw EVolumeError("Can't read volume directory");
    // The next block is 6, or 10 behind a duplicate directory; a volume written on a
    // big-endian machine shows it as a multiple of 256 and must not be misread.
    const int Next = Image.NextBlock();
    if (Image.Word(0, HeaderFirstBlock) != 0 || Next < FirstDataBlock || Next > 255)
        throw EVolumeError(Quoted(Describe()) + " is not a p-System volume");
    FDirectory = Image;
    FDamage = CheckDirectory();
}

std::string TVolume::CheckDirectory() const {
    const TDirectoryImage& D = FDirectory;
    const int StoredCount = D.Word(0, HeaderFileCount);
    if (StoredCount > MaxFiles)
        return "it lists " + std::to_string(StoredCount) + " files";
    if (D.Bytes()[HeaderName] > VolumeNameLength)
        return "the volume name is too long";
    const int End = D.EndOfVolume();
    if (End > AvailableBlocks())
        return "the end of the volume lies beyond its file";
    int Previous = D.NextBlock();
    for (int I = 1; I <= StoredCount; ++I) {
        const int Length = D.Bytes()[std::size_t(I * EntrySize + EntryName)];
        const std::string What = "file " + std::to_string(I);
        if (Length == 0 || Length > FileNameLength)
            return What + " has a bad name";
        const int First = D.FirstBlock(I);
        if (D.EndBlock(I) < First)
            return What + " ends before it begins";
        if (First < Previous)
            return What + " overlaps the directory or the file before it";
        if (D.EndBlock(I) > End)
            return What + " lies beyond the end of the volume";
        if (D.Word(I, EntryLastBytes) > BlockSize)
            return What + " has a bad last-block size";
        Previous = D.EndBlock(I);
    }
    return {};
}

void TVolume::WriteDirectory() {
    if (!WriteBytes(FDirectory.Bytes().data(), FBase + DirectoryOffset, DirectorySize))
        throw EVolumeError("Can't write volume directory");
}

void TVolume::CommitDirectory(const TDirectoryImage& Before) {
    if (WriteBytes(FDirectory.Bytes().data(), FBase + DirectoryOffset, DirectorySize))
        return;
    FDirectory = Before;
    // The failed write may have reached the disk in part.
    WriteBytes(FDirectory.Bytes().data(), FBase + DirectoryOffset, DirectorySize);
    throw EVolumeError("Can't write volume directory");
}

void TVolume::CommitEndOfVolume(int NewEnd) {
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetWord(0, HeaderEndOfVolume, NewEnd);
    CommitDirectory(Before);
}

void TVolume::Reread() {
    ReadDirectory();
}

std::string TVolume::DamageText() const {
    if (!IsDamaged())
        return {};
    return "The directory of volume " + Quoted(Describe()) + " is damaged (" + FDamage +
           "); the volume can only be read.";
}

void TVolume::RequireWritable() const {
    if (IsDamaged())
        throw EVolumeError(DamageText());
    if (!IsWritable())
        throw EVolumeError("Can't write volume directory");
}

void TVolume::PrepareChange() {
    Reread();
    RequireWritable();
}

int TVolume::LastFileEnd() const {
    const int Count = FileCount();
    return Count == 0 ? NextBlock() : FDirectory.EndBlock(Count);
}

int TVolume::FreeBlocks() const {
    int Free = 0;
    Enumerate(true, [&](const TFileInfo& Info) {
        if (Info.Index == 0)
            Free += Info.Blocks;
        return true;
    });
    return Free;
}

int TVolume::FindFile(std::string_view Name) const {
    // Other tools store lower-case names beside upper-case ones: the exact one wins.
    const std::string_view Wanted = Name.substr(0, FileNameLength);
    int CaseBlind = 0;
    for (int I = 1; I <= FileCount(); ++I) {
        const std::string Stored = FDirectory.FileName(I);
        if (Stored == Wanted)
            return I;
        if (CaseBlind == 0 && SameText1252(Stored, Wanted))
            CaseBlind = I;
    }
    return CaseBlind;
}

int TVolume::FileIndexOf(int Index, std::string_view Name) const {
    if (Index == 0) {
        Index = FindFile(Name);
        if (Index == 0)
            throw EVolumeError("File " + Quoted(Name) + " not found");
    }
    if (Index < 1 || Index > FileCount())
        throw EVolumeError("File index out of range");
    return Index;
}

void TVolume::GetFileInfo(int Index, std::string_view Name, TFileInfo& Info) const {
    const int I = FileIndexOf(Index, Name);
    Info = {};
    Info.Volume = const_cast<TVolume*>(this);
    Info.Index = I;
    Info.Name = FDirectory.FileName(I);
    Info.FirstBlock = FDirectory.FirstBlock(I);
    Info.Blocks = FDirectory.Blocks(I);
    Info.BytesInLastBlock = FDirectory.Word(I, EntryLastBytes);
    Info.KindWord = static_cast<std::uint16_t>(FDirectory.Word(I, EntryKindWord));
    Info.DateWord = static_cast<std::uint16_t>(FDirectory.Word(I, EntryDateWord));
    DecodeKindWord(Info.KindWord, Info.Kind, Info.Hour, Info.Minute);
    DecodeDateWord(Info.DateWord, Info.Day, Info.Month, Info.Year);
}

TFileInfo TVolume::FileInfo(int Index, std::string_view Name) const {
    TFileInfo Info;
    GetFileInfo(Index, Name, Info);
    return Info;
}

std::string TVolume::ReadFileData(int Index, std::string_view Name) const {
    const TFileInfo Info = FileInfo(Index, Name);
    std::string Data(static_cast<std::size_t>(Info.Size()), '\0');
    if (!ReadBytes(Data.data(), BlockPosition(Info.FirstBlock), std::ssize(Data)))
        throw EVolumeError("Can't open file " + Quoted(Info.Name));
    return Data;
}

std::vector<std::string> TVolume::SortedFileNames() const {
    std::vector<std::string> Names;
    Enumerate(false, [&Names](const TFileInfo& Info) {
        Names.push_back(Info.Name);
        return true;
    });
    std::sort(Names.begin(), Names.end());
    return Names;
}

void TVolume::Enumerate(bool WithGaps, const TEnumerateCallback& Callback) const {
    const auto Gap = [this](int First, int Blocks) {
        TFileInfo Info;
        Info.Volume = const_cast<TVolume*>(this);
        Info.FirstBlock = First;
        Info.Blocks = Blocks;
        Info.Hour = 0; // a gap carries nothing but its place
        Info.Minute = 0;
        return Info;
    };
    int Previous = NextBlock();
    for (int I = 1; I <= FileCount(); ++I) {
        const TFileInfo Info = FileInfo(I, {});
        if (WithGaps && Info.FirstBlock > Previous &&
            !Callback(Gap(Previous, Info.FirstBlock - Previous)))
            return;
        if (!Callback(Info))
            return;
        Previous = std::max(Previous, FDirectory.EndBlock(I));
    }
    if (WithGaps && EndOfVolume() > Previous)
        Callback(Gap(Previous, EndOfVolume() - Previous));
}

bool TVolume::FindFirstFit(int Blocks, int& FirstBlock, int& EntryIndex) const {
    int Previous = NextBlock();
    for (int I = 1; I <= FileCount(); ++I) {
        const int First = FDirectory.FirstBlock(I);
        if (First > Previous && First - Previous >= Blocks) {
            FirstBlock = Previous;
            EntryIndex = I;
            return true;
        }
        Previous = std::max(Previous, FDirectory.EndBlock(I));
    }
    if (EndOfVolume() - Previous >= Blocks) {
        FirstBlock = Previous;
        EntryIndex = FileCount() + 1;
        return true;
    }
    return false;
}

void TVolume::StampEntry(int Index, std::string_view Name, int FirstBlock, int Blocks, int Kind) {
    const TVolumeStamp Now = VolumeNow();
    FDirectory.SetName(Index, EntryName, StoredFileName(Name), FileNameLength);
    FDirectory.SetWord(Index, EntryFirstBlock, FirstBlock);
    FDirectory.SetWord(Index, EntryEndBlock, FirstBlock + Blocks);
    FDirectory.SetWord(Index, EntryKindWord, EncodeKindWord(Kind, Now.Hour, Now.Minute));
    FDirectory.SetWord(Index, EntryDateWord, EncodeDateWord(Now.Day, Now.Month, Now.Year));
}

// ---- Directory operations --------------------------------------------------------------------

void TVolume::RemoveFile(int Index, std::string_view Name) {
    PrepareChange();
    const TDirectoryImage Before = FDirectory;
    FDirectory.DeleteEntry(FileIndexOf(Index, Name));
    CommitDirectory(Before);
}

void TVolume::RenameFile(int Index, std::string_view Name, std::string_view NewName) {
    PrepareChange();
    const int I = FileIndexOf(Index, Name);
    const int Existing = FindFile(NewName);
    if (Existing != 0 && Existing != I)
        throw EVolumeError("Volume already contains a file called " + Quoted(NewName));
    if (Cut(NewName, FileNameLength).empty())
        throw EVolumeError("A file needs a name");
    TFileInfo Info = FileInfo(I, {});
    Info.Name = std::string(NewName);
    SetFileEntry(I, {}, Info);
}

void TVolume::SetFileEntry(int Index, std::string_view Name, const TFileInfo& Info) {
    PrepareChange();
    const int I = FileIndexOf(Index, Name);
    if (Info.FirstBlock < 0 || Info.Blocks < 0 || Info.FirstBlock + Info.Blocks > MaxBlockNumber)
        throw EVolumeError("File entry out of range");
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetName(I, EntryName, StoredFileName(Info.Name), FileNameLength);
    FDirectory.SetWord(I, EntryFirstBlock, Info.FirstBlock);
    FDirectory.SetWord(I, EntryEndBlock, Info.FirstBlock + Info.Blocks);
    FDirectory.SetWord(I, EntryLastBytes,
                       Info.BytesInLastBlock == 0 ? BlockSize : Info.BytesInLastBlock);
    FDirectory.SetWord(I, EntryDateWord, EncodeDateWord(Info.Day, Info.Month, Info.Year));
    FDirectory.SetWord(I, EntryKindWord, EncodeKindWord(Info.Kind, Info.Hour, Info.Minute));
    CommitDirectory(Before);
}

void TVolume::Rename(std::string_view NewName) {
    PrepareChange();
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetName(0, HeaderName, NewName, VolumeNameLength);
    CommitDirectory(Before);
}

void TVolume::Flush() {
    PrepareChange();
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetFileCount(0);
    CommitDirectory(Before);
}

void TVolume::MoveFile(int Index, int NewFirst, std::string_view Activity) {
    const int First = FDirectory.FirstBlock(Index);
    const int Blocks = FDirectory.Blocks(Index);
    std::string Data(std::size_t(Blocks) * BlockSize, '\0');
    if (!ReadBytes(Data.data(), BlockPosition(First), std::ssize(Data)))
        throw EVolumeError("Failed to read block " + std::to_string(First) + " while " +
                           std::string(Activity));
    const auto PutBack = [&] { WriteBytes(Data.data(), BlockPosition(First), std::ssize(Data)); };
    if (!WriteBytes(Data.data(), BlockPosition(NewFirst), std::ssize(Data))) {
        PutBack(); // the new place may overlap the old one
        throw EVolumeError("Failed to write block " + std::to_string(NewFirst) + " while " +
                           std::string(Activity));
    }
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetWord(Index, EntryFirstBlock, NewFirst);
    FDirectory.SetWord(Index, EntryEndBlock, NewFirst + Blocks);
    try {
        CommitDirectory(Before);
    } catch (const EVolumeError&) {
        PutBack();
        throw;
    }
}

int TVolume::Krunch() {
    PrepareChange();
    int Next = NextBlock();
    for (int I = 1; I <= FileCount(); ++I) {
        if (FDirectory.FirstBlock(I) != Next)
            MoveFile(I, Next, "krunching");
        Next += FDirectory.Blocks(I);
    }
    return std::max(0, EndOfVolume() - Next);
}

// ---- Saving and copying ----------------------------------------------------------------------

bool TVolume::SaveBytes(std::string_view Name, const void* Buffer, int Kind, std::int64_t Size) {
    if (Size < 0 || Size > std::int64_t(MaxBlockNumber) * BlockSize)
        throw EVolumeError("File size out of range");
    const std::int64_t Blocks = (Size + BlockSize - 1) / BlockSize;
    std::string Data(static_cast<std::size_t>(Blocks * BlockSize), '\0');
    std::copy_n(static_cast<const char*>(Buffer), Size, Data.begin());
    const int LastBytes = Size % BlockSize == 0 ? BlockSize : int(Size % BlockSize);
    return SaveFileData(Name, Data, LastBytes, Kind, UnableToSaveFileCaption);
}

bool TVolume::SaveFileData(std::string_view Name, std::string_view Data, int BytesInLastBlock,
                           int Kind, std::string_view Caption, std::string_view BackupName) {
    PrepareChange();
    return StoreFileData(StoredFileName(Name), Data, Caption, BackupName, [&](int Index) {
        StampEntry(Index, StoredFileName(Name), FDirectory.FirstBlock(Index),
                   FDirectory.Blocks(Index), Kind);
        FDirectory.SetWord(Index, EntryLastBytes, BytesInLastBlock);
    });
}

bool TVolume::StoreFileData(const std::string& FileName, std::string_view Data,
                            std::string_view Caption, std::string_view BackupName,
                            const std::function<void(int Index)>& Stamp) {
    if (FileName.empty())
        throw EVolumeError("A file needs a name");
    const int Blocks = int(std::ssize(Data) / BlockSize);
    const TDirectoryImage Before = FDirectory;
    // Blocks freed here (a replaced file or an old backup) may take the new data: keep what
    // the new data overwrites of them, to put back if the save fails.
    int OldFirst = 0;
    int OldEnd = 0;
    const auto Free = [&](int Index) {
        OldFirst = FDirectory.FirstBlock(Index);
        OldEnd = FDirectory.EndBlock(Index);
        FDirectory.DeleteEntry(Index);
    };
    if (const int Old = FindFile(FileName); Old != 0) {
        const std::string Backup = StoredFileName(BackupName);
        if (Backup.empty() || Backup == FileName) {
            Free(Old);
        } else if (const int OldBackup = FindFile(Backup); OldBackup != 0) {
            Free(OldBackup);
            FDirectory.SetName(FindFile(FileName), EntryName, Backup, FileNameLength);
        } else if (FileCount() < MaxFiles) {
            FDirectory.SetName(Old, EntryName, Backup, FileNameLength);
        }
    }
    if (FileCount() >= MaxFiles) {
        FDirectory = Before;
        ShowVolumeFullMessage(Caption, VolumeName());
        return false;
    }
    int First = 0;
    int EntryIndex = 0;
    if (!FindFirstFit(Blocks, First, EntryIndex)) {
        FDirectory = Before;
        ShowNotEnoughRoomMessage(Caption, VolumeName());
        return false;
    }
    const int KeepFirst = std::max(First, OldFirst);
    const int KeepEnd = std::min(First + Blocks, OldEnd);
    std::string Kept(std::size_t(std::max(0, KeepEnd - KeepFirst)) * BlockSize, '\0');
    if (!ReadBytes(Kept.data(), BlockPosition(KeepFirst), std::ssize(Kept))) {
        FDirectory = Before;
        throw EVolumeError("Can't open file " + Quoted(FileName));
    }
    const auto PutBack = [&] {
        WriteBytes(Kept.data(), BlockPosition(KeepFirst), std::ssize(Kept));
    };
    if (!WriteBytes(Data.data(), BlockPosition(First), std::ssize(Data))) {
        PutBack();
        FDirectory = Before;
        throw EVolumeError("Can't write file " + Quoted(FileName) + " to volume " + VolumeName());
    }
    FDirectory.InsertEntry(EntryIndex);
    FDirectory.SetWord(EntryIndex, EntryFirstBlock, First);
    FDirectory.SetWord(EntryIndex, EntryEndBlock, First + Blocks);
    Stamp(EntryIndex);
    try {
        CommitDirectory(Before);
    } catch (const EVolumeError&) {
        PutBack();
        throw;
    }
    return true;
}

bool TVolume::CopyFileTo(int Index, std::string_view Name, int SubvolumeSize, TVolume& Target) {
    const bool MakeSubvolume = SubvolumeSize != 0;
    if (&Target != this)
        Reread();
    Target.PrepareChange();
    const std::string TargetName =
        MakeSubvolume ? UpperCase1252(Cut(Name, VolumeNameLength)) + std::string(SubvolumeExtension)
                      : StoredFileName(Name);
    if (Target.FindFile(TargetName) != 0)
        throw EVolumeError("Volume " + Target.VolumeName() + " already contains a file called " +
                           Quoted(TargetName));
    TFileInfo Source;
    if (MakeSubvolume) {
        if (Target.IsSubvolume())
            throw EVolumeError("Subvolumes can only be created in a major volume");
        if (SubvolumeSize < MinSubvolumeBlocks || SubvolumeSize > MaxVolumeBlocks)
            throw EVolumeError("A subvolume must have 10 to 32767 blocks");
    } else {
        Source = FileInfo(Index, Name);
        if (Target.IsSubvolume() &&
            (Source.Kind == fkSubvolume || EndsWith(Source.Name, SubvolumeExtension)))
            throw EVolumeError("Subvolumes can only be copied into a major volume");
    }
    if (Target.FileCount() >= MaxFiles) {
        ShowVolumeFullMessage(UnableToCopyFileCaption, Target.VolumeName());
        return false;
    }
    const int Needed = MakeSubvolume ? SubvolumeSize : Source.Blocks;
    int First = 0;
    int EntryIndex = 0;
    if (!Target.FindFirstFit(Needed, First, EntryIndex)) {
        ShowNotEnoughRoomMessage(UnableToCopyFileCaption, Target.VolumeName());
        return false;
    }
    if (MakeSubvolume) {
        Target.CreateSubvolume(Name, EntryIndex, Needed, First);
        return true;
    }
    std::string Data(std::size_t(Source.Blocks) * BlockSize, '\0');
    if (!ReadBytes(Data.data(), BlockPosition(Source.FirstBlock), std::ssize(Data)))
        throw EVolumeError("Can't open file " + Quoted(Source.Name));
    if (!Target.WriteBytes(Data.data(), Target.BlockPosition(First), std::ssize(Data)))
        throw EVolumeError("Can't write file " + Quoted(Source.Name) + " to volume " +
                           Target.VolumeName());
    const TDirectoryImage Before = Target.FDirectory;
    TDirectoryImage& D = Target.FDirectory;
    D.InsertEntry(EntryIndex);
    D.SetName(EntryIndex, EntryName, Source.Name, FileNameLength);
    D.SetWord(EntryIndex, EntryFirstBlock, First);
    D.SetWord(EntryIndex, EntryEndBlock, First + Source.Blocks);
    D.SetWord(EntryIndex, EntryLastBytes, Source.BytesInLastBlock);
    D.SetWord(EntryIndex, EntryDateWord, Source.DateWord);
    D.SetWord(EntryIndex, EntryKindWord, Source.KindWord);
    Target.CommitDirectory(Before);
    return true;
}

bool TVolume::IsSameVolumeAs(const TVolume& Other) const {
    if (&Other == this)
        return true;
    std::error_code Error;
    return FBase == Other.FBase && std::filesystem::equivalent(FPath, Other.FPath, Error);
}

bool TVolume::ReplaceFileIn(int Index, std::string_view Name, TVolume& Target) {
    if (&Target != this)
        Reread();
    Target.PrepareChange();
    const TFileInfo Source = FileInfo(Index, Name);
    if (IsSameVolumeAs(Target))
        throw EVolumeError("A file cannot be copied onto itself.");
    if (Target.IsSubvolume() &&
        (Source.Kind == fkSubvolume || EndsWith(Source.Name, SubvolumeExtension)))
        throw EVolumeError("Subvolumes can only be copied into a major volume");
    const std::string Data = [&] {
        std::string Bytes(std::size_t(Source.Blocks) * BlockSize, '\0');
        if (!ReadBytes(Bytes.data(), BlockPosition(Source.FirstBlock), std::ssize(Bytes)))
            throw EVolumeError("Can't open file " + Quoted(Source.Name));
        return Bytes;
    }();
    // The old file stays until the new data is on disk, so a refusal or a failure loses nothing.
    return Target.StoreFileData(Source.Name, Data, UnableToCopyFileCaption, {}, [&](int I) {
        TDirectoryImage& D = Target.FDirectory;
        D.SetName(I, EntryName, Source.Name, FileNameLength);
        D.SetWord(I, EntryLastBytes, Source.BytesInLastBlock);
        D.SetWord(I, EntryDateWord, Source.DateWord);
        D.SetWord(I, EntryKindWord, Source.KindWord);
    });
}

void TVolume::CreateSubvolume(std::string_view Name, int EntryIndex, int Blocks, int FirstBlock) {
    PrepareChange();
    if (IsSubvolume())
        throw EVolumeError("Subvolumes can only be created in a major volume");
    const std::string VolName = UpperCase1252(Cut(Name, VolumeNameLength));
    const std::string EntryName = VolName + std::string(SubvolumeExtension);
    if (VolName.empty())
        throw EVolumeError("A subvolume needs a name");
    if (FindFile(EntryName) != 0)
        throw EVolumeError("Volume " + VolumeName() + " already contains a file called " +
                           Quoted(EntryName));
    if (FileCount() >= MaxFiles)
        throw EVolumeError("Volume " + VolumeName() +
                           " contains the maximum number of files (77).");
    if (Blocks < MinSubvolumeBlocks || Blocks > MaxVolumeBlocks)
        throw EVolumeError("A subvolume must have 10 to 32767 blocks");
    if (EntryIndex < 1 || EntryIndex > FileCount() + 1)
        throw EVolumeError("File index out of range");
    const int RoomFrom = EntryIndex == 1 ? NextBlock() : FDirectory.EndBlock(EntryIndex - 1);
    const int RoomTo =
        EntryIndex <= FileCount() ? FDirectory.FirstBlock(EntryIndex) : EndOfVolume();
    if (FirstBlock < RoomFrom || FirstBlock + Blocks > RoomTo)
        throw EVolumeError("There is not enough room in volume " + VolumeName() + ".");
    if (!CreateVolumeHeader(*FFile, VolName, BlockPosition(FirstBlock), Blocks))
        throw EVolumeError("Can't write subvolume " + Quoted(EntryName));
    const TDirectoryImage Before = FDirectory;
    FDirectory.InsertEntry(EntryIndex);
    StampEntry(EntryIndex, EntryName, FirstBlock, Blocks, fkSubvolume);
    FDirectory.SetWord(EntryIndex, EntryLastBytes, BlockSize);
    CommitDirectory(Before);
}

// ---- Subvolume moves -------------------------------------------------------------------------

void TVolume::GrowSubvolume(std::string_view Name, int Blocks) {
    PrepareChange();
    if (Blocks < 0)
        throw EVolumeError("Block count out of range");
    const int S = FileIndexOf(0, Name);
    const std::string SubName = FDirectory.FileName(S);
    if (LastFileEnd() + Blocks > EndOfVolume())
        throw EVolumeError("There is not enough room in volume " + VolumeName() + ".");
    const std::string Activity = "expanding subvolume " + SubName;
    for (int I = FileCount(); I > S; --I)
        MoveFile(I, FDirectory.FirstBlock(I) + Blocks, Activity);
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetWord(S, EntryEndBlock, FDirectory.EndBlock(S) + Blocks);
    CommitDirectory(Before);
}

void TVolume::ShrinkSubvolume(std::string_view Name, int Blocks) {
    PrepareChange();
    const int S = FileIndexOf(0, Name);
    const std::string SubName = FDirectory.FileName(S);
    const int NewBlocks = FDirectory.Blocks(S) - Blocks;
    {
        // The subvolume's own directory must already fit the smaller extent.
        TSubvolume Sub(*this, SubName);
        if (Blocks < 0 || NewBlocks < FirstDataBlock || Sub.EndOfVolume() > NewBlocks ||
            Sub.IsDamaged())
            throw EVolumeError("Subvolume " + SubName + " can't be shrunk by " +
                               std::to_string(Blocks) + " blocks");
    }
    const TDirectoryImage Before = FDirectory;
    FDirectory.SetWord(S, EntryEndBlock, FDirectory.EndBlock(S) - Blocks);
    CommitDirectory(Before);
    const std::string Activity = "shrinking subvolume " + SubName;
    for (int I = S + 1; I <= FileCount(); ++I)
        MoveFile(I, FDirectory.FirstBlock(I) - Blocks, Activity);
}

void TVolume::ShrinkToFit() {
    Krunch();
    const int Delta = LastFileEnd() - EndOfVolume();
    if (Delta < 0)
        Shrink(Delta);
}

void TVolume::ShrinkTree() {
    PrepareChange();
    std::vector<std::string> Subvolumes;
    for (int I = 1; I <= FileCount(); ++I)
        if (FileInfo(I, {}).Kind == fkSubvolume)
            Subvolumes.push_back(FDirectory.FileName(I));
    for (const std::string& Name : Subvolumes) {
        TSubvolume Sub(*this, Name);
        Sub.ShrinkToFit();
    }
    ShrinkToFit();
}

// ---- Listing ---------------------------------------------------------------------------------

void TVolume::GrabListing(std::vector<std::string>& Lines) {
    Enumerate(false, [&](const TFileInfo& Info) {
        if (Info.Kind == fkSubvolume && NestingDepth() < MaxListedDepth) {
            TSubvolume Sub(*this, Info.Name);
            Sub.GrabListing(Lines);
            return true;
        }
        Lines.push_back(PadRight(PSystemNameToWindowsName(VolumeName() + ":"), 10) +
                        PadRight(PSystemNameToWindowsName(Info.Name), 17) + TwoDigits(Info.Day) +
                        "/" + TwoDigits(Info.Month) + "/" +
                        std::to_string(FourDigitYear(Info.Year)) + " " + TwoDigits(Info.Hour) +
                        ":" + TwoDigits(Info.Minute) + "  " + FPath.string());
        return true;
    });
    std::stable_sort(Lines.begin(), Lines.end(), [](const std::string& A, const std::string& B) {
        return CompareText1252(A, B) < 0;
    });
}

} // namespace korvid
