#include "foundation/RegistryEx.h"

namespace korvid {

namespace {

// Registry paths here are always taken from the root, whatever key is open.
std::string Absolute(std::string_view Path) {
    return Path.starts_with('\\') ? std::string(Path) : "\\" + std::string(Path);
}

} // namespace

bool TRegistryEx::ReadBoolDefault(std::string_view Name, bool Default) const {
    try {
        return ReadBool(Name);
    } catch (const ERegistryException&) {
        return Default;
    }
}

int TRegistryEx::ReadIntegerDefault(std::string_view Name, int Default) const {
    try {
        return ReadInteger(Name);
    } catch (const ERegistryException&) {
        return Default;
    }
}

std::string TRegistryEx::ReadStringDefault(std::string_view Name, std::string_view Default) const {
    try {
        return ReadStringValue(Name);
    } catch (const ERegistryException&) {
        return std::string(Default);
    }
}

std::string TRegistryEx::ReadStringValue(std::string_view Name) const {
    std::string Message = "Invalid data type for '" + std::string(Name) + "'";
    const int Size = GetDataSize(Name);
    if (Size < 0)
        throw ERegistryException(Message);
    if (Size == 0)
        return {};
    std::uint32_t Type = REG_NONE;
    const std::string Data = ReadData(Name, Type);
    if (Type != REG_SZ && Type != REG_EXPAND_SZ)
        throw ERegistryException(Message);
    return Data.substr(0, Data.find('\0'));
}

void TRegistryEx::DeleteSubKeys(std::string_view Key) {
    CloseKey();
    if (!OpenKey(Absolute(Key), false))
        return;
    for (const std::string& Name : GetKeyNames())
        DeleteKey(Name);
    CloseKey();
}

bool TRegistryEx::OpenSettingsKeyForRead(const TSettingsKeyPair& Pair) {
    return OpenKey(Absolute(Pair[CurrentKeyIndex]), false) ||
           OpenKey(Absolute(Pair[LegacyKeyIndex]), false);
}

bool TRegistryEx::OpenSettingsKeyForWrite(const TSettingsKeyPair& Pair) {
    return OpenKey(Absolute(Pair[CurrentKeyIndex]), true);
}

} // namespace korvid
