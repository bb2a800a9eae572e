#include "ui/PasswordUnit.h"

#include "foundation/BinaryStrings.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvid {

QValidator::State TCp1252Validator::validate(QString& Input, int& /*Position*/) const {
    for (const QChar C : Input)
        if (!UnicodeToCp1252(C.unicode()))
            return Invalid;
    return Acceptable;
}

void SetUpPasswordEdit(QLineEdit* Edit) {
    Edit->setMaxLength(MaxPasswordLength);
    Edit->setValidator(new TCp1252Validator(Edit));
    ShowPasswordAsAsterisks(Edit, true);
}

void ShowPasswordAsAsterisks(QLineEdit* Edit, bool Asterisks) {
    Edit->setEchoMode(Asterisks ? QLineEdit::Password : QLineEdit::Normal);
}

TPasswordForm::TPasswordForm(QWidget* Parent)
    : QDialog(Parent), PasswordLabel(new QLabel("&Password:", this)),
      PasswordEdit(new QLineEdit(this)), OKButton(new QPushButton("OK", this)),
      CancelButton(new QPushButton("Cancel", this)),
      AsterisksCheckBox(new QCheckBox("&Show as asterisks", this)) {
    setWindowTitle("Password Required");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(209, 134);
    PasswordLabel->setBuddy(PasswordEdit);
    PasswordLabel->setGeometry(12, 12, 185, 16);
    PasswordEdit->setGeometry(12, 30, 185, 22);
    SetUpPasswordEdit(PasswordEdit);
    AsterisksCheckBox->setGeometry(12, 60, 185, 20);
    AsterisksCheckBox->setChecked(true);
    OKButton->setGeometry(41, 97, 75, 25);
    OKButton->setDefault(true);
    OKButton->setEnabled(false);
    CancelButton->setGeometry(122, 97, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(PasswordEdit, &QLineEdit::textChanged, this, [this] { PasswordEditChange(); });
    connect(AsterisksCheckBox, &QCheckBox::toggled, this, [this] { AsterisksCheckBoxClick(); });
    FormCreate();
}

void TPasswordForm::FormCreate() {
    QFont Font = font();
    Font.setFamily(ToQString(GetDialogFontName()));
    setFont(Font);
    CentreOnMainForm(this);
    PasswordEdit->setFocus();
}

std::string TPasswordForm::Password() const {
    return FromQString(PasswordEdit->text());
}

void TPasswordForm::PasswordEditChange() {
    OKButton->setEnabled(PasswordEdit->text().size() >= MinPasswordLength);
}

void TPasswordForm::AsterisksCheckBoxClick() {
    ShowPasswordAsAsterisks(PasswordEdit, AsterisksCheckBox->isChecked());
}

void InstallPasswordDialog() {
    InstallPasswordPrompt([](TPasswordRequest& Request) {
        TPasswordForm Form;
        Form.AsterisksCheckBox->setChecked(Request.ShowAsterisks);
        if (RunModal(Form) != QDialog::Accepted)
            return false;
        Request.Password = Form.Password();
        Request.ShowAsterisks = Form.AsterisksCheckBox->isChecked();
        return true;
    });
}

} // namespace korvid
