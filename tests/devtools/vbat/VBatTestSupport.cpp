#include "VBatTestSupport.h"

#include "platform/VirtualKeyCodes.h"
#include "psystem/MajorVolume.h"

namespace korvid::test {

namespace {

class TFakeProgress final : public TVBatProgress {
public:
    explicit TFakeProgress(std::shared_ptr<bool> Cancel) : FCancel(std::move(Cancel)) {}
    bool Cancelled() const override { return *FCancel; }

private:
    std::shared_ptr<bool> FCancel;
};

} // namespace

std::unique_ptr<TVBatProgress> TRecordingReporter::ShowProgress(std::string_view Caption) {
    ProgressShown.emplace_back(Caption);
    return std::make_unique<TFakeProgress>(CancelProgress);
}

void TFakeDesktop::PressKey(int Key) {
    Events.push_back("+" + std::to_string(Key));
    if (Key != VK_SHIFT && Key != VK_CAPITAL)
        ++FKeyPresses;
    if (Key == VK_RETURN && CloseAfter >= 0)
        FCloseAt = Now + CloseAfter;
}

bool TFakeDesktop::StartDetached(std::string_view Command, const std::filesystem::path& Folder) {
    Started.emplace_back(Command);
    StartedIn.push_back(Folder);
    if (!CanStart)
        return false;
    if (AppearAfter >= 0)
        FAppearAt = Now + AppearAfter;
    return true;
}

void TFakeDesktop::Wait(int Milliseconds) {
    Now += Milliseconds;
    Waits.push_back(Milliseconds);
    if (FAppearAt >= 0 && Now >= FAppearAt) {
        Open = true;
        FAppearAt = -1;
    }
    if (FCloseAt >= 0 && Now >= FCloseAt) {
        Open = false;
        FCloseAt = -1;
    }
    if (OnWait)
        OnWait();
}

TVBatFolder::TVBatFolder() : Volume(Dir / "vp.vol") {
    CreateVolumeFile(Volume, "VP", 200);
}

std::string TVBatFolder::Path(std::string_view Name) const {
    return (Dir / Name).string();
}

std::string TVBatFolder::Write(std::string_view Name, std::string_view Text) const {
    const auto File = Dir / Name;
    std::filesystem::create_directories(File.parent_path());
    WriteFileBytes(File, Text);
    return File.string();
}

std::vector<std::string> TVBatFolder::GoText() const {
    TMajorVolume V(Volume, false);
    const int Index = V.FindFile("GO.TEXT");
    if (Index <= 0)
        return {"<no GO.TEXT>"};
    return V.ReadFileLines(Index, "GO.TEXT");
}

TVBatSettings TVBatFolder::Settings(TFakeDesktop& Desktop) const {
    TVBatSettings S;
    S.VolumeFile = Volume;
    S.LaunchCommand = "psystem --run";
    S.WindowTitle = Desktop.Title;
    S.UnitFile = "C:\\src\\unit.vp";
    S.PSystemName = "UNIT.TEXT";
    S.Keys = &Desktop;
    S.Waits = &Desktop;
    S.Year = [] { return 2024; };
    return S;
}

} // namespace korvid::test
