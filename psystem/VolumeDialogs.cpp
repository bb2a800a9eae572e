#include "psystem/VolumeDialogs.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumeMessages.h"
#include "ui/FormUtilities.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace korvid {

namespace {

void UseDialogFont(QDialog& Dialog) {
    QFont Font = Dialog.font();
    Font.setFamily(QString::fromStdString(GetDialogFontName()));
    Dialog.setFont(Font);
}

// The edit types upper case, as the p-System names are.
class TUpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& Input, int&) const override {
        Input = Input.toUpper();
        return Acceptable;
    }
};

QLineEdit* UpperCaseEdit(QWidget* Parent, int MaxLength) {
    auto* Edit = new QLineEdit(Parent);
    Edit->setMaxLength(MaxLength);
    Edit->setValidator(new TUpperCaseValidator(Edit));
    return Edit;
}

// OK (default) and Cancel, closing the dialog with their result.
QPushButton* AddOkCancel(QDialog& Dialog, QLayout& Layout, bool OkChecks = false) {
    auto* Buttons = new QDialogButtonBox(&Dialog);
    QPushButton* Ok = Buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    QPushButton* Cancel = Buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    Ok->setDefault(true);
    if (!OkChecks)
        QObject::connect(Ok, &QPushButton::clicked, &Dialog, &QDialog::accept);
    QObject::connect(Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    Layout.addWidget(Buttons);
    return Ok;
}

std::optional<int> Number(const QString& Text) {
    bool Ok = false;
    const int Value = Text.trimmed().toInt(&Ok);
    return Ok ? std::optional<int>(Value) : std::nullopt;
}

} // namespace

// ---- Resize ----------------------------------------------------------------------------------

TExpandForm::TExpandForm(QWidget* Parent) : QDialog(Parent) {
    UseDialogFont(*this);
    setWindowTitle("Expand");
    auto* Layout = new QVBoxLayout(this);
    auto* Grid = new QGridLayout;
    ExpandLabel = new QLabel(this);
    FromEdit = new QLineEdit(this);
    FromEdit->setReadOnly(true);
    ExpandEdit = new QLineEdit(this);
    auto* ToLabel = new QLabel("&to:", this);
    ToLabel->setBuddy(ExpandEdit);
    ExpandLabel->setBuddy(ExpandEdit);
    Grid->addWidget(ExpandLabel, 0, 0);
    Grid->addWidget(FromEdit, 0, 1);
    Grid->addWidget(new QLabel("blocks", this), 0, 2);
    Grid->addWidget(ToLabel, 1, 0);
    Grid->addWidget(ExpandEdit, 1, 1);
    Grid->addWidget(new QLabel("blocks", this), 1, 2);
    MinButton = new QPushButton("&Min", this);
    MaxButton = new QPushButton("Ma&x", this);
    Grid->addWidget(MinButton, 0, 3);
    Grid->addWidget(MaxButton, 1, 3);
    Layout->addLayout(Grid);
    OKButton = AddOkCancel(*this, *Layout, true);
    for (QPushButton* Button : findChildren<QPushButton*>())
        if (Button->text() == "Cancel")
            CancelButton = Button;
    connect(MinButton, &QPushButton::clicked, this, [this] { SetPosition(FBounds.Min); });
    connect(MaxButton, &QPushButton::clicked, this, [this] { SetPosition(FBounds.Max); });
    connect(OKButton, &QPushButton::clicked, this, &TExpandForm::CheckAndAccept);
    SetBounds(FBounds);
}

void TExpandForm::Prepare(const TVolume& V) {
    const auto* Sub = dynamic_cast<const TSubvolume*>(&V);
    const QString Name = ToQString(V.VolumeName());
    setWindowTitle(Sub ? "Resize Subvolume" : "Resize Major Volume");
    ExpandLabel->setText((Sub ? "Resi&ze subvolume " : "Resi&ze volume ") + Name + " from:");
    SetBounds(ResizeBounds(V));
}

void TExpandForm::SetBounds(const TResizeBounds& Bounds) {
    FBounds = Bounds;
    FromEdit->setText(QString::number(Bounds.End));
    SetPosition(Bounds.End);
}

void TExpandForm::SetPosition(int Blocks) {
    FPosition = std::clamp(Blocks, FBounds.Min, std::max(FBounds.Min, FBounds.Max));
    ExpandEdit->setText(QString::number(FPosition));
}

void TExpandForm::CheckAndAccept() {
    const int Typed = Number(ExpandEdit->text()).value_or(FPosition);
    if (Typed > FBounds.Max) {
        ShowCantExpandVolumeMessage(FBounds.Max);
        return;
    }
    if (Typed < FBounds.Min) {
        ShowCantShrinkVolumeMessage(FBounds.Min);
        return;
    }
    SetPosition(Typed);
    accept();
}

void TExpandForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    // The "from" field only shows the size; a new one is typed over the "to" field's.
    ExpandEdit->setFocus();
    ExpandEdit->selectAll();
}

void TExpandForm::keyPressEvent(QKeyEvent* Event) {
    // The arrows step the size as an up-down would.
    if (ExpandEdit->hasFocus() && (Event->key() == Qt::Key_Up || Event->key() == Qt::Key_Down)) {
        SetPosition(Number(ExpandEdit->text()).value_or(FPosition) +
                    (Event->key() == Qt::Key_Up ? 1 : -1));
        return;
    }
    QDialog::keyPressEvent(Event);
}

// ---- Rename volume ---------------------------------------------------------------------------

TRenameVolumeForm::TRenameVolumeForm(QWidget* Parent) : QDialog(Parent) {
    UseDialogFont(*this);
    setWindowTitle("Rename Volume");
    auto* Layout = new QVBoxLayout(this);
    NewNameLabel = new QLabel(this);
    NewNameEdit = UpperCaseEdit(this, VolumeNameLength);
    NewNameLabel->setBuddy(NewNameEdit);
    Layout->addWidget(NewNameLabel);
    Layout->addWidget(NewNameEdit);
    AddOkCancel(*this, *Layout);
}

void TRenameVolumeForm::Prepare(const std::string& VolumeName) {
    NewNameLabel->setText("&Rename " + ToQString(VolumeName) + " to be:");
    NewNameEdit->setText(ToQString(VolumeName));
}

std::string TRenameVolumeForm::NewName() const {
    return UpperCase1252(FromQString(NewNameEdit->text().left(VolumeNameLength)));
}

// ---- Create subvolume ------------------------------------------------------------------------

TCreateSubvolumeForm::TCreateSubvolumeForm(QWidget* Parent) : QDialog(Parent) {
    UseDialogFont(*this);
    setWindowTitle("Create Subvolume");
    auto* Layout = new QVBoxLayout(this);
    auto* Grid = new QGridLayout;
    NameEdit = UpperCaseEdit(this, VolumeNameLength);
    SizeEdit = new QLineEdit("20", this);
    auto* NameLabel = new QLabel("&Name:", this);
    auto* SizeLabel = new QLabel("&Size:", this);
    NameLabel->setBuddy(NameEdit);
    SizeLabel->setBuddy(SizeEdit);
    Grid->addWidget(NameLabel, 0, 0);
    Grid->addWidget(NameEdit, 0, 1);
    Grid->addWidget(SizeLabel, 1, 0);
    Grid->addWidget(SizeEdit, 1, 1);
    Grid->addWidget(new QLabel("blocks", this), 1, 2);
    Layout->addLayout(Grid);
    OKButton = AddOkCancel(*this, *Layout);
    OKButton->setEnabled(false);
    const auto Check = [this] {
        OKButton->setEnabled(
            CanCreateSubvolume(FromQString(NameEdit->text()), FromQString(SizeEdit->text())));
    };
    connect(NameEdit, &QLineEdit::textChanged, this, Check);
    connect(SizeEdit, &QLineEdit::textChanged, this, Check);
}

std::string TCreateSubvolumeForm::Name() const {
    return UpperCase1252(FromQString(NameEdit->text()));
}

int TCreateSubvolumeForm::Size() const {
    return Number(SizeEdit->text()).value_or(-1);
}

// ---- New p-System text file ------------------------------------------------------------------

TNewPSystemFileForm::TNewPSystemFileForm(QWidget* Parent) : QDialog(Parent) {
    UseDialogFont(*this);
    setWindowTitle("New p-System Text File");
    auto* Layout = new QVBoxLayout(this);
    auto* Label = new QLabel("&Name:", this);
    NameEdit = new QLineEdit(this);
    NameEdit->setMaxLength(FileNameLength);
    Label->setBuddy(NameEdit);
    Layout->addWidget(Label);
    Layout->addWidget(NameEdit);
    AddOkCancel(*this, *Layout);
    CentreOnMainForm(this);
}

} // namespace korvid
