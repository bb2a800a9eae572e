#include "platform/WindowEndpoint.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace korvid {

namespace {

constexpr std::size_t FrameSize = EndpointFrameSize;
constexpr std::size_t AnswerSize = 4;
constexpr int HandleDigits = 8;

QString& FolderOverride() {
    static QString Folder;
    return Folder;
}

std::vector<TWindowEndpoint*>& LiveEndpoints() {
    static std::vector<TWindowEndpoint*> Endpoints;
    return Endpoints;
}

std::string HandleText(TWindowHandle Handle) {
    std::array<char, HandleDigits + 1> Text{};
    std::snprintf(Text.data(), Text.size(), "%08x", Handle);
    return Text.data();
}

// "<class>-<8 hex digits>" gives the class and the handle.
std::optional<std::pair<std::string, TWindowHandle>> ParseSocketName(const std::string& Name) {
    const auto Dash = Name.rfind('-');
    if (Dash == std::string::npos || Name.size() - Dash - 1 != HandleDigits)
        return std::nullopt;
    TWindowHandle Handle = 0;
    for (std::size_t I = Dash + 1; I < Name.size(); ++I) {
        const char C = Name[I];
        int Digit = 0;
        if (C >= '0' && C <= '9')
            Digit = C - '0';
        else if (C >= 'a' && C <= 'f')
            Digit = C - 'a' + 10;
        else
            return std::nullopt;
        Handle = Handle * 16 + static_cast<TWindowHandle>(Digit);
    }
    return std::make_pair(Name.substr(0, Dash), Handle);
}

std::vector<std::pair<std::string, TWindowHandle>>
SocketsInFolder(std::vector<std::string>* Paths = nullptr) {
    std::vector<std::pair<std::string, TWindowHandle>> Found;
    const QDir Folder(WindowFolder());
    for (const QString& Entry :
         Folder.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (auto Parsed = ParseSocketName(QFile::encodeName(Entry).toStdString())) {
            Found.push_back(std::move(*Parsed));
            if (Paths)
                Paths->push_back(QFile::encodeName(Folder.filePath(Entry)).toStdString());
        }
    }
    return Found;
}

std::optional<std::string> SocketPath(TWindowHandle Window) {
    if (Window == 0)
        return std::nullopt;
    std::vector<std::string> Paths;
    const auto Sockets = SocketsInFolder(&Paths);
    for (std::size_t I = 0; I < Sockets.size(); ++I)
        if (Sockets[I].second == Window)
            return Paths[I];
    return std::nullopt;
}

bool MakeAddress(const std::string& Path, sockaddr_un& Address) {
    Address = {};
    Address.sun_family = AF_UNIX;
    if (Path.size() >= sizeof(Address.sun_path))
        return false;
    std::memcpy(Address.sun_path, Path.c_str(), Path.size() + 1);
    return true;
}

// A connected socket, or -1; Refused tells that the socket exists but nobody listens.
int ConnectTo(const std::string& Path, bool* Refused = nullptr) {
    sockaddr_un Address;
    if (!MakeAddress(Path, Address))
        return -1;
    const int Fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Fd < 0)
        return -1;
    if (::connect(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) != 0) {
        if (Refused)
            *Refused = errno == ECONNREFUSED;
        ::close(Fd);
        return -1;
    }
    return Fd;
}

bool WriteAll(int Fd, const char* Data, std::size_t Size) {
    while (Size > 0) {
        const ssize_t Written = ::send(Fd, Data, Size, MSG_NOSIGNAL);
        if (Written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                pollfd Wait{Fd, POLLOUT, 0};
                ::poll(&Wait, 1, -1);
                continue;
            }
            return false;
        }
        Data += Written;
        Size -= static_cast<std::size_t>(Written);
    }
    return true;
}

void SetNonBlocking(int Fd) {
    ::fcntl(Fd, F_SETFL, ::fcntl(Fd, F_GETFL) | O_NONBLOCK);
}

// Serves the frame waiting at Fd, whichever endpoint of this process owns it.
void ServeLocalFd(int Fd) {
    // A copy: a handler may make or free endpoints.
    const std::vector<TWindowEndpoint*> Endpoints = LiveEndpoints();
    for (TWindowEndpoint* Endpoint : Endpoints)
        if (std::find(LiveEndpoints().begin(), LiveEndpoints().end(), Endpoint) !=
                LiveEndpoints().end() &&
            Endpoint->ServeFd(Fd))
            return;
}

std::vector<int> LocalFds() {
    std::vector<int> Fds;
    for (const TWindowEndpoint* Endpoint : LiveEndpoints())
        Endpoint->CollectFds(Fds);
    return Fds;
}

struct TAnswer {
    std::int32_t Result = 0;
    std::string Text;
};

std::optional<TAnswer> Exchange(TWindowHandle Window, const TEndpointMessage& Message,
                                std::optional<std::chrono::milliseconds> Limit) {
    const auto Path = SocketPath(Window);
    if (!Path)
        return std::nullopt;
    const int Fd = ConnectTo(*Path);
    if (Fd < 0)
        return std::nullopt;
    const QByteArray Frame = EncodeEndpointFrame(Message);
    if (!WriteAll(Fd, Frame.constData(), FrameSize)) {
        ::close(Fd);
        return std::nullopt;
    }
    SetNonBlocking(Fd);
    const bool WantsText = Message.Message == GetTextMessage;
    std::string Received;
    std::chrono::steady_clock::duration Waited{};
    std::optional<TAnswer> Answer;
    for (;;) {
        if (Received.size() >= AnswerSize) {
            const auto Result =
                qFromLittleEndian<qint32>(reinterpret_cast<const uchar*>(Received.data()));
            const std::size_t TextSize =
                WantsText ? static_cast<std::size_t>(std::max(0, Result)) : 0;
            if (Received.size() >= AnswerSize + TextSize) {
                Answer = TAnswer{Result, Received.substr(AnswerSize, TextSize)};
                break;
            }
        }
        std::vector<pollfd> Polled{{Fd, POLLIN, 0}};
        for (const int Local : LocalFds())
            Polled.push_back({Local, POLLIN, 0});
        int TimeoutMs = -1;
        if (Limit) {
            const auto Left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*Limit - Waited);
            if (Left.count() <= 0)
                break;
            TimeoutMs = static_cast<int>(Left.count());
        }
        const auto Start = std::chrono::steady_clock::now();
        const int Ready = ::poll(Polled.data(), Polled.size(), TimeoutMs);
        Waited += std::chrono::steady_clock::now() - Start;
        if (Ready < 0 && errno != EINTR)
            break;
        if (Ready <= 0)
            continue;
        if (Polled[0].revents != 0) {
            std::array<char, 4096> Buffer{};
            const ssize_t Got = ::recv(Fd, Buffer.data(), Buffer.size(), 0);
            if (Got == 0 || (Got < 0 && errno != EAGAIN && errno != EINTR))
                break; // the window went away without answering
            if (Got > 0)
                Received.append(Buffer.data(), static_cast<std::size_t>(Got));
        }
        for (std::size_t I = 1; I < Polled.size(); ++I)
            if (Polled[I].revents != 0)
                ServeLocalFd(Polled[I].fd);
    }
    ::close(Fd);
    return Answer;
}

TWindowHandle FreshHandle() {
    static std::mt19937 Random{std::random_device{}()};
    std::vector<TWindowHandle> Taken;
    for (const auto& Socket : SocketsInFolder())
        Taken.push_back(Socket.second);
    for (;;) {
        const TWindowHandle Handle = Random();
        if (Handle != 0 && Handle != 0xFFFFFFFFu &&
            std::find(Taken.begin(), Taken.end(), Handle) == Taken.end())
            return Handle;
    }
}

bool MakePrivateFolder(const QString& Folder) {
    const QByteArray Name = QFile::encodeName(Folder);
    if (!QDir().mkpath(Folder))
        return false;
    return ::chmod(Name.constData(), 0700) == 0;
}

} // namespace

QString WindowFolder() {
    if (!FolderOverride().isEmpty())
        return FolderOverride();
    const QByteArray FromEnvironment = qgetenv("KORVID_WINDOW_FOLDER");
    if (!FromEnvironment.isEmpty())
        return QFile::decodeName(FromEnvironment);
    QString Runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (Runtime.isEmpty())
        Runtime = QDir::tempPath();
    return Runtime + "/korvid-windows";
}

TScopedWindowFolder::TScopedWindowFolder(QString Folder) : FPrevious(FolderOverride()) {
    FolderOverride() = std::move(Folder);
}

TScopedWindowFolder::~TScopedWindowFolder() {
    FolderOverride() = FPrevious;
}

struct TWindowEndpoint::TPeer {
    int Fd = -1;
    std::string Pending;
    bool Busy = false;
    bool Closed = false;
    std::unique_ptr<QSocketNotifier> Notifier;
};

struct TWindowEndpoint::TNotifier {
    std::unique_ptr<QSocketNotifier> Listen;
};

TWindowEndpoint::TWindowEndpoint(std::string ClassName, std::string Title)
    : FClassName(std::move(ClassName)), FTitle(std::move(Title)),
      FNotifier(std::make_unique<TNotifier>()) {}

TWindowEndpoint::~TWindowEndpoint() {
    std::erase(LiveEndpoints(), this);
    FNotifier->Listen.reset();
    for (auto& Peer : FPeers) {
        Peer->Notifier.reset();
        ::close(Peer->Fd);
    }
    if (FListenFd >= 0) {
        ::close(FListenFd);
        ::unlink(QFile::encodeName(FPath).constData());
    }
}

bool TWindowEndpoint::Listen() {
    if (IsListening())
        return true;
    const QString Folder = WindowFolder();
    if (!MakePrivateFolder(Folder))
        return false;
    const TWindowHandle Handle = FreshHandle();
    const QString Path =
        Folder + "/" + QString::fromStdString(FClassName + "-" + HandleText(Handle));
    sockaddr_un Address;
    if (!MakeAddress(QFile::encodeName(Path).toStdString(), Address))
        return false;
    const int Fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (Fd < 0)
        return false;
    if (::bind(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) != 0 ||
        ::listen(Fd, SOMAXCONN) != 0) {
        ::close(Fd);
        return false;
    }
    FListenFd = Fd;
    FHandle = Handle;
    FPath = Path;
    LiveEndpoints().push_back(this);
    if (QCoreApplication::instance()) {
        FNotifier->Listen = std::make_unique<QSocketNotifier>(Fd, QSocketNotifier::Read);
        QObject::connect(FNotifier->Listen.get(), &QSocketNotifier::activated,
                         [this] { ServeFd(FListenFd); });
    }
    return true;
}

void TWindowEndpoint::CollectFds(std::vector<int>& Fds) const {
    if (FListenFd >= 0)
        Fds.push_back(FListenFd);
    for (const auto& Peer : FPeers)
        if (!Peer->Busy && !Peer->Closed)
            Fds.push_back(Peer->Fd);
}

bool TWindowEndpoint::ServeFd(int Fd) {
    if (Fd < 0)
        return false;
    if (Fd == FListenFd) {
        Accept();
        return true;
    }
    const auto Found = std::find_if(FPeers.begin(), FPeers.end(),
                                    [Fd](const auto& Peer) { return Peer->Fd == Fd; });
    if (Found == FPeers.end())
        return false;
    ServePeer(**Found);
    DropClosedPeers();
    return true;
}

void TWindowEndpoint::Accept() {
    for (;;) {
        const int Fd = ::accept4(FListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (Fd < 0)
            return;
        auto Peer = std::make_unique<TPeer>();
        Peer->Fd = Fd;
        if (QCoreApplication::instance()) {
            Peer->Notifier = std::make_unique<QSocketNotifier>(Fd, QSocketNotifier::Read);
            QObject::connect(Peer->Notifier.get(), &QSocketNotifier::activated,
                             [this, Fd] { ServeFd(Fd); });
        }
        FPeers.push_back(std::move(Peer));
    }
}

void TWindowEndpoint::ServePeer(TPeer& Peer) {
    if (Peer.Busy || Peer.Closed)
        return; // its message is being handled; the rest waits for the answer
    std::array<char, 256> Buffer{};
    for (;;) {
        const ssize_t Got = ::recv(Peer.Fd, Buffer.data(), Buffer.size(), 0);
        if (Got > 0) {
            Peer.Pending.append(Buffer.data(), static_cast<std::size_t>(Got));
            continue;
        }
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got == 0 || errno != EAGAIN)
            Peer.Closed = true;
        break;
    }
    while (Peer.Pending.size() >= FrameSize) {
        const TEndpointMessage Message = DecodeEndpointFrame(Peer.Pending.data());
        Peer.Pending.erase(0, FrameSize);
        // While the handler runs, its own loop must not see this socket again.
        Peer.Busy = true;
        if (Peer.Notifier)
            Peer.Notifier->setEnabled(false);
        std::string Text;
        const std::int32_t Result = Dispatch(Message, Text);
        Peer.Busy = false;
        if (Peer.Notifier)
            Peer.Notifier->setEnabled(true);
        std::array<uchar, AnswerSize> Bytes{};
        qToLittleEndian<qint32>(Result, Bytes.data());
        std::string Answer(reinterpret_cast<const char*>(Bytes.data()), AnswerSize);
        Answer += Text;
        if (!WriteAll(Peer.Fd, Answer.data(), Answer.size()))
            Peer.Closed = true;
    }
}

std::int32_t TWindowEndpoint::Dispatch(const TEndpointMessage& Message, std::string& Text) {
    if (Message.Message == GetTextMessage) {
        const auto Longest =
            static_cast<std::size_t>(std::min<std::uint64_t>(Message.WParam, 0x7FFFFFFF));
        Text = FTitle.substr(0, Longest);
        return static_cast<std::int32_t>(Text.size());
    }
    return OnMessage ? OnMessage(Message) : 0;
}

void TWindowEndpoint::DropClosedPeers() {
    std::erase_if(FPeers, [](const std::unique_ptr<TPeer>& Peer) {
        if (!Peer->Closed || Peer->Busy)
            return false;
        Peer->Notifier.reset();
        ::close(Peer->Fd);
        return true;
    });
}

std::vector<TWindowHandle> FindWindows(std::string_view ClassName) {
    std::vector<std::string> Paths;
    const auto Sockets = SocketsInFolder(&Paths);
    std::vector<TWindowHandle> Windows;
    for (std::size_t I = 0; I < Sockets.size(); ++I) {
        if (Sockets[I].first != ClassName)
            continue;
        bool Refused = false;
        const int Fd = ConnectTo(Paths[I], &Refused);
        if (Fd >= 0) {
            ::close(Fd);
            Windows.push_back(Sockets[I].second);
        } else if (Refused) {
            ::unlink(Paths[I].c_str()); // left by a process that died
        }
    }
    return Windows;
}

bool WindowExists(TWindowHandle Window) {
    const auto Path = SocketPath(Window);
    if (!Path)
        return false;
    const int Fd = ConnectTo(*Path);
    if (Fd < 0)
        return false;
    ::close(Fd);
    return true;
}

std::optional<std::int32_t> SendWindowMessage(TWindowHandle Window, const TEndpointMessage& Message,
                                              std::optional<std::chrono::milliseconds> Limit) {
    if (Message.Message == GetTextMessage)
        return std::nullopt; // its answer carries text: WindowTitle reads it
    const auto Answer = Exchange(Window, Message, Limit);
    if (!Answer)
        return std::nullopt;
    return Answer->Result;
}

std::optional<std::string> WindowTitle(TWindowHandle Window, int MaxLength,
                                       std::optional<std::chrono::milliseconds> Limit) {
    const auto Answer = Exchange(
        Window, {GetTextMessage, static_cast<std::uint64_t>(std::max(0, MaxLength)), 0}, Limit);
    if (!Answer)
        return std::nullopt;
    return Answer->Text;
}

void ServeWindowMessages(std::chrono::milliseconds Wait) {
    const auto End = std::chrono::steady_clock::now() + Wait;
    for (;;) {
        const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
            End - std::chrono::steady_clock::now());
        std::vector<pollfd> Polled;
        for (const int Fd : LocalFds())
            Polled.push_back({Fd, POLLIN, 0});
        if (Polled.empty() || Left.count() < 0)
            return;
        if (::poll(Polled.data(), Polled.size(), static_cast<int>(Left.count())) <= 0)
            return;
        for (const pollfd& Ready : Polled)
            if (Ready.revents != 0)
                ServeLocalFd(Ready.fd);
    }
}

} // namespace korvid
