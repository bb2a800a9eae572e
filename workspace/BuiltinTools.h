#pragma once

#include <cstdint>
#include <span>

namespace korvid {

using TToolProcedure = void (*)();

// One row of the built-in tool table.
struct TDef {
    const char* Name;
    // "&" marks the accelerator; text in braces shows only outside the main menu.
    const char* Caption;
    // The shift set in the low byte (bit 0 Shift, bit 1 Alt, bit 2 Ctrl), the virtual key in
    // the upper 16 bits; key 0 means no shortcut.
    std::uint32_t ShortCut;
    int GroupIndex;
    bool AllowAllUp;
    TToolProcedure Procedure; // null for a tool that only drops down a menu
    // Appended to the glyph's resource name for the tool's second picture; empty for none.
    const char* SecondGlyphSuffix;
    const char* Hint;
};

// The 158 rows in index order.
std::span<const TDef> BuiltinTools();

// The virtual key and the shift set of a row's shortcut.
constexpr std::uint16_t DefKey(const TDef& Def) {
    return std::uint16_t(Def.ShortCut >> 16);
}
constexpr std::uint8_t DefShift(const TDef& Def) {
    return std::uint8_t(Def.ShortCut & 0xFF);
}

} // namespace korvid
