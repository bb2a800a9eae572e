#include "app/KorvidForm.h"

#include "app/FileHelper.h"
#include "psystem/CodeFileListing.h"

#include "foundation/BinaryStrings.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"
#include "psystem/TextKind.h"
#include "psystem/VolumePath.h"
#include "ui/EscapeWatch.h"
#include "ui/MessagesUnit.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

namespace korvid {
namespace fs = std::filesystem;

namespace {

std::string LowerExtension(std::string_view Name) {
    const auto Slash = Name.find_last_of("/\\:>");
    const auto Dot = Name.rfind('.');
    if (Dot == std::string_view::npos || (Slash != std::string_view::npos && Dot < Slash))
        return {};
    return LowerCase1252(Name.substr(Dot));
}

std::string FileNameOnly(std::string_view Path) {
    const auto Slash = Path.find_last_of("/\\");
    return std::string(Slash == std::string_view::npos ? Path : Path.substr(Slash + 1));
}

std::string Trimmed(std::string_view Text) {
    const auto First = Text.find_first_not_of(" \t");
    if (First == std::string_view::npos)
        return {};
    return std::string(Text.substr(First, Text.find_last_not_of(" \t\r") - First + 1));
}

// The file part of a volume name for the tab: after ">" and after a subvolume's ":".
std::string VolumeCaption(std::string_view Name) {
    const auto Path = ParseVolumePath(Name);
    return Path ? PSystemNameToWindowsName(Path->FileName) : FileNameOnly(Name);
}

// The tab caption a file's name gives, before extensions are hidden.
std::string TabCaptionOf(std::string_view Name) {
    return IsVolumePath(Name) ? VolumeCaption(Name) : PathDisplayText(FileNameOnly(Name));
}

// Every file of Folder and, unless a link, of its subfolders whose extension is listed.
void CollectFolderFiles(const fs::path& Folder, const std::vector<std::string>& Extensions,
                        std::vector<std::string>& Found) {
    std::error_code Error;
    std::vector<fs::directory_entry> Entries;
    for (fs::directory_iterator It(Folder, Error), End; !Error && It != End; It.increment(Error))
        Entries.push_back(*It);
    std::sort(Entries.begin(), Entries.end(), [](const auto& A, const auto& B) {
        return A.path().filename() < B.path().filename();
    });
    for (const auto& Entry : Entries) {
        const std::string Leaf = Entry.path().filename().string();
        if (Entry.is_symlink(Error) && Entry.is_directory(Error))
            continue;
        if (Entry.is_directory(Error)) {
            if (Leaf != "_sgbak" && Leaf != ".svn")
                CollectFolderFiles(Entry.path(), Extensions, Found);
            continue;
        }
        const std::string Extension = LowerExtension(Leaf);
        if (Extensions.empty() ||
            std::find(Extensions.begin(), Extensions.end(), Extension) != Extensions.end())
            Found.push_back(Entry.path().string());
    }
}

// Resident bytes per byte of file at the peak of an open, above the largest the open benchmark
// measures (2.6): the file's text and the document side by side.
constexpr double OpenBytesPerFileByte = 3.0;

// A file that cannot be held is turned away before anything is read: the system would start
// swapping, or end the program, half way through the open. Unknown figures turn nothing away.
bool RefuseTooLarge(const fs::path& File, const TAvailableMemory& AvailableMemory, bool Quiet) {
    std::error_code Error;
    const std::uintmax_t Size = fs::file_size(File, Error);
    if (Error)
        return false;
    const auto Available = AvailableMemory ? AvailableMemory() : SystemAvailableMemory();
    const auto Needed = static_cast<std::uint64_t>(std::ceil(Size * OpenBytesPerFileByte));
    if (!Available || Needed <= *Available)
        return false;
    if (!Quiet)
        ShowFileTooLargeMessage(File.string(), Needed, *Available);
    return true;
}

// While a file is read: once Delay has passed, the status bar shows how much of it is in and
// Esc stops the read. Events are handled between steps so that the bar repaints, but no other
// input reaches the window until the open ends: a click could start another open, or close the
// window, half way through this one.
class TOpenProgress {
public:
    TOpenProgress(QStatusBar& Bar, std::string Name, std::chrono::milliseconds Delay)
        : FBar(Bar), FName(std::move(Name)), FShowAt(std::chrono::steady_clock::now() + Delay) {}
    ~TOpenProgress() {
        if (FEscape)
            FBar.clearMessage();
    }
    TOpenProgress(const TOpenProgress&) = delete;
    TOpenProgress& operator=(const TOpenProgress&) = delete;

    bool Step(std::uint64_t Done, std::uint64_t Total) {
        if (!FEscape) {
            if (std::chrono::steady_clock::now() < FShowAt)
                return true;
            FEscape.emplace(true);
        }
        const int Percent = Total ? static_cast<int>(Done * 100 / Total) : 100;
        FBar.showMessage(ToQString(OpeningFileProgressText(FName, Percent)));
        // A second start handing over a file waits for the end of this open.
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        return !FEscape->Escaped();
    }

private:
    QStatusBar& FBar;
    std::string FName;
    std::chrono::steady_clock::time_point FShowAt;
    std::optional<TEscapeWatch> FEscape;
};

} // namespace

void TKorvidForm::OpenFile(const std::string& Name, bool ReadOnly, const std::string& AltName) {
    OpenDocument(Name, ReadOnly, AltName, nullptr);
    FocusActiveEditor();
}

void TKorvidForm::LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) {
    FListTarget = &Target;
    struct TClearTarget {
        std::vector<std::string>*& Target;
        ~TClearTarget() { Target = nullptr; }
    } Clear{FListTarget};
    OpenDocument(Name, false, {}, &Target);
}

bool TKorvidForm::ChooseTabForOpen(const std::string& Name, bool& MakeTab) {
    const auto ConfirmReopen = [this, &Name] {
        TDocumentEditor* Open = ActiveEditor();
        if (Open && Open->Modified() && !ConfirmReopenOpenFile(Name))
            return false;
        if (Open)
            Open->SetModified(false);
        return true;
    };
    if (!FOptions.SingleTab || FTabSetOpening) {
        MakeTab = true;
        if (ActivateTabOfFile(Name)) {
            if (FTabSetOpening || !ConfirmReopen())
                return false;
            CloseTab();
        }
        return true;
    }
    MakeTab = ActiveEditor() == nullptr;
    if (ActivateTabOfFile(Name)) {
        if (!ConfirmReopen())
            return false;
    } else if (!CanCloseActiveTab()) {
        return false;
    }
    if (TDocumentEditor* Editor = ActiveEditor()) {
        Editor->ClearAll();
        Editor->SetModified(false);
        if (CurrentTab() == FStartupTab)
            FStartupTab = nullptr;
    }
    return true;
}

void TKorvidForm::OpenDocument(std::string Name, bool ReadOnly, const std::string& AltName,
                               std::vector<std::string>* Target) {
    std::error_code Error;
    const bool ListMode = Target != nullptr;
    // Reading lines for a caller, or opening on the debugger's behalf, shows nothing: a file that
    // cannot be opened is simply not opened.
    const bool Quiet = ListMode || FQuietOpen;
    if (!Name.empty() && !IsVolumePath(Name) && fs::is_directory(Name, Error)) {
        if (!Quiet)
            Search().ShowSearchFolderDialog(Name);
        return;
    }
    const auto Volume = ParseVolumePath(Name);
    if (Volume) {
        if (!ReadOnly)
            ReadOnly = LowerExtension(Volume->FileName) != ".text";
        Name = TrueCaseFileName(Volume->VolumeFile, FOptions.RetainFilenameCase) + ">" +
               Name.substr(Name.find('>') + 1);
    } else if (!Name.empty()) {
        if (fs::exists(Name, Error))
            Name = TrueCaseFileName(Name, FOptions.RetainFilenameCase);
        if (!ListMode && FOptions.KorvidTabs && LowerExtension(Name) == ".korvidtabs" &&
            fs::is_regular_file(Name, Error)) {
            OpenTabSet(Name);
            return;
        }
    }

    QWidget* const StartupTab = FStartupTab;
    if (Name.empty()) {
        UpdateCommandStates();
        return;
    }
    // Whether the file is there is settled before any open document is touched. Only regular
    // files are read: a FIFO would wait for a writer and a device may never end.
    if (!fs::is_regular_file(Volume ? fs::path(Volume->VolumeFile) : fs::path(Name), Error)) {
        if (!Quiet)
            ShowUnableToOpenMessage(Name, FOptions.UnopenableFileMessage);
        UpdateCommandStates();
        return;
    }

    const bool ReadsDiskFile =
        !Volume && !(FOptions.PSystemAware && LowerExtension(Name) == ".code");
    if (ReadsDiskFile && RefuseTooLarge(Name, FOpen.AvailableMemory, Quiet)) {
        UpdateCommandStates();
        return;
    }

    bool MakeTab = false;
    if (!ListMode && !FRefreshing && !ChooseTabForOpen(Name, MakeTab)) {
        UpdateCommandStates();
        return;
    }

    TDocumentEditor* Editor = nullptr;
    // A refresh reads into the document as it stands; it changes nothing until the file is in.
    if (FRefreshing) {
        Editor = ActiveEditor();
    } else if (!ListMode) {
        const std::string Caption = DisplayFileName(TabCaptionOf(AltName.empty() ? Name : AltName));
        if (MakeTab) {
            NewTab(Caption);
            FStartupTab = StartupTab;
        } else {
            FTabs->setTabText(FTabs->currentIndex(), ToQString(Caption));
        }
        Editor = ActiveEditor();
        Editor->UntitledCaption = Caption;
        // A reused tab forgets how its previous file was written.
        Editor->SaveAsUtf8 = false;
        Editor->FileLineBreak.reset();
        Editor->WriteByteOrderMark = true;
        Editor->SetView(FViews->FindForFileName(Name));
        if (Editor->View() && Editor->View()->OpenAsReadOnly)
            ReadOnly = true;
    }

    // Gives up the document: a fresh tab goes again, a reused one is left untitled.
    const auto Abandon = [&] {
        if (!Editor || FRefreshing)
            return;
        Editor->SetModified(false);
        if (MakeTab) {
            CloseTab();
            FStartupTab = StartupTab;
        } else {
            Editor->FileName.clear();
            Editor->TextWasCut = false;
            Editor->ParagraphsSplit = false;
        }
    };

    TBinaryStrings Lines;
    try {
        if (Volume) {
            std::unique_ptr<TVolume> Opened;
            if (!Volume->Subvolume.empty())
                Opened = std::make_unique<TSubvolume>(Volume->VolumeFile, false, Volume->Subvolume);
            else
                Opened = std::make_unique<TMajorVolume>(Volume->VolumeFile, false);
            TPSystemHeaderPage Header{};
            std::string VolumeName;
            bool IsBinary = false;
            Opened->ReadFileText(0, Volume->FileName.substr(0, 255), VolumeName, {}, IsBinary,
                                 &Header, Lines.Lines());
            Lines.ContainsBinary = IsBinary;
            if (Editor) {
                Editor->PSystemHeader = Header;
                const int Kind = DetectTextKind(Volume->FileName, Lines.Lines(), false);
                Editor->PSystemTextKind = TextKindExtension(Kind);
                Editor->SetView(FViews->FindForPSystemFile(Lines.Lines(), Editor->View()));
                if (Editor->View() && Editor->View()->OpenAsReadOnly)
                    ReadOnly = true;
            }
        } else if (FOptions.PSystemAware && LowerExtension(Name) == ".code") {
            TFileHelper Source(Name);
            DisassembleCodeFile(
                Name, Lines.Lines(),
                [&Source](std::string& Buffer) { return ReadWholeFile(Source, Buffer); },
                &Debugger());
            ReadOnly = true;
        } else {
            if (Editor && Editor->View())
                Lines.ForceUtf8 = Editor->View()->Utf8;
            std::string Password;
            bool Asterisks = FSettings.PasswordAsAsterisks;
            TOpenProgress Progress(*statusBar(), Name, FOpen.ProgressDelay);
            Lines.Reader = FOpen.Reader;
            Lines.OnReadStep = [&Progress](std::uint64_t Done, std::uint64_t Total) {
                return Progress.Step(Done, Total);
            };
            const TLoadResult Result = Lines.LoadFromFile(Name, Asterisks, Password);
            FSettings.PasswordAsAsterisks = Asterisks;
            if (Result == TLoadResult::Cancelled) {
                Abandon();
                UpdateCommandStates();
                return;
            }
            if (Editor) {
                Editor->SaveAsUtf8 = Lines.WasUtf8 || (Editor->View() && Editor->View()->Utf8);
                Editor->WriteByteOrderMark = !Lines.WasUtf8 || Lines.HadByteOrderMark;
                Editor->FileLineBreak = Lines.LineBreak;
                Editor->Password = Password;
            }
        }
    } catch (const EFileOpenError&) {
        Abandon();
        if (!Quiet)
            ShowUnableToOpenMessage(Name, FOptions.UnopenableFileMessage);
        UpdateCommandStates();
        return;
    } catch (...) {
        Abandon();
        throw;
    }

    if (ListMode) {
        *Target = Lines.Lines();
        return;
    }

    if (Lines.ContainsBinary && !ConfirmBinaryFile(Name, ldOpen, FOptions.BinaryFileMessage)) {
        if (FRefreshing)
            return;
        Editor->SetModified(false);
        if (CurrentTab() == TabOfEditor(Editor))
            CloseTab();
        FStartupTab = StartupTab;
        return;
    }

    Editor->SetUpdatesSuspended(true);
    const bool Split = !Lines.SplitLongLines(MaximumLineLength);
    if (Split)
        ShowLinesSplitMessage(MaximumLineLength);
    // A final line end shows as an empty last line, as typed text has it, and saves again. Text
    // cut short has no final line end of its own: its last line end is where the cut fell.
    if (Lines.EndsWithLineBreak && !Lines.TextWasCut)
        Lines.Add({});
    Editor->SetLoadedLines(Lines);
    Editor->ClearUndo();
    if (StartupTab && StartupTab != TabOfEditor(Editor) && FStartupTab == StartupTab)
        CloseStartupTab();
    Editor->SetUpdatesSuspended(false);

    Editor->FileName = AltName.empty() ? Name : AltName;
    Editor->NewDocument = false;
    // Split paragraphs saved back would break the file's lines where it has none.
    Editor->TextWasCut = Lines.TextWasCut || Split;
    Editor->ParagraphsSplit = Split && !Lines.TextWasCut;
    SetFileReadOnly(Editor, ReadOnly || Editor->TextWasCut);
    Editor->SetModified(!AltName.empty());
    Editor->FileTime = Volume ? QDateTime::currentMSecsSinceEpoch() : FileDateTime(Name);
    Debugger().MarkBreakpointsInEditor(*Editor);
    Editor->MoveCaretTo(1, 1);
    History().AddToHistory(Name);
    UpdateCaption(PathDisplayText(Name));
    UpdateCommandStates();
    if (Lines.DamagedLine > 0)
        ShowDamagedFileMessage(Name, static_cast<int>(Lines.DamagedLine));
}

void TKorvidForm::SetFileReadOnly(TDocumentEditor* Editor, bool ReadOnly) {
    Editor->SetReadOnly(ReadOnly);
    if (Editor == ActiveEditor())
        ToolList().Items(ToolIndex::FileReadOnly)->SetDown(ReadOnly);
}

void TKorvidForm::OpenTabSet(const std::string& FileName) {
    FTabSetOpening = true;
    const bool SingleTab = FOptions.SingleTab;
    FOptions.SingleTab = false;
    struct TRestore {
        TKorvidForm& Form;
        bool SingleTab;
        ~TRestore() {
            Form.Options().SingleTab = SingleTab;
            Form.FTabSetOpening = false;
        }
    } Restore{*this, SingleTab};

    const std::string Folder = fs::path(FileName).parent_path().string();
    QWidget* ToActivate = nullptr;
    for (const std::string& Raw : ReadLinesOfFile(FileName)) {
        std::string Line = Trimmed(Raw);
        if (Line.empty())
            continue;
        const bool Marked = Line.front() == '*';
        if (Marked)
            Line = Trimmed(Line.substr(1));
        std::string Path = Line, TabText;
        if (const auto Bar = Line.find('|'); Bar != std::string::npos) {
            Path = Trimmed(Line.substr(0, Bar));
            TabText = Trimmed(Line.substr(Bar + 1));
        }
        if (IsRelativePath(Path) && !IsVolumePath(Path))
            Path = (fs::path(Folder) / Path).string();
        QWidget* Before = CurrentTab();
        OpenFile(Path, false, {});
        QWidget* Opened = CurrentTab();
        if (!Opened || (Opened == Before && !FindTabOfFile(Path)))
            continue;
        if (Marked) {
            FCompiling->SetMainCompileTab(Opened);
            ToActivate = Opened;
        } else if (!ToActivate) {
            ToActivate = Opened;
        }
        if (!TabText.empty())
            if (TDocumentEditor* Editor = EditorOfTab(Opened)) {
                Editor->UntitledCaption = TabText;
                UpdateTabCaption(Editor);
            }
    }
    if (ToActivate && FTabs->indexOf(ToActivate) >= 0)
        FTabs->setCurrentWidget(ToActivate);
    if (TDocumentEditor* Editor = ActiveEditor())
        UpdateCaption(DisplayFileName(Editor->CaptionName()));
}

void TKorvidForm::RecaptionFileTabs(bool WasHidden) {
    for (int Index = 0; Index < FTabs->count(); ++Index) {
        TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index));
        if (!Editor || !Editor->HasFileName())
            continue;
        const std::string Caption = TabCaptionOf(Editor->FileName);
        if (Editor->UntitledCaption == (WasHidden ? WithoutShortExtension(Caption) : Caption))
            Editor->UntitledCaption = DisplayFileName(Caption);
    }
}

void TKorvidForm::OpenFilesInFolder(const std::string& Folder, const std::string& Types) {
    std::vector<std::string> Parts, Extensions;
    SplitToStrings(Types, ";", Parts);
    for (auto Part : Parts) {
        Part = Trimmed(Part);
        if (Part.empty())
            continue;
        if (Part.front() != '.')
            Part.insert(Part.begin(), '.');
        Extensions.push_back(LowerCase1252(Part));
    }
    std::vector<std::string> Found;
    CollectFolderFiles(Folder, Extensions, Found);
    for (const auto& File : Found)
        OpenFile(File, false, {});
}

void TKorvidForm::OpenDroppedFiles(std::vector<std::string> Names, bool Ctrl) {
    if (Names.empty())
        return;
    activateWindow();
    raise();
    std::sort(Names.begin(), Names.end());
    for (const auto& Name : Names) {
        if (Ctrl)
            InsertFileAtCaret(Name);
        else
            OpenByKind(Name);
    }
}

bool TKorvidForm::IsBrowsedVolume(const std::string& Name) const {
    return FOptions.PSystemAware && LowerExtension(Name) == ".vol";
}

void TKorvidForm::OpenByKind(const std::string& Name) {
    if (IsBrowsedVolume(Name))
        FVolumeTools->BrowseVolume(Name, {});
    else
        OpenFile(Name, IsReadOnlyFile(Name), {});
}

void TKorvidForm::InsertFileAtCaret(const std::string& Name) {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    std::error_code Error;
    if (!fs::is_regular_file(Name, Error)) {
        ShowUnableToOpenMessage(Name, FOptions.UnopenableFileMessage);
        return;
    }
    const std::string FileName = TrueCaseFileName(Name, FOptions.RetainFilenameCase);
    if (RefuseTooLarge(FileName, FOpen.AvailableMemory, false))
        return;
    TBinaryStrings Lines;
    std::string Password;
    bool Asterisks = FSettings.PasswordAsAsterisks;
    TOpenProgress Progress(*statusBar(), FileName, FOpen.ProgressDelay);
    Lines.Reader = FOpen.Reader;
    Lines.OnReadStep = [&Progress](std::uint64_t Done, std::uint64_t Total) {
        return Progress.Step(Done, Total);
    };
    try {
        if (Lines.LoadFromFile(FileName, Asterisks, Password) == TLoadResult::Cancelled)
            return;
    } catch (const EFileOpenError&) {
        ShowUnableToOpenMessage(FileName, FOptions.UnopenableFileMessage);
        return;
    }
    if (Lines.ContainsBinary && !ConfirmBinaryFile(FileName, ldInsert, FOptions.BinaryFileMessage))
        return;
    Editor->SetUpdatesSuspended(true);
    Editor->InsertTextAtCaret(Lines.Text());
    Editor->SetUpdatesSuspended(false);
}

void TKorvidForm::ReopenCommandClick(int Rank) {
    FHistoryTools->Reopen(Rank);
}

QWidget* TKorvidForm::FindTabOfFile(const std::string& Name) const {
    for (int Index = 0; Index < FTabs->count(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index)))
            if (Editor->FileName == Name)
                return FTabs->widget(Index);
    return nullptr;
}

std::vector<TDocumentEditor*> TKorvidForm::OpenDocuments() const {
    std::vector<TDocumentEditor*> Editors;
    // The tabs go before the debugger when the window closes.
    if (!FTabs)
        return Editors;
    for (int Index = 0; Index < FTabs->count(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index)))
            Editors.push_back(Editor);
    return Editors;
}

bool TKorvidForm::ActivateTabOfFile(const std::string& Name) {
    QWidget* Tab = FindTabOfFile(Name);
    if (Tab)
        FTabs->setCurrentWidget(Tab);
    UpdateCommandStates();
    return Tab != nullptr;
}

std::string TKorvidForm::FindOpenVolumeFile(const std::string& InnerName) const {
    const std::string Wanted = UpperCase1252(InnerName);
    for (int Index = 0; Index < FTabs->count(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index))) {
            const auto Separator = Editor->FileName.find('>');
            if (Separator != std::string::npos &&
                UpperCase1252(Editor->FileName.substr(Separator + 1)) == Wanted)
                return Editor->FileName;
        }
    return {};
}

} // namespace korvid

namespace korvid {

void TKorvidForm::ActivateDocument(TDocumentEditor& Editor) {
    FTabs->setCurrentWidget(TabOfEditor(&Editor));
}

void TKorvidForm::OpenFileQuietly(const std::string& Name) {
    FQuietOpen = true;
    struct TRestore {
        bool& Quiet;
        ~TRestore() { Quiet = false; }
    } Restore{FQuietOpen};
    OpenFile(Name, false, {});
}

void TKorvidForm::FindInSourceFiles(const std::vector<std::string>& Files,
                                    const TFindSettings& Settings) {
    FindInFiles({}, Files, Settings);
}

} // namespace korvid
