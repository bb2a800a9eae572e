#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvid::test {

// Code files built from their byte tables, for the code-file listing's tests and benchmark.

struct TCodeProcedure {
    std::string Code; // the p-code bytes
    unsigned Locals = 0;
    int Exit = -1; // the exit's offset from the first code byte; -1: the last code byte
};

struct TCodeTypeMember {
    unsigned Kind = 0; // 0 field, 1 method, 2 interface
    std::string Name;
    unsigned Number = 0;
    unsigned Reference = 0; // a type or seg-ref number
};

struct TCodeType {
    std::vector<TCodeTypeMember> Members;
    std::uint32_t Size = 0;
    std::uint32_t At = 0;
};

struct TCodeSegment {
    std::string Name;  // blank-padded to 8
    unsigned Kind = 2; // 1 Program, 2 Unit, 3 Function, 4 Native
    unsigned Number = 1;
    unsigned CodeType = 0;
    unsigned Version = 4;
    unsigned DataSize = 0;
    unsigned Highest = 0;
    std::string Parent;
    std::vector<TCodeProcedure> Procedures;
    std::string Pool;                                             // bytes, padded to a word
    std::vector<std::pair<std::string, unsigned>> References;     // name, seg-ref number
    std::vector<std::pair<unsigned, std::string>> TypeReferences; // seg-ref number, type name
    bool HasTypes = false;                                        // needs wide offsets
    std::vector<TCodeType> Types;
    std::vector<std::string> Interface; // interface text lines (Units, 16-bit offsets)
};

struct TCodeFile {
    std::string Comment;
    bool WideOffsets = false;
    bool WidePointers = false;
    int FirstEntry = 0; // dictionary entries before it stay unused
    std::vector<TCodeSegment> Segments;
};

// Where the parts of a built segment lie, for damaging them.
struct TSegmentLayout {
    std::int64_t Start = 0;                    // byte
    std::int64_t Dictionary = 0;               // word position of the procedure count
    std::int64_t Pool = 0;                     // word position
    std::int64_t SegRefs = 0;                  // word position
    std::int64_t TypeCount = 0;                // word position of the type count, 0 without types
    std::vector<std::int64_t> ProcedureStarts; // word positions
    int DictionaryBlock = 0;
    int Entry = 0;
};

struct TBuiltCodeFile {
    std::string Bytes;
    std::vector<TSegmentLayout> Segments;
};

TBuiltCodeFile BuildCodeFile(const TCodeFile& File);

void PutWord(std::string& Bytes, std::int64_t Offset, unsigned Value);

} // namespace korvid::test
