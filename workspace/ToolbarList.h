#pragma once

#include <memory>
#include <vector>

namespace korvid {

class TCommandBar;

// The main window's toolbars in the order of their settings keys; not owned.
class TToolbarList {
public:
    int Count() const { return int(FItems.size()); }
    // Raises EListError for an index outside the list.
    TCommandBar* Items(int Index) const;
    int Add(TCommandBar* Bar);
    void Clear() { FItems.clear(); }

private:
    std::vector<TCommandBar*> FItems;
};

// One toolbar's stored place while the toolbar layouts are read.
struct TBarTemp {
    explicit TBarTemp(TCommandBar* Bar) : Bar(Bar) {}
    TCommandBar* Bar;
    int Offset = 0;
    int Lane = 0;
    bool Visible = false;
};

// The holders of all toolbars being read; owns them.
class TBarTempList {
public:
    int Count() const { return int(FItems.size()); }
    // Raises EListError for an index outside the list.
    TBarTemp* Items(int Index) const;
    TBarTemp* Add(TCommandBar* Bar);

private:
    std::vector<std::unique_ptr<TBarTemp>> FItems;
};

} // namespace korvid
