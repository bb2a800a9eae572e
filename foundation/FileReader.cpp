#include "foundation/FileReader.h"

#include "foundation/BinaryStrings.h"
#include "platform/MemoryInfo.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {

namespace {

// Closes the descriptor it was given.
class TFileHandle {
public:
    explicit TFileHandle(int Handle) : FHandle(Handle) {}
    ~TFileHandle() {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return FHandle; }

private:
    int FHandle;
};

[[noreturn]] void CannotRead(const std::filesystem::path& FileName) {
    throw EFileOpenError("Cannot read file \"" + FileName.string() + "\".");
}

// Reads up to Count bytes at Into; 0 at the end of the file.
std::size_t ReadSome(int File, char* Into, std::size_t Count,
                     const std::filesystem::path& FileName) {
    for (;;) {
        const ssize_t Read = ::read(File, Into, Count);
        if (Read >= 0)
            return static_cast<std::size_t>(Read);
        if (errno != EINTR)
            CannotRead(FileName);
    }
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& FileName,
                                         const TReadStep& Step, std::size_t StepSize) {
    const TFileHandle File(::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat Status {};
    if (File.Get() < 0 || ::fstat(File.Get(), &Status) != 0 || !S_ISREG(Status.st_mode))
        throw EFileOpenError("Cannot open file \"" + FileName.string() + "\".");
    StepSize = std::max<std::size_t>(StepSize, 1);
    const auto Size = static_cast<std::size_t>(Status.st_size);
    std::string Data;
    Data.reserve(Size);
    PrefaultPages(Data.data(), Size);
    Data.resize(Size);
    std::size_t Done = 0;
    for (;;) {
        std::size_t Read = 0;
        if (Done < Data.size()) {
            Read = ReadSome(File.Get(), Data.data() + Done, std::min(StepSize, Data.size() - Done),
                            FileName);
        } else {
            // A file that grew since it was measured is read to its new end.
            char More[4096];
            Read = ReadSome(File.Get(), More, sizeof More, FileName);
            Data.append(More, Read);
        }
        if (Read == 0)
            break;
        Done += Read;
        if (Step && !Step(Done, std::max<std::uint64_t>(Done, Size)))
            return std::nullopt;
    }
    Data.resize(Done);
    return Data;
}

} // namespace korvid
