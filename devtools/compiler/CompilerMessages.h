#pragma once

#include <string>
#include <string_view>

namespace korvid {

inline constexpr std::string_view CompilingPascalCaption = "Compiling Pascal";
inline constexpr std::string_view CompilerCaption = "Compiler";
inline constexpr std::string_view CompilerMessagesCaption = "Compiler Messages";
inline constexpr std::string_view CompilerAnalysisCaption = "Compiler Analysis";
inline constexpr std::string_view PickJsonCaption = "Pick JSON File";
inline constexpr std::string_view IncludeFileCaption = "Compiling an Include File";
inline constexpr std::string_view ScriptCompleteCaption = "Script Complete";
inline constexpr std::string_view CompileOrResumeCaption = "Compile or Resume?";
inline constexpr std::string_view CompileFolderCaption = "Compile Folder";

std::string TesselLocationUnknownText();
std::string UnableToLoadText(std::string_view FileName);
std::string LibraryNotFoundText(std::string_view FileName);
std::string MissingEntryPointText(std::string_view Function);
std::string CompilingProjectStatus(std::string_view Name, std::string_view Target);
std::string FailedToRegisterText(std::string_view Path);
std::string NoServerText();
std::string ModulesRootMissingText();
std::string ServerNotStartedText(std::string_view Reason);
// The compiler library's helper program crashed, hung or could not run.
std::string LibraryEndedText();
std::string LibraryHelperMissingText(std::string_view FileName);
std::string ServerEndedText();
std::string ServerSilentText();
// The user, or the window's closing, stopped a wait for the compiler.
std::string CompileStoppedText();
std::string WaitingForCompilerStatus();
std::string UnableToAccessCompilerText(bool ProjectRoute);
std::string JsonPickUnattendedText();
std::string AnalysisHeading();
std::string IncludeFileText();
std::string CompilingCaption(std::string_view FileName);
std::string CompileVBatMissingText();
std::string CompileOrResumeText();
std::string CompileFolderText();
// The end of a report-list run by its severity.
std::string ScriptSummaryText(int Severity);
std::string SourceNotFoundText(std::string_view FileName);
// A file that is there but could not be opened to compile, and why (one of the reasons below).
std::string SourceNotOpenedText(std::string_view FileName, std::string_view Reason);
inline constexpr std::string_view NotTextFileReason = "it is not a text file";
inline constexpr std::string_view FolderReason = "it is a folder";
inline constexpr std::string_view UnreadableReason = "it cannot be read";
inline constexpr std::string_view NotOpenedReason = "it was not opened";
// A VBat run of an unattended compile that would have had to ask.
std::string VBatPauseUnattendedText(std::string_view Text);
std::string VBatInputUnattendedText();

} // namespace korvid

namespace korvid {

// A compiler box: "OK" alone (result 0), else "Edit" (default, 1) with "Ignore" (cancel, 0)
// when CanIgnore. -1 when closed otherwise.
int ShowCompilerMessage(std::string_view Title, std::string_view Text, bool OkOnly, bool CanIgnore);
// A compile that could not run, with one OK button.
void ShowCompilerError(std::string_view Title, std::string_view Text);
// "Compile or Resume?": true for Compile (the default); closing the box resumes.
bool AskCompileOrResume();
bool AskCompileFolder();

} // namespace korvid
