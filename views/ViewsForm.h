#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace korvid {

class TView;
class TViewList;

// The Define Views dialog: lists every view and creates, modifies, deletes and applies them.
// Changes go into the view list at once; Cancel does not undo them.
class TViewsForm : public QDialog {
public:
    static constexpr int ApplyResult = 1;
    static constexpr int CloseResult = 2;

    explicit TViewsForm(QWidget* Parent = nullptr);

    // Told before a changed view is shown again (kind 0) and before a deleted one is freed
    // (kind 1), so that nothing keeps showing it.
    std::function<void(TView& View, int Kind)> OnViewChanged;

    void SetViews(TViewList& Views);
    void SelectView(const TView* View);
    TView* GetSelectedView() const;
    void UpdateButtons();

    QListWidget* ViewsList() const { return FViewsList; }
    QPushButton* ApplyButton() const { return FApply; }
    QPushButton* CloseButton() const { return FClose; }
    QPushButton* DeleteButton() const { return FDelete; }
    QPushButton* ModifyButton() const { return FModify; }
    QPushButton* NewButton() const { return FNew; }

    void NewButtonClick();
    void ModifyButtonClick();
    void DeleteButtonClick();

    // Esc and the close box answer as the Cancel button does.
    void reject() override;

private:
    QListWidgetItem* AddViewItem(TView& View);
    QListWidgetItem* SelectedItem() const;
    void ChangesMade();

    TViewList* FViews = nullptr;
    QPushButton* FApply;
    QPushButton* FClose;
    QPushButton* FDelete;
    QPushButton* FModify;
    QPushButton* FNew;
    QLabel* FViewsLabel;
    QListWidget* FViewsList;
};

} // namespace korvid
