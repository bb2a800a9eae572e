#include "ui/ShellImageList.h"

#include "platform/Paths.h"

#include <QDir>
#include <QMimeDatabase>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>

#include <array>

// Resources linked from a static library are registered by hand, outside any namespace.
static void RegisterIconResources() {
    static const bool Registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)Registered;
}

namespace korvid {

namespace {

constexpr int IconSize = 16;

constexpr std::array FixedIconNames{"X_FOLDERICON", "X_REFILLFOLDERICON", "X_VOLUMEICON",
                                    "X_TEXTICON",   "X_UNTYPEDICON",      "X_NOSUCHICON"};

// The program's own text kinds, compared as written.
constexpr std::array TextExtensions{".vp", ".vr", ".ve2", ".ve"};

// The shell is never asked about a floppy drive: it would spin it up.
bool IsDriveAPath(const QString& Name) {
    return Name.size() > 1 && (Name[0] == u'A' || Name[0] == u'a') && Name[1] == u':';
}

// Programs are never looked up in the cache, so each keeps an icon of its own.
bool IsProgramExtension(const std::string& LowerExtension) {
    return LowerExtension == ".exe";
}

// A directory has no extension to share, so its type gets a key no extension can have.
const std::string DirectoryCacheKey = "/";

// A concrete picture, so that a later change of the desktop theme leaves the list alone.
QIcon ThemeIcon(const TIconKey& Key) {
    for (const QString& Name : {Key.IconName, Key.GenericIconName})
        if (!Name.isEmpty() && QIcon::hasThemeIcon(Name)) {
            const QPixmap Picture = QIcon::fromTheme(Name).pixmap(IconSize, IconSize);
            if (!Picture.isNull())
                return QIcon(Picture);
        }
    return {};
}

TIconKey FixedKey(TIconKey::TKind Kind) {
    TIconKey Key;
    Key.Kind = Kind;
    return Key;
}

} // namespace

std::string FileExtension(const std::filesystem::path& FileName) {
    const QString Name = PathToQString(FileName.filename());
    const auto Dot = Name.lastIndexOf(u'.');
    return Dot < 0 ? std::string() : PathFromQString(Name.mid(Dot)).native();
}

TShellImageList::TShellImageList() {
    RegisterIconResources();
    for (const char* Name : FixedIconNames)
        FIcons.emplace_back(QPixmap(QStringLiteral(":/icons/") + QLatin1String(Name)));
}

TIconKey TShellImageList::IconKeyOf(const std::filesystem::path& FileName) {
    const QString Name = PathToQString(FileName);
    if (IsDriveAPath(Name))
        return FixedKey(TIconKey::Untyped);
    // Asked by its bytes: a name that is not UTF-8 has no Qt spelling of its own.
    std::error_code Error;
    const std::filesystem::file_status Status = std::filesystem::status(FileName, Error);
    if (!std::filesystem::exists(Status))
        return FixedKey(TIconKey::Missing);
    const std::string Extension = FileExtension(FileName);
    for (const char* Text : TextExtensions)
        if (Extension == Text)
            return FixedKey(TIconKey::Text);

    const std::string CacheKey = std::filesystem::is_directory(Status)
                                     ? DirectoryCacheKey
                                     : QString::fromStdString(Extension).toLower().toStdString();
    const bool Cached = !IsProgramExtension(CacheKey);
    if (Cached) {
        const std::scoped_lock Lock(FMutex);
        if (const auto Found = FKeys.find(CacheKey); Found != FKeys.end())
            return Found->second;
    }
    // By name only: the first file of an extension speaks for all of them, and a slow network
    // file is never read.
    const QMimeType Type = QMimeDatabase().mimeTypeForFile(Name, QMimeDatabase::MatchExtension);
    TIconKey Key{TIconKey::Shell, CacheKey, Type.iconName(), Type.genericIconName()};
    if (!Cached)
        return Key;
    const std::scoped_lock Lock(FMutex);
    // Another thread may have got there first; its answer stands.
    return FKeys.try_emplace(CacheKey, std::move(Key)).first->second;
}

int TShellImageList::IndexOfKey(const TIconKey& Key) {
    switch (Key.Kind) {
    case TIconKey::Missing:
        return NoSuchIcon;
    case TIconKey::Untyped:
        return UntypedIcon;
    case TIconKey::Text:
        return TextIcon;
    case TIconKey::Shell:
        break;
    }
    const bool Cached = !IsProgramExtension(Key.Extension);
    if (Cached) {
        const std::scoped_lock Lock(FMutex);
        if (const auto Found = FIndexes.find(Key.Extension); Found != FIndexes.end())
            return Found->second;
    }
    const QIcon Icon = ThemeIcon(Key);
    if (Icon.isNull())
        return UntypedIcon;
    const std::scoped_lock Lock(FMutex);
    FIcons.push_back(Icon);
    const int Index = static_cast<int>(FIcons.size()) - 1;
    if (Cached)
        FIndexes.emplace(Key.Extension, Index);
    return Index;
}

int TShellImageList::GetIconIndex(const std::filesystem::path& FileName) {
    return IndexOfKey(IconKeyOf(FileName));
}

int TShellImageList::Count() const {
    const std::scoped_lock Lock(FMutex);
    return static_cast<int>(FIcons.size());
}

QIcon TShellImageList::Icon(int Index) const {
    const std::scoped_lock Lock(FMutex);
    return Index >= 0 && Index < static_cast<int>(FIcons.size()) ? FIcons[Index] : QIcon();
}

namespace {

// A theme folder of its own pictures: cursor themes and bare inheritors have no directories.
bool HasPictures(const QDir& Theme) {
    const QSettings Index(Theme.filePath("index.theme"), QSettings::IniFormat);
    return !Index.value("Icon Theme/Directories").toStringList().isEmpty();
}

} // namespace

QString FallbackIconTheme(const QString& Name, const QStringList& Roots) {
    if (!Name.isEmpty() && Name != QLatin1String("hicolor"))
        return {};
    QString First;
    for (const QString& Root : Roots)
        for (const QString& Theme :
             QDir(Root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            // hicolor is what every theme falls back to: it holds no file types.
            if (Theme == QLatin1String("hicolor") || !HasPictures(QDir(Root).filePath(Theme)))
                continue;
            if (Theme == QLatin1String("Adwaita"))
                return Theme;
            if (First.isEmpty())
                First = Theme;
        }
    return First;
}

void UseInstalledIconTheme() {
    QStringList Roots = QIcon::themeSearchPaths();
    for (const QString& Root : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                         "icons", QStandardPaths::LocateDirectory))
        if (!Roots.contains(Root))
            Roots.append(Root);
    const QString Theme = FallbackIconTheme(QIcon::themeName(), Roots);
    if (Theme.isEmpty())
        return;
    QIcon::setThemeSearchPaths(Roots);
    QIcon::setThemeName(Theme);
}

TShellImageList& ShellImageList() {
    static TShellImageList List;
    return List;
}

} // namespace korvid
