#pragma once

#include "editor/engine/ParaNode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

enum TUndoKind : int {
    ukCaret = 0,           // a caret position inside a compound operation
    ukInsertText = 1,      // text inserted at (paragraph, position)
    ukInsertPara = 2,      // a paragraph inserted as number p
    ukInsertParaAfter = 3, // a paragraph inserted after p
    ukDeleteText = 4,      // text deleted at (paragraph, position)
    ukDeletePara = 5,      // paragraph p deleted
    ukReplaceText = 6,     // text replaced at (paragraph, position)
};

// One record as the buffer hands it out: a copy, so nothing refers into the buffer.
struct TUndoRecord {
    TUndoKind Kind = ukCaret;
    bool Modified = false;      // the document was modified before the record
    bool ModifiedAfter = false; // and after it
    std::uint8_t Group = 0;
    std::int32_t Para = 0;
    std::int32_t Pos = 0;
    std::string Text;          // the inserted or deleted text; the old text of a replace
    std::string NewText;       // the new text of a replace
    TNodeHandle Node = NoNode; // the paragraph of kinds 2, 3 and 5
};

// Packs and reads the stored record layout (little-endian): previous record's size (2), kind
// with the modified flags in bit 7 (before the record) and bit 6 (after it) (1), group (1),
// paragraph (4), position (4), data length n (2), data (n), 2 bytes unused. A record takes
// n + 16 bytes.
class TUndoNode {
public:
    static constexpr std::size_t HeaderSize = 14;
    static constexpr std::size_t Overhead = 16;

    static void Pack(std::uint8_t* At, std::size_t PrevSize, TUndoKind Kind, bool Modified,
                     std::uint8_t Group, std::int32_t Para, std::int32_t Pos,
                     std::string_view Data);
    static void PackReplace(std::uint8_t* At, std::size_t PrevSize, bool Modified,
                            std::uint8_t Group, std::int32_t Para, std::int32_t Pos,
                            std::string_view NewText, std::string_view OldText);
    static std::size_t ReplaceDataLength(std::size_t NewLength, std::size_t OldLength) {
        return NewLength + OldLength + 2;
    }

    static TUndoKind KindOf(const std::uint8_t* At) { return TUndoKind(At[2] & KindMask); }
    static bool ModifiedOf(const std::uint8_t* At) { return (At[2] & ModifiedBefore) != 0; }
    static void SetModified(std::uint8_t* At, bool Modified);
    static bool ModifiedAfterOf(const std::uint8_t* At) { return (At[2] & ModifiedAfterBit) != 0; }
    static void SetModifiedAfter(std::uint8_t* At, bool Modified);
    static std::uint8_t GroupOf(const std::uint8_t* At) { return At[3]; }
    static std::size_t PrevSizeOf(const std::uint8_t* At) { return Get16(At); }
    static void SetPrevSize(std::uint8_t* At, std::size_t Size) { Put16(At, Size); }
    static std::int32_t ParaOf(const std::uint8_t* At) { return Get32(At + 4); }
    static std::int32_t PosOf(const std::uint8_t* At) { return Get32(At + 8); }
    static void SetPos(std::uint8_t* At, std::int32_t Pos) { Put32(At + 8, Pos); }
    static std::size_t DataLengthOf(const std::uint8_t* At) { return Get16(At + 12); }
    static void SetDataLength(std::uint8_t* At, std::size_t N) { Put16(At + 12, N); }
    static std::size_t SizeOf(const std::uint8_t* At) { return DataLengthOf(At) + Overhead; }
    // The paragraph that a record of kind 2, 3 or 5 refers to.
    static TNodeHandle NodeOf(const std::uint8_t* At);
    static TUndoRecord Read(const std::uint8_t* At);

private:
    static constexpr std::uint8_t ModifiedBefore = 0x80;
    static constexpr std::uint8_t ModifiedAfterBit = 0x40;
    static constexpr std::uint8_t KindMask = 0x3F;

    static std::size_t Get16(const std::uint8_t* At) { return At[0] | At[1] << 8; }
    static void Put16(std::uint8_t* At, std::size_t V);
    static std::int32_t Get32(const std::uint8_t* At);
    static void Put32(std::uint8_t* At, std::int32_t V);
};

// The undo and redo history of one document, packed into one fixed buffer. Records of one
// compound operation share a group number; consecutive small edits merge into one record; the
// oldest groups are purged when the buffer is full.
//
// A paragraph taken out of the text is owned by exactly one record: the record that deleted it
// while that record can be undone, or the record that inserted it once that record was undone.
// Discarding such a record hands the paragraph back through the release function.
class TUndoBuffer {
public:
    static constexpr std::size_t DefaultSize = 8192;
    static constexpr std::size_t MaxSize = 65535;
    using TReleaseNode = std::function<void(TNodeHandle)>;

    TUndoBuffer(std::size_t Size, TReleaseNode ReleaseNode);
    ~TUndoBuffer();
    TUndoBuffer(const TUndoBuffer&) = delete;
    TUndoBuffer& operator=(const TUndoBuffer&) = delete;

    // Groups nest: only the outermost begin and end take effect.
    bool BeginGroup();
    void EndGroup(bool PreviousState);

    // Whether the record was kept (false when recording is off or there was no room).
    bool Record(TUndoKind Kind, bool Modified, std::int32_t Para, std::int32_t Pos,
                std::string_view Data);
    bool RecordNode(TUndoKind Kind, bool Modified, std::int32_t Para, std::int32_t Pos,
                    TNodeHandle Node);
    bool RecordReplace(bool Modified, std::int32_t Para, std::int32_t Pos, std::string_view NewText,
                       std::string_view OldText);

    std::optional<TUndoRecord> UndoStep();
    std::optional<TUndoRecord> RedoStep(bool Modified);
    // The group of the record the next step would take; -1 when there is none.
    int GroupOfNextUndo() const;
    int GroupOfNextRedo() const;

    bool CanUndo() const { return FUndoCount > 0; }
    bool CanRedo() const { return FRedoCount > 0; }
    // The text as it stands was saved: only the step back to here, from either side, leaves the
    // document unmodified.
    void MarkSaved();
    // No state the history reaches is the saved one.
    void MarkAllModified();
    void Clear();

    std::size_t Size() const { return FSize; }
    std::size_t Free() const { return FSize - UndoEnd(); }
    int UndoCount() const { return FUndoCount; }
    int RedoCount() const { return FRedoCount; }
    bool InGroup() const { return FInGroup; }
    bool Suspended() const { return FSuspended; }
    // The newest record that can be undone (for inspection).
    std::optional<TUndoRecord> Current() const;
    // How many undo steps (groups) the history holds.
    int UndoGroupCount() const;

private:
    std::size_t UndoEnd() const;
    bool TryMerge(TUndoKind Kind, std::int32_t Para, std::int32_t Pos, std::string_view Data,
                  std::string_view NewText);
    bool Place(std::size_t Needed);
    bool MakeRoom(std::size_t Needed);
    void DropRedo();
    void DiscardUndoRecord(const std::uint8_t* At);
    void DiscardRedoRecord(const std::uint8_t* At);
    void Reset();
    std::uint8_t* At(std::size_t Offset) { return FBuffer.get() + Offset; }
    const std::uint8_t* At(std::size_t Offset) const { return FBuffer.get() + Offset; }

    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::size_t FSize = 0;
    std::size_t FCurrent = 0; // offset of the newest undo record
    int FUndoCount = 0;
    int FRedoCount = 0;
    std::uint8_t FGroup = 0;
    bool FInGroup = false;
    bool FSuspended = false;
    TReleaseNode FReleaseNode;
};

} // namespace korvid
