#pragma once

#include "platform/KorvidError.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// Value types as the Windows registry numbers them.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

struct TRegistryValue {
    std::string Name;
    std::uint32_t Type = REG_NONE;
    std::string Data;
};

// One key of the settings tree. Names match ignoring letter case and keep their case; values
// stay in the order they were created, subkeys are ordered by their upper-cased names.
class TRegistryNode {
public:
    explicit TRegistryNode(std::string Name = {}) : Name(std::move(Name)) {}

    std::string Name;
    std::vector<TRegistryValue> Values;
    std::vector<std::unique_ptr<TRegistryNode>> SubKeys;

    TRegistryNode* FindSubKey(std::string_view KeyName) const;
    TRegistryNode& AddSubKey(std::string_view KeyName);
    bool RemoveSubKey(std::string_view KeyName);
    const TRegistryValue* FindValue(std::string_view ValueName) const;
    void SetValue(std::string_view ValueName, std::uint32_t Type, std::string Data);
    bool RemoveValue(std::string_view ValueName);

    // The key at Path below this one, or null.
    TRegistryNode* Find(const std::vector<std::string>& Path);
    TRegistryNode& FindOrCreate(const std::vector<std::string>& Path);
};

// Splits "A\B\C" into its components; empty components (doubled or edge backslashes) are dropped.
std::vector<std::string> SplitRegistryPath(std::string_view Path);
std::string JoinRegistryPath(const std::vector<std::string>& Components);

struct TRegistryChange {
    enum class TKind { CreateKey, DeleteKey, SetValue, DeleteValue };
    TKind Kind = TKind::CreateKey;
    std::vector<std::string> Key;
    std::string Name;
    std::uint32_t Type = REG_NONE;
    std::string Data;
};

void ApplyRegistryChange(TRegistryNode& Root, const TRegistryChange& Change);

// Where settings persist. Load gives a private snapshot; Commit applies changes to the newest
// stored state, so changes of other objects and processes in between are kept.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual std::unique_ptr<TRegistryNode> Load() = 0;
    virtual void Commit(const std::vector<TRegistryChange>& Changes) = 0;
    // Reports (see SetRegistryReportHandler) when changes could not be kept, changing nothing.
    virtual void CheckWritable() {}
};

// The store cannot keep changes; the text names the cause.
class ERegistryStoreError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// The store as one file. Loads read it without a lock, so settings are read from a folder that
// cannot be written. Commits re-read the file under a lock file, apply the changes and replace
// the file in one step; a lock file no live process holds is taken over. A commit that cannot be
// kept (read-only folder, no space, a lock held by another process) is dropped and reported
// once per store, naming the cause, and so is the first failed CheckWritable. A file that does
// not parse is renamed aside and reported, never overwritten.
class TFileRegistryStore : public RegistryStore {
public:
    explicit TFileRegistryStore(std::filesystem::path File);

    std::unique_ptr<TRegistryNode> Load() override;
    void Commit(const std::vector<TRegistryChange>& Changes) override;
    void CheckWritable() override;
    const std::filesystem::path& File() const { return FFile; }

    static std::string Serialize(const TRegistryNode& Root);
    // Raises EKorvidError when Text is not a store file.
    static std::unique_ptr<TRegistryNode> Parse(std::string_view Text);

private:
    std::unique_ptr<TRegistryNode> LoadUnlocked();
    std::unique_ptr<TRegistryNode> SetAsideDamaged(const std::string& Damage);
    void ReportNotKept(const std::string& Message);

    std::filesystem::path FFile;
    // Why nothing may be written in this run: the file could not be read or set aside.
    std::string FHeldBack;
    bool FNotKeptReported = false;
    // After one wait for a held lock, later commits do not wait again.
    bool FLockWaited = false;
};

// Gathers every commit made through the current store during its life into one, made by
// CommitAll, so that settings saved together are kept whole or not at all; without CommitAll
// they are dropped. Reads through the current store meanwhile see the gathered changes.
class TRegistryTransaction : public RegistryStore {
public:
    TRegistryTransaction();
    ~TRegistryTransaction() override;
    TRegistryTransaction(const TRegistryTransaction&) = delete;
    TRegistryTransaction& operator=(const TRegistryTransaction&) = delete;

    std::unique_ptr<TRegistryNode> Load() override;
    void Commit(const std::vector<TRegistryChange>& Changes) override;
    void CheckWritable() override { FInner.CheckWritable(); }
    void CommitAll();

private:
    void Restore();

    RegistryStore& FInner;
    RegistryStore* FPrevious;
    bool FCurrent = true;
    std::vector<TRegistryChange> FChanges;
};

// The file of the user's own settings store.
std::filesystem::path DefaultRegistryFile();

// The store every TRegistry uses unless it is given one.
RegistryStore& CurrentRegistryStore();

// Reports a store that had to be set aside or cannot keep changes; the program shows it to the
// user.
using TRegistryReportHandler = std::function<void(const std::string& Message)>;
void SetRegistryReportHandler(TRegistryReportHandler Handler);

// Makes a store on File the current one for the guard's lifetime (tests, tools).
class TScopedRegistryStore {
public:
    explicit TScopedRegistryStore(std::filesystem::path File);
    ~TScopedRegistryStore();
    TScopedRegistryStore(const TScopedRegistryStore&) = delete;
    TScopedRegistryStore& operator=(const TScopedRegistryStore&) = delete;

    TFileRegistryStore& Store() { return *FStore; }

private:
    std::unique_ptr<TFileRegistryStore> FStore;
    RegistryStore* FPrevious;
};

} // namespace korvid
