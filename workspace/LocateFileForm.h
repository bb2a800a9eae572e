#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace korvid {

class TFavouritesTreeView;
class TTreeNode;

// Shows a folder's tree and finds a file in it by part of its name as the user types.
class TLocateFileForm : public QDialog {
public:
    explicit TLocateFileForm(const std::string& Folder, QWidget* Parent = nullptr);
    ~TLocateFileForm() override;

    // Opens a file while the dialog stays open ("Stay open").
    std::function<void(const std::string& Path)> OnOpenFile;

    // Selects the first file after the last hit (from the start unless Continue) whose name
    // holds the typed text; clears the selection when none does.
    void Search(bool Continue);
    // The selected file's path; empty unless a file is selected.
    std::string SelectedFile() const;

    QLineEdit* NameEdit() const { return FName; }
    TFavouritesTreeView* Tree() const { return FTree; }
    QPushButton* NextButton() const { return FNext; }
    QCheckBox* StayOpenBox() const { return FStayOpen; }
    QPushButton* OkButton() const { return FOk; }

private:
    void Confirm();

    QLineEdit* FName;
    TFavouritesTreeView* FTree;
    QPushButton* FNext;
    QCheckBox* FStayOpen;
    QPushButton* FOk;
    // Every file of the tree in tree order, by its name.
    std::vector<std::pair<QString, TTreeNode*>> FFiles;
    int FLastHit = -1;
};

} // namespace korvid
