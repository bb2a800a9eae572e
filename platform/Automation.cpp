#include "platform/Automation.h"

#include "platform/Cp1252.h"
#include "platform/Registry.h"

#include <QProcess>
#include <QThread>

#include <cstdint>

namespace korvid {

namespace {

constexpr int ReleaseWaitMs = 5000;

std::string DefaultValueOf(const std::string& Key) {
    TRegistry Registry;
    if (!Registry.OpenKeyReadOnly(Key) || Registry.GetDataType("") != TRegDataType::rdString)
        return {};
    return Registry.ReadString("");
}

QStringList ToArguments(const std::vector<std::string>& Arguments) {
    QStringList List;
    for (const std::string& Argument : Arguments)
        List << ToQString(Argument);
    return List;
}

std::string Frame(const std::string& Payload) {
    const auto Size = static_cast<std::uint32_t>(Payload.size());
    std::string Bytes;
    for (int Shift = 0; Shift < 32; Shift += 8)
        Bytes += static_cast<char>((Size >> Shift) & 0xFF);
    return Bytes + Payload;
}

class TPipeAutomationObject : public TAutomationObject {
public:
    explicit TPipeAutomationObject(const std::string& Program) {
        FProcess.setProgram(ToQString(Program));
        FProcess.setArguments({"-Embedding"});
        FProcess.start(QIODevice::ReadWrite);
        if (!FProcess.waitForStarted())
            throw EAutomationError(FProcess.errorString().toStdString());
    }

    ~TPipeAutomationObject() override {
        if (FProcess.state() == QProcess::NotRunning)
            return;
        FProcess.closeWriteChannel();
        if (!FProcess.waitForFinished(ReleaseWaitMs)) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    void Call(const std::string& Member, const std::vector<std::string>& Arguments) override {
        std::vector<std::string> Parts{"call", Member};
        Parts.insert(Parts.end(), Arguments.begin(), Arguments.end());
        Request(Parts);
    }
    void Put(const std::string& Property, const std::string& Value) override {
        Request({"put", Property, Value});
    }
    std::string Get(const std::string& Property) override { return Request({"get", Property}); }

private:
    std::string Request(const std::vector<std::string>& Parts) {
        std::string Payload;
        for (std::size_t I = 0; I < Parts.size(); ++I)
            Payload += (I ? std::string(1, '\0') : std::string()) + Parts[I];
        const std::string Bytes = Frame(Payload);
        FProcess.write(Bytes.data(), qint64(Bytes.size()));
        const std::string Answer = ReadFrame();
        const std::size_t Nul = Answer.find('\0');
        const std::string Status = Answer.substr(0, Nul);
        const std::string Value = Nul == std::string::npos ? std::string() : Answer.substr(Nul + 1);
        if (Status != "OK")
            throw EAutomationError(Value.empty() ? Answer : Value);
        return Value;
    }

    // Waits as long as the server runs; one that has ended fails at once.
    std::string ReadExactly(std::size_t Count) {
        while (std::size_t(FProcess.bytesAvailable()) < Count) {
            if (FProcess.state() == QProcess::NotRunning || !FProcess.waitForReadyRead(-1)) {
                if (std::size_t(FProcess.bytesAvailable()) >= Count)
                    break;
                throw EAutomationError("the server has ended");
            }
        }
        return FProcess.read(qint64(Count)).toStdString();
    }

    std::string ReadFrame() {
        const std::string Head = ReadExactly(4);
        std::uint32_t Size = 0;
        for (int I = 3; I >= 0; --I)
            Size = (Size << 8) | static_cast<unsigned char>(Head[std::size_t(I)]);
        return Size ? ReadExactly(Size) : std::string();
    }

    QProcess FProcess;
};

} // namespace

std::string RegisteredClassId(const std::string& ProgId) {
    return DefaultValueOf(std::string(ClassesKey) + "\\" + ProgId + "\\CLSID");
}

std::string RegisteredServerPath(const std::string& ClassId) {
    const std::string Tail = "CLSID\\" + ClassId + "\\LocalServer32";
    if (std::string Path = DefaultValueOf(std::string(ClassesKey) + "\\Wow6432Node\\" + Tail);
        !Path.empty())
        return Path;
    return DefaultValueOf(std::string(ClassesKey) + "\\" + Tail);
}

bool RunAndWait(const std::string& Program, const std::vector<std::string>& Arguments,
                std::chrono::milliseconds Limit) {
    QProcess Process;
    Process.setProgram(ToQString(Program));
    Process.setArguments(ToArguments(Arguments));
    Process.setProcessChannelMode(QProcess::ForwardedChannels);
    Process.start();
    if (!Process.waitForStarted())
        return false;
    if (Process.waitForFinished(int(Limit.count())))
        return true;
    Process.kill();
    Process.waitForFinished();
    return false;
}

std::unique_ptr<TAutomationObject> TPipeAutomationFactory::Create(const std::string& ProgId) {
    const std::string ClassId = RegisteredClassId(ProgId);
    const std::string Program = ClassId.empty() ? std::string() : RegisteredServerPath(ClassId);
    if (Program.empty())
        throw EAutomationError(ProgId + " is not registered");
    return std::make_unique<TPipeAutomationObject>(Program);
}

TSleeper RealSleeper() {
    return [](std::chrono::milliseconds Time) { QThread::msleep(std::uint64_t(Time.count())); };
}

} // namespace korvid
