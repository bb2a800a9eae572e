#pragma once

#include "platform/Colors.h"
#include "workspace/ToolHandlers.h"

#include <QStyledItemDelegate>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QKeyEvent;
class QLabel;
class QListView;
class QMenu;
class QMouseEvent;
class QTabWidget;
class QTimer;
class QTreeView;

namespace korvid {

class TCommandBar;
class TDebugger;
class TDebuggerHost;
class TDock;
struct TVariableDetails;

// The lines one item of a debugging list is drawn with; empty lines are left out.
using TDebugItemTexts = std::array<QString, 3>;

// Draws one item of a debugging list: Background fills the item (the highlight while it is
// selected), Icon sits at its left when it is not null, the texts follow line under line.
void DrawDebugListItem(QPainter& Painter, const QStyleOptionViewItem& Option,
                       const TDebugItemTexts& Texts, const QColor& Background,
                       const QIcon& Icon = {});
// The height of an item of three lines in the font.
int DebugListItemHeight(const QFontMetrics& Metrics);

// The Breakpoints and Call Stack lists' items: the located source text, the routine and the
// place; a disabled breakpoint on the button face, the one at the execution point yellow.
class TDebugItemDelegate : public QStyledItemDelegate {
public:
    TDebugItemDelegate(const TDebugger& Debugger, bool Breakpoints, QObject* Parent);
    // What the item at Index is drawn with.
    TDebugItemTexts ItemTexts(const QModelIndex& Index) const;
    QColor ItemBackground(const QModelIndex& Index, const QPalette& Palette) const;
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override;
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;

private:
    const TDebugger& FDebugger;
    bool FBreakpoints;
};

// The Watches list's items: the full name (and type), the previous and the current value;
// yellow when the value changed.
class TWatchItemDelegate : public QStyledItemDelegate {
public:
    TWatchItemDelegate(const TDebugger& Debugger, const TDebuggerHost& Host, QObject* Parent);
    TDebugItemTexts ItemTexts(const QModelIndex& Index) const;
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override;
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;

private:
    const TDebugger& FDebugger;
    const TDebuggerHost& FHost;
};

// The structure tree's nodes: the picture the model names, when icons are shown.
class TStructureItemDelegate : public QStyledItemDelegate {
public:
    TStructureItemDelegate(const TDebuggerHost& Host, QObject* Parent);

protected:
    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override;

private:
    const TDebuggerHost& FHost;
};

// The evaluation hint: a small window over everything that never takes the keyboard.
class TDebuggerHintWindow : public QWidget {
public:
    static constexpr int MaxWidth = 500;
    explicit TDebuggerHintWindow(QWidget* Parent = nullptr);
    // The size the text needs, wrapped at MaxWidth, with its top-left corner at 0, 0.
    QRect CalcHintRect(int MaxWidth, const QString& Text) const;
    // Shows Text over Rect made 4 pixels taller, without activating.
    void ActivateHint(const QRect& Rect, const QString& Text);
    const QString& Text() const { return FText; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QString FText;
};

// The debugging bar: the debugging tools, the heap and stack figures, and the Breakpoints,
// Call Stack, Structure and Watches pages over the debugger's lists. What its controls do is
// the main window's: it hands the events to the handlers set here.
class TDebuggingBar : public QWidget {
public:
    // OwnerForm owns the toolbar's dock; Tools are the toolbar's tool names and "-".
    TDebuggingBar(QWidget* OwnerForm, TDebugger& Debugger, const TDebuggerHost& Host,
                  const std::vector<std::string>& Tools);
    ~TDebuggingBar() override;

    TDock* ToolbarDock = nullptr;
    // The first of the toolbar's rows.
    TCommandBar* DebuggingToolbar = nullptr;
    std::vector<TCommandBar*> ToolbarRows;
    QLabel* HeapStackLabel = nullptr;
    QTabWidget* DebuggingTabs = nullptr;
    QWidget* BreakpointsTab = nullptr;
    QWidget* CallStackTab = nullptr;
    QWidget* StructureTab = nullptr;
    QWidget* WatchesTab = nullptr;
    QListView* BreakpointsList = nullptr;
    QListView* CallStackList = nullptr;
    QListView* WatchesList = nullptr;
    QTreeView* StructureTree = nullptr;
    QWidget* VarInfoPanel = nullptr;
    QLabel* VarNameLabel = nullptr;
    QLabel* VarTypeLabel = nullptr;
    QLabel* VarLocationIntroLabel = nullptr;
    QLabel* VarLocationLabel = nullptr;
    QLabel* VarAddressLabel = nullptr;
    QMenu* BreakpointsMenu = nullptr;
    QAction* ToggleSelectedBreakpointCommand = nullptr;
    QAction* DeleteSelectedBreakpointCommand = nullptr;
    QAction* DeleteOfflineBreakpointsCommand = nullptr;
    QAction* DeleteAllBreakpointsCommand = nullptr;
    QMenu* CallStackMenu = nullptr;
    QAction* CopyCallStackCommand = nullptr;
    QMenu* StructureMenu = nullptr;
    QAction* ShowVariableCommand = nullptr;
    QAction* JumpToVariableCommand = nullptr;
    QAction* FindVariableCommand = nullptr;
    QAction* WatchVariableCommand = nullptr;
    QAction* RunToCorruptionCommand = nullptr;
    QMenu* WatchesMenu = nullptr;
    QAction* DeleteSelectedWatchCommand = nullptr;
    QAction* DeleteAllWatchesCommand = nullptr;
    QAction* WatchRunToCorruptionCommand = nullptr;
    QTimer* EvaluationHintTimer = nullptr;

    // The window's handlers of the lists' and the tree's events. A key handler answers
    // whether it took the key.
    std::function<void(QListView*)> OnListDblClick;
    std::function<bool(QListView*, QKeyEvent*)> OnListKeyDown;
    std::function<void(QListView*, QMouseEvent*)> OnListMouseDown;
    std::function<void(QMouseEvent*)> OnTreeDblClick;
    std::function<bool(QKeyEvent*)> OnTreeKeyDown;
    std::function<void(QMouseEvent*)> OnTreeMouseDown;
    std::function<void(QMouseEvent*)> OnTreeMouseUp;
    std::function<void(QMouseEvent*)> OnTreeMouseMove;

    TDebuggingTab ActiveTab() const;
    void SetActiveTab(TDebuggingTab Tab);
    int PageCount() const;
    // The lists' and the tree's background, the toolbar's colour, the heap label.
    void SetListColour(TColor Colour);
    void SetToolbarColour(TColor Colour);
    void SetHeapStackText(const std::string& Text);
    void ShowDetails(const TVariableDetails& Details);
    // The list the view is, for the handlers: Breakpoints, CallStack or Watches.
    TDebuggingTab ListTab(const QListView* List) const;
    // Repaints the lists and the tree (after an option that changes their look).
    void RepaintViews();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QListView* MakeList(QWidget* Page, QAbstractItemDelegate* Delegate, QMenu* Menu);
    void BuildMenus();
    void BuildStructurePage();
    QListView* ListOfViewport(const QObject* Watched) const;
};

// The window that holds the debugging bar while it floats: a tool window of the main window.
class TDebuggingBarForm : public QWidget {
public:
    explicit TDebuggingBarForm(QWidget* Owner);
    // The bar's place inside it; the bar keeps its own state.
    void Hold(QWidget* Bar);
    // Run when the user closes it.
    std::function<void()> OnClose;

protected:
    void closeEvent(QCloseEvent* Event) override;
};

} // namespace korvid
