#include "platform/KeyState.h"
#include "platform/VirtualKeyCodes.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

// Whatever window the keys reach, the filter on the application sees them.
TEST(TKeyStateTest, HeldKeysFollowTheProgramsKeyEvents) {
    TKeyStateFilter Filter;
    QCoreApplication::instance()->installEventFilter(&Filter);
    QObject Window;
    const auto Send = [&](QEvent::Type Type, bool AutoRepeat = false) {
        QKeyEvent Key(Type, Qt::Key_Escape, Qt::NoModifier, QString(), AutoRepeat);
        QCoreApplication::sendEvent(&Window, &Key);
    };
    Send(QEvent::KeyPress);
    EXPECT_TRUE(IsKeyHeld(VK_ESCAPE));
    Send(QEvent::KeyRelease, true); // auto-repeat: still held
    EXPECT_TRUE(IsKeyHeld(VK_ESCAPE));
    Send(QEvent::KeyRelease);
    EXPECT_FALSE(IsKeyHeld(VK_ESCAPE));

    // Releases made in another program's window never arrive.
    Send(QEvent::KeyPress);
    QEvent Deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(&Window, &Deactivate);
    EXPECT_FALSE(IsKeyHeld(VK_ESCAPE));
    QCoreApplication::instance()->removeEventFilter(&Filter);
}

} // namespace
} // namespace korvid::test
