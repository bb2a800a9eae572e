#include "platform/Automation.h"

#include "platform/Cp1252.h"
#include "platform/ProcessAnswer.h"
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

class TPipeAutomationObject : public TAutomationObject {
public:
    TPipeAutomationObject(const std::string& Program, TAnswerWait Wait) : FWait(std::move(Wait)) {
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
        const std::string Answer = ReadAnswerFrame(FProcess, FWait);
        const std::size_t Nul = Answer.find('\0');
        const std::string Status = Answer.substr(0, Nul);
        const std::string Value = Nul == std::string::npos ? std::string() : Answer.substr(Nul + 1);
        if (Status != "OK")
            throw EAutomationError(Value.empty() ? Answer : Value);
        return Value;
    }

    TAnswerWait FWait;
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

TPipeAutomationFactory::TPipeAutomationFactory(TAnswerWait Wait) : FWait(std::move(Wait)) {}

std::unique_ptr<TAutomationObject> TPipeAutomationFactory::Create(const std::string& ProgId) {
    const std::string ClassId = RegisteredClassId(ProgId);
    const std::string Program = ClassId.empty() ? std::string() : RegisteredServerPath(ClassId);
    if (Program.empty())
        throw EAutomationError(ProgId + " is not registered");
    return std::make_unique<TPipeAutomationObject>(Program, FWait);
}

TSleeper RealSleeper() {
    return [](std::chrono::milliseconds Time) { QThread::msleep(std::uint64_t(Time.count())); };
}

} // namespace korvid
