#pragma once

#include "devtools/vbat/VBat.h"

#include <string>

class QWidget;

namespace korvid {

class TWaitService;
class TWindowHost;
class TWindowKeys;

// What a VBat run needs of the window besides TWindowHost.
class TVBatRunsHost {
public:
    virtual ~TVBatRunsHost() = default;

    virtual QWidget* CurrentTab() const = 0;
};

// VBat scripts run from the main window: the options give the p-System settings, the status bar
// shows the run, and closing the window while a run waits cancels it first.
class TVBatRuns {
public:
    TVBatRuns(TWindowHost& Window, TVBatRunsHost& Host) : FWindow(Window), FHost(Host) {}
    TVBatRuns(const TVBatRuns&) = delete;
    TVBatRuns& operator=(const TVBatRuns&) = delete;

    // Runs Script for Source (both empty names for a script run on itself) with the p-System
    // options; true when every command succeeded.
    bool Run(const std::string& Script, const std::string& Source, const std::string& PSystemName,
             bool Wait, bool Override, TVBatReporter& Reporter);
    // A run is under way (it waits for the p-System window).
    bool Running() const;
    // The running script's tab, which stays open until its run has returned.
    bool HoldsTab(const QWidget* Tab) const { return Running() && Tab == FTab; }
    static bool IsVBatScript(const std::string& FileName);

    // The desktop the runs type into and their waits; tests give their own.
    TWindowKeys* Keys = nullptr;
    TWaitService* Waits = nullptr;

private:
    TWindowHost& FWindow;
    TVBatRunsHost& FHost;
    QWidget* FTab = nullptr;
    TVBatValues FInputs;
};

} // namespace korvid
