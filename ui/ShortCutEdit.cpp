#include "ui/ShortCutEdit.h"

#include "platform/Cp1252.h"
#include "ui/VirtualKeys.h"

#include <QKeyEvent>

namespace korvid {

bool IsModifierKey(int QtKey) {
    switch (QtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return true;
    default:
        return false;
    }
}

TShortCutEdit::TShortCutEdit(QWidget* Parent) : QLineEdit(Parent) {
    setReadOnly(true);
}

void TShortCutEdit::SetShortCut(std::uint16_t Value) {
    FShortCut = Value;
    setText(ToQString(ShortCutToText(Value)));
}

void TShortCutEdit::keyPressEvent(QKeyEvent* Event) {
    if (IsModifierKey(Event->key())) {
        Event->accept();
        return;
    }
    switch (Event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Plain, they still answer the dialog.
        if (!(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            Event->ignore();
            return;
        }
        break;
    default:
        break;
    }
    const std::uint16_t Key = VirtualKeyFromEvent(*Event);
    if (Key == 0) {
        Event->ignore();
        return;
    }
    SetShortCut(ShortCutOfStep(Key, ShiftStateFromEvent(*Event)));
    Event->accept();
}

} // namespace korvid
