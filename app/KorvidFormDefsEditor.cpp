#include "app/KorvidForm.h"

#include "devtools/definitions/DefsEditorForm.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

namespace korvid {

void TKorvidForm::ViewDefsEditor() {
    TDefsEditorForm Form(this);
    Form.SetCollapseSiblings(FOptions.AutoCloseFavourites);
    if (const TDocumentEditor* Editor = ActiveEditor())
        Form.LoadDefsByPath(Editor->FileName);
    PlaceFormOnScreen(&Form, FSettings.DefsEditorFormLeft, FSettings.DefsEditorFormTop);
    RunModal(Form);
    FSettings.DefsEditorFormLeft = Form.x();
    FSettings.DefsEditorFormTop = Form.y();
}

} // namespace korvid
