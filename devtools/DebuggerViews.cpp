#include "devtools/DebugTexts.h"
#include "devtools/Debugger.h"

#include <QModelIndex>

namespace korvid {

void TDebugger::DumpMemory() {
    EnsureConnected();
}
void TDebugger::RefreshCallStack() {}
void TDebugger::RefreshHeapStack() {}
void TDebugger::WatchStructureNode(const QModelIndex&) {}
void TDebugger::RefreshWatchValues() {}
void TDebugger::ForgetWatchChanges() {}
void TDebugger::RestoreSavedWatches() {}
void TDebugger::DeleteSelectedWatch() {}
void TDebugger::DeleteAllWatches() {}
void TDebugger::ShowEvaluationHint(const std::string&, int, int) {}
void TDebugger::StructureTreeMouseMove(const QModelIndex&, bool, int, int) {}
void TDebugger::HideEvaluationHint() {}
void TDebugger::EvaluationHintTimeout() {}

} // namespace korvid
