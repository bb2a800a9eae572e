#include "views/ViewList.h"

#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

class ViewListTest : public ::testing::Test {
protected:
    static std::string Path(int KeyIndex, std::string_view Sub = {}) {
        std::string Key = "\\" + std::string(ViewsKeys[KeyIndex]);
        return Sub.empty() ? Key : Key + "\\" + std::string(Sub);
    }
    static void WriteView(int KeyIndex, std::string_view Sub, std::string_view Name,
                          bool IsDefault = false) {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(Path(KeyIndex, Sub), true));
        Reg.WriteString("Name", Name);
        if (IsDefault)
            Reg.WriteBool("Default", true);
    }
    static std::vector<std::string> Names(const TViewList& List) {
        std::vector<std::string> Result;
        for (int I = 0; I < List.Count(); ++I)
            Result.push_back(List.GetView(I).Name());
        return Result;
    }

    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
};

TEST_F(ViewListTest, WithoutAnyViewsKeyThePlainTextViewIsTheDefault) {
    TViewList List;
    List.LoadFromRegistry();
    ASSERT_EQ(List.Count(), 1);
    EXPECT_EQ(List.GetView(0).Name(), "Plain Text");
    EXPECT_EQ(List.DefaultView, &List.GetView(0));
}

TEST_F(ViewListTest, TheFirstMarkedViewIsTheDefaultAndUnmarkedListsGetPlainText) {
    WriteView(CurrentKeyIndex, "1", "Pascal");
    WriteView(CurrentKeyIndex, "2", "Lorvanta", true);
    WriteView(CurrentKeyIndex, "3", "Report", true);
    TViewList List;
    List.LoadFromRegistry();
    EXPECT_EQ(Names(List), (std::vector<std::string>{"Pascal", "Lorvanta", "Report"}));
    ASSERT_NE(List.DefaultView, nullptr);
    EXPECT_EQ(List.DefaultView->Name(), "Lorvanta");

    TRegistryEx Reg;
    Reg.DeleteSubKeys(Path(CurrentKeyIndex));
    WriteView(CurrentKeyIndex, "1", "Pascal");
    List.LoadFromRegistry();
    EXPECT_EQ(Names(List), (std::vector<std::string>{"Pascal", "Plain Text"}));
    EXPECT_EQ(List.DefaultView, &List.GetView(1));
}

TEST_F(ViewListTest, LegacyViewsAreReadAndSavedToTheCurrentPath) {
    WriteView(LegacyKeyIndex, "1", "Old Pascal", true);
    WriteView(LegacyKeyIndex, "2", "Old Text");
    TViewList List;
    List.LoadFromRegistry();
    EXPECT_EQ(Names(List), (std::vector<std::string>{"Old Pascal", "Old Text"}));
    List.SaveToRegistry();

    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKey(Path(CurrentKeyIndex, "1"), false));
    EXPECT_EQ(Reg.ReadStringDefault("Name", ""), "Old Pascal");
    EXPECT_TRUE(Reg.ReadBoolDefault("Default", false));
    ASSERT_TRUE(Reg.OpenKey(Path(CurrentKeyIndex, "2"), false));
    EXPECT_FALSE(Reg.ValueExists("Default"));
    // Once the current key exists the legacy one is no longer read.
    WriteView(LegacyKeyIndex, "3", "Stale");
    List.LoadFromRegistry();
    EXPECT_EQ(Names(List), (std::vector<std::string>{"Old Pascal", "Old Text"}));
}

TEST_F(ViewListTest, SavingRenumbersAndLeavesNoStaleSubkeys) {
    WriteView(CurrentKeyIndex, "1", "A", true);
    WriteView(CurrentKeyIndex, "2", "B");
    WriteView(CurrentKeyIndex, "7", "C");
    TViewList List;
    List.LoadFromRegistry();
    List.Delete(1);
    List.SaveToRegistry();
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKey(Path(CurrentKeyIndex), false));
    EXPECT_EQ(Reg.GetKeyNames(), (std::vector<std::string>{"1", "2"}));
    List.LoadFromRegistry();
    EXPECT_EQ(Names(List), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(List.DefaultView->Name(), "A");
}

TEST_F(ViewListTest, TwelveViewsKeepTheirOrderOverLoadAndSaveCycles) {
    TViewList List;
    List.LoadFromRegistry(); // Plain Text, the default
    std::vector<std::string> Expected{"Plain Text"};
    for (int I = 1; I < 12; ++I) {
        auto View = std::make_unique<TView>();
        View->SetName("View " + std::to_string(I));
        View->Wildcards = "*.x" + std::to_string(I);
        Expected.push_back(View->Name());
        List.Add(std::move(View));
    }
    List.DefaultView = &List.GetView(10);
    for (int Cycle = 0; Cycle < 3; ++Cycle) {
        List.SaveToRegistry();
        List.LoadFromRegistry();
        EXPECT_EQ(Names(List), Expected) << "cycle " << Cycle;
        EXPECT_EQ(List.DefaultView, &List.GetView(10));
    }
    EXPECT_EQ(List.FindForFileName("a.X10").Name(), "View 10");
}

TEST_F(ViewListTest, LookupsFallBackToTheDefaultView) {
    TViewList List;
    TView& Pascal = List.Add(std::make_unique<TView>());
    Pascal.SetName("Pascal");
    Pascal.Wildcards = "*.pas";
    Pascal.PSystemPascal = true;
    TView& Lorvanta = List.Add(std::make_unique<TView>());
    Lorvanta.SetName("Lorvanta");
    Lorvanta.PSystemLorvanta = true;
    TView& Second = List.Add(std::make_unique<TView>());
    Second.Wildcards = "*.PAS";
    Second.PSystemPascal = true;

    EXPECT_EQ(&List.FindForFileName("unit.pas"), &Pascal);
    EXPECT_EQ(&List.FindForPSystemPascal(), &Pascal);
    EXPECT_EQ(&List.FindForPSystemLorvanta(), &Lorvanta);
    EXPECT_EQ(List.DefaultView, nullptr);
    TView& Fallback = List.FindForPSystemReportWriter();
    EXPECT_EQ(Fallback.Name(), "Plain Text");
    EXPECT_EQ(List.DefaultView, &Fallback);
    EXPECT_EQ(&List.FindForFileName("notes.txt"), &Fallback);
    EXPECT_EQ(List.Count(), 4);

    // p-System files by the kind of their text.
    EXPECT_EQ(&List.FindForPSystemFile("X.TEXT", {"PROGRAM Hello;"}, Lorvanta), &Pascal);
    EXPECT_EQ(&List.FindForPSystemFile("X.TEXT", {"proc main"}, Second), &Lorvanta);
    EXPECT_EQ(&List.FindForPSystemFile("X.TEXT", {".PAGE"}, Second), &Fallback);
    EXPECT_EQ(&List.FindForPSystemFile("X.TEXT", {"just words"}, Second), &Second);
}

} // namespace
} // namespace korvid
