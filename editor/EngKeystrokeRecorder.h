#pragma once

#include "platform/KeystrokeKind.h"

#include <cstdint>

namespace korvid {

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
