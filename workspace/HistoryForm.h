#pragma once

#include "workspace/HistoryIconThread.h"
#include "workspace/HistoryService.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

class QTreeWidget;
class QTreeWidgetItem;

namespace korvid {

// The recent-files window: a list of paths, newest first, that the main window feeds, shows
// in its History menu and keeps in the history file. The files' icons are fetched by one
// background thread after loading.
class THistoryForm : public QWidget, public THistoryService {
public:
    static constexpr int MaximumEntries = 200;
    enum TColumn { IconColumn, RankColumn, NameColumn, PathColumn };

    // Source and Clock default to the shared icon list and the steady clock.
    explicit THistoryForm(std::unique_ptr<THistoryIconSource> Source = nullptr,
                          TSteadyClock Clock = nullptr);
    // Stops the icon thread and waits for it before the list goes.
    ~THistoryForm() override;

    void AddToHistory(const std::string& Path) override;
    int Count() const override;
    std::string PathOfRank(int Rank) const override;
    bool HasSelection() const override;
    std::string SelectedPath() const override;
    void RemoveSelected(bool& ShowMessage) override;
    bool IconThreadFinished() const override { return !FIconThread; }
    void LoadHistory(const std::string& FileName) override;
    void SaveHistory(std::string& FileName, int MaximumCount) override;
    QWidget* Window() override { return this; }
    QWidget* ToolPanel() override { return FToolPanel; }
    void KeepOnScreen() override;

    int SortColumn() const { return FSortColumn; }
    // Sorts ascending by the column, equal keys by rank.
    void SetSortColumn(int Column);
    QTreeWidget* List() const { return FList; }
    // The image index an item shows, by rank; -1 for no such rank.
    int ImageIndexOfRank(int Rank) const;
    int PlaceholderIndex() const { return FPlaceholder; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    QTreeWidgetItem* ItemOfRank(int Rank) const;
    QTreeWidgetItem* InsertItem(const std::string& Path, int Rank, int ImageIndex);
    void RemoveItem(QTreeWidgetItem* Item);
    void SetRank(QTreeWidgetItem* Item, int Rank);
    void SetImage(QTreeWidgetItem* Item, int ImageIndex);
    void Sort();
    void Changed();
    void StateChanged();
    void StartIconThread();
    void IconArrived(int Id, const TIconKey& Key);
    void IconThreadDone(int Run);
    static void RunTool(int Index);
    // The widest rank there can be, with the margins the view keeps around a cell's text.
    int RankColumnMinimum() const;

    std::unique_ptr<THistoryIconSource> FSource;
    TSteadyClock FClock;
    int FPlaceholder = 0;
    QWidget* FToolPanel;
    QTreeWidget* FList;
    int FSortColumn = RankColumn;
    int FNextId = 1;
    int FIconRun = 0;
    std::unordered_map<int, QTreeWidgetItem*> FItemOfId;
    // A history file that could not be read is never written over.
    std::optional<std::string> FUnreadableFile;
    // Last, so that it is stopped and joined before anything it posts to goes.
    std::unique_ptr<THistoryIconThread> FIconThread;
};

} // namespace korvid
