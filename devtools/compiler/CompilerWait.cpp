#include "devtools/compiler/CompilerWait.h"

#include "devtools/compiler/CompilerHost.h"
#include "devtools/compiler/CompilerMessages.h"

#include <QApplication>

namespace korvid {

TCompilerWait::TCompilerWait(TCompilerHost& Host) : FHost(Host) {}

TCompilerWait::~TCompilerWait() {
    Ended();
}

TAnswerWait TCompilerWait::Wait() {
    return {std::chrono::milliseconds(0), [this](auto Silent) { return KeepWaiting(Silent); },
            [this] { Ended(); }};
}

void TCompilerWait::Ended() {
    if (!FShowing)
        return;
    FShowing = false;
    FHost.ShowCompileStatus({});
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
