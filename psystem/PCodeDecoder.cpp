// The p-code decoder: one procedure of a segment, one line per instruction.
#include "psystem/CodeListing.h"
#include "psystem/StandardNames.h"

#include <algorithm>

namespace korvid {

namespace {

// Stack-effect codes beside plain word counts.
enum : int {
    seN = 100,
    seN1 = 101,
    seN4 = 104,
    se2N = 200,
    se3N = 300,
    seCall = 1000,
    seBack = 1001,
    seForward = 1002
};

struct TInstruction {
    int Length = 1;
    std::string Mnemonic;
    int Pops = 0;
    int Pushes = 0;
    std::string Description;
    bool Columns = true; // false for an unknown second byte after 255
};

std::string StackField(char Sign, int Count) {
    if (Count == 0)
        return "   ";
    if (Count < 10)
        return std::string(1, Sign) + char('0' + Count) + " ";
    switch (Count) {
    case seN:
        return std::string(1, Sign) + "n ";
    case seN1:
        return std::string(1, Sign) + "n1";
    case seN4:
        return std::string(1, Sign) + "n4";
    case se2N:
        return std::string(1, Sign) + "2n";
    case se3N:
        return std::string(1, Sign) + "3n";
    default:
        return std::string(1, Sign) + "??";
    }
}

std::string StackColumn(int Pops, int Pushes) {
    if ((Pushes == seBack || Pushes == seForward) && Pops == 0)
        return Pushes == seBack ? "<<-    " : "->>    ";
    if (Pushes == seCall)
        return (Pops == 0 ? "~~~" : StackField('-', Pops)) + "~~~ ";
    return StackField('-', Pops) + " " + StackField('+', Pushes);
}

} // namespace

// Reads the instruction at Address of the code starting at segment byte Code. Bytes are read
// only as the instruction needs them, so one cut short raises before its line is written.
class TInstructionDecoder {
public:
    TInstructionDecoder(const TCodeListing& Listing, std::int64_t Code, std::int64_t Address)
        : L(Listing), FAt(Listing.SegmentByte(Code + Address)), FAddress(Address) {}

    TInstruction Decode();
    unsigned B(int Index) const { return L.FBytes.Byte(FAt + Index); }

private:
    unsigned W(int Index) const { return B(Index) | B(Index + 1) << 8; }
    std::int32_t Q(int Index) const {
        return std::int32_t(std::uint32_t(W(Index)) | std::uint32_t(W(Index + 2)) << 16);
    }
    // A big operand: one byte below 128, else two; Length grows by the second.
    unsigned Big(int Index) {
        const unsigned First = B(Index);
        if (First < 128)
            return First;
        FBigExtra = 1;
        return (First - 128) * 256 + B(Index + 1);
    }
    std::string K(int Index) const { return B(Index) == 0 ? "var" : "con"; }
    std::string Segment(unsigned Number) const { return L.SegmentName(Number); }
    std::string Type(unsigned Number) const { return L.TypeName(Number); }

    void Set(TInstruction& I, std::string Mnemonic, int Length, int Pops, int Pushes,
             std::string Description) const;
    void Jump(TInstruction& I, std::string Mnemonic, int Length, const std::string& Before,
              const std::string& After) const;
    void DecodeLong(TInstruction& I);

    const TCodeListing& L;
    std::int64_t FAt;
    std::int64_t FAddress;
    int FBigExtra = 0;
};

void TInstructionDecoder::Set(TInstruction& I, std::string Mnemonic, int Length, int Pops,
                              int Pushes, std::string Description) const {
    I.Mnemonic = std::move(Mnemonic);
    I.Length = Length;
    I.Pops = Pops;
    I.Pushes = Pushes;
    I.Description = std::move(Description);
}

void TInstructionDecoder::Jump(TInstruction& I, std::string Mnemonic, int Length,
                               const std::string& Before, const std::string& After) const {
    const int Offset = Length == 2 ? int(std::int8_t(B(1))) : int(std::int16_t(W(1)));
    const std::int64_t Target = FAddress + Length + Offset;
    Set(I, std::move(Mnemonic), Length, 0, Target > FAddress ? seForward : seBack,
        Before + std::to_string(Target) + After);
    if ((I.Mnemonic == "GotoLong" || I.Mnemonic == "GotoIfFalseLong") && Offset >= -128 &&
        Offset <= 126)
        I.Description += " !";
}

TInstruction TInstructionDecoder::Decode() {
    using std::to_string;
    TInstruction I;
    const unsigned Op = B(0);
    const auto Mark = [&I](bool Shorter) {
        if (Shorter)
            I.Description += " !";
    };
    // "B" lengths: one more when the big operand took two bytes.
    const auto Grow = [this, &I] { I.Length += FBigExtra; };

    if (Op <= 0x1F) {
        Set(I, "Lit" + to_string(Op), 1, 0, 1, "push lit " + to_string(Op));
    } else if (Op <= 0x2F) {
        Set(I, "Loc" + to_string(Op - 31), 1, 0, 1, "push loc " + to_string(Op - 31));
    } else if (Op <= 0x3F) {
        Set(I, "Glo" + to_string(Op - 47), 1, 0, 1, "push glo " + to_string(Op - 47));
    } else if (Op >= 0x60 && Op <= 0x67) {
        Set(I, "AddrLoc" + to_string(Op - 95), 1, 0, 1, "push addr loc " + to_string(Op - 95));
    } else if (Op >= 0x68 && Op <= 0x6F) {
        Set(I, "PopLoc" + to_string(Op - 103), 1, 1, 0, "pop loc " + to_string(Op - 103));
    } else if (Op >= 0x70 && Op <= 0x77) {
        const std::string Name = Segment(Op - 111);
        Set(I, "CallExt" + to_string(B(1)), 2, 0, seCall,
            "call ext " + to_string(B(1)) + " in " + Name + StandardProcSuffix(Name, int(B(1))));
    } else if (Op >= 0x78 && Op <= 0x7F) {
        Set(I, "Deref" + to_string(Op - 120), 1, 1, 1,
            Op == 0x78 ? std::string("deref") : "deref " + to_string(Op - 120));
    } else {
        switch (Op) {
        case 0x40:
            Set(I, "CallLocLong", 3, 0, seCall, "call loc long " + to_string(W(1)));
            break;
        case 0x41:
            Set(I, "CallMedLong", 4, 0, seCall,
                "call med long " + to_string(W(2)) + " up " + to_string(B(1)));
            break;
        case 0x42:
            Set(I, "CallGloLong", 3, 0, seCall, "call glo long " + to_string(W(1)));
            break;
        case 0x43:
            Set(I, "CallExtLong", 4, 0, seCall,
                "call ext long " + to_string(W(2)) + " in " + Segment(B(1)));
            break;
        case 0x44:
        case 0x46:
        case 0x49:
        case 0x4B: {
            const bool Pop = Op == 0x49 || Op == 0x4B;
            const bool Global = Op == 0x46 || Op == 0x4B;
            const std::string Place = Global ? "glo " : "loc ";
            Set(I, std::string(Pop ? "Pop" : "") + (Global ? "GloBuf" : "LocBuf"), 3, Pop ? seN : 0,
                Pop ? 0 : seN,
                (Pop ? "pop " : "push ") + Place + to_string(Big(2)) + " buf of " +
                    to_string(B(1)));
            Grow();
            break;
        }
        case 0x45:
        case 0x4A: {
            const bool Pop = Op == 0x4A;
            Set(I, Pop ? "PopMedBuf" : "MedBuf", 4, Pop ? seN : 0, Pop ? 0 : seN,
                std::string(Pop ? "pop med " : "push med ") + to_string(Big(3)) + " buf of " +
                    to_string(B(1)) + " up " + to_string(B(2)));
            Grow();
            break;
        }
        case 0x47:
        case 0x4C: {
            const bool Pop = Op == 0x4C;
            const unsigned Offset = Big(3);
            const std::string Name = Segment(B(2));
            Set(I, Pop ? "PopExtBuf" : "ExtBuf", 4, Pop ? seN : 0, Pop ? 0 : seN,
                std::string(Pop ? "pop ext " : "push ext ") + to_string(Offset) + " buf of " +
                    to_string(B(1)) + " in " + Name + StandardGlobalSuffix(Name, int(Offset)));
            Grow();
            break;
        }
        case 0x48: {
            const unsigned Offset = Big(1);
            const unsigned Count = B(2 + FBigExtra);
            Set(I, "DerefBuf", 3, 1, seN,
                Offset == 0 ? "deref buf of " + to_string(Count)
                            : "deref " + to_string(Offset) + " buf of " + to_string(Count));
            Grow();
            break;
        }
        case 0x4D:
            Set(I, "PopBufLong", 3, seN1, 0, "pop buf long of " + to_string(W(1)));
            break;
        case 0x4E:
            Set(I, "DupBuf", 3, 0, seN, "dup buf of " + to_string(W(1)));
            break;
        case 0x4F:
            Set(I, "SwapBuf", 3, 0, seN, "swap buf of " + to_string(W(1)));
            break;
        case 0x50:
            Set(I, "IncSet", 1, seN1, seN, "inc set");
            break;
        case 0x51:
            Set(I, "DecSet", 1, seN1, seN, "dec set");
            break;
        case 0x52:
            Jump(I, "GotoIfPeekTrue", 3, "goto ", " if peek true");
            break;
        case 0x53:
            Jump(I, "GotoIfPeekFalse", 3, "goto ", " if peek false");
            break;
        case 0x54:
            Jump(I, "GotoIfTrueLong", 3, "goto long ", " if true");
            break;
        case 0x55:
            Set(I, "Lt", 1, 2, 1, "test <");
            break;
        case 0x56:
            Set(I, "Gt", 1, 2, 1, "test >");
            break;
        case 0x57:
            Set(I, "AndQuad", 1, 4, 2, "and quad");
            break;
        case 0x58:
            Set(I, "OrQuad", 1, 4, 2, "or quad");
            break;
        case 0x59:
            Set(I, "XorWord", 1, 2, 1, "xor word");
            break;
        case 0x5A:
            Set(I, "XorQuad", 1, 4, 2, "xor quad");
            break;
        case 0x5B:
            Set(I, "AbsThisSeg", 1, 0, 1, "push abs this seg");
            break;
        case 0x5C:
            Set(I, "AbsThatSeg", 1, 0, 1, "push abs that seg");
            break;
        case 0x5D:
            Set(I, "LitQuad", 5, 0, 2, "push lit quad " + to_string(Q(1)));
            break;
        case 0x5E:
            Set(I, "IncQuad", 1, 1, 1, "inc quad");
            break;
        case 0x5F:
            Set(I, "DecQuad", 1, 1, 1, "dec quad");
            break;
        case 0x80:
            Set(I, "LitByte", 2, 0, 1, "push lit byte " + to_string(B(1)));
            Mark(B(1) <= 31);
            break;
        case 0x81: {
            const unsigned Value = W(1);
            Set(I, "LitWord", 3, 0, 1, "push lit word " + to_string(Value));
            if (Value <= 255)
                I.Description += " !!";
            if (Value > 32767)
                I.Description += "  ; " + to_string(int(std::int16_t(Value)));
            break;
        }
        case 0x82:
            Set(I, "AbsCon", 2, 0, 1, "push abs con " + to_string(Big(1)));
            Grow();
            break;
        case 0x83: {
            const unsigned Offset = Big(2);
            const unsigned Count = B(3 + FBigExtra);
            Set(I, "ConBuf", 4, 0, int(Count),
                "push con buf " + to_string(Offset) + " of " + to_string(Count) +
                    (B(1) == 2 ? " flip" : ""));
            Grow();
            break;
        }
        case 0x84:
        case 0x85:
        case 0x86:
        case 0x87: {
            static constexpr const char* Names[] = {"AddrLoc", "Glo", "AddrGlo", "Loc"};
            static constexpr const char* Texts[] = {"push addr loc ", "push glo ", "push addr glo ",
                                                    "push loc "};
            const unsigned Value = Big(1);
            Set(I, Names[Op - 0x84], 2, 0, 1, Texts[Op - 0x84] + to_string(Value));
            Grow();
            Mark(Op == 0x84 ? Value <= 8 : Op != 0x86 && Value <= 16);
            break;
        }
        case 0x88:
        case 0x89: {
            const unsigned Level = B(1);
            Set(I, Op == 0x88 ? "AddrMed" : "Med", 3, 0, 1,
                std::string(Op == 0x88 ? "push addr med " : "push med ") + to_string(Big(2)) +
                    " up " + to_string(Level));
            Grow();
            Mark(Op == 0x89 && (Level == 1 || Level == 2));
            break;
        }
        case 0x8A:
            Jump(I, "Goto", 2, "goto ", "");
            break;
        case 0x8B:
            Jump(I, "GotoLong", 3, "goto long ", "");
            break;
        case 0x8C:
            Set(I, "Mul", 1, 2, 1, "mul");
            break;
        case 0x8D:
            Set(I, "Div", 1, 2, 1, "div");
            break;
        case 0x8E:
            Set(I, "PopBuf", 2, seN1, 0, "pop buf of " + to_string(B(1)));
            break;
        case 0x8F:
            Set(I, "Mod", 1, 2, 1, "mod");
            break;
        case 0x90:
            Set(I, "CallLoc", 2, 0, seCall, "call loc " + to_string(B(1)));
            break;
        case 0x91:
            Set(I, "CallGlo", 2, 0, seCall, "call glo " + to_string(B(1)));
            break;
        case 0x92:
            Set(I, "CallMed", 3, 0, seCall,
                "call med " + to_string(B(2)) + " up " + to_string(B(1)));
            Mark(B(1) == 1 || B(1) == 2);
            break;
        case 0x93:
            Set(I, "CallLocExt", 3, 0, seCall,
                "call loc " + to_string(B(2)) + " in " + Segment(B(1)));
            break;
        case 0x94: {
            const std::string Name = Segment(B(1));
            Set(I, "CallExt", 3, 0, seCall,
                "call ext " + to_string(B(2)) + " in " + Name +
                    StandardProcSuffix(Name, int(B(2))));
            Mark(B(1) >= 1 && B(1) <= 8);
            break;
        }
        case 0x95:
            Set(I, "CallMedExt", 4, 0, seCall,
                "call med " + to_string(B(3)) + " up " + to_string(B(2)) + " in " + Segment(B(1)));
            break;
        case 0x96:
            Set(I, "RetPop", 2, seN, 0, "ret pop " + to_string(Big(1)));
            Grow();
            break;
        case 0x97:
            Set(I, "CallPtr", 1, 3, seCall, "call ptr");
            break;
        case 0x98:
            Set(I, "Nil", 1, 0, 1, "push nil");
            break;
        case 0x99:
            Set(I, "Frame", 2, 0, 1,
                B(1) == 0 ? std::string("push frame") : "push frame up " + to_string(B(1)));
            break;
        case 0x9A:
        case 0x9B:
        case 0xD9: {
            const unsigned Offset = Big(2);
            const std::string Name = Segment(B(1));
            const std::string Tail =
                to_string(Offset) + " in " + Name + StandardGlobalSuffix(Name, int(Offset));
            if (Op == 0x9A)
                Set(I, "Ext", 3, 0, 1, "push ext " + Tail);
            else if (Op == 0x9B)
                Set(I, "AddrExt", 3, 0, 1, "push addr ext " + Tail);
            else
                Set(I, "PopExt", 3, 1, 0, "pop ext " + Tail);
            Grow();
            break;
        }
        case 0x9C:
            Set(I, "Void", 1, 0, 0, "void");
            break;
        case 0x9D:
            Set(I, "AbsSeg", 1, 1, 1, "push abs seg");
            break;
        case 0x9E:
            Set(I, "Break", 1, 0, 0, "break");
            break;
        case 0x9F:
            Set(I, "NotBool", 1, 1, 1, "not bool");
            break;
        case 0xA0:
            Set(I, "Or", 1, 2, 1, "or");
            break;
        case 0xA1:
            Set(I, "And", 1, 2, 1, "and");
            break;
        case 0xA2:
            Set(I, "Add", 1, 2, 1, "add");
            break;
        case 0xA3:
            Set(I, "Sub", 1, 2, 1, "sub");
            break;
        case 0xA4: {
            const unsigned Value = Big(1);
            Set(I, "PopLoc", 2, 1, 0, "pop loc " + to_string(Value));
            Grow();
            Mark(Value >= 1 && Value <= 8);
            break;
        }
        case 0xA5:
            Set(I, "PopGlo", 2, 1, 0, "pop glo " + to_string(Big(1)));
            Grow();
            break;
        case 0xA6:
            Set(I, "PopMed", 3, 1, 0, "pop med " + to_string(Big(2)) + " up " + to_string(B(1)));
            Grow();
            break;
        case 0xA7:
            Set(I, "Byte", 1, 2, 1, "push byte");
            break;
        case 0xA8:
            Set(I, "IncLoc", 2, 0, 0, "inc loc " + to_string(Big(1)));
            Grow();
            break;
        case 0xA9:
            Set(I, "IncLocQuad", 2, 0, 0, "inc loc quad " + to_string(Big(1)));
            Grow();
            break;
        case 0xAA:
            Set(I, "DropWord", 1, 1, 0, "drop word");
            break;
        case 0xAB:
            Set(I, "CopyBufArg", 2, 2, 0, "copy buf of " + to_string(Big(1)));
            Grow();
            break;
        case 0xAC:
            Set(I, "CopyStrArg", 2, 2, 0, "copy str of " + to_string(B(1)));
            break;
        case 0xAD:
        case 0xAE:
            Set(I, "Med" + to_string(Op - 172), 2, 0, 1,
                "push med " + to_string(Big(1)) + " up " + to_string(Op - 172));
            Grow();
            break;
        case 0xAF:
            Set(I, "BlankBuf", 2, 0, seN, "blank buf of " + to_string(B(1)));
            break;
        case 0xB0:
            Set(I, "Eq", 1, 2, 1, "test =");
            break;
        case 0xB1:
            Set(I, "Ne", 1, 2, 1, "test <>");
            break;
        case 0xB2:
            Set(I, "Le", 1, 2, 1, "test <=");
            break;
        case 0xB3:
            Set(I, "Ge", 1, 2, 1, "test >=");
            break;
        case 0xB4:
            Set(I, "LeWord", 1, 2, 1, "test <= word");
            break;
        case 0xB5:
            Set(I, "GeWord", 1, 2, 1, "test >= word");
            break;
        case 0xB6:
            Set(I, "EqSet", 1, se2N, 1, "test = set");
            break;
        case 0xB7:
            Set(I, "LeSet", 1, se2N, 1, "test <= set");
            break;
        case 0xB8:
            Set(I, "GeSet", 1, se2N, 1, "test >= set");
            break;
        case 0xB9:
        case 0xBA:
        case 0xBB: {
            static constexpr const char* Names[] = {"EqBuf", "LeBuf", "GeBuf"};
            static constexpr const char* Tests[] = {" = ", " <= ", " >= "};
            Set(I, Names[Op - 0xB9], 4, 2, 1,
                "test " + K(2) + Tests[Op - 0xB9] + K(1) + " buf of " + to_string(Big(3)));
            Grow();
            break;
        }
        case 0xBC:
            Set(I, "MakeSet", 1, 2, seN, "make set");
            break;
        case 0xBD:
            Set(I, "SwapWord", 1, 0, 0, "swap word");
            break;
        case 0xBE:
            Set(I, "Fill", 1, 4, 0, "fill");
            break;
        case 0xBF:
            Set(I, "Move", 1, 5, 0, "move");
            break;
        case 0xC0:
            Set(I, "Mark", 1, 1, 0, "mark");
            break;
        case 0xC1:
            Set(I, "Release", 1, 1, 0, "release");
            break;
        case 0xC2:
            Set(I, "New", 1, 2, 0, "new");
            break;
        case 0xC3:
            Set(I, "Scan", 1, 5, 0, "scan");
            break;
        case 0xC4:
            Set(I, "Pop", 1, 2, 0, "pop");
            break;
        case 0xC5:
            Set(I, "CopyBuf", 3, 2, 0,
                "copy " + K(1) + " buf of " + to_string(Big(2)) + (B(1) == 2 ? " flip" : ""));
            Grow();
            break;
        case 0xC6:
            Set(I, "Pos", 1, 4, 1, "pos");
            break;
        case 0xC7:
            Set(I, "TrimSet", 2, seN, seN, "trim set of " + to_string(B(1)));
            break;
        case 0xC8:
            Set(I, "PopByte", 1, 3, 0, "pop byte");
            break;
        case 0xC9:
            Set(I, "Pack", 1, 3, 1, "push pack");
            break;
        case 0xCA:
            Set(I, "PopPack", 1, 4, 0, "pop pack");
            break;
        case 0xCB:
            Set(I, "Check", 1, 3, 1, "check");
            break;
        case 0xCC:
            Set(I, "AddStr", 1, 3, 0, "add str");
            break;
        case 0xCD:
            Set(I, "InsertStr", 1, 4, 0, "insert str");
            break;
        case 0xCE:
            Set(I, "Subtr", 1, 4, 0, "substr");
            break;
        case 0xCF:
            Set(I, "DeleteStr", 1, 3, 0, "delete str");
            break;
        case 0xD0:
            Set(I, "Buf", 2, 1, seN, "push buf of " + to_string(B(1)));
            break;
        case 0xD1:
            Set(I, "Step", 1, 0, 0, "step");
            break;
        case 0xD2:
            Jump(I, "GotoIfNe", 2, "goto ", " if <>");
            break;
        case 0xD3:
            Jump(I, "GotoIfEq", 2, "goto ", " if =");
            break;
        case 0xD4:
            Jump(I, "GotoIfFalse", 2, "goto ", " if false");
            break;
        case 0xD5:
            Jump(I, "GotoIfFalseLong", 3, "goto long ", " if false");
            break;
        case 0xD6:
            Set(I, "Switch", 2, 1, 0, "switch " + to_string(Big(1)));
            Grow();
            break;
        case 0xD7:
            Set(I, "IncPtrOf", 2, 2, 1, "inc ptr of " + to_string(Big(1)));
            Grow();
            break;
        case 0xD8:
            Set(I, "MakePack", 3, 2, 3,
                "make pack for " + to_string(B(1)) + " of " + to_string(B(2)) + " bits");
            break;
        case 0xDA:
            Set(I, "InSet", 1, seN1, 1, "test in set");
            break;
        case 0xDB:
            Set(I, "AddSet", 1, se2N, seN, "add set");
            break;
        case 0xDC:
            Set(I, "MulSet", 1, se2N, seN, "mul set");
            break;
        case 0xDD:
            Set(I, "SubSet", 1, se2N, seN, "sub set");
            break;
        case 0xDE:
            Set(I, "OctoBuf", 2, 4, seN, "push octo buf of " + to_string(Big(1)));
            Grow();
            break;
        case 0xDF:
            Set(I, "IncOctoBy", 2, 4, 4, "inc octo by " + to_string(Big(1)));
            Grow();
            break;
        case 0xE0:
            Set(I, "Abs", 1, 1, 1, "abs");
            break;
        case 0xE1:
            Set(I, "Neg", 1, 1, 1, "neg");
            break;
        case 0xE2:
            Set(I, "DupWord", 1, 1, 2, "dup word");
            break;
        case 0xE3:
            Set(I, "IncSetAt", 1, 2, 0, "inc set at");
            break;
        case 0xE4:
            Set(I, "DecSetAt", 1, 2, 0, "dec set at");
            break;
        case 0xE5:
            Set(I, "NotWord", 1, 1, 1, "not word");
            break;
        case 0xE6: {
            const unsigned Value = Big(1);
            Set(I, "Deref", 2, 1, 1, "deref " + to_string(Value));
            Grow();
            Mark(Value <= 8);
            break;
        }
        case 0xE7:
            Set(I, "IncPtrBy", 2, 1, 1, "inc ptr by " + to_string(Big(1)));
            Grow();
            break;
        case 0xE8:
        case 0xE9:
        case 0xEA: {
            static constexpr const char* Names[] = {"EqStr", "LeStr", "GeStr"};
            static constexpr const char* Tests[] = {" = ", " <= ", " >= "};
            Set(I, Names[Op - 0xE8], 3, 2, 1, "test " + K(2) + Tests[Op - 0xE8] + K(1) + " str");
            break;
        }
        case 0xEB:
            Set(I, "CopyStr", 3, 2, 0, "copy " + K(1) + " str of " + to_string(B(2)));
            break;
        case 0xEC:
            Set(I, "CheckStr", 1, 2, 2, "check str");
            break;
        case 0xED:
            Set(I, "Inc", 1, 1, 1, "inc");
            break;
        case 0xEE:
            Set(I, "Dec", 1, 1, 1, "dec");
            break;
        case 0xEF:
        case 0xF0:
            Set(I, "CallMed" + to_string(Op - 238), 2, 0, seCall,
                "call med " + to_string(B(1)) + " up " + to_string(Op - 238));
            break;
        case 0xF1:
            Jump(I, "GotoIfTrue", 2, "goto ", " if true");
            break;
        case 0xF2:
            Set(I, "AssignedQuad", 1, 2, 1, "assigned quad");
            break;
        case 0xF3:
            Set(I, "AssignedFunc", 1, 3, 1, "assigned func");
            break;
        case 0xF4:
            Set(I, "AssignedOcto", 1, 4, 1, "assigned octo");
            break;
        case 0xF5:
            Set(I, "DupQuad", 1, 2, 4, "dup quad");
            break;
        case 0xF6:
            Set(I, "OctoPtr", 1, 1, 4, "octo ptr");
            break;
        case 0xF7:
            Set(I, "BufLong", 3, 1, seN, "push buf long of " + to_string(W(1)));
            break;
        case 0xF8:
            Set(I, "LenStr", 1, 1, 1, "push length str");
            break;
        case 0xF9:
            Set(I, "AddChar", 1, 2, 0, "add char");
            break;
        case 0xFA:
            Set(I, "DecLoc", 2, 0, 0, "dec loc " + to_string(Big(1)));
            Grow();
            break;
        case 0xFB:
            Set(I, "DecLocQuad", 2, 0, 0, "dec loc quad " + to_string(Big(1)));
            Grow();
            break;
        case 0xFC:
            Set(I, "Assigned", 1, 1, 1, "assigned");
            break;
        case 0xFD:
            Set(I, "Exit", 1, 0, 0, "exit");
            break;
        case 0xFE:
            Set(I, "CallHost", 3, 0, 0, "call host " + to_string(W(1)));
            break;
        case 0xFF:
            DecodeLong(I);
            break;
        }
    }
    return I;
}

// The instructions behind 255; their operands start at the third byte.
void TInstructionDecoder::DecodeLong(TInstruction& I) {
    using std::to_string;
    struct TSimple {
        unsigned Code;
        const char* Mnemonic;
        int Pops;
        int Pushes;
        const char* Description;
    };
    static constexpr TSimple Simple[] = {
        {0x00, "TableRead", 3, 1, "table read word"},
        {0x01, "TableReadBuf", 4, 0, "table read buf"},
        {0x02, "TableWrite", 4, 0, "table write word"},
        {0x03, "TableWriteBuf", 4, 0, "table write buf"},
        {0x04, "Shl", 2, 1, "shl"},
        {0x05, "ShlQuad", 3, 2, "shl quad"},
        {0x06, "Shr", 2, 1, "shr"},
        {0x07, "ShrQuad", 3, 2, "shr quad"},
        {0x08, "AbsQuad", 2, 2, "abs quad"},
        {0x0B, "SubOcto", 8, 2, "sub octo"},
        {0x0C, "IncOcto", 5, 4, "inc octo"},
        {0x0D, "DecOcto", 5, 4, "dec octo"},
        {0x10, "CharToStr", 2, 0, "char to str"},
        {0x11, "StrToChar", 1, 0, "str to char"},
        {0x12, "Odd", 1, 1, "odd"},
        {0x13, "OddQuad", 2, 1, "odd quad"},
        {0x14, "LtQuad", 4, 1, "test < quad"},
        {0x15, "LeQuad", 4, 1, "test <= quad"},
        {0x16, "GtQuad", 4, 1, "test > quad"},
        {0x17, "GeQuad", 4, 1, "test >= quad"},
        {0x18, "Between", 3, 1, "test between"},
        {0x19, "BetweenWord", 3, 1, "test between word"},
        {0x1A, "BetweenCtr", 6, 1, "test between ctr"},
        {0x1B, "BetweenQuad", 6, 1, "test between quad"},
        {0x1C, "BetweenNum", se3N, 1, "test between num"},
        {0x1F, "LtWord", 2, 1, "test < word"},
        {0x20, "GtWord", 2, 1, "test > word"},
        {0x21, "NeSet", seN, 1, "test <> set"},
        {0x24, "EqFunc", 6, 1, "test = func"},
        {0x25, "NeFunc", 6, 1, "test <> func"},
        {0x26, "EqOcto", 8, 1, "test = octo"},
        {0x27, "NeOcto", 8, 1, "test <> octo"},
        {0x28, "EqCtr", 4, 1, "test = ctr"},
        {0x29, "NeCtr", 4, 1, "test <> ctr"},
        {0x2A, "LtCtr", 4, 1, "test < ctr"},
        {0x2B, "LeCtr", 4, 1, "test <= ctr"},
        {0x2C, "GtCtr", 4, 1, "test > ctr"},
        {0x2D, "GeCtr", 4, 1, "test >= ctr"},
        {0x2E, "EqNum", se2N, 1, "test = num"},
        {0x2F, "NeNum", se2N, 1, "test <> num"},
        {0x30, "LtNum", se2N, 1, "test < num"},
        {0x31, "LeNum", se2N, 1, "test <= num"},
        {0x32, "GtNum", se2N, 1, "test > num"},
        {0x33, "GeNum", se2N, 1, "test >= num"},
        {0x34, "InitNextUnit", 0, 0, "init next unit"},
        {0x3C, "CallMethPtr", 3, seCall, "call meth ptr"},
        {0x3E, "VarDispose", 2, 0, "var dispose"},
        {0x3F, "VarNew", 2, 1, "var new"},
        {0x42, "DivWord", 2, 1, "div word"},
        {0x43, "ModWord", 2, 1, "mod word"},
        {0x44, "NotQuad", 2, 2, "not quad"},
        {0x45, "DivQuad", 4, 2, "div quad"},
        {0x46, "ModQuad", 4, 2, "mod quad"},
        {0x47, "NegCtr", 2, 2, "neg ctr"},
        {0x48, "AddCtr", 4, 2, "add ctr"},
        {0x49, "SubCtr", 4, 2, "sub ctr"},
        {0x4A, "MulCtr", 4, 2, "mul ctr"},
        {0x4B, "DivCtr", 4, 2, "div ctr"},
        {0x4C, "ModCtr", 4, 2, "mod ctr"},
        {0x4D, "CtrToStr", 4, 0, "ctr to str"},
        {0x4E, "IntToCtr", 1, 2, "int to ctr"},
        {0x4F, "WordToCtr", 1, 2, "word to ctr"},
        {0x50, "CtrToInt", 2, 1, "ctr to int"},
        {0x51, "CtrToCappedInt", 2, 1, "ctr to capped int"},
        {0x52, "IntToNum", 1, seN, "int to num"},
        {0x53, "WordToNum", 1, seN, "word to num"},
        {0x54, "NumToInt", seN, 1, "num to int"},
        {0x55, "CtrToNum", 2, seN, "ctr to num"},
        {0x56, "QuadToNum", 2, seN, "quad to num"},
        {0x57, "AbsNum", seN, seN, "abs num"},
        {0x58, "DupNum", seN, se2N, "dup num"},
        {0x59, "TrimNum", seN, seN, "trim num"},
        {0x5A, "NegNum", seN, seN, "neg num"},
        {0x5B, "AddNum", se2N, seN, "add num"},
        {0x5C, "SubNum", se2N, seN, "sub num"},
        {0x5D, "MulNum", se2N, seN, "mul num"},
        {0x5E, "DivNum", se2N, seN, "div num"},
        {0x5F, "NumToStr", seN1, seN, "num to str"},
        {0x62, "OctoPack", 6, 1, "push octo pack"},
        {0x63, "PopOctoPack", 7, 0, "pop octo pack"},
        {0x64, "SliceStr", 6, 0, "slice str"},
        {0x65, "IndexStr", 4, 1, "index str"},
        {0x68, "IntToStr", 3, 0, "int to str"},
        {0x69, "WordToStr", 3, 0, "word to str"},
        {0x6A, "QuadToStr", 4, 0, "quad to str"},
        {0x6B, "OctoToStr", 6, 0, "octo to str"},
        {0x6C, "PopOcto", 5, 0, "pop octo"},
        {0x6F, "SetLenStr", 2, 0, "set length str"},
        {0x70, "RightSubstr", 3, 0, "right substr"},
        {0x71, "IncAt", 2, 0, "inc at"},
        {0x72, "IncQuadAt", 2, 0, "inc quad at"},
        {0x73, "DecAt", 2, 0, "dec at"},
        {0x74, "DecQuadAt", 2, 0, "dec quad at"},
        {0x75, "ExitProg", 0, 0, "exit prog"},
        {0x76, "SetIndexStr", 4, 0, "set index str"},
        {0x77, "RightPos", 4, 1, "right pos"},
        {0x78, "RightDeleteStr", 2, 0, "right delete str"},
        {0x79, "IncPtrOfOpen", 3, 1, "inc ptr of open"},
        {0x7A, "Sin", seN1, seN, "sin"},
        {0x7B, "Cos", seN1, seN, "cos"},
        {0x7C, "Log", seN1, seN, "log"},
        {0x7D, "Ln", seN1, seN, "ln"},
        {0x7E, "Exp", seN1, seN, "exp"},
        {0x7F, "Sqrt", seN1, seN, "sqrt"},
    };
    const unsigned Code = B(1);
    const auto Found =
        std::ranges::find_if(Simple, [Code](const TSimple& Row) { return Row.Code == Code; });
    if (Found != std::end(Simple)) {
        Set(I, Found->Mnemonic, 2, Found->Pops, Found->Pushes, Found->Description);
        return;
    }
    const auto Grow = [this, &I] { I.Length += FBigExtra; };
    switch (Code) {
    case 0x09:
        Set(I, "DecPtrBy", 3, 1, 1, "dec ptr by " + to_string(Big(2)));
        Grow();
        break;
    case 0x0A:
        Set(I, "DecOctoBy", 3, 4, 4, "dec octo by " + to_string(Big(2)));
        Grow();
        break;
    case 0x0E:
        Set(I, "MulStr", 4, 3, 0,
            std::string(B(2) == 0 ? "mul var str" : "mul con str") + " of " + to_string(B(3)));
        break;
    case 0x0F:
        Set(I, "MulChar", 3, 3, 0, "mul char of " + to_string(B(2)));
        break;
    case 0x1D:
        Set(I, "BetweenStr", 3, 3, 1, "test " + K(2) + " str between " + K(3) + " and " + K(4));
        break;
    case 0x1E: {
        const unsigned Offset = Big(2);
        const unsigned Count = W(3 + FBigExtra);
        Set(I, "DerefBufLong", 5, 1, seN,
            Offset == 0 ? "deref buf long of " + to_string(Count)
                        : "deref " + to_string(Offset) + " buf long of " + to_string(Count));
        Grow();
        break;
    }
    case 0x22:
        Set(I, "NeBuf", 5, 2, 1, "test " + K(3) + " <> " + K(2) + " buf of " + to_string(Big(4)));
        Grow();
        break;
    case 0x23:
        Set(I, "NeStr", 4, 2, 1, "test " + K(3) + " <> " + K(2) + " str");
        break;
    case 0x35:
        Set(I, "ExitNest", 4, 0, 0, "exit nest " + to_string(W(2)));
        break;
    case 0x36:
        Set(I, "CallExtMeth", 6, 0, seCall,
            "call ext meth " + to_string(W(4)) + " of " + Type(W(2)));
        break;
    case 0x37:
        Set(I, "CallIntfMeth", 4, 2, seCall, "call intf meth " + to_string(W(2)));
        break;
    case 0x38:
        Set(I, "AbsMethPtr", 6, 0, 2, "abs meth ptr " + to_string(W(4)) + " of " + Type(W(2)));
        break;
    case 0x39:
        Set(I, "AbsIntfMethPtr", 4, 0, 0, "abs intf meth ptr " + to_string(W(2)));
        break;
    case 0x3A:
        Set(I, "MakeIntf", 4, 0, 3, "make intf " + Type(W(2)));
        break;
    case 0x3B:
        Set(I, "CastIntf", 4, 4, 1, "cast intf " + Type(W(2)));
        break;
    case 0x3D:
        Set(I, "ConBufDynamic", 3, 0, int(B(2)), "push con buf dynamic of " + to_string(B(2)));
        break;
    case 0x60:
    case 0x61:
        Set(I, Code == 0x60 ? "LtStr" : "GtStr", 4, 2, 1,
            "test " + K(3) + (Code == 0x60 ? " < " : " > ") + K(2) + " str");
        break;
    case 0x66:
        Set(I, "CopyOctoBuf", 3, 8, 0, "copy octo buf of " + to_string(Big(2)));
        Grow();
        break;
    case 0x67:
        Set(I, "DropBuf", 3, 1, 0, "drop buf of " + to_string(Big(2)));
        Grow();
        break;
    case 0x6D:
        Set(I, "PopOctoBuf", 3, seN4, 0, "pop octo buf of " + to_string(Big(2)));
        Grow();
        break;
    case 0x6E:
        Set(I, "CopyOpenStr", 2, 3, 0, "copy open " + K(2) + " str");
        break;
    default:
        // Not an instruction: show the byte and read on from the second one.
        I.Columns = false;
        I.Length = 1;
        I.Description = "{255," + to_string(Code) + "}";
    }
}

void TCodeListing::DisassembleProcedure(int Proc, std::int64_t PoolPosition) {
    FBytes.Place = "procedure " + std::to_string(Proc);
    const std::int64_t Start = FProcStarts[std::size_t(Proc - 1)];
    const unsigned Locals = FBytes.Word(SegmentByte(Start * 2));
    const std::int64_t ExitWord = FBytes.Word(SegmentByte((Start - 1) * 2));
    const std::int64_t Exit = FWideOffsets ? ExitWord : ExitWord - (Start * 2 + 2);
    const std::string Segment = SegmentName(2).substr(0, SegmentName(2).find_last_not_of(' ') + 1);

    std::string Header = "function " + Segment + "." + std::to_string(Proc) + "  ; " +
                         std::to_string(Locals) + " locals, exit at " + std::to_string(Exit);
    if (FSourceLines)
        if (const TMapSourceLine* First = FSourceLines->FindProcOffset(Segment, Proc, 0);
            First && !First->ProcedureName().empty())
            Header += " '" + First->ProcedureName() + "'";
    WriteLine(Header);

    const std::int64_t Code = (Start + 1) * 2;
    const auto Next = std::ranges::upper_bound(FSortedStarts, unsigned(Start + 1));
    const std::int64_t End =
        Next != FSortedStarts.end() ? (std::int64_t(*Next) - 1) * 2 : PoolPosition * 2;

    const TMapSourceLine* Shown = nullptr;
    std::string Line;
    for (std::int64_t Address = 0; Code + Address + 1 < End;) {
        if (FSourceLines) {
            const TMapSourceLine* Source =
                FSourceLines->FindProcOffset(Segment, Proc, int(Address));
            if (Source && Source != Shown) {
                WriteLine("## " + Source->SourceText());
                Shown = Source;
            }
        }
        TInstructionDecoder Decoder(*this, Code, Address);
        const TInstruction I = Decoder.Decode();
        Line.assign(5 > std::to_string(Address).size() ? 5 - std::to_string(Address).size() : 0,
                    ' ');
        Line += std::to_string(Address);
        Line += ":  ";
        if (I.Columns) {
            std::string Mnemonic = I.Mnemonic.substr(0, 18);
            Mnemonic.resize(18, ' ');
            Line += Mnemonic;
            std::string Bytes;
            for (int Index = 0; Index < I.Length; ++Index) {
                if (Index > 0)
                    Bytes += ',';
                Bytes += std::to_string(Decoder.B(Index));
            }
            if (Bytes.size() < 25)
                Bytes.resize(25, ' ');
            Line += Bytes;
            Line += StackColumn(I.Pops, I.Pushes);
            Line += "  ";
        }
        Line += I.Description;
        WriteLine(Line);
        Address += I.Length;
    }
}

} // namespace korvid
