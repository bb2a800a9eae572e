#pragma once

#include <csignal>
#include <sys/resource.h>

namespace korvid::test {

// Makes every write past Limit bytes fail, as a full disk would (for the superuser too).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Limit) {
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit New = FOld;
        New.rlim_cur = Limit;
        ::setrlimit(RLIMIT_FSIZE, &New);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

} // namespace korvid::test
