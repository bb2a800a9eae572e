#include "ui/MessagesUnit.h"

#include "foundation/TextFileWriter.h"
#include "platform/Cp1252.h"
#include "ui/HackedDialogs.h"
#include "ui/MessageBoxUnit.h"
#include "ui/ModalRunner.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <array>
#include <cerrno>
#include <system_error>

namespace korvid {

namespace {

constexpr std::array<std::string_view, 2> SearchCaptions = {"Find", "Replace"};
constexpr std::array<std::string_view, 2> LoadCaptions = {"Open", "Insert File"};
constexpr std::array<std::string_view, 2> LoadVerbs = {"open", "insert"};
constexpr std::array<std::string_view, 6> ListKinds = {
    "toolbars", "default toolbars", "History list", "Favourites list", "views", "command lines"};

const std::string CR(1, MessageLineBreak);
const std::string ShowNextTime = "&Show this next time";
const std::string CantUndo = CR + CR + "Warning: This action can't be undone.";

template <std::size_t N>
std::string_view WordOf(const std::array<std::string_view, N>& Table, int Index) {
    return Table.at(static_cast<std::size_t>(Index));
}

// One message box being put together.
class TMessage {
public:
    TMessage(std::string_view Caption, std::string_view Text, TMessageIcon Icon) {
        FForm.SetCaption(Caption);
        FForm.Text = std::string(Text);
        FForm.SetMessageIcon(Icon);
    }

    TMessage& Button(std::string_view Caption, int Value, bool IsDefault = false,
                     bool IsCancel = false, TMessageButton::TCheckHook Hook = {}) {
        FLastButton = FForm.AddMessageButton(Caption, IsDefault, std::move(Hook), Value, IsCancel);
        if (IsCancel)
            FCancelValue = Value;
        return *this;
    }
    TMessage& Focus() {
        FForm.SetActiveButton(FLastButton);
        return *this;
    }
    TMessage& CheckBox(std::string_view Caption) {
        FForm.ShowCheckBox(true);
        FForm.SetCheckBoxCaption(Caption);
        return *this;
    }

    // The value of the button pressed; a dismissal counts as the cancel button.
    int Show() {
        const int Value = FForm.ShowMessageForm();
        return Value == -1 ? FCancelValue : Value;
    }
    // As Show, writing the check box back into Flag.
    int Show(bool& Flag) {
        const int Value = Show();
        Flag = FForm.CheckBoxChecked();
        return Value;
    }
    TMessageForm& Form() { return FForm; }

private:
    TMessageForm FForm;
    TMessageButton* FLastButton = nullptr;
    int FCancelValue = -1;
};

void ShowOk(std::string_view Caption, std::string_view Text, TMessageIcon Icon) {
    TMessage(Caption, Text, Icon).Button("OK", 0, true, true).Show();
}

void ShowOk(std::string_view Caption, std::string_view Text, TMessageIcon Icon, bool& Show) {
    if (!Show)
        return;
    TMessage(Caption, Text, Icon).Button("OK", 0, true, true).CheckBox(ShowNextTime).Show(Show);
}

// A question with "&Yes" (1, default) and "&No" (0, cancel).
class TYesNo : public TMessage {
public:
    TYesNo(std::string_view Caption, std::string_view Text)
        : TMessage(Caption, Text, TMessageIcon::Question) {
        Button("&Yes", 1, true).Button("&No", 0, false, true);
    }
};

bool AskYesNo(std::string_view Caption, std::string_view Text, bool& Show) {
    if (!Show)
        return true;
    return TYesNo(Caption, Text).CheckBox(ShowNextTime).Show(Show) == 1;
}

std::string Number(int Value) {
    return std::to_string(Value);
}

QRect WorkAreaAt(const QPoint& Point) {
    const QScreen* Screen = QGuiApplication::screenAt(Point);
    if (!Screen)
        Screen = QGuiApplication::primaryScreen();
    return Screen ? Screen->availableGeometry() : QRect();
}

} // namespace

std::string FormatMessageText(std::string_view Template,
                              std::initializer_list<std::string_view> Arguments) {
    std::string Result;
    Result.reserve(Template.size());
    for (std::size_t I = 0; I < Template.size(); ++I) {
        const char C = Template[I];
        if (C == '%' && I + 1 < Template.size() && Template[I + 1] >= '1' &&
            Template[I + 1] <= '9') {
            const auto Index = static_cast<std::size_t>(Template[I + 1] - '1');
            if (Index < Arguments.size()) {
                Result += *(Arguments.begin() + Index);
                ++I;
                continue;
            }
        }
        Result += C;
    }
    return Result;
}

TPoint PlaceBelowPoint(int Left, int Top, int Offset, int Width, int Height,
                       const TRect& WorkArea) {
    TPoint P{Left, Top + Offset};
    if (P.X + Width >= WorkArea.Right)
        P.X = WorkArea.Right - Width;
    if (P.Y + Height >= WorkArea.Bottom)
        P.Y = Top - Height;
    return P;
}

bool ShowCantAddBreakpointMessage(std::string_view Reason, std::string_view FileName,
                                  int LineNumber, std::string_view MapFileName) {
    const std::string Text =
        FormatMessageText("Can't add breakpoint:\r%1.\r\rCurrent file: %2\rCurrent line number: "
                          "%3\rMap file: %4",
                          {Reason, FileName, Number(LineNumber), MapFileName});
    TMessage Message("Add Breakpoint", Text, TMessageIcon::Information);
    return Message.Button("OK", 0, true, true).Button("E&xamine", 1).Show() == 1;
}

void ShowNoMatchesMessage(int SearchKind, bool NoneAtAll, bool& Show) {
    ShowOk(WordOf(SearchCaptions, SearchKind),
           NoneAtAll ? "No matches found." : "No more matches found.", TMessageIcon::Information,
           Show);
}

void ShowSendMailFailedMessage() {
    ShowOk("Send Mail", "Korvid was unable to send the mail message.", TMessageIcon::Warning);
}

void ShowChangeCompleteMessage(int Count, bool& Show) {
    ShowOk("Replace", FormatMessageText("Change complete: %1 replacements made.", {Number(Count)}),
           TMessageIcon::Information, Show);
}

bool ConfirmBinaryFile(std::string_view FileName, int LoadKind, bool& Show) {
    return AskYesNo(WordOf(LoadCaptions, LoadKind),
                    FormatMessageText("\"%1\" contains binary data. Do you still want to %2 it?",
                                      {FileName, WordOf(LoadVerbs, LoadKind)}),
                    Show);
}

bool ConfirmDeleteView(std::string_view ViewName) {
    return AskYesNo("Delete View",
                    FormatMessageText("Do you want to delete the view \"%1\"?", {ViewName}) +
                        CantUndo);
}

bool ConfirmMoveBookmark(int Number, bool& Show) {
    return AskYesNo("Toggle Bookmark",
                    FormatMessageText("Bookmark %1 already exists. Do you want to move it to your "
                                      "current location?",
                                      {korvid::Number(Number)}),
                    Show);
}

bool ConfirmRefresh(std::string_view FileName, bool& ShowForThisFile) {
    TYesNo Message("Refresh",
                   FormatMessageText("Do you want to discard your changes to \"%1\" and reopen it?",
                                     {FileName}) +
                       CantUndo);
    return Message.CheckBox("&Show this next time for this file").Show(ShowForThisFile) == 1;
}

bool ConfirmRemoveFavourite(std::string_view Name, bool IsFolder, bool& Show) {
    const std::string_view Template =
        IsFolder ? "Do you want to remove folder \"%1\" and all the files it contains from your "
                   "Favourites list?"
                 : "Do you want to remove \"%1\" from your Favourites list?";
    return AskYesNo("Remove Favourite", FormatMessageText(Template, {Name}), Show);
}

bool ConfirmRemoveHistoryFile(std::string_view FileName, bool& Show) {
    return AskYesNo(
        "Remove History File",
        FormatMessageText("Do you want to remove \"%1\" from your History list?", {FileName}),
        Show);
}

bool ConfirmReopenOpenFile(std::string_view FileName) {
    return AskYesNo("Open", FormatMessageText("\"%1\" is already open. Do you want to discard "
                                              "your changes to it and reopen it?",
                                              {FileName}));
}

bool ConfirmReopenBackupFiles() {
    return AskYesNo("Backup Files Exist", "Korvid has found backup files from a previous "
                                          "session.  Do you want to reopen these files?");
}

void ShowUnpackRenamedMessage(const std::vector<std::string>& Renamed) {
    std::string List;
    for (const std::string& Line : Renamed)
        List += "\r" + Line;
    ShowOk("Unpack",
           FormatMessageText("These files were unpacked under other names, as their own names "
                             "were taken:\r%1",
                             {List}),
           TMessageIcon::Information);
}

void ShowBackupsNotWrittenMessage(std::string_view Folder) {
    ShowOk("Backup Files",
           FormatMessageText("Korvid was unable to write the backup copies of your files to the "
                             "folder \"%1\".\r\rThe backup copies written before are kept.",
                             {Folder}),
           TMessageIcon::Warning);
}

void ShowSettingsReportMessage(std::string_view Report) {
    ShowOk("Settings", Report, TMessageIcon::Warning);
}

bool ConfirmReplaceFile(std::string_view FileName, bool& Show) {
    if (!Show)
        return true;
    TMessage Message(
        "Save", FormatMessageText("Do you want to replace the existing file \"%1\"?", {FileName}),
        TMessageIcon::Question);
    return Message.Button("&Yes", 1, true)
               .Button("&No", 0, false, true)
               .Focus()
               .CheckBox(ShowNextTime)
               .Show(Show) == 1;
}

int AskReplaceOccurrence(int Left, int Top, int Offset) {
    TMessage Message("Replace", "Do you want to replace this occurrence?", TMessageIcon::Question);
    Message.Button("&Yes", 1, true)
        .Button("&No", 2)
        .Button("Yes To &All", 3)
        .Button("Cancel", 0, false, true);
    TMessageForm& Form = Message.Form();
    Form.LayOut();
    const QRect Area = WorkAreaAt(QPoint(Left, Top));
    const TPoint P = PlaceBelowPoint(
        Left, Top, Offset, Form.width(), Form.height(),
        {Area.left(), Area.top(), Area.left() + Area.width(), Area.top() + Area.height()});
    Form.move(P.X, P.Y);
    switch (Message.Show()) {
    case 1:
        return raYes;
    case 2:
        return raNo;
    case 3:
        return raYesToAll;
    default:
        return raCancel;
    }
}

bool AskReplaceAcrossFiles(std::string_view Find, std::string_view Replacement) {
    return AskYesNo("Replace Across Files",
                    FormatMessageText("Are you sure you want to replace all instances of "
                                      "\x91%1\x92 with \x91%2\x92 throughout the files listed in "
                                      "these search results?",
                                      {Find, Replacement}));
}

void ShowFilesLeftUnchangedMessage(const std::vector<TUnchangedFile>& Files) {
    static constexpr std::array<std::string_view, 3> Reasons = {
        "could not be opened", "is read-only", "could not be saved"};
    std::string Text = "These files were left unchanged:";
    for (const TUnchangedFile& File : Files)
        Text += CR + File.Name + " " + std::string(WordOf(Reasons, File.Reason)) + ".";
    ShowOk("Replace Across Files", Text, TMessageIcon::Warning);
}

int AskSaveChanges(std::string_view FileName) {
    TMessage Message("Close",
                     FormatMessageText("Do you want to save changes to \"%1\"?", {FileName}),
                     TMessageIcon::Question);
    Message.Button("&Yes", 1, true).Button("&No", 2).Button("Cancel", 0, false, true);
    switch (Message.Show()) {
    case 1:
        return saYes;
    case 2:
        return saNo;
    default:
        return saCancel;
    }
}

bool ConfirmSavePSystemFile(bool& Show) {
    return AskYesNo("Save", "Do you want to save this p-System file?", Show);
}

void ShowLinesSplitMessage(int MaxLength) {
    ShowOk("Open",
           FormatMessageText("This file contains paragraphs longer than the maximum of %1 "
                             "characters. These paragraphs have been split.",
                             {Number(MaxLength)}),
           TMessageIcon::Warning);
}

void ShowKrunchSucceededMessage(int Blocks) {
    ShowOk("Krunch Succeeded", FormatMessageText("%1 blocks now available.", {Number(Blocks)}),
           TMessageIcon::Warning);
}

void ShowUnableToOpenMessage(std::string_view FileName, bool& Show) {
    ShowOk("Open", FormatMessageText("Korvid was unable to open \"%1\".", {FileName}),
           TMessageIcon::Warning, Show);
}

namespace {

// Whole megabytes, rounded up, so that a small file never reads as needing none.
std::string Megabytes(std::uint64_t Bytes) {
    constexpr std::uint64_t Megabyte = 1024 * 1024;
    return std::to_string((Bytes + Megabyte - 1) / Megabyte);
}

} // namespace

void ShowFileTooLargeMessage(std::string_view FileName, std::uint64_t Needed,
                             std::uint64_t Available) {
    ShowOk("Open",
           FormatMessageText("\"%1\" is too large to open: it needs about %2 MB of memory and "
                             "only %3 MB are available.",
                             {FileName, Megabytes(Needed), Megabytes(Available)}),
           TMessageIcon::Warning);
}

std::string OpeningFileProgressText(std::string_view FileName, int Percent) {
    return FormatMessageText("Opening \"%1\": %2% read. Press Esc to cancel.",
                             {FileName, Number(Percent)});
}

std::string SearchingProgressText(int Files, int Matches) {
    return FormatMessageText("Searching: %1 files, %2 matches. Press Esc to stop.",
                             {Number(Files), Number(Matches)});
}

void ShowDamagedFileMessage(std::string_view FileName, int Line) {
    ShowOk("Open",
           FormatMessageText("\"%1\" is damaged from line %2 on. Korvid has opened the lines "
                             "before it, read-only.",
                             {FileName, Number(Line)}),
           TMessageIcon::Warning);
}

void ShowCutFileNotSavedMessage(std::string_view FileName) {
    ShowOk("Save",
           FormatMessageText("Korvid opened only part of \"%1\", so saving over it would destroy "
                             "the rest of the file. Use Save As to save the text under another "
                             "name.",
                             {FileName}),
           TMessageIcon::Warning);
}

void ShowSplitFileNotSavedMessage(std::string_view FileName) {
    ShowOk("Save",
           FormatMessageText("Korvid split the long paragraphs of \"%1\" when it opened it, so "
                             "saving over it would break lines that the file does not break. Use "
                             "Save As to save the text under another name.",
                             {FileName}),
           TMessageIcon::Warning);
}

void ShowRunCommandLineError(std::string_view CommandLine, int Code) {
    std::string_view Reason;
    switch (Code) {
    case -1:
        Reason = "The currently selected command line is blank.";
        break;
    case 0:
        Reason = "The system is out of memory or resources.";
        break;
    case 2:
        Reason = "Korvid was unable to find this file.";
        break;
    case 3:
        Reason = "Korvid was unable to find this path.";
        break;
    case 11:
        Reason = "This is not an executable file.";
        break;
    default:
        Reason = "Korvid was unable to run this command line.";
        break;
    }
    const std::string Text =
        Code == -1 ? std::string(Reason) : FormatMessageText("%1\r\r%2", {CommandLine, Reason});
    ShowOk("Run Command Line", Text, TMessageIcon::Warning);
}

std::string RunningCommandLineText(std::string_view CommandLine) {
    return FormatMessageText("Running: %1. Press Esc to stop.", {CommandLine});
}

void ShowIntegerExpectedMessage(int LineNumber, std::string_view FileName) {
    ShowOkMessage("Korvid", FormatMessageText("Integer expected at line %1 of %2",
                                              {std::to_string(LineNumber), FileName}));
}

void ShowUnknownKeystrokeCommandMessage(std::string_view Command, int LineNumber,
                                        std::string_view FileName) {
    ShowOkMessage("Korvid", FormatMessageText("Unknown command %1 at line %2 of %3",
                                              {Command, std::to_string(LineNumber), FileName}));
}

bool ShowUnableToSaveMessage(int ListKind, std::filesystem::path& FileName) {
    const std::string_view Kind = WordOf(ListKinds, ListKind);
    std::string Text = FormatMessageText("Korvid was unable to save your %1 to file \"%2\".",
                                         {Kind, FromQString(PathToQString(FileName))});
    const bool CanDiscard = ListKind != lkDefaultToolbars;
    if (CanDiscard)
        Text += FormatMessageText("\r\rYou can pick a different filename or simply discard the "
                                  "changes to your %1.",
                                  {Kind});
    std::filesystem::path Picked;
    const auto PickSaveAsFileName = [&FileName, &Picked] {
        TSaveDialog Dialog;
        Dialog.Options = {ofHideReadOnly, ofPathMustExist};
        Dialog.FileName = FileName;
        if (!Dialog.Execute())
            return false;
        Picked = Dialog.FileName;
        return true;
    };
    TMessage Message("Korvid", Text, TMessageIcon::Warning);
    Message.Button("&Save As...", 1, true, false, PickSaveAsFileName);
    if (CanDiscard)
        Message.Button("&Discard", 0, false, true);
    // Without a Discard button a dismissal still gives up, or the caller would retry for ever.
    if (Message.Show() != 1)
        return false;
    FileName = Picked;
    return true;
}

bool ShowUnableToSaveMessage(int ListKind, std::string& FileName) {
    // A list's file name is the bytes it is saved under.
    std::filesystem::path Path = FileName;
    if (!ShowUnableToSaveMessage(ListKind, Path))
        return false;
    FileName = Path.native();
    return true;
}

void ShowUnableToReadHistoryMessage(std::string_view FileName) {
    ShowOk("History",
           FormatMessageText("Korvid was unable to read your History list from file \"%1\". The "
                             "file will be left as it is.",
                             {FileName}),
           TMessageIcon::Warning);
}

void ShowUnableToSaveFileMessage(std::string_view Reason) {
    ShowOk("Korvid", FormatMessageText("%1\r\r%2", {UnableToSaveText, Reason}),
           TMessageIcon::Warning);
}

void SaveListFile(int ListKind, std::string& FileName, const std::vector<std::string>& Lines) {
    for (;;) {
        try {
            WriteTextFile(FileName, Lines, TTextFileOptions{});
            return;
        } catch (const EFileSaveError&) {
            if (!ShowUnableToSaveMessage(ListKind, FileName))
                return;
        }
    }
}

void ShowLinesTruncatedMessage() {
    ShowOk("Save p-System File",
           "One or more lines contain more than 255 characters, and will be truncated.",
           TMessageIcon::Warning);
}

void ShowAllBookmarksInUseMessage() {
    ShowOk("Add Automated Bookmark", "All nine bookmarks are already in use.",
           TMessageIcon::Information);
}

void ShowNoCommentMarkerMessage() {
    ShowOk("Format As Comment", "First set up the comment marker character(s) in the current view.",
           TMessageIcon::Information);
}

void ShowHelpFileNotFoundMessage(std::string_view Path) {
    ShowOk("Korvid Help", FormatMessageText("The file %1 could not be found.", {Path}),
           TMessageIcon::Warning);
}

void ShowManualNotFoundMessage(std::string_view First, std::string_view Second) {
    ShowOk("Korvid Help",
           FormatMessageText("The Korvid manual could not be found: looked for %1 and %2.",
                             {First, Second}),
           TMessageIcon::Warning);
}

void ShowNoHelpViewerMessage(std::string_view Path) {
    ShowOk(
        "Korvid Help",
        FormatMessageText("Korvid could not find a program to show the help file \"%1\".", {Path}),
        TMessageIcon::Warning);
}

bool AskSaveBeforeCompare(std::string_view FileName) {
    return AskYesNo("Compare These Files",
                    FormatMessageText("Do you want to save your changes to %1 first?", {FileName}));
}

void ShowComparingFileWithItselfMessage() {
    ShowOk("Korvid", "You're comparing a file with itself.", TMessageIcon::Warning);
}

void ShowNamesakeMissingMessage(std::string_view FileName) {
    ShowOk("Compare Namesake", FormatMessageText("The file %1 does not exist.", {FileName}),
           TMessageIcon::Warning);
}

void ShowNoComparisonUtilityMessage() {
    ShowOk("Compare Files", "No comparison utility is set in the options.", TMessageIcon::Warning);
}

void ShowComparisonUtilityFailedMessage(std::string_view Program) {
    ShowOk(
        "Compare Files",
        FormatMessageText("Korvid was unable to start the comparison utility \"%1\".", {Program}),
        TMessageIcon::Warning);
}

void ShowSubversionNotStartedMessage() {
    ShowOk("Subversion",
           "Korvid was unable to start \"tortoiseproc\". Subversion commands need it on the "
           "search path.",
           TMessageIcon::Warning);
}

void ShowExploreFolderFailedMessage(std::string_view Folder) {
    ShowOk("Explore Folder",
           FormatMessageText("Korvid was unable to open the folder \"%1\".", {Folder}),
           TMessageIcon::Warning);
}

void ShowPrintNotStartedMessage(std::string_view PdfFile, std::string_view PrinterName) {
    std::string Text;
    if (!PdfFile.empty())
        Text = FormatMessageText("Korvid was unable to write the PDF file \"%1\". Check that its "
                                 "folder exists and may be written to.",
                                 {PdfFile});
    else if (!PrinterName.empty())
        Text = FormatMessageText("Korvid was unable to start printing on \"%1\".", {PrinterName});
    else
        Text = "No printer is installed. Choose \"Print to File (PDF)\" in the Print dialog to "
               "print to a PDF file.";
    ShowOk("Print", Text, TMessageIcon::Warning);
}

bool AskYesNo(std::string_view Caption, std::string_view Text) {
    return TYesNo(Caption, Text).Show() == 1;
}

bool AskWithButtons(std::string_view Caption, std::string_view Text, std::string_view FirstCaption,
                    std::string_view SecondCaption) {
    TMessage Message(Caption, Text, TMessageIcon::Question);
    return Message.Button(FirstCaption, 1, true).Button(SecondCaption, 0, false, true).Show() == 1;
}

void ShowUnableToReadFavouritesMessage(std::string_view FileName) {
    ShowOk("Favourites",
           FormatMessageText("Korvid was unable to read your Favourites list from file \"%1\". "
                             "The file will be left as it is.",
                             {FileName}),
           TMessageIcon::Warning);
}

void ShowPSystemFileExistsMessage(std::string_view Name) {
    ShowOkMessage("Add p-System File",
                  FormatMessageText("There is already a file called %1.", {Name}));
}

void ShowOkMessage(std::string_view Caption, std::string_view Text) {
    ShowOk(Caption, Text, TMessageIcon::Information);
}

bool AskOkCancel(std::string_view Caption, std::string_view Text) {
    TMessage Message(Caption, Text, TMessageIcon::Information);
    return Message.Button("OK", 1, true).Button("Cancel", 0, false, true).Show() == 1;
}

void ShowPlainMessage(std::string_view Text) {
    QMessageBox Box(QMessageBox::Information, "Korvid", ToQString(Text), QMessageBox::Ok);
    RunModal(Box);
}

std::string LastErrorText(std::string_view Prefix) {
    const int Code = errno;
    return std::string(Prefix) + ":" + CR +
           FromQString(QString::fromStdString(std::generic_category().message(Code)));
}

} // namespace korvid
