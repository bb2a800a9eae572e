#include "workspace/KorvidOptions.h"
#include "workspace/SortOptions.h"

#include "foundation/RegistryEx.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace korvid {
namespace {

std::string DataFile(const char* Name) {
    return (ApplicationDataFolder() / Name).string();
}

std::string DataFolder() {
    return ApplicationDataFolder().string();
}

struct TExpectedDefault {
    const char* Name;
    TOptionValue Value;
};

// Every option with the default it has after InitOptions, in the order of the record.
std::vector<TExpectedDefault> ExpectedDefaults() {
    return {
        {"Addresses In Hex", true},
        {"Always Pick Json", false},
        {"Auto Close Favourites", false},
        {"Auto Show Debugging Bar", true},
        {"Auto Watches Tab", true},
        {"Backup Minutes", 0},
        {"Bookmark Zero", false},
        {"Command Lines Filename", DataFile("CommandLines.txt")},
        {"Comparison Utility", std::string("")},
        {"Compile Resumes", true},
        {"Confirm p-System Keys", false},
        {"Date Format", std::string("{date:long}")},
        {"Debugging Bar Font Name", GetDialogFontName()},
        {"Debugging Bar Font Size", 8},
        {"Debugging Bar Monospaced Font Name", GetMonospacedFontName()},
        {"Debugging Bar Monospaced Font Size", 8},
        {"Map File", std::string("C:\\Work.vol>WORK:MAP")},
        {"Delay p-System Keys", false},
        {"DiskP Row Numbers", true},
        {"Lorvanta By View", false},
        {"Lorvanta COM Server", std::string("")},
        {"EMS Application", std::string("")},
        {"Lorvanta Combine Hints and Warnings", false},
        {"Wyx Debug To Output Text", false},
        {"EMS Filename", std::string("")},
        {"EMS Group", std::string("")},
        {"Lorvanta Map File", std::string("WORK:MAP")},
        {"Lorvanta Modules Root", std::string("")},
        {"Lorvanta Report Writer", false},
        {"Lorvanta Cosmetic Hints", true},
        {"Lorvanta Hints", true},
        {"Lorvanta Hints as Errors", false},
        {"Lorvanta Warnings", true},
        {"Lorvanta Wincode", false},
        {"Extra Line Spacing", 2},
        {"Favourites On Left", true},
        {"Favourites Filename", DataFile("Favourites.txt")},
        {"File Filters", std::string("All Files|*.*")},
        {"File Updates", true},
        {"Find Current Word", false},
        {"Fixed Replace", false},
        {"Float Debugging Bar", false},
        {"Focus Find Text", false},
        {"Gapped Memory Dump", true},
        {"Hide Extensions", false},
        {"History Filename", DataFile("History.txt")},
        {"Interleave Map", true},
        {"Keystrokes Filename", DataFile("Keystrokes.txt")},
        {"Mark Modified Tabs", true},
        {"Maximum History", 200},
        {"Minimize On Close", false},
        {"Move After Paste", true},
        {"Move Changed Watches", false},
        {"Namesake Paths Active", false},
        {"Namesake Path 1", std::string("")},
        {"Namesake Path 2", std::string("")},
        {"Open Source On Connect", true},
        {"Pascal Work Volume", std::string("")},
        {"Persist Watches", true},
        {"Profiles Folder", DataFolder()},
        {"p-System Aware", true},
        {"p-System Backups", false},
        {"p-System Launch Command", std::string("")},
        {"p-System Window Title", std::string("")},
        {"VBat Key Log", std::string("")},
        {"VBat User Script", std::string("")},
        {"VBat Want Input", false},
        {"Vosk Pascal", false},
        {"Tessel Json", std::string("")},
        {"Tessel Temp", std::string("")},
        {"Recentre On Find", true},
        {"Recentre On Step", false},
        {"Reload Map After Compile", true},
        {"Retain Filename Case", false},
        {"Save On Command", false},
        {"Scrollable Tabs", false},
        {"Show Experimental Features", false},
        {"Show Local Children", true},
        {"Binary File Message", true},
        {"No More Matches Message", true},
        {"Change Complete Message", true},
        {"Move Bookmark Message", true},
        {"Remove Favourite Message", true},
        {"Replace File Message", true},
        {"Save p-System", true},
        {"Unopenable File Message", true},
        {"Show Minor Variables", false},
        {"Show Only Text Files", true},
        {"Show Splash Screen", true},
        {"Show Variable Icons", true},
        {"Show Variable Types", false},
        {"Single Tab", false},
        {"Sort Procedures", true},
        {"Suppress Script Success", true},
        {"Sync Procedures", false},
        {"Table Viewer Modal", true},
        {"Table Viewer Scope", 0},
        {"Korvid Tabs", false},
        {"Time Format", std::string("{time:long}")},
        {"Undo After Save", true},
        {"Update Tiddler Timestamps", false},
    };
}

std::string Show(const TOptionValue& Value) {
    return std::visit(
        [](const auto& V) {
            std::ostringstream Out;
            Out << V;
            return Out.str();
        },
        Value);
}

constexpr int WindowFontSize = 8;

class Options : public ::testing::Test {
protected:
    // A start: a zeroed record, the defaults, then the stored values.
    TKorvidOptions Start() {
        TKorvidOptions Result;
        InitOptions(Result);
        Extras = {};
        LoadOptions(Result, Extras, WindowFontSize);
        return Result;
    }

    void Write(int Side, const std::function<void(TRegistryEx&)>& Writer) {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(OptionsKeys[Side]), true));
        Writer(Reg);
    }

    bool KeyExists(int Side, const TSettingsKeyPair& Pair = OptionsKeys) {
        TRegistryEx Reg;
        return Reg.KeyExists("\\" + std::string(Pair[Side]));
    }

    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
    TOptionsKeyExtras Extras;
};

TEST_F(Options, TableNamesEveryFieldOnceInRecordOrder) {
    const std::vector<TExpectedDefault> Expected = ExpectedDefaults();
    ASSERT_EQ(OptionDefs().size(), Expected.size());
    std::set<std::string_view> Names;
    for (std::size_t I = 0; I < Expected.size(); ++I) {
        EXPECT_EQ(OptionDefs()[I].Name, Expected[I].Name);
        EXPECT_EQ(FindOptionDef(Expected[I].Name), &OptionDefs()[I]);
        Names.insert(OptionDefs()[I].Name);
    }
    EXPECT_EQ(Names.size(), Expected.size());
    EXPECT_EQ(FindOptionDef("addresses in hex"), nullptr);
    // Distinct fields: setting one through the table leaves every other as it was.
    TKorvidOptions Record;
    InitOptions(Record);
    const TOptionDef& Scope = *FindOptionDef("Table Viewer Scope");
    EXPECT_EQ(Scope.Type(), TOptionType::Byte);
    SetOptionValue(Record, Scope, 259); // kept in one byte
    EXPECT_EQ(Record.TableViewerScope, 3);
}

TEST_F(Options, InitOptionsGivesTheTableDefaultsButLeavesThreeFields) {
    TKorvidOptions Record;
    Record.LorvantaByView = true;
    Record.ExtraLineSpacing = 7;
    InitOptions(Record);
    for (const TExpectedDefault& Expected : ExpectedDefaults()) {
        const TOptionDef& Def = *FindOptionDef(Expected.Name);
        if (Def.LeftByInit)
            continue;
        EXPECT_EQ(GetOptionValue(Record, Def), Expected.Value) << Expected.Name;
    }
    EXPECT_TRUE(Record.LorvantaByView);
    EXPECT_FALSE(Record.LorvantaHintsAsErrors);
    EXPECT_EQ(Record.ExtraLineSpacing, 7);
}

TEST_F(Options, EmptyStoreLoadsEveryDefaultAndCreatesNoKey) {
    const TKorvidOptions Record = Start();
    for (const TExpectedDefault& Expected : ExpectedDefaults()) {
        TOptionValue Value = Expected.Value;
        if (std::string_view(Expected.Name) == "Map File")
            Value = std::string();
        // A new configuration keeps unsaved work from its first day.
        if (std::string_view(Expected.Name) == "Backup Minutes")
            Value = NewConfigurationBackupMinutes;
        EXPECT_EQ(GetOptionValue(Record, *FindOptionDef(Expected.Name)), Value) << Expected.Name;
    }
    EXPECT_EQ(Record.ExtraLineSpacing, 2);
    EXPECT_FALSE(KeyExists(LegacyKeyIndex));
    EXPECT_FALSE(KeyExists(CurrentKeyIndex));
}

TEST_F(Options, SaveWritesEveryValueWithItsType) {
    TKorvidOptions Record = Start();
    Extras.ActiveCommandLine = 3;
    Extras.MultipleVolumeSearchList = "A.VOL;B.VOL";
    ASSERT_TRUE(SaveOptions(Record, Extras));

    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKey("\\" + std::string(OptionsKeys[CurrentKeyIndex]), false));
    EXPECT_EQ(Reg.GetValueNames().size(), OptionDefs().size() + 2);
    for (const TOptionDef& Def : OptionDefs()) {
        SCOPED_TRACE(std::string(Def.Name));
        const TOptionValue Value = GetOptionValue(Record, Def);
        if (Def.Type() == TOptionType::String) {
            EXPECT_EQ(Reg.GetDataType(Def.Name), TRegDataType::rdString);
            EXPECT_EQ(Reg.ReadString(Def.Name), std::get<std::string>(Value));
        } else {
            EXPECT_EQ(Reg.GetDataType(Def.Name), TRegDataType::rdInteger);
            EXPECT_EQ(Reg.GetDataSize(Def.Name), 4);
            const int Expected = Def.Type() == TOptionType::Boolean ? int(std::get<bool>(Value))
                                                                    : std::get<int>(Value);
            EXPECT_EQ(Reg.ReadInteger(Def.Name), Expected);
        }
    }
    EXPECT_EQ(Reg.ReadInteger("Active Command Line"), 3);
    EXPECT_EQ(Reg.ReadString("Multiple Volume Search List"), "A.VOL;B.VOL");
    EXPECT_FALSE(KeyExists(LegacyKeyIndex));
}

// A value unlike its default, for every type.
TOptionValue Changed(const TOptionDef& Def, const TOptionValue& Default,
                     const test::TTempDir& Dir) {
    switch (Def.Type()) {
    case TOptionType::Boolean:
        return !std::get<bool>(Default);
    case TOptionType::Integer:
        return std::get<int>(Default) + 5;
    case TOptionType::Byte:
        return 2;
    case TOptionType::String:
        break;
    }
    // File names are re-spelled as found on disk, so give ones that exist.
    return (Dir / ("x " + std::string(Def.Name))).string();
}

TEST_F(Options, EveryValueSurvivesASaveAndTheNextStart) {
    TKorvidOptions Record = Start();
    for (const TOptionDef& Def : OptionDefs()) {
        test::WriteFileBytes(Dir / ("x " + std::string(Def.Name)), "");
        SetOptionValue(Record, Def, Changed(Def, GetOptionValue(Record, Def), Dir));
    }
    Extras.ActiveCommandLine = 4;
    Extras.MultipleVolumeSearchList = "LIST";
    ASSERT_TRUE(SaveOptions(Record, Extras));

    const TKorvidOptions Loaded = Start();
    for (const TOptionDef& Def : OptionDefs())
        EXPECT_EQ(GetOptionValue(Loaded, Def), GetOptionValue(Record, Def)) << Def.Name;
    EXPECT_EQ(Extras.ActiveCommandLine, 4);
    EXPECT_EQ(Extras.MultipleVolumeSearchList, "LIST");
}

TEST_F(Options, LegacyValuesAreReadThenWrittenToTheCurrentKey) {
    Write(LegacyKeyIndex, [](TRegistryEx& Reg) {
        Reg.WriteBool("Single Tab", true);
        Reg.WriteInteger("Backup Minutes", 15);
        Reg.WriteString("Date Format", "{day}");
    });
    TKorvidOptions Record = Start();
    EXPECT_TRUE(Record.SingleTab);
    EXPECT_EQ(Record.BackupMinutes, 15);
    EXPECT_EQ(Record.DateFormat, "{day}");
    EXPECT_FALSE(KeyExists(CurrentKeyIndex));

    ASSERT_TRUE(SaveOptions(Record, Extras));
    // The legacy key is never written; the next start reads the current one.
    Write(LegacyKeyIndex, [](TRegistryEx& Reg) { Reg.WriteInteger("Backup Minutes", 99); });
    Record = Start();
    EXPECT_EQ(Record.BackupMinutes, 15);
    EXPECT_TRUE(Record.SingleTab);
}

TEST_F(Options, StoredValuesThatCannotBeUsedAsTheyStand) {
    struct TCase {
        const char* Name;
        std::function<void(TRegistryEx&, std::string_view)> Store;
        TOptionValue Loaded;
    };
    const auto Integer = [](int Value) {
        return [Value](TRegistryEx& Reg, std::string_view Name) { Reg.WriteInteger(Name, Value); };
    };
    const auto String = [](const char* Value) {
        return [Value](TRegistryEx& Reg, std::string_view Name) { Reg.WriteString(Name, Value); };
    };
    const TCase Cases[] = {
        {"Show Splash Screen", String("no"), true}, // another type gives the default
        {"Single Tab", String("1"), false},
        {"Backup Minutes", String("10"), 0},
        {"Date Format", Integer(1), std::string("{date:long}")},
        {"Debugging Bar Font Size", Integer(2), 4}, // raised to 4
        {"Debugging Bar Monospaced Font Size", Integer(-1), 4},
        {"Debugging Bar Font Size", Integer(4), 4},
        {"Debugging Bar Font Size", Integer(30), 30},
        {"Table Viewer Scope", Integer(259), 0}, // not 3 from its low byte
        {"Table Viewer Scope", Integer(-1), 0},
        {"Table Viewer Scope", Integer(4), 0},
        {"Table Viewer Scope", Integer(3), 3},
        {"Maximum History", Integer(-5), 200}, // never an empty history
        {"Maximum History", Integer(0), 0},
        {"Extra Line Spacing", Integer(-3), -3}, // other values are taken as stored
        {"Comparison Utility", String(""), std::string()},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Name) + " loaded as " + Show(Case.Loaded));
        Write(CurrentKeyIndex, [&](TRegistryEx& Reg) { Case.Store(Reg, Case.Name); });
        const TKorvidOptions Record = Start();
        EXPECT_EQ(GetOptionValue(Record, *FindOptionDef(Case.Name)), Case.Loaded);
    }
}

TEST_F(Options, LoaderDefaultsThatDifferFromTheRecord) {
    // A key without the values: the loader's own defaults, not the record's.
    Write(CurrentKeyIndex, [](TRegistryEx& Reg) { Reg.WriteString("Unrelated", "x"); });
    TKorvidOptions Record;
    InitOptions(Record);
    Record.ProfilesFolder = "elsewhere";
    Record.BackupMinutes = 9; // the record's value is the default here
    Extras.ActiveCommandLine = 6;
    Extras.MultipleVolumeSearchList = "kept?";
    EXPECT_TRUE(LoadOptions(Record, Extras, 3));
    EXPECT_EQ(Record.MapFile, "");
    EXPECT_EQ(Record.ExtraLineSpacing, 2);
    EXPECT_EQ(Record.ProfilesFolder, DataFolder());
    EXPECT_EQ(Record.BackupMinutes, 9);
    EXPECT_EQ(Record.DebuggingBarFontSize, 4); // the window's 3, raised
    EXPECT_EQ(Extras.ActiveCommandLine, 6);
    EXPECT_EQ(Extras.MultipleVolumeSearchList, "");

    EXPECT_TRUE(LoadOptions(Record, Extras, 11));
    EXPECT_EQ(Record.DebuggingBarMonospacedFontSize, 11);
}

TEST_F(Options, FileNamesTakeTheirSpellingOnDisk) {
    std::filesystem::create_directories(Dir / "Lists");
    const std::string Stored = (Dir / "Lists" / "." / "History.txt").string();
    Write(CurrentKeyIndex, [&](TRegistryEx& Reg) { Reg.WriteString("History Filename", Stored); });
    EXPECT_EQ(Start().HistoryFilename, TrueCaseFileName(Stored, true));
    EXPECT_EQ(Start().HistoryFilename, (Dir / "Lists" / "History.txt").string());
}

// ---- Sort options --------------------------------------------------------------------------

TEST_F(Options, ResetSortOptionsGivesTheDefaults) {
    TKorvidSortOptions Sort{false, 9, false, true, true, false, 40, 7, "x"};
    ResetSortOptions(Sort);
    EXPECT_TRUE(Sort.SingleParagraphs);
    EXPECT_EQ(Sort.ParagraphStep, 2);
    EXPECT_TRUE(Sort.Ascending);
    EXPECT_FALSE(Sort.Numerical);
    EXPECT_FALSE(Sort.CaseSensitive);
    EXPECT_TRUE(Sort.FromColumn);
    EXPECT_EQ(Sort.FromColumnNumber, 1);
    EXPECT_EQ(Sort.FromOccurrenceNumber, 1);
    EXPECT_EQ(Sort.FromOccurrenceText, "");
}

TEST_F(Options, SortOptionsSurviveASaveAndMissingValuesKeepTheRecord) {
    TKorvidSortOptions Sort;
    ResetSortOptions(Sort);
    EXPECT_FALSE(LoadSortOptions(Sort));
    EXPECT_FALSE(KeyExists(LegacyKeyIndex, SortKeys));

    const TKorvidSortOptions Saved{false, 5, false, true, true, false, 12, 3, "; "};
    ASSERT_TRUE(SaveSortOptions(Saved));
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(SortKeys[CurrentKeyIndex]), false));
        EXPECT_EQ(Reg.GetValueNames(),
                  (std::vector<std::string>{"Single Paragraphs", "Paragraph Step", "Ascending",
                                            "Numerical", "Case Sensitive", "From Column",
                                            "From Column Number", "From Occurrence Number",
                                            "From Occurrence Text"}));
        Reg.DeleteValue("Paragraph Step");
    }
    TKorvidSortOptions Loaded;
    ResetSortOptions(Loaded);
    ASSERT_TRUE(LoadSortOptions(Loaded));
    EXPECT_EQ(Loaded.ParagraphStep, 2);
    Loaded.ParagraphStep = Saved.ParagraphStep;
    EXPECT_EQ(Loaded, Saved);
}

} // namespace
} // namespace korvid
