#include "app/BackupUnit.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>

namespace korvid {

namespace {

constexpr const char* IndexName = "Index.txt";

// The number a backup file is named by, or -1.
int BackupNumber(const std::filesystem::path& File) {
    if (File.extension() != ".txt")
        return -1;
    const std::string Stem = File.stem().string();
    int N = -1;
    const auto [End, Error] = std::from_chars(Stem.data(), Stem.data() + Stem.size(), N);
    return Error == std::errc() && End == Stem.data() + Stem.size() && !Stem.empty() ? N : -1;
}

} // namespace

std::filesystem::path DefaultBackupFolder() {
    return ApplicationDataFolder() / "Backup";
}

int BackupIntervalMs(int Minutes) {
    constexpr std::int64_t MinuteMs = 60 * 1000;
    return static_cast<int>(
        std::clamp<std::int64_t>(Minutes * MinuteMs, 0, std::numeric_limits<int>::max()));
}

void ClearBackupFolder(const std::filesystem::path& Folder, bool Create) {
    std::error_code Error;
    if (Create)
        std::filesystem::create_directories(Folder, Error);
    for (const auto& Entry : std::filesystem::directory_iterator(Folder, Error))
        if (!Entry.is_directory(Error))
            std::filesystem::remove(Entry.path(), Error);
}

void WriteBackups(const std::filesystem::path& Folder,
                  const std::vector<TBackupDocument>& Documents) {
    if (Documents.empty())
        return;
    ClearBackupFolder(Folder, true);
    std::string Index;
    for (std::size_t N = 0; N < Documents.size(); ++N) {
        Documents[N].Write(Folder / (std::to_string(N) + ".txt"));
        Index += Documents[N].FileName + "\r\n";
    }
    WriteFileAtomically(Folder / IndexName, Index);
}

std::vector<TRecoveredBackup> FindBackupsToRecover(const std::filesystem::path& Folder) {
    std::vector<TRecoveredBackup> Found;
    const std::filesystem::path Index = Folder / IndexName;
    std::error_code Error;
    if (!std::filesystem::exists(Index, Error))
        return Found;
    const std::vector<std::string> Names = ReadLinesOfFile(Index);
    for (const auto& Entry : std::filesystem::directory_iterator(Folder, Error)) {
        const int N = BackupNumber(Entry.path());
        if (N < 0)
            continue;
        // A copy the index does not name keeps no name: it reopens untitled.
        const std::string Name =
            static_cast<std::size_t>(N) < Names.size() ? Names[static_cast<std::size_t>(N)] : "";
        Found.push_back({Entry.path(), Name});
    }
    return Found;
}

} // namespace korvid
