#include "app/SplashUnit.h"
#include "app/AboutUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvid {
namespace {

class SplashTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};

    void WriteOptions(bool ShowSplash) {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteBool("Show Splash Screen", ShowSplash);
    }

    void TearDown() override {
        if (TSplashForm* Splash = SplashForm())
            delete Splash;
    }
};

TEST_F(SplashTest, NoSplashOnTheFirstRun) {
    EXPECT_EQ(ShowSplashScreen(), nullptr);
}

TEST_F(SplashTest, NoSplashWhenSwitchedOff) {
    WriteOptions(false);
    EXPECT_EQ(ShowSplashScreen(), nullptr);
}

TEST_F(SplashTest, TheSplashShowsItsVersionAndClosesWhenItsTimerFires) {
    WriteOptions(true);
    TSplashForm* Splash = ShowSplashScreen();
    ASSERT_NE(Splash, nullptr);
    EXPECT_TRUE(Splash->isVisible());
    EXPECT_EQ(Splash->size(), QSize(400, 247));
    EXPECT_EQ(Splash->VersionLabel->text(), "Version 3.02");
    EXPECT_TRUE(Splash->Timer->isActive());
    EXPECT_EQ(Splash->Timer->interval(), 3000);
    Splash->TimerTimer();
    EXPECT_FALSE(Splash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SplashForm(), nullptr);
}

TEST_F(SplashTest, AKeyOrAClickClosesItEarly) {
    WriteOptions(true);
    TSplashForm* Splash = ShowSplashScreen();
    ASSERT_NE(Splash, nullptr);
    QTest::keyClick(Splash, Qt::Key_Space);
    EXPECT_FALSE(Splash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Splash = ShowSplashScreen();
    ASSERT_NE(Splash, nullptr);
    QTest::mouseClick(Splash->Image, Qt::LeftButton);
    EXPECT_FALSE(Splash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The program ends with its last window; a splash still waiting for its timer must not keep the
// run going until the timer fires.
TEST_F(SplashTest, ClosingTheLastWindowEndsTheRunBeforeTheSplashTimerFires) {
    WriteOptions(true);
    TSplashForm* Splash = ShowSplashScreen();
    ASSERT_NE(Splash, nullptr);
    const QSignalSpy Fired(Splash->Timer, &QTimer::timeout);
    QWidget Window;
    Window.show();
    const bool QuitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    QTimer::singleShot(0, &Window, &QWidget::close);
    QApplication::exec();
    QGuiApplication::setQuitOnLastWindowClosed(QuitOnLast);
    EXPECT_EQ(Fired.count(), 0);
}

TEST(About, TheAboutBox) {
    TScriptedModals Script;
    Script.Press("OK");
    ShowAboutBox(nullptr);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "About Korvid");
    TAboutForm About;
    EXPECT_EQ(About.NameLabel->text(), "Korvid");
    EXPECT_EQ(About.VersionLabel->text(), "Version 3.02");
}

// The box stands in the middle of the window it was opened from, at the size it shows with.
TEST(About, TheAboutBoxIsCentredOnTheWindow) {
    QWidget Window;
    Window.setGeometry(60, 40, 600, 450); // inside the 800 x 600 screen of the tests
    Window.show();
    QRect Shown;
    TScriptedModals Script;
    Script.Then([&Shown](QDialog& Dialog) {
        Shown = Dialog.geometry();
        Dialog.accept();
    });
    ShowAboutBox(&Window);
    ASSERT_EQ(Script.Shown().size(), 1u);
    TAboutForm About;
    EXPECT_EQ(Shown.size(), About.sizeHint());
    EXPECT_LE((Shown.center() - Window.geometry().center()).manhattanLength(), 1)
        << Shown.x() << "," << Shown.y() << " " << Shown.width() << "x" << Shown.height();
}

} // namespace
} // namespace korvid
