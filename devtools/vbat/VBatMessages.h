#pragma once

#include <string>
#include <string_view>

// The texts of VBat script and run errors (Windows-1252), shown in the "Error in VBat Script"
// box or turned into message lines by a batch run.
namespace korvid {

inline constexpr std::string_view VBatErrorCaption = "Error in VBat Script";
inline constexpr std::string_view VBatPausedCaption = "VBat Script Paused";
inline constexpr std::string_view VBatRunningCaption = "Running VBat Script...";
inline constexpr std::string_view VBatParametersCaption = "VBat Script Parameters";

// A parse error: the file, its line (1-based) and the message, one per line of the box.
std::string VBatParseErrorText(std::string_view FileName, int Line, std::string_view Message);

std::string VBatSyntaxError();
std::string VBatUnexpectedEndOfLine();
std::string VBatNoClosingQuote();
// Found is a word (quoted here) or empty for the end of the line.
std::string VBatExpected(std::string_view Expected, std::string_view Found);
std::string VBatEndOfLineExpected(std::string_view Rest);
std::string VBatBeginWithNoTest();
std::string VBatBeginWithNoEnd();
std::string VBatGenerateWithNoEnd();
std::string VBatNestedTooDeeply();
std::string VBatIncludeMissing(std::string_view FileName);
std::string VBatIncludeAlreadyParsed(std::string_view FileName);
std::string VBatFileMissing(std::string_view FileName);

std::string VBatVolumeToMountMissing(std::string_view Volume);
std::string VBatTemplateMissing(std::string_view FileName);
std::string VBatUnableToWriteFile(std::string_view FileName);
std::string VBatUnableToStore(std::string_view FileName, std::string_view Name);
std::string VBatUnableToSaveKeys();
std::string VBatLaunchCommandNotConfigured();
std::string VBatWindowTitleNotConfigured();
std::string VBatWindowAlreadyOpen();
std::string VBatUnableToStartWindow(std::string_view CommandLine);
std::string VBatWindowNotFound(std::string_view Title);
// Why no keys can reach the p-System window on this desktop.
std::string VBatCantTypeHere(std::string_view Reason);
std::string VBatFocusLost();

} // namespace korvid
