#pragma once

#include "workspace/HistoryService.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

class TDocumentEditor;

// The Favourites bar's tree as the main window reads it.
class TFavouritesService {
public:
    virtual ~TFavouritesService() = default;
    // 0 for no selection, else the node kind (1 folder ... 6 file inside a volume).
    virtual int SelectedNodeKind() const = 0;
    virtual void LoadFavourites(const std::string& FileName) = 0;
    virtual void SaveFavourites(std::string& FileName) = 0;
};

// A Favourites tree that holds nothing and writes nothing.
class TEmptyFavouritesTree : public TFavouritesService {
public:
    int SelectedNodeKind() const override { return 0; }
    void LoadFavourites(const std::string&) override {}
    void SaveFavourites(std::string&) override {}
};

// The find and folder-search dialogs as the main window reaches them.
class TSearchService {
public:
    virtual ~TSearchService() = default;
    // The Find dialog holds a search that Find Next can repeat.
    virtual bool CanRepeatSearch() const = 0;
    // Offers a search of the folder's files (opening a folder leads here).
    virtual void ShowSearchFolderDialog(const std::string& Folder) = 0;
};

// What the main window is made with; each service missing is given its stand-in.
struct TMainWindowServices {
    std::unique_ptr<THistoryService> History;
    std::unique_ptr<TFavouritesService> Favourites;
    std::unique_ptr<TSearchService> Search;
};

} // namespace korvid
