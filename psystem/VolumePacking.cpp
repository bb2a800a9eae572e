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
#include <set>
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

// What a run does with a file of the volume.
enum class TUnpackAction { Skip, Interfaces, Raw, Text, Subvolume };

// A file of the volume with the name it is written under.
struct TUnpackItem {
    TFileInfo Info;
    TUnpackAction Action = TUnpackAction::Skip;
    std::vector<std::string> Lines; // a text file's, read before anything is written
    std::string PlainName;          // the name it takes when no other file has it
    std::string WholeName;          // from the file's whole name, when the plain one is taken
    std::string Name;               // the name planned for it
};

TUnpackAction ActionOf(const TVolume& V, const TFileInfo& Info, int Mode) {
    const bool AllFiles = Mode == umAllFiles || Mode == umAllFilesRaw;
    switch (Info.Kind) {
    case fkCode:
        return Mode == umInterfaces ? TUnpackAction::Interfaces
               : AllFiles           ? TUnpackAction::Raw
                                    : TUnpackAction::Skip;
    case fkText:
        if (Mode == umInterfaces || (!AllFiles && UpperCase1252(Info.Name).ends_with(".BACK")))
            return TUnpackAction::Skip;
        return TUnpackAction::Text;
    case fkData:
        return AllFiles ? TUnpackAction::Raw : TUnpackAction::Skip;
    case fkSubvolume:
        // Subvolumes lie directly in a major volume; a deeper one is never followed.
        return V.IsSubvolume() ? TUnpackAction::Skip : TUnpackAction::Subvolume;
    default:
        return TUnpackAction::Skip;
    }
}

TUnpackItem PlanItem(TVolume& V, const TFileInfo& Info, int Mode) {
    TUnpackItem Item;
    Item.Info = Info;
    std::string WindowsName = SafeComponent(
        Mode == umAllFilesRaw ? LowerCase1252(Info.Name) : PSystemNameToWindowsName(Info.Name));
    if (IsDeviceName(WindowsName))
        WindowsName = "___" + WindowsName;
    if (!IsUsableComponent(WindowsName))
        return Item;
    Item.Action = ActionOf(V, Info, Mode);
    Item.PlainName = Item.WholeName = WindowsName;
    switch (Item.Action) {
    case TUnpackAction::Text:
        Item.Lines = V.ReadFileLines(Info.Index, {});
        if (Mode != umAllFilesRaw) {
            int Kind = DetectTextKind(Info.Name, Item.Lines, true);
            if (Kind == tkLorvanta && BelongsToSWVolume(V))
                Kind = tkOtherLorvanta;
            const std::string Extension = TextKindExtension(Kind);
            Item.PlainName = Stem(WindowsName) + Extension;
            Item.WholeName = WindowsName + Extension;
        }
        break;
    case TUnpackAction::Subvolume:
        if (Mode == umAllFilesRaw) {
            Item.PlainName = Item.WholeName = UpperCase1252(WindowsName);
        } else if (Mode == umInterfaces) {
            Item.PlainName.clear(); // its interfaces go into the folder itself
        } else {
            Item.PlainName = Stem(WindowsName);
            if (!IsUsableComponent(Item.PlainName))
                Item.Action = TUnpackAction::Skip;
        }
        break;
    case TUnpackAction::Interfaces:
        Item.PlainName.clear(); // they name their own files
        break;
    default:
        break;
    }
    return Item;
}

// Name with " (N)" before its extension.
std::string NumberedName(std::string_view Name, int N) {
    const std::size_t Dot = Name.rfind('.');
    const std::size_t At = Dot == std::string_view::npos || Dot == 0 ? Name.size() : Dot;
    return std::string(Name.substr(0, At)) + " (" + std::to_string(N) + ")" +
           std::string(Name.substr(At));
}

// The first of the plain name, the whole name and the numbered whole names that Taken does
// not hold yet, compared without regard to case; it is taken.
std::string TakeFreeName(std::string_view PlainName, std::string_view WholeName,
                         std::set<std::string>& Taken) {
    const auto Take = [&Taken](std::string_view Name) {
        return Taken.insert(UpperCase1252(Name)).second;
    };
    if (Take(PlainName))
        return std::string(PlainName);
    if (Take(WholeName))
        return std::string(WholeName);
    for (int N = 2;; ++N)
        if (std::string Name = NumberedName(WholeName, N); Take(Name))
            return Name;
}

// Gives every file of a run a name of its own before anything is written: ".TEXT" files first,
// so a text keeps its plain name whatever the directory order.
void PlanNames(std::vector<TUnpackItem>& Items) {
    std::set<std::string> Taken;
    for (const bool TextFiles : {true, false})
        for (TUnpackItem& Item : Items)
            if (!Item.PlainName.empty() && Item.Action != TUnpackAction::Skip &&
                UpperCase1252(Item.Info.Name).ends_with(TextFileExtension) == TextFiles)
                Item.Name = TakeFreeName(Item.PlainName, Item.WholeName, Taken);
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

void UnpackItem(TVolume& V, const TUnpackItem& Item, const fs::path& Folder, int Mode,
                std::vector<TRenamedFile>& Renamed) {
    const fs::path Path = Folder / PathOfName(Item.Name);
    switch (Item.Action) {
    case TUnpackAction::Interfaces:
        UnpackInterfaces(V, Item.Info, Folder);
        return;
    case TUnpackAction::Raw:
        CopyRaw(V, Item.Info, Path);
        break;
    case TUnpackAction::Text:
        WriteLines(Path, Item.Lines);
        SetFileDate(Path, Item.Info);
        break;
    case TUnpackAction::Subvolume: {
        TSubvolume Sub(V, Item.Info.Name); // shares the parent's file and its mode
        std::vector<TRenamedFile> Inner = Sub.Unpack(Mode == umInterfaces ? Folder : Path, Mode);
        Renamed.insert(Renamed.end(), Inner.begin(), Inner.end());
        break;
    }
    case TUnpackAction::Skip:
        return;
    }
    if (Item.Name != Item.PlainName)
        Renamed.push_back({Item.Info.Name, Path});
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

std::vector<TRenamedFile> TVolume::Unpack(const fs::path& Folder, int Mode) {
    const TBusyCursor Busy;
    if (Mode != umInterfaces)
        fs::create_directories(Folder);
    std::vector<TUnpackItem> Items;
    Enumerate(false, [this, &Items, Mode](const TFileInfo& Info) {
        Items.push_back(PlanItem(*this, Info, Mode));
        return true;
    });
    PlanNames(Items);
    std::vector<TRenamedFile> Renamed;
    for (const TUnpackItem& Item : Items)
        UnpackItem(*this, Item, Folder, Mode, Renamed);
    return Renamed;
}

std::vector<TRenamedFile> UnpackVolumesInFolder(const fs::path& SourceFolder,
                                                const fs::path& TargetFolder) {
    // Listed first: unpacking may itself write ".vol" files into the walked tree.
    std::vector<fs::path> Volumes;
    for (const fs::directory_entry& Item : fs::recursive_directory_iterator(
             SourceFolder, fs::directory_options::skip_permission_denied))
        if (Item.is_regular_file() && LowerExtension(NameOfPath(Item.path().filename())) == ".vol")
            Volumes.push_back(Item.path());
    std::sort(Volumes.begin(), Volumes.end());
    // Volumes whose names differ only in case would unpack into one folder.
    std::map<fs::path, std::set<std::string>> TakenIn;
    std::vector<TRenamedFile> Renamed;
    for (const fs::path& Path : Volumes) {
        const fs::path Relative = Path.parent_path().lexically_relative(SourceFolder);
        const std::string FileName = NameOfPath(Path.filename());
        const std::string PlainName = SafeComponent(PSystemNameToWindowsName(Stem(FileName)));
        const std::string Name = TakeFreeName(
            PlainName, SafeComponent(PSystemNameToWindowsName(FileName)), TakenIn[Relative]);
        const fs::path Target = TargetFolder / Relative / PathOfName(Name);
        if (Name != PlainName)
            Renamed.push_back({FileName, Target});
        TMajorVolume V(Path, false);
        std::vector<TRenamedFile> Inner = V.Unpack(Target, umAllFiles);
        Renamed.insert(Renamed.end(), Inner.begin(), Inner.end());
    }
    return Renamed;
}

} // namespace korvid
