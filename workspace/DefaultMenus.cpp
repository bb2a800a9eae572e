#include "workspace/DefaultMenus.h"

#include "platform/Cp1252.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolMenuItem.h"

#include <QMenu>
#include <QMenuBar>
#include <string_view>

namespace korvid {

namespace {

using TEntries = std::vector<TMenuEntry>;
using TSlot = TMenuEntry::TSlot;

constexpr std::string_view Separator = "-";

// Name1 to Name9, then Name0, as the numbered tools stand in menus and bars.
std::vector<std::string> Numbered(const std::string& Name) {
    std::vector<std::string> Names;
    for (int I = 1; I <= 10; ++I)
        Names.push_back(Name + std::to_string(I % 10));
    return Names;
}

TEntries Entries(const std::vector<std::string>& Names) {
    TEntries Result;
    for (const std::string& Name : Names)
        Result.emplace_back(Name.c_str());
    return Result;
}

template <class T> std::vector<T> Joined(std::vector<T> A, const std::vector<T>& B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

TEntries FileMenu() {
    return {"FileNew",
            "FileOpen",
            TMenuEntry("&Reopen", "Reopens a recently used file", {}, TSlot::Reopen),
            "FileRefresh",
            "FileSave",
            "FileSaveAs",
            "FileSaveAll",
            "FileClose",
            "FileCloseAll",
            "-",
            "FilePrint",
            "FileSendMail",
            "FileReadOnly",
            "FileSetPassword",
            "-",
            "FileExploreFolder",
            "FileBrowseVolume",
            "FileOpenRandom",
            "FilePrepareDefsHelp",
            "-",
            "FileCompareFiles",
            "FileCompareTheseFiles",
            "FileSubversionDiff",
            "FileSubversionLog",
            "-",
            "FileExit"};
}

TEntries EditMenu() {
    const TMenuEntry Clipboards(
        "E&xtra Clipboards", "",
        Joined<TMenuEntry>({"EditNewClipboard", "-"}, Entries(Numbered("EditPasteClipboard"))));
    const TMenuEntry ToggleBookmark("Toggle &Bookmark", "Marks or unmarks the current location",
                                    Entries(Numbered("EditToggleBookmark")));
    const TMenuEntry GoToBookmark("Go to Book&mark", "Jumps to a previously marked location",
                                  Entries(Numbered("EditGoToBookmark")));
    return {"EditUndo",
            "EditRedo",
            "-",
            "EditCut",
            "EditCutAppend",
            "EditCopy",
            "EditCopyAppend",
            "EditPaste",
            "EditDeleteWord",
            Clipboards,
            "EditSelectAll",
            "EditSelectDelimitedText",
            "EditAnchorSelection",
            "-",
            "EditFind",
            "EditFindNext",
            "EditReplace",
            "EditFindInFolder",
            "EditFindInAllOpenDocuments",
            "EditApplyChanges",
            "-",
            "EditGoTo",
            "EditGoToLastEdit",
            "EditGoToLastError",
            "EditGoToSearchResult",
            "EditGoStraightToSearchResult",
            "EditGoToNextSearchResult",
            "EditGoToPreviousSearchResult",
            "EditGoBack",
            "-",
            ToggleBookmark,
            GoToBookmark,
            "-",
            "EditRecordKeystrokes",
            "EditPlayKeystrokes",
            "EditPlayKeystrokesRepeatedly",
            "EditCopyRecordedKeystrokes",
            "EditPickRecordedKeystrokes"};
}

TEntries ViewMenu() {
    return {TMenuEntry("Current File &As", "", {}, TSlot::CurrentFileAs),
            "ViewDefineViews",
            "ViewParagraphMarks",
            "ViewBringLineToMiddle",
            "-",
            "ViewHistory",
            "ViewFavouritesBar",
            "ViewStatusBar",
            TMenuEntry("&Toolbars", "", {}, TSlot::Toolbars),
            "ViewResetToolbars",
            "-",
            "CompileVoskSource",
            "CompileWithOverride",
            "CompileWhenPaused",
            "ViewPSystemFiler",
            "ViewDebuggingBar",
            "-",
            "ViewCommandLines",
            "ViewRunCommandLine",
            "ViewOrganizeFiles",
            "ViewOptions"};
}

TEntries InsertMenu() {
    return {"InsertDate", "InsertTime", "InsertFilename", "InsertPathname", "-", "InsertFile"};
}

TEntries FormatMenu() {
    return {"FormatSort",
            "FormatAutoText",
            "FormatLintrel",
            TMenuEntry("&Change Case To", "",
                       {"FormatLowerCase", "FormatUpperCase", "FormatOppositeCase"}),
            "-",
            "FormatIndent",
            "FormatUnindent",
            "FormatAsComment",
            "FormatCentre",
            "-",
            "FormatAsSeparateParagraphs",
            "FormatAsOneParagraph"};
}

TEntries DebugMenu() {
    return {"ViewDebuggingBar",
            TMenuEntry("&Go to Tab", "",
                       {"DebugGoToBreakpointsTab", "DebugGoToCallStackTab", "DebugGoToStructureTab",
                        "DebugGoToWatchesTab", "-", "DebugGoToNextTab", "DebugGoToPreviousTab"}),
            "-",
            "DebugConnection",
            "DebugAddBreakpoint",
            "-",
            "DebugStepInto",
            "DebugStepOver",
            "DebugStepOut",
            "DebugResume",
            "DebugRunToCursor",
            "DebugAbort",
            "DebugShowExecutionPoint",
            "-",
            "DebugPause",
            "DebugShowTableViewer",
            "DebugDumpMemory",
            "-",
            "DebugFindDeclaration",
            "DebugUndoFindDeclaration",
            "DebugFindInCurrentSources"};
}

TEntries HelpMenu() {
    return {"HelpKorvidHelp", "HelpOnCurrentWord", "HelpAbout"};
}

std::vector<TDefaultToolbar> DefaultToolbars() {
    TDefaultToolbar Standard{"Standard", true, true, 1, 0, std::nullopt, {}};
    Standard.Buttons = {"FileNew",
                        "FileOpen",
                        "FileSave",
                        "FileClose",
                        "-",
                        "FilePrint",
                        "FileSendMail",
                        "FileReadOnly",
                        "FileExploreFolder",
                        "-",
                        "EditCut",
                        "EditCopy",
                        "EditPaste",
                        "-",
                        "EditUndo",
                        "EditRedo",
                        "-",
                        "EditFind",
                        "EditFindNext",
                        "EditReplace",
                        "EditFindInFolder",
                        "EditFindInAllOpenDocuments",
                        "EditGoTo",
                        "-",
                        "ViewHistory",
                        "ViewFavouritesBar",
                        "ViewOrganizeFiles",
                        "ViewOptions",
                        "ViewPSystemFiler",
                        "ViewDebuggingBar"};
    TDefaultToolbar Formatting{"Formatting", true, true, 1, 1, 0, {}};
    Formatting.Buttons = {"InsertDate",
                          "InsertTime",
                          "InsertFilename",
                          "InsertPathname",
                          "InsertFile",
                          "-",
                          "FormatSort",
                          "FormatAutoTextDropDown",
                          "FormatLintrel",
                          "-",
                          "FormatLowerCase",
                          "FormatUpperCase",
                          "FormatOppositeCase",
                          "-",
                          "FormatUnindent",
                          "FormatIndent",
                          "FormatAsComment",
                          "-",
                          "FormatAsSeparateParagraphs",
                          "FormatAsOneParagraph",
                          "-",
                          "ViewDefineViews",
                          "ViewParagraphMarks",
                          "ViewBringLineToMiddle",
                          "-",
                          "EditRecordKeystrokes",
                          "EditPlayKeystrokes",
                          "EditPlayKeystrokesRepeatedly"};
    TDefaultToolbar CommandLines{"Command Lines", true, true, 1, 0, 20, {}};
    CommandLines.Buttons = {"ViewCommandLines", "ViewRunCommandLine"};
    TDefaultToolbar Clipboards{"Extra Clipboards", false, true, 1, 1, 20, {}};
    Clipboards.Buttons =
        Joined<std::string>({"EditNewClipboard", "-"}, Numbered("EditPasteClipboard"));
    TDefaultToolbar Bookmarks{"Bookmarks", false, true, 2, std::nullopt, std::nullopt, {}};
    Bookmarks.Buttons =
        Joined(Joined(Numbered("EditToggleBookmark"), {"-"}), Numbered("EditGoToBookmark"));
    return {Standard, Formatting, CommandLines, Clipboards, Bookmarks};
}

// Menu bars and menus both take actions; a submenu joins its parent as its menu action.
QMenu* AddSubmenu(QWidget& Parent, const TMenuEntry& Entry) {
    auto* Submenu = new QMenu(ToQString(Entry.Name), &Parent);
    Submenu->menuAction()->setStatusTip(ToQString(Entry.Hint));
    Parent.addAction(Submenu->menuAction());
    return Submenu;
}

void AddSeparator(QWidget& Menu) {
    auto* Action = new QAction(&Menu);
    Action->setSeparator(true);
    Menu.addAction(Action);
}

void AddTool(QWidget& Menu, std::string_view Name, QObject* Owner, bool IsContext) {
    bool Found = false;
    const int Index = FindToolByName(Name, Found);
    if (Found)
        Menu.addAction(new TToolMenuItem(Owner, IsContext, ToolList().Items(Index)));
}

struct TSlotItems {
    QMenu* Reopen = nullptr;
    QMenu* CurrentFileAs = nullptr;
    QMenu* Toolbars = nullptr;
};

void AddEntries(QWidget& Menu, const TEntries& Entries, QObject* Owner, TSlotItems& Slots) {
    for (const TMenuEntry& Entry : Entries) {
        switch (Entry.Kind) {
        case TMenuEntry::TKind::Tool:
            AddTool(Menu, Entry.Name, Owner, false);
            break;
        case TMenuEntry::TKind::Separator:
            AddSeparator(Menu);
            break;
        case TMenuEntry::TKind::Submenu: {
            QMenu* Submenu = AddSubmenu(Menu, Entry);
            AddEntries(*Submenu, Entry.Items, Owner, Slots);
            if (Entry.Slot == TSlot::Reopen)
                Slots.Reopen = Submenu;
            else if (Entry.Slot == TSlot::CurrentFileAs)
                Slots.CurrentFileAs = Submenu;
            else if (Entry.Slot == TSlot::Toolbars)
                Slots.Toolbars = Submenu;
            break;
        }
        }
    }
}

} // namespace

TMenuEntry::TMenuEntry(const char* Name)
    : Kind(Name == Separator ? TKind::Separator : TKind::Tool), Name(Name) {}

TMenuEntry::TMenuEntry(std::string Caption, std::string Hint, std::vector<TMenuEntry> Items,
                       TSlot Slot)
    : Kind(TKind::Submenu), Name(std::move(Caption)), Hint(std::move(Hint)),
      Items(std::move(Items)), Slot(Slot) {}

TDefaultMenus CreateDefaultMenus() {
    TDefaultMenus Menus;
    Menus.MainMenu = {
        TMenuEntry("&File", "", FileMenu()),     TMenuEntry("&Edit", "", EditMenu()),
        TMenuEntry("&View", "", ViewMenu()),     TMenuEntry("&Insert", "", InsertMenu()),
        TMenuEntry("F&ormat", "", FormatMenu()), TMenuEntry("&Debug", "", DebugMenu()),
        TMenuEntry("&Help", "", HelpMenu())};
    Menus.ContextMenu = {"FileClose",
                         "-",
                         "EditUndo",
                         "EditRedo",
                         "-",
                         "EditCut",
                         "EditCopy",
                         "EditPaste",
                         "EditSelectAll",
                         "-",
                         "FileReadOnly",
                         "FileExploreFolder",
                         "-",
                         "FileSubversionDiff",
                         "FileSubversionLog"};
    Menus.Toolbars = DefaultToolbars();
    return Menus;
}

void BuildMenus(QMenuBar& MainMenu, QMenu& ContextMenu, QMenu*& ReopenItem, QObject* Owner,
                QMenu*& CurrentFileAsItem, QMenu*& ToolbarsItem) {
    const TDefaultMenus Menus = CreateDefaultMenus();
    TSlotItems Slots;
    AddEntries(MainMenu, Menus.MainMenu, Owner, Slots);
    BuildMenu(ContextMenu, Menus.ContextMenu, Owner, true);
    ReopenItem = Slots.Reopen;
    CurrentFileAsItem = Slots.CurrentFileAs;
    ToolbarsItem = Slots.Toolbars;
}

void BuildMenu(QMenu& Menu, const std::vector<std::string>& Names, QObject* Owner, bool IsContext) {
    for (const std::string& Name : Names) {
        if (Name == Separator)
            AddSeparator(Menu);
        else
            AddTool(Menu, Name, Owner, IsContext);
    }
}

} // namespace korvid
