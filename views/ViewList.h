#pragma once

#include "views/View.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// Every view, and the default one. Owns its views; editors only point to them.
class TViewList {
public:
    int Count() const { return static_cast<int>(FViews.size()); }
    TView& GetView(int Index) const { return *FViews.at(Index); }
    int IndexOf(const TView* View) const;
    TView& Add(std::unique_ptr<TView> View);
    // Frees the view; the default view becomes none when it was that one.
    void Delete(int Index);
    // Frees every view; the default view goes with them (a pointer into freed views is useless).
    void Clear();

    TView* DefaultView = nullptr;
    // The default view, made from the defaults and appended when there is none.
    TView& GetDefaultView();

    TView& FindForFileName(std::string_view FileName);
    TView& FindForPSystemPascal();
    TView& FindForPSystemReportWriter();
    TView& FindForPSystemLorvanta();
    // The view for a file read from a p-System volume, by the kind of its text.
    TView& FindForPSystemFile(std::string_view FileName, const std::vector<std::string>& Lines,
                              TView& Fallback);

    void LoadFromRegistry();
    void SaveToRegistry() const;

private:
    template <class TPredicate> TView& FindFirst(TPredicate Matches);

    std::vector<std::unique_ptr<TView>> FViews;
};

} // namespace korvid
