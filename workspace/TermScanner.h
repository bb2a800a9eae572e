#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// Finds a term in raw text, by a vectorised look for two of the term's bytes, those rarest in
// source text, and a compare at each place both are found; ignoring Windows-1252 case without
// folding the text.
class TTermScanner {
public:
    // Term as the text must hold it, folded to upper case when FoldCase.
    TTermScanner(std::string Term, bool FoldCase);
    // The first place at or after From where the term starts; npos when none.
    std::size_t Find(std::string_view Text, std::size_t From = 0) const;

private:
    bool EqualAt(const char* At) const;

    std::string FTerm;
    bool FFold;
    bool FVector = false; // both bytes looked for have at most two forms
    std::size_t FAt[2]{}; // their places in the term
    unsigned char FForms[2][2]{};
};

// The number of line ends in Text (CR, LF or CR LF) when Text begins a line and no line in it
// can be longer than 4,094 bytes (every 2,048 bytes hold a line end); none when one may be.
std::optional<std::size_t> CountShortLines(std::string_view Text);

} // namespace korvid
