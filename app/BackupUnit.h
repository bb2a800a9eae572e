#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

// The folder of the periodic copies of every open document, with "Index.txt" naming them.
std::filesystem::path DefaultBackupFolder();

// The backup timer's period for "Backup Minutes", held to the longest a timer can wait.
int BackupIntervalMs(int Minutes);

// Deletes every file of the folder; with Create, makes the folder first when missing.
void ClearBackupFolder(const std::filesystem::path& Folder, bool Create);

// One document tab: its file name (empty when untitled) and how to write its copy, as the
// document would be saved, without touching its modified flag or save time.
struct TBackupDocument {
    std::string FileName;
    std::function<void(const std::filesystem::path& Target)> Write;
};

// Replaces the folder's contents with "n.txt" per document (n from 0 in tab order) and the index.
void WriteBackups(const std::filesystem::path& Folder,
                  const std::vector<TBackupDocument>& Documents);

// A copy found at start-up: the document's own name, or empty for an untitled one.
struct TRecoveredBackup {
    std::filesystem::path Backup;
    std::string FileName;
};

// The copies of an earlier run that did not end normally: every numbered "*.txt" with its name
// from the index. Empty when there is no index.
std::vector<TRecoveredBackup> FindBackupsToRecover(const std::filesystem::path& Folder);

} // namespace korvid
