#pragma once

// The code-file listing's working state, shared by the listing and the p-code decoder.

#include "psystem/SourceLineProvider.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// Ends the scope (chain, segment or procedure) that meets it; the listing goes on.
struct TListingStop {
    std::string Reason;
};

// Ends the whole listing.
struct TListingTooLong {};

// The file's bytes. Every read is checked against the buffer; a read outside it raises
// TListingStop naming Place, the part being read.
class TCodeBytes {
public:
    explicit TCodeBytes(std::string_view Data) : FData(Data) {}
    std::int64_t Size() const { return std::int64_t(FData.size()); }
    std::string_view Data() const { return FData; }
    void Require(std::int64_t Position, std::int64_t Count) const;
    unsigned Byte(std::int64_t Position) const;
    unsigned Word(std::int64_t Position) const;
    std::uint32_t DWord(std::int64_t Position) const;

    std::string Place;

private:
    [[noreturn]] void Outside(std::int64_t Position) const;
    std::string_view FData;
};

class TCodeListing {
public:
    TCodeListing(std::string_view Data, std::vector<std::string>& Lines,
                 const TSourceLineProvider* SourceLines);
    void List(const std::string& Title);

    // The decoder's part: one procedure of the current segment.
    void DisassembleProcedure(int Proc, std::int64_t PoolPosition);

private:
    friend class TInstructionDecoder;

    struct TTypeReference {
        unsigned Segment;
        std::string Name;
    };

    void Write(std::string_view Text) { FLine += Text; }
    void WriteLine(std::string_view Text = {});
    void Stopped(const std::string& Reason);

    void ReadChain();
    void WriteSegmentList();
    void WriteSegment(int Block, int Entry, int Number);
    void WriteSummary(int Dictionary, int Entry);
    void WriteInterface(int Dictionary, int Entry);
    void WriteSegmentBody(int Dictionary, int Entry, int Number);
    void WriteConstantPool(std::int64_t From, std::int64_t To);
    void ReadSegmentReferences(std::int64_t Start);
    void WriteReferences();
    void WriteTypeTable(std::int64_t Table, std::uint32_t Count);

    std::int64_t SegmentByte(std::int64_t Position) const { return FSegmentStart + Position; }
    std::string PoolString(std::int64_t WordPosition) const;

    // Names for the decoder.
    std::string SegmentName(unsigned Number) const;
    std::string TypeName(unsigned Number) const;

    TCodeBytes FBytes;
    std::vector<std::string>& FLines;
    const TSourceLineProvider* FSourceLines;
    std::size_t FLinesAtStart;
    std::size_t FLineBudget;
    std::string FLine;

    std::vector<int> FChain;
    std::string FChainStop;
    bool FWideOffsets = false;
    bool FWidePointers = false;

    std::string FSegmentName; // 8 characters, blank-padded
    std::int64_t FSegmentStart = 0;
    std::int64_t FPoolStart = 0;
    std::vector<unsigned> FProcStarts; // by procedure number - 1
    std::vector<unsigned> FSortedStarts;
    std::array<std::string, 256> FReferenceNames;
    std::vector<TTypeReference> FTypes;
};

} // namespace korvid
