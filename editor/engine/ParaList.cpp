#include "editor/engine/ParaList.h"

#include "editor/engine/EngException.h"
#include "editor/engine/EngText.h"
#include "platform/Cp1252.h"
#include "platform/MemoryInfo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace korvid {

namespace {

std::string_view TrimmedRight(std::string_view Text) {
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

bool IsLineEnd(char C) {
    return C == '\r' || C == '\n';
}

// The first character of Replacement takes the case of the first replaced character.
void AdaptFirstLetter(std::string& Replacement, char Replaced) {
    if (Replacement.empty())
        return;
    char& First = Replacement.front();
    if (Replaced >= 'A' && Replaced <= 'Z')
        First = static_cast<char>(UpCase1252(static_cast<unsigned char>(First)));
    else if (Replaced >= 'a' && Replaced <= 'z' && First >= 'A' && First <= 'Z')
        First = static_cast<char>(LowCase1252(static_cast<unsigned char>(First)));
}

} // namespace

// ---- Construction and settings ----

TParaList::TParaList(TParaListClient* Owner, std::size_t UndoSize, bool WordWrap)
    : FOwner(Owner), FWordWrap(WordWrap) {
    FNodes.emplace_back(); // slot 0: no paragraph
    FUndo =
        std::make_unique<TUndoBuffer>(UndoSize, [this](TNodeHandle H) { ReleaseDetachedNode(H); });
    const TNodeHandle First = NewNode({});
    FHead = FTail = First;
    Node(First).InChain = true;
    FParaCount = 1;
    FLineCount = 1;
    SetCache(First, 1, 1);
}

TParaList::~TParaList() {
    FUndo.reset(); // hands back the paragraphs its records hold while the arena still exists
}

void TParaList::SetTabSize(int Value) {
    Value = std::clamp(Value, 1, 255);
    if (Value == FTabSize)
        return;
    FTabSize = Value;
    if (FWordWrap)
        RewrapAndTellOwner();
}

void TParaList::SetWrapColumn(int Value) {
    if (Value == FWrapColumn)
        return;
    FWrapColumn = Value;
    if (FWordWrap)
        RewrapAndTellOwner();
}

void TParaList::SetWordWrap(bool Value) {
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    RewrapAndTellOwner();
}

void TParaList::RewrapAndTellOwner() {
    RewrapAll();
    if (FOwner)
        FOwner->TextRewrapped();
}

void TParaList::SetUndoSize(std::size_t Size) {
    FUndo.reset();
    FUndo = std::make_unique<TUndoBuffer>(Size, [this](TNodeHandle H) { ReleaseDetachedNode(H); });
}

void TParaList::SetModified(bool Value) {
    FModified = Value;
    if (Value)
        FUndo->MarkAllModified();
    else
        FUndo->MarkSaved();
}

TTextPos TParaList::Bookmark(int N) const {
    return N >= 0 && N < BookmarkCount ? FBookmarks[N] : TTextPos{};
}

void TParaList::SetBookmark(int N, int Para, int Pos) {
    if (N >= 0 && N < BookmarkCount)
        FBookmarks[N] = {Para, Pos};
}

void TParaList::SetBookmarkByLine(int N, int Line, int Column) {
    const auto [Para, Offset] = ParaOfLine(Line);
    SetBookmark(N, Para, Offset + Column);
}

int TParaList::EffectiveParaLengthLimit() const {
    return std::min(FParaLengthLimit, MaxParaLength);
}

// ---- The arena of paragraphs ----

TNodeHandle TParaList::Adopt(TParaNode&& Fresh) {
    Fresh.Alive = true;
    if (!FFreeSlots.empty()) {
        const TNodeHandle H = FFreeSlots.back();
        FFreeSlots.pop_back();
        FNodes[H] = std::move(Fresh);
        return H;
    }
    FNodes.push_back(std::move(Fresh));
    return static_cast<TNodeHandle>(FNodes.size() - 1);
}

TNodeHandle TParaList::NewNode(std::string_view Text) {
    return Adopt(TParaNode(Text, FTabSize, EffectiveWrapColumn()));
}

// Blocks after the first, sized for the estimate, are of this size: enough that an estimate that
// fell short costs few allocations.
constexpr std::size_t SharedBlockSize = 1 << 20;

bool TParaList::ReserveSharedText(std::size_t Bytes) {
    if (Bytes <= FSharedLeft)
        return true;
    std::unique_ptr<char[]> Block(new (std::nothrow) char[Bytes]);
    if (!Block)
        return false;
    FSharedFree = Block.get();
    FSharedLeft = Bytes;
    FTextBlocks.push_back(std::move(Block));
    return true;
}

char* TParaList::SharedText(std::size_t Bytes) {
    if (!ReserveSharedText(Bytes > FSharedLeft ? std::max(Bytes, SharedBlockSize) : Bytes))
        return nullptr;
    char* const Slot = FSharedFree;
    FSharedFree += Bytes;
    FSharedLeft -= Bytes;
    return Slot;
}

// With a byte after the text, as a line in the text read has its line end there: a node's edits
// in place move that byte along with the text.
const char* TParaList::CopyOfLine(std::string_view Text) {
    char* const Slot = SharedText(Text.size() + 1);
    if (Slot) {
        std::memcpy(Slot, Text.data(), Text.size());
        Slot[Text.size()] = '\0';
    }
    return Slot;
}

TNodeHandle TParaList::NewInPlaceNode(std::string_view Text) {
    return Adopt(TParaNode(Text, FTabSize, EffectiveWrapColumn(), true));
}

TNodeHandle TParaList::NewRunNode(const TRun& R) {
    const TNodeHandle H = Adopt(TParaNode());
    Node(H).Run = true;
    Node(H).InChain = true;
    FRuns[H] = R;
    return H;
}

// The fed lines are views into Backing, so its characters must stay where they are when it
// changes hands: a string that holds them in a heap block hands the block over.
bool TParaList::AdoptBacking(std::string& Backing) {
    const char* const Where = Backing.data();
    auto Owned = std::make_unique<std::string>();
    Owned->swap(Backing);
    if (Owned->data() != Where) {
        Owned->swap(Backing);
        return false;
    }
    FBackings.push_back(std::move(Owned));
    return true;
}

void TParaList::FreeNode(TNodeHandle H) {
    TParaNode& N = Node(H);
    if (N.Run) {
        FRuns.erase(H);
        if (H == FLastRunNode)
            FLastRunNode = NoNode;
    }
    N.Clear();
    N.Alive = false;
    N.InChain = false;
    N.Run = false;
    N.Next = N.Prev = NoNode;
    FFreeSlots.push_back(H);
}

void TParaList::ReleaseDetachedNode(TNodeHandle H) {
    if (H != NoNode && H < FNodes.size() && Node(H).Alive && !Node(H).InChain)
        FreeNode(H);
}

int TParaList::LiveNodeCount() const {
    int Count = static_cast<int>(FNodes.size() - 1 - FFreeSlots.size() - FRuns.size());
    for (const auto& [H, R] : FRuns)
        Count += R.Count;
    return Count;
}

// ---- Runs of loaded paragraphs ----

// Offsets are 32 bits: a line further from the base than that starts lines of its own.
bool TParaList::TLoadedLines::Fits(std::string_view Text) const {
    if (Text.empty() || !Base)
        return true;
    const auto From = reinterpret_cast<std::uintptr_t>(Base);
    const auto At = reinterpret_cast<std::uintptr_t>(Text.data());
    return At >= From && At - From + Text.size() <= UINT32_MAX;
}

void TParaList::TLoadedLines::Append(std::string_view Text, int Lines) {
    if (!Text.empty() && !Base)
        Base = Text.data();
    Offsets.push_back(Text.empty() ? 0 : static_cast<std::uint32_t>(Text.data() - Base));
    Lengths.push_back(static_cast<std::uint16_t>(Text.size()));
    if (!DisplayLines.empty())
        DisplayLines.push_back(static_cast<std::uint16_t>(Lines));
    else
        SetLines(Offsets.size() - 1, Lines);
}

void TParaList::TLoadedLines::SetLines(std::size_t I, int Lines) {
    if (DisplayLines.empty()) {
        if (Lines == 1)
            return;
        DisplayLines.assign(Offsets.size(), 1);
    }
    DisplayLines[I] = static_cast<std::uint16_t>(Lines);
}

const TParaList::TRun& TParaList::RunOf(TNodeHandle H) const {
    if (H != FLastRunNode) {
        FLastRun = &FRuns.find(H)->second;
        FLastRunNode = H;
    }
    return *FLastRun;
}

// Counted from the nearer end of the run.
int TParaList::RunLinesBefore(const TRun& R, int Count) const {
    const TLoadedLines& L = *R.Lines;
    if (L.DisplayLines.empty())
        return Count;
    int Sum = 0;
    if (Count <= R.Count / 2) {
        for (int I = 0; I < Count; ++I)
            Sum += L.DisplayLines[R.Begin + I];
        return Sum;
    }
    for (int I = Count; I < R.Count; ++I)
        Sum += L.DisplayLines[R.Begin + I];
    return R.DisplayLines - Sum;
}

void TParaList::RewrapRun(TRun& R, int WrapColumn) {
    TLoadedLines& L = *R.Lines;
    R.DisplayLines = 0;
    for (int I = 0; I < R.Count; ++I) {
        const std::size_t Item = R.Begin + I;
        const int Lines = TParaNode::WrappedLineCount(L.Text(Item), WrapColumn, FTabSize);
        L.SetLines(Item, Lines);
        R.DisplayLines += Lines;
    }
}

// ---- The chain and the look-up cache ----

void TParaList::SetCache(TNodeHandle H, int Para, int FirstLine) {
    FCache = {H, Para, FirstLine};
}

TParaList::TPlace TParaList::HeadPlace() const {
    return {FHead, 1, 1};
}

TParaList::TPlace TParaList::LastPlaceOf(TNodeHandle H, int Para, int NextFirstLine) const {
    TPlace At{H, Para, NextFirstLine, ParasIn(H) - 1};
    At.FirstLine -= LinesAt(At);
    return At;
}

TParaList::TPlace TParaList::TailPlace() const {
    return LastPlaceOf(FTail, FParaCount, FLineCount + 1);
}

// The nearest of head, cache and tail by distance; a tie with the head goes to the head, one
// between the cache and the tail to the tail.
TParaList::TPlace TParaList::Nearest(int FromHead, int FromCache, int FromTail) const {
    if (FromHead <= FromCache && FromHead <= FromTail)
        return HeadPlace();
    return FromCache < FromTail ? FCache : TailPlace();
}

int TParaList::LinesAt(const TPlace& At) const {
    if (!IsRun(At.Node))
        return FNodes[At.Node].LineCount();
    const TRun& R = RunOf(At.Node);
    return R.Lines->Lines(R.Begin + At.Index);
}

std::string_view TParaList::TextAt(const TPlace& At) const {
    if (!IsRun(At.Node))
        return FNodes[At.Node].Text();
    const TRun& R = RunOf(At.Node);
    return R.Lines->Text(R.Begin + At.Index);
}

void TParaList::StepForward(TPlace& At) const {
    At.FirstLine += LinesAt(At);
    ++At.Para;
    if (IsRun(At.Node) && At.Index + 1 < RunOf(At.Node).Count) {
        ++At.Index;
    } else {
        At.Node = FNodes[At.Node].Next;
        At.Index = 0;
    }
}

void TParaList::StepBack(TPlace& At) const {
    --At.Para;
    if (At.Index > 0) {
        --At.Index;
    } else {
        At.Node = FNodes[At.Node].Prev;
        At.Index = ParasIn(At.Node) - 1;
    }
    At.FirstLine -= LinesAt(At);
}

// A run is passed over whole when the walk enters it at one end and the target lies beyond its
// other end; within a run of single display lines the walk moves by arithmetic. The target is a
// paragraph number, or a display line when ByLine.
TParaList::TPlace TParaList::Walk(TPlace At, int Target, bool ByLine) const {
    const auto Key = [ByLine](const TPlace& P) { return ByLine ? P.FirstLine : P.Para; };
    const auto Span = [&](const TPlace& P) { return ByLine ? LinesAt(P) : 1; };
    while (Key(At) + Span(At) <= Target) {
        if (IsRun(At.Node)) {
            const TRun& R = RunOf(At.Node);
            if (At.Index == 0 && Target >= Key(At) + (ByLine ? R.DisplayLines : R.Count)) {
                At = {FNodes[At.Node].Next, At.Para + R.Count, At.FirstLine + R.DisplayLines};
                continue;
            }
            const int Moved = std::min(Target - Key(At), R.Count - 1 - At.Index);
            if (R.Lines->DisplayLines.empty() && Moved > 0) {
                At = {At.Node, At.Para + Moved, At.FirstLine + Moved, At.Index + Moved};
                continue;
            }
        }
        StepForward(At);
    }
    while (Key(At) > Target) {
        if (IsRun(At.Node) && At.Index > 0) {
            const TRun& R = RunOf(At.Node);
            if (At.Index == R.Count - 1) {
                const TPlace First{At.Node, At.Para - At.Index,
                                   At.FirstLine - (R.DisplayLines - LinesAt(At))};
                if (Target < Key(First)) {
                    At = First;
                    continue;
                }
            }
            const int Moved = std::min(Key(At) - Target, At.Index);
            if (R.Lines->DisplayLines.empty()) {
                At = {At.Node, At.Para - Moved, At.FirstLine - Moved, At.Index - Moved};
                continue;
            }
        }
        StepBack(At);
    }
    return At;
}

TParaList::TPlace TParaList::Find(int Para) {
    if (Para == FCache.Para)
        return FCache;
    const TPlace Start = Para == 1 ? HeadPlace()
                         : Para == FParaCount
                             ? TailPlace()
                             : Nearest(Para - 1, std::abs(Para - FCache.Para), FParaCount - Para);
    FCache = Walk(Start, Para, false);
    return FCache;
}

TParaList::TPlace TParaList::FindLine(int Line) {
    if (!FWordWrap)
        return Find(Line);
    if (Line >= FCache.FirstLine && Line < FCache.FirstLine + LinesAt(FCache))
        return FCache;
    const TPlace Start = Nearest(Line - 1, std::abs(Line - FCache.FirstLine), FLineCount - Line);
    FCache = Walk(Start, Line, true);
    return FCache;
}

TNodeHandle TParaList::Locate(int Para) {
    if (Para < 1 || Para > FParaCount)
        return NoNode;
    TPlace At = Find(Para);
    if (IsRun(At.Node))
        At = Materialise(At);
    FCache = At;
    return At.Node;
}

// Links Before and After as neighbours, either of which may be no node (the chain's ends).
void TParaList::Chain(TNodeHandle Before, TNodeHandle After) {
    if (Before != NoNode)
        Node(Before).Next = After;
    else
        FHead = After;
    if (After != NoNode)
        Node(After).Prev = Before;
    else
        FTail = Before;
}

// The paragraph at At gets a node of its own, its text left where it lies; the paragraphs of
// the run before and after it stay runs. The counts do not change.
TParaList::TPlace TParaList::Materialise(const TPlace& At) {
    const TNodeHandle H = At.Node;
    const TRun R = RunOf(H);
    const int I = At.Index;
    const std::uint32_t Item = R.Begin + static_cast<std::uint32_t>(I);
    const TNodeHandle Own = NewInPlaceNode(R.Lines->Text(Item));
    Node(Own).InChain = true;
    const int Before = RunLinesBefore(R, I);
    const int OwnLines = R.Lines->Lines(Item);
    TNodeHandle After = Node(H).Next;
    if (I + 1 < R.Count) {
        const TRun Rest{R.Lines, Item + 1, R.Count - I - 1, R.DisplayLines - Before - OwnLines};
        const TNodeHandle Right = NewRunNode(Rest);
        Chain(Right, After);
        After = Right;
    }
    Chain(Own, After);
    if (I > 0) {
        TRun& Left = RunOf(H);
        Left.Count = I;
        Left.DisplayLines = Before;
        Chain(H, Own);
    } else {
        Chain(Node(H).Prev, Own);
        FreeNode(H);
    }
    return {Own, At.Para, At.FirstLine};
}

// Links a detached node in as paragraph Para (1..count + 1); the cache moves to it.
void TParaList::Link(TNodeHandle H, int Para) {
    int First;
    if (Para > FParaCount) {
        First = FLineCount + 1;
        TParaNode& N = Node(H);
        N.Prev = FTail;
        N.Next = NoNode;
        Node(FTail).Next = H;
        FTail = H;
        CountLinked(H);
    } else {
        const TNodeHandle At = Locate(Para);
        First = FCache.FirstLine;
        LinkBefore(H, At);
    }
    SetCache(H, Para, First);
}

void TParaList::LinkBefore(TNodeHandle H, TNodeHandle At) {
    TParaNode& N = Node(H);
    N.Next = At;
    N.Prev = Node(At).Prev;
    if (N.Prev != NoNode)
        Node(N.Prev).Next = H;
    else
        FHead = H;
    Node(At).Prev = H;
    CountLinked(H);
}

// A node just put in the chain joins the counts.
void TParaList::CountLinked(TNodeHandle H) {
    TParaNode& N = Node(H);
    N.InChain = true;
    ++FParaCount;
    FByteCount += N.Length() + 2;
    FLineCount += N.LineCount();
}

// Takes paragraph Para (the node H) out of the chain; the cache moves to the previous
// paragraph, or to the next one for the first.
void TParaList::Unlink(TNodeHandle H, int Para) {
    Locate(Para);
    const int First = FCache.FirstLine;
    TParaNode& N = Node(H);
    if (N.Prev != NoNode)
        Node(N.Prev).Next = N.Next;
    else
        FHead = N.Next;
    if (N.Next != NoNode)
        Node(N.Next).Prev = N.Prev;
    else
        FTail = N.Prev;
    --FParaCount;
    FByteCount -= N.Length() + 2;
    FLineCount -= N.LineCount();
    if (N.Prev != NoNode)
        FCache = LastPlaceOf(N.Prev, Para - 1, First);
    else
        SetCache(FHead, 1, 1);
    N.InChain = false;
    N.Next = N.Prev = NoNode;
}

// ---- Queries ----

const TParaNode* TParaList::NodeOfPara(int Para) {
    const TNodeHandle H = Locate(Para);
    return H == NoNode ? nullptr : &Node(H);
}

std::string_view TParaList::ParaText(int Para) {
    if (Para < 1 || Para > FParaCount)
        return {};
    return TextAt(Find(Para));
}

int TParaList::ParaLength(int Para) {
    return static_cast<int>(ParaText(Para).size());
}

// A paragraph of a run that is wrapped into several display lines is wrapped again for the
// question: a node that holds its text where it lies, for the moment.
std::pair<int, int> TParaList::LineOfPara(int Para, int Pos) {
    Para = std::clamp(Para, 1, FParaCount);
    const TPlace At = Find(Para);
    if (!IsRun(At.Node)) {
        const auto [Line, InLine] = Node(At.Node).LineOfPosition(Pos);
        return {At.FirstLine + Line - 1, InLine};
    }
    if (LinesAt(At) == 1)
        return {At.FirstLine, Pos};
    const TParaNode Wrapped(TextAt(At), FTabSize, EffectiveWrapColumn(), true);
    const auto [Line, InLine] = Wrapped.LineOfPosition(Pos);
    return {At.FirstLine + Line - 1, InLine};
}

std::pair<int, int> TParaList::ParaOfLine(int Line) {
    Line = std::clamp(Line, 1, FLineCount);
    const TPlace At = FindLine(Line);
    const int K = Line - At.FirstLine + 1;
    if (!IsRun(At.Node))
        return {At.Para, Node(At.Node).LineStart(K)};
    if (LinesAt(At) == 1)
        return {At.Para, 0};
    const TParaNode Wrapped(TextAt(At), FTabSize, EffectiveWrapColumn(), true);
    return {At.Para, Wrapped.LineStart(K)};
}

std::string_view TParaList::LineText(int Line) {
    if (Line < 1 || Line > FLineCount)
        return {};
    const TPlace At = FindLine(Line);
    const int K = Line - At.FirstLine + 1;
    if (!IsRun(At.Node))
        return Node(At.Node).GetLine(K);
    if (LinesAt(At) == 1)
        return TextAt(At);
    const TParaNode Wrapped(TextAt(At), FTabSize, EffectiveWrapColumn(), true);
    return Wrapped.GetLine(K);
}

int TParaList::LineWidth(int Line) {
    return ColumnOfOffset(LineText(Line), FTabSize);
}

int TParaList::ColumnOfPosition(std::string_view Text, int Pos) const {
    if (Pos <= 1)
        return 1;
    const int Length = static_cast<int>(Text.size());
    if (Pos - 1 <= Length)
        return ColumnOfOffset(Text.substr(0, Pos - 1), FTabSize) + 1;
    return ColumnOfOffset(Text, FTabSize) + (Pos - 1 - Length) + 1;
}

int TParaList::PositionOfColumn(std::string_view Text, int Column) const {
    if (Column <= 1)
        return 1;
    int Consumed = 0;
    int Pos = 1;
    for (char C : Text) {
        const int Next = C == TabChar ? (Consumed / FTabSize + 1) * FTabSize : Consumed + 1;
        if (Column - 1 < Next)
            return Pos;
        Consumed = Next;
        ++Pos;
    }
    return Pos + (Column - 1 - Consumed);
}

int TParaList::TailLength() const {
    if (!IsRun(FTail))
        return FNodes[FTail].Length();
    const TRun& R = RunOf(FTail);
    return R.Lines->Lengths[R.Begin + R.Count - 1];
}

int TParaList::CheckLimits(int Para, int NewParas, std::int64_t AddedBytes) {
    if (NewParas > 0 || Para > FParaLimit) {
        const bool LastEmpty = TailLength() == 0;
        std::int64_t Permitted = FParaLimit;
        if (Para <= FParaLimit && LastEmpty && FParaLimit != NoLimit)
            Permitted = static_cast<std::int64_t>(FParaLimit) + 1;
        if (static_cast<std::int64_t>(FParaCount) + NewParas > Permitted)
            return eeTooManyParas;
    }
    if (FByteCount + AddedBytes > FByteLimit)
        return eeTextTooLarge;
    if (Para == 0 || NewParas > 0)
        return eeNone;
    if (ParaLength(Para) + AddedBytes > EffectiveParaLengthLimit())
        return eeParaTooLong;
    return eeNone;
}

// ---- Changed range and position moves ----

void TParaList::SetChanged(int FirstLine, const TChangedLines& Lines, bool LineCountChanged) {
    ++FChangeSerial;
    FChangedFrom = FirstLine - 1 + Lines.First;
    FChangedTo = LineCountChanged ? AllBelowChanged : FirstLine - 1 + Lines.Last;
}

void TParaList::SetChangedBelow(int FirstLine) {
    ++FChangeSerial;
    FChangedFrom = std::max(FirstLine, 1);
    FChangedTo = AllBelowChanged;
}

void TParaList::MovedByInsert(TParaListClient* Editor, int Para, int Pos, int Count) {
    if (!FAdjust)
        return;
    for (TTextPos& B : FBookmarks) {
        if (B.Para == Para && B.Pos >= Pos)
            B.Pos += Count;
    }
    if (TParaListClient* C = Client(Editor))
        C->CharsInserted(Para, Pos, Count);
}

void TParaList::MovedByDelete(TParaListClient* Editor, int Para, int Pos, int Count) {
    if (!FAdjust)
        return;
    for (TTextPos& B : FBookmarks) {
        if (B.Para != Para || B.Pos < Pos)
            continue;
        if (B.Pos < Pos + Count)
            B = {};
        else
            B.Pos -= Count;
    }
    if (TParaListClient* C = Client(Editor))
        C->CharsDeleted(Para, Pos, Count);
}

void TParaList::MovedBySplit(TParaListClient* Editor, int Para, int Pos, int Indent) {
    if (!FAdjust)
        return;
    for (TTextPos& B : FBookmarks) {
        if (B.Para > Para)
            ++B.Para;
        else if (B.Para == Para && B.Pos >= Pos)
            B = {Para + 1, B.Pos + Indent - (Pos - 1)};
    }
    if (TParaListClient* C = Client(Editor))
        C->ParaSplit(Para, Pos, Indent);
}

void TParaList::MovedByParaDelete(TParaListClient* Editor, int Para) {
    if (!FAdjust)
        return;
    for (TTextPos& B : FBookmarks) {
        if (B.Para == Para)
            B = {};
        else if (B.Para > Para)
            --B.Para;
    }
    if (TParaListClient* C = Client(Editor))
        C->ParaDeleted(Para);
}

void TParaList::MovedByJoin(TParaListClient* Editor, int Para, int Pos) {
    if (!FAdjust)
        return;
    for (TTextPos& B : FBookmarks) {
        if (B.Para == Para + 1)
            B = {Para, B.Pos + Pos - 1};
        else if (B.Para > Para + 1)
            --B.Para;
    }
    if (TParaListClient* C = Client(Editor))
        C->ParasJoined(Para, Pos);
}

void TParaList::RecordCaret(int Para, int Pos) {
    if (Recording())
        FUndo->Record(ukCaret, FModified, Para, Pos, {});
}

// ---- Editing ----

int TParaList::AppendPara(std::string_view Text, bool Trim) {
    if (Trim)
        Text = TrimmedRight(Text);
    if (Text.size() > static_cast<std::size_t>(MaxParaLength))
        return eeParaTooLong;
    TNodeHandle H;
    try {
        H = NewNode(Text);
    } catch (const EEngException& E) {
        return E.ErrorCode();
    }
    Link(H, FParaCount + 1);
    SetChangedBelow(FCache.FirstLine);
    FModified = true;
    return eeNone;
}

// Each paragraph is checked as inserting the whole text would check it: every line but the last
// becomes a paragraph before the empty one, and the last goes into it. The lines join runs, a
// few bytes each; a line that does not lie in the backing text is copied into shared storage.
int TParaList::LoadParas(std::size_t Count, std::size_t TextBytes, const TParaFeed& Next,
                         std::string* Backing) {
    std::string_view Text;
    if (!Next(Text))
        return eeNone;
    std::string_view Kept;
    if (Backing && AdoptBacking(*Backing))
        Kept = *FBackings.back();
    const auto IsKept = [Kept](std::string_view Line) {
        return !Line.empty() && !Kept.empty() && Line.data() >= Kept.data() &&
               Line.data() + Line.size() <= Kept.data() + Kept.size();
    };
    // Each copied line takes a byte more than its text (CopyOfLine).
    if (Kept.empty() && TextBytes > 0 && !ReserveSharedText(TextBytes + Count))
        return eeOutOfMemory;
    const TNodeHandle Empty = FTail;
    const int Wrap = EffectiveWrapColumn();
    TNodeHandle RunNode = NoNode;
    TLoadedLines* Lines = nullptr;
    int Error = eeNone;
    bool Changed = false;
    bool AnyInPlace = false;
    for (;;) {
        const std::int64_t Length = static_cast<std::int64_t>(Text.size());
        if (Length > MaxParaLength)
            Text = Text.substr(0, MaxParaLength);
        const bool InPlace = IsKept(Text);
        AnyInPlace = AnyInPlace || InPlace;
        const char* const Where = InPlace || Text.empty() ? Text.data() : CopyOfLine(Text);
        if (!Where) {
            Error = eeOutOfMemory;
            break;
        }
        const std::string_view Stored(Where, Text.size());
        const bool Last = !Next(Text);
        if (!Last) {
            Error = Length > MaxParaLength ? eeParaTooLong : CheckLimits(0, 1, Length + 2);
        } else if (Length > 0) {
            Error = CheckLimits(FParaCount, 0, Length);
        } else {
            break; // an empty last line is the empty paragraph itself
        }
        if (Error != eeNone)
            break;
        if (!Lines || !Lines->Fits(Stored)) {
            FLoaded.push_back(std::make_unique<TLoadedLines>());
            Lines = FLoaded.back().get();
            Lines->Offsets.reserve(Count);
            Lines->Lengths.reserve(Count);
            RunNode = NewRunNode({Lines, 0, 0, 0});
            Chain(Node(Empty).Prev, RunNode);
            Chain(RunNode, Empty);
        }
        const int LineCount = TParaNode::WrappedLineCount(Stored, Wrap, FTabSize);
        TRun& R = RunOf(RunNode);
        Lines->Append(Stored, LineCount);
        ++R.Count;
        R.DisplayLines += LineCount;
        ++FParaCount;
        FByteCount += Length + 2;
        FLineCount += LineCount;
        Changed = true;
        if (Last) {
            // The last line takes the empty paragraph's place.
            Chain(RunNode, NoNode);
            --FParaCount;
            FByteCount -= 2;
            FLineCount -= Node(Empty).LineCount();
            FreeNode(Empty);
            break;
        }
    }
    if (!Kept.empty() && !AnyInPlace)
        FBackings.pop_back();
    SetCache(FHead, 1, 1);
    SetChangedBelow(1);
    if (Changed)
        FModified = true;
    return Error;
}

int TParaList::InsertText(TParaListClient* Editor, int Para, int Pos, std::string_view Text) {
    if (Text.empty() || Pos < 1 || Para < 1 || Para > FParaCount)
        return eeNone;
    TNodeHandle H = Locate(Para);
    const int Length = Node(H).Length();
    const int Padding = std::max(0, Pos - 1 - Length);
    if (!FReplaying) {
        if (const int Error =
                CheckLimits(Para, 0, Padding + static_cast<std::int64_t>(Text.size())))
            return Error;
        H = Locate(Para);
    }
    TParaNode& N = Node(H);
    const int OldLines = N.LineCount();
    TChangedLines Changed;
    if (const int Error = N.InsertText(Text, Pos, FTabSize, EffectiveWrapColumn(), Changed))
        return Error;
    if (Recording()) {
        if (Padding > 0) {
            std::string Data(Padding, ' ');
            Data.append(Text);
            FUndo->Record(ukInsertText, FModified, Para, Length + 1, Data);
        } else {
            FUndo->Record(ukInsertText, FModified, Para, Pos, Text);
        }
    }
    FByteCount += Padding + static_cast<std::int64_t>(Text.size());
    FLineCount += N.LineCount() - OldLines;
    SetChanged(FCache.FirstLine, Changed, N.LineCount() != OldLines);
    FModified = true;
    MovedByInsert(Editor, Para, Pos, static_cast<int>(Text.size()));
    return eeNone;
}

int TParaList::DeleteText(TParaListClient* Editor, int Para, int Pos, int Count) {
    if (Count <= 0 || Pos < 1 || Para < 1 || Para > FParaCount)
        return eeNone;
    const TNodeHandle H = Locate(Para);
    TParaNode& N = Node(H);
    if (N.Length() == 0 || Pos > N.Length())
        return eeNone;
    Count = std::min(Count, N.Length() - Pos + 1);
    if (Recording())
        FUndo->Record(ukDeleteText, FModified, Para, Pos, N.Text().substr(Pos - 1, Count));
    const int OldLines = N.LineCount();
    TChangedLines Changed;
    N.DeleteText(Pos, Count, FTabSize, EffectiveWrapColumn(), Changed);
    FByteCount -= Count;
    FLineCount += N.LineCount() - OldLines;
    SetChanged(FCache.FirstLine, Changed, N.LineCount() != OldLines);
    FModified = true;
    MovedByDelete(Editor, Para, Pos, Count);
    return eeNone;
}

int TParaList::ReplaceText(TParaListClient* Editor, int Para, int Pos, int OldCount,
                           std::string_view Text, bool AdaptCase) {
    if (Pos < 1 || Para < 1 || Para > FParaCount)
        return eeNone;
    const int Length = Node(Locate(Para)).Length();
    const int Old = std::clamp(OldCount, 0, std::max(0, Length - Pos + 1));
    if (Old == 0)
        return InsertText(Editor, Para, Pos, Text);
    std::string New(Text);
    const std::string OldText(Node(Locate(Para)).Text().substr(Pos - 1, Old));
    if (AdaptCase)
        AdaptFirstLetter(New, OldText.front());
    const int Added = static_cast<int>(std::min<std::size_t>(New.size(), MaxParaLength + 1u));
    if (!FReplaying && Added > Old) {
        if (const int Error = CheckLimits(Para, 0, Added - Old))
            return Error;
    }
    TParaNode& N = Node(Locate(Para));
    const int OldLines = N.LineCount();
    TChangedLines Changed;
    if (const int Error = N.ReplaceText(Pos, Old, New, FTabSize, EffectiveWrapColumn(), Changed))
        return Error;
    if (Recording())
        FUndo->RecordReplace(FModified, Para, Pos, New, OldText);
    FByteCount += Added - Old;
    FLineCount += N.LineCount() - OldLines;
    SetChanged(FCache.FirstLine, Changed, N.LineCount() != OldLines);
    FModified = true;
    // A replace in place moves no position but may re-wrap the paragraph, so the editors are
    // told of it as an insertion of nothing and look their display lines up anew.
    if (Added < Old)
        MovedByDelete(Editor, Para, Pos + Added, Old - Added);
    else
        MovedByInsert(Editor, Para, Pos + Old, Added - Old);
    return eeNone;
}

int TParaList::InsertParaBefore(TParaListClient* Editor, int Para, std::string_view Text) {
    if (Para < 1 || Para > FParaCount + 1)
        return eeNone;
    if (Text.size() > static_cast<std::size_t>(MaxParaLength))
        return eeParaTooLong;
    if (!FReplaying) {
        if (const int Error = CheckLimits(0, 1, static_cast<std::int64_t>(Text.size()) + 2))
            return Error;
    }
    TNodeHandle H;
    try {
        H = NewNode(Text);
    } catch (const EEngException& E) {
        return E.ErrorCode();
    }
    Link(H, Para);
    if (Recording())
        FUndo->RecordNode(ukInsertPara, FModified, Para, 1, H);
    SetChangedBelow(FCache.FirstLine);
    FModified = true;
    MovedBySplit(Editor, Para, 1, 0);
    return eeNone;
}

int TParaList::InsertParaAfter(TParaListClient* Editor, int Para, std::string_view Text) {
    if (Para < 1 || Para > FParaCount)
        return eeNone;
    if (Text.size() > static_cast<std::size_t>(MaxParaLength))
        return eeParaTooLong;
    TNodeHandle H;
    try {
        H = NewNode(Text);
    } catch (const EEngException& E) {
        return E.ErrorCode();
    }
    Link(H, Para + 1);
    if (Recording())
        FUndo->RecordNode(ukInsertParaAfter, FModified, Para, 1, H);
    SetChangedBelow(FCache.FirstLine - 1);
    FModified = true;
    MovedBySplit(Editor, Para + 1, 1, 0);
    return eeNone;
}

int TParaList::DeletePara(TParaListClient* Editor, int Para) {
    if (Para < 1 || Para > FParaCount || FParaCount == 1)
        return eeNone;
    const TNodeHandle H = Locate(Para);
    const int First = FCache.FirstLine;
    Unlink(H, Para);
    const bool Held = Recording() && FUndo->RecordNode(ukDeletePara, FModified, Para, 1, H);
    // While replaying, the record on the other side of the history holds the paragraph.
    if (!Held && !FReplaying)
        FreeNode(H);
    SetChangedBelow(First - 1);
    FModified = true;
    MovedByParaDelete(Editor, Para);
    return eeNone;
}

void TParaList::ReinsertNode(TParaListClient* Editor, int Para, TNodeHandle H) {
    if (H == NoNode || H >= FNodes.size() || !Node(H).Alive || Node(H).InChain)
        return;
    Node(H).Wrap(EffectiveWrapColumn(), FTabSize);
    Link(H, std::clamp(Para, 1, FParaCount + 1));
    SetChangedBelow(FCache.FirstLine - 1);
    FModified = true;
    MovedBySplit(Editor, Para, 1, 0);
}

int TParaList::SplitPara(TParaListClient* Editor, int Para, int Pos, bool Trim, int Indent,
                         int TabSize) {
    if (Para < 1 || Para > FParaCount)
        return eeNone;
    const int Length = ParaLength(Para);
    Pos = std::clamp(Pos, 1, Length + 1);
    if (Pos == 1)
        return InsertParaBefore(Editor, Para, {});
    const bool OuterGroup = FUndo->BeginGroup();
    const bool OuterAdjust = FAdjust;
    RecordCaret(Para, Pos);
    FAdjust = false;
    const std::string Tail(ParaText(Para).substr(Pos - 1));
    int Error = InsertParaAfter(Editor, Para, Tail);
    int Inserted = 0;
    if (Error == eeNone) {
        DeleteText(Editor, Para, Pos, static_cast<int>(Tail.size()));
        if (Trim) {
            const int Blanks = Node(Locate(Para)).BlanksBefore(Pos);
            DeleteText(Editor, Para, Pos - Blanks, Blanks);
        }
        if (Indent > 0) {
            std::string Blanks = TabSize > 0 ? std::string(Indent / TabSize, TabChar) +
                                                   std::string(Indent % TabSize, ' ')
                                             : std::string(Indent, ' ');
            if (InsertText(Editor, Para + 1, 1, Blanks) == eeNone)
                Inserted = static_cast<int>(Blanks.size());
        }
        RecordCaret(Para + 1, Inserted + 1);
    }
    FAdjust = OuterAdjust;
    if (Error == eeNone) {
        MovedBySplit(Editor, Para, Pos, Inserted);
        SetChangedBelow(LineOfPara(Para, 1).first);
    }
    FUndo->EndGroup(OuterGroup);
    return Error;
}

int TParaList::JoinParas(TParaListClient* Editor, int Para, int Pos) {
    if (Para < 1 || Para >= FParaCount)
        return eeNone;
    Pos = std::max(Pos, 1);
    const int Length = ParaLength(Para);
    const bool OuterAdjust = FAdjust;
    if (Pos == 1 && Length == 0) {
        FAdjust = false;
        DeletePara(Editor, Para);
        FAdjust = OuterAdjust;
        MovedByJoin(Editor, Para, 1);
        return eeNone;
    }
    const std::string Next(ParaText(Para + 1));
    const std::int64_t Added =
        std::max(Pos - 1, Length) - Length + static_cast<std::int64_t>(Next.size());
    if (CheckLimits(Para, 0, Added) != eeNone)
        return eeCannotJoin;
    const bool OuterGroup = FUndo->BeginGroup();
    FAdjust = false;
    int Error = InsertText(Editor, Para, Pos, Next);
    if (Error == eeNone) {
        DeletePara(Editor, Para + 1);
        RecordCaret(Para, Pos);
    }
    FAdjust = OuterAdjust;
    if (Error == eeNone) {
        MovedByJoin(Editor, Para, Pos);
        SetChangedBelow(LineOfPara(Para, 1).first);
    }
    FUndo->EndGroup(OuterGroup);
    return Error == eeNone ? eeNone : eeCannotJoin;
}

int TParaList::DeleteRange(TParaListClient* Editor, int Para1, int Pos1, int Para2, int Pos2) {
    Para2 = std::min(Para2, FParaCount);
    if (Para1 < 1 || Para1 > Para2)
        return eeNone;
    if (Para1 == Para2)
        return DeleteText(Editor, Para1, Pos1, Pos2 - Pos1);
    const bool OuterGroup = FUndo->BeginGroup();
    int Error = eeNone;
    if (Pos1 <= 1 && Pos2 <= 1) {
        for (int I = Para1; I < Para2; ++I)
            DeletePara(Editor, Para1);
    } else {
        DeleteText(Editor, Para1, Pos1, ParaLength(Para1));
        DeleteText(Editor, Para2, 1, Pos2 - 1);
        for (int I = Para1 + 1; I < Para2; ++I)
            DeletePara(Editor, Para1 + 1);
        Error = JoinParas(Editor, Para1, ParaLength(Para1) + 1);
    }
    SetChangedBelow(LineOfPara(Para1, 1).first);
    FUndo->EndGroup(OuterGroup);
    return Error;
}

int TParaList::InsertMultiLineText(TParaListClient* Editor, int& Para, int& Pos,
                                   std::string_view Text) {
    const auto FirstEnd = std::find_if(Text.begin(), Text.end(), IsLineEnd);
    if (FirstEnd == Text.end()) {
        const int Error = InsertText(Editor, Para, Pos, Text);
        if (Error == eeNone)
            Pos += static_cast<int>(Text.size());
        return Error;
    }
    const int StartLine = LineOfPara(Para, Pos).first;
    const bool OuterGroup = FUndo->BeginGroup();
    int Error = eeNone;
    std::size_t At = 0;
    while (At < Text.size() && Error == eeNone) {
        std::size_t End = At;
        while (End < Text.size() && !IsLineEnd(Text[End]))
            ++End;
        const std::string_view Segment = Text.substr(At, End - At);
        const bool HasEnd = End < Text.size();
        std::size_t Next = End;
        if (HasEnd)
            Next += Text[End] == '\r' && End + 1 < Text.size() && Text[End + 1] == '\n' ? 2 : 1;
        if (HasEnd && Pos == 1) {
            Error = InsertParaBefore(Editor, Para, Segment);
        } else {
            Error = InsertText(Editor, Para, Pos, Segment);
            if (Error == eeNone)
                Pos += static_cast<int>(Segment.size());
            if (Error == eeNone && HasEnd) {
                Error = CheckLimits(0, 1, 2);
                if (Error == eeNone)
                    Error = SplitPara(Editor, Para, Pos, true, 0, FTabSize);
            }
        }
        if (Error == eeNone && HasEnd) {
            ++Para;
            Pos = 1;
        }
        At = Next;
    }
    FUndo->EndGroup(OuterGroup);
    SetChangedBelow(StartLine > 1 ? StartLine - 1 : 1);
    return Error;
}

void TParaList::RewrapAll() {
    const bool Busy = FByteCount > BusyByteCount && OnBusy;
    if (Busy)
        OnBusy(true);
    const int Wrap = EffectiveWrapColumn();
    int Lines = 0;
    if (IsNoWrap(Wrap)) {
        for (const auto& Loaded : FLoaded)
            Loaded->DisplayLines = {};
    }
    for (TNodeHandle H = FHead; H != NoNode; H = Node(H).Next) {
        if (IsRun(H)) {
            TRun& R = RunOf(H);
            RewrapRun(R, Wrap);
            Lines += R.DisplayLines;
        } else {
            Node(H).Wrap(Wrap, FTabSize);
            Lines += Node(H).LineCount();
        }
    }
    FLineCount = Lines;
    SetCache(FHead, 1, 1);
    FChangedFrom = 1;
    FChangedTo = AllBelowChanged;
    if (Busy)
        OnBusy(false);
}

// ---- Undo and redo ----

void TParaList::ReplayUndo(TParaListClient* Editor, const TUndoRecord& Rec) {
    switch (Rec.Kind) {
    case ukCaret:
        break;
    case ukInsertText:
        DeleteText(Editor, Rec.Para, Rec.Pos, static_cast<int>(Rec.Text.size()));
        break;
    case ukInsertPara:
        DeletePara(Editor, Rec.Para);
        break;
    case ukInsertParaAfter:
        DeletePara(Editor, Rec.Para + 1);
        break;
    case ukDeleteText:
        InsertText(Editor, Rec.Para, Rec.Pos, Rec.Text);
        break;
    case ukDeletePara:
        ReinsertNode(Editor, Rec.Para, Rec.Node);
        break;
    case ukReplaceText:
        ReplaceText(Editor, Rec.Para, Rec.Pos, static_cast<int>(Rec.NewText.size()), Rec.Text,
                    false);
        break;
    }
}

void TParaList::ReplayRedo(TParaListClient* Editor, const TUndoRecord& Rec, TTextPos& Caret) {
    Caret = {Rec.Para, Rec.Pos};
    switch (Rec.Kind) {
    case ukCaret:
        break;
    case ukInsertText:
        InsertText(Editor, Rec.Para, Rec.Pos, Rec.Text);
        Caret.Pos += static_cast<int>(Rec.Text.size());
        break;
    case ukInsertPara:
        ReinsertNode(Editor, Rec.Para, Rec.Node);
        Caret = {Rec.Para + 1, 1};
        break;
    case ukInsertParaAfter:
        ReinsertNode(Editor, Rec.Para + 1, Rec.Node);
        Caret = {Rec.Para + 1, 1};
        break;
    case ukDeleteText:
        DeleteText(Editor, Rec.Para, Rec.Pos, static_cast<int>(Rec.Text.size()));
        break;
    case ukDeletePara:
        DeletePara(Editor, Rec.Para);
        break;
    case ukReplaceText:
        ReplaceText(Editor, Rec.Para, Rec.Pos, static_cast<int>(Rec.Text.size()), Rec.NewText,
                    false);
        Caret.Pos += static_cast<int>(Rec.NewText.size());
        break;
    }
}

std::optional<TTextPos> TParaList::Undo(TParaListClient* Editor) {
    if (!FUndo->CanUndo())
        return std::nullopt;
    FReplaying = true;
    const int Group = FUndo->GroupOfNextUndo();
    TTextPos Caret;
    bool WasModified = FModified;
    do {
        const TUndoRecord Rec = *FUndo->UndoStep();
        ReplayUndo(Editor, Rec);
        Caret = {Rec.Para, Rec.Pos};
        WasModified = Rec.Modified;
    } while (FUndo->GroupOfNextUndo() == Group);
    FReplaying = false;
    FModified = WasModified;
    FChangedFrom = 1;
    FChangedTo = AllBelowChanged;
    return Caret;
}

std::optional<TTextPos> TParaList::Redo(TParaListClient* Editor) {
    if (!FUndo->CanRedo())
        return std::nullopt;
    FReplaying = true;
    const int Group = FUndo->GroupOfNextRedo();
    TTextPos Caret;
    bool NowModified = FModified;
    do {
        const TUndoRecord Rec = *FUndo->RedoStep(NowModified);
        ReplayRedo(Editor, Rec, Caret);
        NowModified = Rec.ModifiedAfter;
    } while (FUndo->GroupOfNextRedo() == Group);
    FModified = NowModified;
    FReplaying = false;
    FChangedFrom = 1;
    FChangedTo = AllBelowChanged;
    return Caret;
}

} // namespace korvid
