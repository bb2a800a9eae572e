#pragma once

#include "foundation/FileReader.h"
#include "foundation/TextFileWriter.h"
#include "platform/KorvidError.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class EFileOpenError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// What the password prompt of an encrypted file is told and answers.
struct TPasswordRequest {
    std::filesystem::path FileName;
    bool ShowAsterisks = true;     // in and out: the "&Show as asterisks" check box
    bool PasswordWasWrong = false; // the previous answer did not decipher the file
    std::string Password;          // out
};

// Answers true for OK (Password filled in), false for Cancel.
using TPasswordPrompt = std::function<bool(TPasswordRequest& Request)>;

// The prompt that loads use when they are given none of their own; the user interface installs
// its dialog here. Without any prompt an encrypted file cannot be opened.
void InstallPasswordPrompt(TPasswordPrompt Prompt);

enum class TLoadResult {
    Loaded,
    Cancelled, // the password prompt or the read was stopped: nothing is to be opened
};

// A list of lines that reads text files by the program's rules: encrypted files are deciphered
// after asking for the password, binary content is flagged, UTF-8 is decoded into 8-bit text,
// every kind of line end is accepted and a final line end is remembered.
class TBinaryStrings {
public:
    static constexpr std::size_t ReadBufferSize = 64 * 1024;

    bool ForceUtf8 = false;      // set by the caller: decode as UTF-8 even without a mark
    bool ContainsBinary = false; // the file held binary data, or a NUL that ends its text
    // The lines hold only part of the file: a NUL ended its text, or an encrypted file is damaged
    // from DamagedLine on. Saving them over the file would destroy the rest.
    bool TextWasCut = false;
    std::size_t DamagedLine = 0;    // of an encrypted file: the 1-based line where damage starts
    bool EndsWithLineBreak = false; // the text ended with CR or LF
    bool WasUtf8 = false;           // the file was decoded as UTF-8
    bool HadByteOrderMark = false;  // the file began with the UTF-8 byte-order mark
    // The kind of the text's first line end; none when it has no line end.
    std::optional<TLineBreak> LineBreak;

    // Used instead of the installed prompt when set.
    TPasswordPrompt PasswordPrompt;
    // Reads the file; ReadWholeFile when unset. OnReadStep is handed to it.
    TFileReader Reader;
    TReadStep OnReadStep;

    // ShowAsterisks goes to the password prompt and comes back from it; Password receives the
    // password of an encrypted file, else it is empty. A file that cannot be read raises
    // EFileOpenError.
    [[nodiscard]] TLoadResult LoadFromFile(const std::filesystem::path& FileName,
                                           bool& ShowAsterisks, std::string& Password);

    // Cuts every line longer than MaxLength into pieces of MaxLength (never inside an escape);
    // false when any line was cut.
    bool SplitLongLines(std::size_t MaxLength);

    // The lines joined by CR LF, with a final CR LF only when EndsWithLineBreak is set.
    std::string Text() const;
    // Replaces the lines by those of Text, which ends at its first NUL.
    void SetText(std::string_view Text);

    // Writes the lines back as they were read: UTF-8 when the file was, with its mark when it
    // had one, its kind of line end and a final line end when it had one.
    void SaveToFile(const std::filesystem::path& FileName) const;

    std::vector<std::string>& Lines() { return FLines; }
    const std::vector<std::string>& Lines() const { return FLines; }
    std::size_t Count() const { return FLines.size(); }
    const std::string& operator[](std::size_t Index) const { return FLines[Index]; }
    void Clear() { FLines.clear(); }

private:
    bool ReadsAsUtf8(std::string_view Data, bool Encrypted) const;
    bool Decrypt(const std::filesystem::path& FileName, std::string& Data, bool& ShowAsterisks,
                 std::string& Password);

    std::vector<std::string> FLines;
};

} // namespace korvid
