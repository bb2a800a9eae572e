#pragma once

#include "psystem/FilerHost.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace korvid {

class TBrowseVolumeForm;
class TFavouritesService;
class TFilerForm;
class TVolume;
class TWindowHost;
struct TBrowseSearchOptions;
struct TFindSettings;

// What the filer and the volume browser need of the main window beyond TWindowHost.
class TVolumeToolsHost {
public:
    virtual ~TVolumeToolsHost() = default;
    virtual void OpenTextInNewTab(const std::string& Caption, const std::string& Text) = 0;
    virtual TFavouritesService& FavouritesTree() const = 0;
    // The blank tab that a file opened at start-up replaces; null when there is none.
    virtual QWidget* StartupTab() const = 0;
    // Makes Kept the start-up tab again while it is still open, else leaves none.
    virtual void RestoreStartupTab(QWidget* Kept) = 0;
    // Lists every line of the volumes' files that matches, in a results tab.
    virtual void FindInVolumes(const std::vector<TVolume*>& Volumes,
                               const TFindSettings& Settings) = 0;
};

// The p-System filer and the volume browser on the main window's side: their placement, what
// the browser's choice leads to, and the window as the filer sees it.
class TVolumeTools : public TFilerHost {
public:
    TVolumeTools(TWindowHost& Window, TVolumeToolsHost& Host);
    ~TVolumeTools() override;
    TVolumeTools(const TVolumeTools&) = delete;
    TVolumeTools& operator=(const TVolumeTools&) = delete;

    // Makes the filer where the settings last left it.
    void PrepareFiler();
    // Keeps the filer's place in the settings.
    void StoreFilerWindow();
    TFilerForm& Filer() const { return *FFilerForm; }
    // The filer, on the active document's volume when it is inside one.
    void ShowFiler();

    // The browser on the active document's volume, at its subvolume.
    void BrowseActiveVolume();
    // Shows the volume browser on VolumeFile, with the subvolume entry StartPath selected, and
    // acts on its choice.
    void BrowseVolume(const std::string& VolumeFile, const std::string& StartPath);
    TBrowseVolumeForm& BrowseVolumeForm();
    // Runs the browser's search over the volumes; the window's own find in files when empty.
    std::function<void(const std::vector<TVolume*>& Volumes, const TFindSettings& Settings)>
        OnBrowseSearch;

    void OpenFilerFile(const std::string& Name, bool ReadOnly) override;
    void OpenTextInNewTab(const std::string& Caption, const std::string& Text) override;
    void
    ForEachFavouriteVolume(const std::function<void(const std::string& Path)>& Callback) override;
    bool IsReadOnlyVolumeFile(const std::string& Path) override;

private:
    void SearchBrowsedVolumes(TBrowseVolumeForm& Form, const TBrowseSearchOptions& Options);

    TWindowHost& FWindow;
    TVolumeToolsHost& FHost;
    std::unique_ptr<TFilerForm> FFilerForm;
    std::unique_ptr<TBrowseVolumeForm> FBrowseVolumeForm;
};

} // namespace korvid
