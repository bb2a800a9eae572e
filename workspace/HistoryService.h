#pragma once

#include <functional>
#include <string>

class QWidget;

namespace korvid {

// The recent-files list the main window feeds and shows in its History menu and window.
class THistoryService {
public:
    virtual ~THistoryService() = default;
    // Makes Path the newest entry.
    virtual void AddToHistory(const std::string& Path) = 0;
    virtual int Count() const = 0;
    // Empty when no entry has the rank (0 = newest).
    virtual std::string PathOfRank(int Rank) const = 0;
    virtual bool HasSelection() const = 0;
    // Empty without a selection.
    virtual std::string SelectedPath() const = 0;
    // Asks first while ShowMessage is set; refused while icons are still being fetched.
    virtual void RemoveSelected(bool& ShowMessage) = 0;
    virtual bool IconThreadFinished() const = 0;
    // A missing file leaves the list as it is.
    virtual void LoadHistory(const std::string& FileName) = 0;
    // At most MaximumCount entries, newest first; the user may pick another FileName.
    virtual void SaveHistory(std::string& FileName, int MaximumCount) = 0;
    // The window that shows the list, if any.
    virtual QWidget* Window() { return nullptr; }
    // The window's row of tool buttons, which the main window fills; null without a window.
    virtual QWidget* ToolPanel() { return nullptr; }
    // Brings the window back where it was, or onto the screen.
    virtual void KeepOnScreen() {}

    // The list changed: the History menu is rebuilt.
    std::function<void()> OnChanged;
    // The selection or the icon fetching changed: tool states follow.
    std::function<void()> OnStateChanged;
    // The window was shown or hidden.
    std::function<void()> OnVisibilityChanged;
};

} // namespace korvid
