#include "ui/CommandBarButton.h"
#include "ui/CommandBarHost.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace korvid {
namespace {

// Timers that run on a clock the test advances.
class TFakeClock {
public:
    class TTimer : public TButtonTimer {
    public:
        explicit TTimer(TFakeClock& Clock) : FClock(Clock) { FClock.FTimers.push_back(this); }
        ~TTimer() override { std::erase(FClock.FTimers, this); }
        // Like a Qt timer, a running timer starts over with its new interval.
        void SetInterval(int Milliseconds) override {
            FInterval = Milliseconds;
            FDue = FClock.FNow + FInterval;
        }
        int Interval() const override { return FInterval; }
        void SetEnabled(bool Value) override {
            FEnabled = Value;
            FDue = FClock.FNow + FInterval;
        }
        bool Enabled() const override { return FEnabled; }

    private:
        friend class TFakeClock;
        TFakeClock& FClock;
        int FInterval = 1000;
        bool FEnabled = false;
        long FDue = 0;
    };

    TFakeClock() {
        FPrevious = InstallButtonTimerFactory([this] { return std::make_unique<TTimer>(*this); });
    }
    ~TFakeClock() { InstallButtonTimerFactory(FPrevious); }

    // Moves time on a millisecond at a time, firing each timer when it is due.
    void Advance(int Milliseconds) {
        for (int I = 0; I < Milliseconds; ++I) {
            ++FNow;
            for (std::size_t T = 0; T < FTimers.size(); ++T) {
                TTimer* Timer = FTimers[T];
                if (Timer->FEnabled && FNow >= Timer->FDue) {
                    Timer->FDue = FNow + Timer->FInterval;
                    if (const auto Call = Timer->OnTimer)
                        Call();
                }
            }
        }
    }

private:
    long FNow = 0;
    std::vector<TTimer*> FTimers;
    TButtonTimerFactory FPrevious;
};

void SendMouse(QWidget* Target, QEvent::Type Type, QPoint Pos, Qt::MouseButton Button,
               Qt::MouseButtons Held) {
    QMouseEvent Event(Type, QPointF(Pos), QPointF(Target->mapToGlobal(Pos)), Button, Held,
                      Qt::NoModifier);
    QApplication::sendEvent(Target, &Event);
}

void Press(QWidget* Target, QPoint Pos) {
    SendMouse(Target, QEvent::MouseButtonPress, Pos, Qt::LeftButton, Qt::LeftButton);
}
void Release(QWidget* Target, QPoint Pos) {
    SendMouse(Target, QEvent::MouseButtonRelease, Pos, Qt::LeftButton, Qt::NoButton);
}
void MoveHeld(QWidget* Target, QPoint Pos) {
    SendMouse(Target, QEvent::MouseMove, Pos, Qt::NoButton, Qt::LeftButton);
}
void ClickAt(QWidget* Target, QPoint Pos) {
    Press(Target, Pos);
    Release(Target, Pos);
}

class CommandBarButton : public ::testing::Test {
protected:
    TFakeClock Clock;
    QWidget Bar;
};

TEST_F(CommandBarButton, StartsWithTheDeclaredDefaults) {
    TCommandBarButton Button(&Bar);
    EXPECT_EQ(Button.size(), QSize(23, 22));
    EXPECT_TRUE(Button.Flat());
    EXPECT_TRUE(Button.Opaque());
    EXPECT_TRUE(Button.DropdownArrow());
    EXPECT_FALSE(Button.DropdownCombo());
    EXPECT_EQ(Button.Margin(), -1);
    EXPECT_EQ(Button.Spacing(), 4);
    EXPECT_EQ(Button.RepeatDelay(), 400);
    EXPECT_EQ(Button.RepeatInterval(), 100);
    EXPECT_EQ(Button.NumGlyphs(), 1);
    EXPECT_EQ(Button.DisplayMode(), dmBoth);
    EXPECT_EQ(Button.State(), cbsUp);
    // Flat and not opaque is the one combination that lets the bar show through.
    Button.SetOpaque(false);
    EXPECT_FALSE(Button.IsOpaque());
    Button.SetFlat(false);
    EXPECT_TRUE(Button.IsOpaque());
}

TEST_F(CommandBarButton, OutOfRangeSettingsAreCorrectedOrIgnored) {
    TCommandBarButton Button(&Bar);
    Button.SetMargin(-2);
    EXPECT_EQ(Button.Margin(), -1);
    Button.SetMargin(3);
    Button.SetMargin(-2);
    EXPECT_EQ(Button.Margin(), 3);
    Button.SetNumGlyphs(0);
    EXPECT_EQ(Button.NumGlyphs(), 1);
    Button.SetNumGlyphs(9);
    EXPECT_EQ(Button.NumGlyphs(), 5);
}

TEST_F(CommandBarButton, OnlyAGroupedButtonCanBeDown) {
    TCommandBarButton Button(&Bar);
    Button.SetDown(true);
    EXPECT_FALSE(Button.Down());
    Button.SetGroupIndex(1);
    Button.SetDown(true);
    EXPECT_TRUE(Button.Down());
    EXPECT_EQ(Button.State(), cbsExclusive);
    Button.SetDown(false); // refused without AllowAllUp
    EXPECT_TRUE(Button.Down());
}

TEST_F(CommandBarButton, OneButtonOfAGroupIsDownAtATime) {
    TCommandBarButton A(&Bar), B(&Bar), C(&Bar);
    for (TCommandBarButton* Button : {&A, &B, &C})
        Button->SetGroupIndex(7);
    TCommandBarButton OtherGroup(&Bar);
    OtherGroup.SetGroupIndex(8);
    OtherGroup.SetDown(true);

    A.SetDown(true);
    B.SetDown(true);
    EXPECT_FALSE(A.Down());
    EXPECT_TRUE(B.Down());
    EXPECT_EQ(A.State(), cbsUp);
    EXPECT_TRUE(OtherGroup.Down());

    // AllowAllUp is shared by the group.
    C.SetAllowAllUp(true);
    EXPECT_TRUE(A.AllowAllUp());
    EXPECT_TRUE(B.AllowAllUp());
    EXPECT_FALSE(OtherGroup.AllowAllUp());
    B.SetDown(false);
    EXPECT_FALSE(B.Down());
}

TEST_F(CommandBarButton, ClickingTheOnlyDownButtonReleasesItOnlyWithAllowAllUp) {
    TCommandBarButton Button(&Bar);
    int Clicks = 0;
    Button.OnClick = [&Clicks](TCommandBarButton&) { ++Clicks; };
    Button.SetGroupIndex(1);
    ClickAt(&Button, {5, 5});
    EXPECT_TRUE(Button.Down());
    ClickAt(&Button, {5, 5});
    EXPECT_TRUE(Button.Down());
    EXPECT_EQ(Button.State(), cbsExclusive);
    Button.SetAllowAllUp(true);
    ClickAt(&Button, {5, 5});
    EXPECT_FALSE(Button.Down());
    EXPECT_EQ(Clicks, 3);
}

TEST_F(CommandBarButton, AReleaseOutsideTheButtonIsNoClick) {
    TCommandBarButton Button(&Bar);
    int Clicks = 0;
    Button.OnClick = [&Clicks](TCommandBarButton&) { ++Clicks; };
    Press(&Button, {5, 5});
    EXPECT_EQ(Button.State(), cbsDown);
    MoveHeld(&Button, {40, 5});
    EXPECT_EQ(Button.State(), cbsUp);
    MoveHeld(&Button, {6, 5});
    EXPECT_EQ(Button.State(), cbsDown);
    MoveHeld(&Button, {40, 5});
    Release(&Button, {40, 5});
    EXPECT_EQ(Clicks, 0);
    EXPECT_FALSE(Button.Dragging());
}

TEST_F(CommandBarButton, ARepeatingButtonFiresAtPressThenAfterTheDelayThenEachInterval) {
    TCommandBarButton Button(&Bar);
    Button.SetRepeating(true);
    int Clicks = 0;
    Button.OnClick = [&Clicks](TCommandBarButton&) { ++Clicks; };

    Press(&Button, {5, 5});
    EXPECT_EQ(Clicks, 1);
    Clock.Advance(399);
    EXPECT_EQ(Clicks, 1);
    Clock.Advance(1);
    EXPECT_EQ(Clicks, 2);
    Clock.Advance(100);
    EXPECT_EQ(Clicks, 3);
    Clock.Advance(200);
    EXPECT_EQ(Clicks, 5);

    // Off the button the repeats pause, back on it they resume.
    MoveHeld(&Button, {40, 5});
    Clock.Advance(1000);
    EXPECT_EQ(Clicks, 5);
    EXPECT_FALSE(Button.RepeatTimerRunning());
    MoveHeld(&Button, {5, 5});
    EXPECT_TRUE(Button.RepeatTimerRunning());
    Clock.Advance(100);
    EXPECT_EQ(Clicks, 6);

    // Releasing stops them; a repeating button's release is no extra click.
    Release(&Button, {5, 5});
    Clock.Advance(1000);
    EXPECT_EQ(Clicks, 6);
}

TEST_F(CommandBarButton, TheDropdownComboPartWidensTheButtonByEleven) {
    TCommandBarButton Button(&Bar);
    Button.SetDropdownCombo(true);
    EXPECT_EQ(Button.width(), 34);
    Button.SetDropdownCombo(false);
    EXPECT_EQ(Button.width(), 23);

    Button.resize(5, 22);
    Button.SetDropdownCombo(true);
    Button.resize(5, 22);
    Button.SetDropdownCombo(false);
    EXPECT_EQ(Button.width(), 1);

    Button.resize(23, 22);
    Button.SetLoading(true);
    Button.SetDropdownCombo(true);
    EXPECT_EQ(Button.width(), 23);
    Button.Loaded();
}

TEST_F(CommandBarButton, AComboWithoutMenuHasNoArrowPart) {
    TCommandBarButton Button(&Bar);
    Button.SetDropdownCombo(true);
    int Clicks = 0;
    Button.OnClick = [&Clicks](TCommandBarButton&) { ++Clicks; };
    ClickAt(&Button, {30, 5});
    EXPECT_EQ(Clicks, 1);
}

class TStubBar : public QWidget, public TCommandBarHost {
public:
    std::optional<TDockPosition> Position;
    std::optional<TDockPosition> DockedPosition() const override { return Position; }
};

TEST_F(CommandBarButton, TheMenuOpensBesideTheButtonByTheDockOfItsBar) {
    TStubBar Host;
    const QSize Size(23, 22);
    struct TCase {
        std::optional<TDockPosition> Position;
        QPoint Point;
        bool RightAligned;
        int DockKind;
    };
    const TCase Cases[] = {
        {std::nullopt, {0, 22}, false, 0}, {dpTop, {0, 22}, false, 1},
        {dpBottom, {0, 22}, false, 1},     {dpLeft, {23, 0}, false, 2},
        {dpRight, {0, 0}, true, 2},
    };
    for (const TCase& Case : Cases) {
        Host.Position = Case.Position;
        const TDropdownAnchor Anchor = DropdownAnchor(Size, &Host);
        EXPECT_EQ(Anchor.Point, Case.Point);
        EXPECT_EQ(Anchor.RightAligned, Case.RightAligned);
        EXPECT_EQ(DockKindOf(&Host), Case.DockKind);
    }
    EXPECT_EQ(DropdownAnchor(Size, nullptr).Point, QPoint(0, 22));
}

TEST_F(CommandBarButton, MenusAreRegisteredOnceWithTheDropdownList) {
    auto* Menu = new QMenu(&Bar);
    TCommandBarButton A(&Bar), B(&Bar);
    A.SetDropdownMenu(Menu);
    B.SetDropdownMenu(Menu);
    ASSERT_NE(DropdownList(), nullptr);
    EXPECT_TRUE(DropdownList()->Contains(Menu));
    EXPECT_EQ(DropdownList()->Count(), 1);
    delete Menu;
    EXPECT_EQ(A.DropdownMenu(), nullptr);
    EXPECT_EQ(DropdownList()->Count(), 0);
}

TEST_F(CommandBarButton, TheHintSplitsIntoTooltipAndStatusText) {
    TCommandBarButton Button(&Bar);
    Button.SetHint("Open  (Ctrl+O)|Opens an existing file");
    EXPECT_EQ(Button.toolTip(), "Open  (Ctrl+O)");
    EXPECT_EQ(Button.statusTip(), "Opens an existing file");
    Button.SetHint("Plain");
    EXPECT_EQ(Button.toolTip(), "Plain");
    EXPECT_EQ(Button.statusTip(), "Plain");
}

TEST_F(CommandBarButton, AClickHandsTheModalResultToItsDialog) {
    QDialog Dialog;
    TCommandBarButton Button(&Dialog);
    Button.SetModalResult(QDialog::Accepted);
    Button.Click();
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
}

TEST_F(CommandBarButton, TheCaptionAcceleratorClicksAnEnabledButton) {
    TCommandBarButton Button(&Bar);
    Button.SetCaption("&Go");
    int Clicks = 0;
    Button.OnClick = [&Clicks](TCommandBarButton&) { ++Clicks; };
    EXPECT_FALSE(Button.DialogChar('x'));
    EXPECT_TRUE(Button.DialogChar('g'));
    Button.setEnabled(false);
    EXPECT_FALSE(Button.DialogChar('G'));
    EXPECT_EQ(Clicks, 1);
}

TEST_F(CommandBarButton, ADisabledButtonIgnoresTheMouse) {
    TCommandBarButton Button(&Bar);
    int Clicks = 0;
    Button.OnClick = [&Clicks](TCommandBarButton&) { ++Clicks; };
    Button.setEnabled(false);
    ClickAt(&Button, {5, 5});
    EXPECT_EQ(Clicks, 0);
}

TEST_F(CommandBarButton, AHandlerMayDestroyItsOwnButton) {
    auto* Button = new TCommandBarButton(&Bar);
    Button->OnClick = [&Button](TCommandBarButton& Sender) {
        delete &Sender;
        Button = nullptr;
    };
    ClickAt(Button, {5, 5});
    EXPECT_EQ(Button, nullptr);

    Button = new TCommandBarButton(&Bar);
    Button->SetRepeating(true);
    Button->OnClick = [&Button](TCommandBarButton& Sender) {
        delete &Sender;
        Button = nullptr;
    };
    Press(Button, {5, 5});
    EXPECT_EQ(Button, nullptr);

    // The same from a repeated click.
    Button = new TCommandBarButton(&Bar);
    Button->SetRepeating(true);
    int Clicks = 0;
    Button->OnClick = [&Button, &Clicks](TCommandBarButton& Sender) {
        if (++Clicks < 2)
            return;
        delete &Sender;
        Button = nullptr;
    };
    Press(Button, {5, 5});
    Clock.Advance(400);
    EXPECT_EQ(Button, nullptr);
    Clock.Advance(1000);
    EXPECT_EQ(Clicks, 2);
}

TEST_F(CommandBarButton, HoverNeedsAnActiveApplicationUnlessBordersShowWhenInactive) {
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        GTEST_SKIP() << "the application is active on this platform";
    TCommandBarButton Button(&Bar);
    SendMouse(&Button, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(Button.MouseInControl());
    EXPECT_EQ(Button.State(), cbsUp);

    Button.SetShowBorderWhenInactive(true);
    SendMouse(&Button, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(Button.MouseInControl());
    EXPECT_EQ(Button.State(), cbsMouseIn);
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(&Button, &Leave);
    EXPECT_FALSE(Button.MouseInControl());
    EXPECT_EQ(Button.State(), cbsUp);
}

TEST_F(CommandBarButton, TheSharedTimerNoticesThatTheMouseHasGone) {
    // The bar is never shown, so no control lies under the cursor.
    TCommandBarButton Button(&Bar);
    Button.SetShowBorderWhenInactive(true);
    int Exits = 0;
    Button.OnMouseExit = [&Exits](TCommandBarButton&) { ++Exits; };
    SendMouse(&Button, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    ASSERT_TRUE(Button.MouseInControl());
    Clock.Advance(124);
    EXPECT_TRUE(Button.MouseInControl());
    Clock.Advance(1);
    EXPECT_FALSE(Button.MouseInControl());
    EXPECT_EQ(Exits, 1);
    Clock.Advance(1000);
    EXPECT_EQ(Exits, 1);
}

TEST_F(CommandBarButton, TheHoveredItemOfAnyDropdownMenuBecomesTheHint) {
    QMenu Menu;
    QAction* Item = Menu.addAction("Item");
    Item->setStatusTip("What the item does");
    TCommandBarButton Button(&Bar);
    Button.SetDropdownMenu(&Menu);
    QString Hint;
    DropdownList()->OnHint = [&Hint](const QString& Text) { Hint = Text; };
    emit Menu.hovered(Item);
    EXPECT_EQ(Hint, "What the item does");
    Button.SetDropdownMenu(nullptr);
}

// The bounding box of the pixels of one colour.
QRect BoxOf(const QImage& Image, QRgb Color) {
    QRect Box;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if ((Image.pixel(X, Y) & 0xFFFFFF) == Color)
                Box |= QRect(X, Y, 1, 1);
    return Box;
}

TEST_F(CommandBarButton, AFlatButtonDrawsItsGlyphAtFourThreeAndPressedOneFurther) {
    constexpr QRgb Blue = 0x0000FF;
    QImage Glyph(16, 16, QImage::Format_RGB32);
    Glyph.fill(QColor::fromRgb(Blue));
    TCommandBarButton Button(&Bar);
    Button.SetGlyph(Glyph);
    // A uniform glyph is wholly its own transparent colour; one odd pixel fixes that.
    Glyph.setPixel(0, 15, 0xFFFF00FFu);
    Button.SetGlyph(Glyph);

    EXPECT_EQ(BoxOf(Button.grab().toImage(), Blue), QRect(4, 3, 16, 16));
    Press(&Button, {5, 5});
    EXPECT_EQ(BoxOf(Button.grab().toImage(), Blue), QRect(5, 4, 16, 16));
    Release(&Button, {40, 5});
    EXPECT_EQ(BoxOf(Button.grab().toImage(), Blue), QRect(4, 3, 16, 16));
}

TEST_F(CommandBarButton, ADisabledButtonDrawsTheEmbossedPicture) {
    const TGlyphColors Colors{0x102030, 0xF0F0F0, 0x404040};
    QImage Glyph(16, 16, QImage::Format_RGB32);
    Glyph.fill(Qt::white);
    Glyph.setPixel(0, 15, 0xFFFF00FFu);
    for (int I = 2; I < 8; ++I)
        Glyph.setPixel(I, 5, 0xFF000000u);
    TCommandBarButton Button(&Bar);
    Button.SetColor(RGB(0x10, 0x20, 0x30));
    Button.SetGlyphColors(Colors);
    Button.SetGlyph(Glyph);
    Button.setEnabled(false);
    const QImage Shot = Button.grab().toImage();
    EXPECT_EQ(BoxOf(Shot, Colors.Shadow), QRect(4 + 2, 3 + 5, 6, 1));
    EXPECT_EQ(BoxOf(Shot, Colors.Highlight), QRect(4 + 3, 3 + 6, 6, 1));
}

} // namespace
} // namespace korvid
