// A stand-in for the outside programs the editor starts (the Subversion client, a compare
// program). It appends its own name and its arguments, one to a line and the run ended by an
// empty line, to the file named by KORVID_ARGUMENTS_FILE. With KORVID_STANDIN_WAIT_FOR set it
// first waits until that file exists, so that a test can tell whether its starter waited.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int Argc, char** Argv) {
    if (const char* WaitFor = std::getenv("KORVID_STANDIN_WAIT_FOR")) {
        // Bounded, so a test that never releases it leaves no process behind for long.
        for (int Tries = 0; Tries < 600 && !std::filesystem::exists(WaitFor); ++Tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const char* Target = std::getenv("KORVID_ARGUMENTS_FILE");
    if (!Target)
        return 2;
    std::string Record = std::filesystem::path(Argv[0]).filename().string() + "\n";
    for (int Index = 1; Index < Argc; ++Index)
        Record += std::string(Argv[Index]) + "\n";
    Record += "\n";
    // One write in append mode, so that two stand-ins running at once do not mix their lines.
    std::ofstream Out(Target, std::ios::binary | std::ios::app);
    Out.write(Record.data(), static_cast<std::streamsize>(Record.size()));
    return Out ? 0 : 1;
}
