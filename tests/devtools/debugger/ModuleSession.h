#pragma once

#include "devtools/debugger/Debugger.h"
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvid::test {

// The stand-in's log of one command, as "3/1 s=A p=1 o=10".
inline std::string LoggedCommand(const std::string& Frame) {
    std::istringstream Words(Frame);
    std::string Word, Number, SubCode;
    Words >> Word >> Number >> SubCode;
    std::string Text = Number + "/" + SubCode;
    const auto Request = Frame.find("request=");
    if (Request == std::string::npos)
        return Text;
    std::string Keys = Frame.substr(Request + 8);
    for (std::size_t At = Keys.find("\\r\\n"); At != std::string::npos; At = Keys.find("\\r\\n"))
        Keys.replace(At, 4, " ");
    while (!Keys.empty() && Keys.back() == ' ')
        Keys.pop_back();
    return Keys.empty() ? Text : Text + " " + Keys;
}

// A module stand-in driven by a debugger, in a folder, window folder and shared-memory names of
// its own. A fixture derives from it beside ::testing::Test; the debugger is only bound here, and
// used once the test connects.
class TModuleSession {
protected:
    using Strings = std::vector<std::string>;

    TModuleSession(TDebugger& Debugger, const std::string& Name)
        : SessionDebugger(Debugger),
          Prefix("/korvid-" + Name + "-" + std::to_string(::getpid()) + "-") {}

    // Starts the module and connects to it.
    TStandInProcess& Connect(const Strings& Scenario = {}) {
        Module = std::make_unique<TStandInProcess>(Dir.Path(), "Demo", Scenario);
        EXPECT_TRUE(Module->Started());
        SessionDebugger.Connect(Module->Handle());
        EXPECT_TRUE(SessionDebugger.IsConnected());
        Seen = Module->Frames().size();
        return *Module;
    }

    // The commands the module received since the last call, as LoggedCommand writes them.
    Strings Sent() {
        const Strings Frames = Module->Frames();
        Strings Commands;
        for (std::size_t Index = Seen; Index < Frames.size(); ++Index)
            if (Frames[Index].starts_with("command "))
                Commands.push_back(LoggedCommand(Frames[Index]));
        Seen = Frames.size();
        return Commands;
    }

    int Stops() const {
        const Strings Frames = Module->Frames();
        return static_cast<int>(std::count_if(Frames.begin(), Frames.end(), [](const auto& Frame) {
            return Frame.starts_with("stopped");
        }));
    }

    // Says Line to the module and waits until it has sent its stop and had the answer.
    void SayAndWaitForStop(const std::string& Line) {
        const int Before = Stops();
        Module->Say(Line);
        QElapsedTimer Clock;
        Clock.start();
        while (Stops() == Before && Clock.elapsed() < 20000)
            ServeFor(10);
        ASSERT_GT(Stops(), Before);
    }

    // The module stops at "SEGMENT PROC OFFSET" and the debugger has handled it.
    void Stop(const std::string& Where) {
        SayAndWaitForStop("stop " + Where);
        Sent();
    }

    TDebugger& SessionDebugger;
    TTempDir Dir;
    TScopedWindowFolder Folder{QString::fromStdString((Dir / "w").string())};
    TScopedSharedMemoryPrefix Prefix;
    std::unique_ptr<TStandInProcess> Module;
    std::size_t Seen = 0;
};

} // namespace korvid::test
