#pragma once

#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace korvid {

class THistoryService;
class TWindowHost;

// What the History window and menu need of the main window beyond TWindowHost.
class THistoryToolsHost {
public:
    virtual ~THistoryToolsHost() = default;
    virtual THistoryService& History() const = 0;
    // The menu that lists the newest files; null before the menus are built.
    virtual QMenu* ReopenMenu() const = 0;
    // A volume file goes to the volume browser, any other file to a tab.
    virtual void OpenByKind(const std::string& Name) = 0;
    virtual void OpenDroppedFiles(std::vector<std::string> Names, bool Ctrl) = 0;
    // From creation until the first show has read the command line.
    virtual bool StartingUp() const = 0;
};

// The History list on the main window's side: its tool window, the menu of the newest files and
// the History tools.
class THistoryTools {
public:
    THistoryTools(TWindowHost& Window, THistoryToolsHost& Host);
    THistoryTools(const THistoryTools&) = delete;
    THistoryTools& operator=(const THistoryTools&) = delete;

    // Makes the History window a tool window of the main one, where the settings left it, and
    // follows the list's changes.
    void PrepareWindow();
    // Shows the window at the first show when it was up at the last close.
    void ShowAtStart();
    // Keeps the window's place and column widths in the settings.
    void StoreWindow();
    // The window goes with the main one, so its hiding then is not kept as a choice.
    void StoreForClose();
    // The list's changes are no longer followed.
    void Disconnect();
    // The menu items of the newest files, as many as the screen holds.
    void BuildReopenMenu();
    // Opens the file of the menu item of Rank.
    void Reopen(int Rank);

    void ToggleWindow();
    void OpenSelected();
    void RemoveSelected();

private:
    // The History window's own toolbar: a button per History tool.
    static void FillToolPanel(QWidget* Panel);
    // The window's tool shows whether it is up; the keyboard follows it.
    void SyncWindowTool(QWidget* Window, int ToolIndex);

    TWindowHost& FWindow;
    THistoryToolsHost& FHost;
};

} // namespace korvid
