#include "workspace/ToolbarSettings.h"

#include "foundation/RegistryEx.h"
#include "workspace/DefaultMenus.h"
#include "workspace/KorvidTool.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace korvid {

namespace {

constexpr std::string_view Separator = "-";

std::string ButtonValueName(std::size_t Number) {
    return "Button" + std::to_string(Number);
}

std::string SubKeyPath(std::string_view Key, std::string_view SubKey) {
    return "\\" + std::string(Key) + "\\" + std::string(SubKey);
}

// The number of a toolbar's key; names that are no number sort after all numbers.
long KeyNumber(const std::string& Name) {
    long Number = 0;
    const auto [End, Error] = std::from_chars(Name.data(), Name.data() + Name.size(), Number);
    const bool Whole = Error == std::errc() && End == Name.data() + Name.size();
    return Whole ? Number : std::numeric_limits<long>::max();
}

void WriteButtons(TRegistryEx& Reg, const std::vector<std::string>& Buttons) {
    for (std::size_t I = 0; I < Buttons.size(); ++I)
        Reg.WriteString(ButtonValueName(I + 1), Buttons[I]);
}

bool OpenToolbarKeyForWrite(TRegistryEx& Reg, int Number) {
    return Reg.OpenKey(SubKeyPath(ToolbarsKeys[CurrentKeyIndex], std::to_string(Number)), true);
}

} // namespace

TToolbarLayout ReadToolbarLayout(const TRegistryEx& Reg) {
    TToolbarLayout Layout;
    Layout.Name = Reg.ReadStringDefault("Name", Layout.Name);
    Layout.Visible = Reg.ReadBoolDefault("Visible", Layout.Visible);
    Layout.Docked = Reg.ReadBoolDefault("Docked", Layout.Docked);
    Layout.Dock = Reg.ReadIntegerDefault("Dock", Layout.Dock);
    Layout.Lane = Reg.ReadIntegerDefault("Lane", Layout.Lane);
    Layout.Offset = Reg.ReadIntegerDefault("Offset", Layout.Offset);
    Layout.FloatLeft = Reg.ReadIntegerDefault("Float Left", Layout.FloatLeft);
    Layout.FloatTop = Reg.ReadIntegerDefault("Float Top", Layout.FloatTop);
    Layout.FloatRight = Reg.ReadIntegerDefault("Float Right", Layout.FloatRight);
    if (Reg.ValueExists("FloatRightX"))
        Layout.FloatRightX = Reg.ReadIntegerDefault("FloatRightX", 0);
    for (std::size_t Number = 1;; ++Number) {
        std::string Button = Reg.ReadStringDefault(ButtonValueName(Number), "");
        if (Button.empty())
            break;
        Layout.Buttons.push_back(std::move(Button));
    }
    return Layout;
}

void WriteToolbarLayout(TRegistryEx& Reg, const TToolbarLayout& Layout) {
    Reg.WriteString("Name", Layout.Name);
    Reg.WriteBool("Visible", Layout.Visible);
    Reg.WriteBool("Docked", Layout.Docked);
    Reg.WriteInteger("Dock", Layout.Dock);
    Reg.WriteInteger("Lane", Layout.Lane);
    Reg.WriteInteger("Offset", Layout.Offset);
    Reg.WriteInteger("Float Left", Layout.FloatLeft);
    Reg.WriteInteger("Float Top", Layout.FloatTop);
    Reg.WriteInteger("Float Right", Layout.FloatRight);
    if (Layout.FloatRightX)
        Reg.WriteInteger("FloatRightX", *Layout.FloatRightX);
    WriteButtons(Reg, Layout.Buttons);
}

namespace {

std::vector<TToolbarLayout> ReadToolbarLayouts() {
    TRegistryEx Reg;
    if (!Reg.OpenSettingsKeyForRead(ToolbarsKeys))
        return {};
    const std::string Key = Reg.CurrentPath();
    std::vector<std::string> Names = Reg.GetKeyNames();
    std::stable_sort(Names.begin(), Names.end(), [](const std::string& A, const std::string& B) {
        return KeyNumber(A) < KeyNumber(B);
    });
    std::vector<TToolbarLayout> Layouts;
    for (const std::string& Name : Names)
        if (Reg.OpenKey(SubKeyPath(Key, Name), false))
            Layouts.push_back(ReadToolbarLayout(Reg));
    return Layouts;
}

} // namespace

std::vector<TToolbarLayout> LoadToolbarLayouts() {
    if (TRegistryEx().OpenSettingsKeyForRead(ToolbarsKeys))
        return ReadToolbarLayouts();
    // Read back from the defaults as written, also when the store cannot keep them.
    TRegistryTransaction Defaults;
    WriteDefaultToolbars();
    std::vector<TToolbarLayout> Layouts = ReadToolbarLayouts();
    Defaults.CommitAll();
    return Layouts;
}

void SaveToolbarLayouts(const std::vector<TToolbarLayout>& Layouts) {
    TRegistryEx Reg;
    Reg.DeleteSubKeys(ToolbarsKeys[CurrentKeyIndex]);
    int Number = 1;
    for (const TToolbarLayout& Layout : Layouts)
        if (OpenToolbarKeyForWrite(Reg, Number)) {
            WriteToolbarLayout(Reg, Layout);
            ++Number;
        }
}

void WriteDefaultToolbars() {
    TRegistryEx Reg;
    int Number = 1;
    for (const TDefaultToolbar& Bar : CreateDefaultMenus().Toolbars) {
        if (!OpenToolbarKeyForWrite(Reg, Number))
            continue;
        ++Number;
        Reg.WriteString("Name", Bar.Name);
        Reg.WriteBool("Visible", Bar.Visible);
        Reg.WriteBool("Docked", Bar.Docked);
        Reg.WriteInteger("Dock", Bar.Dock);
        if (Bar.Lane)
            Reg.WriteInteger("Lane", *Bar.Lane);
        if (Bar.Offset)
            Reg.WriteInteger("Offset", *Bar.Offset);
        WriteButtons(Reg, Bar.Buttons);
    }
}

void ResetToolbarLayouts() {
    TRegistryEx Reg;
    Reg.DeleteSubKeys(ToolbarsKeys[CurrentKeyIndex]);
    WriteDefaultToolbars();
}

std::vector<TKorvidTool*> ToolsOfNames(const std::vector<std::string>& Names) {
    std::vector<TKorvidTool*> Tools;
    for (const std::string& Name : Names) {
        if (Name == Separator) {
            Tools.push_back(nullptr);
            continue;
        }
        bool Found = false;
        const int Index = FindToolByName(Name, Found);
        if (Found)
            Tools.push_back(ToolList().Items(Index));
    }
    return Tools;
}

} // namespace korvid
