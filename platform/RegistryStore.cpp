#include "platform/RegistryStore.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "platform/KorvidError.h"

#include <QDateTime>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvid {

namespace {

constexpr std::string_view FileHeader = "KORVID REGISTRY 1";
// A holder keeps the lock only while it reads and replaces the file.
constexpr int LockWaitMs = 2000;
// A live holder writes its lock file within a moment of making it.
constexpr int StaleLockMs = 250;

bool KeyOrderLess(const std::unique_ptr<TRegistryNode>& A, std::string_view B) {
    return CompareText1252(A->Name, B) < 0;
}

// Fields are written as ':' followed by the bytes, with blanks, controls, bytes above 0x7E and
// '%' as %XX, so that any name or data survives a line-based file.
std::string EscapeField(std::string_view Text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string Result = ":";
    for (const char C : Text) {
        const auto B = static_cast<unsigned char>(C);
        if (B <= 0x20 || B >= 0x7F || B == '%') {
            Result += '%';
            Result += Hex[B >> 4];
            Result += Hex[B & 0xF];
        } else
            Result += C;
    }
    return Result;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

[[noreturn]] void BadFile(std::size_t LineNo) {
    throw EKorvidError("The settings file is damaged at line " + std::to_string(LineNo));
}

std::string UnescapeField(std::string_view Field, std::size_t LineNo) {
    if (Field.empty() || Field[0] != ':')
        BadFile(LineNo);
    std::string Result;
    for (std::size_t I = 1; I < Field.size(); ++I) {
        if (Field[I] != '%') {
            Result += Field[I];
            continue;
        }
        if (I + 2 >= Field.size())
            BadFile(LineNo);
        const int Hi = HexDigit(Field[I + 1]);
        const int Lo = HexDigit(Field[I + 2]);
        if (Hi < 0 || Lo < 0)
            BadFile(LineNo);
        Result += static_cast<char>(Hi * 16 + Lo);
        I += 2;
    }
    return Result;
}

std::vector<std::string_view> SplitFields(std::string_view Line) {
    std::vector<std::string_view> Fields;
    std::size_t Start = 0;
    while (Start <= Line.size()) {
        const std::size_t Blank = Line.find(' ', Start);
        const std::size_t End = Blank == std::string_view::npos ? Line.size() : Blank;
        Fields.push_back(Line.substr(Start, End - Start));
        Start = End + 1;
    }
    return Fields;
}

void SerializeNode(const TRegistryNode& Node, std::vector<std::string>& Path, std::string& Out) {
    if (!Path.empty()) {
        Out += "K";
        for (const std::string& Component : Path)
            Out += " " + EscapeField(Component);
        Out += "\n";
    }
    for (const TRegistryValue& Value : Node.Values)
        Out += "V " + std::to_string(Value.Type) + " " + EscapeField(Value.Name) + " " +
               EscapeField(Value.Data) + "\n";
    for (const auto& Sub : Node.SubKeys) {
        Path.push_back(Sub->Name);
        SerializeNode(*Sub, Path, Out);
        Path.pop_back();
    }
}

// Reads the whole file; Exists is false only when there is no such file, so that a file that
// cannot be read is never taken for a missing one and written over.
std::string ReadStoreFile(const std::filesystem::path& File, bool& Exists) {
    Exists = false;
    const int Handle = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
    if (Handle < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        throw ERegistryStoreError("The settings file \"" + File.string() + "\" cannot be read (" +
                                  std::strerror(errno) + ")");
    }
    Exists = true;
    std::string Text;
    char Buffer[65536];
    for (;;) {
        const ssize_t N = ::read(Handle, Buffer, sizeof Buffer);
        if (N == 0)
            break;
        if (N < 0) {
            if (errno == EINTR)
                continue;
            const int Error = errno;
            ::close(Handle);
            throw ERegistryStoreError("The settings file \"" + File.string() +
                                      "\" cannot be read (" + std::strerror(Error) + ")");
        }
        Text.append(Buffer, static_cast<std::size_t>(N));
    }
    ::close(Handle);
    return Text;
}

std::string NotKeptText(const std::string& Cause) {
    return "Your settings will not be kept: " + Cause + ".";
}

// What a write that failed with Error in Folder means to the user.
std::string WriteFailureCause(int Error, const std::filesystem::path& Folder) {
    const std::string Name = "\"" + Folder.string() + "\"";
    switch (Error) {
    case EROFS:
    case EACCES:
    case EPERM:
        return "the folder " + Name + " is read-only";
    case ENOSPC:
        return "there is no space left on the disk of " + Name;
    case EDQUOT:
        return "your disk quota is used up on the disk of " + Name;
    default:
        return Name + " cannot be written (" + std::string(std::strerror(Error)) + ")";
    }
}

// Why nothing can be written into Folder: a file is made and written there and removed.
std::string TrialWriteCause(const std::filesystem::path& Folder) {
    try {
        TAtomicFileWriter Trial(Folder / "registry.trial");
        Trial.Write("x");
    } catch (const EFileWriteError& Error) {
        return WriteFailureCause(Error.Error(), Folder);
    }
    return "the settings file cannot be locked";
}

// The store's lock file. Every holder also holds the file's own lock while it lives, so a lock
// file that nobody holds that way is left by a process that is gone and is taken over at once.
// Once a held lock was waited for in vain, Waited is set and later locks do not wait.
class TStoreLock {
public:
    TStoreLock(const std::filesystem::path& File, bool& Waited)
        : FLock(QString::fromStdString(File.string() + ".lock")) {
        FLock.setStaleLockTime(StaleLockMs);
        const std::filesystem::path Folder = File.parent_path();
        std::error_code Error;
        std::filesystem::create_directories(Folder, Error);
        if (Error)
            throw ERegistryStoreError(NotKeptText(WriteFailureCause(Error.value(), Folder)));
        if (FLock.tryLock(Waited ? 0 : LockWaitMs))
            return;
        if (FLock.error() != QLockFile::LockFailedError)
            throw ERegistryStoreError(NotKeptText(TrialWriteCause(Folder)));
        Waited = true;
        qint64 Pid = 0;
        QString Host, Application;
        std::string Holder = "another process";
        if (FLock.getLockInfo(&Pid, &Host, &Application) && Pid > 0)
            Holder += " (process id " + std::to_string(Pid) + ")";
        throw ERegistryStoreError(
            NotKeptText("the settings file \"" + File.string() + "\" is locked by " + Holder));
    }

private:
    QLockFile FLock;
};

TRegistryReportHandler& ReportHandler() {
    static TRegistryReportHandler Handler;
    return Handler;
}

void Report(const std::string& Message) {
    if (ReportHandler())
        ReportHandler()(Message);
    else
        qWarning("%s", Message.c_str());
}

RegistryStore*& CurrentStorePointer() {
    static RegistryStore* Store = nullptr;
    return Store;
}

} // namespace

TRegistryNode* TRegistryNode::FindSubKey(std::string_view KeyName) const {
    const auto It = std::lower_bound(SubKeys.begin(), SubKeys.end(), KeyName, KeyOrderLess);
    return It != SubKeys.end() && SameText1252((*It)->Name, KeyName) ? It->get() : nullptr;
}

TRegistryNode& TRegistryNode::AddSubKey(std::string_view KeyName) {
    const auto It = std::lower_bound(SubKeys.begin(), SubKeys.end(), KeyName, KeyOrderLess);
    if (It != SubKeys.end() && SameText1252((*It)->Name, KeyName))
        return **It;
    return **SubKeys.insert(It, std::make_unique<TRegistryNode>(std::string(KeyName)));
}

bool TRegistryNode::RemoveSubKey(std::string_view KeyName) {
    const auto It = std::lower_bound(SubKeys.begin(), SubKeys.end(), KeyName, KeyOrderLess);
    if (It == SubKeys.end() || !SameText1252((*It)->Name, KeyName))
        return false;
    SubKeys.erase(It);
    return true;
}

const TRegistryValue* TRegistryNode::FindValue(std::string_view ValueName) const {
    const auto It = std::find_if(Values.begin(), Values.end(), [&](const TRegistryValue& V) {
        return SameText1252(V.Name, ValueName);
    });
    return It == Values.end() ? nullptr : &*It;
}

void TRegistryNode::SetValue(std::string_view ValueName, std::uint32_t Type, std::string Data) {
    for (TRegistryValue& V : Values)
        if (SameText1252(V.Name, ValueName)) {
            V.Type = Type;
            V.Data = std::move(Data);
            return;
        }
    Values.push_back({std::string(ValueName), Type, std::move(Data)});
}

bool TRegistryNode::RemoveValue(std::string_view ValueName) {
    const auto It = std::find_if(Values.begin(), Values.end(), [&](const TRegistryValue& V) {
        return SameText1252(V.Name, ValueName);
    });
    if (It == Values.end())
        return false;
    Values.erase(It);
    return true;
}

TRegistryNode* TRegistryNode::Find(const std::vector<std::string>& Path) {
    TRegistryNode* Node = this;
    for (const std::string& Component : Path) {
        Node = Node->FindSubKey(Component);
        if (!Node)
            return nullptr;
    }
    return Node;
}

TRegistryNode& TRegistryNode::FindOrCreate(const std::vector<std::string>& Path) {
    TRegistryNode* Node = this;
    for (const std::string& Component : Path)
        Node = &Node->AddSubKey(Component);
    return *Node;
}

std::vector<std::string> SplitRegistryPath(std::string_view Path) {
    std::vector<std::string> Components;
    std::size_t Start = 0;
    while (Start <= Path.size()) {
        const std::size_t Slash = Path.find('\\', Start);
        const std::size_t End = Slash == std::string_view::npos ? Path.size() : Slash;
        if (End > Start)
            Components.emplace_back(Path.substr(Start, End - Start));
        Start = End + 1;
    }
    return Components;
}

std::string JoinRegistryPath(const std::vector<std::string>& Components) {
    std::string Result;
    for (const std::string& Component : Components) {
        if (!Result.empty())
            Result += '\\';
        Result += Component;
    }
    return Result;
}

void ApplyRegistryChange(TRegistryNode& Root, const TRegistryChange& Change) {
    using TKind = TRegistryChange::TKind;
    switch (Change.Kind) {
    case TKind::CreateKey:
        Root.FindOrCreate(Change.Key);
        break;
    case TKind::DeleteKey: {
        if (Change.Key.empty())
            break;
        std::vector<std::string> Parent(Change.Key.begin(), Change.Key.end() - 1);
        if (TRegistryNode* Node = Root.Find(Parent))
            Node->RemoveSubKey(Change.Key.back());
        break;
    }
    case TKind::SetValue:
        Root.FindOrCreate(Change.Key).SetValue(Change.Name, Change.Type, Change.Data);
        break;
    case TKind::DeleteValue:
        if (TRegistryNode* Node = Root.Find(Change.Key))
            Node->RemoveValue(Change.Name);
        break;
    }
}

TFileRegistryStore::TFileRegistryStore(std::filesystem::path File) : FFile(std::move(File)) {}

std::string TFileRegistryStore::Serialize(const TRegistryNode& Root) {
    std::string Out(FileHeader);
    Out += "\n";
    std::vector<std::string> Path;
    SerializeNode(Root, Path, Out);
    return Out;
}

std::unique_ptr<TRegistryNode> TFileRegistryStore::Parse(std::string_view Text) {
    auto Root = std::make_unique<TRegistryNode>();
    TRegistryNode* Current = Root.get();
    std::size_t LineNo = 0;
    std::size_t Start = 0;
    bool SawHeader = false;
    while (Start < Text.size()) {
        std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos)
            BadFile(LineNo + 1); // every line a commit writes ends with a line feed
        const std::string_view Line = Text.substr(Start, End - Start);
        Start = End + 1;
        ++LineNo;
        if (!SawHeader) {
            if (Line != FileHeader)
                BadFile(LineNo);
            SawHeader = true;
            continue;
        }
        const std::vector<std::string_view> Fields = SplitFields(Line);
        if (Fields[0] == "K" && Fields.size() >= 2) {
            std::vector<std::string> Path;
            for (std::size_t I = 1; I < Fields.size(); ++I)
                Path.push_back(UnescapeField(Fields[I], LineNo));
            Current = &Root->FindOrCreate(Path);
        } else if (Fields[0] == "V" && Fields.size() == 4) {
            std::uint32_t Type = 0;
            try {
                Type = static_cast<std::uint32_t>(std::stoul(std::string(Fields[1])));
            } catch (const std::exception&) {
                BadFile(LineNo);
            }
            Current->SetValue(UnescapeField(Fields[2], LineNo), Type,
                              UnescapeField(Fields[3], LineNo));
        } else
            BadFile(LineNo);
    }
    if (!SawHeader && !Text.empty())
        BadFile(1);
    return Root;
}

std::unique_ptr<TRegistryNode> TFileRegistryStore::LoadUnlocked() {
    bool Exists = false;
    const std::string Text = ReadStoreFile(FFile, Exists);
    if (!Exists)
        return std::make_unique<TRegistryNode>();
    try {
        return Parse(Text);
    } catch (const EKorvidError& Error) {
        const std::string Stamp =
            QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss-zzz").toStdString();
        std::filesystem::path Aside = FFile;
        Aside += ".damaged-" + Stamp;
        std::error_code RenameError;
        std::filesystem::rename(FFile, Aside, RenameError);
        if (RenameError)
            throw ERegistryStoreError(
                std::string(Error.what()) + " and could not be set aside (" +
                WriteFailureCause(RenameError.value(), FFile.parent_path()) +
                "). Korvid starts with its default settings and will not keep them.");
        Report(std::string(Error.what()) + ". It was kept as \"" + Aside.string() +
               "\" and the settings start afresh.");
        return std::make_unique<TRegistryNode>();
    }
}

// Under the lock, so that a file another process replaces meanwhile is never set aside.
std::unique_ptr<TRegistryNode> TFileRegistryStore::SetAsideDamaged(const std::string& Damage) {
    try {
        TStoreLock Lock(FFile, FLockWaited);
        return LoadUnlocked();
    } catch (const ERegistryStoreError& Error) {
        FHeldBack = Damage + " (\"" + FFile.string() + "\"); it is left as it is. " + Error.what();
        ReportNotKept(FHeldBack);
        return std::make_unique<TRegistryNode>();
    }
}

std::unique_ptr<TRegistryNode> TFileRegistryStore::Load() {
    if (!FHeldBack.empty())
        return std::make_unique<TRegistryNode>();
    bool Exists = false;
    std::string Text;
    try {
        Text = ReadStoreFile(FFile, Exists);
    } catch (const ERegistryStoreError& Error) {
        FHeldBack = std::string(Error.what()) +
                    ". Korvid starts with its default settings and will not keep them.";
        ReportNotKept(FHeldBack);
        return std::make_unique<TRegistryNode>();
    }
    if (!Exists)
        return std::make_unique<TRegistryNode>();
    try {
        return Parse(Text);
    } catch (const EKorvidError& Damage) {
        return SetAsideDamaged(Damage.what());
    }
}

void TFileRegistryStore::Commit(const std::vector<TRegistryChange>& Changes) {
    if (Changes.empty())
        return;
    try {
        if (!FHeldBack.empty())
            throw ERegistryStoreError(FHeldBack);
        TStoreLock Lock(FFile, FLockWaited);
        std::unique_ptr<TRegistryNode> Root = LoadUnlocked();
        for (const TRegistryChange& Change : Changes)
            ApplyRegistryChange(*Root, Change);
        WriteFileAtomically(FFile, Serialize(*Root));
    } catch (const ERegistryStoreError& Error) {
        ReportNotKept(Error.what());
    } catch (const EFileWriteError& Error) {
        ReportNotKept(NotKeptText(WriteFailureCause(Error.Error(), FFile.parent_path())));
    }
}

void TFileRegistryStore::CheckWritable() {
    try {
        if (!FHeldBack.empty())
            throw ERegistryStoreError(FHeldBack);
        TStoreLock Lock(FFile, FLockWaited);
        bool Exists = false;
        const std::string Text = ReadStoreFile(FFile, Exists);
        // As much as the next commit writes, never put in place.
        TAtomicFileWriter Trial(FFile);
        Trial.Write(Exists ? Text : Serialize(TRegistryNode()));
    } catch (const ERegistryStoreError& Error) {
        ReportNotKept(Error.what());
    } catch (const EFileWriteError& Error) {
        ReportNotKept(NotKeptText(WriteFailureCause(Error.Error(), FFile.parent_path())));
    }
}

void TFileRegistryStore::ReportNotKept(const std::string& Message) {
    if (FNotKeptReported)
        return;
    FNotKeptReported = true;
    Report(Message);
}

std::filesystem::path DefaultRegistryFile() {
    const QString Folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::filesystem::path(Folder.toStdString()) / "korvid" / "registry";
}

RegistryStore& CurrentRegistryStore() {
    static TFileRegistryStore UserStore(DefaultRegistryFile());
    RegistryStore* Store = CurrentStorePointer();
    return Store ? *Store : UserStore;
}

void SetRegistryReportHandler(TRegistryReportHandler Handler) {
    ReportHandler() = std::move(Handler);
}

TRegistryTransaction::TRegistryTransaction()
    : FInner(CurrentRegistryStore()), FPrevious(CurrentStorePointer()) {
    CurrentStorePointer() = this;
}

TRegistryTransaction::~TRegistryTransaction() {
    Restore();
}

void TRegistryTransaction::Restore() {
    if (FCurrent)
        CurrentStorePointer() = FPrevious;
    FCurrent = false;
}

std::unique_ptr<TRegistryNode> TRegistryTransaction::Load() {
    std::unique_ptr<TRegistryNode> Root = FInner.Load();
    for (const TRegistryChange& Change : FChanges)
        ApplyRegistryChange(*Root, Change);
    return Root;
}

void TRegistryTransaction::Commit(const std::vector<TRegistryChange>& Changes) {
    FChanges.insert(FChanges.end(), Changes.begin(), Changes.end());
}

void TRegistryTransaction::CommitAll() {
    Restore();
    std::vector<TRegistryChange> Changes;
    Changes.swap(FChanges);
    FInner.Commit(Changes);
}

TScopedRegistryStore::TScopedRegistryStore(std::filesystem::path File)
    : FStore(std::make_unique<TFileRegistryStore>(std::move(File))),
      FPrevious(CurrentStorePointer()) {
    CurrentStorePointer() = FStore.get();
}

TScopedRegistryStore::~TScopedRegistryStore() {
    CurrentStorePointer() = FPrevious;
}

} // namespace korvid
