#include "devtools/DebugTexts.h"
#include "devtools/Debugger.h"

#include <QModelIndex>

namespace korvid {

void TDebugger::BuildStructureTree() {}
void TDebugger::RefreshLocals() {}
void TDebugger::FindDeclaration(const std::string&, bool) {}
void TDebugger::JumpToSelectedProcedure(bool) {}
void TDebugger::SelectProcedureAtCaret() {}
void TDebugger::ShowVariableDetails(TEntity&) {}
const TEntity* TDebugger::SelectedProcedureEntity() const {
    return nullptr;
}
const TEntity* TDebugger::SelectedWatchableEntity() const {
    return nullptr;
}
int TDebugger::StructureNodeWatchKind(const QModelIndex&) const {
    return 0;
}
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

} // namespace korvid
