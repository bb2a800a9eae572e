#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QMenuBar;
class QWidget;

namespace korvid {

class TCommandBar;
class TCustomBar;
class TDock;
class TDocumentEditor;
class TStoredBarPlaces;
class TToolbarList;
class TView;
class TViewCatalogue;
class TWindowHost;

// What the bars and the view menus need of the window beyond TWindowHost.
class TBarsAndMenusHost {
public:
    virtual ~TBarsAndMenusHost() = default;

    virtual TViewCatalogue& Views() const = 0;
    // Every tab's document, in tab order.
    virtual std::vector<TDocumentEditor*> OpenDocuments() const = 0;
    // The window is being taken down: its menus are no longer rebuilt.
    virtual bool Destroying() const = 0;
    // False for a batch run, which keeps none of the user's settings.
    virtual bool SavesSettings() const = 0;
};

// The window's four docks and the toolbars in them, the menus that show and hide the toolbars,
// and the menus built from the views: "Current File As" and the active view's auto-text.
// The bars, docks and menus are widgets of the window; this keeps their list and their layout.
class TBarsAndMenus {
public:
    TBarsAndMenus(TWindowHost& Window, TBarsAndMenusHost& Host);
    ~TBarsAndMenus();
    TBarsAndMenus(const TBarsAndMenus&) = delete;
    TBarsAndMenus& operator=(const TBarsAndMenus&) = delete;

    // Puts the docks around Middle; the result is the window's central widget.
    QWidget* CreateDocks(QWidget& Middle);
    // ToolbarsMenu and ViewsMenu are the main menu's "Toolbars" and "Current File As" submenus.
    void CreateMenus(QMenuBar& MenuBar, QMenu* ToolbarsMenu, QMenu* ViewsMenu);
    // The bars stop reporting back, for a window that is going.
    void DetachToolbars();

    // ---- Docks and toolbars ----
    TDock* TopDock() const { return FTopDock; }
    TDock* BottomDock() const { return FBottomDock; }
    TDock* LeftDock() const { return FLeftDock; }
    TDock* RightDock() const { return FRightDock; }
    // 1 to 4 for the top, bottom, left and right dock; 0 for anything else.
    int DockIndex(const QWidget* Dock) const;
    TToolbarList& Toolbars() const { return *FToolbars; }
    // A button per known tool name and a separator per "-"; unknown names are skipped.
    void BuildToolbar(TCommandBar& Bar, const std::vector<std::string>& Names);
    void LoadToolbars();
    void SaveToolbars();
    // Back to the stored defaults, once the click that asked for it is over.
    void ResetToolbars();
    void BuildToolbarsMenu();
    void ToolbarsCommandClick(int Tag);
    void ToolbarDockChanged(TCustomBar& Bar);
    QMenu* ToolbarsMenu() const { return FToolbarsMenu; }
    QMenu* ToolbarPopupMenu() const { return FToolbarPopupMenu; }

    // ---- Views and auto-text ----
    void BuildViewsMenu();
    void ViewsCommandClick(int Tag);
    QMenu* ViewsMenu() const { return FCurrentFileAsMenu; }
    QMenu* AutoTextMenu() const { return FAutoTextMenu; }
    QMenu* HiddenAutoTextMenu() const { return FHiddenAutoTextMenu; }
    void AutoTextCommandClick(int Tag);
    // A key the tools did not take: a view's shortcut applies it, else an auto-text entry of
    // the active view is inserted. False when neither has it.
    bool RunViewShortCut(std::uint16_t ShortCut);
    // The word before the caret, when an abbreviation of the view, becomes its auto-text.
    void ExpandAutoText();
    void DefineViews();
    // Every tab's editor hears that View changed (kind 0) or is about to be freed (kind 1).
    void NotifyViewChanged(TView& View, int Kind);

private:
    TDock* DockOfIndex(int Index) const;
    void ResetToolbarsNow();
    // Ends the docks' updates once the window's layout has given them their lengths.
    void EndDockUpdates();
    // A window shown maximized gets its size from the window manager after the bars were laid
    // out: until the user first touches anything, the bars go back to their stored places
    // whenever the maximized window is resized.
    void KeepStoredPlacesUntilMaximized();

    TWindowHost& FWindow;
    TBarsAndMenusHost& FHost;
    TDock* FTopDock = nullptr;
    TDock* FBottomDock = nullptr;
    TDock* FLeftDock = nullptr;
    TDock* FRightDock = nullptr;
    QWidget* FDockArea = nullptr; // the docks around the middle
    std::unique_ptr<TToolbarList> FToolbars;
    QMenu* FToolbarsMenu = nullptr;
    QMenu* FToolbarPopupMenu = nullptr;
    QMenu* FCurrentFileAsMenu = nullptr;
    QMenu* FAutoTextMenu = nullptr;
    QMenu* FHiddenAutoTextMenu = nullptr;
    std::unique_ptr<TStoredBarPlaces> FStoredPlaces;
};

} // namespace korvid
