#include "platform/MailClient.h"

#include "platform/Cp1252.h"

#include <QDesktopServices>
#include <QUrl>

namespace korvid {

namespace {

QByteArray Escaped(std::string_view Text) {
    return QUrl::toPercentEncoding(ToQString(Text));
}

class TDesktopMailClient : public TMailClient {
public:
    bool Send(const std::string& Subject, const std::string& Body) override {
        const auto Link = MailtoLink(Subject, Body);
        return Link && QDesktopServices::openUrl(QUrl::fromEncoded(*Link, QUrl::StrictMode));
    }
};

} // namespace

std::optional<QByteArray> MailtoLink(std::string_view Subject, std::string_view Body) {
    const QByteArray Link = "mailto:?subject=" + Escaped(Subject) + "&body=" + Escaped(Body);
    if (Link.size() > MaximumMailLinkBytes)
        return std::nullopt;
    return Link;
}

std::unique_ptr<TMailClient> MakeMailClient() {
    return std::make_unique<TDesktopMailClient>();
}

} // namespace korvid
