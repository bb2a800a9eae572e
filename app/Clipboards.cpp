#include "app/Clipboards.h"

#include "app/DocumentEditor.h"
#include "app/WindowHost.h"

#include <QApplication>
#include <QClipboard>

#include <algorithm>

namespace korvid {
namespace {

// Clipboards are taken as the number keys run.
constexpr std::array<int, 10> KeyOrder{1, 2, 3, 4, 5, 6, 7, 8, 9, 0};

bool IsClipboardNumber(int Number) {
    return Number >= 0 && Number <= 9;
}

} // namespace

TClipboards::TClipboards(TWindowHost& Window, TClipboardsHost& Host)
    : FWindow(Window), FHost(Host) {}

void TClipboards::AppendSelection(bool Cut) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    // Cutting changes the document; a read-only one is left alone.
    if (Cut && Editor && Editor->ReadOnly())
        Editor = nullptr;
    if (!Editor || !Editor->HasSelection())
        return;
    QClipboard& Clipboard = *QApplication::clipboard();
    const QString Earlier = Clipboard.text();
    if (Cut)
        Editor->CutToClipboard();
    else
        Editor->CopyToClipboard();
    Clipboard.setText(Earlier + Clipboard.text());
    FWindow.UpdateCommandStates();
}

void TClipboards::NewClipboard() {
    for (const int Number : KeyOrder)
        if (!FTabs[Number]) {
            FTabs[Number] = FHost.NewTab("Clipboard " + std::to_string(Number));
            FWindow.UpdateCommandStates();
            return;
        }
}

void TClipboards::Paste(int Number) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    QWidget* Tab = IsClipboardNumber(Number) ? FTabs[Number] : nullptr;
    const TDocumentEditor* Source = Tab ? FHost.EditorOfTab(Tab) : nullptr;
    if (!Editor || Editor->ReadOnly() || !Source)
        return;
    Editor->InsertTextAtCaret(JoinParagraphs(Source->Paragraphs()));
    FWindow.UpdateCommandStates();
}

bool TClipboards::HasFreeNumber() const {
    return std::count(FTabs.begin(), FTabs.end(), nullptr) >= 1;
}

bool TClipboards::Holds(int Number) const {
    return IsClipboardNumber(Number) && FTabs[Number] != nullptr;
}

void TClipboards::Forget(const QWidget* Tab) {
    for (auto& Slot : FTabs)
        if (Slot == Tab)
            Slot = nullptr;
}

} // namespace korvid
