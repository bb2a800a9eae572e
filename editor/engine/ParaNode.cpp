#include "editor/engine/ParaNode.h"

#include "editor/engine/EngException.h"
#include "editor/engine/EngText.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace korvid {

namespace {

std::size_t RoundUp(std::size_t Value, std::size_t Step) {
    return (Value + Step - 1) / Step * Step;
}

} // namespace

static_assert(sizeof(TParaNode) <= 32, "a document holds one node per line");

std::size_t TParaNode::CapacityFor(std::size_t Length) {
    return Length == 0 ? 0 : RoundUp(Length + 1, CapacityUnit);
}

TParaNode::TParaNode(std::string_view Text, int TabSize, int WrapColumn) {
    if (Text.size() > static_cast<std::size_t>(MaxParaLength))
        Text = Text.substr(0, MaxParaLength);
    if (!Text.empty()) {
        const std::size_t Capacity = CapacityFor(Text.size());
        std::unique_ptr<char[]> Buffer(new (std::nothrow) char[Capacity]);
        if (!Buffer)
            RaiseOutOfMemory();
        FText = Buffer.release();
        FOwnsText = true;
        FTextCapacity = static_cast<std::uint16_t>(Capacity / CapacityUnit);
        std::memcpy(FText, Text.data(), Text.size());
        FText[Text.size()] = '\0';
        FLength = static_cast<std::uint16_t>(Text.size());
    }
    Wrap(WrapColumn, TabSize);
}

TParaNode::TParaNode(std::string_view Text, int TabSize, int WrapColumn, bool /*InPlace*/) {
    if (Text.size() > static_cast<std::size_t>(MaxParaLength))
        Text = Text.substr(0, MaxParaLength);
    // The text is not followed by a NUL of its own; nothing reads past its length, and a copy
    // made when it grows gets one.
    FText = const_cast<char*>(Text.data());
    FLength = static_cast<std::uint16_t>(Text.size());
    Wrap(WrapColumn, TabSize);
}

TParaNode::~TParaNode() {
    FreeText();
}

TParaNode::TParaNode(TParaNode&& Other) noexcept
    : FText(std::exchange(Other.FText, nullptr)), FLineStarts(std::move(Other.FLineStarts)),
      Next(Other.Next), Prev(Other.Prev), FLength(Other.FLength), FLineCount(Other.FLineCount),
      FTextCapacity(Other.FTextCapacity), FOwnsText(Other.FOwnsText), InChain(Other.InChain),
      FLineStartsCapacity(Other.FLineStartsCapacity), Alive(Other.Alive), Run(Other.Run) {
    Other.FOwnsText = false;
    Other.Clear();
}

TParaNode& TParaNode::operator=(TParaNode&& Other) noexcept {
    if (this == &Other)
        return *this;
    FreeText();
    FText = std::exchange(Other.FText, nullptr);
    FOwnsText = Other.FOwnsText;
    Other.FOwnsText = false;
    FLineStarts = std::move(Other.FLineStarts);
    Next = Other.Next;
    Prev = Other.Prev;
    FLength = Other.FLength;
    FLineCount = Other.FLineCount;
    FTextCapacity = Other.FTextCapacity;
    FLineStartsCapacity = Other.FLineStartsCapacity;
    InChain = Other.InChain;
    Alive = Other.Alive;
    Run = Other.Run;
    Other.Clear();
    return *this;
}

void TParaNode::FreeText() {
    if (FOwnsText)
        delete[] FText;
    FText = nullptr;
    FOwnsText = false;
}

void TParaNode::Clear() {
    FreeText();
    FLineStarts.reset();
    FTextCapacity = 0;
    FLineStartsCapacity = 0;
    FLineCount = 1;
    FLength = 0;
}

// Text in shared storage moves to a block of its own when it outgrows its slot.
bool TParaNode::GrowText(std::size_t Needed) {
    if (Needed <= static_cast<std::size_t>(TextCapacity()))
        return true;
    // Text kept where it was read has no capacity, yet may be longer than a shrinking edit
    // needs: the block holds what is there now.
    const std::size_t Capacity = RoundUp(std::max<std::size_t>(Needed, FLength + 1u), 16);
    std::unique_ptr<char[]> Buffer(new (std::nothrow) char[Capacity]);
    if (!Buffer)
        return false;
    if (FText)
        std::memcpy(Buffer.get(), FText, FLength);
    Buffer[FLength] = '\0';
    FreeText();
    FText = Buffer.release();
    FOwnsText = true;
    FTextCapacity = static_cast<std::uint16_t>(Capacity / CapacityUnit);
    return true;
}

bool TParaNode::ReserveLineStarts(std::size_t Count) {
    const std::size_t Capacity = std::max<std::size_t>(RoundUp(Count, 8), 8);
    if (Capacity <= static_cast<std::size_t>(LineStartsCapacity()))
        return true;
    std::unique_ptr<std::uint16_t[]> Starts(new (std::nothrow) std::uint16_t[Capacity]());
    if (!Starts)
        return false;
    if (FLineStarts)
        std::copy_n(FLineStarts.get(), LineStartsCapacity(), Starts.get());
    FLineStarts = std::move(Starts);
    FLineStartsCapacity = static_cast<std::uint16_t>(Capacity / CapacityUnit);
    return true;
}

// Where the display line after the one starting at Start begins, or -1 when the rest fits.
int TParaNode::NextLineStart(std::string_view Text, int Start, int WrapColumn, int TabSize,
                             bool Tabs) {
    const int Length = static_cast<int>(Text.size());
    const int Remaining = Length - Start;
    const int Candidate = Tabs ? OffsetOfColumn(Text.substr(Start), WrapColumn, TabSize)
                               : std::min(WrapColumn, Remaining);
    if (Remaining <= Candidate)
        return -1;
    int Blank = Start + Candidate;
    while (Blank >= Start && !IsBlank(Text[Blank]))
        --Blank;
    if (Blank < Start)
        return Start + Candidate; // no blank: broken inside the word
    int Next = Blank + 1;
    while (Next < Length && IsBlank(Text[Next]))
        ++Next;
    return Next < Length ? Next : -1; // trailing blanks stay on the earlier line
}

int TParaNode::WrappedLineCount(std::string_view Text, int WrapColumn, int TabSize) {
    if (IsNoWrap(WrapColumn) || Text.empty())
        return 1;
    const bool Tabs = HasTabs(Text);
    int Count = 1;
    for (int Start = 0; (Start = NextLineStart(Text, Start, WrapColumn, TabSize, Tabs)) >= 0;)
        ++Count;
    return Count;
}

void TParaNode::Wrap(int WrapColumn, int TabSize) {
    FLineCount = 1;
    if (IsNoWrap(WrapColumn) || FLength == 0)
        return;
    // The array of line starts is made only for a paragraph that needs a second line.
    const int M = FLength / WrapColumn;
    const int Estimate = std::max((M + M / 5 + 7) / 8 * 8, 8);
    const bool Tabs = HasTabs(Text());
    int Start = 0;
    for (int Next; (Next = NextLineStart(Text(), Start, WrapColumn, TabSize, Tabs)) >= 0;
         Start = Next) {
        if (!FLineStarts && !ReserveLineStarts(Estimate))
            return;
        if (!ReserveLineStarts(FLineCount + 1u))
            return;
        FLineStarts[0] = 0;
        FLineStarts[FLineCount++] = static_cast<std::uint16_t>(Next);
    }
}

// Re-wraps after the OldCount bytes at offset At became NewCount bytes. Line starts are
// re-computed from the line before the edit until one lies past the edit where an old start,
// moved by the size change, already was; from there on the old starts are only moved.
void TParaNode::Rewrap(int At, int OldCount, int NewCount, int TabSize, int WrapColumn,
                       TChangedLines& Changed) {
    const int OldLines = FLineCount;
    if (IsNoWrap(WrapColumn) || FLength == 0) {
        FLineCount = 1;
        Changed = {1, OldLines};
        return;
    }
    if (!FLineStarts) {
        if (NextLineStart(Text(), 0, WrapColumn, TabSize, HasTabs(Text())) < 0) {
            FLineCount = 1;
            Changed = {1, 1};
            return;
        }
        if (!ReserveLineStarts(8))
            return;
        FLineStarts[0] = 0;
    }
    const int Delta = NewCount - OldCount;
    const std::uint16_t* Old = FLineStarts.get();
    const int EditLine = static_cast<int>(std::upper_bound(Old, Old + OldLines, At) - Old);
    const int FirstLine = std::max(1, EditLine - 1);

    static thread_local std::vector<int> Fresh;
    Fresh.clear();
    int OldIndex = FirstLine; // 0-based index of the next old start to compare with
    while (OldIndex < OldLines && Old[OldIndex] < At + OldCount)
        ++OldIndex;
    int Resume = -1; // 0-based index of the old start where re-computing stopped
    const bool Tabs = HasTabs(Text());
    int Start = Old[FirstLine - 1];
    for (int Next; (Next = NextLineStart(Text(), Start, WrapColumn, TabSize, Tabs)) >= 0;
         Start = Next) {
        if (Next >= At + NewCount) {
            while (OldIndex < OldLines && Old[OldIndex] + Delta < Next)
                ++OldIndex;
            if (OldIndex < OldLines && Old[OldIndex] + Delta == Next) {
                Resume = OldIndex;
                break;
            }
        }
        Fresh.push_back(Next);
    }
    const int Kept = Resume >= 0 ? OldLines - Resume : 0;
    const int NewLines = FirstLine + static_cast<int>(Fresh.size()) + Kept;
    if (!ReserveLineStarts(NewLines))
        return;
    std::uint16_t* Starts = FLineStarts.get();
    if (Kept > 0) {
        const int To = FirstLine + static_cast<int>(Fresh.size());
        std::memmove(Starts + To, Starts + Resume, Kept * sizeof(std::uint16_t));
        for (int I = To; I < To + Kept; ++I)
            Starts[I] = static_cast<std::uint16_t>(Starts[I] + Delta);
    }
    std::copy(Fresh.begin(), Fresh.end(), Starts + FirstLine);
    if (NewLines < LineStartsCapacity())
        Starts[NewLines] = 0;
    FLineCount = NewLines;
    Changed = {FirstLine, FirstLine + static_cast<int>(Fresh.size())};
}

int TParaNode::InsertText(std::string_view Source, int Pos, int TabSize, int WrapColumn,
                          TChangedLines& Changed) {
    const int Start = std::max(Pos, 1) - 1;
    const int OldLength = FLength;
    const long long NewLength = std::max(OldLength, Start) + static_cast<long long>(Source.size());
    if (NewLength > MaxParaLength)
        return eeParaTooLong;
    if (NewLength == OldLength) {
        const int Line = LineOfPosition(Pos).first;
        Changed = {std::max(1, Line - 1), Line};
        return eeNone;
    }
    if (!GrowText(static_cast<std::size_t>(NewLength) + 1))
        return eeOutOfMemory;
    char* Text = FText;
    if (Start > OldLength) {
        std::memset(Text + OldLength, ' ', Start - OldLength);
        Text[Start] = '\0';
        FLength = static_cast<std::uint16_t>(Start);
    }
    std::memmove(Text + Start + Source.size(), Text + Start, FLength - Start + 1u);
    std::memcpy(Text + Start, Source.data(), Source.size());
    FLength = static_cast<std::uint16_t>(NewLength);
    const int At = std::min(Start, OldLength);
    Rewrap(At, 0, static_cast<int>(NewLength) - OldLength, TabSize, WrapColumn, Changed);
    return eeNone;
}

void TParaNode::DeleteText(int Pos, int Count, int TabSize, int WrapColumn,
                           TChangedLines& Changed) {
    const int Start = std::max(Pos, 1) - 1;
    if (FLength == 0 || Count <= 0 || Start >= FLength) {
        Changed = {1, 1};
        return;
    }
    const int Removed = std::min(Count, FLength - Start);
    char* Text = FText;
    std::memmove(Text + Start, Text + Start + Removed, FLength - Start - Removed + 1u);
    FLength = static_cast<std::uint16_t>(FLength - Removed);
    Rewrap(Start, Removed, 0, TabSize, WrapColumn, Changed);
}

int TParaNode::ReplaceText(int Pos, int OldCount, std::string_view Source, int TabSize,
                           int WrapColumn, TChangedLines& Changed) {
    const int Start = std::max(Pos, 1) - 1;
    if (Start >= FLength)
        return InsertText(Source, Pos, TabSize, WrapColumn, Changed);
    const int Removed = std::clamp(OldCount, 0, FLength - Start);
    const int Added = static_cast<int>(std::min<std::size_t>(Source.size(), MaxParaLength + 1u));
    const int NewLength = FLength - Removed + Added;
    if (NewLength > MaxParaLength)
        return eeParaTooLong;
    if (!GrowText(NewLength + 1u))
        return eeOutOfMemory;
    char* Text = FText;
    std::memmove(Text + Start + Added, Text + Start + Removed, FLength - Start - Removed + 1u);
    std::memcpy(Text + Start, Source.data(), Added);
    FLength = static_cast<std::uint16_t>(NewLength);
    Rewrap(Start, Removed, Added, TabSize, WrapColumn, Changed);
    return eeNone;
}

std::string_view TParaNode::GetLine(int K) const {
    if (K < 1 || K > FLineCount)
        return {};
    if (FLineCount == 1)
        return Text();
    const int Start = LineStart(K);
    const int End = K == FLineCount ? FLength : LineStart(K + 1);
    return {FText + Start, static_cast<std::size_t>(End - Start)};
}

std::pair<int, int> TParaNode::LineOfPosition(int Pos) const {
    if (FLineCount <= 1)
        return {1, Pos};
    const std::uint16_t* Starts = FLineStarts.get();
    const int Line =
        static_cast<int>(std::upper_bound(Starts, Starts + FLineCount, Pos - 1) - Starts);
    const int K = std::max(Line, 1);
    return {K, Pos - LineStart(K)};
}

int TParaNode::TrimTrailingBlanks(int TabSize, int WrapColumn) {
    int End = FLength;
    while (End > 0 && IsBlank(FText[End - 1]))
        --End;
    const int Removed = FLength - End;
    if (Removed > 0) {
        TChangedLines Changed;
        DeleteText(End + 1, Removed, TabSize, WrapColumn, Changed);
    }
    return Removed;
}

int TParaNode::BlanksBefore(int Pos) const {
    int I = std::min(Pos - 1, static_cast<int>(FLength));
    int Count = 0;
    while (I > 0 && IsBlank(FText[I - 1])) {
        --I;
        ++Count;
    }
    return Count;
}

} // namespace korvid
