#include "psystem/FilerForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumeDialogs.h"
#include "psystem/VolumeMessages.h"
#include "psystem/VolumePacking.h"
#include "ui/FormUtilities.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "ui/ShellImageList.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace korvid {

namespace {

constexpr int SplitBarWidth = 3;

struct TCommandRow {
    const char* Caption;
    QKeySequence Key;
    const char* Hint; // empty: no toolbar button
};

// In TFilerCommand order.
const std::array<TCommandRow, FilerCommandCount>& CommandRows() {
    static const std::array<TCommandRow, FilerCommandCount> Rows{{
        {"&Open", Qt::Key_Return, "Open  (Return)"},
        {"Up One L&evel", Qt::Key_Backspace, "Up One Level  (Backspace)"},
        {"&Copy To Other Volume", Qt::CTRL | Qt::Key_Q, "Copy To Other Volume  (Ctrl+Q)"},
        {"&Rename", Qt::Key_F2, ""},
        {"Rename &Volume", {}, ""},
        {"&Delete", Qt::CTRL | Qt::Key_Delete, "Delete  (Ctrl+Delete)"},
        {"Flush Volume...", {}, ""},
        {"Resi&ze...", Qt::CTRL | Qt::Key_E, ""},
        {"&Krunch...", Qt::CTRL | Qt::Key_K, "Krunch  (Ctrl+K)"},
        {"Shrink...", Qt::Key_F9, ""},
        {"Create Su&bvolume...", {}, ""},
        {"Unpack All Raw...", {}, ""},
        {"Unpack &All...", Qt::CTRL | Qt::Key_W, ""},
        {"&Unpack Text Files...", Qt::CTRL | Qt::Key_U, ""},
        {"Unpack Interfaces...", Qt::CTRL | Qt::Key_I, ""},
        {"&Pack Files...", Qt::CTRL | Qt::Key_P, ""},
        {"Refres&h", Qt::Key_F5, "Refresh  (F5)"},
        {"&Full Details", Qt::Key_F6, "Full Details  (F6)"},
        {"&Disk Layout", Qt::Key_F7, "Disk Layout  (F7)"},
        {"&Simple List", Qt::Key_F8, "Simple List  (F8)"},
        {"Grab &Listing", Qt::CTRL | Qt::Key_G, ""},
    }};
    return Rows;
}

QIcon FilerIcon(int Icon) {
    static const std::array<int, 4> Fixed{TShellImageList::FolderIcon, TShellImageList::TextIcon,
                                          TShellImageList::UntypedIcon,
                                          TShellImageList::VolumeIcon};
    return ShellImageList().Icon(Fixed[std::size_t(Icon)]);
}

bool FileIdentity(const std::string& Path, std::uint64_t& Device, std::uint64_t& Inode) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) != 0)
        return false;
    Device = Status.st_dev;
    Inode = Status.st_ino;
    return true;
}

std::unique_ptr<TVolume> OpenPaneVolume(const std::string& Path, const std::string& Subvolume,
                                        bool Writable) {
    if (Subvolume.empty())
        return std::make_unique<TMajorVolume>(PathOfName(Path), Writable);
    return std::make_unique<TSubvolume>(PathOfName(Path), Writable, Subvolume);
}

} // namespace

TFilerForm::TFilerForm(TFilerHost& Host, QWidget* Parent) : QDialog(Parent), FHost(Host) {
    QFont Font = font();
    Font.setFamily(QString::fromStdString(GetDialogFontName()));
    setFont(Font);
    setWindowTitle("p-System Filer");
    setAcceptDrops(true);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    FToolbar = new QToolBar(this);
    Layout->addWidget(FToolbar);
    FSplitter = new QSplitter(Qt::Horizontal, this);
    FSplitter->setHandleWidth(SplitBarWidth);
    FSplitter->setChildrenCollapsible(false);
    Layout->addWidget(FSplitter, 1);
    BuildPane(fsLeft, *FSplitter);
    BuildPane(fsRight, *FSplitter);
    BuildActions();
    if (const QScreen* Screen = QGuiApplication::primaryScreen();
        Screen && Screen->geometry().width() > 1000)
        resize(911, 750);
    // Unplaced: centred when first shown.
    move(OffScreenPosition, OffScreenPosition);
    FolderPicker.Directory = std::filesystem::current_path();
    Combo(fsLeft)->setFocus();
    UpdateCommands();
}

TFilerForm::~TFilerForm() = default;

void TFilerForm::BuildPane(int Side, QSplitter& Splitter) {
    TPaneWidgets& P = FPanes[std::size_t(Side)];
    P.Panel = new QWidget(&Splitter);
    auto* Layout = new QVBoxLayout(P.Panel);
    Layout->setContentsMargins(0, 0, 0, 0);
    P.Combo = new QComboBox(P.Panel);
    P.Combo->setEditable(false);
    P.Combo->setFocusPolicy(Qt::ClickFocus);
    Layout->addWidget(P.Combo);
    P.Model = new QStandardItemModel(0, FilerColumnCount, P.Panel);
    P.Model->setHorizontalHeaderLabels(
        {"Name", "Modified", "Blocks", "Bytes", "Type", "First Block"});
    P.Stack = new QStackedWidget(P.Panel);
    P.List = new QListView(P.Stack);
    P.List->setViewMode(QListView::ListMode);
    P.List->setFlow(QListView::TopToBottom);
    P.List->setWrapping(true);
    P.List->setResizeMode(QListView::Adjust);
    P.Details = new QTreeView(P.Stack);
    P.Details->setRootIsDecorated(false);
    P.Details->setItemsExpandable(false);
    P.Details->setUniformRowHeights(true);
    P.Details->setModel(P.Model);
    P.List->setModel(P.Model);
    P.List->setSelectionModel(P.Details->selectionModel());
    const std::array<int, FilerColumnCount> Widths{100, 100, 43, 54, 65, 68};
    for (int Column = 0; Column < FilerColumnCount; ++Column)
        P.Details->setColumnWidth(Column, Widths[std::size_t(Column)]);
    P.Details->header()->setSectionsClickable(true);
    for (QAbstractItemView* View :
         {static_cast<QAbstractItemView*>(P.List), static_cast<QAbstractItemView*>(P.Details)}) {
        View->setSelectionMode(QAbstractItemView::ExtendedSelection);
        View->setSelectionBehavior(QAbstractItemView::SelectRows);
        View->setEditTriggers(QAbstractItemView::NoEditTriggers);
        View->setContextMenuPolicy(Qt::CustomContextMenu);
        View->installEventFilter(this);
        connect(View, &QAbstractItemView::doubleClicked, this, [this, Side] {
            SetActiveSide(Side);
            Trigger(fcmOpen);
        });
        connect(View, &QWidget::customContextMenuRequested, this, [this, Side, View](QPoint At) {
            SetActiveSide(Side);
            UpdateCommands();
            FPopup->popup(View->viewport()->mapToGlobal(At));
        });
        connect(View->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
            // The shortcuts the edit borrowed come back.
            FEditing = false;
            LendKeysToEdit(false);
        });
    }
    P.Stack->addWidget(P.List);
    P.Stack->addWidget(P.Details);
    Layout->addWidget(P.Stack, 1);
    P.Combo->installEventFilter(this);
    connect(P.Details->header(), &QHeaderView::sectionClicked, this,
            [this, Side](int Column) { ColumnClick(Side, Column); });
    connect(P.Details->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateCommands(); });
    connect(P.Combo, &QComboBox::activated, this, [this, Side] { ComboChanged(Side); });
    connect(P.Model, &QStandardItemModel::itemChanged, this, [this, Side](QStandardItem* Item) {
        if (!FEditing || Item->column() != 0)
            return;
        FEditing = false;
        try {
            FinishRename(Side, Item->row(), Item->text());
        } catch (const EKorvidError& Error) {
            RaiseLater(Error.what());
        }
    });
}

void TFilerForm::BuildActions() {
    FPopup = new QMenu(this);
    auto* ViewModes = new QActionGroup(this);
    ViewModes->setExclusive(true);
    for (int Command = 0; Command < FilerCommandCount; ++Command) {
        const TCommandRow& Row = CommandRows()[std::size_t(Command)];
        auto* Action = new QAction(Row.Caption, this);
        Action->setShortcut(Row.Key);
        Action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        if (Command >= fcmFullDetails && Command <= fcmSimpleList) {
            Action->setCheckable(true);
            ViewModes->addAction(Action);
        }
        connect(Action, &QAction::triggered, this, [this, Command] { Trigger(Command); });
        addAction(Action);
        FPopup->addAction(Action);
        if (Command == fcmUpOneLevel || Command == fcmPack || Command == fcmSimpleList)
            FPopup->addSeparator();
        if (*Row.Hint) {
            Action->setToolTip(Row.Hint);
            FToolbar->addAction(Action);
        }
        FActions[std::size_t(Command)] = Action;
    }
    FPopup->setDefaultAction(FActions[fcmOpen]);
    connect(FPopup, &QMenu::aboutToShow, this, &TFilerForm::UpdateCommands);
}

// ---- Showing ---------------------------------------------------------------------------------

void TFilerForm::Execute(const std::string& VolumePath) {
    FToldDamage.clear();
    FillCombos();
    if (!VolumePath.empty()) {
        AddVolumeToCombo(VolumePath, fsLeft);
        ComboChanged(fsLeft);
        if (FActive == fsRight && !List(fsRight)->hasFocus() && !Details(fsRight)->hasFocus())
            FActive = fsLeft;
        SetViewMode(vmFullDetails);
    }
    if (Combo(fsLeft)->count() == 0 && Combo(fsRight)->count() == 0) {
        ShowFilerNeedsVolumeMessage();
        return;
    }
    RefreshPane(fsLeft);
    RefreshPane(fsRight);
    // Centring needs the size the window will have, also when nothing has sized it yet.
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    PlaceFormOnScreen(this, x(), y());
    RunModal(*this);
}

void TFilerForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    activateWindow();
    ShownView(FActive)->setFocus();
}

void TFilerForm::EqualisePanes() {
    const int Half = (FSplitter->width() - SplitBarWidth) / 2;
    FSplitter->setSizes({Half, FSplitter->width() - SplitBarWidth - Half});
}

void TFilerForm::resizeEvent(QResizeEvent* Event) {
    QDialog::resizeEvent(Event);
    EqualisePanes();
}

void TFilerForm::FillCombos() {
    std::array<int, 2> Remembered{Combo(fsLeft)->currentIndex(), Combo(fsRight)->currentIndex()};
    for (TPaneWidgets& P : FPanes)
        P.Combo->clear();
    FHost.ForEachFavouriteVolume([this](const std::string& Path) {
        AddVolumeToCombo(Path, fsLeft);
        AddVolumeToCombo(Path, fsRight);
    });
    for (int Side : {fsLeft, fsRight}) {
        const int Index = Remembered[std::size_t(Side)];
        Combo(Side)->setCurrentIndex(Index >= 0 && Index < Combo(Side)->count() ? Index : 0);
        TListInfo& Info = Pane(Side);
        // A pane keeps its volume while the favourites still name it.
        if (Info.VolumePath.empty() && Combo(Side)->currentIndex() >= 0)
            ComboChanged(Side);
    }
}

void TFilerForm::AddVolumeToCombo(const std::string& Path, int Side) {
    QComboBox* Box = Combo(Side);
    const QString Text = ToQString(Path);
    int Index = Box->findText(Text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (Index < 0) {
        Box->addItem(Text);
        Index = Box->count() - 1;
    }
    Box->setCurrentIndex(Index);
}

void TFilerForm::ComboChanged(int Side) {
    TListInfo& Info = Pane(Side);
    Info.SubvolumeName.clear();
    Info.SubvolumeTitle.clear();
    Info.VolumePath.clear();
    Info.VolumeName.clear();
    if (Combo(Side)->currentIndex() >= 0) {
        Info.VolumePath = FromQString(Combo(Side)->currentText());
        Info.VolumeName = NameOfPath(PathOfName(Info.VolumePath).filename());
    }
    RefreshPane(Side);
}

// ---- Panes -----------------------------------------------------------------------------------

void TFilerForm::RefreshPane(int Side) {
    TListInfo& Info = Pane(Side);
    std::string OldPath;
    std::string OldVersion;
    if (Info.Volume) {
        OldPath = Info.VolumePath;
        OldVersion = Info.Volume->GetVersion();
        Info.Volume.reset();
    }
    Info.Items.clear();
    std::string Damage;
    if (!Info.VolumePath.empty()) {
        try {
            FileIdentity(Info.VolumePath, Info.Device, Info.Inode);
            // A read-only file is never tried for writing: root could write it anyway.
            const bool ReadOnly = FHost.IsReadOnlyVolumeFile(Info.VolumePath);
            try {
                if (ReadOnly)
                    throw EVolumeError("read-only");
                Info.Volume = OpenPaneVolume(Info.VolumePath, Info.SubvolumeName, true);
            } catch (const EKorvidError&) {
                Info.Volume = OpenPaneVolume(Info.VolumePath, Info.SubvolumeName, false);
            }
            Damage = Info.Volume->DamageText();
            if (!Info.SubvolumeName.empty())
                Info.SubvolumeTitle = Info.Volume->VolumeName();
            if (!OldPath.empty() && OldPath == Info.VolumePath)
                Info.Volume->SetVersion(OldVersion);
            Info.Volume->Enumerate(Info.ViewMode == vmDiskLayout, [&Info](const TFileInfo& File) {
                Info.Items.push_back(FilerItemOf(File));
                return true;
            });
        } catch (const EKorvidError&) {
            // A volume that cannot be opened even for reading leaves its pane empty.
            Info.Volume.reset();
            Info.Items.clear();
            ShowItems(Side);
            UpdateCaption();
            TellDamage(Damage);
            return;
        }
    }
    if (!Info.SubvolumeName.empty())
        Info.Items.insert(Info.Items.begin(), UpLevelItem());
    if (Info.ViewMode != vmDiskLayout)
        SortByCaption(Info.Items);
    FPanes[std::size_t(Side)].Stack->setCurrentIndex(Info.ViewMode == vmSimpleList ? 0 : 1);
    ShowItems(Side);
    if (!Info.Items.empty())
        SelectRows(Side, {0});
    UpdateCaption();
    TellDamage(Damage);
}

void TFilerForm::TellDamage(const std::string& Damage) {
    // Panes are refreshed after every command; the user hears of a damaged directory once.
    if (!Damage.empty() && FToldDamage.insert(Damage).second)
        ShowDamagedVolumeMessage(Damage);
}

void TFilerForm::ShowItems(int Side) {
    TPaneWidgets& P = FPanes[std::size_t(Side)];
    P.Model->removeRows(0, P.Model->rowCount());
    for (const TFilerItem& Item : P.Info.Items) {
        QList<QStandardItem*> Row;
        auto* First = new QStandardItem(FilerIcon(Item.Icon), ToQString(Item.Caption));
        First->setEditable(false);
        Row.append(First);
        for (const std::string& Text : Item.SubItems) {
            auto* Cell = new QStandardItem(ToQString(Text));
            Cell->setEditable(false);
            Row.append(Cell);
        }
        P.Model->appendRow(Row);
    }
    QPalette Colours = P.Details->palette();
    const QColor Back = P.Info.VolumePath.empty() ? palette().color(QPalette::Button)
                                                  : palette().color(QPalette::Base);
    Colours.setColor(QPalette::Base, Back);
    P.Details->setPalette(Colours);
    P.List->setPalette(Colours);
    UpdateCommands();
}

QWidget* TFilerForm::ShownView(int Side) const {
    const auto& P = FPanes[std::size_t(Side)];
    return P.Info.ViewMode == vmSimpleList ? static_cast<QWidget*>(P.List) : P.Details;
}

void TFilerForm::SetActiveSide(int Side) {
    FActive = Side;
    UpdateCaption();
    UpdateCommands();
}

void TFilerForm::SelectRows(int Side, const std::vector<int>& Rows) {
    TPaneWidgets& P = FPanes[std::size_t(Side)];
    QItemSelectionModel* Selection = P.Details->selectionModel();
    Selection->clearSelection();
    for (int Row : Rows)
        Selection->select(P.Model->index(Row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!Rows.empty())
        Selection->setCurrentIndex(P.Model->index(Rows.front(), 0), QItemSelectionModel::NoUpdate);
    UpdateCommands();
}

std::vector<int> TFilerForm::SelectedRows(int Side) const {
    std::vector<int> Rows;
    for (const QModelIndex& Index :
         FPanes[std::size_t(Side)].Details->selectionModel()->selectedRows())
        Rows.push_back(Index.row());
    std::sort(Rows.begin(), Rows.end());
    return Rows;
}

std::vector<TFilerItem> TFilerForm::ShownItems(int Side) const {
    return FPanes[std::size_t(Side)].Info.Items;
}

void TFilerForm::ColumnClick(int Side, int Column) {
    TListInfo& Info = Pane(Side);
    if (Info.ViewMode == vmDiskLayout) {
        Info.ViewMode = vmFullDetails;
        RefreshPane(Side);
    }
    const bool Descending = Info.SortColumn == Column;
    Info.SortColumn = Descending ? -1 : Column;
    std::stable_sort(Info.Items.begin(), Info.Items.end(),
                     [Column, Descending](const TFilerItem& A, const TFilerItem& B) {
                         const int Result = CompareFilerItems(A, B, Column);
                         return Descending ? Result > 0 : Result < 0;
                     });
    ShowItems(Side);
}

void TFilerForm::SetViewMode(int Mode) {
    TListInfo& Info = Pane(FActive);
    if (Info.ViewMode == Mode)
        return;
    Info.ViewMode = Mode;
    RefreshPane(FActive);
}

void TFilerForm::UpdateCaption() {
    const TListInfo& Info = Pane(FActive);
    TFilerCaptionFacts Facts;
    Facts.RightActive = FActive == fsRight;
    Facts.VolumePath = Info.VolumePath;
    Facts.InSubvolume = !Info.SubvolumeName.empty();
    Facts.SubvolumeTitle = Info.SubvolumeTitle;
    if (Info.Volume)
        Facts.Version = Info.Volume->GetVersion();
    setWindowTitle(ToQString(FilerCaption(Facts)));
}

TFilerPaneFacts TFilerForm::Facts(int Side) const {
    const TListInfo& Info = FPanes[std::size_t(Side)].Info;
    const TListInfo& OtherInfo = FPanes[std::size_t(1 - Side)].Info;
    TFilerPaneFacts F;
    F.Chosen = !Info.VolumePath.empty();
    F.Open = Info.Volume != nullptr;
    F.Writable = F.Open && Info.Volume->IsWritable();
    F.Subvolume = !Info.SubvolumeName.empty();
    const std::vector<int> Rows = SelectedRows(Side);
    F.Selected = int(Rows.size());
    F.UpLevelSelected = Rows.size() == 1 && Info.Items[std::size_t(Rows[0])].IsUpLevel();
    F.OtherWritable = OtherInfo.Volume && OtherInfo.Volume->IsWritable();
    return F;
}

void TFilerForm::UpdateCommands() {
    if (!FActions[0])
        return;
    const std::array<bool, FilerCommandCount> On = FilerCommandsEnabled(Facts(FActive));
    for (int Command = 0; Command < FilerCommandCount; ++Command)
        FActions[std::size_t(Command)]->setEnabled(On[std::size_t(Command)]);
    const int Mode = Pane(FActive).ViewMode;
    FActions[fcmFullDetails]->setChecked(Mode == vmFullDetails);
    FActions[fcmDiskLayout]->setChecked(Mode == vmDiskLayout);
    FActions[fcmSimpleList]->setChecked(Mode == vmSimpleList);
    // The Copy button points the way the file goes.
    FActions[fcmCopy]->setIcon(
        style()->standardIcon(FActive == fsLeft ? QStyle::SP_ArrowRight : QStyle::SP_ArrowLeft));
}

bool TFilerForm::ActiveWritable() const {
    const TVolume* V = ActiveVolume();
    return V && V->IsWritable();
}

bool TFilerForm::eventFilter(QObject* Watched, QEvent* Event) {
    for (int Side : {fsLeft, fsRight}) {
        const TPaneWidgets& P = FPanes[std::size_t(Side)];
        const bool IsView = Watched == P.List || Watched == P.Details;
        // Anything but the right list counts as the left pane.
        if (Event->type() == QEvent::FocusIn && (IsView || Watched == P.Combo))
            SetActiveSide(IsView ? Side : fsLeft);
        if (Event->type() != QEvent::KeyPress)
            continue;
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (IsView && Key->key() == Qt::Key_Down && Key->modifiers() == Qt::AltModifier) {
            P.Combo->setFocus();
            P.Combo->showPopup();
            return true;
        }
        if (IsView && Key->key() == Qt::Key_F10 && Key->modifiers() == Qt::ShiftModifier) {
            UpdateCommands();
            FPopup->popup(static_cast<QWidget*>(Watched)->mapToGlobal(QPoint(20, 20)));
            return true;
        }
        if (Watched == P.Combo && (Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter)) {
            ShownView(Side)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

// ---- Drops -----------------------------------------------------------------------------------

void TFilerForm::dragEnterEvent(QDragEnterEvent* Event) {
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TFilerForm::dropEvent(QDropEvent* Event) {
    DropFiles(Event->mimeData()->urls(), Event->position().toPoint());
    Event->acceptProposedAction();
}

void TFilerForm::DropFiles(const QList<QUrl>& Urls, const QPoint& Position) {
    activateWindow();
    if (Urls.isEmpty() || !Urls.front().isLocalFile())
        return;
    const std::filesystem::path File = PathFromQString(Urls.front().toLocalFile());
    if (UpperCase1252(NameOfPath(File.extension())) != ".VOL")
        return;
    for (int Side : {fsLeft, fsRight}) {
        QWidget* P = Panel(Side);
        if (!QRect(P->mapTo(this, QPoint(0, 0)), P->size()).contains(Position))
            continue;
        AddVolumeToCombo(NameOfPath(File), Side);
        ComboChanged(Side);
        ShownView(Side)->setFocus();
        SetActiveSide(Side);
        return;
    }
}

// ---- Commands --------------------------------------------------------------------------------

void TFilerForm::FollowReplacedFiles() {
    for (int Side : {fsLeft, fsRight}) {
        const TListInfo& Info = Pane(Side);
        if (!Info.Volume)
            continue;
        std::uint64_t Device = 0;
        std::uint64_t Inode = 0;
        if (!FileIdentity(Info.VolumePath, Device, Inode) || Device != Info.Device ||
            Inode != Info.Inode)
            RefreshPane(Side);
    }
}

void TFilerForm::AfterChange(int Side) {
    RefreshPane(Side);
    const TListInfo& Info = Pane(Side);
    const TListInfo& OtherInfo = Pane(1 - Side);
    if (OtherInfo.Volume && OtherInfo.Device == Info.Device && OtherInfo.Inode == Info.Inode)
        RefreshPane(1 - Side);
}

void TFilerForm::Trigger(int Command) {
    try {
        RunCommand(Command);
    } catch (const EKorvidError& Error) {
        RaiseLater(Error.what());
    }
}

void TFilerForm::RaiseLater(const std::string& Message) {
    // Out of the signal first: the application's handler reports it from the event loop.
    QMetaObject::invokeMethod(
        this, [Message] { throw EVolumeError(Message); }, Qt::QueuedConnection);
}

void TFilerForm::RunCommand(int Command) {
    FollowReplacedFiles();
    UpdateCommands();
    if (!FActions[std::size_t(Command)]->isEnabled())
        return;
    switch (Command) {
    case fcmOpen:
        Open();
        break;
    case fcmUpOneLevel:
        UpOneLevel();
        break;
    case fcmCopy:
        Copy();
        break;
    case fcmRename:
        StartRename();
        break;
    case fcmRenameVolume:
        RenameVolume();
        break;
    case fcmDelete:
        Delete();
        break;
    case fcmFlush:
        Flush();
        break;
    case fcmResize:
        Resize();
        break;
    case fcmKrunch:
        Krunch();
        break;
    case fcmShrink:
        Shrink();
        break;
    case fcmCreateSubvolume:
        CreateSubvolume();
        break;
    case fcmUnpackAllRaw:
        Unpack(umAllFilesRaw);
        break;
    case fcmUnpackAll:
        Unpack(umAllFiles);
        break;
    case fcmUnpack:
        Unpack(umTextFiles);
        break;
    case fcmUnpackInterfaces:
        Unpack(umInterfaces);
        break;
    case fcmPack:
        Pack();
        break;
    case fcmRefresh:
        RefreshPane(FActive);
        break;
    case fcmFullDetails:
        SetViewMode(vmFullDetails);
        break;
    case fcmDiskLayout:
        SetViewMode(vmDiskLayout);
        break;
    case fcmSimpleList:
        SetViewMode(vmSimpleList);
        break;
    case fcmGrabListing:
        GrabListing();
        break;
    default:
        break;
    }
    UpdateCommands();
    // The questions and reports it showed may have taken the activation with them.
    if (isVisible())
        activateWindow();
}

void TFilerForm::Open() {
    const std::vector<int> Rows = SelectedRows(FActive);
    if (Rows.size() != 1)
        return;
    TListInfo& Info = Pane(FActive);
    const TFilerItem Item = Info.Items[std::size_t(Rows[0])];
    if (Item.Icon == fiSubvolume) {
        Info.SubvolumeName = Item.StoredName;
        RefreshPane(FActive);
    } else if (Item.IsUpLevel()) {
        UpOneLevel();
    } else if (!Item.IsGap()) {
        const std::string Name = Info.SubvolumeName.empty()
                                     ? Item.StoredName
                                     : Info.SubvolumeName + ":" + Item.StoredName;
        FHost.OpenFilerFile(Info.VolumePath + ">" + UpperCase1252(Name),
                            FHost.IsReadOnlyVolumeFile(Info.VolumePath));
    }
}

void TFilerForm::UpOneLevel() {
    TListInfo& Info = Pane(FActive);
    if (Info.SubvolumeName.empty())
        return;
    const std::string Left = Info.SubvolumeName;
    Info.SubvolumeName.clear();
    Info.SubvolumeTitle.clear();
    RefreshPane(FActive);
    SelectRows(FActive, {});
    for (std::size_t Row = 0; Row < Info.Items.size(); ++Row)
        if (Info.Items[Row].StoredName == Left) {
            SelectRows(FActive, {int(Row)});
            break;
        }
}

void TFilerForm::Copy() {
    const std::vector<int> Rows = SelectedRows(FActive);
    TVolume* Source = ActiveVolume();
    TVolume* Target = Pane(Other()).Volume.get();
    if (!Source || !Target || Rows.empty())
        return;
    const TFilerItem& Item = Pane(FActive).Items[std::size_t(Rows[0])];
    if (Item.StoredName.empty())
        return;
    if (Source->IsSameVolumeAs(*Target))
        throw EVolumeError("A file cannot be copied onto itself.");
    Target->Reread();
    if (Target->FindFile(Item.StoredName) != 0 &&
        !ConfirmOverwriteVolumeFile(UpperCase1252(Item.StoredName))) {
        RefreshPane(Other());
        return;
    }
    Source->ReplaceFileIn(0, Item.StoredName, *Target);
    AfterChange(Other());
}

void TFilerForm::LendKeysToEdit(bool Lend) {
    for (int Command : {fcmOpen, fcmUpOneLevel})
        FActions[std::size_t(Command)]->setShortcut(Lend ? QKeySequence()
                                                         : CommandRows()[std::size_t(Command)].Key);
}

void TFilerForm::StartRename() {
    const std::vector<int> Rows = SelectedRows(FActive);
    if (Rows.size() != 1 || Pane(FActive).Items[std::size_t(Rows[0])].Icon == fiUpLevel)
        return;
    QStandardItem* Item = Model(FActive)->item(Rows[0], 0);
    Item->setEditable(true);
    // Backspace and Esc belong to the edit while it lasts.
    LendKeysToEdit(true);
    FEditing = true;
    auto* View = static_cast<QAbstractItemView*>(ShownView(FActive));
    View->edit(Item->index());
}

void TFilerForm::FinishRename(int Side, int Row, const QString& Typed) {
    FEditing = false;
    LendKeysToEdit(false);
    TListInfo& Info = Pane(Side);
    if (Row < 0 || Row >= int(Info.Items.size()))
        return;
    TFilerItem& Item = Info.Items[std::size_t(Row)];
    QStandardItem* Cell = Model(Side)->item(Row, 0);
    const auto PutBack = [&] {
        const QSignalBlocker Quiet(Model(Side));
        Cell->setText(ToQString(Item.Caption));
        Cell->setEditable(false);
    };
    const std::string NewName = UpperCase1252(FromQString(Typed));
    if (!Info.Volume || NewName == UpperCase1252(Item.Caption)) {
        PutBack();
        return;
    }
    const int Kind = Info.Volume->FileInfo(0, Item.StoredName).Kind;
    if (std::string Error = FilerRenameError(NewName, Kind); !Error.empty()) {
        PutBack();
        throw EVolumeError(Error);
    }
    try {
        Info.Volume->RenameFile(0, Item.StoredName, NewName);
    } catch (const EKorvidError&) {
        PutBack();
        throw;
    }
    Item.StoredName = NewName;
    Item.Caption = FromQString(Typed);
    const QSignalBlocker Quiet(Model(Side));
    Cell->setEditable(false);
}

void TFilerForm::RenameVolume() {
    TVolume* V = ActiveVolume();
    if (!V)
        return;
    TRenameVolumeForm Form(this);
    Form.Prepare(V->VolumeName());
    if (RunModal(Form) != QDialog::Accepted)
        return;
    if (const std::string Name = Form.NewName(); Name != V->VolumeName())
        V->Rename(Name);
}

void TFilerForm::Delete() {
    TListInfo& Info = Pane(FActive);
    const std::vector<int> Rows = SelectedRows(FActive);
    if (!ActiveWritable() || Rows.empty())
        return;
    const std::string What =
        Rows.size() < 2 ? "'" + Info.Items[std::size_t(Rows[0])].Caption + "'" : "these files";
    std::vector<std::string> Names;
    for (int Row : Rows)
        if (Info.Items[std::size_t(Row)].Icon != fiUpLevel)
            Names.push_back(Info.Items[std::size_t(Row)].StoredName);
    if (Names.empty() || !ConfirmDeleteVolumeFiles(What))
        return;
    for (const std::string& Name : Names)
        Info.Volume->RemoveFile(0, Name);
    AfterChange(FActive);
}

void TFilerForm::Flush() {
    TVolume* V = ActiveVolume();
    if (!V || !ConfirmFlushVolume(V->VolumeName()))
        return;
    V->Flush();
    AfterChange(FActive);
}

void TFilerForm::Resize() {
    TVolume* V = ActiveVolume();
    if (!ActiveWritable())
        return;
    TExpandForm Form(this);
    Form.Prepare(*V);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    const int Change = Form.Change();
    if (Change < 0)
        V->Shrink(Change);
    else if (Change > 0)
        V->Expand(Change);
    else
        return;
    AfterChange(FActive);
}

void TFilerForm::Krunch() {
    TVolume* V = ActiveVolume();
    if (!ActiveWritable() || !ConfirmKrunchVolume(V->VolumeName()))
        return;
    const int Free = V->Krunch();
    AfterChange(FActive);
    ShowKrunchSucceededMessage(Free);
}

void TFilerForm::Shrink() {
    TVolume* V = ActiveVolume();
    if (!ActiveWritable() || V->IsSubvolume() || !ConfirmShrinkVolume(V->VolumeName()))
        return;
    {
        const TBusyCursor Busy;
        V->ShrinkTree();
        AfterChange(FActive);
    }
    ShowVolumeShrunkMessage();
}

void TFilerForm::CreateSubvolume() {
    TVolume* V = ActiveVolume();
    if (!V)
        return;
    TCreateSubvolumeForm Form(this);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    V->CopyFileTo(0, Form.Name(), Form.Size(), *V);
    AfterChange(FActive);
}

void TFilerForm::Unpack(int Mode) {
    TVolume* V = ActiveVolume();
    if (!V)
        return;
    FolderPicker.Title = "Browse for Target Folder";
    if (!FolderPicker.Execute())
        return;
    const std::vector<TRenamedFile> Renamed = V->Unpack(FolderPicker.Directory, Mode);
    if (Renamed.empty())
        return;
    std::vector<std::string> Lines;
    for (const TRenamedFile& File : Renamed)
        Lines.push_back(File.Name + " -> " + NameOfPath(File.Path.filename()));
    ShowUnpackRenamedMessage(Lines);
}

void TFilerForm::Pack() {
    FolderPicker.Title = "Browse for Source Folder";
    if (!FolderPicker.Execute())
        return;
    TSaveDialog Save;
    Save.Title = "Save Volume As";
    Save.Filter = "Volume Files (*.vol)|*.vol";
    Save.DefaultExt = "vol";
    if (!Save.Execute())
        return;
    PackFiles(FolderPicker.Directory, Save.FileName);
}

void TFilerForm::GrabListing() {
    SetViewMode(vmDiskLayout);
    const TListInfo& Info = Pane(FActive);
    if (Info.VolumePath.empty()) {
        FHost.OpenTextInNewTab("Listing", FilerListingText({}, Info.Items));
        return;
    }
    const std::string Title = Info.SubvolumeName.empty()
                                  ? Info.VolumeName
                                  : Info.SubvolumeTitle + " (in " + Info.VolumeName + ")";
    FHost.OpenTextInNewTab(Info.VolumeName, FilerListingText(Title, Info.Items));
}

} // namespace korvid
