#include "psystem/VolumePacking.h"

#include "foundation/BinaryStrings.h"
#include "foundation/TextFileWriter.h"
#include "foundation/Utf8Codec.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"
#include "psystem/TextKind.h"
#include "psystem/VolumeMessages.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <unistd.h>

namespace korvid {

namespace fs = std::filesystem;

namespace {

constexpr int MinPackedEntries = 20;
// Outside the usable area of every volume the program creates.
constexpr int OutsideBlocks = 6;
constexpr std::size_t MaxPackedFileName = 13;
constexpr std::size_t MaxPackedFolderName = 7;
constexpr std::string_view PackedExtension = ".vp";
constexpr std::string_view TextFileExtension = ".TEXT";
constexpr std::string_view BeginInterface = "[[[--->>> BEGIN INTERFACE ";
constexpr std::string_view EndInterface = "[[[--->>> END INTERFACE ";

int BlocksOf(std::uintmax_t Bytes) {
    return static_cast<int>(
        std::min<std::uintmax_t>((Bytes + BlockSize - 1) / BlockSize, MaxBlockNumber));
}

std::string Stem(std::string_view Name) {
    const std::size_t Dot = Name.rfind('.');
    return std::string(Name.substr(0, Dot == std::string_view::npos ? Name.size() : Dot));
}

std::string LowerExtension(std::string_view Name) {
    const std::size_t Dot = Name.rfind('.');
    return Dot == std::string_view::npos ? std::string() : LowerCase1252(Name.substr(Dot));
}

std::string Trimmed(std::string_view Text) {
    const auto IsBlank = [](char C) { return static_cast<unsigned char>(C) <= ' '; };
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return std::string(Text);
}

// ---- Packing ---------------------------------------------------------------------------------

std::vector<std::string> LoadPackedText(const fs::path& Path) {
    TBinaryStrings Text;
    bool ShowAsterisks = true;
    std::string Password;
    if (Text.LoadFromFile(Path, ShowAsterisks, Password) == TLoadResult::Cancelled)
        throw EFileOpenError("The file \"" + Path.string() +
                             "\" was not packed: its password was not given.");
    return std::move(Text.Lines());
}

TPackEntry ScanFile(const fs::directory_entry& Item, const std::string& Name) {
    TPackEntry Entry;
    Entry.Path = Item.path();
    Entry.Name = Name;
    Entry.Lines = LoadPackedText(Item.path());
    Entry.EstimatedBlocks = BlocksOf(Item.file_size()) + 2;
    Entry.NeededBlocks =
        int(EncodePSystemText(Entry.Lines, nullptr).Data.size() / std::size_t(BlockSize));
    return Entry;
}

std::string PackedFileName(const TPackEntry& Entry) {
    return UpperCase1252(Stem(Entry.Name)) + std::string(TextFileExtension);
}

std::string PackedSubvolumeName(const TPackEntry& Entry) {
    return UpperCase1252(Entry.Name);
}

// The names the entries take in the volume; false after a message when two are the same.
bool CheckNameCollisions(const std::vector<TPackEntry>& Entries) {
    std::map<std::string, const TPackEntry*> Taken;
    for (const TPackEntry& Entry : Entries) {
        if (Entry.IsFolder && Entry.Files.empty())
            continue;
        const std::string Name = Entry.IsFolder
                                     ? PackedSubvolumeName(Entry) + std::string(SubvolumeExtension)
                                     : PackedFileName(Entry);
        const auto [Place, Added] = Taken.emplace(Name, &Entry);
        if (!Added) {
            ShowPackFilesMessage("Both \"" + Place->second->Name + "\" and \"" + Entry.Name +
                                 "\" would be packed as " + Name + ".");
            return false;
        }
    }
    return true;
}

// Removes the file being built unless it was put in place.
class TTemporaryVolume {
public:
    explicit TTemporaryVolume(fs::path Path) : FPath(std::move(Path)) {}
    ~TTemporaryVolume() {
        std::error_code Ignored;
        if (!FKept)
            fs::remove(FPath, Ignored);
    }
    TTemporaryVolume(const TTemporaryVolume&) = delete;
    TTemporaryVolume& operator=(const TTemporaryVolume&) = delete;

    const fs::path& Path() const { return FPath; }
    bool MoveTo(const fs::path& Target) {
        std::error_code Error;
        fs::rename(FPath, Target, Error);
        FKept = !Error;
        return FKept;
    }

private:
    fs::path FPath;
    bool FKept = false;
};

// ---- Unpacking -------------------------------------------------------------------------------

// A name from a volume as one path component: nothing in it may lead out of the folder.
std::string SafeComponent(std::string_view Name) {
    std::string Safe(Name);
    for (char& C : Safe) {
        const auto Code = static_cast<unsigned char>(C);
        if (C == '/' || C == '\\' || Code < ' ' || Code == 0x7F)
            C = '_';
    }
    return Safe;
}

bool IsUsableComponent(std::string_view Name) {
    return !Name.empty() && Name != "." && Name != "..";
}

bool IsDeviceName(std::string_view Name) {
    const std::string Upper = UpperCase1252(Name);
    return Upper.starts_with("CON.") || Upper.starts_with("PRN.") || Upper.starts_with("AUX.") ||
           Upper.starts_with("NUL.");
}

void SetFileDate(const fs::path& Path, const TFileInfo& Info) {
    if (Info.Hour < 0 || Info.Month < 1 || Info.Month > 12 || Info.Day < 1 || Info.Day > 31)
        return; // the file keeps the time of writing
    std::tm Moment{};
    Moment.tm_year = FourDigitYear(Info.Year) - 1900;
    Moment.tm_mon = Info.Month - 1;
    Moment.tm_mday = Info.Day;
    Moment.tm_hour = Info.Hour;
    Moment.tm_min = Info.Minute;
    Moment.tm_isdst = -1;
    const std::time_t Time = std::mktime(&Moment);
    if (Time == std::time_t(-1))
        return;
    std::error_code Ignored;
    fs::last_write_time(
        Path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(Time)),
        Ignored);
}

void WriteLines(const fs::path& Path, const std::vector<std::string>& Lines) {
    WriteTextFile(Path, Lines, TTextFileOptions{});
}

void CopyRaw(TVolume& V, const TFileInfo& Info, const fs::path& Path) {
    WriteFileAtomically(Path, V.ReadFileData(Info.Index, {}));
    SetFileDate(Path, Info);
}

bool BelongsToSWVolume(const TVolume& V) {
    if (V.VolumeName().starts_with("SW"))
        return true;
    const auto* Sub = dynamic_cast<const TSubvolume*>(&V);
    return Sub && Sub->Parent().VolumeName().starts_with("SW");
}

void UnpackText(TVolume& V, const TFileInfo& Info, const fs::path& Folder,
                const std::string& WindowsName, int Mode) {
    const std::vector<std::string> Lines = V.ReadFileLines(Info.Index, {});
    std::string OutName = WindowsName;
    if (Mode != umAllFilesRaw) {
        int Kind = DetectTextKind(Info.Name, Lines, true);
        if (Kind == tkLorvanta && BelongsToSWVolume(V))
            Kind = tkOtherLorvanta;
        OutName = Stem(WindowsName) + TextKindExtension(Kind);
    }
    const fs::path Path = Folder / PathOfName(OutName);
    WriteLines(Path, Lines);
    SetFileDate(Path, Info);
}

void UnpackInterfaces(TVolume& V, const TFileInfo& Info, const fs::path& Folder) {
    const std::string FolderName = SafeComponent(PSystemNameToWindowsName(V.VolumeName()));
    if (!IsUsableComponent(FolderName))
        return;
    const fs::path OutFolder = Folder / PathOfName(FolderName);
    std::vector<std::string> Section;
    bool InSection = false;
    for (const std::string& Line : V.ReadFileLines(Info.Index, {})) {
        if (Line.starts_with(BeginInterface)) {
            Section.clear();
            InSection = true;
        } else if (Line.starts_with(EndInterface)) {
            if (!InSection)
                continue;
            InSection = false;
            const std::string Name = SafeComponent(Trimmed(Line.substr(EndInterface.size())));
            if (Name.empty() || !IsUsableComponent(Name + ".txt"))
                continue;
            const fs::path Path = OutFolder / PathOfName(Name + ".txt");
            fs::create_directories(OutFolder);
            if (fs::exists(Path) && !AskOverwriteFile(Info.Name, NameOfPath(Path)))
                continue;
            WriteLines(Path, Section);
        } else if (InSection) {
            Section.push_back(Line);
        }
    }
}

void UnpackSubvolume(TVolume& V, const TFileInfo& Info, const fs::path& Folder,
                     const std::string& WindowsName, int Mode) {
    // Subvolumes lie directly in a major volume; a deeper one is never followed.
    if (V.IsSubvolume())
        return;
    fs::path Target = Folder;
    if (Mode == umAllFilesRaw) {
        Target = Folder / PathOfName(UpperCase1252(WindowsName));
    } else if (Mode != umInterfaces) {
        const std::string Name = Stem(WindowsName);
        if (!IsUsableComponent(Name))
            return;
        Target = Folder / PathOfName(Name);
    }
    TSubvolume Sub(V, Info.Name); // shares the parent's file and its mode
    Sub.Unpack(Target, Mode);
}

void UnpackFile(TVolume& V, const TFileInfo& Info, const fs::path& Folder, int Mode) {
    std::string WindowsName = SafeComponent(
        Mode == umAllFilesRaw ? LowerCase1252(Info.Name) : PSystemNameToWindowsName(Info.Name));
    if (IsDeviceName(WindowsName))
        WindowsName = "___" + WindowsName;
    if (!IsUsableComponent(WindowsName))
        return;
    const bool AllFiles = Mode == umAllFiles || Mode == umAllFilesRaw;
    switch (Info.Kind) {
    case fkCode:
        if (Mode == umInterfaces)
            UnpackInterfaces(V, Info, Folder);
        else if (AllFiles)
            CopyRaw(V, Info, Folder / PathOfName(WindowsName));
        break;
    case fkText:
        if (Mode == umInterfaces || (!AllFiles && UpperCase1252(Info.Name).ends_with(".BACK")))
            break;
        UnpackText(V, Info, Folder, WindowsName, Mode);
        break;
    case fkData:
        if (AllFiles)
            CopyRaw(V, Info, Folder / PathOfName(WindowsName));
        break;
    case fkSubvolume:
        UnpackSubvolume(V, Info, Folder, WindowsName, Mode);
        break;
    default:
        break;
    }
}

} // namespace

std::filesystem::path PathOfName(const std::string& Name) {
    const std::string Utf8 = AnsiToUtf8Text(Name);
    return fs::path(std::u8string(Utf8.begin(), Utf8.end()));
}

std::string NameOfPath(const std::filesystem::path& Path) {
    const std::u8string Utf8 = Path.u8string();
    return Utf8ToAnsiText(std::string(Utf8.begin(), Utf8.end()));
}

// ---- Packing ---------------------------------------------------------------------------------

void ScanPackFolder(const fs::path& Folder, bool Nested, TPackList& List) {
    for (const fs::directory_entry& Item : fs::directory_iterator(Folder)) {
        const std::string Name = NameOfPath(Item.path().filename());
        if (Name.find(' ') != std::string::npos)
            continue;
        if (Item.is_directory()) {
            if (Nested || Name.size() > MaxPackedFolderName)
                continue;
            TPackEntry Entry;
            Entry.Path = Item.path();
            Entry.Name = Name;
            Entry.IsFolder = true;
            TPackList Sub;
            ScanPackFolder(Item.path(), true, Sub);
            Entry.Files = std::move(Sub.Entries);
            Entry.EstimatedBlocks = Sub.EstimatedBlocks + OutsideBlocks;
            Entry.NeededBlocks = Entry.Files.empty() ? 0 : PackVolumeSize(Sub);
            List.FileCount += Sub.FileCount;
            List.EstimatedBlocks += Entry.EstimatedBlocks;
            List.NeededBlocks += Entry.NeededBlocks;
            List.Entries.push_back(std::move(Entry));
        } else if (Item.is_regular_file() && Name.size() <= MaxPackedFileName &&
                   LowerExtension(Name) == PackedExtension) {
            TPackEntry Entry = ScanFile(Item, Name);
            ++List.FileCount;
            List.EstimatedBlocks += Entry.EstimatedBlocks;
            List.NeededBlocks += Entry.NeededBlocks;
            List.Entries.push_back(std::move(Entry));
        }
    }
    std::sort(List.Entries.begin(), List.Entries.end(),
              [](const TPackEntry& A, const TPackEntry& B) {
                  const int Order = CompareText1252(A.Name, B.Name);
                  return Order != 0 ? Order < 0 : A.Name < B.Name;
              });
}

int PackVolumeSize(const TPackList& List) {
    const int Estimate =
        std::max(MinPackedEntries, List.FileCount) + List.EstimatedBlocks + OutsideBlocks;
    return std::max(Estimate, FirstDataBlock + List.NeededBlocks + OutsideBlocks);
}

bool PackFolderIntoVolume(TVolume& V, const std::vector<TPackEntry>& Entries) {
    if (std::ssize(Entries) > MaxFiles) {
        ShowPackFilesMessage("Too many files in volume " + V.VolumeName());
        return false;
    }
    if (!CheckNameCollisions(Entries))
        return false;
    for (const TPackEntry& Entry : Entries) {
        if (!Entry.IsFolder) {
            if (!V.SaveTextFile(PackedFileName(Entry), Entry.Lines, false))
                return false;
            continue;
        }
        if (Entry.Files.empty())
            continue;
        const std::string Name = PackedSubvolumeName(Entry);
        if (!V.CopyFileTo(0, Name, Entry.NeededBlocks, V))
            return false;
        TSubvolume Subvolume(V, Name + std::string(SubvolumeExtension));
        if (!PackFolderIntoVolume(Subvolume, Entry.Files))
            return false;
    }
    return true;
}

bool PackFiles(const fs::path& Folder, const fs::path& VolumeFile) {
    TPackList List;
    ScanPackFolder(Folder, false, List);
    const std::string VolumeName = UpperCase1252(NameOfPath(VolumeFile.stem()));
    const fs::path Parent = VolumeFile.has_parent_path() ? VolumeFile.parent_path() : ".";
    TTemporaryVolume Temp(Parent / ("." + VolumeFile.filename().string() + ".packing." +
                                    std::to_string(::getpid()) + ".tmp"));
    const std::string CantCreate = "Unable to create file \"" + NameOfPath(VolumeFile) + "\".";
    if (!CreateVolumeFile(Temp.Path(), VolumeName, PackVolumeSize(List))) {
        ShowPackFilesMessage(CantCreate);
        return false;
    }
    {
        TMajorVolume V(Temp.Path(), true);
        if (!PackFolderIntoVolume(V, List.Entries))
            return false;
        if (!V.FileHandle()->Sync())
            throw EVolumeError("Can't write volume directory");
    }
    if (!Temp.MoveTo(VolumeFile)) {
        ShowPackFilesMessage(CantCreate);
        return false;
    }
    return true;
}

// ---- Unpacking -------------------------------------------------------------------------------

void TVolume::Unpack(const fs::path& Folder, int Mode) {
    const TBusyCursor Busy;
    if (Mode != umInterfaces)
        fs::create_directories(Folder);
    std::vector<TFileInfo> Files;
    Enumerate(false, [&Files](const TFileInfo& Info) {
        Files.push_back(Info);
        return true;
    });
    for (const TFileInfo& Info : Files)
        UnpackFile(*this, Info, Folder, Mode);
}

void UnpackVolumesInFolder(const fs::path& SourceFolder, const fs::path& TargetFolder) {
    // Listed first: unpacking may itself write ".vol" files into the walked tree.
    std::vector<fs::path> Volumes;
    for (const fs::directory_entry& Item : fs::recursive_directory_iterator(
             SourceFolder, fs::directory_options::skip_permission_denied))
        if (Item.is_regular_file() && LowerExtension(NameOfPath(Item.path().filename())) == ".vol")
            Volumes.push_back(Item.path());
    std::sort(Volumes.begin(), Volumes.end());
    for (const fs::path& Path : Volumes) {
        const fs::path Relative = Path.parent_path().lexically_relative(SourceFolder);
        const fs::path Target =
            TargetFolder / Relative /
            PathOfName(SafeComponent(PSystemNameToWindowsName(NameOfPath(Path.stem()))));
        TMajorVolume V(Path, false);
        V.Unpack(Target, umAllFiles);
    }
}

} // namespace korvid
