#include "ui/ShellImageList.h"

#include "tests/support/CurrentFolder.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QMimeDatabase>
#include <QPainter>
#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace korvid {
namespace {

using test::TCurrentFolder;
using test::TTempDir;
using test::WriteFileBytes;

// The desktop theme's icon name of the type of files with that extension.
QString IconNameOf(const std::string& Extension) {
    return QMimeDatabase()
        .mimeTypeForFile(QString::fromStdString("x" + Extension), QMimeDatabase::MatchExtension)
        .iconName();
}

// A small icon theme of the tests' own, holding an icon for each type named: the machine's
// theme never decides a test.
class TTestIconTheme {
public:
    explicit TTestIconTheme(const std::vector<std::string>& ExtensionsWithIcons) {
        const std::filesystem::path Folder = FRoot / "korvid-test" / "16x16" / "mimetypes";
        std::filesystem::create_directories(Folder);
        WriteFileBytes(FRoot / "korvid-test" / "index.theme",
                       "[Icon Theme]\nName=korvid-test\nDirectories=16x16/mimetypes\n\n"
                       "[16x16/mimetypes]\nSize=16\nType=Fixed\n");
        QImage Picture(16, 16, QImage::Format_ARGB32);
        Picture.fill(Qt::darkCyan);
        for (const std::string& Extension : ExtensionsWithIcons) {
            const QString File =
                QString::fromStdString((Folder / "").string()) + IconNameOf(Extension) + ".png";
            Picture.save(File);
        }
        FOldPaths = QIcon::themeSearchPaths();
        FOldName = QIcon::themeName();
        QIcon::setThemeSearchPaths({QString::fromStdString(FRoot.Path().string())});
        QIcon::setThemeName("korvid-test");
    }
    ~TTestIconTheme() {
        QIcon::setThemeSearchPaths(FOldPaths);
        QIcon::setThemeName(FOldName);
    }

private:
    TTempDir FRoot;
    QStringList FOldPaths;
    QString FOldName;
};

TEST(ShellImageList, StartsWithTheSixFixedIconsAndSavesTheirPicture) {
    TShellImageList List;
    ASSERT_EQ(List.Count(), 6);
    QImage Row(6 * 20, 20, QImage::Format_ARGB32);
    Row.fill(Qt::white);
    QPainter Painter(&Row);
    for (int Index = 0; Index < 6; ++Index) {
        const QPixmap Picture = List.Icon(Index).pixmap(16, 16);
        ASSERT_FALSE(Picture.isNull()) << Index;
        Painter.drawPixmap(Index * 20 + 2, 2, Picture);
    }
    Painter.end();
    EXPECT_NE(List.Icon(TShellImageList::TextIcon).pixmap(16).toImage(),
              List.Icon(TShellImageList::UntypedIcon).pixmap(16).toImage());
    EXPECT_TRUE(Row.save(QDir(QCoreApplication::applicationDirPath()).filePath("file-icons.png")));
}

TEST(ShellImageList, GetIconIndexFollowsTheFileRules) {
    const TTestIconTheme Theme({".txt", ".exe", ""});
    TTempDir Folder;
    const TCurrentFolder Current(Folder.Path());
    for (const char* Name :
         {"a:x.txt", "A:\\x.txt", "A", "x.vp", "x.VP", "x.pdf", "one.txt", "two.txt", "three.TXT",
          "one.exe", "two.exe", "caf\xE9.txt", "\x86.vp"})
        WriteFileBytes(Folder / Name, "x");
    TShellImageList List;
    constexpr int AnyShellIcon = -1;
    struct TCase {
        const char* Name;
        int Expected;
        int Growth; // icons the call adds to the list
    };
    const TCase Cases[] = {
        {"a:x.txt", TShellImageList::UntypedIcon, 0},
        {"A:\\x.txt", TShellImageList::UntypedIcon, 0},
        {"A", AnyShellIcon, 1},
        {"missing.txt", TShellImageList::NoSuchIcon, 0},
        {"x.vp", TShellImageList::TextIcon, 0},
        {"x.VP", AnyShellIcon, 1},
        {"x.pdf", TShellImageList::UntypedIcon, 0},
        {"x.pdf", TShellImageList::UntypedIcon, 0},
        {"one.txt", AnyShellIcon, 1},
        {"two.txt", AnyShellIcon, 0},
        {"three.TXT", AnyShellIcon, 0},
        // Names that are not UTF-8 are looked up by their bytes.
        {"caf\xE9.txt", AnyShellIcon, 0},
        {"\x86.vp", TShellImageList::TextIcon, 0},
        {"\x86", TShellImageList::NoSuchIcon, 0},
        {"one.exe", AnyShellIcon, 1},
        {"two.exe", AnyShellIcon, 1},
    };
    std::map<std::string, int> Shared;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const int Before = List.Count();
        const int Index = List.GetIconIndex(Case.Name);
        EXPECT_EQ(List.Count() - Before, Case.Growth);
        if (Case.Expected != AnyShellIcon) {
            EXPECT_EQ(Index, Case.Expected);
            continue;
        }
        EXPECT_GE(Index, 6);
        if (FileExtension(Case.Name) == ".exe") {
            EXPECT_EQ(Index, Before); // a new icon of its own
            continue;
        }
        const std::string Extension =
            QString::fromStdString(FileExtension(Case.Name)).toLower().toStdString();
        EXPECT_EQ(Shared.try_emplace(Extension, Index).first->second, Index);
    }
    EXPECT_EQ(List.GetIconIndex("one.txt"), List.GetIconIndex("three.TXT"));
}

// The history window looks icons up on a worker while the GUI thread adds files of its own.
TEST(ShellImageList, WorkersAndTheGuiThreadAgreeOnEveryExtension) {
    std::vector<std::string> Extensions;
    for (const char* Extension :
         {".txt", ".html", ".png", ".c",  ".cpp", ".h",   ".py",  ".sh",  ".xml", ".json",
          ".css", ".js",   ".zip", ".gz", ".pdf", ".jpg", ".svg", ".csv", ".qqq", ".rrr"})
        Extensions.push_back(Extension);
    // The last five have no icon in the theme.
    const std::vector<std::string> WithIcons(Extensions.begin(), Extensions.end() - 5);
    const TTestIconTheme Theme(WithIcons);
    TTempDir Folder;
    constexpr int FileCount = 1000;
    std::vector<std::filesystem::path> Files;
    for (int I = 0; I < FileCount; ++I) {
        Files.push_back(Folder / ("f" + std::to_string(I) + Extensions[I % Extensions.size()]));
        WriteFileBytes(Files.back(), "");
    }
    TShellImageList List;
    constexpr int WorkerCount = 8;
    std::vector<std::vector<TIconKey>> Keys(WorkerCount, std::vector<TIconKey>(FileCount));
    std::vector<int> GuiIndexes(FileCount);
    {
        std::vector<std::jthread> Workers;
        for (int W = 0; W < WorkerCount; ++W)
            Workers.emplace_back([&, W] {
                for (int I = 0; I < FileCount; ++I)
                    Keys[W][(I + W * 97) % FileCount] =
                        List.IconKeyOf(Files[(I + W * 97) % FileCount]);
            });
        for (int I = 0; I < FileCount; ++I)
            GuiIndexes[I] = List.GetIconIndex(Files[I]);
    }
    for (int I = 0; I < FileCount; ++I) {
        const int First = I % static_cast<int>(Extensions.size());
        SCOPED_TRACE(Files[I].string());
        for (int W = 0; W < WorkerCount; ++W)
            ASSERT_EQ(Keys[W][I], Keys[0][First]);
        ASSERT_EQ(GuiIndexes[I], GuiIndexes[First]);
        ASSERT_EQ(List.IndexOfKey(Keys[0][I]), GuiIndexes[I]);
    }
    for (int E = 0; E < static_cast<int>(Extensions.size()); ++E)
        EXPECT_EQ(GuiIndexes[E] >= 6, E < static_cast<int>(WithIcons.size())) << Extensions[E];
    EXPECT_EQ(List.Count(), 6 + static_cast<int>(WithIcons.size()));
}

// A theme folder under Root: with a picture for each type named, or, with no Directories line,
// one of cursors only.
void MakeTheme(const std::filesystem::path& Root, const std::string& Name, bool WithPictures,
               const std::vector<std::string>& Extensions = {}) {
    const std::filesystem::path Folder = Root / Name / "16x16" / "mimetypes";
    std::filesystem::create_directories(Folder);
    WriteFileBytes(Root / Name / "index.theme",
                   "[Icon Theme]\nName=" + Name + "\n" +
                       (WithPictures ? "Directories=16x16/mimetypes,16x16/apps\n\n"
                                       "[16x16/mimetypes]\nSize=16\nType=Fixed\n"
                                     : "Inherits=Adwaita\n"));
    QImage Picture(16, 16, QImage::Format_ARGB32);
    Picture.fill(Qt::darkMagenta);
    for (const std::string& Extension : Extensions)
        Picture.save(QString::fromStdString((Folder / "").string()) + IconNameOf(Extension) +
                     ".png");
}

TEST(IconTheme, WithoutADesktopThemeAnInstalledOneIsUsed) {
    TTempDir First, Second;
    MakeTheme(First.Path(), "hicolor", true);
    MakeTheme(First.Path(), "default", false);
    MakeTheme(First.Path(), "Zircon", true);
    MakeTheme(Second.Path(), "Adwaita", true);
    TTempDir Other;
    MakeTheme(Other.Path(), "Basalt", true);
    MakeTheme(Other.Path(), "Zircon", true);
    const QString A = QString::fromStdString(First.Path().string());
    const QString B = QString::fromStdString(Second.Path().string());
    const QString C = QString::fromStdString(Other.Path().string());
    const struct {
        const char* Name;
        QString Theme;
        QStringList Roots;
        QString Chosen;
    } Cases[] = {
        {"no name: Adwaita wherever it is", "", {A, B}, "Adwaita"},
        {"Qt's bare hicolor counts as none", "hicolor", {A, B}, "Adwaita"},
        {"without Adwaita the first with pictures", "", {C, A}, "Basalt"},
        {"hicolor and cursor themes are passed over", "", {A}, "Zircon"},
        {"the desktop's own theme stands", "Breeze", {A, B}, ""},
        {"nothing installed", "", {}, ""},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(FallbackIconTheme(Case.Theme, Case.Roots), Case.Chosen) << Case.Name;
}

TEST(IconTheme, FilesGetTheInstalledThemesIconsWhenTheDesktopNamesNone) {
    TTempDir Root, Files;
    MakeTheme(Root.Path(), "Adwaita", true, {".txt"});
    WriteFileBytes(Files / "notes.txt", "x");
    const QStringList OldPaths = QIcon::themeSearchPaths();
    const QString OldName = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(Root.Path().string())});
    QIcon::setThemeName("");
    TShellImageList Before;
    EXPECT_EQ(Before.GetIconIndex(Files / "notes.txt"), TShellImageList::UntypedIcon);
    UseInstalledIconTheme();
    EXPECT_EQ(QIcon::themeName(), "Adwaita");
    TShellImageList After;
    EXPECT_NE(After.GetIconIndex(Files / "notes.txt"), TShellImageList::UntypedIcon);
    QIcon::setThemeSearchPaths(OldPaths);
    QIcon::setThemeName(OldName);
}

} // namespace
} // namespace korvid
