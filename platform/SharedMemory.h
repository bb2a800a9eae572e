#pragma once

#include <cstddef>
#include <string>

namespace korvid {

// The name of a shared buffer: the per-user prefix ("/korvid-<uid>-", or KORVID_SHM_PREFIX, or a
// TScopedSharedMemoryPrefix) followed by Name.
std::string SharedMemoryName(const std::string& Name);

class TScopedSharedMemoryPrefix {
public:
    explicit TScopedSharedMemoryPrefix(std::string Prefix);
    ~TScopedSharedMemoryPrefix();
    TScopedSharedMemoryPrefix(const TScopedSharedMemoryPrefix&) = delete;
    TScopedSharedMemoryPrefix& operator=(const TScopedSharedMemoryPrefix&) = delete;

private:
    std::string FPrevious;
};

// A named shared buffer, mapped whole; unmapped (and removed, when this side created it) when
// it goes.
class TSharedMemory {
public:
    enum class TResult { Ok, NotFound, NotMapped };

    TSharedMemory() = default;
    ~TSharedMemory();
    TSharedMemory(const TSharedMemory&) = delete;
    TSharedMemory& operator=(const TSharedMemory&) = delete;

    // Makes the buffer (0600, Size bytes), or shares the one of that name that is there, as
    // several modules share theirs.
    TResult Create(const std::string& Name, std::size_t Size);
    // Opens an existing buffer without creating it. One smaller than Size, or not the user's, is
    // not mapped: touching a mapping past its object's end kills the process.
    TResult Open(const std::string& Name, std::size_t Size);
    void Close();

    bool IsMapped() const { return FData != nullptr; }
    char* Data() const { return FData; }
    std::size_t Size() const { return FSize; }
    // strerror(errno) of the last failure.
    const std::string& ErrorText() const { return FErrorText; }

private:
    TResult Fail(TResult Result);
    TResult MapWhole(std::size_t Size);

    int FFd = -1;
    char* FData = nullptr;
    std::size_t FSize = 0;
    std::string FCreatedName;
    std::string FErrorText;
};

} // namespace korvid
