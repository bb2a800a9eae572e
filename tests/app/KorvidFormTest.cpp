#include "FormFixture.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QMenuBar>

namespace korvid::test {
namespace {

using TKorvidFormTest = TFormTest;

TEST_F(TKorvidFormTest, FirstWindowIsPlacedFromTheWorkArea) {
    MakeForm();
    EXPECT_EQ(Form->width(), 1820);
    EXPECT_EQ(Form->height(), 960);
    EXPECT_EQ(Form->x(), 50);
    EXPECT_EQ(Form->y(), 40);
    EXPECT_EQ(Form->windowTitle(), "Korvid");
    EXPECT_FALSE(Form->menuBar()->actions().isEmpty());
}

TEST_F(TKorvidFormTest, NewTabGoesRightOfTheActiveTab) {
    MakeForm();
    Form->NewTab("A");
    Form->NewTab("B");
    Form->Tabs()->setCurrentIndex(0);
    Form->NewTab("C");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(Form->Tabs()->currentIndex(), 1);
    ASSERT_NE(Form->ActiveEditor(), nullptr);
    EXPECT_EQ(Form->ActiveEditor()->UntitledCaption, "C");
    EXPECT_EQ(Form->EditorOfTab(Form->CurrentTab()), Form->ActiveEditor());
    EXPECT_EQ(Form->TabOfEditor(Form->ActiveEditor()), Form->CurrentTab());
}

TEST_F(TKorvidFormTest, ClosingATabActivatesTheOneToItsLeftOrTheNewFirst) {
    MakeForm();
    for (const char* Caption : {"A", "B", "C", "D"})
        Form->NewTab(Caption);
    Form->Tabs()->setCurrentIndex(2);
    EXPECT_TRUE(Form->CloseTab());
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"A", "B", "D"}));
    EXPECT_EQ(Form->Tabs()->currentIndex(), 1);
    Form->Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(Form->CloseTab());
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"B", "D"}));
    EXPECT_EQ(Form->Tabs()->currentIndex(), 0);
    EXPECT_EQ(Form->windowTitle(), "Korvid - B");
}

TEST_F(TKorvidFormTest, ClosingTheLastTabClearsCaptionAndStatusBar) {
    MakeForm();
    Form->NewTab("A");
    Type(Form->ActiveEditor(), "x");
    EXPECT_EQ(Form->StatusPanelText(0), "Line 1/1");
    Form->ActiveEditor()->SetModified(false);
    EXPECT_TRUE(Form->CloseTab());
    EXPECT_EQ(Form->TabCount(), 0);
    EXPECT_EQ(Form->windowTitle(), "Korvid");
    for (int Panel = 0; Panel < TKorvidForm::StatusPanelCount; ++Panel)
        EXPECT_EQ(Form->StatusPanelText(Panel), "") << Panel;
    EXPECT_EQ(Form->ActiveEditor(), nullptr);
    EXPECT_TRUE(Form->CloseTab()); // nothing to close is no refusal
}

TEST_F(TKorvidFormTest, CloseAsksLastDocumentFirstAndCancelKeepsTheRest) {
    MakeForm();
    for (const char* Caption : {"One", "Two", "Three"}) {
        Form->NewTab(Caption);
        Type(Form->ActiveEditor(), "text");
    }
    TScriptedModals Modals;
    Modals.Press("&No").Press("Cancel");
    QCloseEvent Event;
    QApplication::sendEvent(Form.get(), &Event);
    EXPECT_FALSE(Event.isAccepted());
    ASSERT_EQ(Modals.Shown().size(), 2u);
    EXPECT_EQ(Modals.Shown()[0].Message->Text, "Do you want to save changes to \"Three\"?");
    EXPECT_EQ(Modals.Shown()[1].Message->Text, "Do you want to save changes to \"Two\"?");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"One *", "Two *"}));
    EXPECT_TRUE(Form->ActiveEditor()->Modified());
}

TEST_F(TKorvidFormTest, CloseWithUnmodifiedDocumentsClosesEveryTab) {
    MakeForm();
    Form->NewTab("One");
    Form->NewTab("Two");
    TScriptedModals Modals;
    EXPECT_TRUE(Form->FormCloseQuery());
    EXPECT_EQ(Form->TabCount(), 0);
    EXPECT_TRUE(Modals.Shown().empty());
}

TEST_F(TKorvidFormTest, DisplayFileNameHidesShortExtensionsOnlyWhenAsked) {
    MakeForm();
    struct TCase {
        bool Hide;
        const char* Name;
        const char* Shown;
    };
    const TCase Cases[] = {
        {false, "unit.pas", "unit.pas"},        {true, "unit.pas", "unit"},
        {true, "notes.korvid", "notes.korvid"}, // six letters: seven with the dot
        {true, "report.vrep", "report"},        {true, "README", "README"},
        {true, "dir.d/file", "dir.d/file"},     {true, "a.b.text", "a.b"},
    };
    for (const auto& Case : Cases) {
        Form->Options().HideExtensions = Case.Hide;
        EXPECT_EQ(Form->DisplayFileName(Case.Name), Case.Shown) << Case.Name;
    }
}

// The option re-captions the tabs already open; a caption the user gave a tab stays.
TEST_F(TKorvidFormTest, HidingExtensionsRecaptionsTheOpenTabs) {
    MakeForm();
    Form->OpenFile(File("unit.pas", "u\n"), false, {});
    Form->OpenFile(File("notes.korvid", "n\n"), false, {});
    Form->OpenFile(File("own.txt", "o\n"), false, {});
    Form->ActiveEditor()->UntitledCaption = "Mine.txt";
    Form->UpdateTabCaptions();
    Form->NewTab("Plain.txt");
    const auto SetHide = [this](bool Hide) {
        TScriptedModals Dialogs;
        Dialogs
            .Then([Hide](QDialog& Dialog) {
                for (QCheckBox* Box : Dialog.findChildren<QCheckBox*>())
                    if (Box->text().remove('&').startsWith("Hide file extensions on tabs"))
                        Box->setChecked(Hide);
            })
            .Press("OK");
        Form->ViewOptions();
    };
    SetHide(true);
    EXPECT_EQ(TabCaptions(),
              (std::vector<std::string>{"unit", "notes.korvid", "Mine.txt", "Plain.txt"}));
    SetHide(false);
    EXPECT_EQ(TabCaptions(),
              (std::vector<std::string>{"unit.pas", "notes.korvid", "Mine.txt", "Plain.txt"}));
}

TEST_F(TKorvidFormTest, CaptionNamesTheDocument) {
    MakeForm();
    Form->UpdateCaption("/tmp/some file.txt");
    EXPECT_EQ(Form->windowTitle(), "Korvid - /tmp/some file.txt");
    Form->OpenTextInNewTab("Listing", "first\r\nsecond");
    EXPECT_EQ(Form->windowTitle(), "Korvid - Listing");
    EXPECT_EQ(ActiveText(), "first\nsecond");
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
}

TEST_F(TKorvidFormTest, ReorderingMovesTheTab) {
    MakeForm();
    for (const char* Caption : {"A", "B", "C"})
        Form->NewTab(Caption);
    Form->MoveTab(2, 0);
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"C", "A", "B"}));
    Form->MoveTab(1, 7); // no tab there
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"C", "A", "B"}));
}

TEST_F(TKorvidFormTest, AnExceptionInsideTheCloseSequenceRefusesTheClose) {
    MakeForm();
    Form->NewTab("One");
    Type(Form->ActiveEditor(), "text");
    // Yes saves as: the dialog fails by raising.
    TScriptedModals Modals;
    Modals.Press("&Yes").Then([](QDialog&) { throw EKorvidError("disk on fire"); }).Press("OK");
    QCloseEvent Event;
    QApplication::sendEvent(Form.get(), &Event);
    EXPECT_FALSE(Event.isAccepted());
    EXPECT_EQ(Form->TabCount(), 1);
    EXPECT_TRUE(Form->ActiveEditor()->Modified());
}

TEST_F(TKorvidFormTest, TheAboutCommandShowsTheAboutBox) {
    MakeForm();
    TScriptedModals Modals;
    Modals.Press("OK");
    ToolList().Items(ToolIndex::HelpAbout)->Execute();
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "About Korvid");
}

} // namespace
} // namespace korvid::test
