#include "tests/editor/EditorTestSupport.h"

#include "foundation/EncryptionEngine.h"
#include "psystem/MajorVolume.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QWheelEvent>

namespace korvid::test {
namespace {

using TParas = std::vector<std::string>;

class TFakeDebugger : public TEditorDebugger {
public:
    bool HintsOn = false;
    std::vector<std::string> Hints;
    // Where the editor last saw the mouse when it asked for each hint.
    std::vector<QPoint> HintPoints;
    std::vector<std::string> Declarations;
    bool EvaluationHintsOn() const override { return HintsOn; }
    void ShowEvaluationHint(const std::string& Word, TEditor& Editor) override {
        Hints.push_back(Word);
        HintPoints.push_back(Editor.LastMousePoint);
    }
    void FindDeclaration(const std::string& Name, bool) override { Declarations.push_back(Name); }
};

class TRegisteredDebugger : public TFakeDebugger {
public:
    TRegisteredDebugger() { SetEditorDebugger(this); }
    ~TRegisteredDebugger() override { SetEditorDebugger(nullptr); }
};

using EditorControl = EditorFixture;

TEST_F(EditorControl, ApplyingAViewSetsTheEngineFromIt) {
    View.BackgroundColour = 0x102030;
    View.SelectionBackgroundColour = 0x405060;
    View.SelectionTextColour = 0x708090;
    View.AutoIndent = true;
    View.TextColour = 0x000080;
    View.SetFontSize(14);
    View.LeftMarginWidth = 22;
    View.RightMarginColour = 0x0000FF;
    View.RightMarginColumn = 72;
    View.RightMarginVisible = true;
    View.SetTabStops(4);
    View.TabKey = 1;
    View.WebScrolling = true;
    View.WordDelimiters = ",;";
    Ed->ApplyView();

    EXPECT_EQ(Ed->Color(), 0x102030u);
    EXPECT_EQ(E().HighlightBackColor, 0x405060u);
    EXPECT_EQ(E().HighlightTextColor, 0x708090u);
    EXPECT_TRUE(E().AutoIndent);
    EXPECT_EQ(Ed->FixedFont().Color(), 0x000080u);
    EXPECT_EQ(Ed->FixedFont().Name(), "DejaVu Sans Mono");
    EXPECT_EQ(Ed->FixedFont().Size(), 14);
    // Measured after the font took the view's size.
    QFont Font("DejaVu Sans Mono");
    Font.setPointSize(14);
    EXPECT_EQ(Ed->CharWidth, QFontMetrics(Font).horizontalAdvance('X'));
    EXPECT_EQ(E().LeftMargin(), 22);
    EXPECT_EQ(E().RightMarginColor(), 0x0000FFu);
    EXPECT_EQ(E().RightMarginPos(), 72);
    EXPECT_TRUE(E().ShowRightMargin());
    EXPECT_EQ(E().TabSize(), 4);
    EXPECT_EQ(E().TabType(), ttFixed);
    EXPECT_TRUE(E().WebScrolling);
    EXPECT_EQ(E().WordDelimiters(), ",;\t\n\r ");
}

TEST_F(EditorControl, AFontThatIsNotInstalledLeavesAFixedFontToDrawWith) {
    View.SetFontName("No Such Font");
    Ed->ApplyView();
    EXPECT_EQ(View.FontName(), "Courier New");
    EXPECT_EQ(Ed->FixedFont().Name(), "DejaVu Sans Mono");
    EXPECT_GT(Ed->CharWidth, 0);
}

TEST_F(EditorControl, WrapTypesOfTheView) {
    SetText({std::string(60, 'x') + " " + std::string(60, 'y'), "short"});
    View.SetWrapType(vwAtColumn);
    View.SetWrapColumn(20);
    Ed->ApplyView();
    EXPECT_TRUE(E().WordWrap());
    EXPECT_FALSE(E().WrapToWindow());
    EXPECT_EQ(E().WrapColumn(), 20);
    EXPECT_GT(E().LineCount(), 2);

    View.SetWrapType(vwAtWindow);
    Ed->ApplyView();
    EXPECT_TRUE(E().WordWrap());
    EXPECT_TRUE(E().WrapToWindow());

    View.SetWrapType(vwNone);
    View.WrapAtLeft = true;
    View.WrapAtRight = false;
    Ed->ApplyView();
    EXPECT_FALSE(E().WordWrap());
    EXPECT_FALSE(E().WrapToWindow());
    EXPECT_EQ(E().LineCount(), 2);
    EXPECT_TRUE(E().WrapAtLeft());
    EXPECT_TRUE(E().ScrollPastEnd()); // Right Arrow moves on into the blank area
    View.WrapAtRight = true;
    Ed->ApplyView();
    EXPECT_FALSE(E().ScrollPastEnd());

    // An unknown wrap type leaves the wrap settings as they are.
    View.SetWrapType(9);
    E().SetWordWrap(true);
    Ed->ApplyView();
    EXPECT_TRUE(E().WordWrap());
}

TEST_F(EditorControl, ViewChangedReappliesOrFallsBackToTheDefaultView) {
    TView Other;
    const int Builds = Owner.ViewsMenuBuilds;
    View.SetTabStops(3);
    Ed->ViewChanged(&Other, vcChanged); // not this editor's view
    EXPECT_NE(E().TabSize(), 3);
    Ed->ViewChanged(&View, vcChanged);
    EXPECT_EQ(E().TabSize(), 3);
    EXPECT_EQ(Ed->View(), &View);

    Owner.Default.SetTabStops(6);
    Ed->ViewChanged(&Other, vcDeleted);
    EXPECT_EQ(Ed->View(), &View);
    Ed->ViewChanged(&View, vcDeleted);
    EXPECT_EQ(Ed->View(), &Owner.Default);
    EXPECT_EQ(E().TabSize(), 6);
    EXPECT_EQ(Owner.ViewsMenuBuilds, Builds + 1);
}

TEST_F(EditorControl, SetViewHoldsTheStatusReportBackMeanwhile) {
    int Reports = 0;
    E().OnShowStatus = [&](TEngCustomEditor&, int, int) { ++Reports; };
    TView Other;
    Other.SetFontName("DejaVu Sans Mono");
    Ed->SetView(&Other);
    EXPECT_EQ(Reports, 0);
    EXPECT_TRUE(static_cast<bool>(E().OnShowStatus));
}

TEST_F(EditorControl, SectionNamesByLine) {
    EXPECT_FALSE(Ed->HasSectionNames());
    EXPECT_EQ(Ed->GetSectionNameForLine(5), "");
    Ed->AddSectionName("first", 1);
    Ed->AddSectionName("second", 10);
    EXPECT_TRUE(Ed->HasSectionNames());
    const std::pair<int, const char*> Cases[] = {
        {1, ""}, {2, "first"}, {10, "first"}, {11, "second"}, {500, "second"}};
    for (const auto& [Line, Name] : Cases)
        EXPECT_EQ(Ed->GetSectionNameForLine(Line), Name) << Line;
}

TEST_F(EditorControl, LineMarkersAndTheExecutionPoint) {
    TRegisteredDebugger Debugger;
    Ed->AddLineMarker(3, false);
    Ed->AddLineMarker(5, true);
    Ed->AddLineMarker(8, false);
    EXPECT_EQ(Ed->LineMarkers, (std::vector<int>{3, -5, 8}));
    EXPECT_EQ(Debugger.CurrentEditor, Ed.get());
    Ed->ClearExecutionPoint(true);
    EXPECT_EQ(Ed->LineMarkers, (std::vector<int>{3, 5, 8}));
    Ed->AddLineMarker(9, true);
    Ed->ClearExecutionPoint(false);
    EXPECT_EQ(Ed->LineMarkers, (std::vector<int>{3, 5, 8}));
    Ed->ClearLineMarkers();
    EXPECT_TRUE(Ed->LineMarkers.empty());
    // An editor that goes is no longer the debugger's.
    Ed.reset();
    EXPECT_EQ(Debugger.CurrentEditor, nullptr);
}

// Without a colouring plug-in the debugger's marks still show, in the view's marker colours.
TEST_F(EditorControl, MarkedLinesShowWithoutAPlugin) {
    SetText({"begin", "x := 1;", "end;"});
    const auto Shows = [this](TColor Colour) {
        const QImage Picture =
            Ed->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QColor Wanted(Colour & 0xFF, (Colour >> 8) & 0xFF, (Colour >> 16) & 0xFF);
        for (int Y = 0; Y < Picture.height(); ++Y)
            for (int X = 0; X < Picture.width(); ++X)
                if (Picture.pixelColor(X, Y) == Wanted)
                    return true;
        return false;
    };
    ASSERT_EQ(Ed->PluginModule(), nullptr);
    EXPECT_FALSE(Shows(View.BreakpointBackgroundColour));
    Ed->AddLineMarker(1, false);
    Ed->AddLineMarker(2, true);
    EXPECT_TRUE(Shows(View.BreakpointBackgroundColour));
    EXPECT_TRUE(Shows(View.ExecutionPointBackgroundColour));
    Ed->ClearExecutionPoint(false);
    EXPECT_FALSE(Shows(View.ExecutionPointBackgroundColour));
    Ed->ClearLineMarkers();
    EXPECT_FALSE(Shows(View.BreakpointBackgroundColour));
    EXPECT_FALSE(E().OnDrawLine);
}

TEST_F(EditorControl, DisplayNames) {
    Ed->UntitledCaption = "File 3";
    EXPECT_FALSE(Ed->HasFileName());
    EXPECT_EQ(Ed->GetDisplayName(), "File 3");
    Ed->SetFileName("C:\\Work\\Unit.pas");
    EXPECT_EQ(Ed->GetDisplayName(), "C:\\Work\\Unit.pas");
    EXPECT_EQ(Ed->GetShortDisplayName(), "Unit.pas");
    Ed->SetFileName("/home/me/notes.txt");
    EXPECT_EQ(Ed->GetShortDisplayName(), "notes.txt");
}

class EditorControlSaving : public EditorFixture {
protected:
    TTempDir Dir;
};

TEST_F(EditorControlSaving, PlainAndUtf8SavesByteForByte) {
    SetText({"one  ", "caf\xE9", ""});
    Ed->SaveToFile((Dir / "plain.txt").string(), {true, false, TLineBreak::CrLf, false, false});
    EXPECT_EQ(ReadFileBytes(Dir / "plain.txt"), "one\r\ncaf\xE9\r\n");
    EXPECT_TRUE(Ed->SaveTime.isValid());
    EXPECT_FALSE(E().GetModified());

    Ed->SaveToFile((Dir / "utf8.txt").string(), {false, true, TLineBreak::Lf, false, true});
    EXPECT_EQ(ReadFileBytes(Dir / "utf8.txt"), "\xEF\xBB\xBFone  \ncaf\xC3\xA9\n");
}

TEST_F(EditorControlSaving, EncryptedSaveMatchesTheEncryptedFormat) {
    SetText({"secret", "\tline two", ""});
    E().SetModified(true);
    Ed->Password = "pass word";
    ASSERT_TRUE(Ed->SaveEncrypted((Dir / "doc.txt").string()));
    WriteEncryptedFile(Dir / "expected.txt", "pass word", {"secret", "\tline two", ""});
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), ReadFileBytes(Dir / "expected.txt"));
    EXPECT_FALSE(E().GetModified());
    EXPECT_TRUE(Ed->SaveTime.isValid());

    // The trailing empty paragraph has no record; every other paragraph but the last ends a line.
    const std::string Bytes = ReadFileBytes(Dir / "doc.txt");
    std::string Text;
    TEncryptionEngine Engine("pass word");
    ASSERT_EQ(
        Engine.DecryptRecords(std::string_view(Bytes).substr(EncryptedMarkerLength), Text, "\n")
            .Status,
        TDecryptResult::Whole);
    EXPECT_EQ(Text, "secret\n\tline two\n");
}

TEST_F(EditorControlSaving, AnEncryptedFileThatCannotBeWrittenIsReported) {
    SetText({"secret"});
    E().SetModified(true);
    Ed->Password = "pw";
    EXPECT_FALSE(Ed->SaveEncrypted((Dir / "no" / "such" / "folder.txt").string()));
    EXPECT_TRUE(E().GetModified());
    EXPECT_FALSE(Ed->SaveTime.isValid());
    Ed->Password.clear();
    EXPECT_FALSE(Ed->SaveEncrypted((Dir / "nopassword.txt").string()));
}

TEST(EditorControlPSystemLines, TabsExpandToTheNextStopAndTrailingBlanksGo) {
    struct TCase {
        TParas In;
        int TabSize;
        bool PreserveSpaces;
        bool PreserveSolitary;
        TParas Expected;
    };
    const TCase Cases[] = {
        {{"a\tb"}, 8, true, false, {"a       b"}},
        {{"1234567\tx"}, 8, true, false, {"1234567 x"}},
        {{"\t\tx"}, 4, true, false, {"        x"}},
        {{"a\tb"}, 0, true, false, {"a       b"}}, // a tab size below 1 counts as 8
        {{"text  \t", "   ", ""}, 8, false, false, {"text", "", ""}},
        {{"text  \t", "   "}, 8, false, true, {"text", "   "}},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(TEditor::PSystemLines(Case.In, Case.TabSize, Case.PreserveSpaces,
                                        Case.PreserveSolitary),
                  Case.Expected)
            << Case.In.front();
}

class TRecordingStore : public TPSystemTextStore {
public:
    struct TCall {
        std::string VolumeFile, Subvolume, FileName;
        TParas Lines;
        bool MakeBackup = false;
        bool HadHeader = false;
    };
    bool Answer = true;
    std::vector<TCall>* Calls = nullptr;
    bool SaveTextFile(const std::string& VolumeFile, const std::string& Subvolume,
                      const std::string& FileName, const TParas& Lines, bool MakeBackup,
                      const TPSystemHeaderPage* HeaderPage) override {
        Calls->push_back(
            {VolumeFile, Subvolume, FileName, Lines, MakeBackup, HeaderPage != nullptr});
        return Answer;
    }
};

TEST_F(EditorControl, SavingIntoAVolumeGoesThroughTheVolumeStore) {
    std::vector<TRecordingStore::TCall> Calls;
    auto Store = std::make_unique<TRecordingStore>();
    Store->Calls = &Calls;
    TRecordingStore& Recorder = *Store;
    Ed->PSystemTextStore = std::move(Store);
    SetText({"a\tb  ", "end"});
    E().SetModified(true);

    ASSERT_TRUE(Ed->SaveToPSystemVolume("C:\\Work.vol>UTIL.SVOL:MAIN.TEXT", true, false, false));
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].VolumeFile, "C:\\Work.vol");
    EXPECT_EQ(Calls[0].Subvolume, "UTIL.SVOL");
    EXPECT_EQ(Calls[0].FileName, "MAIN.TEXT");
    EXPECT_EQ(Calls[0].Lines, (TParas{"a       b", "end"}));
    EXPECT_TRUE(Calls[0].MakeBackup);
    EXPECT_FALSE(Calls[0].HadHeader);
    EXPECT_FALSE(E().GetModified());
    EXPECT_TRUE(Ed->SaveTime.isValid());

    Ed->PSystemHeader.emplace();
    E().SetModified(true);
    Recorder.Answer = false;
    EXPECT_FALSE(Ed->SaveToPSystemVolume("C:\\Work.vol>MAIN.TEXT", false, true, false));
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_EQ(Calls[1].Subvolume, "");
    EXPECT_TRUE(Calls[1].HadHeader);
    EXPECT_EQ(Calls[1].Lines.front(), "a       b  ");
    EXPECT_TRUE(E().GetModified());
}

TEST_F(EditorControl, BindsTheViewsPluginOnlyWhenItPasses) {
    TView Coloured;
    Coloured.SetFontName("DejaVu Sans Mono");
    Coloured.UseDll = true;
    Coloured.SetDll(LORVANTA_LIBRARY_PATH);
    Ed->SetView(&Coloured);
    EXPECT_NE(Ed->PluginModule(), nullptr);
    EXPECT_NE(Ed->EnumChunks(), nullptr);
    EXPECT_TRUE(static_cast<bool>(E().OnDrawLine));

    TView Missing = Coloured;
    Missing.SetDll("/no/such/Lorvanta.so");
    Ed->SetView(&Missing);
    EXPECT_EQ(Ed->PluginModule(), nullptr);
    EXPECT_FALSE(static_cast<bool>(E().OnDrawLine));
    TEngDrawLineArgs Args;
    Ed->DrawColouredLine(E(), Args);
    EXPECT_FALSE(Args.WasDrawn);

    TView Off = Coloured;
    Off.UseDll = false;
    Ed->SetView(&Coloured);
    Ed->SetView(&Off);
    EXPECT_EQ(Ed->PluginModule(), nullptr);
    EXPECT_EQ(Ed->EnumChunks(), nullptr);
}

TEST_F(EditorControl, ThePluginReadsEarlierLinesWithinTheBuffer) {
    E().SetParaLengthLimit(32767);
    const std::string Long(5000, 'q');
    SetText({"first", Long, "third"});
    char Buffer[KorvidLineBufferSize + 16];
    std::memset(Buffer, '#', sizeof Buffer);
    void* const Data = static_cast<TColouredLinePainter*>(Ed.get());
    EditorGetLineProc(Data, 2, Buffer);
    EXPECT_EQ(std::strlen(Buffer), static_cast<std::size_t>(KorvidLineBufferSize - 1));
    EXPECT_EQ(Buffer[KorvidLineBufferSize], '#');
    EditorGetLineProc(Data, -1, Buffer);
    EXPECT_STREQ(Buffer, "first");
    EditorGetLineProc(Data, 4, Buffer);
    EXPECT_STREQ(Buffer, "");

    // With word wrap on a line number is a paragraph number, checked against the paragraphs.
    View.SetWrapType(vwAtColumn);
    View.SetWrapColumn(20);
    Ed->ApplyView();
    ASSERT_GT(E().LineCount(), 4);
    EditorGetLineProc(Data, 3, Buffer);
    EXPECT_STREQ(Buffer, "third");
    EditorGetLineProc(Data, 4, Buffer);
    EXPECT_STREQ(Buffer, "");
}

// Pixels inside a rectangle whose colour leans clearly to the given one; glyph edges are
// smoothed, so exact matches are rare for thin strokes.
int CountPixels(const QImage& Image, int X1, int X2, int Y1, int Y2, QRgb Colour) {
    auto Near = [Colour](QRgb P) {
        return std::abs(qRed(P) - qRed(Colour)) < 70 && std::abs(qGreen(P) - qGreen(Colour)) < 70 &&
               std::abs(qBlue(P) - qBlue(Colour)) < 70;
    };
    int Count = 0;
    for (int X = std::max(X1, 0); X < std::min(X2, Image.width()); ++X)
        for (int Y = std::max(Y1, 0); Y < std::min(Y2, Image.height()); ++Y)
            Count += Near(Image.pixel(X, Y));
    return Count;
}

class EditorControlImage : public EditorFixture {
protected:
    EditorControlImage() {
        View.UseDll = true;
        View.SetDll(LORVANTA_LIBRARY_PATH);
        View.BackgroundColour = RGB(255, 255, 255);
        View.TextColour = RGB(0, 0, 0);
        View.Elements.Add({2, RGB(255, 0, 0), true, false});   // block keywords
        View.Elements.Add({14, RGB(0, 160, 0), false, false}); // comments with ;
        View.Elements.Add({12, RGB(0, 0, 255), false, false}); // strings
        Ed->SetView(&View);
    }
    QImage Paint() {
        QImage Image(Ed->viewport()->size(), QImage::Format_RGB32);
        Image.fill(Qt::gray);
        QPainter Painter(&Image);
        Ed->PaintRows(Painter, Image.rect());
        return Image;
    }
    // X of a 0-based column.
    int X(int Column) { return E().LeftMargin() + Column * Ed->CharWidth; }
    int Y(int Line) { return (Line - 1) * E().LineHeight(); }
};

TEST_F(EditorControlImage, ALorvantaSourceInItsElementColours) {
    SetText({"func total ; sums", "  var n = 'name'", ";( a block", "fetch x", "); done"});
    const QImage Image = Paint();
    const int H = E().LineHeight();
    const QRgb Red = qRgb(255, 0, 0);
    const QRgb Green = qRgb(0, 160, 0);
    const QRgb Blue = qRgb(0, 0, 255);
    EXPECT_GT(CountPixels(Image, X(0), X(4), Y(1), Y(1) + H, Red), 10);     // func
    EXPECT_EQ(CountPixels(Image, X(4), X(11), Y(1), Y(1) + H, Red), 0);     // total
    EXPECT_GT(CountPixels(Image, X(11), X(17), Y(1), Y(1) + H, Green), 10); // ; sums
    EXPECT_GT(CountPixels(Image, X(10), X(16), Y(2), Y(2) + H, Blue), 10);  // 'name'
    EXPECT_EQ(CountPixels(Image, X(2), X(9), Y(2), Y(2) + H, Blue), 0);     // var n =
    // Inside a block comment the plug-in reads the lines before it.
    EXPECT_GT(CountPixels(Image, X(0), X(7), Y(4), Y(4) + H, Green), 10);
    // The row after the text has the background.
    EXPECT_EQ(Image.pixel(X(30), Y(1) + H / 2), qRgb(255, 255, 255));
}

TEST_F(EditorControlImage, MarkerLinesAreDrawnInTheMarkerColours) {
    SetText({"func a", "", "func b", "end"});
    View.BreakpointBackgroundColour = RGB(200, 0, 0);
    View.ExecutionPointBackgroundColour = RGB(0, 120, 0);
    Ed->ApplyView();
    Ed->AddLineMarker(2, false); // an empty line
    Ed->AddLineMarker(3, true);
    const QImage Image = Paint();
    const int Mid = E().LineHeight() / 2;
    EXPECT_EQ(Image.pixel(X(20), Y(1) + Mid), qRgb(255, 255, 255));
    EXPECT_EQ(Image.pixel(X(0) + 1, Y(2) + Mid), qRgb(200, 0, 0));
    EXPECT_EQ(Image.pixel(X(20), Y(2) + Mid), qRgb(200, 0, 0));
    EXPECT_EQ(Image.pixel(X(20), Y(3) + Mid), qRgb(0, 120, 0));
    // On the execution point the element colour gives way to the marker's text colour.
    EXPECT_EQ(CountPixels(Image, X(0), X(4), Y(3), Y(3) + E().LineHeight(), qRgb(255, 0, 0)), 0);
}

TEST_F(EditorControlImage, PrintingIsBlackOnWhite) {
    SetText({"func total ; sums"});
    Ed->AddLineMarker(1, false);
    QImage Image(Ed->viewport()->size(), QImage::Format_RGB32);
    Image.fill(Qt::gray);
    {
        QPainter Painter(&Image);
        Ed->PrintRows(Painter, Image.rect());
    }
    const int H = E().LineHeight();
    EXPECT_EQ(CountPixels(Image, X(0), X(17), Y(1), Y(1) + H, qRgb(255, 0, 0)), 0);
    EXPECT_GT(CountPixels(Image, X(0), X(17), Y(1), Y(1) + H, qRgb(0, 0, 0)), 10);
}

TEST_F(EditorControl, WheelScrollsByWholeNotches) {
    TParas Lines;
    for (int I = 1; I <= 200; ++I)
        Lines.push_back("line " + std::to_string(I));
    SetText(Lines);
    const int PerNotch = QApplication::wheelScrollLines();
    auto Wheel = [&](int Delta) {
        QWheelEvent Event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, Delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Ed->viewport(), &Event);
    };
    Wheel(-60);
    EXPECT_EQ(E().TopLine(), 1);
    Wheel(-60);
    EXPECT_EQ(E().TopLine(), 1 + PerNotch);
    Wheel(-240);
    EXPECT_EQ(E().TopLine(), 1 + 3 * PerNotch);
    Wheel(120);
    EXPECT_EQ(E().TopLine(), 1 + 2 * PerNotch);
}

TEST_F(EditorControl, CtrlAndAltClicksGoToTheDebuggerAndTheSources) {
    TRegisteredDebugger Debugger;
    SetText({"alpha beta"});
    Ed->show();
    const QPoint OnBeta(E().LeftMargin() + 7 * Ed->CharWidth + 2, E().LineHeight() / 2);
    QCursor::setPos(Ed->viewport()->mapToGlobal(OnBeta));
    auto Click = [&](Qt::KeyboardModifiers Mods, QPoint Release) {
        QMouseEvent Press(QEvent::MouseButtonPress, OnBeta, Ed->viewport()->mapToGlobal(OnBeta),
                          Qt::LeftButton, Qt::LeftButton, Mods);
        QApplication::sendEvent(Ed->viewport(), &Press);
        QMouseEvent Up(QEvent::MouseButtonRelease, Release, Ed->viewport()->mapToGlobal(Release),
                       Qt::LeftButton, Qt::NoButton, Mods);
        QApplication::sendEvent(Ed->viewport(), &Up);
    };
    Click(Qt::ControlModifier, OnBeta + QPoint(9, 9));
    EXPECT_EQ(Debugger.Declarations, std::vector<std::string>{"beta"});
    Click(Qt::AltModifier, OnBeta);
    EXPECT_EQ(Owner.Searched, std::vector<std::string>{"beta"});
    // Ten pixels or more is a drag, not a click.
    Click(Qt::ControlModifier, OnBeta + QPoint(10, 0));
    Click(Qt::AltModifier, OnBeta + QPoint(0, -10));
    EXPECT_EQ(Debugger.Declarations.size(), 1u);
    EXPECT_EQ(Owner.Searched.size(), 1u);

    // Hovering hands the word to the debugger's evaluation hint while hints are on.
    auto Hover = [&] {
        QMouseEvent Move(QEvent::MouseMove, OnBeta, Ed->viewport()->mapToGlobal(OnBeta),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Ed->viewport(), &Move);
    };
    Hover();
    EXPECT_TRUE(Debugger.Hints.empty());
    Debugger.HintsOn = true;
    Hover();
    EXPECT_EQ(Debugger.Hints, std::vector<std::string>{"beta"});
    EXPECT_EQ(Debugger.HintPoints, std::vector<QPoint>{OnBeta});
}

TEST_F(EditorControl, InitialiseSetsUpANewTab) {
    Ed->Initialise();
    EXPECT_EQ(Ed->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(E().HideSelection());
    EXPECT_TRUE(E().ScrollBarsAlways());
    EXPECT_EQ(E().UndoBufferSize(), 65535u);
    EXPECT_TRUE(E().WantTab);
    EXPECT_EQ(Ed->View(), &View);
}

TEST_F(EditorControl, GoingToTheLastEditAndCentringItsLine) {
    TParas Lines(100, "text");
    SetText(Lines);
    E().MoveCaretToPara(60, 3);
    E().InsertAtCaret("x");
    E().MoveCaretToPara(1, 1);
    Owner.Recentre = true;
    Ed->GoToLastEdit();
    EXPECT_EQ(E().CaretPara(), 60);
    EXPECT_EQ(E().CaretPos(), 3);
    EXPECT_EQ(E().TopLine(), 60 - E().VisibleLines() * 3 / 8);
    Ed->ScrollToLeftEdge();
    EXPECT_EQ(E().LeftColumn(), 0);
    Ed->ClearUndo();
    E().MoveCaretToPara(1, 1);
    Ed->GoToLastEdit();
    EXPECT_EQ(E().CaretPara(), 1);
}

TEST_F(EditorControl, DroppedFilesGoToTheMainWindow) {
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b.pas")});
    QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Ed->viewport(), &Enter);
    EXPECT_TRUE(Enter.isAccepted());
    QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Ed->viewport(), &Drop);
    ASSERT_EQ(Owner.Dropped.size(), 1u);
    EXPECT_EQ(Owner.Dropped[0], (TParas{"/tmp/a.txt", "/tmp/b.pas"}));
    EXPECT_TRUE(Ed->acceptDrops());
    EXPECT_FALSE(TEditor().acceptDrops()); // without a main window nothing takes them
}

TEST_F(EditorControlSaving, SavesIntoARealVolume) {
    const auto Volume = Dir / "Work.vol";
    ASSERT_TRUE(CreateVolumeFile(Volume, "WORK", 200));
    SetText({"program hello;", "\tbegin", "end."});
    ASSERT_TRUE(Ed->SaveToPSystemVolume(Volume.string() + ">HELLO.TEXT", false, false, false));
    TMajorVolume Reader(Volume, false);
    const int Index = Reader.FindFile("HELLO.TEXT");
    ASSERT_GE(Index, 0);
    EXPECT_EQ(Reader.ReadFileLines(Index, "HELLO.TEXT"),
              (TParas{"program hello;", "        begin", "end."}));
}

} // namespace
} // namespace korvid::test
