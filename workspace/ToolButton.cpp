#include "workspace/ToolButton.h"

#include "workspace/KorvidTool.h"

namespace korvid {

TToolButton::TToolButton(QWidget* Owner, bool StripBraces, TKorvidTool* Tool)
    : TCommandBarButton(Owner), FTool(Tool), FStripBraces(StripBraces) {
    if (FTool)
        FTool->AttachButton(this, TKorvidTool::aoAttach);
    OnClick = [this](TCommandBarButton&) {
        if (FTool)
            FTool->Execute();
    };
}

TToolButton::~TToolButton() {
    if (FTool)
        FTool->AttachButton(this, TKorvidTool::aoDetach);
}

} // namespace korvid
