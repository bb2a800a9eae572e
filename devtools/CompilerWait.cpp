#include "devtools/CompilerWait.h"

#include "devtools/CompilerHost.h"
#include "devtools/CompilerMessages.h"

#include <QApplication>

namespace korvid {

TCompilerWait::TCompilerWait(TCompilerHost& Host) : FHost(Host) {}

TCompilerWait::~TCompilerWait() {
    if (FShowing)
        FHost.ShowCompileStatus({});
}

TAnswerWait TCompilerWait::Wait() {
    return {std::chrono::milliseconds(0), [this](auto Silent) { return KeepWaiting(Silent); }};
}

bool TCompilerWait::KeepWaiting(std::chrono::milliseconds Silent) {
    if (!FShowing && Silent >= StatusDelay) {
        FShowing = true;
        FHost.ShowCompileStatus(WaitingForCompilerStatus());
    }
    QApplication::processEvents();
    return !FStopRequested && !FEscape.Escaped();
}

} // namespace korvid
