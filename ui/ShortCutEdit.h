#pragma once

#include <QLineEdit>

#include <cstdint>

namespace korvid {

// Shift, Ctrl, Alt and the like: pressed alone they are no shortcut.
bool IsModifierKey(int QtKey);

// A box that takes the next key pressed in it as a shortcut and shows its text ("Ctrl+K").
// Modifier keys alone are not shortcuts, and plain Tab, Enter and Esc keep their meaning in the
// dialog. The box keeps the shortcut code, 0 for none.
class TShortCutEdit : public QLineEdit {
public:
    explicit TShortCutEdit(QWidget* Parent = nullptr);

    std::uint16_t ShortCut() const { return FShortCut; }
    void SetShortCut(std::uint16_t Value);

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    std::uint16_t FShortCut = 0;
};

} // namespace korvid
