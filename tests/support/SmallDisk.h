#pragma once

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid::test {

// A small disk of its own (a tmpfs) on Folder for the object's life, which a test can fill or
// make read-only. Only the superuser may mount one; without it, Mounted() is false and a
// read-only folder is made with its permissions instead.
class TSmallDisk {
public:
    explicit TSmallDisk(std::filesystem::path Folder) : FFolder(std::move(Folder)) {
        std::filesystem::create_directories(FFolder);
        if (::geteuid() == 0)
            FMounted = ::mount("tmpfs", FFolder.c_str(), "tmpfs", 0, "size=256k,mode=0755") == 0;
    }
    ~TSmallDisk() {
        if (FMounted)
            ::umount2(FFolder.c_str(), MNT_DETACH);
        else
            ::chmod(FFolder.c_str(), 0755);
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    bool Mounted() const { return FMounted; }
    const std::filesystem::path& Folder() const { return FFolder; }

    // No write into the folder succeeds any more, for the superuser too when mounted.
    bool MakeReadOnly() {
        if (FMounted)
            return ::mount(nullptr, FFolder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY,
                           "size=256k") == 0;
        return ::chmod(FFolder.c_str(), 0555) == 0 && ::geteuid() != 0;
    }

    // Takes every free byte with a file of its own; false when the disk is not a small one.
    bool Fill() {
        if (!FMounted)
            return false;
        const std::string Name = (FFolder / "filler").string();
        const int Handle = ::open(Name.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (Handle < 0)
            return false;
        char Block[4096] = {};
        while (::write(Handle, Block, sizeof Block) > 0) {
        }
        // The last partial block.
        while (::write(Handle, Block, 1) > 0) {
        }
        const bool Full = errno == ENOSPC;
        ::close(Handle);
        return Full;
    }

    // Gives the disk's space back.
    void Empty() { std::filesystem::remove(FFolder / "filler"); }

private:
    std::filesystem::path FFolder;
    bool FMounted = false;
};

} // namespace korvid::test
