#pragma once

#include <cstdint>
#include <string>

namespace korvid {

// A readable byte source: a disk file, or a file inside a volume. The code-file listing and
// the text decoder read only through it.
class TCustomFileHelper {
public:
    virtual ~TCustomFileHelper() = default;

    // The source's size in bytes.
    virtual std::int64_t GetSize() const = 0;
    // True when all Count bytes at byte Offset from the start were read into Buffer.
    virtual bool Read(std::int64_t Offset, std::int64_t Count, void* Buffer) = 0;
};

// Fills Buffer with the whole source in one Read; answers that read's result.
bool ReadWholeFile(TCustomFileHelper& Source, std::string& Buffer);

} // namespace korvid
