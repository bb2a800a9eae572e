#include "devtools/vbat/VBatMessages.h"

namespace korvid {

namespace {

std::string Quoted(std::string_view Text) {
    return "'" + std::string(Text) + "'";
}

} // namespace

std::string VBatParseErrorText(std::string_view FileName, int Line, std::string_view Message) {
    return std::string(FileName) + "\rLine " + std::to_string(Line) + "\r" + std::string(Message);
}

std::string VBatSyntaxError() {
    return "Syntax error";
}
std::string VBatUnexpectedEndOfLine() {
    return "Unexpected end of line";
}
std::string VBatNoClosingQuote() {
    return "No closing quote";
}

std::string VBatExpected(std::string_view Expected, std::string_view Found) {
    return std::string(Expected) + " expected but " +
           (Found.empty() ? std::string("end of line") : Quoted(Found)) + " found";
}

std::string VBatEndOfLineExpected(std::string_view Rest) {
    return "End of line expected but " + Quoted(Rest) + " found";
}

std::string VBatBeginWithNoTest() {
    return "'begin' with no test";
}
std::string VBatBeginWithNoEnd() {
    return "'begin' with no 'end'";
}
std::string VBatGenerateWithNoEnd() {
    return "'generate' with no 'end'";
}
std::string VBatNestedTooDeeply() {
    return "Blocks or include files are nested too deeply";
}

std::string VBatIncludeMissing(std::string_view FileName) {
    return "Include file " + Quoted(FileName) + " does not exist";
}

std::string VBatIncludeAlreadyParsed(std::string_view FileName) {
    return "Include file " + Quoted(FileName) + " is already being parsed";
}

std::string VBatFileMissing(std::string_view FileName) {
    return "File " + Quoted(FileName) + " does not exist";
}

std::string VBatVolumeToMountMissing(std::string_view Volume) {
    return "Volume to be mounted does not exist:\r\r" + std::string(Volume);
}

std::string VBatTemplateMissing(std::string_view FileName) {
    return "Template file " + Quoted(FileName) + " does not exist";
}

std::string VBatUnableToWriteFile(std::string_view FileName) {
    return "Unable to write " + Quoted(FileName);
}

std::string VBatUnableToStore(std::string_view FileName, std::string_view Name) {
    return "Unable to store " + Quoted(FileName) + " as 'VP:" + std::string(Name) + "'";
}

std::string VBatUnableToSaveKeys() {
    return "Unable to save keystrokes to 'VP:GO.TEXT'";
}

std::string VBatLaunchCommandNotConfigured() {
    return "The p-System launch command is not configured.";
}

std::string VBatWindowTitleNotConfigured() {
    return "The p-System window title is not configured.";
}

std::string VBatWindowAlreadyOpen() {
    return "There is already a p-System window open.";
}

std::string VBatUnableToStartWindow(std::string_view CommandLine) {
    return "Unable to start the p-System window: " + std::string(CommandLine);
}

std::string VBatWindowNotFound(std::string_view Title) {
    return "Unable to find p-System window " + Quoted(Title);
}

std::string VBatCantTypeHere(std::string_view Reason) {
    return "Korvid can't type into the p-System window here: " + std::string(Reason) +
           "\r\rThe keystrokes are saved in VP:GO.TEXT. Type QXI=VP:GO and Return in the "
           "p-System window.";
}

std::string VBatFocusLost() {
    return "The p-System window lost the keyboard focus; typing stopped.";
}

} // namespace korvid
