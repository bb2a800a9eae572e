#include "psystem/CodeFileListing.h"

#include "psystem/MajorVolume.h"
#include "psystem/VolumePacking.h"

#include "psystem/SourceLineProvider.h"
#include "psystem/StandardNames.h"
#include "psystem/Volume.h"
#include "tests/support/CodeFileBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <random>

namespace korvid::test {
namespace {

using TLines = std::vector<std::string>;

// Five past nine on 8 December 2026, for every listing's header.
class TCodeListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOldClock = SetVolumeClock([] { return TVolumeStamp{2026, 12, 8, 9, 5}; });
    }
    void TearDown() override { SetVolumeClock(FOldClock); }

    static TLines List(const std::string& Bytes, const TSourceLineProvider* Provider = nullptr,
                       const std::string& Title = "WORK:X.CODE") {
        TLines Lines;
        DisassembleCodeFile(
            Title, Lines,
            [&Bytes](std::string& Buffer) {
                Buffer = Bytes;
                return true;
            },
            Provider);
        return Lines;
    }
    static TLines List(const TCodeFile& File, const TSourceLineProvider* Provider = nullptr) {
        return List(BuildCodeFile(File).Bytes, Provider);
    }

private:
    TVolumeClock FOldClock;
};

// A Unit named MYUNIT with one procedure of Code (16-bit offsets unless Wide).
TCodeFile OneProcedure(const std::string& Code, bool Wide = false) {
    TCodeFile File;
    File.WideOffsets = Wide;
    TCodeSegment S;
    S.Name = "MYUNIT";
    S.Procedures = {{Code, 3, -1}};
    S.References = {{"HEAPOPS", 3}, {"LONGOPS2", 4}, {"SCREENOP", 5}, {"CODEPOOL", 6}};
    File.Segments = {S};
    return File;
}

// The lines of procedure 1 after its header.
TLines ProcedureLines(const TLines& Listing, int Proc = 1) {
    const auto Header = std::ranges::find_if(Listing, [Proc](const std::string& Line) {
        return Line.starts_with("function ") &&
               Line.find("." + std::to_string(Proc) + "  ;") != std::string::npos;
    });
    if (Header == Listing.end())
        return {};
    const auto End = std::find(Header + 1, Listing.end(), std::string());
    return TLines(Header + 1, End);
}

bool Has(const TLines& Lines, const std::string& Line) {
    return std::ranges::find(Lines, Line) != Lines.end();
}

// The line of the one instruction Code holds (exits follow, so its last byte is decoded).
std::string InstructionLine(const std::string& Code, bool Wide = false) {
    TLines Lines;
    DisassembleCodeFile("T", Lines, [&](std::string& Buffer) {
        Buffer = BuildCodeFile(OneProcedure(Code + std::string(8, '\xfd'), Wide)).Bytes;
        return true;
    });
    const TLines Proc = ProcedureLines(Lines);
    return Proc.empty() ? std::string() : Proc.front();
}

std::string Bytes(std::initializer_list<int> Values) {
    std::string Text;
    for (const int Value : Values)
        Text += char(Value);
    return Text;
}

// Instruction bytes and how the instruction's line must end.
struct TEnding {
    std::string Code;
    std::string Ending;
};

void ExpectEndings(std::initializer_list<TEnding> Cases) {
    for (const TEnding& Case : Cases) {
        const std::string Line = InstructionLine(Case.Code);
        EXPECT_TRUE(Line.ends_with("  " + Case.Ending)) << Line;
    }
}

TEST_F(TCodeListingTest, ListsAUnitWithItsHeaderDictionaryAndPool) {
    TCodeFile File;
    File.Comment = "A\tB";
    File.FirstEntry = 1;
    TCodeSegment S;
    S.Name = "MYUNIT";
    S.DataSize = 12;
    S.Highest = 3;
    S.Procedures = {{Bytes({0x05, 0xfd, 0xfd}), 3, -1}};
    S.Pool = std::string("ABCD\0\xff", 6);
    File.Segments = {S};
    const TLines Lines = List(File);
    const TLines Expected = {
        "; Disassembly of WORK:X.CODE at 9:05 on 8 Dec 2026",
        "A<9>B",
        "",
        "Segments:",
        "     (Block 0)",
        "    1 MYUNIT  ",
        "",
        "# MYUNIT  ",
        "  Segment type:               Unit",
        "  Size (excl. seg-ref list):  18 words",
        "  Segment starts at block:    1",
        "  Interface starts at block:  0",
        "  Interface size:             0 blocks",
        "  Global variables:           12 words",
        "  Size of seg-ref list:       6 words",
        "  Highest reference:          3",
        "  Known to parent as:         1",
        "  Code type:                  P-code",
        "  P-machine version:          4",
        "  Has types:                  No",
        "  Offsets:                    16-bit",
        "  Pointers:                   32-bit",
        "  Number of procedures:       1",
        "",
        "Constant pool:",
        "          0    1    2    3    4    5    6    7    8    9   0 1 2 3 4 5 6 7 8 9",
        "   0:  4142 4344 00FF" + std::string(37, ' ') + "ABCD..",
        "",
        "function MYUNIT.1  ; 3 locals, exit at 2",
        "    0:  Lit5              5                            +1   push lit 5",
        "    1:  Exit              253                               exit",
        "    2:  Exit              253                               exit",
        "",
    };
    EXPECT_EQ(Lines, Expected);
}

TEST_F(TCodeListingTest, ListsAFunctionWithWideOffsetsWithoutInterfaceOrReferences) {
    TCodeFile File = OneProcedure(Bytes({0xfd, 0xfd}), true);
    File.WidePointers = true;
    File.Segments[0].Kind = 3;
    File.Segments[0].Name = "HELPER";
    File.Segments[0].Parent = "MAIN";
    File.Segments[0].CodeType = 9;
    File.Segments[0].Version = 7;
    TBuiltCodeFile Built = BuildCodeFile(File);
    PutWord(Built.Bytes, 224, 1); // the code length's high word
    const TLines Lines = List(Built.Bytes);
    const TLines Summary(Lines.begin() + 6, Lines.begin() + 18);
    EXPECT_EQ(Summary, (TLines{
                           "# HELPER  ",
                           "  Segment type:               Function",
                           "  Size (excl. seg-ref list):  " +
                               std::to_string(65536 + Built.Segments[0].SegRefs) + " words",
                           "  Segment starts at block:    1",
                           "  Parent segment:             MAIN    ",
                           "  Known to parent as:         1",
                           "  Code type:                  8086",
                           "  P-machine version:          7",
                           "  Has types:                  No",
                           "  Offsets:                    32-bit",
                           "  Pointers:                   64-bit",
                           "  Number of procedures:       1",
                       }));
    EXPECT_FALSE(Has(Lines, "References:"));
    // With 32-bit offsets the exit is printed as read.
    EXPECT_EQ(ProcedureLines(Lines).size(), 1u);
    EXPECT_TRUE(Has(Lines, "function HELPER.1  ; 3 locals, exit at 1"));
}

TEST_F(TCodeListingTest, NumbersSegmentsAcrossChainedDictionaryBlocks) {
    TCodeFile File;
    for (int Index = 0; Index < 17; ++Index) {
        TCodeSegment S;
        S.Name = "S" + std::to_string(Index);
        File.Segments.push_back(S);
    }
    const TLines Lines = List(File);
    EXPECT_TRUE(Has(Lines, "     (Block 0)"));
    EXPECT_TRUE(Has(Lines, "   15 S15     "));
    EXPECT_TRUE(Has(Lines, "     (Block 1)"));
    EXPECT_TRUE(Has(Lines, "   16 S16     "));
}

TEST_F(TCodeListingTest, DecodesTheDocumentedLines) {
    // Lit5, then a backward Goto at 10 and a forward one at 0.
    std::string Code =
        Bytes({0x05, 0x81, 0xff, 0xff, 0x94, 0x03, 0x04, 0x9c, 0x9c, 0x9c, 0x8a, 0xfc, 0xfd, 0xfd});
    const TLines Lines = ProcedureLines(List(OneProcedure(Code)));
    ASSERT_GE(Lines.size(), 7u);
    EXPECT_EQ(Lines[0], "    0:  Lit5              5                            +1   push lit 5");
    EXPECT_EQ(Lines[1], "    1:  LitWord           129,255,255                  +1   push lit word "
                        "65535  ; -1");
    // Segment 3 has a one-byte call of its own, hence the mark.
    EXPECT_EQ(Lines[2], "    4:  CallExt           148,3,4                  ~~~~~~   call ext 4 in "
                        "HEAPOPS  (New) !");
    EXPECT_EQ(Lines[6], "   10:  Goto              138,252                  <<-      goto 8");
    EXPECT_EQ(InstructionLine(Bytes({0x8a, 0x00})),
              "    0:  Goto              138,0                    ->>      goto 2");
    EXPECT_EQ(InstructionLine(Bytes({0x81, 0xff, 0xff})),
              "    0:  LitWord           129,255,255                  +1   push lit word 65535  ; "
              "-1");
}

TEST_F(TCodeListingTest, BigOperandsAndCountsSetTheLength) {
    const struct {
        std::string Code;
        std::string Text;
    } Cases[] = {
        {Bytes({0x84, 0x81, 0x02}), "132,129,2                    +1   push addr loc 258"},
        {Bytes({0x48, 0x05, 0x07}), "72,5,7                   -1  +n   deref 5 buf of 7"},
        {Bytes({0x48, 0x81, 0x02, 0x07}), "72,129,2,7               -1  +n   deref 258 buf of 7"},
        {Bytes({0x48, 0x00, 0x07}), "72,0,7                   -1  +n   deref buf of 7"},
        {Bytes({0x83, 0x02, 0x05, 0x07}),
         "131,2,5,7                    +7   push con buf 5 of 7 flip"},
        {Bytes({0x83, 0x00, 0x81, 0x02, 0x07}),
         "131,0,129,2,7                +7   push con buf 258 of 7"},
        {Bytes({0xff, 0x1e, 0x00, 0x10, 0x00}),
         "255,30,0,16,0            -1  +n   deref buf long of 16"},
        {Bytes({0xff, 0x1e, 0x81, 0x02, 0x10, 0x00}),
         "255,30,129,2,16,0        -1  +n   deref 258 buf long of 16"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(InstructionLine(Case.Code).substr(26), Case.Text);
    // 84 81 02 takes three bytes: the next instruction is at 3.
    const TLines Lines = ProcedureLines(List(OneProcedure(Bytes({0x84, 0x81, 0x02, 0xfd, 0xfd}))));
    ASSERT_GE(Lines.size(), 2u);
    EXPECT_TRUE(Lines[1].starts_with("    3:  Exit")) << Lines[1];
}

TEST_F(TCodeListingTest, AnUnknownSecondByteShowsAndDecodingResumesAtIt) {
    const TLines Lines = ProcedureLines(List(OneProcedure(Bytes({0xff, 0x90, 0x05, 0xfd, 0xfd}))));
    ASSERT_GE(Lines.size(), 2u);
    EXPECT_EQ(Lines[0], "    0:  {255,144}");
    EXPECT_TRUE(Lines[1].starts_with("    1:  CallLoc           144,5")) << Lines[1];
}

TEST_F(TCodeListingTest, MarksEncodingsThatHaveAShorterForm) {
    ExpectEndings({
        {Bytes({0x80, 20}), "push lit byte 20 !"},
        {Bytes({0x80, 32}), "push lit byte 32"},
        {Bytes({0x81, 200, 0}), "push lit word 200 !!"},
        {Bytes({0x81, 0x2c, 0x01}), "push lit word 300"},
        {Bytes({0x8b, 100, 0}), "goto long 103 !"},
        {Bytes({0x8b, 200, 0}), "goto long 203"},
        {Bytes({0x84, 8}), "push addr loc 8 !"},
        {Bytes({0x84, 9}), "push addr loc 9"},
        {Bytes({0x85, 16}), "push glo 16 !"},
        {Bytes({0x85, 17}), "push glo 17"},
        {Bytes({0x87, 16}), "push loc 16 !"},
        {Bytes({0x87, 17}), "push loc 17"},
        {Bytes({0xa4, 0}), "pop loc 0"},
        {Bytes({0xa4, 1}), "pop loc 1 !"},
        {Bytes({0xa4, 8}), "pop loc 8 !"},
        {Bytes({0xa4, 9}), "pop loc 9"},
        {Bytes({0xe6, 8}), "deref 8 !"},
        {Bytes({0xe6, 9}), "deref 9"},
        {Bytes({0x89, 2, 5}), "push med 5 up 2 !"},
        {Bytes({0x89, 3, 5}), "push med 5 up 3"},
        {Bytes({0x92, 2, 5}), "call med 5 up 2 !"},
        {Bytes({0x92, 3, 5}), "call med 5 up 3"},
        {Bytes({0x94, 8, 1}), "call ext 1 in <8>      !"},
        {Bytes({0x94, 9, 1}), "call ext 1 in <9>     "},
        {Bytes({0xd5, 0x80, 0xff}), "goto long -125 if false !"},
        {Bytes({0xd5, 0x7f, 0xff}), "goto long -126 if false"},
        {Bytes({0xd5, 126, 0}), "goto long 129 if false !"},
        {Bytes({0xd5, 127, 0}), "goto long 130 if false"},
    });
}

TEST_F(TCodeListingTest, TheExitWordMayLieInThePreviousBlock) {
    // Procedure 2's locals word opens block 2 of the segment; its exit word ends block 1.
    TCodeFile File = OneProcedure(std::string(512 - 24, '\x9c'));
    File.Segments[0].Procedures.push_back({Bytes({0x9c, 0x9c, 0xfd, 0xfd}), 7, 2});
    const TBuiltCodeFile Built = BuildCodeFile(File);
    ASSERT_EQ(Built.Segments[0].ProcedureStarts[1], 256);
    const TLines Lines = List(Built.Bytes);
    EXPECT_TRUE(Has(Lines, "function MYUNIT.2  ; 7 locals, exit at 2"));
    // The last procedure ends where the pool begins.
    const TLines Last = ProcedureLines(Lines, 2);
    ASSERT_EQ(Last.size(), 3u);
    EXPECT_TRUE(Last.back().starts_with("    2:  Exit")) << Last.back();
}

TEST_F(TCodeListingTest, ProcedureHeaderTakesItsExitRelativeToTheCode) {
    // Procedure 1 at word 10, 3 locals, exit word 40.
    TBuiltCodeFile Built = BuildCodeFile(OneProcedure(Bytes({0xfd, 0xfd})));
    ASSERT_EQ(Built.Segments[0].ProcedureStarts[0], 10);
    PutWord(Built.Bytes, Built.Segments[0].Start + 9 * 2, 40);
    EXPECT_TRUE(Has(List(Built.Bytes), "function MYUNIT.1  ; 3 locals, exit at 18"));
}

TEST_F(TCodeListingTest, NamesStandardRoutinesAndGlobals) {
    EXPECT_EQ(StandardProcName(6, 4), "New");
    EXPECT_EQ(StandardProcName(17, 7), "");
    EXPECT_EQ(KernelGlobalName(7, 24), "errorMessage");
    ExpectEndings({
        {Bytes({0x94, 3, 4}), "call ext 4 in HEAPOPS  (New) !"},
        {Bytes({0x9a, 5, 24}), "push ext 24 in SCREENOP (errorMessage)"},
        {Bytes({0x94, 6, 7}), "call ext 7 in CODEPOOL !"},
        {Bytes({0x70, 35}), "call ext 35 in KERNEL   (Halt)"},
        {Bytes({0x73, 0}), "call ext 0 in LONGOPS2 (TrimNumber)"},
    });
}

// A map holding one source line per stretch of code, and the procedure's name.
class TStandInMap : public TSourceLineProvider {
public:
    struct TRecord : TMapSourceLine {
        TRecord(std::string SourceText, std::string Procedure)
            : Text(std::move(SourceText)), Name(std::move(Procedure)) {}
        std::string Text, Name;
        const std::string& SourceText() const override { return Text; }
        const std::string& ProcedureName() const override { return Name; }
    };
    TRecord First{"x := 1;", "Init"};
    TRecord Second{"y := 2;", "Init"};
    const TMapSourceLine* FindProcOffset(const std::string& Segment, int Proc,
                                         int Offset) const override {
        Asked.push_back(Segment + "." + std::to_string(Proc));
        return Offset < 2 ? &First : &Second;
    }
    mutable TLines Asked;
};

TEST_F(TCodeListingTest, ShowsSourceLinesWhenTheRecordChanges) {
    const TCodeFile File = OneProcedure(Bytes({0x05, 0x06, 0x07, 0x08, 0xfd, 0xfd}));
    TStandInMap Map;
    const TLines With = List(File, &Map);
    EXPECT_TRUE(Has(With, "function MYUNIT.1  ; 3 locals, exit at 5 'Init'"));
    const TLines Lines = ProcedureLines(With);
    ASSERT_EQ(Lines.size(), 7u);
    EXPECT_EQ(Lines[0], "## x := 1;");
    EXPECT_TRUE(Lines[2].starts_with("    1:  Lit6"));
    EXPECT_EQ(Lines[3], "## y := 2;");
    EXPECT_TRUE(Lines[5].starts_with("    3:  Lit8"));
    EXPECT_EQ(Map.Asked.front(), "MYUNIT.1");

    const TLines Without = List(File);
    EXPECT_TRUE(Has(Without, "function MYUNIT.1  ; 3 locals, exit at 5"));
    EXPECT_TRUE(std::ranges::none_of(
        Without, [](const std::string& Line) { return Line.starts_with("## "); }));
}

TEST_F(TCodeListingTest, ListsReferencesTypeReferencesAndTheTypeTable) {
    TCodeFile File = OneProcedure(Bytes({0xff, 0x3a, 1, 0, 0xff, 0x3a, 9, 0, 0xfd, 0xfd}), true);
    TCodeSegment& S = File.Segments[0];
    S.References = {{"HEAPOPS", 3}};
    S.TypeReferences = {{3, "TNode"}};
    S.HasTypes = true;
    S.Types = {{{{0, "Next", 2, 1}, {1, "Free", 4, 3}, {2, "", 5, 1}}, 8, 0}, {{}, 2, 12}};
    const TLines Lines = List(File);
    const auto At = std::ranges::find(Lines, "References:");
    ASSERT_NE(At, Lines.end());
    EXPECT_EQ(TLines(At, At + 6), (TLines{"References:", "   3 HEAPOPS ", "",
                                          "Type references:", "   1 HEAPOPS  TNode", ""}));
    const TLines Code = ProcedureLines(Lines);
    ASSERT_EQ(Code.size(), 3u);
    EXPECT_TRUE(Code[0].ends_with("  make intf TNode")) << Code[0];
    EXPECT_TRUE(Code[1].ends_with("  make intf <type 9>")) << Code[1];
    const auto Types = std::ranges::find(Lines, "type 1");
    ASSERT_NE(Types, Lines.end());
    EXPECT_EQ(TLines(Types, Lines.end()),
              (TLines{"type 1", "  Next of type TNode (me + 2)", "  Free -> 4 in HEAPOPS ",
                      "  interface TNode -> type 5", "type 2 @12", ""}));
}

TEST_F(TCodeListingTest, AFailedLoadRaises) {
    TLines Lines;
    EXPECT_THROW(
        {
            try {
                DisassembleCodeFile("W:X.CODE", Lines, [](std::string&) { return false; });
            } catch (const ECodeFileError& Error) {
                EXPECT_STREQ(Error.what(), "Can't open file 'W:X.CODE'");
                throw;
            }
        },
        ECodeFileError);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(TCodeListingTest, UnpackingInterfacesWritesAUnitsInterfaceText) {
    TCodeFile File = OneProcedure(Bytes({0xfd, 0xfd}));
    File.Segments[0].Interface = {"unit MyUnit;", "interface", "  procedure Go;"};
    const TBuiltCodeFile Built = BuildCodeFile(File);
    // One text page cut to one block: the half page the reader must take.
    ASSERT_EQ(Built.Bytes.size() / 512, 3u);
    TTempDir Temp;
    const auto Path = Temp / "w.vol";
    ASSERT_TRUE(CreateVolumeFile(Path, "WORK", 40));
    {
        TMajorVolume V(Path, true);
        ASSERT_TRUE(
            V.SaveBytes("MYUNIT.CODE", Built.Bytes.data(), fkCode, std::ssize(Built.Bytes)));
    }
    TMajorVolume(Path, false).Unpack(Temp / "out", umInterfaces);
    EXPECT_EQ(ReadFileBytes(Temp / "out" / "Work" / "MYUNIT.txt").find("unit MyUnit;"), 0u);
    EXPECT_NE(ReadFileBytes(Temp / "out" / "Work" / "MYUNIT.txt").find("  procedure Go;"),
              std::string::npos);
}

// ---- Damaged files ---------------------------------------------------------------------------

TEST_F(TCodeListingTest, DamageStopsOnlyItsOwnPart) {
    TCodeFile Two = OneProcedure(Bytes({0x9c, 0x9c, 0xfd, 0xfd}));
    Two.Segments[0].Procedures.push_back({Bytes({0x9c, 0xfd, 0xfd}), 1, -1});
    TCodeFile Chained;
    Chained.Segments.resize(17);
    for (int Index = 0; Index < 17; ++Index)
        Chained.Segments[Index].Name = "S" + std::to_string(Index);
    TCodeFile Typed = OneProcedure(Bytes({0xfd, 0xfd}), true);
    Typed.Segments[0].HasTypes = true;
    Typed.Segments[0].Types = {{}};
    TCodeFile Refs = OneProcedure(Bytes({0xfd, 0xfd}));
    Refs.Segments[0].References = {{"FOO", 2}, {"HEAPOPS", 3}};
    Refs.Segments[0].TypeReferences = {{300, "TNode"}};

    const struct {
        const char* Name;
        const TCodeFile& File;
        std::function<void(TBuiltCodeFile&)> Damage;
        std::string Expected; // how a line of the listing must begin
    } Cases[] = {
        {"looping chain", Chained, [](TBuiltCodeFile& F) { PutWord(F.Bytes, 512 + 416, 1); },
         "** Listing stopped: the dictionary chain returns to block 1"},
        {"partial block 0", Two, [](TBuiltCodeFile& F) { F.Bytes.resize(300); },
         "** Listing stopped: dictionary block 0 runs past the file's end at byte 300"},
        {"15,001 procedures", Two,
         [](TBuiltCodeFile& F) {
             PutWord(F.Bytes, F.Segments[0].Start + F.Segments[0].Dictionary * 2, 15001);
         },
         "** Listing stopped: segment 0 has 15001 procedures, more than 15000"},
        {"a start past the file's end", Two,
         [](TBuiltCodeFile& F) {
             PutWord(F.Bytes, F.Segments[0].Start + (F.Segments[0].Dictionary - 2) * 2, 0x7FFF);
         },
         "** Listing stopped: procedure 2 runs past the file's end at byte " +
             std::to_string(512 + 0x7FFF * 2)},
        {"a pool ending before its start", Two,
         [](TBuiltCodeFile& F) {
             PutWord(F.Bytes, F.Segments[0].Start + 14, unsigned(F.Segments[0].Dictionary));
         },
         "** Listing stopped: segment 0's constant pool ends before it starts"},
        {"a seg-ref list entry 2", Refs, [](TBuiltCodeFile&) {}, "   3 HEAPOPS "},
        {"a type reference to segment 300", Refs, [](TBuiltCodeFile&) {}, "   1 <300>    TNode"},
        {"a type count of 2^32-1", Typed,
         [](TBuiltCodeFile& F) {
             const std::int64_t At = F.Segments[0].Start + F.Segments[0].TypeCount * 2;
             PutWord(F.Bytes, At, 0xFFFF);
             PutWord(F.Bytes, At + 2, 0xFFFF);
         },
         "** Listing stopped: segment 0's type table starts before the file at byte -"},
        {"a cut inside an instruction", Two,
         [](TBuiltCodeFile& F) {
             // Procedure 1 now ends far out, so it runs to the file's last byte.
             PutWord(F.Bytes, F.Segments[0].Start + (F.Segments[0].Dictionary - 2) * 2, 0xFFFF);
             F.Bytes.back() = char(0x81);
         },
         "** Listing stopped: procedure 1 runs past the file's end at byte 1024"},
    };
    for (const auto& Case : Cases) {
        TBuiltCodeFile Built = BuildCodeFile(Case.File);
        Case.Damage(Built);
        const TLines Lines = List(Built.Bytes);
        const auto At = std::ranges::find_if(
            Lines, [&Case](const std::string& Line) { return Line.starts_with(Case.Expected); });
        ASSERT_NE(At, Lines.end()) << Case.Name;
        EXPECT_FALSE(At[-1].find("LitWord") != std::string::npos) << Case.Name;
        EXPECT_TRUE(std::ranges::none_of(Lines, [](const std::string& Line) {
            return Line.find("FOO") != std::string::npos;
        })) << Case.Name;
    }
}

TEST_F(TCodeListingTest, OverlappingProceduresStopAtTheLineBudget) {
    // Procedures numbered past the real ones take their starts from procedure 1's code, which
    // holds word 10: all start where procedure 1 does, and each runs to a far-off end.
    std::string Tens;
    for (int Index = 0; Index < 200; ++Index)
        Tens += Bytes({10, 0});
    TCodeFile File = OneProcedure(Tens);
    File.Segments[0].Procedures.push_back({Bytes({0xfd, 0xfd}), 1, -1});
    TBuiltCodeFile Built = BuildCodeFile(File);
    const TSegmentLayout& S = Built.Segments[0];
    PutWord(Built.Bytes, S.Start + (S.Dictionary - 2) * 2, 0xFFFF);
    PutWord(Built.Bytes, S.Start + S.Dictionary * 2, 150);
    PutWord(Built.Bytes, S.Start + 14, 0); // the pool takes in the extra entries
    const TLines Lines = List(Built.Bytes);
    const std::size_t Budget = Built.Bytes.size() * 4 + 10000;
    EXPECT_EQ(Lines.size(), Budget + 1);
    EXPECT_EQ(Lines.back(), "** Listing stopped: the listing is longer than " +
                                std::to_string(Budget) + " lines");
}

// ---- Fuzz ------------------------------------------------------------------------------------

TCodeFile RandomCodeFile(std::mt19937& Random) {
    const auto Below = [&Random](unsigned Limit) { return unsigned(Random() % Limit); };
    TCodeFile File;
    File.WideOffsets = Below(2);
    File.Comment = std::string(Below(5), 'c');
    for (unsigned S = 0, Count = 1 + Below(3); S < Count; ++S) {
        TCodeSegment Segment;
        Segment.Name = "SEG" + std::to_string(S);
        Segment.Kind = 1 + Below(4);
        for (unsigned P = 0, Procs = Below(6); P < Procs; ++P) {
            std::string Code(Below(60), '\0');
            for (char& Byte : Code)
                Byte = char(Below(256));
            Segment.Procedures.push_back({Code, Below(20), -1});
        }
        Segment.Pool = std::string(Below(30), 'p');
        if (Below(2))
            Segment.References = {{"HEAPOPS", 3 + Below(250)}, {"KERNEL", Below(4)}};
        if (Below(2))
            Segment.TypeReferences = {{Below(400), "T"}};
        if (File.WideOffsets && Below(2)) {
            Segment.HasTypes = true;
            Segment.Types = {{{{Below(4), "m", Below(9), Below(4)}}, 4, Below(3)}};
        }
        if (!File.WideOffsets && Segment.Kind == 2 && Below(2))
            Segment.Interface = {"unit U;", "interface"};
        File.Segments.push_back(Segment);
    }
    return File;
}

void Mutate(TBuiltCodeFile& Built, std::mt19937& Random) {
    std::string& Bytes = Built.Bytes;
    const auto Below = [&Random](std::size_t Limit) { return std::size_t(Random() % Limit); };
    switch (Below(6)) {
    case 0:
        for (std::size_t Flip = 0, Count = 1 + Below(8); Flip < Count; ++Flip)
            Bytes[Below(Bytes.size())] ^= char(1 << Below(8));
        break;
    case 1: {
        static constexpr unsigned Values[] = {0, 0x7FFF, 0xFFFF};
        const std::size_t At = Below(Bytes.size() - 1) & ~std::size_t(1);
        PutWord(Bytes, std::int64_t(At), Values[Below(3)]);
        break;
    }
    case 2: { // a dictionary chain that leads to some block and points back from it
        const std::size_t Block = Below(Bytes.size() / 512);
        PutWord(Bytes, 416, unsigned(Block));
        PutWord(Bytes, std::int64_t(Block) * 512 + 416, unsigned(Below(Block + 1)));
        break;
    }
    case 3:
        Bytes.resize(Below(Bytes.size() / 512 + 1) * 512);
        break;
    case 4:
        Bytes.resize(Below(Bytes.size() + 1));
        break;
    default:
        for (char& Byte : Bytes)
            Byte = char(Below(256));
    }
}

TEST_F(TCodeListingTest, DamagedFilesListWithinTheirBudget) {
    const char* Seed = std::getenv("KORVID_FUZZ_SEED");
    const char* Count = std::getenv("KORVID_FUZZ_COUNT");
    const unsigned First =
        Seed ? unsigned(std::strtoul(Seed, nullptr, 10)) : std::random_device{}();
    const int Runs = Count ? std::atoi(Count) : 300;
    std::cout << "KORVID_FUZZ_SEED=" << First << "\n";
    std::mt19937 Random(First);
    for (int Run = 0; Run < Runs; ++Run) {
        TBuiltCodeFile Built = BuildCodeFile(RandomCodeFile(Random));
        Mutate(Built, Random);
        // Exactly the file's bytes, so a read past them is a read outside the buffer.
        const std::string Exact = Built.Bytes;
        TLines Lines;
        DisassembleCodeFile("F", Lines, [&Exact](std::string& Buffer) {
            Buffer.assign(Exact.data(), Exact.size());
            return true;
        });
        ASSERT_LE(Lines.size(), Exact.size() * 4 + 10001) << "seed " << First << " run " << Run;
    }
}

TEST_F(TCodeListingTest, AFileCutAtEveryByteStillLists) {
    TCodeFile File = OneProcedure(Bytes({0x81, 0x01, 0x02, 0xff, 0x1e, 0x81, 0x02, 0x10, 0x00}));
    File.Segments[0].TypeReferences = {{3, "TNode"}};
    const std::string Whole = BuildCodeFile(File).Bytes;
    for (std::size_t Size = 0; Size <= Whole.size(); ++Size) {
        const TLines Lines = List(Whole.substr(0, Size));
        ASSERT_FALSE(Lines.empty());
        EXPECT_TRUE(Lines.front().starts_with("; Disassembly of ")) << Size;
    }
}

} // namespace
} // namespace korvid::test
