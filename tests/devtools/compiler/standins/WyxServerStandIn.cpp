// Stands in for the compiler's automation server in tests.
//   /regserver: registers this program in the settings store of the inherited XDG_CONFIG_HOME,
//     at once, later (WYX_STANDIN_REGISTER=late, from a detached helper) or never (=never), or
//     hangs (=hang).
//   -Embedding: answers framed requests on stdin/stdout, logging every Define and InputText to
//     WYX_STANDIN_LOG. WYX_STANDIN_SCENARIO=exit-at-<Member> ends and hang-at-<Member> hangs
//     instead of answering that member (Define, InputText, RunProcess, OutputText);
//     =exit-before-output is exit-at-OutputText; =unknown-member refuses RunProcess.
//     WYX_STANDIN_RUN_MS makes each RunProcess take that long.
#include "platform/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string ClassId = "{83E73733-7754-11D4-B840-000000000000}";

std::string Env(const char* Name) {
    const char* Value = std::getenv(Name);
    return Value ? Value : "";
}

std::string OwnPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

void Register() {
    korvid::TRegistry Registry;
    Registry.OpenKey("\\Software\\Classes\\Wyx.WyxApplication\\CLSID", true);
    Registry.WriteString("", ClassId);
    Registry.CloseKey();
    Registry.OpenKey("\\Software\\Classes\\CLSID\\" + ClassId + "\\LocalServer32", true);
    Registry.WriteString("", OwnPath());
    Registry.CloseKey();
}

void Log(const std::string& Line) {
    if (const std::string File = Env("WYX_STANDIN_LOG"); !File.empty())
        std::ofstream(File, std::ios::app) << Line << '\n';
}

bool ReadExactly(std::string& Bytes, std::size_t Count) {
    Bytes.resize(Count);
    return Count == 0 || std::fread(Bytes.data(), 1, Count, stdin) == Count;
}

bool ReadFrame(std::string& Payload) {
    std::string Head;
    if (!ReadExactly(Head, 4))
        return false;
    std::uint32_t Size = 0;
    for (int I = 3; I >= 0; --I)
        Size = (Size << 8) | static_cast<unsigned char>(Head[std::size_t(I)]);
    return ReadExactly(Payload, Size);
}

void WriteFrame(const std::string& Payload) {
    const auto Size = static_cast<std::uint32_t>(Payload.size());
    for (int Shift = 0; Shift < 32; Shift += 8)
        std::fputc(int((Size >> Shift) & 0xFF), stdout);
    std::fwrite(Payload.data(), 1, Payload.size(), stdout);
    std::fflush(stdout);
}

std::vector<std::string> Split(const std::string& Payload) {
    std::vector<std::string> Parts(1);
    for (const char C : Payload)
        if (C == '\0')
            Parts.emplace_back();
        else
            Parts.back() += C;
    return Parts;
}

std::string Unquoted(const std::string& Name) {
    if (Name.size() >= 2 && Name.front() == '"' && Name.back() == '"')
        return Name.substr(1, Name.size() - 2);
    return Name;
}

int Serve() {
    const std::string Scenario = Env("WYX_STANDIN_SCENARIO");
    std::map<std::string, std::string> Defines;
    std::string Output;
    for (std::string Payload; ReadFrame(Payload);) {
        const std::vector<std::string> Parts = Split(Payload);
        const std::string& Verb = Parts[0];
        const std::string Member = Parts.size() > 1 ? Parts[1] : "";
        if (Scenario == "exit-at-" + Member)
            return 0;
        if (Scenario == "hang-at-" + Member)
            for (;;)
                pause();
        if (Verb == "call" && Member == "Define" && Parts.size() == 4) {
            Log("Define " + Parts[2] + "=" + Parts[3]);
            Defines[Parts[2]] = Parts[3];
            WriteFrame(std::string("OK") + '\0');
        } else if (Verb == "put" && Member == "InputText" && Parts.size() == 3) {
            Log("InputText " + Parts[2]);
            WriteFrame(std::string("OK") + '\0');
        } else if (Verb == "call" && Member == "RunProcess" && Scenario != "unknown-member") {
            Log("RunProcess");
            if (const std::string Delay = Env("WYX_STANDIN_RUN_MS"); !Delay.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(Delay)));
            std::string Source;
            for (const auto& [Name, Value] : Defines)
                if (Name.starts_with("wyx-lorvanta-") && Name != "wyx-lorvanta-map" &&
                    Name != "wyx-lorvanta-script")
                    Source = Unquoted(Value);
            std::ifstream Reply(Source + ".reply", std::ios::binary);
            Output = Reply ? std::string(std::istreambuf_iterator<char>(Reply), {})
                           : ">S>" + Source + "|>|0|>|Report compiled";
            WriteFrame(std::string("OK") + '\0');
        } else if (Verb == "get" && Member == "OutputText") {
            if (Scenario == "exit-before-output")
                return 0;
            WriteFrame(std::string("OK") + '\0' + Output);
        } else
            WriteFrame(std::string("ERR") + '\0' + "Unknown name: " + Member);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string Command = argc > 1 ? argv[1] : "";
    if (Command == "/regserver") {
        const std::string When = Env("WYX_STANDIN_REGISTER");
        if (When == "never")
            return 0;
        if (When == "hang") {
            std::this_thread::sleep_for(std::chrono::minutes(5));
            return 0;
        }
        if (When == "late") {
            if (fork() == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                Register();
                _exit(0);
            }
            return 0;
        }
        Register();
        return 0;
    }
    if (Command == "-Embedding")
        return Serve();
    return 2;
}
