#pragma once

#include <QString>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>

class QStyledItemDelegate;

namespace korvid {

// How long a tree's tooltip stays up, the application's hint time.
constexpr int HintHidePause = 2500;
// A tooltip shows at most this many characters of a caption.
constexpr int TreeTipLength = 79;

// A data object a node owns: freed with the node, its subtree or the tree.
class TTreeNodeData {
public:
    virtual ~TTreeNodeData() = default;
};

class TTreeNode : public QTreeWidgetItem {
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 1;

    explicit TTreeNode(const QString& Caption, std::unique_ptr<TTreeNodeData> Data = {});

    TTreeNodeData* Data() const { return FData.get(); }
    void SetData(std::unique_ptr<TTreeNodeData> Data) { FData = std::move(Data); }
    TTreeNode* Parent() const { return static_cast<TTreeNode*>(parent()); }
    TTreeNode* Child(int Index) const { return static_cast<TTreeNode*>(child(Index)); }
    QString Caption() const { return text(0); }
    void SetCaption(const QString& Caption) { setText(0, Caption); }
    // Indexes into the shared small-icon list; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    int SelectedIndex() const { return FSelectedIndex; }

    bool operator<(const QTreeWidgetItem& Other) const override;

private:
    friend class TSafeTreeView;
    std::unique_ptr<TTreeNodeData> FData;
    int FImageIndex = -1;
    int FSelectedIndex = -1;
};

// Where and what a tree's tooltip shows, in viewport coordinates.
struct TTreeTip {
    QString Text;
    QPoint At;
};

// A label wholly inside the viewport needs no tooltip; any other shows the start of its caption
// just over the label, so that the tip covers it exactly.
std::optional<TTreeTip> TreeTipFor(const QRect& Label, const QSize& Viewport,
                                   const QString& Caption);

// The tree of the file and favourites views: one column of captions with small icons, a
// tooltip for a caption cut off by the edge, and the node operations those views are built on.
class TSafeTreeView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TSafeTreeView(QWidget* Parent = nullptr);
    ~TSafeTreeView() override;

    void Clear() { clear(); }
    // Painting stops until the matching EndUpdate; the calls nest.
    void BeginUpdate();
    void EndUpdate();

    // Adds a node as the last child of Parent (the top level when null).
    TTreeNode* AddNode(TTreeNode* Parent, const QString& Caption,
                       std::unique_ptr<TTreeNodeData> Data = {});
    void SetImages(TTreeNode* Node, int ImageIndex, int SelectedIndex);
    void SetBold(TTreeNode* Node, bool Bold);

    // Every node of the tree.
    int NodeCount() const;
    TTreeNode* FirstNode() const;
    // The node after Node in pre-order, null after the last.
    static TTreeNode* NextNode(const TTreeNode* Node);
    // The node whose label holds Point (viewport coordinates): the indent and the icon hit none.
    TTreeNode* NodeAt(const QPoint& Point) const;
    // The caption's own rectangle in viewport coordinates.
    QRect LabelRect(const TTreeNode* Node) const;

    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* Node);
    static int ChildCount(const TTreeNode* Node) { return Node->childCount(); }
    void Collapse(TTreeNode* Node) { collapseItem(Node); }
    // Orders the children of Parent (the top level when null) by the caller's comparison.
    void SortChildren(TTreeNode* Parent,
                      std::function<bool(const TTreeNode&, const TTreeNode&)> Less);

    // In-place caption editing.
    void EditCaption(TTreeNode* Node);
    bool IsEditing() const;
    // Ends the edit in progress, keeping the typed caption or dropping it.
    void EndEdit(bool Keep);

    // May refuse an edit before it starts.
    std::function<bool(TTreeNode& Node)> OnEditing;
    // Told the new caption before it is set; may change it.
    std::function<void(TTreeNode& Node, QString& Caption)> OnEdited;
    // A node is about to show its children: the place to fill it.
    std::function<void(TTreeNode& Node)> OnExpanding;
    // A node dragged inside the tree; Target is null over empty space.
    std::function<bool(TTreeNode& Source, TTreeNode* Target)> OnDragOver;
    std::function<void(TTreeNode& Source, TTreeNode* Target)> OnDragDrop;

protected:
    bool viewportEvent(QEvent* Event) override;
    bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    class TCaptionDelegate;
    friend class TCaptionDelegate;
    friend class TTreeNode;

    void ShowTip(const QPoint& Point);
    TTreeNode* DraggedNode() const;
    bool AcceptsDrop(const QPoint& Point) const;

    int FUpdateCount = 0;
    std::function<bool(const TTreeNode&, const TTreeNode&)> FLess;
};

} // namespace korvid
