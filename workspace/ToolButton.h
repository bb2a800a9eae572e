#pragma once

#include "ui/CommandBarButton.h"

namespace korvid {

class TKorvidTool;

// A command-bar button that shows a tool and runs it when clicked.
class TToolButton : public TCommandBarButton {
    Q_OBJECT
public:
    // Binds to Tool (which may be null), taking its look at once.
    TToolButton(QWidget* Owner, bool StripBraces, TKorvidTool* Tool);
    ~TToolButton() override;

    TKorvidTool* Tool() const { return FTool; }
    // Whether the tooltip drops the braced words of the caption.
    bool StripBraces() const { return FStripBraces; }

private:
    friend class TKorvidTool;
    void ToolDestroyed() { FTool = nullptr; }

    TKorvidTool* FTool;
    bool FStripBraces;
};

} // namespace korvid
