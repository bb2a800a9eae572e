#pragma once

#include "platform/VirtualKeyCodes.h"

#include <Qt>

namespace korvid {

// The virtual key of a Qt key code for the keys whose virtual key does not depend on the
// keyboard layout: editing and movement keys, letters, digits, function keys and the keypad
// (Keypad set); 0 for every other key.
int QtKeyToVirtualKey(int QtKey, bool Keypad = false);

// The modifier set of Qt's keyboard modifiers.
TModifiers ModifiersOfQt(Qt::KeyboardModifiers Modifiers);

} // namespace korvid
