#include "FormFixture.h"

#include "app/EditorDocument.h"
#include "editor/Editor.h"
#include "tests/support/FileSizeLimit.h"
#include "workspace/FindForm.h"
#include "workspace/GoToSortForms.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;
namespace T = ToolIndex;

struct TFindRun {
    std::string Find;
    std::string Replace;
    bool ReplaceTab = false;
    bool WithinSelection = false;
};

// The window with the program's editor control, driven through the Find dialog.
class TFindReplaceTest : public TProgramFormTest {
protected:
    TScriptedModals Modals;

    void SetUp() override {
        TProgramFormTest::SetUp();
        MakeProgramForm();
    }

    TEngCustomEditor& Engine() {
        return static_cast<TEditorDocument*>(Form->ActiveEditor())->Control().Editor();
    }
    TDocumentEditor& Active() { return *Form->ActiveEditor(); }

    std::string Open(std::string_view Name, std::string_view Bytes) {
        const std::string Path = File(Name, Bytes);
        Form->OpenFile(Path, false, {});
        return Path;
    }

    // Fills the dialog in and confirms it.
    static TModalStep Fill(TFindRun Run) {
        return ActOn<TFindForm>([Run](TFindForm& D) {
            D.SetTab(Run.ReplaceTab);
            D.SetFindText(Run.Find);
            D.ReplaceCombo()->setEditText(QString::fromStdString(Run.Replace));
            if (Run.WithinSelection)
                D.SetSelectionEnabled(true);
            D.OkButton()->click();
        });
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> Texts;
        for (const TShownDialog& Shown : Modals.Shown())
            if (Shown.Message)
                Texts.push_back(Shown.Caption + ": " + Shown.Message->Text);
        return Texts;
    }
};

TEST_F(TFindReplaceTest, FindSelectsTheMatchAndSaysWhenThereAreNoMore) {
    Open("a.txt", "one foo\r\ntwo\r\nfoo three\r\n");
    Modals.Then(Fill({"foo", ""}));
    EXPECT_FALSE(Form->FindReplace().CanRepeatSearch());
    Form->EditFind();
    EXPECT_TRUE(Form->FindReplace().CanRepeatSearch());
    EXPECT_TRUE(ToolEnabled(T::EditFindNext));
    EXPECT_EQ(Active().GetSelText(), "foo");
    EXPECT_EQ(Active().CaretLine(), 1);
    Form->EditFindNext();
    EXPECT_EQ(Active().GetSelText(), "foo");
    EXPECT_EQ(Active().CaretLine(), 3);
    // After a match, the end of the document says there are no more.
    Modals.Then(TickCheckBox(false)).Press("OK");
    Form->EditFindNext();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Find: No more matches found."}));
    EXPECT_FALSE(Form->Options().NoMoreMatchesMessage) << "the box's answer is kept";
    // While the flag is off nothing is said.
    Form->EditFindNext();
    EXPECT_EQ(Modals.Shown().size(), 2u);
}

TEST_F(TFindReplaceTest, ASearchFindingNothingAtAllSaysNoMatches) {
    Open("a.txt", "one\r\n");
    Modals.Then(Fill({"absent", ""})).Press("OK");
    Form->EditFind();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Find: No matches found."}));
}

TEST_F(TFindReplaceTest, AFoundLineIsCentredAndScrolledBackToTheLeft) {
    std::string Text;
    for (int I = 1; I <= 300; ++I)
        Text += (I == 150 ? std::string("foo") : std::string(200, 'y')) + "\r\n";
    Open("a.txt", Text);
    Form->resize(800, 600);
    Form->show();
    Engine().SetCaretPosition(1, 150);
    ASSERT_GT(Engine().LeftColumn(), 0);
    ASSERT_GT(Engine().VisibleLines(), 8);
    Form->Options().RecentreOnFind = true;
    Modals.Then(Fill({"foo", ""}));
    Form->EditFind();
    EXPECT_EQ(Active().CaretLine(), 150);
    EXPECT_EQ(Engine().TopLine(), 150 - Engine().VisibleLines() * 3 / 8);
    EXPECT_EQ(Engine().LeftColumn(), 0);
}

TEST_F(TFindReplaceTest, ReplacingOneAtATimeFollowsTheAnswers) {
    Open("a.txt", "a a a a");
    Modals.Then(Fill({"a", "b", true})).Press("&Yes").Press("&No").Press("Yes To &All").Press("OK");
    Form->EditReplace();
    EXPECT_EQ(Active().Paragraphs(), (std::vector<std::string>{"b a b b"}));
    ASSERT_EQ(Modals.Shown().size(), 5u);
    EXPECT_EQ(Modals.Shown()[1].Message->Text, "Do you want to replace this occurrence?");
    EXPECT_EQ(Messages().back(), "Replace: Change complete: 3 replacements made.");
}

TEST_F(TFindReplaceTest, CancelStopsReplacing) {
    Open("a.txt", "a a a a");
    Modals.Then(Fill({"a", "b", true})).Press("&Yes").Press("Cancel");
    Form->EditReplace();
    EXPECT_EQ(Active().Paragraphs(), (std::vector<std::string>{"b a a a"}));
    EXPECT_EQ(Modals.Shown().size(), 3u);
}

TEST_F(TFindReplaceTest, FixedReplacePutsTheQuestionAtTheTopLeft) {
    Open("a.txt", "x\r\nx\r\nx\r\na a\r\n");
    Form->show();
    Form->Options().FixedReplace = true;
    QPoint Where;
    Modals.Then(Fill({"a", "b", true}))
        .Then([&Where](QDialog& D) { Where = D.pos(); })
        .Press("Cancel");
    Form->EditReplace();
    const QScreen* Screen = Form->screen() ? Form->screen() : QGuiApplication::primaryScreen();
    EXPECT_EQ(Where, Screen->availableGeometry().topLeft());
}

TEST_F(TFindReplaceTest, ReplaceAllInTheSelectionShowsItsCount) {
    Open("a.txt", "a a\r\na a\r\n");
    Active().SelectAll();
    Modals.Then(Fill({"a", "b", true, true})).Press("OK");
    Form->EditReplace();
    EXPECT_EQ(Active().Paragraphs(), (std::vector<std::string>{"b b", "b b", ""}));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Replace: Change complete: 4 replacements made."}));

    Active().SelectAll();
    Modals.Then(Fill({"z", "b", true, true})).Press("OK");
    Form->EditReplace();
    EXPECT_EQ(Messages().back(), "Replace: No matches found.");
}

TEST_F(TFindReplaceTest, TheDialogIsSeededAndItsForcedStatesLastOneRun) {
    Open("a.txt", "alpha beta\r\n");
    Form->Options().FindCurrentWord = true;
    Engine().SetCaretPosition(1, 8);
    std::string Seeded;
    bool ListAll = false;
    bool AllOpen = false;
    std::string ReplaceCaption;
    Modals.Then(ActOn<TFindForm>([&](TFindForm& D) {
        Seeded = D.GetFindText();
        ListAll = D.ListAll();
        AllOpen = D.AllOpenDocuments();
        ReplaceCaption = D.TabBar()->tabText(1).toStdString();
        D.reject();
    }));
    Form->EditFindInAllOpenDocuments();
    EXPECT_EQ(Seeded, "beta");
    EXPECT_TRUE(ListAll);
    EXPECT_TRUE(AllOpen);
    EXPECT_EQ(ReplaceCaption, "Replace");
    EXPECT_FALSE(Form->FindReplace().FindForm().ListAll());
    EXPECT_FALSE(Form->FindReplace().FindForm().AllOpenDocuments());
}

TEST_F(TFindReplaceTest, SetSearchTermTakesTheSelectionElseTheWord) {
    Open("a.txt", "alpha beta\r\nbeta alpha\r\n");
    Engine().SetCaretPosition(1, 2);
    Form->SetSearchTermToSelection();
    EXPECT_TRUE(Form->FindReplace().CanRepeatSearch());
    EXPECT_EQ(Form->FindReplace().FindForm().GetFindText(), "alpha");
    Form->EditFindNext();
    EXPECT_EQ(Active().CaretLine(), 2);
    Engine().SetSelection(1, 7, 1, 11, true);
    Form->SetSearchTermToSelection();
    EXPECT_EQ(Form->FindReplace().FindForm().GetFindText(), "beta");
}

// ---- Listing the matches of open documents ----

TEST_F(TFindReplaceTest, ListsTheActiveDocumentsParagraphs) {
    const std::string A =
        Open("a.txt", std::string(300, 'w') + "\r\nfoo 2\r\nx\r\ny\r\nz foo\r\nend\r\n");
    const std::string B = Open("b.txt", "foo\r\n");
    Form->Tabs()->setCurrentIndex(0);
    // Wrapping changes display lines, never the paragraph numbers listed.
    Engine().SetWordWrap(true);
    Modals.Then(ActOn<TFindForm>([](TFindForm& D) {
        D.SetTab(false);
        D.SetFindText("foo");
        D.SetListAll(true);
        D.FindCombo()->setFocus();
        D.OkButton()->click();
    }));
    Form->EditFind();
    ASSERT_EQ(Form->TabCount(), 3);
    EXPECT_EQ(Active().Paragraphs(), (std::vector<std::string>{"2 matches for \"foo\" in " + A, "",
                                                               "     2 foo 2", "     5 z foo"}));
    EXPECT_TRUE(Active().SearchResults);
    EXPECT_EQ(Active().GetSectionNameForLine(3), A);
    EXPECT_EQ(Active().GetSectionNameForLine(4), A);
    (void)B;
}

TEST_F(TFindReplaceTest, ListsEveryOpenDocument) {
    const std::string A = Open("a.txt", "x\r\nfoo\r\ny\r\nz\r\nfoo foo\r\n");
    const std::string B = Open("b.txt", "foo\r\n");
    Form->NewTab("File 1"); // no name: not searched
    Active().InsertTextAtCaret("foo");
    Modals.Then(ActOn<TFindForm>([](TFindForm& D) {
        D.SetFindText("foo");
        D.OkButton()->click();
    }));
    Form->FindReplace().ShowFindDialog(false, true);
    ASSERT_EQ(Form->TabCount(), 4);
    EXPECT_EQ(Active().Paragraphs(),
              (std::vector<std::string>{"3 matches for \"foo\" in all open documents", "", A,
                                        "     2 foo", "     5 foo foo", "", B, "     1 foo"}));
    EXPECT_EQ(Active().GetSectionNameForLine(4), A);
    EXPECT_EQ(Active().GetSectionNameForLine(5), A);
    EXPECT_EQ(Active().GetSectionNameForLine(8), B);
}

TEST_F(TFindReplaceTest, ListingNothingOpensNoTab) {
    Open("a.txt", "x\r\n");
    Modals
        .Then(ActOn<TFindForm>([](TFindForm& D) {
            D.SetFindText("foo");
            D.SetListAll(true);
            D.OkButton()->click();
        }))
        .Press("OK");
    Form->EditFind();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Find: No matches found."}));
    EXPECT_EQ(Form->TabCount(), 1);
}

// ---- Replacing throughout the files of a results tab ----

class TReplaceAcrossFilesTest : public TFindReplaceTest {
protected:
    fs::path Tree() const { return Dir / "T"; }
    std::string Path(const char* Name) const { return (Tree() / Name).string(); }

    // Six files listed by a search that ignores underscores; d.txt goes after the search and
    // f.txt may not be written.
    void ListFiles() {
        fs::create_directories(Tree());
        File("T/a.txt", "foo x\r\nfoo\r\n");
        File("T/b.txt", "no foo here\n");
        File("T/c.txt", "f_oo  \n");
        File("T/d.txt", "foo\r\n");
        File("T/f.txt", "foo\r\n");
        std::string Large = "foo\r\n";
        for (int Line = 0; Line < 60; ++Line)
            Large += std::string(100, 'y') + "\r\n";
        File("T/e.txt", Large);
        Form->SearchResults().FindInFiles({}, {}, 0, 0, true, false, false, false, "foo", "txt",
                                          Tree().string());
        ASSERT_EQ(Form->TabCount(), 1);
        fs::remove(Tree() / "d.txt");
        fs::permissions(Tree() / "f.txt", fs::perms::owner_read);
    }

    std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot() const {
        std::map<std::string, std::pair<std::string, fs::file_time_type>> Files;
        for (const auto& Entry : fs::directory_iterator(Tree()))
            Files[Entry.path().filename().string()] = {ReadFileBytes(Entry.path()),
                                                       Entry.last_write_time()};
        return Files;
    }
};

TEST_F(TReplaceAcrossFilesTest, ChangesOnlyTheFilesWithMatchesAndNamesTheOthers) {
    ListFiles();
    const auto Before = Snapshot();
    TDocumentEditor* Results = Form->ActiveEditor();
    const std::vector<std::string> ResultsText = Results->Paragraphs();
    std::string Caption;
    Modals
        .Then(ActOn<TFindForm>([&Caption](TFindForm& D) {
            Caption = D.TabBar()->tabText(1).toStdString();
            D.SetTab(true);
            D.SetFindText("foo");
            D.ReplaceCombo()->setEditText("bar");
            D.OkButton()->click();
        }))
        .Press("&Yes")
        .Press("OK")
        .Press("OK")
        .Press("OK");
    {
        const TFileSizeLimit Limit(4096);
        Form->EditReplace();
    }
    EXPECT_EQ(Caption, "Replace Across Files");
    const std::vector<std::string> Said = Messages();
    ASSERT_EQ(Said.size(), 4u) << testing::PrintToString(Said);
    EXPECT_EQ(Said[0], "Replace Across Files: Are you sure you want to replace all instances of "
                       "\x91"
                       "foo\x92 with \x91"
                       "bar\x92 throughout the files listed in these search results?");
    EXPECT_TRUE(Said[1].starts_with("Korvid: Korvid was unable to save the file.")) << Said[1];
    EXPECT_EQ(Said[2], "Replace: Change complete: 3 replacements made.");
    // The files come in the order of the results, which is the file system's.
    const std::string Header = "Replace Across Files: These files were left unchanged:";
    EXPECT_TRUE(Said[3].starts_with(Header)) << Said[3];
    for (const std::string& Line :
         {Path("d.txt") + " could not be opened.", Path("e.txt") + " could not be saved.",
          Path("f.txt") + " is read-only."})
        EXPECT_NE(Said[3].find("\r" + Line), std::string::npos) << Line;
    EXPECT_EQ(std::count(Said[3].begin(), Said[3].end(), '\r'), 3);
    EXPECT_EQ(Modals.Unanswered(), 0);

    const auto After = Snapshot();
    EXPECT_EQ(After.at("a.txt").first, "bar x\r\nbar\r\n");
    EXPECT_EQ(After.at("b.txt").first, "no bar here\n");
    EXPECT_EQ(After.at("c.txt"), Before.at("c.txt")) << "no replacement, no save";
    EXPECT_EQ(After.at("e.txt"), Before.at("e.txt")) << "a failed save leaves the file";
    EXPECT_EQ(After.at("f.txt"), Before.at("f.txt"));
    EXPECT_FALSE(After.contains("d.txt"));
    ASSERT_NE(Form->FindTabOfFile(Path("e.txt")), nullptr);
    EXPECT_TRUE(Form->EditorOfTab(Form->FindTabOfFile(Path("e.txt")))->Modified());
    EXPECT_EQ(Results->Paragraphs(), ResultsText);
    EXPECT_FALSE(Results->Modified());
}

// A close that arrives while a file opens (which lets events run) ends the run once that file
// is done; nothing is said, and the window closes after.
class TReplaceClosedTest : public TFindReplaceTest {
protected:
    void SetUp() override {
        OpenSetup.Reader = [this](const fs::path& Name, const TReadStep& Step) {
            if (OnRead)
                OnRead(Name);
            return ReadWholeFile(Name, Step);
        };
        TFindReplaceTest::SetUp();
    }
    std::function<void(const fs::path&)> OnRead;
};

TEST_F(TReplaceClosedTest, ClosingTheWindowEndsAReplaceAcrossFilesAfterTheFileInHand) {
    fs::create_directories(Dir / "T");
    for (const char* Name : {"a.txt", "b.txt", "c.txt"})
        File(std::string("T/") + Name, "foo\r\n");
    Form->SearchResults().FindInFiles({}, {}, 0, 0, false, false, false, false, "foo", "txt",
                                      (Dir / "T").string());
    ASSERT_EQ(Form->TabCount(), 1);
    Form->show();
    // The results list the files in the file system's order: the second one opened closes.
    std::vector<std::string> Opened;
    OnRead = [&](const fs::path& Name) {
        Opened.push_back(Name.filename().string());
        if (Opened.size() == 2)
            Form->close();
        EXPECT_TRUE(Form->isVisible()) << "not before the run has returned";
    };
    Modals.Then(Fill({"foo", "bar", true})).Press("&Yes");
    Form->EditReplace();
    ASSERT_EQ(Opened.size(), 2u);
    std::vector<std::string> Texts;
    for (const std::string& Name : Opened)
        Texts.push_back(ReadFileBytes(Dir / "T" / Name));
    EXPECT_EQ(Texts, (std::vector<std::string>{"bar\r\n", "bar\r\n"}));
    int Untouched = 0;
    for (const char* Name : {"a.txt", "b.txt", "c.txt"})
        Untouched += ReadFileBytes(Dir / "T" / Name) == "foo\r\n";
    EXPECT_EQ(Untouched, 1);
    EXPECT_EQ(Messages().size(), 1u) << "only the question before the run";
    for (int Turn = 0; Turn < 10 && Form->isVisible(); ++Turn)
        QApplication::processEvents();
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(TReplaceAcrossFilesTest, NoChangesNothing) {
    ListFiles();
    const auto Before = Snapshot();
    Modals.Then(Fill({"foo", "bar", true})).Press("&No");
    Form->EditReplace();
    EXPECT_EQ(Snapshot(), Before);
    EXPECT_EQ(Form->TabCount(), 1);
}

// ---- Go To and Sort ----

TEST_F(TFindReplaceTest, GoToClampsTheNumber) {
    Open("a.txt", "1\r\n2\r\n3\r\n4\r\n5");
    struct TCase {
        int Asked;
        int Line;
    } Cases[] = {{3, 3}, {99, 5}, {0, 1}};
    for (const TCase& C : Cases) {
        std::string Label;
        Modals.Then(ActOn<TGoToForm>([&Label, C](TGoToForm& D) {
            Label = D.NumberLabel()->text().toStdString();
            D.NumberEdit()->setValue(C.Asked);
            D.accept();
        }));
        Form->EditGoTo();
        EXPECT_EQ(Label, "&Line:");
        EXPECT_EQ(Active().CaretLine(), C.Line) << C.Asked;
        EXPECT_EQ(Engine().CaretPos(), 1);
    }
}

TEST_F(TFindReplaceTest, GoToTakesAParagraphWhenWordsWrap) {
    Open("a.txt", std::string(400, 'w') + "\r\nsecond\r\nthird");
    Engine().SetWordWrap(true);
    Form->resize(600, 400);
    Form->show();
    ASSERT_GT(Active().LineCount(), Active().ParaCount());
    std::string Label;
    Modals.Then(ActOn<TGoToForm>([&Label](TGoToForm& D) {
        Label = D.NumberLabel()->text().toStdString();
        D.NumberEdit()->setValue(2);
        D.accept();
    }));
    Form->EditGoTo();
    EXPECT_EQ(Label, "&Paragraph:");
    EXPECT_EQ(Active().CaretParagraphText(), "second");
}

TEST_F(TFindReplaceTest, SortSortsTheSelectedLinesAndKeepsTheChoices) {
    Open("a.txt", "top\r\nc\r\na\r\nb\r\n");
    Engine().SetSelection(2, 1, 4, 2, true);
    Modals.Then(ActOn<TSortForm>([](TSortForm& D) {
        D.findChild<QCheckBox*>()->setChecked(true); // case-sensitive
        D.OkButton()->click();
    }));
    Form->FormatSort();
    EXPECT_EQ(Active().Paragraphs(), (std::vector<std::string>{"top", "a", "b", "c", ""}));
    EXPECT_TRUE(Form->FindReplace().SortOptions().CaseSensitive);
}

} // namespace
} // namespace korvid::test
