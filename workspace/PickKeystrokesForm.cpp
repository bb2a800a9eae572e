#include "workspace/PickKeystrokesForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace korvid {

TPickKeystrokesForm::TPickKeystrokesForm(QWidget* Parent)
    : QDialog(Parent), FList(new QListWidget),
      FSubfolders(new QCheckBox("Add immediate &subfolders")), FAdd(new QPushButton("&Add...")),
      FOk(new QPushButton("OK")), FOpenDialog(std::make_unique<TOpenDialog>()) {
    setWindowTitle("Pick Recorded Keystrokes");
    QFont DialogFont = font();
    DialogFont.setFamily(ToQString(GetDialogFontName()));
    setFont(DialogFont);
    FOpenDialog->Title = "Browse for JSON File";
    FOpenDialog->Filter = "JSON Files (*.json)|*.json";
    FOpenDialog->DefaultExt = "json";
    FOpenDialog->Options = {ofHideReadOnly, ofFileMustExist};

    auto* Cancel = new QPushButton("Cancel");
    FOk->setDefault(true);
    FOk->setEnabled(false);
    FSubfolders->hide();
    FAdd->hide();
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(FSubfolders);
    Buttons->addStretch(1);
    Buttons->addWidget(FAdd);
    Buttons->addWidget(FOk);
    Buttons->addWidget(Cancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FList, 1);
    Layout->addLayout(Buttons);
    resize(360, 300);

    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FAdd, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(FSubfolders, &QCheckBox::clicked, this, [this] {
        ApplySubfolderFilter();
        if (isVisible())
            FList->setFocus();
    });
    connect(FList, &QListWidget::itemSelectionChanged, this, [this] { UpdateOk(); });
    connect(FList, &QListWidget::itemDoubleClicked, this, [this] {
        if (!Selected().empty())
            accept();
    });
}

TPickKeystrokesForm::~TPickKeystrokesForm() = default;

void TPickKeystrokesForm::ShowSubfolderBox(bool Show) {
    FSubfolders->setVisible(Show);
}

void TPickKeystrokesForm::ShowAddButton(bool Show) {
    FAdd->setVisible(Show);
}

std::string TPickKeystrokesForm::Selected() const {
    const auto Items = FList->selectedItems();
    return Items.isEmpty() ? std::string() : FromQString(Items.front()->text());
}

void TPickKeystrokesForm::Select(const std::string& Entry) {
    const QString Text = ToQString(Entry);
    for (int Row = 0; Row < FList->count(); ++Row)
        if (FList->item(Row)->text() == Text) {
            FList->setCurrentRow(Row);
            return;
        }
}

void TPickKeystrokesForm::FillAndSelect(const std::string& First, const std::string& Second) {
    std::vector<std::string> All = BaseEntries;
    if (AddedEntries)
        All.insert(All.end(), AddedEntries->begin(), AddedEntries->end());
    const bool HasFirst = std::find(All.begin(), All.end(), First) != All.end();
    const bool HasSecond = std::find(All.begin(), All.end(), Second) != All.end();
    if (!HasFirst && !FSubfolders->isHidden())
        FSubfolders->setChecked(Second.find(SubfolderMark) != std::string::npos);
    FList->clear();
    for (const auto& Entry : All)
        FList->addItem(ToQString(Entry));
    if (HasFirst)
        Select(First);
    else if (HasSecond)
        Select(Second);
    else if (FList->count() > 0)
        FList->setCurrentRow(0);
    ApplySubfolderFilter();
}

bool TPickKeystrokesForm::InSubfolder(const std::string& Entry) const {
    const std::size_t At = Entry.find(SubfolderMark);
    if (At == std::string::npos)
        return false;
    return StartFolder.empty() ||
           Entry.substr(At + std::string_view(SubfolderMark).size()) != StartFolder;
}

void TPickKeystrokesForm::ApplySubfolderFilter() {
    const std::string Remembered = Selected();
    const bool All = FSubfolders->isChecked();
    FList->clear();
    for (const auto& Entry : BaseEntries)
        if (All || !InSubfolder(Entry))
            FList->addItem(ToQString(Entry));
    if (AddedEntries)
        for (const auto& Entry : *AddedEntries)
            FList->addItem(ToQString(Entry));
    if (!Remembered.empty())
        Select(Remembered);
    UpdateOk();
}

void TPickKeystrokesForm::AddClick() {
    if (!FOpenDialog->Execute())
        return;
    const std::string Chosen = FOpenDialog->FileName.string();
    if (AddedEntries &&
        std::find(AddedEntries->begin(), AddedEntries->end(), Chosen) == AddedEntries->end()) {
        AddedEntries->push_back(Chosen);
        FList->addItem(ToQString(Chosen));
    }
    Select(Chosen);
    UpdateOk();
}

void TPickKeystrokesForm::UpdateOk() {
    FOk->setEnabled(!FList->selectedItems().isEmpty());
}

bool TPickKeystrokesForm::Execute() {
    CentreOnMainForm(this);
    if (!FList->selectedItems().isEmpty())
        FList->setFocus();
    return RunModal(*this) == QDialog::Accepted;
}

} // namespace korvid
