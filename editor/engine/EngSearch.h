#pragma once

#include <cstddef>
#include <cstdint>

namespace korvid {

// Option bits of the editor's search and replace. The find dialog's own "find" bit (0x0001)
// may be set as well; the engine ignores it.
enum TSearchOption : std::uint16_t {
    soFind = 0x0001,
    soBackwards = 0x0002,
    soMatchCase = 0x0004,
    soWholeDocument = 0x0008,
    soReplace = 0x0010,
    soReplaceAll = 0x0020,
    soWholeWords = 0x0040,
    soSelectionOnly = 0x0080,
    soPreserveCase = 0x0100,    // the replacement's first letter takes the case of the replaced
    soAnchorLineStart = 0x0200, // anchor 1: the match starts the paragraph
    soAnchorLineStartBlanks = 0x0800, // anchor 2: only blanks before the match
    soAnchorLineEnd = 0x0400,         // anchor 3: the match ends the paragraph
    soAnchorLineEndBlanks = 0x1000,   // anchor 4: only blanks after the match
    soAnchorWholeLine = 0x2000,       // anchor 5: anchors 1 and 3
    soAnchorWholeLineBlanks = 0x4000, // anchor 6: anchors 2 and 4
};

// Find and replace texts longer than this are cut.
inline constexpr std::size_t MaxSearchTextLength = 255;

// The outcome of a search or replace. The count and the error are kept apart: a replace-all
// that fails part-way reports the replacements made and the error that stopped it (the error
// has also gone to the editor's error routine).
struct TSearchResult {
    bool Found = false;   // a match was found and selected
    int Replacements = 0; // replacements made
    int Error = 0;        // the engine error that ended the operation, or 0
    // Nothing was found and nothing replaced.
    bool Nothing() const { return !Found && Replacements == 0 && Error == 0; }
    friend bool operator==(const TSearchResult&, const TSearchResult&) = default;
};

} // namespace korvid
