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

namespace {

constexpr int WrongPasswordNoteHeight = 32; // two lines of the dialog's font

} // namespace

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
    : QDialog(Parent),
      WrongPasswordLabel(new QLabel("Wrong password, or the file is damaged at its start.", this)),
      PasswordLabel(new QLabel("&Password:", this)), PasswordEdit(new QLineEdit(this)),
      OKButton(new QPushButton("OK", this)), CancelButton(new QPushButton("Cancel", this)),
      AsterisksCheckBox(new QCheckBox("&Show as asterisks", this)) {
    setWindowTitle("Password Required");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    WrongPasswordLabel->setWordWrap(true);
    WrongPasswordLabel->hide();
    PasswordLabel->setBuddy(PasswordEdit);
    SetUpPasswordEdit(PasswordEdit);
    AsterisksCheckBox->setChecked(true);
    OKButton->setDefault(true);
    OKButton->setEnabled(false);
    LayOut(0);
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

// Top is where the password's label starts; the note, when shown, sits above it.
void TPasswordForm::LayOut(int Top) {
    setFixedSize(209, 134 + Top);
    WrongPasswordLabel->setGeometry(12, 8, 185, Top);
    PasswordLabel->setGeometry(12, Top + 12, 185, 16);
    PasswordEdit->setGeometry(12, Top + 30, 185, 22);
    AsterisksCheckBox->setGeometry(12, Top + 60, 185, 20);
    OKButton->setGeometry(41, Top + 97, 75, 25);
    CancelButton->setGeometry(122, Top + 97, 75, 25);
}

void TPasswordForm::ShowPasswordWasWrong() {
    WrongPasswordLabel->show();
    LayOut(WrongPasswordNoteHeight);
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
        if (Request.PasswordWasWrong)
            Form.ShowPasswordWasWrong();
        if (RunModal(Form) != QDialog::Accepted)
            return false;
        Request.Password = Form.Password();
        Request.ShowAsterisks = Form.AsterisksCheckBox->isChecked();
        return true;
    });
}

} // namespace korvid
