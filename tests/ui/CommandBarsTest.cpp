#include "ui/CommandBars.h"
#include "ui/BarRegistry.h"
#include "ui/InvalidOperation.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

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

TEST_F(BarForm, BoundLinesTakeAPixelOnTheirSides) {
    const auto Picture = [this] {
        QImage Image(Top->size(), QImage::Format_RGB32);
        Top->render(&Image);
        return Image;
    };
    Top->SetBoundLines({blBottom});
    EXPECT_EQ(Top->height(), 0); // a single line would leave a dock a pixel thin: none
    Top->SetBoundLines({blTop, blBottom, blLeft});
    EXPECT_EQ(Top->height(), 2);

    auto* Bar = MakeBar();
    Bar->SetDockedTo(Top);
    EXPECT_EQ(Top->height(), 28);
    EXPECT_EQ(Bar->geometry(), QRect(1, 1, 65, 26));
    EXPECT_EQ(Top->ClientLength(), Top->width() - 1);
    const QImage Image = Picture();
    const QRgb Dark = Top->palette().color(QPalette::Dark).rgb();
    const QRgb Light = Top->palette().color(QPalette::Light).rgb();
    EXPECT_EQ(Image.pixel(100, 0), Dark);
    EXPECT_EQ(Image.pixel(0, 10), Dark);
    EXPECT_EQ(Image.pixel(100, 27), Light);
    EXPECT_EQ(Image.pixel(Top->width() - 1, 10), Top->Color().rgb());
}

TEST_F(BarForm, DockBackgroundTilesAlignedWithTheFormAndShowsOnItsBars) {
    // Nine colours in a 3x3 tile; the bottom-left one is the transparent colour.
    QImage Tile(3, 3, QImage::Format_RGB32);
    const auto Colour = [](int X, int Y) {
        const int C = X + 3 * Y;
        return qRgb(20 * C + 10, 255 - 20 * C, 100);
    };
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 3; ++X)
            Tile.setPixel(X, Y, Colour(X, Y));
    MakeBar()->SetDockedTo(Top); // moves the left dock 26 pixels down
    auto* Bar = MakeBar(1, false);
    Bar->SetDockedTo(Left);
    Left->SetBackground(QPixmap::fromImage(Tile));
    ASSERT_TRUE(Left->HasBackground());

    const auto Picture = [this] {
        QImage Image(Form->size(), QImage::Format_RGB32);
        Form->render(&Image);
        return Image;
    };
    const auto Expected = [&](QPoint P) { return Colour(P.x() % 3, P.y() % 3); };
    const QRgb Face = Bar->palette().color(QPalette::Button).rgb();
    const QPoint InDock = Left->mapTo(Form.get(), QPoint(5, Bar->height() + 10));
    const QPoint InBar = Bar->mapTo(Form.get(), QPoint(12, 15));
    const QPoint Ring = Bar->mapTo(Form.get(), QPoint(1, 20));
    QImage Image = Picture();
    EXPECT_EQ(Image.pixel(InDock), Expected(InDock));
    EXPECT_EQ(Image.pixel(InBar), Expected(InBar));
    EXPECT_EQ(Image.pixel(Ring), Face);

    Left->SetBackgroundOnToolbars(false);
    Image = Picture();
    EXPECT_EQ(Image.pixel(InBar), Face);

    Left->SetBackgroundTransparent(true);
    Image = Picture();
    QPoint Key = InDock;
    while (Key.x() % 3 != 0 || Key.y() % 3 != 2)
        Key += QPoint(Key.x() % 3 ? 1 : 0, Key.y() % 3 != 2 ? 1 : 0);
    EXPECT_EQ(Image.pixel(Key), Left->Color().rgb());
    EXPECT_EQ(Image.pixel(Key + QPoint(1, 0)), Colour(1, 2));
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

TEST_F(BarForm, RecreatingAndRecreatedFrameEachChangeOfParent) {
    auto* Bar = MakeBar();
    std::vector<std::string> Events;
    const auto Where = [Bar] {
        TDock* Dock = dynamic_cast<TDock*>(Bar->parentWidget());
        const bool Listed =
            Dock &&
            std::ranges::find(Dock->Bars(), static_cast<TCustomBar*>(Bar)) != Dock->Bars().end();
        return std::string(Dock == nullptr    ? "form"
                           : Dock->Vertical() ? "left"
                                              : "top") +
               (Listed ? " listed" : "");
    };
    Bar->OnRecreating = [&](TCustomBar*) { Events.push_back("recreating in " + Where()); };
    Bar->OnRecreated = [&](TCustomBar*) { Events.push_back("recreated in " + Where()); };
    Bar->OnDockChanging = [&](TCustomBar*) { Events.push_back("changing"); };
    Bar->OnDockChanged = [&](TCustomBar*) { Events.push_back("changed"); };

    Bar->SetDockedTo(Top);
    Bar->SetParent(Left);
    Bar->SetDockedTo(nullptr);
    EXPECT_EQ(Events, (std::vector<std::string>{
                          "changing", "recreating in form", "recreated in top listed", "changed",
                          "recreating in top listed", "recreated in left listed", "changing",
                          "recreating in left listed", "recreated in form", "changed"}));
    EXPECT_EQ(Top->BarCount(), 0);
    EXPECT_EQ(Left->BarCount(), 0);
}

TEST_F(BarForm, LayoutValuesKeepTheFloatingWrapWidth) {
    std::map<std::pair<QString, QString>, int> Store;
    const TLayoutWriteInt Write = [&](const QString& Bar, const QString& Name, int Value) {
        Store[{Bar, Name}] = Value;
    };
    const TLayoutReadInt Read = [&](const QString& Bar, const QString& Name, int Default) {
        const auto Found = Store.find({Bar, Name});
        return Found == Store.end() ? Default : Found->second;
    };
    auto* Saved = MakeBar(6, false);
    Saved->setObjectName("Formatting");
    Saved->FloatRightX = 77;
    Saved->Remeasure();
    Saved->WriteLayoutValues(Write);
    EXPECT_EQ(Store,
              (std::map<std::pair<QString, QString>, int>{{{"Formatting", "FloatRightX"}, 77}}));

    auto* Loaded = MakeBar(6, false);
    Loaded->setObjectName("Formatting");
    Loaded->FloatRightX = 30;
    Loaded->ReadLayoutValues(Read);
    EXPECT_EQ(Loaded->FloatRightX, 77);
    EXPECT_EQ(Loaded->size(), QSize(83, 67));
    Loaded->setObjectName("Standard");
    Loaded->ReadLayoutValues(Read);
    EXPECT_EQ(Loaded->FloatRightX, 0);
    EXPECT_EQ(Loaded->size(), QSize(152, 45));
}

TEST_F(BarForm, AShownBarStaysShownWhereverItMoves) {
    auto* Bar = MakeBar();
    int VisibleChanges = 0;
    Bar->OnVisibleChanged = [&](TCustomBar*) { ++VisibleChanges; };
    Bar->SetDockedTo(Top);
    QApplication::processEvents();
    ASSERT_TRUE(Bar->isVisible());
    for (TDock* Dock : {Left, static_cast<TDock*>(nullptr), Top, Bottom}) {
        Bar->SetDockedTo(Dock);
        QApplication::processEvents(); // a floating bar's visibility update
        EXPECT_TRUE(Bar->Visible());
        EXPECT_TRUE(Bar->isVisible());
        if (Dock) {
            EXPECT_EQ(Dock->BarCount(), 1);
        }
    }
    Bar->SetParent(Right);
    EXPECT_TRUE(Bar->isVisible());
    EXPECT_EQ(Right->BarCount(), 1);
    EXPECT_EQ(VisibleChanges, 0);
}

// Qt leaves a widget re-parented under a hidden parent unhidden but not shown, and shows it
// with the parent; a bar must take that show, or it stays invisible and never repaints.
TEST_F(BarForm, BarsDockedWhileTheFormIsHiddenShowWithItUnlessTheUserHidThem) {
    struct TCase {
        const char* Name;
        std::function<void(TCustomBar&)> WhileHidden;
        bool Shown;
    };
    const std::vector<TCase> Cases = {
        {"docked", [&](TCustomBar& B) { B.SetDockedTo(Top); }, true},
        {"moved to another dock",
         [&](TCustomBar& B) {
             B.SetDockedTo(Top);
             B.SetDockedTo(Left);
         },
         true},
        {"hidden, shown again",
         [&](TCustomBar& B) {
             B.SetDockedTo(Bottom);
             B.setVisible(false);
             B.setVisible(true);
         },
         true},
        {"floated again",
         [&](TCustomBar& B) {
             B.SetDockedTo(Top);
             B.SetDockedTo(nullptr);
         },
         true},
        {"hidden, then docked",
         [&](TCustomBar& B) {
             B.setVisible(false);
             B.SetDockedTo(Right);
         },
         false},
        {"docked, then hidden",
         [&](TCustomBar& B) {
             B.SetDockedTo(Top);
             B.setVisible(false);
         },
         false},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form->hide();
        std::unique_ptr<TCommandBar> Bar(MakeBar());
        Bar->show();
        Case.WhileHidden(*Bar);
        Form->show();
        QApplication::processEvents();
        EXPECT_EQ(Bar->Visible(), Case.Shown);
        EXPECT_EQ(Bar->isVisible(), Case.Shown);
    }
}

TEST_F(BarForm, ChildrenKeepTheOrderTheyCameIn) {
    auto* Bar = MakeBar(3, false);
    std::vector<QWidget*> Buttons;
    for (QObject* Child : Bar->children())
        if (auto* W = qobject_cast<QWidget*>(Child))
            Buttons.push_back(W);
    ASSERT_EQ(Buttons.size(), 3u);
    const auto Lefts = [&] {
        std::vector<int> Result;
        for (QWidget* W : Buttons)
            Result.push_back(W->x() - Bar->FrameMargins().left());
        return Result;
    };
    Buttons[0]->raise(); // reorders Qt's child list, not the bar
    Bar->Remeasure();
    EXPECT_EQ(Lefts(), (std::vector<int>{4, 27, 50}));

    // After loading the places decide: the last button put first.
    Buttons[2]->move(0, 0);
    Bar->AfterLoading();
    EXPECT_EQ(Lefts(), (std::vector<int>{27, 50, 4}));

    delete Buttons[2];
    Buttons.pop_back();
    Bar->Remeasure();
    EXPECT_EQ(Lefts(), (std::vector<int>{4, 27}));
}

TEST_F(BarForm, AReplacementPairShowsTheMemberForTheOrientation) {
    auto* Bar = MakeBar(1, false);
    auto* Wide = new QWidget(Bar);
    Wide->resize(60, 22);
    auto* Narrow = new QWidget(Bar);
    Narrow->resize(23, 22);
    Bar->AddReplacement(Wide, Narrow);
    EXPECT_FALSE(Wide->isHidden());
    EXPECT_TRUE(Narrow->isHidden());
    Bar->SetDockedTo(Left);
    EXPECT_TRUE(Wide->isHidden());
    EXPECT_FALSE(Narrow->isHidden());
    EXPECT_EQ(Bar->size(), QSize(27, 13 + 22 + 22));
    Bar->SetDockedTo(Top);
    EXPECT_FALSE(Wide->isHidden());
    EXPECT_EQ(Bar->size(), QSize(13 + 23 + 60, 26));
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

TEST_F(BarForm, LosingTheGrabEndsTheSession) {
    QWidget Other(Form.get());
    Other.show();
    const std::vector<std::pair<const char*, std::function<void(TCustomBar*)>>> Causes = {
        {"the application deactivates",
         [](TCustomBar*) {
             QEvent Event(QEvent::ApplicationDeactivate);
             QApplication::sendEvent(qApp, &Event);
         }},
        {"the application state turns inactive",
         [](TCustomBar*) {
             QApplicationStateChangeEvent Event(Qt::ApplicationInactive);
             QApplication::sendEvent(qApp, &Event);
         }},
        {"the bar hides with its form", [](TCustomBar* Bar) { Bar->SetHidden(true); }},
        {"a popup opens",
         [](TCustomBar*) {
             QWidget Popup(nullptr, Qt::Popup);
             Popup.show();
         }},
        {"another widget takes the mouse",
         [&Other](TCustomBar*) {
             Other.grabMouse();
             QMouseEvent Event(QEvent::MouseMove, QPointF(1, 1), Other.mapToGlobal(QPointF(1, 1)),
                               Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(&Other, &Event);
             Other.releaseMouse();
         }},
    };
    for (const auto& [Name, Cause] : Causes) {
        auto* Bar = MakeBar();
        Bar->show();
        QApplication::processEvents(); // the bar's first visibility update
        ASSERT_TRUE(Bar->isVisible());
        Bar->StartDrag(Centre(Bar), false);
        Bar->Session()->Move(DockTarget(Top), false);
        Cause(Bar);
        EXPECT_EQ(Bar->Session(), nullptr) << Name;
        EXPECT_EQ(Bar->DockedTo(), nullptr) << Name;
        delete Bar;
    }
}

TEST_F(BarForm, ClickingAFloatingBarGivesTheFocusBackToTheForm) {
    auto* Docked = MakeBar(0);
    auto* InBar = new QLineEdit(Docked);
    QPointer<QLineEdit> LaterInBar = new QLineEdit(Docked);
    Docked->Remeasure();
    Docked->SetDockedTo(Top); // first in the tab order, but inside a bar
    auto* First = new QLineEdit(Form.get());
    QPointer<QLineEdit> Second = new QLineEdit(Form.get());
    for (QWidget* Edit : {InBar, LaterInBar.data(), First, Second.data()})
        Edit->show();
    auto* Bar = MakeBar();
    Bar->show();
    QApplication::setActiveWindow(Form.get());
    ASSERT_TRUE(Form->isActiveWindow());
    const auto Click = [Bar] {
        const QPointF P(Bar->FrameMargins().left() + 2, Bar->FrameMargins().top() + 2);
        for (const auto Type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent Event(Type, P, Bar->mapToGlobal(P), Qt::LeftButton,
                              Type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(Bar, &Event);
        }
    };

    Second->setFocus();
    EXPECT_EQ(TBarRegistry::Instance().LastFocused(Form.get()), Second);
    Second->clearFocus();
    Click();
    EXPECT_EQ(Form->focusWidget(), Second);
    EXPECT_EQ(Bar->Session(), nullptr);

    // A control inside a docked bar is remembered like any other.
    LaterInBar->setFocus();
    EXPECT_EQ(TBarRegistry::Instance().LastFocused(Form.get()), LaterInBar);
    delete Second;
    LaterInBar->clearFocus();
    Click();
    EXPECT_EQ(Form->focusWidget(), LaterInBar);

    // Once it is gone, the first tab stop outside the bars takes the focus.
    delete LaterInBar;
    EXPECT_EQ(TBarRegistry::Instance().LastFocused(Form.get()), nullptr);
    Click();
    EXPECT_EQ(Form->focusWidget(), First);
}

TEST_F(BarForm, ABarThatChangesParentForgetsItsFocusedControl) {
    auto* Bar = MakeBar(0);
    auto* InBar = new QLineEdit(Bar);
    Bar->Remeasure();
    Bar->SetDockedTo(Top);
    InBar->show();
    QApplication::setActiveWindow(Form.get());
    InBar->setFocus();
    ASSERT_EQ(TBarRegistry::Instance().LastFocused(Form.get()), InBar);
    Bar->SetDockedTo(Left);
    EXPECT_EQ(TBarRegistry::Instance().LastFocused(Form.get()), nullptr);
}

TEST_F(BarForm, ARightClickShowsTheBarsMenuElseItsDocks) {
    QMenu DockMenu;
    QMenu BarMenu;
    Top->PopupMenu = &DockMenu;
    auto* Plain = MakeBar();
    Plain->SetDockedTo(Top);
    auto* WithMenu = MakeBar();
    WithMenu->PopupMenu = &BarMenu;
    WithMenu->SetDockedTo(Top);
    auto* Floating = MakeBar();
    Floating->show();
    const auto RightClick = [](QWidget* W) {
        QContextMenuEvent Event(QContextMenuEvent::Mouse, W->rect().center(),
                                W->mapToGlobal(W->rect().center()));
        QApplication::sendEvent(W, &Event);
    };
    const auto Shown = [&] {
        const QMenu* Menu = DockMenu.isVisible()  ? &DockMenu
                            : BarMenu.isVisible() ? &BarMenu
                                                  : nullptr;
        DockMenu.hide();
        BarMenu.hide();
        return Menu;
    };
    // A button on a bar passes the click on too.
    const std::vector<std::tuple<QWidget*, const QMenu*, const char*>> Cases = {
        {Top, &DockMenu, "dock"},
        {Plain, &DockMenu, "docked bar without a menu"},
        {Plain->findChildren<QWidget*>().back(), &DockMenu, "button on that bar"},
        {WithMenu, &BarMenu, "docked bar with a menu"},
        {Floating, nullptr, "floating bar without a menu"},
    };
    for (const auto& [Target, Menu, Name] : Cases) {
        RightClick(Target);
        EXPECT_EQ(Shown(), Menu) << Name;
    }
}

TEST_F(BarForm, ABarsColourFillsItsFrame) {
    auto* Bar = MakeBar(0);
    Bar->SetDockedTo(Top);
    Bar->SetColor(QColor(10, 120, 200));
    QImage Image(Bar->size(), QImage::Format_RGB32);
    Bar->render(&Image);
    EXPECT_EQ(Bar->Color(), QColor(10, 120, 200));
    EXPECT_EQ(QColor(Image.pixel(Bar->width() - 4, Bar->height() / 2)), QColor(10, 120, 200));
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

// A bar of the base kind: its client is whatever size it is given, down to a minimum.
class PlainBar : public TCustomBar {
public:
    PlainBar(QWidget* Owner, const TBarBehaviour& Behaviour) : TCustomBar(Owner) {
        FBehaviour = Behaviour;
        resize(160, 90);
        Remeasure();
    }
    int MeasureThickness(int) const override { return 20; }
    TBarSize MinimumClientSize() const override { return {50, 30}; }
    TBarSize LayOutChildren(bool, int, TDock*) override {
        const QMargins M = FrameMargins();
        return {width() - M.left() - M.right(), height() - M.top() - M.bottom()};
    }
};

TEST_F(BarForm, FloatingResizeKeepsTheMinimumClientSize) {
    PlainBar Bar(Form.get(), {});
    Bar.SetFloatingPlace({200, 200});
    Bar.show();
    const QPoint Corner = Bar.mapToGlobal(QPoint(Bar.width() - 1, Bar.height() - 1));
    Bar.StartResize(Corner, Qt::RightEdge | Qt::BottomEdge);
    Bar.Session()->Move(Corner - QPoint(400, 300), false);
    Bar.Session()->Release(Corner - QPoint(400, 300), false);
    // 50 by 30 inside a 3-pixel frame and a 14-pixel caption band.
    EXPECT_EQ(Bar.size(), QSize(56, 50));
    EXPECT_EQ(Bar.pos(), QPoint(200, 200));
}

TEST_F(BarForm, FloatingResizeConfinesTheCursorToTheWorkArea) {
    for (const bool Confine : {true, false}) {
        PlainBar Bar(Form.get(), {true, true, Confine});
        const TBarRect Work = WorkAreaOf(&Bar);
        Bar.SetFloatingPlace({Work.Right - 200, Work.Top + 50});
        Bar.show();
        const QPoint Edge = Bar.mapToGlobal(QPoint(Bar.width() - 1, 40));
        Bar.StartResize(Edge, Qt::RightEdge);
        Bar.Session()->Move(QPoint(Work.Right + 100, Edge.y()), false);
        Bar.Session()->Release(QPoint(Work.Right + 100, Edge.y()), false);
        EXPECT_EQ(Bar.width(), Confine ? 200 : 301) << Confine;
    }
}

TEST_F(BarForm, FloatingCornersSizeBothWaysUnlessCommandBar) {
    PlainBar Plain(Form.get(), {});
    auto* Command = MakeBar(6, false);
    // Frame 3, caption 14: a corner reaches 16 pixels along each edge.
    const auto Far = [](const QWidget& W, int X, int Y) {
        return QPoint(X < 0 ? W.width() + X : X, Y < 0 ? W.height() + Y : Y);
    };
    const std::vector<std::pair<std::pair<int, int>, std::pair<Qt::Edges, Qt::Edges>>> Cases = {
        {{0, 0}, {Qt::LeftEdge | Qt::TopEdge, Qt::LeftEdge}},
        {{0, 15}, {Qt::LeftEdge | Qt::TopEdge, Qt::LeftEdge}},
        {{0, 16}, {Qt::LeftEdge, Qt::LeftEdge}},
        {{15, 0}, {Qt::LeftEdge | Qt::TopEdge, Qt::TopEdge}},
        {{40, 0}, {Qt::TopEdge, Qt::TopEdge}},
        {{-1, -16}, {Qt::RightEdge | Qt::BottomEdge, Qt::RightEdge}},
        {{-16, -1}, {Qt::RightEdge | Qt::BottomEdge, Qt::BottomEdge}},
        {{-17, -1}, {Qt::BottomEdge, Qt::BottomEdge}},
        {{-1, 2}, {Qt::RightEdge | Qt::TopEdge, Qt::RightEdge}},
        {{2, -3}, {Qt::LeftEdge | Qt::BottomEdge, Qt::LeftEdge}},
    };
    for (const auto& [At, Want] : Cases) {
        EXPECT_EQ(Plain.FrameEdgesAt(Far(Plain, At.first, At.second)), Want.first)
            << At.first << "," << At.second;
        EXPECT_EQ(Command->FrameEdgesAt(Far(*Command, At.first, At.second)), Want.second)
            << At.first << "," << At.second;
    }
    EXPECT_EQ(Plain.FrameEdgesAt(QPoint(40, 40)), std::nullopt);

    // A press on a corner moves both edges with the cursor.
    Plain.SetFloatingPlace({200, 200});
    Plain.show();
    const QPoint TopLeft = Plain.mapToGlobal(QPoint(0, 0));
    QMouseEvent Press(QEvent::MouseButtonPress, QPointF(0, 0), QPointF(TopLeft), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Plain, &Press);
    ASSERT_NE(Plain.Session(), nullptr);
    Plain.Session()->Release(TopLeft - QPoint(30, 20), false);
    EXPECT_EQ(Plain.geometry(), QRect(170, 180, 190, 110));
}

TEST_F(BarForm, FloatingResizeIgnoresASmallTurnAtTheEdge) {
    auto* Bar = MakeBar(6, false);
    Bar->show();
    const QPoint Edge = Bar->mapToGlobal(QPoint(Bar->width() - 1, 20));
    Bar->StartResize(Edge, Qt::RightEdge);
    Bar->Session()->Move(Edge - QPoint(5, 0), false);
    Bar->Session()->Release(Edge - QPoint(5, 0), false);
    EXPECT_EQ(Bar->FloatRightX, 0);
    EXPECT_EQ(Bar->size(), QSize(152, 45));
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

// A bar that notes, as it goes, the dock it still names.
class TNotingBar : public TCommandBar {
public:
    TNotingBar(QWidget* Owner, TDock*& Named) : TCommandBar(Owner), FNamed(Named) {}
    ~TNotingBar() override { FNamed = DockedTo(); }

private:
    TDock*& FNamed;
};

TEST_F(BarForm, BarsGoingWithTheirDockNameNoDock) {
    for (const bool Shown : {true, false}) {
        TDock*& Dock = Shown ? Top : Bottom;
        TDock* Named = Left; // stays so unless the bar goes
        auto* Bar = new TNotingBar(Form.get(), Named);
        new TCommandBarSeparator(Bar);
        Bar->SetDockedTo(Dock);
        Bar->setVisible(Shown);
        delete Dock;
        Dock = nullptr;
        EXPECT_EQ(Named, nullptr) << (Shown ? "shown" : "hidden");
    }
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
    Picture.save(QDir(QCoreApplication::applicationDirPath()).filePath("CommandBarsPicture.png"));

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
