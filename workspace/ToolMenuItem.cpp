#include "workspace/ToolMenuItem.h"

#include "workspace/KorvidTool.h"

#include <QPointer>

namespace korvid {

TToolMenuItem::TToolMenuItem(QObject* Owner, bool IsContext, TKorvidTool* Tool)
    : QAction(Owner), FTool(Tool), FIsContext(IsContext) {
    if (FTool)
        FTool->AttachMenuItem(this, TKorvidTool::aoAttach, IsContext);
    connect(this, &QAction::triggered, this, &TToolMenuItem::Run);
}

TToolMenuItem::~TToolMenuItem() {
    if (FTool)
        FTool->AttachMenuItem(this, TKorvidTool::aoDetach, FIsContext);
}

void TToolMenuItem::SetToolChecked(bool Value) {
    // Checkable only while checked, so choosing an unchecked item does not tick it by itself.
    setCheckable(Value);
    setChecked(Value);
}

void TToolMenuItem::Run() {
    const QPointer<TToolMenuItem> Self(this);
    if (FTool)
        FTool->Execute();
    // Choosing the item toggled Qt's own check mark; the tool's state decides.
    if (Self && FTool)
        SetToolChecked(FTool->Down());
}

} // namespace korvid
