#pragma once

#include "platform/ProcessLauncher.h"

#include <memory>
#include <vector>

namespace korvid::test {

// Starts nothing; keeps what it was asked to start.
class TRecordingLauncher : public TProcessLauncher {
public:
    struct TStart {
        QString Program;
        QStringList Arguments;
        QString Folder;
    };
    std::vector<TStart> Starts;
    bool Succeeds = true;

    bool StartDetached(const QString& Program, const QStringList& Arguments,
                       const QString& WorkingFolder) override {
        Starts.push_back({Program, Arguments, WorkingFolder});
        return Succeeds;
    }
};

// A launcher for the window, and the test's view of it.
inline std::unique_ptr<TProcessLauncher> MakeRecordingLauncher(TRecordingLauncher*& Recorder) {
    auto Launcher = std::make_unique<TRecordingLauncher>();
    Recorder = Launcher.get();
    return Launcher;
}

} // namespace korvid::test
