#include "devtools/debugger/ConnectToVoskForm.h"
#include "devtools/debugger/Debugger.h"
#include "tests/devtools/debugger/FakeDebuggerHost.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"

#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

namespace korvid {
namespace {

using test::TStandInProcess;

constexpr char NoModuleText[] = "Korvid was unable to find a Vosk module to connect to.";
constexpr char NotRespondingText[] =
    "The Vosk module is not responding. Check that it's not displaying an error message.";

class DebuggerLink : public ::testing::Test {
protected:
    DebuggerLink() {
        Host.MapFile = "WORK:MAP";
        Host.Files["WORK:MAP"] = {"|L2| P", Segment("P", "p.text"), Entry(4, "1:0 x")};
        Host.ListenFor(Debugger);
    }
    ~DebuggerLink() override { Host.Window.reset(); }

    std::unique_ptr<TStandInProcess> Module(const std::string& Title,
                                            const std::vector<std::string>& Scenario = {}) {
        auto Process = std::make_unique<TStandInProcess>(Dir.Path(), Title, Scenario);
        EXPECT_TRUE(Process->Started());
        return Process;
    }

    static int Count(const std::vector<std::string>& Lines, const std::string& Start) {
        return static_cast<int>(std::count_if(
            Lines.begin(), Lines.end(), [&](const auto& Line) { return Line.starts_with(Start); }));
    }

    test::TTempDir Dir;
    TScopedWindowFolder Folder{QString::fromStdString((Dir / "w").string())};
    TScopedSharedMemoryPrefix Prefix{"/korvid-dbg-" + std::to_string(::getpid()) + "-"};
    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};
};

TEST_F(DebuggerLink, WithoutAModuleItSaysSoAndStaysDisconnected) {
    TScriptedModals Modals;
    Modals.Press("OK");
    Debugger.ToggleConnection();
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Message->Caption, "Connect");
    EXPECT_EQ(Modals.Last().Message->Text, NoModuleText);
    EXPECT_FALSE(Debugger.IsConnected());
    EXPECT_EQ(Debugger.StatusText(), "");
}

TEST_F(DebuggerLink, OneModuleIsConnectedWithoutAskingAndTheSecondToggleDisconnects) {
    auto Solo = Module("Solo");
    TScriptedModals Modals;
    Debugger.ToggleConnection();
    EXPECT_TRUE(Modals.Shown().empty());
    ASSERT_TRUE(Debugger.IsConnected());
    EXPECT_EQ(Debugger.ModuleWindow(), Solo->Handle());
    EXPECT_TRUE(Debugger.MapLoaded());
    EXPECT_EQ(Debugger.StatusText(), "Running");
    // Connecting ends with the module's breakpoints.
    EXPECT_EQ(Solo->Frames(),
              (std::vector<std::string>{
                  "query", "command 1 0 lparam=" + std::to_string(Host.Window->Handle()),
                  "command 4 0 lparam=0 request="}));

    Debugger.ToggleConnection();
    EXPECT_FALSE(Debugger.IsConnected());
    EXPECT_FALSE(Debugger.MapLoaded());
    EXPECT_EQ(Solo->Frames().back(), "command 2 0 lparam=0 request=");
    EXPECT_EQ(Host.Controls.StatusText, "");
    EXPECT_EQ(Solo->Quit(), 0);
}

TEST_F(DebuggerLink, DisconnectKeepsTheWatchNamesAndEmptiesTheLists) {
    auto Solo = Module("Solo");
    Debugger.ToggleConnection();
    Debugger.Watches().Model->appendRow(new QStandardItem("Count"));
    Debugger.Breakpoints().Model->appendRow(new QStandardItem("begin+"));
    Debugger.ToggleConnection();
    EXPECT_EQ(Debugger.SavedWatches(), std::vector<std::string>{"Count"});
    EXPECT_EQ(Debugger.Watches().Model->rowCount(), 0);
    EXPECT_EQ(Debugger.Breakpoints().Model->rowCount(), 0);
}

TEST_F(DebuggerLink, SeveralModulesAreListedSortedAndCancelLeavesItDisconnected) {
    auto Zeta = Module("Zeta");
    auto Unknown = Module("Hidden", {"query=0"});
    auto Configuring = Module("Busy", {"query=ffffffff"});
    auto Alpha = Module("alpha");
    std::vector<std::string> Listed;
    bool EnabledAtFirst = true;
    bool EnabledOnClick = false;
    TScriptedModals Modals;
    Modals
        .Then(ActOn<TConnectToVoskForm>([&](TConnectToVoskForm& Form) {
            for (int Row = 0; Row < Form.WindowList->count(); ++Row)
                Listed.push_back(Form.WindowList->item(Row)->text().toStdString());
            EnabledAtFirst = Form.ConnectButton->isEnabled();
            Form.WindowList->setCurrentRow(3);
            EnabledOnClick = Form.ConnectButton->isEnabled();
        }))
        .Press("Cancel");
    Debugger.ToggleConnection();

    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "Connection");
    EXPECT_EQ(Listed,
              (std::vector<std::string>{"(Software Configuration)", "(Unknown)", "alpha", "Zeta"}));
    EXPECT_FALSE(EnabledAtFirst);
    EXPECT_TRUE(EnabledOnClick);
    EXPECT_EQ(Zeta->Frames(), (std::vector<std::string>{"query", "identify"}));
    EXPECT_EQ(Alpha->Frames(), std::vector<std::string>{"query"});
    EXPECT_FALSE(Debugger.IsConnected());
}

TEST_F(DebuggerLink, TheChosenModuleIsConnected) {
    auto First = Module("First");
    auto Second = Module("Second");
    TScriptedModals Modals;
    Modals
        .Then(ActOn<TConnectToVoskForm>(
            [](TConnectToVoskForm& Form) { Form.WindowList->setCurrentRow(1); }))
        .Press("Connect");
    Debugger.ToggleConnection();
    EXPECT_EQ(Debugger.ModuleWindow(), Second->Handle());
    EXPECT_EQ(Count(Second->Frames(), "command 1 0"), 1);
    EXPECT_EQ(Count(First->Frames(), "command 1"), 0);
}

TEST_F(DebuggerLink, ARefusingModuleIsNotResponding) {
    auto Refusing = Module("No", {"connect=refuse"});
    TScriptedModals Modals;
    Debugger.ToggleConnection();
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Message->Caption, "Connect");
    EXPECT_EQ(Modals.Last().Message->Text, NotRespondingText);
    EXPECT_FALSE(Debugger.IsConnected());
}

TEST_F(DebuggerLink, ABufferThatCannotBeUsedEndsTheConnection) {
    struct TCase {
        std::string Scenario;
        std::function<void(const std::string& Name)> Prepare;
        std::string Text;
        // Whether the system's reason follows; without a failed system call there is none.
        bool Reason = true;
    };
    const std::vector<TCase> Cases = {
        {"connect=wrong", nullptr, "Can't read test message from the shared memory buffer.", false},
        {"connect=nobuffer", nullptr, "Can't locate the shared memory buffer."},
        {"connect=nobuffer",
         [](const std::string& Name) {
             // Too short: touching it past its end would kill the editor.
             const int Fd = ::shm_open(Name.c_str(), O_RDWR | O_CREAT, 0600);
             ASSERT_EQ(::ftruncate(Fd, 6), 0);
             ::write(Fd, "\x05Hello", 6);
             ::close(Fd);
         },
         "Can't map the shared memory buffer into Korvid memory."},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        const std::string Name = SharedMemoryName(DebuggingBufferName);
        if (Case.Prepare)
            Case.Prepare(Name);
        auto Failing = Module("Failing", {Case.Scenario});
        TScriptedModals Modals;
        Debugger.ToggleConnection();
        ASSERT_EQ(Modals.Shown().size(), 1u);
        const std::string& Text = Modals.Last().Message->Text;
        EXPECT_EQ(Modals.Last().Message->Caption, "Connect");
        if (Case.Reason) {
            EXPECT_TRUE(Text.starts_with(Case.Text + ":\r")) << Text;
            EXPECT_GT(Text.size(), Case.Text.size() + 2);
        } else
            EXPECT_EQ(Text, Case.Text);
        EXPECT_FALSE(Debugger.IsConnected());
        EXPECT_EQ(Count(Failing->Frames(), "command 2"), 1);
        EXPECT_EQ(Failing->Quit(), 0);
        ::shm_unlink(Name.c_str());
    }
}

TEST_F(DebuggerLink, TheModulesDisconnectNoticeDisconnectsOnce) {
    auto Solo = Module("Solo");
    Debugger.ToggleConnection();
    ASSERT_TRUE(Debugger.IsConnected());
    Solo->Say("disconnect");
    ASSERT_TRUE(Solo->WaitForLog("disconnected"));
    EXPECT_FALSE(Debugger.IsConnected());
    auto Frames = Solo->Frames();
    EXPECT_EQ(std::vector<std::string>(Frames.end() - 2, Frames.end()),
              (std::vector<std::string>{"command 2 0 lparam=0 request=", "disconnected 0"}));

    // Again while disconnected: nothing is sent back.
    Solo->Say("disconnect");
    Solo->Say("quit");
    ASSERT_TRUE(Solo->WaitForLog("quit"));
    Frames = Solo->Frames();
    EXPECT_EQ(std::vector<std::string>(Frames.end() - 2, Frames.end()),
              (std::vector<std::string>{"disconnected 0", "quit"}));
    EXPECT_EQ(Count(Frames, "command 2"), 1);
}

TEST_F(DebuggerLink, AStopIsAnsweredAndItsReplyRead) {
    auto Solo = Module("Solo");
    Debugger.ToggleConnection();
    Solo->Say("stop P 1 0");
    ASSERT_TRUE(Solo->WaitForLog("stopped"));
    EXPECT_EQ(Solo->Frames().back(), "stopped 1");
    EXPECT_TRUE(Debugger.IsPaused());
    ASSERT_NE(Debugger.CurrentLocation(), nullptr);
    EXPECT_EQ(Debugger.CurrentLocation()->LineNumber, 4);
    EXPECT_EQ(Debugger.StatusText(), "Paused");
    EXPECT_EQ(Host.BroughtToFront, 1);
}

TEST_F(DebuggerLink, AStopWhileDisconnectedIsAnsweredAndIgnored) {
    auto Solo = Module("Solo");
    Debugger.ToggleConnection();
    Debugger.ToggleConnection();
    Solo->Say("stop P 1 0");
    ASSERT_TRUE(Solo->WaitForLog("stopped"));
    EXPECT_EQ(Solo->Frames().back(), "stopped 1");
    EXPECT_FALSE(Debugger.IsPaused());
    EXPECT_TRUE(Debugger.ReplyLines().empty());
    EXPECT_EQ(Host.BroughtToFront, 0);
}

TEST_F(DebuggerLink, ARequestLongerThanTheBufferIsNotSent) {
    auto Solo = Module("Solo");
    Debugger.ToggleConnection();
    TScriptedModals Modals;
    // With its line break the request is one byte too long.
    Debugger.RequestLines() = {std::string(DebuggingBufferSize - 1, 'x')};
    EXPECT_EQ(Debugger.SendRequest(3, 1), 0);
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Message->Text, "The request is too long for the shared memory buffer.");
    EXPECT_EQ(Count(Solo->Frames(), "command 3"), 0);

    Debugger.RequestLines() = {std::string(DebuggingBufferSize - 2, 'x')};
    Debugger.SendRequest(3, 1);
    EXPECT_EQ(Count(Solo->Frames(), "command 3 1 lparam=131072 request=xxx"), 1);
    EXPECT_EQ(Modals.Shown().size(), 1u);

    Debugger.RequestLines() = {"s=P", "p=1", "o=0"};
    Debugger.SendRequest(3, 1);
    EXPECT_EQ(Solo->Frames().back(), "command 3 1 lparam=15 request=s=P\\r\\np=1\\r\\no=0\\r\\n");
}

TEST_F(DebuggerLink, ReplyLengthsAreClippedToTheBuffer) {
    auto Long = Module("Long", {"reply-length=200000"});
    Debugger.ToggleConnection();
    const std::int32_t Length = Debugger.SendCommand(4, 0, 0);
    EXPECT_EQ(Length, 200000);
    EXPECT_EQ(Debugger.ReadErrorText(Length), std::string(DebuggingBufferSize, 'r'));
    Debugger.ReadReply(Length);
    EXPECT_EQ(Debugger.ReplyLines(),
              std::vector<std::string>{std::string(DebuggingBufferSize, 'r')});
    for (const std::int64_t Nothing : {0, -1, -200000}) {
        EXPECT_EQ(Debugger.ReadErrorText(Nothing), "");
        Debugger.ReadReply(Nothing);
        EXPECT_TRUE(Debugger.ReplyLines().empty());
    }
}

TEST_F(DebuggerLink, AModuleThatStopsAnsweringIsTakenForGone) {
    Debugger.SetAnswerLimit(std::chrono::milliseconds(200));
    auto Frozen = Module("Frozen");
    Debugger.ToggleConnection();
    ASSERT_TRUE(Debugger.IsConnected());
    Frozen->Say("hang");
    ASSERT_TRUE(Frozen->WaitForLog("hang"));
    TScriptedModals Modals;
    EXPECT_EQ(Debugger.SendCommand(4, 0, 0), 0);
    EXPECT_FALSE(Debugger.IsConnected());
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Message->Caption, "Connect");
    EXPECT_EQ(Modals.Last().Message->Text, "The module stopped answering.");
    // Later commands are not sent at all.
    EXPECT_EQ(Debugger.SendCommand(4, 0, 0), 0);
    EXPECT_EQ(Modals.Shown().size(), 1u);

    // A frozen module met at connect time has stopped answering too.
    Debugger.ToggleConnection();
    ASSERT_EQ(Modals.Shown().size(), 2u);
    EXPECT_EQ(Modals.Last().Message->Text, "The module stopped answering.");
    EXPECT_FALSE(Debugger.IsConnected());
}

TEST_F(DebuggerLink, AModuleThatEndedWithoutNoticeCountsAsDisconnected) {
    auto Solo = Module("Solo");
    Debugger.ToggleConnection();
    ASSERT_EQ(Solo->Quit(), 0);
    Solo.reset();
    TScriptedModals Modals;
    Modals.Press("OK");
    // The toggle connects again: the module is gone, so there is none to connect to.
    Debugger.ToggleConnection();
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Message->Text, NoModuleText);
    EXPECT_FALSE(Debugger.IsConnected());
}

TEST_F(DebuggerLink, TheControlsFollowTheState) {
    enum class TState { Nothing, NothingWithOption, MapOnly, Connected, Paused };
    struct TCase {
        TState State;
        TDebuggingControls Expected;
    };
    const std::string Unknown(UnknownHeapAndStackText);
    const std::vector<TCase> Cases = {
        {TState::Nothing, {clBtnShadow, false, false, false, false, false, clBtnFace, Unknown, ""}},
        {TState::NothingWithOption,
         {clBtnShadow, true, false, false, false, false, clBtnFace, Unknown, ""}},
        {TState::MapOnly, {clWindow, true, false, false, false, false, clBtnFace, Unknown, ""}},
        {TState::Connected,
         {clWindow, true, true, true, false, false, clBtnFace, Unknown, "Running"}},
        // The stand-in gives empty heap and stack texts.
        {TState::Paused,
         {clWindow, true, true, true, true, true, clYellow, "Heap:    Stack:", "Paused"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(static_cast<int>(Case.State));
        TFakeDebuggerHost Fresh;
        Fresh.MapFile = Host.MapFile;
        Fresh.Files = Host.Files;
        Fresh.DebuggerOption = Case.State == TState::NothingWithOption;
        TDebugger Subject(Fresh);
        Fresh.ListenFor(Subject);
        std::unique_ptr<TStandInProcess> Solo;
        switch (Case.State) {
        case TState::Nothing:
        case TState::NothingWithOption:
            Subject.UpdateDebuggingControls();
            break;
        case TState::MapOnly:
            Subject.LoadMapFile("WORK:MAP");
            break;
        case TState::Paused:
        case TState::Connected:
            Solo = Module("Solo");
            Subject.ToggleConnection();
            if (Case.State == TState::Paused) {
                Solo->Say("stop P 1 0");
                ASSERT_TRUE(Solo->WaitForLog("stopped"));
            }
            break;
        }
        EXPECT_EQ(Fresh.Controls, Case.Expected);
        for (TDebuggingList* List : {&Subject.Breakpoints(), &Subject.CallStack(),
                                     &Subject.Watches(), &Subject.Structure()})
            EXPECT_EQ(List->Colour, Case.Expected.ListColour);
        Fresh.Window.reset();
    }
}

} // namespace
} // namespace korvid
