#pragma once

#include "devtools/compiler/CompileCommand.h"
#include "devtools/vbat/VBatReporter.h"

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace korvid {

class TCompilerWait;
class TDebugger;
class TDocumentEditor;
class TFavouritesService;
class TVBatRuns;
class TWindowHost;

// What compiling needs of the window besides TWindowHost: its tabs, saving and the commands a
// compile stands in for or stops.
class TCompilingHost {
public:
    virtual ~TCompilingHost() = default;

    virtual QWidget* CurrentTab() const = 0;
    virtual TDocumentEditor* EditorOfTab(QWidget* Sheet) const = 0;
    virtual QWidget* FindTabOfFile(const std::string& Name) const = 0;
    virtual bool ActivateTabOfFile(const std::string& Name) = 0;
    // Save As when unnamed; false when it was not saved.
    virtual bool SaveEditor(TDocumentEditor* Editor) = 0;
    virtual void FileSaveAll() = 0;
    virtual void ViewRunCommandLine() = 0;
    virtual TDebugger& Debugger() const = 0;
    virtual TFavouritesService& FavouritesTree() const = 0;
};

// The window's side of the compiler routes: its boxes, the jump to the last error, the main
// compile file, the JSON file picked in this session and the user's wait for the compiler.
class TCompiling : public TCompileCommandHost {
public:
    // TesselHelper: the helper program that runs the compiler library; the one beside the
    // program when empty.
    TCompiling(TWindowHost& Window, TCompilingHost& Host, TVBatRuns& VBatRuns,
               std::string TesselHelper);
    ~TCompiling() override;
    TCompiling(const TCompiling&) = delete;
    TCompiling& operator=(const TCompiling&) = delete;

    // The Compile command, which the three compile tools and the batch runs share.
    TCompileCommand& Command() { return FCommand; }
    // The Compile tools; nothing while a VBat run waits.
    void CompileSource(bool Override, bool WhenPaused);
    // The place EditGoToLastError goes to.
    void SetLastError(const std::string& File, int Line, int Column);
    void EditGoToLastError();
    // The user's wait for the compiler while one runs, which the window's closing stops.
    TCompilerWait* CompilerWait() const { return FCompilerWait; }
    // The tab marked as the file to compile whatever tab is active; null when none is.
    QWidget* MainCompileTab() const { return FMainCompileTab; }
    void SetMainCompileTab(QWidget* Tab) { FMainCompileTab = Tab; }
    // A tab goes: nothing here points to it any more.
    void ForgetTab(const QWidget* Tab);

    // ---- The compiler routes' side ----
    int ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                        bool CanIgnore) override;
    void ShowCompilerError(const std::string& Title, const std::string& Text) override;
    bool CanReach(const std::string& File) const override;
    void GoToError(const std::string& File, int Line, int Column) override;
    void GoToLastError() override { EditGoToLastError(); }
    void ShowCompileStatus(const std::string& Text) override;
    void OpenLinesTab(const std::string& Caption, const std::vector<TCompileLine>& Lines) override;
    void SetBusy(bool Busy) override;
    std::string JsonName() const override { return FJsonName; }
    void SetJsonName(const std::string& Name) override { FJsonName = Name; }
    std::optional<std::string> PickJsonFile(const std::string& Folder) override;

    // ---- The Compile command's side ----
    const TKorvidOptions& CompileOptions() const override;
    void RunCommandLine() override;
    bool DebuggerPaused() const override;
    void ResumeDebugger() override;
    void DeleteBreakpoints() override;
    void ReloadMap(const std::string& MapFile) override;
    bool AskCompileOrResume() override;
    bool AskCompileFolder() override;
    bool HasMainCompileFile() const override { return FMainCompileTab != nullptr; }
    void SaveAll() override;
    std::optional<TCompileTarget> Target() const override;
    bool SaveTarget() override;
    std::optional<std::string> FocusedFavouritesFolder() const override;
    // True when the output held a success record.
    bool RunCompileRoutes(TCompileContext& Context) override;
    void RegisterCompilerServer(TCompileContext& Context) override;
    bool RunVBatScript(const std::string& Script, const std::string& Source,
                       const std::string& PSystemName, bool Wait, bool Override,
                       TVBatReporter& Reporter) override;
    TVBatReporter& VBatBoxes() override { return FVBatBoxes; }
    std::unique_ptr<TCompileProgress> ShowCompileProgress() override;
    void ProcessEvents() override;
    TLongOperations& LongOperations() override;

private:
    // The window closes once the compile has returned: nobody is left to read its results, and
    // a box would hold the close up.
    bool Closing() const;
    TDocumentEditor* TargetEditor() const;

    TWindowHost& FWindow;
    TCompilingHost& FHost;
    TVBatRuns& FVBatRuns;
    const std::string FTesselHelper;
    TVBatBoxReporter FVBatBoxes;
    TCompileCommand FCommand{*this};
    TCompilerWait* FCompilerWait = nullptr;
    QWidget* FMainCompileTab = nullptr;
    QWidget* FLastErrorTab = nullptr;
    struct TLastError {
        std::string File;
        int Line = 0;
        int Column = 0;
    };
    std::optional<TLastError> FLastError;
    // The main JSON file picked in this session, and the files added to its picker.
    std::string FJsonName;
    std::vector<std::string> FAddedJsonFiles;
};

} // namespace korvid
