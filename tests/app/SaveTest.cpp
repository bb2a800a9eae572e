#include "FormFixture.h"

#include "app/BackupUnit.h"
#include "app/EditorDocument.h"
#include "app/StartUpUnit.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "ui/HackedDialogs.h"
#include "views/View.h"
#include "views/ViewList.h"
#include "workspace/ToolIndexes.h"

#include <filesystem>
#include <optional>

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
    EXPECT_EQ(ReadFileBytes(Dir / "plain"), "text\n");
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
        EXPECT_EQ(ReadFileBytes(Existing), "new\n");
    }
    Type(&Editor, "er ");
    TScriptedModals Modals;
    Modals.Then(ChooseFiles({Existing})).Press("&No").Then(PressEscape());
    EXPECT_FALSE(Form->SaveEditorAs(&Editor));
    EXPECT_EQ(ReadFileBytes(Existing), "new\n");
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
    // With its mark or without, as the file was.
    for (const std::string Mark : {"\xEF\xBB\xBF", ""}) {
        const auto Name = File("Caf\xC3\xA9.tid", Mark + "title: caf\xC3\xA9\n\nna\xC3\xAFve\n");
        Form->OpenFile(Name, false, {});
        Form->ActiveEditor()->SetModified(true);
        ASSERT_TRUE(Form->SaveActiveFile());
        EXPECT_EQ(ReadFileBytes(Name),
                  Mark + "created: 20240305140709000\ntitle: caf\xC3\xA9\n\nna\xC3\xAFve\n");
    }
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

// The window with the program's own editor control in every tab, as the program runs it.
class TProgramSaveTest : public TProgramFormTest {
protected:
    TView& DefaultView() { return Views->List().GetDefaultView(); }

    // Opens the file, lets Edit change the document and saves it; answers the file's bytes.
    std::string OpenAndSave(std::string_view Bytes,
                            const std::function<void(TDocumentEditor&)>& Edit = {}) {
        const auto Name = File("doc.txt", Bytes);
        Form->OpenFile(Name, false, {});
        TDocumentEditor& Editor = *Form->ActiveEditor();
        if (Edit)
            Edit(Editor);
        Editor.SetModified(true);
        EXPECT_TRUE(Form->SaveActiveFile());
        return ReadFileBytes(Name);
    }
};

struct TRoundTripCase {
    const char* Name;
    std::string Bytes;
};

void PrintTo(const TRoundTripCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class TRoundTripTest : public TProgramSaveTest,
                       public testing::WithParamInterface<TRoundTripCase> {};

// Saving a document that was not changed changes nothing in its file.
TEST_P(TRoundTripTest, SavingUnchangedKeepsEveryByte) {
    MakeProgramForm();
    EXPECT_EQ(OpenAndSave(GetParam().Bytes), GetParam().Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TRoundTripTest,
    testing::Values(TRoundTripCase{"CrLf", "one\r\ntwo\r\n"},
                    TRoundTripCase{"CrLfWithoutAFinalLineEnd", "one\r\ntwo"},
                    TRoundTripCase{"Lf", "one\ntwo\n"},
                    TRoundTripCase{"LfWithoutAFinalLineEnd", "one\ntwo"},
                    TRoundTripCase{"LfWithEmptyLastLines", "one\n\n\n"},
                    TRoundTripCase{"Cr", "one\rtwo\r"}, TRoundTripCase{"LineEndAlone", "\n"},
                    TRoundTripCase{"NoLineEnd", "one"}, TRoundTripCase{"Empty", ""},
                    TRoundTripCase{"Utf8WithAMark", "\xEF\xBB\xBF"
                                                    "caf\xC3\xA9\r\n\xE4\xB8\xAD\r\n"},
                    TRoundTripCase{"Utf8WithoutAMark", "caf\xC3\xA9\n\xF0\x9F\x98\x80\n"},
                    TRoundTripCase{"Utf8WithoutAMarkOrFinalLineEnd", "na\xC3\xAFve"},
                    TRoundTripCase{"Windows1252", "caf\xE9\r\n\x80 euro\r\n"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TProgramSaveTest, Utf8WithoutAMarkIsEditedAsTextAndStaysSo) {
    MakeProgramForm();
    const std::string Saved =
        OpenAndSave("caf\xC3\xA9 \xE4\xB8\xAD\nline\n", [](TDocumentEditor& Editor) {
            EXPECT_EQ(Editor.Paragraphs(),
                      (std::vector<std::string>{"caf\xE9 " + MakeEscape(0x4E2D), "line", ""}));
            EXPECT_TRUE(Editor.SaveAsUtf8);
            Editor.MoveCaretTo(2, 1);
            Editor.InsertTextAtCaret("\xE9\x80 ");
        });
    EXPECT_EQ(Saved, "caf\xC3\xA9 \xE4\xB8\xAD\n\xC3\xA9\xE2\x82\xAC line\n");
}

TEST_F(TProgramSaveTest, AMixedFileSavesWithItsFirstLineEnd) {
    MakeProgramForm();
    EXPECT_EQ(OpenAndSave("a\nb\r\nc\r\n"), "a\nb\nc\n");
    EXPECT_EQ(OpenAndSave("a\r\nb\nc"), "a\r\nb\r\nc");
}

TEST_F(TProgramSaveTest, TheViewStillForcesUnixLineEndsAndAFinalLineEnd) {
    MakeProgramForm();
    DefaultView().SaveAsUnix = true;
    EXPECT_EQ(OpenAndSave("a\r\nb"), "a\nb");
    DefaultView().SaveAsUnix = false;
    DefaultView().FinalLineFeed = true;
    EXPECT_EQ(OpenAndSave("a\nb"), "a\nb\n");
    EXPECT_EQ(OpenAndSave("a\rb\r"), "a\rb\r");
}

TEST_F(TProgramSaveTest, LinesEndedByTypingKeepTheFilesLineEnd) {
    MakeProgramForm();
    EXPECT_EQ(OpenAndSave("a\nb",
                          [](TDocumentEditor& Editor) {
                              Editor.MoveCaretTo(1, 2);
                              Editor.InsertTextAtCaret("\r\nx\r\n");
                          }),
              "a\nx\n\nb");
}

// A document never read from a file is saved as git and the shell expect, LF and a final line
// end, and stays so once it has its file; a file that was read keeps its own line ends.
TEST_F(TProgramSaveTest, NewDocumentsSaveWithLfAndAFinalLineEnd) {
    struct TCase {
        const char* Name;
        std::optional<std::string> Loaded; // none: a new document
        std::string Typed;
        std::string TypedAfterSaving; // then saved again
        bool Utf8View;
        std::string Expected;
    };
    const std::string Mark = "\xEF\xBB\xBF";
    const TCase Cases[] = {
        {"New", {}, "caf\xE9\r\nb", "", false, "caf\xE9\nb\n"},
        {"NewEndingInALineEnd", {}, "a\r\n", "", false, "a\n"},
        {"NewAndEmpty", {}, "", "", false, ""},
        {"NewInAUtf8View", {}, "caf\xE9\r\nb", "", true, Mark + "caf\xC3\xA9\nb\n"},
        {"NewSavedAgainAfterAnEdit", {}, "a", "\r\nc", false, "a\nc\n"},
        {"LoadedCrLfWithoutAFinalLineEnd", "one\r\ntwo", "x", "", false, "xone\r\ntwo"},
        {"LoadedLfWithAFinalLineEnd", "one\ntwo\n", "x", "", false, "xone\ntwo\n"},
    };
    MakeProgramForm();
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        DefaultView().Utf8 = Case.Utf8View;
        const auto Name = Dir / (std::string(Case.Name) + ".txt");
        if (Case.Loaded)
            Form->OpenFile(File(Name.filename().string(), *Case.Loaded), false, {});
        else
            Form->NewTab("File 1");
        TDocumentEditor& Editor = *Form->ActiveEditor();
        Editor.InsertTextAtCaret(Case.Typed);
        if (Case.Loaded) {
            ASSERT_TRUE(Form->SaveActiveFile());
        } else {
            TScriptedModals Modals;
            Modals.Then(ChooseFiles({Name}));
            ASSERT_TRUE(Form->SaveEditorAs(&Editor));
        }
        if (!Case.TypedAfterSaving.empty()) {
            Editor.InsertTextAtCaret(Case.TypedAfterSaving);
            ASSERT_TRUE(Form->SaveActiveFile());
        }
        EXPECT_EQ(ReadFileBytes(Name), Case.Expected);
    }
}

// A paragraph longer than the limit is split on opening. The split text is never written over
// its file, whose line it would break; Save As writes it elsewhere exactly as the document holds
// it, and a backup of it carries no file name.
TEST_F(TProgramSaveTest, ParagraphsSplitOnOpeningAreNeverSavedOverTheirFile) {
    struct TCase {
        const char* Name;
        std::size_t Length;
        std::size_t Paragraphs; // the long line's pieces, "end" and the empty last paragraph
    };
    const TCase Cases[] = {
        {"AtTheLimit", 4096, 3}, {"OneOver", 4097, 4}, {"OneMegabyte", 1024 * 1024, 258}};
    MakeProgramForm();
    TStartUpState State;
    State.BackupFolder = Dir / "Backup";
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const bool Split = Case.Length > 4096;
        const std::string Bytes = std::string(Case.Length, 'x') + "\r\nend\r\n";
        const std::string Name = File(std::string(Case.Name) + ".txt", Bytes);
        TScriptedModals Modals;
        if (Split)
            Modals.Press("OK");
        Form->OpenFile(Name, false, {});
        ASSERT_EQ(Modals.Shown().size(), Split ? 1u : 0u);
        TDocumentEditor& Editor = *Form->ActiveEditor();
        const std::vector<std::string> Document = Editor.Paragraphs();
        ASSERT_EQ(Document.size(), Case.Paragraphs);
        EXPECT_EQ(Document.front().size(), std::min<std::size_t>(Case.Length, 4096));
        EXPECT_EQ(Editor.ReadOnly(), Split);
        EXPECT_EQ(ToolDown(ToolIndex::FileReadOnly), Split);

        // Even made writable and changed, it stays off its own file.
        if (Split)
            ToolList().Items(ToolIndex::FileReadOnly)->Execute();
        EXPECT_FALSE(Editor.ReadOnly());
        Editor.SetModified(true);
        if (Split)
            Modals.Press("OK");
        EXPECT_EQ(Form->SaveActiveFile(), !Split);
        EXPECT_EQ(ReadFileBytes(Name), Bytes);
        if (Split) {
            ASSERT_EQ(Modals.Shown().size(), 2u);
            EXPECT_EQ(Modals.Last().Caption, "Save");
            EXPECT_NE(Modals.Last().Message->Text.find("split the long paragraphs of \"" + Name),
                      std::string::npos);
            EXPECT_TRUE(Editor.Modified());
        }

        BackupTimerTimer(*Form, State);
        const std::string Index = ReadFileBytes(CurrentBackupSet(State.BackupFolder) / "Index.txt");
        EXPECT_EQ(Index.find(Name) == std::string::npos, Split) << Index;

        const auto Copy = Dir / (std::string(Case.Name) + "-copy.txt");
        Modals.Then(ChooseFiles({Copy}));
        ASSERT_TRUE(Form->SaveEditorAs(&Editor));
        std::string Expected;
        for (std::size_t Index = 0; Index < Document.size(); ++Index)
            Expected += (Index ? "\r\n" : "") + Document[Index];
        EXPECT_EQ(ReadFileBytes(Copy), Expected);
        // Under its new name it is a file of its own.
        Editor.SetModified(true);
        EXPECT_TRUE(Form->SaveActiveFile());
        EXPECT_EQ(Modals.Unanswered(), 0);
        ASSERT_TRUE(Form->CloseTab());
    }
}

} // namespace
} // namespace korvid::test
