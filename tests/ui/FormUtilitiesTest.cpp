#include "ui/FormUtilities.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(FormUtilities, ComboSelection) {
    QComboBox Combo;
    SelectComboText(&Combo, "x"); // empty: nothing happens
    EXPECT_EQ(Combo.currentIndex(), -1);
    Combo.addItems({"Alpha", "Beta"});
    SelectComboText(&Combo, "Beta");
    EXPECT_EQ(Combo.currentIndex(), 1);
    SelectComboText(&Combo, "Gamma");
    EXPECT_EQ(Combo.currentIndex(), 0);
}

TEST(FormUtilities, FontComboIsSortedAndFixedPitchFilters) {
    QComboBox All;
    QComboBox Fixed;
    FillFontCombo(&All, false);
    FillFontCombo(&Fixed, true);
    EXPECT_GE(All.count(), Fixed.count());
    for (int I = 1; I < All.count(); ++I)
        EXPECT_LE(All.itemText(I - 1).localeAwareCompare(All.itemText(I)), 0);
}

TEST(FormUtilities, PlacementOnTheScreen) {
    const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect Screen = QGuiApplication::primaryScreen()->virtualGeometry();
    QWidget Form;
    Form.resize(200, 100);
    PlaceFormOnScreen(&Form, 10, 20);
    EXPECT_EQ(Form.pos(), QPoint(10, 20));
    const QPoint Centred((Area.width() - 200) / 2 + Area.left(),
                         (Area.height() - 100) / 2 + Area.top());
    PlaceFormOnScreen(&Form, -16000, 5);
    EXPECT_EQ(Form.pos(), Centred);
    Form.move(0, 0);
    PlaceFormOnScreen(&Form, Screen.left() + Screen.width() - 99, 20);
    EXPECT_EQ(Form.pos(), Centred);
    PlaceFormOnScreen(&Form, Screen.left() + Screen.width() - 100, 20);
    EXPECT_EQ(Form.pos(), QPoint(Screen.left() + Screen.width() - 100, 20));
    Form.move(0, 0);
    CentreOnMonitorAt(&Form, QPoint(-16000, -16000));
    EXPECT_EQ(Form.pos(), Centred);
}

TEST(FormUtilities, ClearMenuRemovesEverySubitem) {
    QMenu Menu;
    Menu.addAction("One");
    Menu.addSeparator();
    Menu.addMenu("Sub")->addAction("Inner");
    ClearMenu(&Menu);
    EXPECT_TRUE(Menu.actions().isEmpty());
}

TEST(FormUtilities, CollapseSiblingsLeavesTheNodeAlone) {
    QTreeWidget Tree;
    auto* A = new QTreeWidgetItem(&Tree, {"a"});
    auto* B = new QTreeWidgetItem(&Tree, {"b"});
    auto* C = new QTreeWidgetItem(&Tree, {"c"});
    auto* ADeep = new QTreeWidgetItem(A, {"a1"});
    new QTreeWidgetItem(ADeep, {"a11"});
    new QTreeWidgetItem(B, {"b1"});
    new QTreeWidgetItem(C, {"c1"});
    for (QTreeWidgetItem* Item : {A, ADeep, B, C})
        Item->setExpanded(true);
    CollapseSiblings(B);
    EXPECT_FALSE(A->isExpanded());
    EXPECT_FALSE(ADeep->isExpanded());
    EXPECT_TRUE(B->isExpanded());
    EXPECT_FALSE(C->isExpanded());
    SetTreeNodeBold(B, true);
    EXPECT_TRUE(B->font(0).bold());
    SetTreeNodeBold(B, false);
    EXPECT_FALSE(B->font(0).bold());
}

TEST(FormUtilities, RestartTimerKeepsItRunning) {
    QTimer Timer;
    Timer.setInterval(1000);
    Timer.start();
    RestartTimer(&Timer);
    EXPECT_TRUE(Timer.isActive());
    EXPECT_GT(Timer.remainingTime(), 900);
}

} // namespace
} // namespace korvid
