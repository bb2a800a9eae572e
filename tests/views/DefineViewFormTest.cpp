#include "views/DefineViewForm.h"

#include "plugin/Elements.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "ui/ShortCutEdit.h"
#include "ui/VirtualKeys.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace korvid {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t CtrlK = ShortCutOf('K', {false, true, false});
constexpr std::uint16_t ShiftAltF7 = ShortCutOf(VK_F1 + 6, {true, false, true});

// Every field of two views, by name, so that a field a control forgets shows as itself.
void ExpectSameView(const TView& A, const TView& B) {
    EXPECT_EQ(A.Name(), B.Name());
    EXPECT_EQ(A.AutoIndent, B.AutoIndent);
    EXPECT_EQ(A.BackgroundColour, B.BackgroundColour);
    EXPECT_EQ(A.BreakpointBackgroundColour, B.BreakpointBackgroundColour);
    EXPECT_EQ(A.BreakpointTextColour, B.BreakpointTextColour);
    EXPECT_EQ(A.ClosingDelimiter, B.ClosingDelimiter);
    EXPECT_EQ(A.CommentMarker, B.CommentMarker);
    EXPECT_EQ(A.Dll(), B.Dll());
    EXPECT_EQ(A.ExecutionPointBackgroundColour, B.ExecutionPointBackgroundColour);
    EXPECT_EQ(A.ExecutionPointTextColour, B.ExecutionPointTextColour);
    EXPECT_EQ(A.FinalLineFeed, B.FinalLineFeed);
    EXPECT_EQ(A.FontName(), B.FontName());
    EXPECT_EQ(A.FontSize(), B.FontSize());
    EXPECT_EQ(A.HelpFile, B.HelpFile);
    EXPECT_EQ(A.IndentCount, B.IndentCount);
    EXPECT_EQ(A.LeftMarginWidth, B.LeftMarginWidth);
    EXPECT_EQ(A.OpenAsReadOnly, B.OpenAsReadOnly);
    EXPECT_EQ(A.OpeningDelimiter, B.OpeningDelimiter);
    EXPECT_EQ(A.PreserveSolitarySpaces, B.PreserveSolitarySpaces);
    EXPECT_EQ(A.PreserveSpaces, B.PreserveSpaces);
    EXPECT_EQ(A.PSystemLorvanta, B.PSystemLorvanta);
    EXPECT_EQ(A.PSystemPascal, B.PSystemPascal);
    EXPECT_EQ(A.PSystemReportWriter, B.PSystemReportWriter);
    EXPECT_EQ(A.RightMarginColour, B.RightMarginColour);
    EXPECT_EQ(A.RightMarginColumn, B.RightMarginColumn);
    EXPECT_EQ(A.RightMarginVisible, B.RightMarginVisible);
    EXPECT_EQ(A.SaveAsUnix, B.SaveAsUnix);
    EXPECT_EQ(A.SelectionBackgroundColour, B.SelectionBackgroundColour);
    EXPECT_EQ(A.SelectionTextColour, B.SelectionTextColour);
    EXPECT_EQ(A.ShortCut, B.ShortCut);
    EXPECT_EQ(A.TabStops(), B.TabStops());
    EXPECT_EQ(A.TabKey, B.TabKey);
    EXPECT_EQ(A.TextColour, B.TextColour);
    EXPECT_EQ(A.UseDll, B.UseDll);
    EXPECT_EQ(A.Utf8, B.Utf8);
    EXPECT_EQ(A.WebScrolling, B.WebScrolling);
    EXPECT_EQ(A.Wildcards, B.Wildcards);
    EXPECT_EQ(A.WordDelimiters, B.WordDelimiters);
    EXPECT_EQ(A.WrapAtLeft, B.WrapAtLeft);
    EXPECT_EQ(A.WrapAtRight, B.WrapAtRight);
    EXPECT_EQ(A.WrapColumn(), B.WrapColumn());
    EXPECT_EQ(A.WrapType(), B.WrapType());
    ASSERT_EQ(A.Elements.Count(), B.Elements.Count());
    for (int I = 0; I < A.Elements.Count(); ++I) {
        const TViewElement& X = A.Elements.GetElement(I);
        const TViewElement& Y = B.Elements.GetElement(I);
        EXPECT_EQ(X.Id, Y.Id) << "element " << I;
        EXPECT_EQ(X.Colour, Y.Colour) << "element " << I;
        EXPECT_EQ(X.Bold, Y.Bold) << "element " << I;
        EXPECT_EQ(X.Italic, Y.Italic) << "element " << I;
    }
    ASSERT_EQ(A.AutoText.Count(), B.AutoText.Count());
    for (int I = 0; I < A.AutoText.Count(); ++I) {
        const TAutoTextEntry& X = A.AutoText.GetEntry(I);
        const TAutoTextEntry& Y = B.AutoText.GetEntry(I);
        EXPECT_EQ(X.Description, Y.Description) << "entry " << I;
        EXPECT_EQ(X.Abbreviation, Y.Abbreviation) << "entry " << I;
        EXPECT_EQ(X.CursorChar, Y.CursorChar) << "entry " << I;
        EXPECT_EQ(X.ShortCut, Y.ShortCut) << "entry " << I;
        EXPECT_EQ(X.Expansion, Y.Expansion) << "entry " << I;
    }
}

class TDefineViewFormTest : public ::testing::Test {
protected:
    // Any font name is taken as installed, so the view's own survives its setter.
    TScopedFontCatalogue Fonts{[](std::string_view) { return true; }};
    test::TTempDir Dir;
    // A dialog no step expected is closed at once and counted.
    TScriptedModals Unexpected;

    void TearDown() override {
        for (const auto& Shown : Unexpected.Shown())
            ADD_FAILURE() << "unexpected dialog: " << Shown.Caption;
    }

    // Every field away from its default; element colours for the plug-in's elements in an
    // order of their own, and one for an id the plug-in does not know.
    static TView RichView() {
        TView V;
        V.SetName("Lorvanta Source");
        V.AutoIndent = true;
        V.BackgroundColour = RGB(1, 2, 3);
        V.BreakpointBackgroundColour = RGB(4, 5, 6);
        V.BreakpointTextColour = RGB(7, 8, 9);
        V.ClosingDelimiter = "*)";
        V.CommentMarker = "; ";
        V.SetDll(LORVANTA_LIBRARY_PATH);
        V.ExecutionPointBackgroundColour = RGB(10, 11, 12);
        V.ExecutionPointTextColour = RGB(13, 14, 15);
        V.FinalLineFeed = true;
        V.SetFontName("Rich Mono");
        V.SetFontSize(13);
        V.HelpFile = "/help/lorvanta.chm";
        V.IndentCount = 0;
        V.LeftMarginWidth = 21;
        V.OpenAsReadOnly = true;
        V.OpeningDelimiter = "(*";
        V.PreserveSolitarySpaces = true;
        V.PreserveSpaces = false;
        V.PSystemLorvanta = true;
        V.PSystemPascal = true;
        V.PSystemReportWriter = true;
        V.RightMarginColour = RGB(16, 17, 18);
        V.RightMarginColumn = 72;
        V.RightMarginVisible = true;
        V.SaveAsUnix = true;
        V.SelectionBackgroundColour = RGB(19, 20, 21);
        V.SelectionTextColour = RGB(22, 23, 24);
        V.ShortCut = CtrlK;
        V.SetTabStops(4);
        V.TabKey = 1;
        V.TextColour = RGB(25, 26, 27);
        V.UseDll = true;
        V.Utf8 = true;
        V.WebScrolling = true;
        V.Wildcards = "*.lor;*.inc";
        V.WordDelimiters = ",;";
        V.WrapAtLeft = true;
        V.WrapAtRight = true;
        V.SetWrapColumn(60);
        V.SetWrapType(vwAtColumn);
        V.Elements.Add({99, RGB(30, 31, 32), true, true});
        for (int I = static_cast<int>(Elements.size()) - 1; I >= 0; --I)
            V.Elements.Add({Elements[I].Id, RGB(I, 100, 200), I % 2 == 0, I % 3 == 0});
        V.AutoText.Add({"pr", '#', "Procedure", "procedure #;\r\nbegin\r\nend;", ShiftAltF7});
        V.AutoText.Add({"", '\0', "Blank line", "\r\n", 0});
        return V;
    }

    static void PressKey(QWidget* Widget, int Key, Qt::KeyboardModifiers Modifiers) {
        QKeyEvent Event(QEvent::KeyPress, Key, Modifiers);
        QCoreApplication::sendEvent(Widget, &Event);
    }
};

// Loading a view and storing it back into a fresh one loses nothing: every field has a control.
TEST_F(TDefineViewFormTest, LoadAndStoreGiveAnEqualView) {
    for (const TView& Original : {RichView(), TView()}) {
        SCOPED_TRACE(Original.Name());
        TDefineViewForm Form;
        Form.LoadView(Original);
        Form.Prepare();
        TView Stored;
        Form.StoreView(Stored);
        ExpectSameView(Stored, Original);
    }
}

// Nothing reaches the view before it is stored.
TEST_F(TDefineViewFormTest, EditsStayInTheDialogUntilStored) {
    TView View = RichView();
    TDefineViewForm Form;
    Form.LoadView(View);
    Form.Prepare();
    Form.NameEdit()->setText("Changed");
    Form.TabStopsEdit()->setValue(2);
    Form.SetElementRow(0, {element::Name, clRed, true, true});
    Form.DeleteEntryButton()->click();
    ExpectSameView(View, RichView());
}

TEST_F(TDefineViewFormTest, WrapColumnIsEnabledOnlyForAColumnAndKeptInRange) {
    TDefineViewForm Form;
    Form.LoadView(TView());
    const struct {
        int WrapType;
        bool Enabled;
    } Cases[] = {{vwNone, false}, {vwAtColumn, true}, {vwAtWindow, false}};
    for (const auto& Case : Cases) {
        Form.WrapTypeButton(Case.WrapType)->setChecked(true);
        EXPECT_EQ(Form.WrapColumnEdit()->isEnabled(), Case.Enabled) << Case.WrapType;
    }
    for (const auto& [Typed, Kept] : {std::pair{3, 5}, {300, 255}, {128, 128}}) {
        Form.WrapColumnEdit()->setValue(Typed);
        TView Stored;
        Form.StoreView(Stored);
        EXPECT_EQ(Stored.WrapColumn(), Kept) << Typed;
    }
}

TEST_F(TDefineViewFormTest, SolitarySpacesAreEnabledOnlyWhileSpacesAreNotPreserved) {
    TDefineViewForm Form;
    Form.LoadView(TView()); // preserves spaces
    EXPECT_FALSE(Form.PreserveSolitarySpacesCheck()->isEnabled());
    Form.PreserveSpacesCheck()->setChecked(false);
    EXPECT_TRUE(Form.PreserveSolitarySpacesCheck()->isEnabled());
    Form.PreserveSpacesCheck()->setChecked(true);
    EXPECT_FALSE(Form.PreserveSolitarySpacesCheck()->isEnabled());
}

// Shortcuts are shown as their text and stored as codes, for the view and for its entries.
TEST_F(TDefineViewFormTest, ShortcutsShowTheirTextAndStoreTheirCodes) {
    TDefineViewForm Form;
    Form.LoadView(RichView());
    EXPECT_EQ(Form.ShortCutEdit()->text(), "Ctrl+K");
    EXPECT_EQ(Form.AutoTextList()->topLevelItem(0)->text(2), "Shift+Alt+F7");
    PressKey(Form.ShortCutEdit(), Qt::Key_Control, Qt::ControlModifier); // a modifier alone
    EXPECT_EQ(Form.ShortCutEdit()->ShortCut(), CtrlK);
    PressKey(Form.ShortCutEdit(), Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Form.ShortCutEdit()->text(), "Shift+Ctrl+J");
    PressKey(Form.ShortCutEdit(), Qt::Key_Escape, Qt::NoModifier); // still the dialog's
    EXPECT_EQ(Form.ShortCutEdit()->text(), "Shift+Ctrl+J");
    TView Stored;
    Form.StoreView(Stored);
    EXPECT_EQ(Stored.ShortCut, ShortCutOf('J', {true, true, false}));

    // The entry dialog takes a key the same way; Clear empties the shortcut.
    TScriptedModals Steps;
    Steps
        .Then(ActOn<TAutoTextEntryForm>([](TAutoTextEntryForm& Entry) {
            EXPECT_EQ(Entry.ShortCutEdit()->text(), "Shift+Alt+F7");
            PressKey(Entry.ShortCutEdit(), Qt::Key_F2, Qt::AltModifier);
            Entry.accept();
        }))
        .Then(ActOn<TAutoTextEntryForm>([](TAutoTextEntryForm& Entry) {
            EXPECT_EQ(Entry.ShortCutEdit()->text(), "Alt+F2");
            Entry.reject();
        }));
    Form.AutoTextList()->setCurrentItem(Form.AutoTextList()->topLevelItem(0));
    Form.ModifyEntryButton()->click();
    EXPECT_EQ(Form.AutoTextList()->topLevelItem(0)->text(2), "Alt+F2");
    EXPECT_EQ(Form.AutoTextEntries()[0].ShortCut, ShortCutOf(VK_F2, {false, false, true}));
    Form.ModifyEntryButton()->click(); // cancelled: nothing changes
    EXPECT_EQ(Form.AutoTextEntries()[0].ShortCut, ShortCutOf(VK_F2, {false, false, true}));
    EXPECT_EQ(Steps.Unanswered(), 0);
}

TEST_F(TDefineViewFormTest, AutoTextEntriesAreAddedModifiedAndDeleted) {
    TDefineViewForm Form;
    Form.LoadView(RichView());
    TScriptedModals Steps;
    Steps
        .Then(ActOn<TAutoTextEntryForm>([](TAutoTextEntryForm& Entry) {
            EXPECT_EQ(Entry.CursorCharEdit()->text(), "|"); // a new entry's
            Entry.DescriptionEdit()->setText("If");
            Entry.AbbreviationEdit()->setText("if");
            Entry.CursorCharEdit()->setText("");
            Entry.ExpansionEdit()->setPlainText("if\nthen");
            Entry.accept();
        }))
        .Then(ActOn<TAutoTextEntryForm>([](TAutoTextEntryForm& Entry) {
            EXPECT_EQ(Entry.ExpansionEdit()->toPlainText(), "procedure #;\nbegin\nend;");
            EXPECT_EQ(Entry.CursorCharEdit()->text(), "#");
            Entry.CursorCharEdit()->setText("@");
            Entry.accept();
        }));
    Form.NewEntryButton()->click();
    Form.AutoTextList()->setCurrentItem(Form.AutoTextList()->topLevelItem(0));
    Form.ModifyEntryButton()->click();
    Form.AutoTextList()->setCurrentItem(Form.AutoTextList()->topLevelItem(1)); // "Blank line"
    Form.DeleteEntryButton()->click();

    TView Stored;
    Form.StoreView(Stored);
    ASSERT_EQ(Stored.AutoText.Count(), 2);
    EXPECT_EQ(Stored.AutoText.GetEntry(0).CursorChar, '@');
    EXPECT_EQ(Stored.AutoText.GetEntry(0).Expansion, "procedure #;\r\nbegin\r\nend;");
    const TAutoTextEntry& Added = Stored.AutoText.GetEntry(1);
    EXPECT_EQ(Added.Description, "If");
    EXPECT_EQ(Added.Abbreviation, "if");
    EXPECT_EQ(Added.CursorChar, '\0');
    EXPECT_EQ(Added.Expansion, "if\r\nthen");
    EXPECT_EQ(Steps.Unanswered(), 0);
}

// A system colour stays one unless the user picks a different colour.
TEST_F(TDefineViewFormTest, AColourChangesOnlyWhenAnotherIsPicked) {
    TDefineViewForm Form;
    Form.LoadView(TView());
    TScriptedModals Steps;
    Steps.Then(ActOn<QColorDialog>([](QColorDialog& Dialog) { Dialog.accept(); }))
        .Then(ActOn<QColorDialog>([](QColorDialog& Dialog) {
            Dialog.setCurrentColor(QColor(10, 20, 30));
            Dialog.accept();
        }));
    Form.TextColourButton()->click();
    EXPECT_EQ(Form.TextColourButton()->Colour(), clWindowText);
    Form.TextColourButton()->click();
    EXPECT_EQ(Form.TextColourButton()->Colour(), RGB(10, 20, 30));
    EXPECT_EQ(Steps.Unanswered(), 0);
}

class TSyntaxPageTest : public TDefineViewFormTest {
protected:
    // Every element of the plug-in has its default colour and style in the view.
    static void ExpectDefaultElementColours(const TView& Stored) {
        for (std::size_t I = 0; I < Elements.size(); ++I) {
            const TViewElement* E = Stored.Elements.FindById(Elements[I].Id);
            ASSERT_NE(E, nullptr) << Elements[I].Name;
            EXPECT_EQ(E->Colour, DefaultColours[I + 4].Colour) << Elements[I].Name;
            EXPECT_EQ(E->Bold, DefaultColours[I + 4].Bold) << Elements[I].Name;
            EXPECT_EQ(E->Italic, DefaultColours[I + 4].Italic) << Elements[I].Name;
        }
    }
};

TEST_F(TSyntaxPageTest, ThePluginsElementsAreListedByName) {
    TView View;
    View.SetDll(LORVANTA_LIBRARY_PATH);
    View.TextColour = RGB(1, 1, 1);
    View.Elements.Add({element::String, clRed, true, false});
    View.Elements.Add({99, clBlue, false, true});
    TDefineViewForm Form;
    Form.LoadView(View);
    Form.Prepare();
    const auto& Rows = Form.ElementRows();
    ASSERT_EQ(Rows.size(), Elements.size());
    for (std::size_t I = 0; I < Rows.size(); ++I) {
        EXPECT_EQ(Rows[I].Name, Elements[I].Name);
        EXPECT_EQ(Rows[I].Element.Id, Elements[I].Id);
        EXPECT_EQ(Form.ElementList()->topLevelItem(static_cast<int>(I))->text(0).toStdString(),
                  Elements[I].Name);
    }
    // The view's colour for an element it has; the text colour for one it lacks.
    EXPECT_EQ(Rows[13].Element.Colour, clRed);
    EXPECT_TRUE(Rows[13].Element.Bold);
    EXPECT_EQ(Rows[0].Element.Colour, RGB(1, 1, 1));
    EXPECT_FALSE(Rows[0].Element.Bold);
    EXPECT_TRUE(Form.DefaultColoursButton()->isEnabled());

    // A colour for an id the plug-in does not list is kept.
    TView Stored;
    Form.StoreView(Stored);
    const TViewElement* Kept = Stored.Elements.FindById(99);
    ASSERT_NE(Kept, nullptr);
    EXPECT_EQ(Kept->Colour, clBlue);
    EXPECT_EQ(Stored.Elements.Count(), static_cast<int>(Elements.size()) + 1);
}

TEST_F(TSyntaxPageTest, DefaultColoursSetTheWindowColoursAndEveryRow) {
    TView View = RichView();
    TDefineViewForm Form;
    Form.LoadView(View);
    Form.Prepare();
    Form.DefaultColoursButton()->click();
    TView Stored;
    Form.StoreView(Stored);
    EXPECT_EQ(Stored.TextColour, RGB(0, 0, 0));
    EXPECT_EQ(Stored.BackgroundColour, RGB(255, 255, 255));
    EXPECT_EQ(Stored.SelectionTextColour, RGB(255, 255, 255));
    EXPECT_EQ(Stored.SelectionBackgroundColour, RGB(0, 0, 128));
    ExpectDefaultElementColours(Stored);
    // "Comments with ;" is the one italic row.
    EXPECT_TRUE(Stored.Elements.FindById(element::SemicolonComment)->Italic);
    EXPECT_EQ(Stored.Elements.FindById(element::Assertion)->Colour, RGB(192, 192, 192));
    // The breakpoint colours are not the plug-in's.
    EXPECT_EQ(Stored.BreakpointTextColour, View.BreakpointTextColour);
}

// A plug-in that does not answer exactly 1 offers neither elements nor default colours.
TEST_F(TSyntaxPageTest, APluginThatDeclinesListsNothing) {
    for (const char* Path : {STANDIN_PROBE2_PATH, "/no/such/Plugin.so", ""}) {
        TView View;
        View.SetDll(Path);
        View.Elements.Add({3, clRed, false, false});
        TDefineViewForm Form;
        Form.LoadView(View);
        Form.DllEdit()->setText(Path);
        Form.Prepare();
        EXPECT_TRUE(Form.ElementRows().empty()) << Path;
        EXPECT_EQ(Form.ElementList()->topLevelItemCount(), 0) << Path;
        EXPECT_FALSE(Form.DefaultColoursButton()->isEnabled()) << Path;
        TView Stored;
        Form.StoreView(Stored);
        EXPECT_EQ(Stored.Elements.Count(), 1) << Path;
    }
}

TEST_F(TSyntaxPageTest, APluginFileDeletedMeanwhileIsStoredAsEmpty) {
    fs::copy_file(LORVANTA_LIBRARY_PATH, Dir / "Lorvanta.so");
    TView View;
    View.UseDll = true;
    View.SetDll((Dir / "Lorvanta.so").string());
    ASSERT_FALSE(View.Dll().empty());
    TDefineViewForm Form;
    Form.LoadView(View);
    Form.Prepare();
    EXPECT_EQ(Form.ElementRows().size(), Elements.size());
    fs::remove(Dir / "Lorvanta.so");
    TView Stored;
    Form.StoreView(Stored);
    EXPECT_EQ(Stored.Dll(), "");
    EXPECT_TRUE(Stored.UseDll);
}

// A view that has no colours for the plug-in's elements yet takes the plug-in's default
// colours when it is bound to it, as the Default Colours button gives them.
TEST_F(TSyntaxPageTest, AViewNewlyBoundTakesThePluginsDefaultColours) {
    const auto Check = [](const TView& Stored) {
        EXPECT_EQ(Stored.TextColour, DefaultColours[0].Colour);
        EXPECT_EQ(Stored.BackgroundColour, DefaultColours[1].Colour);
        EXPECT_EQ(Stored.SelectionBackgroundColour, DefaultColours[3].Colour);
        ExpectDefaultElementColours(Stored);
    };
    {
        SCOPED_TRACE("plug-in named in the dialog");
        TView View;
        View.SetName("New View");
        TDefineViewForm Form;
        Form.LoadView(View);
        Form.Prepare();
        Form.DllEdit()->setText(LORVANTA_LIBRARY_PATH);
        Form.ListElements();
        TView Stored;
        Form.StoreView(Stored);
        Check(Stored);
    }
    {
        SCOPED_TRACE("plug-in named but no colours stored");
        TView View;
        View.SetDll(LORVANTA_LIBRARY_PATH);
        TDefineViewForm Form;
        Form.LoadView(View);
        Form.Prepare();
        TView Stored;
        Form.StoreView(Stored);
        Check(Stored);
    }
}

// Naming another plug-in lists its elements, carrying the colours already chosen.
TEST_F(TSyntaxPageTest, ChangingThePluginListsItsElementsAgain) {
    TView View;
    TDefineViewForm Form;
    Form.LoadView(View);
    Form.Prepare();
    EXPECT_TRUE(Form.ElementRows().empty());
    Form.DllEdit()->setText(LORVANTA_LIBRARY_PATH);
    Form.ListElements();
    ASSERT_EQ(Form.ElementRows().size(), Elements.size());
    Form.SetElementRow(2, {Elements[2].Id, clLime, true, false});
    Form.ListElements();
    EXPECT_EQ(Form.ElementRows()[2].Element.Colour, clLime);
    Form.DllEdit()->setText(STANDIN_PROBE2_PATH);
    Form.ListElements();
    EXPECT_TRUE(Form.ElementRows().empty());
    TView Stored;
    Form.StoreView(Stored);
    ASSERT_NE(Stored.Elements.FindById(Elements[2].Id), nullptr);
    EXPECT_EQ(Stored.Elements.FindById(Elements[2].Id)->Colour, clLime);
}

// One picture per page of a rich view, kept with the test program for a person to look at.
TEST_F(TDefineViewFormTest, EveryPageCanBePictured) {
    TDefineViewForm Form;
    Form.LoadView(RichView());
    Form.Prepare();
    Form.show();
    QCoreApplication::processEvents();
    const QDir Output(QCoreApplication::applicationDirPath());
    for (int Page = 0; Page < Form.Pages()->count(); ++Page) {
        Form.Pages()->setCurrentIndex(Page);
        QCoreApplication::processEvents();
        const QImage Picture = Form.grab().toImage();
        ASSERT_FALSE(Picture.isNull());
        const QString Name =
            "define-view-" + Form.Pages()->tabText(Page).toLower().replace(' ', '-') + ".png";
        EXPECT_TRUE(Picture.save(Output.filePath(Name))) << Name.toStdString();
    }
    EXPECT_EQ(Form.Pages()->count(), 7);
}

} // namespace
} // namespace korvid
