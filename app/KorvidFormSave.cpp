#include "app/KorvidForm.h"

#include "app/Clipboards.h"

#include "foundation/BinaryStrings.h"
#include "foundation/TextFileWriter.h"
#include "foundation/Utf8Codec.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"

#include <QDateTime>
#include <QTabWidget>

#include <filesystem>

namespace korvid {
namespace fs = std::filesystem;

namespace {

bool HasPrefix(const std::string& Line, std::string_view Prefix) {
    return Line.compare(0, Prefix.size(), Prefix) == 0;
}

std::string LowerExtensionOf(const std::string& Name) {
    return LowerCase1252(fs::path(Name).extension().string());
}

bool IsSameFile(const std::string& A, const std::string& B) {
    std::error_code Error;
    return A == B || fs::equivalent(A, B, Error);
}

} // namespace

TDocumentSaveOptions TKorvidForm::SaveOptionsOf(const TDocumentEditor& Editor) const {
    TDocumentSaveOptions Options;
    const TDocumentView* View = Editor.View() ? Editor.View() : DefaultView();
    Options.Utf8 = Editor.SaveAsUtf8 || View->Utf8;
    Options.ByteOrderMark = Editor.WriteByteOrderMark;
    if (Editor.NewDocument) {
        // An empty document stays an empty file.
        const bool Empty = Editor.ParaCount() == 1 && Editor.LineLength(1) == 0;
        Options.FinalLineEnd = !Empty;
        Options.LineBreak = TLineBreak::Lf;
    } else {
        Options.FinalLineEnd = View->FinalLineFeed;
        Options.LineBreak =
            View->SaveAsUnix ? TLineBreak::Lf : Editor.FileLineBreak.value_or(TLineBreak::CrLf);
    }
    Options.PreserveSolitarySpaces = View->PreserveSolitarySpaces;
    Options.PreserveSpaces = View->PreserveSpaces;
    return Options;
}

bool TKorvidForm::SaveActiveFile() {
    const bool Saved = SaveEditor(ActiveEditor());
    UpdateCommandStates();
    return Saved;
}

bool TKorvidForm::SaveEditor(TDocumentEditor* Editor) {
    if (!Editor)
        return true;
    if (!Editor->HasFileName())
        return SaveEditorAs(Editor);
    const bool Saved = SaveEditorToFile(Editor, Editor->FileName, true);
    History().AddToHistory(Editor->FileName);
    return Saved;
}

bool TKorvidForm::SaveEditorToFile(TDocumentEditor* Editor, const std::string& Name,
                                   bool ChooseView) {
    if (!Editor)
        return false;
    if (Editor->TextWasCut && IsSameFile(Name, Editor->FileName)) {
        if (Editor->ParagraphsSplit)
            ShowSplitFileNotSavedMessage(Name);
        else
            ShowCutFileNotSavedMessage(Name);
        return false;
    }
    bool Saved = true;
    const bool IntoVolume = Name.find('>') != std::string::npos;
    if (IntoVolume) {
        Saved = SaveEditorToVolume(Editor, Name);
    } else if (Editor->Password.empty()) {
        try {
            Editor->SaveToFile(Name, SaveOptionsOf(*Editor));
        } catch (const EFileSaveError& Error) {
            ShowUnableToSaveFileMessage(Error.Reason());
            Saved = false;
        }
        if (Saved && FOptions.UpdateTiddlerTimestamps && LowerExtensionOf(Name) == ".tid")
            UpdateTiddlerTimestamps(Name);
    } else {
        Saved = SaveEditorEncrypted(Editor, Name);
    }
    UpdateTabCaption(Editor);
    if (!Saved)
        return false;
    if (ChooseView && !IntoVolume && !Editor->ViewChosenByUser)
        Editor->SetView(FViews->FindForFileName(Name));
    if (!FOptions.UndoAfterSave)
        Editor->ClearUndo();
    return true;
}

bool TKorvidForm::SaveEditorEncrypted(TDocumentEditor* Editor, const std::string& Name) {
    if (!Editor)
        return false;
    try {
        Editor->SaveEncrypted(Name);
        return true;
    } catch (const EFileSaveError& Error) {
        ShowUnableToSaveFileMessage(Error.Reason());
        return false;
    }
}

bool TKorvidForm::SaveEditorToVolume(TDocumentEditor* Editor, const std::string& Name) {
    if (!Editor)
        return false;
    if (!ConfirmSavePSystemFile(FOptions.SavePSystem))
        return false;
    const bool Force = Name.find(">WIN") != std::string::npos ||
                       Name.find(">WIM") != std::string::npos ||
                       Name.find(">WIP") != std::string::npos;
    const TDocumentView* View = Editor->View() ? Editor->View() : DefaultView();
    try {
        return Editor->SaveToPSystemVolume(Name, FOptions.PSystemBackups,
                                           View->PreserveSpaces || Force,
                                           View->PreserveSolitarySpaces || Force);
    } catch (const EKorvidError& Error) {
        ShowOkMessage("Korvid", Error.what());
        return false;
    }
}

bool TKorvidForm::SaveEditorAs(TDocumentEditor* Editor) {
    if (!Editor)
        return true;
    TSaveDialog& Dialog = *FSaveDialog;
    Dialog.Filter = "All Files (*.*)|*.*";
    Dialog.Options = {ofHideReadOnly, ofPathMustExist};
    // A document with a file starts beside it (a volume's document beside its volume); an
    // untitled one where the last save went.
    if (Editor->HasFileName())
        Dialog.SetInitialDir(
            fs::path(Editor->FileName.substr(0, Editor->FileName.find('>'))).parent_path());
    else
        Dialog.SetInitialDir(FSettings.SaveFolder);
    Dialog.Title = "Save " + Editor->GetShortDisplayName() + " As";
    Dialog.FileName = Editor->GetShortDisplayName();
    bool Executed = false;
    bool Confirmed = true;
    std::string Name;
    do {
        Confirmed = true;
        Executed = Dialog.Execute();
        if (!Executed)
            break;
        Name = Dialog.FileName.string();
        Dialog.SetInitialDir(fs::path(Name).parent_path());
        FSettings.SaveFolder = fs::path(Name).parent_path().string();
        if (fs::path(Name).extension().empty() && Editor->View())
            Name += Editor->View()->DefaultExtension();
        Name = TrueCaseFileName(Name, FOptions.RetainFilenameCase);
        std::error_code Error;
        if (fs::exists(Name, Error))
            Confirmed = ConfirmReplaceFile(Name, FOptions.ReplaceFileMessage);
        Dialog.FileName = Name;
    } while (!Confirmed);

    bool Saved = false;
    if (Executed && SaveEditorToFile(Editor, Name, true)) {
        Saved = true;
        Editor->FileName = Name;
        Editor->TextWasCut = false;
        Editor->ParagraphsSplit = false;
        History().AddToHistory(Editor->FileName);
        Editor->UntitledCaption = DisplayFileName(PathDisplayText(fs::path(Name).filename()));
        UpdateTabCaption(Editor);
        if (TabOfEditor(Editor) == CurrentTab())
            UpdateCaption(Editor->CaptionName());
        FClipboards->Forget(TabOfEditor(Editor));
    }
    UpdateCommandStates();
    return Saved;
}

void TKorvidForm::SaveAllModified() {
    for (int Index = 0; Index < FTabs->count(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index)))
            if (Editor->Modified())
                SaveEditor(Editor);
}

void TKorvidForm::UpdateTiddlerTimestamps(const std::string& Name) {
    TBinaryStrings Lines;
    try {
        std::string Password;
        bool Asterisks = true;
        if (Lines.LoadFromFile(Name, Asterisks, Password) == TLoadResult::Cancelled)
            return;
    } catch (const EKorvidError&) {
        return;
    }
    auto& Text = Lines.Lines();
    int Created = -1, Modified = -1;
    for (int Index = 0; Index < int(Text.size()) && !Text[Index].empty(); ++Index) {
        if (HasPrefix(Text[Index], "created: ")) {
            Created = Index;
            if (Modified >= 0)
                break;
        } else if (HasPrefix(Text[Index], "modified: ")) {
            Modified = Index;
            if (Created >= 0)
                break;
        }
    }
    const std::string Stamp = FromQString(FClock().toString("yyyyMMddHHmmss")) + "000";
    if (Created < 0)
        Text.insert(Text.begin(), "created: " + Stamp);
    else if (Modified < 0)
        Text.insert(Text.begin() + Created + 1, "modified: " + Stamp);
    else
        Text[Modified] = "modified: " + Stamp;

    std::string Output;
    for (std::size_t Index = 0; Index < Text.size(); ++Index) {
        if (Index > 0)
            Output += '\n';
        Output += Text[Index];
    }
    Output.erase(Output.find_last_not_of(" \t\r\n") + 1);
    Output += '\n';
    // A file read as UTF-8 is written back as UTF-8, as it was saved, with its mark if it had one.
    if (Lines.WasUtf8)
        Output = (Lines.HadByteOrderMark ? "\xEF\xBB\xBF" : "") + AnsiToUtf8Text(Output);
    try {
        SaveSafely(Name, [&Output](TAtomicFileWriter& Writer) { Writer.Write(Output); });
    } catch (const EFileSaveError& Error) {
        ShowUnableToSaveFileMessage(Error.Reason());
    }
}

void TKorvidForm::UpdateTabCaption(TDocumentEditor* Editor) {
    QWidget* Tab = TabOfEditor(Editor);
    if (!Tab)
        return;
    std::string Caption = Editor->UntitledCaption;
    if (Editor->Modified() && FOptions.MarkModifiedTabs)
        Caption += " *";
    const int Index = FTabs->indexOf(Tab);
    const QString Text = ToQString(Caption);
    if (FTabs->tabText(Index) != Text)
        FTabs->setTabText(Index, Text);
}

void TKorvidForm::UpdateTabCaptions() {
    for (int Index = 0; Index < FTabs->count(); ++Index)
        UpdateTabCaption(EditorOfTab(FTabs->widget(Index)));
}

} // namespace korvid
