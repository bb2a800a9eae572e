#include "workspace/FindInFiles.h"

#include "foundation/EncryptionEngine.h"
#include "foundation/Utf8Codec.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumePacking.h"
#include "psystem/VolumePath.h"
#include "workspace/TermScanner.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {
namespace {

using TClock = std::chrono::steady_clock;

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

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

// The bytes before the first CR or LF of Size bytes at Begin; Size when there is none.
std::size_t TextLength(const char* Begin, std::size_t Size) {
    const void* Lf = std::memchr(Begin, '\n', Size);
    const std::size_t ToLf = Lf ? std::size_t(static_cast<const char*>(Lf) - Begin) : Size;
    const void* Cr = std::memchr(Begin, '\r', ToLf);
    return Cr ? std::size_t(static_cast<const char*>(Cr) - Begin) : ToLf;
}

// Hands a line on as the lines the opener makes of it: long ones are cut.
template <typename TEach> void ForEachPiece(std::string_view Line, TEach&& Each) {
    if (Line.size() <= SearchedLineLength) {
        Each(Line);
        return;
    }
    // Long lines are rare: cut them exactly as the opener does.
    TBinaryStrings Pieces;
    Pieces.SetText(Line);
    Pieces.SplitLongLines(SearchedLineLength);
    for (const std::string& Piece : Pieces.Lines())
        Each(std::string_view(Piece));
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
            const std::size_t End = TextLength(Begin, Left);
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
        ForEachPiece(Line, [&](std::string_view Piece) { FLine(Piece, MayMatch); });
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

// ---- Reading ---------------------------------------------------------------------------------

// A small file is searched whole: the lines before a hit of the term are only counted.
struct TWholeFileScan {
    static constexpr std::size_t Limit = 8 * 1024 * 1024;
    const TTermScanner& Term;
    std::function<void(int Lines)> Skip;
};

// The end of the line starting at Pos (before its CR, LF or CR LF) and the start of the next.
std::pair<std::size_t, std::size_t> LineAt(std::string_view Text, std::size_t Pos) {
    const char* Begin = Text.data() + Pos;
    const std::size_t Left = Text.size() - Pos;
    const std::size_t End = TextLength(Begin, Left);
    if (End == Left)
        return {Text.size(), Text.size()};
    std::size_t Next = Pos + End + 1;
    if (Begin[End] == '\r' && Next < Text.size() && Text[Next] == '\n')
        ++Next;
    return {Pos + End, Next};
}

// The text of a whole file (cut at its first NUL), by the rules of TBlockLineReader.
void ScanWholeText(std::string_view Text, const TWholeFileScan& Scan, const TLineSink& Line) {
    std::size_t Pos = 0;
    while (Pos < Text.size()) {
        const std::size_t Hit = Scan.Term.Find(Text, Pos);
        if (Hit == std::string_view::npos)
            return; // the line numbers after the last hit matter to no one
        std::size_t Start = Hit;
        while (Start > Pos && Text[Start - 1] != '\n' && Text[Start - 1] != '\r')
            --Start;
        // The lines before the hit's are counted in bulk, unless one may be cut as long.
        if (const auto Ends = CountShortLines(Text.substr(Pos, Start - Pos))) {
            Scan.Skip(int(*Ends));
            Pos = Start;
        }
        int Passed = 0;
        for (; Pos < Start; Pos = LineAt(Text, Pos).second)
            ForEachPiece(Text.substr(Pos, LineAt(Text, Pos).first - Pos),
                         [&](std::string_view) { ++Passed; });
        Scan.Skip(Passed);
        const auto [End, Next] = LineAt(Text, Start);
        ForEachPiece(Text.substr(Start, End - Start),
                     [&](std::string_view Piece) { Line(Piece, true); });
        Pos = Next;
    }
}

// Reads a small file whole into this thread's buffer; false when it is not to be scanned so
// (encrypted, UTF-8 or grown), the file then being back at its start.
std::optional<TFileRead> ScanWholeFile(int File, std::size_t Size, const TWholeFileScan& Scan,
                                       const TLineSink& Line) {
    thread_local std::unique_ptr<char[]> Buffer;
    thread_local std::size_t Capacity = 0;
    if (Capacity < Size + 1) {
        Capacity = std::max(Size + 1, std::size_t(2 * 1024 * 1024));
        Buffer = std::make_unique_for_overwrite<char[]>(Capacity);
    }
    const long N = ReadSome(File, Buffer.get(), Size + 1);
    if (N < 0)
        return TFileRead::Unreadable;
    std::string_view Text(Buffer.get(), std::size_t(N));
    if (std::size_t(N) > Size || StartsWithEncryptedMarker(Text) || Text.starts_with(Utf8Mark)) {
        if (::lseek(File, 0, SEEK_SET) != 0)
            return TFileRead::Unreadable;
        return std::nullopt;
    }
    if (const void* Nul = std::memchr(Text.data(), '\0', Text.size()))
        Text = Text.substr(0, std::size_t(static_cast<const char*>(Nul) - Text.data()));
    ScanWholeText(Text, Scan, Line);
    return TFileRead::Read;
}

// Reads a disk file's lines as ReadFileLines. Without Prompt an encrypted file is left for the
// caller (Refused); KeepReading is asked after each block and stops the reading when false.
TFileRead ReadLines(const std::string& FileName, const TPasswordPrompt* Prompt,
                    const TLineSink& Line, const std::function<bool()>& KeepReading,
                    const TLinePrefilter* Filter, const TWholeFileScan* Whole = nullptr) {
    const TFd File(::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (File.Get() < 0)
        return TFileRead::Unreadable;
    struct stat Info {};
    if (::fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode))
        return TFileRead::Unreadable;
    if (Whole && std::size_t(Info.st_size) <= TWholeFileScan::Limit)
        if (const auto Read = ScanWholeFile(File.Get(), std::size_t(Info.st_size), *Whole, Line))
            return *Read;
    // One block buffer for the whole run, never cleared: most files fit in it whole.
    thread_local const std::unique_ptr<char[]> Buffer =
        std::make_unique_for_overwrite<char[]>(TBlockLineReader::BlockSize);
    const std::string_view Block(Buffer.get(), TBlockLineReader::BlockSize);
    char* const Data = Buffer.get();
    long N = ReadSome(File.Get(), Data, Block.size());
    if (N < 0)
        return TFileRead::Unreadable;
    std::string_view First(Data, std::size_t(N));
    if (StartsWithEncryptedMarker(First)) {
        if (!Prompt)
            return TFileRead::Refused;
        // Encrypted text is deciphered whole, as the opener does.
        std::string Bytes(First);
        for (;;) {
            N = ReadSome(File.Get(), Data, Block.size());
            if (N <= 0)
                break;
            Bytes.append(Data, std::size_t(N));
        }
        TBinaryStrings Lines;
        if (*Prompt)
            Lines.PasswordPrompt = *Prompt;
        bool Asterisks = true;
        std::string Password;
        if (Lines.LoadFromBytes(std::move(Bytes), FileName, Asterisks, Password) ==
            TLoadResult::Cancelled)
            return TFileRead::Refused;
        Lines.SplitLongLines(SearchedLineLength);
        for (const std::string& L : Lines.Lines())
            Line(L, true);
        return TFileRead::Read;
    }
    TBlockLineReader Reader(Line, Filter);
    if (First.starts_with(Utf8Mark)) {
        Reader.Utf8 = true;
        First.remove_prefix(Utf8Mark.size());
    }
    bool More = Reader.Feed(First);
    while (More && std::size_t(N) == Block.size()) {
        if (KeepReading && !KeepReading())
            break;
        N = ReadSome(File.Get(), Data, Block.size());
        if (N < 0)
            break;
        More = Reader.Feed(std::string_view(Data, std::size_t(N)));
    }
    Reader.Finish();
    return N >= 0 ? TFileRead::Read : TFileRead::Unreadable;
}

// ---- One file's matches ------------------------------------------------------------------

// A matching line with its context.
struct TFound {
    int Line;
    std::string Text;
    std::vector<std::string> Before; // nearest first
    std::vector<std::string> After;  // nearest first
};

// A file's results lines: its name line and the numbered lines.
struct TFileResult {
    std::vector<std::string> Lines;
    int Count = 0;
};

// A results line: the line number right-aligned in six places, a blank and the text.
std::string NumberedLine(int Number, std::string_view Text) {
    char Digits[16];
    const auto [End, Error] = std::to_chars(std::begin(Digits), std::end(Digits), Number);
    const std::size_t Width = std::size_t(End - Digits);
    std::string Out;
    Out.reserve(std::max<std::size_t>(Width, 6) + 1 + Text.size());
    if (Width < 6)
        Out.append(6 - Width, ' ');
    Out.append(Digits, Width);
    Out += ' ';
    Out += Text;
    return Out;
}

// Takes a file's lines in order through the match rules.
class TFileScan {
public:
    TFileScan(TLineMatcher& Matcher, int Context) : FMatcher(Matcher), FContext(Context) {}

    void Line(std::string_view Text, bool MayMatch = true) {
        ++FLineNumber;
        if (FContext == 0) {
            // Without context a match is written at once.
            if (MayMatch && FMatcher.Matches(Text)) {
                if (FOut.empty())
                    FOut.emplace_back(); // the name line, once the file is done
                FOut.push_back(NumberedLine(FLineNumber, Text));
                ++FCount;
            }
            return;
        }
        for (std::size_t I = FFirstOpen; I < FFound.size(); ++I)
            if (FFound[I].Line < FLineNumber && int(FFound[I].After.size()) < FContext)
                FFound[I].After.emplace_back(Text);
        while (FFirstOpen < FFound.size() && int(FFound[FFirstOpen].After.size()) == FContext)
            ++FFirstOpen;
        if (MayMatch && FMatcher.Matches(Text)) {
            TFound Found{FLineNumber, std::string(Text), {}, {}};
            for (auto It = FRecent.rbegin(); It != FRecent.rend(); ++It)
                Found.Before.push_back(*It);
            FFound.push_back(std::move(Found));
            ++FCount;
        }
        FRecent.emplace_back(Text);
        if (int(FRecent.size()) > FContext)
            FRecent.pop_front();
    }
    // Lines that cannot match, passed over when no context is kept.
    void Skip(int Count) { FLineNumber += Count; }

    TFileResult End(const std::string& DisplayName) {
        TFileResult R;
        if (FCount == 0)
            return R;
        R.Count = FCount;
        std::string Name = DisplayName + "  (" + MatchCount(R.Count) + ")";
        if (FContext == 0) {
            FOut.front() = std::move(Name);
            R.Lines = std::move(FOut);
            return R;
        }
        std::vector<std::string>& Out = R.Lines;
        Out.push_back(std::move(Name));
        Out.emplace_back("------");
        for (const TFound& M : FFound) {
            for (std::size_t I = M.Before.size(); I-- > 0;)
                Out.push_back(NumberedLine(M.Line - int(I) - 1, M.Before[I]));
            Out.push_back(NumberedLine(M.Line, M.Text));
            for (std::size_t I = 0; I < M.After.size(); ++I)
                Out.push_back(NumberedLine(M.Line + int(I) + 1, M.After[I]));
            Out.emplace_back("------");
        }
        return R;
    }

private:
    TLineMatcher& FMatcher;
    const int FContext;
    int FLineNumber = 0;
    int FCount = 0;
    std::vector<std::string> FOut;   // without context: the results lines so far
    std::deque<std::string> FRecent; // the last FContext lines, nearest last
    std::vector<TFound> FFound;
    std::size_t FFirstOpen = 0; // first match still waiting for after-lines
};

// ---- The walk -------------------------------------------------------------------------------

// A file the walk found, in the walk's order; disk files are searched by the workers.
struct TJob {
    enum class TKind { Disk, Code, Volume, VolumeEntry, Skipped };
    TKind Kind;
    std::string Path;
    std::string Name; // shown (disk and code files) or relative to the folder (volumes)
    TFileResult Result;
    TFileRead Read = TFileRead::Read;
    bool Done = false; // searched by a worker; under the search's lock
};

// One worker per core this process may run on, up to 16: more wait on the same page cache.
int CoreCount() {
    cpu_set_t Set;
    CPU_ZERO(&Set);
    const int Cores = ::sched_getaffinity(0, sizeof Set, &Set) == 0
                          ? CPU_COUNT(&Set)
                          : int(std::thread::hardware_concurrency());
    return std::clamp(Cores, 1, 16);
}

class TSearch {
public:
    TSearch(const TFindSettings& Settings, const TFindHooks& Hooks)
        : FSettings(Settings), FHooks(Hooks), FMatcher(Settings),
          FContext(std::clamp(Settings.ContextLines, 0, 5)), FLastPump(TClock::now()),
          FTerm(FMatcher.PrefilterTerm(), !Settings.MatchCase) {
        FFilter.Term = FMatcher.PrefilterTerm();
        FFilter.FoldCase = !Settings.MatchCase;
        // Lines are taken one by one where context is kept or the term is no plain text.
        FWholeFiles = FContext == 0 && !FFilter.Term.empty() &&
                      FFilter.Term.find_first_of("\r\n") == std::string::npos;
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

    // Jobs: the walk adds them, the workers search the disk files among them and the calling
    // thread takes them in order.
    void Add(TJob::TKind Kind, std::string Path, std::string Name);
    void WalkFolderTree(const std::string& Folder, const std::function<bool()>& Stop);
    void ListFiles(const std::vector<std::string>& Files);
    void RunJobs(int Workers, const std::function<void()>& Walk);
    void Work();
    TJob* WaitForJob(std::size_t Index, bool Threaded);
    void TakeJob(TJob& Job);
    void SearchDiskJob(TJob& Job, TLineMatcher& Matcher, const TPasswordPrompt* Prompt,
                       const std::function<bool()>& KeepReading) const;

    void SearchVolumeFiles(TVolume& Volume, const std::string& Prefix);
    void SearchVolumeFile(TVolume& Volume, const std::string& Name, const std::string& Prefix);
    void SearchVolumeEntry(const std::string& Entry);
    void SearchVolumeFolderFile(const std::string& Path, const std::string& Relative);
    void SearchLines(const std::vector<std::string>& Lines, const std::string& DisplayName,
                     const std::string& Path);
    void Append(const std::string& Path, TFileResult Result);
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
    TTermScanner FTerm;
    bool FWholeFiles = false;

    std::mutex FLock;
    std::condition_variable FJobAdded;
    std::condition_variable FJobDone;
    std::deque<TJob> FJobs;   // references stay valid as the walk adds to it
    std::size_t FNextJob = 0; // the next one a worker looks at
    // The job the calling thread sleeps on. A wake for every file costs two cores a third of
    // their time, so the calling thread is woken once a batch of later jobs has ended too, or
    // for each when no job is left to start.
    static constexpr std::size_t AwaitedBatch = 32;
    std::size_t FAwaited = std::numeric_limits<std::size_t>::max();
    bool FWalkDone = false;
    std::atomic<bool> FStopWork = false;
};

TFindResults TSearch::Run(const std::vector<TVolume*>& Volumes,
                          const std::vector<std::string>& Files) {
    const int Threads = FHooks.Threads > 0 ? FHooks.Threads : CoreCount();
    std::string Where;
    if (!Files.empty()) {
        RunJobs(Threads, [this, &Files] { ListFiles(Files); });
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
        if (Threads > 1)
            RunJobs(Threads,
                    [this] { WalkFolderTree(FFolder, [this] { return FStopWork.load(); }); });
        else
            RunJobs(1, [this] { WalkFolderTree(FFolder, [this] { return MaybePump(); }); });
    }
    FResults.Aborted = Stopped();
    // A stopped search, or one that skipped files, lists what it found, even nothing, so that it
    // is not taken for a whole one.
    if (FResults.Count > 0 || FResults.Aborted || FResults.FilesSkipped > 0) {
        std::string Header = MatchCount(FResults.Count) + " for \"" + FSettings.Text + "\"" + Where;
        if (FResults.Aborted)
            Header += " (aborted)";
        if (FResults.FilesSkipped > 0)
            Header += " (" + std::to_string(FResults.FilesSkipped) +
                      (FResults.FilesSkipped == 1 ? " file" : " files") + " skipped)";
        FResults.Lines.resize(std::max<std::size_t>(FResults.Lines.size(), 3));
        FResults.Lines[0] = std::move(Header);
    } else {
        FResults.Lines.clear();
        FResults.Sections.clear();
    }
    return std::move(FResults);
}

void TSearch::Add(TJob::TKind Kind, std::string Path, std::string Name) {
    {
        const std::lock_guard Lock(FLock);
        FJobs.push_back(TJob{Kind, std::move(Path), std::move(Name), {}, TFileRead::Read});
    }
    // A disk file waits for a worker; anything else is ready for the calling thread.
    if (Kind == TJob::TKind::Disk)
        FJobAdded.notify_one();
    else
        FJobDone.notify_one();
}

void TSearch::RunJobs(int Workers, const std::function<void()>& Walk) {
    const bool Threaded = Workers > 1;
    std::vector<std::jthread> Threads;
    if (Threaded) {
        Threads.emplace_back([this, &Walk] {
            Walk();
            {
                const std::lock_guard Lock(FLock);
                FWalkDone = true;
            }
            FJobAdded.notify_all();
            FJobDone.notify_all();
        });
        for (int I = Workers; I > 0; --I)
            Threads.emplace_back([this] { Work(); });
    } else {
        Walk();
        FWalkDone = true;
    }
    for (std::size_t I = 0; !Stopped(); ++I) {
        TJob* Job = WaitForJob(I, Threaded);
        if (!Job)
            break;
        TakeJob(*Job);
        if (MaybePump())
            break;
    }
    {
        const std::lock_guard Lock(FLock);
        FStopWork = true;
    }
    FJobAdded.notify_all();
    // The threads end within one block read; joined as they go.
}

void TSearch::Work() {
    TLineMatcher Matcher(FSettings);
    const std::function<bool()> KeepReading = [this] { return !FStopWork.load(); };
    for (;;) {
        TJob* Job = nullptr;
        std::size_t Index = 0;
        {
            std::unique_lock Lock(FLock);
            FJobAdded.wait(Lock, [this] {
                while (FNextJob < FJobs.size() && FJobs[FNextJob].Kind != TJob::TKind::Disk)
                    ++FNextJob;
                return FStopWork || FNextJob < FJobs.size() || FWalkDone;
            });
            if (FStopWork || FNextJob == FJobs.size()) {
                Lock.unlock();
                // The files still being searched may have been waited on without a wake.
                FJobDone.notify_one();
                return;
            }
            Index = FNextJob++;
            Job = &FJobs[Index];
        }
        SearchDiskJob(*Job, Matcher, nullptr, KeepReading);
        bool Awaited = false;
        {
            const std::lock_guard Lock(FLock);
            Job->Done = true;
            Awaited = Index >= FAwaited &&
                      (Index - FAwaited >= AwaitedBatch || (FWalkDone && FNextJob == FJobs.size()));
        }
        if (Awaited)
            FJobDone.notify_one();
    }
}

TJob* TSearch::WaitForJob(std::size_t Index, bool Threaded) {
    std::unique_lock Lock(FLock);
    for (;;) {
        if (Index < FJobs.size()) {
            TJob& Job = FJobs[Index];
            if (Job.Kind != TJob::TKind::Disk || Job.Done)
                return &Job;
            if (!Threaded) {
                Lock.unlock();
                SearchDiskJob(Job, FMatcher, nullptr, [this] {
                    MaybePump();
                    return true;
                });
                return &Job;
            }
        } else if (FWalkDone) {
            return nullptr;
        }
        // Events run while the workers search.
        const auto Wake =
            std::max(FLastPump + FHooks.PumpInterval, TClock::now() + std::chrono::milliseconds(1));
        FAwaited = Index;
        FJobDone.wait_until(Lock, Wake);
        FAwaited = std::numeric_limits<std::size_t>::max();
        Lock.unlock();
        const bool Stop = MaybePump();
        Lock.lock();
        if (Stop)
            return nullptr;
    }
}

void TSearch::SearchDiskJob(TJob& Job, TLineMatcher& Matcher, const TPasswordPrompt* Prompt,
                            const std::function<bool()>& KeepReading) const {
    TFileScan Scan(Matcher, FContext);
    const TLineSink Each = [&Scan](std::string_view L, bool MayMatch) { Scan.Line(L, MayMatch); };
    const TWholeFileScan Whole{FTerm, [&Scan](int Lines) { Scan.Skip(Lines); }};
    Job.Read = ReadLines(Job.Path, Prompt, Each, KeepReading,
                         FFilter.Term.empty() ? nullptr : &FFilter, FWholeFiles ? &Whole : nullptr);
    Job.Result = Scan.End(Job.Name);
}

void TSearch::TakeJob(TJob& Job) {
    switch (Job.Kind) {
    case TJob::TKind::Disk:
        // An encrypted file asks for its password here, on the calling thread.
        if (Job.Read == TFileRead::Refused)
            SearchDiskJob(Job, FMatcher, &FHooks.PasswordPrompt, [this] {
                MaybePump();
                return true;
            });
        if (Job.Read == TFileRead::Unreadable)
            ++FResults.FilesSkipped;
        Append(Job.Path, std::move(Job.Result));
        break;
    case TJob::TKind::Code: {
        std::vector<std::string> Lines;
        if (FHooks.ListCodeFile)
            FHooks.ListCodeFile(Job.Path, Lines);
        SearchLines(Lines, Job.Name, Job.Path);
        break;
    }
    case TJob::TKind::Volume:
        SearchVolumeFolderFile(Job.Path, Job.Name);
        break;
    case TJob::TKind::VolumeEntry:
        SearchVolumeEntry(Job.Path);
        break;
    case TJob::TKind::Skipped:
        ++FResults.FilesSkipped;
        break;
    }
}

void TSearch::WalkFolderTree(const std::string& Folder, const std::function<bool()>& Stop) {
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
                WalkFolderTree(Path + "/", Stop);
        } else if (Type != DT_LNK) { // a link to a folder is not followed
            const std::string Extension = LowerExtensionOf(Name);
            const bool Listed = FExtensions.empty()
                                    ? Extension != ".code" && Extension != ".korvidtabs"
                                    : std::find(FExtensions.begin(), FExtensions.end(),
                                                Extension) != FExtensions.end();
            if (Listed) {
                std::string Relative = Path.substr(FFolder.size());
                if (Type != DT_REG) // a FIFO, a device, a dangling link
                    Add(TJob::TKind::Skipped, Path, {});
                else if (FHooks.PSystemAware && Extension == ".vol")
                    Add(TJob::TKind::Volume, Path, std::move(Relative));
                else if (FHooks.PSystemAware && Extension == ".code")
                    Add(TJob::TKind::Code, Path, NameOfPath(Relative));
                else
                    Add(TJob::TKind::Disk, Path, NameOfPath(Relative));
            }
        }
        if (Stop())
            return;
    }
}

void TSearch::ListFiles(const std::vector<std::string>& Files) {
    for (const std::string& Entry : Files) {
        if (ParseVolumePath(Entry)) {
            Add(TJob::TKind::VolumeEntry, Entry, {});
            continue;
        }
        struct stat Info {};
        const bool Found = ::stat(Entry.c_str(), &Info) == 0;
        if (Found && S_ISDIR(Info.st_mode))
            continue;
        if (!Found || !S_ISREG(Info.st_mode))
            Add(TJob::TKind::Skipped, Entry, {});
        else if (FHooks.PSystemAware && LowerExtensionOf(Entry) == ".code")
            Add(TJob::TKind::Code, Entry, NameOfPath(Entry));
        else
            Add(TJob::TKind::Disk, Entry, NameOfPath(Entry));
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
    SearchLines(Lines, Display,
                Volume.VolumeFilePath().string() + VolumePathSeparator + Prefix + Name);
}

void TSearch::SearchVolumeEntry(const std::string& Entry) {
    const auto Volume = ParseVolumePath(Entry);
    try {
        std::unique_ptr<TVolume> Opened;
        if (!Volume->Subvolume.empty())
            Opened = std::make_unique<TSubvolume>(Volume->VolumeFile, false, Volume->Subvolume);
        else
            Opened = std::make_unique<TMajorVolume>(Volume->VolumeFile, false);
        SearchLines(Opened->ReadFileLines(0, Volume->FileName), NameOfPath(Entry), Entry);
    } catch (const std::exception& Error) {
        ReportVolumeError(Error.what());
    }
}

void TSearch::SearchLines(const std::vector<std::string>& Lines, const std::string& DisplayName,
                          const std::string& Path) {
    TFileScan Scan(FMatcher, FContext);
    for (const std::string& L : Lines)
        Scan.Line(L);
    Append(Path, Scan.End(DisplayName));
}

void TSearch::Append(const std::string& Path, TFileResult Result) {
    ++FResults.FilesSearched;
    if (Result.Count == 0)
        return;
    std::vector<std::string>& Out = FResults.Lines;
    if (Out.empty())
        Out.resize(3); // the header and two empty lines
    Out.emplace_back();
    FResults.Sections.emplace_back(Path, int(Out.size()));
    std::move(Result.Lines.begin(), Result.Lines.end(), std::back_inserter(Out));
    FResults.Count += Result.Count;
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

TFileRead ReadFileLines(const std::string& FileName, const TPasswordPrompt& Prompt,
                        const TLineSink& Line, const std::function<void()>& Progress,
                        const TLinePrefilter* Filter) {
    return ReadLines(
        FileName, &Prompt, Line,
        [&Progress] {
            if (Progress)
                Progress();
            return true;
        },
        Filter);
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
