#include "editor/ParagraphSort.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace korvid {

namespace {

std::string SortKey(std::string_view Block, const TKorvidSortOptions& Options) {
    if (!Options.FromColumn) {
        const std::string_view Text = Options.FromOccurrenceText;
        // An empty text is found at once every time: the key starts where it was.
        for (int I = 0; I < Options.FromOccurrenceNumber && !Text.empty(); ++I) {
            const std::size_t At = Block.find(Text);
            if (At == std::string_view::npos)
                return {};
            Block.remove_prefix(At + Text.size());
        }
    } else if (Options.FromColumnNumber > 1) {
        Block.remove_prefix(
            std::min(Block.size(), static_cast<std::size_t>(Options.FromColumnNumber - 1)));
    }
    return std::string(Block);
}

int Sign(int Value) {
    return (Value > 0) - (Value < 0);
}

int CompareKeys(std::string_view A, std::string_view B, bool Numerical) {
    if (Numerical) {
        const int NumberA = ReadSortNumber(A);
        const int NumberB = ReadSortNumber(B);
        if (NumberA != NumberB)
            return NumberA < NumberB ? -1 : 1;
    }
    // By character code: the bytes compare unsigned.
    return Sign(A.compare(B));
}

} // namespace

int ReadSortNumber(std::string_view Key) {
    constexpr std::int64_t Limit = std::numeric_limits<int>::max();
    bool Started = false;
    bool Negative = false;
    bool SawDigit = false;
    std::int64_t Value = 0;
    for (const char C : Key) {
        if (C >= '0' && C <= '9') {
            SawDigit = Started = true;
            Value = std::min(Value * 10 + (C - '0'), Limit + 1);
        } else if (C == SortNumberSeparator) {
            continue;
        } else if (!Started && (C == ' ' || C == '\t')) {
            continue;
        } else if (!Started && C == '-') {
            Negative = Started = true;
        } else {
            break;
        }
    }
    if (!SawDigit)
        return NoSortNumber;
    return static_cast<int>(Negative ? -Value : std::min(Value, Limit));
}

int CompareSortBlocks(std::string_view A, std::string_view B, const TKorvidSortOptions& Options) {
    const std::string KeyA = SortKey(A, Options);
    const std::string KeyB = SortKey(B, Options);
    const int AsTheyStand = CompareKeys(KeyA, KeyB, Options.Numerical);
    int Result = AsTheyStand;
    if (!Options.CaseSensitive) {
        const int Folded = CompareKeys(UpperCase1252(KeyA), UpperCase1252(KeyB), Options.Numerical);
        Result = Folded != 0 ? Folded : AsTheyStand;
    }
    return Options.Ascending ? Result : -Result;
}

void SortBlocks(std::vector<std::string>& Blocks, const TKorvidSortOptions& Options) {
    std::stable_sort(Blocks.begin(), Blocks.end(), [&](const std::string& A, const std::string& B) {
        return CompareSortBlocks(A, B, Options) < 0;
    });
}

} // namespace korvid
