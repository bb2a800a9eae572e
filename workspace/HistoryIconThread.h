#pragma once

#include "ui/ShellImageList.h"

#include <QIcon>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace korvid {

// What the history list needs of the shared icon list.
class THistoryIconSource {
public:
    virtual ~THistoryIconSource() = default;
    // Any thread; makes no picture.
    virtual TIconKey IconKeyOf(const std::filesystem::path& FileName) = 0;
    // GUI thread only.
    virtual int IndexOfKey(const TIconKey& Key) = 0;
    virtual QIcon Icon(int Index) const = 0;
};

// The program's shared list.
class TShellIconSource : public THistoryIconSource {
public:
    TIconKey IconKeyOf(const std::filesystem::path& FileName) override;
    int IndexOfKey(const TIconKey& Key) override;
    QIcon Icon(int Index) const override;
};

using TSteadyClock = std::function<std::chrono::steady_clock::time_point()>;

// One list item as it was when the thread started: the id outlives any change of rank.
struct THistoryIconJob {
    int Id = 0;
    std::string Path;
};

// Looks up the icon key of every job once, in order, off the GUI thread. It never waits for
// the GUI thread: results leave through Post, which must only queue them, so that stopping is
// a request and a join. It ends after the last job, on a stop request, or once TimeLimit has
// passed since it started; both are checked after each lookup.
class THistoryIconThread {
public:
    static constexpr std::chrono::minutes TimeLimit{1};
    using TPost = std::function<void(int Id, const TIconKey& Key)>;
    // After the last Post of the thread.
    using TDone = std::function<void()>;

    THistoryIconThread(std::vector<THistoryIconJob> Jobs, THistoryIconSource& Source,
                       TSteadyClock Clock, TPost Post, TDone Done);
    // Requests a stop and waits for the thread.
    ~THistoryIconThread();
    THistoryIconThread(const THistoryIconThread&) = delete;
    THistoryIconThread& operator=(const THistoryIconThread&) = delete;

    void RequestStop() { FThread.request_stop(); }
    void Join();
    // The item went: a job not yet reached is passed over.
    void Forget(int Id);

private:
    void Run(const std::stop_token& Stop);

    const std::vector<THistoryIconJob> FJobs;
    std::vector<std::atomic<bool>> FGone;
    std::unordered_map<int, std::size_t> FIndexOfId;
    THistoryIconSource& FSource;
    const TSteadyClock FClock;
    const TPost FPost;
    const TDone FDone;
    // Last, so that it starts once everything it reads is in place.
    std::jthread FThread;
};

} // namespace korvid
