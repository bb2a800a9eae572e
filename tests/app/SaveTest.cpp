#include "FormFixture.h"

#include "psystem/MajorVolume.h"
#include "ui/HackedDialogs.h"

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

TDocumentView MakeView(std::string Name, std::string Wildcards) {
    TDocumentView View;
    View.Name = std::move(Name);
    View.Wildcards = std::move(Wildcards);
    return View;
}

class TSaveTest : public TFormTest {
protected:
    TDocumentEditor& NewDocument(const QString& Text) {
        Form->NewTab("File 1");
        Type(Form->ActiveEditor(), Text);
        return *Form->ActiveEditor();
    }
};

TEST_F(TSaveTest, SaveAsKeepsATypedNameWhenTheViewHasNoExtension) {
    MakeForm();
    auto& Editor = NewDocument("text");
    TScriptedModals Modals;
    Modals.Then(ChooseFiles({Dir / "plain"}));
    EXPECT_TRUE(Form->SaveEditorAs(&Editor));
    EXPECT_EQ(Modals.Shown().front().Caption, "Save File 1 As");
    EXPECT_EQ(ReadFileBytes(Dir / "plain"), "text");
    EXPECT_EQ(Editor.FileName, (Dir / "plain").string());
    EXPECT_FALSE(Editor.Modified());
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"plain"}));
    EXPECT_EQ(Form->windowTitle().toStdString(), "Korvid - " + (Dir / "plain").string());
    EXPECT_EQ(Form->History().PathOfRank(0), (Dir / "plain").string());
}

TEST_F(TSaveTest, SaveAsAppendsTheViewsExtensionAndTakesTheViewOfTheNewName) {
    MakeForm(
        {MakeView("Plain Text", ""), MakeView("Pascal", "*.pas;*.inc"), MakeView("Text", "*.txt")});
    auto& Editor = NewDocument("program x;");
    const TDocumentView* Pascal = Form->Views().FindForFileName("a.pas");
    Editor.SetView(Pascal);
    {
        TScriptedModals Modals;
        Modals.Then(ChooseFiles({Dir / "unit"}));
        ASSERT_TRUE(Form->SaveEditorAs(&Editor));
    }
    EXPECT_EQ(Editor.FileName, (Dir / "unit.pas").string());
    EXPECT_TRUE(fs::exists(Dir / "unit.pas"));
    EXPECT_EQ(Editor.View(), Pascal);

    TScriptedModals Modals;
    Modals.Then(ChooseFiles({Dir / "notes.txt"}));
    ASSERT_TRUE(Form->SaveEditorAs(&Editor));
    EXPECT_EQ(Editor.View()->Name, "Text");

    // A view the user picked stays whatever the name.
    Editor.SetView(Pascal);
    Editor.ViewChosenByUser = true;
    Modals.Then(ChooseFiles({Dir / "other.txt"}));
    ASSERT_TRUE(Form->SaveEditorAs(&Editor));
    EXPECT_EQ(Editor.View(), Pascal);
}

TEST_F(TSaveTest, ReplacingAnExistingFileAsksUntilConfirmedOrCancelled) {
    MakeForm();
    const auto Existing = File("existing.txt", "old");
    auto& Editor = NewDocument("new");
    {
        TScriptedModals Modals;
        Modals.Then(ChooseFiles({Existing}))
            .Press("&No")
            .Then(ChooseFiles({Existing}))
            .Press("&Yes");
        EXPECT_TRUE(Form->SaveEditorAs(&Editor));
        ASSERT_EQ(Modals.Shown().size(), 4u);
        EXPECT_EQ(Modals.Shown()[1].Message->Text,
                  "Do you want to replace the existing file \"" + Existing + "\"?");
        EXPECT_EQ(ReadFileBytes(Existing), "new");
    }
    Type(&Editor, "er ");
    TScriptedModals Modals;
    Modals.Then(ChooseFiles({Existing})).Press("&No").Then(PressEscape());
    EXPECT_FALSE(Form->SaveEditorAs(&Editor));
    EXPECT_EQ(ReadFileBytes(Existing), "new");
    EXPECT_TRUE(Editor.Modified());
}

TEST_F(TSaveTest, TiddlerTimestampsAreAddedThenUpdated) {
    MakeForm();
    Form->Options().UpdateTiddlerTimestamps = true;
    const auto Name = File("Note.TID", "title: x\n\nbody  \n");
    Form->OpenFile(Name, false, {});
    auto* Editor = Form->ActiveEditor();
    Editor->SetModified(true);
    ASSERT_TRUE(Form->SaveActiveFile());
    EXPECT_EQ(ReadFileBytes(Name), "created: 20240305140709000\ntitle: x\n\nbody\n");
    EXPECT_EQ(ActiveText(), "title: x\n\nbody  \n"); // the document itself is not stamped

    // The stamps reach the document when it is read again.
    const auto SaveReopened = [this, &Name] {
        Form->OpenFile(Name, false, {});
        Form->ActiveEditor()->SetModified(true);
        Form->SaveActiveFile();
    };
    Now = Now.addSecs(60);
    SaveReopened();
    EXPECT_EQ(ReadFileBytes(Name),
              "created: 20240305140709000\nmodified: 20240305140809000\ntitle: x\n\nbody\n");
    Now = Now.addSecs(3600);
    SaveReopened();
    EXPECT_EQ(ReadFileBytes(Name),
              "created: 20240305140709000\nmodified: 20240305150809000\ntitle: x\n\nbody\n");
}

TEST_F(TSaveTest, StampingKeepsAUtf8TiddlerInUtf8) {
    MakeForm();
    Form->Options().UpdateTiddlerTimestamps = true;
    const auto Name = File("Caf\xC3\xA9.tid", "\xEF\xBB\xBFtitle: caf\xC3\xA9\n\nna\xC3\xAFve\n");
    Form->OpenFile(Name, false, {});
    Form->ActiveEditor()->SetModified(true);
    ASSERT_TRUE(Form->SaveActiveFile());
    EXPECT_EQ(ReadFileBytes(Name),
              "\xEF\xBB\xBF"
              "created: 20240305140709000\ntitle: caf\xC3\xA9\n\nna\xC3\xAFve\n");
}

TEST_F(TSaveTest, OtherExtensionsAreNotStamped) {
    MakeForm();
    Form->Options().UpdateTiddlerTimestamps = true;
    const auto Name = File("Note.tidy", "title: x");
    Form->OpenFile(Name, false, {});
    Form->ActiveEditor()->SetModified(true);
    Form->SaveActiveFile();
    EXPECT_EQ(ReadFileBytes(Name), "title: x");
}

TEST_F(TSaveTest, SavingIntoAVolumeKeepsTrailingBlanksForWindowScripts) {
    TDocumentView Stripping = MakeView("Plain Text", "");
    Stripping.PreserveSpaces = false;
    MakeForm({Stripping});
    Form->Options().SavePSystem = false;
    const auto Volume = (Dir / "w.vol").string();
    ASSERT_TRUE(CreateVolumeFile(Volume, "W", 60));
    auto& Editor = NewDocument("a  \n   \nb");
    struct TCase {
        const char* File;
        std::vector<std::string> Stored;
    };
    const TCase Cases[] = {
        {"PLAIN.TEXT", {"a", "", "b"}},      {"WINDOW.TEXT", {"a  ", "   ", "b"}},
        {"WIMPY.TEXT", {"a  ", "   ", "b"}}, {"WIPE.TEXT", {"a  ", "   ", "b"}},
        {"window.text", {"a", "", "b"}},
    };
    for (const auto& Case : Cases) {
        Editor.SetModified(true);
        ASSERT_TRUE(Form->SaveEditorToFile(&Editor, Volume + ">" + Case.File, true)) << Case.File;
        EXPECT_FALSE(Editor.Modified());
        TMajorVolume Reader(Volume, false);
        EXPECT_EQ(Reader.ReadFileLines(0, Case.File), Case.Stored) << Case.File;
    }
}

TEST_F(TSaveTest, SaveAllModifiedGoesOnPastACancelledSaveAs) {
    MakeForm();
    auto& Untitled = NewDocument("u");
    const auto B = File("b.txt", "b");
    const auto C = File("c.txt", "c");
    Form->OpenFile(B, false, {});
    Type(Form->ActiveEditor(), "B");
    Form->OpenFile(C, false, {});
    Type(Form->ActiveEditor(), "C");
    TScriptedModals Modals;
    Modals.Then(PressEscape());
    Form->SaveAllModified();
    EXPECT_EQ(Modals.Shown().size(), 1u);
    EXPECT_TRUE(Untitled.Modified());
    EXPECT_EQ(ReadFileBytes(B), "Bb");
    EXPECT_EQ(ReadFileBytes(C), "Cc");
}

TEST_F(TSaveTest, AFailedSaveLeavesTheDocumentModifiedAndOpen) {
    MakeForm();
    auto& Editor = NewDocument("precious");
    Editor.FileName = (Dir / "no such folder" / "x.txt").string();
    TScriptedModals Modals;
    Modals.Press("&Yes").Press("OK");
    EXPECT_FALSE(Form->CloseTab());
    ASSERT_EQ(Modals.Shown().size(), 2u);
    EXPECT_NE(Modals.Last().Message->Text.find("unable to save"), std::string::npos);
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_TRUE(Editor.Modified());
}

TEST_F(TSaveTest, AVolumeThatRefusesTheFileIsNoSuccess) {
    MakeForm();
    Form->Options().SavePSystem = false;
    const auto Volume = (Dir / "w.vol").string();
    ASSERT_TRUE(CreateVolumeFile(Volume, "W", 60));
    auto& Editor = NewDocument("code");
    Editor.FileName = Volume + ">PROG.CODE";
    TScriptedModals Modals;
    Modals.Press("OK");
    EXPECT_FALSE(Form->SaveActiveFile());
    EXPECT_EQ(Modals.Shown().size(), 1u);
    EXPECT_TRUE(Editor.Modified());
}

TEST_F(TSaveTest, DeclinedPSystemQuestionSavesNothing) {
    MakeForm();
    Form->Options().SavePSystem = true;
    const auto Volume = (Dir / "w.vol").string();
    ASSERT_TRUE(CreateVolumeFile(Volume, "W", 60));
    auto& Editor = NewDocument("x");
    TScriptedModals Modals;
    Modals.Press("&No");
    EXPECT_FALSE(Form->SaveEditorToFile(&Editor, Volume + ">A.TEXT", true));
    EXPECT_EQ(Modals.Last().Message->Text, "Do you want to save this p-System file?");
    EXPECT_TRUE(Editor.Modified());
}

TEST_F(TSaveTest, UndoIsGoneAfterASaveUnlessKept) {
    MakeForm();
    for (const bool Keep : {false, true}) {
        Form->Options().UndoAfterSave = Keep;
        auto& Editor = NewDocument("typed");
        ASSERT_TRUE(Editor.CanUndo());
        ASSERT_TRUE(Form->SaveEditorToFile(&Editor, File("u.txt", ""), true));
        EXPECT_EQ(Editor.CanUndo(), Keep);
    }
}

TEST_F(TSaveTest, ModifiedTabsAreMarkedWhenAsked) {
    MakeForm();
    Form->Options().MarkModifiedTabs = true;
    auto& Editor = NewDocument("x");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"File 1 *"}));
    Form->Options().MarkModifiedTabs = false;
    Form->UpdateTabCaption(&Editor);
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"File 1"}));
}

TEST_F(TSaveTest, CommandLinesAreSavedOrOfferedElsewhere) {
    MakeForm();
    Form->CommandLines() = {"make", "make test"};
    std::string Name = (Dir / "lines.txt").string();
    Form->SaveCommandLines(Name);
    EXPECT_EQ(ReadFileBytes(Name), "make\r\nmake test\r\n");
    std::string Bad = (Dir / "missing" / "lines.txt").string();
    TScriptedModals Modals;
    Modals.Press("&Discard");
    Form->SaveCommandLines(Bad);
    EXPECT_EQ(Modals.Shown().size(), 1u);
}

} // namespace
} // namespace korvid::test
