#include "tests/psystem/VolumeTestSupport.h"

#include "psystem/FilerModel.h"

#include <algorithm>

namespace korvid::test {
namespace {

class TFilerModelTest : public TVolumeTest {
protected:
    std::vector<TFilerItem> Items(bool WithGaps) {
        const auto Path = Temp.Path() / "w.vol";
        if (!std::filesystem::exists(Path))
            BuildWorkVolume(Path);
        TMajorVolume V(Path, false);
        std::vector<TFilerItem> Result;
        V.Enumerate(WithGaps, [&](const TFileInfo& Info) {
            Result.push_back(FilerItemOf(Info));
            return true;
        });
        return Result;
    }
};

TEST_F(TFilerModelTest, ListingShowsEveryRowAsItStands) {
    EXPECT_EQ(FilerListingText("w.vol", Items(true)),
              "w.vol\r\n"
              "Name             Modified          Blocks  Bytes      Type       First Block\r\n"
              "A.text           02/05/1977 13:07  4       2048       Text       6\r\n"
              "-- VOID --\r\n"
              "B.code           02/05/1977 -1:-1  2       1024       Code       12\r\n"
              "-- VOID --");
}

TEST_F(TFilerModelTest, ItemsKeepTheStoredNameAndTheirIcon) {
    const std::vector<TFilerItem> List = Items(true);
    ASSERT_EQ(List.size(), 4u);
    EXPECT_EQ(List[0].StoredName, "A.TEXT");
    EXPECT_EQ(List[0].Icon, fiTextFile);
    EXPECT_TRUE(List[1].IsGap());
    EXPECT_EQ(List[1].SubItems[1], "2");
    EXPECT_EQ(List[1].SubItems[4], "10");
    EXPECT_EQ(List[2].Icon, fiOtherFile);
    EXPECT_TRUE(List[3].IsGap());
    EXPECT_EQ(List[3].SubItems[1], "80");
}

TEST(TFilerCaption, NamesThePaneTheFileAndTheSubvolume) {
    EXPECT_EQ(FilerCaption({}), "p-System Filer");
    EXPECT_EQ(FilerCaption({false, "/t/w.vol", "", false, ""}), "(left)     /t/w.vol");
    EXPECT_EQ(FilerCaption({true, "/t/w.vol", "SUB", true, ""}), "(right)     SUB (in /t/w.vol)");
    EXPECT_EQ(FilerCaption({false, "/t/w.vol", "", false, "II.0"}), "(left)     /t/w.vol     II.0");
}

TFilerItem Dated(const std::string& Caption, const std::string& Modified) {
    TFilerItem Item;
    Item.Caption = Caption;
    Item.Icon = fiTextFile;
    Item.SubItems[0] = Modified;
    return Item;
}

TEST(TFilerCompare, UntimedAndUnencodableDatesCompareAsZero) {
    EXPECT_EQ(ModifiedValue("02/05/1977 -1:-1"), 0);
    EXPECT_EQ(ModifiedValue("00/05/1977 13:07"), 0);
    EXPECT_EQ(ModifiedValue("02/00/1977 13:07"), 0);
    EXPECT_EQ(ModifiedValue(""), 0);
    EXPECT_LT(ModifiedValue("02/05/1977 13:07"), ModifiedValue("03/05/1977 00:00"));
    EXPECT_LT(ModifiedValue("31/12/1976 23:59"), ModifiedValue("01/01/1977 00:00"));
}

TEST(TFilerCompare, ColumnsCompareByTheirKindThenByCaption) {
    TFilerItem A = Dated("A", "");
    TFilerItem B = Dated("B", "");
    A.SubItems[1] = "10";
    B.SubItems[1] = "9";
    EXPECT_GT(CompareFilerItems(A, B, fcBlocks), 0); // as numbers, not as text
    B.SubItems[1] = "x";                             // not a number: 0
    EXPECT_GT(CompareFilerItems(A, B, fcBlocks), 0);
    A.SubItems[3] = "Text";
    B.SubItems[3] = "Code";
    EXPECT_GT(CompareFilerItems(A, B, fcType), 0);
    A.SubItems[3] = B.SubItems[3];
    EXPECT_LT(CompareFilerItems(A, B, fcType), 0); // the tie goes by caption
    EXPECT_LT(CompareFilerItems(Dated("a", ""), Dated("b", ""), fcName), 0);
    EXPECT_LT(CompareFilerItems(Dated("B", ""), Dated("a", ""), fcName), 0); // by codes
}

struct TEnablingCase {
    const char* Name;
    TFilerPaneFacts Facts;
    std::vector<int> Enabled;
};

TEST(TFilerCommands, EnablingFollowsThePane) {
    const std::vector<int> Always{fcmCreateSubvolume,  fcmUnpackAllRaw, fcmUnpackAll,
                                  fcmUnpackInterfaces, fcmPack,         fcmRefresh,
                                  fcmFullDetails,      fcmDiskLayout,   fcmSimpleList};
    const auto With = [&Always](std::vector<int> More) {
        More.insert(More.end(), Always.begin(), Always.end());
        return More;
    };
    const std::vector<int> OpenMajor{fcmRenameVolume, fcmFlush,  fcmKrunch,
                                     fcmShrink,       fcmUnpack, fcmGrabListing};
    const auto Plus = [](std::vector<int> A, std::vector<int> B) {
        A.insert(A.end(), B.begin(), B.end());
        return A;
    };
    const std::vector<TEnablingCase> Cases = {
        {"no volume", {}, Always},
        {"chosen but unreadable",
         {true, false, false, false, 0, false, false},
         With({fcmGrabListing})},
        {"read-only, one item",
         {true, true, false, false, 1, false, true},
         With(Plus(OpenMajor, {fcmOpen, fcmCopy}))},
        {"writable major, none",
         {true, true, true, false, 0, false, false},
         With(Plus(OpenMajor, {fcmResize}))},
        {"writable major, one",
         {true, true, true, false, 1, false, false},
         With(Plus(OpenMajor, {fcmResize, fcmOpen, fcmRename, fcmDelete}))},
        {"writable major, two",
         {true, true, true, false, 2, false, true},
         With(Plus(OpenMajor, {fcmResize, fcmDelete}))},
        {"subvolume, .. selected",
         {true, true, true, true, 1, true, true},
         With({fcmRenameVolume, fcmFlush, fcmKrunch, fcmGrabListing, fcmResize, fcmOpen,
               fcmUpOneLevel})},
        {"subvolume, two",
         {true, true, true, true, 2, false, true},
         With({fcmRenameVolume, fcmFlush, fcmKrunch, fcmGrabListing, fcmResize, fcmUpOneLevel,
               fcmDelete})},
    };
    for (const TEnablingCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const auto On = FilerCommandsEnabled(Case.Facts);
        for (int Command = 0; Command < FilerCommandCount; ++Command) {
            const bool Expected =
                std::find(Case.Enabled.begin(), Case.Enabled.end(), Command) != Case.Enabled.end();
            EXPECT_EQ(On[std::size_t(Command)], Expected) << "command " << Command;
        }
    }
}

TEST(TFilerRename, RefusesWhatTheDirectoryCannotCarry) {
    const std::string TooLong = "A p-System filename cannot contain more than 15 characters";
    const std::string Letters = "A p-System filename can contain only letters, digits\r"
                                "and the characters '-', '/', '\\', '_' and '.'.";
    const std::string Svol = "Only a subvolume's name may end in .SVOL.";
    const struct {
        const char* Typed;
        int Kind;
        std::string Error;
    } Cases[] = {
        {"new.text", fkText, ""},        {"ABCDEFGHIJK.TEXT", fkText, TooLong},
        {"A:B.TEXT", fkText, Letters},   {"A>B.TEXT", fkText, Letters},
        {"MY FILE", fkText, Letters},    {"X.SVOL", fkText, Svol},
        {"OTHER.SVOL", fkSubvolume, ""}, {"OTHER.TEXT", fkSubvolume, Svol},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Typed);
        EXPECT_EQ(FilerRenameError(Case.Typed, Case.Kind), Case.Error);
    }
}

TEST(TFilerResize, LimitsAreComputedInFull) {
    const struct {
        const char* Name;
        int End, LastFileEnd;
        bool HasFiles;
        int ParentEnd;
        int Min, Max;
    } Cases[] = {
        {"major, empty", 94, 6, false, -1, 6, 32767},
        {"major, last file at 300", 400, 300, true, -1, 300, 32767},
        {"major past the limit only shrinks", 40000, 300, true, -1, 300, 40000},
        {"subvolume", 30, 20, true, 200, 20, 30 + 32767 - 200},
        {"subvolume of a parent past 32767", 30, 20, true, 40000, 20, 30},
        {"subvolume whose parent nears the limit", 30, 20, true, 32760, 20, 37},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TResizeBounds B =
            ResizeBoundsOf(Case.End, Case.LastFileEnd, Case.HasFiles, Case.ParentEnd);
        EXPECT_EQ(B.Min, Case.Min);
        EXPECT_EQ(B.Max, Case.Max);
        EXPECT_EQ(B.End, Case.End);
    }
}

TEST(TFilerCreateSubvolume, OkNeedsANameAndTenBlocks) {
    EXPECT_FALSE(CanCreateSubvolume("SUB", "9"));
    EXPECT_TRUE(CanCreateSubvolume("SUB", "10"));
    EXPECT_FALSE(CanCreateSubvolume("", "20"));
    EXPECT_FALSE(CanCreateSubvolume("SUB", "ten"));
}

} // namespace
} // namespace korvid::test
