#include "ui/SafeTreeView.h"

#include "ui/FormUtilities.h"
#include "ui/ShellImageList.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QWindow>

namespace korvid {

TTreeNode::TTreeNode(const QString& Caption, std::unique_ptr<TTreeNodeData> Data)
    : QTreeWidgetItem(QStringList{Caption}, NodeType), FData(std::move(Data)) {
    setFlags(flags() | Qt::ItemIsEditable);
}

bool TTreeNode::operator<(const QTreeWidgetItem& Other) const {
    const auto* Tree = qobject_cast<const TSafeTreeView*>(treeWidget());
    if (Tree && Tree->FLess && Other.type() == NodeType)
        return Tree->FLess(*this, static_cast<const TTreeNode&>(Other));
    return QTreeWidgetItem::operator<(Other);
}

std::optional<TTreeTip> TreeTipFor(const QRect& Label, const QSize& Viewport,
                                   const QString& Caption) {
    if (Viewport.width() >= Label.x() + Label.width() &&
        Viewport.height() >= Label.y() + Label.height())
        return std::nullopt;
    return TTreeTip{Caption.left(TreeTipLength), Label.topLeft() - QPoint(1, 1)};
}

// Hands the typed caption to the tree's edited event before it is set.
class TSafeTreeView::TCaptionDelegate : public QStyledItemDelegate {
public:
    explicit TCaptionDelegate(TSafeTreeView* Tree) : QStyledItemDelegate(Tree), FTree(Tree) {}

    void setModelData(QWidget* Editor, QAbstractItemModel* Model,
                      const QModelIndex& Index) const override {
        auto* Line = qobject_cast<QLineEdit*>(Editor);
        auto* Node = static_cast<TTreeNode*>(FTree->itemFromIndex(Index));
        if (!Line || !Node || !FTree->OnEdited)
            return QStyledItemDelegate::setModelData(Editor, Model, Index);
        QString Caption = Line->text();
        FTree->OnEdited(*Node, Caption);
        Model->setData(Index, Caption, Qt::EditRole);
    }

private:
    TSafeTreeView* FTree;
};

TSafeTreeView::TSafeTreeView(QWidget* Parent) : QTreeWidget(Parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    // The column is as wide as its longest caption, so a caption is cut off by the viewport
    // (and then shown as a tooltip), never elided.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setIconSize(QSize(16, 16));
    setEditTriggers(NoEditTriggers);
    setItemDelegate(new TCaptionDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(InternalMove);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* Item) {
        if (OnExpanding && Item->type() == TTreeNode::NodeType)
            OnExpanding(*static_cast<TTreeNode*>(Item));
    });
}

TSafeTreeView::~TSafeTreeView() = default;

void TSafeTreeView::BeginUpdate() {
    if (FUpdateCount++ == 0)
        setUpdatesEnabled(false);
}

void TSafeTreeView::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        setUpdatesEnabled(true);
}

TTreeNode* TSafeTreeView::AddNode(TTreeNode* Parent, const QString& Caption,
                                  std::unique_ptr<TTreeNodeData> Data) {
    auto Node = std::make_unique<TTreeNode>(Caption, std::move(Data));
    TTreeNode* Added = Node.get();
    if (Parent)
        Parent->addChild(Node.release());
    else
        addTopLevelItem(Node.release());
    return Added;
}

void TSafeTreeView::SetImages(TTreeNode* Node, int ImageIndex, int SelectedIndex) {
    Node->FImageIndex = ImageIndex;
    Node->FSelectedIndex = SelectedIndex;
    const QSize Size = iconSize();
    QIcon Icon;
    Icon.addPixmap(ShellImageList().Icon(ImageIndex).pixmap(Size), QIcon::Normal);
    Icon.addPixmap(ShellImageList().Icon(SelectedIndex).pixmap(Size), QIcon::Selected);
    Node->setIcon(0, Icon);
}

void TSafeTreeView::SetBold(TTreeNode* Node, bool Bold) {
    SetTreeNodeBold(Node, Bold);
}

int TSafeTreeView::NodeCount() const {
    int Count = 0;
    for (const TTreeNode* Node = FirstNode(); Node; Node = NextNode(Node))
        ++Count;
    return Count;
}

TTreeNode* TSafeTreeView::FirstNode() const {
    return static_cast<TTreeNode*>(topLevelItem(0));
}

TTreeNode* TSafeTreeView::NextNode(const TTreeNode* Node) {
    if (Node->childCount() > 0)
        return Node->Child(0);
    for (const QTreeWidgetItem* Item = Node; Item;) {
        QTreeWidgetItem* Parent = Item->parent();
        QTreeWidgetItem* Level = Parent ? Parent : Item->treeWidget()->invisibleRootItem();
        const int Index = Level->indexOfChild(const_cast<QTreeWidgetItem*>(Item));
        if (Index + 1 < Level->childCount())
            return static_cast<TTreeNode*>(Level->child(Index + 1));
        Item = Parent;
    }
    return nullptr;
}

QRect TSafeTreeView::LabelRect(const TTreeNode* Node) const {
    const QModelIndex Index = indexFromItem(Node);
    QStyleOptionViewItem Option;
    initViewItemOption(&Option);
    Option.rect = visualRect(Index);
    Option.text = Node->Caption();
    Option.icon = Node->icon(0);
    Option.features |= QStyleOptionViewItem::HasDisplay;
    if (!Option.icon.isNull())
        Option.features |= QStyleOptionViewItem::HasDecoration;
    Option.font = Node->font(0);
    Option.fontMetrics = QFontMetrics(Option.font);
    const QRect Text = style()->subElementRect(QStyle::SE_ItemViewItemText, &Option, this);
    const int Margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return {Text.left(), Option.rect.top(),
            Option.fontMetrics.horizontalAdvance(Node->Caption()) + 2 * Margin,
            Option.rect.height()};
}

TTreeNode* TSafeTreeView::NodeAt(const QPoint& Point) const {
    auto* Node = static_cast<TTreeNode*>(itemAt(Point));
    return Node && LabelRect(Node).contains(Point) ? Node : nullptr;
}

TTreeNode* TSafeTreeView::Selected() const {
    return static_cast<TTreeNode*>(currentItem());
}

void TSafeTreeView::SetSelected(TTreeNode* Node) {
    setCurrentItem(Node);
    if (Node)
        scrollToItem(Node);
}

void TSafeTreeView::SortChildren(TTreeNode* Parent,
                                 std::function<bool(const TTreeNode&, const TTreeNode&)> Less) {
    FLess = std::move(Less);
    (Parent ? static_cast<QTreeWidgetItem*>(Parent) : invisibleRootItem())
        ->sortChildren(0, Qt::AscendingOrder);
    FLess = nullptr;
}

void TSafeTreeView::EditCaption(TTreeNode* Node) {
    if (OnEditing && !OnEditing(*Node))
        return;
    setCurrentItem(Node);
    QTreeWidget::edit(indexFromItem(Node), AllEditTriggers, nullptr);
}

bool TSafeTreeView::IsEditing() const {
    return state() == EditingState;
}

void TSafeTreeView::EndEdit(bool Keep) {
    if (!IsEditing())
        return;
    QWidget* Editor = indexWidget(currentIndex());
    if (!Editor)
        return;
    if (Keep)
        commitData(Editor);
    closeEditor(Editor, QAbstractItemDelegate::NoHint);
}

bool TSafeTreeView::edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) {
    auto* Node = static_cast<TTreeNode*>(itemFromIndex(Index));
    if (Node && Trigger != NoEditTriggers && OnEditing && !OnEditing(*Node))
        return false;
    return QTreeWidget::edit(Index, Trigger, Event);
}

bool TSafeTreeView::viewportEvent(QEvent* Event) {
    if (Event->type() != QEvent::ToolTip)
        return QTreeWidget::viewportEvent(Event);
    ShowTip(static_cast<QHelpEvent*>(Event)->pos());
    return true;
}

void TSafeTreeView::ShowTip(const QPoint& Point) {
    const auto* Node = static_cast<TTreeNode*>(itemAt(Point));
    const std::optional<TTreeTip> Tip =
        Node ? TreeTipFor(LabelRect(Node), viewport()->size(), Node->Caption()) : std::nullopt;
    if (!Tip) {
        QToolTip::hideText();
        return;
    }
    const QPoint At = viewport()->mapToGlobal(Tip->At);
    // Moving off the label takes the tip away.
    QToolTip::showText(At, Tip->Text, viewport(), LabelRect(Node), HintHidePause);
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->objectName() == QLatin1String("qtooltip_label") && Window->isVisible()) {
            // The tip goes over the label itself, under the pointer: it lets the pointer through
            // before it moves there, or the tree would lose the pointer to it and the tip would
            // go at once.
            if (QWindow* Handle = Window->windowHandle())
                Handle->setFlag(Qt::WindowTransparentForInput);
            Window->move(At);
        }
}

TTreeNode* TSafeTreeView::DraggedNode() const {
    return Selected();
}

bool TSafeTreeView::AcceptsDrop(const QPoint& Point) const {
    TTreeNode* Source = DraggedNode();
    return Source && OnDragOver && OnDragOver(*Source, static_cast<TTreeNode*>(itemAt(Point)));
}

void TSafeTreeView::dragMoveEvent(QDragMoveEvent* Event) {
    QTreeWidget::dragMoveEvent(Event);
    if (Event->source() == this && AcceptsDrop(Event->position().toPoint()))
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void TSafeTreeView::dropEvent(QDropEvent* Event) {
    // The handler moves the nodes itself; the widget's own move is never used.
    const QPoint Point = Event->position().toPoint();
    if (Event->source() != this || !AcceptsDrop(Point)) {
        Event->ignore();
        return;
    }
    Event->setDropAction(Qt::IgnoreAction);
    Event->accept();
    if (OnDragDrop)
        OnDragDrop(*DraggedNode(), static_cast<TTreeNode*>(itemAt(Point)));
}

} // namespace korvid
