#include "platform/ProcessAnswer.h"

#include <QProcess>

#include <cstdint>

namespace korvid {

namespace {

using TClock = std::chrono::steady_clock;

void EndProgram(QProcess& Process) {
    Process.kill();
    Process.waitForFinished();
}

// Tells the wait's owner that a wait it was asked about is over.
class TWaitEnd {
public:
    explicit TWaitEnd(const TAnswerWait& Wait) : FWait(Wait) {}
    ~TWaitEnd() {
        if (FAsked && FWait.Ended)
            FWait.Ended();
    }
    TWaitEnd(const TWaitEnd&) = delete;
    TWaitEnd& operator=(const TWaitEnd&) = delete;

    bool KeepWaiting(std::chrono::milliseconds Silent) {
        FAsked = true;
        return FWait.KeepWaiting(Silent);
    }

private:
    const TAnswerWait& FWait;
    bool FAsked = false;
};

std::string ReadExactly(QProcess& Process, std::size_t Count, const TAnswerWait& Wait) {
    TWaitEnd End(Wait);
    TClock::time_point LastHeard = TClock::now();
    std::size_t Heard = std::size_t(Process.bytesAvailable());
    while (Heard < Count) {
        if (Process.state() == QProcess::NotRunning)
            throw EAnswerGone("the program has ended");
        // A wait that pumps events may have taken the bytes in already.
        Process.waitForReadyRead(int(WaitTick.count()));
        if (const auto Now = std::size_t(Process.bytesAvailable()); Now != Heard) {
            Heard = Now;
            LastHeard = TClock::now();
            continue;
        }
        if (Process.state() == QProcess::NotRunning)
            continue;
        const auto Silent =
            std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - LastHeard);
        if (Wait.SilenceLimit.count() > 0 && Silent > Wait.SilenceLimit) {
            EndProgram(Process);
            throw EAnswerSilent("the program stopped answering");
        }
        if (Wait.KeepWaiting && !End.KeepWaiting(Silent)) {
            EndProgram(Process);
            throw EAnswerStopped("the wait was stopped");
        }
        Heard = std::size_t(Process.bytesAvailable());
    }
    return Process.read(qint64(Count)).toStdString();
}

} // namespace

std::string Frame(const std::string& Payload) {
    const auto Size = static_cast<std::uint32_t>(Payload.size());
    std::string Bytes;
    for (int Shift = 0; Shift < 32; Shift += 8)
        Bytes += static_cast<char>((Size >> Shift) & 0xFF);
    return Bytes + Payload;
}

std::string ReadAnswerFrame(QProcess& Process, const TAnswerWait& Wait) {
    const std::string Head = ReadExactly(Process, 4, Wait);
    std::uint32_t Size = 0;
    for (int I = 3; I >= 0; --I)
        Size = (Size << 8) | static_cast<unsigned char>(Head[std::size_t(I)]);
    return Size ? ReadExactly(Process, Size, Wait) : std::string();
}

} // namespace korvid
