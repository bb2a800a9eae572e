#pragma once

#include <functional>
#include <string>

namespace korvid {

// What the filer needs of the main window.
class TFilerHost {
public:
    virtual ~TFilerHost() = default;
    // Opens "<volume file>><name>" in a tab.
    virtual void OpenFilerFile(const std::string& Name, bool ReadOnly) = 0;
    virtual void OpenTextInNewTab(const std::string& Caption, const std::string& Text) = 0;
    // The volume files of the Favourites, in tree order.
    virtual void
    ForEachFavouriteVolume(const std::function<void(const std::string& Path)>& Callback) = 0;
    virtual bool IsReadOnlyVolumeFile(const std::string& Path) = 0;
};

} // namespace korvid
