#pragma once
// Splits one line of Lorvanta source into coloured chunks, reading earlier lines for context.

#include <cstdint>

#include "plugin/ColouringPlugin.h"

namespace korvid {

// How far back a block-comment opener is still seen.
inline constexpr std::int32_t CommentLookBackLines = 200;

// Reports the chunks of line LineNo through ChunkProc, left to right, asking GetLineProc only for
// lines 1 to LineNo - 1. Keeps nothing after it returns.
void EnumLineChunks(void* Data, const char* Line, std::int32_t LineLength, std::int32_t LineNo,
                    TKorvidChunkProc ChunkProc, TKorvidGetLineProc GetLineProc) noexcept;

} // namespace korvid
