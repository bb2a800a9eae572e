#pragma once

#include "devtools/definitions/DefsFile.h"

#include <QDialog>
#include <QList>
#include <QUrl>

#include <array>
#include <memory>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace korvid {

// Edits the files, keys and fields of one definitions file and saves them back into its volume.
class TDefsEditorForm : public QDialog {
    Q_OBJECT

public:
    // What a tree node stands for.
    enum TNodeKind { nkFile = 1, nkKey, nkField };
    static constexpr int KindRole = Qt::UserRole;
    static constexpr int FileRole = Qt::UserRole + 1;
    static constexpr int NumberRole = Qt::UserRole + 2; // key number or field index
    static constexpr int ImageRole = Qt::UserRole + 3;  // index into the shared pictures

    explicit TDefsEditorForm(QWidget* Parent = nullptr);
    ~TDefsEditorForm() override;

    // Loads a ".DEFS" file named by its volume path; other names are ignored.
    void LoadDefsByPath(const std::string& Path);
    // The definitions that belong to a volume file ("CGEN.vol" holds NOM4's).
    void OpenVolumeDefs(const std::string& VolumeFile);
    void DropFiles(const QList<QUrl>& Urls);
    // Expanding a node collapses its siblings.
    void SetCollapseSiblings(bool Collapse) { FCollapseSiblings = Collapse; }

    // False when the shown page is refused.
    bool AcceptPage();
    void SaveDefs();
    void reject() override;

    const TDefsList& Defs() const { return *FDefs; }
    bool DefsChanged() const { return FDefsChanged; }
    bool PageModified() const { return FPageModified; }

protected:
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TNumberBox {
        QLineEdit* Edit = nullptr;
        QWidget* Spinner = nullptr;
    };
    struct TKeyPart {
        QComboBox* Field = nullptr;
        TNumberBox Length;
        QComboBox* Function = nullptr;
    };

    void CreateControls();
    QWidget* CreateFilePage();
    QWidget* CreateFieldPage();
    QWidget* CreateKeyPage();
    QWidget* CreateNullPage();
    QLabel* CreateHeading(const char* Name);
    QLineEdit* CreateEdit(const char* Name, bool ReadOnly);
    QComboBox* CreateCombo(const char* Name);
    TNumberBox CreateNumberBox(const char* EditName, const char* SpinnerName, int High);
    void WatchChanges();

    // Tree.
    void RebuildTree();
    QTreeWidgetItem* AddNode(QTreeWidgetItem* Parent, const std::string& Text, TNodeKind Kind,
                             int File, int Number, int Image);
    void SetNodeImage(QTreeWidgetItem* Node, int Image);
    void SelectNode(QTreeWidgetItem* Node);
    void CurrentNodeChanged(QTreeWidgetItem* Current, QTreeWidgetItem* Previous);
    void NodeExpanded(QTreeWidgetItem* Node);
    void KeepShownNodeCurrent();
    QTreeWidgetItem* FileNode(int File) const;

    // Pages.
    void ShowPageOf(QTreeWidgetItem* Node);
    void ShowFilePage(const TDefsFile& File);
    void ShowFieldPage(const TDefsField& Field);
    void ShowKeyPage(const TDefsKey& Key);
    void ShowReferences(const TDefsField& Field, int FieldType);
    void ApplyTypeLayout();
    void TypeChanged();
    void TargetFileChanged();
    void TargetFieldChanged();
    void CalculationChanged();
    void CalcOp2FileChanged();
    void ModifyPage();
    int SelectedType() const;

    bool AcceptFilePage(TDefsFile& File);
    bool AcceptFieldPage(TDefsField& Field);
    bool AcceptKeyPage(TDefsKey& Key);
    // The box's value when it lies in Low to High; else says so, focuses it and answers nothing.
    bool ReadNumber(const TNumberBox& Box, std::string_view What, int High, int& Value);
    // Name comes in as stored and goes out as the edit gives it.
    bool ReadName(QLineEdit* Edit, std::string& Name);
    void MarkChanged();
    void SetCaptionFromPath();

    void FillFileCombos();
    void FillFieldCombo(QComboBox* Combo, int File);
    void FillFunctionCombo(QComboBox* Combo, int Kind);

    std::unique_ptr<TDefsList> FDefs;
    bool FPageModified = false;
    bool FDefsChanged = false;
    bool FCollapseSiblings = false;
    int FQuiet = 0; // while above 0, changes come from the program, not the user
    QTreeWidgetItem* FShownNode = nullptr;
    int FTreeGeneration = 0; // counts rebuilds, so that a late call finds its nodes gone

    QWidget* FTreePanel = nullptr;
    QTreeWidget* FTree = nullptr;
    QStackedWidget* FNotebook = nullptr;
    QWidget* FFilePage = nullptr;
    QWidget* FFieldPage = nullptr;
    QWidget* FKeyPage = nullptr;
    QWidget* FNullPage = nullptr;
    QLabel* FFileHeading = nullptr;
    QLabel* FFieldHeading = nullptr;
    QLabel* FKeyHeading = nullptr;

    QLineEdit* FFileNameEdit = nullptr;
    QLineEdit* FFileNumberEdit = nullptr;
    QLineEdit* FSizeEdit = nullptr;
    QLineEdit* FSize16Edit = nullptr;

    QLineEdit* FFieldNameEdit = nullptr;
    QLineEdit* FFieldNumberEdit = nullptr;
    QLineEdit* FOffsetEdit = nullptr;
    QComboBox* FTypeCombo = nullptr;
    TNumberBox FFieldLength;
    TNumberBox FDecimalCount;
    TNumberBox FElementCount;
    QCheckBox* FForcedCheckBox = nullptr;
    QCheckBox* FFlaggedCheckBox = nullptr;
    std::array<QLabel*, 4> FRefLabels{};
    QComboBox* FTargetFileCombo = nullptr;
    QComboBox* FTargetFieldCombo = nullptr;
    QComboBox* FOrderField1Combo = nullptr;
    QComboBox* FOrderField2Combo = nullptr;
    QComboBox* FCalculationCombo = nullptr;
    QComboBox* FCalcOp2FileCombo = nullptr;
    QLabel* FFieldHelpLabel = nullptr;

    QCheckBox* FAllowDuplicatesCheckBox = nullptr;
    std::array<TKeyPart, DefsKeyParts> FKeyParts{};

    QPushButton* FSaveButton = nullptr;
    QPushButton* FCancelButton = nullptr;
    QCheckBox* FShowVoidsCheckBox = nullptr;
    QCheckBox* FAllowSaveCheckBox = nullptr;
    QMenu* FPopupMenu = nullptr;
};

} // namespace korvid
