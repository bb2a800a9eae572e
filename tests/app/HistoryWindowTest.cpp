#include "tests/app/FormFixture.h"
#include "tests/support/HangGuard.h"
#include "tests/workspace/HistoryIconSource.h"
#include "ui/FormUtilities.h"
#include "ui/HackedDialogs.h"
#include "workspace/HistoryForm.h"
#include "workspace/KorvidTool.h"
#include "workspace/OrganizeFilesForm.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

namespace korvid::test {
namespace {

namespace T = ToolIndex;
namespace fs = std::filesystem;

// The main window with its History window, whose icons come from a recording source.
class THistoryWindowTest : public TFormTest {
protected:
    TRecordingIconSource Source;
    TFakeClock Clock;
    THistoryForm* History = nullptr;

    void MakeHistoryForm() {
        auto Window = std::make_unique<THistoryForm>(std::make_unique<TLentIconSource>(Source),
                                                     Clock.Clock());
        History = Window.get();
        Services.History = std::move(Window);
        MakeForm();
    }
    void WaitForIcons() {
        const THangGuard Guard("the icon thread");
        while (!History->IconThreadFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // The window over a list of two files, opened and closed again: rank 0 "b.txt" (beta), rank 1
    // "a.txt" (alpha).
    std::pair<std::string, std::string> ShowTwoClosedFiles() {
        const std::string First = File("a.txt", "alpha"), Second = File("b.txt", "beta");
        MakeHistoryForm();
        Form->OpenFile(First, false, {});
        Form->OpenFile(Second, false, {});
        Form->FileCloseAll();
        EXPECT_EQ(Form->TabCount(), 0);
        Form->ViewHistory();
        return {First, Second};
    }
    QTreeWidget* List() const { return History->List(); }
    void SelectRank(int Rank) {
        History->SetSortColumn(THistoryForm::RankColumn);
        List()->setCurrentItem(List()->topLevelItem(Rank));
    }
};

TEST_F(THistoryWindowTest, RemoveIsOfferedOnlyOnceTheIconsAreIn) {
    const std::string First = File("a.txt", "a"), Second = File("b.txt", "b");
    WriteFileBytes(Dir / "history.txt", First + "\r\n" + Second + "\r\n");
    Source.Hold(First);
    MakeHistoryForm();
    Source.WaitUntilHeld(First);
    SelectRank(1);
    EXPECT_TRUE(ToolEnabled(T::HistoryOpen));
    EXPECT_FALSE(ToolEnabled(T::HistoryRemove));
    Source.Release(First);
    WaitForIcons();
    EXPECT_TRUE(ToolEnabled(T::HistoryRemove));
    EXPECT_EQ(Source.LookedUpInBackground(), (std::vector<std::string>{First, Second}));
}

TEST_F(THistoryWindowTest, KeysAndADoubleClickRunTheHistoryTools) {
    const auto [First, Second] = ShowTwoClosedFiles();
    ASSERT_TRUE(History->isVisible());
    EXPECT_TRUE(ToolDown(T::ViewHistory));

    SelectRank(1);
    QTest::keyClick(List(), Qt::Key_Return);
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(ActiveText(), "alpha");
    EXPECT_EQ(History->PathOfRank(0), First);

    SelectRank(1);
    emit List()->itemDoubleClicked(List()->topLevelItem(1), THistoryForm::NameColumn);
    EXPECT_EQ(Form->TabCount(), 2);
    EXPECT_EQ(ActiveText(), "beta");

    SelectRank(1);
    {
        TScriptedModals Script;
        Script.Press("&Yes");
        QTest::keyClick(List(), Qt::Key_Delete);
        EXPECT_EQ(Script.Shown().size(), 1u);
    }
    EXPECT_EQ(History->Count(), 1);

    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_FALSE(History->isVisible());
    EXPECT_FALSE(ToolDown(T::ViewHistory));
    Form->ViewHistory();
    EXPECT_TRUE(ToolDown(T::ViewHistory));
    Form->ViewHistory();
    EXPECT_FALSE(History->isVisible());
    EXPECT_FALSE(ToolDown(T::ViewHistory));
}

TEST_F(THistoryWindowTest, TheToolbarPanelHoldsTheHistoryToolsAboveTheList) {
    ShowTwoClosedFiles();
    const auto Buttons = History->findChildren<TToolButton*>();
    std::vector<int> Tools;
    for (const TToolButton* Button : Buttons) {
        ASSERT_NE(Button->Tool(), nullptr);
        Tools.push_back(Button->Tool()->Index());
        EXPECT_TRUE(Button->isVisible());
        EXPECT_LT(Button->mapTo(History, QPoint(0, Button->height())).y(),
                  List()->mapTo(History, QPoint(0, 1)).y())
            << "above the list";
    }
    ASSERT_EQ(Tools, (std::vector<int>{T::HistoryOpen, T::HistoryRemove}));

    // The buttons follow their tools and run them.
    List()->clearSelection();
    Form->UpdateCommandStates();
    EXPECT_FALSE(Buttons[0]->isEnabled());
    SelectRank(1);
    EXPECT_TRUE(Buttons[0]->isEnabled());
    QTest::mouseClick(Buttons[0], Qt::LeftButton, {}, Buttons[0]->rect().center());
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(ActiveText(), "alpha");
}

TEST_F(THistoryWindowTest, TheWindowComesBackWhereItWasOrOntoTheScreen) {
    MakeHistoryForm();
    EXPECT_TRUE(History->testAttribute(Qt::WA_WState_Hidden));
    EXPECT_TRUE(History->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_GE(History->minimumWidth(), 100);
    EXPECT_GE(History->minimumHeight(), 100);
    History->move(40, 50);
    History->KeepOnScreen();
    EXPECT_EQ(History->pos(), QPoint(40, 50));
    History->move(OffScreenPosition, OffScreenPosition);
    History->KeepOnScreen();
    const QRect Screen = QGuiApplication::primaryScreen()->virtualGeometry();
    EXPECT_TRUE(Screen.contains(History->geometry().center())) << "centred when never placed";
}

TEST_F(THistoryWindowTest, ThePlaceAndTheShownFlagAreKept) {
    MakeHistoryForm();
    Form->ViewHistory();
    History->move(60, 70);
    History->resize(333, 222);
    ASSERT_TRUE(Form->FormCloseQuery());
    Form.reset();
    MakeHistoryForm();
    EXPECT_TRUE(Form->WindowSettings().HistoryVisible);
    EXPECT_EQ(History->pos(), QPoint(60, 70));
    EXPECT_EQ(History->size(), QSize(333, 222));
}

// ---- Organize Files -----------------------------------------------------------------------------

class TOrganizeFilesWindowTest : public TFormTest {
protected:
    std::string A, B, C;

    void OpenThree() {
        MakeForm();
        A = File("a.txt", "a");
        B = File("b.txt", "b");
        C = File("c.txt", "c");
        for (const std::string& Name : {A, B, C})
            Form->OpenFile(Name, false, {});
    }
    std::vector<std::string> TabFiles() const {
        std::vector<std::string> Names;
        for (int Index = 0; Index < Form->TabCount(); ++Index)
            Names.push_back(Form->EditorOfTab(Form->Tabs()->widget(Index))->FileName);
        return Names;
    }
    std::string MainFile() const {
        const TDocumentEditor* Editor = Form->EditorOfTab(Form->Compiling().MainCompileTab());
        return Editor ? Editor->FileName : std::string();
    }
    static TModalStep Organize(std::function<void(TOrganizeFilesForm&)> Steps) {
        return ActOn<TOrganizeFilesForm>(std::move(Steps));
    }
};

TEST_F(TOrganizeFilesWindowTest, OkReordersTheTabsAndSetsCaptionsAndTheMainFile) {
    OpenThree();
    TScriptedModals Script;
    Script.Then(Organize([](TOrganizeFilesForm& Dialog) {
        Dialog.Select(0);
        Dialog.MoveSelected(1);
        Dialog.MoveSelected(1);
        Dialog.MarkAsMain();
        Dialog.List()->topLevelItem(0)->setText(0, "Bee");
        Dialog.accept();
    }));
    Form->ViewOrganizeFiles();
    EXPECT_EQ(TabFiles(), (std::vector<std::string>{B, C, A}));
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"Bee", "c.txt", "a.txt"}));
    EXPECT_EQ(MainFile(), A);
}

TEST_F(TOrganizeFilesWindowTest, CancelAfterSaveAsLeavesTheTabsAlone) {
    OpenThree();
    const fs::path Set = Dir / "set.korvidtabs";
    TScriptedModals Script;
    Script
        .Then(Organize([](TOrganizeFilesForm& Dialog) {
            Dialog.Select(2);
            Dialog.MarkAsMain();
            Dialog.MoveSelected(-1);
            Dialog.List()->topLevelItem(0)->setText(0, "renamed");
            Dialog.SaveAs();
            Dialog.reject();
        }))
        .Then(ChooseFiles({Set}));
    Form->ViewOrganizeFiles();
    EXPECT_EQ(ReadFileBytes(Set), A + "\r\n*" + C + "\r\n" + B + "\r\n");
    EXPECT_EQ(TabFiles(), (std::vector<std::string>{A, B, C}));
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(MainFile(), "");

    // The set written opens the same files, with the same main file.
    Form->FileCloseAll();
    Form->OpenTabSet(Set.string());
    EXPECT_EQ(TabFiles(), (std::vector<std::string>{A, C, B}));
    EXPECT_EQ(MainFile(), C);
}

TEST_F(TOrganizeFilesWindowTest, ATabWithoutAFileIsWrittenByItsCaption) {
    OpenThree();
    Form->FileNew();
    const fs::path Set = Dir / "set.korvidtabs";
    TScriptedModals Script;
    Script
        .Then(Organize([](TOrganizeFilesForm& Dialog) {
            Dialog.SaveAs();
            Dialog.reject();
        }))
        .Then(ChooseFiles({Set}));
    Form->ViewOrganizeFiles();
    EXPECT_EQ(ReadFileBytes(Set), A + "\r\n" + B + "\r\n" + C + "\r\nFile 1\r\n");
}

} // namespace
} // namespace korvid::test
