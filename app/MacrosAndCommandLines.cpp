#include "app/MacrosAndCommandLines.h"

#include "app/DocumentEditor.h"
#include "app/WindowHost.h"
#include "editor/EngKeystrokeRecorder.h"
#include "editor/engine/EngCommand.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/QtVirtualKeys.h"
#include "ui/EscapeWatch.h"
#include "ui/MessageBoxUnit.h"
#include "ui/MessagesUnit.h"
#include "workspace/CommandLine.h"
#include "workspace/CommandLinesForm.h"
#include "workspace/Keystroke.h"
#include "workspace/KorvidOptions.h"
#include "workspace/KorvidTool.h"
#include "workspace/PickKeystrokesForm.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>
#include <filesystem>

namespace korvid {
namespace T = ToolIndex;

namespace {

// Hands what the editors do to the macro.
class TMacroRecorder final : public TEngKeystrokeRecorder {
public:
    bool Recording() const override { return IsRecordingKeystrokes(); }
    void AddKeystroke(TKeystrokeKind Kind, std::uint16_t Data, std::uint16_t Code) override {
        korvid::AddKeystroke(Kind, nullptr, Data, Code);
    }
};

TMacroRecorder MacroRecorder;

// Set for one pass; cleared however the pass ends.
class TPlayingPass {
public:
    TPlayingPass() { SetPlayingKeystrokes(true); }
    ~TPlayingPass() { SetPlayingKeystrokes(false); }
    TPlayingPass(const TPlayingPass&) = delete;
    TPlayingPass& operator=(const TPlayingPass&) = delete;
};

// What a pass that does something changes: the text or the caret.
struct TPassMark {
    std::uint64_t Changes = 0;
    int Para = 0;
    int Pos = 0;
    bool operator==(const TPassMark&) const = default;
};

TPassMark MarkOf(const TDocumentEditor& Editor) {
    return {Editor.ChangeSerial(), Editor.CaretLine(), Editor.CaretPosInPara()};
}

bool IsBlank(std::string_view Text) {
    return std::all_of(Text.begin(), Text.end(),
                       [](char C) { return static_cast<unsigned char>(C) <= ' '; });
}

} // namespace

TMacrosAndCommandLines::TMacrosAndCommandLines(TWindowHost& Window, TMacrosHost& Host)
    : FWindow(Window), FHost(Host) {}

void TMacrosAndCommandLines::InstallKeystrokeRecorder(bool Install) {
    KeystrokeRecorder = Install ? &MacroRecorder : nullptr;
    if (!Install)
        StopRecordingKeystrokes();
}

// ---- Keystroke macros ---------------------------------------------------------------------------

void TMacrosAndCommandLines::RecordKeystrokes() {
    if (!FWindow.ActiveEditor() || IsPlayingKeystrokes())
        return;
    if (IsRecordingKeystrokes())
        StopRecordingKeystrokes();
    else
        StartRecordingKeystrokes();
    const bool Recording = IsRecordingKeystrokes();
    FWindow.SetStatusPanel(6, Recording ? "Recording" : "");
    ToolList().Items(T::EditRecordKeystrokes)->SetDown(Recording);
    FWindow.UpdateCommandStates();
}

void TMacrosAndCommandLines::PlayRecorded(bool Repeat) {
    if (Keystrokes().empty() || !FWindow.ActiveEditor() || IsRecordingKeystrokes() ||
        IsPlayingKeystrokes())
        return;
    if (!Repeat) {
        PlayKeystrokes(false);
    } else {
        const TEscapeWatch Escape(false);
        FPlayEscape = &Escape;
        const auto Forget = qScopeGuard([this] { FPlayEscape = nullptr; });
        for (;;) {
            const QPointer<TDocumentEditor> Editor = FWindow.ActiveEditor();
            const TPassMark Before = Editor ? MarkOf(*Editor) : TPassMark{};
            if (PlayKeystrokes(true) || Escape.Escaped())
                break;
            // A pass that changed nothing would change nothing for ever.
            if (!Editor || !FHost.TabOfEditor(Editor) || MarkOf(*Editor) == Before)
                break;
        }
    }
    FWindow.UpdateCommandStates();
}

bool TMacrosAndCommandLines::PlayKeystrokes(bool Repeat) {
    if (IsPlayingKeystrokes())
        return false;
    MessageBoxShown = false;
    // A step may record, pick or clear; the pass plays what it started with.
    std::vector<TKeystroke> Steps;
    Steps.reserve(Keystrokes().size());
    for (const auto& Step : Keystrokes())
        Steps.push_back(*Step);
    const TPlayingPass Playing;
    QPointer<TDocumentEditor> Editor = FWindow.ActiveEditor();
    const bool HadEditor = Editor != nullptr;
    for (const TKeystroke& Step : Steps) {
        switch (Step.Kind) {
        case ksTool:
            if (Step.Tool)
                Step.Tool->Execute();
            break;
        case ksChar:
            if (Editor && Step.Code >= 32)
                Editor->ExecuteCommand(ccTypedChar, Step.Code);
            break;
        case ksCommand:
            if (Editor)
                Editor->ExecuteCommand(Step.Command, Step.Code);
            break;
        case ksReturn:
            if (Editor)
                Editor->PerformEnter(Step.Command == 1);
            break;
        case ksTab:
            if (Editor)
                Editor->PerformTab();
            break;
        case ksKey:
            if (Editor) {
                int Key = VirtualKeyToQtKey(Step.Key);
                FHost.EditorKeyDown(*Editor, Key, QtModifiersOfStep(Step.Shift));
                // A key that went to another tab takes the steps after it there, as typing did.
                if (Editor && FWindow.ActiveEditor())
                    Editor = FWindow.ActiveEditor();
            }
            break;
        default:
            break;
        }
        // The document a step closed takes the rest of the pass with it.
        if (HadEditor && !Editor)
            return true;
        if (Repeat) {
            QCoreApplication::processEvents();
            if (MessageBoxShown || (FPlayEscape && FPlayEscape->Escaped()) || !Editor ||
                Editor->CaretOnLastLine())
                return true;
        }
    }
    return false;
}

void TMacrosAndCommandLines::CopyRecordedKeystrokes() {
    if (!FWindow.ActiveEditor())
        return;
    QApplication::clipboard()->setText(ToQString(KeystrokesText(Keystrokes())));
    FWindow.UpdateCommandStates();
}

void TMacrosAndCommandLines::PickRecordedKeystrokes() {
    if (IsPlayingKeystrokes())
        return;
    StopRecordingKeystrokes();
    FWindow.SetStatusPanel(6, "");
    ToolList().Items(T::EditRecordKeystrokes)->SetDown(false);
    const std::string& FileName = FWindow.Options().KeystrokesFilename;
    if (FileName.empty() || !std::filesystem::is_regular_file(FileName))
        return;
    const std::vector<std::string> Lines = ReadLinesOfFile(FileName);
    TPickKeystrokesForm Picker(FWindow.DialogParent());
    Picker.BaseEntries = KeystrokeSetNames(Lines);
    if (Picker.BaseEntries.empty())
        return;
    Picker.FillAndSelect({}, {});
    if (!Picker.Execute())
        return;
    const std::string Name = Picker.Selected();
    if (!Name.empty())
        LoadKeystrokeSet(Lines, Name, FileName);
    FWindow.UpdateCommandStates();
}

// ---- Command lines ------------------------------------------------------------------------------

void TMacrosAndCommandLines::EditCommandLines() {
    TCommandLinesForm Dialog(FWindow.DialogParent());
    Dialog.SetLines(FCommandLines, FActiveCommandLine);
    Dialog.OnRun = [this](const std::string& Line) { RunCommandLine(Line, nullptr, false); };
    if (!Dialog.Execute())
        return;
    FCommandLines = Dialog.Lines();
    FActiveCommandLine = Dialog.SelectedIndex();
    FWindow.StoreSettings();
    FWindow.UpdateCommandStates();
}

bool TMacrosAndCommandLines::HasActiveCommandLine() const {
    return FActiveCommandLine >= 0 && FActiveCommandLine < int(FCommandLines.size());
}

void TMacrosAndCommandLines::RunActiveCommandLine() {
    if (!HasActiveCommandLine())
        return;
    std::string Line = FCommandLines[FActiveCommandLine];
    const bool Capture = !Line.empty() && Line.back() == '*';
    if (Capture)
        Line.pop_back();
    else
        FHost.SaveAllModified();
    RunCommandLine(Line, FWindow.ActiveEditor(), Capture);
    FWindow.UpdateCommandStates();
}

void TMacrosAndCommandLines::RunCommandLine(const std::string& CommandLine, TDocumentEditor* Editor,
                                            bool Capture) {
    if (IsBlank(CommandLine)) {
        ShowRunCommandLineError(CommandLine, -1);
        return;
    }
    if (!Capture) {
        if (const auto Error = StartCommandLine(CommandLine, FHost.Launcher()))
            ShowRunCommandLineError(CommandLine, *Error);
        return;
    }
    if (!Editor)
        return;
    const QPointer<TDocumentEditor> Target = Editor;
    FHost.ShowStatusMessage(RunningCommandLineText(CommandLine));
    std::optional<std::string> Output;
    {
        FCapturingCommand = true;
        const auto Done = qScopeGuard([this] { FCapturingCommand = false; });
        const TEscapeWatch Escape(true);
        Output = RunAndCapture(CommandLine, [&Escape] {
            QCoreApplication::processEvents();
            return !Escape.Escaped();
        });
    }
    FHost.ClearStatusMessage();
    // The document may have gone while the program ran.
    if (!Output || !Target || !FHost.TabOfEditor(Target))
        return;
    Target->InsertTextAtCaret(DecodeCapturedOutput(*Output));
}

void TMacrosAndCommandLines::LoadCommandLines() {
    const std::string& FileName = FWindow.Options().CommandLinesFilename;
    if (!FileName.empty() && std::filesystem::exists(FileName))
        FCommandLines = ReadLinesOfFile(FileName);
    if (FActiveCommandLine >= int(FCommandLines.size()))
        FActiveCommandLine = -1;
}

void TMacrosAndCommandLines::SaveCommandLines(std::string& FileName) const {
    if (FileName.empty())
        return;
    SaveListFile(lkCommandLines, FileName, FCommandLines);
}

} // namespace korvid
