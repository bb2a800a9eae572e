// The window's side of the compiler routes: boxes, the jump to an error, tabs and the status bar.
#include "app/KorvidForm.h"

#include "devtools/CompileServer.h"
#include "devtools/CompilerHost.h"
#include "devtools/CompilerMessages.h"
#include "devtools/JsonPicker.h"

#include <QApplication>
#include <QGuiApplication>

#include <filesystem>

namespace korvid {

class TFormCompilerHost : public TCompilerHost {
public:
    explicit TFormCompilerHost(TKorvidForm& Form) : FForm(Form) {}

    int ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                        bool CanIgnore) override {
        return ShowCompilerMessage(Title, Text, OkOnly, CanIgnore);
    }
    void ShowCompilerError(const std::string& Title, const std::string& Text) override {
        korvid::ShowCompilerError(Title, Text);
    }
    bool CanReach(const std::string& File) const override {
        std::error_code Error;
        return FForm.FindTabOfFile(File) || std::filesystem::is_regular_file(File, Error);
    }
    void GoToError(const std::string& File, int Line, int Column) override {
        FForm.SetLastError(File, Line, Column);
        FForm.EditGoToLastError();
    }
    void GoToLastError() override { FForm.EditGoToLastError(); }
    void ShowCompileStatus(const std::string& Text) override {
        FForm.SetStatusPanel(TKorvidForm::CompileStatusPanel, Text);
    }
    void OpenLinesTab(const std::string& Caption, const std::vector<TCompileLine>& Lines) override {
        std::vector<std::string> Texts;
        std::vector<std::pair<std::string, int>> Places;
        for (const TCompileLine& Line : Lines) {
            Texts.push_back(Line.Text);
            if (!Line.Data.empty())
                Places.emplace_back(Line.Data, int(Texts.size()));
        }
        FForm.OpenResultsTab(Caption, Texts, Places);
    }
    void SetBusy(bool Busy) override {
        if (Busy) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            QApplication::processEvents();
        } else
            QGuiApplication::restoreOverrideCursor();
    }
    std::string JsonName() const override { return FForm.FJsonName; }
    void SetJsonName(const std::string& Name) override { FForm.FJsonName = Name; }
    std::optional<std::string> PickJsonFile(const std::string& Folder) override {
        return korvid::PickJsonFile(&FForm, Folder, FForm.FJsonName, FForm.FAddedJsonFiles);
    }

private:
    TKorvidForm& FForm;
};

TCompilerHost& TKorvidForm::CompilerHost() {
    if (!FCompilerHost)
        FCompilerHost = std::make_unique<TFormCompilerHost>(*this);
    return *FCompilerHost;
}

bool TKorvidForm::RunCompileRoutes(TCompileContext& Context) {
    TPipeAutomationFactory Factory;
    const bool Succeeded = CompileThroughServer(Context, FOptions, CompilerHost(), {Factory});
    if (Context.Unattended && !Context.Messages.empty())
        CompilerHost().OpenLinesTab(std::string(CompilerMessagesCaption), Context.Messages);
    return Succeeded;
}

void TKorvidForm::SetLastError(const std::string& File, int Line, int Column) {
    FLastError = TLastError{File, Line, Column};
}

void TKorvidForm::EditGoToLastError() {
    if (!FLastError)
        return;
    if (!ActivateTabOfFile(FLastError->File)) {
        std::error_code Error;
        if (!std::filesystem::is_regular_file(FLastError->File, Error))
            return;
        OpenFile(FLastError->File, false, {});
    }
    if (TDocumentEditor* Editor = ActiveEditor()) {
        Editor->MoveCaretTo(std::max(FLastError->Line, 1), std::max(FLastError->Column, 1));
        FLastErrorTab = CurrentTab();
    }
}

} // namespace korvid
