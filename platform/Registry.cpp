#include "platform/Registry.h"

#include <QtGlobal>
#include <cstring>

namespace korvid {

namespace {

std::string Quoted(std::string_view Format, std::string_view Name) {
    std::string Text(Format);
    const std::size_t At = Text.find("%s");
    if (At != std::string::npos)
        Text.replace(At, 2, Name);
    return Text;
}

[[noreturn]] void InvalidType(std::string_view Name) {
    throw ERegistryException(Quoted("Invalid data type for '%s'", Name));
}

} // namespace

TRegistry::TRegistry() : TRegistry(CurrentRegistryStore()) {}

TRegistry::TRegistry(RegistryStore& Store) : FStore(Store) {}

TRegistry::~TRegistry() {
    try {
        CloseKey();
    } catch (const std::exception& Error) {
        // A destructor must not throw; the failure is still made visible.
        qWarning("%s", Error.what());
    }
}

std::vector<std::string> TRegistry::Resolve(std::string_view Key) const {
    std::vector<std::string> Path;
    if (FOpen && !Key.starts_with('\\'))
        Path = FCurrentKey;
    for (std::string& Component : SplitRegistryPath(Key))
        Path.push_back(std::move(Component));
    return Path;
}

void TRegistry::Refresh() {
    if (FPending.empty() || !FSnapshot)
        FSnapshot = FStore.Load();
}

void TRegistry::Record(TRegistryChange Change) {
    ApplyRegistryChange(*FSnapshot, Change);
    FPending.push_back(std::move(Change));
    if (!FOpen)
        Flush();
}

void TRegistry::Flush() {
    if (FPending.empty())
        return;
    std::vector<TRegistryChange> Changes;
    Changes.swap(FPending);
    FStore.Commit(Changes);
}

bool TRegistry::OpenKey(std::string_view Key, bool CanCreate) {
    std::vector<std::string> Path = Resolve(Key);
    CloseKey();
    Refresh();
    if (!FSnapshot->Find(Path)) {
        if (!CanCreate)
            return false;
        FOpen = true; // the creation is committed with the key's other changes
        Record({TRegistryChange::TKind::CreateKey, Path, {}, REG_NONE, {}});
    }
    FCurrentKey = std::move(Path);
    FCurrentPath = JoinRegistryPath(FCurrentKey);
    FOpen = true;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(std::string_view Key) {
    if (!OpenKey(Key, false))
        return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey() {
    FOpen = false;
    FReadOnly = false;
    FCurrentKey.clear();
    FCurrentPath.clear();
    Flush();
}

bool TRegistry::KeyExists(std::string_view Key) {
    const std::vector<std::string> Path = Resolve(Key);
    Refresh();
    return FSnapshot->Find(Path) != nullptr;
}

bool TRegistry::DeleteKey(std::string_view Key) {
    const std::vector<std::string> Path = Resolve(Key);
    Refresh();
    if (Path.empty() || !FSnapshot->Find(Path))
        return false;
    Record({TRegistryChange::TKind::DeleteKey, Path, {}, REG_NONE, {}});
    return true;
}

TRegistryNode* TRegistry::CurrentNode() const {
    if (!FOpen || !FSnapshot)
        return nullptr;
    return FSnapshot->Find(FCurrentKey);
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::vector<std::string> Names;
    if (const TRegistryNode* Node = CurrentNode())
        for (const auto& Sub : Node->SubKeys)
            Names.push_back(Sub->Name);
    return Names;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> Names;
    if (const TRegistryNode* Node = CurrentNode())
        for (const TRegistryValue& Value : Node->Values)
            Names.push_back(Value.Name);
    return Names;
}

bool TRegistry::HasSubKeys() const {
    const TRegistryNode* Node = CurrentNode();
    return Node && !Node->SubKeys.empty();
}

bool TRegistry::ValueExists(std::string_view Name) const {
    const TRegistryNode* Node = CurrentNode();
    return Node && Node->FindValue(Name);
}

int TRegistry::GetDataSize(std::string_view Name) const {
    const TRegistryNode* Node = CurrentNode();
    const TRegistryValue* Value = Node ? Node->FindValue(Name) : nullptr;
    return Value ? static_cast<int>(Value->Data.size()) : -1;
}

TRegDataType TRegistry::GetDataType(std::string_view Name) const {
    const TRegistryNode* Node = CurrentNode();
    const TRegistryValue* Value = Node ? Node->FindValue(Name) : nullptr;
    if (!Value)
        return TRegDataType::rdUnknown;
    switch (Value->Type) {
    case REG_SZ:
        return TRegDataType::rdString;
    case REG_EXPAND_SZ:
        return TRegDataType::rdExpandString;
    case REG_DWORD:
        return TRegDataType::rdInteger;
    case REG_BINARY:
        return TRegDataType::rdBinary;
    default:
        return TRegDataType::rdUnknown;
    }
}

bool TRegistry::DeleteValue(std::string_view Name) {
    if (!ValueExists(Name) || FReadOnly)
        return false;
    Record({TRegistryChange::TKind::DeleteValue, FCurrentKey, std::string(Name), REG_NONE, {}});
    return true;
}

const TRegistryValue& TRegistry::ValueOrRaise(std::string_view Name) const {
    const TRegistryNode* Node = CurrentNode();
    const TRegistryValue* Value = Node ? Node->FindValue(Name) : nullptr;
    if (!Value)
        InvalidType(Name);
    return *Value;
}

std::string TRegistry::ReadString(std::string_view Name) const {
    const TRegistryValue& Value = ValueOrRaise(Name);
    if (Value.Type != REG_SZ && Value.Type != REG_EXPAND_SZ)
        InvalidType(Name);
    return Value.Data.substr(0, Value.Data.find('\0'));
}

int TRegistry::ReadInteger(std::string_view Name) const {
    const TRegistryValue& Value = ValueOrRaise(Name);
    if (Value.Type != REG_DWORD || Value.Data.size() != 4)
        InvalidType(Name);
    std::uint32_t Bits = 0;
    for (int I = 3; I >= 0; --I)
        Bits = (Bits << 8) | static_cast<unsigned char>(Value.Data[static_cast<std::size_t>(I)]);
    return static_cast<int>(Bits);
}

bool TRegistry::ReadBool(std::string_view Name) const {
    return ReadInteger(Name) != 0;
}

std::string TRegistry::ReadBinaryData(std::string_view Name) const {
    const TRegistryValue& Value = ValueOrRaise(Name);
    if (Value.Type != REG_BINARY && Value.Type != REG_NONE)
        InvalidType(Name);
    return Value.Data;
}

std::string TRegistry::ReadData(std::string_view Name, std::uint32_t& Type) const {
    const TRegistryValue& Value = ValueOrRaise(Name);
    Type = Value.Type;
    return Value.Data;
}

void TRegistry::WriteData(std::string_view Name, std::uint32_t Type, std::string_view Data) {
    if (!FOpen || FReadOnly)
        throw ERegistryException(Quoted("Failed to set data for '%s'", Name));
    Record({TRegistryChange::TKind::SetValue, FCurrentKey, std::string(Name), Type,
            std::string(Data)});
}

void TRegistry::WriteString(std::string_view Name, std::string_view Value) {
    WriteData(Name, REG_SZ, std::string(Value) + '\0');
}

void TRegistry::WriteExpandString(std::string_view Name, std::string_view Value) {
    WriteData(Name, REG_EXPAND_SZ, std::string(Value) + '\0');
}

void TRegistry::WriteInteger(std::string_view Name, int Value) {
    const auto Bits = static_cast<std::uint32_t>(Value);
    std::string Data(4, '\0');
    for (std::size_t I = 0; I < 4; ++I)
        Data[I] = static_cast<char>((Bits >> (8 * I)) & 0xFF);
    WriteData(Name, REG_DWORD, Data);
}

void TRegistry::WriteBool(std::string_view Name, bool Value) {
    WriteInteger(Name, Value ? 1 : 0);
}

void TRegistry::WriteBinaryData(std::string_view Name, std::string_view Data) {
    WriteData(Name, REG_BINARY, Data);
}

} // namespace korvid
