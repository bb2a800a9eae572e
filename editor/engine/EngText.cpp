#include "editor/engine/EngText.h"

#include "platform/Cp1252.h"

#include <cstring>

namespace korvid {

namespace {

int NextTabStop(int Column, int TabSize) {
    return TabSize > 0 ? (Column / TabSize + 1) * TabSize : Column + 1;
}

// The shared upper-case function, looked up through a table on the hot search path.
const std::array<unsigned char, 256>& UpperCaseMap() {
    static const std::array<unsigned char, 256> Map = [] {
        std::array<unsigned char, 256> M{};
        for (int C = 0; C < 256; ++C)
            M[C] = UpCase1252(static_cast<unsigned char>(C));
        return M;
    }();
    return Map;
}

template <typename TMap>
bool SearchWith(std::string_view Buffer, const TSkipTable& Table, std::string_view Pattern,
                std::size_t& Position, TMap Map) {
    const std::size_t M = Pattern.size();
    if (M == 0 || M > MaxPatternLength || M > Buffer.size())
        return false;
    const auto* Data = reinterpret_cast<const unsigned char*>(Buffer.data());
    const auto* Pat = reinterpret_cast<const unsigned char*>(Pattern.data());
    const std::size_t N = Buffer.size();
    if (M == 1) {
        for (std::size_t I = 0; I < N; ++I) {
            if (Map(Data[I]) == Pat[0]) {
                Position = I;
                return true;
            }
        }
        return false;
    }
    const unsigned char Last = Pat[M - 1];
    const std::size_t LastSkip = Table[Last];
    std::size_t At = M - 1;
    while (At < N) {
        const unsigned char C = Map(Data[At]);
        if (C != Last) {
            At += Table[C];
            continue;
        }
        std::size_t K = 1;
        while (K < M && Map(Data[At - K]) == Pat[M - 1 - K])
            ++K;
        if (K == M) {
            Position = At - (M - 1);
            return true;
        }
        At += LastSkip;
    }
    return false;
}

} // namespace

bool HasTabs(std::string_view Text) {
    return !Text.empty() && std::memchr(Text.data(), TabChar, Text.size()) != nullptr;
}

int ColumnOfOffset(std::string_view Text, int TabSize) {
    int Column = 0;
    for (char C : Text) {
        if (C == '\0')
            break;
        Column = C == TabChar ? NextTabStop(Column, TabSize) : Column + 1;
    }
    return Column;
}

int OffsetOfColumn(std::string_view Text, int Columns, int TabSize) {
    int Column = 0;
    int Count = 0;
    for (char C : Text) {
        if (C == '\0' || Column >= Columns)
            break;
        Column = C == TabChar ? NextTabStop(Column, TabSize) : Column + 1;
        ++Count;
    }
    return Count;
}

void PadString(std::string& Text, std::size_t Length, char FillChar) {
    if (Text.size() < Length)
        Text.append(Length - Text.size(), FillChar);
}

int LastBlankBefore(std::string_view Text, int P) {
    for (int I = std::min<int>(P, static_cast<int>(Text.size())); I >= 1; --I) {
        if (IsBlank(Text[I - 1]))
            return I;
    }
    return P;
}

std::size_t FirstLineEnd(std::string_view Text) {
    const std::size_t At = Text.find('\n');
    return At == std::string_view::npos ? Text.size() : At + 1;
}

std::string ExpandTabs(std::string_view Text, int TabSize, std::size_t MaxLength) {
    std::string Result;
    if (TabSize <= 0)
        return Result;
    for (char C : Text) {
        if (C == '\0' || Result.size() >= MaxLength)
            break;
        if (C == TabChar) {
            const std::size_t Stop = (Result.size() / TabSize + 1) * TabSize;
            Result.append(std::min(Stop, MaxLength) - Result.size(), ' ');
        } else {
            Result.push_back(C);
        }
    }
    return Result;
}

bool BuildSkipTable(std::string_view Pattern, TSkipTable& Table) {
    const std::size_t M = Pattern.size();
    if (M > MaxPatternLength) {
        Table.fill(1);
        return false;
    }
    Table.fill(static_cast<std::uint8_t>(M));
    for (std::size_t P = 0; P + 1 < M; ++P)
        Table[static_cast<unsigned char>(Pattern[P])] = static_cast<std::uint8_t>(M - 1 - P);
    return true;
}

bool SearchBytes(std::string_view Buffer, const TSkipTable& Table, std::string_view Pattern,
                 std::size_t& Position) {
    return SearchWith(Buffer, Table, Pattern, Position, [](unsigned char C) { return C; });
}

bool SearchBytesIgnoreCase(std::string_view Buffer, const TSkipTable& Table,
                           std::string_view Pattern, std::size_t& Position) {
    const auto& Upper = UpperCaseMap();
    return SearchWith(Buffer, Table, Pattern, Position,
                      [&Upper](unsigned char C) { return Upper[C]; });
}

int PrimaryButtonKey() {
    return 1;
}

} // namespace korvid
