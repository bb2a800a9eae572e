#include "tests/workspace/ExpectedToolRows.h"
#include "tests/workspace/RecordingCommands.h"

#include "platform/Cp1252.h"
#include "ui/GlyphResources.h"
#include "ui/VirtualKeys.h"
#include "workspace/BuiltinTools.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace korvid {
namespace {

using test::ExpectedToolRows;

class ToolTable : public ::testing::Test {
protected:
    void SetUp() override { BuildTools(); }
};

TEST_F(ToolTable, EveryToolMatchesItsDescribedRow) {
    ASSERT_EQ(ToolList().Count(), int(std::size(ExpectedToolRows)));
    ASSERT_EQ(ToolIndex::Count, int(std::size(ExpectedToolRows)));
    for (const auto& Row : ExpectedToolRows) {
        SCOPED_TRACE(Row.Name);
        const TKorvidTool* Tool = ToolList().Items(Row.Index);
        EXPECT_EQ(Tool->Index(), Row.Index);
        EXPECT_EQ(Tool->Name(), Row.Name);
        EXPECT_EQ(Tool->Caption(), Row.Caption);
        EXPECT_EQ(ShortCutToText(Tool->ShortCut()), Row.ShortCutText);
        EXPECT_EQ(DefaultShortCut(Row.Index), Tool->ShortCut());
        EXPECT_EQ(Tool->GroupIndex(), Row.GroupIndex);
        EXPECT_EQ(Tool->AllowAllUp(), Row.AllowAllUp);
        EXPECT_STREQ(BuiltinTools()[Row.Index].SecondGlyphSuffix, Row.SecondGlyphSuffix);
        EXPECT_EQ(Tool->Hint(), Row.Hint);
        EXPECT_EQ(Tool->HasProcedure(), *Row.Handler != '\0');
        EXPECT_TRUE(Tool->Enabled());
        EXPECT_FALSE(Tool->Down());
        EXPECT_FALSE(Tool->Hidden());
    }
}

TEST_F(ToolTable, NamesAreUniqueAndFoundByNameInAnyCase) {
    std::set<std::string> Names;
    for (const auto& Row : ExpectedToolRows) {
        EXPECT_TRUE(Names.insert(UpperCase1252(Row.Name)).second) << Row.Name;
        bool Found = false;
        EXPECT_EQ(FindToolByName(Row.Name, Found), Row.Index);
        EXPECT_TRUE(Found);
        EXPECT_EQ(FindToolByName(LowerCase1252(Row.Name), Found), Row.Index);
    }
    bool Found = true;
    EXPECT_EQ(FindToolByName("filenew", Found), ToolIndex::FileNew);
    EXPECT_TRUE(Found);
    EXPECT_EQ(FindToolByName("FileNewer", Found), -1);
    EXPECT_FALSE(Found);
    EXPECT_EQ(FindToolByName("", Found), -1);
    EXPECT_FALSE(Found);
}

TEST_F(ToolTable, ShortCutsAreUniqueAndTwentyThreeRowsHaveNone) {
    std::map<std::uint16_t, std::string> Owners;
    int WithoutShortCut = 0;
    for (int I = 0; I < ToolList().Count(); ++I) {
        const TKorvidTool* Tool = ToolList().Items(I);
        if (Tool->ShortCut() == 0) {
            ++WithoutShortCut;
            continue;
        }
        const auto [Entry, Inserted] = Owners.emplace(Tool->ShortCut(), Tool->Name());
        EXPECT_TRUE(Inserted) << Tool->Name() << " shares its shortcut with " << Entry->second;
    }
    EXPECT_EQ(WithoutShortCut, 23);
}

TEST_F(ToolTable, ShortCutCodesCombineKeyAndShiftSet) {
    struct TCase {
        int Index;
        std::uint16_t Code;
    };
    const TCase Cases[] = {
        {ToolIndex::FileNew, 0x404E},                      // Ctrl+N
        {ToolIndex::FileSaveAll, 0x6053},                  // Shift+Ctrl+S
        {ToolIndex::EditFindNext, 0x0072},                 // F3
        {ToolIndex::EditDeleteWord, 0x4008},               // Ctrl+BkSp
        {ToolIndex::EditGoStraightToSearchResult, 0xC00D}, // Ctrl+Alt+Enter
        {ToolIndex::SetSearchTermToSelection, 0xE072},     // Shift+Ctrl+Alt+F3
        {ToolIndex::DebugGoToNextTab, 0x40DF},             // Ctrl and the key left of "1"
        {ToolIndex::DebugGoToPreviousTab, 0x60DF},
        {ToolIndex::FormatAsComment, 0x40BF}, // Ctrl+/
        {ToolIndex::InsertPathname, 0xA049},  // Shift+Alt+I
        {ToolIndex::FileSaveAs, 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(ExpectedToolRows[Case.Index].Name);
        EXPECT_EQ(ToolList().Items(Case.Index)->ShortCut(), Case.Code);
        EXPECT_EQ(DefaultShortCut(Case.Index), Case.Code);
    }
    EXPECT_THROW(DefaultShortCut(ToolIndex::Count), EListError);
    EXPECT_THROW(DefaultShortCut(-1), EListError);
}

TEST_F(ToolTable, EveryGlyphResourceIsA16x16PictureThatTheToolCarries) {
    int Pictures = 0;
    for (const auto& Row : ExpectedToolRows) {
        SCOPED_TRACE(Row.Name);
        const std::string Resource = "GLYPH_" + UpperCase1252(Row.Name);
        const QImage Glyph = LoadGlyphResource(Resource);
        ASSERT_FALSE(Glyph.isNull());
        EXPECT_EQ(Glyph.size(), QSize(16, 16));
        EXPECT_EQ(ToolList().Items(Row.Index)->Glyph(), Glyph);
        ++Pictures;
        if (*Row.SecondGlyphSuffix == '\0')
            continue;
        const QImage Second = LoadGlyphResource(Resource + Row.SecondGlyphSuffix);
        ASSERT_FALSE(Second.isNull());
        EXPECT_EQ(Second.size(), QSize(16, 16));
        EXPECT_NE(Second, Glyph);
        EXPECT_EQ(ToolList().Items(Row.Index)->SecondGlyph(), Second);
        ++Pictures;
    }
    EXPECT_EQ(Pictures, 168);
    EXPECT_EQ(QDir(":/glyphs").entryList().size(), 168);
    // Resource names match without regard to case.
    EXPECT_FALSE(LoadGlyphResource("glyph_filenew").isNull());
    EXPECT_TRUE(LoadGlyphResource("GLYPH_NOSUCHTOOL").isNull());
}

TEST_F(ToolTable, NoTwoToolsShareAPicture) {
    for (int I = 0; I < ToolList().Count(); ++I) {
        const TKorvidTool* Tool = ToolList().Items(I);
        for (int J = 0; J < I; ++J)
            EXPECT_NE(Tool->Glyph(), ToolList().Items(J)->Glyph())
                << Tool->Name() << " looks like " << ToolList().Items(J)->Name();
    }
}

TEST_F(ToolTable, RunningEachToolCallsExactlyTheHandlerOfItsRow) {
    test::TRecordingCommands Commands;
    for (const auto& Row : ExpectedToolRows) {
        SCOPED_TRACE(Row.Name);
        Commands.Calls.clear();
        ToolList().Items(Row.Index)->Execute();
        if (*Row.Handler == '\0') {
            EXPECT_TRUE(Commands.Calls.empty());
            continue;
        }
        ASSERT_EQ(Commands.Calls.size(), 1u);
        EXPECT_EQ(Commands.Calls[0].first, Row.Handler);
        EXPECT_EQ(Commands.Calls[0].second, Row.Argument);
    }
}

TEST_F(ToolTable, ToolsRunNothingBeforeTheirHandlersExist) {
    for (int I = 0; I < ToolList().Count(); ++I)
        ToolList().Items(I)->Execute();
    test::TRecordingCommands Commands;
    SetDebuggerCommands(nullptr);
    ToolList().Items(ToolIndex::DebugStepInto)->Execute();
    ToolList().Items(ToolIndex::FileNew)->Execute();
    ASSERT_EQ(Commands.Calls.size(), 1u);
    EXPECT_EQ(Commands.Calls[0].first, "TKorvidForm.FileNew");
}

} // namespace
} // namespace korvid
