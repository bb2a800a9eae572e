#include "FormFixture.h"

#include "app/EditorDocument.h"
#include "app/SearchResults.h"
#include "editor/Editor.h"
#include "psystem/MajorVolume.h"
#include "psystem/Volume.h"
#include "workspace/SearchFolderForm.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <algorithm>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

class TFindInFilesTest : public TFormTest {
protected:
    std::string Tree() const { return (Dir / "T").string(); }
    void Search(const std::string& Text, int Context = 0) {
        Form->SearchResults().FindInFiles({}, {}, 0, Context, false, false, false, false, Text,
                                          "txt", Tree());
    }
    void MakeTree() {
        std::filesystem::create_directories(Dir / "T");
        File("T/a.txt", "1\n2\nfoo bar\n4\n5\n6\n7\n8\nx foo\n");
        File("T/b.txt", "nothing\n");
    }
    std::string CurrentFile() const {
        return Form->ActiveEditor() ? Form->ActiveEditor()->FileName : std::string();
    }
};

TEST_F(TFindInFilesTest, MatchesOpenAFlaggedResultsTab) {
    MakeForm();
    MakeTree();
    Search("foo");
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"Find: foo"}));
    TDocumentEditor* Results = Form->ActiveEditor();
    EXPECT_EQ(ActiveText(), "2 matches for \"foo\" in " + Tree() +
                                "/\n\n\n\na.txt  (2 matches)\n     3 foo bar\n     9 x foo");
    EXPECT_TRUE(Results->SearchResults);
    EXPECT_FALSE(Results->Modified());
    EXPECT_TRUE(Results->ReadOnly());
    EXPECT_EQ(Results->GetSectionNameForLine(6), Tree() + "/a.txt");
    EXPECT_EQ(Results->GetSectionNameForLine(4), "");
    EXPECT_EQ(Results->CaretLine(), 1);
}

TEST_F(TFindInFilesTest, NoMatchSaysSoAndOpensNoTab) {
    MakeForm();
    MakeTree();
    TScriptedModals Modals;
    Modals.Press("OK");
    Search("absent");
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "Find");
    EXPECT_EQ(Modals.Last().Message->Text, "No matches found.");
    EXPECT_EQ(Form->TabCount(), 0);
}

TEST_F(TFindInFilesTest, EscapeStopsTheWalkAndASecondSearchDoesNothing) {
    MakeForm();
    Form->SearchResults().SearchPumpInterval = std::chrono::milliseconds(0);
    std::filesystem::create_directories(Dir / "T");
    for (int I = 0; I < 400; ++I)
        File("T/f" + std::to_string(I) + ".txt", std::string(200000, 'y') + "\nfoo\n");
    int Pumps = 0;
    Form->SearchResults().OnSearchPump = [&Pumps, this] {
        if (++Pumps == 1) {
            // A search asked for from inside the walk is ignored.
            Form->SearchResults().FindInFiles({}, {}, 0, 0, false, false, false, false, "foo",
                                              "txt", Tree());
            QApplication::postEvent(
                Form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    Search("foo");
    ASSERT_EQ(Form->TabCount(), 1);
    const std::string Header = Form->ActiveEditor()->Paragraphs().front();
    EXPECT_TRUE(Header.ends_with(" (aborted)")) << Header;
    EXPECT_LE(Pumps, 2) << "the walk ends within one more pump";
    EXPECT_FALSE(Form->SearchResults().Searching());
}

TEST_F(TFindInFilesTest, EscapeBeforeAnyHitSaysTheSearchWasStopped) {
    MakeForm();
    Form->SearchResults().SearchPumpInterval = std::chrono::milliseconds(0);
    std::filesystem::create_directories(Dir / "T");
    for (int I = 0; I < 400; ++I)
        File("T/f" + std::to_string(I) + ".txt", std::string(200000, 'y') + "\n");
    Form->SearchResults().OnSearchPump = [this] {
        QApplication::postEvent(Form.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    TScriptedModals Modals;
    Search("foo");
    EXPECT_TRUE(Modals.Shown().empty()) << "no \"No matches found.\"";
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs().front(),
              "0 matches for \"foo\" in " + Tree() + "/ (aborted)");
}

TEST_F(TFindInFilesTest, ACloseDuringTheWalkStopsItAndClosesAfter) {
    MakeForm();
    Form->SearchResults().SearchPumpInterval = std::chrono::milliseconds(0);
    Form->show();
    std::filesystem::create_directories(Dir / "T");
    for (int I = 0; I < 200; ++I)
        File("T/f" + std::to_string(I) + ".txt", std::string(300000, 'y') + "\nfoo\n");
    bool Asked = false;
    Form->SearchResults().OnSearchPump = [&Asked, this] {
        if (!Asked) {
            Asked = true;
            Form->close();
        }
    };
    Search("foo");
    EXPECT_TRUE(Asked);
    EXPECT_EQ(Form->TabCount(), 0) << "no tab for a search the close stopped";
    QApplication::processEvents();
    EXPECT_FALSE(Form->isVisible()) << "closed once the walk returned";
}

// Where closing minimises, a close leaves the walk running; Exit stops it and still ends the
// program once the walk has returned, rather than minimising then.
TEST_F(TFindInFilesTest, ExitDuringTheWalkEndsWhereACloseOnlyMinimises) {
    MakeForm();
    Form->SearchResults().SearchPumpInterval = std::chrono::milliseconds(0);
    Form->OnCloseMinimizes = [](TKorvidForm&) { return true; };
    Form->show();
    std::filesystem::create_directories(Dir / "T");
    for (int I = 0; I < 400; ++I)
        File("T/f" + std::to_string(I) + ".txt", std::string(300000, 'y') + "\nfoo\n");
    int Pumps = 0;
    bool Minimised = false;
    Form->SearchResults().OnSearchPump = [&] {
        if (++Pumps == 1) {
            Form->close();
            Minimised = Form->isMinimized();
        } else if (Pumps == 3)
            Form->FileExit();
    };
    Search("foo");
    EXPECT_TRUE(Minimised);
    EXPECT_GE(Pumps, 3) << "a close that minimises stops nothing";
    EXPECT_LE(Pumps, 4) << "Exit ends the walk within one more pump";
    EXPECT_EQ(Form->TabCount(), 0);
    for (int Turn = 0; Turn < 10 && Form->isVisible(); ++Turn)
        QApplication::processEvents();
    EXPECT_FALSE(Form->isVisible());
}

// The search-result tools over a results tab, one step after another.
TEST_F(TFindInFilesTest, SearchResultToolsMoveBetweenResultsAndFiles) {
    MakeForm();
    MakeTree();
    File("T/c.txt", "foo\nfoo again\n");
    EXPECT_FALSE(ToolEnabled(T::EditGoToSearchResult));
    EXPECT_FALSE(ToolEnabled(T::EditGoBack));
    Search("foo");
    QWidget* ResultsTab = Form->CurrentTab();
    EXPECT_TRUE(ToolEnabled(T::EditGoToSearchResult));
    EXPECT_TRUE(ToolEnabled(T::EditGoStraightToSearchResult));
    EXPECT_TRUE(ToolEnabled(T::EditGoToNextSearchResult));
    EXPECT_FALSE(ToolEnabled(T::EditGoBack));

    // The order of the files is the file system's: read the results to know what to expect.
    const std::vector<std::string> Lines = Form->ActiveEditor()->Paragraphs();
    std::vector<std::pair<std::string, int>> Expected; // file, line for each match line
    std::string Name;
    for (std::size_t I = 4; I < Lines.size(); ++I) {
        if (Lines[I].empty())
            continue;
        if (Lines[I][0] != ' ')
            Name = Tree() + "/" + Lines[I].substr(0, Lines[I].find("  ("));
        else
            Expected.emplace_back(Name, std::stoi(Lines[I].substr(0, 6)));
    }
    ASSERT_EQ(Expected.size(), 4u);

    struct TStep {
        int Tool;
        int Match; // index into Expected of where the caret ends; -1 for the results tab
    } Steps[] = {
        {T::EditGoToNextSearchResult, 0},
        {T::EditGoToNextSearchResult, 1},
        {T::EditGoBack, -1},
        {T::EditGoToNextSearchResult, 2},
        {T::EditGoToPreviousSearchResult, 1},
        {T::EditGoToNextSearchResult, 2},
        {T::EditGoToNextSearchResult, 3},
    };
    for (const TStep& S : Steps) {
        SCOPED_TRACE(ToolList().Items(S.Tool)->Name());
        ToolList().Items(S.Tool)->Execute();
        if (S.Match < 0) {
            EXPECT_EQ(Form->CurrentTab(), ResultsTab);
        } else {
            EXPECT_EQ(CurrentFile(), Expected[std::size_t(S.Match)].first);
            EXPECT_EQ(Form->ActiveEditor()->CaretLine(), Expected[std::size_t(S.Match)].second);
            EXPECT_TRUE(ToolEnabled(T::EditGoBack));
        }
    }

    // Go to on a results line opens its file there; the straight form closes the results.
    ToolList().Items(T::EditGoBack)->Execute();
    ASSERT_EQ(Form->CurrentTab(), ResultsTab);
    Form->ActiveEditor()->MoveCaretTo(6, 1);
    ToolList().Items(T::EditGoToSearchResult)->Execute();
    EXPECT_EQ(CurrentFile(), Expected[0].first);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), Expected[0].second);
    ToolList().Items(T::EditGoBack)->Execute();
    Form->ActiveEditor()->MoveCaretTo(6, 1);
    const int TabsBefore = Form->TabCount();
    ToolList().Items(T::EditGoStraightToSearchResult)->Execute();
    EXPECT_EQ(Form->TabCount(), TabsBefore - 1);
    EXPECT_EQ(Form->Tabs()->indexOf(ResultsTab), -1);
    EXPECT_EQ(CurrentFile(), Expected[0].first);
    EXPECT_FALSE(ToolEnabled(T::EditGoBack));
    EXPECT_FALSE(ToolEnabled(T::EditGoToSearchResult));
}

TEST_F(TFindInFilesTest, TheDialogFindsOpensAllAndUnpacksTheFolder) {
    MakeForm();
    MakeTree();
    TSearchFolderForm& Dialog = Form->SearchResults().SearchFolderForm();
    const auto Fill = [&](const char* Text, const char* Extensions) {
        return ActOn<TSearchFolderForm>([this, Text, Extensions](TSearchFolderForm& D) {
            D.SetFolder(Tree());
            D.TextEdit()->setText(Text);
            D.ExtensionsEdit()->setText(Extensions);
        });
    };
    {
        TScriptedModals Modals;
        Modals.Then(Fill("foo", "txt")).Press("Find");
        ToolList().Items(T::EditFindInFolder)->Execute();
        EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"Find: foo"}));
    }
    {
        TScriptedModals Modals;
        Modals.Then(Fill("", "txt")).Press("Open &All");
        Form->ShowSearchFolderDialog(Tree());
        EXPECT_EQ(Form->TabCount(), 3) << "a.txt and b.txt opened";
    }
    {
        ASSERT_TRUE(CreateVolumeFile(Dir / "T/work.vol", "WORK", 40));
        TMajorVolume(Dir / "T/work.vol", true).SaveTextFile("NOTE.TEXT", {"hello"}, false);
        // Its backup's plain name is the text's: it is unpacked under another, and said so.
        TMajorVolume(Dir / "T/work.vol", true).SaveTextFile("NOTE.BACK", {"old"}, false);
        std::string Asked;
        Dialog.BrowseFolder = [&](const std::string& Title, const std::string& Start) {
            Asked = Title + "|" + Start;
            return std::optional<std::string>((Dir / "out").string());
        };
        TScriptedModals Modals;
        Modals.Press("Unpac&k...").Press("OK");
        Form->ShowSearchFolderDialog(Tree());
        EXPECT_EQ(Asked, "Select Folder to Unpack Into|" + Tree());
        EXPECT_EQ(ReadFileBytes(Dir / "out/Work/Note.txt").substr(0, 5), "hello");
        ASSERT_EQ(Modals.Shown().size(), 2u);
        EXPECT_EQ(Modals.Last().Caption, "Unpack");
        EXPECT_NE(Modals.Last().Message->Text.find("NOTE.BACK -> "), std::string::npos)
            << Modals.Last().Message->Text;
    }
    {
        TScriptedModals Modals;
        Modals.Press("L&ocate...").Press("Cancel");
        Form->ShowSearchFolderDialog(Tree());
        ASSERT_EQ(Modals.Shown().size(), 2u);
        EXPECT_EQ(Modals.Last().Caption, "Locate File");
    }
}

TEST_F(TFindInFilesTest, CompilerLinesNameTheirFileAndLine) {
    MakeForm();
    MakeTree();
    Search("foo");
    TDocumentEditor* Results = Form->ActiveEditor();
    Results->SetParagraphs({Tree() + "/b.txt|||1", "plain"});
    Results->MoveCaretTo(1, 1);
    ToolList().Items(T::EditGoToSearchResult)->Execute();
    EXPECT_EQ(CurrentFile(), Tree() + "/b.txt");
}

// The line number of a results line: right-aligned in six columns and followed by a blank,
// or wider than six without padding.
TEST(SearchResultLineTest, TheLeadingNumberNamesTheLine) {
    const struct {
        std::string_view Line;
        std::optional<int> Number;
    } Rows[] = {
        {"     3 foo bar", 3},
        {"999999 x", 999999},
        {"1000000 x", 1000000},
        {"12345678 foo", 12345678},
        {"     7 ", 7},
        {"     7", 7}, // an empty matching line whose blank was trimmed
        {"     0 x", std::nullopt},
        {"    12x", std::nullopt},
        {"12 x", std::nullopt},
        {" 1000000 x", std::nullopt},
        {"a.txt  (2 matches)", std::nullopt},
        {"------", std::nullopt},
        {"", std::nullopt},
        {"99999999999 x", std::nullopt},
    };
    for (const auto& Row : Rows)
        EXPECT_EQ(TSearchResults::ResultLineNumber(Row.Line), Row.Number) << Row.Line;
}

// Going to a result with the program's editor: the line stands near the middle, the match
// selected, and a double-click on a results line goes there as Go to Search Result does.
class TResultPlaceTest : public TProgramFormTest {
protected:
    void SetUp() override {
        TProgramFormTest::SetUp();
        MakeProgramForm();
        Form->resize(800, 600);
        Form->show();
    }
    TEngCustomEditor& Engine() {
        return static_cast<TEditorDocument*>(Form->ActiveEditor())->Control().Editor();
    }
    // The first match line of a results tab: after the header, two empty lines, an empty
    // line and the file's name.
    static constexpr int FirstMatchLine = 6;
};

TEST_F(TResultPlaceTest, GoingToAResultCentresItsLineAndSelectsTheMatch) {
    std::string Big;
    Big.reserve(3'000'000);
    for (int I = 1; I <= 1'000'100; ++I)
        Big += I == 1'000'000 ? "x foo y\n" : "y\n";
    const auto Look = [](std::string Text, int Location = 0) {
        TFindSettings Settings;
        Settings.Text = std::move(Text);
        Settings.Location = Location;
        return Settings;
    };
    const auto With = [](TFindSettings Settings, bool TFindSettings::*Flag) {
        Settings.*Flag = true;
        return Settings;
    };
    using S = TFindSettings;
    const struct {
        const char* Name;
        std::string Bytes;
        TFindSettings Settings;
        int Line;
        int Column; // of the selection's start
        std::string Selected;
    } Rows[] = {
        {"plain", "1\n2\nfoo bar\n", Look("foo"), 3, 1, "foo"},
        {"case ignored", "a\nx FOO\n", Look("foo"), 2, 3, "FOO"},
        {"whole words", "food foo\n", With(Look("foo"), &S::WholeWords), 1, 6, "foo"},
        {"underscores ignored", "x a_b ab\n", With(Look("ab"), &S::IgnoreUnderscores), 1, 3, "a_b"},
        {"end of line", "foo x foo\n", Look("foo", 3), 1, 7, "foo"},
        {"quoted only", "foo 'foo'\n", With(Look("foo"), &S::QuotedOnly), 1, 6, "foo"},
        {"seven-digit line", Big, Look("foo"), 1'000'000, 3, "foo"},
        {"empty line", "a\n\nb\n", Look("", 5), 2, 1, ""},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        const std::string Path = File(std::string(Row.Name) + ".txt", Row.Bytes);
        Form->SearchResults().FindInFiles({}, {Path}, Row.Settings);
        ASSERT_TRUE(Form->ActiveEditor()->SearchResults);
        Form->ActiveEditor()->MoveCaretTo(FirstMatchLine, 1);
        ToolList().Items(T::EditGoToSearchResult)->Execute();
        ASSERT_EQ(Form->ActiveEditor()->FileName, Path);
        TDocumentEditor& Target = *Form->ActiveEditor();
        EXPECT_EQ(Target.CaretLine(), Row.Line);
        EXPECT_EQ(Target.GetSelText(), Row.Selected);
        if (!Row.Selected.empty()) {
            int StartLine = 0, StartCol = 0, EndLine = 0, EndCol = 0;
            ASSERT_TRUE(Target.GetSelection(StartLine, StartCol, EndLine, EndCol));
            EXPECT_EQ(StartLine, Row.Line);
            EXPECT_EQ(StartCol, Row.Column);
        }
        EXPECT_EQ(Engine().TopLine(), std::max(1, Row.Line - Engine().VisibleLines() * 3 / 8));
        while (Form->TabCount() > 0)
            ASSERT_TRUE(Form->CloseTab());
    }
}

TEST_F(TResultPlaceTest, ADoubleClickOnAResultLineGoesThere) {
    const std::string Path = File("a.txt", "1\n2\nfoo bar\n4\nx foo\n");
    TFindSettings Settings;
    Settings.Text = "foo";
    Form->SearchResults().FindInFiles({}, {Path}, Settings);
    QWidget* ResultsTab = Form->CurrentTab();
    TEditor& Results = static_cast<TEditorDocument*>(Form->ActiveEditor())->Control();
    TEngCustomEditor& E = Results.Editor();
    const auto Cell = [&E](int Column, int Row) {
        return QPoint(E.LeftMargin() + (Column - 1) * E.CharWidth() + E.CharWidth() / 2,
                      (Row - E.TopLine()) * E.LineHeight() + E.LineHeight() / 2);
    };
    // A double-click on the file's name line is no result: it selects a word as anywhere.
    QTest::mouseDClick(Results.viewport(), Qt::LeftButton, {}, Cell(2, FirstMatchLine - 1));
    EXPECT_EQ(Form->CurrentTab(), ResultsTab);
    EXPECT_TRUE(Form->ActiveEditor()->HasSelection());

    QTest::mouseDClick(Results.viewport(), Qt::LeftButton, {}, Cell(10, FirstMatchLine + 1));
    ASSERT_NE(Form->CurrentTab(), ResultsTab);
    EXPECT_EQ(Form->ActiveEditor()->FileName, Path);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 5);
    EXPECT_EQ(Form->ActiveEditor()->GetSelText(), "foo");
    EXPECT_EQ(Form->SearchResults().SearchResultTab(), ResultsTab) << "Go Back returns to it";
}

TEST_F(TFindInFilesTest, TheFolderBoxStartsAtTheActiveDocumentsFolder) {
    MakeForm();
    MakeTree();
    TSearchFolderForm& Dialog = Form->SearchResults().SearchFolderForm();
    std::string Seen;
    const auto Look = [&Seen](TSearchFolderForm& D) {
        Seen = D.Folder();
        D.reject();
    };
    {
        TScriptedModals Modals;
        Modals.Then(ActOn<TSearchFolderForm>(Look));
        ToolList().Items(T::EditFindInFolder)->Execute();
        EXPECT_EQ(Seen, "") << "no document, no folder";
    }
    std::filesystem::create_directories(Dir / "Other");
    Form->OpenFile(File("Other/c.txt", "c\n"), false, {});
    {
        TScriptedModals Modals;
        Modals.Then(ActOn<TSearchFolderForm>(Look));
        ToolList().Items(T::EditFindInFolder)->Execute();
        EXPECT_EQ(Seen, (Dir / "Other").string());
    }
    // The user's own folder stays for the window's life.
    Dialog.SetFolder(Tree());
    {
        TScriptedModals Modals;
        Modals.Then(ActOn<TSearchFolderForm>(Look));
        ToolList().Items(T::EditFindInFolder)->Execute();
        EXPECT_EQ(Seen, Tree());
    }
}

} // namespace
} // namespace korvid::test
