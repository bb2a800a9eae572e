#include "psystem/TextKind.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <array>

namespace korvid {

namespace {

constexpr std::size_t DetectedLines = 20;
constexpr std::size_t LorvantaLines = 10;

bool StartsWithAny(std::string_view Text, std::initializer_list<std::string_view> Heads) {
    return std::any_of(Heads.begin(), Heads.end(),
                       [Text](std::string_view Head) { return Text.starts_with(Head); });
}

std::string_view Trimmed(std::string_view Text) {
    const auto IsBlank = [](char C) { return static_cast<unsigned char>(C) <= ' '; };
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

template <class TPredicate>
bool AnyOfFirst(const std::vector<std::string>& Lines, std::size_t Count, TPredicate Predicate) {
    const auto End = Lines.begin() + std::ptrdiff_t(std::min(Count, Lines.size()));
    return std::any_of(Lines.begin(), End, Predicate);
}

} // namespace

int DetectTextKind(std::string_view FileName, const std::vector<std::string>& Lines,
                   bool WholeText) {
    if (AnyOfFirst(Lines, DetectedLines, [](const std::string& L) { return L.starts_with('.'); }))
        return tkDotCommands;
    const bool IsCompilerList = UpperCase1252(FileName).ends_with("COMP.ALL.TEXT");
    if (!IsCompilerList && AnyOfFirst(Lines, DetectedLines, [](const std::string& L) {
            return StartsWithAny(
                L, {"report ", "proc ", "func ", "table ", "library ", "navigation ", ";", "#"});
        }))
        return IsLorvantaText(Lines, WholeText) ? tkLorvanta : tkOtherLorvanta;
    if (AnyOfFirst(Lines, DetectedLines, [](const std::string& L) {
            return StartsWithAny(Trimmed(UpperCase1252(L)),
                                 {"PROGRAM", "INTERFACE", "PROCEDURE", "FUNCTION", "UNIT ", "{"});
        }))
        return tkPascal;
    return tkOther;
}

bool IsLorvantaText(const std::vector<std::string>& Lines, bool WholeText) {
    const std::size_t Count = WholeText ? Lines.size() : std::min(Lines.size(), LorvantaLines);
    bool SawDisplay = false;
    bool SawForm = false;
    for (std::size_t I = 0; I < Count; ++I) {
        const std::string& Line = Lines[I];
        if (Line.find("[Lorvanta 2]") != std::string::npos)
            return true;
        if (!WholeText)
            continue;
        const std::string_view Text = Trimmed(Line);
        if (Text.starts_with("table ") && Text.find(" with ") != std::string_view::npos)
            return true;
        SawDisplay = SawDisplay || Text.starts_with("display ");
        SawForm = SawForm || Text.starts_with("form ");
    }
    return SawDisplay && !SawForm;
}

std::string TextKindExtension(int Kind) {
    static constexpr std::array<std::string_view, 5> Extensions = {".txt", ".vp", ".vr", ".vl2",
                                                                   ".vl"};
    if (Kind < 0 || Kind >= int(Extensions.size()))
        return std::string(Extensions[0]);
    return std::string(Extensions[std::size_t(Kind)]);
}

} // namespace korvid
