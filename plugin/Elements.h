#pragma once
// The syntax elements that Lorvanta tells apart and their default colours, in reporting order.

#include <array>
#include <cstdint>

namespace korvid {

// Element ids of the chunks; Blanks and EndOfLine are token kinds that name no element.
namespace element {
inline constexpr std::uint8_t Blanks = 0;
inline constexpr std::uint8_t Name = 1;
inline constexpr std::uint8_t BlockKeyword = 2;
inline constexpr std::uint8_t DeclarationKeyword = 3;
inline constexpr std::uint8_t CommandKeyword = 4;
inline constexpr std::uint8_t FunctionKeyword = 5;
inline constexpr std::uint8_t ClauseKeyword = 6;
inline constexpr std::uint8_t OperatorKeyword = 7;
inline constexpr std::uint8_t EndKeyword = 8;
inline constexpr std::uint8_t StyleAttribute = 9;
inline constexpr std::uint8_t Symbol = 10;
inline constexpr std::uint8_t PipeOrBrace = 11;
inline constexpr std::uint8_t String = 12;
inline constexpr std::uint8_t Number = 13;
inline constexpr std::uint8_t SemicolonComment = 14;
inline constexpr std::uint8_t HashComment = 15;
inline constexpr std::uint8_t EndOfLine = 16;
inline constexpr std::uint8_t Backslash = 17;
inline constexpr std::uint8_t TypeKeyword = 18;
inline constexpr std::uint8_t ProcedureName = 19;
inline constexpr std::uint8_t Directive = 20;
inline constexpr std::uint8_t Assertion = 21;
} // namespace element

struct TElement {
    std::uint8_t Id;
    const char* Name;
};

inline constexpr std::array<TElement, 20> Elements{{
    {element::Name, "Names"},
    {element::ProcedureName, "Procedure names"},
    {element::DeclarationKeyword, "Declaration keywords"},
    {element::BlockKeyword, "Block keywords"},
    {element::CommandKeyword, "Command keywords"},
    {element::ClauseKeyword, "Clause keywords"},
    {element::FunctionKeyword, "Function keywords"},
    {element::OperatorKeyword, "Operator keywords"},
    {element::TypeKeyword, "Type keywords"},
    {element::EndKeyword, "Keyword `end`"},
    {element::StyleAttribute, "Style attributes"},
    {element::Symbol, "Symbols"},
    {element::Number, "Numbers"},
    {element::String, "Strings"},
    {element::PipeOrBrace, "Pipes and braces"},
    {element::Backslash, "Backslashes"},
    {element::SemicolonComment, "Comments with ;"},
    {element::HashComment, "Comments with #"},
    {element::Directive, "Compiler directives (?)"},
    {element::Assertion, "Assertions"},
}};

// Colour value: red in the low byte, then green, then blue.
constexpr std::uint32_t Rgb(std::uint32_t Red, std::uint32_t Green, std::uint32_t Blue) {
    return Red | (Green << 8) | (Blue << 16);
}

struct TDefaultColour {
    std::uint32_t Colour;
    bool Bold;
    bool Italic;
};

// The window's text, background, selected text and selected background, then one per element in
// the order of Elements.
inline constexpr std::array<TDefaultColour, 24> DefaultColours{{
    {Rgb(0, 0, 0), false, false},       {Rgb(255, 255, 255), false, false},
    {Rgb(255, 255, 255), false, false}, {Rgb(0, 0, 128), false, false},
    {Rgb(0, 0, 0), false, false},       {Rgb(0, 0, 0), true, false},
    {Rgb(0, 0, 128), true, false},      {Rgb(128, 0, 0), true, false},
    {Rgb(0, 0, 0), true, false},        {Rgb(0, 0, 128), true, false},
    {Rgb(128, 0, 128), true, false},    {Rgb(0, 0, 0), true, false},
    {Rgb(0, 0, 128), false, false},     {Rgb(128, 128, 128), true, false},
    {Rgb(0, 128, 0), true, false},      {Rgb(128, 128, 128), false, false},
    {Rgb(0, 0, 255), false, false},     {Rgb(0, 0, 255), false, false},
    {Rgb(128, 128, 255), true, false},  {Rgb(128, 128, 128), true, false},
    {Rgb(0, 128, 0), false, true},      {Rgb(0, 128, 0), false, false},
    {Rgb(128, 0, 0), true, false},      {Rgb(192, 192, 192), false, false},
}};

} // namespace korvid
