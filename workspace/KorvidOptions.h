#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace korvid {

// The user's options. Fields stand in the order of their settings table; a fresh record is
// zeroed and InitOptions gives it the defaults.
struct TKorvidOptions {
    bool AddressesInHex = false;
    bool AlwaysPickJson = false;
    bool AutoCloseFavourites = false;
    bool AutoShowDebuggingBar = false;
    bool AutoWatchesTab = false;
    int BackupMinutes = 0;
    bool BookmarkZero = false;
    std::string CommandLinesFilename;
    std::string ComparisonUtility;
    bool CompileResumes = false;
    bool ConfirmPSystemKeys = false;
    std::string DateFormat;
    std::string DebuggingBarFontName;
    int DebuggingBarFontSize = 0;
    std::string DebuggingBarMonospacedFontName;
    int DebuggingBarMonospacedFontSize = 0;
    std::string MapFile;
    bool DelayPSystemKeys = false;
    bool DiskPRowNumbers = false;
    bool LorvantaByView = false;
    std::string LorvantaCOMServer;
    std::string EMSApplication;
    bool LorvantaCombineHintsAndWarnings = false;
    bool WyxDebugToOutputText = false;
    std::string EMSFilename;
    std::string EMSGroup;
    std::string LorvantaMapFile;
    std::string LorvantaModulesRoot;
    bool LorvantaReportWriter = false;
    bool LorvantaCosmeticHints = false;
    bool LorvantaHints = false;
    bool LorvantaHintsAsErrors = false;
    bool LorvantaWarnings = false;
    bool LorvantaWincode = false;
    int ExtraLineSpacing = 0;
    bool FavouritesOnLeft = false;
    std::string FavouritesFilename;
    std::string FileFilters;
    bool FileUpdates = false;
    bool FindCurrentWord = false;
    bool FixedReplace = false;
    bool FloatDebuggingBar = false;
    bool FocusFindText = false;
    bool GappedMemoryDump = false;
    bool HideExtensions = false;
    std::string HistoryFilename;
    bool InterleaveMap = false;
    std::string KeystrokesFilename;
    bool MarkModifiedTabs = false;
    int MaximumHistory = 0;
    bool MinimizeOnClose = false;
    bool MoveAfterPaste = false;
    bool MoveChangedWatches = false;
    bool NamesakePathsActive = false;
    std::string NamesakePath1;
    std::string NamesakePath2;
    bool OpenSourceOnConnect = false;
    std::string PascalWorkVolume;
    bool PersistWatches = false;
    std::string ProfilesFolder;
    bool PSystemAware = false;
    bool PSystemBackups = false;
    std::string PSystemLaunchCommand;
    std::string PSystemWindowTitle;
    std::string VBatKeyLog;
    std::string VBatUserScript;
    bool VBatWantInput = false;
    bool VoskPascal = false;
    std::string TesselJson;
    std::string TesselTemp;
    bool RecentreOnFind = false;
    bool RecentreOnStep = false;
    bool ReloadMapAfterCompile = false;
    bool RetainFilenameCase = false;
    bool SaveOnCommand = false;
    bool ScrollableTabs = false;
    bool ShowExperimentalFeatures = false;
    bool ShowLocalChildren = false;
    bool BinaryFileMessage = false;
    bool NoMoreMatchesMessage = false;
    bool ChangeCompleteMessage = false;
    bool MoveBookmarkMessage = false;
    bool RemoveFavouriteMessage = false;
    bool ReplaceFileMessage = false;
    bool SavePSystem = false;
    bool UnopenableFileMessage = false;
    bool ShowMinorVariables = false;
    bool ShowOnlyTextFiles = false;
    bool ShowSplashScreen = false;
    bool ShowVariableIcons = false;
    bool ShowVariableTypes = false;
    bool SingleTab = false;
    bool SortProcedures = false;
    bool SuppressScriptSuccess = false;
    bool SyncProcedures = false;
    bool TableViewerModal = false;
    std::uint8_t TableViewerScope = 0;
    bool KorvidTabs = false;
    std::string TimeFormat;
    bool UndoAfterSave = false;
    bool UpdateTiddlerTimestamps = false;
};

// Where a default comes from when it depends on the machine.
enum class TOptionDefaultKind {
    Fixed,          // the table's value
    DataFile,       // the table's file name in the per-user data folder
    DataFolder,     // the per-user data folder
    DialogFont,     // GetDialogFontName
    MonospacedFont, // GetMonospacedFontName
};

// What the settings loader falls back to when a value is missing or of another type.
enum class TOptionLoadDefault {
    Current,        // the field's value before the read
    TableDefault,   // the resolved table default
    Empty,          // an empty string
    WindowFontSize, // the point size of the main window's font
};

using TOptionField = std::variant<bool TKorvidOptions::*, int TKorvidOptions::*,
                                  std::uint8_t TKorvidOptions::*, std::string TKorvidOptions::*>;
using TOptionDefault = std::variant<bool, int, std::string_view>;
// An option's value: a Boolean, an integer (the byte-sized field too) or a string.
using TOptionValue = std::variant<bool, int, std::string>;

// In the order of TOptionField's alternatives.
enum class TOptionType { Boolean, Integer, Byte, String };

// One row of the settings table: the registry value name (the option's name everywhere), the
// field and its default.
struct TOptionDef {
    std::string_view Name;
    TOptionField Field;
    TOptionDefault Default;
    TOptionDefaultKind DefaultKind = TOptionDefaultKind::Fixed;
    TOptionLoadDefault LoadDefault = TOptionLoadDefault::Current;
    // InitOptions leaves the field as it is.
    bool LeftByInit = false;

    TOptionType Type() const { return TOptionType(Field.index()); }
};

// The table, in field order.
std::span<const TOptionDef> OptionDefs();
// The row of a registry value name (exact spelling), or null.
const TOptionDef* FindOptionDef(std::string_view Name);

// The default with its machine-dependent part filled in.
TOptionValue ResolvedDefault(const TOptionDef& Def);
TOptionValue GetOptionValue(const TKorvidOptions& Options, const TOptionDef& Def);
// An integer for the byte-sized field keeps its low byte, as the record stores it.
void SetOptionValue(TKorvidOptions& Options, const TOptionDef& Def, const TOptionValue& Value);

// Writes the table defaults into every field except the ones marked LeftByInit.
void InitOptions(TKorvidOptions& Options);

// Values of the options key that belong to other windows.
struct TOptionsKeyExtras {
    int ActiveCommandLine = 0;            // the selected command line
    std::string MultipleVolumeSearchList; // the volume browser's search list
};

// "Backup Minutes" of a configuration with no stored options.
inline constexpr int NewConfigurationBackupMinutes = 1;

// Overlays the stored options (current key, else legacy; nothing is created). A value that is
// missing, of another type or in a missing key takes its load default, except that a new
// configuration (neither key) backs up every NewConfigurationBackupMinutes; WindowFontSize is
// the one of the two debugging bar font sizes. False when neither key exists.
bool LoadOptions(TKorvidOptions& Options, TOptionsKeyExtras& Extras, int WindowFontSize);
// Writes every value to the current key, creating it. False when it cannot be opened.
bool SaveOptions(const TKorvidOptions& Options, const TOptionsKeyExtras& Extras);

} // namespace korvid
