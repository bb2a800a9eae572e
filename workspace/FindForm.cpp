#include "workspace/FindForm.h"

#include "platform/Cp1252.h"
#include "ui/ModalRunner.h"
#include "workspace/FindInFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <array>

namespace korvid {
namespace {

constexpr std::uint16_t FindBit = 0x0001;
constexpr std::uint16_t BackwardsBit = 0x0002;
constexpr std::uint16_t MatchCaseBit = 0x0004;
constexpr std::uint16_t ReplaceAllBit = 0x0020;
constexpr std::uint16_t WholeWordsBit = 0x0040;
constexpr std::uint16_t SelectionBit = 0x0080;
constexpr std::uint16_t PreserveCaseBit = 0x0100;
// By location 1..6.
constexpr std::array<std::uint16_t, 6> LocationBits = {0x0200, 0x0800, 0x0400,
                                                       0x1000, 0x2000, 0x4000};

QComboBox* TextCombo() {
    auto* Combo = new QComboBox;
    Combo->setEditable(true);
    Combo->setInsertPolicy(QComboBox::NoInsert);
    Combo->lineEdit()->setMaxLength(TFindForm::MaxTextLength);
    Combo->setMinimumContentsLength(30);
    return Combo;
}

// The text becomes the list's first entry, once.
void MoveTextToTop(QComboBox* Combo) {
    const QString Text = Combo->currentText();
    if (Text.isEmpty())
        return;
    if (const int Index = Combo->findText(Text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        Index >= 0)
        Combo->removeItem(Index);
    Combo->insertItem(0, Text);
    Combo->setCurrentIndex(0);
}

QLabel* BuddyLabel(const char* Caption, QWidget* Buddy) {
    auto* Label = new QLabel(Caption);
    Label->setBuddy(Buddy);
    return Label;
}

} // namespace

std::uint16_t FindOptionBits(const TFindControls& C) {
    const bool InSelection = C.ReplaceTab && C.WithinSelection;
    std::uint16_t Bits = InSelection ? SelectionBit | ReplaceAllBit : FindBit;
    if (C.Backwards)
        Bits |= BackwardsBit;
    if (C.MatchCase)
        Bits |= MatchCaseBit;
    if (C.WholeWords)
        Bits |= WholeWordsBit;
    if (C.ReplaceTab && C.PreserveCase)
        Bits |= PreserveCaseBit;
    if (C.Location >= 1 && C.Location <= int(LocationBits.size()))
        Bits |= LocationBits[std::size_t(C.Location - 1)];
    return Bits;
}

bool FindOkEnabled(bool TextEmpty, int Location, bool ReplaceTab) {
    return !TextEmpty || Location == 6 || (Location == 5 && !ReplaceTab);
}

TFindForm::TFindForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Find");
    FTabs = new QTabBar;
    FTabs->addTab("Find");
    FTabs->addTab("Replace");
    FTabs->setFocusPolicy(Qt::NoFocus);
    FFindCombo = TextCombo();
    FReplaceCombo = TextCombo();
    FMatchCase = new QCheckBox("Match &case");
    FWholeWords = new QCheckBox("Find &whole words only");
    FBackwards = new QCheckBox("Search &towards start of file");
    FJumpToStart = new QCheckBox("&Jump to start of file first");
    FWithinSelection = new QCheckBox("Replace &all occurrences within selected text");
    FListAll = new QCheckBox("List &all occurrences as new document");
    FAllOpen = new QCheckBox("Search all &open documents");
    FPreserveCase = new QCheckBox("&Preserve case");
    FLockReplace = new QCheckBox("Loc&k Replace field");
    FLocation = new QComboBox;
    for (const std::string_view Name : LocationNames())
        FLocation->addItem(QString::fromLatin1(Name.data(), int(Name.size())));
    FLocation->setCurrentIndex(0);

    auto* Fields = new QFormLayout;
    Fields->addRow(BuddyLabel("&Find what:", FFindCombo), FFindCombo);
    QLabel* ReplaceLabel = BuddyLabel("&Replace with:", FReplaceCombo);
    FReplaceLabel = ReplaceLabel;
    Fields->addRow(ReplaceLabel, FReplaceCombo);
    auto* Checks = new QVBoxLayout;
    for (QCheckBox* Box : {FMatchCase, FWholeWords, FBackwards, FJumpToStart, FWithinSelection,
                           FListAll, FAllOpen, FPreserveCase, FLockReplace})
        Checks->addWidget(Box);
    auto* LocationRow = new QFormLayout;
    LocationRow->addRow(BuddyLabel("&Location:", FLocation), FLocation);

    FOk = new QPushButton("OK");
    FOk->setDefault(true);
    FOk->setEnabled(false);
    auto* Cancel = new QPushButton("Cancel");
    auto* Buttons = new QVBoxLayout;
    Buttons->addWidget(FOk);
    Buttons->addWidget(Cancel);
    Buttons->addStretch();

    auto* Left = new QVBoxLayout;
    Left->addWidget(FTabs);
    Left->addLayout(Fields);
    Left->addLayout(Checks);
    Left->addLayout(LocationRow);
    Left->addStretch();
    auto* Main = new QHBoxLayout(this);
    Main->addLayout(Left, 1);
    Main->addLayout(Buttons);

    // Ctrl+Tab switches tabs from whichever control has the focus.
    for (QWidget* Control : findChildren<QWidget*>())
        Control->installEventFilter(this);
    connect(FTabs, &QTabBar::currentChanged, this, [this] {
        ShowTabControls();
        UpdateOk();
    });
    connect(FFindCombo, &QComboBox::editTextChanged, this, [this] { FindTextChanged(); });
    connect(FLocation, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
    connect(FLockReplace, &QCheckBox::toggled, this, [this] { LockReplaceClick(); });
    connect(FAllOpen, &QCheckBox::toggled, this, [this](bool On) {
        if (On)
            FListAll->setChecked(true);
    });
    connect(FListAll, &QCheckBox::toggled, this, [this](bool On) {
        if (!On)
            FAllOpen->setChecked(false);
    });
    connect(FOk, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowTabControls();
    // Made off screen; the main window places it.
    move(-10000, -10000);
}

bool TFindForm::eventFilter(QObject* Watched, QEvent* Event) {
    const bool Key = Event->type() == QEvent::KeyPress || Event->type() == QEvent::ShortcutOverride;
    if (Key) {
        const auto* Press = static_cast<QKeyEvent*>(Event);
        if ((Press->key() == Qt::Key_Tab || Press->key() == Qt::Key_Backtab) &&
            (Press->modifiers() & Qt::ControlModifier)) {
            if (Event->type() == QEvent::ShortcutOverride) {
                Event->accept();
                return false;
            }
            SetTab(!IsReplaceTab());
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TFindForm::SetFindText(const std::string& Text) {
    FFindCombo->setEditText(ToQString(Text.substr(0, MaxTextLength)));
}

void TFindForm::SetTab(bool Replace) {
    FTabs->setCurrentIndex(Replace ? 1 : 0);
}

void TFindForm::SetListAll(bool Value) {
    FListAll->setChecked(Value);
}

void TFindForm::SetAllOpenDocuments(bool Value) {
    FAllOpen->setChecked(Value);
}

void TFindForm::SetSelectionEnabled(bool Value) {
    FWithinSelection->setEnabled(Value);
    FWithinSelection->setChecked(Value);
}

void TFindForm::SetReplaceCaption(const std::string& Caption) {
    FTabs->setTabText(1, ToQString(Caption));
}

TFindControls TFindForm::Controls() const {
    TFindControls C;
    C.ReplaceTab = IsReplaceTab();
    C.MatchCase = FMatchCase->isChecked();
    C.WholeWords = FWholeWords->isChecked();
    C.Backwards = FBackwards->isChecked();
    C.WithinSelection = FWithinSelection->isChecked();
    C.PreserveCase = FPreserveCase->isChecked();
    C.Location = Location();
    return C;
}

std::uint16_t TFindForm::GetOptions() const {
    return FindOptionBits(Controls());
}

std::string TFindForm::GetFindText() const {
    return FromQString(FFindCombo->currentText());
}

std::string TFindForm::GetReplaceText() const {
    return FromQString(FReplaceCombo->currentText());
}

bool TFindForm::IsReplaceTab() const {
    return FTabs->currentIndex() == 1;
}

bool TFindForm::JumpToStart() const {
    return FJumpToStart->isChecked() && !IsReplaceTab();
}

bool TFindForm::ListAll() const {
    return FListAll->isChecked();
}

bool TFindForm::AllOpenDocuments() const {
    return FAllOpen->isChecked();
}

int TFindForm::Location() const {
    return std::max(0, FLocation->currentIndex());
}

bool TFindForm::Execute() {
    UpdateOk();
    FFindCombo->setFocus();
    FFindCombo->lineEdit()->selectAll();
    return RunModal(*this) == QDialog::Accepted;
}

void TFindForm::ShowTabControls() {
    const bool Replace = IsReplaceTab();
    setWindowTitle(Replace ? FTabs->tabText(1) : "Find");
    for (QWidget* Control :
         {FReplaceLabel, static_cast<QWidget*>(FReplaceCombo),
          static_cast<QWidget*>(FWithinSelection), static_cast<QWidget*>(FPreserveCase),
          static_cast<QWidget*>(FLockReplace)})
        Control->setVisible(Replace);
    for (QCheckBox* Box : {FJumpToStart, FListAll, FAllOpen})
        Box->setVisible(!Replace);
}

void TFindForm::UpdateOk() {
    FOk->setEnabled(FindOkEnabled(FFindCombo->currentText().isEmpty(), Location(), IsReplaceTab()));
}

void TFindForm::FindTextChanged() {
    if (FLockReplace->isChecked())
        FReplaceCombo->setEditText(FFindCombo->currentText());
    UpdateOk();
}

void TFindForm::LockReplaceClick() {
    const bool Locked = FLockReplace->isChecked();
    if (Locked)
        FReplaceCombo->setEditText(FFindCombo->currentText());
    FReplaceCombo->setEnabled(!Locked);
}

void TFindForm::OkClick() {
    if (!FOk->isEnabled())
        return;
    MoveTextToTop(FFindCombo);
    MoveTextToTop(FReplaceCombo);
    accept();
}

} // namespace korvid
