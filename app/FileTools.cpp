#include "app/FileTools.h"

#include "app/ComparisonFiles.h"
#include "app/DocumentEditor.h"
#include "app/DocumentPrint.h"
#include "app/WindowHost.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "platform/MailClient.h"
#include "platform/ProcessLauncher.h"
#include "psystem/VolumePath.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "workspace/KorvidOptions.h"
#include "workspace/PickTabForm.h"

#include <QApplication>
#include <QPrinter>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace korvid {
namespace fs = std::filesystem;

namespace {

std::string ReadFileText(const fs::path& Name) {
    std::ifstream In(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

} // namespace

TFileTools::TFileTools(TWindowHost& Window, TFileToolsHost& Host, TFileToolsSetup Setup)
    : FWindow(Window), FHost(Host), FPrintCanvas(std::move(Setup.PrintCanvas)),
      FRandomIndex(std::move(Setup.RandomIndex)), FMaximumLineLength(Setup.MaximumLineLength) {
    if (!FPrintCanvas)
        FPrintCanvas = [] { return std::make_unique<TPrinterCanvas>(Printer()); };
    if (!FRandomIndex)
        FRandomIndex = [Engine = std::mt19937(std::random_device{}())](std::size_t Count) mutable {
            return std::uniform_int_distribution<std::size_t>(0, Count - 1)(Engine);
        };
}

void TFileTools::Print() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    // Named first, so that a PDF file's suggested name is the document's.
    Printer().setDocName(ToQString(Editor->GetDisplayName()));
    TPrintDialog Dialog;
    if (!Dialog.Execute())
        return;
    const std::unique_ptr<TPrintCanvas> Canvas = FPrintCanvas();
    if (!Canvas->Started()) {
        ShowPrintNotStartedMessage(FromQString(Printer().outputFileName()),
                                   FromQString(Printer().printerName()));
        return;
    }
    PrintDocument(*Editor, *Canvas, FMaximumLineLength);
}

void TFileTools::SendMail() {
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool Sent = FHost.MailClient().Send("Hello", JoinParagraphs(Editor->Paragraphs()));
    QApplication::restoreOverrideCursor();
    if (!Sent)
        ShowSendMailFailedMessage();
}

void TFileTools::OpenRandom() {
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor || !Editor->HasFileName())
        return;
    std::vector<fs::path> Files;
    std::error_code Error;
    for (fs::directory_iterator It(DocumentFolder(Editor->FileName), Error), End;
         !Error && It != End; It.increment(Error))
        if (It->is_regular_file(Error))
            Files.push_back(It->path());
    if (Files.empty())
        return;
    // The listing's order is the file system's; sorted, an injected pick means the same file.
    std::sort(Files.begin(), Files.end());
    FWindow.OpenFile(Files[std::min(FRandomIndex(Files.size()), Files.size() - 1)].string(), false,
                     {});
}

void TFileTools::ExploreFolder() {
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor || !Editor->HasFileName())
        return;
    const std::string Folder = DocumentFolder(Editor->FileName).string();
    if (!FHost.DesktopOpener().Open(Folder))
        ShowExploreFolderFailedMessage(Folder);
}

// ---- Comparing ----------------------------------------------------------------------------------

bool TFileTools::MarkForComparison(TDocumentEditor& Editor) {
    std::array<std::string, 2> Slots{FComparisonSlots[1], Editor.FileName};
    if (IsVolumePath(Editor.FileName)) {
        const fs::path Earlier = ComparisonCopy(0);
        const fs::path Later = ComparisonCopy(1);
        try {
            std::error_code Error;
            if (fs::is_regular_file(Later, Error)) {
                WriteFileAtomically(Earlier, ReadFileText(Later));
                if (Slots[0] == Later.string())
                    Slots[0] = Earlier.string();
            }
            WriteFileAtomically(Later, ComparisonText(Editor.Paragraphs()));
        } catch (const EFileWriteError& Error) {
            ShowUnableToSaveFileMessage(Error.what());
            return false;
        }
        Slots[1] = Later.string();
    }
    FComparisonSlots = Slots;
    return true;
}

void TFileTools::MarkActiveForComparison() {
    if (TDocumentEditor* Editor = FWindow.ActiveEditor())
        MarkForComparison(*Editor);
}

bool TFileTools::OfferSaveBeforeCompare(TDocumentEditor& Editor) {
    if (!Editor.Modified() || !AskSaveBeforeCompare(Editor.GetDisplayName()))
        return true;
    return FHost.SaveEditor(&Editor);
}

bool TFileTools::MarkPickedFile(bool First) {
    TPickTabForm Picker(FWindow.DialogParent());
    Picker.setWindowTitle(First ? "Compare Files - First File" : "Compare Files - Second File");
    Picker.SetPrompt(First ? "&Pick the first file to compare:"
                           : "&Pick the second file to compare:");
    for (int Index = 0; Index < FHost.TabCount(); ++Index)
        if (const TDocumentEditor* Editor = FHost.EditorAt(Index))
            Picker.AddTab(Editor->GetShortDisplayName(), Editor->FileName, Index);
    if (RunModal(Picker) != QDialog::Accepted || Picker.SelectedTag() < 0)
        return false;
    TDocumentEditor* Editor = FHost.EditorAt(Picker.SelectedTag());
    return Editor && OfferSaveBeforeCompare(*Editor) && MarkForComparison(*Editor);
}

void TFileTools::CompareFiles(bool TheseFiles) {
    TDocumentEditor* Active = FWindow.ActiveEditor();
    if (!Active)
        return;
    std::vector<TDocumentEditor*> Documents;
    const int Count = FHost.TabCount();
    // With exactly two tabs the walk starts at the first, so the left one is the earlier.
    const int Start = Count == 2 ? 0 : FHost.ActiveTabIndex();
    for (int Step = 0; Step < Count && Documents.size() < 2; ++Step)
        if (TDocumentEditor* Editor = FHost.EditorAt((Start + Step) % Count))
            Documents.push_back(Editor);

    const TKorvidOptions& Options = FWindow.Options();
    bool Marked = false;
    if (TheseFiles && Options.NamesakePathsActive &&
        NamesakeCounterpart(Active->FileName, Options.NamesakePath1, Options.NamesakePath2)) {
        if (!MarkNamesakes(*Active))
            return;
        Marked = true;
    } else if (TheseFiles && Documents.size() == 2) {
        for (TDocumentEditor* Editor : Documents)
            if (!OfferSaveBeforeCompare(*Editor) || !MarkForComparison(*Editor))
                return;
        Marked = true;
    }
    if (!Marked && (!MarkPickedFile(true) || !MarkPickedFile(false)))
        return;
    RunComparison();
    FWindow.UpdateCommandStates();
}

void TFileTools::RunComparison() {
    const auto& [Earlier, Later] = FComparisonSlots;
    if (Earlier.empty() || Later.empty())
        return;
    if (Earlier == Later) {
        ShowComparingFileWithItselfMessage();
        return;
    }
    const std::string& Program = FWindow.Options().ComparisonUtility;
    if (Program.empty()) {
        ShowNoComparisonUtilityMessage();
        return;
    }
    if (!FHost.Launcher().StartDetached(PathToQString(Program),
                                        {PathToQString(Earlier), PathToQString(Later)}, {}))
        ShowComparisonUtilityFailedMessage(Program);
}

bool TFileTools::MarkNamesakes(TDocumentEditor& Editor) {
    const TKorvidOptions& Options = FWindow.Options();
    const auto Counterpart =
        NamesakeCounterpart(Editor.FileName, Options.NamesakePath1, Options.NamesakePath2);
    std::error_code Error;
    if (!Counterpart || !fs::is_regular_file(*Counterpart, Error)) {
        ShowNamesakeMissingMessage(Counterpart ? Counterpart->string() : Editor.FileName);
        return false;
    }
    if (!OfferSaveBeforeCompare(Editor) || !MarkForComparison(Editor))
        return false;
    FComparisonSlots = {FComparisonSlots[1], Counterpart->string()};
    return true;
}

// ---- Subversion ---------------------------------------------------------------------------------

void TFileTools::StartSubversion(const std::string& Command, const std::string& Path) {
    const QStringList Arguments{"/command:" + QString::fromStdString(Command),
                                "/path:" + PathToQString(Path)};
    if (!FHost.Launcher().StartDetached("tortoiseproc", Arguments, {}))
        ShowSubversionNotStartedMessage();
}

std::string TFileTools::SubversionPath(TSubversionTarget Target) const {
    if (Target != TSubversionTarget::ActiveFile)
        return FHost.SelectedFavouritePath();
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    return Editor ? Editor->FileName : std::string();
}

void TFileTools::SubversionDiff(TSubversionTarget Target) {
    if (const std::string Path = SubversionPath(Target); !Path.empty())
        StartSubversion("diff", Path);
}

void TFileTools::SubversionLog(TSubversionTarget Target) {
    if (const std::string Path = SubversionPath(Target); !Path.empty())
        StartSubversion("log", Path);
}

void TFileTools::SubversionBrowse() {
    StartSubversion("repobrowser", FHost.SelectedFavouritePath());
}

void TFileTools::SubversionCommit() {
    StartSubversion("commit", FHost.SelectedFavouritePath());
}

void TFileTools::SubversionUpdate() {
    StartSubversion("update", FHost.SelectedFavouritePath());
}

} // namespace korvid
