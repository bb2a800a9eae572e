#include "views/DefineViewForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/HackedDialogs.h"
#include "ui/ModalRunner.h"
#include "ui/ShortCutEdit.h"
#include "ui/VirtualKeys.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvid {

namespace {

QIcon Swatch(TColor Colour) {
    QPixmap Picture(16, 12);
    Picture.fill(ColorToQColor(Colour));
    QPainter Painter(&Picture);
    Painter.setPen(Qt::black);
    Painter.drawRect(0, 0, Picture.width() - 1, Picture.height() - 1);
    return QIcon(Picture);
}

QSpinBox* MakeSpin(int Minimum, int Maximum, QWidget* Parent) {
    auto* Spin = new QSpinBox(Parent);
    Spin->setRange(Minimum, Maximum);
    return Spin;
}

QLineEdit* AddEdit(QFormLayout* Form, const char* Caption) {
    auto* Edit = new QLineEdit;
    Form->addRow(Caption, Edit);
    return Edit;
}

QCheckBox* AddCheck(QBoxLayout* Layout, const char* Caption) {
    auto* Check = new QCheckBox(Caption);
    Layout->addWidget(Check);
    return Check;
}

// Stored expansions keep CR LF; the edit box knows only LF.
QString ExpansionToEdit(std::string_view Text) {
    std::string Shown;
    for (std::size_t I = 0; I < Text.size(); ++I)
        if (!(Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n'))
            Shown += Text[I];
    return ToQString(Shown);
}

std::string ExpansionFromEdit(const QString& Text) {
    std::string Stored;
    for (char C : FromQString(Text)) {
        if (C == '\n')
            Stored += '\r';
        Stored += C;
    }
    return Stored;
}

// A shortcut box with its Clear button beside it.
QWidget* ShortCutRow(TShortCutEdit* Edit) {
    auto* Row = new QWidget;
    auto* Layout = new QHBoxLayout(Row);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Edit, 1);
    auto* Clear = new QPushButton("C&lear");
    QObject::connect(Clear, &QPushButton::clicked, Edit, [Edit] { Edit->SetShortCut(0); });
    Layout->addWidget(Clear);
    return Row;
}

QWidget* FileRow(QLineEdit* Edit, QPushButton* Browse) {
    auto* Row = new QWidget;
    auto* Layout = new QHBoxLayout(Row);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Edit, 1);
    Layout->addWidget(Browse);
    return Row;
}

void SetDialogLook(QDialog* Dialog) {
    Dialog->setFont(QFont(ToQString(GetDialogFontName())));
}

void CheckOneOf(const std::array<QRadioButton*, 3>& Buttons, int Value) {
    for (std::size_t I = 0; I < Buttons.size(); ++I)
        Buttons[I]->setChecked(static_cast<int>(I) == Value);
}

// The index of the checked button; Otherwise when none is (a stored value out of range).
int CheckedOneOf(const std::array<QRadioButton*, 3>& Buttons, int Otherwise) {
    for (std::size_t I = 0; I < Buttons.size(); ++I)
        if (Buttons[I]->isChecked())
            return static_cast<int>(I);
    return Otherwise;
}

// The row of the list's current item; -1 when there is none.
int CurrentRow(const QTreeWidget* List) {
    QTreeWidgetItem* Item = List->currentItem();
    return Item ? List->indexOfTopLevelItem(Item) : -1;
}

} // namespace

// ---- Colour button ------------------------------------------------------------------------------

TColourButton::TColourButton(const QString& Caption, QWidget* Parent)
    : QPushButton(Caption, Parent) {
    connect(this, &QPushButton::clicked, this, [this] { ChooseColour(); });
    SetColour(0);
}

void TColourButton::SetColour(TColor Value) {
    FColour = Value;
    setIcon(Swatch(Value));
}

bool TColourButton::ChooseColour() {
    TColorDialog Dialog;
    const TColor Shown = QColorToColor(ColorToQColor(FColour));
    Dialog.Color = Shown;
    if (!Dialog.Execute() || Dialog.Color == Shown)
        return false;
    SetColour(Dialog.Color);
    return true;
}

// ---- Auto-text entry ----------------------------------------------------------------------------

TAutoTextEntryForm::TAutoTextEntryForm(QWidget* Parent)
    : QDialog(Parent), FDescription(new QLineEdit), FAbbreviation(new QLineEdit),
      FCursorChar(new QLineEdit), FShortCut(new TShortCutEdit), FExpansion(new QPlainTextEdit) {
    setWindowTitle("AutoText Entry");
    SetDialogLook(this);
    FCursorChar->setMaxLength(1);
    FExpansion->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* Form = new QFormLayout;
    Form->addRow("&Description:", FDescription);
    Form->addRow("&Abbreviation:", FAbbreviation);
    Form->addRow("C&ursor character:", FCursorChar);
    Form->addRow("&Shortcut:", ShortCutRow(FShortCut));
    Form->addRow("&Expansion:", FExpansion);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Form);
    Layout->addWidget(Buttons);
    resize(420, 320);
    CentreOnMainForm(this);
    FDescription->setFocus();
}

void TAutoTextEntryForm::LoadEntry(const TAutoTextEntry& Entry) {
    FDescription->setText(ToQString(Entry.Description));
    FAbbreviation->setText(ToQString(Entry.Abbreviation));
    FCursorChar->setText(Entry.CursorChar != 0 ? ToQString(std::string(1, Entry.CursorChar))
                                               : QString());
    FShortCut->SetShortCut(Entry.ShortCut);
    FExpansion->setPlainText(ExpansionToEdit(Entry.Expansion));
}

void TAutoTextEntryForm::StoreEntry(TAutoTextEntry& Entry) const {
    Entry.Description = FromQString(FDescription->text());
    Entry.Abbreviation = FromQString(FAbbreviation->text());
    const std::string Cursor = FromQString(FCursorChar->text());
    Entry.CursorChar = Cursor.empty() ? '\0' : Cursor.front();
    Entry.ShortCut = FShortCut->ShortCut();
    Entry.Expansion = ExpansionFromEdit(FExpansion->toPlainText());
}

// ---- The define-view dialog ---------------------------------------------------------------------

TDefineViewForm::TDefineViewForm(QWidget* Parent) : QDialog(Parent), FPages(new QTabWidget) {
    setWindowTitle("Define View");
    SetDialogLook(this);
    FPages->addTab(MakeUsagePage(), "Usage");
    FPages->addTab(MakeSpacesPage(), "Spaces");
    FPages->addTab(MakeTabsPage(), "Tabs");
    FPages->addTab(MakeWordWrapPage(), "Word Wrap");
    FPages->addTab(MakeAutoTextPage(), "AutoText");
    FPages->addTab(MakeAppearancePage(), "Appearance");
    FPages->addTab(MakeSyntaxPage(), "Syntax");
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FPages);
    Layout->addWidget(Buttons);
    resize(620, 480);
    CentreOnMainForm(this);
    FName->setFocus();
    UpdateControls();
}

QWidget* TDefineViewForm::MakeUsagePage() {
    auto* Page = new QWidget;
    auto* Form = new QFormLayout;
    FName = AddEdit(Form, "&Name:");
    FWildcards = AddEdit(Form, "&Extensions:");
    FWildcards->setToolTip("File extensions separated by \";\", such as *.pas;*.inc");
    FShortCut = new TShortCutEdit;
    Form->addRow("&Shortcut:", ShortCutRow(FShortCut));
    FHelpFile = new QLineEdit;
    auto* Browse = new QPushButton("&Browse...");
    connect(Browse, &QPushButton::clicked, this, [this] {
        FHelpFile->setText(ToQString(
            BrowseFor("Help File", "Help Files (*.chm;*.hlp)|*.chm;*.hlp|All Files (*.*)|*.*",
                      FromQString(FHelpFile->text()))));
    });
    Form->addRow("&Help file:", FileRow(FHelpFile, Browse));
    auto* Layout = new QVBoxLayout(Page);
    Layout->addLayout(Form);
    FOpenAsReadOnly = AddCheck(Layout, "Open as &read-only");
    auto* Kinds = new QGroupBox("Use for p-System text files");
    auto* KindsLayout = new QVBoxLayout(Kinds);
    FPSystemPascal = AddCheck(KindsLayout, "&Pascal");
    FPSystemReportWriter = AddCheck(KindsLayout, "Report &Writer");
    FPSystemLorvanta = AddCheck(KindsLayout, "&Lorvanta");
    Layout->addWidget(Kinds);
    Layout->addStretch();
    return Page;
}

QWidget* TDefineViewForm::MakeSpacesPage() {
    auto* Page = new QWidget;
    auto* Layout = new QVBoxLayout(Page);
    FPreserveSpaces = AddCheck(Layout, "&Preserve spaces at the ends of lines");
    FPreserveSolitarySpaces =
        AddCheck(Layout, "Preserve &solitary spaces (lines of nothing but spaces)");
    FFinalLineFeed = AddCheck(Layout, "End the file with a &line feed");
    FSaveAsUnix = AddCheck(Layout, "Save with &Unix line ends (LF)");
    FUtf8 = AddCheck(Layout, "Always save as UTF-&8");
    Layout->addStretch();
    connect(FPreserveSpaces, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    return Page;
}

QWidget* TDefineViewForm::MakeTabsPage() {
    auto* Page = new QWidget;
    auto* Layout = new QVBoxLayout(Page);
    auto* Key = new QGroupBox("The Tab key inserts");
    auto* KeyLayout = new QVBoxLayout(Key);
    FTabKey = {new QRadioButton("A &tab character"),
               new QRadioButton("&Spaces to the next tab stop"),
               new QRadioButton("Spaces to the &words of the line above")};
    for (QRadioButton* Button : FTabKey)
        KeyLayout->addWidget(Button);
    Layout->addWidget(Key);
    auto* Form = new QFormLayout;
    FTabStops = MakeSpin(1, 255, Page);
    Form->addRow("Tab st&ops every (columns):", FTabStops);
    FIndentCount = MakeSpin(0, 255, Page);
    FIndentCount->setSpecialValueText("A tab character");
    Form->addRow("&Indent by (columns):", FIndentCount);
    Layout->addLayout(Form);
    FAutoIndent = AddCheck(Layout, "&Auto indent");
    Layout->addStretch();
    return Page;
}

QWidget* TDefineViewForm::MakeWordWrapPage() {
    auto* Page = new QWidget;
    auto* Layout = new QVBoxLayout(Page);
    auto* Wrap = new QGroupBox("Word wrap");
    auto* WrapLayout = new QVBoxLayout(Wrap);
    FWrapType = {new QRadioButton("&None"), new QRadioButton("At a &column"),
                 new QRadioButton("At the &window edge")};
    for (QRadioButton* Button : FWrapType) {
        WrapLayout->addWidget(Button);
        connect(Button, &QRadioButton::toggled, this, [this] { UpdateControls(); });
    }
    Layout->addWidget(Wrap);
    auto* Form = new QFormLayout;
    FWrapColumn = MakeSpin(5, 255, Page);
    Form->addRow("Wrap c&olumn:", FWrapColumn);
    Layout->addLayout(Form);
    FWrapAtLeft = AddCheck(Layout, "Left Arrow at the start of a line goes to the line &above");
    FWrapAtRight = AddCheck(Layout, "Right Arrow at the end of a line goes to the line &below");
    FWebScrolling = AddCheck(Layout, "Web &scrolling");
    Layout->addStretch();
    return Page;
}

QWidget* TDefineViewForm::MakeAutoTextPage() {
    auto* Page = new QWidget;
    FAutoTextList = new QTreeWidget;
    FAutoTextList->setHeaderLabels({"Description", "Abbreviation", "Shortcut"});
    FAutoTextList->setRootIsDecorated(false);
    FNewEntry = new QPushButton("&New...");
    FModifyEntry = new QPushButton("&Modify...");
    FDeleteEntry = new QPushButton("&Delete");
    connect(FNewEntry, &QPushButton::clicked, this, [this] { NewEntryClick(); });
    connect(FModifyEntry, &QPushButton::clicked, this, [this] { ModifyEntryClick(); });
    connect(FDeleteEntry, &QPushButton::clicked, this, [this] { DeleteEntryClick(); });
    connect(FAutoTextList, &QTreeWidget::itemDoubleClicked, this, [this] { ModifyEntryClick(); });
    connect(FAutoTextList, &QTreeWidget::currentItemChanged, this, [this] { UpdateControls(); });
    auto* Buttons = new QVBoxLayout;
    Buttons->addWidget(FNewEntry);
    Buttons->addWidget(FModifyEntry);
    Buttons->addWidget(FDeleteEntry);
    Buttons->addStretch();
    auto* Layout = new QHBoxLayout(Page);
    Layout->addWidget(FAutoTextList, 1);
    Layout->addLayout(Buttons);
    return Page;
}

QWidget* TDefineViewForm::MakeAppearancePage() {
    auto* Page = new QWidget;
    auto* Layout = new QVBoxLayout(Page);
    auto* Form = new QFormLayout;
    FFontName = new QComboBox;
    Form->addRow("&Font:", FFontName);
    FFontSize = MakeSpin(1, 999, Page);
    Form->addRow("&Size:", FFontSize);
    FLeftMarginWidth = MakeSpin(0, 999, Page);
    Form->addRow("&Left margin (pixels):", FLeftMarginWidth);
    Layout->addLayout(Form);
    auto* Margin = new QGroupBox("Right margin");
    auto* MarginLayout = new QHBoxLayout(Margin);
    FRightMarginVisible = new QCheckBox("&Visible at column");
    FRightMarginColumn = MakeSpin(0, 9999, Page);
    FRightMarginColour = new TColourButton("Co&lour...");
    MarginLayout->addWidget(FRightMarginVisible);
    MarginLayout->addWidget(FRightMarginColumn);
    MarginLayout->addWidget(FRightMarginColour);
    MarginLayout->addStretch();
    Layout->addWidget(Margin);
    auto* Colours = new QGroupBox("Colours");
    auto* Grid = new QGridLayout(Colours);
    Grid->addWidget(new QLabel("Text"), 0, 1);
    Grid->addWidget(new QLabel("Background"), 0, 2);
    const auto AddPair = [Grid](int Row, const char* Caption, TColourButton*& Text,
                                TColourButton*& Back) {
        Grid->addWidget(new QLabel(Caption), Row, 0);
        Text = new TColourButton("...");
        Back = new TColourButton("...");
        Text->setAccessibleName(QString(Caption) + " text");
        Back->setAccessibleName(QString(Caption) + " background");
        Grid->addWidget(Text, Row, 1);
        Grid->addWidget(Back, Row, 2);
    };
    AddPair(1, "Ordinary", FTextColour, FBackgroundColour);
    AddPair(2, "Selected", FSelectionTextColour, FSelectionBackgroundColour);
    AddPair(3, "Breakpoint", FBreakpointTextColour, FBreakpointBackgroundColour);
    AddPair(4, "Execution point", FExecutionPointTextColour, FExecutionPointBackgroundColour);
    Layout->addWidget(Colours);
    Layout->addStretch();
    return Page;
}

QWidget* TDefineViewForm::MakeSyntaxPage() {
    auto* Page = new QWidget;
    auto* Layout = new QVBoxLayout(Page);
    FUseDll = AddCheck(Layout, "&Colour the text with a plug-in");
    auto* Form = new QFormLayout;
    FDll = new QLineEdit;
    auto* Browse = new QPushButton("&Browse...");
    connect(Browse, &QPushButton::clicked, this, [this] {
        const std::string Chosen =
            BrowseFor("Colouring Plug-in", "Plug-ins (*.so)|*.so|All Files (*.*)|*.*",
                      FromQString(FDll->text()));
        if (Chosen != FromQString(FDll->text())) {
            FDll->setText(ToQString(Chosen));
            ListElements();
        }
    });
    connect(FDll, &QLineEdit::editingFinished, this, [this] { ListElements(); });
    Form->addRow("&Plug-in:", FileRow(FDll, Browse));
    Layout->addLayout(Form);

    FElementList = new QTreeWidget;
    FElementList->setHeaderLabels({"Element", "Bold", "Italic"});
    FElementList->setRootIsDecorated(false);
    FElementList->header()->setStretchLastSection(false);
    FElementList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(FElementList, &QTreeWidget::currentItemChanged, this, [this] { UpdateControls(); });
    connect(FElementList, &QTreeWidget::itemDoubleClicked, this, [this] { ElementColourClick(); });
    FElementColour = new QPushButton("C&olour...");
    FElementBold = new QCheckBox("Bo&ld");
    FElementItalic = new QCheckBox("&Italic");
    FDefaultColours = new QPushButton("&Default Colours");
    connect(FElementColour, &QPushButton::clicked, this, [this] { ElementColourClick(); });
    connect(FElementBold, &QCheckBox::clicked, this, [this] { ElementStyleChanged(); });
    connect(FElementItalic, &QCheckBox::clicked, this, [this] { ElementStyleChanged(); });
    connect(FDefaultColours, &QPushButton::clicked, this, [this] { ApplyDefaultColours(); });
    auto* ElementButtons = new QVBoxLayout;
    ElementButtons->addWidget(FElementColour);
    ElementButtons->addWidget(FElementBold);
    ElementButtons->addWidget(FElementItalic);
    ElementButtons->addStretch();
    ElementButtons->addWidget(FDefaultColours);
    auto* Elements = new QHBoxLayout;
    Elements->addWidget(FElementList, 1);
    Elements->addLayout(ElementButtons);
    Layout->addLayout(Elements, 1);

    auto* Text = new QFormLayout;
    FCommentMarker = AddEdit(Text, "Co&mment marker:");
    FOpeningDelimiter = AddEdit(Text, "Op&ening delimiter:");
    FClosingDelimiter = AddEdit(Text, "Clo&sing delimiter:");
    FWordDelimiters = AddEdit(Text, "&Word delimiters:");
    Layout->addLayout(Text);
    return Page;
}

// ---- Loading and storing ------------------------------------------------------------------------

void TDefineViewForm::LoadView(const TView& View) {
    FLoaded = View;
    const TView& V = FLoaded;
    FName->setText(ToQString(V.Name()));
    FWildcards->setText(ToQString(V.Wildcards));
    FShortCut->SetShortCut(V.ShortCut);
    FHelpFile->setText(ToQString(V.HelpFile));
    FOpenAsReadOnly->setChecked(V.OpenAsReadOnly);
    FPSystemPascal->setChecked(V.PSystemPascal);
    FPSystemReportWriter->setChecked(V.PSystemReportWriter);
    FPSystemLorvanta->setChecked(V.PSystemLorvanta);

    FPreserveSpaces->setChecked(V.PreserveSpaces);
    FPreserveSolitarySpaces->setChecked(V.PreserveSolitarySpaces);
    FFinalLineFeed->setChecked(V.FinalLineFeed);
    FSaveAsUnix->setChecked(V.SaveAsUnix);
    FUtf8->setChecked(V.Utf8);

    CheckOneOf(FTabKey, V.TabKey);
    FTabStops->setValue(V.TabStops());
    FIndentCount->setValue(V.IndentCount);
    FAutoIndent->setChecked(V.AutoIndent);

    CheckOneOf(FWrapType, V.WrapType());
    FWrapColumn->setValue(V.WrapColumn());
    FWrapAtLeft->setChecked(V.WrapAtLeft);
    FWrapAtRight->setChecked(V.WrapAtRight);
    FWebScrolling->setChecked(V.WebScrolling);

    FAutoText.clear();
    for (int Index = 0; Index < V.AutoText.Count(); ++Index)
        FAutoText.push_back(V.AutoText.GetEntry(Index));
    ShowAutoText();

    FFontName->clear();
    FFontName->addItem(ToQString(V.FontName()));
    FFontSize->setValue(V.FontSize());
    FLeftMarginWidth->setValue(V.LeftMarginWidth);
    FRightMarginVisible->setChecked(V.RightMarginVisible);
    FRightMarginColumn->setValue(V.RightMarginColumn);
    FRightMarginColour->SetColour(V.RightMarginColour);
    FTextColour->SetColour(V.TextColour);
    FBackgroundColour->SetColour(V.BackgroundColour);
    FSelectionTextColour->SetColour(V.SelectionTextColour);
    FSelectionBackgroundColour->SetColour(V.SelectionBackgroundColour);
    FBreakpointTextColour->SetColour(V.BreakpointTextColour);
    FBreakpointBackgroundColour->SetColour(V.BreakpointBackgroundColour);
    FExecutionPointTextColour->SetColour(V.ExecutionPointTextColour);
    FExecutionPointBackgroundColour->SetColour(V.ExecutionPointBackgroundColour);

    FUseDll->setChecked(V.UseDll);
    FDll->setText(ToQString(V.Dll()));
    FElements.clear();
    for (int Index = 0; Index < V.Elements.Count(); ++Index)
        FElements.push_back(V.Elements.GetElement(Index));
    FRows.clear();
    FElementList->clear();
    FCommentMarker->setText(ToQString(V.CommentMarker));
    FOpeningDelimiter->setText(ToQString(V.OpeningDelimiter));
    FClosingDelimiter->setText(ToQString(V.ClosingDelimiter));
    FWordDelimiters->setText(ToQString(V.WordDelimiters));
    UpdateControls();
}

void TDefineViewForm::Prepare() {
    const QString Font = FFontName->currentText();
    FFontName->clear();
    FillFontCombo(FFontName, true);
    // The view's own font stays choosable even when it is not a fixed-pitch one here.
    if (FFontName->findText(Font) < 0)
        FFontName->addItem(Font);
    FFontName->setCurrentText(Font);
    ListElements();
}

void TDefineViewForm::StoreView(TView& View) const {
    View.SetName(FromQString(FName->text()));
    View.Wildcards = FromQString(FWildcards->text());
    View.ShortCut = FShortCut->ShortCut();
    View.HelpFile = FromQString(FHelpFile->text());
    View.OpenAsReadOnly = FOpenAsReadOnly->isChecked();
    View.PSystemPascal = FPSystemPascal->isChecked();
    View.PSystemReportWriter = FPSystemReportWriter->isChecked();
    View.PSystemLorvanta = FPSystemLorvanta->isChecked();

    View.PreserveSpaces = FPreserveSpaces->isChecked();
    View.PreserveSolitarySpaces = FPreserveSolitarySpaces->isChecked();
    View.FinalLineFeed = FFinalLineFeed->isChecked();
    View.SaveAsUnix = FSaveAsUnix->isChecked();
    View.Utf8 = FUtf8->isChecked();

    View.TabKey = static_cast<std::uint8_t>(CheckedOneOf(FTabKey, FLoaded.TabKey));
    View.SetTabStops(FTabStops->value());
    View.IndentCount = FIndentCount->value();
    View.AutoIndent = FAutoIndent->isChecked();

    View.SetWrapType(static_cast<std::uint8_t>(CheckedOneOf(FWrapType, FLoaded.WrapType())));
    View.SetWrapColumn(FWrapColumn->value());
    View.WrapAtLeft = FWrapAtLeft->isChecked();
    View.WrapAtRight = FWrapAtRight->isChecked();
    View.WebScrolling = FWebScrolling->isChecked();

    View.AutoText.Clear();
    for (const TAutoTextEntry& Entry : FAutoText)
        View.AutoText.Add(Entry);

    View.SetFontName(FromQString(FFontName->currentText()));
    View.SetFontSize(FFontSize->value());
    View.LeftMarginWidth = FLeftMarginWidth->value();
    View.RightMarginVisible = FRightMarginVisible->isChecked();
    View.RightMarginColumn = FRightMarginColumn->value();
    View.RightMarginColour = FRightMarginColour->Colour();
    View.TextColour = FTextColour->Colour();
    View.BackgroundColour = FBackgroundColour->Colour();
    View.SelectionTextColour = FSelectionTextColour->Colour();
    View.SelectionBackgroundColour = FSelectionBackgroundColour->Colour();
    View.BreakpointTextColour = FBreakpointTextColour->Colour();
    View.BreakpointBackgroundColour = FBreakpointBackgroundColour->Colour();
    View.ExecutionPointTextColour = FExecutionPointTextColour->Colour();
    View.ExecutionPointBackgroundColour = FExecutionPointBackgroundColour->Colour();

    View.UseDll = FUseDll->isChecked();
    View.SetDll(FromQString(FDll->text()));
    View.Elements.Clear();
    for (const TViewElement& Element : CollectElements())
        View.Elements.Add(Element);
    View.CommentMarker = FromQString(FCommentMarker->text());
    View.OpeningDelimiter = FromQString(FOpeningDelimiter->text());
    View.ClosingDelimiter = FromQString(FClosingDelimiter->text());
    View.WordDelimiters = FromQString(FWordDelimiters->text());
}

// ---- Controls that depend on others -------------------------------------------------------------

void TDefineViewForm::UpdateControls() {
    FPreserveSolitarySpaces->setEnabled(!FPreserveSpaces->isChecked());
    FWrapColumn->setEnabled(FWrapType[vwAtColumn]->isChecked());
    const bool HasEntry = FAutoTextList->currentItem() != nullptr;
    FModifyEntry->setEnabled(HasEntry);
    FDeleteEntry->setEnabled(HasEntry);
    const int Row = CurrentRow(FElementList);
    const bool HasRow = Row >= 0 && Row < static_cast<int>(FRows.size());
    FElementColour->setEnabled(HasRow);
    FElementBold->setEnabled(HasRow);
    FElementItalic->setEnabled(HasRow);
    FElementBold->setChecked(HasRow && FRows[Row].Element.Bold);
    FElementItalic->setChecked(HasRow && FRows[Row].Element.Italic);
}

// ---- AutoText -----------------------------------------------------------------------------------

void TDefineViewForm::ShowAutoText() {
    const int Current = CurrentRow(FAutoTextList);
    FAutoTextList->clear();
    for (const TAutoTextEntry& Entry : FAutoText)
        new QTreeWidgetItem(FAutoTextList,
                            {ToQString(Entry.Description), ToQString(Entry.Abbreviation),
                             ToQString(ShortCutToText(Entry.ShortCut))});
    if (FAutoTextList->topLevelItemCount() > 0)
        FAutoTextList->setCurrentItem(FAutoTextList->topLevelItem(
            std::clamp(Current, 0, FAutoTextList->topLevelItemCount() - 1)));
    UpdateControls();
}

void TDefineViewForm::NewEntryClick() {
    TAutoTextEntryForm Form(this);
    TAutoTextEntry Entry;
    Form.LoadEntry(Entry);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    Form.StoreEntry(Entry);
    FAutoText.push_back(Entry);
    ShowAutoText();
    FAutoTextList->setCurrentItem(
        FAutoTextList->topLevelItem(FAutoTextList->topLevelItemCount() - 1));
}

void TDefineViewForm::ModifyEntryClick() {
    const int Index = CurrentRow(FAutoTextList);
    if (Index < 0 || Index >= static_cast<int>(FAutoText.size()))
        return;
    TAutoTextEntryForm Form(this);
    Form.LoadEntry(FAutoText[Index]);
    if (RunModal(Form) != QDialog::Accepted)
        return;
    Form.StoreEntry(FAutoText[Index]);
    ShowAutoText();
}

void TDefineViewForm::DeleteEntryClick() {
    const int Index = CurrentRow(FAutoTextList);
    if (Index < 0 || Index >= static_cast<int>(FAutoText.size()))
        return;
    FAutoText.erase(FAutoText.begin() + Index);
    ShowAutoText();
}

// ---- Syntax elements ----------------------------------------------------------------------------

std::vector<TViewElement> TDefineViewForm::CollectElements() const {
    std::vector<TViewElement> Result = FElements;
    std::vector<bool> Placed(FRows.size(), false);
    for (TViewElement& Element : Result) {
        for (std::size_t Row = 0; Row < FRows.size(); ++Row)
            if (!Placed[Row] && FRows[Row].Element.Id == Element.Id) {
                Element = FRows[Row].Element;
                Placed[Row] = true;
                break;
            }
    }
    for (std::size_t Row = 0; Row < FRows.size(); ++Row)
        if (!Placed[Row])
            Result.push_back(FRows[Row].Element);
    return Result;
}

void TDefineViewForm::ListElements() {
    FElements = CollectElements();
    FRows.clear();
    const std::string Dll = FromQString(FDll->text());
    bool Coloured = false; // the view has colours for some of the plug-in's elements
    for (const TPluginElement& Plugin : EnumPluginElements(Dll)) {
        const auto Found = std::find_if(FElements.begin(), FElements.end(),
                                        [&](const TViewElement& E) { return E.Id == Plugin.Id; });
        TViewElement Element{Plugin.Id, FTextColour->Colour(), false, false};
        if (Found != FElements.end()) {
            Element = *Found;
            Coloured = true;
        }
        FRows.push_back({Plugin.Name, Element});
    }
    FElementList->clear();
    for (int Row = 0; Row < static_cast<int>(FRows.size()); ++Row) {
        new QTreeWidgetItem(FElementList);
        ShowElementRow(Row);
    }
    if (!FRows.empty())
        FElementList->setCurrentItem(FElementList->topLevelItem(0));
    FDefaultColours->setEnabled(!FRows.empty() && PluginOffersDefaultColours(Dll));
    // A view bound to the plug-in afresh would draw every element in the text colour.
    if (!Coloured && !FRows.empty())
        ApplyDefaultColours();
    UpdateControls();
}

void TDefineViewForm::ShowElementRow(int Row) {
    QTreeWidgetItem* Item = FElementList->topLevelItem(Row);
    const TElementRow& R = FRows.at(Row);
    Item->setText(0, ToQString(R.Name));
    Item->setIcon(0, Swatch(R.Element.Colour));
    Item->setText(1, R.Element.Bold ? "Yes" : "");
    Item->setText(2, R.Element.Italic ? "Yes" : "");
}

void TDefineViewForm::SetElementRow(int Row, const TViewElement& Element) {
    FRows.at(Row).Element = Element;
    ShowElementRow(Row);
    UpdateControls();
}

void TDefineViewForm::ElementColourClick() {
    const int Row = CurrentRow(FElementList);
    if (Row < 0 || Row >= static_cast<int>(FRows.size()))
        return;
    TColourButton Chooser("");
    Chooser.SetColour(FRows[Row].Element.Colour);
    if (!Chooser.ChooseColour())
        return;
    TViewElement Element = FRows[Row].Element;
    Element.Colour = Chooser.Colour();
    SetElementRow(Row, Element);
}

void TDefineViewForm::ElementStyleChanged() {
    const int Row = CurrentRow(FElementList);
    if (Row < 0 || Row >= static_cast<int>(FRows.size()))
        return;
    TViewElement Element = FRows[Row].Element;
    Element.Bold = FElementBold->isChecked();
    Element.Italic = FElementItalic->isChecked();
    SetElementRow(Row, Element);
}

void TDefineViewForm::ApplyDefaultColours() {
    const auto Colours = EnumPluginDefaultColours(FromQString(FDll->text()));
    if (!Colours)
        return;
    TColourButton* const Window[] = {FTextColour, FBackgroundColour, FSelectionTextColour,
                                     FSelectionBackgroundColour};
    for (std::size_t Call = 0; Call < Colours->size(); ++Call) {
        const TPluginColour& C = (*Colours)[Call];
        if (Call < std::size(Window)) {
            Window[Call]->SetColour(C.Colour);
            continue;
        }
        const std::size_t Row = Call - std::size(Window);
        if (Row >= FRows.size())
            break;
        SetElementRow(static_cast<int>(Row), {FRows[Row].Element.Id, C.Colour, C.Bold, C.Italic});
    }
}

std::string TDefineViewForm::BrowseFor(const std::string& Title, const std::string& Filter,
                                       const std::string& Current) {
    TOpenDialog Dialog;
    Dialog.Title = Title;
    Dialog.Filter = Filter;
    Dialog.Options = {ofHideReadOnly, ofFileMustExist};
    if (!Current.empty()) {
        Dialog.FileName = Current;
        Dialog.SetInitialDir(std::filesystem::path(Current).parent_path());
    }
    return Dialog.Execute() ? Dialog.FileName.string() : Current;
}

} // namespace korvid
