#pragma once

#include <QDialog>
#include <QValidator>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvid {

inline constexpr int MaxPasswordLength = 20;
inline constexpr int MinPasswordLength = 4;

// Accepts only text that has a Windows-1252 form: a password's bytes are the key.
class TCp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& Input, int& Position) const override;
};

// Makes Edit a password field: at most 20 characters, Windows-1252 only, shown as "*".
void SetUpPasswordEdit(QLineEdit* Edit);
// "*" while Asterisks is set, the text itself otherwise.
void ShowPasswordAsAsterisks(QLineEdit* Edit, bool Asterisks);

// Asks for the password of an encrypted file.
class TPasswordForm : public QDialog {
    Q_OBJECT

public:
    explicit TPasswordForm(QWidget* Parent = nullptr);

    // The typed password as Windows-1252 bytes.
    std::string Password() const;
    // Shows, above the password, that the previous answer did not decipher the file.
    void ShowPasswordWasWrong();

    QLabel* WrongPasswordLabel;
    QLabel* PasswordLabel;
    QLineEdit* PasswordEdit;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QCheckBox* AsterisksCheckBox;

    void PasswordEditChange();
    void AsterisksCheckBoxClick();

private:
    void FormCreate();
    void LayOut(int Top);
};

// Makes the text-file loader ask through TPasswordForm; the program calls it once at start-up.
void InstallPasswordDialog();

} // namespace korvid
