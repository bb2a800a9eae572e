#include "tests/app/ProgramProcess.h"
#include "tests/devtools/DefsTestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program opens a .DEFS file of a volume as its listing.
TEST_F(TDefsTest, ProgramShowsTheListing) {
    MakeUserFolders(Temp.Path());
    const fs::path Output = Temp / "listing.txt";
    WriteFileBytes(Temp / "keys.txt", "write " + Output.string() + "\nclose\n");
    QProcessEnvironment Environment = UserEnvironment(Temp.Path());
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
    // The script writes the lines joined by CR LF.
    std::string Expected;
    for (const std::string& Line : Read("APP.DEFS", 0))
        Expected += (Expected.empty() ? "" : "\r\n") + Line;
    EXPECT_EQ(ReadFileBytes(Output), Expected);
}

} // namespace
} // namespace korvid::test
