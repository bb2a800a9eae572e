#include "workspace/KorvidTool.h"
#include "platform/Cp1252.h"
#include "ui/VirtualKeys.h"
#include "workspace/Keystroke.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"
#include "workspace/ToolMenuItem.h"
#include "workspace/ToolbarList.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace korvid {
namespace {

std::unique_ptr<TKorvidTool> MakeTool(const std::string& Name, const std::string& Caption,
                                      std::uint16_t ShortCut, const std::string& Hint) {
    auto Tool = std::make_unique<TKorvidTool>();
    Tool->SetName(Name);
    Tool->SetCaption(Caption);
    Tool->SetShortCut(ShortCut);
    Tool->SetHint(Hint);
    return Tool;
}

std::string Text(const QString& Value) {
    return FromQString(Value);
}

TEST(CaptionForms, BracesAccelertorsAndEllipsis) {
    struct TCase {
        const char* Caption;
        const char* MainMenu;
        const char* ContextMenu;
        const char* HintKeepingBraces;
        const char* HintStrippingBraces;
    };
    const TCase Cases[] = {
        {"{Toggle }Bookmark &1", "Bookmark &1", "Toggle Bookmark 1", "Toggle Bookmark 1",
         "Bookmark 1"},
        {"&Open...", "&Open...", "Open...", "Open", "Open"},
        {"{Go to }&Next{ Debugging Tab}", "&Next", "Go to Next Debugging Tab",
         "Go to Next Debugging Tab", "Next"},
        {"Add &Volume{ to Favourites}...", "Add &Volume...", "Add Volume to Favourites...",
         "Add Volume to Favourites", "Add Volume"},
        // An unclosed brace takes the rest of the caption with it.
        {"&Remove{ History File", "&Remove", "Remove History File", "Remove History File",
         "Remove"},
        {"", "", "", "", ""},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Caption);
        EXPECT_EQ(MainMenuCaption(Case.Caption), Case.MainMenu);
        EXPECT_EQ(ContextMenuCaption(Case.Caption), Case.ContextMenu);
        EXPECT_EQ(ButtonHintCaption(Case.Caption, false), Case.HintKeepingBraces);
        EXPECT_EQ(ButtonHintCaption(Case.Caption, true), Case.HintStrippingBraces);
    }
}

class BoundTool : public ::testing::Test {
protected:
    QWidget Bar;
    QObject MenuOwner;
};

TEST_F(BoundTool, ControlsShowTheCaptionFormsAndTheShortCutText) {
    auto Tool = MakeTool("EditToggleBookmark1", "{Toggle }Bookmark &1",
                         ShortCutOfStep('1', StepShift | StepCtrl),
                         "Adds or removes bookmark 1 at the current location");
    TToolButton Button(&Bar, false, Tool.get());
    TToolButton Stripped(&Bar, true, Tool.get());
    TToolMenuItem MainItem(&MenuOwner, false, Tool.get());
    TToolMenuItem ContextItem(&MenuOwner, true, Tool.get());

    EXPECT_EQ(Text(MainItem.text()), "Bookmark &1\tShift+Ctrl+1");
    EXPECT_EQ(Text(ContextItem.text()), "Toggle Bookmark 1");
    EXPECT_EQ(Button.Hint(), "Toggle Bookmark 1  (Shift+Ctrl+1)|Adds or removes bookmark 1 at "
                             "the current location");
    EXPECT_EQ(Text(Button.toolTip()), "Toggle Bookmark 1  (Shift+Ctrl+1)");
    EXPECT_EQ(Text(Button.statusTip()), "Adds or removes bookmark 1 at the current location");
    EXPECT_EQ(Text(Stripped.toolTip()), "Bookmark 1  (Shift+Ctrl+1)");
    EXPECT_EQ(Text(MainItem.statusTip()), Tool->Hint());
    EXPECT_EQ(Text(ContextItem.statusTip()), Tool->Hint());
    // Menu items show the shortcut as text only.
    EXPECT_TRUE(MainItem.shortcut().isEmpty());
}

TEST_F(BoundTool, AToolWithoutShortCutLeavesTheTabAndDropsTheBrackets) {
    auto Tool = MakeTool("FileOpen", "&Open...", 0, "Opens an existing file");
    TToolButton Button(&Bar, true, Tool.get());
    TToolMenuItem MainItem(&MenuOwner, false, Tool.get());
    EXPECT_EQ(Text(MainItem.text()), "&Open...\t");
    EXPECT_EQ(Button.Hint(), "Open|Opens an existing file");

    Tool->SetShortCut(ShortCutOfStep('O', StepCtrl));
    EXPECT_EQ(Text(MainItem.text()), "&Open...\tCtrl+O");
    EXPECT_EQ(Text(Button.toolTip()), "Open  (Ctrl+O)");
    EXPECT_EQ(Text(Button.statusTip()), "Opens an existing file");
}

TEST_F(BoundTool, OneToolDrivesEveryBoundControl) {
    auto Tool = MakeTool("FileReadOnly", "Read-Onl&y", 0, "");
    Tool->SetGroupIndex(1);
    Tool->SetAllowAllUp(true);
    Tool->SecondGlyph().fill(Qt::red);
    // Buttons of one group on one bar exclude each other, so the second sits on another bar.
    QWidget OtherBar;
    TToolButton First(&Bar, false, Tool.get());
    TToolButton Second(&OtherBar, false, Tool.get());
    TToolMenuItem MainItem(&MenuOwner, false, Tool.get());
    TToolMenuItem ContextItem(&MenuOwner, true, Tool.get());

    Tool->SetEnabled(false);
    EXPECT_FALSE(First.isEnabled());
    EXPECT_FALSE(Second.isEnabled());
    EXPECT_FALSE(MainItem.isEnabled());
    EXPECT_FALSE(ContextItem.isEnabled());

    Tool->SetEnabled(true);
    Tool->SetDown(true);
    EXPECT_TRUE(First.Down());
    EXPECT_TRUE(Second.Down());
    EXPECT_TRUE(MainItem.isChecked());
    EXPECT_TRUE(ContextItem.isChecked());
    Tool->SetDown(false);
    EXPECT_FALSE(First.Down());
    EXPECT_FALSE(MainItem.isChecked());

    Tool->SetHidden(true);
    EXPECT_TRUE(First.isHidden());
    EXPECT_TRUE(Second.isHidden());
    EXPECT_FALSE(MainItem.isVisible());
    EXPECT_FALSE(ContextItem.isVisible());
    Tool->SetHidden(false);
    EXPECT_FALSE(First.isHidden());
    EXPECT_TRUE(MainItem.isVisible());

    Tool->SetUseSecondGlyph(true);
    EXPECT_EQ(First.Glyph(), Tool->SecondGlyph());
    Tool->SetUseSecondGlyph(false);
    EXPECT_EQ(First.Glyph(), Tool->Glyph());
}

TEST_F(BoundTool, AButtonBoundToADownToolStartsDown) {
    auto Tool = MakeTool("ViewHistory", "&History", 0, "");
    Tool->SetGroupIndex(3);
    Tool->SetAllowAllUp(true);
    Tool->SetDown(true);
    TToolButton Button(&Bar, false, Tool.get());
    EXPECT_EQ(Button.GroupIndex(), 3);
    EXPECT_TRUE(Button.Down());
}

TEST_F(BoundTool, SettersRefreshOnlyWhenTheValueChanges) {
    auto Tool = MakeTool("FileNew", "&New", ShortCutOfStep('N', StepCtrl), "Creates a new file");
    TToolButton Button(&Bar, false, Tool.get());
    TToolMenuItem Item(&MenuOwner, false, Tool.get());
    // Marks that a refresh would overwrite.
    Button.SetHint("stale");
    Item.setText("stale");
    Button.setEnabled(false);

    Tool->SetCaption("&New");
    Tool->SetHint("Creates a new file");
    Tool->SetShortCut(ShortCutOfStep('N', StepCtrl));
    Tool->SetGroupIndex(0);
    Tool->SetAllowAllUp(false);
    Tool->SetUseSecondGlyph(false);
    Tool->SetEnabled(true);
    Tool->SetDown(false);
    Tool->SetHidden(false);
    EXPECT_EQ(Button.Hint(), "stale");
    EXPECT_EQ(Text(Item.text()), "stale");
    EXPECT_FALSE(Button.isEnabled());

    Tool->SetCaption("&New File");
    EXPECT_EQ(Button.Hint(), "New File  (Ctrl+N)|Creates a new file");
    EXPECT_EQ(Text(Item.text()), "&New File\tCtrl+N");
    EXPECT_TRUE(Button.isEnabled());
}

TEST_F(BoundTool, DestroyedControlsDetachThemselves) {
    auto Tool = MakeTool("FileNew", "&New", 0, "");
    {
        TToolButton Button(&Bar, false, Tool.get());
        TToolMenuItem MainItem(&MenuOwner, false, Tool.get());
        TToolMenuItem ContextItem(&MenuOwner, true, Tool.get());
        EXPECT_EQ(Tool->Buttons().size(), 1u);
        EXPECT_EQ(Tool->MainMenuItems().size(), 1u);
        EXPECT_EQ(Tool->ContextMenuItems().size(), 1u);
        // Attaching twice keeps one entry.
        Tool->AttachButton(&Button, TKorvidTool::aoAttach);
        EXPECT_EQ(Tool->Buttons().size(), 1u);
    }
    EXPECT_TRUE(Tool->Buttons().empty());
    EXPECT_TRUE(Tool->MainMenuItems().empty());
    EXPECT_TRUE(Tool->ContextMenuItems().empty());
    // Changes after that reach nobody.
    Tool->SetEnabled(false);
    Tool->SetCaption("Other");
}

TEST_F(BoundTool, ADestroyedToolLeavesItsControlsWithoutTool) {
    auto Tool = MakeTool("FileNew", "&New", 0, "");
    int Runs = 0;
    Tool->SetProcedure([&Runs] { ++Runs; });
    auto Button = std::make_unique<TToolButton>(&Bar, false, Tool.get());
    auto Item = std::make_unique<TToolMenuItem>(&MenuOwner, false, Tool.get());
    Tool.reset();
    EXPECT_EQ(Button->Tool(), nullptr);
    EXPECT_EQ(Item->Tool(), nullptr);
    Button->Click();
    Item->trigger();
    EXPECT_EQ(Runs, 0);
    Button.reset();
    Item.reset();
}

TEST_F(BoundTool, ClicksAndMenuChoicesRunTheTool) {
    auto Tool = MakeTool("ViewHistory", "&History", 0, "");
    Tool->SetGroupIndex(3);
    Tool->SetAllowAllUp(true);
    TKorvidTool* Raw = Tool.get();
    int Runs = 0;
    Tool->SetProcedure([&Runs, Raw] {
        ++Runs;
        Raw->SetDown(!Raw->Down());
    });
    TToolButton Button(&Bar, false, Raw);
    TToolMenuItem Item(&MenuOwner, false, Raw);

    Button.Click();
    EXPECT_EQ(Runs, 1);
    EXPECT_TRUE(Item.isChecked());
    Item.trigger();
    EXPECT_EQ(Runs, 2);
    // The check mark follows the tool, not the toggle of the menu item.
    EXPECT_FALSE(Item.isChecked());
    Item.trigger();
    EXPECT_TRUE(Item.isChecked());
    EXPECT_TRUE(Button.Down());
}

TEST_F(BoundTool, AClickWhoseToolDestroysTheButtonLeavesItAlone) {
    auto Tool = MakeTool("FileClose", "&Close", 0, "");
    auto Button = std::make_unique<TToolButton>(&Bar, false, Tool.get());
    Tool->SetProcedure([&Button] { Button.reset(); });
    Button->Click();
    EXPECT_EQ(Button, nullptr);

    Button = std::make_unique<TToolButton>(&Bar, false, Tool.get());
    const QPointF Inside(5, 5);
    QMouseEvent Press(QEvent::MouseButtonPress, Inside, Inside, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent Release(QEvent::MouseButtonRelease, Inside, Inside, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(Button.get(), &Press);
    QApplication::sendEvent(Button.get(), &Release);
    EXPECT_EQ(Button, nullptr);
}

class ShortCutDispatch : public ::testing::Test {
protected:
    TKorvidTool* AddTool(const std::string& Name, std::uint16_t ShortCut) {
        auto Tool = MakeTool(Name, Name, ShortCut, "");
        TKorvidTool* Raw = Tool.get();
        Raw->SetProcedure([this, Raw] { Ran.push_back(Raw->Name()); });
        List.Add(std::move(Tool));
        return Raw;
    }
    void TearDown() override {
        StopRecordingKeystrokes();
        ClearKeystrokes();
    }

    TKorvidToolList List;
    std::vector<std::string> Ran;
};

TEST_F(ShortCutDispatch, RunsOnlyTheFirstVisibleToolWithTheShortCut) {
    const std::uint16_t CtrlN = ShortCutOfStep('N', StepCtrl);
    AddTool("Hidden", CtrlN)->SetHidden(true);
    AddTool("First", CtrlN);
    AddTool("Second", CtrlN);
    AddTool("Other", ShortCutOfStep('O', StepCtrl));

    EXPECT_TRUE(List.FindAndRun(CtrlN));
    EXPECT_EQ(Ran, std::vector<std::string>{"First"});

    Ran.clear();
    EXPECT_TRUE(List.ExecuteShortCut('N', StepCtrl));
    EXPECT_EQ(Ran, std::vector<std::string>{"First"});

    Ran.clear();
    EXPECT_FALSE(List.FindAndRun(ShortCutOfStep('N', StepCtrl | StepAlt)));
    EXPECT_TRUE(Ran.empty());
}

TEST_F(ShortCutDispatch, AShortCutOnlyAHiddenToolHasRunsNothing) {
    AddTool("Hidden", ShortCutOfStep(VK_F1 + 4, 0))->SetHidden(true);
    EXPECT_FALSE(List.FindAndRun(ShortCutOfStep(VK_F1 + 4, 0)));
    EXPECT_TRUE(Ran.empty());
}

TEST_F(ShortCutDispatch, ExecuteShortCutUsesTheLowByteOfTheKey) {
    AddTool("FindNext", ShortCutOfStep(VK_F1 + 2, 0));
    EXPECT_TRUE(List.ExecuteShortCut(0x1100 | (VK_F1 + 2), 0));
    EXPECT_EQ(Ran.size(), 1u);
}

TEST_F(ShortCutDispatch, WhileRecordingEachRunToolBecomesAStep) {
    TKorvidTool* New = AddTool("FileNew", ShortCutOfStep('N', StepCtrl));
    List.FindAndRun(ShortCutOfStep('N', StepCtrl));
    EXPECT_TRUE(Keystrokes().empty());

    StartRecordingKeystrokes();
    List.FindAndRun(ShortCutOfStep('N', StepCtrl));
    List.FindAndRun(ShortCutOfStep('Q', StepCtrl)); // no tool: no step
    ASSERT_EQ(Keystrokes().size(), 1u);
    EXPECT_EQ(Keystrokes()[0]->Kind, ksTool);
    EXPECT_EQ(Keystrokes()[0]->Tool, New);

    StopRecordingKeystrokes();
    List.FindAndRun(ShortCutOfStep('N', StepCtrl));
    EXPECT_EQ(Keystrokes().size(), 1u);
}

TEST_F(ShortCutDispatch, TheMacroToolsAreNeverSteps) {
    // The recorder's own tool starts the recording it would otherwise be the first step of.
    auto Tool =
        MakeTool("EditRecordKeystrokes", "Rec", ShortCutOfStep('R', StepShift | StepCtrl), "");
    Tool->SetIndex(ToolIndex::EditRecordKeystrokes);
    Tool->SetProcedure([] { StartRecordingKeystrokes(); });
    List.Add(std::move(Tool));
    List.FindAndRun(ShortCutOfStep('R', StepShift | StepCtrl));
    EXPECT_TRUE(IsRecordingKeystrokes());
    EXPECT_TRUE(Keystrokes().empty());
    StopRecordingKeystrokes();
}

TEST_F(ShortCutDispatch, ItemsOutsideTheListRaise) {
    AddTool("Only", 0);
    EXPECT_NO_THROW(List.Items(0));
    EXPECT_THROW(List.Items(1), EListError);
    EXPECT_THROW(List.Items(-1), EListError);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
}

TEST(Keystrokes, StartingARecordingEmptiesTheMacroOnce) {
    ClearKeystrokes();
    EXPECT_EQ(AddKeystroke(ksChar, nullptr, 97, 0), 0);
    StartRecordingKeystrokes();
    EXPECT_TRUE(Keystrokes().empty());
    EXPECT_EQ(AddKeystroke(ksCommand, nullptr, 5, 17), 0);
    StartRecordingKeystrokes(); // already recording: keeps the steps
    EXPECT_EQ(Keystrokes().size(), 1u);
    EXPECT_EQ(Keystrokes()[0]->Code, 5);
    EXPECT_EQ(Keystrokes()[0]->Command, 17);
    StopRecordingKeystrokes();
    EXPECT_FALSE(IsRecordingKeystrokes());
    EXPECT_EQ(Keystrokes().size(), 1u);
    ClearKeystrokes();
}

TEST(ToolbarLists, HoldersStartEmptyAndIndexesAreChecked) {
    TBarTempList Holders;
    TCommandBar* const Bar = nullptr; // the lists only keep the pointer
    TBarTemp* Holder = Holders.Add(Bar);
    EXPECT_EQ(Holder->Bar, Bar);
    EXPECT_EQ(Holder->Offset, 0);
    EXPECT_EQ(Holder->Lane, 0);
    EXPECT_FALSE(Holder->Visible);
    EXPECT_EQ(Holders.Items(0), Holder);
    EXPECT_THROW(Holders.Items(1), EListError);

    TToolbarList Bars;
    EXPECT_EQ(Bars.Add(Bar), 0);
    EXPECT_EQ(Bars.Count(), 1);
    EXPECT_THROW(Bars.Items(1), EListError);
    EXPECT_THROW(Bars.Items(-1), EListError);
}

} // namespace
} // namespace korvid
