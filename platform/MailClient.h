#pragma once

#include <QByteArray>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// Hands a message to the user's mail program, which shows it for the user to address and send.
class TMailClient {
public:
    virtual ~TMailClient() = default;
    // Subject and Body are Windows-1252. False when no mail program took the message.
    virtual bool Send(const std::string& Subject, const std::string& Body) = 0;
};

// Mail programs cut or refuse longer links; a message is never sent cut short.
inline constexpr qsizetype MaximumMailLinkBytes = 100000;

// The "mailto:" link carrying Subject and Body (Windows-1252, sent as escaped UTF-8); none when
// it would be longer than MaximumMailLinkBytes.
std::optional<QByteArray> MailtoLink(std::string_view Subject, std::string_view Body);

// The desktop's mail program, reached through a "mailto:" link.
std::unique_ptr<TMailClient> MakeMailClient();

} // namespace korvid
