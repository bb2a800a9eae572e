#include "workspace/ToolHandlers.h"

namespace korvid {

namespace {

TMainWindowCommands* GMainWindowCommands = nullptr;
TDebuggerCommands* GDebuggerCommands = nullptr;

} // namespace

void SetMainWindowCommands(TMainWindowCommands* Commands) {
    GMainWindowCommands = Commands;
}

void SetDebuggerCommands(TDebuggerCommands* Commands) {
    GDebuggerCommands = Commands;
}

TMainWindowCommands* MainWindowCommands() {
    return GMainWindowCommands;
}

TDebuggerCommands* DebuggerCommands() {
    return GDebuggerCommands;
}

} // namespace korvid
