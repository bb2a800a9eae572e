#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// A file inside a volume as documents and lists name it: "<volume file>><FILE>" or
// "<volume file>><SUB>.SVOL:<FILE>". ">" cannot occur in a Windows path, so the first one
// ends the volume file; the first ":" after it ends the subvolume.
struct TVolumePath {
    std::string VolumeFile; // the disk path of the volume file
    std::string Subvolume;  // the subvolume's entry name ("SUB.SVOL"), or empty
    std::string FileName;   // the p-System file name

    bool operator==(const TVolumePath&) const = default;
};

inline constexpr char VolumePathSeparator = '>';
inline constexpr char SubvolumeSeparator = ':';

bool IsVolumePath(std::string_view Text);
// Nothing when Text holds no ">" or either side of it is empty.
std::optional<TVolumePath> ParseVolumePath(std::string_view Text);
std::string FormatVolumePath(const TVolumePath& Path);
// The disk folder a document lives in; one inside a volume lives in the volume file's.
std::filesystem::path DocumentFolder(std::string_view FileName);

} // namespace korvid
