// Find in files, the Find in Folder dialog and the search-result tools.
#include "app/KorvidForm.h"

#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "psystem/VolumePacking.h"
#include "ui/BrowseFolder.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "workspace/SearchFolderForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>

#include <charconv>

namespace korvid {
namespace {

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

std::optional<int> LeadingNumber(std::string_view Text) {
    if (Text.size() < 7 || Text[6] != ' ')
        return std::nullopt;
    std::string_view Digits = Text.substr(0, 6);
    const std::size_t First = Digits.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return std::nullopt;
    Digits.remove_prefix(First);
    int Value = 0;
    const auto [End, Error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), Value);
    if (Error != std::errc() || End != Digits.data() + Digits.size() || Value <= 0)
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

} // namespace

TSearchFolderForm& TKorvidForm::SearchFolderForm() {
    if (!FSearchFolderForm) {
        FSearchFolderForm = std::make_unique<TSearchFolderForm>(this);
        FSearchFolderForm->Explore = [this](const std::string& Folder) {
            DesktopOpener().Open(Folder);
        };
    }
    return *FSearchFolderForm;
}

void TKorvidForm::ShowSearchFolderDialog(const std::string& Folder) {
    if (Searching())
        return;
    TSearchFolderForm& Form = SearchFolderForm();
    if (!Folder.empty())
        Form.SetFolder(Folder);
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
        OpenFilesInFolder(Chosen, FromQString(Form.ExtensionsEdit()->text()));
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

void TKorvidForm::FindInFiles(const std::vector<TVolume*>& Volumes,
                              const std::vector<std::string>& Files, int Location, int ContextLines,
                              bool IgnoreUnderscores, bool QuotedOnly, bool WholeWords,
                              bool MatchCase, const std::string& Text,
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

void TKorvidForm::FindInFiles(const std::vector<TVolume*>& Volumes,
                              const std::vector<std::string>& Files,
                              const TFindSettings& Settings) {
    // One walk at a time: the events it lets run may ask for another.
    if (Searching())
        return;
    if (!TLineMatcher(Settings).Searchable())
        return;

    TFindHooks Hooks;
    Hooks.PSystemAware = FOptions.PSystemAware;
    Hooks.Pump = [this](int FilesDone, int Matches) {
        statusBar()->showMessage(ToQString(SearchingProgressText(FilesDone, Matches)));
        if (OnSearchPump)
            OnSearchPump(*this);
        QApplication::processEvents();
    };
    Hooks.ListCodeFile = [this](const std::string& Name, std::vector<std::string>& Lines) {
        LoadFileIntoEditor(Name, Lines);
    };
    Hooks.ShowError = [](const std::string& Caption, const std::string& Message) {
        ShowOkMessage(Caption, Message);
    };

    TFindResults Results;
    bool Abandoned = false;
    {
        TLongOperations::TToken Search = FLongOperations.Begin(TLongOperations::TKind::Search);
        Hooks.KeepGoing = [&Search] { return !Search.StopRequested(); };
        const TEscapeStopsSearch Escape(Search);
        const TWaitCursor Wait;
        Results = korvid::FindInFiles(Volumes, Files, Settings, Hooks);
        Abandoned = Search.Abandoned();
    }
    statusBar()->clearMessage();
    // The window closes now that the walk has returned.
    if (Abandoned)
        return;
    if (Results.Count == 0) {
        ShowNoMatchesMessage(0, true, FShowNoMatchesMessage);
        return;
    }
    OpenResultsTab("Find: " + Settings.Text, Results.Lines, Results.Sections, true);
}

void TKorvidForm::OpenResultsTab(const std::string& Caption, const std::vector<std::string>& Lines,
                                 const std::vector<std::pair<std::string, int>>& Sections,
                                 bool ReadOnly) {
    NewTab(Caption);
    TDocumentEditor* Editor = ActiveEditor();
    Editor->SetParagraphs(Lines);
    Editor->MoveCaretTo(1, 1);
    Editor->SetModified(false);
    Editor->SearchResults = true;
    SetFileReadOnly(Editor, ReadOnly);
    for (const auto& [Name, Line] : Sections)
        Editor->AddSectionName(Name, Line);
    UpdateCaption(Caption);
    UpdateCommandStates();
}

void TKorvidForm::EditFindInFolder() {
    ShowSearchFolderDialog({});
}

bool TKorvidForm::GoToResultLine(TDocumentEditor& Results, int Line, bool Straight) {
    const auto Place = PlaceOfResultLine(Results, Line);
    if (!Place)
        return false;
    QWidget* ResultsTab = TabOfEditor(&Results);
    FSearchResultTab = ResultsTab;
    if (!ActivateTabOfFile(Place->File))
        OpenFile(Place->File, false, {});
    TDocumentEditor* Target = ActiveEditor();
    if (Target && Target != &Results)
        Target->MoveCaretTo(Place->Line, 1);
    if (Straight && ResultsTab && Target != &Results) {
        const int Index = Tabs()->indexOf(ResultsTab);
        QWidget* Current = CurrentTab();
        Tabs()->setCurrentIndex(Index);
        if (CanCloseActiveTab())
            CloseTab();
        if (Current && Tabs()->indexOf(Current) >= 0)
            Tabs()->setCurrentWidget(Current);
    }
    UpdateCommandStates();
    return true;
}

void TKorvidForm::EditGoToSearchResult(bool Straight) {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor || !Editor->HasSectionNames())
        return;
    GoToResultLine(*Editor, Editor->CaretLine(), Straight);
}

void TKorvidForm::EditGoToAdjacentSearchResult(bool Next) {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    if (!Editor->HasSectionNames()) {
        if (!FSearchResultTab)
            return;
        Tabs()->setCurrentWidget(FSearchResultTab);
        Editor = ActiveEditor();
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

void TKorvidForm::EditGoBack() {
    if (!CurrentTab() || !FSearchResultTab)
        return;
    Tabs()->setCurrentWidget(FSearchResultTab);
    UpdateCommandStates();
}

} // namespace korvid
