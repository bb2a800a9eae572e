#pragma once

#include <QRect>

#include <string_view>

class QComboBox;
class QMenu;
class QPoint;
class QTimer;
class QTreeWidgetItem;
class QWidget;

namespace korvid {

// Fills the combo box with the screen's font families, only fixed-pitch ones when asked.
void FillFontCombo(QComboBox* ComboBox, bool FixedPitchOnly);
// Selects the item equal to Text; failing that the first item.
void SelectComboText(QComboBox* ComboBox, std::string_view Text);

// Centres Form in the work area of the monitor that shows Reference (the primary one without).
void CentreOnForm(QWidget* Form, const QWidget* Reference);
void CentreOnMainForm(QWidget* Form);
// Centres Form, at the size it will show with, over Window (the main window without one), kept
// inside the work area of Window's monitor.
void CentreOverWindow(QWidget* Form, const QWidget* Window);
// As CentreOnMainForm, on the monitor that holds Point; (-16000, -16000) means the main
// window's monitor.
void CentreOnMonitorAt(QWidget* Form, const QPoint& Point);
// Where Form stands, as PlaceFormOnScreen and resize take it back: its frame's top-left and its
// size; for a maximized form, the place it goes back to.
QRect StoredPlace(const QWidget& Form);
// Puts Form back at a saved position when at least 100 pixels of it stay on the screens.
void PlaceFormOnScreen(QWidget* Form, int Left, int Top);

// The window every dialog centres on; the main window registers itself.
void SetMainForm(QWidget* Form);
QWidget* MainForm();

void RestartTimer(QTimer* Timer);
void ClearMenu(QMenu* Item);
// Collapses every expanded sibling of Node with all its descendants.
void CollapseSiblings(QTreeWidgetItem* Node);
void SetTreeNodeBold(QTreeWidgetItem* Node, bool Bold);

// The hourglass, for as long as it lives.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace korvid
