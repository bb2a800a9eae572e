// Shared main of every test program: an offscreen application, Qt's standard-paths test mode,
// and a private settings store for the whole run, so no test touches the user's own files.
// The engine's test program builds it with KORVID_CORE_TESTS: a core application, so nothing of
// Qt Gui is loaded there.
#include <QStandardPaths>
#include <gtest/gtest.h>

#ifdef KORVID_CORE_TESTS
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#else
#include <QApplication>
using TTestApplication = QApplication;
#endif

#include "tests/support/TempDir.h"
#ifdef KORVID_HAS_PLATFORM
#include "platform/RegistryStore.h"
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    TTestApplication App(argc, argv);
    TTestApplication::setApplicationName("Korvid");
    ::testing::InitGoogleTest(&argc, argv);
    korvid::test::TTempDir Settings;
#ifdef KORVID_HAS_PLATFORM
    korvid::TScopedRegistryStore Store(Settings.Path() / "registry");
#endif
    return RUN_ALL_TESTS();
}
