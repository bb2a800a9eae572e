#pragma once

#include "devtools/vbat/VBat.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid::test {

// Keeps every box a run would show.
class TRecordingReporter : public TVBatReporter {
public:
    std::vector<std::string> Errors;
    std::vector<std::string> Pauses;
    bool PauseAnswer = true;
    int InputsAsked = 0;
    // Answers the input dialog; Cancel when unset.
    std::function<bool(const std::vector<TVBatInput>&, TVBatValues&)> Answer;
    std::shared_ptr<bool> CancelProgress = std::make_shared<bool>(false);
    std::vector<std::string> ProgressShown;

    void Error(std::string_view Text) override { Errors.emplace_back(Text); }
    bool Pause(std::string_view Text) override {
        Pauses.emplace_back(Text);
        return PauseAnswer;
    }
    bool AskInputs(const std::vector<TVBatInput>& Inputs, TVBatValues& Values) override {
        ++InputsAsked;
        return Answer && Answer(Inputs, Values);
    }
    std::unique_ptr<TVBatProgress> ShowProgress(std::string_view Caption) override;
};

// A desktop and a clock in one: windows appear and go when the test says, keys are recorded
// as "+N"/"-N" (virtual key N pressed, released) and waits only move the clock.
class TFakeDesktop : public TWindowKeys, public TWaitService {
public:
    static constexpr TWindowId PSystemWindow = 7;

    std::string Title = "p-System";
    bool Open = false;
    bool Minimised = false;
    bool CapsLock = false;
    bool CanStart = true;
    int AppearAfter = 0;   // ms after the start; negative: never
    int CloseAfter = -1;   // ms after the run command is typed; negative: stays open
    int FocusForKeys = -1; // key presses before the focus goes elsewhere; negative: keeps it
    int FocusFrom = 0;     // ms on the clock before the window has the focus
    int Now = 0;
    std::vector<int> Waits;
    std::vector<std::string> Started;
    std::vector<std::filesystem::path> StartedIn;
    std::vector<std::string> Events;
    std::function<void()> OnWait;

    TWindowId FindTopWindow(std::string_view T) override {
        return Open && T == Title ? PSystemWindow : NoWindow;
    }
    bool IsWindow(TWindowId W) override { return Open && W == PSystemWindow; }
    bool IsMinimised(TWindowId) override { return Minimised; }
    void Restore(TWindowId) override {
        Minimised = false;
        Events.push_back("restore");
    }
    void BringToTop(TWindowId) override { Events.push_back("top"); }
    bool HasFocus(TWindowId W) override {
        return IsWindow(W) && Now >= FocusFrom && (FocusForKeys < 0 || FKeyPresses < FocusForKeys);
    }
    bool CapsLockOn() override { return CapsLock; }
    void PressKey(int Key) override;
    void ReleaseKey(int Key) override { Events.push_back("-" + std::to_string(Key)); }
    std::optional<TCharKey> KeyOfChar(char C) override { return UsKeyOfChar(C); }
    bool StartDetached(std::string_view Command, const std::filesystem::path& Folder) override;
    void Wait(int Milliseconds) override;

    // The characters typed, rebuilt from the key events (letters upper case).
    int KeyPresses() const { return FKeyPresses; }

private:
    int FKeyPresses = 0;
    int FAppearAt = -1;
    int FCloseAt = -1;
};

// A fixture folder with a VP volume and scripts.
class TVBatFolder {
public:
    TVBatFolder();
    std::string Write(std::string_view Name, std::string_view Text) const;
    std::string Path(std::string_view Name) const;
    std::vector<std::string> GoText() const;
    TVBatSettings Settings(TFakeDesktop& Desktop) const;

    TTempDir Dir;
    std::filesystem::path Volume;
};

} // namespace korvid::test
