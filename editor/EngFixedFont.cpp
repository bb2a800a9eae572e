#include "editor/EngFixedFont.h"

#include "editor/engine/EngException.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace korvid {

namespace {

TFixedFontSource& Source() {
    static TFixedFontSource S = InstalledFixedFonts;
    return S;
}

std::vector<std::string>& List() {
    static std::vector<std::string> L = Source()();
    return L;
}

} // namespace

std::vector<std::string> InstalledFixedFonts() {
    std::vector<std::string> Names;
    for (const QString& Family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(Family))
            Names.push_back(Family.toStdString());
    if (Names.empty())
        Names.push_back(QFontDatabase::systemFont(QFontDatabase::FixedFont).family().toStdString());
    return Names;
}

void SetFixedFontSource(TFixedFontSource Value) {
    Source() = Value ? std::move(Value) : TFixedFontSource(InstalledFixedFonts);
    RebuildFixedFontList();
}

void RebuildFixedFontList() {
    List().clear();
    List() = Source()();
}

const std::vector<std::string>& FixedFontList() {
    return List();
}

bool IsFixedFont(const std::string& Name) {
    const auto& L = List();
    return std::find(L.begin(), L.end(), Name) != L.end();
}

TEngFixedFont::TEngFixedFont() {
    if (!FixedFontList().empty())
        FFont.setFamily(QString::fromStdString(FixedFontList().front()));
    FFont.setStyleHint(QFont::TypeWriter);
}

void TEngFixedFont::Changed() {
    if (OnChange)
        OnChange();
}

void TEngFixedFont::SetColor(TColor Value) {
    FColor = Value;
    Changed();
}

std::string TEngFixedFont::Name() const {
    return FFont.family().toStdString();
}

void TEngFixedFont::SetName(const std::string& Value) {
    if (!IsFixedFont(Value))
        return;
    FFont.setFamily(QString::fromStdString(Value));
    Changed();
}

void TEngFixedFont::SetSize(int Value) {
    if (Value > 0)
        FFont.setPointSize(Value);
    Changed();
}

unsigned TEngFixedFont::Style() const {
    return (FFont.bold() ? fsBold : 0u) | (FFont.italic() ? fsItalic : 0u) |
           (FFont.underline() ? fsUnderline : 0u) | (FFont.strikeOut() ? fsStrikeOut : 0u);
}

void TEngFixedFont::SetStyle(unsigned Value) {
    FFont.setBold((Value & fsBold) != 0);
    FFont.setItalic((Value & fsItalic) != 0);
    FFont.setUnderline((Value & fsUnderline) != 0);
    FFont.setStrikeOut((Value & fsStrikeOut) != 0);
    Changed();
}

void TEngFixedFont::Assign(const TEngFixedFont& Source) {
    FFont = Source.FFont;
    FColor = Source.FColor;
    Changed();
}

void TEngFixedFont::Assign(const QFont& Source) {
    if (!IsFixedFont(Source.family().toStdString()))
        throw EInvalidFixedFont();
    FFont = Source;
    Changed();
}

} // namespace korvid
