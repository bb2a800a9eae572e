#include "workspace/SortOptions.h"

#include "foundation/RegistryEx.h"

namespace korvid {

void ResetSortOptions(TKorvidSortOptions& Options) {
    Options.SingleParagraphs = true;
    Options.ParagraphStep = 2;
    Options.Ascending = true;
    Options.Numerical = false;
    Options.CaseSensitive = false;
    Options.FromColumn = true;
    Options.FromColumnNumber = 1;
    Options.FromOccurrenceNumber = 1;
    Options.FromOccurrenceText.clear();
}

bool LoadSortOptions(TKorvidSortOptions& Options) {
    TRegistryEx Reg;
    if (!Reg.OpenSettingsKeyForRead(SortKeys))
        return false;
    Options.SingleParagraphs = Reg.ReadBoolDefault("Single Paragraphs", Options.SingleParagraphs);
    Options.ParagraphStep = Reg.ReadIntegerDefault("Paragraph Step", Options.ParagraphStep);
    Options.Ascending = Reg.ReadBoolDefault("Ascending", Options.Ascending);
    Options.Numerical = Reg.ReadBoolDefault("Numerical", Options.Numerical);
    Options.CaseSensitive = Reg.ReadBoolDefault("Case Sensitive", Options.CaseSensitive);
    Options.FromColumn = Reg.ReadBoolDefault("From Column", Options.FromColumn);
    Options.FromColumnNumber =
        Reg.ReadIntegerDefault("From Column Number", Options.FromColumnNumber);
    Options.FromOccurrenceNumber =
        Reg.ReadIntegerDefault("From Occurrence Number", Options.FromOccurrenceNumber);
    Options.FromOccurrenceText =
        Reg.ReadStringDefault("From Occurrence Text", Options.FromOccurrenceText);
    return true;
}

bool SaveSortOptions(const TKorvidSortOptions& Options) {
    TRegistryEx Reg;
    if (!Reg.OpenSettingsKeyForWrite(SortKeys))
        return false;
    Reg.WriteBool("Single Paragraphs", Options.SingleParagraphs);
    Reg.WriteInteger("Paragraph Step", Options.ParagraphStep);
    Reg.WriteBool("Ascending", Options.Ascending);
    Reg.WriteBool("Numerical", Options.Numerical);
    Reg.WriteBool("Case Sensitive", Options.CaseSensitive);
    Reg.WriteBool("From Column", Options.FromColumn);
    Reg.WriteInteger("From Column Number", Options.FromColumnNumber);
    Reg.WriteInteger("From Occurrence Number", Options.FromOccurrenceNumber);
    Reg.WriteString("From Occurrence Text", Options.FromOccurrenceText);
    return true;
}

} // namespace korvid
