// The built program's batch runs against the compiler's stand-ins.
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <optional>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

struct TBatchRun {
    int ExitCode = -1;
    std::string Errors; // standard error
};

class TBatchCompileTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeUserFolders(Dir.Path());
        TScopedRegistryStore Store{StoreFile()};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("History Filename", (Dir / "history.txt").string());
        Reg.WriteString("Lorvanta COM Server", "/nowhere/server");
        Reg.WriteBool("Suppress Script Success", false);
        Reg.WriteBool("Vosk Pascal", false);
        Reg.CloseKey();
        // A compiler silent for a second is given up.
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(RootKeys));
        Reg.WriteInteger("Batch Compile Limit", 1);
        Reg.CloseKey();
        OptionsBefore = OptionsKey();
    }
    void TearDown() override { EXPECT_EQ(OptionsKey(), OptionsBefore); }

    fs::path StoreFile() const { return Dir / "config" / "korvid" / "registry"; }

    // The settings the runs must leave as they were.
    std::string OptionsKey() {
        TFileRegistryStore Store(StoreFile());
        std::unique_ptr<TRegistryNode> Root = Store.Load();
        const TRegistryNode* Options = Root->Find(SplitRegistryPath(OptionsKeys[CurrentKeyIndex]));
        return Options ? TFileRegistryStore::Serialize(*Options) : std::string();
    }

    std::string Source(const std::string& Name, const std::string& Reply = {}) {
        const fs::path Path = Dir / Name;
        WriteFileBytes(Path, "source text\n");
        if (!Reply.empty())
            WriteFileBytes(Path.string() + ".reply", Reply);
        return Path.string();
    }

    TBatchRun Run(const std::string& Mode, const std::string& Request) {
        WriteFileBytes(Dir / "request.txt", Request);
        return RunOn(Mode + (Dir / "request.txt").string());
    }

    TBatchRun RunOn(const std::string& Argument) {
        QProcessEnvironment Environment = UserEnvironment(Dir.Path());
        Environment.insert("WYX_STANDIN_LOG", Q(Dir / "wyx.log"));
        for (const auto& [Name, Value] : Extra)
            Environment.insert(Name, Value);
        QProcess Program;
        Program.setProcessEnvironment(Environment);
        Program.setWorkingDirectory(Q(Dir.Path()));
        Program.start(KORVID_PROGRAM, {QString::fromStdString(Argument)});
        EXPECT_TRUE(Program.waitForStarted(10000));
        const bool Finished = Program.waitForFinished(60000);
        if (!Finished)
            Program.kill();
        EXPECT_TRUE(Finished) << "the batch run did not end";
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
        return {Program.exitCode(), Program.readAllStandardError().toStdString()};
    }

    std::string Output(const std::string& Name) const { return ReadFileBytes(Dir / Name); }

    TTempDir Dir;
    std::string OptionsBefore;
    std::vector<std::pair<QString, QString>> Extra;
};

TEST_F(TBatchCompileTest, ACompileRequestEndsWithTheCompilesExitCode) {
    const std::string Bad = Source("bad.vl2", ">E>x.vl2|>|3,2|>|bad thing\r\n");
    const TBatchRun Errors =
        Run("COMPILE:", "EXE=" + std::string(WYX_STANDIN) + "\n script = " + Bad +
                            "\nmessages=" + (Dir / "messages").string() + "\n");
    EXPECT_EQ(Errors.ExitCode, 1) << Errors.Errors;
    EXPECT_EQ(Output("messages"), "x.vl2, line 3\r\nError: bad thing\r\n");

    // A success leaves no lines, and a stale file never passes for this run's result; the
    // debug output is written, and the output is still read for the exit code.
    WriteFileBytes(Dir / "messages", "stale");
    const std::string Good = Source("good.vl2");
    const TBatchRun Success =
        Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) + "\nscript=" + Good +
                            "\nmessages=" + (Dir / "messages").string() +
                            "\ndebug=" + (Dir / "debug.out").string() + "\n");
    EXPECT_EQ(Success.ExitCode, 0) << Success.Errors;
    EXPECT_EQ(Output("messages"), "");
    EXPECT_NE(Output("debug.out").find("wyx-lorvanta-source=\"" + Good + "\""), std::string::npos)
        << Output("debug.out");

    const std::string Failing = Source("fails.vl2", ">E>x|>|1|>|bad\r\n");
    const TBatchRun Debugged =
        Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) + "\nscript=" + Failing +
                            "\ndebug=" + (Dir / "debug.out").string() + "\n");
    EXPECT_EQ(Debugged.ExitCode, 1);

    // Results that cannot be written are no result: the earlier run's file goes and the
    // failure is named.
    std::string Lines;
    for (int Line = 1; Line <= 200; ++Line)
        Lines += ">E>x.vl2|>|" + std::to_string(Line) + "|>|bad thing\r\n";
    const std::string Long = Source("long.vl2", Lines);
    WriteFileBytes(Dir / "messages", "stale");
    TBatchRun Unwritten;
    {
        const TFileSizeLimit Limit(4096);
        Unwritten = Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) + "\nscript=" + Long +
                                        "\nmessages=" + (Dir / "messages").string());
    }
    EXPECT_EQ(Unwritten.ExitCode, 2) << Unwritten.Errors;
    EXPECT_FALSE(fs::exists(Dir / "messages"));
    EXPECT_NE(Unwritten.Errors.find((Dir / "messages").string()), std::string::npos)
        << Unwritten.Errors;
}

TEST_F(TBatchCompileTest, ARequestWithoutAScriptCompilesNothing) {
    WriteFileBytes(Dir / "messages", "stale");
    const TBatchRun Nothing = Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) +
                                                  "\nmessages=" + (Dir / "messages").string());
    EXPECT_EQ(Nothing.ExitCode, 0);
    EXPECT_EQ(Output("messages"), "");
    EXPECT_FALSE(fs::exists(Dir / "wyx.log"));
}

TEST_F(TBatchCompileTest, ACompileThatCannotRunEndsWithTwo) {
    Extra.emplace_back("WYX_STANDIN_REGISTER", "never");
    const std::string File = Source("a.vl2");
    const TBatchRun Unregistered =
        Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) + "\nscript=" + File +
                            "\nmessages=" + (Dir / "messages").string());
    EXPECT_EQ(Unregistered.ExitCode, 2);
    EXPECT_EQ(Output("messages"),
              "Compiler: Failed to register " + std::string(WYX_STANDIN) + " for COM\r\n");

    const TBatchRun MissingScript =
        Run("COMPILE:",
            "script=" + (Dir / "none.vl2").string() + "\nmessages=" + (Dir / "messages").string());
    EXPECT_EQ(MissingScript.ExitCode, 2);
    EXPECT_EQ(Output("messages"), "File not found: " + (Dir / "none.vl2").string() + "\r\n");

    const TBatchRun NoRequest = RunOn("COMPILE:" + (Dir / "missing.txt").string());
    EXPECT_EQ(NoRequest.ExitCode, 2);
    EXPECT_NE(NoRequest.Errors.find("missing.txt"), std::string::npos);
}

// What the messages file says of the file it was asked to compile: a notice on opening is one
// more line, and a file that is there but not a script is not called missing.
TEST_F(TBatchCompileTest, TheMessagesTellWhatBecameOfTheFile) {
    const std::string LongLine(5000, 'x');
    const struct {
        std::string Name;
        std::optional<std::string> Contents; // none: the file is missing
        std::string Reply;
        int ExitCode;
        std::string Messages; // "%" stands for the file's path
    } Cases[] = {
        {"long.vl2", "begin\n" + LongLine + "\nend\n", ">S>long.vl2|>|0|>|Compiled\r\n", 0,
         "Open: This file contains paragraphs longer than the maximum of 4096 characters. These "
         "paragraphs have been split.\r\n"},
        {"noted.vl2", "source text\n",
         ">A>noted.vl2|>|5|>|x := 1\r\n>A>noted.vl2|>|7|>|y\r\n>S>noted.vl2|>|0|>|Compiled\r\n", 0,
         "The compiler has noted the following lines of code:\r\n\r\nnoted.vl2\r\n     5 x := "
         "1\r\n     7 y\r\n"},
        {"binary.vbat", std::string("announce x\0\x01\x02\0\x03\n", 16), "", 2,
         "Unable to open \"%\" as a script: it is not a text file.\r\n"
         "Open: \"%\" contains binary data. Do you still want to open it?\r\n"},
        {"missing.vbat", std::nullopt, "", 2, "File not found: %\r\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Path = (Dir / Case.Name).string();
        if (Case.Contents)
            WriteFileBytes(Path, *Case.Contents);
        if (!Case.Reply.empty())
            WriteFileBytes(Path + ".reply", Case.Reply);
        const TBatchRun Result =
            Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) + "\nscript=" + Path +
                                "\nmessages=" + (Dir / "messages").string() + "\n");
        EXPECT_EQ(Result.ExitCode, Case.ExitCode) << Result.Errors;
        std::string Expected = Case.Messages;
        for (std::size_t At = Expected.find('%'); At != std::string::npos;
             At = Expected.find('%', At + Path.size()))
            Expected.replace(At, 1, Path);
        EXPECT_EQ(Output("messages"), Expected);
        // A source split on opening is compiled, never written back.
        if (Case.Contents) {
            EXPECT_EQ(ReadFileBytes(Path), *Case.Contents);
        }
    }
}

TEST_F(TBatchCompileTest, AScriptRequestCompilesThroughTheLibraryItsJsonNames) {
    const fs::path Json = Dir / "json" / "main.json";
    fs::create_directories(Json.parent_path());
    WriteFileBytes(Json, "{\n  tessel: '" + std::string(TESSEL_STANDIN) + "'\n}\n");
    const std::string Good = Source("good.vp");
    const TBatchRun Success = Run("SCRIPT:", "json=" + Json.string() + "\nsource=" + Good +
                                                 "\noutput=" + (Dir / "out.txt").string() + "\n");
    EXPECT_EQ(Success.ExitCode, 0) << Success.Errors;
    EXPECT_EQ(Output("out.txt"), "");

    const std::string Bad = Source("bad.vp", ">E>bad.vp|>|4|>|oops");
    const TBatchRun Errors = Run("SCRIPT:", "json=" + Json.string() + "\nsource=" + Bad +
                                                "\noutput=" + (Dir / "out.txt").string() + "\n");
    EXPECT_EQ(Errors.ExitCode, 1) << Errors.Errors;
    EXPECT_EQ(Output("out.txt"), "bad.vp, line 4\r\nError: oops\r\n");

    // A library that does not load could not compile.
    const fs::path Nowhere = Dir / "nowhere.json";
    WriteFileBytes(Nowhere, "{\n  tessel: '/nowhere/libtessel.so'\n}\n");
    const TBatchRun NoLibrary = Run("SCRIPT:", "json=" + Nowhere.string() + "\nsource=" + Good +
                                                   "\noutput=" + (Dir / "out.txt").string());
    EXPECT_EQ(NoLibrary.ExitCode, 2);
    EXPECT_EQ(Output("out.txt"), "Compiling Pascal: /nowhere/libtessel.so not found\r\n");

    const std::string Missing = (Dir / "missing.vp").string();
    const TBatchRun NotFound = Run("SCRIPT:", "json=" + Json.string() + "\nsource=" + Missing +
                                                  "\noutput=" + (Dir / "out.txt").string());
    EXPECT_EQ(NotFound.ExitCode, 2);
    EXPECT_EQ(Output("out.txt"), "File not found: " + Missing + "\r\n");
}

// The window: closing it (as Exit does) while a report list compiles a folder of six reports,
// each compile taking a while. Just before, the server's log is overwritten with the list's own
// line, so what follows that line came after the close.
TEST_F(TBatchCompileTest, ExitDuringAFolderCompileEndsTheProgramAfterTheEntryInHand) {
    {
        TScopedRegistryStore Store{StoreFile()};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("Lorvanta COM Server", WYX_STANDIN);
        Reg.CloseKey();
        OptionsBefore = OptionsKey();
    }
    fs::create_directories(Dir / "reports");
    for (const char* Name : {"a", "b", "c", "d", "e", "f"})
        Source("reports/" + std::string(Name) + ".vl2");
    const fs::path List = Dir / "folder.vrep";
    WriteFileBytes(List, (Dir / "reports").string() + "\n");
    WriteFileBytes(Dir / "keys.txt", "key F9\n"
                                     "wait 1000\n"
                                     "write " +
                                         (Dir / "wyx.log").string() +
                                         "\n"
                                         "close\n");
    Extra.emplace_back("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
    Extra.emplace_back("KORVID_DIALOG_REPORT", Q(Dir / "dialogs.txt"));
    Extra.emplace_back("WYX_STANDIN_RUN_MS", "300");
    const TBatchRun Window = RunOn(List.string());
    EXPECT_EQ(Window.ExitCode, 0) << Window.Errors;
    const std::string Log = Output("wyx.log");
    ASSERT_TRUE(Log.starts_with((Dir / "reports").string())) << Log;
    std::size_t CompilesAfterExit = 0;
    for (std::size_t At = Log.find("RunProcess"); At != std::string::npos;
         At = Log.find("RunProcess", At + 1))
        ++CompilesAfterExit;
    EXPECT_LE(CompilesAfterExit, 1u) << Log;
    EXPECT_FALSE(fs::exists(Dir / "dialogs.txt")) << "no summary holds the exit up";
    // A window, unlike a batch run, keeps its options when it closes.
    OptionsBefore = OptionsKey();
}

// A server that never answers, or a library that crashes or hangs, cannot take the run down:
// the compile could not run.
TEST_F(TBatchCompileTest, ACompilerThatHangsOrCrashesEndsWithTwo) {
    Extra.emplace_back("WYX_STANDIN_SCENARIO", "hang-at-RunProcess");
    const std::string File = Source("a.vl2");
    const TBatchRun Silent =
        Run("COMPILE:", "exe=" + std::string(WYX_STANDIN) + "\nscript=" + File +
                            "\nmessages=" + (Dir / "messages").string());
    EXPECT_EQ(Silent.ExitCode, 2) << Silent.Errors;
    EXPECT_EQ(Output("messages"),
              "Compiler: The compiler's automation server stopped answering.\r\n");

    const fs::path Json = Dir / "main.json";
    WriteFileBytes(Json, "{\n  tessel: '" + std::string(TESSEL_STANDIN) + "'\n}\n");
    const std::string Pascal = Source("p.vp");
    for (const char* Fault : {"crash-at-compile-pascal", "hang-at-compile-pascal"}) {
        SCOPED_TRACE(Fault);
        Extra = {{"TESSEL_STANDIN_FAULT", Fault}};
        const TBatchRun Library = Run("SCRIPT:", "json=" + Json.string() + "\nsource=" + Pascal +
                                                     "\noutput=" + (Dir / "out.txt").string());
        EXPECT_EQ(Library.ExitCode, 2) << Library.Errors;
        EXPECT_EQ(Output("out.txt"),
                  "Compiling Pascal: The compiler library ended unexpectedly.\r\n");
    }
}

} // namespace
} // namespace korvid::test
