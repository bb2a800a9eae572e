#include "app/SingleInstanceUnit.h"

#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "platform/Paths.h"
#include "ui/MessagesUnit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>

namespace korvid {

namespace {

constexpr int InstancePollMs = 20;

// The first name goes where a single name always went; any further ones follow it as
// "FN<n>.2", "FN<n>.3" and so on.
std::string HandOverValueName(std::uint64_t N, int Index) {
    std::string Name = "FN" + std::to_string(N);
    if (Index > 0)
        Name += "." + std::to_string(Index + 1);
    return Name;
}

std::string AbsoluteKey(std::string_view Key) {
    return "\\" + std::string(Key);
}

bool IsBatch(TCommandKind Kind) {
    return Kind == TCommandKind::Compile || Kind == TCommandKind::Script;
}

// The running instance reads a relative name against its own folder.
QStringList AbsoluteNames(const QStringList& Names) {
    QStringList Result;
    for (const QString& Name : Names) {
        // By bytes: the folder's name may not be UTF-8 either.
        std::error_code Error;
        const std::filesystem::path Absolute =
            std::filesystem::absolute(PathFromQString(Name), Error);
        Result << (Error ? Name : PathToQString(Absolute));
    }
    return Result;
}

} // namespace

QStringList ArgumentsOf(int Argc, const char* const* Argv) {
    QStringList Arguments;
    for (int Index = 1; Index < Argc; ++Index)
        Arguments << PathToQString(Argv[Index]);
    return Arguments;
}

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

TCommandKind ClassifyCommand(const TParameterList& Parameters, QString& Argument) {
    Argument.clear();
    if (Parameters.Items.isEmpty())
        return TCommandKind::None;
    const QString& First = Parameters.Items.front();
    if (First.startsWith("COMPILE:", Qt::CaseInsensitive)) {
        Argument = First.mid(8);
        return TCommandKind::Compile;
    }
    if (First.startsWith("SCRIPT:", Qt::CaseInsensitive)) {
        Argument = First.mid(7);
        return TCommandKind::Script;
    }
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

void EnsureHandOverKeys() {
    TRegistryEx Reg;
    Reg.OpenKey(AbsoluteKey(InternalKey), true); // the root key comes with it
}

bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound, const QString& EndpointPath) {
    OtherInstanceFound = EndpointIsAlive(EndpointPath);
    QString Argument;
    const TCommandKind Kind = ClassifyCommand(Parameters, Argument);
    if (!OtherInstanceFound || ShiftHeld || Parameters.NewInstance || IsBatch(Kind))
        return true;
    QStringList Names = AbsoluteNames(Parameters.Items);
    if (Names.isEmpty())
        Names << QString(); // the running window still comes to the front

    const std::uint64_t N = QRandomGenerator::global()->bounded(2147483647u);
    {
        TRegistryEx Reg;
        if (!Reg.KeyExists(AbsoluteKey(RootKeys[CurrentKeyIndex])) ||
            !Reg.OpenKey(AbsoluteKey(InternalKey), true))
            return true;
        for (int Index = 0; Index < Names.size(); ++Index)
            Reg.WriteString(HandOverValueName(N, Index), PathFromQString(Names[Index]).native());
    } // closing the key makes the values visible to the running instance
    const std::optional<std::int32_t> Answer = SendEndpointMessage({WM_USER, N, 0}, EndpointPath);
    TRegistryEx Reg;
    if (Reg.OpenKey(AbsoluteKey(InternalKey), false))
        for (int Index = 0; Index < Names.size(); ++Index)
            Reg.DeleteValue(HandOverValueName(N, Index));
    return Answer != HandOverAnswer;
}

bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound) {
    return PassToRunningInstance(Parameters, ShiftHeld, OtherInstanceFound, DefaultEndpointPath());
}

TStartChoice ClaimOrHandOver(const TParameterList& Parameters, bool ShiftHeld, TInstanceLock& Lock,
                             const QString& EndpointPath, int WaitMs) {
    bool Found = false;
    if (!Lock.Usable()) // no lock to be had: the endpoint alone tells
        return PassToRunningInstance(Parameters, ShiftHeld, Found, EndpointPath)
                   ? (Found ? TStartChoice::SecondWindow : TStartChoice::Instance)
                   : TStartChoice::HandedOver;
    if (Lock.TryClaim())
        return TStartChoice::Instance;
    QString Argument;
    if (ShiftHeld || Parameters.NewInstance || IsBatch(ClassifyCommand(Parameters, Argument)))
        return TStartChoice::SecondWindow;
    // The holder may have started a moment ago and not listen yet, or end before it does.
    QElapsedTimer Clock;
    Clock.start();
    for (;;) {
        if (EndpointIsAlive(EndpointPath))
            return PassToRunningInstance(Parameters, ShiftHeld, Found, EndpointPath)
                       ? TStartChoice::SecondWindow
                       : TStartChoice::HandedOver;
        if (Lock.TryClaim())
            return TStartChoice::Instance;
        if (Clock.elapsed() >= WaitMs)
            return TStartChoice::SecondWindow;
        QThread::msleep(InstancePollMs);
    }
}

std::int32_t ReceiveHandOver(std::uint64_t N, const std::function<void(const QStringList&)>& Take) {
    QStringList Names;
    {
        TRegistryEx Reg;
        if (Reg.OpenKey(AbsoluteKey(InternalKey), true)) {
            for (int Index = 0;; ++Index) {
                const std::string Name = HandOverValueName(N, Index);
                if (!Reg.ValueExists(Name))
                    break;
                const std::string FileName = Reg.ReadStringDefault(Name, "");
                if (!FileName.empty())
                    Names << PathToQString(FileName);
                Reg.DeleteValue(Name);
            }
        }
    }
    if (Take)
        Take(Names);
    return HandOverAnswer;
}

} // namespace korvid
