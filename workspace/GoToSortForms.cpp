#include "workspace/GoToSortForms.h"

#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

namespace korvid {
namespace {

QSpinBox* NumberBox(int Minimum, int Maximum) {
    auto* Box = new QSpinBox;
    Box->setRange(Minimum, Maximum);
    return Box;
}

} // namespace

// ---- Go To --------------------------------------------------------------------------------------

TGoToForm::TGoToForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Go To");
    FNumber = NumberBox(0, INT_MAX);
    FLabel = new QLabel("&Paragraph:");
    FLabel->setBuddy(FNumber);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Row = new QHBoxLayout;
    Row->addWidget(FLabel);
    Row->addWidget(FNumber, 1);
    auto* Main = new QVBoxLayout(this);
    Main->addLayout(Row);
    Main->addWidget(Buttons);
    CentreOnMainForm(this);
}

void TGoToForm::SetParagraphMode(bool Paragraphs) {
    FLabel->setText(Paragraphs ? "&Paragraph:" : "&Line:");
}

void TGoToForm::SetNumber(int Number) {
    FNumber->setValue(Number);
    FNumber->selectAll();
}

int TGoToForm::Number() const {
    return FNumber->value();
}

// ---- Sort ---------------------------------------------------------------------------------------

TSortForm::TSortForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Sort");
    ResetSortOptions(FOptions);

    auto* SortGroup = new QGroupBox("Sort");
    FSingle = new QRadioButton("&Single paragraphs");
    FBlocks = new QRadioButton("&Blocks of:");
    FStep = NumberBox(2, 25);
    FBlocksLabel = new QLabel("paragraphs by their first paragraph");
    auto* SortGrid = new QGridLayout(SortGroup);
    SortGrid->addWidget(FSingle, 0, 0, 1, 3);
    SortGrid->addWidget(FBlocks, 1, 0);
    SortGrid->addWidget(FStep, 1, 1);
    SortGrid->addWidget(FBlocksLabel, 1, 2);

    auto* OrderGroup = new QGroupBox("Order");
    FAscending = new QRadioButton("&Ascending  (A to Z)");
    FDescending = new QRadioButton("&Descending  (Z to A)");
    FCaseSensitive = new QCheckBox("Case-sensiti&ve");
    FNumerical = new QCheckBox("&Numerical");
    auto* OrderGrid = new QGridLayout(OrderGroup);
    OrderGrid->addWidget(FAscending, 0, 0);
    OrderGrid->addWidget(FDescending, 1, 0);
    OrderGrid->addWidget(FCaseSensitive, 0, 1);
    OrderGrid->addWidget(FNumerical, 1, 1);

    auto* CompareGroup = new QGroupBox("Compare text");
    FColumn = new QRadioButton("From &column:");
    FColumnNumber = NumberBox(1, 999);
    FOccurrence = new QRadioButton("From &occurrence:");
    FOccurrenceNumber = NumberBox(1, 80);
    FOfLabel = new QLabel("o&f:");
    FOfText = new QLineEdit;
    FOfLabel->setBuddy(FOfText);
    auto* CompareGrid = new QGridLayout(CompareGroup);
    CompareGrid->addWidget(FColumn, 0, 0);
    CompareGrid->addWidget(FColumnNumber, 0, 1);
    CompareGrid->addWidget(FOccurrence, 1, 0);
    CompareGrid->addWidget(FOccurrenceNumber, 1, 1);
    CompareGrid->addWidget(FOfLabel, 1, 2);
    CompareGrid->addWidget(FOfText, 1, 3);

    FOk = new QPushButton("OK");
    FOk->setDefault(true);
    auto* Cancel = new QPushButton("Cancel");
    auto* Reset = new QPushButton("&Reset");
    auto* Buttons = new QVBoxLayout;
    for (QPushButton* B : {FOk, Cancel, Reset})
        Buttons->addWidget(B);
    Buttons->addStretch();

    auto* Left = new QVBoxLayout;
    for (QGroupBox* Group : {SortGroup, OrderGroup, CompareGroup})
        Left->addWidget(Group);
    auto* Main = new QHBoxLayout(this);
    Main->addLayout(Left, 1);
    Main->addLayout(Buttons);

    for (QRadioButton* Choice : {FSingle, FBlocks, FColumn, FOccurrence})
        connect(Choice, &QRadioButton::toggled, this, [this] { UpdateStates(); });
    connect(FOfText, &QLineEdit::textChanged, this, [this] { UpdateStates(); });
    // Only a user's choice moves the focus.
    connect(FBlocks, &QRadioButton::clicked, this, [this] { FStep->setFocus(); });
    connect(FColumn, &QRadioButton::clicked, this, [this] { FColumnNumber->setFocus(); });
    connect(FOccurrence, &QRadioButton::clicked, this, [this] { FOfText->setFocus(); });
    connect(FOk, &QPushButton::clicked, this, [this] {
        if (FOk->isEnabled()) {
            GetSortOptions(FOptions);
            accept();
        }
    });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Reset, &QPushButton::clicked, this, [this] {
        ResetSortOptions(FOptions);
        LoadControls();
    });
    LoadControls();
}

void TSortForm::SetParagraphMode(bool Paragraphs) {
    FSingle->setText(Paragraphs ? "&Single paragraphs" : "&Single lines");
    FBlocksLabel->setText(Paragraphs ? "paragraphs by their first paragraph"
                                     : "lines by their first line");
}

void TSortForm::SetSortOptions(const TKorvidSortOptions& Options) {
    FOptions = Options;
    LoadControls();
}

void TSortForm::GetSortOptions(TKorvidSortOptions& Options) const {
    Options.SingleParagraphs = FSingle->isChecked();
    Options.ParagraphStep = FStep->value();
    Options.Ascending = FAscending->isChecked();
    Options.Numerical = FNumerical->isChecked();
    Options.CaseSensitive = FCaseSensitive->isChecked();
    Options.FromColumn = FColumn->isChecked();
    Options.FromColumnNumber = FColumnNumber->value();
    Options.FromOccurrenceNumber = FOccurrenceNumber->value();
    Options.FromOccurrenceText = FromQString(FOfText->text());
}

void TSortForm::showEvent(QShowEvent* Event) {
    CentreOnMainForm(this);
    UpdateStates();
    if (FSingle->isChecked())
        FSingle->setFocus();
    else
        FStep->setFocus();
    QDialog::showEvent(Event);
}

void TSortForm::LoadControls() {
    const TKorvidSortOptions& O = FOptions;
    (O.SingleParagraphs ? FSingle : FBlocks)->setChecked(true);
    FStep->setValue(O.ParagraphStep);
    (O.Ascending ? FAscending : FDescending)->setChecked(true);
    FNumerical->setChecked(O.Numerical);
    FCaseSensitive->setChecked(O.CaseSensitive);
    (O.FromColumn ? FColumn : FOccurrence)->setChecked(true);
    FColumnNumber->setValue(O.FromColumnNumber);
    FOccurrenceNumber->setValue(O.FromOccurrenceNumber);
    FOfText->setText(ToQString(O.FromOccurrenceText));
    UpdateStates();
}

void TSortForm::UpdateStates() {
    const bool Blocks = FBlocks->isChecked();
    FStep->setEnabled(Blocks);
    FBlocksLabel->setEnabled(Blocks);
    FColumnNumber->setEnabled(FColumn->isChecked());
    const bool Occurrence = FOccurrence->isChecked();
    for (QWidget* Control : {static_cast<QWidget*>(FOccurrenceNumber),
                             static_cast<QWidget*>(FOfLabel), static_cast<QWidget*>(FOfText)})
        Control->setEnabled(Occurrence);
    FOk->setEnabled(!Occurrence || !FOfText->text().isEmpty());
}

} // namespace korvid
