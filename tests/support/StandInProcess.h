#pragma once

// Runs the Vosk module stand-in (tests/support/VoskModuleStandIn.cpp) as a real process in the
// test's window folder and shared-memory namespace. Needs KORVID_STANDIN, the program's path.

#include "platform/Cp1252.h"
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <vector>

namespace korvid::test {

// Lets the test's own endpoints answer while it waits for another process.
inline void ServeFor(int Milliseconds) {
    QElapsedTimer Clock;
    Clock.start();
    while (Clock.elapsed() < Milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class TStandInProcess {
public:
    // Scenario: "key=value" lines (see the stand-in). Folder holds its log and scenario.
    TStandInProcess(const std::filesystem::path& Folder, const std::string& Title,
                    const std::vector<std::string>& Scenario = {})
        : FLogPath(Folder / ("standin-" + std::to_string(Count()++) + ".log")),
          FBufferName(SharedMemoryName("VoskDebuggingBuffer")) {
        const auto ScenarioPath = FLogPath.string() + ".scenario";
        std::ofstream Out(ScenarioPath);
        for (const std::string& Line : Scenario)
            Out << Line << "\n";
        Out.close();
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("KORVID_WINDOW_FOLDER", WindowFolder());
        Environment.insert("KORVID_SHM_PREFIX", QString::fromStdString(SharedMemoryName("")));
        FProcess.setProcessEnvironment(Environment);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(KORVID_STANDIN, {ToQString(Title), QString::fromStdString(FLogPath.string()),
                                        QString::fromStdString(ScenarioPath)});
        FStarted = FProcess.waitForStarted(10000) && WaitForLog("started");
    }
    ~TStandInProcess() {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished(10000);
            // Killed, it could not remove its buffer.
            ::shm_unlink(FBufferName.c_str());
        }
    }
    TStandInProcess(const TStandInProcess&) = delete;
    TStandInProcess& operator=(const TStandInProcess&) = delete;

    bool Started() const { return FStarted; }
    TWindowHandle Handle() const {
        const auto Lines = LogLines();
        return Lines.empty() ? 0 : static_cast<TWindowHandle>(std::stoul(Lines[0].substr(8)));
    }
    void Say(const std::string& Line) {
        FProcess.write((Line + "\n").c_str());
        FProcess.waitForBytesWritten(10000);
    }
    std::vector<std::string> LogLines() const {
        std::vector<std::string> Lines;
        std::ifstream In(FLogPath);
        for (std::string Line; std::getline(In, Line);)
            Lines.push_back(Line);
        return Lines;
    }
    // The log lines after "started".
    std::vector<std::string> Frames() const {
        auto Lines = LogLines();
        if (!Lines.empty())
            Lines.erase(Lines.begin());
        return Lines;
    }
    // Waits (serving this process's endpoints) until a log line starts with Start.
    bool WaitForLog(const std::string& Start, int Milliseconds = 20000) {
        QElapsedTimer Clock;
        Clock.start();
        while (Clock.elapsed() < Milliseconds) {
            for (const std::string& Line : LogLines())
                if (Line.starts_with(Start))
                    return true;
            if (FProcess.state() == QProcess::NotRunning)
                return false;
            ServeFor(10);
        }
        return false;
    }
    // Ends it with "quit"; its exit code.
    int Quit() {
        Say("quit");
        FProcess.waitForFinished(10000);
        return FProcess.exitCode();
    }

private:
    static int& Count() {
        static int Number = 0;
        return Number;
    }

    std::filesystem::path FLogPath;
    std::string FBufferName;
    QProcess FProcess;
    bool FStarted = false;
};

} // namespace korvid::test
