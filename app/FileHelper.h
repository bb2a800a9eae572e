#pragma once

#include "psystem/CustomFileHelper.h"

#include <fstream>
#include <string>

namespace korvid {

// A disk file as the byte source of the code-file listing.
class TFileHelper : public TCustomFileHelper {
public:
    // Raises EFileOpenError "Unable to open file <name>" when the file cannot be read.
    explicit TFileHelper(const std::string& FileName);
    std::int64_t GetSize() const override { return FSize; }
    bool Read(std::int64_t Offset, std::int64_t Count, void* Buffer) override;

private:
    std::ifstream FFile;
    std::int64_t FSize = 0;
};

} // namespace korvid
