#include "devtools/debugger/DebugTexts.h"

#include "platform/Cp1252.h"

#include <array>
#include <cstdio>

namespace korvid {

namespace {

constexpr int WordsPerRow = 16;
constexpr int RowCount = 4096;
// Grouping sets words 4, 8 and 12 (and their characters) apart.
constexpr int GroupSize = 4;
constexpr unsigned char PoundSign = 163;

constexpr int UnitKind = 19;
constexpr int ProcedureKind = 20;
constexpr int FileKind = 23;
constexpr int NumberKind = 10;
constexpr int ArrayKind = 15;
constexpr int StringKind = 12;
constexpr std::string_view NoName = "???";

bool GroupEnds(int Word, bool Grouped) {
    return Grouped && Word % GroupSize == GroupSize - 1 && Word < WordsPerRow - 1;
}

char DumpCharacter(unsigned Byte) {
    return (Byte >= 32 && Byte <= 126) || Byte == PoundSign ? static_cast<char>(Byte) : '.';
}

std::string HexWord(unsigned Value) {
    char Text[8];
    std::snprintf(Text, sizeof(Text), "%04X", Value & 0xFFFFu);
    return Text;
}

std::string RowAddress(int Address, bool Hex) {
    char Text[16];
    if (Hex)
        std::snprintf(Text, sizeof(Text), "%04X  ", static_cast<unsigned>(Address));
    else
        std::snprintf(Text, sizeof(Text), "%5d  ", Address);
    return Text;
}

std::string DumpRow(const std::vector<std::uint16_t>& Words, int Address, bool Hex, bool Grouped) {
    const auto WordAt = [&Words, Address](int Index) -> unsigned {
        const auto At = static_cast<std::size_t>(Address + Index);
        return At < Words.size() ? Words[At] : 0u;
    };
    std::string Row = RowAddress(Address, Hex);
    for (int Index = 0; Index < WordsPerRow; ++Index) {
        Row += ' ' + HexWord(WordAt(Index));
        if (GroupEnds(Index, Grouped))
            Row += ' ';
    }
    Row += ' ';
    for (int Index = 0; Index < WordsPerRow; ++Index) {
        // Memory holds each word low byte first.
        Row += DumpCharacter(WordAt(Index) & 0xFFu);
        Row += DumpCharacter(WordAt(Index) >> 8);
        if (GroupEnds(Index, Grouped))
            Row += ' ';
    }
    return Row;
}

std::string OwnerName(const TEntity& Entity, int Kind) {
    const TEntity* Owner = NearestOwner(Entity, Kind);
    return Owner ? Owner->Name : std::string(NoName);
}

std::string FileNumber(const TEntity& Entity) {
    const TEntity* File = NearestOwner(Entity, FileKind);
    return std::to_string(File ? File->WordOffset : 0);
}

// The file name as the user knows it: a file in a volume without the volume.
std::string PlainFileName(const std::string& Name) {
    const auto Volume = Name.find('>');
    return Volume == std::string::npos ? Name : Name.substr(Volume + 1);
}

} // namespace

// ---- The memory dump ----

std::string MemoryDumpHeader(bool Hex, bool Grouped) {
    if (Hex)
        return Grouped ? "         0    1    2    3     4    5    6    7    8     9    A    B     "
                         "C    D    E    F"
                       : "         0    1    2    3    4    5    6    7    8    9    A    B    C "
                         "   D    E    F";
    return Grouped ? "          0    1    2    3     4    5    6    7     8    9   10   11    12  "
                     " 13   14   15"
                   : "          0    1    2    3    4    5    6    7    8    9   10   11   12   13 "
                     "  14   15";
}

std::string MemoryDumpText(const std::vector<std::uint16_t>& Words, bool Hex, bool Grouped) {
    // An editor tab takes its lines as the other generated documents give them.
    std::string Text = MemoryDumpHeader(Hex, Grouped);
    for (int Row = 0; Row < RowCount; ++Row)
        Text += "\r\n" + DumpRow(Words, Row * WordsPerRow, Hex, Grouped);
    return Text;
}

// ---- The call stack and the heap ----

std::string CallStackItemText(const TStackLine& Frame) {
    return std::string(TrimBlanks(Frame.Segment)) + " " + std::to_string(Frame.Proc) + ":" +
           std::to_string(Frame.Offset);
}

std::string HeapStackLabelText(const std::string& Heap, const std::string& Stack) {
    return "Heap: " + Heap + "   Stack:" + Stack;
}

TDebugItemLines DebugItemLines(const TProcOffset& Location) {
    TDebugItemLines Lines;
    Lines.Source = Location.Text;
    const std::string Segment =
        Location.Proc ? std::string(TrimBlanks(Location.Proc->SegmentName)) : std::string();
    const int Number = Location.Proc ? Location.Proc->Number : 0;
    Lines.Routine = "in " + Location.ProcedureName() + " = " + Segment + " " +
                    std::to_string(Number) + ":" + std::to_string(Location.Offset);
    Lines.Place =
        PlainFileName(Location.SourceName) + " (line " + std::to_string(Location.LineNumber) + ")";
    return Lines;
}

std::string CallStackClipboardText(const std::vector<std::string>& Texts,
                                   const std::vector<const TProcOffset*>& Locations) {
    std::string Text;
    for (std::size_t Index = 0; Index < Texts.size(); ++Index) {
        const TProcOffset* Location = Index < Locations.size() ? Locations[Index] : nullptr;
        if (!Location) {
            Text += Texts[Index] + "\r\n";
            continue;
        }
        const TDebugItemLines Lines = DebugItemLines(*Location);
        Text += Lines.Source + "\r\n  " + Lines.Routine + "\r\n  " + Lines.Place + "\r\n";
    }
    return Text;
}

// ---- Entities ----

bool IsValueKind(int Kind) {
    return (Kind >= 2 && Kind <= 14) || Kind == 17 || Kind == 18;
}

std::string TypeDescription(const TEntity& Entity, bool Prefix, int MapKind) {
    static constexpr std::array<std::string_view, 19> Plain = {
        "",           "",        "boolean", "choice", "character", "date", "fuzzy boolean",
        "handle",     "integer", "counter", "",       "paragraph", "",     "record handle",
        "row handle", "",        "record",  "attach", "chain"};
    const int Kind = Entity.Kind;
    if (Kind == ProcedureKind) {
        // A procedure names its unit where its own name does not tell it.
        const bool InUnit = Entity.Owner && Entity.Owner->Kind == UnitKind &&
                            (Entity.Name.starts_with('<') || MapKind == mkRW);
        return InUnit ? " in " + Entity.Owner->Name : std::string();
    }
    std::string Text;
    if (Kind == NumberKind)
        Text = "number " + std::to_string(Entity.Extent1) + "," + std::to_string(Entity.Extent2);
    else if (Kind == StringKind)
        Text = "string " + std::to_string(Entity.Extent1);
    else if (Kind == ArrayKind)
        Text = "array [" + std::to_string(Entity.Extent1) + "]";
    else if (Kind >= 0 && Kind < int(Plain.size()))
        Text = std::string(Plain[Kind]);
    if (Text.empty())
        return {};
    return Prefix ? " : " + Text : Text;
}

TLocationDescription LocationDescription(const TEntity& Entity) {
    static constexpr std::array<std::string_view, 6> ClassWords = {"???",     "Global",   "Local",
                                                                   "Primary", "External", "Column"};
    TLocationDescription Description;
    const int Class = Entity.LocationClass;
    Description.ClassWord =
        std::string(Class < int(ClassWords.size()) ? ClassWords[Class] : ClassWords[0]);
    if (Entity.Letter == 'H') {
        Description.Detail = Entity.Name == "cursor" ? "cursor" : "record number";
        return Description;
    }
    if (Entity.Letter == 'J') {
        Description.Detail = "row count";
        return Description;
    }
    const int Words = SizeInWords(Entity);
    const std::string Head =
        std::to_string(Words) + " word" + (Words == 1 ? "" : "s") + " at word ";
    const TVariableOffset Place = VariableOffset(Entity);
    std::string Offset = std::to_string(Place.Offset);
    if (Place.Indirect && Class != lcColumn)
        Offset += "^";
    if (Place.HasSecond)
        Offset += " " + std::to_string(Place.Second);
    switch (Class) {
    case lcGlobal:
        Description.Detail = Head + Offset + " of " + OwnerName(Entity, UnitKind);
        break;
    case lcLocal:
        Description.Detail = Head + Offset + " of " + OwnerName(Entity, ProcedureKind);
        break;
    case lcPrimary:
        Description.Detail = Head + Offset + " of file " + FileNumber(Entity);
        break;
    case lcExternal:
        Description.Detail =
            Head + FileNumber(Entity) + "^ " + Offset + " of " + OwnerName(Entity, UnitKind);
        break;
    case lcColumn:
        Description.Detail = Offset;
        break;
    default:
        break;
    }
    return Description;
}

bool CanRunUntilChanged(const TEntity& Entity) {
    // A paragraph has no fixed place to watch, a column none in the module's memory.
    return Entity.Kind >= 2 && Entity.Kind <= 14 && Entity.Kind != 11 &&
           Entity.LocationClass != lcColumn;
}

bool BeginsIdentifier(char First) {
    const auto Byte = static_cast<unsigned char>(First);
    return First == '_' || UpCase1252(Byte) != LowCase1252(Byte);
}

std::string NormaliseIdentifier(std::string_view Text, int MapKind) {
    std::string Word = LowerCase1252(Text);
    // The compilers keep only so much of a name.
    if (MapKind == mkRW && Word.size() > 9)
        Word.resize(9);
    else if (MapKind == mkL2 && Word.size() > 21)
        Word.resize(21);
    return Word;
}

int EntityImage(const TEntity& Entity) {
    static constexpr std::array<int, 26> Images = {18, 18, 2,  4,  22, 5,  7,  27, 23,
                                                   24, 25, 10, 21, 27, 27, 0,  13, 1,
                                                   3,  14, 12, 6,  11, 19, 15, 16};
    constexpr int CompanionImage = 20;
    constexpr int WholeNumberImage = 26;
    if (Entity.Letter == 'H')
        return CompanionImage;
    if (Entity.Kind == NumberKind && Entity.Extent2 == 0)
        return WholeNumberImage;
    return Entity.Kind < int(Images.size()) ? Images[Entity.Kind] : Images[0];
}

} // namespace korvid
