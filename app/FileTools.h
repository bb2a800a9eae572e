#pragma once

#include "workspace/ToolHandlers.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace korvid {

class TDesktopOpener;
class TDocumentEditor;
class TMailClient;
class TPrintCanvas;
class TProcessLauncher;
class TWindowHost;

// What the file tools need of the window beyond the active document and its options.
class TFileToolsHost {
public:
    virtual ~TFileToolsHost() = default;

    // The documents in their tab order.
    virtual int TabCount() const = 0;
    virtual int ActiveTabIndex() const = 0;
    // Null for a tab that holds no document.
    virtual TDocumentEditor* EditorAt(int Index) const = 0;
    virtual bool SaveEditor(TDocumentEditor* Editor) = 0;
    virtual TMailClient& MailClient() const = 0;
    virtual TProcessLauncher& Launcher() const = 0;
    virtual TDesktopOpener& DesktopOpener() const = 0;
    // The file or folder selected in the Favourites bar; empty when none.
    virtual std::string SelectedFavouritePath() const = 0;
};

struct TFileToolsSetup {
    // What a confirmed print draws on; the chosen printer when empty.
    std::function<std::unique_ptr<TPrintCanvas>()> PrintCanvas;
    // An index below Count, each equally likely; a random engine's when empty.
    std::function<std::size_t(std::size_t Count)> RandomIndex;
    // Printed lines are split at this length, as opened ones are.
    int MaximumLineLength = 0;
};

// The file commands that hand the active document to something outside the editor: the
// comparison utility, the printer, mail, Subversion and the desktop's file browser.
class TFileTools {
public:
    TFileTools(TWindowHost& Window, TFileToolsHost& Host, TFileToolsSetup Setup);

    void Print();
    void SendMail();
    // Opens a file picked at random from the active document's folder.
    void OpenRandom();
    void ExploreFolder();

    // Marks the active document as the later file to compare; the earlier mark moves down.
    void MarkActiveForComparison();
    // Compares the two documents (namesakes or the only two tabs) with TheseFiles, else two
    // picked from the tabs.
    void CompareFiles(bool TheseFiles);
    // The earlier- and the later-marked file for comparison.
    const std::array<std::string, 2>& ComparisonSlots() const { return FComparisonSlots; }

    void SubversionDiff(TSubversionTarget Target);
    void SubversionLog(TSubversionTarget Target);
    void SubversionBrowse();
    void SubversionCommit();
    void SubversionUpdate();

private:
    bool MarkForComparison(TDocumentEditor& Editor);
    bool MarkNamesakes(TDocumentEditor& Editor);
    bool MarkPickedFile(bool First);
    bool OfferSaveBeforeCompare(TDocumentEditor& Editor);
    void RunComparison();
    void StartSubversion(const std::string& Command, const std::string& Path);
    std::string SubversionPath(TSubversionTarget Target) const;

    TWindowHost& FWindow;
    TFileToolsHost& FHost;
    std::function<std::unique_ptr<TPrintCanvas>()> FPrintCanvas;
    std::function<std::size_t(std::size_t)> FRandomIndex;
    int FMaximumLineLength;
    std::array<std::string, 2> FComparisonSlots;
};

} // namespace korvid
