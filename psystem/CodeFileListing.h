#pragma once

#include "platform/KorvidError.h"
#include "psystem/VolumeFileListings.h"

#include <string>
#include <vector>

namespace korvid {

class TSourceLineProvider;

// A code file whose bytes could not be read.
class ECodeFileError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// Lists the code file that LoadWholeFile reads (called once) at the end of Lines: header,
// dictionary, segments with their pools and references, procedures disassembled and type
// tables. Title names the file in the header. With SourceLines, each stretch of code shows the
// source line it came from. Damage in the file stops only the part it is in, with a line
// "** Listing stopped: <why>"; a failed load raises ECodeFileError "Can't open file '<Title>'".
void DisassembleCodeFile(const std::string& Title, std::vector<std::string>& Lines,
                         const TWholeFileLoader& LoadWholeFile,
                         const TSourceLineProvider* SourceLines = nullptr);

} // namespace korvid
