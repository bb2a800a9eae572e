#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace korvid::test {

// Ends the test program with a message when the guarded step has not returned within Limit, so
// that a step which must return at once fails the run instead of stalling it. Not a timing
// check: Limit is far beyond any honest run.
class THangGuard {
public:
    THangGuard(std::string What, std::chrono::seconds Limit = std::chrono::seconds(20))
        : FThread([this, What = std::move(What), Limit] {
              std::unique_lock Lock(FMutex);
              if (!FDone.wait_for(Lock, Limit, [this] { return FReturned; })) {
                  std::fprintf(stderr, "hung: %s\n", What.c_str());
                  std::_Exit(EXIT_FAILURE);
              }
          }) {}
    ~THangGuard() {
        {
            const std::lock_guard Lock(FMutex);
            FReturned = true;
        }
        FDone.notify_one();
        FThread.join();
    }
    THangGuard(const THangGuard&) = delete;
    THangGuard& operator=(const THangGuard&) = delete;

private:
    std::mutex FMutex;
    std::condition_variable FDone;
    bool FReturned = false;
    std::thread FThread; // last, so that it starts after the members it uses
};

} // namespace korvid::test
