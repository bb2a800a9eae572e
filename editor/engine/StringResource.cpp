#include "editor/engine/StringResource.h"

#include <algorithm>

namespace korvid {

namespace {

// Fills the first %d or %s of a message.
std::string FormatMessage(const std::string& Pattern, const std::string& Argument) {
    std::string Result = Pattern;
    for (std::string_view Marker : {"%d", "%s"}) {
        if (const auto At = Result.find(Marker); At != std::string::npos)
            return Result.replace(At, Marker.size(), Argument);
    }
    return Result;
}

TStringResource& StrResStrings() {
    static TStringResource Table(StrResStringsTableName, "");
    return Table;
}

} // namespace

TStringResource::TStringResource(std::string_view BaseName, std::string_view Suffix) {
    if (BaseName.empty())
        return;
    auto Table = FindStringTable(std::string(BaseName) + std::string(Suffix));
    if (!Table)
        Table = FindStringTable(BaseName);
    if (!Table)
        throw EStringResourceError(FormatMessage(GetStrResString(3), std::string(BaseName)));
    FData = *Table;
}

TStringResource::TStringResource(std::span<const std::byte> Data) : FData(Data) {}

bool TStringResource::IsCached(std::uint16_t Id) const {
    return std::any_of(FCache.begin(), FCache.end(), [Id](const auto& E) { return E.first == Id; });
}

std::string TStringResource::GetString(std::uint16_t Id) {
    for (const auto& Entry : FCache) {
        if (Entry.first == Id)
            return Entry.second;
    }
    if (auto Text = Search(Id)) {
        AddToCache(Id, *Text);
        return *Text;
    }
    if (ReportMissingStrings)
        throw EStringResourceError(FormatMessage(GetStrResString(1), std::to_string(Id)));
    return {};
}

std::optional<std::string> TStringResource::Search(std::uint16_t Id) const {
    const std::size_t Size = FData.size();
    std::size_t At = 0;
    // Every step stays inside the data: a last record without its NUL ends at the data's end.
    while (Size - At >= 2) {
        const auto RecordId = static_cast<std::uint16_t>(
            std::to_integer<unsigned>(FData[At]) | std::to_integer<unsigned>(FData[At + 1]) << 8);
        const std::size_t TextStart = At + 2;
        std::size_t TextEnd = TextStart;
        while (TextEnd < Size && FData[TextEnd] != std::byte{0})
            ++TextEnd;
        if (TextEnd == TextStart)
            return std::nullopt; // an empty record ends the table
        if (RecordId == Id) {
            std::string Text(TextEnd - TextStart, '\0');
            for (std::size_t I = 0; I < Text.size(); ++I)
                Text[I] = static_cast<char>(std::to_integer<unsigned char>(FData[TextStart + I]));
            return Text;
        }
        At = TextEnd + 1;
        if (At > Size)
            break;
    }
    return std::nullopt;
}

void TStringResource::AddToCache(std::uint16_t Id, const std::string& Text) {
    if (static_cast<int>(FCache.size()) >= FCacheLimit) {
        const int Keep = FCacheLimit - FCacheLimit / 10;
        while (static_cast<int>(FCache.size()) >= Keep)
            FCache.pop_front();
    }
    FCache.emplace_back(Id, Text);
}

std::string GetEngineString(std::uint16_t Id) {
    static TStringResource Table(EngineStringsTableName, "");
    return Table.GetString(Id);
}

std::string GetStrResString(std::uint16_t Id) {
    return StrResStrings().GetString(Id);
}

} // namespace korvid
