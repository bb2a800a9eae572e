#include "foundation/ConstantsUnit.h"

namespace korvid {

const TSettingsKeyPair RootKeys = {"Software\\Tamblow\\Korvid\\2.5", "Software\\Wyx\\Korvid\\2.5"};
const TSettingsKeyPair FilerKeys = {"Software\\Tamblow\\Korvid\\2.5\\Filer",
                                    "Software\\Wyx\\Korvid\\2.5\\Filer"};
const TSettingsKeyPair HistoryKeys = {"Software\\Tamblow\\Korvid\\2.5\\History",
                                      "Software\\Wyx\\Korvid\\2.5\\History"};
const TSettingsKeyPair BrowseVolumeKeys = {"Software\\Tamblow\\Korvid\\2.5\\Browse Volume",
                                           "Software\\Wyx\\Korvid\\2.5\\Browse Volume"};
const TSettingsKeyPair ToolbarsKeys = {"Software\\Tamblow\\Korvid\\2.5\\Toolbars",
                                       "Software\\Wyx\\Korvid\\2.5\\Toolbars"};
const TSettingsKeyPair ViewsKeys = {"Software\\Tamblow\\Korvid\\2.5\\Views",
                                    "Software\\Wyx\\Korvid\\2.5\\Views"};
const TSettingsKeyPair OptionsKeys = {"Software\\Tamblow\\Korvid\\2.5\\Options",
                                      "Software\\Wyx\\Korvid\\2.5\\Options"};
const TSettingsKeyPair SortKeys = {"Software\\Tamblow\\Korvid\\2.5\\Sort",
                                   "Software\\Wyx\\Korvid\\2.5\\Sort"};
const TSettingsKeyPair KeyboardKeys = {"Software\\Tamblow\\Korvid\\2.5\\Keyboard",
                                       "Software\\Wyx\\Korvid\\2.5\\Keyboard"};

const std::string_view InternalKey = "Software\\Wyx\\Korvid\\2.5\\Internal";

} // namespace korvid
