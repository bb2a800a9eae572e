#pragma once

namespace korvid {

// The pages of the debugging bar that the go-to-tab commands select.
enum class TDebuggingTab { Breakpoints, CallStack, Structure, Watches };

// What the Subversion log and diff commands act on.
enum class TSubversionTarget { FavouritesItem, ActiveFile };

// The command handlers of the main window that the built-in tools run.
class TMainWindowCommands {
public:
    virtual ~TMainWindowCommands() = default;

    virtual void FileNew() = 0;
    virtual void FileOpen() = 0;
    virtual void FileSave() = 0;
    virtual void FileSaveAs() = 0;
    virtual void FileSaveAll() = 0;
    virtual void FileClose() = 0;
    virtual void FilePrint() = 0;
    virtual void FileReadOnly() = 0;
    virtual void FileSetPassword() = 0;
    virtual void ViewHistory() = 0;
    virtual void FileExit() = 0;
    virtual void EditUndo() = 0;
    virtual void EditRedo() = 0;
    virtual void EditCut() = 0;
    virtual void EditCutAppend() = 0;
    virtual void EditCopy() = 0;
    virtual void EditCopyAppend() = 0;
    virtual void EditPaste() = 0;
    virtual void EditSelectAll() = 0;
    virtual void EditFind() = 0;
    virtual void EditFindNext() = 0;
    virtual void EditReplace() = 0;
    virtual void EditGoTo() = 0;
    virtual void EditNewClipboard() = 0;
    virtual void EditPasteClipboard(int Number) = 0;
    virtual void EditToggleBookmark(int Number) = 0;
    virtual void EditGoToBookmark(int Number) = 0;
    virtual void ViewOptions() = 0;
    virtual void ViewOrganizeFiles() = 0;
    virtual void ViewStatusBar() = 0;
    virtual void InsertDate() = 0;
    virtual void InsertTime() = 0;
    virtual void InsertFilename() = 0;
    virtual void InsertPathname() = 0;
    virtual void InsertFile() = 0;
    virtual void FormatSort() = 0;
    virtual void FormatLowerCase() = 0;
    virtual void FormatUpperCase() = 0;
    virtual void FormatOppositeCase() = 0;
    virtual void FormatIndent() = 0;
    virtual void FormatUnindent() = 0;
    virtual void FavouritesAddFile() = 0;
    virtual void FavouritesNewFolder() = 0;
    virtual void FavouritesRemove() = 0;
    virtual void ViewFavouritesBar() = 0;
    virtual void HelpAbout() = 0;
    virtual void HistoryRemove() = 0;
    virtual void FavouritesOpen() = 0;
    virtual void HistoryOpen() = 0;
    virtual void FileRefresh() = 0;
    virtual void ViewDefineViews() = 0;
    virtual void ViewParagraphMarks() = 0;
    virtual void FileSendMail() = 0;
    virtual void FormatAsOneParagraph() = 0;
    virtual void FormatAsSeparateParagraphs() = 0;
    virtual void EditSelectDelimitedText() = 0;
    virtual void ViewCommandLines() = 0;
    virtual void ViewRunCommandLine() = 0;
    virtual void FileExploreFolder() = 0;
    virtual void HelpOnCurrentWord() = 0;
    virtual void EditRecordKeystrokes() = 0;
    virtual void EditPlayKeystrokes(bool Repeat) = 0;
    virtual void ViewResetToolbars() = 0;
    virtual void FormatAutoText() = 0;
    virtual void FavouritesAddVolume() = 0;
    virtual void CompareFiles(bool TheseFiles) = 0;
    virtual void FileMarkForComparison() = 0;
    virtual void FavouritesNewPSystemTextFile() = 0;
    virtual void ViewPSystemFiler() = 0;
    virtual void CompileSource(bool Override, bool WhenPaused) = 0;
    virtual void EditGoToLastEdit() = 0;
    virtual void EditGoToSearchResult(bool Straight) = 0;
    virtual void EditGoBack() = 0;
    virtual void EditApplyChanges() = 0;
    virtual void EditDeleteWord() = 0;
    virtual void EditFindInFolder() = 0;
    virtual void FileBrowseVolume() = 0;
    virtual void FileOpenRandom() = 0;
    virtual void FormatCentre() = 0;
    virtual void FilePrepareDefsHelp() = 0;
    virtual void ViewDebuggingBar() = 0;
    virtual void DebugConnection() = 0;
    virtual void ViewBringLineToMiddle() = 0;
    virtual void DebugGoToTab(TDebuggingTab Tab) = 0;
    virtual void DebugGoToAdjacentTab(bool Next) = 0;
    virtual void HelpKorvidHelp() = 0;
    virtual void ViewDefsEditor() = 0;
    virtual void FormatLintrel() = 0;
    virtual void EditFindInAllOpenDocuments() = 0;
    virtual void FavouritesLocateFile() = 0;
    virtual void SubversionUpdate() = 0;
    virtual void SubversionCommit() = 0;
    virtual void SubversionLog(TSubversionTarget Target) = 0;
    virtual void SubversionBrowse() = 0;
    virtual void DebugFindInCurrentSources() = 0;
    virtual void EditGoToAdjacentSearchResult(bool Next) = 0;
    virtual void FormatAsComment() = 0;
    virtual void SetSearchTermToSelection() = 0;
    virtual void FileCloseAll() = 0;
    virtual void EditAnchorSelection() = 0;
    virtual void EditCopyRecordedKeystrokes() = 0;
    virtual void EditPickRecordedKeystrokes() = 0;
    virtual void FavouritesOpenExternally() = 0;
    virtual void SubversionDiff(TSubversionTarget Target) = 0;
    virtual void EditGoToLastError() = 0;
};

// The command handlers of the debugger that the built-in tools run.
class TDebuggerCommands {
public:
    virtual ~TDebuggerCommands() = default;

    virtual void AddBreakpoint(bool RunToCursor) = 0;
    virtual void Pause() = 0;
    // Mode 0 resumes, 1 aborts.
    virtual void Resume(int Mode) = 0;
    virtual void DumpMemory() = 0;
    virtual void StepInto() = 0;
    virtual void StepOver() = 0;
    virtual void ShowExecutionPoint() = 0;
    virtual void ShowTableViewer() = 0;
    virtual void FindDeclaration(bool Undo) = 0;
    virtual void StepOut() = 0;
};

// The objects that the built-in tools call; a tool does nothing while its object is not set.
// The main window sets both when it has made them and clears them before they go.
void SetMainWindowCommands(TMainWindowCommands* Commands);
void SetDebuggerCommands(TDebuggerCommands* Commands);
TMainWindowCommands* MainWindowCommands();
TDebuggerCommands* DebuggerCommands();

} // namespace korvid
