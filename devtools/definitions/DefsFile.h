#pragma once

#include "foundation/UtilitiesUnit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// A Vosk application's database definitions: up to 21 files (record types) of up to 60 user
// fields, one system field and 5 keys, kept in a volume as "<NAME>.DEFS" beside the long field
// names in "<NAME>.NAME".

inline constexpr int DefsFileCount = 21;
inline constexpr int DefsFieldCount = 61; // field 0 is the system field
inline constexpr int DefsKeyCount = 5;
inline constexpr int DefsKeyParts = 3;
inline constexpr int DefsRecordSize = 1182;
inline constexpr int DefsNamesRecordSize = 4026;
// The serialised image always has room for one record more than the files.
inline constexpr int DefsImageSize = (DefsFileCount + 1) * DefsRecordSize;
// The size words are signed: a layout must fit in them.
inline constexpr int MaxDefsLayoutWords = 32767;

// Byte offsets in a file record, and in its key and field records.
inline constexpr std::size_t DefsRecordSizeOffset = 10;
inline constexpr std::size_t DefsDataSizeOffset = 12;
inline constexpr std::size_t DefsKeysOffset = 14;
inline constexpr std::size_t DefsKeySize = 14;
inline constexpr std::size_t DefsFieldsOffset = 84;
inline constexpr std::size_t DefsFieldSize = 18;
inline constexpr std::size_t DefsFieldNameOffset = 2;
inline constexpr std::size_t DefsFieldBaseOffset = 12;
inline constexpr std::size_t DefsFieldShapeOffset = 14;
inline constexpr std::size_t DefsFieldRefsOffset = 16;
inline constexpr std::size_t DefsNameLength = 9;
inline constexpr std::size_t DefsLongNameLength = 65;

enum TDefsFieldType : std::uint8_t {
    dfNone = 0,
    dfString = 1,
    dfRefString = 2,
    dfInteger = 3,
    dfNumber = 4,
    dfOldDate = 5,
    dfMap = 6,
    dfAttach = 7,
    dfChain = 8,
    dfChoice = 9,
    dfTotalNumber = 10,
    dfTitle = 11,
    dfSet = 12,
    dfDate = 13,
    dfCalculatedNumber = 14,
    dfSystemNumber = 15,
};

// The type's name in every text form ("none" to "systemNumber").
std::string_view DefsTypeName(int FieldType);
// The key-part kind word: "none", "name" ... "calculated"; kinds past 12 as their number.
std::string DefsKindName(int Kind);
// The flag bit's meaning: "comma" on the number types, "reverse" on attach, else "flagged".
bool FlagMeansComma(int FieldType);

class TDefsFile;

class TDefsField {
public:
    TDefsField(TDefsFile* Owner, int Index, std::string Name);

    TDefsFile* Owner = nullptr;
    std::string Name;
    std::uint8_t Index = 0;
    int Base = 0;
    std::uint8_t FieldType = dfNone;
    int Capacity = 0;
    int Scale = 0;
    int Elements = 0;
    bool Forced = false;
    bool Flag = false;
    std::uint8_t FileRef = 0;
    std::uint8_t FieldRef = 0;
    std::uint8_t SecondRef = 0;
    std::uint8_t ThirdRef = 0;
};

class TDefsKey {
public:
    TDefsKey(TDefsFile* Owner, int Number);

    TDefsFile* Owner = nullptr;
    int Number = 1; // 1 to 5
    std::array<std::uint8_t, DefsKeyParts> PartField{};
    std::array<int, DefsKeyParts> PartCapacity{};
    std::array<std::uint8_t, DefsKeyParts> PartKind{};
    bool Duplicates = false;
};

class TDefsFile {
public:
    // Five empty keys and 61 fields named "(field 0)" to "(field 60)".
    TDefsFile(std::string Name, int Index);
    TDefsFile(const TDefsFile&) = delete;
    TDefsFile& operator=(const TDefsFile&) = delete;

    TDefsField& Field(int J) const { return *Fields.at(static_cast<std::size_t>(J)); }
    // Key K, 1 to 5.
    TDefsKey& Key(int K) const { return *Keys.at(static_cast<std::size_t>(K - 1)); }
    void SetField(int J, std::unique_ptr<TDefsField> Field);

    std::string Name;
    std::uint8_t Index = 0;
    int RecordSize = 0; // in 16-bit words
    int DataSize = 0;
    std::array<std::unique_ptr<TDefsKey>, DefsKeyCount> Keys;
    std::array<std::unique_ptr<TDefsField>, DefsFieldCount> Fields;
};

// Exactly 21 files, "(file 0)" to "(file 20)" until loaded.
class TDefsList : public TDeepList<TDefsFile> {
public:
    TDefsList();
    TDefsFile& File(int I) const { return *(*this)[I]; }
    // Back to the 21 placeholder files (Path stays).
    void Reset();

    std::string Path; // "volume>subvolume:file"
};

std::string PlaceholderFileName(int Index);
std::string PlaceholderFieldName(int Index);

// The words one element of a field takes (a set: the whole field).
int DefsElementWords(int FieldType, int Capacity, int Elements);
// Bases of fields 1 to 60, field 0 and both sizes from the field types.
void ComputeRecordLayout(TDefsFile& File);

struct TDefsVolumePath {
    std::string Volume;
    std::string Subvolume;
    std::string FileName;
};
// False, after the message titled "Defs Editor", when Path names no file of a volume.
bool SplitVolumePath(std::string_view Path, TDefsVolumePath& Parts);

// The definitions base name of a file: "CGEN.DEFS" gives "NOM4", "CUSTOMER" gives "USTOMER".
std::string MapDefsName(std::string_view FileName);

// The .DEFS image: 26004 zeroed bytes with the stored part at the front; Size is its length.
std::string SerialiseDefs(const TDefsList& List, int& Size);
// Empty, or why List cannot be stored: a file whose layout does not fit the size words.
std::string DefsLayoutProblem(const TDefsList& List);

// Both answer false after showing why, titled "Defs Editor"; a failed load leaves the 21
// placeholder files.
bool LoadDefsFromVolume(TDefsList& List, std::string_view Path);
bool SaveDefsToVolume(const TDefsList& List);

} // namespace korvid
