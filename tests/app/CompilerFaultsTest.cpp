// The window outlives a compiler that hangs or ends: one message, and every document kept.
#include "devtools/compiler/CompileContext.h"
#include "devtools/compiler/CompileServer.h"
#include "devtools/compiler/CompilerHost.h"
#include "platform/Registry.h"
#include "tests/app/FormFixture.h"
#include "ui/ModalRunner.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

class TCompilerFaultsTest : public TFormTest {
protected:
    void SetUp() override {
        TFormTest::SetUp();
        TesselHelper = TESSEL_HELPER;
        TRegistry Registry;
        Registry.OpenKey("\\Software\\Classes\\Wyx.WyxApplication\\CLSID", true);
        Registry.WriteString("", WyxClassId);
        Registry.CloseKey();
        Registry.OpenKey(
            std::string("\\Software\\Classes\\CLSID\\") + WyxClassId + "\\LocalServer32", true);
        Registry.WriteString("", WYX_STANDIN);
        Registry.CloseKey();
    }
    void TearDown() override {
        qunsetenv("WYX_STANDIN_SCENARIO");
        qunsetenv("TESSEL_STANDIN_FAULT");
        TFormTest::TearDown();
    }

    // How the compile is set up: through the automation server alone, with the compiler
    // library beside it ("Vosk Pascal"), or through the library alone (a Pascal source).
    enum class TRoute { Server, VoskServer, Library, LibraryDebug };

    // A window with an unsaved document and, active, the saved file to compile.
    void MakeWindow(TRoute Route) {
        MakeForm();
        const bool Vosk = Route != TRoute::Server;
        const bool Library = Route == TRoute::Library || Route == TRoute::LibraryDebug;
        Form->Options().PSystemAware = true;
        Form->Options().LorvantaCOMServer = WYX_STANDIN;
        Form->Options().VoskPascal = Vosk;
        Form->Options().WyxDebugToOutputText = Route == TRoute::LibraryDebug;
        if (Vosk) {
            Form->Options().TesselJson = Dir.Path().string();
            Form->Compiling().SetJsonName("m.json");
            File("m.json", "{\n  tessel: '" + std::string(TESSEL_STANDIN) + "'\n}\n");
            File("m.json.ems", "AppMap=M\r\nAppModulesRoot=/mods\r\nAppApi=/api\r\n");
        }
        Form->NewTab("Unsaved");
        Unsaved = Form->ActiveEditor();
        Type(Unsaved, "work not yet saved");
        ASSERT_TRUE(Unsaved->Modified());
        Form->OpenFile(File(Library ? "p.vp" : "r.vl2", "source\n"), false, {});
    }

    void ExpectUnsavedDocumentKept() {
        bool Found = false;
        for (int Index = 0; Index < Form->Tabs()->count(); ++Index)
            Found = Found || Form->EditorOfTab(Form->Tabs()->widget(Index)) == Unsaved;
        ASSERT_TRUE(Found);
        EXPECT_EQ(Unsaved->Paragraphs(), std::vector<std::string>{"work not yet saved"});
        EXPECT_TRUE(Unsaved->Modified());
    }

    TDocumentEditor* Unsaved = nullptr;
};

TEST_F(TCompilerFaultsTest, AHangOrAnEndAtEachStepLeavesOneMessageAndEveryDocument) {
    struct TStep {
        const char* Name;
        TRoute Route;
        bool Library; // the library fails at the step, not the server
    };
    const TStep Steps[] = {
        {"Define", TRoute::Server, false},
        {"InputText", TRoute::VoskServer, false},
        {"RunProcess", TRoute::Server, false},
        {"OutputText", TRoute::Server, false},
        {"load", TRoute::Library, true},
        {"simulate-ems", TRoute::VoskServer, true},
        {"dump-configuration", TRoute::LibraryDebug, true},
        {"compile-pascal", TRoute::Library, true},
        {"release", TRoute::Library, true},
    };
    struct TCase {
        const char* Variable;
        std::string Scenario;
        TRoute Route;
        std::string Caption;
        std::string Text;
    };
    const std::string Stopped = "The compile was stopped.";
    std::vector<TCase> Cases;
    for (const TStep& Step : Steps)
        for (const bool Hang : {false, true}) {
            TCase Case{Step.Library ? "TESSEL_STANDIN_FAULT" : "WYX_STANDIN_SCENARIO",
                       (Hang           ? "hang-at-"
                        : Step.Library ? "crash-at-"
                                       : "exit-at-") +
                           std::string(Step.Name),
                       Step.Route, Step.Library ? "Compiling Pascal" : "Compiler", Stopped};
            if (!Hang && Step.Library)
                Case.Text = "The compiler library ended unexpectedly.";
            else if (!Hang && Step.Name == std::string("OutputText"))
                Case.Text = "Unable to access the compiler.  Check your EMS settings in View > "
                            "Options > Compiler.";
            else if (!Hang)
                Case.Text = "The compiler's automation server ended unexpectedly.";
            Cases.push_back(Case);
        }
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Scenario);
        qputenv(Case.Variable, QByteArray::fromStdString(Case.Scenario));
        MakeWindow(Case.Route);
        // The user sees that the compiler is awaited, and presses Esc.
        std::string Status;
        QTimer Escape;
        Escape.setSingleShot(true);
        QObject::connect(&Escape, &QTimer::timeout, [&] {
            Status = Form->StatusPanelText(TKorvidForm::CompileStatusPanel);
            QApplication::postEvent(
                Form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        if (Case.Text == Stopped)
            Escape.start(800);
        // The message says it all: the status no longer says the compiler is awaited.
        std::string StatusWithMessage;
        TScriptedModals Dialogs;
        Dialogs.Then([&](QDialog& Box) {
            StatusWithMessage = Form->StatusPanelText(TKorvidForm::CompileStatusPanel);
            PressButton("OK")(Box);
        });
        ToolList().Items(T::CompileVoskSource)->Execute();

        EXPECT_EQ(StatusWithMessage.find("Waiting"), std::string::npos) << StatusWithMessage;
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Shown()[0].Caption, Case.Caption);
        ASSERT_TRUE(Dialogs.Shown()[0].Message);
        EXPECT_EQ(Dialogs.Shown()[0].Message->Text, Case.Text);
        if (Case.Text == Stopped) {
            EXPECT_EQ(Status, "Waiting for the compiler\x85 Esc stops it.");
        }
        EXPECT_EQ(Form->StatusPanelText(TKorvidForm::CompileStatusPanel), "");
        EXPECT_EQ(Form->Compiling().CompilerWait(), nullptr);
        ExpectUnsavedDocumentKept();
        qunsetenv(Case.Variable);
        Form->ActiveEditor()->SetModified(false);
        Unsaved->SetModified(false);
        Form.reset();
    }
}

// Closing the window while the compiler hangs stops the wait without a word; the window then
// closes as it would, asking about the unsaved document first.
TEST_F(TCompilerFaultsTest, ClosingTheWindowStopsTheWaitThenAsksAboutUnsavedWork) {
    qputenv("WYX_STANDIN_SCENARIO", "hang-at-RunProcess");
    MakeWindow(TRoute::Server);
    QTimer Close;
    Close.setSingleShot(true);
    QObject::connect(&Close, &QTimer::timeout, [&] { Form->close(); });
    Close.start(500);
    TScriptedModals Dialogs;
    Dialogs.Press("Cancel");
    ToolList().Items(T::CompileVoskSource)->Execute();
    EXPECT_TRUE(Dialogs.Shown().empty());
    EXPECT_EQ(Form->Compiling().CompilerWait(), nullptr);

    // The close asked for goes on once the compile is over.
    QApplication::processEvents();
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    ExpectUnsavedDocumentKept();
    Unsaved->SetModified(false);
}

} // namespace
} // namespace korvid::test
