#include "editor/EngCustomEditorWidget.h"

#include "editor/engine/EngCommand.h"
#include "platform/Cp1252.h"
#include "platform/QtVirtualKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <utility>

// Resources of a static library are registered by hand; outside any namespace by rule.
static void InitEditorResources() {
    Q_INIT_RESOURCE(editor);
}

namespace korvid {

namespace {

constexpr int AutoScrollInterval = 50;
constexpr QPoint MarginCursorHotSpot{10, 0};
constexpr char ParaMark = '\xAB';
constexpr char WrapMark = '\xBB';

} // namespace

TEngCustomEditorWidget::TEngCustomEditorWidget(QWidget* Parent, TEngController* Controller,
                                               const TEditorFactory& Factory)
    : QAbstractScrollArea(Parent), FCarets(viewport()),
      FHighlightColors(clHighlight, clHighlightText) {
    InitEditorResources();
    if (Controller == nullptr) {
        FOwnController = std::make_unique<TEngController>();
        Controller = FOwnController.get();
        FPoolTimer = std::make_unique<TEngQtTimer>(Controller->TimerPool());
    }
    FEditor = Factory ? Factory(*this, Controller)
                      : std::make_unique<TEngCustomEditor>(*this, Controller);

    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    FMarkers = QImage(QStringLiteral(":/editor/MARKERS"));
    FMarginCursor = QCursor(QPixmap(QStringLiteral(":/editor/MARGINCURSOR")),
                            MarginCursorHotSpot.x(), MarginCursorHotSpot.y());

    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int Action) { HorzAction(Action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int Action) { VertAction(Action); });
    FAutoScroll.setInterval(AutoScrollInterval);
    connect(&FAutoScroll, &QTimer::timeout, this, [this] { AutoScrollTick(); });

    FHighlightColors.OnChange = [this] {
        FEditor->HighlightBackColor = FHighlightColors.BackColor();
        FEditor->HighlightTextColor = FHighlightColors.TextColor();
        viewport()->update();
    };
    FFixedFont.OnChange = [this] { FontChanged(); };
    resize(200, 150);
    FontChanged();
    FWindowCreated = true;
    FEditor->WindowCreated();
}

TEngCustomEditorWidget::~TEngCustomEditorWidget() {
    if (FBusy)
        QApplication::restoreOverrideCursor();
    FFixedFont.OnChange = nullptr;
    FHighlightColors.OnChange = nullptr;
}

void TEngCustomEditorWidget::SetColor(TColor Value) {
    FColor = Value;
    viewport()->update();
}

QColor TEngCustomEditorWidget::Resolve(TColor C) const {
    return ColorToQColor(C, palette());
}

void TEngCustomEditorWidget::FontChanged() {
    const QFont& Font = FFixedFont.Font();
    FGlyphs.Font = QRawFont::fromFont(Font);
    FGlyphs.Ascent = QFontMetrics(Font).ascent();
    for (int B = 0; B < 256; ++B) {
        const QList<quint32> Index =
            FGlyphs.Font.glyphIndexesForString(ToQString(std::string(1, static_cast<char>(B))));
        FGlyphs.Glyphs[static_cast<std::size_t>(B)] = Index.isEmpty() ? 0 : Index.front();
    }
    if (FWindowCreated)
        Remeasure();
}

void TEngCustomEditorWidget::Remeasure() {
    // Measuring shows or hides scroll bars, which resizes the viewport again; the measuring
    // already running takes the new size into account.
    if (FMeasuring)
        return;
    FMeasuring = true;
    try {
        FEditor->Measure();
    } catch (...) {
        FMeasuring = false;
        throw;
    }
    FMeasuring = false;
}

// ---- Host ----

int TEngCustomEditorWidget::AverageCharWidth() {
    return std::max(QFontMetrics(FFixedFont.Font()).averageCharWidth(), 1);
}

int TEngCustomEditorWidget::FontLineHeight() {
    const QFontMetrics M(FFixedFont.Font());
    return M.height() + std::max(M.leading(), 0);
}

int TEngCustomEditorWidget::ClientWidth() {
    return viewport()->width();
}

int TEngCustomEditorWidget::ClientHeight() {
    return viewport()->height();
}

void TEngCustomEditorWidget::InvalidateAll() {
    viewport()->update();
}

void TEngCustomEditorWidget::InvalidateRect(const TPixelRect& Rect, bool) {
    viewport()->update(QRect(QPoint(Rect.Left, Rect.Top), QPoint(Rect.Right - 1, Rect.Bottom - 1)));
}

void TEngCustomEditorWidget::PaintNow() {
    if (FPainting || !viewport()->isVisible())
        viewport()->update();
    else
        viewport()->repaint();
}

void TEngCustomEditorWidget::ScrollPixels(const TPixelRect& Area, int Dx, int Dy) {
    // The caret's pixels move with the text; the place they land on is painted anew.
    const QRect Caret = FCarets.Rect();
    viewport()->scroll(Dx, Dy,
                       QRect(QPoint(Area.Left, Area.Top), QPoint(Area.Right - 1, Area.Bottom - 1)));
    if (!Caret.isEmpty())
        viewport()->update(Caret.translated(Dx, Dy));
}

void TEngCustomEditorWidget::SetScrollRange(TScrollBarKind Bar, int Min, int Max, int Page) {
    const bool Vertical = Bar == TScrollBarKind::Vertical;
    QScrollBar* B = Vertical ? verticalScrollBar() : horizontalScrollBar();
    const bool Hidden = Max <= Min || (Vertical && Max <= 1);
    const int Step = std::max(Page, 1);
    {
        const QSignalBlocker Block(B);
        // The last thumb position shows the last page, as the range and page say.
        B->setRange(Min, std::max(Min, Max - Step + 1));
        B->setPageStep(Step);
        B->setSingleStep(1);
    }
    const Qt::ScrollBarPolicy Policy = Hidden ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn;
    if (Vertical && verticalScrollBarPolicy() != Policy)
        setVerticalScrollBarPolicy(Policy);
    else if (!Vertical && horizontalScrollBarPolicy() != Policy)
        setHorizontalScrollBarPolicy(Policy);
}

void TEngCustomEditorWidget::SetScrollPos(TScrollBarKind Bar, int Pos) {
    QScrollBar* B = Bar == TScrollBarKind::Vertical ? verticalScrollBar() : horizontalScrollBar();
    const QSignalBlocker Block(B);
    B->setValue(Pos);
}

void TEngCustomEditorWidget::SetCaretCell(int Width, int Height, bool InsertMode) {
    FCarets.SetInsertMode(InsertMode);
    FCarets.SetCellWidth(Width);
    FCarets.SetCellHeight(Height);
}

void TEngCustomEditorWidget::SetCaretPos(int X, int Y) {
    const bool Off = X == TEngCustomEditor::OffWindow || Y == TEngCustomEditor::OffWindow;
    FCarets.SetPosition(Off ? -1 : FCarets.PlacementX(X), Off ? -1 : Y);
}

void TEngCustomEditorWidget::QueueCaretMoved(int Line, int Column) {
    QMetaObject::invokeMethod(
        this, [this, Line, Column] { FEditor->CaretMoved(Line, Column); }, Qt::QueuedConnection);
}

std::string TEngCustomEditorWidget::ClipboardText() {
    return FromQString(QApplication::clipboard()->text());
}

void TEngCustomEditorWidget::SetClipboardText(const std::string& Text) {
    QApplication::clipboard()->setText(ToQString(Text));
}

void TEngCustomEditorWidget::Beep() {
    QApplication::beep();
}

void TEngCustomEditorWidget::SetBusy(bool Busy) {
    if (Busy == FBusy)
        return;
    FBusy = Busy;
    if (Busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// ---- Keys ----

bool TEngCustomEditorWidget::event(QEvent* Event) {
    if (Event->type() == QEvent::ShortcutOverride) {
        // The editor and its key-down hook see every key before the window's shortcuts.
        Event->accept();
        return true;
    }
    if (Event->type() == QEvent::KeyPress) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        const bool IsTab = Key->key() == Qt::Key_Tab || Key->key() == Qt::Key_Backtab;
        if (IsTab && FEditor->WantTab &&
            !(Key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(Key);
            return true;
        }
    }
    return QAbstractScrollArea::event(Event);
}

void TEngCustomEditorWidget::keyPressEvent(QKeyEvent* Event) {
    const int Key = VirtualKeyFromEvent(*Event);
    const TModifiers Mods = ModifiersOfQt(Event->modifiers());
    Event->accept();
    if (Mods.Alt && !Mods.Ctrl)
        SysKeyDown(Key, Mods);
    else
        KeyDown(Key, Mods, Event->text());
}

// The window gets the first look at every key; it takes one by answering 0.
bool TEngCustomEditorWidget::KeyTakenByHook(int Key, TModifiers Mods) {
    if (!FEditor->OnWMKeyDown || KeyDownHookOff)
        return false;
    TEngKeyMessage Message{Key, EngShiftOf(Mods), -1};
    FEditor->OnWMKeyDown(Message);
    return Message.Result == 0;
}

void TEngCustomEditorWidget::KeyDown(int Key, TModifiers Mods, const QString& Text) {
    TEngCustomEditor& E = *FEditor;
    if (KeyTakenByHook(Key, Mods))
        return;
    const std::uint16_t Code = Controller().EntryCommands().TranslateKeys(Key, EngShiftOf(Mods));
    if (E.ProcessCommand(Code, static_cast<std::uint16_t>(Key))) {
        SyncInsertMode();
        Record(ksCommand, static_cast<std::uint16_t>(Key), Code);
        return;
    }
    if (Key == VK_TAB && E.WantTab) {
        E.PerformTab();
        Record(ksTab, 0, 0);
        return;
    }
    if (Key == VK_RETURN && E.WantEnter) {
        // Shift turns auto-indent round for this one Enter.
        const bool Used = Mods.Shift ? !E.AutoIndent : E.AutoIndent;
        E.PerformEnterIndenting(Used);
        Record(ksReturn, 0, Used ? 1 : 0);
        return;
    }
    FSwallowNextChar = Code == ccSwallowed || Key == VK_BACK;
    if (!FSwallowNextChar && !Mods.Ctrl && !Mods.Alt)
        TypeText(Text);
}

void TEngCustomEditorWidget::SysKeyDown(int Key, TModifiers Mods) {
    TEngCustomEditor& E = *FEditor;
    if (KeyTakenByHook(Key, Mods))
        return;
    if (Key == VK_TAB || Key == VK_MENU)
        return;
    const std::uint16_t Code = Controller().EntryCommands().TranslateKeys(Key, EngShiftOf(Mods));
    if (Code != 0 && E.ProcessCommand(Code, static_cast<std::uint16_t>(Key))) {
        SyncInsertMode();
        return;
    }
    OpenMenuOfMnemonic(Key);
}

// Alt with a letter that nothing else takes opens the window's menu of that letter, as the
// window system does for a key the editor passes on.
void TEngCustomEditorWidget::OpenMenuOfMnemonic(int Key) {
    const bool LetterOrDigit = (Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9');
    QMenuBar* Bar = window()->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!LetterOrDigit || Bar == nullptr || !Bar->isVisible())
        return;
    const QKeySequence Wanted(QKeyCombination(Qt::AltModifier, static_cast<Qt::Key>(Key)));
    for (QAction* Action : Bar->actions())
        if (Action->isVisible() && Action->isEnabled() && Action->menu() != nullptr &&
            QKeySequence::mnemonic(Action->text()) == Wanted) {
            Bar->setActiveAction(Action);
            return;
        }
}

void TEngCustomEditorWidget::TypeText(const QString& Text) {
    for (const char C : FromQString(Text)) {
        const auto Char = static_cast<unsigned char>(C);
        if (Char < 32)
            continue;
        FEditor->ProcessCommand(ccTypedChar, Char);
        Record(ksChar, Char, 0);
    }
}

void TEngCustomEditorWidget::inputMethodEvent(QInputMethodEvent* Event) {
    if (!Event->commitString().isEmpty())
        TypeText(Event->commitString());
    Event->accept();
}

QVariant TEngCustomEditorWidget::inputMethodQuery(Qt::InputMethodQuery Query) const {
    if (Query == Qt::ImCursorRectangle) {
        QRect R = FCarets.Rect();
        if (R.isEmpty())
            R = QRect(FCarets.X(), FCarets.Y(), 1, FCarets.CellHeight());
        return R.translated(viewport()->pos());
    }
    return QAbstractScrollArea::inputMethodQuery(Query);
}

void TEngCustomEditorWidget::Record(TKeystrokeKind Kind, std::uint16_t Data, std::uint16_t Code) {
    if (KeystrokeRecorder != nullptr && KeystrokeRecorder->Recording())
        KeystrokeRecorder->AddKeystroke(Kind, Data, Code);
}

void TEngCustomEditorWidget::SyncInsertMode() {
    if (FCarets.InsertMode() != FEditor->InsertMode())
        FCarets.SetInsertMode(FEditor->InsertMode());
}

// ---- Scroll bars ----

void TEngCustomEditorWidget::HorzAction(int Action) {
    TEngCustomEditor& E = *FEditor;
    QScrollBar* Bar = horizontalScrollBar();
    const int Page = std::max(E.VisibleColumns() - 1, 1);
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd:
        E.ScrollText(1, 0);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        E.ScrollText(-1, 0);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        E.ScrollText(Page, 0);
        break;
    case QAbstractSlider::SliderPageStepSub:
        E.ScrollText(-Page, 0);
        break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        if (Bar->sliderPosition() != E.LeftColumn())
            E.ScrollText(Bar->sliderPosition() - E.LeftColumn(), 0);
        return;
    default:
        return;
    }
    Bar->setSliderPosition(E.LeftColumn());
}

void TEngCustomEditorWidget::VertAction(int Action) {
    TEngCustomEditor& E = *FEditor;
    QScrollBar* Bar = verticalScrollBar();
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd:
        E.ScrollText(0, 1);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        E.ScrollText(0, -1);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        E.ScrollText(0, E.VisibleLines());
        break;
    case QAbstractSlider::SliderPageStepSub:
        E.ScrollText(0, -E.VisibleLines());
        break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: {
        // The thumb stays where it is dragged; its ends show the first and the last page.
        const int Pos = Bar->sliderPosition();
        int Top = Pos * E.VertScale();
        if (Pos <= Bar->minimum())
            Top = 1;
        else if (Pos >= Bar->maximum())
            Top = std::max(E.LineCount() - E.VisibleLines() + 1, 1);
        if (Top != E.TopLine())
            E.ScrollText(0, Top - E.TopLine());
        return;
    }
    default:
        return;
    }
    Bar->setSliderPosition(E.TopLine() / E.VertScale());
}

// ---- Painting ----

TSelectionSpan TEngCustomEditorWidget::ShownSelection() {
    TEngCustomEditor& E = *FEditor;
    if (!isEnabled() || !E.HasSelection() || (E.HideSelection() && !hasFocus()))
        return {};
    return {E.SelStart().Line, E.SelStart().Column, E.SelEnd().Line, E.SelEnd().Column};
}

void TEngCustomEditorWidget::paintEvent(QPaintEvent* Event) {
    FPainting = true;
    {
        QPainter P(viewport());
        PaintRows(P, Event->rect());
        FCarets.Paint(P);
    }
    // Scroll-bar updates wait until the pixels are done: they may resize the viewport.
    FEditor->PaintDone();
    FPainting = false;
}

void TEngCustomEditorWidget::PaintRows(QPainter& P, const QRect& Clip) {
    TEngCustomEditor& E = *FEditor;
    const int Cw = E.CharWidth();
    const int Lh = E.LineHeight();
    const int TextLeft = E.LeftMargin();
    const int TextRight = TextLeft + E.VisibleColumns() * Cw;
    const QColor Back = Resolve(FColor);
    const QColor Text = isEnabled() ? Resolve(FFixedFont.Color()) : Resolve(clGrayText);
    const TSelectionSpan Sel = ShownSelection();
    const TRowRange Rows = RowsToPaint(Clip.top(), Clip.bottom() + 1, Lh, E.VisibleLines());

    P.fillRect(QRect(0, Clip.top(), TextLeft, Clip.height()), Back);
    if (Clip.right() >= TextRight)
        P.fillRect(QRect(TextRight, Clip.top(), Clip.right() - TextRight + 1, Clip.height()), Back);
    if (E.ShowBookmarks())
        DrawBookmarks(P, Rows.First, Rows.Last);
    for (int Row = Rows.First; Row <= Rows.Last; ++Row)
        DrawLine(P, Row, Sel, Text, Back);
    if (Rows.Last > E.VisibleLines()) {
        const int Below = Rows.Last * Lh;
        if (Below <= Clip.bottom())
            P.fillRect(QRect(0, Below, viewport()->width(), Clip.bottom() - Below + 1), Back);
    }
    if (E.ShowRightMargin() && E.RightMarginPos() != 0) {
        const int X = TextLeft + (E.RightMarginPos() - E.LeftColumn()) * Cw;
        if (X >= TextLeft && X <= TextRight) {
            P.setPen(Resolve(E.RightMarginColor()));
            P.drawLine(X, Clip.top(), X, Clip.bottom());
        }
    }
}

void TEngCustomEditorWidget::DrawBookmarks(QPainter& P, int FirstRow, int LastRow) {
    TEngCustomEditor& E = *FEditor;
    const int W = FMarkers.width() / TParaList::BookmarkCount;
    const int H = FMarkers.height();
    if (W <= 0 || W > E.LeftMargin())
        return;
    for (int N = 0; N < TParaList::BookmarkCount; ++N) {
        const TTextPos B = E.Lines().Bookmark(N);
        if (B.Para < 1 || B.Para > E.ParaCount())
            continue;
        const int Row = E.Lines().LineOfPara(B.Para, std::max(B.Pos, 1)).first - E.TopLine() + 1;
        if (Row < FirstRow || Row > LastRow)
            continue;
        const QPoint At((E.LeftMargin() - W) / 2,
                        (Row - 1) * E.LineHeight() + (E.LineHeight() - H) / 2);
        P.drawImage(At, FMarkers, QRect(N * W, 0, W, H));
    }
}

void TEngCustomEditorWidget::DrawCells(QPainter& P, int X, int Top, std::string_view Text,
                                       QColor Fore, QColor Back) {
    const int Cw = FEditor->CharWidth();
    P.fillRect(QRect(X, Top, static_cast<int>(Text.size()) * Cw, FEditor->LineHeight()), Back);
    QList<quint32> Glyphs;
    QList<QPointF> Positions;
    Glyphs.reserve(static_cast<qsizetype>(Text.size()));
    Positions.reserve(static_cast<qsizetype>(Text.size()));
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == ' ')
            continue;
        Glyphs.push_back(FGlyphs.Glyphs[static_cast<unsigned char>(Text[I])]);
        Positions.push_back(QPointF(static_cast<double>(I) * Cw, 0));
    }
    if (Glyphs.isEmpty())
        return;
    QGlyphRun Run;
    Run.setRawFont(FGlyphs.Font);
    Run.setGlyphIndexes(Glyphs);
    Run.setPositions(Positions);
    P.setPen(Fore);
    P.drawGlyphRun(QPointF(X, Top + 1 + FGlyphs.Ascent), Run);
}

void TEngCustomEditorWidget::DrawLine(QPainter& P, int Row, const TSelectionSpan& Sel, QColor Text,
                                      QColor Back) {
    TEngCustomEditor& E = *FEditor;
    const int Cw = E.CharWidth();
    const int Lh = E.LineHeight();
    const int Line = E.TopLine() + Row - 1;
    const int Top = (Row - 1) * Lh;
    const int TextLeft = E.LeftMargin();
    const int Columns = E.VisibleColumns();
    const QRect RowRect(TextLeft, Top, Columns * Cw, Lh);
    TEngDrawLineArgs Args;
    Args.Canvas = &P;
    Args.Rect = {RowRect.left(), Top, TextLeft + Columns * Cw, Top + Lh};
    Args.Line = Line;
    Args.Pos = E.LeftColumn();
    Args.Count = Columns;
    Args.HBLine = Sel.BeginLine;
    Args.HBCol = Sel.BeginColumn;
    Args.HELine = Sel.EndLine;
    Args.HECol = Sel.EndColumn;

    if (Line > E.LineCount()) {
        if (!E.OnDrawLine || !E.DoDrawLine(Args))
            P.fillRect(RowRect, Back);
        return;
    }
    const std::string_view Full = E.Lines().LineText(Line);
    const std::string Shown = VisibleLineText(Full, E.TabSize(), E.LeftColumn(), Columns);
    Args.Text = Shown;
    const int Len = static_cast<int>(Shown.size());
    if (!E.DoDrawLine(Args)) {
        const QColor HiText = Resolve(E.HighlightTextColor);
        const QColor HiBack = Resolve(E.HighlightBackColor);
        for (const TTextRun& Run : SelectionRuns(Len, Line, E.LeftColumn(), Sel))
            DrawCells(P, TextLeft + Run.Start * Cw, Top,
                      std::string_view(Shown).substr(static_cast<std::size_t>(Run.Start),
                                                     static_cast<std::size_t>(Run.Length)),
                      Run.Selected ? HiText : Text, Run.Selected ? HiBack : Back);
        if (Len < Columns)
            P.fillRect(QRect(TextLeft + Len * Cw, Top, (Columns - Len) * Cw, Lh), Back);
    }

    const auto [Para, Offset] = E.Lines().ParaOfLine(Line);
    const bool LastOfPara =
        Offset + static_cast<int>(Full.size()) >= static_cast<int>(E.Lines().ParaText(Para).size());
    char Mark = 0;
    if (E.ShowParaMarks() && LastOfPara)
        Mark = ParaMark;
    else if (!E.ShowParaMarks() && E.WordWrap() && !LastOfPara)
        Mark = WrapMark;
    if (Mark == 0)
        return;
    // The mark's cell follows the whole line, which may lie left of the window.
    const int Width = ExpandedWidth(Full, E.TabSize(), E.LeftColumn() + Columns + 1);
    const int Cell = Width - E.LeftColumn();
    if (Cell < 0 || Cell >= Columns)
        return;
    const QColor MarkColour = QColor::fromRgb(MarkColor(Back.rgb()));
    DrawCells(P, TextLeft + Cell * Cw, Top, std::string_view(&Mark, 1), MarkColour, Back);
    if (Mark == WrapMark && Cell + 1 < Columns)
        P.fillRect(QRect(TextLeft + (Cell + 1) * Cw, Top, (Columns - Cell - 1) * Cw, Lh), Back);
}

// ---- Mouse ----

void TEngCustomEditorWidget::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(Event);
        return;
    }
    TEngCustomEditor& E = *FEditor;
    // The click that brought the focus is dropped when the form says so.
    if (std::exchange(FActivatingClick, false) && Controller().EatActivatingClick)
        return;
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    FMouseCaptured = E.LineCount() > 1 || E.Lines().LineLength(1) > 0;
    const QPoint At = Event->position().toPoint();
    const bool Shift = Event->modifiers() & Qt::ShiftModifier;
    const auto [Line, Pos] = E.PointToTextPos(At.x(), At.y());
    FMarginDrag = OverMargin(At.x());
    FDragPoint = At;
    if (FMarginDrag) {
        if (!Shift)
            FMarginAnchorLine = Line;
        SelectMarginLines(Line, Shift);
    } else {
        E.MoveCaret(Line, Pos, Shift);
        if (!Shift)
            FMarginAnchorLine = Line;
    }
}

void TEngCustomEditorWidget::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint At = Event->position().toPoint();
    viewport()->setCursor(OverMargin(At.x()) ? FMarginCursor : QCursor(Qt::IBeamCursor));
    if (!FMouseCaptured || !(Event->buttons() & Qt::LeftButton))
        return;
    FDragPoint = At;
    DragTo(At);
    const bool Outside = At.y() < 0 || At.y() >= viewport()->height();
    if (Outside && !FAutoScroll.isActive())
        FAutoScroll.start();
    else if (!Outside)
        FAutoScroll.stop();
}

void TEngCustomEditorWidget::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton) {
        FMouseCaptured = false;
        FAutoScroll.stop();
    }
}

void TEngCustomEditorWidget::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton)
        return;
    const QPoint At = Event->position().toPoint();
    const bool Shift = Event->modifiers() & Qt::ShiftModifier;
    const auto [Line, Pos] = FEditor->PointToTextPos(At.x(), At.y());
    FMouseCaptured = false;
    if (OverMargin(At.x()))
        SelectParaAt(Line, Shift);
    else
        SelectWordAt(Line, Pos, Shift);
}

void TEngCustomEditorWidget::DragTo(QPoint Point) {
    const auto [Line, Pos] = FEditor->PointToTextPos(Point.x(), Point.y());
    if (FMarginDrag)
        SelectMarginLines(Line, true);
    else
        FEditor->MoveCaret(Line, Pos, true);
}

void TEngCustomEditorWidget::AutoScrollTick() {
    if (!FMouseCaptured || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        FAutoScroll.stop();
        return;
    }
    DragTo(FDragPoint);
}

void TEngCustomEditorWidget::SelectMarginLines(int Line, bool Extend) {
    TEngCustomEditor& E = *FEditor;
    TParaList& L = E.Lines();
    const int Anchor = Extend ? FMarginAnchorLine : Line;
    const int From = std::min(Anchor, Line);
    const int To = std::max(Anchor, Line);
    const auto [FromPara, FromOffset] = L.ParaOfLine(From);
    TTextPos End;
    if (To < E.LineCount()) {
        const auto [Para, Offset] = L.ParaOfLine(To + 1);
        End = {Para, Offset + 1};
    } else {
        End = {E.ParaCount(), static_cast<int>(L.ParaText(E.ParaCount()).size()) + 1};
    }
    const TTextPos Start{FromPara, FromOffset + 1};
    if (Line >= Anchor)
        E.SetSelectionParas(Start, End, true);
    else
        E.SetSelectionParas(Start, End, false);
}

void TEngCustomEditorWidget::SelectWordAt(int Line, int Pos, bool Extend) {
    TEngCustomEditor& E = *FEditor;
    const std::string_view Text = E.Lines().LineText(Line);
    const int Len = static_cast<int>(Text.size());
    if (Len == 0) {
        E.MoveCaret(Line, 1, Extend);
        return;
    }
    int Start = std::min(Pos - 1, Len - 1);
    while (Start >= 0 && E.IsDelimiter(Text[static_cast<std::size_t>(Start)]))
        --Start;
    while (Start > 0 && !E.IsDelimiter(Text[static_cast<std::size_t>(Start - 1)]))
        --Start;
    Start = std::max(Start, 0);
    int End = Start;
    while (End < Len && !E.IsDelimiter(Text[static_cast<std::size_t>(End)]))
        ++End;
    while (End < Len && (Text[static_cast<std::size_t>(End)] == ' ' ||
                         Text[static_cast<std::size_t>(End)] == '\t'))
        ++End;
    const auto [Para, Offset] = E.Lines().ParaOfLine(Line);
    const TTextPos A{Para, Offset + Start + 1};
    const TTextPos B{Para, Offset + End + 1};
    if (!Extend) {
        E.SetSelectionParas(A, B, true);
        return;
    }
    const TTextPos Anchor = E.SelStart().P;
    const bool Before = A.Para < Anchor.Para || (A.Para == Anchor.Para && A.Pos < Anchor.Pos);
    const TTextPos To = Before ? A : B;
    E.MoveCaretToPara(To.Para, To.Pos, true);
}

void TEngCustomEditorWidget::SelectParaAt(int Line, bool Extend) {
    TEngCustomEditor& E = *FEditor;
    const int Para = E.Lines().ParaOfLine(Line).first;
    const TTextPos A{Para, 1};
    const TTextPos B = Para < E.ParaCount()
                           ? TTextPos{Para + 1, 1}
                           : TTextPos{Para, static_cast<int>(E.Lines().ParaText(Para).size()) + 1};
    if (!Extend) {
        E.SetSelectionParas(A, B, true);
        return;
    }
    const TTextPos Anchor = E.SelStart().P;
    const TTextPos To = A.Para < Anchor.Para ? A : B;
    E.MoveCaretToPara(To.Para, To.Pos, true);
}

// ---- Focus, size, state ----

void TEngCustomEditorWidget::focusInEvent(QFocusEvent* Event) {
    QAbstractScrollArea::focusInEvent(Event);
    FActivatingClick = Event->reason() == Qt::MouseFocusReason;
    FEditor->FocusEntered();
    FCarets.SetVisible(true);
    FCarets.SetShown(true);
    QMetaObject::invokeMethod(
        this, [this] { FEditor->AfterEnter(); }, Qt::QueuedConnection);
}

void TEngCustomEditorWidget::focusOutEvent(QFocusEvent* Event) {
    FCarets.SetVisible(false);
    FEditor->FocusLeft();
    QAbstractScrollArea::focusOutEvent(Event);
    QMetaObject::invokeMethod(
        this, [this] { FEditor->AfterExit(); }, Qt::QueuedConnection);
}

void TEngCustomEditorWidget::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    if (FWindowCreated)
        Remeasure();
}

void TEngCustomEditorWidget::changeEvent(QEvent* Event) {
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::EnabledChange || Event->type() == QEvent::PaletteChange)
        viewport()->update();
}

} // namespace korvid
