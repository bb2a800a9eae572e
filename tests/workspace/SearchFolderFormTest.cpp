#include "workspace/SearchFolderForm.h"

#include "tests/support/TempDir.h"
#include "tests/workspace/DialogChildren.h"
#include "ui/ModalRunner.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

TEST(SearchFolderForm, FindIsEnabledForAnExistingFolderAndASearchableText) {
    TTempDir Dir;
    std::filesystem::create_directory(Dir / "caf\xE9");
    struct TCase {
        std::string Folder;
        std::string Text;
        int Location;
        bool Enabled;
    } Cases[] = {
        {Dir.Path().string(), "foo", 0, true},
        {(Dir / "missing").string(), "foo", 0, false},
        {"", "foo", 0, false},
        {Dir.Path().string(), "", 0, false},
        {Dir.Path().string(), "", 5, true},
        {Dir.Path().string(), "", 6, true},
        {Dir.Path().string(), "", 3, false},
        // A folder whose name is not UTF-8 is the folder of those bytes.
        {(Dir / "caf\xE9").string(), "foo", 0, true},
    };
    TSearchFolderForm Form;
    for (const TCase& C : Cases) {
        Form.SetFolder(C.Folder);
        Form.TextEdit()->setText(QString::fromStdString(C.Text));
        Form.LocationCombo()->setCurrentIndex(C.Location);
        EXPECT_EQ(Form.FindButton()->isEnabled(), C.Enabled)
            << "'" << C.Folder << "' '" << C.Text << "' " << C.Location;
        EXPECT_EQ(Form.Folder(), C.Folder);
    }
}

TEST(SearchFolderForm, UpGoesToTheParentFolder) {
    EXPECT_EQ(TSearchFolderForm::UpFolder("/a/b/"), "/a");
    EXPECT_EQ(TSearchFolderForm::UpFolder("/a/b"), "/a");
    EXPECT_EQ(TSearchFolderForm::UpFolder("/a"), "/");
    EXPECT_EQ(TSearchFolderForm::UpFolder("/"), "/");
    TSearchFolderForm Form;
    Form.SetFolder("/a/b/");
    ChildCaptioned<QPushButton>(Form, "&Up")->click();
    EXPECT_EQ(Form.Folder(), "/a");
}

TEST(SearchFolderForm, SettingsTakeLocationZeroWhenNoneIsSelected) {
    TSearchFolderForm Form;
    Form.LocationCombo()->setCurrentIndex(-1);
    EXPECT_EQ(Form.Settings().Location, 0);
    Form.LocationCombo()->setCurrentIndex(4);
    EXPECT_EQ(Form.Settings().Location, 4);
}

TEST(SearchFolderForm, BrowseAndExploreReachTheirHooksWithTheFolder) {
    TSearchFolderForm Form;
    Form.SetFolder("/start");
    std::vector<std::string> Asked;
    Form.BrowseFolder = [&Asked](const std::string& Title, const std::string& Start) {
        Asked.push_back(Title + "|" + Start);
        return std::optional<std::string>("/chosen");
    };
    Form.Explore = [&Asked](const std::string& Folder) { Asked.push_back("explore " + Folder); };
    ChildCaptioned<QPushButton>(Form, "&...")->click();
    ChildCaptioned<QPushButton>(Form, "Explo&re")->click();
    EXPECT_EQ(Asked, (std::vector<std::string>{"Browse for Folder|/start", "explore /chosen"}));
}

TEST(SearchFolderForm, ButtonsCloseWithTheirResults) {
    const std::pair<const char*, int> Cases[] = {
        {"Open &All", TSearchFolderForm::OpenAllResult},
        {"L&ocate...", TSearchFolderForm::LocateResult},
        {"Unpac&k...", TSearchFolderForm::UnpackResult},
        {"Cancel", QDialog::Rejected},
    };
    for (const auto& [Caption, Result] : Cases) {
        TSearchFolderForm Form;
        TScriptedModals Modals;
        Modals.Press(Caption);
        EXPECT_EQ(RunModal(Form), Result) << Caption;
    }
}

} // namespace
} // namespace korvid::test
