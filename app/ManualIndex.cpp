#include "app/ManualIndex.h"

#include <QRegularExpression>
#include <QString>

namespace korvid {

std::vector<std::filesystem::path> ManualIndexPlaces(const std::filesystem::path& ProgramFolder) {
    return {
        ProgramFolder / "manual" / "index.html",
        (ProgramFolder / ".." / "share" / "korvid" / "manual" / "index.html").lexically_normal()};
}

std::string ManualTargetOfWord(const std::string& IndexPage, const std::string& Word) {
    const QString Page = QString::fromStdString(IndexPage);
    // Only the list of words counts: the contents above it name subjects, not words.
    const qsizetype Words = Page.indexOf(QStringLiteral("id=\"words\""));
    if (Words < 0 || Word.empty())
        return {};
    static const QRegularExpression Link(
        QString::fromLatin1(R"re(<a\s+href="([^"]+)"\s*>([^<]+)</a>)re"));
    const QString Wanted = QString::fromStdString(Word);
    for (auto Match = Link.globalMatch(Page, Words); Match.hasNext();) {
        const auto Found = Match.next();
        QString Text = Found.captured(2).trimmed();
        Text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        if (Text.compare(Wanted, Qt::CaseInsensitive) == 0)
            return Found.captured(1).toStdString();
    }
    return {};
}

} // namespace korvid
