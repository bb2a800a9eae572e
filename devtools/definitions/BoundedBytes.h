#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvid {

// Little-endian reads that answer zero past the end, so no record can lead a read astray.
class TBoundedBytes {
public:
    explicit TBoundedBytes(std::string_view Bytes) : FBytes(Bytes) {}

    unsigned Byte(std::size_t Offset) const {
        return Offset < FBytes.size() ? static_cast<unsigned char>(FBytes[Offset]) : 0u;
    }
    unsigned Word(std::size_t Offset) const { return Byte(Offset) | Byte(Offset + 1) << 8; }
    int SignedWord(std::size_t Offset) const { return std::int16_t(std::uint16_t(Word(Offset))); }
    std::uint32_t DoubleWord(std::size_t Offset) const {
        return Word(Offset) | std::uint32_t(Word(Offset + 2)) << 16;
    }
    // A length byte and the characters; the length is clamped to the field.
    std::string ShortString(std::size_t Offset, std::size_t MaxLength) const {
        const std::size_t Length = std::min<std::size_t>(Byte(Offset), MaxLength);
        std::string Text;
        for (std::size_t I = 0; I < Length; ++I)
            Text += char(Byte(Offset + 1 + I));
        return Text;
    }

private:
    std::string_view FBytes;
};

// Width bits of Value from bit Shift up.
inline int Bits(std::uint32_t Value, int Shift, int Width) {
    return int((Value >> Shift) & ((1u << Width) - 1));
}

} // namespace korvid
