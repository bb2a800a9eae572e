// VBat scripts run from the main window: the options give the p-System settings, the status bar
// shows the run, and closing the window while a run waits cancels it first.
#include "app/KorvidForm.h"

#include "devtools/VBatPaths.h"
#include "devtools/VBatReporter.h"
#include "devtools/VBatScriptRun.h"
#include "platform/Cp1252.h"

#include <QTimer>

namespace korvid {

namespace {

// The progress box's Cancel, or the main window asked to close.
class TWindowProgress : public TVBatProgress {
public:
    TWindowProgress(std::unique_ptr<TVBatProgress> Inner, const bool& CancelRequested)
        : FInner(std::move(Inner)), FCancelRequested(CancelRequested) {}
    bool Cancelled() const override { return FCancelRequested || (FInner && FInner->Cancelled()); }

private:
    std::unique_ptr<TVBatProgress> FInner;
    const bool& FCancelRequested;
};

class TWindowReporter : public TVBatReporter {
public:
    TWindowReporter(TVBatReporter& Inner, const bool& CancelRequested)
        : FInner(Inner), FCancelRequested(CancelRequested) {}

    void Error(std::string_view Text) override { FInner.Error(Text); }
    bool Pause(std::string_view Text) override { return FInner.Pause(Text); }
    bool AskInputs(const std::vector<TVBatInput>& Inputs, TVBatValues& Values) override {
        return FInner.AskInputs(Inputs, Values);
    }
    std::unique_ptr<TVBatProgress> ShowProgress(std::string_view Caption) override {
        return std::make_unique<TWindowProgress>(FInner.ShowProgress(Caption), FCancelRequested);
    }

private:
    TVBatReporter& FInner;
    const bool& FCancelRequested;
};

// Marks the window busy with a run for as long as it lives.
class TVBatRunScope {
public:
    TVBatRunScope(bool& Running, bool& Cancel, QWidget*& Tab, QWidget* ScriptTab)
        : FRunning(Running), FTab(Tab) {
        FRunning = true;
        Cancel = false;
        FTab = ScriptTab;
    }
    ~TVBatRunScope() {
        FRunning = false;
        FTab = nullptr;
    }
    TVBatRunScope(const TVBatRunScope&) = delete;
    TVBatRunScope& operator=(const TVBatRunScope&) = delete;

private:
    bool& FRunning;
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
    bool Ok = false;
    {
        const TVBatRunScope Scope(FVBatRunning, FVBatCancel, FVBatTab, CurrentTab());
        const TDesktopKeys Desktop =
            VBatKeys ? TDesktopKeys{} : OpenDesktopKeys(ProcessEnvironment());
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
        TWindowReporter WindowReporter(Reporter, FVBatCancel);
        Ok = korvid::RunVBatScript(Script, Source, PSystemName, Wait, Override, Context,
                                   WindowReporter);
    }
    if (FCloseAfterVBat) {
        FCloseAfterVBat = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
    return Ok;
}

bool TKorvidForm::StopVBatForClose() {
    if (!FVBatRunning)
        return false;
    FVBatCancel = true;
    FCloseAfterVBat = true;
    return true;
}

} // namespace korvid
