#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabBar;

namespace korvid {

// The states of the Find dialog's controls that decide the search's option bits.
struct TFindControls {
    bool ReplaceTab = false;
    bool MatchCase = false;
    bool WholeWords = false;
    bool Backwards = false;
    bool WithinSelection = false; // counts on the Replace tab only
    bool PreserveCase = false;    // counts on the Replace tab only
    int Location = 0;             // 0..6
};

// The option bits of the editor's search (editor/engine/EngSearch.h) the controls ask for.
std::uint16_t FindOptionBits(const TFindControls& Controls);
// An empty text is searchable only for whole lines, and replacing an empty line is refused.
bool FindOkEnabled(bool TextEmpty, int Location, bool ReplaceTab);

// The Find and Replace dialog: one for the main window's lifetime, so its lists of earlier
// texts last for the run.
class TFindForm : public QDialog {
public:
    // The editor's limit for find and replace texts.
    static constexpr int MaxTextLength = 255;

    explicit TFindForm(QWidget* Parent = nullptr);

    void SetFindText(const std::string& Text);
    void SetTab(bool Replace);
    void SetListAll(bool Value);
    void SetAllOpenDocuments(bool Value);
    // Enables and checks the within-selection box, or disables and clears it.
    void SetSelectionEnabled(bool Value);
    // The Replace tab's caption: "Replace", or "Replace Across Files" over search results.
    void SetReplaceCaption(const std::string& Caption);

    std::uint16_t GetOptions() const;
    std::string GetFindText() const;
    std::string GetReplaceText() const;
    bool IsReplaceTab() const;
    bool JumpToStart() const;
    bool ListAll() const;
    bool AllOpenDocuments() const;
    int Location() const;
    // Modal; true on OK.
    bool Execute();

    QTabBar* TabBar() const { return FTabs; }
    QComboBox* FindCombo() const { return FFindCombo; }
    QComboBox* ReplaceCombo() const { return FReplaceCombo; }
    QComboBox* LocationCombo() const { return FLocation; }
    QCheckBox* LockReplaceBox() const { return FLockReplace; }
    QPushButton* OkButton() const { return FOk; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TFindControls Controls() const;
    void ShowTabControls();
    void UpdateOk();
    void FindTextChanged();
    void LockReplaceClick();
    void OkClick();

    QTabBar* FTabs;
    QComboBox* FFindCombo;
    QComboBox* FReplaceCombo;
    QCheckBox* FMatchCase;
    QCheckBox* FWholeWords;
    QCheckBox* FBackwards;
    QCheckBox* FJumpToStart;
    QCheckBox* FWithinSelection;
    QCheckBox* FListAll;
    QCheckBox* FAllOpen;
    QCheckBox* FPreserveCase;
    QCheckBox* FLockReplace;
    QComboBox* FLocation;
    QWidget* FReplaceLabel;
    QPushButton* FOk;
};

} // namespace korvid
