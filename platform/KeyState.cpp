#include "platform/KeyState.h"

#include "platform/QtVirtualKeys.h"

#include <QEvent>
#include <QKeyEvent>

#include <set>

namespace korvid {

namespace {

std::set<int>& HeldKeys() {
    static std::set<int> Keys;
    return Keys;
}

} // namespace

bool IsKeyHeld(int VirtualKey) {
    return HeldKeys().contains(VirtualKey);
}

void SetKeyHeld(int VirtualKey, bool Held) {
    if (Held)
        HeldKeys().insert(VirtualKey);
    else
        HeldKeys().erase(VirtualKey);
}

void ReleaseAllKeys() {
    HeldKeys().clear();
}

bool TKeyStateFilter::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* Key = static_cast<const QKeyEvent*>(Event);
        // Auto-repeat sends releases while the key stays down.
        if (!Key->isAutoRepeat())
            if (const int Virtual = VirtualKeyFromEvent(*Key))
                SetKeyHeld(Virtual, Event->type() == QEvent::KeyPress);
        break;
    }
    case QEvent::ApplicationDeactivate:
        ReleaseAllKeys();
        break;
    default:
        break;
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace korvid
