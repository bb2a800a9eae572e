#pragma once

#include "editor/engine/EngCommandProcessor.h"
#include "editor/engine/EngTimerPool.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvid {

// Identifies a control of the form without knowing its widget type.
using TEngControlHandle = const void*;

// What the engine controls of one form share: the key-to-command processor, one insert mode
// for all editors, the timer pool and form-wide events.
class TEngController {
public:
    static constexpr int DefaultEpoch = 1900;
    static constexpr std::string_view Version = "2.13.00";

    TEngController();
    TEngController(const TEngController&) = delete;
    TEngController& operator=(const TEngController&) = delete;

    TEngCommandProcessor& EntryCommands() { return FEntryCommands; }
    TEngTimerPool& TimerPool() { return FTimerPool; }

    int Epoch() const { return FEpoch; }
    // Only years 1600 to 3999 are taken.
    void SetEpoch(int Value);

    bool InsertMode = true; // shared by every editor of the form
    // Consulted when a click activates an editor that has no focus.
    bool EatActivatingClick = false;

    TEngControlHandle BtnCancel = nullptr;
    TEngControlHandle BtnHelp = nullptr;
    TEngControlHandle BtnRestore = nullptr;

    std::function<void(TEngController&, std::uint16_t ErrorCode, const std::string& ErrorMsg)>
        OnError;
    std::function<void(TEngController&, std::uint16_t NotifyCode)> OnDelayNotify;
    std::function<void(TEngController&, TEngControlHandle Control, bool& Special)>
        OnIsSpecialControl;
    std::function<void(TEngController&, TEngControlHandle GainingControl)> OnPostEdit;
    std::function<void(TEngController&, TEngControlHandle LosingControl)> OnPreEdit;
    // Fired for every trigger of the pool that fires.
    TEngTimerEvent OnTimerTrigger;

    bool IsSpecialControl(TEngControlHandle Control);
    // A control of the form is going away: forget it.
    void ControlRemoved(TEngControlHandle Control);

private:
    TEngCommandProcessor FEntryCommands;
    TEngTimerPool FTimerPool;
    int FEpoch = DefaultEpoch;
};

} // namespace korvid
