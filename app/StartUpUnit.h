#pragma once

#include "app/SingleInstanceUnit.h"

#include <QtGlobal>
#include <filesystem>
#include <string>
#include <vector>

namespace korvid {

class TDocumentEditor;
class TKorvidForm;

// What start-up learnt that the running window needs later.
struct TStartUpState {
    TParameterList Parameters;
    // Another instance was running at start: this one then neither writes nor recovers backups.
    bool OtherInstanceFound = false;
    std::filesystem::path BackupFolder;
    // The last backup tick failed and the user was told so.
    bool BackupFailureShown = false;
    // Set while the file-change check runs over all tabs (its question may re-activate us).
    bool CheckingFiles = false;
    int ExitCode = 0;
    // Reports of the settings store wait for the window, then each is shown once; a batch run
    // only writes them to stderr.
    std::vector<std::string> SettingsReports;
    bool WindowUp = false;
    bool Batch = false;
};

// Sends the settings store's reports to the user as TStartUpState describes, until the guard
// goes.
class TSettingsReportGuard {
public:
    explicit TSettingsReportGuard(TStartUpState& State);
    ~TSettingsReportGuard();
    TSettingsReportGuard(const TSettingsReportGuard&) = delete;
    TSettingsReportGuard& operator=(const TSettingsReportGuard&) = delete;
};

// Fills the main window's start-up, hand-over, activation, backup and close hooks.
void InstallStartUpHooks(TKorvidForm& Form, TStartUpState& State);

// The first show: reads the command line, then offers backups and starts their timer.
void FormFirstShow(TKorvidForm& Form, TStartUpState& State);
// A second start handed over the name stored under number N.
std::int32_t HandOverReceived(TKorvidForm& Form, std::uint64_t N);

// Asks to reload documents changed on disk since they were read or saved; with Only, just that
// document (the tab that became active).
void CheckFilesUpdated(TKorvidForm& Form, TStartUpState& State, TDocumentEditor* Only = nullptr);
void CheckFileUpdated(TKorvidForm& Form, TDocumentEditor& Editor);

bool BackupsOn(TKorvidForm& Form, const TStartUpState& State);
void StartBackupTimer(TKorvidForm& Form, const TStartUpState& State);
// One tick: a copy of every document, as it would be saved, leaving its state alone.
void BackupTimerTimer(TKorvidForm& Form, TStartUpState& State);
void RecoverBackups(TKorvidForm& Form, TStartUpState& State);

// The whole program: start-up order, the single instance, the splash and the main window.
int RunKorvid(int Argc, char** Argv);

} // namespace korvid
