#pragma once

#include "platform/KorvidError.h"

namespace korvid {

// Misuse of a control or of the picture lists behind it, reported with a fixed English message.
class EInvalidOperation : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

} // namespace korvid
