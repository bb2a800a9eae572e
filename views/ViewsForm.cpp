#include "views/ViewsForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "views/DefineViewForm.h"
#include "views/ViewList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace korvid {

namespace {

constexpr int ViewRole = Qt::UserRole;

// Sorted by caption, ignoring letter case.
class TViewItem : public QListWidgetItem {
public:
    TViewItem(TView& View, QListWidget* List)
        : QListWidgetItem(ToQString(View.Name()), List), FView(View) {}
    TView& View() const { return FView; }
    bool operator<(const QListWidgetItem& Other) const override {
        return text().compare(Other.text(), Qt::CaseInsensitive) < 0;
    }

private:
    TView& FView;
};

TView* ViewOf(const QListWidgetItem* Item) {
    const auto* ViewItem = dynamic_cast<const TViewItem*>(Item);
    return ViewItem ? &ViewItem->View() : nullptr;
}

} // namespace

TViewsForm::TViewsForm(QWidget* Parent)
    : QDialog(Parent), FApply(new QPushButton("Apply")), FClose(new QPushButton("Cancel")),
      FDelete(new QPushButton("&Delete")), FModify(new QPushButton("&Modify...")),
      FNew(new QPushButton("&New...")), FViewsLabel(new QLabel("&Views:")),
      FViewsList(new QListWidget) {
    setWindowTitle("Define Views");
    FApply->setDefault(true);
    FViewsLabel->setBuddy(FViewsList);
    FViewsList->setSortingEnabled(true);
    FViewsList->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(FApply, &QPushButton::clicked, this, [this] { done(ApplyResult); });
    connect(FClose, &QPushButton::clicked, this, [this] { done(CloseResult); });
    connect(FNew, &QPushButton::clicked, this, [this] { NewButtonClick(); });
    connect(FModify, &QPushButton::clicked, this, [this] { ModifyButtonClick(); });
    connect(FDelete, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
    connect(FViewsList, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(FViewsList, &QListWidget::itemDoubleClicked, this, [this] { ModifyButtonClick(); });

    auto* Buttons = new QVBoxLayout;
    for (QPushButton* Button : {FNew, FModify, FDelete})
        Buttons->addWidget(Button);
    Buttons->addStretch();
    Buttons->addWidget(FApply);
    Buttons->addWidget(FClose);
    auto* List = new QVBoxLayout;
    List->addWidget(FViewsLabel);
    List->addWidget(FViewsList);
    auto* Layout = new QHBoxLayout(this);
    Layout->addLayout(List, 1);
    Layout->addLayout(Buttons);

    setFont(QFont(ToQString(GetDialogFontName())));
    resize(360, 300);
    CentreOnMainForm(this);
    UpdateButtons();
}

QListWidgetItem* TViewsForm::AddViewItem(TView& View) {
    return new TViewItem(View, FViewsList);
}

void TViewsForm::SetViews(TViewList& Views) {
    FViews = &Views;
    FViewsList->clear();
    for (int Index = 0; Index < Views.Count(); ++Index)
        AddViewItem(Views.GetView(Index));
    if (FViewsList->count() > 0)
        FViewsList->setCurrentRow(0);
    UpdateButtons();
}

void TViewsForm::SelectView(const TView* View) {
    QListWidgetItem* Found = nullptr;
    for (int Row = 0; Row < FViewsList->count() && !Found; ++Row)
        if (View != nullptr && ViewOf(FViewsList->item(Row)) == View)
            Found = FViewsList->item(Row);
    if (Found) {
        FViewsList->setCurrentItem(Found);
        FViewsList->scrollToItem(Found);
        FViewsList->setFocus();
    } else {
        FViewsList->clearSelection();
        FViewsList->setCurrentItem(nullptr);
    }
    UpdateButtons();
}

QListWidgetItem* TViewsForm::SelectedItem() const {
    const auto Selected = FViewsList->selectedItems();
    return Selected.isEmpty() ? nullptr : Selected.front();
}

TView* TViewsForm::GetSelectedView() const {
    return ViewOf(SelectedItem());
}

void TViewsForm::UpdateButtons() {
    const TView* View = GetSelectedView();
    FModify->setEnabled(View != nullptr);
    FApply->setEnabled(View != nullptr);
    FDelete->setEnabled(View != nullptr && FViews != nullptr && View != FViews->DefaultView);
}

void TViewsForm::ChangesMade() {
    FClose->setText("Close");
}

void TViewsForm::NewButtonClick() {
    if (FViews != nullptr) {
        TDefineViewForm Form(this);
        auto View = std::make_unique<TView>();
        View->SetName("New View");
        Form.LoadView(*View);
        Form.Prepare();
        if (RunModal(Form) == QDialog::Accepted) {
            Form.StoreView(*View);
            TView& Added = FViews->Add(std::move(View));
            FViewsList->setCurrentItem(AddViewItem(Added));
            ChangesMade();
        }
    }
    FViewsList->setFocus();
    UpdateButtons();
}

void TViewsForm::ModifyButtonClick() {
    QListWidgetItem* Item = SelectedItem();
    TView* View = ViewOf(Item);
    if (View != nullptr) {
        TDefineViewForm Form(this);
        {
            TWaitCursor Hourglass;
            Form.LoadView(*View);
            Form.Prepare();
        }
        if (RunModal(Form) == QDialog::Accepted) {
            Form.StoreView(*View);
            if (OnViewChanged)
                OnViewChanged(*View, 0);
            Item->setText(ToQString(View->Name()));
            FViewsList->sortItems();
            FViewsList->setCurrentItem(Item);
            ChangesMade();
        }
    }
    FViewsList->setFocus();
    UpdateButtons();
}

void TViewsForm::DeleteButtonClick() {
    TView* View = GetSelectedView();
    if (View == nullptr || FViews == nullptr || View == FViews->DefaultView ||
        !ConfirmDeleteView(View->Name()))
        return;
    const int Row = FViewsList->row(SelectedItem());
    if (OnViewChanged)
        OnViewChanged(*View, 1);
    delete FViewsList->takeItem(Row);
    FViews->Delete(FViews->IndexOf(View));
    ChangesMade();
    if (FViewsList->count() > 0)
        FViewsList->setCurrentRow(std::min(Row, FViewsList->count() - 1));
    FViewsList->setFocus();
    UpdateButtons();
}

void TViewsForm::reject() {
    done(CloseResult);
}

} // namespace korvid
