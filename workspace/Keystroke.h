#pragma once

#include "platform/KeystrokeKind.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TKorvidTool;

// One step of the recorded keystroke macro.
struct TKeystroke {
    std::uint8_t Kind = ksTool;
    TKorvidTool* Tool = nullptr; // the tool of a tool step
    std::uint16_t Code = 0;      // character code; the key data of an editor command
    std::uint16_t Command = 0;   // editor command code; the auto-indent flag of a return
    std::uint16_t Key = 0;       // virtual key of a key step
    std::uint8_t Shift = 0;      // shift set of a key step
    friend bool operator==(const TKeystroke&, const TKeystroke&) = default;
};

using TKeystrokeList = std::vector<std::unique_ptr<TKeystroke>>;

// The one macro of the program.
TKeystrokeList& Keystrokes();

// Appends a step whatever the recording flag says (callers test it); answers its index.
int AddKeystroke(std::uint8_t Kind, TKorvidTool* Tool, std::uint16_t Code, std::uint16_t Command);
// Refused while the macro plays: the player's steps must stay.
void ClearKeystrokes();
// A key step, when recording.
void RecordKey(std::uint16_t Key, std::uint8_t Shift);

// Whether steps are being recorded.
bool IsRecordingKeystrokes();
// Unless already recording or playing, empties the macro and starts recording.
void StartRecordingKeystrokes();
// Stops recording; the steps stay.
void StopRecordingKeystrokes();

// Set for one pass of the player; nothing may replace the steps meanwhile.
bool IsPlayingKeystrokes();
void SetPlayingKeystrokes(bool Playing);

// The tools that record, play, copy and pick macros: never steps themselves, so that a
// recording holds only what the user did between starting and stopping it.
bool IsMacroTool(int ToolIndex);

// One line per step, each ended by CR LF; characters below 32 give no line.
std::string KeystrokesText(const TKeystrokeList& Steps);

// Parses one trimmed line of a keystroke file and appends its step. A bad line shows its
// message (naming LineNumber and FileName) and adds nothing; the answer is whether it was good.
bool ParseKeystroke(std::string_view Line, int LineNumber, std::string_view FileName);

// The set names of a keystroke file's lines, in file order.
std::vector<std::string> KeystrokeSetNames(const std::vector<std::string>& Lines);
// Replaces the macro by the first set named exactly Name; false (the macro kept) when there
// is none.
bool LoadKeystrokeSet(const std::vector<std::string>& Lines, std::string_view Name,
                      std::string_view FileName);

// A report script, by its extension.
bool IsVrepFile(std::string_view FileName);

} // namespace korvid
