#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace korvid {

// Edits the list of command lines; each entry's caption is edited in place.
class TCommandLinesForm : public QDialog {
public:
    explicit TCommandLinesForm(QWidget* Parent = nullptr);

    void SetLines(const std::vector<std::string>& Lines, int Selected);
    std::vector<std::string> Lines() const;
    // -1 when nothing is selected.
    int SelectedIndex() const;
    // Runs the dialog; true after OK.
    bool Execute();

    // Run starts the selected line as it stands.
    std::function<void(const std::string& CommandLine)> OnRun;

    QListWidget* List() const { return FList; }
    QPushButton* NewButton() const { return FNew; }
    QPushButton* ModifyButton() const { return FModify; }
    QPushButton* DeleteButton() const { return FDelete; }
    QPushButton* RunButton() const { return FRun; }
    QPushButton* OkButton() const { return FOk; }
    bool Editing() const;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void NewClick();
    void ModifyClick();
    void DeleteClick();
    void RunClick();
    void EditItem(int Row);
    void UpdateButtons();

    QListWidget* FList;
    QPushButton* FNew;
    QPushButton* FModify;
    QPushButton* FDelete;
    QPushButton* FRun;
    QPushButton* FOk;
    QPushButton* FCancel;
};

} // namespace korvid
