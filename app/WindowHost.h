#pragma once

#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace korvid {

class TDocumentEditor;
struct TKorvidOptions;
class TLongOperations;
struct TMainWindowSettings;

// The status bar's panel of compile and VBat progress.
inline constexpr int CompileStatusPanel = 9;

// What the main window's feature classes reach it through: the documents, the status bar, the
// options and where dialogs belong. A feature that needs more declares its own small interface
// beside it rather than reaching for the window.
class TWindowHost {
public:
    virtual ~TWindowHost() = default;

    // Boxes and dialogs are owned by and centred on this.
    virtual QWidget* DialogParent() = 0;
    virtual TDocumentEditor* ActiveEditor() const = 0;
    virtual void OpenFile(const std::string& Name, bool ReadOnly, const std::string& AltName) = 0;
    // A search's results as a tab of numbered lines under file sections.
    virtual void OpenResultsTab(const std::string& Caption, const std::vector<std::string>& Lines,
                                const std::vector<std::pair<std::string, int>>& Sections,
                                bool ReadOnly) = 0;
    virtual void SetStatusPanel(int Index, const std::string& Text) = 0;
    virtual void UpdateCommandStates() = 0;
    virtual TKorvidOptions& Options() = 0;
    virtual TMainWindowSettings& WindowSettings() = 0;
    // Stores at once what a dialog changed; a batch run stores nothing.
    virtual void StoreSettings() = 0;
    // The operations that let events run, which a close stops first.
    virtual TLongOperations& LongOperations() = 0;
};

} // namespace korvid
