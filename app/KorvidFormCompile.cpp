// The window's side of the compiler routes: boxes, the jump to an error, tabs and the status bar.
#include "app/KorvidForm.h"

#include "devtools/compiler/CompileCommand.h"
#include "devtools/compiler/CompileServer.h"
#include "devtools/compiler/CompilerMessages.h"
#include "devtools/compiler/CompilerWait.h"
#include "devtools/compiler/JsonPicker.h"
#include "devtools/vbat/VBatReporter.h"
#include "platform/Cp1252.h"
#include "ui/CompilerProgressForm.h"
#include "workspace/FavouritesTree.h"

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

class TFormCompilerHost : public TCompileCommandHost {
public:
    explicit TFormCompilerHost(TKorvidForm& Form) : FForm(Form) {}

    int ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                        bool CanIgnore) override {
        if (Closing())
            return 0;
        return ShowCompilerMessage(Title, Text, OkOnly, CanIgnore);
    }
    void ShowCompilerError(const std::string& Title, const std::string& Text) override {
        if (!Closing())
            korvid::ShowCompilerError(Title, Text);
    }
    bool CanReach(const std::string& File) const override {
        std::error_code Error;
        return FForm.FindTabOfFile(File) || std::filesystem::is_regular_file(File, Error);
    }
    void GoToError(const std::string& File, int Line, int Column) override {
        if (Closing())
            return;
        FForm.SetLastError(File, Line, Column);
        FForm.EditGoToLastError();
    }
    void GoToLastError() override { FForm.EditGoToLastError(); }
    void ShowCompileStatus(const std::string& Text) override {
        FForm.SetStatusPanel(TKorvidForm::CompileStatusPanel, Text);
    }
    void OpenLinesTab(const std::string& Caption, const std::vector<TCompileLine>& Lines) override {
        if (Closing())
            return;
        std::vector<std::string> Texts;
        std::vector<std::pair<std::string, int>> Places;
        for (const TCompileLine& Line : Lines) {
            Texts.push_back(Line.Text);
            if (!Line.Data.empty())
                Places.emplace_back(Line.Data, int(Texts.size()));
        }
        FForm.OpenResultsTab(Caption, Texts, Places, false);
    }
    void SetBusy(bool Busy) override {
        if (Busy) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            QApplication::processEvents();
        } else
            QGuiApplication::restoreOverrideCursor();
    }
    std::string JsonName() const override { return FForm.FJsonName; }
    void SetJsonName(const std::string& Name) override { FForm.FJsonName = Name; }
    std::optional<std::string> PickJsonFile(const std::string& Folder) override {
        return korvid::PickJsonFile(&FForm, Folder, FForm.FJsonName, FForm.FAddedJsonFiles);
    }

    const TKorvidOptions& CompileOptions() const override { return FForm.FOptions; }
    void RunCommandLine() override { FForm.ViewRunCommandLine(); }
    bool DebuggerPaused() const override { return FForm.Debugger().IsPaused(); }
    void ResumeDebugger() override { FForm.Debugger().Resume(0); }
    void DeleteBreakpoints() override { FForm.Debugger().DeleteAllBreakpoints(true); }
    void ReloadMap(const std::string& MapFile) override { FForm.Debugger().ReloadMapFile(MapFile); }
    bool AskCompileOrResume() override { return korvid::AskCompileOrResume(); }
    bool AskCompileFolder() override { return korvid::AskCompileFolder(); }
    bool HasMainCompileFile() const override { return FForm.FMainCompileTab != nullptr; }
    void SaveAll() override { FForm.FileSaveAll(); }
    std::optional<TCompileTarget> Target() const override {
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
    bool SaveTarget() override { return FForm.SaveEditor(TargetEditor()); }
    std::optional<std::string> FocusedFavouritesFolder() const override {
        const TFavouritesTreeView* Tree = FForm.FavouritesTree().Tree();
        if (!Tree || !Tree->hasFocus() ||
            TFavouritesTreeView::NodeKind(Tree->Selected()) != fvDiskFolder)
            return std::nullopt;
        return TFavouritesTreeView::NodePath(Tree->Selected());
    }
    bool RunCompileRoutes(TCompileContext& Context) override {
        return FForm.RunCompileRoutes(Context);
    }
    void RegisterCompilerServer(TCompileContext& Context) override {
        Context.ServerPath =
            EnsureServerRegistered(FForm.FOptions.LorvantaCOMServer, Context, RealSleeper());
    }
    bool RunVBatScript(const std::string& Script, const std::string& Source,
                       const std::string& PSystemName, bool Wait, bool Override,
                       TVBatReporter& Reporter) override {
        return FForm.RunVBatScript(Script, Source, PSystemName, Wait, Override, Reporter);
    }
    TVBatReporter& VBatBoxes() override { return FVBatBoxes; }
    std::unique_ptr<TCompileProgress> ShowCompileProgress() override {
        return std::make_unique<TFormCompileProgress>(FForm.FSettings, &FForm);
    }
    void ProcessEvents() override { QApplication::processEvents(); }
    TLongOperations& LongOperations() override { return FForm.FLongOperations; }

private:
    // The window closes once the compile has returned: nobody is left to read its results, and
    // a box would hold the close up.
    bool Closing() const { return FForm.FLongOperations.Stopping(); }

    TDocumentEditor* TargetEditor() const {
        return FForm.FMainCompileTab ? FForm.EditorOfTab(FForm.FMainCompileTab)
                                     : FForm.ActiveEditor();
    }

    TKorvidForm& FForm;
    TVBatBoxReporter FVBatBoxes;
};

TCompilerHost& TKorvidForm::CompilerHost() {
    if (!FCompilerHost)
        FCompilerHost = std::make_unique<TFormCompilerHost>(*this);
    return *FCompilerHost;
}

TCompileCommand& TKorvidForm::CompileCommand() {
    if (!FCompileCommand) {
        FCompileCommand =
            std::make_unique<TCompileCommand>(static_cast<TFormCompilerHost&>(CompilerHost()));
    }
    return *FCompileCommand;
}

bool TKorvidForm::RunCompileRoutes(TCompileContext& Context) {
    TLibraryLink Library;
    if (!FTesselHelper.empty())
        Library.Helper = FTesselHelper;
    const auto Run = [&] {
        TPipeAutomationFactory Factory(Library.Wait);
        return CompileThroughServer(Context, FOptions, CompilerHost(),
                                    {Factory, RealSleeper(), std::chrono::seconds(30), Library});
    };
    if (Context.Unattended) {
        Library.Wait.SilenceLimit =
            std::chrono::seconds(std::max(FSettings.BatchCompileLimitSeconds, 1));
        return Run();
    }
    TCompilerWait UserWait(CompilerHost());
    Library.Wait = UserWait.Wait();
    // The token goes before the wait it stops.
    const TLongOperations::TToken Waiting = FLongOperations.Begin(
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

void TKorvidForm::CompileSource(bool Override, bool WhenPaused) {
    if (VBatRunning())
        return;
    CompileCommand().CompileSource(Override, WhenPaused, false);
}

void TKorvidForm::SetLastError(const std::string& File, int Line, int Column) {
    FLastError = TLastError{File, Line, Column};
}

void TKorvidForm::EditGoToLastError() {
    if (!FLastError)
        return;
    if (!ActivateTabOfFile(FLastError->File)) {
        std::error_code Error;
        if (!std::filesystem::is_regular_file(FLastError->File, Error))
            return;
        OpenFile(FLastError->File, false, {});
    }
    if (TDocumentEditor* Editor = ActiveEditor()) {
        Editor->MoveCaretTo(std::max(FLastError->Line, 1), std::max(FLastError->Column, 1));
        FLastErrorTab = CurrentTab();
    }
}

} // namespace korvid
