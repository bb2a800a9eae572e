#pragma once

#include "platform/Colors.h"
#include "platform/Paths.h"
#include "ui/ModalRunner.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class QFileDialog;
class QKeyEvent;
class QPrinter;
class QPushButton;
class QString;

// The program's open, save, colour and print dialogs. They differ from the stock ones in being
// centred in the work area of the monitor that shows the main window, and in running through
// the replaceable modal runner.
namespace korvid {

class TCommonDialog {
public:
    TCommonDialog() = default;
    TCommonDialog(const TCommonDialog&) = delete;
    TCommonDialog& operator=(const TCommonDialog&) = delete;
    virtual ~TCommonDialog() = default;

    // True when the user confirmed; a cancelled dialog leaves every property as it was.
    virtual bool Execute() = 0;

    bool Ctl3D = true;
    int HelpContext = 0;
    std::function<void()> OnShow;
    std::function<void()> OnClose;

protected:
    // Centres Dialog, fires OnShow and OnClose around it and answers whether it was accepted.
    bool RunDialog(QDialog& Dialog);
};

// ---- Open and save -------------------------------------------------------------------------

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
};
using TOpenOptions = std::set<TOpenOption>;

// One entry of a filter such as "Text files|*.txt;*.doc|All Files|*.*".
struct TFileFilter {
    std::string Description;
    std::vector<std::string> Patterns;
    bool operator==(const TFileFilter&) const = default;
};

std::vector<TFileFilter> ParseFileFilter(std::string_view Filter);
// "Desc|*.a;*.b" becomes "Desc (*.a *.b)"; "*.*" becomes "*" so that names without an
// extension match too.
std::vector<std::string> QtNameFilters(std::string_view Filter);
// One trailing separator is dropped unless it follows a drive's colon.
std::string TrimInitialDir(std::string_view Dir);

class TOpenDialog : public TCommonDialog {
public:
    bool Execute() override;

    std::string DefaultExt; // without the dot
    std::filesystem::path FileName;
    std::string Filter;
    int FilterIndex = 1;
    TOpenOptions Options = {ofHideReadOnly};
    std::string Title;
    // The chosen files, every one a full path.
    std::vector<std::filesystem::path> Files;
    std::function<void()> OnFolderChange;
    std::function<void()> OnSelectionChange;
    std::function<void()> OnTypeChange;

    // While the dialog is open, the path and filter selected in it; else FileName and
    // FilterIndex.
    std::filesystem::path CurrentFileName() const;
    int CurrentFilterIndex() const;

    const std::filesystem::path& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const std::filesystem::path& Dir);

protected:
    virtual bool IsSaveDialog() const { return false; }

private:
    void Prepare(QFileDialog& Dialog) const;
    void ReadBack(const QFileDialog& Dialog);

    std::filesystem::path FInitialDir;
    QFileDialog* FOpenDialog = nullptr;
};

class TSaveDialog : public TOpenDialog {
protected:
    bool IsSaveDialog() const override { return true; }
};

// A script step: picks these files (all in one folder) in an open or save dialog and confirms.
TModalStep ChooseFiles(std::vector<std::filesystem::path> Names);

// ---- Colour --------------------------------------------------------------------------------

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = std::set<TColorDialogOption>;

inline constexpr int CustomColorCount = 16;

class TColorDialog : public TCommonDialog {
public:
    TColorDialog() { Ctl3D = false; }
    bool Execute() override;

    TColor Color = 0;
    // Entries "ColorA=xxxxxx" to "ColorP=xxxxxx", hexadecimal with red in the low byte.
    std::vector<std::string> CustomColors;
    TColorDialogOptions Options;

    // The custom colour named "Color" + Letter, or -1 when there is none.
    long long CustomColor(char Letter) const;
    void SetCustomColor(char Letter, TColor Value);
};

// ---- Print ---------------------------------------------------------------------------------

enum TPrintDialogOption {
    poPrintToFile,
    poPageNums,
    poSelection,
    poWarning,
    poHelp,
    poDisablePrintToFile,
};
using TPrintDialogOptions = std::set<TPrintDialogOption>;
enum TPrintRange { prAllPages, prSelection, prPageNums };

// The program's one printer.
QPrinter& Printer();

class TPrintDialog : public TCommonDialog {
public:
    bool Execute() override;

    bool Collate = false;
    int Copies() const { return FCopies; }
    // Also sets the printer's number of copies.
    void SetCopies(int Value);
    int FromPage = 0;
    int ToPage = 0;
    int MinPage = 0;
    int MaxPage = 0;
    TPrintDialogOptions Options;
    bool PrintToFile = false;
    TPrintRange PrintRange = prAllPages;

private:
    int FCopies = 0;
};

// ---- Message dialog ------------------------------------------------------------------------

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
};
using TMsgDlgButtons = std::set<TMsgDlgBtn>;

// Modal results of the message dialog's buttons.
enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// A small message dialog sized in dialog units of its font: a title and icon by type and one
// button per requested button, in a fixed order.
class TMessageDialogForm : public QDialog {
    Q_OBJECT

public:
    TMessageDialogForm(std::string_view Text, TMsgDlgType Type, const TMsgDlgButtons& Buttons);

    std::string Text() const { return FText; }
    TMsgDlgType Type() const { return FType; }
    // Button captions in the order shown.
    std::vector<std::string> ButtonCaptions() const;
    std::string DefaultButton() const;
    std::string CancelButton() const;

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    std::string FText;
    TMsgDlgType FType;
    std::vector<QPushButton*> FButtons;
    QPushButton* FDefault = nullptr;
    QPushButton* FCancel = nullptr;
};

std::string MessageDialogTitle(TMsgDlgType Type);
// A modal result (TModalResult).
int MessageDlg(std::string_view Text, TMsgDlgType Type, const TMsgDlgButtons& Buttons,
               int HelpContext);
// A negative X or Y keeps the default position for that coordinate.
int MessageDlgPos(std::string_view Text, TMsgDlgType Type, const TMsgDlgButtons& Buttons,
                  int HelpContext, int X, int Y);
void ShowMessage(std::string_view Text);
void ShowMessagePos(std::string_view Text, int X, int Y);

} // namespace korvid
