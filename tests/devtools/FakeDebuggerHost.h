#pragma once

#include "devtools/Debugger.h"
#include "devtools/DebuggerHost.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

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
    void OpenSourceFile(const std::string& Name) override { OpenedSources.push_back(Name); }
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
    TWindowHandle MainWindowHandle() const override { return Window ? Window->Handle() : 0; }

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
