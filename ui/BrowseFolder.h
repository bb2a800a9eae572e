#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <QString>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>

class QAbstractButton;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace korvid {

enum TBrowseInfoFlag {
    bfFileSysDirsOnly,
    bfDontGoBelowDomain,
    bfStatusText,
    bfFileSysAncestors,
    bfBrowseForComputer,
    bfBrowseForPrinter
};
using TBrowseInfoFlagSet = std::set<TBrowseInfoFlag>;

enum TSHFolders {
    foDesktop,
    foDesktopExpanded,
    foPrograms,
    foControlPanel,
    foPrinters,
    foPersonal,
    foFavorites,
    foStartup,
    foRecent,
    foSendto,
    foRecycleBin,
    foStartMenu,
    foDesktopDirectory,
    foMyComputer,
    foNetwork,
    foNetworkNeighborhood,
    foFonts,
    foTemplates
};

enum TCustomButtonType { btPushButton, btCheckBox };

// The path as the picker's status line shows it: at most MaxLength characters where the parts
// allow, the second part replaced by "..." and the parts after it dropped until it fits, but
// never fewer than the first part, "..." and the last.
std::string ShortenStatusPath(std::string_view Path, char Separator, std::size_t MaxLength = 35);
// The folder a root shows: the whole tree, the desktop, or the home folder.
std::filesystem::path BrowseRootPath(TSHFolders Root);
// The picker's top-left corner: centred across the active window, a quarter of it down.
QPoint BrowseDialogPosition(const QRect& ActiveWindow, const QSize& Dialog);

// The picker's window: a tree of folders only, a status line, and the button row.
class TBrowseFolderDialog : public QDialog {
    Q_OBJECT

public:
    TBrowseFolderDialog(const std::filesystem::path& Root, QWidget* Parent = nullptr);
    ~TBrowseFolderDialog() override;

    QTreeView* Tree() const { return FTree; }
    QLabel* StatusLine() const { return FStatus; }
    QPushButton* OkButton() const { return FOk; }
    QPushButton* CancelButton() const { return FCancel; }
    // Null unless one was asked for.
    QAbstractButton* CustomButton() const { return FCustom; }

    // The folder of the current item; empty without one or for an item not on the disk.
    std::filesystem::path CurrentPath() const;
    void SelectPath(const std::filesystem::path& Folder);
    QAbstractButton* AddCustomButton(TCustomButtonType Type, const QString& Caption, int Width);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // The folders above the selected one are listed after it is selected; each listing pushes
    // it down, so it is brought back into view until the user picks another.
    void KeepSelectedInView();

    QFileSystemModel* FModel;
    QTreeView* FTree;
    QLabel* FStatus;
    QPushButton* FOk;
    QPushButton* FCancel;
    QAbstractButton* FCustom = nullptr;
    QPersistentModelIndex FSelected;
};

// The folder picker: preselects Directory, may show the current path in a status line and
// carry one extra push button or check box, and answers the chosen folder in Directory.
class TBrowseFolder {
public:
    static constexpr int DefaultCustomButtonWidth = 75;

    // True with Directory set when a folder was chosen.
    bool Execute();
    // The open dialog, null while none is.
    TBrowseFolderDialog* Dialog() const { return FDialog; }

    std::filesystem::path Directory;
    QString Title;
    // The picker always shows folders only; bfStatusText shows the status line, and the other
    // flags have no meaning here.
    TBrowseInfoFlagSet Flags{bfFileSysDirsOnly, bfStatusText};
    bool ShowPathInStatusArea = false;
    TSHFolders RootFolder = foDesktopExpanded;
    bool CustomButtonVisible = false;
    TCustomButtonType CustomButtonType = btPushButton;
    bool CustomButtonChecked = false;
    // The custom button is enabled exactly when OK is.
    bool SyncCustomButton = false;

    bool CustomButtonEnabled() const { return FCustomButtonEnabled; }
    void SetCustomButtonEnabled(bool Enabled);
    QString CustomButtonCaption() const { return FCustomButtonCaption; }
    void SetCustomButtonCaption(const QString& Caption);
    int CustomButtonWidth() const { return FCustomButtonWidth; }
    // Any positive width; anything else gives the default.
    void SetCustomButtonWidth(int Width);

    std::function<void(TBrowseFolderDialog& Dialog)> OnInitialized;
    std::function<void(TBrowseFolderDialog& Dialog, const std::filesystem::path& Directory)>
        OnSelectionChanged;
    std::function<void(TBrowseFolderDialog& Dialog)> OnCustomButtonClick;

private:
    void Initialize(TBrowseFolderDialog& Dialog);
    void SelectionChanged(TBrowseFolderDialog& Dialog);

    bool FCustomButtonEnabled = true;
    QString FCustomButtonCaption;
    int FCustomButtonWidth = DefaultCustomButtonWidth;
    TBrowseFolderDialog* FDialog = nullptr;
};

} // namespace korvid
