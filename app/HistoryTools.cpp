#include "app/HistoryTools.h"

#include "app/DocumentEditor.h"
#include "app/MainWindowSettings.h"
#include "app/WindowHost.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "workspace/DefaultMenus.h"
#include "workspace/HistoryService.h"
#include "workspace/KorvidOptions.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"

#include <QBoxLayout>
#include <QMenu>
#include <QScreen>
#include <QTreeWidget>

namespace korvid {

THistoryTools::THistoryTools(TWindowHost& Window, THistoryToolsHost& Host)
    : FWindow(Window), FHost(Host) {}

// ---- The History window -------------------------------------------------------------------------

void THistoryTools::PrepareWindow() {
    THistoryService& History = FHost.History();
    History.OnChanged = [this] { BuildReopenMenu(); };
    History.OnStateChanged = [this] { FWindow.UpdateCommandStates(); };
    QWidget* Window = History.Window();
    if (!Window)
        return;
    const TMainWindowSettings& Settings = FWindow.WindowSettings();
    // A tool window of the main one: on top of it, and gone with it.
    Window->setParent(FWindow.DialogParent(), Window->windowFlags());
    const TWindowPlacement& Place = Settings.History;
    if (Place.Width > 0 && Place.Height > 0)
        Window->resize(Place.Width, Place.Height);
    Window->move(Place.Left, Place.Top);
    FillToolPanel(History.ToolPanel());
    if (auto* List = Window->findChild<QTreeWidget*>()) {
        for (int Column = 0; Column < int(Settings.HistoryColumnWidths.size()); ++Column)
            List->setColumnWidth(Column, Settings.HistoryColumnWidths[Column]);
        auto* Popup = new QMenu(Window);
        BuildMenu(*Popup, {"HistoryOpen", "HistoryRemove"}, Popup, true);
        List->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(List, &QWidget::customContextMenuRequested, Popup,
                         [List, Popup](const QPoint& Point) {
                             Popup->popup(List->viewport()->mapToGlobal(Point));
                         });
    }
    History.OnVisibilityChanged = [this, Window] {
        StoreWindow();
        FWindow.WindowSettings().HistoryVisible = Window->isVisible();
        SyncWindowTool(Window, ToolIndex::ViewHistory);
    };
}

void THistoryTools::FillToolPanel(QWidget* Panel) {
    auto* Row = Panel ? qobject_cast<QBoxLayout*>(Panel->layout()) : nullptr;
    if (!Row)
        return;
    int Place = 0;
    for (const int Index : {ToolIndex::HistoryOpen, ToolIndex::HistoryRemove}) {
        auto* Button = new TToolButton(Panel, true, ToolList().Items(Index));
        Button->setFixedSize(Button->size());
        Row->insertWidget(Place++, Button);
    }
}

void THistoryTools::ShowAtStart() {
    if (FWindow.WindowSettings().HistoryVisible)
        if (QWidget* Window = FHost.History().Window()) {
            FHost.History().KeepOnScreen();
            Window->show();
        }
}

void THistoryTools::StoreWindow() {
    QWidget* Window = FHost.History().Window();
    if (!Window || Window->x() == OffScreenPosition)
        return;
    TMainWindowSettings& Settings = FWindow.WindowSettings();
    Settings.History = {Window->x(), Window->y(), Window->width(), Window->height(), false};
    Settings.HistoryFormLeft = Window->x();
    Settings.HistoryFormTop = Window->y();
    if (auto* List = Window->findChild<QTreeWidget*>())
        for (int Column = 0; Column < int(Settings.HistoryColumnWidths.size()); ++Column)
            Settings.HistoryColumnWidths[Column] = List->columnWidth(Column);
}

void THistoryTools::StoreForClose() {
    StoreWindow();
    FHost.History().OnVisibilityChanged = nullptr;
}

void THistoryTools::Disconnect() {
    THistoryService& History = FHost.History();
    History.OnChanged = nullptr;
    History.OnStateChanged = nullptr;
    History.OnVisibilityChanged = nullptr;
}

void THistoryTools::SyncWindowTool(QWidget* Window, int ToolIndex) {
    const bool Visible = Window && Window->isVisible();
    ToolList().Items(ToolIndex)->SetDown(Visible);
    if (FHost.StartingUp())
        return;
    if (Visible)
        Window->setFocus();
    else if (TDocumentEditor* Editor = FWindow.ActiveEditor())
        Editor->setFocus();
}

// ---- The menu of the newest files ---------------------------------------------------------------

void THistoryTools::BuildReopenMenu() {
    QMenu* Menu = FHost.ReopenMenu();
    if (!Menu)
        return;
    const THistoryService& History = FHost.History();
    Menu->clear();
    const QScreen* Screen = FWindow.DialogParent()->screen();
    const int Limit = Screen && Screen->geometry().height() < 768 ? 16 : 36;
    for (int Rank = 0; Rank < History.Count() && Rank < Limit; ++Rank) {
        const char Accelerator = Rank < 9    ? char('1' + Rank)
                                 : Rank == 9 ? '0'
                                             : char('A' + Rank - 10);
        const std::string Caption = std::string("&") + Accelerator + "  " +
                                    DoubleChar('&', PathDisplayText(History.PathOfRank(Rank)));
        QAction* Item = Menu->addAction(ToQString(Caption));
        Item->setData(Rank);
        QObject::connect(Item, &QAction::triggered, Item, [this, Rank] { Reopen(Rank); });
    }
    if (Menu->isEmpty())
        Menu->addAction("History")->setEnabled(false);
}

void THistoryTools::Reopen(int Rank) {
    if (Rank < 0 || Rank >= FHost.History().Count())
        return;
    FHost.OpenDroppedFiles({FHost.History().PathOfRank(Rank)}, false);
}

// ---- The History tools --------------------------------------------------------------------------

void THistoryTools::ToggleWindow() {
    QWidget* Window = FHost.History().Window();
    if (!Window)
        return;
    if (Window->isVisible()) {
        Window->close();
    } else {
        FHost.History().KeepOnScreen();
        Window->show();
        Window->raise();
        Window->activateWindow();
    }
    SyncWindowTool(Window, ToolIndex::ViewHistory);
}

void THistoryTools::OpenSelected() {
    const std::string Path = FHost.History().SelectedPath();
    if (!Path.empty())
        FHost.OpenByKind(Path);
}

void THistoryTools::RemoveSelected() {
    FHost.History().RemoveSelected(FWindow.Options().RemoveFavouriteMessage);
    FWindow.UpdateCommandStates();
}

} // namespace korvid
