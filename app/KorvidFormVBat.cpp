// VBat scripts run from the main window: the options give the p-System settings, the status bar
// shows the run, and closing the window while a run waits cancels it first.
#include "app/KorvidForm.h"

#include "devtools/vbat/VBatPaths.h"
#include "devtools/vbat/VBatReporter.h"
#include "devtools/vbat/VBatScriptRun.h"
#include "platform/Cp1252.h"

namespace korvid {

namespace {

// The progress box's Cancel, or the main window asked to close.
class TWindowProgress : public TVBatProgress {
public:
    TWindowProgress(std::unique_ptr<TVBatProgress> Inner, const TLongOperations::TToken& Run)
        : FInner(std::move(Inner)), FRun(Run) {}
    bool Cancelled() const override {
        return FRun.StopRequested() || (FInner && FInner->Cancelled());
    }

private:
    std::unique_ptr<TVBatProgress> FInner;
    const TLongOperations::TToken& FRun;
};

class TWindowReporter : public TVBatReporter {
public:
    TWindowReporter(TVBatReporter& Inner, const TLongOperations::TToken& Run)
        : FInner(Inner), FRun(Run) {}

    void Error(std::string_view Text) override { FInner.Error(Text); }
    bool Pause(std::string_view Text) override { return FInner.Pause(Text); }
    bool AskInputs(const std::vector<TVBatInput>& Inputs, TVBatValues& Values) override {
        return FInner.AskInputs(Inputs, Values);
    }
    std::unique_ptr<TVBatProgress> ShowProgress(std::string_view Caption) override {
        return std::make_unique<TWindowProgress>(FInner.ShowProgress(Caption), FRun);
    }

private:
    TVBatReporter& FInner;
    const TLongOperations::TToken& FRun;
};

// Keeps the script's tab for as long as the run lives.
class TVBatTabScope {
public:
    TVBatTabScope(QWidget*& Tab, QWidget* ScriptTab) : FTab(Tab) { FTab = ScriptTab; }
    ~TVBatTabScope() { FTab = nullptr; }
    TVBatTabScope(const TVBatTabScope&) = delete;
    TVBatTabScope& operator=(const TVBatTabScope&) = delete;

private:
    QWidget*& FTab;
};

} // namespace

bool TKorvidForm::IsVBatScript(const std::string& FileName) {
    constexpr std::string_view Extension = ".vbat";
    return FileName.size() > Extension.size() &&
           LowerCase1252(FileName.substr(FileName.size() - Extension.size())) == Extension;
}

bool TKorvidForm::RunVBatScript(const std::string& Script, const std::string& Source,
                                const std::string& PSystemName, bool Wait, bool Override,
                                TVBatReporter& Reporter) {
    const TLongOperations::TToken Run = FLongOperations.Begin(TLongOperations::TKind::VBatRun);
    const TVBatTabScope Tab(FVBatTab, CurrentTab());
    const TDesktopKeys Desktop = VBatKeys ? TDesktopKeys{} : OpenDesktopKeys(ProcessEnvironment());
    TVBatScriptContext Context;
    Context.Settings.VolumeFile = VBatDiskPath(FOptions.PascalWorkVolume);
    Context.Settings.LaunchCommand = FOptions.PSystemLaunchCommand;
    Context.Settings.WindowTitle = FOptions.PSystemWindowTitle;
    Context.Settings.DelayKeys = FOptions.DelayPSystemKeys;
    Context.Settings.Keys = VBatKeys ? VBatKeys : Desktop.Keys.get();
    Context.Settings.Waits = VBatWaits;
    Context.Settings.KeysUnavailable = Desktop.WhyNot;
    Context.UserScript = FOptions.VBatUserScript;
    Context.WantInput = FOptions.VBatWantInput;
    Context.KeyLog = VBatDiskPath(FOptions.VBatKeyLog);
    Context.SavedInputs = &FVBatInputs;
    Context.ShowStatus = [this](const std::string& Text) {
        SetStatusPanel(CompileStatusPanel, Text);
    };
    TWindowReporter WindowReporter(Reporter, Run);
    return korvid::RunVBatScript(Script, Source, PSystemName, Wait, Override, Context,
                                 WindowReporter);
}

} // namespace korvid
