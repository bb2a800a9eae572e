// The exports of the Lorvanta colouring plug-in. Everything else in the library stays hidden.

#include <cstdint>
#include <type_traits>

#include "plugin/ColouringPlugin.h"
#include "plugin/Elements.h"
#include "plugin/Tokeniser.h"

extern "C" [[gnu::visibility("default")]] std::int32_t
Korvid_QueryDLL(std::int32_t Feature) noexcept {
    return Feature == KorvidFeatureChunks || Feature == KorvidFeatureColours ? 1 : 0;
}

extern "C" [[gnu::visibility("default")]] void
Korvid_EnumDefaultColours(void* Data, TKorvidColourProc ColourProc) noexcept {
    if (ColourProc == nullptr)
        return;
    for (const korvid::TDefaultColour& Colour : korvid::DefaultColours)
        ColourProc(Data, Colour.Colour, Colour.Bold ? 1 : 0, Colour.Italic ? 1 : 0);
}

extern "C" [[gnu::visibility("default")]] void
Korvid_EnumElements(void* Data, TKorvidElementProc ElementProc) noexcept {
    if (ElementProc == nullptr)
        return;
    for (const korvid::TElement& Element : korvid::Elements)
        ElementProc(Data, Element.Id, Element.Name);
}

extern "C" [[gnu::visibility("default")]] void
Korvid_EnumChunks(void* Data, const char* Line, std::int32_t LineLength, std::int32_t LineNo,
                  TKorvidChunkProc ChunkProc, TKorvidGetLineProc GetLineProc) noexcept {
    korvid::EnumLineChunks(Data, Line, LineLength, LineNo, ChunkProc, GetLineProc);
}

// The exports must keep the signatures that hosts bind them with.
static_assert(std::is_convertible_v<decltype(&Korvid_QueryDLL), TKorvidQueryDLL>);
static_assert(
    std::is_convertible_v<decltype(&Korvid_EnumDefaultColours), TKorvidEnumDefaultColours>);
static_assert(std::is_convertible_v<decltype(&Korvid_EnumElements), TKorvidEnumElements>);
static_assert(std::is_convertible_v<decltype(&Korvid_EnumChunks), TKorvidEnumChunks>);
