#include "devtools/definitions/DefsEditorForm.h"

#include "devtools/definitions/DefsEditorRules.h"
#include "devtools/definitions/DefsMessages.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/VariablesImages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcutEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace korvid {

namespace {

constexpr std::string_view ChangedMark = " *";
constexpr int NameLimit = int(DefsNameLength);
constexpr int MaxCapacity = 127;
constexpr int MaxScale = 15;
constexpr int MaxElements = 255;
constexpr int MaxTitleBase = 32767;
constexpr int MaxPartLength = 60;
constexpr int HeadingPoints = 10;

QString Q(std::string_view Text) {
    return ToQString(Text);
}

QFont HeadingFont(const QFont& DialogFont) {
    QFont Font("Verdana");
    if (QFontInfo(Font).family() != "Verdana")
        Font = DialogFont;
    Font.setPointSize(HeadingPoints);
    Font.setBold(true);
    return Font;
}

// The index the selected item stands for; Otherwise without a selection.
int SelectedValue(const QComboBox* Combo, int Otherwise = 0) {
    return Combo->currentIndex() < 0 ? Otherwise : Combo->currentData().toInt();
}

void SelectValue(QComboBox* Combo, int Value) {
    const int Index = Combo->findData(Value);
    Combo->setCurrentIndex(Index >= 0 ? Index : 0);
}

void FillCombo(QComboBox* Combo, const std::vector<TComboEntry>& Entries) {
    const QString Shown = Combo->currentText();
    Combo->clear();
    for (const TComboEntry& Entry : Entries)
        Combo->addItem(Q(Entry.Text), Entry.Value);
    Combo->setCurrentIndex(Combo->findText(Shown));
}

void NoValue(QComboBox* Combo) {
    Combo->setCurrentIndex(-1);
}

// A read-only edit shows the dialog's colour, so that it does not invite typing.
void SetReadOnlyLook(QLineEdit* Edit, bool ReadOnly) {
    Edit->setReadOnly(ReadOnly);
    QPalette Colours = Edit->palette();
    Colours.setColor(QPalette::Base,
                     QApplication::palette().color(ReadOnly ? QPalette::Window : QPalette::Base));
    Edit->setPalette(Colours);
}

void SetNumber(QLineEdit* Edit, int Value) {
    Edit->setText(QString::number(Value));
}

// Up and down arrows beside a number edit; the edit's text stays what decides.
QWidget* CreateArrows(QLineEdit* Edit, int High, QWidget* Parent) {
    auto* Arrows = new QWidget(Parent);
    auto* Layout = new QVBoxLayout(Arrows);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    const auto Step = [Edit, High](int By) {
        const int Value = NumberBoxValue(FromQString(Edit->text()));
        SetNumber(Edit, std::clamp(Value < 0 ? 0 : Value + By, 0, High));
    };
    for (const auto& [Arrow, By] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* Button = new QToolButton(Arrows);
        Button->setArrowType(Arrow);
        Button->setFocusPolicy(Qt::NoFocus);
        Button->setFixedSize(16, 11);
        QObject::connect(Button, &QToolButton::clicked, Arrows, [Step, By = By] { Step(By); });
        Layout->addWidget(Button);
    }
    return Arrows;
}

} // namespace

TDefsEditorForm::TDefsEditorForm(QWidget* Parent)
    : QDialog(Parent), FDefs(std::make_unique<TDefsList>()) {
    setObjectName("DefsEditorForm");
    setWindowTitle(Q(DefsEditorCaption));
    CreateControls();
    WatchChanges();
    setAcceptDrops(true);
    FNotebook->setCurrentWidget(FNullPage);
}

TDefsEditorForm::~TDefsEditorForm() = default;

// ---- Controls ---------------------------------------------------------------------------------

QLabel* TDefsEditorForm::CreateHeading(const char* Name) {
    auto* Heading = new QLabel(this);
    Heading->setObjectName(Name);
    Heading->setFont(HeadingFont(font()));
    Heading->setAutoFillBackground(true);
    QPalette Colours = Heading->palette();
    Colours.setColor(QPalette::Window, Colours.color(QPalette::Highlight));
    Colours.setColor(QPalette::WindowText, Colours.color(QPalette::HighlightedText));
    Heading->setPalette(Colours);
    Heading->setContentsMargins(6, 3, 6, 3);
    return Heading;
}

QLineEdit* TDefsEditorForm::CreateEdit(const char* Name, bool ReadOnly) {
    auto* Edit = new QLineEdit(this);
    Edit->setObjectName(Name);
    SetReadOnlyLook(Edit, ReadOnly);
    return Edit;
}

QComboBox* TDefsEditorForm::CreateCombo(const char* Name) {
    auto* Combo = new QComboBox(this);
    Combo->setObjectName(Name);
    Combo->setMaxVisibleItems(20);
    return Combo;
}

TDefsEditorForm::TNumberBox TDefsEditorForm::CreateNumberBox(const char* EditName,
                                                             const char* SpinnerName, int High) {
    TNumberBox Box;
    Box.Edit = CreateEdit(EditName, false);
    Box.Edit->setMaximumWidth(60);
    Box.Spinner = CreateArrows(Box.Edit, High, this);
    Box.Spinner->setObjectName(SpinnerName);
    return Box;
}

namespace {

QLabel* LabelFor(QWidget* Buddy, std::string_view Caption, QWidget* Parent) {
    auto* Label = new QLabel(Q(Caption), Parent);
    Label->setBuddy(Buddy);
    return Label;
}

QWidget* Row(std::initializer_list<QWidget*> Widgets, QWidget* Parent) {
    auto* Holder = new QWidget(Parent);
    auto* Layout = new QHBoxLayout(Holder);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(2);
    for (QWidget* Widget : Widgets)
        Layout->addWidget(Widget);
    Layout->addStretch();
    return Holder;
}

void LowerCaseAsTyped(QLineEdit* Edit) {
    Edit->setMaxLength(NameLimit);
    QObject::connect(Edit, &QLineEdit::textEdited, Edit, [Edit](const QString& Text) {
        const QString Lower = Text.toLower();
        if (Lower == Text)
            return;
        const int Cursor = Edit->cursorPosition();
        Edit->setText(Lower);
        Edit->setCursorPosition(Cursor);
    });
}

QVBoxLayout* PageLayout(QWidget* Page, QLabel* Heading) {
    auto* Layout = new QVBoxLayout(Page);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Heading);
    return Layout;
}

} // namespace

QWidget* TDefsEditorForm::CreateFilePage() {
    auto* Page = new QWidget(this);
    Page->setObjectName("File");
    FFileHeading = CreateHeading("FileHeadingPanel");
    FFileNameEdit = CreateEdit("FileNameEdit", false);
    LowerCaseAsTyped(FFileNameEdit);
    FFileNumberEdit = CreateEdit("FileNumberEdit", true);
    FSizeEdit = CreateEdit("SizeEdit", true);
    FSize16Edit = CreateEdit("Size16Edit", true);
    auto* Grid = new QGridLayout;
    const std::pair<QLineEdit*, std::string_view> Rows[] = {{FFileNameEdit, "&Name:"},
                                                            {FFileNumberEdit, "Num&ber:"},
                                                            {FSizeEdit, "Si&ze (*.big):"},
                                                            {FSize16Edit, "Size (*.dat):"}};
    int Line = 0;
    for (const auto& [Edit, Caption] : Rows) {
        Grid->addWidget(LabelFor(Edit, Caption, Page), Line, 0);
        Grid->addWidget(Edit, Line++, 1);
    }
    Grid->setColumnStretch(2, 1);
    QVBoxLayout* Layout = PageLayout(Page, FFileHeading);
    Layout->addLayout(Grid);
    Layout->addStretch();
    return Page;
}

QWidget* TDefsEditorForm::CreateFieldPage() {
    auto* Page = new QWidget(this);
    Page->setObjectName("Field");
    FFieldHeading = CreateHeading("FieldHeadingPanel");
    FFieldNameEdit = CreateEdit("FieldNameEdit", false);
    LowerCaseAsTyped(FFieldNameEdit);
    FFieldNumberEdit = CreateEdit("FieldNumberEdit", true);
    FOffsetEdit = CreateEdit("OffsetEdit", true);
    FTypeCombo = CreateCombo("TypeCombo");
    for (const int Code : FieldTypesByCaption())
        FTypeCombo->addItem(Q(FieldTypeCaption(Code)), Code);
    FFieldLength = CreateNumberBox("FieldLengthEdit", "FieldLengthSpinner", MaxCapacity);
    FDecimalCount = CreateNumberBox("DecimalCountEdit", "DecimalCountSpinner", MaxScale);
    FElementCount = CreateNumberBox("ElementCountEdit", "ElementCountSpinner", MaxElements);
    FForcedCheckBox = new QCheckBox("&Forced", Page);
    FForcedCheckBox->setObjectName("ForcedCheckBox");
    FFlaggedCheckBox = new QCheckBox("Fl&agged", Page);
    FFlaggedCheckBox->setObjectName("FlaggedCheckBox");
    FTargetFileCombo = CreateCombo("TargetFileCombo");
    FTargetFieldCombo = CreateCombo("TargetFieldCombo");
    FOrderField1Combo = CreateCombo("OrderField1Combo");
    FOrderField2Combo = CreateCombo("OrderField2Combo");
    FCalculationCombo = CreateCombo("CalculationCombo");
    for (int Mode = 0; Mode < CalculationCount; ++Mode)
        FCalculationCombo->addItem(Q(CalculationCaption(Mode)), Mode);
    FCalcOp2FileCombo = CreateCombo("CalcOp2FileCombo");
    FFieldHelpLabel = new QLabel(Page);
    FFieldHelpLabel->setObjectName("FieldHelpLabel");
    FFieldHelpLabel->setWordWrap(true);
    FFieldHelpLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* Grid = new QGridLayout;
    int Line = 0;
    const auto AddRow = [&](std::string_view Caption, QWidget* Buddy, QWidget* Shown) {
        Grid->addWidget(LabelFor(Buddy, Caption, Page), Line, 0);
        Grid->addWidget(Shown, Line++, 1);
    };
    AddRow("&Name:", FFieldNameEdit, FFieldNameEdit);
    AddRow("Num&ber:", FFieldNumberEdit, FFieldNumberEdit);
    AddRow("&Offset:", FOffsetEdit, FOffsetEdit);
    AddRow("&Type:", FTypeCombo, FTypeCombo);
    AddRow("&Length:", FFieldLength.Edit, Row({FFieldLength.Edit, FFieldLength.Spinner}, Page));
    AddRow("Deci&mals:", FDecimalCount.Edit,
           Row({FDecimalCount.Edit, FDecimalCount.Spinner}, Page));
    AddRow("&Elements:", FElementCount.Edit,
           Row({FElementCount.Edit, FElementCount.Spinner}, Page));
    Grid->addWidget(Row({FForcedCheckBox, FFlaggedCheckBox}, Page), Line++, 1);
    const std::array<QComboBox*, 4> Boxes = {FTargetFileCombo, FTargetFieldCombo, FOrderField1Combo,
                                             FOrderField2Combo};
    const std::array<const char*, 4> LabelNames = {"TargetFileLabel", "TargetFieldLabel",
                                                   "OrderField1Label", "OrderField2Label"};
    for (std::size_t I = 0; I < Boxes.size(); ++I) {
        FRefLabels[I] = LabelFor(Boxes[I], UnusedLabel, Page);
        FRefLabels[I]->setObjectName(LabelNames[I]);
        Grid->addWidget(FRefLabels[I], Line, 0);
        Grid->addWidget(Boxes[I], Line++, 1);
    }
    // The calculation boxes take the places of the target file and first order boxes.
    Grid->addWidget(FCalculationCombo, Line - 4, 1);
    Grid->addWidget(FCalcOp2FileCombo, Line - 2, 1);
    Grid->setColumnStretch(1, 1);
    QVBoxLayout* Layout = PageLayout(Page, FFieldHeading);
    Layout->addLayout(Grid);
    Layout->addWidget(FFieldHelpLabel, 1);
    return Page;
}

QWidget* TDefsEditorForm::CreateKeyPage() {
    auto* Page = new QWidget(this);
    Page->setObjectName("Key");
    FKeyHeading = CreateHeading("KeyHeadingPanel");
    FAllowDuplicatesCheckBox = new QCheckBox("&Allow duplicates", Page);
    FAllowDuplicatesCheckBox->setObjectName("AllowDuplicatesCheckBox");
    QVBoxLayout* Layout = PageLayout(Page, FKeyHeading);
    Layout->addWidget(FAllowDuplicatesCheckBox);
    for (int P = 0; P < DefsKeyParts; ++P) {
        const std::string N = std::to_string(P + 1);
        TKeyPart& Part = FKeyParts[std::size_t(P)];
        Part.Field = CreateCombo(("Field" + N + "Combo").c_str());
        Part.Length = CreateNumberBox(("Length" + N + "Edit").c_str(),
                                      ("Length" + N + "Spinner").c_str(), MaxPartLength);
        Part.Function = CreateCombo(("Function" + N + "Combo").c_str());
        auto* Group = new QGroupBox(Q("Part " + N), Page);
        auto* Grid = new QGridLayout(Group);
        Grid->addWidget(LabelFor(Part.Field, "Field:", Group), 0, 0);
        Grid->addWidget(Part.Field, 0, 1);
        Grid->addWidget(LabelFor(Part.Length.Edit, "Length:", Group), 1, 0);
        Grid->addWidget(Row({Part.Length.Edit, Part.Length.Spinner}, Group), 1, 1);
        Grid->addWidget(LabelFor(Part.Function, "Function:", Group), 2, 0);
        Grid->addWidget(Part.Function, 2, 1);
        Grid->setColumnStretch(1, 1);
        Layout->addWidget(Group);
    }
    auto* Help = new QLabel(Q(KeyHelpText), Page);
    Help->setObjectName("KeyHelpLabel");
    Help->setWordWrap(true);
    Layout->addWidget(Help);
    Layout->addStretch();
    return Page;
}

QWidget* TDefsEditorForm::CreateNullPage() {
    auto* Page = new QWidget(this);
    Page->setObjectName("Null");
    return Page;
}

void TDefsEditorForm::CreateControls() {
    FTreePanel = new QWidget(this);
    FTreePanel->setObjectName("TreePanel");
    FTree = new QTreeWidget(FTreePanel);
    FTree->setObjectName("Tree");
    FTree->setHeaderHidden(true);
    FTree->setIconSize(QSize(16, 16));
    auto* TreeLayout = new QVBoxLayout(FTreePanel);
    TreeLayout->setContentsMargins(0, 0, 0, 0);
    TreeLayout->addWidget(FTree);
    FTreePanel->setMinimumWidth(200);

    FNotebook = new QStackedWidget(this);
    FNotebook->setObjectName("Notebook");
    FFilePage = CreateFilePage();
    FFieldPage = CreateFieldPage();
    FKeyPage = CreateKeyPage();
    FNullPage = CreateNullPage();
    for (QWidget* Page : {FFilePage, FFieldPage, FKeyPage, FNullPage})
        FNotebook->addWidget(Page);

    FSaveButton = new QPushButton("&Save", this);
    FSaveButton->setObjectName("SaveButton");
    FSaveButton->setEnabled(false);
    FSaveButton->setAutoDefault(false);
    FCancelButton = new QPushButton("Cancel", this);
    FCancelButton->setObjectName("CancelButton");
    FCancelButton->setAutoDefault(false);
    FShowVoidsCheckBox = new QCheckBox("Show &voids", this);
    FShowVoidsCheckBox->setObjectName("ShowVoidsCheckBox");
    FAllowSaveCheckBox = new QCheckBox("®  &.", this);
    FAllowSaveCheckBox->setObjectName("AllowSaveCheckBox");
    FAllowSaveCheckBox->installEventFilter(this);

    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(FShowVoidsCheckBox);
    Buttons->addStretch();
    Buttons->addWidget(FAllowSaveCheckBox);
    Buttons->addWidget(FSaveButton);
    Buttons->addWidget(FCancelButton);
    auto* Panes = new QHBoxLayout;
    Panes->addWidget(FTreePanel);
    Panes->addWidget(FNotebook, 1);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Panes, 1);
    Layout->addLayout(Buttons);
    resize(640, 480);

    FPopupMenu = new QMenu(this);
    auto* AcceptPageCommand = FPopupMenu->addAction("Accept Page");
    AcceptPageCommand->setObjectName("AcceptPageCommand");
    auto* TreeSetFocusCommand = FPopupMenu->addAction("Tree Set Focus");
    TreeSetFocusCommand->setObjectName("TreeSetFocusCommand");
    TreeSetFocusCommand->setShortcut(Qt::Key_F6);
    // The menu never pops up; the form hears the items' shortcuts.
    addAction(AcceptPageCommand);
    addAction(TreeSetFocusCommand);
    connect(AcceptPageCommand, &QAction::triggered, this, [this] { AcceptPage(); });
    connect(TreeSetFocusCommand, &QAction::triggered, this, [this] { FTree->setFocus(); });
}

void TDefsEditorForm::WatchChanges() {
    for (QLineEdit* Edit : findChildren<QLineEdit*>())
        if (!Edit->isReadOnly() || Edit == FOffsetEdit)
            connect(Edit, &QLineEdit::textChanged, this, [this] { ModifyPage(); });
    for (QCheckBox* Box : {FForcedCheckBox, FFlaggedCheckBox, FAllowDuplicatesCheckBox})
        connect(Box, &QCheckBox::toggled, this, [this] { ModifyPage(); });
    for (QComboBox* Combo : findChildren<QComboBox*>())
        connect(Combo, &QComboBox::currentIndexChanged, this, [this] { ModifyPage(); });
    connect(FTypeCombo, &QComboBox::currentIndexChanged, this, [this] { TypeChanged(); });
    connect(FTargetFileCombo, &QComboBox::currentIndexChanged, this,
            [this] { TargetFileChanged(); });
    connect(FTargetFieldCombo, &QComboBox::currentIndexChanged, this,
            [this] { TargetFieldChanged(); });
    connect(FCalculationCombo, &QComboBox::currentIndexChanged, this,
            [this] { CalculationChanged(); });
    connect(FCalcOp2FileCombo, &QComboBox::currentIndexChanged, this,
            [this] { CalcOp2FileChanged(); });

    connect(FTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* Current, QTreeWidgetItem* Previous) {
                CurrentNodeChanged(Current, Previous);
            });
    connect(FTree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* Node) { NodeExpanded(Node); });
    connect(FSaveButton, &QPushButton::clicked, this, [this] { SaveDefs(); });
    connect(FCancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(FAllowSaveCheckBox, &QCheckBox::toggled, this, [this](bool Ticked) {
        FSaveButton->setEnabled(Ticked);
        if (Ticked)
            FSaveButton->setFocus();
    });
    connect(FShowVoidsCheckBox, &QCheckBox::clicked, this, [this](bool Ticked) {
        if (!AcceptPage()) {
            FShowVoidsCheckBox->setChecked(!Ticked);
            return;
        }
        RebuildTree();
    });
}

// Alt+. ticks the save box at once, so that Save is ready for the very next key.
bool TDefsEditorForm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FAllowSaveCheckBox && Event->type() == QEvent::Shortcut &&
        !static_cast<QShortcutEvent*>(Event)->isAmbiguous()) {
        FAllowSaveCheckBox->setFocus(Qt::ShortcutFocusReason);
        FAllowSaveCheckBox->click();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

// ---- Loading and dropping ---------------------------------------------------------------------

void TDefsEditorForm::LoadDefsByPath(const std::string& Path) {
    if (UpperCase1252(std::filesystem::path(Path).extension().string()) != ".DEFS")
        return;
    if (FDefsChanged && !AskDiscardDefsChanges())
        return;
    FDefsChanged = false;
    FPageModified = false;
    {
        ++FQuiet;
        FShownNode = nullptr;
        FTree->clear();
        ++FTreeGeneration;
        --FQuiet;
    }
    FDefs = std::make_unique<TDefsList>();
    LoadDefsFromVolume(*FDefs, Path);
    RebuildTree();
    SetCaptionFromPath();
}

void TDefsEditorForm::OpenVolumeDefs(const std::string& VolumeFile) {
    const std::string Name = MapDefsName(VolumeFile);
    if (!Name.empty())
        LoadDefsByPath(VolumeFile + ">" + Name + ".SVOL:" + Name + ".DEFS");
}

void TDefsEditorForm::DropFiles(const QList<QUrl>& Urls) {
    if (Urls.isEmpty() || !Urls.front().isLocalFile())
        return;
    raise();
    activateWindow();
    const std::string File = FromQString(Urls.front().toLocalFile());
    if (LowerCase1252(std::filesystem::path(File).extension().string()) == ".vol")
        OpenVolumeDefs(File);
}

void TDefsEditorForm::dragEnterEvent(QDragEnterEvent* Event) {
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TDefsEditorForm::dropEvent(QDropEvent* Event) {
    DropFiles(Event->mimeData()->urls());
    Event->acceptProposedAction();
}

void TDefsEditorForm::SetCaptionFromPath() {
    std::string Caption = FDefs->Path.empty() ? std::string(DefsEditorCaption) : FDefs->Path;
    if (FDefsChanged)
        Caption += ChangedMark;
    setWindowTitle(Q(Caption));
}

void TDefsEditorForm::MarkChanged() {
    FDefsChanged = true;
    SetCaptionFromPath();
}

// ---- Tree -------------------------------------------------------------------------------------

QTreeWidgetItem* TDefsEditorForm::AddNode(QTreeWidgetItem* Parent, const std::string& Text,
                                          TNodeKind Kind, int File, int Number, int Image) {
    auto* Node = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(FTree);
    Node->setText(0, Q(Text));
    Node->setData(0, KindRole, Kind);
    Node->setData(0, FileRole, File);
    Node->setData(0, NumberRole, Number);
    SetNodeImage(Node, Image);
    return Node;
}

void TDefsEditorForm::SetNodeImage(QTreeWidgetItem* Node, int Image) {
    Node->setData(0, ImageRole, Image);
    Node->setIcon(0, VariablesIcon(Image));
}

QTreeWidgetItem* TDefsEditorForm::FileNode(int File) const {
    for (int I = 0; I < FTree->topLevelItemCount(); ++I)
        if (FTree->topLevelItem(I)->data(0, FileRole).toInt() == File)
            return FTree->topLevelItem(I);
    return nullptr;
}

void TDefsEditorForm::RebuildTree() {
    ++FQuiet;
    QString SelectedText, ParentText;
    if (QTreeWidgetItem* Selected = FTree->currentItem()) {
        SelectedText = Selected->text(0);
        if (Selected->parent())
            ParentText = Selected->parent()->text(0);
    }
    FShownNode = nullptr;
    FTree->clear();
    ++FTreeGeneration;
    const bool ShowVoids = FShowVoidsCheckBox->isChecked();
    for (int I = 0; I < FDefs->Count(); ++I) {
        const TDefsFile& File = FDefs->File(I);
        if (!ShowsFile(File, ShowVoids))
            continue;
        QTreeWidgetItem* Node = AddNode(nullptr, FileNodeText(File), nkFile, I, 0, FileImage);
        for (int K = 1; K <= DefsKeyCount; ++K)
            if (ShowsKey(File.Key(K), ShowVoids))
                AddNode(Node, KeyNodeText(K), nkKey, I, K, KeyImage);
        for (int J = 1; J <= LastShownField(File, ShowVoids); ++J) {
            const TDefsField& Field = File.Field(J);
            AddNode(Node, FieldNodeText(Field), nkField, I, J, FieldImage(Field.FieldType));
        }
    }
    QTreeWidgetItem* Selected = nullptr;
    const QString FileText = ParentText.isEmpty() ? SelectedText : ParentText;
    for (int I = 0; I < FTree->topLevelItemCount() && !Selected; ++I) {
        QTreeWidgetItem* File = FTree->topLevelItem(I);
        if (File->text(0) != FileText)
            continue;
        Selected = File;
        for (int C = 0; C < File->childCount() && !ParentText.isEmpty(); ++C)
            if (File->child(C)->text(0) == SelectedText) {
                Selected = File->child(C);
                break;
            }
    }
    if (!Selected)
        Selected = FTree->topLevelItem(0);
    --FQuiet;
    // Before the page shows, so that it shows its file from the new list.
    FillFileCombos();
    SelectNode(Selected);
}

void TDefsEditorForm::SelectNode(QTreeWidgetItem* Node) {
    ++FQuiet;
    if (Node && Node->parent())
        Node->parent()->setExpanded(true);
    FTree->setCurrentItem(Node);
    --FQuiet;
    ShowPageOf(Node);
}

void TDefsEditorForm::CurrentNodeChanged(QTreeWidgetItem* Current, QTreeWidgetItem* Previous) {
    if (FQuiet > 0)
        return;
    if (Previous && Previous == FShownNode && !AcceptPage()) {
        // The refused page stays, and so does its node; a mouse click selects its own node
        // after this, so the node is selected again once the click is done.
        KeepShownNodeCurrent();
        QTimer::singleShot(0, this, [this, Generation = FTreeGeneration, Previous] {
            if (Generation == FTreeGeneration && FShownNode == Previous)
                KeepShownNodeCurrent();
        });
        return;
    }
    ShowPageOf(Current);
}

void TDefsEditorForm::KeepShownNodeCurrent() {
    ++FQuiet;
    FTree->setCurrentItem(FShownNode);
    FShownNode->setSelected(true);
    --FQuiet;
}

void TDefsEditorForm::NodeExpanded(QTreeWidgetItem* Node) {
    if (FCollapseSiblings && FQuiet == 0)
        CollapseSiblings(Node);
}

// ---- Showing pages ----------------------------------------------------------------------------

void TDefsEditorForm::ShowPageOf(QTreeWidgetItem* Node) {
    ++FQuiet;
    FShownNode = Node;
    const int Kind = Node ? Node->data(0, KindRole).toInt() : 0;
    const int File = Node ? Node->data(0, FileRole).toInt() : 0;
    const int Number = Node ? Node->data(0, NumberRole).toInt() : 0;
    if (Kind == nkFile)
        ShowFilePage(FDefs->File(File));
    else if (Kind == nkField)
        ShowFieldPage(FDefs->File(File).Field(Number));
    else if (Kind == nkKey)
        ShowKeyPage(FDefs->File(File).Key(Number));
    else
        FNotebook->setCurrentWidget(FNullPage);
    FPageModified = false;
    --FQuiet;
}

void TDefsEditorForm::ShowFilePage(const TDefsFile& File) {
    FFileHeading->setText(Q(File.Name));
    FFileNameEdit->setText(Q(File.Name));
    SetNumber(FFileNumberEdit, File.Index);
    FSizeEdit->setText(Q(std::to_string(File.RecordSize) + " words"));
    FSize16Edit->setText(Q(std::to_string(File.DataSize) + " words"));
    FNotebook->setCurrentWidget(FFilePage);
}

void TDefsEditorForm::ShowFieldPage(const TDefsField& Field) {
    FFieldHeading->setText(Q(Field.Owner->Name + "  " + Field.Name));
    SetNumber(FFieldNumberEdit, Field.Index);
    FFieldNameEdit->setText(Q(Field.Name));
    SelectValue(FTypeCombo, Field.FieldType);
    SetNumber(FFieldLength.Edit, Field.Capacity);
    SetNumber(FDecimalCount.Edit, Field.Scale);
    SetNumber(FElementCount.Edit, Field.Elements);
    FForcedCheckBox->setChecked(Field.Forced);
    FFlaggedCheckBox->setChecked(Field.Flag);
    ShowReferences(Field, Field.FieldType);
    ApplyTypeLayout();
    FNotebook->setCurrentWidget(FFieldPage);
}

// The reference boxes as Field's values read under FieldType.
void TDefsEditorForm::ShowReferences(const TDefsField& Field, int FieldType) {
    const int Own = Field.Owner->Index;
    const bool Title = FieldType == dfTitle;
    FOffsetEdit->setText(
        Q(Title ? std::to_string(Field.Base) : "word " + std::to_string(Field.Base)));
    SetReadOnlyLook(FOffsetEdit, !Title);
    if (FieldType == dfCalculatedNumber) {
        FCalculationCombo->setCurrentIndex(Field.FileRef < CalculationCount ? Field.FileRef
                                                                            : FuncCalculation);
        FillFieldCombo(FTargetFieldCombo, Own);
        SelectValue(FTargetFieldCombo, Field.FieldRef);
        FCalcOp2FileCombo->clear();
        FCalcOp2FileCombo->addItem(Q(FileNodeText(FDefs->File(0))), 0);
        if (Own != 0)
            FCalcOp2FileCombo->addItem(Q(FileNodeText(*Field.Owner)), Own);
        SelectValue(FCalcOp2FileCombo, Field.SecondRef != 0 ? Own : 0);
        FillFieldCombo(FOrderField2Combo, SelectedValue(FCalcOp2FileCombo));
        SelectValue(FOrderField2Combo, Field.ThirdRef);
        return;
    }
    SelectValue(FTargetFileCombo, Field.FileRef < DefsFileCount ? Field.FileRef : 0);
    FillFieldCombo(FTargetFieldCombo, SelectedValue(FTargetFileCombo));
    SelectValue(FTargetFieldCombo, Field.FieldRef);
    switch (FieldType) {
    case dfTotalNumber:
        // The source is a field of the file that the chain leads to.
        FillFieldCombo(FOrderField1Combo, ChainedFile(*FDefs, SelectedValue(FTargetFileCombo),
                                                      SelectedValue(FTargetFieldCombo))
                                              .value_or(0));
        SelectValue(FOrderField1Combo, Field.SecondRef);
        FillFieldCombo(FOrderField2Combo, 0);
        SelectValue(FOrderField2Combo, Field.ThirdRef);
        break;
    case dfNumber:
    case dfSystemNumber:
        FillFieldCombo(FOrderField1Combo, Own);
        SelectValue(FOrderField1Combo, Field.SecondRef);
        FillFieldCombo(FOrderField2Combo, 0);
        SelectValue(FOrderField2Combo, Field.ThirdRef);
        break;
    case dfAttach:
        FillFieldCombo(FOrderField1Combo, Own);
        SelectValue(FOrderField1Combo, Field.SecondRef);
        FillFieldCombo(FOrderField2Combo, Own);
        SelectValue(FOrderField2Combo, Field.ThirdRef);
        break;
    case dfTitle:
        FillFieldCombo(FOrderField1Combo, Own);
        SelectValue(FOrderField1Combo, Field.SecondRef);
        NoValue(FOrderField2Combo);
        break;
    default:
        NoValue(FOrderField1Combo);
        NoValue(FOrderField2Combo);
    }
}

int TDefsEditorForm::SelectedType() const {
    return SelectedValue(FTypeCombo);
}

void TDefsEditorForm::ApplyTypeLayout() {
    const int Type = SelectedType();
    const TFieldTypeLayout& Layout = FieldTypeLayout(Type);
    const bool Calc = Type == dfCalculatedNumber;
    const bool Func = Calc && FCalculationCombo->currentIndex() == FuncCalculation;
    const std::array<QComboBox*, 4> Boxes = {
        Calc ? FCalculationCombo : FTargetFileCombo, FTargetFieldCombo,
        Calc ? FCalcOp2FileCombo : FOrderField1Combo, FOrderField2Combo};
    FTargetFileCombo->setVisible(!Calc);
    FOrderField1Combo->setVisible(!Calc);
    FCalculationCombo->setVisible(Calc);
    FCalcOp2FileCombo->setVisible(Calc);
    for (std::size_t I = 0; I < Boxes.size(); ++I) {
        FRefLabels[I]->setText(Q(Layout.Labels[I]));
        FRefLabels[I]->setBuddy(Boxes[I]);
        // "func" needs neither operand's field nor the second file.
        const bool Disabled = Calc ? Func && I != 0 : Layout.Labels[I] == UnusedLabel;
        Boxes[I]->setEnabled(!Disabled);
    }
    FFlaggedCheckBox->setText(Q("Fl&agged" + std::string(Layout.FlagSuffix)));
    FFieldHelpLabel->setText(Q(Layout.Help));
}

void TDefsEditorForm::ShowKeyPage(const TDefsKey& Key) {
    const TDefsFile& File = *Key.Owner;
    FKeyHeading->setText(Q(File.Name + "  " + KeyNodeText(Key.Number)));
    FAllowDuplicatesCheckBox->setChecked(Key.Duplicates);
    for (int P = 0; P < DefsKeyParts; ++P) {
        const TKeyPart& Part = FKeyParts[std::size_t(P)];
        FillFieldCombo(Part.Field, File.Index);
        SelectValue(Part.Field, Key.PartField[std::size_t(P)]);
        SetNumber(Part.Length.Edit, Key.PartCapacity[std::size_t(P)]);
        FillFunctionCombo(Part.Function, Key.PartKind[std::size_t(P)]);
    }
    FNotebook->setCurrentWidget(FKeyPage);
}

// The ten kinds a user picks from; a stored audit or calculated kind stays until replaced.
void TDefsEditorForm::FillFunctionCombo(QComboBox* Combo, int Kind) {
    Combo->clear();
    for (int K = 0; K < KeyKindCount; ++K)
        Combo->addItem(Q(KeyKindCaption(K)), K);
    if (Kind >= KeyKindCount && Kind <= 12)
        Combo->addItem(Q(KeyKindCaption(Kind)), Kind);
    SelectValue(Combo, Kind);
}

void TDefsEditorForm::FillFileCombos() {
    ++FQuiet;
    FillCombo(FTargetFileCombo, FileComboEntries(*FDefs, FShowVoidsCheckBox->isChecked()));
    --FQuiet;
}

void TDefsEditorForm::FillFieldCombo(QComboBox* Combo, int File) {
    if (File < 0 || File >= FDefs->Count())
        File = 0;
    FillCombo(Combo, FieldComboEntries(FDefs->File(File), FShowVoidsCheckBox->isChecked()));
}

// ---- Changes on the page ----------------------------------------------------------------------

void TDefsEditorForm::ModifyPage() {
    if (FQuiet == 0)
        FPageModified = true;
}

void TDefsEditorForm::TypeChanged() {
    if (FQuiet > 0 || !FShownNode || FNotebook->currentWidget() != FFieldPage)
        return;
    ++FQuiet;
    const TDefsField& Field = FDefs->File(FShownNode->data(0, FileRole).toInt())
                                  .Field(FShownNode->data(0, NumberRole).toInt());
    ShowReferences(Field, SelectedType());
    ApplyTypeLayout();
    --FQuiet;
    FPageModified = true;
}

void TDefsEditorForm::TargetFileChanged() {
    if (FQuiet > 0)
        return;
    ++FQuiet;
    FillFieldCombo(FTargetFieldCombo, SelectedValue(FTargetFileCombo));
    if (FTargetFieldCombo->currentIndex() < 0)
        FTargetFieldCombo->setCurrentIndex(0);
    --FQuiet;
    TargetFieldChanged();
}

void TDefsEditorForm::TargetFieldChanged() {
    if (FQuiet > 0 || SelectedType() != dfTotalNumber)
        return;
    ++FQuiet;
    FillFieldCombo(FOrderField1Combo, ChainedFile(*FDefs, SelectedValue(FTargetFileCombo),
                                                  SelectedValue(FTargetFieldCombo))
                                          .value_or(0));
    if (FOrderField1Combo->currentIndex() < 0)
        FOrderField1Combo->setCurrentIndex(0);
    --FQuiet;
}

void TDefsEditorForm::CalculationChanged() {
    if (FQuiet > 0)
        return;
    ApplyTypeLayout();
}

void TDefsEditorForm::CalcOp2FileChanged() {
    if (FQuiet > 0)
        return;
    ++FQuiet;
    FillFieldCombo(FOrderField2Combo, SelectedValue(FCalcOp2FileCombo));
    FOrderField2Combo->setCurrentIndex(0);
    --FQuiet;
}

// ---- Accepting pages --------------------------------------------------------------------------

bool TDefsEditorForm::AcceptPage() {
    if (!FPageModified || !FShownNode)
        return true;
    const int File = FShownNode->data(0, FileRole).toInt();
    const int Number = FShownNode->data(0, NumberRole).toInt();
    bool Accepted = true;
    switch (FShownNode->data(0, KindRole).toInt()) {
    case nkFile:
        Accepted = AcceptFilePage(FDefs->File(File));
        break;
    case nkField:
        Accepted = AcceptFieldPage(FDefs->File(File).Field(Number));
        break;
    case nkKey:
        Accepted = AcceptKeyPage(FDefs->File(File).Key(Number));
        break;
    default:
        break;
    }
    if (!Accepted)
        return false;
    FPageModified = false;
    MarkChanged();
    return true;
}

bool TDefsEditorForm::ReadName(QLineEdit* Edit, std::string& Name) {
    const std::string Text = FromQString(Edit->text());
    // A placeholder name, cut by the edit, stays the placeholder.
    if (!Name.empty() && Name.front() == '(' && Name.starts_with(Text) && !Text.empty())
        return true;
    Name = StoredDefsName(Text);
    if (!IsPascalReservedWord(Name))
        return true;
    ShowReservedWordMessage(Name);
    Edit->setFocus();
    return false;
}

bool TDefsEditorForm::ReadNumber(const TNumberBox& Box, std::string_view What, int High,
                                 int& Value) {
    Value = NumberBoxValue(FromQString(Box.Edit->text()));
    if (Value >= 0 && Value <= High)
        return true;
    ShowDefsOutOfRangeMessage(What, 0, High);
    Box.Edit->setFocus();
    return false;
}

bool TDefsEditorForm::AcceptFilePage(TDefsFile& File) {
    std::string Name = File.Name;
    if (!ReadName(FFileNameEdit, Name))
        return false;
    const int Index = File.Index;
    File.Name = Name;
    FShownNode->setText(0, Q(FileNodeText(File)));
    FFileHeading->setText(Q(Name));
    if (Name.empty() && AskClearBlankDefsFile(Index)) {
        ++FQuiet;
        qDeleteAll(FShownNode->takeChildren());
        ++FTreeGeneration;
        --FQuiet;
        FDefs->Delete(Index);
        FDefs->Insert(Index, std::make_unique<TDefsFile>("", Index));
        ShowPageOf(FShownNode);
    }
    FillFileCombos();
    return true;
}

bool TDefsEditorForm::AcceptFieldPage(TDefsField& Field) {
    std::string Name = Field.Name;
    int Capacity = 0, Scale = 0, Elements = 0, Base = Field.Base;
    const bool Title = SelectedType() == dfTitle;
    if (!ReadName(FFieldNameEdit, Name) ||
        !ReadNumber(FFieldLength, "Length", MaxCapacity, Capacity) ||
        !ReadNumber(FDecimalCount, "Decimals", MaxScale, Scale) ||
        !ReadNumber(FElementCount, "Elements", MaxElements, Elements) ||
        (Title && !ReadNumber({FOffsetEdit, nullptr}, "Offset", MaxTitleBase, Base)))
        return false;
    if (Name.empty() && AskVoidBlankDefsField()) {
        ++FQuiet;
        SelectValue(FTypeCombo, dfNone);
        --FQuiet;
    }
    const int Type = SelectedType();
    const int Own = Field.Owner->Index;
    Field.Name = Name;
    Field.FieldType = std::uint8_t(Type);
    Field.Capacity = Capacity;
    Field.Scale = Scale;
    Field.Elements = Elements;
    if (Type == dfTitle)
        Field.Base = Base;
    Field.Forced = FForcedCheckBox->isChecked();
    Field.Flag = FFlaggedCheckBox->isChecked();
    Field.FieldRef = std::uint8_t(SelectedValue(FTargetFieldCombo));
    Field.ThirdRef = std::uint8_t(SelectedValue(FOrderField2Combo));
    if (Type == dfCalculatedNumber) {
        const int Mode = FCalculationCombo->currentIndex();
        Field.FileRef = std::uint8_t(Mode < 0 ? FuncCalculation : Mode);
        Field.SecondRef = std::uint8_t(SelectedValue(FCalcOp2FileCombo, Own));
    } else {
        Field.FileRef = std::uint8_t(SelectedValue(FTargetFileCombo));
        // The disabled box of a number only shows what is stored.
        if (Type != dfNumber && Type != dfSystemNumber)
            Field.SecondRef = std::uint8_t(SelectedValue(FOrderField1Combo));
    }
    // Stored first, so that the sizes and offsets follow the new values.
    ComputeRecordLayout(*Field.Owner);
    FShownNode->setText(0, Q(FieldNodeText(Field)));
    SetNodeImage(FShownNode, FieldImage(Type));
    FFieldHeading->setText(Q(Field.Owner->Name + "  " + Field.Name));
    ++FQuiet;
    if (Type != dfTitle)
        FOffsetEdit->setText(Q("word " + std::to_string(Field.Base)));
    --FQuiet;
    return true;
}

bool TDefsEditorForm::AcceptKeyPage(TDefsKey& Key) {
    std::array<int, DefsKeyParts> Lengths{};
    for (int P = 0; P < DefsKeyParts; ++P)
        if (!ReadNumber(FKeyParts[std::size_t(P)].Length, "Length", MaxPartLength,
                        Lengths[std::size_t(P)]))
            return false;
    for (int P = 0; P < DefsKeyParts; ++P) {
        const TKeyPart& Part = FKeyParts[std::size_t(P)];
        const auto I = std::size_t(P);
        Key.PartCapacity[I] = Lengths[I];
        Key.PartField[I] = std::uint8_t(SelectedValue(Part.Field));
        Key.PartKind[I] = std::uint8_t(SelectedValue(Part.Function));
    }
    Key.Duplicates = FAllowDuplicatesCheckBox->isChecked();
    return true;
}

// ---- Save and close ---------------------------------------------------------------------------

void TDefsEditorForm::SaveDefs() {
    AcceptPage(); // a refused page does not hold back what is already stored
    if (!PrepareDefsForSave(*FDefs, AskSaveDespiteDefsTarget))
        return;
    if (!SaveDefsToVolume(*FDefs))
        return;
    FDefsChanged = false;
    SetCaptionFromPath();
    ShowDefsSavedMessage();
    RebuildTree();
}

void TDefsEditorForm::reject() {
    // A refused page's edits count as changes.
    const bool Accepted = AcceptPage();
    if ((!Accepted || FDefsChanged) && !AskDiscardDefsChanges())
        return;
    QDialog::reject();
}

} // namespace korvid
