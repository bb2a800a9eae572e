#include "app/KorvidForm.h"

#include "editor/Editor.h"
#include "platform/RegistryStore.h"
#include "ui/ModalRunner.h"
#include "views/ViewList.h"
#include "views/ViewsForm.h"

namespace korvid {

void TKorvidForm::ViewDefineViews() {
    TViewList* List = FViews->EditableList();
    if (List == nullptr)
        return;
    TViewsForm Form(this);
    Form.OnViewChanged = [this](TView& View, int Kind) { NotifyViewChanged(View, Kind); };
    Form.SetViews(*List);
    const TDocumentEditor* Shown = ActiveEditor();
    Form.SelectView(Shown && Shown->View() ? Shown->View()->Source : nullptr);
    const int Result = RunModal(Form);
    // The dialog changes the views in place; they are stored at once, whole.
    if (FSaveOnClose) {
        TRegistryTransaction Transaction;
        FViews->SaveToRegistry();
        Transaction.CommitAll();
    }
    BuildViewsMenu();
    TDocumentEditor* Editor = ActiveEditor();
    TView* Chosen = Form.GetSelectedView();
    if (Result == TViewsForm::ApplyResult && Chosen != nullptr && Editor != nullptr) {
        Editor->SetView(FViews->MirrorOf(*Chosen));
        Editor->ViewChosenByUser = true;
        BuildViewsMenu();
    }
    UpdateCommandStates();
}

// A deleted view's editors switch to the default view and its mirror goes while the view still
// exists, so that nothing is left pointing at it once it is freed.
void TKorvidForm::NotifyViewChanged(TView& View, int Kind) {
    for (int Index = 0; Index < TabCount(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(Tabs()->widget(Index)))
            Editor->ViewChanged(View, Kind);
    FViews->ViewChanged(View, Kind);
    // Rebuilding the menu now would mirror a deleted view again; its caller rebuilds it once
    // the view is gone.
    if (Kind == vcChanged)
        BuildViewsMenu();
}

} // namespace korvid
