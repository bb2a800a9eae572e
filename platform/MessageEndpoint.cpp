#include "platform/MessageEndpoint.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QtEndian>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace korvid {

namespace {

constexpr int FrameSize = EndpointFrameSize;
constexpr int AnswerSize = 4;
constexpr int ConnectTimeoutMs = 2000;
constexpr int PollMs = 500;

} // namespace

namespace {

QString RuntimeFolder() {
    QString Folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (Folder.isEmpty())
        Folder = QDir::tempPath();
    return Folder;
}

} // namespace

QByteArray EncodeEndpointFrame(const TEndpointMessage& Message) {
    std::array<uchar, FrameSize> Bytes{};
    qToLittleEndian<quint32>(Message.Message, Bytes.data());
    qToLittleEndian<quint64>(Message.WParam, Bytes.data() + 4);
    qToLittleEndian<qint64>(Message.LParam, Bytes.data() + 12);
    return {reinterpret_cast<const char*>(Bytes.data()), FrameSize};
}

TEndpointMessage DecodeEndpointFrame(const char* Data) {
    const auto* Bytes = reinterpret_cast<const uchar*>(Data);
    return {qFromLittleEndian<quint32>(Bytes), qFromLittleEndian<quint64>(Bytes + 4),
            qFromLittleEndian<qint64>(Bytes + 12)};
}

QString DefaultEndpointPath() {
    return RuntimeFolder() + "/korvid-instance";
}

QString DefaultInstanceLockPath() {
    return RuntimeFolder() + "/korvid-instance.lock";
}

TInstanceLock::TInstanceLock(QString Path) : FPath(std::move(Path)) {
    FFd = ::open(QFile::encodeName(FPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

TInstanceLock::~TInstanceLock() {
    if (FFd >= 0)
        ::close(FFd);
}

bool TInstanceLock::TryClaim() {
    if (!FHeld && FFd >= 0)
        FHeld = ::flock(FFd, LOCK_EX | LOCK_NB) == 0;
    return FHeld;
}

TMessageEndpoint::TMessageEndpoint(QString Path, QObject* Parent)
    : QObject(Parent), FPath(std::move(Path)) {}

TMessageEndpoint::~TMessageEndpoint() = default;

bool TMessageEndpoint::Listen() {
    if (IsListening())
        return true;
    if (EndpointIsAlive(FPath))
        return false;
    QLocalServer::removeServer(FPath); // a socket whose owner died
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FPath)) {
        FServer.reset();
        return false;
    }
    connect(FServer.get(), &QLocalServer::newConnection, this,
            &TMessageEndpoint::AcceptConnections);
    return true;
}

bool TMessageEndpoint::IsListening() const {
    return FServer && FServer->isListening();
}

void TMessageEndpoint::AcceptConnections() {
    while (QLocalSocket* Socket = FServer->nextPendingConnection()) {
        connect(Socket, &QLocalSocket::disconnected, this,
                [this, Socket] { Disconnected(Socket); });
        connect(Socket, &QLocalSocket::readyRead, this, [this, Socket] { ReadFrom(Socket); });
        ReadFrom(Socket);
    }
}

void TMessageEndpoint::Disconnected(QLocalSocket* Socket) {
    // A handler still holding the socket deletes it when it returns.
    if (!FDispatching.contains(Socket))
        Socket->deleteLater();
}

void TMessageEndpoint::ReadFrom(QLocalSocket* Socket) {
    // More bytes arriving while a handler runs a nested loop wait for it: the loop below reads
    // them once the handler returns, so answers keep the order of their requests.
    if (FDispatching.contains(Socket))
        return;
    FDispatching.insert(Socket);
    const QPointer<QLocalSocket> Guard(Socket);
    while (Guard && Guard->bytesAvailable() >= FrameSize) {
        const TEndpointMessage Message = DecodeEndpointFrame(Guard->read(FrameSize).constData());
        const std::int32_t Answer = OnMessage ? OnMessage(Message) : 0;
        if (!Guard || Guard->state() != QLocalSocket::ConnectedState)
            break; // the peer went away while the handler ran
        std::array<uchar, AnswerSize> Bytes{};
        qToLittleEndian<qint32>(Answer, Bytes.data());
        Guard->write(reinterpret_cast<const char*>(Bytes.data()), AnswerSize);
        Guard->flush();
    }
    FDispatching.erase(Socket);
    if (Guard && Guard->state() == QLocalSocket::UnconnectedState)
        Guard->deleteLater();
}

bool EndpointIsAlive(const QString& Path) {
    QLocalSocket Probe;
    Probe.connectToServer(Path);
    const bool Alive = Probe.waitForConnected(ConnectTimeoutMs);
    Probe.abort();
    return Alive;
}

std::optional<std::int32_t> SendEndpointMessage(const TEndpointMessage& Message,
                                                const QString& Path) {
    QLocalSocket Socket;
    Socket.connectToServer(Path);
    if (!Socket.waitForConnected(ConnectTimeoutMs))
        return std::nullopt;
    Socket.write(EncodeEndpointFrame(Message));
    if (!Socket.waitForBytesWritten(ConnectTimeoutMs))
        return std::nullopt;
    while (Socket.bytesAvailable() < AnswerSize) {
        if (Socket.state() != QLocalSocket::ConnectedState)
            return std::nullopt;
        Socket.waitForReadyRead(PollMs);
    }
    const QByteArray Answer = Socket.read(AnswerSize);
    return qFromLittleEndian<qint32>(reinterpret_cast<const uchar*>(Answer.constData()));
}

} // namespace korvid
