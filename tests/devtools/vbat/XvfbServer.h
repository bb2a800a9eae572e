#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace korvid::test {

// A virtual X server of the test's own, on a display number the server picks; stopped by its
// process id when the object goes. Raises when Xvfb cannot be started.
class TXvfbServer {
public:
    explicit TXvfbServer(const std::vector<std::string>& ExtraArguments = {});
    ~TXvfbServer();
    TXvfbServer(const TXvfbServer&) = delete;
    TXvfbServer& operator=(const TXvfbServer&) = delete;

    // ":N"
    const std::string& Display() const { return FDisplay; }

private:
    pid_t FPid = -1;
    std::string FDisplay;
};

} // namespace korvid::test
