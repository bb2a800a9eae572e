#include "workspace/TermScanner.h"

#include "platform/Cp1252.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
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

} // namespace

TTermScanner::TTermScanner(std::string Term, bool FoldCase)
    : FTerm(std::move(Term)), FFold(FoldCase) {
    if (FTerm.empty())
        return;
    const std::vector<unsigned char> First =
        FormsOf(static_cast<unsigned char>(FTerm.front()), FFold);
    const std::vector<unsigned char> Last =
        FormsOf(static_cast<unsigned char>(FTerm.back()), FFold);
    // A folded byte no text byte folds to cannot be found; the plain look says so.
    FVector = !First.empty() && !Last.empty() && First.size() <= 2 && Last.size() <= 2;
    if (FVector) {
        FFirst[0] = First.front();
        FFirst[1] = First.back();
        FLast[0] = Last.front();
        FLast[1] = Last.back();
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
#if defined(__SSE2__)
    if (FVector) {
        const __m128i First0 = _mm_set1_epi8(char(FFirst[0]));
        const __m128i First1 = _mm_set1_epi8(char(FFirst[1]));
        const __m128i Last0 = _mm_set1_epi8(char(FLast[0]));
        const __m128i Last1 = _mm_set1_epi8(char(FLast[1]));
        for (; I + 16 <= End; I += 16) {
            const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I));
            const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I + N - 1));
            const __m128i AtFirst =
                _mm_or_si128(_mm_cmpeq_epi8(A, First0), _mm_cmpeq_epi8(A, First1));
            const __m128i AtLast = _mm_or_si128(_mm_cmpeq_epi8(B, Last0), _mm_cmpeq_epi8(B, Last1));
            for (unsigned Mask = unsigned(_mm_movemask_epi8(_mm_and_si128(AtFirst, AtLast))); Mask;
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

} // namespace korvid
