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
    bool OpenAt(const std::string& Path, const std::string& Anchor) override {
        QUrl Url = QUrl::fromLocalFile(QString::fromStdString(Path));
        Url.setFragment(QString::fromStdString(Anchor));
        return QDesktopServices::openUrl(Url);
    }
};

} // namespace

std::unique_ptr<TDesktopOpener> MakeDesktopOpener() {
    return std::make_unique<TSystemOpener>();
}

} // namespace korvid
