#pragma once

#include <string>

class QMenu;
class QSplitter;
class QWidget;

namespace korvid {

class TDesktopOpener;
class TFavouritesService;
class TWindowHost;

// What the Favourites bar needs of the main window beyond TWindowHost.
class TFavouritesToolsHost {
public:
    virtual ~TFavouritesToolsHost() = default;
    virtual TFavouritesService& FavouritesTree() const = 0;
    virtual TDesktopOpener& DesktopOpener() const = 0;
    // A volume file goes to the volume browser, any other file to a tab.
    virtual void OpenByKind(const std::string& Name) = 0;
    // Finds a file under Folder by part of its name and opens it.
    virtual void ShowLocateFileDialog(const std::string& Folder) = 0;
};

// The Favourites bar beside the document tabs, its menu and the Favourites tools.
class TFavouritesTools {
public:
    TFavouritesTools(TWindowHost& Window, TFavouritesToolsHost& Host);
    TFavouritesTools(const TFavouritesTools&) = delete;
    TFavouritesTools& operator=(const TFavouritesTools&) = delete;

    // The splitter holding Tabs and the bar, which stays hidden until the options show it.
    QWidget* CreateBeside(QWidget* Tabs);
    // The tree's handlers and the bar's menu; after CreateBeside.
    void Wire();
    // Side, width, shown state and the tree's options.
    void ApplyOptions();
    void ShowBar(bool Show);
    // A bar that shows keeps its width in the settings.
    void StoreWidth();
    // Null before CreateBeside.
    QWidget* Panel() const { return FPanel; }
    QMenu* Menu() const { return FMenu; }

    void ToggleBar();
    void AddFile();
    void AddVolume();
    void NewFolder();
    void NewPSystemTextFile();
    void Remove();
    void Open();
    void OpenExternally();
    void LocateFile();

private:
    TWindowHost& FWindow;
    TFavouritesToolsHost& FHost;
    QWidget* FTabs = nullptr;
    QSplitter* FSplitter = nullptr;
    QWidget* FPanel = nullptr;
    QMenu* FMenu = nullptr;
};

} // namespace korvid
