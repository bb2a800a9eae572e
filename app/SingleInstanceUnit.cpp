#include "app/SingleInstanceUnit.h"

#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "ui/MessagesUnit.h"

#include <QDir>
#include <QRandomGenerator>
#include <algorithm>

namespace korvid {

namespace {

std::string HandOverValueName(std::uint64_t N) {
    return "FN" + std::to_string(N);
}

std::string AbsoluteKey(std::string_view Key) {
    return "\\" + std::string(Key);
}

} // namespace

TParameterList BuildParameterList(const QStringList& Arguments) {
    TParameterList Result;
    Result.ParamCount = static_cast<int>(Arguments.size());
    for (const QString& Argument : Arguments) {
        if (Argument.compare("/NEWINSTANCE", Qt::CaseInsensitive) == 0)
            Result.NewInstance = true;
        else if (!Argument.isEmpty() && !Argument.startsWith(':'))
            Result.Items.append(Argument);
    }
    return Result;
}

QString JoinParameters(const TParameterList& Parameters) {
    return Parameters.Items.join(' ');
}

TCommandKind ClassifyCommand(const QString& Command, QString& Argument) {
    Argument.clear();
    if (Command.isEmpty())
        return TCommandKind::None;
    if (Command.startsWith("COMPILE:", Qt::CaseInsensitive)) {
        Argument = Command.mid(8);
        return TCommandKind::Compile;
    }
    if (Command.startsWith("SCRIPT:", Qt::CaseInsensitive)) {
        Argument = Command.mid(7);
        return TCommandKind::Script;
    }
    Argument = Command;
    return TCommandKind::File;
}

bool CheckRunLocation(const QString& ProgramPath) {
    // Copies run straight off the development share cannot be updated while in use.
    static const QString SharePrefixes[] = {"\\\\wyxdev01\\dev\\", "\\\\wyxdev02\\dev\\"};
    const QString Head = ProgramPath.left(14).toLower();
    const bool OnShare = std::any_of(std::begin(SharePrefixes), std::end(SharePrefixes),
                                     [&](const QString& Prefix) { return Head == Prefix; });
    if (!OnShare && ProgramPath.left(2).toUpper() != "L:")
        return false;
    ShowPlainMessage("Please do not run Korvid directly off the development share: that makes it "
                     "hard to update the master copy. Copy the program to your own disk and run "
                     "that copy instead.");
    return true;
}

bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound, const QString& EndpointPath) {
    OtherInstanceFound = EndpointIsAlive(EndpointPath);
    QString Argument;
    QString Command = JoinParameters(Parameters);
    const TCommandKind Kind = ClassifyCommand(Command, Argument);
    if (!OtherInstanceFound || ShiftHeld || Parameters.NewInstance ||
        Kind == TCommandKind::Compile || Kind == TCommandKind::Script)
        return true;
    // The running instance would read a relative name against its own folder.
    if (Kind == TCommandKind::File && QDir::isRelativePath(Command))
        Command = QDir::current().absoluteFilePath(Command);

    const std::uint64_t N = QRandomGenerator::global()->bounded(2147483647u);
    const std::string Name = HandOverValueName(N);
    {
        TRegistryEx Reg;
        if (!Reg.KeyExists(AbsoluteKey(RootKeys[CurrentKeyIndex])) ||
            !Reg.OpenKey(AbsoluteKey(InternalKey), true))
            return true;
        Reg.WriteString(Name, Command.toStdString());
    } // closing the key makes the value visible to the running instance
    const std::optional<std::int32_t> Answer = SendEndpointMessage({WM_USER, N, 0}, EndpointPath);
    TRegistryEx Reg;
    if (Reg.OpenKey(AbsoluteKey(InternalKey), false))
        Reg.DeleteValue(Name);
    return Answer != HandOverAnswer;
}

bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound) {
    return PassToRunningInstance(Parameters, ShiftHeld, OtherInstanceFound, DefaultEndpointPath());
}

std::int32_t ReceiveHandOver(std::uint64_t N, const std::function<void(const QString&)>& Open) {
    const std::string Name = HandOverValueName(N);
    std::string FileName;
    {
        TRegistryEx Reg;
        if (Reg.OpenKey(AbsoluteKey(InternalKey), true)) {
            FileName = Reg.ReadStringDefault(Name, "");
            Reg.DeleteValue(Name);
        }
    }
    if (!FileName.empty() && Open)
        Open(QString::fromStdString(FileName));
    return HandOverAnswer;
}

} // namespace korvid
