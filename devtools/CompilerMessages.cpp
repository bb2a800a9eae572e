#include "devtools/CompilerMessages.h"

#include "ui/MessageBoxUnit.h"

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

} // namespace korvid
