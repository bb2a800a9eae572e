#include "editor/engine/EngController.h"

namespace korvid {

TEngController::TEngController() {
    FEntryCommands.CreateDefaultTables();
    FTimerPool.OnAllTriggers = [this](TEngTimerPool& Pool, int Handle, std::uint16_t Interval,
                                      int Elapsed) {
        if (OnTimerTrigger)
            OnTimerTrigger(Pool, Handle, Interval, Elapsed);
    };
}

void TEngController::SetEpoch(int Value) {
    if (Value >= 1600 && Value <= 3999)
        FEpoch = Value;
}

bool TEngController::IsSpecialControl(TEngControlHandle Control) {
    if (Control == nullptr)
        return false;
    if (Control == BtnCancel || Control == BtnHelp || Control == BtnRestore)
        return true;
    bool Special = false;
    if (OnIsSpecialControl)
        OnIsSpecialControl(*this, Control, Special);
    return Special;
}

void TEngController::ControlRemoved(TEngControlHandle Control) {
    for (TEngControlHandle* Button : {&BtnCancel, &BtnHelp, &BtnRestore}) {
        if (*Button == Control)
            *Button = nullptr;
    }
}

} // namespace korvid
