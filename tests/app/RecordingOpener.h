#pragma once

#include "platform/DesktopOpener.h"

#include <string>
#include <vector>

namespace korvid::test {

// Keeps every path handed to the desktop and answers as told.
class TRecordingOpener : public TDesktopOpener {
public:
    explicit TRecordingOpener(std::vector<std::string>& Opened, bool Succeeds = true)
        : FOpened(Opened), FSucceeds(Succeeds) {}
    bool Open(const std::string& Path) override {
        FOpened.push_back(Path);
        return FSucceeds;
    }

private:
    std::vector<std::string>& FOpened;
    bool FSucceeds;
};

} // namespace korvid::test
