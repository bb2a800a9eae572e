#include "tests/support/CodeFileBuilder.h"

#include "psystem/PSystemText.h"

namespace korvid::test {

namespace {

constexpr std::int64_t Block = 512;

std::string Padded(std::string Text, std::size_t Size) {
    Text.resize(Size, ' ');
    return Text;
}

// A segment's words as they grow.
struct TWords {
    std::string Bytes;
    std::int64_t Position() const { return std::int64_t(Bytes.size()) / 2; }
    void Word(unsigned Value) {
        Bytes += char(Value & 0xFF);
        Bytes += char((Value >> 8) & 0xFF);
    }
    void DWord(std::uint32_t Value) {
        Word(Value & 0xFFFF);
        Word(Value >> 16);
    }
    void Raw(const std::string& Data) {
        Bytes += Data;
        if (Bytes.size() % 2)
            Bytes += '\0';
    }
};

void PadToBlock(std::string& Bytes) {
    Bytes.resize((Bytes.size() + Block - 1) / Block * Block, '\0');
}

} // namespace

void PutWord(std::string& Bytes, std::int64_t Offset, unsigned Value) {
    Bytes[std::size_t(Offset)] = char(Value & 0xFF);
    Bytes[std::size_t(Offset + 1)] = char((Value >> 8) & 0xFF);
}

TBuiltCodeFile BuildCodeFile(const TCodeFile& File) {
    TBuiltCodeFile Built;
    const int DictionaryBlocks =
        std::max<int>(1, int(File.Segments.size() + File.FirstEntry + 15) / 16);
    std::string& Bytes = Built.Bytes;
    Bytes.assign(std::size_t(DictionaryBlocks * Block), '\0');
    for (int Index = 0; Index + 1 < DictionaryBlocks; ++Index)
        PutWord(Bytes, Index * Block + 416, unsigned(Index + 1));
    PutWord(Bytes, 418, (File.WideOffsets ? 32u << 8 : 0) | (File.WidePointers ? 64 : 0));
    Bytes[432] = char(File.Comment.size());
    Bytes.replace(433, File.Comment.size(), File.Comment);

    for (std::size_t Index = 0; Index < File.Segments.size(); ++Index) {
        const TCodeSegment& S = File.Segments[Index];
        TSegmentLayout Layout;
        Layout.DictionaryBlock = int((Index + File.FirstEntry) / 16);
        Layout.Entry = int((Index + File.FirstEntry) % 16);
        const std::int64_t D = Layout.DictionaryBlock * Block;
        const int E = Layout.Entry;

        unsigned InterfaceBlock = 0;
        unsigned InterfaceBlocks = 0;
        if (!S.Interface.empty()) {
            std::string Text = EncodePSystemText(S.Interface, nullptr).Data.substr(1024);
            while (Text.size() >= std::size_t(Block) &&
                   Text.find_first_not_of('\0', Text.size() - Block) == std::string::npos)
                Text.resize(Text.size() - Block);
            InterfaceBlock = unsigned(Bytes.size() / Block);
            InterfaceBlocks = unsigned(Text.size() / Block);
            Bytes += Text;
        }

        TWords W;
        const int HeaderWords = 9;
        for (int Word = 0; Word < HeaderWords; ++Word)
            W.Word(0);
        for (const TCodeProcedure& P : S.Procedures) {
            const std::int64_t ExitAt = W.Position();
            W.Word(0);
            const std::int64_t Start = W.Position();
            Layout.ProcedureStarts.push_back(Start);
            W.Word(P.Locals);
            W.Raw(P.Code);
            const int Exit = P.Exit >= 0 ? P.Exit : std::max<int>(0, int(P.Code.size()) - 1);
            PutWord(W.Bytes, ExitAt * 2, unsigned(File.WideOffsets ? Exit : Exit + Start * 2 + 2));
        }
        Layout.Pool = W.Position();
        W.Raw(S.Pool);
        const auto PoolString = [&W, &Layout](const std::string& Text) {
            const std::int64_t At = W.Position() - Layout.Pool;
            W.Raw(std::string(1, char(Text.size())) + Text);
            return unsigned(At);
        };
        std::vector<unsigned> TypeNames;
        for (const auto& [Segment, Name] : S.TypeReferences)
            TypeNames.push_back(PoolString(Name));
        std::vector<std::uint32_t> MemberTables;
        for (const TCodeType& Type : S.Types) {
            std::vector<unsigned> Names;
            for (const TCodeTypeMember& Member : Type.Members)
                Names.push_back(PoolString(Member.Name));
            MemberTables.push_back(std::uint32_t(W.Position() - Layout.Pool));
            for (std::size_t M = 0; M < Type.Members.size(); ++M) {
                W.Word(Type.Members[M].Kind);
                W.Word(Names[M]);
                W.Word(Type.Members[M].Number);
                W.Word(Type.Members[M].Reference);
            }
        }
        if (S.HasTypes) {
            for (std::size_t T = 0; T < S.Types.size(); ++T) {
                W.DWord(MemberTables[T]);
                W.DWord(std::uint32_t(S.Types[T].Members.size()));
                W.DWord(S.Types[T].Size);
                W.DWord(S.Types[T].At);
            }
            Layout.TypeCount = W.Position();
            W.DWord(std::uint32_t(S.Types.size()));
        }
        for (std::size_t P = S.Procedures.size(); P-- > 0;) {
            if (File.WideOffsets)
                W.DWord(std::uint32_t(Layout.ProcedureStarts[P]));
            else
                W.Word(unsigned(Layout.ProcedureStarts[P]));
        }
        Layout.Dictionary = W.Position();
        W.Word(unsigned(S.Procedures.size()));
        const std::int64_t CodeLength = W.Position();
        PutWord(W.Bytes, 0, unsigned(Layout.Dictionary & 0xFFFF));
        PutWord(W.Bytes, 14, unsigned(Layout.Pool & 0xFFFF));
        if (File.WideOffsets) {
            PutWord(W.Bytes, 2, unsigned(Layout.Dictionary >> 16));
            PutWord(W.Bytes, 16, unsigned(Layout.Pool >> 16));
        }
        Layout.SegRefs = CodeLength;
        if (S.Kind == 1 || S.Kind == 2) {
            for (const auto& [Name, Number] : S.References) {
                W.Bytes += Padded(Name, 8);
                W.Word(Number);
            }
            W.Bytes += std::string(8, ' ');
            W.Word(0);
            W.Word(unsigned(S.TypeReferences.size()));
            for (std::size_t T = 0; T < S.TypeReferences.size(); ++T) {
                W.Word(S.TypeReferences[T].first);
                W.Word(TypeNames[T]);
            }
        }
        const std::int64_t SegRefWords = W.Position() - CodeLength;

        PadToBlock(Bytes);
        const unsigned First = unsigned(Bytes.size() / Block);
        Layout.Start = std::int64_t(Bytes.size());
        Bytes += W.Bytes;
        PadToBlock(Bytes);

        PutWord(Bytes, D + E * 4, First);
        PutWord(Bytes, D + E * 4 + 2, unsigned(CodeLength & 0xFFFF));
        Bytes.replace(std::size_t(D + 64 + E * 8), 8, Padded(S.Name, 8));
        PutWord(Bytes, D + 192 + E * 2, S.Kind | (S.HasTypes ? 3u << 8 : 0));
        PutWord(Bytes, D + 224 + E * 2,
                File.WideOffsets ? unsigned(CodeLength >> 16) : InterfaceBlock);
        PutWord(Bytes, D + 256 + E * 2, S.Number | (S.CodeType | S.Version << 5) << 8);
        if (S.Kind == 1 || S.Kind == 2) {
            PutWord(Bytes, D + 288 + E * 8, S.DataSize);
            PutWord(Bytes, D + 288 + E * 8 + 2, unsigned(SegRefWords));
            PutWord(Bytes, D + 288 + E * 8 + 4, S.Highest);
            PutWord(Bytes, D + 288 + E * 8 + 6, InterfaceBlocks);
        } else {
            Bytes.replace(std::size_t(D + 288 + E * 8), 8, Padded(S.Parent, 8));
        }
        Built.Segments.push_back(Layout);
    }
    return Built;
}

} // namespace korvid::test
