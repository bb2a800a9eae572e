#pragma once

#include "editor/engine/EngCustomEditor.h"
#include "foundation/TextFileWriter.h"

#include <string>
#include <string_view>

namespace korvid {

// How a document is written: the options of its view.
struct TTextSaveOptions {
    bool FinalLineEnd = true;                // the last line gets a line end too
    bool Utf8 = false;                       // UTF-8 text
    TLineBreak LineBreak = TLineBreak::CrLf; // the line end written
    bool PreserveSolitarySpaces = false;     // a line of blanks only keeps them
    bool PreserveSpaces = false;             // trailing blanks are kept
    bool ByteOrderMark = true;               // UTF-8 text begins with EF BB BF
};

// The editor bound to one text file: reads it into paragraphs, writes them back with the save
// options of the document's view, and can keep the previous file as a backup.
class TEngCustomTextFileEditor : public TEngCustomEditor {
public:
    static constexpr std::string_view DefaultBackupExt = "BAK";
    static constexpr std::size_t MaxBackupExtLength = 3;

    using TEngCustomEditor::TEngCustomEditor;

    const std::string& BackupExt() const { return FBackupExt; }
    void SetBackupExt(std::string_view Value);
    const std::string& FileName() const { return FFileName; }
    // A name that differs (ignoring case) closes the file; a trailing "." is dropped.
    void SetFileName(std::string_view Value);
    bool MakeBackup = false;
    bool IsOpen() const { return FIsOpen; }
    // With a file name: true reads the file, false empties the text.
    void SetIsOpen(bool Value);
    // Set while the editor's settings are being restored: opening waits for Loaded.
    bool ComponentLoading = false;
    void Loaded();

    // Shares Other's text and takes its file name.
    void AttachTo(TEngCustomTextFileEditor& Other);

    // Reads the file into the text; a file beyond the editor's limits raises EEditorError with
    // the paragraphs read so far in place, and the file is then not open.
    virtual void LoadFromFile(std::string_view Name);
    // Writes the text; on failure raises EFileSaveError, leaving the old file and its backup
    // as they were and the text modified.
    virtual void SaveToFile(std::string_view Name, const TTextSaveOptions& Options);

    // The name the previous file is kept under: its extension replaced by BackupExt.
    std::string BackupName(std::string_view Name) const;

private:
    std::string FBackupExt{DefaultBackupExt};
    std::string FFileName;
    bool FIsOpen = false;
};

class TEngTextFileEditor : public TEngCustomTextFileEditor {
public:
    using TEngCustomTextFileEditor::TEngCustomTextFileEditor;
};

} // namespace korvid
