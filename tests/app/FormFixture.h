#pragma once

#include "app/EditorDocument.h"
#include "app/KorvidForm.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/PlainTextEditor.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace korvid::test {

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
    // Handed to the next window made; the real services for those left empty.
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
        Setup.Clock = [this] { return Now; };
        Setup.Open = OpenSetup;
        Setup.Services = std::move(Services);
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
        Form = std::make_unique<TKorvidForm>(std::move(Setup));
        Form->SetStartingUp(false);
    }
};

} // namespace korvid::test
