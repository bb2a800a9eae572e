#include "workspace/CommandLinesForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

#include <QAbstractItemDelegate>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvid {

namespace {

// The list, telling whether a caption is being edited.
class TCaptionList : public QListWidget {
public:
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
};

} // namespace

TCommandLinesForm::TCommandLinesForm(QWidget* Parent)
    : QDialog(Parent), FList(new TCaptionList), FNew(new QPushButton("&New")),
      FModify(new QPushButton("&Modify")), FDelete(new QPushButton("&Delete")),
      FRun(new QPushButton("&Run")), FOk(new QPushButton("OK")),
      FCancel(new QPushButton("Cancel")) {
    setWindowTitle("Command Lines");
    QFont DialogFont = font();
    DialogFont.setFamily(ToQString(GetDialogFontName()));
    setFont(DialogFont);
    FList->setObjectName("CommandLinesList");
    FList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    auto* Label = new QLabel("&Command lines:");
    Label->setBuddy(FList);

    auto* Buttons = new QVBoxLayout;
    for (QPushButton* Button : {FNew, FModify, FDelete, FRun}) {
        Button->setAutoDefault(false);
        Buttons->addWidget(Button);
    }
    Buttons->addStretch(1);
    for (QPushButton* Button : {FOk, FCancel}) {
        Button->setAutoDefault(false);
        Buttons->addWidget(Button);
    }
    FOk->setDefault(true);
    auto* Left = new QVBoxLayout;
    Left->addWidget(Label);
    Left->addWidget(FList, 1);
    auto* Layout = new QHBoxLayout(this);
    Layout->addLayout(Left, 1);
    Layout->addLayout(Buttons);
    resize(520, 300);

    connect(FNew, &QPushButton::clicked, this, [this] { NewClick(); });
    connect(FModify, &QPushButton::clicked, this, [this] { ModifyClick(); });
    connect(FDelete, &QPushButton::clicked, this, [this] { DeleteClick(); });
    connect(FRun, &QPushButton::clicked, this, [this] { RunClick(); });
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FList, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    // The edit has ended: Enter and Escape belong to the dialog again.
    // (Tied to the button alone: an edit still open ends while the dialog is being destroyed.)
    connect(FList->itemDelegate(), &QAbstractItemDelegate::closeEditor, FOk,
            [Ok = FOk] { Ok->setDefault(true); });
    UpdateButtons();
}

void TCommandLinesForm::SetLines(const std::vector<std::string>& Lines, int Selected) {
    FList->clear();
    for (const auto& Line : Lines) {
        auto* Item = new QListWidgetItem(ToQString(Line), FList);
        Item->setFlags(Item->flags() | Qt::ItemIsEditable);
    }
    if (Selected >= 0 && Selected < FList->count())
        FList->setCurrentRow(Selected);
    UpdateButtons();
}

std::vector<std::string> TCommandLinesForm::Lines() const {
    std::vector<std::string> Result;
    for (int Row = 0; Row < FList->count(); ++Row)
        Result.push_back(FromQString(FList->item(Row)->text()));
    return Result;
}

int TCommandLinesForm::SelectedIndex() const {
    const auto Items = FList->selectedItems();
    return Items.isEmpty() ? -1 : FList->row(Items.front());
}

bool TCommandLinesForm::Editing() const {
    return static_cast<const TCaptionList*>(FList)->Editing();
}

bool TCommandLinesForm::Execute() {
    CentreOnMainForm(this);
    return RunModal(*this) == QDialog::Accepted;
}

void TCommandLinesForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (SelectedIndex() >= 0)
        FList->setFocus();
}

void TCommandLinesForm::keyPressEvent(QKeyEvent* Event) {
    // While a caption is edited, Enter and Escape end the edit, never the dialog.
    const int Key = Event->key();
    if (Editing() && (Key == Qt::Key_Escape || Key == Qt::Key_Return || Key == Qt::Key_Enter)) {
        Event->accept();
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TCommandLinesForm::EditItem(int Row) {
    QListWidgetItem* Item = FList->item(Row);
    if (!Item)
        return;
    FList->setFocus();
    FList->setCurrentItem(Item);
    FOk->setDefault(false);
    FList->editItem(Item);
}

void TCommandLinesForm::NewClick() {
    auto* Item = new QListWidgetItem(QString(), FList);
    Item->setFlags(Item->flags() | Qt::ItemIsEditable);
    EditItem(FList->count() - 1);
}

void TCommandLinesForm::ModifyClick() {
    EditItem(SelectedIndex());
}

void TCommandLinesForm::DeleteClick() {
    const int Row = SelectedIndex();
    if (Row >= 0)
        delete FList->takeItem(Row);
    UpdateButtons();
}

void TCommandLinesForm::RunClick() {
    const int Row = SelectedIndex();
    if (Row >= 0 && OnRun)
        OnRun(FromQString(FList->item(Row)->text()));
}

void TCommandLinesForm::UpdateButtons() {
    const bool Selected = SelectedIndex() >= 0;
    for (QPushButton* Button : {FModify, FDelete, FRun})
        Button->setEnabled(Selected);
}

} // namespace korvid
