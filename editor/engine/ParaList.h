#pragma once

#include "editor/engine/EngineError.h"
#include "editor/engine/ParaNode.h"
#include "editor/engine/UndoBuffer.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace korvid {

// A place in the text: 1-based paragraph and 1-based position; the position may lie beyond
// the paragraph's end (virtual blanks). Paragraph 0 means "not set".
struct TTextPos {
    int Para = 0;
    int Pos = 0;
    friend bool operator==(const TTextPos&, const TTextPos&) = default;
};

// What the list needs of the editors that show it. The list calls the editor that made a change
// (or its owner) once per change; that editor passes the news on to every editor sharing the
// text.
class TParaListClient {
public:
    virtual ~TParaListClient() = default;
    virtual void CharsInserted(int Para, int Pos, int Count) = 0;
    virtual void CharsDeleted(int Para, int Pos, int Count) = 0;
    virtual void ParaSplit(int Para, int Pos, int Indent) = 0;
    virtual void ParaDeleted(int Para) = 0;
    virtual void ParasJoined(int Para, int Pos) = 0;
    // Every paragraph was re-wrapped: display lines must be looked up anew.
    virtual void TextRewrapped() = 0;
};

// Gives the next paragraph of a loaded text, answering false when there is none left. The text
// given stays valid until the next call.
using TParaFeed = std::function<bool(std::string_view& Text)>;

// The text store of one document: a chain of paragraphs with running totals, a cached current
// paragraph for cheap look-ups, the document limits, ten bookmarks and the undo history.
// Every change of the text goes through the operations here.
class TParaList {
public:
    static constexpr int NoLimit = INT_MAX;
    static constexpr int DefaultParaLengthLimit = 4096;
    static constexpr int DefaultWrapColumn = 80;
    static constexpr int DefaultTabSize = 8;
    static constexpr int AllBelowChanged = INT_MAX; // changed-to line when the line count changed
    static constexpr int BookmarkCount = 10;
    static constexpr std::int64_t BusyByteCount = 10000;

    TParaList(TParaListClient* Owner, std::size_t UndoSize, bool WordWrap);
    ~TParaList();
    TParaList(const TParaList&) = delete;
    TParaList& operator=(const TParaList&) = delete;

    TParaListClient* Owner() const { return FOwner; }
    void SetOwner(TParaListClient* Owner) { FOwner = Owner; }
    // Called with true before and false after a long re-wrap (the widget shows an hourglass).
    std::function<void(bool)> OnBusy;

    // ---- Settings ----
    int TabSize() const { return FTabSize; }
    void SetTabSize(int Value);
    int WrapColumn() const { return FWrapColumn; }
    void SetWrapColumn(int Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // The wrap column in force: the wrap column with word wrap on, else no wrapping.
    int EffectiveWrapColumn() const { return FWordWrap ? FWrapColumn : NoWrapColumn; }
    int ParaLimit() const { return FParaLimit; }
    void SetParaLimit(int Value) { FParaLimit = Value; }
    int ByteLimit() const { return FByteLimit; }
    void SetByteLimit(int Value) { FByteLimit = Value; }
    int ParaLengthLimit() const { return FParaLengthLimit; }
    void SetParaLengthLimit(int Value) { FParaLengthLimit = Value; }
    // Replaces the undo buffer by an empty one of the new size.
    void SetUndoSize(std::size_t Size);

    bool Modified() const { return FModified; }
    // Marking the text unmodified marks every undo record modified, so that undoing or redoing
    // anything after a save makes the text modified again.
    void SetModified(bool Value);
    bool AdjustBookmarks() const { return FAdjust; }
    void SetAdjustBookmarks(bool Value) { FAdjust = Value; }

    TTextPos Bookmark(int N) const;
    void SetBookmark(int N, int Para, int Pos);
    void SetBookmarkByLine(int N, int Line, int Column);

    TUndoBuffer& UndoBuffer() { return *FUndo; }
    bool Replaying() const { return FReplaying; }
    bool CanUndo() const { return FUndo->CanUndo(); }
    bool CanRedo() const { return FUndo->CanRedo(); }

    // Display lines touched by the last operation.
    int ChangedFromLine() const { return FChangedFrom; }
    int ChangedToLine() const { return FChangedTo; }
    // Grows with every change of the text, so a caller can tell whether anything changed.
    std::uint64_t ChangeSerial() const { return FChangeSerial; }

    // ---- Queries ----
    int ParaCount() const { return FParaCount; }
    // Sum of the paragraph lengths plus 2 for every line end between paragraphs.
    std::int64_t ByteCount() const { return FByteCount; }
    int LineCount() const { return FLineCount; }

    // The paragraph, or null outside 1..ParaCount; valid until the next change or the next call.
    // A loaded paragraph no edit has reached is given a node of its own for it; the look-ups
    // below leave it where it is.
    const TParaNode* NodeOfPara(int Para);
    std::string_view ParaText(int Para);
    int ParaLength(int Para);
    // The display line of (Para, Pos) and the position within that line.
    std::pair<int, int> LineOfPara(int Para, int Pos);
    // The paragraph holding display line Line and the offset at which the line starts in it.
    std::pair<int, int> ParaOfLine(int Line);
    std::string_view LineText(int Line);
    int LineLength(int Line) { return static_cast<int>(LineText(Line).size()); }
    int LineWidth(int Line);
    // Display column of a position in a line of text (tabs expanded), and back.
    int ColumnOfPosition(std::string_view Text, int Pos) const;
    int PositionOfColumn(std::string_view Text, int Column) const;

    // 0 when paragraph Para may take NewParas more paragraphs and AddedBytes more bytes;
    // otherwise eeTooManyParas, eeTextTooLarge or eeParaTooLong.
    int CheckLimits(int Para, int NewParas, std::int64_t AddedBytes);

    // ---- Editing: each returns 0 or an engine error code (TEngineError). ----
    // Editor is the editor that asks (its ring is told of the change); null means the owner.

    // Used by file loading: a new last paragraph; no limit check, no undo.
    int AppendPara(std::string_view Text, bool Trim);
    // Used by file loading, on a list that still holds only its first empty paragraph: the fed
    // paragraphs take its place (it stays when none are fed, and takes a last one that is
    // empty). Count and TextBytes, estimates of the paragraphs and characters to come, reserve
    // their index and the storage of copied text once. The limits are checked as inserting the
    // lines as one text would check them, and the first one reached stops the load with the
    // paragraphs before it in place. No undo is recorded, and no editor is told. Backing, when
    // given, is the text the fed lines are views into: the list takes it over and the lines that
    // lie in it stay where they are, without a copy.
    int LoadParas(std::size_t Count, std::size_t TextBytes, const TParaFeed& Next,
                  std::string* Backing = nullptr);
    int InsertText(TParaListClient* Editor, int Para, int Pos, std::string_view Text);
    // Text may hold CR, LF or CR LF line ends; Para and Pos move past the inserted text.
    int InsertMultiLineText(TParaListClient* Editor, int& Para, int& Pos, std::string_view Text);
    int DeleteText(TParaListClient* Editor, int Para, int Pos, int Count);
    int ReplaceText(TParaListClient* Editor, int Para, int Pos, int OldCount, std::string_view Text,
                    bool AdaptCase);
    int InsertParaBefore(TParaListClient* Editor, int Para, std::string_view Text);
    int InsertParaAfter(TParaListClient* Editor, int Para, std::string_view Text);
    int DeletePara(TParaListClient* Editor, int Para);
    int SplitPara(TParaListClient* Editor, int Para, int Pos, bool Trim, int Indent, int TabSize);
    int JoinParas(TParaListClient* Editor, int Para, int Pos);
    int DeleteRange(TParaListClient* Editor, int Para1, int Pos1, int Para2, int Pos2);
    void RewrapAll();

    // Undo or redo one group; the place for the caret, or nothing when there was nothing to do.
    std::optional<TTextPos> Undo(TParaListClient* Editor);
    std::optional<TTextPos> Redo(TParaListClient* Editor);

    // Paragraphs alive, in the text or held by undo records.
    int LiveNodeCount() const;

private:
    // Loaded lines kept where they lie, a few bytes each instead of a node: their text as
    // offsets from one base and lengths, and their display lines (none held while every one has
    // a single display line).
    struct TLoadedLines {
        const char* Base = nullptr;
        std::vector<std::uint32_t> Offsets;
        std::vector<std::uint16_t> Lengths;
        std::vector<std::uint16_t> DisplayLines;

        std::string_view Text(std::size_t I) const {
            return Lengths[I] == 0 ? std::string_view()
                                   : std::string_view(Base + Offsets[I], Lengths[I]);
        }
        int Lines(std::size_t I) const { return DisplayLines.empty() ? 1 : DisplayLines[I]; }
        bool Fits(std::string_view Text) const;
        void Append(std::string_view Text, int Lines);
        void SetLines(std::size_t I, int Lines);
    };
    // Consecutive paragraphs that no edit has reached since they were loaded stand in the chain
    // as one node: lines Begin.. of Lines, with their display lines counted.
    struct TRun {
        TLoadedLines* Lines;
        std::uint32_t Begin;
        int Count;
        int DisplayLines;
    };
    bool IsRun(TNodeHandle H) const { return FNodes[H].Run; }
    const TRun& RunOf(TNodeHandle H) const;
    TRun& RunOf(TNodeHandle H) { return const_cast<TRun&>(std::as_const(*this).RunOf(H)); }
    int ParasIn(TNodeHandle H) const { return IsRun(H) ? RunOf(H).Count : 1; }
    // The display lines of the first Count paragraphs of a run.
    int RunLinesBefore(const TRun& R, int Count) const;
    TNodeHandle NewRunNode(const TRun& R);
    void RewrapRun(TRun& R, int WrapColumn);
    // Room for a loaded line that does not lie in a backing text; null when there is none.
    const char* CopyOfLine(std::string_view Text);

    // Lines move when the wrapping changes; the editors lay themselves out again.
    void RewrapAndTellOwner();
    TParaNode& Node(TNodeHandle H) { return FNodes[H]; }
    TNodeHandle NewNode(std::string_view Text);
    TNodeHandle Adopt(TParaNode&& Fresh);
    // A node whose text stays at Text, in a backing text the list owns.
    TNodeHandle NewInPlaceNode(std::string_view Text);
    // Takes Backing over; false (and Backing left as it was) when its text would move.
    bool AdoptBacking(std::string& Backing);
    bool ReserveSharedText(std::size_t Bytes);
    char* SharedText(std::size_t Bytes);
    void LinkBefore(TNodeHandle H, TNodeHandle At);
    void CountLinked(TNodeHandle H);
    void FreeNode(TNodeHandle H);
    void ReleaseDetachedNode(TNodeHandle H);
    // A paragraph with its number and its first display line: where a look-up walk starts.
    // Index is its place within a run node (0 for a node of its own).
    struct TPlace {
        TNodeHandle Node;
        int Para;
        int FirstLine;
        int Index = 0;
    };
    TPlace HeadPlace() const;
    TPlace TailPlace() const;
    // The place of the last paragraph of node H, whose successor starts at line NextFirstLine.
    TPlace LastPlaceOf(TNodeHandle H, int Para, int NextFirstLine) const;
    TPlace Nearest(int FromHead, int FromCache, int FromTail) const;
    int LinesAt(const TPlace& At) const;
    std::string_view TextAt(const TPlace& At) const;
    void StepForward(TPlace& At) const;
    void StepBack(TPlace& At) const;
    TPlace Walk(TPlace At, int Target, bool ByLine) const;
    // Look-ups that leave runs whole; the cache moves to the paragraph found.
    TPlace Find(int Para);
    TPlace FindLine(int Line);
    // The paragraph's own node, split out of its run when it is in one; the cache moves to it.
    TNodeHandle Locate(int Para);
    TPlace Materialise(const TPlace& At);
    void Chain(TNodeHandle Before, TNodeHandle After);
    int TailLength() const;
    void SetCache(TNodeHandle H, int Para, int FirstLine);
    void Link(TNodeHandle H, int Para);
    void Unlink(TNodeHandle H, int Para);
    void ReinsertNode(TParaListClient* Editor, int Para, TNodeHandle H);
    bool Recording() const { return !FReplaying; }
    int EffectiveParaLengthLimit() const;
    void SetChanged(int FirstLine, const TChangedLines& Lines, bool LineCountChanged);
    void SetChangedBelow(int FirstLine);
    void ReplayUndo(TParaListClient* Editor, const TUndoRecord& Rec);
    void ReplayRedo(TParaListClient* Editor, const TUndoRecord& Rec, TTextPos& Caret);
    void RecordCaret(int Para, int Pos);

    // Position moves of bookmarks and of the editors sharing the text.
    TParaListClient* Client(TParaListClient* Editor) const { return Editor ? Editor : FOwner; }
    void MovedByInsert(TParaListClient* Editor, int Para, int Pos, int Count);
    void MovedByDelete(TParaListClient* Editor, int Para, int Pos, int Count);
    void MovedBySplit(TParaListClient* Editor, int Para, int Pos, int Indent);
    void MovedByParaDelete(TParaListClient* Editor, int Para);
    void MovedByJoin(TParaListClient* Editor, int Para, int Pos);

    TParaListClient* FOwner;
    std::vector<TParaNode> FNodes; // slot 0 is never used
    std::vector<TNodeHandle> FFreeSlots;
    // The text of loaded paragraphs, a few large blocks rather than a heap block per paragraph;
    // they live as long as the list, since undo records may hold paragraphs that point into them.
    std::vector<std::unique_ptr<char[]>> FTextBlocks;
    // Texts read from files whose lines are paragraphs where they lie.
    std::vector<std::unique_ptr<std::string>> FBackings;
    std::vector<std::unique_ptr<TLoadedLines>> FLoaded;
    std::unordered_map<TNodeHandle, TRun> FRuns;
    // The run looked up last: walks ask for the same one again and again.
    mutable TNodeHandle FLastRunNode = NoNode;
    mutable const TRun* FLastRun = nullptr;
    char* FSharedFree = nullptr;
    std::size_t FSharedLeft = 0;
    TNodeHandle FHead = NoNode;
    TNodeHandle FTail = NoNode;
    TPlace FCache{NoNode, 1, 1};
    int FParaCount = 0;
    std::int64_t FByteCount = 0;
    int FLineCount = 0;
    int FParaLimit = NoLimit;
    int FByteLimit = NoLimit;
    int FParaLengthLimit = DefaultParaLengthLimit;
    bool FWordWrap;
    int FWrapColumn = DefaultWrapColumn;
    int FTabSize = DefaultTabSize;
    bool FModified = false;
    bool FAdjust = true;
    std::array<TTextPos, BookmarkCount> FBookmarks{};
    std::unique_ptr<TUndoBuffer> FUndo;
    bool FReplaying = false;
    int FChangedFrom = 1;
    int FChangedTo = 1;
    std::uint64_t FChangeSerial = 0;
};

} // namespace korvid
