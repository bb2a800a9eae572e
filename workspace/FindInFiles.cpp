#include "workspace/FindInFiles.h"

#include "foundation/EncryptionEngine.h"
#include "foundation/Utf8Codec.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumePacking.h"
#include "psystem/VolumePath.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {
namespace {

using TClock = std::chrono::steady_clock;

bool IsWordChar(unsigned char C) {
    return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}

bool IsBlank(unsigned char C) {
    return C <= ' ';
}

bool BlankOnly(std::string_view S) {
    return std::all_of(S.begin(), S.end(), [](unsigned char C) { return IsBlank(C); });
}

std::string LowerExtensionOf(std::string_view Name) {
    const std::size_t Slash = Name.find_last_of('/');
    const std::size_t Dot = Name.find_last_of('.');
    if (Dot == std::string_view::npos || (Slash != std::string_view::npos && Dot < Slash))
        return {};
    return LowerCase1252(Name.substr(Dot));
}

std::string PadNumber(int Number) {
    std::string S = std::to_string(Number);
    if (S.size() < 6)
        S.insert(0, 6 - S.size(), ' ');
    return S;
}

std::string MatchCount(int Count) {
    return std::to_string(Count) + (Count == 1 ? " match" : " matches");
}

// Windows-1252 upper case as a table: the copy of every candidate line goes through it.
const std::array<char, 256>& UpperTable() {
    static const std::array<char, 256> Table = [] {
        std::array<char, 256> T{};
        for (int C = 0; C < 256; ++C)
            T[std::size_t(C)] = char(UpCase1252(static_cast<unsigned char>(C)));
        return T;
    }();
    return Table;
}

// A source of lines from a disk file read in blocks, cut by the opener's rules.
class TBlockLineReader {
public:
    static constexpr std::size_t BlockSize = 1024 * 1024;

    TBlockLineReader(const TLineSink& Line, const TLinePrefilter* Filter)
        : FLine(Line), FFilter(Filter && !Filter->Term.empty() ? Filter : nullptr) {
        if (!FFilter)
            return;
        // Horspool's shifts, over the raw bytes: a letter shifts as its other case does.
        const std::string& Term = FFilter->Term;
        const std::size_t N = Term.size();
        FShift.fill(N);
        const std::array<char, 256>& Upper = UpperTable();
        for (std::size_t I = 0; I + 1 < N; ++I) {
            for (int C = 0; C < 256; ++C) {
                const bool Same =
                    FFilter->FoldCase ? Upper[std::size_t(C)] == Term[I] : char(C) == Term[I];
                if (Same)
                    FShift[std::size_t(C)] = N - 1 - I;
            }
        }
    }

    // Feeds the text of a block; false once a NUL has ended the text.
    bool Feed(std::string_view Block) {
        if (const std::size_t Nul = Block.find('\0'); Nul != std::string_view::npos) {
            Take(Block.substr(0, Nul));
            return false;
        }
        Take(Block);
        return true;
    }

    void Finish() {
        if (FHeld)
            Emit(FPartial, true);
    }

    bool Utf8 = false;

private:
    // Where the term occurs next at or after Pos in the block (folded when case is ignored);
    // the block's size when it does not.
    std::size_t NextHit(std::size_t Pos) const {
        const std::string& Term = FFilter->Term;
        const std::size_t N = Term.size();
        const std::size_t Size = FView.size();
        const unsigned char* Data = reinterpret_cast<const unsigned char*>(FView.data());
        const std::array<char, 256>& Upper = UpperTable();
        const bool Fold = FFilter->FoldCase;
        const char Last = Term[N - 1];
        while (Pos + N <= Size) {
            const unsigned char End = Data[Pos + N - 1];
            if ((Fold ? Upper[End] : char(End)) == Last) {
                std::size_t I = 0;
                if (Fold) {
                    while (I + 1 < N && Upper[Data[Pos + I]] == Term[I])
                        ++I;
                } else {
                    while (I + 1 < N && char(Data[Pos + I]) == Term[I])
                        ++I;
                }
                if (I + 1 == N)
                    return Pos;
            }
            Pos += FShift[End];
        }
        return Size;
    }

    void Take(std::string_view Block) {
        // Lines of the block in which the term cannot occur skip the match rules.
        const bool Filtering = FFilter && !Utf8;
        std::size_t Hit = 0;
        if (Filtering) {
            FView = Block;
            Hit = NextHit(0);
        }
        std::size_t Pos = 0;
        if (FSkipLf && !Block.empty()) {
            if (Block[0] == '\n')
                Pos = 1;
            FSkipLf = false;
        }
        while (Pos < Block.size()) {
            const char* Begin = Block.data() + Pos;
            const std::size_t Left = Block.size() - Pos;
            const void* Lf = std::memchr(Begin, '\n', Left);
            std::size_t End = Lf ? std::size_t(static_cast<const char*>(Lf) - Begin) : Left;
            if (const void* Cr = std::memchr(Begin, '\r', End))
                End = std::size_t(static_cast<const char*>(Cr) - Begin);
            if (End == Left) {
                FPartial.append(Begin, Left);
                FHeld = true;
                return;
            }
            const std::string_view Piece(Begin, End);
            if (FHeld) {
                FPartial.append(Piece);
                Emit(FPartial, true);
            } else {
                bool MayMatch = true;
                if (Filtering) {
                    if (Hit < Pos)
                        Hit = NextHit(Pos);
                    MayMatch = Hit < Pos + End;
                }
                Emit(Piece, MayMatch);
            }
            Pos += End + 1;
            if (Begin[End] == '\r') {
                if (Pos < Block.size()) {
                    if (Block[Pos] == '\n')
                        ++Pos;
                } else {
                    FSkipLf = true;
                }
            }
        }
    }

    void Emit(std::string_view Line, bool MayMatch) {
        if (Utf8)
            Line = Utf8ToAnsiView(Line, FDecoded);
        if (Line.size() <= SearchedLineLength) {
            FLine(Line, MayMatch);
        } else {
            // Long lines are rare: cut them exactly as the opener does.
            TBinaryStrings Pieces;
            Pieces.SetText(Line);
            Pieces.SplitLongLines(SearchedLineLength);
            for (const std::string& Piece : Pieces.Lines())
                FLine(Piece, MayMatch);
        }
        FPartial.clear();
        FHeld = false;
    }

    const TLineSink& FLine;
    const TLinePrefilter* FFilter;
    std::array<std::size_t, 256> FShift{};
    std::string_view FView;
    std::string FPartial;
    std::string FDecoded;
    bool FHeld = false;
    bool FSkipLf = false;
};

class TFd {
public:
    explicit TFd(int Handle) : FHandle(Handle) {}
    ~TFd() {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FHandle; }

private:
    int FHandle;
};

// Reads up to Count bytes; -1 on an error.
long ReadSome(int Handle, char* Buffer, std::size_t Count) {
    std::size_t Done = 0;
    while (Done < Count) {
        const ssize_t N = ::read(Handle, Buffer + Done, Count - Done);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (N == 0)
            break;
        Done += std::size_t(N);
    }
    return long(Done);
}

// ---- The walk -------------------------------------------------------------------------------

class TSearch {
public:
    TSearch(const TFindSettings& Settings, const TFindHooks& Hooks)
        : FSettings(Settings), FHooks(Hooks), FMatcher(Settings),
          FContext(std::clamp(Settings.ContextLines, 0, 5)), FLastPump(TClock::now()) {
        FFilter.Term = FMatcher.PrefilterTerm();
        FFilter.FoldCase = !Settings.MatchCase;
    }

    TFindResults Run(const std::vector<TVolume*>& Volumes, const std::vector<std::string>& Files);

private:
    bool Stopped() {
        if (!FStopped && FHooks.KeepGoing && !FHooks.KeepGoing())
            FStopped = true;
        return FStopped;
    }
    // Lets events run when the interval has passed; true when the search was stopped.
    bool MaybePump() {
        const auto Now = TClock::now();
        if (FHooks.Pump && Now - FLastPump >= FHooks.PumpInterval) {
            FHooks.Pump(FResults.FilesSearched, FResults.Count);
            FLastPump = TClock::now();
        }
        return Stopped();
    }

    void SearchFolderTree(const std::string& Folder);
    void SearchVolumeFiles(TVolume& Volume, const std::string& Prefix);
    void SearchVolumeFile(TVolume& Volume, const std::string& Name, const std::string& Prefix);
    void SearchDiskFile(const std::string& Path, const std::string& DisplayName);
    void SearchEntry(const std::string& Entry);
    void SearchVolumeFolderFile(const std::string& Path, const std::string& Relative);

    // Per file: lines go through Line; matches are held until the file ends.
    void BeginFile(std::string DisplayName, std::string Path);
    void Line(std::string_view Text, bool MayMatch = true);
    void EndFile();
    void ReportVolumeError(const std::string& Message);

    const TFindSettings& FSettings;
    const TFindHooks& FHooks;
    TLineMatcher FMatcher;
    TLinePrefilter FFilter;
    const int FContext;
    std::vector<std::string> FExtensions;
    std::string FFolder;
    bool FSeveralVolumes = false;
    std::string FVolumeRelative; // of a volume met by the folder walk
    bool FStopped = false;
    TClock::time_point FLastPump;
    TFindResults FResults;

    // The file being searched.
    std::string FDisplayName;
    std::string FPath;
    int FLineNumber = 0;
    std::deque<std::string> FRecent; // the last FContext lines, nearest last
    std::vector<TMatch> FMatches;
    std::size_t FFirstOpen = 0; // first match still waiting for after-lines
};

TFindResults TSearch::Run(const std::vector<TVolume*>& Volumes,
                          const std::vector<std::string>& Files) {
    std::string Where;
    if (!Files.empty()) {
        for (const std::string& Entry : Files) {
            SearchEntry(Entry);
            if (MaybePump())
                break;
        }
    } else if (!Volumes.empty()) {
        FSeveralVolumes = Volumes.size() > 1;
        for (TVolume* Volume : Volumes) {
            const auto* Sub = dynamic_cast<const TSubvolume*>(Volume);
            SearchVolumeFiles(*Volume, Sub ? Sub->SubvolumeName() + ":" : std::string());
            if (MaybePump())
                break;
        }
        if (!FSeveralVolumes) {
            const TVolume& V = *Volumes.front();
            const auto* Sub = dynamic_cast<const TSubvolume*>(&V);
            Where = " in " + (Sub ? Sub->SubvolumeName() + " of " : std::string()) +
                    NameOfPath(V.VolumeFilePath());
        }
    } else {
        FExtensions = ParseExtensions(FSettings.Extensions);
        FFolder = FSettings.Folder;
        if (FFolder.empty() || FFolder.back() != '/')
            FFolder += '/';
        Where = " in " + NameOfPath(FFolder);
        SearchFolderTree(FFolder);
    }
    FResults.Aborted = Stopped();
    if (FResults.Count > 0) {
        std::string Header = MatchCount(FResults.Count) + " for \"" + FSettings.Text + "\"" + Where;
        if (FResults.Aborted)
            Header += " (aborted)";
        FResults.Lines[0] = std::move(Header);
    } else {
        FResults.Lines.clear();
        FResults.Sections.clear();
    }
    return std::move(FResults);
}

void TSearch::SearchFolderTree(const std::string& Folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> Dir(::opendir(Folder.c_str()), ::closedir);
    if (!Dir)
        return;
    while (const dirent* Entry = ::readdir(Dir.get())) {
        const std::string Name = Entry->d_name;
        if (Name == "." || Name == "..")
            continue;
        const std::string Path = Folder + Name;
        unsigned char Type = Entry->d_type;
        if (Type == DT_UNKNOWN || Type == DT_LNK) {
            struct stat Info {};
            // A link is followed to a file, never into a folder.
            if (::stat(Path.c_str(), &Info) != 0)
                Type = DT_UNKNOWN;
            else if (S_ISREG(Info.st_mode))
                Type = DT_REG;
            else if (S_ISDIR(Info.st_mode))
                Type = Entry->d_type == DT_LNK ? DT_LNK : DT_DIR;
            else
                Type = DT_UNKNOWN;
        }
        if (Type == DT_DIR) {
            if (Name != "_sgbak" && Name != ".svn")
                SearchFolderTree(Path + "/");
        } else if (Type == DT_REG) {
            const std::string Extension = LowerExtensionOf(Name);
            const bool Listed = FExtensions.empty()
                                    ? Extension != ".code" && Extension != ".korvidtabs"
                                    : std::find(FExtensions.begin(), FExtensions.end(),
                                                Extension) != FExtensions.end();
            if (Listed) {
                const std::string Relative = Path.substr(FFolder.size());
                if (FHooks.PSystemAware && Extension == ".vol")
                    SearchVolumeFolderFile(Path, Relative);
                else
                    SearchDiskFile(Path, NameOfPath(Relative));
            }
        }
        if (MaybePump())
            return;
    }
}

void TSearch::SearchVolumeFolderFile(const std::string& Path, const std::string& Relative) {
    try {
        TMajorVolume Volume(Path, false);
        FVolumeRelative = NameOfPath(Relative);
        SearchVolumeFiles(Volume, "");
        FVolumeRelative.clear();
    } catch (const std::exception& Error) {
        FVolumeRelative.clear();
        ReportVolumeError(Error.what());
    }
}

void TSearch::ReportVolumeError(const std::string& Message) {
    if (FHooks.ShowError)
        FHooks.ShowError(std::string(UnreadableVolumeCaption), UnreadableVolumeText(Message));
}

void TSearch::SearchVolumeFiles(TVolume& Volume, const std::string& Prefix) {
    for (const std::string& Name : Volume.SortedFileNames()) {
        const std::string Extension = LowerExtensionOf(Name);
        if (Extension == ".svol") {
            // Subvolumes nest one level only.
            if (!Volume.IsSubvolume()) {
                try {
                    TSubvolume Sub(Volume, Name);
                    SearchVolumeFiles(Sub, Name + ":");
                } catch (const std::exception& Error) {
                    ReportVolumeError(Error.what());
                }
            }
        } else if (Extension == ".text") {
            SearchVolumeFile(Volume, Name, Prefix);
        }
        if (MaybePump())
            return;
    }
}

void TSearch::SearchVolumeFile(TVolume& Volume, const std::string& Name,
                               const std::string& Prefix) {
    std::vector<std::string> Lines;
    try {
        Lines = Volume.ReadFileLines(0, Name);
    } catch (const std::exception& Error) {
        ReportVolumeError(Error.what());
        return;
    }
    std::string Display = Prefix + Name;
    const std::string VolumePath = NameOfPath(Volume.VolumeFilePath());
    if (!FVolumeRelative.empty())
        Display += " in " + FVolumeRelative;
    else if (FSeveralVolumes)
        Display += " in " + VolumePath;
    BeginFile(std::move(Display),
              Volume.VolumeFilePath().string() + VolumePathSeparator + Prefix + Name);
    for (const std::string& L : Lines)
        Line(L);
    EndFile();
}

void TSearch::SearchDiskFile(const std::string& Path, const std::string& DisplayName) {
    if (FHooks.PSystemAware && LowerExtensionOf(Path) == ".code") {
        std::vector<std::string> Lines;
        if (FHooks.ListCodeFile)
            FHooks.ListCodeFile(Path, Lines);
        BeginFile(DisplayName, Path);
        for (const std::string& L : Lines)
            Line(L);
        EndFile();
        return;
    }
    BeginFile(DisplayName, Path);
    const TLineSink Each = [this](std::string_view L, bool MayMatch) { Line(L, MayMatch); };
    const std::function<void()> Progress = [this] { MaybePump(); };
    ReadFileLines(Path, FHooks.PasswordPrompt, Each, Progress,
                  FFilter.Term.empty() ? nullptr : &FFilter);
    EndFile();
}

void TSearch::SearchEntry(const std::string& Entry) {
    if (const auto Volume = ParseVolumePath(Entry)) {
        try {
            std::unique_ptr<TVolume> Opened;
            if (!Volume->Subvolume.empty())
                Opened = std::make_unique<TSubvolume>(Volume->VolumeFile, false, Volume->Subvolume);
            else
                Opened = std::make_unique<TMajorVolume>(Volume->VolumeFile, false);
            const std::vector<std::string> Lines = Opened->ReadFileLines(0, Volume->FileName);
            BeginFile(NameOfPath(Entry), Entry);
            for (const std::string& L : Lines)
                Line(L);
            EndFile();
        } catch (const std::exception& Error) {
            ReportVolumeError(Error.what());
        }
        return;
    }
    struct stat Info {};
    if (::stat(Entry.c_str(), &Info) != 0 || !S_ISREG(Info.st_mode))
        return;
    SearchDiskFile(Entry, NameOfPath(Entry));
}

void TSearch::BeginFile(std::string DisplayName, std::string Path) {
    FDisplayName = std::move(DisplayName);
    FPath = std::move(Path);
    FLineNumber = 0;
    FRecent.clear();
    FMatches.clear();
    FFirstOpen = 0;
}

void TSearch::Line(std::string_view Text, bool MayMatch) {
    ++FLineNumber;
    if (FContext > 0) {
        for (std::size_t I = FFirstOpen; I < FMatches.size(); ++I)
            if (FMatches[I].Line < FLineNumber && int(FMatches[I].After.size()) < FContext)
                FMatches[I].After.emplace_back(Text);
        while (FFirstOpen < FMatches.size() && int(FMatches[FFirstOpen].After.size()) == FContext)
            ++FFirstOpen;
    }
    if (MayMatch && FMatcher.Matches(Text)) {
        TMatch Match(FDisplayName, FPath, FLineNumber, std::string(Text));
        for (auto It = FRecent.rbegin(); It != FRecent.rend(); ++It)
            Match.Before.push_back(*It);
        FMatches.push_back(std::move(Match));
    }
    if (FContext > 0) {
        FRecent.emplace_back(Text);
        if (int(FRecent.size()) > FContext)
            FRecent.pop_front();
    }
}

void TSearch::EndFile() {
    ++FResults.FilesSearched;
    if (FMatches.empty())
        return;
    std::vector<std::string>& Out = FResults.Lines;
    if (Out.empty())
        Out.resize(3); // the header and two empty lines
    Out.emplace_back();
    FResults.Sections.emplace_back(FPath, int(Out.size()));
    Out.push_back(FDisplayName + "  (" + MatchCount(int(FMatches.size())) + ")");
    if (FContext > 0)
        Out.emplace_back("------");
    for (const TMatch& M : FMatches) {
        for (std::size_t I = M.Before.size(); I-- > 0;)
            Out.push_back(PadNumber(M.Line - int(I) - 1) + " " + M.Before[I]);
        Out.push_back(PadNumber(M.Line) + " " + M.Text);
        for (std::size_t I = 0; I < M.After.size(); ++I)
            Out.push_back(PadNumber(M.Line + int(I) + 1) + " " + M.After[I]);
        if (FContext > 0)
            Out.emplace_back("------");
    }
    FResults.Count += int(FMatches.size());
    FMatches.clear();
}

} // namespace

// ---- Match rules ----------------------------------------------------------------------------

const std::array<std::string_view, LocationCount>& LocationNames() {
    static const std::array<std::string_view, LocationCount> Names{
        "0 - Anywhere",
        "1 - Start of line",
        "2 - Start of line, ignoring whitespace",
        "3 - End of line",
        "4 - End of line, ignoring whitespace",
        "5 - Whole line",
        "6 - Whole line, ignoring whitespace"};
    return Names;
}

bool MatchesLocation(std::size_t P, std::string_view Line, std::size_t TermLength, int Location) {
    const bool Start = P == 0;
    const bool StartIgnoringBlanks = Start || BlankOnly(Line.substr(0, P));
    const bool End = P + TermLength == Line.size();
    const bool EndIgnoringBlanks =
        End || (P + TermLength <= Line.size() && BlankOnly(Line.substr(P + TermLength)));
    switch (Location) {
    case 1:
        return Start;
    case 2:
        return StartIgnoringBlanks;
    case 3:
        return End;
    case 4:
        return EndIgnoringBlanks;
    case 5:
        return Start && End;
    case 6:
        return StartIgnoringBlanks && EndIgnoringBlanks;
    default:
        return true;
    }
}

bool IsInsideQuotes(std::size_t P, std::string_view Line) {
    bool InDouble = false;
    bool InSingle = false;
    bool AtP = false;
    for (std::size_t I = 0; I < Line.size(); ++I) {
        if (I == P)
            AtP = InDouble || InSingle;
        const char C = Line[I];
        if (C == '"' && !InSingle) {
            InDouble = !InDouble;
        } else if (C == '\'' && !InDouble) {
            if (!InSingle) {
                InSingle = true;
            } else if (I + 1 < Line.size() && Line[I + 1] == '\'') {
                if (I + 1 == P)
                    AtP = true;
                ++I; // an escaped quote inside the literal
            } else {
                InSingle = false;
            }
        }
    }
    if (InDouble || InSingle)
        return false;
    return AtP;
}

std::vector<std::string> ParseExtensions(std::string_view Text) {
    std::vector<std::string> Result;
    std::string Entry;
    const auto Flush = [&] {
        const auto First = Entry.find_first_not_of(" \t");
        if (First != std::string::npos) {
            std::string E = Entry.substr(First, Entry.find_last_not_of(" \t") - First + 1);
            if (E.front() != '.')
                E.insert(0, ".");
            Result.push_back(LowerCase1252(E));
        }
        Entry.clear();
    };
    for (const char C : Text) {
        if (C == ',' || C == ';')
            Flush();
        else
            Entry += C;
    }
    Flush();
    return Result;
}

TLineMatcher::TLineMatcher(const TFindSettings& Settings) : FSettings(Settings) {
    FTerm = Settings.MatchCase ? Settings.Text : UpperCase1252(Settings.Text);
    if (Settings.IgnoreUnderscores)
        std::erase(FTerm, '_');
    FEmptyTerm = Settings.Text.empty() && (Settings.Location == 5 || Settings.Location == 6);
    FPlain = Settings.MatchCase && !Settings.IgnoreUnderscores;
}

std::string_view TLineMatcher::CompareCopy(std::string_view Line) {
    if (FPlain)
        return Line;
    FCopy.resize(Line.size());
    const std::array<char, 256>& Upper = UpperTable();
    std::size_t Out = 0;
    for (const char C : Line) {
        if (FSettings.IgnoreUnderscores && C == '_')
            continue;
        FCopy[Out++] = FSettings.MatchCase ? C : Upper[static_cast<unsigned char>(C)];
    }
    FCopy.resize(Out);
    return FCopy;
}

bool TLineMatcher::Accepts(std::size_t P, std::string_view Copy) const {
    if (FSettings.WholeWords) {
        if (P > 0 && IsWordChar(static_cast<unsigned char>(Copy[P - 1])))
            return false;
        const std::size_t After = P + FTerm.size();
        if (After < Copy.size() && IsWordChar(static_cast<unsigned char>(Copy[After])))
            return false;
    }
    if (FSettings.Location != 0 && !MatchesLocation(P, Copy, FTerm.size(), FSettings.Location))
        return false;
    if (FSettings.QuotedOnly && !IsInsideQuotes(P, Copy))
        return false;
    return true;
}

std::string TLineMatcher::PrefilterTerm() const {
    if (FEmptyTerm || FSettings.IgnoreUnderscores)
        return {};
    return FTerm;
}

bool TLineMatcher::ContainsFolded(std::string_view Line) const {
    const std::size_t N = FTerm.size();
    if (Line.size() < N)
        return false;
    const std::array<char, 256>& Upper = UpperTable();
    const char* Data = Line.data();
    const std::size_t Last = Line.size() - N;
    // The next place of the first letter in each case, each found by one vectorised look.
    const auto Next = [&](char C, std::size_t From) {
        const void* Hit = From <= Last ? std::memchr(Data + From, C, Last + 1 - From) : nullptr;
        return Hit ? std::size_t(static_cast<const char*>(Hit) - Data) : Last + 1;
    };
    const char First = FTerm.front();
    const char Lower = char(LowCase1252(static_cast<unsigned char>(First)));
    std::size_t AtUpper = Next(First, 0);
    std::size_t AtLower = Lower == First ? Last + 1 : Next(Lower, 0);
    for (;;) {
        const std::size_t P = std::min(AtUpper, AtLower);
        if (P > Last)
            return false;
        if (P == AtUpper)
            AtUpper = Next(First, P + 1);
        else
            AtLower = Next(Lower, P + 1);
        std::size_t I = 1;
        while (I < N && Upper[static_cast<unsigned char>(Data[P + I])] == FTerm[I])
            ++I;
        if (I == N)
            return true;
    }
}

std::optional<std::pair<std::size_t, std::size_t>> TLineMatcher::Find(std::string_view Line) {
    if (FTerm.empty())
        return std::nullopt;
    const std::string_view Copy = CompareCopy(Line);
    std::size_t P = Copy.find(FTerm);
    while (P != std::string_view::npos && !Accepts(P, Copy))
        P = Copy.find(FTerm, P + 1);
    if (P == std::string_view::npos)
        return std::nullopt;
    if (!FSettings.IgnoreUnderscores)
        return std::pair{P, FTerm.size()};
    // The copy lacks the line's underscores: count them back in.
    const auto LineOffset = [Line](std::size_t CopyOffset) {
        std::size_t Kept = 0;
        for (std::size_t I = 0; I < Line.size(); ++I)
            if (Line[I] != '_' && Kept++ == CopyOffset)
                return I;
        return Line.size();
    };
    const std::size_t Start = LineOffset(P);
    return std::pair{Start, LineOffset(P + FTerm.size() - 1) + 1 - Start};
}

bool TLineMatcher::Matches(std::string_view Line) {
    if (FEmptyTerm) {
        if (FSettings.Location == 6)
            return BlankOnly(CompareCopy(Line));
        return CompareCopy(Line).empty();
    }
    if (FTerm.empty())
        return false;
    // Ignoring case, a look for the term in the line itself spares the copy of most lines.
    if (!FPlain && !FSettings.IgnoreUnderscores) {
        const bool Contains = ContainsFolded(Line);
        // Without rules to test, holding the term is the match.
        if (!Contains ||
            (!FSettings.WholeWords && FSettings.Location == 0 && !FSettings.QuotedOnly))
            return Contains;
    }
    const std::string_view Copy = CompareCopy(Line);
    // Every candidate is tested on the unchanged copy, the next one found after it.
    for (std::size_t P = Copy.find(FTerm); P != std::string_view::npos;
         P = Copy.find(FTerm, P + 1)) {
        if (Accepts(P, Copy))
            return true;
    }
    return false;
}

// ---- Reading ----------------------------------------------------------------------------------

bool ReadFileLines(const std::string& FileName, const TPasswordPrompt& Prompt,
                   const TLineSink& Line, const std::function<void()>& Progress,
                   const TLinePrefilter* Filter) {
    const TFd File(::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (File.Get() < 0)
        return false;
    struct stat Info {};
    if (::fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode))
        return false;
    // One block buffer for the whole run, never cleared: most files fit in it whole.
    thread_local const std::unique_ptr<char[]> Buffer =
        std::make_unique_for_overwrite<char[]>(TBlockLineReader::BlockSize);
    const std::string_view Block(Buffer.get(), TBlockLineReader::BlockSize);
    char* const Data = Buffer.get();
    long N = ReadSome(File.Get(), Data, Block.size());
    if (N < 0)
        return false;
    std::string_view First(Data, std::size_t(N));
    if (StartsWithEncryptedMarker(First)) {
        // Encrypted text is deciphered whole, as the opener does.
        std::string Bytes(First);
        for (;;) {
            N = ReadSome(File.Get(), Data, Block.size());
            if (N <= 0)
                break;
            Bytes.append(Data, std::size_t(N));
        }
        TBinaryStrings Lines;
        if (Prompt)
            Lines.PasswordPrompt = Prompt;
        bool Asterisks = true;
        std::string Password;
        if (Lines.LoadFromBytes(std::move(Bytes), FileName, Asterisks, Password) ==
            TLoadResult::Cancelled)
            return false;
        Lines.SplitLongLines(SearchedLineLength);
        for (const std::string& L : Lines.Lines())
            Line(L, true);
        return true;
    }
    TBlockLineReader Reader(Line, Filter);
    static constexpr std::string_view Mark = "\xEF\xBB\xBF";
    if (First.starts_with(Mark)) {
        Reader.Utf8 = true;
        First.remove_prefix(Mark.size());
    }
    bool More = Reader.Feed(First);
    while (More && std::size_t(N) == Block.size()) {
        if (Progress)
            Progress();
        N = ReadSome(File.Get(), Data, Block.size());
        if (N < 0)
            break;
        More = Reader.Feed(std::string_view(Data, std::size_t(N)));
    }
    Reader.Finish();
    return N >= 0;
}

std::string UnreadableVolumeText(std::string_view Error) {
    return std::string(Error) + "\r\rAny remaining files will still be searched.";
}

TFindResults FindInFiles(const std::vector<TVolume*>& Volumes,
                         const std::vector<std::string>& Files, const TFindSettings& Settings,
                         const TFindHooks& Hooks) {
    return TSearch(Settings, Hooks).Run(Volumes, Files);
}

} // namespace korvid
