#include "app/BackupUnit.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace korvid {

namespace fs = std::filesystem;

namespace {

constexpr const char* IndexName = "Index.txt";
constexpr std::string_view SetPrefix = "Set-";

std::optional<int> NumberOf(std::string_view Digits) {
    int N = -1;
    const auto [End, Error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), N);
    if (Digits.empty() || Error != std::errc() || End != Digits.data() + Digits.size() || N < 0)
        return std::nullopt;
    return N;
}

// The number a backup file is named by, or -1.
int BackupNumber(const fs::path& File) {
    if (File.extension() != ".txt")
        return -1;
    return NumberOf(File.stem().string()).value_or(-1);
}

// The number of a set folder, or -1 for anything else.
int SetNumber(const fs::directory_entry& Entry) {
    std::error_code Error;
    const std::string Name = Entry.path().filename().string();
    if (!Name.starts_with(SetPrefix) || !Entry.is_directory(Error))
        return -1;
    return NumberOf(std::string_view(Name).substr(SetPrefix.size())).value_or(-1);
}

// The set folders, newest first.
std::vector<std::pair<int, fs::path>> BackupSets(const fs::path& Folder) {
    std::vector<std::pair<int, fs::path>> Sets;
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Folder, Error))
        if (const int N = SetNumber(Entry); N >= 0)
            Sets.emplace_back(N, Entry.path());
    std::sort(Sets.begin(), Sets.end(), [](const auto& A, const auto& B) { return A > B; });
    return Sets;
}

bool HasIndex(const fs::path& Set) {
    std::error_code Error;
    return fs::is_regular_file(Set / IndexName, Error);
}

// Flushes a file's data, or a folder's entries, to the disk.
void SyncToDisk(const fs::path& Path, bool IsFolder) {
    const int Handle = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | (IsFolder ? O_DIRECTORY : 0));
    if (Handle < 0)
        throw EFileWriteError("Cannot open \"" + Path.string() + "\": " + std::strerror(errno));
    const bool Synced = ::fsync(Handle) == 0;
    const int Error = errno;
    ::close(Handle);
    if (!Synced)
        throw EFileWriteError("Cannot flush \"" + Path.string() + "\": " + std::strerror(Error));
}

void WriteSet(const fs::path& Set, const std::vector<TBackupDocument>& Documents) {
    fs::create_directory(Set);
    std::string Index;
    for (std::size_t N = 0; N < Documents.size(); ++N) {
        const fs::path Copy = Set / (std::to_string(N) + ".txt");
        Documents[N].Write(Copy);
        SyncToDisk(Copy, false);
        Index += Documents[N].FileName + "\r\n";
    }
    // The index marks the set complete, so the copies' entries must reach the disk first.
    SyncToDisk(Set, true);
    WriteFileAtomically(Set / IndexName, Index);
    SyncToDisk(Set, true);
}

// Deletes the files of the folder (copies an older run left there) and every set but Keep.
void RemoveBackupsExcept(const fs::path& Folder, const fs::path& Keep) {
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Folder, Error)) {
        if (Entry.path() == Keep)
            continue;
        if (SetNumber(Entry) >= 0)
            fs::remove_all(Entry.path(), Error);
        else if (!Entry.is_directory(Error))
            fs::remove(Entry.path(), Error);
    }
}

} // namespace

fs::path DefaultBackupFolder() {
    return ApplicationDataFolder() / "Backup";
}

int BackupIntervalMs(int Minutes) {
    constexpr std::int64_t MinuteMs = 60 * 1000;
    return static_cast<int>(
        std::clamp<std::int64_t>(Minutes * MinuteMs, 0, std::numeric_limits<int>::max()));
}

void ClearBackupFolder(const fs::path& Folder, bool Create) {
    std::error_code Error;
    if (Create)
        fs::create_directories(Folder, Error);
    RemoveBackupsExcept(Folder, {});
}

bool WriteBackups(const fs::path& Folder, const std::vector<TBackupDocument>& Documents) {
    if (Documents.empty())
        return true;
    std::error_code Error;
    fs::create_directories(Folder, Error);
    // Above every set there is, complete or not, so the newest complete set is the last one.
    const std::vector<std::pair<int, fs::path>> Sets = BackupSets(Folder);
    const int Next = Sets.empty() ? 1 : Sets.front().first + 1;
    const fs::path Set = Folder / (std::string(SetPrefix) + std::to_string(Next));
    try {
        WriteSet(Set, Documents);
        SyncToDisk(Folder, true);
    } catch (const std::exception&) {
        fs::remove_all(Set, Error);
        return false;
    }
    RemoveBackupsExcept(Folder, Set);
    return true;
}

fs::path CurrentBackupSet(const fs::path& Folder) {
    for (const auto& [N, Set] : BackupSets(Folder))
        if (HasIndex(Set))
            return Set;
    return HasIndex(Folder) ? Folder : fs::path();
}

std::vector<TRecoveredBackup> FindBackupsToRecover(const fs::path& Folder) {
    std::vector<TRecoveredBackup> Found;
    const fs::path Set = CurrentBackupSet(Folder);
    if (Set.empty())
        return Found;
    const std::vector<std::string> Names = ReadLinesOfFile(Set / IndexName);
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Set, Error)) {
        const int N = BackupNumber(Entry.path());
        if (N < 0 || Entry.is_directory(Error))
            continue;
        // A copy the index does not name keeps no name: it reopens untitled.
        const std::string Name =
            static_cast<std::size_t>(N) < Names.size() ? Names[static_cast<std::size_t>(N)] : "";
        Found.push_back({Entry.path(), Name});
    }
    return Found;
}

} // namespace korvid
