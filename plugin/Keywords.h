#pragma once
// Keyword classification of Lorvanta names by the statement they stand in.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace korvid {

// A set of keyword ids (0 to 191).
class TIdSet {
public:
    constexpr TIdSet() = default;
    constexpr TIdSet(std::initializer_list<unsigned> Ids) {
        for (const unsigned Id : Ids)
            FBits[Id / 64] |= std::uint64_t{1} << (Id % 64);
    }
    constexpr bool Contains(unsigned Id) const {
        return Id < 64 * FBits.size() && ((FBits[Id / 64] >> (Id % 64)) & 1) != 0;
    }
    constexpr bool Empty() const { return FBits[0] == 0 && FBits[1] == 0 && FBits[2] == 0; }
    friend constexpr bool operator==(const TIdSet&, const TIdSet&) = default;

private:
    std::array<std::uint64_t, 3> FBits{};
};

// What a keyword text stands for in one context: its element kind, its id (0 = none) and the
// first keywords of the statement it is restricted to (empty = anywhere).
struct TKeywordEntry {
    constexpr TKeywordEntry(std::uint8_t Kind = 0, std::uint8_t Id = 0, TIdSet After = {})
        : Kind(Kind), Id(Id), After(After) {}

    std::uint8_t Kind;
    std::uint8_t Id;
    TIdSet After;
};

// Holds when the name is the statement's first token (if FirstToken is asked for) or the
// statement's first keyword id is one of FirstKeywords.
struct TCondition {
    constexpr TCondition(bool Always = false, bool FirstToken = false, TIdSet FirstKeywords = {})
        : Always(Always), FirstToken(FirstToken), FirstKeywords(FirstKeywords) {}

    bool Always;
    bool FirstToken;
    TIdSet FirstKeywords;

    constexpr bool Holds(bool IsFirstToken, std::uint8_t FirstKeywordId) const {
        return Always || (FirstToken && IsFirstToken) || FirstKeywords.Contains(FirstKeywordId);
    }
};

struct TKeywordChoice {
    TCondition When;
    TKeywordEntry Entry;
};

// One keyword text with its entries, tried in order; the last one always holds.
struct TKeyword {
    std::string_view Text;
    std::uint8_t ChoiceCount = 0;
    std::array<TKeywordChoice, 3> Choices{};
};

// The statement context that keywords read and set while a statement is tokenised.
struct TStatementContext {
    bool FirstToken = true;               // the name is the statement's first token
    std::uint8_t FirstKeywordId = 0;      // 0 until a keyword with an id has been accepted
    bool KindsAdmitted = true;            // block, declaration and command keywords allowed
    bool NextNameIsProcedureName = false; // set after "func" or "proc"
};

inline constexpr std::uint8_t ElseKeywordId = 155;
inline constexpr std::uint8_t ThenKeywordId = 161;
inline constexpr std::uint8_t FuncKeywordId = 46;
inline constexpr std::uint8_t ProcKeywordId = 99;
// A statement whose first keyword id is this high passes every context restriction.
inline constexpr std::uint8_t UnrestrictedKeywordId = 152;

// Every keyword, in no particular order.
std::span<const TKeyword> Keywords() noexcept;

// The keyword spelt exactly Text, or nullptr.
const TKeyword* FindKeyword(std::string_view Text) noexcept;

// The entry that Keyword stands for in the given context.
const TKeywordEntry& SelectEntry(const TKeyword& Keyword, bool FirstToken,
                                 std::uint8_t FirstKeywordId) noexcept;

// The element kind of the name (1 when it is no keyword here), updating the context.
std::uint8_t ClassifyName(std::string_view Name, TStatementContext& Context) noexcept;

} // namespace korvid
