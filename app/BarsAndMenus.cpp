#include "app/BarsAndMenus.h"

#include "app/DocumentEditor.h"
#include "app/WindowHost.h"
#include "editor/Editor.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/RegistryStore.h"
#include "ui/CommandBars.h"
#include "ui/ModalRunner.h"
#include "ui/VirtualKeys.h"
#include "views/ViewList.h"
#include "views/ViewsForm.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"
#include "workspace/ToolbarList.h"
#include "workspace/ToolbarSettings.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>

namespace korvid {

namespace {

constexpr std::string_view Separator = "-";

// Sorted by caption without "&", ignoring case; equal captions keep their list order.
struct TSortedEntry {
    std::string Key;
    int Index = 0;
};

void SortEntries(std::vector<TSortedEntry>& Entries) {
    std::stable_sort(Entries.begin(), Entries.end(),
                     [](const TSortedEntry& A, const TSortedEntry& B) {
                         return CompareText1252(A.Key, B.Key) < 0;
                     });
}

// "caption<tab>shortcut", the way tool items show their shortcut.
QString ItemText(const std::string& Caption, std::uint16_t ShortCut) {
    std::string Text = DoubleChar('&', Caption);
    if (ShortCut != 0)
        Text += "\t" + ShortCutToText(ShortCut);
    return ToQString(Text);
}

// The name a bar's buttons have in the stored layout: the tool's name, "-" for a separator.
std::vector<std::string> ButtonNames(const TCommandBar& Bar) {
    std::vector<std::string> Names;
    for (QObject* Child : Bar.children()) {
        if (dynamic_cast<TCommandBarSeparator*>(Child))
            Names.emplace_back(Separator);
        else if (auto* Button = dynamic_cast<TToolButton*>(Child); Button && Button->Tool())
            Names.push_back(Button->Tool()->Name());
    }
    return Names;
}

// Blanks end a word as well as the view's own delimiters.
bool EndsWord(char C, const std::string& Delimiters) {
    return C == ' ' || C == '\t' || Delimiters.find(C) != std::string::npos;
}

} // namespace

// ---- Docks --------------------------------------------------------------------------------------

// The places the bars were loaded at, put back each time the maximized window gets a new size,
// until the user first presses a mouse button anywhere (the press that may drag a bar).
class TStoredBarPlaces : public QObject {
public:
    TStoredBarPlaces(QWidget& Window, std::function<void()> Restore)
        : FWindow(Window), FRestore(std::move(Restore)) {
        Window.installEventFilter(this);
        qApp->installEventFilter(this);
    }
    ~TStoredBarPlaces() override {
        if (qApp)
            qApp->removeEventFilter(this);
        FWindow.removeEventFilter(this);
    }
    TStoredBarPlaces(const TStoredBarPlaces&) = delete;
    TStoredBarPlaces& operator=(const TStoredBarPlaces&) = delete;

    struct TPlace {
        QPointer<TCustomBar> Bar;
        TDock* Dock = nullptr;
        int Lane = 0;
        int Offset = 0;
    };
    std::vector<TPlace> Places;
    bool Touched() const { return FTouched; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::MouseButtonPress) {
            FTouched = true;
            qApp->removeEventFilter(this);
            FWindow.removeEventFilter(this);
        } else if (Watched == &FWindow && !FTouched &&
                   (Event->type() == QEvent::Resize ||
                    Event->type() == QEvent::WindowStateChange) &&
                   FWindow.isVisible() && FWindow.isMaximized())
            // After the window's own layout has handed the docks their new lengths.
            QTimer::singleShot(0, this, FRestore);
        return false;
    }

private:
    QWidget& FWindow;
    std::function<void()> FRestore;
    bool FTouched = false;
};

TBarsAndMenus::TBarsAndMenus(TWindowHost& Window, TBarsAndMenusHost& Host)
    : FWindow(Window), FHost(Host), FToolbars(std::make_unique<TToolbarList>()) {}

TBarsAndMenus::~TBarsAndMenus() = default;

QWidget* TBarsAndMenus::CreateDocks(QWidget& Middle) {
    QWidget* Window = FWindow.DialogParent();
    auto* Central = new QWidget(Window);
    FDockArea = Central;
    FTopDock = new TDock(Window, dpTop);
    FBottomDock = new TDock(Window, dpBottom);
    FLeftDock = new TDock(Window, dpLeft);
    FRightDock = new TDock(Window, dpRight);
    for (TDock* Dock : {FTopDock, FBottomDock, FLeftDock, FRightDock})
        Dock->SetParent(Central);
    auto* Column = new QVBoxLayout(Central);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);
    auto* Row = new QHBoxLayout;
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(0);
    Row->addWidget(FLeftDock);
    Row->addWidget(&Middle, 1);
    Row->addWidget(FRightDock);
    Column->addWidget(FTopDock);
    Column->addLayout(Row, 1);
    Column->addWidget(FBottomDock);
    return Central;
}

void TBarsAndMenus::CreateMenus(QMenuBar& MenuBar, QMenu* ToolbarsMenu, QMenu* ViewsMenu) {
    FToolbarsMenu = ToolbarsMenu;
    FCurrentFileAsMenu = ViewsMenu;
    FToolbarPopupMenu = new QMenu(FWindow.DialogParent());
    FAutoTextMenu = new QMenu(FWindow.DialogParent());
    // Holds the auto-text entries' items so that their shortcuts work anywhere in the window.
    FHiddenAutoTextMenu = MenuBar.addMenu("AutoText");
    FHiddenAutoTextMenu->menuAction()->setVisible(false);
}

void TBarsAndMenus::DetachToolbars() {
    for (int Index = 0; Index < FToolbars->Count(); ++Index) {
        TCommandBar* Bar = FToolbars->Items(Index);
        Bar->OnClose = Bar->OnVisibleChanged = Bar->OnDockChanged = nullptr;
    }
    FToolbars->Clear();
}

int TBarsAndMenus::DockIndex(const QWidget* Dock) const {
    if (!Dock)
        return 0;
    if (Dock == FTopDock)
        return tdTop;
    if (Dock == FBottomDock)
        return tdBottom;
    if (Dock == FLeftDock)
        return tdLeft;
    if (Dock == FRightDock)
        return tdRight;
    return 0;
}

TDock* TBarsAndMenus::DockOfIndex(int Index) const {
    switch (Index) {
    case tdTop:
        return FTopDock;
    case tdBottom:
        return FBottomDock;
    case tdLeft:
        return FLeftDock;
    case tdRight:
        return FRightDock;
    default:
        return nullptr;
    }
}

// ---- Toolbars -----------------------------------------------------------------------------------

void TBarsAndMenus::BuildToolbar(TCommandBar& Bar, const std::vector<std::string>& Names) {
    for (TKorvidTool* Tool : ToolsOfNames(Names)) {
        if (!Tool) {
            new TCommandBarSeparator(&Bar);
            continue;
        }
        auto* Button = new TToolButton(&Bar, true, Tool);
        // The auto-text button has no command of its own: any click opens the entries.
        if (Tool->Index() == ToolIndex::FormatAutoTextDropDown)
            Button->SetDropdownMenu(FAutoTextMenu);
    }
    Bar.Remeasure();
}

void TBarsAndMenus::LoadToolbars() {
    const std::vector<TToolbarLayout> Layouts = LoadToolbarLayouts();
    const std::array<TDock*, 4> Docks{FTopDock, FBottomDock, FLeftDock, FRightDock};
    for (TDock* Dock : Docks)
        Dock->BeginUpdate();
    TBarTempList Temps;
    for (const TToolbarLayout& Layout : Layouts) {
        auto* Bar = new TCommandBar(FWindow.DialogParent());
        FToolbars->Add(Bar);
        Bar->SetCaption(ToQString(Layout.Name));
        Bar->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(
            Bar, &QWidget::customContextMenuRequested, FWindow.DialogParent(),
            [this, Bar](const QPoint& At) { FToolbarPopupMenu->popup(Bar->mapToGlobal(At)); });
        Bar->OnClose = [this](TCustomBar*) { BuildToolbarsMenu(); };
        Bar->OnVisibleChanged = [this](TCustomBar*) { BuildToolbarsMenu(); };
        Bar->OnDockChanged = [this](TCustomBar* Sender) { ToolbarDockChanged(*Sender); };
        BuildToolbar(*Bar, Layout.Buttons);
        // A floating bar keeps the dock it goes back to when double-clicked.
        TDock* Stored = DockOfIndex(Layout.Dock);
        TDock* Dock = Layout.Docked ? Stored : nullptr;
        Bar->DefaultDock = Stored ? Stored : FTopDock;
        // A docked bar keeps its floating place for the time it floats again.
        Bar->SetFloatingPlace({Layout.FloatLeft, Layout.FloatTop});
        if (Dock) {
            Bar->DockRow = Layout.Lane;
            Bar->DockPos = Layout.Offset;
            Bar->SetDockedTo(Dock);
        } else {
            const QMargins Frame = Bar->FrameMargins();
            if (Layout.FloatRightX)
                Bar->FloatRightX = *Layout.FloatRightX;
            else if (Layout.FloatRight >= 0)
                Bar->FloatRightX = std::max(
                    Layout.FloatRight - Layout.FloatLeft - Frame.left() - Frame.right(), 0);
            Bar->Remeasure();
        }
        TBarTemp* Temp = Temps.Add(Bar);
        Temp->Lane = Layout.Lane;
        Temp->Offset = Layout.Offset;
        Temp->Visible = Layout.Visible;
    }
    for (int Index = 0; Index < Temps.Count(); ++Index) {
        const TBarTemp& Temp = *Temps.Items(Index);
        // A floating bar keeps its row and offset too, for the layout stored at the end.
        Temp.Bar->DockRow = Temp.Lane;
        Temp.Bar->DockPos = Temp.Offset;
        Temp.Bar->setVisible(Temp.Visible);
        Temp.Bar->KeepOnScreen(false);
    }
    KeepStoredPlacesUntilMaximized();
    EndDockUpdates();
}

void TBarsAndMenus::KeepStoredPlacesUntilMaximized() {
    FStoredPlaces.reset();
    QWidget& Window = *FWindow.DialogParent();
    if (Window.isVisible() || !(Window.windowState() & Qt::WindowMaximized))
        return;
    FStoredPlaces = std::make_unique<TStoredBarPlaces>(Window, [this] {
        if (FStoredPlaces->Touched())
            return;
        const std::array<TDock*, 4> Docks{FTopDock, FBottomDock, FLeftDock, FRightDock};
        for (TDock* Dock : Docks)
            Dock->BeginUpdate();
        for (const TStoredBarPlaces::TPlace& Place : FStoredPlaces->Places)
            if (Place.Bar && Place.Bar->DockedTo() == Place.Dock) {
                Place.Bar->DockRow = Place.Lane;
                Place.Bar->DockPos = Place.Offset;
            }
        EndDockUpdates();
    });
    for (int Index = 0; Index < FToolbars->Count(); ++Index) {
        TCommandBar* Bar = FToolbars->Items(Index);
        if (TDock* Dock = Bar->DockedTo())
            FStoredPlaces->Places.push_back({Bar, Dock, Bar->DockRow, Bar->DockPos});
    }
}

// The window's layout gives the docks their lengths only when it shows. Laid out before that,
// against docks too short, the bars would be pulled back and stored there: a layout saved and
// loaded again would not be the same. The side docks go last, as they run between the others.
void TBarsAndMenus::EndDockUpdates() {
    const auto SizeDocks = [this] {
        for (QWidget* Widget : {FWindow.DialogParent(), FDockArea})
            if (QLayout* Layout = Widget->layout()) {
                Layout->invalidate();
                Layout->activate();
            }
    };
    SizeDocks();
    FTopDock->EndUpdate();
    FBottomDock->EndUpdate();
    SizeDocks();
    FLeftDock->EndUpdate();
    FRightDock->EndUpdate();
}

// The click that asked for it may come from a button of a bar about to be freed.
void TBarsAndMenus::ResetToolbars() {
    QTimer::singleShot(0, FWindow.DialogParent(), [this] { ResetToolbarsNow(); });
}

void TBarsAndMenus::ResetToolbarsNow() {
    ResetToolbarLayouts();
    const std::array<TDock*, 4> Docks{FTopDock, FBottomDock, FLeftDock, FRightDock};
    for (TDock* Dock : Docks)
        Dock->BeginUpdate();
    for (int Index = FToolbars->Count() - 1; Index >= 0; --Index) {
        TCommandBar* Bar = FToolbars->Items(Index);
        Bar->OnClose = Bar->OnVisibleChanged = Bar->OnDockChanged = nullptr;
        delete Bar;
    }
    FToolbars->Clear();
    for (TDock* Dock : Docks)
        Dock->EndUpdate();
    LoadToolbars();
    BuildToolbarsMenu();
}

void TBarsAndMenus::SaveToolbars() {
    std::vector<TToolbarLayout> Layouts;
    for (int Index = 0; Index < FToolbars->Count(); ++Index) {
        const TCommandBar& Bar = *FToolbars->Items(Index);
        TToolbarLayout Layout;
        Layout.Name = FromQString(Bar.Caption());
        Layout.Visible = Bar.Visible();
        Layout.Docked = Bar.DockedTo() != nullptr;
        Layout.Dock = DockIndex(Bar.DockedTo() ? Bar.DockedTo() : Bar.DefaultDock);
        Layout.Lane = Bar.DockRow;
        Layout.Offset = Bar.DockPos;
        const TBarPoint Place = Bar.FloatingPlace();
        Layout.FloatLeft = Place.X;
        Layout.FloatTop = Place.Y;
        Layout.FloatRightX = Bar.FloatRightX;
        // The floating window's right edge, for layouts read by older versions.
        const TBarSize Outer = const_cast<TCommandBar&>(Bar).OuterSizeAt(nullptr);
        Layout.FloatRight = Bar.FloatRightX == 0 ? -1 : Place.X + Outer.Width;
        Layout.Buttons = ButtonNames(Bar);
        Layouts.push_back(std::move(Layout));
    }
    SaveToolbarLayouts(Layouts);
}

void TBarsAndMenus::BuildToolbarsMenu() {
    if (!FToolbarsMenu || !FToolbarPopupMenu)
        return;
    FToolbarsMenu->clear();
    FToolbarPopupMenu->clear();
    std::vector<TSortedEntry> Entries;
    for (int Index = 0; Index < FToolbars->Count(); ++Index)
        Entries.push_back({FromQString(FToolbars->Items(Index)->Caption()), Index});
    SortEntries(Entries);
    for (const TSortedEntry& Entry : Entries) {
        const bool Shown = FToolbars->Items(Entry.Index)->Visible();
        for (QMenu* Menu : {FToolbarsMenu, FToolbarPopupMenu}) {
            QAction* Item = Menu->addAction(ToQString(DoubleChar('&', Entry.Key)));
            Item->setData(Entry.Index);
            Item->setCheckable(true);
            Item->setChecked(Shown);
            const int Tag = Entry.Index;
            QObject::connect(Item, &QAction::triggered, FWindow.DialogParent(),
                             [this, Tag] { ToolbarsCommandClick(Tag); });
        }
    }
}

void TBarsAndMenus::ToolbarsCommandClick(int Tag) {
    if (Tag >= 0 && Tag < FToolbars->Count()) {
        TCommandBar* Bar = FToolbars->Items(Tag);
        Bar->setVisible(!Bar->Visible());
    }
    BuildToolbarsMenu();
}

void TBarsAndMenus::ToolbarDockChanged(TCustomBar& Bar) {
    if (TDock* Dock = Bar.DockedTo())
        Bar.DefaultDock = Dock;
}

// ---- Views and auto-text menus ------------------------------------------------------------------

void TBarsAndMenus::BuildViewsMenu() {
    if (!FCurrentFileAsMenu || FHost.Destroying())
        return;
    FCurrentFileAsMenu->clear();
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    const TDocumentView* Active = Editor ? Editor->View() : nullptr;
    TViewCatalogue& Views = FHost.Views();
    std::vector<TSortedEntry> Entries;
    for (int Index = 0; Index < Views.Count(); ++Index) {
        std::string Name = Views.Item(Index)->Name;
        RemoveChar('&', Name);
        Entries.push_back({std::move(Name), Index});
    }
    SortEntries(Entries);
    for (const TSortedEntry& Entry : Entries) {
        const TDocumentView* View = Views.Item(Entry.Index);
        QAction* Item = FCurrentFileAsMenu->addAction(ItemText(View->Name, View->ShortCut));
        Item->setData(Entry.Index);
        Item->setCheckable(true);
        Item->setChecked(View == Active);
        const int Tag = Entry.Index;
        QObject::connect(Item, &QAction::triggered, FWindow.DialogParent(),
                         [this, Tag] { ViewsCommandClick(Tag); });
    }
    if (Entries.empty())
        FCurrentFileAsMenu->addAction("Views")->setEnabled(false);

    FAutoTextMenu->clear();
    FHiddenAutoTextMenu->clear();
    if (!Active)
        return;
    for (int Index = 0; Index < int(Active->AutoText.size()); ++Index) {
        const auto& Entry = Active->AutoText[Index];
        for (QMenu* Menu : {FAutoTextMenu, FHiddenAutoTextMenu}) {
            QAction* Item = Menu->addAction(ItemText(Entry.Description, Entry.ShortCut));
            Item->setData(Index);
            Item->setVisible(Menu == FAutoTextMenu);
            QObject::connect(Item, &QAction::triggered, FWindow.DialogParent(),
                             [this, Index] { AutoTextCommandClick(Index); });
        }
    }
}

void TBarsAndMenus::ViewsCommandClick(int Tag) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    TViewCatalogue& Views = FHost.Views();
    if (Tag >= 0 && Tag < Views.Count() && Editor) {
        Editor->SetView(Views.Item(Tag));
        Editor->ViewChosenByUser = true;
    }
    BuildViewsMenu();
    FWindow.UpdateCommandStates();
}

void TBarsAndMenus::AutoTextCommandClick(int Tag) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    const TDocumentView* View = Editor ? Editor->View() : nullptr;
    if (!View || Tag < 0 || Tag >= int(View->AutoText.size()))
        return;
    Editor->InsertAutoText(Tag);
    FWindow.UpdateCommandStates();
}

bool TBarsAndMenus::RunViewShortCut(std::uint16_t ShortCut) {
    if (ShortCut == 0)
        return false;
    TViewCatalogue& Views = FHost.Views();
    for (int Index = 0; Index < Views.Count(); ++Index)
        if (Views.Item(Index)->ShortCut == ShortCut) {
            ViewsCommandClick(Index);
            return true;
        }
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    const TDocumentView* View = Editor ? Editor->View() : nullptr;
    if (!View)
        return false;
    for (int Index = 0; Index < int(View->AutoText.size()); ++Index)
        if (View->AutoText[Index].ShortCut == ShortCut) {
            AutoTextCommandClick(Index);
            return true;
        }
    return false;
}

void TBarsAndMenus::ExpandAutoText() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    const TDocumentView* View = Editor && !Editor->ReadOnly() ? Editor->View() : nullptr;
    if (!View)
        return;
    const std::string Line = Editor->GetCurrentLineText();
    const int Caret = std::min(Editor->CaretPosInLine() - 1, static_cast<int>(Line.size()));
    int Start = Caret;
    while (Start > 0 && !EndsWord(Line[Start - 1], View->WordDelimiters))
        --Start;
    const std::string Word = Line.substr(Start, Caret - Start);
    const auto Entry =
        std::find_if(View->AutoText.begin(), View->AutoText.end(),
                     [&Word](const auto& Item) { return Item.Abbreviation == Word; });
    if (Word.empty() || Entry == View->AutoText.end())
        return;
    const int Row = Editor->GetCaretLine();
    const bool State = Editor->BeginEdit();
    Editor->SetSelection(Row, Start + 1, Row, Caret + 1, true);
    Editor->InsertTextAtCaret({});
    Editor->InsertAutoText(static_cast<int>(Entry - View->AutoText.begin()));
    Editor->EndEdit(State);
    FWindow.UpdateCommandStates();
}

void TBarsAndMenus::DefineViews() {
    TViewList* List = FHost.Views().EditableList();
    if (List == nullptr)
        return;
    TViewsForm Form(FWindow.DialogParent());
    Form.OnViewChanged = [this](TView& View, int Kind) { NotifyViewChanged(View, Kind); };
    Form.SetViews(*List);
    const TDocumentEditor* Shown = FWindow.ActiveEditor();
    Form.SelectView(Shown && Shown->View() ? Shown->View()->Source : nullptr);
    const int Result = RunModal(Form);
    // The dialog changes the views in place; they are stored at once, whole.
    if (FHost.SavesSettings()) {
        TRegistryTransaction Transaction;
        FHost.Views().SaveToRegistry();
        Transaction.CommitAll();
    }
    BuildViewsMenu();
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    TView* Chosen = Form.GetSelectedView();
    if (Result == TViewsForm::ApplyResult && Chosen != nullptr && Editor != nullptr) {
        Editor->SetView(FHost.Views().MirrorOf(*Chosen));
        Editor->ViewChosenByUser = true;
        BuildViewsMenu();
    }
    FWindow.UpdateCommandStates();
}

// A deleted view's editors switch to the default view and its mirror goes while the view still
// exists, so that nothing is left pointing at it once it is freed.
void TBarsAndMenus::NotifyViewChanged(TView& View, int Kind) {
    for (TDocumentEditor* Editor : FHost.OpenDocuments())
        Editor->ViewChanged(View, Kind);
    FHost.Views().ViewChanged(View, Kind);
    // Rebuilding the menu now would mirror a deleted view again; its caller rebuilds it once
    // the view is gone.
    if (Kind == vcChanged)
        BuildViewsMenu();
}

} // namespace korvid
