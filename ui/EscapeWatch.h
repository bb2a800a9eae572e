#pragma once

#include <QObject>

namespace korvid {

// Notes Escape pressed in any of the program's windows while it lives, for long operations
// that pump events and stop on Escape. A dialog on the screen keeps its own Escape. With
// HoldInput, all other keyboard and mouse input is dropped too, so that nothing else starts
// half way through the operation.
class TEscapeWatch : public QObject {
public:
    explicit TEscapeWatch(bool HoldInput);
    ~TEscapeWatch() override;
    TEscapeWatch(const TEscapeWatch&) = delete;
    TEscapeWatch& operator=(const TEscapeWatch&) = delete;

    bool Escaped() const { return FEscaped; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool FHoldInput;
    bool FEscaped = false;
};

} // namespace korvid
