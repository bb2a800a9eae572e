#pragma once

#include <memory>

namespace korvid {

class TDocumentEditor;
class TLintrelForm;
struct TLintrelMarkup;
class TWindowHost;

// Puts Markup into Editor around its selection, as one undo step.
void InsertLintrelMarkup(TDocumentEditor& Editor, const TLintrelMarkup& Markup);

// What the Lintrel command needs of the window besides the active document.
class TLintrelHost {
public:
    virtual ~TLintrelHost() = default;

    virtual void FocusActiveEditor() = 0;
};

// Lintrel markup chosen in a dialog and put into the active document.
class TLintrelCommand {
public:
    TLintrelCommand(TWindowHost& Window, TLintrelHost& Host);
    ~TLintrelCommand();

    void Run();
    TLintrelForm& Form();

private:
    TWindowHost& FWindow;
    TLintrelHost& FHost;
    // Kept so that its choices persist between uses.
    std::unique_ptr<TLintrelForm> FForm;
};

} // namespace korvid
