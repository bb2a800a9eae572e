#pragma once

#include <cstdint>

namespace korvid {

// Kinds of recorded steps that the editor produces.
enum TKeystrokeKind : std::uint8_t {
    ksTool = 0,
    ksCharacter = 1,
    ksCommand = 2,
    ksReturn = 3,
    ksTab = 4,
    ksKey = 5
};

// Where the editor reports what it does while keystrokes are recorded; the program supplies
// one, and the editor knows nothing more of it.
class TEngKeystrokeRecorder {
public:
    virtual ~TEngKeystrokeRecorder() = default;
    virtual bool Recording() const = 0;
    virtual void AddKeystroke(TKeystrokeKind Kind, std::uint16_t Data, std::uint16_t Code) = 0;
};

// The program's recorder; none by default.
inline TEngKeystrokeRecorder* KeystrokeRecorder = nullptr;

} // namespace korvid
