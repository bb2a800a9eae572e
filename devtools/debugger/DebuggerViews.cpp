// The views of the paused module: the memory dump, the call stack, the heap label, the watches
// and the evaluation hint.
#include "devtools/debugger/DebugTexts.h"
#include "devtools/debugger/Debugger.h"
#include "platform/Cp1252.h"

#include <QItemSelectionModel>
#include <QModelIndex>
#include <QStandardItemModel>
#include <algorithm>
#include <array>
#include <tuple>
#include <unordered_map>

namespace korvid {

namespace {

constexpr char MemoryCaption[] = "Memory";
// The hint sits below the mouse pointer, not under it.
constexpr int HintDropPixels = 24;
constexpr int HintElementLimit = 10;
constexpr int ArrayKind = 15;

// An array is shown by its elements when they have values.
bool IsHintFind(const TEntity& Entity) {
    return IsValueKind(Entity.Kind) || (Entity.Kind == ArrayKind && !Entity.Children.empty() &&
                                        IsValueKind(Entity.Children.front()->Kind));
}

// The first entity of the list named Word, in the form the hint reads it; null when there is
// none or it has no value to show.
template <typename TList, typename TGet>
TEntity* SearchHintList(const TList& List, const std::string& Word, TGet Get) {
    for (const auto& Item : List) {
        TEntity* Entity = Get(Item);
        if (Entity->LowerName != Word)
            continue;
        // A file or table stands for its current record or row.
        if (Entity->Companion)
            Entity = Entity->Companion;
        return IsHintFind(*Entity) ? Entity : nullptr;
    }
    return nullptr;
}

TEntity* SearchEntities(const std::vector<TEntity*>& List, const std::string& Word) {
    return SearchHintList(List, Word, [](TEntity* Entity) { return Entity; });
}

TEntity* SearchChildren(const TEntity& Owner, const std::string& Word) {
    return SearchHintList(Owner.Children, Word,
                          [](const std::unique_ptr<TEntity>& Child) { return Child.get(); });
}

const TEntity* FindByFullName(const TEntity& Entity, const std::string& Name) {
    if (Entity.Owner && Entity.FullName == Name)
        return &Entity;
    for (const auto& Child : Entity.Children)
        if (const TEntity* Found = FindByFullName(*Child, Name))
            return Found;
    return nullptr;
}

// The watches' entities are the map's, which the debugger may change.
TEntity* WatchEntity(const void* Object) {
    return const_cast<TEntity*>(static_cast<const TEntity*>(Object));
}

// Adding watches: the rows of the entities already watched, and the row to select.
struct TWatchAdding {
    TDebuggingList& Watches;
    std::unordered_map<const TEntity*, int> Rows;
    int Selected = -1;

    explicit TWatchAdding(TDebuggingList& List) : Watches(List) {
        for (int Row = 0; Row < Watches.Count(); ++Row)
            Rows.emplace(static_cast<const TEntity*>(Watches.ObjectAt(Row)), Row);
    }
    ~TWatchAdding() {
        if (Selected >= 0)
            Watches.SelectRow(Selected);
    }
    TWatchAdding(const TWatchAdding&) = delete;
    TWatchAdding& operator=(const TWatchAdding&) = delete;

    // Adds the entity, or the value entities below it; true when one was met, new or not.
    bool Add(TEntity& Entity) {
        if (!Entity.Children.empty()) {
            bool Added = false;
            for (const auto& Child : Entity.Children)
                Added = Add(*Child) || Added;
            return Added;
        }
        if (!IsValueKind(Entity.Kind))
            return false;
        const auto [At, New] = Rows.emplace(&Entity, Watches.Count());
        if (New) {
            Entity.PreviousValue.clear();
            Entity.CurrentValue.clear();
            Entity.Changed = false;
            Watches.Append(Entity.FullName, &Entity);
        }
        Selected = At->second;
        return true;
    }
};

} // namespace

// ---- The memory dump, the call stack and the heap -------------------------------------------

void TDebugger::DumpMemory() {
    RunCommand([&] {
        if (!EnsureConnected())
            return;
        const std::vector<std::uint16_t> Words = ReadMemory();
        if (Words.empty())
            return;
        const TKorvidOptions& Options = FHost.DebuggingOptions();
        FHost.OpenTextInNewTab(
            MemoryCaption, MemoryDumpText(Words, Options.AddressesInHex, Options.GappedMemoryDump));
    });
}

void TDebugger::RefreshCallStack() {
    RunCommand([&] {
        FCallStack->Model->clear();
        if (!IsConnected())
            return;
        for (const TStackLine& Frame : ReadCallStack())
            FCallStack->Append(CallStackItemText(Frame),
                               FindProcOffset(Frame.Segment, Frame.Proc, Frame.Offset));
    });
}

void TDebugger::RefreshHeapStack() {
    RunCommand([&] {
        if (!IsConnected())
            return;
        if (const auto Figures = HeapAndStack())
            FHeapStackText = HeapStackLabelText(Figures->Heap, Figures->Stack);
    });
}

// ---- Watches --------------------------------------------------------------------------------

std::vector<TEntity*> TDebugger::WatchedEntities() const {
    std::vector<TEntity*> Entities;
    for (int Row = 0; Row < FWatches->Count(); ++Row)
        Entities.push_back(WatchEntity(FWatches->ObjectAt(Row)));
    return Entities;
}

void TDebugger::ShowWatches(const std::vector<TEntity*>& Entities) {
    const int Selected = FWatches->SelectedRow();
    const void* Kept = Selected >= 0 ? FWatches->ObjectAt(Selected) : nullptr;
    FWatches->Model->clear();
    for (const TEntity* Entity : Entities)
        FWatches->Append(Entity->FullName, Entity);
    const auto At = std::find(Entities.begin(), Entities.end(), Kept);
    FWatches->SelectRow(Kept && At != Entities.end() ? int(At - Entities.begin()) : -1);
}

void TDebugger::WatchStructureNode(const QModelIndex& Node) {
    RunCommand([&] {
        const QModelIndex Target = Node.isValid() ? Node : FStructure->Selection->currentIndex();
        if (!Target.isValid())
            return;
        bool Added = false;
        {
            const TDebuggerBusy Busy(FHost);
            {
                TWatchAdding Adding(*FWatches);
                if (const TEntity* Entity = NodeEntity(Target))
                    Added = Adding.Add(*WatchEntity(Entity));
                else
                    for (TEntity* Entity : CategoryEntities(NodeKind(Target)))
                        Added = Adding.Add(*Entity) || Added;
            }
            RefreshWatchValues();
        }
        if (Added && FHost.DebuggingOptions().AutoWatchesTab)
            FHost.ActivateDebuggingTab(TDebuggingTab::Watches);
    });
}

void TDebugger::RefreshWatchValues() {
    RunCommand([&] {
        if (!IsConnected() || !FPaused || !FCurrentLocation || FWatches->Count() == 0)
            return;
        std::vector<TEntity*> Entities = WatchedEntities();
        for (TEntity* Entity : Entities) {
            Entity->CurrentValue = ValueText(*Entity, vmValue);
            Entity->Changed =
                !Entity->PreviousValue.empty() && Entity->CurrentValue != Entity->PreviousValue;
        }
        const bool ChangedFirst = FHost.DebuggingOptions().MoveChangedWatches;
        std::stable_sort(
            Entities.begin(), Entities.end(), [ChangedFirst](const TEntity* A, const TEntity* B) {
                const bool ChangedA = ChangedFirst && A->Changed;
                const bool ChangedB = ChangedFirst && B->Changed;
                return std::tie(ChangedB, A->LowerFullName) < std::tie(ChangedA, B->LowerFullName);
            });
        ShowWatches(Entities);
    });
}

void TDebugger::ForgetWatchChanges() {
    for (TEntity* Entity : WatchedEntities()) {
        Entity->PreviousValue = Entity->CurrentValue;
        Entity->Changed = false;
    }
}

void TDebugger::RestoreSavedWatches() {
    if (FHost.DebuggingOptions().PersistWatches) {
        TWatchAdding Adding(*FWatches);
        for (const std::string& Name : FSavedWatches)
            if (const TEntity* Entity = FindByFullName(*FMap->Root, Name))
                Adding.Add(*WatchEntity(Entity));
    }
    FSavedWatches.clear();
}

void TDebugger::DeleteSelectedWatch() {
    const int Row = FWatches->SelectedRow();
    if (Row < 0)
        return;
    FWatches->Model->removeRow(Row);
    FWatches->SelectRow(std::min(Row, FWatches->Count() - 1));
}

void TDebugger::DeleteAllWatches() {
    FWatches->Model->clear();
}

void TDebugger::DropWatchedEntities() {
    if (FSavedWatches.empty())
        FSavedWatches = FWatches->Texts();
    FWatches->Model->clear();
    ForgetHint();
}

void TDebugger::ForgetHint() {
    FHintWord.clear();
    FHintEntity = nullptr;
    FHoveredEntity = nullptr;
}

// ---- The evaluation hint --------------------------------------------------------------------

std::string TDebugger::HintValueText(TEntity& Entity) {
    if (Entity.Kind != ArrayKind)
        return ValueText(Entity, vmValue);
    // The map may list fewer elements than the array holds.
    const int Shown = std::min({Entity.Extent1, int(Entity.Children.size()), HintElementLimit});
    std::string Text;
    for (int Index = 1; Index <= Shown; ++Index)
        Text += "\r    [" + std::to_string(Index) +
                "] = " + ValueText(*Entity.Children[Index - 1], vmValue);
    if (Entity.Extent1 > HintElementLimit)
        Text += "\r    etc";
    return Text;
}

void TDebugger::ShowHint(const std::string& Text, int ScreenX, int ScreenY) {
    FHost.ShowHintWindow(Text, ScreenX, ScreenY + HintDropPixels);
    FHost.RestartHintTimer();
    FHintStale = false;
}

void TDebugger::ShowEvaluationHint(const std::string& Word, int ScreenX, int ScreenY) {
    RunCommand([&] {
        if (Word.empty()) {
            FHintWord.clear();
            FHintEntity = nullptr;
            HideEvaluationHint();
            return;
        }
        if (!BeginsIdentifier(Word.front()) || !IsConnected() || !FPaused || !FCurrentLocation) {
            HideEvaluationHint();
            return;
        }
        const std::string Normal = NormaliseIdentifier(Word, MapKind());
        // The finds of the current procedure, the globals and the structure tree's selection.
        std::array<TEntity*, 3> Finds{};
        if (FHintEntity && Normal == FHintWord) {
            // A hint that timed out stays away until the mouse reaches something else.
            if (FHintStale) {
                HideEvaluationHint();
                return;
            }
            Finds[2] = FHintEntity;
        } else {
            FHintWord.clear();
            FHintEntity = nullptr;
            if (const TEntity* Procedure = FCurrentLocation && FCurrentLocation->Proc
                                               ? ProcedureEntityOf(*FCurrentLocation->Proc)
                                               : nullptr)
                Finds[0] = SearchChildren(*Procedure, Normal);
            Finds[1] = SearchEntities(FMap->Globals, Normal);
            const TEntity* Selected = NodeEntity(FStructure->Selection->currentIndex());
            if (Selected && Selected->Children.empty() && Selected->Owner)
                Selected = Selected->Owner;
            TEntity* Near = Selected ? SearchChildren(*Selected, Normal) : nullptr;
            if (!Near)
                Near = SearchEntities(FMap->Tables, Normal);
            if (Near != Finds[0] && Near != Finds[1])
                Finds[2] = Near;
            for (TEntity* Find : Finds)
                if (Find)
                    Find->ValueText = HintValueText(*Find);
        }
        int Count = 0;
        TEntity* Last = nullptr;
        for (TEntity* Find : Finds)
            if (Find) {
                ++Count;
                Last = Find;
            }
        if (Count == 0) {
            HideEvaluationHint();
            return;
        }
        // Only a name that means one entity is remembered.
        FHintWord = Count == 1 ? Normal : std::string();
        FHintEntity = Count == 1 ? Last : nullptr;
        static constexpr std::array<std::string_view, 3> Prefixes = {"local.", "global.", ""};
        std::string Text;
        for (std::size_t Place = 0; Place < Finds.size(); ++Place) {
            if (!Finds[Place])
                continue;
            if (!Text.empty())
                Text += '\r';
            if (Count > 1)
                Text += Prefixes[Place];
            Text += Finds[Place]->FullName + " = " + Finds[Place]->ValueText;
        }
        ShowHint(Text, ScreenX, ScreenY);
    });
}

void TDebugger::StructureTreeMouseMove(const QModelIndex& Node, bool OverLabel, int ScreenX,
                                       int ScreenY) {
    RunCommand([&] {
        bool Shown = false;
        const TEntity* OnNode = OverLabel ? NodeEntity(Node) : nullptr;
        if (OnNode) {
            TEntity* Entity = WatchEntity(OnNode->Companion ? OnNode->Companion : OnNode);
            if (IsValueKind(Entity->Kind)) {
                if ((Entity != FHoveredEntity || !FHintStale) && IsConnected() && FPaused) {
                    if (Entity != FHoveredEntity) {
                        FHoveredEntity = Entity;
                        Entity->ValueText = ValueText(*Entity, vmValue);
                    }
                    if (!Entity->ValueText.empty()) {
                        ShowHint(Entity->FullName + " = " + Entity->ValueText, ScreenX, ScreenY);
                        Shown = true;
                    }
                }
                ShowVariableDetails(*Entity);
            } else
                FHoveredEntity = nullptr;
        }
        if (!Shown)
            HideEvaluationHint();
    });
}

void TDebugger::HideEvaluationHint() {
    FHost.HideHintWindow();
}

void TDebugger::EvaluationHintTimeout() {
    FHintStale = true;
    HideEvaluationHint();
}

} // namespace korvid
