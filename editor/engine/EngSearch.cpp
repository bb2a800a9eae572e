// The editor's search and replace.
#include "editor/engine/EngCustomEditor.h"

#include "editor/engine/EngText.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <vector>

namespace korvid {

namespace {

constexpr std::uint16_t AnchorBits[] = {soAnchorLineStart, soAnchorLineStartBlanks,
                                        soAnchorLineEnd,   soAnchorLineEndBlanks,
                                        soAnchorWholeLine, soAnchorWholeLineBlanks};

// The anchor that applies: the first set in the order above, 0 for none.
std::uint16_t AnchorOf(std::uint16_t Options) {
    for (const std::uint16_t Bit : AnchorBits)
        if (Options & Bit)
            return Bit;
    return 0;
}

// Any control character counts as a blank for the anchors.
bool AllBlanks(std::string_view Text) {
    return std::all_of(Text.begin(), Text.end(),
                       [](char C) { return static_cast<unsigned char>(C) <= 32; });
}

} // namespace

struct TEngCustomEditor::TSearchRun {
    TEngCustomEditor& E;
    TParaList& L;
    std::uint16_t Options;
    std::uint16_t Anchor;
    bool MatchCase;
    bool ReplaceAll;
    std::string Find; // upper case when case is ignored
    std::string Replacement;
    TSkipTable Table{};
    TTextPos RangeStart{};
    TTextPos RangeEnd{}; // exclusive: a match in its paragraph ends before its position
    TTextPos Start{};
    TTextPos LastReplaced{};
    TSearchResult Result{};

    int FindLength() const { return static_cast<int>(Find.size()); }

    bool Search(std::string_view Buffer, std::size_t& Offset) const {
        return MatchCase ? SearchBytes(Buffer, Table, Find, Offset)
                         : SearchBytesIgnoreCase(Buffer, Table, Find, Offset);
    }

    bool SameAsFind(std::string_view Text) const {
        return MatchCase ? Text == Find : UpperCase1252(Text) == Find;
    }

    bool AnchorHolds(std::string_view Text, int P) const {
        const auto Before = Text.substr(0, static_cast<std::size_t>(P - 1));
        const auto After = Text.substr(static_cast<std::size_t>(P - 1 + FindLength()));
        switch (Anchor) {
        case soAnchorLineStart:
            return P == 1;
        case soAnchorLineStartBlanks:
            return AllBlanks(Before);
        case soAnchorLineEnd:
            return After.empty();
        case soAnchorLineEndBlanks:
            return AllBlanks(After);
        case soAnchorWholeLine:
            return P == 1 && After.empty();
        case soAnchorWholeLineBlanks:
            return AllBlanks(Before) && AllBlanks(After);
        default:
            return true;
        }
    }

    bool InRange(int Para, int P, int Length) const {
        if (Para == RangeStart.Para && P < RangeStart.Pos)
            return false;
        if (Para == RangeEnd.Para && P + Length > RangeEnd.Pos)
            return false;
        return Para >= RangeStart.Para && Para <= RangeEnd.Para;
    }

    // The checks a match at position P of paragraph Para must pass.
    bool Accept(int Para, std::string_view Text, int P) const {
        const int End = P + FindLength(); // position after the match
        if (Options & soWholeWords) {
            if (P > 1 && !E.IsDelimiter(Text[static_cast<std::size_t>(P - 2)]))
                return false;
            if (End <= static_cast<int>(Text.size()) &&
                !E.IsDelimiter(Text[static_cast<std::size_t>(End - 1)]))
                return false;
        }
        return AnchorHolds(Text, P) && InRange(Para, P, FindLength());
    }

    void Select(int Para, int P, int Length, bool Backwards) {
        E.SetSelectionParas({Para, P}, {Para, P + Length}, !Backwards);
        Result.Found = true;
    }

    // Replaces the match at (Para, P); false when an error ended the operation.
    bool ReplaceAt(int Para, int P) {
        const int Error =
            L.ReplaceText(&E, Para, P, FindLength(), Replacement, (Options & soPreserveCase) != 0);
        if (Error != eeNone) {
            Result.Error = Error;
            return false;
        }
        const int Diff = static_cast<int>(Replacement.size()) - FindLength();
        if (RangeEnd.Para == Para && RangeEnd.Pos >= P + FindLength())
            RangeEnd.Pos += Diff;
        LastReplaced = {Para, P + static_cast<int>(Replacement.size())};
        ++Result.Replacements;
        return true;
    }

    // Replace with a selection that already is the find text: that selection goes first.
    bool ReplaceSelection() {
        const TTextPos S = E.FSelStart.P;
        const TTextPos End = E.FSelEnd.P;
        if (!E.HasSelection() || S.Para != End.Para || End.Pos - S.Pos != FindLength())
            return true;
        const std::string_view Text = L.ParaText(S.Para);
        if (S.Pos - 1 + FindLength() > static_cast<int>(Text.size()) ||
            !SameAsFind(Text.substr(static_cast<std::size_t>(S.Pos - 1), Find.size())))
            return true;
        const int Error = L.ReplaceText(&E, S.Para, S.Pos, FindLength(), Replacement,
                                        (Options & soPreserveCase) != 0);
        if (Error != eeNone) {
            Result.Error = Error;
            return false;
        }
        ++Result.Replacements;
        const int After = S.Pos + static_cast<int>(Replacement.size());
        LastReplaced = {S.Para, After};
        E.SyncCaretFromPara(S.Para, (Options & soBackwards) ? S.Pos : After);
        E.CollapseToCaret(false);
        return true;
    }

    void SetRange() {
        const int Count = L.ParaCount();
        const TTextPos DocStart{1, 1};
        const TTextPos Caret{E.FCaretPara, std::min(E.CaretPos(), L.ParaLength(E.FCaretPara) + 1)};
        const bool Backwards = Options & soBackwards;
        if (Options & soSelectionOnly) {
            RangeStart = E.FSelStart.P;
            RangeEnd = E.FSelEnd.P;
            Start = Backwards ? RangeEnd : RangeStart;
        } else if (Options & soWholeDocument) {
            RangeStart = DocStart;
            RangeEnd = {Count + 1, 1};
            // Reaching the last paragraph walks the list: only a backward search needs it.
            Start = Backwards ? TTextPos{Count, L.ParaLength(Count) + 1} : DocStart;
        } else if (Backwards) {
            RangeStart = DocStart;
            RangeEnd = Caret;
            Start = Caret;
        } else {
            RangeStart = Caret;
            RangeEnd = {Count + 1, 1};
            Start = Caret;
        }
    }

    void Forwards() {
        const int LastPara = std::min(RangeEnd.Para, L.ParaCount());
        for (int Para = Start.Para; Para <= LastPara; ++Para) {
            std::size_t From = Para == Start.Para ? static_cast<std::size_t>(Start.Pos - 1) : 0;
            for (;;) {
                const std::string_view Text = L.ParaText(Para);
                if (From + Find.size() > Text.size())
                    break;
                std::size_t Offset = 0;
                if (!Search(Text.substr(From), Offset))
                    break;
                const int P = static_cast<int>(From + Offset) + 1;
                if (!Accept(Para, Text, P)) {
                    From = static_cast<std::size_t>(P);
                    continue;
                }
                if (!ReplaceAll) {
                    Select(Para, P, FindLength(), false);
                    return;
                }
                if (!ReplaceAt(Para, P))
                    return;
                From = static_cast<std::size_t>(P - 1) + Replacement.size();
            }
        }
    }

    // Each paragraph is scanned once for all its matches, which are then tried last first.
    void Backwards() {
        std::vector<std::size_t> Candidates;
        for (int Para = std::min(Start.Para, L.ParaCount()); Para >= RangeStart.Para; --Para) {
            std::string_view Text = L.ParaText(Para);
            std::size_t Limit = Text.size(); // a match ends at or before this offset
            if (Para == Start.Para)
                Limit = std::min(Limit, static_cast<std::size_t>(std::max(Start.Pos - 1, 0)));
            Candidates.clear();
            std::size_t From = 0;
            std::size_t Offset = 0;
            while (From + Find.size() <= Limit && Search(Text.substr(From, Limit - From), Offset)) {
                Candidates.push_back(From + Offset);
                From += Offset + 1;
            }
            for (auto It = Candidates.rbegin(); It != Candidates.rend(); ++It) {
                if (*It + Find.size() > Limit)
                    continue;
                const int P = static_cast<int>(*It) + 1;
                if (!Accept(Para, Text, P))
                    continue;
                if (!ReplaceAll) {
                    Select(Para, P, FindLength(), true);
                    return;
                }
                if (!ReplaceAt(Para, P))
                    return;
                Limit = *It;
                Text = L.ParaText(Para);
            }
        }
    }

    // An empty find text with anchor 5 or 6 finds an empty (or blank) paragraph. The caret's
    // own paragraph is passed over, so that repeated searches walk on.
    void WholeParagraphs() {
        const bool Backwards = Options & soBackwards;
        const bool FromCaret = !(Options & (soSelectionOnly | soWholeDocument));
        const int Step = Backwards ? -1 : 1;
        const int First =
            std::clamp(FromCaret ? Start.Para + Step : Start.Para, 0, L.ParaCount() + 1);
        const int Last = Backwards ? RangeStart.Para : std::min(RangeEnd.Para, L.ParaCount());
        for (int Para = First; Backwards ? Para >= Last : Para <= Last; Para += Step) {
            const std::string_view Text = L.ParaText(Para);
            const bool Match =
                Text.empty() || (Anchor == soAnchorWholeLineBlanks && AllBlanks(Text));
            const int Length = static_cast<int>(Text.size());
            if (Match && InRange(Para, 1, Length)) {
                Select(Para, 1, Length, Backwards);
                return;
            }
        }
    }

    void Run() {
        const bool Replacing = Options & (soReplace | soReplaceAll);
        if (Find.empty()) {
            if (Replacing || (Anchor != soAnchorWholeLine && Anchor != soAnchorWholeLineBlanks))
                return;
            SetRange();
            WholeParagraphs();
            return;
        }
        if (!MatchCase)
            Find = UpperCase1252(Find);
        BuildSkipTable(Find, Table);
        if (Replacing && !ReplaceSelection())
            return;
        SetRange();
        if (Options & soBackwards)
            Backwards();
        else
            Forwards();
    }
};

TSearchResult TEngCustomEditor::SearchReplace(std::string_view Find, std::string_view Replacement,
                                              std::uint16_t Options) {
    const bool Replacing = (Options & (soReplace | soReplaceAll)) != 0;
    if (Replacing && GetReadOnly())
        Options &= static_cast<std::uint16_t>(~(soReplace | soReplaceAll));
    TSearchRun Run{*this,
                   *FLines,
                   Options,
                   AnchorOf(Options),
                   (Options & soMatchCase) != 0,
                   (Options & soReplaceAll) != 0 && !GetReadOnly(),
                   std::string(Find.substr(0, MaxSearchTextLength)),
                   std::string(Replacement.substr(0, MaxSearchTextLength))};
    const int OldCount = FLines->LineCount();
    {
        const TEngBusy Busy(FHost);
        TUndoBuffer& Undo = FLines->UndoBuffer();
        const bool Outer = Undo.BeginGroup();
        Run.Run();
        Undo.EndGroup(Outer);
    }
    if (Run.Result.Replacements > 0 && !Run.Result.Found) {
        if (Options & soSelectionOnly)
            SetSelectionParas(Run.RangeStart, Run.RangeEnd, true);
        else
            MoveCaretToPara(Run.LastReplaced.Para, Run.LastReplaced.Pos);
    }
    if (Run.Result.Replacements > 0) {
        if (FLines->LineCount() != OldCount)
            UpdateVertRange();
        UpdateVertPos();
        RequestFullRepaint(false);
        Changed();
    }
    Error(Run.Result.Error);
    return Run.Result;
}

bool TEngCustomEditor::FindText(std::string_view S, std::uint16_t Options) {
    Options &= static_cast<std::uint16_t>(~(soReplace | soReplaceAll));
    return SearchReplace(S, {}, Options).Found;
}

} // namespace korvid
