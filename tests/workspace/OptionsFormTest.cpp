#include "workspace/OptionsForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/VirtualKeyCodes.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "ui/VirtualKeys.h"
#include "workspace/KorvidTool.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace korvid::test {
namespace {

// Each option with the page and caption a user sees it under, as the options table lists them.
struct TShownOption {
    const char* Option;
    const char* Page;
    const char* Caption; // "(size box)": the size box beside a font list, captioned by the list
};
const TShownOption ShownOptions[] = {
    {"Addresses In Hex", "Debugging", "Show addresses in &hex"},
    {"Always Pick Json", "Vosk Pascal", "Always show the Pick &JSON File dialog"},
    {"Auto Close Favourites", "Editing",
     "When &opening a Favourites folder or a debugging branch, close other items at the same "
     "level"},
    {"Auto Show Debugging Bar", "Debugging", "Show the debugging &bar automatically"},
    {"Auto Watches Tab", "Debugging", "Select the Watches tab after &adding a watch"},
    {"Backup Minutes", "Storage", "&Backup all open files every"},
    {"Bookmark Zero", "Editing", "Use bookmark &0 to simplify the use of the other nine bookmarks"},
    {"Command Lines Filename", "Storage", "Store &command lines in:"},
    {"Comparison Utility", "Storage", "File comparison &utility:"},
    {"Compile Resumes", "Debugging", "When &paused, Compile resumes instead of compiling"},
    {"Confirm p-System Keys", "UCSD Pascal", "Con&firm"},
    {"Date Format", "Time", "Format to use when inserting &date:"},
    {"Debugging Bar Font Name", "Look", "Side&bar font:"},
    {"Debugging Bar Font Size", "Look", "(size box)"},
    {"Debugging Bar Monospaced Font Name", "Look", "Si&debar monospaced font:"},
    {"Debugging Bar Monospaced Font Size", "Look", "(size box)"},
    {"Map File", "Debugging", "&Map file:"},
    {"Delay p-System Keys", "UCSD Pascal", "Dela&y"},
    {"DiskP Row Numbers", "Debugging", "Show &table row numbers in record-number notation too"},
    {"Lorvanta By View", "Compiler", "&Compiler:"},
    {"Lorvanta COM Server", "Compiler", "COM ser&ver:"},
    {"EMS Application", "Compiler", "&Application:"},
    {"Lorvanta Combine Hints and Warnings", "Compiler", "Com&bine hints and warnings"},
    {"Wyx Debug To Output Text", "Compiler", "&Debug the link"},
    {"EMS Filename", "Compiler", "&EMS file:"},
    {"EMS Group", "Compiler", "&Group:"},
    {"Lorvanta Map File", "Compiler", "&Map file:"},
    {"Lorvanta Modules Root", "Compiler", "Modules &root:"},
    {"Lorvanta Report Writer", "Compiler", "&Compiler:"},
    {"Lorvanta Cosmetic Hints", "Vosk Pascal", "Show cosmetic hints"},
    {"Lorvanta Hints", "Compiler", "Show &hints"},
    {"Lorvanta Hints as Errors", "Compiler", "As errors"},
    {"Lorvanta Warnings", "Compiler", "Show &warnings"},
    {"Lorvanta Wincode", "Compiler", "&Compiler:"},
    {"Extra Line Spacing", "Look", "E&xtra spacing between lines:"},
    {"Favourites On Left", "Look", "&left"},
    {"Favourites Filename", "Storage", "Store &Favourites in:"},
    {"File Filters", "File Types",
     "When &opening and saving files, offer these filters in the Files Of Type list:"},
    {"File Updates", "Editing", "Chec&k for file updates outside Korvid"},
    {"Find Current Word", "Editing",
     "&Find and Replace default to finding the word at the insertion point"},
    {"Fixed Replace", "Editing", "Fix the &Replace confirmation box at the top left of the screen"},
    {"Float Debugging Bar", "Look", "&Float the Debugging bar"},
    {"Focus Find Text", "Editing",
     "Initially foc&us the Find Text box when browsing a p-System volume"},
    {"Gapped Memory Dump", "Debugging", "Insert a &space every four words when dumping memory"},
    {"Hide Extensions", "Look", "&Hide file extensions on tabs and in the debugging bar"},
    {"History Filename", "Storage", "Store &History list in:"},
    {"Interleave Map", "Editing", "Interlea&ve source lines from the map file when disassembling"},
    {"Keystrokes Filename", "Storage", "Store recorded &keystrokes in:"},
    {"Mark Modified Tabs", "Editing", "&Mark tabs of modified files with an asterisk"},
    {"Maximum History", "Storage", "&Maximum number of history files:"},
    {"Minimize On Close", "Look", "&Minimize when closed"},
    {"Move After Paste", "Editing", "Move &insertion point after pasting text"},
    {"Move Changed Watches", "Debugging",
     "When the value of a watched variable changes, m&ove it to the top of the Watches tab"},
    {"Namesake Paths Active", "Storage",
     "U&se the following two paths (or partial paths) for \"Compare These Files\":"},
    {"Namesake Path 1", "Storage", ""},
    {"Namesake Path 2", "Storage", ""},
    {"Open Source On Connect", "Debugging",
     "On connecting, open the main source &file listed in the map"},
    {"Pascal Work Volume", "UCSD Pascal", "&Pascal work volume (VP):"},
    {"Persist Watches", "Debugging", "&Watches persist between connections"},
    {"p-System Aware", "Editing", "Enable &p-System functionality"},
    {"p-System Backups", "Editing", "Create &backups of p-System files"},
    {"p-System Launch Command", "UCSD Pascal", "p-System &launch command:"},
    {"p-System Window Title", "UCSD Pascal", "p-System window &title:"},
    {"VBat Key Log", "UCSD Pascal", "Log of &keys sent:"},
    {"VBat User Script", "UCSD Pascal", "&VBat user script:"},
    {"VBat Want Input", "UCSD Pascal", "Always display parameter&s"},
    {"Vosk Pascal", "Vosk Pascal", "Use &Vosk Pascal"},
    {"Tessel Json", "Vosk Pascal", "JSON folder:"},
    {"Tessel Temp", "Vosk Pascal", "Temp area:"},
    {"Recentre On Find", "Editing",
     "When searching, move the line found to the middle of the screen"},
    {"Recentre On Step", "Debugging",
     "&Keep the current line in the middle of the screen when stepping locally"},
    {"Reload Map After Compile", "Debugging", "&Reload map after compiling"},
    {"Retain Filename Case", "Editing", "Retain case of file&names when opening or saving files"},
    {"Save On Command", "Editing", "&Save any modified files before running a command line"},
    {"Scrollable Tabs", "Look", "Show a single row of tabs with scroll &arrows at the end"},
    {"Show Experimental Features", "Look", "Show &experimental features"},
    {"Show Local Children", "Debugging", "Show &locals of procedures"},
    {"Binary File Message", "Messages",
     "File contains &binary data. Do you still want to open it?"},
    {"No More Matches Message", "Messages", "&No more matches found"},
    {"Change Complete Message", "Messages", "&Change complete"},
    {"Move Bookmark Message", "Messages", "&Do you want to move this bookmark?"},
    {"Remove Favourite Message", "Messages",
     "Do you want to remove this file from your &Favourites/History list?"},
    {"Replace File Message", "Messages", "Do you want to &replace the existing file?"},
    {"Save p-System", "Messages", "Do you want to save this &p-System file?"},
    {"Unopenable File Message", "Messages", "&Korvid was unable to open the file"},
    {"Show Minor Variables", "Debugging", "Show &unused fields and system entities"},
    {"Show Only Text Files", "Editing",
     "In p-System volumes on the Favourites bar, show only &text files"},
    {"Show Splash Screen", "Look", "Show &splash screen when Korvid starts"},
    {"Show Variable Icons", "Debugging", "Show &icons"},
    {"Show Variable Types", "Debugging", "Show &data types"},
    {"Single Tab", "Look", "Use a single &tab for all documents"},
    {"Sort Procedures", "Debugging", "Sort proc&edures"},
    {"Suppress Script Success", "Compiler", "When compiling via a script, list &only the failures"},
    {"Sync Procedures", "Debugging", "S&ync procedures with insertion point"},
    {"Table Viewer Modal", "Debugging", "&Modal"},
    {"Table Viewer Scope", "Debugging", "Table &Viewer shows:"},
    {"Korvid Tabs", "Editing",
     "Treat files with the extension .ko&rvidtabs as lists of files to open"},
    {"Time Format", "Time", "Format to use when inserting &time:"},
    {"Undo After Save", "Editing", "&Can undo changes after a file has been saved"},
    {"Update Tiddler Timestamps", "Editing", "Update timestamps when saving a .tid file"},
};

std::string Text(const QString& S) {
    return FromQString(S);
}

// The tab that holds the control, as its tab caption reads.
std::string PageOf(const QWidget* Control) {
    for (const QWidget* W = Control; W && W->parentWidget(); W = W->parentWidget())
        if (auto* Stack = qobject_cast<const QStackedWidget*>(W->parentWidget()))
            if (auto* Tabs = qobject_cast<const QTabWidget*>(Stack->parentWidget()))
                return Text(Tabs->tabText(Tabs->indexOf(const_cast<QWidget*>(W))));
    return {};
}

// The text on the control itself, else the label that names it.
std::string CaptionOf(const QDialog& Form, const QWidget* Control) {
    if (auto* Button = qobject_cast<const QAbstractButton*>(Control))
        return Text(Button->text());
    for (const QLabel* Label : Form.findChildren<QLabel*>())
        if (Label->buddy() == Control)
            return Text(Label->text());
    return {};
}

constexpr std::uint16_t VkF12 = VK_F1 + 11;

class TOptionsFormTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::vector<std::string> Started;
    std::vector<std::string> Reloaded;
    std::string ChosenFile;
    std::vector<TBrowseRequest> Browsed;

    void SetUp() override { BuildTools(); }

    TOptionsFormSetup Setup(std::string ActiveFile = "") {
        TOptionsFormSetup S;
        S.Created = {2024, 3, 5, 14, 7, 9, 0};
        S.Locale = EnglishFormatSettings();
        S.AllFonts = {"Arial", "Tahoma", "Verdana"};
        S.FixedFonts = {"Consolas", "Courier New"};
        S.ActiveFileName = std::move(ActiveFile);
        S.WindowFontSize = 9;
        S.BackupFolder = "/home/u/.local/share/korvid/Backup";
        S.Views = {{"Pascal", ShortCutCtrl | std::uint16_t('P')}};
        S.RunDetached = [this](const std::string& Line) { Started.push_back(Line); };
        S.ReloadMapFile = [this](const std::string& Name) { Reloaded.push_back(Name); };
        S.Browse = [this](const TBrowseRequest& R) {
            Browsed.push_back(R);
            return ChosenFile;
        };
        return S;
    }
    std::unique_ptr<TOptionsForm> MakeForm(const TKorvidOptions& Options,
                                           std::string ActiveFile = "") {
        auto Form = std::make_unique<TOptionsForm>(Setup(std::move(ActiveFile)));
        Form->SetOptions(Options);
        return Form;
    }
    static TKorvidOptions Defaults() {
        TKorvidOptions O;
        InitOptions(O);
        O.ExtraLineSpacing = 2;
        O.DebuggingBarFontName = "Tahoma";
        O.DebuggingBarMonospacedFontName = "Consolas";
        return O;
    }
    template <class T> static T* Control(const TOptionsForm& Form, std::string_view Option) {
        return static_cast<T*>(Form.ControlOf(Option));
    }
};

TEST_F(TOptionsFormTest, EveryOptionShowsUnderItsPageAndCaption) {
    auto Form = MakeForm(Defaults());
    for (const auto& Shown : ShownOptions) {
        SCOPED_TRACE(Shown.Option);
        const QWidget* Control = Form->ControlOf(Shown.Option);
        ASSERT_NE(Control, nullptr);
        EXPECT_EQ(PageOf(Control), Shown.Page);
        if (std::string_view(Shown.Caption) != "(size box)") {
            EXPECT_EQ(CaptionOf(*Form, Control), Shown.Caption);
        }
    }
    std::vector<std::string> Tabs;
    for (int I = 0; I < Form->Pages()->count(); ++I)
        Tabs.push_back(Text(Form->Pages()->tabText(I)));
    EXPECT_EQ(Tabs,
              (std::vector<std::string>{"Compiler", "Debugging", "Editing", "Look", "File Types",
                                        "Keyboard", "Messages", "Storage", "Time"}));
}

// A record of random values that the dialog can show as they are.
TKorvidOptions RandomOptions(std::mt19937& Random) {
    TKorvidOptions O;
    auto Pick = [&Random](int N) { return int(Random() % unsigned(N)); };
    const char* const Names[] = {"", "a", "x y", "/tmp", "{date:short}", "C:\\W.vol>M"};
    for (const auto& Def : OptionDefs()) {
        switch (Def.Type()) {
        case TOptionType::Boolean:
            SetOptionValue(O, Def, Pick(2) == 1);
            break;
        case TOptionType::Integer:
        case TOptionType::Byte:
            SetOptionValue(O, Def, 4 + Pick(300));
            break;
        case TOptionType::String:
            SetOptionValue(O, Def, std::string(Names[Pick(6)]));
            break;
        }
    }
    // What the dialog stores in one form only.
    const int Compiler = Pick(4);
    O.LorvantaReportWriter = Compiler == 0;
    O.LorvantaWincode = Compiler == 1;
    O.LorvantaByView = Compiler == 3;
    O.TableViewerScope = std::uint8_t(Pick(4));
    O.DebuggingBarFontName = Pick(2) ? "Arial" : "Verdana";
    O.DebuggingBarMonospacedFontName = "Courier New";
    O.TesselJson = Pick(2) ? "" : "/json/";
    O.FileFilters = Pick(2) ? "All Files|*.*" : "A|*.a|B|*.b;*.c";
    for (auto* Name : {&O.CommandLinesFilename, &O.ComparisonUtility, &O.FavouritesFilename,
                       &O.HistoryFilename, &O.KeystrokesFilename})
        *Name = "";
    return O;
}

bool SameOptions(const TKorvidOptions& A, const TKorvidOptions& B, std::string& Differs) {
    for (const auto& Def : OptionDefs())
        if (GetOptionValue(A, Def) != GetOptionValue(B, Def)) {
            Differs = std::string(Def.Name);
            return false;
        }
    return true;
}

TEST_F(TOptionsFormTest, RandomRecordsComeBackAsTheyWent) {
    std::mt19937 Random(20240305);
    for (int Round = 0; Round < 40; ++Round) {
        const TKorvidOptions Before = RandomOptions(Random);
        auto Form = MakeForm(Before);
        TKorvidOptions After;
        Form->GetOptions(After);
        std::string Differs;
        EXPECT_TRUE(SameOptions(Before, After, Differs)) << "round " << Round << ": " << Differs;
    }
}

TEST_F(TOptionsFormTest, ValuesThatComeBackChanged) {
    struct TCase {
        const char* Rule;
        std::function<void(TKorvidOptions&)> Stored;
        std::function<void(TOptionsForm&)> Typed;
        std::function<void(const TOptionsForm&)> Shown;
        std::function<void(const TKorvidOptions&)> Expect;
    };
    auto Edit = [](TOptionsForm& F, std::string_view Option, const char* Value) {
        static_cast<QLineEdit*>(F.ControlOf(Option))->setText(Value);
    };
    auto BackupEdit = [](const TOptionsForm& F) {
        return F.findChild<QLineEdit*>("Backup Minutes Edit");
    };
    const std::vector<TCase> Cases = {
        {"backup 0 shows unchecked with 5", [](auto& O) { O.BackupMinutes = 0; }, nullptr,
         [&](const TOptionsForm& F) {
             EXPECT_FALSE(Control<QCheckBox>(F, "Backup Minutes")->isChecked());
             EXPECT_EQ(Text(BackupEdit(F)->text()), "5");
             EXPECT_FALSE(BackupEdit(F)->isEnabled());
         },
         [](const auto& O) { EXPECT_EQ(O.BackupMinutes, 0); }},
        {"backup abc checked stores 5", nullptr,
         [&](TOptionsForm& F) {
             Control<QCheckBox>(F, "Backup Minutes")->setChecked(true);
             BackupEdit(F)->setText("abc");
         },
         nullptr, [](const auto& O) { EXPECT_EQ(O.BackupMinutes, 5); }},
        {"spacing x gives 2", nullptr, [&](TOptionsForm& F) { Edit(F, "Extra Line Spacing", "x"); },
         nullptr, [](const auto& O) { EXPECT_EQ(O.ExtraLineSpacing, 2); }},
        {"history x gives 200", nullptr, [&](TOptionsForm& F) { Edit(F, "Maximum History", "x"); },
         nullptr, [](const auto& O) { EXPECT_EQ(O.MaximumHistory, 200); }},
        {"font size x gives the window's size", nullptr,
         [&](TOptionsForm& F) { Edit(F, "Debugging Bar Font Size", "x"); }, nullptr,
         [](const auto& O) { EXPECT_EQ(O.DebuggingBarFontSize, 9); }},
        {"font size 2 gives 4", nullptr,
         [&](TOptionsForm& F) { Edit(F, "Debugging Bar Monospaced Font Size", "2"); }, nullptr,
         [](const auto& O) { EXPECT_EQ(O.DebuggingBarMonospacedFontSize, 4); }},
        {"Wincode and Report Writer both on",
         [](auto& O) { O.LorvantaWincode = O.LorvantaReportWriter = true; }, nullptr,
         [](const TOptionsForm& F) {
             EXPECT_EQ(Text(Control<QComboBox>(F, "Lorvanta Wincode")->currentText()),
                       "2 - Lorvanta 2");
         },
         [](const auto& O) {
             EXPECT_TRUE(O.LorvantaWincode);
             EXPECT_FALSE(O.LorvantaReportWriter);
         }},
        {"Report Writer and By View on",
         [](auto& O) { O.LorvantaReportWriter = O.LorvantaByView = true; }, nullptr,
         [](const TOptionsForm& F) {
             EXPECT_EQ(Text(Control<QComboBox>(F, "Lorvanta Wincode")->currentText()),
                       "0 - Report Writer");
         },
         [](const auto& O) { EXPECT_FALSE(O.LorvantaByView); }},
        {"none on is Lorvanta 3",
         [](auto& O) { O.LorvantaWincode = O.LorvantaReportWriter = O.LorvantaByView = false; },
         nullptr,
         [](const TOptionsForm& F) {
             EXPECT_EQ(Text(Control<QComboBox>(F, "Lorvanta Wincode")->currentText()),
                       "3 - Lorvanta 3");
         },
         nullptr},
        {"By View alone", [](auto& O) { O.LorvantaByView = true; }, nullptr,
         [](const TOptionsForm& F) {
             EXPECT_EQ(Text(Control<QComboBox>(F, "Lorvanta Wincode")->currentText()),
                       "X - Let view decide");
         },
         [](const auto& O) { EXPECT_TRUE(O.LorvantaByView); }},
        {"scope 7 gives 0", [](auto& O) { O.TableViewerScope = 7; }, nullptr, nullptr,
         [](const auto& O) { EXPECT_EQ(O.TableViewerScope, 0); }},
        {"Tessel Json gets its slash", nullptr,
         [&](TOptionsForm& F) { Edit(F, "Tessel Json", "/json"); }, nullptr,
         [](const auto& O) { EXPECT_EQ(O.TesselJson, "/json/"); }},
        {"Tessel Json keeps a backslash", nullptr,
         [&](TOptionsForm& F) { Edit(F, "Tessel Json", "C:\\json\\"); }, nullptr,
         [](const auto& O) { EXPECT_EQ(O.TesselJson, "C:\\json\\"); }},
        {"file names are true-cased", nullptr,
         [&](TOptionsForm& F) {
             Edit(F, "History Filename", (Dir.Path().string() + "/./History.txt").c_str());
         },
         nullptr,
         [&](const auto& O) {
             EXPECT_EQ(O.HistoryFilename,
                       TrueCaseFileName(Dir.Path().string() + "/./History.txt", true));
         }},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Rule);
        TKorvidOptions Before = Defaults();
        if (Case.Stored)
            Case.Stored(Before);
        auto Form = MakeForm(Before);
        if (Case.Shown)
            Case.Shown(*Form);
        if (Case.Typed)
            Case.Typed(*Form);
        TKorvidOptions After;
        Form->GetOptions(After);
        if (Case.Expect)
            Case.Expect(After);
    }
}

// ---- File Types ----

std::vector<std::string> Entries(const QListWidget& List) {
    std::vector<std::string> Texts;
    for (int Row = 0; Row < List.count(); ++Row)
        Texts.push_back(Text(List.item(Row)->text()));
    return Texts;
}

TEST_F(TOptionsFormTest, FilterStringsListAndWriteBack) {
    const struct {
        const char* Stored;
        std::vector<std::string> Listed;
        const char* Written;
    } Cases[] = {
        {"All Files|*.*|Text|*.txt",
         {"All Files (*.*)", "Text (*.txt)"},
         "All Files|*.*|Text|*.txt"},
        {"A|*.a|B", {"A (*.a)", "B"}, "A|*.a|B|"},
        {"", {}, ""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Stored);
        TKorvidOptions O = Defaults();
        O.FileFilters = Case.Stored;
        auto Form = MakeForm(O);
        EXPECT_EQ(Entries(*Form->FilterList()), Case.Listed);
        TKorvidOptions After;
        Form->GetOptions(After);
        EXPECT_EQ(After.FileFilters, Case.Written);
    }
}

TEST_F(TOptionsFormTest, FilterButtonsFollowTheSelection) {
    TKorvidOptions O = Defaults();
    O.FileFilters = "A|*.a|B|*.b|C|*.c";
    auto Form = MakeForm(O);
    auto& List = *Form->FilterList();
    auto States = [&] {
        return std::vector<bool>{
            Form->Button("&Delete")->isEnabled(), Form->Button("Move &Up")->isEnabled(),
            Form->Button("Move Do&wn")->isEnabled(), Form->DescriptionEdit()->isEnabled()};
    };
    using V = std::vector<bool>;
    List.setCurrentRow(-1);
    EXPECT_EQ(States(), (V{false, false, false, false}));
    List.setCurrentRow(0);
    EXPECT_EQ(States(), (V{true, false, true, true}));
    List.setCurrentRow(2);
    EXPECT_EQ(States(), (V{true, true, false, true}));
    EXPECT_EQ(Text(Form->DescriptionEdit()->text()), "C");

    Form->MoveFilter(-1);
    EXPECT_EQ(Entries(List), (std::vector<std::string>{"A (*.a)", "C (*.c)", "B (*.b)"}));
    EXPECT_EQ(List.currentRow(), 1);

    Form->NewFilter();
    EXPECT_EQ(List.currentRow(), 2);
    EXPECT_EQ(Text(List.item(2)->text()), "All Files (*.*)");
    Form->DescriptionEdit()->setText("D");
    Form->DescriptionEdit()->textEdited("D");
    EXPECT_EQ(Text(List.item(2)->text()), "D (*.*)");

    List.setCurrentRow(3);
    Form->DeleteFilter(); // the last: the new last is selected
    EXPECT_EQ(List.currentRow(), 2);
    List.setCurrentRow(0);
    Form->DeleteFilter(); // another takes its place
    EXPECT_EQ(List.currentRow(), 0);
    EXPECT_EQ(Text(List.item(0)->text()), "C (*.c)");
    Form->DeleteFilter();
    Form->DeleteFilter();
    EXPECT_EQ(List.count(), 0);
    EXPECT_EQ(States(), (V{false, false, false, false}));
    TKorvidOptions After;
    Form->GetOptions(After);
    EXPECT_EQ(After.FileFilters, "");
}

// ---- Keyboard ----

std::vector<std::string> Conflicts(const TOptionsForm& Form) {
    return Entries(*Form.ConflictList());
}

void PressInBox(TOptionsForm& Form, int Key, Qt::KeyboardModifiers Modifiers) {
    QKeyEvent Event(QEvent::KeyPress, Key, Modifiers);
    QApplication::sendEvent(Form.ShortCutBox(), &Event);
}

TEST_F(TOptionsFormTest, TheCommandsListIsSortedWithoutTheAutoTextDropDown) {
    auto Form = MakeForm(Defaults());
    const auto Names = Entries(*Form->CommandList());
    EXPECT_EQ(Names.size(), 157u);
    EXPECT_TRUE(std::is_sorted(Names.begin(), Names.end()));
    EXPECT_EQ(std::count(Names.begin(), Names.end(), "FormatAutoTextDropDown"), 0);
    EXPECT_FALSE(Form->ShortCutBox()->isEnabled());
}

// The console-switching keys keep their tools; the page says how to reach those tools anyway.
TEST_F(TOptionsFormTest, TheKeyboardPageWarnsOfTheKeysTheDesktopTakes) {
    auto Form = MakeForm(Defaults());
    QWidget* KeyboardPage = Form->CommandList()->parentWidget();
    const QLabel* Warning = nullptr;
    for (const QLabel* Label : KeyboardPage->findChildren<QLabel*>())
        if (Label->text().contains("Ctrl+Alt+F2"))
            Warning = Label;
    ASSERT_NE(Warning, nullptr);
    for (const char* Part : {"F3", "F5", "F9", "desktop", "another shortcut"})
        EXPECT_TRUE(Warning->text().contains(Part)) << Part;
}

TEST_F(TOptionsFormTest, ConflictsAreListedAndTheShortCutStays) {
    auto Form = MakeForm(Defaults());
    bool Found = false;
    auto& Tools = ToolList();
    TKorvidTool* Help = Tools.Items(FindToolByName("HelpAbout", Found));
    ASSERT_TRUE(Found);
    Form->SelectCommand("HelpAbout");
    EXPECT_EQ(Text(Form->HintLabel()->text()), Help->Hint());

    PressInBox(*Form, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(Help->ShortCut(), ShortCutAlt | VkOfChar('F'));
    EXPECT_EQ(Conflicts(*Form), (std::vector<std::string>{"FileMenu"}));

    PressInBox(*Form, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Help->ShortCut(), ShortCutCtrl | VkOfChar('N'));
    EXPECT_EQ(Conflicts(*Form), (std::vector<std::string>{"FileNew"}));

    PressInBox(*Form, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Conflicts(*Form), (std::vector<std::string>{"FilePrint", "View: Pascal"}));

    Form->Button("Cl&ear")->click();
    EXPECT_EQ(Help->ShortCut(), 0);
    EXPECT_TRUE(Conflicts(*Form).empty());

    Form->SelectCommand("FileNew");
    Form->ClearShortCut();
    Form->RestoreDefaults();
    for (int I = 0; I < Tools.Count(); ++I)
        if (Tools.Items(I)->Name() != "FormatAutoTextDropDown") {
            EXPECT_EQ(Tools.Items(I)->ShortCut(), DefaultShortCut(I)) << Tools.Items(I)->Name();
        }
}

TEST_F(TOptionsFormTest, EveryWayOutButOkGivesTheShortCutsBack) {
    const struct {
        const char* Way;
        std::function<void(TOptionsForm&)> Close;
        bool Kept;
    } Cases[] = {
        {"Cancel", [](TOptionsForm& F) { F.Button("Cancel")->click(); }, false},
        {"Escape",
         [](TOptionsForm& F) {
             QKeyEvent Esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&F, &Esc);
         },
         false},
        {"close box", [](TOptionsForm& F) { F.close(); }, false},
        {"OK", [](TOptionsForm& F) { F.Button("OK")->click(); }, true},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Way);
        BuildTools();
        auto Form = MakeForm(Defaults());
        Form->show();
        Form->SelectCommand("HelpAbout");
        PressInBox(*Form, Qt::Key_F12, Qt::ControlModifier);
        Form->SelectCommand("FileNew");
        Form->ClearShortCut();
        Case.Close(*Form);
        bool Found = false;
        const auto* About = ToolList().Items(FindToolByName("HelpAbout", Found));
        const auto* New = ToolList().Items(FindToolByName("FileNew", Found));
        EXPECT_EQ(About->ShortCut() == (ShortCutCtrl | VkF12), Case.Kept);
        EXPECT_EQ(New->ShortCut() == 0, Case.Kept);
    }
}

TEST_F(TOptionsFormTest, TheShortCutBoxTakesOnlyAssignableKeys) {
    const struct {
        int Key;
        Qt::KeyboardModifiers Modifiers;
        bool Taken;
    } Cases[] = {
        {Qt::Key_A, Qt::ControlModifier, true},
        {Qt::Key_A, Qt::AltModifier, true},
        {Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier, true},
        {Qt::Key_F5, Qt::NoModifier, true},
        {Qt::Key_F24, Qt::ShiftModifier, true},
        {Qt::Key_A, Qt::NoModifier, false},
        {Qt::Key_A, Qt::ShiftModifier, false},
        {Qt::Key_Return, Qt::NoModifier, false},
        {Qt::Key_Escape, Qt::NoModifier, false},
        {Qt::Key_Delete, Qt::NoModifier, false},
        {Qt::Key_Control, Qt::ControlModifier, false},
    };
    auto Form = MakeForm(Defaults());
    Form->SelectCommand("HelpAbout");
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Key);
        Form->ShortCutBox()->SetShortCut(0);
        PressInBox(*Form, Case.Key, Case.Modifiers);
        EXPECT_EQ(Form->ShortCutBox()->ShortCut() != 0, Case.Taken);
    }
    BuildTools();
}

// ---- Time ----

TEST_F(TOptionsFormTest, TheElementsMenuAndTheExamples) {
    auto Form = MakeForm(Defaults());
    const auto Actions = Form->ElementsMenu()->actions();
    ASSERT_EQ(Actions.size(), 25);
    EXPECT_TRUE(Actions[10]->isSeparator());
    EXPECT_TRUE(Actions[17]->isSeparator());
    EXPECT_EQ(Text(Actions[0]->text()), "Day Number\t1");
    EXPECT_EQ(Text(Actions[9]->text()), "Year Number\t2001");
    EXPECT_EQ(Text(Actions[11]->text()), "Hour Number\t1");
    EXPECT_EQ(Text(Actions[18]->text()), "am/pm");
    EXPECT_EQ(Text(Actions[24]->text()), "Time Separator");

    auto* Date = Control<QLineEdit>(*Form, "Date Format");
    Date->setText("on ");
    Date->setSelection(1, 1); // "n" is replaced
    Form->SetElementsTarget(true);
    Actions[1]->trigger();
    EXPECT_EQ(Text(Date->text()), "o{day:01} ");
    EXPECT_EQ(Text(Form->DateExample()->text()), "e.g. o05 ");
    Date->setText("{day:1");
    EXPECT_EQ(Text(Form->DateExample()->text()), "e.g. <Invalid format>");
    Control<QLineEdit>(*Form, "Time Format")->setText("{hour:01}:{min:01}");
    EXPECT_EQ(Text(Form->TimeExample()->text()), "e.g. 14:07");

    Form->Pages()->setCurrentIndex(Form->Pages()->count() - 1);
    EXPECT_EQ(Text(Form->DateElementsButton()->text()), "&Elements");
    EXPECT_EQ(Text(Form->TimeElementsButton()->text()), "Ele&ments");
    Form->Pages()->setCurrentIndex(0);
    EXPECT_EQ(Text(Form->DateElementsButton()->text()), "Elements");
    EXPECT_EQ(Text(Form->TimeElementsButton()->text()), "Elements");
}

// ---- Compiler profiles ----

std::string ReadText(const std::filesystem::path& P) {
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

void WriteText(const std::filesystem::path& P, const std::string& Text) {
    std::ofstream(P, std::ios::binary) << Text;
}

TKorvidOptions ProfileOptions() {
    TKorvidOptions O;
    InitOptions(O);
    O.EMSFilename = "/ems/a.ems";
    O.EMSGroup = "G 1";
    O.EMSApplication = "App";
    O.LorvantaWincode = true;
    O.LorvantaWarnings = false;
    O.LorvantaHints = true;
    O.LorvantaHintsAsErrors = true;
    O.SuppressScriptSuccess = false;
    O.LorvantaMapFile = "WORK:MAP";
    O.LorvantaCOMServer = "/bin/wyx";
    O.LorvantaModulesRoot = "/mods";
    return O;
}

TEST_F(TOptionsFormTest, ASavedProfileReadsExactlyAndLoadsBack) {
    const auto File = Dir / "p.vcp";
    WriteText(File, "[Other]\r\nKeep=1\r\n");
    auto Form = MakeForm(ProfileOptions());
    ChosenFile = (Dir / "p").string(); // no extension typed
    Form->Button("Save...")->click();
    EXPECT_EQ(Browsed.back().Title, "Save Compiler Profile");
    EXPECT_EQ(ReadText(File), "[Other]\r\nKeep=1\r\n"
                              "[Compiler Profile]\r\n"
                              "EMS Filename=/ems/a.ems\r\n"
                              "EMS Group=G 1\r\n"
                              "EMS Application=App\r\n"
                              "Language=2 - Lorvanta 2\r\n"
                              "Lorvanta Warnings=0\r\n"
                              "Lorvanta Hints=1\r\n"
                              "Lorvanta Hints as Errors=1\r\n"
                              "Suppress Script Success=0\r\n"
                              "Lorvanta Map File=WORK:MAP\r\n"
                              "Lorvanta COM Server=/bin/wyx\r\n"
                              "Lorvanta Modules Root=/mods\r\n");
    EXPECT_EQ(Form->ProfilesFolder(), Dir.Path().string() + "/");

    TKorvidOptions Fresh;
    InitOptions(Fresh);
    auto Other = MakeForm(Fresh);
    ChosenFile = File.string();
    Other->Button("Load...")->click();
    EXPECT_EQ(Browsed.back().Title, "Browse For Compiler Profile");
    TKorvidOptions Loaded;
    Other->GetOptions(Loaded);
    const TKorvidOptions Want = ProfileOptions();
    for (const auto Key : CompilerProfileKeys()) {
        if (Key == "Language")
            continue;
        const auto* Def = FindOptionDef(Key);
        EXPECT_EQ(GetOptionValue(Loaded, *Def), GetOptionValue(Want, *Def)) << Key;
    }
    EXPECT_TRUE(Loaded.LorvantaWincode);
    EXPECT_EQ(Loaded.ProfilesFolder, Dir.Path().string() + "/");
}

TEST_F(TOptionsFormTest, AProfileThatCannotBeSavedSaysSoAsAnyUnsavedFileDoes) {
    auto Form = MakeForm(ProfileOptions());
    ChosenFile = (Dir / "missing folder" / "p.vcp").string();
    TScriptedModals Modals;
    Modals.Press("OK");
    EXPECT_NO_THROW(Form->Button("Save...")->click());
    ASSERT_EQ(Modals.Shown().size(), 1u);
    ASSERT_TRUE(Modals.Last().Message);
    const std::string& Text = Modals.Last().Message->Text;
    EXPECT_TRUE(Text.starts_with("Korvid was unable to save the file.")) << Text;
    EXPECT_NE(Text.find("p.vcp"), std::string::npos) << Text;
    EXPECT_FALSE(std::filesystem::exists(Dir / "missing folder"));
}

TEST_F(TOptionsFormTest, MissingKeysLeaveTheirControlsAndOtherSectionsSurvive) {
    const auto File = Dir / "p.vcp";
    WriteText(File, "[compiler profile]\r\nems group = New\r\nLorvanta "
                    "Hints=7\r\nLanguage=Klingon\r\n[Tail]\r\nX=y\r\n");
    auto Form = MakeForm(ProfileOptions());
    Form->LoadProfile(File.string());
    TKorvidOptions Loaded;
    Form->GetOptions(Loaded);
    EXPECT_EQ(Loaded.EMSGroup, "New");
    EXPECT_TRUE(Loaded.LorvantaHints);
    EXPECT_TRUE(Loaded.LorvantaWincode); // an unknown language leaves the list
    EXPECT_EQ(Loaded.EMSFilename, "/ems/a.ems");
    EXPECT_EQ(Loaded.LorvantaModulesRoot, "/mods");

    Form->SaveProfile(File.string());
    const std::string Saved = ReadText(File);
    EXPECT_NE(Saved.find("[Tail]\r\nX=y\r\n"), std::string::npos) << Saved;
    EXPECT_NE(Saved.find("EMS Group=New\r\n"), std::string::npos) << Saved;
    EXPECT_EQ(ReadIniSection(Saved, "Compiler Profile").size(), 11u);
}

// ---- Actions ----

TEST_F(TOptionsFormTest, RegisterRunsTheServerOnlyWhenOneIsNamed) {
    auto Form = MakeForm(ProfileOptions());
    Form->Button("Register")->click();
    EXPECT_EQ(Started, (std::vector<std::string>{"/bin/wyx /regserver"}));
    Control<QLineEdit>(*Form, "Lorvanta COM Server")->setText("");
    Form->Button("Register")->click();
    EXPECT_EQ(Started.size(), 1u);
}

TEST_F(TOptionsFormTest, MapActions) {
    auto Unnamed = MakeForm(Defaults());
    EXPECT_FALSE(Unnamed->Button("Use &Current")->isEnabled());
    auto Form = MakeForm(Defaults(), "/src/prog.map");
    EXPECT_TRUE(Form->Button("Use &Current")->isEnabled());
    Form->Button("Use &Current")->click();
    EXPECT_EQ(Text(Control<QLineEdit>(*Form, "Map File")->text()), "/src/prog.map");
    Form->Button("Reload &Now")->click();
    EXPECT_EQ(Reloaded, (std::vector<std::string>{"/src/prog.map"}));
}

TEST_F(TOptionsFormTest, AltDotBrowsesForTheStorageFileBeingEdited) {
    auto Form = MakeForm(Defaults());
    Form->show();
    QApplication::setActiveWindow(Form.get());
    Form->Pages()->setCurrentIndex(7);
    auto ButtonBeside = [&](std::string_view Option) {
        return Form->ControlOf(Option)->parentWidget()->findChild<QPushButton*>();
    };
    const char* const Files[] = {"Command Lines Filename", "Favourites Filename",
                                 "History Filename", "Keystrokes Filename"};
    for (const char* Focused : Files) {
        Form->ControlOf(Focused)->setFocus();
        QApplication::processEvents();
        for (const char* Other : Files)
            EXPECT_EQ(Text(ButtonBeside(Other)->text()), Other == Focused ? "&..." : "...")
                << Focused << " / " << Other;
    }
}

TEST_F(TOptionsFormTest, TheBackupLabelNamesTheFolder) {
    auto Form = MakeForm(Defaults());
    EXPECT_EQ(Text(Form->BackupFolderLabel()->text()), "in /home/u/.local/share/korvid/Backup/");
}

} // namespace
} // namespace korvid::test
