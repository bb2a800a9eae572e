#include "devtools/debugger/DebuggingBar.h"

#include "devtools/debugger/DebugTexts.h"
#include "devtools/debugger/Debugger.h"
#include "platform/Cp1252.h"
#include "ui/CommandBars.h"
#include "ui/VariablesImages.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolbarSettings.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTextOption>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace korvid {

namespace {

constexpr int ItemMargin = 2;
constexpr int IconSpace = 20;
// The yellow of the current breakpoint and of a changed watch.
constexpr TColor MarkedColour = 0x0000FFFF;

template <typename T> const T* ObjectOf(const QModelIndex& Index) {
    return reinterpret_cast<const T*>(Index.data(DebugObjectRole).value<quintptr>());
}

QString Q(const std::string& Text) {
    return ToQString(Text);
}

// The item's own text without its final enabled or disabled mark.
QString WithoutMark(QString Text) {
    if (Text.endsWith('+') || Text.endsWith('-'))
        Text.chop(1);
    return Text;
}

// The bar is narrow: the tools go in rows of at most this many buttons, broken at their
// separators.
constexpr std::size_t ButtonsPerRow = 9;

std::vector<std::vector<std::string>> ToolbarRowsOf(const std::vector<std::string>& Tools) {
    std::vector<std::vector<std::string>> Rows(1);
    std::vector<std::string> Group;
    const auto Buttons = [](const std::vector<std::string>& Names) {
        return static_cast<std::size_t>(
            std::count_if(Names.begin(), Names.end(), [](const auto& N) { return N != "-"; }));
    };
    const auto Flush = [&] {
        if (Group.empty())
            return;
        if (!Rows.back().empty() && Buttons(Rows.back()) + Buttons(Group) > ButtonsPerRow)
            Rows.emplace_back();
        if (!Rows.back().empty())
            Rows.back().emplace_back("-");
        Rows.back().insert(Rows.back().end(), Group.begin(), Group.end());
        Group.clear();
    };
    for (const std::string& Name : Tools) {
        if (Name == "-")
            Flush();
        else
            Group.push_back(Name);
    }
    Flush();
    return Rows;
}

} // namespace

// ---- Item drawing ---------------------------------------------------------------------------

int DebugListItemHeight(const QFontMetrics& Metrics) {
    return 3 * Metrics.height() + 2 * ItemMargin;
}

void DrawDebugListItem(QPainter& Painter, const QStyleOptionViewItem& Option,
                       const TDebugItemTexts& Texts, const QColor& Background, const QIcon& Icon) {
    const bool Selected = Option.state & QStyle::State_Selected;
    const QPalette& Palette = Option.palette;
    Painter.save();
    Painter.fillRect(Option.rect, Selected ? Palette.color(QPalette::Highlight) : Background);
    Painter.setPen(Selected ? Palette.color(QPalette::HighlightedText)
                            : Palette.color(QPalette::Text));
    Painter.setFont(Option.font);
    QRect Area = Option.rect.adjusted(ItemMargin, ItemMargin, -ItemMargin, -ItemMargin);
    if (!Icon.isNull()) {
        Icon.paint(&Painter, QRect(Area.left(), Area.top(), 16, 16));
        Area.setLeft(Area.left() + IconSpace);
    }
    const QFontMetrics Metrics(Option.font);
    int Top = Area.top();
    for (std::size_t Index = 0; Index < Texts.size(); ++Index) {
        const QString& Line = Texts[Index];
        if (Line.isEmpty())
            continue;
        // The place line keeps its end, which holds the line number.
        const Qt::TextElideMode Elide = Index == 2 ? Qt::ElideMiddle : Qt::ElideRight;
        const QRect LineRect(Area.left(), Top, Area.width(), Metrics.height());
        Painter.drawText(LineRect, Qt::AlignLeft | Qt::AlignVCenter,
                         Metrics.elidedText(Line, Elide, LineRect.width()));
        Top += Metrics.height();
    }
    // A faint rule between items.
    Painter.setPen(Palette.color(QPalette::Midlight));
    Painter.drawLine(Option.rect.bottomLeft(), Option.rect.bottomRight());
    if (Option.state & QStyle::State_HasFocus) {
        Painter.setPen(QPen(Palette.color(QPalette::Text), 1, Qt::DotLine));
        Painter.drawRect(Option.rect.adjusted(0, 0, -1, -1));
    }
    Painter.restore();
}

TDebugItemDelegate::TDebugItemDelegate(const TDebugger& Debugger, bool Breakpoints, QObject* Parent)
    : QStyledItemDelegate(Parent), FDebugger(Debugger), FBreakpoints(Breakpoints) {}

TDebugItemTexts TDebugItemDelegate::ItemTexts(const QModelIndex& Index) const {
    QString Text = Index.data(Qt::DisplayRole).toString();
    if (FBreakpoints)
        Text = WithoutMark(Text);
    const TProcOffset* Location = ObjectOf<TProcOffset>(Index);
    if (!Location)
        return {Text, {}, {}};
    const TDebugItemLines Lines = DebugItemLines(*Location);
    return {Q(Lines.Source), Q(Lines.Routine), Q(Lines.Place)};
}

QColor TDebugItemDelegate::ItemBackground(const QModelIndex& Index, const QPalette& Palette) const {
    if (FBreakpoints && ObjectOf<TProcOffset>(Index) &&
        Index.row() == FDebugger.CurrentBreakpoint())
        return ColorToQColor(MarkedColour);
    if (FBreakpoints && Index.data(Qt::DisplayRole).toString().endsWith('-'))
        return ColorToQColor(clBtnFace, Palette);
    return Palette.color(QPalette::Base);
}

void TDebugItemDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                               const QModelIndex& Index) const {
    DrawDebugListItem(*Painter, Option, ItemTexts(Index), ItemBackground(Index, Option.palette));
}

QSize TDebugItemDelegate::sizeHint(const QStyleOptionViewItem& Option,
                                   const QModelIndex& /*Index*/) const {
    return {Option.rect.width(), DebugListItemHeight(QFontMetrics(Option.font))};
}

TWatchItemDelegate::TWatchItemDelegate(const TDebugger& Debugger, const TDebuggerHost& Host,
                                       QObject* Parent)
    : QStyledItemDelegate(Parent), FDebugger(Debugger), FHost(Host) {}

TDebugItemTexts TWatchItemDelegate::ItemTexts(const QModelIndex& Index) const {
    const TEntity* Entity = ObjectOf<TEntity>(Index);
    if (!Entity)
        return {Index.data(Qt::DisplayRole).toString(), {}, {}};
    const auto Value = [](const std::string& Text) {
        return Text.empty() ? QStringLiteral("(unknown)") : Q(Text);
    };
    std::string Name = Entity->FullName;
    if (FHost.DebuggingOptions().ShowVariableTypes)
        Name += TypeDescription(*Entity, true, FDebugger.MapKind());
    return {Q(Name), Value(Entity->PreviousValue), Value(Entity->CurrentValue)};
}

void TWatchItemDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                               const QModelIndex& Index) const {
    const TEntity* Entity = ObjectOf<TEntity>(Index);
    const QColor Background = Entity && Entity->Changed ? ColorToQColor(MarkedColour)
                                                        : Option.palette.color(QPalette::Base);
    QIcon Icon;
    if (Entity && FHost.DebuggingOptions().ShowVariableIcons)
        Icon = VariablesIcon(EntityImage(*Entity));
    DrawDebugListItem(*Painter, Option, ItemTexts(Index), Background, Icon);
}

QSize TWatchItemDelegate::sizeHint(const QStyleOptionViewItem& Option,
                                   const QModelIndex& /*Index*/) const {
    return {Option.rect.width(), DebugListItemHeight(QFontMetrics(Option.font))};
}

TStructureItemDelegate::TStructureItemDelegate(const TDebuggerHost& Host, QObject* Parent)
    : QStyledItemDelegate(Parent), FHost(Host) {}

void TStructureItemDelegate::initStyleOption(QStyleOptionViewItem* Option,
                                             const QModelIndex& Index) const {
    QStyledItemDelegate::initStyleOption(Option, Index);
    const QVariant Image = Index.data(DebugImageRole);
    if (FHost.DebuggingOptions().ShowVariableIcons && Image.isValid()) {
        Option->icon = VariablesIcon(Image.toInt());
        Option->decorationSize = QSize(16, 16);
        Option->features |= QStyleOptionViewItem::HasDecoration;
    } else {
        Option->icon = QIcon();
        Option->features &= ~QStyleOptionViewItem::HasDecoration;
    }
}

// ---- The evaluation hint --------------------------------------------------------------------

namespace {

constexpr int HintPadding = 2;
constexpr int HintTaller = 4;

QString HintLines(const QString& Text) {
    QString Lines = Text;
    Lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Lines.replace('\r', '\n');
    return Lines;
}

} // namespace

TDebuggerHintWindow::TDebuggerHintWindow(QWidget* Parent)
    : QWidget(Parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    QPalette Colours = palette();
    Colours.setColor(QPalette::Window, ColorToQColor(clInfoBk, Colours));
    Colours.setColor(QPalette::WindowText, ColorToQColor(clInfoText, Colours));
    setPalette(Colours);
}

QRect TDebuggerHintWindow::CalcHintRect(int Width, const QString& Text) const {
    const QRect Room(0, 0, Width, 100000);
    QRect Bounds =
        fontMetrics().boundingRect(Room, Qt::AlignLeft | Qt::TextWordWrap, HintLines(Text));
    // A word longer than the room is broken as the paint breaks it.
    if (Bounds.width() > Width)
        Bounds =
            fontMetrics().boundingRect(Room, Qt::AlignLeft | Qt::TextWrapAnywhere, HintLines(Text));
    return {0, 0, Bounds.width() + 2 * HintPadding + 2, Bounds.height() + 2 * HintPadding};
}

void TDebuggerHintWindow::ActivateHint(const QRect& Rect, const QString& Text) {
    FText = Text;
    setGeometry(Rect.adjusted(0, 0, 0, HintTaller));
    show();
    raise();
    update();
}

void TDebuggerHintWindow::paintEvent(QPaintEvent* /*Event*/) {
    QPainter Painter(this);
    Painter.setPen(palette().color(QPalette::WindowText));
    Painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QTextOption Wrap(Qt::AlignLeft | Qt::AlignTop);
    Wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Painter.drawText(
        QRectF(rect().adjusted(HintPadding + 1, HintPadding, -HintPadding, -HintPadding)),
        HintLines(FText), Wrap);
}

// ---- The bar --------------------------------------------------------------------------------

TDebuggingBar::TDebuggingBar(QWidget* OwnerForm, TDebugger& Debugger, const TDebuggerHost& Host,
                             const std::vector<std::string>& Tools)
    : QWidget(nullptr) {
    setObjectName("DebuggingBar");
    auto* Column = new QVBoxLayout(this);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(2);

    ToolbarDock = new TDock(OwnerForm, dpTop);
    ToolbarDock->SetParent(this);
    ToolbarDock->SetAllowDrag(false);
    for (const std::vector<std::string>& Row : ToolbarRowsOf(Tools)) {
        auto* Bar = new TCommandBar(OwnerForm);
        Bar->setObjectName(ToolbarRows.empty() ? "DebuggingToolbar" : "DebuggingToolbarRow");
        Bar->SetCaption("Debugging");
        Bar->DragHandle = false;
        Bar->CloseButton = false;
        Bar->DockableTo = {dpTop};
        for (TKorvidTool* Tool : ToolsOfNames(Row)) {
            if (Tool)
                new TToolButton(Bar, true, Tool);
            else
                new TCommandBarSeparator(Bar);
        }
        Bar->DockRow = static_cast<int>(ToolbarRows.size());
        Bar->DockPos = 0;
        Bar->SetDockedTo(ToolbarDock);
        Bar->setVisible(true);
        Bar->Remeasure();
        ToolbarRows.push_back(Bar);
    }
    DebuggingToolbar = ToolbarRows.empty() ? nullptr : ToolbarRows.front();
    Column->addWidget(ToolbarDock);

    HeapStackLabel = new QLabel(Q(std::string(UnknownHeapAndStackText)), this);
    HeapStackLabel->setObjectName("HeapStackLabel");
    HeapStackLabel->setContentsMargins(4, 0, 4, 0);
    Column->addWidget(HeapStackLabel);

    DebuggingTabs = new QTabWidget(this);
    DebuggingTabs->setObjectName("DebuggingTabs");
    DebuggingTabs->setFocusPolicy(Qt::NoFocus);
    // All four pages stay in sight in a narrow bar: their captions shrink instead.
    DebuggingTabs->setUsesScrollButtons(false);
    DebuggingTabs->setElideMode(Qt::ElideRight);
    DebuggingTabs->tabBar()->setExpanding(true);
    Column->addWidget(DebuggingTabs, 1);
    const auto Page = [this](const char* Name, const QString& Caption) {
        auto* Sheet = new QWidget;
        Sheet->setObjectName(Name);
        auto* Layout = new QVBoxLayout(Sheet);
        Layout->setContentsMargins(0, 0, 0, 0);
        Layout->setSpacing(0);
        DebuggingTabs->addTab(Sheet, Caption);
        return Sheet;
    };
    BreakpointsTab = Page("BreakpointsTab", "Breakpoints");
    CallStackTab = Page("CallStackTab", "Call Stack");
    StructureTab = Page("StructureTab", "Structure");
    WatchesTab = Page("WatchesTab", "Watches");

    BuildMenus();
    BreakpointsList =
        MakeList(BreakpointsTab, new TDebugItemDelegate(Debugger, true, this), BreakpointsMenu);
    BreakpointsList->setObjectName("BreakpointsList");
    BreakpointsList->setModel(Debugger.Breakpoints().Model.get());
    BreakpointsList->setSelectionModel(Debugger.Breakpoints().Selection.get());
    CallStackList =
        MakeList(CallStackTab, new TDebugItemDelegate(Debugger, false, this), CallStackMenu);
    CallStackList->setObjectName("CallStackList");
    CallStackList->setModel(Debugger.CallStack().Model.get());
    CallStackList->setSelectionModel(Debugger.CallStack().Selection.get());
    WatchesList = MakeList(WatchesTab, new TWatchItemDelegate(Debugger, Host, this), WatchesMenu);
    WatchesList->setObjectName("WatchesList");
    WatchesList->setModel(Debugger.Watches().Model.get());
    WatchesList->setSelectionModel(Debugger.Watches().Selection.get());

    BuildStructurePage();
    StructureTree->setItemDelegate(new TStructureItemDelegate(Host, this));
    StructureTree->setModel(Debugger.Structure().Model.get());
    StructureTree->setSelectionModel(Debugger.Structure().Selection.get());

    EvaluationHintTimer = new QTimer(this);
    EvaluationHintTimer->setObjectName("EvaluationHintTimer");
    EvaluationHintTimer->setSingleShot(true);
    EvaluationHintTimer->setInterval(3000);
}

TDebuggingBar::~TDebuggingBar() {
    // The toolbar's buttons leave their tools before the dock and the bar go.
    for (TCommandBar* Bar : ToolbarRows)
        delete Bar;
}

void TDebuggingBar::BuildMenus() {
    const auto Item = [](QMenu* Menu, const char* Name, const char* Caption) {
        QAction* Action = Menu->addAction(Caption);
        Action->setObjectName(Name);
        return Action;
    };
    BreakpointsMenu = new QMenu(this);
    BreakpointsMenu->setObjectName("BreakpointsMenu");
    ToggleSelectedBreakpointCommand =
        Item(BreakpointsMenu, "ToggleSelectedBreakpointCommand", "Disa&ble");
    DeleteSelectedBreakpointCommand =
        Item(BreakpointsMenu, "DeleteSelectedBreakpointCommand", "&Delete");
    BreakpointsMenu->addSeparator();
    DeleteOfflineBreakpointsCommand =
        Item(BreakpointsMenu, "DeleteOfflineBreakpointsCommand", "Delete &Offline Breakpoints");
    DeleteAllBreakpointsCommand =
        Item(BreakpointsMenu, "DeleteAllBreakpointsCommand", "Delete &All Breakpoints");

    CallStackMenu = new QMenu(this);
    CallStackMenu->setObjectName("CallStackMenu");
    CopyCallStackCommand = Item(CallStackMenu, "CopyCallStackCommand", "&Copy");

    StructureMenu = new QMenu(this);
    StructureMenu->setObjectName("StructureMenu");
    ShowVariableCommand = Item(StructureMenu, "ShowVariableCommand", "&Show");
    JumpToVariableCommand = Item(StructureMenu, "JumpToVariableCommand", "&Jump To");
    FindVariableCommand = Item(StructureMenu, "FindVariableCommand", "&Find in Current Sources");
    StructureMenu->addSeparator();
    WatchVariableCommand = Item(StructureMenu, "WatchVariableCommand", "&Watch");
    RunToCorruptionCommand =
        Item(StructureMenu, "RunToCorruptionCommand", "&Run Until Value Changes");

    WatchesMenu = new QMenu(this);
    WatchesMenu->setObjectName("WatchesMenu");
    DeleteSelectedWatchCommand = Item(WatchesMenu, "DeleteSelectedWatchCommand", "&Delete");
    DeleteAllWatchesCommand = Item(WatchesMenu, "DeleteAllWatchesCommand", "Delete &All");
    WatchesMenu->addSeparator();
    WatchRunToCorruptionCommand =
        Item(WatchesMenu, "WatchRunToCorruptionCommand", "&Run Until Value Changes");
}

QListView* TDebuggingBar::MakeList(QWidget* Page, QAbstractItemDelegate* Delegate, QMenu* Menu) {
    auto* List = new QListView(Page);
    List->setItemDelegate(Delegate);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List, &QWidget::customContextMenuRequested, this,
            [List, Menu](const QPoint& At) { Menu->popup(List->viewport()->mapToGlobal(At)); });
    List->installEventFilter(this);
    List->viewport()->installEventFilter(this);
    Page->layout()->addWidget(List);
    return List;
}

void TDebuggingBar::BuildStructurePage() {
    StructureTree = new QTreeView(StructureTab);
    StructureTree->setObjectName("StructureTree");
    StructureTree->setHeaderHidden(true);
    StructureTree->setSelectionMode(QAbstractItemView::SingleSelection);
    StructureTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StructureTree->setExpandsOnDoubleClick(true);
    StructureTree->setMouseTracking(true);
    StructureTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StructureTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
        StructureMenu->popup(StructureTree->viewport()->mapToGlobal(At));
    });
    StructureTree->installEventFilter(this);
    StructureTree->viewport()->installEventFilter(this);
    StructureTab->layout()->addWidget(StructureTree);

    VarInfoPanel = new QFrame(StructureTab);
    VarInfoPanel->setObjectName("VarInfoPanel");
    static_cast<QFrame*>(VarInfoPanel)->setFrameShape(QFrame::StyledPanel);
    auto* Grid = new QGridLayout(VarInfoPanel);
    Grid->setContentsMargins(4, 4, 4, 4);
    Grid->setHorizontalSpacing(6);
    Grid->setVerticalSpacing(1);
    const auto Label = [this](const char* Name) {
        auto* L = new QLabel(VarInfoPanel);
        L->setObjectName(Name);
        L->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return L;
    };
    VarNameLabel = Label("VarNameLabel");
    QFont Bold = VarNameLabel->font();
    Bold.setBold(true);
    VarNameLabel->setFont(Bold);
    VarTypeLabel = Label("VarTypeLabel");
    VarLocationIntroLabel = Label("VarLocationIntroLabel");
    VarLocationLabel = Label("VarLocationLabel");
    VarLocationLabel->setWordWrap(true);
    VarAddressLabel = Label("VarAddressLabel");
    Grid->addWidget(VarNameLabel, 0, 0, 1, 2);
    Grid->addWidget(new QLabel("Type:", VarInfoPanel), 1, 0);
    Grid->addWidget(VarTypeLabel, 1, 1);
    Grid->addWidget(VarLocationIntroLabel, 2, 0);
    Grid->addWidget(VarLocationLabel, 2, 1);
    Grid->addWidget(new QLabel("Address:", VarInfoPanel), 3, 0);
    Grid->addWidget(VarAddressLabel, 3, 1);
    Grid->setColumnStretch(1, 1);
    StructureTab->layout()->addWidget(VarInfoPanel);
    VarInfoPanel->hide();
}

TDebuggingTab TDebuggingBar::ActiveTab() const {
    return static_cast<TDebuggingTab>(std::max(DebuggingTabs->currentIndex(), 0));
}

void TDebuggingBar::SetActiveTab(TDebuggingTab Tab) {
    DebuggingTabs->setCurrentIndex(static_cast<int>(Tab));
}

int TDebuggingBar::PageCount() const {
    return DebuggingTabs->count();
}

void TDebuggingBar::SetListColour(TColor Colour) {
    for (QAbstractItemView* View : std::initializer_list<QAbstractItemView*>{
             BreakpointsList, CallStackList, WatchesList, StructureTree}) {
        // System colours come from the bar's own palette, which this never changes.
        QPalette Colours = View->palette();
        Colours.setColor(QPalette::Base, ColorToQColor(Colour, palette()));
        View->setPalette(Colours);
    }
}

void TDebuggingBar::SetToolbarColour(TColor Colour) {
    for (TCommandBar* Bar : ToolbarRows)
        Bar->SetColor(ColorToQColor(Colour, palette()));
}

void TDebuggingBar::SetHeapStackText(const std::string& Text) {
    HeapStackLabel->setText(Q(Text));
}

void TDebuggingBar::ShowDetails(const TVariableDetails& Details) {
    VarNameLabel->setText(Q(Details.Name));
    VarTypeLabel->setText(Q(Details.Type));
    VarLocationIntroLabel->setText(Q(Details.LocationIntro));
    VarLocationLabel->setText(Q(Details.Location));
    VarAddressLabel->setText(Q(Details.Address));
    VarInfoPanel->show();
}

TDebuggingTab TDebuggingBar::ListTab(const QListView* List) const {
    if (List == BreakpointsList)
        return TDebuggingTab::Breakpoints;
    if (List == CallStackList)
        return TDebuggingTab::CallStack;
    return TDebuggingTab::Watches;
}

void TDebuggingBar::RepaintViews() {
    for (QAbstractItemView* View : std::initializer_list<QAbstractItemView*>{
             BreakpointsList, CallStackList, WatchesList, StructureTree}) {
        View->doItemsLayout();
        View->viewport()->update();
    }
}

QListView* TDebuggingBar::ListOfViewport(const QObject* Watched) const {
    for (QListView* List : {BreakpointsList, CallStackList, WatchesList})
        if (List && Watched == List->viewport())
            return List;
    return nullptr;
}

bool TDebuggingBar::eventFilter(QObject* Watched, QEvent* Event) {
    const QEvent::Type Type = Event->type();
    if (Type == QEvent::KeyPress) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        for (QListView* List : {BreakpointsList, CallStackList, WatchesList})
            if (Watched == List)
                return OnListKeyDown && OnListKeyDown(List, Key);
        if (Watched == StructureTree)
            return OnTreeKeyDown && OnTreeKeyDown(Key);
        return false;
    }
    auto* Mouse = dynamic_cast<QMouseEvent*>(Event);
    if (!Mouse)
        return false;
    if (QListView* List = ListOfViewport(Watched)) {
        if (Type == QEvent::MouseButtonDblClick && Mouse->button() == Qt::LeftButton &&
            OnListDblClick) {
            OnListDblClick(List);
            return true;
        }
        if (Type == QEvent::MouseButtonPress && Mouse->button() == Qt::RightButton) {
            // The list's own press would move the selection even on an empty part.
            if (OnListMouseDown)
                OnListMouseDown(List, Mouse);
            return true;
        }
        return false;
    }
    if (Watched != StructureTree->viewport())
        return false;
    switch (Type) {
    case QEvent::MouseButtonDblClick:
        if (OnTreeDblClick)
            OnTreeDblClick(Mouse);
        return false;
    case QEvent::MouseButtonPress:
        if (Mouse->button() == Qt::RightButton) {
            if (OnTreeMouseDown)
                OnTreeMouseDown(Mouse);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (OnTreeMouseUp)
            OnTreeMouseUp(Mouse);
        return false;
    case QEvent::MouseMove:
        if (OnTreeMouseMove)
            OnTreeMouseMove(Mouse);
        return false;
    default:
        return false;
    }
}

// ---- The floating form ----------------------------------------------------------------------

TDebuggingBarForm::TDebuggingBarForm(QWidget* Owner) : QWidget(Owner, Qt::Tool) {
    setObjectName("DebuggingBarForm");
    setWindowTitle("Debugging");
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
}

void TDebuggingBarForm::Hold(QWidget* Bar) {
    layout()->addWidget(Bar);
}

void TDebuggingBarForm::closeEvent(QCloseEvent* Event) {
    QWidget::closeEvent(Event);
    if (OnClose)
        OnClose();
}

} // namespace korvid
