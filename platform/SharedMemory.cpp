#include "platform/SharedMemory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {

namespace {

std::string& PrefixOverride() {
    static std::string Prefix;
    return Prefix;
}

std::string Prefix() {
    if (!PrefixOverride().empty())
        return PrefixOverride();
    if (const char* FromEnvironment = std::getenv("KORVID_SHM_PREFIX");
        FromEnvironment && *FromEnvironment)
        return FromEnvironment;
    return "/korvid-" + std::to_string(::getuid()) + "-";
}

} // namespace

std::string SharedMemoryName(const std::string& Name) {
    return Prefix() + Name;
}

TScopedSharedMemoryPrefix::TScopedSharedMemoryPrefix(std::string Prefix)
    : FPrevious(PrefixOverride()) {
    PrefixOverride() = std::move(Prefix);
}

TScopedSharedMemoryPrefix::~TScopedSharedMemoryPrefix() {
    PrefixOverride() = FPrevious;
}

TSharedMemory::~TSharedMemory() {
    Close();
}

TSharedMemory::TResult TSharedMemory::Fail(TResult Result) {
    FErrorText = std::strerror(errno);
    const int Saved = errno;
    Close();
    errno = Saved;
    return Result;
}

TSharedMemory::TResult TSharedMemory::Create(const std::string& Name, std::size_t Size) {
    Close();
    FFd = ::shm_open(Name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FFd < 0)
        return Fail(TResult::NotFound);
    FCreatedName = Name;
    struct stat Status {};
    if (::fstat(FFd, &Status) != 0)
        return Fail(TResult::NotMapped);
    if (Status.st_size < static_cast<off_t>(Size) &&
        ::ftruncate(FFd, static_cast<off_t>(Size)) != 0)
        return Fail(TResult::NotMapped);
    return MapWhole(Size);
}

TSharedMemory::TResult TSharedMemory::Open(const std::string& Name, std::size_t Size) {
    Close();
    FFd = ::shm_open(Name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (FFd < 0)
        return Fail(TResult::NotFound);
    struct stat Status {};
    if (::fstat(FFd, &Status) != 0)
        return Fail(TResult::NotMapped);
    if (Status.st_uid != ::getuid()) {
        errno = EACCES;
        return Fail(TResult::NotMapped);
    }
    if (Status.st_size < static_cast<off_t>(Size)) {
        errno = EINVAL;
        return Fail(TResult::NotMapped);
    }
    return MapWhole(Size);
}

TSharedMemory::TResult TSharedMemory::MapWhole(std::size_t Size) {
    void* Data = ::mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_SHARED, FFd, 0);
    if (Data == MAP_FAILED)
        return Fail(TResult::NotMapped);
    FData = static_cast<char*>(Data);
    FSize = Size;
    return TResult::Ok;
}

void TSharedMemory::Close() {
    if (FData)
        ::munmap(FData, FSize);
    FData = nullptr;
    FSize = 0;
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
    if (!FCreatedName.empty())
        ::shm_unlink(FCreatedName.c_str());
    FCreatedName.clear();
}

} // namespace korvid
