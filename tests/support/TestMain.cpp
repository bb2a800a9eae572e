// Shared main of every test program: an offscreen application, Qt's standard-paths test mode,
// and a private settings store, window folder and shared-memory names for the whole run, so no
// test touches the user's own files or meets another run's windows.
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
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"

#include <unistd.h>
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
    // Windows and shared buffers of this run only: parallel runs never meet.
    const korvid::TScopedWindowFolder Windows(
        QString::fromStdString((Settings.Path() / "windows").string()));
    const korvid::TScopedSharedMemoryPrefix Buffers("/korvid-test-" + std::to_string(::getpid()) +
                                                    "-");
#endif
    return RUN_ALL_TESTS();
}
