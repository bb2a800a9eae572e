#include "FormFixture.h"
#include "ProgramProcess.h"

#include "app/ComparisonFiles.h"
#include "workspace/PickTabForm.h"
#include "workspace/ToolIndexes.h"

#include <QFile>
#include <QLabel>
#include <QTreeWidget>

#include <chrono>
#include <filesystem>
#include <thread>

namespace korvid::test {
namespace {

namespace T = ToolIndex;
namespace fs = std::filesystem;
using TLines = std::vector<std::string>;

// A Favourites bar whose selection is fixed.
class TSelectedFavourite : public TFavouritesBar {
public:
    explicit TSelectedFavourite(std::string Path) : FPath(std::move(Path)) {}
    std::string SelectedPath() const override { return FPath; }

private:
    std::string FPath;
};

// Sets an environment variable for the test's time.
class TScopedEnvironment {
public:
    TScopedEnvironment(const char* Name, const QByteArray& Value)
        : FName(Name), FHad(qEnvironmentVariableIsSet(Name)), FOld(qgetenv(Name)) {
        qputenv(Name, Value);
    }
    ~TScopedEnvironment() {
        if (FHad)
            qputenv(FName, FOld);
        else
            qunsetenv(FName);
    }

private:
    const char* FName;
    bool FHad;
    QByteArray FOld;
};

// Each run of a stand-in recorded in Runs: its name, then its arguments. Waits for Count runs,
// as the programs are not awaited.
std::vector<TLines> RecordedRuns(const fs::path& Runs, std::size_t Count) {
    std::vector<TLines> Found;
    for (int Tries = 0; Tries < 200; ++Tries) {
        Found.clear();
        TLines Run;
        const std::string Bytes = fs::exists(Runs) ? ReadFileBytes(Runs) : std::string();
        std::size_t Start = 0;
        for (std::size_t End; (End = Bytes.find('\n', Start)) != std::string::npos;
             Start = End + 1) {
            std::string Line = Bytes.substr(Start, End - Start);
            if (Line.empty()) {
                Found.push_back(Run);
                Run.clear();
            } else {
                Run.push_back(Line);
            }
        }
        if (Found.size() >= Count)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Found;
}

// The window with the program's own process launcher, and the argument-recording stand-in
// installed as "tortoiseproc" first on the search path and as the comparison utility.
class TCompareTest : public TFormTest {
protected:
    fs::path Bin = Dir / "bin";
    fs::path Runs = Dir / "runs.txt";
    fs::path Utility = Bin / "compare tool";
    std::optional<TScopedEnvironment> Path;
    std::optional<TScopedEnvironment> RunsFile;
    std::optional<TScopedEnvironment> DataHome;

    void SetUp() override {
        TFormTest::SetUp();
        fs::create_directory(Bin);
        fs::copy_file(KORVID_ARGUMENTS_STANDIN, Bin / "tortoiseproc");
        fs::copy_file(KORVID_ARGUMENTS_STANDIN, Utility);
        Path.emplace("PATH", QFile::encodeName(QString::fromStdString(Bin.string())) + ":" +
                                 qgetenv("PATH"));
        RunsFile.emplace("KORVID_ARGUMENTS_FILE", QByteArray::fromStdString(Runs.string()));
        // The copies live in the user's data folder, which the tests keep under the home
        // folder: each test has a home of its own, so that tests running side by side keep
        // their copies apart.
        DataHome.emplace("HOME", QByteArray::fromStdString(Dir.Path().string()));
        for (int Slot : {0, 1})
            fs::remove_all(ComparisonCopy(Slot));
    }

    TKorvidForm& Make(std::string Selected = {}) {
        Services.Favourites = std::make_unique<TSelectedFavourite>(std::move(Selected));
        MakeForm();
        Form->Options().ComparisonUtility = Utility.string();
        return *Form;
    }

    TDocumentEditor& Open(std::string_view Name, std::string_view Bytes = "text") {
        Form->OpenFile(File(Name, Bytes), false, {});
        return *Form->ActiveEditor();
    }
    void Run(int Tool) { ToolList().Items(Tool)->Execute(); }

    std::vector<TLines> RunsRecorded(std::size_t Count) const { return RecordedRuns(Runs, Count); }
    TLines ComparedFiles() const {
        const auto Found = RunsRecorded(1);
        if (Found.size() != 1)
            return {"runs: " + std::to_string(Found.size())};
        return TLines(Found[0].begin() + 1, Found[0].end());
    }

    std::string Name(std::string_view Leaf) const { return (Dir / Leaf).string(); }
};

// Picks a tab by its caption in each picker, in order.
TModalStep Pick(std::string Caption, std::string Title, std::string Prompt) {
    return ActOn<TPickTabForm>([=](TPickTabForm& Picker) {
        EXPECT_EQ(Picker.windowTitle().toStdString(), Title);
        EXPECT_EQ(Picker.findChild<QLabel*>()->text().toStdString(), Prompt);
        QTreeWidget& List = *Picker.List();
        for (int Row = 0; Row < List.topLevelItemCount(); ++Row)
            if (List.topLevelItem(Row)->text(0).toStdString() == Caption)
                List.topLevelItem(Row)->setSelected(true);
    });
}

void PickBoth(TScriptedModals& Dialogs, const std::string& First, const std::string& Second) {
    Dialogs.Then(Pick(First, "Compare Files - First File", "&Pick the first file to compare:"))
        .Press("OK")
        .Then(Pick(Second, "Compare Files - Second File", "&Pick the second file to compare:"))
        .Press("OK");
}

TEST_F(TCompareTest, CompareTheseFilesWalksTheTabsFromTheActiveOne) {
    struct TCase {
        int Tabs;
        int Active;
        TLines Expected;
    };
    const std::vector<TCase> Cases = {
        {2, 1, {"a.txt", "b.txt"}}, // two tabs: from the first, whichever is active
        {3, 1, {"b.txt", "c.txt"}},
        {3, 2, {"c.txt", "a.txt"}}, // wrapping after the last
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Active);
        Form.reset();
        fs::remove(Runs);
        Make();
        for (int Tab = 0; Tab < Case.Tabs; ++Tab)
            Open(std::string(1, char('a' + Tab)) + ".txt");
        Form->Tabs()->setCurrentIndex(Case.Active);
        Run(T::FileCompareTheseFiles);
        EXPECT_EQ(ComparedFiles(), (TLines{Name(Case.Expected[0]), Name(Case.Expected[1])}));
    }
}

TEST_F(TCompareTest, CompareFilesComparesTheTwoPicked) {
    Make();
    Open("a.txt");
    Open("b.txt");
    Open("c.txt");
    TScriptedModals Dialogs;
    PickBoth(Dialogs, "c.txt", "a.txt");
    Run(T::FileCompareFiles);
    EXPECT_EQ(Dialogs.Unanswered(), 0);
    EXPECT_EQ(ComparedFiles(), (TLines{Name("c.txt"), Name("a.txt")}));
}

TEST_F(TCompareTest, OneDocumentIsComparedThroughThePickers) {
    Make();
    Open("a.txt");
    TScriptedModals Dialogs;
    PickBoth(Dialogs, "a.txt", "a.txt");
    Dialogs.Press("OK");
    Run(T::FileCompareTheseFiles);
    ASSERT_EQ(Dialogs.Shown().size(), 3u);
    EXPECT_EQ(Dialogs.Last().Caption, "Korvid");
    EXPECT_EQ(Dialogs.Last().Message->Text, "You're comparing a file with itself.");
    EXPECT_FALSE(fs::exists(Runs));
}

TEST_F(TCompareTest, NamesWithBlanksAndQuotesArriveWhole) {
    Make();
    Open("first one.txt");
    Open("the \"second\".txt");
    Run(T::FileCompareTheseFiles);
    EXPECT_EQ(ComparedFiles(), (TLines{Name("first one.txt"), Name("the \"second\".txt")}));
}

TEST_F(TCompareTest, AModifiedDocumentIsOfferedForSavingFirst) {
    Make();
    Open("a.txt", "old");
    TDocumentEditor& Changed = Open("b.txt", "old");
    Type(&Changed, "new ");
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes");
    Run(T::FileCompareTheseFiles);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "Compare These Files");
    EXPECT_EQ(Dialogs.Last().Message->Text,
              "Do you want to save your changes to " + Name("b.txt") + " first?");
    EXPECT_EQ(ReadFileBytes(Dir / "b.txt"), "new old");
    EXPECT_EQ(ComparedFiles(), (TLines{Name("a.txt"), Name("b.txt")}));
}

TEST_F(TCompareTest, ACancelledSaveAsStopsTheCompare) {
    Make();
    Open("a.txt");
    Run(T::FileNew);
    Type(Form->ActiveEditor(), "unsaved");
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes").Then(ActOn<QDialog>([](QDialog& Dialog) { Dialog.reject(); }));
    Run(T::FileCompareTheseFiles);
    EXPECT_EQ(Dialogs.Shown().size(), 2u);
    EXPECT_FALSE(fs::exists(Runs));
}

TEST_F(TCompareTest, DocumentsInVolumesAreComparedThroughTheirCopies) {
    Make();
    for (const auto& [Name, Text] :
         {std::pair{"disk.vol>ONE.TEXT", "one"}, std::pair{"disk.vol>TWO.TEXT", "two\r\nlines"}}) {
        Run(T::FileNew);
        Form->ActiveEditor()->FileName = Name;
        Type(Form->ActiveEditor(), Text);
        Form->ActiveEditor()->SetModified(false);
    }
    Run(T::FileCompareTheseFiles);
    EXPECT_EQ(ComparedFiles(), (TLines{ComparisonCopy(0).string(), ComparisonCopy(1).string()}));
    EXPECT_EQ(ReadFileBytes(ComparisonCopy(0)), "one\r\n");
    EXPECT_EQ(ReadFileBytes(ComparisonCopy(1)), "two\r\nlines\r\n");
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
}

TEST_F(TCompareTest, ACopyThatCannotBeWrittenLeavesTheMarksAlone) {
    Make();
    Open("a.txt");
    Run(T::FileMarkForComparison);
    const auto Before = Form->FileTools().ComparisonSlots();
    fs::remove_all(ComparisonCopy(1));
    fs::create_directories(ComparisonCopy(1) / "in the way");
    Run(T::FileNew);
    Form->ActiveEditor()->FileName = "disk.vol>ONE.TEXT";
    TScriptedModals Dialogs;
    Dialogs.Press("OK");
    Run(T::FileMarkForComparison);
    fs::remove_all(ComparisonCopy(1));
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_NE(Dialogs.Last().Message->Text.find("unable to save"), std::string::npos);
    EXPECT_EQ(Form->FileTools().ComparisonSlots(), Before);
}

TEST_F(TCompareTest, NamesakeModeComparesWithTheFileUnderTheOtherFolder) {
    fs::create_directories(Dir / "left" / "Src");
    fs::create_directories(Dir / "right" / "SRC");
    File("right/SRC/Main.PAS", "right");
    Make();
    Form->Options().NamesakePathsActive = true;
    Form->Options().NamesakePath1 = (Dir / "left").string();
    Form->Options().NamesakePath2 = (Dir / "right").string();
    Open("left/Src/main.pas", "left");
    Run(T::FileCompareTheseFiles);
    EXPECT_EQ(ComparedFiles(),
              (TLines{Name("left/Src/main.pas"), (Dir / "right" / "SRC" / "Main.PAS").string()}));

    Open("left/Src/gone.pas");
    ExpectMessage(T::FileCompareTheseFiles, "Compare Namesake",
                  "The file " + (Dir / "right" / "SRC" / "gone.pas").string() + " does not exist.");
}

TEST(TNamesakeTest, TheCounterpartIsFoundComponentByComponentIgnoringCase) {
    TTempDir Dir;
    fs::create_directories(Dir / "b" / "Sub");
    WriteFileBytes(Dir / "b" / "Sub" / "File.TXT", "");
    const fs::path A = Dir / "a";
    const fs::path B = Dir / "b";
    EXPECT_EQ(NamesakeCounterpart(A / "sub" / "file.txt", A, B), B / "Sub" / "File.TXT");
    EXPECT_EQ(NamesakeCounterpart(B / "Sub" / "File.TXT", A, B), A / "Sub" / "File.TXT");
    EXPECT_EQ(NamesakeCounterpart(Dir / "A" / "x.txt", A.string() + "/", B), B / "x.txt");
    EXPECT_EQ(NamesakeCounterpart(Dir / "c" / "x.txt", A, B), std::nullopt);
    EXPECT_EQ(NamesakeCounterpart(Dir / "ab" / "x.txt", A, B), std::nullopt);
    EXPECT_EQ(NamesakeCounterpart(A / "x.txt", "", B), std::nullopt);
}

TEST_F(TCompareTest, AMissingOrUnsetComparisonUtilityIsSaidSo) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"", "No comparison utility is set in the options."},
        {(Dir / "nowhere").string(), "Korvid was unable to start the comparison utility \"" +
                                         (Dir / "nowhere").string() + "\"."},
    };
    for (const auto& [Program, Message] : Cases) {
        SCOPED_TRACE(Program);
        Form.reset();
        Make();
        Form->Options().ComparisonUtility = Program;
        Open("a.txt");
        Open("b.txt");
        ExpectMessage(T::FileCompareTheseFiles, "Compare Files", Message);
    }
}

// ---- Subversion ----

TEST_F(TCompareTest, SubversionToolsHandTheirPathToTortoiseproc) {
    struct TCase {
        int Tool;
        std::string Active; // the active document's name; none when empty
        std::string Selected;
        TLines Expected; // empty: nothing runs
    };
    const std::string Doc = Name("my doc.txt");
    const std::vector<TCase> Cases = {
        {T::FileSubversionDiff, Doc, "fav", {"/command:diff", "/path:" + Doc}},
        {T::FileSubversionLog, Doc, "fav", {"/command:log", "/path:" + Doc}},
        {T::FileSubversionLog, "disk.vol>A.TEXT", "", {"/command:log", "/path:disk.vol>A.TEXT"}},
        {T::FileSubversionDiff, "", "fav", {}},
        {T::SubversionDiff, Doc, "", {}},
        {T::SubversionLog, Doc, "", {}},
        {T::SubversionDiff, Doc, "fav dir", {"/command:diff", "/path:fav dir"}},
        {T::SubversionLog, Doc, "fav dir", {"/command:log", "/path:fav dir"}},
        {T::SubversionBrowse, "", "fav", {"/command:repobrowser", "/path:fav"}},
        {T::SubversionCommit, "", "\"q\"", {"/command:commit", "/path:\"q\""}},
        {T::SubversionUpdate, "", "", {"/command:update", "/path:"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(ToolList().Items(Case.Tool)->Name() + " " + Case.Active + " | " +
                     Case.Selected);
        Form.reset();
        fs::remove(Runs);
        Make(Case.Selected);
        if (Case.Active == Doc) {
            Open("my doc.txt");
        } else if (!Case.Active.empty()) {
            Run(T::FileNew);
            Form->ActiveEditor()->FileName = Case.Active;
        }
        Run(Case.Tool);
        if (Case.Expected.empty()) {
            // A later run shows that this one started nothing.
            Run(T::SubversionUpdate);
            ASSERT_EQ(RunsRecorded(1).size(), 1u);
            EXPECT_EQ(RunsRecorded(1)[0][1], "/command:update");
        } else {
            const auto Found = RunsRecorded(1);
            ASSERT_EQ(Found.size(), 1u);
            EXPECT_EQ(Found[0][0], "tortoiseproc");
            EXPECT_EQ(TLines(Found[0].begin() + 1, Found[0].end()), Case.Expected);
        }
    }
}

TEST_F(TCompareTest, TortoiseprocIsNotAwaited) {
    const fs::path Release = Dir / "release";
    TScopedEnvironment Wait("KORVID_STANDIN_WAIT_FOR", QByteArray::fromStdString(Release.string()));
    Make();
    Open("a.txt");
    Run(T::FileSubversionLog);
    // Back here while the program still waits for its release.
    EXPECT_FALSE(fs::exists(Runs));
    WriteFileBytes(Release, "");
    EXPECT_EQ(RunsRecorded(1).size(), 1u);
}

TEST_F(TCompareTest, WithoutTortoiseprocSubversionSaysSo) {
    fs::create_directory(Dir / "empty");
    TScopedEnvironment Empty("PATH", QByteArray::fromStdString((Dir / "empty").string()));
    Make();
    Open("a.txt");
    ExpectMessage(T::FileSubversionDiff, "Subversion",
                  "Korvid was unable to start \"tortoiseproc\". Subversion commands need it on the "
                  "search path.");
}

// ---- The built program ----

class TCompareProgramTest : public TProgramTest {};

TEST_F(TCompareProgramTest, KeysRunSubversionLogAndCompareTheseFiles) {
    const fs::path Bin = Dir / "bin";
    const fs::path Runs = Dir / "runs.txt";
    fs::create_directory(Bin);
    fs::copy_file(KORVID_ARGUMENTS_STANDIN, Bin / "tortoiseproc");
    fs::copy_file(KORVID_ARGUMENTS_STANDIN, Bin / "compare");
    {
        fs::create_directories(Dir / "config" / "korvid");
        TScopedRegistryStore Store(Dir / "config" / "korvid" / "registry");
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("Comparison Utility", (Bin / "compare").string());
    }
    const fs::path First = Dir / "first.txt";
    const fs::path Second = Dir / "second.txt";
    WriteFileBytes(First, "one\r\n");
    WriteFileBytes(Second, "two\r\n");
    ExtraEnvironment = {{"PATH", Q(Bin) + ":" + qEnvironmentVariable("PATH")},
                        {"KORVID_ARGUMENTS_FILE", Q(Runs)}};
    Run({First, Second}, "key Ctrl+Alt+F3\nkey Shift+F4\nclose\n");
    const std::vector<TLines> Found = RecordedRuns(Runs, 2);
    ASSERT_EQ(Found.size(), 2u);
    const TLines Log{"tortoiseproc", "/command:log", "/path:" + Second.string()};
    const TLines Compare{"compare", First.string(), Second.string()};
    // The two programs run side by side; either may write first.
    EXPECT_TRUE((Found == std::vector<TLines>{Log, Compare}) ||
                (Found == std::vector<TLines>{Compare, Log}))
        << ::testing::PrintToString(Found);
}

} // namespace
} // namespace korvid::test
