#pragma once

#include <string>

namespace korvid {

class TKorvidForm;

// Plays a script of key presses into the program as the window system would deliver them (to
// the widget with the keyboard focus), for tests that drive the program from outside. One step a
// line: "type <text>" types the text, "key <sequence>" presses a key such as "Ctrl+S", "close"
// closes the main window, "write <path>" writes the active document's lines to a file.
void RunKeyScript(TKorvidForm& Form, const std::string& FileName);

// The script named by the environment variable KORVID_KEY_SCRIPT, when it is set.
void RunKeyScriptFromEnvironment(TKorvidForm& Form);

} // namespace korvid
