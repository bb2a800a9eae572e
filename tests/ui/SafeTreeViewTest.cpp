#include "ui/SafeTreeView.h"

#include <QApplication>
#include <QDropEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QToolTip>
#include <gtest/gtest.h>

namespace korvid {
namespace {

// Counts the data objects alive, so that a test sees them freed with their nodes.
class TCountedData : public TTreeNodeData {
public:
    explicit TCountedData(int& Alive) : FAlive(Alive) { ++FAlive; }
    ~TCountedData() override { --FAlive; }

private:
    int& FAlive;
};

class TTreeFixture : public ::testing::Test {
protected:
    TTreeFixture() {
        Tree.resize(200, 120);
        Tree.show();
    }
    // A, A1, A1a, A1b, A2, B, B1: three levels.
    void BuildThreeLevels() {
        TTreeNode* A = Add(nullptr, "A");
        TTreeNode* A1 = Add(A, "A1");
        Add(A1, "A1a");
        Add(A1, "A1b");
        Add(A, "A2");
        Add(Add(nullptr, "B"), "B1");
    }
    TTreeNode* Add(TTreeNode* Parent, const QString& Caption) {
        return Tree.AddNode(Parent, Caption, std::make_unique<TCountedData>(Alive));
    }

    int Alive = 0;
    TSafeTreeView Tree;
};

TEST_F(TTreeFixture, DataObjectsAreFreedWithTheirNodes) {
    BuildThreeLevels();
    ASSERT_EQ(Alive, 7);
    EXPECT_EQ(Tree.NodeCount(), 7);
    delete Tree.FirstNode()->Child(0); // A1 with its two children
    EXPECT_EQ(Alive, 4);
    EXPECT_EQ(TSafeTreeView::ChildCount(Tree.FirstNode()), 1);
    Tree.Clear();
    EXPECT_EQ(Alive, 0);
    BuildThreeLevels();
    {
        TSafeTreeView Other;
        Other.AddNode(nullptr, "X", std::make_unique<TCountedData>(Alive));
        EXPECT_EQ(Alive, 8);
    }
    EXPECT_EQ(Alive, 7);
}

TEST_F(TTreeFixture, NextNodeWalksThreeLevelsInPreOrder) {
    BuildThreeLevels();
    QStringList Walk;
    for (const TTreeNode* Node = Tree.FirstNode(); Node; Node = TSafeTreeView::NextNode(Node))
        Walk << Node->Caption();
    EXPECT_EQ(Walk.join(' ').toStdString(), "A A1 A1a A1b A2 B B1");
}

TEST_F(TTreeFixture, OnlyTheLabelIsHit) {
    TTreeNode* Parent = Add(nullptr, "Parent");
    TTreeNode* Child = Add(Parent, "Child");
    Tree.SetImages(Child, 0, 0);
    Tree.expandAll();
    const QRect Row = Tree.visualItemRect(Child);
    const QRect Label = Tree.LabelRect(Child);
    ASSERT_GT(Label.left(), Row.left() + 16) << "the icon stands before the label";
    EXPECT_EQ(Tree.NodeAt(Label.center()), Child);
    EXPECT_EQ(Tree.NodeAt({2, Row.center().y()}), nullptr) << "indent";
    EXPECT_EQ(Tree.NodeAt({Row.left() + 8, Row.center().y()}), nullptr) << "icon";
    EXPECT_EQ(Tree.NodeAt({Label.right() + 20, Row.center().y()}), nullptr) << "after the label";
}

TEST_F(TTreeFixture, SettingTheSelectionScrollsItIntoView) {
    for (int I = 0; I < 50; ++I)
        Add(nullptr, QString("Node %1").arg(I));
    TTreeNode* Last = static_cast<TTreeNode*>(Tree.topLevelItem(49));
    ASSERT_FALSE(Tree.viewport()->rect().intersects(Tree.visualItemRect(Last)));
    Tree.SetSelected(Last);
    EXPECT_EQ(Tree.Selected(), Last);
    EXPECT_TRUE(Tree.viewport()->rect().contains(Tree.visualItemRect(Last)));
}

TEST_F(TTreeFixture, InPlaceEditingReportsTheNewCaption) {
    TTreeNode* Node = Add(nullptr, "Old name");
    TTreeNode* Fixed = Add(nullptr, "Fixed");
    QString Reported;
    Tree.OnEditing = [&](TTreeNode& Editing) { return &Editing != Fixed; };
    Tree.OnEdited = [&](TTreeNode&, QString& Caption) {
        Reported = Caption;
        Caption = Caption.trimmed();
    };
    Tree.EditCaption(Fixed);
    EXPECT_FALSE(Tree.IsEditing());
    Tree.EditCaption(Node);
    ASSERT_TRUE(Tree.IsEditing());
    auto* Editor = qobject_cast<QLineEdit*>(Tree.indexWidget(Tree.currentIndex()));
    ASSERT_NE(Editor, nullptr);
    Editor->setText(" New name ");
    Tree.EndEdit(true);
    EXPECT_FALSE(Tree.IsEditing());
    EXPECT_EQ(Reported, " New name ");
    EXPECT_EQ(Node->Caption(), "New name");
}

TEST_F(TTreeFixture, SortsChildrenByTheCallersComparison) {
    TTreeNode* Top = Add(nullptr, "Top");
    for (const char* Caption : {"bb", "a", "ccc"})
        Add(Top, Caption);
    Tree.SortChildren(Top, [](const TTreeNode& A, const TTreeNode& B) {
        return A.Caption().size() > B.Caption().size();
    });
    QStringList Order;
    for (int I = 0; I < Top->childCount(); ++I)
        Order << Top->Child(I)->Caption();
    EXPECT_EQ(Order.join(' ').toStdString(), "ccc bb a");
}

TEST_F(TTreeFixture, ExpandingAskedForLazyFilling) {
    TTreeNode* Folder = Add(nullptr, "Folder");
    Add(Folder, "Dummy");
    Tree.OnExpanding = [&](TTreeNode& Node) {
        qDeleteAll(Node.takeChildren());
        Add(&Node, "Filled");
    };
    Folder->setExpanded(true);
    ASSERT_EQ(Folder->childCount(), 1);
    EXPECT_EQ(Folder->Child(0)->Caption(), "Filled");
}

TEST_F(TTreeFixture, ADropFromOutsideTheTreeIsRefused) {
    TTreeNode* Source = Add(nullptr, "Source");
    TTreeNode* Target = Add(nullptr, "Target");
    Tree.SetSelected(Source);
    TTreeNode* Dropped = nullptr;
    Tree.OnDragOver = [&](TTreeNode& From, TTreeNode* To) { return &From != To && To; };
    Tree.OnDragDrop = [&](TTreeNode&, TTreeNode* To) { Dropped = To; };
    std::unique_ptr<QMimeData> Data(Tree.model()->mimeData({Tree.currentIndex()}));
    const QPoint At = Tree.LabelRect(Target).center();
    // Only nodes of this tree are dragged within it; the handler never sees anything else.
    QDropEvent Foreign(At, Qt::MoveAction, Data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Tree.viewport(), &Foreign);
    EXPECT_EQ(Dropped, nullptr);
    EXPECT_EQ(Tree.topLevelItemCount(), 2);
}

// The tooltip rule on its own, then as the tree shows it.
TEST(TreeTip, ShowsTheStartOfACutOffCaptionOverTheLabel) {
    const QString Long(100, QChar('x'));
    const QSize Viewport(200, 100);
    EXPECT_FALSE(TreeTipFor(QRect(20, 10, 180, 16), Viewport, Long)) << "fits exactly";
    const auto Tip = TreeTipFor(QRect(20, 10, 600, 16), Viewport, Long);
    ASSERT_TRUE(Tip);
    EXPECT_EQ(Tip->Text, Long.left(79));
    EXPECT_EQ(Tip->At, QPoint(19, 9));
    EXPECT_TRUE(TreeTipFor(QRect(20, 90, 60, 16), Viewport, "short")) << "below the bottom";
}

TEST_F(TTreeFixture, TreeShowsTheTipOnlyForACaptionThatDoesNotFit) {
    TTreeNode* Short = Add(nullptr, "Short");
    QString Long;
    for (int I = 0; I < 10; ++I)
        Long += QString("%1abcdefghi").arg(I);
    TTreeNode* Wide = Add(nullptr, Long);
    ASSERT_EQ(Long.size(), 100);
    const auto Hover = [&](TTreeNode* Node) {
        const QPoint At = Tree.visualItemRect(Node).topLeft() + QPoint(30, 2);
        QHelpEvent Event(QEvent::ToolTip, At, Tree.viewport()->mapToGlobal(At));
        QApplication::sendEvent(Tree.viewport(), &Event);
    };
    Hover(Short);
    EXPECT_TRUE(QToolTip::text().isEmpty());
    Hover(Wide);
    ASSERT_EQ(QToolTip::text(), Long.left(79));
    QWidget* Label = nullptr;
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->objectName() == QLatin1String("qtooltip_label") && Window->isVisible())
            Label = Window;
    ASSERT_NE(Label, nullptr);
    EXPECT_EQ(Label->pos(),
              Tree.viewport()->mapToGlobal(Tree.LabelRect(Wide).topLeft() - QPoint(1, 1)));
    QToolTip::hideText();
}

} // namespace
} // namespace korvid
