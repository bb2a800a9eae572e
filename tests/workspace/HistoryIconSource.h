#pragma once

#include "workspace/HistoryIconThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace korvid::test {

// An icon source for the history list that records who asked about what, holds chosen paths
// until released, and gives every path an image of its own.
class TRecordingIconSource : public THistoryIconSource {
public:
    static constexpr int Placeholder = TShellImageList::UntypedIcon;

    // Every lookup answers the placeholder, as a failed one does.
    bool AnswerPlaceholder = false;
    // The lookup of this path throws, as a conversion of its name may.
    std::string ThrowFor;

    void Hold(const std::string& Path) {
        const std::scoped_lock Lock(FMutex);
        FHeld.insert(Path);
    }
    void Release(const std::string& Path) {
        {
            const std::scoped_lock Lock(FMutex);
            FHeld.erase(Path);
        }
        FChanged.notify_all();
    }
    // Until the lookup of Path has begun and is being held.
    void WaitUntilHeld(const std::string& Path) {
        std::unique_lock Lock(FMutex);
        FChanged.wait(Lock, [&] { return FWaiting.count(Path) > 0; });
    }
    // The paths looked up away from the GUI thread, in order.
    std::vector<std::string> LookedUpInBackground() const {
        const std::scoped_lock Lock(FMutex);
        std::vector<std::string> Paths;
        for (const auto& [Path, Thread] : FLookups)
            if (Thread != FGuiThread)
                Paths.push_back(Path);
        return Paths;
    }
    std::vector<std::string> LookedUpOnGuiThread() const {
        const std::scoped_lock Lock(FMutex);
        std::vector<std::string> Paths;
        for (const auto& [Path, Thread] : FLookups)
            if (Thread == FGuiThread)
                Paths.push_back(Path);
        return Paths;
    }
    bool Returned(const std::string& Path) const {
        const std::scoped_lock Lock(FMutex);
        return FReturned.count(Path) > 0;
    }
    // The image a path's key maps to.
    int ImageOf(const std::string& Path) {
        const std::scoped_lock Lock(FMutex);
        return FImages.try_emplace(Path, FirstImage + int(FImages.size())).first->second;
    }

    TIconKey IconKeyOf(const std::filesystem::path& FileName) override {
        const std::string Path = FileName.string();
        std::unique_lock Lock(FMutex);
        FLookups.emplace_back(Path, std::this_thread::get_id());
        if (FHeld.count(Path)) {
            FWaiting.insert(Path);
            FChanged.notify_all();
            FChanged.wait(Lock, [&] { return FHeld.count(Path) == 0; });
        }
        FReturned.insert(Path);
        if (Path == ThrowFor)
            throw std::filesystem::filesystem_error("lookup", FileName,
                                                    std::make_error_code(std::errc::io_error));
        if (AnswerPlaceholder)
            return TIconKey{};
        return TIconKey{TIconKey::Shell, Path, {}, {}};
    }
    int IndexOfKey(const TIconKey& Key) override {
        return Key.Kind == TIconKey::Shell ? ImageOf(Key.Extension) : Placeholder;
    }
    QIcon Icon(int) const override { return {}; }

private:
    static constexpr int FirstImage = 100;
    const std::thread::id FGuiThread = std::this_thread::get_id();
    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    std::set<std::string> FHeld;
    std::set<std::string> FWaiting;
    std::set<std::string> FReturned;
    std::vector<std::pair<std::string, std::thread::id>> FLookups;
    std::map<std::string, int> FImages;
};

// Lends a source that outlives the list, so that a test may still release it from another
// thread while the list goes.
class TLentIconSource : public THistoryIconSource {
public:
    explicit TLentIconSource(THistoryIconSource& Source) : FSource(Source) {}
    TIconKey IconKeyOf(const std::filesystem::path& FileName) override {
        return FSource.IconKeyOf(FileName);
    }
    int IndexOfKey(const TIconKey& Key) override { return FSource.IndexOfKey(Key); }
    QIcon Icon(int Index) const override { return FSource.Icon(Index); }

private:
    THistoryIconSource& FSource;
};

// A steady clock that moves only when told.
class TFakeClock {
public:
    TSteadyClock Clock() {
        return [this] { return std::chrono::steady_clock::time_point(FNow.load()); };
    }
    void Advance(std::chrono::steady_clock::duration By) { FNow = FNow.load() + By; }

private:
    std::atomic<std::chrono::steady_clock::duration> FNow{std::chrono::hours(1)};
};

} // namespace korvid::test
