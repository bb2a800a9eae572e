#include "plugin/Tokeniser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "plugin/Elements.h"
#include "plugin/Keywords.h"

namespace korvid {
namespace {

enum class TCommentState { None, Semicolon, Hash };

struct TToken {
    std::uint8_t Kind = element::Blanks;
    std::int32_t Start = 0;
    std::int32_t Length = 0;
    bool RestOfLine = false;
};

bool IsLetter(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
}
bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

// The working record of one call: nothing in it outlives the call.
class TTokeniser {
public:
    TTokeniser(void* Data, std::string_view Line, std::int32_t LineNo, TKorvidChunkProc ChunkProc,
               TKorvidGetLineProc GetLineProc)
        : FData(Data), FGivenLine(Line), FLineNo(LineNo), FChunkProc(ChunkProc),
          FGetLineProc(GetLineProc) {}

    void Run();

private:
    void FetchLineRaw(std::int32_t L);
    std::string_view FetchLine(std::int32_t L);
    TCommentState LookBackForComment();
    std::int32_t FindStatementStart();
    void TokeniseLine();
    TToken ReadToken();
    TToken ReadName(std::int32_t Start);
    void TokenStep(TToken Token);
    void Report(std::uint8_t Kind, std::int32_t Start, std::int32_t Length);
    void ReportRestOfLine(std::uint8_t Kind, std::int32_t Start);

    char At(std::int32_t Position) const {
        return Position < static_cast<std::int32_t>(FText.size()) ? FText[Position] : '\0';
    }
    bool AtEnd() const { return FPosition >= static_cast<std::int32_t>(FText.size()); }

    void* FData;
    std::string_view FGivenLine;
    std::int32_t FLineNo;
    TKorvidChunkProc FChunkProc;
    TKorvidGetLineProc FGetLineProc;

    TCommentState FCommentState = TCommentState::None;
    std::int32_t FLine = 0; // the line being tokenised
    std::string_view FText; // its text
    std::int32_t FPosition = 0;
    bool FLineFinished = false;

    TStatementContext FContext;
    bool FProcedureNameSeen = false;
    bool FThisTokenIsSingleDot = false;
    bool FPreviousTokenWasSingleDot = false;
    bool FPipeSeen = false;
    bool FPipeMode = false;

    char FBuffer[KorvidLineBufferSize];
};

void TTokeniser::FetchLineRaw(std::int32_t L) {
    FBuffer[0] = '\0';
    if (FGetLineProc != nullptr)
        FGetLineProc(FData, L, FBuffer);
}

std::string_view TTokeniser::FetchLine(std::int32_t L) {
    FetchLineRaw(L);
    // Bytes after the terminator may be stale, and a host may forget the terminator.
    return {FBuffer, ::strnlen(FBuffer, KorvidLineBufferSize - 1)};
}

TCommentState TTokeniser::LookBackForComment() {
    const std::int32_t Lowest = std::max(1, FLineNo - CommentLookBackLines);
    for (std::int32_t L = FLineNo - 1; L >= Lowest; --L) {
        FetchLineRaw(L);
        // Only the head of the line matters: walk it up to the terminator rather than measure
        // the whole line, since most lines are read here and nowhere else.
        std::size_t First = 0;
        while (First < KorvidLineBufferSize - 1 && FBuffer[First] == ' ')
            ++First;
        if (First + 1 >= KorvidLineBufferSize - 1 || FBuffer[First] == '\0' ||
            FBuffer[First + 1] == '\0')
            continue;
        const std::string_view Head(FBuffer + First, 2);
        if (Head == ";(")
            return TCommentState::Semicolon;
        if (Head == "#(")
            return TCommentState::Hash;
        if (Head == ");" || Head == ")#")
            return TCommentState::None;
    }
    return TCommentState::None;
}

std::int32_t TTokeniser::FindStatementStart() {
    std::int32_t L = FLineNo - 1;
    while (L >= 1) {
        const std::string_view Text = FetchLine(L);
        if (Text.empty() || (Text.back() != ',' && Text.back() != '\\'))
            break;
        --L;
    }
    return L + 1;
}

void TTokeniser::Run() {
    FCommentState = LookBackForComment();
    FLine = FCommentState == TCommentState::None ? FindStatementStart() : FLineNo;
    for (;; ++FLine) {
        if (FLine == FLineNo) {
            FText = FGivenLine;
        } else {
            FText = FetchLine(FLine);
            if (FText.empty())
                return;
        }
        FPosition = 0;
        FLineFinished = false;
        switch (FCommentState) {
        case TCommentState::Semicolon:
            ReportRestOfLine(element::SemicolonComment, 0);
            break;
        case TCommentState::Hash:
            ReportRestOfLine(element::HashComment, 0);
            break;
        case TCommentState::None:
            TokeniseLine();
            break;
        }
        if (FLine == FLineNo)
            return;
    }
}

void TTokeniser::TokeniseLine() {
    while (!FLineFinished) {
        const TToken Token = ReadToken();
        if (Token.Kind == element::EndOfLine)
            return;
        if (Token.RestOfLine) {
            ReportRestOfLine(Token.Kind, Token.Start);
            return;
        }
        TokenStep(Token);
        FContext.FirstToken = false;
    }
}

TToken TTokeniser::ReadToken() {
    FPreviousTokenWasSingleDot = FThisTokenIsSingleDot;
    FThisTokenIsSingleDot = false;

    if (FPipeMode) {
        const std::int32_t Start = FPosition;
        while (!AtEnd() && At(FPosition) != '{')
            ++FPosition;
        if (FPosition > Start)
            return {element::String, Start, FPosition - Start};
    }

    const std::int32_t BlanksStart = FPosition;
    while (!AtEnd() && (At(FPosition) == ' ' || At(FPosition) == '\t'))
        ++FPosition;
    Report(element::Blanks, BlanksStart, FPosition - BlanksStart);

    const std::int32_t Start = FPosition;
    if (AtEnd()) {
        FLineFinished = true;
        return {element::EndOfLine, Start, 0};
    }
    const char C = At(FPosition++);
    const auto Single = [Start](std::uint8_t Kind) { return TToken{Kind, Start, 1}; };
    const auto RestOfLine = [Start](std::uint8_t Kind) { return TToken{Kind, Start, 0, true}; };
    switch (C) {
    case '!':
        return RestOfLine(element::HashComment);
    case ';':
        if (At(FPosition) == '(')
            FCommentState = TCommentState::Semicolon;
        return RestOfLine(element::SemicolonComment);
    case '#':
        if (At(FPosition) == '(')
            FCommentState = TCommentState::Hash;
        return RestOfLine(element::HashComment);
    case '?':
        return FContext.FirstToken ? RestOfLine(element::Directive) : Single(element::Symbol);
    case '\'': {
        const std::size_t Close = FText.find('\'', static_cast<std::size_t>(FPosition));
        if (Close == std::string_view::npos) {
            FPosition = static_cast<std::int32_t>(FText.size());
            FLineFinished = true;
        } else {
            FPosition = static_cast<std::int32_t>(Close) + 1;
        }
        return {element::String, Start, FPosition - Start};
    }
    case ')':
        if (At(FPosition) == '#') {
            ++FPosition;
            return {element::HashComment, Start, 2};
        }
        return Single(element::Symbol);
    case '.':
        if (At(FPosition) == '.')
            ++FPosition;
        else
            FThisTokenIsSingleDot = true;
        if (FProcedureNameSeen) {
            FContext.NextNameIsProcedureName = true;
            FProcedureNameSeen = false;
        }
        return {element::Symbol, Start, FPosition - Start};
    case '\\':
        return Single(element::Backslash);
    case '|':
        FPipeSeen = true;
        return Single(element::PipeOrBrace);
    case '{':
    case '}':
        return Single(element::PipeOrBrace);
    default:
        break;
    }
    if (IsDigit(C)) {
        while (IsDigit(At(FPosition)) || At(FPosition) == '.')
            ++FPosition;
        return {element::Number, Start, FPosition - Start};
    }
    if (IsLetter(C))
        return ReadName(Start);
    return Single(element::Symbol);
}

TToken TTokeniser::ReadName(std::int32_t Start) {
    while (IsLetter(At(FPosition)) || IsDigit(At(FPosition)) || At(FPosition) == '|')
        ++FPosition;
    if (!FContext.NextNameIsProcedureName)
        return {element::Name, Start, FPosition - Start};
    FContext.NextNameIsProcedureName = false;
    FProcedureNameSeen = true;
    return {element::ProcedureName, Start, FPosition - Start};
}

void TTokeniser::TokenStep(TToken Token) {
    FPipeMode = false;
    if (Token.Kind == element::Name && !FPreviousTokenWasSingleDot) {
        Token.Kind = ClassifyName(
            {FText.data() + Token.Start, static_cast<std::size_t>(Token.Length)}, FContext);
        if (Token.Kind == element::Assertion) {
            ReportRestOfLine(element::Assertion, Token.Start);
            FLineFinished = true;
            return;
        }
    }
    Report(Token.Kind, Token.Start, Token.Length);
    if (Token.Kind == element::PipeOrBrace && FPipeSeen && FText[Token.Start] != '{')
        FPipeMode = true;
}

void TTokeniser::Report(std::uint8_t Kind, std::int32_t Start, std::int32_t Length) {
    if (FLine == FLineNo && Length > 0)
        FChunkProc(FData, Kind, Start, Length);
}

// A chunk that runs to the end of the line carries the whole line's length, whatever its start.
void TTokeniser::ReportRestOfLine(std::uint8_t Kind, std::int32_t Start) {
    Report(Kind, Start, static_cast<std::int32_t>(FGivenLine.size()));
    FLineFinished = true;
}

} // namespace

void EnumLineChunks(void* Data, const char* Line, std::int32_t LineLength, std::int32_t LineNo,
                    TKorvidChunkProc ChunkProc, TKorvidGetLineProc GetLineProc) noexcept {
    if (ChunkProc == nullptr)
        return;
    const std::string_view Text =
        Line == nullptr || LineLength <= 0
            ? std::string_view{}
            : std::string_view{Line, static_cast<std::size_t>(LineLength)};
    // A line number below 1 names no line of a document: colour the line without context.
    TTokeniser(Data, Text, std::max(LineNo, 1), ChunkProc, GetLineProc).Run();
}

} // namespace korvid
