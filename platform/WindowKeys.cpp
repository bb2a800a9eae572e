#include "platform/WindowKeys.h"

#include "platform/VirtualKeyCodes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QThread>

#include <algorithm>
#include <array>
#include <string>

namespace korvid {

namespace {

struct TPunctuationKey {
    char Plain;
    char Shifted;
    int VirtualKey;
};

// The US layout's punctuation keys: the character typed without and with Shift.
constexpr std::array<TPunctuationKey, 11> PunctuationKeys{{
    {';', ':', VK_OEM_1},
    {'=', '+', VK_OEM_PLUS},
    {',', '<', VK_OEM_COMMA},
    {'-', '_', VK_OEM_MINUS},
    {'.', '>', VK_OEM_PERIOD},
    {'/', '?', VK_OEM_2},
    {'`', '~', 0xC0},
    {'[', '{', 0xDB},
    {'\\', '|', 0xDC},
    {']', '}', 0xDD},
    {'\'', '"', 0xDE},
}};

// Shift + 0..9.
constexpr std::string_view ShiftedDigits = ")!@#$%^&*(";

class THeadlessWindowKeys final : public TWindowKeys {
public:
    TWindowId FindTopWindow(std::string_view) override { return NoWindow; }
    bool IsWindow(TWindowId) override { return false; }
    bool IsMinimised(TWindowId) override { return false; }
    void Restore(TWindowId) override {}
    void BringToTop(TWindowId) override {}
    bool HasFocus(TWindowId) override { return false; }
    bool CapsLockOn() override { return false; }
    void PressKey(int) override {}
    void ReleaseKey(int) override {}
    std::optional<TCharKey> KeyOfChar(char C) override { return UsKeyOfChar(C); }
    bool StartDetached(std::string_view CommandLine, const std::filesystem::path& Folder) override {
        return StartCommandDetached(CommandLine, Folder);
    }
};

class TEventPumpingWait final : public TWaitService {
public:
    void Wait(int Milliseconds) override {
        constexpr int Step = 20;
        QDeadlineTimer Deadline(std::max(0, Milliseconds));
        while (!Deadline.hasExpired()) {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents(QEventLoop::AllEvents, Step);
            QThread::msleep(
                static_cast<unsigned long>(std::clamp<qint64>(Deadline.remainingTime(), 0, Step)));
        }
    }
};

} // namespace

std::optional<TCharKey> UsKeyOfChar(char C) {
    if (C >= 'a' && C <= 'z')
        return TCharKey{VK_A + (C - 'a'), false};
    if (C >= 'A' && C <= 'Z')
        return TCharKey{VK_A + (C - 'A'), true};
    if (C >= '0' && C <= '9')
        return TCharKey{VK_0 + (C - '0'), false};
    if (const auto Digit = ShiftedDigits.find(C); Digit != std::string_view::npos)
        return TCharKey{VK_0 + static_cast<int>(Digit), true};
    switch (C) {
    case ' ':
        return TCharKey{VK_SPACE, false};
    case '\t':
        return TCharKey{VK_TAB, false};
    case '\r':
    case '\n':
        return TCharKey{VK_RETURN, false};
    default:
        break;
    }
    for (const TPunctuationKey& Key : PunctuationKeys) {
        if (C == Key.Plain)
            return TCharKey{Key.VirtualKey, false};
        if (C == Key.Shifted)
            return TCharKey{Key.VirtualKey, true};
    }
    return std::nullopt;
}

bool StartCommandDetached(std::string_view CommandLine, const std::filesystem::path& Folder) {
    QStringList Parts = QProcess::splitCommand(
        QString::fromLocal8Bit(CommandLine.data(), static_cast<qsizetype>(CommandLine.size())));
    if (Parts.isEmpty())
        return false;
    const QString Program = Parts.takeFirst();
    return QProcess::startDetached(Program, Parts, QString::fromStdString(Folder.string()));
}

TWindowKeys& HeadlessWindowKeys() {
    static THeadlessWindowKeys Keys;
    return Keys;
}

TWaitService& EventPumpingWait() {
    static TEventPumpingWait Wait;
    return Wait;
}

} // namespace korvid
