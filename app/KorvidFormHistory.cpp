#include "app/KorvidForm.h"

#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"
#include "workspace/OrganizeFilesForm.h"
#include "workspace/ToolIndexes.h"

#include <QTabWidget>

namespace korvid {

// ---- The History window -------------------------------------------------------------------------

void TKorvidForm::ViewHistory() {
    QWidget* Window = History().Window();
    if (!Window)
        return;
    if (Window->isVisible()) {
        Window->close();
    } else {
        History().KeepOnScreen();
        Window->show();
        Window->raise();
        Window->activateWindow();
    }
    SyncWindowTool(Window, ToolIndex::ViewHistory);
}

void TKorvidForm::HistoryOpen() {
    const std::string Path = History().SelectedPath();
    if (!Path.empty())
        OpenByKind(Path);
}

void TKorvidForm::HistoryRemove() {
    History().RemoveSelected(FOptions.RemoveFavouriteMessage);
    UpdateCommandStates();
}

// ---- Organize Files -----------------------------------------------------------------------------

void TKorvidForm::ViewOrganizeFiles() {
    TOrganizeFilesForm Form(FOptions.ReplaceFileMessage, this);
    for (int Index = 0; Index < TabCount(); ++Index) {
        QWidget* Tab = FTabs->widget(Index);
        if (const TDocumentEditor* Editor = EditorOfTab(Tab))
            Form.AddItem({Editor->UntitledCaption, Editor->GetDisplayName(), Tab},
                         Tab == FCompiling->MainCompileTab());
    }
    if (RunModal(Form) != QDialog::Accepted)
        return;
    const std::vector<TOrganizeItem> Items = Form.Items();
    const int Main = Form.MainIndex();
    // Tabs closed meanwhile are passed over; the others take the list's order.
    int Place = 0;
    FCompiling->SetMainCompileTab(nullptr);
    for (int Index = 0; Index < int(Items.size()); ++Index) {
        QWidget* Tab = Items[Index].Tab;
        if (!Tab || FTabs->indexOf(Tab) < 0)
            continue;
        MoveTab(FTabs->indexOf(Tab), Place++);
        if (TDocumentEditor* Editor = EditorOfTab(Tab)) {
            Editor->UntitledCaption = Items[Index].Caption;
            UpdateTabCaption(Editor);
        }
        if (Index == Main)
            FCompiling->SetMainCompileTab(Tab);
    }
    if (TDocumentEditor* Editor = ActiveEditor())
        UpdateCaption(Editor->CaptionName());
    UpdateCommandStates();
}

} // namespace korvid
