#include "app/Compiling.h"

#include "app/DocumentEditor.h"
#include "app/MainWindowServices.h"
#include "app/MainWindowSettings.h"
#include "app/VBatRuns.h"
#include "app/WindowHost.h"
#include "devtools/compiler/CompileServer.h"
#include "devtools/compiler/CompilerMessages.h"
#include "devtools/compiler/CompilerWait.h"
#include "devtools/compiler/JsonPicker.h"
#include "devtools/debugger/Debugger.h"
#include "platform/Cp1252.h"
#include "ui/CompilerProgressForm.h"
#include "workspace/FavouritesTree.h"
#include "workspace/KorvidOptions.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>

#include <filesystem>

namespace korvid {

namespace {

// The report-list progress box; its place is kept in the window's settings.
class TFormCompileProgress : public TCompileProgress {
public:
    TFormCompileProgress(TMainWindowSettings& Settings, QWidget* Parent)
        : FSettings(Settings), FPlace{Settings.CompilerProgressFormLeft,
                                      Settings.CompilerProgressFormTop} {
        FForm = std::make_unique<TCompilerProgressForm>(&FPlace, Parent);
        FForm->show();
    }
    ~TFormCompileProgress() override {
        FForm.reset();
        FSettings.CompilerProgressFormLeft = FPlace.Left;
        FSettings.CompilerProgressFormTop = FPlace.Top;
    }
    TFormCompileProgress(const TFormCompileProgress&) = delete;
    TFormCompileProgress& operator=(const TFormCompileProgress&) = delete;

    void SetText(const std::string& Text) override {
        FForm->ProgressLabel->setText(ToQString(Text));
    }
    bool Cancelled() const override { return FForm->Cancelled(); }

private:
    TMainWindowSettings& FSettings;
    TFormPlace FPlace;
    std::unique_ptr<TCompilerProgressForm> FForm;
};

} // namespace

TCompiling::TCompiling(TWindowHost& Window, TCompilingHost& Host, TVBatRuns& VBatRuns,
                       std::string TesselHelper)
    : FWindow(Window), FHost(Host), FVBatRuns(VBatRuns), FTesselHelper(std::move(TesselHelper)) {}

TCompiling::~TCompiling() = default;

void TCompiling::CompileSource(bool Override, bool WhenPaused) {
    if (FVBatRuns.Running())
        return;
    FCommand.CompileSource(Override, WhenPaused, false);
}

void TCompiling::SetLastError(const std::string& File, int Line, int Column) {
    FLastError = TLastError{File, Line, Column};
}

void TCompiling::EditGoToLastError() {
    if (!FLastError)
        return;
    if (!FHost.ActivateTabOfFile(FLastError->File)) {
        std::error_code Error;
        if (!std::filesystem::is_regular_file(FLastError->File, Error))
            return;
        FWindow.OpenFile(FLastError->File, false, {});
    }
    if (TDocumentEditor* Editor = FWindow.ActiveEditor()) {
        Editor->MoveCaretTo(std::max(FLastError->Line, 1), std::max(FLastError->Column, 1));
        FLastErrorTab = FHost.CurrentTab();
    }
}

void TCompiling::ForgetTab(const QWidget* Tab) {
    for (QWidget** Field : {&FMainCompileTab, &FLastErrorTab})
        if (*Field == Tab)
            *Field = nullptr;
}

// ---- The compiler routes' side ------------------------------------------------------------------

int TCompiling::ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                                bool CanIgnore) {
    if (Closing())
        return 0;
    return ShowCompilerMessage(Title, Text, OkOnly, CanIgnore);
}

void TCompiling::ShowCompilerError(const std::string& Title, const std::string& Text) {
    if (!Closing())
        korvid::ShowCompilerError(Title, Text);
}

bool TCompiling::CanReach(const std::string& File) const {
    std::error_code Error;
    return FHost.FindTabOfFile(File) || std::filesystem::is_regular_file(File, Error);
}

void TCompiling::GoToError(const std::string& File, int Line, int Column) {
    if (Closing())
        return;
    SetLastError(File, Line, Column);
    EditGoToLastError();
}

void TCompiling::ShowCompileStatus(const std::string& Text) {
    FWindow.SetStatusPanel(CompileStatusPanel, Text);
}

void TCompiling::OpenLinesTab(const std::string& Caption, const std::vector<TCompileLine>& Lines) {
    if (Closing())
        return;
    std::vector<std::string> Texts;
    std::vector<std::pair<std::string, int>> Places;
    for (const TCompileLine& Line : Lines) {
        Texts.push_back(Line.Text);
        if (!Line.Data.empty())
            Places.emplace_back(Line.Data, int(Texts.size()));
    }
    FWindow.OpenResultsTab(Caption, Texts, Places, false);
}

void TCompiling::SetBusy(bool Busy) {
    if (Busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents();
    } else
        QGuiApplication::restoreOverrideCursor();
}

std::optional<std::string> TCompiling::PickJsonFile(const std::string& Folder) {
    return korvid::PickJsonFile(FWindow.DialogParent(), Folder, FJsonName, FAddedJsonFiles);
}

// ---- The Compile command's side -----------------------------------------------------------------

const TKorvidOptions& TCompiling::CompileOptions() const {
    return FWindow.Options();
}

void TCompiling::RunCommandLine() {
    FHost.ViewRunCommandLine();
}

bool TCompiling::DebuggerPaused() const {
    return FHost.Debugger().IsPaused();
}

void TCompiling::ResumeDebugger() {
    FHost.Debugger().Resume(0);
}

void TCompiling::DeleteBreakpoints() {
    FHost.Debugger().DeleteAllBreakpoints(true);
}

void TCompiling::ReloadMap(const std::string& MapFile) {
    FHost.Debugger().ReloadMapFile(MapFile);
}

bool TCompiling::AskCompileOrResume() {
    return korvid::AskCompileOrResume();
}

bool TCompiling::AskCompileFolder() {
    return korvid::AskCompileFolder();
}

void TCompiling::SaveAll() {
    FHost.FileSaveAll();
}

std::optional<TCompileTarget> TCompiling::Target() const {
    const TDocumentEditor* Editor = TargetEditor();
    if (!Editor)
        return std::nullopt;
    TCompileTarget Target{Editor->FileName, Editor->Modified(), Editor->Paragraphs()};
    if (const TDocumentView* View = Editor->View()) {
        Target.ViewLorvantaSource = View->PSystemLorvanta;
        Target.ViewReportWriterSource = View->PSystemReportWriter;
    }
    return Target;
}

bool TCompiling::SaveTarget() {
    return FHost.SaveEditor(TargetEditor());
}

std::optional<std::string> TCompiling::FocusedFavouritesFolder() const {
    const TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree();
    if (!Tree || !Tree->hasFocus() ||
        TFavouritesTreeView::NodeKind(Tree->Selected()) != fvDiskFolder)
        return std::nullopt;
    return TFavouritesTreeView::NodePath(Tree->Selected());
}

bool TCompiling::RunCompileRoutes(TCompileContext& Context) {
    TLibraryLink Library;
    if (!FTesselHelper.empty())
        Library.Helper = FTesselHelper;
    const auto Run = [&] {
        TPipeAutomationFactory Factory(Library.Wait);
        return CompileThroughServer(Context, FWindow.Options(), *this,
                                    {Factory, RealSleeper(), std::chrono::seconds(30), Library});
    };
    if (Context.Unattended) {
        Library.Wait.SilenceLimit =
            std::chrono::seconds(std::max(FWindow.WindowSettings().BatchCompileLimitSeconds, 1));
        return Run();
    }
    TCompilerWait UserWait(*this);
    Library.Wait = UserWait.Wait();
    // The token goes before the wait it stops.
    const TLongOperations::TToken Waiting = LongOperations().Begin(
        TLongOperations::TKind::CompilerWait, [&UserWait] { UserWait.RequestStop(); });
    if (Waiting.StopRequested())
        UserWait.RequestStop();
    FCompilerWait = &UserWait;
    struct TForget {
        TCompilerWait*& Wait;
        ~TForget() { Wait = nullptr; }
    } Forget{FCompilerWait};
    return Run();
}

void TCompiling::RegisterCompilerServer(TCompileContext& Context) {
    Context.ServerPath =
        EnsureServerRegistered(FWindow.Options().LorvantaCOMServer, Context, RealSleeper());
}

bool TCompiling::RunVBatScript(const std::string& Script, const std::string& Source,
                               const std::string& PSystemName, bool Wait, bool Override,
                               TVBatReporter& Reporter) {
    return FVBatRuns.Run(Script, Source, PSystemName, Wait, Override, Reporter);
}

std::unique_ptr<TCompileProgress> TCompiling::ShowCompileProgress() {
    return std::make_unique<TFormCompileProgress>(FWindow.WindowSettings(), FWindow.DialogParent());
}

void TCompiling::ProcessEvents() {
    QApplication::processEvents();
}

TLongOperations& TCompiling::LongOperations() {
    return FWindow.LongOperations();
}

bool TCompiling::Closing() const {
    return FWindow.LongOperations().Stopping();
}

TDocumentEditor* TCompiling::TargetEditor() const {
    return FMainCompileTab ? FHost.EditorOfTab(FMainCompileTab) : FWindow.ActiveEditor();
}

} // namespace korvid
