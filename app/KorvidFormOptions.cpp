#include "app/BackupUnit.h"
#include "app/KorvidForm.h"
#include "platform/Cp1252.h"
#include "ui/ModalRunner.h"
#include "workspace/CommandLine.h"
#include "workspace/LintrelForm.h"
#include "workspace/OptionsForm.h"

#include "editor/engine/EngCustomEditor.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>

#include <algorithm>

namespace korvid {

namespace {

TDateTimeValue DateTimeOf(const QDateTime& Moment) {
    const QDate D = Moment.date();
    const QTime T = Moment.time();
    return {D.year(), D.month(), D.day(), T.hour(), T.minute(), T.second(), T.msec()};
}

// Where a block markup goes: the paragraphs the selection touches, a selection that ends at the
// start of a line leaving that line out.
std::pair<int, int> SelectedParagraphs(TDocumentEditor& Editor) {
    int StartLine = 0, StartCol = 0, EndLine = 0, EndCol = 0;
    bool CaretAtEnd = true;
    Editor.GetSelectionAndCaretEnd(StartLine, StartCol, EndLine, EndCol, CaretAtEnd);
    if (EndCol <= 1 && EndLine > StartLine)
        --EndLine;
    return {Editor.LineToPara(StartLine), Editor.LineToPara(EndLine)};
}

void MoveToLineEnd(TDocumentEditor& Editor, int Line) {
    Editor.MoveCaretTo(Line, Editor.LineLength(Line) + 1);
}

void InsertBlockMarkup(TDocumentEditor& Editor, const TLintrelMarkup& Markup) {
    const int SuffixLength = int(Markup.Suffix.size());
    if (!Editor.HasSelection()) {
        const int Line = Editor.GetCaretLine();
        Editor.MoveCaretTo(Line, 1);
        Editor.InsertTextAtCaret(Markup.Prefix);
        if (!Markup.Suffix.empty()) {
            MoveToLineEnd(Editor, Editor.GetCaretLine());
            Editor.InsertTextAtCaret(Markup.Suffix);
            Editor.MoveCaretByColumns(-SuffixLength, false);
        }
        return;
    }
    const auto [First, Last] = SelectedParagraphs(Editor);
    for (int Para = First; Para <= Last; ++Para) {
        Editor.MoveCaretTo(Editor.ParaToLine(Para), 1);
        const bool Continues = Para > First && !Markup.Continuation.empty();
        Editor.InsertTextAtCaret(Continues ? Markup.Continuation : Markup.Prefix);
        if (!Markup.Suffix.empty()) {
            MoveToLineEnd(Editor, Editor.ParaToLastLine(Para));
            Editor.InsertTextAtCaret(Markup.Suffix);
        }
    }
    const int LastLine = Editor.ParaToLastLine(Last);
    Editor.SetSelection(Editor.ParaToLine(First), 1, LastLine, Editor.LineLength(LastLine) + 1,
                        true);
}

} // namespace

void InsertLintrelMarkup(TDocumentEditor& Editor, const TLintrelMarkup& Markup) {
    if (Markup.Kind == TLintrelMarkup::Wrap && Markup.Prefix.empty() && Markup.Suffix.empty())
        return;
    const bool State = Editor.BeginEdit();
    switch (Markup.Kind) {
    case TLintrelMarkup::Block:
        InsertBlockMarkup(Editor, Markup);
        break;
    case TLintrelMarkup::Text:
        Editor.InsertTextAtCaret(Markup.Prefix);
        break;
    case TLintrelMarkup::Wrap: {
        const std::string Selected = Editor.HasSelection() ? Editor.SelectedText() : std::string();
        Editor.InsertTextAtCaret(Markup.Prefix + Selected + Markup.Suffix);
        // Typing then goes between the two halves.
        if (Selected.empty() && !Markup.Suffix.empty())
            Editor.MoveCaretByColumns(-int(Markup.Suffix.size()), false);
        break;
    }
    }
    Editor.EndEdit(State);
}

TLintrelForm& TKorvidForm::LintrelForm() {
    if (!FLintrelForm)
        FLintrelForm = std::make_unique<TLintrelForm>(this);
    return *FLintrelForm;
}

void TKorvidForm::FormatLintrel() {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    auto& Dialog = LintrelForm();
    const int Result = RunModal(Dialog);
    // The kept dialog is only hidden: it must not keep the keyboard.
    if (QWidget* Focus = QApplication::focusWidget(); Focus && Dialog.isAncestorOf(Focus))
        Focus->clearFocus();
    FocusActiveEditor();
    if (Result == QDialog::Accepted)
        InsertLintrelMarkup(*Editor, Dialog.Markup());
}

void TKorvidForm::ViewOptions() {
    TOptionsFormSetup Setup;
    Setup.Created = DateTimeOf(FClock ? FClock() : QDateTime::currentDateTime());
    if (const TDocumentEditor* Editor = ActiveEditor())
        Setup.ActiveFileName = Editor->FileName;
    Setup.WindowFontSize = font().pointSize();
    Setup.BackupFolder = DefaultBackupFolder().string();
    for (int I = 0; I < FViews->Count(); ++I)
        if (const TDocumentView* View = FViews->Item(I))
            Setup.Views.push_back({View->Name, View->ShortCut});
    Setup.RunDetached = [this](const std::string& Line) { StartCommandLine(Line, Launcher()); };
    Setup.ReloadMapFile = [this](const std::string& Name) { Debugger().ReloadMapFile(Name); };
    TOptionsForm Dialog(std::move(Setup), this);
    TKorvidOptions Copy = FOptions;
    Dialog.SetOptions(Copy);
    if (OnOptionsFormCreated)
        OnOptionsFormCreated(Dialog);
    if (RunModal(Dialog) != QDialog::Accepted)
        return;
    Dialog.GetOptions(Copy);
    const bool TreeChanged = Copy.ShowLocalChildren != FOptions.ShowLocalChildren ||
                             Copy.ShowMinorVariables != FOptions.ShowMinorVariables ||
                             Copy.ShowVariableTypes != FOptions.ShowVariableTypes ||
                             Copy.SortProcedures != FOptions.SortProcedures;
    FOptions = std::move(Copy);

    TEngCustomEditor::MoveAfterPaste = FOptions.MoveAfterPaste;
    ApplyPSystemAware();
    ApplyScrollableTabs();
    ApplyVariableIcons();
    ApplyLineSpacing();
    FBackupTimer->stop();
    FBackupTimer->setInterval(BackupIntervalMs(std::max(FOptions.BackupMinutes, 1)));
    if (BackupsEnabled())
        FBackupTimer->start();
    ApplyExperimentalTools();
    UpdateTabCaptions();
    FDebuggerWindow->SetHintFont(FOptions.DebuggingBarFontName, FOptions.DebuggingBarFontSize);
    FDebuggerWindow->ApplyDebuggingBarPlace();
    if (TreeChanged)
        Debugger().BuildStructureTree();
    ApplyFavouritesOptions();
    UpdateCommandStates();
    StoreSettings();
}

} // namespace korvid
