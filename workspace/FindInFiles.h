#pragma once

#include "foundation/BinaryStrings.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvid {

class TVolume;

// The location filters of the find dialogs, index = value.
inline constexpr int LocationCount = 7;
const std::array<std::string_view, LocationCount>& LocationNames();

// Lines longer than this are cut as opening a file in a tab cuts them, so that a line number
// found here is the line the opened document shows.
inline constexpr std::size_t SearchedLineLength = 4096;

// One find in files: what to look for and how.
struct TFindSettings {
    int Location = 0;     // 0..6
    int ContextLines = 0; // 0..5
    bool IgnoreUnderscores = false;
    bool QuotedOnly = false;
    bool WholeWords = false;
    bool MatchCase = false;
    std::string Text;       // as typed
    std::string Extensions; // "pas, .txt"; empty for every file but code and tab-set files
    std::string Folder;
};

// A matching line of a searched file.
class TMatch {
public:
    TMatch(std::string DisplayName, std::string Path, int Line, std::string Text)
        : DisplayName(std::move(DisplayName)), Path(std::move(Path)), Line(Line),
          Text(std::move(Text)) {}
    std::string DisplayName;
    std::string Path;
    int Line;
    std::string Text;
    std::vector<std::string> Before; // nearest first
    std::vector<std::string> After;  // nearest first
};

// P is 0-based; TermLength the length of the prepared term.
bool MatchesLocation(std::size_t P, std::string_view Line, std::size_t TermLength, int Location);
// Whether the 0-based position lies inside a literal of a line whose quotes are balanced.
bool IsInsideQuotes(std::size_t P, std::string_view Line);
// "pas, .TXT" gives ".pas" and ".txt"; entries are trimmed, empty ones dropped.
std::vector<std::string> ParseExtensions(std::string_view Text);

// Tests lines by the settings' match rules.
class TLineMatcher {
public:
    explicit TLineMatcher(const TFindSettings& Settings);
    bool Matches(std::string_view Line);
    // Where the match Matches finds lies in Line: its offset and length; none when the line
    // does not match or the term is empty.
    std::optional<std::pair<std::size_t, std::size_t>> Find(std::string_view Line);
    // The empty term is searched only for whole lines.
    bool Searchable() const { return FEmptyTerm || !FTerm.empty(); }
    // The term as the raw text of a matching line must hold it, folded to upper case when
    // case is ignored; empty when no such test holds (underscores ignored, empty term).
    std::string PrefilterTerm() const;

private:
    bool Accepts(std::size_t P, std::string_view Copy) const;
    std::string_view CompareCopy(std::string_view Line);
    bool ContainsFolded(std::string_view Line) const;

    const TFindSettings& FSettings;
    std::string FTerm;
    bool FEmptyTerm = false;
    bool FPlain = false; // the copy is the line itself
    std::string FCopy;
};

// What the walk asks of the program around it.
struct TFindHooks {
    // Lets pending events run; told the files searched and the matches found so far.
    std::function<void(int Files, int Matches)> Pump;
    std::chrono::milliseconds PumpInterval{50};
    // False once the user stopped the search.
    std::function<bool()> KeepGoing;
    // With p-System support on, ".code" files are listed rather than read as text.
    bool PSystemAware = true;
    std::function<void(const std::string& Name, std::vector<std::string>& Lines)> ListCodeFile;
    // Asks for the password of an encrypted file; the installed prompt when unset.
    TPasswordPrompt PasswordPrompt;
    // Threads searching disk files: 0 for one per core, 1 for all on the calling thread.
    int Threads = 0;
    // A volume file that could not be read; the walk goes on.
    std::function<void(const std::string& Caption, const std::string& Text)> ShowError;
};

// How a volume that cannot be read is reported; the search goes on without it.
inline constexpr std::string_view UnreadableVolumeCaption = "Exception";
std::string UnreadableVolumeText(std::string_view Error);

// The results tab's text and its section entries (file to open, 0-based name line).
struct TFindResults {
    int Count = 0;
    bool Aborted = false;
    std::vector<std::string> Lines;
    std::vector<std::pair<std::string, int>> Sections;
    int FilesSearched = 0;
    int FilesSkipped = 0; // could not be read or are no regular files
};

// Searches the files list when it is not empty, else the volumes, else the folder tree under
// Settings.Folder. The volumes stay the caller's.
TFindResults FindInFiles(const std::vector<TVolume*>& Volumes,
                         const std::vector<std::string>& Files, const TFindSettings& Settings,
                         const TFindHooks& Hooks);

// Lets the reader tell lines that cannot hold Term: a look over each block read.
struct TLinePrefilter {
    std::string Term;
    bool FoldCase = false;
};
// Told each line (a view valid for that call) and whether the prefilter let it through.
using TLineSink = std::function<void(std::string_view Line, bool MayMatch)>;

enum class TFileRead { Read, Unreadable, Refused };

// Reads a disk file's lines by the opener's rules, a block at a time, and hands each to Line;
// Refused when the file's password was. Progress is called after each MiB read.
TFileRead ReadFileLines(const std::string& FileName, const TPasswordPrompt& Prompt,
                        const TLineSink& Line, const std::function<void()>& Progress = {},
                        const TLinePrefilter* Filter = nullptr);

} // namespace korvid
