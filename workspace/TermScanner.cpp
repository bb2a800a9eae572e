#include "workspace/TermScanner.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace korvid {
namespace {

const std::array<unsigned char, 256>& Upper() {
    static const std::array<unsigned char, 256> Table = [] {
        std::array<unsigned char, 256> T{};
        for (int C = 0; C < 256; ++C)
            T[std::size_t(C)] = UpCase1252(static_cast<unsigned char>(C));
        return T;
    }();
    return Table;
}

// Every byte that stands for Byte: itself, and its other cases when case is ignored.
std::vector<unsigned char> FormsOf(unsigned char Byte, bool Fold) {
    if (!Fold)
        return {Byte};
    std::vector<unsigned char> Forms;
    for (int C = 0; C < 256; ++C)
        if (Upper()[std::size_t(C)] == Byte)
            Forms.push_back(static_cast<unsigned char>(C));
    return Forms;
}

// How often a byte turns up in source text, roughly: blanks and common lower-case letters most.
int Commonness(unsigned char Byte) {
    static constexpr std::string_view ByFrequency = "etaoinsrlcdupmhfgbywvkxqjz";
    if (Byte == ' ')
        return 255;
    if (const std::size_t Rank = ByFrequency.find(char(Byte)); Rank != std::string_view::npos)
        return 220 - int(Rank) * 6;
    if (Byte >= 'A' && Byte <= 'Z')
        return Commonness(static_cast<unsigned char>(Byte - 'A' + 'a')) / 4;
    if (Byte >= '0' && Byte <= '9')
        return 50;
    if (Byte >= 0x80 || Byte < ' ')
        return 1;
    return 40;
}

#if defined(__x86_64__)
bool HasAvx2() {
    static const bool Has = __builtin_cpu_supports("avx2");
    return Has;
}

// The vectorised look 32 places at a time; I is left where it stopped.
template <typename TEqual>
__attribute__((target("avx2"))) std::size_t
WideFind(const char* Data, std::size_t& I, std::size_t End, const std::size_t (&At)[2],
         const unsigned char (&Forms)[2][2], const TEqual& Equal) {
    const __m256i A0 = _mm256_set1_epi8(char(Forms[0][0]));
    const __m256i A1 = _mm256_set1_epi8(char(Forms[0][1]));
    const __m256i B0 = _mm256_set1_epi8(char(Forms[1][0]));
    const __m256i B1 = _mm256_set1_epi8(char(Forms[1][1]));
    for (; I + 32 <= End; I += 32) {
        const __m256i A = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Data + I + At[0]));
        const __m256i B = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Data + I + At[1]));
        const __m256i AtA = _mm256_or_si256(_mm256_cmpeq_epi8(A, A0), _mm256_cmpeq_epi8(A, A1));
        const __m256i AtB = _mm256_or_si256(_mm256_cmpeq_epi8(B, B0), _mm256_cmpeq_epi8(B, B1));
        for (unsigned Mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(AtA, AtB))); Mask;
             Mask &= Mask - 1) {
            const std::size_t P = I + std::size_t(std::countr_zero(Mask));
            if (Equal(Data + P))
                return P;
        }
    }
    return std::string_view::npos;
}

// Line ends 32 bytes at a time while a byte follows them; I is left where it stopped.
__attribute__((target("avx2"))) std::size_t WideLineEnds(const char* Data, std::size_t& I,
                                                         std::size_t Size) {
    const __m256i LfByte = _mm256_set1_epi8('\n');
    const __m256i CrByte = _mm256_set1_epi8('\r');
    __m256i Lanes = _mm256_setzero_si256();
    for (; I + 33 <= Size; I += 32) {
        const __m256i A = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Data + I));
        const __m256i B = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Data + I + 1));
        const __m256i IsCr = _mm256_cmpeq_epi8(A, CrByte);
        const __m256i IsEnd = _mm256_or_si256(IsCr, _mm256_cmpeq_epi8(A, LfByte));
        const __m256i CrLf = _mm256_and_si256(IsCr, _mm256_cmpeq_epi8(B, LfByte));
        Lanes = _mm256_sub_epi8(Lanes, _mm256_andnot_si256(CrLf, IsEnd));
    }
    const __m256i Sums = _mm256_sad_epu8(Lanes, _mm256_setzero_si256());
    return std::size_t(_mm256_extract_epi64(Sums, 0) + _mm256_extract_epi64(Sums, 1) +
                       _mm256_extract_epi64(Sums, 2) + _mm256_extract_epi64(Sums, 3));
}
#endif

} // namespace

TTermScanner::TTermScanner(std::string Term, bool FoldCase)
    : FTerm(std::move(Term)), FFold(FoldCase) {
    if (FTerm.empty())
        return;
    // The two places whose bytes, in every form, are rarest: fewest false candidates.
    std::vector<std::pair<int, std::size_t>> Places;
    for (std::size_t I = 0; I < FTerm.size(); ++I) {
        int Score = 0;
        for (const unsigned char Form : FormsOf(static_cast<unsigned char>(FTerm[I]), FFold))
            Score += Commonness(Form);
        Places.emplace_back(Score, I);
    }
    std::stable_sort(Places.begin(), Places.end());
    FAt[0] = Places.front().second;
    FAt[1] = Places.size() > 1 ? Places[1].second : FAt[0];
    FVector = true;
    for (int K = 0; K < 2; ++K) {
        const std::vector<unsigned char> Forms =
            FormsOf(static_cast<unsigned char>(FTerm[FAt[K]]), FFold);
        // A folded byte no text byte folds to cannot be found; the plain look says so.
        FVector = FVector && !Forms.empty() && Forms.size() <= 2;
        if (!Forms.empty()) {
            FForms[K][0] = Forms.front();
            FForms[K][1] = Forms.back();
        }
    }
}

bool TTermScanner::EqualAt(const char* At) const {
    if (!FFold)
        return std::memcmp(At, FTerm.data(), FTerm.size()) == 0;
    const std::array<unsigned char, 256>& Up = Upper();
    for (std::size_t I = 0; I < FTerm.size(); ++I)
        if (Up[static_cast<unsigned char>(At[I])] != static_cast<unsigned char>(FTerm[I]))
            return false;
    return true;
}

std::size_t TTermScanner::Find(std::string_view Text, std::size_t From) const {
    const std::size_t N = FTerm.size();
    if (N == 0 || Text.size() < N || From > Text.size() - N)
        return std::string_view::npos;
    const char* Data = Text.data();
    const std::size_t End = Text.size() - N + 1; // one past the last place the term can start
    std::size_t I = From;
#if defined(__x86_64__)
    if (FVector && HasAvx2()) {
        const std::size_t P =
            WideFind(Data, I, End, FAt, FForms, [this](const char* At) { return EqualAt(At); });
        if (P != std::string_view::npos)
            return P;
    }
#endif
#if defined(__SSE2__)
    if (FVector) {
        const __m128i A0 = _mm_set1_epi8(char(FForms[0][0]));
        const __m128i A1 = _mm_set1_epi8(char(FForms[0][1]));
        const __m128i B0 = _mm_set1_epi8(char(FForms[1][0]));
        const __m128i B1 = _mm_set1_epi8(char(FForms[1][1]));
        for (; I + 16 <= End; I += 16) {
            const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I + FAt[0]));
            const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I + FAt[1]));
            const __m128i AtA = _mm_or_si128(_mm_cmpeq_epi8(A, A0), _mm_cmpeq_epi8(A, A1));
            const __m128i AtB = _mm_or_si128(_mm_cmpeq_epi8(B, B0), _mm_cmpeq_epi8(B, B1));
            for (unsigned Mask = unsigned(_mm_movemask_epi8(_mm_and_si128(AtA, AtB))); Mask;
                 Mask &= Mask - 1) {
                const std::size_t P = I + std::size_t(std::countr_zero(Mask));
                if (EqualAt(Data + P))
                    return P;
            }
        }
    }
#endif
    if (!FFold) {
        // The rest, or every place without vectors: memchr finds the first byte.
        while (I < End) {
            const void* Hit = std::memchr(Data + I, FTerm.front(), End - I);
            if (!Hit)
                break;
            I = std::size_t(static_cast<const char*>(Hit) - Data);
            if (EqualAt(Data + I))
                return I;
            ++I;
        }
        return std::string_view::npos;
    }
    for (; I < End; ++I)
        if (EqualAt(Data + I))
            return I;
    return std::string_view::npos;
}

namespace {

// Line ends in Size bytes at Data (at most 4,080 of them), Next being the byte after them (0 at
// the end of the text).
std::size_t LineEndsIn(const char* Data, std::size_t Size, char Next) {
    std::size_t Ends = 0;
    std::size_t I = 0;
#if defined(__x86_64__)
    if (HasAvx2())
        Ends += WideLineEnds(Data, I, Size);
#endif
#if defined(__SSE2__)
    const __m128i LfByte = _mm_set1_epi8('\n');
    const __m128i CrByte = _mm_set1_epi8('\r');
    // Each byte lane counts its ends; at most 255 rounds keep them from overflowing.
    __m128i Lanes = _mm_setzero_si128();
    for (; I + 17 <= Size; I += 16) {
        const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I));
        const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I + 1));
        const __m128i IsCr = _mm_cmpeq_epi8(A, CrByte);
        const __m128i IsEnd = _mm_or_si128(IsCr, _mm_cmpeq_epi8(A, LfByte));
        // A CR followed by an LF ends no line of its own.
        const __m128i LoneCrOrLf =
            _mm_andnot_si128(_mm_and_si128(IsCr, _mm_cmpeq_epi8(B, LfByte)), IsEnd);
        Lanes = _mm_sub_epi8(Lanes, LoneCrOrLf);
    }
    const __m128i Sums = _mm_sad_epu8(Lanes, _mm_setzero_si128());
    Ends += std::size_t(_mm_cvtsi128_si32(Sums)) + std::size_t(_mm_extract_epi16(Sums, 4));
#endif
    for (; I < Size; ++I) {
        if (Data[I] == '\n')
            ++Ends;
        else if (Data[I] == '\r' && (I + 1 < Size ? Data[I + 1] : Next) != '\n')
            ++Ends;
    }
    return Ends;
}

} // namespace

std::optional<std::size_t> CountShortLines(std::string_view Text) {
    // A stretch this long without a line end may belong to a line the opener cuts.
    constexpr std::size_t Stretch = 2048;
    std::size_t Count = 0;
    for (std::size_t Start = 0; Start < Text.size(); Start += Stretch) {
        const std::size_t Size = std::min(Stretch, Text.size() - Start);
        const char Next = Start + Size < Text.size() ? Text[Start + Size] : '\0';
        const std::size_t Ends = LineEndsIn(Text.data() + Start, Size, Next);
        if (Ends == 0 && Size == Stretch)
            return std::nullopt;
        Count += Ends;
    }
    return Count;
}

} // namespace korvid
