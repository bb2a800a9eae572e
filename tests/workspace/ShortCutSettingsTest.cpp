#include "workspace/ShortCutSettings.h"

#include "foundation/RegistryEx.h"
#include "tests/support/TempDir.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <functional>
#include <gtest/gtest.h>

namespace korvid {
namespace {

constexpr std::uint16_t CtrlShiftN = 0x4000 + 0x2000 + 'N';

class ShortCuts : public ::testing::Test {
protected:
    void SetUp() override { BuildTools(); }
    void TearDown() override { BuildTools(); }

    static TKorvidTool& Tool(int Index) { return *ToolList().Items(Index); }

    std::string KeyPath(int Side) const { return "\\" + std::string(KeyboardKeys[Side]); }

    void Store(int Side, const std::function<void(TRegistryEx&)>& Writer) {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(KeyPath(Side), true));
        Writer(Reg);
    }

    std::vector<std::string> StoredNames(int Side) {
        TRegistryEx Reg;
        if (!Reg.OpenKey(KeyPath(Side), false))
            return {};
        return Reg.GetValueNames();
    }

    bool KeyExists(int Side) {
        TRegistryEx Reg;
        return Reg.KeyExists(KeyPath(Side));
    }

    test::TTempDir Dir;
    TScopedRegistryStore Registry{Dir / "registry"};
};

TEST_F(ShortCuts, StoredValuesReplaceTheDefaultsWhenTheyAreShortCutCodes) {
    Store(CurrentKeyIndex, [](TRegistryEx& Reg) {
        Reg.WriteInteger("FileNew", CtrlShiftN);
        Reg.WriteInteger("FILEOPEN", 0); // value names ignore case; 0 means no shortcut
        Reg.WriteInteger("FileSave", 0x10000);
        Reg.WriteInteger("FileClose", -1);
        Reg.WriteString("FilePrint", "Ctrl+P");
        Reg.WriteInteger("NoSuchTool", 0x4041);
    });
    ASSERT_TRUE(LoadShortCuts());
    EXPECT_EQ(Tool(ToolIndex::FileNew).ShortCut(), CtrlShiftN);
    EXPECT_EQ(Tool(ToolIndex::FileOpen).ShortCut(), 0);
    EXPECT_EQ(Tool(ToolIndex::FileSave).ShortCut(), DefaultShortCut(ToolIndex::FileSave));
    EXPECT_EQ(Tool(ToolIndex::FileClose).ShortCut(), DefaultShortCut(ToolIndex::FileClose));
    EXPECT_EQ(Tool(ToolIndex::FilePrint).ShortCut(), DefaultShortCut(ToolIndex::FilePrint));
    for (int I = ToolIndex::FileSaveAs; I < ToolList().Count(); ++I) {
        if (I != ToolIndex::FileSave && I != ToolIndex::FileClose) {
            EXPECT_EQ(Tool(I).ShortCut(), DefaultShortCut(I)) << Tool(I).Name();
        }
    }
}

TEST_F(ShortCuts, FirstSessionChangesAreSavedUnderTheCurrentKey) {
    EXPECT_FALSE(LoadShortCuts());
    EXPECT_FALSE(KeyExists(CurrentKeyIndex));
    EXPECT_FALSE(KeyExists(LegacyKeyIndex));

    Tool(ToolIndex::FileNew).SetShortCut(CtrlShiftN);
    ASSERT_TRUE(SaveShortCuts());
    EXPECT_EQ(StoredNames(CurrentKeyIndex), std::vector<std::string>{"FileNew"});
    EXPECT_FALSE(KeyExists(LegacyKeyIndex));

    BuildTools();
    ASSERT_TRUE(LoadShortCuts());
    EXPECT_EQ(Tool(ToolIndex::FileNew).ShortCut(), CtrlShiftN);
}

TEST_F(ShortCuts, LegacyValuesMoveToTheCurrentKeyAndDefaultsLoseTheirValue) {
    Store(LegacyKeyIndex, [](TRegistryEx& Reg) {
        Reg.WriteInteger("FileNew", CtrlShiftN);
        Reg.WriteInteger("EditUndo", 0x4000 + 'U');
    });
    ASSERT_TRUE(LoadShortCuts());
    EXPECT_EQ(Tool(ToolIndex::EditUndo).ShortCut(), 0x4000 + 'U');

    // Set back to its default by the user.
    Tool(ToolIndex::FileNew).SetShortCut(DefaultShortCut(ToolIndex::FileNew));
    ASSERT_TRUE(SaveShortCuts());
    EXPECT_EQ(StoredNames(CurrentKeyIndex), std::vector<std::string>{"EditUndo"});
    EXPECT_EQ(StoredNames(LegacyKeyIndex), (std::vector<std::string>{"FileNew", "EditUndo"}));

    Tool(ToolIndex::EditUndo).SetShortCut(DefaultShortCut(ToolIndex::EditUndo));
    ASSERT_TRUE(SaveShortCuts());
    EXPECT_TRUE(StoredNames(CurrentKeyIndex).empty());
    EXPECT_TRUE(KeyExists(CurrentKeyIndex));
}

} // namespace
} // namespace korvid
