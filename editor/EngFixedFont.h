#pragma once

#include "platform/Colors.h"

#include <QFont>

#include <functional>
#include <string>
#include <vector>

namespace korvid {

// Names of the installed fixed-pitch font families. The source is replaceable so that tests
// can pin the list; by default it asks the font database, falling back to the system's fixed
// font when no family is of fixed pitch.
using TFixedFontSource = std::function<std::vector<std::string>()>;
std::vector<std::string> InstalledFixedFonts();
void SetFixedFontSource(TFixedFontSource Source);
// Empties the list and fills it from the source.
void RebuildFixedFontList();
const std::vector<std::string>& FixedFontList();
// Exactly one of the listed names.
bool IsFixedFont(const std::string& Name);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The editor's font, which must be a fixed-pitch one.
class TEngFixedFont {
public:
    TEngFixedFont();

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    std::string Name() const;
    // A name that is no fixed font is ignored.
    void SetName(const std::string& Value);
    int Size() const { return FFont.pointSize(); }
    void SetSize(int Value);
    unsigned Style() const;
    void SetStyle(unsigned Value);

    const QFont& Font() const { return FFont; }
    void Assign(const TEngFixedFont& Source);
    // Raises EInvalidFixedFont, changing nothing, when the font is no fixed font.
    void Assign(const QFont& Source);

    std::function<void()> OnChange;

private:
    void Changed();

    QFont FFont;
    TColor FColor = clWindowText;
};

} // namespace korvid
