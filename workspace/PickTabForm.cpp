#include "workspace/PickTabForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace korvid {
namespace {

constexpr int CaptionWidth = 100;
constexpr int FileNameWidth = 169;

} // namespace

TPickTabForm::TPickTabForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Pick a Tab");
    setFont(QFont(ToQString(GetDialogFontName())));
    FList = new QTreeWidget;
    FList->setRootIsDecorated(false);
    FList->setHeaderLabels({"Caption", "File Name"});
    FList->setColumnWidth(0, CaptionWidth);
    FList->setColumnWidth(1, FileNameWidth);
    FList->setSelectionMode(QAbstractItemView::SingleSelection);
    FList->header()->setSectionsClickable(true);
    FPrompt = new QLabel("&Tab:");
    FPrompt->setBuddy(FList);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    FOk = Buttons->button(QDialogButtonBox::Ok);
    FOk->setText("OK");
    Buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    FOk->setEnabled(false);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FPrompt);
    Layout->addWidget(FList, 1);
    Layout->addWidget(Buttons);

    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FList, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateOkButton(); });
    connect(FList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* Item) {
        if (Item)
            accept();
    });
    connect(FList->header(), &QHeaderView::sectionClicked, this,
            [this](int Column) { SortByColumn(Column); });
}

void TPickTabForm::SetPrompt(const std::string& Text) {
    FPrompt->setText(ToQString(Text));
}

void TPickTabForm::AddTab(const std::string& Caption, const std::string& FileName, int Tag) {
    auto* Item = new QTreeWidgetItem(FList, {ToQString(Caption), ToQString(FileName)});
    Item->setData(0, Qt::UserRole, Tag);
}

int TPickTabForm::SelectedTag() const {
    const auto Selected = FList->selectedItems();
    return Selected.isEmpty() ? -1 : Selected.front()->data(0, Qt::UserRole).toInt();
}

void TPickTabForm::SortByColumn(int Column) {
    std::vector<QTreeWidgetItem*> Items;
    while (FList->topLevelItemCount() > 0)
        Items.push_back(FList->takeTopLevelItem(0));
    std::stable_sort(Items.begin(), Items.end(), [Column](QTreeWidgetItem* A, QTreeWidgetItem* B) {
        return UpperCase1252(FromQString(A->text(Column))) <
               UpperCase1252(FromQString(B->text(Column)));
    });
    for (QTreeWidgetItem* Item : Items)
        FList->addTopLevelItem(Item);
    UpdateOkButton();
}

void TPickTabForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    // Return, Home and End work without a click first.
    if (FList->selectedItems().isEmpty() && FList->topLevelItemCount() > 0)
        FList->setCurrentItem(FList->topLevelItem(0));
    FList->setFocus();
}

void TPickTabForm::UpdateOkButton() {
    FOk->setEnabled(!FList->selectedItems().isEmpty());
}

} // namespace korvid
