#include "devtools/compiler/CompilerMessages.h"
#include "devtools/compiler/JsonPicker.h"

#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "workspace/PickKeystrokesForm.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace korvid::test {
namespace {

TEST(TCompilerBoxTest, ButtonsFollowTheKindOfBox) {
    struct TCase {
        bool OkOnly;
        bool CanIgnore;
        std::vector<std::string> Buttons;
        std::string Pressed;
        int Result;
    };
    const TCase Cases[] = {
        {true, false, {"OK"}, "OK", 0},
        {false, true, {"Edit", "Ignore"}, "Ignore", 0},
        {false, true, {"Edit", "Ignore"}, "Edit", 1},
        {false, false, {"Edit"}, "Edit", 1},
    };
    for (const TCase& Case : Cases) {
        TScriptedModals Dialogs;
        Dialogs.Press(Case.Pressed);
        EXPECT_EQ(ShowCompilerMessage("Error", "text", Case.OkOnly, Case.CanIgnore), Case.Result);
        const TMessageFormState& Box = *Dialogs.Last().Message;
        EXPECT_EQ(Box.Caption, "Error");
        EXPECT_EQ(Box.Buttons, Case.Buttons);
        EXPECT_EQ(Box.DefaultButton, 0);
        EXPECT_EQ(Box.CancelButton, Case.OkOnly ? 0 : Case.CanIgnore ? 1 : -1);
    }
}

// "&Compile" is the default; any other way out of the box resumes.
TEST(TCompilerBoxTest, CompileOrResumeCompilesOnlyWhenAskedTo) {
    const std::vector<std::pair<TModalStep, bool>> Cases = {
        {PressEnter(), true},
        {PressButton("&Resume"), false},
        {PressEscape(), false},
        {CloseBox(), false},
    };
    for (const auto& [Step, Compiles] : Cases) {
        TScriptedModals Dialogs;
        Dialogs.Then(Step);
        EXPECT_EQ(AskCompileOrResume(), Compiles);
        const TMessageFormState& Box = *Dialogs.Last().Message;
        EXPECT_EQ(Box.Caption, "Compile or Resume?");
        EXPECT_EQ(Box.Buttons, (std::vector<std::string>{"&Compile", "&Resume"}));
    }
}

TEST(TJsonPickerTest, ListsTheFolderAndItsImmediateSubfolders) {
    TTempDir Dir;
    namespace fs = std::filesystem;
    fs::create_directories(Dir.Path() / "sub" / "deeper");
    for (const char* Name : {"b.json", "a.JSON", "c.txt", "sub/s.json", "sub/deeper/d.json"})
        WriteFileBytes(Dir.Path() / Name, "{}");
    const std::string Top = Dir.Path().string();
    EXPECT_EQ(
        JsonPickEntries(Top),
        (std::vector<std::string>{"a.JSON --> " + Top, "b.json --> " + Top, "s.json --> sub"}));
    EXPECT_EQ(JsonEntryName("s.json --> sub", Top), "sub/s.json");
    EXPECT_EQ(JsonEntryName("a.JSON --> " + Top, Top), "a.JSON");
    EXPECT_EQ(JsonEntryName("/added/x.json", Top), "/added/x.json");

    std::vector<std::string> Added;
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TPickKeystrokesForm>([](TPickKeystrokesForm& Form) {
        EXPECT_FALSE(Form.SubfolderBox()->isHidden());
        EXPECT_EQ(Form.SubfolderBox()->text().toStdString(), "Add immediate &subfolders");
        bool AddShown = false;
        for (const QPushButton* Button : Form.findChildren<QPushButton*>())
            AddShown = AddShown || (Button->text() == "&Add..." && !Button->isHidden());
        EXPECT_TRUE(AddShown);
        Form.SubfolderBox()->click();
        Form.List()->setCurrentRow(2);
        Form.OkButton()->click();
    }));
    EXPECT_EQ(PickJsonFile(nullptr, Dir.Path().string(), "", Added), "sub/s.json");
    EXPECT_EQ(Dialogs.Last().Caption, "Pick JSON File");
}

// Files of the start folder name their folder too, stay listed without the subfolders, and
// the current one is selected.
TEST(TJsonPickerTest, StartFolderFilesShowTheirFolder) {
    TTempDir Dir;
    std::filesystem::create_directories(Dir.Path() / "sub");
    for (const char* Name : {"a.json", "b.json", "sub/s.json"})
        WriteFileBytes(Dir.Path() / Name, "{}");
    const std::string Top = Dir.Path().string();
    std::vector<std::string> Added;
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TPickKeystrokesForm>([&](TPickKeystrokesForm& Form) {
        std::vector<std::string> Shown;
        for (int Row = 0; Row < Form.List()->count(); ++Row)
            Shown.push_back(Form.List()->item(Row)->text().toStdString());
        EXPECT_EQ(Shown, (std::vector<std::string>{"a.json --> " + Top, "b.json --> " + Top}));
        EXPECT_EQ(Form.Selected(), "b.json --> " + Top);
        Form.OkButton()->click();
    }));
    EXPECT_EQ(PickJsonFile(nullptr, Top, "b.json", Added), "b.json");
}

} // namespace
} // namespace korvid::test
