#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvid {

enum TTextKind : int {
    tkOther = 0,
    tkPascal = 1,
    tkDotCommands = 2,
    tkLorvanta = 3,      // Lorvanta source that IsLorvantaText recognises
    tkOtherLorvanta = 4, // other Lorvanta source
};

// Classifies a text by its first 20 lines. WholeText lets IsLorvantaText look at every line.
int DetectTextKind(std::string_view FileName, const std::vector<std::string>& Lines,
                   bool WholeText);
// Looks at the first 10 lines, or with WholeText at all of them.
bool IsLorvantaText(const std::vector<std::string>& Lines, bool WholeText);

// The Windows extension of a text kind: ".txt", ".vp", ".vr", ".vl2" or ".vl".
std::string TextKindExtension(int Kind);

} // namespace korvid
