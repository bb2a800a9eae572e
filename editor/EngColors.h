#pragma once

#include "platform/Colors.h"

#include <functional>

namespace korvid {

// A pair of text and background colours with the defaults they return to.
class TEngColors {
public:
    TEngColors(TColor DefaultBack, TColor DefaultText);

    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor Value);
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor Value);
    bool UseDefault() const { return FUseDefault; }
    // Turning it on brings both defaults back.
    void SetUseDefault(bool Value);
    TColor DefaultBackColor() const { return FDefaultBack; }
    TColor DefaultTextColor() const { return FDefaultText; }

    void Assign(const TEngColors& Source);

    std::function<void()> OnChange;

private:
    void Changed();

    TColor FDefaultBack;
    TColor FDefaultText;
    TColor FBackColor;
    TColor FTextColor;
    bool FUseDefault = true;
};

} // namespace korvid
