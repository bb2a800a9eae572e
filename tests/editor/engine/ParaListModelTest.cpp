// A seeded randomised test: random edits, undos and redos on the paragraph list, each compared
// with a plain vector-of-strings model of the same operations. A second run makes the same edits
// under two editors that share the text and checks that their carets and selections follow. A
// third starts from a loaded file and compares through look-ups only, so that the paragraphs no
// edit reached stay as they were loaded.
#include "FakeEditorHost.h"
#include "editor/engine/EngCustomEditor.h"
#include "editor/engine/EngText.h"
#include "editor/engine/ParaList.h"
#include "foundation/BinaryStrings.h"
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace korvid {
namespace {

using TText = std::vector<std::string>;

// The document as a vector of strings, with the same limits and the same edit semantics.
class TModel {
public:
    TText Paras{""};
    int ParaLimit = TParaList::NoLimit;
    std::int64_t ByteLimit = TParaList::NoLimit;
    int LengthLimit = TParaList::DefaultParaLengthLimit;
    int TabSize = 8;

    int Count() const { return static_cast<int>(Paras.size()); }
    std::string& Para(int P) { return Paras[P - 1]; }
    int Len(int P) const { return static_cast<int>(Paras[P - 1].size()); }

    std::int64_t Bytes() const {
        std::int64_t Sum = 2 * (static_cast<std::int64_t>(Paras.size()) - 1);
        for (const auto& S : Paras)
            Sum += static_cast<std::int64_t>(S.size());
        return Sum;
    }

    int Check(int P, int NewParas, std::int64_t Added) const {
        if (NewParas > 0 || P > ParaLimit) {
            std::int64_t Permitted = ParaLimit;
            if (P <= ParaLimit && Paras.back().empty() && ParaLimit != TParaList::NoLimit)
                Permitted = ParaLimit + 1LL;
            if (Count() + NewParas > Permitted)
                return eeTooManyParas;
        }
        if (Bytes() + Added > ByteLimit)
            return eeTextTooLarge;
        if (P == 0 || NewParas > 0)
            return eeNone;
        if (Len(P) + Added > std::min(LengthLimit, MaxParaLength))
            return eeParaTooLong;
        return eeNone;
    }

    int InsertText(int P, int Pos, const std::string& T) {
        if (T.empty() || Pos < 1 || P < 1 || P > Count())
            return eeNone;
        const int Pad = std::max(0, Pos - 1 - Len(P));
        if (int E = Check(P, 0, Pad + static_cast<std::int64_t>(T.size())))
            return E;
        PadString(Para(P), Pos - 1);
        Para(P).insert(Pos - 1, T);
        return eeNone;
    }

    int DeleteText(int P, int Pos, int N) {
        if (N <= 0 || Pos < 1 || P < 1 || P > Count() || Len(P) == 0 || Pos > Len(P))
            return eeNone;
        Para(P).erase(Pos - 1, std::min(N, Len(P) - Pos + 1));
        return eeNone;
    }

    int ReplaceText(int P, int Pos, int Old, std::string New, bool Adapt) {
        if (Pos < 1 || P < 1 || P > Count())
            return eeNone;
        Old = std::clamp(Old, 0, std::max(0, Len(P) - Pos + 1));
        if (Old == 0)
            return InsertText(P, Pos, New);
        const char Replaced = Para(P)[Pos - 1];
        if (Adapt && !New.empty()) {
            if (Replaced >= 'A' && Replaced <= 'Z')
                New[0] = static_cast<char>(UpCase1252(static_cast<unsigned char>(New[0])));
            else if (Replaced >= 'a' && Replaced <= 'z' && New[0] >= 'A' && New[0] <= 'Z')
                New[0] = static_cast<char>(New[0] + 32);
        }
        const int Added = static_cast<int>(New.size());
        if (Added > Old) {
            if (int E = Check(P, 0, Added - Old))
                return E;
        }
        Para(P).replace(Pos - 1, Old, New);
        return eeNone;
    }

    int InsertParaBefore(int P, const std::string& T) {
        if (P < 1 || P > Count() + 1)
            return eeNone;
        if (int E = Check(0, 1, static_cast<std::int64_t>(T.size()) + 2))
            return E;
        Paras.insert(Paras.begin() + (P - 1), T);
        return eeNone;
    }

    int InsertParaAfter(int P, const std::string& T) {
        if (P < 1 || P > Count())
            return eeNone;
        Paras.insert(Paras.begin() + P, T);
        return eeNone;
    }

    int DeletePara(int P) {
        if (P < 1 || P > Count() || Count() == 1)
            return eeNone;
        Paras.erase(Paras.begin() + (P - 1));
        return eeNone;
    }

    int SplitPara(int P, int Pos, bool Trim, int Indent) {
        if (P < 1 || P > Count())
            return eeNone;
        Pos = std::clamp(Pos, 1, Len(P) + 1);
        if (Pos == 1)
            return InsertParaBefore(P, "");
        std::string Tail = Para(P).substr(Pos - 1);
        Para(P).erase(Pos - 1);
        if (Trim) {
            while (!Para(P).empty() && IsBlank(Para(P).back()))
                Para(P).pop_back();
        }
        Paras.insert(Paras.begin() + P, Tail);
        if (Indent > 0) {
            const std::string Blanks =
                std::string(Indent / TabSize, '\t') + std::string(Indent % TabSize, ' ');
            InsertText(P + 1, 1, Blanks);
        }
        return eeNone;
    }

    int JoinParas(int P, int Pos) {
        if (P < 1 || P >= Count())
            return eeNone;
        Pos = std::max(Pos, 1);
        const int L = Len(P);
        if (Pos == 1 && L == 0)
            return DeletePara(P);
        const std::string Next = Para(P + 1);
        if (Check(P, 0, std::max(Pos - 1, L) - L + static_cast<std::int64_t>(Next.size())))
            return eeCannotJoin;
        InsertText(P, Pos, Next);
        Paras.erase(Paras.begin() + P);
        return eeNone;
    }

    int DeleteRange(int P1, int Pos1, int P2, int Pos2) {
        P2 = std::min(P2, Count());
        if (P1 < 1 || P1 > P2)
            return eeNone;
        if (P1 == P2)
            return DeleteText(P1, Pos1, Pos2 - Pos1);
        if (Pos1 <= 1 && Pos2 <= 1) {
            for (int I = P1; I < P2; ++I)
                DeletePara(P1);
            return eeNone;
        }
        DeleteText(P1, Pos1, Len(P1));
        DeleteText(P2, 1, Pos2 - 1);
        for (int I = P1 + 1; I < P2; ++I)
            DeletePara(P1 + 1);
        return JoinParas(P1, Len(P1) + 1);
    }

    int InsertMultiLine(int& P, int& Pos, const std::string& T) {
        if (T.find_first_of("\r\n") == std::string::npos) {
            const int E = InsertText(P, Pos, T);
            if (E == eeNone)
                Pos += static_cast<int>(T.size());
            return E;
        }
        int E = eeNone;
        std::size_t At = 0;
        while (At < T.size() && E == eeNone) {
            std::size_t End = T.find_first_of("\r\n", At);
            const bool HasEnd = End != std::string::npos;
            if (!HasEnd)
                End = T.size();
            const std::string Segment = T.substr(At, End - At);
            std::size_t Next = End;
            if (HasEnd)
                Next += T[End] == '\r' && End + 1 < T.size() && T[End + 1] == '\n' ? 2 : 1;
            if (HasEnd && Pos == 1) {
                E = InsertParaBefore(P, Segment);
            } else {
                E = InsertText(P, Pos, Segment);
                if (E == eeNone)
                    Pos += static_cast<int>(Segment.size());
                if (E == eeNone && HasEnd) {
                    E = Check(0, 1, 2);
                    if (E == eeNone)
                        E = SplitPara(P, Pos, true, 0);
                }
            }
            if (E == eeNone && HasEnd) {
                ++P;
                Pos = 1;
            }
            At = Next;
        }
        return E;
    }
};

class TModelRun {
public:
    TModelRun(std::uint32_t Seed, std::size_t UndoSize, bool WordWrap)
        : FRandom(Seed), FOwnList(std::make_unique<TParaList>(nullptr, UndoSize, WordWrap)),
          FList(*FOwnList) {}
    // Runs on the list of an editor.
    TModelRun(std::uint32_t Seed, TParaList& List) : FRandom(Seed), FList(List) {}

    std::mt19937 FRandom;
    std::unique_ptr<TParaList> FOwnList;
    TParaList& FList;
    // Called before each edit and after each comparison, for runs that watch more than the text.
    std::function<void()> BeforeEdit;
    std::function<bool(const std::string&)> AfterEdit;
    // The stretch a replace overwrote in place (paragraph, position, count), and whether the
    // step undid or redid.
    std::optional<std::array<int, 3>> FReplaced;
    bool FHistoryStep = false;
    TModel FModel;
    std::vector<TText> FUndo; // the text before each undo step, oldest first
    std::vector<TText> FRedo;
    int FFirstLength = 0;
    // Compare through look-ups alone, never asking for a paragraph's node.
    bool FByQueries = false;

    int Rand(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRandom); }

    std::string RandomText(int MaxLength, bool LineEnds) {
        static const std::string Letters = "abcdefgxyzABCXYZ";
        std::string S;
        const int N = Rand(0, MaxLength);
        for (int I = 0; I < N; ++I) {
            const int K = Rand(0, 99);
            if (K < 15)
                S += ' ';
            else if (K < 19)
                S += '\t';
            else if (LineEnds && K < 23)
                S += K == 19 ? "\r\n" : (K == 20 ? "\r" : "\n");
            else
                S += Letters[Rand(0, static_cast<int>(Letters.size()) - 1)];
        }
        return S;
    }

    TText ListText() {
        TText Text;
        for (int P = 1; P <= FList.ParaCount(); ++P)
            Text.emplace_back(FList.ParaText(P));
        return Text;
    }

    // Compares the list with the model; false (with a failure) on the first difference.
    bool Compare(const std::string& Step) {
        if (FByQueries)
            return CompareByQueries(Step);
        EXPECT_EQ(FList.ParaCount(), FModel.Count()) << Step;
        EXPECT_EQ(FList.ByteCount(), FModel.Bytes()) << Step;
        if (FList.ParaCount() != FModel.Count())
            return false;
        int Lines = 0;
        const int Wrap = FList.EffectiveWrapColumn();
        for (int P = 1; P <= FModel.Count(); ++P) {
            const TParaNode* Node = FList.NodeOfPara(P);
            EXPECT_EQ(Node->Text(), FModel.Paras[P - 1]) << Step << " paragraph " << P;
            const TParaNode Fresh(FModel.Paras[P - 1], FList.TabSize(), Wrap);
            EXPECT_EQ(Node->LineCount(), Fresh.LineCount()) << Step << " paragraph " << P;
            if (Node->LineCount() == Fresh.LineCount()) {
                for (int K = 1; K <= Fresh.LineCount(); ++K)
                    EXPECT_EQ(Node->LineStart(K), Fresh.LineStart(K)) << Step << " line " << K;
            }
            Lines += Fresh.LineCount();
            if (::testing::Test::HasFailure())
                return false;
        }
        EXPECT_EQ(FList.LineCount(), Lines) << Step;
        // Display-line look-ups from a random place agree with the paragraphs.
        const int Line = Rand(1, FList.LineCount());
        const auto [Para, Offset] = FList.ParaOfLine(Line);
        const auto [Back, InLine] = FList.LineOfPara(Para, Offset + 1);
        EXPECT_EQ(Back, Line) << Step;
        EXPECT_EQ(InLine, 1) << Step;
        EXPECT_EQ(FList.LineText(Line).data() - FList.ParaText(Para).data(), Offset) << Step;
        if (AfterEdit && !::testing::Test::HasFailure())
            AfterEdit(Step);
        return !::testing::Test::HasFailure();
    }

    // Each paragraph's text and first display line in order, then display lines and paragraphs
    // from random places, so that look-ups walk both ways from the cache, the head and the tail.
    bool CompareByQueries(const std::string& Step) {
        EXPECT_EQ(FList.ParaCount(), FModel.Count()) << Step;
        EXPECT_EQ(FList.ByteCount(), FModel.Bytes()) << Step;
        if (FList.ParaCount() != FModel.Count())
            return false;
        const int Wrap = FList.EffectiveWrapColumn();
        std::vector<int> FirstLines;
        int Lines = 0;
        for (const std::string& Para : FModel.Paras) {
            FirstLines.push_back(Lines + 1);
            Lines += TParaNode(Para, FList.TabSize(), Wrap).LineCount();
        }
        EXPECT_EQ(FList.LineCount(), Lines) << Step;
        const auto ExpectPara = [&](int P) {
            EXPECT_EQ(FList.ParaText(P), FModel.Paras[P - 1]) << Step << " paragraph " << P;
            EXPECT_EQ(FList.LineOfPara(P, 1).first, FirstLines[P - 1])
                << Step << " paragraph " << P;
        };
        for (int P = 1; P <= FModel.Count() && !::testing::Test::HasFailure(); ++P)
            ExpectPara(P);
        for (int K = 0; K < 12 && !::testing::Test::HasFailure(); ++K) {
            ExpectPara(Rand(1, FModel.Count()));
            const int Line = Rand(1, Lines);
            const int P = static_cast<int>(
                std::upper_bound(FirstLines.begin(), FirstLines.end(), Line) - FirstLines.begin());
            const TParaNode Fresh(FModel.Paras[P - 1], FList.TabSize(), Wrap);
            const int InPara = Line - FirstLines[P - 1] + 1;
            EXPECT_EQ(FList.ParaOfLine(Line), std::make_pair(P, Fresh.LineStart(InPara)))
                << Step << " line " << Line;
            EXPECT_EQ(FList.LineText(Line), Fresh.GetLine(InPara)) << Step << " line " << Line;
            EXPECT_EQ(FList.LineOfPara(P, Fresh.LineStart(InPara) + 1), std::make_pair(Line, 1))
                << Step << " line " << Line;
        }
        if (AfterEdit && !::testing::Test::HasFailure())
            AfterEdit(Step);
        return !::testing::Test::HasFailure();
    }

    void StartEdit() {
        FReplaced.reset();
        FHistoryStep = false;
        if (BeforeEdit)
            BeforeEdit();
    }

    // Brings the model's undo history in line with what the list recorded for the last edit.
    void TrackHistory(const TText& Before, int GroupBefore, bool CouldUndo) {
        const TUndoBuffer& Undo = FList.UndoBuffer();
        const bool NewStep =
            Undo.CanUndo() && (!CouldUndo || Undo.GroupOfNextUndo() != GroupBefore);
        if (NewStep)
            FUndo.push_back(Before);
        const auto Groups = static_cast<std::size_t>(Undo.UndoGroupCount());
        if (FUndo.size() > Groups)
            FUndo.erase(FUndo.begin(), FUndo.begin() + (FUndo.size() - Groups));
        if (!Undo.CanRedo())
            FRedo.clear();
    }

    // One edit on both sides, followed by the history bookkeeping and a comparison.
    int P0 = 0;
    int Pos0 = 0;

    template <typename TListEdit, typename TModelEdit>
    bool Apply(int I, const std::string& Name, TListEdit ListEdit, TModelEdit ModelEdit) {
        const TText Before = FModel.Paras;
        const int GroupBefore = FList.UndoBuffer().GroupOfNextUndo();
        const bool CouldUndo = FList.CanUndo();
        StartEdit();
        if (Name == "overwrite")
            FReplaced = std::array<int, 3>{P0, Pos0, 1};
        const int Got = ListEdit();
        const int Want = ModelEdit();
        EXPECT_EQ(Got, Want) << "step " << I << " " << Name;
        TrackHistory(Before, GroupBefore, CouldUndo);
        return Compare("step " + std::to_string(I) + " " + Name);
    }

    // Typing, Backspace, Delete or overwriting several times in a row, as records merge then.
    bool Run(int I, int P) {
        const int Kind = Rand(0, 3);
        int Pos = Rand(1, FModel.Len(P) + 1);
        for (int K = Rand(2, 6); K > 0; --K) {
            const std::string C(Kind == 3 && Rand(0, 3) == 0 ? 2 : 1, "aZ \t"[Rand(0, 3)]);
            bool Ok = true;
            if (Kind == 0) {
                Ok = Apply(
                    I, "type", [&] { return FList.InsertText(nullptr, P, Pos, C); },
                    [&] { return FModel.InsertText(P, Pos, C); });
                Pos += 1;
            } else if (Kind == 1) {
                if (Pos <= 1)
                    break;
                --Pos;
                Ok = Apply(
                    I, "backspace", [&] { return FList.DeleteText(nullptr, P, Pos, 1); },
                    [&] { return FModel.DeleteText(P, Pos, 1); });
            } else if (Kind == 2) {
                Ok = Apply(
                    I, "delete", [&] { return FList.DeleteText(nullptr, P, Pos, 1); },
                    [&] { return FModel.DeleteText(P, Pos, 1); });
            } else {
                P0 = P;
                Pos0 = Pos;
                Ok = Apply(
                    I, "overwrite", [&] { return FList.ReplaceText(nullptr, P, Pos, 1, C, false); },
                    [&] { return FModel.ReplaceText(P, Pos, 1, C, false); });
                Pos += static_cast<int>(C.size());
            }
            if (!Ok)
                return false;
        }
        return true;
    }

    bool Step(int I) {
        const TText Before = FModel.Paras;
        const int GroupBefore = FList.UndoBuffer().GroupOfNextUndo();
        const bool CouldUndo = FList.CanUndo();
        const int Count = FModel.Count();
        const int P = Rand(1, Count);
        const int Len = FModel.Len(P);
        std::string Name;
        int Got = 0;
        int Want = 0;
        StartEdit();
        switch (Rand(0, 18)) {
        case 17:
        case 18:
            return Run(I, P);
        case 0:
        case 1:
        case 2: { // typing, with runs that merge
            const int Pos = Rand(0, 9) < 8 ? std::min(Len + 1, Rand(1, Len + 1)) : Len + Rand(1, 6);
            const std::string T =
                Rand(0, 2) == 0 ? RandomText(12, false) : std::string(1, "abc XY\t"[Rand(0, 6)]);
            Name = "InsertText";
            Got = FList.InsertText(nullptr, P, Pos, T);
            Want = FModel.InsertText(P, Pos, T);
            break;
        }
        case 3:
        case 4: {
            const int Pos = Rand(1, Len + 2);
            const int N = Rand(-1, 6);
            Name = "DeleteText";
            Got = FList.DeleteText(nullptr, P, Pos, N);
            Want = FModel.DeleteText(P, Pos, N);
            break;
        }
        case 5: {
            const int Pos = Rand(1, Len + 2);
            const int Old = Rand(0, 5);
            const std::string T = RandomText(Rand(0, 1) ? 6 : 40, false);
            const bool Adapt = Rand(0, 1) == 1;
            Name = "ReplaceText";
            FReplaced = std::array<int, 3>{P, Pos, Old};
            Got = FList.ReplaceText(nullptr, P, Pos, Old, T, Adapt);
            Want = FModel.ReplaceText(P, Pos, Old, T, Adapt);
            break;
        }
        case 6:
        case 7: {
            const int Pos = Rand(1, Len + 3);
            const bool Trim = Rand(0, 1) == 1;
            const int Indent = Rand(0, 3) == 0 ? Rand(1, 12) : 0;
            Name = "SplitPara";
            Got = FList.SplitPara(nullptr, P, Pos, Trim, Indent, FList.TabSize());
            Want = FModel.SplitPara(P, Pos, Trim, Indent);
            break;
        }
        case 8:
        case 9: {
            const int Pos = Len + 1 + (Rand(0, 3) == 0 ? Rand(0, 5) : 0);
            Name = "JoinParas";
            Got = FList.JoinParas(nullptr, P, Pos);
            Want = FModel.JoinParas(P, Pos);
            break;
        }
        case 10: {
            const int P2 = std::min(Count, P + Rand(0, 3));
            const int Pos1 = Rand(0, 2) == 0 ? 1 : Rand(1, Len + 1);
            const int Pos2 = Rand(0, 2) == 0 ? 1 : Rand(1, FModel.Len(P2) + 1);
            Name = "DeleteRange";
            if (P2 == P && Pos2 < Pos1)
                break;
            Got = FList.DeleteRange(nullptr, P, Pos1, P2, Pos2);
            Want = FModel.DeleteRange(P, Pos1, P2, Pos2);
            break;
        }
        case 11: {
            int ListPara = P;
            int ListPos = Rand(1, Len + 3);
            int ModelPara = ListPara;
            int ModelPos = ListPos;
            const std::string T = RandomText(30, true);
            Name = "InsertMultiLineText";
            Got = FList.InsertMultiLineText(nullptr, ListPara, ListPos, T);
            Want = FModel.InsertMultiLine(ModelPara, ModelPos, T);
            EXPECT_EQ(ListPara, ModelPara) << "step " << I;
            EXPECT_EQ(ListPos, ModelPos) << "step " << I;
            break;
        }
        case 12: {
            const std::string T = RandomText(10, false);
            if (Rand(0, 1)) {
                Name = "InsertParaBefore";
                Got = FList.InsertParaBefore(nullptr, P, T);
                Want = FModel.InsertParaBefore(P, T);
            } else {
                Name = "InsertParaAfter";
                Got = FList.InsertParaAfter(nullptr, P, T);
                Want = FModel.InsertParaAfter(P, T);
            }
            break;
        }
        case 13:
            Name = "DeletePara";
            Got = FList.DeletePara(nullptr, P);
            Want = FModel.DeletePara(P);
            break;
        case 14:
        case 15: {
            Name = "Undo";
            FHistoryStep = true;
            const bool Done = FList.Undo(nullptr).has_value();
            EXPECT_EQ(Done, !FUndo.empty()) << "step " << I;
            if (Done && !FUndo.empty()) {
                FRedo.push_back(FModel.Paras);
                FModel.Paras = FUndo.back();
                FUndo.pop_back();
            }
            return Compare("step " + std::to_string(I) + " " + Name);
        }
        case 16: {
            if (Rand(0, 7) == 0) { // a change of layout re-wraps everything
                Name = "Rewrap";
                FList.SetWrapColumn(Rand(4, 30));
                FList.SetTabSize(Rand(1, 8));
                FModel.TabSize = FList.TabSize();
                return Compare("step " + std::to_string(I) + " " + Name);
            }
            Name = "Redo";
            FHistoryStep = true;
            const bool Done = FList.Redo(nullptr).has_value();
            EXPECT_EQ(Done, !FRedo.empty()) << "step " << I;
            if (Done && !FRedo.empty()) {
                FUndo.push_back(FModel.Paras);
                FModel.Paras = FRedo.back();
                FRedo.pop_back();
            }
            return Compare("step " + std::to_string(I) + " " + Name);
        }
        }
        EXPECT_EQ(Got, Want) << "step " << I << " " << Name;
        TrackHistory(Before, GroupBefore, CouldUndo);
        return Compare("step " + std::to_string(I) + " " + Name);
    }

    // Undoes everything the history holds; the text must be the oldest one the model kept.
    bool UndoAll() {
        while (FList.CanUndo()) {
            StartEdit();
            FHistoryStep = true;
            FList.Undo(nullptr);
            if (FUndo.empty()) {
                ADD_FAILURE() << "the list undid more steps than the model holds";
                return false;
            }
            FModel.Paras = FUndo.back();
            FUndo.pop_back();
            if (!Compare("undo all"))
                return false;
        }
        EXPECT_TRUE(FUndo.empty());
        return !::testing::Test::HasFailure();
    }
};

struct TModelCase {
    const char* Name;
    std::size_t UndoSize;
    bool WordWrap;
    int WrapColumn;
    int LengthLimit;
    int ParaLimit;
    int Steps;
};

class ParaListModel : public ::testing::TestWithParam<TModelCase> {};

std::uint32_t SeedOfRun() {
    const char* Fixed = std::getenv("KORVID_MODEL_SEED");
    return Fixed ? static_cast<std::uint32_t>(std::stoul(Fixed))
                 : static_cast<std::uint32_t>(std::random_device{}());
}

void Prepare(TModelRun& Run, const TModelCase& Case) {
    Run.FList.SetWrapColumn(Case.WrapColumn);
    Run.FList.SetParaLengthLimit(Case.LengthLimit);
    Run.FList.SetParaLimit(Case.ParaLimit);
    Run.FList.SetByteLimit(4000);
    Run.FModel.LengthLimit = Case.LengthLimit;
    Run.FModel.ParaLimit = Case.ParaLimit;
    Run.FModel.ByteLimit = 4000;
    // A first text, loaded without undo.
    for (int I = 0; I < 8; ++I) {
        const std::string T = Run.RandomText(40, false);
        Run.FList.AppendPara(T, false);
        Run.FModel.Paras.push_back(T);
    }
    Run.FList.UndoBuffer().Clear();
}

TEST_P(ParaListModel, RandomEditsMatchTheModel) {
    const TModelCase& Case = GetParam();
    const std::uint32_t Seed = SeedOfRun();
    SCOPED_TRACE("seed " + std::to_string(Seed) + " (set KORVID_MODEL_SEED to repeat)");
    TModelRun Run(Seed, Case.UndoSize, Case.WordWrap);
    Prepare(Run, Case);
    const TText First = Run.FModel.Paras;
    ASSERT_TRUE(Run.Compare("start"));

    for (int I = 0; I < Case.Steps; ++I) {
        if (!Run.Step(I))
            FAIL() << "stopped at step " << I << " of seed " << Seed;
    }
    const bool Whole =
        Run.FUndo.size() == static_cast<std::size_t>(Run.FList.UndoBuffer().UndoGroupCount()) &&
        Run.FList.UndoBuffer().UndoGroupCount() > 0 && !Run.FList.CanRedo();
    ASSERT_TRUE(Run.UndoAll());
    if (Case.UndoSize == TUndoBuffer::MaxSize && Whole && Run.FModel.Paras != First)
        ADD_FAILURE() << "undo back to the start did not restore the first text";
    // Every paragraph outside the text belongs to a record; clearing the history frees them all.
    Run.FList.UndoBuffer().Clear();
    EXPECT_EQ(Run.FList.LiveNodeCount(), Run.FList.ParaCount());
}

// ---- Two editors sharing the text ----

using TChange = TEngCustomEditor::TTextChange;

// The editor that makes the changes; it reports each change the list tells it of.
class TChangingEditor : public TEngCustomEditor {
public:
    using TEngCustomEditor::TEngCustomEditor;
    std::function<void(const TChange&)> OnSeen;
    std::function<void()> OnRewrapped;

    void TextRewrapped() override {
        if (OnRewrapped)
            OnRewrapped();
        TEngCustomEditor::TextRewrapped();
    }

    void CharsInserted(int Para, int Pos, int Count) override {
        Seen({TChange::Inserted, Para, Pos, Count});
        TEngCustomEditor::CharsInserted(Para, Pos, Count);
    }
    void CharsDeleted(int Para, int Pos, int Count) override {
        Seen({TChange::Deleted, Para, Pos, Count});
        TEngCustomEditor::CharsDeleted(Para, Pos, Count);
    }
    void ParaSplit(int Para, int Pos, int Indent) override {
        Seen({TChange::Split, Para, Pos, Indent});
        TEngCustomEditor::ParaSplit(Para, Pos, Indent);
    }
    void ParaDeleted(int Para) override {
        Seen({TChange::ParaDeleted, Para, 1, 0});
        TEngCustomEditor::ParaDeleted(Para);
    }
    void ParasJoined(int Para, int Pos) override {
        Seen({TChange::Joined, Para, Pos, 0});
        TEngCustomEditor::ParasJoined(Para, Pos);
    }

private:
    void Seen(const TChange& C) {
        if (OnSeen)
            OnSeen(C);
    }
};

// Where a position should go, written out once more from the rules: inserted characters push
// it on, deleted ones pull it back (to the stretch's start inside it), a split carries the tail
// and its positions down, a deleted paragraph leaves its positions at position 1 of the text
// that follows, a join appends the next paragraph's positions.
TTextPos ExpectedMove(const TChange& C, TTextPos P, int ParaCount, bool& Gone) {
    const bool Same = P.Para == C.Para;
    switch (C.Kind) {
    case TChange::Inserted:
        return Same && P.Pos >= C.Pos ? TTextPos{P.Para, P.Pos + C.Count} : P;
    case TChange::Deleted:
        if (!Same || P.Pos < C.Pos)
            return P;
        if (P.Pos < C.Pos + C.Count) {
            Gone = true;
            return {P.Para, C.Pos};
        }
        return {P.Para, P.Pos - C.Count};
    case TChange::Split:
        if (P.Para > C.Para)
            return {P.Para + 1, P.Pos};
        return Same && P.Pos >= C.Pos ? TTextPos{C.Para + 1, P.Pos - C.Pos + 1 + C.Count} : P;
    case TChange::ParaDeleted:
        if (Same)
            Gone = true;
        return {std::min(Same ? P.Para : (P.Para > C.Para ? P.Para - 1 : P.Para), ParaCount),
                Same ? 1 : P.Pos};
    case TChange::Joined:
        if (P.Para == C.Para + 1)
            return {C.Para, P.Pos + C.Pos - 1};
        return P.Para > C.Para + 1 ? TTextPos{P.Para - 1, P.Pos} : P;
    }
    return P;
}

// One observed editor: its positions as the rules move them, and what stood there before.
struct TWatched {
    TEngCustomEditor* Ed;
    // Caret, selection start, selection end, remembered caret end.
    std::array<TTextPos, 4> Start; // before the edit
    std::array<TTextPos, 4> Want;
    std::array<bool, 4> Gone{};
    std::array<int, 4> CharBefore{}; // -1 where the position lay beyond its paragraph

    std::array<TTextPos, 4> Have() const {
        return {TTextPos{Ed->CaretPara(), Ed->CaretPos()}, Ed->SelStart().P, Ed->SelEnd().P,
                Ed->SelCaretEnd()};
    }
};

class TSharedRun {
public:
    TSharedRun(std::uint32_t Seed, const TModelCase& Case)
        : FChanger(FHostC), FA(FHostA), FB(FHostB), FRun(Seed, FChanger.Lines()) {
        for (auto* H : {&FHostA, &FHostB, &FHostC})
            H->Height = 16 * 6 + 5;
        FChanger.WindowCreated();
        FChanger.SetUndoBufferSize(Case.UndoSize);
        FChanger.SetWordWrap(Case.WordWrap);
        FA.WindowCreated();
        FB.WindowCreated();
        // B's caret may stand beyond a paragraph's end, in a wrapped text too: set while B
        // still has a text of its own, whose wrapping the setter turns off.
        FB.SetScrollPastEnd(true);
        FA.Attach(FChanger);
        FB.Attach(FChanger);
        Prepare(FRun, Case);
        FChanger.OnSeen = [this](const TChange& C) { Follow(C); };
        // With word wrap, a re-wrap brings a caret beyond its paragraph's end back to the end.
        FChanger.OnRewrapped = [this] {
            for (TWatched& W : FWatched) {
                TTextPos& Caret = W.Want[0];
                if (FChanger.WordWrap())
                    Caret.Pos = std::min(Caret.Pos, FA.Lines().ParaLength(Caret.Para) + 1);
            }
        };
        FRun.BeforeEdit = [this] { Remember(); };
        FRun.AfterEdit = [this](const std::string& Step) { return Check(Step); };
        Remember();
    }

    test::TFakeEditorHost FHostA;
    test::TFakeEditorHost FHostB;
    test::TFakeEditorHost FHostC;
    TChangingEditor FChanger;
    TEngCustomEditor FA;
    TEngCustomEditor FB;
    TModelRun FRun;
    std::array<TWatched, 2> FWatched{TWatched{&FA, {}, {}}, TWatched{&FB, {}, {}}};

    // Puts the observed editors somewhere new: a caret, a selection, a scroll position.
    void Scatter() {
        for (TWatched& W : FWatched) {
            TEngCustomEditor& E = *W.Ed;
            const int Count = E.ParaCount();
            const int P1 = FRun.Rand(1, Count);
            const int P2 = FRun.Rand(1, Count);
            const TTextPos A{P1, FRun.Rand(1, E.Lines().ParaLength(P1) + 1)};
            const TTextPos B{P2, FRun.Rand(1, E.Lines().ParaLength(P2) + 1)};
            if (FRun.Rand(0, 2) == 0)
                E.MoveCaretToPara(A.Para, A.Pos + FRun.Rand(0, 4));
            else if (A.Para < B.Para || (A.Para == B.Para && A.Pos <= B.Pos))
                E.SetSelectionParas(A, B, FRun.Rand(0, 1) == 1);
            else
                E.SetSelectionParas(B, A, FRun.Rand(0, 1) == 1);
            E.ScrollText(0, FRun.Rand(-10, 10));
        }
    }

    void Remember() {
        for (TWatched& W : FWatched) {
            W.Start = W.Want = W.Have();
            W.Gone = {};
            for (std::size_t K = 0; K < W.Want.size(); ++K) {
                const TTextPos P = W.Want[K];
                const std::string_view Text = FA.Lines().ParaText(P.Para);
                W.CharBefore[K] = P.Pos <= static_cast<int>(Text.size())
                                      ? static_cast<unsigned char>(Text[P.Pos - 1])
                                      : -1;
            }
        }
    }

    void Follow(const TChange& C) {
        const int ParaCount = FChanger.ParaCount();
        for (TWatched& W : FWatched) {
            std::array<bool, 4> GoneNow{};
            for (std::size_t K = 0; K < W.Want.size(); ++K) {
                W.Want[K] = ExpectedMove(C, W.Want[K], ParaCount, GoneNow[K]);
                W.Gone[K] = W.Gone[K] || GoneNow[K];
            }
            // A deleted paragraph that held the whole selection leaves it empty at the caret.
            if (C.Kind == TChange::ParaDeleted && GoneNow[1] && GoneNow[2]) {
                const TTextPos Caret = W.Want[0];
                const TTextPos At{Caret.Para,
                                  std::min(Caret.Pos, FA.Lines().ParaLength(Caret.Para) + 1)};
                W.Want[1] = W.Want[2] = W.Want[3] = At;
            }
        }
    }

    bool Check(const std::string& Step) {
        static const char* const Names[] = {"caret", "selection start", "selection end",
                                            "caret end"};
        for (std::size_t E = 0; E < FWatched.size(); ++E) {
            const TWatched& W = FWatched[E];
            const auto Have = W.Have();
            const std::string Where = Step + (E == 0 ? " editor A " : " editor B ");
            for (std::size_t K = 0; K < Have.size(); ++K) {
                const TTextPos P = Have[K];
                EXPECT_EQ(P, W.Want[K]) << Where << Names[K];
                EXPECT_TRUE(P.Para >= 1 && P.Para <= FA.ParaCount() && P.Pos >= 1)
                    << Where << Names[K] << " " << P.Para << "," << P.Pos;
                if (::testing::Test::HasFailure())
                    return false;
                const std::string_view Text = FA.Lines().ParaText(P.Para);
                const TTextPos S = W.Start[K];
                const bool Overwritten = FRun.FReplaced && S.Para == (*FRun.FReplaced)[0] &&
                                         S.Pos >= (*FRun.FReplaced)[1] &&
                                         S.Pos < (*FRun.FReplaced)[1] + (*FRun.FReplaced)[2];
                if (W.Gone[K] || FRun.FHistoryStep || Overwritten || W.CharBefore[K] < 0 ||
                    P.Pos > static_cast<int>(Text.size()))
                    continue;
                EXPECT_EQ(static_cast<unsigned char>(Text[P.Pos - 1]), W.CharBefore[K])
                    << Where << Names[K] << " no longer on its character";
            }
            // Display lines agree with the positions.
            TEngCustomEditor& Ed = *W.Ed;
            EXPECT_EQ(Ed.Lines().ParaOfLine(Ed.CaretLine()),
                      std::make_pair(Ed.CaretPara(), Ed.CaretLineOffset()))
                << Where << "caret line";
            EXPECT_EQ(Ed.SelStart().Line,
                      Ed.Lines().LineOfPara(Ed.SelStart().P.Para, Ed.SelStart().P.Pos).first)
                << Where << "selection start line";
            EXPECT_EQ(Ed.SelEnd().Line,
                      Ed.Lines().LineOfPara(Ed.SelEnd().P.Para, Ed.SelEnd().P.Pos).first)
                << Where << "selection end line";
            EXPECT_TRUE(Ed.TopLine() >= 1 && Ed.TopLine() <= Ed.LineCount()) << Where;
            EXPECT_EQ(Ed.Lines().ParaOfLine(Ed.TopLine()),
                      std::make_pair(Ed.TopPara(), Ed.TopOffset()))
                << Where << "top line";
        }
        return !::testing::Test::HasFailure();
    }
};

TEST_P(ParaListModel, TwoEditorsSharingTheTextFollowEveryChange) {
    const TModelCase& Case = GetParam();
    const std::uint32_t Seed = SeedOfRun();
    SCOPED_TRACE("seed " + std::to_string(Seed) + " (set KORVID_MODEL_SEED to repeat)");
    TSharedRun Shared(Seed, Case);
    ASSERT_TRUE(Shared.FRun.Compare("start"));
    for (int I = 0; I < Case.Steps; ++I) {
        if (I % 7 == 0)
            Shared.Scatter();
        if (!Shared.FRun.Step(I))
            FAIL() << "stopped at step " << I << " of seed " << Seed;
    }
    ASSERT_TRUE(Shared.FRun.UndoAll());
}

// A large buffer keeps the whole history of a short run, so undo reaches the first text; a
// small one purges all the time; tight limits make many edits fail half-way.
INSTANTIATE_TEST_SUITE_P(Runs, ParaListModel,
                         ::testing::Values(TModelCase{"WholeHistory", TUndoBuffer::MaxSize, true,
                                                      12, 4096, TParaList::NoLimit, 400},
                                           TModelCase{"SmallBuffer", 600, true, 9, 4096,
                                                      TParaList::NoLimit, 3000},
                                           TModelCase{"TightLimits", 8192, true, 15, 60, 30, 4000},
                                           TModelCase{"NoWrap", 2048, false, 80, 200, 60, 3000}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// ---- Edits on a loaded text ----

struct TLoadModelCase {
    const char* Name;
    const char* LineEnd; // between lines; empty for a random mix of CR LF, LF and CR
    bool FinalLineEnd;
    enum { Plain, Utf8, Utf8WithMark, Scattered } Kind;
    bool WordWrap;
    int Lines;
    int Steps;
    int WrapColumn = 0; // 0: one from 8 to 40
    int ParaLimit = TParaList::NoLimit;
};

// A file's bytes and the paragraphs it loads as.
struct TLoadedFile {
    std::string Bytes;
    TText Paras;
};

TLoadedFile MakeFile(TModelRun& Run, const TLoadModelCase& Case) {
    TLoadedFile File;
    const bool Utf8 =
        Case.Kind == TLoadModelCase::Utf8 || Case.Kind == TLoadModelCase::Utf8WithMark;
    if (Case.Kind == TLoadModelCase::Utf8WithMark)
        File.Bytes = "\xEF\xBB\xBF";
    std::string PreviousEnd;
    for (int I = 0; I < Case.Lines; ++I) {
        const int Kind = Run.Rand(0, 9);
        std::string Para = Kind < 2 ? "" : Run.RandomText(Kind == 2 ? 700 : 70, false);
        const bool Last = I + 1 == Case.Lines;
        if (Para.empty() && Last && !Case.FinalLineEnd)
            Para = "z"; // else the line end before it would be the text's final one
        std::string Bytes = Para;
        if (Utf8 && Run.Rand(0, 2) == 0) {
            Para += '\xE9';
            Bytes += "\xC3\xA9";
        }
        std::string End = Case.LineEnd;
        if (End.empty()) {
            End = std::array<const char*, 3>{"\r\n", "\n", "\r"}[Run.Rand(0, 2)];
            if (PreviousEnd == "\r" && Bytes.empty() && End == "\n")
                End = "\r\n"; // CR then LF would read as one line end
        }
        File.Bytes += Bytes;
        if (!Last || Case.FinalLineEnd)
            File.Bytes += End;
        PreviousEnd = End;
        File.Paras.push_back(Para);
    }
    return File;
}

// Loads the file as the program does: the lines of a TBinaryStrings through its cursor, the text
// read handed over. Scattered feeds every third line from a buffer of its own that the next line
// overwrites, with no estimate of the text, as lines decoded or cut arrive.
void LoadFile(TModelRun& Run, const TLoadModelCase& Case, const TLoadedFile& File) {
    TBinaryStrings Lines;
    Lines.ForceUtf8 = Case.Kind == TLoadModelCase::Utf8;
    bool ShowAsterisks = false;
    std::string Password;
    ASSERT_EQ(Lines.LoadFromBytes(std::string(File.Bytes), "loaded.txt", ShowAsterisks, Password),
              TLoadResult::Loaded);
    TLineCursor Cursor = Lines.Cursor();
    std::string Scratch;
    int Fed = 0;
    const auto Feed = [&](std::string_view& Line) {
        if (!Cursor.Next(Line))
            return false;
        if (Case.Kind == TLoadModelCase::Scattered && ++Fed % 3 == 0) {
            Scratch.assign(Line);
            Line = Scratch;
        }
        return true;
    };
    const std::size_t TextBytes =
        Case.Kind == TLoadModelCase::Scattered ? 0 : Lines.TextBytesEstimate();
    ASSERT_EQ(Run.FList.LoadParas(Lines.CountEstimate(), TextBytes, Feed, Lines.TextToKeep()),
              eeNone);
    Run.FModel.Paras = File.Paras;
}

class LoadedTextModel : public ::testing::TestWithParam<TLoadModelCase> {};

TEST_P(LoadedTextModel, EditsWrapsAndHistoryMatchTheModel) {
    const TLoadModelCase& Case = GetParam();
    const std::uint32_t Seed = SeedOfRun();
    SCOPED_TRACE("seed " + std::to_string(Seed) + " (set KORVID_MODEL_SEED to repeat)");
    TModelRun Run(Seed, TUndoBuffer::MaxSize, Case.WordWrap);
    Run.FByQueries = true;
    Run.FList.SetWrapColumn(Case.WrapColumn > 0 ? Case.WrapColumn : Run.Rand(8, 40));
    Run.FList.SetParaLimit(Case.ParaLimit);
    Run.FModel.ParaLimit = Case.ParaLimit;
    const TLoadedFile File = MakeFile(Run, Case);
    LoadFile(Run, Case, File);
    ASSERT_TRUE(Run.Compare("loaded"));
    for (int I = 0; I < Case.Steps; ++I) {
        if (Run.Rand(0, 29) == 0) {
            Run.FList.SetWordWrap(!Run.FList.WordWrap());
            ASSERT_TRUE(Run.Compare("step " + std::to_string(I) + " word wrap"));
            continue;
        }
        if (!Run.Step(I))
            FAIL() << "stopped at step " << I << " of seed " << Seed;
    }
    const bool Whole =
        Run.FUndo.size() == static_cast<std::size_t>(Run.FList.UndoBuffer().UndoGroupCount()) &&
        !Run.FList.CanRedo();
    ASSERT_TRUE(Run.UndoAll());
    if (Whole) {
        EXPECT_EQ(Run.FModel.Paras, File.Paras) << "undo back to the start";
    }
    Run.FList.UndoBuffer().Clear();
    EXPECT_EQ(Run.FList.LiveNodeCount(), Run.FList.ParaCount());
}

// Every kind of line end, a last line with and without one, empty and long lines (some wrapped
// into dozens of display lines), text kept where it was read or decoded from UTF-8 or fed from
// elsewhere; word wrap on with no line long enough to wrap, and a paragraph limit close by.
INSTANTIATE_TEST_SUITE_P(
    Texts, LoadedTextModel,
    ::testing::Values(
        TLoadModelCase{"CrLfWrapped", "\r\n", true, TLoadModelCase::Plain, true, 150, 500},
        TLoadModelCase{"LfUnwrapped", "\n", false, TLoadModelCase::Plain, false, 150, 500},
        TLoadModelCase{"LoneCr", "\r", true, TLoadModelCase::Plain, true, 80, 400},
        TLoadModelCase{"MixedEnds", "", false, TLoadModelCase::Plain, true, 200, 500},
        TLoadModelCase{"Utf8", "\n", true, TLoadModelCase::Utf8, true, 120, 400},
        TLoadModelCase{"Utf8WithMark", "\r\n", false, TLoadModelCase::Utf8WithMark, false, 120,
                       400},
        TLoadModelCase{"Scattered", "\r\n", true, TLoadModelCase::Scattered, true, 150, 400},
        TLoadModelCase{"OneLine", "\r\n", false, TLoadModelCase::Plain, true, 1, 60},
        TLoadModelCase{"NothingWraps", "\r\n", true, TLoadModelCase::Plain, true, 150, 300, 1000},
        TLoadModelCase{"ParagraphLimit", "\n", true, TLoadModelCase::Plain, false, 60, 400, 0, 62}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
} // namespace korvid
