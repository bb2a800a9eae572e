#pragma once

#include <string>

namespace korvid {

class TKorvidForm;

// Plays a script into the program as a user would, for tests that drive the program from
// outside. One step a line, one step per turn of the event loop, so that steps go on inside a
// modal dialog:
//   type <text>        types the text            key <sequence>   presses a key such as "Ctrl+S"
//   click <caption>    clicks a button           set <caption> => <text|on|off>
//   choose <path>      answers an open or save dialog, or the folder picker
//   write <path>       writes the active document's lines joined by CR LF
//   wait <ms>          waits                     close            closes the main window
// Keys go to the focused widget (in an open dialog, its control), else the active document.
// Captions are compared without their "&" and a trailing ":"; "set" also takes a control's object
// name where it has no label.
// A script started with the window waits until the files named at start are open, or goes on
// inside a dialog that one of them opened.
void RunKeyScript(TKorvidForm& Form, const std::string& FileName);

// The script named by the environment variable KORVID_KEY_SCRIPT, when it is set.
void RunKeyScriptFromEnvironment(TKorvidForm& Form);

} // namespace korvid
