#include "tests/app/ProgramProcess.h"
#include "tests/support/TempDir.h"
#include "views/PluginModule.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

struct TRun {
    int ExitCode = -1;
    std::string Output;
};

TRun RunTool(const QString& Program, const QStringList& Arguments) {
    QProcess Process;
    Process.setProcessChannelMode(QProcess::MergedChannels);
    Process.start(Program, Arguments);
    if (!Process.waitForStarted(10000) || !Process.waitForFinished(120000))
        return {-1, "did not run: " + Program.toStdString()};
    return {Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1,
            Process.readAll().toStdString()};
}

// Installs the current build tree into a fresh prefix.
class TInstallTest : public ::testing::Test {
protected:
    TTempDir Prefix;

    void SetUp() override {
        const TRun Install =
            RunTool(KORVID_CMAKE, {"--install", KORVID_BUILD_DIR, "--prefix", Q(Prefix.Path())});
        ASSERT_EQ(Install.ExitCode, 0) << Install.Output;
    }
    fs::path operator/(const std::string& Name) const { return Prefix.Path() / Name; }
};

TEST_F(TInstallTest, PutsTheProgramItsPlugInAndItsDesktopFilesIntoThePrefix) {
    for (const char* Name :
         {"bin/korvid", "bin/korvid_tessel", "lib/korvid/Lorvanta.so",
          "share/applications/korvid.desktop", "share/mime/packages/korvid.xml",
          "share/icons/hicolor/16x16/apps/korvid.png", "share/icons/hicolor/48x48/apps/korvid.png"})
        EXPECT_TRUE(fs::is_regular_file(*this / Name)) << Name;
    if (fs::exists(fs::path(KORVID_SOURCE_DIR) / "docs" / "manual" / "index.html")) {
        EXPECT_TRUE(fs::is_regular_file(*this / "share/korvid/manual/index.html"));
    }

    const std::string Entry = ReadFileBytes(*this / "share/applications/korvid.desktop");
    for (const char* Line : {"Exec=korvid %F", "Icon=korvid", "Terminal=false"})
        EXPECT_NE(Entry.find(Line), std::string::npos) << Line;
    // Every type of its own that the entry claims is defined by the installed MIME package.
    const std::string Types = ReadFileBytes(*this / "share/mime/packages/korvid.xml");
    for (const char* Type :
         {"text/x-korvid-vosk", "text/x-korvid-lorvanta", "application/x-korvid-volume"}) {
        EXPECT_NE(Entry.find(std::string(Type) + ";"), std::string::npos) << Type;
        EXPECT_NE(Types.find("type=\"" + std::string(Type) + "\""), std::string::npos) << Type;
    }

    const QString Validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (Validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    const TRun Validated = RunTool(Validator, {Q(*this / "share/applications/korvid.desktop")});
    EXPECT_EQ(Validated.ExitCode, 0) << Validated.Output;
    // Hints (such as a second category to appear under) are advice, not faults.
    EXPECT_EQ(Validated.Output.find("error:"), std::string::npos) << Validated.Output;
    EXPECT_EQ(Validated.Output.find("warning:"), std::string::npos) << Validated.Output;
}

TEST_F(TInstallTest, TheInstalledProgramsNameNoBuildFolder) {
#ifndef NDEBUG
    GTEST_SKIP() << "a debug build names its source files in its assertions";
#endif
    for (const char* Name : {"bin/korvid", "bin/korvid_tessel", "lib/korvid/Lorvanta.so"}) {
        SCOPED_TRACE(Name);
        const TRun Dynamic = RunTool("readelf", {"-d", Q(*this / Name)});
        ASSERT_EQ(Dynamic.ExitCode, 0) << Dynamic.Output;
        EXPECT_EQ(Dynamic.Output.find("RPATH"), std::string::npos) << Dynamic.Output;
        EXPECT_EQ(Dynamic.Output.find("RUNPATH"), std::string::npos) << Dynamic.Output;
        // Debugging information names the source files where they were built; what the program
        // loads must not.
        const fs::path Stripped = Prefix.Path() / "stripped";
        const TRun Strip = RunTool("objcopy", {"--strip-debug", Q(*this / Name), Q(Stripped)});
        ASSERT_EQ(Strip.ExitCode, 0) << Strip.Output;
        const std::string Bytes = ReadFileBytes(Stripped);
        EXPECT_EQ(Bytes.find(KORVID_BUILD_DIR), std::string::npos);
        EXPECT_EQ(Bytes.find(KORVID_SOURCE_DIR), std::string::npos);
    }
}

TEST_F(TInstallTest, TheInstalledProgramRunsFromAnotherFolderAndFindsItsPlugIn) {
    const fs::path Bin = *this / "bin";
    EXPECT_EQ(FindPlugin("Lorvanta.so", Bin),
              (*this / "lib/korvid/Lorvanta.so").lexically_normal());

    TTempDir User;
    MakeUserFolders(User.Path());
    WriteFileBytes(User / "doc.txt", "text");
    WriteFileBytes(User / "keys.txt", "close\n");
    QProcessEnvironment Environment = UserEnvironment(User.Path());
    Environment.insert("HOME", Q(User.Path()));
    Environment.insert("KORVID_KEY_SCRIPT", Q(User / "keys.txt"));
    RunToEnd(Q(Bin / "korvid"), {"doc.txt"}, Environment, Q(User.Path()));
}

} // namespace
} // namespace korvid::test
