#include "ui/HackedDialogs.h"

#include "foundation/UtilitiesUnit.h"
#include "ui/ModalRunner.h"

#include "tests/support/TempDir.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QScreen>
#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(FileFilterTest, TranslatesToQtFilters) {
    struct TCase {
        std::string Filter;
        std::vector<std::string> Expected;
    };
    const TCase Cases[] = {
        {"Text files|*.txt;*.doc", {"Text files (*.txt *.doc)"}},
        {"All Files|*.*", {"All Files (*)"}},
        {"Pascal|*.pas|All Files|*.*", {"Pascal (*.pas)", "All Files (*)"}},
        {"Volumes (*.vol)|*.VOL", {"Volumes (*.VOL)"}},
        {"Spaced| *.a ; *.b ", {"Spaced (*.a *.b)"}},
        {"No patterns|", {"No patterns (*)"}},
        {"Lone description", {}},
        {"", {}},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(QtNameFilters(C.Filter), C.Expected) << C.Filter;
    EXPECT_EQ(ParseFileFilter("A|*.a;*.b|B|*.*"),
              (std::vector<TFileFilter>{{"A", {"*.a", "*.b"}}, {"B", {"*.*"}}}));
}

TEST(FileFilterTest, InitialDirDropsOneTrailingSeparator) {
    struct TCase {
        const char* Dir;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"C:\\", "C:\\"},
        {"C:\\Work\\", "C:\\Work"},
        {"C:\\Work", "C:\\Work"},
        {"Work\\\\", "Work\\"},
        {"/home/me/", "/home/me"},
        {"/", "/"},
        {"", ""},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(TrimInitialDir(C.Dir), C.Expected) << C.Dir;
    TOpenDialog Dialog;
    Dialog.SetInitialDir("/tmp/");
    EXPECT_EQ(Dialog.InitialDir(), "/tmp");
}

// ---- Open and save -------------------------------------------------------------------------

class FileDialogTest : public ::testing::Test {
protected:
    std::filesystem::path MakeFile(const std::string& Name) {
        const std::filesystem::path Path = Dir.Path() / Name;
        test::WriteFileBytes(Path, "x");
        return Path;
    }

    test::TTempDir Dir;
};

TEST_F(FileDialogTest, HandsTheDialogItsSettings) {
    TOpenDialog Dialog;
    Dialog.Title = "Open Volume";
    Dialog.Filter = "Volumes|*.vol|All Files|*.*";
    Dialog.FilterIndex = 2;
    Dialog.SetInitialDir(Dir.Path());
    Dialog.Options = {ofHideReadOnly, ofFileMustExist};
    bool Shown = false;
    bool Closed = false;
    Dialog.OnShow = [&] { Shown = true; };
    Dialog.OnClose = [&] { Closed = true; };

    TScriptedModals Script;
    Script.Then(ActOn<QFileDialog>([&](QFileDialog& D) {
        EXPECT_TRUE(Shown);
        EXPECT_FALSE(Closed);
        EXPECT_EQ(D.windowTitle(), "Open Volume");
        EXPECT_TRUE(D.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(D.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(D.nameFilters(), (QStringList{"Volumes (*.vol)", "All Files (*)"}));
        EXPECT_EQ(D.selectedNameFilter(), "All Files (*)");
        EXPECT_EQ(PathFromQString(D.directory().absolutePath()), Dir.Path());
        // Centred in the work area of the main window's monitor.
        const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
        const TPoint P = CentredPosition(
            D.width(), D.height(), {Area.left(), Area.top(), Area.right() + 1, Area.bottom() + 1});
        EXPECT_EQ(D.pos(), QPoint(P.X, P.Y));
        EXPECT_EQ(Dialog.CurrentFilterIndex(), 2);
        D.selectNameFilter("Volumes (*.vol)");
        EXPECT_EQ(Dialog.CurrentFilterIndex(), 1);
    }));
    Script.Then(CloseBox());
    EXPECT_FALSE(Dialog.Execute());
    EXPECT_TRUE(Closed);
    EXPECT_EQ(Dialog.FilterIndex, 2); // a cancelled dialog changes nothing
    EXPECT_TRUE(Dialog.FileName.empty());
    EXPECT_TRUE(Dialog.Files.empty());
}

TEST_F(FileDialogTest, OneChosenFileIsFileNameAndFiles) {
    const std::filesystem::path File = MakeFile("a.pas");
    TOpenDialog Dialog;
    Dialog.Filter = "Pascal|*.pas|All Files|*.*";
    TScriptedModals Script;
    Script.Then(ChooseFiles({File}));
    ASSERT_TRUE(Dialog.Execute());
    EXPECT_EQ(Dialog.FileName, File);
    EXPECT_EQ(Dialog.Files, std::vector<std::filesystem::path>{File});
    EXPECT_EQ(Dialog.FilterIndex, 1);
}

TEST_F(FileDialogTest, MultiSelectGivesFullPathsWithTheFirstAsFileName) {
    const std::filesystem::path A = MakeFile("a.txt");
    const std::filesystem::path B = MakeFile("b.txt");
    TOpenDialog Dialog;
    Dialog.Options = {ofAllowMultiSelect, ofFileMustExist};
    TScriptedModals Script;
    Script.Then(ChooseFiles({A, B}));
    ASSERT_TRUE(Dialog.Execute());
    EXPECT_EQ(Dialog.Files, (std::vector<std::filesystem::path>{A, B}));
    EXPECT_EQ(Dialog.FileName, A);
}

// A name that is not UTF-8 comes back as its bytes, typed as such or picked as Qt lists it
// (with replacement characters), in every kind of file dialog.
TEST_F(FileDialogTest, NamesThatAreNotUtf8ComeBackAsTheirBytes) {
    const std::filesystem::path File = MakeFile("caf\xE9.txt");
    const auto AsQtListsIt = ActOn<QFileDialog>([&](QFileDialog& D) {
        D.selectFile(QFile::decodeName(QByteArray::fromStdString(File.native())));
        static_cast<QDialog&>(D).accept();
    });
    for (const bool Listed : {false, true}) {
        for (const TOpenOptions& Options :
             {TOpenOptions{ofFileMustExist}, TOpenOptions{ofAllowMultiSelect, ofFileMustExist},
              TOpenOptions{}}) {
            SCOPED_TRACE(Listed ? "listed" : "typed");
            TOpenDialog Dialog;
            Dialog.Options = Options;
            TScriptedModals Script;
            Script.Then(Listed ? AsQtListsIt : ChooseFiles({File}));
            ASSERT_TRUE(Dialog.Execute());
            EXPECT_EQ(Dialog.FileName, File);
        }
        TSaveDialog Save;
        TScriptedModals Script;
        Script.Then(Listed ? AsQtListsIt : ChooseFiles({File}));
        ASSERT_TRUE(Save.Execute());
        EXPECT_EQ(Save.FileName, File);
    }
}

TEST_F(FileDialogTest, LongPathsComeBackWhole) {
    std::filesystem::path Deep = Dir.Path();
    for (int I = 0; I < 12; ++I)
        Deep /= std::string(40, static_cast<char>('a' + I));
    std::filesystem::create_directories(Deep);
    const std::filesystem::path File = Deep / std::string(200, 'f').append(".txt");
    ASSERT_GT(File.native().size(), 700u);
    TSaveDialog Dialog;
    TScriptedModals Script;
    Script.Then(ChooseFiles({File}));
    ASSERT_TRUE(Dialog.Execute());
    EXPECT_EQ(Dialog.FileName, File);
}

TEST_F(FileDialogTest, SaveAddsTheDefaultExtensionAndFlagsAnotherOne) {
    TSaveDialog Dialog;
    Dialog.DefaultExt = "txt";
    {
        TScriptedModals Script;
        Script.Then(ChooseFiles({Dir.Path() / "notes"}));
        ASSERT_TRUE(Dialog.Execute());
    }
    EXPECT_EQ(Dialog.FileName, Dir.Path() / "notes.txt");
    EXPECT_FALSE(Dialog.Options.contains(ofExtensionDifferent));
    {
        TScriptedModals Script;
        Script.Then(ChooseFiles({Dir.Path() / "notes.log"}));
        ASSERT_TRUE(Dialog.Execute());
    }
    EXPECT_EQ(Dialog.FileName, Dir.Path() / "notes.log");
    EXPECT_TRUE(Dialog.Options.contains(ofExtensionDifferent));
}

TEST_F(FileDialogTest, PatternsMatchIgnoringCaseAndStarDotStarMatchesBareNames) {
    MakeFile("UPPER.VOL");
    MakeFile("lower.vol");
    MakeFile("other.txt");
    MakeFile("README");
    struct TCase {
        std::string Filter;
        QStringList Expected;
    };
    const TCase Cases[] = {
        {"Volumes|*.vol", {"UPPER.VOL", "lower.vol"}},
        {"All Files|*.*", {"README", "UPPER.VOL", "lower.vol", "other.txt"}},
    };
    for (const TCase& C : Cases) {
        TOpenDialog Dialog;
        Dialog.Filter = C.Filter;
        Dialog.SetInitialDir(Dir.Path());
        QStringList Listed;
        TScriptedModals Script;
        Script.Then(ActOn<QFileDialog>([&](QFileDialog& D) {
            auto* Model = D.findChild<QFileSystemModel*>();
            ASSERT_NE(Model, nullptr);
            const QModelIndex Folder = Model->index(PathToQString(Dir.Path()));
            // The model reads the folder on a thread of its own.
            const QDeadlineTimer Deadline(10000);
            while (Model->rowCount(Folder) < C.Expected.size() && !Deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            for (int Row = 0; Row < Model->rowCount(Folder); ++Row) {
                const QModelIndex Item = Model->index(Row, 0, Folder);
                if (Model->flags(Item) & Qt::ItemIsEnabled)
                    Listed << Model->fileName(Item);
            }
        }));
        Script.Then(CloseBox());
        EXPECT_FALSE(Dialog.Execute());
        Listed.sort();
        EXPECT_EQ(Listed, C.Expected) << C.Filter;
    }
}

// ---- Colour --------------------------------------------------------------------------------

TEST(ColorDialogTest, CustomColoursAreReadAndWrittenWithRedInTheLowByte) {
    TColorDialog Dialog;
    Dialog.CustomColors = {"ColorA=0000ff", "ColorC=ff0000", "ColorD=junk"};
    EXPECT_EQ(Dialog.CustomColor('A'), 0xff);
    EXPECT_EQ(Dialog.CustomColor('B'), -1);
    EXPECT_EQ(Dialog.CustomColor('D'), -1);
    Dialog.Color = clRed;

    TScriptedModals Script;
    Script.Then(ActOn<QColorDialog>([](QColorDialog& D) {
        EXPECT_EQ(D.currentColor(), QColor(255, 0, 0));
        EXPECT_EQ(QColorDialog::customColor(0), QColor(255, 0, 0));
        EXPECT_EQ(QColorDialog::customColor(2), QColor(0, 0, 255));
        QColorDialog::setCustomColor(1, QColor(0x12, 0x34, 0x56));
        D.setCurrentColor(QColor(0x10, 0x20, 0x30));
        D.accept();
    }));
    ASSERT_TRUE(Dialog.Execute());
    EXPECT_EQ(Dialog.Color, RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(Dialog.CustomColor('B'), 0x563412);
    EXPECT_EQ(Dialog.CustomColors[0], "ColorA=0000ff");
    EXPECT_EQ(Dialog.CustomColors[1], "ColorC=ff0000");
    EXPECT_EQ(Dialog.CustomColors[2], "ColorD=ffffff"); // none before: white
    EXPECT_EQ(Dialog.CustomColors.size(), 16u);
    EXPECT_NE(std::find(Dialog.CustomColors.begin(), Dialog.CustomColors.end(), "ColorB=563412"),
              Dialog.CustomColors.end());
}

TEST(ColorDialogTest, CancelLeavesEverythingAsItWas) {
    TColorDialog Dialog;
    Dialog.Color = clBlue;
    Dialog.CustomColors = {"ColorA=000001"};
    TScriptedModals Script;
    Script.Then(CloseBox());
    EXPECT_FALSE(Dialog.Execute());
    EXPECT_EQ(Dialog.Color, clBlue);
    EXPECT_EQ(Dialog.CustomColors, std::vector<std::string>{"ColorA=000001"});
}

// ---- Print ---------------------------------------------------------------------------------

TEST(PrintDialogTest, ReadsTheChoicesBack) {
    TPrintDialog Dialog;
    Dialog.Options = {poPageNums};
    Dialog.MinPage = 1;
    Dialog.MaxPage = 9;
    Dialog.FromPage = 2;
    Dialog.ToPage = 4;
    Dialog.PrintRange = prPageNums;
    Dialog.SetCopies(2);
    Dialog.Collate = true;
    TScriptedModals Script;
    Script.Then(ActOn<QPrintDialog>([](QPrintDialog& D) {
        EXPECT_TRUE(D.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_TRUE(D.testOption(QAbstractPrintDialog::PrintToFile))
            << "a PDF file is always offered";
        EXPECT_EQ(D.minPage(), 1);
        EXPECT_EQ(D.maxPage(), 9);
        D.done(QDialog::Accepted);
    }));
    ASSERT_TRUE(Dialog.Execute());
    EXPECT_EQ(Dialog.PrintRange, prPageNums);
    EXPECT_EQ(Dialog.FromPage, 2);
    EXPECT_EQ(Dialog.ToPage, 4);
    EXPECT_EQ(Dialog.Copies(), 2);
    EXPECT_TRUE(Dialog.Collate);
}

// ---- Message dialog ------------------------------------------------------------------------

TEST(MessageDialogTest, TitlesButtonOrderDefaultAndCancelByButtonSet) {
    struct TCase {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        std::string Title;
        std::vector<std::string> Captions;
        std::string Default;
        std::string Cancel;
    };
    const TCase Cases[] = {
        {mtWarning, {mbOK}, "Warning", {"OK"}, "OK", "OK"},
        {mtError, {mbCancel, mbOK}, "Error", {"OK", "Cancel"}, "OK", "Cancel"},
        {mtInformation, {mbNo, mbYes}, "Information", {"&Yes", "&No"}, "&Yes", "&No"},
        {mtConfirmation,
         {mbYes, mbNo, mbCancel},
         "Confirm",
         {"&Yes", "&No", "Cancel"},
         "&Yes",
         "Cancel"},
        {mtCustom,
         {mbAbort, mbRetry, mbIgnore},
         "Korvid",
         {"&Abort", "&Retry", "&Ignore"},
         "&Retry",
         ""},
        {mtConfirmation,
         {mbHelp, mbYesToAll, mbNoToAll, mbAll, mbNo, mbYes},
         "Confirm",
         {"&Yes", "&No", "&All", "N&o to All", "Yes to &All", "&Help"},
         "&Yes",
         "&No"},
    };
    for (const TCase& C : Cases) {
        const TMessageDialogForm Form("Text", C.Type, C.Buttons);
        EXPECT_EQ(Form.windowTitle(), QString::fromStdString(C.Title));
        EXPECT_EQ(Form.ButtonCaptions(), C.Captions);
        EXPECT_EQ(Form.DefaultButton(), C.Default) << C.Title;
        EXPECT_EQ(Form.CancelButton(), C.Cancel) << C.Title;
    }
}

TEST(MessageDialogTest, AnswersWithModalResults) {
    struct TCase {
        TMsgDlgButtons Buttons;
        TModalStep Step;
        int Expected;
    };
    const TCase Cases[] = {
        {{mbYes, mbNo}, PressButton("&No"), mrNo},
        {{mbYes, mbNo, mbCancel}, PressEscape(), mrCancel},
        {{mbYes, mbNo}, PressEscape(), mrNo},
        {{mbYes, mbNo}, PressEnter(), mrYes},
        {{mbAbort, mbRetry, mbIgnore}, PressButton("&Ignore"), mrIgnore},
        {{mbOK}, CloseBox(), mrCancel},
    };
    for (const TCase& C : Cases) {
        TScriptedModals Script;
        Script.Then(C.Step);
        EXPECT_EQ(MessageDlg("Sure?", mtConfirmation, C.Buttons, 0), C.Expected);
    }
}

TEST(MessageDialogTest, ShowMessageHasOneOkButtonAndKeepsAGivenPosition) {
    QPoint Where;
    TScriptedModals Script;
    Script.Then(ActOn<TMessageDialogForm>([&Where](TMessageDialogForm& Form) {
        EXPECT_EQ(Form.ButtonCaptions(), std::vector<std::string>{"OK"});
        EXPECT_EQ(Form.Text(), "Integer expected at line 3 of keys.txt");
        Where = Form.pos();
    }));
    Script.Press("OK");
    ShowMessagePos("Integer expected at line 3 of keys.txt", 30, -1);
    EXPECT_EQ(Where.x(), 30);
    EXPECT_EQ(Script.Last().Caption, "Korvid");
}

} // namespace
} // namespace korvid
