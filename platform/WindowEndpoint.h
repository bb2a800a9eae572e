#pragma once

#include "platform/MessageEndpoint.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// A window as other processes know it: 0 is no window, 0xFFFFFFFF is never a handle either.
using TWindowHandle = std::uint32_t;

// The title request: wParam is the longest title wanted; the answer is the title's length
// followed by that many Windows-1252 bytes.
inline constexpr std::uint32_t GetTextMessage = 0x000D;

// The per-user folder that holds one socket per window taking part (0700). KORVID_WINDOW_FOLDER
// or a TScopedWindowFolder replaces it, so that parallel runs never see each other's windows.
QString WindowFolder();

class TScopedWindowFolder {
public:
    explicit TScopedWindowFolder(QString Folder);
    ~TScopedWindowFolder();
    TScopedWindowFolder(const TScopedWindowFolder&) = delete;
    TScopedWindowFolder& operator=(const TScopedWindowFolder&) = delete;

private:
    QString FPrevious;
};

// A window that other processes find by its class and send messages to. Messages are served on
// the thread that made the endpoint: from the event loop when idle, and in place while this
// process waits in SendWindowMessage.
class TWindowEndpoint {
public:
    TWindowEndpoint(std::string ClassName, std::string Title = {});
    ~TWindowEndpoint();
    TWindowEndpoint(const TWindowEndpoint&) = delete;
    TWindowEndpoint& operator=(const TWindowEndpoint&) = delete;

    // Makes the socket under a fresh handle; false when it cannot (the folder, a path too long).
    bool Listen();
    bool IsListening() const { return FListenFd >= 0; }
    TWindowHandle Handle() const { return FHandle; }
    const std::string& ClassName() const { return FClassName; }
    // Windows-1252 text.
    void SetTitle(std::string Title) { FTitle = std::move(Title); }
    const std::string& Title() const { return FTitle; }

    // Answers every message but the title request; 0 when unset.
    TEndpointHandler OnMessage;

    // Serves what is waiting at Fd when it belongs to this endpoint; false when it does not.
    bool ServeFd(int Fd);
    // The descriptors that may be served now (not those whose message is being handled).
    void CollectFds(std::vector<int>& Fds) const;

private:
    struct TPeer;
    void Accept();
    void ServePeer(TPeer& Peer);
    std::int32_t Dispatch(const TEndpointMessage& Message, std::string& Text);
    void DropClosedPeers();

    std::string FClassName;
    std::string FTitle;
    TWindowHandle FHandle = 0;
    QString FPath;
    int FListenFd = -1;
    struct TNotifier;
    std::unique_ptr<TNotifier> FNotifier;
    std::vector<std::unique_ptr<TPeer>> FPeers;
};

// The live windows of a class; sockets that nobody answers are dropped (and removed).
std::vector<TWindowHandle> FindWindows(std::string_view ClassName);
// False when the window's socket is gone or nobody answers it.
bool WindowExists(TWindowHandle Window);

// Sends a message and waits for its answer as a window message does: meanwhile this process
// serves the messages that reach its own endpoints, and nothing else. Nothing when the window
// is gone, went away before answering, or gave no answer within Limit (time spent serving
// messages here does not count).
std::optional<std::int32_t> SendWindowMessage(TWindowHandle Window, const TEndpointMessage& Message,
                                              std::optional<std::chrono::milliseconds> Limit = {});
// The window's title, at most MaxLength bytes; nothing when the window is gone.
std::optional<std::string> WindowTitle(TWindowHandle Window, int MaxLength = 255,
                                       std::optional<std::chrono::milliseconds> Limit = {});

// Serves messages that reach this process's endpoints for up to Wait, without an event loop.
void ServeWindowMessages(std::chrono::milliseconds Wait);

} // namespace korvid
