#include "foundation/RegistryEx.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

class RegistryExTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
};

TEST_F(RegistryExTest, DefaultingReads) {
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteInteger("Dword", 5);
        Reg.WriteString("Text", "abc");
        Reg.WriteExpandString("Expand", "%TEMP%\\x");
        Reg.WriteData("WithNul", REG_SZ, std::string("abc\0more", 8));
        Reg.WriteData("Empty", REG_SZ, "");
        Reg.WriteBinaryData("Bin", "\x01\x02");
    }
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenSettingsKeyForRead(OptionsKeys));
    struct TCase {
        const char* Name;
        std::string Expected;
    };
    const TCase Strings[] = {
        {"Dword", "default"}, // another type defaults
        {"Bin", "default"},   {"Missing", "default"},
        {"Text", "abc"},      {"Expand", "%TEMP%\\x"}, // left unexpanded
        {"WithNul", "abc"},                            // cut at the first NUL
        {"Empty", ""},                                 // size 0 is empty, not the default
    };
    for (const TCase& Case : Strings)
        EXPECT_EQ(Reg.ReadStringDefault(Case.Name, "default"), Case.Expected) << Case.Name;
    EXPECT_EQ(Reg.ReadIntegerDefault("Dword", 9), 5);
    EXPECT_EQ(Reg.ReadIntegerDefault("Text", 9), 9);
    EXPECT_EQ(Reg.ReadIntegerDefault("Missing", 9), 9);
    EXPECT_TRUE(Reg.ReadBoolDefault("Dword", false));
    EXPECT_TRUE(Reg.ReadBoolDefault("Text", true));
    EXPECT_THROW(Reg.ReadStringValue("Missing"), ERegistryException);
    EXPECT_THROW(Reg.ReadStringValue("Dword"), ERegistryException);
}

TEST_F(RegistryExTest, LegacyKeyIsReadUntilTheNextSaveWritesTheCurrentOne) {
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(ViewsKeys[LegacyKeyIndex]), true));
        Reg.WriteString("Default", "Pascal");
    }
    std::string Value;
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForRead(ViewsKeys));
        Value = Reg.ReadStringDefault("Default", "");
        EXPECT_EQ(Reg.CurrentPath(), ViewsKeys[LegacyKeyIndex]);
    }
    EXPECT_EQ(Value, "Pascal");
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(ViewsKeys));
        Reg.WriteString("Default", Value);
    }
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenSettingsKeyForRead(ViewsKeys));
    EXPECT_EQ(Reg.CurrentPath(), ViewsKeys[CurrentKeyIndex]);
    EXPECT_EQ(Reg.ReadStringDefault("Default", ""), "Pascal");
    ASSERT_TRUE(Reg.OpenKeyReadOnly("\\" + std::string(ViewsKeys[LegacyKeyIndex])));
    EXPECT_EQ(Reg.GetValueNames(), std::vector<std::string>{"Default"});
}

TEST_F(RegistryExTest, NeitherKeyPresentReadsNothingAndCreatesNothing) {
    TRegistryEx Reg;
    EXPECT_FALSE(Reg.OpenSettingsKeyForRead(SortKeys));
    EXPECT_FALSE(Reg.KeyExists("\\" + std::string(SortKeys[CurrentKeyIndex])));
    EXPECT_FALSE(Reg.KeyExists("\\" + std::string(SortKeys[LegacyKeyIndex])));
}

TEST_F(RegistryExTest, DeleteSubKeysKeepsValues) {
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\List\\One\\Deep", true));
        ASSERT_TRUE(Reg.OpenKey("\\List\\Two", true));
        ASSERT_TRUE(Reg.OpenKey("\\List", true));
        Reg.WriteInteger("Count", 2);
        ASSERT_TRUE(Reg.OpenKey("\\Leaf", true));
    }
    TRegistryEx Reg;
    Reg.DeleteSubKeys("List");
    Reg.DeleteSubKeys("Leaf");    // no subkeys
    Reg.DeleteSubKeys("Nowhere"); // no key
    EXPECT_FALSE(Reg.KeyExists("\\Nowhere"));
    ASSERT_TRUE(Reg.OpenKey("\\List", false));
    EXPECT_TRUE(Reg.GetKeyNames().empty());
    EXPECT_EQ(Reg.ReadInteger("Count"), 2);
    EXPECT_TRUE(Reg.KeyExists("\\Leaf"));
}

} // namespace
} // namespace korvid
