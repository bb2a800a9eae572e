#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace korvid {

class TKorvidTool;

// Kinds of macro step.
enum TKeystrokeKind : std::uint8_t {
    ksTool = 0,
    ksChar = 1,
    ksCommand = 2,
    ksReturn = 3,
    ksTab = 4,
    ksKey = 5,
};

// One step of the recorded keystroke macro.
struct TKeystroke {
    std::uint8_t Kind = ksTool;
    TKorvidTool* Tool = nullptr; // the tool of a tool step
    std::uint16_t Code = 0;      // character code; the key data of an editor command
    std::uint16_t Command = 0;   // editor command code; the auto-indent flag of a return
    std::uint16_t Key = 0;       // virtual key of a key step
    std::uint8_t Shift = 0;      // shift set of a key step
};

using TKeystrokeList = std::vector<std::unique_ptr<TKeystroke>>;

// The one macro of the program.
TKeystrokeList& Keystrokes();

// Appends a step whatever the recording flag says (callers test it); answers its index.
int AddKeystroke(std::uint8_t Kind, TKorvidTool* Tool, std::uint16_t Code, std::uint16_t Command);
void ClearKeystrokes();

// Whether steps are being recorded.
bool IsRecordingKeystrokes();
// Unless already recording, empties the macro and starts recording.
void StartRecordingKeystrokes();
// Stops recording; the steps stay.
void StopRecordingKeystrokes();

} // namespace korvid
