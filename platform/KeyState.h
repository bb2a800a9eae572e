#pragma once

#include <QObject>

namespace korvid {

// Whether a key (a virtual key code) is held down at this moment, as the program's own key
// events tell: a desktop need not let a program ask the keyboard itself.
bool IsKeyHeld(int VirtualKey);
// Fed by TKeyStateFilter; tests hold keys with it.
void SetKeyHeld(int VirtualKey, bool Held);
// Forgets every held key (the program lost the keyboard, so releases would not arrive).
void ReleaseAllKeys();

// Watches the key presses and releases of every window of the application and keeps the held
// keys up to date. Install one on the application object.
class TKeyStateFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
};

} // namespace korvid
