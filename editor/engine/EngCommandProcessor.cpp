#include "editor/engine/EngCommandProcessor.h"

#include "editor/engine/EngText.h"
#include "editor/engine/StringResource.h"
#include "platform/Cp1252.h"
#include "platform/VirtualKeyCodes.h"

#include <array>
#include <charconv>
#include <fstream>
#include <iomanip>
#include <istream>
#include <ostream>

namespace korvid {

namespace {

constexpr std::uint8_t S = EngShift;
constexpr std::uint8_t C = EngCtrl;
constexpr std::uint8_t A = EngAlt;
constexpr std::uint8_t SC = EngShift | EngCtrl;

constexpr TEngKeyRecord R(int Key, std::uint8_t Shift, TEngCommand Cmd) {
    return {static_cast<std::uint8_t>(Key), Shift, 0, 0, Cmd};
}

// A WordStar-style pair: Ctrl+first key, then the second key alone or with Ctrl.
constexpr TEngKeyRecord R2(int Key1, std::uint8_t Shift1, int Key2, TEngCommand Cmd) {
    return {static_cast<std::uint8_t>(Key1), Shift1, static_cast<std::uint8_t>(Key2), NoneOrCtrl,
            Cmd};
}

constexpr std::array<TEngKeyRecord, 66> DefaultRows{{
    R(VK_LEFT, 0, ccLeft),
    R(VK_RIGHT, 0, ccRight),
    R(VK_LEFT, C, ccWordLeft),
    R(VK_RIGHT, C, ccWordRight),
    R(VK_HOME, 0, ccHome),
    R(VK_END, 0, ccEnd),
    R(VK_DELETE, 0, ccDel),
    R(VK_BACK, 0, ccBack),
    R(VK_BACK, S, ccBack),
    R(VK_PRIOR, C, ccTopOfPage),
    R(VK_NEXT, C, ccBotOfPage),
    R(VK_INSERT, 0, ccIns),
    R('Z', C, ccUndo),
    R(VK_BACK, A, ccRestore),
    R(VK_UP, 0, ccUp),
    R(VK_DOWN, 0, ccDown),
    R(VK_UP, C, ccScrollUp),
    R(VK_DOWN, C, ccScrollDown),
    R(VK_RETURN, C, ccNewLine),
    R(VK_LEFT, S, ccExtendLeft),
    R(VK_RIGHT, S, ccExtendRight),
    R(VK_HOME, S, ccExtendHome),
    R(VK_END, S, ccExtendEnd),
    R(VK_LEFT, SC, ccExtWordLeft),
    R(VK_RIGHT, SC, ccExtWordRight),
    R(VK_PRIOR, S, ccExtendPgUp),
    R(VK_NEXT, S, ccExtendPgDn),
    R(VK_UP, S, ccExtendUp),
    R(VK_DOWN, S, ccExtendDown),
    R(VK_HOME, SC, ccExtFirstPage),
    R(VK_END, SC, ccExtLastPage),
    R(VK_PRIOR, SC, ccExtTopOfPage),
    R(VK_NEXT, SC, ccExtBotOfPage),
    R(VK_DELETE, S, ccCut),
    R('X', C, ccCut),
    R(VK_INSERT, C, ccCopy),
    R('C', C, ccCopy),
    R(VK_INSERT, S, ccPaste),
    R('V', C, ccPaste),
    R(VK_PRIOR, 0, ccPrevPage),
    R(VK_NEXT, 0, ccNextPage),
    R(VK_HOME, C, ccFirstPage),
    R(VK_END, C, ccLastPage),
    R(VK_TAB, 0, ccTab),
    R(VK_TAB, C, ccTab),
    R('Z', SC, ccRedo),
    R('0', C, ccGotoMarker0),
    R('1', C, ccGotoMarker1),
    R('2', C, ccGotoMarker2),
    R('3', C, ccGotoMarker3),
    R('4', C, ccGotoMarker4),
    R('5', C, ccGotoMarker5),
    R('6', C, ccGotoMarker6),
    R('7', C, ccGotoMarker7),
    R('8', C, ccGotoMarker8),
    R('9', C, ccGotoMarker9),
    R('0', SC, ccSetMarker0),
    R('1', SC, ccSetMarker1),
    R('2', SC, ccSetMarker2),
    R('3', SC, ccSetMarker3),
    R('4', SC, ccSetMarker4),
    R('5', SC, ccSetMarker5),
    R('6', SC, ccSetMarker6),
    R('7', SC, ccSetMarker7),
    R('8', SC, ccSetMarker8),
    R('9', SC, ccSetMarker9),
}};

constexpr std::array<TEngKeyRecord, 40> WordStarRows{{
    R('S', C, ccLeft),
    R('D', C, ccRight),
    R('E', C, ccUp),
    R('X', C, ccDown),
    R('R', C, ccPrevPage),
    R('C', C, ccNextPage),
    R('W', C, ccScrollUp),
    R('Z', C, ccScrollDown),
    R('A', C, ccWordLeft),
    R('F', C, ccWordRight),
    R2('Q', C, 'S', ccHome),
    R2('Q', C, 'D', ccEnd),
    R('G', C, ccDel),
    R('H', C, ccBack),
    R('Y', C, ccDelLine),
    R2('Q', C, 'Y', ccDelEol),
    R('V', C, ccIns),
    R('T', C, ccDelWord),
    R('P', C, ccCtrlChar),
    R2('Q', C, 'L', ccRestore),
    R2('Q', C, '0', ccGotoMarker0),
    R2('Q', C, '1', ccGotoMarker1),
    R2('Q', C, '2', ccGotoMarker2),
    R2('Q', C, '3', ccGotoMarker3),
    R2('Q', C, '4', ccGotoMarker4),
    R2('Q', C, '5', ccGotoMarker5),
    R2('Q', C, '6', ccGotoMarker6),
    R2('Q', C, '7', ccGotoMarker7),
    R2('Q', C, '8', ccGotoMarker8),
    R2('Q', C, '9', ccGotoMarker9),
    R2('K', C, '0', ccSetMarker0),
    R2('K', C, '1', ccSetMarker1),
    R2('K', C, '2', ccSetMarker2),
    R2('K', C, '3', ccSetMarker3),
    R2('K', C, '4', ccSetMarker4),
    R2('K', C, '5', ccSetMarker5),
    R2('K', C, '6', ccSetMarker6),
    R2('K', C, '7', ccSetMarker7),
    R2('K', C, '8', ccSetMarker8),
    R2('K', C, '9', ccSetMarker9),
}};

constexpr std::array<TEngKeyRecord, 38> GridRows{{
    R(VK_LEFT, 0, ccLeft),
    R(VK_RIGHT, 0, ccRight),
    R(VK_LEFT, C, ccPageLeft),
    R(VK_RIGHT, C, ccPageRight),
    R(VK_HOME, 0, ccHome),
    R(VK_END, 0, ccEnd),
    R(VK_DELETE, 0, ccDel),
    R(VK_BACK, 0, ccBack),
    R(VK_NEXT, C, ccBotOfPage),
    R(VK_PRIOR, C, ccTopOfPage),
    R(VK_INSERT, 0, ccIns),
    R('Z', C, ccRestore),
    R(VK_UP, 0, ccUp),
    R(VK_DOWN, 0, ccDown),
    R(VK_LEFT, S, ccExtendLeft),
    R(VK_RIGHT, S, ccExtendRight),
    R(VK_HOME, S, ccExtendHome),
    R(VK_END, S, ccExtendEnd),
    R(VK_LEFT, SC, ccExtWordLeft),
    R(VK_RIGHT, SC, ccExtWordRight),
    R(VK_PRIOR, S, ccExtendPgUp),
    R(VK_NEXT, S, ccExtendPgDn),
    R(VK_UP, S, ccExtendUp),
    R(VK_DOWN, S, ccExtendDown),
    R(VK_HOME, SC, ccExtFirstPage),
    R(VK_END, SC, ccExtLastPage),
    R(VK_PRIOR, SC, ccExtTopOfPage),
    R(VK_NEXT, SC, ccExtBotOfPage),
    R('X', C, ccCut),
    R('C', C, ccCopy),
    R('V', C, ccPaste),
    R(VK_PRIOR, 0, ccPrevPage),
    R(VK_HOME, C, ccFirstPage),
    R(VK_NEXT, 0, ccNextPage),
    R(VK_END, C, ccLastPage),
    R(VK_UP, C, ccTopLeftCell),
    R(VK_DOWN, C, ccBotRightCell),
    R(VK_F2, 0, ccTableEdit),
}};
bool IsModifierKey(int Key) {
    return Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU || Key == VK_CAPITAL ||
           Key == VK_NUMLOCK || Key == VK_SCROLL;
}

bool IsBuiltInName(std::string_view Name) {
    return Name == GetEngineString(EngineStringId::DefaultTableName) ||
           Name == GetEngineString(EngineStringId::WordStarTableName) ||
           Name == GetEngineString(EngineStringId::GridTableName);
}

bool HasRow(std::span<const TEngKeyRecord> Rows, const TEngKeyRecord& Record) {
    for (const TEngKeyRecord& Row : Rows) {
        if (Row.KeySequence() == Record.KeySequence() && Row.Cmd == Record.Cmd)
            return true;
    }
    return false;
}

std::string WithoutCr(std::string Line) {
    if (!Line.empty() && Line.back() == '\r')
        Line.pop_back();
    return Line;
}

// Five numbers, each within its field's range, or nothing.
std::optional<TEngKeyRecord> ParseRecordLine(std::string_view Line) {
    std::array<long, 5> Fields{};
    std::size_t At = 0;
    auto SkipBlanks = [&] {
        while (At < Line.size() && IsBlank(Line[At]))
            ++At;
    };
    for (long& Field : Fields) {
        SkipBlanks();
        const char* First = Line.data() + At;
        const auto [End, Error] = std::from_chars(First, Line.data() + Line.size(), Field);
        if (Error != std::errc() || Field < 0)
            return std::nullopt;
        At += static_cast<std::size_t>(End - First);
        if (At < Line.size() && !IsBlank(Line[At]))
            return std::nullopt;
    }
    SkipBlanks();
    if (At != Line.size())
        return std::nullopt;
    for (int I = 0; I < 4; ++I) {
        if (Fields[I] > 255)
            return std::nullopt;
    }
    if (Fields[4] > 65535)
        return std::nullopt;
    return TEngKeyRecord{static_cast<std::uint8_t>(Fields[0]), static_cast<std::uint8_t>(Fields[1]),
                         static_cast<std::uint8_t>(Fields[2]), static_cast<std::uint8_t>(Fields[3]),
                         static_cast<std::uint16_t>(Fields[4])};
}

} // namespace

TEngKeyRecord TEngKeyRecord::FromSequence(std::uint32_t Keys, std::uint16_t Cmd) {
    return {static_cast<std::uint8_t>(Keys & 0xFF), static_cast<std::uint8_t>((Keys >> 8) & 0xFF),
            static_cast<std::uint8_t>((Keys >> 16) & 0xFF),
            static_cast<std::uint8_t>((Keys >> 24) & 0xFF), Cmd};
}

EInvalidCommandTableFile::EInvalidCommandTableFile(int LineNumber, std::string_view Line)
    : ECmdProcessorError("Line " + std::to_string(LineNumber) +
                             " of the command table is not five numbers in range: \"" +
                             std::string(Line) + "\"",
                         0) {}

// ---- Table ----

void TEngCommandTable::Insert(int Index, const TEngKeyRecord& Record) {
    if (Index < 0 || Index > Count())
        throw ETableNotFound();
    FRecords.insert(FRecords.begin() + Index, Record);
}

void TEngCommandTable::Replace(int Index, const TEngKeyRecord& Record) {
    FRecords.at(static_cast<std::size_t>(Index)) = Record;
}

void TEngCommandTable::Delete(int Index) {
    if (Index < 0 || Index >= Count())
        throw ETableNotFound();
    FRecords.erase(FRecords.begin() + Index);
}

int TEngCommandTable::IndexOf(std::uint32_t KeySequence) const {
    for (int I = 0; I < Count(); ++I) {
        if (FRecords[static_cast<std::size_t>(I)].KeySequence() == KeySequence)
            return I;
    }
    return -1;
}

std::optional<std::span<const TEngKeyRecord>> BuiltInTableRows(std::string_view Name) {
    if (SameText1252(Name, GetEngineString(EngineStringId::DefaultTableName)))
        return std::span<const TEngKeyRecord>(DefaultRows);
    if (SameText1252(Name, GetEngineString(EngineStringId::WordStarTableName)))
        return std::span<const TEngKeyRecord>(WordStarRows);
    if (SameText1252(Name, GetEngineString(EngineStringId::GridTableName)))
        return std::span<const TEngKeyRecord>(GridRows);
    return std::nullopt;
}

// ---- Stored form ----

std::vector<TKeyCommandPair> StoredPairs(const TEngCommandTable& Table) {
    std::vector<TKeyCommandPair> Pairs;
    const auto BuiltIn = IsBuiltInName(Table.Name) ? BuiltInTableRows(Table.Name) : std::nullopt;
    if (BuiltIn) {
        for (const TEngKeyRecord& Row : *BuiltIn) {
            if (Table.IndexOf(Row.KeySequence()) < 0)
                Pairs.push_back({Row.KeySequence(), 0});
        }
    }
    for (const TEngKeyRecord& Record : Table.Records()) {
        if (!BuiltIn || !HasRow(*BuiltIn, Record))
            Pairs.push_back({Record.KeySequence(), Record.Cmd});
    }
    return Pairs;
}

void ApplyStoredPairs(TEngCommandTable& Table, std::span<const TKeyCommandPair> Pairs) {
    Table.Clear();
    const auto BuiltIn = IsBuiltInName(Table.Name) ? BuiltInTableRows(Table.Name) : std::nullopt;
    if (!BuiltIn) {
        for (const TKeyCommandPair& Pair : Pairs)
            Table.Add(TEngKeyRecord::FromSequence(Pair.Keys, Pair.Cmd));
        return;
    }
    for (const TEngKeyRecord& Row : *BuiltIn)
        Table.Add(Row);
    for (const TKeyCommandPair& Pair : Pairs) {
        const int Index = Table.IndexOf(Pair.Keys);
        if (Index < 0)
            Table.Add(TEngKeyRecord::FromSequence(Pair.Keys, Pair.Cmd));
        else if (Pair.Cmd == 0)
            Table.Delete(Index);
        else
            Table.Replace(Index, TEngKeyRecord::FromSequence(Pair.Keys, Pair.Cmd));
    }
}

// ---- Processor ----

std::uint16_t TEngCommandProcessor::TranslateKeys(int Key, int Shift) {
    if (IsModifierKey(Key))
        return FState == ssFirstKeySeen ? ccSwallowed : ccNoMatch;
    if (FState == ssCtrlChar) {
        FState = ssIdle;
        return ccNoMatch;
    }
    Shift &= EngShift | EngCtrl | EngAlt;
    for (const auto& Table : FTables) {
        if (!Table->Active)
            continue;
        if (const std::uint16_t Cmd = ScanTable(*Table, Key, Shift))
            return Cmd;
    }
    const bool WasPending = FState == ssFirstKeySeen;
    FState = ssIdle;
    return WasPending ? ccBadSecondKey : ccNoMatch;
}

std::uint16_t TEngCommandProcessor::ScanTable(const TEngCommandTable& Table, int Key, int Shift) {
    const bool SecondKey = FState == ssFirstKeySeen;
    for (const TEngKeyRecord& Record : Table.Records()) {
        bool Match;
        if (SecondKey) {
            Match = Record.Key1 == FPendingKey && Record.Shift1 == FPendingShift &&
                    Record.Key2 == Key &&
                    (Record.Shift2 == Shift ||
                     (Record.Shift2 == NoneOrCtrl && (Shift == 0 || Shift == EngCtrl)));
        } else {
            Match = Record.Key1 == Key && Record.Shift1 == Shift;
        }
        if (!Match)
            continue;
        if (!SecondKey && Record.Key2 != 0) {
            FState = ssFirstKeySeen;
            FPendingKey = static_cast<std::uint8_t>(Key);
            FPendingShift = static_cast<std::uint8_t>(Shift);
            return ccSwallowed;
        }
        if (Record.Cmd == ccCtrlChar)
            FState = ssCtrlChar;
        else if (SecondKey)
            FState = ssIdle;
        return Record.Cmd;
    }
    return ccNone;
}

void TEngCommandProcessor::ResetState() {
    FState = ssIdle;
    FPendingKey = 0;
    FPendingShift = 0;
}

void TEngCommandProcessor::CreateDefaultTables() {
    ClearTables();
    const auto Build = [this](std::uint16_t NameId, bool Active,
                              std::span<const TEngKeyRecord> Rows) {
        TEngCommandTable& Table = this->Table(CreateTable(GetEngineString(NameId), Active));
        for (const TEngKeyRecord& Row : Rows)
            Table.Add(Row);
    };
    Build(EngineStringId::DefaultTableName, true, DefaultRows);
    Build(EngineStringId::WordStarTableName, false, WordStarRows);
    Build(EngineStringId::GridTableName, false, GridRows);
    ResetState();
}

std::string TEngCommandProcessor::UniqueName(std::string_view Name) {
    std::string_view Base = Name;
    while (Base.size() >= 2 && Base.back() >= '0' && Base.back() <= '9')
        Base.remove_suffix(1);
    std::string Tried(Base);
    int Counter = 0;
    while (FindTable(Tried) != nullptr) {
        ++Counter;
        Tried = std::string(Base) + std::to_string(Counter);
    }
    return Counter > 0 ? Tried : std::string(Name);
}

int TEngCommandProcessor::AddTable(std::unique_ptr<TEngCommandTable> Table) {
    Table->Name = UniqueName(Table->Name);
    FTables.push_back(std::move(Table));
    return TableCount() - 1;
}

int TEngCommandProcessor::CreateTable(std::string_view Name, bool Active) {
    auto Table = std::make_unique<TEngCommandTable>();
    Table->Name = std::string(Name);
    Table->Active = Active;
    return AddTable(std::move(Table));
}

TEngCommandTable* TEngCommandProcessor::FindTable(std::string_view Name) {
    for (const auto& Table : FTables) {
        if (SameText1252(Table->Name, Name))
            return Table.get();
    }
    return nullptr;
}

void TEngCommandProcessor::AddCommand(std::string_view TableName, const TEngKeyRecord& Record) {
    TEngCommandTable* Table = FindTable(TableName);
    if (Table == nullptr)
        throw ETableNotFound();
    if (Table->IndexOf(Record.KeySequence()) >= 0)
        throw EDuplicateCommand();
    Table->Add(Record);
}

int TEngCommandProcessor::LoadTable(std::istream& In) {
    auto Table = std::make_unique<TEngCommandTable>();
    std::string Line;
    if (std::getline(In, Line))
        Table->Name = WithoutCr(Line);
    int LineNumber = 1;
    while (std::getline(In, Line)) {
        ++LineNumber;
        Line = WithoutCr(Line);
        if (Line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const auto Record = ParseRecordLine(Line);
        if (!Record)
            throw EInvalidCommandTableFile(LineNumber, Line);
        Table->Add(*Record);
    }
    return AddTable(std::move(Table));
}

void TEngCommandProcessor::SaveTable(std::string_view Name, std::ostream& Out) {
    const TEngCommandTable* Table = FindTable(Name);
    if (Table == nullptr)
        return;
    Out << Table->Name << "\r\n";
    for (const TEngKeyRecord& R : Table->Records()) {
        Out << std::setw(4) << int{R.Key1} << std::setw(4) << int{R.Shift1} << std::setw(4)
            << int{R.Key2} << std::setw(4) << int{R.Shift2} << std::setw(6) << R.Cmd << "\r\n";
    }
}

int TEngCommandProcessor::LoadTableFromFile(const std::filesystem::path& FileName) {
    std::ifstream In(FileName, std::ios::binary);
    if (!In)
        throw ECmdProcessorError("Cannot open " + FileName.string(), 0);
    return LoadTable(In);
}

void TEngCommandProcessor::SaveTableToFile(std::string_view Name,
                                           const std::filesystem::path& FileName) {
    if (FindTable(Name) == nullptr)
        return;
    std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
    if (!Out)
        throw ECmdProcessorError("Cannot create " + FileName.string(), 0);
    SaveTable(Name, Out);
}

} // namespace korvid
