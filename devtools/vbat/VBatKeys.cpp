#include "devtools/vbat/VBatKeys.h"

#include "platform/VirtualKeyCodes.h"

namespace korvid {

namespace {

constexpr int FirstKeyDelay = 500;
constexpr int LaterKeyDelay = 100;

void ToggleCapsLock(TWindowKeys& Keys) {
    Keys.PressKey(VK_CAPITAL);
    Keys.ReleaseKey(VK_CAPITAL);
}

} // namespace

bool SendKeys(TWindowKeys& Keys, TWaitService& Waits, TWindowId Window, std::string_view Text,
              bool Slow) {
    const bool CapsLock = Keys.CapsLockOn();
    if (CapsLock)
        ToggleCapsLock(Keys);
    bool Typed = true;
    bool First = true;
    for (const char C : Text) {
        const auto Key = Keys.KeyOfChar(C);
        if (!Key)
            continue;
        if (!Keys.HasFocus(Window)) {
            Typed = false;
            break;
        }
        if (Key->Shift)
            Keys.PressKey(VK_SHIFT);
        Keys.PressKey(Key->VirtualKey);
        Keys.ReleaseKey(Key->VirtualKey);
        if (Key->Shift)
            Keys.ReleaseKey(VK_SHIFT);
        if (Slow)
            Waits.Wait(First ? FirstKeyDelay : LaterKeyDelay);
        First = false;
    }
    if (CapsLock)
        ToggleCapsLock(Keys);
    return Typed;
}

} // namespace korvid
