#include "platform/ProcessLauncher.h"

#include <QProcess>

namespace korvid {
namespace {

class TQtProcessLauncher final : public TProcessLauncher {
public:
    bool StartDetached(const QString& Program, const QStringList& Arguments,
                       const QString& WorkingFolder) override {
        return QProcess::startDetached(Program, Arguments, WorkingFolder);
    }
};

} // namespace

std::unique_ptr<TProcessLauncher> MakeProcessLauncher() {
    return std::make_unique<TQtProcessLauncher>();
}

} // namespace korvid
