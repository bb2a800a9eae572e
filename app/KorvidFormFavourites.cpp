#include "app/KorvidForm.h"

#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "psystem/PSystemNames.h"
#include "psystem/VolumeDialogs.h"
#include "psystem/VolumePath.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"
#include "workspace/DefaultMenus.h"
#include "workspace/FavouritesTree.h"
#include "workspace/KorvidTool.h"
#include "workspace/NewFavouritesFolderForm.h"
#include "workspace/ToolIndexes.h"

#include <QLineEdit>
#include <QMenu>
#include <QSplitter>

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

void TKorvidForm::WireFavourites() {
    TFavouritesTreeView* Tree = FavouritesTree().Tree();
    FFavouritesMenu = new QMenu(this);
    if (!Tree)
        return;
    Tree->OnRemove = [] { RunTool(T::FavouritesRemove); };
    Tree->OnLocate = [](const std::string&) { RunTool(T::FavouritesLocateFile); };
    Tree->OnOpen = [](const std::string&) { RunTool(T::FavouritesOpen); };
    Tree->OnSelectionChange = [this] { UpdateCommandStates(); };
    // Only tools: the tree has no use for a view's auto-text.
    Tree->OnShortCut = [](int Key, std::uint8_t Shift) {
        return ToolList().ExecuteShortCut(std::uint16_t(Key), Shift);
    };
    Tree->OnPopup = [this](const QPoint& Global) { FFavouritesMenu->popup(Global); };
}

void TKorvidForm::ApplyFavouritesOptions() {
    if (TFavouritesTreeView* Tree = FavouritesTree().Tree()) {
        Tree->AutoCollapse = FOptions.AutoCloseFavourites;
        Tree->OpenOnSelect = FOptions.SingleTab;
        Tree->TextFilesOnly = FOptions.ShowOnlyTextFiles;
        Tree->PSystemAware = FOptions.PSystemAware;
    }
    if (FFavouritesMenu->isEmpty())
        BuildMenu(*FFavouritesMenu,
                  {"FavouritesOpen", "FavouritesOpenExternally", "FavouritesLocateFile", "-",
                   "FavouritesAddFile", "FavouritesAddVolume", "FavouritesNewFolder",
                   "FavouritesNewPSystemTextFile", "-", "FavouritesRemove"},
                  this, false);
    FSplitter->insertWidget(FOptions.FavouritesOnLeft ? 0 : 1, FFavouritesPanel);
    FSplitter->setStretchFactor(FSplitter->indexOf(FTabs), 1);
    FSplitter->setStretchFactor(FSplitter->indexOf(FFavouritesPanel), 0);
    ShowFavouritesBar(FSettings.ViewFavourites);
}

void TKorvidForm::ShowFavouritesBar(bool Show) {
    if (!Show && !FFavouritesPanel->isHidden())
        FSettings.FavouritesWidth = FFavouritesPanel->width();
    FFavouritesPanel->setVisible(Show);
    if (Show) {
        const int Width = std::max(FSettings.FavouritesWidth, 50);
        const int Total = std::max(FSplitter->width(), width());
        QList<int> Sizes(FSplitter->count(), 0);
        Sizes[FSplitter->indexOf(FFavouritesPanel)] = Width;
        Sizes[FSplitter->indexOf(FTabs)] = std::max(Total - Width, 1);
        FSplitter->setSizes(Sizes);
    }
    FSettings.ViewFavourites = Show;
    ToolList().Items(T::ViewFavouritesBar)->SetDown(Show);
    UpdateCommandStates();
}

void TKorvidForm::ViewFavouritesBar() {
    ShowFavouritesBar(!FSettings.ViewFavourites);
}

void TKorvidForm::FavouritesAddFile() {
    TDocumentEditor* Editor = ActiveEditor();
    TFavouritesTreeView* Tree = FavouritesTree().Tree();
    if (!Editor || !Editor->HasFileName() || !Tree)
        return;
    TTreeNode* Node = Tree->AddFile(TFavouritesTreeView::FolderOf(Tree->Selected()),
                                    FileCaption(Editor->FileName), Editor->FileName);
    Tree->SetSelected(Node);
}

void TKorvidForm::FavouritesAddVolume() {
    TFavouritesTreeView* Tree = FavouritesTree().Tree();
    if (!Tree)
        return;
    TOpenDialog Dialog;
    Dialog.Title = "Browse for p-System Volume";
    Dialog.Filter = "Volume Files (*.vol)|*.vol";
    Dialog.Options = {ofHideReadOnly, ofFileMustExist};
    Dialog.SetInitialDir(FSettings.OpenFolder);
    if (!Dialog.Execute())
        return;
    const std::string Name = Dialog.FileName.string();
    TTreeNode* Node =
        Tree->AddVolume(TFavouritesTreeView::FolderOf(Tree->Selected()), FileCaption(Name), Name);
    Tree->SetSelected(Node);
}

void TKorvidForm::FavouritesNewFolder() {
    TFavouritesTreeView* Tree = FavouritesTree().Tree();
    if (!Tree)
        return;
    TNewFavouritesFolderForm Form(this);
    Form.Prepare(Tree->Selected());
    if (RunModal(Form) != QDialog::Accepted)
        return;
    // The new caption is edited in place, so the bar must show.
    if (!FSettings.ViewFavourites)
        ShowFavouritesBar(true);
    Tree->setFocus();
    AddNewFavouritesFolder(*Tree, Tree->Selected(), Form);
    UpdateCommandStates();
}

void TKorvidForm::FavouritesNewPSystemTextFile() {
    TFavouritesTreeView* Tree = FavouritesTree().Tree();
    if (!Tree)
        return;
    TNewPSystemFileForm Form(this);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    const std::string Name = NewPSystemTextFileName(FromQString(Form.NameEdit->text()));
    TTreeNode* Made = Tree->NewPSystemTextFile(Tree->Selected(), Name, FOptions.PSystemBackups);
    if (!Made)
        return;
    OpenFile(TFavouritesTreeView::NodePath(Made), false, {});
    Tree->SetSelected(Made);
    UpdateCommandStates();
}

void TKorvidForm::FavouritesRemove() {
    if (TFavouritesTreeView* Tree = FavouritesTree().Tree())
        Tree->RemoveSelected(FOptions.RemoveFavouriteMessage);
    UpdateCommandStates();
}

void TKorvidForm::FavouritesOpen() {
    const std::string Path = FavouritesTree().SelectedPath();
    if (!Path.empty())
        OpenByKind(Path);
}

void TKorvidForm::FavouritesOpenExternally() {
    const std::string Path = FavouritesTree().SelectedPath();
    if (!Path.empty())
        DesktopOpener().Open(Path);
}

void TKorvidForm::FavouritesLocateFile() {
    if (FavouritesTree().SelectedNodeKind() == fvDiskFolder)
        ShowLocateFileDialog(FavouritesTree().SelectedPath());
}

} // namespace korvid
