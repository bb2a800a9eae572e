#include "platform/Registry.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid {
namespace {

using test::ReadFileBytes;
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

} // namespace
} // namespace korvid
