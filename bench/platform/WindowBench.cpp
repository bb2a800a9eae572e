// Window messages to a second process (the Vosk module stand-in): the round trip of a small
// command, and a command whose reply fills the whole 131072-byte shared buffer, copied out.

#include <benchmark/benchmark.h>

#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace korvid {
namespace {

constexpr std::size_t BufferSize = 131072;
constexpr std::uint32_t CommandMessage = 0x463;

// A stand-in module in a folder of its own; gone with the object.
class TModule {
public:
    explicit TModule(const std::string& Scenario)
        : FFolder(std::make_unique<TScopedWindowFolder>(FDir.path() + "/w")),
          FPrefix(std::make_unique<TScopedSharedMemoryPrefix>("/korvid-bench-" +
                                                              std::to_string(::getpid()) + "-")) {
        const QString ScenarioFile = FDir.path() + "/scenario";
        std::ofstream(ScenarioFile.toStdString()) << Scenario << "\n";
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("KORVID_WINDOW_FOLDER", WindowFolder());
        Environment.insert("KORVID_SHM_PREFIX", QString::fromStdString(SharedMemoryName("")));
        FProcess.setProcessEnvironment(Environment);
        FProcess.start(KORVID_STANDIN, {"Bench", "/dev/null", ScenarioFile});
        if (!FProcess.waitForStarted(10000))
            throw std::runtime_error("the stand-in did not start");
        for (int Try = 0; Try < 1000 && Window == 0; ++Try) {
            const auto Windows = FindWindows("TDebuggingManagerForm");
            if (!Windows.empty())
                Window = Windows.front();
            else
                QThread::msleep(10);
        }
        if (Window == 0 || SendWindowMessage(Window, {CommandMessage, 1, 0}) != 1 ||
            Buffer.Open(SharedMemoryName("VoskDebuggingBuffer"), BufferSize) !=
                TSharedMemory::TResult::Ok)
            throw std::runtime_error("the stand-in did not connect");
    }
    ~TModule() {
        FProcess.kill();
        FProcess.waitForFinished(10000);
        ::shm_unlink(SharedMemoryName("VoskDebuggingBuffer").c_str());
    }

    TWindowHandle Window = 0;
    TSharedMemory Buffer;

private:
    QTemporaryDir FDir;
    std::unique_ptr<TScopedWindowFolder> FFolder;
    std::unique_ptr<TScopedSharedMemoryPrefix> FPrefix;
    QProcess FProcess;
};

void BM_CommandRoundTrip(benchmark::State& State) {
    TModule Module("");
    for (auto _ : State)
        benchmark::DoNotOptimize(SendWindowMessage(Module.Window, {CommandMessage, 4, 0}));
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(BM_CommandRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_FullReply(benchmark::State& State) {
    TModule Module("reply-length=131072");
    for (auto _ : State) {
        const auto Length = SendWindowMessage(Module.Window, {CommandMessage, 4, 0});
        std::string Reply(Module.Buffer.Data(), static_cast<std::size_t>(*Length));
        benchmark::DoNotOptimize(Reply.data());
    }
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * BufferSize));
}
BENCHMARK(BM_FullReply)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace korvid

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
