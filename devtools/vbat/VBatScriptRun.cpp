#include "devtools/vbat/VBatScriptRun.h"

#include "devtools/vbat/VBatPaths.h"

namespace korvid {

namespace {

// Clears the status panel however the run ends.
class TStatusShown {
public:
    TStatusShown(const std::function<void(const std::string&)>& Show, const std::string& Text)
        : FShow(Show) {
        if (FShow)
            FShow(Text);
    }
    ~TStatusShown() {
        if (FShow)
            FShow({});
    }
    TStatusShown(const TStatusShown&) = delete;
    TStatusShown& operator=(const TStatusShown&) = delete;

private:
    const std::function<void(const std::string&)>& FShow;
};

} // namespace

bool RunVBatScript(const std::string& Script, const std::string& Source,
                   const std::string& PSystemName, bool Wait, bool Override,
                   TVBatScriptContext& Context, TVBatReporter& Reporter) {
    TVBatSettings Settings = Context.Settings;
    Settings.UnitFile = Source;
    Settings.PSystemName = PSystemName;
    TVBat VBat(std::move(Settings));
    const TStatusShown Status(Context.ShowStatus, "Running " +
                                                      VBatDiskPath(Script).filename().string() +
                                                      " with " + Context.UserScript);
    if (!VBat.LoadScript(Script, Context.UserScript, Reporter))
        return false;
    TVBatValues Scratch;
    TVBatValues& Saved = Context.SavedInputs ? *Context.SavedInputs : Scratch;
    return VBat.ExecuteScript(Saved, Override || Context.WantInput, Context.KeyLog, Wait, Reporter);
}

} // namespace korvid
