#include "workspace/KorvidOptions.h"

#include "foundation/RegistryEx.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Paths.h"

#include <array>

namespace korvid {

namespace {

using enum TOptionDefaultKind;
using enum TOptionLoadDefault;
constexpr bool LeftByInit = true;

const std::array<TOptionDef, 101> Defs = {{
    {"Addresses In Hex", &TKorvidOptions::AddressesInHex, true},
    {"Always Pick Json", &TKorvidOptions::AlwaysPickJson, false},
    {"Auto Close Favourites", &TKorvidOptions::AutoCloseFavourites, false},
    {"Auto Show Debugging Bar", &TKorvidOptions::AutoShowDebuggingBar, true},
    {"Auto Watches Tab", &TKorvidOptions::AutoWatchesTab, true},
    {"Backup Minutes", &TKorvidOptions::BackupMinutes, 0},
    {"Bookmark Zero", &TKorvidOptions::BookmarkZero, false},
    {"Command Lines Filename", &TKorvidOptions::CommandLinesFilename, "CommandLines.txt", DataFile},
    {"Comparison Utility", &TKorvidOptions::ComparisonUtility, ""},
    {"Compile Resumes", &TKorvidOptions::CompileResumes, true},
    {"Confirm p-System Keys", &TKorvidOptions::ConfirmPSystemKeys, false},
    {"Date Format", &TKorvidOptions::DateFormat, "{date:long}"},
    {"Debugging Bar Font Name", &TKorvidOptions::DebuggingBarFontName, "", DialogFont,
     TableDefault},
    {"Debugging Bar Font Size", &TKorvidOptions::DebuggingBarFontSize, 8, Fixed, WindowFontSize},
    {"Debugging Bar Monospaced Font Name", &TKorvidOptions::DebuggingBarMonospacedFontName, "",
     MonospacedFont, TableDefault},
    {"Debugging Bar Monospaced Font Size", &TKorvidOptions::DebuggingBarMonospacedFontSize, 8,
     Fixed, WindowFontSize},
    {"Map File", &TKorvidOptions::MapFile, "C:\\Work.vol>WORK:MAP", Fixed, Empty},
    {"Delay p-System Keys", &TKorvidOptions::DelayPSystemKeys, false},
    {"DiskP Row Numbers", &TKorvidOptions::DiskPRowNumbers, true},
    {"Lorvanta By View", &TKorvidOptions::LorvantaByView, false, Fixed, Current, LeftByInit},
    {"Lorvanta COM Server", &TKorvidOptions::LorvantaCOMServer, ""},
    {"EMS Application", &TKorvidOptions::EMSApplication, ""},
    {"Lorvanta Combine Hints and Warnings", &TKorvidOptions::LorvantaCombineHintsAndWarnings,
     false},
    {"Wyx Debug To Output Text", &TKorvidOptions::WyxDebugToOutputText, false},
    {"EMS Filename", &TKorvidOptions::EMSFilename, ""},
    {"EMS Group", &TKorvidOptions::EMSGroup, ""},
    {"Lorvanta Map File", &TKorvidOptions::LorvantaMapFile, "WORK:MAP"},
    {"Lorvanta Modules Root", &TKorvidOptions::LorvantaModulesRoot, ""},
    {"Lorvanta Report Writer", &TKorvidOptions::LorvantaReportWriter, false},
    {"Lorvanta Cosmetic Hints", &TKorvidOptions::LorvantaCosmeticHints, true},
    {"Lorvanta Hints", &TKorvidOptions::LorvantaHints, true},
    {"Lorvanta Hints as Errors", &TKorvidOptions::LorvantaHintsAsErrors, false, Fixed, Current,
     LeftByInit},
    {"Lorvanta Warnings", &TKorvidOptions::LorvantaWarnings, true},
    {"Lorvanta Wincode", &TKorvidOptions::LorvantaWincode, false},
    {"Extra Line Spacing", &TKorvidOptions::ExtraLineSpacing, 2, Fixed, TableDefault, LeftByInit},
    {"Favourites On Left", &TKorvidOptions::FavouritesOnLeft, true},
    {"Favourites Filename", &TKorvidOptions::FavouritesFilename, "Favourites.txt", DataFile},
    {"File Filters", &TKorvidOptions::FileFilters, "All Files|*.*"},
    {"File Updates", &TKorvidOptions::FileUpdates, true},
    {"Find Current Word", &TKorvidOptions::FindCurrentWord, false},
    {"Fixed Replace", &TKorvidOptions::FixedReplace, false},
    {"Float Debugging Bar", &TKorvidOptions::FloatDebuggingBar, false},
    {"Focus Find Text", &TKorvidOptions::FocusFindText, false},
    {"Gapped Memory Dump", &TKorvidOptions::GappedMemoryDump, true},
    {"Hide Extensions", &TKorvidOptions::HideExtensions, false},
    {"History Filename", &TKorvidOptions::HistoryFilename, "History.txt", DataFile},
    {"Interleave Map", &TKorvidOptions::InterleaveMap, true},
    {"Keystrokes Filename", &TKorvidOptions::KeystrokesFilename, "Keystrokes.txt", DataFile},
    {"Mark Modified Tabs", &TKorvidOptions::MarkModifiedTabs, true},
    {"Maximum History", &TKorvidOptions::MaximumHistory, 200},
    {"Minimize On Close", &TKorvidOptions::MinimizeOnClose, false},
    {"Move After Paste", &TKorvidOptions::MoveAfterPaste, true},
    {"Move Changed Watches", &TKorvidOptions::MoveChangedWatches, false},
    {"Namesake Paths Active", &TKorvidOptions::NamesakePathsActive, false},
    {"Namesake Path 1", &TKorvidOptions::NamesakePath1, ""},
    {"Namesake Path 2", &TKorvidOptions::NamesakePath2, ""},
    {"Open Source On Connect", &TKorvidOptions::OpenSourceOnConnect, true},
    {"Pascal Work Volume", &TKorvidOptions::PascalWorkVolume, ""},
    {"Persist Watches", &TKorvidOptions::PersistWatches, true},
    {"Profiles Folder", &TKorvidOptions::ProfilesFolder, "", DataFolder, TableDefault},
    {"p-System Aware", &TKorvidOptions::PSystemAware, true},
    {"p-System Backups", &TKorvidOptions::PSystemBackups, false},
    {"p-System Launch Command", &TKorvidOptions::PSystemLaunchCommand, ""},
    {"p-System Window Title", &TKorvidOptions::PSystemWindowTitle, ""},
    {"VBat Key Log", &TKorvidOptions::VBatKeyLog, ""},
    {"VBat User Script", &TKorvidOptions::VBatUserScript, ""},
    {"VBat Want Input", &TKorvidOptions::VBatWantInput, false},
    {"Vosk Pascal", &TKorvidOptions::VoskPascal, false},
    {"Tessel Json", &TKorvidOptions::TesselJson, ""},
    {"Tessel Temp", &TKorvidOptions::TesselTemp, ""},
    {"Recentre On Find", &TKorvidOptions::RecentreOnFind, true},
    {"Recentre On Step", &TKorvidOptions::RecentreOnStep, false},
    {"Reload Map After Compile", &TKorvidOptions::ReloadMapAfterCompile, true},
    {"Retain Filename Case", &TKorvidOptions::RetainFilenameCase, false},
    {"Save On Command", &TKorvidOptions::SaveOnCommand, false},
    {"Scrollable Tabs", &TKorvidOptions::ScrollableTabs, false},
    {"Show Experimental Features", &TKorvidOptions::ShowExperimentalFeatures, false},
    {"Show Local Children", &TKorvidOptions::ShowLocalChildren, true},
    {"Binary File Message", &TKorvidOptions::BinaryFileMessage, true},
    {"No More Matches Message", &TKorvidOptions::NoMoreMatchesMessage, true},
    {"Change Complete Message", &TKorvidOptions::ChangeCompleteMessage, true},
    {"Move Bookmark Message", &TKorvidOptions::MoveBookmarkMessage, true},
    {"Remove Favourite Message", &TKorvidOptions::RemoveFavouriteMessage, true},
    {"Replace File Message", &TKorvidOptions::ReplaceFileMessage, true},
    {"Save p-System", &TKorvidOptions::SavePSystem, true},
    {"Unopenable File Message", &TKorvidOptions::UnopenableFileMessage, true},
    {"Show Minor Variables", &TKorvidOptions::ShowMinorVariables, false},
    {"Show Only Text Files", &TKorvidOptions::ShowOnlyTextFiles, true},
    {"Show Splash Screen", &TKorvidOptions::ShowSplashScreen, true},
    {"Show Variable Icons", &TKorvidOptions::ShowVariableIcons, true},
    {"Show Variable Types", &TKorvidOptions::ShowVariableTypes, false},
    {"Single Tab", &TKorvidOptions::SingleTab, false},
    {"Sort Procedures", &TKorvidOptions::SortProcedures, true},
    {"Suppress Script Success", &TKorvidOptions::SuppressScriptSuccess, true},
    {"Sync Procedures", &TKorvidOptions::SyncProcedures, false},
    {"Table Viewer Modal", &TKorvidOptions::TableViewerModal, true},
    {"Table Viewer Scope", &TKorvidOptions::TableViewerScope, 0},
    {"Korvid Tabs", &TKorvidOptions::KorvidTabs, false},
    {"Time Format", &TKorvidOptions::TimeFormat, "{time:long}"},
    {"Undo After Save", &TKorvidOptions::UndoAfterSave, true},
    {"Update Tiddler Timestamps", &TKorvidOptions::UpdateTiddlerTimestamps, false},
}};

} // namespace

std::span<const TOptionDef> OptionDefs() {
    return Defs;
}

const TOptionDef* FindOptionDef(std::string_view Name) {
    for (const TOptionDef& Def : Defs)
        if (Def.Name == Name)
            return &Def;
    return nullptr;
}

TOptionValue ResolvedDefault(const TOptionDef& Def) {
    switch (Def.DefaultKind) {
    case DataFile:
        return (ApplicationDataFolder() / std::get<std::string_view>(Def.Default)).string();
    case DataFolder:
        return ApplicationDataFolder().string();
    case DialogFont:
        return GetDialogFontName();
    case MonospacedFont:
        return GetMonospacedFontName();
    case Fixed:
        break;
    }
    return std::visit(
        [](const auto& Value) -> TOptionValue {
            if constexpr (std::is_same_v<std::decay_t<decltype(Value)>, std::string_view>)
                return std::string(Value);
            else
                return Value;
        },
        Def.Default);
}

TOptionValue GetOptionValue(const TKorvidOptions& Options, const TOptionDef& Def) {
    return std::visit(
        [&](auto Field) -> TOptionValue {
            const auto& Value = Options.*Field;
            if constexpr (std::is_same_v<std::decay_t<decltype(Value)>, std::uint8_t>)
                return int(Value);
            else
                return Value;
        },
        Def.Field);
}

void SetOptionValue(TKorvidOptions& Options, const TOptionDef& Def, const TOptionValue& Value) {
    std::visit(
        [&](auto Field) {
            auto& Target = Options.*Field;
            using TField = std::decay_t<decltype(Target)>;
            if constexpr (std::is_same_v<TField, std::uint8_t>)
                Target = std::uint8_t(std::get<int>(Value));
            else
                Target = std::get<TField>(Value);
        },
        Def.Field);
}

void InitOptions(TKorvidOptions& Options) {
    for (const TOptionDef& Def : Defs)
        if (!Def.LeftByInit)
            SetOptionValue(Options, Def, ResolvedDefault(Def));
}

namespace {

const std::string_view ActiveCommandLineName = "Active Command Line";
const std::string_view MultipleVolumeSearchListName = "Multiple Volume Search List";
constexpr int MinimumFontSize = 4;
constexpr int TableViewerScopeCount = 4;

TOptionValue LoadDefaultOf(const TKorvidOptions& Options, const TOptionDef& Def, int WindowFont) {
    switch (Def.LoadDefault) {
    case TableDefault:
        return ResolvedDefault(Def);
    case Empty:
        return std::string();
    case WindowFontSize:
        return WindowFont;
    case Current:
        break;
    }
    return GetOptionValue(Options, Def);
}

TOptionValue ReadOption(const TRegistryEx& Reg, const TOptionDef& Def,
                        const TOptionValue& Default) {
    switch (Def.Type()) {
    case TOptionType::Boolean:
        return Reg.ReadBoolDefault(Def.Name, std::get<bool>(Default));
    case TOptionType::Integer:
    case TOptionType::Byte:
        return Reg.ReadIntegerDefault(Def.Name, std::get<int>(Default));
    case TOptionType::String:
        break;
    }
    return Reg.ReadStringDefault(Def.Name, std::get<std::string>(Default));
}

// Stored values that the program cannot use as they stand.
void MendLoadedValue(const TOptionDef& Def, TOptionValue& Value) {
    const auto Field = Def.Field;
    if (Field == TOptionField(&TKorvidOptions::DebuggingBarFontSize) ||
        Field == TOptionField(&TKorvidOptions::DebuggingBarMonospacedFontSize)) {
        Value = Max(std::get<int>(Value), MinimumFontSize);
    } else if (Field == TOptionField(&TKorvidOptions::TableViewerScope)) {
        // Kept in a byte, so 259 would pass as 3.
        const int Scope = std::get<int>(Value);
        if (Scope < 0 || Scope >= TableViewerScopeCount)
            Value = 0;
    } else if (Field == TOptionField(&TKorvidOptions::MaximumHistory)) {
        // A negative count would empty the history at every save.
        if (std::get<int>(Value) < 0)
            Value = ResolvedDefault(Def);
    } else if (Field == TOptionField(&TKorvidOptions::CommandLinesFilename) ||
               Field == TOptionField(&TKorvidOptions::ComparisonUtility) ||
               Field == TOptionField(&TKorvidOptions::FavouritesFilename) ||
               Field == TOptionField(&TKorvidOptions::HistoryFilename) ||
               Field == TOptionField(&TKorvidOptions::KeystrokesFilename)) {
        auto& Name = std::get<std::string>(Value);
        if (!Name.empty())
            Name = TrueCaseFileName(Name, true);
    }
}

} // namespace

bool LoadOptions(TKorvidOptions& Options, TOptionsKeyExtras& Extras, int WindowFontSize) {
    // Without a stored key every value takes the loader's default, as a missing value would.
    TRegistryEx Reg;
    const bool Opened = Reg.OpenSettingsKeyForRead(OptionsKeys);
    if (Opened)
        Extras.ActiveCommandLine =
            Reg.ReadIntegerDefault(ActiveCommandLineName, Extras.ActiveCommandLine);
    for (const TOptionDef& Def : Defs) {
        TOptionValue Value = LoadDefaultOf(Options, Def, WindowFontSize);
        if (Opened)
            Value = ReadOption(Reg, Def, Value);
        MendLoadedValue(Def, Value);
        SetOptionValue(Options, Def, Value);
    }
    Extras.MultipleVolumeSearchList =
        Opened ? Reg.ReadStringDefault(MultipleVolumeSearchListName, "") : std::string();
    // Unsaved work survives a crash from the first day; a stored configuration keeps its choice.
    if (!Opened)
        Options.BackupMinutes = NewConfigurationBackupMinutes;
    return Opened;
}

bool SaveOptions(const TKorvidOptions& Options, const TOptionsKeyExtras& Extras) {
    TRegistryEx Reg;
    if (!Reg.OpenSettingsKeyForWrite(OptionsKeys))
        return false;
    Reg.WriteInteger(ActiveCommandLineName, Extras.ActiveCommandLine);
    for (const TOptionDef& Def : Defs) {
        const TOptionValue Value = GetOptionValue(Options, Def);
        switch (Def.Type()) {
        case TOptionType::Boolean:
            Reg.WriteBool(Def.Name, std::get<bool>(Value));
            break;
        case TOptionType::Integer:
        case TOptionType::Byte:
            Reg.WriteInteger(Def.Name, std::get<int>(Value));
            break;
        case TOptionType::String:
            Reg.WriteString(Def.Name, std::get<std::string>(Value));
            break;
        }
    }
    Reg.WriteString(MultipleVolumeSearchListName, Extras.MultipleVolumeSearchList);
    return true;
}

} // namespace korvid
