#include "devtools/vbat/VBat.h"

#include "devtools/vbat/VBatKeys.h"
#include "devtools/vbat/VBatMessages.h"
#include "devtools/vbat/VBatPaths.h"
#include "foundation/BinaryStrings.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "ui/FormUtilities.h"
#include "ui/MessageBoxUnit.h"

#include <algorithm>

namespace korvid {

namespace {

constexpr char PSystemReturn = '\xAC';
constexpr int WindowPollDelay = 1000;
constexpr int WindowSearchTime = 5000;
constexpr int DelayBeforeTyping = 5000;
constexpr int ClosePollDelay = 500;
// A window manager may hand the focus over some time after the window was raised.
constexpr int FocusPollDelay = 100;
constexpr int FocusWaitTime = 2000;
constexpr std::string_view RunGoCommand = "QXI=VP:GO\r";
constexpr std::string_view KeysFileName = "GO.TEXT";

// The key buffer as p-System lines: each CR ends one, and what follows the last is one more.
std::vector<std::string> KeyLines(std::string_view Keys) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Keys.size()) {
        const auto End = Keys.find('\r', Start);
        if (End == std::string_view::npos) {
            Lines.emplace_back(Keys.substr(Start));
            break;
        }
        Lines.emplace_back(Keys.substr(Start, End - Start));
        Start = End + 1;
    }
    return Lines;
}

std::optional<TBinaryStrings> ReadLines(const std::filesystem::path& Name) {
    try {
        TBinaryStrings Strings;
        bool ShowAsterisks = false;
        std::string Password;
        if (Strings.LoadFromFile(Name, ShowAsterisks, Password) != TLoadResult::Loaded)
            return std::nullopt;
        return Strings;
    } catch (const EKorvidError&) {
        return std::nullopt;
    }
}

bool IsFilerKind(TVBatKind Kind) {
    return Kind >= vkMount && Kind <= vkPrefix;
}

} // namespace

class TVBat::TRunner {
public:
    TRunner(TVBat& Owner, TVBatReporter& Reporter)
        : FOwner(Owner), FReporter(Reporter),
          FKeys(Owner.FSettings.Keys ? *Owner.FSettings.Keys : HeadlessWindowKeys()),
          FWaits(Owner.FSettings.Waits ? *Owner.FSettings.Waits : EventPumpingWait()) {}

    bool Run(const TVBatCommand& Command);

private:
    bool Fail(std::string_view Message) {
        FReporter.Error(Message);
        return false;
    }
    void Append(std::string_view Text) {
        std::string Keys(Text);
        std::replace(Keys.begin(), Keys.end(), PSystemReturn, '\r');
        FOwner.FKeys += Keys;
    }
    void EnterFiler() {
        if (!FOwner.FInFiler)
            Append("F");
        FOwner.FInFiler = true;
    }
    void LeaveFiler() {
        if (FOwner.FInFiler)
            Append("Q");
        FOwner.FInFiler = false;
    }
    std::string Arg(const TVBatCommand& Command, std::size_t Index) const {
        return Index < Command.Arguments.size() ? FOwner.ExpandVariables(Command.Arguments[Index])
                                                : std::string();
    }
    // The script's folder a command was parsed in: a path, not a text to expand.
    static std::string FolderArg(const TVBatCommand& Command, std::size_t Index) {
        return Index < Command.Arguments.size() ? Command.Arguments[Index] : std::string();
    }
    bool SaveToVolume(const std::vector<std::string>& Lines, std::string_view Name);
    bool Store(const TVBatCommand& Command);
    bool Template(const TVBatCommand& Command);
    bool SendKeysCommand(const TVBatCommand& Command);
    bool WaitForFocus(TWindowId Window);
    TWindowId FindOrStartWindow(bool& Failed);

    TVBat& FOwner;
    TVBatReporter& FReporter;
    TWindowKeys& FKeys;
    TWaitService& FWaits;
};

bool TVBat::TRunner::SaveToVolume(const std::vector<std::string>& Lines, std::string_view Name) {
    if (FOwner.FSettings.VolumeFile.empty())
        return false;
    try {
        TMajorVolume Volume(FOwner.FSettings.VolumeFile, true);
        return Volume.SaveTextFile(Name, Lines, false);
    } catch (const EKorvidError&) {
        return false;
    }
}

bool TVBat::TRunner::Store(const TVBatCommand& Command) {
    const std::string Source = Arg(Command, 0);
    const std::filesystem::path File = VBatDiskPath(VBatFromFolder(FolderArg(Command, 1), Source));
    const std::string Marker = Command.Arguments.size() > 2 ? Command.Arguments[2] : "";
    const bool Transfer = Marker == std::string(1, '\1') && Command.Arguments.size() > 3;
    const bool IsMarker = Marker.size() == 1 && (Marker[0] == '\0' || Marker[0] == '\1');
    const std::string Name = (!IsMarker) ? Arg(Command, 2) : PSystemFileName(Source);

    MessageBoxShown = false;
    bool Stored = false;
    if (const auto Lines = ReadLines(File))
        Stored = SaveToVolume(Lines->Lines(), Name);
    if (!Stored) {
        // The volume may have told why already.
        if (!MessageBoxShown)
            Fail(VBatUnableToStore(Source, Name));
        return false;
    }
    if (Transfer) {
        EnterFiler();
        Append("T" + Name + "\xAC" + Arg(Command, 3) + "\xAC" + "Y");
        LeaveFiler();
    }
    return true;
}

bool TVBat::TRunner::Template(const TVBatCommand& Command) {
    const std::string Source = Arg(Command, 0);
    const std::string Target = Arg(Command, 1);
    const std::filesystem::path SourceFile =
        VBatDiskPath(VBatFromFolder(FolderArg(Command, 2), Source));
    std::error_code Error;
    if (!std::filesystem::is_regular_file(SourceFile, Error))
        return Fail(VBatTemplateMissing(Source));
    const auto Lines = ReadLines(SourceFile);
    if (!Lines)
        return Fail(VBatTemplateMissing(Source));
    std::string Text;
    for (const std::string& Line : Lines->Lines())
        Text += FOwner.ExpandVariables(Line) + "\r\n";
    try {
        WriteFileAtomically(VBatDiskPath(VBatFromFolder(FolderArg(Command, 2), Target)), Text);
    } catch (const EKorvidError&) {
        return Fail(VBatUnableToWriteFile(Target));
    }
    return true;
}

TWindowId TVBat::TRunner::FindOrStartWindow(bool& Failed) {
    Failed = false;
    TWindowId& Window = FOwner.FWindow;
    if (Window != NoWindow && !FKeys.IsWindow(Window))
        Window = NoWindow;
    if (Window != NoWindow)
        return Window;
    const std::string& Title = FOwner.FSettings.WindowTitle;
    if (FKeys.FindTopWindow(Title) != NoWindow) {
        Failed = true;
        Fail(VBatWindowAlreadyOpen());
        return NoWindow;
    }
    const std::string& Command = FOwner.FSettings.LaunchCommand;
    bool Started = false;
    {
        TWaitCursor Busy;
        Started = FKeys.StartDetached(Command, VBatDiskPath(FOwner.FVariables["_VBATPATH_"]));
    }
    if (!Started) {
        Failed = true;
        Fail(VBatUnableToStartWindow(Command));
        return NoWindow;
    }
    for (int Waited = 0; Window == NoWindow && Waited < WindowSearchTime;
         Waited += WindowPollDelay) {
        FWaits.Wait(WindowPollDelay);
        Window = FKeys.FindTopWindow(Title);
    }
    return Window;
}

bool TVBat::TRunner::WaitForFocus(TWindowId Window) {
    for (int Waited = 0; !FKeys.HasFocus(Window); Waited += FocusPollDelay) {
        if (Waited >= FocusWaitTime)
            return false;
        FWaits.Wait(FocusPollDelay);
    }
    return true;
}

bool TVBat::TRunner::SendKeysCommand(const TVBatCommand& Command) {
    const std::string Option = Command.Arguments.empty() ? std::string() : Command.Arguments[0];
    const bool Waiting = (Option.empty() || Option == "and wait") && FOwner.FWait;
    if (Option.empty() || Waiting) {
        LeaveFiler();
        Append("X*CLOSEPSYS.CODE\xAC");
    }
    if (!SaveToVolume(KeyLines(FOwner.FKeys), KeysFileName))
        return Fail(VBatUnableToSaveKeys());
    // The keys are on the volume now: whatever happens next, they belong in the log.
    FOwner.FKeyLog += FOwner.FKeys;
    FOwner.FKeys.clear();

    const TVBatSettings& Settings = FOwner.FSettings;
    if (!Settings.KeysUnavailable.empty())
        return Fail(VBatCantTypeHere(Settings.KeysUnavailable));
    if (Settings.LaunchCommand.empty())
        return Fail(VBatLaunchCommandNotConfigured());
    if (Settings.WindowTitle.empty())
        return Fail(VBatWindowTitleNotConfigured());
    bool Failed = false;
    const TWindowId Window = FindOrStartWindow(Failed);
    if (Failed)
        return false;
    std::unique_ptr<TVBatProgress> Progress;
    if (Waiting)
        Progress = FReporter.ShowProgress(VBatRunningCaption);
    if (Window == NoWindow)
        return Fail(VBatWindowNotFound(Settings.WindowTitle));
    if (FKeys.IsMinimised(Window))
        FKeys.Restore(Window);
    else
        FKeys.BringToTop(Window);
    if (Settings.DelayKeys)
        FWaits.Wait(DelayBeforeTyping);
    if (!WaitForFocus(Window))
        return Fail(VBatFocusLost());
    if (!SendKeys(FKeys, FWaits, Window, RunGoCommand, Settings.DelayKeys))
        return Fail(VBatFocusLost());
    if (Waiting) {
        for (;;) {
            FWaits.Wait(ClosePollDelay);
            if (!FKeys.IsWindow(Window))
                break;
            if (Progress && Progress->Cancelled())
                return false;
        }
    }
    return true;
}

bool TVBat::TRunner::Run(const TVBatCommand& Command) {
    if (IsFilerKind(Command.Kind))
        EnterFiler();
    else
        LeaveFiler();
    const std::string A = Arg(Command, 0);
    const std::string B = Arg(Command, 1);
    const std::string C = Arg(Command, 2);
    switch (Command.Kind) {
    case vkSendKeys:
        return SendKeysCommand(Command);
    case vkStore:
        return Store(Command);
    case vkPause:
        return FReporter.Pause(A);
    case vkConfirm:
        Append("X*CONFIRM PI=\"" + A + "\"\xAC");
        return true;
    case vkMount: {
        std::error_code Error;
        if (A != "V:" && !std::filesystem::exists(VBatDiskPath(A), Error))
            return Fail(VBatVolumeToMountMissing(A));
        Append("D" + A + "\xAC O");
        return true;
    }
    case vkInitialise:
        Append("UI");
        return true;
    case vkDelete:
        Append("R" + A + "\xAC\xAC\xAC\xAC\xAC" + "Y");
        return true;
    case vkCopy:
        Append("T" + A + "\xAC" + B + "\xAC" + "Y");
        return true;
    case vkRename:
        Append("C" + A + "\xAC" + B + "\xAC");
        return true;
    case vkKrunch:
        Append("K" + A + "\xAC" + "Y");
        return true;
    case vkPrefix:
        Append("P" + A + "\xAC");
        return true;
    case vkCompile:
        Append("C" + A + "\xAC" + B + "\xAC" + C + "\xAC");
        return true;
    case vkLink:
        Append("L" + A + "\xAC" + B + "\xAC\xAC\xAC" + C + "\xAC");
        return true;
    case vkFlag: {
        const bool On = B == "on";
        const std::string Old = On ? "-" : "+";
        const std::string New = On ? "+" : "-";
        Append("E" + C + "\xAC" + "R/" + A + Old + "//" + A + New + "/ QU");
        return true;
    }
    case vkExecute:
        Append("X" + A + "\xAC" + B + "\xAC");
        return true;
    case vkAnnounce:
        Append("XSYS:OK\xAC" + A + "\xAC");
        return true;
    case vkGenerate: {
        std::string Keys = "XSYS:LIBRARY\xAC" + A + "\xAC" + Arg(Command, 4) + "\xAC" + C + "E";
        for (std::size_t I = 5; I < Command.Arguments.size(); ++I)
            Keys += "N" + Arg(Command, I) + "\xAC" + "E";
        Keys += Arg(Command, 3) + "Q" + B + "\xAC";
        Append(Keys);
        return true;
    }
    case vkAssign:
        FOwner.FVariables[UpperCase1252(Command.Arguments.at(0))] = B;
        return true;
    case vkTest: {
        const bool Empty = FOwner.Variable(Command.Arguments.at(0)).empty();
        const bool Runs = Command.Arguments.at(1) == "!" ? Empty : !Empty;
        if (!Runs)
            return true;
        return std::all_of(Command.Commands.begin(), Command.Commands.end(),
                           [this](const auto& Sub) { return Run(*Sub); });
    }
    case vkInput:
        return true;
    case vkTemplate:
        return Template(Command);
    }
    return true;
}

bool TVBat::ExecuteScript(TVBatValues& SavedInputs, bool ForceInput,
                          const std::filesystem::path& KeyLogFile, bool Wait,
                          TVBatReporter& Reporter) {
    FInFiler = false;
    FKeys.clear();
    FKeyLog.clear();
    FWindow = NoWindow;
    FWait = Wait;

    if (!FInputs.empty()) {
        bool Ask = ForceInput;
        for (const TVBatInput& Input : FInputs)
            for (const std::string& Name : Input.Names)
                Ask = Ask || !SavedInputs.contains(Name);
        if (Ask && !Reporter.AskInputs(FInputs, SavedInputs))
            return false;
        for (const TVBatInput& Input : FInputs)
            for (const std::string& Name : Input.Names)
                FVariables[Name] = SavedInputs[Name];
    }

    TRunner Runner(*this, Reporter);
    const bool Ok = std::all_of(FCommands.begin(), FCommands.end(),
                                [&](const auto& Command) { return Runner.Run(*Command); });
    if (KeyLogFile.empty())
        return Ok;
    std::string Log;
    for (const char C : FKeyLog) {
        Log += C;
        if (C == '\r')
            Log += '\n';
    }
    try {
        WriteFileAtomically(KeyLogFile, Log);
    } catch (const EKorvidError&) {
        Reporter.Error(VBatUnableToWriteFile(KeyLogFile.string()));
        return false;
    }
    return Ok;
}

} // namespace korvid
