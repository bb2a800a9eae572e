#pragma once

// Figures of the running process and the clock, shared by the open benchmark and its peer.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace korvid::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point Start) {
    return std::chrono::duration<double>(Clock::now() - Start).count();
}

// A "Vm...:  N kB" line of /proc/self/status, in bytes; 0 when absent.
inline std::int64_t ProcStatusBytes(const std::string& Key) {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind(Key + ":", 0) == 0)
            return std::stoll(Line.substr(Key.size() + 1)) * 1024;
    return 0;
}

inline std::int64_t ResidentBytes() {
    return ProcStatusBytes("VmRSS");
}

// Starts the peak (VmHWM) again from the present resident size.
inline void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

inline std::int64_t PeakResidentBytes() {
    return ProcStatusBytes("VmHWM");
}

// The steady clock is the system's monotonic clock, the same in every process: the driver hands
// the moment it starts a child to it in this variable, so that the child can time its whole run.
inline constexpr const char* LaunchVariable = "KORVID_BENCH_LAUNCH";

inline std::int64_t ClockTicks(Clock::time_point Time) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Time.time_since_epoch()).count();
}

// Seconds since the driver started this process; 0 when it did not say.
inline double SecondsSinceLaunch() {
    const char* Launch = std::getenv(LaunchVariable);
    if (!Launch || !*Launch)
        return 0;
    const Clock::time_point Start{std::chrono::nanoseconds(std::stoll(Launch))};
    return SecondsSince(Start);
}

} // namespace korvid::bench
