#pragma once

#include "foundation/FileReader.h"
#include "foundation/TextFileWriter.h"
#include "platform/KorvidError.h"

#include <algorithm>
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

class TBinaryStrings;

// Gives the lines of a TBinaryStrings one at a time without making a string of each: a line is
// a view into the text read, and only a line that decoding or cutting changes is made, in a
// buffer of the cursor's own. A line given stays valid until the next call and while the
// TBinaryStrings is left unchanged.
class TLineCursor {
public:
    explicit TLineCursor(const TBinaryStrings& Lines);
    // The next line; false when there is none left.
    bool Next(std::string_view& Line);

private:
    std::string_view FText;                 // what is left of the text read
    std::string_view FPieces;               // what is left of a line being cut
    std::size_t FCutLength;                 // 0: no line is cut
    bool FDecode;                           // lines are decoded from UTF-8
    const std::vector<std::string>* FLines; // lines held as strings, given after the text
    std::size_t FIndex = 0;
    std::string FDecoded;
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
    // The same for a file's bytes already read; FileName is what the password prompt shows.
    // The lines are kept as the text read (decoded and cut only as they are taken), so that
    // they reach a document without a string being made for each.
    [[nodiscard]] TLoadResult LoadFromBytes(std::string&& Bytes,
                                            const std::filesystem::path& FileName,
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

    // The lines as strings (made from the text read when first asked for).
    std::vector<std::string>& Lines();
    const std::vector<std::string>& Lines() const;
    std::size_t Count() const { return Lines().size(); }
    const std::string& operator[](std::size_t Index) const { return Lines()[Index]; }
    void Clear();
    // Adds a line after the others.
    void Add(std::string Line);

    // The lines one at a time, and estimates of how many there are and how many characters
    // they hold, for reserving room for them (exact unless UTF-8 is decoded or lines are cut).
    TLineCursor Cursor() const { return TLineCursor(*this); }
    // The text read, when the cursor's lines are views into it rather than decoded copies; a
    // reader that keeps those lines where they lie takes it over (leaving it empty), and the
    // lines of the text are then gone from here. Null when there is none to take.
    std::string* TextToKeep() const;
    std::size_t CountEstimate() const;
    std::size_t TextBytesEstimate() const;

private:
    friend class TLineCursor;

    bool ReadsAsUtf8(std::string_view Data, bool Encrypted) const;
    bool Decrypt(const std::filesystem::path& FileName, std::string& Data, bool& ShowAsterisks,
                 std::string& Password);
    // Keeps Data as the text of the lines, from Start up to its first NUL, which is at Nul
    // (npos for none).
    void TakeText(std::string&& Data, std::size_t Start, bool Decode, std::size_t Nul);
    // Counts the lines of the text read and finds the longest.
    void Scan() const;
    bool AnyLineLongerThan(std::size_t MaxLength) const;
    // Turns the text read into strings.
    void MakeLines() const;
    void DropText() const;
    std::string_view HeldText() const {
        return std::string_view(FText).substr(std::min(FTextStart, FText.size()));
    }

    mutable std::vector<std::string> FLines;
    // Until the lines are made: the text read, where its first line starts, whether it is
    // decoded from UTF-8 and the length at which long lines are cut (0 for none).
    mutable std::string FText;
    mutable std::size_t FTextStart = 0;
    mutable bool FDecode = false;
    mutable std::size_t FCutLength = 0;
    // Found by Scan: the text's lines and the longest of them, before decoding and cutting.
    mutable bool FScanned = false;
    mutable std::size_t FTextLineCount = 0;
    mutable std::size_t FLongestLine = 0;
};

} // namespace korvid
