#pragma once

#include <string>
#include <string_view>

namespace korvid {

inline constexpr std::string_view CompilingPascalCaption = "Compiling Pascal";
inline constexpr std::string_view CompilerCaption = "Compiler";
inline constexpr std::string_view CompilerMessagesCaption = "Compiler Messages";
inline constexpr std::string_view CompilerAnalysisCaption = "Compiler Analysis";
inline constexpr std::string_view PickJsonCaption = "Pick JSON File";

std::string TesselLocationUnknownText();
std::string UnableToLoadText(std::string_view FileName);
std::string LibraryNotFoundText(std::string_view FileName);
std::string MissingEntryPointText(std::string_view Function);
std::string CompilingProjectStatus(std::string_view Name, std::string_view Target);
std::string FailedToRegisterText(std::string_view Path);
std::string NoServerText();
std::string ModulesRootMissingText();
std::string ServerNotStartedText(std::string_view Reason);
std::string UnableToAccessCompilerText(bool ProjectRoute);
std::string JsonPickUnattendedText();
std::string AnalysisHeading();

} // namespace korvid

namespace korvid {

// A compiler box: "OK" alone (result 0), else "Edit" (default, 1) with "Ignore" (cancel, 0)
// when CanIgnore. -1 when closed otherwise.
int ShowCompilerMessage(std::string_view Title, std::string_view Text, bool OkOnly, bool CanIgnore);
// A compile that could not run, with one OK button.
void ShowCompilerError(std::string_view Title, std::string_view Text);

} // namespace korvid
