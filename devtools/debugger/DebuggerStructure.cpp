// The structure tree of the debugging bar: the map's entities, the current procedure's locals,
// the details panel and the search for a declaration with its way back.
#include "devtools/debugger/DebugTexts.h"
#include "devtools/debugger/Debugger.h"
#include "devtools/debugger/DebuggerMessages.h"
#include "platform/Cp1252.h"

#include <QFont>
#include <QItemSelectionModel>
#include <QModelIndex>
#include <QStandardItemModel>
#include <algorithm>
#include <map>
#include <tuple>

namespace korvid {

namespace {

// VariablesImages indexes of the nodes that carry no entity.
constexpr int TitleImage = 29;
constexpr int StatusImage = 28;
constexpr int LocalsImage = 8;
constexpr int GlobalsImage = 17;
constexpr int TablesImage = 15;
constexpr int DatabaseImage = 6;
constexpr int ProceduresImage = 12;
constexpr int SegmentsImage = 14;
constexpr int ModuleGroupImage = 9;
constexpr int SourceGroupImage = 37;

constexpr int ProcedureKind = 20;
constexpr int UnitKind = 19;
// A "|RW|" map's database field and record handle structures show only their contents.
constexpr int PrimaryKind = 21;
constexpr int ExternalKind = 22;

// Procedures without a code line; they are not listed.
constexpr std::string_view SystemGroup = "(system)";
constexpr std::string_view UnknownAddress = "(unknown)";

QStandardItem* NewNode(const std::string& Text, TStructureNodeKind Kind, int Image,
                       const TEntity* Entity = nullptr) {
    auto* Node = new QStandardItem(ToQString(Text));
    Node->setEditable(false);
    Node->setData(QVariant::fromValue(reinterpret_cast<quintptr>(Entity)), DebugObjectRole);
    Node->setData(static_cast<int>(Kind), DebugNodeKindRole);
    Node->setData(Image, DebugImageRole);
    if (Kind != TStructureNodeKind::Title && Kind != TStructureNodeKind::Status) {
        QFont Bold;
        Bold.setBold(true);
        Node->setFont(Bold);
    }
    return Node;
}

std::string Caption(const TEntity& Entity, bool ShowTypes, int MapKind) {
    std::string Text;
    if (Entity.Letter == 'H')
        Text = Entity.Name == "cursor" ? "(current row number)" : "(current record number)";
    else if (Entity.Letter == 'J')
        Text = "(row count)";
    else if (Entity.Letter == 'T')
        Text = "(buffered values)";
    else
        Text = Entity.Name;
    if (ShowTypes || Entity.Kind == ProcedureKind)
        Text += TypeDescription(Entity, true, MapKind);
    return Text;
}

// Fills nodes from entities by the options that shape the tree.
class TNodeBuilder {
public:
    TNodeBuilder(const TKorvidOptions& Options, int MapKind)
        : FOptions(Options), FMapKind(MapKind) {}

    void AddList(QStandardItem& Parent, const std::vector<TEntity*>& Entities) const {
        QStandardItem* Group = nullptr;
        for (TEntity* Entity : Entities) {
            if (!Shown(*Entity))
                continue;
            if (Entity->ModuleName.empty()) {
                Group = nullptr;
                AddNode(Parent, *Entity);
                continue;
            }
            if (!Group || Group->text() != ToQString(Entity->ModuleName)) {
                Group =
                    NewNode(Entity->ModuleName, TStructureNodeKind::ModuleGroup, ModuleGroupImage);
                Parent.appendRow(Group);
            }
            AddNode(*Group, *Entity);
        }
    }

    void AddChildren(QStandardItem& Parent, const TEntity& Entity) const {
        std::vector<TEntity*> Children;
        for (const auto& Child : Entity.Children)
            Children.push_back(Child.get());
        AddList(Parent, Children);
    }

    void AddNode(QStandardItem& Parent, TEntity& Entity) const {
        if (!Shown(Entity))
            return;
        if (FMapKind == mkRW && (Entity.Kind == PrimaryKind || Entity.Kind == ExternalKind)) {
            AddChildren(Parent, Entity);
            return;
        }
        QStandardItem* Node = NewNode(Caption(Entity, FOptions.ShowVariableTypes, FMapKind),
                                      TStructureNodeKind::Entity, EntityImage(Entity), &Entity);
        if (Entity.Kind != ProcedureKind || FOptions.ShowLocalChildren)
            AddChildren(*Node, Entity);
        Parent.appendRow(Node);
    }

    bool Shown(const TEntity& Entity) const { return !Entity.Minor || FOptions.ShowMinorVariables; }

private:
    const TKorvidOptions& FOptions;
    int FMapKind;
};

void CollectNodes(const QAbstractItemModel& Model, const QModelIndex& Parent,
                  std::vector<QModelIndex>& Nodes) {
    for (int Row = 0; Row < Model.rowCount(Parent); ++Row) {
        const QModelIndex Node = Model.index(Row, 0, Parent);
        Nodes.push_back(Node);
        CollectNodes(Model, Node, Nodes);
    }
}

bool Below(QModelIndex Node, const QModelIndex& Ancestor) {
    for (Node = Node.parent(); Node.isValid(); Node = Node.parent())
        if (Node == Ancestor)
            return true;
    return false;
}

} // namespace

// ---- Building ---------------------------------------------------------------------------------

void TDebugger::BuildStructureTree() {
    QStandardItemModel& Model = *FStructure->Model;
    Model.clear();
    FLocals.clear();
    FLocalsProc = nullptr;
    FCaretProcOffset = nullptr;
    if (FMap->Status.empty())
        return;
    if (FMap->Status != MapLoadedStatus) {
        Model.appendRow(NewNode(FMap->Status, TStructureNodeKind::Status, StatusImage));
        return;
    }
    const TNodeBuilder Builder(FHost.DebuggingOptions(), FMap->Kind);
    const bool RW = FMap->Kind == mkRW;
    Model.appendRow(NewNode("Debugging " + FMap->Title, TStructureNodeKind::Title, TitleImage));
    if (!RW)
        Model.appendRow(NewNode("Locals", TStructureNodeKind::Locals, LocalsImage));
    const auto AddCategory = [&](const char* Text, TStructureNodeKind Kind, int Image,
                                 const std::vector<TEntity*>& Entities) {
        QStandardItem* Node = NewNode(Text, Kind, Image);
        Builder.AddList(*Node, Entities);
        Model.appendRow(Node);
    };
    AddCategory("Globals", TStructureNodeKind::Globals, GlobalsImage, FMap->Globals);
    if (!RW)
        AddCategory("Tables", TStructureNodeKind::Tables, TablesImage, FMap->Tables);
    AddCategory("Database", TStructureNodeKind::Database, DatabaseImage, FMap->Containers);

    // Procedures by the source of their first code line, in source line order.
    struct TListed {
        TEntity* Entity;
        int Line;
    };
    std::map<std::string, std::vector<TListed>, TIgnoreCaseLess> Groups;
    for (TEntity* Procedure : FMap->Procedures) {
        if (!Builder.Shown(*Procedure))
            continue;
        const TProcOffset* Start = ProcedureStart(*Procedure);
        if (!Start)
            continue; // the "(system)" group, never shown
        Groups[FHost.DisplayFileName(Start->SourceName)].push_back({Procedure, Start->LineNumber});
    }
    QStandardItem* Procedures =
        NewNode("Procedures", TStructureNodeKind::Procedures, ProceduresImage);
    for (auto& [Name, Listed] : Groups) {
        if (Name == SystemGroup)
            continue;
        std::stable_sort(Listed.begin(), Listed.end(), [](const TListed& A, const TListed& B) {
            return std::tie(A.Line, A.Entity->MapNumber) < std::tie(B.Line, B.Entity->MapNumber);
        });
        QStandardItem* Group = NewNode(Name, TStructureNodeKind::SourceGroup, SourceGroupImage);
        for (const TListed& Item : Listed)
            Builder.AddNode(*Group, *Item.Entity);
        Procedures->appendRow(Group);
    }
    Model.appendRow(Procedures);
    AddCategory("Segments", TStructureNodeKind::Segments, SegmentsImage, FMap->SegmentEntities);
    RefreshLocals();
}

void TDebugger::RefreshLocals() {
    const QModelIndex LocalsIndex = CategoryNode(TStructureNodeKind::Locals);
    QStandardItem* Locals = FStructure->Model->itemFromIndex(LocalsIndex);
    const TProc* Proc = FCurrentLocation ? FCurrentLocation->Proc : nullptr;
    const bool Stopped = IsConnected() && FPaused && FCurrentLocation;
    if (Stopped && Locals && Proc == FLocalsProc)
        return;
    const QModelIndex Selected = SelectedNode();
    const TEntity* Remembered = Below(Selected, LocalsIndex) ? NodeEntity(Selected) : nullptr;
    if (Locals)
        Locals->removeRows(0, Locals->rowCount());
    FLocals.clear();
    FLocalsProc = nullptr;
    if (!Stopped || !Locals)
        return;
    FLocalsProc = Proc;
    const TEntity* Procedure = Proc ? ProcedureEntityOf(*Proc) : nullptr;
    if (!Procedure)
        return;
    const TNodeBuilder Builder(FHost.DebuggingOptions(), FMap->Kind);
    for (const auto& Child : Procedure->Children) {
        FLocals.push_back(Child.get());
        Builder.AddNode(*Locals, *Child);
    }
    if (!Remembered)
        return;
    std::vector<QModelIndex> Nodes;
    CollectNodes(*FStructure->Model, LocalsIndex, Nodes);
    for (const QModelIndex& Node : Nodes)
        if (NodeEntity(Node) == Remembered) {
            SelectNode(Node);
            break;
        }
}

void TDebugger::ForgetStructureRecords() {
    FLocals.clear();
    FLocalsProc = nullptr;
    FDeclarationHistory.clear();
    FCaretProcOffset = nullptr;
}

// ---- Finding and jumping ------------------------------------------------------------------------

void TDebugger::FindDeclaration(const std::string& Name, bool Back) {
    if (!Name.empty() && !Back && !MapLoaded())
        LoadMapFile(FHost.MapFileName());
    if (FStructure->Model->rowCount() == 0)
        return;
    std::string Word;
    if (!Back) {
        Word = Name;
        if (Word.empty())
            if (const TSourceEditor* Editor = FHost.ActiveSourceEditor())
                Word = Editor->IdentifierAtCaret();
    }
    if (Word.empty()) {
        StepBackDeclaration();
        return;
    }
    if (!BeginsIdentifier(Word.front()))
        return;
    Word = NormaliseIdentifier(Word, FMap->Kind);
    // Repeating the command on the same word goes on to its next node.
    const QModelIndex Selected = SelectedNode();
    const bool Repeat = Selected.isValid() && Name.empty() && Word == FLastSearchedWord;
    const QModelIndex Found = FindNodeText(Word, Repeat ? Selected : QModelIndex());
    if (!Found.isValid())
        return;
    SelectNode(Found);
    FHost.ActivateDebuggingTab(TDebuggingTab::Structure);
    if (const TEntity* Entity = NodeEntity(Found); Entity && Entity->Kind == ProcedureKind)
        JumpToSelectedProcedure(true);
    FLastSearchedWord = Word;
}

void TDebugger::StepBackDeclaration() {
    if (FDeclarationHistory.size() >= 2) {
        FDeclarationHistory.pop_back();
        ShowLocation(*FDeclarationHistory.back(), true);
        return;
    }
    FDeclarationHistory.clear();
    // Nothing remembered: there is nowhere to go back to.
    if (FDeclarationFile.empty())
        return;
    TProcOffset Origin;
    Origin.SourceName = FDeclarationFile;
    Origin.LineNumber = FDeclarationLine;
    ShowLocation(Origin, true);
}

void TDebugger::JumpToSelectedProcedure(bool Focus) {
    const TEntity* Procedure = SelectedProcedureEntity();
    const TProcOffset* Start = Procedure ? ProcedureStart(*Procedure) : nullptr;
    if (!Start)
        return;
    if (FDeclarationHistory.empty()) {
        const TSourceEditor* Editor = FHost.ActiveSourceEditor();
        FDeclarationFile = Editor ? Editor->SourceFileName() : std::string();
        FDeclarationLine = Editor ? Editor->CaretLine() : 0;
    }
    FDeclarationHistory.push_back(Start);
    ShowLocation(*Start, Focus);
}

void TDebugger::SelectProcedureAtCaret() {
    if (FStructure->Model->rowCount() == 0)
        return;
    if (const TEntity* Selected = NodeEntity(SelectedNode());
        Selected && Selected->Kind != ProcedureKind)
        return;
    const TSourceEditor* Editor = FHost.ActiveSourceEditor();
    if (!Editor)
        return;
    const TLine* Line = LocateProcOffset(Editor->SourceFileName(), Editor->CaretLine());
    const TProcOffset* Here =
        Line ? FindProcOffset(Line->SegmentName, Line->ProcNumber, Line->Offset) : nullptr;
    if (!Here || Here == FCaretProcOffset)
        return;
    FCaretProcOffset = Here;
    if (Here->Proc && !Here->Proc->Name.empty())
        if (const QModelIndex Found =
                FindNodeText(NormaliseIdentifier(Here->Proc->Name, FMap->Kind), {});
            Found.isValid())
            SelectNode(Found);
}

bool TDebugger::NodeNamed(const QModelIndex& Node, const std::string& Word) const {
    const std::string Text = LowerCase1252(FromQString(Node.data().toString()));
    if (Text == Word)
        return true;
    // A caption may carry the entity's type or unit after its name; the name still counts.
    const TEntity* Entity = NodeEntity(Node);
    return Entity && Text.starts_with(Entity->LowerName) &&
           NormaliseIdentifier(Entity->Name, FMap->Kind) == Word;
}

QModelIndex TDebugger::FindNodeText(const std::string& Word, const QModelIndex& Start) const {
    std::vector<QModelIndex> Nodes;
    CollectNodes(*FStructure->Model, {}, Nodes);
    if (Nodes.empty())
        return {};
    const auto At = std::find(Nodes.begin(), Nodes.end(), Start);
    const std::size_t First = At == Nodes.end() ? 0 : std::size_t(At - Nodes.begin());
    for (std::size_t Step = 1; Step < Nodes.size(); ++Step) {
        const QModelIndex& Node = Nodes[(First + Step) % Nodes.size()];
        if (NodeNamed(Node, Word))
            return Node;
    }
    return {};
}

// ---- The details panel and the Structure menu's queries -------------------------------------

void TDebugger::ShowVariableDetails(TEntity& Entity) {
    RunCommand([&] {
        TVariableDetails Details;
        Details.Name = Entity.FullName;
        Details.Type = TypeDescription(Entity, false, FMap->Kind);
        const TLocationDescription Location = LocationDescription(Entity);
        Details.LocationIntro = Location.ClassWord + ":";
        Details.Location = Location.Detail;
        if (!IsConnected() || !FPaused)
            Details.Address = std::string(UnknownAddress);
        else {
            // An address stays where it is: the module is asked once.
            if (Entity.AddressText.empty())
                Entity.AddressText = ValueText(
                    Entity, FHost.DebuggingOptions().AddressesInHex ? vmHexAddress : vmAddress);
            Details.Address = Entity.AddressText;
        }
        FHost.ShowVariableDetails(Details);
    });
}

const TEntity* TDebugger::SelectedProcedureEntity() const {
    const QModelIndex Selected = SelectedNode();
    for (const QModelIndex& Node : {Selected, Selected.parent()})
        if (const TEntity* Entity = NodeEntity(Node); Entity && Entity->Kind == ProcedureKind)
            return ProcedureStart(*Entity) ? Entity : nullptr;
    return nullptr;
}

const TEntity* TDebugger::SelectedWatchableEntity() const {
    if (!IsConnected() || !FPaused)
        return nullptr;
    const TEntity* Entity = NodeEntity(SelectedNode());
    // A file's or table's own value is its current record or row.
    if (Entity && Entity->Companion)
        Entity = Entity->Companion;
    return Entity && CanRunUntilChanged(*Entity) ? Entity : nullptr;
}

int TDebugger::StructureNodeWatchKind(const QModelIndex& Node) const {
    if (!Node.isValid())
        return 0;
    if (const TEntity* Entity = NodeEntity(Node))
        return Entity->Children.empty() ? 1 : 2;
    switch (NodeKind(Node)) {
    case TStructureNodeKind::Locals:
    case TStructureNodeKind::Globals:
    case TStructureNodeKind::Tables:
    case TStructureNodeKind::Database:
        return 2;
    default:
        return 0;
    }
}

// ---- Nodes ------------------------------------------------------------------------------------

const TEntity* TDebugger::NodeEntity(const QModelIndex& Node) {
    return Node.isValid()
               ? reinterpret_cast<const TEntity*>(Node.data(DebugObjectRole).value<quintptr>())
               : nullptr;
}

TStructureNodeKind TDebugger::NodeKind(const QModelIndex& Node) {
    return Node.isValid() ? static_cast<TStructureNodeKind>(Node.data(DebugNodeKindRole).toInt())
                          : TStructureNodeKind::Entity;
}

std::vector<TEntity*> TDebugger::CategoryEntities(TStructureNodeKind Kind) const {
    switch (Kind) {
    case TStructureNodeKind::Locals:
        return FLocals;
    case TStructureNodeKind::Globals:
        return FMap->Globals;
    case TStructureNodeKind::Tables:
        return FMap->Tables;
    case TStructureNodeKind::Database:
        return FMap->Containers;
    default:
        return {};
    }
}

QModelIndex TDebugger::CategoryNode(TStructureNodeKind Kind) const {
    const QStandardItemModel& Model = *FStructure->Model;
    for (int Row = 0; Row < Model.rowCount(); ++Row)
        if (const QModelIndex Node = Model.index(Row, 0); NodeKind(Node) == Kind)
            return Node;
    return {};
}

QModelIndex TDebugger::SelectedNode() const {
    const QModelIndex Current = FStructure->Selection->currentIndex();
    return Current.isValid() && FStructure->Selection->isSelected(Current) ? Current
                                                                           : QModelIndex();
}

void TDebugger::SelectNode(const QModelIndex& Node) {
    FStructure->Selection->setCurrentIndex(Node, QItemSelectionModel::ClearAndSelect);
}

// A procedure's entity has the procedure's number as its map number, under the unit named as
// its segment.
const TEntity* TDebugger::ProcedureEntityOf(const TProc& Proc) const {
    for (const TEntity* Procedure : FMap->Procedures)
        if (Procedure->MapNumber == Proc.Number)
            if (const TEntity* Unit = NearestOwner(*Procedure, UnitKind);
                Unit && SameText1252(Unit->Name, TrimBlanks(Proc.SegmentName)))
                return Procedure;
    return nullptr;
}

const TProcOffset* TDebugger::ProcedureStart(const TEntity& Procedure) const {
    const TEntity* Unit = NearestOwner(Procedure, UnitKind);
    return Unit ? FindProcOffset(Unit->Name, Procedure.MapNumber, -1) : nullptr;
}

} // namespace korvid
