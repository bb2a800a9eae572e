#include "app/VBatRuns.h"

#include "app/WindowHost.h"
#include "devtools/vbat/VBatPaths.h"
#include "devtools/vbat/VBatScriptRun.h"
#include "platform/Cp1252.h"
#include "platform/X11WindowKeys.h"
#include "workspace/KorvidOptions.h"
#include "workspace/LongOperations.h"

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

bool TVBatRuns::IsVBatScript(const std::string& FileName) {
    constexpr std::string_view Extension = ".vbat";
    return FileName.size() > Extension.size() &&
           LowerCase1252(FileName.substr(FileName.size() - Extension.size())) == Extension;
}

bool TVBatRuns::Running() const {
    return FWindow.LongOperations().Running(TLongOperations::TKind::VBatRun);
}

bool TVBatRuns::Run(const std::string& Script, const std::string& Source,
                    const std::string& PSystemName, bool Wait, bool Override,
                    TVBatReporter& Reporter) {
    const TLongOperations::TToken Operation =
        FWindow.LongOperations().Begin(TLongOperations::TKind::VBatRun);
    const TVBatTabScope Tab(FTab, FHost.CurrentTab());
    const TDesktopKeys Desktop = Keys ? TDesktopKeys{} : OpenDesktopKeys(ProcessEnvironment());
    const TKorvidOptions& Options = FWindow.Options();
    TVBatScriptContext Context;
    Context.Settings.VolumeFile = VBatDiskPath(Options.PascalWorkVolume);
    Context.Settings.LaunchCommand = Options.PSystemLaunchCommand;
    Context.Settings.WindowTitle = Options.PSystemWindowTitle;
    Context.Settings.DelayKeys = Options.DelayPSystemKeys;
    Context.Settings.Keys = Keys ? Keys : Desktop.Keys.get();
    Context.Settings.Waits = Waits;
    Context.Settings.KeysUnavailable = Desktop.WhyNot;
    Context.UserScript = Options.VBatUserScript;
    Context.WantInput = Options.VBatWantInput;
    Context.KeyLog = VBatDiskPath(Options.VBatKeyLog);
    Context.SavedInputs = &FInputs;
    Context.ShowStatus = [this](const std::string& Text) {
        FWindow.SetStatusPanel(CompileStatusPanel, Text);
    };
    TWindowReporter WindowReporter(Reporter, Operation);
    return RunVBatScript(Script, Source, PSystemName, Wait, Override, Context, WindowReporter);
}

} // namespace korvid
