#include "platform/MessageEndpoint.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>
#include <array>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace korvid {
namespace {

class MessageEndpointTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    QString Path = QString::fromStdString((Dir / "endpoint").string());

    // Sends from another thread while this one serves the endpoint's events.
    std::optional<std::int32_t> SendServed(const TEndpointMessage& Message) {
        std::optional<std::int32_t> Answer;
        std::atomic<bool> Done = false;
        std::thread Sender([&] {
            Answer = SendEndpointMessage(Message, Path);
            Done = true;
        });
        QElapsedTimer Clock;
        Clock.start();
        while (!Done && Clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        Sender.join();
        return Answer;
    }
};

TEST_F(MessageEndpointTest, MessagesReachTheHandlerAndItsAnswerComesBack) {
    TMessageEndpoint Endpoint(Path);
    ASSERT_TRUE(Endpoint.Listen());
    TEndpointMessage Seen;
    Endpoint.OnMessage = [&](const TEndpointMessage& Message) {
        Seen = Message;
        return 42;
    };
    EXPECT_EQ(SendServed({0x8001, 0x1234567890ull, -3}), 42);
    EXPECT_EQ(Seen.Message, 0x8001u);
    EXPECT_EQ(Seen.WParam, 0x1234567890ull);
    EXPECT_EQ(Seen.LParam, -3);
}

TEST_F(MessageEndpointTest, OnlyOneInstanceListens) {
    TMessageEndpoint First(Path);
    ASSERT_TRUE(First.Listen());
    EXPECT_TRUE(EndpointIsAlive(Path));
    TMessageEndpoint Second(Path);
    EXPECT_FALSE(Second.Listen());
}

TEST_F(MessageEndpointTest, NobodyListeningMeansNoAnswer) {
    EXPECT_FALSE(EndpointIsAlive(Path));
    EXPECT_EQ(SendEndpointMessage({1, 0, 0}, Path), std::nullopt);
}

TEST_F(MessageEndpointTest, ASocketLeftByADeadInstanceIsTakenOver) {
    // A bound socket nobody listens on is what a crashed instance leaves behind.
    const int Fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(Fd, 0);
    sockaddr_un Address{};
    Address.sun_family = AF_UNIX;
    const std::string File = Path.toStdString();
    std::strncpy(Address.sun_path, File.c_str(), sizeof(Address.sun_path) - 1);
    ASSERT_EQ(::bind(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)), 0);
    ::close(Fd);
    ASSERT_TRUE(std::filesystem::exists(File));

    TMessageEndpoint Endpoint(Path);
    ASSERT_TRUE(Endpoint.Listen());
    Endpoint.OnMessage = [](const TEndpointMessage&) { return 7; };
    EXPECT_EQ(SendServed({2, 0, 0}), 7);
}

// A handler that runs a nested event loop (a modal dialog) while its peer goes away.
TEST_F(MessageEndpointTest, APeerThatGoesAwayDuringANestedLoopLeavesTheEndpointWorking) {
    TMessageEndpoint Endpoint(Path);
    ASSERT_TRUE(Endpoint.Listen());
    std::atomic<bool> PeerGone = false;
    Endpoint.OnMessage = [&](const TEndpointMessage& Message) {
        if (Message.Message != 1)
            return 42;
        // Runs until the peer has gone and its disconnection has been seen by this loop.
        QEventLoop Nested;
        QTimer Poll;
        int TurnsAfterGone = 0;
        QObject::connect(&Poll, &QTimer::timeout, &Nested, [&] {
            if (PeerGone && ++TurnsAfterGone > 10)
                Nested.quit();
        });
        Poll.start(5);
        Nested.exec();
        return 7;
    };
    std::thread Peer([&] {
        QLocalSocket Socket;
        Socket.connectToServer(Path);
        if (Socket.waitForConnected(2000)) {
            std::array<uchar, 20> Frame{};
            qToLittleEndian<quint32>(1, Frame.data());
            Socket.write(reinterpret_cast<const char*>(Frame.data()), Frame.size());
            Socket.waitForBytesWritten(2000);
        }
        Socket.abort();
        PeerGone = true;
    });
    QElapsedTimer Clock;
    Clock.start();
    while (!PeerGone && Clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    Peer.join();
    // Let the endpoint finish with the vanished peer before asking again.
    for (int Turn = 0; Turn < 20; ++Turn)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SendServed({2, 0, 0}), 42);
}

} // namespace
} // namespace korvid
