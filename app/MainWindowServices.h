#pragma once

#include "platform/DesktopOpener.h"
#include "platform/MailClient.h"

#include "platform/ProcessLauncher.h"
#include "workspace/HistoryService.h"
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

class TDocumentEditor;
class TFavouritesTreeView;

// The Favourites bar as the main window uses it.
class TFavouritesService {
public:
    virtual ~TFavouritesService() = default;
    // 0 for no selection, else the node kind (1 folder ... 6 file inside a volume).
    virtual int SelectedNodeKind() const = 0;
    // The path that opens the selected node; empty for none or a folder.
    virtual std::string SelectedPath() const = 0;
    // A missing file gives an empty tree; one that cannot be read is said so once and is
    // never saved over in this run.
    virtual void LoadFavourites(const std::string& FileName) = 0;
    virtual void SaveFavourites(std::string& FileName) = 0;
    // Makes the bar under Parent: a title with a close button, which runs OnClose, over the
    // tree.
    virtual QWidget* CreatePanel(QWidget* Parent, std::function<void()> OnClose) = 0;
    // Null until the panel is made.
    virtual TFavouritesTreeView* Tree() const = 0;
};

// The program's Favourites bar.
class TFavouritesBar : public TFavouritesService {
public:
    int SelectedNodeKind() const override;
    std::string SelectedPath() const override;
    void LoadFavourites(const std::string& FileName) override;
    void SaveFavourites(std::string& FileName) override;
    QWidget* CreatePanel(QWidget* Parent, std::function<void()> OnClose) override;
    TFavouritesTreeView* Tree() const override;

private:
    QPointer<TFavouritesTreeView> FTree;
    // The file that could not be read, kept as it is.
    std::string FUnreadFile;
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
    std::unique_ptr<TDesktopOpener> Opener;
    // Starts outside programs (command lines); the real one by default.
    std::unique_ptr<TProcessLauncher> Launcher;
};

} // namespace korvid
