#pragma once

#include "foundation/UtilitiesUnit.h"

#include <array>
#include <string>

namespace korvid {

// A window's stored place: the main window's child windows keep theirs between runs.
struct TWindowPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;
};

// Where the open and save dialogs start until the user has picked a folder: the home folder.
std::string DefaultDialogFolder();

// Values of the root settings key that belong to windows other than the main one.
struct TMainWindowSettings {
    int FavouritesWidth = 200;
    bool ViewFavourites = false;
    // A width of 0: the bar's own, which shows its page captions whole.
    int DebuggingBarWidth = 0;
    TWindowPlacement DebuggingBarForm{200, 200, 0, 400};
    bool ViewDebuggingBar = false;
    int DebuggingBarTab = 0;
    int CompilerProgressFormLeft = 0, CompilerProgressFormTop = 0;
    // How long a batch run waits for a silent compiler before it gives up.
    int BatchCompileLimitSeconds = 600;
    // Centred on the main window until placed.
    int DefsEditorFormLeft = OffScreenPosition, DefsEditorFormTop = OffScreenPosition;
    int FilerFormLeft = 0, FilerFormTop = 0;
    int FindFormLeft = 0, FindFormTop = 0;
    int HistoryFormLeft = 0, HistoryFormTop = 0;
    std::string OpenFolder = DefaultDialogFolder();
    std::string SaveFolder = DefaultDialogFolder();
    bool PasswordAsAsterisks = true;
    // "Filer" key. Until placed, the filer is centred at the size it gives itself.
    TWindowPlacement Filer{OffScreenPosition, OffScreenPosition, 0, 0};
    // "History" key.
    bool HistoryVisible = false;
    TWindowPlacement History{100, 100, 500, 300};
    std::array<int, 4> HistoryColumnWidths{20, 30, 100, 300};
    // "Browse Volume" key.
    bool BrowseMatchCase = false;
    bool BrowseWholeWords = false;
    bool BrowseIgnoreUnderscores = true;
    // The volume browser's list of further volumes to search.
    std::string MultipleVolumeSearchList;
};

} // namespace korvid
