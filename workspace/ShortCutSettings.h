#pragma once

namespace korvid {

// Gives each tool the shortcut stored under its name in the "Keyboard" key (current key, else
// legacy; nothing is created); a tool without a value, or with a value that is no shortcut
// code, keeps its shortcut. False when neither key exists.
bool LoadShortCuts();

// Writes every tool's shortcut that differs from its built-in default to the current
// "Keyboard" key, creating it, and deletes the value of every other tool. False when the key
// cannot be opened.
bool SaveShortCuts();

} // namespace korvid
