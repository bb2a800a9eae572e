#pragma once

#include "platform/SharedMemory.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvid::test {

inline QString Q(const std::filesystem::path& Path) {
    return QString::fromStdString(Path.string());
}

// Every file under Tree with its bytes and modification time.
inline std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>
TreeSnapshot(const std::filesystem::path& Tree) {
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> Files;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Tree))
        if (Entry.is_regular_file())
            Files[Entry.path().string()] = {ReadFileBytes(Entry.path()), Entry.last_write_time()};
    return Files;
}

// A user's own configuration, data and runtime folders under Dir.
inline void MakeUserFolders(const std::filesystem::path& Dir) {
    namespace fs = std::filesystem;
    for (const char* Folder : {"config", "data", "runtime"})
        fs::create_directory(Dir / Folder);
    fs::permissions(Dir / "runtime", fs::perms::owner_all);
}

// The environment the built program runs in for that user, with no key script.
inline QProcessEnvironment UserEnvironment(const std::filesystem::path& Dir,
                                           const QString& Platform = "offscreen") {
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("QT_QPA_PLATFORM", Platform);
    Environment.insert("XDG_CONFIG_HOME", Q(Dir / "config"));
    Environment.insert("XDG_DATA_HOME", Q(Dir / "data"));
    Environment.insert("XDG_RUNTIME_DIR", Q(Dir / "runtime"));
    Environment.remove("KORVID_KEY_SCRIPT");
    // Its windows live in its runtime folder; its shared buffers are named for this run.
    Environment.remove("KORVID_WINDOW_FOLDER");
    Environment.insert("KORVID_SHM_PREFIX", QString::fromStdString(SharedMemoryName("")));
    return Environment;
}

// Runs Program in Environment (in Folder, when named), which must end by itself, and well.
inline void RunToEnd(const QString& Program, const QStringList& Arguments,
                     const QProcessEnvironment& Environment, const QString& Folder = {}) {
    QProcess Process;
    Process.setProcessEnvironment(Environment);
    if (!Folder.isEmpty())
        Process.setWorkingDirectory(Folder);
    Process.start(Program, Arguments);
    ASSERT_TRUE(Process.waitForStarted(10000));
    const bool Finished = Process.waitForFinished(60000);
    if (!Finished)
        Process.kill();
    ASSERT_TRUE(Finished) << Process.readAllStandardError().toStdString();
    EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Process.exitCode(), 0) << Process.readAllStandardError().toStdString();
}

// The built program, started as a user would, driven by a key script whose keys reach
// whatever has the keyboard focus.
class TProgramTest : public ::testing::Test {
protected:
    TTempDir Dir;
    // Set in the program's environment on top of the user's.
    std::vector<std::pair<QString, QString>> ExtraEnvironment;

    void SetUp() override { MakeUserFolders(Dir.Path()); }

    // Runs the program on File (none when empty) with the script; the program must end by
    // itself.
    void Run(const std::filesystem::path& File, std::string_view Script) {
        Run(File.empty() ? std::vector<std::filesystem::path>{}
                         : std::vector<std::filesystem::path>{File},
            Script);
    }
    // The same with no file named.
    void Run(std::string_view Script) { Run(std::vector<std::filesystem::path>{}, Script); }
    // The same with several files on the command line, opened in order.
    void Run(const std::vector<std::filesystem::path>& Files, std::string_view Script) {
        WriteFileBytes(Dir / "keys.txt", Script);
        QProcessEnvironment Environment = UserEnvironment(Dir.Path());
        Environment.insert("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
        for (const auto& [Name, Value] : ExtraEnvironment)
            Environment.insert(Name, Value);
        QStringList Arguments;
        for (const std::filesystem::path& File : Files)
            Arguments << Q(File);
        RunToEnd(KORVID_PROGRAM, Arguments, Environment);
    }
};

} // namespace korvid::test
