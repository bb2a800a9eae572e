#pragma once

#include "devtools/MapModel.h"

#include <memory>
#include <string>
#include <vector>

namespace korvid {

class TDebuggerHost;

// The debugger of a running Vosk module: one for the main window's whole life. It holds the
// loaded map and answers from it where code came from and where a source line's code is.
class TDebugger : public TSourceLineProvider {
public:
    explicit TDebugger(TDebuggerHost& Host);
    ~TDebugger() override;

    // ---- The module ----
    bool IsConnected() const { return false; }
    // The status bar's debugging panel.
    std::string StatusText() const { return {}; }
    // Whether the file is one of the loaded map's sources (ignoring case).
    bool IsCurrentSource(const std::string& FileName) const;
    std::vector<std::string> CurrentSources() const;
    void SourceChanged() {}
    void MarkBreakpointsInEditor(const std::string& /*FileName*/) {}
    void HideEvaluationHint() {}
    void SetHintFont(const std::string& /*Name*/, int /*Size*/) {}
    void UpdateDebuggingControls() {}

    // ---- The map ----
    // Reads and parses the map file; shows nothing, the status and title tell how it went.
    void LoadMapFile(const std::string& FileName);
    // Forgets the map and loads it again.
    void ReloadMapFile(const std::string& FileName);
    // Forgets the map (on disconnect); every record of it goes.
    void ForgetMap();
    const TProcOffset* FindProcOffset(const std::string& SegmentName, int ProcNumber,
                                      int Offset) const override;
    const TLine* LocateProcOffset(const std::string& FileName, int LineNumber) const;
    bool MapLoaded() const { return !FMap->Segments.empty(); }
    // The map kind ("language mode"): 0 none, 1 "|RW|", 2 "|L2|", 3 "|L3|", 4 listing.
    int MapKind() const { return FMap->Kind; }
    const std::string& MapStatus() const { return FMap->Status; }
    const std::string& MapTitle() const { return FMap->Title; }
    const TMapModel& Map() const { return *FMap; }
    std::string ParsedMapText() const;
    // Opens the parsed map text in a new tab.
    void ShowParsedMap();

private:
    TDebuggerHost& FHost;
    std::unique_ptr<TMapModel> FMap;
};

} // namespace korvid
