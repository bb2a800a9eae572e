#pragma once

#include "platform/KorvidError.h"
#include "platform/RegistryStore.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class ERegistryException : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Access to the current user's settings, one key open at a time. Reads see the store as it was
// when the key was opened, plus this object's own writes; writes reach the store when the key
// closes (or at once when no key is open), where other objects and processes see them at
// their next open. Paths use backslashes; a path that starts with one is taken from the
// root, any other from the open key.
class TRegistry {
public:
    TRegistry();
    explicit TRegistry(RegistryStore& Store);
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    bool OpenKey(std::string_view Key, bool CanCreate);
    bool OpenKeyReadOnly(std::string_view Key);
    void CloseKey();
    const std::string& CurrentPath() const { return FCurrentPath; }
    bool HasOpenKey() const { return FOpen; }

    bool KeyExists(std::string_view Key);
    bool DeleteKey(std::string_view Key);
    std::vector<std::string> GetKeyNames() const;
    std::vector<std::string> GetValueNames() const;
    bool HasSubKeys() const;

    bool ValueExists(std::string_view Name) const;
    // The size of the value's data in bytes (strings with their terminating NUL), or -1.
    int GetDataSize(std::string_view Name) const;
    TRegDataType GetDataType(std::string_view Name) const;
    bool DeleteValue(std::string_view Name);

    // Strict reads: a missing value or one of another type raises ERegistryException.
    std::string ReadString(std::string_view Name) const;
    int ReadInteger(std::string_view Name) const;
    bool ReadBool(std::string_view Name) const;
    std::string ReadBinaryData(std::string_view Name) const;
    // The raw data and its type; raises when the value is missing.
    std::string ReadData(std::string_view Name, std::uint32_t& Type) const;

    void WriteString(std::string_view Name, std::string_view Value);
    void WriteExpandString(std::string_view Name, std::string_view Value);
    void WriteInteger(std::string_view Name, int Value);
    void WriteBool(std::string_view Name, bool Value);
    void WriteBinaryData(std::string_view Name, std::string_view Data);
    // Stores Data exactly as given, under any type.
    void WriteData(std::string_view Name, std::uint32_t Type, std::string_view Data);

private:
    std::vector<std::string> Resolve(std::string_view Key) const;
    void Refresh();
    void Record(TRegistryChange Change);
    void Flush();
    const TRegistryValue& ValueOrRaise(std::string_view Name) const;
    TRegistryNode* CurrentNode() const;

    RegistryStore& FStore;
    std::unique_ptr<TRegistryNode> FSnapshot;
    std::vector<TRegistryChange> FPending;
    std::vector<std::string> FCurrentKey;
    std::string FCurrentPath;
    bool FOpen = false;
    bool FReadOnly = false;
};

} // namespace korvid
