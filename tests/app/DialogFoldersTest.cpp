#include "FormFixture.h"

#include "ui/HackedDialogs.h"

#include <QDir>
#include <QFileDialog>

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// Where the file dialogs open.
class TDialogFoldersTest : public TFormTest {
protected:
    // The folder the next file dialog starts in; the dialog is cancelled.
    std::string StartFolderOf(const std::function<void()>& Command) {
        std::string Folder;
        TScriptedModals Dialogs;
        Dialogs.Then(ActOn<QFileDialog>([&Folder](QFileDialog& Dialog) {
            Folder = Dialog.directory().absolutePath().toStdString();
        }));
        Command();
        EXPECT_EQ(Dialogs.Shown().size(), 1u);
        return Folder;
    }
};

TEST_F(TDialogFoldersTest, OnAFirstRunOpenAndSaveStartInTheHomeFolder) {
    TRegistryEx().DeleteKey(RootKeys[CurrentKeyIndex]);
    MakeForm();
    const std::string Home = QDir::homePath().toStdString();
    EXPECT_EQ(Form->WindowSettings().OpenFolder, Home);
    EXPECT_EQ(Form->WindowSettings().SaveFolder, Home);
    EXPECT_EQ(StartFolderOf([this] { Form->FileOpen(); }), Home);
    Form->FileNew();
    EXPECT_EQ(StartFolderOf([this] { Form->FileSaveAs(); }), Home);
}

TEST_F(TDialogFoldersTest, SaveAsStartsInTheDocumentsFolder) {
    MakeForm();
    fs::create_directories(Dir / "one");
    fs::create_directories(Dir / "two");
    Form->OpenFile(File("one/a.txt", "a"), false, {});
    EXPECT_EQ(StartFolderOf([this] { Form->FileSaveAs(); }), (Dir / "one").string());
    // Not where the last Save As went.
    {
        TScriptedModals Dialogs;
        Dialogs.Then(ChooseFiles({Dir / "two" / "b.txt"}));
        Form->FileSaveAs();
    }
    Form->OpenFile(File("one/c.txt", "c"), false, {});
    EXPECT_EQ(StartFolderOf([this] { Form->FileSaveAs(); }), (Dir / "one").string());
    // An untitled document starts where the last save went.
    Form->FileNew();
    EXPECT_EQ(StartFolderOf([this] { Form->FileSaveAs(); }), (Dir / "two").string());
}

} // namespace
} // namespace korvid::test
