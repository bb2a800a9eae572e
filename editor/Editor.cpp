#include "editor/Editor.h"

#include "foundation/EncryptionEngine.h"
#include "foundation/TextFileWriter.h"
#include "platform/Cp1252.h"
#include "psystem/VolumePath.h"
#include "views/View.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace korvid {

namespace {

constexpr int WheelNotch = 120;
constexpr std::string_view WhiteSpaceDelimiters = "\t\n\r ";
// Longer than any line the engine keeps.
constexpr int WholeLine = INT_MAX;

std::string ExpandTabsForVolume(std::string_view Text, int TabSize) {
    std::string Line;
    Line.reserve(Text.size());
    for (const char C : Text) {
        if (C != '\t') {
            Line += C;
            continue;
        }
        Line += ' ';
        const int P = static_cast<int>(Line.size()); // 1-based position of that blank
        if (P % TabSize != 0)
            Line.append(static_cast<std::size_t>(TabSize - P % TabSize), ' ');
    }
    return Line;
}

} // namespace

TEditor::TEditor(QWidget* Parent, TEditorOwner* Owner, TEngController* Controller)
    : TEngTextFileEditorWidget(Parent, Controller), OwnerForm(Owner),
      PSystemTextStore(MakeVolumeTextStore()) {
    // Drops reach the scroll area through its viewport.
    setAcceptDrops(OwnerForm != nullptr);
    viewport()->setAcceptDrops(OwnerForm != nullptr);
}

TEditor::~TEditor() {
    if (TEditorDebugger* Debugger = EditorDebugger(); Debugger && Debugger->CurrentEditor == this)
        Debugger->CurrentEditor = nullptr;
    UnbindPlugin();
}

void TEditor::Initialise() {
    TEngCustomEditor& E = Editor();
    setFrameShape(QFrame::NoFrame);
    E.SetHideSelection(false);
    E.SetScrollBarsAlways(true);
    E.SetUndoBufferSize(UndoBufferBytes);
    E.WantTab = true;
    SetView(FView);
}

// ---- The document ----

const std::string& TEditor::GetDisplayName() {
    return HasFileName() ? FileName() : UntitledCaption;
}

std::string TEditor::GetShortDisplayName() {
    const std::string& Name = GetDisplayName();
    const std::size_t Slash = Name.find_last_of("\\/");
    return Slash == std::string::npos ? Name : Name.substr(Slash + 1);
}

std::vector<std::string> TEditor::Paragraphs() {
    TEngCustomEditor& E = Editor();
    std::vector<std::string> Result;
    Result.reserve(static_cast<std::size_t>(E.ParaCount()));
    for (int P = 1; P <= E.ParaCount(); ++P)
        Result.emplace_back(E.GetPara(P));
    return Result;
}

// ---- Saving ----

void TEditor::SaveToFile(std::string_view Name, const TTextSaveOptions& Options) {
    Editor().SaveToFile(Name, Options);
    SaveTime = QDateTime::currentDateTime();
}

bool TEditor::SaveEncrypted(const std::string& FileName) {
    try {
        WriteEncryptedFile(std::filesystem::path(FileName), Password, Paragraphs());
    } catch (const EFileSaveError&) {
        return false;
    } catch (const EEncryptionError&) {
        return false;
    }
    Editor().SetModified(false);
    SaveTime = QDateTime::currentDateTime();
    return true;
}

std::vector<std::string> TEditor::PSystemLines(const std::vector<std::string>& Paragraphs,
                                               int TabSize, bool PreserveSpaces,
                                               bool PreserveSolitary) {
    // Below 1 a tab stop would divide by zero.
    if (TabSize < 1)
        TabSize = TView::DefaultTabStops;
    std::vector<std::string> Lines;
    Lines.reserve(Paragraphs.size());
    for (const std::string& Paragraph : Paragraphs) {
        std::string Line = ExpandTabsForVolume(Paragraph, TabSize);
        if (!PreserveSpaces) {
            const std::size_t Last = Line.find_last_not_of(" \t");
            if (Last != std::string::npos)
                Line.erase(Last + 1);
            else if (!PreserveSolitary)
                Line.clear();
        }
        Lines.push_back(std::move(Line));
    }
    return Lines;
}

bool TEditor::SaveToPSystemVolume(const std::string& Name, bool Flag, bool PreserveSpaces,
                                  bool PreserveSolitary) {
    const std::vector<std::string> Lines =
        PSystemLines(Paragraphs(), Editor().TabSize(), PreserveSpaces, PreserveSolitary);
    const std::optional<TVolumePath> Path = ParseVolumePath(Name);
    if (!Path || PSystemTextStore == nullptr)
        return false;
    bool Saved = false;
    {
        const TEngBusy Busy(*this);
        Saved = PSystemTextStore->SaveTextFile(Path->VolumeFile, Path->Subvolume,
                                               Path->FileName.substr(0, 255), Lines, Flag,
                                               PSystemHeader ? &*PSystemHeader : nullptr);
    }
    if (Saved) {
        Editor().SetModified(false);
        SaveTime = QDateTime::currentDateTime();
    }
    return Saved;
}

// ---- Views ----

void TEditor::SetView(TView* View) {
    TEngCustomEditor& E = Editor();
    auto ShowStatus = std::exchange(E.OnShowStatus, nullptr);
    FView = View;
    ApplyView();
    if (OwnerForm != nullptr)
        OwnerForm->BuildViewsMenu();
    E.OnShowStatus = std::move(ShowStatus);
}

void TEditor::ViewChanged(const TView* View, int Kind) {
    if (View == nullptr || View != FView)
        return;
    if (Kind == vcChanged)
        ApplyView();
    else if (Kind == vcDeleted)
        SetView(OwnerForm != nullptr ? &OwnerForm->DefaultView() : nullptr);
}

void TEditor::ApplyView() {
    if (FView == nullptr)
        return;
    const TView& V = *FView;
    TEngCustomEditor& E = Editor();
    SetColor(V.BackgroundColour);
    HighlightColors().SetBackColor(V.SelectionBackgroundColour);
    HighlightColors().SetTextColor(V.SelectionTextColour);
    E.AutoIndent = V.AutoIndent;
    // A font that is not installed leaves the engine's fixed font as it was.
    FixedFont().SetColor(V.TextColour);
    FixedFont().SetName(V.FontName());
    FixedFont().SetSize(V.FontSize());
    QFont Plain = FixedFont().Font();
    Plain.setBold(false);
    Plain.setItalic(false);
    CharWidth = QFontMetrics(Plain).horizontalAdvance(QLatin1Char('X'));
    E.SetLeftMargin(V.LeftMarginWidth);
    E.SetRightMarginColor(V.RightMarginColour);
    E.SetRightMarginPos(V.RightMarginColumn);
    E.SetShowRightMargin(V.RightMarginVisible);
    E.SetTabSize(V.TabStops());
    E.SetTabType(static_cast<TTabType>(V.TabKey));
    E.WebScrolling = V.WebScrolling;
    E.SetWordDelimiters(V.WordDelimiters + std::string(WhiteSpaceDelimiters));
    ApplyWrap();
    BindPlugin();
    viewport()->update();
}

void TEditor::ApplyWrap() {
    const TView& V = *FView;
    TEngCustomEditor& E = Editor();
    switch (V.WrapType()) {
    case vwNone:
        E.SetWordWrap(false);
        E.SetWrapToWindow(false);
        E.SetWrapAtLeft(V.WrapAtLeft);
        E.SetScrollPastEnd(!V.WrapAtRight);
        return;
    case vwAtColumn:
        E.SetWrapToWindow(false);
        E.SetWrapColumn(V.WrapColumn());
        E.SetWordWrap(true);
        break;
    case vwAtWindow:
        E.SetWordWrap(true);
        // Off and on again forces a re-wrap to the window's present width.
        E.SetWrapToWindow(false);
        E.SetWrapToWindow(true);
        break;
    default:
        return;
    }
    // The caret lands on its line of the re-wrapped paragraph.
    E.MoveCaretToPara(E.CaretPara(), E.CaretPos());
}

// ---- Colouring ----

namespace {

// Without a plug-in a marked line is one run of plain text in the marker's colours.
void PlainChunks(void* Data, const char* /*Line*/, std::int32_t LineLength, std::int32_t /*LineNo*/,
                 TKorvidChunkProc ChunkProc, TKorvidGetLineProc /*GetLine*/) {
    if (LineLength > 0)
        ChunkProc(Data, 0, 0, LineLength);
}

} // namespace

void TEditor::BindPlugin() {
    UnbindPlugin();
    FBinding.Bind(*FView);
    BindDrawLine();
}

void TEditor::UnbindPlugin() {
    // The painter goes before the library that its chunk function lives in.
    Editor().OnDrawLine = nullptr;
    FBinding.Unbind();
}

void TEditor::BindDrawLine() {
    if (FBinding.IsBound() || !LineMarkers.empty())
        Editor().OnDrawLine = [this](TEngCustomEditor& Sender, TEngDrawLineArgs& Args) {
            DrawColouredLine(Sender, Args);
        };
    else
        Editor().OnDrawLine = nullptr;
}

void TEditor::DrawColouredLine(TEngCustomEditor& Sender, TEngDrawLineArgs& Args) {
    const bool Coloured = FBinding.IsBound();
    const bool Marked = std::find_if(LineMarkers.begin(), LineMarkers.end(), [&Args](int Marker) {
                            return Marker == Args.Line || Marker == -Args.Line;
                        }) != LineMarkers.end();
    Args.WasDrawn = (Coloured || Marked) && FView != nullptr && Args.Canvas != nullptr;
    if (!Args.WasDrawn)
        return;
    TEngCustomEditor& E = Editor();
    QPainter& Painter = *Args.Canvas;
    Painter.save();
    QFont Font = FixedFont().Font();
    Font.setBold(false);
    Font.setItalic(false);
    Painter.setFont(Font);
    TPainterRunCanvas Canvas(Painter, Color(), FixedFont().Color());

    TLineToDraw Line;
    Line.Canvas = &Canvas;
    Line.Foreign = FPrinting || &Sender != &E;
    Line.Rect = {Args.Rect.Left, Args.Rect.Top, Args.Rect.Right, Args.Rect.Bottom};
    // The plug-in reads the whole line: a line scrolled sideways is tokenised from its start.
    if (Args.Line >= 1 && Args.Line <= E.LineCount())
        Line.S = E.GetExpandedLine(Args.Line, WholeLine);
    Line.Line = Args.Line;
    Line.Pos = Args.Pos;
    Line.Count = E.WordWrap() ? E.WrapColumn() : Args.Count;
    Line.HBLine = Args.HBLine;
    Line.HBCol = Args.HBCol;
    Line.HELine = Args.HELine;
    Line.HECol = Args.HECol;
    PaintLine(Coloured ? FBinding.EnumChunks() : PlainChunks, std::move(Line));
    Painter.restore();
}

void TEditor::PrintRows(QPainter& Painter, const QRect& Clip) {
    FPrinting = true;
    try {
        PaintRows(Painter, Clip);
    } catch (...) {
        FPrinting = false;
        throw;
    }
    FPrinting = false;
}

bool TEditor::PrintLine(QPainter& Painter, int Para, std::string_view Text, const QRect& Row) {
    if (!FBinding.IsBound() || FView == nullptr)
        return false;
    TPainterRunCanvas Canvas(Painter, clWhite, clBlack);
    TLineToDraw Line;
    Line.Canvas = &Canvas;
    Line.Foreign = true;
    Line.Rect = {Row.left(), Row.top(), Row.right() + 1, Row.bottom() + 1};
    Line.S = Text;
    Line.Line = Para;
    Line.Count = static_cast<int>(Text.size());
    // Columns are measured in the printer's font for the time of the line.
    const int ScreenCharWidth = CharWidth;
    CharWidth = std::max(QFontMetrics(Painter.font(), Painter.device()).horizontalAdvance('X'), 1);
    PaintLine(FBinding.EnumChunks(), std::move(Line));
    CharWidth = ScreenCharWidth;
    return true;
}

void TEditor::GetLineText(int LineNo, char* Buffer) {
    TEngCustomEditor& E = Editor();
    std::string Text;
    if (E.WordWrap() && LineNo > 0) {
        if (LineNo > E.ParaCount())
            return;
        Text = E.GetPara(LineNo);
    } else {
        const long long Line = std::llabs(static_cast<long long>(LineNo));
        if (Line < 1 || Line > E.LineCount())
            return;
        Text = E.GetLine(static_cast<int>(Line), KorvidLineBufferSize - 1);
    }
    // Never more than the buffer holds, whatever a paragraph's length limit allows.
    const std::size_t Length =
        std::min(Text.size(), static_cast<std::size_t>(KorvidLineBufferSize - 1));
    std::memcpy(Buffer, Text.data(), Length);
    Buffer[Length] = '\0';
}

// ---- Line markers ----

void TEditor::AddLineMarker(int Line, bool IsExecutionPoint) {
    AddLineMarkerTo(LineMarkers, Line, IsExecutionPoint);
    BindDrawLine();
    if (TEditorDebugger* Debugger = EditorDebugger(); Debugger && IsExecutionPoint)
        Debugger->CurrentEditor = this;
    viewport()->update();
}

void TEditor::ClearLineMarkers() {
    LineMarkers.clear();
    BindDrawLine();
    viewport()->update();
}

void TEditor::ClearExecutionPoint(bool MakeBreakpoint) {
    if (LineMarkers.empty())
        return;
    ClearExecutionPointIn(LineMarkers, MakeBreakpoint);
    BindDrawLine();
    viewport()->update();
}

// ---- Section names ----

void TEditor::AddSectionName(const std::string& Name, int Line) {
    if (!FSectionNames)
        FSectionNames.emplace();
    FSectionNames->emplace_back(Name, Line);
}

std::string TEditor::GetSectionNameForLine(int Line) const {
    if (!FSectionNames)
        return {};
    std::string Name;
    for (const auto& [SectionName, SectionLine] : *FSectionNames) {
        if (SectionLine >= Line)
            break;
        Name = SectionName;
    }
    return Name;
}

// ---- Input ----

void TEditor::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton)
        MouseDownPoint = Event->position().toPoint();
    TEngTextFileEditorWidget::mousePressEvent(Event);
}

// On a search result's line a double-click goes to the result rather than selecting a word.
void TEditor::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton && HasSectionNames() && OwnerForm != nullptr) {
        const QPoint At = Event->position().toPoint();
        const auto [Line, Pos] = Editor().PointToTextPos(At.x(), At.y());
        Editor().MoveCaret(Line, Pos, false);
        if (OwnerForm->GoToSearchResult())
            return;
    }
    TEngTextFileEditorWidget::mouseDoubleClickEvent(Event);
}

void TEditor::mouseMoveEvent(QMouseEvent* Event) {
    LastMousePoint = Event->position().toPoint();
    if (TEditorDebugger* Debugger = EditorDebugger(); Debugger && Debugger->EvaluationHintsOn()) {
        std::string Word;
        GetWordUnderMouse(Word);
        Debugger->ShowEvaluationHint(Word, *this);
    }
    TEngTextFileEditorWidget::mouseMoveEvent(Event);
}

void TEditor::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint Moved = Event->position().toPoint() - MouseDownPoint;
    TEditorDebugger* Debugger = EditorDebugger();
    if (Debugger != nullptr && Event->button() == Qt::LeftButton &&
        std::abs(Moved.x()) < ClickSlop && std::abs(Moved.y()) < ClickSlop) {
        if (Event->modifiers() & Qt::ControlModifier) {
            std::string Word;
            GetWordUnderMouse(Word);
            Debugger->FindDeclaration(Word, false);
        } else if ((Event->modifiers() & Qt::AltModifier) && OwnerForm != nullptr) {
            std::string Word;
            GetWordUnderMouse(Word);
            OwnerForm->FindInCurrentSources(Word);
        }
    }
    TEngTextFileEditorWidget::mouseReleaseEvent(Event);
}

void TEditor::wheelEvent(QWheelEvent* Event) {
    Event->accept();
    // Touchpads send small steps: only whole notches scroll.
    FWheelDelta += Event->angleDelta().y();
    const int Notches = FWheelDelta / WheelNotch;
    FWheelDelta %= WheelNotch;
    const int LinesPerNotch = QApplication::wheelScrollLines();
    if (Notches == 0 || LinesPerNotch <= 0)
        return;
    Editor().ScrollText(0, -Notches * LinesPerNotch);
}

void TEditor::dragEnterEvent(QDragEnterEvent* Event) {
    if (OwnerForm != nullptr && Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TEditor::dropEvent(QDropEvent* Event) {
    if (OwnerForm == nullptr)
        return;
    std::vector<std::string> Names;
    for (const QUrl& Url : Event->mimeData()->urls())
        if (Url.isLocalFile())
            Names.push_back(FromQString(Url.toLocalFile()));
    Event->acceptProposedAction();
    if (!Names.empty())
        OwnerForm->OpenDroppedFiles(Names);
}

} // namespace korvid
