#pragma once

#include "editor/engine/EngCommand.h"
#include "editor/engine/EngException.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// One key (or two-key sequence) and its command. Keys are Windows virtual-key codes, modifiers
// the engine's bits (Shift 2, Ctrl 4, Alt 8). Key2 0 marks a single-key record.
struct TEngKeyRecord {
    std::uint8_t Key1 = 0;
    std::uint8_t Shift1 = 0;
    std::uint8_t Key2 = 0;
    std::uint8_t Shift2 = 0;
    std::uint16_t Cmd = ccNone;

    // The four key bytes as one number: Key1 + 256 Shift1 + 65536 Key2 + 16777216 Shift2.
    std::uint32_t KeySequence() const {
        return Key1 | (static_cast<std::uint32_t>(Shift1) << 8) |
               (static_cast<std::uint32_t>(Key2) << 16) |
               (static_cast<std::uint32_t>(Shift2) << 24);
    }
    static TEngKeyRecord FromSequence(std::uint32_t Keys, std::uint16_t Cmd);
    friend bool operator==(const TEngKeyRecord&, const TEngKeyRecord&) = default;
};

// Shift2 value meaning: the second key pressed with no modifier or with Ctrl alone.
inline constexpr std::uint8_t NoneOrCtrl = 0x80;

// Raised when a command-table file holds a line that is not five numbers within their ranges.
class EInvalidCommandTableFile : public ECmdProcessorError {
public:
    EInvalidCommandTableFile(int LineNumber, std::string_view Line);
};

class TEngCommandTable {
public:
    std::string Name = "(Unknown)";
    bool Active = true;

    void Add(const TEngKeyRecord& Record) { FRecords.push_back(Record); }
    void Insert(int Index, const TEngKeyRecord& Record);
    void Replace(int Index, const TEngKeyRecord& Record);
    void Delete(int Index);
    TEngKeyRecord Get(int Index) const { return FRecords.at(static_cast<std::size_t>(Index)); }
    int Count() const { return static_cast<int>(FRecords.size()); }
    // The first record with that key sequence, or -1.
    int IndexOf(std::uint32_t KeySequence) const;
    void Clear() { FRecords.clear(); }
    const std::vector<TEngKeyRecord>& Records() const { return FRecords; }

private:
    std::vector<TEngKeyRecord> FRecords;
};

// The built-in rows of "Default", "WordStar" and "Grid" (by name, case-insensitive), or nothing.
std::optional<std::span<const TEngKeyRecord>> BuiltInTableRows(std::string_view Name);

// The stored form of a table: pairs of (key sequence, command). For a built-in table's name only
// the differences from the built-in rows are kept; a command of 0 there removes a row.
struct TKeyCommandPair {
    std::uint32_t Keys = 0;
    std::uint16_t Cmd = 0;
    friend bool operator==(const TKeyCommandPair&, const TKeyCommandPair&) = default;
};
std::vector<TKeyCommandPair> StoredPairs(const TEngCommandTable& Table);
// Rebuilds the rows of a table whose name and active flag are already set.
void ApplyStoredPairs(TEngCommandTable& Table, std::span<const TKeyCommandPair> Pairs);

// Translates keys into command codes through an ordered list of tables, with the state of a
// pending two-key sequence shared by every editor that uses the processor.
class TEngCommandProcessor {
public:
    TEngCommandProcessor() = default;
    TEngCommandProcessor(const TEngCommandProcessor&) = delete;
    TEngCommandProcessor& operator=(const TEngCommandProcessor&) = delete;

    // The modifiers come from the caller as engine bits: the widget reads them from the key
    // event, so the engine never asks the window system for the keyboard's state.
    std::uint16_t TranslateKeys(int Key, int Shift);

    void CreateDefaultTables();
    // Adds a table under the unique-name rule; its index.
    int CreateTable(std::string_view Name, bool Active);
    TEngCommandTable* FindTable(std::string_view Name);
    void AddCommand(std::string_view TableName, const TEngKeyRecord& Record);
    void ClearTables() { FTables.clear(); }
    int TableCount() const { return static_cast<int>(FTables.size()); }
    TEngCommandTable& Table(int Index) { return *FTables.at(static_cast<std::size_t>(Index)); }
    void ResetState();

    // Text form: the table name on the first line, then "Key1 Shift1 Key2 Shift2 Cmd" per line.
    int LoadTable(std::istream& In);
    void SaveTable(std::string_view Name, std::ostream& Out);
    int LoadTableFromFile(const std::filesystem::path& FileName);
    void SaveTableToFile(std::string_view Name, const std::filesystem::path& FileName);

    // The name a table called Name would get when added now.
    std::string UniqueName(std::string_view Name);

private:
    enum TSequenceState : std::uint8_t { ssIdle = 0, ssFirstKeySeen = 1, ssCtrlChar = 2 };
    std::uint16_t ScanTable(const TEngCommandTable& Table, int Key, int Shift);
    int AddTable(std::unique_ptr<TEngCommandTable> Table);

    std::vector<std::unique_ptr<TEngCommandTable>> FTables;
    TSequenceState FState = ssIdle;
    std::uint8_t FPendingKey = 0;
    std::uint8_t FPendingShift = 0;
};

} // namespace korvid
