#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

// The folder of the periodic copies of every open document. Each tick writes a new set of
// copies into a subfolder of its own, "n.txt" per document and "Index.txt" naming them; the
// index is written last, so a set with an index is complete.
std::filesystem::path DefaultBackupFolder();

// The backup timer's period for "Backup Minutes", held to the longest a timer can wait.
int BackupIntervalMs(int Minutes);

// Deletes every copy and set of the folder; with Create, makes the folder first when missing.
void ClearBackupFolder(const std::filesystem::path& Folder, bool Create);

// One document tab: its file name (empty when untitled) and how to write its copy, as the
// document would be saved, without touching its modified flag or save time.
struct TBackupDocument {
    std::string FileName;
    std::function<void(const std::filesystem::path& Target)> Write;
};

// Writes a new set of "n.txt" per document (n from 0 in tab order) and the index beside the
// last complete set, puts it on disk, and only then deletes the older ones. False when the set
// could not be written; the last complete set is then left as it was. Nothing is written for
// no documents.
bool WriteBackups(const std::filesystem::path& Folder,
                  const std::vector<TBackupDocument>& Documents);

// The folder holding the last complete set: the newest set with an index, or Folder itself
// when only an older run's copies lie there. Empty when there is none.
std::filesystem::path CurrentBackupSet(const std::filesystem::path& Folder);

// A copy found at start-up: the document's own name, or empty for an untitled one.
struct TRecoveredBackup {
    std::filesystem::path Backup;
    std::string FileName;
};

// The copies of an earlier run that did not end normally: every numbered "*.txt" of the last
// complete set with its name from the index. Empty when there is no complete set.
std::vector<TRecoveredBackup> FindBackupsToRecover(const std::filesystem::path& Folder);

} // namespace korvid
