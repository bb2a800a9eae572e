#include "tests/psystem/VolumeTestSupport.h"

#include "psystem/PSystemNames.h"

namespace korvid::test {
namespace {

using TVolumeFormat = TVolumeTest;

std::string Bytes(std::initializer_list<int> Values) {
    std::string S;
    for (const int V : Values)
        S += static_cast<char>(V);
    return S;
}

TEST_F(TVolumeFormat, NewVolumeFileIsByteExact) {
    const auto Path = NewVolume("work.vol", "Work", 100);
    const std::string Image = ReadFileBytes(Path);
    ASSERT_EQ(Image.size(), 51200u);
    std::string Expected(51200, '\0');
    Expected.replace(1024, 26, Bytes({0, 0,  6, 0, 0, 0, 4, 'W', 'O', 'R', 'K', 0, 0,
                                      0, 94, 0, 0, 0, 0, 0, 0,   0,   0,   0,   0, 0}));
    EXPECT_EQ(Image, Expected);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Temp.Path()), {}), 1);
}

TEST_F(TVolumeFormat, CreateVolumeFileRefusesBadSizesAndCleansUpAFailedWrite) {
    EXPECT_FALSE(CreateVolumeFile(Temp / "small.vol", "X", 5));
    EXPECT_FALSE(CreateVolumeFile(Temp / "big.vol", "X", 32768));
    const auto Path = Temp / "kept.vol";
    WriteFileBytes(Path, "old contents");
    InjectVolumeFileFault(1); // the zero fill meets a full disk
    EXPECT_FALSE(CreateVolumeFile(Path, "NEW", 100));
    InjectVolumeFileFault(0);
    EXPECT_EQ(ReadFileBytes(Path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Temp.Path()), {}), 1);
}

TEST_F(TVolumeFormat, FirstFitOfA1025ByteFile) {
    const auto Path = NewVolume("w.vol", "WORK", 100);
    TMajorVolume V(Path, true);
    const std::string Data = Save(V, "notes.text", 1025, 1);
    const std::string Image = ReadFileBytes(Path);
    // Entry 1: blocks 6 to 9, kind word 7 << 9 | 15 << 4 | 3, name, 1 byte, 5 March 26.
    EXPECT_EQ(Image.substr(1024 + 26, 26),
              Bytes({6,   0,   9,   0,   0xF3, 0x0E, 10, 'N', 'O', 'T', 'E', 'S',  '.',
                     'T', 'E', 'X', 'T', 0,    0,    0,  0,   0,   1,   0,   0x53, 0x34}));
    EXPECT_EQ(Image[1024 + 16], 1); // one file
    EXPECT_EQ(Image.substr(6 * 512, 1025), Data);
    EXPECT_EQ(Image.substr(6 * 512 + 1025, 512 * 3 - 1025), std::string(511, '\0'));
    const TFileInfo Info = V.FileInfo(0, "NOTES.TEXT");
    EXPECT_EQ(Info.Blocks, 3);
    EXPECT_EQ(Info.BytesInLastBlock, 1);
    EXPECT_EQ(Info.Size(), 1025);
    EXPECT_EQ(V.ReadFileData(0, "notes.text"), Data);
}

TEST_F(TVolumeFormat, SizesRoundToBlocks) {
    const auto Path = NewVolume("w.vol", "WORK", 100);
    TMajorVolume V(Path, true);
    Save(V, "A", 1024, 1);
    Save(V, "B", 0, 2);
    EXPECT_EQ(V.FileInfo(0, "A").Blocks, 2);
    EXPECT_EQ(V.FileInfo(0, "A").BytesInLastBlock, 512);
    EXPECT_EQ(V.FileInfo(0, "B").Blocks, 0);
    EXPECT_EQ(V.ReadFileData(0, "B"), "");
}

TEST_F(TVolumeFormat, DateAndKindWords) {
    int Day = 0, Month = 0, Year = 0;
    DecodeDateWord(0x9A25, Day, Month, Year);
    EXPECT_EQ(Day, 2);
    EXPECT_EQ(Month, 5);
    EXPECT_EQ(Year, 77);
    EXPECT_EQ(FourDigitYear(77), 1977);
    EXPECT_EQ(FourDigitYear(5), 2005);
    EXPECT_EQ(FourDigitYear(70), 2070);
    EXPECT_EQ(FourDigitYear(71), 1971);
    EXPECT_EQ(EncodeDateWord(2, 5, 1977), 0x9A25);
    EXPECT_EQ(EncodeDateWord(2, 5, 2005) >> 9, 5);
    int Kind = 0, Hour = 0, Minute = 0;
    DecodeKindWord(EncodeKindWord(3, 0, 59), Kind, Hour, Minute);
    EXPECT_EQ(Kind, 3);
    EXPECT_EQ(Hour, 0);
    EXPECT_EQ(Minute, 59);
    DecodeKindWord(9, Kind, Hour, Minute); // no time bits
    EXPECT_EQ(Kind, 9);
    EXPECT_EQ(Hour, -1);
    EXPECT_EQ(Minute, -1);
    EXPECT_EQ(EncodeKindWord(5, -1, -1), 5);
}

TEST_F(TVolumeFormat, FileKindNames) {
    const std::vector<std::string> Names = {"Unknown", "Corrupt", "Code",  "Text", "Info",
                                            "Data",    "Graphic", "Photo", "Safe", "Subvolume"};
    for (int Kind = 0; Kind < 10; ++Kind)
        EXPECT_EQ(FileKindName(Kind), Names[std::size_t(Kind)]);
    EXPECT_EQ(FileKindName(12), "Unknown");
}

TEST_F(TVolumeFormat, EnumerateWithGapsAndFirstFit) {
    const auto Path = NewVolume("w.vol", "WORK", 100);
    TMajorVolume V(Path, true);
    std::vector<std::string> Walk;
    const auto Record = [&](const TFileInfo& Info) {
        Walk.push_back(std::to_string(Info.Index) + ":" + Info.Name + "@" +
                       std::to_string(Info.FirstBlock) + "+" + std::to_string(Info.Blocks));
        return true;
    };
    V.Enumerate(true, Record);
    EXPECT_EQ(Walk, std::vector<std::string>({"0:@6+88"}));

    Save(V, "A", 512 * 2, 1);
    Save(V, "GAP1", 512 * 3, 2);
    Save(V, "B", 512 * 2, 3);
    Save(V, "GAP2", 512 * 5, 4);
    Save(V, "C", 512, 5);
    V.RemoveFile(0, "GAP1"); // [8,11)
    V.RemoveFile(0, "GAP2"); // [13,18)
    // A gap exactly as large is taken, and the first sufficient gap wins over a better one.
    Save(V, "THREE", 512 * 3, 6);
    Save(V, "TWO", 512 * 2, 7);
    Walk.clear();
    V.Enumerate(true, Record);
    EXPECT_EQ(Walk, std::vector<std::string>({"1:A@6+2", "2:THREE@8+3", "3:B@11+2", "4:TWO@13+2",
                                              "0:@15+3", "5:C@18+1", "0:@19+75"}));
    EXPECT_EQ(V.FreeBlocks(), 78);
    // A callback's False stops the walk, without the final gap.
    Walk.clear();
    V.Enumerate(true, [&](const TFileInfo& Info) {
        Record(Info);
        return Info.Name != "C";
    });
    EXPECT_EQ(Walk.back(), "5:C@18+1");
}

TEST_F(TVolumeFormat, KrunchClosesGapsAndAnswersFreeBlocks) {
    const auto Path = NewVolume("w.vol", "WORK", 100);
    TMajorVolume V(Path, true);
    const std::string A = Save(V, "A", 1024, 1);
    Save(V, "GAP", 1024, 2);
    const std::string B = Save(V, "B", 1500, 3);
    V.RemoveFile(0, "GAP");
    ASSERT_EQ(V.FileInfo(0, "B").FirstBlock, 10);
    EXPECT_EQ(V.Krunch(), 83);
    EXPECT_EQ(V.FileInfo(0, "A").FirstBlock, 6);
    EXPECT_EQ(V.FileInfo(0, "B").FirstBlock, 8);
    EXPECT_EQ(V.FileInfo(0, "B").Blocks, 3);
    TMajorVolume Again(Path, false);
    EXPECT_EQ(Again.ReadFileData(0, "A"), A);
    EXPECT_EQ(Again.ReadFileData(0, "B"), B);
    // Contiguous files move nothing.
    InjectVolumeFileFault(0);
    EXPECT_EQ(V.Krunch(), 83);
    EXPECT_EQ(VolumeFileMutationCount(), 0);
}

TEST_F(TVolumeFormat, TheSeventyEighthFileIsRefused) {
    const auto Path = NewVolume("w.vol", "WORK", 200);
    TMajorVolume V(Path, true);
    for (int I = 1; I <= MaxFiles; ++I)
        Save(V, "F" + std::to_string(I), 10, I);
    const std::string Before = ReadFileBytes(Path);
    const std::string Data = Pattern(10, 99);
    EXPECT_FALSE(V.SaveBytes("EXTRA", Data.data(), fkText, 10));
    EXPECT_EQ(Warnings, std::vector<std::string>(
                            {"Unable to save file|Volume WORK contains the maximum number of "
                             "files (77)."}));
    EXPECT_EQ(ReadFileBytes(Path), Before);
    EXPECT_EQ(V.FileCount(), 77);
    // Replacing one of the 77 is still a save.
    EXPECT_TRUE(V.SaveBytes("F5", Data.data(), fkText, 10));
    EXPECT_EQ(V.ReadFileData(0, "F5"), Data);
    // Nor can a copy make a 78th.
    const auto Other = NewVolume("o.vol", "OTHER", 50);
    TMajorVolume Source(Other, true);
    Save(Source, "NEW", 10, 1);
    Warnings.clear();
    EXPECT_FALSE(Source.CopyFileTo(0, "NEW", 0, V));
    EXPECT_EQ(Warnings, std::vector<std::string>(
                            {"Unable to copy file|Volume WORK contains the maximum number of "
                             "files (77)."}));
}

TEST_F(TVolumeFormat, NoRoomKeepsTheReplacedFile) {
    const auto Path = NewVolume("w.vol", "WORK", 20); // 8 free blocks
    TMajorVolume V(Path, true);
    const std::string Old = Save(V, "A", 2000, 1);
    const std::string Before = ReadFileBytes(Path);
    const std::string Big = Pattern(9 * 512, 2);
    EXPECT_FALSE(V.SaveBytes("a", Big.data(), fkText, std::ssize(Big)));
    EXPECT_EQ(Warnings,
              std::vector<std::string>({"Unable to save file|There is not enough room in volume "
                                        "WORK."}));
    EXPECT_EQ(ReadFileBytes(Path), Before);
    EXPECT_EQ(V.ReadFileData(0, "A"), Old);
    // One that fits in the old file's blocks and the space after replaces it.
    const std::string New = Pattern(8 * 512, 3);
    EXPECT_TRUE(V.SaveBytes("A", New.data(), fkData, std::ssize(New)));
    EXPECT_EQ(V.FileCount(), 1);
    EXPECT_EQ(V.ReadFileData(0, "A"), New);
    EXPECT_EQ(V.FileInfo(0, "A").Kind, fkData);
}

TEST_F(TVolumeFormat, FindRemoveRenameAndEntries) {
    const auto Path = NewVolume("w.vol", "WORK", 100);
    TMajorVolume V(Path, true);
    Save(V, "A.TEXT", 10, 1);
    Save(V, "ABCDEFGHIJKLMNO", 10, 2);
    EXPECT_EQ(V.FindFile("a.text"), 1);
    EXPECT_EQ(V.FindFile("ABCDEFGHIJKLMNOP"), 2); // compared by its first 15
    EXPECT_EQ(V.FindFile("B.TEXT"), 0);
    EXPECT_THROW(
        {
            try {
                V.FileIndexOf(0, "b.text");
            } catch (const EVolumeError& E) {
                EXPECT_STREQ(E.what(), "File 'b.text' not found");
                throw;
            }
        },
        EVolumeError);
    EXPECT_THROW(V.FileIndexOf(3, {}), EVolumeError);
    try {
        V.RenameFile(0, "A.TEXT", "abcdefghijklmno");
        FAIL();
    } catch (const EVolumeError& E) {
        EXPECT_STREQ(E.what(), "Volume already contains a file called 'abcdefghijklmno'");
    }
    V.RenameFile(0, "a.text", "b.text");
    TMajorVolume Again(Path, false);
    EXPECT_EQ(Again.FileInfo(1, {}).Name, "B.TEXT");
    EXPECT_EQ(Again.FileInfo(1, {}).Hour, 14);

    TFileInfo Info = V.FileInfo(0, "B.TEXT");
    Info.Hour = -1;
    Info.BytesInLastBlock = 0;
    Info.Day = 2;
    Info.Month = 5;
    Info.Year = 77;
    V.SetFileEntry(0, "B.TEXT", Info);
    EXPECT_EQ(FileWord(Path, EntryField(1, EntryDateWord)), 0x9A25);
    EXPECT_EQ(FileWord(Path, EntryField(1, EntryKindWord)), fkText);
    EXPECT_EQ(FileWord(Path, EntryField(1, EntryLastBytes)), 512);

    V.RemoveFile(1, {});
    EXPECT_EQ(V.FileCount(), 1);
    EXPECT_EQ(V.FileInfo(1, {}).Name, "ABCDEFGHIJKLMNO");
    V.Rename("Archive9"); // cut to 7, kept as given
    EXPECT_EQ(TMajorVolume(Path, false).VolumeName(), "Archive");
    V.Flush();
    EXPECT_EQ(TMajorVolume(Path, false).FileCount(), 0);
}

TEST_F(TVolumeFormat, CopyKeepsTheSourceStampAndRefusesDuplicates) {
    const auto From = NewVolume("a.vol", "SOURCE", 100);
    const auto To = NewVolume("b.vol", "TARGET", 60);
    TMajorVolume Source(From, true);
    const std::string Data = Save(Source, "PROG.CODE", 3000, 1, fkCode);
    TFileInfo Info = Source.FileInfo(0, "PROG.CODE");
    Info.Day = 2;
    Info.Month = 5;
    Info.Year = 77;
    Source.SetFileEntry(0, "PROG.CODE", Info);
    TMajorVolume Target(To, true);
    Save(Target, "FIRST", 512, 2);
    EXPECT_TRUE(Source.CopyFileTo(0, "prog.code", 0, Target));
    const TFileInfo Copy = Target.FileInfo(0, "PROG.CODE");
    EXPECT_EQ(Copy.FirstBlock, 7);
    EXPECT_EQ(Copy.DateWord, 0x9A25);
    EXPECT_EQ(Copy.KindWord, Source.FileInfo(0, "PROG.CODE").KindWord);
    EXPECT_EQ(Target.ReadFileData(0, "PROG.CODE"), Data);
    try {
        Source.CopyFileTo(0, "PROG.CODE", 0, Target);
        FAIL();
    } catch (const EVolumeError& E) {
        EXPECT_STREQ(E.what(), "Volume TARGET already contains a file called 'PROG.CODE'");
    }
    // Too big for the room left.
    const std::string Big = Pattern(45 * 512, 3);
    ASSERT_TRUE(Source.SaveBytes("BIG", Big.data(), fkData, std::ssize(Big)));
    EXPECT_FALSE(Source.CopyFileTo(0, "BIG", 0, Target));
    EXPECT_EQ(Warnings.back(), "Unable to copy file|There is not enough room in volume TARGET.");
}

TEST_F(TVolumeFormat, ListingAndKindNamesLineByLine) {
    const auto Path = NewVolume("work.vol", "WORK", 120);
    TMajorVolume V(Path, true);
    Save(V, "ZED.TEXT", 100, 1);
    Save(V, "MY.UNIT.CODE", 2000, 2, fkCode);
    ASSERT_TRUE(V.CopyFileTo(0, "SUB", 30, V));
    {
        TSubvolume Sub(V, "SUB.SVOL");
        Save(Sub, "B.TEXT", 700, 3);
    }
    PatchWord(Path, EntryField(1, EntryKindWord), fkText); // no time
    PatchWord(Path, EntryField(1, EntryDateWord), EncodeDateWord(2, 5, 1977));
    TMajorVolume Fresh(Path, false);
    std::vector<std::string> Lines;
    Fresh.GrabListing(Lines);
    const std::string P = "  " + Path.string();
    EXPECT_EQ(Lines, std::vector<std::string>({
                         "Sub:      B.text           05/03/2026 14:07" + P,
                         "Work:     My.Unit.code     05/03/2026 14:07" + P,
                         "Work:     Zed.text         02/05/1977 -1:-1" + P,
                     }));
    std::vector<std::string> Kinds;
    Fresh.Enumerate(false, [&](const TFileInfo& Info) {
        Kinds.push_back(Info.Name + " " + FileKindName(Info.Kind));
        return true;
    });
    EXPECT_EQ(Kinds, std::vector<std::string>(
                         {"ZED.TEXT Text", "MY.UNIT.CODE Code", "SUB.SVOL Subvolume"}));
}

TEST_F(TVolumeFormat, WindowsNames) {
    const std::pair<std::string, std::string> Cases[] = {
        {"MY.UNIT.TEXT", "My.Unit.text"}, {"WORK:", "Work:"}, {"A", "A"},
        {"SUB.SVOL", "Sub.svol"},         {"", ""},           {"X:Y.Z", "X:Y.z"},
    };
    for (const auto& [Name, Windows] : Cases)
        EXPECT_EQ(PSystemNameToWindowsName(Name), Windows) << Name;
}

TEST_F(TVolumeFormat, VolumesOfOtherToolsOpen) {
    const auto Path = NewVolume("other.vol", "OTHER", 100);
    {
        TMajorVolume V(Path, true);
        Save(V, "A.TEXT", 600, 1);
    }
    // End of volume = the whole size, no time, date word 0, a lower-case name, and a
    // duplicate directory in blocks 6 to 9 with data from block 10.
    const std::string Original = ReadFileBytes(Path);
    std::string Image = Original;
    Image.replace(1024 + 2, 1, 1, '\n');
    Image.replace(1024 + 14, 1, 1, char(100));
    Image.replace(6 * 512, 2028, Image.substr(1024, 2028));
    for (int I = 0; I < 2; ++I)
        Image.replace(10 * 512 + I * 512, 512, Original.substr(6 * 512 + I * 512, 512));
    Image.replace(1024 + 26, 4, Bytes({10, 0, 12, 0}));
    Image.replace(1024 + 26 + 4, 2, Bytes({3, 0}));
    Image.replace(1024 + 26 + 7, 6, "a.text");
    Image.replace(1024 + 26 + 24, 2, Bytes({0, 0}));
    WriteFileBytes(Path, Image);

    TMajorVolume V(Path, true);
    EXPECT_FALSE(V.IsDamaged()) << V.Damage();
    EXPECT_TRUE(V.IsWritable());
    EXPECT_EQ(V.FindFile("A.TEXT"), 1);
    const TFileInfo Info = V.FileInfo(0, "A.TEXT");
    EXPECT_EQ(Info.Name, "a.text");
    EXPECT_EQ(Info.Hour, -1);
    EXPECT_EQ(V.ReadFileData(0, "A.TEXT"), Pattern(600, 1));
    Save(V, "B.TEXT", 100, 2);
    EXPECT_EQ(V.FileInfo(0, "B.TEXT").FirstBlock, 12);
    EXPECT_EQ(V.FreeBlocks(), 87);
    EXPECT_EQ(V.Krunch(), 87);
    EXPECT_EQ(V.ReadFileData(0, "a.text"), Pattern(600, 1));
}

} // namespace
} // namespace korvid::test

namespace korvid::test {
namespace {

using TVolumeBackups = TVolumeTest;

TEST_F(TVolumeBackups, SavingWithABackupReplacesTheOldBackup) {
    const auto Path = NewVolume("w.vol", "WORK", 100);
    TMajorVolume V(Path, true);
    Save(V, "NOTES.BACK", 3000, 1);
    const std::string Previous = Save(V, "NOTES.TEXT", 1000, 2);
    const std::string Data = Pattern(2048, 3);
    ASSERT_TRUE(
        V.SaveFileData("notes.text", Data, 512, fkText, UnableToSaveFileCaption, "NOTES.BACK"));
    TMajorVolume Again(Path, false);
    EXPECT_EQ(Again.FileCount(), 2);
    EXPECT_EQ(Again.ReadFileData(0, "NOTES.BACK"), Previous);
    EXPECT_EQ(Again.ReadFileData(0, "NOTES.TEXT"), Data);
    // The new file took the old backup's blocks.
    EXPECT_EQ(Again.FileInfo(0, "NOTES.TEXT").FirstBlock, 6);
}

TEST_F(TVolumeBackups, AFullDirectoryMakesNoBackupAndRefuses) {
    const auto Path = NewVolume("w.vol", "WORK", 200);
    TMajorVolume V(Path, true);
    for (int I = 1; I < MaxFiles; ++I)
        Save(V, "F" + std::to_string(I), 10, I);
    const std::string Old = Save(V, "NOTES.TEXT", 10, 0);
    const std::string Before = ReadFileBytes(Path);
    EXPECT_FALSE(V.SaveFileData("NOTES.TEXT", std::string(512, 'n'), 512, fkText,
                                UnableToSaveFileCaption, "NOTES.BACK"));
    EXPECT_EQ(Warnings.size(), 1u);
    EXPECT_EQ(ReadFileBytes(Path), Before);
    EXPECT_EQ(V.ReadFileData(0, "NOTES.TEXT"), Old);
}

} // namespace
} // namespace korvid::test

namespace korvid::test {
namespace {

using TLargeVolumes = TVolumeTest;

// Block words are unsigned: a volume of 40,000 blocks made elsewhere opens and is read, but
// the program does not grow it further.
TEST_F(TLargeVolumes, BlockNumbersAbove32767) {
    const auto Path = NewVolume("large.vol", "LARGE", 100);
    {
        TMajorVolume V(Path, true);
        Save(V, "FAR.DATA", 1024, 1, fkData);
    }
    std::filesystem::resize_file(Path, 40000ull * 512);
    PatchWord(Path, EntryField(0, HeaderEndOfVolume), 40000);
    PatchWord(Path, EntryField(1, EntryFirstBlock), 39000);
    PatchWord(Path, EntryField(1, EntryEndBlock), 39002);
    TMajorVolume V(Path, true);
    EXPECT_FALSE(V.IsDamaged()) << V.Damage();
    EXPECT_EQ(V.FileInfo(0, "FAR.DATA").FirstBlock, 39000);
    EXPECT_EQ(V.FreeBlocks(), 40000 - 6 - 2);
    EXPECT_THROW(V.Expand(1), EVolumeError);
    EXPECT_EQ(V.Krunch(), 40000 - 8);
    EXPECT_EQ(V.FileInfo(0, "FAR.DATA").FirstBlock, 6);
    V.Shrink(-30000);
    EXPECT_EQ(TMajorVolume(Path, false).EndOfVolume(), 10000);
}

} // namespace
} // namespace korvid::test
