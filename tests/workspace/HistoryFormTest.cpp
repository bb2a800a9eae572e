#include "workspace/HistoryForm.h"

#include "tests/support/HangGuard.h"
#include "tests/support/TempDir.h"
#include "tests/workspace/HistoryIconSource.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Numbered(int Number) {
    return "/h/file" + std::to_string(Number) + ".txt";
}

class THistoryFormTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TRecordingIconSource Source;
    TFakeClock Clock;
    std::unique_ptr<THistoryForm> Form =
        std::make_unique<THistoryForm>(std::make_unique<TLentIconSource>(Source), Clock.Clock());

    // A history file of the paths, loaded.
    void Load(const std::vector<std::string>& Paths) {
        std::string Text;
        for (const std::string& Path : Paths)
            Text += Path + "\r\n";
        WriteFileBytes(Dir / "history.txt", Text);
        Form->LoadHistory((Dir / "history.txt").string());
    }
    void WaitForIcons() {
        const THangGuard Guard("the icon thread");
        while (!Form->IconThreadFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::vector<std::string> Column(int Column) const {
        std::vector<std::string> Texts;
        for (int Index = 0; Index < Form->Count(); ++Index)
            Texts.push_back(Form->List()->topLevelItem(Index)->text(Column).toStdString());
        return Texts;
    }
    std::vector<std::string> Ranked() const {
        std::vector<std::string> Paths;
        for (int Rank = 0; Rank < Form->Count(); ++Rank)
            Paths.push_back(Form->PathOfRank(Rank));
        return Paths;
    }
    // As a click does: the item becomes the current one and the only one selected.
    void SelectPath(const std::string& Path) {
        for (int Index = 0; Index < Form->Count(); ++Index)
            if (Form->List()->topLevelItem(Index)->text(THistoryForm::PathColumn).toStdString() ==
                Path)
                Form->List()->setCurrentItem(Form->List()->topLevelItem(Index));
    }
    // A new window whose list holds Paths, the last the newest.
    void Refill(const std::vector<std::string>& Paths) {
        Form = std::make_unique<THistoryForm>(std::make_unique<TLentIconSource>(Source));
        for (const std::string& Path : Paths)
            Form->AddToHistory(Path);
    }
};

// ---- The list -----------------------------------------------------------------------------------

TEST_F(THistoryFormTest, ReopeningMovesAnEntryToTheTopWhateverTheSortColumn) {
    for (int SortColumn = 0; SortColumn < 4; ++SortColumn) {
        Refill({"/x/c.txt", "/x/b.txt", "/x/a.txt"});
        Form->SetSortColumn(SortColumn);
        Form->AddToHistory("/x/c.txt");
        EXPECT_EQ(Ranked(), (std::vector<std::string>{"/x/c.txt", "/x/a.txt", "/x/b.txt"}))
            << "sorted by column " << SortColumn;
        Form->SetSortColumn(THistoryForm::RankColumn);
        EXPECT_EQ(Column(THistoryForm::RankColumn), (std::vector<std::string>{"1.", "2.", "3."}));
        EXPECT_EQ(Column(THistoryForm::NameColumn),
                  (std::vector<std::string>{"c.txt", "a.txt", "b.txt"}));
    }
}

TEST_F(THistoryFormTest, TheTwoHundredAndFirstFileDropsTheOldestAndCaseCounts) {
    for (int Number = 1; Number <= 200; ++Number)
        Form->AddToHistory(Numbered(Number));
    Form->AddToHistory("/h/FILE200.TXT");
    ASSERT_EQ(Form->Count(), 200);
    EXPECT_EQ(Form->PathOfRank(0), "/h/FILE200.TXT");
    EXPECT_EQ(Form->PathOfRank(1), Numbered(200));
    EXPECT_EQ(Form->PathOfRank(199), Numbered(2));
    EXPECT_EQ(Form->PathOfRank(200), "");
    EXPECT_EQ(Form->List()->topLevelItem(199)->text(THistoryForm::RankColumn), "200.");
}

// The selection stays on its file wherever the file moves, so that Delete removes what the user
// sees selected.
TEST_F(THistoryFormTest, TheSelectionFollowsItsFileToTheTop) {
    struct TCase {
        int SortColumn;
        std::string Selected;
        std::string Added;
    } Cases[] = {
        {THistoryForm::RankColumn, "/x/a.txt", "/x/a.txt"}, // the oldest moves to the top
        {THistoryForm::RankColumn, "/x/b.txt", "/x/a.txt"}, // another file moves past it
        {THistoryForm::RankColumn, "/x/b.txt", "/x/new.txt"},
        {THistoryForm::PathColumn, "/x/a.txt", "/x/a.txt"},
        {THistoryForm::NameColumn, "/x/c.txt", "/x/a.txt"},
    };
    for (const TCase& Case : Cases) {
        Refill({"/x/a.txt", "/x/b.txt", "/x/c.txt"});
        Form->SetSortColumn(Case.SortColumn);
        SelectPath(Case.Selected);
        Form->AddToHistory(Case.Added);
        const std::string Where = Case.Selected + " selected, " + Case.Added + " added";
        EXPECT_EQ(Form->SelectedPath(), Case.Selected) << Where;
        ASSERT_NE(Form->List()->currentItem(), nullptr) << Where;
        EXPECT_EQ(Form->List()->currentItem()->text(THistoryForm::PathColumn).toStdString(),
                  Case.Selected)
            << Where;
        EXPECT_EQ(Form->List()->selectedItems().size(), 1) << Where;
    }
}

// However narrow the settings left the "No." column, the highest rank is never cut.
TEST_F(THistoryFormTest, TheRankColumnHoldsThreeDigitsInTheWindowsFont) {
    for (int Number = 1; Number <= THistoryForm::MaximumEntries; ++Number)
        Form->AddToHistory(Numbered(Number));
    Form->resize(500, 300);
    Form->show();
    QTreeWidget* List = Form->List();
    for (const int Width : {30, 10}) {
        List->setColumnWidth(THistoryForm::RankColumn, Width);
        QTreeWidgetItem* Last = List->topLevelItem(THistoryForm::MaximumEntries - 1);
        ASSERT_EQ(Last->text(THistoryForm::RankColumn), "200.");
        QStyleOptionViewItem Option;
        Option.initFrom(List);
        Option.rect = List->visualItemRect(Last);
        Option.rect.setLeft(List->header()->sectionViewportPosition(THistoryForm::RankColumn));
        Option.rect.setWidth(List->columnWidth(THistoryForm::RankColumn));
        Option.text = Last->text(THistoryForm::RankColumn);
        Option.features |= QStyleOptionViewItem::HasDisplay;
        Option.font = List->font();
        Option.fontMetrics = QFontMetrics(Option.font);
        const QRect Text =
            List->style()->subElementRect(QStyle::SE_ItemViewItemText, &Option, List);
        const int Margin =
            List->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, List) + 1;
        EXPECT_GE(Text.width(), Option.fontMetrics.horizontalAdvance("200.") + 2 * Margin)
            << "set to " << Width;
    }
}

TEST_F(THistoryFormTest, EachColumnSortsAndEqualKeysFallBackToRank) {
    // Two names are equal, and two images: the first two files get the placeholder.
    Source.AnswerPlaceholder = true;
    for (const char* Path : {"/b/same.txt", "/a/same.txt"})
        Form->AddToHistory(Path);
    Source.AnswerPlaceholder = false;
    for (const char* Path : {"/c/Zed.txt", "/d/alpha.txt"})
        Form->AddToHistory(Path);
    // Ranks: 0 /d/alpha.txt, 1 /c/Zed.txt, 2 /a/same.txt, 3 /b/same.txt.
    struct TCase {
        int Column;
        std::vector<std::string> Order;
    } Cases[] = {
        {THistoryForm::IconColumn, {"/a/same.txt", "/b/same.txt", "/c/Zed.txt", "/d/alpha.txt"}},
        {THistoryForm::RankColumn, {"/d/alpha.txt", "/c/Zed.txt", "/a/same.txt", "/b/same.txt"}},
        {THistoryForm::NameColumn, {"/d/alpha.txt", "/a/same.txt", "/b/same.txt", "/c/Zed.txt"}},
        {THistoryForm::PathColumn, {"/a/same.txt", "/b/same.txt", "/c/Zed.txt", "/d/alpha.txt"}},
    };
    for (const TCase& Case : Cases) {
        Form->SetSortColumn(Case.Column);
        EXPECT_EQ(Column(THistoryForm::PathColumn), Case.Order) << "column " << Case.Column;
    }
}

TEST_F(THistoryFormTest, AfterARemovalTheItemAtTheRemovedRanksPlaceIsSelected) {
    struct TCase {
        int SortColumn;
        std::string Removed;
        std::string Selected;
    } Cases[] = {
        // Ranks: 0 /c, 1 /a, 2 /b.
        {THistoryForm::RankColumn, "/a", "/b"},
        {THistoryForm::RankColumn, "/b", "/a"}, // the list is shorter: the last item
        // By path the list reads /a, /b, /c: removing rank 0 selects the first place.
        {THistoryForm::PathColumn, "/c", "/a"},
    };
    for (const TCase& Case : Cases) {
        Refill({"/b", "/a", "/c"});
        Form->SetSortColumn(Case.SortColumn);
        SelectPath(Case.Removed);
        bool Show = false;
        Form->RemoveSelected(Show);
        ASSERT_EQ(Form->Count(), 2);
        EXPECT_EQ(Form->SelectedPath(), Case.Selected) << "removing " << Case.Removed;
        Form->SetSortColumn(THistoryForm::RankColumn);
        EXPECT_EQ(Column(THistoryForm::RankColumn), (std::vector<std::string>{"1.", "2."}));
    }
}

TEST_F(THistoryFormTest, RemovingAsksFirstWhileTheMessageIsOn) {
    for (const char* Path : {"/b", "/a"})
        Form->AddToHistory(Path);
    SelectPath("/b");
    bool Show = true;
    {
        TScriptedModals Script;
        Script.Press("&No");
        Form->RemoveSelected(Show);
        ASSERT_EQ(Script.Shown().size(), 1u);
        EXPECT_EQ(Script.Last().Message->Text,
                  "Do you want to remove \"/b\" from your History list?");
    }
    EXPECT_EQ(Form->Count(), 2);
    {
        TScriptedModals Script;
        Script.Then(TickCheckBox(false)).Press("&Yes");
        Form->RemoveSelected(Show);
    }
    EXPECT_EQ(Ranked(), std::vector<std::string>{"/a"});
    EXPECT_FALSE(Show);
}

// ---- The history file ---------------------------------------------------------------------------

TEST_F(THistoryFormTest, LoadingReadsEveryLineAndSkipsEmptyOnes) {
    std::string Text = "\r\n/first\r\n\r\n";
    for (int Number = 1; Number <= 250; ++Number)
        Text += Numbered(Number) + "\r\n";
    WriteFileBytes(Dir / "history.txt", Text + "/last");
    int Changes = 0;
    Form->OnChanged = [&] { ++Changes; };
    Form->LoadHistory((Dir / "history.txt").string());
    EXPECT_EQ(Form->Count(), 252);
    EXPECT_EQ(Form->PathOfRank(0), "/first");
    EXPECT_EQ(Form->PathOfRank(251), "/last");
    EXPECT_EQ(Changes, 1);
    WaitForIcons();
}

TEST_F(THistoryFormTest, AMissingFileGivesAnEmptyListAndNoThread) {
    Form->LoadHistory((Dir / "missing.txt").string());
    EXPECT_EQ(Form->Count(), 0);
    EXPECT_TRUE(Form->IconThreadFinished());
    EXPECT_TRUE(Source.LookedUpInBackground().empty());
}

TEST_F(THistoryFormTest, SavingSortsByRankAndCutsToTheMaximum) {
    for (const char* Path : {"/a", "/c", "/b", "/d"})
        Form->AddToHistory(Path);
    Form->SetSortColumn(THistoryForm::PathColumn);
    std::string Name = (Dir / "saved.txt").string();
    Form->SaveHistory(Name, 3);
    EXPECT_EQ(ReadFileBytes(Name), "/d\r\n/b\r\n/c\r\n");
    EXPECT_EQ(Form->SortColumn(), THistoryForm::RankColumn);
    EXPECT_EQ(Form->Count(), 4) << "the list itself is not cut";
}

TEST_F(THistoryFormTest, AFailedSaveOffersAnotherFileUntilTheUserGivesUp) {
    Form->AddToHistory("/a");
    const fs::path Picked = Dir / "picked.txt";
    {
        std::string Name = (Dir / "no folder" / "h.txt").string();
        TScriptedModals Script;
        Script.Press("&Save As...").Then(ChooseFiles({Picked}));
        Form->SaveHistory(Name, 200);
        EXPECT_EQ(Name, Picked.string());
        EXPECT_EQ(ReadFileBytes(Picked), "/a\r\n");
        EXPECT_EQ(Script.Unanswered(), 0);
    }
    {
        std::string Name = (Dir / "no folder" / "h.txt").string();
        TScriptedModals Script;
        Script.Press("&Discard");
        Form->SaveHistory(Name, 200);
        EXPECT_EQ(Script.Shown().size(), 1u);
        EXPECT_FALSE(fs::exists(Dir / "no folder"));
    }
}

TEST_F(THistoryFormTest, AnUnreadableFileIsReportedOnceAndNeverSavedOver) {
    // A folder where the file should be: it exists but cannot be read as a list.
    const fs::path Unreadable = Dir / "history.txt";
    fs::create_directory(Unreadable);
    WriteFileBytes(Unreadable / "keep", "kept");
    std::string Name = Unreadable.string();
    TScriptedModals Script;
    Script.Press("OK");
    Form->LoadHistory(Name);
    Form->LoadHistory(Name);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Last().Caption, "History");
    EXPECT_EQ(Script.Last().Message->Text,
              "Korvid was unable to read your History list from file \"" + Name +
                  "\". The file will be left as it is.");
    EXPECT_TRUE(Form->IconThreadFinished());

    Form->AddToHistory("/a");
    Form->SaveHistory(Name, 200);
    EXPECT_EQ(Script.Shown().size(), 1u) << "no attempt to write, so no failure to report";
    EXPECT_EQ(ReadFileBytes(Unreadable / "keep"), "kept");
}

// ---- The icon thread ----------------------------------------------------------------------------

std::vector<std::string> Paths(int Count) {
    std::vector<std::string> Result;
    for (int Number = 1; Number <= Count; ++Number)
        Result.push_back(Numbered(Number));
    return Result;
}

TEST_F(THistoryFormTest, EveryItemGetsItsIconFromLookupsOffTheGuiThread) {
    Source.Hold(Numbered(1));
    Load(Paths(4));
    Source.WaitUntilHeld(Numbered(1));
    EXPECT_FALSE(Form->IconThreadFinished());
    SelectPath(Numbered(2));
    bool Show = false;
    Form->RemoveSelected(Show);
    EXPECT_EQ(Form->Count(), 4) << "nothing is removed while icons are fetched";
    int StateChanges = 0;
    Form->OnStateChanged = [&] { ++StateChanges; };
    Source.Release(Numbered(1));
    WaitForIcons();
    EXPECT_GE(StateChanges, 1);
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(4));
    EXPECT_TRUE(Source.LookedUpOnGuiThread().empty());
    for (int Rank = 0; Rank < 4; ++Rank)
        EXPECT_EQ(Form->ImageIndexOfRank(Rank), Source.ImageOf(Numbered(Rank + 1)));
    Form->RemoveSelected(Show);
    EXPECT_EQ(Form->Count(), 3);
}

TEST_F(THistoryFormTest, ClosingTheWindowStopsTheThreadAfterTheItemInHand) {
    Form->show();
    Source.Hold(Numbered(3));
    Load(Paths(6));
    Source.WaitUntilHeld(Numbered(3));
    Form->close();
    Source.Release(Numbered(3));
    WaitForIcons();
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(3));
    for (int Rank = 3; Rank < 6; ++Rank)
        EXPECT_EQ(Form->ImageIndexOfRank(Rank), TRecordingIconSource::Placeholder);
}

TEST_F(THistoryFormTest, TheThreadEndsOnceAMinuteHasPassed) {
    Source.Hold(Numbered(2));
    Load(Paths(5));
    Source.WaitUntilHeld(Numbered(2));
    Clock.Advance(THistoryIconThread::TimeLimit + 1s);
    Source.Release(Numbered(2));
    WaitForIcons();
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(2));
    EXPECT_EQ(Form->ImageIndexOfRank(1), Source.ImageOf(Numbered(2)));
    EXPECT_EQ(Form->ImageIndexOfRank(2), TRecordingIconSource::Placeholder);
}

TEST_F(THistoryFormTest, AFileAddedDuringTheRunGetsItsIconAtOnceAndATrimmedOneIsSkipped) {
    Source.Hold(Numbered(1));
    Load(Paths(200));
    Source.WaitUntilHeld(Numbered(1));
    Form->AddToHistory("/new.txt");
    EXPECT_EQ(Form->ImageIndexOfRank(0), Source.ImageOf("/new.txt"));
    EXPECT_EQ(Source.LookedUpOnGuiThread(), std::vector<std::string>{"/new.txt"});
    ASSERT_EQ(Form->PathOfRank(199), Numbered(199)) << Numbered(200) << " was trimmed";
    Source.Release(Numbered(1));
    WaitForIcons();
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(199));
    EXPECT_EQ(Form->ImageIndexOfRank(0), Source.ImageOf("/new.txt"));
    EXPECT_EQ(Form->ImageIndexOfRank(199), Source.ImageOf(Numbered(199)));
}

TEST_F(THistoryFormTest, DestroyingTheWindowWaitsForTheLookupInHand) {
    Source.Hold(Numbered(2));
    Load(Paths(5));
    Source.WaitUntilHeld(Numbered(2));
    std::thread Releaser([this] {
        std::this_thread::sleep_for(50ms);
        Source.Release(Numbered(2));
    });
    Form.reset();
    EXPECT_TRUE(Source.Returned(Numbered(2))) << "the window went before its thread";
    Releaser.join();
    // Whatever the thread handed over went with the window.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(2));
}

TEST_F(THistoryFormTest, FailedLookupsEndTheThreadAfterOnePass) {
    Source.AnswerPlaceholder = true;
    Load(Paths(3));
    WaitForIcons();
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(3));
    for (int Rank = 0; Rank < 3; ++Rank)
        EXPECT_EQ(Form->ImageIndexOfRank(Rank), TRecordingIconSource::Placeholder);
}

// Nothing may leave the thread: the entry keeps its placeholder and the others get theirs.
TEST_F(THistoryFormTest, ALookupThatThrowsLeavesItsPlaceholderAndTheThreadGoesOn) {
    Source.ThrowFor = Numbered(2);
    Load(Paths(3));
    WaitForIcons();
    EXPECT_EQ(Source.LookedUpInBackground(), Paths(3));
    EXPECT_EQ(Form->ImageIndexOfRank(0), Source.ImageOf(Numbered(1)));
    EXPECT_EQ(Form->ImageIndexOfRank(1), TRecordingIconSource::Placeholder);
    EXPECT_EQ(Form->ImageIndexOfRank(2), Source.ImageOf(Numbered(3)));
}

// A name that is not UTF-8 is shown with replacement characters but kept as its bytes.
TEST_F(THistoryFormTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string Cafe = "/h/caf\xE9.txt";
    Load({Cafe, "\x86"});
    WaitForIcons();
    Form->AddToHistory("/h/na\xEFve");
    EXPECT_EQ(Ranked(), (std::vector<std::string>{"/h/na\xEFve", Cafe, "\x86"}));
    const QString Shown = Form->List()->topLevelItem(1)->text(THistoryForm::NameColumn);
    EXPECT_EQ(Shown.left(3), "caf");
    EXPECT_TRUE(Shown.at(3).isSurrogate()) << "drawn as a replacement character";
    std::string Saved = (Dir / "saved.txt").string();
    Form->SaveHistory(Saved, 200);
    EXPECT_EQ(ReadFileBytes(Saved), "/h/na\xEFve\r\n" + Cafe + "\r\n\x86\r\n");
}

} // namespace
} // namespace korvid::test
