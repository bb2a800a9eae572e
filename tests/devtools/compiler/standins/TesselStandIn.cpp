// Stands in for the compiler library in tests. Each reply is allocated here and freed only when
// handed back; "command" and "release" (and the folder a command ran in) go to the file named by
// TESSEL_STANDIN_LOG. Variants leave out an entry point or answer null. TESSEL_STANDIN_FAULT
// "crash-at-<step>" or "hang-at-<step>" crashes or hangs at a step: "load", "release" or the
// action of a request.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace {

void FaultAt(const std::string& Step) {
    const char* Fault = std::getenv("TESSEL_STANDIN_FAULT");
    if (!Fault)
        return;
    if (Fault == "crash-at-" + Step) {
        // Past any handler a sanitizer installed: the crash is the point, not its report.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    if (Fault == "hang-at-" + Step)
        for (;;)
            pause();
}

__attribute__((constructor)) void OnLoad() {
    FaultAt("load");
}

std::set<const char*>& Live() {
    static std::set<const char*> Replies;
    return Replies;
}

void Log(const std::string& Line) {
    if (const char* File = std::getenv("TESSEL_STANDIN_LOG"))
        std::ofstream(File, std::ios::app) << Line << '\n';
}

// The value of "name: '...'" with doubled quotes made single.
std::string Item(const std::string& Request, const std::string& Name) {
    const std::string Head = Name + ":";
    std::size_t At = Request.find(Head);
    if (At == std::string::npos)
        return {};
    At = Request.find('\'', At);
    std::string Value;
    for (std::size_t I = At + 1; I < Request.size(); ++I) {
        if (Request[I] == '\'') {
            if (I + 1 < Request.size() && Request[I + 1] == '\'') {
                Value += '\'';
                ++I;
                continue;
            }
            break;
        }
        Value += Request[I];
    }
    return Value;
}

std::string FileText(const std::string& Name) {
    std::ifstream File(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

[[maybe_unused]] std::string Answer(const std::string& Request) {
    const std::string Action = Item(Request, "action");
    if (Action == "simulate-ems")
        return FileText(Item(Request, "json") + ".ems");
    if (Action == "dump-configuration")
        return "configuration of " + Item(Request, "json");
    std::string Source = Item(Request, "source");
    if (Source.starts_with("file::"))
        Source.erase(0, 6);
    if (std::filesystem::exists(Source + ".reply"))
        return FileText(Source + ".reply");
    return ">S>" + Source + "|>|0|>|Compiled " + Action;
}

} // namespace

extern "C" {

#ifndef TESSEL_NO_COMMAND
__attribute__((visibility("default"))) const char* TesselCommand(const char* Request) {
    Log("command");
    // Libraries print; the helper must keep that out of its answers.
    std::printf("TesselCommand called\n");
    std::fflush(stdout);
    std::error_code Error;
    Log("cwd " + std::filesystem::current_path(Error).string());
    FaultAt(Item(Request, "action"));
#ifdef TESSEL_NULL_REPLY
    (void)Request;
    return nullptr;
#else
    const std::string Text = Answer(Request);
    char* Reply = static_cast<char*>(std::malloc(Text.size() + 1));
    std::memcpy(Reply, Text.c_str(), Text.size() + 1);
    Live().insert(Reply);
    return Reply;
#endif
}
#endif

#ifndef TESSEL_NO_RELEASE
__attribute__((visibility("default"))) void TesselRelease(const char* Reply) {
    FaultAt("release");
    Log(Live().erase(Reply) ? "release" : "release of a reply never given");
    std::free(const_cast<char*>(Reply));
}
#endif
}
