#include "app/FavouritesTools.h"

#include "app/DocumentEditor.h"
#include "app/MainWindowServices.h"
#include "app/MainWindowSettings.h"
#include "app/WindowHost.h"
#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "platform/Paths.h"
#include "psystem/PSystemNames.h"
#include "psystem/VolumeDialogs.h"
#include "psystem/VolumePath.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"
#include "workspace/DefaultMenus.h"
#include "workspace/FavouritesTree.h"
#include "workspace/KorvidOptions.h"
#include "workspace/KorvidTool.h"
#include "workspace/NewFavouritesFolderForm.h"
#include "workspace/ToolIndexes.h"

#include <QLineEdit>
#include <QMenu>
#include <QSplitter>

#include <algorithm>
#include <filesystem>

namespace korvid {
namespace T = ToolIndex;

namespace {

void RunTool(int Index) {
    ToolList().Items(Index)->Execute();
}

// A file's caption in the tree: a volume file by its p-System name, any other by its name.
QString FileCaption(const std::string& Name) {
    if (const auto Inside = ParseVolumePath(Name))
        return ToQString(PSystemNameToWindowsName(Inside->FileName));
    return PathToQString(std::filesystem::path(Name).filename());
}

} // namespace

TFavouritesTools::TFavouritesTools(TWindowHost& Window, TFavouritesToolsHost& Host)
    : FWindow(Window), FHost(Host) {}

QWidget* TFavouritesTools::CreateBeside(QWidget* Tabs) {
    FTabs = Tabs;
    FSplitter = new QSplitter(Qt::Horizontal);
    FSplitter->setChildrenCollapsible(false);
    FSplitter->addWidget(Tabs);
    FPanel = FHost.FavouritesTree().CreatePanel(FSplitter, [this] { ShowBar(false); });
    FPanel->hide();
    FSplitter->setStretchFactor(0, 1);
    return FSplitter;
}

void TFavouritesTools::Wire() {
    TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree();
    FMenu = new QMenu(FWindow.DialogParent());
    if (!Tree)
        return;
    Tree->OnRemove = [] { RunTool(T::FavouritesRemove); };
    Tree->OnLocate = [](const std::string&) { RunTool(T::FavouritesLocateFile); };
    Tree->OnOpen = [](const std::string&) { RunTool(T::FavouritesOpen); };
    Tree->OnSelectionChange = [this] { FWindow.UpdateCommandStates(); };
    // Only tools: the tree has no use for a view's auto-text.
    Tree->OnShortCut = [](int Key, std::uint8_t Shift) {
        return ToolList().ExecuteShortCut(std::uint16_t(Key), Shift);
    };
    Tree->OnPopup = [this](const QPoint& Global) { FMenu->popup(Global); };
}

void TFavouritesTools::ApplyOptions() {
    const TKorvidOptions& Options = FWindow.Options();
    if (TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree()) {
        Tree->AutoCollapse = Options.AutoCloseFavourites;
        Tree->OpenOnSelect = Options.SingleTab;
        Tree->TextFilesOnly = Options.ShowOnlyTextFiles;
        Tree->PSystemAware = Options.PSystemAware;
    }
    if (FMenu->isEmpty())
        BuildMenu(*FMenu,
                  {"FavouritesOpen", "FavouritesOpenExternally", "FavouritesLocateFile", "-",
                   "FavouritesAddFile", "FavouritesAddVolume", "FavouritesNewFolder",
                   "FavouritesNewPSystemTextFile", "-", "FavouritesRemove"},
                  FWindow.DialogParent(), false);
    FSplitter->insertWidget(Options.FavouritesOnLeft ? 0 : 1, FPanel);
    FSplitter->setStretchFactor(FSplitter->indexOf(FTabs), 1);
    FSplitter->setStretchFactor(FSplitter->indexOf(FPanel), 0);
    ShowBar(FWindow.WindowSettings().ViewFavourites);
}

void TFavouritesTools::StoreWidth() {
    if (FPanel && !FPanel->isHidden())
        FWindow.WindowSettings().FavouritesWidth = FPanel->width();
}

void TFavouritesTools::ShowBar(bool Show) {
    TMainWindowSettings& Settings = FWindow.WindowSettings();
    if (!Show)
        StoreWidth();
    FPanel->setVisible(Show);
    if (Show) {
        const int Width = std::max(Settings.FavouritesWidth, 50);
        // Before the first show the splitter has no width of its own yet.
        const int Total = std::max(FSplitter->width(), FWindow.DialogParent()->width());
        QList<int> Sizes(FSplitter->count(), 0);
        Sizes[FSplitter->indexOf(FPanel)] = Width;
        Sizes[FSplitter->indexOf(FTabs)] = std::max(Total - Width, 1);
        FSplitter->setSizes(Sizes);
    }
    Settings.ViewFavourites = Show;
    ToolList().Items(T::ViewFavouritesBar)->SetDown(Show);
    FWindow.UpdateCommandStates();
}

void TFavouritesTools::ToggleBar() {
    ShowBar(!FWindow.WindowSettings().ViewFavourites);
}

void TFavouritesTools::AddFile() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree();
    if (!Editor || !Editor->HasFileName() || !Tree)
        return;
    TTreeNode* Node = Tree->AddFile(TFavouritesTreeView::FolderOf(Tree->Selected()),
                                    FileCaption(Editor->FileName), Editor->FileName);
    Tree->SetSelected(Node);
}

void TFavouritesTools::AddVolume() {
    TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree();
    if (!Tree)
        return;
    TOpenDialog Dialog;
    Dialog.Title = "Browse for p-System Volume";
    Dialog.Filter = "Volume Files (*.vol)|*.vol";
    Dialog.Options = {ofHideReadOnly, ofFileMustExist};
    Dialog.SetInitialDir(FWindow.WindowSettings().OpenFolder);
    if (!Dialog.Execute())
        return;
    const std::string Name = Dialog.FileName.string();
    TTreeNode* Node =
        Tree->AddVolume(TFavouritesTreeView::FolderOf(Tree->Selected()), FileCaption(Name), Name);
    Tree->SetSelected(Node);
}

void TFavouritesTools::NewFolder() {
    TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree();
    if (!Tree)
        return;
    TNewFavouritesFolderForm Form(FWindow.DialogParent());
    Form.Prepare(Tree->Selected());
    if (RunModal(Form) != QDialog::Accepted)
        return;
    // The new caption is edited in place, so the bar must show.
    if (!FWindow.WindowSettings().ViewFavourites)
        ShowBar(true);
    Tree->setFocus();
    AddNewFavouritesFolder(*Tree, Tree->Selected(), Form);
    FWindow.UpdateCommandStates();
}

void TFavouritesTools::NewPSystemTextFile() {
    TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree();
    if (!Tree)
        return;
    TNewPSystemFileForm Form(FWindow.DialogParent());
    if (RunModal(Form) != QDialog::Accepted)
        return;
    const std::string Name = NewPSystemTextFileName(FromQString(Form.NameEdit->text()));
    TTreeNode* Made =
        Tree->NewPSystemTextFile(Tree->Selected(), Name, FWindow.Options().PSystemBackups);
    if (!Made)
        return;
    FWindow.OpenFile(TFavouritesTreeView::NodePath(Made), false, {});
    Tree->SetSelected(Made);
    FWindow.UpdateCommandStates();
}

void TFavouritesTools::Remove() {
    if (TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree())
        Tree->RemoveSelected(FWindow.Options().RemoveFavouriteMessage);
    FWindow.UpdateCommandStates();
}

void TFavouritesTools::Open() {
    const std::string Path = FHost.FavouritesTree().SelectedPath();
    if (!Path.empty())
        FHost.OpenByKind(Path);
}

void TFavouritesTools::OpenExternally() {
    const std::string Path = FHost.FavouritesTree().SelectedPath();
    if (!Path.empty())
        FHost.DesktopOpener().Open(Path);
}

void TFavouritesTools::LocateFile() {
    if (FHost.FavouritesTree().SelectedNodeKind() == fvDiskFolder)
        FHost.ShowLocateFileDialog(FHost.FavouritesTree().SelectedPath());
}

} // namespace korvid
