#include "workspace/FindInFiles.h"

#include "foundation/BinaryStrings.h"
#include "foundation/EncryptionEngine.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/Volume.h"
#include "tests/support/TempDir.h"
#include "workspace/TermScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::string>;

TFindSettings Term(std::string Text) {
    TFindSettings S;
    S.Text = std::move(Text);
    return S;
}

bool LineMatches(const TFindSettings& S, std::string_view Line) {
    TLineMatcher M(S);
    return M.Matches(Line);
}

// ---- Match rules ------------------------------------------------------------------------------

TEST(FindMatchRules, Locations) {
    struct TCase {
        int Location;
        std::string Line;
        bool Matches;
    } Cases[] = {
        {0, "a foo b", true},   {1, "foo b", true},  {1, " foo", false},   {2, "  foo b", true},
        {2, "x foo", false},    {3, "a foo", true},  {3, "a foo ", false}, {4, "a foo  ", true},
        {4, "foo x", false},    {5, "foo", true},    {5, "foo ", false},   {5, " foo", false},
        {6, "  foo\t", true},   {6, "x foo", false}, {6, "foo x", false},  {1, "x foo foo", false},
        {3, "foo x foo", true},
    };
    for (const TCase& C : Cases) {
        TFindSettings S = Term("foo");
        S.Location = C.Location;
        EXPECT_EQ(LineMatches(S, C.Line), C.Matches) << C.Location << " '" << C.Line << "'";
    }
}

TEST(FindMatchRules, OptionTable) {
    struct TCase {
        std::string Term;
        bool WholeWords, QuotedOnly, IgnoreUnderscores, MatchCase;
        std::string Line;
        bool Matches;
    } Cases[] = {
        {"aa", true, false, false, false, "aaa", false},
        {"aa", true, false, false, false, "aaa aa", true},
        {"aa", true, false, false, false, "x_aa", false},
        {"aa", true, false, false, false, "(aa)", true},
        {"x", false, true, false, false, "x := 'it''s x';", true},
        {"x", false, true, false, false, "x := 'it''s';", false},
        {"x", false, true, false, false, "y := 'x", false},
        {"x", false, true, false, false, "s := \"x\"", true},
        {"z", false, true, false, false, "'it''s' z", false},
        {"s", false, true, false, false, "'it''s' z", true},
        {"ab", false, false, true, false, "a_b", true},
        {"a_b", false, false, true, false, "ab", true},
        {"ab", false, false, false, false, "a_b", false},
        {"Foo", false, false, false, true, "foo", false},
        {"Foo", false, false, false, true, "Foo", true},
        {"Foo", false, false, false, false, "fOO", true},
        {"\xE9t\xE9", false, false, false, false, "\xC9T\xC9", true},
    };
    for (const TCase& C : Cases) {
        TFindSettings S = Term(C.Term);
        S.WholeWords = C.WholeWords;
        S.QuotedOnly = C.QuotedOnly;
        S.IgnoreUnderscores = C.IgnoreUnderscores;
        S.MatchCase = C.MatchCase;
        EXPECT_EQ(LineMatches(S, C.Line), C.Matches) << C.Term << " in '" << C.Line << "'";
    }
}

TEST(FindMatchRules, EmptyTermListsEmptyLinesForWholeLineLocations) {
    struct TCase {
        int Location;
        std::string Line;
        bool Matches;
    } Cases[] = {{5, "", true},    {5, "  ", false}, {5, "x", false}, {6, "", true},
                 {6, " \t", true}, {6, " x", false}, {0, "", false},  {3, "", false}};
    for (const TCase& C : Cases) {
        TFindSettings S = Term("");
        S.Location = C.Location;
        EXPECT_EQ(LineMatches(S, C.Line), C.Matches) << C.Location << " '" << C.Line << "'";
    }
}

TEST(FindMatchRules, ExtensionsAreTrimmedAndDotted) {
    EXPECT_EQ(ParseExtensions("pas, .TXT"), (TLines{".pas", ".txt"}));
    EXPECT_EQ(ParseExtensions(" ; code;;"), (TLines{".code"}));
    EXPECT_TRUE(ParseExtensions("").empty());
}

TEST(FindTermScanner, FindsWhatAPlainLookFinds) {
    std::mt19937 Random(7);
    const std::string Alphabet = "aAbB \xE9\xC9\xFF\x9F\n\rtT";
    for (int Round = 0; Round < 3000; ++Round) {
        std::string Text;
        for (int I = int(Random() % 80); I > 0; --I)
            Text += Alphabet[Random() % Alphabet.size()];
        std::string Term;
        for (int I = int(Random() % 4) + 1; I > 0; --I)
            Term += Alphabet[Random() % Alphabet.size()];
        const bool Fold = Random() % 2;
        if (Fold)
            Term = UpperCase1252(Term);
        const std::string Folded = Fold ? UpperCase1252(Text) : Text;
        const TTermScanner Scanner(Term, Fold);
        const std::size_t From = Text.empty() ? 0 : Random() % Text.size();
        EXPECT_EQ(Scanner.Find(Text, From), Folded.find(Term, From))
            << "'" << Term << "' in '" << Text << "' from " << From;
    }
}

TEST(FindTermScanner, CountsLineEndsUnlessALineMayBeLong) {
    EXPECT_EQ(CountShortLines("a\r\nb\nc\rd\n\r\n"), 5u);
    EXPECT_EQ(CountShortLines(std::string(2000, 'x') + "\r\n" + std::string(2000, 'y') + "\n"), 2u);
    EXPECT_EQ(CountShortLines(std::string(4100, 'x') + "\n"), std::nullopt);
}

// ---- Folder searches --------------------------------------------------------------------------

class FindInFolder : public ::testing::Test {
protected:
    TTempDir Dir;
    TFindHooks Hooks;
    std::vector<std::pair<std::string, std::string>> Errors;

    FindInFolder() {
        Hooks.ShowError = [this](const std::string& Caption, const std::string& Text) {
            Errors.emplace_back(Caption, Text);
        };
    }
    void Write(std::string_view Name, std::string_view Bytes) {
        fs::create_directories((Dir / Name).parent_path());
        WriteFileBytes(Dir / Name, Bytes);
    }
    std::string Folder() const { return Dir.Path().string() + "/"; }
    TFindResults Find(TFindSettings S) {
        S.Folder = Dir.Path().string();
        return FindInFiles({}, {}, S, Hooks);
    }
    static std::vector<std::string> Names(const TFindResults& R) {
        std::vector<std::string> Result;
        for (const auto& [Path, Line] : R.Sections)
            Result.push_back(R.Lines[std::size_t(Line)]);
        std::sort(Result.begin(), Result.end());
        return Result;
    }
};

TEST_F(FindInFolder, ResultsTextIsExact) {
    Write("a.txt", "1\r\n2\r\nfoo bar\r\n4\r\n5\r\n6\r\n7\r\n8\r\nx foo\r\n");
    Write("b.txt", "nothing here\r\n");
    const TFindResults R = Find(Term("foo"));
    EXPECT_EQ(R.Lines, (TLines{"2 matches for \"foo\" in " + Folder(), "", "", "",
                               "a.txt  (2 matches)", "     3 foo bar", "     9 x foo"}));
    EXPECT_EQ(R.Sections, (std::vector<std::pair<std::string, int>>{{Folder() + "a.txt", 4}}));
    EXPECT_FALSE(R.Aborted);
}

TEST_F(FindInFolder, ContextLinesStopAtTheFileEdges) {
    Write("c.txt", "foo\nb\nc\n");
    TFindSettings S = Term("foo");
    S.ContextLines = 1;
    const TFindResults R = Find(S);
    EXPECT_EQ(R.Lines, (TLines{"1 match for \"foo\" in " + Folder(), "", "", "", "c.txt  (1 match)",
                               "------", "     1 foo", "     2 b", "------"}));
    S.ContextLines = 2;
    Write("c.txt", "a\nb\nfoo\nd\n");
    const TFindResults R2 = Find(S);
    EXPECT_EQ(TLines(R2.Lines.begin() + 6, R2.Lines.end()),
              (TLines{"     1 a", "     2 b", "     3 foo", "     4 d", "------"}));
}

TEST_F(FindInFolder, NoMatchGivesNoLines) {
    Write("a.txt", "bar\n");
    const TFindResults R = Find(Term("foo"));
    EXPECT_EQ(R.Count, 0);
    EXPECT_TRUE(R.Lines.empty());
}

TEST_F(FindInFolder, CodeAndTabSetFilesOnlyWhenNamed) {
    for (const char* Name : {"a.pas", "b.TXT", "c.code", "d.KORVIDTABS", "e.inc", "f.Code"})
        Write(Name, "foo\n");
    Hooks.PSystemAware = false;
    EXPECT_EQ(Names(Find(Term("foo"))),
              (TLines{"a.pas  (1 match)", "b.TXT  (1 match)", "e.inc  (1 match)"}));
    TFindSettings S = Term("foo");
    S.Extensions = "pas, .TXT";
    EXPECT_EQ(Names(Find(S)), (TLines{"a.pas  (1 match)", "b.TXT  (1 match)"}));
    S.Extensions = "code;korvidtabs";
    EXPECT_EQ(Names(Find(S)),
              (TLines{"c.code  (1 match)", "d.KORVIDTABS  (1 match)", "f.Code  (1 match)"}));
}

TEST_F(FindInFolder, SkipsSpecialFoldersFilesAndLoops) {
    Write("sub/a.txt", "foo\n");
    Write("_sgbak/b.txt", "foo\n");
    Write(".svn/c.txt", "foo\n");
    ASSERT_EQ(::mkfifo((Dir / "fifo.txt").c_str(), 0600), 0);
    fs::create_directory_symlink(Dir.Path(), Dir / "sub/loop");
    fs::create_symlink(Dir / "sub/a.txt", Dir / "link.txt");
    const TFindResults R = Find(Term("foo"));
    EXPECT_EQ(Names(R), (TLines{"link.txt  (1 match)", "sub/a.txt  (1 match)"}));
    // A folder where a file was named is not searched.
    const TFindResults Listed =
        FindInFiles({}, {(Dir / "sub").string(), (Dir / "sub/a.txt").string()}, Term("foo"), Hooks);
    EXPECT_EQ(Listed.Count, 1);
    EXPECT_EQ(Listed.Lines[0], "1 match for \"foo\"");
    EXPECT_EQ(Listed.Lines[4], (Dir / "sub/a.txt").string() + "  (1 match)");
}

TEST_F(FindInFolder, EscapeAfterAHundredFilesEndsTheWalkAtTheNextPump) {
    for (int I = 0; I < 300; ++I)
        Write("f" + std::to_string(I) + ".txt", "foo\n");
    Hooks.PumpInterval = std::chrono::milliseconds(0);
    bool Searching = true;
    int Pumps = 0;
    int PumpsAfterEscape = 0;
    Hooks.KeepGoing = [&Searching] { return Searching; };
    Hooks.Pump = [&](int Files, int) {
        ++Pumps;
        if (!Searching)
            ++PumpsAfterEscape;
        if (Files >= 100)
            Searching = false;
    };
    const TFindResults R = Find(Term("foo"));
    EXPECT_TRUE(R.Aborted);
    EXPECT_EQ(PumpsAfterEscape, 0);
    EXPECT_EQ(R.Count, 100);
    EXPECT_EQ(R.Lines[0], "100 matches for \"foo\" in " + Folder() + " (aborted)");
}

// Runs Search as the unprivileged user "nobody" in a forked child when this process is root,
// for whom no mode bit stops a read; its answer comes back through a pipe. Empty when the
// child could not drop its privileges.
std::optional<std::string> AsUnprivilegedUser(const std::function<std::string()>& Search) {
    if (::geteuid() != 0)
        return Search();
    int Pipe[2];
    if (::pipe(Pipe) != 0)
        return std::nullopt;
    const pid_t Child = ::fork();
    if (Child == 0) {
        ::close(Pipe[0]);
        const passwd* Nobody = ::getpwnam("nobody");
        const uid_t User = Nobody ? Nobody->pw_uid : 65534;
        const gid_t Group = Nobody ? Nobody->pw_gid : 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(Group) != 0 || ::setuid(User) != 0 ||
            ::geteuid() == 0)
            ::_exit(2);
        const std::string Answer = Search();
        const bool Written =
            ::write(Pipe[1], Answer.data(), Answer.size()) == ssize_t(Answer.size());
        ::_exit(Written ? 0 : 3);
    }
    ::close(Pipe[1]);
    std::string Answer;
    char Buffer[4096];
    for (ssize_t N; (N = ::read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
        Answer.append(Buffer, std::size_t(N));
    ::close(Pipe[0]);
    int Status = 0;
    if (Child < 0 || ::waitpid(Child, &Status, 0) != Child || !WIFEXITED(Status) ||
        WEXITSTATUS(Status) != 0)
        return std::nullopt;
    return Answer;
}

TEST_F(FindInFolder, TheHeaderSaysWhatWasStoppedAndWhatWasSkipped) {
    struct TCase {
        const char* What;
        bool EscapeAtOnce;
        bool Unreadable; // a FIFO, a dangling link and a file the searching user may not read
        bool Hit = true;
        std::string Header;
    } Cases[] = {
        {"Escape before the first hit", true, false, true, "0 matches for \"foo\" in # (aborted)"},
        {"files that are no text files", false, true, true,
         "1 match for \"foo\" in # (3 files skipped)"},
        // Not taken for a whole search that found nothing.
        {"no hit beside them", false, true, false, "0 matches for \"foo\" in # (3 files skipped)"},
        {"neither", false, false, true, "1 match for \"foo\" in #"},
    };
    for (const TCase& C : Cases) {
        TTempDir Tree;
        fs::permissions(Tree.Path(), fs::perms::all);
        fs::create_directories(Tree / "sub/deeper");
        fs::permissions(Tree / "sub", fs::perms::all);
        fs::permissions(Tree / "sub/deeper", fs::perms::all);
        WriteFileBytes(Tree / "sub/deeper/hit.txt", C.Hit ? "a foo\n" : "a bar\n");
        fs::permissions(Tree / "sub/deeper/hit.txt", fs::perms::all);
        if (C.Unreadable) {
            ASSERT_EQ(::mkfifo((Tree / "sub/pipe.txt").c_str(), 0666), 0);
            fs::create_symlink(Tree / "gone.txt", Tree / "sub/dangling.txt");
            WriteFileBytes(Tree / "sub/secret.txt", "foo\n");
            fs::permissions(Tree / "sub/secret.txt", fs::perms::none);
        }
        TFindSettings S = Term("foo");
        S.Folder = Tree.Path().string();
        Hooks.KeepGoing = [&C] { return !C.EscapeAtOnce; };
        const auto Header = AsUnprivilegedUser([&] {
            const TFindResults R = FindInFiles({}, {}, S, Hooks);
            return R.Lines.empty() ? std::string("(no lines)") : R.Lines[0];
        });
        if (!Header)
            GTEST_SKIP() << "cannot run the search as the user nobody (setuid failed), so an "
                            "unreadable file cannot be made";
        std::string Expected = C.Header;
        Expected.replace(Expected.find('#'), 1, Tree.Path().string() + "/");
        EXPECT_EQ(*Header, Expected) << C.What;
    }
}

TEST_F(FindInFolder, AStoppedSearchKeepsItsEmptyHeader) {
    Write("a.txt", "foo\n");
    Hooks.KeepGoing = [] { return false; };
    const TFindResults R = Find(Term("foo"));
    EXPECT_TRUE(R.Aborted);
    EXPECT_EQ(R.Count, 0);
    EXPECT_EQ(R.Lines, (TLines{"0 matches for \"foo\" in " + Folder() + " (aborted)", "", ""}));
    EXPECT_TRUE(R.Sections.empty());
}

TEST_F(FindInFolder, AMissingListedFileIsCountedAsSkipped) {
    Write("a.txt", "foo\n");
    const TFindResults R = FindInFiles({}, {(Dir / "gone.txt").string(), (Dir / "a.txt").string()},
                                       Term("foo"), Hooks);
    EXPECT_EQ(R.Lines[0], "1 match for \"foo\" (1 file skipped)");
}

// ---- Volumes -----------------------------------------------------------------------------------

class FindInVolumes : public FindInFolder {
protected:
    fs::path MakeVolume(std::string_view File, std::string_view Name) {
        const fs::path Path = Dir / File;
        fs::create_directories(Path.parent_path());
        EXPECT_TRUE(CreateVolumeFile(Path, Name, 200));
        TMajorVolume V(Path, true);
        EXPECT_TRUE(V.SaveTextFile("ONE.TEXT", {"foo one", "two"}, false));
        EXPECT_TRUE(V.CopyFileTo(0, "SUB", 40, V));
        TSubvolume Sub(V, "SUB.SVOL");
        EXPECT_TRUE(Sub.SaveTextFile("INNER.TEXT", {"x", "the foo"}, false));
        return Path;
    }
};

TEST_F(FindInVolumes, AFolderWalkSearchesVolumesAndTheirSubvolumes) {
    const fs::path Path = MakeVolume("vols/work.vol", "WORK");
    const TFindResults R = Find(Term("foo"));
    EXPECT_EQ(Names(R), (TLines{"ONE.TEXT in vols/work.vol  (1 match)",
                                "SUB.SVOL:INNER.TEXT in vols/work.vol  (1 match)"}));
    std::vector<std::string> Paths;
    for (const auto& [Name, Line] : R.Sections)
        Paths.push_back(Name);
    std::sort(Paths.begin(), Paths.end());
    EXPECT_EQ(Paths, (TLines{Path.string() + ">ONE.TEXT", Path.string() + ">SUB.SVOL:INNER.TEXT"}));
}

TEST_F(FindInVolumes, GivenVolumesNameThemselvesInTheHeader) {
    const fs::path Path = MakeVolume("work.vol", "WORK");
    const fs::path Other = MakeVolume("other.vol", "OTHER");
    TMajorVolume V(Path, false);
    TSubvolume Sub(V, "SUB.SVOL");
    TMajorVolume W(Other, false);

    TFindResults R = FindInFiles({&V}, {}, Term("foo"), Hooks);
    EXPECT_EQ(R.Lines[0], "2 matches for \"foo\" in " + Path.string());
    EXPECT_EQ(Names(R), (TLines{"ONE.TEXT  (1 match)", "SUB.SVOL:INNER.TEXT  (1 match)"}));

    R = FindInFiles({&Sub}, {}, Term("foo"), Hooks);
    EXPECT_EQ(R.Lines[0], "1 match for \"foo\" in SUB.SVOL of " + Path.string());
    EXPECT_EQ(Names(R), (TLines{"SUB.SVOL:INNER.TEXT  (1 match)"}));

    R = FindInFiles({&V, &W}, {}, Term("foo"), Hooks);
    EXPECT_EQ(R.Lines[0], "4 matches for \"foo\"");
    EXPECT_EQ(R.Lines[4], "ONE.TEXT in " + Path.string() + "  (1 match)");
}

TEST_F(FindInVolumes, ADamagedVolumeIsReportedOnceAndTheWalkGoesOn) {
    Write("bad.vol", std::string(4096, '\x7F'));
    Write("good.txt", "foo\n");
    const TFindResults R = Find(Term("foo"));
    EXPECT_EQ(Names(R), (TLines{"good.txt  (1 match)"}));
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, "Exception");
    EXPECT_TRUE(Errors[0].second.ends_with("\r\rAny remaining files will still be searched."));
}

TEST_F(FindInVolumes, WithoutPSystemSupportAVolumeIsPlainText) {
    Write("plain.vol", "foo in a volume\n");
    Hooks.PSystemAware = false;
    const TFindResults R = Find(Term("foo"));
    EXPECT_EQ(Names(R), (TLines{"plain.vol  (1 match)"}));
    EXPECT_TRUE(Errors.empty());
}

// ---- The parallel search against the walk on one thread -----------------------------------------

TEST_F(FindInVolumes, TheParallelSearchWritesTheSameTextAsOneThread) {
    std::mt19937 Random(60);
    const char* Ends[] = {"\n", "\r\n", "\r"};
    std::vector<std::string> Listed;
    for (int F = 0; F < 300; ++F) {
        std::string Bytes = F % 17 == 0 ? "\xEF\xBB\xBF" : "";
        for (int L = int(Random() % 40); L > 0; --L) {
            const int Kind = int(Random() % 8);
            Bytes += Kind == 0 ? "a Foo here" : Kind == 1 ? "foo_bar 'foo'" : "nothing";
            if (Random() % 50 == 0)
                Bytes += std::string(5000, 'x') + "foo";
            Bytes += Ends[Random() % 3];
        }
        if (F % 23 == 0)
            Bytes += std::string("foo\0foo\n", 8);
        const std::string Name = "d" + std::to_string(F % 3) + "/e" + std::to_string(F % 5) + "/f" +
                                 std::to_string(F) + (F % 11 == 0 ? ".code" : ".txt");
        Write(Name, Bytes);
        if (F % 10 == 0)
            Listed.push_back((Dir / Name).string());
    }
    const fs::path Volume = MakeVolume("d1/work.vol", "WORK");
    WriteEncryptedFile(Dir / "d2/secret.txt", "Wiki", {"hidden foo", "b"});
    ::mkfifo((Dir / "d0/pipe.txt").c_str(), 0600);
    Listed.push_back(Volume.string() + ">SUB.SVOL:INNER.TEXT");
    Listed.push_back((Dir / "d2/secret.txt").string());
    Listed.push_back((Dir / "gone.txt").string());
    Hooks.PasswordPrompt = [](TPasswordRequest& R) {
        R.Password = "Wiki";
        return true;
    };
    Hooks.ListCodeFile = [](const std::string& Name, std::vector<std::string>& Lines) {
        Lines = {"code of " + Name, "foo"};
    };
    struct TCase {
        const char* What;
        int Context;
        bool MatchCase, WholeWords, IgnoreUnderscores;
    } Cases[] = {
        {"plain", 0, true, false, false},        {"ignoring case", 0, false, false, false},
        {"whole words", 0, false, true, false},  {"with context", 2, false, false, false},
        {"line by line", 0, false, false, true},
    };
    for (const TCase& C : Cases) {
        TFindSettings S = Term("foo");
        S.ContextLines = C.Context;
        S.MatchCase = C.MatchCase;
        S.WholeWords = C.WholeWords;
        S.IgnoreUnderscores = C.IgnoreUnderscores;
        S.Folder = Dir.Path().string();
        for (const std::vector<std::string>& Files : {std::vector<std::string>{}, Listed}) {
            Hooks.Threads = 1;
            const TFindResults One = FindInFiles({}, Files, S, Hooks);
            for (const int Threads : {0, 3}) {
                Hooks.Threads = Threads;
                const TFindResults Many = FindInFiles({}, Files, S, Hooks);
                const std::string Where = std::string(C.What) +
                                          (Files.empty() ? ", folder" : ", list") + ", " +
                                          std::to_string(Threads) + " threads";
                EXPECT_GT(One.Count, 0) << Where;
                EXPECT_EQ(Many.Lines, One.Lines) << Where;
                EXPECT_EQ(Many.Sections, One.Sections) << Where;
                EXPECT_EQ(Many.FilesSkipped, One.FilesSkipped) << Where;
                EXPECT_EQ(Many.FilesSearched, One.FilesSearched) << Where;
            }
        }
    }
    // Lines are numbered alike whether a file is scanned whole for the term or read line by
    // line: a term without underscores finds the same with underscores ignored.
    Hooks.Threads = 0;
    TFindSettings Whole = Term("foo");
    Whole.Folder = Dir.Path().string();
    TFindSettings ByLine = Whole;
    ByLine.IgnoreUnderscores = true;
    const TFindResults A = FindInFiles({}, {}, Whole, Hooks);
    const TFindResults B = FindInFiles({}, {}, ByLine, Hooks);
    EXPECT_EQ(A.Lines, B.Lines);
}

// ---- Against grep ------------------------------------------------------------------------------

// Every "file:line:text" grep lists, sorted; the results text read back the same way.
std::vector<std::string> GrepHits(const fs::path& Tree, const std::string& Term, bool IgnoreCase) {
    const fs::path Out = Tree.parent_path() / (Tree.filename().string() + ".grep");
    const std::string Command = "LC_ALL=C grep -rFn " + std::string(IgnoreCase ? "-i " : "") +
                                "-e '" + Term + "' '" + Tree.string() + "' > '" + Out.string() +
                                "'";
    const int Status = std::system(Command.c_str());
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) <= 1) << Command; // 1: no line found
    std::vector<std::string> Hits;
    std::istringstream Text(ReadFileBytes(Out));
    fs::remove(Out);
    for (std::string Line; std::getline(Text, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        Hits.push_back(Line.substr(Tree.string().size() + 1));
    }
    std::sort(Hits.begin(), Hits.end());
    return Hits;
}

std::vector<std::string> OurHits(const TFindResults& R) {
    std::vector<std::string> Hits;
    std::string File;
    for (std::size_t I = 4; I < R.Lines.size(); ++I) {
        const std::string& Line = R.Lines[I];
        if (Line.empty())
            continue;
        if (Line[0] != ' ' && !std::isdigit(static_cast<unsigned char>(Line[0]))) {
            File = Line.substr(0, Line.rfind("  ("));
            continue;
        }
        const std::size_t Number = Line.find_first_not_of(' ');
        Hits.push_back(File + ":" + Line.substr(Number, 6 - Number) + ":" + Line.substr(7));
    }
    std::sort(Hits.begin(), Hits.end());
    return Hits;
}

TEST_F(FindInFolder, MatchesWhatGrepFindsOnAGeneratedTree) {
    std::mt19937 Random(20);
    const char* Words[] = {"begin",
                           "end;",
                           "Result",
                           ":=",
                           "result",
                           "FindFirst",
                           "findfirst",
                           "Inc(I);",
                           "{ x }",
                           "RESULTS",
                           "writeln('Result');",
                           "var"};
    for (int F = 0; F < 400; ++F) {
        std::string Bytes;
        const std::size_t Size = 200 + std::size_t(Random() % 3) * std::size_t(Random() % 30000);
        const char* End = F % 2 ? "\r\n" : "\n";
        while (Bytes.size() < Size) {
            Bytes.append(std::size_t(Random() % 4) * 2, ' ');
            for (int W = int(Random() % 8) + 1; W > 0; --W)
                Bytes += std::string(Words[Random() % std::size(Words)]) + " ";
            Bytes += End;
        }
        if (F % 7 == 0)
            Bytes += "last line without an end Result";
        Write("s" + std::to_string(F % 4) + "/t" + std::to_string(F % 9) + "/u" +
                  std::to_string(F) + ".pas",
              Bytes);
    }
    for (const auto& [Needle, MatchCase] :
         {std::pair{"Result", true}, std::pair{"findfirst", false}, std::pair{"absent", true},
          std::pair{"RESULT", false}}) {
        TFindSettings S = Term(Needle);
        S.MatchCase = MatchCase;
        EXPECT_EQ(OurHits(Find(S)), GrepHits(Dir.Path(), Needle, !MatchCase))
            << Needle << (MatchCase ? "" : " ignoring case");
    }
}

// ---- The reader against the opener ------------------------------------------------------------

class FindReader : public FindInFolder {
protected:
    TLines Read(const fs::path& File, const TPasswordPrompt& Prompt = {}) {
        TLines Lines;
        EXPECT_EQ(ReadFileLines(File.string(), Prompt,
                                [&Lines](std::string_view L, bool) { Lines.emplace_back(L); }),
                  TFileRead::Read);
        return Lines;
    }
    TLines Opened(const fs::path& File, const TPasswordPrompt& Prompt = {}) {
        TBinaryStrings B;
        B.PasswordPrompt = Prompt;
        bool Asterisks = true;
        std::string Password;
        if (B.LoadFromFile(File, Asterisks, Password) != TLoadResult::Loaded)
            return {};
        B.SplitLongLines(SearchedLineLength);
        return B.Lines();
    }
};

TEST_F(FindReader, ReadsLineForLineAsTheOpener) {
    const std::string Long(10000, 'q');
    const std::string Block(1024 * 1024 - 1, 'z');
    const std::pair<const char*, std::string> Cases[] = {
        {"crlf", "a\r\nb\r\n"},
        {"lf", "a\nb\n"},
        {"cr", "a\rb\r"},
        {"mixed", "a\r\nb\nc\rd\n\re"},
        {"no final end", "a\nlast"},
        {"bom", "\xEF\xBB\xBF"
                "caf\xC3\xA9\n\xE4\xB8\xAD"},
        {"nul", "before\nhalf\0after\nmore"},
        {"binary", std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F\x10\x11\x12", 15) +
                       std::string(40, '\x1F') + "\nx"},
        {"long", "s\n" + Long + "\nt"},
        {"cr lf across a block", Block + "\r\nnext"},
        {"empty", ""},
    };
    for (const auto& [What, Bytes] : Cases) {
        Write("f.txt", Bytes);
        EXPECT_EQ(Read(Dir / "f.txt"), Opened(Dir / "f.txt")) << What;
    }
}

TEST_F(FindReader, EncryptedFilesAskForTheirPassword) {
    WriteEncryptedFile(Dir / "secret.txt", "Wiki", {"hidden foo", "b", ""});
    const TPasswordPrompt Answer = [](TPasswordRequest& R) {
        R.Password = "Wiki";
        return true;
    };
    EXPECT_EQ(Read(Dir / "secret.txt", Answer), (TLines{"hidden foo", "b"}));
    EXPECT_EQ(Read(Dir / "secret.txt", Answer), Opened(Dir / "secret.txt", Answer));
    Hooks.PasswordPrompt = [](TPasswordRequest&) { return false; };
    EXPECT_EQ(Find(Term("foo")).Count, 0) << "Cancel skips the file";
    Hooks.PasswordPrompt = Answer;
    EXPECT_EQ(Find(Term("foo")).Count, 1);
}

long ResidentKilobytes() {
    rusage Usage{};
    ::getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss;
}

TEST_F(FindReader, MemoryDoesNotGrowWithTheFileSize) {
    {
        std::FILE* F = std::fopen((Dir / "big.txt").c_str(), "wb");
        ASSERT_NE(F, nullptr);
        const std::string Line = std::string(70, 'w') + " foo\r\n";
        std::string Chunk;
        while (Chunk.size() < 1024 * 1024)
            Chunk += Line;
        for (int I = 0; I < 256; ++I)
            std::fwrite(Chunk.data(), 1, Chunk.size(), F);
        std::fclose(F);
    }
    const long Before = ResidentKilobytes();
    TFindSettings S = Term("nowhere");
    const TFindResults R = Find(S);
    EXPECT_EQ(R.Count, 0);
    EXPECT_LT(ResidentKilobytes() - Before, 64 * 1024);
}

// ---- Against a plain reference -----------------------------------------------------------------

bool WordChar(char C) {
    return std::isalnum(static_cast<unsigned char>(C)) || C == '_';
}

// The rules written as plainly as possible: every position tried in turn.
bool ReferenceMatch(const TFindSettings& S, const std::string& Line) {
    auto Prepare = [&S](std::string T) {
        if (!S.MatchCase)
            for (char& C : T)
                C = char(std::toupper(static_cast<unsigned char>(C)));
        if (S.IgnoreUnderscores)
            std::erase(T, '_');
        return T;
    };
    const std::string Term = Prepare(S.Text);
    const std::string Copy = Prepare(Line);
    if (Term.empty())
        return false;
    for (std::size_t P = 0; P + Term.size() <= Copy.size(); ++P) {
        if (Copy.compare(P, Term.size(), Term) != 0)
            continue;
        if (S.WholeWords && ((P > 0 && WordChar(Copy[P - 1])) ||
                             (P + Term.size() < Copy.size() && WordChar(Copy[P + Term.size()]))))
            continue;
        if (!MatchesLocation(P, Copy, Term.size(), S.Location))
            continue;
        return true;
    }
    return false;
}

TEST_F(FindInFolder, SeededRandomTreesMatchAPlainReference) {
    std::mt19937 Random(28);
    const std::string Alphabet = "ab_ A\t";
    for (int Round = 0; Round < 20; ++Round) {
        TTempDir Tree;
        std::vector<std::pair<std::string, TLines>> Files;
        for (int F = 0; F < 5; ++F) {
            TLines Lines;
            std::string Bytes;
            for (int L = int(Random() % 30); L > 0; --L) {
                std::string Line;
                for (int C = int(Random() % 12); C > 0; --C)
                    Line += Alphabet[Random() % Alphabet.size()];
                Lines.push_back(Line);
                Bytes += Line + (Random() % 2 ? "\n" : "\r\n");
            }
            const std::string Name =
                "d" + std::to_string(F % 2) + "/f" + std::to_string(F) + ".txt";
            fs::create_directories((Tree / Name).parent_path());
            WriteFileBytes(Tree / Name, Bytes);
            Files.emplace_back(Name, Lines);
        }
        TFindSettings S = Term(Random() % 2 ? "ab" : "a_");
        S.WholeWords = Random() % 2;
        S.IgnoreUnderscores = Random() % 2;
        S.MatchCase = Random() % 2;
        S.Location = int(Random() % 7);
        S.Folder = Tree.Path().string();
        int Expected = 0;
        for (const auto& [Name, Lines] : Files)
            for (const std::string& Line : Lines)
                Expected += ReferenceMatch(S, Line);
        EXPECT_EQ(FindInFiles({}, {}, S, Hooks).Count, Expected) << "round " << Round;
    }
}

} // namespace
} // namespace korvid::test
