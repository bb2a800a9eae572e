#pragma once

#include <QWidget>

namespace korvid::test {

// The dialog's control of type T captioned exactly Caption ("&" included), else null.
template <class T> T* ChildCaptioned(QWidget& Parent, const char* Caption) {
    for (T* Child : Parent.findChildren<T*>())
        if (Child->text() == Caption)
            return Child;
    return nullptr;
}

} // namespace korvid::test
