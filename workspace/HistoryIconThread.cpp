#include "workspace/HistoryIconThread.h"

namespace korvid {

TIconKey TShellIconSource::IconKeyOf(const std::filesystem::path& FileName) {
    return ShellImageList().IconKeyOf(FileName);
}

int TShellIconSource::IndexOfKey(const TIconKey& Key) {
    return ShellImageList().IndexOfKey(Key);
}

QIcon TShellIconSource::Icon(int Index) const {
    return ShellImageList().Icon(Index);
}

THistoryIconThread::THistoryIconThread(std::vector<THistoryIconJob> Jobs,
                                       THistoryIconSource& Source, TSteadyClock Clock, TPost Post,
                                       TDone Done)
    : FJobs(std::move(Jobs)), FGone(FJobs.size()), FSource(Source), FClock(std::move(Clock)),
      FPost(std::move(Post)), FDone(std::move(Done)) {
    for (std::size_t Index = 0; Index < FJobs.size(); ++Index)
        FIndexOfId.emplace(FJobs[Index].Id, Index);
    FThread = std::jthread([this](std::stop_token Stop) { Run(Stop); });
}

THistoryIconThread::~THistoryIconThread() {
    RequestStop();
    Join();
}

void THistoryIconThread::Join() {
    if (FThread.joinable())
        FThread.join();
}

void THistoryIconThread::Forget(int Id) {
    if (const auto Found = FIndexOfId.find(Id); Found != FIndexOfId.end())
        FGone[Found->second] = true;
}

void THistoryIconThread::Run(const std::stop_token& Stop) {
    // An exception leaving a thread ends the program: an entry whose icon cannot be looked up
    // keeps the placeholder, and the window still hears that the thread is done.
    try {
        const auto Deadline = FClock() + TimeLimit;
        for (std::size_t Index = 0; Index < FJobs.size(); ++Index) {
            if (FGone[Index])
                continue;
            try {
                FPost(FJobs[Index].Id, FSource.IconKeyOf(FJobs[Index].Path));
            } catch (const std::exception&) {
            }
            if (Stop.stop_requested() || FClock() > Deadline)
                break;
        }
    } catch (...) {
    }
    FDone();
}

} // namespace korvid
