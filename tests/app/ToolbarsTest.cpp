#include "FormFixture.h"

#include "app/EditorDocument.h"
#include "editor/Editor.h"
#include "platform/VirtualKeyCodes.h"
#include "ui/CommandBars.h"
#include "ui/HackedDialogs.h"
#include "ui/VirtualKeys.h"
#include "views/View.h"
#include "views/ViewList.h"
#include "workspace/DefaultMenus.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"
#include "workspace/ToolbarList.h"
#include "workspace/ToolbarSettings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <set>

namespace korvid {
void PrintTo(const TToolbarLayout& Layout, std::ostream* Out); // ToolbarsProgramTest.cpp
} // namespace korvid

namespace korvid::test {
namespace {

std::vector<TToolButton*> ButtonsOf(const TCommandBar& Bar) {
    std::vector<TToolButton*> Buttons;
    for (QObject* Child : Bar.children())
        if (auto* Button = dynamic_cast<TToolButton*>(Child))
            Buttons.push_back(Button);
    return Buttons;
}

TToolButton* ButtonOfTool(const TCommandBar& Bar, int Tool) {
    for (TToolButton* Button : ButtonsOf(Bar))
        if (Button->Tool() && Button->Tool()->Index() == Tool)
            return Button;
    return nullptr;
}

std::vector<std::string> Texts(const QMenu& Menu) {
    std::vector<std::string> Result;
    for (const QAction* Item : Menu.actions())
        Result.push_back(Item->text().toStdString());
    return Result;
}

std::vector<bool> Checks(const QMenu& Menu) {
    std::vector<bool> Result;
    for (const QAction* Item : Menu.actions())
        Result.push_back(Item->isChecked());
    return Result;
}

QAction* ItemNamed(const QMenu& Menu, std::string_view Text) {
    for (QAction* Item : Menu.actions())
        if (Item->text().toStdString() == Text)
            return Item;
    return nullptr;
}

class TToolbarsTest : public TFormTest {
protected:
    void SetUp() override {
        TFormTest::SetUp();
        BarMetrics() = TBarMetrics{3, 14, 2, 9};
    }

    TCommandBar& Bar(std::string_view Name) {
        for (int Index = 0; Index < Form->BarsAndMenus().Toolbars().Count(); ++Index)
            if (Form->BarsAndMenus().Toolbars().Items(Index)->Caption().toStdString() == Name)
                return *Form->BarsAndMenus().Toolbars().Items(Index);
        throw std::runtime_error("no toolbar " + std::string(Name));
    }

    void SetExperimental(bool Value) {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteBool("Show Experimental Features", Value);
    }

    // Closes the window as the user does and makes a new one on the same settings.
    void Reopen() {
        ASSERT_TRUE(Form->FormCloseQuery());
        Form.reset();
        MakeForm();
    }
};

TEST_F(TToolbarsTest, FirstStartWritesAndShowsTheFiveDefaults) {
    SetExperimental(false);
    MakeForm();
    std::vector<std::string> Names;
    for (const TToolbarLayout& Layout : LoadToolbarLayouts())
        Names.push_back(Layout.Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"Standard", "Formatting", "Command Lines",
                                               "Extra Clipboards", "Bookmarks"}));
    ASSERT_EQ(Form->BarsAndMenus().Toolbars().Count(), 5);

    EXPECT_EQ(Form->BarsAndMenus().TopDock()->height(), 52);
    TCommandBar& Standard = Bar("Standard");
    EXPECT_EQ(Standard.DockedTo(), Form->BarsAndMenus().TopDock());
    EXPECT_EQ(Standard.pos(), QPoint(0, 0));
    EXPECT_EQ(Standard.width(), 618);
    EXPECT_EQ(ButtonsOf(Standard).size(), 25u);

    TCommandBar& CommandLines = Bar("Command Lines");
    EXPECT_EQ(CommandLines.DockRow, 0);
    EXPECT_EQ(CommandLines.DockPos, 618);
    EXPECT_EQ(CommandLines.width(), 21);
    for (const TToolButton* Button : ButtonsOf(CommandLines))
        EXPECT_TRUE(Button->isHidden());

    TCommandBar& Formatting = Bar("Formatting");
    EXPECT_EQ(Formatting.DockRow, 1);
    EXPECT_EQ(Formatting.DockPos, 0);
    EXPECT_EQ(Formatting.DefaultDock, Form->BarsAndMenus().TopDock());

    for (const char* Hidden : {"Extra Clipboards", "Bookmarks"}) {
        EXPECT_FALSE(Bar(Hidden).Visible()) << Hidden;
        EXPECT_TRUE(Bar(Hidden).isHidden()) << Hidden;
    }
    EXPECT_EQ(Bar("Bookmarks").DockedTo(), Form->BarsAndMenus().BottomDock());
    EXPECT_EQ(Form->BarsAndMenus().BottomDock()->height(), 0);
    EXPECT_EQ(Form->BarsAndMenus().LeftDock()->width(), 0);
    EXPECT_EQ(Form->BarsAndMenus().RightDock()->width(), 0);
}

TEST_F(TToolbarsTest, DockIndexNumbersTheFourDocks) {
    MakeForm();
    EXPECT_EQ(Form->BarsAndMenus().DockIndex(Form->BarsAndMenus().TopDock()), 1);
    EXPECT_EQ(Form->BarsAndMenus().DockIndex(Form->BarsAndMenus().BottomDock()), 2);
    EXPECT_EQ(Form->BarsAndMenus().DockIndex(Form->BarsAndMenus().LeftDock()), 3);
    EXPECT_EQ(Form->BarsAndMenus().DockIndex(Form->BarsAndMenus().RightDock()), 4);
    EXPECT_EQ(Form->BarsAndMenus().DockIndex(Form.get()), 0);
    EXPECT_EQ(Form->BarsAndMenus().DockIndex(nullptr), 0);
}

TEST_F(TToolbarsTest, LayoutComesBackAtTheNextStart) {
    SetExperimental(true);
    MakeForm();
    Bar("Formatting").SetDockedTo(Form->BarsAndMenus().LeftDock());
    TCommandBar& CommandLines = Bar("Command Lines");
    CommandLines.SetDockedTo(nullptr);
    CommandLines.FloatRightX = 31; // room for one button a line
    CommandLines.Remeasure();
    CommandLines.SetFloatingPlace({400, 300});
    const QSize FloatSize = CommandLines.size();
    ASSERT_GT(FloatSize.height(), 2 * TCommandBarButton::DefaultHeight); // two lines
    Bar("Standard").setVisible(false);
    Reopen();

    const std::vector<TToolbarLayout> Stored = LoadToolbarLayouts();
    ASSERT_EQ(Stored.size(), 5u);
    struct TRow {
        const char* Name;
        bool Docked;
        int Dock, Lane, Offset, FloatLeft, FloatTop, FloatRight, FloatRightX;
        bool Visible;
    };
    const TRow Rows[] = {
        {"Standard", true, 1, 0, 0, 300, 200, -1, 0, false},
        {"Formatting", true, 3, 0, 0, 300, 200, -1, 0, true},
        {"Command Lines", false, 1, 0, 618, 400, 300, 400 + FloatSize.width(), 31, true},
        {"Extra Clipboards", true, 1, 1, 20, 300, 200, -1, 0, false},
        {"Bookmarks", true, 2, 0, 0, 300, 200, -1, 0, false},
    };
    for (std::size_t I = 0; I < 5; ++I) {
        const TRow& R = Rows[I];
        const TToolbarLayout& L = Stored[I];
        SCOPED_TRACE(R.Name);
        EXPECT_EQ(L.Name, R.Name);
        EXPECT_EQ(L.Docked, R.Docked);
        EXPECT_EQ(L.Dock, R.Dock);
        EXPECT_EQ(L.Lane, R.Lane);
        if (R.Docked || R.Offset) {
            EXPECT_EQ(L.Offset, R.Offset);
        }
        EXPECT_EQ(L.FloatLeft, R.FloatLeft);
        EXPECT_EQ(L.FloatTop, R.FloatTop);
        EXPECT_EQ(L.FloatRight, R.FloatRight);
        EXPECT_EQ(L.FloatRightX, R.FloatRightX);
        EXPECT_EQ(L.Visible, R.Visible);
    }
    EXPECT_EQ(Stored[2].Buttons,
              (std::vector<std::string>{"ViewCommandLines", "ViewRunCommandLine"}));
    EXPECT_EQ(Stored[0].Buttons, CreateDefaultMenus().Toolbars[0].Buttons);

    EXPECT_FALSE(Bar("Standard").Visible());
    EXPECT_EQ(Bar("Formatting").DockedTo(), Form->BarsAndMenus().LeftDock());
    EXPECT_EQ(Bar("Formatting").DefaultDock, Form->BarsAndMenus().LeftDock());
    TCommandBar& Again = Bar("Command Lines");
    EXPECT_EQ(Again.DockedTo(), nullptr);
    EXPECT_EQ(Again.DefaultDock, Form->BarsAndMenus().TopDock());
    EXPECT_EQ(Again.FloatRightX, 31);
    EXPECT_EQ(Again.FloatingPlace().X, 400);
    EXPECT_EQ(Again.FloatingPlace().Y, 300);
    EXPECT_EQ(Again.size(), FloatSize);
}

TEST_F(TToolbarsTest, OlderLayoutsGiveTheWrapWidthByTheRightEdge) {
    TToolbarLayout Layout;
    Layout.Name = "Old";
    Layout.Docked = false;
    Layout.FloatLeft = 100;
    Layout.FloatRight = 100 + 31 + 2 * 3; // the client's wrap width inside the frame
    Layout.Buttons = {"FileNew", "FileOpen"};
    SaveToolbarLayouts({Layout});
    MakeForm();
    EXPECT_EQ(Bar("Old").FloatRightX, 31);
}

TEST_F(TToolbarsTest, StoredButtonsEndAtTheFirstMissingOneAndSkipUnknownNames) {
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(ToolbarsKeys[CurrentKeyIndex]) + "\\1", true));
        Reg.WriteString("Name", "Mine");
        Reg.WriteString("Button1", "FileNew");
        Reg.WriteString("Button2", "NoSuchTool");
        Reg.WriteString("Button4", "FileOpen");
    }
    MakeForm();
    ASSERT_EQ(Form->BarsAndMenus().Toolbars().Count(), 1);
    const auto Buttons = ButtonsOf(Bar("Mine"));
    ASSERT_EQ(Buttons.size(), 1u);
    EXPECT_EQ(Buttons[0]->Tool()->Index(), ToolIndex::FileNew);
}

TEST_F(TToolbarsTest, ToolbarsMenuAndPopupListCheckAndToggleTheBars) {
    MakeForm();
    const std::vector<std::string> Expected{"Bookmarks", "Command Lines", "Extra Clipboards",
                                            "Formatting", "Standard"};
    for (QMenu* Menu :
         {Form->BarsAndMenus().ToolbarsMenu(), Form->BarsAndMenus().ToolbarPopupMenu()}) {
        EXPECT_EQ(Texts(*Menu), Expected);
        EXPECT_EQ(Checks(*Menu), (std::vector<bool>{false, true, false, true, true}));
    }
    ItemNamed(*Form->BarsAndMenus().ToolbarPopupMenu(), "Bookmarks")->trigger();
    EXPECT_TRUE(Bar("Bookmarks").Visible());
    EXPECT_TRUE(ItemNamed(*Form->BarsAndMenus().ToolbarsMenu(), "Bookmarks")->isChecked());
    ItemNamed(*Form->BarsAndMenus().ToolbarsMenu(), "Standard")->trigger();
    EXPECT_FALSE(Bar("Standard").Visible());
    EXPECT_FALSE(ItemNamed(*Form->BarsAndMenus().ToolbarPopupMenu(), "Standard")->isChecked());
}

TEST_F(TToolbarsTest, AFloatingBarClosedByItsButtonIsUnchecked) {
    MakeForm();
    Form->show();
    TCommandBar& Formatting = Bar("Formatting");
    Formatting.SetDockedTo(nullptr);
    ASSERT_FALSE(Formatting.CloseButtonRect().isEmpty());
    const QPoint Centre = Formatting.mapToGlobal(Formatting.CloseButtonRect().center());
    Formatting.StartClosePress()->Release(Centre, false);
    EXPECT_FALSE(Formatting.Visible());
    EXPECT_FALSE(ItemNamed(*Form->BarsAndMenus().ToolbarsMenu(), "Formatting")->isChecked());
}

TEST_F(TToolbarsTest, DockingMakesTheDefaultDockFloatingKeepsIt) {
    MakeForm();
    TCommandBar& Formatting = Bar("Formatting");
    Formatting.SetDockedTo(Form->BarsAndMenus().LeftDock());
    EXPECT_EQ(Formatting.DefaultDock, Form->BarsAndMenus().LeftDock());
    Formatting.SetDockedTo(nullptr);
    EXPECT_EQ(Formatting.DefaultDock, Form->BarsAndMenus().LeftDock());
}

// A layout the user left on all four docks and floating comes back the same, however often the
// window starts again: the docks lay their bars out at the window's own size, not before it.
TEST_F(TToolbarsTest, AMovedLayoutComesBackUnchangedAcrossRestarts) {
    MakeForm();
    std::vector<TToolbarLayout> Planted = LoadToolbarLayouts();
    Form.reset();
    struct TRow {
        const char* Name;
        bool Docked;
        int Dock, Lane, Offset;
    };
    const TRow Rows[] = {
        {"Standard", true, tdLeft, 0, 260},     {"Formatting", true, tdBottom, 0, 619},
        {"Command Lines", true, tdTop, 0, 900}, {"Extra Clipboards", true, tdRight, 0, 300},
        {"Bookmarks", false, tdRight, 0, 0}, // floats; docks on the right when double-clicked
    };
    for (const TRow& R : Rows)
        for (TToolbarLayout& Layout : Planted)
            if (Layout.Name == R.Name) {
                Layout.Visible = true;
                Layout.Docked = R.Docked;
                Layout.Dock = R.Dock;
                Layout.Lane = R.Lane;
                Layout.Offset = R.Offset;
                Layout.FloatLeft = 100; // the whole bar on the tests' 800 x 600 screen
                Layout.FloatTop = 300;
                Layout.FloatRight = -1;
                Layout.FloatRightX = 0;
            }
    SaveToolbarLayouts(Planted);
    for (int Start = 1; Start <= 3; ++Start) {
        SCOPED_TRACE("start " + std::to_string(Start));
        MakeForm();
        TBarsAndMenus& Bars = Form->BarsAndMenus();
        EXPECT_EQ(Bar("Standard").DockPos, 260);
        EXPECT_EQ(Bar("Standard").DockedTo(), Bars.LeftDock());
        EXPECT_EQ(Bar("Bookmarks").DockedTo(), nullptr);
        EXPECT_EQ(Bar("Bookmarks").DefaultDock, Bars.RightDock());
        ASSERT_TRUE(Form->FormCloseQuery());
        Form.reset();
        EXPECT_EQ(LoadToolbarLayouts(), Planted);
    }
}

// Double-clicking a floating bar docks it where it was docked last, also after a restart.
TEST_F(TToolbarsTest, AFloatingBarKeepsItsDefaultDockAcrossARestart) {
    MakeForm();
    Form->show();
    Bar("Formatting").SetDockedTo(Form->BarsAndMenus().RightDock());
    Bar("Formatting").SetDockedTo(nullptr);
    Reopen();
    Form->show();
    TCommandBar& Formatting = Bar("Formatting");
    ASSERT_EQ(Formatting.DockedTo(), nullptr);
    EXPECT_EQ(Formatting.DefaultDock, Form->BarsAndMenus().RightDock());
    QTest::mouseDClick(&Formatting, Qt::LeftButton, {}, Formatting.CaptionRect().center());
    EXPECT_EQ(Formatting.DockedTo(), Form->BarsAndMenus().RightDock());
}

TEST_F(TToolbarsTest, ButtonsFollowTheirTools) {
    MakeForm();
    TToolButton* Save = ButtonOfTool(Bar("Standard"), ToolIndex::FileSave);
    ASSERT_NE(Save, nullptr);
    EXPECT_FALSE(Save->isEnabled());
    const auto Name = File("r.txt", "r");
    Form->OpenFile(Name, true, {});
    EXPECT_TRUE(Save->isEnabled());
    TToolButton* ReadOnly = ButtonOfTool(Bar("Standard"), ToolIndex::FileReadOnly);
    ASSERT_NE(ReadOnly, nullptr);
    EXPECT_TRUE(ReadOnly->Down());
}

// A picture of the window with its toolbars, kept beside the test output.
TEST_F(TToolbarsTest, PictureOfTheWindowWithItsToolbars) {
    SetExperimental(true);
    MakeForm();
    Form->OpenFile(File("picture.txt", "Korvid\r\n"), false, {});
    Form->show();
    QApplication::processEvents();
    const QImage Picture = Form->grab().toImage();
    ASSERT_EQ(Picture.size(), Form->size() * Picture.devicePixelRatio());
    EXPECT_TRUE(Picture.save(
        QDir(QCoreApplication::applicationDirPath()).filePath("MainWindowToolbars.png")));

    // Each shown bar's first button carries its glyph: more than one colour.
    for (const char* Name : {"Standard", "Formatting", "Command Lines"}) {
        const std::vector<TToolButton*> Buttons = ButtonsOf(Bar(Name));
        ASSERT_FALSE(Buttons.empty()) << Name;
        const QRect Area(Buttons.front()->mapTo(Form.get(), QPoint(0, 0)), Buttons.front()->size());
        std::set<QRgb> Colours;
        for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
            for (int X = Area.left(); X <= Area.right(); ++X)
                Colours.insert(Picture.pixel(X, Y));
        EXPECT_GT(Colours.size(), 2u) << Name;
    }
}

// The first button of a bar that shows, if any.
TToolButton* FirstShownButton(const TCommandBar& Bar) {
    for (TToolButton* Button : ButtonsOf(Bar))
        if (Button->isVisible())
            return Button;
    return nullptr;
}

// What the window's backing store holds at a widget, against what the widget paints now:
// they differ when the widget's updates never reach the screen.
void ExpectOnScreenAsPainted(QWidget& Widget) {
    QApplication::processEvents();
    QWidget* Window = Widget.window();
    const QImage Screen = Window->screen()->grabWindow(Window->winId()).toImage();
    const QRect At(Widget.mapTo(Window, QPoint(0, 0)), Widget.size());
    EXPECT_EQ(Screen.copy(At).convertToFormat(QImage::Format_RGB32),
              Widget.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(TToolbarsTest, ShownBarsAreVisibleWidgetsThatPaintTheirToolsChanges) {
    MakeForm();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    QApplication::processEvents();
    struct TRow {
        const char* Name;
        bool Shown;
        bool HasShownButtons;
    };
    const std::vector<TRow> Rows = {{"Standard", true, true},
                                    {"Formatting", true, true},
                                    {"Command Lines", true, false},
                                    {"Extra Clipboards", false, false},
                                    {"Bookmarks", false, false}};
    const auto ToolChangeShows = [](TCommandBar& Bar) {
        TToolButton* Button = FirstShownButton(Bar);
        ASSERT_NE(Button, nullptr);
        TKorvidTool& Tool = *Button->Tool();
        const bool Was = Tool.Enabled();
        for (const bool Enabled : {!Was, Was}) {
            Tool.SetEnabled(Enabled);
            ASSERT_EQ(Button->isEnabled(), Enabled);
            ExpectOnScreenAsPainted(*Button);
        }
    };
    for (const TRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TCommandBar& B = Bar(Row.Name);
        EXPECT_EQ(B.Visible(), Row.Shown);
        EXPECT_EQ(B.isVisible(), Row.Shown);
        if (Row.HasShownButtons)
            ToolChangeShows(B);
    }

    // Each bar the other way round from the menu, the floating one too; hiding and showing
    // the window keeps the user's choice.
    for (int Index = 0; Index < Form->BarsAndMenus().Toolbars().Count(); ++Index)
        Form->BarsAndMenus().ToolbarsCommandClick(Index);
    Form->hide();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    QApplication::processEvents();
    for (const TRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TCommandBar& B = Bar(Row.Name);
        EXPECT_EQ(B.Visible(), !Row.Shown);
        EXPECT_EQ(B.isVisible(), !Row.Shown);
        if (!Row.Shown)
            ToolChangeShows(B);
    }
}

// ---- Views and auto-text, on the program's editor control ----

class TViewMenusTest : public TProgramFormTest {
protected:
    TView* Pascal = nullptr;
    TView* Amp = nullptr;

    // The program's window with the views "Pascal" and "A&B" beside the default one.
    void MakeProgramFormWithViews() {
        MakeProgramForm();
        Views->List().GetDefaultView();
        auto P = std::make_unique<TView>();
        P->SetName("Pascal");
        P->Wildcards = "*.pas";
        P->ShortCut = ShortCutOfStep('P', StepCtrl | StepAlt | StepShift);
        P->AutoText.Add({"par", '|', "Brackets & all", "(|)",
                         ShortCutOfStep('B', StepCtrl | StepAlt | StepShift)});
        P->AutoText.Add({"beg", 0, "Begin", "begin end", 0});
        Pascal = &Views->List().Add(std::move(P));
        auto A = std::make_unique<TView>();
        A->SetName("A&B");
        Amp = &Views->List().Add(std::move(A));
        Form->BuildViewsMenu();
    }

    TEditor& Control() { return static_cast<TEditorDocument*>(Form->ActiveEditor())->Control(); }
    std::string Text() { return Form->ActiveEditor()->Paragraphs().front(); }
    void Key(QWidget& Target, Qt::Key Code, Qt::KeyboardModifiers Shift) {
        QKeyEvent Press(QEvent::KeyPress, Code, Shift);
        QApplication::sendEvent(&Target, &Press);
    }
};

TEST_F(TViewMenusTest, ViewsAreSortedWithoutAmpersandsAndShowTheirShortcuts) {
    MakeProgramFormWithViews();
    Form->NewTab("File 1");
    const std::string PascalText = "Pascal\t" + ShortCutToText(Pascal->ShortCut);
    EXPECT_EQ(Texts(*Form->BarsAndMenus().ViewsMenu()),
              (std::vector<std::string>{"A&&B", PascalText, "Plain Text"}));
    EXPECT_EQ(Checks(*Form->BarsAndMenus().ViewsMenu()), (std::vector<bool>{false, false, true}));

    ItemNamed(*Form->BarsAndMenus().ViewsMenu(), PascalText)->trigger();
    EXPECT_EQ(Control().View(), Pascal);
    EXPECT_TRUE(Form->ActiveEditor()->ViewChosenByUser);
    EXPECT_EQ(Checks(*Form->BarsAndMenus().ViewsMenu()), (std::vector<bool>{false, true, false}));

    Form->ActiveEditor()->InsertTextAtCaret("x");
    TScriptedModals Modals;
    Modals.Then(ChooseFiles({Dir / "x.txt"}));
    ASSERT_TRUE(Form->SaveEditorAs(Form->ActiveEditor()));
    EXPECT_EQ(Control().View(), Pascal);
}

TEST_F(TViewMenusTest, NoViewsLeaveOneDisabledItem) {
    MakeProgramFormWithViews();
    Views->List().Clear();
    Form->BuildViewsMenu();
    ASSERT_EQ(Texts(*Form->BarsAndMenus().ViewsMenu()), (std::vector<std::string>{"Views"}));
    EXPECT_FALSE(Form->BarsAndMenus().ViewsMenu()->actions().front()->isEnabled());
}

TEST_F(TViewMenusTest, AViewsShortcutAppliesItButAToolsShortcutWins) {
    MakeProgramFormWithViews();
    const auto Name = File("k.txt", "k");
    Form->OpenFile(Name, false, {});
    Key(Control(), Qt::Key_P, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Control().View(), Pascal);
    EXPECT_TRUE(Form->ActiveEditor()->ViewChosenByUser);

    Amp->ShortCut = ShortCutOfStep('S', StepCtrl); // FileSave's
    Form->ActiveEditor()->InsertTextAtCaret("x");
    Key(Control(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Control().View(), Pascal);
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
}

TEST_F(TViewMenusTest, AutoTextMenusMirrorTheActiveView) {
    MakeProgramFormWithViews();
    Form->NewTab("File 1");
    EXPECT_TRUE(Form->BarsAndMenus().AutoTextMenu()->isEmpty());
    Form->ActiveEditor()->SetView(Views->Item(Views->List().IndexOf(Pascal)));
    const std::vector<std::string> Expected{
        "Brackets && all\t" + ShortCutToText(ShortCutOfStep('B', StepCtrl | StepAlt | StepShift)),
        "Begin"};
    for (QMenu* Menu :
         {Form->BarsAndMenus().AutoTextMenu(), Form->BarsAndMenus().HiddenAutoTextMenu()}) {
        EXPECT_EQ(Texts(*Menu), Expected);
        EXPECT_EQ(Menu->actions()[1]->data().toInt(), 1);
    }
    EXPECT_FALSE(Form->BarsAndMenus().HiddenAutoTextMenu()->actions()[0]->isVisible());
    ItemNamed(*Form->BarsAndMenus().ViewsMenu(), "A&&B")->trigger();
    EXPECT_TRUE(Form->BarsAndMenus().AutoTextMenu()->isEmpty());
}

TEST_F(TViewMenusTest, AutoTextGoesAroundTheSelectionInOneUndoStep) {
    MakeProgramFormWithViews();
    const bool MoveAfterPaste = TEngCustomEditor::MoveAfterPaste;
    Form->OpenFile(File("a.pas", "xabcx"), false, {});
    ASSERT_EQ(Control().View(), Pascal);
    TEngCustomEditor& E = Control().Editor();
    E.SetSelection(1, 2, 1, 5, true);
    Form->BarsAndMenus().AutoTextMenu()->actions()[0]->trigger();
    EXPECT_EQ(Text(), "x(abc)x");
    EXPECT_EQ(E.CaretPos(), 6);
    Form->ActiveEditor()->Undo();
    EXPECT_EQ(Text(), "xabcx");
    EXPECT_FALSE(Form->ActiveEditor()->CanUndo());

    E.MoveCaret(1, 3);
    Form->BarsAndMenus().AutoTextMenu()->actions()[0]->trigger();
    EXPECT_EQ(Text(), "xa()bcx");
    EXPECT_EQ(E.CaretPos(), 4); // between the brackets

    E.SetSelection(1, 1, 1, 2, true);
    Form->BarsAndMenus().AutoTextMenu()->actions()[1]->trigger(); // no cursor character: replaces
    EXPECT_EQ(Text(), "begin enda()bcx");
    EXPECT_EQ(E.CaretPos(), 10);
    EXPECT_EQ(TEngCustomEditor::MoveAfterPaste, MoveAfterPaste);
}

TEST_F(TViewMenusTest, AutoTextLeavesAReadOnlyDocumentAlone) {
    MakeProgramFormWithViews();
    Form->OpenFile(File("r.pas", "abc"), true, {});
    Control().Editor().SetSelection(1, 1, 1, 4, true);
    Form->BarsAndMenus().AutoTextMenu()->actions()[0]->trigger();
    EXPECT_EQ(Text(), "abc");
    EXPECT_FALSE(Form->ActiveEditor()->Modified());
}

TEST_F(TViewMenusTest, AnAutoTextShortcutWorksAnywhereInTheWindow) {
    MakeProgramFormWithViews();
    Form->OpenFile(File("s.pas", "ab"), false, {});
    Control().Editor().MoveCaret(1, 2);
    Key(*Form, Qt::Key_B, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), "a()b");
    Key(Control(), Qt::Key_B, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), "a(())b");
}

} // namespace
} // namespace korvid::test
