// Every instruction against rows copied from the instruction tables by hand: its bytes (the
// operands chosen per row), mnemonic, stack effect and description.
#include "psystem/CodeFileListing.h"

#include "tests/support/CodeFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvid::test {
namespace {

struct TRow {
    std::vector<int> Bytes;
    std::string Mnemonic;
    std::string Stack; // "pops/pushes", "call", "3,call", "->>" or "<<-"
    std::string Description;
};

// The one instruction in Code, listed in a unit whose seg-refs 3 to 6 name standard units.
std::string LineOf(const std::vector<int>& Code) {
    TCodeFile File;
    TCodeSegment S;
    S.Name = "MYUNIT";
    std::string Bytes;
    for (const int Byte : Code)
        Bytes += char(Byte);
    S.Procedures = {{Bytes + std::string(8, '\xfd'), 0, -1}};
    S.References = {{"HEAPOPS", 3}, {"LONGOPS2", 4}, {"SCREENOP", 5}, {"CODEPOOL", 6}};
    File.Segments = {S};
    const std::string Built = BuildCodeFile(File).Bytes;
    std::vector<std::string> Lines;
    DisassembleCodeFile("T", Lines, [&Built](std::string& Buffer) {
        Buffer = Built;
        return true;
    });
    const auto Header = std::ranges::find_if(
        Lines, [](const std::string& Line) { return Line.starts_with("function "); });
    return Header != Lines.end() && Header + 1 != Lines.end() ? Header[1] : std::string();
}

std::string Field(char Sign, const std::string& Count) {
    if (Count == "0")
        return "   ";
    if (Count.size() == 1)
        return std::string(1, Sign) + Count + " ";
    if (Count == "n")
        return std::string(1, Sign) + "n ";
    if (Count == "n+1")
        return std::string(1, Sign) + "n1";
    return std::string(1, Sign) + Count; // n4, 2n, 3n
}

std::string StackColumn(const std::string& Stack) {
    if (Stack == "call")
        return "~~~~~~ ";
    if (Stack == "->>" || Stack == "<<-")
        return Stack + "    ";
    if (Stack.ends_with(",call"))
        return Field('-', Stack.substr(0, Stack.find(','))) + "~~~ ";
    const std::size_t Slash = Stack.find('/');
    return Field('-', Stack.substr(0, Slash)) + " " + Field('+', Stack.substr(Slash + 1));
}

std::string Expected(const TRow& Row) {
    std::string Mnemonic = Row.Mnemonic;
    Mnemonic.resize(18, ' ');
    std::string Bytes;
    for (const int Byte : Row.Bytes)
        Bytes += (Bytes.empty() ? "" : ",") + std::to_string(Byte);
    Bytes.resize(std::max<std::size_t>(Bytes.size(), 25), ' ');
    return "    0:  " + Mnemonic + Bytes + StackColumn(Row.Stack) + "  " + Row.Description;
}

void Check(const std::vector<TRow>& Rows) {
    for (const TRow& Row : Rows)
        EXPECT_EQ(LineOf(Row.Bytes), Expected(Row));
}

TEST(OpcodeTable, OneByteRanges) {
    std::vector<TRow> Rows;
    for (int Op = 0x00; Op <= 0x1F; ++Op)
        Rows.push_back({{Op}, "Lit" + std::to_string(Op), "0/1", "push lit " + std::to_string(Op)});
    for (int Op = 0x20; Op <= 0x2F; ++Op)
        Rows.push_back(
            {{Op}, "Loc" + std::to_string(Op - 31), "0/1", "push loc " + std::to_string(Op - 31)});
    for (int Op = 0x30; Op <= 0x3F; ++Op)
        Rows.push_back(
            {{Op}, "Glo" + std::to_string(Op - 47), "0/1", "push glo " + std::to_string(Op - 47)});
    for (int Op = 0x60; Op <= 0x67; ++Op)
        Rows.push_back({{Op},
                        "AddrLoc" + std::to_string(Op - 95),
                        "0/1",
                        "push addr loc " + std::to_string(Op - 95)});
    for (int Op = 0x68; Op <= 0x6F; ++Op)
        Rows.push_back({{Op},
                        "PopLoc" + std::to_string(Op - 103),
                        "1/0",
                        "pop loc " + std::to_string(Op - 103)});
    const char* const Segments[] = {"KERNEL   (PointerGreaterOrEqual)",
                                    "MYUNIT  ",
                                    "HEAPOPS ",
                                    "LONGOPS2",
                                    "SCREENOP",
                                    "CODEPOOL",
                                    "<7>     ",
                                    "<8>     "};
    for (int Op = 0x70; Op <= 0x77; ++Op)
        Rows.push_back(
            {{Op, 9}, "CallExt9", "call", std::string("call ext 9 in ") + Segments[Op - 0x70]});
    Rows.push_back({{0x78}, "Deref0", "1/1", "deref"});
    for (int Op = 0x79; Op <= 0x7F; ++Op)
        Rows.push_back(
            {{Op}, "Deref" + std::to_string(Op - 120), "1/1", "deref " + std::to_string(Op - 120)});
    Check(Rows);
}

TEST(OpcodeTable, SingleOpcodes40To9F) {
    Check({
        {{0x40, 1, 0}, "CallLocLong", "call", "call loc long 1"},
        {{0x41, 2, 5, 0}, "CallMedLong", "call", "call med long 5 up 2"},
        {{0x42, 7, 0}, "CallGloLong", "call", "call glo long 7"},
        {{0x43, 3, 5, 0}, "CallExtLong", "call", "call ext long 5 in HEAPOPS "},
        {{0x44, 4, 6}, "LocBuf", "0/n", "push loc 6 buf of 4"},
        {{0x45, 4, 2, 6}, "MedBuf", "0/n", "push med 6 buf of 4 up 2"},
        {{0x46, 4, 6}, "GloBuf", "0/n", "push glo 6 buf of 4"},
        {{0x47, 4, 5, 24}, "ExtBuf", "0/n", "push ext 24 buf of 4 in SCREENOP (errorMessage)"},
        {{0x48, 0, 7}, "DerefBuf", "1/n", "deref buf of 7"},
        {{0x49, 4, 6}, "PopLocBuf", "n/0", "pop loc 6 buf of 4"},
        {{0x4A, 4, 2, 6}, "PopMedBuf", "n/0", "pop med 6 buf of 4 up 2"},
        {{0x4B, 4, 6}, "PopGloBuf", "n/0", "pop glo 6 buf of 4"},
        {{0x4C, 4, 3, 7}, "PopExtBuf", "n/0", "pop ext 7 buf of 4 in HEAPOPS "},
        {{0x4D, 16, 0}, "PopBufLong", "n+1/0", "pop buf long of 16"},
        {{0x4E, 16, 0}, "DupBuf", "0/n", "dup buf of 16"},
        {{0x4F, 16, 0}, "SwapBuf", "0/n", "swap buf of 16"},
        {{0x50}, "IncSet", "n+1/n", "inc set"},
        {{0x51}, "DecSet", "n+1/n", "dec set"},
        {{0x52, 5, 0}, "GotoIfPeekTrue", "->>", "goto 8 if peek true"},
        {{0x53, 5, 0}, "GotoIfPeekFalse", "->>", "goto 8 if peek false"},
        {{0x54, 0xFB, 0xFF}, "GotoIfTrueLong", "<<-", "goto long -2 if true"},
        {{0x55}, "Lt", "2/1", "test <"},
        {{0x56}, "Gt", "2/1", "test >"},
        {{0x57}, "AndQuad", "4/2", "and quad"},
        {{0x58}, "OrQuad", "4/2", "or quad"},
        {{0x59}, "XorWord", "2/1", "xor word"},
        {{0x5A}, "XorQuad", "4/2", "xor quad"},
        {{0x5B}, "AbsThisSeg", "0/1", "push abs this seg"},
        {{0x5C}, "AbsThatSeg", "0/1", "push abs that seg"},
        {{0x5D, 1, 2, 0, 0}, "LitQuad", "0/2", "push lit quad 513"},
        {{0x5D, 0xFF, 0xFF, 0xFF, 0xFF}, "LitQuad", "0/2", "push lit quad -1"},
        {{0x5E}, "IncQuad", "1/1", "inc quad"},
        {{0x5F}, "DecQuad", "1/1", "dec quad"},
        {{0x80, 64}, "LitByte", "0/1", "push lit byte 64"},
        {{0x81, 0, 1}, "LitWord", "0/1", "push lit word 256"},
        {{0x82, 5}, "AbsCon", "0/1", "push abs con 5"},
        {{0x83, 0, 5, 7}, "ConBuf", "0/7", "push con buf 5 of 7"},
        {{0x84, 32}, "AddrLoc", "0/1", "push addr loc 32"},
        {{0x85, 32}, "Glo", "0/1", "push glo 32"},
        {{0x86, 3}, "AddrGlo", "0/1", "push addr glo 3"},
        {{0x87, 32}, "Loc", "0/1", "push loc 32"},
        {{0x88, 3, 9}, "AddrMed", "0/1", "push addr med 9 up 3"},
        {{0x89, 3, 9}, "Med", "0/1", "push med 9 up 3"},
        {{0x8A, 2}, "Goto", "->>", "goto 4"},
        {{0x8B, 0, 1}, "GotoLong", "->>", "goto long 259"},
        {{0x8C}, "Mul", "2/1", "mul"},
        {{0x8D}, "Div", "2/1", "div"},
        {{0x8E, 6}, "PopBuf", "n+1/0", "pop buf of 6"},
        {{0x8F}, "Mod", "2/1", "mod"},
        {{0x90, 2}, "CallLoc", "call", "call loc 2"},
        {{0x91, 2}, "CallGlo", "call", "call glo 2"},
        {{0x92, 3, 2}, "CallMed", "call", "call med 2 up 3"},
        {{0x93, 3, 2}, "CallLocExt", "call", "call loc 2 in HEAPOPS "},
        {{0x94, 9, 2}, "CallExt", "call", "call ext 2 in <9>     "},
        {{0x95, 3, 4, 5}, "CallMedExt", "call", "call med 5 up 4 in HEAPOPS "},
        {{0x96, 2}, "RetPop", "n/0", "ret pop 2"},
        {{0x97}, "CallPtr", "3,call", "call ptr"},
        {{0x98}, "Nil", "0/1", "push nil"},
        {{0x99, 0}, "Frame", "0/1", "push frame"},
        {{0x99, 2}, "Frame", "0/1", "push frame up 2"},
        {{0x9A, 1, 1}, "Ext", "0/1", "push ext 1 in KERNEL   (sysCom)"},
        {{0x9B, 5, 2}, "AddrExt", "0/1", "push addr ext 2 in SCREENOP (currentX)"},
        {{0x9C}, "Void", "0/0", "void"},
        {{0x9D}, "AbsSeg", "1/1", "push abs seg"},
        {{0x9E}, "Break", "0/0", "break"},
        {{0x9F}, "NotBool", "1/1", "not bool"},
    });
}

TEST(OpcodeTable, SingleOpcodesA0ToFE) {
    Check({
        {{0xA0}, "Or", "2/1", "or"},
        {{0xA1}, "And", "2/1", "and"},
        {{0xA2}, "Add", "2/1", "add"},
        {{0xA3}, "Sub", "2/1", "sub"},
        {{0xA4, 10}, "PopLoc", "1/0", "pop loc 10"},
        {{0xA5, 10}, "PopGlo", "1/0", "pop glo 10"},
        {{0xA6, 2, 10}, "PopMed", "1/0", "pop med 10 up 2"},
        {{0xA7}, "Byte", "2/1", "push byte"},
        {{0xA8, 3}, "IncLoc", "0/0", "inc loc 3"},
        {{0xA9, 3}, "IncLocQuad", "0/0", "inc loc quad 3"},
        {{0xAA}, "DropWord", "1/0", "drop word"},
        {{0xAB, 0x81, 0}, "CopyBufArg", "2/0", "copy buf of 256"},
        {{0xAC, 4}, "CopyStrArg", "2/0", "copy str of 4"},
        {{0xAD, 7}, "Med1", "0/1", "push med 7 up 1"},
        {{0xAE, 7}, "Med2", "0/1", "push med 7 up 2"},
        {{0xAF, 5}, "BlankBuf", "0/n", "blank buf of 5"},
        {{0xB0}, "Eq", "2/1", "test ="},
        {{0xB1}, "Ne", "2/1", "test <>"},
        {{0xB2}, "Le", "2/1", "test <="},
        {{0xB3}, "Ge", "2/1", "test >="},
        {{0xB4}, "LeWord", "2/1", "test <= word"},
        {{0xB5}, "GeWord", "2/1", "test >= word"},
        {{0xB6}, "EqSet", "2n/1", "test = set"},
        {{0xB7}, "LeSet", "2n/1", "test <= set"},
        {{0xB8}, "GeSet", "2n/1", "test >= set"},
        {{0xB9, 0, 1, 5}, "EqBuf", "2/1", "test con = var buf of 5"},
        {{0xBA, 1, 0, 5}, "LeBuf", "2/1", "test var <= con buf of 5"},
        {{0xBB, 0, 0, 5}, "GeBuf", "2/1", "test var >= var buf of 5"},
        {{0xBC}, "MakeSet", "2/n", "make set"},
        {{0xBD}, "SwapWord", "0/0", "swap word"},
        {{0xBE}, "Fill", "4/0", "fill"},
        {{0xBF}, "Move", "5/0", "move"},
        {{0xC0}, "Mark", "1/0", "mark"},
        {{0xC1}, "Release", "1/0", "release"},
        {{0xC2}, "New", "2/0", "new"},
        {{0xC3}, "Scan", "5/0", "scan"},
        {{0xC4}, "Pop", "2/0", "pop"},
        {{0xC5, 2, 6}, "CopyBuf", "2/0", "copy con buf of 6 flip"},
        {{0xC5, 0, 6}, "CopyBuf", "2/0", "copy var buf of 6"},
        {{0xC6}, "Pos", "4/1", "pos"},
        {{0xC7, 3}, "TrimSet", "n/n", "trim set of 3"},
        {{0xC8}, "PopByte", "3/0", "pop byte"},
        {{0xC9}, "Pack", "3/1", "push pack"},
        {{0xCA}, "PopPack", "4/0", "pop pack"},
        {{0xCB}, "Check", "3/1", "check"},
        {{0xCC}, "AddStr", "3/0", "add str"},
        {{0xCD}, "InsertStr", "4/0", "insert str"},
        {{0xCE}, "Subtr", "4/0", "substr"},
        {{0xCF}, "DeleteStr", "3/0", "delete str"},
        {{0xD0, 5}, "Buf", "1/n", "push buf of 5"},
        {{0xD1}, "Step", "0/0", "step"},
        {{0xD2, 0xFE}, "GotoIfNe", "<<-", "goto 0 if <>"},
        {{0xD3, 4}, "GotoIfEq", "->>", "goto 6 if ="},
        {{0xD4, 4}, "GotoIfFalse", "->>", "goto 6 if false"},
        {{0xD5, 0, 2}, "GotoIfFalseLong", "->>", "goto long 515 if false"},
        {{0xD6, 3}, "Switch", "1/0", "switch 3"},
        {{0xD7, 3}, "IncPtrOf", "2/1", "inc ptr of 3"},
        {{0xD8, 2, 5}, "MakePack", "2/3", "make pack for 2 of 5 bits"},
        {{0xD9, 3, 4}, "PopExt", "1/0", "pop ext 4 in HEAPOPS "},
        {{0xDA}, "InSet", "n+1/1", "test in set"},
        {{0xDB}, "AddSet", "2n/n", "add set"},
        {{0xDC}, "MulSet", "2n/n", "mul set"},
        {{0xDD}, "SubSet", "2n/n", "sub set"},
        {{0xDE, 3}, "OctoBuf", "4/n", "push octo buf of 3"},
        {{0xDF, 3}, "IncOctoBy", "4/4", "inc octo by 3"},
        {{0xE0}, "Abs", "1/1", "abs"},
        {{0xE1}, "Neg", "1/1", "neg"},
        {{0xE2}, "DupWord", "1/2", "dup word"},
        {{0xE3}, "IncSetAt", "2/0", "inc set at"},
        {{0xE4}, "DecSetAt", "2/0", "dec set at"},
        {{0xE5}, "NotWord", "1/1", "not word"},
        {{0xE6, 12}, "Deref", "1/1", "deref 12"},
        {{0xE7, 12}, "IncPtrBy", "1/1", "inc ptr by 12"},
        {{0xE8, 1, 0}, "EqStr", "2/1", "test var = con str"},
        {{0xE9, 0, 1}, "LeStr", "2/1", "test con <= var str"},
        {{0xEA, 0, 0}, "GeStr", "2/1", "test var >= var str"},
        {{0xEB, 1, 7}, "CopyStr", "2/0", "copy con str of 7"},
        {{0xEC}, "CheckStr", "2/2", "check str"},
        {{0xED}, "Inc", "1/1", "inc"},
        {{0xEE}, "Dec", "1/1", "dec"},
        {{0xEF, 4}, "CallMed1", "call", "call med 4 up 1"},
        {{0xF0, 4}, "CallMed2", "call", "call med 4 up 2"},
        {{0xF1, 2}, "GotoIfTrue", "->>", "goto 4 if true"},
        {{0xF2}, "AssignedQuad", "2/1", "assigned quad"},
        {{0xF3}, "AssignedFunc", "3/1", "assigned func"},
        {{0xF4}, "AssignedOcto", "4/1", "assigned octo"},
        {{0xF5}, "DupQuad", "2/4", "dup quad"},
        {{0xF6}, "OctoPtr", "1/4", "octo ptr"},
        {{0xF7, 16, 0}, "BufLong", "1/n", "push buf long of 16"},
        {{0xF8}, "LenStr", "1/1", "push length str"},
        {{0xF9}, "AddChar", "2/0", "add char"},
        {{0xFA, 3}, "DecLoc", "0/0", "dec loc 3"},
        {{0xFB, 3}, "DecLocQuad", "0/0", "dec loc quad 3"},
        {{0xFC}, "Assigned", "1/1", "assigned"},
        {{0xFD}, "Exit", "0/0", "exit"},
        {{0xFE, 5, 0}, "CallHost", "0/0", "call host 5"},
    });
}

TEST(OpcodeTable, SecondBytesAfter255) {
    Check({
        {{0xFF, 0x00}, "TableRead", "3/1", "table read word"},
        {{0xFF, 0x01}, "TableReadBuf", "4/0", "table read buf"},
        {{0xFF, 0x02}, "TableWrite", "4/0", "table write word"},
        {{0xFF, 0x03}, "TableWriteBuf", "4/0", "table write buf"},
        {{0xFF, 0x04}, "Shl", "2/1", "shl"},
        {{0xFF, 0x05}, "ShlQuad", "3/2", "shl quad"},
        {{0xFF, 0x06}, "Shr", "2/1", "shr"},
        {{0xFF, 0x07}, "ShrQuad", "3/2", "shr quad"},
        {{0xFF, 0x08}, "AbsQuad", "2/2", "abs quad"},
        {{0xFF, 0x09, 3}, "DecPtrBy", "1/1", "dec ptr by 3"},
        {{0xFF, 0x0A, 3}, "DecOctoBy", "4/4", "dec octo by 3"},
        {{0xFF, 0x0B}, "SubOcto", "8/2", "sub octo"},
        {{0xFF, 0x0C}, "IncOcto", "5/4", "inc octo"},
        {{0xFF, 0x0D}, "DecOcto", "5/4", "dec octo"},
        {{0xFF, 0x0E, 1, 6}, "MulStr", "3/0", "mul con str of 6"},
        {{0xFF, 0x0E, 0, 6}, "MulStr", "3/0", "mul var str of 6"},
        {{0xFF, 0x0F, 6}, "MulChar", "3/0", "mul char of 6"},
        {{0xFF, 0x10}, "CharToStr", "2/0", "char to str"},
        {{0xFF, 0x11}, "StrToChar", "1/0", "str to char"},
        {{0xFF, 0x12}, "Odd", "1/1", "odd"},
        {{0xFF, 0x13}, "OddQuad", "2/1", "odd quad"},
        {{0xFF, 0x14}, "LtQuad", "4/1", "test < quad"},
        {{0xFF, 0x15}, "LeQuad", "4/1", "test <= quad"},
        {{0xFF, 0x16}, "GtQuad", "4/1", "test > quad"},
        {{0xFF, 0x17}, "GeQuad", "4/1", "test >= quad"},
        {{0xFF, 0x18}, "Between", "3/1", "test between"},
        {{0xFF, 0x19}, "BetweenWord", "3/1", "test between word"},
        {{0xFF, 0x1A}, "BetweenCtr", "6/1", "test between ctr"},
        {{0xFF, 0x1B}, "BetweenQuad", "6/1", "test between quad"},
        {{0xFF, 0x1C}, "BetweenNum", "3n/1", "test between num"},
        // Three bytes long, yet it names the two after it too (here exits, 253).
        {{0xFF, 0x1D, 0}, "BetweenStr", "3/1", "test var str between con and con"},
        {{0xFF, 0x1E, 0, 16, 0}, "DerefBufLong", "1/n", "deref buf long of 16"},
        {{0xFF, 0x1F}, "LtWord", "2/1", "test < word"},
        {{0xFF, 0x20}, "GtWord", "2/1", "test > word"},
        {{0xFF, 0x21}, "NeSet", "n/1", "test <> set"},
        {{0xFF, 0x22, 0, 1, 5}, "NeBuf", "2/1", "test con <> var buf of 5"},
        {{0xFF, 0x23, 1, 0}, "NeStr", "2/1", "test var <> con str"},
        {{0xFF, 0x24}, "EqFunc", "6/1", "test = func"},
        {{0xFF, 0x25}, "NeFunc", "6/1", "test <> func"},
        {{0xFF, 0x26}, "EqOcto", "8/1", "test = octo"},
        {{0xFF, 0x27}, "NeOcto", "8/1", "test <> octo"},
        {{0xFF, 0x28}, "EqCtr", "4/1", "test = ctr"},
        {{0xFF, 0x29}, "NeCtr", "4/1", "test <> ctr"},
        {{0xFF, 0x2A}, "LtCtr", "4/1", "test < ctr"},
        {{0xFF, 0x2B}, "LeCtr", "4/1", "test <= ctr"},
        {{0xFF, 0x2C}, "GtCtr", "4/1", "test > ctr"},
        {{0xFF, 0x2D}, "GeCtr", "4/1", "test >= ctr"},
        {{0xFF, 0x2E}, "EqNum", "2n/1", "test = num"},
        {{0xFF, 0x2F}, "NeNum", "2n/1", "test <> num"},
        {{0xFF, 0x30}, "LtNum", "2n/1", "test < num"},
        {{0xFF, 0x31}, "LeNum", "2n/1", "test <= num"},
        {{0xFF, 0x32}, "GtNum", "2n/1", "test > num"},
        {{0xFF, 0x33}, "GeNum", "2n/1", "test >= num"},
        {{0xFF, 0x34}, "InitNextUnit", "0/0", "init next unit"},
        {{0xFF, 0x35, 3, 0}, "ExitNest", "0/0", "exit nest 3"},
        {{0xFF, 0x36, 2, 0, 5, 0}, "CallExtMeth", "call", "call ext meth 5 of <type 2>"},
        {{0xFF, 0x37, 4, 0}, "CallIntfMeth", "2,call", "call intf meth 4"},
        {{0xFF, 0x38, 2, 0, 5, 0}, "AbsMethPtr", "0/2", "abs meth ptr 5 of <type 2>"},
        {{0xFF, 0x39, 4, 0}, "AbsIntfMethPtr", "0/0", "abs intf meth ptr 4"},
        {{0xFF, 0x3A, 1, 0}, "MakeIntf", "0/3", "make intf <type 1>"},
        {{0xFF, 0x3B, 1, 0}, "CastIntf", "4/1", "cast intf <type 1>"},
        {{0xFF, 0x3C}, "CallMethPtr", "3,call", "call meth ptr"},
        {{0xFF, 0x3D, 6}, "ConBufDynamic", "0/6", "push con buf dynamic of 6"},
        {{0xFF, 0x3E}, "VarDispose", "2/0", "var dispose"},
        {{0xFF, 0x3F}, "VarNew", "2/1", "var new"},
        {{0xFF, 0x42}, "DivWord", "2/1", "div word"},
        {{0xFF, 0x43}, "ModWord", "2/1", "mod word"},
        {{0xFF, 0x44}, "NotQuad", "2/2", "not quad"},
        {{0xFF, 0x45}, "DivQuad", "4/2", "div quad"},
        {{0xFF, 0x46}, "ModQuad", "4/2", "mod quad"},
        {{0xFF, 0x47}, "NegCtr", "2/2", "neg ctr"},
        {{0xFF, 0x48}, "AddCtr", "4/2", "add ctr"},
        {{0xFF, 0x49}, "SubCtr", "4/2", "sub ctr"},
        {{0xFF, 0x4A}, "MulCtr", "4/2", "mul ctr"},
        {{0xFF, 0x4B}, "DivCtr", "4/2", "div ctr"},
        {{0xFF, 0x4C}, "ModCtr", "4/2", "mod ctr"},
        {{0xFF, 0x4D}, "CtrToStr", "4/0", "ctr to str"},
        {{0xFF, 0x4E}, "IntToCtr", "1/2", "int to ctr"},
        {{0xFF, 0x4F}, "WordToCtr", "1/2", "word to ctr"},
        {{0xFF, 0x50}, "CtrToInt", "2/1", "ctr to int"},
        {{0xFF, 0x51}, "CtrToCappedInt", "2/1", "ctr to capped int"},
        {{0xFF, 0x52}, "IntToNum", "1/n", "int to num"},
        {{0xFF, 0x53}, "WordToNum", "1/n", "word to num"},
        {{0xFF, 0x54}, "NumToInt", "n/1", "num to int"},
        {{0xFF, 0x55}, "CtrToNum", "2/n", "ctr to num"},
        {{0xFF, 0x56}, "QuadToNum", "2/n", "quad to num"},
        {{0xFF, 0x57}, "AbsNum", "n/n", "abs num"},
        {{0xFF, 0x58}, "DupNum", "n/2n", "dup num"},
        {{0xFF, 0x59}, "TrimNum", "n/n", "trim num"},
        {{0xFF, 0x5A}, "NegNum", "n/n", "neg num"},
        {{0xFF, 0x5B}, "AddNum", "2n/n", "add num"},
        {{0xFF, 0x5C}, "SubNum", "2n/n", "sub num"},
        {{0xFF, 0x5D}, "MulNum", "2n/n", "mul num"},
        {{0xFF, 0x5E}, "DivNum", "2n/n", "div num"},
        {{0xFF, 0x5F}, "NumToStr", "n+1/n", "num to str"},
        {{0xFF, 0x60, 1, 0}, "LtStr", "2/1", "test var < con str"},
        {{0xFF, 0x61, 1, 0}, "GtStr", "2/1", "test var > con str"},
        {{0xFF, 0x62}, "OctoPack", "6/1", "push octo pack"},
        {{0xFF, 0x63}, "PopOctoPack", "7/0", "pop octo pack"},
        {{0xFF, 0x64}, "SliceStr", "6/0", "slice str"},
        {{0xFF, 0x65}, "IndexStr", "4/1", "index str"},
        {{0xFF, 0x66, 5}, "CopyOctoBuf", "8/0", "copy octo buf of 5"},
        {{0xFF, 0x67, 5}, "DropBuf", "1/0", "drop buf of 5"},
        {{0xFF, 0x68}, "IntToStr", "3/0", "int to str"},
        {{0xFF, 0x69}, "WordToStr", "3/0", "word to str"},
        {{0xFF, 0x6A}, "QuadToStr", "4/0", "quad to str"},
        {{0xFF, 0x6B}, "OctoToStr", "6/0", "octo to str"},
        {{0xFF, 0x6C}, "PopOcto", "5/0", "pop octo"},
        {{0xFF, 0x6D, 5}, "PopOctoBuf", "n4/0", "pop octo buf of 5"},
        // Two bytes long; the byte after it (an exit, 253) says con.
        {{0xFF, 0x6E}, "CopyOpenStr", "3/0", "copy open con str"},
        {{0xFF, 0x6F}, "SetLenStr", "2/0", "set length str"},
        {{0xFF, 0x70}, "RightSubstr", "3/0", "right substr"},
        {{0xFF, 0x71}, "IncAt", "2/0", "inc at"},
        {{0xFF, 0x72}, "IncQuadAt", "2/0", "inc quad at"},
        {{0xFF, 0x73}, "DecAt", "2/0", "dec at"},
        {{0xFF, 0x74}, "DecQuadAt", "2/0", "dec quad at"},
        {{0xFF, 0x75}, "ExitProg", "0/0", "exit prog"},
        {{0xFF, 0x76}, "SetIndexStr", "4/0", "set index str"},
        {{0xFF, 0x77}, "RightPos", "4/1", "right pos"},
        {{0xFF, 0x78}, "RightDeleteStr", "2/0", "right delete str"},
        {{0xFF, 0x79}, "IncPtrOfOpen", "3/1", "inc ptr of open"},
        {{0xFF, 0x7A}, "Sin", "n+1/n", "sin"},
        {{0xFF, 0x7B}, "Cos", "n+1/n", "cos"},
        {{0xFF, 0x7C}, "Log", "n+1/n", "log"},
        {{0xFF, 0x7D}, "Ln", "n+1/n", "ln"},
        {{0xFF, 0x7E}, "Exp", "n+1/n", "exp"},
        {{0xFF, 0x7F}, "Sqrt", "n+1/n", "sqrt"},
    });
    std::vector<int> Unknown = {0x40, 0x41};
    for (int Code = 0x80; Code <= 0xFF; ++Code)
        Unknown.push_back(Code);
    for (const int Code : Unknown)
        EXPECT_EQ(LineOf({0xFF, Code}), "    0:  {255," + std::to_string(Code) + "}");
}

} // namespace
} // namespace korvid::test
