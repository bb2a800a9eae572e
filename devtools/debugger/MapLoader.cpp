#include "devtools/debugger/MapLoader.h"

#include "devtools/debugger/DebuggerHost.h"
#include "devtools/debugger/DebuggerMessages.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace korvid {

namespace {

// Procedure and name-list numbers beyond these come only from a damaged map.
constexpr int MaximumProcNumber = 32767;
constexpr int MaximumNameList = 32767;
// Listing texts are compared with this much of each editor line.
constexpr std::size_t ListingCompareWidth = 109;
// "Using " is followed by lines the listing has and the source has not.
constexpr int UsingSkippedLines = 5;

std::string_view From(std::string_view Text, std::size_t Position) {
    return Position < Text.size() ? Text.substr(Position) : std::string_view{};
}

std::optional<int> ParseNumber(std::string_view Text) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Text.empty() || Error != std::errc{} || End != Text.data() + Text.size())
        return std::nullopt;
    return Value;
}

bool StartsWith(std::string_view Text, std::string_view Prefix) {
    return Text.substr(0, Prefix.size()) == Prefix;
}

bool StartsWithIgnoringCase(std::string_view Text, std::string_view Prefix) {
    return Text.size() >= Prefix.size() &&
           CompareText1252(Text.substr(0, Prefix.size()), Prefix) == 0;
}

bool EndsSection(std::string_view Line) {
    return StartsWith(Line, "-");
}

// The compiled program's name from the mark line: no folder (either slash), no extension.
std::string TitleOf(std::string_view MarkLine) {
    std::string_view Path = From(MarkLine, 5);
    if (Path.size() >= 2 && Path.front() == '"' && Path.back() == '"')
        Path = Path.substr(1, Path.size() - 2);
    if (const auto Slash = Path.find_last_of("\\/"); Slash != std::string_view::npos)
        Path.remove_prefix(Slash + 1);
    if (const auto Dot = Path.rfind('.'); Dot != std::string_view::npos)
        Path = Path.substr(0, Dot);
    return std::string(Path);
}

class TMapParser {
public:
    TMapParser(TMapModel& Map, const std::vector<std::string>& Lines, TDebuggerHost& Host)
        : FMap(Map), FLines(Lines), FHost(Host) {}

    void ParseSectioned();
    void ParseListing();

private:
    std::size_t ParseLineSection(std::size_t Index);
    std::size_t ParseEntitySection(std::size_t Index);
    std::size_t ParseNameSection(std::size_t Index);
    void OpenSegment(std::string_view Line);
    void AddLineEntry(std::string_view Line);
    void AddCode(int LineNumber, int ProcNumber, int Offset, std::string_view Text);
    std::string SourceNameOf(std::string_view Name);
    void AddEntity(std::string_view Line, std::vector<std::pair<int, TEntity*>>& Owners);
    void FinishEntities();

    TMapModel& FMap;
    const std::vector<std::string>& FLines;
    TDebuggerHost& FHost;
    TProcList* FSegment = nullptr;
    std::string FSegmentName;
    std::vector<TLine>* FSource = nullptr;
    std::string FSourceName;
    std::string FVolumePart; // "vol>" of the first source found open in a volume
};

// ---- Section 1: segments, sources and their code lines ----

std::string TMapParser::SourceNameOf(std::string_view Name) {
    if (StartsWith(Name, "\"")) {
        Name.remove_prefix(1);
        if (!Name.empty() && Name.back() == '"')
            Name.remove_suffix(1);
        return std::string(Name);
    }
    std::string Inner(Name);
    const bool InWork = StartsWithIgnoringCase(Inner, "WORK:");
    if (InWork)
        Inner.erase(0, 5);
    else if (const auto Colon = Inner.find(':'); Colon != std::string::npos)
        Inner.insert(Colon, ".SVOL");
    const std::string Open = FHost.FindOpenVolumeFile(Inner);
    if (Open.empty())
        return FVolumePart + Inner;
    if (FVolumePart.empty())
        FVolumePart = Open.substr(0, Open.find('>') + 1);
    return Open;
}

void TMapParser::OpenSegment(std::string_view Line) {
    FSegmentName = std::string(TrimText(Columns(Line, 5, 12)));
    FSourceName = std::string(TrimText(From(Line, 13)));
    if (FMap.Kind == mkRW && !FSourceName.empty())
        FSourceName = SourceNameOf(FSourceName);
    FSegment = &FMap.Segments[FSegmentName];
    FSource = &FMap.Sources[FSourceName];
    if (FMap.FirstSource.empty())
        FMap.FirstSource = FSourceName;
}

void TMapParser::AddCode(int LineNumber, int ProcNumber, int Offset, std::string_view Text) {
    FSource->push_back({LineNumber, FSegmentName, ProcNumber, Offset});
    if (int(FSegment->size()) <= ProcNumber)
        FSegment->resize(ProcNumber + 1);
    auto& Proc = (*FSegment)[ProcNumber];
    if (!Proc) {
        Proc = std::make_unique<TProc>();
        Proc->SegmentName = FSegmentName;
        Proc->Number = ProcNumber;
    }
    auto Entry = std::make_unique<TProcOffset>();
    Entry->Proc = Proc.get();
    Entry->Offset = Offset;
    Entry->SourceName = FSourceName;
    Entry->LineNumber = LineNumber;
    Entry->Text = std::string(Text);
    Proc->Offsets.push_back(std::move(Entry));
}

void TMapParser::AddLineEntry(std::string_view Line) {
    if (!FSource)
        return;
    const std::string_view Rest = From(Line, 6);
    const auto Colon = Rest.find(':');
    const std::string_view AfterColon =
        Colon == std::string_view::npos ? std::string_view{} : Rest.substr(Colon + 1);
    const auto Blank = AfterColon.find(' ');
    const int ProcNumber = NumberOr0(TrimText(Rest.substr(0, Colon)));
    if (ProcNumber < 1 || ProcNumber > MaximumProcNumber)
        return;
    AddCode(NumberOr0(TrimText(Columns(Line, 1, 6))), ProcNumber,
            NumberOr0(AfterColon.substr(0, Blank)), TrimText(From(AfterColon, Blank)));
}

std::size_t TMapParser::ParseLineSection(std::size_t Index) {
    for (; Index < FLines.size() && !EndsSection(FLines[Index]); ++Index) {
        const std::string_view Line = FLines[Index];
        if (Line.empty() || Line.front() == ' ')
            continue;
        if (Line.front() == '#')
            OpenSegment(Line);
        else
            AddLineEntry(Line);
    }
    if (!FSegment)
        FMap.Status = MapFirstSectionStatus;
    return Index + 1;
}

// ---- Section 2: entities ----

void TMapParser::AddEntity(std::string_view Line, std::vector<std::pair<int, TEntity*>>& Owners) {
    const auto FirstChar = Line.find_first_not_of(' ');
    if (FirstChar == std::string_view::npos)
        return;
    const int Level = int(FirstChar); // the depth below the entity above
    std::vector<std::string_view> Words;
    for (std::string_view Rest = TrimText(Line); !Rest.empty(); Rest = TrimText(Rest)) {
        const auto End = std::min(Rest.find(' '), Rest.size());
        Words.push_back(Rest.substr(0, End));
        Rest.remove_prefix(End);
    }
    if (Words.size() < 2)
        return;
    while (Owners.back().first >= Level)
        Owners.pop_back();
    TEntity& Owner = *Owners.back().second;

    auto Entity = std::make_unique<TEntity>();
    Entity->Owner = &Owner;
    Entity->Name = std::string(Words[0]);
    Entity->LowerName = LowerCase1252(Entity->Name);
    const std::string_view Type = Words[1];
    Entity->Letter = Type.front();
    Entity->Kind = std::uint8_t(EntityKindOfLetter(Entity->Letter));
    const std::string_view Extents = Type.substr(1);
    if (Entity->Letter == 'n' || Entity->Letter == 'a') {
        const auto Split = Extents.find(Entity->Letter == 'n' ? ',' : '*');
        Entity->Extent1 = NumberOr0(Extents.substr(0, Split));
        (Entity->Letter == 'n' ? Entity->Extent2 : Entity->ElementSize) =
            Split == std::string_view::npos ? 0 : NumberOr0(Extents.substr(Split + 1));
    } else if (Entity->Letter == 's')
        Entity->Extent1 = NumberOr0(Extents);
    Entity->MapNumber = Entity->WordOffset = Words.size() > 2 ? NumberOr0(Words[2]) : 0;
    for (std::size_t Mark = 3; Mark < Words.size(); ++Mark) {
        if (Words[Mark] == "@")
            Entity->Indirect = true;
        else if (Words[Mark] == "~")
            Entity->Minor = true;
        else if (StartsWith(Words[Mark], "m="))
            Entity->ModuleName = std::string(Words[Mark].substr(2));
    }
    if (Owner.Kind == 15)
        Entity->ElementIndex = NumberOr0(Entity->Name);
    const std::uint8_t Given = LocationClassGivenBy(Owner.Letter);
    Entity->LocationClass = Given != lcNone ? Given : Owner.LocationClass;
    if (Entity->Kind == 25 || Entity->Letter == 'H' || Entity->Letter == 'J')
        Entity->SortGroup = 0;
    else if (Entity->Letter == 'P' && StartsWith(Entity->Name, "<"))
        Entity->SortGroup = 2;
    Owners.emplace_back(Level, Entity.get());
    Owner.Children.push_back(std::move(Entity));
}

std::size_t TMapParser::ParseEntitySection(std::size_t Index) {
    // Depth -1 keeps the root below every line.
    std::vector<std::pair<int, TEntity*>> Owners{{-1, FMap.Root.get()}};
    for (; Index < FLines.size() && !EndsSection(FLines[Index]); ++Index)
        if (!TrimText(FLines[Index]).empty())
            AddEntity(FLines[Index], Owners);
    return Index + 1;
}

// ---- Section 3: name lists ----

std::size_t TMapParser::ParseNameSection(std::size_t Index) {
    std::vector<std::string>* Current = nullptr;
    for (; Index < FLines.size() && !EndsSection(FLines[Index]); ++Index) {
        const std::string_view Line = FLines[Index];
        if (Line.empty())
            continue;
        if (Line.front() == ' ') {
            if (Current && !TrimText(Line).empty())
                Current->emplace_back(TrimText(Line));
            continue;
        }
        Current = nullptr;
        const auto Blank = std::min(Line.find(' '), Line.size());
        const std::optional<int> Number = ParseNumber(Line.substr(0, Blank));
        if (!Number || *Number < 0 || *Number > MaximumNameList)
            continue;
        if (int(FMap.Names.size()) <= *Number)
            FMap.Names.resize(*Number + 1);
        std::vector<std::string>& List = FMap.Names[*Number];
        std::string_view Rest = TrimText(From(Line, Blank));
        if (Rest.empty()) {
            Current = &List;
            continue;
        }
        for (const char End : {' ', '*', ' ', '\0'}) {
            const auto Stop = End == '\0' ? std::string_view::npos : Rest.find(End);
            List.emplace_back(Rest.substr(0, Stop));
            Rest = Stop == std::string_view::npos ? std::string_view{} : Rest.substr(Stop + 1);
        }
    }
    return Index + 1;
}

// ---- After the sections ----

std::unique_ptr<TEntity> MadeEntity(TEntity& Owner, std::string Name, char Letter, int Kind) {
    auto Entity = std::make_unique<TEntity>();
    Entity->Owner = &Owner;
    Entity->Name = std::move(Name);
    Entity->LowerName = LowerCase1252(Entity->Name);
    Entity->Letter = Letter;
    Entity->Kind = std::uint8_t(Kind);
    Entity->SortGroup = 0;
    const std::uint8_t Given = LocationClassGivenBy(Owner.Letter);
    Entity->LocationClass = Given != lcNone ? Given : Owner.LocationClass;
    return Entity;
}

void AddCompanions(TEntity& Entity) {
    for (auto& Child : Entity.Children)
        AddCompanions(*Child);
    if (Entity.Kind == 23 || Entity.Kind == 24) {
        auto Companion = MadeEntity(Entity, Entity.Kind == 23 ? "record" : "cursor", 'H', 7);
        Entity.Companion = Companion.get();
        Entity.Children.push_back(std::move(Companion));
    }
    if (Entity.Kind == 24)
        Entity.Children.push_back(MadeEntity(Entity, "rowcount", 'J', 8));
}

void CollectLists(TMapModel& Map, TEntity& Entity) {
    for (auto& Child : Entity.Children) {
        TEntity* const Item = Child.get();
        if (Item->Letter == '#')
            Map.SegmentEntities.push_back(Item);
        else if (Item->Letter == 'P')
            Map.Procedures.push_back(Item);
        else if (Item->Letter == 'F')
            Map.Containers.push_back(Item);
        else if (Item->Letter == 't')
            Map.Tables.push_back(Item);
        if (Entity.Letter == '#' && Item->Letter != 'P')
            Map.Globals.push_back(Item);
        CollectLists(Map, *Item);
    }
}

void SortChildren(TEntity& Entity) {
    auto& Children = Entity.Children;
    const auto ByGroupNameNumber = [](const auto& A, const auto& B) {
        return std::tie(A->SortGroup, A->Name, A->MapNumber) <
               std::tie(B->SortGroup, B->Name, B->MapNumber);
    };
    if (Entity.Kind == 16)
        std::stable_sort(Children.begin(), Children.end(),
                         [](const auto& A, const auto& B) { return A->MapNumber < B->MapNumber; });
    else if (Entity.Kind == 19)
        std::stable_sort(Children.begin(), Children.end(), [&](const auto& A, const auto& B) {
            const bool ProcA = A->Kind == 20, ProcB = B->Kind == 20;
            return ProcA != ProcB ? ProcB : ByGroupNameNumber(A, B);
        });
    else if (Entity.Kind >= 20 && Entity.Kind <= 25)
        std::stable_sort(Children.begin(), Children.end(), ByGroupNameNumber);
    for (auto& Child : Children)
        SortChildren(*Child);
}

void NameProcs(TMapModel& Map) {
    for (const TEntity* Segment : Map.SegmentEntities) {
        const auto Found = Map.Segments.find(Segment->Name);
        if (Found == Map.Segments.end())
            continue;
        for (const auto& Child : Segment->Children)
            if (Child->Kind == 20 && Child->MapNumber > 0 &&
                Child->MapNumber < int(Found->second.size()) && Found->second[Child->MapNumber])
                Found->second[Child->MapNumber]->Name = Child->Name;
    }
}

void TMapParser::FinishEntities() {
    AddCompanions(*FMap.Root);
    CollectLists(FMap, *FMap.Root);
    SortChildren(*FMap.Root);
    BuildFullNames(*FMap.Root, FMap.Kind);
    NameProcs(FMap);
}

void TMapParser::ParseSectioned() {
    FMap.Title = TitleOf(FLines.front());
    std::size_t Index = ParseLineSection(1);
    Index = ParseEntitySection(Index);
    ParseNameSection(Index);
    FinishEntities();
}

// ---- Compiler listing ----

// The segment a heading line opens: "UNIT ", "PROGRAM " or a segment routine; Main for the
// first two.
std::optional<std::string> SegmentOfHeading(std::string_view Text, bool& Main) {
    static constexpr std::pair<std::string_view, bool> Headings[] = {{"UNIT ", true},
                                                                     {"PROGRAM ", true},
                                                                     {"SEGMENT PROCEDURE ", false},
                                                                     {"SEGMENT FUNCTION ", false}};
    for (const auto& [Heading, IsMain] : Headings) {
        if (!StartsWithIgnoringCase(Text, Heading))
            continue;
        std::string_view Rest = TrimText(Text.substr(Heading.size()));
        std::string Name;
        for (const char Char : Rest) {
            if (!std::isalnum(static_cast<unsigned char>(Char)) && Char != '_')
                break;
            Name += char(std::toupper(static_cast<unsigned char>(Char)));
        }
        Main = IsMain;
        return Name.substr(0, 8);
    }
    return std::nullopt;
}

bool ListingLineMatches(std::string_view EditorLine, std::string_view Text) {
    return TrimText(EditorLine.substr(0, ListingCompareWidth)) == Text;
}

void TMapParser::ParseListing() {
    const std::optional<TEditorText> Source = FHost.ActiveEditorText();
    if (!Source) {
        FMap.Status = PascalSourceNotOpenStatus;
        FMap.Title = NoSourceTitle;
        return;
    }
    FSourceName = Source->FileName;
    const std::vector<std::string>& Editor = Source->Lines;
    std::size_t EditorLine = 0; // the next line to try
    bool AnyMatched = false;
    int UsingLeft = 0;
    int LastColumn = 0;
    std::string MainSegment;
    for (std::size_t Index = 3; Index < FLines.size(); ++Index) {
        const std::string_view Line = FLines[Index];
        if (StartsWith(Line, "\f")) {
            Index += 4; // the page header
            continue;
        }
        const std::string_view Text = TrimText(From(Line, 23));
        if (const int Column = NumberOr0(TrimText(Columns(Line, 7, 9))); Column != 0) {
            if (Column == 2 && LastColumn != 2 && LastColumn != 0)
                FSegmentName = MainSegment;
            LastColumn = Column;
        }
        bool Main = false;
        if (const auto Segment = SegmentOfHeading(Text, Main)) {
            FSegmentName = *Segment;
            if (Main) {
                MainSegment = *Segment;
                if (FMap.Title.empty())
                    FMap.Title = *Segment;
            }
        }
        std::optional<int> Matched;
        if (UsingLeft > 0)
            --UsingLeft;
        else {
            const bool Through = Text.find("{$L^}") != std::string_view::npos;
            for (std::size_t Try = EditorLine; Try < Editor.size(); ++Try) {
                if (ListingLineMatches(Editor[Try], Text)) {
                    Matched = int(Try) + 1;
                    EditorLine = Try + 1;
                    break;
                }
                if (!Through && Editor[Try].find("{$I ") == std::string::npos)
                    break;
            }
        }
        if (StartsWith(Text, "Using "))
            UsingLeft = UsingSkippedLines;
        if (!Matched)
            continue;
        AnyMatched = true;
        const int ProcNumber = NumberOr0(TrimText(Columns(Line, 12, 14)));
        if (Line.size() <= 16 || Line[15] == '0' || Line[15] == 'd' || ProcNumber < 1 ||
            ProcNumber > MaximumProcNumber || FSegmentName.empty())
            continue;
        FSegment = &FMap.Segments[FSegmentName];
        FSource = &FMap.Sources[FSourceName];
        AddCode(*Matched, ProcNumber, NumberOr0(TrimText(Columns(Line, 17, 21))), Text);
    }
    if (!AnyMatched)
        FMap.Title = WrongSourceTitle;
    if (FMap.Segments.empty() || FMap.Sources.empty())
        FMap.Status = MapNotParsedStatus;
    if (FMap.Title.empty())
        FMap.Title = PascalTitle;
    FMap.FirstSource = FSourceName;
}

} // namespace

std::string_view Columns(std::string_view Line, std::size_t First, std::size_t Last) {
    if (First == 0 || First > Line.size() || Last < First)
        return {};
    return Line.substr(First - 1, Last - First + 1);
}

int NumberOr0(std::string_view Text) {
    return ParseNumber(Text).value_or(0);
}

void ParseMapLines(TMapModel& Map, const std::vector<std::string>& Lines, TDebuggerHost& Host) {
    Map.Status = MapLoadedStatus;
    if (Lines.empty()) {
        Map.Status = MapNotOpenedStatus;
        Map.Title = NoSuchMapTitle;
        return;
    }
    static constexpr std::pair<std::string_view, int> Marks[] = {
        {"|L3|", mkL3}, {"|L2|", mkL2}, {"|RW|", mkRW}};
    TMapParser Parser(Map, Lines, Host);
    for (const auto& [Mark, Kind] : Marks)
        if (StartsWith(Lines.front(), Mark)) {
            Map.Kind = Kind;
            Parser.ParseSectioned();
            return;
        }
    // A listing's third line names the compiler, so it needs three lines.
    if (StartsWith(Lines.front(), "\f") && Lines.size() >= 3 && StartsWith(Lines[2], "Pascal")) {
        Map.Kind = mkListing;
        Parser.ParseListing();
        return;
    }
    Map.Status = MapUnknownFormatStatus;
    Map.Title = BadMapTitle;
}

} // namespace korvid
