#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace korvid {

class TOpenDialog;

// Picks one entry of a list: a recorded keystroke set, or a JSON file of a folder tree. Entries
// holding " --> " stand for items in subfolders, which the check box can hide.
class TPickKeystrokesForm : public QDialog {
public:
    static constexpr const char* SubfolderMark = " --> ";

    explicit TPickKeystrokesForm(QWidget* Parent = nullptr);
    ~TPickKeystrokesForm() override;

    // Filled by the caller before FillAndSelect.
    std::vector<std::string> BaseEntries;
    // Entries the caller keeps, which "&Add..." extends; none by default.
    std::vector<std::string>* AddedEntries = nullptr;
    // Entries marked with this folder lie in the start folder itself, so the check box never
    // hides them.
    std::string StartFolder;

    // Lists the entries and selects First, else Second, else the first entry.
    void FillAndSelect(const std::string& First, const std::string& Second);
    // Both hidden unless a caller shows them.
    void ShowSubfolderBox(bool Show);
    void ShowAddButton(bool Show);
    // Empty when nothing is selected.
    std::string Selected() const;
    // Runs the dialog; true after OK.
    bool Execute();

    QListWidget* List() const { return FList; }
    QCheckBox* SubfolderBox() const { return FSubfolders; }
    QPushButton* OkButton() const { return FOk; }
    TOpenDialog& OpenDialog() const { return *FOpenDialog; }
    // The "&Add..." button's click.
    void AddClick();

private:
    // Lists the base entries (those in subfolders only while the box is checked) and the added
    // ones, keeping the selected text selected.
    void ApplySubfolderFilter();
    bool InSubfolder(const std::string& Entry) const;
    void Select(const std::string& Entry);
    void UpdateOk();

    QListWidget* FList;
    QCheckBox* FSubfolders;
    QPushButton* FAdd;
    QPushButton* FOk;
    std::unique_ptr<TOpenDialog> FOpenDialog;
};

} // namespace korvid
