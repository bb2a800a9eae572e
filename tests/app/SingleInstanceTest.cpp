#include "app/SingleInstanceUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace korvid {
namespace {

QString Q(const std::filesystem::path& Path) {
    return QString::fromStdString(Path.string());
}

TEST(Parameters, Build) {
    struct TCase {
        QStringList Arguments;
        QStringList Items;
        bool NewInstance;
    };
    const TCase Cases[] = {
        {{}, {}, false},
        {{"/newInstance"}, {}, true},
        // Every parameter is a name of its own, blanks and all.
        {{"/home/me/My", "File.txt"}, {"/home/me/My", "File.txt"}, false},
        {{"/home/me/My File.txt"}, {"/home/me/My File.txt"}, false},
        {{":ignored", "", "a.txt", "/NEWINSTANCE"}, {"a.txt"}, true},
        {{":only"}, {}, false},
        {{"/NEWINSTANCEX"}, {"/NEWINSTANCEX"}, false},
    };
    for (const TCase& Case : Cases) {
        const TParameterList List = BuildParameterList(Case.Arguments);
        EXPECT_EQ(List.Items, Case.Items) << Case.Arguments.join('|').toStdString();
        EXPECT_EQ(List.NewInstance, Case.NewInstance) << Case.Arguments.join('|').toStdString();
    }
}

TEST(Parameters, CommandKinds) {
    struct TCase {
        QStringList Arguments;
        TCommandKind Kind;
        QString Argument;
    };
    const TCase Cases[] = {
        {{}, TCommandKind::None, ""},
        {{":x"}, TCommandKind::None, ""},
        {{"compile:/tmp/req.txt"}, TCommandKind::Compile, "/tmp/req.txt"},
        {{"COMPILE:"}, TCommandKind::Compile, ""},
        {{"COMPILE:/tmp/my req.txt", "other.txt"}, TCommandKind::Compile, "/tmp/my req.txt"},
        {{"Script:run.vbat"}, TCommandKind::Script, "run.vbat"},
        {{"/tmp/a.txt"}, TCommandKind::File, ""},
        {{"compiler.txt"}, TCommandKind::File, ""},
        {{"a.txt", "COMPILE:x"}, TCommandKind::File, ""},
    };
    for (const TCase& Case : Cases) {
        QString Argument;
        EXPECT_EQ(ClassifyCommand(BuildParameterList(Case.Arguments), Argument), Case.Kind)
            << Case.Arguments.join('|').toStdString();
        EXPECT_EQ(Argument, Case.Argument);
    }
}

TEST(Parameters, RunLocation) {
    EXPECT_FALSE(CheckRunLocation("/usr/local/bin/korvid"));
}

class HandOverTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
    QString Path = QString::fromStdString((Dir / "endpoint").string());
    TMessageEndpoint Endpoint{Path};
    QStringList Opened;

    void SetUp() override {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(RootKeys[CurrentKeyIndex]), true));
        ASSERT_TRUE(Endpoint.Listen());
        Endpoint.OnMessage = [this](const TEndpointMessage& Message) {
            return Message.Message == WM_USER
                       ? ReceiveHandOver(Message.WParam,
                                         [this](const QStringList& Names) { Opened << Names; })
                       : 0;
        };
    }

    // Runs the second start on another thread while this one serves the running instance.
    bool SecondStart(const QStringList& Arguments, bool Shift, bool& Found) {
        std::atomic<bool> Done = false;
        bool GoOn = true;
        std::thread Second([&] {
            GoOn = PassToRunningInstance(BuildParameterList(Arguments), Shift, Found, Path);
            Done = true;
        });
        QElapsedTimer Clock;
        Clock.start();
        while (!Done && Clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        Second.join();
        return GoOn;
    }

    std::vector<std::string> InternalValues() {
        TRegistryEx Reg;
        return Reg.OpenKey("\\" + std::string(InternalKey), false) ? Reg.GetValueNames()
                                                                   : std::vector<std::string>{};
    }
};

TEST_F(HandOverTest, EveryNameIsHandedOverInOrderAndTheValuesGo) {
    bool Found = false;
    EXPECT_FALSE(SecondStart({"/tmp/My File.txt", "/tmp/b.txt", "/tmp/a.txt"}, false, Found));
    EXPECT_TRUE(Found);
    EXPECT_EQ(Opened, (QStringList{"/tmp/My File.txt", "/tmp/b.txt", "/tmp/a.txt"}));
    EXPECT_TRUE(InternalValues().empty());
}

TEST_F(HandOverTest, ARelativeNameIsHandedOverFromTheSecondStartsFolder) {
    // The running instance has a working folder of its own.
    const std::filesystem::path Here = std::filesystem::current_path();
    const std::pair<QStringList, QStringList> Cases[] = {
        {{"notes.txt"}, {Q(Here / "notes.txt")}},
        {{"sub/my notes.txt", "/tmp/a.txt"}, {Q(Here / "sub" / "my notes.txt"), "/tmp/a.txt"}},
        {{"work.vol>A.TEXT"}, {Q(Here / "work.vol>A.TEXT")}},
    };
    for (const auto& [Arguments, Expected] : Cases) {
        Opened.clear();
        bool Found = false;
        EXPECT_FALSE(SecondStart(Arguments, false, Found));
        EXPECT_EQ(Opened, Expected);
    }
}

// The command line's bytes, not valid UTF-8, reach the running instance as they were.
TEST_F(HandOverTest, ANameThatIsNotUtf8IsHandedOverAsItsBytes) {
    const char* const Argv[] = {"korvid", "/tmp/caf\xE9.txt", "r\xE9l\x86.txt"};
    bool Found = false;
    EXPECT_FALSE(SecondStart(ArgumentsOf(3, Argv), false, Found));
    ASSERT_EQ(Opened.size(), 2);
    EXPECT_EQ(PathFromQString(Opened[0]).native(), "/tmp/caf\xE9.txt");
    EXPECT_EQ(PathFromQString(Opened[1]), std::filesystem::current_path() / "r\xE9l\x86.txt");
}

// Settings are written only at exit: on a first day the running instance makes the keys itself.
TEST_F(HandOverTest, OnAFirstDayTheRunningInstancesKeysLetTheHandOverThrough) {
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.DeleteKey("\\" + std::string(RootKeys[CurrentKeyIndex])));
    bool Found = false;
    EXPECT_TRUE(SecondStart({"/tmp/a.txt"}, false, Found)); // nowhere to put the name
    EnsureHandOverKeys();
    EXPECT_FALSE(SecondStart({"/tmp/a.txt"}, false, Found));
    EXPECT_EQ(Opened, QStringList{"/tmp/a.txt"});
}

TEST_F(HandOverTest, AStartWithoutFilesStillEndsAndOpensNothing) {
    bool Found = false;
    EXPECT_FALSE(SecondStart({}, false, Found));
    EXPECT_TRUE(Opened.isEmpty());
}

TEST_F(HandOverTest, ShiftNewInstanceAndBatchRunsAreNeverHandedOver) {
    const std::pair<QStringList, bool> Cases[] = {
        {{"/tmp/a.txt"}, true},
        {{"/tmp/a.txt", "/NewInstance"}, false},
        {{"COMPILE:/tmp/request.txt"}, false},
        {{"script:/tmp/run.txt"}, false},
    };
    for (const auto& [Arguments, Shift] : Cases) {
        bool Found = false;
        EXPECT_TRUE(SecondStart(Arguments, Shift, Found)) << Arguments.join(' ').toStdString();
        EXPECT_TRUE(Found);
    }
    EXPECT_TRUE(Opened.isEmpty());
}

TEST(HandOverAlone, WithoutARunningInstanceStartUpGoesOn) {
    test::TTempDir Dir;
    bool Found = true;
    EXPECT_TRUE(PassToRunningInstance(BuildParameterList({"a.txt"}), false, Found,
                                      QString::fromStdString((Dir / "none").string())));
    EXPECT_FALSE(Found);
}

class InstanceLockTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
    QString LockPath = Q(Dir / "instance.lock");
    QString Path = Q(Dir / "endpoint");
};

TEST_F(InstanceLockTest, OnlyOneHolderAtATimeAndTheLockGoesWithItsHolder) {
    auto First = std::make_unique<TInstanceLock>(LockPath);
    TInstanceLock Second(LockPath);
    EXPECT_TRUE(First->TryClaim());
    EXPECT_FALSE(Second.TryClaim());
    First.reset();
    EXPECT_TRUE(Second.TryClaim());
}

TEST_F(InstanceLockTest, AStartThatLostTheRaceTakesThePlaceWhenNobodyEverListens) {
    auto Holder = std::make_unique<TInstanceLock>(LockPath);
    ASSERT_TRUE(Holder->TryClaim());
    TInstanceLock Lock(LockPath);
    const TParameterList Files = BuildParameterList({"/tmp/a.txt"});
    // The holder never listens: after the wait this start runs a window of its own.
    EXPECT_EQ(ClaimOrHandOver(Files, false, Lock, Path, 100), TStartChoice::SecondWindow);
    EXPECT_FALSE(Lock.Held());
    // Shift, "/NEWINSTANCE" and batch runs do not wait at all.
    for (const QStringList& Arguments :
         {QStringList{"/tmp/a.txt", "/newinstance"}, QStringList{"COMPILE:/tmp/r.txt"}})
        EXPECT_EQ(ClaimOrHandOver(BuildParameterList(Arguments), false, Lock, Path, 60000),
                  TStartChoice::SecondWindow);
    EXPECT_EQ(ClaimOrHandOver(Files, true, Lock, Path, 60000), TStartChoice::SecondWindow);
    // Once the holder is gone, the next start takes its place.
    Holder.reset();
    EXPECT_EQ(ClaimOrHandOver(Files, false, Lock, Path, 100), TStartChoice::Instance);
    EXPECT_TRUE(Lock.Held());
}

} // namespace
} // namespace korvid
