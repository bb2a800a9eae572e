#include "tests/devtools/vbat/XvfbServer.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace korvid::test {

namespace {

constexpr int StartTimeout = 15000; // ms

} // namespace

TXvfbServer::TXvfbServer(const std::vector<std::string>& ExtraArguments) {
    int Pipe[2];
    if (pipe(Pipe) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> Arguments{"Xvfb",      "-displayfd", std::to_string(Pipe[1]),
                                       "-nolisten", "tcp",        "-screen",
                                       "0",         "800x600x24"};
    Arguments.insert(Arguments.end(), ExtraArguments.begin(), ExtraArguments.end());
    std::vector<char*> Argv;
    for (std::string& Argument : Arguments)
        Argv.push_back(Argument.data());
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addclose(&Actions, Pipe[0]);
    const int Spawned = posix_spawnp(&FPid, "Xvfb", &Actions, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Actions);
    close(Pipe[1]);
    if (Spawned != 0) {
        close(Pipe[0]);
        throw std::runtime_error("Xvfb could not be started; install xvfb");
    }
    std::string Number;
    pollfd Poll{Pipe[0], POLLIN, 0};
    while (poll(&Poll, 1, StartTimeout) > 0) {
        char C = 0;
        if (read(Pipe[0], &C, 1) != 1 || C == '\n')
            break;
        Number += C;
    }
    close(Pipe[0]);
    if (Number.empty()) {
        kill(FPid, SIGTERM);
        waitpid(FPid, nullptr, 0);
        throw std::runtime_error("Xvfb did not report its display");
    }
    FDisplay = ":" + Number;
}

TXvfbServer::~TXvfbServer() {
    if (FPid > 0) {
        kill(FPid, SIGTERM);
        waitpid(FPid, nullptr, 0);
    }
}

} // namespace korvid::test
