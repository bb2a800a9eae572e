#include "platform/DesktopOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace korvid {
namespace {

class TSystemOpener : public TDesktopOpener {
public:
    bool Open(const std::string& Path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(Path)));
    }
};

} // namespace

std::unique_ptr<TDesktopOpener> MakeDesktopOpener() {
    return std::make_unique<TSystemOpener>();
}

} // namespace korvid
