#pragma once

#include "devtools/compiler/CompileContext.h"

#include <optional>
#include <string>
#include <vector>

namespace korvid {

// What a compile needs of the main window.
class TCompilerHost {
public:
    virtual ~TCompilerHost() = default;

    // A compiler box (see ShowCompilerMessage): 0 to go on, 1 for "Edit", -1 when closed.
    virtual int ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                                bool CanIgnore) = 0;
    // A box with one OK button.
    virtual void ShowCompilerError(const std::string& Title, const std::string& Text) = 0;
    // Whether File is open in a tab or can be opened from disk.
    virtual bool CanReach(const std::string& File) const = 0;
    // Stores the place as the last error and moves the caret there.
    virtual void GoToError(const std::string& File, int Line, int Column) = 0;
    // A box's "Edit": back to the stored error.
    virtual void GoToLastError() = 0;
    // The status bar's compile panel.
    virtual void ShowCompileStatus(const std::string& Text) = 0;
    // A new unmodified tab; each line keeps its data for the go-to-result commands.
    virtual void OpenLinesTab(const std::string& Caption,
                              const std::vector<TCompileLine>& Lines) = 0;
    // The hourglass while the compiler works.
    virtual void SetBusy(bool Busy) = 0;

    // The main JSON file's name picked in this session, and the picker of a new one (a name
    // relative to Folder; nothing when cancelled).
    virtual std::string JsonName() const = 0;
    virtual void SetJsonName(const std::string& Name) = 0;
    virtual std::optional<std::string> PickJsonFile(const std::string& Folder) = 0;
};

} // namespace korvid
