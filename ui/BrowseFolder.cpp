#include "ui/BrowseFolder.h"

#include "platform/Paths.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>

#include <vector>

namespace korvid {

namespace {

// The model names folders as Qt spells them, with U+FFFD for bytes that are not UTF-8.
QString QtSpelling(const std::filesystem::path& Path) {
    return QFile::decodeName(QByteArray::fromStdString(Path.native()));
}

std::string JoinParts(const std::vector<std::string_view>& Parts, char Separator) {
    std::string Result;
    for (std::size_t I = 0; I < Parts.size(); ++I) {
        if (I > 0)
            Result += Separator;
        Result += Parts[I];
    }
    return Result;
}

} // namespace

std::string ShortenStatusPath(std::string_view Path, char Separator, std::size_t MaxLength) {
    if (Path.size() <= MaxLength)
        return std::string(Path);
    std::vector<std::string_view> Parts;
    for (std::size_t Start = 0;;) {
        const std::size_t End = Path.find(Separator, Start);
        Parts.push_back(Path.substr(Start, End == std::string_view::npos ? End : End - Start));
        if (End == std::string_view::npos)
            break;
        Start = End + 1;
    }
    if (Parts.size() < 3)
        return std::string(Path);
    Parts[1] = "...";
    std::string Result = JoinParts(Parts, Separator);
    while (Result.size() > MaxLength && Parts.size() >= 4) {
        Parts.erase(Parts.begin() + 2);
        Result = JoinParts(Parts, Separator);
    }
    return Result;
}

std::filesystem::path BrowseRootPath(TSHFolders Root) {
    switch (Root) {
    case foDesktopExpanded:
    case foMyComputer:
        return "/";
    case foDesktop:
    case foDesktopDirectory:
        return PathFromQString(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    default:
        return PathFromQString(QDir::homePath());
    }
}

QPoint BrowseDialogPosition(const QRect& ActiveWindow, const QSize& Dialog) {
    return {ActiveWindow.left() + ActiveWindow.width() / 2 - Dialog.width() / 2,
            ActiveWindow.top() + ActiveWindow.height() / 4};
}

// ---- The dialog --------------------------------------------------------------------------

TBrowseFolderDialog::TBrowseFolderDialog(const std::filesystem::path& Root, QWidget* Parent)
    : QDialog(Parent), FModel(new QFileSystemModel(this)), FTree(new QTreeView(this)),
      FStatus(new QLabel(this)), FOk(new QPushButton("OK", this)),
      FCancel(new QPushButton("Cancel", this)) {
    FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FModel->setRootPath(QtSpelling(Root));
    FTree->setModel(FModel);
    for (int Column = 1; Column < FModel->columnCount(); ++Column)
        FTree->hideColumn(Column);
    FTree->setHeaderHidden(true);
    FTree->setRootIndex(FModel->index(QtSpelling(Root)));
    FStatus->setTextFormat(Qt::PlainText);
    FOk->setDefault(true);
    connect(FModel, &QFileSystemModel::directoryLoaded, this, [this] { KeepSelectedInView(); });
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& Current) {
                if (Current != FSelected)
                    FSelected = QPersistentModelIndex();
            });
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(FOk);
    Buttons->addWidget(FCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FStatus);
    Layout->addWidget(FTree);
    Layout->addLayout(Buttons);
    resize(320, 360);
}

TBrowseFolderDialog::~TBrowseFolderDialog() = default;

std::filesystem::path TBrowseFolderDialog::CurrentPath() const {
    const QModelIndex Current = FTree->currentIndex();
    return Current.isValid() ? DiskPathFromQtName(FModel->filePath(Current))
                             : std::filesystem::path();
}

void TBrowseFolderDialog::SelectPath(const std::filesystem::path& Folder) {
    const QModelIndex Index = FModel->index(QtSpelling(Folder));
    if (!Index.isValid())
        return;
    FSelected = QPersistentModelIndex();
    FTree->setCurrentIndex(Index);
    FTree->expand(Index);
    FSelected = Index;
    KeepSelectedInView();
}

void TBrowseFolderDialog::KeepSelectedInView() {
    if (FSelected.isValid() && FTree->currentIndex() == FSelected)
        FTree->scrollTo(FSelected);
}

void TBrowseFolderDialog::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    KeepSelectedInView();
}

QAbstractButton* TBrowseFolderDialog::AddCustomButton(TCustomButtonType Type,
                                                      const QString& Caption, int Width) {
    if (Type == btCheckBox)
        FCustom = new QCheckBox(Caption, this);
    else
        FCustom = new QPushButton(Caption, this);
    FCustom->setFixedWidth(Width);
    // The row's far left, before the stretch that pushes OK and Cancel right.
    auto* Buttons = static_cast<QHBoxLayout*>(layout()->itemAt(2)->layout());
    Buttons->insertWidget(0, FCustom);
    return FCustom;
}

// ---- The picker -------------------------------------------------------------------------

void TBrowseFolder::SetCustomButtonEnabled(bool Enabled) {
    FCustomButtonEnabled = Enabled;
    if (FDialog && FDialog->CustomButton())
        FDialog->CustomButton()->setEnabled(Enabled);
}

void TBrowseFolder::SetCustomButtonCaption(const QString& Caption) {
    FCustomButtonCaption = Caption;
    if (FDialog && FDialog->CustomButton())
        FDialog->CustomButton()->setText(Caption);
}

void TBrowseFolder::SetCustomButtonWidth(int Width) {
    FCustomButtonWidth = Width > 0 ? Width : DefaultCustomButtonWidth;
    if (FDialog && FDialog->CustomButton())
        FDialog->CustomButton()->setFixedWidth(FCustomButtonWidth);
}

bool TBrowseFolder::Execute() {
    QWidget* Owner = QApplication::activeWindow() ? QApplication::activeWindow() : MainForm();
    TBrowseFolderDialog Dialog(BrowseRootPath(RootFolder), Owner);
    FDialog = &Dialog;
    Initialize(Dialog);
    const bool Chosen = RunModal(Dialog) == QDialog::Accepted;
    FDialog = nullptr;
    if (!Chosen)
        return false;
    Directory = Dialog.CurrentPath();
    return true;
}

void TBrowseFolder::Initialize(TBrowseFolderDialog& Dialog) {
    Dialog.setWindowTitle(Title);
    Dialog.StatusLine()->setVisible(Flags.contains(bfStatusText));
    if (QWidget* Active = Dialog.parentWidget())
        Dialog.move(BrowseDialogPosition(Active->frameGeometry(), Dialog.size()));
    if (CustomButtonVisible) {
        QAbstractButton* Button =
            Dialog.AddCustomButton(CustomButtonType, FCustomButtonCaption, FCustomButtonWidth);
        Button->setEnabled(FCustomButtonEnabled);
        if (CustomButtonType == btCheckBox) {
            Button->setChecked(CustomButtonChecked);
            // The check box's state counts only when the user confirms with OK.
            QObject::connect(Dialog.OkButton(), &QPushButton::clicked, &Dialog,
                             [this, Button] { CustomButtonChecked = Button->isChecked(); });
        }
        QObject::connect(Button, &QAbstractButton::clicked, &Dialog, [this, &Dialog] {
            if (OnCustomButtonClick)
                OnCustomButtonClick(Dialog);
        });
    }
    QObject::connect(Dialog.Tree()->selectionModel(), &QItemSelectionModel::currentChanged, &Dialog,
                     [this, &Dialog] { SelectionChanged(Dialog); });
    if (!Directory.empty())
        Dialog.SelectPath(Directory);
    SelectionChanged(Dialog);
    if (OnInitialized)
        OnInitialized(Dialog);
}

void TBrowseFolder::SelectionChanged(TBrowseFolderDialog& Dialog) {
    // Directory itself changes only on OK, so that Cancel leaves it as it was.
    const std::filesystem::path Current = Dialog.CurrentPath();
    if (ShowPathInStatusArea)
        Dialog.StatusLine()->setText(
            PathToQString(ShortenStatusPath(Current.native(), QDir::separator().toLatin1())));
    const bool HasPath = !Current.empty();
    Dialog.OkButton()->setEnabled(HasPath);
    if (SyncCustomButton && Dialog.CustomButton())
        Dialog.CustomButton()->setEnabled(HasPath);
    if (OnSelectionChanged)
        OnSelectionChanged(Dialog, Current);
}

} // namespace korvid
