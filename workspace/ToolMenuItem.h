#pragma once

#include <QAction>

namespace korvid {

class TKorvidTool;

// A main-menu or context-menu item that shows a tool and runs it when chosen. Its text carries
// the shortcut only as text; keys reach tools through the main window's key handler.
class TToolMenuItem : public QAction {
    Q_OBJECT
public:
    TToolMenuItem(QObject* Owner, bool IsContext, TKorvidTool* Tool);
    ~TToolMenuItem() override;

    TKorvidTool* Tool() const { return FTool; }
    bool IsContext() const { return FIsContext; }
    // The tool's Down state as a check mark.
    void SetToolChecked(bool Value);

private:
    friend class TKorvidTool;
    void ToolDestroyed() { FTool = nullptr; }
    void Run();

    TKorvidTool* FTool;
    bool FIsContext;
};

} // namespace korvid
