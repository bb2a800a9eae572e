#include "FormFixture.h"

#include "foundation/EncryptionEngine.h"
#include "platform/MailClient.h"
#include "tests/app/RecordingOpener.h"
#include "ui/SetPasswordUnit.h"
#include "workspace/ToolIndexes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrlQuery>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace korvid::test {
namespace {

namespace T = ToolIndex;
using TLines = std::vector<std::string>;

std::string ReadBytes(const std::filesystem::path& Name) {
    std::ifstream In(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// The pages of a PDF file: its page objects, not the page tree's nodes.
int PdfPageCount(const std::string& Bytes) {
    int Pages = 0;
    for (std::size_t At = Bytes.find("/Type /Page"); At != std::string::npos;
         At = Bytes.find("/Type /Page", At + 1))
        if (Bytes.compare(At, 12, "/Type /Pages") != 0)
            ++Pages;
    return Pages;
}

// One text written on a recorded page.
struct TTextOut {
    int Page = 0;
    int X = 0;
    int Y = 0;
    std::string Text;
};

// A printer of 8.5 by 11 inches at 100 pixels per inch that records the text written on it.
class TRecordingPrintCanvas : public TPrintCanvas {
public:
    explicit TRecordingPrintCanvas(std::vector<TTextOut>& Written)
        : FWritten(Written), FImage(850, 1100, QImage::Format_RGB32), FPainter(&FImage) {}
    QSize PageSize() const override { return FImage.size(); }
    QSize Resolution() const override { return {100, 100}; }
    QPainter& Painter() override { return FPainter; }
    void NewPage() override { ++FPage; }
    void TextOut(int X, int Y, const QString& Text) override {
        FWritten.push_back({FPage, X, Y, Text.toStdString()});
    }

private:
    std::vector<TTextOut>& FWritten;
    QImage FImage;
    QPainter FPainter;
    int FPage = 1;
};

class TFileCommandsTest : public TFormTest {
protected:
    void SetUp() override {
        TFormTest::SetUp();
        PrintCanvas = [this] { return std::make_unique<TRecordingPrintCanvas>(Printed); };
    }

    TDocumentEditor& Open(std::string_view Name, std::string_view Bytes) {
        Form->OpenFile(File(Name, Bytes), false, {});
        return *Form->ActiveEditor();
    }
    void Run(int Tool) { ToolList().Items(Tool)->Execute(); }

    // Prints the active document, confirming the print dialog.
    void Print() {
        TScriptedModals Dialogs;
        Dialogs.Then(ActOn<QDialog>([](QDialog& Dialog) { Dialog.accept(); }));
        Run(T::FilePrint);
    }
    std::vector<TTextOut> Footers() const {
        std::vector<TTextOut> Found;
        for (const TTextOut& Out : Printed)
            if (Out.Text.starts_with("[p"))
                Found.push_back(Out);
        return Found;
    }

    std::vector<TTextOut> Printed;
};

// ---- Refresh ----

TEST_F(TFileCommandsTest, RefreshAsksBeforeDiscardingChanges) {
    MakeForm();
    TDocumentEditor& Editor = Open("doc.txt", "old");
    Type(&Editor, "typed ");
    WriteFileBytes(Dir / "doc.txt", "new\r\ntext");
    {
        TScriptedModals Dialogs;
        Dialogs.Press("&No");
        Run(T::FileRefresh);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Last().Caption, "Refresh");
        EXPECT_EQ(ActiveText(), "typed old");
        EXPECT_TRUE(Editor.Modified());
    }
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes");
    Run(T::FileRefresh);
    EXPECT_EQ(Form->ActiveEditor(), &Editor) << "read into the same tab";
    EXPECT_EQ(ActiveText(), "new\ntext");
    EXPECT_FALSE(Editor.Modified());
    EXPECT_EQ(Form->TabCount(), 1);
}

TEST_F(TFileCommandsTest, RefreshOfAnUnchangedDocumentAsksNothing) {
    MakeForm();
    Open("doc.txt", "old");
    WriteFileBytes(Dir / "doc.txt", "new");
    Run(T::FileRefresh);
    EXPECT_EQ(ActiveText(), "new");
}

TEST_F(TFileCommandsTest, RefreshOfADeletedFileKeepsTheDocument) {
    MakeForm();
    TDocumentEditor& Editor = Open("doc.txt", "old");
    Type(&Editor, "typed ");
    std::filesystem::remove(Dir / "doc.txt");
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes").Press("OK");
    Run(T::FileRefresh);
    ASSERT_EQ(Dialogs.Shown().size(), 2u);
    EXPECT_EQ(Dialogs.Last().Caption, "Open");
    EXPECT_NE(Dialogs.Last().Message->Text.find("unable to open"), std::string::npos);
    EXPECT_EQ(ActiveText(), "typed old");
    EXPECT_TRUE(Editor.Modified());
    EXPECT_EQ(Editor.FileName, (Dir / "doc.txt").string());
}

// ---- Password ----

// Fills the password dialog: a password, or none when empty.
TModalStep SetPassword(const std::string& Password) {
    return ActOn<TSetPasswordForm>([Password](TSetPasswordForm& Dialog) {
        Dialog.UsePasswordCheckBox->setChecked(!Password.empty());
        Dialog.PasswordEdit->setText(QString::fromStdString(Password));
        Dialog.RepeatEdit->setText(QString::fromStdString(Password));
    });
}

TEST_F(TFileCommandsTest, AChangedPasswordMarksTheDocumentModified) {
    MakeForm();
    Form->Options().ShowExperimentalFeatures = true;
    TDocumentEditor& Editor = Open("doc.txt", "secret");
    ASSERT_FALSE(Editor.Modified());
    {
        TScriptedModals Dialogs;
        Dialogs.Then(SetPassword("swordfish")).Press("OK");
        Run(T::FileSetPassword);
    }
    EXPECT_TRUE(Editor.Modified());
    EXPECT_EQ(Editor.Password, "swordfish");
    Run(T::FileSave);
    EXPECT_TRUE(StartsWithEncryptedMarker(ReadBytes(Dir / "doc.txt")));

    {
        TScriptedModals Dialogs;
        Dialogs
            .Then(ActOn<TSetPasswordForm>([](TSetPasswordForm& Dialog) {
                EXPECT_EQ(Dialog.PasswordEdit->text(), "swordfish");
                Dialog.UsePasswordCheckBox->setChecked(false);
            }))
            .Press("OK");
        Run(T::FileSetPassword);
    }
    EXPECT_TRUE(Editor.Modified());
    Run(T::FileSave);
    EXPECT_EQ(ReadBytes(Dir / "doc.txt"), "secret");
}

TEST_F(TFileCommandsTest, TheSamePasswordOrACancelLeavesTheDocumentAlone) {
    MakeForm();
    TDocumentEditor& Editor = Open("doc.txt", "text");
    TScriptedModals Dialogs;
    Dialogs.Then(SetPassword("swordfish")).Press("Cancel");
    Dialogs.Then(SetPassword("")).Press("OK");
    Run(T::FileSetPassword);
    Run(T::FileSetPassword);
    EXPECT_FALSE(Editor.Modified());
    EXPECT_TRUE(Editor.Password.empty());
}

// ---- Printing ----

TEST_F(TFileCommandsTest, PrintWritesLinesFromHalfInchMargins) {
    MakeForm();
    // Typed, as a file's long lines are split when it opens.
    Open("doc.txt", "").SetParagraphs({"first", "", std::string(5000, 'x')});
    Print();
    ASSERT_EQ(Printed.size(), 2u) << "the empty line writes nothing";
    EXPECT_EQ(Printed[0].X, 50);
    EXPECT_EQ(Printed[0].Y, 50);
    EXPECT_EQ(Printed[0].Text, "first");
    EXPECT_EQ(Printed[1].X, 50);
    EXPECT_GT(Printed[1].Y, Printed[0].Y);
    EXPECT_EQ(Printed[1].Text, std::string(4096, 'x'));
    EXPECT_TRUE(Footers().empty()) << "one page has no footer";
}

TEST_F(TFileCommandsTest, EveryPageOfALongDocumentHasItsFooter) {
    MakeForm();
    std::string Text;
    for (int Line = 1; Line <= 80; ++Line)
        Text += "line " + std::to_string(Line) + "\r\n";
    Open("doc.txt", Text);
    Print();
    const auto Footers = this->Footers();
    ASSERT_EQ(Footers.size(), 2u);
    QImage Page(850, 1100, QImage::Format_RGB32);
    QPainter Painter(&Page);
    Painter.setFont(PrintingFont(Form->ActiveEditor()->PrintFont()));
    const QFontMetrics Metrics(Painter.font());
    for (int Index = 0; Index < 2; ++Index) {
        const std::string Expected = "[p" + std::to_string(Index + 1) + "]";
        SCOPED_TRACE(Expected);
        EXPECT_EQ(Footers[Index].Text, Expected);
        EXPECT_EQ(Footers[Index].Page, Index + 1);
        EXPECT_EQ(Footers[Index].X,
                  (850 - Metrics.horizontalAdvance(QString::fromStdString(Expected))) / 2);
        EXPECT_EQ(Footers[Index].Y, 1100 - 25);
    }
    // No line reaches into the bottom margin.
    for (const TTextOut& Out : Printed) {
        if (!Out.Text.starts_with("[p")) {
            EXPECT_LE(Out.Y + Metrics.boundingRect("Xy").height(), 1100 - 50) << Out.Text;
        }
    }
}

TEST_F(TFileCommandsTest, ACancelledPrintDialogPrintsNothing) {
    MakeForm();
    Open("doc.txt", "text");
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<QDialog>([](QDialog& Dialog) { Dialog.reject(); }));
    Run(T::FilePrint);
    EXPECT_TRUE(Printed.empty());
}

TEST_F(TFileCommandsTest, APrintToAPdfFileHasItsPages) {
    MakeForm();
    std::string Text;
    for (int Line = 1; Line <= 80; ++Line)
        Text += "line " + std::to_string(Line) + "\r\n";
    TDocumentEditor& Editor = Open("doc.txt", Text);
    const auto Pdf = Dir / "doc.pdf";
    {
        QPrinter Printer(QPrinter::HighResolution);
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(QString::fromStdString(Pdf.string()));
        Printer.setPageSize(QPageSize(QPageSize::Letter));
        TPrinterCanvas Canvas(Printer);
        PrintDocument(Editor, Canvas, TKorvidForm::MaximumLineLength);
    }
    EXPECT_EQ(PdfPageCount(ReadBytes(Pdf)), 2);
}

// Prints the active document through the real printer and the Print dialog, choosing its PDF
// entry with Pdf as the file; then presses OK on whatever message follows.
std::vector<TShownDialog> PrintToPdf(const std::filesystem::path& Pdf) {
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<QDialog>([Pdf](QDialog& Dialog) {
        // The dialog fills its printer list when shown.
        Dialog.show();
        auto* Printers = Dialog.findChild<QComboBox*>("printers");
        auto* FileName = Dialog.findChild<QLineEdit*>("filename");
        const int PdfEntry = Printers ? Printers->findText("PDF", Qt::MatchContains) : -1;
        if (PdfEntry < 0 || FileName == nullptr) {
            ADD_FAILURE() << "the Print dialog offers no PDF file";
            Dialog.reject();
            return;
        }
        Printers->setCurrentIndex(PdfEntry);
        FileName->setText(QString::fromStdString(Pdf.string()));
        Dialog.accept();
    }));
    Dialogs.Press("OK");
    ToolList().Items(T::FilePrint)->Execute();
    return Dialogs.Shown();
}

TEST_F(TFileCommandsTest, ThePrintDialogPrintsToAPdfFileWithFooters) {
    PrintCanvas = nullptr;
    MakeForm();
    std::string Text;
    for (int Line = 1; Line <= 200; ++Line)
        Text += "line " + std::to_string(Line) + "\r\n";
    Open("doc.txt", Text);
    const auto Pdf = Dir / "printed.pdf";
    const auto Shown = PrintToPdf(Pdf);
    ASSERT_EQ(Shown.size(), 1u) << "no message after a print that started";
    const std::string Bytes = ReadBytes(Pdf);
    ASSERT_FALSE(Bytes.empty());
    const int Pages = PdfPageCount(Bytes);
    EXPECT_GE(Pages, 3);
    // Page streams are compressed and hold glyphs; the text comes back through a PDF reader.
    const QString Reader = QStandardPaths::findExecutable("pdftotext");
    if (Reader.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (scripts/setup.sh installs it)";
    QProcess Process;
    Process.start(Reader, {QString::fromStdString(Pdf.string()), "-"});
    ASSERT_TRUE(Process.waitForFinished(30000));
    const QString Printed = QString::fromUtf8(Process.readAllStandardOutput());
    for (int Page = 1; Page <= Pages; ++Page)
        EXPECT_TRUE(Printed.contains(QString("[p%1]").arg(Page))) << Page;
    EXPECT_FALSE(Printed.contains(QString("[p%1]").arg(Pages + 1)));
    EXPECT_TRUE(Printed.contains("line 200"));
}

TEST_F(TFileCommandsTest, APrintThatCannotStartSaysWhy) {
    PrintCanvas = nullptr;
    MakeForm();
    Open("doc.txt", "text");
    const auto Pdf = Dir / "no such folder" / "printed.pdf";
    const auto Shown = PrintToPdf(Pdf);
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[1].Caption, "Print");
    ASSERT_TRUE(Shown[1].Message);
    EXPECT_NE(Shown[1].Message->Text.find(Pdf.string()), std::string::npos)
        << Shown[1].Message->Text;
    EXPECT_FALSE(std::filesystem::exists(Pdf));
}

// ---- Mail ----

TEST_F(TFileCommandsTest, MailSendsTheLinesJoinedByCrLf) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"one\r\ntwo", "one\r\ntwo"},
        {"", ""},
    };
    for (const auto& [Bytes, Body] : Cases) {
        SCOPED_TRACE(Bytes);
        MailSent.clear();
        Form.reset();
        MakeForm();
        Open("doc.txt", Bytes);
        Run(T::FileSendMail);
        EXPECT_EQ(MailSent, (std::vector<TMailSent>{{"Hello", Body}}));
    }
}

TEST_F(TFileCommandsTest, AFailedMailSaysSo) {
    MailRefuses = true;
    MakeForm();
    Open("doc.txt", "text");
    ExpectMessage(T::FileSendMail, "Send Mail", "Korvid was unable to send the mail message.");
}

// Catches the links the desktop would hand to the mail program.
class TMailtoCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Links;
public slots:
    void Catch(const QUrl& Link) { Links.push_back(Link); }
};

TEST(TMailClientTest, TheLinkCarriesSubjectAndBodyWhole) {
    TMailtoCatcher Catcher;
    QDesktopServices::setUrlHandler("mailto", &Catcher, "Catch");
    const std::string Body = "50% & more\r\n\"quoted\" a+b=c?d#e caf\xE9";
    EXPECT_TRUE(MakeMailClient()->Send("Hello", Body));
    QDesktopServices::unsetUrlHandler("mailto");
    ASSERT_EQ(Catcher.Links.size(), 1);
    const QUrlQuery Query(Catcher.Links[0]);
    EXPECT_EQ(Query.queryItemValue("subject", QUrl::FullyDecoded), "Hello");
    EXPECT_EQ(Query.queryItemValue("body", QUrl::FullyDecoded),
              QString::fromUtf8("50% & more\r\n\"quoted\" a+b=c?d#e caf\u00E9"));
}

TEST(TMailClientTest, ALinkTooLongIsRefusedNotCut) {
    EXPECT_TRUE(MailtoLink("Hello", std::string(30000, 'a')));
    EXPECT_FALSE(MailtoLink("Hello", std::string(MaximumMailLinkBytes, 'a')));
    // Escapes count: a third of the limit in blanks is three times as long.
    EXPECT_FALSE(MailtoLink("Hello", std::string(MaximumMailLinkBytes / 3 + 1, ' ')));
}

// ---- Explore and open random ----

TEST_F(TFileCommandsTest, ExploreOpensTheDocumentsFolder) {
    MakeForm();
    std::filesystem::create_directory(Dir / "src");
    Form->OpenFile(File("src/a.txt", "a"), false, {});
    Run(T::FileExploreFolder);
    EXPECT_EQ(Opened, TLines{(Dir / "src").string()});
}

TEST_F(TFileCommandsTest, AFolderTheDesktopRefusesIsSaidSo) {
    std::vector<std::string> Refused;
    Services.Opener = std::make_unique<TRecordingOpener>(Refused, false);
    MakeForm();
    Open("a.txt", "a");
    ExpectMessage(T::FileExploreFolder, "Explore Folder",
                  "Korvid was unable to open the folder \"" + Dir.Path().string() + "\".");
}

TEST_F(TFileCommandsTest, OpenRandomPicksAmongTheRegularFilesOfTheFolder) {
    std::filesystem::create_directory(Dir / "pick");
    std::filesystem::create_directory(Dir / "pick" / "b-folder");
    File("pick/a.txt", "a");
    File("pick/c.txt", "c");
    std::vector<std::size_t> Counts;
    std::size_t Pick = 0;
    TKorvidFormSetup Setup;
    Setup.WorkArea = QRect(0, 0, 1920, 1040);
    Setup.MakeEditor = [](QWidget* Parent) { return new TPlainTextEditor(Parent); };
    Setup.RandomIndex = [&](std::size_t Count) {
        Counts.push_back(Count);
        return Pick;
    };
    AddStandIns(Setup);
    Form = std::make_unique<TKorvidForm>(std::move(Setup));
    Form->SetStartingUp(false);
    Form->Options().ShowExperimentalFeatures = true;
    Form->OpenFile((Dir / "pick" / "a.txt").string(), false, {});
    Pick = 1;
    Run(T::FileOpenRandom);
    EXPECT_EQ(Counts, std::vector<std::size_t>{2}) << "the folder is no candidate";
    EXPECT_EQ(Form->ActiveEditor()->FileName, (Dir / "pick" / "c.txt").string());
}

} // namespace
} // namespace korvid::test

#include "FileCommandsTest.moc"
