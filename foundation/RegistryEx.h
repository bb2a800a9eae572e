#pragma once

#include "foundation/ConstantsUnit.h"
#include "platform/Registry.h"

#include <string>
#include <string_view>

namespace korvid {

// The settings registry object: reads that fall back to the caller's default.
class TRegistryEx : public TRegistry {
public:
    using TRegistry::TRegistry;

    bool ReadBoolDefault(std::string_view Name, bool Default) const;
    int ReadIntegerDefault(std::string_view Name, int Default) const;
    std::string ReadStringDefault(std::string_view Name, std::string_view Default) const;
    // A string value strictly: missing or not a string raises ERegistryException.
    std::string ReadStringValue(std::string_view Name) const;
    // Deletes every direct subkey of Key; its values stay.
    void DeleteSubKeys(std::string_view Key);

    // Readers: the current path, else the legacy one, neither created.
    bool OpenSettingsKeyForRead(const TSettingsKeyPair& Pair);
    // Writers: the current path only, created when missing.
    bool OpenSettingsKeyForWrite(const TSettingsKeyPair& Pair);
};

} // namespace korvid
