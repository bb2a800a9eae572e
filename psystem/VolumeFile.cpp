#include "psystem/VolumeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {

namespace {

int FailAt = 0;
int Mutations = 0;

// Counts a write or a size change and answers whether it is the one to fail.
bool InjectedFailure() {
    ++Mutations;
    return FailAt > 0 && Mutations == FailAt;
}

} // namespace

void InjectVolumeFileFault(int K) {
    FailAt = K;
    Mutations = 0;
}

int VolumeFileMutationCount() {
    return Mutations;
}

TVolumeFile::TVolumeFile(const std::filesystem::path& Path, TMode Mode) {
    int Flags = O_RDONLY;
    if (Mode == TMode::ReadWrite)
        Flags = O_RDWR;
    else if (Mode == TMode::CreateNew)
        Flags = O_RDWR | O_CREAT | O_EXCL;
    FHandle = ::open(Path.c_str(), Flags | O_CLOEXEC, 0666);
    FWritable = FHandle >= 0 && Mode != TMode::Read;
}

TVolumeFile::~TVolumeFile() {
    Close();
}

bool TVolumeFile::ReadAt(std::int64_t Position, void* Buffer, std::int64_t Count) const {
    if (FHandle < 0 || Position < 0 || Count < 0)
        return false;
    auto* P = static_cast<char*>(Buffer);
    while (Count > 0) {
        const ssize_t N = ::pread(FHandle, P, static_cast<std::size_t>(Count), Position);
        if (N < 0 && errno == EINTR)
            continue;
        if (N <= 0)
            return false; // an error, or the end of the file before all bytes came
        P += N;
        Position += N;
        Count -= N;
    }
    return true;
}

bool TVolumeFile::WriteAt(std::int64_t Position, const void* Buffer, std::int64_t Count) {
    if (FHandle < 0 || !FWritable || Position < 0 || Count < 0)
        return false;
    if (InjectedFailure())
        return false;
    const auto* P = static_cast<const char*>(Buffer);
    while (Count > 0) {
        const ssize_t N = ::pwrite(FHandle, P, static_cast<std::size_t>(Count), Position);
        if (N < 0 && errno == EINTR)
            continue;
        if (N <= 0)
            return false;
        P += N;
        Position += N;
        Count -= N;
    }
    return true;
}

std::int64_t TVolumeFile::Size() const {
    struct stat Info {};
    if (FHandle < 0 || ::fstat(FHandle, &Info) != 0)
        return -1;
    return Info.st_size;
}

bool TVolumeFile::SetSize(std::int64_t NewSize) {
    if (FHandle < 0 || !FWritable || NewSize < 0)
        return false;
    if (InjectedFailure())
        return false;
    const std::int64_t OldSize = Size();
    if (OldSize < 0)
        return false;
    if (NewSize > OldSize) {
        // Reserving the space makes a full disk fail here rather than at a later write.
        int Error = ::posix_fallocate(FHandle, OldSize, NewSize - OldSize);
        while (Error == EINTR)
            Error = ::posix_fallocate(FHandle, OldSize, NewSize - OldSize);
        if (Error != 0) {
            [[maybe_unused]] const int Ignored = ::ftruncate(FHandle, OldSize);
            return false;
        }
        return true;
    }
    return ::ftruncate(FHandle, NewSize) == 0;
}

bool TVolumeFile::Sync() {
    return FHandle >= 0 && ::fsync(FHandle) == 0;
}

bool TVolumeFile::Close() {
    if (FHandle < 0)
        return true;
    const int Handle = FHandle;
    FHandle = -1;
    return ::close(Handle) == 0;
}

} // namespace korvid
