// A stand-in for a Vosk module under debugging, for tests and benchmarks only.
// Arguments: the window title, a log file and a scenario file of "key=value" lines:
//   query=0|ffffffff|1            the answer to the query message (1: the title is valid)
//   connect=ok|refuse|wrong|nobuffer
//   reply-length=N                commands other than 1 and 2 fill the buffer and answer N
// Lines on standard input: "stop s p o", "stop-watch line|line...", "disconnect", "hang", "quit".
#include "platform/Cp1252.h"
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace korvid {
namespace {

constexpr std::size_t BufferSize = 131072;
constexpr std::uint32_t IdentifyMessage = 0x45F;
constexpr std::uint32_t QueryMessage = 0x460;
constexpr std::uint32_t DisconnectedMessage = 0x461;
constexpr std::uint32_t StoppedMessage = 0x462;
constexpr std::uint32_t CommandMessage = 0x463;

std::string Escaped(std::string_view Bytes) {
    std::string Text;
    for (const char C : Bytes) {
        const auto Byte = static_cast<unsigned char>(C);
        if (C == '\r')
            Text += "\\r";
        else if (C == '\n')
            Text += "\\n";
        else if (C == '\\')
            Text += "\\\\";
        else if (Byte < 0x20 || Byte >= 0x7F) {
            char Hex[5];
            std::snprintf(Hex, sizeof(Hex), "\\x%02x", Byte);
            Text += Hex;
        } else
            Text += C;
    }
    return Text;
}

class TStandIn {
public:
    TStandIn(std::string Title, const std::string& LogFile, const std::string& ScenarioFile)
        : FWindow("TDebuggingManagerForm", std::move(Title)),
          FLog(std::fopen(LogFile.c_str(), "a")) {
        std::ifstream Scenario(ScenarioFile);
        for (std::string Line; std::getline(Scenario, Line);)
            if (const auto Equals = Line.find('='); Equals != std::string::npos)
                FScenario[Line.substr(0, Equals)] = Line.substr(Equals + 1);
        if (Setting("connect") != "nobuffer")
            FBuffer.Create(SharedMemoryName("VoskDebuggingBuffer"), BufferSize);
        FWindow.OnMessage = [this](const TEndpointMessage& Message) { return Serve(Message); };
    }
    ~TStandIn() {
        if (FLog)
            std::fclose(FLog);
    }

    bool Start() {
        if (!FLog || !FWindow.Listen())
            return false;
        Log("started " + std::to_string(FWindow.Handle()));
        return true;
    }

    void Input(const std::string& Line) {
        std::istringstream Words(Line);
        std::string Verb;
        Words >> Verb;
        if (Verb == "stop") {
            std::string S, P, O;
            Words >> S >> P >> O;
            Notify(StoppedMessage, 0, "s=" + S + "\r\np=" + P + "\r\no=" + O);
        } else if (Verb == "stop-watch") {
            std::string Rest;
            std::getline(Words >> std::ws, Rest);
            std::replace(Rest.begin(), Rest.end(), '|', '\n');
            std::string Reply;
            std::istringstream StackLines(Rest);
            for (std::string Frame; std::getline(StackLines, Frame);)
                Reply += (Reply.empty() ? "" : "\r\n") + Frame;
            Notify(StoppedMessage, 1, Reply);
        } else if (Verb == "disconnect") {
            Notify(DisconnectedMessage, 0, {});
        } else if (Verb == "hang") {
            Log("hang");
            for (;;)
                std::this_thread::sleep_for(std::chrono::hours(1));
        } else if (Verb == "quit") {
            Log("quit");
            QCoreApplication::exit(0);
        }
    }

private:
    std::string Setting(const std::string& Key) const {
        const auto Found = FScenario.find(Key);
        return Found == FScenario.end() ? std::string() : Found->second;
    }

    void Log(const std::string& Line) {
        std::fprintf(FLog, "%s\n", Line.c_str());
        std::fflush(FLog);
    }

    std::string Request(std::int64_t Length) const {
        if (!FBuffer.IsMapped() || Length <= 0)
            return {};
        return {FBuffer.Data(), static_cast<std::size_t>(std::min<std::int64_t>(
                                    Length, static_cast<std::int64_t>(BufferSize)))};
    }

    void Write(std::string_view Text) {
        if (FBuffer.IsMapped())
            std::memcpy(FBuffer.Data(), Text.data(), std::min(Text.size(), BufferSize));
    }

    std::int32_t Serve(const TEndpointMessage& Message) {
        switch (Message.Message) {
        case IdentifyMessage:
            Log("identify");
            return 0;
        case QueryMessage: {
            Log("query");
            const std::string Answer = Setting("query");
            if (Answer == "0")
                return 0;
            if (Answer == "ffffffff")
                return static_cast<std::int32_t>(0xFFFFFFFFu);
            return 1;
        }
        case CommandMessage:
            return Command(static_cast<int>(Message.WParam & 0xFFFF),
                           static_cast<int>((Message.WParam >> 16) & 0xFFFF), Message.LParam);
        default:
            Log("message " + std::to_string(Message.Message));
            return 0;
        }
    }

    std::int32_t Command(int Number, int SubCode, std::int64_t LParam) {
        const std::string Head = "command " + std::to_string(Number) + " " +
                                 std::to_string(SubCode) + " lparam=" + std::to_string(LParam);
        if (Number == 1) {
            Log(Head);
            const std::string Connect = Setting("connect");
            if (Connect == "refuse")
                return 0;
            FEditor = static_cast<TWindowHandle>(LParam);
            Write(Connect == "wrong" ? std::string_view("\x05Hellx")
                                     : std::string_view("\x05Hello"));
            return 1;
        }
        // The request is read whole before anything is written over it.
        Log(Head + " request=" + Escaped(Request(LParam)));
        // The editor's window is kept past command 2, so that a late notice can be sent.
        if (Number == 2)
            return 0;
        const std::string Length = Setting("reply-length");
        if (Length.empty())
            return 0;
        const long Reply = std::stol(Length);
        Write(std::string(BufferSize, 'r'));
        return static_cast<std::int32_t>(Reply);
    }

    void Notify(std::uint32_t Message, std::uint64_t WParam, const std::string& Reply) {
        Write(Reply);
        const auto Result =
            SendWindowMessage(FEditor, {Message, WParam, static_cast<std::int64_t>(Reply.size())});
        Log((Message == StoppedMessage ? "stopped " : "disconnected ") +
            (Result ? std::to_string(*Result) : std::string("none")));
    }

    TWindowEndpoint FWindow;
    TSharedMemory FBuffer;
    std::FILE* FLog;
    std::map<std::string, std::string> FScenario;
    TWindowHandle FEditor = 0;
};

} // namespace
} // namespace korvid

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s title log scenario\n", argv[0]);
        return 2;
    }
    // The title comes in the locale's encoding; windows answer theirs in Windows-1252.
    korvid::TStandIn StandIn(korvid::FromQString(QString::fromLocal8Bit(argv[1])), argv[2],
                             argv[3]);
    if (!StandIn.Start())
        return 1;
    std::string Pending;
    QSocketNotifier Input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&Input, &QSocketNotifier::activated, [&] {
        char Bytes[512];
        const ssize_t Got = ::read(STDIN_FILENO, Bytes, sizeof(Bytes));
        if (Got <= 0) {
            QCoreApplication::exit(0); // whoever drove it has gone
            Input.setEnabled(false);
            return;
        }
        Pending.append(Bytes, static_cast<std::size_t>(Got));
        for (auto End = Pending.find('\n'); End != std::string::npos; End = Pending.find('\n')) {
            const std::string Line = Pending.substr(0, End);
            Pending.erase(0, End + 1);
            StandIn.Input(Line);
        }
    });
    return App.exec();
}
