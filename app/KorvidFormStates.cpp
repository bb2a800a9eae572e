#include "app/KorvidForm.h"

#include "app/Clipboards.h"
#include "app/MacrosAndCommandLines.h"

#include "workspace/Keystroke.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QClipboard>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <filesystem>

namespace korvid {
namespace T = ToolIndex;

namespace {

void Enable(int Index, bool Value) {
    ToolList().Items(Index)->SetEnabled(Value);
}

void EnableAll(std::initializer_list<int> Indexes, bool Value) {
    for (int Index : Indexes)
        Enable(Index, Value);
}

// Tool n of a numbered group whose tools run 1 ... 9, 0.
int NumberedTool(int First, int Number) {
    return First + (Number == 0 ? 9 : Number - 1);
}

} // namespace

void TKorvidForm::UpdateCommandStates() {
    if (FDestroying)
        return;
    TDocumentEditor* Editor = ActiveEditor();
    const bool TabOpen = CurrentTab() != nullptr;
    UpdateFirstPass(Editor, TabOpen);
    UpdateSecondPass(Editor, TabOpen);
}

void TKorvidForm::UpdateFirstPass(TDocumentEditor* Editor, bool TabOpen) {
    const bool ClipText = !QApplication::clipboard()->text().isEmpty();
    const bool HasName = Editor && Editor->HasFileName();
    const bool ReadOnly = Editor && Editor->ReadOnly();
    const bool HasSections = Editor && Editor->HasSectionNames();
    const int Kind = FavouritesTree().SelectedNodeKind();
    const bool SearchTab = FSearchResults->SearchResultTab() != nullptr;

    EnableAll({T::FileExploreFolder, T::FavouritesAddFile}, HasName);
    Enable(T::FavouritesOpen, Kind >= 2 && Kind <= 6);
    Enable(T::FavouritesOpenExternally, Kind >= 2 && Kind <= 6);
    Enable(T::FavouritesLocateFile, Kind == 2);
    Enable(T::FavouritesRemove, Kind == 1 || Kind == 2 || Kind == 3 || Kind == 5);
    Enable(T::FavouritesNewPSystemTextFile, Kind == 3 || Kind == 4 || Kind == 6);
    Enable(T::HistoryOpen, History().HasSelection());
    Enable(T::HistoryRemove, History().HasSelection() && History().IconThreadFinished());
    EnableAll({T::FileSave, T::FileSaveAs, T::FileSaveAll, T::FileClose, T::FileSetPassword,
               T::FilePrint, T::FileSendMail, T::FileReadOnly, T::ViewParagraphMarks,
               T::ViewBringLineToMiddle, T::CompileVoskSource, T::CompileWithOverride,
               T::CompileWhenPaused, T::EditSelectAll, T::EditSelectDelimitedText, T::EditFind,
               T::EditGoTo, T::EditGoToLastEdit},
              TabOpen);
    Enable(T::EditRecordKeystrokes, TabOpen && !IsPlayingKeystrokes());
    EnableAll({T::EditPlayKeystrokes, T::EditPlayKeystrokesRepeatedly},
              TabOpen && !Keystrokes().empty() && !IsRecordingKeystrokes() &&
                  !IsPlayingKeystrokes());
    EnableAll({T::FileRefresh, T::FileMarkForComparison}, TabOpen && HasName);
    Enable(T::FileBrowseVolume,
           TabOpen && HasName && Editor->FileName.find('>') != std::string::npos);
    Enable(T::ViewRunCommandLine, FMacros->HasActiveCommandLine());
    Enable(T::EditPaste, TabOpen && ClipText && !ReadOnly);
    Enable(T::EditNewClipboard, FClipboards->HasFreeNumber());
    for (int Number = 0; Number <= 9; ++Number)
        Enable(NumberedTool(T::EditPasteClipboard1, Number),
               TabOpen && FClipboards->Holds(Number) && !ReadOnly);
    Enable(T::EditFindNext, TabOpen && Search().CanRepeatSearch());
    EnableAll({T::EditReplace, T::EditApplyChanges, T::InsertFile, T::InsertDate, T::InsertTime,
               T::FormatIndent, T::FormatUnindent},
              TabOpen && !ReadOnly);
    EnableAll({T::InsertFilename, T::InsertPathname}, HasName && !ReadOnly);
    EnableAll({T::EditGoToSearchResult, T::EditGoStraightToSearchResult}, TabOpen && HasSections);
    EnableAll({T::EditGoToNextSearchResult, T::EditGoToPreviousSearchResult},
              TabOpen && (HasSections || SearchTab));
    Enable(T::EditGoBack, TabOpen && SearchTab);
    for (int Number = 0; Number <= 9; ++Number) {
        const bool Set = Editor && Editor->IsBookmarkSet(Number);
        Enable(NumberedTool(T::EditGoToBookmark1, Number), Set);
        ToolList().Items(NumberedTool(T::EditToggleBookmark1, Number))->SetUseSecondGlyph(Set);
    }
}

void TKorvidForm::UpdateSecondPass(TDocumentEditor* Editor, bool TabOpen) {
    const std::initializer_list<int> DocumentTools = {T::EditUndo,
                                                      T::EditRedo,
                                                      T::EditCut,
                                                      T::EditCutAppend,
                                                      T::EditCopy,
                                                      T::EditCopyAppend,
                                                      T::FormatLowerCase,
                                                      T::FormatUpperCase,
                                                      T::FormatOppositeCase,
                                                      T::FormatSort,
                                                      T::FormatAutoText,
                                                      T::FormatAsOneParagraph,
                                                      T::FormatAsSeparateParagraphs,
                                                      T::FormatAutoTextDropDown,
                                                      T::HelpOnCurrentWord};
    if (!TabOpen) {
        EnableAll(DocumentTools, false);
        Enable(T::FormatCentre, false);
        ToolList().Items(T::FileReadOnly)->SetDown(false);
        ToolList().Items(T::ViewParagraphMarks)->SetDown(false);
        return;
    }
    if (!Editor)
        return;
    const bool ClipText = !QApplication::clipboard()->text().isEmpty();
    const bool ReadOnly = Editor->ReadOnly();
    const bool Sel = Editor->HasSelection();
    const TDocumentView* View = Editor->View();
    Enable(T::EditUndo, Editor->CanUndo() && !ReadOnly);
    Enable(T::EditRedo, Editor->CanRedo() && !ReadOnly);
    Enable(T::EditCut, Sel && !ReadOnly);
    Enable(T::EditCutAppend, Sel && ClipText && !ReadOnly);
    Enable(T::EditCopy, true);
    Enable(T::EditCopyAppend, ClipText);
    EnableAll({T::FormatLowerCase, T::FormatUpperCase, T::FormatOppositeCase, T::FormatSort,
               T::FormatAutoText},
              !ReadOnly);
    EnableAll({T::FormatAsOneParagraph, T::FormatAsSeparateParagraphs}, Sel && !ReadOnly);
    // Centring works on the selected paragraphs like the other paragraph formats.
    Enable(T::FormatCentre, Sel && !ReadOnly);
    Enable(T::FormatAutoTextDropDown, !ReadOnly && View && View->AutoTextCount > 0);
    ToolList().Items(T::FileReadOnly)->SetDown(ReadOnly);
    ToolList().Items(T::ViewParagraphMarks)->SetDown(Editor->ShowsParagraphMarks());
    // Without a view's own help file the word is looked up in the manual.
    Enable(T::HelpOnCurrentWord, true);
}

void TKorvidForm::UpdateStatusBar(TDocumentEditor* Sender, int Line, int Column) {
    statusBar()->clearMessage();
    if (Sender && Line >= 1 && Line <= Sender->LineCount()) {
        const int Para = Sender->LineToPara(Line);
        SetStatusPanel(1, Sender->HasSelection() ? "Len " + std::to_string(Sender->GetSelTextLen())
                                                 : "Col " + std::to_string(Column));
        SetStatusPanel(0,
                       "Line " + std::to_string(Line) + "/" + std::to_string(Sender->LineCount()));
        SetStatusPanel(2, Sender->WordWrap() ? "Para " + std::to_string(Para) + "/" +
                                                   std::to_string(Sender->ParaCount())
                                             : std::string());
        const bool Modified = Sender->Modified();
        SetStatusPanel(3, Modified ? "Modified" : "");
        if (Modified) {
            if (Debugger().IsCurrentSource(Sender->FileName))
                Debugger().SourceChanged();
            // A start-up tab typed into is a document of its own now.
            if (FStartupTab && TabOfEditor(Sender) == FStartupTab)
                FStartupTab = nullptr;
        }
        UpdateTabCaptions();
        SetStatusPanel(4, Sender->ReadOnly() ? "Read-only" : "");
        SetStatusPanel(5, Sender->InsertMode() ? "" : "Overtype");
        SetStatusPanel(6, IsRecordingKeystrokes() ? "Recording" : "");
        SetStatusPanel(7, BackupsEnabled() ? "Backups" : "");
        SetStatusPanel(8, Debugger().StatusText());
        FDebuggerWindow->RefreshStructureForActiveTab();
    }
    UpdateCommandStates();
}

void TKorvidForm::ApplyPSystemAware() {
    Enable(T::ViewPSystemFiler, FOptions.PSystemAware);
    Debugger().UpdateDebuggingControls();
}

void TKorvidForm::ApplyScrollableTabs() {
    // Qt's tab bar has no rows; without scrolling the tabs share the width instead.
    FTabs->setUsesScrollButtons(FOptions.ScrollableTabs);
    FTabs->tabBar()->setExpanding(!FOptions.ScrollableTabs);
}

void TKorvidForm::ApplyVariableIcons() {
    FDebuggerWindow->RepaintViews();
}

void TKorvidForm::ApplyLineSpacing() {
    for (int Index = 0; Index < FTabs->count(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index)))
            Editor->SetExtraLineSpacing(FOptions.ExtraLineSpacing);
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->update();
}

void TKorvidForm::BringToFront() {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

} // namespace korvid
