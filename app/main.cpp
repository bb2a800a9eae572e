#include "app/EditorDocument.h"
#include "app/KeyScript.h"
#include "app/KorvidApplication.h"
#include "app/KorvidForm.h"
#include "ui/PasswordUnit.h"
#include "workspace/KorvidTool.h"

#include <QTimer>

int main(int argc, char** argv) {
    korvid::TKorvidApplication App(argc, argv);
    korvid::InstallPasswordDialog();
    korvid::BuildTools();

    korvid::TKorvidFormSetup Setup;
    auto Views = std::make_unique<korvid::TViewListCatalogue>();
    Setup.MakeEditor = korvid::EditorDocumentFactory(*Views);
    Setup.Views = std::move(Views);
    korvid::TKorvidForm Form(std::move(Setup));
    Form.OnFirstShow = [](korvid::TKorvidForm& Window) {
        const QStringList Arguments = QApplication::arguments();
        if (Arguments.size() < 2)
            Window.FileNew();
        for (int Index = 1; Index < Arguments.size(); ++Index)
            Window.OpenFile(Arguments[Index].toStdString(), false, {});
        QTimer::singleShot(0, &Window, [&Window] { korvid::RunKeyScriptFromEnvironment(Window); });
    };
    Form.show();
    return QApplication::exec();
}
