#pragma once

// The main window as the program makes it, with its own editor, for the window benchmarks.
#include "app/EditorDocument.h"
#include "app/KorvidForm.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"

#include <QDialog>

#include <memory>

namespace korvid::bench {

// Every dialog is answered at once, so no run waits on one.
inline std::unique_ptr<TKorvidForm> MakeProgramWindow(const QRect& WorkArea) {
    InstallModalRunner([](QDialog&) { return static_cast<int>(QDialog::Accepted); });
    BuildTools();
    TKorvidFormSetup Setup;
    auto Views = std::make_unique<TViewListCatalogue>();
    Setup.MakeEditor = EditorDocumentFactory(*Views);
    Setup.Views = std::move(Views);
    Setup.WorkArea = WorkArea;
    auto Form = std::make_unique<TKorvidForm>(std::move(Setup));
    Form->SetStartingUp(false);
    return Form;
}

} // namespace korvid::bench
