#include "devtools/compiler/CompileContext.h"
#include "devtools/compiler/CompilerHost.h"
#include "tests/app/FormFixture.h"
#include "ui/ModalRunner.h"
#include "workspace/FavouritesTree.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

class TCompileWindowTest : public TFormTest {
protected:
    std::string WriteSource(const std::string& Name) {
        const std::string Path = (Dir.Path() / Name).string();
        WriteFileBytes(Path, "line 1\nline 2\nline 3\nline 4 is longer\n");
        return Path;
    }
    std::string CurrentFile() const {
        return Form->ActiveEditor() ? Form->ActiveEditor()->FileName : std::string();
    }
};

TEST_F(TCompileWindowTest, GoToLastErrorOpensTheFileAtTheStoredPlace) {
    MakeForm();
    const std::string Source = WriteSource("a.vp");
    TScriptedModals Dialogs;
    const int Empty = Form->TabCount();
    ToolList().Items(T::EditGoToLastError)->Execute();
    EXPECT_EQ(Form->TabCount(), Empty);

    Form->Compiling().SetLastError(Source, 4, 3);
    ToolList().Items(T::EditGoToLastError)->Execute();
    EXPECT_EQ(CurrentFile(), Source);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 4);
    EXPECT_EQ(Form->ActiveEditor()->CaretPosInLine(), 3);

    // Already open: the tab is activated, not opened twice.
    Form->NewTab("Other");
    const int Tabs = Form->TabCount();
    Form->Compiling().GoToError(Source, 2, 1);
    EXPECT_EQ(Form->TabCount(), Tabs);
    EXPECT_EQ(CurrentFile(), Source);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 2);
    EXPECT_TRUE(Dialogs.Shown().empty());
}

TEST_F(TCompileWindowTest, MessageLinesGoToTheirPlace) {
    MakeForm();
    const std::string Source = WriteSource("b.vp");
    Form->Compiling().OpenLinesTab("Compiler Messages",
                                   {{Source + ", line 3", Source + "|||3"}, {"Error: bad", ""}});
    EXPECT_EQ(Form->Tabs()->tabText(Form->Tabs()->currentIndex()).toStdString(),
              "Compiler Messages");
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
    Form->ActiveEditor()->MoveCaretTo(1, 1);
    ToolList().Items(T::EditGoToSearchResult)->Execute();
    EXPECT_EQ(CurrentFile(), Source);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 3);
}

TEST_F(TCompileWindowTest, CompileStatusGoesToTheTenthPanel) {
    MakeForm();
    Form->Compiling().ShowCompileStatus("m.json - Compiling project x\x85");
    EXPECT_EQ(Form->StatusPanelText(TKorvidForm::CompileStatusPanel),
              "m.json - Compiling project x\x85");
}

TEST_F(TCompileWindowTest, AnUnattendedCompileListsWhatItWouldHaveShown) {
    MakeForm();
    Form->Options().PSystemAware = true;
    Form->Options().LorvantaCOMServer.clear();
    Form->OpenFile(WriteSource("x.vl2"), false, {});
    const int Tabs = Form->TabCount();
    TScriptedModals Dialogs;
    EXPECT_EQ(Form->Compiling().Command().CompileSource(false, false, true),
              TCompileSeverity::NotRun);
    EXPECT_TRUE(Dialogs.Shown().empty());
    EXPECT_EQ(Form->TabCount(), Tabs);
    const auto& Messages = Form->Compiling().Command().UnattendedResult().Messages;
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "Compiler: No compiler automation server is set or registered.");
}

// With the Favourites bar's disk folder in hand, F9 offers to compile the folder's reports.
TEST_F(TCompileWindowTest, AFolderInTheFavouritesBarIsOfferedForCompiling) {
    MakeForm();
    Form->Options().PSystemAware = true;
    Form->Options().LorvantaCOMServer.clear();
    Form->OpenFile(WriteSource("a.vl2"), false, {});
    Form->show();
    QApplication::setActiveWindow(Form.get());
    Form->ShowFavouritesBar(true);
    TFavouritesTreeView& Tree = *Form->FavouritesTree().Tree();
    Tree.SetSelected(Tree.AddDiskFolder(nullptr, "reports", Dir.Path().string()));
    Tree.setFocus();
    ASSERT_TRUE(Tree.hasFocus());
    TScriptedModals Dialogs;
    Dialogs.Press("&Yes").Press("OK");
    ToolList().Items(T::CompileVoskSource)->Execute();
    ASSERT_EQ(Dialogs.Shown().size(), 2u);
    EXPECT_EQ(Dialogs.Shown()[0].Caption, "Compile Folder");
    // The run registers the server first, which nothing names here.
    EXPECT_EQ(Dialogs.Shown()[1].Message->Text,
              "No compiler automation server is set or registered.");

    // Back in the document, F9 compiles the document.
    Form->FocusActiveEditor();
    ASSERT_FALSE(Tree.hasFocus());
    TScriptedModals Again;
    Again.Press("OK");
    ToolList().Items(T::CompileVoskSource)->Execute();
    ASSERT_EQ(Again.Shown().size(), 1u);
    EXPECT_EQ(Again.Shown()[0].Caption, "Compiler");
}

} // namespace
} // namespace korvid::test
