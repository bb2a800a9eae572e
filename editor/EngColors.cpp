#include "editor/EngColors.h"

namespace korvid {

TEngColors::TEngColors(TColor DefaultBack, TColor DefaultText)
    : FDefaultBack(DefaultBack), FDefaultText(DefaultText), FBackColor(DefaultBack),
      FTextColor(DefaultText) {}

void TEngColors::Changed() {
    if (OnChange)
        OnChange();
}

void TEngColors::SetBackColor(TColor Value) {
    if (Value == FBackColor)
        return;
    if (Value != FDefaultBack)
        FUseDefault = false;
    FBackColor = Value;
    Changed();
}

void TEngColors::SetTextColor(TColor Value) {
    if (Value == FTextColor)
        return;
    if (Value != FDefaultText)
        FUseDefault = false;
    FTextColor = Value;
    Changed();
}

void TEngColors::SetUseDefault(bool Value) {
    FUseDefault = Value;
    if (!Value)
        return;
    FBackColor = FDefaultBack;
    FTextColor = FDefaultText;
    Changed();
}

void TEngColors::Assign(const TEngColors& Source) {
    SetBackColor(Source.BackColor());
    SetTextColor(Source.TextColor());
}

} // namespace korvid
