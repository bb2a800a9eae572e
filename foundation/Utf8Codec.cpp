#include "foundation/Utf8Codec.h"

#include "platform/Cp1252.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace korvid {

namespace {

// An escape (eight bytes) always consumes at least two input bytes, and a four-byte sequence
// gives two escapes; so no input byte yields more than four output bytes.
constexpr std::size_t DecodeFactor = 4;
// A byte 0x80-0x9F can become a three-byte character; escapes shrink.
constexpr std::size_t EncodeFactor = 3;

std::size_t Scaled(std::size_t Length, std::size_t Factor) {
    if (Length > std::numeric_limits<std::size_t>::max() / Factor)
        throw std::length_error("text too large to convert");
    return Length * Factor;
}

std::string_view UpToNul(std::string_view S) {
    const std::size_t Nul = S.find('\0');
    return Nul == std::string_view::npos ? S : S.substr(0, Nul);
}

unsigned char Byte(std::string_view S, std::size_t I) {
    return static_cast<unsigned char>(S[I]);
}

bool IsContinuation(std::string_view S, std::size_t I) {
    return I < S.size() && (Byte(S, I) & 0xC0) == 0x80;
}

// Writes into a buffer that was sized for the worst case; the buffer never shrinks, so that a
// buffer used line after line is filled only once.
class TOutput {
public:
    TOutput(std::string& Data, std::size_t Capacity) : FData(Data) {
        if (FData.size() < Capacity)
            FData.resize(Capacity);
    }
    void Put(unsigned char B) { FData[FLength++] = static_cast<char>(B); }
    void Put(std::string_view Bytes) {
        FData.replace(FLength, Bytes.size(), Bytes);
        FLength += Bytes.size();
    }
    std::string_view View() const { return {FData.data(), FLength}; }
    std::string Take() {
        FData.resize(FLength);
        return std::move(FData);
    }

private:
    std::string& FData;
    std::size_t FLength = 0;
};

// Only the 27 characters that Windows-1252 gives to 0x80-0x9F, and U+00A0..U+00FF, have a
// byte of their own; anything else (a C0 or C1 control reached through an over-long form
// included) is held as an escape.
void EmitCodeUnit(TOutput& Out, char16_t Unit) {
    if (Unit >= 0xA0 && Unit <= 0xFF) {
        Out.Put(static_cast<unsigned char>(Unit));
        return;
    }
    if (Unit >= 0x100)
        if (const auto B = UnicodeToCp1252(Unit)) {
            Out.Put(*B);
            return;
        }
    Out.Put(MakeEscape(Unit));
}

void EmitCodePoint(TOutput& Out, char32_t CodePoint) {
    if (CodePoint < 0x10000) {
        EmitCodeUnit(Out, static_cast<char16_t>(CodePoint));
        return;
    }
    const char32_t Offset = CodePoint - 0x10000;
    Out.Put(MakeEscape(static_cast<char16_t>(0xD800 + (Offset >> 10))));
    Out.Put(MakeEscape(static_cast<char16_t>(0xDC00 + (Offset & 0x3FF))));
}

// The number of bytes that a well-formed sequence at I takes, with its code point.
std::size_t DecodeSequence(std::string_view S, std::size_t I, char32_t& CodePoint) {
    const unsigned char B0 = Byte(S, I);
    if (B0 >= 0xC0 && B0 <= 0xDF && IsContinuation(S, I + 1)) {
        CodePoint = (char32_t{B0} & 0x1F) << 6 | (Byte(S, I + 1) & 0x3F);
        return 2;
    }
    if (B0 >= 0xE0 && B0 <= 0xEF && IsContinuation(S, I + 1) && IsContinuation(S, I + 2)) {
        CodePoint = (char32_t{B0} & 0x0F) << 12 | char32_t(Byte(S, I + 1) & 0x3F) << 6 |
                    (Byte(S, I + 2) & 0x3F);
        return 3;
    }
    if (B0 >= 0xF0 && B0 <= 0xF4 && IsContinuation(S, I + 1) && IsContinuation(S, I + 2) &&
        IsContinuation(S, I + 3)) {
        const char32_t Value = (char32_t{B0} & 0x07) << 18 | char32_t(Byte(S, I + 1) & 0x3F) << 12 |
                               char32_t(Byte(S, I + 2) & 0x3F) << 6 | (Byte(S, I + 3) & 0x3F);
        if (Value < 0x10000 || Value > 0x10FFFF)
            return 0;
        CodePoint = Value;
        return 4;
    }
    return 0;
}

void PutUtf8(TOutput& Out, char32_t CodePoint) {
    if (CodePoint < 0x80) {
        Out.Put(static_cast<unsigned char>(CodePoint));
    } else if (CodePoint < 0x800) {
        Out.Put(static_cast<unsigned char>(0xC0 | (CodePoint >> 6)));
        Out.Put(static_cast<unsigned char>(0x80 | (CodePoint & 0x3F)));
    } else if (CodePoint < 0x10000) {
        Out.Put(static_cast<unsigned char>(0xE0 | (CodePoint >> 12)));
        Out.Put(static_cast<unsigned char>(0x80 | ((CodePoint >> 6) & 0x3F)));
        Out.Put(static_cast<unsigned char>(0x80 | (CodePoint & 0x3F)));
    } else {
        Out.Put(static_cast<unsigned char>(0xF0 | (CodePoint >> 18)));
        Out.Put(static_cast<unsigned char>(0x80 | ((CodePoint >> 12) & 0x3F)));
        Out.Put(static_cast<unsigned char>(0x80 | ((CodePoint >> 6) & 0x3F)));
        Out.Put(static_cast<unsigned char>(0x80 | (CodePoint & 0x3F)));
    }
}

// A raw byte stands for its Windows-1252 character (the five unassigned bytes for the C1
// control of the same value).
void PutRawByte(TOutput& Out, unsigned char B) {
    PutUtf8(Out, Cp1252ToUnicode(B));
}

bool IsHighSurrogate(char16_t U) {
    return U >= 0xD800 && U <= 0xDBFF;
}
bool IsLowSurrogate(char16_t U) {
    return U >= 0xDC00 && U <= 0xDFFF;
}

// Writes the escape at I and returns the number of bytes it consumed.
std::size_t PutEscape(TOutput& Out, std::string_view S, std::size_t I, char16_t Unit) {
    if (Unit == 0) {
        for (std::size_t K = 0; K < EscapeLength; ++K)
            PutRawByte(Out, Byte(S, I + K));
        return EscapeLength;
    }
    if (IsHighSurrogate(Unit))
        if (const auto Low = ParseEscape(S, I + EscapeLength); Low && IsLowSurrogate(*Low)) {
            PutUtf8(Out, 0x10000 + ((char32_t(Unit) - 0xD800) << 10) + (*Low - 0xDC00));
            return 2 * EscapeLength;
        }
    PutUtf8(Out, Unit);
    return EscapeLength;
}

bool InRange(unsigned char B, unsigned char Low, unsigned char High) {
    return B >= Low && B <= High;
}

// The length of the well-formed sequence that starts with the non-ASCII byte at I, 0 when
// there is none (the ranges of the Unicode standard's table of well-formed byte sequences).
std::size_t WellFormedLength(std::string_view S, std::size_t I) {
    const unsigned char B0 = Byte(S, I);
    unsigned char Low = 0x80;
    unsigned char High = 0xBF;
    std::size_t Length = 0;
    if (InRange(B0, 0xC2, 0xDF)) {
        Length = 2;
    } else if (InRange(B0, 0xE0, 0xEF)) {
        Length = 3;
        if (B0 == 0xE0)
            Low = 0xA0;
        else if (B0 == 0xED)
            High = 0x9F;
    } else if (InRange(B0, 0xF0, 0xF4)) {
        Length = 4;
        if (B0 == 0xF0)
            Low = 0x90;
        else if (B0 == 0xF4)
            High = 0x8F;
    } else {
        return 0;
    }
    if (S.size() - I < Length || !InRange(Byte(S, I + 1), Low, High))
        return 0;
    for (std::size_t K = 2; K < Length; ++K)
        if (!IsContinuation(S, I + K))
            return 0;
    return Length;
}

// Steps over ASCII four machine words at a time, then one: most text is ASCII, and this runs
// over whole files.
std::size_t SkipAscii(std::string_view S, std::size_t I) {
    constexpr std::uint64_t HighBits = 0x8080808080808080u;
    constexpr std::size_t Stride = 4 * sizeof(std::uint64_t);
    while (S.size() - I >= Stride) {
        std::uint64_t Words[4];
        std::memcpy(Words, S.data() + I, Stride);
        if ((Words[0] | Words[1] | Words[2] | Words[3]) & HighBits)
            break;
        I += Stride;
    }
    while (S.size() - I >= sizeof(std::uint64_t)) {
        std::uint64_t Word = 0;
        std::memcpy(&Word, S.data() + I, sizeof Word);
        if (Word & HighBits)
            break;
        I += sizeof Word;
    }
    while (I < S.size() && Byte(S, I) < 0x80)
        ++I;
    return I;
}

} // namespace

bool IsMultiByteUtf8(std::string_view S) {
    bool MultiByte = false;
    for (std::size_t I = SkipAscii(S, 0); I < S.size();) {
        const std::size_t Length = WellFormedLength(S, I);
        if (Length == 0)
            return false;
        MultiByte = true;
        I += Length;
        // Characters of other scripts come in runs: the next one is checked without a scan.
        if (I < S.size() && Byte(S, I) < 0x80)
            I = SkipAscii(S, I);
    }
    return MultiByte;
}

std::size_t WorstCaseDecodedSize(std::size_t Length) {
    return Scaled(Length, DecodeFactor);
}

std::size_t WorstCaseEncodedSize(std::size_t Length) {
    return Scaled(Length, EncodeFactor);
}

namespace {

void Decode(TOutput& Out, std::string_view S, std::size_t From) {
    Out.Put(S.substr(0, From));
    for (std::size_t I = From; I < S.size();) {
        char32_t CodePoint = 0;
        if (const std::size_t Length = DecodeSequence(S, I, CodePoint)) {
            EmitCodePoint(Out, CodePoint);
            I += Length;
        } else {
            Out.Put(Byte(S, I++));
        }
    }
}

} // namespace

std::string Utf8ToAnsiText(std::string_view S) {
    S = UpToNul(S);
    std::string Data;
    TOutput Out(Data, WorstCaseDecodedSize(S.size()));
    Decode(Out, S, 0);
    return Out.Take();
}

std::string_view Utf8ToAnsiView(std::string_view S, std::string& Buffer) {
    S = UpToNul(S);
    const std::size_t FirstNonAscii = SkipAscii(S, 0);
    if (FirstNonAscii == S.size())
        return S;
    TOutput Out(Buffer, WorstCaseDecodedSize(S.size()));
    Decode(Out, S, FirstNonAscii);
    return Out.View();
}

namespace {

void Encode(TOutput& Out, std::string_view S, std::size_t From) {
    Out.Put(S.substr(0, From));
    for (std::size_t I = From; I < S.size();) {
        if (const auto Unit = ParseEscape(S, I)) {
            I += PutEscape(Out, S, I, *Unit);
        } else {
            PutRawByte(Out, Byte(S, I++));
        }
    }
}

} // namespace

std::string AnsiToUtf8Text(std::string_view S) {
    S = UpToNul(S);
    std::string Data;
    TOutput Out(Data, WorstCaseEncodedSize(S.size()));
    Encode(Out, S, 0);
    return Out.Take();
}

std::string_view AnsiToUtf8View(std::string_view S, std::string& Buffer) {
    S = UpToNul(S);
    const std::size_t FirstNonAscii = SkipAscii(S, 0);
    if (FirstNonAscii == S.size())
        return S;
    TOutput Out(Buffer, WorstCaseEncodedSize(S.size()));
    Encode(Out, S, FirstNonAscii);
    return Out.View();
}

} // namespace korvid
