#include "workspace/OrganizeFilesForm.h"

#include "foundation/TextFileWriter.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "ui/ShellImageList.h"

#include <QAbstractItemDelegate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvid {
namespace {

constexpr int CaptionColumn = 0;
constexpr int FileNameColumn = 1;
constexpr int TabRole = Qt::UserRole;

} // namespace

std::vector<std::string> TabSetLines(const std::vector<TOrganizeItem>& Items, int MainIndex) {
    std::vector<std::string> Lines;
    for (int Index = 0; Index < int(Items.size()); ++Index)
        Lines.push_back((Index == MainIndex ? "*" : "") + Items[Index].FileName);
    return Lines;
}

TOrganizeFilesForm::TOrganizeFilesForm(bool& ReplaceFileMessage, QWidget* Parent)
    : QDialog(Parent), FReplaceFileMessage(ReplaceFileMessage), FList(new QTreeWidget(this)),
      FUp(new QPushButton("Move &Up", this)), FDown(new QPushButton("Move &Down", this)),
      FRecaption(new QPushButton("&Recaption", this)),
      FSaveAs(new QPushButton("&Save As...", this)),
      FMark(new QPushButton("&Mark as Main Compile File", this)), FOk(new QPushButton("OK", this)),
      FCancel(new QPushButton("Cancel", this)) {
    setWindowTitle("Organize Files");
    setFont(QFont(ToQString(GetDialogFontName())));

    FList->setColumnCount(2);
    FList->setHeaderLabels({"Caption", "File Name"});
    FList->setColumnWidth(CaptionColumn, 100);
    FList->setColumnWidth(FileNameColumn, 169);
    FList->setRootIsDecorated(false);
    FList->setSelectionMode(QAbstractItemView::SingleSelection);
    FList->setSelectionBehavior(QAbstractItemView::SelectRows);
    FList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FList->header()->setSectionsClickable(true);
    FList->installEventFilter(this);
    connect(FList->header(), &QHeaderView::sectionClicked, this,
            [this](int Column) { SortByColumn(Column); });
    connect(FList, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    // Enter ends an edit rather than the dialog; OK is the default again afterwards.
    connect(FList->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { FOk->setDefault(true); });

    FOk->setDefault(true);
    connect(FUp, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(FDown, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(FRecaption, &QPushButton::clicked, this, [this] { Recaption(); });
    connect(FSaveAs, &QPushButton::clicked, this, [this] { SaveAs(); });
    connect(FMark, &QPushButton::clicked, this, [this] { MarkAsMain(); });
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* Buttons = new QVBoxLayout;
    for (QPushButton* Button : {FUp, FDown, FRecaption, FSaveAs, FMark}) {
        Button->setAutoDefault(false);
        Buttons->addWidget(Button);
    }
    Buttons->addStretch();
    for (QPushButton* Button : {FOk, FCancel})
        Buttons->addWidget(Button);
    FCancel->setAutoDefault(false);
    auto* Layout = new QHBoxLayout(this);
    Layout->addWidget(FList, 1);
    Layout->addLayout(Buttons);
    resize(480, 300);
    UpdateButtons();
}

void TOrganizeFilesForm::AddItem(TOrganizeItem Item, bool IsMain) {
    auto* Row = new QTreeWidgetItem(FList);
    Row->setText(CaptionColumn, ToQString(Item.Caption));
    Row->setText(FileNameColumn, PathToQString(Item.FileName));
    Row->setIcon(CaptionColumn, ShellImageList().Icon(TShellImageList::UntypedIcon));
    Row->setFlags(Row->flags() | Qt::ItemIsEditable);
    Row->setData(CaptionColumn, TabRole, int(FTabs.size()));
    FTabs.push_back(Item.Tab);
    if (IsMain)
        FMainItem = Row;
    ShowCut();
    UpdateButtons();
}

std::vector<TOrganizeItem> TOrganizeFilesForm::Items() const {
    std::vector<TOrganizeItem> Result;
    for (int Index = 0; Index < FList->topLevelItemCount(); ++Index) {
        const QTreeWidgetItem* Row = FList->topLevelItem(Index);
        Result.push_back({FromQString(Row->text(CaptionColumn)),
                          PathFromQString(Row->text(FileNameColumn)).native(),
                          FTabs[Row->data(CaptionColumn, TabRole).toInt()]});
    }
    return Result;
}

int TOrganizeFilesForm::MainIndex() const {
    return FMainItem ? FList->indexOfTopLevelItem(FMainItem) : -1;
}

int TOrganizeFilesForm::SelectedIndex() const {
    const auto Selected = FList->selectedItems();
    return Selected.isEmpty() ? -1 : FList->indexOfTopLevelItem(Selected.front());
}

void TOrganizeFilesForm::Select(int Index) {
    if (QTreeWidgetItem* Row = FList->topLevelItem(Index)) {
        FList->setCurrentItem(Row);
        Row->setSelected(true);
    }
}

bool TOrganizeFilesForm::IsCut(int Index) const {
    return FList->topLevelItem(Index) != FMainItem;
}

// Every item but the main one shows greyed, as cut items do.
void TOrganizeFilesForm::ShowCut() {
    const QBrush Normal = palette().brush(QPalette::Active, QPalette::Text);
    const QBrush Cut = palette().brush(QPalette::Disabled, QPalette::Text);
    for (int Index = 0; Index < FList->topLevelItemCount(); ++Index)
        for (int Column : {CaptionColumn, FileNameColumn})
            FList->topLevelItem(Index)->setForeground(Column, IsCut(Index) ? Cut : Normal);
}

void TOrganizeFilesForm::UpdateButtons() {
    const int Selected = SelectedIndex();
    FUp->setEnabled(Selected > 0);
    FDown->setEnabled(Selected >= 0 && Selected < FList->topLevelItemCount() - 1);
    FRecaption->setEnabled(Selected >= 0);
}

void TOrganizeFilesForm::MoveSelected(int Delta) {
    const int From = SelectedIndex();
    const int To = From + Delta;
    if (From < 0 || To < 0 || To >= FList->topLevelItemCount())
        return;
    {
        const QSignalBlocker Block(FList);
        QTreeWidgetItem* Row = FList->takeTopLevelItem(From);
        FList->insertTopLevelItem(To, Row);
    }
    Select(To);
    UpdateButtons();
}

void TOrganizeFilesForm::Recaption() {
    QTreeWidgetItem* Row = FList->currentItem();
    if (!Row || SelectedIndex() < 0)
        return;
    FList->setFocus();
    FOk->setDefault(false);
    FList->editItem(Row, CaptionColumn);
}

void TOrganizeFilesForm::MarkAsMain() {
    const int Selected = SelectedIndex();
    if (Selected < 0)
        return;
    QTreeWidgetItem* Row = FList->topLevelItem(Selected);
    FMainItem = Row == FMainItem ? nullptr : Row;
    ShowCut();
}

void TOrganizeFilesForm::SortByColumn(int Column) {
    std::vector<QTreeWidgetItem*> Rows;
    const int Selected = SelectedIndex();
    QTreeWidgetItem* SelectedRow = Selected >= 0 ? FList->topLevelItem(Selected) : nullptr;
    {
        const QSignalBlocker Block(FList);
        while (FList->topLevelItemCount() > 0)
            Rows.push_back(FList->takeTopLevelItem(0));
        std::stable_sort(Rows.begin(), Rows.end(), [Column](const auto* A, const auto* B) {
            return UpperCase1252(FromQString(A->text(Column))) <
                   UpperCase1252(FromQString(B->text(Column)));
        });
        for (QTreeWidgetItem* Row : Rows)
            FList->addTopLevelItem(Row);
    }
    if (SelectedRow)
        Select(FList->indexOfTopLevelItem(SelectedRow));
    UpdateButtons();
}

void TOrganizeFilesForm::SaveAs() {
    TSaveDialog Dialog;
    Dialog.Title = "Save Project";
    Dialog.Filter = "Korvid project files (*.korvidtabs)|*.korvidtabs|All files (*.*)|*.*";
    Dialog.DefaultExt = "korvidtabs";
    Dialog.Options = {ofHideReadOnly, ofPathMustExist};
    if (!Dialog.Execute())
        return;
    const std::filesystem::path FileName = Dialog.FileName;
    std::error_code Error;
    if (std::filesystem::exists(FileName, Error) &&
        !ConfirmReplaceFile(FromQString(PathToQString(FileName)), FReplaceFileMessage))
        return;
    try {
        WriteTextFile(FileName, TabSetLines(Items(), MainIndex()), TTextFileOptions{});
    } catch (const EFileSaveError& Failure) {
        ShowUnableToSaveFileMessage(Failure.Reason());
    }
}

void TOrganizeFilesForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (SelectedIndex() < 0)
        Select(0);
    FList->setFocus();
}

bool TOrganizeFilesForm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FList && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_F2) {
        Recaption();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

} // namespace korvid
