#include "platform/Registry.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
using test::TSmallDisk;
using test::TTempDir;
using test::WriteFileBytes;

class RegistryTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
};

TEST_F(RegistryTest, ValuesWrittenAndClosedAreSeenByANewObject) {
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("Software\\Wyx\\Korvid\\2.5\\Options", true));
        Reg.WriteString("Name", "Korvid");
        Reg.WriteInteger("Count", -7);
        Reg.WriteBool("On", true);
        Reg.WriteBinaryData("Blob", std::string("\0\1\2", 3));
        Reg.WriteExpandString("Path", "%HOME%\\x");
        // Not yet visible to others: the key is still open.
        TRegistry Other;
        EXPECT_FALSE(Other.OpenKeyReadOnly("Software\\Wyx\\Korvid\\2.5\\Options"));
    }
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly("\\software\\WYX\\korvid\\2.5\\options"));
    EXPECT_EQ(Reg.ReadString("name"), "Korvid");
    EXPECT_EQ(Reg.ReadInteger("Count"), -7);
    EXPECT_TRUE(Reg.ReadBool("On"));
    EXPECT_EQ(Reg.ReadBinaryData("Blob"), std::string("\0\1\2", 3));
    EXPECT_EQ(Reg.ReadString("Path"), "%HOME%\\x");
    EXPECT_EQ(Reg.GetDataType("Path"), TRegDataType::rdExpandString);
    EXPECT_EQ(Reg.GetDataSize("Name"), 7); // with the terminating NUL
    EXPECT_EQ(Reg.GetDataSize("Missing"), -1);
    EXPECT_EQ(Reg.GetValueNames(),
              (std::vector<std::string>{"Name", "Count", "On", "Blob", "Path"}));
}

TEST_F(RegistryTest, StrictReadsRaiseOnMissingOrMistypedValues) {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("K", true));
    Reg.WriteInteger("Int", 1);
    Reg.WriteString("Str", "1");
    Reg.WriteData("Short", REG_DWORD, "ab");
    EXPECT_THROW(Reg.ReadString("Int"), ERegistryException);
    EXPECT_THROW(Reg.ReadInteger("Str"), ERegistryException);
    EXPECT_THROW(Reg.ReadInteger("Short"), ERegistryException);
    EXPECT_THROW(Reg.ReadBool("Nothing"), ERegistryException);
    try {
        Reg.ReadString("Nothing");
        FAIL();
    } catch (const ERegistryException& Error) {
        EXPECT_STREQ(Error.what(), "Invalid data type for 'Nothing'");
    }
}

TEST_F(RegistryTest, OpenWithoutCreatingNeverCreates) {
    TRegistry Reg;
    EXPECT_FALSE(Reg.OpenKey("A\\B", false));
    EXPECT_FALSE(Reg.OpenKeyReadOnly("A"));
    EXPECT_FALSE(Reg.KeyExists("A"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "registry"));
}

TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites) {
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("K", true));
    }
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly("K"));
    EXPECT_THROW(Reg.WriteString("X", "y"), ERegistryException);
}

TEST_F(RegistryTest, NamesKeepTheirCaseAndAnyCharacter) {
    const std::string Names[] = {"a/b",
                                 "c\\d",
                                 std::string("e\x01"
                                             "f"),
                                 "with blank",
                                 "%41",
                                 std::string("nul\0inside", 10),
                                 ""};
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("Views\\MiXed", true));
        for (const std::string& Name : Names)
            Reg.WriteString(Name, "v:" + Name);
    }
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("VIEWS", false));
    EXPECT_EQ(Reg.GetKeyNames(), std::vector<std::string>{"MiXed"});
    ASSERT_TRUE(Reg.OpenKey("\\Views\\mixed", false));
    EXPECT_EQ(Reg.GetValueNames(), std::vector<std::string>(std::begin(Names), std::end(Names)));
    for (const std::string& Name : Names) {
        std::uint32_t Type = 0;
        EXPECT_EQ(Reg.ReadData(Name, Type), "v:" + Name + '\0');
    }
}

TEST_F(RegistryTest, SubkeysEnumerateInNameOrderIgnoringCase) {
    {
        TRegistry Reg;
        for (const char* Name : {"b", "C", "a", "B2"})
            ASSERT_TRUE(Reg.OpenKey(std::string("\\Root\\") + Name, true));
    }
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("Root", false));
    EXPECT_EQ(Reg.GetKeyNames(), (std::vector<std::string>{"a", "b", "B2", "C"}));
    // A relative path goes below the open key.
    ASSERT_TRUE(Reg.OpenKey("b", false));
    EXPECT_EQ(Reg.CurrentPath(), "Root\\b");
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTree) {
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("R\\A\\Deep", true));
        Reg.WriteInteger("x", 1);
        ASSERT_TRUE(Reg.OpenKey("\\R\\B", true));
    }
    TRegistry Reg;
    EXPECT_TRUE(Reg.DeleteKey("R\\A"));
    EXPECT_FALSE(Reg.DeleteKey("R\\A"));
    TRegistry Fresh;
    EXPECT_FALSE(Fresh.KeyExists("R\\A"));
    EXPECT_TRUE(Fresh.KeyExists("R\\B"));
}

TEST_F(RegistryTest, ConcurrentWritersKeepEachOthersChanges) {
    TRegistry First;
    TRegistry Second;
    ASSERT_TRUE(First.OpenKey("K", true));
    ASSERT_TRUE(Second.OpenKey("K", true));
    First.WriteInteger("One", 1);
    Second.WriteInteger("Two", 2);
    First.CloseKey();
    Second.CloseKey();
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("K", false));
    EXPECT_EQ(Reg.ReadInteger("One"), 1);
    EXPECT_EQ(Reg.ReadInteger("Two"), 2);
}

TEST_F(RegistryTest, AValueWrittenByAnotherProcessIsSeenAtTheNextOpen) {
    TRegistry Reader;
    ASSERT_TRUE(Reader.OpenKey("Internal", true));
    Reader.CloseKey();
    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        int Code = 1;
        try {
            TRegistry Writer;
            if (Writer.OpenKey("Internal", false)) {
                Writer.WriteString("FN42", "/tmp/file.txt");
                Writer.CloseKey();
                Code = 0;
            }
        } catch (...) {
        }
        ::_exit(Code);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFEXITED(Status));
    ASSERT_EQ(WEXITSTATUS(Status), 0);
    ASSERT_TRUE(Reader.OpenKey("Internal", false));
    EXPECT_EQ(Reader.ReadString("FN42"), "/tmp/file.txt");
}

TEST_F(RegistryTest, ADamagedFileIsSetAsideAndReported) {
    const std::string Damaged = "this is not a settings file\n";
    WriteFileBytes(Dir / "registry", Damaged);
    std::string Reported;
    SetRegistryReportHandler([&](const std::string& Message) { Reported = Message; });
    {
        TRegistry Reg;
        EXPECT_FALSE(Reg.KeyExists("K"));
        ASSERT_TRUE(Reg.OpenKey("K", true));
        Reg.WriteInteger("x", 1);
    }
    SetRegistryReportHandler(nullptr);
    EXPECT_NE(Reported.find("damaged"), std::string::npos);
    int Aside = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path()))
        if (Entry.path().filename().string().starts_with("registry.damaged-")) {
            ++Aside;
            EXPECT_EQ(ReadFileBytes(Entry.path()), Damaged);
        }
    EXPECT_EQ(Aside, 1);
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("K", false));
    EXPECT_EQ(Reg.ReadInteger("x"), 1);
}

TEST(RegistryFormat, ParseRejectsDamage) {
    const std::string Bad[] = {
        "KORVID REGISTRY 1\nV 1 :a\n",           // missing field
        "KORVID REGISTRY 1\nV x :a :b\n",        // type not a number
        "KORVID REGISTRY 1\nK :a\nV 1 :a :%4\n", // cut escape
        "KORVID REGISTRY 1\nK :a",               // truncated line
        "OTHER\n",
    };
    for (const std::string& Text : Bad)
        EXPECT_THROW(TFileRegistryStore::Parse(Text), EKorvidError) << Text;
}

// A settings file on a disk of its own, holding one value, and every report of the store.
class RegistryStoreFailureTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::unique_ptr<TSmallDisk> Disk;
    std::filesystem::path File;
    std::vector<std::string> Reports;

    void SetUp() override {
        MakeDisk("config");
        SetRegistryReportHandler(
            [this](const std::string& Message) { Reports.push_back(Message); });
    }
    void TearDown() override { SetRegistryReportHandler(nullptr); }

    void MakeDisk(const std::string& Name) {
        Disk = std::make_unique<TSmallDisk>(Dir / Name);
        File = Disk->Folder() / "korvid" / "registry";
        TScopedRegistryStore Store{File};
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("K", true));
        Reg.WriteInteger("Kept", 7);
        Reg.CloseKey();
        Reports.clear();
    }

    // Writes twice and checks, as a run of the program would.
    void WriteTwice(TScopedRegistryStore& Store) {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("K", true));
        Reg.WriteInteger("Lost", 1);
        Reg.CloseKey();
        Store.Store().CheckWritable();
        ASSERT_TRUE(Reg.OpenKey("K", true));
        Reg.WriteInteger("Lost", 2);
        Reg.CloseKey();
    }
    void ReadAndWrite() {
        TScopedRegistryStore Store{File};
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("K", false));
        EXPECT_EQ(Reg.ReadInteger("Kept"), 7);
        WriteTwice(Store);
    }
};

TEST_F(RegistryStoreFailureTest, AFolderThatCannotBeWrittenIsReadAndToldOnceWithItsCause) {
    struct TCase {
        const char* Name;
        std::function<bool(TSmallDisk&)> Break;
        const char* Cause;
    };
    const TCase Cases[] = {
        {"read-only folder", [](TSmallDisk& D) { return D.MakeReadOnly(); }, "is read-only"},
        {"full disk", [](TSmallDisk& D) { return D.Fill(); }, "no space left on the disk"},
    };
    if (!Disk->Mounted() && ::geteuid() == 0)
        GTEST_SKIP() << "a disk of its own needs a tmpfs mount, which failed";
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        MakeDisk(Case.Name);
        const std::string Before = ReadFileBytes(File);
        if (!Case.Break(*Disk)) {
            std::cout << "[  SKIPPED ] " << Case.Name << ": needs the superuser\n";
            continue;
        }
        QElapsedTimer Clock;
        Clock.start();
        ReadAndWrite();
        EXPECT_LT(Clock.elapsed(), 2000);
        ASSERT_EQ(Reports.size(), 1u);
        EXPECT_NE(Reports[0].find(Case.Cause), std::string::npos) << Reports[0];
        EXPECT_NE(Reports[0].find(File.parent_path().string()), std::string::npos) << Reports[0];
        EXPECT_EQ(ReadFileBytes(File), Before);
    }
}

TEST_F(RegistryStoreFailureTest, ALockFileNoProcessHoldsIsTakenOverAtOnce) {
    for (const std::string& Content : {std::string(), std::to_string(::getpid()) + "\nKorvid\n"}) {
        test::WriteFileBytes(File.string() + ".lock", Content);
        QElapsedTimer Clock;
        Clock.start();
        {
            TScopedRegistryStore Store{File};
            TRegistry Reg;
            ASSERT_TRUE(Reg.OpenKey("K", false));
            Reg.WriteInteger("New", 1);
        }
        EXPECT_LT(Clock.elapsed(), 2000);
        EXPECT_TRUE(Reports.empty()) << Reports.front();
        TScopedRegistryStore Store{File};
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("K", false));
        EXPECT_EQ(Reg.ReadInteger("New"), 1);
        EXPECT_FALSE(std::filesystem::exists(File.string() + ".lock"));
    }
}

TEST_F(RegistryStoreFailureTest, ALockHeldByAnotherProcessIsNamedWithItsIdAndWaitedForOnce) {
    int Ready[2];
    ASSERT_EQ(::pipe(Ready), 0);
    const pid_t Holder = ::fork();
    ASSERT_GE(Holder, 0);
    if (Holder == 0) {
        QLockFile Lock(QString::fromStdString(File.string() + ".lock"));
        const char Answer = Lock.tryLock(0) ? 'y' : 'n';
        (void)!::write(Ready[1], &Answer, 1);
        ::pause();
        ::_exit(0);
    }
    char Answer = 0;
    ASSERT_EQ(::read(Ready[0], &Answer, 1), 1);
    ::close(Ready[0]);
    ::close(Ready[1]);
    ASSERT_EQ(Answer, 'y');
    {
        TScopedRegistryStore Store{File};
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("K", false));
        EXPECT_EQ(Reg.ReadInteger("Kept"), 7);
        Reg.WriteInteger("Lost", 1);
        Reg.CloseKey();
        // Waited for once; later commits and checks give up at once.
        QElapsedTimer Clock;
        Clock.start();
        ASSERT_TRUE(Reg.OpenKey("K", false));
        Reg.WriteInteger("Lost", 2);
        Reg.CloseKey();
        Store.Store().CheckWritable();
        EXPECT_LT(Clock.elapsed(), 1000);
    }
    ::kill(Holder, SIGKILL);
    ::waitpid(Holder, nullptr, 0);
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_NE(
        Reports[0].find("locked by another process (process id " + std::to_string(Holder) + ")"),
        std::string::npos)
        << Reports[0];
}

TEST_F(RegistryStoreFailureTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    // A folder where the file should be cannot be read, by the superuser too.
    std::filesystem::remove(File);
    std::filesystem::create_directory(File);
    test::WriteFileBytes(File / "inside", "keep");
    TScopedRegistryStore Store{File};
    TRegistry Reg;
    EXPECT_FALSE(Reg.KeyExists("K"));
    ASSERT_TRUE(Reg.OpenKey("K", true));
    Reg.WriteInteger("x", 1);
    Reg.CloseKey();
    Store.Store().CheckWritable();
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_NE(Reports[0].find("cannot be read"), std::string::npos) << Reports[0];
    EXPECT_EQ(ReadFileBytes(File / "inside"), "keep");
}

TEST_F(RegistryStoreFailureTest, ADamagedFileThatCannotBeSetAsideIsLeftAsItIs) {
    const std::string Damaged = "this is not a settings file\n";
    test::WriteFileBytes(File, Damaged);
    if (!Disk->MakeReadOnly())
        GTEST_SKIP() << "a read-only folder needs a tmpfs mount or a user other than the superuser";
    TScopedRegistryStore Store{File};
    WriteTwice(Store);
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_NE(Reports[0].find("damaged"), std::string::npos) << Reports[0];
    EXPECT_NE(Reports[0].find("is read-only"), std::string::npos) << Reports[0];
    EXPECT_EQ(ReadFileBytes(File), Damaged);
}

TEST_F(RegistryTest, ATransactionKeepsItsChangesWholeOrNotAtAll) {
    const auto Write = [](const char* Key, int Value) {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey(Key, true));
        Reg.WriteInteger("v", Value);
    };
    const auto Stored = [this](const char* Key) {
        TRegistry Reg(Store.Store());
        return Reg.OpenKey(Key, false) ? Reg.ReadInteger("v") : -1;
    };
    {
        TRegistryTransaction Dropped;
        Write("A", 1);
    }
    EXPECT_EQ(Stored("A"), -1);
    TRegistryTransaction Whole;
    Write("A", 1);
    Write("B", 2);
    // Seen inside, not yet in the file.
    TRegistry Inside;
    ASSERT_TRUE(Inside.OpenKey("A", false));
    EXPECT_EQ(Inside.ReadInteger("v"), 1);
    Inside.CloseKey();
    EXPECT_EQ(Stored("A"), -1);
    Whole.CommitAll();
    EXPECT_EQ(Stored("A"), 1);
    EXPECT_EQ(Stored("B"), 2);
}

} // namespace
} // namespace korvid
