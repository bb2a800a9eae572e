#pragma once

#include <QDialog>
#include <QPointer>

#include <filesystem>
#include <string>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvid {

// One document tab as the dialog lists it.
struct TOrganizeItem {
    std::string Caption;
    // The file name; the caption for a document without one.
    std::string FileName;
    // The tab may close while the dialog is open; the pointer then reads null.
    QPointer<QWidget> Tab;
};

// The lines of a tab set: each item's file name, the main one marked with "*".
std::vector<std::string> TabSetLines(const std::vector<TOrganizeItem>& Items, int MainIndex);

// Reorders the document tabs, recaptions them, marks the main compile file and saves the
// open files as a tab set.
class TOrganizeFilesForm : public QDialog {
public:
    // ReplaceFileMessage is the "show this message" flag of the replace question.
    explicit TOrganizeFilesForm(bool& ReplaceFileMessage, QWidget* Parent = nullptr);

    void AddItem(TOrganizeItem Item, bool IsMain = false);
    // In the list's order, with the captions as edited.
    std::vector<TOrganizeItem> Items() const;
    // The main compile file's place in the list; -1 when there is none.
    int MainIndex() const;
    // -1 without a selection.
    int SelectedIndex() const;
    void Select(int Index);
    // True when the item shows as cut (greyed): every item but the main one.
    bool IsCut(int Index) const;

    void MoveSelected(int Delta);
    void Recaption();
    // Makes the selected item the main one; a second time there is none.
    void MarkAsMain();
    void SortByColumn(int Column);
    // Asks for a file and writes the tab set there.
    void SaveAs();

    QTreeWidget* List() const { return FList; }
    QPushButton* UpButton() const { return FUp; }
    QPushButton* DownButton() const { return FDown; }
    QPushButton* RecaptionButton() const { return FRecaption; }
    QPushButton* SaveAsButton() const { return FSaveAs; }
    QPushButton* MarkButton() const { return FMark; }
    QPushButton* OkButton() const { return FOk; }

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void UpdateButtons();
    void ShowCut();

    bool& FReplaceFileMessage;
    std::vector<QPointer<QWidget>> FTabs;
    QTreeWidget* FList;
    QTreeWidgetItem* FMainItem = nullptr;
    QPushButton* FUp;
    QPushButton* FDown;
    QPushButton* FRecaption;
    QPushButton* FSaveAs;
    QPushButton* FMark;
    QPushButton* FOk;
    QPushButton* FCancel;
};

} // namespace korvid
