#pragma once

#include "devtools/vbat/VBat.h"

#include <filesystem>
#include <functional>
#include <string>

namespace korvid {

// What a VBat run takes from the options and the main window.
struct TVBatScriptContext {
    TVBatSettings Settings; // the desktop, the VP volume, the launch command and window title
    std::string UserScript; // "VBat User Script"
    bool WantInput = false; // "VBat Want Input"
    std::filesystem::path KeyLog;
    TVBatValues* SavedInputs = nullptr; // kept by the main window between runs
    // Shows a text in the status bar's compile panel; empty clears it.
    std::function<void(const std::string&)> ShowStatus;
};

// Runs Script for Source (empty, with an empty p-System name, for a script run on itself):
// loads it after the user script and executes it. True when every command succeeded.
bool RunVBatScript(const std::string& Script, const std::string& Source,
                   const std::string& PSystemName, bool Wait, bool Override,
                   TVBatScriptContext& Context, TVBatReporter& Reporter);

} // namespace korvid
