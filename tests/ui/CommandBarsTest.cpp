#include "ui/CommandBars.h"
#include "ui/BarRegistry.h"
#include "ui/InvalidOperation.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvid {
namespace {

// A form with four docks around a work area, as the main window places them.
class BarForm : public ::testing::Test {
protected:
    void SetUp() override {
        BarMetrics() = TBarMetrics{3, 14, 2, 9};
        Form = std::make_unique<QWidget>();
        Top = new TDock(Form.get(), dpTop);
        Bottom = new TDock(Form.get(), dpBottom);
        Left = new TDock(Form.get(), dpLeft);
        Right = new TDock(Form.get(), dpRight);
        auto* Column = new QVBoxLayout(Form.get());
        Column->setContentsMargins(0, 0, 0, 0);
        Column->setSpacing(0);
        auto* Middle = new QHBoxLayout;
        Middle->setSpacing(0);
        Middle->addWidget(Left);
        Middle->addWidget(new QWidget(Form.get()), 1);
        Middle->addWidget(Right);
        Column->addWidget(Top);
        Column->addLayout(Middle, 1);
        Column->addWidget(Bottom);
        Form->setGeometry(100, 100, 600, 400);
        Form->show();
        QApplication::processEvents();
    }
    void TearDown() override { Form.reset(); }

    TCommandBar* MakeBar(int Buttons = 2, bool WithSeparator = true) {
        auto* Bar = new TCommandBar(Form.get());
        for (int I = 0; I < Buttons; ++I) {
            if (WithSeparator && I == 1)
                new TCommandBarSeparator(Bar);
            auto* Button = new QWidget(Bar);
            Button->resize(23, 22);
        }
        Bar->Remeasure();
        Bar->SetHideWhenInactive(false);
        Bar->SetFloatingPlace({300, 300});
        return Bar;
    }
    static QPoint Centre(const QWidget* W) { return W->mapToGlobal(W->rect().center()); }
    static QPoint DockTarget(const TDock* Dock) {
        const QPoint Origin = Dock->mapToGlobal(QPoint(0, 0));
        return Dock->Vertical() ? Origin + QPoint(1, Dock->height() / 2)
                                : Origin + QPoint(Dock->width() / 2, 1);
    }
    void Drag(TCustomBar* Bar, QPoint To, bool Ctrl = false) {
        Bar->StartDrag(Centre(Bar), Ctrl);
        Bar->Session()->Move(To, Ctrl);
        Bar->Session()->Release(To, Ctrl);
    }

    std::unique_ptr<QWidget> Form;
    TDock* Top = nullptr;
    TDock* Bottom = nullptr;
    TDock* Left = nullptr;
    TDock* Right = nullptr;
};

TEST_F(BarForm, MisuseRaisesItsText) {
    QWidget Child(Form.get());
    auto* Bar = MakeBar();
    QWidget Plain;
    const std::vector<std::pair<std::function<void()>, std::string>> Cases = {
        {[&] { TDock D(&Child); }, "TDock must be owned by a form"},
        {[&] { Top->SetParent(Bar); },
         "A TDock control cannot be placed inside a tool window or another TDock"},
        {[&] { Top->SetParent(Left); },
         "A TDock control cannot be placed inside a tool window or another TDock"},
        {[&] { Top->setVisible(false); }, "Cannot hide a TDock"},
        {[&] {
             Bar->SetDockedTo(Top);
             Top->SetPosition(dpBottom);
         },
         "Cannot change Position of a TDock if it already contains controls"},
        {[&] { TCommandBar B(&Child); }, "Tool windows must be owned by a form"},
        {[&] { Bar->SetParent(&Child); },
         "A tool window can only be placed on a TDock or directly on the form"},
        {[&] { TCommandBarSeparator S(&Plain); },
         "TCommandBarSeparator can only be placed on a TCommandBar"},
    };
    for (const auto& [Call, Text] : Cases) {
        try {
            Call();
            ADD_FAILURE() << "no error for: " << Text;
        } catch (const EInvalidOperation& Error) {
            EXPECT_EQ(Error.what(), Text);
        }
    }
}

TEST_F(BarForm, EmptyDocksTakeNoRoom) {
    EXPECT_EQ(Top->height(), 0);
    EXPECT_EQ(Left->width(), 0);
}

TEST_F(BarForm, DockedToMovesTheBarAndFiresTheEvents) {
    auto* Bar = MakeBar();
    std::vector<std::string> Events;
    Bar->OnDockChanging = [&](TCustomBar*) { Events.push_back("changing"); };
    Bar->OnDockChanged = [&](TCustomBar*) { Events.push_back("changed"); };

    Bar->SetDockedTo(Top);
    EXPECT_EQ(Bar->parentWidget(), Top);
    EXPECT_EQ(Bar->DockedPosition(), dpTop);
    EXPECT_EQ(Bar->size(), QSize(65, 26));
    EXPECT_EQ(Top->height(), 26);

    Bar->SetDockedTo(Left);
    EXPECT_EQ(Bar->size(), QSize(27, 63));
    EXPECT_EQ(Left->width(), 27);
    EXPECT_EQ(Top->height(), 0);

    Bar->SetDockedTo(nullptr);
    EXPECT_TRUE(Bar->isWindow());
    EXPECT_EQ(Bar->size(), QSize(66, 45));
    EXPECT_EQ(Left->BarCount(), 0);
    EXPECT_EQ(Events, (std::vector<std::string>{"changing", "changed", "changing", "changed",
                                                "changing", "changed"}));
}

TEST_F(BarForm, CtrlHeldNeverDocksAndSwitchesAtOnce) {
    auto* Bar = MakeBar();
    Bar->show();
    Drag(Bar, DockTarget(Top), true);
    EXPECT_EQ(Bar->DockedTo(), nullptr);

    Bar->StartDrag(Centre(Bar), false);
    Bar->Session()->Move(DockTarget(Top), true);
    Bar->Session()->CtrlChanged(false);
    Bar->Session()->Release(DockTarget(Top), false);
    EXPECT_EQ(Bar->DockedTo(), Top);

    Bar->StartDrag(Centre(Bar), false);
    Bar->Session()->Move(Centre(Form.get()), false);
    Bar->Session()->CtrlChanged(true);
    Bar->Session()->Release(Centre(Form.get()), true);
    EXPECT_EQ(Bar->DockedTo(), nullptr);
}

TEST_F(BarForm, EscapeLeavesTheBarWhereItWas) {
    auto* Bar = MakeBar();
    Bar->show();
    const QPoint Before = Bar->pos();
    Bar->StartDrag(Centre(Bar), false);
    Bar->Session()->Move(DockTarget(Top), false);
    Bar->Session()->Cancel();
    EXPECT_EQ(Bar->Session(), nullptr);
    EXPECT_EQ(Bar->DockedTo(), nullptr);
    EXPECT_EQ(Bar->pos(), Before);
}

TEST_F(BarForm, NeverDocksWhereNotDockable) {
    auto* Bar = MakeBar();
    Bar->show();
    Bar->DockableTo = {dpTop, dpBottom, dpRight};
    Drag(Bar, DockTarget(Left));
    EXPECT_EQ(Bar->DockedTo(), nullptr);
    Bar->DockableTo = {dpLeft};
    Drag(Bar, DockTarget(Left));
    EXPECT_EQ(Bar->DockedTo(), Left);
}

TEST_F(BarForm, DoubleClickDocksFirstOnRowZeroAndFloatsAgain) {
    auto* Other = MakeBar();
    Other->SetDockedTo(Top);
    auto* Bar = MakeBar();
    Bar->show();
    Bar->DefaultDock = Top;
    const auto DoubleClick = [](QWidget* W) {
        const QPointF P = W->rect().center();
        QMouseEvent Event(QEvent::MouseButtonDblClick, P, W->mapToGlobal(P), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(W, &Event);
    };
    DoubleClick(Bar);
    EXPECT_EQ(Bar->DockedTo(), Top);
    EXPECT_EQ(Bar->DockRow, 0);
    EXPECT_EQ(Bar->DockPos, 0);
    EXPECT_EQ(Other->DockPos, Bar->width());
    EXPECT_EQ(Top->Bars().front(), Bar);
    DoubleClick(Bar);
    EXPECT_EQ(Bar->DockedTo(), nullptr);
}

TEST_F(BarForm, FloatingResizeSnapsToWholeLayouts) {
    auto* Bar = MakeBar(6, false);
    Bar->show();
    ASSERT_EQ(Bar->size(), QSize(152, 45));
    const QPoint Edge = Bar->mapToGlobal(QPoint(Bar->width() - 1, 20));
    Bar->StartResize(Edge, Qt::RightEdge);
    Bar->Session()->Move(Edge - QPoint(60, 0), false);
    Bar->Session()->Release(Edge - QPoint(60, 0), false);
    EXPECT_EQ(Bar->FloatRightX, 77);
    EXPECT_EQ(Bar->size(), QSize(83, 67));
}

TEST_F(BarForm, CloseButtonHidesTheBar) {
    auto* Bar = MakeBar();
    Bar->show();
    int Closed = 0;
    Bar->OnClose = [&](TCustomBar*) { ++Closed; };
    Bar->StartClosePress();
    EXPECT_TRUE(Bar->ClosePressed());
    Bar->Session()->Release(Bar->mapToGlobal(Bar->CloseButtonRect().center()), false);
    EXPECT_EQ(Closed, 1);
    EXPECT_FALSE(Bar->Visible());
    EXPECT_FALSE(Bar->isVisible());
}

TEST_F(BarForm, ACloseHandlerMayFreeTheBar) {
    QPointer<TCustomBar> Bar = MakeBar();
    Bar->show();
    Bar->OnClose = [](TCustomBar* B) { B->deleteLater(); };
    Bar->StartClosePress();
    Bar->Session()->Release(Bar->mapToGlobal(Bar->CloseButtonRect().center()), false);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Bar.isNull());
}

TEST_F(BarForm, KeepOnScreenPullsTheBarInside) {
    auto* Bar = MakeBar();
    const TBarRect Work = WorkAreaOf(Bar);
    Bar->SetFloatingPlace({Work.Right - 20, Work.Top + 50});
    Bar->KeepOnScreen(false);
    EXPECT_EQ(Bar->geometry().right() + 1, Work.Right);
}

TEST_F(BarForm, RegistryCountsFormsAndHidesFloatingBars) {
    auto& Registry = TBarRegistry::Instance();
    auto* First = MakeBar();
    auto* Second = MakeBar();
    auto* Docked = MakeBar();
    Docked->SetDockedTo(Top);
    EXPECT_EQ(Registry.FormCount(Form.get()), 3);
    First->show();
    Second->show();
    First->SetHideWhenInactive(true);

    Registry.UpdateVisibility(Form.get(), false);
    EXPECT_TRUE(First->Hidden());
    EXPECT_FALSE(First->isVisible());
    EXPECT_TRUE(First->Visible());
    EXPECT_FALSE(Second->Hidden());
    EXPECT_TRUE(Second->InactiveCaption());
    EXPECT_FALSE(Docked->Hidden());
    EXPECT_FALSE(Docked->InactiveCaption());

    Form->setWindowState(Qt::WindowMinimized);
    Registry.UpdateVisibility(Form.get(), true);
    EXPECT_TRUE(Second->Hidden());
    EXPECT_TRUE(Second->Visible());
    EXPECT_TRUE(Docked->isVisible());
    Form->setWindowState(Qt::WindowNoState);
    Registry.UpdateVisibility(Form.get(), true);
    EXPECT_FALSE(First->Hidden());
    EXPECT_TRUE(Second->isVisible());

    delete Docked;
    delete First;
    EXPECT_EQ(Registry.FormCount(Form.get()), 1);
    EXPECT_TRUE(Registry.Hooked());
    delete Second;
    EXPECT_EQ(Registry.FormCount(Form.get()), 0);
    EXPECT_FALSE(Registry.Hooked());
}

TEST_F(BarForm, PictureOfDockedAndFloatingBars) {
    auto* TopBar = MakeBar(3);
    TopBar->SetDockedTo(Top);
    auto* LeftBar = MakeBar(3);
    LeftBar->SetDockedTo(Left);
    auto* Floating = MakeBar(3);
    Floating->SetCaption("Floating");
    Floating->show();
    QApplication::processEvents();

    QImage Picture(Form->size() + QSize(0, 120), QImage::Format_RGB32);
    Picture.fill(Qt::white);
    {
        QPainter Painter(&Picture);
        Form->render(&Painter);
        Floating->render(&Painter, QPoint(250, Form->height() + 20));
    }
    Picture.save(QDir::current().filePath("CommandBarsPicture.png"));

    const QPalette& P = TopBar->palette();
    const QPoint Bar = TopBar->mapTo(Form.get(), QPoint(0, 0));
    const auto At = [&](int X, int Y) { return Picture.pixel(Bar + QPoint(X, Y)); };
    const QRgb Light = P.color(QPalette::Light).rgb();
    const QRgb Dark = P.color(QPalette::Dark).rgb();
    EXPECT_EQ(At(4, 10), Light);
    EXPECT_EQ(At(6, 10), Dark);
    EXPECT_EQ(At(7, 10), Light);
    EXPECT_EQ(At(9, 10), Dark);
    // The separator's groove: shadow left of its middle, highlight at it.
    const QWidget* Separator = nullptr;
    for (QObject* Child : TopBar->children())
        if (dynamic_cast<TCommandBarSeparator*>(Child))
            Separator = static_cast<QWidget*>(Child);
    ASSERT_NE(Separator, nullptr);
    const QPoint Sep = Separator->mapTo(Form.get(), QPoint(Separator->width() / 2, 10));
    EXPECT_EQ(Picture.pixel(Sep - QPoint(1, 0)), Dark);
    EXPECT_EQ(Picture.pixel(Sep), Light);
}

} // namespace
} // namespace korvid
