#include "platform/Colors.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace korvid {

namespace {

struct TRoleOf {
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// Each system colour index and the palette role that plays its part here.
TRoleOf RoleOfSystemColor(std::uint32_t Index) {
    using P = QPalette;
    switch (Index) {
    case COLOR_WINDOW:
        return {P::Active, P::Base};
    case COLOR_WINDOWTEXT:
        return {P::Active, P::Text};
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT:
    case COLOR_ACTIVECAPTION:
    case COLOR_GRADIENTACTIVECAPTION:
        return {P::Active, P::Highlight};
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_CAPTIONTEXT:
        return {P::Active, P::HighlightedText};
    case COLOR_INACTIVECAPTION:
    case COLOR_GRADIENTINACTIVECAPTION:
        return {P::Inactive, P::Highlight};
    case COLOR_INACTIVECAPTIONTEXT:
        return {P::Inactive, P::HighlightedText};
    case COLOR_MENU:
    case COLOR_MENUBAR:
    case COLOR_BTNFACE:
    case COLOR_SCROLLBAR:
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER:
    case COLOR_BACKGROUND:
    case COLOR_APPWORKSPACE:
        return {P::Active, P::Window};
    case COLOR_MENUTEXT:
    case COLOR_BTNTEXT:
        return {P::Active, P::ButtonText};
    case COLOR_WINDOWFRAME:
    case COLOR_3DDKSHADOW:
        return {P::Active, P::Shadow};
    case COLOR_BTNSHADOW:
        return {P::Active, P::Dark};
    case COLOR_GRAYTEXT:
        return {P::Disabled, P::Text};
    case COLOR_BTNHIGHLIGHT:
        return {P::Active, P::Light};
    case COLOR_3DLIGHT:
        return {P::Active, P::Midlight};
    case COLOR_INFOTEXT:
        return {P::Active, P::ToolTipText};
    case COLOR_INFOBK:
        return {P::Active, P::ToolTipBase};
    case COLOR_HOTLIGHT:
        return {P::Active, P::Link};
    default:
        return {P::Active, P::WindowText};
    }
}

} // namespace

QColor ColorToQColor(TColor Color, const QPalette& Palette) {
    if (IsSystemColor(Color)) {
        const TRoleOf Role = RoleOfSystemColor(Color & 0xFF);
        return Palette.color(Role.Group, Role.Role);
    }
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

QColor ColorToQColor(TColor Color) {
    return ColorToQColor(Color, QGuiApplication::palette());
}

TColor QColorToColor(const QColor& Color) {
    return RGB(static_cast<std::uint8_t>(Color.red()), static_cast<std::uint8_t>(Color.green()),
               static_cast<std::uint8_t>(Color.blue()));
}

} // namespace korvid
