#pragma once

#include "platform/KorvidError.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace korvid {

// Raised by the string-table reader itself.
class EStringResourceError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// Ids of the engine strings that the engine raises or shows.
namespace EngineStringId {
inline constexpr std::uint16_t FirstCommandName = 33768; // in command-code order
inline constexpr std::uint16_t UnknownError = 34168;
inline constexpr std::uint16_t DuplicateCommand = 34169;
inline constexpr std::uint16_t TableNotFound = 34170;
inline constexpr std::uint16_t NotImplemented = 34171;
inline constexpr std::uint16_t NoController = 34172;
inline constexpr std::uint16_t CannotCreateTable = 34173;
inline constexpr std::uint16_t CannotDeleteTable = 34174;
inline constexpr std::uint16_t InvalidKeySequence = 34175;
inline constexpr std::uint16_t NotWordStarKeys = 34176;
inline constexpr std::uint16_t NoCommandSelected = 34177;
inline constexpr std::uint16_t RegionTooLarge = 34186;
inline constexpr std::uint16_t NoTimers = 34189;
inline constexpr std::uint16_t OutOfMemory = 34197;
inline constexpr std::uint16_t TooManyParas = 34198;
inline constexpr std::uint16_t CannotJoin = 34199;
inline constexpr std::uint16_t TextTooLarge = 34200;
inline constexpr std::uint16_t ParaTooLong = 34201;
inline constexpr std::uint16_t InvalidLineOrPara = 34213;
inline constexpr std::uint16_t InvalidFixedFont = 34214;
inline constexpr std::uint16_t InvalidFontParam = 34215;
inline constexpr std::uint16_t InvalidLineOrCol = 34216;
inline constexpr std::uint16_t DefaultTableName = 34275;
inline constexpr std::uint16_t WordStarTableName = 34276;
inline constexpr std::uint16_t GridTableName = 34284;
} // namespace EngineStringId

// The built-in string tables. A table is a run of records, each a 16-bit little-endian id, the
// text and a NUL; an empty text or the end of the data ends it.
std::optional<std::span<const std::byte>> FindStringTable(std::string_view Name);
inline constexpr std::string_view EngineStringsTableName = "ENGINE_STRINGS_ENGLISH";
inline constexpr std::string_view StrResStringsTableName = "STRRES_STRINGS";

// Reads one string table and keeps the texts it has looked up in a small cache.
class TStringResource {
public:
    static constexpr int DefaultCacheLimit = 50;

    // Opens the built-in table BaseName + Suffix, or BaseName alone; an empty BaseName opens
    // nothing (every look-up is then empty).
    TStringResource(std::string_view BaseName, std::string_view Suffix);
    // Reads a table handed over as bytes (which must outlive the object).
    explicit TStringResource(std::span<const std::byte> Data);

    std::string GetString(std::uint16_t Id);

    bool ReportMissingStrings = false;
    int CacheLimit() const { return FCacheLimit; }
    int CacheCount() const { return static_cast<int>(FCache.size()); }
    bool IsCached(std::uint16_t Id) const;

private:
    std::optional<std::string> Search(std::uint16_t Id) const;
    void AddToCache(std::uint16_t Id, const std::string& Text);

    int FCacheLimit = DefaultCacheLimit;
    std::deque<std::pair<std::uint16_t, std::string>> FCache; // oldest first
    std::span<const std::byte> FData;
};

// The text of an engine string (empty when the table lacks it).
std::string GetEngineString(std::uint16_t Id);
// The table reader's own messages (ids 1 to 4).
std::string GetStrResString(std::uint16_t Id);

} // namespace korvid
