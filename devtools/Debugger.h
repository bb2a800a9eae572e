#pragma once

#include "devtools/DebuggerHost.h"
#include "devtools/MapModel.h"
#include "platform/Colors.h"
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QItemSelectionModel;
class QStandardItemModel;

namespace korvid {

// The window messages between the editor and a Vosk module (WM_USER based).
inline constexpr std::uint32_t IdentifyModuleMessage = 0x45F;
inline constexpr std::uint32_t QueryModuleMessage = 0x460;
inline constexpr std::uint32_t ModuleDisconnectedMessage = 0x461;
inline constexpr std::uint32_t ModuleStoppedMessage = 0x462;
inline constexpr std::uint32_t ModuleCommandMessage = 0x463;

inline constexpr char ModuleWindowClass[] = "TDebuggingManagerForm";
inline constexpr char EditorWindowClass[] = "TKorvidForm";
inline constexpr char DebuggingBufferName[] = "VoskDebuggingBuffer";
inline constexpr std::size_t DebuggingBufferSize = 0x20000;
// The module writes it into the buffer when it accepts a connection: a length byte and "Hello".
inline constexpr std::string_view DebuggingTestString{"\x05Hello", 6};
// A module that has not answered by then is taken for gone.
inline constexpr std::chrono::milliseconds ModuleAnswerLimit{10000};
// FindModuleWindow's answer when the user cancelled the choice.
inline constexpr TWindowHandle ModuleChoiceCancelled = 0xFFFFFFFFu;

inline constexpr std::string_view UnknownHeapAndStackText = "Heap: (unknown)   Stack: (unknown)";

// A debugging list or tree: its items (text, and the location or entity they stand for) and
// their selection; the debugging bar's widgets only display them.
struct TDebuggingList {
    TDebuggingList();
    ~TDebuggingList();
    std::unique_ptr<QStandardItemModel> Model;
    std::unique_ptr<QItemSelectionModel> Selection;
    // Its background: the window colour while there is a module or a map to show.
    TColor Colour = clBtnShadow;
    std::vector<std::string> Texts() const;
};

// The debugger of a running Vosk module: one for the main window's whole life. It holds the
// loaded map and answers from it where code came from and where a source line's code is.
class TDebugger : public TSourceLineProvider {
public:
    explicit TDebugger(TDebuggerHost& Host);
    ~TDebugger() override;

    // ---- The module ----
    bool IsConnected() const { return FModuleWindow != 0; }
    TWindowHandle ModuleWindow() const { return FModuleWindow; }
    bool IsPaused() const { return FPaused; }
    const TProcOffset* CurrentLocation() const { return FCurrentLocation; }
    // The status bar's debugging panel: "Running" or "Paused" while connected.
    std::string StatusText() const;
    // With Module 0 the running modules are looked for (and the user asked when several run).
    void Connect(TWindowHandle Module);
    // Safe when not connected; the handler of the module's disconnect message too.
    void Disconnect();
    // The DebugConnection tool.
    void ToggleConnection();
    // Connects when not connected; true when connected then.
    bool EnsureConnected();
    // 0 when none runs, ModuleChoiceCancelled when the user cancelled the choice.
    TWindowHandle FindModuleWindow();
    // The module's result; 0 without sending when not connected. A module that has gone, or
    // has not answered within the limit, is disconnected.
    std::int32_t SendCommand(int Command, int SubCode, std::int64_t Length);
    // The request/reply lines: the caller fills them with "key=value" lines before
    // SendRequest, which writes them into the buffer and sends the command. A request too long
    // for the buffer is refused with a message and not sent (result 0).
    std::vector<std::string>& RequestLines() { return FLines; }
    const std::vector<std::string>& ReplyLines() const { return FLines; }
    std::int32_t SendRequest(int Command, int SubCode);
    // Copies the request into the buffer; its length, or nothing when it is too long.
    std::optional<std::int64_t> WriteRequest();
    // Replaces the request/reply lines with the first Length bytes of the buffer.
    void ReadReply(std::int64_t Length);
    std::string ReadErrorText(std::int64_t Length) const;
    std::string ReplyValue(std::string_view Key) const;
    // The module stopped; the message's answer.
    std::int32_t ModuleStopped(std::uint64_t WParam, std::int64_t LParam);
    // When not connected, the deletion waits for the next connection if Remember is set.
    void DeleteAllBreakpoints(bool Remember);
    // How long a module may take to answer (tests shorten it).
    void SetAnswerLimit(std::chrono::milliseconds Limit) { FAnswerLimit = Limit; }

    // ---- The debugging lists ----
    TDebuggingList& Breakpoints() { return *FBreakpoints; }
    TDebuggingList& CallStack() { return *FCallStack; }
    TDebuggingList& Watches() { return *FWatches; }
    TDebuggingList& Structure() { return *FStructure; }
    const std::vector<std::string>& SavedWatches() const { return FSavedWatches; }
    // What UpdateDebuggingControls last handed the window.
    const TDebuggingControls& Controls() const { return FControls; }
    // Whether the file is one of the loaded map's sources (ignoring case).
    bool IsCurrentSource(const std::string& FileName) const;
    std::vector<std::string> CurrentSources() const;
    void SourceChanged() {}
    void MarkBreakpointsInEditor(const std::string& /*FileName*/) {}
    void HideEvaluationHint() {}
    void SetHintFont(const std::string& /*Name*/, int /*Size*/) {}
    void UpdateDebuggingControls();

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
    void ModuleGone();
    bool MapBuffer();

    TDebuggerHost& FHost;
    std::unique_ptr<TMapModel> FMap;
    TWindowHandle FModuleWindow = 0;
    TSharedMemory FBuffer;
    std::vector<std::string> FLines;
    std::vector<std::string> FSavedWatches;
    bool FPendingDeleteAll = false;
    bool FPaused = false;
    const TProcOffset* FCurrentLocation = nullptr;
    bool FDisconnecting = false;
    std::chrono::milliseconds FAnswerLimit = ModuleAnswerLimit;
    std::string FHeapStackText{UnknownHeapAndStackText};
    TDebuggingControls FControls;
    std::unique_ptr<TDebuggingList> FBreakpoints;
    std::unique_ptr<TDebuggingList> FCallStack;
    std::unique_ptr<TDebuggingList> FWatches;
    std::unique_ptr<TDebuggingList> FStructure;
};

// The main window's answer to a message at its endpoint: the module's two notifications go to
// the debugger, anything else is answered 0.
std::int32_t HandleEditorWindowMessage(TDebugger& Debugger, const TEndpointMessage& Message);

} // namespace korvid
