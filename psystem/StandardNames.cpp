#include "psystem/StandardNames.h"

#include <algorithm>
#include <array>
#include <span>

namespace korvid {

namespace {

constexpr std::array<std::string_view, 21> UnitNames{
    "STRINGOPS", "KERNEL",  "LONGOPS",  "LONGOPS2", "PASCALIO",  "HEAPOPS",   "SCREENOPS",
    "GOTOXY",    "EXTRAIO", "OSUTIL",   "UNITINIT", "METADATA",  "EXTRAHEAP", "EXTRAMEM",
    "FILEOPS",   "CALLER",  "CODEPOOL", "REALOPS",  "COMMANDIO", "MSGOPS",    "GETCMD"};

struct TStandardName {
    int Unit;
    int Number;
    std::string_view Name;
};

constexpr TStandardName ProcNames[] = {
    {1, 2, "Concat"},
    {1, 3, "Insert"},
    {1, 4, "Copy"},
    {1, 5, "Delete"},
    {1, 6, "Pos"},
    {2, 2, "ExecutionError"},
    {2, 5, "PointerAdd"},
    {2, 6, "PointerSubtract"},
    {2, 7, "PointerLess"},
    {2, 8, "PointerGreater"},
    {2, 9, "PointerGreaterOrEqual"},
    {2, 15, "MoveLeft"},
    {2, 16, "MoveRight"},
    {2, 17, "Exit"},
    {2, 18, "UnitRead"},
    {2, 19, "UnitWrite"},
    {2, 21, "FillChar"},
    {2, 22, "Scan"},
    {2, 23, "IoCheck"},
    {2, 30, "IoResult"},
    {2, 34, "UnitClear"},
    {2, 35, "Halt"},
    {2, 36, "UnitStatus"},
    {3, 2, "Misc"},
    {3, 4, "WriteNumber"},
    {3, 5, "DivideWord"},
    {3, 6, "ModuloWord"},
    {3, 7, "AddCounter"},
    {3, 8, "SubtractCounter"},
    {3, 9, "NegateCounter"},
    {3, 10, "MultiplyCounter"},
    {3, 11, "DivideCounter"},
    {3, 12, "StrCounter"},
    {3, 13, "LowerIntegerToCounter"},
    {3, 14, "CompareCounter"},
    {3, 15, "IntegerToCounter"},
    {3, 16, "CounterToInteger"},
    {3, 18, "ModuloCounter"},
    {3, 21, "WriteCounter"},
    {3, 22, "CounterToNumber"},
    {3, 23, "LowerCounterToNumber"},
    {3, 24, "WordToNumber"},
    {3, 25, "LowerWordToNumber"},
    {3, 26, "WordToCounter"},
    {3, 92, "BetweenNumber"},
    {3, 93, "DupNumber"},
    {3, 94, "QuadToNumber"},
    {3, 95, "AbsNumber"},
    {3, 96, "DivideQuad"},
    {3, 97, "ModuloQuad"},
    {3, 98, "NotQuad"},
    {3, 99, "CounterToIntOrMaxInt"},
    {4, 0, "TrimNumber"},
    {4, 2, "AddNumber"},
    {4, 4, "SubtractNumber"},
    {4, 6, "NegateNumber"},
    {4, 8, "MultiplyNumber"},
    {4, 10, "DivideNumber"},
    {4, 12, "StrNumber"},
    {4, 14, "LowerIntegerToNumber"},
    {4, 16, "CompareNumber"},
    {4, 18, "IntegerToNumber"},
    {4, 20, "NumberToInteger"},
    {5, 3, "Get"},
    {5, 4, "Put"},
    {5, 5, "Eof"},
    {5, 6, "Eoln"},
    {5, 7, "ReadInt"},
    {5, 8, "WriteInt"},
    {5, 9, "ReadCh"},
    {5, 10, "ReadString"},
    {5, 11, "WriteConst"},
    {5, 12, "Write"},
    {5, 13, "ReadLn"},
    {5, 14, "WriteLn"},
    {5, 19, "WriteWord"},
    {6, 2, "Mark"},
    {6, 3, "Release"},
    {6, 4, "New"},
    {7, 26, "GetLongString"},
    {8, 2, "GotoXy"},
    {9, 2, "BlockIo"},
    {9, 3, "WriteChar"},
    {10, 3, "StrInt"},
    {10, 8, "GetTime"},
    {10, 13, "StrWord"},
    {11, 1, "InitNextUnit"},
    {13, 2, "VarDispose"},
    {13, 3, "VarNew"},
    {13, 5, "MemAvail"},
    {13, 6, "VarAvail"},
    {15, 2, "Open"},
    {15, 3, "Close"},
    {15, 4, "Init"},
    {15, 5, "Seek"},
    {15, 15, "FetchDirectory"},
    {16, 2, "Call"},
    {16, 3, "Recall"},
    {16, 4, "OneCall"},
    {17, 2, "Allocate"},
    {17, 3, "Free"},
    {17, 4, "Read"},
    {17, 5, "Write"},
    {18, 2, "Sin"},
    {18, 3, "Cos"},
    {18, 4, "Log"},
    {18, 5, "Ln"},
    {18, 7, "Exp"},
    {18, 8, "Sqrt"},
    {18, 9, "StrToReal"},
    {18, 10, "WriteReal"},
    {18, 11, "StrReal"},
    {19, 2, "Redirect"},
    {19, 3, "Exception"},
    {20, 2, "SetMessageFile"},
    {20, 3, "GetMessage"},
    {20, 4, "SetError"},
    {20, 5, "GetError"},
    {20, 6, "CancelError"},
    {20, 9, "GetEscapeChar"},
    {20, 13, "GetDefaultRealSize"},
};

constexpr TStandardName GlobalNames[] = {
    {2, 1, "sysCom"},      {2, 2, "input"},       {2, 3, "output"},        {2, 4, "keyboard"},
    {2, 11, "keyboard2"},  {2, 56, "isSql"},      {2, 60, "dkVid"},        {2, 64, "syVid"},
    {2, 68, "theDate"},    {2, 93, "volCount"},   {2, 94, "eRec"},         {2, 96, "eVec"},
    {7, 1, "currentY"},    {7, 2, "currentX"},    {7, 24, "errorMessage"}, {16, 1, "callResult"},
    {16, 2, "progResult"}, {16, 3, "dumpResult"}, {16, 4, "callError"},    {21, 49, "userLib"},
};

std::string Find(std::span<const TStandardName> Table, int Unit, int Number) {
    const auto Found = std::ranges::find_if(Table, [Unit, Number](const TStandardName& Entry) {
        return Entry.Unit == Unit && Entry.Number == Number;
    });
    return Found == Table.end() ? std::string() : std::string(Found->Name);
}

// The unit a segment is, by the first 8 characters of its name; 0 for none.
int UnitOfSegment(std::string_view SegmentName) {
    for (std::size_t Index = 0; Index < UnitNames.size(); ++Index) {
        std::string Padded(UnitNames[Index].substr(0, 8));
        Padded.resize(8, ' ');
        if (Padded == SegmentName)
            return int(Index) + 1;
    }
    return 0;
}

std::string Suffix(const std::string& Name) {
    return Name.empty() ? Name : " (" + Name + ")";
}

} // namespace

std::string StandardProcName(int Unit, int Proc) {
    return Find(ProcNames, Unit, Proc);
}

std::string KernelGlobalName(int Unit, int Offset) {
    return Find(GlobalNames, Unit, Offset);
}

std::string StandardProcSuffix(std::string_view SegmentName, int Proc) {
    const int Unit = UnitOfSegment(SegmentName);
    return Unit ? Suffix(StandardProcName(Unit, Proc)) : std::string();
}

std::string StandardGlobalSuffix(std::string_view SegmentName, int Offset) {
    const int Unit = UnitOfSegment(SegmentName);
    return Unit ? Suffix(KernelGlobalName(Unit, Offset)) : std::string();
}

} // namespace korvid
