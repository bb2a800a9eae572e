#pragma once

#include "psystem/Volume.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvid {

enum TUnpackMode : int {
    umTextFiles = 0,   // text files, converted, with an extension by their text kind
    umInterfaces = 1,  // the interface sections of code-file listings
    umAllFiles = 2,    // text converted, code and data raw, subvolumes as folders
    umAllFilesRaw = 3, // as umAllFiles, but text files keep their own names
};

// One file or first-level subfolder to pack.
struct TPackEntry {
    std::filesystem::path Path;
    std::string Name; // the Windows name, in the program's 8-bit text
    bool IsFolder = false;
    std::vector<TPackEntry> Files;  // a subfolder's files
    std::vector<std::string> Lines; // a file's text
    // Blocks by the estimate a volume is never made smaller than: a file's size in blocks
    // plus 2, a subfolder's own estimate plus 6.
    int EstimatedBlocks = 0;
    // Blocks the entry really takes: a file's encoded text, a subfolder's subvolume.
    int NeededBlocks = 0;
};

struct TPackList {
    std::vector<TPackEntry> Entries; // sorted without regard to case
    int FileCount = 0;               // packed files, those of subfolders included
    int EstimatedBlocks = 0;
    int NeededBlocks = 0;
};

// Collects the ".vp" files of Folder whose names have no blank and fewer than 14 characters,
// and, unless Nested, its subfolders of fewer than 8 characters with their files.
void ScanPackFolder(const std::filesystem::path& Folder, bool Nested, TPackList& List);
// The blocks of a volume (or subvolume) that holds List with room to spare.
int PackVolumeSize(const TPackList& List);
// Stores Entries in V: files as ".TEXT" files, subfolders as subvolumes placed by first fit.
// False after a message when they do not fit or two of them would take the same name.
bool PackFolderIntoVolume(TVolume& V, const std::vector<TPackEntry>& Entries);
// Builds VolumeFile from Folder. An existing VolumeFile is replaced only when the whole volume
// was built; false after a message otherwise.
bool PackFiles(const std::filesystem::path& Folder, const std::filesystem::path& VolumeFile);

// Unpacks every "*.vol" file under SourceFolder (mode umAllFiles) into TargetFolder, each into
// a folder named after it below its relative folder. Answers the files, and the volumes'
// folders, written under another name than their own.
std::vector<TRenamedFile> UnpackVolumesInFolder(const std::filesystem::path& SourceFolder,
                                                const std::filesystem::path& TargetFolder);

// A disk path for a name in the program's 8-bit text, and back.
std::filesystem::path PathOfName(const std::string& Name);
std::string NameOfPath(const std::filesystem::path& Path);

} // namespace korvid
