#include "app/SearchResults.h"

#include "app/DocumentEditor.h"
#include "app/WindowHost.h"
#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "psystem/VolumePacking.h"
#include "psystem/VolumePath.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "workspace/FindInFiles.h"
#include "workspace/KorvidOptions.h"
#include "workspace/LocateFileForm.h"
#include "workspace/LongOperations.h"
#include "workspace/PickTabForm.h"
#include "workspace/SearchFolderForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <charconv>
#include <optional>

namespace korvid {
namespace {

constexpr int ChangeNumberWidth = 6;
constexpr std::size_t ResultNumberWidth = 6;
constexpr int ChangeTextStart = 7; // after the number and one separator

// Escape stops the walk, unless a modal dialog (such as a password prompt) has the key.
class TEscapeStopsSearch : public QObject {
public:
    explicit TEscapeStopsSearch(TLongOperations::TToken& Search) : FSearch(Search) {
        qApp->installEventFilter(this);
    }
    ~TEscapeStopsSearch() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Escape &&
            !QApplication::activeModalWidget() && !FSearch.StopRequested()) {
            FSearch.RequestStop();
            return true;
        }
        return QObject::eventFilter(Watched, Event);
    }

private:
    TLongOperations::TToken& FSearch;
};

// A results line's place: the number in its first six characters, or a compiler line's
// "file|||line".
struct TResultPlace {
    std::string File;
    int Line = 0;
};

// The number is right-aligned in six columns; a longer one fills its own width. The blank
// after it is gone where an empty matching line's trailing blank was trimmed.
std::optional<int> LeadingNumber(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return std::nullopt;
    const std::size_t End = std::min(Text.find_first_not_of("0123456789", First), Text.size());
    if (End == First || End < ResultNumberWidth || (End > ResultNumberWidth && First > 0) ||
        (End < Text.size() && Text[End] != ' '))
        return std::nullopt;
    int Value = 0;
    const auto [Stop, Error] = std::from_chars(Text.data() + First, Text.data() + End, Value);
    if (Error != std::errc() || Value <= 0)
        return std::nullopt;
    return Value;
}

std::optional<TResultPlace> PlaceOfResultLine(const TDocumentEditor& Editor, int Line) {
    const std::vector<std::string> Paras = Editor.Paragraphs();
    if (Line < 1 || Line > int(Paras.size()))
        return std::nullopt;
    std::string Text = Paras[std::size_t(Line - 1)];
    // Compiler lines keep their place as the line's own section entry.
    for (const auto& [Name, At] : Editor.SectionNames())
        if (At == Line && Name.find("|||") != std::string::npos)
            Text = Name;
    if (const std::size_t Bar = Text.find("|||"); Bar != std::string::npos) {
        int Value = 0;
        const char* Begin = Text.data() + Bar + 3;
        const auto [End, Error] = std::from_chars(Begin, Text.data() + Text.size(), Value);
        if (Error == std::errc() && Value > 0)
            return TResultPlace{Text.substr(0, Bar), Value};
        return std::nullopt;
    }
    const auto Number = LeadingNumber(Text);
    if (!Number)
        return std::nullopt;
    std::string File = Editor.GetSectionNameForLine(Line);
    if (File.empty())
        return std::nullopt;
    return TResultPlace{std::move(File), *Number};
}

// The paragraph a changes line names, when it is one of 1 to ParaCount. Listings pad the
// number with blanks as well as zeros.
std::optional<int> ChangeLineNumber(std::string_view Line, int ParaCount) {
    std::string_view Digits = Line.substr(0, ChangeNumberWidth);
    while (!Digits.empty() && Digits.front() == ' ')
        Digits.remove_prefix(1);
    while (!Digits.empty() && Digits.back() == ' ')
        Digits.remove_suffix(1);
    if (Digits.empty() ||
        !std::all_of(Digits.begin(), Digits.end(), [](char C) { return C >= '0' && C <= '9'; }))
        return std::nullopt;
    const int Number = std::stoi(std::string(Digits));
    if (Number < 1 || Number > ParaCount)
        return std::nullopt;
    return Number;
}

// The display line and position of a paragraph's 0-based Offset. An offset where a wrapped line
// ends starts the next line, unless AtEnd asks for the end of the one before.
std::pair<int, int> DisplayPlace(const TDocumentEditor& Editor, int Para, std::size_t Offset,
                                 bool AtEnd) {
    const int Last = Editor.ParaToLastLine(Para);
    int Line = Editor.ParaToLine(Para);
    std::size_t Before = 0;
    for (; Line < Last; ++Line) {
        const std::size_t Length = std::size_t(Editor.LineLength(Line));
        if (Offset < Before + Length || (AtEnd && Offset == Before + Length))
            break;
        Before += Length;
    }
    return {Line, int(Offset - Before) + 1};
}

// The caret goes to the result's paragraph, the match there is selected when the search's rules
// still find one, and the line stands near the middle rather than at the window's edge.
void ShowResultPlace(TDocumentEditor& Target, int Para, const TFindSettings* Settings) {
    Para = std::clamp(Para, 1, std::max(1, Target.ParaCount()));
    Target.MoveCaretTo(Target.ParaToLine(Para), 1);
    if (Settings) {
        TLineMatcher Matcher(*Settings);
        if (const auto Span = Matcher.Find(Target.CaretParagraphText())) {
            const auto [FromLine, FromColumn] = DisplayPlace(Target, Para, Span->first, false);
            const auto [ToLine, ToColumn] =
                DisplayPlace(Target, Para, Span->first + Span->second, true);
            Target.SetSelection(FromLine, FromColumn, ToLine, ToColumn, true);
        }
    }
    Target.CentreCaretLine();
}

} // namespace

TSearchResults::TSearchResults(TWindowHost& Window, TSearchResultsHost& Host)
    : FWindow(Window), FHost(Host) {}

TSearchResults::~TSearchResults() = default;

bool TSearchResults::Searching() const {
    return FWindow.LongOperations().Running(TLongOperations::TKind::Search);
}

bool TSearchResults::Busy() const {
    return Searching() ||
           FWindow.LongOperations().Running(TLongOperations::TKind::ReplaceAcrossFiles);
}

TSearchFolderForm& TSearchResults::SearchFolderForm() {
    if (!FSearchFolderForm) {
        FSearchFolderForm = std::make_unique<TSearchFolderForm>(FWindow.DialogParent());
        FSearchFolderForm->Explore = [this](const std::string& Folder) {
            FHost.DesktopOpener().Open(Folder);
        };
    }
    return *FSearchFolderForm;
}

void TSearchResults::ShowSearchFolderDialog(const std::string& Folder) {
    if (Searching())
        return;
    TSearchFolderForm& Form = SearchFolderForm();
    if (!Folder.empty())
        Form.SetFolder(Folder);
    else if (const TDocumentEditor* Editor = FWindow.ActiveEditor();
             Form.Folder().empty() && Editor && Editor->HasFileName())
        Form.SetFolder(DocumentFolder(Editor->FileName).string());
    Form.TextEdit()->setFocus();
    Form.TextEdit()->selectAll();
    const int Result = RunModal(Form);
    const std::string Chosen = Form.Folder();
    switch (Result) {
    case QDialog::Accepted: {
        const TFindSettings S = Form.Settings();
        FindInFiles({}, {}, S);
        break;
    }
    case TSearchFolderForm::OpenAllResult:
        FHost.OpenFilesInFolder(Chosen, FromQString(Form.ExtensionsEdit()->text()));
        break;
    case TSearchFolderForm::LocateResult:
        ShowLocateFileDialog(Chosen);
        break;
    case TSearchFolderForm::UnpackResult:
        if (Form.BrowseFolder) {
            if (const auto Target = Form.BrowseFolder("Select Folder to Unpack Into", Chosen)) {
                try {
                    const std::vector<TRenamedFile> Renamed =
                        UnpackVolumesInFolder(Chosen, *Target);
                    if (!Renamed.empty()) {
                        std::vector<std::string> Lines;
                        for (const TRenamedFile& File : Renamed)
                            Lines.push_back(File.Name + " -> " + File.Path.string());
                        ShowUnpackRenamedMessage(Lines);
                    }
                } catch (const std::exception& Error) {
                    ShowOkMessage("Korvid", Error.what());
                }
            }
        }
        break;
    default:
        break;
    }
}

void TSearchResults::ShowLocateFileDialog(const std::string& Folder) {
    TLocateFileForm Form(Folder, FWindow.DialogParent());
    Form.OnOpenFile = [this](const std::string& Path) { FWindow.OpenFile(Path, false, {}); };
    if (RunModal(Form) == QDialog::Accepted && !Form.SelectedFile().empty())
        FWindow.OpenFile(Form.SelectedFile(), false, {});
}

void TSearchResults::FindInFiles(const std::vector<TVolume*>& Volumes,
                                 const std::vector<std::string>& Files, int Location,
                                 int ContextLines, bool IgnoreUnderscores, bool QuotedOnly,
                                 bool WholeWords, bool MatchCase, const std::string& Text,
                                 const std::string& Extensions, const std::string& Folder) {
    TFindSettings Settings;
    Settings.Location = Location;
    Settings.ContextLines = ContextLines;
    Settings.IgnoreUnderscores = IgnoreUnderscores;
    Settings.QuotedOnly = QuotedOnly;
    Settings.WholeWords = WholeWords;
    Settings.MatchCase = MatchCase;
    Settings.Text = Text;
    Settings.Extensions = Extensions;
    Settings.Folder = Folder;
    FindInFiles(Volumes, Files, Settings);
}

void TSearchResults::FindInFiles(const std::vector<TVolume*>& Volumes,
                                 const std::vector<std::string>& Files,
                                 const TFindSettings& Settings) {
    // One walk at a time: the events it lets run may ask for another.
    if (Searching())
        return;
    if (!TLineMatcher(Settings).Searchable())
        return;

    TFindHooks Hooks;
    Hooks.PSystemAware = FWindow.Options().PSystemAware;
    Hooks.PumpInterval = SearchPumpInterval;
    Hooks.Pump = [this](int FilesDone, int Matches) {
        FHost.ShowStatusMessage(SearchingProgressText(FilesDone, Matches));
        if (OnSearchPump)
            OnSearchPump();
        QApplication::processEvents();
    };
    Hooks.ListCodeFile = [this](const std::string& Name, std::vector<std::string>& Lines) {
        FHost.LoadFileIntoEditor(Name, Lines);
    };
    Hooks.ShowError = [](const std::string& Caption, const std::string& Message) {
        ShowOkMessage(Caption, Message);
    };

    TFindResults Results;
    bool Abandoned = false;
    {
        TLongOperations::TToken Search =
            FWindow.LongOperations().Begin(TLongOperations::TKind::Search);
        Hooks.KeepGoing = [&Search] { return !Search.StopRequested(); };
        const TEscapeStopsSearch Escape(Search);
        const TWaitCursor Wait;
        Results = korvid::FindInFiles(Volumes, Files, Settings, Hooks);
        Abandoned = Search.Abandoned();
    }
    FHost.ClearStatusMessage();
    // The window closes now that the walk has returned.
    if (Abandoned)
        return;
    // A stopped search lists its header even without a match.
    if (Results.Lines.empty()) {
        ShowNoMatchesMessage(0, true, FShowNoMatchesMessage);
        return;
    }
    FWindow.OpenResultsTab("Find: " + Settings.Text, Results.Lines, Results.Sections, true);
    FTabSettings[FHost.CurrentTab()] = Settings;
}

bool TSearchResults::GoToResultLine(TDocumentEditor& Results, int Line, bool Straight) {
    const auto Place = PlaceOfResultLine(Results, Line);
    if (!Place)
        return false;
    QWidget* ResultsTab = FHost.TabOfEditor(&Results);
    FSearchResultTab = ResultsTab;
    // Kept aside: opening the file may close tabs.
    std::optional<TFindSettings> Settings;
    if (const auto Searched = FTabSettings.find(ResultsTab); Searched != FTabSettings.end())
        Settings = Searched->second;
    if (!FHost.ActivateTabOfFile(Place->File))
        FWindow.OpenFile(Place->File, false, {});
    TDocumentEditor* Target = FWindow.ActiveEditor();
    if (Target && Target != &Results)
        ShowResultPlace(*Target, Place->Line, Settings ? &*Settings : nullptr);
    if (Straight && ResultsTab && Target != &Results) {
        QWidget* Current = FHost.CurrentTab();
        FHost.ActivateTab(ResultsTab);
        if (FHost.CanCloseActiveTab())
            FHost.CloseTab();
        if (Current)
            FHost.ActivateTab(Current);
    }
    FWindow.UpdateCommandStates();
    return true;
}

bool TSearchResults::GoToSearchResult(bool Straight) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor || !Editor->HasSectionNames())
        return false;
    return GoToResultLine(*Editor, Editor->CaretLine(), Straight);
}

void TSearchResults::GoToAdjacentSearchResult(bool Next) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    if (!Editor->HasSectionNames()) {
        if (!FSearchResultTab)
            return;
        FHost.ActivateTab(FSearchResultTab);
        Editor = FWindow.ActiveEditor();
        if (!Editor)
            return;
    }
    const int Count = Editor->ParaCount();
    for (int Line = Editor->CaretLine() + (Next ? 1 : -1); Line >= 1 && Line <= Count;
         Line += Next ? 1 : -1) {
        if (!PlaceOfResultLine(*Editor, Line))
            continue;
        Editor->MoveCaretTo(Line, 1);
        GoToResultLine(*Editor, Line, false);
        return;
    }
}

void TSearchResults::GoBack() {
    if (!FHost.CurrentTab() || !FSearchResultTab)
        return;
    FHost.ActivateTab(FSearchResultTab);
    FWindow.UpdateCommandStates();
}

void TSearchResults::ForgetTab(QWidget* Tab) {
    if (FSearchResultTab == Tab)
        FSearchResultTab = nullptr;
    FTabSettings.erase(Tab);
}

std::optional<int> TSearchResults::ResultLineNumber(std::string_view Line) {
    return LeadingNumber(Line);
}

void TSearchResults::ApplyChangeLines(TDocumentEditor& Editor,
                                      const std::vector<std::string>& Lines) {
    const bool State = Editor.BeginEdit();
    for (const std::string& Line : Lines) {
        const std::optional<int> Para = ChangeLineNumber(Line, Editor.ParaCount());
        if (!Para)
            continue;
        // The paragraph's text only: its line end stays, so the paragraphs keep their numbers.
        const int First = Editor.ParaToLine(*Para);
        const int Last = Editor.ParaToLastLine(*Para);
        Editor.SetSelection(First, 1, Last, Editor.LineLength(Last) + 1, true);
        Editor.InsertTextAtCaret(Line.size() > ChangeTextStart ? Line.substr(ChangeTextStart)
                                                               : std::string());
    }
    Editor.EndEdit(State);
}

void TSearchResults::ApplyChanges() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor || Editor->ReadOnly())
        return;
    TPickTabForm Picker(FWindow.DialogParent());
    Picker.setWindowTitle("Apply Changes to Current File");
    Picker.SetPrompt("&Tab listing the changes to be applied:");
    for (int Index = 0; Index < FHost.TabCount(); ++Index) {
        const TDocumentEditor* Other = FHost.EditorAt(Index);
        if (Other && Other != Editor)
            Picker.AddTab(Other->GetShortDisplayName(), Other->FileName, Index);
    }
    if (RunModal(Picker) != QDialog::Accepted || Picker.SelectedTag() < 0)
        return;
    if (const TDocumentEditor* Changes = FHost.EditorAt(Picker.SelectedTag()))
        ApplyChangeLines(*Editor, Changes->Paragraphs());
    FWindow.UpdateCommandStates();
}

} // namespace korvid
