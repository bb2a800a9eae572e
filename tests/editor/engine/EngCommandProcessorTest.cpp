#include "editor/engine/EngCommandProcessor.h"
#include "platform/VirtualKeyCodes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvid {
namespace {

constexpr int S = EngShift;
constexpr int C = EngCtrl;
constexpr int A = EngAlt;

class CommandProcessor : public ::testing::Test {
protected:
    CommandProcessor() { P.CreateDefaultTables(); }
    TEngCommandProcessor P;

    void UseOnly(const char* Name) {
        for (int I = 0; I < P.TableCount(); ++I)
            P.Table(I).Active = P.Table(I).Name == Name;
    }
};

TEST_F(CommandProcessor, BuiltInTablesHaveTheirRowsAndOnlyDefaultIsActive) {
    ASSERT_EQ(P.TableCount(), 3);
    EXPECT_EQ(P.Table(0).Name, "Default");
    EXPECT_EQ(P.Table(0).Count(), 66);
    EXPECT_TRUE(P.Table(0).Active);
    EXPECT_EQ(P.Table(1).Name, "WordStar");
    EXPECT_EQ(P.Table(1).Count(), 40);
    EXPECT_FALSE(P.Table(1).Active);
    EXPECT_EQ(P.Table(2).Name, "Grid");
    EXPECT_EQ(P.Table(2).Count(), 38);
    EXPECT_FALSE(P.Table(2).Active);
    for (int T = 0; T < 3; ++T) { // no key sequence twice
        for (int I = 0; I < P.Table(T).Count(); ++I)
            EXPECT_EQ(P.Table(T).IndexOf(P.Table(T).Get(I).KeySequence()), I) << T << " " << I;
    }
}

struct TKeyCase {
    int Key;
    int Shift;
    std::uint16_t Want;
};

TEST_F(CommandProcessor, DefaultTableAnswers) {
    const TKeyCase Cases[] = {
        {'Z', C, ccUndo},           {'Z', S | C, ccRedo},
        {'3', S | C, ccSetMarker3}, {'0', C, ccGotoMarker0},
        {VK_BACK, A, ccRestore},    {VK_BACK, S, ccBack},
        {VK_RETURN, C, ccNewLine},  {VK_TAB, C, ccTab},
        {VK_DELETE, S, ccCut},      {VK_NEXT, S | C, ccExtBotOfPage},
        {VK_SHIFT, S, ccNoMatch},   {VK_CONTROL, C, ccNoMatch},
        {'A', 0, ccNoMatch},        {'Z', A, ccNoMatch},
        {VK_F2, 0, ccNoMatch}, // Grid is inactive
    };
    for (const auto& K : Cases)
        EXPECT_EQ(P.TranslateKeys(K.Key, K.Shift), K.Want) << K.Key << " shift " << K.Shift;
}

TEST_F(CommandProcessor, WordStarSequences) {
    UseOnly("WordStar");
    // Each row: a key, its modifiers and the answer, in the order pressed.
    const TKeyCase Steps[] = {
        {'Q', C, ccSwallowed},    {'S', 0, ccHome}, // second key alone
        {'Q', C, ccSwallowed},    {'S', C, ccHome}, // or with Ctrl
        {'Q', C, ccSwallowed},    {VK_SHIFT, S, ccSwallowed},
        {'S', S, ccBadSecondKey}, {'S', 0, ccNoMatch}, // the sequence was dropped
        {'S', C, ccLeft},                              // single-key rows still work
        {'K', C, ccSwallowed},    {'7', 0, ccSetMarker7},
        {'P', C, ccCtrlChar},     {'S', C, ccNoMatch}, // the key after Ctrl+P goes through
        {'S', C, ccLeft},
    };
    for (std::size_t I = 0; I < std::size(Steps); ++I)
        EXPECT_EQ(P.TranslateKeys(Steps[I].Key, Steps[I].Shift), Steps[I].Want) << "step " << I;
}

TEST_F(CommandProcessor, SequenceStateIsSharedAndResettable) {
    UseOnly("WordStar");
    EXPECT_EQ(P.TranslateKeys('Q', C), ccSwallowed);
    P.ResetState();
    EXPECT_EQ(P.TranslateKeys('S', 0), ccNoMatch);
    EXPECT_EQ(P.TranslateKeys(VK_SHIFT, S), ccNoMatch);
}

TEST_F(CommandProcessor, FirstActiveTableThatAnswersWins) {
    P.Table(2).Active = true; // Grid after Default
    EXPECT_EQ(P.TranslateKeys('Z', C), ccUndo);
    EXPECT_EQ(P.TranslateKeys(VK_F2, 0), ccTableEdit);
    P.Table(0).Active = false;
    EXPECT_EQ(P.TranslateKeys('Z', C), ccRestore);
}

TEST_F(CommandProcessor, AddingRecordsRaisesOnDuplicatesAndUnknownTables) {
    EXPECT_THROW(P.AddCommand("Default", {'Z', C, 0, 0, ccCut}), EDuplicateCommand);
    EXPECT_THROW(P.AddCommand("Nothing", {'Q', C, 0, 0, ccCut}), ETableNotFound);
    P.AddCommand("default", {'Q', C, 0, 0, 300});
    EXPECT_EQ(P.TranslateKeys('Q', C), 300);
    // A second key makes another key sequence.
    P.AddCommand("Default", {'Q', C, 'W', 0, 301});
}

TEST_F(CommandProcessor, UniqueNames) {
    struct TCase {
        const char* Name;
        const char* Want;
    } Cases[] = {{"Default2", "Default1"}, {"Default", "Default1"}, {"Mine7", "Mine7"}, {"7", "7"},
                 {"grid", "grid1"},        {"Grid12", "Grid1"}};
    for (const auto& Case : Cases)
        EXPECT_EQ(P.UniqueName(Case.Name), Case.Want) << Case.Name;
    P.CreateTable("Default", false);
    EXPECT_EQ(P.Table(3).Name, "Default1");
    EXPECT_EQ(P.UniqueName("Default"), "Default2");
}

TEST_F(CommandProcessor, TextFormWritesRightAlignedFieldsAndReadsThemBack) {
    std::ostringstream Out;
    P.SaveTable("default", Out);
    const std::string Text = Out.str();
    EXPECT_EQ(Text.substr(0, 33), "Default\r\n  37   0   0   0    46\r\n");
    std::ostringstream None;
    P.SaveTable("Nothing", None);
    EXPECT_TRUE(None.str().empty());

    std::istringstream In(Text);
    const int Index = P.LoadTable(In);
    EXPECT_EQ(P.Table(Index).Name, "Default1");
    EXPECT_EQ(P.Table(Index).Records(), P.Table(0).Records());
}

TEST_F(CommandProcessor, TextFormRefusesMalformedLines) {
    const char* Bad[] = {"  37 0 0 0\n", "256 0 0 0 46\n", "37 0 0 0 65536\n",
                         "37 0 0 0 x\n", "37 0 0 -1 46\n", "37 0 0 0 46 1\n"};
    for (const char* Line : Bad) {
        std::istringstream In(std::string("Mine\n 38 0 0 0 73\n") + Line);
        EXPECT_THROW(P.LoadTable(In), EInvalidCommandTableFile) << Line;
    }
    EXPECT_EQ(P.TableCount(), 3);
    std::istringstream Good("Mine\r\n255 8 255 128 65535\r\n\r\n");
    const int Index = P.LoadTable(Good);
    EXPECT_EQ(P.Table(Index).Get(0), (TEngKeyRecord{255, 8, 255, 128, 65535}));
}

TEST(CommandStoredForm, BuiltInTablesKeepOnlyTheirDifferences) {
    TEngCommandProcessor P;
    P.CreateDefaultTables();
    TEngCommandTable& Default = P.Table(0);
    EXPECT_TRUE(StoredPairs(Default).empty());

    const TEngKeyRecord Undo{'Z', C, 0, 0, ccUndo};
    const TEngKeyRecord Home{VK_HOME, 0, 0, 0, ccHome};
    Default.Delete(Default.IndexOf(Undo.KeySequence()));
    Default.Replace(Default.IndexOf(Home.KeySequence()), {VK_HOME, 0, 0, 0, ccFirstPage});
    Default.Add({'Q', C, 'S', NoneOrCtrl, ccHome});
    const auto Pairs = StoredPairs(Default);
    const std::vector<TKeyCommandPair> Want{
        {Undo.KeySequence(), 0},
        {Home.KeySequence(), ccFirstPage},
        {0x8053'0451u, ccHome},
    };
    EXPECT_EQ(Pairs, Want);

    TEngCommandTable Read;
    Read.Name = "Default";
    ApplyStoredPairs(Read, Pairs);
    EXPECT_EQ(Read.Count(), Default.Count());
    for (const TEngKeyRecord& R : Default.Records())
        EXPECT_EQ(Read.Get(Read.IndexOf(R.KeySequence())), R);
    EXPECT_EQ(Read.IndexOf(Undo.KeySequence()), -1);

    TEngCommandTable Other;
    Other.Name = "Mine";
    Other.Add(Undo);
    EXPECT_EQ(StoredPairs(Other), (std::vector<TKeyCommandPair>{{Undo.KeySequence(), ccUndo}}));
}

} // namespace
} // namespace korvid
