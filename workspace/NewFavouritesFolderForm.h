#pragma once

#include "ui/BrowseFolder.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvid {

class TFavouritesTreeView;
class TTreeNode;

// Asks where a new Favourites folder goes and whether a disk folder fills it.
class TNewFavouritesFolderForm : public QDialog {
public:
    explicit TNewFavouritesFolderForm(QWidget* Parent = nullptr);

    // Words the two places after the node selected in the tree (null: none).
    void Prepare(const TTreeNode* Selected);

    QRadioButton* SameFolderRadio() const { return FSameFolder; }
    QRadioButton* SelectedFolderRadio() const { return FSelectedFolder; }
    QCheckBox* FillBox() const { return FFill; }
    QGroupBox* DiskGroup() const { return FDiskGroup; }
    QLabel* FolderLabel() const { return FFolderLabel; }
    QLineEdit* FolderEdit() const { return FFolder; }
    QPushButton* BrowseButton() const { return FBrowse; }
    QCheckBox* SubfoldersBox() const { return FSubfolders; }
    QCheckBox* RefillBox() const { return FRefill; }
    TBrowseFolder& Browser() { return FBrowser; }

private:
    void UpdateStates();
    void Browse();

    QRadioButton* FSameFolder;
    QRadioButton* FSelectedFolder;
    QCheckBox* FFill;
    QGroupBox* FDiskGroup;
    QLabel* FFolderLabel;
    QLineEdit* FFolder;
    QPushButton* FBrowse;
    QCheckBox* FSubfolders;
    QCheckBox* FRefill;
    TBrowseFolder FBrowser;
};

// Where a new folder goes beside Selected: the folder holding it, null for the top level.
TTreeNode* SameFolderParent(TTreeNode* Selected);

// Adds the folder the confirmed dialog describes, selects it and starts editing its caption.
TTreeNode* AddNewFavouritesFolder(TFavouritesTreeView& Tree, TTreeNode* Selected,
                                  const TNewFavouritesFolderForm& Form);

} // namespace korvid
