// The compiler library's helper: loads the library named by its one argument for each request
// on its standard input, asks it, hands the reply back and unloads it again. The window runs
// the library here so that a library that crashes or hangs never takes the window with it.
#include "devtools/compiler/TesselCall.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

using namespace korvid::tessel;

using TTesselCommand = const char* (*)(const char*);
using TTesselRelease = void (*)(const char*);

// The library for one call; unloaded when the call is over.
class TLibrary {
public:
    explicit TLibrary(const char* FileName) : FHandle(dlopen(FileName, RTLD_NOW | RTLD_LOCAL)) {}
    ~TLibrary() {
        if (FHandle)
            dlclose(FHandle);
    }
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;

    bool Loaded() const { return FHandle != nullptr; }
    void* Symbol(const char* Name) const { return dlsym(FHandle, Name); }

private:
    void* FHandle;
};

std::string Call(const char* FileName, const std::string& Request) {
    const TLibrary Library(FileName);
    if (!Library.Loaded())
        return Joined(NotLoaded, {});
    const auto Command = reinterpret_cast<TTesselCommand>(Library.Symbol("TesselCommand"));
    if (!Command)
        return Joined(NoCommand, {});
    const auto Release = reinterpret_cast<TTesselRelease>(Library.Symbol("TesselRelease"));
    if (!Release)
        return Joined(NoRelease, {});
    const char* Reply = Command(Request.c_str());
    if (!Reply)
        return Joined(NullReply, {});
    std::string Copy(Reply);
    Release(Reply);
    return Joined(Replied, Copy);
}

// A folder that cannot be entered leaves the library where the helper is, as it always has.
void EnterFolder(const std::string& Folder) {
    if (!Folder.empty() && chdir(Folder.c_str()) != 0)
        std::perror(Folder.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::string Started = [] {
        char Buffer[4096];
        return getcwd(Buffer, sizeof Buffer) ? std::string(Buffer) : std::string();
    }();
    // The answers get standard output to themselves: whatever the library prints goes to
    // standard error instead of into a frame.
    std::FILE* const Answers = fdopen(dup(STDOUT_FILENO), "wb");
    if (!Answers || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 2;
    for (std::string Payload; ReadFrame(stdin, Payload);) {
        const auto [Folder, Request] = Split(Payload);
        EnterFolder(Folder.empty() ? Started : Folder);
        // Written only once the library is gone again, so that a crash in its release or
        // unloading never passes for an answer.
        const std::string Answer = Call(argv[1], Request);
        WriteFrame(Answers, Answer);
    }
    return 0;
}
