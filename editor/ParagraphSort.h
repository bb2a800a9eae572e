#pragma once

#include "workspace/SortOptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// What a key without any digit reads as, so that it sorts after every number.
inline constexpr int NoSortNumber = 2147483647;
// The thousands separator that the number reader skips.
inline constexpr char SortNumberSeparator = ',';

// The number at the front of a sort key; saturates instead of overflowing.
int ReadSortNumber(std::string_view Key);
// -1, 0 or 1 as block A sorts before, with or after block B.
int CompareSortBlocks(std::string_view A, std::string_view B, const TKorvidSortOptions& Options);
// Sorts stably: blocks that compare equal keep their order.
void SortBlocks(std::vector<std::string>& Blocks, const TKorvidSortOptions& Options);

} // namespace korvid
