#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {

TAtomicFileWriter::TAtomicFileWriter(std::filesystem::path Target) : FTarget(std::move(Target)) {
    std::filesystem::path Folder = FTarget.parent_path();
    if (Folder.empty())
        Folder = ".";
    std::string Pattern = (Folder / ("." + FTarget.filename().string() + ".XXXXXX")).string();
    FHandle = ::mkstemp(Pattern.data());
    if (FHandle < 0)
        Fail("cannot create a temporary file");
    FTemp = Pattern;
    // New files get the usual mode; an existing file keeps its own.
    struct stat Old {};
    mode_t Mode = 0666;
    if (::stat(FTarget.c_str(), &Old) == 0)
        Mode = Old.st_mode & 07777;
    else {
        const mode_t Mask = ::umask(0);
        ::umask(Mask);
        Mode &= ~Mask;
    }
    if (::fchmod(FHandle, Mode) != 0)
        Fail("cannot set the file's permissions");
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (!FCommitted)
        Discard();
}

void TAtomicFileWriter::Write(std::string_view Data) {
    if (FHandle < 0)
        Fail("the file is closed");
    const char* P = Data.data();
    std::size_t Left = Data.size();
    while (Left > 0) {
        const ssize_t N = ::write(FHandle, P, Left);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            Fail("write failed");
        }
        P += N;
        Left -= static_cast<std::size_t>(N);
    }
}

void TAtomicFileWriter::Commit() {
    if (FHandle < 0)
        Fail("the file is closed");
    if (::fsync(FHandle) != 0)
        Fail("cannot flush the file");
    const int Handle = FHandle;
    FHandle = -1;
    if (::close(Handle) != 0)
        Fail("cannot close the file");
    if (::rename(FTemp.c_str(), FTarget.c_str()) != 0)
        Fail("cannot replace the file");
    FCommitted = true;
}

void TAtomicFileWriter::Fail(const std::string& What) {
    const int Error = errno;
    Discard();
    throw EFileWriteError("Cannot write \"" + FTarget.string() + "\": " + What + " (" +
                              std::strerror(Error) + ")",
                          Error);
}

void TAtomicFileWriter::Discard() noexcept {
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
    if (!FTemp.empty()) {
        ::unlink(FTemp.c_str());
        FTemp.clear();
    }
}

void WriteFileAtomically(const std::filesystem::path& Target, std::string_view Data) {
    TAtomicFileWriter Writer(Target);
    Writer.Write(Data);
    Writer.Commit();
}

} // namespace korvid
