#include "editor/engine/UndoBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace korvid {

// ---- TUndoNode ----

void TUndoNode::Put16(std::uint8_t* At, std::size_t V) {
    At[0] = static_cast<std::uint8_t>(V);
    At[1] = static_cast<std::uint8_t>(V >> 8);
}

std::int32_t TUndoNode::Get32(const std::uint8_t* At) {
    const std::uint32_t V =
        At[0] | At[1] << 8 | At[2] << 16 | static_cast<std::uint32_t>(At[3]) << 24;
    return static_cast<std::int32_t>(V);
}

void TUndoNode::Put32(std::uint8_t* At, std::int32_t V) {
    const auto U = static_cast<std::uint32_t>(V);
    for (int I = 0; I < 4; ++I)
        At[I] = static_cast<std::uint8_t>(U >> (8 * I));
}

void TUndoNode::Pack(std::uint8_t* At, std::size_t PrevSize, TUndoKind Kind, bool Modified,
                     std::uint8_t Group, std::int32_t Para, std::int32_t Pos,
                     std::string_view Data) {
    Put16(At, PrevSize);
    // A caret record changes nothing; any other leaves the text modified.
    const bool After = Modified || Kind != ukCaret;
    At[2] = static_cast<std::uint8_t>(Kind | (Modified ? ModifiedBefore : 0) |
                                      (After ? ModifiedAfterBit : 0));
    At[3] = Group;
    Put32(At + 4, Para);
    Put32(At + 8, Pos);
    Put16(At + 12, Data.size());
    if (!Data.empty())
        std::memcpy(At + HeaderSize, Data.data(), Data.size());
}

void TUndoNode::PackReplace(std::uint8_t* At, std::size_t PrevSize, bool Modified,
                            std::uint8_t Group, std::int32_t Para, std::int32_t Pos,
                            std::string_view NewText, std::string_view OldText) {
    Pack(At, PrevSize, ukReplaceText, Modified, Group, Para, Pos, {});
    std::uint8_t* Data = At + HeaderSize;
    std::memcpy(Data, OldText.data(), OldText.size());
    Data[OldText.size()] = 0;
    std::memcpy(Data + OldText.size() + 1, NewText.data(), NewText.size());
    Data[OldText.size() + 1 + NewText.size()] = 0;
    Put16(At + 12, ReplaceDataLength(NewText.size(), OldText.size()));
}

void TUndoNode::SetModified(std::uint8_t* At, bool Modified) {
    At[2] = static_cast<std::uint8_t>((At[2] & ~ModifiedBefore) | (Modified ? ModifiedBefore : 0));
}

void TUndoNode::SetModifiedAfter(std::uint8_t* At, bool Modified) {
    At[2] =
        static_cast<std::uint8_t>((At[2] & ~ModifiedAfterBit) | (Modified ? ModifiedAfterBit : 0));
}

TNodeHandle TUndoNode::NodeOf(const std::uint8_t* At) {
    return static_cast<TNodeHandle>(Get32(At + HeaderSize));
}

TUndoRecord TUndoNode::Read(const std::uint8_t* At) {
    TUndoRecord Rec;
    Rec.Kind = KindOf(At);
    Rec.Modified = ModifiedOf(At);
    Rec.ModifiedAfter = ModifiedAfterOf(At);
    Rec.Group = GroupOf(At);
    Rec.Para = ParaOf(At);
    Rec.Pos = PosOf(At);
    const std::string_view Data(reinterpret_cast<const char*>(At + HeaderSize), DataLengthOf(At));
    switch (Rec.Kind) {
    case ukInsertPara:
    case ukInsertParaAfter:
    case ukDeletePara:
        Rec.Node = NodeOf(At);
        break;
    case ukReplaceText: {
        const std::size_t OldEnd = std::min(Data.find('\0'), Data.size());
        Rec.Text = std::string(Data.substr(0, OldEnd));
        const std::string_view Rest = Data.substr(std::min(OldEnd + 1, Data.size()));
        Rec.NewText = std::string(Rest.substr(0, Rest.empty() ? 0 : Rest.size() - 1));
        break;
    }
    default:
        Rec.Text = std::string(Data);
        break;
    }
    return Rec;
}

// ---- TUndoBuffer ----

TUndoBuffer::TUndoBuffer(std::size_t Size, TReleaseNode ReleaseNode)
    : FReleaseNode(std::move(ReleaseNode)) {
    Size = std::min(Size, MaxSize);
    while (Size > 0) {
        FBuffer.reset(new (std::nothrow) std::uint8_t[Size]);
        if (FBuffer)
            break;
        Size = Size > 16 ? Size / 2 : 0;
    }
    FSize = Size;
}

TUndoBuffer::~TUndoBuffer() {
    Clear();
}

std::size_t TUndoBuffer::UndoEnd() const {
    return FUndoCount > 0 ? FCurrent + TUndoNode::SizeOf(At(FCurrent)) : 0;
}

bool TUndoBuffer::BeginGroup() {
    const bool Previous = FInGroup;
    if (!FInGroup) {
        FInGroup = true;
        ++FGroup;
    }
    return Previous;
}

void TUndoBuffer::EndGroup(bool PreviousState) {
    FInGroup = PreviousState;
    if (!FInGroup)
        FSuspended = false;
}

void TUndoBuffer::DiscardUndoRecord(const std::uint8_t* Rec) {
    if (TUndoNode::KindOf(Rec) == ukDeletePara && FReleaseNode)
        FReleaseNode(TUndoNode::NodeOf(Rec));
}

void TUndoBuffer::DiscardRedoRecord(const std::uint8_t* Rec) {
    const TUndoKind Kind = TUndoNode::KindOf(Rec);
    if ((Kind == ukInsertPara || Kind == ukInsertParaAfter) && FReleaseNode)
        FReleaseNode(TUndoNode::NodeOf(Rec));
}

void TUndoBuffer::DropRedo() {
    std::size_t Offset = UndoEnd();
    for (int I = 0; I < FRedoCount; ++I) {
        DiscardRedoRecord(At(Offset));
        Offset += TUndoNode::SizeOf(At(Offset));
    }
    FRedoCount = 0;
}

void TUndoBuffer::Reset() {
    FUndoCount = 0;
    FRedoCount = 0;
    FCurrent = 0;
}

void TUndoBuffer::Clear() {
    std::size_t Offset = 0;
    for (int I = 0; I < FUndoCount; ++I) {
        DiscardUndoRecord(At(Offset));
        Offset += TUndoNode::SizeOf(At(Offset));
    }
    DropRedo();
    Reset();
    FGroup = 0;
}

bool TUndoBuffer::MakeRoom(std::size_t Needed) {
    if (FSuspended)
        return false;
    if (Needed > FSize) {
        Clear();
        if (FInGroup)
            FSuspended = true;
        return false;
    }
    if (Free() >= Needed)
        return true;
    const std::size_t Target = std::max(FSize / 16, Needed);
    const std::size_t End = UndoEnd();
    std::size_t PurgedBytes = 0;
    int Purged = 0;
    while (FSize - (End - PurgedBytes) < Target && Purged < FUndoCount) {
        const std::uint8_t Group = TUndoNode::GroupOf(At(PurgedBytes));
        while (Purged < FUndoCount && TUndoNode::GroupOf(At(PurgedBytes)) == Group) {
            DiscardUndoRecord(At(PurgedBytes));
            PurgedBytes += TUndoNode::SizeOf(At(PurgedBytes));
            ++Purged;
        }
    }
    if (Purged == FUndoCount) {
        Reset();
        if (FInGroup) {
            FSuspended = true; // no partial group may be left to undo
            return false;
        }
        return true;
    }
    std::memmove(At(0), At(PurgedBytes), End - PurgedBytes);
    TUndoNode::SetPrevSize(At(0), 0);
    FUndoCount -= Purged;
    FRedoCount = 0;
    FCurrent -= PurgedBytes;
    return true;
}

bool TUndoBuffer::TryMerge(TUndoKind Kind, std::int32_t Para, std::int32_t Pos,
                           std::string_view Data, std::string_view NewText) {
    if (FUndoCount == 0)
        return false;
    std::uint8_t* Rec = At(FCurrent);
    if (TUndoNode::KindOf(Rec) != Kind || TUndoNode::ParaOf(Rec) != Para)
        return false;
    // A record that ends at the saved text stays whole, so that undo can come back to it.
    if (!TUndoNode::ModifiedAfterOf(Rec))
        return false;
    const std::size_t N = TUndoNode::DataLengthOf(Rec);
    const long long RecPos = TUndoNode::PosOf(Rec);
    std::uint8_t* D = Rec + TUndoNode::HeaderSize;
    std::size_t OldLength = 0;
    bool Prepend = false;
    switch (Kind) {
    case ukInsertText:
        if (Pos != RecPos + static_cast<long long>(N))
            return false;
        break;
    case ukDeleteText:
        if (Pos == RecPos)
            break;
        if (Pos + static_cast<long long>(Data.size()) != RecPos)
            return false;
        Prepend = true;
        break;
    case ukReplaceText: {
        const auto* Nul = static_cast<const std::uint8_t*>(std::memchr(D, 0, N));
        OldLength = Nul ? static_cast<std::size_t>(Nul - D) : N;
        // Only a replacement right after the recorded new text continues it; where old and
        // new lengths differ, the end of the old text lies elsewhere.
        const std::size_t NewLength = N - std::min(N, OldLength + 2);
        if (Pos != RecPos + static_cast<long long>(NewLength))
            return false;
        break;
    }
    default:
        return false;
    }
    DropRedo();
    const std::size_t Added = Data.size() + NewText.size();
    if (Free() < Added)
        return false; // the caller writes a record of its own instead
    if (Kind == ukReplaceText) {
        std::memmove(D + OldLength + Data.size(), D + OldLength, N - OldLength);
        std::memcpy(D + OldLength, Data.data(), Data.size());
        std::memcpy(D + N + Data.size() - 1, NewText.data(), NewText.size());
        D[N + Added - 1] = 0;
    } else if (Prepend) {
        std::memmove(D + Added, D, N);
        std::memcpy(D, Data.data(), Added);
        TUndoNode::SetPos(Rec, Pos);
    } else {
        std::memcpy(D + N, Data.data(), Added);
    }
    TUndoNode::SetDataLength(Rec, N + Added);
    return true;
}

bool TUndoBuffer::Place(std::size_t Needed) {
    DropRedo();
    if (!FInGroup)
        ++FGroup;
    return MakeRoom(Needed);
}

bool TUndoBuffer::Record(TUndoKind Kind, bool Modified, std::int32_t Para, std::int32_t Pos,
                         std::string_view Data) {
    if (FSuspended)
        return false;
    if (!FInGroup && TryMerge(Kind, Para, Pos, Data, {}))
        return true;
    if (!Place(Data.size() + TUndoNode::Overhead))
        return false;
    const std::size_t Offset = UndoEnd();
    const std::size_t Prev = FUndoCount > 0 ? TUndoNode::SizeOf(At(FCurrent)) : 0;
    TUndoNode::Pack(At(Offset), Prev, Kind, Modified, FGroup, Para, Pos, Data);
    FCurrent = Offset;
    ++FUndoCount;
    return true;
}

bool TUndoBuffer::RecordNode(TUndoKind Kind, bool Modified, std::int32_t Para, std::int32_t Pos,
                             TNodeHandle Node) {
    char Data[4];
    for (int I = 0; I < 4; ++I)
        Data[I] = static_cast<char>(Node >> (8 * I));
    return Record(Kind, Modified, Para, Pos, {Data, 4});
}

bool TUndoBuffer::RecordReplace(bool Modified, std::int32_t Para, std::int32_t Pos,
                                std::string_view NewText, std::string_view OldText) {
    if (FSuspended)
        return false;
    if (!FInGroup && TryMerge(ukReplaceText, Para, Pos, OldText, NewText))
        return true;
    const std::size_t Needed =
        TUndoNode::ReplaceDataLength(NewText.size(), OldText.size()) + TUndoNode::Overhead;
    if (!Place(Needed))
        return false;
    const std::size_t Offset = UndoEnd();
    const std::size_t Prev = FUndoCount > 0 ? TUndoNode::SizeOf(At(FCurrent)) : 0;
    TUndoNode::PackReplace(At(Offset), Prev, Modified, FGroup, Para, Pos, NewText, OldText);
    FCurrent = Offset;
    ++FUndoCount;
    return true;
}

std::optional<TUndoRecord> TUndoBuffer::UndoStep() {
    if (FUndoCount == 0)
        return std::nullopt;
    TUndoRecord Rec = TUndoNode::Read(At(FCurrent));
    const std::size_t Prev = TUndoNode::PrevSizeOf(At(FCurrent));
    --FUndoCount;
    ++FRedoCount;
    FCurrent = FUndoCount > 0 ? FCurrent - Prev : 0;
    return Rec;
}

std::optional<TUndoRecord> TUndoBuffer::RedoStep(bool Modified) {
    if (FRedoCount == 0)
        return std::nullopt;
    const std::size_t Offset = UndoEnd();
    TUndoNode::SetModified(At(Offset), Modified);
    TUndoRecord Rec = TUndoNode::Read(At(Offset));
    FCurrent = Offset;
    ++FUndoCount;
    --FRedoCount;
    return Rec;
}

int TUndoBuffer::GroupOfNextUndo() const {
    return FUndoCount > 0 ? TUndoNode::GroupOf(At(FCurrent)) : -1;
}

int TUndoBuffer::GroupOfNextRedo() const {
    return FRedoCount > 0 ? TUndoNode::GroupOf(At(UndoEnd())) : -1;
}

void TUndoBuffer::MarkSaved() {
    std::size_t Offset = 0;
    for (int I = 0; I < FUndoCount + FRedoCount; ++I) {
        TUndoNode::SetModified(At(Offset), I != FUndoCount);
        TUndoNode::SetModifiedAfter(At(Offset), I != FUndoCount - 1);
        Offset += TUndoNode::SizeOf(At(Offset));
    }
}

void TUndoBuffer::MarkAllModified() {
    std::size_t Offset = 0;
    for (int I = 0; I < FUndoCount + FRedoCount; ++I) {
        TUndoNode::SetModified(At(Offset), true);
        TUndoNode::SetModifiedAfter(At(Offset), true);
        Offset += TUndoNode::SizeOf(At(Offset));
    }
}

std::optional<TUndoRecord> TUndoBuffer::Current() const {
    if (FUndoCount == 0)
        return std::nullopt;
    return TUndoNode::Read(At(FCurrent));
}

int TUndoBuffer::UndoGroupCount() const {
    int Groups = 0;
    std::size_t Offset = 0;
    int Previous = -1;
    for (int I = 0; I < FUndoCount; ++I) {
        const int Group = TUndoNode::GroupOf(At(Offset));
        if (Group != Previous)
            ++Groups;
        Previous = Group;
        Offset += TUndoNode::SizeOf(At(Offset));
    }
    return Groups;
}

} // namespace korvid
