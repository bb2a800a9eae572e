#include "workspace/ToolbarList.h"

#include "workspace/KorvidTool.h"

#include <string>

namespace korvid {

namespace {

void CheckIndex(int Index, int Count) {
    if (Index < 0 || Index >= Count)
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

} // namespace

TCommandBar* TToolbarList::Items(int Index) const {
    CheckIndex(Index, Count());
    return FItems[Index];
}

int TToolbarList::Add(TCommandBar* Bar) {
    FItems.push_back(Bar);
    return Count() - 1;
}

TBarTemp* TBarTempList::Items(int Index) const {
    CheckIndex(Index, Count());
    return FItems[Index].get();
}

TBarTemp* TBarTempList::Add(TCommandBar* Bar) {
    FItems.push_back(std::make_unique<TBarTemp>(Bar));
    return FItems.back().get();
}

} // namespace korvid
