#include "workspace/ShortCutSettings.h"

#include "foundation/RegistryEx.h"
#include "workspace/BuiltinTools.h"
#include "workspace/KorvidTool.h"

#include <cstdint>

namespace korvid {

namespace {

constexpr int HighestShortCut = 0xFFFF;

std::uint16_t DefaultShortCutOf(const TKorvidTool& Tool) {
    const bool Builtin = Tool.Index() >= 0 && Tool.Index() < int(BuiltinTools().size());
    return Builtin ? DefaultShortCut(Tool.Index()) : 0;
}

} // namespace

bool LoadShortCuts() {
    TRegistryEx Reg;
    if (!Reg.OpenSettingsKeyForRead(KeyboardKeys))
        return false;
    for (int I = 0; I < ToolList().Count(); ++I) {
        TKorvidTool& Tool = *ToolList().Items(I);
        const int Stored = Reg.ReadIntegerDefault(Tool.Name(), Tool.ShortCut());
        if (Stored >= 0 && Stored <= HighestShortCut)
            Tool.SetShortCut(std::uint16_t(Stored));
    }
    return true;
}

bool SaveShortCuts() {
    // Created when missing, so shortcuts changed in the first session are kept.
    TRegistryEx Reg;
    if (!Reg.OpenSettingsKeyForWrite(KeyboardKeys))
        return false;
    for (int I = 0; I < ToolList().Count(); ++I) {
        const TKorvidTool& Tool = *ToolList().Items(I);
        if (Tool.ShortCut() == DefaultShortCutOf(Tool))
            Reg.DeleteValue(Tool.Name());
        else
            Reg.WriteInteger(Tool.Name(), Tool.ShortCut());
    }
    return true;
}

} // namespace korvid
