#include "app/FindReplace.h"

#include "app/DocumentEditor.h"
#include "app/MainWindowSettings.h"
#include "app/WindowHost.h"
#include "foundation/UtilitiesUnit.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "workspace/FindForm.h"
#include "workspace/GoToSortForms.h"
#include "workspace/KorvidOptions.h"
#include "workspace/LongOperations.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdio>

namespace korvid {
namespace {

constexpr std::uint16_t ReplaceBits = soReplace | soReplaceAll;

std::uint16_t Without(std::uint16_t Options, std::uint16_t Bits) {
    return static_cast<std::uint16_t>(Options & ~Bits);
}

// A listed line as the files results write it: the number right-aligned in six, a space, the
// text.
std::string NumberedLine(int Number, const std::string& Text) {
    char Digits[16];
    std::snprintf(Digits, sizeof Digits, "%6d ", Number);
    return Digits + Text;
}

std::string MatchesHeader(int Count, const std::string& Term) {
    return std::to_string(Count) + (Count > 1 ? " matches" : " match") + " for \"" + Term + "\"";
}

// The files a results tab names, in the order of its sections.
std::vector<std::string> SectionFiles(const TDocumentEditor& Results) {
    std::vector<std::string> Files;
    for (auto& [Name, Line] : Results.SectionNames())
        Files.push_back(std::move(Name));
    return Files;
}

} // namespace

TFindReplace::TFindReplace(TWindowHost& Window, TFindReplaceHost& Host)
    : FWindow(Window), FHost(Host) {}

TFindReplace::~TFindReplace() = default;

TFindForm& TFindReplace::FindForm() {
    if (!FFindForm)
        FFindForm = std::make_unique<TFindForm>(FWindow.DialogParent());
    return *FFindForm;
}

void TFindReplace::FindNext() {
    if (FWindow.ActiveEditor() && CanRepeatSearch())
        FindNextInEditor(skFind, true);
}

void TFindReplace::SetSearchTermToSelection() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    std::string Term = Editor->GetSelText();
    if (Term.empty())
        Term = Editor->GetCurrentWord();
    if (Term.empty())
        return;
    Term.resize(std::min(Term.size(), std::size_t(TFindForm::MaxTextLength)));
    FindForm().SetFindText(Term);
    FFindText = Term;
    FFindOptions = Without(FFindOptions, ReplaceBits | soSelectionOnly) | soFind;
    FSearchConfirmed = true;
    FFoundSinceConfirmed = false;
    FWindow.UpdateCommandStates();
}

void TFindReplace::ShowFindDialog(bool Replace, bool AllDocuments) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    TFindForm& Form = FindForm();
    Form.SetTab(Replace);
    if (FWindow.Options().FindCurrentWord) {
        if (const std::string Word = Editor->GetCurrentWord(); !Word.empty())
            Form.SetFindText(Word);
    }
    const bool ListAllBefore = Form.ListAll();
    const bool AllOpenBefore = Form.AllOpenDocuments();
    if (AllDocuments) {
        Form.SetListAll(true);
        Form.SetAllOpenDocuments(true);
    }
    Form.SetSelectionEnabled(Editor->HasSelection());
    Form.SetReplaceCaption(Editor->HasSectionNames() ? "Replace Across Files" : "Replace");
    TMainWindowSettings& Settings = FWindow.WindowSettings();
    PlaceFormOnScreen(&Form, Settings.FindFormLeft, Settings.FindFormTop);
    const bool Confirmed = Form.Execute();
    Settings.FindFormLeft = Form.x();
    Settings.FindFormTop = Form.y();
    const bool ListAll = Form.ListAll();
    const bool AllOpen = Form.AllOpenDocuments();
    if (AllDocuments) {
        Form.SetListAll(ListAllBefore);
        Form.SetAllOpenDocuments(AllOpenBefore);
    }
    if (!Confirmed)
        return;

    FFindText = Form.GetFindText();
    FReplaceText = Form.GetReplaceText();
    FFindOptions = Form.GetOptions();
    FSearchConfirmed = true;
    FFoundSinceConfirmed = false;
    if (Form.JumpToStart())
        Editor->MoveCaretTo(1, 1);
    if (Form.IsReplaceTab()) {
        if (Editor->HasSectionNames())
            ReplaceAcrossFiles(*Editor);
        else
            ReplaceInEditor(*Editor);
    } else if (!ListAll) {
        FindNextInEditor(skFind, true);
    } else {
        ListMatchesInOpenDocuments(AllOpen);
    }
    FWindow.UpdateCommandStates();
}

void TFindReplace::ShowFoundText(TDocumentEditor& Editor) {
    if (FWindow.Options().RecentreOnFind)
        Editor.CentreCaretLine();
    int StartLine = 0, StartCol = 0, EndLine = 0, EndCol = 0;
    if (Editor.GetSelection(StartLine, StartCol, EndLine, EndCol) &&
        EndCol < Editor.GetVisibleColumns())
        Editor.ScrollToLeftEdge();
}

bool TFindReplace::FindNextInEditor(int CaptionIndex, bool Report) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return false;
    // A replace within the selection is over; looking again searches on from the caret.
    const bool Found =
        Editor->SearchReplace(FFindText, {}, Without(FFindOptions, ReplaceBits | soSelectionOnly))
            .Found;
    if (Found) {
        FFoundSinceConfirmed = true;
        ShowFoundText(*Editor);
    } else if (Report) {
        ShowNoMatchesMessage(CaptionIndex, !FFoundSinceConfirmed,
                             FWindow.Options().NoMoreMatchesMessage);
    }
    return Found;
}

void TFindReplace::ReplaceInEditor(TDocumentEditor& Editor) {
    TKorvidOptions& Options = FWindow.Options();
    if (FFindOptions & soReplaceAll) {
        const TSearchResult Result = Editor.SearchReplace(FFindText, FReplaceText, FFindOptions);
        if (Result.Replacements > 0)
            ShowChangeCompleteMessage(Result.Replacements, Options.ChangeCompleteMessage);
        else
            ShowNoMatchesMessage(skReplace, true, Options.NoMoreMatchesMessage);
        return;
    }
    int StartLine = 0, StartCol = 0, EndLine = 0, EndCol = 0;
    if (Editor.GetSelection(StartLine, StartCol, EndLine, EndCol))
        Editor.MoveCaretTo(StartLine, StartCol);
    const std::uint16_t SearchOptions = Without(FFindOptions, ReplaceBits);
    int Count = 0;
    bool Found = FindNextInEditor(skReplace, true);
    while (Found) {
        QPoint Where;
        int Offset = 0;
        if (Options.FixedReplace) {
            const QWidget* Window = FWindow.DialogParent();
            const QScreen* Screen =
                Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
            Where = Screen->availableGeometry().topLeft();
        } else {
            Where = Editor.GetSelectionScreenPoint();
            Offset = Editor.LineHeight();
        }
        switch (AskReplaceOccurrence(Where.x(), Where.y(), Offset)) {
        case raYes: {
            // The engine replaces the selected match and selects the next one.
            const TSearchResult Result =
                Editor.SearchReplace(FFindText, FReplaceText, SearchOptions | soReplace);
            Count += Result.Replacements;
            Found = Result.Found;
            if (Found)
                ShowFoundText(Editor);
            else if (Result.Error == 0)
                ShowNoMatchesMessage(skReplace, false, Options.NoMoreMatchesMessage);
            break;
        }
        case raNo:
            Found = FindNextInEditor(skReplace, true);
            break;
        case raYesToAll:
            Count += Editor.SearchReplace(FFindText, FReplaceText, SearchOptions | soReplaceAll)
                         .Replacements;
            ShowChangeCompleteMessage(Count, Options.ChangeCompleteMessage);
            Found = false;
            break;
        default:
            Found = false;
            break;
        }
    }
}

void TFindReplace::ReplaceAcrossFiles(TDocumentEditor& Results) {
    if (!AskReplaceAcrossFiles(FFindText, FReplaceText))
        return;
    const std::vector<std::string> Files = SectionFiles(Results);
    // Each file is searched from its start, whole.
    const std::uint16_t Options =
        Without(FFindOptions, soBackwards | soSelectionOnly | soReplace) | soReplaceAll;
    int Total = 0;
    std::vector<TUnchangedFile> Unchanged;
    bool Abandoned = false;
    {
        // Opening a file lets events run; nothing else may start meanwhile, and a close stops
        // the run before the next file.
        const TLongOperations::TToken Run =
            FWindow.LongOperations().Begin(TLongOperations::TKind::ReplaceAcrossFiles);
        for (const std::string& Name : Files) {
            if (Run.StopRequested())
                break;
            // A file that cannot be opened is named once, at the end.
            if (!FHost.ActivateTabOfFile(Name))
                FHost.OpenFileQuietly(Name, IsReadOnlyFile(Name));
            TDocumentEditor* Editor = FWindow.ActiveEditor();
            // Only the file itself may be changed: never whatever tab happens to be active.
            if (!Editor || Editor == &Results || FHost.FindTabOfFile(Name) != FHost.CurrentTab()) {
                Unchanged.push_back({Name, urNotOpened});
                continue;
            }
            if (Editor->ReadOnly()) {
                Unchanged.push_back({Name, urReadOnly});
                continue;
            }
            Editor->MoveCaretTo(1, 1);
            const int Count = Editor->SearchReplace(FFindText, FReplaceText, Options).Replacements;
            // A file without a replacement is not saved, so its view's save rules cannot touch
            // it.
            if (Count <= 0)
                continue;
            if (FHost.SaveActiveFile())
                Total += Count;
            else
                Unchanged.push_back({Name, urNotSaved});
        }
        Abandoned = Run.Abandoned();
    }
    FWindow.UpdateCommandStates();
    // The window closes now that the run has returned: nobody is left to read its outcome.
    if (Abandoned)
        return;
    ShowChangeCompleteMessage(Total, FWindow.Options().ChangeCompleteMessage);
    if (!Unchanged.empty())
        ShowFilesLeftUnchangedMessage(Unchanged);
}

void TFindReplace::ListMatchesInOpenDocuments(bool AllDocuments) {
    std::vector<TDocumentEditor*> Documents;
    if (!AllDocuments) {
        if (TDocumentEditor* Editor = FWindow.ActiveEditor())
            Documents.push_back(Editor);
    } else {
        for (int Index = 0; Index < FHost.TabCount(); ++Index)
            if (TDocumentEditor* Editor = FHost.EditorAt(Index); Editor && Editor->HasFileName())
                Documents.push_back(Editor);
    }
    // A listing reads down from the top, whatever direction the dialog asked for.
    const std::uint16_t Options = Without(FFindOptions, ReplaceBits | soBackwards);
    std::vector<std::string> Lines;
    std::vector<std::pair<std::string, int>> Sections;
    int Count = 0;
    for (TDocumentEditor* Editor : Documents) {
        if (AllDocuments) {
            Lines.emplace_back();
            // The header goes in front later: the name line's index in the final text.
            Sections.emplace_back(Editor->FileName, int(Lines.size()) + 1);
            Lines.push_back(Editor->FileName);
        }
        Editor->SetUpdatesSuspended(true);
        Editor->MoveCaretTo(1, 1);
        int Previous = 0;
        while (Editor->SearchReplace(FFindText, {}, Options).Found) {
            const int Para = Editor->CaretLine();
            if (Para != Previous) {
                Lines.push_back(NumberedLine(Para, Editor->CaretParagraphText()));
                ++Count;
                Previous = Para;
            }
            // An empty match (a whole empty line) leaves the caret where it was.
            if (!Editor->HasSelection()) {
                if (Para >= Editor->ParaCount())
                    break;
                Editor->MoveCaretTo(Editor->ParaToLine(Para + 1), 1);
            }
        }
        Editor->SetUpdatesSuspended(false);
    }
    if (Count == 0) {
        ShowNoMatchesMessage(skFind, true, FWindow.Options().NoMoreMatchesMessage);
        return;
    }
    std::string Header = MatchesHeader(Count, FFindText);
    if (AllDocuments)
        Header += " in all open documents";
    else if (Documents.front()->HasFileName())
        Header += " in " + Documents.front()->FileName;
    Lines.insert(Lines.begin(), Header);
    if (!AllDocuments) {
        Lines.insert(Lines.begin() + 1, std::string());
        if (Documents.front()->HasFileName())
            Sections.emplace_back(Documents.front()->FileName, 1);
    }
    FWindow.OpenResultsTab("Find: " + FFindText, Lines, Sections, true);
}

// ---- Go To and Sort -----------------------------------------------------------------------------

void TFindReplace::GoTo() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return;
    const bool Paragraphs = Editor->WordWrap();
    TGoToForm Form(FWindow.DialogParent());
    Form.SetParagraphMode(Paragraphs);
    Form.SetNumber(Editor->CaretLine());
    CentreOnMainForm(&Form);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    const int Count = std::max(Paragraphs ? Editor->ParaCount() : Editor->LineCount(), 1);
    const int Number = std::clamp(Form.Number(), 1, Count);
    Editor->MoveCaretTo(Paragraphs ? Editor->ParaToLine(Number) : Number, 1);
    FWindow.UpdateCommandStates();
}

void TFindReplace::Sort() {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor || Editor->ReadOnly())
        return;
    TSortForm Form(FWindow.DialogParent());
    Form.SetParagraphMode(Editor->WordWrap());
    Form.SetSortOptions(FSortOptions);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    Form.GetSortOptions(FSortOptions);
    FWindow.StoreSettings();
    Editor->FormatSort(FSortOptions);
    FWindow.UpdateCommandStates();
}

} // namespace korvid
