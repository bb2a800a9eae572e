#pragma once

#include "devtools/debugger/DebuggerHost.h"
#include "devtools/debugger/MapModel.h"
#include "devtools/debugger/ModuleCommands.h"
#include "platform/Colors.h"
#include "platform/KorvidError.h"
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"
#include "workspace/ToolHandlers.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QItemSelectionModel;
class QModelIndex;
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

// Thrown by a send when the link to the module is lost: the command chain ends at once, and
// the outermost command disconnects and tells the user.
class EModuleLinkLost : public EKorvidError {
public:
    EModuleLinkLost() : EKorvidError("The link to the module is lost.") {}
};

// How the link ended while a command ran: by the module's notice, or by a failed send.
enum class TLinkEnd { None, Disconnected, StoppedAnswering, Gone };

// The item data of the debugging lists and the structure tree (Qt::UserRole and on).
inline constexpr int DebugObjectRole = 0x0100 + 1;   // the location or entity, as a quintptr
inline constexpr int DebugNodeKindRole = 0x0100 + 2; // a TStructureNodeKind
inline constexpr int DebugImageRole = 0x0100 + 3;    // the VariablesImages index

// What a structure tree node is when it carries no entity (and Entity when it does).
enum class TStructureNodeKind : int {
    Entity,
    Title,
    Status,
    Locals,
    Globals,
    Tables,
    Database,
    Procedures,
    Segments,
    ModuleGroup,
    SourceGroup
};

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
    int Count() const;
    // Object: the location or entity the item stands for, or null.
    void Append(const std::string& Text, const void* Object);
    const void* ObjectAt(int Row) const;
    // -1 without a selection; SelectRow(-1) clears it.
    int SelectedRow() const;
    void SelectRow(int Row);
};

// The debugger of a running Vosk module: one for the main window's whole life. It holds the
// loaded map and answers from it where code came from and where a source line's code is.
class TDebugger : public TSourceLineProvider, public TDebuggerCommands {
public:
    explicit TDebugger(TDebuggerHost& Host);
    ~TDebugger() override;

    // ---- The module ----
    bool IsConnected() const { return FModuleWindow != 0; }
    TWindowHandle ModuleWindow() const { return FModuleWindow; }
    // Only while connected: the Compile command resumes a paused module instead of compiling.
    bool IsPaused() const { return FPaused; }
    const TProcOffset* CurrentLocation() const { return FCurrentLocation; }
    // The status bar's debugging panel: "Running" or "Paused" while connected.
    std::string StatusText() const;
    // With Module 0 the running modules are looked for (and the user asked when several run).
    void Connect(TWindowHandle Module);
    // Safe when not connected; the handler of the module's disconnect message too. While a
    // command runs it waits until the outermost one returns.
    void Disconnect();
    // The DebugConnection tool.
    void ToggleConnection();
    // Connects when not connected; true when connected then.
    bool EnsureConnected();
    // 0 when none runs, ModuleChoiceCancelled when the user cancelled the choice.
    TWindowHandle FindModuleWindow();
    // The module's result; 0 without sending when not connected. A module that has gone, or
    // has not answered within the limit, is disconnected and the user told; inside a command
    // it throws EModuleLinkLost.
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
    // The module stopped (WParam 1: a watched value changed); the message's answer. A stop
    // that arrives while a command waits for its answer is handled there and then.
    std::int32_t ModuleStopped(std::uint64_t WParam, std::int64_t LParam);

    // ---- Breakpoints and run control ----
    // The DebugAddBreakpoint and DebugRunToCursor tools, at the active editor's caret line.
    void AddBreakpoint(bool RunToCursor) override;
    void DeleteBreakpoint(const TProcOffset& Location);
    // The Breakpoints list's selected entry; nothing without one.
    void DeleteSelectedBreakpoint();
    // Enables the selected entry when it is disabled, else disables it.
    void ToggleSelectedBreakpoint();
    // When not connected, the deletion waits for the next connection if Remember is set.
    void DeleteAllBreakpoints(bool Remember);
    bool DeleteAllPending() const { return FPendingDeleteAll; }
    // Rebuilds the Breakpoints list and the editors' marks from the module.
    void RefreshBreakpoints();
    void StepInto() override;
    void StepOver() override;
    void StepOut() override;
    // Pauses the running module; resumes a paused one.
    void Pause() override;
    // Mode 0 resumes, 1 aborts the p-System code; the module is paused no more only when it
    // says so. The Compile command resumes a paused module with mode 0.
    void Resume(int Mode) override;
    // Runs until the entity's value changes; null for none.
    void RunUntilValueChanges(const TEntity* Entity);
    const TEntity* WatchedEntity() const { return FWatchedEntity; }
    void ShowExecutionPoint() override;
    // Moves to the location's line, opening its source when no tab holds it.
    void ShowLocation(const TProcOffset& Location, bool Focus);
    // Clears the execution point everywhere and empties the Call Stack list, before the module
    // runs again.
    void ForgetExecutionPoint();
    // After a stop or a pause: the Breakpoints list and the controls (the views that show the
    // paused module join here).
    void RefreshEverything();
    // The Breakpoints list index of the entry at the current location; -1 for none.
    int CurrentBreakpoint() const { return FCurrentBreakpoint; }
    // Marks the breakpoints of a newly opened document.
    void MarkBreakpointsInEditor(TSourceEditor& Editor);
    void DumpMemory() override;
    // The tools: the identifier at the caret, or a step back.
    void FindDeclaration(bool Undo) override { FindDeclaration(std::string(), Undo); }

    // ---- Views of the paused module ----
    void RefreshCallStack();
    void RefreshHeapStack();
    const std::string& HeapStackText() const { return FHeapStackText; }

    // ---- Watches and the evaluation hint ----
    // An invalid node means the structure tree's selected node.
    void WatchStructureNode(const QModelIndex& Node);
    void RefreshWatchValues();
    // Before the module runs again: what was read becomes the previous value.
    void ForgetWatchChanges();
    // Re-adds the watches saved at the last disconnect, by full name, when they persist.
    void RestoreSavedWatches();
    void DeleteSelectedWatch();
    void DeleteAllWatches();
    // From the editor: the identifier under the mouse and the mouse in screen coordinates.
    void ShowEvaluationHint(const std::string& Word, int ScreenX, int ScreenY);
    // The structure tree's mouse move: the node under the mouse (invalid for none), whether
    // the mouse is over its label.
    void StructureTreeMouseMove(const QModelIndex& Node, bool OverLabel, int ScreenX, int ScreenY);
    void HideEvaluationHint();
    // The hint timer ran out: the hint goes and stays hidden for the same identifier.
    void EvaluationHintTimeout();
    bool HintStale() const { return FHintStale; }

    // ---- The structure tree ----
    void BuildStructureTree();
    // The current procedure's locals, after a stop.
    void RefreshLocals();
    // Back, or an empty word (Name empty and no identifier at the caret), steps back.
    void FindDeclaration(const std::string& Name, bool Back);
    void JumpToSelectedProcedure(bool Focus);
    void SelectProcedureAtCaret();
    void ShowVariableDetails(TEntity& Entity);
    const TEntity* SelectedProcedureEntity() const;
    const TEntity* SelectedWatchableEntity() const;
    // 0 nothing to watch, 1 one entity, 2 a whole category or an entity with children.
    int StructureNodeWatchKind(const QModelIndex& Node) const;
    static const TEntity* NodeEntity(const QModelIndex& Node);
    static TStructureNodeKind NodeKind(const QModelIndex& Node);
    // The entities a category node stands for; empty for other nodes.
    std::vector<TEntity*> CategoryEntities(TStructureNodeKind Kind) const;

    // ---- Commands ----
    // Writes the request and sends it; the module's result.
    std::int32_t Send(const TModuleRequest& Request);
    // A query: a positive result's reply becomes the reply lines; otherwise none are left.
    std::int32_t Query(const TModuleRequest& Request);
    // An action: the module's error text, empty when it succeeded.
    std::string Act(const TModuleRequest& Request);
    // A value command: its text, empty when there is no value.
    std::string ValueOf(const TModuleRequest& Request);
    // Setting, deleting, enabling and disabling breakpoints; the error text.
    std::string SendLocation(TLocationCommand SubCode, const std::string& Segment, int Proc,
                             int Offset);
    std::string BreakOnReturn();
    std::string BreakOnEntry(const std::vector<std::string>& Segments);
    void DeleteOfflineBreakpoints();
    std::vector<TBreakpointEntry> ListBreakpoints();
    // Mode 0 resumes, 1 aborts; true when the module runs again.
    bool ResumeModule(int Mode);
    struct THeapStack {
        std::string Heap;
        std::string Stack;
    };
    std::optional<THeapStack> HeapAndStack();
    // The module stops; its stack, or nothing when it did not answer.
    std::optional<std::vector<TStackLine>> PauseModule();
    std::vector<TStackLine> ReadCallStack();
    // The module's memory, 65536 words; empty when it did not give it.
    std::vector<std::uint16_t> ReadMemory();
    std::string ValueText(const TEntity& Entity, TValueMode Mode);
    std::string StringElementValue(const TEntity& Element);
    // The DebugShowTableViewer tool.
    void ShowTableViewer() override;
    // True when the module runs until the value at Address changes.
    bool SendRunUntilChanged(const std::string& Name, const std::string& Address, int Words);
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
    // Runs Body as a command. A lost link ends the whole chain: only the outermost command
    // catches it, and disconnects once nothing runs. A notice answered inside another
    // command's wait swallows it and leaves the waiting send to end its chain.
    void RunCommand(const std::function<void()>& Body, bool Notice = false);
    // Records how the link ended and ends the chain.
    [[noreturn]] void LinkLost(TLinkEnd End);
    // The outermost command has returned: a link that ended meanwhile is dropped now.
    void EndCommandChain();
    std::int32_t Exchange(int Command, int SubCode, std::int64_t Length);
    // The message itself; nothing when the module has gone or did not answer in time.
    std::optional<std::int32_t> SendToModule(int Command, int SubCode, std::int64_t Length);
    void DropConnection();
    // Before the module runs or after it stops: a remembered hint is out of date.
    void ForgetHint();
    bool MapBuffer();
    // Forgets every list entry and state that points into the map.
    void DropMapRecords();
    // Mode 0 into, 1 over, 2 out.
    void Step(int Mode);
    // The first location of the stack lines that the map knows; null for none.
    const TProcOffset* LocateStack(const std::vector<TStackLine>& Frames) const;
    // The open documents showing the file (names compared ignoring case).
    std::vector<TSourceEditor*> EditorsOf(const std::string& FileName);
    void ClearAllMarks();
    void RepaintEditors();
    // Whether the entry at Row is enabled (its text ends in "+").
    bool BreakpointEnabled(int Row) const;
    const TProcOffset* BreakpointLocation(int Row) const;

    TDebuggerHost& FHost;
    std::unique_ptr<TMapModel> FMap;
    TWindowHandle FModuleWindow = 0;
    TSharedMemory FBuffer;
    std::vector<std::string> FLines;
    std::vector<std::string> FSavedWatches;
    bool FPendingDeleteAll = false;
    bool FPaused = false;
    const TProcOffset* FCurrentLocation = nullptr;
    // Where the module stopped when a reloaded map no longer lists it.
    std::unique_ptr<TProcOffset> FOrphanLocation;
    // The procedure of the location shown last, for the centring rule.
    const TProc* FShownProc = nullptr;
    int FCurrentBreakpoint = -1;
    const TEntity* FWatchedEntity = nullptr;
    std::string FWatchedOldValue;
    bool FDisconnecting = false;
    int FCommandDepth = 0;
    TLinkEnd FLinkEnd = TLinkEnd::None;
    // Counts the stops handled: a stop that arrives while a command waits wins over the
    // state the command itself would set.
    int FStops = 0;
    std::chrono::milliseconds FAnswerLimit = ModuleAnswerLimit;
    std::string FHeapStackText{UnknownHeapAndStackText};
    TDebuggingControls FControls;
    std::unique_ptr<TDebuggingList> FBreakpoints;
    std::unique_ptr<TDebuggingList> FCallStack;
    std::unique_ptr<TDebuggingList> FWatches;
    std::unique_ptr<TDebuggingList> FStructure;

    // ---- Watches and the evaluation hint ----
    bool FHintStale = false;
    // The normalised identifier and the entity of the last hint that found one entity.
    std::string FHintWord;
    TEntity* FHintEntity = nullptr;
    // The structure tree's value entity that the mouse was over last.
    TEntity* FHoveredEntity = nullptr;
    std::vector<TEntity*> WatchedEntities() const;
    // Rebuilds the Watches list in this order, the selection staying on its entity.
    void ShowWatches(const std::vector<TEntity*>& Entities);
    // The hint's value text of a find: its value, or an array's first elements.
    std::string HintValueText(TEntity& Entity);
    void ShowHint(const std::string& Text, int ScreenX, int ScreenY);
    // Before the map goes: the watches become names again, the hint forgets its entities.
    void DropWatchedEntities();

    // ---- The structure tree ----
    // The current procedure's locals, as the Locals node shows them.
    std::vector<TEntity*> FLocals;
    // The procedure whose locals the Locals node shows.
    const TProc* FLocalsProc = nullptr;
    std::string FLastSearchedWord;
    // Where each Find Declaration jump went, the last one last; and where the first one began.
    std::vector<const TProcOffset*> FDeclarationHistory;
    std::string FDeclarationFile;
    int FDeclarationLine = 0;
    // The code position that SelectProcedureAtCaret last followed.
    const TProcOffset* FCaretProcOffset = nullptr;

    // Forgets what points into the tree's map (every map change).
    void ForgetStructureRecords();
    // The top-level node of the category; invalid when the tree has none.
    QModelIndex CategoryNode(TStructureNodeKind Kind) const;
    QModelIndex SelectedNode() const;
    void SelectNode(const QModelIndex& Node);
    const TEntity* ProcedureEntityOf(const TProc& Proc) const;
    // The procedure's first code line; null when the map does not locate it.
    const TProcOffset* ProcedureStart(const TEntity& Procedure) const;
    // The first node after Start (wrapping) whose text in lower case is Word; Start is never
    // tried. An invalid Start means the tree's first node.
    bool NodeNamed(const QModelIndex& Node, const std::string& Word) const;
    QModelIndex FindNodeText(const std::string& Word, const QModelIndex& Start) const;
    void StepBackDeclaration();
};

// The main window's answer to a message at its endpoint: the module's two notifications go to
// the debugger, anything else is answered 0.
std::int32_t HandleEditorWindowMessage(TDebugger& Debugger, const TEndpointMessage& Message);

} // namespace korvid
