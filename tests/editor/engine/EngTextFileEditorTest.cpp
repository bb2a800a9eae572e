#include "editor/engine/EngTextFileEditor.h"

#include "FakeEditorHost.h"
#include "editor/engine/EngException.h"
#include "foundation/TextFileWriter.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace korvid {
namespace {

using test::ParasOf;
using test::ReadFileBytes;
using test::WriteFileBytes;
using TParas = std::vector<std::string>;
namespace fs = std::filesystem;

using test::TFileSizeLimit;

class TextFile : public ::testing::Test {
protected:
    TextFile() : E(Host, &Controller) { E.WindowCreated(); }
    test::TTempDir Dir;
    test::TFakeEditorHost Host;
    TEngController Controller;
    TEngTextFileEditor E;

    std::string Path(std::string_view Name) const { return (Dir / Name).string(); }
    // Saves the text with the options and answers the file's bytes.
    std::string Saved(const TTextSaveOptions& Options) {
        E.SaveToFile(Path("out.txt"), Options);
        return ReadFileBytes(Dir / "out.txt");
    }
};

TEST_F(TextFile, SaveOptionsByteForByte) {
    struct TCase {
        std::string Text; // given to SetEditorText
        TTextSaveOptions Options;
        std::string Bytes;
    };
    const TTextSaveOptions Plain{false, false, TLineBreak::CrLf, false, false};
    const TTextSaveOptions Final{true, false, TLineBreak::CrLf, false, false};
    const TCase Cases[] = {
        {"", Plain, ""},
        {"", Final, "\r\n"},
        {"", {false, true, TLineBreak::CrLf, false, false}, "\xEF\xBB\xBF"},
        {"a\r\nb", Plain, "a\r\nb"},
        {"a\r\nb", Final, "a\r\nb\r\n"},
        {"a\r\nb", {true, false, TLineBreak::Lf, false, false}, "a\nb\n"},
        {"a\r\nb\r\n", {false, false, TLineBreak::Cr, false, false}, "a\rb\r"},
        // An empty last paragraph ends the line before it, with or without the final line end.
        {"a\r\nb\r\n", Plain, "a\r\nb\r\n"},
        {"a\r\nb\r\n", Final, "a\r\nb\r\n"},
        {"a\r\n\r\n", Final, "a\r\n\r\n"},
        // Trailing blanks go unless kept; a line of blanks only keeps them when asked.
        {"a b  \r\n   \r\nc\t", Plain, "a b\r\n\r\nc"},
        {"a b  \r\n   \r\nc\t", {false, false, TLineBreak::CrLf, true, false}, "a b\r\n   \r\nc"},
        {"a b  \r\n   \r\nc\t",
         {false, false, TLineBreak::CrLf, false, true},
         "a b  \r\n   \r\nc\t"},
        // UTF-8: a mark, and the escape of a character without an 8-bit form written as it.
        {"\x80 \xAB\x87"
         "4E2D\x87\xBB",
         {true, true, TLineBreak::CrLf, false, false},
         "\xEF\xBB\xBF\xE2\x82\xAC \xE4\xB8\xAD\r\n"},
        {"\x80\r\n", {false, true, TLineBreak::Lf, false, false, false}, "\xE2\x82\xAC\n"},
    };
    for (const TCase& C : Cases) {
        E.SetEditorText(C.Text);
        EXPECT_EQ(Saved(C.Options), C.Bytes) << C.Text;
        EXPECT_FALSE(E.GetModified());
    }
}

TEST_F(TextFile, RepeatedSavesDoNotGrowTheFile) {
    E.SetEditorText("x\r\ny\r\n");
    const TTextSaveOptions Final{true, false, TLineBreak::CrLf, false, false};
    const std::string First = Saved(Final);
    E.LoadFromFile(Path("out.txt"));
    EXPECT_EQ(Saved(Final), First);
}

TEST_F(TextFile, AFileOpenedAndSavedUnchangedKeepsItsBytes) {
    struct TCase {
        std::string Bytes;
        TTextSaveOptions Options;
    };
    const TCase Cases[] = {
        {"one\r\ntwo\r\n", {true, false, TLineBreak::CrLf, false, true}},
        {"one\r\ntwo", {false, false, TLineBreak::CrLf, false, true}},
        {"one\ntwo\n\n", {true, false, TLineBreak::Lf, false, true}},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\r\n", {true, true, TLineBreak::CrLf, false, true}},
        {"  \r\nx  \r\n", {true, false, TLineBreak::CrLf, false, true}},
        {"\r\n", {true, false, TLineBreak::CrLf, false, true}},
        {"one\rtwo\r", {false, false, TLineBreak::Cr, false, true}},
        {"caf\xC3\xA9\n", {false, true, TLineBreak::Lf, false, true, false}},
    };
    for (const TCase& C : Cases) {
        WriteFileBytes(Dir / "in.txt", C.Bytes);
        E.TrimWhiteSpace = false;
        E.LoadFromFile(Path("in.txt"));
        EXPECT_TRUE(E.IsOpen());
        E.SaveToFile(Path("in.txt"), C.Options);
        EXPECT_EQ(ReadFileBytes(Dir / "in.txt"), C.Bytes);
    }
}

TEST_F(TextFile, LoadReadsLinesAndCutsLongOnes) {
    E.SetParaLengthLimit(32767);
    const std::string Long(40000, 'a');
    WriteFileBytes(Dir / "long.txt", "first  \r\n" + Long + "\r\nlast");
    E.LoadFromFile(Path("long.txt."));
    EXPECT_EQ(E.FileName(), Path("long.txt"));
    EXPECT_TRUE(E.IsOpen());
    EXPECT_FALSE(E.GetModified());
    EXPECT_FALSE(E.CanUndo());
    // The whole line arrives, cut into paragraphs by the limit.
    EXPECT_EQ(ParasOf(E), (TParas{"first", Long.substr(0, 32767), Long.substr(32767), "last"}));
}

TEST_F(TextFile, LoadBeyondALimitRaisesAndLeavesTheFileClosed) {
    WriteFileBytes(Dir / "many.txt", "a\r\nb\r\nc\r\n");
    E.SetParaLimit(2);
    try {
        E.LoadFromFile(Path("many.txt"));
        FAIL() << "no error";
    } catch (const EEditorError& Error) {
        EXPECT_EQ(Error.ErrorCode(), eeTooManyParas);
        EXPECT_EQ(std::string(Error.what()),
                  "Current operation will exceed the maximum number of allowed paragraphs");
    }
    EXPECT_FALSE(E.IsOpen());
    EXPECT_EQ(ParasOf(E), (TParas{"a", "b"}));
}

TEST_F(TextFile, BackupKeepsThePreviousFile) {
    WriteFileBytes(Dir / "x.txt", "old\r\n");
    WriteFileBytes(Dir / "x.BAK", "older\r\n");
    E.MakeBackup = true;
    E.SetEditorText("new");
    E.SaveToFile(Path("x.txt"), {});
    EXPECT_EQ(ReadFileBytes(Dir / "x.txt"), "new\r\n");
    EXPECT_EQ(ReadFileBytes(Dir / "x.BAK"), "old\r\n");
    // No backup of a file that is not there yet, and none onto the file itself.
    E.SaveToFile(Path("y.txt"), {});
    EXPECT_FALSE(fs::exists(Dir / "y.BAK"));
    E.SetBackupExt("OLDER");
    EXPECT_EQ(E.BackupExt(), "OLD");
    E.SaveToFile(Path("z.OLD"), {});
    E.SaveToFile(Path("z.OLD"), {});
    EXPECT_EQ(ReadFileBytes(Dir / "z.OLD"), "new\r\n");
    EXPECT_EQ(E.BackupName("a/b.txt"), "a/b.OLD");
}

TEST_F(TextFile, AFailingSaveLeavesFileBackupAndModifiedAlone) {
    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop root";
    const fs::path Folder = Dir / "ro";
    fs::create_directory(Folder);
    WriteFileBytes(Folder / "doc.txt", "old text\r\n");
    WriteFileBytes(Folder / "doc.BAK", "old backup\r\n");
    fs::permissions(Folder, fs::perms::owner_read | fs::perms::owner_exec);
    E.MakeBackup = true;
    E.SetEditorText("new text");
    ASSERT_TRUE(E.GetModified());
    EXPECT_THROW(E.SaveToFile((Folder / "doc.txt").string(), {}), EFileSaveError);
    fs::permissions(Folder, fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(Folder / "doc.txt"), "old text\r\n");
    EXPECT_EQ(ReadFileBytes(Folder / "doc.BAK"), "old backup\r\n");
    EXPECT_TRUE(E.GetModified());
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 2);
}

TEST_F(TextFile, AFailingWriteLeavesFileBackupAndModifiedAlone) {
    WriteFileBytes(Dir / "doc.txt", "old text\r\n");
    WriteFileBytes(Dir / "doc.BAK", "old backup\r\n");
    E.MakeBackup = true;
    std::string Text;
    for (int I = 0; I < 2000; ++I)
        Text += std::string(60, 'n') + "\r\n";
    E.SetEditorText(Text);
    {
        const TFileSizeLimit Limit(4096);
        EXPECT_THROW(E.SaveToFile(Path("doc.txt"), {}), EFileSaveError);
    }
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "old text\r\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.BAK"), "old backup\r\n");
    EXPECT_TRUE(E.GetModified());
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), fs::directory_iterator()), 2);
}

TEST_F(TextFile, FileNameAndIsOpen) {
    WriteFileBytes(Dir / "a.txt", "alpha");
    E.SetIsOpen(true); // no file name: nothing
    EXPECT_FALSE(E.IsOpen());
    E.SetFileName(Path("a.txt"));
    E.SetIsOpen(true);
    EXPECT_TRUE(E.IsOpen());
    EXPECT_EQ(ParasOf(E), TParas{"alpha"});
    E.SetFileName(Path("A.TXT")); // the same name but for case: stays open
    EXPECT_TRUE(E.IsOpen());
    E.SetIsOpen(false);
    EXPECT_EQ(ParasOf(E), TParas{""});
    E.SetFileName(Path("b.txt"));
    EXPECT_FALSE(E.IsOpen());
    // While settings are restored, opening waits for the end.
    E.ComponentLoading = true;
    E.SetFileName(Path("a.txt"));
    E.SetIsOpen(true);
    EXPECT_EQ(ParasOf(E), TParas{""});
    E.Loaded();
    EXPECT_EQ(ParasOf(E), TParas{"alpha"});
    EXPECT_TRUE(E.IsOpen());

    test::TFakeEditorHost OtherHost;
    TEngTextFileEditor Other(OtherHost, &Controller);
    Other.AttachTo(E);
    EXPECT_EQ(Other.FileName(), E.FileName());
    EXPECT_EQ(ParasOf(Other), TParas{"alpha"});
}

} // namespace
} // namespace korvid
