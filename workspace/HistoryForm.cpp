#include "workspace/HistoryForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvid {
namespace {

namespace fs = std::filesystem;

constexpr int RankRole = Qt::UserRole;
constexpr int IdRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;

constexpr int ColumnWidths[] = {20, 30, 100, 300};

int RankOf(const QTreeWidgetItem* Item) {
    return Item->data(0, RankRole).toInt();
}

int IdOf(const QTreeWidgetItem* Item) {
    return Item->data(0, IdRole).toInt();
}

std::string PathOf(const QTreeWidgetItem* Item) {
    return PathFromQString(Item->text(THistoryForm::PathColumn)).native();
}

std::string FileNamePart(const std::string& Path) {
    const auto Slash = Path.find_last_of("/\\");
    return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWhole(const std::string& FileName) {
    std::error_code Error;
    if (fs::is_directory(FileName, Error))
        return std::nullopt;
    std::ifstream In(FileName, std::ios::binary);
    if (!In)
        return std::nullopt;
    std::ostringstream Bytes;
    Bytes << In.rdbuf();
    if (In.bad())
        return std::nullopt;
    return Bytes.str();
}

std::vector<std::string> NonEmptyLines(const std::string& Text) {
    std::vector<std::string> Lines;
    std::istringstream In(Text);
    for (std::string Line; std::getline(In, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (!Line.empty())
            Lines.push_back(std::move(Line));
    }
    return Lines;
}

} // namespace

THistoryForm::THistoryForm(std::unique_ptr<THistoryIconSource> Source, TSteadyClock Clock)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), FSource(std::move(Source)),
      FClock(std::move(Clock)), FToolPanel(new QWidget(this)), FList(new QTreeWidget(this)) {
    if (!FSource)
        FSource = std::make_unique<TShellIconSource>();
    if (!FClock)
        FClock = [] { return std::chrono::steady_clock::now(); };
    FPlaceholder = FSource->IndexOfKey(TIconKey{TIconKey::Untyped, {}, {}, {}});

    setWindowTitle("History");
    setFont(QFont(ToQString(GetDialogFontName())));
    setMinimumSize(100, 100);
    // Off the screen until placed.
    move(OffScreenPosition, OffScreenPosition);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    FToolPanel->setObjectName("HistoryToolPanel");
    auto* Buttons = new QHBoxLayout(FToolPanel);
    Buttons->setContentsMargins(2, 2, 2, 2);
    Buttons->setSpacing(0);
    Buttons->addStretch();
    Layout->addWidget(FToolPanel);
    Layout->addWidget(FList);

    FList->setColumnCount(4);
    FList->setHeaderLabels({"*", "No.", "Name", "Full Name"});
    for (int Column = 0; Column < 4; ++Column)
        FList->setColumnWidth(Column, ColumnWidths[Column]);
    FList->headerItem()->setTextAlignment(RankColumn, Qt::AlignRight | Qt::AlignVCenter);
    FList->setRootIsDecorated(false);
    FList->setUniformRowHeights(true);
    FList->setSelectionMode(QAbstractItemView::SingleSelection);
    FList->setSelectionBehavior(QAbstractItemView::SelectRows);
    FList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FList->setSortingEnabled(false);
    FList->header()->setSectionsClickable(true);
    FList->header()->setSortIndicatorShown(false);
    FList->installEventFilter(this);
    connect(FList->header(), &QHeaderView::sectionClicked, this,
            [this](int Column) { SetSortColumn(Column); });
    // Widths come from the settings and the user too; a cut rank would read "1..." for 100-200.
    FList->setColumnWidth(RankColumn, RankColumnMinimum());
    connect(FList->header(), &QHeaderView::sectionResized, this,
            [this](int Column, int, int Width) {
                if (Column == RankColumn && Width < RankColumnMinimum())
                    FList->setColumnWidth(RankColumn, RankColumnMinimum());
            });
    connect(FList, &QTreeWidget::itemSelectionChanged, this, [this] { StateChanged(); });
    connect(FList, &QTreeWidget::itemDoubleClicked, this, [] { RunTool(ToolIndex::HistoryOpen); });
}

THistoryForm::~THistoryForm() {
    FIconThread.reset();
}

// ---- The list -----------------------------------------------------------------------------------

int THistoryForm::Count() const {
    return FList->topLevelItemCount();
}

QTreeWidgetItem* THistoryForm::ItemOfRank(int Rank) const {
    for (int Index = 0; Index < Count(); ++Index)
        if (RankOf(FList->topLevelItem(Index)) == Rank)
            return FList->topLevelItem(Index);
    return nullptr;
}

std::string THistoryForm::PathOfRank(int Rank) const {
    const QTreeWidgetItem* Item = ItemOfRank(Rank);
    return Item ? PathOf(Item) : std::string();
}

int THistoryForm::ImageIndexOfRank(int Rank) const {
    const QTreeWidgetItem* Item = ItemOfRank(Rank);
    return Item ? Item->data(0, ImageRole).toInt() : -1;
}

bool THistoryForm::HasSelection() const {
    return !FList->selectedItems().isEmpty();
}

std::string THistoryForm::SelectedPath() const {
    const auto Selected = FList->selectedItems();
    return Selected.isEmpty() ? std::string() : PathOf(Selected.front());
}

void THistoryForm::SetRank(QTreeWidgetItem* Item, int Rank) {
    Item->setData(0, RankRole, Rank);
    Item->setText(RankColumn, QString::number(Rank + 1) + '.');
}

void THistoryForm::SetImage(QTreeWidgetItem* Item, int ImageIndex) {
    Item->setData(0, ImageRole, ImageIndex);
    Item->setIcon(IconColumn, FSource->Icon(ImageIndex));
}

QTreeWidgetItem* THistoryForm::InsertItem(const std::string& Path, int Rank, int ImageIndex) {
    auto* Item = new QTreeWidgetItem;
    const int Id = FNextId++;
    Item->setData(0, IdRole, Id);
    SetRank(Item, Rank);
    Item->setTextAlignment(RankColumn, Qt::AlignRight | Qt::AlignVCenter);
    Item->setText(NameColumn, PathToQString(FileNamePart(Path)));
    Item->setText(PathColumn, PathToQString(Path));
    SetImage(Item, ImageIndex);
    FList->addTopLevelItem(Item);
    FItemOfId.emplace(Id, Item);
    return Item;
}

// Later ranks move up, so the ranks stay without gaps.
void THistoryForm::RemoveItem(QTreeWidgetItem* Item) {
    const int Rank = RankOf(Item);
    const int Id = IdOf(Item);
    FItemOfId.erase(Id);
    if (FIconThread)
        FIconThread->Forget(Id);
    delete Item;
    for (int Index = 0; Index < Count(); ++Index)
        if (QTreeWidgetItem* Other = FList->topLevelItem(Index); RankOf(Other) > Rank)
            SetRank(Other, RankOf(Other) - 1);
}

void THistoryForm::AddToHistory(const std::string& Path) {
    bool WasSelected = false;
    for (int Index = 0; Index < Count(); ++Index)
        if (QTreeWidgetItem* Item = FList->topLevelItem(Index); PathOf(Item) == Path) {
            WasSelected = Item->isSelected();
            RemoveItem(Item);
            break;
        }
    for (int Index = 0; Index < Count(); ++Index)
        SetRank(FList->topLevelItem(Index), RankOf(FList->topLevelItem(Index)) + 1);
    QTreeWidgetItem* Added = InsertItem(Path, 0, FSource->IndexOfKey(FSource->IconKeyOf(Path)));
    if (Count() > MaximumEntries)
        RemoveItem(ItemOfRank(Count() - 1));
    Sort();
    // The file keeps its selection, so that Delete removes the file the user picked.
    if (WasSelected)
        FList->setCurrentItem(Added);
    Changed();
}

void THistoryForm::RemoveSelected(bool& ShowMessage) {
    if (FIconThread || !HasSelection())
        return;
    QTreeWidgetItem* Item = FList->selectedItems().front();
    if (!ConfirmRemoveHistoryFile(PathOf(Item), ShowMessage))
        return;
    const int Rank = RankOf(Item);
    RemoveItem(Item);
    if (Count() > 0) {
        QTreeWidgetItem* Next = FList->topLevelItem(std::min(Rank, Count() - 1));
        FList->setCurrentItem(Next);
        Next->setSelected(true);
    }
    Changed();
    StateChanged();
}

void THistoryForm::SetSortColumn(int Column) {
    FSortColumn = std::clamp(Column, int(IconColumn), int(PathColumn));
    Sort();
}

void THistoryForm::Sort() {
    std::vector<QTreeWidgetItem*> Items;
    QTreeWidgetItem* Current = FList->currentItem();
    const auto Selected = FList->selectedItems();
    const QSignalBlocker Block(FList);
    while (Count() > 0)
        Items.push_back(FList->takeTopLevelItem(0));
    std::stable_sort(Items.begin(), Items.end(), [this](const auto* A, const auto* B) {
        switch (FSortColumn) {
        case IconColumn:
            if (const int Left = A->data(0, ImageRole).toInt(),
                Right = B->data(0, ImageRole).toInt();
                Left != Right)
                return Left < Right;
            break;
        case NameColumn:
        case PathColumn:
            if (const QString Left = A->text(FSortColumn).toUpper(),
                Right = B->text(FSortColumn).toUpper();
                Left != Right)
                return Left < Right;
            break;
        default:
            break;
        }
        return RankOf(A) < RankOf(B);
    });
    for (QTreeWidgetItem* Item : Items)
        FList->addTopLevelItem(Item);
    if (Current)
        FList->setCurrentItem(Current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* Item : Selected)
        Item->setSelected(true);
}

void THistoryForm::Changed() {
    if (OnChanged)
        OnChanged();
}

void THistoryForm::StateChanged() {
    if (OnStateChanged)
        OnStateChanged();
}

// ---- The history file ---------------------------------------------------------------------------

void THistoryForm::LoadHistory(const std::string& FileName) {
    std::error_code Error;
    if (!fs::exists(FileName, Error))
        return;
    const std::optional<std::string> Text = ReadWhole(FileName);
    if (!Text) {
        if (FUnreadableFile != FileName)
            ShowUnableToReadHistoryMessage(FileName);
        FUnreadableFile = FileName;
        return;
    }
    FIconThread.reset();
    setUpdatesEnabled(false);
    FList->clear();
    FItemOfId.clear();
    int Rank = 0;
    for (const std::string& Path : NonEmptyLines(*Text))
        InsertItem(Path, Rank++, FPlaceholder);
    Sort();
    setUpdatesEnabled(true);
    StartIconThread();
    Changed();
}

void THistoryForm::SaveHistory(std::string& FileName, int MaximumCount) {
    SetSortColumn(RankColumn);
    std::vector<std::string> Lines;
    for (int Index = 0; Index < std::min(Count(), std::max(MaximumCount, 0)); ++Index)
        Lines.push_back(PathOf(FList->topLevelItem(Index)));
    // A file that could not be read may still hold the user's list.
    if (FUnreadableFile != FileName)
        SaveListFile(lkHistoryList, FileName, Lines);
}

// ---- The icon thread ----------------------------------------------------------------------------

void THistoryForm::StartIconThread() {
    if (Count() == 0)
        return;
    std::vector<THistoryIconJob> Jobs(Count());
    for (int Index = 0; Index < Count(); ++Index) {
        const QTreeWidgetItem* Item = FList->topLevelItem(Index);
        Jobs[RankOf(Item)] = {IdOf(Item), PathOf(Item)};
    }
    // The window outlives the thread, and its queued calls go with it.
    FIconThread = std::make_unique<THistoryIconThread>(
        std::move(Jobs), *FSource, FClock,
        [this](int Id, const TIconKey& Key) {
            QMetaObject::invokeMethod(
                this, [this, Id, Key] { IconArrived(Id, Key); }, Qt::QueuedConnection);
        },
        [this, Run = ++FIconRun] {
            QMetaObject::invokeMethod(
                this, [this, Run] { IconThreadDone(Run); }, Qt::QueuedConnection);
        });
}

void THistoryForm::IconArrived(int Id, const TIconKey& Key) {
    if (const auto Found = FItemOfId.find(Id); Found != FItemOfId.end())
        SetImage(Found->second, FSource->IndexOfKey(Key));
}

// A thread replaced by a later load may still report; only the current one counts.
void THistoryForm::IconThreadDone(int Run) {
    if (Run != FIconRun)
        return;
    FIconThread.reset();
    StateChanged();
}

// ---- The window ---------------------------------------------------------------------------------

void THistoryForm::KeepOnScreen() {
    PlaceFormOnScreen(this, x(), y());
}

int THistoryForm::RankColumnMinimum() const {
    const int Margin =
        FList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, FList) + 1;
    const QString Widest = QString::number(MaximumEntries) + '.';
    return std::max(ColumnWidths[RankColumn],
                    FList->fontMetrics().horizontalAdvance(Widest) + 2 * Margin);
}

void THistoryForm::RunTool(int Index) {
    if (TKorvidTool* Tool = ToolList().Items(Index); Tool->Enabled())
        Tool->Execute();
}

bool THistoryForm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FList && Event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(Event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (HasSelection())
                RunTool(ToolIndex::HistoryOpen);
            return true;
        case Qt::Key_Delete:
            RunTool(ToolIndex::HistoryRemove);
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

void THistoryForm::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(Event);
}

// Fetching stops without waiting: the thread may be held by a slow lookup.
void THistoryForm::closeEvent(QCloseEvent* Event) {
    if (FIconThread)
        FIconThread->RequestStop();
    QWidget::closeEvent(Event);
}

void THistoryForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (!Event->spontaneous() && OnVisibilityChanged)
        OnVisibilityChanged();
}

void THistoryForm::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    if (!Event->spontaneous() && OnVisibilityChanged)
        OnVisibilityChanged();
}

} // namespace korvid
