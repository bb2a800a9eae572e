#include "app/SingleInstanceUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace korvid {
namespace {

TEST(Parameters, BuildAndJoin) {
    struct TCase {
        QStringList Arguments;
        QStringList Items;
        bool NewInstance;
        QString Joined;
    };
    const TCase Cases[] = {
        {{}, {}, false, ""},
        {{"/newInstance"}, {}, true, ""},
        {{"/home/me/My", "File.txt"}, {"/home/me/My", "File.txt"}, false, "/home/me/My File.txt"},
        {{":ignored", "", "a.txt", "/NEWINSTANCE"}, {"a.txt"}, true, "a.txt"},
        {{":only"}, {}, false, ""},
        {{"/NEWINSTANCEX"}, {"/NEWINSTANCEX"}, false, "/NEWINSTANCEX"},
    };
    for (const TCase& Case : Cases) {
        const TParameterList List = BuildParameterList(Case.Arguments);
        EXPECT_EQ(List.Items, Case.Items) << Case.Joined.toStdString();
        EXPECT_EQ(List.NewInstance, Case.NewInstance) << Case.Joined.toStdString();
        EXPECT_EQ(JoinParameters(List), Case.Joined);
    }
}

TEST(Parameters, CommandKinds) {
    struct TCase {
        QString Command;
        TCommandKind Kind;
        QString Argument;
    };
    const TCase Cases[] = {
        {"", TCommandKind::None, ""},
        {"compile:/tmp/req.txt", TCommandKind::Compile, "/tmp/req.txt"},
        {"COMPILE:", TCommandKind::Compile, ""},
        {"Script:run.vbat", TCommandKind::Script, "run.vbat"},
        {"/tmp/a.txt", TCommandKind::File, "/tmp/a.txt"},
        {"compiler.txt", TCommandKind::File, "compiler.txt"},
    };
    for (const TCase& Case : Cases) {
        QString Argument;
        EXPECT_EQ(ClassifyCommand(Case.Command, Argument), Case.Kind) << Case.Command.toStdString();
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
                                         [this](const QString& Name) { Opened << Name; })
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

TEST_F(HandOverTest, TheRunningInstanceOpensTheWholeNameAndTheValueGoes) {
    bool Found = false;
    EXPECT_FALSE(SecondStart({"/tmp/My", "File.txt"}, false, Found));
    EXPECT_TRUE(Found);
    EXPECT_EQ(Opened, QStringList{"/tmp/My File.txt"});
    EXPECT_TRUE(InternalValues().empty());
}

TEST_F(HandOverTest, ARelativeNameIsHandedOverFromTheSecondStartsFolder) {
    // The running instance has a working folder of its own.
    const std::filesystem::path Here = std::filesystem::current_path();
    const std::pair<QStringList, std::string> Cases[] = {
        {{"notes.txt"}, (Here / "notes.txt").string()},
        {{"sub/my", "notes.txt"}, (Here / "sub" / "my notes.txt").string()},
        {{"work.vol>A.TEXT"}, (Here / "work.vol>A.TEXT").string()},
        {{"/tmp/a.txt"}, "/tmp/a.txt"},
    };
    for (const auto& [Arguments, Expected] : Cases) {
        Opened.clear();
        bool Found = false;
        EXPECT_FALSE(SecondStart(Arguments, false, Found));
        EXPECT_EQ(Opened, QStringList{QString::fromStdString(Expected)});
    }
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

} // namespace
} // namespace korvid
