#include "tests/devtools/definitions/DefsTestSupport.h"

#include "psystem/VolumeFile.h"
#include "psystem/VolumeMessages.h"

#include <random>

namespace korvid::test {
namespace {

TEST(DefsLayout, SystemFileAndArrays) {
    TDefsList List;
    ComputeRecordLayout(List.File(0));
    EXPECT_EQ(List.File(0).DataSize, 256);
    EXPECT_EQ(List.File(0).RecordSize, 336);
    const TDefsField& Choice = List.File(0).Field(0);
    EXPECT_EQ(Choice.Name, "choice");
    EXPECT_EQ(Choice.FieldType, dfRefString);
    EXPECT_EQ(Choice.Capacity, 3);
    EXPECT_EQ(Choice.Base, 80);
    TDefsFile& Other = List.File(4);
    SetField(Other, {1, "lines", dfString, 10, 3});
    ComputeRecordLayout(Other);
    EXPECT_EQ(Other.DataSize, 18);
    EXPECT_EQ(Other.RecordSize, 18);
    EXPECT_EQ(Other.Field(0).Name, "record");
    EXPECT_EQ(Other.Field(0).Base, 18);
    // A set takes its words once; links add to the record but not the data; a one-word
    // record puts the system field at 3.
    TDefsFile& Small = List.File(5);
    SetField(Small, {1, "flags", dfSet, 0, 40});
    SetField(Small, {.Index = 2, .Name = "up", .Type = dfAttach, .FileRef = 4});
    SetField(Small, {.Index = 3, .Name = "t", .Type = dfTitle, .Elements = 3});
    ComputeRecordLayout(Small);
    EXPECT_EQ(Small.Field(2).Base, 3);
    EXPECT_EQ(Small.DataSize, 5);
    EXPECT_EQ(Small.RecordSize, 7);
    TDefsFile& One = List.File(6);
    SetField(One, {1, "n", dfInteger});
    ComputeRecordLayout(One);
    EXPECT_EQ(One.Field(0).Base, 3);
}

TEST(DefsFile, ListWithoutFilesSavesOneEmptyRecord) {
    TDefsList List;
    int Size = 0;
    const std::string Image = SerialiseDefs(List, Size);
    EXPECT_EQ(Image.size(), std::size_t(DefsImageSize));
    EXPECT_EQ(Size, DefsRecordSize);
    EXPECT_EQ(Image[0], '\0');
    // Placeholder names are never stored, not even for a system file with a size.
    ComputeRecordLayout(List.File(0));
    const std::string Laid = SerialiseDefs(List, Size);
    EXPECT_EQ(Size, DefsRecordSize);
    EXPECT_EQ(Laid[0], '\0');
}

TEST(DefsFile, MapDefsName) {
    const std::pair<const char*, const char*> Cases[] = {
        {"CGEN.DEFS", "NOM4"},
        {"CNOM", "NOM2"},
        {"ADMIN", "ADMI"},
        {"CADMIN.DEFS", "ADMI"},
        {"CUSTOMER", "USTOMER"},
        {"dir/stock.defs", "STOCK"},
        {"", ""},
        {"C", ""},
    };
    for (const auto& [Name, Mapped] : Cases)
        EXPECT_EQ(MapDefsName(Name), Mapped) << Name;
}

TEST(DefsFile, SplitVolumePath) {
    TScriptedModals Modals;
    TDefsVolumePath Parts;
    ASSERT_TRUE(SplitVolumePath("WORK.VOL>DATA.SVOL:STOCK.DEFS", Parts));
    EXPECT_EQ(Parts.Volume, "WORK.VOL");
    EXPECT_EQ(Parts.Subvolume, "DATA.SVOL");
    EXPECT_EQ(Parts.FileName, "STOCK.DEFS");
    ASSERT_TRUE(SplitVolumePath("WORK.VOL>STOCK.DEFS", Parts));
    EXPECT_EQ(Parts.Volume, "WORK.VOL");
    EXPECT_EQ(Parts.Subvolume, "");
    EXPECT_EQ(Parts.FileName, "STOCK.DEFS");
    EXPECT_TRUE(Modals.Shown().empty());
    EXPECT_FALSE(SplitVolumePath("STOCK.DEFS", Parts));
    EXPECT_FALSE(SplitVolumePath("WORK.VOL>", Parts));
    ASSERT_EQ(Modals.Shown().size(), 2u);
    EXPECT_EQ(Modals.Shown()[0].Message->Caption, "Defs Editor");
    EXPECT_EQ(Modals.Shown()[0].Message->Text,
              "The file \"STOCK.DEFS\" is not part of a p-System volume.");
}

// Random definitions with every value in the range the editor keeps.
void RandomDefs(TDefsList& List, std::mt19937& Random) {
    const auto Pick = [&Random](int Low, int High) {
        return std::uniform_int_distribution<int>(Low, High)(Random);
    };
    for (int I = 0; I < DefsFileCount; ++I) {
        if (Pick(0, 2) == 0)
            continue;
        TDefsFile& File = List.File(I);
        File.Name = "f" + std::to_string(Pick(0, 99999999));
        for (int J = 1; J < DefsFieldCount; ++J) {
            if (Pick(0, 3) == 0)
                continue;
            SetField(File, {J, "x" + std::to_string(Pick(0, 9999)), Pick(1, 15), Pick(0, 60),
                            Pick(0, 4), Pick(0, 15), Pick(0, 1) == 1, Pick(0, 1) == 1, Pick(0, 20),
                            Pick(0, 60), Pick(0, 60), Pick(0, 60)});
        }
        for (int K = 1; K <= DefsKeyCount; ++K)
            if (Pick(0, 1) == 1)
                SetKey(File, K,
                       {{Pick(1, 60), Pick(0, 63), Pick(0, 12)},
                        {Pick(0, 60), Pick(0, 63), Pick(0, 12)},
                        {Pick(0, 60), Pick(0, 63), Pick(0, 12)}},
                       Pick(0, 1) == 1);
        ComputeRecordLayout(File);
    }
}

class TDefsRoundTrip : public TDefsTest {
protected:
    // Saves List as Name and loads it back into Loaded; answers the stored image.
    std::string SaveAndLoad(TDefsList& List, const std::string& Name, TDefsList& Loaded) {
        List.Path = VolumePath(Name);
        EXPECT_TRUE(SaveDefsToVolume(List));
        EXPECT_TRUE(LoadDefsFromVolume(Loaded, List.Path));
        TMajorVolume V(Volume, false);
        return V.ReadFileData(0, Name);
    }
};

TEST_F(TDefsRoundTrip, RandomListsSettleAfterOneLoad) {
    const unsigned Seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(Seed));
    std::mt19937 Random(Seed);
    for (int Round = 0; Round < 20; ++Round) {
        TDefsList First, Second, Third;
        RandomDefs(First, Random);
        SaveAndLoad(First, "R.DEFS", Second);
        const std::string Image2 = SaveAndLoad(Second, "R.DEFS", Third);
        TDefsList Fourth;
        const std::string Image3 = SaveAndLoad(Third, "R.DEFS", Fourth);
        ASSERT_EQ(Image2, Image3) << "round " << Round;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TDefsRoundTrip, FieldsComeBackAsStored) {
    TDefsList List;
    BuildAppDefs(List);
    List.File(1).Name = "customers1234";
    List.File(1).Field(2).Name = "quantities";
    SetField(List.File(2), {.Index = 9, .Name = "gone", .Type = dfNone, .Capacity = 7});
    ComputeRecordLayout(List.File(2));
    TDefsList Loaded;
    SaveAndLoad(List, "APP.DEFS", Loaded);
    EXPECT_EQ(Loaded.File(1).Name, "customers");
    EXPECT_EQ(Loaded.File(1).Field(2).Name, "quantitie");
    const TDefsField& Price = Loaded.File(1).Field(3);
    EXPECT_EQ(Price.FieldType, dfNumber);
    EXPECT_EQ(Price.Capacity, 9);
    EXPECT_EQ(Price.Scale, 2);
    EXPECT_TRUE(Price.Flag);
    EXPECT_EQ(Price.Base, 17);
    const TDefsField& Total = Loaded.File(1).Field(6);
    EXPECT_EQ(Total.FileRef, 1);
    EXPECT_EQ(Total.FieldRef, 5);
    EXPECT_EQ(Total.SecondRef, 3);
    EXPECT_EQ(Loaded.File(1).Key(1).PartKind[0], 3);
    EXPECT_FALSE(Loaded.File(1).Key(1).Duplicates);
    EXPECT_TRUE(Loaded.File(1).Key(2).Duplicates);
    // A void field keeps only its base.
    const TDefsField& Gone = Loaded.File(2).Field(9);
    EXPECT_EQ(Gone.Name, "(field 9)");
    EXPECT_EQ(Gone.Capacity, 0);
    EXPECT_EQ(Gone.Base, List.File(2).Field(9).Base);
    EXPECT_EQ(Loaded.File(0).DataSize, 256);
    EXPECT_EQ(Loaded.File(1).DataSize, List.File(1).DataSize);
}

TEST_F(TDefsRoundTrip, TheNameFileIsLeftAlone) {
    std::string Names(2 * DefsNamesRecordSize + 17, 'n');
    Store("APP.NAME", Names);
    TDefsList List;
    ASSERT_TRUE(LoadDefsFromVolume(List, VolumePath("APP.DEFS")));
    List.File(2).Name = "order";
    ASSERT_TRUE(SaveDefsToVolume(List));
    TMajorVolume V(Volume, false);
    EXPECT_EQ(V.ReadFileData(0, "APP.NAME"), Names);
    EXPECT_EQ(DecodeDefsRecord(V.ReadFileData(0, "APP.DEFS").substr(2 * DefsRecordSize)).Name,
              "order");
}

// A file that lacked file 0 does not gain one from the layout the editor computes.
TEST_F(TDefsRoundTrip, PlaceholderFileNamesAreNotStored) {
    TDefsList List;
    SetField(List.File(3), {1, "a", dfInteger});
    List.File(3).Name = "third";
    for (const auto& File : List)
        ComputeRecordLayout(*File);
    TDefsList Loaded;
    const std::string Image = SaveAndLoad(List, "P.DEFS", Loaded);
    ASSERT_EQ(Image.size(), std::size_t(4 * DefsRecordSize));
    EXPECT_EQ(DecodeDefsRecord(Image).Name, "");
    EXPECT_EQ(Read("P.DEFS", 0).front(), "");
    EXPECT_EQ(IndexOfLine(Read("P.DEFS", 1), "  dummy0:    pointer;") < 1000, true);
}

TEST_F(TDefsRoundTrip, LayoutsPastTheSizeWordsAreRefused) {
    TDefsList List;
    List.Path = VolumePath("BIG.DEFS");
    TDefsFile& Big = List.File(1);
    Big.Name = "big";
    for (int J = 1; J < DefsFieldCount; ++J)
        SetField(Big, {J, "s" + std::to_string(J), dfString, 127, 255});
    ComputeRecordLayout(Big);
    EXPECT_EQ(Big.DataSize, 979200);
    EXPECT_FALSE(SaveDefsToVolume(List));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Defs Editor|The records of file big need "
                                                   "979200 words; at most 32767 fit."});
    TMajorVolume V(Volume, false);
    EXPECT_EQ(V.FindFile("BIG.DEFS"), 0);
}

TEST_F(TDefsRoundTrip, FailuresAreShownAndLoadNothing) {
    TDefsList List;
    List.File(1).Name = "stale";
    EXPECT_FALSE(LoadDefsFromVolume(List, VolumePath("NONE.DEFS")));
    EXPECT_EQ(List.File(1).Name, "(file 1)");
    EXPECT_EQ(List.Count(), DefsFileCount);
    EXPECT_FALSE(LoadDefsFromVolume(List, (Temp / "missing.vol").string() + ">A.DEFS"));
    EXPECT_FALSE(LoadDefsFromVolume(List, "APP.DEFS"));
    const std::vector<std::string> Shown = Messages();
    ASSERT_EQ(Shown.size(), 3u);
    EXPECT_EQ(Shown[0], "Defs Editor|File 'NONE.DEFS' not found");
    EXPECT_TRUE(Shown[1].starts_with("Defs Editor|Can't open major volume"));
    EXPECT_EQ(Shown[2], "Defs Editor|The file \"APP.DEFS\" is not part of a p-System volume.");
}

// A volume file cut short inside the definitions: the read fails and nothing is listed.
TEST_F(TDefsTest, UnreadableRecordRaises) {
    TMajorVolume V(Volume, false);
    const TFileInfo Info = V.FileInfo(0, "APP.DEFS");
    const std::int64_t Start = std::int64_t(Info.FirstBlock) * BlockSize;
    std::filesystem::resize_file(Volume, std::uintmax_t(Start + DefsRecordSize + 10));
    TMajorVolume Short(Volume, false);
    std::vector<std::string> Lines = {"old"};
    TDefsList List;
    try {
        ReadDefsFileText(Short, Lines, {nullptr, &List}, "App", 0, Start, Info.Size(), {});
        FAIL() << "no error";
    } catch (const EVolumeError& Error) {
        EXPECT_STREQ(Error.what(), "Can't read file 'APP.DEFS' at byte 1182");
    }
    EXPECT_EQ(List.File(0).Name, "(file 0)");
}

TEST_F(TDefsRoundTrip, SubvolumesToo) {
    {
        TMajorVolume V(Volume, true);
        ASSERT_TRUE(V.CopyFileTo(0, "DATA", 40, V));
    }
    TDefsList List;
    BuildAppDefs(List);
    TDefsList Loaded;
    List.Path = Volume.string() + ">DATA.SVOL:APP.DEFS";
    ASSERT_TRUE(SaveDefsToVolume(List));
    ASSERT_TRUE(LoadDefsFromVolume(Loaded, List.Path));
    EXPECT_EQ(Loaded.File(2).Field(1).Name, "cust");
    EXPECT_EQ(Loaded.Path, List.Path);
}

// Whichever write fails, the old definitions stay byte-identical and the volume valid.
TEST_F(TDefsRoundTrip, FailedSavesLeaveTheOldFile) {
    const std::string Template = ReadFileBytes(Volume);
    TMajorVolume Before(Volume, false);
    const std::string OldImage = Before.ReadFileData(0, "APP.DEFS");
    TDefsList List;
    BuildAppDefs(List);
    List.File(2).Name = "sales";
    SetField(List.File(3), {1, "more", dfString, 120, 40});
    ComputeRecordLayout(List.File(3));
    List.Path = VolumePath("APP.DEFS");
    InjectVolumeFileFault(0);
    ASSERT_TRUE(SaveDefsToVolume(List));
    const int Count = VolumeFileMutationCount();
    ASSERT_GT(Count, 0);
    for (int K = 1; K <= Count; ++K) {
        SCOPED_TRACE("failing write " + std::to_string(K));
        WriteFileBytes(Volume, Template);
        InjectVolumeFileFault(K);
        EXPECT_FALSE(SaveDefsToVolume(List));
        InjectVolumeFileFault(0);
        TMajorVolume After(Volume, false);
        EXPECT_FALSE(After.IsDamaged());
        EXPECT_EQ(After.ReadFileData(0, "APP.DEFS"), OldImage);
    }
    EXPECT_EQ(int(Messages().size()), Count);
}

} // namespace
} // namespace korvid::test
