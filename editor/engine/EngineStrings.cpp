// The built-in string tables, laid out as bytes at compile time.
#include "editor/engine/StringResource.h"

#include <array>

namespace korvid {

namespace {

struct TEntry {
    std::uint16_t Id;
    std::string_view Text;
};

// clang-format off
constexpr TEntry EngineEntries[] = {
    // Editor command names, in command-code order.
    {33768, "None"}, {33769, "Backspace"}, {33770, "Bottom of page"},
    {33771, "Bottom right cell"}, {33772, "Complete date"}, {33773, "Complete time"},
    {33774, "Copy"}, {33775, "Control character"}, {33776, "Cut"}, {33777, "Decrement"},
    {33778, "Delete"}, {33779, "Delete to line start"}, {33780, "Delete to line end"},
    {33781, "Delete line"}, {33782, "Delete word"}, {33783, "Down"}, {33784, "End of line"},
    {33785, "Extend down"}, {33786, "Extend to line end"}, {33787, "Extend to line start"},
    {33788, "Extend left"}, {33789, "Extend page down"}, {33790, "Extend page up"},
    {33791, "Extend right"}, {33792, "Extend up"}, {33793, "Extend to bottom of page"},
    {33794, "Extend to start of text"}, {33795, "Extend to end of text"},
    {33796, "Extend to top of page"}, {33797, "Extend word left"},
    {33798, "Extend word right"}, {33799, "Start of text"},
    {33800, "Go to bookmark 0"}, {33801, "Go to bookmark 1"}, {33802, "Go to bookmark 2"},
    {33803, "Go to bookmark 3"}, {33804, "Go to bookmark 4"}, {33805, "Go to bookmark 5"},
    {33806, "Go to bookmark 6"}, {33807, "Go to bookmark 7"}, {33808, "Go to bookmark 8"},
    {33809, "Go to bookmark 9"}, {33810, "Start of line"}, {33811, "Increment"},
    {33812, "Toggle insert mode"}, {33813, "End of text"}, {33814, "Left"},
    {33815, "New line"}, {33816, "Page down"}, {33817, "Page left"}, {33818, "Page right"},
    {33819, "Paste"}, {33820, "Page up"}, {33821, "Redo"}, {33822, "Restore"},
    {33823, "Right"}, {33824, "Scroll down"}, {33825, "Scroll up"},
    {33826, "Set bookmark 0"}, {33827, "Set bookmark 1"}, {33828, "Set bookmark 2"},
    {33829, "Set bookmark 3"}, {33830, "Set bookmark 4"}, {33831, "Set bookmark 5"},
    {33832, "Set bookmark 6"}, {33833, "Set bookmark 7"}, {33834, "Set bookmark 8"},
    {33835, "Set bookmark 9"}, {33836, "Tab"}, {33837, "Table edit"},
    {33838, "Top left cell"}, {33839, "Top of page"}, {33840, "Undo"}, {33841, "Up"},
    {33842, "Word left"}, {33843, "Word right"},
    // Engine messages.
    {34168, "Unknown Error condition"},
    {34169, "Duplicate command found while adding a new command to the table"},
    {34170, "Command table not found or command table index out of range"},
    {34171, "This feature is not implemented at this time"},
    {34172, "No Controller assigned"},
    {34173, "Unable to create command table"},
    {34174, "Can't delete this table. Must have at least one command table defined"},
    {34175, "Invalid or no key sequence entered"},
    {34176, "Keys entered are not WordStar style commands"},
    {34177, "No command selected"},
    {34186, "Region is too large (> 64K)"},
    {34189, "No Window's timers are available"},
    {34197, "insufficient memory for requested operation"},
    {34198, "Current operation will exceed the maximum number of allowed paragraphs"},
    {34199, "Cannot join paragraphs. New paragraph size exceeds maximum paragraph size"},
    {34200, "Current operation will exceed the maximum editor text size"},
    {34201, "Current operation will exceed the maximum paragraph size"},
    {34213, "Invalid line or paragraph index"},
    {34214, "Invalid font assignment. Font must be a fixed font"},
    {34215, "Invalid font assignemnt. Font must be a TFont or TEngFixedFont"},
    {34216, "Invalid line or column"},
    // Names of the built-in command tables.
    {34275, "Default"}, {34276, "WordStar"}, {34284, "Grid"},
};

constexpr TEntry StrResEntries[] = {
    {1, "String not found: %d"},
    {2, "Cannot lock resource"},
    {3, "String resource not found: %s"},
    {4, "Unable to open string resource: %s"},
};
// clang-format on

template <std::size_t N> constexpr std::size_t TableSize(const TEntry (&Entries)[N]) {
    std::size_t Size = 3; // the closing empty record
    for (const TEntry& E : Entries)
        Size += 2 + E.Text.size() + 1;
    return Size;
}

template <const auto& Entries> constexpr auto BuildTable() {
    std::array<std::byte, TableSize(Entries)> Out{};
    std::size_t At = 0;
    for (const TEntry& E : Entries) {
        Out[At++] = static_cast<std::byte>(E.Id & 0xFF);
        Out[At++] = static_cast<std::byte>(E.Id >> 8);
        for (char C : E.Text)
            Out[At++] = static_cast<std::byte>(static_cast<unsigned char>(C));
        Out[At++] = std::byte{0};
    }
    return Out; // the closing record is already zero
}

constexpr auto EngineTable = BuildTable<EngineEntries>();
constexpr auto StrResTable = BuildTable<StrResEntries>();

} // namespace

std::optional<std::span<const std::byte>> FindStringTable(std::string_view Name) {
    if (Name == EngineStringsTableName)
        return std::span<const std::byte>(EngineTable);
    if (Name == StrResStringsTableName)
        return std::span<const std::byte>(StrResTable);
    return std::nullopt;
}

} // namespace korvid
