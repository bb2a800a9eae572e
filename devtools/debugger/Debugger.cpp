#include "devtools/debugger/Debugger.h"

#include "devtools/debugger/ConnectToVoskForm.h"
#include "devtools/debugger/DebuggerHost.h"
#include "devtools/debugger/DebuggerMessages.h"
#include "devtools/debugger/MapLoader.h"
#include "platform/Cp1252.h"
#include "ui/ModalRunner.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace korvid {

TDebuggingList::TDebuggingList()
    : Model(std::make_unique<QStandardItemModel>()),
      Selection(std::make_unique<QItemSelectionModel>(Model.get())) {}

TDebuggingList::~TDebuggingList() = default;

std::vector<std::string> TDebuggingList::Texts() const {
    std::vector<std::string> Texts;
    for (int Row = 0; Row < Model->rowCount(); ++Row)
        Texts.push_back(FromQString(Model->item(Row)->text()));
    return Texts;
}

namespace {

constexpr int ObjectRole = DebugObjectRole;
static_assert(DebugObjectRole == Qt::UserRole + 1);

} // namespace

const TKorvidOptions& TDebuggerHost::DebuggingOptions() const {
    static const TKorvidOptions Defaults = [] {
        TKorvidOptions Options;
        InitOptions(Options);
        return Options;
    }();
    return Defaults;
}

int TDebuggingList::Count() const {
    return Model->rowCount();
}

void TDebuggingList::Append(const std::string& Text, const void* Object) {
    auto* Item = new QStandardItem(ToQString(Text));
    Item->setEditable(false);
    Item->setData(QVariant::fromValue(reinterpret_cast<quintptr>(Object)), ObjectRole);
    Model->appendRow(Item);
}

const void* TDebuggingList::ObjectAt(int Row) const {
    const QStandardItem* Item = Model->item(Row);
    return Item ? reinterpret_cast<const void*>(Item->data(ObjectRole).value<quintptr>()) : nullptr;
}

int TDebuggingList::SelectedRow() const {
    const QModelIndex Current = Selection->currentIndex();
    return Current.isValid() && Selection->isSelected(Current) ? Current.row() : -1;
}

void TDebuggingList::SelectRow(int Row) {
    if (Row < 0 || Row >= Count()) {
        Selection->clear();
        return;
    }
    Selection->setCurrentIndex(Model->index(Row, 0), QItemSelectionModel::ClearAndSelect);
}

TDebugger::TDebugger(TDebuggerHost& Host)
    : FHost(Host), FMap(std::make_unique<TMapModel>()),
      FBreakpoints(std::make_unique<TDebuggingList>()),
      FCallStack(std::make_unique<TDebuggingList>()), FWatches(std::make_unique<TDebuggingList>()),
      FStructure(std::make_unique<TDebuggingList>()) {}

TDebugger::~TDebugger() {
    // The window is going: tell the module, but touch nothing of the window.
    FDisconnecting = true;
    if (IsConnected())
        SendWindowMessage(FModuleWindow, {ModuleCommandMessage, 2, 0}, FAnswerLimit);
}

std::string TDebugger::StatusText() const {
    if (!IsConnected())
        return {};
    return FPaused ? "Paused" : "Running";
}

namespace {

// "(Unknown)", "(Software Configuration)" or the title, by the answer to the query.
std::string ModuleText(TWindowHandle Window, std::int32_t Query, std::chrono::milliseconds Limit) {
    if (Query == 0)
        return std::string(UnknownModuleTitle);
    if (static_cast<std::uint32_t>(Query) == 0xFFFFFFFFu)
        return std::string(SoftwareConfigurationTitle);
    return WindowTitle(Window, 255, Limit).value_or(std::string());
}

} // namespace

TWindowHandle TDebugger::FindModuleWindow() {
    std::vector<std::pair<std::string, TWindowHandle>> Entries;
    for (const TWindowHandle Window : FindWindows(ModuleWindowClass)) {
        // A module that does not answer is still listed: connecting then says it is not
        // responding.
        const auto Query = SendWindowMessage(Window, {QueryModuleMessage, 0, 0}, FAnswerLimit);
        Entries.emplace_back(ModuleText(Window, Query.value_or(0), FAnswerLimit), Window);
    }
    if (Entries.empty())
        return 0;
    if (Entries.size() == 1)
        return Entries.front().second;
    std::stable_sort(Entries.begin(), Entries.end(), [](const auto& A, const auto& B) {
        return CompareText1252(A.first, B.first) < 0;
    });
    TConnectToVoskForm Form(Entries);
    if (RunModal(Form) != QDialog::Accepted || Form.SelectedWindow() == 0)
        return ModuleChoiceCancelled;
    return Form.SelectedWindow();
}

void TDebugger::Connect(TWindowHandle Module) {
    RunCommand([this, Module]() mutable {
        DropConnection();
        if (Module == 0)
            Module = FindModuleWindow();
        if (Module == 0) {
            ShowNoModuleMessage();
            DropConnection();
            return;
        }
        if (Module == ModuleChoiceCancelled) {
            FModuleWindow = 0;
            DropConnection();
            return;
        }
        FModuleWindow = Module;
        if (SendCommand(1, 0, FHost.MainWindowHandle()) == 0) {
            ShowModuleNotRespondingMessage();
            DropConnection();
            return;
        }
        if (!MapBuffer()) {
            DropConnection();
            return;
        }
        if (FPendingDeleteAll) {
            // The list is rebuilt below, once the map can place its entries.
            FPendingDeleteAll = false;
            Act(DeleteAllRequest(false));
        }
        LoadMapFile(FHost.MapFileName());
        RefreshBreakpoints();
        RestoreSavedWatches();
        UpdateDebuggingControls();
        FHost.ModuleConnected();
    });
}

bool TDebugger::MapBuffer() {
    switch (FBuffer.Open(SharedMemoryName(DebuggingBufferName), DebuggingBufferSize)) {
    case TSharedMemory::TResult::NotFound:
        ShowBufferFailureMessage(CantLocateBufferText, FBuffer.ErrorText());
        return false;
    case TSharedMemory::TResult::NotMapped:
        ShowBufferFailureMessage(CantMapBufferText, FBuffer.ErrorText());
        return false;
    case TSharedMemory::TResult::Ok:
        break;
    }
    if (std::string_view(FBuffer.Data(), DebuggingTestString.size()) != DebuggingTestString) {
        // No system call failed here: there is no system text to add.
        ShowBufferFailureMessage(CantReadTestMessageText, {});
        return false;
    }
    return true;
}

void TDebugger::Disconnect() {
    // A command still works on the map's records: the map goes when it returns.
    if (FCommandDepth > 0) {
        if (FLinkEnd == TLinkEnd::None)
            FLinkEnd = TLinkEnd::Disconnected;
        return;
    }
    DropConnection();
}

void TDebugger::DropConnection() {
    if (FDisconnecting)
        return;
    FDisconnecting = true;
    if (FSavedWatches.empty())
        FSavedWatches = FWatches->Texts();
    for (TDebuggingList* List : {FBreakpoints.get(), FCallStack.get(), FWatches.get()})
        List->Model->clear();
    ClearAllMarks();
    RepaintEditors();
    ForgetMap();
    FPaused = false;
    FLines.clear();
    FBuffer.Close();
    if (IsConnected())
        SendCommand(2, 0, 0);
    FModuleWindow = 0;
    FDisconnecting = false;
    UpdateDebuggingControls();
}

void TDebugger::ToggleConnection() {
    // A module that ended without saying so is no longer connected.
    if (IsConnected() && !WindowExists(FModuleWindow))
        ModuleGone();
    if (IsConnected())
        Disconnect();
    else
        Connect(0);
}

bool TDebugger::EnsureConnected() {
    if (!IsConnected())
        Connect(0);
    return IsConnected();
}

void TDebugger::ModuleGone() {
    FModuleWindow = 0;
    Disconnect();
}

namespace {

std::uint64_t CommandWParam(int Command, int SubCode) {
    return static_cast<std::uint64_t>(SubCode & 0xFFFF) * 65536u +
           static_cast<std::uint64_t>(Command & 0xFFFF);
}

// A process that is ending may still hold its window a moment after the link broke.
bool ModuleWindowStays(TWindowHandle Window) {
    constexpr auto Grace = std::chrono::milliseconds(500);
    constexpr auto Step = std::chrono::milliseconds(10);
    for (auto Waited = std::chrono::milliseconds(0); Waited < Grace; Waited += Step) {
        if (!WindowExists(Window))
            return false;
        std::this_thread::sleep_for(Step);
    }
    return WindowExists(Window);
}

} // namespace

void TDebugger::RunCommand(const std::function<void()>& Body, bool Notice) {
    const bool Outermost = FCommandDepth == 0;
    {
        struct TDepth {
            int& Depth;
            ~TDepth() { --Depth; }
        } Depth{++FCommandDepth};
        try {
            Body();
        } catch (const EModuleLinkLost&) {
            if (!Outermost && !Notice)
                throw;
        }
    }
    if (Outermost)
        EndCommandChain();
}

void TDebugger::LinkLost(TLinkEnd End) {
    if (FLinkEnd == TLinkEnd::None || FLinkEnd == TLinkEnd::Disconnected)
        FLinkEnd = End;
    throw EModuleLinkLost();
}

void TDebugger::EndCommandChain() {
    const TLinkEnd End = std::exchange(FLinkEnd, TLinkEnd::None);
    if (End == TLinkEnd::None)
        return;
    // A module that is gone or hangs is told nothing more: it would only cost another wait.
    if (End != TLinkEnd::Disconnected)
        FModuleWindow = 0;
    DropConnection();
    if (End == TLinkEnd::StoppedAnswering)
        ShowModuleStoppedAnsweringMessage();
    else if (End == TLinkEnd::Gone)
        ShowModuleGoneMessage();
}

std::int32_t TDebugger::SendCommand(int Command, int SubCode, std::int64_t Length) {
    if (FDisconnecting) {
        // Saying goodbye: whatever the module does now changes nothing.
        if (!IsConnected())
            return 0;
        return SendToModule(Command, SubCode, Length).value_or(0);
    }
    std::int32_t Result = 0;
    RunCommand([&] { Result = Exchange(Command, SubCode, Length); });
    return Result;
}

std::optional<std::int32_t> TDebugger::SendToModule(int Command, int SubCode, std::int64_t Length) {
    return SendWindowMessage(FModuleWindow,
                             {ModuleCommandMessage, CommandWParam(Command, SubCode), Length},
                             FAnswerLimit);
}

std::int32_t TDebugger::Exchange(int Command, int SubCode, std::int64_t Length) {
    if (FLinkEnd != TLinkEnd::None)
        throw EModuleLinkLost();
    if (!IsConnected())
        return 0;
    const auto Result = SendToModule(Command, SubCode, Length);
    if (!Result)
        LinkLost(ModuleWindowStays(FModuleWindow) ? TLinkEnd::StoppedAnswering : TLinkEnd::Gone);
    // The link may have ended while this send waited (a notice, or a nested command's send).
    if (FLinkEnd != TLinkEnd::None)
        throw EModuleLinkLost();
    return *Result;
}

std::optional<std::int64_t> TDebugger::WriteRequest() {
    std::string Text;
    for (const std::string& Line : FLines)
        Text += Line + "\r\n";
    if (Text.size() > DebuggingBufferSize) {
        // The module reads as much as the length says: it must never pass the buffer's end.
        ShowRequestTooLongMessage();
        return std::nullopt;
    }
    if (FBuffer.IsMapped())
        std::memcpy(FBuffer.Data(), Text.data(), Text.size());
    return static_cast<std::int64_t>(Text.size());
}

std::int32_t TDebugger::SendRequest(int Command, int SubCode) {
    const auto Length = WriteRequest();
    return Length ? SendCommand(Command, SubCode, *Length) : 0;
}

std::string TDebugger::ReadErrorText(std::int64_t Length) const {
    // Lengths come from the module: never read outside the buffer.
    if (Length <= 0 || !FBuffer.IsMapped())
        return {};
    const auto Size = static_cast<std::size_t>(
        std::min<std::int64_t>(Length, static_cast<std::int64_t>(DebuggingBufferSize)));
    return {FBuffer.Data(), Size};
}

void TDebugger::ReadReply(std::int64_t Length) {
    const std::string Text = ReadErrorText(Length);
    FLines.clear();
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find_first_of("\r\n", Start);
        if (End == std::string::npos) {
            FLines.push_back(Text.substr(Start));
            break;
        }
        FLines.push_back(Text.substr(Start, End - Start));
        Start = End + (Text.compare(End, 2, "\r\n") == 0 ? 2 : 1);
    }
}

std::string TDebugger::ReplyValue(std::string_view Key) const {
    for (const std::string& Line : FLines) {
        const auto Equals = Line.find('=');
        if (Equals != std::string::npos &&
            SameText1252(std::string_view(Line).substr(0, Equals), Key))
            return Line.substr(Equals + 1);
    }
    return {};
}

std::int32_t TDebugger::ModuleStopped(std::uint64_t WParam, std::int64_t LParam) {
    // Without a connection there is no buffer to read the reply from; a link that ended is
    // dropped as soon as the command that saw it returns.
    if (!IsConnected() || FLinkEnd != TLinkEnd::None)
        return 1;
    RunCommand(
        [this, WParam, LParam] {
            ++FStops;
            ForgetHint();
            FHost.BringToFront();
            ReadReply(LParam);
            const bool ValueChanged = WParam == 1;
            FCurrentLocation = ValueChanged
                                   ? LocateStack(ReadStackLines(FLines))
                                   : FindProcOffset(ReplyValue("s"), DecimalOr0(ReplyValue("p")),
                                                    DecimalOr0(ReplyValue("o")));
            FPaused = true;
            if (FCurrentLocation)
                ShowLocation(*FCurrentLocation, false);
            if (ValueChanged) {
                if (const TEntity* Watched = FWatchedEntity) {
                    FWatchedEntity = nullptr;
                    const std::string NewValue = ValueText(*Watched, vmValue);
                    ShowValueChangedMessage(Watched->Name, FWatchedOldValue, NewValue,
                                            FCurrentLocation != nullptr);
                } else
                    ShowUnknownValueChangedMessage();
            }
            RefreshEverything();
        },
        true);
    return 1;
}

void TDebugger::DeleteAllBreakpoints(bool Remember) {
    if (!IsConnected()) {
        if (Remember)
            FPendingDeleteAll = true;
        return;
    }
    FPendingDeleteAll = false;
    RunCommand([this] {
        Act(DeleteAllRequest(false));
        RefreshBreakpoints();
    });
}

void TDebugger::DeleteOfflineBreakpoints() {
    if (!IsConnected())
        return;
    RunCommand([this] {
        Act(DeleteAllRequest(true));
        RefreshBreakpoints();
    });
}

std::int32_t TDebugger::Send(const TModuleRequest& Request) {
    FLines = Request.Keys;
    return SendRequest(Request.Command, Request.SubCode);
}

std::int32_t TDebugger::Query(const TModuleRequest& Request) {
    const std::int32_t Result = Send(Request);
    // Without a reply the request must not be read back as one.
    ReadReply(Result);
    return Result;
}

std::string TDebugger::Act(const TModuleRequest& Request) {
    const std::int32_t Result = Send(Request);
    return Result != 0 ? ReadErrorText(Result) : std::string();
}

std::string TDebugger::ValueOf(const TModuleRequest& Request) {
    if (Request.Command == 0)
        return {};
    return ReadErrorText(Send(Request));
}

std::string TDebugger::SendLocation(TLocationCommand SubCode, const std::string& Segment, int Proc,
                                    int Offset) {
    return Act(LocationRequest(SubCode, Segment, Proc, Offset));
}

std::string TDebugger::BreakOnReturn() {
    return Act(BreakOnReturnRequest());
}

std::string TDebugger::BreakOnEntry(const std::vector<std::string>& Segments) {
    return Act(BreakOnEntryRequest(Segments));
}

std::vector<TBreakpointEntry> TDebugger::ListBreakpoints() {
    Query(ListBreakpointsRequest());
    return ReadBreakpointList(FLines);
}

bool TDebugger::ResumeModule(int Mode) {
    return Send(ResumeRequest(Mode)) == 1;
}

std::optional<TDebugger::THeapStack> TDebugger::HeapAndStack() {
    if (Query(HeapStackRequest()) <= 0)
        return std::nullopt;
    return THeapStack{ReplyValue("h"), ReplyValue("s")};
}

std::optional<std::vector<TStackLine>> TDebugger::PauseModule() {
    if (Query(PauseRequest()) <= 0)
        return std::nullopt;
    return ReadStackLines(FLines);
}

std::vector<TStackLine> TDebugger::ReadCallStack() {
    Query(CallStackRequest());
    return ReadStackLines(FLines);
}

std::vector<std::uint16_t> TDebugger::ReadMemory() {
    if (Send(DumpRequest()) != 1 || !FBuffer.IsMapped())
        return {};
    std::vector<std::uint16_t> Words(DebuggingBufferSize / 2);
    const auto* Bytes = reinterpret_cast<const unsigned char*>(FBuffer.Data());
    for (std::size_t Index = 0; Index < Words.size(); ++Index)
        Words[Index] = static_cast<std::uint16_t>(Bytes[2 * Index] | Bytes[2 * Index + 1] << 8);
    return Words;
}

std::string TDebugger::ValueText(const TEntity& Entity, TValueMode Mode) {
    // An element of a string array has a short request of its own.
    if (Mode == vmValue && IsStringElement(Entity))
        return StringElementValue(Entity);
    return ValueOf(ValueRequest(Entity, Mode, FHost.ModuleOptions()));
}

std::string TDebugger::StringElementValue(const TEntity& Element) {
    return ValueOf(StringElementRequest(Element));
}

void TDebugger::ShowTableViewer() {
    Send(TableViewerRequest(FHost.ModuleOptions()));
}

bool TDebugger::SendRunUntilChanged(const std::string& Name, const std::string& Address,
                                    int Words) {
    return Send(RunUntilChangedRequest(Name, Address, Words)) == 1;
}

void TDebugger::UpdateDebuggingControls() {
    const bool Live = IsConnected() || MapLoaded();
    const bool Paused = IsConnected() && FPaused;
    TDebuggingControls Controls;
    Controls.ListColour = Live ? clWindow : clBtnShadow;
    for (TDebuggingList* List :
         {FBreakpoints.get(), FCallStack.get(), FWatches.get(), FStructure.get()})
        List->Colour = Controls.ListColour;
    Controls.BarToolsEnabled = FHost.DebuggerOptionOn() || Live || FHost.IsDebuggingBarVisible();
    Controls.ConnectionDown = IsConnected();
    Controls.PauseEnabled = IsConnected();
    Controls.PauseDown = Paused;
    Controls.PausedToolsEnabled = Paused;
    Controls.ToolbarColour = Paused ? clYellow : clBtnFace;
    if (!Paused)
        FHeapStackText = UnknownHeapAndStackText;
    Controls.HeapStackText = FHeapStackText;
    Controls.StatusText = StatusText();
    FControls = Controls;
    FHost.RefreshDebuggingControls(FControls);
}

bool TDebugger::IsCurrentSource(const std::string& FileName) const {
    return FMap->Sources.contains(FileName);
}

std::vector<std::string> TDebugger::CurrentSources() const {
    std::vector<std::string> Names;
    for (const auto& Source : FMap->Sources)
        Names.push_back(Source.first);
    return Names;
}

void TDebugger::LoadMapFile(const std::string& FileName) {
    {
        const TDebuggerBusy Busy(FHost);
        std::vector<std::string> Lines;
        FHost.LoadFileIntoEditor(FileName, Lines);
        auto Map = std::make_unique<TMapModel>();
        ParseMapLines(*Map, Lines, FHost);
        DropMapRecords();
        FMap = std::move(Map);
    }
    UpdateDebuggingControls();
    BuildStructureTree();
    if (FHost.OpenSourceOnLoad() && !FMap->FirstSource.empty() &&
        !FHost.IsFileOpenInTab(FMap->FirstSource))
        FHost.OpenSourceFile(FMap->FirstSource);
}

void TDebugger::ReloadMapFile(const std::string& FileName) {
    // The module stays where it stopped, but the new map may no longer list that place.
    std::unique_ptr<TProcOffset> Stopped;
    std::string SegmentName;
    int ProcNumber = 0;
    if (FCurrentLocation && FCurrentLocation->Proc) {
        Stopped = std::make_unique<TProcOffset>(*FCurrentLocation);
        SegmentName = FCurrentLocation->Proc->SegmentName;
        ProcNumber = FCurrentLocation->Proc->Number;
    }
    ForgetMap();
    LoadMapFile(FileName);
    if (Stopped) {
        const TProc* Proc = FindProc(*FMap, SegmentName, ProcNumber);
        if (Proc) {
            const auto Same = std::find_if(
                Proc->Offsets.begin(), Proc->Offsets.end(),
                [&Stopped](const auto& Offset) { return Offset->Offset == Stopped->Offset; });
            if (Same != Proc->Offsets.end())
                FCurrentLocation = Same->get();
        }
        if (!FCurrentLocation) {
            Stopped->Proc = Proc;
            FOrphanLocation = std::move(Stopped);
            FCurrentLocation = FOrphanLocation.get();
        }
    }
    if (IsConnected())
        RefreshBreakpoints();
}

void TDebugger::ForgetMap() {
    DropMapRecords();
    FMap = std::make_unique<TMapModel>();
    FStructure->Model->clear();
}

void TDebugger::DropMapRecords() {
    // Everything below points into the map.
    FBreakpoints->Model->clear();
    FCallStack->Model->clear();
    FCurrentLocation = nullptr;
    FOrphanLocation.reset();
    FCurrentBreakpoint = -1;
    FShownProc = nullptr;
    FWatchedEntity = nullptr;
    DropWatchedEntities();
    ForgetStructureRecords();
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

std::int32_t HandleEditorWindowMessage(TDebugger& Debugger, const TEndpointMessage& Message) {
    switch (Message.Message) {
    case ModuleDisconnectedMessage:
        Debugger.Disconnect();
        return 0;
    case ModuleStoppedMessage:
        return Debugger.ModuleStopped(Message.WParam, Message.LParam);
    default:
        return 0;
    }
}

} // namespace korvid
