#pragma once

#include <cstddef>
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
// is wrapped into. Its text is either a heap block of its own or, for paragraphs read from a
// file, text where it was loaded that the list keeps alive; it moves to a block of its own when
// it first needs room. An edited document holds a node per changed line, so the node is kept
// small.
class TParaNode {
public:
    TParaNode() = default;
    // A paragraph holding a copy of Text, wrapped; raises the engine's out-of-memory error when
    // the text cannot be allocated.
    TParaNode(std::string_view Text, int TabSize, int WrapColumn);
    // A paragraph whose text stays where Text lies, in storage the caller keeps alive for the
    // node's life; it has no room to grow there, so its first change that needs room moves it.
    TParaNode(std::string_view Text, int TabSize, int WrapColumn, bool InPlace);
    ~TParaNode();
    TParaNode(TParaNode&& Other) noexcept;
    TParaNode& operator=(TParaNode&& Other) noexcept;
    TParaNode(const TParaNode&) = delete;
    TParaNode& operator=(const TParaNode&) = delete;

    // The display lines Text is wrapped into, as a node holding it would have them.
    static int WrappedLineCount(std::string_view Text, int WrapColumn, int TabSize);

    std::string_view Text() const { return {FText, FLength}; }
    int Length() const { return FLength; }
    int LineCount() const { return FLineCount; }
    // The 0-based offset at which display line K (1-based) starts.
    int LineStart(int K) const { return K <= 1 ? 0 : FLineStarts[K - 1]; }
    int TextCapacity() const { return FTextCapacity * CapacityUnit; }
    int LineStartsCapacity() const { return FLineStartsCapacity * CapacityUnit; }

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

private:
    // Capacities are multiples of this and are held in these units, so that they fit 16 bits.
    static constexpr int CapacityUnit = 8;
    // The text capacity a paragraph of Length characters is given.
    static std::size_t CapacityFor(std::size_t Length);

    static int NextLineStart(std::string_view Text, int Start, int WrapColumn, int TabSize,
                             bool Tabs);
    bool GrowText(std::size_t Needed);
    bool ReserveLineStarts(std::size_t Count);
    void Rewrap(int At, int OldCount, int NewCount, int TabSize, int WrapColumn,
                TChangedLines& Changed);
    void FreeText();

    char* FText = nullptr; // owned (delete[]) only when FOwnsText
    std::unique_ptr<std::uint16_t[]> FLineStarts;

public:
    // Bookkeeping of the owning list: the chain's links.
    TNodeHandle Next = NoNode;
    TNodeHandle Prev = NoNode;

private:
    // A paragraph holds fewer than 65,536 characters, so its display lines and the capacities
    // (in units) fit 16 bits.
    std::uint16_t FLength = 0;
    std::uint16_t FLineCount = 1;
    std::uint16_t FTextCapacity : 14 = 0;
    bool FOwnsText : 1 = false;

public:
    // Whether the node is in the chain, and whether its arena slot is in use.
    bool InChain : 1 = false;

private:
    std::uint16_t FLineStartsCapacity : 14 = 0;

public:
    bool Alive : 1 = false;
    // The node stands for a run of loaded paragraphs that its list describes.
    bool Run : 1 = false;
};

} // namespace korvid
