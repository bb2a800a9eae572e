#pragma once

#include "devtools/definitions/DefsFile.h"
#include "psystem/VolumeFileListings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TVolume;

// One field record of a .DEFS file as stored.
struct TDefsFieldRecord {
    int FieldType = 0;
    int FileRef = 0;
    int FieldRef = 0;
    bool Forced = false;
    std::string Name;
    int Base = 0; // signed
    int Elements = 0;
    bool Flag = false;
    int Capacity = 0;
    int Scale = 0;
    int SecondRef = 0;
    int ThirdRef = 0;
};

struct TDefsKeyRecord {
    std::int32_t FirstDoubleWord = 0; // the part fields, as stored
    std::array<int, DefsKeyParts> PartField{};
    std::array<int, DefsKeyParts> PartCapacity{};
    std::array<int, DefsKeyParts> PartKind{};
    int DuplicatesWord = 0; // bit 0 set: duplicates allowed
};

// One file record of a .DEFS file as stored.
struct TDefsRecord {
    std::string Name;
    int RecordSizeWord = 0; // signed
    int DataSizeWord = 0;   // signed
    std::array<TDefsFieldRecord, DefsFieldCount> Fields;
    std::array<TDefsKeyRecord, DefsKeyCount> Keys;
};

// Decodes one record; bytes past the end of Bytes read as zero.
TDefsRecord DecodeDefsRecord(std::string_view Bytes);
// The records of a whole .DEFS image: length div 1182, at most 21.
std::vector<TDefsRecord> DecodeDefsImage(std::string_view Bytes);

// The three text forms of the records read. ListDefs fills List when given.
void ListDefs(const std::vector<TDefsRecord>& Records, TDefsList* List,
              std::vector<std::string>& Lines);
// Name is the definitions base name, lower-cased with its first letter upper-cased.
void WriteDefsUnit(const std::vector<TDefsRecord>& Records, const std::string& Name,
                   std::vector<std::string>& Lines);
void WriteDefsJson(const std::vector<TDefsRecord>& Records, const std::string& Name,
                   std::vector<std::string>& Lines);

// One line per 4026-byte record of a .NAME image: its 61 names, trimmed, each followed by "||".
std::vector<std::string> DecodeDefsNames(std::string_view Bytes);

// "APP.DEFS" gives "App".
std::string DefsUnitName(std::string_view FileName);

// The listings the volume-file reader calls for a ".DEFS" file.
void ReadDefsNames(TVolume& Volume, std::string_view FileName, std::vector<std::string>& Names);
// Mode 0 listing, 1 Pascal unit, 2 JSON defs. A record that cannot be read raises
// EVolumeError before anything is listed.
void ReadDefsFileText(TVolume& Volume, std::vector<std::string>& Lines,
                      const TDefsArguments& Arguments, const std::string& Name, int Mode,
                      std::int64_t Position, std::int64_t Size,
                      const std::vector<std::string>& Names);

// Fills the volume-file reader's definitions and screen hooks; the program's start and tests
// call it.
void InstallDefsListings();

} // namespace korvid
