#include "workspace/DefaultMenus.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolMenuItem.h"
#include "workspace/ToolbarSettings.h"

#include "foundation/RegistryEx.h"
#include "platform/Cp1252.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TempDir.h"

#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace korvid {
namespace {

std::vector<std::string> Words(const std::string& Text) {
    std::istringstream Stream(Text);
    std::vector<std::string> Result;
    for (std::string Word; Stream >> Word;)
        Result.push_back(Word);
    return Result;
}

// A menu as "Tool - [Submenu: Tool Tool] [Empty submenu]", tool items by their tool's name.
std::string Describe(const QWidget& Menu) {
    std::string Text;
    for (QAction* Action : Menu.actions()) {
        if (!Text.empty())
            Text += ' ';
        if (Action->isSeparator()) {
            Text += "-";
        } else if (QMenu* Submenu = Action->menu()) {
            const std::string Items = Describe(*Submenu);
            Text += "[" + FromQString(Submenu->title()) + (Items.empty() ? "" : ": " + Items) + "]";
        } else if (auto* Item = qobject_cast<TToolMenuItem*>(Action)) {
            Text += Item->Tool() ? Item->Tool()->Name() : "<no tool>";
        } else {
            Text += "<" + FromQString(Action->text()) + ">";
        }
    }
    return Text;
}

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        BuildTools();
        BuildMenus(MainMenu, ContextMenu, Reopen, &Owner, CurrentFileAs, Toolbars);
    }

    QObject Owner;
    QMenuBar MainMenu;
    QMenu ContextMenu;
    QMenu* Reopen = nullptr;
    QMenu* CurrentFileAs = nullptr;
    QMenu* Toolbars = nullptr;
};

TEST_F(Menus, MainMenuHoldsTheToolsInOrderWithTheirSubmenus) {
    struct TCase {
        const char* Caption;
        const char* Items;
    };
    const TCase Expected[] = {
        {"&File",
         "FileNew FileOpen [&Reopen] FileRefresh FileSave FileSaveAs FileSaveAll FileClose "
         "FileCloseAll - FilePrint FileSendMail FileReadOnly FileSetPassword - FileExploreFolder "
         "FileBrowseVolume FileOpenRandom FilePrepareDefsHelp - FileCompareFiles "
         "FileCompareTheseFiles FileSubversionDiff FileSubversionLog - FileExit"},
        {"&Edit",
         "EditUndo EditRedo - EditCut EditCutAppend EditCopy EditCopyAppend EditPaste "
         "EditDeleteWord [E&xtra Clipboards: EditNewClipboard - EditPasteClipboard1 "
         "EditPasteClipboard2 EditPasteClipboard3 EditPasteClipboard4 EditPasteClipboard5 "
         "EditPasteClipboard6 EditPasteClipboard7 EditPasteClipboard8 EditPasteClipboard9 "
         "EditPasteClipboard0] EditSelectAll EditSelectDelimitedText EditAnchorSelection - "
         "EditFind EditFindNext EditReplace EditFindInFolder EditFindInAllOpenDocuments "
         "EditApplyChanges - EditGoTo EditGoToLastEdit EditGoToLastError EditGoToSearchResult "
         "EditGoStraightToSearchResult EditGoToNextSearchResult EditGoToPreviousSearchResult "
         "EditGoBack - [Toggle &Bookmark: EditToggleBookmark1 EditToggleBookmark2 "
         "EditToggleBookmark3 EditToggleBookmark4 EditToggleBookmark5 EditToggleBookmark6 "
         "EditToggleBookmark7 EditToggleBookmark8 EditToggleBookmark9 EditToggleBookmark0] [Go "
         "to Book&mark: EditGoToBookmark1 EditGoToBookmark2 EditGoToBookmark3 EditGoToBookmark4 "
         "EditGoToBookmark5 EditGoToBookmark6 EditGoToBookmark7 EditGoToBookmark8 "
         "EditGoToBookmark9 EditGoToBookmark0] - EditRecordKeystrokes EditPlayKeystrokes "
         "EditPlayKeystrokesRepeatedly EditCopyRecordedKeystrokes EditPickRecordedKeystrokes"},
        {"&View",
         "[Current File &As] ViewDefineViews ViewParagraphMarks ViewBringLineToMiddle - "
         "ViewHistory ViewFavouritesBar ViewStatusBar [&Toolbars] ViewResetToolbars - "
         "CompileVoskSource CompileWithOverride CompileWhenPaused ViewPSystemFiler "
         "ViewDebuggingBar - ViewCommandLines ViewRunCommandLine ViewOrganizeFiles ViewOptions"},
        {"&Insert", "InsertDate InsertTime InsertFilename InsertPathname - InsertFile"},
        {"F&ormat",
         "FormatSort FormatAutoText FormatLintrel [&Change Case To: FormatLowerCase "
         "FormatUpperCase FormatOppositeCase] - FormatIndent FormatUnindent FormatAsComment "
         "FormatCentre - FormatAsSeparateParagraphs FormatAsOneParagraph"},
        {"&Debug",
         "ViewDebuggingBar [&Go to Tab: DebugGoToBreakpointsTab DebugGoToCallStackTab "
         "DebugGoToStructureTab DebugGoToWatchesTab - DebugGoToNextTab DebugGoToPreviousTab] - "
         "DebugConnection DebugAddBreakpoint - DebugStepInto DebugStepOver DebugStepOut "
         "DebugResume DebugRunToCursor DebugAbort DebugShowExecutionPoint - DebugPause "
         "DebugShowTableViewer DebugDumpMemory - DebugFindDeclaration DebugUndoFindDeclaration "
         "DebugFindInCurrentSources"},
        {"&Help", "HelpKorvidHelp HelpOnCurrentWord HelpAbout"},
    };
    const QList<QAction*> Top = MainMenu.actions();
    ASSERT_EQ(Top.size(), qsizetype(std::size(Expected)));
    for (std::size_t I = 0; I < std::size(Expected); ++I) {
        SCOPED_TRACE(Expected[I].Caption);
        QMenu* Menu = Top[qsizetype(I)]->menu();
        ASSERT_NE(Menu, nullptr);
        EXPECT_EQ(FromQString(Menu->title()), Expected[I].Caption);
        EXPECT_EQ(Describe(*Menu), Expected[I].Items);
    }
}

TEST_F(Menus, ContextMenuHoldsContextItems) {
    EXPECT_EQ(Describe(ContextMenu),
              "FileClose - EditUndo EditRedo - EditCut EditCopy EditPaste EditSelectAll - "
              "FileReadOnly FileExploreFolder - FileSubversionDiff FileSubversionLog");
    for (QAction* Action : ContextMenu.actions()) {
        if (auto* Item = qobject_cast<TToolMenuItem*>(Action)) {
            EXPECT_TRUE(Item->IsContext()) << Item->Tool()->Name();
        }
    }
    // The context form of "&Close": no accelerator, no shortcut text.
    EXPECT_EQ(FromQString(ContextMenu.actions().front()->text()), "Close");
}

TEST_F(Menus, MainMenuItemsAreBoundMainItemsOwnedByTheOwner) {
    const TKorvidTool& New = *ToolList().Items(0);
    ASSERT_EQ(New.MainMenuItems().size(), 1u);
    const TToolMenuItem* Item = New.MainMenuItems().front();
    EXPECT_FALSE(Item->IsContext());
    EXPECT_EQ(Item->parent(), &Owner);
    EXPECT_EQ(FromQString(Item->text()), "&New\tCtrl+N");
}

TEST_F(Menus, SubmenusForTheMainWindowComeBackEmpty) {
    ASSERT_NE(Reopen, nullptr);
    ASSERT_NE(CurrentFileAs, nullptr);
    ASSERT_NE(Toolbars, nullptr);
    EXPECT_EQ(FromQString(Reopen->title()), "&Reopen");
    EXPECT_EQ(FromQString(Reopen->menuAction()->statusTip()), "Reopens a recently used file");
    EXPECT_EQ(FromQString(CurrentFileAs->title()), "Current File &As");
    EXPECT_EQ(FromQString(Toolbars->title()), "&Toolbars");
    EXPECT_TRUE(Reopen->actions().isEmpty());
    EXPECT_TRUE(CurrentFileAs->actions().isEmpty());
    EXPECT_TRUE(Toolbars->actions().isEmpty());
}

TEST_F(Menus, ToolInTwoMenusDrivesBothItems) {
    bool Found = false;
    TKorvidTool& Bar = *ToolList().Items(FindToolByName("ViewDebuggingBar", Found));
    ASSERT_EQ(Bar.MainMenuItems().size(), 2u);
    Bar.SetEnabled(false);
    Bar.SetDown(true);
    for (const TToolMenuItem* Item : Bar.MainMenuItems()) {
        EXPECT_FALSE(Item->isEnabled());
        EXPECT_TRUE(Item->isChecked());
    }
    Bar.SetEnabled(true);
    Bar.SetDown(false);
}

TEST(DefaultMenus, EveryNameIsABuiltinTool) {
    BuildTools();
    const TDefaultMenus Menus = CreateDefaultMenus();
    std::vector<std::string> Names = Menus.ContextMenu;
    for (const TDefaultToolbar& Bar : Menus.Toolbars)
        Names.insert(Names.end(), Bar.Buttons.begin(), Bar.Buttons.end());
    std::function<void(const std::vector<TMenuEntry>&)> AddEntries =
        [&](const std::vector<TMenuEntry>& Entries) {
            for (const TMenuEntry& Entry : Entries) {
                if (Entry.Kind == TMenuEntry::TKind::Submenu)
                    AddEntries(Entry.Items);
                else
                    Names.push_back(Entry.Name);
            }
        };
    AddEntries(Menus.MainMenu);
    for (const std::string& Name : Names) {
        bool Found = false;
        FindToolByName(Name, Found);
        EXPECT_TRUE(Found || Name == "-") << Name;
    }
}

TEST(DefaultMenus, BuildMenuSkipsUnknownNames) {
    BuildTools();
    QObject Owner;
    QMenu Menu;
    BuildMenu(Menu, {"filenew", "NoSuchTool", "-", "FileOpen"}, &Owner, true);
    EXPECT_EQ(Describe(Menu), "FileNew - FileOpen");
}

// ---- Toolbar layouts in the settings ---------------------------------------------------------

std::string KeyPath(const TSettingsKeyPair& Pair, int Side, const std::string& SubKey = "") {
    return "\\" + std::string(Pair[Side]) + (SubKey.empty() ? "" : "\\" + SubKey);
}

class ToolbarLayouts : public ::testing::Test {
protected:
    void SetUp() override { BuildTools(); }

    // The values of a stored bar as "Name=Value" in the order written.
    std::vector<std::string> StoredValues(int Side, const std::string& Bar) {
        TRegistryEx Reg;
        EXPECT_TRUE(Reg.OpenKey(KeyPath(ToolbarsKeys, Side, Bar), false)) << Bar;
        std::vector<std::string> Values;
        for (const std::string& Name : Reg.GetValueNames()) {
            const bool IsString = Reg.GetDataType(Name) == TRegDataType::rdString;
            Values.push_back(
                Name + "=" +
                (IsString ? Reg.ReadString(Name) : std::to_string(Reg.ReadInteger(Name))));
        }
        return Values;
    }

    std::vector<std::string> StoredBars(int Side) {
        TRegistryEx Reg;
        if (!Reg.OpenKey(KeyPath(ToolbarsKeys, Side), false))
            return {};
        return Reg.GetKeyNames();
    }

    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
};

struct TExpectedBar {
    const char* Values; // "Name=Value" pairs before the buttons
    const char* Buttons;
};

const TExpectedBar DefaultBars[] = {
    {"Name=Standard Visible=1 Docked=1 Dock=1 Lane=0",
     "FileNew FileOpen FileSave FileClose - FilePrint FileSendMail FileReadOnly "
     "FileExploreFolder - EditCut EditCopy EditPaste - EditUndo EditRedo - EditFind "
     "EditFindNext EditReplace EditFindInFolder EditFindInAllOpenDocuments EditGoTo - "
     "ViewHistory ViewFavouritesBar ViewOrganizeFiles ViewOptions ViewPSystemFiler "
     "ViewDebuggingBar"},
    {"Name=Formatting Visible=1 Docked=1 Dock=1 Lane=1 Offset=0",
     "InsertDate InsertTime InsertFilename InsertPathname InsertFile - FormatSort "
     "FormatAutoTextDropDown FormatLintrel - FormatLowerCase FormatUpperCase FormatOppositeCase "
     "- FormatUnindent FormatIndent FormatAsComment - FormatAsSeparateParagraphs "
     "FormatAsOneParagraph - ViewDefineViews ViewParagraphMarks ViewBringLineToMiddle - "
     "EditRecordKeystrokes EditPlayKeystrokes EditPlayKeystrokesRepeatedly"},
    {"Name=Command Lines Visible=1 Docked=1 Dock=1 Lane=0 Offset=20",
     "ViewCommandLines ViewRunCommandLine"},
    {"Name=Extra Clipboards Visible=0 Docked=1 Dock=1 Lane=1 Offset=20",
     "EditNewClipboard - EditPasteClipboard1 EditPasteClipboard2 EditPasteClipboard3 "
     "EditPasteClipboard4 EditPasteClipboard5 EditPasteClipboard6 EditPasteClipboard7 "
     "EditPasteClipboard8 EditPasteClipboard9 EditPasteClipboard0"},
    {"Name=Bookmarks Visible=0 Docked=1 Dock=2",
     "EditToggleBookmark1 EditToggleBookmark2 EditToggleBookmark3 EditToggleBookmark4 "
     "EditToggleBookmark5 EditToggleBookmark6 EditToggleBookmark7 EditToggleBookmark8 "
     "EditToggleBookmark9 EditToggleBookmark0 - EditGoToBookmark1 EditGoToBookmark2 "
     "EditGoToBookmark3 EditGoToBookmark4 EditGoToBookmark5 EditGoToBookmark6 "
     "EditGoToBookmark7 EditGoToBookmark8 EditGoToBookmark9 EditGoToBookmark0"},
};

// The stored values of a default bar, the names with blanks kept whole.
std::vector<std::string> ExpectedValues(const TExpectedBar& Bar) {
    std::vector<std::string> Values;
    for (const std::string& Word : Words(Bar.Values)) {
        if (Word.find('=') == std::string::npos)
            Values.back() += " " + Word;
        else
            Values.push_back(Word);
    }
    const std::vector<std::string> Buttons = Words(Bar.Buttons);
    for (std::size_t I = 0; I < Buttons.size(); ++I)
        Values.push_back("Button" + std::to_string(I + 1) + "=" + Buttons[I]);
    return Values;
}

void ExpectDefaultBarsStored(const std::vector<std::string>& Keys,
                             const std::function<std::vector<std::string>(std::string)>& Values) {
    ASSERT_EQ(Keys, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    for (std::size_t I = 0; I < std::size(DefaultBars); ++I) {
        SCOPED_TRACE(Keys[I]);
        EXPECT_EQ(Values(Keys[I]), ExpectedValues(DefaultBars[I]));
    }
}

TEST_F(ToolbarLayouts, FirstStartWritesTheDefaultBarsAndLoadsThem) {
    const std::vector<TToolbarLayout> Layouts = LoadToolbarLayouts();
    ExpectDefaultBarsStored(StoredBars(CurrentKeyIndex),
                            [this](std::string Bar) { return StoredValues(CurrentKeyIndex, Bar); });
    EXPECT_TRUE(StoredBars(LegacyKeyIndex).empty());

    ASSERT_EQ(Layouts.size(), 5u);
    const char* Names[] = {"Standard", "Formatting", "Command Lines", "Extra Clipboards",
                           "Bookmarks"};
    const bool Visible[] = {true, true, true, false, false};
    for (std::size_t I = 0; I < Layouts.size(); ++I) {
        EXPECT_EQ(Layouts[I].Name, Names[I]);
        EXPECT_EQ(Layouts[I].Visible, Visible[I]);
        EXPECT_EQ(Layouts[I].Buttons, Words(DefaultBars[I].Buttons));
        // Never written, so the loader's defaults hold.
        EXPECT_EQ(Layouts[I].FloatLeft, 300);
        EXPECT_EQ(Layouts[I].FloatTop, 200);
        EXPECT_EQ(Layouts[I].FloatRight, -1);
    }
    EXPECT_EQ(Layouts[0].Offset, 0);
    EXPECT_EQ(Layouts[4].Dock, tdBottom);
    EXPECT_EQ(Layouts[4].Lane, 0);
}

TEST_F(ToolbarLayouts, LegacyLayoutIsReadWithoutWritingDefaults) {
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(KeyPath(ToolbarsKeys, LegacyKeyIndex, "1"), true));
        Reg.WriteString("Name", "Old");
        Reg.WriteString("Button1", "FileNew");
    }
    const std::vector<TToolbarLayout> Layouts = LoadToolbarLayouts();
    ASSERT_EQ(Layouts.size(), 1u);
    EXPECT_EQ(Layouts[0].Name, "Old");
    EXPECT_EQ(Layouts[0].Buttons, std::vector<std::string>{"FileNew"});
    EXPECT_TRUE(StoredBars(CurrentKeyIndex).empty());
}

TEST(ToolbarLayoutsUnkept, ASettingsStoreThatCannotBeWrittenStillGivesTheDefaultBars) {
    test::TTempDir Dir;
    test::TSmallDisk Disk(Dir / "config");
    if (!Disk.MakeReadOnly())
        GTEST_SKIP() << "a read-only folder needs a tmpfs mount or a user other than the superuser";
    TScopedRegistryStore Store(Disk.Folder() / "korvid" / "registry");
    SetRegistryReportHandler([](const std::string&) {});
    const std::vector<TToolbarLayout> Layouts = LoadToolbarLayouts();
    SetRegistryReportHandler(nullptr);
    ASSERT_EQ(Layouts.size(), 5u);
    EXPECT_EQ(Layouts[0].Name, "Standard");
    EXPECT_FALSE(std::filesystem::exists(Disk.Folder() / "korvid"));
}

TEST_F(ToolbarLayouts, MissingValuesTakeTheirDefaultsAndButtonsEndAtTheFirstGap) {
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(KeyPath(ToolbarsKeys, CurrentKeyIndex, "1"), true));
        Reg.WriteString("Button1", "FileNew");
        Reg.WriteString("Button2", "FileOpen");
        Reg.WriteString("Button4", "FileSave");
        Reg.WriteInteger("Visible", 0);
        Reg.WriteString("Dock", "left"); // of another type
        ASSERT_TRUE(Reg.OpenKey(KeyPath(ToolbarsKeys, CurrentKeyIndex, "2"), true));
        Reg.WriteString("Button1", "FileNew");
        Reg.WriteString("Button2", "");
        Reg.WriteString("Button3", "FileSave");
    }
    const std::vector<TToolbarLayout> Layouts = LoadToolbarLayouts();
    ASSERT_EQ(Layouts.size(), 2u);
    TToolbarLayout Expected;
    Expected.Visible = false;
    Expected.Buttons = {"FileNew", "FileOpen"};
    EXPECT_EQ(Layouts[0], Expected);
    EXPECT_EQ(Layouts[1].Buttons, std::vector<std::string>{"FileNew"});
}

TEST_F(ToolbarLayouts, SavedLayoutsComeBackInTheirNumberOrder) {
    std::vector<TToolbarLayout> Layouts(12);
    for (std::size_t I = 0; I < Layouts.size(); ++I) {
        Layouts[I].Name = "Bar " + std::to_string(I + 1);
        Layouts[I].Docked = I % 2 == 0;
        Layouts[I].Dock = int(I % 5);
        Layouts[I].Lane = int(I);
        Layouts[I].Offset = int(10 * I);
        Layouts[I].FloatLeft = -5;
        Layouts[I].FloatTop = 7;
        Layouts[I].FloatRight = 640;
        Layouts[I].Buttons = {"EditCut", "-", "EditPaste"};
    }
    SaveToolbarLayouts(Layouts);
    EXPECT_EQ(LoadToolbarLayouts(), Layouts);
    // A shorter list leaves no bar of the longer one behind.
    Layouts.resize(2);
    SaveToolbarLayouts(Layouts);
    EXPECT_EQ(LoadToolbarLayouts(), Layouts);
}

TEST_F(ToolbarLayouts, ResetAfterChangesRestoresExactlyTheDefaultBars) {
    std::vector<TToolbarLayout> Changed = LoadToolbarLayouts();
    for (TToolbarLayout& Bar : Changed) {
        Bar.Visible = !Bar.Visible;
        Bar.Lane = 3;
        Bar.Offset = 99;
        Bar.FloatRight = 500;
        Bar.Buttons.pop_back();
    }
    Changed.resize(7, Changed.front());
    SaveToolbarLayouts(Changed);

    ResetToolbarLayouts();
    ExpectDefaultBarsStored(StoredBars(CurrentKeyIndex),
                            [this](std::string Bar) { return StoredValues(CurrentKeyIndex, Bar); });
}

TEST_F(ToolbarLayouts, ToolsOfNamesSkipsUnknownNames) {
    const std::vector<TKorvidTool*> Tools =
        ToolsOfNames({"editcut", "-", "NoSuchTool", "EditPaste", ""});
    ASSERT_EQ(Tools.size(), 3u);
    EXPECT_EQ(Tools[0]->Name(), "EditCut");
    EXPECT_EQ(Tools[1], nullptr);
    EXPECT_EQ(Tools[2]->Name(), "EditPaste");
}

} // namespace
} // namespace korvid
