#include "tests/psystem/VolumeTestSupport.h"

#include "psystem/PSystemText.h"
#include "psystem/TextKind.h"
#include "psystem/VolumeFileHelper.h"

namespace korvid::test {
namespace {

using namespace std::string_literals;

// A byte source over bytes in memory.
class TBytesSource : public TCustomFileHelper {
public:
    explicit TBytesSource(std::string Bytes) : FBytes(std::move(Bytes)) {}
    std::int64_t GetSize() const override { return std::ssize(FBytes); }
    bool Read(std::int64_t Offset, std::int64_t Count, void* Buffer) override {
        if (Offset < 0 || Count < 0 || Offset + Count > GetSize())
            return false;
        std::copy_n(FBytes.data() + Offset, Count, static_cast<char*>(Buffer));
        return true;
    }

private:
    std::string FBytes;
};

std::vector<std::string> Decode(const std::string& Bytes) {
    TBytesSource Source(Bytes);
    std::vector<std::string> Lines;
    DecodePSystemText(Source, std::ssize(Bytes), TextHeaderSize, "T.TEXT", Lines, false);
    return Lines;
}

std::string Page(std::string Text) {
    Text.resize(TextPageSize, '\0');
    return Text;
}

const std::string Header(TextHeaderSize, '\0');

class TPSystemText : public TVolumeTest {
protected:
    void SetUp() override {
        TVolumeTest::SetUp();
        Path = NewVolume("text.vol", "TEXTS", 100);
    }

    // The file's whole blocks as they lie in the volume.
    std::string RawBlocks(TVolume& V, const std::string& Name) {
        const TFileInfo Info = V.FileInfo(0, Name);
        std::string Bytes(std::size_t(Info.Blocks) * BlockSize, '\0');
        EXPECT_TRUE(V.ReadBytes(Bytes.data(), V.Base() + std::int64_t(Info.FirstBlock) * BlockSize,
                                std::ssize(Bytes)));
        return Bytes;
    }

    std::filesystem::path Path;
};

// ---- Encoding --------------------------------------------------------------------------------

TEST_F(TPSystemText, SavedBytesAreExact) {
    TMajorVolume V(Path, true);
    ASSERT_TRUE(V.SaveTextFile("t.text", {"", "  ab", "   cd"}, false));
    const TFileInfo Info = V.FileInfo(0, "T.TEXT");
    EXPECT_EQ(Info.Blocks, 4);
    EXPECT_EQ(Info.BytesInLastBlock, 11);
    EXPECT_EQ(Info.Kind, fkText);
    EXPECT_EQ(Info.Hour, 14);
    const std::string Expected = Header + Page("\x0D\x20\x20\x61\x62\x0D\x10\x23\x63\x64\x0D");
    EXPECT_EQ(RawBlocks(V, "T.TEXT"), Expected);
    EXPECT_TRUE(Warnings.empty());
}

TEST(PSystemTextEncoding, PageRuleAndEndPadding) {
    const std::string Full(254, 'x'); // 255-byte records: four fill a page to 1020
    struct TCase {
        const char* What;
        std::vector<std::string> Lines;
        std::size_t Size;
        int LastBytes;
    };
    const TCase Cases[] = {
        {"no lines: the header and one empty page", {}, 2048, 512},
        {"text in the first half of its page", {"ab"}, 2048, 3},
        {"text in the second half of its page", {Full, Full, Full}, 2048, 765 % 512},
        {"a page filled to one byte before its end", {Full, Full, Full, Full, "ab"}, 3072, 511},
        {"the next record starts the next page", {Full, Full, Full, Full, "ab", "c"}, 3072, 2},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        const TEncodedPSystemText Text = EncodePSystemText(Case.Lines, nullptr);
        EXPECT_EQ(Text.Data.size(), Case.Size);
        EXPECT_EQ(Text.BytesInLastBlock, Case.LastBytes);
        EXPECT_FALSE(Text.Truncated);
        for (std::size_t End = 2 * TextPageSize; End <= Text.Data.size(); End += TextPageSize)
            EXPECT_EQ(Text.Data[End - 1], '\0') << "every page ends in a NUL";
        EXPECT_EQ(Decode(Text.Data), Case.Lines);
    }
    const std::string Boundary =
        EncodePSystemText({Full, Full, Full, Full, "ab", "c"}, nullptr).Data;
    EXPECT_EQ(Boundary.substr(1024 + 1020, 4), std::string("ab\r\0", 4));
    EXPECT_EQ(Boundary.substr(2048, 3), std::string("c\r\0", 3));
}

TEST(PSystemTextEncoding, IndentsAndTheirLimit) {
    struct TCase {
        std::string Line;
        std::string Record;
    };
    const TCase Cases[] = {
        {"", "\r"},
        {"  two", "  two\r"},
        {"   three", "\x10\x23three\r"},
        {"     ", "\x10\x25\r"},
        // An indent byte stands for at most 223 blanks; the rest are written as they are.
        {std::string(223, ' ') + "x", "\x10\xFFx\r"},
        {std::string(230, ' ') + "x", "\x10\xFF" + std::string(7, ' ') + "x\r"},
    };
    for (const TCase& Case : Cases) {
        const std::string Data = EncodePSystemText({Case.Line}, nullptr).Data;
        EXPECT_EQ(Data.substr(TextHeaderSize, Case.Record.size()), Case.Record) << Case.Line.size();
        EXPECT_EQ(Decode(Data), std::vector<std::string>{Case.Line});
    }
}

TEST_F(TPSystemText, LongLinesAreCutWithOneMessagePerSave) {
    TMajorVolume V(Path, true);
    const std::string Exact(255, 'e');
    ASSERT_TRUE(V.SaveTextFile("EXACT.TEXT", {Exact}, false));
    EXPECT_TRUE(Warnings.empty());
    EXPECT_EQ(V.ReadFileLines(0, "EXACT.TEXT"), std::vector<std::string>{Exact});

    const std::string Long = std::string(255, 'a') + "b";
    ASSERT_TRUE(V.SaveTextFile("LONG.TEXT", {Long, "short", Long + "cc"}, false));
    EXPECT_EQ(Warnings,
              std::vector<std::string>{"Save p-System File|One or more lines contain more than "
                                       "255 characters, and will be truncated."});
    EXPECT_EQ(V.ReadFileLines(0, "LONG.TEXT"),
              (std::vector<std::string>{std::string(255, 'a'), "short", std::string(255, 'a')}));
}

TEST_F(TPSystemText, HeaderPageIsKeptBothWays) {
    TMajorVolume V(Path, true);
    TPSystemHeaderPage Page{};
    for (std::size_t I = 0; I < Page.size(); ++I)
        Page[I] = static_cast<char>(I * 3 + 1);
    ASSERT_TRUE(V.SaveTextFile("H.TEXT", {"body"}, false, &Page));
    TPSystemHeaderPage Read{};
    std::string VolumeName;
    bool IsBinary = true;
    std::vector<std::string> Lines{"old"};
    V.ReadFileText(0, "h.text", VolumeName, {}, IsBinary, &Read, Lines);
    EXPECT_EQ(Read, Page);
    EXPECT_EQ(Lines, std::vector<std::string>{"body"});
    EXPECT_EQ(VolumeName, "TEXTS");
    EXPECT_FALSE(IsBinary);
}

// ---- Saving into the volume ------------------------------------------------------------------

TEST_F(TPSystemText, ListedKindsAreRefused) {
    TMajorVolume V(Path, true);
    const std::pair<std::string, std::string> Cases[] = {
        {"x.code", "Korvid can't save p-System code files."},
        {"CUST.DEFS", "Korvid can't save database definition files."},
        {"Main.Scrn", "Korvid can't save database screen files."},
    };
    const std::string Before = ReadFileBytes(Path);
    for (const auto& [Name, Text] : Cases) {
        Warnings.clear();
        EXPECT_FALSE(V.SaveTextFile(Name, {"x"}, true));
        EXPECT_EQ(Warnings, std::vector<std::string>{"Unable to save file|" + Text});
    }
    EXPECT_EQ(ReadFileBytes(Path), Before);
}

TEST_F(TPSystemText, BackupsRotate) {
    TMajorVolume V(Path, true);
    ASSERT_TRUE(V.SaveTextFile("NOTES.TEXT", {"one"}, true));
    EXPECT_EQ(V.FindFile("NOTES.BACK"), 0);
    ASSERT_TRUE(V.SaveTextFile("NOTES.TEXT", {"two"}, true));
    ASSERT_TRUE(V.SaveTextFile("NOTES.TEXT", {"three"}, true));
    EXPECT_EQ(V.FileCount(), 2);
    EXPECT_EQ(V.ReadFileLines(0, "NOTES.BACK"), std::vector<std::string>{"two"});
    EXPECT_EQ(V.ReadFileLines(0, "NOTES.TEXT"), std::vector<std::string>{"three"});
    // No backups without the flag, nor for names that do not end in ".TEXT".
    ASSERT_TRUE(V.SaveTextFile("NOTES.TEXT", {"four"}, false));
    EXPECT_EQ(V.ReadFileLines(0, "NOTES.BACK"), std::vector<std::string>{"two"});
    ASSERT_TRUE(V.SaveTextFile("PLAIN", {"a"}, true));
    ASSERT_TRUE(V.SaveTextFile("PLAIN", {"b"}, true));
    EXPECT_EQ(V.FileCount(), 3);
    // A long name's backup name is cut to 15 characters.
    ASSERT_TRUE(V.SaveTextFile("ABCDEFGHIJ.TEXT", {"a"}, true));
    ASSERT_TRUE(V.SaveTextFile("ABCDEFGHIJ.TEXT", {"b"}, true));
    EXPECT_EQ(V.ReadFileLines(0, "ABCDEFGHIJ.BACK"), std::vector<std::string>{"a"});
}

TEST_F(TPSystemText, RefusedSavesLeaveTheVolumeAsItWas) {
    {
        // No room: the old file stays.
        const auto Small = NewVolume("small.vol", "SMALL", 16); // 4 blocks of room
        TMajorVolume V(Small, true);
        ASSERT_TRUE(V.SaveTextFile("A.TEXT", {"old"}, false));
        const std::string Before = ReadFileBytes(Small);
        std::vector<std::string> Big(40, std::string(200, 'b'));
        EXPECT_FALSE(V.SaveTextFile("A.TEXT", Big, true));
        EXPECT_EQ(Warnings,
                  std::vector<std::string>{"Unable to save file|There is not enough room in "
                                           "volume SMALL."});
        EXPECT_EQ(ReadFileBytes(Small), Before);
    }
    Warnings.clear();
    TMajorVolume V(Path, true);
    for (int I = 1; I < MaxFiles; ++I)
        Save(V, "F" + std::to_string(I), 10, I);
    ASSERT_TRUE(V.SaveTextFile("NOTES.TEXT", {"old"}, false));
    const std::string Before = ReadFileBytes(Path);
    const std::string Full =
        "Unable to save file|Volume TEXTS contains the maximum number of files (77).";
    EXPECT_FALSE(V.SaveTextFile("NEW.TEXT", {"x"}, false));
    // With no backup to replace, a backup would need a 78th entry.
    EXPECT_FALSE(V.SaveTextFile("NOTES.TEXT", {"new"}, true));
    EXPECT_EQ(Warnings, (std::vector<std::string>{Full, Full}));
    EXPECT_EQ(ReadFileBytes(Path), Before);
    EXPECT_TRUE(V.SaveTextFile("NOTES.TEXT", {"new"}, false));
    EXPECT_EQ(V.ReadFileLines(0, "NOTES.TEXT"), std::vector<std::string>{"new"});
}

// ---- Decoding --------------------------------------------------------------------------------

TEST(PSystemTextDecoding, ToleratesWhatOtherToolsWrite) {
    const std::string Text = Header +
                             Page("\x10\x20zero\r"
                                  "\x10\x21one\r"
                                  "\x10\x22two\r"
                                  "    four\r"
                                  "a\0b\0c\r"
                                  "\x10\x05low\r"
                                  "\r"s) +
                             Page("next page\r");
    const std::vector<std::string> Expected = {"zero", " one", "  two", "    four",
                                               "abc",  "low",  "",      "next page"};
    const std::vector<std::string> Lines = Decode(Text);
    EXPECT_EQ(Lines, Expected);
    // Re-saved, the bytes differ but the lines do not.
    const std::string Saved = EncodePSystemText(Lines, nullptr).Data;
    EXPECT_NE(Saved, Text);
    EXPECT_EQ(Decode(Saved), Expected);
}

TEST(PSystemTextDecoding, ReadsNothingPastTheEnd) {
    // A last page cut short reads as NULs; a run without CR at a page's end is kept.
    EXPECT_EQ(Decode(Header + "ab\rcd"), (std::vector<std::string>{"ab", "cd"}));
    TBytesSource Source(Header + Page("one\r") + Page("two\r"));
    std::vector<std::string> Lines;
    DecodePSystemText(Source, 1024 + 1024 + 512, 1024, "T", Lines, true);
    EXPECT_EQ(Lines, (std::vector<std::string>{"one", "two"}));
    try {
        DecodePSystemText(Source, 1024 + 4096, 1024, "GONE.TEXT", Lines, false);
        FAIL();
    } catch (const EVolumeError& E) {
        EXPECT_STREQ(E.what(), "Can't open file 'GONE.TEXT'");
    }
}

TEST_F(TPSystemText, AnOddBlockCountIsReadWithinTheFile) {
    TMajorVolume V(Path, true);
    // Header and one block of text that fills it to its last byte, then a file whose first
    // bytes would read as more lines if the reader took a whole page.
    std::string Block;
    while (Block.size() < 500)
        Block += "line " + std::to_string(Block.size()) + "\r";
    const std::string LastLine(BlockSize - 1 - Block.size(), 'z');
    Block += LastLine + "\r";
    const std::string File = Header + Block;
    ASSERT_TRUE(V.SaveBytes("ODD.TEXT", File.data(), fkText, std::ssize(File)));
    const std::string Next = "LEAK\r" + std::string(507, '\0');
    ASSERT_TRUE(V.SaveBytes("NEXT.TEXT", Next.data(), fkText, std::ssize(Next)));
    const std::vector<std::string> Lines = V.ReadFileLines(0, "ODD.TEXT");
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.back(), LastLine);
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), "LEAK"), 0);
    ASSERT_TRUE(V.SaveTextFile("ODD.TEXT", Lines, false));
    EXPECT_EQ(V.ReadFileLines(0, "ODD.TEXT"), Lines);
}

TEST_F(TPSystemText, BinaryTest) {
    TMajorVolume V(Path, true);
    const auto IsBinary = [&](const std::vector<std::string>& Lines) {
        EXPECT_TRUE(V.SaveTextFile("B.TEXT", Lines, false));
        std::string Name;
        bool Binary = false;
        std::vector<std::string> Read;
        V.ReadFileText(0, "B.TEXT", Name, {}, Binary, nullptr, Read);
        return Binary;
    };
    const std::string Controls16 = std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F"
                                               "\x11\x12\x1E\x1F");
    EXPECT_TRUE(IsBinary({Controls16, "", Controls16}));
    EXPECT_FALSE(IsBinary({Controls16, Controls16.substr(1)}));
    EXPECT_FALSE(IsBinary({std::string(40, '\t') + std::string(40, '\n')}));
    // Only the first 10 lines count.
    std::vector<std::string> Late(10, "plain");
    Late.push_back(Controls16 + Controls16);
    EXPECT_FALSE(IsBinary(Late));
}

// ---- The reader's other kinds ----------------------------------------------------------------

class TVolumeFileReader : public TPSystemText {
protected:
    void TearDown() override {
        SetVolumeFileListings({});
        TPSystemText::TearDown();
    }
};

TEST_F(TVolumeFileReader, ListedKindsWithoutAListingSayNotSupportedYet) {
    TMajorVolume V(Path, true);
    const std::string Bytes = Header + Page("not text\r");
    // Code files list without a window's listing too.
    ASSERT_TRUE(V.SaveBytes("P.CODE", Bytes.data(), fkData, std::ssize(Bytes)));
    EXPECT_TRUE(
        V.ReadFileLines(0, "P.CODE").front().starts_with("; Disassembly of TEXTS:P.CODE at "));
    for (const char* Name : {"CUST.DEFS", "MAIN.SCRN"}) {
        ASSERT_TRUE(V.SaveBytes(Name, Bytes.data(), fkData, std::ssize(Bytes)));
        const std::vector<std::string> Lines = V.ReadFileLines(0, Name);
        ASSERT_EQ(Lines.size(), 1u) << Name;
        EXPECT_NE(Lines[0].find("is not supported yet."), std::string::npos) << Lines[0];
    }
}

TEST_F(TVolumeFileReader, ListedKindsGoToTheirListings) {
    TMajorVolume V(Path, true);
    const std::string Code = Pattern(1300, 5);
    ASSERT_TRUE(V.SaveBytes("P.CODE", Code.data(), fkCode, std::ssize(Code)));
    ASSERT_TRUE(V.SaveBytes("CUST.DEFS", Code.data(), fkData, 700));
    ASSERT_TRUE(V.SaveBytes("MAIN.SCRN", Code.data(), fkData, 900));
    const TFileInfo Defs = V.FileInfo(0, "CUST.DEFS");
    const TFileInfo Screen = V.FileInfo(0, "MAIN.SCRN");

    TVolumeFileListings Listings;
    std::string Loaded;
    Listings.Code = [&](const std::string& Title, std::vector<std::string>& Lines,
                        const TWholeFileLoader& Load) {
        EXPECT_TRUE(Load(Loaded));
        Lines.push_back("code " + Title);
    };
    Listings.DefsNames = [](TVolume&, std::string_view FileName, std::vector<std::string>& Names) {
        Names = {"names of " + std::string(FileName)};
    };
    int Context = 0;
    Listings.Defs = [&](TVolume& Volume, std::vector<std::string>& Lines,
                        const TDefsArguments& Arguments, const std::string& UnitName, int Mode,
                        std::int64_t Start, std::int64_t Length,
                        const std::vector<std::string>& Names) {
        EXPECT_EQ(&Volume, &V);
        EXPECT_EQ(Arguments.Context, &Context);
        EXPECT_EQ(Mode, 0);
        EXPECT_EQ(Start, std::int64_t(Defs.FirstBlock) * BlockSize);
        EXPECT_EQ(Length, 700);
        Lines.push_back("defs " + UnitName + " " + Names.at(0));
    };
    Listings.Screen = [&](TVolume&, std::string_view Name, std::int64_t Start, std::int64_t Length,
                          std::vector<std::string>& Lines) {
        EXPECT_EQ(Start, std::int64_t(Screen.FirstBlock) * BlockSize);
        EXPECT_EQ(Length, 900);
        Lines.push_back("screen " + std::string(Name));
    };
    SetVolumeFileListings(Listings);

    EXPECT_EQ(V.ReadFileLines(0, "p.code"), std::vector<std::string>{"code TEXTS:P.CODE"});
    EXPECT_EQ(Loaded, Code);
    std::string Name;
    bool IsBinary = true;
    std::vector<std::string> Lines;
    V.ReadFileText(0, "CUST.DEFS", Name, {&Context, nullptr}, IsBinary, nullptr, Lines);
    EXPECT_EQ(Lines, std::vector<std::string>{"defs Cust names of CUST.NAME"});
    EXPECT_FALSE(IsBinary);
    EXPECT_EQ(V.ReadFileLines(0, "MAIN.SCRN"), std::vector<std::string>{"screen MAIN.SCRN"});
}

TEST_F(TVolumeFileReader, VolumeFileHelperStaysInsideItsFile) {
    TMajorVolume V(Path, true);
    const std::string Data = Save(V, "F.DATA", 700, 3, fkData);
    const TFileInfo Info = V.FileInfo(0, "F.DATA");
    TVolumeFileHelper Source(V, std::int64_t(Info.FirstBlock) * BlockSize, Info.Size());
    EXPECT_EQ(Source.GetSize(), 700);
    std::string Whole;
    EXPECT_TRUE(ReadWholeFile(Source, Whole));
    EXPECT_EQ(Whole, Data);
    char Byte = 0;
    EXPECT_TRUE(Source.Read(699, 1, &Byte));
    EXPECT_FALSE(Source.Read(700, 1, &Byte));
    EXPECT_FALSE(Source.Read(-1, 1, &Byte));
}

// ---- Text kinds ------------------------------------------------------------------------------

TEST(TextKinds, DetectTextKind) {
    struct TCase {
        const char* FileName;
        std::vector<std::string> Lines;
        bool WholeText;
        int Kind;
    };
    std::vector<std::string> LateDot(20, "x");
    LateDot.push_back(".PAGE");
    const TCase Cases[] = {
        {"A.TEXT", {"hello", "world"}, true, tkOther},
        {"A.TEXT", {"UNIT Foo;"}, true, tkPascal},
        {"A.TEXT", {"", "  program x;"}, true, tkPascal},
        {"A.TEXT", {"{ comment }"}, true, tkPascal},
        {"A.TEXT", {"UNITS"}, true, tkOther},
        {"A.TEXT", {"unit foo;", ".PAGE"}, true, tkDotCommands},
        {"A.TEXT", LateDot, true, tkOther},
        {"A.TEXT", {"proc main", "[Lorvanta 2]"}, false, tkLorvanta},
        {"A.TEXT", {"proc main"}, false, tkOtherLorvanta},
        {"A.TEXT", {"; a comment", "table t with x"}, true, tkLorvanta},
        {"A.TEXT", {"; a comment", "table t with x"}, false, tkOtherLorvanta},
        {"A.TEXT", {"#x", "  display a"}, true, tkLorvanta},
        {"A.TEXT", {"#x", "display a", "form b"}, true, tkOtherLorvanta},
        {"A.TEXT", {"PROC main"}, true, tkOther},
        {"my.comp.all.text", {"proc main", "procedure x;"}, true, tkPascal},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(DetectTextKind(Case.FileName, Case.Lines, Case.WholeText), Case.Kind)
            << Case.Lines.front();
}

TEST(TextKinds, Extensions) {
    EXPECT_EQ(TextKindExtension(tkOther), ".txt");
    EXPECT_EQ(TextKindExtension(tkPascal), ".vp");
    EXPECT_EQ(TextKindExtension(tkDotCommands), ".vr");
    EXPECT_EQ(TextKindExtension(tkLorvanta), ".vl2");
    EXPECT_EQ(TextKindExtension(tkOtherLorvanta), ".vl");
}

} // namespace
} // namespace korvid::test
