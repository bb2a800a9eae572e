#include "workspace/FavouritesTree.h"

#include "foundation/TextFileWriter.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "platform/QtVirtualKeys.h"
#include "psystem/MajorVolume.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"
#include "ui/FormUtilities.h"
#include "ui/MessagesUnit.h"
#include "ui/ShellImageList.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

namespace korvid {
namespace fs = std::filesystem;

namespace {

class TUpdateGuard {
public:
    explicit TUpdateGuard(TSafeTreeView& Tree) : FTree(Tree) { FTree.BeginUpdate(); }
    ~TUpdateGuard() { FTree.EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    TSafeTreeView& FTree;
};

const QString DummyCaption = QStringLiteral("Dummy");
const QString EmptyCaption = QStringLiteral("(empty)");

QTreeWidgetItem* LevelOf(QTreeWidget& Tree, TTreeNode* Parent) {
    return Parent ? static_cast<QTreeWidgetItem*>(Parent) : Tree.invisibleRootItem();
}

std::vector<TTreeNode*> ChildrenOf(QTreeWidgetItem* Level) {
    std::vector<TTreeNode*> Children;
    for (int Index = 0; Index < Level->childCount(); ++Index)
        Children.push_back(static_cast<TTreeNode*>(Level->child(Index)));
    return Children;
}

// Folders and disk folders share a group; every other kind is a group of its own.
int SortGroup(int Kind) {
    return Kind == fvDiskFolder ? fvFolder : Kind;
}

std::string SortKey(const TTreeNode& Node) {
    return UpperCase1252(FromQString(Node.Caption()));
}

// B goes in front of A.
bool SwapNeighbours(const TTreeNode& A, const TTreeNode& B) {
    const TFavouritesData* DA = TFavouritesTreeView::DataOf(&A);
    const TFavouritesData* DB = TFavouritesTreeView::DataOf(&B);
    if (!DA || !DB)
        return false;
    if (SortGroup(DA->Kind) == SortGroup(DB->Kind))
        return SortKey(A) > SortKey(B);
    return DA->Kind > DB->Kind;
}

bool InsideListing(const TTreeNode* Node) {
    for (const TTreeNode* Up = Node ? Node->Parent() : nullptr; Up; Up = Up->Parent()) {
        const int Kind = TFavouritesTreeView::NodeKind(Up);
        if (Kind == fvDiskFolder || Kind == fvVolume || Kind == fvSubvolume)
            return true;
    }
    return false;
}

bool IsWithin(const TTreeNode* Node, const TTreeNode* Ancestor) {
    for (; Node; Node = Node->Parent())
        if (Node == Ancestor)
            return true;
    return false;
}

// The expanded nodes of Root's subtree (Root included).
std::vector<TTreeNode*> ExpandedNodes(TTreeNode* Root) {
    std::vector<TTreeNode*> Expanded;
    std::vector<TTreeNode*> Pending{Root};
    while (!Pending.empty()) {
        TTreeNode* Node = Pending.back();
        Pending.pop_back();
        if (Node->isExpanded())
            Expanded.push_back(Node);
        for (int Index = 0; Index < Node->childCount(); ++Index)
            Pending.push_back(Node->Child(Index));
    }
    return Expanded;
}

bool NameLess(const std::string& A, const std::string& B) {
    const int Order =
        QString::fromStdString(A).compare(QString::fromStdString(B), Qt::CaseInsensitive);
    return Order != 0 ? Order < 0 : A < B;
}

std::string LowerExtension(const std::string& Name) {
    return LowerCase1252(fs::path(Name).extension().string());
}

// The extension of a p-System name, dot included.
std::string_view PSystemExtension(std::string_view Name) {
    const std::size_t Dot = Name.rfind('.');
    return Dot == std::string_view::npos ? std::string_view() : Name.substr(Dot);
}

bool IsListedTextKind(std::string_view Extension) {
    return Extension == ".TEXT" || Extension == ".SVOL" || Extension == ".DEFS" ||
           Extension == ".SCRN";
}

std::unique_ptr<TVolume> OpenVolume(const std::string& VolumePath, const std::string& Subvolume,
                                    bool Writable) {
    if (Subvolume.empty())
        return std::make_unique<TMajorVolume>(VolumePath, Writable);
    return std::make_unique<TSubvolume>(VolumePath, Writable, Subvolume);
}

bool IsUtf8(std::string_view Bytes) {
    QStringDecoder Utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString Ignored = Utf8(QByteArrayView(Bytes.data(), qsizetype(Bytes.size())));
    return !Utf8.hasError();
}

// Captions are text: UTF-8, or Windows-1252 in a file whose captions are not UTF-8.
QString DecodeCaption(std::string_view Bytes, bool Utf8) {
    if (Utf8)
        return QString::fromUtf8(Bytes.data(), qsizetype(Bytes.size()));
    QString Text;
    Text.reserve(qsizetype(Bytes.size()));
    for (const char Byte : Bytes)
        Text += QChar(Cp1252ToUnicode(static_cast<unsigned char>(Byte)));
    return Text;
}

std::string_view From(std::string_view Text, std::size_t Pos) {
    return Pos < Text.size() ? Text.substr(Pos) : std::string_view();
}

void WriteFavouriteLines(const QTreeWidgetItem* Level, std::vector<std::string>& Lines) {
    for (int Index = 0; Index < Level->childCount(); ++Index) {
        const auto* Node = static_cast<const TTreeNode*>(Level->child(Index));
        const TFavouritesData* Data = TFavouritesTreeView::DataOf(Node);
        if (!Data)
            continue;
        const std::string Caption = Node->Caption().toStdString();
        switch (Data->Kind) {
        case fvFolder:
            Lines.push_back("S " + Caption);
            WriteFavouriteLines(Node, Lines);
            Lines.push_back("/");
            break;
        case fvDiskFolder:
            Lines.push_back("R " + Caption + ">" + Data->Path);
            break;
        case fvVolume:
            Lines.push_back("V " + Caption + ">" + Data->Path);
            break;
        case fvFile:
            Lines.push_back("F " + Caption + ">" + Data->Path);
            break;
        default:
            break;
        }
    }
}

} // namespace

TFavouritesData::TFavouritesData(int Kind, std::string Path, std::string HostVolume,
                                 std::string Subvolume)
    : HostVolume(std::move(HostVolume)), Path(std::move(Path)), Kind(Kind),
      Subvolume(std::move(Subvolume)) {}

QString SafeFavouriteCaption(const QString& Caption, int Kind) {
    // One item a line, and the first ">" of a line ends its caption.
    QString Safe = Caption;
    Safe.replace('\r', '_').replace('\n', '_');
    if (Kind == fvDiskFolder || Kind == fvVolume || Kind == fvFile)
        Safe.replace('>', '_');
    return Safe;
}

QString FolderCaption(const std::string& Folder) {
    std::string Path = Folder;
    while (Path.size() > 1 && Path.back() == '/')
        Path.pop_back();
    const std::string Name = fs::path(Path).filename().string();
    return PathToQString(Name.empty() ? Path : Name);
}

TFavouritesTreeView::TFavouritesTreeView(QWidget* Parent) : TSafeTreeView(Parent) {
    OnEditing = [this](TTreeNode& Node) { return CanEdit(Node); };
    OnEdited = [this](TTreeNode& Node, QString& Caption) { Edited(Node, Caption); };
    OnExpanding = [this](TTreeNode& Node) { Expanding(Node); };
    OnDragOver = [this](TTreeNode& Source, TTreeNode* Target) { return CanDrop(Source, Target); };
    OnDragDrop = [this](TTreeNode& Source, TTreeNode* Target) { Drop(Source, Target); };
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Current) {
        SelectionChanged(static_cast<TTreeNode*>(Current));
    });
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

TFavouritesTreeView::~TFavouritesTreeView() = default;

// ---- Nodes --------------------------------------------------------------------------------------

TFavouritesData* TFavouritesTreeView::DataOf(const TTreeNode* Node) {
    return Node ? dynamic_cast<TFavouritesData*>(Node->Data()) : nullptr;
}

int TFavouritesTreeView::NodeKind(const TTreeNode* Node) {
    const TFavouritesData* Data = DataOf(Node);
    return Data ? Data->Kind : fvNone;
}

std::string TFavouritesTreeView::NodePath(const TTreeNode* Node) {
    const TFavouritesData* Data = DataOf(Node);
    if (!Data)
        return {};
    switch (Data->Kind) {
    case fvDiskFolder:
    case fvVolume:
    case fvFile:
        return Data->Path;
    case fvSubvolume:
        if (NodeKind(Node->Parent()) == fvVolume)
            return DataOf(Node->Parent())->Path + ">" + Data->Path;
        return {};
    case fvVolumeFile:
        if (Data->Subvolume.empty())
            return Data->HostVolume + ">" + Data->Path;
        return Data->HostVolume + ">" + Data->Subvolume + ":" + Data->Path;
    default:
        return {};
    }
}

TTreeNode* TFavouritesTreeView::FolderOf(TTreeNode* Node) {
    while (Node && NodeKind(Node) != fvFolder)
        Node = Node->Parent();
    return Node;
}

void TFavouritesTreeView::ForEachVolume(
    const std::function<void(const std::string& Path)>& Callback) const {
    for (const TTreeNode* Node = FirstNode(); Node; Node = NextNode(Node))
        if (NodeKind(Node) == fvVolume)
            Callback(DataOf(Node)->Path);
}

void TFavouritesTreeView::SetIcons(TTreeNode* Node) {
    const TFavouritesData* Data = DataOf(Node);
    if (!Data)
        return;
    int Image = TShellImageList::FolderIcon;
    switch (Data->Kind) {
    case fvDiskFolder:
        Image = TShellImageList::RefillFolderIcon;
        break;
    case fvVolume:
    case fvSubvolume:
        Image = TShellImageList::VolumeIcon;
        break;
    case fvVolumeFile:
        Image = TShellImageList::TextIcon;
        break;
    case fvFile:
        Image = ShellImageList().GetIconIndex(Data->Path);
        break;
    default:
        break;
    }
    SetImages(Node, Image, Image);
}

void TFavouritesTreeView::AddPlaceholder(TTreeNode* Parent, const QString& Caption, int Image) {
    TTreeNode* Node = AddNode(Parent, Caption);
    if (Image >= 0)
        SetImages(Node, Image, Image);
}

TTreeNode* TFavouritesTreeView::AddItem(TTreeNode* Parent, const QString& Caption, int Kind,
                                        const std::string& Path) {
    TTreeNode* Node = AddNode(Parent, SafeFavouriteCaption(Caption, Kind),
                              std::make_unique<TFavouritesData>(Kind, Path));
    // A file's icon asks the desktop; below the top level it waits until its folder opens.
    if (Kind != fvFile || !Loading || !Parent)
        SetIcons(Node);
    if (Kind == fvDiskFolder || Kind == fvVolume)
        AddPlaceholder(Node, DummyCaption, -1);
    if (!Loading)
        SortChildren(Parent);
    return Node;
}

TTreeNode* TFavouritesTreeView::AddFolder(TTreeNode* Parent, const QString& Caption) {
    return AddItem(Parent, Caption, fvFolder, {});
}

TTreeNode* TFavouritesTreeView::AddDiskFolder(TTreeNode* Parent, const QString& Caption,
                                              const std::string& Path) {
    return AddItem(Parent, Caption, fvDiskFolder, Path);
}

TTreeNode* TFavouritesTreeView::AddVolume(TTreeNode* Parent, const QString& Caption,
                                          const std::string& Path) {
    return AddItem(Parent, Caption, fvVolume, Path);
}

TTreeNode* TFavouritesTreeView::AddFile(TTreeNode* Parent, const QString& Caption,
                                        const std::string& Path) {
    return AddItem(Parent, Caption, fvFile, Path);
}

void TFavouritesTreeView::RemoveChildren(TTreeNode* Node) {
    if (RightClickNode && RightClickNode != Node && IsWithin(RightClickNode, Node))
        RightClickNode = nullptr;
    qDeleteAll(Node->takeChildren());
}

void TFavouritesTreeView::ExpandQuietly(TTreeNode* Node) {
    const QScopedValueRollback<bool> Quiet(FQuietExpand, true);
    for (TTreeNode* Up = Node; Up; Up = Up->Parent())
        Up->setExpanded(true);
}

// ---- Filling ------------------------------------------------------------------------------------

void TFavouritesTreeView::FillFolderNode(TTreeNode* Node, const std::string& Folder, int Mode) {
    TWaitCursor Hourglass;
    const QScopedValueRollback<bool> Filling(Loading, true);
    TUpdateGuard Updates(*this);
    std::string Dir = TrueCaseFileName(Folder, true);
    if (!Dir.empty() && Dir.back() != '/')
        Dir += '/';

    std::vector<std::string> Folders;
    std::set<std::string> Linked;
    std::vector<std::string> Files;
    std::error_code Error;
    for (fs::directory_iterator It(Dir, fs::directory_options::skip_permission_denied, Error), End;
         !Error && It != End; It.increment(Error)) {
        const std::string Name = It->path().filename().string();
        if (Name == "_sgbak" || Name == ".svn")
            continue;
        std::error_code StatusError;
        if (It->is_directory(StatusError)) {
            Folders.push_back(Name);
            if (It->is_symlink(StatusError))
                Linked.insert(Name);
        } else {
            Files.push_back(Name);
        }
    }
    std::sort(Folders.begin(), Folders.end(), NameLess);
    std::sort(Files.begin(), Files.end(), NameLess);

    for (const std::string& Name : Folders) {
        if (Mode == fmRefilledFolders) {
            AddDiskFolder(Node, PathToQString(Name), Dir + Name + "/");
        } else if (Mode == fmWholeTree) {
            TTreeNode* Sub = AddFolder(Node, PathToQString(Name));
            // A linked folder may lead back up the tree: it stays empty.
            if (!Linked.contains(Name))
                FillFolderNode(Sub, Dir + Name, fmWholeTree);
        }
    }
    for (const std::string& Name : Files) {
        const std::string Extension = LowerExtension(Name);
        QString Caption = PathToQString(Name);
        if (Extension == ".korvidtabs")
            Caption.chop(int(Extension.size()));
        if (PSystemAware && Extension == ".vol")
            AddVolume(Node, Caption, Dir + Name);
        else
            AddFile(Node, Caption, Dir + Name);
    }
}

TTreeNode* TFavouritesTreeView::FillVolumeNode(TTreeNode* Node, const std::string& VolumePath,
                                               const std::string& SubvolumeName,
                                               const std::string& SelectName) {
    const QScopedValueRollback<bool> Filling(Loading, true);
    TUpdateGuard Updates(*this);
    RemoveChildren(Node);
    TTreeNode* Found = nullptr;
    {
        const std::unique_ptr<TVolume> Volume = OpenVolume(VolumePath, SubvolumeName, false);
        TWaitCursor Hourglass;
        std::vector<std::string> Names;
        Volume->Enumerate(false, [&Names](const TFileInfo& Info) {
            Names.push_back(Info.Name);
            return true;
        });
        std::sort(Names.begin(), Names.end());
        for (const std::string& Name : Names) {
            const std::string_view Extension = PSystemExtension(Name);
            if (TextFilesOnly && !IsListedTextKind(Extension))
                continue;
            const int Kind = Extension == SubvolumeExtension ? fvSubvolume : fvVolumeFile;
            TTreeNode* Child =
                AddNode(Node, ToQString(PSystemNameToWindowsName(Name)),
                        std::make_unique<TFavouritesData>(Kind, Name, VolumePath, SubvolumeName));
            SetIcons(Child);
            if (Kind == fvSubvolume)
                AddPlaceholder(Child, EmptyCaption, -1);
            if (Name == SelectName)
                Found = Child;
        }
    }
    if (Node->childCount() == 0)
        AddPlaceholder(Node, EmptyCaption, TShellImageList::NoSuchIcon);
    return Found;
}

void TFavouritesTreeView::Expanding(TTreeNode& Node) {
    if (FQuietExpand)
        return;
    try {
        if (AutoCollapse)
            CollapseSiblings(&Node);
        TFavouritesData* Data = DataOf(&Node);
        if (Data && !Sorting) {
            switch (Data->Kind) {
            case fvDiskFolder: {
                RemoveChildren(&Node);
                Data->IconsSet = false;
                std::error_code Error;
                if (fs::is_directory(Data->Path, Error))
                    FillFolderNode(&Node, Data->Path, fmRefilledFolders);
                break;
            }
            case fvVolume:
                Data->IconsSet = false;
                FillVolumeNode(&Node, Data->Path, {}, {});
                break;
            case fvSubvolume:
                Data->IconsSet = false;
                FillVolumeNode(&Node, Data->HostVolume, Data->Path, {});
                break;
            default:
                break;
            }
        }
        if (Data && !Data->IconsSet) {
            TWaitCursor Hourglass;
            for (TTreeNode* Child : ChildrenOf(&Node))
                if (NodeKind(Child) == fvFolder || NodeKind(Child) == fvFile)
                    SetIcons(Child);
            Data->IconsSet = true;
        }
    } catch (const std::exception& Error) {
        ShowOkMessage("Korvid", Error.what());
    }
}

// ---- Sorting, dragging and renaming -------------------------------------------------------------

void TFavouritesTreeView::SortChildren(TTreeNode* Parent) {
    const QScopedValueRollback<bool> Sort(Sorting, true);
    QTreeWidgetItem* Level = LevelOf(*this, Parent);
    const std::vector<TTreeNode*> Before = ChildrenOf(Level);
    std::vector<TTreeNode*> Order = Before;
    for (bool Swapped = true; Swapped;) {
        Swapped = false;
        for (std::size_t Index = 0; Index + 1 < Order.size(); ++Index) {
            if (SwapNeighbours(*Order[Index], *Order[Index + 1])) {
                std::swap(Order[Index], Order[Index + 1]);
                Swapped = true;
            }
        }
    }
    if (Order == Before)
        return;
    TUpdateGuard Updates(*this);
    TTreeNode* Current = Selected();
    std::vector<TTreeNode*> Expanded;
    for (TTreeNode* Node : Before) {
        const auto Open = ExpandedNodes(Node);
        Expanded.insert(Expanded.end(), Open.begin(), Open.end());
    }
    Level->takeChildren();
    for (TTreeNode* Node : Order)
        Level->addChild(Node);
    {
        const QScopedValueRollback<bool> Quiet(FQuietExpand, true);
        for (TTreeNode* Node : Expanded)
            Node->setExpanded(true);
    }
    if (Current)
        setCurrentItem(Current);
}

bool TFavouritesTreeView::CanEdit(const TTreeNode& Node) const {
    const int Kind = NodeKind(&Node);
    if (Kind == fvNone || Kind == fvSubvolume)
        return false;
    return Kind == fvVolumeFile || !InsideListing(&Node);
}

bool TFavouritesTreeView::CanDrop(const TTreeNode& Source, const TTreeNode* Target) const {
    // What lies inside a listing is read afresh from disk and never saved, so nothing moves
    // into or out of one.
    if (InsideListing(&Source))
        return false;
    if (!Target)
        return Source.Parent() != nullptr;
    if (!DataOf(Target) || Target == Source.Parent() || IsWithin(Target, &Source))
        return false;
    if (NodeKind(Target) == fvFolder)
        return true;
    return !InsideListing(Target) && Target->Parent() != Source.Parent();
}

void TFavouritesTreeView::Drop(TTreeNode& Source, TTreeNode* Target) {
    if (Target == &Source || NodeCount() < 2 || !CanDrop(Source, Target))
        return;
    TWaitCursor Hourglass;
    TTreeNode* NewParent = nullptr;
    if (Target)
        NewParent = NodeKind(Target) == fvFolder ? Target : Target->Parent();
    const std::vector<TTreeNode*> Expanded = ExpandedNodes(&Source);
    QTreeWidgetItem* From = LevelOf(*this, Source.Parent());
    {
        const QScopedValueRollback<bool> Quiet(FQuietExpand, true);
        const QScopedValueRollback<bool> Sort(Sorting, true);
        From->takeChild(From->indexOfChild(&Source));
        LevelOf(*this, NewParent)->addChild(&Source);
        for (TTreeNode* Node : Expanded)
            Node->setExpanded(true);
        setCurrentItem(&Source);
    }
    SortChildren(NewParent);
    setCurrentItem(&Source);
}

void TFavouritesTreeView::Edited(TTreeNode& Node, QString& Caption) {
    if (NodeKind(&Node) == fvVolumeFile) {
        if (std::string Error = RenameVolumeFile(Node, Caption); !Error.empty()) {
            Caption = Node.Caption();
            // A box shown from inside the edit runs its own event loop while the editor is
            // still committing; the view would be left editing with an editor already gone.
            QTimer::singleShot(0, this,
                               [Error = std::move(Error)] { ShowOkMessage("Korvid", Error); });
            return;
        }
        Caption = ToQString(PSystemNameToWindowsName(DataOf(&Node)->Path));
    } else {
        Caption = SafeFavouriteCaption(Caption, NodeKind(&Node));
    }
    // The caption is set once this returns; the level sorts after that.
    FEditedNode = &Node;
    QTimer::singleShot(0, this, [this] {
        TTreeNode* Edited = std::exchange(FEditedNode, nullptr);
        for (TTreeNode* Node = FirstNode(); Node && Edited; Node = NextNode(Node))
            if (Node == Edited) {
                SortChildren(Edited->Parent());
                return;
            }
    });
}

std::string TFavouritesTreeView::RenameVolumeFile(TTreeNode& Node, const QString& Caption) {
    TFavouritesData& Data = *DataOf(&Node);
    const std::string NewName = UpperCase1252(FromQString(Caption.trimmed()));
    if (std::string Error = PSystemFileNameError(NewName); !Error.empty())
        return Error;
    try {
        const std::unique_ptr<TVolume> Volume = OpenVolume(Data.HostVolume, Data.Subvolume, true);
        Volume->RenameFile(0, UpperCase1252(Data.Path), NewName);
    } catch (const std::exception& Error) {
        return Error.what();
    }
    Data.Path = NewName;
    return {};
}

// ---- Actions ------------------------------------------------------------------------------------

TTreeNode* TFavouritesTreeView::NewPSystemTextFile(TTreeNode* Node, const std::string& Name,
                                                   bool MakeBackup) {
    if (NodeKind(Node) == fvVolumeFile)
        Node = Node->Parent();
    const int Kind = NodeKind(Node);
    if (Kind != fvVolume && Kind != fvSubvolume)
        return nullptr;
    const TFavouritesData& Data = *DataOf(Node);
    const std::string& VolumePath = Kind == fvVolume ? Data.Path : Data.HostVolume;
    const std::string Subvolume = Kind == fvVolume ? std::string() : Data.Path;
    {
        const std::unique_ptr<TVolume> Volume = OpenVolume(VolumePath, Subvolume, true);
        if (Volume->FindFile(Name) == 0)
            Volume->SaveTextFile(Name, {}, MakeBackup);
        else
            ShowPSystemFileExistsMessage(Name);
    }
    ExpandQuietly(Node);
    return FillVolumeNode(Node, VolumePath, Subvolume, Name);
}

void TFavouritesTreeView::RemoveSelected(bool& ShowMessage) {
    TTreeNode* Node = Selected();
    if (!Node)
        return;
    if (!ConfirmRemoveFavourite(FromQString(Node->Caption()), NodeKind(Node) == fvFolder,
                                ShowMessage))
        return;
    if (IsWithin(RightClickNode, Node))
        RightClickNode = nullptr;
    delete Node;
}

void TFavouritesTreeView::OpenSelected(Qt::KeyboardModifiers Shift) {
    if (IsEditing()) {
        EndEdit(true);
        return;
    }
    const TTreeNode* Node = Selected();
    const int Kind = NodeKind(Node);
    if (Kind == fvDiskFolder && (Shift & Qt::ControlModifier)) {
        if (OnLocate)
            OnLocate(DataOf(Node)->Path);
    } else if (Kind >= fvDiskFolder && Kind <= fvVolumeFile && OnOpen) {
        OnOpen(NodePath(Node));
    }
}

void TFavouritesTreeView::SelectionChanged(TTreeNode* Node) {
    if (Sorting)
        return;
    if (OnSelectionChange)
        OnSelectionChange();
    const int Kind = NodeKind(Node);
    if (OpenOnSelect && !Loading && Node && Node == Selected() &&
        (Kind == fvFile || Kind == fvVolumeFile) && OnOpen)
        OnOpen(NodePath(Node));
}

// ---- The favourites file ------------------------------------------------------------------------

TFavouritesLoad TFavouritesTreeView::LoadFavourites(const std::string& FileName) {
    RightClickNode = nullptr;
    FEditedNode = nullptr;
    Clear();
    std::error_code Error;
    const fs::file_status Status = fs::status(FileName, Error);
    if (!fs::exists(Status))
        return Error && Error != std::errc::no_such_file_or_directory ? TFavouritesLoad::Unreadable
                                                                      : TFavouritesLoad::Missing;
    std::ifstream In(FileName, std::ios::binary);
    if (!fs::is_regular_file(Status) || !In)
        return TFavouritesLoad::Unreadable;
    std::string Bytes{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    if (In.bad())
        return TFavouritesLoad::Unreadable;

    const QScopedValueRollback<bool> Filling(Loading, true);
    TUpdateGuard Updates(*this);
    TTreeNode* Parent = nullptr;
    if (Bytes.starts_with("\xEF\xBB\xBF"))
        Bytes.erase(0, 3);
    struct TLine {
        char Kind;
        std::string Caption, Path;
    };
    std::vector<TLine> Entries;
    std::string Captions;
    std::istringstream Lines(Bytes);
    for (std::string Line; std::getline(Lines, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (Line.empty())
            continue;
        const char Kind = Line.front();
        const std::size_t Split = Line.find('>');
        if (Kind == 'S' || Kind == '/')
            Entries.push_back({Kind, std::string(From(Line, 2)), {}});
        else if ((Kind == 'R' || Kind == 'V' || Kind == 'F') && Split != std::string::npos)
            Entries.push_back({Kind, Split > 2 ? Line.substr(2, Split - 2) : std::string(),
                               Line.substr(Split + 1)});
        else
            continue;
        Captions += Entries.back().Caption;
    }
    // Only the captions tell the file's text encoding: a path is whatever bytes the disk has.
    const bool Utf8 = IsUtf8(Captions);
    for (const TLine& Entry : Entries) {
        const QString Caption = DecodeCaption(Entry.Caption, Utf8);
        if (Entry.Kind == 'S')
            Parent = AddFolder(Parent, Caption);
        else if (Entry.Kind == '/' && Parent)
            Parent = Parent->Parent();
        else if (Entry.Kind == 'R')
            AddDiskFolder(Parent, Caption, Entry.Path);
        else if (Entry.Kind == 'V')
            AddVolume(Parent, Caption, Entry.Path);
        else if (Entry.Kind == 'F')
            AddFile(Parent, Caption, Entry.Path);
    }
    return TFavouritesLoad::Loaded;
}

std::vector<std::string> TFavouritesTreeView::FavouritesLines() const {
    std::vector<std::string> Lines;
    WriteFavouriteLines(invisibleRootItem(), Lines);
    return Lines;
}

void TFavouritesTreeView::SaveFavourites(std::string& FileName) {
    const std::vector<std::string> Lines = FavouritesLines();
    TTextFileOptions Options;
    Options.LineBreak = TLineBreak::CrLf;
    Options.ByteOrderMark = false;
    for (;;) {
        try {
            WriteTextFile(FileName, Lines, Options);
            return;
        } catch (const EFileSaveError&) {
            if (!ShowUnableToSaveMessage(lkFavouritesList, FileName))
                return;
        }
    }
}

// ---- Keys and mouse -----------------------------------------------------------------------------

namespace {

// The tree's own keys are bare: with a modifier they belong to the tools (Ctrl+F2, Alt+F2, ...).
bool IsBare(const QKeyEvent& Event) {
    return (Event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

bool TFavouritesTreeView::event(QEvent* Event) {
    // The tree's own keys come to it even where a menu item has them as its shortcut.
    if (Event->type() == QEvent::ShortcutOverride && !IsEditing() &&
        IsBare(*static_cast<QKeyEvent*>(Event))) {
        switch (static_cast<QKeyEvent*>(Event)->key()) {
        case Qt::Key_F2:
        case Qt::Key_Delete:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Event->accept();
            return true;
        default:
            break;
        }
    }
    return TSafeTreeView::event(Event);
}

void TFavouritesTreeView::keyPressEvent(QKeyEvent* Event) {
    const bool Bare = IsBare(*Event);
    switch (Event->key()) {
    case Qt::Key_F2:
        if (!Bare)
            break;
        if (TTreeNode* Node = Selected())
            EditCaption(Node);
        return;
    case Qt::Key_Delete:
        if (!Bare)
            break;
        if (OnRemove)
            OnRemove();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // During an edit the key comes on from the caption's editor, which ends the edit
        // itself; ending it here too would leave the editor's own ending a stale editor.
        if (!IsEditing())
            OpenSelected(Event->modifiers());
        return;
    default:
        break;
    }
    if (OnShortCut && OnShortCut(VirtualKeyFromEvent(*Event), ShiftStateFromEvent(*Event)))
        return;
    TSafeTreeView::keyPressEvent(Event);
}

void TFavouritesTreeView::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::RightButton) {
        RightClickNode = static_cast<TTreeNode*>(itemAt(Event->position().toPoint()));
        return;
    }
    TSafeTreeView::mousePressEvent(Event);
}

void TFavouritesTreeView::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::RightButton) {
        if (TTreeNode* Node = std::exchange(RightClickNode, nullptr))
            SetSelected(Node);
        return;
    }
    TSafeTreeView::mouseReleaseEvent(Event);
}

void TFavouritesTreeView::contextMenuEvent(QContextMenuEvent* Event) {
    // Some window systems ask for the menu on the button going down: select first all the same.
    if (Event->reason() == QContextMenuEvent::Mouse)
        if (auto* Node = static_cast<TTreeNode*>(itemAt(Event->pos())))
            SetSelected(Node);
    if (OnPopup)
        OnPopup(Event->globalPos());
    Event->accept();
}

void TFavouritesTreeView::mouseDoubleClickEvent(QMouseEvent* Event) {
    const auto* Node = static_cast<TTreeNode*>(itemAt(Event->position().toPoint()));
    const int Kind = NodeKind(Node);
    if (Event->button() == Qt::LeftButton && Node && Node == Selected() &&
        (Kind == fvFile || Kind == fvVolumeFile)) {
        if (OnOpen)
            OnOpen(NodePath(Node));
        return;
    }
    TSafeTreeView::mouseDoubleClickEvent(Event);
}

} // namespace korvid
