#include "tests/psystem/VolumeTestSupport.h"

#include "psystem/VolumePacking.h"
#include "ui/ModalRunner.h"

#include <chrono>
#include <ctime>
#include <map>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

using TLines = std::vector<std::string>;

void WriteLines(const fs::path& Path, const TLines& Lines) {
    fs::create_directories(Path.parent_path());
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + "\r\n";
    WriteFileBytes(Path, Text);
}

TLines ReadLines(const fs::path& Path) {
    TLines Lines;
    std::string Text = ReadFileBytes(Path);
    for (std::size_t Start = 0; Start < Text.size();) {
        const std::size_t End = Text.find("\r\n", Start);
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End == std::string::npos ? Text.size() : End + 2;
    }
    return Lines;
}

// Every file below Root, as relative paths.
std::vector<std::string> Tree(const fs::path& Root) {
    std::vector<std::string> Files;
    for (const auto& Item : fs::recursive_directory_iterator(Root))
        if (Item.is_regular_file())
            Files.push_back(Item.path().lexically_relative(Root).generic_string());
    std::sort(Files.begin(), Files.end());
    return Files;
}

TLines Unit(const std::string& Name) {
    return {"unit " + Name + ";", "", "interface", "      procedure Run;", "end."};
}

class TPacking : public TVolumeTest {
protected:
    fs::path Source() const { return Temp / "src"; }
    fs::path Target() const { return Temp / "out.vol"; }
};

// ---- Packing ---------------------------------------------------------------------------------

TEST_F(TPacking, ThreeOneBlockFilesGiveAVolumeOf35Blocks) {
    WriteLines(Source() / "alpha.vp", Unit("Alpha"));
    WriteLines(Source() / "Beta.vp", Unit("Beta"));
    WriteLines(Source() / "gamma.VP", Unit("Gamma"));
    ASSERT_TRUE(PackFiles(Source(), Temp / "packedvol.vol"));
    EXPECT_TRUE(Warnings.empty());
    EXPECT_EQ(fs::file_size(Temp / "packedvol.vol"), 35u * BlockSize);
    TMajorVolume V(Temp / "packedvol.vol", false);
    EXPECT_EQ(V.VolumeName(), "PACKEDV");
    EXPECT_EQ(V.EndOfVolume(), 29);
    ASSERT_EQ(V.FileCount(), 3);
    EXPECT_EQ(V.Directory().FileName(1), "ALPHA.TEXT");
    EXPECT_EQ(V.Directory().FileName(2), "BETA.TEXT");
    EXPECT_EQ(V.Directory().FileName(3), "GAMMA.TEXT");
    EXPECT_EQ(V.ReadFileLines(0, "BETA.TEXT"), Unit("Beta"));
    EXPECT_EQ(V.FileInfo(2, {}).Kind, fkText);
}

TEST_F(TPacking, OnlyShortNamedPascalFilesAndFirstLevelFoldersArePacked) {
    WriteLines(Source() / "abcdefghij.vp", {"13 characters"});
    WriteLines(Source() / "abcdefghijk.vp", {"14 characters"});
    WriteLines(Source() / "my file.vp", {"blank"});
    WriteLines(Source() / "notes.txt", {"not Pascal"});
    WriteLines(Source() / "LONGNAME" / "x.vp", {"folder of 8 characters"});
    WriteLines(Source() / "sub" / "inner.vp", {"inner"});
    WriteLines(Source() / "sub" / "deeper" / "deep.vp", {"second level"});
    fs::create_directories(Source() / "empty");
    ASSERT_TRUE(PackFiles(Source(), Target()));
    EXPECT_EQ(ValidateVolume(Target()), "");
    const auto Files = Snapshot(Target());
    std::vector<std::string> Names;
    for (const auto& [Name, Data] : Files)
        Names.push_back(Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"ABCDEFGHIJ.TEXT", "SUB.SVOL:INNER.TEXT"}));
}

// Sizes come from the encoded texts: subvolumes lie inside their volume and every file fits.
TEST_F(TPacking, VolumesAreLargeEnoughForWhatTheyHold) {
    for (int I = 0; I < 6; ++I)
        WriteLines(Source() / "sub" / ("s" + std::to_string(I) + ".vp"), TLines(60, "text line"));
    WriteLines(Source() / "top.vp", Unit("Top"));
    ASSERT_TRUE(PackFiles(Source(), Target()));
    EXPECT_EQ(ValidateVolume(Target()), "");
    EXPECT_EQ(Snapshot(Target()).size(), 7u);

    const fs::path Many = Temp / "many";
    for (int I = 0; I < MaxFiles; ++I)
        WriteLines(Many / ("f" + std::to_string(I) + ".vp"), {"x"});
    ASSERT_TRUE(PackFiles(Many, Temp / "many.vol"));
    EXPECT_EQ(TMajorVolume(Temp / "many.vol", false).FileCount(), MaxFiles);
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(TPacking, RefusalsLeaveAnExistingTargetAlone) {
    WriteFileBytes(Target(), "the old volume");
    WriteLines(Source() / "a.vp", {"a"});
    WriteLines(Source() / "A.vp", {"A"});
    EXPECT_FALSE(PackFiles(Source(), Target()));
    EXPECT_EQ(Warnings, std::vector<std::string>{
                            "Pack Files|Both \"A.vp\" and \"a.vp\" would be packed as A.TEXT."});
    fs::remove(Source() / "a.vp");

    Warnings.clear();
    for (int I = 0; I < MaxFiles; ++I)
        WriteLines(Source() / ("f" + std::to_string(I) + ".vp"), {"x"});
    EXPECT_FALSE(PackFiles(Source(), Target()));
    EXPECT_EQ(Warnings, std::vector<std::string>{"Pack Files|Too many files in volume OUT"});

    Warnings.clear();
    EXPECT_FALSE(PackFiles(Source(), Temp / "missing" / "x.vol"));
    EXPECT_EQ(Warnings, std::vector<std::string>{"Pack Files|Unable to create file \"" +
                                                 (Temp / "missing" / "x.vol").string() + "\"."});
    EXPECT_EQ(ReadFileBytes(Target()), "the old volume");
    EXPECT_EQ(std::count_if(fs::directory_iterator(Temp.Path()), fs::directory_iterator(),
                            [](const auto& Item) { return Item.is_regular_file(); }),
              1);
}

// ---- Unpacking -------------------------------------------------------------------------------

// A volume with a file of every kind and a subvolume.
class TUnpacking : public TVolumeTest {
protected:
    void SetUp() override {
        TVolumeTest::SetUp();
        Path = NewVolume("work.vol", "WORK", 300);
        TMajorVolume V(Path, true);
        ASSERT_TRUE(V.SaveTextFile("PROG.TEXT", Unit("Prog"), false));
        ASSERT_TRUE(V.SaveTextFile("NOTES.TEXT", {"plain notes"}, false));
        ASSERT_TRUE(V.SaveTextFile("OLD.BACK", {"a backup"}, false));
        ASSERT_TRUE(V.SaveTextFile("AUX.TEXT", {"device name"}, false));
        ASSERT_TRUE(V.SaveTextFile("SCRIPT.TEXT", {"proc main", "[Lorvanta 2]"}, false));
        Code = Save(V, "LIB.CODE", 1200, 1, fkCode);
        Data = Save(V, "FIGURES.DATA", 700, 2, fkData);
        for (const int Kind : {fkUnknown, fkCorrupt, fkInfo, fkGraphic, fkPhoto, fkSafe})
            Save(V, "KIND" + std::to_string(Kind), 100, Kind, Kind);
        ASSERT_TRUE(V.CopyFileTo(0, "SUB", 40, V));
        TSubvolume Sub(V, "SUB.SVOL");
        ASSERT_TRUE(Sub.SaveTextFile("INNER.TEXT", Unit("Inner"), false));
    }

    fs::path Out() const { return Temp / "out"; }

    fs::path Path;
    std::string Code;
    std::string Data;
};

TEST_F(TUnpacking, TextFilesMode) {
    TMajorVolume(Path, false).Unpack(Out(), umTextFiles);
    EXPECT_EQ(Tree(Out()), (std::vector<std::string>{"Notes.txt", "Prog.vp", "Script.vl2",
                                                     "Sub/Inner.vp", "___Aux.txt"}));
    EXPECT_EQ(ReadLines(Out() / "Prog.vp"), Unit("Prog"));
}

TEST_F(TUnpacking, AllFilesMode) {
    TMajorVolume(Path, false).Unpack(Out(), umAllFiles);
    EXPECT_EQ(Tree(Out()),
              (std::vector<std::string>{"Figures.data", "Lib.code", "Notes.txt", "Old.txt",
                                        "Prog.vp", "Script.vl2", "Sub/Inner.vp", "___Aux.txt"}));
    EXPECT_EQ(ReadFileBytes(Out() / "Lib.code"), Code);
    EXPECT_EQ(ReadFileBytes(Out() / "Figures.data"), Data);
    // The entry's date and time, 5 March 2026 14:07, in local time.
    std::tm Moment{};
    Moment.tm_year = 126;
    Moment.tm_mon = 2;
    Moment.tm_mday = 5;
    Moment.tm_hour = 14;
    Moment.tm_min = 7;
    Moment.tm_isdst = -1;
    const auto Expected = std::chrono::file_clock::from_sys(
        std::chrono::system_clock::from_time_t(std::mktime(&Moment)));
    EXPECT_EQ(fs::last_write_time(Out() / "Lib.code"), Expected);
    EXPECT_EQ(fs::last_write_time(Out() / "Prog.vp"), Expected);
}

TEST_F(TUnpacking, RawMode) {
    TMajorVolume(Path, false).Unpack(Out(), umAllFilesRaw);
    EXPECT_EQ(Tree(Out()), (std::vector<std::string>{"SUB.SVOL/inner.text", "___aux.text",
                                                     "figures.data", "lib.code", "notes.text",
                                                     "old.back", "prog.text", "script.text"}));
    EXPECT_EQ(ReadLines(Out() / "notes.text"), TLines{"plain notes"});
}

TEST_F(TUnpacking, LorvantaInAnSWVolumeIsTheOtherKind) {
    {
        TMajorVolume V(Path, true);
        V.Rename("SWORK");
    }
    TMajorVolume(Path, false).Unpack(Out(), umTextFiles);
    EXPECT_TRUE(fs::exists(Out() / "Script.vl"));
}

TEST_F(TUnpacking, PackAndUnpackRoundTrip) {
    const fs::path Src = Temp / "tree";
    WriteLines(Src / "one.vp", Unit("One"));
    WriteLines(Src / "two.vp", {"program two;", "        deep indent", "", "  x"});
    WriteLines(Src / "lib" / "three.vp", Unit("Three"));
    ASSERT_TRUE(PackFiles(Src, Temp / "tree.vol"));
    TMajorVolume(Temp / "tree.vol", false).Unpack(Temp / "back", umAllFiles);
    EXPECT_EQ(Tree(Temp / "back"), (std::vector<std::string>{"Lib/Three.vp", "One.vp", "Two.vp"}));
    EXPECT_EQ(ReadLines(Temp / "back" / "Two.vp"), ReadLines(Src / "two.vp"));
    EXPECT_EQ(ReadLines(Temp / "back" / "Lib" / "Three.vp"), Unit("Three"));
    // Packed again, the volume holds the same texts.
    ASSERT_TRUE(PackFiles(Temp / "back", Temp / "again.vol"));
    EXPECT_EQ(TSubvolume(Temp / "again.vol", false, "LIB.SVOL").ReadFileLines(0, "THREE.TEXT"),
              Unit("Three"));
}

TEST_F(TUnpacking, HostileNamesStayInsideTheTarget) {
    {
        TMajorVolume V(Path, true);
        ASSERT_TRUE(V.SaveTextFile("H1.TEXT", {"one"}, false));
        ASSERT_TRUE(V.SaveTextFile("H2.TEXT", {"two"}, false));
        ASSERT_TRUE(V.SaveTextFile("H3.TEXT", {"three"}, false));
        ASSERT_TRUE(V.SaveTextFile("H4.TEXT", {"four"}, false));
    }
    const auto Rename = [&](const std::string& From, const std::string& To) {
        const int Index = TMajorVolume(Path, false).FindFile(From);
        ASSERT_NE(Index, 0);
        PatchByte(Path, EntryField(Index, EntryName), int(To.size()));
        for (std::size_t I = 0; I < To.size(); ++I)
            PatchByte(Path, EntryField(Index, EntryName) + 1 + std::int64_t(I), To[I]);
    };
    Rename("H1.TEXT", "../../EVIL.TEXT");
    Rename("H2.TEXT", "..");
    Rename("H3.TEXT", "/TMP/X.TEXT");
    Rename("H4.TEXT", std::string("A\nB\0C.TEXT", 10));
    Rename("SUB.SVOL", "...SVOL");
    ASSERT_EQ(ValidateVolume(Path), "");
    const fs::path Inside = Temp / "a" / "b";
    TMajorVolume(Path, false).Unpack(Inside, umAllFiles);
    // Nothing appeared beside the volume or above the target.
    EXPECT_EQ(Tree(Temp.Path()).size(), Tree(Inside).size() + 1);
    const std::vector<std::string> Files = Tree(Inside);
    // ".." and a subvolume that would unpack into "..": refused.
    EXPECT_EQ(Files, (std::vector<std::string>{".._.._evil.txt", "A_b_c.txt", "Figures.data",
                                               "Lib.code", "Notes.txt", "Old.txt", "Prog.vp",
                                               "Script.vl2", "___Aux.txt", "_tmp_x.txt"}));
}

TEST_F(TUnpacking, InterfacesFromCodeListings) {
    TVolumeFileListings Listings;
    Listings.Code = [](const std::string&, std::vector<std::string>& Lines,
                       const TWholeFileLoader&) {
        Lines = {"; listing",
                 "[[[--->>> END INTERFACE ORPHAN",
                 "[[[--->>> BEGIN INTERFACE UNITA",
                 "unit UnitA;",
                 "interface",
                 "[[[--->>> END INTERFACE   UnitA  ",
                 "between",
                 "[[[--->>> BEGIN INTERFACE B",
                 "b",
                 "[[[--->>> END INTERFACE ../B"};
    };
    SetVolumeFileListings(Listings);
    TMajorVolume(Path, false).Unpack(Out(), umInterfaces);
    EXPECT_EQ(Tree(Out()), (std::vector<std::string>{"Work/.._B.txt", "Work/UnitA.txt"}));
    EXPECT_EQ(ReadLines(Out() / "Work" / "UnitA.txt"), (TLines{"unit UnitA;", "interface"}));

    // An existing file is overwritten only when the user agrees.
    WriteLines(Out() / "Work" / "UnitA.txt", {"mine"});
    {
        TScriptedModals Modals;
        Modals.Press("Cancel").Press("OK");
        TMajorVolume(Path, false).Unpack(Out(), umInterfaces);
        ASSERT_EQ(Modals.Shown().size(), 2u);
        EXPECT_EQ(Modals.Shown()[0].Caption, "LIB.CODE");
        EXPECT_EQ(Modals.Shown()[0].Message->Text, "File " +
                                                       (Out() / "Work" / "UnitA.txt").string() +
                                                       " already exists. Overwrite it?");
    }
    SetVolumeFileListings({});
    EXPECT_EQ(ReadLines(Out() / "Work" / "UnitA.txt"), TLines{"mine"});
    EXPECT_EQ(ReadLines(Out() / "Work" / ".._B.txt"), TLines{"b"});
}

// A file of a volume built for a test: text files hold Text as one line, others Text's bytes.
struct TVolumeFile {
    std::string Name;
    int Kind;
    std::string Text;
};

// Each file of a run gets a name of its own, the text keeping the plain one, whatever the
// directory order.
TEST_F(TUnpacking, EveryFileOfARunIsWrittenUnderANameOfItsOwn) {
    struct TCase {
        const char* Name;
        std::vector<TVolumeFile> Files;             // in directory order
        std::map<std::string, std::string> Written; // file name -> its first line
        std::vector<std::string> Renamed;           // volume name -> file name
    };
    const std::vector<TCase> Cases = {
        {"the text first",
         {{"X.TEXT", fkText, "new"}, {"X.BACK", fkText, "old"}},
         {{"X.txt", "new"}, {"X.back.txt", "old"}},
         {"X.BACK -> X.back.txt"}},
        {"the backup first",
         {{"X.BACK", fkText, "old"}, {"X.TEXT", fkText, "new"}},
         {{"X.txt", "new"}, {"X.back.txt", "old"}},
         {"X.BACK -> X.back.txt"}},
        {"the whole name taken too",
         {{"X.BACK.TXT", fkData, "data"}, {"X.BACK", fkText, "old"}, {"X.TEXT", fkText, "new"}},
         {{"X.Back.txt", "data"}, {"X.back (2).txt", "old"}, {"X.txt", "new"}},
         {"X.BACK -> X.back (2).txt"}},
        {"a raw file of the text's name",
         {{"X.TXT", fkData, "data"}, {"X.TEXT", fkText, "new"}},
         {{"X (2).txt", "data"}, {"X.txt", "new"}},
         {"X.TXT -> X (2).txt"}},
    };
    int Run = 0;
    for (const TCase& Case : Cases) {
        const fs::path Vol = NewVolume("run" + std::to_string(++Run) + ".vol", "RUN", 100);
        {
            TMajorVolume V(Vol, true);
            for (const TVolumeFile& File : Case.Files)
                if (File.Kind == fkText)
                    ASSERT_TRUE(V.SaveTextFile(File.Name, {File.Text}, false));
                else
                    ASSERT_TRUE(V.SaveBytes(File.Name, File.Text.data(), File.Kind,
                                            std::int64_t(File.Text.size())));
        }
        const fs::path Into = Temp / ("unpacked" + std::to_string(Run));
        const std::vector<TRenamedFile> Renamed = TMajorVolume(Vol, false).Unpack(Into, umAllFiles);
        std::map<std::string, std::string> Written;
        for (const std::string& Name : Tree(Into))
            Written[Name] = ReadLines(Into / Name).at(0);
        EXPECT_EQ(Written, Case.Written) << Case.Name;
        std::vector<std::string> Reported;
        for (const TRenamedFile& File : Renamed)
            Reported.push_back(File.Name + " -> " + File.Path.lexically_relative(Into).string());
        EXPECT_EQ(Reported, Case.Renamed) << Case.Name;
    }
}

TEST_F(TUnpacking, TheFolderBatchAnswersWhatItRenamed) {
    const fs::path Src = Temp / "volumes";
    fs::create_directories(Src / "deep");
    const fs::path Pair = NewVolume("volumes/deep/pair.vol", "PAIR", 100);
    {
        TMajorVolume V(Pair, true);
        ASSERT_TRUE(V.SaveTextFile("X.BACK", {"old"}, false));
        ASSERT_TRUE(V.SaveTextFile("X.TEXT", {"new"}, false));
    }
    // Two volumes whose names differ only in case do not share a folder.
    fs::copy_file(Pair, Src / "deep" / "PAIR.VOL");
    const fs::path Out = Temp / "unpacked";
    const std::vector<TRenamedFile> Renamed = UnpackVolumesInFolder(Src, Out);
    EXPECT_EQ(Tree(Out),
              (std::vector<std::string>{"deep/Pair.vol/X.back.txt", "deep/Pair.vol/X.txt",
                                        "deep/Pair/X.back.txt", "deep/Pair/X.txt"}));
    EXPECT_EQ(ReadLines(Out / "deep" / "Pair" / "X.txt"), TLines{"new"});
    EXPECT_EQ(Renamed,
              (std::vector<TRenamedFile>{{"X.BACK", Out / "deep" / "Pair" / "X.back.txt"},
                                         {"pair.vol", Out / "deep" / "Pair.vol"},
                                         {"X.BACK", Out / "deep" / "Pair.vol" / "X.back.txt"}}));
}

TEST_F(TUnpacking, EveryVolumeInAFolderTree) {
    const fs::path Src = Temp / "volumes";
    fs::create_directories(Src / "deep");
    fs::copy_file(Path, Src / "deep" / "first.vol");
    fs::copy_file(Path, Src / "SECOND.VOL");
    // Read-only volumes unpack, subvolumes included.
    fs::permissions(Src / "SECOND.VOL", fs::perms::owner_read | fs::perms::group_read);
    UnpackVolumesInFolder(Src, Temp / "unpacked");
    EXPECT_TRUE(fs::exists(Temp / "unpacked" / "deep" / "First" / "Lib.code"));
    EXPECT_TRUE(fs::exists(Temp / "unpacked" / "Second" / "Sub" / "Inner.vp"));
}

} // namespace
} // namespace korvid::test
