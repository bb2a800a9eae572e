#pragma once

#include "platform/WindowKeys.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// VBat scripts: a small line language that tells the p-System how to build a unit. A script is
// parsed into commands; running them collects p-System keystrokes, stores them as GO.TEXT on
// the VP volume and types the short command that makes the p-System obey that file.
namespace korvid {

enum TVBatKind : std::uint8_t {
    vkSendKeys = 0,
    vkStore = 1,
    vkPause = 2,
    vkConfirm = 3,
    vkMount = 4,
    vkInitialise = 5,
    vkDelete = 6,
    vkCopy = 7,
    vkRename = 8,
    vkKrunch = 9,
    vkPrefix = 10,
    vkCompile = 11,
    vkLink = 12,
    vkFlag = 13,
    vkExecute = 14,
    vkAnnounce = 15,
    vkGenerate = 16,
    vkAssign = 17,
    vkTest = 18,
    vkInput = 19,
    vkTemplate = 20,
};

struct TVBatCommand {
    explicit TVBatCommand(TVBatKind Kind, std::vector<std::string> Arguments = {})
        : Kind(Kind), Arguments(std::move(Arguments)) {}

    TVBatKind Kind;
    std::vector<std::string> Arguments;
    std::vector<std::unique_ptr<TVBatCommand>> Commands; // a test's block
};

using TVBatCommands = std::vector<std::unique_ptr<TVBatCommand>>;

// Saved answers of the input dialog: upper-case variable name to value.
using TVBatValues = std::map<std::string, std::string>;

// One row of the input dialog: a check box (Caption set, one name) or a drop-down of names.
struct TVBatInput {
    std::vector<std::string> Names; // upper case
    std::string Caption;            // empty for a drop-down
    bool IsCheckBox() const { return Names.size() == 1 && !Caption.empty(); }
};

// Shown while a run waits for the p-System window to close.
class TVBatProgress {
public:
    virtual ~TVBatProgress() = default;
    virtual bool Cancelled() const = 0;
};

// Every box a run shows. The default one (VBatReporter.h) shows real boxes; a batch run turns
// them into lines and fails where it would have to ask.
class TVBatReporter {
public:
    virtual ~TVBatReporter() = default;
    // A script or run error; Text is ready for the "Error in VBat Script" box.
    virtual void Error(std::string_view Text) = 0;
    // False for Cancel.
    virtual bool Pause(std::string_view Text) = 0;
    // Asks for the values of Inputs, starting from Values; false for Cancel. On OK Values
    // holds one entry per name of every input.
    virtual bool AskInputs(const std::vector<TVBatInput>& Inputs, TVBatValues& Values) = 0;
    virtual std::unique_ptr<TVBatProgress> ShowProgress(std::string_view Caption) = 0;
};

struct TVBatSettings {
    std::filesystem::path VolumeFile; // the VP volume, "Pascal Work Volume"
    std::string LaunchCommand;
    std::string WindowTitle;
    bool DelayKeys = false;  // waits before typing and types slowly
    std::string UnitFile;    // the source being compiled; empty for a script run on itself
    std::string PSystemName; // its p-System file name as the compile command passes it
    // Defaults: the headless desktop, real waits and the current year.
    TWindowKeys* Keys = nullptr;
    // Set when this desktop lets no program type into another: why.
    std::string KeysUnavailable;
    TWaitService* Waits = nullptr;
    std::function<int()> Year;
};

// The p-System text-file name of a file: its name without folder ("/" or "\") and extension,
// cut to 10 characters, upper case, followed by ".TEXT".
std::string PSystemFileName(std::string_view FileName);

// The brace substitution of VBat texts: "{NAME}" becomes the value of NAME (empty when there is
// none). With UnderscoreOnly, names that do not begin with "_" are left as they stand.
std::string ExpandVariableText(std::string_view Text, const TVBatValues& Variables,
                               bool UnderscoreOnly);

class TVBat {
public:
    // Blocks and include files may nest this deep.
    static constexpr int MaxNesting = 64;

    explicit TVBat(TVBatSettings Settings);
    ~TVBat();
    TVBat(const TVBat&) = delete;
    TVBat& operator=(const TVBat&) = delete;

    // Parses UserScript first (when it names an existing file other than ScriptFile), then
    // ScriptFile. False after the first error, which Reporter has been given.
    bool LoadScript(const std::string& ScriptFile, const std::string& UserScript,
                    TVBatReporter& Reporter);
    // Runs the parsed commands; SavedInputs receives the input dialog's answers.
    bool ExecuteScript(TVBatValues& SavedInputs, bool ForceInput,
                       const std::filesystem::path& KeyLogFile, bool Wait, TVBatReporter& Reporter);

    std::string ExpandVariables(std::string_view Text) const;
    std::string ExpandUnderscoreVariables(std::string_view Text) const;

    const TVBatCommands& Commands() const { return FCommands; }
    const std::vector<TVBatInput>& Inputs() const { return FInputs; }
    const TVBatValues& Variables() const { return FVariables; }
    std::string Variable(std::string_view Name) const;
    // The keys not yet stored, and those of every send keys of this run.
    const std::string& Keys() const { return FKeys; }
    const std::string& KeyLog() const { return FKeyLog; }

private:
    struct TParseState;
    class TParser;
    class TRunner;

    TVBatSettings FSettings;
    TVBatCommands FCommands;
    std::vector<TVBatInput> FInputs;
    TVBatValues FVariables;
    std::string FKeys;
    std::string FKeyLog;
    bool FInFiler = false;
    bool FWait = false;
    TWindowId FWindow = NoWindow;
};

} // namespace korvid
