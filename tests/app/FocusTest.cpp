#include "FormFixture.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

namespace korvid::test {
namespace {

class TFocusTest : public TFormTest {
protected:
    void ShowAndActivate(QWidget& Window) {
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    }

    // The keyboard is with the active document's editor.
    bool DocumentHasTheKeyboard() const {
        QWidget* Focus = QApplication::focusWidget();
        TDocumentEditor* Editor = Form->ActiveEditor();
        return Focus && Editor && (Focus == Editor || Editor->isAncestorOf(Focus));
    }
};

TEST_F(TFocusTest, TheActiveDocumentHasTheKeyboardWheneverTheWindowIsActive) {
    MakeForm();
    Form->OpenFile(File("a.txt", "a"), false, {});
    ShowAndActivate(*Form);
    EXPECT_TRUE(DocumentHasTheKeyboard()) << "after start";

    Form->OpenFile(File("b.txt", "b"), false, {});
    EXPECT_TRUE(DocumentHasTheKeyboard()) << "after opening a file";

    Form->Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(DocumentHasTheKeyboard()) << "after a tab change";
    EXPECT_EQ(Form->Tabs()->tabBar()->focusPolicy(), Qt::NoFocus);

    {
        QDialog Dialog(Form.get());
        auto* Field = new QLineEdit(&Dialog);
        ShowAndActivate(Dialog);
        Field->setFocus();
        Dialog.close();
    }
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    EXPECT_TRUE(DocumentHasTheKeyboard()) << "after a dialog closed";

    // Even when something else of the window had taken it.
    Form->statusBar()->setFocusPolicy(Qt::StrongFocus);
    Form->statusBar()->setFocus();
    QDialog Other;
    ShowAndActivate(Other);
    Other.close();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    EXPECT_TRUE(DocumentHasTheKeyboard()) << "after the window came back";
}

} // namespace
} // namespace korvid::test
