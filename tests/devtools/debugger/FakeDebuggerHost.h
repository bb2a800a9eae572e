#pragma once

#include "devtools/debugger/Debugger.h"
#include "devtools/debugger/DebuggerHost.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

// A document that records what the debugger did to it.
class TFakeSourceEditor : public TSourceEditor {
public:
    explicit TFakeSourceEditor(std::string Name, int Caret = 1)
        : Name(std::move(Name)), Caret(Caret) {}
    std::string Name;
    int Caret = 1;
    std::vector<int> Markers;
    std::string Identifier;
    int Centred = 0;
    int Focused = 0;
    int Repaints = 0;

    std::string SourceFileName() const override { return Name; }
    void AddLineMarker(int Line, bool IsExecutionPoint) override {
        Markers.push_back(IsExecutionPoint ? -Line : Line);
    }
    void ClearLineMarkers() override { Markers.clear(); }
    void ClearExecutionPoint(bool MakeBreakpoint) override {
        for (int& Marker : Markers)
            if (Marker < 0 && MakeBreakpoint)
                Marker = -Marker;
        std::erase_if(Markers, [](int Marker) { return Marker < 0; });
    }
    std::vector<int> LineMarkers() const override { return Markers; }
    int CaretLine() const override { return Caret; }
    void MoveCaretToLine(int Line) override { Caret = Line; }
    void CentreCaretLine() override { ++Centred; }
    void FocusEditor() override { ++Focused; }
    void RepaintEditor() override { ++Repaints; }
    std::string IdentifierAtCaret() const override { return Identifier; }
};

// A main window of files held in memory and tabs named by their file names.
class TFakeDebuggerHost : public TDebuggerHost {
public:
    std::map<std::string, std::vector<std::string>> Files;
    std::vector<std::string> OpenTabs;
    std::optional<TEditorText> Active;
    bool OpenSource = false;
    std::vector<std::pair<std::string, std::string>> NewTabs;
    std::vector<std::string> OpenedSources;
    int Refreshes = 0;
    TDebuggingControls Controls;
    std::string MapFile;
    bool DebuggerOption = false;
    bool BarVisible = false;
    int BroughtToFront = 0;
    int Busy = 0;
    TModuleOptions Options;
    bool ReadWhileBusy = false;

    void LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) override {
        ReadWhileBusy = Busy > 0;
        const auto Found = Files.find(Name);
        Target = Found == Files.end() ? std::vector<std::string>{} : Found->second;
    }
    std::string FindOpenVolumeFile(const std::string& InnerName) const override {
        for (const std::string& Tab : OpenTabs)
            if (const auto At = Tab.find('>');
                At != std::string::npos && Tab.substr(At + 1) == InnerName)
                return Tab;
        return {};
    }
    std::optional<TEditorText> ActiveEditorText() const override { return Active; }
    void OpenTextInNewTab(const std::string& Caption, const std::string& Text) override {
        NewTabs.emplace_back(Caption, Text);
    }
    bool IsFileOpenInTab(const std::string& Name) const override {
        return std::find(OpenTabs.begin(), OpenTabs.end(), Name) != OpenTabs.end();
    }
    void OpenSourceFile(const std::string& Name) override {
        OpenedSources.push_back(Name);
        if (std::find(Openable.begin(), Openable.end(), Name) != Openable.end())
            Activate(Open(Name));
    }
    bool OpenSourceOnLoad() const override { return OpenSource; }
    void BeginBusy() override { ++Busy; }
    void EndBusy() override { --Busy; }
    void RefreshDebuggingControls(const TDebuggingControls& Shown) override {
        ++Refreshes;
        Controls = Shown;
    }
    std::string MapFileName() const override { return MapFile; }
    bool DebuggerOptionOn() const override { return DebuggerOption; }
    bool IsDebuggingBarVisible() const override { return BarVisible; }
    void BringToFront() override { ++BroughtToFront; }
    TModuleOptions ModuleOptions() const override { return Options; }
    TWindowHandle MainWindowHandle() const override { return Window ? Window->Handle() : 0; }

    // ---- Documents ----
    // The files that OpenSourceFile can open.
    std::vector<std::string> Openable;
    std::vector<std::unique_ptr<TFakeSourceEditor>> Editors;
    TFakeSourceEditor* ActiveDocument = nullptr;
    bool Recentre = false;

    TFakeSourceEditor& Open(const std::string& Name, int Caret = 1) {
        Editors.push_back(std::make_unique<TFakeSourceEditor>(Name, Caret));
        return *Editors.back();
    }
    TFakeSourceEditor& Activate(TFakeSourceEditor& Editor) {
        ActiveDocument = &Editor;
        return Editor;
    }
    std::vector<TSourceEditor*> SourceEditors() override {
        std::vector<TSourceEditor*> All;
        for (const auto& Editor : Editors)
            All.push_back(Editor.get());
        return All;
    }
    TSourceEditor* ActiveSourceEditor() override { return ActiveDocument; }
    bool ActivateTabOfSource(const std::string& Name) override {
        for (const auto& Editor : Editors)
            if (SameText1252(Editor->Name, Name)) {
                ActiveDocument = Editor.get();
                return true;
            }
        return false;
    }
    bool RecentreOnStep() const override { return Recentre; }

    // ---- The debugging bar ----
    TKorvidOptions BarOptions = [] {
        TKorvidOptions Defaults;
        InitOptions(Defaults);
        return Defaults;
    }();
    struct THint {
        std::string Text;
        int X = 0;
        int Y = 0;
    };
    // The hint on screen, or none.
    std::optional<THint> Hint;
    int HintShows = 0;
    int HintTimerStarts = 0;
    int Connections = 0;
    std::vector<TDebuggingTab> ActivatedTabs;
    std::vector<TVariableDetails> Details;
    std::vector<std::string> SearchedInSources;

    const TKorvidOptions& DebuggingOptions() const override { return BarOptions; }
    void ModuleConnected() override { ++Connections; }
    void ActivateDebuggingTab(TDebuggingTab Tab) override { ActivatedTabs.push_back(Tab); }
    void ShowHintWindow(const std::string& Text, int X, int Y) override {
        Hint = THint{Text, X, Y};
        ++HintShows;
    }
    void HideHintWindow() override { Hint.reset(); }
    void RestartHintTimer() override { ++HintTimerStarts; }
    void ShowVariableDetails(const TVariableDetails& Shown) override { Details.push_back(Shown); }
    void FindInCurrentSources(const std::string& Name) override {
        SearchedInSources.push_back(Name);
    }

    // The main window's endpoint, answering for Debugger as the window does.
    void ListenFor(TDebugger& Debugger) {
        Window = std::make_unique<TWindowEndpoint>(EditorWindowClass);
        Window->OnMessage = [&Debugger](const TEndpointMessage& Message) {
            return HandleEditorWindowMessage(Debugger, Message);
        };
        Window->Listen();
    }
    std::unique_ptr<TWindowEndpoint> Window;
};

} // namespace korvid
