#include "app/DefsEditorCommand.h"

#include "app/DocumentEditor.h"
#include "app/MainWindowSettings.h"
#include "app/WindowHost.h"
#include "devtools/definitions/DefsEditorForm.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidOptions.h"

namespace korvid {

void RunDefsEditor(TWindowHost& Window) {
    TDefsEditorForm Form(Window.DialogParent());
    Form.SetCollapseSiblings(Window.Options().AutoCloseFavourites);
    if (const TDocumentEditor* Editor = Window.ActiveEditor())
        Form.LoadDefsByPath(Editor->FileName);
    TMainWindowSettings& Settings = Window.WindowSettings();
    PlaceFormOnScreen(&Form, Settings.DefsEditorFormLeft, Settings.DefsEditorFormTop);
    RunModal(Form);
    Settings.DefsEditorFormLeft = Form.x();
    Settings.DefsEditorFormTop = Form.y();
}

} // namespace korvid
