#pragma once

#include "workspace/FindInFiles.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace korvid {

// The Find in Folder dialog: the settings of a find in files, and the folder's other tools.
class TSearchFolderForm : public QDialog {
public:
    // Results beside Accepted (Find).
    static constexpr int OpenAllResult = 6;
    static constexpr int LocateResult = 7;
    static constexpr int UnpackResult = 8;

    explicit TSearchFolderForm(QWidget* Parent = nullptr);

    // The folder picker; answers the chosen folder, nothing on Cancel.
    std::function<std::optional<std::string>(const std::string& Title, const std::string& Start)>
        BrowseFolder;
    // Shows the folder in the desktop's file manager.
    std::function<void(const std::string& Folder)> Explore;

    std::string Folder() const;
    void SetFolder(const std::string& Folder);
    std::string FindText() const;
    // The arguments of the find, the location 0 when none is selected.
    TFindSettings Settings() const;
    bool FindEnabled() const;

    QLineEdit* TextEdit() const { return FText; }
    QLineEdit* FolderEdit() const { return FFolder; }
    QLineEdit* ExtensionsEdit() const { return FExtensions; }
    QComboBox* LocationCombo() const { return FLocation; }
    QSpinBox* ContextEdit() const { return FContext; }
    QPushButton* FindButton() const { return FFind; }

    // The folder above Folder ("/a/b/" gives "/a"; "/" stays).
    static std::string UpFolder(std::string Folder);

private:
    void UpdateFindButton();
    void BrowseClick();

    QLineEdit* FText;
    QLineEdit* FFolder;
    QLineEdit* FExtensions;
    QComboBox* FLocation;
    QSpinBox* FContext;
    QCheckBox* FMatchCase;
    QCheckBox* FWholeWords;
    QCheckBox* FIgnoreUnderscores;
    QCheckBox* FQuotedOnly;
    QPushButton* FFind;
};

} // namespace korvid
