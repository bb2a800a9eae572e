#include "platform/WindowEndpoint.h"
#include "platform/SharedMemory.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace korvid {
namespace {

constexpr char TestClass[] = "TTestWindow";

class WindowEndpointTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    TScopedWindowFolder Folder{QString::fromStdString((Dir / "windows").string())};
    TScopedSharedMemoryPrefix Prefix{"/korvid-test-" + std::to_string(::getpid()) + "-"};

    bool Contains(const std::vector<TWindowHandle>& Windows, TWindowHandle Window) {
        return std::find(Windows.begin(), Windows.end(), Window) != Windows.end();
    }

    // A socket that takes connections but never reads them: a frozen process.
    int FrozenWindow(const std::string& Name, bool Listening) {
        std::filesystem::create_directories(Dir / "windows");
        const int Fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un Address{};
        Address.sun_family = AF_UNIX;
        const std::string Path = (Dir / "windows" / Name).string();
        std::strncpy(Address.sun_path, Path.c_str(), sizeof(Address.sun_path) - 1);
        EXPECT_EQ(::bind(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)), 0);
        if (Listening) {
            EXPECT_EQ(::listen(Fd, 4), 0);
        }
        return Fd;
    }
};

TEST_F(WindowEndpointTest, WindowsInOneProcessAreFoundAnsweredAndTitled) {
    TWindowEndpoint Window(TestClass, "Caf\xe9 module");
    TWindowEndpoint Other("TOtherWindow");
    ASSERT_TRUE(Window.Listen());
    ASSERT_TRUE(Other.Listen());
    EXPECT_NE(Window.Handle(), 0u);
    EXPECT_NE(Window.Handle(), 0xFFFFFFFFu);
    EXPECT_NE(Window.Handle(), Other.Handle());
    TEndpointMessage Seen;
    Window.OnMessage = [&](const TEndpointMessage& Message) {
        Seen = Message;
        return -5;
    };

    EXPECT_EQ(FindWindows(TestClass), std::vector<TWindowHandle>{Window.Handle()});
    EXPECT_EQ(SendWindowMessage(Window.Handle(), {0x463, 0x10001, 1234567}), -5);
    EXPECT_EQ(Seen.Message, 0x463u);
    EXPECT_EQ(Seen.WParam, 0x10001u);
    EXPECT_EQ(Seen.LParam, 1234567);
    EXPECT_EQ(WindowTitle(Window.Handle()), "Caf\xe9 module");
    EXPECT_EQ(WindowTitle(Window.Handle(), 3), "Caf");
    EXPECT_EQ(WindowTitle(Other.Handle()), "");
    // No handler: answered 0.
    EXPECT_EQ(SendWindowMessage(Other.Handle(), {1, 0, 0}), 0);
}

TEST_F(WindowEndpointTest, AGoneWindowHasNoAnswer) {
    auto Window = std::make_unique<TWindowEndpoint>(TestClass);
    ASSERT_TRUE(Window->Listen());
    const TWindowHandle Handle = Window->Handle();
    Window.reset();
    EXPECT_FALSE(WindowExists(Handle));
    EXPECT_EQ(SendWindowMessage(Handle, {1, 0, 0}), std::nullopt);
    EXPECT_EQ(WindowTitle(Handle), std::nullopt);
    EXPECT_EQ(SendWindowMessage(0, {1, 0, 0}), std::nullopt);
}

TEST_F(WindowEndpointTest, EnumerationDropsSocketsNobodyAnswersAndIgnoresOtherFiles) {
    TWindowEndpoint Window(TestClass);
    ASSERT_TRUE(Window.Listen());
    ::close(FrozenWindow(std::string(TestClass) + "-0000abcd", false));
    std::ofstream((Dir / "windows" / "TTestWindow-notahandle").string()) << "x";

    EXPECT_EQ(FindWindows(TestClass), std::vector<TWindowHandle>{Window.Handle()});
    EXPECT_FALSE(std::filesystem::exists(Dir / "windows" / "TTestWindow-0000abcd"));
    EXPECT_TRUE(std::filesystem::exists(Dir / "windows" / "TTestWindow-notahandle"));
}

TEST_F(WindowEndpointTest, AnEndpointMadeLaterIsFoundToo) {
    EXPECT_TRUE(FindWindows(TestClass).empty());
    TWindowEndpoint Window(TestClass);
    ASSERT_TRUE(Window.Listen());
    EXPECT_TRUE(Contains(FindWindows(TestClass), Window.Handle()));
}

// A asks B, and B asks A something before answering: both complete, in place.
TEST_F(WindowEndpointTest, ANestedSendCompletesBoth) {
    TWindowEndpoint A(TestClass);
    TWindowEndpoint B(TestClass);
    ASSERT_TRUE(A.Listen());
    ASSERT_TRUE(B.Listen());
    std::optional<std::int32_t> BHeard;
    A.OnMessage = [&](const TEndpointMessage& Message) {
        if (Message.Message == 2)
            return 20;
        return *SendWindowMessage(B.Handle(), {3, 0, 0}) + 1;
    };
    B.OnMessage = [&](const TEndpointMessage&) {
        BHeard = SendWindowMessage(A.Handle(), {2, 0, 0});
        return 300;
    };
    EXPECT_EQ(SendWindowMessage(A.Handle(), {1, 0, 0}), 301);
    EXPECT_EQ(BHeard, 20);
}

TEST_F(WindowEndpointTest, ASendToAWindowThatNeverAnswersGivesUpAtItsLimit) {
    const int Fd = FrozenWindow(std::string(TestClass) + "-0000beef", true);
    ASSERT_TRUE(WindowExists(0xbeef));
    EXPECT_EQ(SendWindowMessage(0xbeef, {1, 0, 0}, std::chrono::milliseconds(100)), std::nullopt);
    EXPECT_EQ(WindowTitle(0xbeef, 255, std::chrono::milliseconds(100)), std::nullopt);
    ::close(Fd);
}

TEST_F(WindowEndpointTest, AFolderTooLongForASocketPathIsRefused) {
    const TScopedWindowFolder Long(QString::fromStdString((Dir / std::string(100, 'w')).string()));
    TWindowEndpoint Window(TestClass);
    EXPECT_FALSE(Window.Listen());
}

TEST_F(WindowEndpointTest, WindowsOfAnotherProcess) {
    test::TStandInProcess Module(Dir.Path(), "Module \xe9", {"query=ffffffff"});
    ASSERT_TRUE(Module.Started());
    const auto Windows = FindWindows("TDebuggingManagerForm");
    ASSERT_EQ(Windows, std::vector<TWindowHandle>{Module.Handle()});
    EXPECT_EQ(WindowTitle(Windows[0]), "Module \xe9");
    EXPECT_EQ(SendWindowMessage(Windows[0], {0x460, 0, 0}), static_cast<std::int32_t>(0xFFFFFFFFu));

    // The module calls back before answering: its disconnect notice reaches this process's
    // window, whose handler asks the module again before it answers.
    TWindowEndpoint Editor("TKorvidForm");
    ASSERT_TRUE(Editor.Listen());
    std::optional<std::int32_t> Nested;
    Editor.OnMessage = [&](const TEndpointMessage&) {
        Nested = SendWindowMessage(Windows[0], {0x463, 2, 0});
        return 0;
    };
    ASSERT_EQ(SendWindowMessage(Windows[0], {0x463, 1, Editor.Handle()}), 1);
    Module.Say("disconnect");
    ASSERT_TRUE(Module.WaitForLog("disconnected"));
    EXPECT_EQ(Nested, 0);
    EXPECT_EQ(Module.Frames().back(), "disconnected 0");
    EXPECT_EQ(Module.Quit(), 0);
}

TEST_F(WindowEndpointTest, SharedMemoryIsSharedWhenWholeAndRefusedWhenShort) {
    TSharedMemory Made;
    ASSERT_EQ(Made.Create(SharedMemoryName("Buffer"), 4096), TSharedMemory::TResult::Ok);
    std::memcpy(Made.Data(), "\x05Hello", 6);
    TSharedMemory Opened;
    ASSERT_EQ(Opened.Open(SharedMemoryName("Buffer"), 4096), TSharedMemory::TResult::Ok);
    EXPECT_EQ(std::string(Opened.Data(), 6), "\x05Hello");
    EXPECT_EQ(Opened.Open(SharedMemoryName("Buffer"), 4097), TSharedMemory::TResult::NotMapped);
    EXPECT_FALSE(Opened.IsMapped());

    EXPECT_EQ(Opened.Open(SharedMemoryName("Missing"), 16), TSharedMemory::TResult::NotFound);
    EXPECT_EQ(Opened.ErrorText(), std::strerror(ENOENT));

    // Made elsewhere, too short.
    const std::string Short = SharedMemoryName("Short");
    const int Fd = ::shm_open(Short.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(Fd, 0);
    ASSERT_EQ(::ftruncate(Fd, 100), 0);
    EXPECT_EQ(Opened.Open(Short, 131072), TSharedMemory::TResult::NotMapped);
    ::close(Fd);
    ::shm_unlink(Short.c_str());

    Made.Close();
    EXPECT_EQ(Opened.Open(SharedMemoryName("Buffer"), 4096), TSharedMemory::TResult::NotFound);
}

} // namespace
} // namespace korvid
