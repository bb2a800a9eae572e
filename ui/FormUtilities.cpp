#include "ui/FormUtilities.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

namespace korvid {

namespace {

QPointer<QWidget>& MainFormPointer() {
    static QPointer<QWidget> Form;
    return Form;
}

TRect ToRect(const QRect& R) {
    return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
}

QScreen* ScreenNearest(const QPoint& Point) {
    if (QScreen* Screen = QGuiApplication::screenAt(Point))
        return Screen;
    QScreen* Best = QGuiApplication::primaryScreen();
    long long BestDistance = -1;
    for (QScreen* Screen : QGuiApplication::screens()) {
        const QRect G = Screen->geometry();
        const long long Dx = std::max({G.left() - Point.x(), 0, Point.x() - G.right()});
        const long long Dy = std::max({G.top() - Point.y(), 0, Point.y() - G.bottom()});
        const long long Distance = Dx * Dx + Dy * Dy;
        if (BestDistance < 0 || Distance < BestDistance) {
            Best = Screen;
            BestDistance = Distance;
        }
    }
    return Best;
}

void CentreInScreen(QWidget* Form, const QScreen* Screen) {
    if (!Form || !Screen)
        return;
    const TPoint P =
        CentredPosition(Form->width(), Form->height(), ToRect(Screen->availableGeometry()));
    Form->move(P.X, P.Y);
}

} // namespace

void FillFontCombo(QComboBox* ComboBox, bool FixedPitchOnly) {
    for (const std::string& Name : FontFamilyNames(FixedPitchOnly))
        ComboBox->addItem(ToQString(Name));
    ComboBox->model()->sort(0);
}

void SelectComboText(QComboBox* ComboBox, std::string_view Text) {
    const int Index = ComboBox->findText(ToQString(Text), Qt::MatchExactly);
    if (Index >= 0)
        ComboBox->setCurrentIndex(Index);
    else if (ComboBox->count() > 0)
        ComboBox->setCurrentIndex(0);
}

void CentreOnForm(QWidget* Form, const QWidget* Reference) {
    const QScreen* Screen = QGuiApplication::primaryScreen();
    if (Reference) {
        const QRect Frame = Reference->frameGeometry();
        Screen = ScreenNearest(Reference->isWindow()
                                   ? Frame.center()
                                   : Reference->mapToGlobal(Reference->rect().center()));
    }
    CentreInScreen(Form, Screen);
}

void CentreOnMainForm(QWidget* Form) {
    CentreOnForm(Form, MainForm());
}

void CentreOverWindow(QWidget* Form, const QWidget* Window) {
    // Until it shows, a form has the size of no layout of its own.
    if (!Form->testAttribute(Qt::WA_Resized))
        Form->adjustSize();
    if (!Window)
        Window = MainForm();
    if (!Window) {
        CentreOnMainForm(Form);
        return;
    }
    const QRect Over = Window->window()->frameGeometry();
    const QScreen* Screen = ScreenNearest(Over.center());
    const QRect Work = Screen ? Screen->availableGeometry() : Over;
    const TPoint Centred = CentredPosition(Form->width(), Form->height(), ToRect(Over));
    const int Left =
        std::clamp(Centred.X, Work.left(), std::max(Work.left(), Work.right() + 1 - Form->width()));
    const int Top =
        std::clamp(Centred.Y, Work.top(), std::max(Work.top(), Work.bottom() + 1 - Form->height()));
    Form->move(Left, Top);
}

void CentreOnMonitorAt(QWidget* Form, const QPoint& Point) {
    if (Point.x() == OffScreenPosition && Point.y() == OffScreenPosition) {
        CentreOnMainForm(Form);
        return;
    }
    CentreInScreen(Form, ScreenNearest(Point));
}

void PlaceFormOnScreen(QWidget* Form, int Left, int Top) {
    if (Left == OffScreenPosition || Top == OffScreenPosition) {
        CentreOnMainForm(Form);
        return;
    }
    const QScreen* Primary = QGuiApplication::primaryScreen();
    if (!Primary)
        return;
    const TRect Virtual = ToRect(Primary->virtualGeometry());
    if (KeepsSavedPosition(Left, Top, Form->width(), Form->height(), Virtual))
        Form->move(Left, Top);
    else
        CentreInScreen(Form, ScreenNearest(Primary->geometry().center()));
}

QRect StoredPlace(const QWidget& Form) {
    return Form.isMaximized() ? Form.normalGeometry() : QRect(Form.pos(), Form.size());
}

void SetMainForm(QWidget* Form) {
    MainFormPointer() = Form;
}

QWidget* MainForm() {
    return MainFormPointer().data();
}

void RestartTimer(QTimer* Timer) {
    Timer->stop();
    Timer->start();
}

void ClearMenu(QMenu* Item) {
    while (!Item->actions().isEmpty()) {
        QAction* First = Item->actions().first();
        Item->removeAction(First);
        if (First->parent() == Item)
            delete First; // the menu owned it
    }
}

namespace {

void CollapseTree(QTreeWidgetItem* Node) {
    for (int I = 0; I < Node->childCount(); ++I)
        CollapseTree(Node->child(I));
    Node->setExpanded(false);
}

void CollapseIfExpanded(QTreeWidgetItem* Node) {
    if (Node->isExpanded())
        CollapseTree(Node);
}

} // namespace

void CollapseSiblings(QTreeWidgetItem* Node) {
    QTreeWidgetItem* Parent = Node->parent();
    QTreeWidget* Tree = Node->treeWidget();
    const int Count = Parent ? Parent->childCount() : (Tree ? Tree->topLevelItemCount() : 0);
    const auto Sibling = [&](int I) { return Parent ? Parent->child(I) : Tree->topLevelItem(I); };
    const int Index =
        Parent ? Parent->indexOfChild(Node) : (Tree ? Tree->indexOfTopLevelItem(Node) : -1);
    if (Index < 0)
        return;
    for (int I = Index + 1; I < Count; ++I)
        CollapseIfExpanded(Sibling(I));
    for (int I = Index - 1; I >= 0; --I)
        CollapseIfExpanded(Sibling(I));
}

void SetTreeNodeBold(QTreeWidgetItem* Node, bool Bold) {
    for (int Column = 0; Column < std::max(1, Node->columnCount()); ++Column) {
        QFont Font = Node->font(Column);
        Font.setBold(Bold);
        Node->setFont(Column, Font);
    }
}

TWaitCursor::TWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace korvid
