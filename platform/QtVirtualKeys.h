#pragma once

#include "platform/VirtualKeyCodes.h"

#include <Qt>
#include <cstdint>

class QKeyEvent;

namespace korvid {

// The virtual key of a Qt key code (with Keypad, of a keypad key); 0 when there is none. Keys
// whose meaning depends on the layout map by the character Qt reports.
int QtKeyToVirtualKey(int QtKey, bool Keypad = false);

// The Qt key of a virtual key: the first Qt key that maps to it (keypad keys give the
// characters they type); 0 when there is none.
int VirtualKeyToQtKey(int VirtualKey);
// Qt's keyboard modifiers of a keystroke-step shift set.
Qt::KeyboardModifiers QtModifiersOfStep(std::uint8_t Shift);

// The virtual key of the physical key that an X keyboard scan code names, for the keys whose
// virtual key follows the key's place rather than its character; 0 for other keys.
std::uint16_t VirtualKeyFromScanCode(std::uint32_t NativeScanCode);

// The virtual key of a key press: by physical key where that decides, else by Qt key.
std::uint16_t VirtualKeyFromEvent(const QKeyEvent& Event);

// The keystroke-step shift set (StepShift, StepAlt, StepCtrl) of a key press.
std::uint8_t ShiftStateFromEvent(const QKeyEvent& Event);

// The modifier set of Qt's keyboard modifiers.
TModifiers ModifiersOfQt(Qt::KeyboardModifiers Modifiers);

} // namespace korvid
