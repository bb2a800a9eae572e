#pragma once

#include "platform/KorvidError.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TAtomicFileWriter;

inline constexpr std::string_view UnableToSaveText = "Korvid was unable to save the file.";

// A document could not be written; the old file, if any, is unchanged. Reason tells why.
class EFileSaveError : public EKorvidError {
public:
    EFileSaveError(std::filesystem::path FileName, std::string Reason);
    const std::filesystem::path& FileName() const { return FFileName; }
    const std::string& Reason() const { return FReason; }

private:
    std::filesystem::path FFileName;
    std::string FReason;
};

// Runs Write against a safe writer for FileName and puts the result in place only when every
// step succeeded; any failure of the file raises EFileSaveError.
void SaveSafely(const std::filesystem::path& FileName,
                const std::function<void(TAtomicFileWriter&)>& Write);

// The line end a text file is written with.
enum class TLineBreak { CrLf, Lf, Cr };

std::string_view LineBreakText(TLineBreak LineBreak);

struct TTextFileOptions {
    bool FinalLineEnd = true;
    bool Utf8 = false; // escapes written as their characters
    TLineBreak LineBreak = TLineBreak::CrLf;
    bool ByteOrderMark = true; // a UTF-8 file begins with EF BB BF
};

// Writes Lines as a text file: a last line that is empty is not written, and every line but
// the last is followed by a line end (the last only with FinalLineEnd).
void WriteTextFile(const std::filesystem::path& FileName, const std::vector<std::string>& Lines,
                   const TTextFileOptions& Options);

// Gives the next line to write, answering false when there is none left; the line given stays
// valid until the next call.
using TLineSource = std::function<bool(std::string_view& Line)>;

// The same for lines taken one at a time, so that a document is written without a copy of its
// text: each line goes straight into the writer's buffer.
void WriteTextFile(const std::filesystem::path& FileName, const TLineSource& Next,
                   const TTextFileOptions& Options);

} // namespace korvid
