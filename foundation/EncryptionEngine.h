#pragma once

#include "platform/KorvidError.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TAtomicFileWriter;

class EEncryptionError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// The 32 bytes that open every encrypted-text file; they are stored as they are.
inline constexpr std::size_t EncryptedMarkerLength = 32;
std::string_view EncryptedTextMarker();
bool StartsWithEncryptedMarker(std::string_view Data);

// How deciphering the records of an encrypted-text file went. The format holds no check value:
// only a NUL in a deciphered record or a length past the end of the file shows that something is
// wrong. Before any text has been deciphered nothing tells a wrong password from damage, and
// there is nothing to show, so that counts as a wrong password; later it is damage, and the
// records before it are intact.
struct TDecryptResult {
    enum TStatus { Whole, WrongPassword, Damaged };
    TStatus Status = Whole;
    std::size_t DamagedLine = 0; // Damaged: the 1-based line of the text where the damage starts
};

// RC4 over the records of an encrypted-text file. The state carries from record to record while
// the two indices restart, so records must be enciphered and deciphered in file order, each
// with a fresh engine per file.
class TEncryptionEngine {
public:
    // An empty password is refused: the key schedule repeats the password's bytes.
    explicit TEncryptionEngine(std::string_view Password);

    // Writes the marker to Output, which then receives every record.
    void WriteMarker(TAtomicFileWriter& Output);
    // Writes one paragraph (up to its first NUL) as a record.
    void WriteRecord(std::string_view Paragraph, bool LineEndFollows);

    // Deciphers the records that follow the marker into Text, appending LineBreak after each
    // record that carries the line-end flag. The writer never enciphers a NUL and never claims
    // more bytes than it writes, so either in a record means a wrong password or a damaged file.
    // After damage Text holds the records before the damaged one; after a wrong password it is
    // empty.
    [[nodiscard]] TDecryptResult DecryptRecords(std::string_view Data, std::string& Text,
                                                std::string_view LineBreak);

private:
    void Encipher(std::string& Bytes);

    std::array<unsigned char, 256> FS{};
    std::string FBuffer;
    TAtomicFileWriter* FOutput = nullptr;
};

// Writes Paragraphs as an encrypted-text file through the safe writer: every paragraph but
// the last has a line end, and a last paragraph that is empty has no record. A failure
// raises EFileSaveError and leaves any old file as it was.
void WriteEncryptedFile(const std::filesystem::path& FileName, std::string_view Password,
                        const std::vector<std::string>& Paragraphs);

} // namespace korvid
