// Breakpoints and run control: what the debugger asks of the module and how the editors show
// where it stopped.
#include "devtools/debugger/Debugger.h"

#include "devtools/debugger/DebuggerMessages.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"
#include "workspace/ToolIndexes.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <algorithm>
#include <array>
#include <optional>

namespace korvid {

namespace {

constexpr std::array<std::string_view, 3> StepTitles{"Step Into", "Step Over", "Step Out"};
constexpr int StepIntoMode = 0;
constexpr int StepOutMode = 2;

bool SameLocation(const TProcOffset& Location, const TLine& Line) {
    return Location.Proc && SameText1252(Location.Proc->SegmentName, Line.SegmentName) &&
           Location.Proc->Number == Line.ProcNumber && Location.Offset == Line.Offset;
}

} // namespace

// ---- Breakpoints ----------------------------------------------------------------------------

void TDebugger::AddBreakpoint(bool RunToCursor) {
    RunCommand([&] {
        if (RunToCursor && !(IsConnected() && FPaused))
            return;
        if (!EnsureConnected())
            return;
        TSourceEditor* Editor = FHost.ActiveSourceEditor();
        if (!Editor)
            return;
        const std::string FileName = Editor->SourceFileName();
        const int LineNumber = Editor->CaretLine();
        const TLine* Line = LocateProcOffset(FileName, LineNumber);
        if (!Line) {
            const std::string Reason =
                MapStatus() != MapLoadedStatus ? MapStatus() : std::string(CurrentLineNotInMapText);
            if (ShowCantAddBreakpointMessage(Reason, FileName, LineNumber, FHost.MapFileName()))
                ShowParsedMap();
            return;
        }
        // Adding on a breakpoint takes it away.
        for (int Row = 0; Row < FBreakpoints->Count(); ++Row)
            if (const TProcOffset* Location = BreakpointLocation(Row);
                Location && SameLocation(*Location, *Line)) {
                DeleteBreakpoint(*Location);
                return;
            }
        const std::string Error =
            SendLocation(RunToCursor ? lcSetTemporaryBreakpoint : lcSetBreakpoint,
                         Line->SegmentName, Line->ProcNumber, Line->Offset);
        if (!Error.empty())
            ShowBreakpointRefusedMessage(Error);
        else if (RunToCursor)
            Resume(0);
        else
            RefreshBreakpoints();
    });
}

void TDebugger::DeleteBreakpoint(const TProcOffset& Location) {
    RunCommand([&] {
        if (!Location.Proc)
            return;
        SendLocation(lcDeleteBreakpoint, Location.Proc->SegmentName, Location.Proc->Number,
                     Location.Offset);
        RefreshBreakpoints();
    });
}

void TDebugger::DeleteSelectedBreakpoint() {
    const int Row = FBreakpoints->SelectedRow();
    if (Row < 0 || !IsConnected())
        return;
    if (const TProcOffset* Location = BreakpointLocation(Row))
        DeleteBreakpoint(*Location);
}

void TDebugger::ToggleSelectedBreakpoint() {
    RunCommand([&] {
        const int Row = FBreakpoints->SelectedRow();
        const TProcOffset* Location = Row >= 0 ? BreakpointLocation(Row) : nullptr;
        if (!Location || !Location->Proc || !IsConnected())
            return;
        SendLocation(BreakpointEnabled(Row) ? lcDisableBreakpoint : lcEnableBreakpoint,
                     Location->Proc->SegmentName, Location->Proc->Number, Location->Offset);
        RefreshBreakpoints();
    });
}

void TDebugger::RefreshBreakpoints() {
    RunCommand([&] {
        const std::vector<TBreakpointEntry> Entries = ListBreakpoints();
        const int Remembered = FBreakpoints->SelectedRow();
        FBreakpoints->Model->clear();
        ClearAllMarks();
        FCurrentBreakpoint = -1;
        for (const TBreakpointEntry& Entry : Entries) {
            const TProcOffset* Location = FindProcOffset(Entry.Segment, Entry.Proc, Entry.Offset);
            if (!Location)
                continue;
            const bool Current = Location == FCurrentLocation;
            if (Current)
                FCurrentBreakpoint = FBreakpoints->Count();
            FBreakpoints->Append(
                std::string(TrimBlanks(Location->Text)) + (Entry.Disabled ? "-" : "+"), Location);
            if (!Entry.Disabled || Current)
                for (TSourceEditor* Editor : EditorsOf(Location->SourceName))
                    Editor->AddLineMarker(Location->LineNumber, Current);
        }
        if (Remembered >= 0)
            FBreakpoints->SelectRow(Remembered < FBreakpoints->Count() ? Remembered
                                                                       : Remembered - 1);
        else
            FBreakpoints->SelectRow(FCurrentBreakpoint);
        if (FCurrentBreakpoint < 0 && FCurrentLocation)
            for (TSourceEditor* Editor : EditorsOf(FCurrentLocation->SourceName))
                Editor->AddLineMarker(FCurrentLocation->LineNumber, true);
        RepaintEditors();
    });
}

void TDebugger::MarkBreakpointsInEditor(TSourceEditor& Editor) {
    Editor.ClearLineMarkers();
    const std::string FileName = Editor.SourceFileName();
    if (!FileName.empty())
        for (int Row = 0; Row < FBreakpoints->Count(); ++Row) {
            const TProcOffset* Location = BreakpointLocation(Row);
            if (Location && BreakpointEnabled(Row) && SameText1252(Location->SourceName, FileName))
                Editor.AddLineMarker(Location->LineNumber, Location == FCurrentLocation);
        }
    Editor.RepaintEditor();
}

bool TDebugger::BreakpointEnabled(int Row) const {
    const QStandardItem* Item = FBreakpoints->Model->item(Row);
    return Item && Item->text().endsWith('+');
}

const TProcOffset* TDebugger::BreakpointLocation(int Row) const {
    return static_cast<const TProcOffset*>(FBreakpoints->ObjectAt(Row));
}

// ---- Running and stepping -------------------------------------------------------------------

void TDebugger::StepInto() {
    Step(0);
}

void TDebugger::StepOver() {
    Step(1);
}

void TDebugger::StepOut() {
    Step(2);
}

void TDebugger::Step(int Mode) {
    RunCommand([&] {
        if (!IsConnected() || !FPaused || !FCurrentLocation || !FHost.ActiveSourceEditor())
            return;
        const std::string_view Title = StepTitles.at(static_cast<std::size_t>(Mode));
        const TProc* Proc = FCurrentLocation->Proc;
        if (!Proc) {
            ShowCodePositionNotFoundMessage(Title);
            return;
        }
        const auto& Offsets = Proc->Offsets;
        const auto Current =
            std::find_if(Offsets.begin(), Offsets.end(),
                         [this](const auto& Offset) { return Offset.get() == FCurrentLocation; });
        if (Current == Offsets.end()) {
            ShowCodePositionNotFoundMessage(Title);
            return;
        }
        std::string Error;
        if (Mode == StepOutMode || std::next(Current) == Offsets.end()) {
            Error = BreakOnReturn();
        } else {
            if (Mode == StepIntoMode) {
                std::vector<std::string> Segments;
                for (const auto& Segment : FMap->Segments)
                    Segments.push_back(Segment.first);
                Error = BreakOnEntry(Segments);
            }
            // Every other line of the procedure may come next; several lines can share an offset.
            const int Here = FCurrentLocation->Offset;
            std::optional<int> Sent;
            for (auto Next = Offsets.begin(); Error.empty() && Next != Offsets.end(); ++Next) {
                const int Offset = (*Next)->Offset;
                if (Offset == Here || Offset == Sent)
                    continue;
                Error =
                    SendLocation(lcSetTemporaryBreakpoint, Proc->SegmentName, Proc->Number, Offset);
                Sent = Offset;
            }
        }
        if (!Error.empty())
            ShowCantStepMessage(Title, Error);
        else
            Resume(0);
    });
}

void TDebugger::Pause() {
    RunCommand([&] {
        if (!IsConnected())
            return;
        if (FPaused) {
            Resume(0);
            return;
        }
        const auto Frames = PauseModule();
        if (!Frames) {
            UpdateDebuggingControls();
            return;
        }
        FPaused = true;
        ForgetHint();
        FCurrentLocation = LocateStack(*Frames);
        if (FCurrentLocation)
            ShowLocation(*FCurrentLocation, false);
        RefreshEverything();
    });
}

void TDebugger::Resume(int Mode) {
    RunCommand([&] {
        {
            const TDebuggerBusy Busy(FHost);
            ForgetExecutionPoint();
        }
        const int Stops = FStops;
        if (IsConnected() && ResumeModule(Mode) && FStops == Stops)
            FPaused = false;
        UpdateDebuggingControls();
    });
}

void TDebugger::RunUntilValueChanges(const TEntity* Entity) {
    RunCommand([&] {
        FWatchedEntity = Entity;
        const int Stops = FStops;
        if (Entity) {
            {
                const TDebuggerBusy Busy(FHost);
                ForgetExecutionPoint();
            }
            FWatchedOldValue = ValueText(*Entity, vmValue);
            const std::string Address = ValueText(*Entity, vmAddress);
            if (SendRunUntilChanged(Entity->Name, Address, SizeInWords(*Entity)) && FStops == Stops)
                FPaused = false;
        }
        UpdateDebuggingControls();
    });
}

void TDebugger::ForgetExecutionPoint() {
    ForgetWatchChanges();
    ForgetHint();
    // A value shown over the source would be out of date once the module runs.
    HideEvaluationHint();
    const bool Breakpoint = FCurrentBreakpoint >= 0 && BreakpointEnabled(FCurrentBreakpoint);
    for (TSourceEditor* Editor : FHost.SourceEditors())
        Editor->ClearExecutionPoint(Breakpoint);
    FCurrentLocation = nullptr;
    FCurrentBreakpoint = -1;
    FCallStack->Model->clear();
    RepaintEditors();
}

void TDebugger::RefreshEverything() {
    RunCommand([&] {
        const TDebuggerBusy Busy(FHost);
        FBreakpoints->SelectRow(-1);
        RefreshBreakpoints();
        RefreshCallStack();
        RefreshHeapStack();
        RefreshWatchValues();
        RefreshLocals();
        UpdateDebuggingControls();
    });
}

const TProcOffset* TDebugger::LocateStack(const std::vector<TStackLine>& Frames) const {
    for (const TStackLine& Frame : Frames)
        if (const TProcOffset* Location = FindProcOffset(Frame.Segment, Frame.Proc, Frame.Offset))
            return Location;
    return nullptr;
}

// ---- The execution point in the source ------------------------------------------------------

void TDebugger::ShowExecutionPoint() {
    if (IsConnected() && FPaused && FCurrentLocation)
        ShowLocation(*FCurrentLocation, true);
}

void TDebugger::ShowLocation(const TProcOffset& Location, bool Focus) {
    if (!FHost.ActivateTabOfSource(Location.SourceName))
        FHost.OpenSourceFile(Location.SourceName);
    // A source that could not be opened leaves whatever document is active alone.
    TSourceEditor* Editor = FHost.ActiveSourceEditor();
    if (!Editor || !SameText1252(Editor->SourceFileName(), Location.SourceName))
        return;
    Editor->MoveCaretToLine(Location.LineNumber);
    // Stepping within a procedure keeps the text still unless the user wants it centred.
    if (Location.Proc != FShownProc || FHost.RecentreOnStep())
        Editor->CentreCaretLine();
    FShownProc = Location.Proc;
    if (Focus)
        Editor->FocusEditor();
}

std::vector<TSourceEditor*> TDebugger::EditorsOf(const std::string& FileName) {
    std::vector<TSourceEditor*> Editors;
    for (TSourceEditor* Editor : FHost.SourceEditors())
        if (SameText1252(Editor->SourceFileName(), FileName))
            Editors.push_back(Editor);
    return Editors;
}

void TDebugger::ClearAllMarks() {
    for (TSourceEditor* Editor : FHost.SourceEditors())
        Editor->ClearLineMarkers();
}

void TDebugger::RepaintEditors() {
    for (TSourceEditor* Editor : FHost.SourceEditors())
        Editor->RepaintEditor();
}

} // namespace korvid
