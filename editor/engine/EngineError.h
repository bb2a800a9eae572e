#pragma once

namespace korvid {

// Results of the engine's text operations. The editor control turns a non-zero code into its
// error event or an EEditorError carrying the engine message for it.
enum TEngineError : int {
    eeNone = 0,
    eeOutOfMemory = 263,
    eeRegionTooLarge = 264,
    eeTooManyParas = 265,
    eeCannotJoin = 266,
    eeTextTooLarge = 267,
    eeParaTooLong = 268,
};

} // namespace korvid
