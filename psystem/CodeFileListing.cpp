// The code-file listing: dictionary, segments, pools, references and type tables. Nothing the
// file says is trusted: every read goes through TCodeBytes, and damage stops only its own part.
#include "psystem/CodeFileListing.h"

#include "psystem/CodeListing.h"
#include "psystem/CustomFileHelper.h"
#include "psystem/PSystemText.h"
#include "psystem/Volume.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace korvid {

namespace {

constexpr std::int64_t CodeBlockSize = 512;
constexpr int EntriesPerBlock = 16;
constexpr unsigned MaxProcedures = 15000;
constexpr std::size_t LinesPerByte = 4;
constexpr std::size_t SpareLines = 10000;
constexpr unsigned CommentMaxLength = 79;

// Dictionary block fields.
constexpr int DiskInfo = 0;
constexpr int SegmentNames = 64;
constexpr int SegmentKinds = 192;
constexpr int InterfaceBlocks = 224;
constexpr int SegmentInfo = 256;
constexpr int ProgramInfo = 288;
constexpr int NextBlock = 416;
constexpr int Widths = 418;
constexpr int Comment = 432;

enum TSegmentKind : unsigned { skUnused, skProgram, skUnit, skFunction, skNative };
constexpr unsigned HasTypesMark = 3;

constexpr std::string_view Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view KindNames[] = {"", "Program", "Unit", "Function", "Native"};
constexpr std::string_view CodeTypes[] = {"P-code", "6809",  "PDP-11", "8080", "Z-80",   "GA-440",
                                          "6502",   "6800",  "9900",   "8086", "Z-8000", "68000",
                                          "HP-87",  "16000", "80186",  "80187"};
constexpr std::string_view Versions[] = {"Unknown", "2", "2.1", "3", "4", "5", "6", "7"};
constexpr std::string_view PoolRuler =
    "          0    1    2    3    4    5    6    7    8    9   0 1 2 3 4 5 6 7 8 9";

std::string RightAligned(std::int64_t Value, std::size_t Width) {
    std::string Text = std::to_string(Value);
    return Text.size() < Width ? std::string(Width - Text.size(), ' ') + Text : Text;
}

std::string Label(std::string_view Text) {
    std::string Line = "  " + std::string(Text);
    Line.resize(30, ' ');
    return Line;
}

std::string Trimmed(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return {};
    return std::string(Text.substr(First, Text.find_last_not_of(' ') - First + 1));
}

bool IsBlank(std::string_view Text) {
    return Text.find_first_not_of(' ') == std::string_view::npos;
}

// The listing's own bytes as the source the text decoder reads.
class TBufferSource : public TCustomFileHelper {
public:
    explicit TBufferSource(std::string_view Data) : FData(Data) {}
    std::int64_t GetSize() const override { return std::int64_t(FData.size()); }
    bool Read(std::int64_t Offset, std::int64_t Count, void* Buffer) override {
        if (Offset < 0 || Count < 0 || Offset + Count > GetSize())
            return false;
        std::memcpy(Buffer, FData.data() + Offset, std::size_t(Count));
        return true;
    }

private:
    std::string_view FData;
};

} // namespace

// ---- TCodeBytes ------------------------------------------------------------------------------

void TCodeBytes::Outside(std::int64_t Position) const {
    if (Position < 0)
        throw TListingStop{Place + " starts before the file at byte " + std::to_string(Position)};
    throw TListingStop{Place + " runs past the file's end at byte " + std::to_string(Position)};
}

void TCodeBytes::Require(std::int64_t Position, std::int64_t Count) const {
    if (Position < 0)
        Outside(Position);
    if (Count > Size() - Position)
        Outside(std::max(Position, Size()));
}

unsigned TCodeBytes::Byte(std::int64_t Position) const {
    if (Position < 0 || Position >= Size())
        Outside(Position);
    return static_cast<unsigned char>(FData[std::size_t(Position)]);
}

unsigned TCodeBytes::Word(std::int64_t Position) const {
    Require(Position, 2);
    return Byte(Position) | Byte(Position + 1) << 8;
}

std::uint32_t TCodeBytes::DWord(std::int64_t Position) const {
    Require(Position, 4);
    return Word(Position) | std::uint32_t(Word(Position + 2)) << 16;
}

// ---- TCodeListing ----------------------------------------------------------------------------

TCodeListing::TCodeListing(std::string_view Data, std::vector<std::string>& Lines,
                           const TSourceLineProvider* SourceLines)
    : FBytes(Data), FLines(Lines), FSourceLines(SourceLines), FLinesAtStart(Lines.size()),
      FLineBudget(Data.size() * LinesPerByte + SpareLines) {}

void TCodeListing::WriteLine(std::string_view Text) {
    FLine += Text;
    // Overlapping segments and procedures would let a small file list without end.
    if (FLines.size() - FLinesAtStart >= FLineBudget) {
        FLine.clear();
        FLines.push_back("** Listing stopped: the listing is longer than " +
                         std::to_string(FLineBudget) + " lines");
        throw TListingTooLong{};
    }
    FLines.push_back(std::move(FLine));
    FLine.clear();
}

void TCodeListing::Stopped(const std::string& Reason) {
    if (!FLine.empty())
        WriteLine();
    WriteLine("** Listing stopped: " + Reason);
}

void TCodeListing::List(const std::string& Title) {
    try {
        const TVolumeStamp Now = VolumeNow();
        WriteLine("; Disassembly of " + Title + " at " + std::to_string(Now.Hour) + ":" +
                  (Now.Minute < 10 ? "0" : "") + std::to_string(Now.Minute) + " on " +
                  std::to_string(Now.Day) + " " +
                  std::string(Months[std::clamp(Now.Month, 1, 12) - 1]) + " " +
                  std::to_string(Now.Year));
        ReadChain();
        if (!FChain.empty()) {
            const unsigned Length = std::min(FBytes.Byte(Comment), CommentMaxLength);
            if (Length > 0) {
                for (unsigned Index = 1; Index <= Length; ++Index) {
                    const unsigned Char = FBytes.Byte(Comment + Index);
                    if (Char >= 32 && Char <= 126)
                        Write(std::string(1, char(Char)));
                    else
                        Write("<" + std::to_string(Char) + ">");
                }
                WriteLine();
            }
            const unsigned Width = FBytes.Word(Widths);
            FWideOffsets = (Width >> 8) == 32;
            FWidePointers = (Width & 0xFF) == 64;
        }
        WriteLine();
        WriteSegmentList();
        for (std::size_t Index = 0; Index < FChain.size(); ++Index)
            for (int Entry = 0; Entry < EntriesPerBlock; ++Entry)
                if ((FBytes.Word(FChain[Index] * CodeBlockSize + SegmentKinds + Entry * 2) &
                     0xFF) != skUnused)
                    WriteSegment(FChain[Index], Entry, int(Index) * EntriesPerBlock + Entry);
    } catch (const TListingTooLong&) {
    }
    if (!FLine.empty())
        FLines.push_back(std::move(FLine));
}

void TCodeListing::ReadChain() {
    int Block = 0;
    try {
        for (;;) {
            // A chain pointing back would loop for ever.
            if (std::ranges::find(FChain, Block) != FChain.end()) {
                FChainStop = "the dictionary chain returns to block " + std::to_string(Block);
                return;
            }
            FBytes.Place = "dictionary block " + std::to_string(Block);
            FBytes.Require(Block * CodeBlockSize, CodeBlockSize);
            FChain.push_back(Block);
            Block = int(FBytes.Word(Block * CodeBlockSize + NextBlock));
            if (Block == 0)
                return;
        }
    } catch (const TListingStop& Stop) {
        FChainStop = Stop.Reason;
    }
}

void TCodeListing::WriteSegmentList() {
    WriteLine("Segments:");
    for (std::size_t Index = 0; Index < FChain.size(); ++Index) {
        const std::int64_t Base = FChain[Index] * CodeBlockSize;
        WriteLine("     (Block " + std::to_string(FChain[Index]) + ")");
        for (int Entry = 0; Entry < EntriesPerBlock; ++Entry) {
            if ((FBytes.Word(Base + SegmentKinds + Entry * 2) & 0xFF) == skUnused)
                continue;
            std::string Name(8, ' ');
            for (int Char = 0; Char < 8; ++Char)
                Name[Char] = char(FBytes.Byte(Base + SegmentNames + Entry * 8 + Char));
            WriteLine("  " + RightAligned(int(Index) * EntriesPerBlock + Entry, 3) + " " + Name);
        }
    }
    if (!FChainStop.empty())
        Stopped(FChainStop);
    WriteLine();
}

void TCodeListing::WriteSegment(int Block, int Entry, int Number) {
    const int Dictionary = Block * int(CodeBlockSize);
    WriteSummary(Dictionary, Entry);
    try {
        FBytes.Place = "segment " + std::to_string(Number) + "'s interface";
        WriteInterface(Dictionary, Entry);
        WriteSegmentBody(Dictionary, Entry, Number);
    } catch (const TListingStop& Stop) {
        Stopped(Stop.Reason);
        WriteLine();
    }
}

void TCodeListing::WriteSummary(int Dictionary, int Entry) {
    const TCodeBytes& B = FBytes;
    FSegmentName.assign(8, ' ');
    for (int Char = 0; Char < 8; ++Char)
        FSegmentName[Char] = char(B.Byte(Dictionary + SegmentNames + Entry * 8 + Char));
    const unsigned Kind = B.Word(Dictionary + SegmentKinds + Entry * 2);
    const unsigned Info = B.Word(Dictionary + SegmentInfo + Entry * 2);
    const unsigned HighWord = B.Word(Dictionary + InterfaceBlocks + Entry * 2);
    const std::int64_t Program = Dictionary + ProgramInfo + Entry * 8;
    std::int64_t CodeLength = B.Word(Dictionary + DiskInfo + Entry * 4 + 2);
    if (FWideOffsets)
        CodeLength += std::int64_t(HighWord) * 65536;

    WriteLine("# " + FSegmentName);
    const unsigned KindByte = Kind & 0xFF;
    WriteLine(Label("Segment type:") + std::string(KindByte < 5 ? KindNames[KindByte] : ""));
    WriteLine(Label("Size (excl. seg-ref list):") + std::to_string(CodeLength) + " words");
    WriteLine(Label("Segment starts at block:") +
              std::to_string(B.Word(Dictionary + DiskInfo + Entry * 4)));
    if (!FWideOffsets)
        WriteLine(Label("Interface starts at block:") + std::to_string(HighWord));
    if (KindByte == skProgram || KindByte == skUnit) {
        WriteLine(Label("Interface size:") + std::to_string(B.Word(Program + 6)) + " blocks");
        WriteLine(Label("Global variables:") + std::to_string(B.Word(Program)) + " words");
        WriteLine(Label("Size of seg-ref list:") + std::to_string(B.Word(Program + 2)) + " words");
        WriteLine(Label("Highest reference:") + std::to_string(B.Word(Program + 4)));
    } else {
        std::string Parent(8, ' ');
        for (int Char = 0; Char < 8; ++Char)
            Parent[Char] = char(B.Byte(Program + Char));
        WriteLine(Label("Parent segment:") + Parent);
    }
    WriteLine(Label("Known to parent as:") + std::to_string(Info & 0xFF));
    WriteLine(Label("Code type:") + std::string(CodeTypes[(Info >> 8) & 0x0F]));
    WriteLine(Label("P-machine version:") + std::string(Versions[Info >> 13]));
    WriteLine(Label("Has types:") + (Kind >> 8 == HasTypesMark ? "Yes" : "No"));
    WriteLine(Label("Offsets:") + (FWideOffsets ? "32-bit" : "16-bit"));
    WriteLine(Label("Pointers:") + (FWidePointers ? "64-bit" : "32-bit"));
}

void TCodeListing::WriteInterface(int Dictionary, int Entry) {
    const unsigned Kind = FBytes.Word(Dictionary + SegmentKinds + Entry * 2) & 0xFF;
    const std::int64_t First = FBytes.Word(Dictionary + InterfaceBlocks + Entry * 2);
    const std::int64_t Blocks = FBytes.Word(Dictionary + ProgramInfo + Entry * 8 + 6);
    if (Kind != skUnit || FWideOffsets || First == 0 || Blocks == 0)
        return;
    const std::int64_t Start = First * CodeBlockSize;
    if (Start >= FBytes.Size())
        FBytes.Require(Start, 1);
    const std::string Name = Trimmed(FSegmentName);
    WriteLine("[[[--->>> BEGIN INTERFACE " + Name);
    TBufferSource Source(FBytes.Data());
    DecodePSystemText(Source, std::min(FBytes.Size(), (First + Blocks) * CodeBlockSize), Start,
                      Name, FLines, true);
    WriteLine("[[[--->>> END INTERFACE " + Name);
    WriteLine();
}

void TCodeListing::WriteSegmentBody(int Dictionary, int Entry, int Number) {
    const std::string Segment = "segment " + std::to_string(Number);
    const unsigned Kind = FBytes.Word(Dictionary + SegmentKinds + Entry * 2);
    const std::int64_t WordsPerEntry = FWideOffsets ? 2 : 1;
    FSegmentStart = FBytes.Word(Dictionary + DiskInfo + Entry * 4) * CodeBlockSize;

    FBytes.Place = Segment + "'s header";
    const std::int64_t Procedures =
        FWideOffsets ? FBytes.DWord(FSegmentStart) : FBytes.Word(FSegmentStart);
    const std::int64_t Pool =
        FWideOffsets ? FBytes.DWord(FSegmentStart + 14) : FBytes.Word(FSegmentStart + 14);
    FPoolStart = Pool;

    FBytes.Place = Segment + "'s procedure dictionary";
    const unsigned Count = FBytes.Word(SegmentByte(Procedures * 2));
    WriteLine(Label("Number of procedures:") + std::to_string(Count));
    WriteLine();
    if (Count > MaxProcedures)
        throw TListingStop{Segment + " has " + std::to_string(Count) + " procedures, more than " +
                           std::to_string(MaxProcedures)};
    FProcStarts.clear();
    for (unsigned Proc = 1; Proc <= Count; ++Proc) {
        const std::int64_t At = SegmentByte((Procedures - Proc * WordsPerEntry) * 2);
        FProcStarts.push_back(FWideOffsets ? FBytes.DWord(At) & 0xFFFF : FBytes.Word(At));
    }
    FSortedStarts = FProcStarts;
    std::ranges::sort(FSortedStarts);

    std::int64_t PoolEnd = Procedures - Count * WordsPerEntry;
    std::int64_t TypeTable = 0;
    std::uint32_t Types = 0;
    if (FWideOffsets && Kind >> 8 == HasTypesMark) {
        FBytes.Place = Segment + "'s type table";
        PoolEnd -= 2;
        Types = FBytes.DWord(SegmentByte(PoolEnd * 2));
        TypeTable = PoolEnd - std::int64_t(Types) * 8;
        FBytes.Require(SegmentByte(TypeTable * 2), std::int64_t(Types) * 16);
        PoolEnd = TypeTable;
    }
    FBytes.Place = Segment + "'s constant pool";
    if (PoolEnd < Pool)
        throw TListingStop{FBytes.Place + " ends before it starts"};
    WriteConstantPool(Pool, PoolEnd);

    FReferenceNames.fill(std::string(8, ' '));
    FTypes.clear();
    if ((Kind & 0xFF) == skProgram || (Kind & 0xFF) == skUnit) {
        FBytes.Place = Segment + "'s seg-ref list";
        std::int64_t CodeLength = FBytes.Word(Dictionary + DiskInfo + Entry * 4 + 2);
        if (FWideOffsets)
            CodeLength += std::int64_t(FBytes.Word(Dictionary + InterfaceBlocks + Entry * 2)) << 16;
        ReadSegmentReferences(SegmentByte(CodeLength * 2));
    }
    WriteReferences();

    for (unsigned Proc = 1; Proc <= Count; ++Proc) {
        try {
            DisassembleProcedure(int(Proc), Pool);
        } catch (const TListingStop& Stop) {
            Stopped(Stop.Reason);
        }
        WriteLine();
    }
    FBytes.Place = Segment + "'s type table";
    WriteTypeTable(TypeTable, Types);
}

void TCodeListing::WriteConstantPool(std::int64_t From, std::int64_t To) {
    constexpr std::int64_t WordsPerLine = 10;
    FBytes.Require(SegmentByte(From * 2), (To - From) * 2);
    WriteLine("Constant pool:");
    WriteLine(PoolRuler);
    static constexpr char Hex[] = "0123456789ABCDEF";
    for (std::int64_t First = 0; First < To - From; First += WordsPerLine) {
        std::string Line = RightAligned(First, 4) + ":  ";
        std::string Characters;
        for (std::int64_t Index = First; Index < First + WordsPerLine; ++Index) {
            if (Index >= To - From) {
                Line += "     ";
                continue;
            }
            for (int Half = 0; Half < 2; ++Half) {
                const unsigned Byte = FBytes.Byte(SegmentByte((From + Index) * 2 + Half));
                Line += Hex[Byte >> 4];
                Line += Hex[Byte & 0x0F];
                Characters += Byte >= 32 && Byte <= 126 ? char(Byte) : '.';
            }
            Line += ' ';
        }
        WriteLine(Line + " " + Characters);
    }
    WriteLine();
}

std::string TCodeListing::PoolString(std::int64_t WordPosition) const {
    const std::int64_t At = SegmentByte((FPoolStart + WordPosition) * 2);
    const unsigned Length = FBytes.Byte(At);
    FBytes.Require(At + 1, Length);
    return std::string(FBytes.Data().substr(std::size_t(At + 1), Length));
}

void TCodeListing::ReadSegmentReferences(std::int64_t Start) {
    std::int64_t At = Start;
    for (;;) {
        FBytes.Require(At, 10);
        const unsigned Number = FBytes.Word(At + 8) & 0xFF;
        if (Number == 0)
            break;
        // 1 and 2 are the kernel and the segment itself; their names are fixed.
        if (Number > 2)
            FReferenceNames[Number] = std::string(FBytes.Data().substr(std::size_t(At), 8));
        At += 10;
    }
    At += 10;
    const unsigned Count = FBytes.Word(At);
    At += 2;
    for (unsigned Index = 0; Index < Count; ++Index, At += 4) {
        const unsigned Segment = FBytes.Word(At);
        FTypes.push_back({Segment, PoolString(FBytes.Word(At + 2))});
    }
}

void TCodeListing::WriteReferences() {
    if (!IsBlank(FReferenceNames[3])) {
        WriteLine("References:");
        for (unsigned Number = 3; Number < FReferenceNames.size(); ++Number)
            if (!IsBlank(FReferenceNames[Number]))
                WriteLine(RightAligned(Number, 4) + " " + FReferenceNames[Number]);
        WriteLine();
    }
    if (!FTypes.empty()) {
        WriteLine("Type references:");
        for (std::size_t Index = 0; Index < FTypes.size(); ++Index)
            WriteLine(RightAligned(std::int64_t(Index) + 1, 4) + " " +
                      SegmentName(FTypes[Index].Segment) + " " + FTypes[Index].Name);
        WriteLine();
    }
}

void TCodeListing::WriteTypeTable(std::int64_t Table, std::uint32_t Count) {
    enum TMemberKind : unsigned { mkField, mkMethod, mkInterface };
    for (std::uint32_t Type = 0; Type < Count; ++Type) {
        const std::int64_t Entry = SegmentByte((Table + std::int64_t(Type) * 8) * 2);
        const std::uint32_t Members = FBytes.DWord(Entry);
        const std::uint32_t MemberCount = FBytes.DWord(Entry + 4);
        const std::uint32_t At = FBytes.DWord(Entry + 12);
        WriteLine("type " + std::to_string(Type + 1) + (At > 0 ? " @" + std::to_string(At) : ""));
        for (std::uint32_t Member = 0; Member < MemberCount; ++Member) {
            const std::int64_t Field =
                SegmentByte((FPoolStart + Members + std::int64_t(Member) * 4) * 2);
            const unsigned Kind = FBytes.Word(Field);
            const unsigned Number = FBytes.Word(Field + 4);
            const unsigned Reference = FBytes.Word(Field + 6);
            switch (Kind) {
            case mkField:
                WriteLine("  " + PoolString(FBytes.Word(Field + 2)) + " of type " +
                          TypeName(Reference) + " (me + " + std::to_string(Number) + ")");
                break;
            case mkMethod:
                WriteLine("  " + PoolString(FBytes.Word(Field + 2)) + " -> " +
                          std::to_string(Number) + " in " + SegmentName(Reference));
                break;
            case mkInterface:
                WriteLine("  interface " + TypeName(Reference) + " -> type " +
                          std::to_string(Number));
                break;
            default:
                WriteLine("  " + PoolString(FBytes.Word(Field + 2)));
            }
        }
    }
    if (Count > 0)
        WriteLine();
}

std::string TCodeListing::SegmentName(unsigned Number) const {
    if (Number == 1)
        return "KERNEL  ";
    if (Number == 2)
        return FSegmentName;
    if (Number >= 3 && Number < FReferenceNames.size() && !IsBlank(FReferenceNames[Number]))
        return FReferenceNames[Number];
    std::string Name = "<" + std::to_string(Number) + ">";
    if (Name.size() < 8)
        Name.resize(8, ' ');
    return Name;
}

std::string TCodeListing::TypeName(unsigned Number) const {
    if (Number >= 1 && Number <= FTypes.size())
        return FTypes[Number - 1].Name;
    return "<type " + std::to_string(Number) + ">";
}

// ---- The entry point -------------------------------------------------------------------------

void DisassembleCodeFile(const std::string& Title, std::vector<std::string>& Lines,
                         const TWholeFileLoader& LoadWholeFile,
                         const TSourceLineProvider* SourceLines) {
    std::string Buffer;
    if (!LoadWholeFile || !LoadWholeFile(Buffer))
        throw ECodeFileError("Can't open file '" + Title + "'");
    TCodeListing(Buffer, Lines, SourceLines).List(Title);
}

} // namespace korvid
