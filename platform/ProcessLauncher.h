#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace korvid {

// Starts outside programs without waiting for them. The window is given one, so that tests
// can record what would have been started.
class TProcessLauncher {
public:
    virtual ~TProcessLauncher() = default;
    // Program is looked up on PATH unless it names a folder. An empty WorkingFolder keeps the
    // program's current folder. False when it could not be started.
    virtual bool StartDetached(const QString& Program, const QStringList& Arguments,
                               const QString& WorkingFolder) = 0;
};

// Starts programs for real.
std::unique_ptr<TProcessLauncher> MakeProcessLauncher();

} // namespace korvid
