#include "devtools/debugger/MapModel.h"

#include "devtools/debugger/DebuggerMessages.h"
#include "platform/Cp1252.h"

namespace korvid {

std::string_view TrimBlanks(std::string_view Text) {
    while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ')
        Text.remove_prefix(1);
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ')
        Text.remove_suffix(1);
    return Text;
}

namespace {

// The name as a step of a full name: an element by its index, parentheses dropped.
std::string FullNamePart(const TEntity& Entity) {
    if (Entity.ElementIndex > 0)
        return "[" + Entity.Name + "]";
    const std::string& Name = Entity.Name;
    if (Name.size() >= 2 && Name.front() == '(' && Name.back() == ')')
        return Name.substr(1, Name.size() - 2);
    return Name;
}

std::string Joined(const std::string& Part, const std::string& Rest) {
    return Rest.empty() ? Part : Part + "." + Rest;
}

} // namespace

bool TIgnoreCaseLess::operator()(std::string_view A, std::string_view B) const {
    return CompareText1252(A, B) < 0;
}

const std::string& TProcOffset::ProcedureName() const {
    static const std::string None;
    return Proc ? Proc->Name : None;
}

int EntityKindOfLetter(char Letter) {
    static constexpr std::string_view Letters = "bcCdfhiInpsRWarv^#PDXFtT";
    static constexpr int Kinds[] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                    14, 15, 16, 18, 17, 19, 20, 21, 22, 23, 24, 25};
    const auto At = Letters.find(Letter);
    return Letter == 0 || At == std::string_view::npos ? 0 : Kinds[At];
}

std::uint8_t LocationClassGivenBy(char Letter) {
    switch (Letter) {
    case '#':
    case 'T':
        return lcGlobal;
    case 'P':
        return lcLocal;
    case 'D':
        return lcPrimary;
    case 'X':
        return lcExternal;
    case 't':
        return lcColumn;
    default:
        return lcNone;
    }
}

int SizeInWords(const TEntity& Entity) {
    switch (Entity.Kind) {
    case 2:
    case 3:
    case 4:
    case 6:
    case 8:
        return 1;
    case 5:
    case 7:
    case 9:
    case 11:
    case 13:
    case 14:
        return 2;
    case 10:
        return (Entity.Extent1 + 6) / 4;
    case 12:
        return (Entity.Extent1 + 2) / 2;
    default:
        return 0;
    }
}

const TEntity* NearestOwner(const TEntity& Entity, int Kind) {
    for (const TEntity* Owner = Entity.Owner; Owner; Owner = Owner->Owner)
        if (Owner->Kind == Kind)
            return Owner;
    return nullptr;
}

void BuildFullNames(TEntity& Entity, int MapKind) {
    std::string Result;
    for (const TEntity* Step = &Entity; Step && Step->Owner; Step = Step->Owner) {
        const std::string Part = FullNamePart(*Step);
        if (Step->Kind == 15)
            Result = Part + Result;
        else if (Step->Kind == 16 || Step->Kind == 23 || Step->Kind == 24)
            Result = Joined(Part, Result);
        else if (Step->Kind == 21 || Step->Kind == 22) {
            if (MapKind != mkRW)
                Result = Joined(Part, Result);
            break;
        } else if (Step->Kind == 25)
            Result += " (buffered)";
        else if (Result.empty())
            Result = Part;
    }
    Entity.FullName = Result;
    Entity.LowerFullName = LowerCase1252(Result);
    for (auto& Child : Entity.Children)
        BuildFullNames(*Child, MapKind);
}

const TProc* FindProc(const TMapModel& Map, std::string_view SegmentName, int ProcNumber) {
    const auto Segment = Map.Segments.find(TrimBlanks(SegmentName));
    if (Segment == Map.Segments.end())
        return nullptr;
    const TProcList& Procs = Segment->second;
    if (ProcNumber < 1 || ProcNumber >= int(Procs.size()))
        return nullptr;
    return Procs[ProcNumber].get();
}

const TProcOffset* FindProcOffset(const TMapModel& Map, std::string_view SegmentName,
                                  int ProcNumber, int Offset) {
    const TProc* Proc = FindProc(Map, SegmentName, ProcNumber);
    if (!Proc)
        return nullptr;
    const auto& Offsets = Proc->Offsets;
    int Target = Offset;
    for (std::size_t Index = 0; Index < Offsets.size(); ++Index) {
        const TProcOffset& Entry = *Offsets[Index];
        // 0 asks for the procedure's first line, whatever its offset.
        if (Index == 0 && Target == 0)
            Target = Entry.Offset;
        if (Entry.Offset > Target)
            return Index == 0 ? &Entry : Offsets[Index - 1].get();
        if (Entry.Offset == Target && Index + 1 == Offsets.size())
            return &Entry;
    }
    return nullptr;
}

const TLine* LocateProcOffset(const TMapModel& Map, std::string_view FileName, int LineNumber) {
    const auto Source = Map.Sources.find(FileName);
    if (Source == Map.Sources.end())
        return nullptr;
    const std::vector<TLine>& Lines = Source->second;
    for (std::size_t Index = 0; Index < Lines.size(); ++Index)
        if (Lines[Index].LineNumber >= LineNumber)
            // A line without code lands on the code line before it.
            return Lines[Index].LineNumber > LineNumber && Index > 0 ? &Lines[Index - 1]
                                                                     : &Lines[Index];
    return nullptr;
}

std::string ParsedMapText(const TMapModel& Map) {
    std::string Text;
    for (const auto& [Name, Lines] : Map.Sources) {
        Text += "# Source: " + Name + "\n";
        for (const TLine& Line : Lines) {
            Text += std::to_string(Line.LineNumber) + " " +
                    std::string(TrimBlanks(Line.SegmentName)) + " " +
                    std::to_string(Line.ProcNumber) + ":" + std::to_string(Line.Offset) + "\n";
            const TProcOffset* Found =
                FindProcOffset(Map, Line.SegmentName, Line.ProcNumber, Line.Offset);
            Text += Found ? Found->Text : std::string(ProcOffsetNotFoundText);
            Text += "\n\n";
        }
    }
    return Text;
}

} // namespace korvid
