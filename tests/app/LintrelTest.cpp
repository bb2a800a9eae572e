#include "FormFixture.h"

#include "app/EditorDocument.h"
#include "app/LintrelCommand.h"
#include "ui/ModalRunner.h"
#include "workspace/LintrelForm.h"
#include "workspace/ToolIndexes.h"

#include <QLineEdit>
#include <QTabWidget>

#include <string>
#include <vector>

namespace korvid::test {
namespace {

using TLines = std::vector<std::string>;

// Lintrel markup put into the program's own editor.
class TLintrelTest : public TProgramFormTest {
protected:
    void SetUp() override {
        TProgramFormTest::SetUp();
        MakeProgramForm();
    }
    TDocumentEditor& Open(std::string_view Bytes) {
        Form->OpenFile(File("page.txt", Bytes), false, {});
        return *Form->ActiveEditor();
    }
    TLines Text() const { return Form->ActiveEditor()->Paragraphs(); }
};

// A link on the current site to page X at its anchor y.
TLintrelLink PageWithAnchor() {
    TLintrelLink Link;
    Link.Page = TLintrelLink::SpecifyPage;
    Link.PageText = "X";
    Link.Anchor = true;
    Link.AnchorText = "y";
    return Link;
}

TEST_F(TLintrelTest, EdgeCases) {
    const struct {
        const char* Case;
        TLines Document;
        std::function<void(TDocumentEditor&)> Select;
        TLintrelMarkup Markup;
        TLines Expected;
    } Cases[] = {
        {"bold around a selection",
         {"abc"},
         [](auto& E) { E.SetSelection(1, 2, 1, 3, true); },
         InlineMarkup(0),
         {"a'''b'''c"}},
        {"a table row on three lines",
         {"a", "b", "c"},
         [](auto& E) { E.SetSelection(1, 1, 3, 2, true); },
         BlockMarkup(8, ""),
         {"| a | ", "| b | ", "| c | "}},
        {"float left 200 on two lines",
         {"a", "b"},
         [](auto& E) { E.SetSelection(1, 1, 2, 2, true); },
         BlockMarkup(13, "200"),
         {"^<200 a", "^ b"}},
        {"a heading without a selection",
         {"title"},
         [](auto& E) { E.MoveCaretTo(1, 3); },
         BlockMarkup(1, ""),
         {"== title"}},
        {"a link to a page with an anchor",
         {"sel"},
         [](auto& E) { E.SelectAll(); },
         LinkMarkup(PageWithAnchor()),
         {"`X#y|sel`"}},
        {"an HTML section without a parameter",
         {""},
         [](auto&) {},
         SpecialMarkup(8, ""),
         {"", "~~~~", ""}},
        {"an HTML section with a parameter",
         {""},
         [](auto&) {},
         SpecialMarkup(8, "wide"),
         {"", "~~~~ wide", ""}},
    };
    TDocumentEditor& E = Open("");
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Case);
        E.SetParagraphs(Case.Document);
        E.MoveCaretTo(1, 1);
        Case.Select(E);
        InsertLintrelMarkup(E, Case.Markup);
        EXPECT_EQ(Text(), Case.Expected);
    }
}

TEST_F(TLintrelTest, BoldWithoutASelectionPutsTheCaretBetween) {
    TDocumentEditor& E = Open("");
    InsertLintrelMarkup(E, InlineMarkup(0));
    EXPECT_EQ(Text(), TLines{"''''''"});
    EXPECT_EQ(E.CaretPosInLine(), 4);
}

TEST_F(TLintrelTest, ABlockMarkupKeepsItsLinesSelectedAndUndoesInOneStep) {
    TDocumentEditor& E = Open("a\r\nb\r\nc");
    E.SetSelection(1, 1, 3, 2, true);
    InsertLintrelMarkup(E, BlockMarkup(8, ""));
    EXPECT_EQ(E.SelectedText(), "| a | \r\n| b | \r\n| c | ");
    E.Undo();
    EXPECT_EQ(Text(), (TLines{"a", "b", "c"}));
}

TEST_F(TLintrelTest, EveryWrappingButtonEnclosesTheSelection) {
    const struct {
        TLintrelMarkup Markup;
        const char* Expected;
    } Cases[] = {
        {InlineMarkup(0), "'''s'''"},
        {InlineMarkup(1), "''s''"},
        {InlineMarkup(2), "'_s_'"},
        {InlineMarkup(3), "'.s.'"},
        {InlineMarkup(4), "'/s/'"},
        {InlineMarkup(5), "'*s*'"},
        {InlineMarkup(6), "'+s+'"},
        {InlineMarkup(7), "'-s-'"},
        {InlineMarkup(8), "'$s$'"},
        {InlineMarkup(9), "'^s^'"},
        {InlineMarkup(10), "'~s~'"},
        {InlineMarkup(11), "'=s='"},
        {InlineMarkup(12), "'!s!'"},
        {InlineMarkup(13), "'\"s\"'"},
        {InlineMarkup(14), "'\\s\\'"},
        {InlineMarkup(15), "':s:'"},
        {InlineMarkup(16), "'%s%'"},
        {InlineMarkup(17), "';s;'"},
        {InlineMarkup(18), "'?s?'"},
        {InlineMarkup(19), "'#ids|#'"},
        {InlineMarkup(20), "'&s|expansion&'"},
        {InlineMarkup(21), "'@classs|@'"},
        {ExtraMarkup(0), "{;}s"},
        {ExtraMarkup(1), "{_}s"},
        {ExtraMarkup(2), "{_s}"},
        {ExtraMarkup(3), "{#s}"},
        {ExtraMarkup(4), "{$s}"},
        {ExtraMarkup(5), "{{s}}"},
        {ExtraMarkup(6), "{@s}"},
        {ExtraMarkup(7), "{@s(x,y)}"},
        {ExtraMarkup(8), "{}s"},
        {ExtraMarkup(9), "{=s}"},
        {XmlMarkup(0, "p"), "<p>s</p>"},
        {XmlMarkup(1, "p"), "<p/>s"},
        {XmlMarkup(2, "p"), "p=\"s\""},
        {XmlMarkup(3, "p"), "<!DOCTYPE html>s"},
        {XmlMarkup(4, "p"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>s"},
    };
    TDocumentEditor& E = Open("");
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Expected);
        E.SetParagraphs({"s"});
        E.SelectAll();
        InsertLintrelMarkup(E, Case.Markup);
        EXPECT_EQ(Text(), TLines{Case.Expected});
    }
}

TEST_F(TLintrelTest, TheToolInsertsTheChosenMarkupAndTheDialogRemembersIt) {
    Open("");
    {
        TScriptedModals Script;
        Script
            .Then(ActOn<TLintrelForm>(
                [](TLintrelForm& F) { F.Choose(TLintrelPage::InlineMarkup, 1); }))
            .Press("OK");
        ToolList().Items(ToolIndex::FormatLintrel)->Execute();
    }
    EXPECT_EQ(Text(), TLines{"''''"});
    {
        TScriptedModals Script;
        Script.Press("OK");
        ToolList().Items(ToolIndex::FormatLintrel)->Execute();
    }
    EXPECT_EQ(Text(), TLines{"''''''''"});
    {
        TScriptedModals Script;
        Script.Press("Cancel");
        ToolList().Items(ToolIndex::FormatLintrel)->Execute();
    }
    EXPECT_EQ(Text(), TLines{"''''''''"});
}

} // namespace
} // namespace korvid::test
