#pragma once

#include "ui/SafeTreeView.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

// What a favourites node stands for.
enum TFavouriteKind : int {
    fvNone = 0,       // a placeholder, or no node
    fvFolder = 1,     // the user's own folder
    fvDiskFolder = 2, // a disk folder, listed afresh whenever it opens
    fvVolume = 3,     // a p-System volume file
    fvSubvolume = 4,  // a subvolume inside a listed volume
    fvFile = 5,       // a disk file (or a file-in-volume path)
    fvVolumeFile = 6, // a file inside a listed volume or subvolume
};

// How FillFolderNode treats subfolders.
enum TFillMode : int {
    fmFilesOnly = 0,
    fmRefilledFolders = 1, // as disk folders, listed when opened
    fmWholeTree = 2,       // as plain folders, filled at once to any depth
};

class TFavouritesData : public TTreeNodeData {
public:
    TFavouritesData(int Kind, std::string Path, std::string HostVolume = {},
                    std::string Subvolume = {});

    std::string HostVolume;
    bool IconsSet = false;
    std::string Path;
    int Kind;
    std::string Subvolume;
};

// How a favourites file read went.
enum class TFavouritesLoad { Loaded, Missing, Unreadable };

// A caption the favourites file can carry back: a line break, and for the kinds written with a
// path also ">", becomes "_".
QString SafeFavouriteCaption(const QString& Caption, int Kind);
// The caption of a folder path: its last part, trailing separators ignored.
QString FolderCaption(const std::string& Folder);

// The Favourites bar's tree of folders, disk folders, volumes and files; the locate dialog
// shows a folder with it too.
class TFavouritesTreeView : public TSafeTreeView {
public:
    explicit TFavouritesTreeView(QWidget* Parent = nullptr);
    ~TFavouritesTreeView() override;

    bool AutoCollapse = false;
    // Set while the tree is filled: no sorting, and icons below the top level wait.
    bool Loading = false;
    bool OpenOnSelect = false;
    bool Sorting = false;
    bool TextFilesOnly = false;
    // ".vol" files on disk show as volumes.
    bool PSystemAware = false;
    TTreeNode* RightClickNode = nullptr;

    std::function<void()> OnRemove;
    std::function<void(const std::string& Path)> OnLocate;
    std::function<void(const std::string& Path)> OnOpen;
    std::function<void()> OnSelectionChange;
    // A key the tree has no use for: true when a tool took it.
    std::function<bool(int VirtualKey, std::uint8_t Shift)> OnShortCut;
    // Shows the popup menu at a global point; the node under it is selected first.
    std::function<void(const QPoint& Global)> OnPopup;

    TTreeNode* AddFolder(TTreeNode* Parent, const QString& Caption);
    TTreeNode* AddDiskFolder(TTreeNode* Parent, const QString& Caption, const std::string& Path);
    TTreeNode* AddVolume(TTreeNode* Parent, const QString& Caption, const std::string& Path);
    TTreeNode* AddFile(TTreeNode* Parent, const QString& Caption, const std::string& Path);

    void FillFolderNode(TTreeNode* Node, const std::string& Folder, int Mode);
    // Lists a volume (or its subvolume) under Node; answers the child named SelectName.
    TTreeNode* FillVolumeNode(TTreeNode* Node, const std::string& VolumePath,
                              const std::string& SubvolumeName, const std::string& SelectName);

    static TFavouritesData* DataOf(const TTreeNode* Node);
    static int NodeKind(const TTreeNode* Node);
    // The path that opens the node; empty for folders and placeholders.
    static std::string NodePath(const TTreeNode* Node);
    std::string SelectedPath() const { return NodePath(Selected()); }
    // The nearest folder holding Node, Node itself when it is one; null for the top level.
    static TTreeNode* FolderOf(TTreeNode* Node);
    void ForEachVolume(const std::function<void(const std::string& Path)>& Callback) const;

    // An empty text file Name in the volume of Node; answers its node, null when none was made.
    TTreeNode* NewPSystemTextFile(TTreeNode* Node, const std::string& Name, bool MakeBackup);
    void RemoveSelected(bool& ShowMessage);
    void OpenSelected(Qt::KeyboardModifiers Shift);
    void EnterPressed() { OpenSelected({}); }
    void CtrlEnterPressed() { OpenSelected(Qt::ControlModifier); }

    TFavouritesLoad LoadFavourites(const std::string& FileName);
    // Retries under another name, or gives up, as the user says.
    void SaveFavourites(std::string& FileName);
    // The file's lines for the tree as it stands.
    std::vector<std::string> FavouritesLines() const;

    // Folders and disk folders first (mixed by name), then each other kind by name.
    void SortChildren(TTreeNode* Parent);
    bool CanEdit(const TTreeNode& Node) const;
    bool CanDrop(const TTreeNode& Source, const TTreeNode* Target) const;
    void Drop(TTreeNode& Source, TTreeNode* Target);
    // Fills a disk folder, volume or subvolume afresh as it opens.
    void Expanding(TTreeNode& Node);

protected:
    bool event(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    TTreeNode* AddItem(TTreeNode* Parent, const QString& Caption, int Kind,
                       const std::string& Path);
    void AddPlaceholder(TTreeNode* Parent, const QString& Caption, int Image);
    void RemoveChildren(TTreeNode* Node);
    void SetIcons(TTreeNode* Node);
    void Edited(TTreeNode& Node, QString& Caption);
    // Why the volume refused the name; empty once the file is renamed.
    std::string RenameVolumeFile(TTreeNode& Node, const QString& Caption);
    void SelectionChanged(TTreeNode* Node);
    // Expands Node without refilling it.
    void ExpandQuietly(TTreeNode* Node);

    bool FQuietExpand = false;
    TTreeNode* FEditedNode = nullptr;
};

} // namespace korvid
