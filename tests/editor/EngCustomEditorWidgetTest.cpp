#include "editor/EngCustomEditorWidget.h"

#include "editor/EngQtTimer.h"
#include "editor/EngTextFileEditorWidget.h"
#include "editor/engine/EngCommand.h"
#include "tests/editor/engine/FakeEditorHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

namespace korvid {
namespace {

using test::LoadText;
using test::ParasOf;
using TParas = std::vector<std::string>;

struct TStep {
    TKeystrokeKind Kind;
    std::uint16_t Data;
    std::uint16_t Code;
    friend bool operator==(const TStep&, const TStep&) = default;
};

class TListRecorder : public TEngKeystrokeRecorder {
public:
    bool On = true;
    std::vector<TStep> Steps;
    bool Recording() const override { return On; }
    void AddKeystroke(TKeystrokeKind Kind, std::uint16_t Data, std::uint16_t Code) override {
        Steps.push_back({Kind, Data, Code});
    }
};

// Replays recorded steps the way the program's player does.
void Replay(TEngCustomEditor& E, const std::vector<TStep>& Steps) {
    for (const TStep& S : Steps) {
        switch (S.Kind) {
        case ksChar:
            E.ProcessCommand(ccTypedChar, S.Data);
            break;
        case ksCommand:
            E.ProcessCommand(S.Code, S.Data);
            break;
        case ksReturn: {
            const bool Saved = E.AutoIndent;
            E.AutoIndent = S.Code != 0;
            E.PerformEnter();
            E.AutoIndent = Saved;
            break;
        }
        case ksTab:
            E.PerformTab();
            break;
        default:
            break;
        }
    }
}

class Widget : public ::testing::Test {
protected:
    Widget() {
        SetFixedFontSource([] { return std::vector<std::string>{"DejaVu Sans Mono"}; });
        W = std::make_unique<TEngCustomEditorWidget>();
        W->FixedFont().SetSize(10);
        W->resize(400, 300);
        W->show();
        W->activateWindow();
        W->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(W.get()));
    }
    ~Widget() override {
        KeystrokeRecorder = nullptr;
        W.reset();
        SetFixedFontSource(nullptr);
    }

    TEngCustomEditor& E() { return W->Editor(); }
    QWidget* Port() { return W->viewport(); }
    // The middle of a character cell, 1-based.
    QPoint Cell(int Column, int Row) {
        return {E().LeftMargin() + (Column - 1) * E().CharWidth() + E().CharWidth() / 2,
                (Row - 1) * E().LineHeight() + E().LineHeight() / 2};
    }
    void Drag(QPoint To) {
        QMouseEvent Move(QEvent::MouseMove, To, Port()->mapToGlobal(To), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Port(), &Move);
    }

    std::unique_ptr<TEngCustomEditorWidget> W;
};

TEST_F(Widget, MeasuresItsFixedFont) {
    EXPECT_EQ(W->FixedFont().Name(), "DejaVu Sans Mono");
    EXPECT_GT(E().CharWidth(), 3);
    EXPECT_EQ(E().VisibleColumns(),
              (Port()->width() - E().LeftMargin() - E().RightMargin()) / E().CharWidth());
    EXPECT_EQ(E().VisibleLines(), Port()->height() / E().LineHeight());
}

TEST_F(Widget, TypingAndEnter) {
    QTest::keyClicks(W.get(), "ab c");
    QTest::keyClick(W.get(), Qt::Key_Return);
    QTest::keyClicks(W.get(), "d");
    EXPECT_EQ(ParasOf(E()), (TParas{"ab c", "d"}));
    EXPECT_EQ(E().CaretLine(), 2);
}

TEST_F(Widget, EnterKeepsTheIndentAndShiftEnterInvertsItOnce) {
    LoadText(E(), {"  ab"});
    E().MoveCaret(1, 5);
    QTest::keyClick(W.get(), Qt::Key_Return);
    QTest::keyClicks(W.get(), "x");
    EXPECT_EQ(ParasOf(E()), (TParas{"  ab", "x"})); // auto-indent is off

    E().AutoIndent = true;
    E().MoveCaret(1, 5);
    QTest::keyClick(W.get(), Qt::Key_Return);
    QTest::keyClicks(W.get(), "y");
    EXPECT_EQ(ParasOf(E()), (TParas{"  ab", "  y", "x"}));

    E().MoveCaret(1, 5);
    QTest::keyClick(W.get(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(W.get(), "z");
    EXPECT_EQ(ParasOf(E()), (TParas{"  ab", "z", "  y", "x"}));
    EXPECT_TRUE(E().AutoIndent);
}

TEST_F(Widget, CtrlZUndoes) {
    QTest::keyClicks(W.get(), "abc");
    ASSERT_TRUE(E().CanUndo());
    while (E().CanUndo())
        QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ParasOf(E()), TParas{""});
    QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(ParasOf(E()), TParas{""});
}

TEST_F(Widget, CtrlCombinationsTypeNothing) {
    QTest::keyClick(W.get(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(W.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(ParasOf(E()), TParas{""});
}

TEST_F(Widget, WordStarSequences) {
    W->Controller().EntryCommands().FindTable("WordStar")->Active = true;
    LoadText(E(), {"abc"});
    E().MoveCaret(1, 4);
    // The first key of a sequence is swallowed with its character; the second completes it.
    QTest::keyClick(W.get(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(W.get(), Qt::Key_S);
    EXPECT_EQ(ParasOf(E()), TParas{"abc"});
    EXPECT_EQ(E().CaretPos(), 1);
    QTest::keyClick(W.get(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(W.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(E().CaretPos(), 4);
    // A second key that completes nothing drops the sequence and types as usual.
    QTest::keyClick(W.get(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClicks(W.get(), "x");
    EXPECT_EQ(ParasOf(E()), TParas{"abcx"});
}

TEST_F(Widget, AKeyDownHandlerCanTakeAKey) {
    TListRecorder Recorder;
    KeystrokeRecorder = &Recorder;
    std::vector<int> Seen;
    E().OnWMKeyDown = [&](TEngKeyMessage& M) {
        Seen.push_back(M.Key);
        if (M.Key == VkOfChar('a') || M.Key == VK_RETURN)
            M.Result = 0;
    };
    QTest::keyClicks(W.get(), "abc");
    QTest::keyClick(W.get(), Qt::Key_Return);
    EXPECT_EQ(ParasOf(E()), TParas{"bc"});
    EXPECT_EQ(Seen, (std::vector<int>{VkOfChar('a'), VkOfChar('b'), VkOfChar('c'), VK_RETURN}));
    EXPECT_EQ(Recorder.Steps.size(), 2u);

    TEngCustomEditorWidget::KeyDownHookOff = true;
    QTest::keyClicks(W.get(), "a");
    TEngCustomEditorWidget::KeyDownHookOff = false;
    EXPECT_EQ(ParasOf(E()), TParas{"bca"});
}

TEST_F(Widget, RecordingReplaysTheEdit) {
    TListRecorder Recorder;
    KeystrokeRecorder = &Recorder;
    E().WantTab = true;
    E().AutoIndent = true;
    QTest::keyClicks(W.get(), " ab");
    QTest::keyClick(W.get(), Qt::Key_Return);
    QTest::keyClick(W.get(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(W.get(), Qt::Key_Tab);
    QTest::keyClicks(W.get(), "cd");
    QTest::keyClick(W.get(), Qt::Key_Left);
    QTest::keyClick(W.get(), Qt::Key_Backspace);
    QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(W.get(), Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(W.get(), "e");

    const std::vector<TStep>& S = Recorder.Steps;
    ASSERT_GE(S.size(), 6u);
    EXPECT_EQ(S[0], (TStep{ksChar, ' ', 0}));
    EXPECT_EQ(S[3], (TStep{ksReturn, 0, 1}));
    EXPECT_EQ(S[4], (TStep{ksReturn, 0, 0}));
    EXPECT_EQ(S[5], (TStep{ksCommand, VK_TAB, ccTab}));
    EXPECT_NE(std::find(S.begin(), S.end(), TStep{ksCommand, VK_BACK, ccBack}), S.end());
    EXPECT_NE(std::find(S.begin(), S.end(), TStep{ksCommand, VkOfChar('z'), ccUndo}), S.end());

    test::TFakeEditorHost Host;
    TEngController Controller;
    TEngCustomEditor Copy(Host, &Controller);
    Copy.WindowCreated();
    Copy.AutoIndent = true;
    Replay(Copy, S);
    EXPECT_EQ(ParasOf(Copy), ParasOf(E()));
}

TEST_F(Widget, TabMovesTheFocusUnlessWanted) {
    QWidget Form;
    auto* Editor = new TEngCustomEditorWidget(&Form);
    auto* Next = new QWidget(&Form);
    Next->setFocusPolicy(Qt::StrongFocus);
    Form.show();
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Editor->setFocus();
    QTest::keyClick(Editor, Qt::Key_Tab);
    EXPECT_EQ(ParasOf(Editor->Editor()), TParas{""});
    EXPECT_TRUE(Next->hasFocus());

    Editor->Editor().WantTab = true;
    Editor->setFocus();
    QTest::keyClick(Editor, Qt::Key_Tab);
    EXPECT_EQ(ParasOf(Editor->Editor()), TParas{"\t"});
    EXPECT_TRUE(Editor->hasFocus());
}

TEST_F(Widget, ThumbDragToTheEndOfALongText) {
    std::vector<std::string> Lines(70000);
    for (std::size_t I = 0; I < Lines.size(); ++I)
        Lines[I] = "line " + std::to_string(I + 1);
    LoadText(E(), Lines);
    E().UpdateVertRange();
    QScrollBar* Bar = W->verticalScrollBar();
    ASSERT_TRUE(Bar->isVisible());
    EXPECT_EQ(E().VertScale(), 4);
    Bar->setSliderDown(true);
    Bar->setSliderPosition(Bar->maximum());
    Bar->setSliderDown(false);
    EXPECT_EQ(E().TopLine(), 70000 - E().VisibleLines() + 1);
    Bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(E().TopLine(), 70000 - E().VisibleLines());
    Bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(E().TopLine(), 1);
    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(E().TopLine(), 1 + E().VisibleLines());
    EXPECT_EQ(Bar->value(), E().TopLine() / 4);
}

TEST_F(Widget, HorizontalBarScrollsByColumnsAndPages) {
    LoadText(E(), {std::string(300, 'x')});
    QScrollBar* Bar = W->horizontalScrollBar();
    ASSERT_TRUE(Bar->isVisible());
    Bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(E().LeftColumn(), 1);
    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(E().LeftColumn(), 1 + E().VisibleColumns() - 1);
    EXPECT_EQ(Bar->value(), E().LeftColumn());
    Bar->setSliderDown(true);
    Bar->setSliderPosition(40);
    Bar->setSliderDown(false);
    EXPECT_EQ(E().LeftColumn(), 40);
    Bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(E().LeftColumn(), 0);
}

TEST_F(Widget, DragSelects) {
    LoadText(E(), {"first line", "second line", "third line"});
    QTest::mousePress(Port(), Qt::LeftButton, {}, Cell(3, 1) - QPoint(E().CharWidth() / 2, 0));
    Drag(Cell(4, 3) - QPoint(E().CharWidth() / 2, 0));
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, Cell(4, 3) - QPoint(E().CharWidth() / 2, 0));
    EXPECT_EQ(E().SelectedText(), "rst line\r\nsecond line\r\nthi");
}

TEST_F(Widget, DragBelowTheWindowScrollsOnItsOwn) {
    std::vector<std::string> Lines(200, "text");
    LoadText(E(), Lines);
    QTest::mousePress(Port(), Qt::LeftButton, {}, QPoint(E().LeftMargin(), 2));
    Drag(QPoint(Cell(2, 1).x(), Port()->height() + 20));
    const int Top = E().TopLine();
    EXPECT_TRUE(QTest::qWaitFor([&] { return E().TopLine() > Top + 2; }, 2000));
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, Cell(2, 5));
    EXPECT_TRUE(E().HasSelection());
    EXPECT_EQ(E().SelStart().P, (TTextPos{1, 1}));
}

TEST_F(Widget, DoubleClickSelectsAWord) {
    LoadText(E(), {"one two,three"});
    QTest::mouseDClick(Port(), Qt::LeftButton, {}, Cell(6, 1));
    EXPECT_EQ(E().SelectedText(), "two");
    QTest::mouseDClick(Port(), Qt::LeftButton, {}, Cell(2, 1));
    EXPECT_EQ(E().SelectedText(), "one "); // with the blank after it
}

TEST_F(Widget, MarginClickSelectsALine) {
    LoadText(E(), {"one", "two", "three"});
    const QPoint Margin(3, Cell(1, 2).y());
    QTest::mouseClick(Port(), Qt::LeftButton, {}, Margin);
    EXPECT_EQ(E().SelectedText(), "two\r\n");
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::ShiftModifier, QPoint(3, Cell(1, 3).y()));
    EXPECT_EQ(E().SelectedText(), "two\r\nthree");
    QTest::mouseDClick(Port(), Qt::LeftButton, {}, QPoint(3, Cell(1, 1).y()));
    EXPECT_EQ(E().SelectedText(), "one\r\n");
}

TEST_F(Widget, ActivatingClickCanBeEaten) {
    LoadText(E(), {"one two"});
    W->clearFocus();
    W->Controller().EatActivatingClick = true;
    QTest::mouseClick(Port(), Qt::LeftButton, {}, Cell(5, 1));
    EXPECT_EQ(E().CaretPos(), 1);
    EXPECT_TRUE(W->hasFocus());
    QTest::mouseClick(Port(), Qt::LeftButton, {}, Cell(3, 1) - QPoint(E().CharWidth() / 2, 0));
    EXPECT_EQ(E().CaretPos(), 3); // clicks in the focused editor count
    W->clearFocus();
    W->Controller().EatActivatingClick = false;
    QTest::mouseClick(Port(), Qt::LeftButton, {}, Cell(5, 1) - QPoint(E().CharWidth() / 2, 0));
    EXPECT_EQ(E().CaretPos(), 5);
    EXPECT_TRUE(W->hasFocus());
}

TEST_F(Widget, CaretFollowsTheModeAndAnswersTheInputMethod) {
    QTest::keyClicks(W.get(), "ab");
    QApplication::processEvents();
    const QRect Caret = W->Carets().Rect();
    ASSERT_FALSE(Caret.isEmpty());
    EXPECT_EQ(Caret.left(), E().LeftMargin() + 2 * E().CharWidth() - 1);
    EXPECT_EQ(Caret.width(), 2);
    EXPECT_EQ(W->inputMethodQuery(Qt::ImCursorRectangle).toRect(), Caret.translated(Port()->pos()));
    QTest::keyClick(W.get(), Qt::Key_Insert);
    EXPECT_FALSE(E().InsertMode());
    EXPECT_EQ(W->Carets().Rect().width(), E().CharWidth());
    W->clearFocus();
    EXPECT_TRUE(W->Carets().Rect().isEmpty());
}

TEST_F(Widget, ShowStatusArrivesLater) {
    std::vector<std::pair<int, int>> Reports;
    E().OnShowStatus = [&](TEngCustomEditor&, int Line, int Column) {
        Reports.emplace_back(Line, Column);
    };
    QTest::keyClicks(W.get(), "abc");
    QApplication::processEvents();
    ASSERT_FALSE(Reports.empty());
    EXPECT_EQ(Reports.back(), (std::pair{1, 4}));
}

// ---- Rendering ----

class Rendering : public Widget {
protected:
    Rendering() {
        W->SetColor(RGB(255, 255, 255));
        W->FixedFont().SetColor(clBlack);
        W->FixedFont().SetSize(16);
        W->HighlightColors().SetBackColor(RGB(0, 0, 128));
        W->HighlightColors().SetTextColor(RGB(255, 255, 255));
        E().SetHideSelection(false);
        W->clearFocus(); // no caret in the pictures
    }
    QImage Picture() { return Port()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect CellRect(int Column, int Row) {
        return {E().LeftMargin() + (Column - 1) * E().CharWidth(), (Row - 1) * E().LineHeight(),
                E().CharWidth(), E().LineHeight()};
    }
    static bool Holds(const QImage& Image, const QRect& R, QRgb Colour) {
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            for (int X = R.left(); X <= R.right(); ++X)
                if ((Image.pixel(X, Y) & 0xFFFFFF) == (Colour & 0xFFFFFF))
                    return true;
        return false;
    }
    static bool Only(const QImage& Image, const QRect& R, QRgb Colour) {
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            for (int X = R.left(); X <= R.right(); ++X)
                if ((Image.pixel(X, Y) & 0xFFFFFF) != (Colour & 0xFFFFFF))
                    return false;
        return true;
    }
};

TEST_F(Rendering, SelectedRunInHighlightColours) {
    LoadText(E(), {"hello world"});
    E().SetSelectionParas({1, 3}, {1, 6}, true);
    const QImage Image = Picture();
    const QRgb Navy = qRgb(0, 0, 128);
    EXPECT_FALSE(Holds(Image, CellRect(2, 1), Navy));
    EXPECT_TRUE(Holds(Image, CellRect(3, 1), Navy));
    EXPECT_TRUE(Holds(Image, CellRect(3, 1), qRgb(255, 255, 255))); // the glyph
    EXPECT_TRUE(Only(Image, CellRect(5, 1).adjusted(0, 0, 0, -E().LineHeight() / 2), Navy) ||
                Holds(Image, CellRect(5, 1), Navy));
    EXPECT_FALSE(Holds(Image, CellRect(6, 1), Navy));
    EXPECT_TRUE(Holds(Image, CellRect(1, 1), qRgb(0, 0, 0)));
}

TEST_F(Rendering, HiddenSelectionShowsOnlyWithTheFocus) {
    LoadText(E(), {"hello"});
    E().SetSelectionParas({1, 1}, {1, 3}, true);
    E().SetHideSelection(true);
    EXPECT_FALSE(Holds(Picture(), CellRect(1, 1), qRgb(0, 0, 128)));
    W->setFocus();
    EXPECT_TRUE(Holds(Picture(), CellRect(1, 1), qRgb(0, 0, 128)));
    W->clearFocus();
    EXPECT_FALSE(Holds(Picture(), CellRect(1, 1), qRgb(0, 0, 128)));
}

TEST_F(Rendering, BookmarksInTheMargin) {
    LoadText(E(), {"one", "two", "three"});
    E().Lines().SetBookmark(3, 2, 1);
    const QImage Image = Picture();
    const QRect Margin1(0, 0, E().LeftMargin(), E().LineHeight());
    const QRect Margin2(0, E().LineHeight(), E().LeftMargin(), E().LineHeight());
    EXPECT_TRUE(Only(Image, Margin1, qRgb(255, 255, 255)));
    EXPECT_TRUE(Holds(Image, Margin2, qRgb(0x1A, 0x7F, 0xA8)));
    E().SetShowBookmarks(false);
    E().RequestFullRepaint(false);
    EXPECT_TRUE(Only(Picture(), Margin2, qRgb(255, 255, 255)));
}

TEST_F(Rendering, ParagraphMarkColour) {
    LoadText(E(), {"ab", "c"});
    E().SetShowParaMarks(true);
    const QImage Image = Picture();
    EXPECT_TRUE(Holds(Image, CellRect(3, 1), qRgb(223, 223, 223)));
    EXPECT_TRUE(Holds(Image, CellRect(2, 2), qRgb(223, 223, 223)));
    EXPECT_FALSE(Holds(Image, CellRect(4, 1), qRgb(223, 223, 223)));

    W->SetColor(RGB(0, 0, 0));
    W->FixedFont().SetColor(clWhite);
    EXPECT_TRUE(Holds(Picture(), CellRect(3, 1), qRgb(32, 32, 32)));
}

TEST_F(Rendering, WrapMarksOnWrappedLines) {
    E().SetWordWrap(true);
    E().SetWrapColumn(10);
    LoadText(E(), {"aaaa bbbb cccc dddd"});
    ASSERT_GT(E().LineCount(), 1);
    const int Length = E().Lines().LineLength(1);
    EXPECT_TRUE(Holds(Picture(), CellRect(Length + 1, 1), qRgb(223, 223, 223)));
}

TEST_F(Rendering, DrawLineHandlerSuppressesTextButNotMarks) {
    LoadText(E(), {"ab", "cd"});
    E().SetShowParaMarks(true);
    std::vector<int> Lines;
    std::vector<std::string> Texts;
    E().OnDrawLine = [&](TEngCustomEditor&, TEngDrawLineArgs& A) {
        Lines.push_back(A.Line);
        Texts.emplace_back(A.Text);
        if (A.Line == 1) {
            A.Canvas->fillRect(QRect(A.Rect.Left, A.Rect.Top, A.Rect.Right - A.Rect.Left,
                                     A.Rect.Bottom - A.Rect.Top),
                               Qt::red);
            A.WasDrawn = true;
        }
    };
    const QImage Image = Picture();
    EXPECT_TRUE(Only(Image, CellRect(1, 1), qRgb(255, 0, 0)));
    EXPECT_TRUE(Holds(Image, CellRect(3, 1), qRgb(223, 223, 223)));
    EXPECT_TRUE(Holds(Image, CellRect(1, 2), qRgb(0, 0, 0))); // drawn by the editor
    // Rows below the text are offered with an empty text.
    ASSERT_GE(Lines.size(), 3u);
    EXPECT_EQ(Texts[0], "ab");
    EXPECT_EQ(Lines[2], 3);
    EXPECT_EQ(Texts[2], "");
}

TEST_F(Rendering, RightMarginLine) {
    LoadText(E(), {"text"});
    E().SetShowRightMargin(true);
    E().SetRightMarginPos(10);
    E().SetRightMarginColor(RGB(255, 0, 0));
    const QImage Image = Picture();
    const int X = E().LeftMargin() + 10 * E().CharWidth();
    EXPECT_EQ(Image.pixel(X, 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Image.pixel(X, E().LineHeight() * 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(Image.pixel(X - 1, 3) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(Rendering, ScrolledOutLineIsEmpty) {
    LoadText(E(), {"abc", std::string(200, 'x')});
    E().ScrollText(10, 0);
    const QImage Image = Picture();
    EXPECT_TRUE(Only(Image, CellRect(1, 1).united(CellRect(5, 1)), qRgb(255, 255, 255)));
    EXPECT_TRUE(Holds(Image, CellRect(1, 2), qRgb(0, 0, 0)));
}

TEST(TextFileEditorWidget, ShowsALoadedFile) {
    test::TTempDir Dir;
    const auto Name = Dir.Path() / "a.txt";
    test::WriteFileBytes(Name, "one\r\ntwo");
    TEngTextFileEditorWidget W;
    W.resize(300, 200);
    W.show();
    W.Editor().LoadFromFile(Name.string());
    EXPECT_EQ(ParasOf(W.Editor()), (TParas{"one", "two"}));
    W.Editor().MoveCaret(2, 4);
    QTest::keyClicks(&W, "!");
    EXPECT_EQ(W.Editor().Lines().ParaText(2), "two!");
}

// ---- The pool's timer ----

TEST(EngQtTimer, RunsThePoolWhileItHasTriggers) {
    TEngTimerPool Pool;
    TEngQtTimer Timer(Pool);
    int Fired = 0;
    const int Handle = Pool.AddTrigger(
        60, true, [&](TEngTimerPool&, int, std::uint16_t, int) { ++Fired; }, EngTickCount());
    EXPECT_TRUE(Timer.Active());
    EXPECT_EQ(Timer.Interval(), 60);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Fired >= 2; }, 2000));
    Pool.RemoveTrigger(Handle, EngTickCount());
    EXPECT_FALSE(Timer.Active());
}

} // namespace
} // namespace korvid
