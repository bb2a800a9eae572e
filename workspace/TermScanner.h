#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvid {

// Finds a term in raw text, by a vectorised look for the term's first and last bytes and a
// compare at each place both are found; ignoring Windows-1252 case without folding the text.
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
    bool FVector = false; // each end byte has at most two forms
    unsigned char FFirst[2]{};
    unsigned char FLast[2]{};
};

} // namespace korvid
