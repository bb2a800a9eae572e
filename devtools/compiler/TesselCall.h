#pragma once

// What the compiler library's helper program and the window say to each other over its standard
// input and output. Each request is a frame holding the folder to run in and the request text,
// apart by a NUL; each answer is a frame holding one of the statuses below, a NUL and the
// library's reply. The helper loads the library for each request and unloads it after the
// reply is released, so a library that crashes or hangs takes only the helper with it. Kept
// free of Qt: the helper links nothing of the program.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

namespace korvid::tessel {

inline constexpr std::string_view Replied = "reply";
// The library answered null: nothing to copy and nothing to release.
inline constexpr std::string_view NullReply = "null";
inline constexpr std::string_view NotLoaded = "not-loaded";
inline constexpr std::string_view NoCommand = "no-command";
inline constexpr std::string_view NoRelease = "no-release";

// The helper's file name beside the program.
inline constexpr const char* HelperName = "korvid_tessel";

inline std::string Joined(std::string_view First, std::string_view Second) {
    std::string Text(First);
    Text += '\0';
    Text += Second;
    return Text;
}

// The part before the first NUL and the rest after it.
inline std::pair<std::string, std::string> Split(const std::string& Payload) {
    const std::size_t Nul = Payload.find('\0');
    if (Nul == std::string::npos)
        return {Payload, {}};
    return {Payload.substr(0, Nul), Payload.substr(Nul + 1)};
}

inline bool ReadFrame(std::FILE* In, std::string& Payload) {
    unsigned char Head[4];
    if (std::fread(Head, 1, 4, In) != 4)
        return false;
    std::uint32_t Size = 0;
    for (int I = 3; I >= 0; --I)
        Size = (Size << 8) | Head[I];
    Payload.resize(Size);
    return Size == 0 || std::fread(Payload.data(), 1, Size, In) == Size;
}

inline void WriteFrame(std::FILE* Out, const std::string& Payload) {
    const auto Size = static_cast<std::uint32_t>(Payload.size());
    for (int Shift = 0; Shift < 32; Shift += 8)
        std::fputc(int((Size >> Shift) & 0xFF), Out);
    std::fwrite(Payload.data(), 1, Payload.size(), Out);
    std::fflush(Out);
}

} // namespace korvid::tessel
