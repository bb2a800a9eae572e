#include "app/BackupUnit.h"
#include "app/KorvidForm.h"
#include "app/LintrelCommand.h"
#include "platform/Cp1252.h"
#include "ui/ModalRunner.h"
#include "workspace/CommandLine.h"
#include "workspace/OptionsForm.h"

#include "editor/engine/EngCustomEditor.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>

namespace korvid {

namespace {

TDateTimeValue DateTimeOf(const QDateTime& Moment) {
    const QDate D = Moment.date();
    const QTime T = Moment.time();
    return {D.year(), D.month(), D.day(), T.hour(), T.minute(), T.second(), T.msec()};
}

} // namespace

void TKorvidForm::FormatLintrel() {
    FLintrel->Run();
}

void TKorvidForm::ViewOptions() {
    TOptionsFormSetup Setup;
    Setup.Created = DateTimeOf(FClock ? FClock() : QDateTime::currentDateTime());
    if (const TDocumentEditor* Editor = ActiveEditor())
        Setup.ActiveFileName = Editor->FileName;
    Setup.WindowFontSize = font().pointSize();
    Setup.BackupFolder = DefaultBackupFolder().string();
    for (int I = 0; I < FViews->Count(); ++I)
        if (const TDocumentView* View = FViews->Item(I))
            Setup.Views.push_back({View->Name, View->ShortCut});
    Setup.RunDetached = [this](const std::string& Line) { StartCommandLine(Line, Launcher()); };
    Setup.ReloadMapFile = [this](const std::string& Name) { Debugger().ReloadMapFile(Name); };
    TOptionsForm Dialog(std::move(Setup), this);
    TKorvidOptions Copy = FOptions;
    Dialog.SetOptions(Copy);
    if (OnOptionsFormCreated)
        OnOptionsFormCreated(Dialog);
    if (RunModal(Dialog) != QDialog::Accepted)
        return;
    Dialog.GetOptions(Copy);
    const bool WasHidden = FOptions.HideExtensions;
    const bool TreeChanged = Copy.ShowLocalChildren != FOptions.ShowLocalChildren ||
                             Copy.ShowMinorVariables != FOptions.ShowMinorVariables ||
                             Copy.ShowVariableTypes != FOptions.ShowVariableTypes ||
                             Copy.SortProcedures != FOptions.SortProcedures;
    FOptions = std::move(Copy);

    TEngCustomEditor::MoveAfterPaste = FOptions.MoveAfterPaste;
    ApplyPSystemAware();
    ApplyScrollableTabs();
    ApplyVariableIcons();
    ApplyLineSpacing();
    FBackupTimer->stop();
    FBackupTimer->setInterval(BackupIntervalMs(std::max(FOptions.BackupMinutes, 1)));
    if (BackupsEnabled())
        FBackupTimer->start();
    ApplyExperimentalTools();
    if (WasHidden != FOptions.HideExtensions)
        RecaptionFileTabs(WasHidden);
    UpdateTabCaptions();
    FDebuggerWindow->SetHintFont(FOptions.DebuggingBarFontName, FOptions.DebuggingBarFontSize);
    FDebuggerWindow->ApplyDebuggingBarPlace();
    if (TreeChanged)
        Debugger().BuildStructureTree();
    FFavourites->ApplyOptions();
    UpdateCommandStates();
    StoreSettings();
}

} // namespace korvid
