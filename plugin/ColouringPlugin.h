/* The one contract between the editor and a colouring plug-in such as Lorvanta.
 *
 * A plug-in is a shared library loaded at run time by file name; the Lorvanta library is built as
 * "Lorvanta.so" (no "lib" prefix: it is a plug-in, never linked against). It exports exactly the
 * four functions named below with C linkage and the platform's default C calling convention, which
 * the callbacks use as well. ELF has no export ordinals; for the record, the ordinals of the four
 * exports are 1 Korvid_QueryDLL, 2 Korvid_EnumDefaultColours, 3 Korvid_EnumElements and
 * 4 Korvid_EnumChunks, and a host looks them up by name only.
 *
 * Every callback receives first the opaque Data value that the host passed to the export. Strings
 * are zero-terminated 8-bit strings, Booleans one byte (0 false, 1 true), colours 0x00BBGGRR,
 * element ids small integers (1 to 21 for Lorvanta; 0 is a run of blanks). Line numbers are
 * 1-based, character positions 0-based. The plug-in keeps nothing between calls, reports only
 * during a call and never lets an exception out; the caller owns every buffer.
 *
 * Written as plain C so that any host can include it. */
#ifndef KORVID_PLUGIN_COLOURINGPLUGIN_H
#define KORVID_PLUGIN_COLOURINGPLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the line buffer handed to TKorvidGetLineProc, terminator included. */
enum { KorvidLineBufferSize = 4097 };

/* Feature numbers that a plug-in may answer 1 for in Korvid_QueryDLL. */
enum {
    KorvidFeatureChunks = 1, /* Korvid_EnumElements and Korvid_EnumChunks */
    KorvidFeatureColours = 3 /* Korvid_EnumDefaultColours */
};

typedef uint8_t TKorvidBool;

/* Callbacks, implemented by the host. */
typedef void (*TKorvidElementProc)(void* Data, int32_t ElementId, const char* Name);
typedef void (*TKorvidColourProc)(void* Data, uint32_t Colour, TKorvidBool Bold,
                                  TKorvidBool Italic);
typedef void (*TKorvidChunkProc)(void* Data, uint8_t ElementId, int32_t Start, int32_t Length);
/* Writes line LineNo zero-terminated into Buffer (KorvidLineBufferSize bytes), or an empty string
 * when there is no such line. */
typedef void (*TKorvidGetLineProc)(void* Data, int32_t LineNo, char* Buffer);

/* The exports, as the host binds them. Korvid_QueryDLL answers 0 or 1 in a full 32-bit value;
 * the host compares the whole value with 1. */
typedef int32_t (*TKorvidQueryDLL)(int32_t Feature);
typedef void (*TKorvidEnumDefaultColours)(void* Data, TKorvidColourProc ColourProc);
typedef void (*TKorvidEnumElements)(void* Data, TKorvidElementProc ElementProc);
typedef void (*TKorvidEnumChunks)(void* Data, const char* Line, int32_t LineLength, int32_t LineNo,
                                  TKorvidChunkProc ChunkProc, TKorvidGetLineProc GetLineProc);

/* Names of the exports. */
static const char KorvidQueryDLLName[] = "Korvid_QueryDLL";
static const char KorvidEnumDefaultColoursName[] = "Korvid_EnumDefaultColours";
static const char KorvidEnumElementsName[] = "Korvid_EnumElements";
static const char KorvidEnumChunksName[] = "Korvid_EnumChunks";

#ifdef __cplusplus
}
#endif

#endif /* KORVID_PLUGIN_COLOURINGPLUGIN_H */
