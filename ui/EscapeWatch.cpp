#include "ui/EscapeWatch.h"

#include <QApplication>
#include <QKeyEvent>

namespace korvid {

TEscapeWatch::TEscapeWatch(bool HoldInput) : FHoldInput(HoldInput) {
    qApp->installEventFilter(this);
}

TEscapeWatch::~TEscapeWatch() {
    qApp->removeEventFilter(this);
}

bool TEscapeWatch::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Escape &&
            !QApplication::activeModalWidget()) {
            FEscaped = true;
            return true;
        }
        return FHoldInput;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::Close:
        if (FHoldInput)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace korvid
