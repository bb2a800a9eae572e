#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace korvid {

// Picks one document tab from a list of tabs, each shown by caption and file name. Callers set
// the caption and the prompt. It opens on the first row, so Return picks at once.
class TPickTabForm : public QDialog {
public:
    explicit TPickTabForm(QWidget* Parent = nullptr);

    void SetPrompt(const std::string& Text);
    // Adds a row; Tag comes back from SelectedTag when the row is picked.
    void AddTab(const std::string& Caption, const std::string& FileName, int Tag);
    // The tag of the selected row; -1 when none is selected.
    int SelectedTag() const;
    // Sorts the rows by a column's text, upper-cased, ascending.
    void SortByColumn(int Column);

    QTreeWidget* List() const { return FList; }
    QPushButton* OkButton() const { return FOk; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void UpdateOkButton();

    QLabel* FPrompt;
    QTreeWidget* FList;
    QPushButton* FOk;
};

} // namespace korvid
