#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

#include <filesystem>
#include <memory>
#include <string>

namespace korvid::test {

// Ends Process, asking first.
inline void StopProcess(QProcess& Process) {
    if (Process.state() == QProcess::NotRunning)
        return;
    Process.terminate();
    if (!Process.waitForFinished(5000)) {
        Process.kill();
        Process.waitForFinished(5000);
    }
}

// A private X server on the first free display, gone with the object.
class TXServer {
public:
    explicit TXServer(const QString& Program) {
        namespace fs = std::filesystem;
        const int First = 100 + int(QCoreApplication::applicationPid() % 400);
        for (int Number = First; Number < First + 50 && FDisplay.isEmpty(); ++Number) {
            const std::string Socket = "/tmp/.X11-unix/X" + std::to_string(Number);
            const std::string Lock = "/tmp/.X" + std::to_string(Number) + "-lock";
            if (fs::exists(Socket) || fs::exists(Lock))
                continue;
            FServer = std::make_unique<QProcess>();
            FServer->start(Program, {":" + QString::number(Number), "-nolisten", "tcp", "-screen",
                                     "0", "1280x1024x24"});
            if (!FServer->waitForStarted(5000))
                continue;
            // Ready once its socket is there; gone at once when another server took the number.
            const QDeadlineTimer Deadline(10000);
            while (!fs::exists(Socket) && FServer->state() == QProcess::Running &&
                   !Deadline.hasExpired())
                FServer->waitForFinished(50);
            if (fs::exists(Socket) && FServer->state() == QProcess::Running)
                FDisplay = ":" + QString::number(Number);
            else
                StopProcess(*FServer);
        }
    }
    ~TXServer() {
        if (FServer)
            StopProcess(*FServer);
    }
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;
    const QString& Display() const { return FDisplay; }

private:
    std::unique_ptr<QProcess> FServer;
    QString FDisplay;
};

} // namespace korvid::test
