#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvid {

class TKorvidTool;
class TRegistryEx;

// Where a docked toolbar stands; other values dock it nowhere.
enum TToolbarDock { tdTop = 1, tdBottom = 2, tdLeft = 3, tdRight = 4 };

// One toolbar as its settings key holds it, each field at its default until read.
struct TToolbarLayout {
    std::string Name = "Toolbar";
    bool Visible = true;
    bool Docked = true;
    int Dock = tdTop;
    int Lane = 0;   // the row of the dock
    int Offset = 0; // the position along the row
    int FloatLeft = 300;
    int FloatTop = 200;
    int FloatRight = -1; // -1 keeps the bar's natural width
    // The floating bar's wrap width in client pixels, as its layout hook stores it (0: one
    // line); missing in layouts written before it, which only have "Float Right".
    std::optional<int> FloatRightX;
    std::vector<std::string> Buttons; // tool names and "-"

    bool operator==(const TToolbarLayout&) const = default;
};

// Reads the toolbar of the open key; its buttons end at the first missing or empty value.
TToolbarLayout ReadToolbarLayout(const TRegistryEx& Reg);
// Writes every value of the toolbar into the open key.
void WriteToolbarLayout(TRegistryEx& Reg, const TToolbarLayout& Layout);

// The stored toolbars in the order of their numbers (current key, else legacy); when neither
// key exists the default toolbars are written first and read back.
std::vector<TToolbarLayout> LoadToolbarLayouts();
// Replaces the stored toolbars under the current key by Layouts, numbered from 1.
void SaveToolbarLayouts(const std::vector<TToolbarLayout>& Layouts);

// Writes the five default toolbars under the current key, numbered from 1; a toolbar whose
// key cannot be opened is skipped and takes no number.
void WriteDefaultToolbars();
// Deletes the stored toolbars of the current key and writes the default ones.
void ResetToolbarLayouts();

// The tools of a list of names, null for each "-"; unknown names are skipped.
std::vector<TKorvidTool*> ToolsOfNames(const std::vector<std::string>& Names);

} // namespace korvid
