#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

// What the program needs of the desktop to type into another program's window: find it by its
// title, bring it forward, synthesise key presses and start the program. A backend implements
// it for one windowing system; tests record what is asked of it.
namespace korvid {

using TWindowId = std::uintptr_t;
inline constexpr TWindowId NoWindow = 0;

// The virtual key that types a character and whether Shift must be held for it.
struct TCharKey {
    int VirtualKey = 0;
    bool Shift = false;
    friend bool operator==(const TCharKey&, const TCharKey&) = default;
};

class TWindowKeys {
public:
    virtual ~TWindowKeys() = default;

    // A top-level window whose title is exactly Title, or NoWindow.
    virtual TWindowId FindTopWindow(std::string_view Title) = 0;
    virtual bool IsWindow(TWindowId Window) = 0;
    virtual bool IsMinimised(TWindowId Window) = 0;
    virtual void Restore(TWindowId Window) = 0;
    virtual void BringToTop(TWindowId Window) = 0;
    // Whether Window receives the keyboard input now.
    virtual bool HasFocus(TWindowId Window) = 0;
    virtual bool CapsLockOn() = 0;
    virtual void PressKey(int VirtualKey) = 0;
    virtual void ReleaseKey(int VirtualKey) = 0;
    // Nothing for a character that no key types.
    virtual std::optional<TCharKey> KeyOfChar(char C) = 0;
    // Starts CommandLine in Folder without waiting for it; false when it could not be started.
    virtual bool StartDetached(std::string_view CommandLine,
                               const std::filesystem::path& Folder) = 0;
};

// The key of a character (Windows-1252) on a US keyboard: letters, digits, the printable ASCII
// punctuation, blank, Tab and Return.
std::optional<TCharKey> UsKeyOfChar(char C);

// Splits CommandLine as a shell would quote it (no shell runs) and starts the program in Folder
// without waiting; false when it could not be started.
bool StartCommandDetached(std::string_view CommandLine, const std::filesystem::path& Folder);

// A desktop without a window backend: it finds no windows and types nothing, but starts
// commands.
TWindowKeys& HeadlessWindowKeys();

// Waits that keep the program's events flowing; tests replace them by a clock of their own.
class TWaitService {
public:
    virtual ~TWaitService() = default;
    virtual void Wait(int Milliseconds) = 0;
};

// Sleeps in short steps, handling pending events between them.
TWaitService& EventPumpingWait();

} // namespace korvid
