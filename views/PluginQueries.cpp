#include "views/PluginQueries.h"

#include "plugin/ColouringPlugin.h"
#include "views/PluginModule.h"

namespace korvid {

namespace {

void AddElement(void* Data, std::int32_t ElementId, const char* Name) {
    static_cast<std::vector<TPluginElement>*>(Data)->push_back(
        {ElementId, Name != nullptr ? Name : ""});
}

void AddColour(void* Data, std::uint32_t Colour, TKorvidBool Bold, TKorvidBool Italic) {
    static_cast<std::vector<TPluginColour>*>(Data)->push_back(
        {static_cast<TColor>(Colour), Bold != 0, Italic != 0});
}

} // namespace

std::vector<TPluginElement> EnumPluginElements(const std::filesystem::path& FileName) {
    std::vector<TPluginElement> Elements;
    const auto Module = TPluginModule::Load(FileName);
    if (Module == nullptr || !QueryColouringDLL(Module.get(), {}, KorvidFeatureChunks))
        return Elements;
    if (const auto Enum = Module->Function<TKorvidEnumElements>(KorvidEnumElementsName))
        Enum(&Elements, AddElement);
    return Elements;
}

bool PluginOffersDefaultColours(const std::filesystem::path& FileName) {
    const auto Module = TPluginModule::Load(FileName);
    return Module != nullptr && QueryColouringDLL(Module.get(), {}, KorvidFeatureColours) &&
           Module->Function<TKorvidEnumDefaultColours>(KorvidEnumDefaultColoursName) != nullptr;
}

std::optional<std::vector<TPluginColour>>
EnumPluginDefaultColours(const std::filesystem::path& FileName) {
    const auto Module = TPluginModule::Load(FileName);
    if (Module == nullptr || !QueryColouringDLL(Module.get(), {}, KorvidFeatureColours))
        return std::nullopt;
    const auto Enum = Module->Function<TKorvidEnumDefaultColours>(KorvidEnumDefaultColoursName);
    if (Enum == nullptr)
        return std::nullopt;
    std::vector<TPluginColour> Colours;
    Enum(&Colours, AddColour);
    return Colours;
}

} // namespace korvid
