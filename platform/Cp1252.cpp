#include "platform/Cp1252.h"

#include <QString>
#include <array>

namespace korvid {

namespace {

constexpr std::array<char16_t, 32> HighControlBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char HexDigits[] = "0123456789ABCDEF";

int HexValue(unsigned char C) {
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    return -1;
}

} // namespace

char16_t Cp1252ToUnicode(unsigned char Byte) {
    if (Byte >= 0x80 && Byte <= 0x9F)
        return HighControlBlock[Byte - 0x80];
    return Byte;
}

std::optional<unsigned char> UnicodeToCp1252(char32_t CodePoint) {
    if (CodePoint < 0x80 || (CodePoint >= 0xA0 && CodePoint <= 0xFF))
        return static_cast<unsigned char>(CodePoint);
    for (std::size_t i = 0; i < HighControlBlock.size(); ++i)
        if (HighControlBlock[i] == CodePoint)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string MakeEscape(char16_t Unit) {
    std::string Result;
    Result.reserve(EscapeLength);
    Result += static_cast<char>(EscapeLead1);
    Result += static_cast<char>(EscapeLead2);
    for (int Shift = 12; Shift >= 0; Shift -= 4)
        Result += HexDigits[(Unit >> Shift) & 0xF];
    Result += static_cast<char>(EscapeTail1);
    Result += static_cast<char>(EscapeTail2);
    return Result;
}

std::optional<char16_t> ParseEscape(std::string_view Text, std::size_t Pos) {
    if (Pos > Text.size() || Text.size() - Pos < EscapeLength)
        return std::nullopt;
    const auto At = [&](std::size_t I) { return static_cast<unsigned char>(Text[Pos + I]); };
    if (At(0) != EscapeLead1 || At(1) != EscapeLead2 || At(6) != EscapeTail1 ||
        At(7) != EscapeTail2)
        return std::nullopt;
    unsigned Value = 0;
    for (std::size_t I = 2; I < 6; ++I) {
        const int Digit = HexValue(At(I));
        if (Digit < 0)
            return std::nullopt;
        Value = Value * 16 + static_cast<unsigned>(Digit);
    }
    return static_cast<char16_t>(Value);
}

QString ToQString(std::string_view Text) {
    QString Result;
    Result.reserve(static_cast<qsizetype>(Text.size()));
    for (std::size_t I = 0; I < Text.size();) {
        // An escape of 0000 stays visible as its eight characters rather than becoming a NUL.
        if (const auto Unit = ParseEscape(Text, I); Unit && *Unit != 0) {
            Result += QChar(*Unit);
            I += EscapeLength;
            continue;
        }
        Result += QChar(Cp1252ToUnicode(static_cast<unsigned char>(Text[I])));
        ++I;
    }
    return Result;
}

std::string FromQString(const QString& Text) {
    std::string Result;
    Result.reserve(static_cast<std::size_t>(Text.size()));
    for (const QChar Ch : Text) {
        if (const auto Byte = UnicodeToCp1252(Ch.unicode()))
            Result += static_cast<char>(*Byte);
        else
            Result += MakeEscape(Ch.unicode());
    }
    return Result;
}

unsigned char UpCase1252(unsigned char Byte) {
    if (Byte >= 'a' && Byte <= 'z')
        return Byte - 32;
    switch (Byte) {
    case 0x9A:
        return 0x8A; // s caron
    case 0x9C:
        return 0x8C; // oe
    case 0x9E:
        return 0x8E; // z caron
    case 0xFF:
        return 0x9F; // y diaeresis
    default:
        break;
    }
    if (Byte >= 0xE0 && Byte <= 0xFE && Byte != 0xF7)
        return Byte - 32;
    return Byte;
}

unsigned char LowCase1252(unsigned char Byte) {
    if (Byte >= 'A' && Byte <= 'Z')
        return Byte + 32;
    switch (Byte) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        break;
    }
    if (Byte >= 0xC0 && Byte <= 0xDE && Byte != 0xD7)
        return Byte + 32;
    return Byte;
}

std::string UpperCase1252(std::string_view Text) {
    std::string Result(Text);
    for (char& C : Result)
        C = static_cast<char>(UpCase1252(static_cast<unsigned char>(C)));
    return Result;
}

std::string LowerCase1252(std::string_view Text) {
    std::string Result(Text);
    for (char& C : Result)
        C = static_cast<char>(LowCase1252(static_cast<unsigned char>(C)));
    return Result;
}

int CompareText1252(std::string_view A, std::string_view B) {
    const std::size_t N = std::min(A.size(), B.size());
    for (std::size_t I = 0; I < N; ++I) {
        const int Ca = UpCase1252(static_cast<unsigned char>(A[I]));
        const int Cb = UpCase1252(static_cast<unsigned char>(B[I]));
        if (Ca != Cb)
            return Ca - Cb;
    }
    return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

bool SameText1252(std::string_view A, std::string_view B) {
    return A.size() == B.size() && CompareText1252(A, B) == 0;
}

} // namespace korvid
