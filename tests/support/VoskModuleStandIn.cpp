// A stand-in for a Vosk module under debugging, for tests and benchmarks only.
// Arguments: the window title, a log file and a scenario file of "key=value" lines:
//   query=0|ffffffff|1            the answer to the query message (1: the title is valid)
//   connect=ok|refuse|wrong|nobuffer
//   reply-length=N                commands other than 1 and 2 fill the buffer and answer N
// Without reply-length the stand-in keeps a breakpoint set (3/0, 3/1, 3/2, 3/5, 3/6, 10/0,
// 10/1) that command 4 lists, and answers the other commands from these lines:
//   refuse SEG P O=text           3/1 and 3/2 at that location answer with the error text
//   refuse-step=text              3/3 and 3/4 answer with the error text
//   offline=SEG,SEG               segments whose breakpoints 10/1 deletes
//   heap=text, stack=text         command 6's "h=" and "s="
//   stack-lines=line|line         the stack lines of commands 7 and 8
//   value C S REQUEST => text     the value command C/S whose request, escaped as in the log,
//                                 is REQUEST answers text; repeated, the answers come in turn
//                                 and the last one stays
//   resume=N                      command 5's answer (else 1)
//   stop-on-set=MS                MS milliseconds after a breakpoint is set (3/1), the module
//                                 stops there
//   stop-during=N S P O           the first command N is answered only after a stop at S P O
//   fail=KIND N[/S] [K]           the K-th (else first) command N (of sub-code S) is never
//                                 answered: the module vanishes (ends at once), hangs (for
//                                 ever), or answers garbage (a broken answer, and lives on)
// Lines on standard input: "stop s p o", "stop-watch line|line...", "disconnect", "hang", "quit",
// and "fail ..." or "stop-during ..." as in the scenario, counted from then on (logged "armed").
#include "platform/Cp1252.h"
#include "platform/SharedMemory.h"
#include "platform/WindowEndpoint.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

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
        for (std::string Line; std::getline(Scenario, Line);) {
            if (const auto Arrow = Line.find(" => ");
                Line.starts_with("value ") && Arrow != std::string::npos)
                FValues[Line.substr(6, Arrow - 6)].push_back(Line.substr(Arrow + 4));
            else if (const auto Equals = Line.find('='); Equals != std::string::npos)
                FScenario[Line.substr(0, Equals)] = Line.substr(Equals + 1);
        }
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
            StopAt(S, P, O);
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
            Hang();
        } else if (Verb == "fail" || Verb == "stop-during") {
            std::string Rest;
            std::getline(Words >> std::ws, Rest);
            FScenario[Verb] = Rest;
            FFailCount = 0;
            FStoppedDuring = false;
            Log("armed " + Verb);
        } else if (Verb == "quit") {
            Log("quit");
            QCoreApplication::exit(0);
        }
    }

private:
    [[noreturn]] static void Hang() {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }

    // Whether this command is the one the scenario fails; a vanishing or hanging module never
    // comes back from here.
    bool Fails(int Number, int SubCode) {
        std::istringstream Words(Setting("fail"));
        std::string Kind, Command;
        int Nth = 1;
        if (!(Words >> Kind >> Command))
            return false;
        Words >> Nth;
        const auto Slash = Command.find('/');
        if (std::stoi(Command.substr(0, Slash)) != Number ||
            (Slash != std::string::npos && std::stoi(Command.substr(Slash + 1)) != SubCode) ||
            ++FFailCount != Nth)
            return false;
        Log("fail " + Kind);
        if (Kind == "vanish") {
            // Ended at once; only its buffer's name goes, so that no test leaves it behind.
            ::shm_unlink(SharedMemoryName("VoskDebuggingBuffer").c_str());
            ::_exit(0);
        }
        if (Kind == "hang")
            Hang();
        BreakAnswers();
        return true;
    }

    // Writes half an answer on every connection that waits for one and closes it, so that the
    // answer the endpoint writes next never arrives.
    static void BreakAnswers() {
        for (int Fd = 3; Fd < 1024; ++Fd) {
            struct stat Info {};
            int Listening = 0;
            socklen_t Size = sizeof(Listening);
            if (::fstat(Fd, &Info) != 0 || !S_ISSOCK(Info.st_mode) ||
                ::getsockopt(Fd, SOL_SOCKET, SO_ACCEPTCONN, &Listening, &Size) != 0 || Listening)
                continue;
            [[maybe_unused]] const ssize_t Sent = ::send(Fd, "\x7f", 1, MSG_NOSIGNAL);
            ::shutdown(Fd, SHUT_RDWR);
        }
    }

    void StopAt(const std::string& S, const std::string& P, const std::string& O) {
        Notify(StoppedMessage, 0, "s=" + S + "\r\np=" + P + "\r\no=" + O);
    }

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
            StopDuring(Number);
            if (Fails(Number, SubCode))
                return 0;
            Write(Connect == "wrong" ? std::string_view("\x05Hellx")
                                     : std::string_view("\x05Hello"));
            return 1;
        }
        // The request is read whole before anything is written over it.
        const std::string Text = Request(LParam);
        Log(Head + " request=" + Escaped(Text));
        StopDuring(Number);
        if (Fails(Number, SubCode))
            return 0;
        // The editor's window is kept past command 2, so that a late notice can be sent.
        if (Number == 2)
            return 0;
        const std::string Length = Setting("reply-length");
        if (Length.empty())
            return Answer(Number, SubCode, Text);
        const long Reply = std::stol(Length);
        Write(std::string(BufferSize, 'r'));
        return static_cast<std::int32_t>(Reply);
    }

    struct TBreakpoint {
        std::string Segment, Proc, Offset;
        bool Disabled = false;
    };

    static std::map<std::string, std::string> Keys(const std::string& Text) {
        std::map<std::string, std::string> Values;
        std::istringstream Lines(Text);
        for (std::string Line; std::getline(Lines, Line);) {
            if (!Line.empty() && Line.back() == '\r')
                Line.pop_back();
            if (const auto Equals = Line.find('='); Equals != std::string::npos)
                Values.try_emplace(Line.substr(0, Equals), Line.substr(Equals + 1));
        }
        return Values;
    }

    std::int32_t Reply(const std::string& Text) {
        Write(Text);
        return static_cast<std::int32_t>(Text.size());
    }

    std::int32_t Answer(int Number, int SubCode, const std::string& Text) {
        switch (Number) {
        case 3:
            return Breakpoint(SubCode, Keys(Text));
        case 4:
            return Reply(BreakpointList());
        case 5:
            return Setting("resume").empty() ? 1 : std::stoi(Setting("resume"));
        case 20:
            return 1;
        case 6:
            return Reply("h=" + Setting("heap") + "\r\ns=" + Setting("stack") + "\r\n");
        case 7:
        case 8: {
            std::string Lines = Setting("stack-lines");
            std::replace(Lines.begin(), Lines.end(), '|', '\n');
            std::string Stack;
            std::istringstream Frames(Lines);
            for (std::string Frame; std::getline(Frames, Frame);)
                Stack += Frame + "\r\n";
            return Reply(Stack);
        }
        case 9: {
            std::string Memory(BufferSize, '\0');
            for (std::size_t Word = 0; Word < BufferSize / 2; ++Word) {
                Memory[2 * Word] = static_cast<char>(Word & 0xFF);
                Memory[2 * Word + 1] = static_cast<char>(Word >> 8);
            }
            Write(Memory);
            return 1;
        }
        case 10:
            std::erase_if(FBreakpoints, [&](const TBreakpoint& Point) {
                return SubCode == 0 || IsOffline(Point.Segment);
            });
            return 0;
        default: {
            const auto Found = FValues.find(std::to_string(Number) + " " + std::to_string(SubCode) +
                                            " " + Escaped(Text));
            if (Found == FValues.end() || Found->second.empty())
                return 0;
            const std::string Value = Found->second.front();
            if (Found->second.size() > 1)
                Found->second.erase(Found->second.begin());
            return Reply(Value);
        }
        }
    }

    // The editor is waiting for this command's answer when the stop reaches it.
    void StopDuring(int Number) {
        std::istringstream Words(Setting("stop-during"));
        int Command = 0;
        std::string S, P, O;
        if (FStoppedDuring || !(Words >> Command >> S >> P >> O) || Command != Number)
            return;
        FStoppedDuring = true;
        StopAt(S, P, O);
    }

    bool IsOffline(const std::string& Segment) const {
        std::istringstream Names(Setting("offline"));
        for (std::string Name; std::getline(Names, Name, ',');)
            if (Name == Segment)
                return true;
        return false;
    }

    std::int32_t Breakpoint(int SubCode, std::map<std::string, std::string> Keys) {
        if (SubCode == 3 || SubCode == 4) {
            const std::string Refusal = Setting("refuse-step");
            return Refusal.empty() ? 0 : Reply(Refusal);
        }
        const TBreakpoint Place{Keys["s"], Keys["p"], Keys["o"]};
        const auto Found =
            std::find_if(FBreakpoints.begin(), FBreakpoints.end(), [&](const auto& Point) {
                return Point.Segment == Place.Segment && Point.Proc == Place.Proc &&
                       Point.Offset == Place.Offset;
            });
        switch (SubCode) {
        case 0:
            if (Found != FBreakpoints.end())
                FBreakpoints.erase(Found);
            return 0;
        case 1:
        case 2: {
            const std::string Refusal =
                Setting("refuse " + Place.Segment + " " + Place.Proc + " " + Place.Offset);
            if (!Refusal.empty())
                return Reply(Refusal);
            if (Found == FBreakpoints.end())
                FBreakpoints.push_back(Place);
            if (const std::string Delay = Setting("stop-on-set"); SubCode == 1 && !Delay.empty())
                QTimer::singleShot(std::stoi(Delay), [this, Place] {
                    StopAt(Place.Segment, Place.Proc, Place.Offset);
                });
            return 0;
        }
        case 5:
        case 6:
            if (Found != FBreakpoints.end())
                Found->Disabled = SubCode == 6;
            return 0;
        default:
            return 0;
        }
    }

    std::string BreakpointList() const {
        std::string List = "n=" + std::to_string(FBreakpoints.size()) + "\r\n";
        for (std::size_t Index = 0; Index < FBreakpoints.size(); ++Index) {
            const TBreakpoint& Point = FBreakpoints[Index];
            const std::string I = std::to_string(Index + 1);
            List += "s" + I + "=" + Point.Segment + "\r\np" + I + "=" + Point.Proc + "\r\no" + I +
                    "=" + Point.Offset + "\r\nd" + I + "=" + (Point.Disabled ? "1" : "0") + "\r\n";
        }
        return List;
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
    std::map<std::string, std::vector<std::string>> FValues;
    bool FStoppedDuring = false;
    int FFailCount = 0;
    std::vector<TBreakpoint> FBreakpoints;
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
