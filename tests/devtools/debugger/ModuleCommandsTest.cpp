#include "devtools/debugger/ModuleCommands.h"
#include "devtools/debugger/Debugger.h"
#include "tests/devtools/debugger/FakeDebuggerHost.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace korvid {

void PrintTo(const TBreakpointEntry& Entry, std::ostream* Out) {
    *Out << Entry.Segment << " " << Entry.Proc << ":" << Entry.Offset
         << (Entry.Disabled ? " disabled" : "");
}

void PrintTo(const TStackLine& Frame, std::ostream* Out) {
    *Out << Frame.Segment << " " << Frame.Proc << "." << Frame.Offset;
}

namespace {

// One command as the module received it.
struct TSent {
    std::uint64_t WParam = 0;
    std::int64_t LParam = 0;
    std::string Request;
};

// A module in the test's own process that records every command and answers each with Reply
// (its length, or Result when set).
class TRecordingModule {
public:
    TRecordingModule() {
        Buffer.Create(SharedMemoryName(DebuggingBufferName), DebuggingBufferSize);
        Window.OnMessage = [this](const TEndpointMessage& Message) { return Serve(Message); };
        Window.Listen();
    }

    TSharedMemory Buffer;
    TWindowEndpoint Window{ModuleWindowClass, "Recorder"};
    std::vector<TSent> Sent;
    std::string Reply;
    std::optional<std::int32_t> Result;

private:
    std::int32_t Serve(const TEndpointMessage& Message) {
        if (Message.Message != ModuleCommandMessage)
            return 0;
        if ((Message.WParam & 0xFFFF) == 1) {
            std::memcpy(Buffer.Data(), DebuggingTestString.data(), DebuggingTestString.size());
            return 1;
        }
        const auto Length = static_cast<std::size_t>(std::clamp<std::int64_t>(
            Message.LParam, 0, static_cast<std::int64_t>(DebuggingBufferSize)));
        Sent.push_back({Message.WParam, Message.LParam, std::string(Buffer.Data(), Length)});
        std::memcpy(Buffer.Data(), Reply.data(), Reply.size());
        return Result.value_or(static_cast<std::int32_t>(Reply.size()));
    }
};

// A map whose entities stand in every place a variable can have.
const std::vector<std::string> EntityMap = {
    "|L3| demo",        Segment("DEMO", "d.vp"),
    Entry(1, "1:0 a"),  "-",
    "DEMO # 1",         " zeta i 7",
    " acct r 9",        "  total i 3",
    "  list a4*1 2",    "   2 i 2",
    " ptr r 20 @",      "  f i 4",
    " label s8 50 @",   " amount n5,2 30",
    " main P 2",        "  n i 1",
    " cust F 2 m=Data", "  dbf D 0",
    "   qty i 5",       " orders t 3 m=Sales",
    "  price i 1",      " ext X 7",
    "  code i 2",       "-",
};

class CommandFixture : public ::testing::Test {
protected:
    CommandFixture() {
        Host.MapFile = "MAP";
        Host.Files["MAP"] = EntityMap;
        Host.ListenFor(Debugger);
    }
    ~CommandFixture() override { Host.Window.reset(); }

    // The entity at a dotted path of names below the unit.
    const TEntity& Find(const std::string& Path) const {
        const TEntity* Entity = Debugger.Map().Root->Children.at(0).get();
        std::istringstream Names(Path);
        for (std::string Name; std::getline(Names, Name, '.');) {
            const auto& Children = Entity->Children;
            const auto Found = std::find_if(Children.begin(), Children.end(),
                                            [&](const auto& Child) { return Child->Name == Name; });
            if (Found == Children.end())
                throw std::runtime_error("no " + Path);
            Entity = Found->get();
        }
        return *Entity;
    }

    test::TTempDir Dir;
    TScopedWindowFolder Folder{QString::fromStdString((Dir / "w").string())};
    TScopedSharedMemoryPrefix Prefix{"/korvid-cmd-" + std::to_string(::getpid()) + "-"};
    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};
};

class ModuleCommands : public CommandFixture {
protected:
    ModuleCommands() {
        Debugger.Connect(Module.Window.Handle());
        Module.Sent.clear();
    }
    ~ModuleCommands() override { Debugger.Disconnect(); }

    // The one command the action sent.
    TSent SentBy(const std::function<void()>& Action) {
        Module.Sent.clear();
        Action();
        EXPECT_EQ(Module.Sent.size(), 1u);
        return Module.Sent.empty() ? TSent{} : Module.Sent.back();
    }

    TRecordingModule Module;
};

struct TRow {
    std::string Name;
    std::function<void(TDebugger&)> Action;
    std::uint64_t WParam;
    std::string Request;
};

void ExpectSent(const std::vector<TRow>& Rows, const std::function<TSent(const TRow&)>& Run) {
    for (const TRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        const TSent Sent = Run(Row);
        EXPECT_EQ(Sent.WParam, Row.WParam);
        EXPECT_EQ(Sent.Request, Row.Request);
        // A request without keys travels with length 0.
        EXPECT_EQ(Sent.LParam, static_cast<std::int64_t>(Row.Request.size()));
    }
}

TEST_F(ModuleCommands, EveryCommandTravelsWithItsSubCodeAndKeys) {
    const std::vector<TRow> Rows = {
        {"delete", [](TDebugger& D) { D.SendLocation(lcDeleteBreakpoint, "SEG", 2, 14); },
         0x00000003, "s=SEG\r\np=2\r\no=14\r\n"},
        {"set", [](TDebugger& D) { D.SendLocation(lcSetBreakpoint, "SEG", 2, 14); }, 0x00010003,
         "s=SEG\r\np=2\r\no=14\r\n"},
        {"temporary", [](TDebugger& D) { D.SendLocation(lcSetTemporaryBreakpoint, "SEG", 2, 14); },
         0x00020003, "s=SEG\r\np=2\r\no=14\r\n"},
        {"enable", [](TDebugger& D) { D.SendLocation(lcEnableBreakpoint, "S", 0, 0); }, 0x00050003,
         "s=S\r\np=0\r\no=0\r\n"},
        {"disable", [](TDebugger& D) { D.SendLocation(lcDisableBreakpoint, "S", 1, 2); },
         0x00060003, "s=S\r\np=1\r\no=2\r\n"},
        {"return", [](TDebugger& D) { D.BreakOnReturn(); }, 0x00030003, ""},
        {"entry",
         [](TDebugger& D) {
             D.BreakOnEntry({"A", "B"});
         },
         0x00040003, "n=2\r\ns1=A\r\ns2=B\r\n"},
        {"list", [](TDebugger& D) { D.ListBreakpoints(); }, 4, ""},
        {"resume", [](TDebugger& D) { D.ResumeModule(0); }, 5, ""},
        {"abort", [](TDebugger& D) { D.ResumeModule(1); }, 0x00010005, ""},
        {"heap", [](TDebugger& D) { D.HeapAndStack(); }, 6, ""},
        {"pause", [](TDebugger& D) { D.PauseModule(); }, 7, ""},
        {"call stack", [](TDebugger& D) { D.ReadCallStack(); }, 8, ""},
        {"dump", [](TDebugger& D) { D.ReadMemory(); }, 9, ""},
        {"delete all", [](TDebugger& D) { D.Act(DeleteAllRequest(false)); }, 10, ""},
        {"delete offline", [](TDebugger& D) { D.Act(DeleteAllRequest(true)); }, 0x0001000A, ""},
        {"run until changed", [](TDebugger& D) { D.SendRunUntilChanged("zeta", "0x1234", 1); }, 20,
         "n=zeta\r\na=0x1234\r\nw=1\r\n"},
    };
    ExpectSent(Rows, [this](const TRow& Row) { return SentBy([&] { Row.Action(Debugger); }); });
}

TEST_F(ModuleCommands, TheTableViewerTakesItsScopeAndModalityFromTheOptions) {
    const std::tuple<int, bool, std::uint64_t, std::string> Cases[] = {
        {1, false, 0x00020013, ""},       {2, true, 0x00010013, "m=1\r\n"},
        {3, true, 0xFFFC0013, "m=1\r\n"}, {0, false, 0xFFFF0013, ""},
        {7, false, 0xFFFF0013, ""},
    };
    for (const auto& [Scope, Modal, WParam, Request] : Cases) {
        SCOPED_TRACE(Scope);
        Host.Options.TableViewerScope = Scope;
        Host.Options.TableViewerModal = Modal;
        const TSent Sent = SentBy([this] { Debugger.ShowTableViewer(); });
        EXPECT_EQ(Sent.WParam, WParam);
        EXPECT_EQ(Sent.Request, Request);
    }
}

TEST_F(ModuleCommands, EachVariableIsReadByTheCommandOfItsPlace) {
    const auto Value = [this](std::string Path, TValueMode Mode = vmValue) {
        return [this, Path, Mode](TDebugger& D) { D.ValueText(Find(Path), Mode); };
    };
    const std::vector<TRow> Rows = {
        {"global", Value("zeta"), 0x0001000B, "s=DEMO\r\no=7\r\nt=i\r\n"},
        {"address", Value("zeta", vmAddress), 0x0002000B, "s=DEMO\r\no=7\r\nt=i\r\n"},
        {"address in hex", Value("zeta", vmHexAddress), 0x0003000B, "s=DEMO\r\no=7\r\nt=i\r\n"},
        {"record field", Value("acct.total"), 0x0001000B, "s=DEMO\r\no=12\r\nt=i\r\n"},
        {"array element", Value("acct.list.2"), 0x0001000B, "s=DEMO\r\no=13\r\nt=i\r\n"},
        {"below an indirect record", Value("ptr.f"), 0x0001000B,
         "s=DEMO\r\no=20\r\ne=4\r\nt=i\r\na=1\r\n"},
        {"indirect itself", Value("label"), 0x0001000B, "s=DEMO\r\no=50\r\nt=s\r\na=1\r\n"},
        {"number", Value("amount"), 0x0001000B, "s=DEMO\r\no=30\r\nt=n\r\nx=5\r\ny=2\r\n"},
        {"local", Value("main.n"), 0x0001000C, "o=1\r\nt=i\r\n"},
        {"primary", Value("cust.dbf.qty"), 0x0001000D, "f=2\r\no=5\r\nt=i\r\n"},
        {"external", Value("ext.code"), 0x0001000E, "s=DEMO\r\nh=7\r\no=2\r\nt=i\r\n"},
        {"column", Value("orders.price"), 15, "n=orders\r\nm=Sales\r\no=1\r\nt=i\r\nr=0\r\n"},
        {"cursor", Value("orders.cursor"), 18, "n=orders\r\nm=Sales\r\n"},
        {"row count", Value("orders.rowcount"), 21, "n=orders\r\nm=Sales\r\n"},
        {"record number of a file", Value("cust.record"), 18, "n=???\r\nm=Data\r\n"},
        {"whole file record", Value("cust"), 0x00010010, "f=2\r\n"},
        {"whole handle record", Value("ext"), 0x00010011, "s=DEMO\r\nh=7\r\n"},
    };
    ExpectSent(Rows, [this](const TRow& Row) { return SentBy([&] { Row.Action(Debugger); }); });

    Host.Options.RowNumbers = true;
    const std::vector<TRow> WithRowNumbers = {
        {"global", Value("zeta"), 0x0001000B, "s=DEMO\r\no=7\r\nt=i\r\nk=1\r\n"},
        {"indirect", Value("ptr.f"), 0x0001000B, "s=DEMO\r\no=20\r\ne=4\r\nt=i\r\na=1\r\nk=1\r\n"},
        {"column", Value("orders.price"), 15,
         "n=orders\r\nm=Sales\r\nk=1\r\no=1\r\nt=i\r\nr=0\r\n"},
        {"cursor", Value("orders.cursor"), 18, "n=orders\r\nm=Sales\r\nk=1\r\n"},
        {"row count", Value("orders.rowcount"), 21, "n=orders\r\nm=Sales\r\nk=1\r\n"},
    };
    ExpectSent(WithRowNumbers,
               [this](const TRow& Row) { return SentBy([&] { Row.Action(Debugger); }); });
}

TEST_F(ModuleCommands, AStringArrayElementIsReadByTheArraysName) {
    TEntity Array;
    Array.WordOffset = 40;
    TEntity Element;
    Element.Name = "3";
    Element.Kind = 12;
    Element.Letter = 's';
    Element.Owner = &Array;
    Element.WordOffset = 6;
    const std::tuple<std::string, std::uint64_t, std::string> Cases[] = {
        {"$ARR", 0x0001000D, "o=46\r\nt=s\r\nf=0\r\n"},
        {":ARR", 0x0001000C, "o=46\r\nt=s\r\n"},
        {"ARR", 0x0001000B, "o=46\r\nt=s\r\ns=ARR\r\n"},
    };
    for (const auto& [Name, WParam, Request] : Cases) {
        SCOPED_TRACE(Name);
        Array.Name = Name;
        const TSent Sent = SentBy([&] { Debugger.StringElementValue(Element); });
        EXPECT_EQ(Sent.WParam, WParam);
        EXPECT_EQ(Sent.Request, Request);
    }
}

TEST_F(ModuleCommands, RepliesAreReadAsTheirCommandsSay) {
    Module.Reply = "n=1\r\ns1=SEG\r\np1=2\r\no1=14\r\nd1=1\r\n";
    EXPECT_EQ(Debugger.ListBreakpoints(), (std::vector<TBreakpointEntry>{{"SEG", 2, 14, true}}));
    Module.Reply = "n=0\r\n";
    EXPECT_TRUE(Debugger.ListBreakpoints().empty());

    Module.Reply = "h=1200 words\r\ns=300\r\n";
    const auto HeapStack = Debugger.HeapAndStack();
    ASSERT_TRUE(HeapStack);
    EXPECT_EQ(HeapStack->Heap, "1200 words");
    EXPECT_EQ(HeapStack->Stack, "300");

    Module.Reply = "ABCDE    2.14\r\nMAIN     1.0\r\n";
    const std::vector<TStackLine> Frames = {{"ABCDE", 2, 14}, {"MAIN", 1, 0}};
    EXPECT_EQ(Debugger.ReadCallStack(), Frames);
    EXPECT_EQ(Debugger.PauseModule(), Frames);

    // A value is one text, line breaks and all.
    Module.Reply = "first\r\nsecond";
    EXPECT_EQ(Debugger.ValueText(Find("zeta"), vmValue), "first\r\nsecond");
    Module.Reply.clear();
    EXPECT_EQ(Debugger.ValueText(Find("zeta"), vmValue), "");

    Module.Result = 1;
    EXPECT_TRUE(Debugger.ResumeModule(0));
    EXPECT_TRUE(Debugger.SendRunUntilChanged("zeta", "7", 1));
    Module.Result = 0;
    EXPECT_FALSE(Debugger.ResumeModule(0));
    EXPECT_FALSE(Debugger.SendRunUntilChanged("zeta", "7", 1));
}

TEST_F(ModuleCommands, ActionsGiveTheModulesErrorText) {
    Module.Reply = "No code there";
    EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, "SEG", 2, 14), "No code there");
    EXPECT_EQ(Debugger.BreakOnReturn(), "No code there");
    Module.Result = 0;
    EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, "SEG", 2, 14), "");
}

TEST_F(ModuleCommands, QueriesWithoutAReplyLeaveNothingToRead) {
    Module.Result = 0;
    EXPECT_TRUE(Debugger.ListBreakpoints().empty());
    EXPECT_FALSE(Debugger.HeapAndStack());
    EXPECT_FALSE(Debugger.PauseModule());
    EXPECT_TRUE(Debugger.ReadCallStack().empty());
    EXPECT_TRUE(Debugger.ReadMemory().empty());
    // The request's own lines are not taken for a reply.
    Debugger.Query(BreakOnEntryRequest({"A"}));
    EXPECT_TRUE(Debugger.ReplyLines().empty());
}

TEST_F(ModuleCommands, NothingIsSentWhileDisconnected) {
    TEntity Local;
    Local.Kind = 8;
    Local.Letter = 'i';
    Local.LocationClass = lcLocal;
    Debugger.Disconnect();
    Module.Sent.clear();
    Module.Reply = "n=1\r\ns1=SEG\r\np1=2\r\no1=14\r\nd1=1\r\n";
    EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, "SEG", 2, 14), "");
    EXPECT_TRUE(Debugger.ListBreakpoints().empty());
    EXPECT_FALSE(Debugger.HeapAndStack());
    EXPECT_TRUE(Debugger.ReadCallStack().empty());
    EXPECT_TRUE(Debugger.ReadMemory().empty());
    EXPECT_FALSE(Debugger.ResumeModule(0));
    EXPECT_EQ(Debugger.ValueText(Local, vmValue), "");
    Debugger.ShowTableViewer();
    EXPECT_EQ(Debugger.Send(ListBreakpointsRequest()), 0);
    EXPECT_TRUE(Module.Sent.empty());
}

TEST(ModuleReplies, BreakpointListsStopAtTheFirstMissingEntry) {
    using TLines = std::vector<std::string>;
    const std::vector<std::pair<TLines, std::vector<TBreakpointEntry>>> Cases = {
        {{"n=0"}, {}},
        {{}, {}},
        {{"n=1", "s1=SEG", "p1=2", "o1=14", "d1=1"}, {{"SEG", 2, 14, true}}},
        {{"n=2", "s1=A", "p1=1", "o1=0", "d1=0", "s2=B", "p2=x", "o2=", "d2=0"},
         {{"A", 1, 0, false}, {"B", 0, 0, false}}},
        // A count far beyond the entries given: the entries there are, no more.
        {{"n=2147483647", "s1=A", "p1=1", "o1=0", "d1=0"}, {{"A", 1, 0, false}}},
        {{"n=5", "s1=A", "s3=C"}, {{"A", 0, 0, false}}},
        {{"n=99999999999", "s1=A"}, {}},
        {{"n=-3", "s1=A"}, {}},
        // Never more entries than lines, whatever the keys say.
        {{"n=3", "s1=A", "s2=B"}, {{"A", 0, 0, false}, {"B", 0, 0, false}}},
    };
    for (const auto& [Lines, Entries] : Cases) {
        SCOPED_TRACE(Lines.empty() ? "" : Lines.front());
        EXPECT_EQ(ReadBreakpointList(Lines), Entries);
    }
}

TEST(ModuleReplies, StackLinesAndNumbers) {
    const std::pair<std::string, TStackLine> Lines[] = {
        {"ABCDE    2.14", {"ABCDE", 2, 14}}, {"SEGMENTS 12.3", {"SEGMENTS", 12, 3}},
        {"ABCDE    x.y", {"ABCDE", 0, 0}},   {"ABCDE    7", {"ABCDE", 7, 0}},
        {"SHORT", {"SHORT", 0, 0}},          {"", {"", 0, 0}},
    };
    for (const auto& [Line, Frame] : Lines)
        EXPECT_EQ(ReadStackLine(Line), Frame) << Line;
    EXPECT_EQ(ReadStackLines({"A        1.2", "", "B        3.4"}),
              (std::vector<TStackLine>{{"A", 1, 2}, {"B", 3, 4}}));

    const std::pair<std::string, int> Numbers[] = {
        {"14", 14}, {" 7 ", 7},  {"-3", -3},         {"", 0},
        {"1x", 0},  {"0x10", 0}, {"99999999999", 0}, {"+", 0}};
    for (const auto& [Text, Number] : Numbers)
        EXPECT_EQ(DecimalOr0(Text), Number) << Text;
}

class StandInCommands : public CommandFixture {};

TEST_F(StandInCommands, TheModuleReceivesTheExactRequestsAndAnswersThem) {
    test::TStandInProcess StandIn(
        Dir.Path(), "Demo",
        {"refuse SEG 2 14=No code at that place", "offline=OLD", "heap=1200", "stack=300",
         "stack-lines=ABCDE    2.14|MAIN     1.0",
         "value 11 1 s=DEMO\\r\\no=7\\r\\nt=i\\r\\n => 42",
         "value 15 0 n=orders\\r\\nm=Sales\\r\\no=1\\r\\nt=i\\r\\nr=0\\r\\n => 9.50"});
    ASSERT_TRUE(StandIn.Started());
    Debugger.Connect(StandIn.Handle());
    ASSERT_TRUE(Debugger.IsConnected());

    EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, "SEG", 2, 14), "No code at that place");
    EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, "MAIN", 1, 0), "");
    EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, "OLD", 3, 4), "");
    EXPECT_EQ(Debugger.SendLocation(lcSetTemporaryBreakpoint, "MAIN", 1, 8), "");
    Debugger.SendLocation(lcDisableBreakpoint, "MAIN", 1, 0);
    Debugger.SendLocation(lcDeleteBreakpoint, "MAIN", 1, 8);
    EXPECT_EQ(Debugger.ListBreakpoints(),
              (std::vector<TBreakpointEntry>{{"MAIN", 1, 0, true}, {"OLD", 3, 4, false}}));
    Debugger.DeleteOfflineBreakpoints();
    Debugger.SendLocation(lcEnableBreakpoint, "MAIN", 1, 0);
    EXPECT_EQ(Debugger.ListBreakpoints(), (std::vector<TBreakpointEntry>{{"MAIN", 1, 0, false}}));
    Debugger.DeleteAllBreakpoints(false);
    EXPECT_TRUE(Debugger.ListBreakpoints().empty());

    const std::vector<std::uint16_t> Memory = Debugger.ReadMemory();
    ASSERT_EQ(Memory.size(), DebuggingBufferSize / 2);
    for (std::size_t Word = 0; Word < Memory.size(); ++Word)
        ASSERT_EQ(Memory[Word], Word);

    EXPECT_EQ(Debugger.ValueText(Find("zeta"), vmValue), "42");
    EXPECT_EQ(Debugger.ValueText(Find("orders.price"), vmValue), "9.50");
    EXPECT_EQ(Debugger.ValueText(Find("acct.total"), vmValue), "");
    const auto HeapStack = Debugger.HeapAndStack();
    ASSERT_TRUE(HeapStack);
    EXPECT_EQ(HeapStack->Heap, "1200");
    EXPECT_EQ(HeapStack->Stack, "300");
    const std::vector<TStackLine> Frames = {{"ABCDE", 2, 14}, {"MAIN", 1, 0}};
    EXPECT_EQ(Debugger.ReadCallStack(), Frames);
    EXPECT_EQ(Debugger.PauseModule(), Frames);
    EXPECT_TRUE(Debugger.ResumeModule(1));
    EXPECT_TRUE(Debugger.SendRunUntilChanged("zeta", "7", 1));
    Host.Options = {false, 3, true};
    Debugger.ShowTableViewer();

    const auto Log = StandIn.Frames();
    for (const std::string Line :
         {"command 3 1 lparam=18 request=s=SEG\\r\\np=2\\r\\no=14\\r\\n",
          "command 3 2 lparam=18 request=s=MAIN\\r\\np=1\\r\\no=8\\r\\n",
          "command 11 1 lparam=18 request=s=DEMO\\r\\no=7\\r\\nt=i\\r\\n",
          "command 20 0 lparam=18 request=n=zeta\\r\\na=7\\r\\nw=1\\r\\n",
          "command 9 0 lparam=0 request=", "command 19 65532 lparam=5 request=m=1\\r\\n"})
        EXPECT_NE(std::find(Log.begin(), Log.end(), Line), Log.end()) << Line;
    Debugger.Disconnect();
}

} // namespace
} // namespace korvid
