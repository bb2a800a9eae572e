#include "workspace/CommandLine.h"

#include "foundation/Utf8Codec.h"
#include "platform/Cp1252.h"
#include "platform/ProcessLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace korvid {

namespace {

// Long enough not to spin, short enough that Escape answers at once.
constexpr int ReadWaitMilliseconds = 20;

} // namespace

TCommandLineRun PrepareCommandLine(std::string_view CommandLine) {
    TCommandLineRun Run;
    QStringList Words = QProcess::splitCommand(ToQString(CommandLine));
    if (Words.isEmpty()) {
        Run.Error = -1;
        return Run;
    }
    const QString Name = Words.takeFirst();
    Run.Arguments = Words;
    if (!Name.contains('/')) {
        Run.Program = QStandardPaths::findExecutable(Name);
        if (Run.Program.isEmpty())
            Run.Error = 2;
        return Run;
    }
    const QFileInfo File(Name);
    Run.Program = File.absoluteFilePath();
    Run.Folder = File.absolutePath();
    if (!QFileInfo(Run.Folder).isDir())
        Run.Error = 3;
    else if (!File.exists())
        Run.Error = 2;
    else if (!File.isFile() || !File.isExecutable())
        Run.Error = 11;
    return Run;
}

std::optional<int> StartCommandLine(std::string_view CommandLine, TProcessLauncher& Launcher) {
    const TCommandLineRun Run = PrepareCommandLine(CommandLine);
    if (Run.Error != 0)
        return Run.Error;
    if (!Launcher.StartDetached(Run.Program, Run.Arguments, Run.Folder))
        return 1;
    return std::nullopt;
}

std::optional<std::string> RunAndCapture(std::string_view CommandLine,
                                         const std::function<bool()>& KeepWaiting) {
    const TCommandLineRun Run = PrepareCommandLine(CommandLine);
    if (Run.Error != 0)
        return std::nullopt;
    QProcess Process;
    Process.setProcessChannelMode(QProcess::MergedChannels);
    Process.setStandardInputFile(QProcess::nullDevice());
    Process.start(Run.Program, Run.Arguments);
    if (!Process.waitForStarted())
        return std::nullopt;
    QByteArray Output;
    while (Process.state() != QProcess::NotRunning) {
        Process.waitForReadyRead(ReadWaitMilliseconds);
        Output += Process.readAll();
        if (!KeepWaiting()) {
            Process.kill();
            break;
        }
    }
    Process.waitForFinished();
    Output += Process.readAll();
    return std::string(Output.constData(), static_cast<std::size_t>(Output.size()));
}

std::string DecodeCapturedOutput(std::string_view Bytes) {
    std::string Text(Bytes);
    Text.erase(std::remove(Text.begin(), Text.end(), '\0'), Text.end());
    return Utf8ToAnsiText(Text);
}

} // namespace korvid
