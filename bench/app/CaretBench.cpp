// One caret move in the main window, offscreen: the status bar and every command state brought
// up to date with the five toolbars and all menus bound, on a generated 10,000-line document.
// Also a pass that changes nothing, which must reach no widget: widget events that show a change
// (update requests, paints, enabled and action changes) are counted while it runs.
//   bench_caret [--passes N]
// Goals: a caret move with its repaint under 2 ms; a pass that changes nothing updates no widget
// (the program exits 1 otherwise).
#include "app/EditorDocument.h"
#include "app/KorvidForm.h"
#include "bench/app/ProcessFigures.h"
#include "bench/app/ProgramWindow.h"
#include "platform/RegistryStore.h"
#include "ui/CommandBars.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolbarList.h"

#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <typeinfo>
#include <vector>

namespace korvid::bench {
namespace {

namespace fs = std::filesystem;

constexpr int LineCount = 10'000;

void Generate(const fs::path& Path) {
    std::ofstream Out(Path, std::ios::binary);
    for (int Number = 1; Number <= LineCount; ++Number)
        Out << "  Result := Value" << Number << " * 2 + Offset; { line " << Number << " }\r\n";
}

// The dynamic class, for classes without a meta-object of their own.
std::string ClassName(const QObject& Object) {
    int Status = 0;
    char* Name = abi::__cxa_demangle(typeid(Object).name(), nullptr, nullptr, &Status);
    std::string Result = Status == 0 && Name ? Name : typeid(Object).name();
    std::free(Name);
    return Result;
}

// Counts the events by which a widget shows a change, by event and receiver class.
class TUpdateCounter : public QObject {
public:
    int Total() const { return FTotal; }
    void Reset() {
        FTotal = 0;
        FByKind.clear();
    }
    std::string Summary() const {
        std::string Text;
        for (const auto& [Kind, Count] : FByKind)
            Text += " " + Kind + "=" + std::to_string(Count);
        return Text.empty() ? " none" : Text;
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        const char* Kind = nullptr;
        switch (Event->type()) {
        case QEvent::UpdateRequest:
            Kind = "UpdateRequest";
            break;
        case QEvent::Paint:
            Kind = "Paint";
            break;
        case QEvent::EnabledChange:
            Kind = "EnabledChange";
            break;
        case QEvent::ActionChanged:
            Kind = "ActionChanged";
            break;
        default:
            break;
        }
        if (Kind && Watched->isWidgetType()) {
            ++FTotal;
            ++FByKind[std::string(Kind) + ":" + ClassName(*Watched)];
        }
        return false;
    }

private:
    int FTotal = 0;
    std::map<std::string, int> FByKind;
};

struct TTimes {
    double Median = 0;
    double Mean = 0;
    double Worst = 0;
};

TTimes Summarise(std::vector<double> Seconds) {
    TTimes Result;
    if (Seconds.empty())
        return Result;
    std::sort(Seconds.begin(), Seconds.end());
    Result.Median = Seconds[Seconds.size() / 2];
    for (const double Value : Seconds)
        Result.Mean += Value;
    Result.Mean /= static_cast<double>(Seconds.size());
    Result.Worst = Seconds.back();
    return Result;
}

void PrintTimes(const char* What, const TTimes& T) {
    std::printf("  %-36s median %8.1f us  mean %8.1f us  worst %8.1f us\n", What, T.Median * 1e6,
                T.Mean * 1e6, T.Worst * 1e6);
}

int Run(int argc, char** argv, int Passes) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication App(argc, argv);
    QApplication::setApplicationName("Korvid");
    // A blinking caret would paint on its own between the passes.
    QApplication::setCursorFlashTime(0);
    QTemporaryDir Dir;
    const fs::path Root = Dir.path().toStdString();
    TScopedRegistryStore Store(Root / "registry");
    auto Form = MakeProgramWindow(QRect(0, 0, 1920, 1040));
    Form->show();
    QApplication::processEvents();

    const fs::path File = Root / "caret.pas";
    Generate(File);
    Form->OpenFile(File.string(), false, {});
    auto* Document = dynamic_cast<TEditorDocument*>(Form->ActiveEditor());
    if (!Document) {
        std::fprintf(stderr, "the document did not open\n");
        return 2;
    }
    Document->setFocus();
    QApplication::processEvents();

    int StatusCalls = 0;
    int Line = 0;
    int Column = 0;
    const auto Status = Document->OnShowStatus;
    Document->OnShowStatus = [&](TDocumentEditor& Sender, int L, int C) {
        ++StatusCalls;
        Line = L;
        Column = C;
        Status(Sender, L, C);
    };
    Document->MoveCaretTo(1, 1);
    QApplication::processEvents();

    int Toolbars = 0;
    for (int Index = 0; Index < Form->BarsAndMenus().Toolbars().Count(); ++Index)
        Toolbars += Form->BarsAndMenus().Toolbars().Items(Index)->Visible() ? 1 : 0;
    std::printf("%d lines, %d toolbars (%d shown), %d menus, %d tools; %d passes each\n",
                Document->LineCount(), Form->BarsAndMenus().Toolbars().Count(), Toolbars,
                static_cast<int>(Form->menuBar()->actions().size()), ToolList().Count(), Passes);

    TUpdateCounter Counter;
    qApp->installEventFilter(&Counter);

    // The caret between two lines on the page, the window brought up to date, then its repaint.
    std::vector<double> PageMoves, PageMovesPainted;
    for (int Pass = 0; Pass < Passes; ++Pass) {
        const auto Start = Clock::now();
        Document->MoveCaretTo(1 + Pass % 2, 1 + Pass % 20);
        PageMoves.push_back(SecondsSince(Start));
        QApplication::processEvents();
        PageMovesPainted.push_back(SecondsSince(Start));
    }

    // The caret down a line, past the page from the first screen on, so each move scrolls.
    std::vector<double> Moves, MovesPainted;
    StatusCalls = 0;
    Counter.Reset();
    for (int Pass = 0; Pass < Passes; ++Pass) {
        const int Target = 2 + Pass % (LineCount - 1);
        const auto Start = Clock::now();
        Document->MoveCaretTo(Target, 1 + Pass % 20);
        Moves.push_back(SecondsSince(Start));
        QApplication::processEvents();
        MovesPainted.push_back(SecondsSince(Start));
    }
    const int MoveStatusCalls = StatusCalls;
    const int MoveUpdates = Counter.Total();
    const std::string MoveSummary = Counter.Summary();
    qApp->removeEventFilter(&Counter);

    // The window's share of a move: new status texts and every command state, no caret move.
    std::vector<double> Window;
    for (int Pass = 0; Pass < Passes; ++Pass) {
        const auto Start = Clock::now();
        Form->UpdateStatusBar(Document, 2 + Pass % (LineCount - 1), 1 + Pass % 20);
        Window.push_back(SecondsSince(Start));
        QApplication::processEvents();
    }
    Form->UpdateStatusBar(Document, Line, Column);
    // A status text's new width lays the status bar out and paints it a turn later.
    for (int Turn = 0; Turn < 3; ++Turn)
        QApplication::processEvents();

    // The same caret place again: nothing on the screen has cause to change.
    std::vector<double> Still, StillPainted;
    Counter.Reset();
    qApp->installEventFilter(&Counter);
    for (int Pass = 0; Pass < Passes; ++Pass) {
        const auto Start = Clock::now();
        Form->UpdateStatusBar(Document, Line, Column);
        Still.push_back(SecondsSince(Start));
        QApplication::processEvents();
        StillPainted.push_back(SecondsSince(Start));
    }
    const int StillUpdates = Counter.Total();
    qApp->removeEventFilter(&Counter);

    std::printf("caret move (UpdateStatusBar with UpdateCommandStates):\n");
    PrintTimes("on the page: move and update", Summarise(PageMoves));
    PrintTimes("on the page: ... and repaint", Summarise(PageMovesPainted));
    PrintTimes("scrolling: move and update", Summarise(Moves));
    PrintTimes("scrolling: ... and repaint", Summarise(MovesPainted));
    std::printf("  status updates %d in %d passes; widget events %d (%.1f a pass):%s\n",
                MoveStatusCalls, Passes, MoveUpdates, double(MoveUpdates) / Passes,
                MoveSummary.c_str());
    PrintTimes("status texts and states only", Summarise(Window));
    std::printf("pass changing nothing:\n");
    PrintTimes("update", Summarise(Still));
    PrintTimes("update and event loop", Summarise(StillPainted));
    std::printf("  widgets updated: %d in %d passes:%s\n", StillUpdates, Passes,
                Counter.Summary().c_str());
    std::fflush(stdout);
    Form.reset();
    return StillUpdates == 0 && MoveStatusCalls >= Passes ? 0 : 1;
}

} // namespace
} // namespace korvid::bench

int main(int argc, char** argv) {
    int Passes = 2000;
    for (int I = 1; I + 1 < argc; I += 2)
        if (std::strcmp(argv[I], "--passes") == 0)
            Passes = std::max(1, std::atoi(argv[I + 1]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return korvid::bench::Run(argc, argv, Passes);
}
