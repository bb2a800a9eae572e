#pragma once

#include <array>
#include <string_view>

namespace korvid {

// Each settings key under its two paths: index 0 the legacy path, index 1 the current one.
// These pairs are the only place the paths are spelled.
using TSettingsKeyPair = std::array<std::string_view, 2>;

inline constexpr int LegacyKeyIndex = 0;
inline constexpr int CurrentKeyIndex = 1;

extern const TSettingsKeyPair RootKeys;
extern const TSettingsKeyPair FilerKeys;
extern const TSettingsKeyPair HistoryKeys;
extern const TSettingsKeyPair BrowseVolumeKeys;
extern const TSettingsKeyPair ToolbarsKeys;
extern const TSettingsKeyPair ViewsKeys;
extern const TSettingsKeyPair OptionsKeys;
extern const TSettingsKeyPair SortKeys;
extern const TSettingsKeyPair KeyboardKeys;

// The single-instance hand-over key; it has no legacy twin.
extern const std::string_view InternalKey;

} // namespace korvid
