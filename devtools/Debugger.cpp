#include "devtools/Debugger.h"

#include "devtools/DebuggerHost.h"
#include "devtools/DebuggerMessages.h"
#include "devtools/MapLoader.h"

namespace korvid {

TDebugger::TDebugger(TDebuggerHost& Host) : FHost(Host), FMap(std::make_unique<TMapModel>()) {}

TDebugger::~TDebugger() = default;

bool TDebugger::IsCurrentSource(const std::string& FileName) const {
    return FMap->Sources.contains(FileName);
}

std::vector<std::string> TDebugger::CurrentSources() const {
    std::vector<std::string> Names;
    for (const auto& Source : FMap->Sources)
        Names.push_back(Source.first);
    return Names;
}

namespace {

class TBusy {
public:
    explicit TBusy(TDebuggerHost& Host) : FHost(Host) { FHost.BeginBusy(); }
    ~TBusy() { FHost.EndBusy(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    TDebuggerHost& FHost;
};

} // namespace

void TDebugger::LoadMapFile(const std::string& FileName) {
    {
        const TBusy Busy(FHost);
        std::vector<std::string> Lines;
        FHost.LoadFileIntoEditor(FileName, Lines);
        auto Map = std::make_unique<TMapModel>();
        ParseMapLines(*Map, Lines, FHost);
        FMap = std::move(Map);
    }
    FHost.RefreshDebuggingControls();
    FHost.RebuildStructureTree();
    if (FHost.OpenSourceOnLoad() && !FMap->FirstSource.empty() &&
        !FHost.IsFileOpenInTab(FMap->FirstSource))
        FHost.OpenSourceFile(FMap->FirstSource);
}

void TDebugger::ReloadMapFile(const std::string& FileName) {
    ForgetMap();
    LoadMapFile(FileName);
}

void TDebugger::ForgetMap() {
    FMap = std::make_unique<TMapModel>();
}

const TProcOffset* TDebugger::FindProcOffset(const std::string& SegmentName, int ProcNumber,
                                             int Offset) const {
    return korvid::FindProcOffset(*FMap, SegmentName, ProcNumber, Offset);
}

const TLine* TDebugger::LocateProcOffset(const std::string& FileName, int LineNumber) const {
    return korvid::LocateProcOffset(*FMap, FileName, LineNumber);
}

std::string TDebugger::ParsedMapText() const {
    return korvid::ParsedMapText(*FMap);
}

void TDebugger::ShowParsedMap() {
    FHost.OpenTextInNewTab(std::string(ParsedMapCaption), ParsedMapText());
}

} // namespace korvid
