#include "tests/devtools/DefsTestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& Path) {
    return QString::fromStdString(Path.string());
}

// The built program opens a .DEFS file of a volume as its listing.
TEST_F(TDefsTest, ProgramShowsTheListing) {
    for (const char* Folder : {"config", "data", "runtime"})
        fs::create_directory(Temp / Folder);
    fs::permissions(Temp / "runtime", fs::perms::owner_all);
    const fs::path Output = Temp / "listing.txt";
    WriteFileBytes(Temp / "keys.txt", "write " + Output.string() + "\nclose\n");
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("QT_QPA_PLATFORM", "offscreen");
    Environment.insert("XDG_CONFIG_HOME", Q(Temp / "config"));
    Environment.insert("XDG_DATA_HOME", Q(Temp / "data"));
    Environment.insert("XDG_RUNTIME_DIR", Q(Temp / "runtime"));
    Environment.insert("KORVID_KEY_SCRIPT", Q(Temp / "keys.txt"));
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {QString::fromStdString(VolumePath("APP.DEFS"))});
    ASSERT_TRUE(Program.waitForStarted(10000));
    const bool Finished = Program.waitForFinished(60000);
    if (!Finished)
        Program.kill();
    ASSERT_TRUE(Finished) << Program.readAllStandardError().toStdString();
    EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();
    std::string Expected;
    for (const std::string& Line : Read("APP.DEFS", 0))
        Expected += Line + "\n";
    EXPECT_EQ(ReadFileBytes(Output), Expected);
}

} // namespace
} // namespace korvid::test
