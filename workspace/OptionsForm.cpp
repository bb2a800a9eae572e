#include "workspace/OptionsForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "ui/ButtonGlyph.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "ui/VirtualKeys.h"
#include "workspace/BuiltinTools.h"
#include "workspace/KorvidTool.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace korvid {

namespace {

using enum TOptionControl;

constexpr std::string_view Compiler = "Compiler";
constexpr std::string_view Vosk = "Vosk Pascal";
constexpr std::string_view Ucsd = "UCSD Pascal";
constexpr std::string_view Debugging = "Debugging";
constexpr std::string_view Editing = "Editing";
constexpr std::string_view Look = "Look";
constexpr std::string_view FileTypes = "File Types";
constexpr std::string_view Messages = "Messages";
constexpr std::string_view Storage = "Storage";
constexpr std::string_view Time = "Time";

const std::array<std::string_view, 9> PageCaptions = {"Compiler", "Debugging",  "Editing",
                                                      "Look",     "File Types", "Keyboard",
                                                      "Messages", "Storage",    "Time"};

const TOptionBinding Bindings[] = {
    {"Lorvanta Report Writer", Compiler, "&Compiler:", Special},
    {"Lorvanta Wincode", Compiler, "&Compiler:", Special},
    {"Lorvanta By View", Compiler, "&Compiler:", Special},
    {"EMS Filename", Compiler, "&EMS file:", FileEdit},
    {"EMS Group", Compiler, "&Group:", Edit},
    {"EMS Application", Compiler, "&Application:", Edit},
    {"Lorvanta Map File", Compiler, "&Map file:", Edit},
    {"Lorvanta Modules Root", Compiler, "Modules &root:", Edit},
    {"Lorvanta COM Server", Compiler, "COM ser&ver:", FileEdit},
    {"Lorvanta Warnings", Compiler, "Show &warnings", Check},
    {"Lorvanta Hints", Compiler, "Show &hints", Check},
    {"Lorvanta Hints as Errors", Compiler, "As errors", Check},
    {"Lorvanta Combine Hints and Warnings", Compiler, "Com&bine hints and warnings", Check},
    {"Wyx Debug To Output Text", Compiler, "&Debug the link", Check},
    {"Suppress Script Success", Compiler, "When compiling via a script, list &only the failures",
     Check},
    {"Vosk Pascal", Vosk, "Use &Vosk Pascal", Check},
    {"Always Pick Json", Vosk, "Always show the Pick &JSON File dialog", Check},
    {"Lorvanta Cosmetic Hints", Vosk, "Show cosmetic hints", Check},
    {"Tessel Json", Vosk, "JSON folder:", Edit},
    {"Tessel Temp", Vosk, "Temp area:", Edit},
    {"Pascal Work Volume", Ucsd, "&Pascal work volume (VP):", FileEdit},
    {"p-System Launch Command", Ucsd, "p-System &launch command:", Edit},
    {"p-System Window Title", Ucsd, "p-System window &title:", Edit},
    {"VBat User Script", Ucsd, "&VBat user script:", FileEdit},
    {"VBat Key Log", Ucsd, "Log of &keys sent:", Edit},
    {"VBat Want Input", Ucsd, "Always display parameter&s", Check},
    {"Confirm p-System Keys", Ucsd, "Con&firm", Check},
    {"Delay p-System Keys", Ucsd, "Dela&y", Check},

    {"Map File", Debugging, "&Map file:", Edit},
    {"Auto Show Debugging Bar", Debugging, "Show the debugging &bar automatically", Check},
    {"Open Source On Connect", Debugging,
     "On connecting, open the main source &file listed in the map", Check},
    {"Reload Map After Compile", Debugging, "&Reload map after compiling", Check},
    {"Compile Resumes", Debugging, "When &paused, Compile resumes instead of compiling", Check},
    {"Recentre On Step", Debugging,
     "&Keep the current line in the middle of the screen when stepping locally", Check},
    {"Persist Watches", Debugging, "&Watches persist between connections", Check},
    {"Auto Watches Tab", Debugging, "Select the Watches tab after &adding a watch", Check},
    {"Move Changed Watches", Debugging,
     "When the value of a watched variable changes, m&ove it to the top of the Watches tab", Check},
    {"Addresses In Hex", Debugging, "Show addresses in &hex", Check},
    {"Gapped Memory Dump", Debugging, "Insert a &space every four words when dumping memory",
     Check},
    {"DiskP Row Numbers", Debugging, "Show &table row numbers in record-number notation too",
     Check},
    {"Show Variable Icons", Debugging, "Show &icons", Check},
    {"Show Variable Types", Debugging, "Show &data types", Check},
    {"Show Minor Variables", Debugging, "Show &unused fields and system entities", Check},
    {"Show Local Children", Debugging, "Show &locals of procedures", Check},
    {"Sort Procedures", Debugging, "Sort proc&edures", Check},
    {"Sync Procedures", Debugging, "S&ync procedures with insertion point", Check},
    {"Table Viewer Scope", Debugging, "Table &Viewer shows:", Special},
    {"Table Viewer Modal", Debugging, "&Modal", Check},

    {"Auto Close Favourites", Editing,
     "When &opening a Favourites folder or a debugging branch, close other items at the same level",
     Check},
    {"Bookmark Zero", Editing, "Use bookmark &0 to simplify the use of the other nine bookmarks",
     Check},
    {"File Updates", Editing, "Chec&k for file updates outside Korvid", Check},
    {"Find Current Word", Editing,
     "&Find and Replace default to finding the word at the insertion point", Check},
    {"Fixed Replace", Editing, "Fix the &Replace confirmation box at the top left of the screen",
     Check},
    {"Focus Find Text", Editing,
     "Initially foc&us the Find Text box when browsing a p-System volume", Check},
    {"Interleave Map", Editing, "Interlea&ve source lines from the map file when disassembling",
     Check},
    {"Mark Modified Tabs", Editing, "&Mark tabs of modified files with an asterisk", Check},
    {"Move After Paste", Editing, "Move &insertion point after pasting text", Check},
    {"p-System Aware", Editing, "Enable &p-System functionality", Check},
    {"p-System Backups", Editing, "Create &backups of p-System files", Check},
    {"Recentre On Find", Editing, "When searching, move the line found to the middle of the screen",
     Check},
    {"Retain Filename Case", Editing, "Retain case of file&names when opening or saving files",
     Check},
    {"Save On Command", Editing, "&Save any modified files before running a command line", Check},
    {"Show Only Text Files", Editing,
     "In p-System volumes on the Favourites bar, show only &text files", Check},
    {"Korvid Tabs", Editing,
     "Treat files with the extension .ko&rvidtabs as lists of files to open", Check},
    {"Undo After Save", Editing, "&Can undo changes after a file has been saved", Check},
    {"Update Tiddler Timestamps", Editing, "Update timestamps when saving a .tid file", Check},

    {"Debugging Bar Font Name", Look, "Side&bar font:", Special},
    {"Debugging Bar Font Size", Look, "", Special},
    {"Debugging Bar Monospaced Font Name", Look, "Si&debar monospaced font:", Special},
    {"Debugging Bar Monospaced Font Size", Look, "", Special},
    {"Extra Line Spacing", Look, "E&xtra spacing between lines:", Number},
    {"Favourites On Left", Look, "&left", Special},
    {"Scrollable Tabs", Look, "Show a single row of tabs with scroll &arrows at the end", Special},
    {"Float Debugging Bar", Look, "&Float the Debugging bar", Check},
    {"Hide Extensions", Look, "&Hide file extensions on tabs and in the debugging bar", Check},
    {"Minimize On Close", Look, "&Minimize when closed", Check},
    {"Show Experimental Features", Look, "Show &experimental features", Check},
    {"Show Splash Screen", Look, "Show &splash screen when Korvid starts", Check},
    {"Single Tab", Look, "Use a single &tab for all documents", Check},

    {"File Filters", FileTypes,
     "When &opening and saving files, offer these filters in the Files Of Type list:", Special},

    {"Binary File Message", Messages, "File contains &binary data. Do you still want to open it?",
     Check},
    {"No More Matches Message", Messages, "&No more matches found", Check},
    {"Change Complete Message", Messages, "&Change complete", Check},
    {"Move Bookmark Message", Messages, "&Do you want to move this bookmark?", Check},
    {"Remove Favourite Message", Messages,
     "Do you want to remove this file from your &Favourites/History list?", Check},
    {"Replace File Message", Messages, "Do you want to &replace the existing file?", Check},
    {"Save p-System", Messages, "Do you want to save this &p-System file?", Check},
    {"Unopenable File Message", Messages, "&Korvid was unable to open the file", Check},

    {"Command Lines Filename", Storage, "Store &command lines in:", FileEdit},
    {"Favourites Filename", Storage, "Store &Favourites in:", FileEdit},
    {"History Filename", Storage, "Store &History list in:", FileEdit},
    {"Keystrokes Filename", Storage, "Store recorded &keystrokes in:", FileEdit},
    {"Comparison Utility", Storage, "File comparison &utility:", FileEdit},
    {"Namesake Paths Active", Storage,
     "U&se the following two paths (or partial paths) for \"Compare These Files\":", Check},
    {"Namesake Path 1", Storage, "", Edit},
    {"Namesake Path 2", Storage, "", Edit},
    {"Maximum History", Storage, "&Maximum number of history files:", Number},
    {"Backup Minutes", Storage, "&Backup all open files every", Special},

    {"Date Format", Time, "Format to use when inserting &date:", Edit},
    {"Time Format", Time, "Format to use when inserting &time:", Edit},
};

// The browse dialogs of the edits that have a browse button.
struct TBrowseRow {
    std::string_view Option;
    std::string_view Title;
    std::string_view Filter;
};

constexpr std::string_view TextFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
const TBrowseRow BrowseRows[] = {
    {"Command Lines Filename", "Browse For Command Lines File", TextFilter},
    {"Favourites Filename", "Browse For Favourites File", TextFilter},
    {"History Filename", "Browse For History File", TextFilter},
    {"Keystrokes Filename", "Browse For Keystrokes File", TextFilter},
    {"Comparison Utility", "Browse For File Comparison Utility",
     "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*"},
    {"Lorvanta COM Server", "Browse For Wyx.exe", "EXE Files (*.exe)|*.exe|All Files (*.*)|*.*"},
    {"EMS Filename", "Browse For Lorvanta Compiler EMS File",
     "EMS Files (*.ems)|*.ems|All Files (*.*)|*.*"},
    {"Pascal Work Volume", "Browse For Pascal Work Volume", "Volume Files (*.vol)|*.vol"},
    {"VBat User Script", "Browse For VBat User Script",
     "VBat Files (*.vbat)|*.vbat|All Files (*.*)|*.*"},
};

constexpr std::string_view ProfileFilter =
    "Vosk Compiler Profiles (*.vcp)|*.vcp|All Files (*.*)|*.*";

const std::array<std::string_view, 11> ProfileKeys = {"EMS Filename",
                                                      "EMS Group",
                                                      "EMS Application",
                                                      "Language",
                                                      "Lorvanta Warnings",
                                                      "Lorvanta Hints",
                                                      "Lorvanta Hints as Errors",
                                                      "Suppress Script Success",
                                                      "Lorvanta Map File",
                                                      "Lorvanta COM Server",
                                                      "Lorvanta Modules Root"};

const std::array<const char*, 4> CompilerItems = {"0 - Report Writer", "2 - Lorvanta 2",
                                                  "3 - Lorvanta 3", "X - Let view decide"};
const std::array<const char*, 4> ScopeItems = {
    "Tables in the report", "Tables in a library used by the report", "All tables", "Best guess"};

// The main menu's Alt keys, which a tool's shortcut would shadow.
const std::array<std::pair<char, const char*>, 7> MenuKeys = {{{'F', "FileMenu"},
                                                               {'E', "EditMenu"},
                                                               {'V', "ViewMenu"},
                                                               {'I', "InsertMenu"},
                                                               {'O', "FormatMenu"},
                                                               {'D', "DebugMenu"},
                                                               {'H', "HelpMenu"}}};

std::optional<int> ParseInteger(const QString& Text) {
    bool Ok = false;
    const int Value = Text.trimmed().toInt(&Ok);
    return Ok ? std::optional<int>(Value) : std::nullopt;
}

std::string LowerAscii(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        C = char(std::tolower((unsigned char)C));
    return R;
}

std::string TrimAscii(std::string_view S) {
    return std::string(TrimText(S));
}

// The Qt file-dialog filter of a "Description|*.a;*.b|..." string.
QString QtFilter(std::string_view Filter) {
    QStringList Parts;
    const auto Pairs = ParseFilters(Filter);
    for (const auto& F : Pairs)
        Parts << ToQString(F.Description);
    return Parts.join(";;");
}

std::string WithTrailingSlash(std::string Folder) {
    if (!Folder.empty() && !Folder.ends_with('/') && !Folder.ends_with('\\'))
        Folder += '/';
    return Folder;
}

std::string FolderOf(const std::string& FileName) {
    return std::filesystem::path(FileName).parent_path().string();
}

} // namespace

std::span<const TOptionBinding> OptionBindings() {
    return Bindings;
}

// ---- File filters ----------------------------------------------------------------------------

std::string FormatFilterCaption(const std::string& Description, const std::string& Wildcards) {
    return Wildcards.empty() ? Description : Description + " (" + Wildcards + ")";
}

std::vector<TFilter> ParseFilters(std::string_view Text) {
    std::vector<TFilter> Filters;
    auto Take = [&Text] {
        const auto Bar = Text.find('|');
        std::string Piece(Text.substr(0, Bar));
        Text = Bar == std::string_view::npos ? std::string_view() : Text.substr(Bar + 1);
        return Piece;
    };
    while (!Text.empty()) {
        TFilter F;
        F.Description = Take();
        F.Wildcards = Take();
        Filters.push_back(std::move(F));
    }
    return Filters;
}

std::string JoinFilters(const std::vector<TFilter>& Filters) {
    std::string Text;
    for (const auto& F : Filters) {
        if (!Text.empty())
            Text += '|';
        Text += F.Description + "|" + F.Wildcards;
    }
    return Text;
}

// ---- Compiler profiles -----------------------------------------------------------------------

std::span<const std::string_view> CompilerProfileKeys() {
    return ProfileKeys;
}

namespace {

std::vector<std::string> IniLines(std::string_view Text) {
    std::vector<std::string> Lines;
    SplitToStrings(Text, "\n", Lines);
    for (auto& L : Lines)
        if (L.ends_with('\r'))
            L.pop_back();
    if (!Lines.empty() && Lines.back().empty())
        Lines.pop_back();
    return Lines;
}

// The section named by a "[Name]" line, lower-cased; nothing for other lines.
std::optional<std::string> SectionOfLine(std::string_view Line) {
    const std::string T = TrimAscii(Line);
    if (T.size() >= 2 && T.front() == '[' && T.back() == ']')
        return LowerAscii(TrimAscii(std::string_view(T).substr(1, T.size() - 2)));
    return std::nullopt;
}

} // namespace

std::map<std::string, std::string> ReadIniSection(std::string_view Text, std::string_view Section) {
    std::map<std::string, std::string> Values;
    const std::string Wanted = LowerAscii(Section);
    bool Inside = false;
    for (const auto& Line : IniLines(Text)) {
        if (auto S = SectionOfLine(Line)) {
            Inside = *S == Wanted;
            continue;
        }
        const auto Eq = Line.find('=');
        if (!Inside || Eq == std::string::npos)
            continue;
        const std::string Key = LowerAscii(TrimAscii(std::string_view(Line).substr(0, Eq)));
        if (!Key.empty() && !Values.contains(Key))
            Values[Key] = TrimAscii(std::string_view(Line).substr(Eq + 1));
    }
    return Values;
}

std::string WriteIniSection(std::string_view Text, std::string_view Section,
                            const std::vector<std::pair<std::string, std::string>>& Values) {
    auto Lines = IniLines(Text);
    const std::string Wanted = LowerAscii(Section);
    std::vector<bool> Written(Values.size(), false);
    auto IndexOfKey = [&](const std::string& Line) -> int {
        const auto Eq = Line.find('=');
        if (Eq == std::string::npos)
            return -1;
        const std::string Key = LowerAscii(TrimAscii(std::string_view(Line).substr(0, Eq)));
        for (std::size_t I = 0; I < Values.size(); ++I)
            if (LowerAscii(Values[I].first) == Key)
                return int(I);
        return -1;
    };
    std::vector<std::string> Out;
    bool Inside = false;
    bool Found = false;
    auto AppendMissing = [&] {
        for (std::size_t I = 0; I < Values.size(); ++I)
            if (!Written[I]) {
                Out.push_back(Values[I].first + "=" + Values[I].second);
                Written[I] = true;
            }
    };
    for (const auto& Line : Lines) {
        if (auto S = SectionOfLine(Line)) {
            if (Inside)
                AppendMissing();
            Inside = *S == Wanted;
            Found = Found || Inside;
            Out.push_back(Line);
            continue;
        }
        if (Inside) {
            const int I = IndexOfKey(Line);
            if (I >= 0) {
                if (!Written[std::size_t(I)])
                    Out.push_back(Values[std::size_t(I)].first + "=" +
                                  Values[std::size_t(I)].second);
                Written[std::size_t(I)] = true;
                continue;
            }
        }
        Out.push_back(Line);
    }
    if (Inside)
        AppendMissing();
    if (!Found) {
        Out.push_back("[" + std::string(Section) + "]");
        AppendMissing();
    }
    std::string Result;
    for (const auto& L : Out)
        Result += L + "\r\n";
    return Result;
}

// ---- Keyboard --------------------------------------------------------------------------------

bool IsAssignableShortCut(std::uint16_t ShortCut) {
    const int Key = ShortCut & ShortCutKeyMask;
    if (Key == 0)
        return false;
    if (ShortCut & (ShortCutCtrl | ShortCutAlt))
        return true;
    return Key >= VK_F1 && Key <= VK_F24;
}

void TToolShortCutEdit::keyPressEvent(QKeyEvent* Event) {
    if (IsModifierKey(Event->key())) {
        Event->accept();
        return;
    }
    const std::uint16_t Key = VirtualKeyFromEvent(*Event);
    const std::uint16_t Code = Key ? ShortCutOfStep(Key, ShiftStateFromEvent(*Event)) : 0;
    if (!IsAssignableShortCut(Code)) {
        // Plain Tab, Enter and Esc still move on or answer the dialog.
        Event->ignore();
        return;
    }
    Event->accept();
    if (Code == ShortCut())
        return;
    SetShortCut(Code);
    if (OnChange)
        OnChange();
}

// ---- The dialog ------------------------------------------------------------------------------

int& OptionsFormLastPage() {
    static int Page = 0;
    return Page;
}

TOptionsForm::TOptionsForm(TOptionsFormSetup Setup, QWidget* Parent)
    : QDialog(Parent), FSetup(std::move(Setup)) {
    setWindowTitle("Options");
    setFont(QFont(ToQString(GetDialogFontName())));
    if (FSetup.AllFonts.empty())
        FSetup.AllFonts = FontFamilyNames(false);
    if (FSetup.FixedFonts.empty())
        FSetup.FixedFonts = FontFamilyNames(true);
    BuildPages();
    FBackupFolderLabel->setText(ToQString("in " + WithTrailingSlash(FSetup.BackupFolder)));
    const int Last = OptionsFormLastPage();
    FPages->setCurrentIndex(Last >= 0 && Last < FPages->count() ? Last : 0);
    UpdateElementsCaptions();
    Button("Use &Current")->setEnabled(!FSetup.ActiveFileName.empty());
    resize(760, 620);
    CentreOnMainForm(this);
}

TOptionsForm::~TOptionsForm() {
    // Focus moves while the controls are torn down, after the members are gone.
    disconnect(FFocusWatch);
}

QPushButton* TOptionsForm::Button(const QString& Caption) const {
    for (auto* B : findChildren<QPushButton*>())
        if (B->text() == Caption)
            return B;
    return nullptr;
}

QWidget* TOptionsForm::ControlOf(std::string_view Option) const {
    const auto It = FControls.find(Option);
    return It == FControls.end() ? nullptr : It->second;
}

QWidget* TOptionsForm::AddBoundControl(const TOptionBinding& B, QWidget* Page) {
    auto* Layout = static_cast<QFormLayout*>(Page->layout());
    const QString Caption = ToQString(B.Caption);
    QWidget* Control = nullptr;
    if (B.Kind == Check) {
        Control = new QCheckBox(Caption, Page);
        Layout->addRow(Control);
    } else {
        auto* Edit = new QLineEdit(Page);
        Control = Edit;
        QWidget* Field = Edit;
        if (B.Kind == FileEdit) {
            Field = new QWidget(Page);
            auto* Row = new QHBoxLayout(Field);
            Row->setContentsMargins(0, 0, 0, 0);
            Row->addWidget(Edit);
            auto* Browse = new QPushButton("...", Field);
            if (B.Page == Storage && B.Option != "Comparison Utility")
                FStorageBrowse.emplace_back(Edit, Browse);
            Browse->setMaximumWidth(30);
            Row->addWidget(Browse);
            const auto* It =
                std::find_if(std::begin(BrowseRows), std::end(BrowseRows),
                             [&](const TBrowseRow& R) { return R.Option == B.Option; });
            connect(Browse, &QPushButton::clicked, this, [this, Edit, It] {
                TBrowseRequest Request{std::string(It->Title), std::string(It->Filter),
                                       FolderOf(FromQString(Edit->text())),
                                       FromQString(Edit->text())};
                const std::string Chosen = BrowseFor(Request);
                if (!Chosen.empty())
                    Edit->setText(ToQString(TrueCaseFileName(Chosen, true)));
            });
        }
        if (Caption.isEmpty()) {
            Layout->addRow(Field);
        } else {
            auto* Label = new QLabel(Caption, Page);
            Label->setBuddy(Edit);
            Layout->addRow(Label, Field);
        }
    }
    Control->setObjectName(ToQString(B.Option));
    FControls[std::string(B.Option)] = Control;
    return Control;
}

void TOptionsForm::BuildPages() {
    FPages = new QTabWidget(this);
    std::map<std::string_view, QWidget*> Pages;
    auto NewFormPage = [] {
        auto* Page = new QWidget;
        new QFormLayout(Page);
        return Page;
    };
    for (const auto Caption : PageCaptions) {
        QWidget* Page = Caption == "Compiler" ? new QWidget : NewFormPage();
        Pages[Caption] = Page;
        // Tall pages scroll rather than push the dialog off small screens.
        auto* Scroll = new QScrollArea;
        Scroll->setFrameShape(QFrame::NoFrame);
        Scroll->setWidgetResizable(true);
        Scroll->setWidget(Page);
        FPages->addTab(Scroll, ToQString(Caption));
    }
    // The Compiler page: its own controls above, the two compilers' tabs at the bottom.
    auto* CompilerLayout = new QVBoxLayout(Pages[Compiler]);
    auto* CompilerTop = NewFormPage();
    CompilerLayout->addWidget(CompilerTop);
    FCompilerPages = new QTabWidget;
    FCompilerPages->setTabPosition(QTabWidget::South);
    CompilerLayout->addWidget(FCompilerPages);
    Pages[Vosk] = NewFormPage();
    Pages[Ucsd] = NewFormPage();
    FCompilerPages->addTab(Pages[Vosk], ToQString(Vosk));
    FCompilerPages->addTab(Pages[Ucsd], ToQString(Ucsd));
    Pages[Compiler] = CompilerTop;

    for (const auto& B : Bindings) {
        QWidget* Page = Pages[B.Page];
        auto* Layout = static_cast<QFormLayout*>(Page->layout());
        const std::string Name(B.Option);
        if (B.Kind != Special) {
            AddBoundControl(B, Page);
            continue;
        }
        auto AddLabelled = [&](QWidget* Control, QWidget* Field = nullptr) {
            auto* Label = new QLabel(ToQString(B.Caption), Page);
            Label->setBuddy(Control);
            Layout->addRow(Label, Field ? Field : Control);
        };
        if (Name == "Lorvanta Report Writer") {
            FCompilerList = new QComboBox(Page);
            for (const char* Item : CompilerItems)
                FCompilerList->addItem(Item);
            FCompilerList->setObjectName("Compiler List");
            AddLabelled(FCompilerList);
            auto* Row = new QWidget(Page);
            auto* RowLayout = new QHBoxLayout(Row);
            RowLayout->setContentsMargins(0, 0, 0, 0);
            for (const char* Caption : {"Load...", "Save...", "Register"})
                RowLayout->addWidget(new QPushButton(Caption, Row));
            Layout->addRow(Row);
            connect(Button("Load..."), &QPushButton::clicked, this,
                    &TOptionsForm::LoadProfileClick);
            connect(Button("Save..."), &QPushButton::clicked, this,
                    &TOptionsForm::SaveProfileClick);
            connect(Button("Register"), &QPushButton::clicked, this, &TOptionsForm::Register);
        }
        if (Name.starts_with("Lorvanta ")) {
            FControls[Name] = FCompilerList;
        } else if (Name == "Table Viewer Scope") {
            auto* List = new QComboBox(Page);
            for (const char* Item : ScopeItems)
                List->addItem(Item);
            AddLabelled(List);
            FControls[Name] = List;
        } else if (Name.ends_with("Font Name")) {
            auto* List = new QComboBox(Page);
            for (const auto& F :
                 Name.find("Monospaced") == std::string::npos ? FSetup.AllFonts : FSetup.FixedFonts)
                List->addItem(ToQString(F));
            auto* Size = new QLineEdit(Page);
            Size->setMaximumWidth(50);
            auto* Field = new QWidget(Page);
            auto* Row = new QHBoxLayout(Field);
            Row->setContentsMargins(0, 0, 0, 0);
            Row->addWidget(List, 1);
            Row->addWidget(Size);
            AddLabelled(List, Field);
            FControls[Name] = List;
            FControls[Name.substr(0, Name.size() - 4) + "Size"] = Size;
        } else if (Name.ends_with("Font Size")) {
            // Made with its font list.
        } else if (Name == "Favourites On Left") {
            auto* Row = new QWidget(Page);
            auto* RowLayout = new QHBoxLayout(Row);
            RowLayout->setContentsMargins(0, 0, 0, 0);
            auto* Left = new QRadioButton("&left", Row);
            FFavouritesRight = new QRadioButton("&right", Row);
            RowLayout->addWidget(new QLabel("Attach the Favourites bar to the", Row));
            RowLayout->addWidget(Left);
            RowLayout->addWidget(FFavouritesRight);
            RowLayout->addWidget(new QLabel("side of the main window", Row));
            RowLayout->addStretch();
            Layout->addRow(Row);
            FControls[Name] = Left;
        } else if (Name == "Scrollable Tabs") {
            auto* Box = new QWidget(Page);
            auto* BoxLayout = new QVBoxLayout(Box);
            BoxLayout->setContentsMargins(0, 0, 0, 0);
            FSeveralRows = new QRadioButton("Show more than &one row of tabs", Box);
            auto* Scroll = new QRadioButton(ToQString(B.Caption), Box);
            BoxLayout->addWidget(FSeveralRows);
            BoxLayout->addWidget(Scroll);
            Layout->addRow(Box);
            FControls[Name] = Scroll;
        } else if (Name == "File Filters") {
            BuildFileTypesPage(Page);
        } else if (Name == "Backup Minutes") {
            auto* Row = new QWidget(Page);
            auto* RowLayout = new QHBoxLayout(Row);
            RowLayout->setContentsMargins(0, 0, 0, 0);
            auto* Check = new QCheckBox(ToQString(B.Caption), Row);
            FBackupMinutes = new QLineEdit(Row);
            FBackupMinutes->setObjectName("Backup Minutes Edit");
            FBackupMinutes->setMaximumWidth(50);
            RowLayout->addWidget(Check);
            RowLayout->addWidget(FBackupMinutes);
            RowLayout->addWidget(new QLabel("minutes", Row));
            RowLayout->addStretch();
            Layout->addRow(Row);
            FBackupFolderLabel = new QLabel(Page);
            Layout->addRow(FBackupFolderLabel);
            connect(Check, &QCheckBox::clicked, this, &TOptionsForm::UpdateBackupEdit);
            FControls[Name] = Check;
        }
        if (B.Option == "Lorvanta By View")
            continue;
    }
    // The debugger's actions sit under its map file.
    {
        auto* Page = Pages[Debugging];
        auto* Row = new QWidget(Page);
        auto* RowLayout = new QHBoxLayout(Row);
        RowLayout->setContentsMargins(0, 0, 0, 0);
        RowLayout->addWidget(new QPushButton("Use &Current", Row));
        RowLayout->addWidget(new QPushButton("Reload &Now", Row));
        RowLayout->addWidget(new QLabel("Bad map", Row));
        RowLayout->addStretch();
        static_cast<QFormLayout*>(Page->layout())->insertRow(1, Row);
        connect(Button("Use &Current"), &QPushButton::clicked, this, &TOptionsForm::UseCurrent);
        connect(Button("Reload &Now"), &QPushButton::clicked, this, &TOptionsForm::ReloadNow);
    }
    // Alt+. browses for whichever of the four storage files is being edited.
    FFocusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* Now) {
        if (!std::any_of(FStorageBrowse.begin(), FStorageBrowse.end(),
                         [Now](const auto& P) { return P.first == Now; }))
            return;
        for (const auto& [Edit, Browse] : FStorageBrowse)
            Browse->setText(Edit == Now ? "&..." : "...");
    });
    BuildKeyboardPage(Pages["Keyboard"]);
    BuildTimePage(Pages[Time]);
    connect(FPages, &QTabWidget::currentChanged, this, &TOptionsForm::UpdateElementsCaptions);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FPages);
    Layout->addWidget(Buttons);
}

// ---- SetOptions and GetOptions ---------------------------------------------------------------

void TOptionsForm::SetOptions(const TKorvidOptions& Options) {
    for (const auto& B : Bindings) {
        if (B.Kind == Special)
            continue;
        const auto* Def = FindOptionDef(B.Option);
        const auto Value = GetOptionValue(Options, *Def);
        QWidget* Control = ControlOf(B.Option);
        if (B.Kind == Check)
            static_cast<QCheckBox*>(Control)->setChecked(std::get<bool>(Value));
        else if (B.Kind == Number)
            static_cast<QLineEdit*>(Control)->setText(QString::number(std::get<int>(Value)));
        else
            static_cast<QLineEdit*>(Control)->setText(ToQString(std::get<std::string>(Value)));
    }
    // Backup: 0 means off, and the edit offers the usual period.
    auto* Backup = static_cast<QCheckBox*>(ControlOf("Backup Minutes"));
    Backup->setChecked(Options.BackupMinutes > 0);
    FBackupMinutes->setText(QString::number(Options.BackupMinutes > 0 ? Options.BackupMinutes : 5));
    UpdateBackupEdit();
    // Where stored data has more than one choice on, Wincode counts first.
    FCompilerList->setCurrentIndex(Options.LorvantaWincode        ? 1
                                   : Options.LorvantaReportWriter ? 0
                                   : Options.LorvantaByView       ? 3
                                                                  : 2);
    static_cast<QRadioButton*>(ControlOf("Favourites On Left"))
        ->setChecked(Options.FavouritesOnLeft);
    FFavouritesRight->setChecked(!Options.FavouritesOnLeft);
    static_cast<QRadioButton*>(ControlOf("Scrollable Tabs"))->setChecked(Options.ScrollableTabs);
    FSeveralRows->setChecked(!Options.ScrollableTabs);
    static_cast<QComboBox*>(ControlOf("Table Viewer Scope"))
        ->setCurrentIndex(Options.TableViewerScope < 4 ? Options.TableViewerScope : -1);
    auto SetFont = [this](std::string_view NameOption, const std::string& Name, int Size) {
        auto* List = static_cast<QComboBox*>(ControlOf(NameOption));
        const int Index = List->findText(ToQString(Name));
        List->setCurrentIndex(Index >= 0 ? Index : 0);
        const std::string SizeOption =
            std::string(NameOption.substr(0, NameOption.size() - 4)) + "Size";
        static_cast<QLineEdit*>(ControlOf(SizeOption))->setText(QString::number(Size));
    };
    SetFont("Debugging Bar Font Name", Options.DebuggingBarFontName, Options.DebuggingBarFontSize);
    SetFont("Debugging Bar Monospaced Font Name", Options.DebuggingBarMonospacedFontName,
            Options.DebuggingBarMonospacedFontSize);
    FillFilters(Options.FileFilters);
    FProfilesFolder = Options.ProfilesFolder;
}

void TOptionsForm::GetOptions(TKorvidOptions& Options) const {
    for (const auto& B : Bindings) {
        if (B.Kind == Special)
            continue;
        const auto* Def = FindOptionDef(B.Option);
        QWidget* Control = ControlOf(B.Option);
        if (B.Kind == Check) {
            SetOptionValue(Options, *Def, static_cast<QCheckBox*>(Control)->isChecked());
        } else if (B.Kind == Number) {
            // A field that is not a number takes the option's usual value.
            const int Fallback = B.Option == "Maximum History" ? 200 : 2;
            SetOptionValue(
                Options, *Def,
                ParseInteger(static_cast<QLineEdit*>(Control)->text()).value_or(Fallback));
        } else {
            SetOptionValue(Options, *Def, FromQString(static_cast<QLineEdit*>(Control)->text()));
        }
    }
    Options.BackupMinutes = static_cast<QCheckBox*>(ControlOf("Backup Minutes"))->isChecked()
                                ? ParseInteger(FBackupMinutes->text()).value_or(5)
                                : 0;
    auto FontName = [this](std::string_view Option, std::string Fallback) {
        auto* List = static_cast<QComboBox*>(ControlOf(Option));
        return List->currentIndex() >= 0 ? FromQString(List->currentText()) : Fallback;
    };
    auto FontSize = [this](std::string_view Option) {
        const auto Size = ParseInteger(static_cast<QLineEdit*>(ControlOf(Option))->text());
        return std::max(Size.value_or(FSetup.WindowFontSize), 4);
    };
    Options.DebuggingBarFontName = FontName("Debugging Bar Font Name", GetDialogFontName());
    Options.DebuggingBarMonospacedFontName =
        FontName("Debugging Bar Monospaced Font Name", GetMonospacedFontName());
    Options.DebuggingBarFontSize = FontSize("Debugging Bar Font Size");
    Options.DebuggingBarMonospacedFontSize = FontSize("Debugging Bar Monospaced Font Size");
    const int Compiler = FCompilerList->currentIndex();
    Options.LorvantaReportWriter = Compiler == 0;
    Options.LorvantaWincode = Compiler == 1;
    Options.LorvantaByView = Compiler == 3;
    Options.FavouritesOnLeft =
        static_cast<QRadioButton*>(ControlOf("Favourites On Left"))->isChecked();
    Options.ScrollableTabs = static_cast<QRadioButton*>(ControlOf("Scrollable Tabs"))->isChecked();
    const int Scope = static_cast<QComboBox*>(ControlOf("Table Viewer Scope"))->currentIndex();
    Options.TableViewerScope = std::uint8_t(Scope >= 1 && Scope <= 3 ? Scope : 0);
    for (auto* Name :
         {&Options.CommandLinesFilename, &Options.ComparisonUtility, &Options.FavouritesFilename,
          &Options.HistoryFilename, &Options.KeystrokesFilename})
        if (!Name->empty())
            *Name = TrueCaseFileName(*Name, true);
    Options.TesselJson = WithTrailingSlash(Options.TesselJson);
    Options.FileFilters = JoinFilters(FFilters);
    Options.ProfilesFolder = FProfilesFolder;
}

void TOptionsForm::UpdateBackupEdit() {
    FBackupMinutes->setEnabled(static_cast<QCheckBox*>(ControlOf("Backup Minutes"))->isChecked());
}

void TOptionsForm::showEvent(QShowEvent* Event) {
    if (FFilterList->count() > 0 && FFilterList->currentRow() < 0)
        FFilterList->setCurrentRow(0);
    RefreshFilterControls();
    FCompilerPages->setCurrentIndex(
        static_cast<QCheckBox*>(ControlOf("Vosk Pascal"))->isChecked() ? 0 : 1);
    QDialog::showEvent(Event);
}

void TOptionsForm::done(int Result) {
    if (Result == QDialog::Accepted)
        OptionsFormLastPage() = FPages->currentIndex();
    else
        RestoreShortCuts(); // Esc and the close box undo the Keyboard page too
    QDialog::done(Result);
}

// ---- File Types ------------------------------------------------------------------------------

void TOptionsForm::BuildFileTypesPage(QWidget* Page) {
    auto* Layout = static_cast<QFormLayout*>(Page->layout());
    auto* ListLabel = new QLabel(
        "When &opening and saving files, offer these filters in the Files Of Type list:", Page);
    FFilterList = new QListWidget(Page);
    ListLabel->setBuddy(FFilterList);
    Layout->addRow(ListLabel);
    Layout->addRow(FFilterList);
    FControls["File Filters"] = FFilterList;
    FDescription = new QLineEdit(Page);
    FWildcards = new QLineEdit(Page);
    auto* DescriptionLabel = new QLabel("De&scription:", Page);
    DescriptionLabel->setBuddy(FDescription);
    auto* WildcardsLabel = new QLabel("&Wildcards:", Page);
    WildcardsLabel->setBuddy(FWildcards);
    Layout->addRow(DescriptionLabel, FDescription);
    Layout->addRow(WildcardsLabel, FWildcards);
    Layout->addRow(new QLabel("(separated by semicolons)", Page));
    auto* Row = new QWidget(Page);
    auto* RowLayout = new QHBoxLayout(Row);
    RowLayout->setContentsMargins(0, 0, 0, 0);
    for (const char* Caption : {"&New", "&Delete", "Move &Up", "Move Do&wn"})
        RowLayout->addWidget(new QPushButton(Caption, Row));
    Layout->addRow(Row);
    connect(Button("&New"), &QPushButton::clicked, this, &TOptionsForm::NewFilter);
    connect(Button("&Delete"), &QPushButton::clicked, this, &TOptionsForm::DeleteFilter);
    connect(Button("Move &Up"), &QPushButton::clicked, this, [this] { MoveFilter(-1); });
    connect(Button("Move Do&wn"), &QPushButton::clicked, this, [this] { MoveFilter(1); });
    connect(FFilterList, &QListWidget::currentRowChanged, this,
            &TOptionsForm::RefreshFilterControls);
    connect(FDescription, &QLineEdit::textEdited, this, &TOptionsForm::FilterEdited);
    connect(FWildcards, &QLineEdit::textEdited, this, &TOptionsForm::FilterEdited);
}

void TOptionsForm::FillFilters(const std::string& Text) {
    FUpdating = true;
    FFilterList->clear();
    FFilters = ParseFilters(Text);
    for (const auto& F : FFilters)
        FFilterList->addItem(ToQString(FormatFilterCaption(F.Description, F.Wildcards)));
    FUpdating = false;
    RefreshFilterControls();
}

void TOptionsForm::RefreshFilterControls() {
    FUpdating = true;
    const int Row = FFilterList->currentRow();
    const bool Selected = Row >= 0 && Row < int(FFilters.size());
    for (QWidget* W : {static_cast<QWidget*>(FDescription), static_cast<QWidget*>(FWildcards),
                       static_cast<QWidget*>(Button("&Delete"))})
        W->setEnabled(Selected);
    Button("Move &Up")->setEnabled(Selected && Row >= 1);
    Button("Move Do&wn")->setEnabled(Selected && Row + 1 < int(FFilters.size()));
    FDescription->setText(Selected ? ToQString(FFilters[std::size_t(Row)].Description) : QString());
    FWildcards->setText(Selected ? ToQString(FFilters[std::size_t(Row)].Wildcards) : QString());
    FUpdating = false;
}

void TOptionsForm::FilterEdited() {
    const int Row = FFilterList->currentRow();
    if (FUpdating || Row < 0)
        return;
    auto& F = FFilters[std::size_t(Row)];
    F.Description = FromQString(FDescription->text());
    F.Wildcards = FromQString(FWildcards->text());
    FFilterList->item(Row)->setText(ToQString(FormatFilterCaption(F.Description, F.Wildcards)));
}

void TOptionsForm::NewFilter() {
    const int Row = FFilterList->currentRow();
    const int At = Row >= 0 ? Row + 1 : int(FFilters.size());
    const TFilter F{"All Files", "*.*"};
    FFilters.insert(FFilters.begin() + At, F);
    FFilterList->insertItem(At, ToQString(FormatFilterCaption(F.Description, F.Wildcards)));
    FFilterList->setCurrentRow(At);
    RefreshFilterControls();
    if (FDescription->isEnabled())
        FDescription->setFocus();
}

void TOptionsForm::DeleteFilter() {
    const int Row = FFilterList->currentRow();
    if (Row < 0)
        return;
    FFilters.erase(FFilters.begin() + Row);
    delete FFilterList->takeItem(Row);
    FFilterList->setCurrentRow(FFilters.empty() ? -1 : std::min(Row, int(FFilters.size()) - 1));
    RefreshFilterControls();
}

void TOptionsForm::MoveFilter(int Delta) {
    const int Row = FFilterList->currentRow();
    const int To = Row + Delta;
    if (Row < 0 || To < 0 || To >= int(FFilters.size()))
        return;
    std::swap(FFilters[std::size_t(Row)], FFilters[std::size_t(To)]);
    auto* Item = FFilterList->takeItem(Row);
    FFilterList->insertItem(To, Item);
    FFilterList->setCurrentRow(To);
    RefreshFilterControls();
}

// ---- Keyboard --------------------------------------------------------------------------------

void TOptionsForm::BuildKeyboardPage(QWidget* Page) {
    auto* Layout = static_cast<QFormLayout*>(Page->layout());
    FCommands = new QListWidget(Page);
    FCommands->setIconSize(QSize(16, 16));
    auto* CommandsLabel = new QLabel("&Commands:", Page);
    CommandsLabel->setBuddy(FCommands);
    Layout->addRow(CommandsLabel);
    Layout->addRow(FCommands);
    FHint = new QLabel(Page);
    FHint->setWordWrap(true);
    Layout->addRow(FHint);
    FShortCut = new TToolShortCutEdit(Page);
    auto* ShortCutLabel = new QLabel("&Keyboard shortcut:", Page);
    ShortCutLabel->setBuddy(FShortCut);
    Layout->addRow(ShortCutLabel, FShortCut);
    FConflicts = new QListWidget(Page);
    FConflicts->setMaximumHeight(80);
    auto* ConflictsLabel = new QLabel("Conflicts &with:", Page);
    ConflictsLabel->setBuddy(FConflicts);
    Layout->addRow(ConflictsLabel, FConflicts);
    auto* Row = new QWidget(Page);
    auto* RowLayout = new QHBoxLayout(Row);
    RowLayout->setContentsMargins(0, 0, 0, 0);
    RowLayout->addWidget(new QPushButton("&Restore Defaults", Row));
    RowLayout->addWidget(new QPushButton("Cl&ear", Row));
    RowLayout->addStretch();
    Layout->addRow(Row);
    auto* DesktopKeys = new QLabel(
        "The desktop may take Ctrl+Alt+F2, F3, F5 and F9 (on X servers they switch the console), "
        "so their tools never see them: select such a tool above and give it another shortcut.",
        Page);
    DesktopKeys->setWordWrap(true);
    Layout->addRow(DesktopKeys);
    connect(Button("&Restore Defaults"), &QPushButton::clicked, this,
            &TOptionsForm::RestoreDefaults);
    connect(Button("Cl&ear"), &QPushButton::clicked, this, &TOptionsForm::ClearShortCut);
    FShortCut->OnChange = [this] { ShortCutChanged(); };

    auto& Tools = ToolList();
    const int Count = std::min(Tools.Count(), int(BuiltinTools().size()));
    for (int I = 0; I < Count; ++I) {
        const TKorvidTool* Tool = Tools.Items(I);
        FSavedShortCuts.push_back(Tool->ShortCut());
        if (Tool->Name() == "FormatAutoTextDropDown")
            continue;
        const QImage& Glyph = Tool->Glyph();
        // The glyph's bottom-left pixel gives its transparent colour.
        const QImage Shown =
            Glyph.isNull() ? Glyph : MakeTransparent(Glyph, Glyph.pixel(0, Glyph.height() - 1));
        auto* Item = new QListWidgetItem(QIcon(QPixmap::fromImage(Shown)), ToQString(Tool->Name()));
        Item->setData(Qt::UserRole, I);
        FCommands->addItem(Item);
    }
    FCommands->sortItems();
    FCommands->setCurrentRow(-1);
    connect(FCommands, &QListWidget::currentRowChanged, this, &TOptionsForm::ShowCommandSelection);
    ShowCommandSelection();
}

namespace {

TKorvidTool* ToolOfItem(const QListWidgetItem* Item) {
    return Item ? ToolList().Items(Item->data(Qt::UserRole).toInt()) : nullptr;
}

} // namespace

void TOptionsForm::SelectCommand(const std::string& Name) {
    const auto Found = FCommands->findItems(ToQString(Name), Qt::MatchExactly);
    FCommands->setCurrentItem(Found.isEmpty() ? nullptr : Found.first());
}

void TOptionsForm::ShowCommandSelection() {
    const TKorvidTool* Tool = ToolOfItem(FCommands->currentItem());
    FShortCut->SetShortCut(Tool ? Tool->ShortCut() : 0);
    FShortCut->setEnabled(Tool != nullptr);
    FHint->setText(Tool ? ToQString(Tool->Hint()) : QString());
    UpdateConflicts();
}

void TOptionsForm::ShortCutChanged() {
    if (FShortCut->ShortCut() == FLastShortCut)
        return;
    if (TKorvidTool* Tool = ToolOfItem(FCommands->currentItem()))
        Tool->SetShortCut(FShortCut->ShortCut());
    UpdateConflicts();
}

void TOptionsForm::ClearShortCut() {
    FShortCut->SetShortCut(0);
    ShortCutChanged();
}

void TOptionsForm::RestoreDefaults() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    for (int Row = 0; Row < FCommands->count(); ++Row) {
        const int Index = FCommands->item(Row)->data(Qt::UserRole).toInt();
        ToolList().Items(Index)->SetShortCut(DefaultShortCut(Index));
    }
    ShowCommandSelection();
    QGuiApplication::restoreOverrideCursor();
}

void TOptionsForm::RestoreShortCuts() {
    auto& Tools = ToolList();
    for (int I = 0; I < int(FSavedShortCuts.size()) && I < Tools.Count(); ++I)
        Tools.Items(I)->SetShortCut(FSavedShortCuts[std::size_t(I)]);
}

void TOptionsForm::UpdateConflicts() {
    FConflicts->clear();
    const std::uint16_t ShortCut = FShortCut->ShortCut();
    FLastShortCut = ShortCut;
    const QListWidgetItem* Current = FCommands->currentItem();
    if (!Current || ShortCut == 0)
        return;
    for (int Row = 0; Row < FCommands->count(); ++Row) {
        const auto* Item = FCommands->item(Row);
        if (Item != Current && ToolOfItem(Item)->ShortCut() == ShortCut)
            FConflicts->addItem(Item->text());
    }
    for (const auto& [Letter, Menu] : MenuKeys)
        if (ShortCut == (ShortCutAlt | std::uint16_t(Letter)))
            FConflicts->addItem(Menu);
    for (const auto& View : FSetup.Views)
        if (View.ShortCut == ShortCut)
            FConflicts->addItem(ToQString("View: " + View.Name));
}

// ---- Time ------------------------------------------------------------------------------------

void TOptionsForm::BuildTimePage(QWidget* Page) {
    auto* Layout = static_cast<QFormLayout*>(Page->layout());
    FElementsMenu = new QMenu(this);
    for (int Row = 0; Row < LiteralDateTimeToken; ++Row) {
        if (Row == 10 || Row == 16)
            FElementsMenu->addSeparator();
        FElementsMenu->addAction(ToQString(DateTimeTokens[std::size_t(Row)].Caption),
                                 [this, Row] { InsertElement(Row); });
    }
    auto AddExample = [&](std::string_view Option, QPushButton*& ElementsButton) {
        auto* Edit = static_cast<QLineEdit*>(ControlOf(Option));
        auto* Example = new QLabel(Page);
        ElementsButton = new QPushButton("Elements", Page);
        auto* Row = new QWidget(Page);
        auto* RowLayout = new QHBoxLayout(Row);
        RowLayout->setContentsMargins(0, 0, 0, 0);
        RowLayout->addWidget(Example, 1);
        RowLayout->addWidget(ElementsButton);
        Layout->insertRow(Layout->rowCount(), Row);
        connect(Edit, &QLineEdit::textChanged, this,
                [this, Edit, Example] { UpdateTimeExample(Edit, Example); });
        const bool IsDate = Option == "Date Format";
        connect(ElementsButton, &QPushButton::clicked, this, [this, IsDate, ElementsButton] {
            SetElementsTarget(IsDate);
            FElementsMenu->popup(ElementsButton->mapToGlobal(QPoint(0, ElementsButton->height())));
        });
        return Example;
    };
    // The edits were made with the bindings; the examples and elements buttons follow them.
    auto* DateEdit = ControlOf("Date Format");
    FDateExample = AddExample("Date Format", FDateElements);
    FTimeExample = AddExample("Time Format", FTimeElements);
    FElementsTarget = static_cast<QLineEdit*>(DateEdit);
}

void TOptionsForm::SetElementsTarget(bool DateEdit) {
    FElementsTarget = static_cast<QLineEdit*>(ControlOf(DateEdit ? "Date Format" : "Time Format"));
}

void TOptionsForm::InsertElement(int Row) {
    // insert() replaces the selection and stays one undo step.
    FElementsTarget->insert(
        ToQString("{" + std::string(DateTimeTokens[std::size_t(Row)].Token) + "}"));
}

void TOptionsForm::UpdateTimeExample(QLineEdit* Edit, QLabel* Example) {
    Example->setText(ToQString("e.g. " + ExpandDateTimeTemplate(FromQString(Edit->text()),
                                                                FSetup.Created, FSetup.Locale)));
}

void TOptionsForm::UpdateElementsCaptions() {
    const bool OnTime = FPages->currentIndex() == FPages->count() - 1;
    FDateElements->setText(OnTime ? "&Elements" : "Elements");
    FTimeElements->setText(OnTime ? "Ele&ments" : "Elements");
}

// ---- Compiler profiles and actions -----------------------------------------------------------

std::vector<std::pair<std::string, std::string>> TOptionsForm::ProfileValues() const {
    std::vector<std::pair<std::string, std::string>> Values;
    for (const auto Key : ProfileKeys) {
        std::string Value;
        if (Key == "Language")
            Value = FromQString(FCompilerList->currentText());
        else if (auto* Check = qobject_cast<QCheckBox*>(ControlOf(Key)))
            Value = Check->isChecked() ? "1" : "0";
        else
            Value = FromQString(static_cast<QLineEdit*>(ControlOf(Key))->text());
        Values.emplace_back(std::string(Key), Value);
    }
    return Values;
}

void TOptionsForm::SaveProfile(const std::string& FileName) {
    std::string Existing;
    {
        std::ifstream In(FileName, std::ios::binary);
        std::ostringstream S;
        S << In.rdbuf();
        Existing = S.str();
    }
    WriteFileAtomically(FileName,
                        WriteIniSection(Existing, CompilerProfileSection, ProfileValues()));
    FProfilesFolder = WithTrailingSlash(FolderOf(FileName));
}

void TOptionsForm::LoadProfile(const std::string& FileName) {
    std::ifstream In(FileName, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    const auto Values = ReadIniSection(S.str(), CompilerProfileSection);
    for (const auto Key : ProfileKeys) {
        const auto It = Values.find(LowerAscii(Key));
        if (It == Values.end())
            continue;
        const QString Value = ToQString(It->second);
        if (Key == "Language") {
            const int Index = FCompilerList->findText(Value);
            if (Index >= 0)
                FCompilerList->setCurrentIndex(Index);
        } else if (auto* Check = qobject_cast<QCheckBox*>(ControlOf(Key))) {
            if (const auto Number = ParseInteger(Value))
                Check->setChecked(*Number != 0);
        } else {
            static_cast<QLineEdit*>(ControlOf(Key))->setText(Value);
        }
    }
    FProfilesFolder = WithTrailingSlash(FolderOf(FileName));
}

std::string TOptionsForm::ChooseProfile(bool Save) {
    TBrowseRequest Request{Save ? "Save Compiler Profile" : "Browse For Compiler Profile",
                           std::string(ProfileFilter), FProfilesFolder, "", Save};
    std::string Name = BrowseFor(Request);
    if (Save && !Name.empty() && std::filesystem::path(Name).extension().empty())
        Name += ".vcp";
    return Name;
}

void TOptionsForm::LoadProfileClick() {
    const std::string Name = ChooseProfile(false);
    if (!Name.empty())
        LoadProfile(Name);
}

void TOptionsForm::SaveProfileClick() {
    const std::string Name = ChooseProfile(true);
    if (Name.empty())
        return;
    try {
        SaveProfile(Name);
    } catch (const EFileWriteError& Error) {
        ShowUnableToSaveFileMessage(Error.what());
    }
}

std::string TOptionsForm::BrowseFor(const TBrowseRequest& Request) {
    if (FSetup.Browse)
        return FSetup.Browse(Request);
    const QString Dir =
        ToQString(Request.FileName.empty() ? Request.InitialFolder : Request.FileName);
    const QString Name = Request.Save ? QFileDialog::getSaveFileName(this, ToQString(Request.Title),
                                                                     Dir, QtFilter(Request.Filter))
                                      : QFileDialog::getOpenFileName(this, ToQString(Request.Title),
                                                                     Dir, QtFilter(Request.Filter));
    return FromQString(Name);
}

void TOptionsForm::Register() {
    const std::string Server =
        FromQString(static_cast<QLineEdit*>(ControlOf("Lorvanta COM Server"))->text());
    // With no server named there is nothing to register.
    if (TrimText(Server).empty() || !FSetup.RunDetached)
        return;
    FSetup.RunDetached(Server + " /regserver");
}

void TOptionsForm::ReloadNow() {
    if (FSetup.ReloadMapFile)
        FSetup.ReloadMapFile(FromQString(static_cast<QLineEdit*>(ControlOf("Map File"))->text()));
}

void TOptionsForm::UseCurrent() {
    if (!FSetup.ActiveFileName.empty())
        static_cast<QLineEdit*>(ControlOf("Map File"))->setText(ToQString(FSetup.ActiveFileName));
}

} // namespace korvid
