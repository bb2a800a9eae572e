#include "psystem/PSystemText.h"

#include "psystem/DirectoryImage.h"
#include "psystem/Volume.h"

#include <algorithm>

namespace korvid {

namespace {

constexpr int IndentBias = 32;
// Indents of up to this many blanks are cheaper written out.
constexpr int LiteralIndentLimit = 2;
constexpr int BinaryLinesChecked = 10;
constexpr int BinaryThreshold = 32;

std::string EncodeLine(std::string_view Line) {
    const std::size_t FirstText = Line.find_first_not_of(' ');
    const int Blanks =
        static_cast<int>(FirstText == std::string_view::npos ? Line.size() : FirstText);
    std::string Record;
    if (Blanks > LiteralIndentLimit) {
        const int Indent = std::min(Blanks, MaxIndent);
        Record += TextDLE;
        Record += static_cast<char>(IndentBias + Indent);
        Record.append(Line.substr(static_cast<std::size_t>(Indent)));
    } else {
        Record.append(Line);
    }
    Record += TextCR;
    return Record;
}

void PadTo(std::string& Data, std::size_t Size) {
    Data.resize(Size, '\0');
}

std::size_t NextPage(std::size_t Position) {
    return (Position / TextPageSize + 1) * TextPageSize;
}

bool IsBinaryControl(unsigned char C) {
    return C <= 8 || C == 11 || C == 12 || (C >= 14 && C <= 31);
}

// Adds the lines of one page to Lines.
void DecodePage(std::string_view Page, std::vector<std::string>& Lines) {
    std::size_t I = 0;
    while (I < Page.size() && Page[I] != '\0') {
        std::string Line;
        if (Page[I] == TextDLE && I + 1 < Page.size()) {
            const int Blanks = static_cast<unsigned char>(Page[I + 1]) - IndentBias;
            Line.append(static_cast<std::size_t>(std::max(0, Blanks)), ' ');
            I += 2;
        }
        while (I < Page.size() && Page[I] != TextCR) {
            if (Page[I] != '\0')
                Line += Page[I];
            ++I;
        }
        // A run without its CR at the page's end is kept as a line rather than lost.
        if (I < Page.size() || !Line.empty())
            Lines.push_back(std::move(Line));
        ++I;
    }
}

} // namespace

TEncodedPSystemText EncodePSystemText(const std::vector<std::string>& Lines,
                                      const TPSystemHeaderPage* HeaderPage) {
    TEncodedPSystemText Result;
    std::string& Data = Result.Data;
    if (HeaderPage)
        Data.assign(HeaderPage->begin(), HeaderPage->end());
    else
        Data.assign(TextHeaderSize, '\0');
    for (const std::string& Line : Lines) {
        if (Line.size() > MaxPSystemLineLength)
            Result.Truncated = true;
        const std::string Record =
            EncodeLine(std::string_view(Line).substr(0, MaxPSystemLineLength));
        // Every page keeps at least one NUL at its end.
        if (Record.size() >= TextPageSize - Data.size() % TextPageSize)
            PadTo(Data, NextPage(Data.size()));
        Data += Record;
    }
    const std::size_t P = Data.size();
    Result.BytesInLastBlock = P % BlockSize == 0 ? BlockSize : int(P % BlockSize);
    if (P % TextPageSize == 0)
        PadTo(Data, P + TextPageSize);
    else if (P % TextPageSize == TextPageSize - 1)
        PadTo(Data, P + 1 + TextPageSize);
    else
        PadTo(Data, NextPage(P));
    return Result;
}

void DecodePSystemText(TCustomFileHelper& Source, std::int64_t EndOffset, std::int64_t StartOffset,
                       std::string_view FileName, std::vector<std::string>& Lines,
                       bool HalfLastPage) {
    std::string Page;
    for (std::int64_t Position = StartOffset; Position < EndOffset;) {
        std::int64_t PageSize = TextPageSize;
        if (HalfLastPage && Position + BlockSize >= EndOffset)
            PageSize = BlockSize;
        const std::int64_t Count = std::min(PageSize, EndOffset - Position);
        Page.assign(static_cast<std::size_t>(PageSize), '\0');
        if (!Source.Read(Position, Count, Page.data()))
            throw EVolumeError("Can't open file '" + std::string(FileName) + "'");
        DecodePage(Page, Lines);
        Position += PageSize;
    }
}

bool LooksBinary(const std::vector<std::string>& Lines) {
    int Count = 0;
    const std::size_t Checked = std::min<std::size_t>(Lines.size(), BinaryLinesChecked);
    for (std::size_t L = 0; L < Checked; ++L)
        for (const char C : Lines[L])
            if (IsBinaryControl(static_cast<unsigned char>(C)) && ++Count >= BinaryThreshold)
                return true;
    return false;
}

} // namespace korvid
