#include "app/KorvidForm.h"

#include "app/BackupUnit.h"
#include "editor/engine/EngCustomEditor.h"
#include "foundation/RegistryEx.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "workspace/KorvidTool.h"
#include "workspace/ShortCutSettings.h"
#include "workspace/ToolIndexes.h"

#include <QStatusBar>
#include <QTimer>

namespace korvid {
namespace {

void ReadInteger(const TRegistryEx& Reg, std::string_view Name, int& Value) {
    Value = Reg.ReadIntegerDefault(Name, Value);
}

// A dialog folder on drive A: is only ever its root.
std::string FloppyRoot(std::string Folder) {
    if (Folder.size() >= 2 && UpperCase1252(Folder.substr(0, 2)) == "A:")
        return "A:\\";
    return Folder;
}

void ReadPlacement(const TRegistryEx& Reg, TWindowPlacement& Placement) {
    ReadInteger(Reg, "Window Left", Placement.Left);
    ReadInteger(Reg, "Window Top", Placement.Top);
    ReadInteger(Reg, "Window Width", Placement.Width);
    ReadInteger(Reg, "Window Height", Placement.Height);
}

void WritePlacement(TRegistryEx& Reg, const TWindowPlacement& Placement) {
    Reg.WriteInteger("Window Left", Placement.Left);
    Reg.WriteInteger("Window Top", Placement.Top);
    Reg.WriteInteger("Window Width", Placement.Width);
    Reg.WriteInteger("Window Height", Placement.Height);
}

} // namespace

void TKorvidForm::LoadSettings() {
    TRegistryEx Reg;
    // The subkeys are read from the side whose root exists; nothing is created on either.
    int Side = CurrentKeyIndex;
    bool RootOpen = Reg.OpenKeyReadOnly(RootKeys[CurrentKeyIndex]);
    if (!RootOpen) {
        RootOpen = Reg.OpenKeyReadOnly(RootKeys[LegacyKeyIndex]);
        if (RootOpen)
            Side = LegacyKeyIndex;
    }
    auto& S = FSettings;
    bool ViewStatus = true;
    if (RootOpen) {
        int Width = this->width(), Height = this->height(), Left = x(), Top = y();
        ReadInteger(Reg, "Window Width", Width);
        ReadInteger(Reg, "Window Height", Height);
        ReadInteger(Reg, "Window Left", Left);
        ReadInteger(Reg, "Window Top", Top);
        resize(Width, Height);
        PlaceFormOnScreen(this, Left, Top);
        if (Reg.ReadBoolDefault("Window Maximized", false))
            setWindowState(windowState() | Qt::WindowMaximized);
        ReadInteger(Reg, "Favourites Width", S.FavouritesWidth);
        S.ViewFavourites = Reg.ReadBoolDefault("View Favourites", false);
        ReadInteger(Reg, "Debugging Bar Width", S.DebuggingBarWidth);
        ReadInteger(Reg, "Debugging Bar Form Width", S.DebuggingBarForm.Width);
        ReadInteger(Reg, "Debugging Bar Form Height", S.DebuggingBarForm.Height);
        ReadInteger(Reg, "Debugging Bar Form Left", S.DebuggingBarForm.Left);
        ReadInteger(Reg, "Debugging Bar Form Top", S.DebuggingBarForm.Top);
        S.ViewDebuggingBar = Reg.ReadBoolDefault("View Debugging Bar", false);
        S.DebuggingBarTab = Reg.ReadIntegerDefault("Debugging Bar Tab", 0);
        constexpr int DebuggingBarPageCount = 4;
        if (S.DebuggingBarTab < 0 || S.DebuggingBarTab >= DebuggingBarPageCount)
            S.DebuggingBarTab = 0;
        ReadInteger(Reg, "Compiler Progress Form Left", S.CompilerProgressFormLeft);
        ReadInteger(Reg, "Compiler Progress Form Top", S.CompilerProgressFormTop);
        ReadInteger(Reg, "Batch Compile Limit", S.BatchCompileLimitSeconds);
        ReadInteger(Reg, "Defs Editor Form Left", S.DefsEditorFormLeft);
        ReadInteger(Reg, "Defs Editor Form Top", S.DefsEditorFormTop);
        ReadInteger(Reg, "Filer Form Left", S.FilerFormLeft);
        ReadInteger(Reg, "Filer Form Top", S.FilerFormTop);
        ReadInteger(Reg, "Find Form Left", S.FindFormLeft);
        ReadInteger(Reg, "Find Form Top", S.FindFormTop);
        ReadInteger(Reg, "History Form Left", S.HistoryFormLeft);
        ReadInteger(Reg, "History Form Top", S.HistoryFormTop);
        S.OpenFolder = FloppyRoot(Reg.ReadStringDefault("Open Folder", DefaultDialogFolder()));
        S.SaveFolder = FloppyRoot(Reg.ReadStringDefault("Save Folder", DefaultDialogFolder()));
        S.PasswordAsAsterisks = Reg.ReadBoolDefault("Password As Asterisks", true);
        ViewStatus = Reg.ReadBoolDefault("View Status Bar", true);
        Reg.CloseKey();
    }
    // Through the command, so that its tool shows the state.
    statusBar()->setVisible(!ViewStatus);
    ViewStatusBar();

    if (Reg.OpenKeyReadOnly(FilerKeys[Side])) {
        ReadPlacement(Reg, S.Filer);
        S.Filer.Maximized = Reg.ReadBoolDefault("Window Maximized", false);
        Reg.CloseKey();
    }
    if (Reg.OpenKeyReadOnly(HistoryKeys[Side])) {
        S.HistoryVisible = Reg.ReadBoolDefault("Visible", false);
        ReadPlacement(Reg, S.History);
        for (int Column = 0; Column < 4; ++Column)
            ReadInteger(Reg, "Width " + std::to_string(Column + 1), S.HistoryColumnWidths[Column]);
        Reg.CloseKey();
    }
    if (Reg.OpenKeyReadOnly(BrowseVolumeKeys[Side])) {
        S.BrowseMatchCase = Reg.ReadBoolDefault("Match Case", false);
        S.BrowseWholeWords = Reg.ReadBoolDefault("Whole Words", false);
        S.BrowseIgnoreUnderscores = Reg.ReadBoolDefault("Ignore Underscores", true);
        Reg.CloseKey();
    }

    TOptionsKeyExtras Extras;
    Extras.ActiveCommandLine = FMacros->ActiveCommandLine();
    LoadOptions(FOptions, Extras, font().pointSize());
    FMacros->SetActiveCommandLine(Extras.ActiveCommandLine);
    S.MultipleVolumeSearchList = Extras.MultipleVolumeSearchList;
    LoadSortOptions(FFindReplace->SortOptions());
    LoadShortCuts();

    TEngCustomEditor::MoveAfterPaste = FOptions.MoveAfterPaste;
    ApplyPSystemAware();
    ApplyScrollableTabs();
    ApplyVariableIcons();
    ApplyLineSpacing();
    FBackupTimer->setInterval(BackupIntervalMs(std::max(FOptions.BackupMinutes, 1)));
}

void TKorvidForm::SaveSettings() {
    TRegistryTransaction Transaction;
    WriteSettings();
    Transaction.CommitAll();
}

void TKorvidForm::StoreSettings() {
    if (FSaveOnClose)
        SaveSettings();
}

void TKorvidForm::WriteSettings() {
    TRegistryEx Reg;
    auto& S = FSettings;
    if (Reg.OpenSettingsKeyForWrite(RootKeys)) {
        const bool Maximized = isMaximized();
        const QRect Normal = StoredPlace(*this);
        Reg.WriteInteger("Window Width", Normal.width());
        Reg.WriteInteger("Window Height", Normal.height());
        Reg.WriteInteger("Window Left", Normal.x());
        Reg.WriteInteger("Window Top", Normal.y());
        Reg.WriteBool("Window Maximized", Maximized);
        FFavourites->StoreWidth();
        Reg.WriteInteger("Favourites Width", S.FavouritesWidth);
        Reg.WriteBool("View Favourites", S.ViewFavourites);
        FDebuggerWindow->StoreDebuggingBar();
        Reg.WriteInteger("Debugging Bar Width", S.DebuggingBarWidth);
        Reg.WriteInteger("Debugging Bar Form Width", S.DebuggingBarForm.Width);
        Reg.WriteInteger("Debugging Bar Form Height", S.DebuggingBarForm.Height);
        Reg.WriteInteger("Debugging Bar Form Left", S.DebuggingBarForm.Left);
        Reg.WriteInteger("Debugging Bar Form Top", S.DebuggingBarForm.Top);
        Reg.WriteBool("View Debugging Bar", S.ViewDebuggingBar);
        Reg.WriteInteger("Debugging Bar Tab", S.DebuggingBarTab);
        Reg.WriteInteger("Compiler Progress Form Left", S.CompilerProgressFormLeft);
        Reg.WriteInteger("Compiler Progress Form Top", S.CompilerProgressFormTop);
        Reg.WriteInteger("Batch Compile Limit", S.BatchCompileLimitSeconds);
        Reg.WriteInteger("Defs Editor Form Left", S.DefsEditorFormLeft);
        Reg.WriteInteger("Defs Editor Form Top", S.DefsEditorFormTop);
        Reg.WriteInteger("Filer Form Left", S.FilerFormLeft);
        Reg.WriteInteger("Filer Form Top", S.FilerFormTop);
        Reg.WriteInteger("Find Form Left", S.FindFormLeft);
        Reg.WriteInteger("Find Form Top", S.FindFormTop);
        Reg.WriteInteger("History Form Left", S.HistoryFormLeft);
        Reg.WriteInteger("History Form Top", S.HistoryFormTop);
        Reg.WriteString("Open Folder", S.OpenFolder);
        Reg.WriteString("Save Folder", S.SaveFolder);
        Reg.WriteBool("Password As Asterisks", S.PasswordAsAsterisks);
        Reg.WriteBool("View Status Bar", !statusBar()->isHidden());
        Reg.CloseKey();
    }
    if (Reg.OpenSettingsKeyForWrite(FilerKeys)) {
        WritePlacement(Reg, S.Filer);
        Reg.WriteBool("Window Maximized", S.Filer.Maximized);
        Reg.CloseKey();
    }
    if (Reg.OpenSettingsKeyForWrite(HistoryKeys)) {
        Reg.WriteBool("Visible", S.HistoryVisible);
        WritePlacement(Reg, S.History);
        for (int Column = 0; Column < 4; ++Column)
            Reg.WriteInteger("Width " + std::to_string(Column + 1), S.HistoryColumnWidths[Column]);
        Reg.CloseKey();
    }
    if (Reg.OpenSettingsKeyForWrite(BrowseVolumeKeys)) {
        Reg.WriteBool("Match Case", S.BrowseMatchCase);
        Reg.WriteBool("Whole Words", S.BrowseWholeWords);
        Reg.WriteBool("Ignore Underscores", S.BrowseIgnoreUnderscores);
        Reg.CloseKey();
    }
    TOptionsKeyExtras Extras;
    Extras.ActiveCommandLine = FMacros->ActiveCommandLine();
    Extras.MultipleVolumeSearchList = S.MultipleVolumeSearchList;
    SaveOptions(FOptions, Extras);
    SaveSortOptions(FFindReplace->SortOptions());
    SaveShortCuts();
}

} // namespace korvid
