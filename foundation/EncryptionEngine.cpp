#include "foundation/EncryptionEngine.h"

#include "foundation/TextFileWriter.h"
#include "platform/AtomicFile.h"

#include <cstdint>
#include <numeric>
#include <utility>

namespace korvid {

namespace {

constexpr char MarkerBytes[] = "\x01\x02\x03\x04\x05\x06\x07"
                               "ENCRYPTED_BY_KORVID"
                               "\x06\x05\x04\x03\x02\x01";
static_assert(sizeof(MarkerBytes) - 1 == EncryptedMarkerLength);

constexpr std::size_t HeaderLength = 4;
constexpr std::uint32_t LineEndFlag = 0x80000000u;
constexpr std::uint32_t LengthMask = 0x7FFFFFFFu;

std::uint32_t ReadHeader(std::string_view Data, std::size_t Pos) {
    std::uint32_t Value = 0;
    for (std::size_t K = HeaderLength; K-- > 0;)
        Value = Value << 8 | static_cast<unsigned char>(Data[Pos + K]);
    return Value;
}

std::string MakeHeader(std::uint32_t Value) {
    std::string Header(HeaderLength, '\0');
    for (std::size_t K = 0; K < HeaderLength; ++K)
        Header[K] = static_cast<char>((Value >> (8 * K)) & 0xFF);
    return Header;
}

std::string_view UpToNul(std::string_view S) {
    const std::size_t Nul = S.find('\0');
    return Nul == std::string_view::npos ? S : S.substr(0, Nul);
}

} // namespace

std::string_view EncryptedTextMarker() {
    return {MarkerBytes, EncryptedMarkerLength};
}

bool StartsWithEncryptedMarker(std::string_view Data) {
    return Data.size() >= EncryptedMarkerLength &&
           Data.substr(0, EncryptedMarkerLength) == EncryptedTextMarker();
}

TEncryptionEngine::TEncryptionEngine(std::string_view Password) {
    if (Password.empty())
        throw EEncryptionError("An encrypted document needs a password.");
    std::iota(FS.begin(), FS.end(), 0);
    unsigned J = 0;
    for (std::size_t I = 0; I < FS.size(); ++I) {
        const auto Key = static_cast<unsigned char>(Password[I % Password.size()]);
        J = (J + FS[I] + Key) & 0xFF;
        std::swap(FS[I], FS[J]);
    }
}

void TEncryptionEngine::Encipher(std::string& Bytes) {
    unsigned I = 0;
    unsigned J = 0;
    for (char& C : Bytes) {
        I = (I + 1) & 0xFF;
        J = (J + FS[I]) & 0xFF;
        std::swap(FS[I], FS[J]);
        C = static_cast<char>(static_cast<unsigned char>(C) ^ FS[(FS[I] + FS[J]) & 0xFF]);
    }
}

void TEncryptionEngine::WriteMarker(TAtomicFileWriter& Output) {
    FOutput = &Output;
    FOutput->Write(EncryptedTextMarker());
}

void TEncryptionEngine::WriteRecord(std::string_view Paragraph, bool LineEndFollows) {
    if (FOutput == nullptr)
        throw EEncryptionError("The encrypted file has no marker.");
    Paragraph = UpToNul(Paragraph);
    if (Paragraph.size() > LengthMask)
        throw EEncryptionError("A paragraph is too long to encrypt.");
    FBuffer.assign(Paragraph);
    Encipher(FBuffer);
    const auto Length = static_cast<std::uint32_t>(FBuffer.size());
    FOutput->Write(MakeHeader(Length | (LineEndFollows ? LineEndFlag : 0)));
    FOutput->Write(FBuffer);
}

TDecryptResult TEncryptionEngine::DecryptRecords(std::string_view Data, std::string& Text,
                                                 std::string_view LineBreak) {
    Text.clear();
    bool Deciphered = false; // some record held text
    std::size_t LineBreaks = 0;
    std::size_t Pos = 0;
    while (Data.size() - Pos >= HeaderLength) {
        const std::uint32_t Header = ReadHeader(Data, Pos);
        Pos += HeaderLength;
        const std::size_t Length = Header & LengthMask;
        bool Intact = Length <= Data.size() - Pos;
        if (Intact) {
            FBuffer.assign(Data.substr(Pos, Length));
            Pos += Length;
            Encipher(FBuffer);
            Intact = FBuffer.find('\0') == std::string::npos;
        }
        if (!Intact) {
            if (!Deciphered) {
                Text.clear();
                return {TDecryptResult::WrongPassword};
            }
            return {TDecryptResult::Damaged, LineBreaks + 1};
        }
        Deciphered = Deciphered || Length > 0;
        Text += FBuffer;
        if ((Header & LineEndFlag) != 0) {
            Text += LineBreak;
            ++LineBreaks;
        }
    }
    return {};
}

void WriteEncryptedFile(const std::filesystem::path& FileName, std::string_view Password,
                        const std::vector<std::string>& Paragraphs) {
    TEncryptionEngine Engine(Password);
    std::size_t Count = Paragraphs.size();
    if (Count > 0 && Paragraphs.back().empty())
        --Count;
    const auto LineEndsAfter = Paragraphs.size();
    SaveSafely(FileName, [&](TAtomicFileWriter& Output) {
        Engine.WriteMarker(Output);
        for (std::size_t P = 0; P < Count; ++P)
            Engine.WriteRecord(Paragraphs[P], P + 1 < LineEndsAfter);
    });
}

} // namespace korvid
