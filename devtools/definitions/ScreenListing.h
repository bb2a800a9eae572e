#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TVolume;
class TDefsList;

// A Vosk application's screens, kept in a volume as "<NAME>.SCRN" beside "<NAME>.DEFS": one
// fixed-size record per screen, listed read-only as text.
inline constexpr int ScreenRecordSize = 1730;
inline constexpr int ScreenMarkCount = 50;
inline constexpr int ScreenTextCount = 30;
inline constexpr int ScreenColumns = 80;
inline constexpr int ScreenRows = 25;

// "unused" to "flowView"; any other code as "?" and its number.
std::string ScreenKindName(int Code);
// The numbers of the bits set, rising, joined by ",": 9 gives "0,3".
std::string BitNumberList(std::uint16_t Mask);

// Fills List from the definitions file DefsName of Volume; raises the volume's "not found"
// error when there is none.
void LoadScreenDefs(TVolume& Volume, std::string_view DefsName, TDefsList& List);

// Lists the screen file Name, Length bytes at Start of the volume file, into Lines.
void ReadScreenFileText(TVolume& Volume, std::string_view Name, std::int64_t Start,
                        std::int64_t Length, std::vector<std::string>& Lines);

// The listing of screen records already read; the definitions give file and field names.
void ListScreens(std::string_view VolumeName, std::string_view Name,
                 const std::vector<std::string>& Records, const TDefsList& Defs,
                 std::vector<std::string>& Lines);

} // namespace korvid
