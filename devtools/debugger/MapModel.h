#pragma once

#include "psystem/SourceLineProvider.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// Orders names as the map's sorted lists do: ignoring case.
struct TIgnoreCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view A, std::string_view B) const;
};

// Map kinds: what the first line of the map file was.
enum TMapKind : int { mkNone = 0, mkRW = 1, mkL2 = 2, mkL3 = 3, mkListing = 4 };

// One source line that has code.
struct TLine {
    int LineNumber = 0;
    std::string SegmentName;
    int ProcNumber = 0;
    int Offset = 0;
};

struct TProc;

// One code position and the source line it came from.
struct TProcOffset : TMapSourceLine {
    const TProc* Proc = nullptr;
    int Offset = 0;
    std::string SourceName;
    int LineNumber = 0;
    std::string Text;

    const std::string& SourceText() const override { return Text; }
    const std::string& ProcedureName() const override;
};

// One procedure: its code positions in map order (ascending offsets).
struct TProc {
    std::string SegmentName;
    int Number = 0;
    std::string Name;
    std::vector<std::unique_ptr<TProcOffset>> Offsets;
};

// Location classes that an entity's letter gives to the entities below it.
enum TLocationClass : std::uint8_t {
    lcNone = 0,
    lcGlobal = 1,
    lcLocal = 2,
    lcPrimary = 3,
    lcExternal = 4,
    lcColumn = 5
};

// One named thing of the debugged program.
struct TEntity {
    std::string Name;
    std::string LowerName;
    std::uint8_t Kind = 0;
    char Letter = 0;
    std::uint8_t LocationClass = lcNone;
    TEntity* Owner = nullptr;
    std::vector<std::unique_ptr<TEntity>> Children;
    std::string ModuleName;
    int ElementIndex = 0;
    int MapNumber = 0;
    int WordOffset = 0;
    int Extent1 = 0; // digits of a number, length of a string, element count of an array
    int Extent2 = 0; // decimals of a number
    int ElementSize = 0;
    bool Indirect = false;
    bool Minor = false;
    TEntity* Companion = nullptr;
    int SortGroup = 1;
    std::string FullName;
    std::string LowerFullName;
    // Read from the module while paused.
    std::string ValueText;
    std::string PreviousValue;
    std::string CurrentValue;
    bool Changed = false;
    std::string AddressText;
};

using TProcList = std::vector<std::unique_ptr<TProc>>; // indexed by procedure number

// A loaded map: the two lookups' tables and the program's entities.
struct TMapModel {
    int Kind = mkNone;
    std::string Status;
    std::string Title;
    std::string FirstSource;
    std::map<std::string, TProcList, TIgnoreCaseLess> Segments;
    std::map<std::string, std::vector<TLine>, TIgnoreCaseLess> Sources;
    std::vector<std::vector<std::string>> Names;
    std::unique_ptr<TEntity> Root = std::make_unique<TEntity>();
    std::vector<TEntity*> Locals, Globals, Procedures, Containers, Tables, SegmentEntities;
};

// The text without leading and trailing blanks and control characters.
std::string_view TrimBlanks(std::string_view Text);
// Entity kind of a map type letter; 0 for no type.
int EntityKindOfLetter(char Letter);
// The location class that an entity of the letter gives to those below it.
std::uint8_t LocationClassGivenBy(char Letter);
// Words the entity's value takes in the module.
int SizeInWords(const TEntity& Entity);
// The nearest of the entity's owners that is of Kind; null for none.
const TEntity* NearestOwner(const TEntity& Entity, int Kind);
// Builds the full names of the entity and everything below it.
void BuildFullNames(TEntity& Entity, int MapKind);

// The procedure; null when the map does not hold it.
const TProc* FindProc(const TMapModel& Map, std::string_view SegmentName, int ProcNumber);
// The code-to-source lookup; null when the map does not hold the place.
const TProcOffset* FindProcOffset(const TMapModel& Map, std::string_view SegmentName,
                                  int ProcNumber, int Offset);
// The source-to-code lookup: the line's code, else the code line before it; null past the end.
const TLine* LocateProcOffset(const TMapModel& Map, std::string_view FileName, int LineNumber);
// The model written out as text, one source after another.
std::string ParsedMapText(const TMapModel& Map);

} // namespace korvid
