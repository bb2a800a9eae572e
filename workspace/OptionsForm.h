#pragma once

#include "foundation/DateTimeUnit.h"
#include "ui/ShortCutEdit.h"
#include "workspace/KorvidOptions.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace korvid {

// ---- Bindings of options to the dialog's controls -------------------------------------------

enum class TOptionControl {
    Check,    // a check box
    Edit,     // a text edit
    FileEdit, // a text edit with a browse button
    Number,   // a text edit read as an integer with a fallback
    Special,  // filled and read by a rule of its own
};

struct TOptionBinding {
    std::string_view Option;  // the settings name
    std::string_view Page;    // the tab holding the control (an inner tab on the Compiler page)
    std::string_view Caption; // as the dialog shows it; empty for the unlabelled controls
    TOptionControl Kind;
};

// Every option the dialog edits, in page order.
std::span<const TOptionBinding> OptionBindings();

// ---- File filters ----------------------------------------------------------------------------

struct TFilter {
    std::string Description;
    std::string Wildcards;
    bool operator==(const TFilter&) const = default;
};

std::string FormatFilterCaption(const std::string& Description, const std::string& Wildcards);
// Pairs of a filter string; an odd last piece has no wildcards.
std::vector<TFilter> ParseFilters(std::string_view Text);
std::string JoinFilters(const std::vector<TFilter>& Filters);

// ---- Compiler profiles -----------------------------------------------------------------------

inline constexpr std::string_view CompilerProfileSection = "Compiler Profile";
// The keys in the order they are written.
std::span<const std::string_view> CompilerProfileKeys();
// The keys of one section of an INI text (names compared ignoring case); none when absent.
std::map<std::string, std::string> ReadIniSection(std::string_view Text, std::string_view Section);
// The INI text with Values written into Section: existing keys are replaced where they stand,
// new ones appended to the section, and the rest of the text is kept.
std::string WriteIniSection(std::string_view Text, std::string_view Section,
                            const std::vector<std::pair<std::string, std::string>>& Values);

// ---- Keyboard --------------------------------------------------------------------------------

// Whether a key may be a tool's shortcut: a key with Ctrl or Alt, or F1 to F24 alone or with
// Shift, as the built-in table has such shortcuts.
bool IsAssignableShortCut(std::uint16_t ShortCut);

// The shortcut box of the Keyboard page: only assignable keys are taken, and each change is
// reported at once.
class TToolShortCutEdit : public TShortCutEdit {
public:
    using TShortCutEdit::TShortCutEdit;
    std::function<void()> OnChange;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};

// The names listed beside a shortcut on the Keyboard page: other listed tools, the main
// menu's Alt keys, and the views that use it.
struct TShortCutOwner {
    std::string Name;
    std::uint16_t ShortCut = 0;
};

// ---- The dialog ------------------------------------------------------------------------------

// What a browse button asks for; the answer is the chosen file name, or empty.
struct TBrowseRequest {
    std::string Title;
    std::string Filter;
    std::string InitialFolder;
    std::string FileName;
    bool Save = false;
};

struct TOptionsFormSetup {
    TDateTimeValue Created = CurrentDateTime();
    TFormatSettings Locale = SystemFormatSettings();
    std::vector<std::string> AllFonts;
    std::vector<std::string> FixedFonts;
    // The active document's file name; empty disables "Use Current".
    std::string ActiveFileName;
    int WindowFontSize = 8;
    // Where backups go, shown on the Storage page.
    std::string BackupFolder;
    // The editor views and their shortcuts.
    std::vector<TShortCutOwner> Views;
    // Starts a command line detached.
    std::function<void(const std::string&)> RunDetached;
    std::function<void(const std::string&)> ReloadMapFile;
    // The file dialog; the real one when left empty.
    std::function<std::string(const TBrowseRequest&)> Browse;
};

// The page remembered from the last OK, for the program's run.
int& OptionsFormLastPage();

class TOptionsForm : public QDialog {
public:
    explicit TOptionsForm(TOptionsFormSetup Setup, QWidget* Parent = nullptr);
    ~TOptionsForm() override;

    void SetOptions(const TKorvidOptions& Options);
    void GetOptions(TKorvidOptions& Options) const;

    // The control editing an option; the three compiler choices share the compiler list.
    QWidget* ControlOf(std::string_view Option) const;
    QTabWidget* Pages() const { return FPages; }
    QPushButton* Button(const QString& Caption) const;

    // ---- File Types ----
    QListWidget* FilterList() const { return FFilterList; }
    QLineEdit* DescriptionEdit() const { return FDescription; }
    QLineEdit* WildcardsEdit() const { return FWildcards; }
    void NewFilter();
    void DeleteFilter();
    void MoveFilter(int Delta);

    // ---- Keyboard ----
    QListWidget* CommandList() const { return FCommands; }
    TToolShortCutEdit* ShortCutBox() const { return FShortCut; }
    QListWidget* ConflictList() const { return FConflicts; }
    QLabel* HintLabel() const { return FHint; }
    void SelectCommand(const std::string& Name);
    // The box's shortcut becomes the selected tool's.
    void ShortCutChanged();
    void ClearShortCut();
    void RestoreDefaults();

    // ---- Time ----
    QMenu* ElementsMenu() const { return FElementsMenu; }
    // Opens the menu's target on the date edit (else the time edit) without showing it.
    void SetElementsTarget(bool DateEdit);
    QLabel* DateExample() const { return FDateExample; }
    QLabel* TimeExample() const { return FTimeExample; }
    QPushButton* DateElementsButton() const { return FDateElements; }
    QPushButton* TimeElementsButton() const { return FTimeElements; }

    // ---- Compiler profiles and actions ----
    void LoadProfile(const std::string& FileName);
    void SaveProfile(const std::string& FileName);
    void LoadProfileClick();
    void SaveProfileClick();
    const std::string& ProfilesFolder() const { return FProfilesFolder; }
    void Register();
    void ReloadNow();
    void UseCurrent();

    QLabel* BackupFolderLabel() const { return FBackupFolderLabel; }

protected:
    void done(int Result) override;
    void showEvent(QShowEvent* Event) override;

private:
    QWidget* AddBoundControl(const TOptionBinding& Binding, QWidget* Page);
    void BuildPages();
    void BuildFileTypesPage(QWidget* Page);
    void BuildKeyboardPage(QWidget* Page);
    void BuildTimePage(QWidget* Page);
    void FillFilters(const std::string& Text);
    void RefreshFilterControls();
    void FilterEdited();
    void ShowCommandSelection();
    void UpdateConflicts();
    void UpdateTimeExample(QLineEdit* Edit, QLabel* Example);
    void UpdateElementsCaptions();
    void InsertElement(int Row);
    void UpdateBackupEdit();
    void RestoreShortCuts();
    std::string ChooseProfile(bool Save);
    std::string BrowseFor(const TBrowseRequest& Request);
    std::vector<std::pair<std::string, std::string>> ProfileValues() const;

    TOptionsFormSetup FSetup;
    std::map<std::string, QWidget*, std::less<>> FControls;
    QTabWidget* FPages = nullptr;
    QTabWidget* FCompilerPages = nullptr;
    QComboBox* FCompilerList = nullptr;
    QLineEdit* FBackupMinutes = nullptr;
    QRadioButton* FFavouritesRight = nullptr;
    QRadioButton* FSeveralRows = nullptr;
    QLabel* FBackupFolderLabel = nullptr;
    QListWidget* FFilterList = nullptr;
    QLineEdit* FDescription = nullptr;
    QLineEdit* FWildcards = nullptr;
    std::vector<TFilter> FFilters;
    bool FUpdating = false;
    QListWidget* FCommands = nullptr;
    TToolShortCutEdit* FShortCut = nullptr;
    QListWidget* FConflicts = nullptr;
    QLabel* FHint = nullptr;
    std::vector<std::uint16_t> FSavedShortCuts;
    std::uint16_t FLastShortCut = 0;
    QMenu* FElementsMenu = nullptr;
    QLineEdit* FElementsTarget = nullptr;
    QLabel* FDateExample = nullptr;
    QLabel* FTimeExample = nullptr;
    QPushButton* FDateElements = nullptr;
    QPushButton* FTimeElements = nullptr;
    std::string FProfilesFolder;
    std::vector<std::pair<QLineEdit*, QPushButton*>> FStorageBrowse;
    QMetaObject::Connection FFocusWatch;
};

} // namespace korvid
