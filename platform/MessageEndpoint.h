#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>

class QLocalServer;
class QLocalSocket;

namespace korvid {

// A message between our own processes, as window messages carry them.
struct TEndpointMessage {
    std::uint32_t Message = 0;
    std::uint64_t WParam = 0;
    std::int64_t LParam = 0;
};

using TEndpointHandler = std::function<std::int32_t(const TEndpointMessage&)>;

// A message on the wire: 4 + 8 + 8 bytes, little-endian; its answer is an int32.
inline constexpr int EndpointFrameSize = 4 + 8 + 8;
QByteArray EncodeEndpointFrame(const TEndpointMessage& Message);
// Reads EndpointFrameSize bytes.
TEndpointMessage DecodeEndpointFrame(const char* Bytes);

// The per-user socket of the running instance (in the user's runtime folder, which only the
// user may enter).
QString DefaultEndpointPath();

// The receiving end: one per running instance. Messages are handled on the thread that owns
// the endpoint (the GUI thread), one at a time, and each is answered with the handler's result.
// A handler may run a nested event loop (a modal dialog); the peer may go away meanwhile.
class TMessageEndpoint : public QObject {
    Q_OBJECT
public:
    explicit TMessageEndpoint(QString Path = DefaultEndpointPath(), QObject* Parent = nullptr);
    ~TMessageEndpoint() override;

    // Starts listening unless another live instance owns the path; a socket left behind by an
    // instance that died is taken over.
    bool Listen();
    bool IsListening() const;
    const QString& Path() const { return FPath; }

    TEndpointHandler OnMessage;

private:
    void AcceptConnections();
    void ReadFrom(QLocalSocket* Socket);
    void Disconnected(QLocalSocket* Socket);

    QString FPath;
    std::unique_ptr<QLocalServer> FServer;
    // Sockets whose message is being handled: they are deleted only once the handler returns.
    std::set<QLocalSocket*> FDispatching;
};

// The per-user lock whose holder is the running instance, beside its endpoint.
QString DefaultInstanceLockPath();

// The single-instance place: an exclusive lock on a file, held until the object goes or the
// process ends (however it ends). Not inherited by programs this one starts.
class TInstanceLock {
public:
    explicit TInstanceLock(QString Path = DefaultInstanceLockPath());
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Takes the lock unless another process holds it; never waits.
    bool TryClaim();
    bool Held() const { return FHeld; }
    // False when the lock file cannot be made at all (then nobody can hold it).
    bool Usable() const { return FFd >= 0; }

private:
    QString FPath;
    int FFd = -1;
    bool FHeld = false;
};

// True when a live instance listens at Path.
bool EndpointIsAlive(const QString& Path = DefaultEndpointPath());

// Sends one message and waits for the answer for as long as the receiver is alive (it may ask
// the user questions first). Nothing when no instance listens or it went away before answering.
std::optional<std::int32_t> SendEndpointMessage(const TEndpointMessage& Message,
                                                const QString& Path = DefaultEndpointPath());

} // namespace korvid
