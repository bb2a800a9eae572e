/* A colouring plug-in whose answers the tests choose at build time:
 * PROBE_ANSWER is what Korvid_QueryDLL returns for every feature, WITH_CHUNKS exports
 * Korvid_EnumChunks, which reports chunks that reach outside the line. */
#include "plugin/ColouringPlugin.h"

#define EXPORT __attribute__((visibility("default")))

EXPORT int32_t Korvid_QueryDLL(int32_t Feature) {
    (void)Feature;
    return PROBE_ANSWER;
}

#if WITH_CHUNKS
EXPORT void Korvid_EnumChunks(void* Data, const char* Line, int32_t LineLength, int32_t LineNo,
                              TKorvidChunkProc ChunkProc, TKorvidGetLineProc GetLineProc) {
    char Buffer[KorvidLineBufferSize];
    (void)Line;
    if (LineNo > 1)
        GetLineProc(Data, LineNo - 1, Buffer);
    if (LineLength == 0)
        return;
    ChunkProc(Data, 1, -3, 5);                /* starts left of the line */
    ChunkProc(Data, 2, 2, 2147483647);        /* runs far past its end */
    ChunkProc(Data, 3, 2147483647, 10);       /* wholly beyond it */
}
#endif
