#pragma once

// The requests the debugger makes of a Vosk module and the readers of its answers. Building and
// reading are pure: TDebugger sends the requests through its link.

#include "devtools/debugger/MapModel.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// One command: its number, its sub-code and the "key=value" lines of its request.
struct TModuleRequest {
    int Command = 0;
    int SubCode = 0;
    std::vector<std::string> Keys;

    bool operator==(const TModuleRequest&) const = default;
};

// The options that shape requests.
struct TModuleOptions {
    // "DiskP Row Numbers": adds "k=1" to value requests.
    bool RowNumbers = false;
    // "Table Viewer Scope" and "Table Viewer Modal".
    int TableViewerScope = 0;
    bool TableViewerModal = false;
};

// Sub-codes of command 3 that name a location.
enum TLocationCommand : int {
    lcDeleteBreakpoint = 0,
    lcSetBreakpoint = 1,
    lcSetTemporaryBreakpoint = 2,
    lcEnableBreakpoint = 5,
    lcDisableBreakpoint = 6
};

// Value modes: the sub-code of the value commands that take one.
enum TValueMode : int { vmValue = 1, vmAddress = 2, vmHexAddress = 3 };

// A decimal number of a request or reply; 0 when missing or malformed.
int DecimalOr0(std::string_view Text);

// ---- Requests ----
TModuleRequest LocationRequest(TLocationCommand SubCode, const std::string& Segment, int Proc,
                               int Offset);
TModuleRequest BreakOnReturnRequest();
// Breaks on entry into any procedure of the segments.
TModuleRequest BreakOnEntryRequest(const std::vector<std::string>& Segments);
TModuleRequest ListBreakpointsRequest();
// Mode 0 resumes, 1 aborts the p-System code and resumes.
TModuleRequest ResumeRequest(int Mode);
TModuleRequest HeapStackRequest();
TModuleRequest PauseRequest();
TModuleRequest CallStackRequest();
TModuleRequest DumpRequest();
// All breakpoints, or only those in code that is not loaded.
TModuleRequest DeleteAllRequest(bool OfflineOnly);
TModuleRequest TableViewerRequest(const TModuleOptions& Options);
TModuleRequest RunUntilChangedRequest(const std::string& Name, const std::string& Address,
                                      int Words);
// The command that reads the entity's value (or address, by Mode) and its keys.
TModuleRequest ValueRequest(const TEntity& Entity, TValueMode Mode, const TModuleOptions& Options);
// The short request for the value of an element of a string array, by the array's name.
TModuleRequest StringElementRequest(const TEntity& Element);
// Whether the entity is an element of an array of strings, read by StringElementRequest.
bool IsStringElement(const TEntity& Entity);

// Where the entity lies: "o=", and when an indirect owner splits the chain, that owner's
// offset in "o=" and the entity's below it in "e=".
struct TVariableOffset {
    int Offset = 0;
    int Second = 0;
    bool HasSecond = false;
    // The entity or its chain is indirect.
    bool Indirect = false;
};
TVariableOffset VariableOffset(const TEntity& Entity);

// ---- Replies ----
struct TBreakpointEntry {
    std::string Segment;
    int Proc = 0;
    int Offset = 0;
    bool Disabled = false;

    bool operator==(const TBreakpointEntry&) const = default;
};
// The entries of a breakpoint list reply.
std::vector<TBreakpointEntry> ReadBreakpointList(const std::vector<std::string>& Lines);

// One frame of a pause or call-stack reply.
struct TStackLine {
    std::string Segment;
    int Proc = 0;
    int Offset = 0;

    bool operator==(const TStackLine&) const = default;
};
TStackLine ReadStackLine(std::string_view Line);
std::vector<TStackLine> ReadStackLines(const std::vector<std::string>& Lines);

} // namespace korvid
