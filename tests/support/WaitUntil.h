#pragma once

#include <chrono>
#include <thread>

namespace korvid::test {

// Looks at Condition every 20 ms until it holds or Milliseconds have gone by; for what another
// process does, which no event tells this one about.
template <class TCondition> bool WaitUntil(TCondition Condition, int Milliseconds = 30000) {
    const auto Deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
    while (std::chrono::steady_clock::now() < Deadline) {
        if (Condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Condition();
}

} // namespace korvid::test
