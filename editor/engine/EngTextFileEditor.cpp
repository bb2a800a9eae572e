#include "editor/engine/EngTextFileEditor.h"

#include "editor/engine/EngException.h"
#include "foundation/BinaryStrings.h"
#include "foundation/TextFileWriter.h"
#include "platform/Cp1252.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace korvid {

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingDot(std::string_view Name) {
    if (Name.size() > 1 && Name.back() == '.')
        Name.remove_suffix(1);
    return std::string(Name);
}

bool OnlyBlanks(std::string_view Text) {
    return Text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view LineToWrite(std::string_view Text, const TTextSaveOptions& Options) {
    if (Options.PreserveSpaces || (Options.PreserveSolitarySpaces && OnlyBlanks(Text)))
        return Text;
    const auto Last = Text.find_last_not_of(" \t");
    return Last == std::string_view::npos ? std::string_view() : Text.substr(0, Last + 1);
}

// Holds the old file under a second name until the new one is in place: a hard link where the
// file system has them, else a copy. Empty when it could not be kept.
fs::path KeepOldFile(const fs::path& Target) {
    fs::path Kept = Target;
    Kept += ".korvid-old";
    std::error_code Ec;
    fs::remove(Kept, Ec);
    fs::create_hard_link(Target, Kept, Ec);
    if (Ec) {
        Ec.clear();
        fs::copy_file(Target, Kept, fs::copy_options::overwrite_existing, Ec);
    }
    if (Ec) {
        fs::remove(Kept, Ec);
        return {};
    }
    return Kept;
}

int LoadErrorCode(int Code) {
    return Code == eeTooManyParas || Code == eeTextTooLarge || Code == eeParaTooLong
               ? Code
               : eeOutOfMemory;
}

} // namespace

void TEngCustomTextFileEditor::SetBackupExt(std::string_view Value) {
    FBackupExt = Value.substr(0, MaxBackupExtLength);
}

void TEngCustomTextFileEditor::SetFileName(std::string_view Value) {
    if (SameText1252(Value, FFileName))
        return;
    FIsOpen = false;
    FFileName = WithoutTrailingDot(Value);
}

void TEngCustomTextFileEditor::SetIsOpen(bool Value) {
    if (Value == FIsOpen || FFileName.empty())
        return;
    FIsOpen = Value;
    if (ComponentLoading)
        return;
    if (Value) {
        FIsOpen = false; // set again once the file has been read
        LoadFromFile(FFileName);
    } else {
        ClearAll();
        Relayout();
    }
}

void TEngCustomTextFileEditor::Loaded() {
    ComponentLoading = false;
    if (FIsOpen) {
        FIsOpen = false;
        LoadFromFile(FFileName);
    }
}

void TEngCustomTextFileEditor::AttachTo(TEngCustomTextFileEditor& Other) {
    Attach(Other);
    if (Host().WindowExists())
        SetFileName(Other.FileName());
}

void TEngCustomTextFileEditor::LoadFromFile(std::string_view Name) {
    if (Name.empty())
        return;
    FFileName = WithoutTrailingDot(Name);
    const TEngBusy Busy(Host());
    TBinaryStrings Reader;
    bool ShowAsterisks = true;
    std::string Password;
    if (Reader.LoadFromFile(fs::path(FFileName), ShowAsterisks, Password) == TLoadResult::Cancelled)
        return;
    ClearAll();
    TParaList& L = Lines();
    // A final line end leaves an empty last paragraph, as when the same text is typed or set,
    // so that saving with a final line end gives the same bytes back.
    if (Reader.EndsWithLineBreak)
        Reader.Add({});
    int Error = eeNone;
    // The first line goes after the fresh text's one empty paragraph, which then goes. A line
    // longer than a paragraph may be is cut into several by the append path.
    TLineCursor Read = Reader.Cursor();
    std::string_view Line;
    for (bool First = true; Error == eeNone && Read.Next(Line); First = false) {
        Error = AppendLine(Line);
        if (First && L.ParaCount() > 1)
            L.DeletePara(this, 1);
    }
    L.UndoBuffer().Clear();
    L.SetModified(false);
    Relayout();
    if (Error != eeNone) {
        const int Code = LoadErrorCode(Error);
        throw EEditorError(EngineErrorMessage(Code), Code);
    }
    FIsOpen = true;
}

std::string TEngCustomTextFileEditor::BackupName(std::string_view Name) const {
    fs::path Backup(Name);
    Backup.replace_extension("." + FBackupExt);
    return Backup.string();
}

void TEngCustomTextFileEditor::SaveToFile(std::string_view Name, const TTextSaveOptions& Options) {
    if (Name.empty())
        return;
    const TEngBusy Busy(Host());
    TParaList& L = Lines();
    TTextFileOptions FileOptions{Options.FinalLineEnd, Options.Utf8, Options.LineBreak,
                                 Options.ByteOrderMark};
    // An empty last paragraph stands for the previous paragraph's line end: it writes none of
    // its own, or every save would add an empty line.
    int Count = L.ParaCount();
    if (Count > 1 && L.ParaLength(Count) == 0) {
        --Count;
        FileOptions.FinalLineEnd = true;
    }
    int Para = 0;
    const TLineSource NextLine = [&](std::string_view& Line) {
        if (Para == Count)
            return false;
        Line = LineToWrite(L.ParaText(++Para), Options);
        return true;
    };
    const fs::path Target(Name);
    const fs::path Backup(BackupName(Name));
    fs::path Kept;
    std::error_code Ec;
    if (MakeBackup && Backup != Target && fs::exists(Target, Ec))
        Kept = KeepOldFile(Target);
    try {
        WriteTextFile(Target, NextLine, FileOptions);
    } catch (...) {
        if (!Kept.empty())
            fs::remove(Kept, Ec);
        throw;
    }
    if (!Kept.empty()) {
        fs::remove(Backup, Ec);
        fs::rename(Kept, Backup, Ec);
        if (Ec)
            fs::remove(Kept, Ec);
    }
    SetModified(false);
}

} // namespace korvid
