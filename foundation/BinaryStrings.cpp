#include "foundation/BinaryStrings.h"

#include "foundation/EncryptionEngine.h"
#include "foundation/FileReader.h"
#include "foundation/TextFileWriter.h"
#include "foundation/Utf8Codec.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <utility>

namespace korvid {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view CrLf = "\r\n";
constexpr std::size_t BinaryProbeLength = 4096;
constexpr int BinaryControlCount = 32;

TPasswordPrompt& InstalledPrompt() {
    static TPasswordPrompt Prompt;
    return Prompt;
}

bool IsControlByte(unsigned char B) {
    return B <= 0x08 || B == 0x0B || B == 0x0C || (B >= 0x0E && B <= 0x1F);
}

// Enough control bytes near the start mark a binary file; so does any NUL, since the text ends
// there and a save would drop everything after it.
bool LooksBinary(std::string_view Data) {
    const std::string_view Probe = Data.substr(0, BinaryProbeLength);
    const auto Controls = std::count_if(Probe.begin(), Probe.end(), [](char C) {
        return IsControlByte(static_cast<unsigned char>(C));
    });
    return Controls >= BinaryControlCount || Data.find('\0') != std::string_view::npos;
}

bool IsLineEnd(char C) {
    return C == '\r' || C == '\n';
}

TLineBreak LineBreakAt(std::string_view LineEnd) {
    if (LineEnd == CrLf)
        return TLineBreak::CrLf;
    return LineEnd == "\n" ? TLineBreak::Lf : TLineBreak::Cr;
}

bool IsEscapeIn(std::string_view Line, std::size_t Pos, char16_t Low, char16_t High) {
    const auto Unit = ParseEscape(Line, Pos);
    return Unit && *Unit >= Low && *Unit <= High;
}

// The two escapes of a character beyond U+FFFF meet at Pos.
bool SplitsSurrogatePair(std::string_view Line, std::size_t Pos) {
    return Pos >= EscapeLength && IsEscapeIn(Line, Pos - EscapeLength, 0xD800, 0xDBFF) &&
           IsEscapeIn(Line, Pos, 0xDC00, 0xDFFF);
}

// Where to end a piece that starts at Start and should end at Cut: an escape that Cut would
// split moves the cut before it, and so does the low half of a surrogate pair; a piece too short
// to hold the escape takes all of it instead.
std::size_t SafeCut(std::string_view Line, std::size_t Start, std::size_t Cut) {
    const std::size_t From = Cut >= Start + EscapeLength - 1 ? Cut - (EscapeLength - 1) : Start;
    for (std::size_t Pos = From; Pos < Cut; ++Pos) {
        if (!ParseEscape(Line, Pos))
            continue;
        if (Pos > Start)
            Cut = Pos;
        else
            Cut = Pos + EscapeLength;
        break;
    }
    if (Cut > Start + EscapeLength && SplitsSurrogatePair(Line, Cut))
        Cut -= EscapeLength;
    return Cut;
}

} // namespace

void InstallPasswordPrompt(TPasswordPrompt Prompt) {
    InstalledPrompt() = std::move(Prompt);
}

bool TBinaryStrings::Decrypt(const std::filesystem::path& FileName, std::string& Data,
                             bool& ShowAsterisks, std::string& Password) {
    const TPasswordPrompt& Prompt = PasswordPrompt ? PasswordPrompt : InstalledPrompt();
    if (!Prompt)
        return false;
    TPasswordRequest Request;
    Request.FileName = FileName;
    Request.ShowAsterisks = ShowAsterisks;
    const std::string_view Records = std::string_view(Data).substr(EncryptedMarkerLength);
    for (;;) {
        Request.Password.clear();
        if (!Prompt(Request))
            return false;
        ShowAsterisks = Request.ShowAsterisks;
        std::string Text;
        TEncryptionEngine Engine(Request.Password);
        const TDecryptResult Result = Engine.DecryptRecords(Records, Text, CrLf);
        if (Result.Status != TDecryptResult::WrongPassword) {
            if (Result.Status == TDecryptResult::Damaged) {
                TextWasCut = true;
                DamagedLine = Result.DamagedLine;
            }
            Password = std::move(Request.Password);
            Data = std::move(Text);
            return true;
        }
        Request.PasswordWasWrong = true;
    }
}

// The encrypted writer never writes UTF-8, so neither a mark nor a view that forces it applies.
// Without either, text that only UTF-8 explains is UTF-8, as this system's own files are; binary
// content is not text at all and is left as its bytes.
bool TBinaryStrings::ReadsAsUtf8(std::string_view Data, bool Encrypted) const {
    if (Encrypted)
        return false;
    if (Data.starts_with(ByteOrderMark) || ForceUtf8)
        return true;
    return !ContainsBinary && IsMultiByteUtf8(Data);
}

TLoadResult TBinaryStrings::LoadFromFile(const std::filesystem::path& FileName, bool& ShowAsterisks,
                                         std::string& Password) {
    Password.clear();
    Clear();
    ContainsBinary = false;
    TextWasCut = false;
    DamagedLine = 0;
    EndsWithLineBreak = false;
    WasUtf8 = false;
    HadByteOrderMark = false;
    std::optional<std::string> Read =
        Reader ? Reader(FileName, OnReadStep) : ReadWholeFile(FileName, OnReadStep);
    if (!Read)
        return TLoadResult::Cancelled;
    std::string Data = std::move(*Read);
    const bool Encrypted = StartsWithEncryptedMarker(Data);
    if (Encrypted && !Decrypt(FileName, Data, ShowAsterisks, Password))
        return TLoadResult::Cancelled;
    ContainsBinary = LooksBinary(Data);
    TextWasCut = TextWasCut || Data.find('\0') != std::string::npos;
    if (ReadsAsUtf8(Data, Encrypted)) {
        HadByteOrderMark = Data.starts_with(ByteOrderMark);
        Data = Utf8ToAnsiText(
            std::string_view(Data).substr(HadByteOrderMark ? ByteOrderMark.size() : 0));
        WasUtf8 = true;
    }
    SetText(Data);
    return TLoadResult::Loaded;
}

void TBinaryStrings::SetText(std::string_view Text) {
    Clear();
    LineBreak.reset();
    Text = Text.substr(0, Text.find('\0'));
    std::size_t Pos = 0;
    while (Pos < Text.size()) {
        const std::size_t Start = Pos;
        while (Pos < Text.size() && !IsLineEnd(Text[Pos]))
            ++Pos;
        FLines.emplace_back(Text.substr(Start, Pos - Start));
        const std::size_t End = Pos;
        if (Pos < Text.size() && Text[Pos] == '\r')
            ++Pos;
        if (Pos < Text.size() && Text[Pos] == '\n')
            ++Pos;
        if (!LineBreak && Pos > End)
            LineBreak = LineBreakAt(Text.substr(End, Pos - End));
    }
    EndsWithLineBreak = !Text.empty() && IsLineEnd(Text.back());
}

std::string TBinaryStrings::Text() const {
    std::size_t Length = 0;
    for (const std::string& Line : FLines)
        Length += Line.size() + CrLf.size();
    std::string Result;
    Result.reserve(Length);
    for (std::size_t I = 0; I < FLines.size(); ++I) {
        Result += FLines[I];
        if (I + 1 < FLines.size() || EndsWithLineBreak)
            Result += CrLf;
    }
    return Result;
}

bool TBinaryStrings::SplitLongLines(std::size_t MaxLength) {
    if (MaxLength == 0)
        return true;
    bool NoneCut = true;
    for (std::size_t I = 0; I < FLines.size(); ++I) {
        if (FLines[I].size() <= MaxLength)
            continue;
        NoneCut = false;
        const std::string Line = std::move(FLines[I]);
        std::vector<std::string> Pieces;
        for (std::size_t Start = 0; Start < Line.size();) {
            const std::size_t Cut = Line.size() - Start <= MaxLength
                                        ? Line.size()
                                        : SafeCut(Line, Start, Start + MaxLength);
            Pieces.emplace_back(Line, Start, Cut - Start);
            Start = Cut;
        }
        FLines[I] = std::move(Pieces.front());
        FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(I) + 1,
                      std::make_move_iterator(Pieces.begin() + 1),
                      std::make_move_iterator(Pieces.end()));
        I += Pieces.size() - 1;
    }
    return NoneCut;
}

void TBinaryStrings::SaveToFile(const std::filesystem::path& FileName) const {
    TTextFileOptions Options;
    Options.FinalLineEnd = EndsWithLineBreak;
    Options.Utf8 = WasUtf8;
    Options.ByteOrderMark = HadByteOrderMark;
    Options.LineBreak = LineBreak.value_or(TLineBreak::CrLf);
    WriteTextFile(FileName, FLines, Options);
}

} // namespace korvid
