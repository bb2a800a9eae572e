#include "workspace/Keystroke.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <utility>

namespace korvid {

namespace {

bool GRecording = false;
bool GPlaying = false;

// The shift-set words of a key step, in their bit order.
constexpr std::array<std::string_view, 7> ShiftWords = {"shift", "alt",    "ctrl",  "left",
                                                        "right", "middle", "double"};

// An optional "-" and decimal digits, within 0 ... Limit.
std::optional<std::uint16_t> ParseNumber(std::string_view Text, int Limit = 0xFFFF) {
    const bool Negative = !Text.empty() && Text.front() == '-';
    const std::string_view Digits = Negative ? Text.substr(1) : Text;
    if (Digits.empty() ||
        !std::all_of(Digits.begin(), Digits.end(), [](char C) { return C >= '0' && C <= '9'; }))
        return std::nullopt;
    long long Value = 0;
    const auto [End, Error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), Value);
    if (Error != std::errc() || End != Digits.data() + Digits.size())
        return std::nullopt;
    if (Negative && Value != 0)
        return std::nullopt;
    if (Value > Limit)
        return std::nullopt;
    return static_cast<std::uint16_t>(Value);
}

// What is left of Line after Prefix and one final ")".
std::string_view Argument(std::string_view Line, std::string_view Prefix) {
    std::string_view Rest = Line.substr(Prefix.size());
    if (!Rest.empty() && Rest.back() == ')')
        Rest.remove_suffix(1);
    return Rest;
}

// Text before and after the first comma (all of it, and nothing, without one).
std::pair<std::string_view, std::string_view> SplitAtComma(std::string_view Text) {
    const auto Comma = Text.find(',');
    if (Comma == std::string_view::npos)
        return {Text, {}};
    return {Text.substr(0, Comma), Text.substr(Comma + 1)};
}

// A step of a keystroke line, or nothing for a bad integer. Tool steps are not made here.
std::optional<TKeystroke> ParseStep(std::string_view Line) {
    TKeystroke Step;
    if (Line.starts_with("char(")) {
        const auto Code = ParseNumber(Argument(Line, "char("), 0xFF);
        if (!Code)
            return std::nullopt;
        Step.Kind = ksChar;
        Step.Code = *Code;
    } else if (Line.starts_with("command(")) {
        const auto [First, Rest] = SplitAtComma(Argument(Line, "command("));
        const auto Command = ParseNumber(TrimText(First));
        const auto Code = ParseNumber(TrimText(Rest));
        if (!Command || !Code)
            return std::nullopt;
        Step.Kind = ksCommand;
        Step.Command = *Command;
        Step.Code = *Code;
    } else if (Line.starts_with("return(")) {
        const auto Flag = ParseNumber(Argument(Line, "return("));
        if (!Flag)
            return std::nullopt;
        Step.Kind = ksReturn;
        Step.Command = *Flag;
    } else if (Line.starts_with("tab(")) {
        Step.Kind = ksTab;
    } else {
        auto [First, Rest] = SplitAtComma(Argument(Line, "key("));
        const auto Key = ParseNumber(TrimText(First));
        if (!Key)
            return std::nullopt;
        Step.Kind = ksKey;
        Step.Key = *Key;
        while (!Rest.empty()) {
            const auto [Word, Next] = SplitAtComma(Rest);
            const auto Found = std::find(ShiftWords.begin(), ShiftWords.end(), TrimText(Word));
            if (Found != ShiftWords.end())
                Step.Shift |= static_cast<std::uint8_t>(1u << (Found - ShiftWords.begin()));
            Rest = Next;
        }
    }
    return Step;
}

bool IsSetHeader(std::string_view Line) {
    return Line.size() >= 2 && Line.front() == '[' && Line.back() == ']';
}

} // namespace

TKeystrokeList& Keystrokes() {
    static TKeystrokeList List;
    return List;
}

int AddKeystroke(std::uint8_t Kind, TKorvidTool* Tool, std::uint16_t Code, std::uint16_t Command) {
    auto Step = std::make_unique<TKeystroke>();
    Step->Kind = Kind;
    Step->Tool = Tool;
    Step->Code = Code;
    Step->Command = Command;
    Keystrokes().push_back(std::move(Step));
    return int(Keystrokes().size()) - 1;
}

void ClearKeystrokes() {
    if (!GPlaying)
        Keystrokes().clear();
}

void RecordKey(std::uint16_t Key, std::uint8_t Shift) {
    if (!GRecording)
        return;
    TKeystroke& Step = *Keystrokes().at(AddKeystroke(ksKey, nullptr, 0, 0));
    Step.Key = Key;
    Step.Shift = Shift;
}

bool IsRecordingKeystrokes() {
    return GRecording;
}

void StartRecordingKeystrokes() {
    if (GRecording || GPlaying)
        return;
    ClearKeystrokes();
    GRecording = true;
}

void StopRecordingKeystrokes() {
    GRecording = false;
}

bool IsPlayingKeystrokes() {
    return GPlaying;
}

void SetPlayingKeystrokes(bool Playing) {
    GPlaying = Playing;
}

bool IsMacroTool(int ToolIndex) {
    namespace T = korvid::ToolIndex;
    switch (ToolIndex) {
    case T::EditRecordKeystrokes:
    case T::EditPlayKeystrokes:
    case T::EditPlayKeystrokesRepeatedly:
    case T::EditCopyRecordedKeystrokes:
    case T::EditPickRecordedKeystrokes:
        return true;
    default:
        return false;
    }
}

std::string KeystrokesText(const TKeystrokeList& Steps) {
    std::string Text;
    for (const auto& Step : Steps) {
        std::string Line;
        switch (Step->Kind) {
        case ksTool:
            if (!Step->Tool)
                continue;
            Line = Step->Tool->Name();
            break;
        case ksChar:
            if (Step->Code < 32)
                continue;
            Line = "Char(" + std::to_string(Step->Code) + ")";
            break;
        case ksCommand:
            Line = "Command(" + std::to_string(Step->Command) + ", " + std::to_string(Step->Code) +
                   ")";
            break;
        case ksReturn:
            Line = "Return(" + std::to_string(Step->Command) + ")";
            break;
        case ksTab:
            Line = "Tab()";
            break;
        case ksKey: {
            static constexpr std::array<std::string_view, 7> Names = {
                "Shift", "Alt", "Ctrl", "Left", "Right", "Middle", "Double"};
            Line = "Key(" + std::to_string(Step->Key);
            for (std::size_t Bit = 0; Bit < Names.size(); ++Bit)
                if (Step->Shift & (1u << Bit))
                    Line += ", " + std::string(Names[Bit]);
            Line += ")";
            break;
        }
        default:
            continue;
        }
        Text += Line + "\r\n";
    }
    return Text;
}

bool ParseKeystroke(std::string_view Line, int LineNumber, std::string_view FileName) {
    const std::string Lower = LowerCase1252(Line);
    const bool Named = !Lower.starts_with("char(") && !Lower.starts_with("command(") &&
                       !Lower.starts_with("return(") && !Lower.starts_with("tab(") &&
                       !Lower.starts_with("key(");
    if (Named) {
        bool Found = false;
        const int Index = FindToolByName(Lower, Found);
        if (!Found) {
            ShowUnknownKeystrokeCommandMessage(Lower, LineNumber, FileName);
            return false;
        }
        AddKeystroke(ksTool, ToolList().Items(Index), 0, 0);
        return true;
    }
    const auto Step = ParseStep(Lower);
    if (!Step) {
        ShowIntegerExpectedMessage(LineNumber, FileName);
        return false;
    }
    Keystrokes().push_back(std::make_unique<TKeystroke>(*Step));
    return true;
}

std::vector<std::string> KeystrokeSetNames(const std::vector<std::string>& Lines) {
    std::vector<std::string> Names;
    for (const auto& Raw : Lines) {
        const std::string_view Line = TrimText(Raw);
        if (IsSetHeader(Line))
            Names.emplace_back(Line.substr(1, Line.size() - 2));
    }
    return Names;
}

bool LoadKeystrokeSet(const std::vector<std::string>& Lines, std::string_view Name,
                      std::string_view FileName) {
    if (GPlaying)
        return false;
    bool Collecting = false;
    bool Found = false;
    for (std::size_t Index = 0; Index < Lines.size(); ++Index) {
        const std::string_view Line = TrimText(Lines[Index]);
        if (IsSetHeader(Line)) {
            if (Collecting)
                break;
            if (Line.substr(1, Line.size() - 2) == Name) {
                ClearKeystrokes();
                Collecting = Found = true;
            }
        } else if (Collecting && !Line.empty() && !Line.starts_with('#')) {
            ParseKeystroke(Line, int(Index) + 1, FileName);
        }
    }
    return Found;
}

bool IsVrepFile(std::string_view FileName) {
    const auto Dot = FileName.rfind('.');
    const auto Slash = FileName.find_last_of("/\\>");
    if (Dot == std::string_view::npos || (Slash != std::string_view::npos && Slash > Dot))
        return false;
    return LowerCase1252(FileName.substr(Dot)) == ".vrep";
}

} // namespace korvid
