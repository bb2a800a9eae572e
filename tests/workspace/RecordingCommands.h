#pragma once

#include "workspace/ToolHandlers.h"

#include <string>
#include <utility>
#include <vector>

namespace korvid::test {

// Stands in for the main window and the debugger: every call is written down as the handler's
// name and its argument in the words the product description uses.
class TRecordingCommands : public TMainWindowCommands, public TDebuggerCommands {
public:
    using TCall = std::pair<std::string, std::string>;
    std::vector<TCall> Calls;

    TRecordingCommands() {
        SetMainWindowCommands(this);
        SetDebuggerCommands(this);
    }
    ~TRecordingCommands() override {
        SetMainWindowCommands(nullptr);
        SetDebuggerCommands(nullptr);
    }

    void FileNew() override { Record("TKorvidForm.FileNew", ""); }
    void FileOpen() override { Record("TKorvidForm.FileOpen", ""); }
    void FileSave() override { Record("TKorvidForm.FileSave", ""); }
    void FileSaveAs() override { Record("TKorvidForm.FileSaveAs", ""); }
    void FileSaveAll() override { Record("TKorvidForm.FileSaveAll", ""); }
    void FileClose() override { Record("TKorvidForm.FileClose", ""); }
    void FilePrint() override { Record("TKorvidForm.FilePrint", ""); }
    void FileReadOnly() override { Record("TKorvidForm.FileReadOnly", ""); }
    void FileSetPassword() override { Record("TKorvidForm.FileSetPassword", ""); }
    void ViewHistory() override { Record("TKorvidForm.ViewHistory", ""); }
    void FileExit() override { Record("TKorvidForm.FileExit", ""); }
    void EditUndo() override { Record("TKorvidForm.EditUndo", ""); }
    void EditRedo() override { Record("TKorvidForm.EditRedo", ""); }
    void EditCut() override { Record("TKorvidForm.EditCut", ""); }
    void EditCutAppend() override { Record("TKorvidForm.EditCutAppend", ""); }
    void EditCopy() override { Record("TKorvidForm.EditCopy", ""); }
    void EditCopyAppend() override { Record("TKorvidForm.EditCopyAppend", ""); }
    void EditPaste() override { Record("TKorvidForm.EditPaste", ""); }
    void EditSelectAll() override { Record("TKorvidForm.EditSelectAll", ""); }
    void EditFind() override { Record("TKorvidForm.EditFind", ""); }
    void EditFindNext() override { Record("TKorvidForm.EditFindNext", ""); }
    void EditReplace() override { Record("TKorvidForm.EditReplace", ""); }
    void EditGoTo() override { Record("TKorvidForm.EditGoTo", ""); }
    void EditNewClipboard() override { Record("TKorvidForm.EditNewClipboard", ""); }
    void EditPasteClipboard(int Number) override {
        Record("TKorvidForm.EditPasteClipboard", std::to_string(Number));
    }
    void EditToggleBookmark(int Number) override {
        Record("TKorvidForm.EditToggleBookmark", std::to_string(Number));
    }
    void EditGoToBookmark(int Number) override {
        Record("TKorvidForm.EditGoToBookmark", std::to_string(Number));
    }
    void ViewOptions() override { Record("TKorvidForm.ViewOptions", ""); }
    void ViewOrganizeFiles() override { Record("TKorvidForm.ViewOrganizeFiles", ""); }
    void ViewStatusBar() override { Record("TKorvidForm.ViewStatusBar", ""); }
    void InsertDate() override { Record("TKorvidForm.InsertDate", ""); }
    void InsertTime() override { Record("TKorvidForm.InsertTime", ""); }
    void InsertFilename() override { Record("TKorvidForm.InsertFilename", ""); }
    void InsertPathname() override { Record("TKorvidForm.InsertPathname", ""); }
    void InsertFile() override { Record("TKorvidForm.InsertFile", ""); }
    void FormatSort() override { Record("TKorvidForm.FormatSort", ""); }
    void FormatLowerCase() override { Record("TKorvidForm.FormatLowerCase", ""); }
    void FormatUpperCase() override { Record("TKorvidForm.FormatUpperCase", ""); }
    void FormatOppositeCase() override { Record("TKorvidForm.FormatOppositeCase", ""); }
    void FormatIndent() override { Record("TKorvidForm.FormatIndent", ""); }
    void FormatUnindent() override { Record("TKorvidForm.FormatUnindent", ""); }
    void FavouritesAddFile() override { Record("TKorvidForm.FavouritesAddFile", ""); }
    void FavouritesNewFolder() override { Record("TKorvidForm.FavouritesNewFolder", ""); }
    void FavouritesRemove() override { Record("TKorvidForm.FavouritesRemove", ""); }
    void ViewFavouritesBar() override { Record("TKorvidForm.ViewFavouritesBar", ""); }
    void HelpAbout() override { Record("TKorvidForm.HelpAbout", ""); }
    void HistoryRemove() override { Record("TKorvidForm.HistoryRemove", ""); }
    void FavouritesOpen() override { Record("TKorvidForm.FavouritesOpen", ""); }
    void HistoryOpen() override { Record("TKorvidForm.HistoryOpen", ""); }
    void FileRefresh() override { Record("TKorvidForm.FileRefresh", ""); }
    void ViewDefineViews() override { Record("TKorvidForm.ViewDefineViews", ""); }
    void ViewParagraphMarks() override { Record("TKorvidForm.ViewParagraphMarks", ""); }
    void FileSendMail() override { Record("TKorvidForm.FileSendMail", ""); }
    void FormatAsOneParagraph() override { Record("TKorvidForm.FormatAsOneParagraph", ""); }
    void FormatAsSeparateParagraphs() override {
        Record("TKorvidForm.FormatAsSeparateParagraphs", "");
    }
    void EditSelectDelimitedText() override { Record("TKorvidForm.EditSelectDelimitedText", ""); }
    void ViewCommandLines() override { Record("TKorvidForm.ViewCommandLines", ""); }
    void ViewRunCommandLine() override { Record("TKorvidForm.ViewRunCommandLine", ""); }
    void FileExploreFolder() override { Record("TKorvidForm.FileExploreFolder", ""); }
    void HelpOnCurrentWord() override { Record("TKorvidForm.HelpOnCurrentWord", ""); }
    void EditRecordKeystrokes() override { Record("TKorvidForm.EditRecordKeystrokes", ""); }
    void EditPlayKeystrokes(bool Repeat) override {
        Record("TKorvidForm.EditPlayKeystrokes", Repeat ? "repeat on" : "repeat off");
    }
    void ViewResetToolbars() override { Record("TKorvidForm.ViewResetToolbars", ""); }
    void FormatAutoText() override { Record("TKorvidForm.FormatAutoText", ""); }
    void FavouritesAddVolume() override { Record("TKorvidForm.FavouritesAddVolume", ""); }
    void CompareFiles(bool TheseFiles) override {
        Record("TKorvidForm.CompareFiles", TheseFiles ? "\"these files\"" : "not \"these files\"");
    }
    void FileMarkForComparison() override { Record("TKorvidForm.FileMarkForComparison", ""); }
    void FavouritesNewPSystemTextFile() override {
        Record("TKorvidForm.FavouritesNewPSystemTextFile", "");
    }
    void ViewPSystemFiler() override { Record("TKorvidForm.ViewPSystemFiler", ""); }
    void CompileSource(bool Override, bool WhenPaused) override {
        Record("TKorvidForm.CompileSource",
               Override     ? (WhenPaused ? "override, when paused" : "override")
               : WhenPaused ? "when paused"
                            : "plain");
    }
    void EditGoToLastEdit() override { Record("TKorvidForm.EditGoToLastEdit", ""); }
    void EditGoToSearchResult(bool Straight) override {
        Record("TKorvidForm.EditGoToSearchResult",
               Straight ? "straight (also closes the results)" : "not straight");
    }
    void EditGoBack() override { Record("TKorvidForm.EditGoBack", ""); }
    void EditApplyChanges() override { Record("TKorvidForm.EditApplyChanges", ""); }
    void EditDeleteWord() override { Record("TKorvidForm.EditDeleteWord", ""); }
    void EditFindInFolder() override { Record("TKorvidForm.EditFindInFolder", ""); }
    void FileBrowseVolume() override { Record("TKorvidForm.FileBrowseVolume", ""); }
    void FileOpenRandom() override { Record("TKorvidForm.FileOpenRandom", ""); }
    void FormatCentre() override { Record("TKorvidForm.FormatCentre", ""); }
    void FilePrepareDefsHelp() override { Record("TKorvidForm.FilePrepareDefsHelp", ""); }
    void ViewDebuggingBar() override { Record("TKorvidForm.ViewDebuggingBar", ""); }
    void DebugConnection() override { Record("TKorvidForm.DebugConnection", ""); }
    void ViewBringLineToMiddle() override { Record("TKorvidForm.ViewBringLineToMiddle", ""); }
    void DebugGoToTab(TDebuggingTab Tab) override {
        Record("TKorvidForm.DebugGoToTab", TabName(Tab));
    }
    void DebugGoToAdjacentTab(bool Next) override {
        Record("TKorvidForm.DebugGoToAdjacentTab", Next ? "next" : "previous");
    }
    void HelpKorvidHelp() override { Record("TKorvidForm.HelpKorvidHelp", ""); }
    void ViewDefsEditor() override { Record("TKorvidForm.ViewDefsEditor", ""); }
    void FormatLintrel() override { Record("TKorvidForm.FormatLintrel", ""); }
    void EditFindInAllOpenDocuments() override {
        Record("TKorvidForm.EditFindInAllOpenDocuments", "");
    }
    void FavouritesLocateFile() override { Record("TKorvidForm.FavouritesLocateFile", ""); }
    void SubversionUpdate() override { Record("TKorvidForm.SubversionUpdate", ""); }
    void SubversionCommit() override { Record("TKorvidForm.SubversionCommit", ""); }
    void SubversionLog(TSubversionTarget Target) override {
        Record("TKorvidForm.SubversionLog", TargetName(Target));
    }
    void SubversionBrowse() override { Record("TKorvidForm.SubversionBrowse", ""); }
    void DebugFindInCurrentSources() override {
        Record("TKorvidForm.DebugFindInCurrentSources", "");
    }
    void EditGoToAdjacentSearchResult(bool Next) override {
        Record("TKorvidForm.EditGoToAdjacentSearchResult", Next ? "next" : "previous");
    }
    void FormatAsComment() override { Record("TKorvidForm.FormatAsComment", ""); }
    void SetSearchTermToSelection() override { Record("TKorvidForm.SetSearchTermToSelection", ""); }
    void FileCloseAll() override { Record("TKorvidForm.FileCloseAll", ""); }
    void EditAnchorSelection() override { Record("TKorvidForm.EditAnchorSelection", ""); }
    void EditCopyRecordedKeystrokes() override {
        Record("TKorvidForm.EditCopyRecordedKeystrokes", "");
    }
    void EditPickRecordedKeystrokes() override {
        Record("TKorvidForm.EditPickRecordedKeystrokes", "");
    }
    void FavouritesOpenExternally() override { Record("TKorvidForm.FavouritesOpenExternally", ""); }
    void SubversionDiff(TSubversionTarget Target) override {
        Record("TKorvidForm.SubversionDiff", TargetName(Target));
    }
    void EditGoToLastError() override { Record("TKorvidForm.EditGoToLastError", ""); }

    void AddBreakpoint(bool RunToCursor) override {
        Record("TDebugger.AddBreakpoint",
               RunToCursor ? "run to cursor (temporary breakpoint)" : "breakpoint");
    }
    void Pause() override { Record("TDebugger.Pause", ""); }
    void Resume(int Mode) override { Record("TDebugger.Resume", Mode == 1 ? "abort" : "resume"); }
    void DumpMemory() override { Record("TDebugger.DumpMemory", ""); }
    void StepInto() override { Record("TDebugger.StepInto", ""); }
    void StepOver() override { Record("TDebugger.StepOver", ""); }
    void ShowExecutionPoint() override { Record("TDebugger.ShowExecutionPoint", ""); }
    void ShowTableViewer() override { Record("TDebugger.ShowTableViewer", ""); }
    void FindDeclaration(bool Undo) override {
        Record("TDebugger.FindDeclaration", Undo ? "undo" : "find");
    }
    void StepOut() override { Record("TDebugger.StepOut", ""); }

private:
    void Record(std::string Handler, std::string Argument) {
        Calls.emplace_back(std::move(Handler), std::move(Argument));
    }
    static std::string TabName(TDebuggingTab Tab) {
        switch (Tab) {
        case TDebuggingTab::Breakpoints:
            return "Breakpoints tab";
        case TDebuggingTab::CallStack:
            return "Call Stack tab";
        case TDebuggingTab::Structure:
            return "Structure tab";
        case TDebuggingTab::Watches:
            return "Watches tab";
        }
        return "?";
    }
    static std::string TargetName(TSubversionTarget Target) {
        return Target == TSubversionTarget::ActiveFile ? "active file" : "selected Favourites item";
    }
};

} // namespace korvid::test
