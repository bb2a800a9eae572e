// The whole open path of the program, offscreen: from a file name to a document the user can
// type into, on generated 1,000,000-line files of 60-character lines, each opened in a fresh
// process so that its resident memory is its own. Beside it, in the same run: one read() of the
// same file (the floor of this machine) and a minimal editor on the QScintilla widget (the
// peer, when it was built). "open" times the file into a shown window, "whole" the process
// from its start until the file is shown and the process idle. Also typing at the end of the
// opened file and saving it, and the window started empty until idle ("start").
//   bench_open [--runs N] [--cases crlf,lf,utf8,long] [--dir FOLDER]
// Goals: the CR LF file takes at most 0.4 times the peer's whole time, with at most 1.3
// resident bytes per byte of text; a key at the end repaints in under 2 ms; saving takes under
// 0.5 s.
#include "app/EditorDocument.h"
#include "app/KorvidForm.h"
#include "bench/app/ProcessFigures.h"
#include "bench/app/ProgramWindow.h"
#include "editor/Editor.h"
#include "platform/RegistryStore.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid::bench {
namespace {

namespace fs = std::filesystem;

constexpr int LineCount = 1'000'000;
constexpr int LineLength = 60;
constexpr int LongLineEvery = 100; // 1 % of the lines
constexpr int LongLineLength = 5000;

struct TCase {
    std::string Name;
    std::string Description;
};

const std::vector<TCase> Cases = {
    {"crlf", "plain, CR LF"},
    {"lf", "plain, LF"},
    {"utf8", "UTF-8, multi-byte characters"},
    {"long", "CR LF, 1 % of lines over 4096"},
};

// A line of Length characters that differs from its neighbours, as source text does.
std::string PlainLine(int Number, int Length) {
    static const std::string Words =
        "procedure Example(Value: Integer); begin Result := Value * 2 + Offset; end; ";
    std::string Line = std::to_string(Number) + " ";
    while (static_cast<int>(Line.size()) < Length)
        Line += Words.substr(static_cast<std::size_t>(Number) % 7);
    Line.resize(static_cast<std::size_t>(Length));
    return Line;
}

// 60 characters: ASCII, two-byte (é), three-byte with a Windows-1252 byte (€) and without (中).
std::string Utf8Line(int Number) {
    std::string Line = PlainLine(Number, 48);
    for (int I = 0; I < 6; ++I)
        Line += "\xC3\xA9";
    for (int I = 0; I < 4; ++I)
        Line += "\xE2\x82\xAC";
    for (int I = 0; I < 2; ++I)
        Line += "\xE4\xB8\xAD";
    return Line;
}

void Generate(const std::string& Kind, const fs::path& Path) {
    std::string Text;
    Text.reserve(120'000'000);
    for (int Number = 1; Number <= LineCount; ++Number) {
        if (Kind == "utf8")
            Text += Utf8Line(Number);
        else if (Kind == "long" && Number % LongLineEvery == 0)
            Text += PlainLine(Number, LongLineLength);
        else
            Text += PlainLine(Number, LineLength);
        Text += Kind == "lf" || Kind == "utf8" ? "\n" : "\r\n";
    }
    std::ofstream(Path, std::ios::binary)
        .write(Text.data(), static_cast<std::streamsize>(Text.size()));
}

// One read() of the whole file into one buffer; seconds.
double ReadFloor(const fs::path& Path) {
    const int File = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat Status {};
    if (File < 0 || ::fstat(File, &Status) != 0)
        return -1;
    const auto Start = Clock::now();
    auto Buffer = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(Status.st_size));
    std::size_t Done = 0;
    while (Done < static_cast<std::size_t>(Status.st_size)) {
        const ssize_t Count = ::read(File, Buffer.get() + Done, Status.st_size - Done);
        if (Count <= 0)
            break;
        Done += static_cast<std::size_t>(Count);
    }
    const double Seconds = SecondsSince(Start);
    ::close(File);
    return Seconds;
}

void SendKey(QWidget& Target, int Key, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    QKeyEvent Press(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(&Target, &Press);
    QKeyEvent Release(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(&Target, &Release);
}

// The child: the program's window and editor open File, type at its end and save it as SaveAs.
int RunKorvid(int argc, char** argv, const std::string& File, const std::string& SaveAs) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication App(argc, argv);
    QApplication::setApplicationName("Korvid");
    const fs::path Settings = fs::path(SaveAs).parent_path() / "registry";
    TScopedRegistryStore Store(Settings);
    auto Form = MakeProgramWindow(QRect(0, 0, 1600, 1000));
    Form->show();
    QApplication::processEvents();
    const auto Empty = ResidentBytes();
    ResetPeakResident();

    const auto Start = Clock::now();
    Form->OpenFile(File, false, {});
    auto* Document = dynamic_cast<TEditorDocument*>(Form->ActiveEditor());
    if (!Document)
        return 1;
    QApplication::processEvents();
    Document->Control().viewport()->repaint();
    const double Open = SecondsSince(Start);
    const double Whole = SecondsSinceLaunch();
    const auto Resident = ResidentBytes();
    const auto Peak = PeakResidentBytes();

    QWidget& Widget = Document->Control();
    Widget.setFocus();
    SendKey(Widget, Qt::Key_End, Qt::ControlModifier, {});
    QApplication::processEvents();
    std::vector<double> Keys;
    for (int I = 0; I < 21; ++I) {
        const auto KeyStart = Clock::now();
        SendKey(Widget, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::processEvents();
        Document->Control().viewport()->repaint();
        Keys.push_back(SecondsSince(KeyStart));
    }
    std::sort(Keys.begin(), Keys.end());

    const auto SaveStart = Clock::now();
    const bool Saved = Form->SaveEditorToFile(Document, SaveAs, false);
    const double Save = SecondsSince(SaveStart);
    if (!Saved)
        return 1;
    std::printf("open=%.6f whole=%.6f empty=%lld resident=%lld peak=%lld key=%.6f save=%.6f\n",
                Open, Whole, static_cast<long long>(Empty), static_cast<long long>(Resident),
                static_cast<long long>(Peak), Keys[Keys.size() / 2], Save);
    std::fflush(stdout);
    // Tearing a million paragraphs down is not part of any figure.
    ::_exit(0);
}

// The child of an empty start: the program's window shown with no file, until no event waits.
int RunEmptyStart(int argc, char** argv, const std::string& Folder) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication App(argc, argv);
    QApplication::setApplicationName("Korvid");
    TScopedRegistryStore Store(fs::path(Folder) / "registry");
    auto Form = MakeProgramWindow(QRect(0, 0, 1600, 1000));
    Form->show();
    while (QCoreApplication::eventDispatcher()->processEvents(QEventLoop::AllEvents)) {
    }
    const double Whole = SecondsSinceLaunch();
    std::printf("open=0 whole=%.6f\n", Whole);
    std::fflush(stdout);
    ::_exit(0);
}

// The cores the driver may run on, as taskset left them.
int UsableCores() {
    cpu_set_t Set;
    CPU_ZERO(&Set);
    if (::sched_getaffinity(0, sizeof Set, &Set) != 0)
        return static_cast<int>(std::thread::hardware_concurrency());
    return CPU_COUNT(&Set);
}

using TFigures = std::map<std::string, double>;

std::optional<TFigures> ParseFigures(const QByteArray& Output) {
    TFigures Figures;
    std::istringstream In(Output.toStdString());
    std::string Pair;
    while (In >> Pair)
        if (const auto Equals = Pair.find('='); Equals != std::string::npos)
            Figures[Pair.substr(0, Equals)] = std::stod(Pair.substr(Equals + 1));
    if (!Figures.contains("open"))
        return std::nullopt;
    return Figures;
}

std::optional<TFigures> RunChild(const QString& Program, const QStringList& Arguments) {
    QProcess Child;
    Child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(LaunchVariable, QString::number(ClockTicks(Clock::now())));
    Child.setProcessEnvironment(Environment);
    Child.start(Program, Arguments);
    if (!Child.waitForFinished(600'000) || Child.exitCode() != 0)
        return std::nullopt;
    return ParseFigures(Child.readAllStandardOutput());
}

double Median(std::vector<double> Values) {
    if (Values.empty())
        return 0;
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// Median of each figure over the runs.
TFigures MedianFigures(const std::vector<TFigures>& Runs) {
    TFigures Result;
    if (Runs.empty())
        return Result;
    for (const auto& [Key, Value] : Runs.front()) {
        std::vector<double> Values;
        for (const auto& Run : Runs)
            Values.push_back(Run.at(Key));
        Result[Key] = Median(Values);
    }
    return Result;
}

void PrintRow(const char* Who, const TFigures& F, double Bytes, double Floor) {
    if (F.empty()) {
        std::printf("  %-11s failed\n", Who);
        return;
    }
    const double Open = F.at("open");
    std::printf("  %-11s open %7.3f s %8.1f MB/s %6.1fx floor  whole %7.3f s  resident %5.2f B/B"
                "  peak %5.2f B/B  key %6.2f ms  save %6.3f s\n",
                Who, Open, Bytes / Open / 1e6, Open / Floor, F.at("whole"),
                (F.at("resident") - F.at("empty")) / Bytes, (F.at("peak") - F.at("empty")) / Bytes,
                F.at("key") * 1e3, F.at("save"));
}

int RunDriver(int argc, char** argv) {
    int Runs = 3;
    std::vector<std::string> Wanted;
    fs::path Dir = fs::temp_directory_path() / "korvid-openbench";
    for (int I = 1; I + 1 < argc; I += 2) {
        const std::string Option = argv[I];
        if (Option == "--runs")
            Runs = std::max(1, std::atoi(argv[I + 1]));
        else if (Option == "--cases") {
            std::istringstream In(argv[I + 1]);
            for (std::string Name; std::getline(In, Name, ',');)
                Wanted.push_back(Name);
        } else if (Option == "--dir")
            Dir = argv[I + 1];
    }
    fs::create_directories(Dir);
    QCoreApplication App(argc, argv);
    const QString Self = QCoreApplication::applicationFilePath();
    const QString Peer = QCoreApplication::applicationDirPath() + "/qscintilla_peer";
    const bool HavePeer = fs::exists(Peer.toStdString());
    std::printf("%d lines of %d characters; median of %d runs, each in a fresh process%s\n",
                LineCount, LineLength, Runs, HavePeer ? "" : "; QScintilla peer not built");
    for (const auto& Case : Cases) {
        if (!Wanted.empty() && std::find(Wanted.begin(), Wanted.end(), Case.Name) == Wanted.end())
            continue;
        const fs::path File = Dir / (Case.Name + ".txt");
        if (!fs::exists(File))
            Generate(Case.Name, File);
        const double Bytes = static_cast<double>(fs::file_size(File));
        ReadFloor(File); // the page cache holds the file from here on, for everyone
        std::vector<double> Floors;
        std::vector<TFigures> Ours, Theirs;
        const QString SaveAs = QString::fromStdString((Dir / "saved.txt").string());
        for (int Run = 0; Run < Runs; ++Run) {
            Floors.push_back(ReadFloor(File));
            if (auto F =
                    RunChild(Self, {"--korvid", QString::fromStdString(File.string()), SaveAs}))
                Ours.push_back(*F);
            if (HavePeer)
                if (auto F = RunChild(Peer, {QString::fromStdString(File.string()), SaveAs}))
                    Theirs.push_back(*F);
        }
        fs::remove(Dir / "saved.txt");
        const double Floor = Median(Floors);
        std::printf("%s (%s): %.1f MB; one read() %.4f s, %.0f MB/s\n", Case.Name.c_str(),
                    Case.Description.c_str(), Bytes / 1e6, Floor, Bytes / Floor / 1e6);
        const TFigures Korvid = MedianFigures(Ours);
        PrintRow("korvid", Korvid, Bytes, Floor);
        if (HavePeer) {
            const TFigures Peerf = MedianFigures(Theirs);
            PrintRow("qscintilla", Peerf, Bytes, Floor);
            if (!Korvid.empty() && !Peerf.empty())
                std::printf("  korvid/qscintilla open time %.2f, whole time %.2f\n",
                            Korvid.at("open") / Peerf.at("open"),
                            Korvid.at("whole") / Peerf.at("whole"));
        }
        std::fflush(stdout);
    }
    std::vector<double> Starts;
    for (int Run = 0; Run < Runs; ++Run)
        if (auto F = RunChild(Self, {"--korvid-start", QString::fromStdString(Dir.string())}))
            Starts.push_back(F->at("whole"));
    if (!Starts.empty())
        std::printf("empty start until idle: %.3f s\n", Median(Starts));
    std::printf("%d cores (those this process may run on)\n", UsableCores());
    return 0;
}

} // namespace
} // namespace korvid::bench

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--korvid") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return korvid::bench::RunKorvid(argc, argv, argv[2], argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--korvid-start") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return korvid::bench::RunEmptyStart(argc, argv, argv[2]);
    }
    return korvid::bench::RunDriver(argc, argv);
}
