#pragma once

#include <cstdint>

class QColor;
class QPalette;

namespace korvid {

// A colour as settings store it: RGB with red in the low byte, or SystemColorFlag plus a
// system colour index.
using TColor = std::uint32_t;

inline constexpr TColor SystemColorFlag = 0x80000000u;

enum TSystemColorIndex : std::uint32_t {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};

constexpr TColor RGB(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return TColor(R) | (TColor(G) << 8) | (TColor(B) << 16);
}
constexpr TColor SystemColor(TSystemColorIndex Index) {
    return SystemColorFlag | Index;
}
constexpr bool IsSystemColor(TColor Color) {
    return (Color & SystemColorFlag) != 0;
}

inline constexpr TColor clBlack = RGB(0, 0, 0);
inline constexpr TColor clMaroon = RGB(0x80, 0, 0);
inline constexpr TColor clGreen = RGB(0, 0x80, 0);
inline constexpr TColor clOlive = RGB(0x80, 0x80, 0);
inline constexpr TColor clNavy = RGB(0, 0, 0x80);
inline constexpr TColor clPurple = RGB(0x80, 0, 0x80);
inline constexpr TColor clTeal = RGB(0, 0x80, 0x80);
inline constexpr TColor clGray = RGB(0x80, 0x80, 0x80);
inline constexpr TColor clSilver = RGB(0xC0, 0xC0, 0xC0);
inline constexpr TColor clRed = RGB(0xFF, 0, 0);
inline constexpr TColor clLime = RGB(0, 0xFF, 0);
inline constexpr TColor clYellow = RGB(0xFF, 0xFF, 0);
inline constexpr TColor clBlue = RGB(0, 0, 0xFF);
inline constexpr TColor clFuchsia = RGB(0xFF, 0, 0xFF);
inline constexpr TColor clAqua = RGB(0, 0xFF, 0xFF);
inline constexpr TColor clWhite = RGB(0xFF, 0xFF, 0xFF);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// The colour to paint with; system colours come from the palette's roles.
QColor ColorToQColor(TColor Color, const QPalette& Palette);
// The same with the application's palette.
QColor ColorToQColor(TColor Color);
// An RGB colour value for a screen colour.
TColor QColorToColor(const QColor& Color);

} // namespace korvid
