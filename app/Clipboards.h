#pragma once

#include <array>
#include <string>

class QWidget;

namespace korvid {

class TDocumentEditor;
class TWindowHost;

// What the numbered clipboards need of the window: tabs of their own.
class TClipboardsHost {
public:
    virtual ~TClipboardsHost() = default;

    virtual QWidget* NewTab(const std::string& Caption) = 0;
    virtual TDocumentEditor* EditorOfTab(QWidget* Tab) const = 0;
};

// Appending to the system clipboard, and the ten clipboards kept as tabs, numbered as the
// number keys.
class TClipboards {
public:
    TClipboards(TWindowHost& Window, TClipboardsHost& Host);

    // Cuts or copies the selection onto the end of what the clipboard holds.
    void AppendSelection(bool Cut);
    // A tab for the first free number in key order (1 to 9, then 0).
    void NewClipboard();
    void Paste(int Number);
    bool HasFreeNumber() const;
    bool Holds(int Number) const;
    // A tab that closed or was saved as a file is no clipboard any more.
    void Forget(const QWidget* Tab);
    std::array<QWidget*, 10>& Tabs() { return FTabs; }

private:
    TWindowHost& FWindow;
    TClipboardsHost& FHost;
    std::array<QWidget*, 10> FTabs{};
};

} // namespace korvid
