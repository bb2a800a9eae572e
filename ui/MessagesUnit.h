#pragma once

#include "foundation/UtilitiesUnit.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Every message the program shows about an ordinary condition. Callers pass the variable parts
// (Windows-1252 text); the wording, caption, icon and buttons live here only. Messages that the
// user can switch off take the caller's show flag last: while it is false they show nothing
// (confirmations answer true), and afterwards it holds the state of "&Show this next time".
// Closing a message with its close box gives the answer of its cancel button.
namespace korvid {

enum TSearchKind { skFind = 0, skReplace = 1 };
enum TLoadKind { ldOpen = 0, ldInsert = 1 };
enum TListKind {
    lkToolbars = 0,
    lkDefaultToolbars = 1,
    lkHistoryList = 2,
    lkFavouritesList = 3,
    lkViews = 4,
    lkCommandLines = 5,
};

// AskReplaceOccurrence answers.
enum TReplaceAnswer { raYes = 0, raNo = 1, raYesToAll = 2, raCancel = 3 };
// AskSaveChanges answers.
enum TSaveAnswer { saYes = 0, saNo = 1, saCancel = 2 };

// The single character that breaks lines of a message.
inline constexpr char MessageLineBreak = '\r';

// True for "E&xamine".
bool ShowCantAddBreakpointMessage(std::string_view Reason, std::string_view FileName,
                                  int LineNumber, std::string_view MapFileName);
void ShowNoMatchesMessage(int SearchKind, bool NoneAtAll, bool& Show);
void ShowSendMailFailedMessage();
void ShowChangeCompleteMessage(int Count, bool& Show);
bool ConfirmBinaryFile(std::string_view FileName, int LoadKind, bool& Show);
bool ConfirmDeleteView(std::string_view ViewName);
bool ConfirmMoveBookmark(int Number, bool& Show);
// Always shown; ShowForThisFile receives "&Show this next time for this file".
bool ConfirmRefresh(std::string_view FileName, bool& ShowForThisFile);
bool ConfirmRemoveFavourite(std::string_view Name, bool IsFolder, bool& Show);
bool ConfirmRemoveHistoryFile(std::string_view FileName, bool& Show);
bool ConfirmReopenOpenFile(std::string_view FileName);
bool ConfirmReopenBackupFiles();
// Files of an unpack whose plain names were taken, each "<name in the volume> -> <file>".
void ShowUnpackRenamedMessage(const std::vector<std::string>& Renamed);
// A backup tick failed; the copies written before are kept.
void ShowBackupsNotWrittenMessage(std::string_view Folder);
// The settings store's own report: a damaged file set aside, or why settings are not kept.
void ShowSettingsReportMessage(std::string_view Report);
// The focus starts on "&No", so Enter does not overwrite by accident.
bool ConfirmReplaceFile(std::string_view FileName, bool& Show);
// Shown with its top-left corner at (Left, Top + Offset), kept inside the work area of the
// monitor holding (Left, Top); above the point when there is no room below. A TReplaceAnswer.
int AskReplaceOccurrence(int Left, int Top, int Offset);
// Replacing throughout the files a search-results tab lists.
bool AskReplaceAcrossFiles(std::string_view Find, std::string_view Replacement);
// Why a listed file was left as it was.
enum TUnchangedReason { urNotOpened = 0, urReadOnly = 1, urNotSaved = 2 };
struct TUnchangedFile {
    std::string Name;
    TUnchangedReason Reason = urNotOpened;
};
void ShowFilesLeftUnchangedMessage(const std::vector<TUnchangedFile>& Files);
// A TSaveAnswer.
int AskSaveChanges(std::string_view FileName);
bool ConfirmSavePSystemFile(bool& Show);
void ShowLinesSplitMessage(int MaxLength);
void ShowKrunchSucceededMessage(int Blocks);
void ShowUnableToOpenMessage(std::string_view FileName, bool& Show);
// An encrypted file whose records are intact up to Line; the lines before it were opened.
void ShowDamagedFileMessage(std::string_view FileName, int Line);
// Opening FileName would take about Needed bytes of memory where Available are left; nothing
// was read.
void ShowFileTooLargeMessage(std::string_view FileName, std::uint64_t Needed,
                             std::uint64_t Available);
// The status bar while FileName is read: Percent of it is in, and Esc stops the open.
std::string OpeningFileProgressText(std::string_view FileName, int Percent);
std::string SearchingProgressText(int Files, int Matches);
// The document holds only part of FileName, so it is not saved over that file.
void ShowCutFileNotSavedMessage(std::string_view FileName);
// The document's long paragraphs were split as FileName was opened: the same refusal.
void ShowSplitFileNotSavedMessage(std::string_view FileName);
// Code is the shell's start result; -1 stands for an empty command line.
void ShowRunCommandLineError(std::string_view CommandLine, int Code);
// The status bar while a command line's output is captured.
std::string RunningCommandLineText(std::string_view CommandLine);
// A bad line of a keystroke file.
void ShowIntegerExpectedMessage(int LineNumber, std::string_view FileName);
void ShowUnknownKeystrokeCommandMessage(std::string_view Command, int LineNumber,
                                        std::string_view FileName);
// True when the user picked another file name, which FileName then holds; the caller saves
// again to it. False when the user gave up.
bool ShowUnableToSaveMessage(int ListKind, std::filesystem::path& FileName);
bool ShowUnableToSaveMessage(int ListKind, std::string& FileName);
// Writes the list's Lines to FileName as a text file; when that fails, offers another file
// through ShowUnableToSaveMessage until one is written or the user gives up.
void SaveListFile(int ListKind, std::string& FileName, const std::vector<std::string>& Lines);
void ShowLinesTruncatedMessage();
// The automated bookmark found every numbered bookmark taken.
void ShowAllBookmarksInUseMessage();
// The view of the document has no comment marker to insert.
void ShowNoCommentMarkerMessage();
// Path is the help file's full path.
void ShowHelpFileNotFoundMessage(std::string_view Path);
// The manual is in neither of the two places the program looks.
void ShowManualNotFoundMessage(std::string_view First, std::string_view Second);
// No program took the help file.
void ShowNoHelpViewerMessage(std::string_view Path);
// ---- Comparing files and outside programs ----
// Yes when the user wants the document saved before it is compared.
bool AskSaveBeforeCompare(std::string_view FileName);
void ShowComparingFileWithItselfMessage();
// Namesake mode found no counterpart: FileName is the one looked for.
void ShowNamesakeMissingMessage(std::string_view FileName);
void ShowNoComparisonUtilityMessage();
void ShowComparisonUtilityFailedMessage(std::string_view Program);
void ShowSubversionNotStartedMessage();
void ShowExploreFolderFailedMessage(std::string_view Folder);
// A print job could not begin: PdfFile is its output file, empty when it went to PrinterName.
void ShowPrintNotStartedMessage(std::string_view PdfFile, std::string_view PrinterName);

// The favourites file exists but could not be read; it is not written over in this run.
void ShowUnableToReadFavouritesMessage(std::string_view FileName);
// A new file in a volume would take the name of one already there.
void ShowPSystemFileExistsMessage(std::string_view Name);
// The history file exists but could not be read; it is not saved over.
void ShowUnableToReadHistoryMessage(std::string_view FileName);
// A file could not be written (the old one, if any, is unchanged); Reason tells why.
void ShowUnableToSaveFileMessage(std::string_view Reason);
bool AskYesNo(std::string_view Caption, std::string_view Text);
// True for the first button.
bool AskWithButtons(std::string_view Caption, std::string_view Text, std::string_view FirstCaption,
                    std::string_view SecondCaption);
void ShowOkMessage(std::string_view Caption, std::string_view Text);
bool AskOkCancel(std::string_view Caption, std::string_view Text);
// For use before any form exists: a plain system message box captioned "Korvid".
void ShowPlainMessage(std::string_view Text);
// Prefix, ":", a line break and the system's text for the last error of this thread.
std::string LastErrorText(std::string_view Prefix);

// Where a Width x Height box goes below (Left, Top + Offset) inside WorkArea: pulled left when
// it would reach the right edge, put above Top when it would reach the bottom.
TPoint PlaceBelowPoint(int Left, int Top, int Offset, int Width, int Height, const TRect& WorkArea);

// Replaces "%1" to "%9" in Template by the arguments in one pass, so nothing an argument
// holds is ever read as a placeholder.
std::string FormatMessageText(std::string_view Template,
                              std::initializer_list<std::string_view> Arguments);

} // namespace korvid
