#pragma once

#include "app/DocumentPrint.h"
#include "app/EditorDocument.h"
#include "app/KorvidForm.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/PlainTextEditor.h"
#include "tests/app/RecordingOpener.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvid::test {

// A help file as the window handed it on, with the word asked for, if any.
struct THelpShown {
    std::string Path;
    std::optional<std::string> Keyword;
    friend bool operator==(const THelpShown&, const THelpShown&) = default;
};

// Records the help files shown instead of starting a program; refuses them while Refuse is set.
class TRecordingHelpViewer : public THelpViewer {
public:
    TRecordingHelpViewer(std::vector<THelpShown>& Shown, const bool& Refuse)
        : FShown(Shown), FRefuse(Refuse) {}
    bool ShowFile(const std::string& Path) override {
        FShown.push_back({Path, std::nullopt});
        return !FRefuse;
    }
    bool ShowFileAtKeyword(const std::string& Path, const std::string& Keyword) override {
        FShown.push_back({Path, Keyword});
        return !FRefuse;
    }

private:
    std::vector<THelpShown>& FShown;
    const bool& FRefuse;
};

// A message as the window handed it to the mail program.
struct TMailSent {
    std::string Subject;
    std::string Body;
    friend bool operator==(const TMailSent&, const TMailSent&) = default;
};

// Records the messages sent instead of starting a mail program; refuses them while Refuse is set.
class TRecordingMailClient : public TMailClient {
public:
    TRecordingMailClient(std::vector<TMailSent>& Sent, const bool& Refuse)
        : FSent(Sent), FRefuse(Refuse) {}
    bool Send(const std::string& Subject, const std::string& Body) override {
        FSent.push_back({Subject, Body});
        return !FRefuse;
    }

private:
    std::vector<TMailSent>& FSent;
    const bool& FRefuse;
};

// A main window on a 1920 x 1040 work area over a private registry, with stand-in services.
class TFormTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
    // A dialog no test step expected is closed at once and counted here.
    TScriptedModals Unexpected;
    std::unique_ptr<TKorvidForm> Form;
    // The local time the window stamps into files.
    QDateTime Now{QDate(2024, 3, 5), QTime(14, 7, 9)};
    // How the window reads files; the ordinary reader and the system's memory when left empty.
    TOpenSetup OpenSetup;
    // The help the window showed, and whether the viewer refuses; its help file is looked for
    // in the test's folder.
    std::vector<THelpShown> HelpShown;
    bool HelpRefuses = false;
    // Where the window looks for its manual; the test's folder when empty.
    std::filesystem::path HelpFolder;
    // The mail the window sent, and whether the mail program refuses it.
    std::vector<TMailSent> MailSent;
    bool MailRefuses = false;
    // What a confirmed print draws on; the program's printer when empty.
    std::function<std::unique_ptr<TPrintCanvas>()> PrintCanvas;

    void AddStandIns(TKorvidFormSetup& Setup) {
        Setup.Clock = [this] { return Now; };
        if (!Setup.Services.Help)
            Setup.Services.Help = std::make_unique<TRecordingHelpViewer>(HelpShown, HelpRefuses);
        if (!Setup.Services.Mail)
            Setup.Services.Mail = std::make_unique<TRecordingMailClient>(MailSent, MailRefuses);
        Setup.PrintCanvas = PrintCanvas;
        Setup.HelpFolder = HelpFolder.empty() ? Dir.Path() : HelpFolder;
        Setup.TesselHelper = TesselHelper;
        if (!Setup.Services.Opener)
            Setup.Services.Opener = std::make_unique<TRecordingOpener>(Opened);
    }
    // What the window handed to the desktop.
    std::vector<std::string> Opened;
    // The compiler library's helper program; the one beside the test program when empty.
    std::string TesselHelper;
    // The services the next window is made with; stand-ins where left empty.
    TMainWindowServices Services;

    void SetUp() override {
        BuildTools();
        // The lists the window reads and writes stay inside the test's folder.
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("History Filename", (Dir / "history.txt").string());
        Reg.WriteString("Favourites Filename", (Dir / "favourites.txt").string());
        Reg.WriteString("Command Lines Filename", (Dir / "commandlines.txt").string());
    }
    void TearDown() override {
        Form.reset();
        for (const auto& Shown : Unexpected.Shown())
            ADD_FAILURE() << "unexpected dialog: " << Shown.Caption
                          << (Shown.Message ? ": " + Shown.Message->Text : std::string());
    }

    TKorvidForm& MakeForm(std::vector<TDocumentView> Views = {}, bool StartingUp = false) {
        TKorvidFormSetup Setup;
        Setup.WorkArea = QRect(0, 0, 1920, 1040);
        Setup.MakeEditor = [](QWidget* Parent) { return new TPlainTextEditor(Parent); };
        if (!Views.empty())
            Setup.Views = std::make_unique<TListedViewCatalogue>(std::move(Views));
        Setup.Services = std::move(Services);
        AddStandIns(Setup);
        Setup.Open = OpenSetup;
        Form = std::make_unique<TKorvidForm>(std::move(Setup));
        Form->SetStartingUp(StartingUp);
        return *Form;
    }

    std::string File(std::string_view Name, std::string_view Bytes) {
        WriteFileBytes(Dir / Name, Bytes);
        return (Dir / Name).string();
    }

    std::vector<std::string> TabCaptions() const {
        std::vector<std::string> Captions;
        for (int Index = 0; Index < Form->Tabs()->count(); ++Index)
            Captions.push_back(Form->Tabs()->tabText(Index).toStdString());
        return Captions;
    }

    std::string ActiveText() const {
        std::string Text;
        const auto Lines = Form->ActiveEditor()->Paragraphs();
        for (std::size_t Index = 0; Index < Lines.size(); ++Index)
            Text += (Index ? "\n" : "") + Lines[Index];
        return Text;
    }

    static void Type(TDocumentEditor* Editor, const QString& Text) {
        static_cast<TPlainTextEditor*>(Editor)->TextEdit()->insertPlainText(Text);
    }

    // Runs the tool, which must show just one message; it is answered with OK.
    static void ExpectMessage(int Tool, const std::string& Caption, const std::string& Text) {
        TScriptedModals Dialogs;
        Dialogs.Press("OK");
        ToolList().Items(Tool)->Execute();
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, Caption);
        ASSERT_TRUE(Dialogs.Last().Message);
        EXPECT_EQ(Dialogs.Last().Message->Text, Text);
    }

    bool ToolEnabled(int Index) const { return ToolList().Items(Index)->Enabled(); }
    bool ToolDown(int Index) const { return ToolList().Items(Index)->Down(); }
};

// The window with the program's own editor control in every tab, as the program runs it.
class TProgramFormTest : public TFormTest {
protected:
    TViewListCatalogue* Views = nullptr;

    void MakeProgramForm() {
        TKorvidFormSetup Setup;
        Setup.WorkArea = QRect(0, 0, 1920, 1040);
        auto Catalogue = std::make_unique<TViewListCatalogue>();
        Views = Catalogue.get();
        Setup.MakeEditor = EditorDocumentFactory(*Catalogue);
        Setup.Views = std::move(Catalogue);
        Setup.Services = std::move(Services);
        AddStandIns(Setup);
        Setup.Open = OpenSetup;
        Form = std::make_unique<TKorvidForm>(std::move(Setup));
        Form->SetStartingUp(false);
    }
};

} // namespace korvid::test
