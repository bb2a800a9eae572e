#pragma once

#include <cstdint>

namespace korvid {

// Editor command codes. They are a stored format (recorded keystroke files keep them): never
// renumber. 0..75 are the named commands in alphabetical order; the rest are the key
// processor's own answers, the typed-character code and the first user command.
enum TEngCommand : std::uint16_t {
    ccNone = 0,
    ccBack = 1,
    ccBotOfPage = 2,
    ccBotRightCell = 3,
    ccCompleteDate = 4,
    ccCompleteTime = 5,
    ccCopy = 6,
    ccCtrlChar = 7,
    ccCut = 8,
    ccDec = 9,
    ccDel = 10,
    ccDelBol = 11,
    ccDelEol = 12,
    ccDelLine = 13,
    ccDelWord = 14,
    ccDown = 15,
    ccEnd = 16,
    ccExtendDown = 17,
    ccExtendEnd = 18,
    ccExtendHome = 19,
    ccExtendLeft = 20,
    ccExtendPgDn = 21,
    ccExtendPgUp = 22,
    ccExtendRight = 23,
    ccExtendUp = 24,
    ccExtBotOfPage = 25,
    ccExtFirstPage = 26,
    ccExtLastPage = 27,
    ccExtTopOfPage = 28,
    ccExtWordLeft = 29,
    ccExtWordRight = 30,
    ccFirstPage = 31,
    ccGotoMarker0 = 32,
    ccGotoMarker1 = 33,
    ccGotoMarker2 = 34,
    ccGotoMarker3 = 35,
    ccGotoMarker4 = 36,
    ccGotoMarker5 = 37,
    ccGotoMarker6 = 38,
    ccGotoMarker7 = 39,
    ccGotoMarker8 = 40,
    ccGotoMarker9 = 41,
    ccHome = 42,
    ccInc = 43,
    ccIns = 44,
    ccLastPage = 45,
    ccLeft = 46,
    ccNewLine = 47,
    ccNextPage = 48,
    ccPageLeft = 49,
    ccPageRight = 50,
    ccPaste = 51,
    ccPrevPage = 52,
    ccRedo = 53,
    ccRestore = 54,
    ccRight = 55,
    ccScrollDown = 56,
    ccScrollUp = 57,
    ccSetMarker0 = 58,
    ccSetMarker1 = 59,
    ccSetMarker2 = 60,
    ccSetMarker3 = 61,
    ccSetMarker4 = 62,
    ccSetMarker5 = 63,
    ccSetMarker6 = 64,
    ccSetMarker7 = 65,
    ccSetMarker8 = 66,
    ccSetMarker9 = 67,
    ccTab = 68,
    ccTableEdit = 69,
    ccTopLeftCell = 70,
    ccTopOfPage = 71,
    ccUndo = 72,
    ccUp = 73,
    ccWordLeft = 74,
    ccWordRight = 75,
    ccTypedChar = 249,    // a typed character; never produced by a table
    ccNoMatch = 252,      // no command: let the key through as an ordinary key
    ccBadSecondKey = 254, // the second key of a pending sequence matched nothing
    ccSwallowed = 255,    // consumed: the first key of a sequence, or a bare modifier meanwhile
    ccUserFirst = 256,    // this and above go to the editor's OnUserCommand
};

inline constexpr int LastNamedCommand = ccWordRight;

} // namespace korvid
