#include "psystem/VolumePath.h"

namespace korvid {

bool IsVolumePath(std::string_view Text) {
    return Text.find(VolumePathSeparator) != std::string_view::npos;
}

std::optional<TVolumePath> ParseVolumePath(std::string_view Text) {
    const std::size_t Split = Text.find(VolumePathSeparator);
    if (Split == std::string_view::npos || Split == 0)
        return std::nullopt;
    TVolumePath Result;
    Result.VolumeFile = std::string(Text.substr(0, Split));
    const std::string_view Inner = Text.substr(Split + 1);
    const std::size_t Colon = Inner.find(SubvolumeSeparator);
    if (Colon == std::string_view::npos) {
        Result.FileName = std::string(Inner);
    } else {
        Result.Subvolume = std::string(Inner.substr(0, Colon));
        Result.FileName = std::string(Inner.substr(Colon + 1));
        if (Result.Subvolume.empty())
            return std::nullopt;
    }
    if (Result.FileName.empty())
        return std::nullopt;
    return Result;
}

std::string FormatVolumePath(const TVolumePath& Path) {
    std::string Text = Path.VolumeFile;
    Text += VolumePathSeparator;
    if (!Path.Subvolume.empty()) {
        Text += Path.Subvolume;
        Text += SubvolumeSeparator;
    }
    Text += Path.FileName;
    return Text;
}

std::filesystem::path DocumentFolder(std::string_view FileName) {
    if (const auto Volume = ParseVolumePath(FileName))
        return std::filesystem::path(Volume->VolumeFile).parent_path();
    return std::filesystem::path(FileName).parent_path();
}

} // namespace korvid
