#include "app/StartUpUnit.h"

#include "app/BackupUnit.h"
#include "app/EditorDocument.h"
#include "app/FileChangeUnit.h"
#include "app/KeyScript.h"
#include "app/KorvidApplication.h"
#include "app/KorvidForm.h"
#include "app/SplashUnit.h"
#include "foundation/BinaryStrings.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/MessageEndpoint.h"
#include "platform/Paths.h"
#include "platform/ProcessSignals.h"
#include "platform/RegistryStore.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "ui/PasswordUnit.h"
#include "workspace/KorvidTool.h"

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

namespace korvid {

namespace {

std::vector<TDocumentEditor*> DocumentEditors(TKorvidForm& Form) {
    std::vector<TDocumentEditor*> Editors;
    for (int Index = 0; Index < Form.Tabs()->count(); ++Index)
        if (TDocumentEditor* Editor = Form.EditorOfTab(Form.Tabs()->widget(Index)))
            Editors.push_back(Editor);
    return Editors;
}

void BringToFront(TKorvidForm& Form) {
    Form.RestoreMainWindow();
}

// A batch run compiles once from its request file and ends with its exit code; nothing of the
// user's settings changes. It starts once the window's first show is over.
void RunBatchRequest(TKorvidForm& Form, TStartUpState& State, TCommandKind Kind,
                     const QString& Request) {
    Form.SaveNothingOnClose();
    State.Batch = true;
    State.SettingsReports.clear();
    QTimer::singleShot(0, &Form, [&Form, &State, Kind, Request] {
        const std::string File = FromQString(Request);
        State.ExitCode = Kind == TCommandKind::Compile ? Form.RunCompileRequest(File)
                                                       : Form.RunScriptRequest(File);
        Form.FileExit();
    });
}

// Reloads a document from disk without asking to save it first.
void ReloadDocument(TKorvidForm& Form, TDocumentEditor& Editor) {
    const std::string Name = Editor.FileName;
    const bool ReadOnly = Editor.ReadOnly();
    Editor.SetModified(false);
    Form.Tabs()->setCurrentWidget(Form.TabOfEditor(&Editor));
    if (Form.CloseTab())
        Form.OpenFile(Name, ReadOnly, {});
}

// A copy is not a save: the document keeps its modified flag and its save times, also when
// the copy could not be written.
class TDocumentStateKeeper {
public:
    explicit TDocumentStateKeeper(TDocumentEditor& Editor)
        : FEditor(Editor), FModified(Editor.Modified()), FFileTime(Editor.FileTime),
          FSaveTime(Editor.SaveTime) {}
    ~TDocumentStateKeeper() {
        FEditor.SetModified(FModified);
        FEditor.FileTime = FFileTime;
        FEditor.SaveTime = FSaveTime;
    }
    TDocumentStateKeeper(const TDocumentStateKeeper&) = delete;
    TDocumentStateKeeper& operator=(const TDocumentStateKeeper&) = delete;

private:
    TDocumentEditor& FEditor;
    const bool FModified;
    const std::int64_t FFileTime;
    const std::int64_t FSaveTime;
};

void WriteBackupCopy(TKorvidForm& Form, TDocumentEditor& Editor,
                     const std::filesystem::path& Target) {
    const TDocumentStateKeeper Keeper(Editor);
    if (!Editor.Password.empty())
        Editor.SaveEncrypted(Target.string());
    else
        Editor.SaveToFile(Target.string(), Form.SaveOptionsOf(Editor));
}

constexpr int DialogReportPollMs = 20;

// Shows the dialog as usual, but writes its caption and text to Report while it is open. A file
// Report + ".enter" presses Enter in it. Lets a test outside the process see a modal dialog
// open, decide when it goes and see it gone.
int RunReportedModal(QDialog& Dialog, const QString& Report) {
    QString Text = Dialog.windowTitle() + '\n';
    if (const auto* Message = dynamic_cast<const TMessageForm*>(&Dialog))
        Text += QString::fromStdString(Message->State().Text) + '\n';
    QSaveFile File(Report);
    if (File.open(QIODevice::WriteOnly)) {
        File.write(Text.toUtf8());
        File.commit();
    }
    const QString Enter = Report + ".enter";
    QTimer Poll;
    Poll.setInterval(DialogReportPollMs);
    QObject::connect(&Poll, &QTimer::timeout, &Dialog, [&Dialog, Enter] {
        if (QFile::remove(Enter))
            PressEnter()(Dialog);
    });
    Poll.start();
    const int Result = Dialog.exec();
    QFile::remove(Report);
    return Result;
}

void InstallDialogReportFromEnvironment() {
    const char* Report = std::getenv("KORVID_DIALOG_REPORT");
    if (!Report || !*Report)
        return;
    InstallModalRunner([Report = QString::fromLocal8Bit(Report)](QDialog& Dialog) {
        return RunReportedModal(Dialog, Report);
    });
}

void ShowSettingsReports(TStartUpState& State) {
    std::vector<std::string> Reports;
    Reports.swap(State.SettingsReports);
    for (const std::string& Report : Reports)
        ShowSettingsReportMessage(Report);
}

// Once the window is up: whether settings can be kept is known before the user changes any.
void CheckSettingsStore(TKorvidForm& Form, TStartUpState& State) {
    QTimer::singleShot(0, &Form, [&State] {
        State.WindowUp = true;
        CurrentRegistryStore().CheckWritable();
        ShowSettingsReports(State);
    });
}

} // namespace

TSettingsReportGuard::TSettingsReportGuard(TStartUpState& State) {
    SetRegistryReportHandler([&State](const std::string& Message) {
        qWarning("%s", Message.c_str());
        if (State.Batch)
            return;
        State.SettingsReports.push_back(Message);
        if (State.WindowUp)
            ShowSettingsReports(State);
    });
}

TSettingsReportGuard::~TSettingsReportGuard() {
    SetRegistryReportHandler(nullptr);
}

bool BackupsOn(TKorvidForm& Form, const TStartUpState& State) {
    return Form.BackupsEnabled() && !State.OtherInstanceFound;
}

void StartBackupTimer(TKorvidForm& Form, const TStartUpState& State) {
    if (!BackupsOn(Form, State))
        return;
    Form.BackupTimer()->setInterval(BackupIntervalMs(Form.Options().BackupMinutes));
    Form.BackupTimer()->start();
}

void BackupTimerTimer(TKorvidForm& Form, TStartUpState& State) {
    std::vector<TBackupDocument> Documents;
    for (TDocumentEditor* Editor : DocumentEditors(Form)) {
        // A document cut short of its file comes back untitled, so that recovering it can
        // never lead to saving the cut text over the whole file.
        const std::string Name = Editor->TextWasCut ? std::string() : Editor->FileName;
        Documents.push_back({Name, [&Form, Editor](const std::filesystem::path& To) {
                                 WriteBackupCopy(Form, *Editor, To);
                             }});
    }
    if (WriteBackups(State.BackupFolder, Documents)) {
        State.BackupFailureShown = false;
        return;
    }
    // Said once while the ticks keep failing; set first, as the next tick may come while the
    // message is still open.
    if (State.BackupFailureShown)
        return;
    State.BackupFailureShown = true;
    ShowBackupsNotWrittenMessage(FromQString(PathToQString(State.BackupFolder)));
}

void RecoverBackups(TKorvidForm& Form, TStartUpState& State) {
    // Whatever the option says now: it may have been turned on in the run that crashed. A second
    // instance's folder is the running instance's live set.
    if (State.OtherInstanceFound)
        return;
    const std::vector<TRecoveredBackup> Found = FindBackupsToRecover(State.BackupFolder);
    if (Found.empty() || !ConfirmReopenBackupFiles())
        return;
    for (const TRecoveredBackup& Backup : Found) {
        if (!Backup.FileName.empty()) {
            Form.OpenFile(Backup.Backup.string(), false, Backup.FileName);
            continue;
        }
        // An untitled document comes back untitled, so its copy is never mistaken for it. Its
        // lines go in as an opened file's do, in one pass.
        std::vector<std::string> Lines;
        Form.LoadFileIntoEditor(Backup.Backup.string(), Lines);
        Form.FileNew();
        if (TDocumentEditor* Editor = Form.ActiveEditor()) {
            TBinaryStrings Loaded;
            for (std::string& Line : Lines)
                Loaded.Add(std::move(Line));
            Editor->SetLoadedLines(Loaded);
            Editor->ClearUndo();
            Editor->SetModified(true);
        }
    }
}

void CheckFileUpdated(TKorvidForm& Form, TDocumentEditor& Editor) {
    // The document's own last save is no change made outside Korvid.
    const std::int64_t Stored = std::max(Editor.FileTime, Editor.SaveTime);
    if (!ShouldCheckFile(Editor.FileName, Stored))
        return;
    if (!IsFileUpdated(Stored, FileDateTime(Editor.FileName)))
        return;
    Form.Tabs()->setCurrentWidget(Form.TabOfEditor(&Editor));
    if (AskLoadUpdatedFile(Editor.GetDisplayName()))
        ReloadDocument(Form, Editor);
    else
        Editor.FileTime = QDateTime::currentMSecsSinceEpoch();
}

void CheckFilesUpdated(TKorvidForm& Form, TStartUpState& State, TDocumentEditor* Only) {
    if (!Form.Options().FileUpdates || State.CheckingFiles)
        return;
    State.CheckingFiles = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } Guard{State.CheckingFiles};
    if (Only) {
        CheckFileUpdated(Form, *Only);
        return;
    }
    for (TDocumentEditor* Editor : DocumentEditors(Form))
        CheckFileUpdated(Form, *Editor);
}

std::int32_t HandOverReceived(TKorvidForm& Form, std::uint64_t N) {
    return ReceiveHandOver(N, [&Form](const QStringList& Names) {
        // Opening may ask questions; the second start has its answer before any of them.
        QTimer::singleShot(0, &Form, [&Form, Names] {
            BringToFront(Form);
            for (const QString& Name : Names)
                Form.OpenByKind(PathFromQString(Name).native());
            if (!Names.isEmpty())
                BringToFront(Form);
        });
    });
}

void FormFirstShow(TKorvidForm& Form, TStartUpState& State) {
    QString Argument;
    const TCommandKind Kind = ClassifyCommand(State.Parameters, Argument);
    switch (Kind) {
    case TCommandKind::None:
        // Parameters that were all dropped (":...") open nothing at all.
        if (State.Parameters.ParamCount <= (State.Parameters.NewInstance ? 1 : 0))
            Form.FileNew();
        break;
    case TCommandKind::Compile:
    case TCommandKind::Script:
        // Batch runs never wait on a question, so no backups are offered.
        RunBatchRequest(Form, State, Kind, Argument);
        return;
    case TCommandKind::File:
        for (const QString& Name : State.Parameters.Items)
            Form.OpenByKind(PathFromQString(Name).native());
        BringToFront(Form);
        break;
    }
    RecoverBackups(Form, State);
    StartBackupTimer(Form, State);
    CheckSettingsStore(Form, State);
}

void InstallStartUpHooks(TKorvidForm& Form, TStartUpState& State) {
    Form.OnFirstShow = [&State](TKorvidForm& Window) {
        // Started first: a file named may open a dialog, and the script goes on inside it.
        RunKeyScriptFromEnvironment(Window);
        FormFirstShow(Window, State);
    };
    Form.OnHandOverMessage = [](TKorvidForm& Window, int Number) {
        return HandOverReceived(Window, static_cast<std::uint32_t>(Number));
    };
    Form.OnApplicationActivate = [&State](TKorvidForm& Window) {
        CheckFilesUpdated(Window, State);
    };
    Form.OnTabActivated = [&State](TKorvidForm& Window, TDocumentEditor& Editor) {
        CheckFilesUpdated(Window, State, &Editor);
    };
    Form.OnBackupTimer = [&State](TKorvidForm& Window) {
        if (BackupsOn(Window, State) && Window.TabCount() > 0)
            BackupTimerTimer(Window, State);
    };
    // Also with backups off now: a set left from earlier in the run, or one declined at start,
    // must not be offered after a normal end.
    Form.OnClearBackups = [&State](TKorvidForm&) {
        if (!State.OtherInstanceFound)
            ClearBackupFolder(State.BackupFolder, false);
    };
    Form.OnCloseMinimizes = [](TKorvidForm& Window) {
        return Window.Options().MinimizeOnClose &&
               !QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    };
}

int RunKorvid(int Argc, char** Argv) {
    IgnoreFileSizeLimitSignal();
    // Floating toolbars and their drag outline are placed on the screen, which Wayland does not
    // let a client do: under a desktop that also serves X11, run as an X11 client.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    TKorvidApplication App(Argc, Argv);
    InstallDialogReportFromEnvironment();
    TStartUpState State;
    const TSettingsReportGuard Reports(State);
    State.Parameters = BuildParameterList(ArgumentsOf(Argc, Argv));
    State.BackupFolder = DefaultBackupFolder();
    if (CheckRunLocation(QCoreApplication::applicationFilePath()))
        return 0;
    const bool Shift = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    // Held for the whole run: whoever holds it is the instance that later starts hand over to.
    TInstanceLock Lock;
    const TStartChoice Choice =
        ClaimOrHandOver(State.Parameters, Shift, Lock, DefaultEndpointPath());
    if (Choice == TStartChoice::HandedOver)
        return 0;
    State.OtherInstanceFound = Choice != TStartChoice::Instance;
    InstallPasswordDialog();
    BuildTools();
    ShowSplashScreen();
    QCoreApplication::processEvents();

    TKorvidFormSetup Setup;
    auto Views = std::make_unique<TViewListCatalogue>();
    Setup.MakeEditor = EditorDocumentFactory(*Views);
    Setup.Views = std::move(Views);
    TKorvidForm Form(std::move(Setup));
    InstallStartUpHooks(Form, State);

    TMessageEndpoint Endpoint;
    Endpoint.OnMessage = [&Form](const TEndpointMessage& Message) -> std::int32_t {
        if (Message.Message == WM_USER)
            return Form.HandOverMessage(static_cast<int>(Message.WParam));
        if (Message.Message == WM_CLOSE) {
            QTimer::singleShot(0, &Form, [&Form] { Form.FileExit(); });
            return 0;
        }
        return 0;
    };
    // A window started beside the running instance has no endpoint of its own.
    if (Choice == TStartChoice::Instance) {
        EnsureHandOverKeys();
        Endpoint.Listen();
    }

    Form.show();
    const int Result = QApplication::exec();
    return State.ExitCode != 0 ? State.ExitCode : Result;
}

} // namespace korvid
