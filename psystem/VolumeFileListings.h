#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TVolume;
class TDefsList;

// What the volume-file reader hands on, unchanged, to the definitions listing.
struct TDefsArguments {
    void* Context = nullptr;   // the listing's own argument
    TDefsList* List = nullptr; // filled by the listing when given
};

// Loads the whole file into Buffer; false when the read failed.
using TWholeFileLoader = std::function<bool(std::string& Buffer)>;

// Code, definitions and screen files are listed by later parts of the program, which install
// their listings here. A kind without a listing reads as a short "not supported yet" text.
struct TVolumeFileListings {
    // Title is "<VOLNAME>:<FILENAME>"; the listing is added to Lines.
    std::function<void(const std::string& Title, std::vector<std::string>& Lines,
                       const TWholeFileLoader& Load)>
        Code;
    // Reads the names file FileName of Volume into Names (one line per record).
    std::function<void(TVolume& Volume, std::string_view FileName, std::vector<std::string>& Names)>
        DefsNames;
    // Mode 0 listing, 1 Pascal unit, 2 JSON defs; Start and Length place the file in the
    // volume file.
    std::function<void(TVolume& Volume, std::vector<std::string>& Lines,
                       const TDefsArguments& Arguments, const std::string& UnitName, int Mode,
                       std::int64_t Start, std::int64_t Length,
                       const std::vector<std::string>& Names)>
        Defs;
    std::function<void(TVolume& Volume, std::string_view Name, std::int64_t Start,
                       std::int64_t Length, std::vector<std::string>& Lines)>
        Screen;
};

// Installs Listings and answers the ones they replace.
TVolumeFileListings SetVolumeFileListings(TVolumeFileListings Listings);
const TVolumeFileListings& VolumeFileListings();

} // namespace korvid
