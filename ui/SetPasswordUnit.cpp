#include "ui/SetPasswordUnit.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/PasswordUnit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvid {

TSetPasswordForm::TSetPasswordForm(QWidget* Parent)
    : QDialog(Parent),
      UsePasswordCheckBox(new QCheckBox("&Use a password with the current file", this)),
      PasswordGroup(new QGroupBox(this)), PasswordLabel(new QLabel("&Password:", PasswordGroup)),
      PasswordEdit(new QLineEdit(PasswordGroup)),
      RepeatLabel(new QLabel("&Repeat:", PasswordGroup)), RepeatEdit(new QLineEdit(PasswordGroup)),
      HelpLabel1(new QLabel("Passwords are case-sensitive and", PasswordGroup)),
      HelpLabel2(new QLabel("can contain between 4 and 20 letters.", PasswordGroup)),
      AsterisksCheckBox(new QCheckBox("&Show as asterisks", PasswordGroup)),
      OKButton(new QPushButton("OK", this)), CancelButton(new QPushButton("Cancel", this)) {
    setWindowTitle("Set Password");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(260, 227);

    UsePasswordCheckBox->setGeometry(12, 10, 236, 20);
    UsePasswordCheckBox->setChecked(true);
    PasswordGroup->setGeometry(8, 36, 244, 146);
    PasswordLabel->setGeometry(10, 18, 70, 16);
    PasswordLabel->setBuddy(PasswordEdit);
    PasswordEdit->setGeometry(84, 16, 150, 22);
    SetUpPasswordEdit(PasswordEdit);
    RepeatLabel->setGeometry(10, 48, 70, 16);
    RepeatLabel->setBuddy(RepeatEdit);
    RepeatEdit->setGeometry(84, 46, 150, 22);
    SetUpPasswordEdit(RepeatEdit);
    HelpLabel1->setGeometry(10, 78, 226, 16);
    HelpLabel2->setGeometry(10, 94, 226, 16);
    AsterisksCheckBox->setGeometry(10, 118, 226, 20);
    AsterisksCheckBox->setChecked(true);
    OKButton->setGeometry(92, 190, 75, 25);
    OKButton->setDefault(true);
    CancelButton->setGeometry(173, 190, 75, 25);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(UsePasswordCheckBox, &QCheckBox::toggled, this, [this] { UsePasswordCheckBoxClick(); });
    connect(AsterisksCheckBox, &QCheckBox::toggled, this, [this] { AsterisksCheckBoxClick(); });
    connect(PasswordEdit, &QLineEdit::textChanged, this, [this] { EditChange(); });
    connect(RepeatEdit, &QLineEdit::textChanged, this, [this] { EditChange(); });
    FormCreate();
    UpdateControls();
}

void TSetPasswordForm::FormCreate() {
    QFont Font = font();
    Font.setFamily(ToQString(GetDialogFontName()));
    setFont(Font);
    CentreOnMainForm(this);
}

std::string TSetPasswordForm::Password() const {
    return FromQString(PasswordEdit->text());
}

void TSetPasswordForm::UpdateControls() {
    const bool Asterisks = AsterisksCheckBox->isChecked();
    ShowPasswordAsAsterisks(PasswordEdit, Asterisks);
    // A password the user can see needs no repetition.
    RepeatEdit->setEnabled(Asterisks);
    RepeatLabel->setEnabled(Asterisks);

    const bool LongEnough = PasswordEdit->text().size() >= MinPasswordLength;
    bool Ok = true;
    if (UsePasswordCheckBox->isChecked())
        Ok = Asterisks ? LongEnough && PasswordEdit->text() == RepeatEdit->text() : LongEnough;
    OKButton->setEnabled(Ok);
}

void TSetPasswordForm::UsePasswordCheckBoxClick() {
    const bool Use = UsePasswordCheckBox->isChecked();
    for (QWidget* Control :
         {static_cast<QWidget*>(PasswordGroup), static_cast<QWidget*>(HelpLabel1),
          static_cast<QWidget*>(HelpLabel2), static_cast<QWidget*>(PasswordLabel),
          static_cast<QWidget*>(RepeatLabel), static_cast<QWidget*>(PasswordEdit),
          static_cast<QWidget*>(RepeatEdit), static_cast<QWidget*>(AsterisksCheckBox)})
        Control->setEnabled(Use);
    UpdateControls();
}

void TSetPasswordForm::AsterisksCheckBoxClick() {
    UpdateControls();
}

void TSetPasswordForm::EditChange() {
    UpdateControls();
}

} // namespace korvid
