#pragma once

#include "platform/Colors.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvid {

// One syntax element a colouring plug-in tells apart.
struct TPluginElement {
    int Id = 0;
    std::string Name;
    bool operator==(const TPluginElement&) const = default;
};

// One answer of a plug-in's default-colour list.
struct TPluginColour {
    TColor Colour = 0;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TPluginColour&) const = default;
};

// The plug-in's elements in its own order; empty unless it offers elements and chunks. The
// library is loaded for the call only.
std::vector<TPluginElement> EnumPluginElements(const std::filesystem::path& FileName);

// Whether the plug-in offers default colours.
bool PluginOffersDefaultColours(const std::filesystem::path& FileName);
// Its default colours in call order: text, background, selected text, selected background,
// then one per element in the order of its element list. Nothing when it offers none.
std::optional<std::vector<TPluginColour>>
EnumPluginDefaultColours(const std::filesystem::path& FileName);

} // namespace korvid
