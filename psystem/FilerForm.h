#pragma once

#include "psystem/FilerHost.h"
#include "psystem/FilerModel.h"
#include "ui/BrowseFolder.h"

#include <QDialog>
#include <QList>
#include <QUrl>

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QListView;
class QMenu;
class QSplitter;
class QStackedWidget;
class QStandardItemModel;
class QToolBar;
class QTreeView;

namespace korvid {

class TVolume;

enum TFilerSide : int { fsLeft = 0, fsRight = 1 };

// The state of one pane.
struct TListInfo {
    int SortColumn = -1; // the column last sorted ascending, -1 for none
    int ViewMode = vmSimpleList;
    std::string SubvolumeName;  // "SUB.SVOL" while inside one
    std::string SubvolumeTitle; // its own volume name
    std::unique_ptr<TVolume> Volume;
    std::string VolumePath; // the chosen volume file; empty for none
    std::string VolumeName; // its file name part
    std::vector<TFilerItem> Items;
    // The file the volume was opened from, to see when the path names another one.
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
};

// The two-pane p-System filer: each pane shows a volume file or one of its subvolumes, and the
// commands act on the active pane's selection.
class TFilerForm : public QDialog {
    Q_OBJECT

public:
    explicit TFilerForm(TFilerHost& Host, QWidget* Parent = nullptr);
    ~TFilerForm() override;

    // Opens VolumePath (if any) in the left pane and shows the window modally; without a volume
    // at hand it says what it needs instead.
    void Execute(const std::string& VolumePath);
    void EqualisePanes();

    TListInfo& Pane(int Side) { return FPanes[std::size_t(Side)].Info; }
    QComboBox* Combo(int Side) const { return FPanes[std::size_t(Side)].Combo; }
    QTreeView* Details(int Side) const { return FPanes[std::size_t(Side)].Details; }
    QListView* List(int Side) const { return FPanes[std::size_t(Side)].List; }
    QStandardItemModel* Model(int Side) const { return FPanes[std::size_t(Side)].Model; }
    QWidget* Panel(int Side) const { return FPanes[std::size_t(Side)].Panel; }
    QAction* Action(int Command) const { return FActions[std::size_t(Command)]; }
    QMenu* PopupMenu() const { return FPopup; }

    int ActiveSide() const { return FActive; }
    void SetActiveSide(int Side);
    // Selects these rows of the pane (clearing the others).
    void SelectRows(int Side, const std::vector<int>& Rows);
    std::vector<int> SelectedRows(int Side) const;
    // The items as the pane lists them now.
    std::vector<TFilerItem> ShownItems(int Side) const;

    void ColumnClick(int Side, int Column);
    void ComboChanged(int Side);
    // Reopens the pane's volume; a damaged directory is reported once per showing.
    void RefreshPane(int Side);
    void UpdateCommands();
    void UpdateCaption();
    // Files dropped at Position (in the window's coordinates).
    void DropFiles(const QList<QUrl>& Urls, const QPoint& Position);
    // The end of an in-place edit of Row's caption.
    void FinishRename(int Side, int Row, const QString& Typed);
    void StartRename();
    // Runs a command when it is enabled; the volume classes' exceptions pass through.
    void RunCommand(int Command);

    TBrowseFolder FolderPicker;

protected:
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TPaneWidgets {
        QWidget* Panel = nullptr;
        QComboBox* Combo = nullptr;
        QStandardItemModel* Model = nullptr;
        QTreeView* Details = nullptr;
        QListView* List = nullptr;
        QStackedWidget* Stack = nullptr;
        TListInfo Info;
    };

    void BuildPane(int Side, QSplitter& Splitter);
    void BuildActions();
    void FillCombos();
    void TellDamage(const std::string& Damage);
    void AddVolumeToCombo(const std::string& Path, int Side);
    void ShowItems(int Side);
    void SetViewMode(int Mode);
    QWidget* ShownView(int Side) const;
    // Reopens a pane whose path now names another file, before a command acts on it.
    void FollowReplacedFiles();
    // Refreshes the other pane too when it shows the same volume file.
    void AfterChange(int Side);
    TFilerPaneFacts Facts(int Side) const;
    int Other() const { return 1 - FActive; }
    TVolume* ActiveVolume() const { return FPanes[std::size_t(FActive)].Info.Volume.get(); }
    bool ActiveWritable() const;
    // A command from a menu, key or button: its failure is raised again from the event loop.
    void Trigger(int Command);
    void RaiseLater(const std::string& Message);
    // While a caption is edited, Return and Backspace belong to the edit.
    void LendKeysToEdit(bool Lend);

    void Open();
    void UpOneLevel();
    void Copy();
    void RenameVolume();
    void Delete();
    void Flush();
    void Resize();
    void Krunch();
    void Shrink();
    void CreateSubvolume();
    void Unpack(int Mode);
    void Pack();
    void GrabListing();

    TFilerHost& FHost;
    std::array<TPaneWidgets, 2> FPanes;
    std::array<QAction*, FilerCommandCount> FActions{};
    QToolBar* FToolbar = nullptr;
    QSplitter* FSplitter = nullptr;
    QMenu* FPopup = nullptr;
    int FActive = fsLeft;
    bool FEditing = false;
    // The damage reports shown since the window was last opened.
    std::set<std::string> FToldDamage;
};

} // namespace korvid
