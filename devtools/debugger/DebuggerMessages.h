#pragma once

#include <string>
#include <string_view>

namespace korvid {

// The map status texts: shown when a breakpoint cannot be placed.
inline constexpr std::string_view MapLoadedStatus = "Map file is loaded";
inline constexpr std::string_view MapNotOpenedStatus = "The map file could not be opened";
inline constexpr std::string_view MapUnknownFormatStatus = "The map file has an unknown format";
inline constexpr std::string_view MapFirstSectionStatus =
    "The first section of the map file could not be parsed";
inline constexpr std::string_view PascalSourceNotOpenStatus = "The Pascal source is not open";
inline constexpr std::string_view MapNotParsedStatus = "The map file could not be parsed";

// The map titles: shown at the structure tree's root.
inline constexpr std::string_view BadMapTitle = "** Bad map **";
inline constexpr std::string_view NoSuchMapTitle = "** No such map **";
inline constexpr std::string_view NoSourceTitle = "** No source **";
inline constexpr std::string_view WrongSourceTitle = "** Wrong source **";
inline constexpr std::string_view PascalTitle = "(Pascal)";

inline constexpr std::string_view ParsedMapCaption = "Parsed Map File";
inline constexpr std::string_view ProcOffsetNotFoundText = "[??? ProcOffset not found]";

// The link to a module; every failure is boxed under "Connect".
inline constexpr std::string_view ConnectCaption = "Connect";
inline constexpr std::string_view CantLocateBufferText = "Can't locate the shared memory buffer.";
inline constexpr std::string_view CantMapBufferText =
    "Can't map the shared memory buffer into Korvid memory.";
inline constexpr std::string_view CantReadTestMessageText =
    "Can't read test message from the shared memory buffer.";
inline constexpr std::string_view UnknownModuleTitle = "(Unknown)";
inline constexpr std::string_view SoftwareConfigurationTitle = "(Software Configuration)";

void ShowNoModuleMessage();
void ShowModuleNotRespondingMessage();
// Text, ":", a line break and the system's Reason; Text alone without a Reason.
void ShowBufferFailureMessage(std::string_view Text, std::string_view Reason);
void ShowRequestTooLongMessage();
// The link broke while a command waited for the module.
void ShowModuleStoppedAnsweringMessage();
void ShowModuleGoneMessage();

// Run control; every refusal of the module is shown with its own text.
inline constexpr std::string_view CurrentLineNotInMapText =
    "The current line is not listed in the map file";
// The module refused a breakpoint or a run to the cursor.
void ShowBreakpointRefusedMessage(std::string_view ModuleText);
// Title: "Step Into", "Step Over" or "Step Out".
void ShowCantStepMessage(std::string_view Title, std::string_view ModuleText);
void ShowCodePositionNotFoundMessage(std::string_view Title);
void ShowUnknownValueChangedMessage();
// Located: the stop was at code the map knows.
void ShowValueChangedMessage(std::string_view Name, std::string_view OldValue,
                             std::string_view NewValue, bool Located);

} // namespace korvid
