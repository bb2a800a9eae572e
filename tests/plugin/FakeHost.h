#pragma once
// A colouring host over a vector of lines: it answers the plug-in's line requests, records them,
// and collects the chunks reported for one line.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/ColouringPlugin.h"

namespace korvid::test {

// Element kinds as the tests spell them.
enum : int {
    Blanks = 0,
    Name = 1,
    Block = 2,
    Declaration = 3,
    Command = 4,
    Function = 5,
    Clause = 6,
    Operator = 7,
    End = 8,
    Style = 9,
    Symbol = 10,
    Pipe = 11,
    String = 12,
    Number = 13,
    SemiComment = 14,
    HashComment = 15,
    Backslash = 17,
    Type = 18,
    Procedure = 19,
    Directive = 20,
    Assertion = 21,
};

struct TChunk {
    std::uint8_t Kind;
    std::int32_t Start;
    std::int32_t Length;
    friend bool operator==(const TChunk&, const TChunk&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const TChunk& Chunk) {
        return Out << "{kind " << int(Chunk.Kind) << ", start " << Chunk.Start << ", length "
                   << Chunk.Length << "}";
    }
};

// A chunk as the text it covers (cut at the end of the line) and its kind.
using TTextChunk = std::pair<std::string, int>;

class TFakeHost {
public:
    explicit TFakeHost(std::vector<std::string> Lines) : FLines(std::move(Lines)) {}

    // Colours line LineNo (1-based) through Enum and checks what every host relies on.
    std::vector<TChunk> Colour(std::int32_t LineNo, TKorvidEnumChunks Enum) {
        FChunks.clear();
        FRequested.clear();
        const std::string& Line = FLines.at(static_cast<std::size_t>(LineNo - 1));
        Enum(this, Line.c_str(), static_cast<std::int32_t>(Line.size()), LineNo, &ChunkProc,
             &GetLineProc);
        for (const std::int32_t Requested : FRequested) {
            EXPECT_GE(Requested, 1) << "line " << LineNo;
            EXPECT_LT(Requested, LineNo) << "line " << LineNo;
        }
        ExpectCoversLine(static_cast<std::int32_t>(Line.size()));
        return FChunks;
    }

    std::vector<TTextChunk> ColourAsText(std::int32_t LineNo, TKorvidEnumChunks Enum) {
        const std::string& Line = FLines.at(static_cast<std::size_t>(LineNo - 1));
        std::vector<TTextChunk> Result;
        for (const TChunk& Chunk : Colour(LineNo, Enum))
            Result.emplace_back(Line.substr(static_cast<std::size_t>(Chunk.Start),
                                            static_cast<std::size_t>(Chunk.Length)),
                                Chunk.Kind);
        return Result;
    }

    const std::vector<std::int32_t>& Requested() const { return FRequested; }

private:
    static void ChunkProc(void* Data, std::uint8_t ElementId, std::int32_t Start,
                          std::int32_t Length) {
        static_cast<TFakeHost*>(Data)->FChunks.push_back({ElementId, Start, Length});
    }

    // Leaves stale bytes after the terminator, as a reused buffer would.
    static void GetLineProc(void* Data, std::int32_t LineNo, char* Buffer) {
        auto* Host = static_cast<TFakeHost*>(Data);
        Host->FRequested.push_back(LineNo);
        std::memset(Buffer, '(', KorvidLineBufferSize);
        std::string Text;
        if (LineNo >= 1 && static_cast<std::size_t>(LineNo) <= Host->FLines.size())
            Text = Host->FLines[static_cast<std::size_t>(LineNo - 1)];
        const std::size_t Length = std::min<std::size_t>(Text.size(), KorvidLineBufferSize - 1);
        std::memcpy(Buffer, Text.data(), Length);
        Buffer[Length] = '\0';
    }

    // Chunks follow each other without gap or overlap and cover the line; only the last may run
    // to the end of the line with the line's whole length.
    void ExpectCoversLine(std::int32_t LineLength) const {
        std::int32_t End = 0;
        for (std::size_t I = 0; I < FChunks.size(); ++I) {
            const TChunk& Chunk = FChunks[I];
            EXPECT_GT(Chunk.Length, 0) << Chunk;
            EXPECT_NE(Chunk.Kind, 16) << Chunk;
            EXPECT_EQ(Chunk.Start, End) << Chunk;
            const bool Last = I + 1 == FChunks.size();
            if (Chunk.Start + Chunk.Length > LineLength) {
                EXPECT_TRUE(Last && Chunk.Length == LineLength) << Chunk;
            }
            End = Chunk.Start + Chunk.Length;
        }
        EXPECT_GE(End, LineLength);
    }

    std::vector<std::string> FLines;
    std::vector<TChunk> FChunks;
    std::vector<std::int32_t> FRequested;
};

} // namespace korvid::test
