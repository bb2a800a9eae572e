#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvid {

// Gives the current document a password, changes it or removes it.
class TSetPasswordForm : public QDialog {
    Q_OBJECT

public:
    explicit TSetPasswordForm(QWidget* Parent = nullptr);

    // The typed password as Windows-1252 bytes.
    std::string Password() const;

    QCheckBox* UsePasswordCheckBox;
    QGroupBox* PasswordGroup;
    QLabel* PasswordLabel;
    QLineEdit* PasswordEdit;
    QLabel* RepeatLabel;
    QLineEdit* RepeatEdit;
    QLabel* HelpLabel1;
    QLabel* HelpLabel2;
    QCheckBox* AsterisksCheckBox;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // The caller fills the controls and then calls this.
    void UpdateControls();

    void UsePasswordCheckBoxClick();
    void AsterisksCheckBoxClick();
    void EditChange();

private:
    void FormCreate();
};

} // namespace korvid
