#pragma once

#include "psystem/FilerHost.h"

#include <QDialog>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace korvid {

class TMajorVolume;
class TOpenDialog;
class TSafeTreeView;
class TSubvolume;
class TTreeNode;
class TVolume;

// How the volume browser was closed. Cancel is QDialog::Rejected, so that Esc and the close
// box give it.
enum TBrowseResult : int { brCancel = 0, brOk = 1, brYes = 2, brIgnore = 3, brRetry = 4 };

// The browser's images: a file, or a volume or subvolume.
enum TBrowseImage : int { biFile = 0, biVolume = 1 };

// What the browser's search controls hold.
struct TBrowseSearchOptions {
    std::string Text;
    bool MatchCase = false;
    bool WholeWords = false;
    bool IgnoreUnderscores = true;
    bool QuotedOnly = false;
    int ContextLines = 0;
    bool MultipleVolumes = false;
    std::string VolumeList; // a file naming one volume per line
    bool operator==(const TBrowseSearchOptions&) const = default;
};

// The volume files a list file names, one per line: blank lines are skipped and a relative
// path is taken against the list's folder. Raises EFileOpenError when the list cannot be read.
std::vector<std::string> ReadVolumeList(const std::filesystem::path& ListFile);

// A volume file as a tree of its files and subvolumes, from which the user opens a file,
// locates one by part of its name, or sets up a search over the volume.
class TBrowseVolumeForm : public QDialog {
    Q_OBJECT

public:
    explicit TBrowseVolumeForm(TFilerHost& Host, QWidget* Parent = nullptr);
    ~TBrowseVolumeForm() override;

    // The entry name of a subvolume to select when the volume opens; cleared once found.
    std::string PreselectName;

    // Builds the tree of the volume file, read-only; the volume classes' exceptions pass
    // through, leaving nothing open.
    void OpenVolume(const std::string& Path);
    // What is wrong with the directories OpenVolume read, one sentence a line; empty when all
    // are sound. Nothing is written to a damaged volume: the browser only reads.
    const std::string& DamageReport() const { return FDamageReport; }
    void Centre();
    // Unless the locate edit has the focus, gives it to the find text or to the tree.
    void SetInitialFocus(bool FindTextFirst);
    // Frees the volume and every subvolume opened for the tree.
    void CloseVolume();

    // The selected node's name, upper case, at most 15 characters; empty without a selection.
    std::string GetSelectedFileName() const;
    // The entry name of the subvolume holding the selected file; empty outside one.
    std::string GetSelectedSubvolumeName() const;
    // The selected subvolume, else the volume.
    TVolume* GetSelectedVolume() const;

    TBrowseSearchOptions SearchOptions() const;
    void SetSearchOptions(const TBrowseSearchOptions& Options);

    // Visits the next node whose name holds the locate text.
    void GoClick();
    void GrabListingClick();
    void MultiVolumeBrowseClick();
    // The tree's lines as Grab Listing writes them, each ended by CR LF.
    std::string ListingText() const;

    static int ImageOf(const TTreeNode& Node);
    // Closes with a TBrowseResult.
    void done(int Result) override;

    TSafeTreeView* Tree() const { return FTree; }
    QLineEdit* FindFileEdit() const { return FFindFileEdit; }
    QLineEdit* FindTextEdit() const { return FFindTextEdit; }
    QLineEdit* MultiVolumeEdit() const { return FMultiVolumeEdit; }
    QCheckBox* MultiVolumeCheckBox() const { return FMultiVolumeCheckBox; }
    QSpinBox* ContextSpin() const { return FContextSpin; }
    QPushButton* GoButton() const { return FGoButton; }
    QPushButton* OpenButton() const { return FOpenButton; }
    QPushButton* SearchButton() const { return FSearchButton; }
    QPushButton* MultiVolumeBrowseButton() const { return FMultiVolumeBrowseButton; }
    TOpenDialog& MultiVolumeOpenDialog() const { return *FMultiVolumeOpenDialog; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void BuildControls();
    void FillNode(TTreeNode* Node, TVolume& Volume, const std::string& Prefix,
                  TTreeNode*& ToSelect);
    void FreeVolumes();
    void AddDamage(const TVolume& Volume);
    void UpdateOpenButton();
    void UpdateSearchButton();
    void UpdateMultiVolumeControls();
    bool HandleKey(int Key, Qt::KeyboardModifiers Modifiers);
    static int Level(const TTreeNode* Node);

    TFilerHost& FHost;
    // Every file or subvolume node's p-System name with its volume prefix, in tree order.
    std::vector<std::pair<std::string, TTreeNode*>> FNodeNames;
    std::deque<TTreeNode*> FLocateMatches;
    std::unique_ptr<TMajorVolume> FMajorVolume;
    // Parents before the subvolumes opened inside them.
    std::vector<std::unique_ptr<TSubvolume>> FSubvolumes;
    std::string FDamageReport;
    std::unique_ptr<TOpenDialog> FMultiVolumeOpenDialog;

    TSafeTreeView* FTree = nullptr;
    QLineEdit* FFindFileEdit = nullptr;
    QPushButton* FGoButton = nullptr;
    QPushButton* FOpenButton = nullptr;
    QLineEdit* FFindTextEdit = nullptr;
    QPushButton* FSearchButton = nullptr;
    QSpinBox* FContextSpin = nullptr;
    QCheckBox* FMatchCaseCheckBox = nullptr;
    QCheckBox* FWholeWordsCheckBox = nullptr;
    QCheckBox* FIgnoreUnderscoresCheckBox = nullptr;
    QCheckBox* FQuotedTextCheckBox = nullptr;
    QCheckBox* FMultiVolumeCheckBox = nullptr;
    QLineEdit* FMultiVolumeEdit = nullptr;
    QPushButton* FMultiVolumeBrowseButton = nullptr;
    QPushButton* FFilerButton = nullptr;
    QPushButton* FGrabListingButton = nullptr;
    QPushButton* FCancelButton = nullptr;
};

} // namespace korvid
