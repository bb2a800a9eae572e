#include "workspace/Keystroke.h"

namespace korvid {

namespace {

bool GRecording = false;

} // namespace

TKeystrokeList& Keystrokes() {
    static TKeystrokeList List;
    return List;
}

int AddKeystroke(std::uint8_t Kind, TKorvidTool* Tool, std::uint16_t Code, std::uint16_t Command) {
    auto Step = std::make_unique<TKeystroke>();
    Step->Kind = Kind;
    Step->Tool = Tool;
    Step->Code = Code;
    Step->Command = Command;
    Keystrokes().push_back(std::move(Step));
    return int(Keystrokes().size()) - 1;
}

void ClearKeystrokes() {
    Keystrokes().clear();
}

bool IsRecordingKeystrokes() {
    return GRecording;
}

void StartRecordingKeystrokes() {
    if (GRecording)
        return;
    ClearKeystrokes();
    GRecording = true;
}

void StopRecordingKeystrokes() {
    GRecording = false;
}

} // namespace korvid
