#include "psystem/BrowseVolumeForm.h"

#include "foundation/BinaryStrings.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"
#include "ui/FormUtilities.h"
#include "ui/HackedDialogs.h"
#include "ui/SafeTreeView.h"
#include "ui/ShellImageList.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>

namespace korvid {

namespace {

constexpr int ClientWidth = 497;
constexpr int ClientHeight = 424;
constexpr int TreeBorder = 8;
constexpr int ButtonPanelHeight = 140;
constexpr int MaxContextLines = 5;
constexpr std::size_t MaxFileNameLength = 15;

// The shared icons that stand for the browser's two images.
constexpr int FileIcon = TShellImageList::UntypedIcon;
constexpr int VolumeIcon = TShellImageList::VolumeIcon;

// A subvolume node keeps the subvolume it shows; the form owns it.
class TSubvolumeNode : public TTreeNodeData {
public:
    explicit TSubvolumeNode(TVolume& Volume) : Volume(Volume) {}
    TVolume& Volume;
};

bool IsSubvolumeName(const std::string& Name) {
    const std::string Upper = UpperCase1252(Name);
    const std::size_t Dot = Upper.rfind('.');
    return Dot != std::string::npos && Upper.substr(Dot) == SubvolumeExtension;
}

std::string Upper(const QString& Text) {
    return UpperCase1252(FromQString(Text));
}

QPushButton* MakeButton(const char* Caption, QWidget* Parent) {
    auto* Button = new QPushButton(Caption, Parent);
    Button->setAutoDefault(false);
    return Button;
}

} // namespace

std::vector<std::string> ReadVolumeList(const std::filesystem::path& ListFile) {
    std::ifstream In(ListFile, std::ios::binary);
    if (!In || std::filesystem::is_directory(ListFile))
        throw EFileOpenError("Unable to open file " + ListFile.string());
    const std::filesystem::path Folder = ListFile.parent_path();
    std::vector<std::string> Volumes;
    std::string Line;
    while (std::getline(In, Line)) {
        const std::string Path(TrimText(Line));
        if (Path.empty())
            continue;
        const std::filesystem::path Named(Path);
        Volumes.push_back(Named.is_relative() ? (Folder / Named).string() : Path);
    }
    return Volumes;
}

TBrowseVolumeForm::TBrowseVolumeForm(TFilerHost& Host, QWidget* Parent)
    : QDialog(Parent), FHost(Host), FMultiVolumeOpenDialog(std::make_unique<TOpenDialog>()) {
    QFont Font = font();
    Font.setFamily(ToQString(GetDialogFontName()));
    setFont(Font);
    setWindowTitle("Open from p-System Volume");
    BuildControls();
    resize(ClientWidth, ClientHeight);

    TOpenDialog& Dialog = *FMultiVolumeOpenDialog;
    Dialog.Title = "Multiple Volumes";
    Dialog.Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    Dialog.DefaultExt = "txt";
    Dialog.Options = {ofHideReadOnly, ofPathMustExist, ofFileMustExist};

    // Every control's keys and focus pass the form first.
    for (QWidget* Child : findChildren<QWidget*>())
        Child->installEventFilter(this);
    UpdateMultiVolumeControls();
    UpdateSearchButton();
}

TBrowseVolumeForm::~TBrowseVolumeForm() {
    FTree->Clear();
    FreeVolumes();
}

void TBrowseVolumeForm::BuildControls() {
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);

    auto* TreePanel = new QWidget(this);
    auto* TreeLayout = new QVBoxLayout(TreePanel);
    TreeLayout->setContentsMargins(TreeBorder, TreeBorder, TreeBorder, TreeBorder);
    FTree = new TSafeTreeView(TreePanel);
    QFont TreeFont(ToQString(GetMonospacedFontName()), 9);
    TreeFont.setStyleHint(QFont::TypeWriter);
    FTree->setFont(TreeFont);
    FTree->setDragDropMode(QAbstractItemView::NoDragDrop);
    FTree->setDragEnabled(false);
    FTree->setAcceptDrops(false);
    TreeLayout->addWidget(FTree);
    Layout->addWidget(TreePanel, 1);

    auto* ButtonPanel = new QWidget(this);
    ButtonPanel->setFixedHeight(ButtonPanelHeight);
    auto* Grid = new QGridLayout(ButtonPanel);
    Grid->setContentsMargins(TreeBorder, 0, TreeBorder, TreeBorder);
    Layout->addWidget(ButtonPanel);

    auto* FindFileLabel = new QLabel("&Locate file:", ButtonPanel);
    FFindFileEdit = new QLineEdit(ButtonPanel);
    FindFileLabel->setBuddy(FFindFileEdit);
    FGoButton = MakeButton("&Go", ButtonPanel);
    FGoButton->setEnabled(false);
    FOpenButton = MakeButton("&Open", ButtonPanel);
    FOpenButton->setEnabled(false);
    FOpenButton->setDefault(true);

    auto* FindTextLabel = new QLabel("&Find text:", ButtonPanel);
    FFindTextEdit = new QLineEdit(ButtonPanel);
    FindTextLabel->setBuddy(FFindTextEdit);
    FSearchButton = MakeButton("&Search", ButtonPanel);
    FSearchButton->setEnabled(false);
    auto* ContextLabel = new QLabel("Conte&xt:", ButtonPanel);
    FContextSpin = new QSpinBox(ButtonPanel);
    FContextSpin->setRange(0, MaxContextLines);
    FContextSpin->setWrapping(false);
    ContextLabel->setBuddy(FContextSpin);

    FMatchCaseCheckBox = new QCheckBox("Match &case", ButtonPanel);
    FWholeWordsCheckBox = new QCheckBox("&Whole words", ButtonPanel);
    FIgnoreUnderscoresCheckBox = new QCheckBox("Ignore &underscores", ButtonPanel);
    FIgnoreUnderscoresCheckBox->setChecked(true);
    FQuotedTextCheckBox = new QCheckBox("&Quoted text only", ButtonPanel);

    FMultiVolumeCheckBox = new QCheckBox("&Multiple volumes:", ButtonPanel);
    FMultiVolumeEdit = new QLineEdit(ButtonPanel);
    FMultiVolumeBrowseButton = MakeButton("&...", ButtonPanel);
    FMultiVolumeBrowseButton->setFixedWidth(FMultiVolumeBrowseButton->sizeHint().height() * 3 / 2);

    FFilerButton = MakeButton("Filer (F&2)", ButtonPanel);
    FGrabListingButton = MakeButton("Gra&b Listing", ButtonPanel);
    FCancelButton = MakeButton("Cancel", ButtonPanel);

    Grid->addWidget(FindFileLabel, 0, 0);
    Grid->addWidget(FFindFileEdit, 0, 1, 1, 3);
    Grid->addWidget(FGoButton, 0, 4);
    Grid->addWidget(FOpenButton, 0, 5);
    Grid->addWidget(FindTextLabel, 1, 0);
    Grid->addWidget(FFindTextEdit, 1, 1, 1, 3);
    Grid->addWidget(FSearchButton, 1, 4);
    auto* ContextRow = new QHBoxLayout;
    ContextRow->addWidget(ContextLabel);
    ContextRow->addWidget(FContextSpin);
    Grid->addLayout(ContextRow, 1, 5);
    Grid->addWidget(FMatchCaseCheckBox, 2, 1);
    Grid->addWidget(FWholeWordsCheckBox, 2, 2);
    Grid->addWidget(FIgnoreUnderscoresCheckBox, 2, 3, 1, 2);
    Grid->addWidget(FQuotedTextCheckBox, 2, 5);
    Grid->addWidget(FMultiVolumeCheckBox, 3, 0);
    auto* MultiRow = new QHBoxLayout;
    MultiRow->addWidget(FMultiVolumeEdit);
    MultiRow->addWidget(FMultiVolumeBrowseButton);
    Grid->addLayout(MultiRow, 3, 1, 1, 5);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(FFilerButton);
    Buttons->addWidget(FGrabListingButton);
    Buttons->addStretch();
    Buttons->addWidget(FCancelButton);
    Grid->addLayout(Buttons, 4, 0, 1, 6);
    Grid->setColumnStretch(1, 1);
    Grid->setColumnStretch(2, 1);
    Grid->setColumnStretch(3, 1);

    connect(FFindFileEdit, &QLineEdit::textChanged, this, [this](const QString& Text) {
        FLocateMatches.clear();
        FGoButton->setEnabled(!Text.isEmpty());
    });
    connect(FGoButton, &QPushButton::clicked, this, [this] { GoClick(); });
    connect(FOpenButton, &QPushButton::clicked, this, [this] { done(brOk); });
    connect(FSearchButton, &QPushButton::clicked, this, [this] { done(brYes); });
    connect(FFilerButton, &QPushButton::clicked, this, [this] { done(brIgnore); });
    connect(FCancelButton, &QPushButton::clicked, this, [this] { done(brCancel); });
    connect(FGrabListingButton, &QPushButton::clicked, this, [this] { GrabListingClick(); });
    connect(FMultiVolumeBrowseButton, &QPushButton::clicked, this,
            [this] { MultiVolumeBrowseClick(); });
    connect(FFindTextEdit, &QLineEdit::textChanged, this, [this] { UpdateSearchButton(); });
    connect(FMultiVolumeCheckBox, &QCheckBox::toggled, this, [this] {
        UpdateMultiVolumeControls();
        UpdateSearchButton();
    });
    connect(FTree, &QTreeWidget::currentItemChanged, this, [this] { UpdateOpenButton(); });
    connect(FTree, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (FOpenButton->isEnabled())
            FOpenButton->click();
    });
}

// ---- The volume ---------------------------------------------------------------------------

void TBrowseVolumeForm::OpenVolume(const std::string& Path) {
    FNodeNames.clear();
    FLocateMatches.clear();
    FTree->Clear();
    FreeVolumes();
    FDamageReport.clear();
    try {
        FMajorVolume = std::make_unique<TMajorVolume>(Path, false);
        AddDamage(*FMajorVolume);
        FTree->BeginUpdate();
        TTreeNode* Root = FTree->AddNode(nullptr, ToQString(FMajorVolume->VolumeName()));
        FTree->SetImages(Root, VolumeIcon, VolumeIcon);
        TTreeNode* ToSelect = Root;
        FillNode(Root, *FMajorVolume, {}, ToSelect);
        FTree->EndUpdate();
        const std::string Version = FMajorVolume->GetVersion();
        setWindowTitle(ToQString(Version.empty() ? Path : Path + "     " + Version));
        Root->setExpanded(true);
        FTree->SetSelected(ToSelect);
        ToSelect->setExpanded(true);
        UpdateOpenButton();
    } catch (...) {
        FTree->EndUpdate();
        CloseVolume();
        throw;
    }
}

void TBrowseVolumeForm::FillNode(TTreeNode* Node, TVolume& Volume, const std::string& Prefix,
                                 TTreeNode*& ToSelect) {
    for (const std::string& Name : Volume.SortedFileNames()) {
        TTreeNode* Child = FTree->AddNode(Node, ToQString(PSystemNameToWindowsName(Name)));
        FNodeNames.emplace_back(Prefix + Name, Child);
        if (!IsSubvolumeName(Name)) {
            FTree->SetImages(Child, FileIcon, FileIcon);
            continue;
        }
        FTree->SetImages(Child, VolumeIcon, VolumeIcon);
        // Kept before filling, so that a subvolume inside it is freed first.
        FSubvolumes.push_back(std::make_unique<TSubvolume>(Volume, Name));
        TSubvolume& Sub = *FSubvolumes.back();
        AddDamage(Sub);
        Child->SetData(std::make_unique<TSubvolumeNode>(Sub));
        FillNode(Child, Sub, Sub.VolumeName() + ":", ToSelect);
        if (!PreselectName.empty() && Name == PreselectName) {
            ToSelect = Child;
            PreselectName.clear();
        }
    }
}

void TBrowseVolumeForm::AddDamage(const TVolume& Volume) {
    if (const std::string Text = Volume.DamageText(); !Text.empty())
        FDamageReport += (FDamageReport.empty() ? "" : "\n") + Text;
}

void TBrowseVolumeForm::FreeVolumes() {
    while (!FSubvolumes.empty())
        FSubvolumes.pop_back();
    FMajorVolume.reset();
}

void TBrowseVolumeForm::CloseVolume() {
    FDamageReport.clear();
    FLocateMatches.clear();
    FNodeNames.clear();
    FTree->Clear();
    FreeVolumes();
    UpdateOpenButton();
}

void TBrowseVolumeForm::Centre() {
    CentreOnMainForm(this);
}

void TBrowseVolumeForm::SetInitialFocus(bool FindTextFirst) {
    if (focusWidget() == FFindFileEdit)
        return;
    if (FindTextFirst)
        FFindTextEdit->setFocus();
    else
        FTree->setFocus();
}

// ---- The selection ------------------------------------------------------------------------

int TBrowseVolumeForm::Level(const TTreeNode* Node) {
    int Result = 0;
    for (const TTreeNode* Up = Node->Parent(); Up; Up = Up->Parent())
        ++Result;
    return Result;
}

int TBrowseVolumeForm::ImageOf(const TTreeNode& Node) {
    return Node.ImageIndex() == VolumeIcon ? biVolume : biFile;
}

std::string TBrowseVolumeForm::GetSelectedFileName() const {
    const TTreeNode* Node = FTree->Selected();
    if (!Node)
        return {};
    return Upper(Node->Caption()).substr(0, MaxFileNameLength);
}

std::string TBrowseVolumeForm::GetSelectedSubvolumeName() const {
    const TTreeNode* Node = FTree->Selected();
    if (!Node || Level(Node) <= 1)
        return {};
    return Upper(Node->Parent()->Caption());
}

TVolume* TBrowseVolumeForm::GetSelectedVolume() const {
    if (const TTreeNode* Node = FTree->Selected())
        if (const auto* Sub = dynamic_cast<const TSubvolumeNode*>(Node->Data()))
            return &Sub->Volume;
    return FMajorVolume.get();
}

void TBrowseVolumeForm::UpdateOpenButton() {
    const TTreeNode* Node = FTree->Selected();
    FOpenButton->setEnabled(Node && ImageOf(*Node) == biFile);
}

// ---- Locate, search and listing -----------------------------------------------------------

void TBrowseVolumeForm::GoClick() {
    if (FLocateMatches.empty()) {
        const std::string Wanted = Upper(FFindFileEdit->text());
        for (const auto& [Name, Node] : FNodeNames)
            if (Name.find(Wanted) != std::string::npos)
                FLocateMatches.push_back(Node);
    }
    if (FLocateMatches.empty())
        return;
    TTreeNode* Node = FLocateMatches.front();
    FLocateMatches.pop_front();
    FTree->scrollToItem(Node);
    FTree->SetSelected(Node);
}

std::string TBrowseVolumeForm::ListingText() const {
    std::string Text, VolumePrefix, SubvolumePrefix;
    for (const TTreeNode* Node = FTree->FirstNode(); Node; Node = TSafeTreeView::NextNode(Node)) {
        const std::string Caption = Upper(Node->Caption());
        switch (Level(Node)) {
        case 0:
            VolumePrefix = FromQString(Node->Caption());
            break;
        case 1:
            if (Node->childCount() > 0)
                SubvolumePrefix = Caption.substr(0, Caption.rfind('.'));
            else
                Text += VolumePrefix + ":" + Caption + "\r\n";
            break;
        default:
            Text += SubvolumePrefix + ":" + Caption + "\r\n";
            break;
        }
    }
    return Text;
}

void TBrowseVolumeForm::GrabListingClick() {
    FHost.OpenTextInNewTab("Listing", ListingText());
}

void TBrowseVolumeForm::MultiVolumeBrowseClick() {
    TOpenDialog& Dialog = *FMultiVolumeOpenDialog;
    Dialog.FileName = PathFromQString(FMultiVolumeEdit->text());
    if (Dialog.Execute())
        FMultiVolumeEdit->setText(PathToQString(Dialog.FileName));
    // The keyboard comes back here, also where no window manager hands it back.
    activateWindow();
}

TBrowseSearchOptions TBrowseVolumeForm::SearchOptions() const {
    TBrowseSearchOptions Options;
    Options.Text = FromQString(FFindTextEdit->text());
    Options.MatchCase = FMatchCaseCheckBox->isChecked();
    Options.WholeWords = FWholeWordsCheckBox->isChecked();
    Options.IgnoreUnderscores = FIgnoreUnderscoresCheckBox->isChecked();
    Options.QuotedOnly = FQuotedTextCheckBox->isChecked();
    Options.ContextLines = FContextSpin->value();
    Options.MultipleVolumes = FMultiVolumeCheckBox->isChecked();
    Options.VolumeList = FromQString(FMultiVolumeEdit->text());
    return Options;
}

void TBrowseVolumeForm::SetSearchOptions(const TBrowseSearchOptions& Options) {
    FFindTextEdit->setText(ToQString(Options.Text));
    FMatchCaseCheckBox->setChecked(Options.MatchCase);
    FWholeWordsCheckBox->setChecked(Options.WholeWords);
    FIgnoreUnderscoresCheckBox->setChecked(Options.IgnoreUnderscores);
    FQuotedTextCheckBox->setChecked(Options.QuotedOnly);
    FContextSpin->setValue(Options.ContextLines);
    FMultiVolumeCheckBox->setChecked(Options.MultipleVolumes);
    FMultiVolumeEdit->setText(ToQString(Options.VolumeList));
}

void TBrowseVolumeForm::UpdateSearchButton() {
    FSearchButton->setEnabled(!FFindTextEdit->text().isEmpty() ||
                              FMultiVolumeCheckBox->isChecked());
}

void TBrowseVolumeForm::UpdateMultiVolumeControls() {
    const bool Multiple = FMultiVolumeCheckBox->isChecked();
    FMultiVolumeEdit->setEnabled(Multiple);
    FMultiVolumeBrowseButton->setEnabled(Multiple);
}

// ---- Keys, focus and closing --------------------------------------------------------------

bool TBrowseVolumeForm::HandleKey(int Key, Qt::KeyboardModifiers Modifiers) {
    const Qt::KeyboardModifiers Held =
        Modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (Key == Qt::Key_F2 && Held == Qt::NoModifier) {
        done(brIgnore);
        return true;
    }
    if (Key == Qt::Key_F2 && Held == Qt::AltModifier) {
        done(brRetry);
        return true;
    }
    if (Key == Qt::Key_F6 && Held == Qt::NoModifier) {
        if (TTreeNode* Root = FTree->FirstNode())
            FTree->SetSelected(Root);
        return true;
    }
    return false;
}

bool TBrowseVolumeForm::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::KeyPress: {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (HandleKey(Key->key(), Key->modifiers()))
            return true;
        break;
    }
    case QEvent::FocusIn:
        if (Watched == FFindFileEdit)
            FGoButton->setDefault(true);
        else if (Watched == FFindTextEdit)
            FSearchButton->setDefault(true);
        else if (Watched == FTree)
            FOpenButton->setDefault(true);
        break;
    case QEvent::FocusOut:
        if (Watched == FFindFileEdit)
            FOpenButton->setDefault(true);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TBrowseVolumeForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (focusWidget() == FFindTextEdit)
        FFindTextEdit->selectAll();
}

void TBrowseVolumeForm::done(int Result) {
    FLocateMatches.clear();
    QDialog::done(Result);
}

} // namespace korvid
