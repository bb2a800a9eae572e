#include "platform/ProcessSignals.h"

#include <csignal>

namespace korvid {

void IgnoreFileSizeLimitSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace korvid
