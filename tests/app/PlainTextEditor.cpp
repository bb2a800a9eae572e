#include "tests/app/PlainTextEditor.h"

#include "editor/Editor.h"
#include "foundation/EncryptionEngine.h"
#include "foundation/TextFileWriter.h"
#include "platform/Cp1252.h"

#include <QDateTime>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace korvid {
namespace {

constexpr QChar ParagraphSeparator(0x2029);

std::int64_t NowMilliseconds() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

TPlainTextEditor::TPlainTextEditor(QWidget* Parent)
    : TDocumentEditor(Parent), FEdit(new QPlainTextEdit(this)) {
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FEdit);
    FEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    FEdit->setFont(QFont("DejaVu Sans Mono"));
    FEdit->installEventFilter(this);
    FEdit->viewport()->installEventFilter(this);
    FEdit->setAcceptDrops(false);
    setAcceptDrops(true);
    setFocusProxy(FEdit);
    connect(FEdit, &QPlainTextEdit::cursorPositionChanged, this, [this] { ReportStatus(); });
    connect(FEdit->document(), &QTextDocument::modificationChanged, this,
            [this] { ReportStatus(); });
    connect(FEdit->document(), &QTextDocument::contentsChange, this,
            [this](int Position, int, int) { FLastEdit = Position; });
}

void TPlainTextEditor::ReportStatus() {
    if (!OnShowStatus)
        return;
    const QTextCursor Cursor = FEdit->textCursor();
    OnShowStatus(*this, Cursor.blockNumber() + 1, Cursor.positionInBlock() + 1);
}

bool TPlainTextEditor::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyPress && Watched == FEdit && OnKeyDown) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        bool Handled = false;
        OnKeyDown(*this, Key->key(), Key->modifiers(), Handled);
        if (Handled)
            return true;
    }
    if ((Event->type() == QEvent::DragEnter || Event->type() == QEvent::Drop) &&
        static_cast<QDropEvent*>(Event)->mimeData()->hasUrls()) {
        auto* Drop = static_cast<QDropEvent*>(Event);
        Drop->acceptProposedAction();
        if (Event->type() == QEvent::Drop && OnDropFiles) {
            std::vector<std::string> Names;
            for (const QUrl& Url : Drop->mimeData()->urls())
                Names.push_back(FromQString(Url.toLocalFile()));
            OnDropFiles(Names, Drop->modifiers().testFlag(Qt::ControlModifier));
        }
        return true;
    }
    return TDocumentEditor::eventFilter(Watched, Event);
}

std::vector<std::string> TPlainTextEditor::Paragraphs() const {
    std::vector<std::string> Lines;
    for (QTextBlock Block = FEdit->document()->begin(); Block.isValid(); Block = Block.next())
        Lines.push_back(FromQString(Block.text()));
    return Lines;
}

void TPlainTextEditor::SetParagraphs(const std::vector<std::string>& Lines) {
    QStringList Text;
    for (const auto& Line : Lines)
        Text << ToQString(Line);
    FEdit->setPlainText(Text.join('\n'));
}

void TPlainTextEditor::ClearAll() {
    FEdit->clear();
    ClearUndo();
}

void TPlainTextEditor::ClearUndo() {
    FEdit->document()->clearUndoRedoStacks();
}

bool TPlainTextEditor::CanUndo() const {
    return !ReadOnly() && FEdit->document()->isUndoAvailable();
}

bool TPlainTextEditor::CanRedo() const {
    return !ReadOnly() && FEdit->document()->isRedoAvailable();
}

void TPlainTextEditor::Undo() {
    FEdit->undo();
}

void TPlainTextEditor::Redo() {
    FEdit->redo();
}

bool TPlainTextEditor::Modified() const {
    return FEdit->document()->isModified();
}

void TPlainTextEditor::SetModified(bool Value) {
    FEdit->document()->setModified(Value);
}

bool TPlainTextEditor::ReadOnly() const {
    return FEdit->isReadOnly();
}

void TPlainTextEditor::SetReadOnly(bool Value) {
    FEdit->setReadOnly(Value);
}

bool TPlainTextEditor::HasSelection() const {
    return FEdit->textCursor().hasSelection();
}

int TPlainTextEditor::GetSelTextLen() const {
    const QString Text = FEdit->textCursor().selectedText();
    return int(Text.size() + Text.count(ParagraphSeparator));
}

void TPlainTextEditor::InsertTextAtCaret(std::string_view Text) {
    QString Value = ToQString(Text);
    Value.replace("\r\n", "\n");
    FEdit->textCursor().insertText(Value);
}

void TPlainTextEditor::CutToClipboard() {
    if (!FEdit->isReadOnly())
        FEdit->cut();
}

void TPlainTextEditor::CopyToClipboard() {
    FEdit->copy();
}

void TPlainTextEditor::PasteFromClipboard() {
    if (!FEdit->isReadOnly())
        FEdit->paste();
}

void TPlainTextEditor::SelectAll() {
    FEdit->selectAll();
}

std::string TPlainTextEditor::GetSectionNameForLine(int Line) const {
    std::string Name;
    for (const auto& [SectionName, SectionLine] : FSections) {
        if (SectionLine >= Line)
            break;
        Name = SectionName;
    }
    return Name;
}

int TPlainTextEditor::CaretLine() const {
    return FEdit->textCursor().blockNumber() + 1;
}

void TPlainTextEditor::MoveCaretTo(int Line, int Column) {
    QTextBlock Block = FEdit->document()->findBlockByNumber(std::max(Line - 1, 0));
    if (!Block.isValid())
        Block = FEdit->document()->lastBlock();
    QTextCursor Cursor(Block);
    Cursor.setPosition(Block.position() + std::min(std::max(Column - 1, 0), Block.length() - 1));
    FEdit->setTextCursor(Cursor);
}

int TPlainTextEditor::LineCount() const {
    return FEdit->document()->blockCount();
}

int TPlainTextEditor::ParaCount() const {
    return FEdit->document()->blockCount();
}

bool TPlainTextEditor::InsertMode() const {
    return !FEdit->overwriteMode();
}

bool TPlainTextEditor::IsBookmarkSet(int Number) const {
    return Number >= 0 && Number < int(Bookmarks.size()) && Bookmarks[Number] > 0;
}

bool TPlainTextEditor::BeginEdit() {
    FEditBlock = FEdit->textCursor();
    FEditBlock.beginEditBlock();
    return false;
}

void TPlainTextEditor::EndEdit(bool) {
    FEditBlock.endEditBlock();
}

std::string TPlainTextEditor::SelectedText() const {
    return FromQString(FEdit->textCursor().selectedText().replace(ParagraphSeparator, "\r\n"));
}

void TPlainTextEditor::SelectWordAtCaret(bool FirstCharOnly) {
    QTextCursor Cursor = FEdit->textCursor();
    if (Cursor.hasSelection())
        return;
    Cursor.select(QTextCursor::WordUnderCursor);
    if (FirstCharOnly && Cursor.hasSelection()) {
        Cursor.setPosition(Cursor.selectionStart());
        Cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    }
    FEdit->setTextCursor(Cursor);
}

bool TPlainTextEditor::MoveToNextWord() {
    QTextCursor Cursor = FEdit->textCursor();
    Cursor.clearSelection();
    Cursor.movePosition(QTextCursor::NextWord);
    FEdit->setTextCursor(Cursor);
    return FEdit->document()->characterAt(Cursor.position()).isLetterOrNumber();
}

bool TPlainTextEditor::GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine,
                                               int& EndCol, bool& CaretAtEnd) const {
    const QTextCursor Cursor = FEdit->textCursor();
    if (!Cursor.hasSelection())
        return false;
    const QTextBlock Start = FEdit->document()->findBlock(Cursor.selectionStart());
    const QTextBlock End = FEdit->document()->findBlock(Cursor.selectionEnd());
    StartLine = Start.blockNumber() + 1;
    StartCol = Cursor.selectionStart() - Start.position() + 1;
    EndLine = End.blockNumber() + 1;
    EndCol = Cursor.selectionEnd() - End.position() + 1;
    CaretAtEnd = Cursor.position() == Cursor.selectionEnd();
    return true;
}

void TPlainTextEditor::SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd) {
    auto Position = [this](int Line, int Col) {
        return FEdit->document()->findBlockByNumber(Line - 1).position() + Col - 1;
    };
    QTextCursor Cursor = FEdit->textCursor();
    Cursor.setPosition(CaretAtEnd ? Position(Line1, Col1) : Position(Line2, Col2));
    Cursor.setPosition(CaretAtEnd ? Position(Line2, Col2) : Position(Line1, Col1),
                       QTextCursor::KeepAnchor);
    FEdit->setTextCursor(Cursor);
}

int TPlainTextEditor::CaretPosInLine() const {
    return FEdit->textCursor().positionInBlock() + 1;
}

std::string TPlainTextEditor::GetCurrentLineText() const {
    return FromQString(FEdit->textCursor().block().text());
}

std::string TPlainTextEditor::GetCurrentWord() const {
    QTextCursor Cursor = FEdit->textCursor();
    Cursor.select(QTextCursor::WordUnderCursor);
    return FromQString(Cursor.selectedText());
}

std::string TPlainTextEditor::IdentifierAtCaret() const {
    const std::string Text = GetCurrentLineText();
    const std::string Delimiters =
        (View() ? View()->WordDelimiters : std::string(TView::DefaultWordDelimiters)) + " \t";
    return WordAtPosition(Text, CaretPosInLine(), [&Delimiters](char C) {
        return Delimiters.find(C) != std::string::npos;
    });
}

void TPlainTextEditor::MoveCaretByColumns(int Count, bool Extend) {
    QTextCursor Cursor = FEdit->textCursor();
    Cursor.movePosition(Count < 0 ? QTextCursor::Left : QTextCursor::Right,
                        Extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor,
                        std::abs(Count));
    FEdit->setTextCursor(Cursor);
}

int TPlainTextEditor::LineLength(int Line) const {
    return FEdit->document()->findBlockByNumber(Line - 1).length() - 1;
}

int TPlainTextEditor::GetMarkerPosition(int Number, int& Col) const {
    if (!IsBookmarkSet(Number))
        return -1;
    Col = 1;
    return Bookmarks[Number];
}

void TPlainTextEditor::SetMarker(int Number) {
    Bookmarks.at(Number) = CaretLine();
}

void TPlainTextEditor::ClearMarker(int Number) {
    Bookmarks.at(Number) = 0;
}

void TPlainTextEditor::GotoMarker(int Number) {
    if (IsBookmarkSet(Number))
        MoveCaretTo(Bookmarks[Number], 1);
}

void TPlainTextEditor::EachSelectedParagraph(
    const std::function<void(QTextCursor& AtStart)>& Edit) {
    const QTextCursor Cursor = FEdit->textCursor();
    QTextDocument& Document = *FEdit->document();
    const int First = Document.findBlock(Cursor.selectionStart()).blockNumber();
    const int Last = Document.findBlock(Cursor.selectionEnd()).blockNumber();
    const bool State = BeginEdit();
    for (int Number = First; Number <= Last; ++Number) {
        QTextCursor AtStart(Document.findBlockByNumber(Number));
        Edit(AtStart);
    }
    EndEdit(State);
}

void TPlainTextEditor::FormatIndent() {
    EachSelectedParagraph([](QTextCursor& AtStart) { AtStart.insertText("  "); });
}

void TPlainTextEditor::FormatUnindent() {
    EachSelectedParagraph([](QTextCursor& AtStart) {
        if (AtStart.block().text().startsWith("  ")) {
            AtStart.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 2);
            AtStart.removeSelectedText();
        }
    });
}

void TPlainTextEditor::FormatAsComment() {
    const QString Marker = View() ? ToQString(View()->CommentMarker) : QString();
    if (Marker.isEmpty())
        return;
    const bool Remove = FEdit->document()
                            ->findBlock(FEdit->textCursor().selectionStart())
                            .text()
                            .startsWith(Marker);
    EachSelectedParagraph([&](QTextCursor& AtStart) {
        if (!Remove) {
            AtStart.insertText(Marker);
        } else if (AtStart.block().text().startsWith(Marker)) {
            AtStart.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, int(Marker.size()));
            AtStart.removeSelectedText();
        }
    });
}

void TPlainTextEditor::FormatCentre() {
    constexpr int Width = 80;
    EachSelectedParagraph([](QTextCursor& AtStart) {
        const QString Text = AtStart.block().text();
        const QString Rest = Text.trimmed();
        AtStart.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        AtStart.insertText(Rest.isEmpty() ? QString()
                                          : QString((Width - Rest.size()) / 2, ' ') + Rest);
    });
}

void TPlainTextEditor::FormatAsOneParagraph() {
    QTextCursor Cursor = FEdit->textCursor();
    if (Cursor.hasSelection())
        Cursor.insertText(Cursor.selectedText().replace(ParagraphSeparator, ' '));
}

void TPlainTextEditor::AnchorSelection() {
    QTextCursor Cursor = FEdit->textCursor();
    if (FAnchor < 0) {
        FAnchor = Cursor.position();
        return;
    }
    const int Caret = Cursor.position();
    Cursor.setPosition(FAnchor);
    Cursor.setPosition(Caret, QTextCursor::KeepAnchor);
    FEdit->setTextCursor(Cursor);
    FAnchor = -1;
}

void TPlainTextEditor::GoToLastEdit() {
    if (FLastEdit < 0)
        return;
    QTextCursor Cursor = FEdit->textCursor();
    Cursor.setPosition(std::min(FLastEdit, FEdit->document()->characterCount() - 1));
    FEdit->setTextCursor(Cursor);
}

void TPlainTextEditor::DeleteWordLeft() {
    QTextCursor Cursor = FEdit->textCursor();
    Cursor.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
    Cursor.removeSelectedText();
}

void TPlainTextEditor::SetUpdatesSuspended(bool Suspended) {
    FEdit->setUpdatesEnabled(!Suspended);
}

void TPlainTextEditor::SaveToFile(const std::string& Name, const TDocumentSaveOptions& Options) {
    auto Lines = Paragraphs();
    if (!Options.PreserveSpaces)
        StripTrailingBlanks(Lines, Options.PreserveSolitarySpaces);
    TTextFileOptions FileOptions{Options.FinalLineEnd, Options.Utf8, Options.LineBreak,
                                 Options.ByteOrderMark};
    // As in the program's editor, an empty last paragraph is the line end of the one before.
    if (Lines.size() > 1 && Lines.back().empty()) {
        Lines.pop_back();
        FileOptions.FinalLineEnd = true;
    }
    WriteTextFile(Name, Lines, FileOptions);
    SetModified(false);
    SaveTime = NowMilliseconds();
}

void TPlainTextEditor::SaveEncrypted(const std::string& Name) {
    WriteEncryptedFile(Name, Password, Paragraphs());
    SetModified(false);
    SaveTime = NowMilliseconds();
}

bool TPlainTextEditor::SaveToPSystemVolume(const std::string& Name, bool MakeBackup,
                                           bool PreserveSpaces, bool PreserveSolitary) {
    const auto Lines =
        PSystemVolumeLines(Paragraphs(), TabSize(), PreserveSpaces, PreserveSolitary);
    if (!SaveLinesToVolume(Name, Lines, MakeBackup, PSystemHeader ? &*PSystemHeader : nullptr))
        return false;
    SetModified(false);
    SaveTime = NowMilliseconds();
    return true;
}

} // namespace korvid

namespace korvid {

std::string TPlainTextEditor::GetSelText() {
    QString Text = FEdit->textCursor().selectedText();
    Text.replace(ParagraphSeparator, "\r\n");
    return FromQString(Text);
}

bool TPlainTextEditor::GetSelection(int& StartLine, int& StartCol, int& EndLine, int& EndCol) {
    bool CaretAtEnd = false;
    return GetSelectionAndCaretEnd(StartLine, StartCol, EndLine, EndCol, CaretAtEnd);
}

QPoint TPlainTextEditor::GetSelectionScreenPoint() {
    return FEdit->viewport()->mapToGlobal(FEdit->cursorRect().topLeft());
}

int TPlainTextEditor::LineHeight() const {
    return FEdit->fontMetrics().height();
}

std::string TPlainTextEditor::CaretParagraphText() {
    return FromQString(FEdit->textCursor().block().text());
}

} // namespace korvid
