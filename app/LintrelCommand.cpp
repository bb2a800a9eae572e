#include "app/LintrelCommand.h"

#include "app/DocumentEditor.h"
#include "app/WindowHost.h"
#include "ui/ModalRunner.h"
#include "workspace/LintrelForm.h"

#include <QApplication>

#include <utility>

namespace korvid {
namespace {

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

TLintrelCommand::TLintrelCommand(TWindowHost& Window, TLintrelHost& Host)
    : FWindow(Window), FHost(Host) {}

TLintrelCommand::~TLintrelCommand() = default;

TLintrelForm& TLintrelCommand::Form() {
    if (!FForm)
        FForm = std::make_unique<TLintrelForm>(FWindow.DialogParent());
    return *FForm;
}

void TLintrelCommand::Run() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    auto& Dialog = Form();
    const int Result = RunModal(Dialog);
    // The kept dialog is only hidden: it must not keep the keyboard.
    if (QWidget* Focus = QApplication::focusWidget(); Focus && Dialog.isAncestorOf(Focus))
        Focus->clearFocus();
    FHost.FocusActiveEditor();
    if (Result == QDialog::Accepted)
        InsertLintrelMarkup(*Editor, Dialog.Markup());
}

} // namespace korvid
