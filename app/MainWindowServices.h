#pragma once

#include "platform/MailClient.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

class TDocumentEditor;

// The recent-files list the main window feeds and shows in its History menu.
class THistoryService {
public:
    virtual ~THistoryService() = default;
    // Makes Path the newest entry.
    virtual void AddToHistory(const std::string& Path) = 0;
    virtual int Count() const = 0;
    // Empty when no entry has the rank (0 = newest).
    virtual std::string PathOfRank(int Rank) const = 0;
    virtual bool HasSelection() const = 0;
    virtual bool IconThreadFinished() const = 0;
    // A missing file leaves the list as it is.
    virtual void LoadHistory(const std::string& FileName) = 0;
    // At most MaximumCount entries, newest first; the user may pick another FileName.
    virtual void SaveHistory(std::string& FileName, int MaximumCount) = 0;

    // The list changed: the History menu is rebuilt.
    std::function<void()> OnChanged;
};

// A history that keeps its list and saves it, one path per line; names compare exactly.
class TFileHistory : public THistoryService {
public:
    static constexpr int MaximumEntries = 200;

    void AddToHistory(const std::string& Path) override;
    int Count() const override { return int(FPaths.size()); }
    std::string PathOfRank(int Rank) const override;
    bool HasSelection() const override { return false; }
    bool IconThreadFinished() const override { return true; }
    void LoadHistory(const std::string& FileName) override;
    void SaveHistory(std::string& FileName, int MaximumCount) override;

private:
    std::vector<std::string> FPaths; // newest first
};

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

// Shows help files.
class THelpViewer {
public:
    virtual ~THelpViewer() = default;
    // False when no program took the file.
    virtual bool ShowFile(const std::string& Path) = 0;
    // The file opened at the entry for Keyword, where the viewer can.
    virtual bool ShowFileAtKeyword(const std::string& Path, const std::string& Keyword) = 0;
};

// The desktop's program for each kind of file; it cannot be handed a keyword.
class TDesktopHelpViewer : public THelpViewer {
public:
    bool ShowFile(const std::string& Path) override;
    bool ShowFileAtKeyword(const std::string& Path, const std::string&) override {
        return ShowFile(Path);
    }
};

// What the main window is made with; each service missing is given its stand-in.
struct TMainWindowServices {
    std::unique_ptr<THistoryService> History;
    std::unique_ptr<TFavouritesService> Favourites;
    std::unique_ptr<TSearchService> Search;
    std::unique_ptr<THelpViewer> Help;
    std::unique_ptr<TMailClient> Mail;
};

} // namespace korvid
