#include "devtools/compiler/CompilerMessages.h"

#include "ui/MessageBoxUnit.h"
#include "ui/MessagesUnit.h"

namespace korvid {

std::string TesselLocationUnknownText() {
    return "The location of TesselLib.dll is unknown.\r\rYour main JSON file must start with a "
           "curly-bracketed object whose first non-comment line is:\rtessel: '<filename>'";
}

std::string UnableToLoadText(std::string_view FileName) {
    return "Unable to load " + std::string(FileName);
}

std::string LibraryNotFoundText(std::string_view FileName) {
    return std::string(FileName) + " not found";
}

std::string MissingEntryPointText(std::string_view Function) {
    return "TesselLib.dll does not contain " + std::string(Function) + " function";
}

std::string CompilingProjectStatus(std::string_view Name, std::string_view Target) {
    return std::string(Name) + " - Compiling project " + std::string(Target) + "\x85";
}

std::string FailedToRegisterText(std::string_view Path) {
    return "Failed to register " + std::string(Path) + " for COM";
}

std::string NoServerText() {
    return "No compiler automation server is set or registered.";
}

std::string ModulesRootMissingText() {
    return "appModulesRoot is not defined in the JSON configuration";
}

std::string ServerNotStartedText(std::string_view Reason) {
    return "Unable to start the compiler's automation server: " + std::string(Reason);
}

std::string LibraryEndedText() {
    return "The compiler library ended unexpectedly.";
}

std::string LibraryHelperMissingText(std::string_view FileName) {
    return "Unable to start " + std::string(FileName) + ", which runs the compiler library.";
}

std::string ServerEndedText() {
    return "The compiler's automation server ended unexpectedly.";
}

std::string ServerSilentText() {
    return "The compiler's automation server stopped answering.";
}

std::string CompileStoppedText() {
    return "The compile was stopped.";
}

std::string WaitingForCompilerStatus() {
    return "Waiting for the compiler\x85 Esc stops it.";
}

std::string UnableToAccessCompilerText(bool ProjectRoute) {
    return ProjectRoute ? "Unable to access the compiler."
                        : "Unable to access the compiler.  Check your EMS settings in View > "
                          "Options > Compiler.";
}

std::string JsonPickUnattendedText() {
    return "A JSON configuration file must be picked, which an unattended compile cannot do.";
}

std::string AnalysisHeading() {
    return "The compiler has noted the following lines of code:";
}

std::string IncludeFileText() {
    return "This is an include file.\r\rYou need to compile the file into which this one is "
           "included.";
}

std::string CompilingCaption(std::string_view FileName) {
    return "Compiling " + std::string(FileName);
}

std::string CompileVBatMissingText() {
    return "Unable to find Compile.vbat";
}

std::string CompileOrResumeText() {
    return "You have edited a file while debugging. Do you want to compile your changes or resume "
           "executing?";
}

std::string CompileFolderText() {
    return "Do you want to compile all reports in the selected folder in the Favourites bar?";
}

std::string ScriptSummaryText(int Severity) {
    switch (Severity) {
    case 0:
        return "All reports compiled successfully.";
    case 1:
        return "There are hints.";
    case 2:
        return "There are warnings.";
    default:
        return "There are errors.";
    }
}

std::string SourceNotFoundText(std::string_view FileName) {
    return "File not found: " + std::string(FileName);
}

std::string SourceNotOpenedText(std::string_view FileName, std::string_view Reason) {
    return "Unable to open \"" + std::string(FileName) + "\" as a script: " + std::string(Reason) +
           ".";
}

std::string VBatPauseUnattendedText(std::string_view Text) {
    return "The script pauses, which an unattended compile cannot answer: " + std::string(Text);
}

std::string VBatInputUnattendedText() {
    return "The script asks for input that has no saved value, which an unattended compile "
           "cannot give.";
}

} // namespace korvid

namespace korvid {

int ShowCompilerMessage(std::string_view Title, std::string_view Text, bool OkOnly,
                        bool CanIgnore) {
    TMessageForm Form;
    Form.SetCaption(Title);
    Form.Text = std::string(Text);
    Form.SetMessageIcon(TMessageIcon::Information);
    if (OkOnly)
        Form.AddMessageButton("OK", true, {}, 0, true);
    else {
        Form.AddMessageButton("Edit", true, {}, 1, false);
        if (CanIgnore)
            Form.AddMessageButton("Ignore", false, {}, 0, true);
    }
    return Form.ShowMessageForm();
}

void ShowCompilerError(std::string_view Title, std::string_view Text) {
    ShowCompilerMessage(Title, Text, true, false);
}

bool AskCompileOrResume() {
    return AskWithButtons(CompileOrResumeCaption, CompileOrResumeText(), "&Compile", "&Resume");
}

bool AskCompileFolder() {
    return AskYesNo(CompileFolderCaption, CompileFolderText());
}

} // namespace korvid
