#pragma once

#include <optional>
#include <string>
#include <vector>

class QMenu;
class QMenuBar;
class QObject;

namespace korvid {

// One entry of a menu: a tool by name, a separator or a submenu with its own entries.
struct TMenuEntry {
    enum class TKind { Tool, Separator, Submenu };
    // Submenus that the main window fills at run time.
    enum class TSlot { None, Reopen, CurrentFileAs, Toolbars };

    // A tool name, or "-" for a separator.
    TMenuEntry(const char* Name);
    TMenuEntry(std::string Caption, std::string Hint, std::vector<TMenuEntry> Items,
               TSlot Slot = TSlot::None);

    TKind Kind;
    std::string Name; // the tool's name or the submenu's caption
    std::string Hint; // a submenu's status-bar text
    std::vector<TMenuEntry> Items;
    TSlot Slot = TSlot::None;
};

// A toolbar as it is first written; a value without a number is not written.
struct TDefaultToolbar {
    std::string Name;
    bool Visible = true;
    bool Docked = true;
    int Dock = 1;
    std::optional<int> Lane;
    std::optional<int> Offset;
    std::vector<std::string> Buttons; // tool names and "-"
};

// The lists of tool names behind the menus and the first toolbars.
struct TDefaultMenus {
    std::vector<TMenuEntry> MainMenu; // the submenus of the menu bar
    std::vector<std::string> ContextMenu;
    std::vector<TDefaultToolbar> Toolbars;
};

TDefaultMenus CreateDefaultMenus();

// Adds the main menu and the editor's context menu, each tool item a TToolMenuItem owned by
// Owner, and hands back the empty submenus "&Reopen", "Current File &As" and "&Toolbars".
// The tool list must have been built.
void BuildMenus(QMenuBar& MainMenu, QMenu& ContextMenu, QMenu*& ReopenItem, QObject* Owner,
                QMenu*& CurrentFileAsItem, QMenu*& ToolbarsItem);

// Appends an item per tool name and a separator per "-" to Menu; unknown names are skipped.
void BuildMenu(QMenu& Menu, const std::vector<std::string>& Names, QObject* Owner, bool IsContext);

} // namespace korvid
