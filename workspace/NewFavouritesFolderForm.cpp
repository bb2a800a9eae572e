#include "workspace/NewFavouritesFolderForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "ui/FormUtilities.h"
#include "workspace/FavouritesTree.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <filesystem>

namespace korvid {
namespace {

QString InFolder(const TTreeNode& Folder) {
    return QStringLiteral("In folder \"%1\"").arg(Folder.Caption());
}

} // namespace

TNewFavouritesFolderForm::TNewFavouritesFolderForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("New Favourites Folder");
    setFont(QFont(ToQString(GetDialogFontName())));

    auto* Place = new QGroupBox("Create a new folder");
    FSameFolder = new QRadioButton("In same folder as selected item");
    FSelectedFolder = new QRadioButton("In the currently selected folder");
    FSameFolder->setChecked(true);
    auto* PlaceColumn = new QVBoxLayout(Place);
    PlaceColumn->addWidget(FSameFolder);
    PlaceColumn->addWidget(FSelectedFolder);

    FFill = new QCheckBox("&Fill the new folder with files from a disk folder");
    FDiskGroup = new QGroupBox;
    FFolder = new QLineEdit;
    FFolder->setMinimumWidth(260);
    FFolderLabel = new QLabel("&Disk folder:");
    FFolderLabel->setBuddy(FFolder);
    FBrowse = new QPushButton("&Browse...");
    FSubfolders = new QCheckBox("Add &subfolders too");
    FSubfolders->setChecked(true);
    FRefill = new QCheckBox("&Refill the folder whenever it's opened");
    FRefill->setChecked(true);
    auto* Disk = new QGridLayout(FDiskGroup);
    Disk->addWidget(FFolderLabel, 0, 0);
    Disk->addWidget(FFolder, 0, 1);
    Disk->addWidget(FBrowse, 0, 2);
    Disk->addWidget(FSubfolders, 1, 1, 1, 2);
    Disk->addWidget(FRefill, 2, 1, 1, 2);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Buttons->button(QDialogButtonBox::Ok)->setText("OK");
    Buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* Column = new QVBoxLayout(this);
    Column->addWidget(Place);
    Column->addWidget(FFill);
    Column->addWidget(FDiskGroup);
    Column->addWidget(Buttons);

    connect(FFill, &QCheckBox::toggled, this, [this](bool Checked) {
        UpdateStates();
        if (Checked)
            FFolder->setFocus();
    });
    connect(FRefill, &QCheckBox::toggled, this, [this] { UpdateStates(); });
    connect(FBrowse, &QPushButton::clicked, this, [this] { Browse(); });
    UpdateStates();
}

void TNewFavouritesFolderForm::UpdateStates() {
    const bool Fill = FFill->isChecked();
    for (QWidget* Control : {static_cast<QWidget*>(FDiskGroup), static_cast<QWidget*>(FFolderLabel),
                             static_cast<QWidget*>(FFolder), static_cast<QWidget*>(FBrowse),
                             static_cast<QWidget*>(FRefill)})
        Control->setEnabled(Fill);
    FSubfolders->setEnabled(Fill && !FRefill->isChecked());
}

void TNewFavouritesFolderForm::Browse() {
    FBrowser.Directory = PathFromQString(FFolder->text());
    if (FBrowser.Execute())
        FFolder->setText(PathToQString(FBrowser.Directory));
}

void TNewFavouritesFolderForm::Prepare(const TTreeNode* Selected) {
    const TTreeNode* Parent = SameFolderParent(const_cast<TTreeNode*>(Selected));
    FSameFolder->setText(Parent ? InFolder(*Parent)
                                : QStringLiteral("At the &top level of the Favourites bar"));
    const bool IsFolder = TFavouritesTreeView::NodeKind(Selected) == fvFolder;
    FSelectedFolder->setEnabled(IsFolder);
    FSelectedFolder->setText(IsFolder ? InFolder(*Selected)
                                      : QStringLiteral("In the currently selected folder"));
    (IsFolder ? FSelectedFolder : FSameFolder)->setChecked(true);
}

TTreeNode* SameFolderParent(TTreeNode* Selected) {
    return Selected ? TFavouritesTreeView::FolderOf(Selected->Parent()) : nullptr;
}

TTreeNode* AddNewFavouritesFolder(TFavouritesTreeView& Tree, TTreeNode* Selected,
                                  const TNewFavouritesFolderForm& Form) {
    std::string Folder = PathFromQString(Form.FolderEdit()->text().trimmed()).native();
    std::error_code Error;
    const bool Fill = Form.FillBox()->isChecked() && !Folder.empty() &&
                      std::filesystem::is_directory(Folder, Error);
    if (Fill) {
        Folder = TrueCaseFileName(Folder, true);
        while (Folder.size() > 1 && Folder.back() == '/')
            Folder.pop_back();
    }
    const QString Caption = Fill ? FolderCaption(Folder) : QStringLiteral("New Folder");
    TTreeNode* Parent =
        Form.SelectedFolderRadio()->isChecked() ? Selected : SameFolderParent(Selected);
    const bool Refill = Fill && Form.RefillBox()->isChecked();
    TTreeNode* Node =
        Refill ? Tree.AddDiskFolder(Parent, Caption, Folder) : Tree.AddFolder(Parent, Caption);
    if (Fill && !Refill)
        Tree.FillFolderNode(Node, Folder,
                            Form.SubfoldersBox()->isChecked() ? fmWholeTree : fmFilesOnly);
    Tree.SetSelected(Node);
    Tree.EditCaption(Node);
    return Node;
}

} // namespace korvid
