#include "ui/PasswordUnit.h"
#include "ui/SetPasswordUnit.h"

#include "foundation/BinaryStrings.h"
#include "foundation/EncryptionEngine.h"
#include "ui/ModalRunner.h"

#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace korvid {
namespace {

// Types Text into Edit key by key, as the keyboard would.
void Type(QLineEdit* Edit, const QString& Text) {
    for (const QChar C : Text) {
        QKeyEvent Press(QEvent::KeyPress, 0, Qt::NoModifier, QString(C));
        QCoreApplication::sendEvent(Edit, &Press);
    }
}

TEST(PasswordFormTest, OkNeedsFourCharactersAndTheEditTakesTwenty) {
    TPasswordForm Form;
    EXPECT_EQ(Form.windowTitle(), "Password Required");
    EXPECT_EQ(Form.size(), QSize(209, 134));
    EXPECT_FALSE(Form.OKButton->isEnabled());
    Type(Form.PasswordEdit, "abc");
    EXPECT_FALSE(Form.OKButton->isEnabled());
    Type(Form.PasswordEdit, "d");
    EXPECT_TRUE(Form.OKButton->isEnabled());
    Type(Form.PasswordEdit, "efghijklmnopqrstUVWXYZ"); // 26 in all
    EXPECT_EQ(Form.PasswordEdit->text(), "abcdefghijklmnopqrst");
    EXPECT_EQ(Form.Password(), "abcdefghijklmnopqrst");
}

TEST(PasswordFormTest, AcceptsOnlyCharactersWithAWindows1252Form) {
    TPasswordForm Form;
    Type(Form.PasswordEdit, QString::fromUtf8("\xC3\xA9\xE2\x82\xAC"
                                              "a\xD0\x96"
                                              "b"));
    // "é", "€", "a" and "b" have a form; the Cyrillic letter has none.
    EXPECT_EQ(Form.Password(), "\xE9\x80"
                               "ab");
}

TEST(PasswordFormTest, AsterisksFollowTheCheckBox) {
    TPasswordForm Form;
    EXPECT_TRUE(Form.AsterisksCheckBox->isChecked());
    EXPECT_EQ(Form.PasswordEdit->echoMode(), QLineEdit::Password);
    Form.AsterisksCheckBox->click();
    EXPECT_EQ(Form.PasswordEdit->echoMode(), QLineEdit::Normal);
}

struct TSetCase {
    const char* Name;
    bool UsePassword;
    bool Asterisks;
    const char* Password;
    const char* Repeat;
    bool OkEnabled;
};

TEST(SetPasswordFormTest, OkFollowsTheRules) {
    const TSetCase Cases[] = {
        {"three characters", true, true, "abc", "abc", false},
        {"four, repeated", true, true, "abcd", "abcd", true},
        {"four, repeated in another case", true, true, "abcd", "ABCD", false},
        {"four, not repeated", true, true, "abcd", "", false},
        {"shown, repeat ignored", true, false, "abcd", "zz", true},
        {"shown, three characters", true, false, "abc", "abc", false},
        {"no password wanted", false, true, "", "", true},
        {"no password wanted, junk typed", false, true, "ab", "x", true},
    };
    for (const TSetCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSetPasswordForm Form;
        Form.PasswordEdit->setText(C.Password);
        Form.RepeatEdit->setText(C.Repeat);
        Form.AsterisksCheckBox->setChecked(C.Asterisks);
        Form.UsePasswordCheckBox->setChecked(C.UsePassword);
        Form.UpdateControls();
        EXPECT_EQ(Form.OKButton->isEnabled(), C.OkEnabled);
    }
}

TEST(SetPasswordFormTest, ShowingThePasswordDropsTheRepetition) {
    TSetPasswordForm Form;
    EXPECT_EQ(Form.windowTitle(), "Set Password");
    EXPECT_TRUE(Form.RepeatEdit->isEnabled());
    Form.AsterisksCheckBox->click();
    EXPECT_FALSE(Form.RepeatEdit->isEnabled());
    EXPECT_FALSE(Form.RepeatLabel->isEnabled());
    EXPECT_EQ(Form.PasswordEdit->echoMode(), QLineEdit::Normal);
    Type(Form.RepeatEdit, "x"); // disabled: nothing goes in
    Type(Form.PasswordEdit, "secret");
    EXPECT_TRUE(Form.OKButton->isEnabled());
}

TEST(SetPasswordFormTest, NotUsingAPasswordDisablesTheGroup) {
    TSetPasswordForm Form;
    Form.UsePasswordCheckBox->click();
    for (const QWidget* Control :
         {static_cast<QWidget*>(Form.PasswordGroup), static_cast<QWidget*>(Form.PasswordEdit),
          static_cast<QWidget*>(Form.RepeatEdit), static_cast<QWidget*>(Form.PasswordLabel),
          static_cast<QWidget*>(Form.RepeatLabel), static_cast<QWidget*>(Form.HelpLabel1),
          static_cast<QWidget*>(Form.HelpLabel2), static_cast<QWidget*>(Form.AsterisksCheckBox)})
        EXPECT_FALSE(Control->isEnabled());
    EXPECT_TRUE(Form.OKButton->isEnabled());
    Form.UsePasswordCheckBox->click();
    EXPECT_TRUE(Form.PasswordEdit->isEnabled());
    EXPECT_FALSE(Form.OKButton->isEnabled());
}

TEST(SetPasswordFormTest, BothEditsTakeTwentyCharacters) {
    TSetPasswordForm Form;
    Type(Form.PasswordEdit, QString(21, 'p'));
    Type(Form.RepeatEdit, QString(21, 'p'));
    EXPECT_EQ(Form.PasswordEdit->text().size(), 20);
    EXPECT_EQ(Form.RepeatEdit->text().size(), 20);
    EXPECT_TRUE(Form.OKButton->isEnabled());
}

// ---- The loader asks through the dialog ----------------------------------------------------

class PasswordLoadTest : public ::testing::Test {
protected:
    PasswordLoadTest() {
        InstallPasswordDialog();
        WriteEncryptedFile(File, "secret", {"first", "second"});
    }
    ~PasswordLoadTest() override { InstallPasswordPrompt({}); }

    test::TTempDir Dir;
    std::filesystem::path File = Dir.Path() / "locked.txt";
};

TModalStep AnswerPassword(QString Password, bool Asterisks) {
    return ActOn<TPasswordForm>([Password, Asterisks](TPasswordForm& Form) {
        Type(Form.PasswordEdit, Password);
        Form.AsterisksCheckBox->setChecked(Asterisks);
        Form.OKButton->click();
    });
}

TEST_F(PasswordLoadTest, TheTypedPasswordOpensTheFile) {
    TScriptedModals Script;
    bool SeenAsterisks = true;
    Script.Then(ActOn<TPasswordForm>([&SeenAsterisks](TPasswordForm& Form) {
        SeenAsterisks = Form.AsterisksCheckBox->isChecked();
    }));
    Script.Then(AnswerPassword("secret", true));
    TBinaryStrings Lines;
    bool ShowAsterisks = false;
    std::string Password;
    EXPECT_EQ(Lines.LoadFromFile(File, ShowAsterisks, Password), TLoadResult::Loaded);
    EXPECT_FALSE(SeenAsterisks); // the caller's remembered state went in
    EXPECT_TRUE(ShowAsterisks);  // and the dialog's came back
    EXPECT_EQ(Password, "secret");
    EXPECT_EQ(Lines.Lines(), (std::vector<std::string>{"first", "second"}));
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().ClassName, "korvid::TPasswordForm");
    EXPECT_EQ(Script.Last().Caption, "Password Required");
}

TEST_F(PasswordLoadTest, CancelAbandonsTheLoad) {
    TScriptedModals Script;
    Script.Press("Cancel");
    TBinaryStrings Lines;
    bool ShowAsterisks = true;
    std::string Password;
    EXPECT_EQ(Lines.LoadFromFile(File, ShowAsterisks, Password), TLoadResult::Cancelled);
    EXPECT_TRUE(Password.empty());
    EXPECT_EQ(Lines.Count(), 0u);
    EXPECT_EQ(Script.Unanswered(), 0);
}

TEST_F(PasswordLoadTest, AShortPasswordCannotBeConfirmed) {
    TScriptedModals Script;
    Script.Then(AnswerPassword("abc", true)).Press("Cancel");
    TBinaryStrings Lines;
    bool ShowAsterisks = true;
    std::string Password;
    EXPECT_EQ(Lines.LoadFromFile(File, ShowAsterisks, Password), TLoadResult::Cancelled);
    EXPECT_EQ(Script.Shown().size(), 1u);
}

} // namespace
} // namespace korvid
