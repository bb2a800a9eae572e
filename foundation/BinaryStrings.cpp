#include "foundation/BinaryStrings.h"

#include "foundation/EncryptionEngine.h"
#include "foundation/FileReader.h"
#include "foundation/TextFileWriter.h"
#include "foundation/Utf8Codec.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Enough control bytes near the start mark a binary file. So does any NUL (the caller looks for
// one), since the text ends there and a save would drop everything after it.
bool HasManyControls(std::string_view Data) {
    const std::string_view Probe = Data.substr(0, BinaryProbeLength);
    const auto Controls = std::count_if(Probe.begin(), Probe.end(), [](char C) {
        return IsControlByte(static_cast<unsigned char>(C));
    });
    return Controls >= BinaryControlCount;
}

bool IsLineEnd(char C) {
    return C == '\r' || C == '\n';
}

TLineBreak LineBreakAt(std::string_view LineEnd) {
    if (LineEnd == CrLf)
        return TLineBreak::CrLf;
    return LineEnd == "\n" ? TLineBreak::Lf : TLineBreak::Cr;
}

// The first CR or LF of Text, or its size. Files run to millions of lines, so the search goes
// sixteen bytes at a time where the processor compares them at once, else a machine word at a
// time: a byte equal to CR or LF gives a zero byte in the word XOR-ed with it.
std::size_t FindLineEnd(std::string_view Text, std::size_t Pos) {
#if defined(__SSE2__)
    const __m128i Cr = _mm_set1_epi8('\r');
    const __m128i Lf = _mm_set1_epi8('\n');
    while (Text.size() - Pos >= sizeof(__m128i)) {
        const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text.data() + Pos));
        const int Found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(Bytes, Cr), _mm_cmpeq_epi8(Bytes, Lf)));
        if (Found != 0)
            return Pos + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(Found)));
        Pos += sizeof(__m128i);
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t Ones = 0x0101010101010101u;
        constexpr std::uint64_t HighBits = 0x8080808080808080u;
        while (Text.size() - Pos >= sizeof(std::uint64_t)) {
            std::uint64_t Word = 0;
            std::memcpy(&Word, Text.data() + Pos, sizeof Word);
            const std::uint64_t Cr = Word ^ (Ones * '\r');
            const std::uint64_t Lf = Word ^ (Ones * '\n');
            const std::uint64_t Zero = (((Cr - Ones) & ~Cr) | ((Lf - Ones) & ~Lf)) & HighBits;
            if (Zero != 0)
                return Pos + static_cast<std::size_t>(std::countr_zero(Zero)) / 8;
            Pos += sizeof Word;
        }
    }
    while (Pos < Text.size() && !IsLineEnd(Text[Pos]))
        ++Pos;
    return Pos;
}

// The line at the start of Text; Text moves past it and its line end (CR, LF, CR LF).
std::string_view TakeLine(std::string_view& Text) {
    const std::size_t End = FindLineEnd(Text, 0);
    const std::string_view Line = Text.substr(0, End);
    std::size_t Next = End;
    if (Next < Text.size() && Text[Next] == '\r')
        ++Next;
    if (Next < Text.size() && Text[Next] == '\n')
        ++Next;
    Text.remove_prefix(Next);
    return Line;
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

// A decoded line is at most this many times as long as its bytes.
constexpr std::size_t DecodeGrowth = 4;

} // namespace

TLineCursor::TLineCursor(const TBinaryStrings& Lines)
    : FText(Lines.HeldText()), FCutLength(Lines.FCutLength), FDecode(Lines.FDecode),
      FLines(&Lines.FLines) {}

bool TLineCursor::Next(std::string_view& Line) {
    if (FPieces.empty()) {
        if (!FText.empty()) {
            FPieces = TakeLine(FText);
            if (FDecode)
                FPieces = Utf8ToAnsiView(FPieces, FDecoded);
        } else if (FIndex < FLines->size()) {
            Line = (*FLines)[FIndex++];
            return true;
        } else {
            return false;
        }
        if (FCutLength == 0 || FPieces.size() <= FCutLength) {
            Line = FPieces;
            FPieces = {};
            return true;
        }
    }
    const std::size_t Cut =
        FPieces.size() <= FCutLength ? FPieces.size() : SafeCut(FPieces, 0, FCutLength);
    Line = FPieces.substr(0, Cut);
    FPieces.remove_prefix(Cut);
    return true;
}

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
    std::optional<std::string> Read =
        Reader ? Reader(FileName, OnReadStep) : ReadWholeFile(FileName, OnReadStep);
    if (!Read) {
        Password.clear();
        Clear();
        return TLoadResult::Cancelled;
    }
    return LoadFromBytes(std::move(*Read), FileName, ShowAsterisks, Password);
}

TLoadResult TBinaryStrings::LoadFromBytes(std::string&& Bytes,
                                          const std::filesystem::path& FileName,
                                          bool& ShowAsterisks, std::string& Password) {
    Password.clear();
    Clear();
    ContainsBinary = false;
    TextWasCut = false;
    DamagedLine = 0;
    EndsWithLineBreak = false;
    WasUtf8 = false;
    HadByteOrderMark = false;
    std::string Data = std::move(Bytes);
    const bool Encrypted = StartsWithEncryptedMarker(Data);
    if (Encrypted && !Decrypt(FileName, Data, ShowAsterisks, Password))
        return TLoadResult::Cancelled;
    const std::size_t Nul = Data.find('\0');
    const bool HasNul = Nul != std::string::npos;
    ContainsBinary = HasNul || HasManyControls(Data);
    TextWasCut = TextWasCut || HasNul;
    if (ReadsAsUtf8(Data, Encrypted)) {
        HadByteOrderMark = Data.starts_with(ByteOrderMark);
        WasUtf8 = true;
    }
    TakeText(std::move(Data), HadByteOrderMark ? ByteOrderMark.size() : 0, WasUtf8, Nul);
    return TLoadResult::Loaded;
}

// Decoding neither makes nor takes a CR, LF or NUL, so the line ends of the text read are those
// of the decoded text.
void TBinaryStrings::TakeText(std::string&& Data, std::size_t Start, bool Decode, std::size_t Nul) {
    Clear();
    FText = std::move(Data);
    if (Nul != std::string::npos)
        FText.resize(std::max(Nul, std::min(Start, FText.size())));
    FTextStart = std::min(Start, FText.size());
    FDecode = Decode;
    const std::string_view Text = HeldText();
    LineBreak.reset();
    if (const std::size_t End = FindLineEnd(Text, 0); End < Text.size())
        LineBreak = LineBreakAt(
            Text.substr(End, Text[End] == '\r' && Text.substr(End + 1).starts_with('\n') ? 2 : 1));
    EndsWithLineBreak = !Text.empty() && IsLineEnd(Text.back());
}

void TBinaryStrings::SetText(std::string_view Text) {
    TakeText(std::string(Text), 0, false, Text.find('\0'));
}

void TBinaryStrings::Clear() {
    FLines.clear();
    DropText();
}

// The text read is given up: its lines are all in FLines now, or gone.
void TBinaryStrings::DropText() const {
    FText.clear();
    FText.shrink_to_fit();
    FTextStart = 0;
    FDecode = false;
    FCutLength = 0;
    FScanned = false;
}

void TBinaryStrings::Add(std::string Line) {
    FLines.push_back(std::move(Line));
}

void TBinaryStrings::Scan() const {
    if (FScanned)
        return;
    FTextLineCount = 0;
    FLongestLine = 0;
    for (std::string_view Text = HeldText(); !Text.empty(); ++FTextLineCount)
        FLongestLine = std::max(FLongestLine, TakeLine(Text).size());
    FScanned = true;
}

std::size_t TBinaryStrings::CountEstimate() const {
    Scan();
    std::size_t Count = FTextLineCount + FLines.size();
    if (FCutLength > 0) {
        // A piece is cut short only to keep an escape whole, so it is at least half as long.
        const std::size_t Bytes = HeldText().size() * (FDecode ? DecodeGrowth : 1);
        Count += Bytes / std::max<std::size_t>(FCutLength / 2, 1);
    }
    return Count;
}

std::string* TBinaryStrings::TextToKeep() const {
    return FDecode || FText.empty() ? nullptr : &FText;
}

std::size_t TBinaryStrings::TextBytesEstimate() const {
    std::size_t Bytes = HeldText().size();
    for (const std::string& Line : FLines)
        Bytes += Line.size();
    return Bytes;
}

bool TBinaryStrings::AnyLineLongerThan(std::size_t MaxLength) const {
    Scan();
    if (!FDecode || FLongestLine <= MaxLength / DecodeGrowth)
        return FLongestLine > MaxLength;
    std::string Buffer;
    for (std::string_view Text = HeldText(); !Text.empty();) {
        const std::string_view Line = TakeLine(Text);
        if (Line.size() > MaxLength / DecodeGrowth &&
            Utf8ToAnsiView(Line, Buffer).size() > MaxLength)
            return true;
    }
    return false;
}

void TBinaryStrings::MakeLines() const {
    if (FText.empty())
        return;
    std::vector<std::string> Made;
    Made.reserve(CountEstimate());
    TLineCursor Cursor(*this);
    for (std::string_view Line; Cursor.Next(Line);)
        Made.emplace_back(Line);
    FLines = std::move(Made);
    DropText();
}

std::vector<std::string>& TBinaryStrings::Lines() {
    MakeLines();
    return FLines;
}

const std::vector<std::string>& TBinaryStrings::Lines() const {
    MakeLines();
    return FLines;
}

std::string TBinaryStrings::Text() const {
    std::string Result;
    Result.reserve(TextBytesEstimate() + CountEstimate() * CrLf.size());
    TLineCursor Cursor(*this);
    std::string_view Line;
    for (bool More = Cursor.Next(Line); More;) {
        Result += Line;
        More = Cursor.Next(Line);
        if (More || EndsWithLineBreak)
            Result += CrLf;
    }
    return Result;
}

bool TBinaryStrings::SplitLongLines(std::size_t MaxLength) {
    if (MaxLength == 0)
        return true;
    // Lines still held as the text read are cut as they are taken.
    if (!FText.empty() && FLines.empty() && FCutLength == 0) {
        if (!AnyLineLongerThan(MaxLength))
            return true;
        FCutLength = MaxLength;
        return false;
    }
    MakeLines();
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
    WriteTextFile(FileName, Lines(), Options);
}

} // namespace korvid
