#pragma once

#include <string>

namespace korvid {

// The choices of the Sort command, kept while the program runs and stored under "Sort".
struct TKorvidSortOptions {
    bool SingleParagraphs = false;
    int ParagraphStep = 0; // blocks of this many paragraphs
    bool Ascending = false;
    bool Numerical = false;
    bool CaseSensitive = false;
    bool FromColumn = false; // compare from a column, else from an occurrence of a text
    int FromColumnNumber = 0;
    int FromOccurrenceNumber = 0;
    std::string FromOccurrenceText;

    bool operator==(const TKorvidSortOptions&) const = default;
};

void ResetSortOptions(TKorvidSortOptions& Options);

// Overlays the stored values (current key, else legacy; nothing is created), the record's
// values being the defaults. False when neither key exists.
bool LoadSortOptions(TKorvidSortOptions& Options);
// Writes every value to the current key, creating it. False when it cannot be opened.
bool SaveSortOptions(const TKorvidSortOptions& Options);

} // namespace korvid
