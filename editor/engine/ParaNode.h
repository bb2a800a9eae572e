#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

namespace korvid {

// A paragraph is addressed by a handle into the arena of its list; 0 is no paragraph.
using TNodeHandle = std::uint32_t;
inline constexpr TNodeHandle NoNode = 0;

// A paragraph's length is a 16-bit quantity in the stored formats; longer text is refused.
inline constexpr int MaxParaLength = 65535;
// Wrap columns of 0, below 0 or from this value on never break a paragraph.
inline constexpr int NoWrapColumn = 32767;

inline bool IsNoWrap(int WrapColumn) {
    return WrapColumn <= 0 || WrapColumn >= NoWrapColumn;
}

// First and last display line (within a paragraph) that an edit touched.
struct TChangedLines {
    int First = 1;
    int Last = 1;
};

// One paragraph: its characters (without the line end) and the start of each display line it
// is wrapped into.
class TParaNode {
public:
    TParaNode() = default;
    // A paragraph holding a copy of Text, wrapped; raises the engine's out-of-memory error when
    // the text cannot be allocated.
    TParaNode(std::string_view Text, int TabSize, int WrapColumn);

    std::string_view Text() const { return {FText.get(), FLength}; }
    int Length() const { return FLength; }
    int LineCount() const { return FLineCount; }
    // The 0-based offset at which display line K (1-based) starts.
    int LineStart(int K) const { return K <= 1 ? 0 : FLineStarts[K - 1]; }
    int TextCapacity() const { return static_cast<int>(FTextCapacity); }
    int LineStartsCapacity() const { return static_cast<int>(FLineStartsCapacity); }

    // Edits return 0, eeOutOfMemory or eeParaTooLong (the node is then unchanged), and the
    // display lines they changed.
    int InsertText(std::string_view Source, int Pos, int TabSize, int WrapColumn,
                   TChangedLines& Changed);
    void DeleteText(int Pos, int Count, int TabSize, int WrapColumn, TChangedLines& Changed);
    int ReplaceText(int Pos, int OldCount, std::string_view Source, int TabSize, int WrapColumn,
                    TChangedLines& Changed);

    // The text of display line K (empty outside 1..LineCount).
    std::string_view GetLine(int K) const;
    // The display line holding the 1-based position Pos and the 1-based position within it.
    std::pair<int, int> LineOfPosition(int Pos) const;
    // Removes the blanks at the end; returns how many went.
    int TrimTrailingBlanks(int TabSize, int WrapColumn);
    // Blanks immediately before the 1-based position Pos.
    int BlanksBefore(int Pos) const;
    // Re-computes every line start.
    void Wrap(int WrapColumn, int TabSize);
    // Gives up the text and the line starts.
    void Clear();

    // Bookkeeping of the owning list: the chain's links, whether the node is in the chain, and
    // whether its arena slot is in use.
    TNodeHandle Next = NoNode;
    TNodeHandle Prev = NoNode;
    bool InChain = false;
    bool Alive = false;

private:
    int NextLineStart(int Start, int WrapColumn, int TabSize, bool Tabs) const;
    bool GrowText(std::size_t Needed);
    bool ReserveLineStarts(std::size_t Count);
    void Rewrap(int At, int OldCount, int NewCount, int TabSize, int WrapColumn,
                TChangedLines& Changed);

    std::unique_ptr<char[]> FText;
    std::unique_ptr<std::uint16_t[]> FLineStarts;
    std::uint32_t FTextCapacity = 0;
    std::uint32_t FLineStartsCapacity = 0;
    std::int32_t FLineCount = 1;
    std::uint16_t FLength = 0;
};

} // namespace korvid
