#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvid {

// What a file's small icon is, found without making any picture, so that any thread may ask.
struct TIconKey {
    enum TKind { Missing, Untyped, Text, Shell };
    TKind Kind = Untyped;
    // Shell only: the lower-case extension the icon is cached under, and the desktop theme's
    // icon names for the file's type (the specific one, then the generic one).
    std::string Extension;
    QString IconName;
    QString GenericIconName;

    friend bool operator==(const TIconKey&, const TIconKey&) = default;
};

// The one shared list of small file icons, addressed by index: the six fixed icons first, then
// the desktop theme's icon of each file type met so far, one per extension (every program, an
// ".exe", gets its own).
class TShellImageList {
public:
    enum TFixedIcon { FolderIcon, RefillFolderIcon, VolumeIcon, TextIcon, UntypedIcon, NoSuchIcon };

    TShellImageList();
    TShellImageList(const TShellImageList&) = delete;
    TShellImageList& operator=(const TShellImageList&) = delete;

    // Any thread. The file checks and the type lookup; one answer per extension once known.
    TIconKey IconKeyOf(const std::filesystem::path& FileName);
    // GUI thread only: makes and caches the icon of Key and answers its index.
    int IndexOfKey(const TIconKey& Key);
    // GUI thread only: both steps.
    int GetIconIndex(const std::filesystem::path& FileName);

    // GUI thread only.
    int Count() const;
    QIcon Icon(int Index) const;

private:
    int AddIcon(const QIcon& Icon);

    mutable std::mutex FMutex;
    // Both caches are keyed by the lower-case extension.
    std::unordered_map<std::string, TIconKey> FKeys;
    std::unordered_map<std::string, int> FIndexes;
    std::vector<QIcon> FIcons;
};

// The icon theme to use when the desktop names none (Name empty or Qt's bare "hicolor"): Adwaita
// when one of Roots holds it, else the first theme there with pictures of its own; empty when
// the desktop named one or none is installed.
QString FallbackIconTheme(const QString& Name, const QStringList& Roots);
// Without a theme named by the desktop every file would get the generic icon: file icons then
// come from an installed theme. Call once the application exists.
void UseInstalledIconTheme();

// The program's list, made on first use (on the GUI thread).
TShellImageList& ShellImageList();

// The extension of the file name part, dot included ("" without one).
std::string FileExtension(const std::filesystem::path& FileName);

} // namespace korvid
