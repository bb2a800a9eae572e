#include "app/FileHelper.h"

#include "foundation/BinaryStrings.h"

namespace korvid {

TFileHelper::TFileHelper(const std::string& FileName) : FFile(FileName, std::ios::binary) {
    if (!FFile)
        throw EFileOpenError("Unable to open file " + FileName);
    FFile.seekg(0, std::ios::end);
    FSize = FFile.tellg();
}

bool TFileHelper::Read(std::int64_t Offset, std::int64_t Count, void* Buffer) {
    if (Offset < 0 || Count < 0 || Offset + Count > FSize)
        return false;
    FFile.clear();
    FFile.seekg(Offset);
    FFile.read(static_cast<char*>(Buffer), Count);
    return FFile.gcount() == Count;
}

} // namespace korvid
