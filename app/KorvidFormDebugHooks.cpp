// What the editors ask of the debugger: evaluation hints on hover and Find Declaration on
// Ctrl-click. The window registers the hooks while it and its debugger live.
#include "app/KorvidForm.h"

#include "editor/Editor.h"
#include "editor/EditorHooks.h"

namespace korvid {
namespace {

class TWindowEditorDebugger final : public TEditorDebugger {
public:
    explicit TWindowEditorDebugger(TDebugger& Debugger) : FDebugger(Debugger) {}

    // A value is there to show only while the module is paused; while it runs, hovering costs
    // no look-up of the word under the mouse.
    bool EvaluationHintsOn() const override {
        return FDebugger.IsConnected() && FDebugger.IsPaused();
    }

    void ShowEvaluationHint(const std::string& Word, TEditor& Editor) override {
        const QPoint At = Editor.viewport()->mapToGlobal(Editor.LastMousePoint);
        FDebugger.ShowEvaluationHint(Word, At.x(), At.y());
    }

    void FindDeclaration(const std::string& Name, bool Back) override {
        FDebugger.FindDeclaration(Name, Back);
    }

private:
    TDebugger& FDebugger;
};

} // namespace

void TKorvidForm::InstallEditorHooks(bool Install) {
    if (Install) {
        FEditorHooks = std::make_unique<TWindowEditorDebugger>(*FDebugger);
        SetEditorDebugger(FEditorHooks.get());
        return;
    }
    if (EditorDebugger() == FEditorHooks.get())
        SetEditorDebugger(nullptr);
    FEditorHooks.reset();
}

} // namespace korvid
